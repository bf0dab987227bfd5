#pragma once
// Folder listing, copying and deleting with the Win32 names. Paths may use
// '\' or '/' and are mended case-insensitively like every other path.
#include "platform/os/Paths.h" // GetLastError
#include "platform/os/WinTypes.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime; // 100 ns units since 1601-01-01
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// FindFirstFileA: lists the entries of a folder whose names match the last
// component of `pattern` ("saves\*.v3savebin", "*"): '*' matches any run of
// characters, '?' one character, letters match ignoring case. The entries
// come in name order ignoring case (as the Windows file system gives them),
// "." and ".." included when they match. Fills `data` with the first entry
// and returns a search handle for FindNextFileA; INVALID_HANDLE_VALUE when
// nothing matches (ERROR_FILE_NOT_FOUND) or the folder is missing
// (ERROR_PATH_NOT_FOUND). A name is cut to 259 characters.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
// FindNextFileA: the next entry; FALSE with ERROR_NO_MORE_FILES at the end.
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data);
// FindClose: ends a search; FALSE for anything but a search handle.
BOOL FindClose(HANDLE search);

// CopyFileA: copies a file's bytes. With failIfExists an existing target is
// left alone and FALSE returned (ERROR_FILE_EXISTS); otherwise it is
// replaced. FALSE with ERROR_FILE_NOT_FOUND when the source is missing.
BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
// DeleteFileA: removes a file (not a folder). FALSE with ERROR_FILE_NOT_FOUND
// when it is missing, ERROR_ACCESS_DENIED when it cannot be removed.
BOOL DeleteFileA(LPCSTR fileName);

namespace Platform {

// The wildcard rule of FindFirstFileA: '*' any run, '?' one character,
// letters ignoring case.
bool MatchesWildcard(const char* pattern, const char* name);

} // namespace Platform
