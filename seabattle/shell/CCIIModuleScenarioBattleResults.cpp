#include "seabattle/shell/CCIIModuleScenarioBattleResults.h"

#include <cstdio>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/shell/ModuleBinding.h"

namespace SeaBattle {

using namespace Vorna3D;

namespace {

constexpr const char* kClass = "CCIIModuleScenarioBattleResults";

// Every text control of the dialog with that name, in dialog order.
std::vector<CDX9KelSGUIText*> TextsNamed(const CDX9KelSGUIDialog* pDialog, const std::string& name) {
    std::vector<CDX9KelSGUIText*> texts;
    for (CDX9KelSGUIBaseControl* c : pDialog->m_vControls)
        if (auto* t = dynamic_cast<CDX9KelSGUIText*>(c); t && t->GetName() == name) texts.push_back(t);
    return texts;
}

} // namespace

bool CCIIModuleScenarioBattleResults::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    const ModuleBinding bind(kClass, pElement, pScreen);
    if (!bind.Attribute("DialogNext", m_strDialogNext) || !bind.Attribute("ControlNext", m_strControlNext) ||
        !bind.Attribute("Player1", m_strPlayer1) || !bind.Attribute("Player2", m_strPlayer2) ||
        !bind.Attribute("DialogPlayer1", m_strDialogPlayer1) || !bind.Attribute("DialogPlayer2", m_strDialogPlayer2) ||
        !bind.Attribute("ControlPlayer", m_strControlPlayer))
        return false;
    CDX9KelSGUIDialog* next = bind.Dialog(m_strDialogNext);
    if (!next) return false;
    m_pButtonNext = bind.Button(next, m_strControlNext);
    if (!m_pButtonNext) return false;
    CDX9KelSGUIDialog* player1 = bind.Dialog(m_strDialogPlayer1);
    if (!player1) return false;
    CDX9KelSGUIDialog* player2 = bind.Dialog(m_strDialogPlayer2);
    if (!player2) return false;
    m_stdvPlayer1Types = TextsNamed(player1, m_strControlPlayer);
    m_stdvPlayer2Types = TextsNamed(player2, m_strControlPlayer);
    return true;
}

bool CCIIModuleScenarioBattleResults::ShowPlayer(const std::string& name, const std::vector<CDX9KelSGUIText*>& texts,
                                                 const char* listName) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    CVR3GAMEBattleMapPlayer* player = map ? map->GetPlayer(&name) : nullptr;
    if (!player) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CCIIModuleScenarioBattleResults::Proc() : not found battle map player : ",
                    name.c_str(), "\n");
        return false;
    }
    const std::vector<uint32_t>& counts = player->m_stdvLossesByLevel;
    if (counts.size() != texts.size()) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CCIIModuleScenarioBattleResults::Proc() : size != ", listName,
                    ".size() \n");
        return false;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "%i", static_cast<int>(counts[i]));
        texts[i]->SetText(line);
    }
    if (CVR3GAMEScenario* scenario = manager.GetScenario()) scenario->AddLoss(name.c_str(), player->m_uLostValue);
    return true;
}

void CCIIModuleScenarioBattleResults::Proc() {
    if (!m_pScreen) return;
    if (!m_pScreen->IsActive()) {
        m_bShown = false;
        return;
    }
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (!manager.IsScenarioRunning()) return;
    if (IsPressed(m_pButtonNext) && g_Utils.IsTimePassed(kGate)) {
        if (!manager.ScenarioFromBattleToHarbour()) manager.ScenarioEnd();
        return;
    }
    if (m_bShown) return;
    // Shown once per visit, whatever the outcome, so a loss is counted once.
    m_bShown = true;
    if (ShowPlayer(m_strPlayer1, m_stdvPlayer1Types, "m_stdvPlayer1Types"))
        ShowPlayer(m_strPlayer2, m_stdvPlayer2Types, "m_stdvPlayer2Types");
}

} // namespace SeaBattle
