#pragma once
// The results of a scenario battle: once per visit each side's losses per
// ship kind go into the text controls of its dialog and its lost value into
// the scenario; Next goes on to the next harbour, or to the scenario's end
// when there is no further step.
#include <string>
#include <vector>

#include "engine3/ui/screens/CVR3CIIModule.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelSGUIControlButton;
class CDX9KelSGUIText;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapPlayer;

class CCIIModuleScenarioBattleResults : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "ScenarioBattleResults";
    static constexpr DWORD kGate = 1000;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialogNext;
    std::string m_strControlNext;
    std::string m_strPlayer1;
    std::string m_strPlayer2;
    std::string m_strDialogPlayer1;
    std::string m_strDialogPlayer2;
    std::string m_strControlPlayer;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonNext = nullptr;
    // The count texts of each side, in dialog order.
    std::vector<Vorna3D::CDX9KelSGUIText*> m_stdvPlayer1Types;
    std::vector<Vorna3D::CDX9KelSGUIText*> m_stdvPlayer2Types;
    bool m_bShown = false;

private:
    // One side's counts and loss; false (logged) when the side cannot be shown.
    bool ShowPlayer(const std::string& name, const std::vector<Vorna3D::CDX9KelSGUIText*>& texts,
                    const char* listName);
};

} // namespace SeaBattle
