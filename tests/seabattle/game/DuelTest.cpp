// The duel file reader, the duel's players and directors, the shop rules
// of the set-up and the duel score.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <limits>

#include "GameIOTestSupport.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace SeaBattle;

namespace {

const char* kInfo = "<InformationShip><ShipTypeName>%s</ShipTypeName><Displacement>%s</Displacement>"
                    "<DisplUnitCost>2</DisplUnitCost><Icon><Borders/><Texture>t</Texture><Font>f</Font>"
                    "<TextRelativePosition/><TextCoordinates/><TextColors/></Icon></InformationShip>";

std::string Info(const char* name, const char* displacement) {
    char buf[512];
    std::snprintf(buf, sizeof buf, kInfo, name, displacement);
    return buf;
}

// The elements of a complete duel file, in order; a test drops one by name.
const char* kRoot[][2] = {
    {"DuelName", "Channel fight"},
    {"DuelHumanName", "Blue"},
    {"DuelComputerName", "Red"},
    {"ScreenLoad", "duel_load"},
    {"ScreenDuel", "duel_menu"},
    {"ScreenDuelEnd", "duel_end"},
    {"ScreenBattle", "battle_game"},
    {"ScreenBattleEnd", "duel_results"},
    {"BattleMap", "duel.btlmapxml"},
    {"ShipsTypesCount", "4"},
    {"Money", "$"},
};

std::string DuelXml(const std::string& drop = "", const std::string& players = "") {
    std::string xml = "<Duel>";
    for (const auto& e : kRoot)
        if (drop != e[0]) xml += std::string("<") + e[0] + ">" + e[1] + "</" + e[0] + ">";
    if (drop != "ArtilleryLists")
        xml += "<ArtilleryLists><a>easy.artlstxml</a><!-- none --><b>mid.artlstxml</b><c>hard.artlstxml</c>"
               "</ArtilleryLists>";
    if (drop != "Players") {
        xml += "<Players>";
        xml += players.empty()
                   ? "<P><PlayerName>Blue</PlayerName><Screen>duel_player_blue</Screen><Money>1000</Money>"
                     "<ShipsTypes><!-- shop --><T><InfoObjectFile>small.infobjxml</InfoObjectFile>"
                     "<SceneObjectFile>s.scobjxml</SceneObjectFile><MovementObjectFile>s.movobjxml"
                     "</MovementObjectFile><AnimatedObjectFile>s.anmobjxml</AnimatedObjectFile>"
                     "<BattleObjectFile>s.btlobjxml</BattleObjectFile><ArtilleryObjectFile>s.artobjxml"
                     "</ArtilleryObjectFile></T><T><InfoObjectFile>missing.infobjxml</InfoObjectFile></T>"
                     "<T><InfoObjectFile>big.infobjxml</InfoObjectFile></T></ShipsTypes></P><!-- second -->"
                     "<P><PlayerName>Red</PlayerName><Screen>duel_player_red</Screen><Money>600</Money>"
                     "<ShipsTypes><T><InfoObjectFile>small.infobjxml</InfoObjectFile></T></ShipsTypes></P>"
                   : players;
        xml += "</Players>";
    }
    return xml + "</Duel>";
}

class DuelReader : public VornaGameTest::GameIOFixture {
protected:
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        m_pScreens = new Vorna3D::CVR3CIIScreenManager();
        for (const char* name : {"battle_game", "duel_menu", "duel_player_blue", "duel_player_red"}) {
            auto* screen = new Vorna3D::CVR3CIIScreen();
            screen->m_strName = name;
            m_pScreens->m_stdvScreens.push_back(screen);
        }
        m_pScene->m_pManagers[Vorna3D::KEL_SCENE_SCREEN_MANAGER] = m_pScreens;
        ASSERT_TRUE(m_map.Init(m_pScene));
        m_pIO->m_pBattleMap = &m_map;
        m_pIO->m_pDuel = &m_duel;
        Put(SeaBattle::CVR3GAMEIO::FOLDER_INFORMATION_OBJECTS, "small.infobjxml", Info("Sloop", "100"));
        Put(SeaBattle::CVR3GAMEIO::FOLDER_INFORMATION_OBJECTS, "big.infobjxml", Info("Frigate", "300"));
    }
    void TearDown() override {
        m_duel.Clear();
        m_map.Clear();
        if (m_pScene) m_pScene->m_pManagers[Vorna3D::KEL_SCENE_SCREEN_MANAGER] = nullptr;
        delete m_pScreens;
        GameIOFixture::TearDown();
    }
    bool Load(const std::string& xml) {
        Put(SeaBattle::CVR3GAMEIO::FOLDER_DUEL, "test.duelxml", xml);
        return m_pIO->LoadDuelFromFile("test.duelxml");
    }

    Vorna3D::CVR3CIIScreenManager* m_pScreens = nullptr;
    CVR3GAMEBattleMap m_map;
    CVR3GAMEDuel m_duel;
};

TEST_F(DuelReader, ReadsNamesScreensListsAndEachPlayersShop) {
    ASSERT_TRUE(Load(DuelXml())) << Log();
    EXPECT_EQ(m_duel.m_strFileName, "test.duelxml");
    EXPECT_EQ(m_duel.m_strDuelName, "Channel fight");
    EXPECT_EQ(m_duel.m_strHumanName, "Blue");
    EXPECT_EQ(m_duel.m_strScreenBattleEnd, "duel_results");
    EXPECT_EQ(m_duel.m_strBattleMap, "duel.btlmapxml");
    EXPECT_EQ(m_duel.m_iShipsTypesCount, 4);
    EXPECT_EQ(m_duel.m_strMoney, "$");
    ASSERT_EQ(m_duel.m_stdvArtilleryLists.size(), 3u); // the comment is skipped
    EXPECT_EQ(m_duel.m_stdvArtilleryLists[2], "hard.artlstxml");
    EXPECT_EQ(m_map.m_pBattleScreen, m_pScreens->FindScreen("battle_game"));

    ASSERT_EQ(m_duel.m_stdvDirectors.size(), 2u);
    CVR3GAMEDuelPlayerDirector* blue = m_duel.GetPlayer("Blue");
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(blue, m_duel.m_stdvDirectors[0]);
    EXPECT_EQ(blue->m_pPlayer->m_pDirector, blue);
    EXPECT_EQ(blue->m_strScreen, "duel_player_blue");
    EXPECT_EQ(blue->m_dwStartMoney, 1000u);
    EXPECT_EQ(blue->m_dwMoney, 1000u);
    // The type whose card is missing is skipped; the player is still read.
    ASSERT_EQ(blue->m_stdvShipTypes.size(), 2u);
    EXPECT_NE(Log().find("CreateDuelPayerDirectorShipTypeFromXML() failed"), std::string::npos);
    const CVR3GAMEDuelShipType* sloop = blue->m_stdvShipTypes[0];
    EXPECT_EQ(sloop->m_pInfo->ShipTypeName, "Sloop");
    EXPECT_EQ(sloop->m_strFiles[CVR3GAMEDuelShipType::FILE_INFO], "small.infobjxml");
    EXPECT_EQ(sloop->m_strFiles[CVR3GAMEDuelShipType::FILE_SCENE], "s.scobjxml");
    EXPECT_EQ(sloop->m_strFiles[CVR3GAMEDuelShipType::FILE_ARTILLERY], "s.artobjxml");
    EXPECT_EQ(sloop->GetPrice(), 200u);
    EXPECT_EQ(blue->m_stdvShipTypes[1]->GetPrice(), 600u);
    EXPECT_EQ(m_duel.GetPlayer("Red")->m_dwMoney, 600u);
    EXPECT_EQ(m_duel.GetPlayer("Green"), nullptr);
}

TEST_F(DuelReader, AnyMissingPartFailsAndLeavesNoHalfDuel) {
    const char* player = "<P><PlayerName>Blue</PlayerName><Screen>duel_player_blue</Screen><Money>5</Money></P>";
    struct Case {
        std::string drop;
        std::string players;
        const char* message; // null: fails without a line of its own
    } cases[] = {
        {"DuelName", "", nullptr},
        {"ScreenDuel", "", nullptr},
        {"ShipsTypesCount", "", nullptr},
        {"Money", "", nullptr},
        {"ArtilleryLists", "", "not found xml node ''ArtilleryLists''"},
        {"Players", "", "not found xml node ''Players''"},
        {"", "<P><Screen>duel_player_blue</Screen><Money>5</Money></P>", "LoadDuelPlayerDataFromXML() failed"},
        {"", "<P><PlayerName>Blue</PlayerName><Money>5</Money></P>", "LoadDuelPlayerDataFromXML() failed"},
        {"", "<P><PlayerName>Blue</PlayerName><Screen>duel_player_blue</Screen></P>",
         "LoadDuelPlayerDataFromXML() failed"},
        {"", std::string(player) + player, "player with name 'Blue' already exist"},
        {"", "<P><PlayerName>Blue</PlayerName><Screen>nowhere</Screen><Money>5</Money></P>",
         "not found duel screen with name: 'nowhere'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drop + c.players);
        ASSERT_TRUE(Load(DuelXml()));
        EXPECT_FALSE(Load(DuelXml(c.drop, c.players)));
        EXPECT_NE(Log().find("LoadDuelDataFromXML() failed for file"), std::string::npos);
        if (c.message) {
            EXPECT_NE(Log().find(c.message), std::string::npos);
        }
        EXPECT_TRUE(m_duel.m_stdvDirectors.empty());
        EXPECT_TRUE(m_duel.m_stdvPlayers.empty());
        EXPECT_TRUE(m_duel.m_strFileName.empty());
    }
}

TEST_F(DuelReader, BattleScreenMustExistAndTheNameDecidesTheReader) {
    std::string xml = DuelXml();
    xml.replace(xml.find("battle_game"), 11, "no_such_screen");
    EXPECT_FALSE(Load(xml));
    EXPECT_NE(Log().find("not found BattleMap screen :no_such_screen"), std::string::npos);

    EXPECT_TRUE(m_pIO->LoadDuelFromFile("saved.duelbin"));
    EXPECT_TRUE(m_duel.m_stdvDirectors.empty());
    EXPECT_FALSE(m_pIO->LoadDuelFromFile("duel.txt"));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadDuelFromFile() : file expansion parser not defined"), std::string::npos);
    EXPECT_FALSE(m_pIO->LoadDuelFromFile("absent.duelxml"));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadDuelFromFile() : xml file not read : "), std::string::npos);
    EXPECT_FALSE(m_pIO->LoadDuelFromFile(""));
}

TEST_F(DuelReader, TheShopKeepsMoneyAndColumnLimits) {
    ASSERT_TRUE(Load(DuelXml()));
    CVR3GAMEDuelPlayerDirector& blue = *m_duel.GetPlayer("Blue");
    // Five sloops fit in column 0; a sixth is refused and clears the selection.
    for (int i = 0; i < 5; ++i) {
        blue.m_iSelectedShop = 0;
        ASSERT_TRUE(blue.AddShip(0));
        EXPECT_EQ(blue.m_iSelectedColumn, 0);
        EXPECT_EQ(blue.m_iSelectedIndex, i);
    }
    EXPECT_EQ(blue.m_dwMoney, 0u);
    blue.m_dwMoney = 10000;
    blue.m_iSelectedShop = 0;
    EXPECT_FALSE(blue.AddShip(0));
    EXPECT_EQ(blue.m_iSelectedShop, -1);
    EXPECT_EQ(blue.m_stdvColumns[0].size(), 5u);
    EXPECT_EQ(blue.m_dwMoney, 10000u);
    // A ship dearer than the money is refused.
    blue.m_dwMoney = 599;
    blue.m_iSelectedShop = 1;
    EXPECT_FALSE(blue.AddShip(1));
    EXPECT_TRUE(blue.m_stdvColumns[1].empty());
    EXPECT_EQ(blue.m_dwMoney, 599u);
    // Erasing gives back exactly the price; the bought ship is a copy.
    blue.m_dwMoney = 600;
    blue.m_iSelectedShop = 1;
    ASSERT_TRUE(blue.AddShip(2));
    EXPECT_EQ(blue.m_dwMoney, 0u);
    EXPECT_NE(blue.m_stdvColumns[2][0]->m_pInfo, blue.m_stdvShipTypes[1]->m_pInfo);
    EXPECT_EQ(blue.m_stdvColumns[2][0]->m_pInfo->ShipTypeName, "Frigate");
    ASSERT_TRUE(blue.EraseShip());
    EXPECT_EQ(blue.m_dwMoney, 600u);
    EXPECT_TRUE(blue.m_stdvColumns[2].empty());
    EXPECT_FALSE(blue.EraseShip());
    EXPECT_TRUE(blue.HasShips());
    EXPECT_FALSE(m_duel.GetPlayer("Red")->HasShips());
}

TEST(DuelScore, HumanLossesLowerItComputerLossesRaiseIt) {
    struct Case {
        uint32_t hStart, hMoney, hLost, cStart, cMoney, cLost;
        int score;
    } cases[] = {
        {1000, 0, 0, 1000, 0, 1000, 100},      // the computer lost all, the human nothing
        {1000, 0, 1000, 1000, 0, 0, 0},        // the reverse
        {1000, 0, 500, 1000, 0, 500, 50},      // even
        {1000, 200, 400, 1000, 600, 100, 37},  // 100 - 400/800*100 = 50; 100/400*100 = 25
        {1000, 1000, 0, 1000, 1000, 0, 50},    // nothing spent on either side: no division by zero
        // Losses past the spent sum: the human's part falls below 0 (it is
        // capped at 100 only), the computer's stays at 100.
        {1000, 0, 3000, 1000, 0, 3000, -50},
        {1000, 0, 1500, 1000, 0, 0, -25},
        {0xFFFFFFFFu, 0, 0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 100}, // the full unsigned range
        // A loss far past the spent sum stays a number the screen can show.
        {1, 0, 0xFFFFFFFFu, 1000, 0, 0, std::numeric_limits<int32_t>::min()},
    };
    for (const Case& c : cases) {
        CVR3GAMEDuel duel;
        duel.CreatePlayer("H");
        duel.CreatePlayer("C");
        CVR3GAMEDuelPlayerDirector* h = duel.CreateDirector("H", nullptr);
        CVR3GAMEDuelPlayerDirector* k = duel.CreateDirector("C", nullptr);
        ASSERT_TRUE(h && k);
        EXPECT_EQ(duel.CreateDirector("H", nullptr), nullptr); // one director per player
        h->m_dwStartMoney = c.hStart, h->m_dwMoney = c.hMoney, h->m_dwLostMoney = c.hLost;
        k->m_dwStartMoney = c.cStart, k->m_dwMoney = c.cMoney, k->m_dwLostMoney = c.cLost;
        EXPECT_EQ(duel.GetScore(), c.score) << c.hLost << " " << c.cLost;
    }
    CVR3GAMEDuel lonely;
    lonely.CreatePlayer("H");
    lonely.CreateDirector("H", nullptr);
    EXPECT_EQ(lonely.GetScore(), -1);
    EXPECT_EQ(lonely.CreateDirector("nobody", nullptr), nullptr);
}

} // namespace
