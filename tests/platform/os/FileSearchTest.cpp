#include "platform/os/FileSearch.h"
#include "TestFolder.h"

#include <vector>

namespace {

std::vector<std::string> List(const std::string& pattern, std::vector<DWORD>* attributes = nullptr) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(data.cFileName);
        if (attributes) attributes->push_back(data.dwFileAttributes);
    } while (FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    return names;
}

TEST(FileSearch, ListsMatchesInNameOrderIgnoringCase) {
    const auto dir = VornaTest::FreshFolder();
    for (const char* n : {"b.xml", "A.XML", "c.txt", "save2.v3savebin", "Save1.v3savebin", "x.xml.bak"})
        VornaTest::WriteText(dir / n, n);
    std::filesystem::create_directories(dir / "Sub.xml");
    const std::string d = dir.string();
    std::vector<DWORD> attrs;
    EXPECT_EQ(List(d + "/*.xml", &attrs), (std::vector<std::string>{"A.XML", "b.xml", "Sub.xml"}));
    ASSERT_EQ(attrs.size(), 3u);
    EXPECT_FALSE(attrs[0] & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(attrs[2] & FILE_ATTRIBUTE_DIRECTORY);
    // Backslashes in the pattern, '?' and a pattern in the other case.
    EXPECT_EQ(List(d + "\\SAVE?.V3SAVEBIN"), (std::vector<std::string>{"Save1.v3savebin", "save2.v3savebin"}));
    EXPECT_EQ(List(d + "/*").size(), 9u); // seven entries plus "." and ".."
}

TEST(FileSearch, ReportsMissingMatchesAndFolders) {
    const auto dir = VornaTest::FreshFolder();
    WIN32_FIND_DATAA data{};
    EXPECT_EQ(FindFirstFileA((dir.string() + "/*.none").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA((dir.string() + "/missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST(FileSearch, WildcardsTable) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {{"*", "anything", true},  {"*.xml", "a.XML", true},   {"*.xml", "a.xmlx", false},
                 {"a?c", "abc", true},     {"a?c", "ac", false},       {"*a*b*", "xxaYYbzz", true},
                 {"*.*", "noext", false},  {"", "", true},             {"**x", "abx", true}};
    for (const Case& c : cases)
        EXPECT_EQ(Platform::MatchesWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(FileSearch, CopyAndDelete) {
    const auto dir = VornaTest::FreshFolder();
    const std::string a = (dir / "a.txt").string(), b = (dir / "b.txt").string();
    VornaTest::WriteText(a, "first");
    EXPECT_TRUE(CopyFileA(a.c_str(), b.c_str(), TRUE));
    EXPECT_EQ(VornaTest::ReadText(b), "first");
    VornaTest::WriteText(a, "second");
    EXPECT_FALSE(CopyFileA(a.c_str(), b.c_str(), TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(VornaTest::ReadText(b), "first");
    EXPECT_TRUE(CopyFileA(a.c_str(), b.c_str(), FALSE));
    EXPECT_EQ(VornaTest::ReadText(b), "second");
    EXPECT_TRUE(CopyFileA(a.c_str(), a.c_str(), FALSE));
    EXPECT_EQ(VornaTest::ReadText(a), "second");
    EXPECT_FALSE(CopyFileA((dir / "none").c_str(), b.c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    EXPECT_TRUE(DeleteFileA(b.c_str()));
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_FALSE(DeleteFileA(b.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileA(dir.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

} // namespace
