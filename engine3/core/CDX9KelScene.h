#pragma once
// The engine scene: the owner of the engine's managers, driven by the engine
// object at start-up (Init), once per frame (Process, then RenderFrame),
// around a lost device (OnLost, Restore) and at the end (Release). The game
// derives its own scene from it. While the device is lost the scene is
// suspended: frames neither process nor draw.
//
// Managers of the libraries above the engine core take their slots through
// IDX9KelSceneManager (see RegisterManager).
#include "engine3/core/IDX9KelSceneManager.h"
#include "platform/gfx/d3d9.h"
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

#include <string>
#include <vector>

namespace Vorna3D {

class CDX9KelApp;
class CDX9KelRender;
class CDXFont;
class CDX9KelTextHelper;
class CDX9KelBaseCameraManager;
class CDX9KelRenderSystem;
class CDX9KelLightManager;
class CDX9KelGraphicsResManager;
class CDXSceneTree;
class CDX9KelSceneObject;

class CDX9KelScene {
public:
    static constexpr D3DCOLOR kDefaultClearColor = 0xFF3C6496u;
    static constexpr int kPickReserve = 5;

    CDX9KelScene();
    virtual ~CDX9KelScene();
    CDX9KelScene(const CDX9KelScene&) = delete;
    CDX9KelScene& operator=(const CDX9KelScene&) = delete;

    // Fills a manager slot for every scene made afterwards (the program's
    // set-up calls it before the engine runs); null empties the slot.
    static void RegisterManager(EKelSceneManagerSlot slot, KelSceneManagerFactory factory);

    // The eleven start-up steps, in this order.
    virtual bool InitFPSCounter();
    virtual bool InitScreenText();
    virtual bool InitGrahicsResManager();
    virtual bool InitBaseCameraManager();
    virtual bool InitLightManager();
    virtual bool InitRenderSystem();
    virtual bool InitSGUIManager();
    virtual bool InitParticleSysManager();
    virtual bool InitPhysicalManager();
    virtual bool InitScreenManager();
    virtual bool Init3DGUIManager();
    virtual void DrawStatistics();
    // Runs the steps and fails at the first that fails or without a device
    // wrapper; on success shows the window.
    virtual bool Init();
    // One picture: cursor, clear, camera, FPS, the render system's frame,
    // statistics, screenshot, present. Nothing while suspended.
    virtual void RenderFrame();
    // Releases what the device holds for the scene and suspends it. A second
    // call before Restore does nothing.
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

    // Cursors: the new index, or -1 when the file cannot be loaded.
    int AddCursorFromFile(const char* szPath);
    bool SetCurrentCursor(int index);
    // Asks for a screenshot "<screenshot folder><name>.jpg" at the next frame.
    bool MakeScreenshot(const char* szName);

    // Octrees. A new tree takes the first free slot of the table (appended
    // when none is free); `pIndex`, when given, gets its slot (-1 on failure).
    bool CreateSceneTree(const char* szName, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax, bool bBuffers,
                         float fNodeSize, int* pIndex = nullptr);
    bool DeleteSceneTree(int index);
    bool SetActiveSceneTree(int index);
    bool AddSceneObjectInTree(int index, CDX9KelSceneObject* pObject);
    bool AddSceneObjectInActiveTree(CDX9KelSceneObject* pObject);
    CDXSceneTree* GetSceneTree(int index) const;
    // Objects under the cursor in the active tree, farthest hit first.
    bool PickSceneObjects();
    // The same for a point in client coordinates.
    bool PickSceneObjectsAt(int x, int y);

    // The engine lends the window object and the device wrapper, and tells
    // the per-user data folder ("engine.ini" lies there).
    void SetApp(CDX9KelApp* app) { m_pApp = app; }
    void SetRender(CDX9KelRender* render) { m_pRender = render; }
    void SetDataFolder(const std::string& folder) { m_strDataFolder = folder; }
    CDX9KelApp* GetApp() const { return m_pApp; }
    CDX9KelRender* GetRender() const { return m_pRender; }
    IDirect3DDevice9* GetDevice() const;
    bool IsSuspended() const { return m_bSuspended; }
    IDX9KelSceneManager* GetManager(EKelSceneManagerSlot slot) const { return m_pManagers[slot]; }
    // The frame step of the last frame, in hundredths of a second.
    float GetFrameStep() const;

    bool m_bSuspended = false;
    bool m_bReleaseBuild = true;
    CDX9KelApp* m_pApp = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    CDXFont* m_pFont = nullptr;
    CDX9KelTextHelper* m_pTextHelper = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    CDX9KelRenderSystem* m_pRenderSystem = nullptr;
    CDX9KelLightManager* m_pLightManager = nullptr;
    // Screen GUI, particle systems, physical manager, screen manager, 3D GUI.
    IDX9KelSceneManager* m_pManagers[KEL_SCENE_MANAGER_SLOTS] = {};
    std::vector<CDXSceneTree*> m_vSceneTrees;
    CDXSceneTree* m_pActiveSceneTree = nullptr;
    std::vector<HCURSOR> m_vCursors;
    int m_iCurrentCursor = -1;
    D3DCOLOR m_ClearColor = kDefaultClearColor;
    // The frame step is measured in hundredths of a second.
    float m_fTimeBase = 100.0f;
    std::vector<CDX9KelSceneObject*> m_vPickList;
    std::string m_strScreenshotFolder = "Screenshots\\";
    bool m_bShowStatistics = true;
    bool m_bDrawSceneTree = false;
    bool m_bGUIVisible = true;
    // Enables Escape-to-quit in the engine's frame and the debug function keys.
    bool m_bDebugKeys = true;
    bool m_bGUIInput = true;
    std::string m_strDataFolder;

protected:
    // The eleven steps share this: log the step's line, create the manager
    // (a slot's factory), run its Init and complete the line.
    bool InitSlot(EKelSceneManagerSlot slot, const char* szStep, bool bExistsResult);

private:
    // Owned by the scene while it lives; the resource classes reach it
    // through the scene's accessor.
    CDX9KelGraphicsResManager* m_pGraphicsResManager = nullptr;
    bool m_bFPSCounter = false;

public:
    CDX9KelGraphicsResManager* GetGraphicsResManager() const { return m_pGraphicsResManager; }
};

} // namespace Vorna3D
