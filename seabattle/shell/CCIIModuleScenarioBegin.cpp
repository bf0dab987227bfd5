#include "seabattle/shell/CCIIModuleScenarioBegin.h"

#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/ModuleBinding.h"

namespace SeaBattle {

using namespace Vorna3D;

bool CCIIModuleScenarioBegin::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    const ModuleBinding bind("CCIIModuleScenarioBegin", pElement, pScreen);
    if (!bind.Attribute("dialog", m_strDialog) || !bind.Attribute("control", m_strControl) ||
        !bind.Attribute("scenario", m_strScenario))
        return false;
    CDX9KelSGUIDialog* dialog = bind.Dialog(m_strDialog);
    if (!dialog) return false;
    m_pButton = bind.Button(dialog, m_strControl);
    return m_pButton != nullptr;
}

void CCIIModuleScenarioBegin::Proc() {
    if (!m_pScreen || !m_pScreen->IsActive() || !IsPressed(m_pButton)) return;
    CVR3CIIScreenManager* screens = m_pScreen->GetManager();
    if (!screens || !screens->IsSwitchAllowed(kGate)) return;
    CVR3GAMEManager::Get().BeginScenarioFromFile(m_strScenario);
}

} // namespace SeaBattle
