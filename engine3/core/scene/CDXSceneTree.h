#pragma once
// An axis-aligned box tree over the battle area. It records for every scene
// object which leaves its bounding sphere touches and answers which leaves
// meet a sphere or a box and which objects lie in the camera's frustum.
#include <cstdint>
#include <string>
#include <vector>

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/math/d3dx9math.h"

class IDirect3DDevice9;
class IDirect3DVertexBuffer9;
class IDirect3DIndexBuffer9;

namespace Vorna3D {

class CDXSceneTreeNode {
public:
    CDXSceneTreeNode();
    ~CDXSceneTreeNode(); // deletes the subtree
    CDXSceneTreeNode(const CDXSceneTreeNode&) = delete;
    CDXSceneTreeNode& operator=(const CDXSceneTreeNode&) = delete;

    bool IsLeaf() const { return m_pChildren[0] == nullptr; }
    // Files the object in this leaf; the result is its entry index. Freed
    // entries are reused last freed first.
    DWORD AddSceneObject(CDX9KelSceneObject* pObject);
    // Nulls an entry and frees it for reuse; a bad or empty entry is ignored.
    void RemoveEntry(DWORD entry);

    std::vector<CDX9KelSceneObject*> m_vObjects;
    std::vector<DWORD> m_vFreeEntries;
    D3DXVECTOR3 m_vMin{0, 0, 0};
    D3DXVECTOR3 m_vMax{0, 0, 0};
    // (min.x, max.y, min.z), (min.x, min.y, min.z), (max.x, max.y, min.z),
    // (max.x, min.y, min.z), (max.x, max.y, max.z), (max.x, min.y, max.z),
    // (min.x, max.y, max.z), (min.x, min.y, max.z)
    D3DXVECTOR3 m_vCorners[8];
    CDXSceneTreeNode* m_pChildren[8] = {};
};

class CDXSceneTree {
public:
    // The most leaves a tree may have. A box that would need more leaves of
    // its node size (a damaged map's box, a node size near 0) or that is not
    // finite is refused with a log line rather than subdivided for minutes
    // or until memory runs out, and a tree is never built with parts of its
    // box left without leaves: every object inside an accepted box is filed.
    static constexpr std::uint64_t kMaxLeaves = 262144; // 2^18

    // The leaves a box of these edges needs at this node size, counted as
    // the build splits; 0 for edges or a node size that are not numbers.
    static std::uint64_t CountLeaves(const D3DXVECTOR3& edges, float fNodeSize);

    CDXSceneTree();
    ~CDXSceneTree();
    CDXSceneTree(const CDXSceneTree&) = delete;
    CDXSceneTree& operator=(const CDXSceneTree&) = delete;

    // Builds the tree over the box (pMin, pMax): an axis is halved while its
    // extent exceeds the node size. With `bMakeBuffers` and a device the
    // leaf boxes are also made into line buffers for Render.
    bool CreateEmptySceneTree(const char* szName, float fNodeSize, const D3DXVECTOR3* pMin,
                              const D3DXVECTOR3* pMax, bool bMakeBuffers, IDirect3DDevice9* pDevice);
    bool CreateTreeBuffers(IDirect3DDevice9* pDevice);

    bool AddSceneObject(CDX9KelSceneObject* pObject);
    bool RemoveSceneObject(CDX9KelSceneObject* pObject);
    // Re-files an object that moved; its table slot stays.
    bool UpdateSceneObject(CDX9KelSceneObject* pObject);
    // Re-files every filed object whose moved flag is set and clears the flag.
    void UpdateMovedObjects();

    // Append to the found-leaf list; callers empty it first.
    void CollectLeafsInSphere(CDXSceneTreeNode* pNode, const D3DXVECTOR3* pCentre, float fRadius);
    void CollectLeafsInBox(CDXSceneTreeNode* pNode, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax);
    // Appends the visible objects of the leaves inside the six planes
    // (normals inwards) to the found-object list. An object lying in several
    // neighbouring leaves is listed once per run of leaves.
    bool CollectObjectsInFrustum(CDXSceneTreeNode* pNode, const D3DXPLANE* pFrustum);
    // Empties the found-object list and the visited counters, then runs the
    // frustum query from the root.
    bool CollectVisibleObjects(const D3DXPLANE* pFrustum);

    // True when the object stands in this tree's table at its index.
    bool Holds(const CDX9KelSceneObject* pObject) const;

    // Draws the leaf boxes as lines.
    void Render(IDirect3DDevice9* pDevice);
    // Frees the line buffers, deletes every filed object that is owned
    // (after detaching its units) and empties the object table.
    void Release();

    DWORD m_dwLineColor = 0xFFFAFA00u;
    float m_fNodeSize = 50.0f;
    bool m_bBuffersReady = false;
    bool m_bCreated = false;
    std::string m_strName;
    CDXSceneTreeNode* m_pRoot = nullptr;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    DWORD m_dwVertexCount = 0;
    DWORD m_dwIndexCount = 0;
    DWORD m_dwEmptyPositions = 0; // child positions not created during the build (a leaf counts one)
    DWORD m_dwLeafCount = 0;
    DWORD m_dwVisitedLeafs = 0;   // leaves reached by the frustum query
    DWORD m_dwVisibleFaces = 0;   // faces of the objects the frustum query found
    DWORD m_dwFaces = 0;          // faces of all filed objects
    bool m_bStatistics = false;   // whether the statistics overlay shows this tree
    D3DXMATRIX m_mWorld;
    std::vector<CDX9KelSceneObject*> m_vObjects;
    std::vector<DWORD> m_vFreeSlots;
    std::vector<CDXSceneTreeNode*> m_vFoundLeafs;
    std::vector<CDX9KelSceneObject*> m_vFoundObjects;
    // The object marks (SceneMovedFlag::Marks) at the last look for moved
    // objects; none since: nothing to re-file.
    std::uint64_t m_uSeenMarks = ~std::uint64_t{0};

private:
    // False when the build would pass the node bound (the tree is then refused).
    bool BuildNode(CDXSceneTreeNode* pNode, const D3DXVECTOR3& min, const D3DXVECTOR3& max, int depth);
    bool FileInFoundLeafs(CDX9KelSceneObject* pObject);
    void ReleaseBuffers();
    DWORD m_dwNodeCount = 0;
};

} // namespace Vorna3D
