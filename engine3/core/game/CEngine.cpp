#include "engine3/core/CEngine.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "platform/window/Window.h"

#include <new>

namespace Vorna3D {

namespace {

constexpr int kIconResource = 129;

CEngine::SoundThreadHooks& Hooks() {
    static CEngine::SoundThreadHooks hooks;
    return hooks;
}

} // namespace

CEngine g_Engine;

void CEngine::SetSoundThreadHooks(const SoundThreadHooks& hooks) { Hooks() = hooks; }

CEngine::CEngine() {
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));
    // The game sets its own cursor, so the window class has none.
    m_bShowArrowCursor = false;
}

CEngine::~CEngine() = default;

bool CEngine::InitInterfaces() {
    // The game scene takes this place once it exists; until then the engine
    // scene stands as the program's scene.
    CDX9KelScene* scene = new (std::nothrow) CDX9KelScene();
    if (!scene) return false;
    if (m_pScene && m_pScene != scene) {
        delete scene;
        return false;
    }
    m_pScene = scene;

    if (Hooks().create) {
        m_hSoundThread = Hooks().create(&m_dwSoundThreadId);
        if (!m_hSoundThread) g_Log.Write(LOG_ERROR, "SOUND THREAD not creating\n");
    }
    return CDX9KelEngine::InitInterfaces();
}

bool CEngine::InitInput() {
    if (!CDX9KelEngine::InitInput()) return false;
    if (m_hSoundThread) ResumeThread(m_hSoundThread);
    return true;
}

void CEngine::Release() {
    // Without a thread the stop acts on a null handle and returns at once.
    if (Hooks().stop)
        Hooks().stop(m_hSoundThread);
    else if (m_hSoundThread)
        CloseHandle(m_hSoundThread);
    m_hSoundThread = nullptr;
    m_dwSoundThreadId = 0;
    g_Log.Write(LOG_INFO, "CEngine::Release() : Close sound thread\n");
    CDX9KelEngine::Release();
}

} // namespace Vorna3D
