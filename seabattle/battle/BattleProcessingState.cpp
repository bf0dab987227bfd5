#include "seabattle/battle/BattleProcessingState.h"

#include "engine3/core/CDX9KelGameTimer.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"

#include <algorithm>

namespace SeaBattle {

BattleProcessingState::BattleProcessingState() {
    m_stdvActiveRams.assign(kRamPoolSize, nullptr);
    for (unsigned i = 0; i < kRamPoolSize; ++i) {
        m_stdvFreeRamSlots.push_back(i);
        m_stdvRamPool.push_back(new RamRecord);
    }
    m_stdvActiveShots.assign(kShotPoolSize, nullptr);
    for (unsigned i = 0; i < kShotPoolSize; ++i) {
        m_stdvFreeShotSlots.push_back(i);
        m_stdvShotPool.push_back(new ShotRecord);
    }
    D3DXMatrixIdentity(&m_mEffect);
}

BattleProcessingState::~BattleProcessingState() {
    for (RamRecord* r : m_stdvActiveRams) delete r;
    for (RamRecord* r : m_stdvRamPool) delete r;
    for (ShotRecord* r : m_stdvActiveShots) delete r;
    for (ShotRecord* r : m_stdvShotPool) delete r;
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

std::string BattleProcessingState::GetPlayerNameOf(const CVR3GAMEBattleMapShip* ship) const {
    for (std::size_t i = 0; i < m_stdvShipLists.size(); ++i) {
        const std::vector<CVR3GAMEBattleMapShip*>* list = m_stdvShipLists[i];
        if (list && std::find(list->begin(), list->end(), ship) != list->end()) return m_stdvPlayerNames[i];
    }
    return std::string();
}

CVR3GAMEBattleMapShip* BattleProcessingState::FindShipByBody(const Vorna3D::CDX9KelBasePhysicalObject* body) const {
    if (!body) return nullptr;
    for (const std::vector<CVR3GAMEBattleMapShip*>* list : m_stdvShipLists) {
        if (!list) continue;
        for (CVR3GAMEBattleMapShip* ship : *list)
            if (ship && ship->m_pPhysicalObject &&
                static_cast<const Vorna3D::CDX9KelBasePhysicalObject*>(ship->m_pPhysicalObject) == body)
                return ship;
    }
    return nullptr;
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
    switch (task) {
    case BATTLE_TASK_SHOTS: ProcessShots(now); break;
    case BATTLE_TASK_RELOAD: UpdateGunReloads(now, m_dwLastGap); break;
    case BATTLE_TASK_RAMS: ProcessRams(); break;
    case BATTLE_TASK_DAMAGE: ProcessDamage(now, m_dwLastGap); break;
    default: break;
    }
    return task;
}

void BattleProcessingState::ReturnRam(std::size_t slot) {
    RamRecord* r = m_stdvActiveRams[slot];
    m_stdvActiveRams[slot] = nullptr;
    m_stdvFreeRamSlots.push_back(static_cast<unsigned>(slot));
    *r = RamRecord();
    m_stdvRamPool.push_back(r);
}

void BattleProcessingState::ClearBattleProcessing(bool clearArtilleryList) {
    if (clearArtilleryList)
        ArtilleryTypes.clear();
    m_stdvPlayerNames.clear();
    m_stdvShipLists.clear();
    for (std::size_t i = 0; i < m_stdvActiveRams.size(); ++i)
        if (m_stdvActiveRams[i]) ReturnRam(i);
    for (std::size_t i = 0; i < m_stdvActiveShots.size(); ++i)
        if (m_stdvActiveShots[i]) ReturnShot(i);
    m_uDamageList = m_uDamageShip = 0;
    m_dwLastCallTime = 0;
    m_dwLastShotRun = m_dwLastReloadRun = m_dwLastDamageRun = m_dwLastRamRun = 0;
    m_dwLastGap = 0;
    m_dwLostShips = 0;
}

} // namespace SeaBattle
