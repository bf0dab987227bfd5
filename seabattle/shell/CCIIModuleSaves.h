#pragma once
// The screen modules of the saves and the duel: the load and save screens
// (the save list with each save's summary, a confirmation dialog), the
// duel's start button, its battle results and its end with the score.
#include <string>
#include <vector>

#include "engine3/ui/screens/CVR3CIIModule.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelSGUIDialog;
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlEditBox;
class CDX9KelSGUIControlListBox;
class CDX9KelSGUIText;
} // namespace Vorna3D

namespace SeaBattle {

// The duel's start: its button begins the duel file on the loading screen.
class CCIIModuleDuelLoad : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "DuelLoad";
    static constexpr DWORD kGate = 1000;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialog, m_strControl, m_strDuel, m_strLoadScreen;
    Vorna3D::CDX9KelSGUIControlButton* m_pButton = nullptr;
};

// The duel's battle results: once per visit each side's ships lost by level
// and its loss goes to the duel; Next goes on to the duel's end.
class CCIIModuleDuelBattleResults : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "DuelBattleResults";
    static constexpr DWORD kGate = 1000;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialogNext, m_strControlNext, m_strPlayer1, m_strPlayer2, m_strDialogPlayers,
        m_strControlPlayer1, m_strControlPlayer2;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonNext = nullptr;
    std::vector<Vorna3D::CDX9KelSGUIText*> m_stdvPlayer1Types;
    std::vector<Vorna3D::CDX9KelSGUIText*> m_stdvPlayer2Types;
    bool m_bShown = false;

private:
    bool ShowPlayer(const std::string& name, const std::vector<Vorna3D::CDX9KelSGUIText*>& texts,
                    const char* listName);
};

// The duel's end: once per visit the duel's score; the end button goes on.
class CCIIModuleDuelEnd : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "DuelEnd";
    static constexpr DWORD kGate = 1000;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialog, m_strButtonEnd, m_strTextResult, m_strNextScreen;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonEnd = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pTextResult = nullptr;
    bool m_bShown = false;
};

// The load screen; the save screen adds the edit box of the save's name.
class CCIIModuleGameLoad : public Vorna3D::CVR3CIIModule {
public:
    static constexpr const char* kElementName = "GameLoad";
    // The load and save buttons share one 500 ms gate.
    static constexpr DWORD kButtonGate = 500;

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strDialog, m_strButton, m_strTextTime, m_strTextScenario, m_strTextPlayer, m_strListSaves,
        m_strDialogCheck, m_strButtonOK, m_strButtonCancel;
    Vorna3D::CDX9KelSGUIControlButton* m_pButton = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pTextTime = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pTextScenario = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pTextPlayer = nullptr;
    Vorna3D::CDX9KelSGUIControlListBox* m_pList = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogCheck = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonOK = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pButtonCancel = nullptr;
    int m_iSelected = -1;
    bool m_bShown = false;

protected:
    // The binding both screens share; `className` heads the messages.
    bool BindCommon(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen, const char* className,
                    const char* dialogAttribute, const char* buttonAttribute);
    // Steps 1-3: the list once per visit, the summary of a new selection.
    // False while the screen is not active.
    bool ProcList();
    // The shared 500 ms gate of the two screens' buttons.
    static bool ButtonGate();
    void HideCheck();
    void ShowCheck();
    virtual void OnSelection(int index);
};

class CCIIModuleGameSave : public CCIIModuleGameLoad {
public:
    static constexpr const char* kElementName = "GameSave";

    bool Init(const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen) override;
    void Proc() override;

    std::string m_strEditBox, m_strNextScreen;
    Vorna3D::CDX9KelSGUIControlEditBox* m_pEditBox = nullptr;

protected:
    void OnSelection(int index) override;
};

} // namespace SeaBattle
