// The cursor-file reader: a small cursor made here loads, and broken
// directories and images are refused with the reason that fits.
#include "platform/window/CursorFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

// A cursor file with one 2 x 2 entry at 32 bits per pixel and its mask;
// `entryBytes` overrides the directory's image size.
std::vector<uint8_t> MakeCursor(uint32_t entryBytes = 0) {
    const uint32_t imageBytes = 40 + 2 * 2 * 4 + 2 * 4;
    std::vector<uint8_t> b(6 + 16 + imageBytes, 0);
    Put16(b, 2, 2);
    Put16(b, 4, 1);
    b[6] = 2, b[7] = 2;
    Put16(b, 10, 1); // hot spot
    Put16(b, 12, 1);
    Put32(b, 14, entryBytes ? entryBytes : imageBytes);
    Put32(b, 18, 22);
    Put32(b, 22, 40);
    Put32(b, 26, 2);
    Put32(b, 30, 4); // twice the height: colours and mask
    Put16(b, 34, 1);
    Put16(b, 36, 32);
    for (size_t i = 0; i < 4; ++i)
        Put32(b, 62 + i * 4, 0xFF102030u);
    return b;
}

TEST(CursorFileTest, ACursorLoadsAndBrokenFilesSayWhy) {
    ASSERT_TRUE(Platform::EnsureVideo());
    const std::vector<uint8_t> good = MakeCursor();
    HCURSOR cursor = Platform::LoadCursorFromMemory(good.data(), good.size());
    ASSERT_NE(cursor, nullptr) << Platform::GetLastCursorFileError();
    EXPECT_STREQ(Platform::GetLastCursorFileError(), "");
    DestroyCursor(cursor);

    std::vector<uint8_t> past = good;
    Put32(past, 18, static_cast<uint32_t>(good.size()));
    std::vector<uint8_t> icon = good;
    Put16(icon, 2, 1);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"image smaller than a bitmap header", MakeCursor(24), "bad bitmap header in cursor image"},
        {"image past the end", past, "cursor image lies outside the file"},
        {"image longer than the file", MakeCursor(1000), "cursor image lies outside the file"},
        {"an icon", icon, "not a cursor file (type is not 2)"},
        {"directory cut", std::vector<uint8_t>(good.begin(), good.begin() + 12),
         "cursor directory runs past the end of the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Platform::LoadCursorFromMemory(c.bytes.data(), c.bytes.size()), nullptr);
        EXPECT_STREQ(Platform::GetLastCursorFileError(), c.reason);
    }
}

} // namespace
