#pragma once
// The owner of every screen of the battle program. At start-up it reads the
// font records of "defaults.xml" and loads each screen file that "screens.slt"
// lists; one screen is current at a time (its dialogs shown, all others
// hidden), and every frame the current screen's button actions run. Game code
// switches screens by name. It takes the scene's screen-manager slot.
// Main thread only.
#include <string>
#include <vector>

#include "engine3/core/IDX9KelSceneManager.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "platform/os/WinTypes.h"

class IDirect3DDevice9;

namespace Vorna3D {

class CDX9KelScene;
class CDX9KelSGUIManager;
class CVR3CIIModuleManager;

// A named font of "defaults.xml": a bitmap font of the screen GUI manager with
// the text format and colour of the texts drawn with it.
struct CVR3CIIScreenFont {
    std::string strName;
    int iFont = -1;
    int iFormat = -1;
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

class CVR3CIIScreenManager : public IDX9KelSceneManager {
public:
    static constexpr const char* kDefaultsFile = "defaults.xml";
    static constexpr const char* kScreensList = "screens.slt";
    // A line of the screens list is read in pieces of this many characters.
    static constexpr size_t kListPiece = 49;
    // A screens list longer than this is not read.
    static constexpr size_t kMaxListBytes = 1u << 20;
    static constexpr DWORD kSwitchGate = 500;
    static constexpr DWORD kToggleGate = 300;
    static constexpr DWORD kWaitGate = 10;

    CVR3CIIScreenManager();
    ~CVR3CIIScreenManager() override;
    CVR3CIIScreenManager(const CVR3CIIScreenManager&) = delete;
    CVR3CIIScreenManager& operator=(const CVR3CIIScreenManager&) = delete;

    // IDX9KelSceneManager: Init takes the scene, its window and its screen GUI
    // manager and reads the folders from "folders.ini" beside the program;
    // Process runs the current screen's actions.
    bool Init(CDX9KelScene* pScene) override;
    void Process(float fFrameStep) override { Update(); }
    void Release() override;

    // The same set-up without a scene (tests, tools): the screen GUI manager,
    // the device the controls draw with, the window whose client area places
    // the dialogs, and the program-relative folders.
    bool InitWith(CDX9KelSGUIManager* pSGUIManager, IDirect3DDevice9* pDevice, HWND hWnd,
                  const std::string& userInterfaceFolder, const std::string& screensFolder);

    // Fonts, then the listed screens; the first listed screen becomes current.
    bool LoadScreens();
    bool LoadDefaults();
    bool LoadScreensList();
    bool CreateScreen(const char* szFileName);

    void Update();
    bool SetScreen(const char* szName);
    bool SetScreenOf(const CVR3CIIScreen* pScreen);
    bool SetScreenByIndex(int index);
    int FindScreenIndex(const char* szName) const;
    CVR3CIIScreen* FindScreen(const char* szName) const;
    CVR3CIIScreen* GetCurrentScreen() const;
    const CVR3CIIScreenFont* GetFont(const char* szName) const;
    // The anchor point of a dialog: per axis 0 the client area's left/top,
    // 1 its centre, 2 its right/bottom, -1 otherwise; (-1, -1) when either
    // kind is -1.
    POINT GetClientAnchor(int xKind, int yKind) const;
    RECT GetClientRect() const;
    // The gate of screen switches: free (0) arms it and answers true; armed it
    // answers false and frees itself once more than `ms` have passed.
    bool IsSwitchAllowed(DWORD ms);
    // The 10 ms gate of the show-while-checked actions: true (and free again)
    // once more than 10 ms passed since it was armed; arming answers false.
    bool IsWaitPassed();
    // Updates the switch stamp after a toggle: armed when free, freed after
    // 300 ms.
    void StampToggle();

    // For the engine scene's screen-manager slot.
    static IDX9KelSceneManager* Create() { return new CVR3CIIScreenManager(); }

    void SetModuleManager(CVR3CIIModuleManager* p) { m_pModuleManager = p; }
    // The screen GUI manager the dialogs are made in (when the scene's slot
    // does not hold it directly).
    void SetSGUIManager(CDX9KelSGUIManager* p) { m_pSGUIManager = p; }
    CVR3CIIModuleManager* GetModuleManager() const { return m_pModuleManager; }
    CDX9KelSGUIManager* GetSGUIManager() const { return m_pSGUIManager; }
    IDirect3DDevice9* GetDevice() const { return m_pDevice; }
    CDX9KelScene* GetScene() const { return m_pScene; }
    const std::string& GetUserInterfaceFolder() const { return m_strUserInterfaceFolder; }
    const std::string& GetScreensFolder() const { return m_strScreensFolder; }
    int GetCurrentIndex() const { return m_iCurrentScreen; }
    size_t GetScreenCount() const { return m_stdvScreens.size(); }
    CVR3CIIScreen* GetScreen(size_t index) const { return index < m_stdvScreens.size() ? m_stdvScreens[index] : nullptr; }

    CDX9KelScene* m_pScene = nullptr;
    CVR3CIIModuleManager* m_pModuleManager = nullptr;
    std::string m_strScreensFolder;
    std::string m_strUserInterfaceFolder;
    std::string m_strUserInterfacePath;
    std::string m_strScreenExtension = "scrxml";
    std::string m_strBinaryExtension = "scrbin";
    std::vector<CVR3CIIScreen*> m_stdvScreens;
    int m_iCurrentScreen = -1;
    std::vector<CVR3CIIScreenFont> m_stdvFonts;
    DWORD m_dwSwitchTime = 0;
    DWORD m_dwWaitTime = 0;

private:
    bool CreateFont(const TiXmlElement* pElement, CVR3CIIScreenFont& font);

    CDX9KelSGUIManager* m_pSGUIManager = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWnd = nullptr;
};

} // namespace Vorna3D
