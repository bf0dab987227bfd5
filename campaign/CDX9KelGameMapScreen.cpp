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
    m_pMapScreen = screen;
    Vorna2::CDX9KelGUIManager* gui = screen->m_pManager ? screen->m_pManager->m_pGUIManager : nullptr;
    const bool bound = m_MapScreen.Bind(screen, gui);
    // The loading's own view of the dialogs it fills.
    m_pIconsDlg = m_MapScreen.m_Icons.m_pDialog;
    m_pIconsRadioList = m_MapScreen.m_pIconList;
    m_pIconsFlagsDlg = m_MapScreen.m_IconsFlags.m_pDialog;
    for (int i = 0; i < kMaxIcons; ++i) m_pIconFlags[i] = m_MapScreen.m_pIconFlags[i];
    m_pMapControlDlg = m_MapScreen.m_MapControl.m_pDialog;
    m_pTurnText = m_MapScreen.m_pTurnText;
    m_pEndTurnButton = m_MapScreen.m_pEndTurn;
    m_pGlobalMapButton = m_MapScreen.m_pGlobalMapButton;
    m_pMenuButton = m_MapScreen.m_pMenuButton;
    m_pGlobalMapDlg = m_MapScreen.m_GlobalMap.m_pDialog;
    return bound;
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
