#include "engine3/core/render/CDX9KelBaseCameraManager.h"

#include <cstring>

#include "platform/window/Window.h"

namespace Vorna3D {

CDX9KelBaseCameraManager::~CDX9KelBaseCameraManager() { ReleaseAll(); }

bool CDX9KelBaseCameraManager::AddCamera(CDX9KelBaseCamera* pCamera)
{
    if (!pCamera || pCamera->m_strName.empty() || pCamera->m_iManagerIndex != -1) return false;
    if (FindCamera(pCamera->m_strName.c_str())) return false;
    if (!m_vFreeSlots.empty()) {
        const DWORD slot = m_vFreeSlots.back();
        m_vFreeSlots.pop_back();
        m_vCameras[slot] = pCamera;
        pCamera->m_iManagerIndex = static_cast<int>(slot);
    } else {
        m_vCameras.push_back(pCamera);
        pCamera->m_iManagerIndex = static_cast<int>(m_vCameras.size() - 1);
    }
    return true;
}

bool CDX9KelBaseCameraManager::SetWindow(int width, int height, HWND hWnd)
{
    if (!hWnd || width < 0 || height < 0) return false;
    m_iWidth = width;
    m_iHeight = height;
    m_hWnd = hWnd;
    return true;
}

CDX9KelBaseCamera* CDX9KelBaseCameraManager::FindCamera(const char* szName) const
{
    if (!szName) return nullptr;
    for (CDX9KelBaseCamera* c : m_vCameras)
        if (c && c->m_strName == szName) return c;
    return nullptr;
}

void CDX9KelBaseCameraManager::EndFrame()
{
    if (m_bSkipReset) {
        m_bSkipReset = false;
        return;
    }
    for (CDX9KelBaseCamera* c : m_vCameras) {
        if (!c) continue;
        c->m_bChanged = false;
        c->m_bChanged2 = false;
    }
    m_bChanged = false;
}

void CDX9KelBaseCameraManager::Restore(int width, int height)
{
    if (width < 0 || height < 0) return;
    m_iWidth = width;
    m_iHeight = height;
    float mmx = 1.0f, mmy = 1.0f;
    GetMillimetresPerPixel(m_hWnd, width, height, m_bFullScreen, &mmx, &mmy);
    for (CDX9KelBaseCamera* c : m_vCameras)
        if (c) c->SetAspect(width, height, mmx, mmy);
}

void CDX9KelBaseCameraManager::ReleaseAll()
{
    for (CDX9KelBaseCamera*& c : m_vCameras) {
        delete c;
        c = nullptr;
    }
    m_vCameras.clear();
    m_vFreeSlots.clear();
    m_pActiveCamera = nullptr;
}

void CDX9KelBaseCameraManager::GetMillimetresPerPixel(HWND hWnd, int width, int height, bool bFullScreen,
                                                      float* pMmX, float* pMmY)
{
    if (!pMmX || !pMmY) return;
    *pMmX = 1.0f;
    *pMmY = 1.0f;
    HDC dc = GetWindowDC(hWnd);
    if (!dc) return;
    const int mmW = GetDeviceCaps(dc, HORZSIZE);
    const int mmH = GetDeviceCaps(dc, VERTSIZE);
    const int resW = GetDeviceCaps(dc, HORZRES);
    const int resH = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(hWnd, dc);
    if (mmW <= 0 || mmH <= 0) return;
    const int pxW = bFullScreen ? width : resW;
    const int pxH = bFullScreen ? height : resH;
    if (pxW <= 0 || pxH <= 0) return;
    *pMmX = static_cast<float>(mmW) / static_cast<float>(pxW);
    *pMmY = static_cast<float>(mmH) / static_cast<float>(pxH);
}

} // namespace Vorna3D
