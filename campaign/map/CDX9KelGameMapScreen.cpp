// The game map on its screen "map.xml": the binding of the dialogs that a
// loaded map fills (icons with their radio list, the icons' movement flags,
// the turn counter, the global map), the unit icons, the global-map picture,
// the turn text and the flags.
#include "campaign/map/CDX9KelGameMap.h"

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

void CDX9KelGameMap::GetIconRectPercent(int i, float* left, float* top, float* right, float* bottom) {
    const float shift = 10.09f * static_cast<float>(i);
    *left = 1.09f + shift;
    *top = 4.16f;
    *right = 9.2f + shift;
    *bottom = 97.5f;
}

bool CDX9KelGameMap::SetMapScreen(Vorna2::CDX9KelCIIScreen* screen) {
    Vorna2::CDX9KelGUIManager* gui = m_pScene ? Vorna2::GetGUIManager(m_pScene) : nullptr;
    const bool bound = m_MapScreen.Bind(screen, gui);
    HandTextsToScreen();
    return bound;
}

void CDX9KelGameMap::HandTextsToScreen() {
    for (int i = 0; i < 5; ++i) m_MapScreen.m_sDamage[i] = m_szDamageText[i];
    m_MapScreen.m_sAccuracy = m_szAccuracyText;
    m_MapScreen.m_sHandicap = m_szHandicapText;
    m_MapScreen.m_sGlobalMapUnitDesc = m_szGlobalMapUnitDescText;
}

bool CDX9KelGameMap::ResetIconsDialog() {
    Vorna2::CDX9KelGUIManager* gui = m_pScene ? Vorna2::GetGUIManager(m_pScene) : nullptr;
    Vorna2::CDX9KelGUIDialog* icons = m_MapScreen.m_Icons.m_pDialog;
    if (!gui || !icons) return false;
    m_MapScreen.m_pIconList = nullptr;
    // The background image stays; every other control goes.
    std::vector<int> ids;
    const int first = icons->GetNextControl(-1);
    for (std::size_t i = 0; i < icons->m_Controls.size(); ++i) {
        const Vorna2::CDX9KelGUIControl* c = icons->m_Controls[i].get();
        if (static_cast<int>(i) == first && c->m_iType == Vorna2::GUI_CONTROL_TYPE_IMAGE) continue;
        ids.push_back(c->m_iID);
    }
    for (int id : ids) icons->DeleteControl(id);
    Vorna2::CDX9KelGUIRadioList* list = nullptr;
    if (FAILED(gui->AddRadioList(icons->m_iID, true, &list)) || !list) return false;
    m_MapScreen.m_pIconList = list;
    return true;
}

void CDX9KelGameMap::SetMapControlDlgData() { m_MapScreen.SetTurnText(m_Turn.m_uRound, m_Turn.m_uRoundsCount); }

void CDX9KelGameMap::SetIconsFlagsDlg() {
    std::vector<int> flags;
    const std::size_t units = m_pPlayerGameObjects ? m_pPlayerGameObjects->size() : 0;
    for (std::size_t i = 0; i < units && i < static_cast<std::size_t>(kMaxIcons); ++i) {
        const GameObjectRecord* unit = (*m_pPlayerGameObjects)[i];
        const GameColumnRecord* column = unit ? unit->m_pColumn : nullptr;
        if (!column)
            flags.push_back(ICON_FLAG_HIDDEN);
        // The float record's active flag (shared with the physical manager)
        // is cleared for a stranded ship.
        else if (unit->m_pMovementState && !unit->m_pMovementState->m_bCanSink)
            flags.push_back(ICON_FLAG_STRANDED);
        else
            flags.push_back(m_Turn.IsColumnFinished(column->m_fTimeUsed) ? ICON_FLAG_MOVED : ICON_FLAG_CAN_MOVE);
    }
    m_MapScreen.SetIconFlags(flags);
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
    Vorna2::CDX9KelGUIDialog* icons = m_MapScreen.m_Icons.m_pDialog;
    Vorna2::CDX9KelGUIRadioList* iconList = m_MapScreen.m_pIconList;
    if (!gui || !icons || !iconList) return false;
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
            const RECT& d = icons->m_Rect;
            const Vorna2::FRECT parent{static_cast<float>(d.left), static_cast<float>(d.top), static_cast<float>(d.right),
                               static_cast<float>(d.bottom)};
            const Vorna2::FRECT px = Vorna2::CDX9KelUtils::GetRectFromPercents(parent, l, t, r, b);
            const char* icon = unit->m_pTexts ? unit->m_pTexts->m_szIcon : "";
            const std::size_t before = icons->m_Controls.size();
            const HRESULT hr =
                gui->AddCheckButton(icons->m_iID, nullptr, nullptr, -1, std::string(), 0xFFFFFFFF, icon, nullptr,
                                    static_cast<int>(px.left), static_cast<int>(px.top), static_cast<int>(px.right),
                                    static_cast<int>(px.bottom));
            auto* button = FAILED(hr) || icons->m_Controls.size() == before
                               ? nullptr
                               : dynamic_cast<Vorna2::CDX9KelGUICheckButton*>(icons->m_Controls.back().get());
            if (!button || iconList->AddButton(button) < 0)
                g_Log.Write(-1, "Error : CDX9KelGameMap::CreateIcons() : not create Icon: %s\n", icon);
        }
        ++mobile;
        ++i;
    }
    return true;
}

bool CDX9KelGameMap::CreateGlobalMap() {
    Vorna2::CDX9KelGUIManager* gui = m_pScene ? Vorna2::GetGUIManager(m_pScene) : nullptr;
    Vorna2::CDX9KelGUIDialog* chart = m_MapScreen.m_GlobalMap.m_pDialog;
    if (!gui || !chart) return false;
    if (m_iGlobalMapImage >= 0) chart->DeleteControl(m_iGlobalMapImage);
    m_iGlobalMapImage = -1;
    const RECT& r = chart->m_Inner;
    const std::size_t before = chart->m_Controls.size();
    const HRESULT hr = gui->AddImage(chart->m_iID, m_Params.m_szMapTexture.c_str(), nullptr, nullptr,
                                     0xFFFFFFFF, false, r.left, r.top, r.right, r.bottom);
    if (FAILED(hr) || chart->m_Controls.size() == before) return false;
    // Behind the dialog's other controls (the unit markers lie on it).
    m_iGlobalMapImage = chart->m_Controls.back()->m_iID;
    chart->MoveControlToFront(m_iGlobalMapImage);
    return true;
}

} // namespace VornaCampaign
