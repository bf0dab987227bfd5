#pragma once
// The main menu's start button: a press begins the scenario the module
// element names, behind the screen manager's switch gate (a held button
// begins it once).
#include <string>

#include "engine3/ui/screens/CVR3CIIModule.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelSGUIControlButton;
}

namespace SeaBattle {

class CCIIModuleScenarioBegin : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "BeginScenario";
    static constexpr DWORD kGate = 1000;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialog;
    std::string m_strControl;
    std::string m_strScenario;
    Vorna3D::CDX9KelSGUIControlButton* m_pButton = nullptr;
};

} // namespace SeaBattle
