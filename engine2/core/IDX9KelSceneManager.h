#pragma once
// The face of an engine manager that lives in a library above the engine
// core (the physical manager, the particle systems, the GUI, the screens and
// the sound). The scene owns one per
// slot and drives it with the others in the fixed order of its start-up,
// frame, drawing and device-loss steps. A program fills the slots before
// the engine runs, with CDX9KelScene::RegisterManager; an empty slot is
// skipped (its start-up line says "not installed").
#include "platform/gfx/d3d9.h"

namespace Vorna2 {

class CDX9KelScene;
class CDXSceneTree;
class CDX9KelSceneObject;

enum EKelSceneManagerSlot : int {
    KEL_SCENE_PHYSICAL_MANAGER = 0,
    KEL_SCENE_PARTICLES_MANAGER,
    KEL_SCENE_GUI_MANAGER,
    KEL_SCENE_SCREEN_MANAGER,
    KEL_SCENE_SOUND_MANAGER,
    KEL_SCENE_MANAGER_SLOTS
};

class IDX9KelSceneManager {
public:
    virtual ~IDX9KelSceneManager() = default;
    // Binds the manager to what the scene offers; false makes Init fail.
    virtual bool Init(CDX9KelScene* scene) = 0;
    // The manager's step of the frame, with the FPS counter's frame time.
    virtual void Process(float frameTime) = 0;
    // The manager's drawing pass, when it has one.
    virtual void Render(IDirect3DDevice9* device) { (void)device; }
    virtual void OnLost() {}
    virtual void Restore(IDirect3DDevice9* device) { (void)device; }
    // Frees everything; the scene deletes the manager afterwards.
    virtual void Release() = 0;
    // The scene made a new tree (on a map change).
    virtual void SetSceneTree(CDXSceneTree* tree) { (void)tree; }
    // The scene is about to delete the object: forget it.
    virtual void ForgetSceneObject(CDX9KelSceneObject* object) { (void)object; }
    // The object's models are being released: release what else of the
    // object the manager keeps (its sounds).
    virtual void ReleaseObjectResources(CDX9KelSceneObject* object) { (void)object; }
    // True while the mouse cursor is over something of the manager's own
    // (a GUI dialog): the camera then leaves the mouse alone.
    virtual bool HoldsCursor() const { return false; }
    // False when the manager's drawing pass has nothing to draw this frame.
    virtual bool HasDrawing() const { return true; }
    // The size its drawing pass covers (the GUI's client area); 0 when the
    // manager has none.
    virtual int GetDrawWidth() const { return 0; }
    virtual int GetDrawHeight() const { return 0; }
};

using KelSceneManagerFactory = IDX9KelSceneManager* (*)();

} // namespace Vorna2
