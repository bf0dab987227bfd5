#pragma once
// The battle's pause menu: each visit stops the battle clock (and its
// sounds) and the camera's following of the player's input; Continue runs
// them again and goes back to the battle screen of the running scenario.
// A player who comes back to the battle screen by another way (the save
// screen's next screen) finds the battle running as after Continue.
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
    // The battle stands still since this menu stopped it, until its battle
    // screen is shown again.
    bool m_bHolding = false;

private:
    // The battle screen of the running scenario, else of the running duel;
    // empty when neither runs.
    static std::string BattleScreen();
    // What Continue does to the battle: its clock and the camera run again.
    static void Resume();
};

} // namespace SeaBattle
