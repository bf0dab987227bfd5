#pragma once
// The engine object: the program's spine. Run sets up the per-user data
// folder and the log, creates the window, the device wrapper and the scene,
// runs the message loop with one frame per idle pass and tears everything
// down when the quit message arrives.
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

#include <string>

namespace Vorna3D {

class CDX9KelApp;
class CDX9KelRender;
class CDX9KelScene;

class CDX9KelEngine {
public:
    static constexpr const char* kLogFileName = "Vorna3Log.log";
    static constexpr const char* kFoldersIni = "folders.ini";
    static constexpr const char* kEngineIni = "engine.ini";

    // The "Grafic Settings" of "engine.ini"; -1 means "the desktop's value".
    struct GraficSettings {
        int iFullScreen = -1;
        int iWidth = -1;
        int iHeight = -1;
        int iRefreshRate = -1;
        int iMultisampleType = 0;
        bool bVSync = false;
        int iAnisotropy = 2;
    };

    CDX9KelEngine();
    virtual ~CDX9KelEngine();
    CDX9KelEngine(const CDX9KelEngine&) = delete;
    CDX9KelEngine& operator=(const CDX9KelEngine&) = delete;

    // The whole life of the program. False when a start-up step failed (the
    // objects made so far are left as they are), true after a normal quit.
    bool Run();

    virtual bool InitInterfaces();
    virtual bool InitDevice();
    virtual bool InitInput();
    // Per frame: input, Escape while the scene allows debug keys, the scene.
    virtual void Process();
    // Per frame: the device test, the lost/reset sequence, the scene's picture.
    virtual void Render();
    virtual void Release();
    // Posts the quit message while Escape is down.
    virtual void CheckQuit();

    // The per-user data folder: the program folder when "folders.ini"
    // [User Data] UseLocalDirectory is 0; otherwise the documents folder
    // joined with UserLocalDirectory (a separator is added when the value
    // lacks one), made with its missing parents when missing. When there is
    // no documents folder or the folder cannot be made, the program folder;
    // `error` (when given) then receives the log line that names both, else
    // it is cleared.
    static std::string DetermineDataFolder(const std::string& programFolder, const std::string& documentsFolder,
                                           std::string* error = nullptr);
    // Reads the display settings from an "engine.ini"; missing values keep
    // their defaults.
    static GraficSettings ReadGraficSettings(const std::string& engineIniPath);

    const std::string& GetDataFolder() const { return m_strDataFolder; }
    void SetDataFolder(const std::string& folder) { m_strDataFolder = folder; }
    const GraficSettings& GetGraficSettings() const { return m_GraficSettings; }

    CDX9KelApp* m_pApp = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    CDX9KelScene* m_pScene = nullptr;
    std::string m_strLogFileName = kLogFileName;
    std::string m_strDataFolder;
    HICON m_hIcon = nullptr;
    bool m_bShowArrowCursor = true;

protected:
    GraficSettings m_GraficSettings;
    // Set once the scene has released its device objects for a lost device
    // and cleared when it has restored them, so the scene sees exactly one
    // OnLost before each Restore however the device reports its loss.
    bool m_bSceneReleased = false;
};

} // namespace Vorna3D
