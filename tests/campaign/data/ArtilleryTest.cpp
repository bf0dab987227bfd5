// The artillery list: gun types in file order, and where a faulty entry ends
// the reading.
#include "DataTestSupport.h"
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/data/CDX9KelDataIO.h"

using namespace VornaCampaign;

namespace {

std::string Gun(const std::string& name, const std::string& skip = "", const std::string& damage = "7") {
    std::string s = "<" + name + ">";
    const std::pair<const char*, const char*> values[] = {{"BombardSpeed", "2"},    {"BombardRange", "1500"},
                                                          {"FallAccuracy", "0.25"}, {"BeginArmourPirce", "300"},
                                                          {"FallArmourPirce", "0.5"}, {"Damage", damage.c_str()}};
    for (const auto& [tag, value] : values)
        if (skip != tag) s += std::string("<") + tag + ">" + value + "</" + tag + ">";
    return s + "</" + name + ">";
}

std::string Nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    return open + close;
}

class ArtilleryTest : public CampaignDataTest::LoggedFolder {
protected:
    bool Load(const std::string& body) {
        return g_DataIO.LoadArtillery(Put("Artillery.xml", "<?xml version=\"1.0\" ?>\n" + body).c_str(), &table);
    }
    std::vector<GunType> table;
};

} // namespace

TEST_F(ArtilleryTest, GunTypesAreReadInFileOrder) {
    ASSERT_TRUE(Load("<Artillery>" + Gun("Heavy") + Gun("Light", "", "") + Gun(std::string(45, 'L')) + Gun("Heavy") +
                     "</Artillery>"));
    ASSERT_EQ(table.size(), 4u);
    EXPECT_STREQ(table[0].m_szName, "Heavy");
    EXPECT_EQ(table[0].m_iBombardSpeed, 2);
    EXPECT_EQ(table[0].m_iBombardRange, 1500);
    EXPECT_FLOAT_EQ(table[0].m_fFallAccuracy, 0.25f);
    EXPECT_EQ(table[0].m_iBeginArmourPierce, 300);
    EXPECT_FLOAT_EQ(table[0].m_fFallArmourPierce, 0.5f);
    EXPECT_EQ(table[0].m_iDamage, 7);
    // Present but empty reads as -1.
    EXPECT_EQ(table[1].m_iDamage, -1);
    // Long names are cut to 39 characters.
    EXPECT_EQ(std::string(table[2].m_szName), std::string(39, 'L'));
    // Duplicates are kept; a lookup finds the first.
    EXPECT_EQ(FindGunType(table, "Heavy"), &table[0]);
    EXPECT_EQ(FindGunType(table, "Heav"), nullptr);
    EXPECT_EQ(FindGunType(table, "heavy"), nullptr);
}

TEST_F(ArtilleryTest, AFaultyEntryEndsTheLoadAndKeepsTheEntriesBefore) {
    const std::pair<std::string, std::string> cases[] = {
        {"an entry without Damage", Gun("A") + Gun("B", "Damage") + Gun("C")},
        {"an entry without BombardSpeed", Gun("A") + Gun("B", "BombardSpeed") + Gun("C")},
        {"a comment", Gun("A") + "<!-- a note -->" + Gun("C")},
        {"text between entries", Gun("A") + "loose text" + Gun("C")},
    };
    for (const auto& [what, body] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(Load("<Artillery>" + body + "</Artillery>"));
        ASSERT_EQ(table.size(), 1u);
        EXPECT_STREQ(table[0].m_szName, "A");
    }
}

TEST_F(ArtilleryTest, UnreadableFilesLeaveAnEmptyTableAndALine) {
    const std::pair<std::string, std::string> cases[] = {
        {"no Artillery root", "<Guns>" + Gun("A") + "</Guns>"},
        {"not XML", "<Artillery><A>"},
        {"nested too deep", "<Artillery>" + Nested(100) + "</Artillery>"},
    };
    for (const auto& [what, body] : cases) {
        SCOPED_TRACE(what);
        SetUp();
        table.resize(3);
        EXPECT_FALSE(Load(body));
        EXPECT_TRUE(table.empty());
        EXPECT_NE(Log().find("Error : CDX9KelDataIO::LoadArtillery : "), std::string::npos) << Log();
    }
    EXPECT_FALSE(g_DataIO.LoadArtillery((dir / "none.xml").c_str(), &table));
    EXPECT_NE(Log().find("Error : CDX9KelDataIO::LoadArtillery : xml file not read : "), std::string::npos);
}

TEST_F(ArtilleryTest, TheBattleSystemReadsTheDemoList) {
    CDX9KelBattleSystem battle;
    // The folder is taken from the program's folder: the tests' programs lie
    // beside the folder of the demo data.
    battle.m_szArtilleryFolder = "../bin/Data\\Artillery\\";
    ASSERT_TRUE(battle.InitArtillery()) << Log();
    ASSERT_GE(battle.m_stdvArtillery.size(), 3u);
    for (const GunType& t : battle.m_stdvArtillery) {
        EXPECT_GT(t.m_iBombardRange, 0) << t.m_szName;
        EXPECT_GT(t.m_iDamage, 0) << t.m_szName;
    }
}
