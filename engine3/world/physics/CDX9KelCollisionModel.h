#pragma once
// A ship's collision model: a triangle copy of its collision mesh in the
// model's own frame, sorted into an octree, so that two ships can be tested
// triangle against triangle when their bounding spheres meet. Its box gives
// the ship body its length, width and height.
#include "platform/math/d3dx9math.h"

class ID3DXMesh;

#include <vector>

namespace Vorna3D {

class CDX9KelSceneUnit;

// The triangles of a collision source: positions and a triangle list.
struct CDX9KelCollisionMesh {
    std::vector<D3DXVECTOR3> stdvPositions;
    std::vector<unsigned> stdvIndices;
};
// Reads the mesh of a collision source (a model unit) into plain triangles;
// false when the source has no mesh.
using CollisionMeshReader = bool (*)(const CDX9KelSceneUnit* pSource, CDX9KelCollisionMesh* pOut);

class CDX9KelCollisionModel {
public:
    // The largest mesh accepted (vertices and faces each).
    static constexpr unsigned kMaxElements = 1u << 20;
    // The octree never goes deeper than this, whatever the mesh.
    static constexpr int kMaxDepth = 8;
    // An intersection point given in the other model's frame carries this mark.
    static constexpr float kOtherFrameMark = 2.0f;

    struct VERTEX {
        D3DXVECTOR3 vPosition;
        D3DXVECTOR3 vNormal;
    };
    struct FACE {
        D3DXVECTOR3 avCorners[3];
        // first corner + 0.6666 x (midpoint of the other two - first corner)
        D3DXVECTOR3 vCentre;
        // cross product of the two normalised edges leaving the first corner
        D3DXVECTOR3 vNormal;
    };
    struct NODE {
        NODE() = default;
        ~NODE();
        NODE(const NODE&) = delete;
        NODE& operator=(const NODE&) = delete;
        bool IsLeaf() const;

        std::vector<VERTEX> stdvVertices;
        std::vector<FACE> stdvFaces;
        D3DXVECTOR3 vCentre{0.0f, 0.0f, 0.0f};
        float fRadius = 0.0f;
        D3DXVECTOR3 vMin{0.0f, 0.0f, 0.0f};
        D3DXVECTOR3 vMax{0.0f, 0.0f, 0.0f};
        // A leaf's faces lie in this box, widened by the touch distance: a
        // vertex outside it can touch none of them.
        D3DXVECTOR3 vFaceMin{0.0f, 0.0f, 0.0f};
        D3DXVECTOR3 vFaceMax{0.0f, 0.0f, 0.0f};
        NODE* apChildren[8] = {};
    };

    CDX9KelCollisionModel() = default;
    ~CDX9KelCollisionModel() { Release(); }
    CDX9KelCollisionModel(const CDX9KelCollisionModel&) = delete;
    CDX9KelCollisionModel& operator=(const CDX9KelCollisionModel&) = delete;

    // Builds the model from vertex positions (with optional normals) and a
    // triangle list of indices, each position first transformed by the local
    // matrix of the collision source (null = identity). False, with the model
    // left empty, for no vertices, no faces, an index out of range, a
    // position that is not finite, or more than kMaxElements of either.
    bool CreateFromTriangles(const D3DXVECTOR3* pPositions, const D3DXVECTOR3* pNormals, unsigned vertexCount,
                             const unsigned* pIndices, unsigned faceCount, const D3DXMATRIX* pLocal);
    // Copies a mesh: cloned into system memory as position + normal, its
    // vertices transformed by the local matrix, one face per triangle. False
    // without a mesh, when the clone or a lock fails, and for every mesh
    // CreateFromTriangles refuses.
    bool CreateFromMesh(ID3DXMesh* pMesh, const D3DXMATRIX* pLocal);
    // Copies the mesh of the collision source, in the source's local frame.
    // False without a source, without a mesh reader or when the reader finds
    // no mesh, and for every mesh CreateFromTriangles refuses.
    bool CreateFromModel(const CDX9KelSceneUnit* pSource);
    // Installs the reader of collision meshes; the model resources provide it.
    static void SetMeshReader(CollisionMeshReader reader) { s_pfnMeshReader = reader; }
    // Frees the octree and both lists.
    void Release();

    // Collects the points where the two models' triangles meet. otherToThis
    // takes the other model's frame into this one; thisToOther the reverse.
    // Points found in this frame are appended with mark 0, those found in the
    // other frame with kOtherFrameMark. True when any point was found.
    bool Intersect(const CDX9KelCollisionModel& other, const D3DXMATRIX& otherToThis, const D3DXMATRIX& thisToOther,
                   std::vector<D3DXVECTOR4>* pPoints) const;

    float GetWidth() const { return m_fWidth; }   // x
    float GetHeight() const { return m_fHeight; } // y
    float GetLength() const { return m_fLength; } // z
    const D3DXVECTOR3& GetBoxMin() const { return m_vMin; }
    const D3DXVECTOR3& GetBoxMax() const { return m_vMax; }
    float GetCellSize() const { return m_fCellSize; }
    unsigned GetLeafCount() const { return m_uLeafCount; }
    const NODE* GetRoot() const { return m_pRoot; }
    const std::vector<VERTEX>& GetVertices() const { return m_stdvVertices; }
    const std::vector<FACE>& GetFaces() const { return m_stdvFaces; }
    // The world matrix the model follows (set through its scene object).
    void SetWorldMatrix(const D3DXMATRIX& m) { m_matWorld = m; }
    const D3DXMATRIX& GetWorldMatrix() const { return m_matWorld; }

private:
    void Build(NODE* pNode, const D3DXVECTOR3& vMin, const D3DXVECTOR3& vMax, int depth);
    void Walk(const NODE* a, const CDX9KelCollisionModel& other, const NODE* b, const D3DXMATRIX& otherToThis,
              const D3DXMATRIX& thisToOther, std::vector<D3DXVECTOR4>* pPoints, bool* pFound) const;

    std::vector<VERTEX> m_stdvVertices;
    std::vector<FACE> m_stdvFaces;
    NODE* m_pRoot = nullptr;
    float m_fCellSize = 0.0f;
    unsigned m_uLeafCount = 0;
    D3DXVECTOR3 m_vMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMax{0.0f, 0.0f, 0.0f};
    float m_fWidth = 0.0f;
    float m_fHeight = 0.0f;
    float m_fLength = 0.0f;
    D3DXMATRIX m_matWorld{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static CollisionMeshReader s_pfnMeshReader;
};

} // namespace Vorna3D
