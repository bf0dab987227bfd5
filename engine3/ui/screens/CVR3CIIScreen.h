#pragma once
// One flat screen of the battle program, read from its screen file: the
// screen's dialogs (registered in the screen GUI manager, which owns them),
// the button actions that need no code (go to a screen, toggle dialogs, show
// dialogs while a check button is checked, quit) and, through the module
// manager, the screen modules that give the screen its game logic.
//
// The readers below build everything from the file. A broken dialog, control,
// pop-up, action or module is logged and left out; the rest of the file loads.
// Only a missing argument, an unreadable file or a missing "Screen" root make
// the whole screen fail.
#include <string>
#include <vector>

#include "platform/os/WinTypes.h"

class TiXmlElement;

namespace Vorna3D {

class CVR3CIIScreenManager;
class CDX9KelSGUIDialog;
class CDX9KelSGUIBaseControl;
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlImage;
class CDX9KelSGUIText;
class CDX9KelSGUIControlRadioList;
class CDX9KelSGUIControlScrollCheckList;
class CDX9KelSGUIControlScrollBar;
class CDX9KelSGUIControlScrollBarHard;
class CDX9KelSGUIControlListBox;
class CDX9KelSGUIControlEditBox;

// What a button does when pressed.
enum EScreenActionType : int {
    SCREEN_ACTION_NONE = -1,
    SCREEN_ACTION_GO_TO_SCREEN = 0,
    SCREEN_ACTION_TOGGLE_DIALOGS = 1,
    SCREEN_ACTION_SHOW_WHILE_CHECKED = 2,
    SCREEN_ACTION_QUIT = 3,
};

struct CVR3CIIScreenAction {
    // The button state seen at the previous evaluation (-1: none yet).
    int iLastState = -1;
    int iType = SCREEN_ACTION_NONE;
    CDX9KelSGUIControlButton* pControl = nullptr;
    // Go to screen: one screen name; toggle and show: dialog names.
    std::vector<std::string> stdvObjects;
};

struct CVR3CIIScreenDialogEntry {
    CVR3CIIScreenDialogEntry() = default;
    ~CVR3CIIScreenDialogEntry();
    CVR3CIIScreenDialogEntry(const CVR3CIIScreenDialogEntry&) = delete;
    CVR3CIIScreenDialogEntry& operator=(const CVR3CIIScreenDialogEntry&) = delete;

    CDX9KelSGUIDialog* pDialog = nullptr;
    std::vector<CVR3CIIScreenAction*> stdvActions;
};

class CVR3CIIScreen {
public:
    CVR3CIIScreen() = default;
    ~CVR3CIIScreen() { Release(); }
    CVR3CIIScreen(const CVR3CIIScreen&) = delete;
    CVR3CIIScreen& operator=(const CVR3CIIScreen&) = delete;

    // ---- loading ----
    // Reads the screen file at `szPath` into `pScreen` and names it `szName`.
    static bool LoadFromXML(CVR3CIIScreenManager* pManager, const char* szPath, CVR3CIIScreen* pScreen,
                            const char* szName);
    // The same from a parsed "Screen" element (the fuzz target and tests).
    static bool LoadFromElement(CVR3CIIScreenManager* pManager, const TiXmlElement* pRoot, CVR3CIIScreen* pScreen,
                                const char* szName);
    static bool CreateDialogFromXML(CVR3CIIScreen* pScreen, const TiXmlElement* pElement);
    static CDX9KelSGUIText* CreateTextXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                          CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlImage* CreateImageXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                   CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlButton* CreateButtonXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                     CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlButton* CreateCheckButtonXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                          CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlButton* CreateStateButtonXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                          CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlRadioList* CreateRadioListXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                           CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlScrollCheckList* CreateScrollCheckListXML(CDX9KelSGUIDialog* pDialog,
                                                                       const TiXmlElement* pElement,
                                                                       CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlScrollBar* CreateScrollBarXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                           CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlScrollBarHard* CreateScrollBarHardXML(CDX9KelSGUIDialog* pDialog,
                                                                   const TiXmlElement* pElement,
                                                                   CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlListBox* CreateListBoxXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                       CVR3CIIScreen* pScreen);
    static CDX9KelSGUIControlEditBox* CreateEditBoxXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                       CVR3CIIScreen* pScreen);
    static bool CreateButtonPopUp(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement, CVR3CIIScreen* pScreen,
                                  CDX9KelSGUIControlButton* pButton);
    static bool CreateImagePopUp(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement, CVR3CIIScreen* pScreen,
                                 CDX9KelSGUIControlImage* pImage);
    static bool CreateScrollBarHardPopUp(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                         CVR3CIIScreen* pScreen, CDX9KelSGUIControlScrollBarHard* pScrollBar);
    static bool CreateAction(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement, CVR3CIIScreen* pScreen,
                             CDX9KelSGUIControlButton* pButton);
    // The first entry whose dialog has this name (exact), or null.
    static CVR3CIIScreenDialogEntry* FindDialogEntry(const CVR3CIIScreen* pScreen, const char* szName);

    // ---- running (the screen manager calls these) ----
    // Hides every dialog, remembering its visibility.
    void Deactivate();
    // Shows the dialogs that should be visible, stacked in file order.
    void Activate();
    // The button actions of an active screen.
    void Update();
    // Frees the dialog entries and their actions (the dialogs stay with the
    // screen GUI manager).
    void Release();

    CVR3CIIScreenManager* GetManager() const { return m_pManager; }
    const std::string& GetName() const { return m_strName; }
    bool IsActive() const { return m_bActive != 0; }
    const std::vector<CVR3CIIScreenDialogEntry*>& GetDialogEntries() const { return m_stdvDialogs; }

    CVR3CIIScreenManager* m_pManager = nullptr;
    std::string m_strName;
    BYTE m_bActive = 0;
    std::vector<CVR3CIIScreenDialogEntry*> m_stdvDialogs;

private:
    // Runs one action; true when it switched the screen.
    bool RunAction(CVR3CIIScreenAction& action);
};

// Shows or hides a dialog as screen switching does: the old visibility becomes
// the previous one, and a change makes the dialog reset its controls.
void SetScreenDialogVisible(CDX9KelSGUIDialog* pDialog, bool bVisible);

} // namespace Vorna3D
