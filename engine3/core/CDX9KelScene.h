#pragma once
// The engine scene: the owner of the engine's managers, driven by the engine
// object at start-up (Init), once per frame (Process, then RenderFrame),
// around a lost device (OnLost, Restore) and at the end (Release). The game
// derives its own scene from it. While the device is lost the scene is
// suspended: frames neither process nor draw.
#include "platform/gfx/d3d9.h"
#include "platform/os/WinTypes.h"

#include <string>

namespace Vorna3D {

class CDX9KelApp;
class CDX9KelRender;

class CDX9KelScene {
public:
    static constexpr D3DCOLOR kDefaultClearColor = 0xFF3C6496u;

    CDX9KelScene();
    virtual ~CDX9KelScene();
    CDX9KelScene(const CDX9KelScene&) = delete;
    CDX9KelScene& operator=(const CDX9KelScene&) = delete;

    // Fails without a device wrapper; on success shows the window.
    virtual bool Init();
    // One picture: clear to the clear colour, the scene's drawing, present.
    // Nothing while suspended.
    virtual void RenderFrame();
    // Releases what the device holds for the scene and suspends it.
    virtual void OnLost();
    // Re-creates it after a reset and resumes.
    virtual void Restore();
    // The frame's processing; nothing while suspended.
    virtual void Process();
    virtual void Release();
    // The window handle and the window's requested size; 0 without a window.
    virtual HWND GetHWND() const;
    virtual int GetWidth() const;
    virtual int GetHeight() const;

    // The engine lends the window object and the device wrapper.
    void SetApp(CDX9KelApp* app) { m_pApp = app; }
    void SetRender(CDX9KelRender* render) { m_pRender = render; }
    CDX9KelApp* GetApp() const { return m_pApp; }
    CDX9KelRender* GetRender() const { return m_pRender; }
    bool IsSuspended() const { return m_bSuspended; }

    bool m_bSuspended = false;
    bool m_bReleaseBuild = true;
    CDX9KelApp* m_pApp = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    D3DCOLOR m_ClearColor = kDefaultClearColor;
    // The frame step is measured in hundredths of a second.
    float m_fTimeBase = 100.0f;
    std::string m_strScreenshotFolder = "Screenshots\\";
    bool m_bShowStatistics = true;
    bool m_bDrawSceneTree = false;
    bool m_bGUIVisible = true;
    // Enables Escape-to-quit in the engine's frame and the debug function keys.
    bool m_bDebugKeys = true;
    bool m_bGUIInput = true;
};

} // namespace Vorna3D
