#include "engine3/world/ocean/CDX9KelSkyHex.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "platform/math/d3dx9math.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace Vorna3D {

namespace {
// Rings and segments come from map settings; more than this many of either
// is no sky anyone asked for.
constexpr float kMaxSubdivisions = 1024.0f;
constexpr float kStartDepth = -5.0f; // the rim reaches a little below the sea
constexpr float kRingTurn = 0.745f;

bool Subdivisions(float rings, float segments, UINT* pRings, UINT* pSegments) {
    if (!(rings >= 1.0f && rings <= kMaxSubdivisions && segments >= 1.0f && segments <= kMaxSubdivisions))
        return false;
    *pRings = static_cast<UINT>(TruncToInt32(rings));
    *pSegments = static_cast<UINT>(TruncToInt32(segments));
    return true;
}
} // namespace

UINT CDX9KelSkyHex::VertexCount(float rings, float segments) {
    UINT r = 0, s = 0;
    return Subdivisions(rings, segments, &r, &s) ? (r + 1) * (s + 1) : 0;
}

UINT CDX9KelSkyHex::IndexCount(float rings, float segments) {
    UINT r = 0, s = 0;
    return Subdivisions(rings, segments, &r, &s) ? r * s * 6 : 0;
}

bool CDX9KelSkyHex::BuildMesh(float radius, float height, float rings, float segments, SKYVERTEX* pVertices,
                              UINT vertexCount, DWORD* pIndices, UINT indexCount) {
    UINT nr = 0, ns = 0;
    if (!pVertices || !pIndices || !Subdivisions(rings, segments, &nr, &ns) ||
        vertexCount < VertexCount(rings, segments) || indexCount < IndexCount(rings, segments) || radius == 0.0f)
        return false;
    const float twoPi = 2.0f * D3DX_PI;
    const float ringStep = height / radius * 0.5f * twoPi / static_cast<float>(nr);
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f), zAxis(0.0f, 0.0f, 1.0f), yAxis(0.0f, 1.0f, 0.0f);
    const D3DXVECTOR3 start(radius * 0.5f, kStartDepth, 0.0f);
    for (UINT r = 0; r <= nr; ++r) {
        D3DXMATRIX ring;
        D3DXMatrixIdentity(&ring);
        RotateMatrixAroundAxis(&ring, &origin, &zAxis, static_cast<float>(r) * ringStep);
        RotateMatrixAroundAxis(&ring, &origin, &yAxis, kRingTurn);
        D3DXVECTOR3 onRing;
        D3DXVec3TransformCoord(&onRing, &start, &ring);
        for (UINT k = 0; k <= ns; ++k) {
            // The segment's turn about the vertical comes after the ring's.
            D3DXMATRIX turn;
            D3DXMatrixRotationY(&turn, static_cast<float>(k) * (-twoPi / static_cast<float>(ns)));
            D3DXVECTOR3 p;
            D3DXVec3TransformCoord(&p, &onRing, &turn);
            SKYVERTEX& v = pVertices[r * (ns + 1) + k];
            v.x = p.x;
            v.y = p.y;
            v.z = p.z;
            v.diffuse = 0xFFFFFFFFu;
            v.u = static_cast<float>(k) / static_cast<float>(ns);
            v.v = 1.0f - static_cast<float>(r) / static_cast<float>(nr);
        }
    }
    DWORD* out = pIndices;
    for (UINT r = 0; r < nr; ++r)
        for (UINT k = 0; k < ns; ++k) {
            const DWORD a = r * (ns + 1) + k, b = a + 1, c = a + ns + 1, d = c + 1;
            const DWORD quad[6] = {a, b, c, b, d, c};
            std::memcpy(out, quad, sizeof(quad));
            out += 6;
        }
    return true;
}

bool CDX9KelSkyHex::Init(IDirect3DDevice9* pDevice, float radius, float height, float rings, float segments,
                         IDirect3DVertexBuffer9** ppVB, IDirect3DIndexBuffer9** ppIB, UINT* pVertexCount,
                         UINT* pIndexCount) {
    if (!pDevice || !ppVB || !ppIB || !pVertexCount || !pIndexCount)
        return false;
    const UINT nv = VertexCount(rings, segments), ni = IndexCount(rings, segments);
    if (nv == 0 || ni == 0)
        return false;
    std::vector<SKYVERTEX> vertices(nv);
    std::vector<DWORD> indices(ni);
    if (!BuildMesh(radius, height, rings, segments, vertices.data(), nv, indices.data(), ni))
        return false;

    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    void* data = nullptr;
    if (FAILED(pDevice->CreateVertexBuffer(nv * sizeof(SKYVERTEX), D3DUSAGE_WRITEONLY, kFVF, D3DPOOL_MANAGED, &vb,
                                           nullptr)))
        return false;
    if (FAILED(vb->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelSkyHex::Init : memcpy_s \n");
        SafeReleaseCom(vb);
        return false;
    }
    std::memcpy(data, vertices.data(), nv * sizeof(SKYVERTEX));
    vb->Unlock();
    if (FAILED(pDevice->CreateIndexBuffer(ni * sizeof(DWORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED,
                                          &ib, nullptr))) {
        SafeReleaseCom(vb);
        return false;
    }
    data = nullptr;
    if (FAILED(ib->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelSkyHex::Init : memcpy_s \n");
        SafeReleaseCom(ib);
        SafeReleaseCom(vb);
        return false;
    }
    std::memcpy(data, indices.data(), ni * sizeof(DWORD));
    ib->Unlock();
    *ppVB = vb;
    *ppIB = ib;
    *pVertexCount = nv;
    *pIndexCount = ni;
    return true;
}

} // namespace Vorna3D
