// The turn cycle of a campaign map: phases, the round count, autosave names,
// when a side counts as gone, and the sinking of destroyed units.
#include "campaign/turn/CDX9KelGameMapTurn.h"

#include <gtest/gtest.h>

#include <memory>

using namespace VornaCampaign;

namespace {

// Plays one whole turn: the player ends the turn, the computer finishes,
// the round result completes with the given units on both sides.
ERoundOutcome PlayTurn(CDX9KelGameMapTurn& t, std::size_t side1 = 1, std::size_t side2 = 1) {
    EXPECT_TRUE(t.EndPlayerTurn(false, false));
    EXPECT_EQ(t.m_iGlobalState, GAME_MAP_GLOBAL_STATE_AI);
    t.ProcAIState(3);
    EXPECT_EQ(t.m_iGlobalState, GAME_MAP_GLOBAL_STATE_AI);
    t.ProcAIState(4);
    EXPECT_EQ(t.m_iGlobalState, GAME_MAP_GLOBAL_STATE_ROUND_RESULT);
    EXPECT_TRUE(t.BeginRoundResult());
    EXPECT_FALSE(t.BeginRoundResult());  // started once only
    EXPECT_EQ(t.m_iBattleWait, GAME_MAP_BATTLE_WAIT_ROUND_RESULT);
    return t.FinishRoundResult(side1, side2);
}

} // namespace

TEST(GameMapTurn, RoundCountEndsTheMapAfterTheLastTurn) {
    CDX9KelGameMapTurn t;
    t.m_uRoundsCount = 1;
    EXPECT_EQ(PlayTurn(t), ROUND_OUTCOME_END_MAP);
    EXPECT_EQ(t.m_uRound, 2u);
    EXPECT_EQ(t.m_iGlobalState, GAME_MAP_GLOBAL_STATE_PLAYER);
    EXPECT_EQ(t.m_iActivePlayerObject, -1);

    CDX9KelGameMapTurn three;
    three.m_uRoundsCount = 3;
    EXPECT_EQ(PlayTurn(three), ROUND_OUTCOME_NEW_TURN);
    EXPECT_EQ(PlayTurn(three), ROUND_OUTCOME_NEW_TURN);
    EXPECT_EQ(PlayTurn(three), ROUND_OUTCOME_END_MAP);
    EXPECT_EQ(three.m_uRound, 4u);
}

TEST(GameMapTurn, SideWithoutUnitsEndsTheMapEarly) {
    CDX9KelGameMapTurn t;
    EXPECT_EQ(PlayTurn(t, 2, 0), ROUND_OUTCOME_END_MAP);
    EXPECT_EQ(t.m_uRound, 2u);
    CDX9KelGameMapTurn u;
    EXPECT_EQ(PlayTurn(u, 0, 3), ROUND_OUTCOME_END_MAP);
}

TEST(GameMapTurn, EndTurnRefusedWhileColumnsMoveOrCanMove) {
    CDX9KelGameMapTurn t;
    t.m_iActivePlayerObject = 2;
    EXPECT_FALSE(t.EndPlayerTurn(true, false));
    EXPECT_FALSE(t.EndPlayerTurn(false, true));
    EXPECT_EQ(t.m_iGlobalState, GAME_MAP_GLOBAL_STATE_PLAYER);
    EXPECT_EQ(t.m_iActivePlayerObject, 2);
    EXPECT_TRUE(t.EndPlayerTurn(false, false));
    EXPECT_EQ(t.m_iActivePlayerObject, -1);
    // Only the player's phase can be ended.
    EXPECT_FALSE(t.EndPlayerTurn(false, false));
}

TEST(GameMapTurn, AutosaveRotationCarriesAcrossMaps) {
    CDX9KelGameMapTurn t;
    EXPECT_EQ(t.NextAutosaveName(), "autosave1");
    EXPECT_EQ(t.NextAutosaveName(), "autosave2");
    t.m_uRound = 7;
    t.m_iGlobalState = GAME_MAP_GLOBAL_STATE_AI;
    t.ResetForMap();
    EXPECT_EQ(t.m_uRound, 1u);
    EXPECT_EQ(t.m_iGlobalState, GAME_MAP_GLOBAL_STATE_PLAYER);
    EXPECT_EQ(t.NextAutosaveName(), "autosave3");
    EXPECT_EQ(t.NextAutosaveName(), "autosave1");
}

TEST(GameMapTurn, ColumnFinishedAtLimitMinusEight) {
    CDX9KelGameMapTurn t;
    EXPECT_FALSE(t.IsColumnFinished(292.0f));
    EXPECT_TRUE(t.IsColumnFinished(292.5f));
}

namespace {

std::unique_ptr<GameObjectRecord> Unit(const char* name, bool alive, bool battleData = true, int active = -1) {
    auto r = std::make_unique<GameObjectRecord>();
    SetRecordText(r->m_Unit.m_szName, name);
    if (battleData) {
        r->m_pBattleData = std::make_unique<BattleDataBlock>();
        r->m_pBattleData->m_bAlive = alive ? 1 : 0;
    }
    if (active >= 0) {
        r->m_pMovementState = std::make_unique<MovementStateRecord>();
        r->m_pMovementState->m_bCanSink = static_cast<std::uint8_t>(active);
    }
    return r;
}

} // namespace

TEST(GameMapTurn, CountingShipsAndPresentUnits) {
    auto a = Unit("A", true, true, 1);
    auto b = Unit("B", true, true, 0);   // stranded
    auto fort = Unit("Fort", false);     // lost, cannot sink, stays on the map
    auto mine = Unit("Mine", true, false);
    std::vector<GameObjectRecord*> none;
    EXPECT_EQ(CalcShipsCount(none), -1);
    EXPECT_EQ(CalcShipsCount({a.get(), b.get(), nullptr}), 1);
    EXPECT_EQ(CalcShipsCount({b.get()}), 0);

    EXPECT_EQ(CountPresentUnits({a.get(), fort.get(), mine.get(), nullptr}), 2u);
    EXPECT_EQ(CountPresentUnits({fort.get()}), 0u);
    // A destroyed target no longer fails the mission.
    EXPECT_FALSE(IsUnitPresent({a.get(), fort.get()}, "Fort"));
    EXPECT_TRUE(IsUnitPresent({a.get(), fort.get()}, "A"));
    EXPECT_FALSE(IsUnitPresent({a.get()}, "a"));  // names compare exactly
}

TEST(GameMapTurn, SinkingUnits) {
    float offset = 0.0f, roll = 0.0f, height = 0.0f;
    EXPECT_TRUE(SinkStep(DEATH_DESTRUCTION, 1.0f, offset, roll, height, true));
    EXPECT_FLOAT_EQ(offset, 0.0f);

    // A capsizing unit rolls to -2.0 (from 0) and is removed only at -2.0.
    int frames = 0;
    while (!SinkStep(DEATH_ROLL, 40.0f, offset, roll, height, false) && frames < 1000) ++frames;
    EXPECT_LT(frames, 1000);
    EXPECT_LE(height, -2.0f);
    EXPECT_LE(roll, -2.0f);
    EXPECT_GT(roll, -2.0f - 40.0f * 0.2f - 0.001f);
    EXPECT_GT(offset, 0.0f);

    // The wave pass moves the unit: the height is its business.
    float o2 = 0.0f, r2 = 0.5f, h2 = -1.0f;
    EXPECT_FALSE(SinkStep(DEATH_FLOOD, 1.0f, o2, r2, h2, true));
    EXPECT_FLOAT_EQ(h2, -1.0f);
    EXPECT_FLOAT_EQ(r2, 0.5f);  // only a capsizing unit rolls
    EXPECT_FLOAT_EQ(o2, 0.005f);
    h2 = -2.0f;
    EXPECT_TRUE(SinkStep(DEATH_FLOOD, 1.0f, o2, r2, h2, true));
}
