// The human harbour director's two screens: binding of the harbour and
// columns screens, the shop and own-ship icons, the ship panel and the money,
// and the per-frame work of their buttons and lists.
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/LocalizedText.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"

#include <algorithm>
#include <cstdio>

namespace SeaBattle {

using namespace Vorna3D;

const char* const CVR3GAMEHarbourMapPlayerDirectorHuman::kPanelTextNames[kPanelTexts] = {
    "Money", "MoneyAdd", "Name",     "Displacement", "Speed",     "SG_1",   "SG_2",
    "TG_1",  "TG_2",     "TG_3",     "A_1",          "A_2",       "A_3",    "By_Price",
    "Sell_Price", "Seaworthy", "Damage", "Repair_Price1", "Repair_Price2"};

namespace {

constexpr const char* kTexturesFolder = "Data\\Textures\\";
constexpr int kMoneyText = 0;
constexpr int kMoneyAddText = 1;

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

bool Pressed(const CDX9KelSGUIControlButton* b) { return b && b->GetState() == SGUI_BUTTON_PRESSED; }

// Unlocks (state 0) or locks (state 3) a button; a button already so keeps
// its look (an enabled one under the pointer stays lit).
void EnableButton(CDX9KelSGUIControlButton* b, bool enabled) {
    if (!b) return;
    const bool locked = b->GetState() == SGUI_BUTTON_LOCKED;
    if (enabled != locked) return;
    b->RequestState(enabled ? SGUI_BUTTON_NORMAL : SGUI_BUTTON_LOCKED);
    if (b->m_bTextureStates)
        b->ApplyStateTextures();
    else
        b->ApplyStateColor();
}

void SetText(CDX9KelSGUIText* t, const std::string& text) {
    if (t) t->SetText(text.c_str());
}

std::string Number(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(value));
    return buffer;
}

// Control names are single words: blanks become '_'.
std::string ControlName(const char* prefix, const std::string& name) {
    std::string out = std::string(prefix) + name;
    std::replace(out.begin(), out.end(), ' ', '_');
    return out;
}

DWORD Now() { return ::timeGetTime(); }

} // namespace

// ---- binding ----

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SetMapScreen(CVR3CIIScreen* pScreen) {
    if (!pScreen) return false;
    if (pScreen->GetDialogEntries().empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::SetMapScreen() : screen empty\n");
        return false;
    }
    m_pMapScreen = pScreen;
    using Binder = bool (CVR3GAMEHarbourMapPlayerDirectorHuman::*)(CDX9KelSGUIDialog*);
    struct Entry {
        const char* dialog;
        Binder binder;
        const char* failure;
    };
    static const Entry kTable[] = {
        {"harbour_game_menu", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogMapMenu, "LoadDialogMapMenu() failed\n"},
        {"harbour_game_player_ships", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogPlayerShips,
         "LoadDialogPlayerShips() failed\n"},
        {"harbour_game_ship_properties", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogProperties,
         "LoadDialogPlayerShips() failed\n"},
        {"harbour_game_shop", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogShipsTypes,
         "LoadDialogShipsTypes() failed\n"},
        {"harbour_game_by_ship", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogBuy, "LoadDialogBuy() failed\n"},
        {"harbour_game_sell_ship", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogSell, "LoadDialogSell() failed\n"},
        {"harbour_game_gratuity", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogGraduity,
         "LoadDialogGraduity() failed\n"},
        {"harbour_game_let_mission", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogLetMission,
         "LoadDialogLetMission() failed\n"},
    };
    for (const Entry& e : kTable) {
        const CVR3CIIScreenDialogEntry* entry = CVR3CIIScreen::FindDialogEntry(pScreen, e.dialog);
        if (!(this->*e.binder)(entry ? entry->pDialog : nullptr))
            g_Log.Write(LOG_ERROR, "%s%s", "CVR3GAMEHarbourMapPlayerDirectorHuman::SetMapScreen() : ", e.failure);
    }
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SetColumnsScreen(CVR3CIIScreen* pScreen) {
    if (!pScreen) return false;
    if (pScreen->GetDialogEntries().empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::SetColumnsScreen() : screen empty\n");
        return false;
    }
    m_pColumnsScreen = pScreen;
    using Binder = bool (CVR3GAMEHarbourMapPlayerDirectorHuman::*)(CDX9KelSGUIDialog*);
    struct Entry {
        const char* dialog;
        Binder binder;
        const char* failure;
    };
    static const Entry kTable[] = {
        {"harbour_columns_menu", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogColumnsMenu,
         "LoadDialogColumnsMenu() failed\n"},
        {"harbour_columns_player_ships", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogColumnsShips,
         "LoadDialogColumnsShips() failed\n"},
        {"harbour_columns_work", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogColumnsWork,
         "LoadDialogColumnsWork() failed\n"},
        {"harbour_columns_fight", &CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogBeginBattle,
         "LoadDialogBeginBattle() failed\n"},
    };
    for (const Entry& e : kTable) {
        const CVR3CIIScreenDialogEntry* entry = CVR3CIIScreen::FindDialogEntry(pScreen, e.dialog);
        if (!(this->*e.binder)(entry ? entry->pDialog : nullptr))
            g_Log.Write(LOG_ERROR, "%s%s", "CVR3GAMEHarbourMapPlayerDirectorHuman::SetMapScreen() : ", e.failure);
    }
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogMapMenu(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogMapMenu = d;
    BindControl(d, "Menu", SGUI_CONTROL_BUTTON, m_pMenu);
    BindControl(d, "Help", SGUI_CONTROL_BUTTON, m_pHelp);
    BindControl(d, "Next", SGUI_CONTROL_BUTTON, m_pNext);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogPlayerShips(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogPlayerShips = d;
    BindControl(d, "Icons", SGUI_CONTROL_SCROLL_CHECK_LIST, m_pPlayerShipsIcons);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogProperties(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogProperties = d;
    BindControl(d, "Buy", SGUI_CONTROL_BUTTON, m_pBuy);
    BindControl(d, "Sell", SGUI_CONTROL_BUTTON, m_pSell);
    BindControl(d, "Repair1", SGUI_CONTROL_BUTTON, m_pRepair1);
    BindControl(d, "Repair2", SGUI_CONTROL_BUTTON, m_pRepair2);
    BindControl(d, "Crew1", SGUI_CONTROL_IMAGE, m_pCrew[0]);
    BindControl(d, "Crew2", SGUI_CONTROL_IMAGE, m_pCrew[1]);
    BindControl(d, "Crew3", SGUI_CONTROL_IMAGE, m_pCrew[2]);
    for (int i = 0; i < kPanelTexts; ++i) BindControl(d, kPanelTextNames[i], SGUI_CONTROL_TEXT, m_pPanelTexts[i]);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogShipsTypes(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogShop = d;
    BindControl(d, "Icons", SGUI_CONTROL_SCROLL_CHECK_LIST, m_pShopIcons);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogBuy(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogBuy = d;
    BindControl(d, "Ok", SGUI_CONTROL_BUTTON, m_pBuyOk);
    BindControl(d, "Cancel", SGUI_CONTROL_BUTTON, m_pBuyCancel);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogSell(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogSell = d;
    BindControl(d, "Ok", SGUI_CONTROL_BUTTON, m_pSellOk);
    BindControl(d, "Cancel", SGUI_CONTROL_BUTTON, m_pSellCancel);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogGraduity(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogGratuity = d;
    BindControl(d, "Sum", SGUI_CONTROL_TEXT, m_pGratuitySum);
    BindControl(d, "Ok", SGUI_CONTROL_BUTTON, m_pGratuityOk);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogLetMission(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogLetMission = d;
    BindControl(d, "Ok", SGUI_CONTROL_BUTTON, m_pLetMissionOk);
    BindControl(d, "Cancel", SGUI_CONTROL_BUTTON, m_pLetMissionCancel);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogColumnsMenu(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogColumnsMenu = d;
    BindControl(d, "Help", SGUI_CONTROL_BUTTON, m_pColumnsHelp);
    BindControl(d, "Prev", SGUI_CONTROL_BUTTON, m_pColumnsPrev);
    BindControl(d, "Next", SGUI_CONTROL_BUTTON, m_pColumnsNext);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogColumnsShips(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogColumnsShips = d;
    BindControl(d, "Icons", SGUI_CONTROL_SCROLL_CHECK_LIST, m_pAvailableIcons);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogColumnsWork(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogColumnsWork = d;
    for (int c = 0; c < 3; ++c) {
        const std::string n = "Column" + std::to_string(c + 1);
        BindControl(d, (n + "Icons").c_str(), SGUI_CONTROL_SCROLL_CHECK_LIST, m_pColumnIcons[c]);
        BindControl(d, (n + "Add").c_str(), SGUI_CONTROL_BUTTON, m_pColumnAdd[c]);
        BindControl(d, (n + "Erase").c_str(), SGUI_CONTROL_BUTTON, m_pColumnErase[c]);
    }
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::LoadDialogBeginBattle(CDX9KelSGUIDialog* d) {
    if (!d) return false;
    m_pDialogFight = d;
    BindControl(d, "Ok", SGUI_CONTROL_BUTTON, m_pFightOk);
    BindControl(d, "Cancel", SGUI_CONTROL_BUTTON, m_pFightCancel);
    return true;
}

// ---- the map, the words and the icons ----

bool CVR3GAMEHarbourMapPlayerDirectorHuman::AttachHarbourMap(CVR3GAMEHarbourMap* pMap) {
    if (!pMap) return false;
    m_pHarbourMap = pMap;
    LookUp("_LN_UNITS_Ton", m_strTon);
    LookUp("_LN_UNITS_Knot", m_strKnot);
    LookUp("_LN_UNITS_Degree", m_strDegree);
    LookUp("_LN_UNITS_Inch", m_strInch);
    if (pMap->m_pScenario) m_strMoney = pMap->m_pScenario->Money;
    LookUp("_LN_GUI_Harbour_Properties_Sea_Yes", m_strSeaYes);
    LookUp("_LN_GUI_Harbour_Properties_Sea_No", m_strSeaNo);
    // Without a shop list the shop has no icons to show.
    if (!m_pShopIcons) return true;
    return CreateSGUIShopShipsIcons();
}

CVR3GAMEHarbourPanelWords CVR3GAMEHarbourMapPlayerDirectorHuman::Words() const {
    CVR3GAMEHarbourPanelWords words;
    words.Ton = m_strTon;
    words.Knot = m_strKnot;
    words.Inch = m_strInch;
    words.Money = m_strMoney;
    words.SeaYes = m_strSeaYes;
    words.SeaNo = m_strSeaNo;
    return words;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::FillIconList(CDX9KelSGUIDialog* dialog,
                                                         CDX9KelSGUIControlScrollCheckList* list,
                                                         const std::vector<IconEntry>& entries, const char* who) {
    if (!dialog || !list) return false;
    const CVR3CIIScreenManager* screens =
        m_pScene ? dynamic_cast<CVR3CIIScreenManager*>(m_pScene->GetManager(KEL_SCENE_SCREEN_MANAGER)) : nullptr;
    for (PooledIcon& p : m_stdvIconPool)
        if (p.dialog == dialog && p.list == list) p.used = false;
    list->Clear();
    for (const IconEntry& e : entries) {
        const CVR3GAMEInformationShip* info = e.info;
        if (!info) continue;
        const CVR3CIIScreenFont* font = screens ? screens->GetFont(info->IconFont.c_str()) : nullptr;
        if (!font) {
            g_Log.Write(LOG_ERROR, "%s%s%s%s%s", "CVR3GAMEHarbourMapPlayerDirectorHuman::", who,
                        "() : not found font for info ship :", e.caption.c_str(), "\n");
            return false;
        }
        const std::string key = e.name + "|" + info->IconTexture;
        CDX9KelSGUIControlButtonCheck* icon = nullptr;
        for (PooledIcon& p : m_stdvIconPool) {
            if (p.dialog == dialog && p.list == list && !p.used && p.key == key) {
                p.used = true;
                icon = p.button;
                break;
            }
        }
        if (icon) {
            icon->SetVisible(true);
            if (icon->m_pText) icon->m_pText->SetText(e.caption.c_str());
        } else {
            SGUITextureDesc texture;
            texture.strFile = kTexturesFolder + info->IconTexture;
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
            const CVR3GAMEInformationIconRect& b = info->IconBorders;
            icon = dialog->AddCheckButton(m_pScene ? m_pScene->GetDevice() : nullptr, e.name.c_str(), false,
                                          font->iFont, font->iFormat, e.caption.c_str(), texture, b.left, b.top,
                                          b.right, b.bottom, white, textRect, textColor);
            if (!icon) {
                g_Log.Write(LOG_ERROR, "%s%s%s%s%s", "CVR3GAMEHarbourMapPlayerDirectorHuman::", who,
                            "() : not create icon for ship :", e.caption.c_str(), "\n");
                return false;
            }
            if (!info->TextCoordinates.empty() && !info->TextColors.empty()) {
                std::vector<SGUIStateRect> rects, colours;
                for (const CVR3GAMEInformationFloat4& r : info->TextCoordinates) rects.push_back({{r.x, r.y, r.z, r.w}});
                for (const CVR3GAMEInformationFloat4& c : info->TextColors) colours.push_back({{c.x, c.y, c.z, c.w}});
                icon->SetStates(&rects, &colours);
            }
            PooledIcon p;
            p.dialog = dialog;
            p.list = list;
            p.key = key;
            p.button = icon;
            p.used = true;
            m_stdvIconPool.push_back(p);
        }
        icon->ResetState();
        if (!list->AddItem(icon)) {
            icon->SetVisible(false);
            g_Log.Write(LOG_ERROR, "%s%s%s%s%s", "CVR3GAMEHarbourMapPlayerDirectorHuman::", who,
                        "() : not create icon for ship :", e.caption.c_str(), "\n");
            return false;
        }
    }
    list->Layout();
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::CreateSGUIShopShipsIcons() {
    if (!m_pDialogShop || !m_pShopIcons) return false;
    std::vector<IconEntry> entries;
    for (const CVR3GAMEShipType* t : m_stdvShipsTypes) {
        IconEntry e;
        e.info = t ? t->m_pInformation : nullptr;
        if (!e.info) continue;
        const int64_t price = HarbourPurchasePrice(*e.info);
        e.name = ControlName("Type_", e.info->ShipTypeName);
        e.caption = m_strMoney + std::to_string(price < 0 ? 0 : price);
        entries.push_back(e);
    }
    return FillIconList(m_pDialogShop, m_pShopIcons, entries, "CreateSGUIShopShipsIcons");
}

namespace {
// The icons of a list of ships: each named after its ship.
template <class Entry>
std::vector<Entry> ShipEntries(const std::vector<CVR3GAMEBattleMapShip*>& ships, const char* prefix) {
    std::vector<Entry> entries;
    for (const CVR3GAMEBattleMapShip* s : ships) {
        if (!s || !s->m_pInfoShip) continue;
        Entry e;
        e.info = s->m_pInfoShip;
        e.name = ControlName(prefix, s->m_strName);
        e.caption = s->m_strName;
        entries.push_back(e);
    }
    return entries;
}
} // namespace

bool CVR3GAMEHarbourMapPlayerDirectorHuman::CreateSGUIPlayerShips() {
    // Without the own-ship list there is nothing to show.
    if (!m_pPlayerShipsIcons || !m_pDialogPlayerShips) return true;
    m_iSelectedOwn = -1;
    return FillIconList(m_pDialogPlayerShips, m_pPlayerShipsIcons, ShipEntries<IconEntry>(m_stdvOwnShips, "Ship_"),
                        "CreateSGUIShopShipsIcons");
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::CreateSGUIColumnsShips() {
    bool ok = true;
    if (m_pDialogColumnsShips && m_pAvailableIcons)
        ok = FillIconList(m_pDialogColumnsShips, m_pAvailableIcons, ShipEntries<IconEntry>(m_stdvAvailable, "Ship_"),
                          "CreateSGUIColumnsShips");
    for (int c = 0; c < 3 && ok; ++c) {
        if (!m_pDialogColumnsWork || !m_pColumnIcons[c]) continue;
        const std::string prefix = "Column" + std::to_string(c + 1) + "_";
        ok = FillIconList(m_pDialogColumnsWork, m_pColumnIcons[c],
                          ShipEntries<IconEntry>(m_stdvColumns[c], prefix.c_str()), "CreateSGUIColumnsShips");
    }
    return ok;
}

// ---- the panel and the money ----

void CVR3GAMEHarbourMapPlayerDirectorHuman::ShowPanel(const CVR3GAMEHarbourPanel& panel) {
    for (int i = 0; i < kPanelTexts; ++i) {
        if (i == kMoneyText || i == kMoneyAddText) continue;
        const auto it = panel.m_Texts.find(kPanelTextNames[i]);
        SetText(m_pPanelTexts[i], it == panel.m_Texts.end() ? std::string(" ") : it->second);
    }
    for (int k = 0; k < 3; ++k)
        if (m_pCrew[k]) m_pCrew[k]->m_bVisible = panel.m_bCrew[k];
    EnableButton(m_pBuy, panel.m_iBuy == CVR3GAMEHarbourPanel::ENABLED);
    EnableButton(m_pSell, panel.m_iSell == CVR3GAMEHarbourPanel::ENABLED);
    EnableButton(m_pRepair1, panel.m_iRepair1 == CVR3GAMEHarbourPanel::ENABLED);
    EnableButton(m_pRepair2, panel.m_iRepair2 == CVR3GAMEHarbourPanel::ENABLED);
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ClearShipInfo() { ShowPanel(CVR3GAMEHarbourPanel()); }

void CVR3GAMEHarbourMapPlayerDirectorHuman::SetMoneyTexts() {
    SetText(m_pPanelTexts[kMoneyText], Number(m_iMoney));
    SetText(m_pPanelTexts[kMoneyAddText], Number(m_iAddMoney));
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SetSGUIShipsShop() {
    m_iSelectedShop = -1;
    // Without a shop list nothing can be chosen: nothing to lock.
    if (!m_pShopIcons) return true;
    m_pShopIcons->SetSelected(-1);
    const int32_t n = (m_iStep >= 0 && static_cast<size_t>(m_iStep) < m_stdviShipsToBuy.size())
                          ? m_stdviShipsToBuy[static_cast<size_t>(m_iStep)]
                          : 0;
    const int count = static_cast<int>(m_pShopIcons->m_vItems.size());
    for (int i = 0; i < count; ++i) m_pShopIcons->SetItemLocked(i, i >= n);
    for (size_t i = 0; i < m_stdvShipsTypes.size() && static_cast<int>(i) < count; ++i) {
        const CVR3GAMEShipType* t = m_stdvShipsTypes[i];
        if (!t || t->m_iCount < 0 || static_cast<size_t>(t->m_iCount) >= t->m_stdvNames.size())
            m_pShopIcons->SetItemLocked(static_cast<int>(i), true);
    }
    return static_cast<size_t>(count) == m_stdvShipsTypes.size();
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SelectShopShip(int32_t item) {
    if (!IsShipTypeOnSale(item)) return false;
    m_iSelectedShop = item;
    if (m_pShopIcons && m_pShopIcons->GetSelected() != item) m_pShopIcons->SetSelected(item);
    m_iSelectedOwn = -1;
    if (m_pPlayerShipsIcons) m_pPlayerShipsIcons->SetSelected(-1);
    ShowPanel(HarbourShopShipPanel(*m_stdvShipsTypes[static_cast<size_t>(item)]->m_pInformation, m_iMoney, Words()));
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SelectOwnShip(int32_t item) {
    if (item < 0 || static_cast<size_t>(item) >= m_stdvOwnShips.size()) return false;
    m_iSelectedOwn = item;
    if (m_pPlayerShipsIcons && m_pPlayerShipsIcons->GetSelected() != item) m_pPlayerShipsIcons->SetSelected(item);
    m_iSelectedShop = -1;
    if (m_pShopIcons) m_pShopIcons->SetSelected(-1);
    ShowPanel(HarbourOwnShipPanel(m_stdvOwnShips[static_cast<size_t>(item)], m_iMoney, Words()));
    return true;
}

CVR3GAMEBattleMapShip* CVR3GAMEHarbourMapPlayerDirectorHuman::SelectedOwnShip() const {
    if (m_iSelectedOwn < 0 || static_cast<size_t>(m_iSelectedOwn) >= m_stdvOwnShips.size()) return nullptr;
    return m_stdvOwnShips[static_cast<size_t>(m_iSelectedOwn)];
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SelectAvailableShip(int32_t index) {
    if (!m_pDialogColumnsShips || !m_pDialogColumnsWork) return false;
    const bool valid = index >= 0 && static_cast<size_t>(index) < m_stdvAvailable.size();
    if (m_pAvailableIcons) m_pAvailableIcons->SetSelected(valid ? index : -1);
    for (size_t c = 0; c < 3; ++c) {
        if (m_pColumnIcons[c]) m_pColumnIcons[c]->SetSelected(-1);
        EnableButton(m_pColumnAdd[c], CanColumnAdd(c));
        EnableButton(m_pColumnErase[c], false);
    }
    m_iSelectedAvailable = valid ? index : -1;
    m_iSelectedColumn = -1;
    m_iSelectedColumnIndex = -1;
    return valid;
}

// ---- dialogs in front ----

void CVR3GAMEHarbourMapPlayerDirectorHuman::ShowDialogInFront(CDX9KelSGUIDialog* d) {
    if (!d) return;
    SetScreenDialogVisible(d, true);
    if (CDX9KelSGUIManager* gui = d->GetManager()) gui->BringToFront(d);
    d->LockInput();
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::HideDialog(CDX9KelSGUIDialog* d) {
    if (!d) return;
    d->UnlockInput();
    SetScreenDialogVisible(d, false);
}

// ---- the frame ----

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcGUI() {
    ProcGratuity();
    ProcSelection();
    ProcSGUIShipBuy();
    ProcSGUIShipSell();
    ProcSGUIShipRepair();
    ProcMapMenu();
    ProcColumnsLists();
    ProcColumnAdd();
    ProcColumnErase();
    ProcColumnsMenu();
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcGratuity() {
    if (!m_pDialogGratuity || !m_pDialogGratuity->IsVisible()) return;
    if (Pressed(m_pGratuityOk) && m_GratuityGate.Pass(Now())) HideDialog(m_pDialogGratuity);
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSelection() {
    if (m_pShopIcons) {
        const int s = m_pShopIcons->GetSelected();
        if (s >= 0 && s != m_iSelectedShop) SelectShopShip(s);
    }
    if (m_pPlayerShipsIcons) {
        const int s = m_pPlayerShipsIcons->GetSelected();
        if (s >= 0 && s != m_iSelectedOwn) SelectOwnShip(s);
    }
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipBuy() {
    if (!m_pDialogBuy) return;
    if (!m_pDialogBuy->IsVisible()) {
        if (Pressed(m_pBuy) && m_ShopGate.Pass(Now()) && m_iSelectedShop >= 0) ShowDialogInFront(m_pDialogBuy);
        return;
    }
    if (Pressed(m_pBuyCancel) && m_ShopGate.Pass(Now())) {
        HideDialog(m_pDialogBuy);
        return;
    }
    if (!Pressed(m_pBuyOk) || !m_ShopGate.Pass(Now())) return;
    HideDialog(m_pDialogBuy);
    const int32_t type = m_iSelectedShop;
    const std::vector<CVR3GAMEBattleMapShip*> before = m_stdvOwnShips;
    if (!BuyShipType(type)) {
        // The money stays; the panel shows the type again with what is left.
        if (!SelectShopShip(type)) ClearShipInfo();
        SetMoneyTexts();
        return;
    }
    if (!CreateSGUIPlayerShips()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipBuy() : CreateSGUIPlayerShips() failed\n");
        SetMoneyTexts();
        return;
    }
    // The new ship is the one the list did not hold before.
    int32_t item = -1;
    for (size_t i = 0; i < m_stdvOwnShips.size() && item < 0; ++i)
        if (std::find(before.begin(), before.end(), m_stdvOwnShips[i]) == before.end())
            item = static_cast<int32_t>(i);
    SetSGUIShipsShop();
    if (item < 0 || !SelectOwnShip(item)) ClearShipInfo();
    SetMoneyTexts();
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipSell() {
    if (!m_pDialogSell) return;
    if (!m_pDialogSell->IsVisible()) {
        if (Pressed(m_pSell) && m_ShopGate.Pass(Now()) && SelectedOwnShip()) ShowDialogInFront(m_pDialogSell);
        return;
    }
    if (Pressed(m_pSellCancel) && m_ShopGate.Pass(Now())) {
        HideDialog(m_pDialogSell);
        return;
    }
    if (!Pressed(m_pSellOk) || !m_ShopGate.Pass(Now())) return;
    HideDialog(m_pDialogSell);
    CVR3GAMEBattleMapShip* ship = SelectedOwnShip();
    if (!ship || !SellShip(ship)) return;
    if (!CreateSGUIPlayerShips()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipSell() : CreateSGUIPlayerShips() failed\n");
        SetMoneyTexts();
        return;
    }
    if (!SelectShopShip(0)) ClearShipInfo();
    SetMoneyTexts();
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipRepair() {
    CDX9KelSGUIControlButton* const buttons[2] = {m_pRepair1, m_pRepair2};
    const int32_t percents[2] = {1, 5};
    for (int k = 0; k < 2; ++k) {
        if (!Pressed(buttons[k]) || !m_RepairGate.Pass(Now())) continue;
        CVR3GAMEBattleMapShip* ship = SelectedOwnShip();
        if (!ship) continue;
        RepairShip(ship, percents[k]);
        ShowPanel(HarbourOwnShipPanel(ship, m_iMoney, Words()));
        SetMoneyTexts();
    }
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcMapMenu() {
    if (!m_pDialogMapMenu || !m_pDialogLetMission) return;
    if (!m_pDialogLetMission->IsVisible()) {
        if (!Pressed(m_pNext) || !g_Utils.IsTimePassed(1000)) return;
        PrepareColumns();
        if (m_stdvAvailable.empty()) {
            ShowDialogInFront(m_pDialogLetMission);
            return;
        }
        if (!CreateSGUIColumnsShips())
            g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcMapMenu() : CreateSGUIColumnsShips() failed\n");
        SelectAvailableShip(0);
        if (m_pColumnsScreen && m_pColumnsScreen->GetManager())
            m_pColumnsScreen->GetManager()->SetScreenOf(m_pColumnsScreen);
        return;
    }
    if (Pressed(m_pLetMissionCancel) && m_LetMissionGate.Pass(Now())) {
        HideDialog(m_pDialogLetMission);
        return;
    }
    if (Pressed(m_pLetMissionOk) && m_LetMissionGate.Pass(Now())) {
        HideDialog(m_pDialogLetMission);
        CVR3GAMEManager& manager = CVR3GAMEManager::Get();
        if (!manager.ScenarioFromHarbourToNextHarbour()) manager.ScenarioEnd();
    }
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcColumnsLists() {
    if (m_pAvailableIcons) {
        const int s = m_pAvailableIcons->GetSelected();
        if (s >= 0 && s != m_iSelectedAvailable) SelectAvailableShip(s);
    }
    for (int c = 0; c < 3; ++c) {
        CDX9KelSGUIControlScrollCheckList* list = m_pColumnIcons[c];
        const int s = list ? list->GetSelected() : -1;
        if (s < 0 || (c == m_iSelectedColumn && s == m_iSelectedColumnIndex)) continue;
        m_iSelectedColumn = c;
        m_iSelectedColumnIndex = s;
        for (int k = 0; k < 3; ++k) {
            if (k != c && m_pColumnIcons[k]) m_pColumnIcons[k]->SetSelected(-1);
            EnableButton(m_pColumnAdd[k], false);
            EnableButton(m_pColumnErase[k], k == c);
        }
        if (m_pAvailableIcons) m_pAvailableIcons->SetSelected(-1);
        m_iSelectedAvailable = -1;
        break;
    }
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcColumnAdd() {
    if (m_iSelectedAvailable < 0) return;
    for (size_t c = 0; c < 3; ++c) {
        if (!Pressed(m_pColumnAdd[c]) || !m_ColumnAddGate.Pass(Now())) continue;
        if (m_stdvColumns[c].size() >= COLUMN_SHIPS_MAX) return;
        if (!ColumnAdd(c, static_cast<size_t>(m_iSelectedAvailable))) return;
        if (!CreateSGUIColumnsShips())
            g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcColumnAdd() : CreateSGUIColumnsShips() failed\n");
        m_iSelectedAvailable = -1;
        SelectAvailableShip(0);
        return;
    }
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcColumnErase() {
    if (m_iSelectedColumn < 0 || m_iSelectedColumn > 2 || m_iSelectedColumnIndex < 0) return;
    const int c = m_iSelectedColumn;
    if (!Pressed(m_pColumnErase[c]) || !g_Utils.IsTimePassed(500)) return;
    if (!ColumnErase(static_cast<size_t>(c), static_cast<size_t>(m_iSelectedColumnIndex))) return;
    if (!CreateSGUIColumnsShips())
        g_Log.Write(LOG_ERROR, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcColumnErase() : CreateSGUIColumnsShips() failed\n");
    if (m_stdvColumns[c].empty() || !m_pColumnIcons[c]) {
        SelectAvailableShip(0);
        return;
    }
    // The column's first ship is shown: the column stays current.
    m_pColumnIcons[c]->SetSelected(0);
    m_iSelectedColumnIndex = 0;
    if (m_pAvailableIcons) m_pAvailableIcons->SetSelected(-1);
    m_iSelectedAvailable = -1;
    for (int k = 0; k < 3; ++k) {
        EnableButton(m_pColumnAdd[k], false);
        EnableButton(m_pColumnErase[k], k == c);
    }
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ProcColumnsMenu() {
    if (!m_pDialogFight) return;
    if (!m_pDialogFight->IsVisible()) {
        if (Pressed(m_pColumnsPrev) && m_ColumnsMenuGate.Pass(Now())) {
            if (m_pMapScreen && m_pMapScreen->GetManager()) m_pMapScreen->GetManager()->SetScreenOf(m_pMapScreen);
            m_stdvReserve.clear();
            return;
        }
        if (Pressed(m_pColumnsNext) && m_ColumnsMenuGate.Pass(Now()) && !ColumnsEmpty())
            ShowDialogInFront(m_pDialogFight);
        return;
    }
    if (Pressed(m_pFightCancel) && m_FightGate.Pass(Now())) {
        HideDialog(m_pDialogFight);
        return;
    }
    if (Pressed(m_pFightOk) && m_FightGate.Pass(Now())) {
        HideDialog(m_pDialogFight);
        CVR3GAMEManager::Get().ScenarioFromHarbourToBattle();
    }
}

// ---- leaving the harbour scene ----

void CVR3GAMEHarbourMapPlayerDirectorHuman::TakeShipsOutOfHarbourScene() {
    CDXSceneTree* tree = (m_pScene && m_pHarbourMap && m_pHarbourMap->m_BaseMap.m_iSceneTreeIndex != -1)
                             ? m_pScene->GetSceneTree(m_pHarbourMap->m_BaseMap.m_iSceneTreeIndex)
                             : nullptr;
    if (tree) {
        auto leave = [tree](const std::vector<CVR3GAMEBattleMapShip*>& ships) {
            for (CVR3GAMEBattleMapShip* s : ships) {
                CDX9KelSceneObject* o = s ? s->m_pSceneObject : nullptr;
                if (o && tree->Holds(o)) tree->RemoveSceneObject(o);
            }
        };
        leave(m_stdvOwnShips);
        leave(m_stdvAvailable);
        leave(m_stdvReserve);
        for (const auto& column : m_stdvColumns) leave(column);
        if (m_pPlayer) leave(m_pPlayer->m_stdvHarbourShips);
    }
    m_Berths.FreeAll();
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::ReleaseMapGUI() {
    TakeShipsOutOfHarbourScene();
    m_stdvOwnShips.clear();
    m_stdvAvailable.clear();
    if (m_pPlayerShipsIcons) m_pPlayerShipsIcons->Clear();
    m_iSelectedOwn = -1;
    m_iSelectedAvailable = -1;
}

} // namespace SeaBattle
