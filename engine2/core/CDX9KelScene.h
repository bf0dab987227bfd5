#pragma once
// The campaign engine's scene: it owns the engine managers, creates them in a
// fixed order, drives them once per frame, draws the frame in a fixed pass
// order, releases and restores them around a lost device and releases them
// at the end. The engine creates it, hands it the window object and the
// device wrapper, and calls Init, Process, RenderFrame, OnLost, Restore and
// Release. The scene also creates, picks and deletes scene objects.
#include "engine2/core/IDX9KelSceneManager.h"
#include "platform/gfx/d3d9.h"
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

#include <vector>

namespace Vorna2 {

class CDX9KelApp;
class CDX9KelRender;
class CDX9KelBaseCameraManager;
class CDX9KelLightManager;
class CDX9KelGraphicsResManager;
class CDX9KelRenderSystem;
class CDX9KelModel;
class CDX9KelSceneObject;
class CDXSceneTree;
class CDXFont;
class CDX9KelTextHelper;

class CDX9KelScene {
public:
    static constexpr D3DCOLOR kClearColor = 0xFF3C6496u;
    static constexpr D3DCOLOR kStatisticsColor = 0xFFFAFA00u;
    // Picks nearer than this count.
    static constexpr float kPickDistance = 1000.0f;

    CDX9KelScene() = default;
    virtual ~CDX9KelScene();
    CDX9KelScene(const CDX9KelScene&) = delete;
    CDX9KelScene& operator=(const CDX9KelScene&) = delete;

    // Manager steps: each logs its name and, on success, "OK".
    virtual bool InitFPSCounter();
    // Only when not yet made: font, sprite and the text helper.
    virtual bool InitScreenText();
    virtual bool InitGrahicsResManager();
    // Only when not yet made: the camera manager with its first camera.
    virtual bool InitBaseCameraManager();
    virtual bool InitSceneTree();
    // Only when not yet made: the light manager with the default light.
    virtual bool InitLightManager();
    virtual bool InitRenderSystem();
    // Only when not yet made: the GUI manager, which then draws in the
    // render system's GUI pass. False when its start-up fails.
    virtual bool InitGUIManager();
    // False when the manager exists already; a slot no program filled is
    // "not installed" and passes.
    virtual bool InitPhysicalManager();
    // False when the manager exists already or without a resource manager.
    virtual bool InitParticleSysManager();
    // False when the manager exists already, or when it finds no GUI
    // manager or device wrapper (it is kept then).
    virtual bool InitScreenManager();
    // False without a camera manager; else the sound device decides. Init
    // ignores the result: a campaign without sound still starts.
    virtual bool InitSoundManager();
    virtual void RenderBackground() {}
    virtual void RenderOverlay() {}
    // The statistics text: title, FPS, faces and the tree's leaf counts.
    virtual void DrawStatistics();

    // Runs the manager steps in order and stops at the first failure (the
    // sound's failure excepted); then shows the window. False without a
    // device wrapper.
    virtual bool Init();
    // One frame's drawing, in the fixed pass order.
    virtual bool RenderFrame();
    virtual bool OnLost();
    virtual bool Restore();
    // One frame's update.
    virtual void Process();
    // Destroys the managers in order.
    virtual void Release();

    // Fills a manager slot for every scene made afterwards (null empties it).
    static void RegisterManager(EKelSceneManagerSlot slot, KelSceneManagerFactory factory);
    IDX9KelSceneManager* GetManager(EKelSceneManagerSlot slot) const {
        return slot >= 0 && slot < KEL_SCENE_MANAGER_SLOTS ? m_pManagers[slot] : nullptr;
    }

    virtual HWND GetWindowHandle() const;
    virtual int GetWindowWidth() const;
    virtual int GetWindowHeight() const;
    int GetRenderWidth() const;
    int GetRenderHeight() const;
    IDirect3DDevice9* GetD3DDevice() const;

    // A cursor from a file beside the program; its index, or -1.
    int AddCursorFromFile(const char* fileName);
    // False for an index outside the list; no call when it is current.
    bool SetCurrentCursor(int index);
    // Builds the (empty) scene tree over the box and makes it the program's
    // current tree; false without a tree or when it is already built.
    bool CreateSceneTree(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax, float nodeSize, bool makeBuffers);
    // Deletes the attached models and the tree's objects and starts a new
    // empty tree (on a map change).
    void DestroySceneTree();

    // A model from a path relative to the program folder, with the named
    // effect (none when null or empty); null on failure.
    CDX9KelModel* LoadModel(const char* path, const char* effectName);
    // A new object with the matrix (row by row) and the model as its nearest
    // level of detail, in the tree; null when the tree does not take it.
    CDX9KelSceneObject* CreateSceneObject(CDX9KelModel* model, float m11, float m12, float m13, float m14, float m21,
                                          float m22, float m23, float m24, float m31, float m32, float m33, float m34,
                                          float m41, float m42, float m43, float m44);
    bool DeleteSceneObject(CDX9KelSceneObject* object, bool releaseModels);
    // The index in the list of the nearest visible object whose last level
    // of detail is under the mouse cursor; -1 when none.
    int PickSceneObject(const std::vector<CDX9KelSceneObject*>& objects);
    // The same for a point in window coordinates.
    int PickSceneObjectAt(const std::vector<CDX9KelSceneObject*>& objects, int clientX, int clientY);

private:
    void ReleaseManager(EKelSceneManagerSlot slot);

public:
    CDX9KelApp* m_pApp = nullptr;
    CDX9KelRender* m_pRender = nullptr;
    CDXFont* m_pFont = nullptr;
    CDX9KelTextHelper* m_pTextHelper = nullptr;
    CDX9KelGraphicsResManager* m_pGrahResManager = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    CDXSceneTree* m_pSceneTree = nullptr;
    CDX9KelRenderSystem* m_pRenderSystem = nullptr;
    CDX9KelLightManager* m_pLightManager = nullptr;
    IDX9KelSceneManager* m_pManagers[KEL_SCENE_MANAGER_SLOTS] = {};
    D3DCOLOR m_ClearColor = kClearColor;
    char m_szScreenShotFolder[40] = "ScreenShots\\";
    bool m_bShowStatistics = true;
    bool m_bDrawSceneTreeDebug = false;
    bool m_bDrawSceneTree = true;
    bool m_bDrawGUI = true;
    bool m_bDeveloperKeys = true;
    bool m_bGUIInput = true;
    std::vector<HCURSOR> m_Cursors;
    int m_iCurrentCursor = -1;
    DWORD m_dwFaces = 0;
};

} // namespace Vorna2
