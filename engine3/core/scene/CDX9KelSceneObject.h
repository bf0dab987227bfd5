#pragma once
// One placeable thing of the battle world: a world matrix, levels of detail
// chosen by the camera's distance, a bounding sphere and the drawable units
// that make it up. The octree files objects by their bounding sphere.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine3/core/scene/CDX9KelSceneUnit.h"

namespace Vorna3D {

class CDXSceneTreeNode;
class CDX9KelBasePhysicalObject;

// Where the octree filed an object: a leaf and the entry index in it.
struct SKelLeafEntry {
    CDXSceneTreeNode* pLeaf = nullptr;
    DWORD dwEntry = 0;
};

// The units of one level of detail; freed indices are reused last freed first.
struct SKelSceneLOD {
    std::vector<CDX9KelSceneUnit*> m_vUnits;
    std::vector<DWORD> m_vFreeSlots;
};

// Levels of detail beyond this are refused (a bad file cannot make the
// object allocate without bound).
constexpr int KEL_MAX_LODS = 32;

// The "moved" flag of a scene object. Setting it counts a mark, so that a
// scene tree can tell that no object was marked since it last looked and
// pass over its objects without reading each flag.
class SceneMovedFlag {
public:
    SceneMovedFlag() = default;
    SceneMovedFlag(const SceneMovedFlag& other) { *this = other.m_bValue; }
    SceneMovedFlag& operator=(const SceneMovedFlag& other) { return *this = other.m_bValue; }
    SceneMovedFlag& operator=(bool value)
    {
        m_bValue = value;
        if (value) s_uMarks.fetch_add(1, std::memory_order_relaxed);
        return *this;
    }
    operator bool() const { return m_bValue; }
    // Marks made so far, by every object.
    static std::uint64_t Marks() { return s_uMarks.load(std::memory_order_relaxed); }

private:
    bool m_bValue = false;
    static inline std::atomic<std::uint64_t> s_uMarks{0};
};

class CDX9KelSceneObject {
public:
    CDX9KelSceneObject();
    CDX9KelSceneObject(const CDX9KelSceneObject&) = delete;
    CDX9KelSceneObject& operator=(const CDX9KelSceneObject&) = delete;
    // Frees the object's own records; the units belong to their managers.
    // A physical object that still moves this object is told it is gone.
    ~CDX9KelSceneObject();

    // What tells a physical object that its scene object is gone; the
    // physics installs it, the scene knows no more of physical objects.
    using PhysicalObjectDetach = void (*)(CDX9KelBasePhysicalObject* pObject);
    static void SetPhysicalObjectDetach(PhysicalObjectDetach detach) { s_pfnPhysicalObjectDetach = detach; }

    // Grows the LOD list to n records; false when n is below the count.
    bool SetLODCount(int n);
    // Files the unit in LOD `lod` (grown when needed) with its local matrix.
    // False for a null unit or matrix, a negative or too large LOD, or a unit
    // that already stands in a LOD.
    bool AddSceneUnit(CDX9KelSceneUnit* pUnit, const D3DXMATRIX* pLocal, int lod);
    // Takes the unit out of its LOD again; its index is reused next.
    bool RemoveSceneUnit(CDX9KelSceneUnit* pUnit);
    bool SetDistanceRange(float fMin, float fMax);
    // Radius := the farthest face of the box around every unit's sphere,
    // seen from the position.
    bool UpdateBoundingRadius();
    // Replaces the world matrix and carries it to every unit and to the
    // collision model. Refused (nothing changes) when the first row is zero
    // or a value is not finite.
    bool SetWorldMatrix(const D3DXMATRIX* pMatrix);
    // Copies the position into the sphere centre and returns it.
    const D3DXVECTOR3* GetPosition();
    // The LOD for a camera at `pCameraPos`; null without camera or LODs.
    SKelSceneLOD* SelectLOD(const D3DXVECTOR3* pCameraPos);

    // Transform setters: SetTransform, SetPosition and Translate set the
    // transform-changed and moved flags, the rotations transform-changed only.
    bool SetTransform(const D3DXMATRIX* pMatrix);
    bool SetPosition(const D3DXVECTOR3* pPoint);
    bool Translate(const D3DXVECTOR3* pOffset);
    // About the object's own axes through its position; an angle of 0 is refused.
    bool RotateX(float angle);
    bool RotateY(float angle);
    bool RotateZ(float angle);

    // Particle control over every particle-system unit of every LOD.
    void StartParticles();
    void StopParticles();
    void SetParticlesBirth(bool bOn);
    void ResetParticles();
    // Clears owner and LOD slot of every unit (before the object goes).
    void DetachUnits();

    std::string m_strTreeName; // the octree the object is filed in, empty when not filed
    float m_fReserved = 0.0f;
    bool m_bHasPhysicalObject = false;
    CDX9KelBasePhysicalObject* m_pPhysicalObject = nullptr; // not owned
    int m_iTreeIndex = -1;
    std::vector<SKelLeafEntry> m_vLeafEntries;
    std::vector<SKelSceneLOD> m_vLODs;
    // The collision model's unit; it follows the world matrix. Not owned.
    CDX9KelSceneUnit* m_pCollisionModel = nullptr;
    D3DXMATRIX m_mWorld;
    float m_fRadius = 0.0f;
    D3DXVECTOR3 m_vSphereCentre{0, 0, 0};
    DWORD m_dwFaces = 0;
    float m_fDistMin = 0.0f;
    float m_fDistMax = 0.0f;
    float m_fDistMin2 = 0.0f;
    float m_fDistMax2 = 0.0f;
    bool m_bTransformChanged = false;
    SceneMovedFlag m_bMoved;  // the octree re-files moved objects
    bool m_bNotOwned = false; // the octree does not delete it on release
    std::string m_strName;
    bool m_bVisible = true;   // only visible objects are found by the frustum query
    bool m_bFlag2 = true;

private:
    template <class F> void ForEachUnit(F f);
    bool Rotate(int axisRow, float angle);

    static PhysicalObjectDetach s_pfnPhysicalObjectDetach;
};

} // namespace Vorna3D
