// The cursor-file reader on arbitrary bytes: a cursor or a reason, never a
// read outside the bytes given.
#include "platform/window/CursorFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HCURSOR cursor = Platform::LoadCursorFromMemory(data, size);
    if (!cursor && !*Platform::GetLastCursorFileError()) std::abort();
    if (cursor) DestroyCursor(cursor);
    return 0;
}
