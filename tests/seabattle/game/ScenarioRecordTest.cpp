// The scenario record: steps through the shortest of its lists, losses by
// side, the score, and what Reset keeps for a save reader.
#include <gtest/gtest.h>

#include "seabattle/game/CVR3GAMEScenario.h"

using SeaBattle::CVR3GAMEScenario;

namespace {

CVR3GAMEScenario ThreeStepScenario() {
    CVR3GAMEScenario s;
    s.m_vHarbourMapFiles = {"h0", "h1", "h2"};
    s.m_vHarbourLoadScreens = {"hl0", "hl1", "hl2"};
    s.m_vBattleMapFiles = {"b0", "b1"};
    s.m_vBattleLoadScreens = {"bl0", "bl1", "bl2"};
    return s;
}

} // namespace

TEST(ScenarioRecord, StepsEndWithTheShortestListAndGettersTurnNull) {
    CVR3GAMEScenario s = ThreeStepScenario();
    EXPECT_EQ(s.GetHarbourMapFile(), nullptr); // no step before the start
    s.BeginNew();
    ASSERT_NE(s.GetBattleMapFile(), nullptr);
    EXPECT_EQ(*s.GetBattleMapFile(), "b0");
    EXPECT_TRUE(s.NextStep());
    EXPECT_EQ(*s.GetHarbourMapFile(), "h1");
    EXPECT_EQ(*s.GetBattleLoadingScreen(), "bl1");
    EXPECT_FALSE(s.NextStep());
    EXPECT_EQ(s.m_iStep, -1);
    EXPECT_EQ(s.GetHarbourMapFile(), nullptr);
    EXPECT_EQ(s.GetHarbourLoadingScreen(), nullptr);
    EXPECT_EQ(s.GetBattleMapFile(), nullptr);
    EXPECT_EQ(s.GetBattleLoadingScreen(), nullptr);
    // Ended stays ended: a later Next does not begin the steps again.
    EXPECT_FALSE(s.NextStep());
    EXPECT_EQ(s.m_iStep, -1);
    EXPECT_EQ(s.GetHarbourMapFile(), nullptr);
    // A step index that a foreign save set beyond a list reads as null.
    s.m_iStep = 2;
    EXPECT_EQ(s.GetBattleMapFile(), nullptr);
    EXPECT_NE(s.GetHarbourMapFile(), nullptr);
}

TEST(ScenarioRecord, LossesGoToTheNamedSideOnly) {
    CVR3GAMEScenario s;
    s.HumanPlayerName = "Blue";
    s.ComputerPlayerName = "Red";
    EXPECT_TRUE(s.AddLoss("Blue", 100));
    EXPECT_TRUE(s.AddLoss("Red", 30));
    EXPECT_TRUE(s.AddLoss("Red", 20));
    EXPECT_FALSE(s.AddLoss("Green", 5));
    EXPECT_FALSE(s.AddLoss("", 5));
    EXPECT_FALSE(s.AddLoss(nullptr, 5));
    EXPECT_EQ(s.m_uHumanLosses, 100u);
    EXPECT_EQ(s.m_uComputerLosses, 50u);
}

TEST(ScenarioRecord, ScoreTable) {
    struct Case {
        uint32_t humanSum, computerSum, humanLoss, computerLoss;
        int32_t score;
    };
    const Case cases[] = {
        {1000, 2000, 0, 2000, 100},  // no own loss, the enemy all lost
        {1000, 2000, 1000, 0, 0},    // all own lost, no enemy loss
        {1000, 2000, 2000, 0, -50},  // own losses beyond the total
        {1000, 2000, 0, 4000, 100},  // the enemy side is capped at 100
        {1000, 0, 0, 10, 0},         // a zero total gives 0
        {0, 1000, 0, 10, 0},
        {1000, 1000, 300, 455, 57},  // (70 + 45.5) / 2 = 57.75, truncated
        {1000, 1000, 1700, 0, -35},  // -70 / 2, truncated toward zero
    };
    for (const Case& c : cases) {
        CVR3GAMEScenario s;
        s.HumanSumMoney = c.humanSum;
        s.ComputerSumMoney = c.computerSum;
        s.m_uHumanLosses = c.humanLoss;
        s.m_uComputerLosses = c.computerLoss;
        EXPECT_EQ(s.GetScore(), c.score) << c.humanSum << " " << c.computerSum << " " << c.humanLoss << " "
                                         << c.computerLoss;
    }
}

TEST(ScenarioRecord, ResetKeepsProgressAndRestoresFileDefaults) {
    CVR3GAMEScenario s = ThreeStepScenario();
    s.m_strFileName = "a.scnrxml";
    s.ScenarioName = "A";
    s.DestroyEnemyBonusFactor = 0.5f;
    s.Money = "$";
    s.m_iStep = 1;
    s.m_iInBattle = 1;
    s.m_iFleetScheme = 2;
    s.m_uHumanLosses = 7;
    s.m_uComputerLosses = 9;
    s.Reset();
    EXPECT_FALSE(s.IsRunning());
    EXPECT_TRUE(s.ScenarioName.empty());
    EXPECT_TRUE(s.m_vHarbourMapFiles.empty());
    EXPECT_TRUE(s.m_vBattleLoadScreens.empty());
    // An optional value the next file leaves out is not this scenario's.
    EXPECT_FLOAT_EQ(s.DestroyEnemyBonusFactor, 0.2f);
    EXPECT_TRUE(s.Money.empty());
    // What a save reader set before the file is read stays.
    EXPECT_EQ(s.m_iStep, 1);
    EXPECT_EQ(s.m_iInBattle, 1);
    EXPECT_EQ(s.m_iFleetScheme, 2);
    EXPECT_EQ(s.m_uHumanLosses, 7u);
    // A new scenario starts from nothing.
    s.BeginNew();
    EXPECT_EQ(s.m_iStep, 0);
    EXPECT_EQ(s.m_iInBattle, 0);
    EXPECT_EQ(s.m_iFleetScheme, -1);
    EXPECT_EQ(s.m_uHumanLosses, 0u);
    EXPECT_EQ(s.m_uComputerLosses, 0u);
}
