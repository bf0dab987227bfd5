// The save list and its summaries, and the rule that keeps save names in
// the saves folder.
#include <string>

#include <gtest/gtest.h>

#include "GameIOTestSupport.h"

using SeaBattle::CVR3GAMEIO;

namespace {

// A save head: the time field, then three text fields.
std::string Head(const std::string& time, const std::string& a, const std::string& b, const std::string& c) {
    std::string head(CVR3GAMEIO::kSaveTimeSize + 3 * CVR3GAMEIO::kSaveTextSize, '\0');
    head.replace(0, time.size(), time);
    size_t at = CVR3GAMEIO::kSaveTimeSize;
    for (const std::string* t : {&a, &b, &c}) {
        head.replace(at, t->size(), *t);
        at += CVR3GAMEIO::kSaveTextSize;
    }
    return head;
}

class SaveList : public VornaGameTest::GameIOFixture {
protected:
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
    }
    void PutSave(const std::string& fileName, const std::string& bytes) {
        VornaTest::WriteText(Platform::NativePath(m_pIO->GetFolder(CVR3GAMEIO::FOLDER_USER_SAVES) + fileName), bytes);
    }
};

TEST_F(SaveList, ListsScenarioSavesBeforeDuelSavesWithTheirSummaries) {
    ASSERT_TRUE(m_pIO->FindSaveFiles());
    EXPECT_TRUE(m_pIO->m_vSaveList.empty());

    PutSave("duel one.v3cbsavebin", Head("11.12.2026 01:40", "strait.duelxml", "Channel fight", "Blue") + "battle");
    PutSave("zeta.v3savebin", Head("10.12.2026 22:00", "demo.scnrxml", "The demo war", "Admiral"));
    PutSave("alpha.v3savebin", Head("09.12.2026 08:15", "demo.scnrxml", "The demo war", "Captain"));
    PutSave("half.v3savebin.tmp1a2b3c", "unfinished"); // a write in progress is no save
    PutSave("notes.txt", "text");
    ASSERT_TRUE(m_pIO->FindSaveFiles());
    ASSERT_EQ(m_pIO->m_vSaveList.size(), 3u);
    EXPECT_EQ(m_pIO->m_vSaveList[0]->m_strName, "alpha");
    EXPECT_EQ(m_pIO->m_vSaveList[1]->m_strName, "zeta");
    EXPECT_EQ(m_pIO->m_vSaveList[1]->m_strKind, "v3savebin");
    EXPECT_EQ(m_pIO->m_vSaveList[2]->m_strName, "duel one");
    EXPECT_EQ(m_pIO->m_vSaveList[2]->m_strKind, "v3cbsavebin");

    std::string time, first, second;
    ASSERT_TRUE(m_pIO->LoadAnySaveInfo(1, &time, &first, &second));
    EXPECT_EQ(time, "10.12.2026 22:00");
    EXPECT_EQ(first, "The demo war");
    EXPECT_EQ(second, "Admiral");
    first.clear();
    ASSERT_TRUE(m_pIO->LoadAnySaveInfo(2, nullptr, &first, nullptr));
    EXPECT_EQ(first, "Channel fight");
    EXPECT_FALSE(m_pIO->LoadAnySaveInfo(3, &time, &first, &second));

    // Listing again starts from an empty list.
    ASSERT_TRUE(m_pIO->FindSaveFiles());
    EXPECT_EQ(m_pIO->m_vSaveList.size(), 3u);
}

TEST_F(SaveList, ABrokenHeadIsRefusedAndATextWithoutItsZeroIsCut) {
    PutSave("short.v3savebin", Head("t", "a", "b", "c").substr(0, 250));
    std::string full = Head("t", "a", "b", "c");
    full.replace(CVR3GAMEIO::kSaveTimeSize + CVR3GAMEIO::kSaveTextSize, CVR3GAMEIO::kSaveTextSize,
                 std::string(CVR3GAMEIO::kSaveTextSize, 'x'));
    full.replace(0, CVR3GAMEIO::kSaveTimeSize, std::string(CVR3GAMEIO::kSaveTimeSize, '7'));
    PutSave("wide.v3savebin", full);
    ASSERT_TRUE(m_pIO->FindSaveFiles());
    ASSERT_EQ(m_pIO->m_vSaveList.size(), 2u);
    std::string time = "kept", first = "kept";
    EXPECT_FALSE(m_pIO->LoadAnySaveInfo(0, &time, &first, nullptr));
    EXPECT_EQ(first, "kept");
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadAnySaveInfo() : not open file : "), std::string::npos);
    ASSERT_TRUE(m_pIO->LoadAnySaveInfo(1, &time, &first, nullptr));
    EXPECT_EQ(time, std::string(CVR3GAMEIO::kSaveTimeSize - 1, '7'));
    EXPECT_EQ(first, std::string(CVR3GAMEIO::kSaveTextSize - 1, 'x'));
}

TEST(SaveNames, OnlyNamesThatStayInTheSavesFolderAreAllowed) {
    struct Case {
        std::string name;
        bool allowed;
    } cases[] = {
        {"autosave_battle_3", true},
        {"my save 2", true},
        {"sj\xf6slag", true}, // a letter of another code page
        {std::string(64, 'a'), true},
        {std::string(65, 'a'), false},
        {"", false},
        {"../escape", false},
        {"a..b", false},
        {"..", false},
        {".hidden", false},
        {"/etc/passwd", false},
        {"sub/name", false},
        {"C:\\saves\\x", false},
        {"back\\slash", false},
        {"drive:name", false},
        {"tab\tname", false},
        {"line\nname", false},
        {std::string("nul\0x", 5), false},
        {"del\x7f", false},
    };
    for (const Case& c : cases) EXPECT_EQ(CVR3GAMEIO::IsSaveNameAllowed(c.name), c.allowed) << c.name;
}

} // namespace
