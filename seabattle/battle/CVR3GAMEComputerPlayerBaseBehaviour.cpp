#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"

#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace SeaBattle {

namespace {

float Rating(const CVR3GAMEBattleMapShip* s) {
    if (!s || !s->m_pBattleShip) return 0.0f;
    return s->m_pBattleShip->ArtilleryRating + s->m_pBattleShip->ArmourRating;
}

bool DeleteRecords(std::vector<BehaviourColumnRecord*>& list) {
    const bool any = !list.empty();
    for (BehaviourColumnRecord*& r : list) {
        delete r;
        r = nullptr;
    }
    list.clear();
    return any;
}

void Log(const CVR3GAMEBattleMapPlayer* player, int32_t kind, const CVR3GAMEBattleMapShip* ship) {
    CVR3GAMEBattleLog::Get().AddEntry(player ? player->m_strPlayerName.c_str() : nullptr, kind,
                                      ship ? ship->m_strName.c_str() : nullptr, nullptr);
}

bool HasShips(const CVR3GAMEBattleMapShipsColumn* c) { return c && !c->m_stdvBattleShips.empty(); }

} // namespace

bool IsOutsideBattleBorders(const CVR3GAMEBattleMapPlayer* pPlayer, float x, float z) {
    if (!pPlayer) return false;
    return x < pPlayer->m_vMinBattleBorders.x || x > pPlayer->m_vMaxBattleBorders.x ||
           z < pPlayer->m_vMinBattleBorders.z || z > pPlayer->m_vMaxBattleBorders.z;
}

CVR3GAMEComputerPlayerBaseBehaviour::~CVR3GAMEComputerPlayerBaseBehaviour() {
    CVR3GAMEComputerPlayerBaseBehaviour::Release();
}

void CVR3GAMEComputerPlayerBaseBehaviour::Release() {
    DeleteRecords(m_stdvColumns);
    DeleteRecords(m_stdvWithdrawnColumns);
    DeleteRecords(m_stdvFreeColumns);
    DeleteRecords(m_stdvRetiredColumns);
}

void CVR3GAMEComputerPlayerBaseBehaviour::CreateIntellColumnsPool() {
    for (unsigned i = 0; i < kPoolSize; ++i)
        if (auto* r = new (std::nothrow) BehaviourColumnRecord) m_stdvFreeColumns.push_back(r);
}

BehaviourColumnRecord* CVR3GAMEComputerPlayerBaseBehaviour::GetFreeIntellColumn() {
    if (m_stdvFreeColumns.empty()) return new (std::nothrow) BehaviourColumnRecord;
    BehaviourColumnRecord* r = m_stdvFreeColumns.back();
    m_stdvFreeColumns.pop_back();
    *r = BehaviourColumnRecord();
    return r;
}

void CVR3GAMEComputerPlayerBaseBehaviour::ReturnToPool(BehaviourColumnRecord* pRecord) {
    if (pRecord) m_stdvFreeColumns.push_back(pRecord);
}

bool CVR3GAMEComputerPlayerBaseBehaviour::Init(CVR3GAMEBattleMapPlayer* pPlayer) {
    if (!pPlayer) return false;
    for (CVR3GAMEBattleMapShipsColumn* c : pPlayer->m_stdvColumns) {
        if (!c) continue;
        BehaviourColumnRecord* r = GetFreeIntellColumn();
        if (!r) return false;
        r->m_pColumn = c;
        r->m_fColumnBattleDistance = m_fColumnBattleDistance;
        m_stdvColumns.push_back(r);
    }
    return true;
}

float CVR3GAMEComputerPlayerBaseBehaviour::ColumnStrength(const CVR3GAMEBattleMapShipsColumn* pColumn) {
    float strength = 0.0f;
    if (!pColumn) return strength;
    for (const CVR3GAMEBattleMapShip* s : pColumn->m_stdvBattleShips)
        if (s && s->m_pBattleShip)
            strength += s->m_pBattleShip->ArmourRating * 200.0f + s->m_pBattleShip->ArtilleryRating;
    return strength;
}

void CVR3GAMEComputerPlayerBaseBehaviour::ComputeColumnStrengths() {
    for (BehaviourColumnRecord* r : m_stdvColumns)
        if (r) r->m_fStrength = ColumnStrength(r->m_pColumn);
    SortColumnsByStrength();
}

void CVR3GAMEComputerPlayerBaseBehaviour::SortColumnsByStrength() {
    // Strongest first; equal strengths keep their order.
    std::stable_sort(m_stdvColumns.begin(), m_stdvColumns.end(),
                     [](const BehaviourColumnRecord* a, const BehaviourColumnRecord* b) {
                         const float sa = a ? a->m_fStrength : 0.0f, sb = b ? b->m_fStrength : 0.0f;
                         return sa > sb;
                     });
}

DWORD CVR3GAMEComputerPlayerBaseBehaviour::Now() const {
    if (m_pOwner && m_pOwner->m_pGameTimer) return m_pOwner->m_pGameTimer->GetTime();
    return timeGetTime();
}

CVR3GAMEBattleMapPlayer* CVR3GAMEComputerPlayerBaseBehaviour::GetPlayer() const {
    return m_pOwner ? m_pOwner->m_pPlayer : nullptr;
}

void CVR3GAMEComputerPlayerBaseBehaviour::Proc() {
    if (!m_pOwner) return;
    const DWORD now = Now();
    if (m_dwStartTime == 0) m_dwStartTime = now;
    if (m_bTargetingEnabled && (m_dwLastTargeting == 0 || m_dwLastTargeting + m_dwTargetingPeriod <= now)) {
        m_dwLastTargeting = now;
        TargetsTask();
        return;
    }
    if (m_bWithdrawalEnabled && (m_dwLastWithdrawal == 0 || m_dwLastWithdrawal + m_dwWithdrawalPeriod <= now)) {
        m_dwLastWithdrawal = now;
        WithdrawalTask();
        return;
    }
    if (m_bMapCheckEnabled && (m_dwLastMapCheck == 0 || m_dwLastMapCheck + m_dwMapCheckPeriod <= now)) {
        m_dwLastMapCheck = now;
        MapCheckTask();
    }
}

void CVR3GAMEComputerPlayerBaseBehaviour::SortEnemies(std::vector<std::pair<CVR3GAMEBattleMapShip*, float>>& e) {
    auto before = [](const std::pair<CVR3GAMEBattleMapShip*, float>& a,
                     const std::pair<CVR3GAMEBattleMapShip*, float>& b) {
        if (std::fabs(a.second - b.second) >= kDistanceTie) return a.second < b.second;
        return Rating(a.first) < Rating(b.first);
    };
    for (std::size_t i = 1; i < e.size(); ++i) {
        const std::pair<CVR3GAMEBattleMapShip*, float> x = e[i];
        std::size_t j = i;
        while (j > 0 && before(x, e[j - 1])) {
            e[j] = e[j - 1];
            --j;
        }
        e[j] = x;
    }
}

void CVR3GAMEComputerPlayerBaseBehaviour::AssignTargets(CVR3GAMEBattleMapShip* pShip, float battleDistance) {
    Vorna3D::CDX9KelPhysicalManager* physics = Vorna3D::GetPhysicalManager(m_pOwner->m_pScene);
    if (!pShip || !pShip->m_pSceneObject || !physics) return;
    m_stdvEnemies.clear();
    const D3DXMATRIX& own = pShip->m_pSceneObject->m_mWorld;
    const D3DXVECTOR3 centre(own._41, own._42, own._43);
    const float radius = battleDistance * kSearchFactor;
    physics->FindObjectsInSphere(&centre, radius);
    for (Vorna3D::CDX9KelBasePhysicalObject* body : physics->GetQueryResults()) {
        if (!body || body->GetType() != Vorna3D::CDX9KelBasePhysicalObject::kTypeShip) continue;
        CVR3GAMEBattleMapShip* enemy = nullptr;
        for (CVR3GAMEBattleMapPlayer* p : m_pOwner->m_stdvEnemies)
            if (p && (enemy = p->GetBattleMapShipBySceneObject(body->GetSceneObject()))) break;
        // A ship that sank or sailed off the battlefield is no target: its
        // hull may still lie in the tree.
        if (!enemy || enemy->m_bWithdrawn || enemy->m_bSunk || !enemy->m_pColumn || !enemy->m_pSceneObject) continue;
        const bool listed = std::any_of(m_stdvEnemies.begin(), m_stdvEnemies.end(),
                                        [enemy](const auto& e) { return e.first == enemy; });
        if (listed) continue;
        m_stdvEnemies.emplace_back(enemy,
                                   Vorna3D::GetSquaredDistanceBetweenMatrices(&own, &enemy->m_pSceneObject->m_mWorld));
    }
    SortEnemies(m_stdvEnemies);
    if (!pShip->m_pArtilleryShip) return;
    pShip->m_pArtilleryShip->ClearTargets();
    for (const auto& e : m_stdvEnemies)
        pShip->m_pArtilleryShip->AddTarget(e.first, kMinHitProbability, radius * radius);
}

void CVR3GAMEComputerPlayerBaseBehaviour::TargetsTask() {
    if (!m_pOwner || !Vorna3D::GetPhysicalManager(m_pOwner->m_pScene)) return;
    for (const std::vector<BehaviourColumnRecord*>* list : {&m_stdvColumns, &m_stdvWithdrawnColumns})
        for (BehaviourColumnRecord* r : *list) {
            if (!r || !r->m_pColumn) continue;
            // A copy: nothing here changes the column, but the ships are
            // walked by value all the same.
            const std::vector<CVR3GAMEBattleMapShip*> ships = r->m_pColumn->m_stdvBattleShips;
            for (CVR3GAMEBattleMapShip* s : ships) AssignTargets(s, r->m_fColumnBattleDistance);
        }
}

int32_t CVR3GAMEComputerPlayerBaseBehaviour::UnfitKind(const CVR3GAMEBattleMapShip* pShip) {
    if (!pShip || !pShip->m_pBattleShip) return 0;
    const CVR3GAMEBattleSystemShip& b = *pShip->m_pBattleShip;
    if (b.DamagePercent >= kUnfitDamage) return LOG_WITHDRAWN_DAMAGE;
    if (b.WaterPercent >= kUnfitWater) return LOG_WITHDRAWN_WATER;
    if (std::fabs(b.Heel) >= kUnfitHeel) return LOG_WITHDRAWN_HEEL;
    if (b.FirePercent >= kUnfitFire) return LOG_WITHDRAWN_FIRE;
    if (b.Gunpowder <= 0) return LOG_WITHDRAWN_GUNPOWDER;
    return 0;
}

bool CVR3GAMEComputerPlayerBaseBehaviour::WithdrawShip(CVR3GAMEBattleMapShip* pShip, int32_t logKind) {
    CVR3GAMEBattleMapPlayer* player = GetPlayer();
    if (!player || !pShip || !pShip->m_pColumn) return false;
    auto* column = new (std::nothrow) CVR3GAMEBattleMapShipsColumn;
    BehaviourColumnRecord* record = column ? GetFreeIntellColumn() : nullptr;
    // The player owns the new column from here on; its movement system
    // ticks it with the others.
    if (!column || !record || !player->AddBattleMapShipsColumn(column)) {
        delete column;
        ReturnToPool(record);
        return false;
    }
    Log(player, logKind, pShip);
    pShip->m_bWithdrawn = true;
    pShip->m_pColumn->RemoveShip(pShip);
    column->AddShip(pShip, -1, true);
    record->m_iKind = COLUMN_WITHDRAWN;
    record->m_pColumn = column;
    record->m_fColumnBattleDistance = m_fColumnBattleDistance;
    m_stdvWithdrawnColumns.push_back(record);
    m_fWithdrawalX = player->m_vRunawayPosition.x;
    m_fWithdrawalZ = player->m_vRunawayPosition.z;
    column->SetRouteSpeed(column->m_fMaxSpeed);
    column->SetTargetPoint(m_fWithdrawalX, m_fWithdrawalZ);
    ++m_iWithdrawnCount;
    return true;
}

void CVR3GAMEComputerPlayerBaseBehaviour::WithdrawalTask() {
    CVR3GAMEBattleMapPlayer* player = GetPlayer();
    if (!player) return;
    // Fighting columns: at most one ship each per run.
    for (std::size_t i = 0; i < m_stdvColumns.size(); ++i) {
        BehaviourColumnRecord* r = m_stdvColumns[i];
        if (!r || r->m_iKind == COLUMN_WITHDRAWN || !r->m_pColumn) continue;
        CVR3GAMEBattleMapShipsColumn* c = r->m_pColumn;
        CVR3GAMEBattleMapShip* unfit = nullptr;
        int32_t kind = 0;
        for (CVR3GAMEBattleMapShip* s : c->m_stdvBattleShips)
            if (s && (kind = UnfitKind(s)) != 0) {
                unfit = s;
                break;
            }
        if (!unfit) continue;
        const bool alone = c->m_stdvBattleShips.size() == 1;
        if (!WithdrawShip(unfit, kind)) continue;
        if (alone) {
            // The record stays owned: a role may still point at it.
            m_stdvColumns.erase(m_stdvColumns.begin() + static_cast<std::ptrdiff_t>(i));
            m_stdvRetiredColumns.push_back(r);
            break;
        }
    }
    // Withdrawn columns: sent on to the runaway point; a ship past the
    // battle borders leaves the battle.
    for (std::size_t i = 0; i < m_stdvWithdrawnColumns.size(); ++i) {
        BehaviourColumnRecord* r = m_stdvWithdrawnColumns[i];
        if (!r || !HasShips(r->m_pColumn)) {
            m_stdvWithdrawnColumns.erase(m_stdvWithdrawnColumns.begin() + static_cast<std::ptrdiff_t>(i));
            ReturnToPool(r);
            return;
        }
        CVR3GAMEBattleMapShipsColumn* c = r->m_pColumn;
        m_fWithdrawalX = player->m_vRunawayPosition.x;
        m_fWithdrawalZ = player->m_vRunawayPosition.z;
        if (CVR3GAMEMovementShip* lead = c->GetLeader()) lead->PostTargetPoint(m_fWithdrawalX, m_fWithdrawalZ);
        for (CVR3GAMEBattleMapShip* s : c->m_stdvBattleShips) {
            if (!s || !s->m_pSceneObject) continue;
            const D3DXMATRIX& w = s->m_pSceneObject->m_mWorld;
            if (!IsOutsideBattleBorders(player, w._41, w._43)) continue;
            Log(player, LOG_LEFT_BATTLE, s);
            if (s->m_pPhysicalObject) s->m_pPhysicalObject->SetActive(false);
            s->m_pSceneObject->m_bVisible = false;
            s->m_bWithdrawn = false;
            // Out of the battle its guns fall silent: no task refreshes its
            // targets any more.
            if (s->m_pArtilleryShip) s->m_pArtilleryShip->ClearTargets();
            c->RemoveShip(s);
            break;
        }
        if (c->m_stdvBattleShips.empty()) {
            m_stdvWithdrawnColumns.erase(m_stdvWithdrawnColumns.begin() + static_cast<std::ptrdiff_t>(i));
            ReturnToPool(r);
            return;
        }
    }
}

void CVR3GAMEComputerPlayerBaseBehaviour::MapCheckTask() {
    CVR3GAMEBattleMapPlayer* player = GetPlayer();
    if (!player) return;
    for (BehaviourColumnRecord* r : m_stdvColumns) {
        if (!r || r->m_iKind == COLUMN_WITHDRAWN || !HasShips(r->m_pColumn)) continue;
        CVR3GAMEBattleMapShipsColumn* c = r->m_pColumn;
        const CVR3GAMEBattleMapShip* lead = c->m_stdvBattleShips.front();
        if (!lead || !lead->m_pSceneObject) continue;
        const D3DXMATRIX& w = lead->m_pSceneObject->m_mWorld;
        const bool outside = IsOutsideBattleBorders(player, w._41, w._43);
        if (outside && r->m_iKind != COLUMN_RETURNING) {
            Log(player, LOG_COLUMN_STRAYED, lead);
            r->m_iKind = COLUMN_RETURNING;
            c->m_bReturning = 1;
            const D3DXVECTOR3& lo = player->m_vMinBattleBorders;
            const D3DXVECTOR3& hi = player->m_vMaxBattleBorders;
            // A route is sailed at the leader's route speed: a column that
            // has none (the human's, steered by direct orders) would stop
            // outside and never come back under its player's orders.
            const CVR3GAMEMovementShip* leader = c->GetLeader();
            if (leader && !(leader->m_fRouteSpeed > 0.0f)) c->SetRouteSpeed(c->m_fMaxSpeed);
            c->SetTargetPoint(lo.x + (hi.x - lo.x) * 0.5f, lo.z + (hi.z - lo.z) * 0.5f);
        } else if (!outside && r->m_iKind == COLUMN_RETURNING) {
            r->m_iKind = COLUMN_FIGHTING;
            c->m_bReturning = 0;
        }
    }
    const bool anyInColumn = std::any_of(player->m_stdvBattleShips.begin(), player->m_stdvBattleShips.end(),
                                         [](const CVR3GAMEBattleMapShip* s) { return s && s->m_pColumn; });
    if (!anyInColumn)
        CVR3GAMEBattleLog::Get().AddEntry(player->m_strPlayerName.c_str(), BATTLE_LOG_SIDE_LOST, nullptr, nullptr);
}

} // namespace SeaBattle
