#pragma once
// The drawable part shared by models, graphic objects, particle systems and
// 3D GUI controls: placement relative to the owner object, world matrix,
// bounding sphere, face count and the render passes that draw it.
#include <string>

#include "platform/math/d3dx9math.h"

namespace Vorna3D {

class CDX9KelSceneObject;

enum EKelSceneUnitKind : int {
    KEL_UNIT_NONE = -1,
    KEL_UNIT_MODEL = 0,
    KEL_UNIT_PARTICLE_SYSTEM = 1,
    KEL_UNIT_GRAPHIC_OBJECT = 2,
    KEL_UNIT_GUI3D = 3,
};

constexpr int KEL_UNIT_PASS_COUNT = 5;

class CDX9KelSceneUnit {
public:
    CDX9KelSceneUnit();
    virtual ~CDX9KelSceneUnit() = default;

    // Stores the local matrix and recomputes the world matrix from the
    // owner's. With `bRefresh`, a unit whose sphere now reaches outside the
    // owner's sphere makes the owner recompute its radius and be re-filed.
    // False without matrix or owner.
    bool SetLocalMatrix(const D3DXMATRIX* pMatrix, bool bRefresh);
    // Turns the local matrix about its own up axis through its own origin;
    // false for an angle of 0 or without owner.
    bool RotateLocalY(float angle);
    // World := local x owner world; a unit that does not follow the owner's
    // rotation keeps the orientation of its local matrix.
    void UpdateWorld(const D3DXMATRIX& ownerWorld);
    // World translation + sphere offset.
    void UpdateSphereCentre();

    // Particle control, overridden by particle systems (kind 1).
    virtual void StartParticles() {}
    virtual void StopParticles() {}
    virtual void SetParticlesBirth(bool bOn) {}
    virtual void ResetParticles() {}

    DWORD m_dwInList = 0;            // set while the unit stands in a render list
    float m_fCameraDistance = 0.0f;  // squared distance from the camera's eye
    bool m_bBelowWater = true;
    bool m_bAboveWater = true;
    CDX9KelSceneObject* m_pOwner = nullptr;
    int m_iReserved = -1;
    int m_iLODSlot = -1; // index in its LOD's unit list, -1 when not in one
    std::string m_strName;
    int m_iKind = KEL_UNIT_NONE;
    D3DXMATRIX m_mLocal;
    D3DXMATRIX m_mWorld;
    float m_fRadius = 0.0f;
    D3DXVECTOR3 m_vSphereOffset{0, 0, 0};
    D3DXVECTOR3 m_vSphereCentre{0, 0, 0};
    D3DXVECTOR3 m_vReserved1{0, 0, 0};
    D3DXVECTOR3 m_vReserved2{0, 0, 0};
    DWORD m_dwFaces = 0;
    bool m_bChanged = false; // set whenever the world matrix is rewritten
    bool m_bFollowRotation = true;
    std::string m_strName2;
    bool m_bPasses[KEL_UNIT_PASS_COUNT] = {true, true, true, true, true};
};

} // namespace Vorna3D
