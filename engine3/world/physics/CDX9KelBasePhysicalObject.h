#pragma once
// A physical object of the battle world: a main body with auxiliary bodies,
// a collision model, the object-level named forces re-applied every step and
// the contacts found in the current step. The ship is the only kind today.
#include "engine3/world/physics/CDX9KelPhysicalBody.h"
#include "engine3/world/physics/CDX9KelPhysicalForce.h"
#include "platform/math/d3dx9math.h"

#include <vector>

namespace Vorna3D {

class CDX9KelPhysicalManager;
class CDX9KelSceneObject;
class CDX9KelCollisionModel;
class CDX9KelBasePhysicalObject;

// One contact of the current step, held by each of the two objects.
struct CDX9KelPhysicalContact {
    CDX9KelBasePhysicalObject* pOther = nullptr;
    D3DXVECTOR3 vPoint{0.0f, 0.0f, 0.0f};      // in this object's model frame
    D3DXVECTOR3 vOtherPoint{0.0f, 0.0f, 0.0f}; // in the other object's model frame
    D3DXVECTOR3 vImpulse{0.0f, 0.0f, 0.0f};    // accumulated by the contact answer
};

class CDX9KelBasePhysicalObject {
public:
    // The type of ship objects; contacts are answered only between these.
    static constexpr int kTypeShip = 1;
    // A named force or contact point farther (squared) from every auxiliary
    // body than this acts on nothing.
    static constexpr float kNearestBodyLimit = 10000.0f;

    CDX9KelBasePhysicalObject();
    virtual ~CDX9KelBasePhysicalObject();
    CDX9KelBasePhysicalObject(const CDX9KelBasePhysicalObject&) = delete;
    CDX9KelBasePhysicalObject& operator=(const CDX9KelBasePhysicalObject&) = delete;

    virtual bool SetGravity(bool on) = 0;
    virtual bool SetBuoyancy(bool on) = 0;
    virtual bool SetResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg) = 0;
    virtual bool AddStepForce(const char* name, const D3DXVECTOR3* direction, const D3DXVECTOR3* point,
                              float value) = 0;
    virtual bool AddConstantForce(const char* name, const D3DXVECTOR3* direction, const D3DXVECTOR3* point,
                                  float value) = 0;
    // One physics step.
    virtual bool Update() = 0;
    // Deletes the auxiliary bodies, the main body and the collision model.
    virtual void Release();

    // The collision model's length, -1.0 without one.
    float GetCollisionLength() const;
    // The collision model's width, -1.0 without one.
    float GetCollisionWidth() const;
    // The scene object's position, or null without a scene object.
    const D3DXVECTOR3* GetPosition() const;
    bool HasContact(const CDX9KelBasePhysicalObject* pOther) const;
    CDX9KelPhysicalContact* FindContact(const CDX9KelBasePhysicalObject* pOther);
    // The auxiliary body whose offset lies nearest to a point (first found
    // wins ties), null when none is nearer than kNearestBodyLimit (squared).
    CDX9KelPhysicalBody* FindNearestAuxBody(const D3DXVECTOR3& point) const;

    int GetIndex() const { return m_iIndex; }
    void SetIndex(int index) { m_iIndex = index; }
    CDX9KelPhysicalManager* GetManager() const { return m_pManager; }
    CDX9KelSceneObject* GetSceneObject() const { return m_pSceneObject; }
    // Leaves the scene object (the scene object calls this when it goes
    // away; the manager then drops this object at its next step) and takes
    // the scene object's link to this object with it, so neither side is
    // left pointing at the other.
    void DetachSceneObject();
    CDX9KelCollisionModel* GetCollisionModel() const { return m_pCollisionModel; }
    int GetType() const { return m_iType; }
    bool IsActive() const { return m_bActive; }
    void SetActive(bool active) { m_bActive = active; }
    CDX9KelPhysicalBody* GetMainBody() const { return m_pMainBody; }
    CDX9KelPhysicalBody* GetAuxBody(std::size_t i) const {
        return i < m_stdvAuxBodies.size() ? m_stdvAuxBodies[i] : nullptr;
    }
    std::size_t GetAuxBodyCount() const { return m_stdvAuxBodies.size(); }
    const std::vector<CDX9KelPhysicalContact>& GetContacts() const { return m_stdvContacts; }
    std::vector<CDX9KelPhysicalContact>& Contacts() { return m_stdvContacts; }
    const std::vector<CDX9KelPhysicalForce*>& GetNamedForces() const { return m_stdvForces; }

protected:
    // Adds an entry to the named-force list, reusing a freed slot first.
    void AddNamedForce(CDX9KelPhysicalForce* pForce);
    void RemoveNamedForce(std::size_t slot);
    CDX9KelPhysicalForce* FindNamedForce(const char* name) const;

    int m_iIndex = -1;
    CDX9KelPhysicalManager* m_pManager = nullptr;
    CDX9KelSceneObject* m_pSceneObject = nullptr;
    CDX9KelCollisionModel* m_pCollisionModel = nullptr;
    int m_iType = -1;
    bool m_bFlag = true; // read by nothing here
    bool m_bActive = true;
    bool m_bGravityState = false;
    bool m_bBuoyancyState = false;
    CDX9KelPhysicalBody* m_pMainBody = nullptr;
    std::vector<CDX9KelPhysicalBody*> m_stdvAuxBodies;
    std::vector<CDX9KelPhysicalForce*> m_stdvForces;
    std::vector<unsigned> m_stdvFreeForces;
    std::vector<CDX9KelPhysicalContact> m_stdvContacts;
};

} // namespace Vorna3D
