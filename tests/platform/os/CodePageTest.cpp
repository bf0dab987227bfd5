#include "platform/os/CodePage.h"
#include "platform/os/MessageBox.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(CodePage, ConvertsBothWays) {
    struct Case {
        std::string cp1251;
        std::string utf8;
    } cases[] = {
        {"Ship 1", "Ship 1"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"}, // "Привет"
        {"\xA8\xB8", "\xD0\x81\xD1\x91"},                                                 // Ё ё
        {"\x88\xB9\x96", "\xE2\x82\xAC\xE2\x84\x96\xE2\x80\x93"},                         // € № –
        {"\xD1", "\xD0\xA1"},                                                             // С
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Platform::Cp1251ToUtf8(c.cp1251), c.utf8);
        EXPECT_EQ(Platform::Utf8ToCp1251(c.utf8), c.cp1251);
    }
    // Every byte survives the round trip except the one without a character.
    for (int b = 1; b < 256; ++b) {
        const std::string s(1, static_cast<char>(b));
        if (b == 0x98)
            EXPECT_EQ(Platform::Cp1251ToUtf8(s), "\xEF\xBF\xBD");
        else
            EXPECT_EQ(Platform::Utf8ToCp1251(Platform::Cp1251ToUtf8(s)), s) << b;
    }
}

TEST(CodePage, DropsWhatTheCodePageLacksAndBrokenSequences) {
    EXPECT_EQ(Platform::Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "ab");       // a CJK character
    EXPECT_EQ(Platform::Utf8ToCp1251("a\xF0\x9F\x98\x80" "b"), "ab");   // an emoji
    EXPECT_EQ(Platform::Utf8ToCp1251("a\xD0" "b"), "ab");               // cut sequence
    EXPECT_EQ(Platform::Utf8ToCp1251("a\x80\xBF" "b"), "ab");           // stray continuations
    EXPECT_EQ(Platform::Utf8ToCp1251("\xC0\xAF"), "");                  // overlong '/'
    EXPECT_EQ(Platform::Utf8ToCp1251("\xD0"), "");                      // cut at the end
    unsigned char byte = 0;
    EXPECT_TRUE(Platform::CodePointToCp1251(U'\u044F', byte));
    EXPECT_EQ(byte, 0xFF);
    EXPECT_FALSE(Platform::CodePointToCp1251(U'\u00E9', byte));
}

TEST(MessageBox, HeadlessWritesToStandardErrorAndReturnsAtOnce) {
    setenv("VORNA_HEADLESS", "1", 1);
    EXPECT_TRUE(Platform::IsHeadless());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "\xCE\xF8\xE8\xE1\xEA\xE0 font", "Vorna", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Vorna: \xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0 font\n");
    unsetenv("VORNA_HEADLESS");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = driver ? driver : "";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_TRUE(Platform::IsHeadless());
    if (driver) setenv("SDL_VIDEODRIVER", saved.c_str(), 1); else unsetenv("SDL_VIDEODRIVER");
}

} // namespace
