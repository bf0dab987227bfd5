#pragma once
// The mesh of the sky arch: rings of vertices from the rim towards the top,
// each ring turned once around the vertical, with the texture's v running
// from 1 at the rim to 0 at the top ring.
#include "platform/gfx/d3d9.h"

namespace Vorna3D {

class CDX9KelSkyHex {
public:
    // One vertex of the arch (24 bytes).
    struct SKYVERTEX {
        float x, y, z;
        DWORD diffuse;
        float u, v;
    };
    static_assert(sizeof(SKYVERTEX) == 24, "the sky vertex is 24 bytes");
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

    // Vertex and index counts of an arch of `rings` x `segments` quads; 0
    // when either is below 1 or the arch would exceed the index range.
    static UINT VertexCount(float rings, float segments);
    static UINT IndexCount(float rings, float segments);
    // Fills (rings + 1) x (segments + 1) vertices and two triangles per quad
    // (clockwise seen from inside the arch). False, nothing written, when
    // the arrays are null, smaller than the counts, or the counts are 0.
    static bool BuildMesh(float radius, float height, float rings, float segments, SKYVERTEX* pVertices,
                          UINT vertexCount, DWORD* pIndices, UINT indexCount);
    // Creates both managed buffers of the arch and fills them. False (the
    // pointers stay null) when a creation, lock or copy fails.
    static bool Init(IDirect3DDevice9* pDevice, float radius, float height, float rings, float segments,
                     IDirect3DVertexBuffer9** ppVB, IDirect3DIndexBuffer9** ppIB, UINT* pVertexCount,
                     UINT* pIndexCount);
};

} // namespace Vorna3D
