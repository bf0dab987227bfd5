#include "engine3/core/scene/CDXSceneTree.h"

#include <cmath>
#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/Geometry.h"
#include "platform/gfx/d3d9.h"
#include "platform/os/MessageBox.h"

namespace Vorna3D {

namespace {

constexpr std::size_t kLeafCapacity = 10;
constexpr std::size_t kTableCapacity = 200;
constexpr std::size_t kFoundLeafCapacity = 2000;
constexpr std::size_t kFoundObjectCapacity = 200;
// Bounds on the build, so that a tiny node size cannot split without end.
constexpr int kMaxDepth = 16;
// A tree of L leaves has fewer than 2 L nodes (each level at least doubles).
constexpr std::uint64_t kMaxNodes = 2 * CDXSceneTree::kMaxLeaves;

// Which half each child position takes on x, y and z (0 lower, 1 upper).
constexpr int kHalves[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                               {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};

// The twelve edges of a box by corner number (order of m_vCorners).
constexpr DWORD kEdges[12][2] = {{0, 2}, {2, 4}, {4, 6}, {6, 0}, {1, 3}, {3, 5},
                                 {5, 7}, {7, 1}, {0, 1}, {2, 3}, {4, 5}, {6, 7}};

struct LineVertex {
    float x, y, z;
    DWORD colour;
};
static_assert(sizeof(LineVertex) == 16);

float Axis(const D3DXVECTOR3& v, int a) { return a == 0 ? v.x : (a == 1 ? v.y : v.z); }
float& Axis(D3DXVECTOR3& v, int a) { return a == 0 ? v.x : (a == 1 ? v.y : v.z); }

void CollectLeafs(CDXSceneTreeNode* pNode, std::vector<CDXSceneTreeNode*>& out, const D3DXVECTOR3* pCentre,
                  float fRadius, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax)
{
    if (!pNode) return;
    const bool meets = pCentre ? IsSphereIntersectingBox(pCentre, &pNode->m_vMin, &pNode->m_vMax, fRadius)
                               : IsBoxIntersectingBox(pMin, pMax, &pNode->m_vMin, &pNode->m_vMax);
    if (!meets) return;
    if (pNode->IsLeaf()) {
        out.push_back(pNode);
        return;
    }
    for (CDXSceneTreeNode* child : pNode->m_pChildren) CollectLeafs(child, out, pCentre, fRadius, pMin, pMax);
}

void CollectLeafList(CDXSceneTreeNode* pNode, std::vector<CDXSceneTreeNode*>& out)
{
    if (!pNode) return;
    if (pNode->IsLeaf()) {
        out.push_back(pNode);
        return;
    }
    for (CDXSceneTreeNode* child : pNode->m_pChildren) CollectLeafList(child, out);
}

} // namespace

// ---------------------------------------------------------------- node

CDXSceneTreeNode::CDXSceneTreeNode()
{
    m_vObjects.reserve(kLeafCapacity);
    m_vFreeEntries.reserve(kLeafCapacity);
}

CDXSceneTreeNode::~CDXSceneTreeNode()
{
    for (CDXSceneTreeNode* child : m_pChildren) delete child;
}

DWORD CDXSceneTreeNode::AddSceneObject(CDX9KelSceneObject* pObject)
{
    if (!m_vFreeEntries.empty()) {
        const DWORD entry = m_vFreeEntries.back();
        m_vFreeEntries.pop_back();
        if (entry < m_vObjects.size() && m_vObjects[entry] == nullptr) {
            m_vObjects[entry] = pObject;
            return entry;
        }
        MessageBoxA(nullptr, "CDXSceneTreeNode::AddSceneObject() fatal error", nullptr, MB_ICONEXCLAMATION);
    }
    m_vObjects.push_back(pObject);
    return static_cast<DWORD>(m_vObjects.size() - 1);
}

void CDXSceneTreeNode::RemoveEntry(DWORD entry)
{
    if (entry >= m_vObjects.size() || m_vObjects[entry] == nullptr) return;
    m_vObjects[entry] = nullptr;
    m_vFreeEntries.push_back(entry);
}

// ---------------------------------------------------------------- tree

CDXSceneTree::CDXSceneTree()
{
    D3DXMatrixIdentity(&m_mWorld);
    m_vObjects.reserve(kTableCapacity);
    m_vFreeSlots.reserve(kTableCapacity);
    m_vFoundLeafs.reserve(kFoundLeafCapacity);
    m_vFoundObjects.reserve(kFoundObjectCapacity);
}

CDXSceneTree::~CDXSceneTree()
{
    ReleaseBuffers();
    delete m_pRoot;
}

bool CDXSceneTree::CreateEmptySceneTree(const char* szName, float fNodeSize, const D3DXVECTOR3* pMin,
                                        const D3DXVECTOR3* pMax, bool bMakeBuffers, IDirect3DDevice9* pDevice)
{
    // The first two messages are stored with a Cyrillic first letter (cp1251).
    if (!szName || !*szName) {
        g_Log.Write(3, "%s", "\xD1" "DXSceneTree : CreateEmptySceneTree : not tree name\n");
        return false;
    }
    if (!pMin || !pMax) {
        g_Log.Write(3, "%s", "\xD1" "DXSceneTree : CreateEmptySceneTree : pMin == NULL || pMax == NULL \n");
        return false;
    }
    // Any axis of pMin above pMax (or not a number) is refused.
    if (!(pMin->x <= pMax->x) || !(pMin->y <= pMax->y) || !(pMin->z <= pMax->z)) {
        g_Log.Write(3, "%s", "CDXSceneTree : CreateEmptySceneTree : pMin > pMax \n");
        return false;
    }
    if (!(fNodeSize >= 0.0f)) {
        g_Log.Write(3, "%s", "CDXSceneTree : CreateEmptySceneTree : fNodeSize < 0 \n");
        return false;
    }
    const std::uint64_t leaves = CountLeaves(*pMax - *pMin, fNodeSize);
    if (leaves == 0 || leaves > kMaxLeaves) {
        g_Log.Write(3, "CDXSceneTree : CreateEmptySceneTree : box too large for the node size : leaves > %llu \n",
                    static_cast<unsigned long long>(kMaxLeaves));
        return false;
    }
    m_strName = szName;
    m_fNodeSize = fNodeSize;
    delete m_pRoot;
    m_pRoot = new CDXSceneTreeNode();
    m_dwEmptyPositions = 0;
    m_dwLeafCount = 0;
    m_dwNodeCount = 1;
    if (!BuildNode(m_pRoot, *pMin, *pMax, 0)) {
        // Rounding split one level more than counted: refused all the same,
        // never built with holes.
        g_Log.Write(3, "CDXSceneTree : CreateEmptySceneTree : box too large for the node size : leaves > %llu \n",
                    static_cast<unsigned long long>(kMaxLeaves));
        delete m_pRoot;
        m_pRoot = nullptr;
        m_strName.clear();
        m_dwLeafCount = 0;
        return false;
    }
    if (bMakeBuffers && pDevice) m_bBuffersReady = CreateTreeBuffers(pDevice);
    m_bCreated = true;
    return true;
}

std::uint64_t CDXSceneTree::CountLeaves(const D3DXVECTOR3& edges, float fNodeSize)
{
    if (!std::isfinite(edges.x) || !std::isfinite(edges.y) || !std::isfinite(edges.z) || !std::isfinite(fNodeSize))
        return 0;
    float e[3] = {edges.x, edges.y, edges.z};
    std::uint64_t leaves = 1;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        bool any = false;
        // Each level halves every edge still longer than the node size.
        for (float& a : e)
            if (a > fNodeSize) {
                a *= 0.5f;
                leaves *= 2;
                any = true;
            }
        if (!any || leaves > kMaxLeaves) break;
    }
    return leaves;
}

bool CDXSceneTree::BuildNode(CDXSceneTreeNode* pNode, const D3DXVECTOR3& min, const D3DXVECTOR3& max, int depth)
{
    pNode->m_vMin = min;
    pNode->m_vMax = max;
    const D3DXVECTOR3 corners[8] = {{min.x, max.y, min.z}, {min.x, min.y, min.z}, {max.x, max.y, min.z},
                                    {max.x, min.y, min.z}, {max.x, max.y, max.z}, {max.x, min.y, max.z},
                                    {min.x, max.y, max.z}, {min.x, min.y, max.z}};
    std::memcpy(pNode->m_vCorners, corners, sizeof corners);
    const D3DXVECTOR3 half = (max - min) * 0.5f;
    const bool mayGrow = depth < kMaxDepth;
    bool split[3];
    for (int a = 0; a < 3; ++a) split[a] = mayGrow && Axis(max, a) - Axis(min, a) > m_fNodeSize;

    for (int pos = 0; pos < 8; ++pos) {
        D3DXVECTOR3 cmin = min, cmax = max;
        bool exists = true;
        for (int a = 0; a < 3; ++a) {
            if (kHalves[pos][a] == 0) {
                if (split[a]) Axis(cmax, a) -= Axis(half, a);
            } else if (split[a]) {
                Axis(cmin, a) += Axis(half, a);
            } else {
                exists = false;
            }
        }
        if (!exists || (cmin == min && cmax == max)) {
            ++m_dwEmptyPositions;
            if (pos == 0) {
                ++m_dwLeafCount; // nothing splits: this node is a leaf
                return true;
            }
            if (pos == 4) return true; // the vertical axis is not split
            continue;
        }
        if (m_dwNodeCount >= kMaxNodes) return false;
        pNode->m_pChildren[pos] = new CDXSceneTreeNode();
        ++m_dwNodeCount;
        if (!BuildNode(pNode->m_pChildren[pos], cmin, cmax, depth + 1)) return false;
    }
    return true;
}

void CDXSceneTree::ReleaseBuffers()
{
    if (m_pVB) m_pVB->Release();
    if (m_pIB) m_pIB->Release();
    m_pVB = nullptr;
    m_pIB = nullptr;
    m_bBuffersReady = false;
}

bool CDXSceneTree::CreateTreeBuffers(IDirect3DDevice9* pDevice)
{
    if (!pDevice || !m_pRoot) return false;
    ReleaseBuffers();
    std::vector<CDXSceneTreeNode*> leafs;
    CollectLeafList(m_pRoot, leafs);
    std::vector<LineVertex> vertices;
    std::vector<DWORD> indices;
    vertices.reserve(leafs.size() * 8);
    indices.reserve(leafs.size() * 24);
    for (const CDXSceneTreeNode* leaf : leafs) {
        const auto base = static_cast<DWORD>(vertices.size());
        for (const D3DXVECTOR3& c : leaf->m_vCorners) vertices.push_back({c.x, c.y, c.z, m_dwLineColor});
        for (const auto& e : kEdges) {
            indices.push_back(base + e[0]);
            indices.push_back(base + e[1]);
        }
    }
    const UINT vbBytes = static_cast<UINT>(vertices.size() * sizeof(LineVertex));
    const UINT ibBytes = static_cast<UINT>(indices.size() * sizeof(DWORD));
    if (FAILED(pDevice->CreateVertexBuffer(vbBytes, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_MANAGED,
                                           &m_pVB, nullptr)) ||
        FAILED(pDevice->CreateIndexBuffer(ibBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED, &m_pIB,
                                          nullptr))) {
        ReleaseBuffers();
        return false;
    }
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, vbBytes, &data, 0)) || !data) {
        g_Log.Write(3, "%s", "CDXSceneTree::CreateTreeBuffers : memcpy_s \n");
        ReleaseBuffers();
        return false;
    }
    std::memcpy(data, vertices.data(), vbBytes);
    m_pVB->Unlock();
    data = nullptr;
    if (FAILED(m_pIB->Lock(0, ibBytes, &data, 0)) || !data) {
        g_Log.Write(3, "%s", "CDXSceneTree::CreateTreeBuffers : memcpy_s \n");
        ReleaseBuffers();
        return false;
    }
    std::memcpy(data, indices.data(), ibBytes);
    m_pIB->Unlock();
    m_dwVertexCount = static_cast<DWORD>(vertices.size());
    m_dwIndexCount = static_cast<DWORD>(indices.size());
    return true;
}

void CDXSceneTree::CollectLeafsInSphere(CDXSceneTreeNode* pNode, const D3DXVECTOR3* pCentre, float fRadius)
{
    if (!pCentre) return;
    CollectLeafs(pNode, m_vFoundLeafs, pCentre, fRadius, nullptr, nullptr);
}

void CDXSceneTree::CollectLeafsInBox(CDXSceneTreeNode* pNode, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax)
{
    if (!pMin || !pMax) return;
    CollectLeafs(pNode, m_vFoundLeafs, nullptr, 0.0f, pMin, pMax);
}

bool CDXSceneTree::FileInFoundLeafs(CDX9KelSceneObject* pObject)
{
    const std::size_t n = m_vFoundLeafs.size();
    pObject->m_vLeafEntries.assign(n > 8 ? n : 8, SKelLeafEntry{});
    for (std::size_t i = 0; i < n; ++i) {
        CDXSceneTreeNode* leaf = m_vFoundLeafs[i];
        pObject->m_vLeafEntries[i] = SKelLeafEntry{leaf, leaf->AddSceneObject(pObject)};
    }
    return true;
}

bool CDXSceneTree::AddSceneObject(CDX9KelSceneObject* pObject)
{
    if (!pObject) return false;
    if (pObject->m_iTreeIndex != -1) {
        g_Log.Write(3, "%s", "CDXSceneTree::AddSceneObject : Object already is in a tree\n");
        return false;
    }
    m_vFoundLeafs.clear();
    const D3DXVECTOR3 centre = *pObject->GetPosition();
    CollectLeafsInSphere(m_pRoot, &centre, pObject->m_fRadius);
    if (m_vFoundLeafs.empty()) return false;
    FileInFoundLeafs(pObject);
    m_dwFaces += pObject->m_dwFaces;
    pObject->m_strTreeName = m_strName;
    if (!m_vFreeSlots.empty()) {
        const DWORD slot = m_vFreeSlots.back();
        m_vFreeSlots.pop_back();
        m_vObjects[slot] = pObject;
        pObject->m_iTreeIndex = static_cast<int>(slot);
    } else {
        m_vObjects.push_back(pObject);
        pObject->m_iTreeIndex = static_cast<int>(m_vObjects.size() - 1);
    }
    return true;
}

bool CDXSceneTree::Holds(const CDX9KelSceneObject* pObject) const
{
    if (!pObject || pObject->m_iTreeIndex < 0) return false;
    const auto index = static_cast<std::size_t>(pObject->m_iTreeIndex);
    return index < m_vObjects.size() && m_vObjects[index] == pObject;
}

bool CDXSceneTree::RemoveSceneObject(CDX9KelSceneObject* pObject)
{
    if (!pObject) return false;
    // The name alone is not proof: two trees may share a name, so the object
    // must also stand in this tree's table at its index.
    const int index = pObject->m_iTreeIndex;
    if (pObject->m_strTreeName != m_strName || !Holds(pObject)) {
        g_Log.Write(3, "%s", "CDXSceneTree::AddSceneObject : Object is in other tree\n");
        return false;
    }
    for (const SKelLeafEntry& e : pObject->m_vLeafEntries)
        if (e.pLeaf) e.pLeaf->RemoveEntry(e.dwEntry);
    pObject->m_vLeafEntries.clear();
    m_vObjects[static_cast<std::size_t>(index)] = nullptr;
    m_vFreeSlots.push_back(static_cast<DWORD>(index));
    m_dwFaces -= (m_dwFaces < pObject->m_dwFaces ? m_dwFaces : pObject->m_dwFaces);
    pObject->m_iTreeIndex = -1;
    pObject->m_strTreeName.clear();
    return true;
}

bool CDXSceneTree::UpdateSceneObject(CDX9KelSceneObject* pObject)
{
    if (!Holds(pObject)) return false;
    for (SKelLeafEntry& e : pObject->m_vLeafEntries) {
        if (!e.pLeaf) break;
        e.pLeaf->RemoveEntry(e.dwEntry);
        e.pLeaf = nullptr;
    }
    m_vFoundLeafs.clear();
    const D3DXVECTOR3 centre = *pObject->GetPosition();
    CollectLeafsInSphere(m_pRoot, &centre, pObject->m_fRadius);
    if (m_vFoundLeafs.empty()) return false;
    return FileInFoundLeafs(pObject);
}

void CDXSceneTree::UpdateMovedObjects()
{
    if (!m_bCreated) return;
    const std::uint64_t marks = SceneMovedFlag::Marks();
    if (marks == m_uSeenMarks) return;
    m_uSeenMarks = marks;
    for (CDX9KelSceneObject* p : m_vObjects) {
        if (p && p->m_bMoved) {
            UpdateSceneObject(p);
            p->m_bMoved = false;
        }
    }
}

bool CDXSceneTree::CollectObjectsInFrustum(CDXSceneTreeNode* pNode, const D3DXPLANE* pFrustum)
{
    if (!pNode || !pFrustum) return false;
    if (!IsBoxInFrustum(pFrustum, pNode->m_vCorners)) return true;
    if (!pNode->IsLeaf()) {
        for (CDXSceneTreeNode* child : pNode->m_pChildren)
            if (child) CollectObjectsInFrustum(child, pFrustum);
        return true;
    }
    ++m_dwVisitedLeafs;
    for (CDX9KelSceneObject* p : pNode->m_vObjects) {
        if (!p || !p->m_bVisible) continue;
        if (!m_vFoundObjects.empty() && m_vFoundObjects.back() == p) continue;
        m_vFoundObjects.push_back(p);
        m_dwVisibleFaces += p->m_dwFaces;
    }
    return true;
}

bool CDXSceneTree::CollectVisibleObjects(const D3DXPLANE* pFrustum)
{
    m_vFoundObjects.clear();
    m_dwVisitedLeafs = 0;
    m_dwVisibleFaces = 0;
    return CollectObjectsInFrustum(m_pRoot, pFrustum);
}

void CDXSceneTree::Render(IDirect3DDevice9* pDevice)
{
    if (!pDevice || !m_pVB || !m_pIB || !m_bBuffersReady || !m_bCreated) return;
    pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(LineVertex));
    pDevice->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    pDevice->SetIndices(m_pIB);
    pDevice->SetTexture(0, nullptr);
    pDevice->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, m_dwVertexCount, 0, m_dwIndexCount / 2);
}

void CDXSceneTree::Release()
{
    ReleaseBuffers();
    m_uSeenMarks = ~std::uint64_t{0};
    for (CDX9KelSceneObject*& p : m_vObjects) {
        if (!p) continue;
        for (const SKelLeafEntry& e : p->m_vLeafEntries)
            if (e.pLeaf) e.pLeaf->RemoveEntry(e.dwEntry);
        p->m_vLeafEntries.clear();
        p->m_iTreeIndex = -1;
        p->m_strTreeName.clear();
        // An object the tree does not own lives on with its units (a 3D GUI
        // dialog, for one); only an object about to go lets its units go.
        if (!p->m_bNotOwned) {
            p->DetachUnits();
            delete p;
        }
        p = nullptr;
    }
    m_vObjects.clear();
    m_vFreeSlots.clear();
    m_vFoundObjects.clear();
    m_vFoundLeafs.clear();
    m_dwFaces = 0;
}

} // namespace Vorna3D
