#pragma once
// The campaign engine's scene: it owns the engine managers, creates them in a
// fixed order, drives them once per frame, draws the frame and releases them
// at the end. The engine creates it, hands it the window object and the
// device wrapper, and calls Init, Process, RenderFrame, OnLost, Restore and
// Release.
//
// Managers held so far: the FPS counter's set-up, the camera manager and the
// light manager.
#include "platform/gfx/d3d9.h"
#include "platform/os/WinTypes.h"

namespace Vorna2 {

class CDX9KelApp;
class CDX9KelRender;
class CDX9KelBaseCameraManager;
class CDX9KelLightManager;

class CDX9KelScene {
public:
    static constexpr D3DCOLOR kClearColor = 0xFF3C6496u;

    CDX9KelScene() = default;
    virtual ~CDX9KelScene();
    CDX9KelScene(const CDX9KelScene&) = delete;
    CDX9KelScene& operator=(const CDX9KelScene&) = delete;

    // Manager steps: each logs its name and, on success, "OK".
    virtual bool InitFPSCounter();
    // Only when not yet made: the camera manager with its first camera.
    virtual bool InitBaseCameraManager();
    // Only when not yet made: the light manager with the default light.
    virtual bool InitLightManager();

    // Runs the manager steps in order and stops at the first failure; then
    // shows the window. False without a device wrapper.
    virtual bool Init();
    // One frame's drawing: begin (clearing to the clear colour), the active
    // camera's transforms, the end of the frame's light changes, end and
    // present.
    virtual bool RenderFrame();
    virtual bool OnLost();
    virtual bool Restore();
    // One frame's update: camera control and the camera manager's update.
    virtual void Process();
    // Destroys the managers in order.
    virtual void Release();

    virtual HWND GetWindowHandle() const;
    virtual int GetWindowWidth() const;
    virtual int GetWindowHeight() const;
    int GetRenderWidth() const;
    int GetRenderHeight() const;
    IDirect3DDevice9* GetD3DDevice() const;

    CDX9KelApp* m_pApp = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    CDX9KelLightManager* m_pLightManager = nullptr;
    D3DCOLOR m_ClearColor = kClearColor;
    char m_szScreenShotFolder[40] = "ScreenShots\\";
    bool m_bShowStatistics = true;
    bool m_bDrawSceneTreeDebug = false;
    bool m_bDrawSceneTree = true;
    bool m_bDrawGUI = true;
    bool m_bDeveloperKeys = true;
    bool m_bGUIInput = true;
};

} // namespace Vorna2
