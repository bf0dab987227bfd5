#include "platform/os/Profile.h"
#include "TestFolder.h"

#include <cstring>
#include <string>

namespace {

std::string Read(const char* section, const char* key, const char* def, const std::string& file, DWORD size = 260) {
    std::string buf(size, 'x');
    const DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, file.c_str());
    EXPECT_EQ(n, std::char_traits<char>::length(buf.c_str()));
    return buf.c_str();
}

TEST(Profile, ReadsStringsAsTheProfileFunctionsDo) {
    const auto ini = (VornaTest::FreshFolder() / "engine.ini").string();
    VornaTest::WriteText(ini,
                         "; comment\r\n"
                         "[Grafic Settings]\r\n"
                         "  Width = 1024  \r\n"
                         "Name=\"quoted value\"\r\n"
                         "width=800\r\n"
                         ";Height=1\r\n"
                         "Empty=\r\n"
                         "[Other]\n"
                         "Width=5\n");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* expected;
    } cases[] = {
        {"Grafic Settings", "Width", "d", "1024"},      // trimmed, first occurrence wins
        {"grafic settings", "WIDTH", "d", "1024"},      // names ignore case
        {"Grafic Settings", "Name", "d", "quoted value"}, // one pair of quotes stripped
        {"Grafic Settings", "Height", "d", "d"},        // commented out
        {"Grafic Settings", "Empty", "d", ""},          // present but empty
        {"Missing", "Width", "dflt", "dflt"},
        {"Other", "Width", "d", "5"},
        {"Other", "Missing", nullptr, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.section, c.key, c.def, ini), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(Read("Grafic Settings", "Name", "", ini, 6), "quote"); // cut to size - 1
    EXPECT_EQ(Read("Grafic Settings", "Width", "default", ini + ".missing"), "default");
}

TEST(Profile, ReadsIntegers) {
    const auto ini = (VornaTest::FreshFolder() / "a.ini").string();
    VornaTest::WriteText(ini, "[S]\nA=42\nB=-1\nC=  7abc\nD=abc\nE=\nF=0x1F\nG=+3\n");
    struct Case {
        const char* key;
        int def;
        int expected;
    } cases[] = {{"A", 0, 42}, {"B", 0, -1}, {"C", 0, 7}, {"D", 5, 0}, {"E", 9, 9}, {"F", 0, 31}, {"G", 0, 3}, {"Z", -1, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("S", c.key, c.def, ini.c_str())), c.expected) << c.key;
}

TEST(Profile, WritesKeepOtherLinesAndOrder) {
    const auto ini = (VornaTest::FreshFolder() / "w.ini").string();
    VornaTest::WriteText(ini, "; settings\n[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    EXPECT_TRUE(WritePrivateProfileStringA("A", "Y", "20", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("A", "new", "n", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("C", "k", "v", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("B", "z", nullptr, ini.c_str()));
    EXPECT_EQ(VornaTest::ReadText(ini), "; settings\n[A]\nx=1\nY=20\nnew=n\n\n[B]\n[C]\nk=v\n");
}

TEST(Profile, FailedWriteKeepsTheOldFile) {
    const auto dir = VornaTest::FreshFolder();
    const auto ini = (dir / "missing-folder" / "w.ini").string();
    EXPECT_FALSE(WritePrivateProfileStringA("A", "x", "1", ini.c_str()));

    // A settings file too large to read is refused, not replaced by one key.
    const auto big = (dir / "big.ini").string();
    const std::string content = "[A]\nx=1\n" + std::string(5u << 20, ';') + "\n";
    VornaTest::WriteText(big, content);
    EXPECT_FALSE(WritePrivateProfileStringA("A", "y", "2", big.c_str()));
    EXPECT_EQ(std::filesystem::file_size(big), content.size());
}

TEST(Profile, ListsSectionsAndKeysAsDoubleTerminatedLists) {
    const auto ini = (VornaTest::FreshFolder() / "l.ini").string();
    VornaTest::WriteText(ini, "[One]\r\na=1\r\n;b=2\r\nno equals sign\r\nc = 3\r\n[Two]\r\n");
    char buf[64];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, ini.c_str());
    EXPECT_EQ(std::string(buf, n + 1), std::string("One\0Two\0\0", 9));
    n = GetPrivateProfileStringA("one", nullptr, "", buf, sizeof buf, ini.c_str());
    EXPECT_EQ(std::string(buf, n + 1), std::string("a\0c\0\0", 5));
    // A list cut by a small buffer still ends in two terminators.
    std::memset(buf, 'x', sizeof buf);
    n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, 5, ini.c_str());
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, 5u);
    EXPECT_EQ(buf[n - 1], '\0');
    EXPECT_EQ(buf[n], '\0');
    EXPECT_EQ(std::string(buf), "One");
}

TEST(Profile, WritesKeepCrLfLineEndsAndCreateMissingFiles) {
    const auto dir = VornaTest::FreshFolder();
    const auto crlf = (dir / "crlf.ini").string();
    VornaTest::WriteText(crlf, "[A]\r\nx=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("A", "x", "2", crlf.c_str()));
    EXPECT_EQ(VornaTest::ReadText(crlf), "[A]\r\nx=2\r\n");
    const auto fresh = (dir / "new.ini").string();
    EXPECT_TRUE(WritePrivateProfileStringA("Grafic Settings", "Width", "800", fresh.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("grafic settings", "width", -1, fresh.c_str()), 800u);
    EXPECT_TRUE(WritePrivateProfileStringA("Grafic Settings", nullptr, nullptr, fresh.c_str()));
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Grafic Settings", "Width", -1, fresh.c_str())), -1);
}

} // namespace
