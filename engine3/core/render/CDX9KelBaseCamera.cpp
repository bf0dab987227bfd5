#include "engine3/core/render/CDX9KelBaseCamera.h"

#include <cmath>

#include "platform/gfx/d3d9.h"

namespace Vorna3D {

CDX9KelBaseCamera::CDX9KelBaseCamera()
{
    D3DXMatrixIdentity(&m_mView);
    D3DXMatrixIdentity(&m_mProjection);
    D3DXMatrixIdentity(&m_mViewProjection);
    D3DXMatrixIdentity(&m_mViewInverse);
    D3DXMatrixIdentity(&m_mViewProjectionInverse);
    const D3DXVECTOR3 dir = m_vTarget - m_vEye;
    D3DXVec3Normalize(&m_vViewDir, &dir);
    for (D3DXVECTOR3& c : m_vCorners) c = D3DXVECTOR3(0, 0, 0);
    for (D3DXPLANE& p : m_Planes) p = D3DXPLANE(0, 0, 0, 0);
}

bool CDX9KelBaseCamera::ComputeAspect(int width, int height, float mmx, float mmy, float* pAspect)
{
    if (width <= 0 || height <= 0 || !(mmx > 0.0f) || !(mmy > 0.0f)) return false;
    const float aspect = (static_cast<float>(width) * mmx) / (static_cast<float>(height) * mmy);
    if (!std::isfinite(aspect) || !(aspect > 0.0f)) return false;
    *pAspect = aspect;
    return true;
}

void CDX9KelBaseCamera::BuildProjection()
{
    D3DXMatrixPerspectiveFovLH(&m_mProjection, m_fFov, m_fAspect, m_fNear, m_fFar);
}

bool CDX9KelBaseCamera::InitCommon(const char* szName, int index, int width, int height, float mmx, float mmy,
                                   float fFar)
{
    float aspect = 1.0f;
    if (!szName || !ComputeAspect(width, height, mmx, mmy, &aspect)) return false;
    m_strName = szName;
    m_iIndex = index;
    const D3DXVECTOR3 eye = m_vEye, target = m_vTarget;
    SetPosition(&eye, &target);
    m_fFov = D3DX_PI / 4.0f;
    m_fAspect = aspect;
    m_fNear = 1.0f;
    m_fFar = fFar;
    BuildProjection();
    m_bChanged = true;
    return true;
}

bool CDX9KelBaseCamera::Init(const char* szName, int index, int width, int height, float mmx, float mmy)
{
    return InitCommon(szName, index, width, height, mmx, mmy, 1000.0f);
}

bool CDX9KelBaseCamera::SetAspect(int width, int height, float mmx, float mmy)
{
    if (!ComputeAspect(width, height, mmx, mmy, &m_fAspect)) return false;
    BuildProjection();
    m_bChanged = true;
    return true;
}

void CDX9KelBaseCamera::Apply(IDirect3DDevice9* pDevice)
{
    if (!pDevice) return;
    pDevice->SetTransform(D3DTS_VIEW, &m_mView);
    pDevice->SetTransform(D3DTS_PROJECTION, &m_mProjection);
}

bool CDX9KelBaseCamera::SetPosition(const D3DXVECTOR3* pEye, const D3DXVECTOR3* pTarget)
{
    if (!pEye || !pTarget) return false;
    const D3DXVECTOR3 diff = *pTarget - *pEye;
    D3DXVECTOR3 dir, side;
    D3DXVec3Normalize(&dir, &diff);
    D3DXVec3Cross(&side, &m_vUp, &dir);
    if (!std::isfinite(D3DXVec3LengthSq(&diff)) || D3DXVec3LengthSq(&dir) == 0.0f ||
        D3DXVec3LengthSq(&side) < 1e-12f)
        return false;
    m_vEye = *pEye;
    m_vTarget = *pTarget;
    m_vViewDir = dir;
    D3DXMatrixLookAtLH(&m_mView, &m_vEye, &m_vTarget, &m_vUp);
    D3DXMatrixInverse(&m_mViewInverse, nullptr, &m_mView);
    m_bChanged = true;
    return true;
}

bool CDX9KelBaseCamera::SetView(const D3DXMATRIX* pView)
{
    if (!pView) return false;
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, pView)) return false;
    m_mView = *pView;
    m_mViewInverse = inverse;
    m_vEye = D3DXVECTOR3(inverse._41, inverse._42, inverse._43);
    D3DXVECTOR3 forward(inverse._31, inverse._32, inverse._33);
    D3DXVec3Normalize(&m_vViewDir, &forward);
    m_bChanged = true;
    return true;
}

bool CDX9KelBaseCamera::SetFarPlane(float fFar)
{
    if (!(fFar > m_fNear) || !std::isfinite(fFar)) return false;
    m_fFar = fFar;
    BuildProjection();
    m_bChanged = true;
    return true;
}

void CDX9KelBaseCamera::UpdateFrustum()
{
    D3DXMatrixMultiply(&m_mViewProjection, &m_mView, &m_mProjection);
    if (D3DXMatrixInverse(&m_mViewProjectionInverse, nullptr, &m_mViewProjection)) {
        for (int i = 0; i < 8; ++i) {
            const D3DXVECTOR3 ndc((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : 0.0f);
            D3DXVec3TransformCoord(&m_vCorners[i], &ndc, &m_mViewProjectionInverse);
        }
    }
    const D3DXMATRIX& m = m_mViewProjection;
    const D3DXPLANE col1(m._11, m._21, m._31, m._41), col2(m._12, m._22, m._32, m._42);
    const D3DXPLANE col3(m._13, m._23, m._33, m._43), col4(m._14, m._24, m._34, m._44);
    auto add = [](const D3DXPLANE& a, const D3DXPLANE& b, float s) {
        return D3DXPLANE(a.a + s * b.a, a.b + s * b.b, a.c + s * b.c, a.d + s * b.d);
    };
    m_Planes[KEL_PLANE_LEFT] = add(col4, col1, 1.0f);
    m_Planes[KEL_PLANE_RIGHT] = add(col4, col1, -1.0f);
    m_Planes[KEL_PLANE_TOP] = add(col4, col2, -1.0f);
    m_Planes[KEL_PLANE_BOTTOM] = add(col4, col2, 1.0f);
    m_Planes[KEL_PLANE_NEAR] = col3;
    m_Planes[KEL_PLANE_FAR] = add(col4, col3, -1.0f);
}

} // namespace Vorna3D
