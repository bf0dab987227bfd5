#pragma once
// The end of a scenario: once per visit the text shows the scenario's score
// in percent; the end button goes on to the screen the element names.
#include <string>

#include "engine3/ui/screens/CVR3CIIModule.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelSGUIControlButton;
class CDX9KelSGUIText;
} // namespace Vorna3D

namespace SeaBattle {

class CCIIModuleScenarioEnd : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "ScenarioEnd";
    static constexpr DWORD kGate = 1000;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialog;
    std::string m_strButtonEnd;
    std::string m_strTextResult;
    std::string m_strNextScreen;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonEnd = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pTextResult = nullptr;
    bool m_bShown = false;
};

} // namespace SeaBattle
