#include "engine3/world/physics/CDX9KelBasePhysicalObject.h"

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/CDX9KelCollisionModel.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"

namespace Vorna3D {

CDX9KelBasePhysicalObject::CDX9KelBasePhysicalObject() { m_stdvFreeForces.reserve(10); }

CDX9KelBasePhysicalObject::~CDX9KelBasePhysicalObject() {
    // Named forces go back to the pool while the manager still exists.
    if (m_pManager)
        for (CDX9KelPhysicalForce* f : m_stdvForces)
            if (f) m_pManager->ReturnForce(f);
    m_stdvForces.clear();
}

void CDX9KelBasePhysicalObject::Release() {
    for (CDX9KelPhysicalBody*& b : m_stdvAuxBodies) {
        delete b;
        b = nullptr;
    }
    delete m_pMainBody;
    m_pMainBody = nullptr;
    delete m_pCollisionModel;
    m_pCollisionModel = nullptr;
}

void CDX9KelBasePhysicalObject::DetachSceneObject() {
    if (m_pSceneObject && m_pSceneObject->m_pPhysicalObject == this) {
        m_pSceneObject->m_pPhysicalObject = nullptr;
        m_pSceneObject->m_bHasPhysicalObject = false;
    }
    m_pSceneObject = nullptr;
}

float CDX9KelBasePhysicalObject::GetCollisionLength() const {
    return m_pCollisionModel ? m_pCollisionModel->GetLength() : -1.0f;
}

float CDX9KelBasePhysicalObject::GetCollisionWidth() const {
    return m_pCollisionModel ? m_pCollisionModel->GetWidth() : -1.0f;
}

const D3DXVECTOR3* CDX9KelBasePhysicalObject::GetPosition() const {
    return m_pSceneObject ? m_pSceneObject->GetPosition() : nullptr;
}

bool CDX9KelBasePhysicalObject::HasContact(const CDX9KelBasePhysicalObject* pOther) const {
    for (const CDX9KelPhysicalContact& c : m_stdvContacts)
        if (c.pOther == pOther) return true;
    return false;
}

CDX9KelPhysicalContact* CDX9KelBasePhysicalObject::FindContact(const CDX9KelBasePhysicalObject* pOther) {
    for (CDX9KelPhysicalContact& c : m_stdvContacts)
        if (c.pOther == pOther) return &c;
    return nullptr;
}

CDX9KelPhysicalBody* CDX9KelBasePhysicalObject::FindNearestAuxBody(const D3DXVECTOR3& point) const {
    CDX9KelPhysicalBody* best = nullptr;
    float bestD2 = kNearestBodyLimit;
    for (CDX9KelPhysicalBody* b : m_stdvAuxBodies) {
        if (!b) continue;
        const D3DXVECTOR3 d = b->m_vOffset - point;
        const float d2 = D3DXVec3LengthSq(&d);
        if (d2 < bestD2) {
            bestD2 = d2;
            best = b;
        }
    }
    return best;
}

void CDX9KelBasePhysicalObject::AddNamedForce(CDX9KelPhysicalForce* pForce) {
    if (!m_stdvFreeForces.empty()) {
        const unsigned slot = m_stdvFreeForces.back();
        m_stdvFreeForces.pop_back();
        m_stdvForces[slot] = pForce;
    } else {
        m_stdvForces.push_back(pForce);
    }
}

void CDX9KelBasePhysicalObject::RemoveNamedForce(std::size_t slot) {
    if (slot >= m_stdvForces.size() || !m_stdvForces[slot]) return;
    if (m_pManager) m_pManager->ReturnForce(m_stdvForces[slot]);
    m_stdvForces[slot] = nullptr;
    m_stdvFreeForces.push_back(static_cast<unsigned>(slot));
}

CDX9KelPhysicalForce* CDX9KelBasePhysicalObject::FindNamedForce(const char* name) const {
    for (CDX9KelPhysicalForce* f : m_stdvForces)
        if (f && f->m_strName == name) return f;
    return nullptr;
}

} // namespace Vorna3D
