#pragma once
// INI ("profile") files, read and written as the Windows profile functions do:
// section and key names match case-insensitively; blanks around names and
// values are trimmed; one pair of surrounding quotes is stripped from values;
// lines starting with ';' are comments; the first occurrence of a key wins;
// "\r\n" and "\n" line ends are both read; a missing file, section or key
// gives the default. A relative file name resolves against the current folder.
#include "platform/os/WinTypes.h"

// Copies the value (or the default; "" for a null default) into `out`, cut to
// size - 1 characters, and returns the number of characters copied. A null
// key lists the section's keys, a null section lists the sections, each name
// terminated by '\0' and the list by a second '\0'.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD size,
                               LPCSTR fileName);

// The value as an integer: leading blanks, an optional sign, decimal digits
// (or "0x" hexadecimal); trailing text is ignored; no digits give 0; a missing
// or empty value gives the default. Negative values stay negative.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);

// Sets key = value in the section, creating the file, section or key as
// needed and keeping every other line, comment and the order. A null value
// removes the key, a null key removes the section. The file is replaced
// atomically; FALSE when it cannot be written (the old file stays intact).
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
