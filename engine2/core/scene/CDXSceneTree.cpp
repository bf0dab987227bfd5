#include "engine2/core/scene/CDXSceneTree.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"

#include <cmath>
#include <cstring>

namespace Vorna2 {

CDXSceneTree* g_pSceneTree = nullptr;

namespace {

constexpr size_t kListReserve = 100;

// The halves (x, y, z) of the eight children: 0 lower, 1 upper.
constexpr int kChildHalves[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                                    {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};

float& Axis(D3DXVECTOR3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
float AxisOf(const D3DXVECTOR3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

struct LeafVertex {
    float x, y, z;
    D3DCOLOR color;
};
static_assert(sizeof(LeafVertex) == 16);

} // namespace

CDXSceneTreeNode::~CDXSceneTreeNode() {
    for (CDXSceneTreeNode*& c : m_pChildren) {
        delete c;
        c = nullptr;
    }
}

bool CDXSceneTreeNode::IsLeaf() const {
    for (const CDXSceneTreeNode* c : m_pChildren)
        if (c) return false;
    return true;
}

CDXSceneTree::CDXSceneTree() {
    D3DXMatrixIdentity(&m_mWorld);
    m_FoundLeaves.reserve(kListReserve);
    m_RenderList.reserve(kListReserve);
    m_VisibleObjects.reserve(kListReserve);
}

CDXSceneTree::~CDXSceneTree() {
    if (g_pSceneTree == this) g_pSceneTree = nullptr;
    m_bTreeMade = false;
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    delete m_pRoot;
    m_pRoot = nullptr;
}

double CDXSceneTree::LeavesForBox(float nodeSize, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
    double leaves = 1.0;
    for (int a = 0; a < 3; ++a) {
        const float lower = AxisOf(lo, a), upper = AxisOf(hi, a);
        if (!std::isfinite(lower) || !std::isfinite(upper)) return HUGE_VAL;
        // Each level halves the edge while it is longer than the node size.
        for (double edge = double(upper) - double(lower); edge > double(nodeSize); edge *= 0.5) {
            leaves *= 2.0;
            if (leaves > kMaxSceneTreeLeaves) return leaves;
        }
    }
    return leaves;
}

bool CDXSceneTree::CreateEmptySceneTree(float nodeSize, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax,
                                        bool makeBuffers, IDirect3DDevice9* device) {
    if (!pMin || !pMax) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDXSceneTree : CreateEmptySceneTree : pMin == NULL || pMax == NULL \n");
        return false;
    }
    if (nodeSize < 0.0f) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDXSceneTree : CreateEmptySceneTree : fNodeSize < 0 \n");
        return false;
    }
    // A box inverted on any axis is refused.
    if (pMin->x > pMax->x || pMin->y > pMax->y || pMin->z > pMax->z) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDXSceneTree : CreateEmptySceneTree : pMin > pMax \n");
        return false;
    }
    const double leaves = LeavesForBox(nodeSize, *pMin, *pMax);
    if (leaves > kMaxSceneTreeLeaves) {
        g_Log.Write(LOG_ERROR, "%s%.0f%s",
                    "Error : CDXSceneTree : CreateEmptySceneTree : box too large for the node size : leaves > ",
                    kMaxSceneTreeLeaves, " \n");
        return false;
    }
    if (m_pRoot) {
        ClearObjects();
        delete m_pRoot;
    }
    m_fNodeSize = nodeSize;
    m_dwAllLeaves = 0;
    m_pRoot = new CDXSceneTreeNode();
    m_pRoot->m_vMin = *pMin;
    m_pRoot->m_vMax = *pMax;
    Subdivide(m_pRoot);
    if (makeBuffers) m_bBuffersMade = CreateTreeBuffers(device);
    m_bTreeMade = true;
    return true;
}

void CDXSceneTree::Subdivide(CDXSceneTreeNode* node) {
    const D3DXVECTOR3 half = (node->m_vMax - node->m_vMin) * 0.5f;
    for (int i = 0; i < 8; ++i) {
        D3DXVECTOR3 lo = node->m_vMin, hi = node->m_vMax;
        bool made = true;
        for (int a = 0; a < 3; ++a) {
            const bool longer = AxisOf(node->m_vMax, a) - AxisOf(node->m_vMin, a) > m_fNodeSize;
            if (kChildHalves[i][a]) {
                if (longer) Axis(lo, a) += AxisOf(half, a);
                else made = false;
            } else if (longer) {
                Axis(hi, a) -= AxisOf(half, a);
            }
        }
        if (made && lo == node->m_vMin && hi == node->m_vMax) made = false;
        if (!made) {
            ++m_dwAllLeaves;
            if (i == 0 || i == 4) return;
            continue;
        }
        auto* child = new CDXSceneTreeNode();
        child->m_vMin = lo;
        child->m_vMax = hi;
        node->m_pChildren[i] = child;
        Subdivide(child);
    }
}

void CDXSceneTree::CollectLeaves(CDXSceneTreeNode* node, std::vector<CDXSceneTreeNode*>& out) const {
    if (!node) return;
    if (node->IsLeaf()) {
        out.push_back(node);
        return;
    }
    for (CDXSceneTreeNode* c : node->m_pChildren) CollectLeaves(c, out);
}

bool CDXSceneTree::CreateTreeBuffers(IDirect3DDevice9* device) {
    if (!device || !m_pRoot) return false;
    std::vector<CDXSceneTreeNode*> leaves;
    CollectLeaves(m_pRoot, leaves);
    std::vector<LeafVertex> vertices;
    std::vector<DWORD> indices;
    static constexpr DWORD kEdges[24] = {0, 1, 1, 3, 3, 2, 2, 0, 4, 5, 5, 7, 7, 6, 6, 4, 0, 4, 1, 5, 2, 6, 3, 7};
    for (const CDXSceneTreeNode* leaf : leaves) {
        const DWORD base = static_cast<DWORD>(vertices.size());
        for (int c = 0; c < 8; ++c)
            vertices.push_back({(c & 1) ? leaf->m_vMax.x : leaf->m_vMin.x, (c & 2) ? leaf->m_vMax.y : leaf->m_vMin.y,
                                (c & 4) ? leaf->m_vMax.z : leaf->m_vMin.z, m_WireColor});
        for (DWORD e : kEdges) indices.push_back(base + e);
    }
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    const UINT vbBytes = static_cast<UINT>(vertices.size() * sizeof(LeafVertex));
    const UINT ibBytes = static_cast<UINT>(indices.size() * sizeof(DWORD));
    if (vbBytes == 0) return false;
    if (FAILED(device->CreateVertexBuffer(vbBytes, 0, kLeafBoxFVF, D3DPOOL_MANAGED, &m_pVB, nullptr)) ||
        FAILED(device->CreateIndexBuffer(ibBytes, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &m_pIB, nullptr))) {
        SafeReleaseCom(m_pVB);
        SafeReleaseCom(m_pIB);
        return false;
    }
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, vbBytes, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDXSceneTree::CreateTreeBuffers : memcpy_s \n");
        return false;
    }
    std::memcpy(data, vertices.data(), vbBytes);
    m_pVB->Unlock();
    data = nullptr;
    if (FAILED(m_pIB->Lock(0, ibBytes, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDXSceneTree::CreateTreeBuffers : memcpy_s \n");
        return false;
    }
    std::memcpy(data, indices.data(), ibBytes);
    m_pIB->Unlock();
    m_dwVertexCount = static_cast<DWORD>(vertices.size());
    m_dwIndexCount = static_cast<DWORD>(indices.size());
    return true;
}

void CDXSceneTree::FindLeaves(CDXSceneTreeNode* node, const D3DXVECTOR3& centre, float radius) {
    if (!node || !SphereIntersectsBox(&centre, &node->m_vMin, &node->m_vMax, radius)) return;
    if (node->IsLeaf()) {
        m_FoundLeaves.push_back(node);
        return;
    }
    for (CDXSceneTreeNode* c : node->m_pChildren) FindLeaves(c, centre, radius);
}

void CDXSceneTree::FindLeavesInSphere(const D3DXVECTOR3& centre, float radius) {
    m_FoundLeaves.clear();
    FindLeaves(m_pRoot, centre, radius);
}

void CDXSceneTree::InsertIntoFoundLeaves(CDX9KelSceneObject* object) {
    object->m_Leaves.reserve(m_FoundLeaves.size() > 8 ? m_FoundLeaves.size() : 8);
    for (CDXSceneTreeNode* leaf : m_FoundLeaves) {
        CDXSceneTreeSlot place;
        place.leaf = leaf;
        if (!leaf->m_FreeSlots.empty() && leaf->m_FreeSlots.back() < leaf->m_Objects.size() &&
            !leaf->m_Objects[leaf->m_FreeSlots.back()]) {
            place.slot = leaf->m_FreeSlots.back();
            leaf->m_FreeSlots.pop_back();
            leaf->m_Objects[place.slot] = object;
        } else {
            place.slot = static_cast<DWORD>(leaf->m_Objects.size());
            leaf->m_Objects.push_back(object);
        }
        object->m_Leaves.push_back(place);
    }
}

void CDXSceneTree::ClearSlots(CDX9KelSceneObject* object) {
    for (const CDXSceneTreeSlot& place : object->m_Leaves) {
        if (!place.leaf || place.slot >= place.leaf->m_Objects.size()) continue;
        place.leaf->m_Objects[place.slot] = nullptr;
        place.leaf->m_FreeSlots.push_back(place.slot);
    }
    object->m_Leaves.clear();
}

bool CDXSceneTree::AddSceneObject(CDX9KelSceneObject* object) {
    if (!object || !m_pRoot || !object->m_Leaves.empty()) return false;
    const D3DXVECTOR3 centre = object->UpdateCenter();
    FindLeavesInSphere(centre, object->m_fRadius);
    if (m_FoundLeaves.empty()) return false;
    InsertIntoFoundLeaves(object);
    m_Objects.push_back(object);
    object->m_dwId = m_dwIdBase + static_cast<DWORD>(m_Objects.size() - 1);
    return true;
}

bool CDXSceneTree::MoveSceneObject(CDX9KelSceneObject* object) {
    if (!object || !m_pRoot) return false;
    ClearSlots(object);
    const D3DXVECTOR3 centre = object->UpdateCenter();
    FindLeavesInSphere(centre, object->m_fRadius);
    if (m_FoundLeaves.empty()) return false;
    InsertIntoFoundLeaves(object);
    return true;
}

int CDXSceneTree::FindSceneObject(const CDX9KelSceneObject* object) const {
    if (!object) return -1;
    const long long hint = static_cast<long long>(object->m_dwId) - m_dwIdBase;
    const long long count = static_cast<long long>(m_Objects.size());
    if (hint >= 0 && hint < count && m_Objects[size_t(hint)] == object) return static_cast<int>(hint);
    // Removals move later objects down: look just below the hint first.
    long long from = hint - static_cast<long long>(m_dwRemoved);
    if (from < 0) from = 0;
    for (long long i = from; i < hint && i < count; ++i)
        if (m_Objects[size_t(i)] == object) return static_cast<int>(i);
    for (long long i = 0; i < count; ++i)
        if (m_Objects[size_t(i)] == object) return static_cast<int>(i);
    return -1;
}

bool CDXSceneTree::RemoveSceneObject(CDX9KelSceneObject* object) {
    const int index = FindSceneObject(object);
    if (index < 0) return false;
    ClearSlots(object);
    m_Objects.erase(m_Objects.begin() + index);
    ++m_dwRemoved;
    for (size_t i = 0; i < m_VisibleObjects.size();)
        if (m_VisibleObjects[i] == object) m_VisibleObjects.erase(m_VisibleObjects.begin() + long(i));
        else ++i;
    return true;
}

void CDXSceneTree::Visit(CDXSceneTreeNode* node, const D3DXPLANE* frustum, const D3DXVECTOR3& cameraPosition) {
    if (!node || !BoxInFrustum(frustum, &node->m_vMin, &node->m_vMax)) return;
    if (!node->IsLeaf()) {
        for (CDXSceneTreeNode* c : node->m_pChildren) Visit(c, frustum, cameraPosition);
        return;
    }
    ++m_dwVisibleLeaves;
    for (CDX9KelSceneObject* o : node->m_Objects) {
        if (!o || !o->m_bVisible) continue;
        if (!m_VisibleObjects.empty() && m_VisibleObjects.back() == o) continue;
        m_VisibleObjects.push_back(o);
        if (CDX9KelModel* model = o->SelectLOD(cameraPosition)) m_RenderList.push_back(model);
    }
}

void CDXSceneTree::UpdateVisibility(const D3DXPLANE* frustum, const D3DXVECTOR3& cameraPosition) {
    m_RenderList.clear();
    m_VisibleObjects.clear();
    m_dwVisibleLeaves = 0;
    if (!frustum) return;
    Visit(m_pRoot, frustum, cameraPosition);
}

void CDXSceneTree::RenderLeafBoxes(IDirect3DDevice9* device) {
    if (!device || !m_pVB || !m_pIB || !m_bBuffersMade || !m_bTreeMade) return;
    device->SetTransform(D3DTS_WORLD, &m_mWorld);
    device->SetStreamSource(0, m_pVB, 0, sizeof(LeafVertex));
    device->SetFVF(kLeafBoxFVF);
    device->SetIndices(m_pIB);
    device->SetTexture(0, nullptr);
    device->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, m_dwVertexCount, 0, m_dwIndexCount / 2);
}

void CDXSceneTree::ClearObjects() {
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    m_bBuffersMade = false;
    m_FoundLeaves.clear();
    m_RenderList.clear();
    m_VisibleObjects.clear();
    for (CDX9KelSceneObject* o : m_Objects) {
        ClearSlots(o);
        delete o;
    }
    m_Objects.clear();
}

} // namespace Vorna2
