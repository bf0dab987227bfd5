#include "engine2/core/render/CDX9KelBaseCameraManager.h"

#include "platform/window/Window.h"

#include <cmath>
#include <cstring>
#include <new>

namespace Vorna2 {

CDX9KelBaseCameraManager::CDX9KelBaseCameraManager() {
    D3DXMatrixIdentity(&m_mViewProjection);
    D3DXMatrixIdentity(&m_mViewInverse);
}

CDX9KelBaseCameraManager::~CDX9KelBaseCameraManager() = default;

bool CDX9KelBaseCameraManager::Init(int width, int height, HWND hWnd) {
    if (!hWnd || width < 0 || height < 0) return false;
    m_hWnd = hWnd;
    m_iWidth = width;
    m_iHeight = height;
    m_pCorners.reset(new (std::nothrow) D3DXVECTOR3[kCornerCount]);
    if (!m_pCorners) return false;
    const int index = AddCamera(0, nullptr);
    if (index < 0) return false;
    return SetActiveCamera(index);
}

void CDX9KelBaseCameraManager::GetScales(float* horizontal, float* vertical) const {
    float h = 1.0f, v = 1.0f;
    HDC dc = m_hWnd ? GetWindowDC(m_hWnd) : nullptr;
    if (dc) {
        const int mmX = GetDeviceCaps(dc, HORZSIZE), mmY = GetDeviceCaps(dc, VERTSIZE);
        ReleaseDC(m_hWnd, dc);
        // An unknown physical size (virtual displays report 0) keeps the
        // pixel aspect.
        if (mmX > 0 && mmY > 0 && m_iWidth > 0 && m_iHeight > 0) {
            h = static_cast<float>(mmX) / static_cast<float>(m_iWidth);
            v = static_cast<float>(mmY) / static_cast<float>(m_iHeight);
        }
    }
    if (horizontal) *horizontal = h;
    if (vertical) *vertical = v;
}

int CDX9KelBaseCameraManager::AppendCamera(std::unique_ptr<CDX9KelBaseCamera> camera, const char* name) {
    if (!camera) return -1;
    float h, v;
    GetScales(&h, &v);
    camera->Init(m_iWidth, m_iHeight, h, v);
    camera->m_iKind = 0;
    std::snprintf(camera->m_szName, sizeof camera->m_szName, "%s", name ? name : "");
    m_Cameras.push_back(std::move(camera));
    return static_cast<int>(m_Cameras.size()) - 1;
}

int CDX9KelBaseCameraManager::AddCamera(int kind, const char* name) {
    if (kind != 0) return -1;
    return AppendCamera(std::unique_ptr<CDX9KelBaseCamera>(new (std::nothrow) CDX9KelBaseCamera()), name);
}

CDX9KelBaseCamera* CDX9KelBaseCameraManager::GetCamera(int index) const {
    if (index < 0 || index >= GetCameraCount()) return nullptr;
    return m_Cameras[static_cast<std::size_t>(index)].get();
}

bool CDX9KelBaseCameraManager::SetActiveCamera(int index) {
    CDX9KelBaseCamera* camera = GetCamera(index);
    if (!camera) return false;
    m_pActiveCamera = camera;
    m_bCameraSwitched = true;
    return true;
}

void CDX9KelBaseCameraManager::SetProjection(int width, int height) {
    if (width < 0 || height < 0) return;
    m_iWidth = width;
    m_iHeight = height;
    float h, v;
    GetScales(&h, &v);
    for (auto& camera : m_Cameras) camera->SetProjection(width, height, h, v);
}

void CDX9KelBaseCameraManager::ReleaseCameras() {
    m_pActiveCamera = nullptr;
    m_Cameras.clear();
}

void CDX9KelBaseCameraManager::Update() {
    if (!m_pActiveCamera || !m_pCorners) return;
    D3DXMATRIX vp;
    D3DXMatrixMultiply(&vp, &m_pActiveCamera->m_mView, &m_pActiveCamera->m_mProjection);
    if (std::memcmp(&vp.m[0][0], &m_mViewProjection.m[0][0], sizeof(float) * 16) == 0) {
        m_bChanged = false;
        return;
    }
    m_bChanged = true;
    m_mViewProjection = vp;
    D3DXMatrixInverse(&m_mViewInverse, nullptr, &m_pActiveCamera->m_mView);
    D3DXMATRIX inverse;
    if (D3DXMatrixInverse(&inverse, nullptr, &vp)) {
        static const float kCorners[kCornerCount][3] = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                                        {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
        for (int i = 0; i < kCornerCount; ++i) {
            const D3DXVECTOR3 c(kCorners[i][0], kCorners[i][1], kCorners[i][2]);
            D3DXVec3TransformCoord(&m_pCorners[i], &c, &inverse);
        }
    }
    const D3DXMATRIX& m = vp;
    auto column = [&m](int j) { return D3DXPLANE(m.m[0][j], m.m[1][j], m.m[2][j], m.m[3][j]); };
    const D3DXPLANE c1 = column(0), c2 = column(1), c3 = column(2), c4 = column(3);
    auto add = [](const D3DXPLANE& a, const D3DXPLANE& b) { return D3DXPLANE(a.a + b.a, a.b + b.b, a.c + b.c, a.d + b.d); };
    auto sub = [](const D3DXPLANE& a, const D3DXPLANE& b) { return D3DXPLANE(a.a - b.a, a.b - b.b, a.c - b.c, a.d - b.d); };
    m_Planes[PLANE_LEFT] = add(c4, c1);
    m_Planes[PLANE_RIGHT] = sub(c4, c1);
    m_Planes[PLANE_TOP] = sub(c4, c2);
    m_Planes[PLANE_BOTTOM] = add(c4, c2);
    m_Planes[PLANE_NEAR] = c3;
    m_Planes[PLANE_FAR] = sub(c4, c3);
}

int CDX9KelCameraManager::AddCamera(int kind, const char* name) {
    if (kind != 0) return CDX9KelBaseCameraManager::AddCamera(kind, name);
    return AppendCamera(std::unique_ptr<CDX9KelBaseCamera>(new (std::nothrow) CDX9KelGlobalCamera()), name);
}

bool CDX9KelCameraManager::AddActiveCamera() {
    const int index = AddCamera(0, nullptr);
    return index >= 0 && SetActiveCamera(index);
}

bool CDX9KelCameraManager::TurnCameraToPoint(float x, float z) {
    auto* camera = dynamic_cast<CDX9KelGlobalCamera*>(m_pActiveCamera);
    if (!camera || camera->m_iKind != 0) return false;
    D3DXVECTOR3 view(camera->m_vLookAt.x - camera->m_vEye.x, 0.0f, camera->m_vLookAt.z - camera->m_vEye.z);
    D3DXVECTOR3 toPoint(x - camera->m_vLookAt.x, 0.0f, z - camera->m_vLookAt.z);
    // A point on the target itself has no direction to turn to.
    if (D3DXVec3Length(&view) == 0.0f || D3DXVec3Length(&toPoint) == 0.0f) return true;
    D3DXVec3Normalize(&view, &view);
    D3DXVec3Normalize(&toPoint, &toPoint);
    float angle = std::acos(D3DXVec3Dot(&view, &toPoint));
    if (std::isnan(angle)) angle = 0.0f;
    if (angle >= 0.175f && angle <= 3.1415927f) {
        // A growing yaw turns the view toward the side where the y component
        // of view x toPoint is negative.
        D3DXVECTOR3 cross;
        D3DXVec3Cross(&cross, &view, &toPoint);
        camera->Yaw(cross.y < 0.0f ? angle : -angle);
    }
    return true;
}

} // namespace Vorna2
