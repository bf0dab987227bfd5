#pragma once
// The GUI manager, the screen manager and the sound manager in the campaign
// scene's manager slots. A program registers them before its engine starts;
// the engine core knows them only through the slot face.
#include "engine2/core/IDX9KelSceneManager.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <functional>
#include <string>

namespace Vorna2 {

// The GUI: each frame the input's mouse buttons, wheel, typed character and
// keyboard are copied in before its update; it draws in the render
// system's GUI pass.
class GUISceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* scene) override;
    void Process(float frameTime) override;
    void Render(IDirect3DDevice9* device) override;
    void Release() override { m_Manager.Release(); }
    bool HoldsCursor() const override { return m_Manager.m_iHoverDialog != -1; }
    bool HasDrawing() const override { return !m_Manager.m_DrawList.empty(); }
    int GetDrawWidth() const override { return m_Manager.m_iClientWidth; }
    int GetDrawHeight() const override { return m_Manager.m_iClientHeight; }

    CDX9KelGUIManager m_Manager;
};

// The screens over the scene's GUI manager. When the program gave a screen
// folder, the screen manager reads its screens from that folder, unless
// "engine.ini" names another one under [Campaign Settings] ScreenFolder;
// they are loaded at start-up (start sequence first) unless the program
// loads them itself (a game scene that gives the manager its screen
// modules first).
class ScreenSceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* scene) override;
    void Process(float frameTime) override;
    void Release() override;

    CDX9KelCIIScreenManager m_Manager;
    // True when the screens were loaded at start-up.
    bool m_bLoaded = false;
};

// The global sound manager: opened with the scene's camera manager, stepped
// each frame (listener, music list, sources), and shut down with the scene
// (music stopped, resources and sources released, device closed). A scene
// object's sounds go with its models.
class SoundSceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* scene) override;
    void Process(float frameTime) override;
    void Release() override;
    void ReleaseObjectResources(CDX9KelSceneObject* object) override;
};

void RegisterGUISceneSlot();
// folder: where the screens are loaded from, relative to the program
// folder; empty: no folder is set and nothing is loaded at start-up (the
// game scene or a driver loads them). loadAtStart false: the folder is set
// but the screens wait for the program to load them.
void RegisterScreenSceneSlot(const std::string& folder, bool loadAtStart = true);
void RegisterSoundSceneSlot();
// How the start sequence waits after each picture, for screen managers
// made afterwards; empty restores the real wait.
void SetScreenStartWait(std::function<void(DWORD)> wait);

// The scene's managers; null when their slot holds none.
CDX9KelGUIManager* GetGUIManager(const CDX9KelScene* scene);
CDX9KelCIIScreenManager* GetScreenManager(const CDX9KelScene* scene);

} // namespace Vorna2
