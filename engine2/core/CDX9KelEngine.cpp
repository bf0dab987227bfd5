#include "engine2/core/CDX9KelEngine.h"

#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "platform/os/CrashFilter.h"
#include "platform/os/Profile.h"
#include "platform/window/DirectInputCodes.h"

#include <clocale>
#include <new>

namespace Vorna2 {

CDX9KelEngine::CDX9KelEngine() = default;

CDX9KelEngine::~CDX9KelEngine() {
    delete m_pScene;
    delete m_pRender;
    delete m_pApp;
}

std::string CDX9KelEngine::ApplyLocalSettings(const std::string& localIniPath) {
    char language[40] = {};
    GetPrivateProfileStringA("Local Settings", "Language", "English", language, sizeof language,
                             localIniPath.c_str());
    std::setlocale(LC_CTYPE, language);
    return language;
}

DisplaySettings CDX9KelEngine::ReadDisplaySettings(const std::string& engineIniPath) {
    const char* ini = engineIniPath.c_str();
    auto readInt = [ini](const char* key) {
        return static_cast<int>(GetPrivateProfileIntA("Grafic Settings", key, -1, ini));
    };
    DisplaySettings s;
    s.fullScreen = readInt("FullScreen");
    s.width = readInt("Width");
    s.height = readInt("Height");
    s.refreshRate = readInt("RefreshRate");
    return s;
}

bool CDX9KelEngine::Run() {
    std::string path;
    CDX9KelUtils::GetExeFolderPath(path, "\\local.ini");
    ApplyLocalSettings(path);
    g_Log.Open();
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    Platform::InstallPlainCrashFilter(g_Log.GetPath().c_str());

    g_Log.Write(LOG_INFO, "CDX9KelEngine::Run()\n");
    const bool started = InitInterfaces() && InitDevice() && InitInput();
    if (started) {
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
    } else {
        // A failed start runs no Release; what was made is only freed here,
        // while the window and graphics systems still exist.
        delete m_pScene;
        m_pScene = nullptr;
        delete m_pRender;
        m_pRender = nullptr;
        delete m_pApp;
        m_pApp = nullptr;
    }
    // The devices belong to the window system, which must still be there
    // when they go.
    g_Input.ReleaseDevices();
    return started;
}

bool CDX9KelEngine::InitInterfaces() {
    g_Log.Write(LOG_INFO, "CDX9KelEngine::InitInterfaces(): ");
    if (!m_pApp) {
        m_pApp = new (std::nothrow) CDX9KelApp();
        if (!m_pApp) {
            g_Log.Write(LOG_ERROR, "%s", "Error : m_pApp = new CDX9KelApp\n");
            return false;
        }
    }
    if (!m_pRender) {
        m_pRender = new (std::nothrow) CDX9KelRender();
        if (!m_pRender) {
            g_Log.Write(LOG_ERROR, "%s", "Error : m_pRender = new CDX9KelRender\n");
            return false;
        }
    }
    if (!m_pScene) {
        m_pScene = new (std::nothrow) CDX9KelScene();
        if (!m_pScene) {
            g_Log.Write(LOG_ERROR, "%s", "Error : m_pScene = new CDX9KelScene\n");
            return false;
        }
    }
    m_pScene->m_pApp = m_pApp;
    m_pScene->m_pRender = m_pRender;
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelEngine::InitDevice() {
    if (!m_pApp || !m_pRender) return false;
    std::string path;
    CDX9KelUtils::GetExeFolderPath(path, "\\engine.ini");
    const DisplaySettings s = ReadDisplaySettings(path);
    if (FAILED(m_pRender->InitialD3D())) return false;
    if (FAILED(m_pRender->CheckWindowMode(s.fullScreen, s.width, s.height, s.refreshRate))) return false;
    if (FAILED(m_pApp->CreateWnd(m_pRender->m_iWidth, m_pRender->m_iHeight, m_pRender->m_iFullScreen != 0, m_hIcon,
                                 m_bShowArrowCursor, nullptr, 0, 0)))
        return false;
    return SUCCEEDED(m_pRender->InitialD3DDevice(m_pApp->m_hWnd));
}

bool CDX9KelEngine::InitInput() {
    if (!m_pApp || !m_pScene) return false;
    if (!g_Input.InputInit()) return false;
    if (!g_Input.KeyboardInit(m_pApp->m_hWnd)) return false;
    if (!g_Input.MouseInit(m_pApp->m_hWnd)) return false;
    return m_pScene->Init();
}

void CDX9KelEngine::Process() {
    g_Input.Poll();
    if (m_pScene && m_pScene->m_bDeveloperKeys) CheckQuit();
    if (m_pScene) m_pScene->Process();
}

void CDX9KelEngine::Render() {
    if (!m_pRender || !m_pScene) return;
    m_pRender->TestDevice();
    if (m_pRender->m_bDeviceLost) {
        if (m_pRender->m_bNeedReset) {
            m_pScene->OnLost();
            m_pRender->m_bDeviceLost = false;
        }
    } else if (m_pRender->m_bNeedReset && m_pRender->Restore()) {
        m_pScene->Restore();
        m_pRender->m_bNeedReset = false;
    }
    if (!m_pRender->m_bDeviceLost && !m_pRender->m_bNeedReset) m_pScene->RenderFrame();
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
    delete m_pApp;
    m_pApp = nullptr;
}

void CDX9KelEngine::CheckQuit() {
    if (g_Input.IsKeyDown(DIK_ESCAPE)) PostQuitMessage(0);
}

} // namespace Vorna2
