#include "seabattle/shell/CCIIModuleScenarioEnd.h"

#include <cstdio>

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/shell/ModuleBinding.h"

namespace SeaBattle {

using namespace Vorna3D;

bool CCIIModuleScenarioEnd::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    const ModuleBinding bind("CCIIModuleScenarioBattleResults", pElement, pScreen);
    if (!bind.Attribute("Dialog", m_strDialog) || !bind.Attribute("ButtonEnd", m_strButtonEnd) ||
        !bind.Attribute("TextResult", m_strTextResult) || !bind.Attribute("NextScreen", m_strNextScreen))
        return false;
    CDX9KelSGUIDialog* dialog = bind.Dialog(m_strDialog);
    if (!dialog) return false;
    m_pButtonEnd = bind.Button(dialog, m_strButtonEnd);
    if (!m_pButtonEnd) return false;
    m_pTextResult = bind.Text(dialog, m_strTextResult);
    return m_pTextResult != nullptr;
}

void CCIIModuleScenarioEnd::Proc() {
    if (!m_pScreen) return;
    if (!m_pScreen->IsActive()) {
        m_bShown = false;
        return;
    }
    if (IsPressed(m_pButtonEnd) && g_Utils.IsTimePassed(kGate)) {
        if (CVR3CIIScreenManager* screens = m_pScreen->GetManager()) screens->SetScreen(m_strNextScreen.c_str());
        return;
    }
    if (m_bShown) return;
    m_bShown = true;
    const CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (!manager.IsScenarioRunning()) return;
    char line[16];
    std::snprintf(line, sizeof line, "%i%s", static_cast<int>(manager.GetScenario()->GetScore()), "%");
    m_pTextResult->SetText(line);
}

} // namespace SeaBattle
