#pragma once
// Owns the cameras of the engine scene by name, knows the main window and
// its size, and marks one camera active.
#include <vector>

#include "engine3/core/render/CDX9KelBaseCamera.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {

class CDX9KelBaseCameraManager {
public:
    CDX9KelBaseCameraManager() = default;
    virtual ~CDX9KelBaseCameraManager(); // frees every camera
    CDX9KelBaseCameraManager(const CDX9KelBaseCameraManager&) = delete;
    CDX9KelBaseCameraManager& operator=(const CDX9KelBaseCameraManager&) = delete;

    // Takes ownership of a named camera not yet in a manager, in the most
    // recently freed slot or appended. False for a null or unnamed camera,
    // one already added, or a name already taken.
    virtual bool AddCamera(CDX9KelBaseCamera* pCamera);
    // False for a null window or a negative size; stores them otherwise.
    virtual bool SetWindow(int width, int height, HWND hWnd);

    CDX9KelBaseCamera* FindCamera(const char* szName) const;
    // After a rendered frame: clears the cameras' changed marks and the
    // manager's, unless the skip flag asks to keep them for one frame.
    void EndFrame();
    // After a device reset: the new size, and every camera's aspect again.
    void Restore(int width, int height);
    // Frees every camera; no camera is active afterwards.
    void ReleaseAll();

    // Millimetres per pixel of the picture. In full screen the screen's
    // physical size is spread over the picture's pixels (a stretched mode
    // keeps its true shape); in a window pixels are the desktop's, so the
    // picture keeps the window's shape. Square pixels when the screen does
    // not tell its size.
    static void GetMillimetresPerPixel(HWND hWnd, int width, int height, bool bFullScreen, float* pMmX, float* pMmY);

    std::vector<CDX9KelBaseCamera*> m_vCameras;
    std::vector<DWORD> m_vFreeSlots;
    CDX9KelBaseCamera* m_pActiveCamera = nullptr;
    bool m_bChanged = false;
    bool m_bSkipReset = false;
    HWND m_hWnd = nullptr;
    int m_iWidth = 1;
    int m_iHeight = 1;
    bool m_bFlag = true;
    // While clear the scene leaves the active camera alone: it does not
    // follow the player's keys, mouse and wheel (a paused battle).
    bool m_bControl = true;
    // Whether the picture fills the screen in a mode of its own; set by the
    // engine before SetWindow.
    bool m_bFullScreen = false;
};

} // namespace Vorna3D
