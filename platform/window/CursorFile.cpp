#include "platform/window/CursorFile.h"

#include "platform/os/Paths.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Cursors larger than this are refused; real ones are 32 or 64 pixels.
constexpr uint32_t kMaxCursorSide = 256;
constexpr size_t kMaxCursorFileBytes = 1u << 20;

thread_local std::string t_lastError;

HCURSOR Fail(const char* reason) {
    t_lastError = reason;
    return nullptr;
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Bytes of one bottom-up bitmap row, padded to 4 bytes.
size_t RowBytes(uint32_t width, uint32_t bpp) { return ((static_cast<size_t>(width) * bpp + 31) / 32) * 4; }

} // namespace

namespace Platform {

HCURSOR LoadCursorFromMemory(const void* data, size_t size) {
    t_lastError.clear();
    const auto* b = static_cast<const uint8_t*>(data);
    if (!b || size < 6) return Fail("file too short for a cursor header");
    if (U16(b) != 0 || U16(b + 2) != 2) return Fail("not a cursor file (type is not 2)");
    const uint16_t count = U16(b + 4);
    if (count == 0) return Fail("cursor file has no images");
    if (size < 6 + static_cast<size_t>(count) * 16) return Fail("cursor directory runs past the end of the file");

    // The largest entry.
    const uint8_t* entry = nullptr;
    uint32_t bestSide = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = b + 6 + static_cast<size_t>(i) * 16;
        const uint32_t side = e[0] ? e[0] : 256u;
        if (!entry || side > bestSide) {
            entry = e;
            bestSide = side;
        }
    }
    const uint32_t hotX = U16(entry + 4), hotY = U16(entry + 6);
    const uint32_t bytes = U32(entry + 8), offset = U32(entry + 12);
    if (offset > size || bytes > size - offset) return Fail("cursor image lies outside the file");
    const uint8_t* img = b + offset;
    if (bytes >= 8 && std::memcmp(img, "\x89PNG", 4) == 0) return Fail("PNG cursor images are not supported");
    if (bytes < 40) return Fail("bad bitmap header in cursor image");

    const uint32_t headerSize = U32(img);
    const int32_t w = static_cast<int32_t>(U32(img + 4));
    const int32_t h2 = static_cast<int32_t>(U32(img + 8));
    const uint16_t planes = U16(img + 12), bpp = U16(img + 14);
    const uint32_t compression = U32(img + 16);
    if (headerSize < 40 || headerSize > bytes) return Fail("bad bitmap header in cursor image");
    if (w <= 0 || h2 <= 0 || (h2 % 2) != 0) return Fail("bad cursor image size");
    const uint32_t width = static_cast<uint32_t>(w), height = static_cast<uint32_t>(h2) / 2;
    if (width > kMaxCursorSide || height > kMaxCursorSide) return Fail("cursor image too large");
    if (planes != 1 || compression != 0) return Fail("compressed cursor images are not supported");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return Fail("unsupported cursor colour depth");

    size_t pos = headerSize;
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        uint32_t colours = U32(img + 32);
        if (colours == 0 || colours > (1u << bpp)) colours = 1u << bpp;
        if (pos + colours * 4ull > bytes) return Fail("cursor palette runs past the image");
        for (uint32_t i = 0; i < colours; ++i) palette.push_back(U32(img + pos + i * 4) & 0x00FFFFFFu);
        pos += colours * 4ull;
        palette.resize(1u << bpp, 0);
    }
    const size_t xorRow = RowBytes(width, bpp), andRow = RowBytes(width, 1);
    if (pos + xorRow * height + andRow * height > bytes) return Fail("cursor bitmap runs past the image");
    const uint8_t* xorBits = img + pos;
    const uint8_t* andBits = xorBits + xorRow * height;

    std::vector<DWORD> argb(static_cast<size_t>(width) * height);
    bool anyAlpha = false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = xorBits + (height - 1 - y) * xorRow; // rows are stored bottom-up
        const uint8_t* mask = andBits + (height - 1 - y) * andRow;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t colour = 0;
            switch (bpp) {
            case 32: colour = U32(row + x * 4); anyAlpha |= (colour >> 24) != 0; break;
            case 24: colour = row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16); break;
            case 8: colour = palette[row[x]]; break;
            case 4: colour = palette[(row[x / 2] >> ((x % 2) ? 0 : 4)) & 0x0F]; break;
            case 1: colour = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            }
            const bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
            if (bpp != 32) colour = (colour & 0x00FFFFFFu) | (transparent ? 0u : 0xFF000000u);
            argb[static_cast<size_t>(y) * width + x] = colour;
        }
    }
    // A 32-bit image without any alpha relies on its mask.
    if (bpp == 32 && !anyAlpha) {
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* mask = andBits + (height - 1 - y) * andRow;
            for (uint32_t x = 0; x < width; ++x)
                if (!((mask[x / 8] >> (7 - x % 8)) & 1)) argb[static_cast<size_t>(y) * width + x] |= 0xFF000000u;
        }
    }
    HCURSOR cursor = CreateCursorFromPixels(argb.data(), static_cast<int>(width), static_cast<int>(height),
                                            static_cast<int>(hotX < width ? hotX : 0),
                                            static_cast<int>(hotY < height ? hotY : 0));
    if (!cursor) return Fail("the cursor could not be created");
    return cursor;
}

const char* GetLastCursorFileError() { return t_lastError.c_str(); }

} // namespace Platform

HCURSOR LoadCursorFromFileA(LPCSTR fileName) {
    if (!fileName || !*fileName) {
        t_lastError = "no file name";
        return nullptr;
    }
    std::string bytes;
    if (!Platform::ReadFile(fileName, bytes, kMaxCursorFileBytes)) {
        t_lastError = "cursor file missing, unreadable or too large";
        return nullptr;
    }
    return Platform::LoadCursorFromMemory(bytes.data(), bytes.size());
}
