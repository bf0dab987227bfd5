#include "engine3/world/physics/CDX9KelCollisionModel.h"

#include "engine3/core/scene/CDX9KelSceneUnit.h"
#include "engine3/core/scene/Geometry.h"
#include "platform/d3dx/d3dx9.h"

#include <algorithm>
#include <cmath>

namespace Vorna3D {

namespace {

constexpr float kBoxStart = 10000.0f;
// A vertex closer than this (squared) to a face's plane, inside the face, touches it.
constexpr float kTouchSquared = 0.01f;

bool IsFiniteVec(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool FaceMeetsBox(const CDX9KelCollisionModel::FACE& f, const D3DXVECTOR3& mn, const D3DXVECTOR3& mx) {
    D3DXVECTOR3 lo = f.avCorners[0], hi = f.avCorners[0];
    for (int i = 1; i < 3; ++i) {
        D3DXVec3Minimize(&lo, &lo, &f.avCorners[i]);
        D3DXVec3Maximize(&hi, &hi, &f.avCorners[i]);
    }
    return lo.x <= mx.x && hi.x >= mn.x && lo.y <= mx.y && hi.y >= mn.y && lo.z <= mx.z && hi.z >= mn.z;
}

// Tests the vertices of one leaf (taken through toFaces) against the faces of
// another; appends hits with the mark. Only vertices inside the face leaf's
// face box are candidates, which usually leaves none or a few.
bool TestLeaf(const std::vector<CDX9KelCollisionModel::VERTEX>& verts, const D3DXMATRIX& toFaces,
              const CDX9KelCollisionModel::NODE& faceLeaf, float mark, std::vector<D3DXVECTOR4>* pts) {
    const auto& faces = faceLeaf.stdvFaces;
    if (verts.empty() || faces.empty()) return false;
    const D3DXVECTOR3& bmin = faceLeaf.vFaceMin;
    const D3DXVECTOR3& bmax = faceLeaf.vFaceMax;
    thread_local std::vector<D3DXVECTOR3> moved;
    moved.clear();
    for (const auto& v : verts) {
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &v.vPosition, &toFaces);
        if (p.x < bmin.x || p.x > bmax.x || p.y < bmin.y || p.y > bmax.y || p.z < bmin.z || p.z > bmax.z) continue;
        moved.push_back(p);
    }
    if (moved.empty()) return false;
    const float reach = std::sqrt(kTouchSquared);
    bool found = false;
    for (const auto& f : faces) {
        D3DXVECTOR3 lo = f.avCorners[0], hi = f.avCorners[0];
        for (int i = 1; i < 3; ++i) {
            D3DXVec3Minimize(&lo, &lo, &f.avCorners[i]);
            D3DXVec3Maximize(&hi, &hi, &f.avCorners[i]);
        }
        lo -= D3DXVECTOR3(reach, reach, reach);
        hi += D3DXVECTOR3(reach, reach, reach);
        D3DXVECTOR3 n;
        bool planeMade = false;
        float d0 = 0.0f;
        for (const D3DXVECTOR3& p : moved) {
            if (p.x < lo.x || p.x > hi.x || p.y < lo.y || p.y > hi.y || p.z < lo.z || p.z > hi.z) continue;
            if (!planeMade) {
                D3DXVec3Normalize(&n, &f.vNormal);
                d0 = D3DXVec3Dot(&n, &f.avCorners[0]);
                planeMade = true;
            }
            const float dist = D3DXVec3Dot(&n, &p) - d0;
            if (dist * dist > kTouchSquared) continue;
            if (!IsRayIntersectingTriangle(&p, &n, &f.avCorners[0], &f.avCorners[1], &f.avCorners[2])) continue;
            if (pts) pts->push_back(D3DXVECTOR4(p.x, p.y, p.z, mark));
            found = true;
        }
    }
    return found;
}

} // namespace

CollisionMeshReader CDX9KelCollisionModel::s_pfnMeshReader = nullptr;

bool CDX9KelCollisionModel::CreateFromModel(const CDX9KelSceneUnit* pSource) {
    Release();
    if (!pSource || !s_pfnMeshReader) return false;
    CDX9KelCollisionMesh mesh;
    if (!s_pfnMeshReader(pSource, &mesh)) return false;
    if (mesh.stdvPositions.empty() || mesh.stdvIndices.size() < 3) return false;
    if (mesh.stdvPositions.size() > kMaxElements || mesh.stdvIndices.size() / 3 > kMaxElements) return false;
    return CreateFromTriangles(mesh.stdvPositions.data(), nullptr, static_cast<unsigned>(mesh.stdvPositions.size()),
                               mesh.stdvIndices.data(), static_cast<unsigned>(mesh.stdvIndices.size() / 3),
                               &pSource->m_mLocal);
}

bool CDX9KelCollisionModel::CreateFromMesh(ID3DXMesh* pMesh, const D3DXMATRIX* pLocal) {
    Release();
    if (!pMesh) return false;
    ID3DXMesh* clone = nullptr;
    const DWORD options = D3DXMESH_SYSTEMMEM | (pMesh->GetOptions() & D3DXMESH_32BIT);
    if (FAILED(pMesh->CloneMeshFVF(options, D3DFVF_XYZ | D3DFVF_NORMAL, nullptr, &clone)) || !clone) return false;
    const DWORD vertexCount = clone->GetNumVertices();
    const DWORD faceCount = clone->GetNumFaces();
    const bool wide = (clone->GetOptions() & D3DXMESH_32BIT) != 0;
    bool ok = vertexCount > 0 && faceCount > 0 && vertexCount <= kMaxElements && faceCount <= kMaxElements &&
              clone->GetNumBytesPerVertex() == 24;
    void* vb = nullptr;
    void* ib = nullptr;
    if (ok && FAILED(clone->LockVertexBuffer(0, &vb))) vb = nullptr;
    if (ok && FAILED(clone->LockIndexBuffer(0, &ib))) ib = nullptr;
    ok = ok && vb && ib;
    if (ok) {
        std::vector<D3DXVECTOR3> positions(vertexCount), normals(vertexCount);
        const float* v = static_cast<const float*>(vb);
        for (DWORD i = 0; i < vertexCount; ++i) {
            positions[i] = D3DXVECTOR3(v[6 * i], v[6 * i + 1], v[6 * i + 2]);
            normals[i] = D3DXVECTOR3(v[6 * i + 3], v[6 * i + 4], v[6 * i + 5]);
        }
        std::vector<unsigned> indices(3 * static_cast<std::size_t>(faceCount));
        for (std::size_t i = 0; i < indices.size(); ++i)
            indices[i] = wide ? static_cast<const DWORD*>(ib)[i] : static_cast<const WORD*>(ib)[i];
        ok = CreateFromTriangles(positions.data(), normals.data(), vertexCount, indices.data(), faceCount, pLocal);
    }
    if (vb) clone->UnlockVertexBuffer();
    if (ib) clone->UnlockIndexBuffer();
    clone->Release();
    return ok;
}

CDX9KelCollisionModel::NODE::~NODE() {
    for (NODE*& c : apChildren) {
        delete c;
        c = nullptr;
    }
}

bool CDX9KelCollisionModel::NODE::IsLeaf() const {
    for (const NODE* c : apChildren)
        if (c) return false;
    return true;
}

void CDX9KelCollisionModel::Release() {
    delete m_pRoot;
    m_pRoot = nullptr;
    m_stdvVertices.clear();
    m_stdvVertices.shrink_to_fit();
    m_stdvFaces.clear();
    m_stdvFaces.shrink_to_fit();
    m_uLeafCount = 0;
    m_fCellSize = 0.0f;
    m_vMin = m_vMax = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_fWidth = m_fHeight = m_fLength = 0.0f;
}

bool CDX9KelCollisionModel::CreateFromTriangles(const D3DXVECTOR3* pPositions, const D3DXVECTOR3* pNormals,
                                                unsigned vertexCount, const unsigned* pIndices, unsigned faceCount,
                                                const D3DXMATRIX* pLocal) {
    Release();
    if (!pPositions || !pIndices || vertexCount == 0 || faceCount == 0) return false;
    if (vertexCount > kMaxElements || faceCount > kMaxElements) return false;
    D3DXMATRIX local;
    if (pLocal) local = *pLocal;
    else D3DXMatrixIdentity(&local);

    m_stdvVertices.resize(vertexCount);
    for (unsigned i = 0; i < vertexCount; ++i) {
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &pPositions[i], &local);
        if (!IsFiniteVec(p)) {
            Release();
            return false;
        }
        m_stdvVertices[i].vPosition = p;
        m_stdvVertices[i].vNormal = pNormals ? pNormals[i] : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    m_stdvFaces.resize(faceCount);
    for (unsigned f = 0; f < faceCount; ++f) {
        FACE& face = m_stdvFaces[f];
        for (int c = 0; c < 3; ++c) {
            const unsigned idx = pIndices[3 * static_cast<std::size_t>(f) + c];
            if (idx >= vertexCount) {
                Release();
                return false;
            }
            face.avCorners[c] = m_stdvVertices[idx].vPosition;
        }
        const D3DXVECTOR3 mid = (face.avCorners[1] + face.avCorners[2]) * 0.5f;
        face.vCentre = face.avCorners[0] + (mid - face.avCorners[0]) * 0.6666f;
        D3DXVECTOR3 e1 = face.avCorners[1] - face.avCorners[0], e2 = face.avCorners[2] - face.avCorners[0];
        D3DXVec3Normalize(&e1, &e1);
        D3DXVec3Normalize(&e2, &e2);
        D3DXVec3Cross(&face.vNormal, &e1, &e2);
    }

    m_vMin = D3DXVECTOR3(kBoxStart, kBoxStart, kBoxStart);
    m_vMax = D3DXVECTOR3(-kBoxStart, -kBoxStart, -kBoxStart);
    for (const VERTEX& v : m_stdvVertices) {
        D3DXVec3Minimize(&m_vMin, &m_vMin, &v.vPosition);
        D3DXVec3Maximize(&m_vMax, &m_vMax, &v.vPosition);
    }
    m_fWidth = m_vMax.x - m_vMin.x;
    m_fHeight = m_vMax.y - m_vMin.y;
    m_fLength = m_vMax.z - m_vMin.z;

    // Twice the smallest extent, but never so small that a flat mesh is split
    // without end; a mesh with no extent at all is a single leaf.
    const float smallest = std::min({m_fWidth, m_fHeight, m_fLength});
    const float largest = std::max({m_fWidth, m_fHeight, m_fLength});
    m_fCellSize = std::max(2.0f * smallest, largest / 64.0f);
    m_pRoot = new NODE;
    Build(m_pRoot, m_vMin, m_vMax, 0);
    return true;
}

void CDX9KelCollisionModel::Build(NODE* node, const D3DXVECTOR3& vMin, const D3DXVECTOR3& vMax, int depth) {
    node->vCentre = vMin + (vMax - vMin) * 0.5f;
    node->fRadius = GetDistance(&node->vCentre, &vMax);
    node->vMin = vMin;
    node->vMax = vMax;

    // Octants by (x, y, z) halves, 0 = lower, 1 = upper.
    static const int kOctants[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                                       {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};
    bool anyChild = false;
    if (depth < kMaxDepth) {
        const float* lo = vMin;
        const float* hi = vMax;
        for (int o = 0; o < 8; ++o) {
            float cmin[3], cmax[3];
            bool exists = true;
            for (int a = 0; a < 3; ++a) {
                const float ext = hi[a] - lo[a];
                cmin[a] = lo[a];
                cmax[a] = hi[a];
                if (ext > m_fCellSize) {
                    if (kOctants[o][a] == 0) cmax[a] -= ext * 0.5f;
                    else cmin[a] += ext * 0.5f;
                } else if (kOctants[o][a] == 1) {
                    exists = false;
                }
            }
            if (!exists) continue;
            const D3DXVECTOR3 bmin(cmin), bmax(cmax);
            if (bmin == vMin && bmax == vMax) continue;
            node->apChildren[o] = new NODE;
            Build(node->apChildren[o], bmin, bmax, depth + 1);
            anyChild = true;
        }
    }
    if (anyChild) return;

    ++m_uLeafCount;
    for (const VERTEX& v : m_stdvVertices)
        if (IsPointInBox(&v.vPosition, &vMin, &vMax)) node->stdvVertices.push_back(v);
    // A face belongs to every leaf its box meets, so a large face that
    // crosses a leaf without a corner in it is still found there.
    const float reach = std::sqrt(kTouchSquared);
    node->vFaceMin = D3DXVECTOR3(kBoxStart, kBoxStart, kBoxStart);
    node->vFaceMax = D3DXVECTOR3(-kBoxStart, -kBoxStart, -kBoxStart);
    for (const FACE& f : m_stdvFaces) {
        if (!FaceMeetsBox(f, vMin, vMax)) continue;
        node->stdvFaces.push_back(f);
        for (const D3DXVECTOR3& c : f.avCorners) {
            D3DXVec3Minimize(&node->vFaceMin, &node->vFaceMin, &c);
            D3DXVec3Maximize(&node->vFaceMax, &node->vFaceMax, &c);
        }
    }
    node->vFaceMin -= D3DXVECTOR3(reach, reach, reach);
    node->vFaceMax += D3DXVECTOR3(reach, reach, reach);
}

void CDX9KelCollisionModel::Walk(const NODE* a, const CDX9KelCollisionModel& other, const NODE* b,
                                 const D3DXMATRIX& otherToThis, const D3DXMATRIX& thisToOther,
                                 std::vector<D3DXVECTOR4>* pPoints, bool* pFound) const {
    D3DXVECTOR3 bCentre;
    D3DXVec3TransformCoord(&bCentre, &b->vCentre, &otherToThis);
    if (!IsSphereIntersectingBox(&bCentre, &a->vMin, &a->vMax, b->fRadius)) return;
    if (!a->IsLeaf()) {
        for (const NODE* c : a->apChildren)
            if (c) Walk(c, other, b, otherToThis, thisToOther, pPoints, pFound);
        return;
    }
    if (!b->IsLeaf()) {
        for (const NODE* c : b->apChildren)
            if (c) Walk(a, other, c, otherToThis, thisToOther, pPoints, pFound);
        return;
    }
    if (TestLeaf(b->stdvVertices, otherToThis, *a, 0.0f, pPoints)) {
        *pFound = true;
        return;
    }
    if (TestLeaf(a->stdvVertices, thisToOther, *b, kOtherFrameMark, pPoints)) *pFound = true;
}

bool CDX9KelCollisionModel::Intersect(const CDX9KelCollisionModel& other, const D3DXMATRIX& otherToThis,
                                      const D3DXMATRIX& thisToOther, std::vector<D3DXVECTOR4>* pPoints) const {
    if (!m_pRoot || !other.m_pRoot) return false;
    bool found = false;
    Walk(m_pRoot, other, other.m_pRoot, otherToThis, thisToOther, pPoints, &found);
    return found;
}

} // namespace Vorna3D
