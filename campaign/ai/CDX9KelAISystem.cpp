#include "campaign/ai/CDX9KelAISystem.h"

#include "campaign/battle/GunGroups.h"

#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/routes/CDX9KelSeaPath.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/XMLValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <tinyxml.h>

using Vorna2::g_Log;

namespace VornaCampaign {

CDX9KelAISystem g_AISystem;

namespace {

constexpr float kPi = 3.14159265f;

// An element name as a unit name: "_" becomes a blank, cut to a text field.
std::string UnitNameFromElement(const TiXmlElement* element) {
    std::string name = element->ValueStr();
    std::replace(name.begin(), name.end(), '_', ' ');
    if (name.size() > kRecordTextSize - 1) name.resize(kRecordTextSize - 1);
    return name;
}

float ReadCoordinate(const TiXmlElement* parent, const char* name) {
    const TiXmlElement* e = parent->FirstChildElement(name);
    return e != nullptr ? Vorna2::ReadXMLFloat(e) : 0.0f;
}

int GunCount(const PartRecord* part) { return part != nullptr ? static_cast<int>(part->m_stdvGuns.size()) : 0; }

} // namespace

AIPurpose::AIPurpose() { std::memset(m_szName, 0, sizeof m_szName); }

bool CDX9KelAISystem::LoadTasks(const TiXmlElement* tasks) {
    if (tasks == nullptr) return false;
    for (const TiXmlElement* t = tasks->FirstChildElement(); t != nullptr; t = t->NextSiblingElement()) {
        AITask task;
        if (const TiXmlElement* b = t->FirstChildElement("BehaviourType")) {
            const char* text = Vorna2::GetXMLValueText(b);
            m_sBehaviourText = text != nullptr ? text : "";
        }
        task.m_iBehaviourType = m_sBehaviourText == "Defence" ? 0 : 1;
        if (const TiXmlElement* r = t->FirstChildElement("RunawayPosition")) {
            task.m_vRunawayPosition =
                D3DXVECTOR3(ReadCoordinate(r, "x"), ReadCoordinate(r, "y"), ReadCoordinate(r, "z"));
        }
        if (const TiXmlElement* ps = t->FirstChildElement("Purposes")) {
            for (const TiXmlElement* p = ps->FirstChildElement(); p != nullptr; p = p->NextSiblingElement()) {
                AIPurpose purpose;
                SetRecordText(purpose.m_szName, UnitNameFromElement(p).c_str());
                for (const TiXmlElement* n = p->FirstChildElement(); n != nullptr; n = n->NextSiblingElement())
                    purpose.m_stdvTargets.push_back(UnitNameFromElement(n));
                task.m_stdvPurposes.push_back(std::move(purpose));
            }
        }
        m_stdvTasks.push_back(std::move(task));
    }
    // The list may have moved: the task in use is chosen again.
    m_pActiveTask = nullptr;
    return true;
}

void CDX9KelAISystem::ClearTasks() {
    m_stdvTasks.clear();
    m_sBehaviourText.clear();
    m_pActiveTask = nullptr;
}

const AITask& CDX9KelAISystem::SelectTask(int computerSide, const D3DXVECTOR3& runaway) {
    if (m_stdvTasks.empty()) {
        m_DefaultTask = AITask{};
        m_DefaultTask.m_vRunawayPosition = runaway;
        m_pActiveTask = &m_DefaultTask;
    } else {
        m_pActiveTask = computerSide == SIDE_2 ? &m_stdvTasks.back() : &m_stdvTasks.front();
    }
    return *m_pActiveTask;
}

AIDangerRating CDX9KelAISystem::RateEnemy(const AIEnemyFigures& enemy, const std::string& ownName,
                                          std::size_t count, float span) const {
    AIDangerRating r;
    r.m_fDistance = enemy.m_fDistance;
    // A map without extent gives no closeness rather than a division by 0.
    r.m_fCloseness = span > 0.0f ? (100.0f - enemy.m_fDistance * 100.0f / span) * 2.5f : 0.0f;
    r.m_fGunThreat = static_cast<float>(enemy.m_iGunCount) * enemy.m_fGunDamage * enemy.m_fGunFallAccuracy;
    r.m_fAverageArmour = enemy.m_fAverageArmour;
    r.m_fArmouredShare = enemy.m_fAverageArmour * static_cast<float>(enemy.m_iArmouredPercent) * 0.01f;
    r.m_fKindWeight = enemy.m_bHasMovement ? 2.0f : 1.0f;
    r.m_fTaskWeight = 0.0f;
    if (m_pActiveTask != nullptr) {
        for (const AIPurpose& p : m_pActiveTask->m_stdvPurposes) {
            if (RecordText(p.m_szName) != ownName) continue;
            for (std::size_t j = 0; j < p.m_stdvTargets.size(); ++j) {
                if (p.m_stdvTargets[j] == enemy.m_sName) {
                    r.m_fTaskWeight = (static_cast<float>(count) - static_cast<float>(j)) * 100.0f;
                    break;
                }
            }
            break;
        }
    }
    r.m_fTotal = r.m_fKindWeight * r.m_fGunThreat + r.m_fCloseness + r.m_fArmouredShare + r.m_fTaskWeight;
    return r;
}

void CDX9KelAISystem::SortRatings(std::vector<AIDangerRating>& ratings) {
    std::stable_sort(ratings.begin(), ratings.end(),
                     [](const AIDangerRating& a, const AIDangerRating& b) { return a.m_fTotal > b.m_fTotal; });
}

void CDX9KelAISystem::ClearRatings() {
    m_stdvRatings.clear();
    m_iTargetIndex = 0;
}

AIBehaviourChoice CDX9KelAISystem::ChooseBehaviour(const AIBehaviourFigures& ship) {
    AIBehaviourChoice c;
    if (ship.m_bDistantFight) {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT\n");
        c.m_iMode = GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT;
        c.m_iNextState = GAME_AI_SHIPS_STATE_MOV_POS;
        return c;
    }
    c.m_iMode = GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE;
    if (!ship.m_bCanSink) {
        c.m_iNextState = GAME_AI_SHIPS_STATE_BOMBARDMENT;
        return c;
    }
    if (ship.m_iConditionPercent <= 30 || !ship.m_bAnyGunCanShoot || ship.m_iFloodPercent >= 50) {
        c.m_iMode = GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY;
        c.m_iNextState = GAME_AI_SHIPS_STATE_PATH_FIND;
        return c;
    }
    const float half = kPi / 2.0f;
    if (ship.m_uColumnShips == 1 && ship.m_fBearingToEnemy > -half && ship.m_fBearingToEnemy < half &&
        ship.m_fEnemyDistance < 30.0f && ship.m_fEnemyRamDefence < ship.m_fRamAttack && ship.m_fColumnSpeed > 2.57f &&
        ship.m_bEnemyCanSink) {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : Ram\n");
        c.m_iMode = GAME_AI_SHIPS_BEHAVIOUR_RAM;
        c.m_iNextState = GAME_AI_SHIPS_STATE_PATH_FIND;
        return c;
    }
    c.m_iNextState = GAME_AI_SHIPS_STATE_MOV_POS;
    return c;
}

int CDX9KelAISystem::WantedHitChance(int mode, bool armoured) {
    if (mode == GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT) return kMinimumHitChance;
    return armoured ? kArmouredHitChance : kCloseRangeHitChance;
}

int CDX9KelAISystem::BombardmentThreshold(int mode, bool armoured) {
    if (mode == GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT) return kMinimumHitChance - 2;
    return armoured ? kArmouredHitChance - 4 : kCloseRangeHitChance - 2;
}

int CDX9KelAISystem::ChooseFirstGunGroup(const BattleDataBlock& ship, float bearing) {
    if (ship.m_stdvDesignParts.size() != 6) return -1;
    auto usable = [&](int group) { return IsPartUsable(GetGroupPart(ship, group)); };
    auto single = [&](int group) { return GunCount(GetGroupPart(ship, group)) == 1 && usable(group); };
    // Each sector lists its groups in the order they are preferred.
    auto first = [&](std::initializer_list<int> groups, bool onlySingle) {
        for (int g : groups)
            if (onlySingle ? single(g) : usable(g)) return g;
        return -1;
    };
    if (bearing >= -0.785f && bearing <= 0.785f) {
        if (usable(0)) return 0;
        return first({2, 5}, true);
    }
    if ((bearing >= 2.35f && bearing <= kPi) || (bearing >= -kPi && bearing <= -2.35f)) {
        if (usable(1)) return 1;
        return first({4, 7}, true);
    }
    if (bearing > 1.278f && bearing < 1.86f) return first({6, 5, 7}, false);
    if (bearing > -1.86f && bearing < -1.278f) return first({3, 2, 4}, false);
    // Between the bow or stern sector and the beam the nearer end part
    // comes first, then the middle part.
    if (bearing > 0.785f && bearing <= 1.278f) return first({5, 6}, false);
    if (bearing >= 1.86f && bearing < 2.35f) return first({7, 6}, false);
    if (bearing < -0.785f && bearing >= -1.278f) return first({2, 3}, false);
    if (bearing <= -1.86f && bearing > -2.35f) return first({4, 3}, false);
    return -1;
}

int CDX9KelAISystem::NextGunGroup(int first, int last) {
    if (first < 0 || first > 7) return -1;
    if (last == -1) return first;
    switch (first) {
    case 0: return last == 0 ? 1 : -1;
    case 1: return last == 1 ? 0 : -1;
    case 3: return last == 3 ? 2 : (last == 2 ? 4 : -1);
    case 6: return last == 6 ? 5 : (last == 5 ? 7 : -1);
    default: return -1;
    }
}

bool CDX9KelAISystem::IsFortCandidate(const GameObjectRecord& unit) {
    if (unit.m_pMovement != nullptr || unit.m_pMovementState != nullptr) return false;
    const int side = GetSide(unit.m_Unit);
    if (side != SIDE_1 && side != SIDE_2) return false;
    return unit.m_pBattleData == nullptr || unit.m_pBattleData->m_bAlive != 0;
}

int CDX9KelAISystem::ChooseFortGroup(const BattleDataBlock& fort, int hitChance, bool lineBlocked,
                                     const bool towerZoneHolds[2]) {
    if (hitChance < kMinimumHitChance || lineBlocked) return -1;
    for (int group = 0; group < 2; ++group) {
        const PartRecord* tower = GetGroupPart(fort, group);
        if (tower == nullptr || tower->m_stdvGuns.empty()) continue;
        const GunRecord& gun = tower->m_stdvGuns[0];
        if (gun.m_bCanShoot != 0 && gun.m_bReady != 0 && towerZoneHolds[group]) return group;
    }
    return -1;
}

void CDX9KelAISystem::BeginColumnPasses(const std::vector<float>& movementUsed) {
    m_iColumnPasses = 1;
    m_stdvPassStartUsed = movementUsed;
}

bool CDX9KelAISystem::DetectColumnsMoveOpportunity(const std::vector<float>& movementUsed, float turnMoveLimit) {
    bool moved = false;
    bool left = false;
    for (std::size_t i = 0; i < movementUsed.size(); ++i) {
        const float before = i < m_stdvPassStartUsed.size() ? m_stdvPassStartUsed[i] : 0.0f;
        if (movementUsed[i] > before) moved = true;
        if (static_cast<int>(i) != m_iWaitingColumn && movementUsed[i] <= turnMoveLimit - 8.0f) left = true;
    }
    if (!moved || !left) return false;
    if (m_iColumnPasses >= kMaxColumnPasses) {
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : last pass over the columns\n");
        return false;
    }
    ++m_iColumnPasses;
    m_stdvPassStartUsed = movementUsed;
    return true;
}

AIPathDecision CDX9KelAISystem::DecidePathResult(int result, int target, bool enemiesLeft) {
    AIPathDecision d;
    switch (result) {
    case SEA_PATH_RESULT_FOUND:
        d.m_iAction = AI_PATH_ACTION_MOVE;
        d.m_iNextState = GAME_AI_SHIPS_STATE_MOVEMENT;
        break;
    case SEA_PATH_RESULT_NOT_TIME:
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : iRes == SEA_PATH_RESULT_NOT_TIME\n");
        d.m_iAction = AI_PATH_ACTION_NEXT_COLUMN;
        d.m_iNextState = GAME_AI_SHIPS_STATE_SEL_OBJECT;
        break;
    case SEA_PATH_RESULT_TAGRET_OCCUPED:
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : iRes == SEA_PATH_RESULT_TAGRET_OCCUPED\n");
        d.m_iAction = AI_PATH_ACTION_NEXT_ENEMY;
        d.m_iNextState = GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR;
        break;
    case SEA_PATH_RESULT_NOT_FOUND:
        g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : iRes == SEA_PATH_RESULT_NOT_FOUND\n");
        if (target == AI_PATH_TARGET_ENEMY) {
            d.m_iAction = AI_PATH_ACTION_TRY_FALLBACK;
            d.m_iNextState = GAME_AI_SHIPS_STATE_PATH_FIND;
        } else if (enemiesLeft) {
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : Select new target \n");
            d.m_iAction = AI_PATH_ACTION_NEXT_ENEMY;
            d.m_iNextState = GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR;
        } else {
            g_Log.Write(Vorna2::LOG_CONTINUE, "AI ships : path in a bee line\n");
            d.m_iAction = AI_PATH_ACTION_BEE_LINE;
            // Movement when a straight move is possible, else the column waits
            // and the next one is taken.
            d.m_iNextState = GAME_AI_SHIPS_STATE_MOVEMENT;
        }
        break;
    default:
        g_Log.Write(Vorna2::LOG_FAILURE,
                    "Error : CDX9KelAISystem::ProcShips() : GAME_AI_SHIPS_STATE_PATH_FIND : SEA_PATH_RESULT_ERROR\n");
        d.m_iAction = AI_PATH_ACTION_ERROR;
        // The movement state finds nothing moving and goes on to the next column.
        d.m_iNextState = GAME_AI_SHIPS_STATE_MOVEMENT;
        break;
    }
    return d;
}

void CDX9KelAISystem::ProcPhase() {
    switch (m_iStep) {
    case GAME_AI_STEP_START:
        if (m_bEnabled == 0) {
            m_iStep = GAME_AI_STEP_DONE;
            return;
        }
        // A phase that was left unfinished leaves nothing behind.
        m_iShipState = GAME_AI_SHIPS_STATE_NONE;
        m_bSpeedRaised = false;
        m_iOwnSide = m_iHumanSide;
        m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_OBJECT;
        m_iFortIndex = -1;
        m_iActiveColumn = -1;
        m_iStep = GAME_AI_STEP_FORTS_FIRST;
        return;
    case GAME_AI_STEP_FORTS_FIRST:
        if (m_iFortState != GAME_AI_COASTAL_ART_STATE_NONE) return;
        m_iOwnSide = GetComputerSide();
        m_iFortState = GAME_AI_COASTAL_ART_STATE_SEL_OBJECT;
        m_iFortIndex = -1;
        m_iStep = GAME_AI_STEP_FORTS_SECOND;
        return;
    case GAME_AI_STEP_FORTS_SECOND:
        if (m_iFortState != GAME_AI_COASTAL_ART_STATE_NONE) return;
        if (m_pColumnMovement != nullptr) {
            m_fPhaseSpeedFactor = m_pColumnMovement->m_fSpeedFactor;
            m_pColumnMovement->SetSpeedFactor(m_fPhaseSpeedFactor * 1.2f);
            m_bSpeedRaised = true;
        }
        m_iOwnSide = GetComputerSide();
        SelectTask(GetComputerSide(), m_DefaultTask.m_vRunawayPosition);
        m_iActiveColumn = -1;
        m_iFortIndex = -1;
        m_iWaitingColumn = -1;
        m_iColumnPasses = 0;
        m_stdvFiredGroups.clear();
        m_iShipState = GAME_AI_SHIPS_STATE_SEL_OBJECT;
        m_iStep = GAME_AI_STEP_SHIPS;
        return;
    case GAME_AI_STEP_SHIPS:
        if (m_iShipState != GAME_AI_SHIPS_STATE_NONE) return;
        RestoreSpeedFactor();
        m_iStep = GAME_AI_STEP_DONE;
        return;
    default: return;
    }
}

void CDX9KelAISystem::RestoreSpeedFactor() {
    if (m_bSpeedRaised && m_pColumnMovement != nullptr) m_pColumnMovement->SetSpeedFactor(m_fPhaseSpeedFactor);
    m_bSpeedRaised = false;
}

void CDX9KelAISystem::AbortPhase() {
    RestoreSpeedFactor();
    m_iFortState = GAME_AI_COASTAL_ART_STATE_NONE;
    m_iShipState = GAME_AI_SHIPS_STATE_NONE;
    m_iActiveColumn = -1;
    m_iFortIndex = -1;
    m_iWaitingColumn = -1;
    m_iColumnPasses = 0;
    m_iStep = GAME_AI_STEP_DONE;
}

std::string CDX9KelAISystem::DescribeState() const {
    char text[512];
    std::snprintf(text, sizeof text,
                  "step %d fort %d ship %d column %d fortindex %d target %d own %d waiting %d passes %d raised %d "
                  "factor %a mode %d group %d last %d entry %d fired %zu path %d at %a %a %a fallback %a %a %a "
                  "fortgroup %d forttarget %d fortstep %d targets %zu lost %d",
                  m_iStep, m_iFortState, m_iShipState, m_iActiveColumn, m_iFortIndex, m_iTargetIndex, m_iOwnSide,
                  m_iWaitingColumn, m_iColumnPasses, m_bSpeedRaised ? 1 : 0, static_cast<double>(m_fPhaseSpeedFactor),
                  m_iMode, m_iShipGroup, m_iLastShipGroup, m_iBombardEntry, m_stdvFiredGroups.size(), m_iPathTarget,
                  static_cast<double>(m_vTarget.x), static_cast<double>(m_vTarget.y), static_cast<double>(m_vTarget.z),
                  static_cast<double>(m_vFallback.x), static_cast<double>(m_vFallback.y),
                  static_cast<double>(m_vFallback.z), m_iFortGroup, m_iFortTarget, m_iFortAttackStep,
                  m_stdvTargets.size(), m_bUnitLost ? 1 : 0);
    return text;
}

void CDX9KelAISystem::GetRunState(RunStateAI& s) const {
    s.m_iStep = m_iStep;
    s.m_iFortState = m_iFortState;
    s.m_iShipState = m_iShipState;
    s.m_iActiveColumn = m_iActiveColumn;
    s.m_iFortIndex = m_iFortIndex;
    s.m_iTargetIndex = m_iTargetIndex;
    s.m_iOwnSide = m_iOwnSide;
    s.m_iWaitingColumn = m_iWaitingColumn;
    s.m_iColumnPasses = m_iColumnPasses;
    s.m_bSpeedRaised = m_bSpeedRaised ? 1 : 0;
    s.m_fPhaseSpeedFactor = m_fPhaseSpeedFactor;
    s.m_iMode = m_iMode;
    s.m_iShipGroup = m_iShipGroup;
    s.m_iLastShipGroup = m_iLastShipGroup;
    s.m_iBombardEntry = m_iBombardEntry;
    s.m_iPathTarget = m_iPathTarget;
    s.m_vTarget = m_vTarget;
    s.m_vFallback = m_vFallback;
    s.m_iFortGroup = m_iFortGroup;
    s.m_iFortTarget = m_iFortTarget;
    s.m_iFortAttackStep = m_iFortAttackStep;
    s.m_bUnitLost = m_bUnitLost ? 1 : 0;
    s.m_stdvTargets.assign(m_stdvTargets.begin(), m_stdvTargets.end());
    s.m_stdvFiredGroups.assign(m_stdvFiredGroups.begin(), m_stdvFiredGroups.end());
    s.m_stdvPassStartUsed = m_stdvPassStartUsed;
}

void CDX9KelAISystem::SetRunState(const RunStateAI& s) {
    m_iStep = s.m_iStep;
    m_iFortState = s.m_iFortState;
    m_iShipState = s.m_iShipState;
    m_iActiveColumn = s.m_iActiveColumn;
    m_iFortIndex = s.m_iFortIndex;
    m_iTargetIndex = s.m_iTargetIndex;
    m_iOwnSide = s.m_iOwnSide;
    m_iWaitingColumn = s.m_iWaitingColumn;
    m_iColumnPasses = s.m_iColumnPasses;
    m_bSpeedRaised = s.m_bSpeedRaised != 0;
    m_fPhaseSpeedFactor = s.m_fPhaseSpeedFactor;
    m_iMode = s.m_iMode;
    m_iShipGroup = s.m_iShipGroup;
    m_iLastShipGroup = s.m_iLastShipGroup;
    m_iBombardEntry = s.m_iBombardEntry;
    m_iPathTarget = s.m_iPathTarget;
    m_vTarget = s.m_vTarget;
    m_vFallback = s.m_vFallback;
    m_iFortGroup = s.m_iFortGroup;
    m_iFortTarget = s.m_iFortTarget;
    m_iFortAttackStep = s.m_iFortAttackStep;
    m_bUnitLost = s.m_bUnitLost != 0;
    m_stdvTargets.assign(s.m_stdvTargets.begin(), s.m_stdvTargets.end());
    m_stdvFiredGroups.assign(s.m_stdvFiredGroups.begin(), s.m_stdvFiredGroups.end());
    m_stdvPassStartUsed = s.m_stdvPassStartUsed;
    m_stdvRatings.clear();
}

} // namespace VornaCampaign
