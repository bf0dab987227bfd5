#include "engine2/core/CDX9KelScene.h"

#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelLightManager.h"
#include "engine2/core/render/CDX9KelRender.h"

#include <new>

namespace Vorna2 {

CDX9KelScene::~CDX9KelScene() { Release(); }

bool CDX9KelScene::InitFPSCounter() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitFPSCounter(): ");
    g_FPSCounter.Init(100.0f);
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitBaseCameraManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitBaseCameraManager(): ");
    if (!m_pCameraManager) {
        m_pCameraManager = new (std::nothrow) CDX9KelBaseCameraManager();
        if (!m_pCameraManager) return false;
        m_pCameraManager->Init(GetRenderWidth(), GetRenderHeight(), GetWindowHandle());
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitLightManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitLightManager(): ");
    if (!m_pLightManager) {
        m_pLightManager = new (std::nothrow) CDX9KelLightManager();
        if (!m_pLightManager) return false;
        if (!m_pLightManager->AddDefaultLight()) {
            delete m_pLightManager;
            m_pLightManager = nullptr;
            return false;
        }
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::Init() {
    if (!m_pRender) return false;
    if (!InitFPSCounter()) return false;
    if (!InitBaseCameraManager()) return false;
    if (!InitLightManager()) return false;
    if (m_pApp && m_pApp->m_hWnd) {
        ShowWindow(m_pApp->m_hWnd, SW_SHOWDEFAULT);
        UpdateWindow(m_pApp->m_hWnd);
    }
    return true;
}

void CDX9KelScene::Process() {
    if (m_pCameraManager && m_pCameraManager->GetActiveCamera()) m_pCameraManager->GetActiveCamera()->Control();
    if (m_pCameraManager) m_pCameraManager->Update();
}

bool CDX9KelScene::RenderFrame() {
    g_FPSCounter.Update();
    if (!m_pRender) return false;
    m_pRender->BeginRender(m_ClearColor);
    IDirect3DDevice9* device = GetD3DDevice();
    if (m_pCameraManager && m_pCameraManager->GetActiveCamera() && device) {
        m_pCameraManager->m_bCameraSwitched = false;
        m_pCameraManager->GetActiveCamera()->SetTransforms(device);
    }
    if (m_pLightManager) m_pLightManager->ClearChangedFlags();
    m_pRender->EndRender();
    return true;
}

bool CDX9KelScene::OnLost() {
    g_Log.Write(LOG_INFO, "%s", "CDX9KelScene::OnLost() : ");
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::Restore() {
    g_Log.Write(LOG_INFO, "%s", "CDX9KelScene::Restore() : ");
    if (m_pCameraManager) m_pCameraManager->SetProjection(GetRenderWidth(), GetRenderHeight());
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

void CDX9KelScene::Release() {
    if (m_pCameraManager) {
        m_pCameraManager->ReleaseCameras();
        delete m_pCameraManager;
        m_pCameraManager = nullptr;
    }
    if (m_pLightManager) {
        m_pLightManager->Clear();
        delete m_pLightManager;
        m_pLightManager = nullptr;
    }
}

HWND CDX9KelScene::GetWindowHandle() const { return m_pApp ? m_pApp->m_hWnd : nullptr; }
int CDX9KelScene::GetWindowWidth() const { return m_pApp ? m_pApp->m_iWidth : 0; }
int CDX9KelScene::GetWindowHeight() const { return m_pApp ? m_pApp->m_iHeight : 0; }
int CDX9KelScene::GetRenderWidth() const { return m_pRender ? m_pRender->GetWidth() : 0; }
int CDX9KelScene::GetRenderHeight() const { return m_pRender ? m_pRender->GetHeight() : 0; }
IDirect3DDevice9* CDX9KelScene::GetD3DDevice() const { return m_pRender ? m_pRender->GetDevice() : nullptr; }

} // namespace Vorna2
