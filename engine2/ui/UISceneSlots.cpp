#include "engine2/ui/UISceneSlots.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"

#include <new>

namespace Vorna2 {

namespace {
// Function-local, so a program's engine object may register from its
// constructor before this file's globals would have been made.
std::string& ScreenFolder() {
    static std::string folder;
    return folder;
}
bool& LoadScreensAtStart() {
    static bool load = true;
    return load;
}
std::function<void(DWORD)>& StartWait() {
    static std::function<void(DWORD)> wait;
    return wait;
}
} // namespace

// ---- GUI ----

bool GUISceneSlot::Init(CDX9KelScene* scene) {
    if (!scene) return false;
    return m_Manager.Init(scene->GetWindowHandle(), scene->GetD3DDevice(), scene->m_pGrahResManager,
                          scene->m_pRenderSystem);
}

void GUISceneSlot::Process(float) {
    CDX9Kelinput& input = g_Input;
    // The buttons as the window's messages left them: a quick click holds its
    // button for one frame, and losing the focus lets go of every button.
    m_Manager.m_bLeftButton = input.m_bLeftHeld != 0;
    m_Manager.m_bRightButton = input.m_bRightHeld != 0;
    m_Manager.m_bMiddleButton = input.m_bMiddleHeld != 0;
    m_Manager.m_fWheel = input.m_fWheel;
    m_Manager.m_cTypedChar = static_cast<char>(input.m_Char);
    m_Manager.m_strTyped = input.TakeTyped();
    m_Manager.m_pKeyboard = input.m_KeyboardState;
    m_Manager.Update();
}

void GUISceneSlot::Render(IDirect3DDevice9*) { m_Manager.DrawControls(); }

// ---- screens ----

bool ScreenSceneSlot::Init(CDX9KelScene* scene) {
    CDX9KelGUIManager* gui = scene ? GetGUIManager(scene) : nullptr;
    if (!gui || !scene->m_pRender) return false;
    m_Manager.Init(gui, scene->m_pRender, nullptr);
    if (StartWait()) m_Manager.m_StartWait = StartWait();
    if (ScreenFolder().empty()) return true;
    char folder[260] = {};
    const std::string ini = Platform::ProgramFolder() + "engine.ini";
    GetPrivateProfileStringA("Campaign Settings", "ScreenFolder", ScreenFolder().c_str(), folder, sizeof folder,
                             ini.c_str());
    m_Manager.m_strScreenFolder = folder;
    if (!LoadScreensAtStart()) return true;
    // Screens that do not load leave the scene running without them; the
    // loader has logged why.
    m_bLoaded = m_Manager.LoadScreens();
    return true;
}

void ScreenSceneSlot::Process(float) { m_Manager.Update(); }

void ScreenSceneSlot::Release() {
    // The GUI manager is gone by now: the screens forget their dialogs
    // without asking it.
    m_Manager.Release();
    m_Manager.m_pGUIManager = nullptr;
    m_bLoaded = false;
}

// ---- sound ----

bool SoundSceneSlot::Init(CDX9KelScene* scene) {
    return scene && g_SoundManager.Init(scene->m_pCameraManager);
}

void SoundSceneSlot::Process(float) {
    g_SoundManager.UpdateListener();
    g_SoundManager.ProcMusicList();
    g_SoundManager.Update();
}

void SoundSceneSlot::Release() {
    g_Log.Write(LOG_INFO, "%s", "COALSoundManager : shutdown\n");
    g_SoundManager.StopMusic();
    g_SoundManager.ReleaseResources();
    g_SoundManager.ReleaseSources();
    g_SoundManager.CloseDevice();
}

void SoundSceneSlot::ReleaseObjectResources(CDX9KelSceneObject* object) {
    if (!object) return;
    for (DWORD id : object->m_SoundIds)
        if (COALSoundResource* r = g_SoundManager.GetSoundResource(static_cast<int>(id)))
            g_SoundManager.DeleteSoundResource(r, true);
    object->m_SoundIds.clear();
}

// ---- registration ----

void RegisterGUISceneSlot() {
    CDX9KelScene::RegisterManager(KEL_SCENE_GUI_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new (std::nothrow) GUISceneSlot(); });
}

void RegisterScreenSceneSlot(const std::string& folder, bool loadAtStart) {
    ScreenFolder() = folder;
    LoadScreensAtStart() = loadAtStart;
    CDX9KelScene::RegisterManager(KEL_SCENE_SCREEN_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new (std::nothrow) ScreenSceneSlot(); });
}

void RegisterSoundSceneSlot() {
    CDX9KelScene::RegisterManager(KEL_SCENE_SOUND_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new (std::nothrow) SoundSceneSlot(); });
}

void SetScreenStartWait(std::function<void(DWORD)> wait) { StartWait() = std::move(wait); }

CDX9KelGUIManager* GetGUIManager(const CDX9KelScene* scene) {
    auto* slot = scene ? dynamic_cast<GUISceneSlot*>(scene->GetManager(KEL_SCENE_GUI_MANAGER)) : nullptr;
    return slot ? &slot->m_Manager : nullptr;
}

CDX9KelCIIScreenManager* GetScreenManager(const CDX9KelScene* scene) {
    auto* slot = scene ? dynamic_cast<ScreenSceneSlot*>(scene->GetManager(KEL_SCENE_SCREEN_MANAGER)) : nullptr;
    return slot ? &slot->m_Manager : nullptr;
}

} // namespace Vorna2
