// Harbour money rules, berths, click gates and the columns-screen lists.
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEHarbourShop.h"
#include "seabattle/game/CVR3GAMEShipType.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <gtest/gtest.h>

#include <memory>

using namespace SeaBattle;

namespace {

CVR3GAMEInformationShip Type(const char* displacement, int32_t unitCost, int32_t level = 1) {
    CVR3GAMEInformationShip info;
    info.Displacement = displacement;
    info.DisplUnitCost = unitCost;
    info.ShipTypeLevel = level;
    return info;
}

std::unique_ptr<CVR3GAMEBattleMapShip> Ship(int32_t level, float damage = 0.0f, float water = 0.0f,
                                            const char* name = "") {
    auto ship = std::make_unique<CVR3GAMEBattleMapShip>();
    ship->m_strName = name;
    ship->m_pInfoShip = new CVR3GAMEInformationShip(Type("1500", 20, level));
    ship->m_pBattleShip = new CVR3GAMEBattleSystemShip();
    ship->m_pBattleShip->DamagePercent = damage;
    ship->m_pBattleShip->WaterPercent = water;
    ship->m_pBattleShip->Displacement = 1500;
    return ship;
}

D3DXMATRIX At(float x, float z) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._41 = x;
    m._43 = z;
    return m;
}

} // namespace

TEST(HarbourPrices, FiguresOfTheShop) {
    const CVR3GAMEInformationShip info = Type("1500", 20);
    EXPECT_EQ(HarbourPurchasePrice(info), 30000);
    EXPECT_EQ(HarbourSaleValue(info, 0.0f), 9000);
    EXPECT_EQ(HarbourSaleValue(info, 50.0f), 4500);
    EXPECT_EQ(HarbourSaleValue(info, 100.0f), 0);
    EXPECT_EQ(HarbourRepairCost(info, 1500, 1), 240);
    EXPECT_EQ(HarbourRepairCost(info, 1500, 5), 1200);
    // The cost shown, gated and charged is one figure: cost per ton 21
    // gives truncate(16.8) = 16 per ton, not 0.8 x 31500 / 100 = 252.
    EXPECT_EQ(HarbourRepairCost(Type("1500", 21), 1500, 1), 240);
    EXPECT_EQ(HarbourRepairCost(Type("125", 5), 125, 1), 5);
}

TEST(HarbourPrices, DisplacementTextAndOverflow) {
    struct Case {
        const char* displacement;
        int32_t cost;
        int64_t price;
    } cases[] = {
        {"abc", 20, 0},                 // not a number reads as 0
        {"", 20, 0},
        {"1200 t", 10, 12000},          // leading digits
        {"-5", 10, -1},                 // negative figures are refused
        {"100", -3, -1},
        {"2147483647", 1, 2147483647},  // the largest money
        {"2147483648", 1, -1},          // one more does not fit
        {"100000", 100000, -1},         // a product beyond 32 bits
        {"99999999999999999999", 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.displacement);
        EXPECT_EQ(HarbourPurchasePrice(Type(c.displacement, c.cost)), c.price);
    }
    EXPECT_EQ(HarbourSaleValue(Type("100000", 100000), 0.0f), -1);
}

TEST(HarbourShips, SeaworthyAndFitAtTheirLimits) {
    EXPECT_TRUE(HarbourShipIsSeaworthy(Ship(1, 30.0f).get()));
    EXPECT_FALSE(HarbourShipIsSeaworthy(Ship(1, 30.1f).get()));
    EXPECT_FALSE(HarbourShipIsSeaworthy(Ship(1, 0.0f, 0.5f).get()));
    EXPECT_FALSE(HarbourShipIsSeaworthy(nullptr));
    auto sold = Ship(1);
    sold->m_bSold = true;
    EXPECT_TRUE(HarbourShipIsSeaworthy(sold.get()));
    EXPECT_FALSE(HarbourShipIsFitForBattle(sold.get()));
    CVR3GAMEBattleMapShip bare; // no damage part
    EXPECT_FALSE(HarbourShipIsFitForBattle(&bare));
}

TEST(HarbourClickGate, IgnoresPressesInsideTheInterval) {
    CVR3GAMEHarbourClickGate gate(200);
    EXPECT_TRUE(gate.Pass(1000));
    EXPECT_FALSE(gate.Pass(1100));
    EXPECT_FALSE(gate.Pass(1200)); // not yet past the interval
    EXPECT_FALSE(gate.Pass(1201)); // clears the stamp, this press is still ignored
    EXPECT_TRUE(gate.Pass(1202));
}

TEST(HarbourBerths, UsedFromTheEndAndFreedByTheirIndex) {
    CVR3GAMEHarbourBerths berths;
    berths.SetPositions({At(0.5f, 0.25f), At(10.0f, 0.0f), At(20.0f, 0.0f)});
    auto a = Ship(1), b = Ship(1), c = Ship(1), d = Ship(1);
    EXPECT_EQ(berths.Moor(a.get()), 2);
    EXPECT_EQ(berths.Moor(b.get()), 1);
    EXPECT_EQ(berths.Moor(c.get()), 0);
    EXPECT_EQ(berths.Moor(c.get()), 0); // mooring twice keeps the berth
    EXPECT_EQ(berths.Moor(d.get()), -1); // more ships than berths: left unmoored
    // A berth with fractional coordinates is freed all the same, whatever
    // the ship's position.
    EXPECT_TRUE(berths.Free(c.get(), nullptr));
    EXPECT_FALSE(berths.Free(c.get(), nullptr));
    EXPECT_EQ(berths.Moor(d.get()), 0);
    EXPECT_EQ(berths.BerthOf(d.get()), 0);
    // A ship moored elsewhere is found by its position, and only on a taken
    // berth that no other ship holds.
    auto stranger = Ship(1);
    const D3DXMATRIX atB = At(10.2f, -0.3f);
    EXPECT_FALSE(berths.Free(stranger.get(), &atB)); // berth 1 belongs to b
    EXPECT_TRUE(berths.Free(b.get(), nullptr));
    EXPECT_FALSE(berths.Free(stranger.get(), &atB)); // now free already
    EXPECT_EQ(berths.FreeCount(), 1u);
}

TEST(HarbourBerths, NewPositionsRebuildTheFreeList) {
    CVR3GAMEHarbourBerths berths;
    auto a = Ship(1);
    EXPECT_EQ(berths.Moor(a.get()), -1); // no berths yet
    berths.SetPositions({At(0, 0), At(1, 0), At(2, 0), At(3, 0)});
    EXPECT_EQ(berths.FreeList(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(berths.Moor(a.get()), 3);
    berths.SetPositions({At(0, 0), At(1, 0)}); // a smaller harbour
    EXPECT_EQ(berths.FreeList(), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(berths.BerthOf(a.get()), -1);
    EXPECT_EQ(berths.Moor(a.get()), 1);
    EXPECT_NE(berths.Position(1), nullptr);
    EXPECT_EQ(berths.Position(2), nullptr);
    EXPECT_EQ(berths.Position(-1), nullptr);
}

namespace {

// A human director over a player whose ships are listed as the harbour lists
// them (the player owns the ships, the fixture their scene objects).
class HarbourDirector : public ::testing::Test {
protected:
    HarbourDirector() { m_director.m_pPlayer = &m_player; }

    CVR3GAMEBattleMapShip* Add(int32_t level, float damage = 0.0f, float water = 0.0f, const char* name = "") {
        CVR3GAMEBattleMapShip* ship = Ship(level, damage, water, name).release();
        m_objects.push_back(std::make_unique<Vorna3D::CDX9KelSceneObject>());
        ship->m_pSceneObject = m_objects.back().get();
        EXPECT_TRUE(m_player.AddBattleMapShip(ship));
        return ship;
    }

    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneObject>> m_objects;
    CVR3GAMEHarbourMapPlayer m_player;
    CVR3GAMEHarbourMapPlayerDirectorHuman m_director;
};

using Ships = std::vector<CVR3GAMEBattleMapShip*>;

} // namespace

TEST_F(HarbourDirector, ColumnsAreFormedFromTheFitShips) {
    auto* low = Add(1, 0, 0, "low");
    auto* high = Add(3, 0, 0, "high");
    auto* broken = Add(5, 31.0f, 0, "broken");
    auto* sold = Add(4, 0, 0, "sold");
    auto* mid = Add(2, 30.0f, 0, "mid");
    sold->m_bSold = true;
    m_director.PrepareColumns();
    EXPECT_EQ(m_director.m_stdvAvailable, (Ships{high, mid, low}));
    EXPECT_EQ(m_director.m_stdvReserve, (Ships{broken}));
    EXPECT_TRUE(m_director.ColumnsEmpty());

    EXPECT_TRUE(m_director.ColumnAdd(1, 2)); // low to column 2
    EXPECT_TRUE(m_director.ColumnAdd(1, 0)); // high behind it
    EXPECT_EQ(m_director.m_stdvColumns[1], (Ships{low, high}));
    EXPECT_FALSE(m_director.ColumnAdd(3, 0));
    EXPECT_FALSE(m_director.ColumnAdd(0, 1)); // only mid is left
    EXPECT_TRUE(m_director.ColumnErase(1, 1));
    EXPECT_EQ(m_director.m_stdvAvailable, (Ships{high, mid})); // sorted again
    EXPECT_FALSE(m_director.ColumnErase(1, 1));
}

TEST_F(HarbourDirector, AColumnHoldsFiveShips) {
    for (int i = 0; i < 7; ++i)
        Add(1);
    m_director.PrepareColumns();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(m_director.ColumnAdd(0, 0));
    EXPECT_FALSE(m_director.CanColumnAdd(0));
    EXPECT_FALSE(m_director.ColumnAdd(0, 0));
    EXPECT_TRUE(m_director.ColumnAdd(1, 0)); // column 2 still has room
    EXPECT_EQ(m_director.m_stdvColumns[0].size(), 5u);
    EXPECT_EQ(m_director.m_stdvColumns[1].size(), 1u);
    EXPECT_EQ(m_director.m_stdvAvailable.size(), 1u);
}

TEST_F(HarbourDirector, HandOverBuildsColumnsAndReleasesSoldShips) {
    auto* first = Add(3, 0, 0, "first");
    auto* second = Add(2, 0, 0, "second");
    auto* kept = Add(1, 0, 0, "kept");
    auto* sold = Add(1, 0, 0, "sold");
    m_director.CreatePlayerShips();
    EXPECT_TRUE(m_director.SellShip(sold));
    m_director.PrepareColumns();
    ASSERT_EQ(m_director.m_stdvAvailable, (Ships{first, second, kept}));
    EXPECT_TRUE(m_director.ColumnAdd(2, 1));
    EXPECT_TRUE(m_director.ColumnAdd(2, 0));
    EXPECT_TRUE(m_director.PrepareDataForBattleMap());
    ASSERT_EQ(m_player.m_stdvColumns.size(), 1u);
    EXPECT_EQ(m_player.m_stdvColumns[0]->m_stdvBattleShips, (Ships{second, first}));
    EXPECT_EQ(first->m_iPlayerIndex, -1);
    EXPECT_TRUE(m_player.m_stdvHarbourShips.empty());
    EXPECT_EQ(m_director.m_stdvReserve, (Ships{kept})); // the sold ship is gone
    // The reserve rejoins the player at the next step.
    EXPECT_TRUE(m_director.ReserveShipsAttachToAll());
    EXPECT_EQ(m_player.m_stdvHarbourShips, (Ships{kept}));
    // The column ships came back from the battle in real play; here the test
    // gives them back so that the player deletes them.
    for (CVR3GAMEBattleMapShip* s : {first, second}) {
        s->m_pColumn = nullptr;
        EXPECT_TRUE(m_player.AddBattleMapShip(s));
    }
    m_player.DeleteColumns();
}

TEST_F(HarbourDirector, SellingPaysTheValueAndFreesTheBerth) {
    auto* a = Add(2, 50.0f, 0, "a");
    auto* b = Add(1, 0, 0, "b");
    m_director.m_stdvShipsPositions = {At(0.3f, 7.6f), At(100.0f, 0.0f)};
    m_director.m_iMoney = 100;
    ASSERT_TRUE(m_director.CreatePlayerShips());
    EXPECT_EQ(m_director.m_stdvOwnShips, (Ships{a, b}));
    EXPECT_TRUE(m_director.SetPlayerShipsOnHarbourMap());
    EXPECT_EQ(m_director.m_Berths.BerthOf(a), 1);
    EXPECT_EQ(m_director.m_Berths.BerthOf(b), 0);
    EXPECT_FLOAT_EQ(b->m_pSceneObject->m_mWorld._43, 7.6f);
    EXPECT_TRUE(m_director.SellShip(b));
    EXPECT_EQ(m_director.m_iMoney, 100 + 9000);
    EXPECT_EQ(m_director.m_iLastPrice, 9000);
    EXPECT_TRUE(b->m_bSold);
    EXPECT_FALSE(b->m_pSceneObject->m_bVisible);
    EXPECT_EQ(m_director.m_stdvOwnShips, (Ships{a}));
    EXPECT_EQ(m_director.m_Berths.FreeList(), (std::vector<int32_t>{0})); // the fractional berth is free again
    EXPECT_FALSE(m_director.SellShip(b)); // sold once only
    EXPECT_TRUE(m_director.SellShip(a));
    EXPECT_EQ(m_director.m_iMoney, 9100 + 4500);
}

TEST_F(HarbourDirector, MoreShipsThanBerthsDoNotStopTheStep) {
    auto* a = Add(3);
    auto* b = Add(2);
    auto* c = Add(1);
    m_director.m_stdvShipsPositions = {At(0, 0)};
    m_director.CreatePlayerShips();
    EXPECT_TRUE(m_director.SetPlayerShipsOnHarbourMap());
    EXPECT_EQ(m_director.m_Berths.BerthOf(a), 0);
    EXPECT_EQ(m_director.m_Berths.BerthOf(b), -1);
    EXPECT_FALSE(b->m_pSceneObject->m_bVisible);
    EXPECT_FALSE(c->m_pSceneObject->m_bVisible);
    // With no berths at all the step goes on as well.
    m_director.m_stdvShipsPositions.clear();
    EXPECT_TRUE(m_director.SetPlayerShipsOnHarbourMap());
}

TEST_F(HarbourDirector, RepairsChargeTheShownCostAndAreRefusedWithoutMoney) {
    auto* ship = Add(1, 3.5f);
    m_director.CreatePlayerShips();
    m_director.m_iMoney = 1500;
    EXPECT_TRUE(m_director.RepairShip(ship, 1));
    EXPECT_EQ(m_director.m_iMoney, 1500 - 240);
    EXPECT_FLOAT_EQ(ship->m_pBattleShip->DamagePercent, 2.5f);
    ship->m_pBattleShip->WaterPercent = 2.0f;
    EXPECT_TRUE(m_director.RepairShip(ship, 5)); // to 0: repaired fully
    EXPECT_EQ(m_director.m_iMoney, 1260 - 1200);
    EXPECT_FLOAT_EQ(ship->m_pBattleShip->DamagePercent, 0.0f);
    EXPECT_FLOAT_EQ(ship->m_pBattleShip->WaterPercent, 0.0f);
    EXPECT_FALSE(m_director.RepairShip(ship, 1)); // nothing left to repair
    ship->m_pBattleShip->DamagePercent = 10.0f;
    EXPECT_FALSE(m_director.RepairShip(ship, 1)); // 240 is more than 60
    EXPECT_EQ(m_director.m_iMoney, 60);
    EXPECT_FLOAT_EQ(ship->m_pBattleShip->DamagePercent, 10.0f);
    EXPECT_FALSE(m_director.RepairShip(ship, 2)); // only 1 and 5 percent are offered
}

TEST_F(HarbourDirector, TheShopOffersTypesByStepAndNamesLeft) {
    auto* type = new CVR3GAMEShipType();
    type->m_pInformation = new CVR3GAMEInformationShip(Type("1500", 20));
    type->m_stdvNames = {"One", "Two"};
    m_director.m_stdvShipsTypes.push_back(type);
    m_director.m_stdviShipsToBuy = {0, 1};
    m_director.m_iStep = 0;
    EXPECT_FALSE(m_director.IsShipTypeOnSale(0)); // nothing on sale at the first step
    m_director.m_iStep = 1;
    EXPECT_TRUE(m_director.IsShipTypeOnSale(0));
    EXPECT_FALSE(m_director.IsShipTypeOnSale(1));
    EXPECT_FALSE(m_director.IsShipTypeOnSale(-1));
    type->m_iCount = 2;
    EXPECT_FALSE(m_director.IsShipTypeOnSale(0)); // both names used
    // Without a game IO nothing can be built, so nothing is charged.
    type->m_iCount = 0;
    m_director.m_iMoney = 50000;
    EXPECT_FALSE(m_director.BuyShipType(0));
    EXPECT_EQ(m_director.m_iMoney, 50000);
    EXPECT_EQ(type->m_iCount, 0);
}

TEST(HarbourPanel, ShopTypeCardAndBuyLock) {
    CVR3GAMEInformationShip info = Type("1500", 20);
    info.ShipTypeName = "Cutter";
    info.MaxSpeed = "14";
    info.ArmourBelt = "4";
    info.GunsSidesCount1 = 2;
    info.GunsSidesName1 = "6in";
    const CVR3GAMEHarbourPanelWords words{"t", "kn", "in", "$", "yes", "no"};
    CVR3GAMEHarbourPanel panel = HarbourShopShipPanel(info, 30000, words);
    EXPECT_EQ(panel.m_Texts["Name"], "Cutter");
    EXPECT_EQ(panel.m_Texts["Displacement"], "1500 t");
    EXPECT_EQ(panel.m_Texts["Speed"], "14 kn");
    EXPECT_EQ(panel.m_Texts["A_1"], "4 in");
    EXPECT_EQ(panel.m_Texts["A_2"], "-");
    EXPECT_EQ(panel.m_Texts["SG_1"], "2 x 6in");
    EXPECT_EQ(panel.m_Texts["SG_2"], "-/-");
    EXPECT_EQ(panel.m_Texts["By_Price"], "$30000");
    EXPECT_EQ(panel.m_Texts["Sell_Price"], " ");
    EXPECT_EQ(panel.m_iBuy, CVR3GAMEHarbourPanel::ENABLED); // money equal to the price
    EXPECT_EQ(panel.m_iSell, CVR3GAMEHarbourPanel::LOCKED);
    EXPECT_EQ(HarbourShopShipPanel(info, 29999, words).m_iBuy, CVR3GAMEHarbourPanel::LOCKED);
}

TEST(HarbourPanel, OwnShipDamageRepairsAndCrew) {
    const CVR3GAMEHarbourPanelWords words{"t", "kn", "in", "$", "yes", "no"};
    auto ship = Ship(1, 30.0f);
    ship->m_pBattleShip->CrewTraining = 0.88f;
    CVR3GAMEHarbourPanel panel = HarbourOwnShipPanel(ship.get(), 1200, words);
    EXPECT_EQ(panel.m_Texts["Seaworthy"], "yes"); // exactly 30 and dry
    EXPECT_EQ(panel.m_Texts["Damage"], "30.0 %");
    EXPECT_EQ(panel.m_Texts["Sell_Price"], "$6000"); // truncate(0.7 x 6.0) x 1500
    EXPECT_EQ(panel.m_Texts["Repair_Price1"], "$240");
    EXPECT_EQ(panel.m_Texts["Repair_Price2"], "$1200");
    EXPECT_EQ(panel.m_iRepair1, CVR3GAMEHarbourPanel::ENABLED);
    EXPECT_EQ(panel.m_iRepair2, CVR3GAMEHarbourPanel::ENABLED);
    EXPECT_EQ(panel.m_iBuy, CVR3GAMEHarbourPanel::LOCKED);
    EXPECT_EQ(panel.m_iSell, CVR3GAMEHarbourPanel::ENABLED);
    EXPECT_TRUE(panel.m_bCrew[0]);
    EXPECT_TRUE(panel.m_bCrew[1]);
    EXPECT_FALSE(panel.m_bCrew[2]);
    EXPECT_EQ(HarbourOwnShipPanel(ship.get(), 1199, words).m_iRepair2, CVR3GAMEHarbourPanel::LOCKED);

    ship->m_pBattleShip->DamagePercent = 0.0f;
    ship->m_pBattleShip->WaterPercent = 1.0f;
    panel = HarbourOwnShipPanel(ship.get(), 100000, words);
    EXPECT_EQ(panel.m_Texts["Seaworthy"], "no");
    EXPECT_EQ(panel.m_Texts["Damage"], "0 %");
    EXPECT_EQ(panel.m_Texts["Repair_Price1"], " ");
    EXPECT_EQ(panel.m_iRepair1, CVR3GAMEHarbourPanel::LOCKED);
    EXPECT_EQ(HarbourOwnShipPanel(nullptr, 0, words).m_iSell, CVR3GAMEHarbourPanel::LOCKED);
}
