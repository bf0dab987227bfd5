#include "engine3/world/physics/CDX9KelPhysicalManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "engine3/world/physics/CDX9KelCollisionModel.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "platform/os/Clock.h"

#include <algorithm>
#include <functional>
#include <cmath>

namespace Vorna3D {

namespace {
// A scene object that goes away leaves its physical object without one; the
// manager then drops that object at its next step instead of reading the
// freed scene object.
void ForgetSceneObject(CDX9KelBasePhysicalObject* pObject) {
    if (pObject) pObject->DetachSceneObject();
}
} // namespace

CDX9KelPhysicalManager::CDX9KelPhysicalManager() {
    m_stdvQueryResults.reserve(10);
    m_stdvPoints.reserve(10);
    // Every physical object belongs to a manager, so one exists before any
    // scene object can be linked to a physical object.
    CDX9KelSceneObject::SetPhysicalObjectDetach(&ForgetSceneObject);
}

CDX9KelPhysicalManager::~CDX9KelPhysicalManager() { Release(); }

bool CDX9KelPhysicalManager::Init() {
    m_stdvPool.reserve(kInitialPoolSize);
    m_stdvFreePool.reserve(kInitialPoolSize);
    for (unsigned i = 0; i < kInitialPoolSize; ++i) {
        CDX9KelPhysicalForce* f = new CDX9KelPhysicalForce;
        f->m_iPoolIndex = static_cast<int>(m_stdvPool.size());
        m_stdvPool.push_back(f);
        m_stdvFreePool.push_back(static_cast<unsigned>(f->m_iPoolIndex));
    }
    m_stdvQueryResults.reserve(20);
    return true;
}

CDX9KelPhysicalForce* CDX9KelPhysicalManager::TakeForce() {
    if (!m_stdvFreePool.empty()) {
        const unsigned i = m_stdvFreePool.back();
        m_stdvFreePool.pop_back();
        return m_stdvPool[i];
    }
    CDX9KelPhysicalForce* f = new CDX9KelPhysicalForce;
    f->m_iPoolIndex = static_cast<int>(m_stdvPool.size());
    m_stdvPool.push_back(f);
    return f;
}

void CDX9KelPhysicalManager::ReturnForce(CDX9KelPhysicalForce* pForce) {
    if (!pForce) return;
    const int i = pForce->m_iPoolIndex;
    if (i < 0 || static_cast<std::size_t>(i) >= m_stdvPool.size() || m_stdvPool[i] != pForce) return;
    pForce->Clear();
    m_stdvFreePool.push_back(static_cast<unsigned>(i));
}

bool CDX9KelPhysicalManager::SetTimeScale(float s) {
    if (!(s >= 0.0f && s <= m_fMaxTimeScale)) return false;
    m_bEnabled = s != 0.0f;
    if (m_pOcean) m_pOcean->SetPaused(!m_bEnabled);
    m_fTimeScale = s;
    return true;
}

bool CDX9KelPhysicalManager::AddPhysicalObject(CDX9KelBasePhysicalObject* pObject) {
    if (!pObject || pObject->GetIndex() != -1) return false;
    if (!m_stdvFreeObjects.empty()) {
        const unsigned slot = m_stdvFreeObjects.back();
        m_stdvFreeObjects.pop_back();
        m_stdvObjects[slot] = pObject;
        pObject->SetIndex(static_cast<int>(slot));
    } else {
        m_stdvObjects.push_back(pObject);
        pObject->SetIndex(static_cast<int>(m_stdvObjects.size() - 1));
    }
    return true;
}

CDX9KelPhysicalObjectShip* CDX9KelPhysicalManager::AddPhysicalObjectShip(CDX9KelSceneObject* pSceneObject,
                                                                     float mass) {
    if (!pSceneObject) {
        g_Log.Write(LOG_ERROR, "CDX9KelPhysicalManager::AddPhysicalObjectShip() : scene object empty\n");
        return nullptr;
    }
    if (pSceneObject->m_bHasPhysicalObject) {
        g_Log.Write(LOG_ERROR,
                    "CDX9KelPhysicalManager::AddPhysicalObjectShip() : scene object already has physical object\n");
        return nullptr;
    }
    CDX9KelPhysicalObjectShip* ship = new CDX9KelPhysicalObjectShip;
    // A discarded ship takes its links with it: the scene object keeps
    // neither the pointer nor the flag.
    auto discard = [&]() {
        if (pSceneObject->m_pPhysicalObject == ship) pSceneObject->m_pPhysicalObject = nullptr;
        pSceneObject->m_bHasPhysicalObject = false;
        ship->Release();
        delete ship;
    };
    if (!ship->Init(pSceneObject, this, mass)) {
        g_Log.Write(LOG_ERROR,
                    "CDX9KelPhysicalManager::AddPhysicalObjectShip() : physical object initialization failed\n");
        discard();
        return nullptr;
    }
    pSceneObject->m_bHasPhysicalObject = true;
    if (!AddPhysicalObject(ship)) {
        g_Log.Write(LOG_ERROR, "CDX9KelPhysicalManager::AddPhysicalObjectShip() : AddPhysicalObject() failed\n");
        discard();
        return nullptr;
    }
    return ship;
}

void CDX9KelPhysicalManager::RemoveObject(std::size_t slot) {
    CDX9KelBasePhysicalObject* o = m_stdvObjects[slot];
    if (!o) return;
    m_stdvObjects[slot] = nullptr;
    m_stdvFreeObjects.push_back(static_cast<unsigned>(slot));
    o->Release();
    delete o;
}

void CDX9KelPhysicalManager::Update() {
    if (!m_bEnabled) return;
    const DWORD now = timeGetTime();
    if (static_cast<DWORD>(now - m_dwLastStepTime) > kRestartIntervals * m_dwStepInterval) m_dwLastStepTime = 0;
    if (m_dwLastStepTime == 0) {
        m_dwLastStepTime = now;
    } else if (static_cast<DWORD>(now - m_dwLastStepTime) < m_dwStepInterval) {
        return;
    }
    const DWORD elapsed = now - m_dwLastStepTime;
    m_dwLastStepTime = now;
    m_fDt = static_cast<float>(elapsed) * 0.001f * m_fTimeScale;

    ContactPass();
    for (CDX9KelBasePhysicalObject* o : m_stdvObjects)
        if (o && o->IsActive()) o->Update();
}

bool CDX9KelPhysicalManager::RemovePhysicalObject(CDX9KelBasePhysicalObject* pObject) {
    if (!pObject) return false;
    for (std::size_t i = 0; i < m_stdvObjects.size(); ++i) {
        if (m_stdvObjects[i] != pObject) continue;
        pObject->DetachSceneObject();
        RemoveObject(i);
        // A query answered before still names it: it goes from there too.
        std::erase(m_stdvQueryResults, pObject);
        return true;
    }
    return false;
}

void CDX9KelPhysicalManager::Clear() {
    for (std::size_t i = 0; i < m_stdvObjects.size(); ++i) {
        CDX9KelBasePhysicalObject* o = m_stdvObjects[i];
        if (!o) continue;
        m_stdvObjects[i] = nullptr;
        // A scene object that outlives the clear must not name a freed body.
        o->DetachSceneObject();
        o->Release();
        delete o;
    }
    m_stdvObjects.clear();
    m_stdvFreeObjects.clear();
    m_stdvQueryResults.clear();
}

void CDX9KelPhysicalManager::Release() {
    Clear();
    for (CDX9KelPhysicalForce* f : m_stdvPool) delete f;
    m_stdvPool.clear();
    m_stdvFreePool.clear();
}

namespace {
// The contact answer's dividing angle: an axis at this angle to the contact
// direction gets nothing.
constexpr float kRightAngle = 1.5707964f;
constexpr float kMaxContactImpulse = 1000.0f;
const char* const kCollisionBrakeName = "CollResist";
// The contact point's box starts inverted at this size.
constexpr float kPointBoxStart = 10000.0f;

// a's frame into b's frame: a x inverse(b); false when b cannot be inverted.
bool RelativeMatrix(const D3DXMATRIX& a, const D3DXMATRIX& b, D3DXMATRIX* out) {
    D3DXMATRIX inv;
    if (!D3DXMatrixInverse(&inv, nullptr, &b)) return false;
    D3DXMatrixMultiply(out, &a, &inv);
    return IsFiniteMatrix(*out);
}
} // namespace

void CDX9KelPhysicalManager::ContactPass() {
    for (CDX9KelBasePhysicalObject* o : m_stdvObjects)
        if (o && o->IsActive()) o->Contacts().clear();
    m_bContactFound = false;
    m_bOverlapFound = false;
    // Nothing moves in the tree during the pass.
    FileLeafEntries();
    for (std::size_t i = 0; i < m_stdvObjects.size(); ++i) {
        CDX9KelBasePhysicalObject* o = m_stdvObjects[i];
        if (!o || !o->IsActive()) continue;
        if (!o->GetSceneObject()) {
            RemoveObject(i);
            continue;
        }
        TestNeighbours(o);
    }
}

void CDX9KelPhysicalManager::FileLeafEntries() {
    // A leaf holds every kind of scene object; only those of physical
    // objects can be neighbours, so the look-ups walk these entries alone.
    m_stdvFilings.clear();
    for (CDX9KelBasePhysicalObject* o : m_stdvObjects) {
        CDX9KelSceneObject* so = o ? o->GetSceneObject() : nullptr;
        if (!so) continue;
        for (const SKelLeafEntry& entry : so->m_vLeafEntries) {
            const CDXSceneTreeNode* leaf = entry.pLeaf;
            // Only an entry the leaf really holds for this scene object.
            if (!leaf || entry.dwEntry >= leaf->m_vObjects.size() || leaf->m_vObjects[entry.dwEntry] != so) continue;
            m_stdvFilings.push_back(LeafFiling{leaf, entry.dwEntry, so});
        }
    }
    const auto before = [](const LeafFiling& a, const LeafFiling& b) {
        if (a.pLeaf != b.pLeaf) return std::less<const CDXSceneTreeNode*>()(a.pLeaf, b.pLeaf);
        return a.dwEntry < b.dwEntry;
    };
    std::sort(m_stdvFilings.begin(), m_stdvFilings.end(), before);
    // Two objects on one scene object file its entries twice.
    m_stdvFilings.erase(std::unique(m_stdvFilings.begin(), m_stdvFilings.end(),
                                    [](const LeafFiling& a, const LeafFiling& b) {
                                        return a.pLeaf == b.pLeaf && a.dwEntry == b.dwEntry;
                                    }),
                        m_stdvFilings.end());
}

const std::vector<CDX9KelBasePhysicalObject*>& CDX9KelPhysicalManager::FindNeighbours(
    CDX9KelBasePhysicalObject* pObject) {
    m_stdvNeighbours.clear();
    CDX9KelSceneObject* so = pObject ? pObject->GetSceneObject() : nullptr;
    if (!so) return m_stdvNeighbours;
    const auto leafBefore = [](const LeafFiling& f, const CDXSceneTreeNode* leaf) {
        return std::less<const CDXSceneTreeNode*>()(f.pLeaf, leaf);
    };
    for (const SKelLeafEntry& entry : so->m_vLeafEntries) {
        if (!entry.pLeaf) continue;
        auto it = std::lower_bound(m_stdvFilings.begin(), m_stdvFilings.end(), entry.pLeaf, leafBefore);
        for (; it != m_stdvFilings.end() && it->pLeaf == entry.pLeaf; ++it) {
            CDX9KelSceneObject* other = it->pSceneObject;
            if (!other || other == so || !other->m_pPhysicalObject) continue;
            CDX9KelBasePhysicalObject* n = other->m_pPhysicalObject;
            if (n == pObject || n->GetManager() != this || !n->IsActive()) continue;
            if (std::find(m_stdvNeighbours.begin(), m_stdvNeighbours.end(), n) == m_stdvNeighbours.end())
                m_stdvNeighbours.push_back(n);
        }
    }
    return m_stdvNeighbours;
}

void CDX9KelPhysicalManager::TestNeighbours(CDX9KelBasePhysicalObject* pObject) {
    FindNeighbours(pObject);
    for (CDX9KelBasePhysicalObject* n : m_stdvNeighbours) TestPair(pObject, n);
}

bool CDX9KelPhysicalManager::FindObjectsInSphere(const D3DXVECTOR3* pCentre, float radius) {
    m_stdvQueryResults.clear();
    if (!pCentre || !m_pSceneTree || !(radius > 0.0f) || !m_pSceneTree->m_pRoot) return false;
    m_pSceneTree->m_vFoundLeafs.clear();
    m_pSceneTree->CollectLeafsInSphere(m_pSceneTree->m_pRoot, pCentre, radius);
    for (CDXSceneTreeNode* leaf : m_pSceneTree->m_vFoundLeafs) {
        if (!leaf) continue;
        for (CDX9KelSceneObject* so : leaf->m_vObjects) {
            if (!so || !so->m_pPhysicalObject) continue;
            CDX9KelBasePhysicalObject* o = so->m_pPhysicalObject;
            if (std::find(m_stdvQueryResults.begin(), m_stdvQueryResults.end(), o) != m_stdvQueryResults.end())
                continue;
            if (IsSphereIntersectingSphere(so->GetPosition(), pCentre, so->m_fRadius, radius))
                m_stdvQueryResults.push_back(o);
        }
    }
    return !m_stdvQueryResults.empty();
}

void CDX9KelPhysicalManager::TestPair(CDX9KelBasePhysicalObject* a, CDX9KelBasePhysicalObject* b) {
    CDX9KelSceneObject* sa = a->GetSceneObject();
    CDX9KelSceneObject* sb = b->GetSceneObject();
    if (!sa || !sb || !IsFiniteMatrix(sa->m_mWorld) || !IsFiniteMatrix(sb->m_mWorld)) return;
    const D3DXVECTOR3 ca = *sa->GetPosition();
    const D3DXVECTOR3 cb = *sb->GetPosition();
    float ra = 0.7f * a->GetCollisionLength();
    float rb = 0.7f * b->GetCollisionLength();
    if (b->GetCollisionLength() == -1.0f) {
        ra = sa->m_fRadius;
        rb = sb->m_fRadius;
    }
    if (!IsSphereIntersectingSphere(&ca, &cb, ra, rb)) return;
    m_bOverlapFound = true;
    if (a->HasContact(b) || a->GetType() != CDX9KelBasePhysicalObject::kTypeShip ||
        b->GetType() != CDX9KelBasePhysicalObject::kTypeShip)
        return;
    D3DXVECTOR3 pa, pb;
    if (!NarrowPhase(a, b, &pa, &pb)) return;
    m_bContactFound = true;
    CDX9KelPhysicalContact ka;
    ka.pOther = b;
    ka.vPoint = pa;
    ka.vOtherPoint = pb;
    a->Contacts().push_back(ka);
    CDX9KelPhysicalContact kb;
    kb.pOther = a;
    kb.vPoint = pb;
    kb.vOtherPoint = pa;
    b->Contacts().push_back(kb);
    AnswerContact(b, a);
    AnswerContact(a, b);
}

bool CDX9KelPhysicalManager::NarrowPhase(CDX9KelBasePhysicalObject* a, CDX9KelBasePhysicalObject* b,
                                         D3DXVECTOR3* pPointA, D3DXVECTOR3* pPointB) {
    const CDX9KelCollisionModel* ma = a->GetCollisionModel();
    const CDX9KelCollisionModel* mb = b->GetCollisionModel();
    if (!ma || !mb) return false;
    const D3DXMATRIX& wa = a->GetSceneObject()->m_mWorld;
    const D3DXMATRIX& wb = b->GetSceneObject()->m_mWorld;
    D3DXMATRIX bToA, aToB;
    if (!RelativeMatrix(wb, wa, &bToA) || !RelativeMatrix(wa, wb, &aToB)) return false;
    m_stdvPoints.clear();
    if (!ma->Intersect(*mb, bToA, aToB, &m_stdvPoints) || m_stdvPoints.empty()) return false;
    D3DXVECTOR3 lo(kPointBoxStart, kPointBoxStart, kPointBoxStart), hi(-kPointBoxStart, -kPointBoxStart, -kPointBoxStart);
    for (const D3DXVECTOR4& p4 : m_stdvPoints) {
        D3DXVECTOR3 p(p4.x, p4.y, p4.z);
        if (p4.w == CDX9KelCollisionModel::kOtherFrameMark) D3DXVec3TransformCoord(&p, &p, &bToA);
        D3DXVec3Minimize(&lo, &lo, &p);
        D3DXVec3Maximize(&hi, &hi, &p);
    }
    *pPointA = (lo + hi) * 0.5f;
    D3DXVec3TransformCoord(pPointB, pPointA, &aToB);
    return true;
}

void CDX9KelPhysicalManager::AnswerContact(CDX9KelBasePhysicalObject* xo, CDX9KelBasePhysicalObject* yo) {
    CDX9KelPhysicalContact* yrec = yo->FindContact(xo);
    CDX9KelPhysicalContact* xrec = xo->FindContact(yo);
    if (!yrec || !xrec) return;
    CDX9KelPhysicalBody* X = xo->FindNearestAuxBody(xrec->vPoint);
    CDX9KelPhysicalBody* Y = yo->FindNearestAuxBody(yrec->vPoint);
    if (!X || !Y || !X->m_pParent) return;
    D3DXMATRIX rel;
    if (!RelativeMatrix(xo->GetSceneObject()->m_mWorld, yo->GetSceneObject()->m_mWorld, &rel)) return;
    D3DXVECTOR3 xPos;
    D3DXVec3TransformCoord(&xPos, &X->m_vOffset, &rel);
    const D3DXVECTOR3 xAxisX(rel._11, rel._12, rel._13);
    const D3DXVECTOR3 xAxisZ(rel._31, rel._32, rel._33);
    const CDX9KelPhysicalBody* P = X->m_pParent;
    const float mP = P->m_fMass + P->m_fExtraMass;
    const float mX = X->m_fMass + X->m_fExtraMass;

    D3DXVECTOR3 d = Y->m_vOffset - xPos;
    D3DXVec3Normalize(&d, &d);
    D3DXVECTOR3 sv = Y->m_vOffset - yrec->vPoint;
    D3DXVec3Normalize(&sv, &sv);
    const D3DXVECTOR3 s(CDX9KelUtils::Sign(sv.x), CDX9KelUtils::Sign(sv.y), CDX9KelUtils::Sign(sv.z));

    // Along X's own X axis: X's momentum (and that of its parent) goes to Y.
    float a = GetAngleBetweenVectors(&xAxisX, &d);
    if (a != kRightAngle) {
        const bool towards = a < kRightAngle;
        const float vx = P->m_vVelocity.x;
        if (towards ? vx > 0.0f : vx < 0.0f) {
            const float added = towards ? P->m_vAddedMassPos.x : P->m_vAddedMassNeg.x;
            const float j = towards ? std::min((mP + added) * vx, kMaxContactImpulse)
                                    : std::max((mP + added) * vx, -kMaxContactImpulse);
            Y->AddImpulse(&xAxisX, j);
            yrec->vImpulse.x += j;
        }
        if (!X->IsHanded(0)) {
            const float own = X->m_vVelocity.x;
            float j2 = (towards ? own > 0.0f : own < 0.0f) ? mX * own : 0.0f;
            for (const CDX9KelPhysicalLink& link : X->m_stdvLinks) {
                if (!link.m_pChild || !(link.m_vFactors.x > 0.0f)) continue;
                const float cv = link.m_pChild->m_vVelocity.x * link.m_fWeight;
                if (towards ? cv > 0.0f : cv < 0.0f) j2 += mX * link.m_pChild->m_vVelocity.x * link.m_fWeight * link.m_vFactors.x;
            }
            Y->AddImpulse(&xAxisX, j2);
            yrec->vImpulse.x += j2;
        }
        const float coefficient = X->IsHanded(0) ? 500.0f * std::fabs(towards ? P->m_vDragNeg.x : P->m_vDragPos.x)
                                                 : 600.0f * std::fabs(towards ? X->m_vDragNeg.x : X->m_vDragPos.x);
        Y->ApplyBrakeForce(kCollisionBrakeName, &xAxisX, coefficient, &s, true);
        Y->AddBlockingMass(&xAxisX, mX);
    }

    // Along X's Z axis: the parent's momentum only; the brake and the
    // blocking mass act along the axis as it points at Y.
    a = GetAngleBetweenVectors(&xAxisZ, &d);
    if (a == kRightAngle) return;
    const bool towards = a < kRightAngle;
    const float vz = P->m_vVelocity.z;
    if (towards ? vz > 0.0f : vz < 0.0f) {
        const float added = towards ? P->m_vAddedMassPos.z : P->m_vAddedMassNeg.z;
        const float j = towards ? std::min((mP + added) * vz, kMaxContactImpulse)
                                : std::max((mP + added) * vz, -kMaxContactImpulse);
        Y->AddImpulse(&xAxisZ, j);
        yrec->vImpulse.z += j;
    }
    const D3DXVECTOR3 axis = towards ? xAxisZ : -xAxisZ;
    const float coefficient = X->IsHanded(2) ? 500.0f * std::fabs(towards ? P->m_vDragNeg.z : P->m_vDragPos.z)
                                             : 600.0f * std::fabs(towards ? X->m_vDragNeg.z : X->m_vDragPos.z);
    Y->ApplyBrakeForce(kCollisionBrakeName, &axis, coefficient, &s, true);
    Y->AddBlockingMass(&axis, mX);
}

} // namespace Vorna3D
