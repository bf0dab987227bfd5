#pragma once
// A point body of a physical object: mass, velocity along its own axes, and
// per-axis lists of named forces borrowed from the manager's pool, advanced
// one fixed physics step at a time. A child body may hand axes to its parent:
// impulses, added masses and forces on those axes move the parent instead.
#include "engine3/world/physics/CDX9KelPhysicalForce.h"
#include "platform/math/d3dx9math.h"

#include <vector>

namespace Vorna3D {

class CDX9KelPhysicalManager;

// Every element of the matrix is finite.
bool IsFiniteMatrix(const D3DXMATRIX& m);

// Entries of one axis. Freed slots are nulled and reused most recent first,
// so the indices of the remaining entries stay stable.
struct CDX9KelForceList {
    std::vector<CDX9KelPhysicalForce*> m_stdvEntries;
    std::vector<unsigned> m_stdvFree;

    int Add(CDX9KelPhysicalForce* pForce);
    int FindKind(int kind) const;
    int FindName(const std::string& name) const;
    std::size_t Count() const; // non-null entries
};

// Spreads a collision force from a body to another.
struct CDX9KelPhysicalLink {
    D3DXVECTOR3 m_vScale{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vFactors{0.0f, 0.0f, 0.0f};
    float m_fWeight = 1.0f;
    class CDX9KelPhysicalBody* m_pChild = nullptr;
};

class CDX9KelPhysicalBody {
public:
    // The gravity acceleration in world units.
    static constexpr float kGravity = 0.5292f;

    explicit CDX9KelPhysicalBody(CDX9KelPhysicalManager* pOwner);
    ~CDX9KelPhysicalBody(); // gives every entry back to the pool
    CDX9KelPhysicalBody(const CDX9KelPhysicalBody&) = delete;
    CDX9KelPhysicalBody& operator=(const CDX9KelPhysicalBody&) = delete;

    bool SetGravity(bool on);
    bool SetBuoyancy(bool on);
    // Adds (or removes) the drag marker on all three axes and copies the
    // coefficients. On with a marker already present: true, nothing copied.
    bool SetResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg);
    // One entry per non-zero component (force x scale, or |that| x factor).
    // An entry for an axis handed to the parent goes into the parent's list.
    bool AddForceComponents(const char* name, int kind, const D3DXVECTOR3* force, float scale,
                            const D3DXVECTOR3* factors);
    bool ApplyBrakeForce(const char* name, const D3DXVECTOR3* force, float scale, const D3DXVECTOR3* factors,
                         bool spread);
    bool ReplaceConstantForce(const char* name, const D3DXVECTOR3* force, float scale);
    bool AddBlockingMass(const D3DXVECTOR3* direction, float mass);
    bool AddImpulse(const D3DXVECTOR3* impulse, float scale);
    // One integration step. A world matrix or depth that is not finite is
    // refused (false, nothing changes), so bad input never reaches the velocity.
    bool Step(const D3DXMATRIX* world, float depth, float dt);

    // An axis hands its motion to the parent when its flag is set and a parent exists.
    bool IsHanded(int axis) const { return m_pParent && m_abHandToParent[axis]; }

    CDX9KelPhysicalManager* m_pOwner = nullptr;
    D3DXVECTOR3 m_avAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    bool m_bGravity = false;
    bool m_bBuoyancy = false;
    int m_iIndex = -1;
    CDX9KelPhysicalBody* m_pParent = nullptr;
    D3DXVECTOR3 m_vOffset{0.0f, 0.0f, 0.0f};
    float m_fMass = 0.0f;
    float m_fExtraMass = 0.0f;
    float m_fExtraMassFactor = 1.0f;
    CDX9KelForceList m_aForces[3];
    CDX9KelPhysicalForce* m_apResolved[3] = {nullptr, nullptr, nullptr};
    D3DXVECTOR3 m_vVelocity{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vPrevVelocity{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vDragPos{0.0f, 0.0f, 0.0f}; // for positive velocity, normally negative
    D3DXVECTOR3 m_vDragNeg{0.0f, 0.0f, 0.0f}; // for negative velocity, normally positive
    D3DXVECTOR3 m_vAddedMassPos{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vAddedMassNeg{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vImpulse{0.0f, 0.0f, 0.0f};
    bool m_abHandToParent[3] = {false, false, false};
    D3DXVECTOR3 m_vHandDirection{0.0f, 0.0f, 0.0f};
    float m_fHalfHeight = 0.0f;
    std::vector<CDX9KelPhysicalLink> m_stdvLinks;

    // Removes the entry at a slot, giving it back to the pool.
    void RemoveEntry(int axis, int slot);

private:
    bool SetKindOnAxes(bool on, int kind, const char* name, bool allAxes);
    void ResolveAxis(int axis, float depth, float cPos, float cNeg, float v, float dt);
};

} // namespace Vorna3D
