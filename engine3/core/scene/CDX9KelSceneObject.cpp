#include "engine3/core/scene/CDX9KelSceneObject.h"

#include <algorithm>
#include <cmath>

#include "engine3/core/scene/Geometry.h"

namespace Vorna3D {

namespace {
constexpr float kBoxStart = 100000.0f;
constexpr std::size_t kInitialLODs = 3;
} // namespace

CDX9KelSceneObject::CDX9KelSceneObject()
{
    m_vLODs.reserve(kInitialLODs);
    D3DXMatrixIdentity(&m_mWorld);
}

CDX9KelSceneObject::PhysicalObjectDetach CDX9KelSceneObject::s_pfnPhysicalObjectDetach = nullptr;

CDX9KelSceneObject::~CDX9KelSceneObject()
{
    if (m_pPhysicalObject && s_pfnPhysicalObjectDetach) s_pfnPhysicalObjectDetach(m_pPhysicalObject);
}

template <class F> void CDX9KelSceneObject::ForEachUnit(F f)
{
    for (SKelSceneLOD& lod : m_vLODs)
        for (CDX9KelSceneUnit* u : lod.m_vUnits)
            if (u) f(u);
}

bool CDX9KelSceneObject::SetLODCount(int n)
{
    if (n < static_cast<int>(m_vLODs.size()) || n > KEL_MAX_LODS) return false;
    m_vLODs.resize(static_cast<std::size_t>(n));
    return true;
}

bool CDX9KelSceneObject::AddSceneUnit(CDX9KelSceneUnit* pUnit, const D3DXMATRIX* pLocal, int lod)
{
    if (!pUnit || !pLocal || lod < 0 || lod >= KEL_MAX_LODS) return false;
    if (pUnit->m_iLODSlot != -1) return false;
    if (static_cast<std::size_t>(lod) >= m_vLODs.size()) m_vLODs.resize(static_cast<std::size_t>(lod) + 1);
    SKelSceneLOD& rec = m_vLODs[static_cast<std::size_t>(lod)];
    if (rec.m_vFreeSlots.empty()) {
        rec.m_vUnits.push_back(pUnit);
        pUnit->m_iLODSlot = static_cast<int>(rec.m_vUnits.size() - 1);
    } else {
        const DWORD slot = rec.m_vFreeSlots.back();
        rec.m_vFreeSlots.pop_back();
        rec.m_vUnits[slot] = pUnit;
        pUnit->m_iLODSlot = static_cast<int>(slot);
    }
    pUnit->m_mLocal = *pLocal;
    pUnit->m_pOwner = this;
    pUnit->UpdateWorld(m_mWorld);
    m_dwFaces += pUnit->m_dwFaces;
    return true;
}

bool CDX9KelSceneObject::RemoveSceneUnit(CDX9KelSceneUnit* pUnit)
{
    if (!pUnit || pUnit->m_pOwner != this || pUnit->m_iLODSlot < 0) return false;
    const auto slot = static_cast<std::size_t>(pUnit->m_iLODSlot);
    for (SKelSceneLOD& lod : m_vLODs) {
        if (slot < lod.m_vUnits.size() && lod.m_vUnits[slot] == pUnit) {
            lod.m_vUnits[slot] = nullptr;
            lod.m_vFreeSlots.push_back(static_cast<DWORD>(slot));
            pUnit->m_pOwner = nullptr;
            pUnit->m_iLODSlot = -1;
            m_dwFaces -= std::min(m_dwFaces, pUnit->m_dwFaces);
            return true;
        }
    }
    return false;
}

bool CDX9KelSceneObject::SetDistanceRange(float fMin, float fMax)
{
    if (!(fMin <= fMax)) return false; // also refuses NaN
    m_fDistMin = fMin;
    m_fDistMax = fMax;
    m_fDistMin2 = fMin * fMin;
    m_fDistMax2 = fMax * fMax;
    return true;
}

bool CDX9KelSceneObject::UpdateBoundingRadius()
{
    D3DXVECTOR3 lo(kBoxStart, kBoxStart, kBoxStart), hi(-kBoxStart, -kBoxStart, -kBoxStart);
    ForEachUnit([&](CDX9KelSceneUnit* u) {
        const D3DXVECTOR3 p(u->m_mWorld._41, u->m_mWorld._42, u->m_mWorld._43);
        const D3DXVECTOR3 r(u->m_fRadius, u->m_fRadius, u->m_fRadius);
        const D3DXVECTOR3 a = p - r, b = p + r;
        D3DXVec3Minimize(&lo, &lo, &a);
        D3DXVec3Maximize(&hi, &hi, &b);
    });
    const D3DXVECTOR3 pos(m_mWorld._41, m_mWorld._42, m_mWorld._43);
    const float values[6] = {std::fabs(pos.x - lo.x), std::fabs(pos.x - hi.x), std::fabs(pos.y - lo.y),
                             std::fabs(pos.y - hi.y), std::fabs(pos.z - lo.z), std::fabs(pos.z - hi.z)};
    m_fRadius = *std::max_element(values, values + 6);
    return true;
}

bool CDX9KelSceneObject::SetWorldMatrix(const D3DXMATRIX* pMatrix)
{
    if (!pMatrix) return false;
    const D3DXMATRIX& m = *pMatrix;
    if (m._11 * m._11 + m._12 * m._12 + m._13 * m._13 == 0.0f) return false;
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite((&m._11)[i])) return false;
    m_mWorld = m;
    ForEachUnit([&](CDX9KelSceneUnit* u) { u->UpdateWorld(m_mWorld); });
    if (m_pCollisionModel) {
        m_pCollisionModel->m_mWorld = m_mWorld;
        m_pCollisionModel->m_bChanged = true;
    }
    return true;
}

const D3DXVECTOR3* CDX9KelSceneObject::GetPosition()
{
    m_vSphereCentre = D3DXVECTOR3(m_mWorld._41, m_mWorld._42, m_mWorld._43);
    return &m_vSphereCentre;
}

SKelSceneLOD* CDX9KelSceneObject::SelectLOD(const D3DXVECTOR3* pCameraPos)
{
    if (!pCameraPos || m_vLODs.empty()) return nullptr;
    const std::size_t count = m_vLODs.size();
    if (count == 1) return &m_vLODs[0];
    const D3DXVECTOR3 pos(m_mWorld._41, m_mWorld._42, m_mWorld._43);
    const float d = GetSquaredDistance(&pos, pCameraPos);
    if (d <= m_fDistMin2) return &m_vLODs[0];
    if (count == 2) return &m_vLODs[1];
    if (d >= m_fDistMax2) return &m_vLODs[count - 1];
    // Between the two distances the middle LODs share the range evenly.
    const float t = (d - m_fDistMin2) / (m_fDistMax2 - m_fDistMin2);
    std::size_t index = 1 + static_cast<std::size_t>(t * static_cast<float>(count - 2));
    if (index > count - 2) index = count - 2;
    return &m_vLODs[index];
}

bool CDX9KelSceneObject::SetTransform(const D3DXMATRIX* pMatrix)
{
    if (!SetWorldMatrix(pMatrix)) return false;
    m_bTransformChanged = true;
    m_bMoved = true;
    return true;
}

bool CDX9KelSceneObject::SetPosition(const D3DXVECTOR3* pPoint)
{
    if (!pPoint) return false;
    D3DXMATRIX m = m_mWorld;
    m._41 = pPoint->x;
    m._42 = pPoint->y;
    m._43 = pPoint->z;
    return SetTransform(&m);
}

bool CDX9KelSceneObject::Translate(const D3DXVECTOR3* pOffset)
{
    if (!pOffset) return false;
    D3DXMATRIX m = m_mWorld;
    TranslateMatrix(&m, pOffset);
    return SetTransform(&m);
}

bool CDX9KelSceneObject::Rotate(int axisRow, float angle)
{
    if (angle == 0.0f) return false;
    D3DXMATRIX m = m_mWorld;
    const bool ok = axisRow == 0 ? RotateMatrixLocalX(&m, angle)
                    : axisRow == 1 ? RotateMatrixLocalY(&m, angle)
                                   : RotateMatrixLocalZ(&m, angle);
    if (!ok || !SetWorldMatrix(&m)) return false;
    m_bTransformChanged = true;
    return true;
}

bool CDX9KelSceneObject::RotateX(float angle) { return Rotate(0, angle); }
bool CDX9KelSceneObject::RotateY(float angle) { return Rotate(1, angle); }
bool CDX9KelSceneObject::RotateZ(float angle) { return Rotate(2, angle); }

void CDX9KelSceneObject::StartParticles()
{
    ForEachUnit([](CDX9KelSceneUnit* u) { if (u->m_iKind == KEL_UNIT_PARTICLE_SYSTEM) u->StartParticles(); });
}

void CDX9KelSceneObject::StopParticles()
{
    ForEachUnit([](CDX9KelSceneUnit* u) { if (u->m_iKind == KEL_UNIT_PARTICLE_SYSTEM) u->StopParticles(); });
}

void CDX9KelSceneObject::SetParticlesBirth(bool bOn)
{
    ForEachUnit([bOn](CDX9KelSceneUnit* u) { if (u->m_iKind == KEL_UNIT_PARTICLE_SYSTEM) u->SetParticlesBirth(bOn); });
}

void CDX9KelSceneObject::ResetParticles()
{
    ForEachUnit([](CDX9KelSceneUnit* u) { if (u->m_iKind == KEL_UNIT_PARTICLE_SYSTEM) u->ResetParticles(); });
}

void CDX9KelSceneObject::DetachUnits()
{
    ForEachUnit([](CDX9KelSceneUnit* u) {
        u->m_pOwner = nullptr;
        u->m_iLODSlot = -1;
    });
}

} // namespace Vorna3D
