#pragma once
// The scene's cameras: the list, the active camera, and what the frame
// derives from it: view x projection with a flag that says whether it
// changed since the last frame (the render system refreshes its shader
// constants only then), the inverse view, the eight corners of the view
// volume and the six frustum planes. The game's manager makes orbiting
// global cameras and can turn the active camera toward a map point.
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "platform/os/WinTypes.h"

#include <memory>
#include <vector>

namespace Vorna2 {

enum EFrustumPlane { PLANE_LEFT, PLANE_RIGHT, PLANE_TOP, PLANE_BOTTOM, PLANE_NEAR, PLANE_FAR };

class CDX9KelBaseCameraManager {
public:
    static constexpr int kCornerCount = 8;

    CDX9KelBaseCameraManager();
    virtual ~CDX9KelBaseCameraManager();
    CDX9KelBaseCameraManager(const CDX9KelBaseCameraManager&) = delete;
    CDX9KelBaseCameraManager& operator=(const CDX9KelBaseCameraManager&) = delete;

    // Stores window and size and adds the first camera (through AddCamera,
    // so a derived manager starts with its own kind), made active. False
    // without a window or with a negative size.
    virtual bool Init(int width, int height, HWND hWnd);
    // A camera of the kind (only 0 here), set up for the stored size and
    // named (at most 99 characters); its index, or -1.
    virtual int AddCamera(int kind, const char* name);

    bool SetActiveCamera(int index);
    // New size for every camera's projection (device restore); negative
    // values are ignored.
    void SetProjection(int width, int height);
    void ReleaseCameras();
    // Per frame: view-projection of the active camera; when it differs from
    // the stored one the changed flag is set and inverse view, corners and
    // planes follow, otherwise the flag is cleared.
    void Update();

    // mm per pixel of the screen in x and y; both 1 when the screen's
    // physical size is not known, so the aspect is the pixel ratio.
    void GetScales(float* horizontal, float* vertical) const;

    CDX9KelBaseCamera* GetActiveCamera() const { return m_pActiveCamera; }
    int GetCameraCount() const { return static_cast<int>(m_Cameras.size()); }
    CDX9KelBaseCamera* GetCamera(int index) const;

    std::vector<std::unique_ptr<CDX9KelBaseCamera>> m_Cameras;
    CDX9KelBaseCamera* m_pActiveCamera = nullptr;
    std::unique_ptr<D3DXVECTOR3[]> m_pCorners;
    D3DXPLANE m_Planes[6] = {};
    D3DXMATRIX m_mViewProjection;
    D3DXMATRIX m_mViewInverse;
    bool m_bChanged = true;
    bool m_bCameraSwitched = false;
    HWND m_hWnd = nullptr;
    int m_iWidth = 1;
    int m_iHeight = 1;

protected:
    int AppendCamera(std::unique_ptr<CDX9KelBaseCamera> camera, const char* name);
};

class CDX9KelCameraManager : public CDX9KelBaseCameraManager {
public:
    // Kind 0 makes a global camera; other kinds go to the base (refused).
    int AddCamera(int kind, const char* name) override;
    // Adds a camera and makes it active.
    virtual bool AddActiveCamera();
    // Turns the active global camera about its target so that it looks from
    // its target toward (x, z), when the turn lies within [0.175, pi]
    // radians. False without an active global camera.
    bool TurnCameraToPoint(float x, float z);
};

} // namespace Vorna2
