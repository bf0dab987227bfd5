// The duel's bought columns handed to the battle map, on the demo duel: new
// ships of kind 0 that the computer's target search finds, columns on their
// start positions; a column that cannot be filled leaves none of its ships
// behind and fails the start.
#include <string>

#include <gtest/gtest.h>

#include "GameIOTestSupport.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEDuel.h"

using namespace SeaBattle;

namespace {

class DuelBattleSetUp : public VornaGameTest::GameIOFixture {
protected:
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        LinkDemoData();
        m_pScreens = new Vorna3D::CVR3CIIScreenManager();
        for (const char* name : {"battle_game", "duel_menu", "duel_player_blue", "duel_player_red"}) {
            auto* screen = new Vorna3D::CVR3CIIScreen();
            screen->m_strName = name;
            m_pScreens->m_stdvScreens.push_back(screen);
        }
        m_pScene->m_pManagers[Vorna3D::KEL_SCENE_SCREEN_MANAGER] = m_pScreens;
        ASSERT_TRUE(m_map.Init(m_pScene));
        m_duel.m_pScene = m_pScene;
        m_pIO->m_pBattleMap = &m_map;
        m_pIO->m_pDuel = &m_duel;
        ASSERT_TRUE(m_pIO->LoadDuelFromFile("demo_duel_watched.duelxml")) << Log();
        ASSERT_EQ(m_duel.m_stdvDirectors.size(), 2u);
        ASSERT_TRUE(m_pIO->LoadBattleArtilleryList("demo_guns.artlstxml"));
    }
    void TearDown() override {
        m_duel.Clear();
        m_map.Clear();
        if (m_pScene) m_pScene->m_pManagers[Vorna3D::KEL_SCENE_SCREEN_MANAGER] = nullptr;
        delete m_pScreens;
        GameIOFixture::TearDown();
    }
    void Buy(size_t director, int column, int type) {
        CVR3GAMEDuelPlayerDirector* d = m_duel.m_stdvDirectors[director];
        d->ClearSelection();
        d->m_iSelectedShop = type;
        ASSERT_TRUE(d->AddShip(column));
    }
    CVR3GAMEBattleMapPlayer* Player(const char* name) {
        const std::string n = name;
        return m_map.GetPlayer(&n);
    }

    Vorna3D::CVR3CIIScreenManager* m_pScreens = nullptr;
    CVR3GAMEBattleMap m_map;
    CVR3GAMEDuel m_duel;
};

} // namespace

TEST_F(DuelBattleSetUp, BoughtColumnsBecomeBattleColumnsOfShipsTheComputerCanTarget) {
    Buy(0, 0, 0);
    Buy(0, 0, 0);
    Buy(0, 2, 1); // the middle choice stays empty: no column for it
    Buy(1, 0, 1);
    ASSERT_TRUE(m_pIO->LoadBattleMapFromFile(m_duel.m_strBattleMap.c_str(), false, nullptr)) << Log();
    ASSERT_TRUE(m_pIO->SetDuelDataToBattleMap()) << Log();

    CVR3GAMEBattleMapPlayer* blue = Player("Blue Squadron");
    ASSERT_NE(blue, nullptr);
    ASSERT_EQ(blue->m_stdvBattleShips.size(), 3u);
    EXPECT_EQ(blue->m_stdvBattleShips[0]->m_strName, "Broadside cruiser");
    EXPECT_EQ(blue->m_stdvBattleShips[1]->m_strName, "Broadside cruiser 2"); // names are unique keys
    EXPECT_EQ(blue->m_stdvBattleShips[2]->m_strName, "Ram ship");
    for (const CVR3GAMEBattleMapShip* ship : blue->m_stdvBattleShips) {
        EXPECT_EQ(ship->m_uKind, 0u);
        EXPECT_EQ(blue->GetBattleMapShipBySceneObject(ship->m_pSceneObject), ship);
    }
    // Two bought columns, padded to the three start positions; the first
    // leader stands on the first start position.
    ASSERT_EQ(blue->m_stdvColumns.size(), 3u);
    ASSERT_NE(blue->m_stdvColumns[0], nullptr);
    EXPECT_EQ(blue->m_stdvColumns[0]->m_stdvBattleShips.size(), 2u);
    ASSERT_NE(blue->m_stdvColumns[1], nullptr);
    EXPECT_EQ(blue->m_stdvColumns[1]->m_stdvBattleShips.size(), 1u);
    EXPECT_EQ(blue->m_stdvColumns[2], nullptr);
    const D3DXMATRIX& lead = blue->m_stdvColumns[0]->m_stdvBattleShips[0]->m_pSceneObject->m_mWorld;
    EXPECT_FLOAT_EQ(lead._41, blue->m_stdvLeadersPositions[0]._41);
    EXPECT_FLOAT_EQ(lead._43, blue->m_stdvLeadersPositions[0]._43);
    EXPECT_EQ(Player("Red Squadron")->m_stdvBattleShips.size(), 1u);
}

TEST_F(DuelBattleSetUp, AColumnThatCannotBeFilledLeavesNoShipBehindAndFailsTheStart) {
    Buy(0, 0, 0);
    Buy(0, 0, 1);
    Buy(1, 0, 0);
    // The second ship of the column has no damage model file.
    m_duel.m_stdvDirectors[0]->m_stdvColumns[0][1]->m_strFiles[CVR3GAMEDuelShipType::FILE_BATTLE] =
        "missing.btlobjxml";
    ASSERT_TRUE(m_pIO->LoadBattleMapFromFile(m_duel.m_strBattleMap.c_str(), false, nullptr)) << Log();
    EXPECT_FALSE(m_pIO->SetDuelDataToBattleMap());
    CVR3GAMEBattleMapPlayer* blue = Player("Blue Squadron");
    ASSERT_NE(blue, nullptr);
    EXPECT_TRUE(blue->m_stdvBattleShips.empty());
    EXPECT_TRUE(blue->m_stdvShips.empty());
    EXPECT_TRUE(blue->m_stdvShipModels.empty());
    EXPECT_TRUE(blue->m_stdvColumns.empty());
    EXPECT_NE(Log().find("CVR3GAMEIO::SetDuelDataToBattleMap() : CreateBattlePlayerFromDuel() failed"),
              std::string::npos);
}
