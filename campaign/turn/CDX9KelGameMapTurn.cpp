#include "campaign/turn/CDX9KelGameMapTurn.h"

#include "engine2/core/CDX9KelLog.h"

using Vorna2::g_Log;

namespace VornaCampaign {

bool CDX9KelGameMapTurn::EndPlayerTurn(bool columnMoving, bool sideCanStillMove) {
    if (m_iGlobalState != GAME_MAP_GLOBAL_STATE_PLAYER) return false;
    if (columnMoving || sideCanStillMove) return false;
    g_Log.Write(Vorna2::LOG_CONTINUE, "AI start proc\n");
    m_iGlobalState = GAME_MAP_GLOBAL_STATE_AI;
    m_iActivePlayerObject = -1;
    return true;
}

void CDX9KelGameMapTurn::ProcAIState(int aiStep) {
    if (m_iGlobalState == GAME_MAP_GLOBAL_STATE_AI && aiStep == 4) m_iGlobalState = GAME_MAP_GLOBAL_STATE_ROUND_RESULT;
}

bool CDX9KelGameMapTurn::BeginRoundResult() {
    if (m_iGlobalState != GAME_MAP_GLOBAL_STATE_ROUND_RESULT || m_iBattleWait != GAME_MAP_BATTLE_WAIT_NONE) return false;
    g_Log.Write(Vorna2::LOG_CONTINUE, "Calculate Round result\n");
    m_iBattleWait = GAME_MAP_BATTLE_WAIT_ROUND_RESULT;
    return true;
}

ERoundOutcome CDX9KelGameMapTurn::FinishRoundResult(std::size_t side1Units, std::size_t side2Units) {
    m_iBattleWait = GAME_MAP_BATTLE_WAIT_NONE;
    ++m_uRound;
    m_iGlobalState = GAME_MAP_GLOBAL_STATE_PLAYER;
    g_Log.Write(Vorna2::LOG_CONTINUE, "%s%i%s", "------------------- TURN : ", static_cast<int>(m_uRound),
                " ------------------------\n");
    if (m_uRound <= m_uRoundsCount && side1Units > 0 && side2Units > 0) return ROUND_OUTCOME_NEW_TURN;
    m_iActivePlayerObject = -1;
    return ROUND_OUTCOME_END_MAP;
}

std::string CDX9KelGameMapTurn::NextAutosaveName() {
    static const char* const kNames[3] = {"autosave1", "autosave2", "autosave3"};
    if (m_uAutosaveIndex > 2) m_uAutosaveIndex = 0;
    std::string name = kNames[m_uAutosaveIndex];
    m_uAutosaveIndex = m_uAutosaveIndex + 1 > 2 ? 0 : m_uAutosaveIndex + 1;
    return name;
}

void CDX9KelGameMapTurn::ResetForMap() {
    m_iGlobalState = GAME_MAP_GLOBAL_STATE_PLAYER;
    m_uRound = 1;
    m_iActivePlayerObject = -1;
    m_iPlannedRoute = -1;
    m_iBattleWait = GAME_MAP_BATTLE_WAIT_NONE;
    m_bContactReselect = false;
}

int CalcShipsCount(const std::vector<GameObjectRecord*>& records) {
    if (records.empty()) return -1;
    int count = 0;
    for (const GameObjectRecord* r : records)
        if (r != nullptr && r->m_pMovementState != nullptr && r->m_pMovementState->m_bCanSink != 0) ++count;
    return count;
}

namespace {
bool Present(const GameObjectRecord* r) {
    return r != nullptr && (r->m_pBattleData == nullptr || r->m_pBattleData->m_bAlive != 0);
}
} // namespace

std::size_t CountPresentUnits(const std::vector<GameObjectRecord*>& records) {
    std::size_t count = 0;
    for (const GameObjectRecord* r : records)
        if (Present(r)) ++count;
    return count;
}

bool IsUnitPresent(const std::vector<GameObjectRecord*>& records, const char* name) {
    if (name == nullptr) return false;
    for (const GameObjectRecord* r : records)
        if (Present(r) && RecordText(r->m_Unit.m_szName) == name) return true;
    return false;
}

bool SinkStep(int deathKind, float f, float& heightOffset, float& rollBias, float& worldHeight, bool movedByWaves) {
    if (deathKind != DEATH_FLOOD && deathKind != DEATH_ROLL) return true;
    const float settle = f * 0.005f;
    heightOffset += settle;
    if (!movedByWaves) worldHeight -= settle;
    if (deathKind == DEATH_ROLL) {
        const float roll = f * 0.2f;
        if (rollBias > 0.0f) {
            if (rollBias < 2.0f) rollBias += roll;
        } else if (rollBias > -2.0f) {
            rollBias -= roll;
        }
    }
    return worldHeight <= -2.0f;
}

} // namespace VornaCampaign
