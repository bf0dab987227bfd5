// The computer's play on the map: the coastal artillery of both sides and
// the ship columns of its own side, frame by frame.
#include "campaign/ai/CDX9KelAISystem.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/battle/GunGroups.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/FiringPosition.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

#include <algorithm>
#include <cmath>

using Vorna2::g_Log;
using Vorna2::CDX9KelSceneObject;

namespace VornaCampaign {

namespace {

constexpr float kMetresToMap = 0.054f;

D3DXVECTOR3 CentreOf(CDX9KelSceneObject* o) {
    o->m_vWorldCenter = D3DXVECTOR3(o->m_mWorld._41, o->m_mWorld._42, o->m_mWorld._43) + o->m_vCenter;
    return o->m_vWorldCenter;
}

Vorna2::CDX9KelPhysicalManager* Physics(CDX9KelGameMap* map) {
    return map != nullptr && map->m_pScene != nullptr ? Vorna2::GetPhysicalManager(map->m_pScene) : nullptr;
}

bool LineBlocked(CDX9KelGameMap* map, CDX9KelSceneObject* a, CDX9KelSceneObject* b) {
    Vorna2::CDX9KelPhysicalManager* p = Physics(map);
    return p != nullptr && p->IsLineBlocked(a, b);
}

bool AnyGunCanShoot(const BattleDataBlock& data) {
    for (const auto* parts : {&data.m_stdvMGTowers, &data.m_stdvDesignParts})
        for (const PartRecord& p : *parts)
            for (const GunRecord& g : p.m_stdvGuns)
                if (g.m_bCanShoot != 0) return true;
    return false;
}

} // namespace

std::vector<float> CDX9KelAISystem::OwnColumnTimes() const {
    std::vector<float> times;
    if (m_pGameMap == nullptr) return times;
    for (const GameColumnRecord* c : m_pGameMap->Side(m_iOwnSide).m_Columns) times.push_back(c ? c->m_fTimeUsed : 0.0f);
    return times;
}

CDX9KelSceneObject* CDX9KelAISystem::GetFollowedSceneObject() const {
    if (m_pGameMap == nullptr || m_iActiveColumn < 0) return nullptr;
    const auto& columns = m_pGameMap->Side(m_iOwnSide).m_Columns;
    if (static_cast<std::size_t>(m_iActiveColumn) >= columns.size()) return nullptr;
    const GameColumnRecord* c = columns[static_cast<std::size_t>(m_iActiveColumn)];
    return c != nullptr && !c->m_Ships.empty() ? c->m_Ships[0].m_pSceneObject : nullptr;
}

GameObjectRecord* CDX9KelAISystem::GetFollowedObject() const {
    if (m_pGameMap == nullptr || m_iActiveColumn < 0) return nullptr;
    const auto& columns = m_pGameMap->Side(m_iOwnSide).m_Columns;
    if (static_cast<std::size_t>(m_iActiveColumn) >= columns.size()) return nullptr;
    const GameColumnRecord* c = columns[static_cast<std::size_t>(m_iActiveColumn)];
    return c != nullptr && !c->m_Ships.empty() ? c->m_Ships[0].m_pObject : nullptr;
}

// ---- coastal artillery ----

void CDX9KelAISystem::ProcForts() {
    if (m_pGameMap == nullptr) {
        m_iFortState = GAME_AI_COASTAL_ART_STATE_NONE;
        return;
    }
    GameMapSide& own = m_pGameMap->Side(m_iOwnSide);
    GameMapSide& enemy = m_pGameMap->Side(m_iOwnSide == SIDE_1 ? SIDE_2 : SIDE_1);
    switch (m_iFortState) {
    case GAME_AI_COASTAL_ART_STATE_SEL_OBJECT: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "Forts : GAME_AI_COASTAL_ART_STATE_SEL_OBJECT\n");
        ++m_iFortIndex;
        if (m_iFortIndex >= static_cast<int>(own.m_GameObjects.size()) ||
            m_iFortIndex >= static_cast<int>(own.m_SceneObjects.size())) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "Forts : GAME_AI_COASTAL_ART_STATE_NONE\n");
            m_iFortState = GAME_AI_COASTAL_ART_STATE_NONE;
            return;
        }
        const GameObjectRecord* fort = own.m_GameObjects[static_cast<std::size_t>(m_iFortIndex)];
        if (fort == nullptr || !IsFortCandidate(*fort) || !fort->m_pBattleData) return;
        m_iTargetIndex = 0;
        m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_TARGET;
        return;
    }
    case GAME_AI_COASTAL_ART_STATE_SEL_TARGET: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "Forts : GAME_AI_COASTAL_ART_STATE_SEL_TARGET\n");
        m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_OBJECT;
        const auto at = static_cast<std::size_t>(m_iFortIndex);
        CDX9KelSceneObject* fortObject = own.m_SceneObjects[at];
        const GameObjectRecord* fort = own.m_GameObjects[at];
        const BattleDataBlock& data = *fort->m_pBattleData;
        // Enemies farthest first.
        m_stdvTargets.clear();
        for (std::size_t i = 0; i < enemy.m_SceneObjects.size() && i < enemy.m_GameObjects.size(); ++i)
            m_stdvTargets.push_back(static_cast<int>(i));
        std::stable_sort(m_stdvTargets.begin(), m_stdvTargets.end(), [&](int a, int b) {
            return Vorna2::GetDistanceBetweenMatrices(&fortObject->m_mWorld, &enemy.m_SceneObjects[static_cast<std::size_t>(a)]->m_mWorld) >
                   Vorna2::GetDistanceBetweenMatrices(&fortObject->m_mWorld, &enemy.m_SceneObjects[static_cast<std::size_t>(b)]->m_mWorld);
        });
        const GunRecord* gun = GetUnitGunType(data);
        if (gun == nullptr || gun->m_szName[0] == 0) {
            g_Log.Write(Vorna2::LOG_CONTINUE,
                        "Error : Forts : CDX9KelUtils::Get().GetIdenticalString( Gun.m_cGunName,  )\n");
            return;
        }
        CDX9KelAnimatedModel* model = at < own.m_AnimatedModels.size() ? own.m_AnimatedModels[at] : nullptr;
        for (int t = m_iTargetIndex; t < static_cast<int>(m_stdvTargets.size()); ++t) {
            const auto e = static_cast<std::size_t>(m_stdvTargets[static_cast<std::size_t>(t)]);
            CDX9KelSceneObject* target = enemy.m_SceneObjects[e];
            const GameObjectRecord* enemyRecord = enemy.m_GameObjects[e];
            if (enemyRecord == nullptr || !enemyRecord->m_pBattleData || enemyRecord->m_pBattleData->m_bAlive == 0)
                continue;
            const float d = Vorna2::GetDistanceBetweenMatrices(&fortObject->m_mWorld, &target->m_mWorld);
            const int chance = CDX9KelBattleSystem::CalcHitChance(d * CDX9KelBattleSystem::kMetresPerUnit,
                                                                  gun->m_fFallAccuracy, data.m_fCrewTraining,
                                                                  enemyRecord->m_pBattleData->m_fTotalReserveArea);
            bool zones[2] = {false, false};
            for (int g = 0; g < 2; ++g)
                zones[g] = CanGroupReach(fortObject, own.m_GameObjects[at], model, g, target, true);
            const int group = ChooseFortGroup(data, chance, chance >= kMinimumHitChance && LineBlocked(m_pGameMap, fortObject, target), zones);
            if (group < 0) continue;
            m_iTargetIndex = t;
            m_iFortGroup = group;
            m_iFortTarget = static_cast<int>(e);
            m_iFortAttackStep = -1;
            m_iFortState = GAME_AI_COASTAL_ART_STATE_ATTACK;
            return;
        }
        return;
    }
    case GAME_AI_COASTAL_ART_STATE_ATTACK: {
        const auto at = static_cast<std::size_t>(m_iFortIndex);
        if (m_iFortAttackStep == -1) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "Forts : GAME_AI_COASTAL_ART_STATE_ATTACK\n");
            CDX9KelAnimatedModel* model = at < own.m_AnimatedModels.size() ? own.m_AnimatedModels[at] : nullptr;
            if (model == nullptr) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "Error : Forts : pAnimatedModel == NULL\n");
                m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_OBJECT;
                return;
            }
            const auto e = static_cast<std::size_t>(m_iFortTarget);
            GameObjectRecord* target = e < enemy.m_GameObjects.size() ? enemy.m_GameObjects[e] : nullptr;
            if (target == nullptr) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "Error : Forts : pTargetGameObject == NULL\n");
                m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_OBJECT;
                return;
            }
            if (!g_BattleSystem.BeginBombardment(m_iFortGroup, own.m_SceneObjects[at], own.m_GameObjects[at], model,
                                                 enemy.m_SceneObjects[e], target)) {
                // A refused attack is not tried again: the next target is.
                ++m_iTargetIndex;
                m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_TARGET;
                return;
            }
            ++m_iShotsOrdered;
            m_iFortAttackStep = 0;
            return;
        }
        if (g_BattleSystem.m_iState != BATTLE_SYSTEM_IDLE) return;
        // The same fort again; a tower that fired is no longer ready, and
        // the target just engaged is passed over when nothing fired (also
        // when the bombardment ended before any gun was tried): it cannot
        // be hit from here this round.
        m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_TARGET;
        if (std::none_of(g_BattleSystem.m_stdvShotResults.begin(), g_BattleSystem.m_stdvShotResults.end(),
                         [](int r) { return r != SHOT_NOT_FIRED; }))
            ++m_iTargetIndex;
        return;
    }
    default: return;
    }
}

// ---- ship columns ----

bool CDX9KelAISystem::CalcDangerRating(GameObjectRecord* own, CDX9KelSceneObject* ownObject) {
    m_stdvRatings.clear();
    if (own == nullptr || ownObject == nullptr || m_pGameMap == nullptr) return false;
    GameMapSide& enemy = m_pGameMap->Side(m_iOwnSide == SIDE_1 ? SIDE_2 : SIDE_1);
    const D3DXVECTOR3 span = m_pGameMap->m_vSceneMax - m_pGameMap->m_vSceneMin;
    const float diagonal = std::sqrt(span.x * span.x + span.z * span.z);
    const std::string ownName = RecordText(own->m_Unit.m_szName);
    const std::size_t count = std::min(enemy.m_SceneObjects.size(), enemy.m_GameObjects.size());
    for (std::size_t i = 0; i < count; ++i) {
        const GameObjectRecord* e = enemy.m_GameObjects[i];
        if (e == nullptr || (e->m_pBattleData && e->m_pBattleData->m_bAlive == 0)) continue;
        AIEnemyFigures f;
        f.m_sName = RecordText(e->m_Unit.m_szName);
        f.m_fDistance = Vorna2::GetDistanceBetweenMatrices(&ownObject->m_mWorld, &enemy.m_SceneObjects[i]->m_mWorld);
        f.m_bHasMovement = e->m_pMovement != nullptr;
        if (e->m_pBattleData) {
            const BattleDataBlock& d = *e->m_pBattleData;
            if (const GunRecord* g = GetUnitGunType(d)) {
                f.m_fGunDamage = static_cast<float>(g->m_iDamage);
                f.m_fGunFallAccuracy = g->m_fFallAccuracy;
            }
            int guns = 0, armoured = 0;
            float armour = 0.0f;
            float area = 0.0f, covered = 0.0f;
            for (const auto* parts : {&d.m_stdvMGTowers, &d.m_stdvDesignParts}) {
                for (const PartRecord& p : *parts) {
                    guns += static_cast<int>(p.m_stdvGuns.size());
                    for (int a : {p.m_iArmour1, p.m_iArmour2})
                        if (a != 0) armour += static_cast<float>(a), ++armoured;
                    const float whole = std::max(0.0f, p.m_fLength * p.m_fHeight);
                    auto rect = [](const PartRect& r) { return std::fabs((r.right - r.left) * (r.bottom - r.top)); };
                    area += whole;
                    covered += (p.m_iArmour1 != 0 ? rect(p.m_rArmourRect1) : 0.0f) + (p.m_iArmour2 != 0 ? rect(p.m_rArmourRect2) : 0.0f);
                }
            }
            f.m_iGunCount = guns;
            f.m_fAverageArmour = armoured > 0 ? armour / static_cast<float>(armoured) : 0.0f;
            f.m_iArmouredPercent = area > 0.0f ? static_cast<int>(std::min(100.0f, covered / area * 100.0f)) : 0;
        }
        AIDangerRating r = RateEnemy(f, ownName, count, diagonal);
        r.m_pEnemyObject = enemy.m_SceneObjects[i];
        r.m_pEnemy = e;
        m_stdvRatings.push_back(r);
    }
    SortRatings(m_stdvRatings);
    return true;
}

bool CDX9KelAISystem::SelectBombardment(GameColumnRecord* column) {
    m_iShipGroup = -1;
    if (column == nullptr || column->m_Ships.empty() || m_pGameMap == nullptr) return false;
    CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
    GameObjectRecord* record = column->m_Ships[0].m_pObject;
    if (ship == nullptr || record == nullptr || !record->m_pBattleData) return false;
    const BattleDataBlock& data = *record->m_pBattleData;
    if (data.m_stdvDesignParts.size() != 6) return false;
    const GunRecord* gun = GetUnitGunType(data);
    if (gun == nullptr) return false;
    float armour = 0.0f;
    for (const PartRecord& p : data.m_stdvDesignParts) armour += static_cast<float>(p.m_iArmour1 + p.m_iArmour2);
    const int threshold = BombardmentThreshold(m_iMode, armour > 0.0f);
    for (std::size_t i = 0; i < m_stdvRatings.size(); ++i) {
        const AIDangerRating& r = m_stdvRatings[i];
        if (r.m_pEnemyObject == nullptr || r.m_pEnemy == nullptr || !r.m_pEnemy->m_pBattleData ||
            r.m_pEnemy->m_pBattleData->m_bAlive == 0)
            continue;
        const float d = Vorna2::GetDistanceBetweenMatrices(&ship->m_mWorld, &r.m_pEnemyObject->m_mWorld);
        const int chance = CDX9KelBattleSystem::CalcHitChance(d * CDX9KelBattleSystem::kMetresPerUnit, gun->m_fFallAccuracy,
                                                              data.m_fCrewTraining,
                                                              r.m_pEnemy->m_pBattleData->m_fTotalReserveArea);
        if (chance < threshold || LineBlocked(m_pGameMap, ship, r.m_pEnemyObject)) continue;
        const float bearing = Vorna2::GetHeadingAngleToMatrix(&ship->m_mWorld, &r.m_pEnemyObject->m_mWorld);
        const int group = ChooseFirstGunGroup(data, bearing);
        if (group < 0) continue;
        // A group fires once in a column's move: a refused or empty volley
        // is not ordered again and again.
        if (std::find(m_stdvFiredGroups.begin(), m_stdvFiredGroups.end(), group) != m_stdvFiredGroups.end()) continue;
        m_iShipGroup = group;
        m_iBombardEntry = static_cast<int>(i);
        return true;
    }
    return false;
}

bool CDX9KelAISystem::FireNextGroup(GameColumnRecord* column) {
    if (column == nullptr || column->m_Ships.empty() || m_iBombardEntry < 0 ||
        static_cast<std::size_t>(m_iBombardEntry) >= m_stdvRatings.size())
        return false;
    for (;;) {
        const int group = NextGunGroup(m_iShipGroup, m_iLastShipGroup);
        if (group < 0) return false;
        m_iLastShipGroup = group;
        m_stdvFiredGroups.push_back(group);
        CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
        GameObjectRecord* record = column->m_Ships[0].m_pObject;
        const GameMapPlace place = m_pGameMap->FindSideObject(ship);
        CDX9KelAnimatedModel* model = nullptr;
        if (place.side > 0) {
            const auto& models = m_pGameMap->Side(place.side).m_AnimatedModels;
            if (static_cast<std::size_t>(place.index) < models.size()) model = models[static_cast<std::size_t>(place.index)];
        }
        const AIDangerRating& r = m_stdvRatings[static_cast<std::size_t>(m_iBombardEntry)];
        if (g_BattleSystem.BeginBombardment(group, ship, record, model, r.m_pEnemyObject,
                                            const_cast<GameObjectRecord*>(r.m_pEnemy))) {
            ++m_iShotsOrdered;
            return true;
        }
    }
}

bool CDX9KelAISystem::CanGroupFireNow(GameColumnRecord* column) const {
    if (column == nullptr || column->m_Ships.empty() || m_iShipGroup < 0 || m_iBombardEntry < 0 ||
        static_cast<std::size_t>(m_iBombardEntry) >= m_stdvRatings.size())
        return false;
    CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
    const GameMapPlace place = m_pGameMap->FindSideObject(ship);
    if (place.side <= 0) return false;
    const auto& models = m_pGameMap->Side(place.side).m_AnimatedModels;
    CDX9KelAnimatedModel* model =
        static_cast<std::size_t>(place.index) < models.size() ? models[static_cast<std::size_t>(place.index)] : nullptr;
    return CanGroupReach(ship, column->m_Ships[0].m_pObject, model, m_iShipGroup,
                         m_stdvRatings[static_cast<std::size_t>(m_iBombardEntry)].m_pEnemyObject, true);
}

bool CDX9KelAISystem::StartColumnMove(GameColumnRecord* column, int route) {
    if (!g_ColumnMovement.AddColumn(column, g_SeaPathGenerator, route)) return false;
    g_ColumnMovement.m_bMoving = true;
    g_ColumnMovement.m_bPaused = false;
    m_stdvFiredGroups.clear();
    return true;
}

bool CDX9KelAISystem::TryStraightMove(GameColumnRecord* column) {
    CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
    if (ship == nullptr) return false;
    const float left = (m_pGameMap->m_Turn.m_fTurnMoveLimit - column->m_fTimeUsed) * 0.5f;
    if (!(left > 0.0f) || !(column->m_fSpeedLimit > 0.0f)) return false;
    SeaMoveParams params;
    params.m_fMaxSpeed = column->m_fSpeedLimit;
    params.m_fMaxTurnRate = column->m_fTurnLimit;
    params.m_fAcceleration = column->m_fAccelerationLimit;
    params.m_fStartSpeed = column->m_fCurrentSpeed;
    const float turns[3] = {0.0f, column->m_fTurnLimit, -column->m_fTurnLimit};
    const char* lines[3] = {nullptr, "AI ships : right path\n", "AI ships : left path\n"};
    for (int k = 0; k < 3; ++k) {
        if (lines[k] != nullptr) g_Log.Write(Vorna2::LOG_CONTINUE, "%s", lines[k]);
        g_SeaPathGenerator.ClearPaths();
        const int route = g_SeaPathGenerator.CreatePath(&params, &ship->m_mWorld, left, false);
        if (route < 0) return false;
        // A short turn first for the offset tries, then straight on.
        if (k > 0) g_SeaPathGenerator.AddSegment(route, left * 0.25f, column->m_fSpeedLimit, turns[k]);
        g_SeaPathGenerator.AddSegment(route, k > 0 ? left * 0.75f : left, column->m_fSpeedLimit, 0.0f);
        g_SeaPathGenerator.FinishPath(route);
        g_SeaPathGenerator.ReleasePath(route);
        if (m_pObstacles != nullptr && g_SeaPathGenerator.IsPathBlocked(m_pObstacles, route, ship)) continue;
        return StartColumnMove(column, route);
    }
    return false;
}

void CDX9KelAISystem::ProcShips() {
    if (m_iShipState == GAME_AI_SHIPS_STATE_NONE) return;
    if (m_pGameMap == nullptr) {
        m_iShipState = GAME_AI_SHIPS_STATE_NONE;
        return;
    }
    std::vector<GameColumnRecord*>& columns = m_pGameMap->Side(m_iOwnSide).m_Columns;
    GameColumnRecord* column = m_iActiveColumn >= 0 && static_cast<std::size_t>(m_iActiveColumn) < columns.size()
                                   ? columns[static_cast<std::size_t>(m_iActiveColumn)]
                                   : nullptr;
    const float limit = m_pGameMap->m_Turn.m_fTurnMoveLimit;
    switch (m_iShipState) {
    case GAME_AI_SHIPS_STATE_SEL_OBJECT: {
        Vorna2::CDX9KelPhysicalManager* physics = Physics(m_pGameMap);
        if (physics != nullptr && physics->HasContacts()) return;
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_SEL_OBJECT\n");
        if (columns.empty()) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_NONE\n");
            m_iShipState = GAME_AI_SHIPS_STATE_NONE;
            return;
        }
        if (m_iColumnPasses == 0) BeginColumnPasses(OwnColumnTimes());
        ++m_iActiveColumn;
        if (m_iActiveColumn >= static_cast<int>(columns.size())) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : m_sActiveColumn >= size\n");
            m_iActiveColumn = -1;
            if (DetectColumnsMoveOpportunity(OwnColumnTimes(), limit)) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : m_pGameMap->DetectColumnsMoveOpportunity\n");
            } else {
                g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_NONE\n");
                m_iShipState = GAME_AI_SHIPS_STATE_NONE;
                m_iColumnPasses = 0;
            }
            return;
        }
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : Active Column : %i\n", m_iActiveColumn);
        column = columns[static_cast<std::size_t>(m_iActiveColumn)];
        if (column == nullptr) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "Column == NULL\n");
            m_iShipState = GAME_AI_SHIPS_STATE_NONE;
            m_iColumnPasses = 0;
            return;
        }
        const Vorna2::CDX9KelFloatRecord* leader =
            column->m_Ships.empty() ? nullptr : m_pGameMap->PhysicsRecordOf(column->m_Ships[0].m_pSceneObject);
        // A stranded leader and a waiting column do not move again this turn.
        if (column->m_fTimeUsed > limit - 8.0f || column->m_Ships.empty() || m_iActiveColumn == m_iWaitingColumn ||
            (leader != nullptr && leader->m_bActive == 0)) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "Not movement time\n");
            return;
        }
        m_iTargetIndex = 0;
        m_iShipState = GAME_AI_SHIPS_STATE_CHECK_COLUMN;
        return;
    }
    case GAME_AI_SHIPS_STATE_CHECK_COLUMN: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_CHECK_COLUMN\n");
        m_iShipState = GAME_AI_SHIPS_STATE_CALC_RATING;
        if (column == nullptr || column->m_Ships.size() < 2) return;
        for (std::size_t i = 0; i < column->m_Ships.size(); ++i) {
            GameObjectRecord* r = column->m_Ships[i].m_pObject;
            if (r == nullptr || !r->m_pBattleData || AnyGunCanShoot(*r->m_pBattleData)) continue;
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI leaves column : %i\n", static_cast<int>(i));
            if (m_pGameMap->DetachShipFromColumn(column->m_Ships[i].m_pSceneObject, r, &columns))
                m_iActiveColumn = static_cast<int>(columns.size()) - 1;
            break;
        }
        return;
    }
    case GAME_AI_SHIPS_STATE_CALC_RATING:
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_CALC_RATING\n");
        m_iShipState = column != nullptr && !column->m_Ships.empty() &&
                               CalcDangerRating(column->m_Ships[0].m_pObject, column->m_Ships[0].m_pSceneObject)
                           ? GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR
                           : GAME_AI_SHIPS_STATE_SEL_OBJECT;
        return;
    case GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR\n");
        if (column == nullptr || column->m_Ships.empty()) {
            m_iShipState = GAME_AI_SHIPS_STATE_SEL_OBJECT;
            return;
        }
        const AITask& task = m_pActiveTask != nullptr ? *m_pActiveTask : m_DefaultTask;
        if (m_iTargetIndex >= static_cast<int>(m_stdvRatings.size())) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : m_sEmenyObject >= m_stdvObjectsDangerRating.size()\n");
            m_iMode = GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY;
            if (m_vTarget == task.m_vRunawayPosition) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : RUNAWAY position corroupted\n");
                m_vTarget = D3DXVECTOR3(Vorna2::CDX9KelUtils::GetRandomFloat(m_pGameMap->m_vMapMin.x, m_pGameMap->m_vMapMax.x),
                                        0.0f,
                                        Vorna2::CDX9KelUtils::GetRandomFloat(m_pGameMap->m_vMapMin.z, m_pGameMap->m_vMapMax.z));
            } else {
                m_vTarget = task.m_vRunawayPosition;
            }
            m_iPathTarget = AI_PATH_TARGET_RUNAWAY;
            m_iShipState = GAME_AI_SHIPS_STATE_PATH_FIND;
            return;
        }
        const AIDangerRating& r = m_stdvRatings[static_cast<std::size_t>(m_iTargetIndex)];
        CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
        GameObjectRecord* record = column->m_Ships[0].m_pObject;
        AIBehaviourFigures f;
        f.m_uColumnShips = column->m_Ships.size();
        f.m_fColumnSpeed = column->m_fCurrentSpeed;
        f.m_fEnemyDistance = r.m_fDistance;
        f.m_fBearingToEnemy = Vorna2::GetHeadingAngleToMatrix(&ship->m_mWorld, &r.m_pEnemyObject->m_mWorld);
        f.m_bCanSink = record->m_pMovementState == nullptr || record->m_pMovementState->m_bCanSink != 0;
        if (record->m_pBattleData) {
            f.m_iConditionPercent = CDX9KelBattleSystem::GetConditionPercent(record->m_pBattleData.get());
            f.m_iFloodPercent = CDX9KelBattleSystem::GetFloodPercent(record->m_pBattleData.get());
            f.m_bAnyGunCanShoot = AnyGunCanShoot(*record->m_pBattleData);
            f.m_fRamAttack = record->m_pBattleData->m_fRamAttack;
        }
        if (r.m_pEnemy->m_pBattleData) f.m_fEnemyRamDefence = r.m_pEnemy->m_pBattleData->m_fRamDefence;
        f.m_bEnemyCanSink = r.m_pEnemy->m_pMovementState != nullptr && r.m_pEnemy->m_pMovementState->m_bCanSink != 0;
        const D3DXVECTOR3 enemyCentre = CentreOf(r.m_pEnemyObject);
        if (Vorna2::CDX9KelPhysicalManager* physics = Physics(m_pGameMap)) {
            if (physics->TestSphere(enemyCentre.x, enemyCentre.y, enemyCentre.z, 40.0f))
                for (const CDX9KelSceneObject* hit : physics->m_Hits)
                    if (hit != nullptr && hit->m_fRadius > 10.0f) f.m_bDistantFight = true;
        }
        const AIBehaviourChoice choice = ChooseBehaviour(f);
        m_iMode = choice.m_iMode;
        m_iShipState = choice.m_iNextState;
        m_iPathTarget = AI_PATH_TARGET_ENEMY;
        if (m_iMode == GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI moves to runaway point : %i\n", m_iActiveColumn);
            m_vTarget = task.m_vRunawayPosition;
            m_iPathTarget = AI_PATH_TARGET_RUNAWAY;
        } else if (m_iMode == GAME_AI_SHIPS_BEHAVIOUR_RAM) {
            m_vTarget = enemyCentre;
        }
        return;
    }
    case GAME_AI_SHIPS_STATE_MOV_POS: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_MOV_POS\n");
        if (column == nullptr || column->m_Ships.empty() || m_iTargetIndex >= static_cast<int>(m_stdvRatings.size())) {
            m_iShipState = GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR;
            return;
        }
        const AIDangerRating& r = m_stdvRatings[static_cast<std::size_t>(m_iTargetIndex)];
        CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
        GameObjectRecord* record = column->m_Ships[0].m_pObject;
        const BattleDataBlock* data = record->m_pBattleData.get();
        const GunRecord* gun = data ? GetUnitGunType(*data) : nullptr;
        float armour = 0.0f;
        if (data)
            for (const PartRecord& p : data->m_stdvDesignParts) armour += static_cast<float>(p.m_iArmour1 + p.m_iArmour2);
        const int wanted = WantedHitChance(m_iMode, armour > 0.0f);
        float distance = -1.0f;
        if (gun != nullptr && r.m_pEnemy->m_pBattleData)
            distance = CDX9KelBattleSystem::GetDistanceForHitChance(wanted, gun->m_fFallAccuracy, data->m_fCrewTraining,
                                                                    r.m_pEnemy->m_pBattleData->m_fTotalReserveArea) *
                       kMetresToMap;
        D3DXVECTOR3 position(-100.0f, -1.0f, -100.0f);
        if (distance > 0.0f) {
            MapArea area{m_pGameMap->m_vMapMin.x, m_pGameMap->m_vMapMin.z, m_pGameMap->m_vMapMax.x, m_pGameMap->m_vMapMax.z};
            CalcFiringPosition(CentreOf(r.m_pEnemyObject), CentreOf(ship), distance, m_pObstacles,
                               g_SeaPathGenerator.m_fShipWidth, &area, &position, &m_vFallback);
        }
        if (position.y < 0.0f) {
            ++m_iTargetIndex;
            m_iShipState = GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR;
            return;
        }
        m_vTarget = position;
        m_iPathTarget = AI_PATH_TARGET_ENEMY;
        if (r.m_fDistance >= 0.0f && r.m_fDistance <= distance) {
            m_vTarget = m_vFallback;
            m_iPathTarget = AI_PATH_TARGET_FALLBACK;
        }
        m_iShipState = GAME_AI_SHIPS_STATE_PATH_FIND;
        return;
    }
    case GAME_AI_SHIPS_STATE_PATH_FIND: {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_STATE_PATH_FIND\n");
        m_iShipState = GAME_AI_SHIPS_STATE_MOVEMENT;
        if (column == nullptr || column->m_Ships.empty() || column->m_Ships[0].m_pSceneObject == nullptr) return;
        CDX9KelSceneObject* ship = column->m_Ships[0].m_pSceneObject;
        SeaMover mover;
        mover.m_mWorld = ship->m_mWorld;
        mover.m_fRadius = ship->m_fRadius;
        mover.m_pSelf = ship;
        SeaMoveParams params;
        params.m_fMaxSpeed = column->m_fSpeedLimit;
        params.m_fMaxTurnRate = column->m_fTurnLimit;
        params.m_fAcceleration = column->m_fAccelerationLimit;
        params.m_fStartSpeed = column->m_fCurrentSpeed;
        m_Finder.SetObstacleQuery(m_pObstacles);
        ++m_iRouteSearches;
        const int result = m_Finder.FindPath(&mover, &params, column->m_fTimeUsed, limit, m_vTarget.x, m_vTarget.y, m_vTarget.z);
        const AIPathDecision d =
            DecidePathResult(result, m_iPathTarget, m_iTargetIndex + 1 < static_cast<int>(m_stdvRatings.size()));
        switch (d.m_iAction) {
        case AI_PATH_ACTION_MOVE:
            if (!StartColumnMove(column, m_Finder.m_iFittedPath)) m_iShipState = GAME_AI_SHIPS_STATE_MOVEMENT;
            break;
        case AI_PATH_ACTION_NEXT_ENEMY: ++m_iTargetIndex; break;
        case AI_PATH_ACTION_TRY_FALLBACK:
            m_vTarget = m_vFallback;
            m_iPathTarget = AI_PATH_TARGET_FALLBACK;
            break;
        case AI_PATH_ACTION_BEE_LINE:
            if (!TryStraightMove(column)) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : waiting column\n");
                m_iWaitingColumn = m_iActiveColumn;
                m_iShipState = GAME_AI_SHIPS_STATE_SEL_OBJECT;
                return;
            }
            break;
        default: break;
        }
        m_iShipState = d.m_iNextState;
        return;
    }
    case GAME_AI_SHIPS_STATE_MOVEMENT:
        if (g_ColumnMovement.m_bMoving || g_ColumnMovement.m_bPaused) {
            if (SelectBombardment(column) && CanGroupFireNow(column)) {
                g_ColumnMovement.m_bPaused = true;
                m_iLastShipGroup = -1;
                m_iShipState = GAME_AI_SHIPS_STATE_BOMBARDMENT;
            }
            return;
        }
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : end GAME_AI_SHIPS_STATE_MOVEMENT\n");
        m_iShipState = GAME_AI_SHIPS_STATE_BOMBARDMENT;
        return;
    case GAME_AI_SHIPS_STATE_BOMBARDMENT:
        if (!g_ColumnMovement.m_bMoving) {
            m_iShipState = GAME_AI_SHIPS_STATE_SEL_OBJECT;
            return;
        }
        if (g_ColumnMovement.m_bPaused && g_BattleSystem.m_iState == BATTLE_SYSTEM_IDLE) {
            if (!FireNextGroup(column)) {
                g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : end GAME_AI_SHIPS_STATE_BOMBARDMENT\n");
                g_ColumnMovement.m_bPaused = false;
                m_iShipState = GAME_AI_SHIPS_STATE_MOVEMENT;
            }
        }
        return;
    default: m_iShipState = GAME_AI_SHIPS_STATE_NONE; return;
    }
}

} // namespace VornaCampaign
