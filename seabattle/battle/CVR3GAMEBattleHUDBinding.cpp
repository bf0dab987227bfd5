// The human director's battle HUD: binding to the battle screen's dialogs
// and controls, the localised texts, the ship icons and the start of a
// battle.
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/LocalizedText.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <algorithm>
#include <cstring>

namespace SeaBattle {

using namespace Vorna3D;

namespace {

constexpr const char* kTexturesFolder = "Data\\Textures\\";

// Binds `slot` to the dialog's control of this name and kind; a later match
// replaces an earlier one, no match leaves the slot as it is.
template <class Control>
void BindControl(const CDX9KelSGUIDialog* dialog, const char* name, int kind, Control*& slot) {
    for (CDX9KelSGUIBaseControl* c : dialog->m_vControls)
        if (c && c->GetType() == kind && c->GetName() == name) slot = static_cast<Control*>(c);
}

void LookUp(const char* key, std::string& out) {
    const ILocalizedNames* names = GetLocalizedNames();
    const char* text = names ? names->GetLocalizedName(key) : nullptr;
    if (text) out = text;
}

const char* const kLogKeys[CVR3GAMEBattleMapPlayerDirectorHuman::kLogFormats] = {
    "_LN_GUI_Battle_Log_Ship_Death",           "_LN_GUI_Battle_Log_Ship_Runaway_Damage",
    "_LN_GUI_Battle_Log_Ship_Runaway_Flooding", "_LN_GUI_Battle_Log_Ship_Runaway_Fire",
    "_LN_GUI_Battle_Log_Ship_Runaway_Heel",    "_LN_GUI_Battle_Log_Ship_Runaway_Gunpowder",
    "_LN_GUI_Battle_Log_Ship_Outmap",          "_LN_GUI_Battle_Log_Column_Outfight",
    "_LN_GUI_Battle_Log_Column_Runaway",       "_LN_GUI_Battle_Log_Player_Lost_Ships"};

} // namespace

bool CVR3GAMEBattleMapPlayerDirectorHuman::InitGUI(CVR3GAMEBattleMap* pMap, const std::string& guiFile) {
    if (!pMap) return false;
    m_pBattleMap = pMap;
    m_strMapGUIFile = guiFile;
    if (!CreateMapGUI(guiFile)) return false;
    LookUp("_LN_UNITS_Ton", m_strTon);
    LookUp("_LN_UNITS_Knot", m_strKnot);
    LookUp("_LN_UNITS_Degree", m_strDegree);
    LookUp("_LN_UNITS_Inch", m_strInch);
    for (int i = 0; i < kLogFormats; ++i) LookUp(kLogKeys[i], m_strLogFormats[i]);
    LookUp("_LN_GUI_Battle_Column_Returning", m_strLockReturning);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SetMapScreen(CVR3CIIScreen* pScreen) {
    if (!pScreen) return false;
    if (pScreen->GetDialogEntries().empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirectorHuman::SetMapScreen() : screen empty\n");
        return false;
    }
    m_pMapScreen = pScreen;
    using Binder = bool (CVR3GAMEBattleMapPlayerDirectorHuman::*)(CDX9KelSGUIDialog*);
    struct Entry {
        const char* dialog;
        Binder binder;
        const char* name;
    };
    static const Entry kTable[] = {
        {"battle_game_movement_panel_lock", nullptr, nullptr},
        {"battle_game_compase", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogCompase, "LoadDialogCompase"},
        {"battle_game_timer", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogTimer, "LoadDialogTimer"},
        {"battle_game_ship_name", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogShipName, "LoadDialogShipName"},
        {"battle_game_ship_properties_1", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogParamPage1,
         "LoadDialogParamPage1"},
        {"battle_game_ship_properties_2", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogParamPage2,
         "LoadDialogParamPage2"},
        {"battle_game_ship_properties_3", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogParamPage3,
         "LoadDialogParamPage3"},
        {"battle_game_time", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogTime, "LoadDialogTime"},
        {"battle_game_artillery", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogArtillery, "LoadDialogArtillery"},
        {"battle_game_central_icons_check", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPages,
         "LoadDialogIconsPages"},
        {"battle_game_central_icons_1", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPage1,
         "LoadDialogIconsPage1"},
        {"battle_game_central_icons_2", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPage2,
         "LoadDialogIconsPage2"},
        {"battle_game_central_icons_3", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPage3,
         "LoadDialogIconsPage3"},
        {"battle_game_central_icons_states", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogShipsStates,
         "LoadDialogShipsStates"},
        {"battle_game_movement_panel", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogMovement,
         "LoadDialogMovement"},
        {"battle_game_ship_player", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogPlayerShipPopUp,
         "LoadDialogPlayerShipPopUp"},
        {"battle_game_ship_enemy", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogEnemyShipPopUp,
         "LoadDialogEnemyShipPopUp"},
        {"battle_game_log", &CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogMapLog, "LoadDialogMapLog"},
    };
    for (const CVR3CIIScreenDialogEntry* entry : pScreen->GetDialogEntries()) {
        CDX9KelSGUIDialog* dialog = entry ? entry->pDialog : nullptr;
        const std::string name = dialog ? dialog->GetName() : std::string();
        for (const Entry& e : kTable) {
            if (name != e.dialog) continue;
            if (!e.binder) {
                m_pDialogMovementLock = dialog;
                m_pLockText = nullptr;
                for (CDX9KelSGUIBaseControl* c : dialog->m_vControls)
                    if (auto* text = dynamic_cast<CDX9KelSGUIText*>(c); text && c->GetName() == "LockText")
                        m_pLockText = text;
                if (m_pLockText) m_strLockFollower = m_pLockText->GetText();
            } else if (!(this->*e.binder)(dialog)) {
                g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3GAMEBattleMapPlayerDirectorHuman::SetMapScreen() : ", e.name,
                            "() failed\n");
            }
            break;
        }
    }
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogCompase(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogCompase = d;
    BindControl(d, "Compase", SGUI_CONTROL_IMAGE, m_pCompase);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogTimer(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogTimer = d;
    BindControl(d, "Timer", SGUI_CONTROL_TEXT, m_pTimer);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogShipName(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogShipName = d;
    BindControl(d, "ShipName", SGUI_CONTROL_TEXT, m_pShipName);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogParamPage1(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogParamPage1 = d;
    BindControl(d, "CurrentSpeed", SGUI_CONTROL_TEXT, m_pCurrentSpeed);
    BindControl(d, "ShipMaxSpeed", SGUI_CONTROL_TEXT, m_pShipMaxSpeed);
    BindControl(d, "ColumnMaxSpeed", SGUI_CONTROL_TEXT, m_pColumnMaxSpeed);
    BindControl(d, "Damage", SGUI_CONTROL_TEXT, m_pDamage);
    BindControl(d, "Fire", SGUI_CONTROL_TEXT, m_pFire);
    BindControl(d, "Flooding", SGUI_CONTROL_TEXT, m_pFlooding);
    BindControl(d, "Heel", SGUI_CONTROL_TEXT, m_pHeel);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogParamPage2(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogParamPage2 = d;
    static const char* const kGroups[7] = {"Right1", "Right2", "Left1", "Left2", "Bow", "Center", "Stern"};
    for (int g = 0; g < 7; ++g) {
        const std::string base = std::string("Guns") + kGroups[g];
        BindControl(d, (base + "Count").c_str(), SGUI_CONTROL_TEXT, m_pGunsCount[g]);
        BindControl(d, (base + "Name").c_str(), SGUI_CONTROL_TEXT, m_pGunsName[g]);
    }
    BindControl(d, "Shells", SGUI_CONTROL_TEXT, m_pShells);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogParamPage3(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogParamPage3 = d;
    BindControl(d, "Displacement", SGUI_CONTROL_TEXT, m_pDisplacement);
    BindControl(d, "Armour1", SGUI_CONTROL_TEXT, m_pArmour[0]);
    BindControl(d, "Armour2", SGUI_CONTROL_TEXT, m_pArmour[1]);
    BindControl(d, "Armour3", SGUI_CONTROL_TEXT, m_pArmour[2]);
    BindControl(d, "Crew1", SGUI_CONTROL_IMAGE, m_pCrew[0]);
    BindControl(d, "Crew2", SGUI_CONTROL_IMAGE, m_pCrew[1]);
    BindControl(d, "Crew3", SGUI_CONTROL_IMAGE, m_pCrew[2]);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogTime(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogTime = d;
    BindControl(d, "TimeSpeedCheck", SGUI_CONTROL_RADIO_LIST, m_pTimeSpeedCheck);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogArtillery(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogArtillery = d;
    BindControl(d, "ArtilleryFireCheck", SGUI_CONTROL_RADIO_LIST, m_pArtilleryFireCheck);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPages(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogIconsPages = d;
    BindControl(d, "IconsCheck", SGUI_CONTROL_RADIO_LIST, m_pIconsCheck);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPage1(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogIconsPage[0] = d;
    BindControl(d, "Icons", SGUI_CONTROL_SCROLL_CHECK_LIST, m_pIcons[0]);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPage2(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogIconsPage[1] = d;
    BindControl(d, "Icons", SGUI_CONTROL_SCROLL_CHECK_LIST, m_pIcons[1]);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogIconsPage3(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogIconsPage[2] = d;
    BindControl(d, "Icons", SGUI_CONTROL_SCROLL_CHECK_LIST, m_pIcons[2]);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogShipsStates(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogShipsStates = d;
    m_stdvFloodLamps.clear();
    m_stdvFireLamps.clear();
    m_stdvLeavingLamps.clear();
    for (CDX9KelSGUIBaseControl* c : d->m_vControls) {
        if (!c || c->GetType() != SGUI_CONTROL_IMAGE) continue;
        auto* image = static_cast<CDX9KelSGUIControlImage*>(c);
        if (c->GetName() == "Flood") m_stdvFloodLamps.push_back(image);
        else if (c->GetName() == "Fire") m_stdvFireLamps.push_back(image);
        else if (c->GetName() == "Leaving") m_stdvLeavingLamps.push_back(image);
    }
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogMovement(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogMovement = d;
    BindControl(d, "MovSpeedCheck", SGUI_CONTROL_RADIO_LIST, m_pMovSpeedCheck);
    BindControl(d, "RuleBar", SGUI_CONTROL_SCROLL_BAR_HARD, m_pRuleBar);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogPlayerShipPopUp(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogPlayerPopUp = d;
    BindControl(d, "Name", SGUI_CONTROL_TEXT, m_pPlayerPopUpName);
    BindControl(d, "Damage", SGUI_CONTROL_TEXT, m_pPlayerPopUpDamage);
    BindControl(d, "Speed", SGUI_CONTROL_TEXT, m_pPlayerPopUpSpeed);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogEnemyShipPopUp(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogEnemyPopUp = d;
    BindControl(d, "Name", SGUI_CONTROL_TEXT, m_pEnemyPopUpName);
    BindControl(d, "Damage", SGUI_CONTROL_TEXT, m_pEnemyPopUpDamage);
    BindControl(d, "Speed", SGUI_CONTROL_TEXT, m_pEnemyPopUpSpeed);
    BindControl(d, "Accuracy", SGUI_CONTROL_TEXT, m_pEnemyPopUpAccuracy);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::LoadDialogMapLog(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogMapLog = d;
    BindControl(d, "Player", SGUI_CONTROL_TEXT, m_pLogPlayer);
    BindControl(d, "Report", SGUI_CONTROL_TEXT, m_pLogReport);
    BindControl(d, "Close", SGUI_CONTROL_BUTTON, m_pLogClose);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::InitBattleMap() {
    if (!m_pBattleMap) return false;
    if (m_pMovSpeedCheck) m_pMovSpeedCheck->SetSelected(4);
    if (m_pRuleBar) m_pRuleBar->SetPosition(0);
    if (m_pTimeSpeedCheck) m_pTimeSpeedCheck->SetSelected(kTimeNormal);
    m_iLastTimeSpeedItem = kTimeNormal;
    if (m_pDialogMapLog) SetScreenDialogVisible(m_pDialogMapLog, false);
    m_dwLogShownAt = 0;
    m_bPlayerLost = false;
    m_bLeaveBattle = false;
    m_pBattleMap->SetTimeSpeed(1.0f);
    if (!CreateShipsIcons()) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEBattleMapPlayerDirectorHuman::InitBattleMap() : CreateSGUIPlayerShipsIcons() failed\n");
        return false;
    }
    if (!Set3DGUIInMapSceneTree()) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEBattleMapPlayerDirectorHuman::InitBattleMap() : Set3DGUIInMapSceneTree() failed\n");
        return false;
    }
    SelectFirstShip();
    UpdateEnemyMarkers();
    return true;
}

namespace {

// An icon button that an earlier battle left in the page dialog for a ship
// of this name and icon texture, and that this battle has not taken yet.
CDX9KelSGUIControlButtonCheck* FindLeftIcon(const CDX9KelSGUIDialog* dialog, const std::string& name,
                                            const std::string& texture,
                                            const std::vector<CDX9KelSGUIControlButtonCheck*>& taken) {
    std::string folder, file;
    if (!g_Utils.SplitExeFolderPathString(texture.c_str(), folder, file)) return nullptr;
    for (CDX9KelSGUIBaseControl* c : dialog->m_vControls) {
        auto* icon = dynamic_cast<CDX9KelSGUIControlButtonCheck*>(c);
        if (!icon || icon->m_strName != name || !icon->m_pImage || !icon->m_pImage->m_pTexture) continue;
        if (std::find(taken.begin(), taken.end(), icon) != taken.end()) continue;
        const CDX9KelGraphicResourceTexture* t = icon->m_pImage->m_pTexture;
        if (t->m_strFileName == file && t->m_strFolder == folder) return icon;
    }
    return nullptr;
}

} // namespace

bool CVR3GAMEBattleMapPlayerDirectorHuman::AddIcon(CDX9KelSGUIControlScrollCheckList* list,
                                                   CDX9KelSGUIControlButtonCheck* icon, const std::string& ship) {
    if (list->AddItem(icon)) return true;
    // A ship of another icon size than the list's first: it takes the
    // list's size, so that icon i stays the icon of ship i.
    if (list->m_iItemWidth > 0 && list->m_iItemHeight > 0 &&
        icon->Resize(list->m_iItemWidth, list->m_iItemHeight) && list->AddItem(icon))
        return true;
    g_Log.Write(LOG_ERROR, "%s%s%s",
                "CVR3GAMEBattleMapPlayerDirectorHuman::AddIcon() : icon not added to its list for ship : ",
                ship.c_str(), "\n");
    return false;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::CreateShipsIcons() {
    if (!m_pPlayer || !m_pIcons[0]) return false;
    for (CDX9KelSGUIControlScrollCheckList* list : m_pIcons)
        if (list) list->Clear();
    m_stdmIcons.clear();
    const CVR3CIIScreenManager* screens =
        m_pScene ? dynamic_cast<CVR3CIIScreenManager*>(m_pScene->GetManager(KEL_SCENE_SCREEN_MANAGER)) : nullptr;
    // Icons an earlier battle made are used again: the page dialogs keep
    // their controls from battle to battle, and a new set each battle would
    // pile up in them.
    std::vector<CDX9KelSGUIControlButtonCheck*> taken;
    int page = 0;
    for (CVR3GAMEBattleMapShipsColumn* column : m_pPlayer->m_stdvColumns) {
        if (page >= kPages) break;
        const int p = page++;
        if (!column) continue;
        CDX9KelSGUIDialog* dialog = m_pDialogIconsPage[p];
        CDX9KelSGUIControlScrollCheckList* list = m_pIcons[p];
        if (!list || !dialog) {
            g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirectorHuman::CreateShipsIcons() : not correct loading "
                                   "ships icons dialogs\n");
            return false;
        }
        for (CVR3GAMEBattleMapShip* ship : column->m_stdvBattleShips) {
            const CVR3GAMEInformationShip* info = ship ? ship->m_pInfoShip : nullptr;
            if (!info) return false;
            const CVR3CIIScreenFont* font = screens ? screens->GetFont(info->IconFont.c_str()) : nullptr;
            if (!font) {
                g_Log.Write(LOG_ERROR, "%s%s%s",
                            "CVR3GAMEBattleMapPlayerDirectorHuman::CreateShipsIcons() : not found font for info ship : ",
                            info->m_strName.c_str(), "\n");
                return false;
            }
            SGUITextureDesc texture;
            texture.strFile = kTexturesFolder + info->IconTexture;
            const CVR3GAMEInformationIconRect& b = info->IconBorders;
            // Control names are single words: blanks of the ship's name become '_'.
            std::string iconName = "Icon_" + ship->m_strName;
            std::replace(iconName.begin(), iconName.end(), ' ', '_');
            CDX9KelSGUIControlButtonCheck* icon = FindLeftIcon(dialog, iconName, texture.strFile, taken);
            if (icon) {
                icon->Resize(b.right - b.left, b.bottom - b.top);
                if (icon->m_pText) icon->m_pText->SetText(ship->m_strName.c_str());
            } else {
                const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
                const float textRect[4] = {info->TextRelativePosition.x * 100.0f, info->TextRelativePosition.y * 100.0f,
                                           info->TextRelativePosition.z * 100.0f, info->TextRelativePosition.w * 100.0f};
                const float* textColor = font->color;
                float firstColor[4];
                if (!info->TextColors.empty()) {
                    const CVR3GAMEInformationFloat4& c = info->TextColors.front();
                    firstColor[0] = c.x;
                    firstColor[1] = c.y;
                    firstColor[2] = c.z;
                    firstColor[3] = c.w;
                    textColor = firstColor;
                }
                icon = dialog->AddCheckButton(m_pScene->GetDevice(), iconName.c_str(), false, font->iFont,
                                              font->iFormat, ship->m_strName.c_str(), texture, b.left, b.top, b.right,
                                              b.bottom, white, textRect, textColor);
            }
            if (!icon) {
                g_Log.Write(LOG_ERROR, "%s%s%s",
                            "CVR3GAMEBattleMapPlayerDirectorHuman::CreateShipsIcons() : not create icon for ship : ",
                            info->m_strName.c_str(), "\n");
                return false;
            }
            taken.push_back(icon);
            if (!info->TextCoordinates.empty() && !info->TextColors.empty()) {
                std::vector<SGUIStateRect> rects, colours;
                for (const CVR3GAMEInformationFloat4& r : info->TextCoordinates) rects.push_back({{r.x, r.y, r.z, r.w}});
                for (const CVR3GAMEInformationFloat4& c : info->TextColors) colours.push_back({{c.x, c.y, c.z, c.w}});
                icon->SetStates(&rects, &colours);
            }
            icon->ResetState();
            if (!AddIcon(list, icon, ship->m_strName)) return false;
            m_stdmIcons[ship] = icon;
        }
    }
    return true;
}

} // namespace SeaBattle
