// The harbour map's players and directors, and the computer director's
// column forming, on ships that carry only a scene object and a card.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace SeaBattle;

namespace {

class HarbourMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The map only checks that it has a scene; no engine runs here.
        m_map.m_pScene = reinterpret_cast<Vorna3D::CDX9KelScene*>(&m_sceneStandIn);
    }
    void TearDown() override { m_map.Clear(); }

    // A ship with a card of the given column and level; the player lists it.
    CVR3GAMEBattleMapShip* AddShip(CVR3GAMEHarbourMapPlayer* player, int column, int level, const char* name) {
        auto* ship = new CVR3GAMEBattleMapShip();
        m_objects.push_back(std::make_unique<Vorna3D::CDX9KelSceneObject>());
        ship->m_pSceneObject = m_objects.back().get();
        ship->m_pInfoShip = new CVR3GAMEInformationShip();
        ship->m_pInfoShip->ColumnNum = column;
        ship->m_pInfoShip->ShipTypeLevel = level;
        ship->m_strName = name;
        EXPECT_TRUE(player->AddBattleMapShip(ship));
        return ship;
    }
    static std::vector<std::string> Names(const std::vector<CVR3GAMEBattleMapShip*>& ships) {
        std::vector<std::string> out;
        for (auto* s : ships) out.push_back(s->m_strName);
        return out;
    }

    int m_sceneStandIn = 0;
    CVR3GAMEHarbourMap m_map;
    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneObject>> m_objects;
};

} // namespace

TEST_F(HarbourMapTest, PlayersAndDirectorsAreUniqueByName) {
    ASSERT_NE(m_map.CreatePlayer("Blue"), nullptr);
    EXPECT_EQ(m_map.CreatePlayer("Blue"), nullptr); // already there
    EXPECT_EQ(m_map.CreatePlayer(""), nullptr);
    ASSERT_NE(m_map.CreatePlayer("Red"), nullptr);
    EXPECT_EQ(m_map.CreatePlayer("Green"), nullptr); // at most two
    EXPECT_EQ(m_map.GetPlayer("Blue "), nullptr);    // exact names only

    CVR3GAMEHarbourMapPlayerDirectorHuman* human = m_map.CreateHuman("Blue");
    ASSERT_NE(human, nullptr);
    EXPECT_EQ(human->m_iKind, 0);
    // The same player cannot take a second director of either kind.
    EXPECT_EQ(m_map.CreateComputer("Blue"), nullptr);
    EXPECT_EQ(m_map.CreateComputer("Nobody"), nullptr);
    CVR3GAMEHarbourMapPlayerDirectorComputer* computer = m_map.CreateComputer("Red");
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(m_map.GetDirector("Red"), computer);
    EXPECT_EQ(m_map.GetPlayer("Red")->m_pDirector, computer);

    // A map without a scene accepts no director.
    CVR3GAMEHarbourMap bare;
    bare.CreatePlayer("Blue");
    EXPECT_EQ(bare.CreateHuman("Blue"), nullptr);
}

TEST_F(HarbourMapTest, AShipIsListedOnce) {
    CVR3GAMEHarbourMapPlayer* blue = m_map.CreatePlayer("Blue");
    CVR3GAMEBattleMapShip* ship = AddShip(blue, 0, 1, "a");
    EXPECT_EQ(ship->m_iPlayerIndex, 0);
    EXPECT_FALSE(blue->AddBattleMapShip(ship));
    EXPECT_FALSE(blue->AddBattleMapShip(nullptr));
    CVR3GAMEBattleMapShip bare;
    EXPECT_FALSE(blue->AddBattleMapShip(&bare));
    EXPECT_EQ(blue->m_stdvHarbourShips.size(), 1u);
}

TEST_F(HarbourMapTest, GenColumnsTable) {
    struct Ship {
        int column, level;
    };
    struct Case {
        const char* what;
        std::vector<Ship> ships;
        std::vector<size_t> sizes; // first, second, third column and reserve
    };
    const std::vector<Case> cases = {
        {"seven in the first", {{0, 7}, {0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}}, {5, 2, 0, 0}},
        {"seven first, one second",
         {{0, 7}, {0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {1, 9}},
         {5, 1, 0, 2}},
        {"only third-column ships", {{2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6}}, {5, 1, 0, 0}},
        {"twelve in the second",
         {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 11}, {1, 12}},
         {5, 5, 2, 0}},
    };
    for (const Case& c : cases) {
        CVR3GAMEHarbourMap map;
        map.m_pScene = m_map.m_pScene;
        CVR3GAMEHarbourMapPlayer* red = map.CreatePlayer("Red");
        CVR3GAMEHarbourMapPlayerDirectorComputer* d = map.CreateComputer("Red");
        int n = 0;
        for (const Ship& s : c.ships) AddShip(red, s.column, s.level, std::to_string(n++).c_str());
        ASSERT_TRUE(d->GenColumns()) << c.what;
        EXPECT_EQ(d->m_stdvColumn1.size(), c.sizes[0]) << c.what;
        EXPECT_EQ(d->m_stdvColumn2.size(), c.sizes[1]) << c.what;
        EXPECT_EQ(d->m_stdvColumn3.size(), c.sizes[2]) << c.what;
        EXPECT_EQ(d->m_stdvReserve.size(), c.sizes[3]) << c.what;
        // Every column is ordered strongest first.
        for (const auto* list : {&d->m_stdvColumn1, &d->m_stdvColumn2, &d->m_stdvColumn3})
            for (size_t i = 1; i < list->size(); ++i)
                EXPECT_GE((*list)[i - 1]->m_pInfoShip->ShipTypeLevel, (*list)[i]->m_pInfoShip->ShipTypeLevel)
                    << c.what;
        map.Clear();
    }
}

TEST_F(HarbourMapTest, HighestLevelsLeadAndAllSunkFails) {
    CVR3GAMEHarbourMapPlayer* red = m_map.CreatePlayer("Red");
    CVR3GAMEHarbourMapPlayerDirectorComputer* d = m_map.CreateComputer("Red");
    for (int level = 1; level <= 7; ++level) AddShip(red, 0, level, ("L" + std::to_string(level)).c_str());
    ASSERT_TRUE(d->GenColumns());
    EXPECT_EQ(Names(d->m_stdvColumn1), (std::vector<std::string>{"L7", "L6", "L5", "L4", "L3"}));
    EXPECT_EQ(Names(d->m_stdvColumn2), (std::vector<std::string>{"L2", "L1"}));
    for (auto* s : red->m_stdvHarbourShips) s->m_bSunk = true;
    EXPECT_FALSE(d->GenColumns());
}

TEST_F(HarbourMapTest, PreparationHandsColumnsOverAndSunkShipsGo) {
    CVR3GAMEHarbourMapPlayer* red = m_map.CreatePlayer("Red");
    CVR3GAMEHarbourMapPlayerDirectorComputer* d = m_map.CreateComputer("Red");
    // A scheme of one step without ships: the fleet is what the player has.
    d->m_pFleetProgress = new CVR3GAMEFleetProgress(1);
    ASSERT_TRUE(d->InitHarbourMap(0));
    CVR3GAMEBattleMapShip* a = AddShip(red, 0, 3, "a");
    CVR3GAMEBattleMapShip* b = AddShip(red, 1, 2, "b");
    AddShip(red, 0, 1, "sunk")->m_bSunk = true;
    ASSERT_TRUE(d->PrepareDataForBattleMap());
    // The player lists nobody now; its columns hold the same objects.
    EXPECT_TRUE(red->m_stdvHarbourShips.empty());
    EXPECT_TRUE(red->m_stdvShips.empty());
    ASSERT_EQ(red->m_stdvColumns.size(), 2u);
    EXPECT_EQ(red->m_stdvColumns[0]->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{a}));
    EXPECT_EQ(red->m_stdvColumns[1]->m_stdvBattleShips, (std::vector<CVR3GAMEBattleMapShip*>{b}));
    EXPECT_EQ(a->m_iPlayerIndex, -1);
    // The next harbour step lists the column ships again, once each.
    ASSERT_TRUE(d->InitHarbourMap(0));
    EXPECT_EQ(red->m_stdvHarbourShips.size(), 2u);
    ASSERT_TRUE(d->InitHarbourMap(0));
    EXPECT_EQ(red->m_stdvHarbourShips.size(), 2u);
    // A step beyond the scheme ends the preparation.
    ASSERT_TRUE(d->InitHarbourMap(3));
    EXPECT_FALSE(d->PrepareDataForBattleMap());
    // The ships were handed back to the player's lists; clearing deletes
    // them once (ASan checks).
}
