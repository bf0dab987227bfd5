// The human director's battle HUD, every frame: compass, remaining time,
// time speed, the movement panel's speed and rudder orders, fire permission,
// the ship panels, the popups and the battle-log message box.
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"

#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "platform/os/Clock.h"
#include "platform/window/DirectInputCodes.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <cmath>
#include <cstdio>

namespace SeaBattle {

using namespace Vorna3D;

namespace {

constexpr float kKnotsPerMetreSecond = 1.944f;
constexpr float kDegreesPerRadian = 57.29578f;

// A float rounded to the nearest int; 0 for a value that is not finite,
// clamped to the int range.
int RoundChecked(float v) {
    if (!std::isfinite(v)) return 0;
    if (v > 2.0e9f) return 2000000000;
    if (v < -2.0e9f) return -2000000000;
    return static_cast<int>(std::lround(v));
}

std::string Format(const char* format, double value, const std::string& unit) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, value, unit.c_str());
    return buffer;
}

void SetText(CDX9KelSGUIText* text, const std::string& value) {
    if (text) text->SetText(value.c_str());
}

bool KeyDown(int code) { return code >= 0 && code < 256 && (g_Input.m_KeyboardState[code] & 0x80) != 0; }

int ItemCount(const CDX9KelSGUIControlRadioList* list) {
    return list ? static_cast<int>(list->m_vItems.size()) : 0;
}

float SpeedOfTimeItem(int item) { return item == 1 ? 2.0f : item == 2 ? 0.0f : 1.0f; }

CDX9KelPhysicalManager* PhysicalManager(CDX9KelScene* scene) {
    return scene ? dynamic_cast<CDX9KelPhysicalManager*>(scene->GetManager(KEL_SCENE_PHYSICAL_MANAGER)) : nullptr;
}

} // namespace

std::string CVR3GAMEBattleMapPlayerDirectorHuman::ApplyReportFormat(const std::string& format,
                                                                    const std::string& subject) {
    const size_t at = format.find("%s");
    if (at == std::string::npos) return format;
    return format.substr(0, at) + subject + format.substr(at + 2);
}

std::string CVR3GAMEBattleMapPlayerDirectorHuman::FormatRemainingTime(int64_t remaining) {
    if (remaining < 0) remaining = 0;
    if (remaining > 99 * 60 + 59) remaining = 99 * 60 + 59;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%2i%s%2i", static_cast<int>(remaining / 60), "_:_",
                  static_cast<int>(remaining % 60));
    std::string text = buffer;
    CDX9KelUtils::ReplaceChar(text, ' ', '0');
    CDX9KelUtils::ReplaceChar(text, '_', ' ');
    return text;
}

float CVR3GAMEBattleMapPlayerDirectorHuman::SpeedForItem(int item, int count, float columnMaxSpeed,
                                                         float shipMaxSpeed) {
    const int half = count / 2;
    if (half <= 0) return 0.0f;
    const float top = item >= half ? columnMaxSpeed : shipMaxSpeed;
    if (!(top > 0.0f)) return 0.0f;
    return top / static_cast<float>(half) * static_cast<float>(item - half);
}

CVR3GAMEBattleMapShip* CVR3GAMEBattleMapPlayerDirectorHuman::GetSelectedShip() const {
    if (!m_pPlayer || m_iSelectedShip < 0 ||
        static_cast<size_t>(m_iSelectedShip) >= m_pPlayer->m_stdvBattleShips.size())
        return nullptr;
    CVR3GAMEBattleMapShip* ship = m_pPlayer->m_stdvBattleShips[static_cast<size_t>(m_iSelectedShip)];
    return ship && ship->m_pColumn ? ship : nullptr;
}

CVR3GAMEBattleMapShipsColumn* CVR3GAMEBattleMapPlayerDirectorHuman::GetPageColumn(int32_t page) const {
    if (!m_pPlayer || page < 0 || page >= kPages || static_cast<size_t>(page) >= m_pPlayer->m_stdvColumns.size())
        return nullptr;
    return m_pPlayer->m_stdvColumns[static_cast<size_t>(page)];
}

void CVR3GAMEBattleMapPlayerDirectorHuman::RefreshHUD() {
    if (!m_bHUDActive) return;
    UpdateCompass();
    UpdateTimer();
    ProcHotKeys();
    UpdateTimeSpeed();
    ProcIconsPages();
    RefreshDamagedShip();
    const DWORD now = timeGetTime();
    if (now - m_dwLastMovementPanel >= m_dwMovementPanelInterval || m_dwLastMovementPanel == 0) {
        m_dwLastMovementPanel = now;
        ProcMovementPanel();
    }
    ProcArtilleryFire();
    ProcMapLog();
}

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdateCompass() {
    if (!m_pCompase || !m_pScene || !m_pScene->m_pCameraManager) return;
    const CDX9KelBaseCamera* camera = m_pScene->m_pCameraManager->m_pActiveCamera;
    if (!camera) return;
    D3DXVECTOR2 dir(camera->m_vViewDir.x, camera->m_vViewDir.z);
    const float len = std::sqrt(dir.x * dir.x + dir.y * dir.y);
    if (!(len > 0.0f)) return;
    dir.x /= len;
    dir.y /= len;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    const float angle = GetHeadingAngleToDirection2D(&world, &dir);
    if (!std::isfinite(angle) || CDX9KelUtils::IsEqual(angle, m_fCompassAngle, 0.01f)) return;
    m_pCompase->SetRotation(angle);
    m_fCompassAngle = angle;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdateTimer() {
    if (!m_pTimer || !m_pBattleMap) return;
    const DWORD clock = m_pBattleMap->GetGameTimer()->GetTime();
    if (m_bTimerStamped && clock <= m_dwLastTimer + m_dwTimerInterval) return;
    m_bTimerStamped = true;
    m_dwLastTimer = clock;
    const int64_t elapsed = clock / 60000;
    const int64_t remaining = static_cast<int64_t>(m_pBattleMap->m_iTimeLimit) - elapsed;
    m_strWork = FormatRemainingTime(remaining);
    m_pTimer->SetText(m_strWork.c_str());
}

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdateTimeSpeed() {
    if (!m_pTimeSpeedCheck || !m_pBattleMap || !m_pScene) return;
    const CDX9KelPhysicalManager* physics = PhysicalManager(m_pScene);
    if (physics && physics->IsContactFound()) {
        if (m_iLastTimeSpeedItem == kTimeDouble) {
            m_iLastTimeSpeedItem = kTimeNormal;
            m_pBattleMap->SetTimeSpeed(1.0f);
            m_pTimeSpeedCheck->SetSelected(kTimeNormal);
        }
        m_pTimeSpeedCheck->SetItemLocked(kTimeDouble, true);
    } else if (ItemCount(m_pTimeSpeedCheck) > kTimeDouble &&
               m_pTimeSpeedCheck->m_vItems[kTimeDouble]->GetState() == SGUI_BUTTON_LOCKED) {
        m_pTimeSpeedCheck->SetItemLocked(kTimeDouble, false);
    }
    const int s = m_pTimeSpeedCheck->GetSelected();
    if (s != m_iLastTimeSpeedItem) {
        if (s >= 0 && s <= kTimePause) m_pBattleMap->SetTimeSpeed(SpeedOfTimeItem(s));
        m_iLastTimeSpeedItem = s;
        return;
    }
    const float speed = m_pBattleMap->GetGameTimer()->m_fSpeed;
    if ((CDX9KelUtils::IsEqual(speed, 0.0f, 0.1f) && s != kTimePause) ||
        (CDX9KelUtils::IsEqual(speed, 1.0f, 0.1f) && s != kTimeNormal) ||
        (CDX9KelUtils::IsEqual(speed, 2.0f, 0.1f) && s != kTimeDouble)) {
        if (s >= 0 && s <= kTimePause) m_pBattleMap->SetTimeSpeed(SpeedOfTimeItem(s));
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::RefreshDamagedShip() {
    CVR3GAMEBattleMapShip* ship = GetSelectedShip();
    if (!ship || !ship->m_pBattleShip || !ship->m_pBattleShip->DamageStateValid) return;
    SetShipParams();
    SetMovementPanel();
    if (m_pIconsCheck && m_pIconsCheck->GetSelected() == m_iLastIconsPage) UpdatePageStates();
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcMovementPanel() {
    if (!m_pDialogMovement || !m_pCurrentSpeed) return;
    CVR3GAMEBattleMapShip* ship = GetSelectedShip();
    if (!ship || !ship->m_pMovementShip) return;
    CVR3GAMEMovementShip* mov = ship->m_pMovementShip;
    SetText(m_pCurrentSpeed, Format("%.1f %s", mov->m_fSpeed * kKnotsPerMetreSecond, m_strKnot));
    CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(m_iSelectedPage);
    if (!column || column->m_stdvBattleShips.empty()) return;
    const bool leader = column->m_stdvBattleShips.front() == ship;
    if (column->m_bReturning && leader) {
        ShowMovementLock(true);
        return;
    }
    if (!column->m_bReturning && leader && !m_pDialogMovement->IsVisible()) {
        SetScreenDialogVisible(m_pDialogMovement, true);
        if (m_pDialogMovementLock) SetScreenDialogVisible(m_pDialogMovementLock, false);
    }
    if (m_pMovSpeedCheck) {
        if (KeyDown(DIK_UP)) {
            if (g_Input.CheckRepeatDelay2(kKeyRepeat)) {
                const int s = m_pMovSpeedCheck->GetSelected() + 1;
                if (s < ItemCount(m_pMovSpeedCheck)) m_pMovSpeedCheck->SetSelected(s);
            }
        } else if (KeyDown(DIK_DOWN)) {
            if (g_Input.CheckRepeatDelay2(kKeyRepeat)) {
                const int s = m_pMovSpeedCheck->GetSelected() - 1;
                if (s >= 0) m_pMovSpeedCheck->SetSelected(s);
            }
        }
    }
    if (m_pRuleBar) {
        if (KeyDown(DIK_LEFT)) {
            if (g_Input.CheckRepeatDelay3(kKeyRepeat)) m_pRuleBar->SetPosition(m_pRuleBar->GetPosition() - 1);
        } else if (KeyDown(DIK_RIGHT)) {
            if (g_Input.CheckRepeatDelay3(kKeyRepeat)) m_pRuleBar->SetPosition(m_pRuleBar->GetPosition() + 1);
        }
    }
    const int count = ItemCount(m_pMovSpeedCheck);
    // Forward lock while the column's leader is pressed against another hull.
    if (m_pMovSpeedCheck && count >= 9) {
        const CDX9KelPhysicalManager* physics = PhysicalManager(m_pScene);
        const CVR3GAMEBattleMapShip* lead = column->m_stdvBattleShips.front();
        const bool leadContact = lead && lead->m_pMovementShip && lead->m_pMovementShip->m_bInContact;
        const bool overlap = physics && physics->IsOverlapFound();
        bool allLocked = true, anyLocked = false;
        for (int i = 5; i <= 8; ++i) {
            const bool locked = m_pMovSpeedCheck->m_vItems[static_cast<size_t>(i)]->GetState() == SGUI_BUTTON_LOCKED;
            allLocked = allLocked && locked;
            anyLocked = anyLocked || locked;
        }
        if (overlap && leadContact && !allLocked) {
            m_pMovSpeedCheck->SetSelected(3);
            for (int i = 5; i <= 8; ++i) m_pMovSpeedCheck->SetItemLocked(i, true);
        } else if (!overlap && !leadContact && anyLocked) {
            for (int i = 5; i <= 8; ++i) m_pMovSpeedCheck->SetItemLocked(i, false);
        }
    }
    if (m_pMovSpeedCheck && count / 2 > 0) {
        const int s = m_pMovSpeedCheck->GetSelected();
        if (s >= 0) {
            const float speed = SpeedForItem(s, count, column->m_fMaxSpeed, mov->m_fMaxSpeed);
            if (std::fabs(speed - column->m_fOrderedSpeed) > 0.01f) column->SetSpeed(speed, false);
        }
    }
    if (m_pRuleBar) {
        const int halfBar = m_pRuleBar->m_iSteps / 2;
        if (halfBar > 0) {
            const float rudder = mov->m_fMaxRudderAngle / static_cast<float>(halfBar) *
                                 static_cast<float>(m_pRuleBar->GetPosition());
            if (std::isfinite(rudder) && std::fabs(rudder - mov->m_fRudderAngle) > 0.01f)
                column->SetRudder(rudder);
        }
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ShowMovementLock(bool returning) {
    SetScreenDialogVisible(m_pDialogMovement, false);
    if (!m_pDialogMovementLock) return;
    if (m_pLockText) {
        const std::string& why = returning ? m_strLockReturning : m_strLockFollower;
        if (m_pLockText->GetText() != why) m_pLockText->SetText(why.c_str());
    }
    SetScreenDialogVisible(m_pDialogMovementLock, true);
}

void CVR3GAMEBattleMapPlayerDirectorHuman::SetMovementPanel() {
    if (!m_pDialogMovement) return;
    CVR3GAMEBattleMapShip* ship = GetSelectedShip();
    CVR3GAMEBattleMapShipsColumn* column = ship ? GetPageColumn(m_iSelectedPage) : nullptr;
    if (!ship || !column || column->m_stdvBattleShips.empty() || !ship->m_pMovementShip) return;
    const bool leader = column->m_stdvBattleShips.front() == ship;
    if (!leader || column->m_bReturning) {
        ShowMovementLock(leader);
        return;
    }
    SetScreenDialogVisible(m_pDialogMovement, true);
    if (m_pDialogMovementLock) SetScreenDialogVisible(m_pDialogMovementLock, false);
    if (m_pDialogMovement->m_bCursorOver && g_Input.m_bLeftDown) return;
    const CVR3GAMEMovementShip* mov = ship->m_pMovementShip;
    const int count = ItemCount(m_pMovSpeedCheck);
    const int half = count / 2;
    if (m_pMovSpeedCheck && half > 0) {
        int item = -1;
        if (column->m_fOrderedSpeed >= 0.0f) {
            if (std::fabs(column->m_fOrderedSpeed) <= 0.01f) item = half;
            else if (column->m_fMaxSpeed > 0.0f)
                item = half + RoundChecked(column->m_fOrderedSpeed / (column->m_fMaxSpeed / static_cast<float>(half)));
        } else if (mov->m_fOrderedSpeed < 0.0f && mov->m_fMinSpeed != 0.0f) {
            item = half - RoundChecked(mov->m_fOrderedSpeed / (mov->m_fMinSpeed / static_cast<float>(half)));
        }
        if (item >= 0 && item < count) m_pMovSpeedCheck->SetSelected(item);
    }
    if (m_pRuleBar) {
        const int halfBar = m_pRuleBar->m_iSteps / 2;
        const float step = halfBar > 0 ? mov->m_fMaxRudderAngle / static_cast<float>(halfBar) : 0.0f;
        if (step > 0.0f) {
            m_pRuleBar->SetBarLength(halfBar - RoundChecked(column->m_fTurnLimit / step));
            m_pRuleBar->SetPosition(RoundChecked(mov->m_fRudderAngle / step));
        }
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcArtilleryFire() {
    if (!m_pArtilleryFireCheck) return;
    CVR3GAMEBattleMapShip* ship = GetSelectedShip();
    if (!ship || !ship->m_pArtilleryShip) return;
    const int s = m_pArtilleryFireCheck->GetSelected();
    if (s == 1 && ship->m_pArtilleryShip->m_bFireEnabled) ship->m_pArtilleryShip->m_bFireEnabled = false;
    else if (s == 0 && !ship->m_pArtilleryShip->m_bFireEnabled) ship->m_pArtilleryShip->m_bFireEnabled = true;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::SetArtilleryFire() {
    if (!m_pArtilleryFireCheck) return;
    CVR3GAMEBattleMapShip* ship = GetSelectedShip();
    if (!ship || !ship->m_pArtilleryShip) return;
    m_pArtilleryFireCheck->SetSelected(ship->m_pArtilleryShip->m_bFireEnabled ? 0 : 1);
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SetShipParams() {
    if (!m_pDialogParamPage1 || !m_pDialogParamPage2 || !m_pDialogParamPage3 || !m_pShipName) return false;
    CVR3GAMEBattleMapShip* ship = GetSelectedShip();
    if (!ship || !ship->m_pBattleShip || !ship->m_pMovementShip) return false;
    CVR3GAMEBattleSystemShip* d = ship->m_pBattleShip;
    const CVR3GAMEMovementShip* mov = ship->m_pMovementShip;
    d->DamageStateValid = false;
    SetText(m_pShipName, ship->m_strName);
    SetText(m_pCurrentSpeed, Format("%.1f %s", mov->m_fSpeed * kKnotsPerMetreSecond, m_strKnot));
    SetText(m_pShipMaxSpeed, Format("%.1f %s", mov->m_fMaxSpeed * kKnotsPerMetreSecond, m_strKnot));
    const float columnMax = ship->m_pColumn ? ship->m_pColumn->m_fMaxSpeed : 0.0f;
    SetText(m_pColumnMaxSpeed, Format("%.1f %s", columnMax * kKnotsPerMetreSecond, m_strKnot));
    SetText(m_pDamage, Format("%.1f%s", d->DamagePercent, "%"));
    SetText(m_pFire, Format("%.1f%s", d->FirePercent, "%"));
    SetText(m_pFlooding, Format("%.1f%s", d->WaterPercent, "%"));
    SetText(m_pHeel, Format("%.2f %s", d->Heel * kDegreesPerRadian, m_strDegree));
    using S = CVR3GAMEBattleSystemShip;
    // Right 1, right 2, left 1, left 2, bow, centre, stern: current, initial,
    // and the parts the group's guns stand on.
    struct Group {
        int current, initial, firstPart, lastPart;
        bool main;
    };
    static const Group kGroups[7] = {
        {S::STARBOARD_MAIN_CURRENT, S::STARBOARD_MAIN_INITIAL, 3, 5, true},
        {S::STARBOARD_OTHER_CURRENT, S::STARBOARD_OTHER_INITIAL, 3, 5, false},
        {S::PORT_MAIN_CURRENT, S::PORT_MAIN_INITIAL, 0, 2, true},
        {S::PORT_OTHER_CURRENT, S::PORT_OTHER_INITIAL, 0, 2, false},
        {S::PART6_CURRENT, S::PART6_INITIAL, 6, 6, true},
        {S::PART7_CURRENT, S::PART7_INITIAL, 7, 7, true},
        {S::PART8_CURRENT, S::PART8_INITIAL, 8, 8, true}};
    int shells = 0;
    for (const CBattleSystemShipPart* part : d->Parts)
        if (part)
            for (const CBattleSystemShipGun& gun : part->Guns)
                if (gun.Shells > 0) shells += gun.Shells;
    for (int g = 0; g < 7; ++g) {
        const Group& group = kGroups[g];
        const uint32_t total = d->GunCounts[group.initial];
        if (total == 0) {
            SetText(m_pGunsCount[g], "-/-");
            SetText(m_pGunsName[g], " ");
            continue;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%i/%i", static_cast<int>(d->GunCounts[group.current]),
                      static_cast<int>(total));
        SetText(m_pGunsCount[g], buffer);
        // The group's type: the first gun type of its side that is (or, for
        // the second group, is not) the side's first type.
        std::string name, first;
        for (int p = group.firstPart; p <= group.lastPart && p < static_cast<int>(d->Parts.size()); ++p) {
            const CBattleSystemShipPart* part = d->Parts[static_cast<size_t>(p)];
            if (!part || part->Guns.empty()) continue;
            const std::string n = part->Guns.front().Name;
            if (first.empty()) first = n.empty() ? std::string(" ") : n;
            const bool isFirst = n == first || (n.empty() && first == " ");
            if (isFirst == group.main) {
                name = n;
                break;
            }
        }
        SetText(m_pGunsName[g], name.empty() ? std::string(" ") : name);
    }
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%i", shells);
        SetText(m_pShells, buffer);
    }
    const CVR3GAMEInformationShip* info = ship->m_pInfoShip;
    SetText(m_pDisplacement, (info ? info->Displacement : std::to_string(d->Displacement)) + " " + m_strTon);
    const std::string armour[3] = {info ? info->ArmourBelt : std::string(), info ? info->ArmourDeck : std::string(),
                                   info ? info->ArmourTower : std::string()};
    for (int i = 0; i < 3; ++i)
        SetText(m_pArmour[i], armour[i].empty() || armour[i] == "-" ? std::string("-") : armour[i] + " " + m_strInch);
    const float levels[3] = {d->CrewTrainingLevel1, d->CrewTrainingLevel2, d->CrewTrainingLevel3};
    for (int i = 0; i < 3; ++i)
        if (m_pCrew[i]) m_pCrew[i]->m_bVisible = d->CrewTraining >= levels[i];
    SetArtilleryFire();
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::ClearShipParams() {
    if (!m_pDialogParamPage1 || !m_pDialogParamPage2 || !m_pDialogParamPage3) return false;
    SetText(m_pShipName, "-");
    for (CDX9KelSGUIText* t : {m_pCurrentSpeed, m_pShipMaxSpeed, m_pColumnMaxSpeed, m_pDamage, m_pFire, m_pFlooding,
                               m_pHeel, m_pShells, m_pDisplacement, m_pArmour[0], m_pArmour[1], m_pArmour[2]})
        SetText(t, "-");
    for (int g = 0; g < 7; ++g) {
        SetText(m_pGunsCount[g], "-/-");
        SetText(m_pGunsName[g], " ");
    }
    for (CDX9KelSGUIControlImage* crew : m_pCrew)
        if (crew) crew->m_bVisible = false;
    if (m_pArtilleryFireCheck) m_pArtilleryFireCheck->SetSelected(0);
    return true;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::FillPlayerPopup(CVR3GAMEBattleMapShip* ship) {
    if (!ship || !ship->m_pBattleShip || !ship->m_pMovementShip) return;
    SetText(m_pPlayerPopUpName, ship->m_strName);
    SetText(m_pPlayerPopUpDamage, Format("%.1f%s", ship->m_pBattleShip->DamagePercent, "%"));
    SetText(m_pPlayerPopUpSpeed,
            Format("%.1f %s", ship->m_pMovementShip->m_fSpeed * kKnotsPerMetreSecond, m_strKnot));
}

void CVR3GAMEBattleMapPlayerDirectorHuman::FillEnemyPopup(CVR3GAMEBattleMapShip* ship) {
    if (!ship || !ship->m_pBattleShip || !ship->m_pMovementShip) return;
    SetText(m_pEnemyPopUpName, ship->m_strName);
    SetText(m_pEnemyPopUpDamage, Format("%.1f%s", ship->m_pBattleShip->DamagePercent, "%"));
    SetText(m_pEnemyPopUpSpeed, Format("%.1f %s", ship->m_pMovementShip->m_fSpeed * kKnotsPerMetreSecond, m_strKnot));
    float accuracy = 0.0f;
    const CVR3GAMEBattleMapShip* own = GetSelectedShip();
    if (own && own->m_pBattleShip && own->m_pSceneObject && ship->m_pSceneObject) {
        const D3DXMATRIX& a = own->m_pSceneObject->m_mWorld;
        const D3DXMATRIX& b = ship->m_pSceneObject->m_mWorld;
        const float dx = a._41 - b._41, dy = a._42 - b._42, dz = a._43 - b._43;
        const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (distance > 0.0f)
            accuracy = BattleProcessingState::HitProbability(distance * 18.5f, own->m_pBattleShip->MainGun.FallAccuracy,
                                                             own->m_pBattleShip->CrewTraining,
                                                             ship->m_pBattleShip->AboveWaterArea);
    }
    SetText(m_pEnemyPopUpAccuracy, Format("%.0f %s", accuracy, "%"));
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcMapLog() {
    if (!m_pDialogMapLog || !m_pBattleMap) return;
    CVR3GAMEBattleLog& log = CVR3GAMEBattleLog::Get();
    const DWORD now = timeGetTime();
    if (m_dwLogShownAt == 0) {
        CVR3GAMEBattleLogEntry* entry = log.GetLastEntry();
        if (!entry) {
            // Time is up and every entry has been shown: the battle is over.
            if (m_bFinished) LeaveBattle();
            return;
        }
        SetText(m_pLogPlayer, entry->m_strCategory);
        const int kind = entry->m_iKind;
        bool hasReport = false;
        std::string report;
        if (kind >= 0 && kind <= 8 && !m_strLogFormats[kind].empty()) {
            report = ApplyReportFormat(m_strLogFormats[kind], entry->m_strSubject);
            hasReport = true;
            UpdateEnemyMarkers();
        } else if (kind == BATTLE_LOG_SIDE_LOST) {
            report = m_strLogFormats[BATTLE_LOG_SIDE_LOST];
            hasReport = true;
            m_bPlayerLost = true;
        } else if (kind == BATTLE_LOG_TEXT) {
            report = entry->m_strMessage;
            hasReport = true;
        }
        if (hasReport) SetText(m_pLogReport, report);
        SetScreenDialogVisible(m_pDialogMapLog, true);
        m_pBattleMap->RemoveLastBattleLogEntry();
        m_dwLogShownAt = now == 0 ? 1 : now;
        return;
    }
    const bool closePressed = m_pLogClose && m_pLogClose->GetState() == SGUI_BUTTON_PRESSED && HUDGate(kCloseGate);
    if (now - m_dwLogShownAt > m_dwLogShowTime || closePressed) {
        SetScreenDialogVisible(m_pDialogMapLog, false);
        m_dwLogShownAt = 0;
        if (m_bPlayerLost) LeaveBattle();
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::LeaveBattle() {
    if (m_bLeaveBattle) return;
    if (m_pBattleMap) m_pBattleMap->ClearBattleLog();
    m_bLeaveBattle = true;
    g_Log.Write(LOG_INFO, "CVR3GAMEBattleMapPlayerDirectorHuman::LeaveBattle() : the battle is over for : %s\n",
                m_pPlayer ? m_pPlayer->m_strPlayerName.c_str() : "");
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::HUDGate(DWORD interval) { return g_Utils.IsTimePassed(interval); }

} // namespace SeaBattle
