#pragma once
// The campaign's screen modules and the manager that makes them by the
// element name of a screen file's "Modules" list: "Logo" (a screen that goes
// on by time, click or key), "Scenario" (the button that starts the
// scenario) and "LoadGame" (the dialog listing the saves).
#include "campaign/save/GameSaveFile.h"
#include "campaign/shell/DialogControls.h"
#include "engine2/ui/screens/CDX9KelCIIModuleManager.h"
#include "platform/os/WinTypes.h"

#include <string>

namespace Vorna2 {
class CDX9KelGUIButton;
class CDX9KelGUIDialog;
class CDX9KelGUIListBox;
class CDX9KelGUIText;
} // namespace Vorna2

namespace VornaCampaign {

class CCIIModuleManager : public Vorna2::CDX9KelCIIModuleManager {
public:
    // A module whose binding fails is logged and left out; an element of
    // another name is ignored. False only when a module cannot be made.
    bool AddModule(const TiXmlElement* element, Vorna2::CDX9KelCIIScreen* screen) override;
    bool Init() override { return true; }
};

class CCIIModuleLogo : public Vorna2::CDX9KelCIIModule {
public:
    // The left button's press stamp shared by every logo screen, so one
    // press goes on by one screen only.
    static DWORD s_dwPressStamp;
    static constexpr DWORD kPressGapMs = 200;

    bool Init(const TiXmlElement* element, Vorna2::CDX9KelCIIScreen* screen) override;
    void Proc() override;

    Vorna2::CDX9KelCIIScreen* m_pScreen = nullptr;
    int m_iTime = 0;
    std::string m_strNext;
    // When the screen was first shown; 0 until then, never reset.
    DWORD m_dwStart = 0;
};

class CCIIModuleScenario : public Vorna2::CDX9KelCIIModule {
public:
    bool Init(const TiXmlElement* element, Vorna2::CDX9KelCIIScreen* screen) override;
    void Proc() override;

    Vorna2::CDX9KelCIIScreen* m_pScreen = nullptr;
    std::string m_strFile;
    Vorna2::CDX9KelGUIButton* m_pStartButton = nullptr;
};

class CCIIModuleLoadGame : public Vorna2::CDX9KelCIIModule {
public:
    static constexpr DWORD kLoadGapMs = 500;

    bool Init(const TiXmlElement* element, Vorna2::CDX9KelCIIScreen* screen) override;
    void Proc() override;

    Vorna2::CDX9KelCIIScreen* m_pScreen = nullptr;
    Vorna2::CDX9KelGUIDialog* m_pGUILoadDialog = nullptr;
    Vorna2::CDX9KelGUIListBox* m_pSaveList = nullptr;
    Vorna2::CDX9KelGUIButton* m_pLoadButton = nullptr;
    Vorna2::CDX9KelGUIText* m_pTimeText = nullptr;
    Vorna2::CDX9KelGUIText* m_pStateText = nullptr;
    Vorna2::CDX9KelGUIText* m_pMapText = nullptr;
    Vorna2::CDX9KelGUIText* m_pTurnText = nullptr;
    int m_iSelected = -1;
    bool m_bFilled = false;
    GameSaveHeader m_Header;

private:
    void ShowHeader(int index);
};

} // namespace VornaCampaign
