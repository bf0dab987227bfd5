#pragma once
// The face of an engine manager that lives in a library above the engine
// core (the screen GUI, particle systems, physics, screens, the 3D GUI). The
// engine scene owns one per slot and drives it with the others, in the fixed
// order of its start-up, frame and device-loss steps. The program fills the
// slots before the engine runs, with CDX9KelScene::RegisterManager; a slot
// left empty is skipped (its start-up line says "not installed").
class IDirect3DDevice9;

namespace Vorna3D {

class CDX9KelScene;
class CDXSceneTree;

// The slots, in the order the scene initialises them.
enum EKelSceneManagerSlot : int {
    KEL_SCENE_SGUI_MANAGER = 0,      // screen GUI
    KEL_SCENE_PARTICLES_MANAGER,     // particle systems
    KEL_SCENE_PHYSICAL_MANAGER,      // physical manager
    KEL_SCENE_SCREEN_MANAGER,        // screen manager
    KEL_SCENE_GUI3D_MANAGER,         // 3D GUI
    KEL_SCENE_MANAGER_SLOTS
};

class IDX9KelSceneManager {
public:
    virtual ~IDX9KelSceneManager() = default;
    // Creates the manager's own state from what the scene offers (window,
    // device, camera manager, render system). False makes the scene's Init
    // fail.
    virtual bool Init(CDX9KelScene* pScene) = 0;
    // The manager's step of the scene's per-frame processing.
    virtual void Process(float fFrameStep) = 0;
    // The manager's drawing pass, when it has one (the render system runs the
    // screen GUI's after the scene passes).
    virtual void Render(IDirect3DDevice9* pDevice, float fFrameStep) {}
    // Device loss: release default-pool objects; Restore re-creates them
    // (the physical manager also starts a fresh step interval).
    virtual void OnLost() {}
    virtual void Restore() {}
    // Frees everything; the scene deletes the manager afterwards.
    virtual void Release() = 0;
    // The scene's active octree (null when none); the physical manager uses it.
    virtual void SetSceneTree(CDXSceneTree* pTree) {}
    // Screen GUI only: whether a dialog holds the mouse (the camera then
    // ignores it), and the hover reset while GUI input is off.
    virtual bool HoldsMouse() const { return false; }
    virtual void ClearHover() {}
};

using KelSceneManagerFactory = IDX9KelSceneManager* (*)();

} // namespace Vorna3D
