#include "engine2/world/physics/CDX9KelPhysicalManager.h"

#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/world/water/CDX9KelActiveWater.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Vorna2 {

namespace {

CDX9KelModel* LastModel(const CDX9KelSceneObject* object) {
    return object && !object->m_Models.empty() ? object->m_Models.back() : nullptr;
}

D3DXVECTOR3 Centre(CDX9KelSceneObject* object) { return object->UpdateCenter(); }

D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

bool IsLarge(const CDX9KelSceneObject* object) {
    return object->m_fRadius > CDX9KelPhysicalManager::kLargeRadius;
}

} // namespace

CDX9KelPhysicalManager::~CDX9KelPhysicalManager() { SetWater(nullptr); }

bool CDX9KelPhysicalManager::Init(CDX9KelBaseCameraManager* cameras, CDXSceneTree* tree) {
    if (!cameras || !tree) return false;
    m_pCameraManager = cameras;
    m_pSceneTree = tree;
    return true;
}

void CDX9KelPhysicalManager::Release() {
    m_Objects.clear();
    m_Records.clear();
    m_Contacts.clear();
    m_Hits.clear();
    m_ObjectContacts.clear();
}

void CDX9KelPhysicalManager::SetWater(CDX9KelActiveWater* water) {
    if (m_pWater == water) return;
    if (m_pWater && m_pWater->m_pPhysicalManager == this) m_pWater->m_pPhysicalManager = nullptr;
    m_pWater = water;
    if (m_pWater) {
        if (m_pWater->m_pPhysicalManager && m_pWater->m_pPhysicalManager != this)
            m_pWater->m_pPhysicalManager->m_pWater = nullptr;
        m_pWater->m_pPhysicalManager = this;
    }
}

bool CDX9KelPhysicalManager::AddObject(CDX9KelSceneObject* object, CDX9KelFloatRecord* record) {
    if (!object || !record) return false;
    m_Objects.push_back(object);
    m_Records.push_back(record);
    return true;
}

int CDX9KelPhysicalManager::FindObject(const CDX9KelSceneObject* object) const {
    for (size_t i = 0; i < m_Objects.size(); ++i)
        if (m_Objects[i] == object) return static_cast<int>(i);
    return -1;
}

bool CDX9KelPhysicalManager::RemoveObject(CDX9KelSceneObject* object) {
    // A contact never outlives either of its objects, registered or not.
    if (object) {
        m_Contacts.erase(std::remove_if(m_Contacts.begin(), m_Contacts.end(),
                                        [object](const CDX9KelContact& c) {
                                            return c.m_pObjectA == object || c.m_pObjectB == object;
                                        }),
                         m_Contacts.end());
        m_Hits.erase(std::remove(m_Hits.begin(), m_Hits.end(), object), m_Hits.end());
        m_ObjectContacts.clear();
    }
    const int index = FindObject(object);
    if (index < 0) return false;
    m_Objects.erase(m_Objects.begin() + index);
    m_Records.erase(m_Records.begin() + index);
    return true;
}

void CDX9KelPhysicalManager::Process() {
    const float f = g_FPSCounter.GetFrameTime();
    if (m_bCollisionPass) CollisionPass(f);
    if (m_bWavePass && m_pWater) WavePass(f);
}

// ---------------------------------------------------------------------------
// Shapes.

bool CDX9KelPhysicalManager::GetHullSpheres(const CDX9KelSceneObject* object, const CDX9KelModel* model, bool full,
                                            D3DXVECTOR3 centres[5], float radii[5]) {
    if (!object || !model || !model->m_pFrameRoot) return false;
    D3DXFRAME* frame = nullptr;
    CDX9KelBoundsRecord* record = nullptr;
    if (!CDX9KelModel::FindFrameByName("hull", model->m_pFrameRoot, model->m_pBounds, &frame, &record) || !record)
        return false;
    const CDX9KelBoundsRecord* box = frame->pFrameFirstChild && record->m_pChild ? record->m_pChild : record;
    float length = std::fabs(box->m_vBoxMax.z - box->m_vBoxMin.z);
    float width = std::fabs(box->m_vBoxMax.x - box->m_vBoxMin.x);
    if (!full) {
        length /= 2.0f;
        width /= 2.0f;
    }
    const D3DXMATRIX& w = object->m_mWorld;
    const D3DXVECTOR3 centre = Position(w) + model->m_vSphereCenter;
    const D3DXVECTOR3 forward(w._31, w._32, w._33);
    const float offsets[5] = {0.0f, 0.7f, -0.7f, 0.9f, -0.9f};
    for (int i = 0; i < 5; ++i) {
        centres[i] = centre + forward * (offsets[i] * length);
        radii[i] = i < 3 ? width : 0.6f * width;
    }
    return true;
}

bool CDX9KelPhysicalManager::HullsTouch(const CDX9KelSceneObject* a, const CDX9KelSceneObject* b) {
    D3DXVECTOR3 ca[5], cb[5];
    float ra[5], rb[5];
    if (!GetHullSpheres(a, LastModel(a), false, ca, ra) || !GetHullSpheres(b, LastModel(b), false, cb, rb))
        return false;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            if (SpheresIntersect(&ca[i], &cb[j], ra[i], rb[j])) return true;
    return false;
}

float CDX9KelPhysicalManager::HullReach(const CDX9KelSceneObject* object) {
    D3DXVECTOR3 c[5];
    float r[5];
    if (!GetHullSpheres(object, LastModel(object), false, c, r)) return 0.0f;
    const D3DXVECTOR3 at = Position(object->m_mWorld);
    float reach = 0.0f;
    for (int i = 0; i < 5; ++i) {
        const D3DXVECTOR3 d = c[i] - at;
        reach = std::max(reach, D3DXVec3Length(&d) + r[i]);
    }
    return reach;
}

bool CDX9KelPhysicalManager::HullTouchesSphere(const CDX9KelSceneObject* hullObject, const D3DXVECTOR3& centre,
                                               float radius) {
    D3DXVECTOR3 c[5];
    float r[5];
    if (!GetHullSpheres(hullObject, LastModel(hullObject), true, c, r)) return false;
    for (int i = 0; i < 5; ++i)
        if (SpheresIntersect(&c[i], &centre, r[i], radius)) return true;
    return false;
}

bool CDX9KelPhysicalManager::SphereTouchesTriangles(const CDX9KelSceneObject* object, const D3DXVECTOR3& centre,
                                                    float radius) {
    if (radius <= 0.0f) return false;
    CDX9KelModel* model = LastModel(object);
    if (!model || !model->m_pFrameRoot) return false;
    model->m_mWorld = object->m_mWorld;
    D3DXVECTOR3 boxMin, boxMax;
    if (!CDX9KelModel::GetModelBoundingBox(&boxMin, &boxMax, model) ||
        !SphereIntersectsBox(&centre, &boxMin, &boxMax, radius))
        return false;
    D3DXFRAME* frame = model->m_pFrameRoot;
    D3DXMATRIX local = frame->TransformationMatrix;
    if (!frame->pMeshContainer && frame->pFrameFirstChild) {
        frame = frame->pFrameFirstChild;
        D3DXMatrixMultiply(&local, &frame->TransformationMatrix, &local);
    }
    if (!frame->pMeshContainer || !frame->pMeshContainer->MeshData.pMesh) return false;
    ID3DXMesh* mesh = frame->pMeshContainer->MeshData.pMesh;
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &local, &object->m_mWorld);
    const DWORD stride = mesh->GetNumBytesPerVertex(), vertices = mesh->GetNumVertices(), faces = mesh->GetNumFaces();
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    BYTE* vb = nullptr;
    void* ib = nullptr;
    if (stride < sizeof(D3DXVECTOR3) || FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&vb))) ||
        !vb)
        return false;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib)) || !ib) {
        mesh->UnlockVertexBuffer();
        return false;
    }
    bool hit = false;
    for (DWORD face = 0; face < faces && !hit; face += 2) {
        D3DXVECTOR3 lo(0, 0, 0), hi(0, 0, 0);
        bool valid = true;
        for (int k = 0; k < 3; ++k) {
            const DWORD index = wide ? static_cast<const DWORD*>(ib)[face * 3 + DWORD(k)]
                                     : static_cast<const WORD*>(ib)[face * 3 + DWORD(k)];
            if (index >= vertices) {
                valid = false;
                break;
            }
            D3DXVECTOR3 p;
            std::memcpy(&p, vb + size_t(index) * stride, sizeof p);
            D3DXVec3TransformCoord(&p, &p, &world);
            if (k == 0) {
                lo = hi = p;
            } else {
                D3DXVec3Minimize(&lo, &lo, &p);
                D3DXVec3Maximize(&hi, &hi, &p);
            }
        }
        if (valid && SphereIntersectsBox(&centre, &lo, &hi, radius)) hit = true;
    }
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return hit;
}

// ---------------------------------------------------------------------------
// Collisions.

void CDX9KelPhysicalManager::CollisionPass(float f) {
    for (size_t i = 0; i < m_Contacts.size();) {
        if (m_Contacts[i].m_iKind == KEL_CONTACT_RAM && RespondToContact(i, f))
            m_Contacts.erase(m_Contacts.begin() + long(i));
        else
            ++i;
    }
    for (CDX9KelSceneObject* object : m_Objects) {
        if (!object || !object->m_bMoved) continue;
        TestMovedObject(object);
        object->m_bMoved = false;
    }
}

bool CDX9KelPhysicalManager::RespondToContact(size_t index, float f) {
    CDX9KelContact& contact = m_Contacts[index];
    CDX9KelSceneObject* a = contact.m_pObjectA;
    m_ObjectContacts.clear();
    for (CDX9KelContact& c : m_Contacts)
        if (c.m_pObjectA == a || c.m_pObjectB == a) m_ObjectContacts.push_back(&c);
    if (m_ObjectContacts.size() >= 2)
        for (CDX9KelContact* c : m_ObjectContacts) c->m_bHandled = 1;
    if (contact.m_bHandled) return true;
    CDX9KelSceneObject* b = contact.m_pObjectB;
    if (!a || !b) return true;
    const D3DXVECTOR3 pa = Position(a->m_mWorld), pb = Position(b->m_mWorld);
    // Over once the two are apart: hulls that still touch would be found
    // again at the next move and the contact would never clear.
    const bool touching = FindObject(a) >= 0 && FindObject(b) >= 0 && HullsTouch(a, b);
    if (GetDistance(&pa, &pb) > kRamSeparation && !touching) return true;
    // A is pushed away from B on the sea's plane (along its own axis when
    // the two stand on one point).
    D3DXVECTOR3 away(pa.x - pb.x, 0.0f, pa.z - pb.z);
    if (D3DXVec3Length(&away) < 1e-4f) away = D3DXVECTOR3(a->m_mWorld._31, 0.0f, a->m_mWorld._33);
    D3DXVec3Normalize(&away, &away);
    const float amount = kRamPush * f;
    const D3DXVECTOR3 push = away * amount;
    CDX9KelSceneObject::Translate(&push, m_pSceneTree, a);
    CDX9KelSceneObject::RotateWorldY(a, 0.1f * amount);
    return false;
}

void CDX9KelPhysicalManager::TestMovedObject(CDX9KelSceneObject* moved) {
    const D3DXVECTOR3 movedCentre = Centre(moved);
    for (const CDXSceneTreeSlot& place : moved->m_Leaves) {
        if (!place.leaf) continue;
        for (CDX9KelSceneObject* other : place.leaf->m_Objects) {
            if (!other || other == moved) continue;
            const D3DXVECTOR3 otherCentre = Centre(other);
            if (!SpheresIntersect(&movedCentre, &otherCentre, moved->m_fRadius, other->m_fRadius)) continue;
            if (FindObject(other) >= 0) {
                if (HullsTouch(moved, other)) RecordContact(other, moved, KEL_CONTACT_HULLS);
            } else if (IsLarge(other)) {
                if (SphereTouchesTriangles(other, movedCentre, moved->m_fRadius))
                    RecordContact(other, moved, KEL_CONTACT_LARGE);
            } else if (HullTouchesSphere(moved, otherCentre, other->m_fRadius)) {
                RecordContact(other, moved, KEL_CONTACT_SMALL);
            }
        }
    }
}

void CDX9KelPhysicalManager::RecordContact(CDX9KelSceneObject* other, CDX9KelSceneObject* moved, int kind) {
    for (const CDX9KelContact& c : m_Contacts)
        if ((c.m_pObjectA == other && c.m_pObjectB == moved) || (c.m_pObjectA == moved && c.m_pObjectB == other))
            return;
    CDX9KelContact c;
    c.m_pObjectA = other;
    c.m_pObjectB = moved;
    c.m_fAngleBToA = GetHeadingAngleToMatrix(&moved->m_mWorld, &other->m_mWorld);
    c.m_fAngleAToB = GetHeadingAngleToMatrix(&other->m_mWorld, &moved->m_mWorld);
    c.m_iKind = kind;
    m_Contacts.push_back(c);
}

// ---------------------------------------------------------------------------
// Waves.

bool CDX9KelPhysicalManager::StepRule(float f, float h1, float hc, float h2, float y1, float y2, float bias,
                                      float lever, float* heightStep, float* angleStep) {
    *heightStep = 0.0f;
    *angleStep = 0.0f;
    if (f < 0.1f || f > 10.0f) return false;
    if (h1 > hc && h2 > hc)
        *heightStep = f * hc / 60.0f;
    else if (h1 < hc && h2 < hc)
        *heightStep = f * hc / 120.0f;
    else
        *heightStep = f * hc / 80.0f;
    const float u = std::fabs(h1 - h2);
    float tilt = std::acos(lever / std::sqrt(lever * lever + u * u));
    if (h1 < h2) tilt = -tilt;
    if (h1 == h2) tilt = 0.0f;
    float angle = (tilt + (y2 - y1) + bias) / (f * 100.0f);
    if (std::fabs(angle) > kMaxAngleStep) angle = 0.0f;
    *angleStep = angle;
    return true;
}

void CDX9KelPhysicalManager::WavePass(float f) {
    const CDX9KelBaseCamera* camera = m_pCameraManager ? m_pCameraManager->GetActiveCamera() : nullptr;
    if (!camera) return;
    for (size_t i = 0; i < m_Objects.size(); ++i) {
        CDX9KelSceneObject* object = m_Objects[i];
        CDX9KelFloatRecord* record = m_Records[i];
        if (!object || !record || !object->m_bVisible || !record->m_bActive) continue;
        const D3DXMATRIX& w = object->m_mWorld;
        const D3DXVECTOR3 position = Position(w);
        if (GetDistance(&camera->m_vEye, &position) > m_fWaveDistance) continue;
        const float base = w._42 + record->m_fHeightOffset;
        const D3DXVECTOR3 forward(w._31, w._32, w._33), right(w._11, w._12, w._13);
        auto sample = [this, base](const D3DXVECTOR3& p) { return m_pWater->GetHeight(p.x, p.z) - base; };
        const D3DXVECTOR3 front = position + 4.0f * forward, back = position - 4.0f * forward;
        const D3DXVECTOR3 side = position + right, otherSide = position - right;
        const float hc = sample(position), hf = sample(front), hb = sample(back), hr = sample(side),
                    hl = sample(otherSide);
        float height = 0.0f, angle = 0.0f;
        if (record->m_bPitchEnabled) {
            StepRule(f, hb, hc, hf, base - 4.0f * forward.y, base + 4.0f * forward.y, -record->m_fPitchBias, 3.0f,
                     &height, &angle);
            if (angle != 0.0f) CDX9KelSceneObject::RotatePitch(object, angle);
        }
        StepRule(f, hr, hc, hl, base + right.y, base - right.y, -record->m_fRollBias, 1.0f, &height, &angle);
        if (record->m_bRollEnabled && angle != 0.0f) CDX9KelSceneObject::RotateRoll(object, angle);
        const D3DXVECTOR3 up(0.0f, height, 0.0f);
        if (height != 0.0f) CDX9KelSceneObject::Translate(&up, m_pSceneTree, object);
        object->m_bMoved = false;
    }
}

// ---------------------------------------------------------------------------
// Queries.

bool CDX9KelPhysicalManager::TestObjectAgainstSphere(CDX9KelSceneObject* object, const D3DXVECTOR3& centre,
                                                     float radius) const {
    if (IsLarge(object)) return SphereTouchesTriangles(object, centre, radius);
    const D3DXVECTOR3 c = Centre(object);
    return SpheresIntersect(&c, &centre, object->m_fRadius, radius);
}

bool CDX9KelPhysicalManager::TestSphere(float x, float y, float z, float radius) {
    m_Hits.clear();
    if (!m_pSceneTree || !m_pSceneTree->IsMade()) return false;
    const D3DXVECTOR3 centre(x, y, z);
    m_pSceneTree->FindLeavesInSphere(centre, radius);
    for (CDXSceneTreeNode* leaf : m_pSceneTree->m_FoundLeaves) {
        if (!leaf) continue;
        for (CDX9KelSceneObject* object : leaf->m_Objects)
            if (object && TestObjectAgainstSphere(object, centre, radius)) m_Hits.push_back(object);
    }
    return !m_Hits.empty();
}

bool CDX9KelPhysicalManager::TestSpheres(const std::vector<CDX9KelSphere>& spheres,
                                         const CDX9KelSceneObject* excludeA, const CDX9KelSceneObject* excludeB) {
    m_Hits.clear();
    if (!m_pSceneTree || !m_pSceneTree->IsMade()) return false;
    for (const CDX9KelSphere& s : spheres) {
        const D3DXVECTOR3 centre(s.x, s.y, s.z);
        m_pSceneTree->FindLeavesInSphere(centre, s.radius);
        for (CDXSceneTreeNode* leaf : m_pSceneTree->m_FoundLeaves) {
            if (!leaf) continue;
            for (CDX9KelSceneObject* object : leaf->m_Objects) {
                if (!object || object == excludeA || object == excludeB) continue;
                if (TestObjectAgainstSphere(object, centre, s.radius)) {
                    m_Hits.push_back(object);
                    return true;
                }
            }
        }
    }
    return false;
}

bool CDX9KelPhysicalManager::IsLineBlocked(CDX9KelSceneObject* objectA, CDX9KelSceneObject* objectB) {
    if (!objectA || !objectB) return false;
    D3DXVECTOR3 p1 = Centre(objectA), p2 = Centre(objectB);
    p1.y += p1.y >= 0.4f ? 2.0f : 0.1f;
    p2.y += p2.y >= 0.4f ? 2.0f : 0.1f;
    const float distance = GetDistance(&p1, &p2);
    const int n = static_cast<int>(std::floor(distance * 0.25f));
    if (n <= 0) return false;
    D3DXVECTOR3 direction = p2 - p1;
    D3DXVec3Normalize(&direction, &direction);
    std::vector<CDX9KelSphere> spheres;
    spheres.reserve(size_t(n));
    for (int k = 1; k <= n; ++k) {
        const D3DXVECTOR3 c = p1 + direction * (4.0f * float(k));
        spheres.push_back({c.x, c.y, c.z, 0.5f});
    }
    return TestSpheres(spheres, objectA, objectB);
}

} // namespace Vorna2
