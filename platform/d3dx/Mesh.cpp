// ID3DXMesh: vertices, indices and attributes kept in memory; the device
// buffers are filled from them when the mesh is drawn or asked for them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>

#include "platform/d3dx/d3dx9.h"

namespace {

constexpr DWORD kMaxMeshVertices = 16u << 20;
constexpr DWORD kMaxMeshFaces = 16u << 20;

UINT DeclTypeSize(BYTE type) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_UBYTE4N:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N:
    case D3DDECLTYPE_FLOAT16_2: return 4;
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT4N:
    case D3DDECLTYPE_USHORT4N:
    case D3DDECLTYPE_FLOAT16_4: return 8;
    default: return 0;
    }
}

int FloatCount(BYTE type) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1: return 1;
    case D3DDECLTYPE_FLOAT2: return 2;
    case D3DDECLTYPE_FLOAT3: return 3;
    case D3DDECLTYPE_FLOAT4: return 4;
    default: return 0;
    }
}

// Copies one element between layouts: float types convert (missing
// components 0, w 1), equal types copy, anything else stays zero.
void ConvertElement(const BYTE* src, BYTE srcType, BYTE* dst, BYTE dstType) {
    if (srcType == dstType) {
        std::memcpy(dst, src, DeclTypeSize(srcType));
        return;
    }
    int sn = FloatCount(srcType), dn = FloatCount(dstType);
    if (sn && dn) {
        float v[4] = {0, 0, 0, 1};
        std::memcpy(v, src, sizeof(float) * sn);
        std::memcpy(dst, v, sizeof(float) * dn);
    }
}

size_t DeclLength(const D3DVERTEXELEMENT9* d) {
    size_t n = 0;
    while (n < MAXD3DDECLLENGTH && d[n].Stream != 0xFF)
        ++n;
    return n;
}

D3DXVECTOR3 Pos(ID3DXMesh* m, DWORD v) {
    D3DXVECTOR3 p;
    std::memcpy(&p, m->Vertex(v), sizeof(p));
    return p;
}

} // namespace

// ---------------------------------------------------------------------------
// Buffers.
HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (numBytes > (256u << 20))
        return E_OUTOFMEMORY;
    auto* b = new ID3DXBuffer();
    b->m_bytes.assign(numBytes, 0);
    *buffer = b;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Vertex formats.
UINT D3DXGetFVFVertexSize(DWORD fvf) {
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    if (FAILED(D3DXDeclaratorFromFVF(fvf, decl)))
        return 0;
    return D3DXGetDeclVertexSize(decl, 0);
}

UINT D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* declaration, DWORD stream) {
    if (!declaration)
        return 0;
    UINT size = 0;
    for (size_t i = 0, n = DeclLength(declaration); i < n; ++i)
        if (declaration[i].Stream == stream)
            size = std::max(size, static_cast<UINT>(declaration[i].Offset + DeclTypeSize(declaration[i].Type)));
    return size;
}

HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) {
    if (!declaration)
        return D3DERR_INVALIDCALL;
    size_t n = 0;
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index) {
        declaration[n++] = {0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index};
        offset = static_cast<WORD>(offset + DeclTypeSize(type));
    };
    DWORD pos = fvf & D3DFVF_POSITION_MASK;
    int betas = 0;
    switch (pos) {
    case D3DFVF_XYZ: add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0); break;
    case D3DFVF_XYZRHW: add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0); break;
    case D3DFVF_XYZW: add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0); break;
    case D3DFVF_XYZB1: betas = 1; break;
    case D3DFVF_XYZB2: betas = 2; break;
    case D3DFVF_XYZB3: betas = 3; break;
    case D3DFVF_XYZB4: betas = 4; break;
    case D3DFVF_XYZB5: betas = 5; break;
    default: return D3DERR_INVALIDCALL;
    }
    if (betas) {
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
        bool lastIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
        int weights = lastIndices ? betas - 1 : betas;
        if (weights > 4)
            return D3DERR_INVALIDCALL;
        if (weights > 0)
            add(static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0);
        if (lastIndices)
            add((fvf & D3DFVF_LASTBETA_UBYTE4) ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR,
                D3DDECLUSAGE_BLENDINDICES, 0);
    }
    if (fvf & D3DFVF_NORMAL)
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE)
        add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    DWORD tex = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (tex > 8)
        return D3DERR_INVALIDCALL;
    for (DWORD t = 0; t < tex; ++t) {
        DWORD f = (fvf >> (t * 2 + 16)) & 3;
        BYTE type = f == D3DFVF_TEXTUREFORMAT1   ? D3DDECLTYPE_FLOAT1
                    : f == D3DFVF_TEXTUREFORMAT3 ? D3DDECLTYPE_FLOAT3
                    : f == D3DFVF_TEXTUREFORMAT4 ? D3DDECLTYPE_FLOAT4
                                                 : D3DDECLTYPE_FLOAT2;
        add(type, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(t));
    }
    declaration[n] = D3DDECL_END();
    return D3D_OK;
}

// The FVF that describes the declaration exactly, or 0.
static DWORD FvfFromDeclaration(const D3DVERTEXELEMENT9* decl) {
    for (DWORD candidateTex = 0; candidateTex <= 8; ++candidateTex) {
        (void)candidateTex;
    }
    size_t n = DeclLength(decl);
    // Rebuild the FVF from the usages in order and compare declarations.
    DWORD fvf = 0;
    int weights = 0;
    bool indices = false, ubyte = false;
    DWORD tex = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto& e = decl[i];
        if (e.Usage == D3DDECLUSAGE_POSITION)
            fvf |= D3DFVF_XYZ;
        else if (e.Usage == D3DDECLUSAGE_BLENDWEIGHT)
            weights = FloatCount(e.Type);
        else if (e.Usage == D3DDECLUSAGE_BLENDINDICES) {
            indices = true;
            ubyte = e.Type == D3DDECLTYPE_UBYTE4;
        } else if (e.Usage == D3DDECLUSAGE_NORMAL)
            fvf |= D3DFVF_NORMAL;
        else if (e.Usage == D3DDECLUSAGE_COLOR)
            fvf |= e.UsageIndex ? D3DFVF_SPECULAR : D3DFVF_DIFFUSE;
        else if (e.Usage == D3DDECLUSAGE_TEXCOORD)
            tex = std::max<DWORD>(tex, e.UsageIndex + 1u);
        else
            return 0;
    }
    int betas = weights + (indices ? 1 : 0);
    if (betas > 0 && (fvf & D3DFVF_XYZ))
        fvf = (fvf & ~D3DFVF_POSITION_MASK) | (D3DFVF_XYZB1 + 2u * (betas - 1)) |
              (indices ? (ubyte ? D3DFVF_LASTBETA_UBYTE4 : D3DFVF_LASTBETA_D3DCOLOR) : 0u);
    fvf |= tex << D3DFVF_TEXCOUNT_SHIFT;
    D3DVERTEXELEMENT9 check[MAX_FVF_DECL_SIZE];
    if (FAILED(D3DXDeclaratorFromFVF(fvf, check)) || DeclLength(check) != n)
        return 0;
    for (size_t i = 0; i < n; ++i)
        if (std::memcmp(&check[i], &decl[i], sizeof(D3DVERTEXELEMENT9)) != 0)
            return 0;
    return fvf;
}

// ---------------------------------------------------------------------------
// Mesh.
HRESULT ID3DXMesh::Create(DWORD faces, DWORD vertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                          IDirect3DDevice9* device, ID3DXMesh** mesh) {
    if (!mesh || !declaration)
        return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (faces == 0 || vertices == 0 || faces > kMaxMeshFaces || vertices > kMaxMeshVertices)
        return D3DERR_INVALIDCALL;
    if (!(options & D3DXMESH_32BIT) && vertices > 0xFFFF)
        return D3DXERR_INVALIDDATA;
    size_t n = DeclLength(declaration);
    UINT stride = D3DXGetDeclVertexSize(declaration, 0);
    if (n == 0 || stride == 0)
        return D3DERR_INVALIDCALL;
    auto* m = new ID3DXMesh();
    m->m_pDevice = device;
    if (device)
        device->AddRef();
    m->m_options = options;
    m->m_declaration.assign(declaration, declaration + n);
    m->m_declaration.push_back(D3DDECL_END());
    m->m_fvf = FvfFromDeclaration(declaration);
    m->m_stride = stride;
    m->m_vertexCount = vertices;
    m->m_vertices.assign(size_t(vertices) * stride, 0);
    m->m_indices.assign(size_t(faces) * 3 * ((options & D3DXMESH_32BIT) ? 4 : 2), 0);
    m->m_attributes.assign(faces, 0);
    *mesh = m;
    return D3D_OK;
}

HRESULT D3DXCreateMesh(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       IDirect3DDevice9* device, ID3DXMesh** mesh) {
    return ID3DXMesh::Create(numFaces, numVertices, options, declaration, device, mesh);
}

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                          ID3DXMesh** mesh) {
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    HRESULT hr = D3DXDeclaratorFromFVF(fvf, decl);
    if (FAILED(hr))
        return hr;
    return ID3DXMesh::Create(numFaces, numVertices, options, decl, device, mesh);
}

ID3DXMesh::~ID3DXMesh() {
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    SafeReleaseCom(m_pDecl);
    SafeReleaseCom(m_pDevice);
}

DWORD ID3DXMesh::Index(size_t i) const {
    if (m_options & D3DXMESH_32BIT) {
        DWORD v;
        std::memcpy(&v, &m_indices[i * 4], 4);
        return v;
    }
    WORD v;
    std::memcpy(&v, &m_indices[i * 2], 2);
    return v;
}

void ID3DXMesh::SetIndex(size_t i, DWORD v) {
    if (m_options & D3DXMESH_32BIT) {
        std::memcpy(&m_indices[i * 4], &v, 4);
    } else {
        WORD w = static_cast<WORD>(v);
        std::memcpy(&m_indices[i * 2], &w, 2);
    }
    m_dirty = true;
}

int ID3DXMesh::ElementOffset(BYTE usage, BYTE usageIndex, BYTE* type) const {
    for (const auto& e : m_declaration) {
        if (e.Stream == 0xFF)
            break;
        if (e.Usage == usage && e.UsageIndex == usageIndex) {
            if (type)
                *type = e.Type;
            return e.Offset;
        }
    }
    return -1;
}

HRESULT ID3DXMesh::GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) {
    if (!declaration)
        return D3DERR_INVALIDCALL;
    std::copy(m_declaration.begin(), m_declaration.end(), declaration);
    return D3D_OK;
}

HRESULT ID3DXMesh::GetDevice(IDirect3DDevice9** device) {
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = m_pDevice;
    if (!m_pDevice)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    return D3D_OK;
}

HRESULT ID3DXMesh::CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** cloneMesh) {
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    HRESULT hr = D3DXDeclaratorFromFVF(fvf, decl);
    if (FAILED(hr))
        return hr;
    return CloneMesh(options, decl, device, cloneMesh);
}

HRESULT ID3DXMesh::CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, IDirect3DDevice9* device,
                             ID3DXMesh** cloneMesh) {
    if (!cloneMesh || !declaration)
        return D3DERR_INVALIDCALL;
    *cloneMesh = nullptr;
    if (!(options & D3DXMESH_32BIT) && m_vertexCount > 0xFFFF)
        options |= D3DXMESH_32BIT;
    ID3DXMesh* out = nullptr;
    HRESULT hr = Create(GetNumFaces(), m_vertexCount, options, declaration, device, &out);
    if (FAILED(hr))
        return hr;
    for (const auto& de : out->m_declaration) {
        if (de.Stream == 0xFF)
            break;
        BYTE srcType = 0;
        int so = ElementOffset(de.Usage, de.UsageIndex, &srcType);
        if (so < 0)
            continue;
        for (DWORD v = 0; v < m_vertexCount; ++v)
            ConvertElement(Vertex(v) + so, srcType, out->Vertex(v) + de.Offset, de.Type);
    }
    for (size_t i = 0, n = size_t(GetNumFaces()) * 3; i < n; ++i)
        out->SetIndex(i, Index(i));
    out->m_attributes = m_attributes;
    out->m_attributeTable = m_attributeTable;
    *cloneMesh = out;
    return D3D_OK;
}

HRESULT ID3DXMesh::Upload() {
    if (!m_pDevice)
        return D3DERR_INVALIDCALL;
    if (!m_dirty && m_pVB && m_pIB && m_pDecl)
        return D3D_OK;
    HRESULT hr;
    if (!m_pDecl && FAILED(hr = m_pDevice->CreateVertexDeclaration(m_declaration.data(), &m_pDecl)))
        return hr;
    if (!m_pVB && FAILED(hr = m_pDevice->CreateVertexBuffer(static_cast<UINT>(m_vertices.size()), 0, m_fvf,
                                                             D3DPOOL_MANAGED, &m_pVB, nullptr)))
        return hr;
    if (!m_pIB && FAILED(hr = m_pDevice->CreateIndexBuffer(static_cast<UINT>(m_indices.size()), 0,
                                                            (m_options & D3DXMESH_32BIT) ? D3DFMT_INDEX32
                                                                                         : D3DFMT_INDEX16,
                                                            D3DPOOL_MANAGED, &m_pIB, nullptr)))
        return hr;
    void* p = nullptr;
    if (FAILED(hr = m_pVB->Lock(0, 0, &p, 0)))
        return hr;
    std::memcpy(p, m_vertices.data(), m_vertices.size());
    m_pVB->Unlock();
    if (FAILED(hr = m_pIB->Lock(0, 0, &p, 0)))
        return hr;
    std::memcpy(p, m_indices.data(), m_indices.size());
    m_pIB->Unlock();
    m_dirty = false;
    return D3D_OK;
}

HRESULT ID3DXMesh::GetVertexBuffer(IDirect3DVertexBuffer9** vb) {
    if (!vb)
        return D3DERR_INVALIDCALL;
    *vb = nullptr;
    HRESULT hr = Upload();
    if (FAILED(hr))
        return hr;
    m_pVB->AddRef();
    *vb = m_pVB;
    return D3D_OK;
}

HRESULT ID3DXMesh::GetIndexBuffer(IDirect3DIndexBuffer9** ib) {
    if (!ib)
        return D3DERR_INVALIDCALL;
    *ib = nullptr;
    HRESULT hr = Upload();
    if (FAILED(hr))
        return hr;
    m_pIB->AddRef();
    *ib = m_pIB;
    return D3D_OK;
}

HRESULT ID3DXMesh::LockVertexBuffer(DWORD, void** data) {
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = m_vertices.data();
    m_dirty = true;
    return D3D_OK;
}
HRESULT ID3DXMesh::UnlockVertexBuffer() { return D3D_OK; }
HRESULT ID3DXMesh::LockIndexBuffer(DWORD, void** data) {
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = m_indices.data();
    m_dirty = true;
    return D3D_OK;
}
HRESULT ID3DXMesh::UnlockIndexBuffer() { return D3D_OK; }
HRESULT ID3DXMesh::LockAttributeBuffer(DWORD, DWORD** data) {
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = m_attributes.data();
    // Attributes written by the caller make the table stale.
    m_attributeTable.clear();
    return D3D_OK;
}
HRESULT ID3DXMesh::UnlockAttributeBuffer() { return D3D_OK; }

HRESULT ID3DXMesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) {
    if (!size)
        return D3DERR_INVALIDCALL;
    if (table)
        std::copy(m_attributeTable.begin(), m_attributeTable.end(), table);
    *size = static_cast<DWORD>(m_attributeTable.size());
    return D3D_OK;
}

HRESULT ID3DXMesh::SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) {
    if (size && !table)
        return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < size; ++i)
        if (table[i].FaceStart + uint64_t(table[i].FaceCount) > GetNumFaces() ||
            table[i].VertexStart + uint64_t(table[i].VertexCount) > m_vertexCount)
            return D3DERR_INVALIDCALL;
    m_attributeTable.assign(table, table + size);
    return D3D_OK;
}

HRESULT ID3DXMesh::GenerateAdjacency(FLOAT, DWORD* adjacency) {
    if (!adjacency)
        return D3DERR_INVALIDCALL;
    DWORD faces = GetNumFaces();
    // Vertices at the same position share a representative, so split
    // vertices (hard edges, seams) still connect their faces.
    std::map<std::tuple<float, float, float>, DWORD> firstAt;
    std::vector<DWORD> rep(m_vertexCount);
    for (DWORD v = 0; v < m_vertexCount; ++v) {
        D3DXVECTOR3 p = Pos(this, v);
        rep[v] = firstAt.emplace(std::make_tuple(p.x, p.y, p.z), v).first->second;
    }
    std::map<std::pair<DWORD, DWORD>, DWORD> edgeFace;
    std::fill(adjacency, adjacency + size_t(faces) * 3, 0xFFFFFFFFu);
    for (DWORD f = 0; f < faces; ++f) {
        for (int e = 0; e < 3; ++e) {
            DWORD a = rep[Index(f * 3 + e)], b = rep[Index(f * 3 + (e + 1) % 3)];
            auto it = edgeFace.find({b, a});
            if (it != edgeFace.end()) {
                DWORD g = it->second >> 2;
                int ge = static_cast<int>(it->second & 3);
                if (adjacency[g * 3 + ge] == 0xFFFFFFFFu) {
                    adjacency[g * 3 + ge] = f;
                    adjacency[f * 3 + e] = g;
                    continue;
                }
            }
            edgeFace.emplace(std::make_pair(a, b), (f << 2) | static_cast<DWORD>(e));
        }
    }
    return D3D_OK;
}

HRESULT ID3DXMesh::OptimizeInplace(DWORD flags, const DWORD*, DWORD* adjacencyOut, DWORD* faceRemap,
                                   ID3DXBuffer** vertexRemap) {
    DWORD faces = GetNumFaces();
    std::vector<DWORD> order(faces);
    std::iota(order.begin(), order.end(), 0u);
    if (flags & D3DXMESHOPT_ATTRSORT)
        std::stable_sort(order.begin(), order.end(),
                         [&](DWORD a, DWORD b) { return m_attributes[a] < m_attributes[b]; });
    // New vertex order: by first use in the new face order (compaction drops
    // the unused ones; without it they follow in their old order).
    std::vector<DWORD> newIndexOf(m_vertexCount, 0xFFFFFFFFu), oldOf;
    bool reorder = (flags & (D3DXMESHOPT_COMPACT | D3DXMESHOPT_VERTEXCACHE)) != 0;
    if (reorder) {
        for (DWORD f : order)
            for (int k = 0; k < 3; ++k) {
                DWORD v = Index(size_t(f) * 3 + k);
                if (newIndexOf[v] == 0xFFFFFFFFu) {
                    newIndexOf[v] = static_cast<DWORD>(oldOf.size());
                    oldOf.push_back(v);
                }
            }
        if (!(flags & D3DXMESHOPT_COMPACT))
            for (DWORD v = 0; v < m_vertexCount; ++v)
                if (newIndexOf[v] == 0xFFFFFFFFu) {
                    newIndexOf[v] = static_cast<DWORD>(oldOf.size());
                    oldOf.push_back(v);
                }
    } else {
        oldOf.resize(m_vertexCount);
        std::iota(oldOf.begin(), oldOf.end(), 0u);
        newIndexOf = oldOf;
    }
    std::vector<BYTE> vertices(oldOf.size() * m_stride);
    for (size_t i = 0; i < oldOf.size(); ++i)
        std::memcpy(&vertices[i * m_stride], Vertex(oldOf[i]), m_stride);
    std::vector<DWORD> indices(size_t(faces) * 3);
    std::vector<DWORD> attributes(faces);
    for (DWORD i = 0; i < faces; ++i) {
        for (int k = 0; k < 3; ++k)
            indices[size_t(i) * 3 + k] = newIndexOf[Index(size_t(order[i]) * 3 + k)];
        attributes[i] = m_attributes[order[i]];
    }
    m_vertices = std::move(vertices);
    m_vertexCount = static_cast<DWORD>(oldOf.size());
    if (m_vertexCount > 0xFFFF && !(m_options & D3DXMESH_32BIT)) {
        m_options |= D3DXMESH_32BIT;
        m_indices.assign(size_t(faces) * 12, 0);
    }
    for (size_t i = 0; i < indices.size(); ++i)
        SetIndex(i, indices[i]);
    m_attributes = std::move(attributes);
    m_attributeTable.clear();
    if (flags & D3DXMESHOPT_ATTRSORT) {
        for (DWORD f = 0; f < faces; ++f) {
            if (m_attributeTable.empty() || m_attributeTable.back().AttribId != m_attributes[f])
                m_attributeTable.push_back({m_attributes[f], f, 0, 0xFFFFFFFFu, 0});
            m_attributeTable.back().FaceCount++;
        }
        for (auto& r : m_attributeTable) {
            DWORD lo = 0xFFFFFFFFu, hi = 0;
            for (DWORD f = r.FaceStart; f < r.FaceStart + r.FaceCount; ++f)
                for (int k = 0; k < 3; ++k) {
                    DWORD v = Index(size_t(f) * 3 + k);
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            r.VertexStart = lo;
            r.VertexCount = hi - lo + 1;
        }
    }
    if (faceRemap)
        std::copy(order.begin(), order.end(), faceRemap);
    if (vertexRemap) {
        *vertexRemap = nullptr;
        if (SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(oldOf.size() * 4), vertexRemap)) && !oldOf.empty())
            std::memcpy((*vertexRemap)->GetBufferPointer(), oldOf.data(), oldOf.size() * 4);
    }
    if (adjacencyOut)
        GenerateAdjacency(0, adjacencyOut);
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    m_dirty = true;
    return D3D_OK;
}

HRESULT ID3DXMesh::Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            ID3DXBuffer** vertexRemap, ID3DXMesh** optMesh) {
    if (!optMesh)
        return D3DERR_INVALIDCALL;
    *optMesh = nullptr;
    ID3DXMesh* copy = nullptr;
    // Pool and 32-bit options of the flags apply to the new mesh.
    HRESULT hr = CloneMesh((flags & 0xFFFF) | (m_options & D3DXMESH_32BIT), m_declaration.data(), m_pDevice, &copy);
    if (FAILED(hr))
        return hr;
    hr = copy->OptimizeInplace(flags, adjacencyIn, adjacencyOut, faceRemap, vertexRemap);
    if (FAILED(hr)) {
        copy->Release();
        return hr;
    }
    *optMesh = copy;
    return D3D_OK;
}

HRESULT ID3DXMesh::DrawSubset(DWORD attribId) {
    HRESULT hr = Upload();
    if (FAILED(hr))
        return hr;
    m_pDevice->SetVertexDeclaration(m_pDecl);
    m_pDevice->SetStreamSource(0, m_pVB, 0, m_stride);
    m_pDevice->SetIndices(m_pIB);
    if (!m_attributeTable.empty()) {
        for (const auto& r : m_attributeTable)
            if (r.AttribId == attribId && r.FaceCount)
                hr = m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, r.VertexStart, r.VertexCount,
                                                     r.FaceStart * 3, r.FaceCount);
        return hr;
    }
    // Without a table: every run of faces with that attribute.
    DWORD faces = GetNumFaces();
    for (DWORD f = 0; f < faces;) {
        if (m_attributes[f] != attribId) {
            ++f;
            continue;
        }
        DWORD start = f;
        while (f < faces && m_attributes[f] == attribId)
            ++f;
        hr = m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_vertexCount, start * 3, f - start);
    }
    return hr;
}

// ---------------------------------------------------------------------------
// Mesh helpers.
HRESULT D3DXComputeNormals(ID3DXMesh* mesh, const DWORD*) {
    if (!mesh)
        return D3DERR_INVALIDCALL;
    int no = mesh->ElementOffset(D3DDECLUSAGE_NORMAL, 0);
    if (no < 0)
        return D3DERR_INVALIDCALL;
    DWORD nv = mesh->GetNumVertices();
    // Vertices at one position share their normal, so split seams stay smooth.
    std::map<std::tuple<float, float, float>, D3DXVECTOR3> sum;
    for (DWORD f = 0; f < mesh->GetNumFaces(); ++f) {
        DWORD i0 = mesh->Index(f * 3), i1 = mesh->Index(f * 3 + 1), i2 = mesh->Index(f * 3 + 2);
        D3DXVECTOR3 p0 = Pos(mesh, i0), p1 = Pos(mesh, i1), p2 = Pos(mesh, i2);
        D3DXVECTOR3 e1 = p1 - p0, e2 = p2 - p0, n;
        D3DXVec3Cross(&n, &e1, &e2);
        for (const auto& p : {p0, p1, p2}) {
            auto& s = sum[std::make_tuple(p.x, p.y, p.z)];
            s += n;
        }
    }
    for (DWORD v = 0; v < nv; ++v) {
        D3DXVECTOR3 p = Pos(mesh, v), n(0, 0, 0);
        auto it = sum.find(std::make_tuple(p.x, p.y, p.z));
        if (it != sum.end())
            D3DXVec3Normalize(&n, &it->second);
        std::memcpy(mesh->Vertex(v) + no, &n, sizeof(n));
    }
    void* dummy;
    mesh->LockVertexBuffer(0, &dummy);
    return D3D_OK;
}

HRESULT D3DXComputeTangentFrameEx(ID3DXMesh* mesh, DWORD textureInSemantic, DWORD textureInIndex,
                                  DWORD uPartialOutSemantic, DWORD uPartialOutIndex, DWORD vPartialOutSemantic,
                                  DWORD vPartialOutIndex, DWORD normalOutSemantic, DWORD normalOutIndex,
                                  DWORD options, const DWORD* adjacency, FLOAT, FLOAT, FLOAT, ID3DXMesh** meshOut,
                                  ID3DXBuffer** vertexMapping) {
    if (!mesh)
        return D3DERR_INVALIDCALL;
    ID3DXMesh* m = mesh;
    if (meshOut) {
        D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
        mesh->GetDeclaration(decl);
        IDirect3DDevice9* dev = nullptr;
        mesh->GetDevice(&dev);
        HRESULT hr = mesh->CloneMesh(mesh->GetOptions(), decl, dev, &m);
        SafeReleaseCom(dev);
        if (FAILED(hr))
            return hr;
    }
    BYTE tcType = 0;
    int tc = m->ElementOffset(static_cast<BYTE>(textureInSemantic), static_cast<BYTE>(textureInIndex), &tcType);
    int to = m->ElementOffset(static_cast<BYTE>(uPartialOutSemantic), static_cast<BYTE>(uPartialOutIndex));
    int bo = m->ElementOffset(static_cast<BYTE>(vPartialOutSemantic), static_cast<BYTE>(vPartialOutIndex));
    int no = m->ElementOffset(static_cast<BYTE>(normalOutSemantic), static_cast<BYTE>(normalOutIndex));
    if (no >= 0 && (options & D3DXTANGENT_CALCULATE_NORMALS))
        D3DXComputeNormals(m, adjacency);
    DWORD nv = m->GetNumVertices();
    std::vector<D3DXVECTOR3> tan(nv, D3DXVECTOR3(0, 0, 0)), bin(nv, D3DXVECTOR3(0, 0, 0));
    if (tc >= 0 && FloatCount(tcType) >= 2) {
        for (DWORD f = 0; f < m->GetNumFaces(); ++f) {
            DWORD i[3] = {m->Index(f * 3), m->Index(f * 3 + 1), m->Index(f * 3 + 2)};
            D3DXVECTOR3 p[3];
            D3DXVECTOR2 t[3];
            for (int k = 0; k < 3; ++k) {
                p[k] = Pos(m, i[k]);
                std::memcpy(&t[k], m->Vertex(i[k]) + tc, sizeof(D3DXVECTOR2));
            }
            D3DXVECTOR3 e1 = p[1] - p[0], e2 = p[2] - p[0];
            float du1 = t[1].x - t[0].x, dv1 = t[1].y - t[0].y, du2 = t[2].x - t[0].x, dv2 = t[2].y - t[0].y;
            float det = du1 * dv2 - du2 * dv1;
            if (std::fabs(det) < 1e-12f)
                continue;
            float r = 1.0f / det;
            D3DXVECTOR3 sdir = (e1 * dv2 - e2 * dv1) * r, tdir = (e2 * du1 - e1 * du2) * r;
            for (int k = 0; k < 3; ++k) {
                tan[i[k]] += sdir;
                bin[i[k]] += tdir;
            }
        }
    }
    for (DWORD v = 0; v < nv; ++v) {
        D3DXVECTOR3 n(0, 1, 0);
        if (no >= 0)
            std::memcpy(&n, m->Vertex(v) + no, sizeof(n));
        if (D3DXVec3LengthSq(&n) < 1e-12f)
            n = D3DXVECTOR3(0, 1, 0);
        D3DXVec3Normalize(&n, &n);
        // Gram-Schmidt against the normal; fall back to any perpendicular.
        D3DXVECTOR3 t = tan[v] - n * D3DXVec3Dot(&n, &tan[v]);
        if (D3DXVec3LengthSq(&t) < 1e-12f) {
            D3DXVECTOR3 axis = std::fabs(n.x) < 0.9f ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 0, 1);
            t = axis - n * D3DXVec3Dot(&n, &axis);
        }
        D3DXVec3Normalize(&t, &t);
        D3DXVECTOR3 b;
        D3DXVec3Cross(&b, &n, &t);
        if (D3DXVec3Dot(&b, &bin[v]) < 0)
            b = -b;
        if (no >= 0)
            std::memcpy(m->Vertex(v) + no, &n, sizeof(n));
        if (to >= 0)
            std::memcpy(m->Vertex(v) + to, &t, sizeof(t));
        if (bo >= 0)
            std::memcpy(m->Vertex(v) + bo, &b, sizeof(b));
    }
    void* dummy;
    m->LockVertexBuffer(0, &dummy);
    if (vertexMapping) {
        *vertexMapping = nullptr;
        if (SUCCEEDED(D3DXCreateBuffer(nv * 4, vertexMapping))) {
            auto* map = static_cast<DWORD*>((*vertexMapping)->GetBufferPointer());
            std::iota(map, map + nv, 0u);
        }
    }
    if (meshOut)
        *meshOut = m;
    return D3D_OK;
}

HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                      DWORD* faceIndex, FLOAT* u, FLOAT* v, FLOAT* dist, ID3DXBuffer** allHits,
                      DWORD* countOfHits) {
    if (!mesh || !rayPos || !rayDir || !hit)
        return D3DERR_INVALIDCALL;
    *hit = FALSE;
    std::vector<D3DXINTERSECTINFO> hits;
    float best = 0;
    D3DXINTERSECTINFO bestInfo{};
    for (DWORD f = 0; f < mesh->GetNumFaces(); ++f) {
        D3DXVECTOR3 p0 = Pos(mesh, mesh->Index(f * 3)), p1 = Pos(mesh, mesh->Index(f * 3 + 1)),
                    p2 = Pos(mesh, mesh->Index(f * 3 + 2));
        D3DXVECTOR3 e1 = p1 - p0, e2 = p2 - p0, pv, tv, qv;
        D3DXVec3Cross(&pv, rayDir, &e2);
        float det = D3DXVec3Dot(&e1, &pv);
        if (std::fabs(det) < 1e-12f)
            continue;
        float inv = 1.0f / det;
        tv = *rayPos - p0;
        float bu = D3DXVec3Dot(&tv, &pv) * inv;
        if (bu < 0 || bu > 1)
            continue;
        D3DXVec3Cross(&qv, &tv, &e1);
        float bv = D3DXVec3Dot(rayDir, &qv) * inv;
        if (bv < 0 || bu + bv > 1)
            continue;
        float t = D3DXVec3Dot(&e2, &qv) * inv;
        if (t < 0)
            continue;
        D3DXINTERSECTINFO info{f, bu, bv, t};
        hits.push_back(info);
        if (!*hit || t < best) {
            *hit = TRUE;
            best = t;
            bestInfo = info;
        }
    }
    if (*hit) {
        if (faceIndex)
            *faceIndex = bestInfo.FaceIndex;
        if (u)
            *u = bestInfo.U;
        if (v)
            *v = bestInfo.V;
        if (dist)
            *dist = bestInfo.Dist;
    }
    if (countOfHits)
        *countOfHits = static_cast<DWORD>(hits.size());
    if (allHits) {
        *allHits = nullptr;
        if (!hits.empty() &&
            SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(hits.size() * sizeof(D3DXINTERSECTINFO)), allHits)))
            std::memcpy((*allHits)->GetBufferPointer(), hits.data(), hits.size() * sizeof(D3DXINTERSECTINFO));
    }
    return D3D_OK;
}

HRESULT D3DXComputeBoundingBoxMesh(ID3DXMesh* mesh, D3DXVECTOR3* min, D3DXVECTOR3* max) {
    if (!mesh || !min || !max || mesh->GetNumVertices() == 0)
        return D3DERR_INVALIDCALL;
    return D3DXComputeBoundingBox(reinterpret_cast<const D3DXVECTOR3*>(mesh->Vertex(0)), mesh->GetNumVertices(),
                                  mesh->GetNumBytesPerVertex(), min, max);
}
