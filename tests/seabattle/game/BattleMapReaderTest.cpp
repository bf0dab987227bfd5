// Battle map files read into the battle map on a headless scene: the demo
// maps with their players, ships and directors, and small maps written by
// the tests for the reader's refusals and choices.
#include "GameIOTestSupport.h"
#include "common/DemoData.h"

#include <tinyxml.h>

#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"

#include <memory>
#include <string>

using namespace SeaBattle;

namespace {

constexpr const char* kBase =
    "<BaseMap><Name>Test</Name><MinBorders x='-200' y='-50' z='-200'/><MaxBorders x='200' y='50' z='200'/>"
    "<NodeSize>50</NodeSize><Environment><File>demo_sea.mapenvxml</File></Environment></BaseMap>";
constexpr const char* kBorders =
    "<MinBattleBorders x='-100' y='-10' z='-90'/><MaxBattleBorders x='100' y='10' z='90'/>"
    "<MinActiveBorders x='-150' y='-10' z='-150'/><MaxActiveBorders x='150' y='10' z='150'/>";
constexpr const char* kPlayers =
    "<Players>"
    "<Player><PlayerName>Red</PlayerName><RunawayPosition x='0' y='0' z='-150'/>"
    "<LeadersPositions><P><Position x='1' y='0' z='2'/></P><!-- a note --><P><Position x='3' y='0' z='4'/></P>"
    "</LeadersPositions></Player>"
    "<Player><PlayerName>Blue</PlayerName><RunawayPosition x='0' y='0' z='150'/></Player>"
    "</Players>";

class BattleMapReaderTest : public VornaGameTest::GameIOFixture {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        // The demo's folders and files.
        m_pIO->InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), m_dir.string() + "/");
        m_map = std::make_unique<CVR3GAMEBattleMap>();
        ASSERT_TRUE(m_map->Init(m_pScene));
        m_pIO->m_pBattleMap = m_map.get();
    }
    void TearDown() override {
        if (m_map) m_map->Clear();
        m_map.reset();
        GameIOFixture::TearDown();
    }
    bool Read(const std::string& body, bool playersExist = false) {
        TiXmlDocument doc;
        doc.Parse(("<BattleMap>" + body + "</BattleMap>").c_str());
        m_map->ClearMap();
        return m_pIO->LoadBattleMapFromXML(doc, playersExist, nullptr);
    }
    CVR3GAMEBattleMapPlayer* Player(const char* name) {
        const std::string n = name;
        return m_map->GetPlayer(&n);
    }
    std::unique_ptr<CVR3GAMEBattleMap> m_map;
};

TEST_F(BattleMapReaderTest, DemoMapBringsTwoComputerFleetsReadyToFight) {
    ASSERT_TRUE(m_pIO->LoadBattleArtilleryList("demo_guns.artlstxml"));
    ASSERT_TRUE(m_pIO->LoadBattleMapFromFile("demo_battle.btlmapxml", false, nullptr)) << Log();
    EXPECT_EQ(m_map->m_iTimeLimit, 30);
    ASSERT_EQ(m_map->GetPlayers().size(), 2u);
    ASSERT_EQ(m_map->GetDirectors().size(), 2u);
    for (CVR3GAMEBattleMapPlayer* p : m_map->GetPlayers()) {
        EXPECT_EQ(p->m_stdvBattleShips.size(), 8u) << p->m_strPlayerName;
        // Every ship can be found by its hull: none is of another kind.
        for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
            EXPECT_EQ(p->GetBattleMapShipBySceneObject(s->m_pSceneObject), s);
        EXPECT_EQ(p->m_stdvLeadersPositions.size(), 3u);
        EXPECT_FLOAT_EQ(p->m_vMaxBattleBorders.x, m_map->m_vMaxBattleBorders.x);
        // The ships stand in three columns, formed by the director.
        std::size_t columns = 0;
        for (CVR3GAMEBattleMapShipsColumn* c : p->m_stdvColumns)
            if (c && !c->m_stdvBattleShips.empty()) ++columns;
        EXPECT_EQ(columns, 3u) << p->m_strPlayerName;
        auto* d = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(p->m_pDirector);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->m_pBehaviour, nullptr);
        ASSERT_EQ(d->m_stdvEnemies.size(), 1u);
        EXPECT_NE(d->m_stdvEnemies.front(), p);
    }
    EXPECT_TRUE(m_map->InitDirectorsBehaviours());
    // The environment is in the engine scene.
    ASSERT_NE(m_map->m_BaseMap.m_pEnvironment, nullptr);
    EXPECT_EQ(Log().find("LoadBattleMapFromXML"), std::string::npos) << Log();
}

TEST_F(BattleMapReaderTest, HumanDemoMapNeedsItsBattleScreenForTheHumanDirector) {
    ASSERT_TRUE(m_pIO->LoadBattleArtilleryList("demo_guns.artlstxml"));
    ASSERT_TRUE(m_pIO->LoadBattleMapFromFile("demo_human.btlmapxml", false, nullptr));
    // No battle screen is set here: the human's director is made but the
    // screen binding refuses, the computer's is made as usual.
    EXPECT_NE(Log().find("CVR3GAMEIO::CreateBattleMapPlayerDirectorHuman() : pPlayerHuman->SetMapScreen() failed\n"),
              std::string::npos);
    EXPECT_TRUE(m_map->HasHumanDirector());
    EXPECT_EQ(m_map->GetDirectors().size(), 2u);
}

TEST_F(BattleMapReaderTest, MissingBaseMapOrBorderEndsTheLoadWithItsMessage) {
    struct Case {
        std::string body, message;
    };
    const std::string b = kBorders;
    const Case cases[] = {
        {b, "CVR3GAMEIO::LoadBattleMapFromXML() : not found BaseMap node\n"},
        {std::string(kBase), "CVR3GAMEIO::LoadBattleMapFromXML() : not found 'MinBattleBorders' node\n"},
        {std::string(kBase) + "<MinBattleBorders/><MinActiveBorders/><MaxActiveBorders/>",
         "CVR3GAMEIO::LoadBattleMapFromXML() : not found 'MaxBattleBorders' node\n"},
        {std::string(kBase) + "<MinBattleBorders/><MaxBattleBorders/><MaxActiveBorders/>",
         "CVR3GAMEIO::LoadBattleMapFromXML() : not found 'MinActiveBorders' node\n"},
        {std::string(kBase) + "<MinBattleBorders/><MaxBattleBorders/><MinActiveBorders/>",
         "CVR3GAMEIO::LoadBattleMapFromXML() : not found 'MaxActiveBorders' node\n"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Read(c.body + kPlayers)) << c.message;
        EXPECT_NE(Log().find(c.message), std::string::npos) << c.message;
        EXPECT_TRUE(m_map->GetPlayers().empty()) << c.message;
    }
    TiXmlDocument other;
    other.Parse("<Map/>");
    EXPECT_FALSE(m_pIO->LoadBattleMapFromXML(other, false, nullptr));
}

TEST_F(BattleMapReaderTest, PlayersGetTheirPlaceAndACopyOfTheBorders) {
    ASSERT_TRUE(Read(std::string(kBase) + kBorders + "<TimeLimit>12</TimeLimit>" + kPlayers));
    EXPECT_EQ(m_map->m_iTimeLimit, 12);
    CVR3GAMEBattleMapPlayer* red = Player("Red");
    ASSERT_NE(red, nullptr);
    EXPECT_FLOAT_EQ(red->m_vRunawayPosition.z, -150.0f);
    EXPECT_FLOAT_EQ(red->m_vMinBattleBorders.z, -90.0f);
    EXPECT_FLOAT_EQ(red->m_vMaxActiveBorders.x, 150.0f);
    ASSERT_EQ(red->m_stdvLeadersPositions.size(), 2u); // the comment is skipped
    EXPECT_FLOAT_EQ(red->m_stdvLeadersPositions[1]._43, 4.0f);
    EXPECT_NE(Player("Blue"), nullptr);

    // Players made earlier are only placed: start positions replaced, an
    // unknown name logged (the message's odd spacing kept), the rest read.
    const std::string placed =
        "<Players><Player><PlayerName>Green</PlayerName><RunawayPosition/></Player>"
        "<Player><PlayerName>Red</PlayerName><RunawayPosition x='5' y='0' z='6'/>"
        "<LeadersPositions><P><Position x='9' y='0' z='9'/></P></LeadersPositions></Player></Players>";
    ASSERT_TRUE(Read(std::string(kBase) + kBorders + placed, true));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleMapPlayerFromXML() : m_pBattleMap->GetPlayer() for 'Green'failed\n"),
              std::string::npos);
    ASSERT_EQ(red->m_stdvLeadersPositions.size(), 1u);
    EXPECT_FLOAT_EQ(red->m_stdvLeadersPositions[0]._41, 9.0f);
    EXPECT_FLOAT_EQ(red->m_vRunawayPosition.x, 5.0f);
    EXPECT_EQ(m_map->GetPlayers().size(), 2u);
}

TEST_F(BattleMapReaderTest, DirectorsByElementNameWithTheirBehaviourAndDistance) {
    const std::string directors =
        "<Directors>"
        "<COMPUTER><PlayerName>Blue</PlayerName><Behaviour>1</Behaviour></COMPUTER>"
        "<computer><PlayerName>Red</PlayerName><Behaviour dxColumnBattleDistance='5.9'>1</Behaviour>"
        "<EnemysPlayers><N>Blue</N><N>Red</N></EnemysPlayers></computer>"
        "<Computer><PlayerName>Blue</PlayerName><Behaviour dxColumnBattleDistance='6'>1</Behaviour></Computer>"
        "</Directors>";
    ASSERT_TRUE(Read(std::string(kBase) + kBorders + kPlayers + directors));
    EXPECT_EQ(Log().find("COMPUTER"), std::string::npos);
    auto* red = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(Player("Red")->m_pDirector);
    auto* blue = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(Player("Blue")->m_pDirector);
    ASSERT_NE(red, nullptr);
    ASSERT_NE(blue, nullptr);
    ASSERT_NE(red->m_pBehaviour, nullptr);
    EXPECT_FLOAT_EQ(red->m_pBehaviour->m_fColumnBattleDistance, 8.0f);
    EXPECT_FLOAT_EQ(blue->m_pBehaviour->m_fColumnBattleDistance, 6.0f);
    // Its own name is refused as an enemy; the other is kept.
    EXPECT_EQ(red->m_stdvEnemies, (std::vector<CVR3GAMEBattleMapPlayer*>{Player("Blue")}));
    EXPECT_NE(Log().find("SetEmeny() : for itself not enemy"), std::string::npos);

    // Behaviour 2 or without text: no behaviour, no message; without the
    // element the director is refused.
    const std::string others =
        "<Directors>"
        "<Computer><PlayerName>Red</PlayerName><Behaviour>2</Behaviour></Computer>"
        "<Computer><PlayerName>Blue</PlayerName><Behaviour/></Computer>"
        "</Directors>";
    ASSERT_TRUE(Read(std::string(kBase) + kBorders + others, true));
    for (const char* name : {"Red", "Blue"}) {
        auto* d = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(Player(name)->m_pDirector);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->m_pBehaviour, nullptr);
        EXPECT_FALSE(d->InitBehaviour());
    }
    EXPECT_EQ(Log().find("CreateBehaviour() failed for type"), std::string::npos);
    ASSERT_TRUE(Read(std::string(kBase) + kBorders +
                         "<Directors><Computer><PlayerName>Red</PlayerName></Computer></Directors>",
                     true));
    EXPECT_NE(Log().find("CVR3GAMEIO::CreateBattleMapPlayerDirectorComputer() : not found Behaviour node\n"),
              std::string::npos);
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleMapFromXML() : CreateBattleMapPlayerDirectorComputer() failed\n"),
              std::string::npos);
}

TEST_F(BattleMapReaderTest, SceneryWithoutItsFileAbortsTheLoad) {
    const std::string scenery =
        "<StaticObjects><Rock><SceneObjectWorld/><SceneObjectFile>missing.scobjxml</SceneObjectFile></Rock>"
        "<Rock><SceneObjectWorld/></Rock></StaticObjects>";
    EXPECT_FALSE(Read(std::string(kBase) + kBorders + scenery + kPlayers));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleMapFromXML() : CreateSceneObjectFromFile() failed\n"),
              std::string::npos);
    EXPECT_TRUE(m_map->GetPlayers().empty());
}

TEST_F(BattleMapReaderTest, FileKindsAndAnUnreadableFile) {
    ASSERT_TRUE(Read(std::string(kBase) + kBorders + kPlayers));
    EXPECT_FALSE(m_pIO->LoadBattleMapFromFile("", false, nullptr));
    EXPECT_TRUE(m_pIO->LoadBattleMapFromFile("saved.btlmapbin", false, nullptr));
    EXPECT_FALSE(m_pIO->LoadBattleMapFromFile("map.txt", false, nullptr));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleMapFromFile() : file expansion parser not defined\n"),
              std::string::npos);
    EXPECT_FALSE(m_pIO->LoadBattleMapFromFile("absent.btlmapxml", false, nullptr));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleMapFromFile() : xml file not read : "), std::string::npos);
    m_pIO->m_strFolders[CVR3GAMEIO::FOLDER_BATTLE_MAPS] = m_dir.string() + "/Maps/";
    Put(CVR3GAMEIO::FOLDER_BATTLE_MAPS, "broken.btlmapxml", "<BattleMap><BaseMap>");
    EXPECT_FALSE(m_pIO->LoadBattleMapFromFile("broken.btlmapxml", false, nullptr));
}

} // namespace
