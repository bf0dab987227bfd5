#include "seabattle/shell/CScene.h"

#include <new>
#include <string>

#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/CDXFont.h"
#include "seabattle/shell/CCIIModuleManager.h"
#include "seabattle/shell/SGUISceneSlot.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "engine3/ui/localization/CVR3LocalizationManager.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"
#include "platform/window/DirectInput.h"

namespace SeaBattle {

using namespace Vorna3D;

namespace {

constexpr const char* kFoldersIni = "folders.ini";
constexpr const char* kEngineIni = "engine.ini";
constexpr const char* kCursorFile = "Default.cur";
constexpr const char* kDefaultScreenshots = "Screenshots\\";

constexpr DWORD kIntervalF1F2 = 200;
constexpr DWORD kIntervalF3F4 = 300;
constexpr DWORD kIntervalF5 = 1000;
constexpr DWORD kIntervalF6 = 500;

std::string ReadFolders(const char* section, const char* key, const char* def) {
    const std::string ini = g_Utils.GetExeFolderPathString(kFoldersIni);
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(section, key, def, value, sizeof value, ini.c_str());
    return value;
}

} // namespace

CScene::CScene() {
    m_bShowStatistics = false;
    m_bDebugKeys = false;
}

CScene::~CScene() { Release(); }

CVR3CIIScreenManager* CScene::GetScreenManager() const {
    return dynamic_cast<CVR3CIIScreenManager*>(GetManager(KEL_SCENE_SCREEN_MANAGER));
}

bool CScene::InitBaseCameraManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitCameraManager(): ");
    if (!m_pCameraManager) {
        if (!m_pRender) return false;
        auto* cameras = new (std::nothrow) CDX9KelCameraManager();
        if (!cameras) return false;
        m_pCameraManager = cameras;
        cameras->m_bFullScreen = m_pRender->m_iFullScreen != 0;
        if (!cameras->SetWindow(static_cast<int>(m_pRender->GetBackBufferWidth()),
                                static_cast<int>(m_pRender->GetBackBufferHeight()), GetHWND()))
            return false;
    }
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CScene::Init() {
    if (!CDX9KelScene::Init()) return false;
    if (m_pRender) {
        m_pRender->BeginRender(kBlack);
        m_pRender->EndRender();
        m_pRender->Present();
    }
    g_Log.Write(LOG_INFO, "CScene::Init() : Begin\n");

    CVR3LocalizationManager::Get().CreateLocalData();

    // The sound lines stand still while the screens load their music.
    CVR3SOUNDManager& sound = CVR3SOUNDManager::Get();
    sound.SetSoundLinesActive(false);
    m_bSoundStarted = true;
    const std::string engineIni = m_strDataFolder + kEngineIni;
    sound.Init(dynamic_cast<CDX9KelCameraManager*>(m_pCameraManager),
               m_strDataFolder.empty() ? nullptr : engineIni.c_str());

    m_pCIIModuleManager = new (std::nothrow) CCIIModuleManager();
    if (!m_pCIIModuleManager) {
        g_Log.Write(LOG_ERROR, "CScene::Init() : m_pCIIModuleManager == NULL\n");
        return false;
    }
    CVR3CIIScreenManager* screens = GetScreenManager();
    if (screens) {
        screens->SetModuleManager(m_pCIIModuleManager);
        if (CDX9KelSGUIManager* gui = GetSGUIManager(this)) screens->SetSGUIManager(gui);
    }
    if (!screens || !screens->LoadScreens()) {
        g_Log.Write(LOG_ERROR, "CScene::Init() : LoadScreens() failed\n");
        return false;
    }
    sound.SetSoundLinesActive(true);

    // The cursor file lies in the user-interface folder beside the program.
    const std::string cursor =
        g_Utils.GetExeFolderPathString((ReadFolders("Graphic Data", "UserInterface", "") + kCursorFile).c_str());
    SetCurrentCursor(AddCursorFromFile(cursor.c_str()));

    m_strScreenshotFolder = m_strDataFolder + ReadFolders("User Data", "UserScreens", kDefaultScreenshots);
    CreateDirectoryA(m_strScreenshotFolder.c_str(), nullptr);

    // The scene runs its menus without a game: a game manager that cannot
    // start is logged and the program goes on.
    if (!CVR3GAMEManager::Get().Init(this))
        g_Log.Write(LOG_ERROR, "CScene::Init() : CVR3GAMEManager::Init() failed\n");
    g_Log.Write(LOG_INFO, "CScene::Init() : End\n");
    return true;
}

void CScene::DrawStatistics() {
    CDX9KelScene::DrawStatistics();
    if (m_bReportMode && m_bShowStatistics && m_pFont && m_pTextHelper) {
        m_pTextHelper->DrawTextLine("");
        m_pTextHelper->DrawTextLine("SCREENSHOTS REPORT MODE (F6)\n");
    }
}

void CScene::OnLost() {
    CDX9KelScene::OnLost();
    CVR3SOUNDManager::Get().OnLost();
    // The battle clock stops while the device is lost and runs on from the
    // restore, so the lost time is skipped.
    if (CVR3GAMEManager::Get().GetScene() == this) CVR3GAMEManager::Get().OnLost();
}

void CScene::Restore() {
    CDX9KelScene::Restore();
    CVR3SOUNDManager::Get().Restore();
    if (CVR3GAMEManager::Get().GetScene() == this) CVR3GAMEManager::Get().Restore();
}

void CScene::Process() {
    if (m_bSuspended) return;
    if (m_bGUIInput) {
        if (CDX9KelSGUIManager* gui = GetSGUIManager(this)) gui->SetInput(g_Input);
    } else {
        // Characters typed while no screen takes input are not kept for one.
        g_Input.TakeTyped();
    }
    if (m_pCIIModuleManager) m_pCIIModuleManager->ProcModules();
    CDX9KelScene::Process();
    if (CVR3GAMEManager::Get().GetScene() == this) CVR3GAMEManager::Get().ProcFrame();
    // The sound thread hears from where the camera now is, and sources that
    // follow an object take its new place.
    if (m_bSoundStarted) CVR3SOUNDManager::Get().UpdateFrame();
    ProcessFunctionKeys();
    if (m_bReportMode) {
        const DWORD now = timeGetTime();
        if (m_dwLastReportTime == 0 || now - m_dwLastReportTime > m_dwReportInterval) {
            Screenshot("Vorna3Engine_SHR_");
            m_dwLastReportTime = now;
        }
    }
}

bool CScene::KeyActs(BYTE dik, DWORD interval) {
    if (!(g_Input.m_KeyboardState[dik] & 0x80)) return false;
    DWORD& stamp = g_Input.m_dwRepeatTime1;
    const DWORD now = timeGetTime();
    if (stamp != 0) {
        if (now - stamp > interval) stamp = 0;
        return false;
    }
    stamp = now;
    return true;
}

void CScene::ProcessFunctionKeys() {
    if (m_bDebugKeys) {
        if (KeyActs(DIK_F1, kIntervalF1F2) && m_pRender) m_pRender->SetWireframe(true);
        if (KeyActs(DIK_F2, kIntervalF1F2) && m_pRender) m_pRender->SetWireframe(false);
        if (KeyActs(DIK_F3, kIntervalF3F4)) m_bShowStatistics = !m_bShowStatistics;
    }
    if (KeyActs(DIK_F4, kIntervalF3F4)) {
        m_bGUIVisible = !m_bGUIVisible;
        m_bGUIInput = m_bGUIVisible;
        if (auto* gui3d = dynamic_cast<CVR3GUI3DManager*>(GetManager(KEL_SCENE_GUI3D_MANAGER)))
            gui3d->SetDialogsVisible(m_bGUIVisible);
    }
    if (KeyActs(DIK_F5, kIntervalF5)) Screenshot("Vorna3Engine ");
    if (KeyActs(DIK_F6, kIntervalF6)) {
        m_bReportMode = !m_bReportMode;
        m_dwLastReportTime = 0;
    }
}

void CScene::Screenshot(const char* prefix) {
    char time[64] = {};
    CDX9KelUtils::GetDateTimeString(time);
    CDX9KelUtils::ReplaceChar(time, ':', '_');
    MakeScreenshot((std::string(prefix) + time).c_str());
}

void CScene::Release() {
    // The game's ships go before the physics and the sound they use.
    if (CVR3GAMEManager::Get().GetScene() == this) CVR3GAMEManager::Get().Release();
    if (m_bSoundStarted) CVR3SOUNDManager::Get().Release();
    m_bSoundStarted = false;
    CDX9KelScene::Release();
    if (m_pCIIModuleManager) {
        m_pCIIModuleManager->ReleaseModules();
        delete m_pCIIModuleManager;
        m_pCIIModuleManager = nullptr;
    }
}

} // namespace SeaBattle
