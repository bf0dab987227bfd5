#include "engine3/core/CDX9KelEngine.h"

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "platform/os/CrashFilter.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"
#include "platform/window/DirectInputCodes.h"

#include <algorithm>
#include <new>

namespace Vorna3D {

namespace {

constexpr const char* kUserDataSection = "User Data";
constexpr const char* kGraficSection = "Grafic Settings";

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

} // namespace

CDX9KelEngine::CDX9KelEngine() = default;

CDX9KelEngine::~CDX9KelEngine() = default;

std::string CDX9KelEngine::DetermineDataFolder(const std::string& programFolder, const std::string& documentsFolder,
                                               std::string* error) {
    if (error) error->clear();
    const std::string program = Platform::WithTrailingSeparator(programFolder);
    const std::string foldersIni = programFolder + kFoldersIni;
    const int useLocal =
        static_cast<int>(GetPrivateProfileIntA(kUserDataSection, "UseLocalDirectory", 0, foldersIni.c_str()));
    if (useLocal == 0) return program;

    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(kUserDataSection, "UserLocalDirectory", "", value, MAX_PATH, foldersIni.c_str());
    std::string folder =
        documentsFolder.empty() ? std::string(value) : Platform::WithTrailingSeparator(documentsFolder) + value;
    if (folder.size() > MAX_PATH - 1) folder.resize(MAX_PATH - 1);
    // File names are appended directly, so the folder must end with a separator.
    if (!EndsWithSeparator(folder)) folder += '/';

    // A fresh account may have no documents folder yet: the whole chain is
    // made. Without a documents folder, or when the chain cannot be made, the
    // per-user files go beside the program rather than wherever the process
    // happens to stand.
    if (!documentsFolder.empty() && Platform::CreateFolderTree(folder)) return folder;
    if (error)
        *error = "CDX9KelEngine : the user data folder " +
                 (documentsFolder.empty() ? folder + " (no $XDG_DATA_HOME or $HOME)" : folder) +
                 " cannot be made; the program folder " + program + " is used\n";
    return program;
}

CDX9KelEngine::GraficSettings CDX9KelEngine::ReadGraficSettings(const std::string& engineIniPath) {
    const char* ini = engineIniPath.c_str();
    auto readInt = [ini](const char* key, int def) {
        return static_cast<int>(GetPrivateProfileIntA(kGraficSection, key, def, ini));
    };
    GraficSettings s;
    s.iFullScreen = readInt("FullScreen", -1);
    s.iWidth = readInt("Width", -1);
    s.iHeight = readInt("Height", -1);
    s.iRefreshRate = readInt("RefreshRate", -1);
    s.iMultisampleType = readInt("MultisapleType", 0);
    s.bVSync = readInt("VSync", 0) != 0;
    s.iAnisotropy = readInt("Anisotropy", 2);
    return s;
}

bool CDX9KelEngine::Run() {
    std::string folderError;
    m_strDataFolder = DetermineDataFolder(Platform::ProgramFolder(), Platform::CommonDocumentsFolder(), &folderError);
    const std::string logPath = m_strDataFolder + m_strLogFileName;
    g_Log.Open(logPath.c_str());
    g_Log.RegisterExitSummary();
    if (!folderError.empty()) g_Log.Write(LOG_ERROR, "%s", folderError.c_str());
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    // The crash line continues the log's numbering from a lock-free copy of
    // its counter.
    Platform::InstallCrashFilter(logPath.c_str(), &CDX9KelLog::CrashLineCounter);

    g_Log.Write(LOG_INFO, "CDX9KelEngine::Run()\n");
    if (!InitInterfaces()) return false;
    if (!InitDevice()) return false;
    if (!InitInput()) return false;

    g_Log.Write(LOG_INFO, "CDX9KelEngine::Run() : Start Main Loop\n");
    MSG msg = {};
    while (msg.message != WM_QUIT) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            Process();
            Render();
            g_Input.m_fWheel = 0.0f;
        }
    }

    g_Log.Write(LOG_INFO, "CDX9KelEngine::Run() : Release\n");
    Release();
    return true;
}

bool CDX9KelEngine::InitInterfaces() {
    g_Log.Write(LOG_INFO, "CDX9KelEngine::InitInterfaces(): ");
    if (!m_pApp) {
        m_pApp = new (std::nothrow) CDX9KelApp();
        if (!m_pApp) {
            g_Log.Write(LOG_ERROR, "Error : m_pApp = new CDX9KelApp\n");
            return false;
        }
    }
    if (!m_pRender) {
        m_pRender = new (std::nothrow) CDX9KelRender();
        if (!m_pRender) {
            g_Log.Write(LOG_ERROR, "Error : m_pRender = new CDX9KelRender\n");
            return false;
        }
    }
    if (!m_pScene) {
        m_pScene = new (std::nothrow) CDX9KelScene();
        if (!m_pScene) {
            g_Log.Write(LOG_ERROR, "Error : m_pScene = new CDX9KelScene\n");
            return false;
        }
    }
    if (m_pApp) m_pScene->SetApp(m_pApp);
    if (m_pRender) m_pScene->SetRender(m_pRender);
    m_pScene->SetDataFolder(m_strDataFolder);
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelEngine::InitDevice() {
    if (!m_pApp || !m_pRender) return false;
    m_GraficSettings = ReadGraficSettings(m_strDataFolder + kEngineIni);
    const GraficSettings& s = m_GraficSettings;

    if (FAILED(m_pRender->InitialD3D())) return false;
    if (FAILED(m_pRender->SetWindowMode(s.iFullScreen, s.iWidth, s.iHeight, s.iRefreshRate, s.iMultisampleType,
                                        s.bVSync)))
        return false;
    if (FAILED(m_pApp->CreateWnd(m_pRender->m_iWidth, m_pRender->m_iHeight, m_pRender->m_iFullScreen != 0, m_hIcon,
                                 m_bShowArrowCursor, nullptr, 0, 0)))
        return false;
    if (FAILED(m_pRender->InitialD3DDevice(m_pApp->m_hWnd))) return false;

    // The setting compares unsigned, so a negative value takes the device's maximum.
    const DWORD anisotropy = std::min(static_cast<DWORD>(s.iAnisotropy), m_pRender->m_dwMaxAnisotropy);
    m_pRender->m_dwAnisotropy = anisotropy;
    if (m_pRender->m_pD3DDevice) m_pRender->m_pD3DDevice->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, anisotropy);
    return true;
}

bool CDX9KelEngine::InitInput() {
    if (!m_pApp || !m_pScene) return false;
    if (FAILED(g_Input.InputInit())) return false;
    if (!g_Input.KeyboardInit(m_pApp->m_hWnd)) return false;
    if (!g_Input.MouseInit(m_pApp->m_hWnd)) return false;
    return m_pScene->Init();
}

void CDX9KelEngine::Process() {
    g_Input.Update();
    if (m_pScene && m_pScene->m_bDebugKeys) CheckQuit();
    if (m_pScene) m_pScene->Process();
}

void CDX9KelEngine::Render() {
    if (!m_pRender || !m_pScene) return;
    m_pRender->TestDevice();
    if (m_pRender->m_bLost) {
        if (m_pRender->m_bNeedReset) {
            if (!m_bSceneReleased) {
                m_pScene->OnLost();
                m_bSceneReleased = true;
            }
            m_pRender->m_bLost = false;
        }
    } else if (m_pRender->m_bNeedReset) {
        // A device may ask for a reset without having reported the loss; the
        // scene still lets go of its device objects first.
        if (!m_bSceneReleased) {
            m_pScene->OnLost();
            m_bSceneReleased = true;
        }
        if (m_pRender->Restore()) {
            m_pScene->Restore();
            m_bSceneReleased = false;
            m_pRender->m_bNeedReset = false;
        }
    }
    if (!m_pRender->m_bLost && !m_pRender->m_bNeedReset) m_pScene->RenderFrame();
}

void CDX9KelEngine::Release() {
    if (m_pScene) {
        m_pScene->Release();
        delete m_pScene;
        m_pScene = nullptr;
    }
    if (m_pRender) {
        m_pRender->Release();
        delete m_pRender;
        m_pRender = nullptr;
    }
    // The input devices are bound to the window; they go before it.
    g_Input.Release();
    delete m_pApp;
    m_pApp = nullptr;
    m_bSceneReleased = false;
}

void CDX9KelEngine::CheckQuit() {
    if (g_Input.m_KeyboardState[DIK_ESCAPE] & 0x80) PostQuitMessage(0);
}

} // namespace Vorna3D
