// Writes seed files for the fuzz targets, one folder per target:
//   fuzz_xfile/        the sample scene as text, binary (32- and 64-bit
//                      floats), compressed text and compressed binary, and
//                      a hard-edged cube
//   fuzz_dds/          a top-down BMP and a DDS file with the DX10 header
//   fuzz_cursor_file/  a 2 x 2 cursor at 32 bits per pixel
//   fuzz_bitmap_font/  a font spread over two pages
// usage: generate_fuzz_seeds <seeds folder>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/generators/fuzzseeds/XFileWriter.h"

namespace fs = std::filesystem;

namespace {

bool Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

void Put16(std::string& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }
void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

// 5 x 3 pixels at 24 bits, rows stored top down (negative height).
std::string TopDownBmp() {
    const int w = 5, h = 3;
    const size_t row = (w * 3 + 3) / 4 * 4;
    std::string b(54 + row * h, '\0');
    b[0] = 'B', b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, w);
    Put32(b, 22, static_cast<uint32_t>(-h));
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    Put32(b, 34, static_cast<uint32_t>(row * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char* p = &b[54 + row * size_t(y) + size_t(x) * 3];
            p[0] = static_cast<char>(x * 50), p[1] = static_cast<char>(y * 80), p[2] = 0x40;
        }
    return b;
}

// A DDS header that announces the second (DX10) header, with one 4 x 4 level.
std::string Dx10Dds() {
    std::string b(128 + 20 + 64, '\0');
    Put32(b, 0, 0x20534444u);
    Put32(b, 4, 124);
    Put32(b, 8, 0x1007u);
    Put32(b, 12, 4);
    Put32(b, 16, 4);
    Put32(b, 76, 32);
    Put32(b, 80, 0x4u);
    Put32(b, 84, 0x30315844u);
    Put32(b, 108, 0x1000u);
    Put32(b, 128, 28); // R8G8B8A8 in the second header
    Put32(b, 132, 3);  // a 2D texture
    Put32(b, 140, 1);
    return b;
}

std::string Cursor() {
    const uint32_t imageBytes = 40 + 2 * 2 * 4 + 2 * 4;
    std::string b(6 + 16 + imageBytes, '\0');
    Put16(b, 2, 2);
    Put16(b, 4, 1);
    b[6] = 2, b[7] = 2;
    Put16(b, 10, 1);
    Put16(b, 12, 1);
    Put32(b, 14, imageBytes);
    Put32(b, 18, 22);
    Put32(b, 22, 40);
    Put32(b, 26, 2);
    Put32(b, 30, 4);
    Put16(b, 34, 1);
    Put16(b, 36, 32);
    for (size_t i = 0; i < 4; ++i)
        Put32(b, 62 + i * 4, 0xFF102030u + static_cast<uint32_t>(i));
    return b;
}

const char* kTwoPageFont =
    "<?xml version=\"1.0\"?>\n<font>\n"
    "  <info face=\"Seed\" size=\"16\" bold=\"0\" italic=\"0\" charset=\"ANSI\"/>\n"
    "  <common lineHeight=\"19\" base=\"15\" scaleW=\"64\" scaleH=\"64\" pages=\"2\"/>\n"
    "  <pages>\n    <page id=\"0\" file=\"seed_0.png\"/>\n    <page id=\"1\" file=\"seed_1.png\"/>\n  </pages>\n"
    "  <chars count=\"3\">\n"
    "    <char id=\"65\" x=\"1\" y=\"1\" width=\"9\" height=\"12\" xoffset=\"0\" yoffset=\"3\" xadvance=\"10\" page=\"0\"/>\n"
    "    <char id=\"66\" x=\"11\" y=\"1\" width=\"9\" height=\"12\" xoffset=\"0\" yoffset=\"3\" xadvance=\"10\" page=\"0\"/>\n"
    "    <char id=\"67\" x=\"1\" y=\"1\" width=\"9\" height=\"12\" xoffset=\"0\" yoffset=\"3\" xadvance=\"10\" page=\"1\"/>\n"
    "  </chars>\n</font>\n";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_fuzz_seeds <seeds folder>\n");
        return 2;
    }
    using XFileWriter::Form;
    const fs::path out = argv[1];
    const fs::path x = out / "fuzz_xfile";
    bool ok = Write(x / "scene_text.x", XFileWriter::SampleScene(Form::Text)) &&
              Write(x / "scene_binary32.x", XFileWriter::SampleScene(Form::Binary32)) &&
              Write(x / "scene_binary64.x", XFileWriter::SampleScene(Form::Binary64)) &&
              Write(x / "scene_tzip.x", XFileWriter::Compress(XFileWriter::SampleScene(Form::Text), 1024)) &&
              Write(x / "scene_bzip.x", XFileWriter::Compress(XFileWriter::SampleScene(Form::Binary32))) &&
              Write(x / "cube_binary32.x", XFileWriter::HardEdgeCube(Form::Binary32)) &&
              Write(out / "fuzz_dds" / "topdown.bmp", TopDownBmp()) &&
              Write(out / "fuzz_dds" / "dx10.dds", Dx10Dds()) &&
              Write(out / "fuzz_cursor_file" / "small.cur", Cursor()) &&
              Write(out / "fuzz_bitmap_font" / "two_pages.xml", kTwoPageFont);
    if (!ok) {
        std::fprintf(stderr, "generate_fuzz_seeds: cannot write under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
