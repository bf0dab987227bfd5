#pragma once
// Cursor files (".cur"): the icon container with type 2, whose entries carry
// the hot spot. Entries are device-independent bitmaps (1, 4, 8, 24 or 32
// bits per pixel, with their AND mask); the largest entry is used.
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

#include <cstddef>

// LoadCursorFromFileA: a cursor from a ".cur" file; null when the file is
// missing, is not a cursor or is inconsistent (GetLastCursorFileError says why).
HCURSOR LoadCursorFromFileA(LPCSTR fileName);

namespace Platform {

// The same from bytes in memory (tests and fuzzing).
HCURSOR LoadCursorFromMemory(const void* data, size_t size);
// Why the last cursor load of this thread failed ("" after a success).
const char* GetLastCursorFileError();

} // namespace Platform
