#include "engine3/core/CDX9KelScene.h"

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "platform/window/Window.h"

namespace Vorna3D {

CDX9KelScene::CDX9KelScene() = default;

CDX9KelScene::~CDX9KelScene() = default;

bool CDX9KelScene::Init() {
    if (!m_pRender) return false;
    if (m_pApp && m_pApp->m_hWnd) {
        ShowWindow(m_pApp->m_hWnd, SW_SHOWDEFAULT);
        UpdateWindow(m_pApp->m_hWnd);
    }
    return true;
}

void CDX9KelScene::RenderFrame() {
    if (m_bSuspended || !m_pRender) return;
    m_pRender->BeginRender(m_ClearColor);
    m_pRender->EndRender();
    m_pRender->Present();
}

void CDX9KelScene::OnLost() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::OnLost() : Begin\n");
    m_bSuspended = true;
    g_Log.Write(LOG_INFO, "CDX9KelScene::OnLost() : End\n");
}

void CDX9KelScene::Restore() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::Restore() : Begin\n");
    m_bSuspended = false;
    g_Log.Write(LOG_INFO, "CDX9KelScene::Restore() : End\n");
}

void CDX9KelScene::Process() {
    if (m_bSuspended) return;
}

void CDX9KelScene::Release() {}

HWND CDX9KelScene::GetHWND() const { return m_pApp ? m_pApp->m_hWnd : nullptr; }

int CDX9KelScene::GetWidth() const { return m_pApp ? m_pApp->m_iWidth : 0; }

int CDX9KelScene::GetHeight() const { return m_pApp ? m_pApp->m_iHeight : 0; }

} // namespace Vorna3D
