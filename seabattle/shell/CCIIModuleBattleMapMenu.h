#pragma once
// The battle's pause menu: each visit stops the battle clock (and its
// sounds) and the camera's following of the player's input; Continue runs
// them again and goes back to the battle screen of the running scenario.
#include <string>

#include "engine3/ui/screens/CVR3CIIModule.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelSGUIControlButton;
}

namespace SeaBattle {

class CCIIModuleBattleMapMenu : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "BattleMapMenu";
    static constexpr DWORD kGate = 500;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialog;
    std::string m_strButtonContinue;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonContinue = nullptr;
    bool m_bPaused = false;
};

} // namespace SeaBattle
