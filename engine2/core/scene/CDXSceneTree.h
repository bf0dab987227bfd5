#pragma once
// The campaign scene's spatial index: a fixed octree over a box given at
// creation. Leaves hold the scene objects their bounding spheres touch. It
// answers which objects are visible (and which level of detail of each is
// drawn), which leaves a sphere touches, and, for debugging, where the leaves
// are (a wire box per leaf).
#include "platform/gfx/d3d9.h"

#include <vector>

namespace Vorna2 {

class CDX9KelModel;
class CDX9KelSceneObject;

struct CDXSceneTreeNode {
    CDXSceneTreeNode() = default;
    ~CDXSceneTreeNode();
    CDXSceneTreeNode(const CDXSceneTreeNode&) = delete;
    CDXSceneTreeNode& operator=(const CDXSceneTreeNode&) = delete;
    bool IsLeaf() const;

    // A removed object leaves a null slot; its index goes on the free list.
    std::vector<CDX9KelSceneObject*> m_Objects;
    std::vector<DWORD> m_FreeSlots;
    D3DXVECTOR3 m_vMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMax{0.0f, 0.0f, 0.0f};
    CDXSceneTreeNode* m_pChildren[8] = {};
};

class CDXSceneTree {
public:
    static constexpr D3DCOLOR kWireColor = 0xFFFAFA00u;
    static constexpr DWORD kLeafBoxFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;

    CDXSceneTree();
    ~CDXSceneTree();
    CDXSceneTree(const CDXSceneTree&) = delete;
    CDXSceneTree& operator=(const CDXSceneTree&) = delete;

    // The most leaves a tree may have. A box that would need more leaves of
    // its node size (a damaged map's box, a node size near 0) or that is not
    // finite is refused with a log line rather than subdivided for minutes
    // or until memory runs out: 2^18 leaves cover 25 600 x 260 x 25 600
    // units at the campaign's node size of 100.
    static constexpr double kMaxSceneTreeLeaves = 262144.0;
    // The leaves the subdivision makes for a box: 2 per halving of each
    // edge while it is longer than the node size. Counting stops once past
    // kMaxSceneTreeLeaves; a box that is not finite counts as endless.
    static double LeavesForBox(float nodeSize, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi);
    // Builds the octree over (pMin, pMax): an edge is halved while it is
    // longer than nodeSize. With makeBuffers the leaf boxes are made for
    // drawing.
    bool CreateEmptySceneTree(float nodeSize, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax, bool makeBuffers,
                              IDirect3DDevice9* device);
    // False when the object is null or already held, or when no leaf
    // touches its sphere.
    bool AddSceneObject(CDX9KelSceneObject* object);
    // Takes the object out of its leaves and inserts it at its current place.
    bool MoveSceneObject(CDX9KelSceneObject* object);
    bool RemoveSceneObject(CDX9KelSceneObject* object);
    // Index in the object list, or -1.
    int FindSceneObject(const CDX9KelSceneObject* object) const;
    // Fills the found-leaves list with the leaves the sphere touches.
    void FindLeavesInSphere(const D3DXVECTOR3& centre, float radius);
    // Fills the render list (a model per visible object) and the visible
    // object list from the frustum's six planes.
    void UpdateVisibility(const D3DXPLANE* frustum, const D3DXVECTOR3& cameraPosition);
    void RenderLeafBoxes(IDirect3DDevice9* device);
    // Frees the leaf boxes, empties the lists and deletes every object.
    void ClearObjects();

    bool IsMade() const { return m_bTreeMade; }
    DWORD GetLeafCount() const { return m_dwAllLeaves; }
    DWORD GetVisibleLeafCount() const { return m_dwVisibleLeaves; }

    D3DCOLOR m_WireColor = kWireColor;
    float m_fNodeSize = 50.0f;
    bool m_bBuffersMade = false;
    bool m_bTreeMade = false;
    CDXSceneTreeNode* m_pRoot = nullptr;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    DWORD m_dwVertexCount = 0;
    DWORD m_dwIndexCount = 0;
    DWORD m_dwAllLeaves = 0;
    DWORD m_dwVisibleLeaves = 0;
    D3DXMATRIX m_mWorld;
    std::vector<CDX9KelSceneObject*> m_Objects;
    DWORD m_dwRemoved = 0;
    DWORD m_dwIdBase = 0;
    std::vector<CDXSceneTreeNode*> m_FoundLeaves;
    std::vector<CDX9KelModel*> m_RenderList;
    std::vector<CDX9KelSceneObject*> m_VisibleObjects;

private:
    void Subdivide(CDXSceneTreeNode* node);
    bool CreateTreeBuffers(IDirect3DDevice9* device);
    void CollectLeaves(CDXSceneTreeNode* node, std::vector<CDXSceneTreeNode*>& out) const;
    void FindLeaves(CDXSceneTreeNode* node, const D3DXVECTOR3& centre, float radius);
    void Visit(CDXSceneTreeNode* node, const D3DXPLANE* frustum, const D3DXVECTOR3& cameraPosition);
    // Puts the object into every found leaf and stores the places.
    void InsertIntoFoundLeaves(CDX9KelSceneObject* object);
    static void ClearSlots(CDX9KelSceneObject* object);
};

// The program's current scene tree (the one the scene built last), or null.
extern CDXSceneTree* g_pSceneTree;

} // namespace Vorna2
