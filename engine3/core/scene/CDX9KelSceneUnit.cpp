#include "engine3/core/scene/CDX9KelSceneUnit.h"

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"

namespace Vorna3D {

CDX9KelSceneUnit::CDX9KelSceneUnit()
{
    D3DXMatrixIdentity(&m_mLocal);
    D3DXMatrixIdentity(&m_mWorld);
}

void CDX9KelSceneUnit::UpdateWorld(const D3DXMATRIX& ownerWorld)
{
    m_mWorld = m_mLocal * ownerWorld;
    if (!m_bFollowRotation) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m_mWorld.m[r][c] = m_mLocal.m[r][c];
    }
    m_bChanged = true;
}

void CDX9KelSceneUnit::UpdateSphereCentre()
{
    m_vSphereCentre = D3DXVECTOR3(m_mWorld._41, m_mWorld._42, m_mWorld._43) + m_vSphereOffset;
}

bool CDX9KelSceneUnit::SetLocalMatrix(const D3DXMATRIX* pMatrix, bool bRefresh)
{
    if (!pMatrix || !m_pOwner) return false;
    m_mLocal = *pMatrix;
    UpdateWorld(m_pOwner->m_mWorld);
    if (!bRefresh) return true;
    UpdateSphereCentre();
    const D3DXVECTOR3 ownerCentre = *m_pOwner->GetPosition();
    if (!IsSphereInsideSphere(&m_vSphereCentre, &ownerCentre, m_fRadius, m_pOwner->m_fRadius)) {
        m_pOwner->UpdateBoundingRadius();
        m_pOwner->m_bMoved = true;
    }
    return true;
}

bool CDX9KelSceneUnit::RotateLocalY(float angle)
{
    if (angle == 0.0f || !m_pOwner) return false;
    if (!RotateMatrixLocalY(&m_mLocal, angle)) return false;
    UpdateWorld(m_pOwner->m_mWorld);
    return true;
}

} // namespace Vorna3D
