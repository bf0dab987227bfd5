// The targets of the player's active ship and the player's attack order.
#include "campaign/map/CDX9KelGameMap.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/battle/GunGroups.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/turn/TargetRules.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"

using Vorna2::g_Log;
using Vorna2::CDX9KelSceneObject;

namespace VornaCampaign {

namespace {

bool Moving() { return g_ColumnMovement.m_bMoving && !g_ColumnMovement.m_bPaused; }

} // namespace

bool CDX9KelGameMap::SearchTargetsForActivePlayerObject() {
    CDX9KelSceneObject* own = GetActiveSceneObject();
    GameObjectRecord* ownRecord = GetActiveRecord();
    if (own == nullptr || ownRecord == nullptr || m_pEnemySceneObjects == nullptr || m_pEnemyGameObjects == nullptr)
        return false;
    if (m_pRedRings.size() < m_pEnemySceneObjects->size()) {
        g_Log.Write(Vorna2::LOG_ERROR, "Error : CDX9KelGameMap::SearchTargetsForActivePlayerObject :  "
                                       "m_pRedRings.size() < m_pstdvSceneObjectsAI->size()\n");
        return false;
    }
    for (Vorna2::CDX9KelPLANE* ring : m_pRedRings)
        if (ring) ring->m_bVisible = false;
    const BattleDataBlock* ship = ownRecord->m_pBattleData.get();
    if (ship == nullptr) return false;
    const GunRecord* gun = GetUnitGunType(*ship);
    if (gun == nullptr || gun->m_szName[0] == 0) return false;
    Vorna2::CDX9KelPhysicalManager* physics = m_pScene ? Vorna2::GetPhysicalManager(m_pScene) : nullptr;
    for (std::size_t i = 0; i < m_pEnemySceneObjects->size() && i < m_pEnemyGameObjects->size(); ++i) {
        CDX9KelSceneObject* target = (*m_pEnemySceneObjects)[i];
        const GameObjectRecord* enemy = (*m_pEnemyGameObjects)[i];
        if (target == nullptr || enemy == nullptr || !enemy->m_pBattleData || enemy->m_pBattleData->m_bAlive == 0)
            continue;
        const float d = Vorna2::GetDistanceBetweenMatrices(&own->m_mWorld, &target->m_mWorld);
        const int chance = CDX9KelBattleSystem::CalcHitChance(d * CDX9KelBattleSystem::kMetresPerUnit,
                                                              gun->m_fFallAccuracy, ship->m_fCrewTraining,
                                                              enemy->m_pBattleData->m_fTotalReserveArea);
        if (chance < 1) continue;
        if (physics != nullptr && physics->IsLineBlocked(own, target)) continue;
        const float a = Vorna2::GetHeadingAngleToMatrix(&own->m_mWorld, &target->m_mWorld);
        const int group = ChooseTargetGroup(*ship, a, [&](int g) { return CheckTargetGroup(g, target); });
        if (group != -1 && m_pRedRings[i] != nullptr) {
            m_pRedRings[i]->m_bVisible = true;
            m_pRedRings[i]->m_pFollowMatrix = &target->m_mWorld;
        }
    }
    return true;
}

bool CDX9KelGameMap::CheckTargetGroup(int group, CDX9KelSceneObject* target) {
    if (group < 0 || group > 7 || target == nullptr) return false;
    CDX9KelSceneObject* own = GetActiveSceneObject();
    GameObjectRecord* record = GetActiveRecord();
    const int i = m_Turn.m_iActivePlayerObject;
    if (own == nullptr || record == nullptr || m_pPlayerAnimatedModels == nullptr ||
        static_cast<std::size_t>(i) >= m_pPlayerAnimatedModels->size())
        return false;
    CDX9KelAnimatedModel* model = (*m_pPlayerAnimatedModels)[static_cast<std::size_t>(i)];
    if (!CanGroupReach(own, record, model, group, target, false)) return false;
    if (m_MapScreen.m_pGunGroups != nullptr && static_cast<std::size_t>(group) < m_MapScreen.m_pGunGroups->m_Buttons.size())
        CDX9KelMapScreen::SetButtonColour(m_MapScreen.m_pGunGroups->m_Buttons[static_cast<std::size_t>(group)],
                                          MapColour::kBrightGreen);
    return true;
}

bool CDX9KelGameMap::ResetGunButtons() {
    if (m_MapScreen.m_pGunGroups == nullptr || GetActiveSceneObject() == nullptr) return false;
    for (Vorna2::CDX9KelGUICheckButton* b : m_MapScreen.m_pGunGroups->m_Buttons)
        if (CDX9KelMapScreen::GetButtonColour(b) == MapColour::kBrightGreen)
            CDX9KelMapScreen::SetButtonColour(b, MapColour::kGreen);
    return true;
}

void CDX9KelGameMap::ProcGunSelection() {
    if (m_MapScreen.m_pGunGroups == nullptr) return;
    if (Moving() && m_MapScreen.GetSelectedGunGroup() >= 0) m_MapScreen.ClearGunSelection();
    if (m_pScene != nullptr) {
        const int cursor = m_pScene->m_iCurrentCursor;
        if (m_MapScreen.GetSelectedGunGroup() >= 0) {
            if (cursor == m_iCursors[CURSOR_MAIN]) m_pScene->SetCurrentCursor(m_iCursors[CURSOR_ATTACK]);
        } else if (cursor != m_iCursors[CURSOR_MAIN] && cursor != m_iCursors[CURSOR_SELECT]) {
            m_pScene->SetCurrentCursor(m_iCursors[CURSOR_MAIN]);
        }
    }
    if (Moving()) {
        ResetGunButtons();
        SearchTargetsForActivePlayerObject();
    }
}

bool CDX9KelGameMap::AttackEnemyUnit(int index) {
    CDX9KelSceneObject* own = GetActiveSceneObject();
    GameObjectRecord* record = GetActiveRecord();
    const int group = m_MapScreen.GetSelectedGunGroup();
    if (own == nullptr || record == nullptr || group < 0 || m_pEnemySceneObjects == nullptr ||
        index < 0 || static_cast<std::size_t>(index) >= m_pEnemySceneObjects->size() ||
        g_BattleSystem.m_iState != BATTLE_SYSTEM_IDLE)
        return false;
    CDX9KelSceneObject* target = (*m_pEnemySceneObjects)[static_cast<std::size_t>(index)];
    GameObjectRecord* enemy = (*m_pEnemyGameObjects)[static_cast<std::size_t>(index)];
    Vorna2::CDX9KelPhysicalManager* physics = m_pScene ? Vorna2::GetPhysicalManager(m_pScene) : nullptr;
    Vorna2::CDX9KelGUIManager* gui = m_MapScreen.GetGUI();
    const POINT cursor = gui ? gui->GetCursor() : POINT{0, 0};
    if (physics != nullptr && physics->IsLineBlocked(own, target)) {
        m_MapScreen.ShowBlockedHint(cursor, RecordText(enemy->m_Unit.m_szName));
        m_bBlockedNotice = true;
        m_dwBlockedStamp = timeGetTime();
        return false;
    }
    const int i = m_Turn.m_iActivePlayerObject;
    CDX9KelAnimatedModel* model = m_pPlayerAnimatedModels != nullptr && static_cast<std::size_t>(i) < m_pPlayerAnimatedModels->size()
                                      ? (*m_pPlayerAnimatedModels)[static_cast<std::size_t>(i)]
                                      : nullptr;
    if (!g_BattleSystem.BeginBombardment(group, own, record, model, target, enemy)) return false;
    m_Turn.m_iBattleWait = GAME_MAP_BATTLE_WAIT_BOMBARDMENT;
    SetProcPlayerGUI(false);
    return true;
}

void CDX9KelGameMap::ProcPickEnemyUnit() {
    if (m_pScene == nullptr || m_pEnemySceneObjects == nullptr || m_pPlayerSceneObjects == nullptr) return;
    Vorna2::CDX9KelGUIManager* gui = m_MapScreen.GetGUI();
    if (gui != nullptr && !gui->m_Dialogs.empty() && gui->m_Dialogs.back()->m_iHoveredControl >= 0) return;
    if (g_BattleSystem.m_iState != BATTLE_SYSTEM_IDLE) return;
    const int picked = m_pScene->PickSceneObject(*m_pEnemySceneObjects);
    const bool selected = m_MapScreen.GetSelectedGunGroup() >= 0;
    if (picked < 0) {
        if (selected) m_pScene->SetCurrentCursor(m_iCursors[CURSOR_ATTACK]);
        m_MapScreen.Hide(m_MapScreen.m_UnitDescription);
        return;
    }
    const GameObjectRecord* enemy = (*m_pEnemyGameObjects)[static_cast<std::size_t>(picked)];
    if (enemy == nullptr || (enemy->m_pBattleData && enemy->m_pBattleData->m_bAlive == 0)) return;
    const POINT cursor = gui ? gui->GetCursor() : POINT{0, 0};
    const std::string name = RecordText(enemy->m_Unit.m_szName);
    if (!selected && m_pScene->m_iCurrentCursor == m_iCursors[CURSOR_MAIN]) {
        const int condition = enemy->m_pBattleData ? CDX9KelBattleSystem::GetConditionPercent(enemy->m_pBattleData.get()) : 100;
        m_MapScreen.ShowUnitHint(cursor, name, MapColour::kRed, condition);
        return;
    }
    if (m_bBlockedNotice && timeGetTime() - m_dwBlockedStamp > 1000) m_bBlockedNotice = false;
    if (!m_bBlockedNotice) {
        const GameObjectRecord* own = GetActiveRecord();
        CDX9KelSceneObject* ownObject = GetActiveSceneObject();
        const float d = ownObject ? Vorna2::GetDistanceBetweenMatrices(&ownObject->m_mWorld,
                                                                        &(*m_pEnemySceneObjects)[static_cast<std::size_t>(picked)]->m_mWorld)
                                  : -1.0f;
        m_MapScreen.ShowTargetInfo(cursor, name,
                                   CDX9KelBattleSystem::GetGroupHitChance(m_MapScreen.GetSelectedGunGroup(),
                                                                          own ? own->m_pBattleData.get() : nullptr,
                                                                          enemy->m_pBattleData.get(), d));
    }
    m_pScene->SetCurrentCursor(m_iCursors[CURSOR_TARGET]);
    if (gui != nullptr && gui->m_bLeftButton && !m_bPressFromOtherScreen && Vorna2::g_Utils.IsTimePassed(100))
        AttackEnemyUnit(picked);
}

} // namespace VornaCampaign
