// The game map on its screen "map.xml": the binding of the dialogs that a
// loaded map fills (icons with their radio list, the icons' movement flags,
// the turn counter, the global map), the unit icons, the global-map picture,
// the turn text and the flags.
#include "campaign/CDX9KelGameMap.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <cstdio>

namespace VornaCampaign {

using Vorna2::g_Log;

namespace {

constexpr D3DCOLOR kGreen = 0xff50dc78;
constexpr D3DCOLOR kGrey = 0xff969696;
constexpr D3DCOLOR kPink = 0xffff3c5a;

const char* const kSetMapScreen = "Error : CDX9KelGameMap::SetMapScreen : ";

const char* TypeText(int type) {
    switch (type) {
    case Vorna2::GUI_CONTROL_TYPE_SCROLLBAR: return " is not GUI_CONTROL_TYPE_SCROLLBAR\n";
    case Vorna2::GUI_CONTROL_TYPE_STATEBAR: return " is not GUI_CONTROL_TYPE_STATEBAR\n";
    case Vorna2::GUI_CONTROL_TYPE_BUTTON: return " is not GUI_CONTROL_TYPE_BUTTON\n";
    case Vorna2::GUI_CONTROL_TYPE_TEXT: return " is not GUI_CONTROL_TYPE_TEXT\n";
    case Vorna2::GUI_CONTROL_TYPE_RADIOLIST: return " is not GUI_CONTROL_TYPE_RADIOLIST\n";
    case Vorna2::GUI_CONTROL_TYPE_IMAGE: return " is not GUI_CONTROL_TYPE_IMAGE\n";
    case Vorna2::GUI_CONTROL_TYPE_LISTBOX: return " is not GUI_CONTROL_TYPE_LISTBOX\n";
    case Vorna2::GUI_CONTROL_TYPE_EDITBOX: return " is not GUI_CONTROL_TYPE_EDITBOX\n";
    default: return " is not of the expected type\n";
    }
}

// Walks a dialog's controls in file order (parts of other controls skipped),
// a leading image taken as the background; each Take checks the next
// control's type and logs the dialog's own texts when the list ends or the
// type differs.
class ControlWalk {
public:
    ControlWalk(Vorna2::CDX9KelGUIDialog* dialog, const char* endedText, const char* typeText, bool skipBackground)
        : m_pDialog(dialog), m_endedText(endedText), m_typeText(typeText) {
        m_index = dialog->GetNextControl(-1);
        if (skipBackground && Current() && Current()->m_iType == Vorna2::GUI_CONTROL_TYPE_IMAGE)
            m_index = dialog->GetNextControl(m_index);
    }
    template <class T>
    T* Take(int type) {
        Vorna2::CDX9KelGUIControl* c = Current();
        if (!c) {
            g_Log.Write(-1, "%s%s%i%s", kSetMapScreen, m_endedText, m_taken, "\n");
            return nullptr;
        }
        if (c->m_iType != type) {
            g_Log.Write(-1, "%s%s%i%s", kSetMapScreen, m_typeText, m_taken, TypeText(type));
            return nullptr;
        }
        m_index = m_pDialog->GetNextControl(m_index);
        ++m_taken;
        return static_cast<T*>(c);
    }

private:
    Vorna2::CDX9KelGUIControl* Current() const {
        return m_index >= 0 && static_cast<std::size_t>(m_index) < m_pDialog->m_Controls.size()
                   ? m_pDialog->m_Controls[static_cast<std::size_t>(m_index)].get()
                   : nullptr;
    }
    Vorna2::CDX9KelGUIDialog* m_pDialog;
    const char* m_endedText;
    const char* m_typeText;
    int m_index = -1;
    int m_taken = 0;
};

} // namespace

void CDX9KelGameMap::GetIconRectPercent(int i, float* left, float* top, float* right, float* bottom) {
    const float shift = 10.09f * static_cast<float>(i);
    *left = 1.09f + shift;
    *top = 4.16f;
    *right = 9.2f + shift;
    *bottom = 97.5f;
}

bool CDX9KelGameMap::SetMapScreen(Vorna2::CDX9KelCIIScreen* screen) {
    if (!screen) return false;
    g_Log.Write(7, "CDX9KelGameMap::SetMapScreen\n");
    m_pMapScreen = screen;
    const auto& entries = screen->GetEntries();
    if (entries.empty()) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::SetMapScreen : Map Screen is not loaded\n");
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i]->name;
        Vorna2::CDX9KelGUIDialog* dialog = screen->GetDialog(static_cast<int>(i));
        if (name == "Icons") {
            m_pIconsDlg = dialog;
            m_pIconsRadioList = nullptr;
            if (!dialog) {
                g_Log.Write(-1, "%sMap Screen Icons Dialog is not loaded\n", kSetMapScreen);
                return false;
            }
            ControlWalk walk(dialog, "Icons Dialog ended on Control :", "Icons Dialog Control ", true);
            m_pIconsRadioList = walk.Take<Vorna2::CDX9KelGUIRadioList>(Vorna2::GUI_CONTROL_TYPE_RADIOLIST);
            if (!m_pIconsRadioList) {
                m_pIconsDlg = nullptr;
                return false;
            }
        } else if (name == "IconsFlags") {
            m_pIconsFlagsDlg = dialog;
            for (Vorna2::CDX9KelGUIImage*& flag : m_pIconFlags) flag = nullptr;
            if (!dialog) {
                g_Log.Write(-1, "%sMap Screen Flags Icons Dialog is not loaded\n", kSetMapScreen);
                return false;
            }
            // Fewer than ten controls: refused without a line.
            int count = 0;
            for (int c = dialog->GetNextControl(-1); c >= 0; c = dialog->GetNextControl(c)) ++count;
            if (count < kMaxIcons) {
                m_pIconsFlagsDlg = nullptr;
                return false;
            }
            ControlWalk walk(dialog, "Flags Icons Dialog ended on Control :", "Flags Icons Dialog Control ", false);
            for (Vorna2::CDX9KelGUIImage*& flag : m_pIconFlags) {
                flag = walk.Take<Vorna2::CDX9KelGUIImage>(Vorna2::GUI_CONTROL_TYPE_IMAGE);
                if (!flag) {
                    m_pIconsFlagsDlg = nullptr;
                    return false;
                }
            }
        } else if (name == "MapControl") {
            m_pMapControlDlg = dialog;
            m_pTurnText = nullptr;
            if (!dialog) {
                g_Log.Write(-1, "%sMap Screen Control Dialog is not loaded\n", kSetMapScreen);
                return false;
            }
            ControlWalk walk(dialog, "Map Control Dialog ended on Control :", "Map Control Dialog Control ", true);
            m_pTurnText = walk.Take<Vorna2::CDX9KelGUIText>(Vorna2::GUI_CONTROL_TYPE_TEXT);
            Vorna2::CDX9KelGUIButton* endTurn =
                m_pTurnText ? walk.Take<Vorna2::CDX9KelGUIButton>(Vorna2::GUI_CONTROL_TYPE_BUTTON) : nullptr;
            Vorna2::CDX9KelGUIButton* globalMap =
                endTurn ? walk.Take<Vorna2::CDX9KelGUIButton>(Vorna2::GUI_CONTROL_TYPE_BUTTON) : nullptr;
            Vorna2::CDX9KelGUIButton* menu =
                globalMap ? walk.Take<Vorna2::CDX9KelGUIButton>(Vorna2::GUI_CONTROL_TYPE_BUTTON) : nullptr;
            if (!menu) {
                m_pMapControlDlg = nullptr;
                m_pTurnText = nullptr;
                return false;
            }
            m_pEndTurnButton = endTurn;
            m_pGlobalMapButton = globalMap;
            m_pMenuButton = menu;
        } else if (name == "GlobalMap") {
            m_pGlobalMapDlg = dialog;
            if (!dialog) {
                g_Log.Write(-1, "%sMap Screen Global Map Dialog is not loaded\n", kSetMapScreen);
                return false;
            }
        }
    }
    return true;
}

bool CDX9KelGameMap::ResetIconsDialog() {
    Vorna2::CDX9KelGUIManager* gui = m_pScene ? Vorna2::GetGUIManager(m_pScene) : nullptr;
    if (!gui || !m_pIconsDlg) return false;
    m_pIconsRadioList = nullptr;
    // The background image stays; every other control goes.
    std::vector<int> ids;
    const int first = m_pIconsDlg->GetNextControl(-1);
    for (const auto& c : m_pIconsDlg->m_Controls)
        if (!(c->m_iType == Vorna2::GUI_CONTROL_TYPE_IMAGE && first >= 0 && c.get() == m_pIconsDlg->m_Controls[first].get()))
            ids.push_back(c->m_iID);
    for (int id : ids) m_pIconsDlg->DeleteControl(id);
    Vorna2::CDX9KelGUIRadioList* list = nullptr;
    if (FAILED(gui->AddRadioList(m_pIconsDlg->m_iID, true, &list)) || !list) return false;
    m_pIconsRadioList = list;
    return true;
}

void CDX9KelGameMap::SetMapControlDlgData() {
    if (!m_pTurnText) return;
    char text[64];
    std::snprintf(text, sizeof text, "%i/%i", static_cast<int>(m_Turn.m_uRound), static_cast<int>(m_Turn.m_uRoundsCount));
    m_pTurnText->SetText(text);
}

void CDX9KelGameMap::SetIconsFlagsDlg() {
    if (!m_pIconsFlagsDlg) return;
    const std::size_t units = m_pPlayerGameObjects ? m_pPlayerGameObjects->size() : 0;
    for (int i = 0; i < kMaxIcons; ++i) {
        Vorna2::CDX9KelGUIImage* flag = m_pIconFlags[i];
        if (!flag) continue;
        const GameObjectRecord* unit =
            static_cast<std::size_t>(i) < units ? (*m_pPlayerGameObjects)[static_cast<std::size_t>(i)] : nullptr;
        GameColumnRecord* column = unit ? unit->m_pColumn : nullptr;
        flag->m_bVisible = column != nullptr;
        if (!column) continue;
        // The active flag of the float record: cleared for a stranded ship.
        const bool stranded = unit && unit->m_pMovementState && !unit->m_pMovementState->m_bCanSink;
        if (stranded)
            flag->SetColor(kGrey);
        else
            flag->SetColor(m_Turn.IsColumnFinished(column->m_fTimeUsed) ? kPink : kGreen);
    }
}

void CDX9KelGameMap::MoveUnitToBack(GameMapSide& side, std::size_t index) {
    auto move = [index](auto& list) {
        if (index >= list.size()) return;
        auto value = list[index];
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
        list.push_back(value);
    };
    move(side.m_SceneObjects);
    move(side.m_GameObjects);
    move(side.m_AnimatedModels);
}

bool CDX9KelGameMap::CreateIcons() {
    if (m_iPlayerSide != 1 && m_iPlayerSide != 2) return false;
    GameMapSide& side = Side(m_iPlayerSide);
    if (side.m_GameObjects.size() > static_cast<std::size_t>(kMaxPlayerObjects)) {
        g_Log.Write(-1, "Error : CDX9KelGameMap::CreateIcons() : number of player objects exceeds 10\n");
        return false;
    }
    Vorna2::CDX9KelGUIManager* gui = m_pScene ? Vorna2::GetGUIManager(m_pScene) : nullptr;
    if (!gui || !m_pIconsDlg || !m_pIconsRadioList) return false;
    // The forts go behind the ships, both keeping their order.
    std::size_t mobile = 0;
    const std::size_t count = side.m_GameObjects.size();
    for (std::size_t walked = 0, i = 0; walked < count; ++walked) {
        GameObjectRecord* unit = side.m_GameObjects[i];
        if (!unit || !unit->m_pMovement) {
            MoveUnitToBack(side, i);
            continue;
        }
        if (static_cast<int>(mobile) < kMaxIcons) {
            float l, t, r, b;
            GetIconRectPercent(static_cast<int>(mobile), &l, &t, &r, &b);
            const RECT& d = m_pIconsDlg->m_Rect;
            const Vorna2::FRECT parent{static_cast<float>(d.left), static_cast<float>(d.top), static_cast<float>(d.right),
                               static_cast<float>(d.bottom)};
            const Vorna2::FRECT px = Vorna2::CDX9KelUtils::GetRectFromPercents(parent, l, t, r, b);
            const char* icon = unit->m_pTexts ? unit->m_pTexts->m_szIcon : "";
            const std::size_t before = m_pIconsDlg->m_Controls.size();
            const HRESULT hr =
                gui->AddCheckButton(m_pIconsDlg->m_iID, nullptr, nullptr, -1, std::string(), 0xFFFFFFFF, icon, nullptr,
                                    static_cast<int>(px.left), static_cast<int>(px.top), static_cast<int>(px.right),
                                    static_cast<int>(px.bottom));
            auto* button = FAILED(hr) || m_pIconsDlg->m_Controls.size() == before
                               ? nullptr
                               : dynamic_cast<Vorna2::CDX9KelGUICheckButton*>(m_pIconsDlg->m_Controls.back().get());
            if (!button || m_pIconsRadioList->AddButton(button) < 0)
                g_Log.Write(-1, "Error : CDX9KelGameMap::CreateIcons() : not create Icon: %s\n", icon);
        }
        ++mobile;
        ++i;
    }
    return true;
}

bool CDX9KelGameMap::CreateGlobalMap() {
    Vorna2::CDX9KelGUIManager* gui = m_pScene ? Vorna2::GetGUIManager(m_pScene) : nullptr;
    if (!gui || !m_pGlobalMapDlg) return false;
    if (m_iGlobalMapImage >= 0) m_pGlobalMapDlg->DeleteControl(m_iGlobalMapImage);
    m_iGlobalMapImage = -1;
    const RECT& r = m_pGlobalMapDlg->m_Inner;
    const std::size_t before = m_pGlobalMapDlg->m_Controls.size();
    const HRESULT hr = gui->AddImage(m_pGlobalMapDlg->m_iID, m_Params.m_szMapTexture.c_str(), nullptr, nullptr,
                                     0xFFFFFFFF, false, r.left, r.top, r.right, r.bottom);
    if (FAILED(hr) || m_pGlobalMapDlg->m_Controls.size() == before) return false;
    // Behind the dialog's other controls (the unit markers lie on it).
    m_iGlobalMapImage = m_pGlobalMapDlg->m_Controls.back()->m_iID;
    m_pGlobalMapDlg->MoveControlToFront(m_iGlobalMapImage);
    return true;
}

} // namespace VornaCampaign
