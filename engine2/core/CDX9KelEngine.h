#pragma once
// The campaign engine: the program's whole life in Run. It sets the C locale
// from "local.ini", opens the log, installs the crash filter, creates the
// window object, the device wrapper and the scene, the device from the
// display values of "engine.ini" and the input devices, and then runs the
// non-blocking message loop: waiting messages are dispatched, and whenever
// none waits one frame is processed and rendered. The window's destruction
// posts the quit message, which ends the loop; then everything is released.
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

#include <string>

namespace Vorna2 {

class CDX9KelApp;
class CDX9KelRender;
class CDX9KelScene;

// The display values of "engine.ini" (section "Grafic Settings"); -1 = not set.
struct DisplaySettings {
    int fullScreen = -1;
    int width = -1;
    int height = -1;
    int refreshRate = -1;
};

class CDX9KelEngine {
public:
    CDX9KelEngine();
    virtual ~CDX9KelEngine();
    CDX9KelEngine(const CDX9KelEngine&) = delete;
    CDX9KelEngine& operator=(const CDX9KelEngine&) = delete;

    // The program's life; false when the start failed (no loop was run).
    bool Run();

    // Creates (each only while null) the window object, the device wrapper
    // and a plain scene, and hands the first two to the scene.
    virtual bool InitInterfaces();
    // Display values, Direct3D, the settled mode, the window and the device.
    virtual bool InitDevice();
    // DirectInput, keyboard and mouse, then the scene's Init.
    virtual bool InitInput();
    // Polls the input, checks the quit key (developer keys only) and runs
    // the scene's update.
    virtual void Process();
    // Tests the device and drives the lost and reset path; draws a frame only
    // on a working device.
    virtual void Render();
    // Releases and destroys scene, device wrapper and window object.
    virtual void Release();
    // Posts the quit message while Escape is down.
    virtual void CheckQuit();

    // Reads section "Local Settings", key "Language" (default "English", at
    // most 39 characters) and applies it to the character classes only
    // (LC_CTYPE): numbers keep the "C" form whatever the language. An
    // unknown name changes nothing. Returns the text read.
    static std::string ApplyLocalSettings(const std::string& localIniPath);
    static DisplaySettings ReadDisplaySettings(const std::string& engineIniPath);

    CDX9KelApp* m_pApp = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    CDX9KelScene* m_pScene = nullptr;
    HICON m_hIcon = nullptr;
    bool m_bShowArrowCursor = true;
};

} // namespace Vorna2
