#pragma once
// Screens from XML: the shared looks of "defaults.xml", the start sequence
// of "start.xml", the screens listed in "screens.slt" with their dialogs,
// controls and control actions, and the switch between screens. Each frame
// the active screen carries out the actions its buttons trigger.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/os/WinTypes.h"

class TiXmlDocument;
class TiXmlElement;

namespace Vorna2 {

class CDX9KelGUIControl;
class CDX9KelGUIDialog;
class CDX9KelGUIManager;
class CDX9KelRender;
class CDX9KelCIIScreen;
class CDX9KelCIIScreenManager;

// Makes the screen modules a screen file declares; the campaign supplies
// it. False when a module cannot be made.
class CDX9KelCIIModuleFactory {
public:
    virtual ~CDX9KelCIIModuleFactory() = default;
    virtual bool AddModule(const TiXmlElement* element, CDX9KelCIIScreen* screen) = 0;
};

// One font, texture or effect entry of "defaults.xml".
struct ScreenDefault {
    std::string name;
    int fontId = -1;
    std::string file;
    D3DCOLOR colour = 0;
    int format = 0;
};

enum ScreenActionType { ActionSwitchScreen = 0, ActionToggleDialogs = 1, ActionCheckDialogs = 2, ActionQuit = 3 };

struct ScreenAction {
    int lastState = -1;
    // The owning button writes its state here.
    int state = -1;
    int type = -1;
    std::vector<int> objects;
};

struct ScreenDialogEntry {
    int dialogId = -1;
    std::string name;
    std::vector<std::unique_ptr<ScreenAction>> actions;
};

class CDX9KelCIIScreen {
public:
    static constexpr std::size_t kNameKeep = 39;
    static constexpr std::size_t kTextKeep = 60000;
    static constexpr std::size_t kFileKeep = 259;

    CDX9KelCIIScreen(CDX9KelCIIScreenManager* manager, const std::string& name, int id);
    ~CDX9KelCIIScreen();
    CDX9KelCIIScreen(const CDX9KelCIIScreen&) = delete;
    CDX9KelCIIScreen& operator=(const CDX9KelCIIScreen&) = delete;

    // Reads the screen's file from the screen folder.
    bool LoadFromXML(CDX9KelCIIScreenManager* manager);
    // The same from a parsed root (the element named "Screen").
    bool LoadFromElement(const TiXmlElement* root);
    void SetActive(bool active);
    void Proc();
    // Frees the dialog entries; with deleteDialogs the GUI dialogs go too.
    void Release(bool deleteDialogs);

    CDX9KelGUIDialog* GetDialog(int index) const;
    const std::vector<std::unique_ptr<ScreenDialogEntry>>& GetEntries() const { return m_Entries; }
    // The modules read their dialogs by name.
    int FindDialog(const std::string& name) const;

    CDX9KelCIIScreenManager* m_pManager;
    std::string m_strName;
    int m_iID;
    bool m_bActive = false;
    bool m_bProcessed = false;
    int m_iCheckDelay = 0;

private:
    bool LoadDialog(const TiXmlElement* element);
    bool LoadControl(const TiXmlElement* element, int dialogId, const RECT& parent, ScreenDialogEntry& entry);
    bool LoadButton(const TiXmlElement* e, int dialogId, const RECT& rect, ScreenDialogEntry& entry, bool check,
                    CDX9KelGUIControl** made);
    ScreenAction* LoadAction(const TiXmlElement* e, bool check);
    void RunActions(ScreenDialogEntry& entry);
    void ShowDialogs(const std::vector<int>& indexes, bool show);
    std::vector<std::unique_ptr<ScreenDialogEntry>> m_Entries;
};

class CDX9KelCIIScreenManager {
public:
    static constexpr DWORD kSwitchIntervalMs = 500;
    static constexpr DWORD kStartImageMs = 5000;
    static constexpr std::size_t kListLine = 49;

    CDX9KelCIIScreenManager();
    ~CDX9KelCIIScreenManager();
    CDX9KelCIIScreenManager(const CDX9KelCIIScreenManager&) = delete;
    CDX9KelCIIScreenManager& operator=(const CDX9KelCIIScreenManager&) = delete;

    void Init(CDX9KelGUIManager* gui, CDX9KelRender* render, CDX9KelCIIModuleFactory* modules);

    bool LoadScreens();
    bool LoadDefaults();
    bool ProcStartDialog();
    bool LoadScreensList();
    int AddScreen(const std::string& name);
    bool DeleteScreen(int id);
    bool SetActiveScreen(int id);
    bool SetActiveScreenByName(const std::string& name);
    CDX9KelCIIScreen* GetScreen(const std::string& name) const;
    CDX9KelCIIScreen* GetScreenById(int id) const;
    int FindScreenId(const std::string& name) const;
    ScreenDefault GetFont(const std::string& name) const;
    bool GetDefaultTexture(const std::string& key, std::string& file) const;
    std::string GetDefaultEffect(const std::string& key) const;
    void Update();
    void Release();

    // The program folder's relative path of a file in the screen folder.
    std::string ScreenPath(const std::string& name) const { return m_strScreenFolder + name; }

    CDX9KelGUIManager* m_pGUIManager = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    CDX9KelCIIModuleFactory* m_pModules = nullptr;
    std::string m_strScreenFolder = "Screens\\";
    int m_iActiveScreen = -1;
    int m_iDeletedScreens = 0;
    std::vector<ScreenDefault> m_Fonts;
    std::vector<ScreenDefault> m_Textures;
    std::vector<ScreenDefault> m_Effects;
    std::vector<std::unique_ptr<CDX9KelCIIScreen>> m_Screens;
    // The switch-screen gate shared by all screens.
    DWORD m_dwSwitchStamp = 0;
    // The start sequence's wait after each image, and a look at each frame
    // just before it is presented (control index in the start dialog);
    // drivers replace the wait with their virtual clock.
    std::function<void(DWORD)> m_StartWait;
    std::function<void(int)> m_StartFrameShown;

private:
    int GetScreenIndex(int id) const;
    void DrawStartControl(CDX9KelGUIControl* control, CDX9KelGUIControl* also, int index);
};

// Reads an XML file of the program folder with a depth check first; false
// when it cannot be read or parsed.
bool ReadScreenXml(const std::string& relativePath, TiXmlDocument& doc);

} // namespace Vorna2
