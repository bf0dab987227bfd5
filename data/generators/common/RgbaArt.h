// Pieces the screen-art generators share: an RGBA picture written as PNG and
// the Unicode character of a code-page 1251 byte. The including program
// defines STB_IMAGE_WRITE_IMPLEMENTATION once before it includes this.
#pragma once

#include <stb_image_write.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/CodePage.h"

namespace VornaArt {

struct Image {
    int w, h;
    std::vector<uint8_t> rgba;
    Image(int width, int height) : w(width), h(height), rgba(static_cast<size_t>(width) * height * 4, 0) {}
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
    bool Save(const std::filesystem::path& path) const {
        return stbi_write_png(path.string().c_str(), w, h, 4, rgba.data(), w * 4) != 0;
    }
};

// The Unicode character of a code-page byte, 0 when it has none.
inline char32_t CodePoint(unsigned char byte) {
    const std::string utf8 = Platform::Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    char32_t cp = 0;
    if (utf8.size() == 1) cp = s[0];
    else if (utf8.size() == 2) cp = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
    else if (utf8.size() == 3) cp = ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
    return cp == 0xFFFD ? 0 : cp;
}

} // namespace VornaArt
