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

void CCIIModuleBattleMapMenu::Proc() {
    if (!m_pScreen) return;
    if (!m_pScreen->IsActive()) {
        m_bPaused = false;
        return;
    }
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    if (IsPressed(m_pButtonContinue) && g_Utils.IsTimePassed(kGate)) {
        // Only a running scenario or duel has a battle screen to go back to;
        // the scenario's comes first.
        std::string battleScreen;
        if (manager.IsScenarioRunning())
            battleScreen = manager.GetScenario()->BattleScreen;
        else if (manager.IsDuelRunning())
            battleScreen = manager.GetDuel()->m_strScreenBattle;
        if (battleScreen.empty() || !map) return;
        CVR3CIIScreenManager* screens = m_pScreen->GetManager();
        if (!screens || !screens->SetScreen(battleScreen.c_str())) return;
        map->SetTimeSpeed(1.0f);
        manager.SetCameraControl(true);
        // The menu is left: the next visit pauses again.
        m_bPaused = false;
        return;
    }
    if (!m_bPaused) {
        if (map) map->SetTimeSpeed(0.0f);
        manager.SetCameraControl(false);
        m_bPaused = true;
    }
}

} // namespace SeaBattle
