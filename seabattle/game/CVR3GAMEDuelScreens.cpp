// The duel's screens: the menu's difficulty, warning and confirmation
// dialogs, and each director's shop, ship card and three column dialogs.
#include <cstdio>
#include <string>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Clock.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEHarbourShop.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

constexpr const char* kTexturesFolder = "Data\\Textures\\";

CDX9KelSGUIDialog* FindDialog(const CVR3CIIScreen* screen, const char* name) {
    CVR3CIIScreenDialogEntry* e = CVR3CIIScreen::FindDialogEntry(screen, name);
    return e ? e->pDialog : nullptr;
}

// A push button of the dialog (not a check or state button), or null.
CDX9KelSGUIControlButton* PushButton(const CDX9KelSGUIDialog* dialog, const char* name) {
    CDX9KelSGUIBaseControl* c = dialog ? dialog->FindControl(name) : nullptr;
    if (dynamic_cast<CDX9KelSGUIControlButtonCheck*>(c)) return nullptr;
    return dynamic_cast<CDX9KelSGUIControlButton*>(c);
}

bool Pressed(const CDX9KelSGUIControlButton* b) { return b && b->GetState() == SGUI_BUTTON_PRESSED; }

// A gate that lets a button act once per `interval` of real time.
bool Gate(DWORD& last, DWORD interval) {
    const DWORD now = ::timeGetTime();
    if (last != 0 && static_cast<DWORD>(now - last) < interval) return false;
    last = now ? now : 1;
    return true;
}

void Enable(CDX9KelSGUIControlButton* b, bool on) {
    if (!b) return;
    b->RequestState(on ? SGUI_BUTTON_NORMAL : SGUI_BUTTON_LOCKED);
    b->m_dwState = on ? SGUI_BUTTON_NORMAL : SGUI_BUTTON_LOCKED;
}

void Show(CDX9KelSGUIDialog* dialog, bool on) {
    if (!dialog) return;
    dialog->SetVisible(on);
    if (on) {
        dialog->LockInput();
        if (CDX9KelSGUIManager* gui = dialog->GetManager()) gui->BringToFront(dialog);
    } else {
        dialog->UnlockInput();
    }
}

// The icon of a ship type in a list: made once per name and texture, then
// reused, so showing a shop again adds no controls to the dialog.
CDX9KelSGUIControlButtonCheck* Icon(CDX9KelScene* scene, CDX9KelSGUIDialog* dialog, const std::string& name,
                                    const CVR3GAMEInformationShip& info, const std::string& caption,
                                    const char* who) {
    const CVR3CIIScreenManager* screens =
        scene ? dynamic_cast<CVR3CIIScreenManager*>(scene->GetManager(KEL_SCENE_SCREEN_MANAGER)) : nullptr;
    const CVR3CIIScreenFont* font = screens ? screens->GetFont(info.IconFont.c_str()) : nullptr;
    if (!font) {
        g_Log.Write(LOG_ERROR, "%s%s%s%s", who, " : not found font for info ship :", info.m_strName.c_str(), "\n");
        return nullptr;
    }
    std::string controlName = name + "_" + info.IconTexture;
    for (char& c : controlName)
        if (c == ' ' || c == '.' || c == '\\' || c == '/') c = '_';
    if (auto* icon = dynamic_cast<CDX9KelSGUIControlButtonCheck*>(dialog->FindControl(controlName.c_str()))) {
        icon->SetVisible(true);
        if (icon->m_pText) icon->m_pText->SetText(caption.c_str());
        icon->ResetState();
        return icon;
    }
    SGUITextureDesc texture;
    texture.strFile = kTexturesFolder + info.IconTexture;
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float textRect[4] = {info.TextRelativePosition.x * 100.0f, info.TextRelativePosition.y * 100.0f,
                               info.TextRelativePosition.z * 100.0f, info.TextRelativePosition.w * 100.0f};
    float textColor[4] = {font->color[0], font->color[1], font->color[2], font->color[3]};
    if (!info.TextColors.empty()) {
        const CVR3GAMEInformationFloat4& c = info.TextColors.front();
        textColor[0] = c.x;
        textColor[1] = c.y;
        textColor[2] = c.z;
        textColor[3] = c.w;
    }
    const CVR3GAMEInformationIconRect& b = info.IconBorders;
    CDX9KelSGUIControlButtonCheck* icon =
        dialog->AddCheckButton(scene->GetDevice(), controlName.c_str(), false, font->iFont, font->iFormat,
                               caption.c_str(), texture, b.left, b.top, b.right, b.bottom, white, textRect, textColor);
    if (!icon) {
        g_Log.Write(LOG_ERROR, "%s%s%s%s", who, " : not create icon for ship :", info.m_strName.c_str(), "\n");
        return nullptr;
    }
    if (!info.TextCoordinates.empty() && !info.TextColors.empty()) {
        std::vector<SGUIStateRect> rects, colours;
        for (const CVR3GAMEInformationFloat4& r : info.TextCoordinates) rects.push_back({{r.x, r.y, r.z, r.w}});
        for (const CVR3GAMEInformationFloat4& c : info.TextColors) colours.push_back({{c.x, c.y, c.z, c.w}});
        icon->SetStates(&rects, &colours);
    }
    icon->ResetState();
    return icon;
}

} // namespace

// ---- the director's screen ----

bool CVR3GAMEDuelPlayerDirector::LoadUIFromScreen(CVR3CIIScreen* pScreen) {
    if (!pScreen || pScreen->GetDialogEntries().empty()) {
        g_Log.Write(3, "CVR3GAMEDuelPlayerDirector::LoadUIFromScreen() : screen empty\n");
        return false;
    }
    m_pUIScreen = pScreen;
    CDX9KelSGUIDialog* info = FindDialog(pScreen, "duel_player_ship_param");
    m_stdmInfoTexts.clear();
    for (const char* name : {"Money", "Name", "Displacement", "Speed", "SG_1", "SG_2", "TG_1", "TG_2", "TG_3", "A_1",
                             "A_2", "A_3"}) {
        auto* text = info ? dynamic_cast<CDX9KelSGUIText*>(info->FindControl(name)) : nullptr;
        if (!text) {
            g_Log.Write(3, "CVR3GAMEDuelPlayerDirector::LoadUIFromScreen() : LoadIUDialogShipInfo() failed\n");
            return false;
        }
        m_stdmInfoTexts[name] = text;
    }
    m_pDialogShips = FindDialog(pScreen, "duel_player_ships");
    m_pShopIcons = m_pDialogShips
                       ? dynamic_cast<CDX9KelSGUIControlScrollCheckList*>(m_pDialogShips->FindControl("Icons"))
                       : nullptr;
    if (!m_pShopIcons) {
        g_Log.Write(3, "CVR3GAMEDuelPlayerDirector::LoadUIFromScreen() : LoadIUDialogShips() failed\n");
        return false;
    }
    for (size_t c = 0; c < kColumns; ++c) {
        const std::string dialog = "duel_player_column_" + std::to_string(c + 1);
        m_pDialogColumns[c] = FindDialog(pScreen, dialog.c_str());
        m_pColumnIcons[c] =
            m_pDialogColumns[c]
                ? dynamic_cast<CDX9KelSGUIControlScrollCheckList*>(m_pDialogColumns[c]->FindControl("Icons"))
                : nullptr;
        m_pAdd[c] = PushButton(m_pDialogColumns[c], "Add");
        m_pErase[c] = PushButton(m_pDialogColumns[c], "Erase");
        if (!m_pColumnIcons[c] || !m_pAdd[c] || !m_pErase[c]) {
            g_Log.Write(3, "%s%zu%s", "CVR3GAMEDuelPlayerDirector::LoadUIFromScreen() : LoadIUDialogColumn", c + 1,
                        "() failed\n");
            return false;
        }
    }
    return true;
}

bool CVR3GAMEDuelPlayerDirector::CreateSGUIShopShipsIcons() {
    if (!m_pShopIcons || !m_pDialogShips) return false;
    m_pShopIcons->Clear();
    for (size_t i = 0; i < m_stdvShipTypes.size(); ++i) {
        const CVR3GAMEDuelShipType* type = m_stdvShipTypes[i];
        if (!type || !type->m_pInfo) return false;
        char caption[160];
        std::snprintf(caption, sizeof caption, "%s%i", m_pDuel ? m_pDuel->m_strMoney.c_str() : "",
                      static_cast<int>(type->GetPrice()));
        CDX9KelSGUIControlButtonCheck* icon = Icon(m_pScene, m_pDialogShips, "Shop_" + std::to_string(i),
                                                   *type->m_pInfo, caption,
                                                   "CVR3GAMEDuelPlayerDirector::CreateSGUIShopShipsIcons()");
        if (!icon || !m_pShopIcons->AddItem(icon)) return false;
    }
    m_pShopIcons->Layout();
    return true;
}

bool CVR3GAMEDuelPlayerDirector::FillColumnIcons(int column) {
    if (column < 0 || static_cast<size_t>(column) >= kColumns || !m_pColumnIcons[column]) return false;
    CDX9KelSGUIControlScrollCheckList* list = m_pColumnIcons[column];
    for (CDX9KelSGUIControlButtonCheck* b : list->m_vItems)
        if (b) b->SetVisible(false);
    list->Clear();
    const auto& ships = m_stdvColumns[column];
    for (size_t i = 0; i < ships.size(); ++i) {
        if (!ships[i] || !ships[i]->m_pInfo) return false;
        CDX9KelSGUIControlButtonCheck* icon =
            Icon(m_pScene, m_pDialogColumns[column], "Column" + std::to_string(column + 1) + "_" + std::to_string(i),
                 *ships[i]->m_pInfo, ships[i]->m_pInfo->ShipTypeName,
                 "CVR3GAMEDuelPlayerDirector::CreateSGUIShopShipsIcons()");
        if (!icon || !list->AddItem(icon)) return false;
    }
    list->Layout();
    return true;
}

void CVR3GAMEDuelPlayerDirector::ShowMoney() {
    const auto it = m_stdmInfoTexts.find("Money");
    if (it != m_stdmInfoTexts.end() && it->second) it->second->SetText(std::to_string(m_dwMoney).c_str());
}

void CVR3GAMEDuelPlayerDirector::ShowShipInfo(const CVR3GAMEDuelShipType* type) {
    CVR3GAMEHarbourPanelWords words;
    words.Ton = m_strTon;
    words.Knot = m_strKnot;
    words.Inch = m_strInch;
    CVR3GAMEHarbourPanel panel;
    if (type && type->m_pInfo) panel = HarbourShopShipPanel(*type->m_pInfo, 0, words);
    for (auto& [name, text] : m_stdmInfoTexts) {
        if (!text || name == "Money") continue;
        const auto it = panel.m_Texts.find(name);
        text->SetText(it != panel.m_Texts.end() ? it->second.c_str() : " ");
    }
    ShowMoney();
}

void CVR3GAMEDuelPlayerDirector::UpdateButtons() {
    const bool shop = m_iSelectedShop >= 0 && static_cast<size_t>(m_iSelectedShop) < m_stdvShipTypes.size();
    const uint32_t price = shop && m_stdvShipTypes[m_iSelectedShop] ? m_stdvShipTypes[m_iSelectedShop]->GetPrice() : 0;
    for (size_t c = 0; c < kColumns; ++c) {
        Enable(m_pAdd[c], shop && price <= m_dwMoney && m_stdvColumns[c].size() < kMaxColumnShips);
        Enable(m_pErase[c], !shop && m_iSelectedColumn == static_cast<int>(c) && m_iSelectedIndex >= 0);
    }
}

void CVR3GAMEDuelPlayerDirector::Proc() {
    if (!m_pUIScreen || !m_pUIScreen->IsActive() || !m_pShopIcons) return;
    // A click on another shop icon selects that type.
    const int shop = m_pShopIcons->GetSelected();
    if (shop >= 0 && shop != m_iSelectedShop) {
        ClearSelection();
        m_iSelectedShop = shop;
        for (auto* list : m_pColumnIcons)
            if (list) list->SetSelected(-1);
        ShowShipInfo(m_stdvShipTypes[static_cast<size_t>(shop)]);
        UpdateButtons();
    }
    // A click on a ship of a column selects it.
    for (size_t c = 0; c < kColumns; ++c) {
        const int at = m_pColumnIcons[c]->GetSelected();
        if (at < 0 || (m_iSelectedColumn == static_cast<int>(c) && m_iSelectedIndex == at)) continue;
        if (static_cast<size_t>(at) >= m_stdvColumns[c].size()) continue;
        ClearSelection();
        m_iSelectedColumn = static_cast<int>(c);
        m_iSelectedIndex = at;
        m_pShopIcons->SetSelected(-1);
        for (size_t o = 0; o < kColumns; ++o)
            if (o != c) m_pColumnIcons[o]->SetSelected(-1);
        ShowShipInfo(m_stdvColumns[c][static_cast<size_t>(at)]);
        UpdateButtons();
        break;
    }
    for (size_t c = 0; c < kColumns; ++c) {
        if (Pressed(m_pAdd[c]) && m_iSelectedShop >= 0 && Gate(m_dwLastButton, kButtonGate)) {
            const bool bought = AddShip(static_cast<int>(c));
            FillColumnIcons(static_cast<int>(c));
            m_pShopIcons->SetSelected(-1);
            if (bought) m_pColumnIcons[c]->SetSelected(static_cast<int>(m_stdvColumns[c].size()) - 1);
            ShowMoney();
            UpdateButtons();
        } else if (Pressed(m_pErase[c]) && m_iSelectedColumn == static_cast<int>(c) &&
                   Gate(m_dwLastButton, kButtonGate)) {
            EraseShip();
            FillColumnIcons(static_cast<int>(c));
            ShowShipInfo(nullptr);
            UpdateButtons();
        }
    }
}

// ---- the duel menu ----

bool CVR3GAMEDuel::LoadUIFromScreen() {
    CVR3CIIScreen* screen = FindScreen(m_strScreenDuel);
    if (!screen || screen->GetDialogEntries().empty()) {
        g_Log.Write(3, "CVR3GAMEDuel::LoadUIFromScreen() : screen empty\n");
        return false;
    }
    m_pDialogMenu = FindDialog(screen, "duel_menu_menu");
    const char* levels[3] = {"Arcade", "Normal", "Realistic"};
    for (int i = 0; i < 3; ++i) m_pLevelButtons[i] = PushButton(m_pDialogMenu, levels[i]);
    if (!m_pLevelButtons[0] || !m_pLevelButtons[1] || !m_pLevelButtons[2]) {
        g_Log.Write(3, "CVR3GAMEDuel::LoadUIFromScreen() : LoadUIDialogMenu() failed\n");
        return false;
    }
    m_pDialogWarning = FindDialog(screen, "duel_menu_warning");
    if (!(m_pWarningOk = PushButton(m_pDialogWarning, "Ok"))) {
        g_Log.Write(3, "CVR3GAMEDuel::LoadUIFromScreen() : LoadUIDialogWarning() failed\n");
        return false;
    }
    m_pDialogCheck = FindDialog(screen, "duel_menu_check_begin_battle");
    if (!(m_pCheckOk = PushButton(m_pDialogCheck, "Ok")) || !(m_pCheckCancel = PushButton(m_pDialogCheck, "Cancel"))) {
        g_Log.Write(3, "CVR3GAMEDuel::LoadUIFromScreen() : LoadUIDialogCheck() failed\n");
        return false;
    }
    m_pDialogWarning->SetVisible(false);
    m_pDialogCheck->SetVisible(false);
    for (CVR3GAMEDuelPlayerDirector* d : m_stdvDirectors) {
        if (!d->LoadUIFromScreen(FindScreen(d->m_strScreen))) {
            g_Log.Write(3, "CVR3GAMEDuel::Prepare() : pDirector->Prepare() failed \n");
            return false;
        }
        if (!d->CreateSGUIShopShipsIcons()) {
            g_Log.Write(3, "CVR3GAMEDuel::Prepare() : CreateSGUIShopShipsIcons() failed \n");
            return false;
        }
        for (int c = 0; c < static_cast<int>(CVR3GAMEDuelPlayerDirector::kColumns); ++c) d->FillColumnIcons(c);
        d->ClearSelection();
        d->ShowShipInfo(nullptr);
        d->UpdateButtons();
    }
    return true;
}

void CVR3GAMEDuel::ProcMenu() {
    if (!m_pScreen || !m_pScreen->IsActive() || !m_pDialogMenu) return;
    if (Pressed(m_pWarningOk) && Gate(m_dwLastMenuButton, kMenuGate)) {
        Show(m_pDialogWarning, false);
        return;
    }
    if (Pressed(m_pCheckCancel) && Gate(m_dwLastMenuButton, kMenuGate)) {
        Show(m_pDialogCheck, false);
        return;
    }
    if (Pressed(m_pCheckOk) && Gate(m_dwLastMenuButton, kMenuGate)) {
        Show(m_pDialogCheck, false);
        BeginBattle();
        return;
    }
    for (int level = 0; level < 3; ++level) {
        if (!Pressed(m_pLevelButtons[level]) || !Gate(m_dwLastMenuButton, kMenuGate)) continue;
        bool warn = false;
        if (ChooseDifficulty(level, &warn))
            Show(m_pDialogCheck, true);
        else if (warn)
            Show(m_pDialogWarning, true);
        return;
    }
}

} // namespace SeaBattle
