// Draws the game's mouse cursor "Default.cur": a 32x32 arrow with a dark
// outline and a brass fill, 32 bits per pixel with its hot spot at the tip.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

// Inside the arrow: a triangle from the tip with a short tail.
bool Inside(int x, int y) {
    if (y < 20) return x <= y / 1.4;
    return x >= 6 && x <= 9 && y <= 28 && x <= y / 1.4;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_cursor OUTPUT.cur\n");
        return 2;
    }
    constexpr int kSize = 32;
    std::vector<uint8_t> image;
    // Bitmap header: the height counts the colour and the mask rows.
    Put32(image, 40);
    Put32(image, kSize);
    Put32(image, kSize * 2);
    Put16(image, 1);
    Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    // Colour rows, bottom row first, as B, G, R, A.
    for (int row = kSize - 1; row >= 0; --row) {
        for (int x = 0; x < kSize; ++x) {
            const bool in = Inside(x, row);
            const bool edge = in && (!Inside(x - 1, row) || !Inside(x + 1, row) || !Inside(x, row - 1) ||
                                     !Inside(x, row + 1));
            const uint8_t b = edge ? 0x20 : 0x40, g = edge ? 0x20 : 0xB8, r = edge ? 0x20 : 0xE0;
            image.insert(image.end(), {in ? b : uint8_t(0), in ? g : uint8_t(0), in ? r : uint8_t(0),
                                       in ? uint8_t(0xFF) : uint8_t(0)});
        }
    }
    // The AND mask: 1 where the screen shows through.
    for (int row = kSize - 1; row >= 0; --row) {
        uint32_t bits = 0;
        for (int x = 0; x < kSize; ++x)
            if (!Inside(x, row)) bits |= 0x80000000u >> x;
        image.insert(image.end(), {uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)});
    }

    std::vector<uint8_t> file;
    Put16(file, 0); // reserved
    Put16(file, 2); // cursor
    Put16(file, 1); // one image
    file.push_back(kSize);
    file.push_back(kSize);
    file.push_back(0); // colour count
    file.push_back(0);
    Put16(file, 0); // hot spot x
    Put16(file, 0); // hot spot y
    Put32(file, static_cast<unsigned>(image.size()));
    Put32(file, 22); // image offset
    file.insert(file.end(), image.begin(), image.end());

    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size()) {
        std::fprintf(stderr, "generate_cursor: cannot write %s\n", argv[1]);
        if (f) std::fclose(f);
        return 1;
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
