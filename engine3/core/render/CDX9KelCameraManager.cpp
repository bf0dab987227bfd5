#include "engine3/core/render/CDX9KelCameraManager.h"

#include "engine3/core/render/CDX9KelGlobalCamera.h"

namespace Vorna3D {

bool CDX9KelCameraManager::SetWindow(int width, int height, HWND hWnd)
{
    if (!CDX9KelBaseCameraManager::SetWindow(width, height, hWnd)) return false;
    auto* camera = new CDX9KelGlobalCamera();
    float mmx = 1.0f, mmy = 1.0f;
    GetMillimetresPerPixel(hWnd, width, height, m_bFullScreen, &mmx, &mmy);
    if (!camera->Init("Main", 0, width, height, mmx, mmy) || !AddCamera(camera)) {
        delete camera;
        return true;
    }
    m_pActiveCamera = camera;
    m_bChanged = true;
    return true;
}

} // namespace Vorna3D
