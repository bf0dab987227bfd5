#include "seabattle/shell/CEngine.h"

#include "engine3/core/CDX9KelLog.h"
#include "seabattle/shell/CScene.h"
#include "seabattle/shell/SGUISceneSlot.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/window/Window.h"

#include <new>

namespace SeaBattle {

using namespace Vorna3D;

namespace {

constexpr int kIconResource = 129;

} // namespace

CEngine g_Engine;

CEngine::CEngine() {
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));
    // The game sets its own cursor, so the window class has none.
    m_bShowArrowCursor = false;
}

CEngine::~CEngine() = default;

void CEngine::RegisterSceneManagers() {
    CDX9KelScene::RegisterManager(KEL_SCENE_SGUI_MANAGER, &SGUISceneSlot::Create);
    RegisterParticlesSceneSlot();
    RegisterPhysicsSceneSlot();
    CDX9KelScene::RegisterManager(KEL_SCENE_SCREEN_MANAGER, &CVR3CIIScreenManager::Create);
    CDX9KelScene::RegisterManager(KEL_SCENE_GUI3D_MANAGER, &CVR3GUI3DManager::Create);
}

bool CEngine::InitInterfaces() {
    RegisterSceneManagers();
    CDX9KelScene* scene = new (std::nothrow) CScene();
    if (!scene) return false;
    if (m_pScene && m_pScene != scene) {
        delete scene;
        return false;
    }
    m_pScene = scene;

    m_hSoundThread = CVR3SOUNDManager::CreateGlobalSoundThread(&m_dwSoundThreadId);
    if (!m_hSoundThread) g_Log.Write(LOG_ERROR, "SOUND THREAD not creating\n");
    return CDX9KelEngine::InitInterfaces();
}

bool CEngine::InitInput() {
    if (!CDX9KelEngine::InitInput()) return false;
    if (m_hSoundThread) ResumeThread(m_hSoundThread);
    return true;
}

void CEngine::Release() {
    // Without a thread the stop only sets the stop flag.
    CVR3SOUNDManager::StopGlobalSoundThread(m_hSoundThread);
    m_hSoundThread = nullptr;
    m_dwSoundThreadId = 0;
    g_Log.Write(LOG_INFO, "CEngine::Release() : Close sound thread\n");
    CDX9KelEngine::Release();
}

} // namespace SeaBattle
