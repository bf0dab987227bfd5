// ID3DXSkinInfo: bone names, offsets and influences, and the conversion of a
// mesh to indexed vertex blending with a bone palette.
#include <algorithm>
#include <climits>
#include <cstring>
#include <set>

#include "platform/d3dx/d3dx9.h"

namespace {
constexpr DWORD kMaxBones = 65535;

struct Influence {
    DWORD bone;
    float weight;
};
} // namespace

HRESULT D3DXCreateSkinInfo(DWORD numVertices, const D3DVERTEXELEMENT9*, DWORD numBones, ID3DXSkinInfo** skinInfo) {
    if (!skinInfo)
        return D3DERR_INVALIDCALL;
    *skinInfo = nullptr;
    if (numBones > kMaxBones)
        return D3DERR_INVALIDCALL;
    auto* s = new ID3DXSkinInfo();
    s->m_vertexCount = numVertices;
    s->m_bones.resize(numBones);
    for (auto& b : s->m_bones)
        D3DXMatrixIdentity(&b.offset);
    *skinInfo = s;
    return D3D_OK;
}

LPCSTR ID3DXSkinInfo::GetBoneName(DWORD bone) const {
    return bone < m_bones.size() ? m_bones[bone].name.c_str() : nullptr;
}

D3DXMATRIX* ID3DXSkinInfo::GetBoneOffsetMatrix(DWORD bone) {
    return bone < m_bones.size() ? &m_bones[bone].offset : nullptr;
}

HRESULT ID3DXSkinInfo::SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) {
    if (bone >= m_bones.size() || !offset)
        return D3DERR_INVALIDCALL;
    m_bones[bone].offset = *offset;
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::SetBoneName(DWORD bone, LPCSTR name) {
    if (bone >= m_bones.size() || !name)
        return D3DERR_INVALIDCALL;
    m_bones[bone].name = name;
    return D3D_OK;
}

DWORD ID3DXSkinInfo::GetNumBoneInfluences(DWORD bone) const {
    return bone < m_bones.size() ? static_cast<DWORD>(m_bones[bone].vertices.size()) : 0;
}

HRESULT ID3DXSkinInfo::GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) const {
    if (bone >= m_bones.size() || !vertices || !weights)
        return D3DERR_INVALIDCALL;
    std::copy(m_bones[bone].vertices.begin(), m_bones[bone].vertices.end(), vertices);
    std::copy(m_bones[bone].weights.begin(), m_bones[bone].weights.end(), weights);
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::SetBoneInfluence(DWORD bone, DWORD influences, const DWORD* vertices, const FLOAT* weights) {
    if (bone >= m_bones.size() || (influences && (!vertices || !weights)))
        return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < influences; ++i)
        if (vertices[i] >= m_vertexCount)
            return D3DERR_INVALIDCALL;
    m_bones[bone].vertices.assign(vertices, vertices + influences);
    m_bones[bone].weights.assign(weights, weights + influences);
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::GetMaxVertexInfluences(DWORD* maxVertexInfluences) const {
    if (!maxVertexInfluences)
        return D3DERR_INVALIDCALL;
    std::vector<DWORD> count(m_vertexCount, 0);
    for (const auto& b : m_bones)
        for (DWORD v : b.vertices)
            ++count[v];
    *maxVertexInfluences = count.empty() ? 0 : *std::max_element(count.begin(), count.end());
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::GetMaxFaceInfluences(IDirect3DIndexBuffer9* ib, DWORD numFaces, DWORD* maxFaceInfluences) {
    if (!ib || !maxFaceInfluences)
        return D3DERR_INVALIDCALL;
    D3DINDEXBUFFER_DESC desc{};
    if (FAILED(ib->GetDesc(&desc)))
        return D3DERR_INVALIDCALL;
    UINT isz = desc.Format == D3DFMT_INDEX32 ? 4 : 2;
    if (uint64_t(numFaces) * 3 * isz > desc.Size)
        return D3DERR_INVALIDCALL;
    void* data = nullptr;
    if (FAILED(ib->Lock(0, 0, &data, D3DLOCK_READONLY)))
        return D3DERR_INVALIDCALL;
    std::vector<std::vector<DWORD>> bonesOf(m_vertexCount);
    for (DWORD b = 0; b < m_bones.size(); ++b)
        for (DWORD v : m_bones[b].vertices)
            bonesOf[v].push_back(b);
    DWORD best = 0;
    for (DWORD f = 0; f < numFaces; ++f) {
        std::set<DWORD> bones;
        for (int k = 0; k < 3; ++k) {
            DWORD v;
            if (isz == 4) {
                std::memcpy(&v, static_cast<BYTE*>(data) + (size_t(f) * 3 + k) * 4, 4);
            } else {
                WORD w;
                std::memcpy(&w, static_cast<BYTE*>(data) + (size_t(f) * 3 + k) * 2, 2);
                v = w;
            }
            if (v < m_vertexCount)
                bones.insert(bonesOf[v].begin(), bonesOf[v].end());
        }
        best = std::max(best, static_cast<DWORD>(bones.size()));
    }
    ib->Unlock();
    *maxFaceInfluences = best;
    return D3D_OK;
}

HRESULT ID3DXSkinInfo::ConvertToIndexedBlendedMesh(ID3DXMesh* meshIn, DWORD options, DWORD paletteSize,
                                                   const DWORD*, DWORD* adjacencyOut, DWORD* faceRemap,
                                                   ID3DXBuffer** vertexRemap, DWORD* maxVertexInfluences,
                                                   DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                                                   ID3DXMesh** meshOut) {
    if (!meshIn || !meshOut || !numBoneCombinations || !boneCombinationTable || paletteSize == 0)
        return D3DERR_INVALIDCALL;
    *meshOut = nullptr;
    *boneCombinationTable = nullptr;
    DWORD fvfIn = meshIn->GetFVF();
    if (!fvfIn || meshIn->GetNumVertices() != m_vertexCount)
        return D3DERR_INVALIDCALL;
    DWORD nv = m_vertexCount, nf = meshIn->GetNumFaces();

    // The strongest four influences of every vertex, renormalised. A vertex
    // no bone influences follows bone 0.
    std::vector<std::vector<Influence>> infl(nv);
    for (DWORD b = 0; b < m_bones.size(); ++b)
        for (size_t i = 0; i < m_bones[b].vertices.size(); ++i)
            infl[m_bones[b].vertices[i]].push_back({b, m_bones[b].weights[i]});
    DWORD maxInfl = 1;
    for (auto& list : infl) {
        std::stable_sort(list.begin(), list.end(), [](const Influence& a, const Influence& b) {
            return a.weight > b.weight;
        });
        if (list.size() > D3DX_MAX_BONE_INFLUENCES)
            list.resize(D3DX_MAX_BONE_INFLUENCES);
        float sum = 0;
        for (const auto& i : list)
            sum += i.weight;
        if (list.empty() || sum <= 0) {
            list.assign(1, {0, 1.0f});
            sum = 1;
        }
        for (auto& i : list)
            i.weight /= sum;
        maxInfl = std::max(maxInfl, static_cast<DWORD>(list.size()));
    }
    if (m_bones.empty())
        return D3DERR_INVALIDCALL;

    // Faces grouped by attribute, then split greedily into palettes.
    DWORD* attr = nullptr;
    meshIn->LockAttributeBuffer(D3DLOCK_READONLY, &attr);
    std::vector<DWORD> attrs(attr, attr + nf);
    std::vector<DWORD> order(nf);
    for (DWORD i = 0; i < nf; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return attrs[a] < attrs[b]; });
    struct Combo {
        DWORD attrib;
        std::vector<DWORD> bones; // palette slot -> bone
        std::vector<DWORD> faces;
    };
    std::vector<Combo> combos;
    for (DWORD f : order) {
        std::set<DWORD> need;
        for (int k = 0; k < 3; ++k)
            for (const auto& i : infl[meshIn->Index(size_t(f) * 3 + k)])
                need.insert(i.bone);
        if (need.size() > paletteSize)
            return D3DXERR_TOOMANYINFLUENCES;
        bool fits = !combos.empty() && combos.back().attrib == attrs[f];
        if (fits) {
            std::set<DWORD> merged(combos.back().bones.begin(), combos.back().bones.end());
            merged.insert(need.begin(), need.end());
            fits = merged.size() <= paletteSize;
        }
        if (!fits)
            combos.push_back({attrs[f], {}, {}});
        Combo& c = combos.back();
        for (DWORD b : need)
            if (std::find(c.bones.begin(), c.bones.end(), b) == c.bones.end())
                c.bones.push_back(b);
        c.faces.push_back(f);
    }

    // The new layout: position, weights and packed indices, then the rest of
    // the old vertex after its position.
    DWORD fvfOut = (fvfIn & ~(D3DFVF_POSITION_MASK | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) |
                   (D3DFVF_XYZB1 + 2u * (maxInfl - 1)) | D3DFVF_LASTBETA_UBYTE4;
    D3DVERTEXELEMENT9 declIn[MAX_FVF_DECL_SIZE];
    meshIn->GetDeclaration(declIn);
    int posIn = meshIn->ElementOffset(D3DDECLUSAGE_POSITION, 0);
    // The old vertex's tail: the bytes after position and any old blend data.
    UINT tailIn = 0;
    for (int i = 0; declIn[i].Stream != 0xFF; ++i)
        if (declIn[i].Usage == D3DDECLUSAGE_NORMAL || declIn[i].Usage == D3DDECLUSAGE_COLOR ||
            declIn[i].Usage == D3DDECLUSAGE_TEXCOORD || declIn[i].Usage == D3DDECLUSAGE_PSIZE) {
            tailIn = declIn[i].Offset;
            break;
        }
    UINT strideIn = meshIn->GetNumBytesPerVertex();
    if (tailIn == 0)
        tailIn = strideIn;

    std::vector<DWORD> oldOf; // new vertex -> old vertex
    std::vector<DWORD> newIndices;
    std::vector<DWORD> newAttr;
    std::vector<DWORD> remapFaces;
    std::vector<D3DXBONECOMBINATION> table(combos.size());
    std::vector<std::vector<BYTE>> slotOfVertex; // per new vertex: palette slot of each influence
    for (size_t c = 0; c < combos.size(); ++c) {
        std::vector<DWORD> local(nv, 0xFFFFFFFFu);
        DWORD vstart = static_cast<DWORD>(oldOf.size());
        table[c].AttribId = combos[c].attrib;
        table[c].FaceStart = static_cast<DWORD>(newAttr.size());
        table[c].FaceCount = static_cast<DWORD>(combos[c].faces.size());
        for (DWORD f : combos[c].faces) {
            for (int k = 0; k < 3; ++k) {
                DWORD v = meshIn->Index(size_t(f) * 3 + k);
                if (local[v] == 0xFFFFFFFFu) {
                    local[v] = static_cast<DWORD>(oldOf.size());
                    oldOf.push_back(v);
                    std::vector<BYTE> slots;
                    for (const auto& i : infl[v]) {
                        auto it = std::find(combos[c].bones.begin(), combos[c].bones.end(), i.bone);
                        slots.push_back(static_cast<BYTE>(it - combos[c].bones.begin()));
                    }
                    slotOfVertex.push_back(std::move(slots));
                }
                newIndices.push_back(local[v]);
            }
            newAttr.push_back(static_cast<DWORD>(c));
            remapFaces.push_back(f);
        }
        table[c].VertexStart = vstart;
        table[c].VertexCount = static_cast<DWORD>(oldOf.size()) - vstart;
    }
    if (paletteSize > 255)
        paletteSize = 255;

    IDirect3DDevice9* dev = nullptr;
    meshIn->GetDevice(&dev);
    DWORD opts = (options & 0xFFFF) | (oldOf.size() > 0xFFFF ? D3DXMESH_32BIT : 0u);
    ID3DXMesh* out = nullptr;
    HRESULT hr = D3DXCreateMeshFVF(nf, static_cast<DWORD>(oldOf.size()), opts, fvfOut, dev, &out);
    SafeReleaseCom(dev);
    if (FAILED(hr))
        return hr;
    UINT strideOut = out->GetNumBytesPerVertex();
    UINT weightsBytes = (maxInfl - 1) * 4;
    for (size_t nvx = 0; nvx < oldOf.size(); ++nvx) {
        DWORD v = oldOf[nvx];
        BYTE* dst = out->Vertex(static_cast<DWORD>(nvx));
        const BYTE* src = meshIn->Vertex(v);
        std::memcpy(dst, src + posIn, 12);
        float w[4] = {0, 0, 0, 0};
        BYTE idx[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < infl[v].size(); ++i) {
            w[i] = infl[v][i].weight;
            idx[i] = slotOfVertex[nvx][i];
        }
        std::memcpy(dst + 12, w, weightsBytes);
        std::memcpy(dst + 12 + weightsBytes, idx, 4);
        UINT tailBytes = strideIn - tailIn;
        if (16 + weightsBytes + tailBytes <= strideOut)
            std::memcpy(dst + 16 + weightsBytes, src + tailIn, tailBytes);
    }
    for (size_t i = 0; i < newIndices.size(); ++i)
        out->SetIndex(i, newIndices[i]);
    DWORD* outAttr = nullptr;
    out->LockAttributeBuffer(0, &outAttr);
    std::copy(newAttr.begin(), newAttr.end(), outAttr);
    out->UnlockAttributeBuffer();
    std::vector<D3DXATTRIBUTERANGE> ranges;
    for (size_t c = 0; c < table.size(); ++c)
        ranges.push_back({static_cast<DWORD>(c), table[c].FaceStart, table[c].FaceCount, table[c].VertexStart,
                          table[c].VertexCount});
    out->SetAttributeTable(ranges.data(), static_cast<DWORD>(ranges.size()));

    // The table and its bone-id arrays live in one buffer.
    size_t headBytes = table.size() * sizeof(D3DXBONECOMBINATION);
    ID3DXBuffer* buf = nullptr;
    hr = D3DXCreateBuffer(static_cast<DWORD>(headBytes + table.size() * paletteSize * sizeof(DWORD)), &buf);
    if (FAILED(hr)) {
        out->Release();
        return hr;
    }
    auto* base = static_cast<BYTE*>(buf->GetBufferPointer());
    for (size_t c = 0; c < table.size(); ++c) {
        auto* ids = reinterpret_cast<DWORD*>(base + headBytes) + c * paletteSize;
        for (DWORD s = 0; s < paletteSize; ++s)
            ids[s] = s < combos[c].bones.size() ? combos[c].bones[s] : UINT_MAX;
        table[c].BoneId = ids;
    }
    std::memcpy(base, table.data(), headBytes);

    if (faceRemap)
        std::copy(remapFaces.begin(), remapFaces.end(), faceRemap);
    if (vertexRemap) {
        *vertexRemap = nullptr;
        if (SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(oldOf.size() * 4), vertexRemap)))
            std::memcpy((*vertexRemap)->GetBufferPointer(), oldOf.data(), oldOf.size() * 4);
    }
    if (adjacencyOut)
        out->GenerateAdjacency(0, adjacencyOut);
    if (maxVertexInfluences)
        *maxVertexInfluences = maxInfl;
    *numBoneCombinations = static_cast<DWORD>(table.size());
    *boneCombinationTable = buf;
    *meshOut = out;
    return D3D_OK;
}
