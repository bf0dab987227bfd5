#include "seabattle/shell/CCIIModuleBattleMapMenu.h"

#include <string>

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/shell/ModuleBinding.h"

namespace SeaBattle {

using namespace Vorna3D;

bool CCIIModuleBattleMapMenu::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    const ModuleBinding bind("CCIIModuleScenarioBattleResults", pElement, pScreen);
    if (!bind.Attribute("Dialog", m_strDialog) || !bind.Attribute("ButtonContinue", m_strButtonContinue)) return false;
    CDX9KelSGUIDialog* dialog = bind.Dialog(m_strDialog);
    if (!dialog) return false;
    m_pButtonContinue = bind.Button(dialog, m_strButtonContinue);
    return m_pButtonContinue != nullptr;
}

std::string CCIIModuleBattleMapMenu::BattleScreen() {
    // Only a running scenario or duel has a battle screen to go back to;
    // the scenario's comes first.
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (manager.IsScenarioRunning()) return manager.GetScenario()->BattleScreen;
    if (manager.IsDuelRunning()) return manager.GetDuel()->m_strScreenBattle;
    return {};
}

void CCIIModuleBattleMapMenu::Resume() {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (CVR3GAMEBattleMap* map = manager.GetBattleMap()) map->SetTimeSpeed(1.0f);
    manager.SetCameraControl(true);
}

void CCIIModuleBattleMapMenu::Proc() {
    if (!m_pScreen) return;
    if (!m_pScreen->IsActive()) {
        m_bPaused = false;
        if (m_bHolding) {
            CVR3CIIScreenManager* screens = m_pScreen->GetManager();
            const CVR3CIIScreen* current = screens ? screens->GetCurrentScreen() : nullptr;
            const std::string battle = BattleScreen();
            if (current && !battle.empty() && current->GetName() == battle) {
                Resume();
                m_bHolding = false;
            }
        }
        return;
    }
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    if (IsPressed(m_pButtonContinue) && g_Utils.IsTimePassed(kGate)) {
        const std::string battleScreen = BattleScreen();
        if (battleScreen.empty() || !map) return;
        CVR3CIIScreenManager* screens = m_pScreen->GetManager();
        if (!screens || !screens->SetScreen(battleScreen.c_str())) return;
        Resume();
        // The menu is left: the next visit pauses again.
        m_bPaused = false;
        m_bHolding = false;
        return;
    }
    if (!m_bPaused) {
        if (map) map->SetTimeSpeed(0.0f);
        manager.SetCameraControl(false);
        m_bPaused = true;
        m_bHolding = true;
    }
}

} // namespace SeaBattle
