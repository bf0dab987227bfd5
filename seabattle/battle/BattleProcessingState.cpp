#include "seabattle/battle/BattleProcessingState.h"

#include "engine3/core/CDX9KelGameTimer.h"
#include "platform/os/Clock.h"

namespace SeaBattle {

BattleProcessingState::BattleProcessingState() {
    m_stdvActiveRams.assign(kRamPoolSize, nullptr);
    for (unsigned i = 0; i < kRamPoolSize; ++i) {
        m_stdvFreeRamSlots.push_back(i);
        m_stdvRamPool.push_back(new RamRecord);
    }
}

BattleProcessingState::~BattleProcessingState() {
    for (RamRecord* r : m_stdvActiveRams) delete r;
    for (RamRecord* r : m_stdvRamPool) delete r;
}

BattleProcessingState& BattleProcessingState::Get() {
    static BattleProcessingState state;
    return state;
}

DWORD BattleProcessingState::Now() const { return m_pGameTimer ? m_pGameTimer->GetTime() : timeGetTime(); }

bool BattleProcessingState::RegisterPlayer(const std::string& name, std::vector<CVR3GAMEBattleMapShip*>* ships) {
    if (!ships) return false;
    for (std::size_t i = 0; i < m_stdvPlayerNames.size(); ++i)
        if (m_stdvPlayerNames[i] == name) {
            m_stdvShipLists[i] = ships;
            return true;
        }
    m_stdvPlayerNames.push_back(name);
    m_stdvShipLists.push_back(ships);
    return true;
}

bool BattleProcessingState::AddRam(Vorna3D::CDX9KelBasePhysicalObject* attacker,
                                   Vorna3D::CDX9KelBasePhysicalObject* target, const D3DXVECTOR3* point,
                                   float strength) {
    if (!attacker || !target || !point || !(strength > 0.0f)) return false;
    RamRecord* r = nullptr;
    if (!m_stdvRamPool.empty()) {
        r = m_stdvRamPool.back();
        m_stdvRamPool.pop_back();
    } else {
        r = new RamRecord;
    }
    r->m_pAttacker = attacker;
    r->m_pTarget = target;
    r->m_vPoint = *point;
    r->m_fStrength = strength;
    if (!m_stdvFreeRamSlots.empty()) {
        m_stdvActiveRams[m_stdvFreeRamSlots.back()] = r;
        m_stdvFreeRamSlots.pop_back();
    } else {
        m_stdvActiveRams.push_back(r);
    }
    return true;
}

std::size_t BattleProcessingState::GetPendingRamCount() const {
    std::size_t n = 0;
    for (const RamRecord* r : m_stdvActiveRams)
        if (r) ++n;
    return n;
}

EBattleTask BattleProcessingState::ProcessBattle() {
    const DWORD now = Now();
    if (m_dwLastCallTime == 0) m_dwLastCallTime = now;
    auto due = [now](DWORD last, DWORD period) { return last == 0 || last + period <= now; };
    EBattleTask task = BATTLE_TASK_NONE;
    if (due(m_dwLastDamageRun, m_dwDamagePeriod)) {
        m_dwLastDamageRun = now;
        task = BATTLE_TASK_DAMAGE;
    } else if (due(m_dwLastReloadRun, m_dwReloadPeriod)) {
        m_dwLastReloadRun = now;
        task = BATTLE_TASK_RELOAD;
    } else if (due(m_dwLastRamRun, m_dwRamPeriod)) {
        m_dwLastRamRun = now;
        task = BATTLE_TASK_RAMS;
    } else if (due(m_dwLastShotRun, m_dwShotPeriod)) {
        m_dwLastShotRun = now;
        task = BATTLE_TASK_SHOTS;
    } else {
        return BATTLE_TASK_NONE;
    }
    const DWORD gap = now - m_dwLastCallTime;
    m_dwLastGap = gap < kStallMs ? 0 : gap;
    m_dwLastCallTime = now;
    // The damage pass, the reloads and the shots come with the damage model
    // and the shot queue; the ram task hands its reports on and frees them.
    if (task == BATTLE_TASK_RAMS) ProcessRams();
    return task;
}

void BattleProcessingState::ProcessRams() {
    for (std::size_t i = 0; i < m_stdvActiveRams.size(); ++i) {
        RamRecord* r = m_stdvActiveRams[i];
        if (!r) continue;
        m_stdvActiveRams[i] = nullptr;
        m_stdvFreeRamSlots.push_back(static_cast<unsigned>(i));
        *r = RamRecord();
        m_stdvRamPool.push_back(r);
    }
}

void BattleProcessingState::ClearBattleProcessing(bool clearArtilleryList) {
    if (clearArtilleryList)
        ArtilleryTypes.clear();
    m_stdvPlayerNames.clear();
    m_stdvShipLists.clear();
    ProcessRams();
    m_dwLastCallTime = 0;
    m_dwLastShotRun = m_dwLastReloadRun = m_dwLastDamageRun = m_dwLastRamRun = 0;
    m_dwLastGap = 0;
    m_dwLostShips = 0;
}

} // namespace SeaBattle
