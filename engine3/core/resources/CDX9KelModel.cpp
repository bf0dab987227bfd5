#include "engine3/core/resources/CDX9KelModel.h"

#include <cstring>
#include <functional>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/Geometry.h"

namespace Vorna3D {

const char* const kModelHandleNames[KEL_H_MODEL_COUNT] = {
    "g_TextureLayer1",       "g_TextureLayer1Normal", "g_TextureLayer2",   "g_TextureLayer2Normal",
    "g_MatrixWorld",         "g_MatrixWorldInverseTranspose", "g_MatrixWorldViewProj", "g_MaterialDiffuse",
    "g_MaterialAmbient",     "g_MaterialSpecular",    "g_MaterialEmissive", "g_MaterialPower"};

namespace {

// The vertex layout every mesh is cloned to: position, texture coordinate 0,
// normal, tangent and binormal (56 bytes). Skinned meshes keep their blend
// weights and palette indices after it, so they can still be blended.
void EngineDeclaration(DWORD weights, bool skinned, std::vector<D3DVERTEXELEMENT9>& out) {
    out = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
           {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
           {0, 20, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
           {0, 32, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
           {0, 44, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BINORMAL, 0}};
    if (skinned) {
        WORD offset = 56;
        if (weights > 0) {
            out.push_back({0, offset, static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLMETHOD_DEFAULT,
                           D3DDECLUSAGE_BLENDWEIGHT, 0});
            offset = static_cast<WORD>(offset + weights * 4);
        }
        out.push_back({0, offset, D3DDECLTYPE_UBYTE4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDINDICES, 0});
    }
    out.push_back(D3DDECL_END());
}

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

} // namespace

HRESULT AllocateName(LPCSTR name, LPSTR* ppNewName) {
    if (!ppNewName)
        return E_FAIL;
    *ppNewName = nullptr;
    if (!name)
        return S_OK;
    size_t len = strnlen(name, MAX_PATH - 1);
    char* copy = new (std::nothrow) char[len + 1];
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy, name, len);
    copy[len] = '\0';
    *ppNewName = copy;
    return S_OK;
}

HRESULT CAllocateHierarchy::CreateFrame(LPCSTR name, D3DXFRAME** ppNewFrame) {
    if (!ppNewFrame)
        return E_FAIL;
    *ppNewFrame = nullptr;
    auto* f = new (std::nothrow) D3DXFRAME{};
    if (!f)
        return E_OUTOFMEMORY;
    HRESULT hr = AllocateName(name, &f->Name);
    if (FAILED(hr)) {
        delete f;
        return hr;
    }
    f->TransformationMatrix = Identity();
    *ppNewFrame = f;
    return S_OK;
}

HRESULT CAllocateHierarchy::CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* pMeshData,
                                                const D3DXMATERIAL* pMaterials, const D3DXEFFECTINSTANCE*,
                                                DWORD numMaterials, const DWORD* pAdjacency,
                                                ID3DXSkinInfo* pSkinInfo, D3DXMESHCONTAINER** ppNewMeshContainer) {
    if (!ppNewMeshContainer)
        return E_FAIL;
    *ppNewMeshContainer = nullptr;
    if (!pMeshData || pMeshData->Type != D3DXMESHTYPE_MESH || !pMeshData->pMesh || pMeshData->pMesh->GetFVF() == 0)
        return E_FAIL;
    ID3DXMesh* loaded = pMeshData->pMesh;
    auto* c = new (std::nothrow) D3DXMESHCONTAINER_DERIVED{};
    if (!c)
        return E_OUTOFMEMORY;
    auto fail = [&](HRESULT hr) {
        DestroyMeshContainer(c);
        return hr;
    };
    HRESULT hr = AllocateName(name, &c->Name);
    if (FAILED(hr))
        return fail(hr);
    DWORD faces = loaded->GetNumFaces();
    m_dwFaces += faces;

    // Normals: computed when the file has none.
    ID3DXMesh* mesh = nullptr;
    if (!(loaded->GetFVF() & D3DFVF_NORMAL)) {
        hr = loaded->CloneMeshFVF(loaded->GetOptions(), loaded->GetFVF() | D3DFVF_NORMAL, m_pDevice, &mesh);
        if (FAILED(hr))
            return fail(hr);
        D3DXComputeNormals(mesh, nullptr);
    } else {
        mesh = loaded;
        mesh->AddRef();
    }
    c->MeshData.Type = D3DXMESHTYPE_MESH;
    c->MeshData.pMesh = mesh;

    c->NumMaterials = std::max<DWORD>(1, numMaterials);
    c->pMaterials = new D3DXMATERIAL[c->NumMaterials];
    if (numMaterials > 0 && pMaterials) {
        for (DWORD i = 0; i < numMaterials; ++i) {
            c->pMaterials[i].MatD3D = pMaterials[i].MatD3D;
            c->pMaterials[i].pTextureFilename = nullptr;
            AllocateName(pMaterials[i].pTextureFilename, &c->pMaterials[i].pTextureFilename);
        }
    } else {
        c->pMaterials[0] = {};
        c->pMaterials[0].MatD3D.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        c->pMaterials[0].MatD3D.Ambient = {0.5f, 0.5f, 0.5f, 0.0f};
        c->pMaterials[0].pTextureFilename = nullptr;
    }
    c->pAdjacency = new DWORD[size_t(faces) * 3];
    if (pAdjacency)
        std::memcpy(c->pAdjacency, pAdjacency, size_t(faces) * 3 * sizeof(DWORD));
    else
        mesh->GenerateAdjacency(0, c->pAdjacency);

    if (pSkinInfo) {
        m_bSkinned = true;
        c->pSkinInfo = pSkinInfo;
        pSkinInfo->AddRef();
        c->pOrigMesh = mesh;
        mesh->AddRef();
        DWORD bones = pSkinInfo->GetNumBones();
        c->pBoneOffsetMatrices = new D3DXMATRIX[bones];
        for (DWORD b = 0; b < bones; ++b)
            c->pBoneOffsetMatrices[b] = *pSkinInfo->GetBoneOffsetMatrix(b);
        c->ppBoneMatrixPtrs = new D3DXMATRIX*[bones]();
        hr = GenerateSkinnedMesh(m_pDevice, c);
        if (FAILED(hr))
            return fail(hr);
    }

    // One layout for the engine's shaders, the tangent frame, optimisation.
    std::vector<D3DVERTEXELEMENT9> decl;
    EngineDeclaration(c->NumInfl > 0 ? c->NumInfl - 1 : 0, pSkinInfo != nullptr, decl);
    ID3DXMesh* cloned = nullptr;
    hr = c->MeshData.pMesh->CloneMesh(D3DXMESH_MANAGED, decl.data(), m_pDevice, &cloned);
    if (FAILED(hr))
        return fail(hr);
    SafeReleaseCom(c->MeshData.pMesh);
    c->MeshData.pMesh = cloned;
    std::vector<DWORD> adjacency(size_t(cloned->GetNumFaces()) * 3);
    cloned->GenerateAdjacency(0, adjacency.data());
    hr = D3DXComputeTangentFrameEx(cloned, D3DDECLUSAGE_TEXCOORD, 0, D3DDECLUSAGE_TANGENT, 0, D3DDECLUSAGE_BINORMAL, 0,
                                   D3DDECLUSAGE_NORMAL, 0, 0, adjacency.data(), -1.01f, -0.01f, -1.01f, nullptr,
                                   nullptr);
    if (FAILED(hr))
        return fail(hr);
    if (!pSkinInfo) {
        // The skinned mesh is already ordered by bone combination; sorting
        // it again would break the combination table's face ranges.
        hr = cloned->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                     adjacency.data(), nullptr, nullptr, nullptr);
        if (FAILED(hr))
            return fail(hr);
    }
    DWORD groups = 0;
    cloned->GetAttributeTable(nullptr, &groups);
    delete[] c->pAttributeTable;
    c->pAttributeTable = new D3DXATTRIBUTERANGE[std::max<DWORD>(1, groups)];
    cloned->GetAttributeTable(c->pAttributeTable, &groups);
    c->NumAttributeGroups = groups;
    *ppNewMeshContainer = c;
    return S_OK;
}

HRESULT CAllocateHierarchy::GenerateSkinnedMesh(IDirect3DDevice9* pDevice, D3DXMESHCONTAINER_DERIVED* c) {
    if (!c->pSkinInfo)
        return S_OK;
    SafeReleaseCom(c->MeshData.pMesh);
    SafeReleaseCom(c->pBoneCombinationBuf);
    IDirect3DIndexBuffer9* ib = nullptr;
    if (FAILED(c->pOrigMesh->GetIndexBuffer(&ib))) {
        g_Log.Write(3, "CAllocateHierarchy : GenerateSkinnedMesh : SkinnedMesh has no Index Buffer\n");
        return E_FAIL;
    }
    DWORD maxFaceInfl = 0;
    HRESULT hr = c->pSkinInfo->GetMaxFaceInfluences(ib, c->pOrigMesh->GetNumFaces(), &maxFaceInfl);
    ib->Release();
    if (FAILED(hr)) {
        g_Log.Write(3, "CAllocateHierarchy : GenerateSkinnedMesh : SkinnedMesh has no Face Influences\n");
        return E_FAIL;
    }
    maxFaceInfl = std::min<DWORD>(maxFaceInfl, 12);
    D3DCAPS9 caps{};
    if (!pDevice || FAILED(pDevice->GetDeviceCaps(&caps)))
        return E_FAIL;
    if (caps.MaxVertexBlendMatrixIndex + 1 < maxFaceInfl) {
        g_Log.Write(3, "CAllocateHierarchy : GenerateSkinnedMesh : HW not support NumMaxFaceInfl\n");
        return E_FAIL;
    }
    c->NumPaletteEntries = std::min<DWORD>((caps.MaxVertexBlendMatrixIndex + 1) / 2, c->pSkinInfo->GetNumBones());
    hr = c->pSkinInfo->ConvertToIndexedBlendedMesh(c->pOrigMesh, D3DXMESHOPT_VERTEXCACHE | D3DXMESH_MANAGED,
                                                   c->NumPaletteEntries, c->pAdjacency, nullptr, nullptr, nullptr,
                                                   &c->NumInfl, &c->NumAttributeGroups, &c->pBoneCombinationBuf,
                                                   &c->MeshData.pMesh);
    return FAILED(hr) ? E_FAIL : S_OK;
}

HRESULT CAllocateHierarchy::DestroyFrame(D3DXFRAME* pFrameToFree) {
    if (pFrameToFree) {
        delete[] pFrameToFree->Name;
        delete pFrameToFree;
    }
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyMeshContainer(D3DXMESHCONTAINER* pBase) {
    auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(pBase);
    if (!c)
        return S_OK;
    delete[] c->Name;
    delete[] c->pAdjacency;
    if (c->pMaterials)
        for (DWORD i = 0; i < c->NumMaterials; ++i)
            delete[] c->pMaterials[i].pTextureFilename;
    delete[] c->pMaterials;
    delete[] c->pAttributeTable;
    delete[] c->pBoneOffsetMatrices;
    delete[] c->ppBoneMatrixPtrs;
    SafeReleaseCom(c->pBoneCombinationBuf);
    SafeReleaseCom(c->MeshData.pMesh);
    SafeReleaseCom(c->pSkinInfo);
    SafeReleaseCom(c->pOrigMesh);
    delete c;
    return S_OK;
}

// ---------------------------------------------------------------------------
CDX9KelFrameRecord::CDX9KelFrameRecord() {
    D3DXMatrixIdentity(&m_mLocal);
    m_mCombined = m_mWorld = m_mWorldInverseTranspose = m_mLocal;
    m_Material.Power = -1.0f;
}

CDX9KelFrameRecord::~CDX9KelFrameRecord() {
    delete m_pChild;
    // Siblings iteratively: long sibling chains do not deepen the stack.
    CDX9KelFrameRecord* s = m_pSibling;
    while (s) {
        CDX9KelFrameRecord* next = s->m_pSibling;
        s->m_pSibling = nullptr;
        delete s;
        s = next;
    }
}

CDX9KelModel::CDX9KelModel() : CDX9KelBaseResource(KEL_RESOURCE_MODEL) {
    m_iKind = KEL_UNIT_MODEL;
    m_bChanged = true;
    m_bPasses[0] = m_bPasses[1] = true;
}

CDX9KelModel::~CDX9KelModel() { delete m_pRecords; }

void CDX9KelModel::Release() {
    if (m_pResManager) {
        if (m_pFrame && m_pResManager->m_pFrameManager)
            m_pResManager->m_pFrameManager->ReleaseResource(m_pFrame);
        if (m_pEffect && m_pResManager->m_pEffectManager)
            m_pResManager->m_pEffectManager->ReleaseResource(m_pEffect);
        if (m_pResManager->m_pTextureManager)
            for (auto& g : m_vTextureGroups)
                for (auto* t : {g.m_pLayer1, g.m_pLayer1Normal, g.m_pLayer2, g.m_pLayer2Normal})
                    if (t)
                        m_pResManager->m_pTextureManager->ReleaseResource(t);
    }
    m_vTextureGroups.clear();
    m_pFrame = nullptr;
    m_pEffect = nullptr;
    SafeReleaseCom(m_pAnimController);
}

bool CDX9KelModel::Init() {
    if (!m_pFrame || !m_pFrame->m_pFrameRoot)
        return false;
    if (FAILED(D3DXFrameCalculateBoundingSphere(m_pFrame->m_pFrameRoot, &m_vSphereOffset, &m_fRadius)))
        return false;
    if (m_pAnimController)
        m_dwAnimationSets = m_pAnimController->GetMaxNumAnimationSets();
    else
        m_bPause = false;
    delete m_pRecords;
    m_pRecords = nullptr;
    if (!BuildRecords(m_pFrame->m_pFrameRoot, &m_pRecords))
        return false;
    m_dwFaces = m_pFrame->m_dwFaces;
    return true;
}

bool CDX9KelModel::BuildRecords(const D3DXFRAME* pFrame, CDX9KelFrameRecord** ppRecord) {
    // Siblings in a loop, children by recursion.
    for (; pFrame; pFrame = pFrame->pFrameSibling) {
        if (!*ppRecord)
            *ppRecord = new CDX9KelFrameRecord();
        CDX9KelFrameRecord* r = *ppRecord;
        r->m_pFrame = pFrame;
        r->m_mLocal = pFrame->TransformationMatrix;
        r->m_pChanged = &m_bChanged;
        const D3DXMESHCONTAINER* c = pFrame->pMeshContainer;
        if (c && c->NumMaterials > 0)
            r->m_Material = c->pMaterials[0].MatD3D;
        if (c && c->MeshData.pMesh) {
            D3DXComputeBoundingBoxMesh(c->MeshData.pMesh, &r->m_vBoxMin, &r->m_vBoxMax);
            ID3DXMesh* m = c->MeshData.pMesh;
            D3DXComputeBoundingSphere(reinterpret_cast<const D3DXVECTOR3*>(m->Vertex(0)), m->GetNumVertices(),
                                      m->GetNumBytesPerVertex(), &r->m_vSphereCentre, &r->m_fSphereRadius);
        }
        if (pFrame->pFrameFirstChild && !BuildRecords(pFrame->pFrameFirstChild, &r->m_pChild))
            return false;
        ppRecord = &r->m_pSibling;
    }
    return true;
}

void CDX9KelModel::UpdateFrameMatrices() {
    // The frame hierarchy is shared by every model of the file. Only a model
    // whose own controller runs takes its pose from it (the controller has
    // just posed it for this model); any other model keeps the local
    // matrices of its own records, so a frame that a caller turned (a
    // turret, a rudder) stays turned for this model alone.
    const bool posedByController = m_pAnimController && !m_bPause;
    std::function<void(CDX9KelFrameRecord*, const D3DXMATRIX&)> walk = [&](CDX9KelFrameRecord* r,
                                                                          const D3DXMATRIX& parent) {
        for (; r; r = r->m_pSibling) {
            if (posedByController)
                r->m_mLocal = r->m_pFrame->TransformationMatrix;
            r->m_mCombined = r->m_mLocal * parent;
            r->m_mWorld = r->m_mCombined;
            D3DXMATRIX inv;
            if (D3DXMatrixInverse(&inv, nullptr, &r->m_mWorld))
                D3DXMatrixTranspose(&r->m_mWorldInverseTranspose, &inv);
            walk(r->m_pChild, r->m_mCombined);
        }
    };
    walk(m_pRecords, m_mWorld);
    if (m_pFrame)
        BindBones(m_pFrame->m_pFrameRoot);
}

void CDX9KelModel::BindBones(const D3DXFRAME* pFrame) {
    for (; pFrame; pFrame = pFrame->pFrameSibling) {
        for (auto* base = pFrame->pMeshContainer; base; base = base->pNextMeshContainer) {
            auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(base);
            if (!c->pSkinInfo)
                continue;
            for (DWORD b = 0; b < c->pSkinInfo->GetNumBones(); ++b) {
                CDX9KelFrameRecord* r = GetFrameMatrixByName(c->pSkinInfo->GetBoneName(b));
                c->ppBoneMatrixPtrs[b] = r ? &r->m_mCombined : nullptr;
            }
        }
        BindBones(pFrame->pFrameFirstChild);
    }
}

void CDX9KelModel::Draw(IDirect3DDevice9* pDevice, float fTimeStep, bool bSetTextures, const D3DXMATRIX* pA,
                        UINT uB) {
    if (!m_bPasses[0] || !pDevice || !m_pFrame)
        return;
    // The controller moves first, so the matrices below show this model's
    // own pose even when other models share the hierarchy.
    if (m_pAnimController && !m_bPause) {
        m_pAnimController->AdvanceTime(fTimeStep / m_fTimeDivisor, nullptr);
        m_fAnimationTime += fTimeStep / m_fTimeDivisor;
    }
    if (m_bChanged || m_bPause || (m_pAnimController && !m_bPause))
        UpdateFrameMatrices();
    if (bSetTextures) {
        CDX9KelTextureGroup* g = GetCurrentTextureGroup();
        if (m_pEffect && m_pEffect->m_pEffect) {
            CDX9KelGraphicResourceTexture* layers[4] = {g ? g->m_pLayer1 : nullptr, g ? g->m_pLayer1Normal : nullptr,
                                                        g ? g->m_pLayer2 : nullptr, g ? g->m_pLayer2Normal : nullptr};
            for (int i = 0; i < 4; ++i)
                if (m_pEffect->m_hHandles[i])
                    m_pEffect->m_pEffect->SetTexture(m_pEffect->m_hHandles[i],
                                                     layers[i] ? layers[i]->m_pTexture : nullptr);
        } else {
            pDevice->SetTexture(0, g && g->m_pLayer1 ? g->m_pLayer1->m_pTexture : nullptr);
        }
    }
    DrawFrame(pDevice, m_pFrame->m_pFrameRoot, m_pRecords, pA, uB);
    m_bChanged = false;
    m_dwReserved = 0;
}

void CDX9KelModel::DrawFrame(IDirect3DDevice9* pDevice, const D3DXFRAME* pFrame, CDX9KelFrameRecord* r,
                             const D3DXMATRIX* pA, UINT uB) {
    for (; pFrame && r; pFrame = pFrame->pFrameSibling, r = r->m_pSibling) {
        for (auto* base = pFrame->pMeshContainer; base; base = base->pNextMeshContainer) {
            auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(base);
            ID3DXMesh* mesh = c->MeshData.pMesh;
            if (!mesh)
                continue;
            if (m_pEffect && m_pEffect->m_pEffect) {
                if (c->pSkinInfo)
                    continue;
                ID3DXEffect* e = m_pEffect->m_pEffect;
                D3DXHANDLE* h = m_pEffect->m_hHandles;
                if (h[KEL_H_MATRIX_WORLD])
                    e->SetMatrix(h[KEL_H_MATRIX_WORLD], &r->m_mWorld);
                if (h[KEL_H_MATRIX_WORLD_INVERSE_TRANSPOSE])
                    e->SetMatrix(h[KEL_H_MATRIX_WORLD_INVERSE_TRANSPOSE], &r->m_mWorldInverseTranspose);
                if (h[KEL_H_MATRIX_WORLD_VIEW_PROJ] && pA) {
                    D3DXMATRIX wvp = r->m_mWorld * *pA;
                    e->SetMatrix(h[KEL_H_MATRIX_WORLD_VIEW_PROJ], &wvp);
                }
                if (h[KEL_H_MATERIAL_DIFFUSE])
                    e->SetValue(h[KEL_H_MATERIAL_DIFFUSE], &r->m_Material.Diffuse, 16);
                if (h[KEL_H_MATERIAL_AMBIENT])
                    e->SetValue(h[KEL_H_MATERIAL_AMBIENT], &r->m_Material.Ambient, 16);
                if (h[KEL_H_MATERIAL_SPECULAR])
                    e->SetValue(h[KEL_H_MATERIAL_SPECULAR], &r->m_Material.Specular, 16);
                if (h[KEL_H_MATERIAL_EMISSIVE])
                    e->SetValue(h[KEL_H_MATERIAL_EMISSIVE], &r->m_Material.Emissive, 16);
                if (h[KEL_H_MATERIAL_POWER])
                    e->SetFloat(h[KEL_H_MATERIAL_POWER], r->m_Material.Power);
                for (UINT p = 0; p < uB; ++p) {
                    e->BeginPass(p);
                    mesh->DrawSubset(0);
                    e->EndPass();
                }
            } else if (c->pSkinInfo && c->pBoneCombinationBuf) {
                pDevice->SetRenderState(D3DRS_VERTEXBLEND, c->NumInfl > 1 ? c->NumInfl - 1 : D3DVBF_0WEIGHTS);
                pDevice->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
                auto* combos = static_cast<D3DXBONECOMBINATION*>(c->pBoneCombinationBuf->GetBufferPointer());
                for (DWORD i = 0; i < c->NumAttributeGroups; ++i) {
                    for (DWORD s = 0; s < c->NumPaletteEntries; ++s) {
                        DWORD bone = combos[i].BoneId[s];
                        if (bone == UINT_MAX || bone >= c->pSkinInfo->GetNumBones() || !c->ppBoneMatrixPtrs[bone])
                            continue;
                        D3DXMATRIX m = c->pBoneOffsetMatrices[bone] * *c->ppBoneMatrixPtrs[bone];
                        pDevice->SetTransform(D3DTS_WORLDMATRIX(s), &m);
                    }
                    DWORD attrib = combos[i].AttribId < c->NumMaterials ? combos[i].AttribId : 0;
                    pDevice->SetMaterial(&c->pMaterials[attrib].MatD3D);
                    mesh->DrawSubset(i);
                }
                pDevice->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
                pDevice->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
            } else {
                pDevice->SetTransform(D3DTS_WORLD, &r->m_mWorld);
                for (DWORD i = 0; i < c->NumMaterials; ++i) {
                    pDevice->SetMaterial(&c->pMaterials[i].MatD3D);
                    mesh->DrawSubset(i);
                }
            }
        }
        DrawFrame(pDevice, pFrame->pFrameFirstChild, r->m_pChild, pA, uB);
    }
}

bool CDX9KelModel::AddTextureGroup(const char* szName, const char* szL1Folder, const char* szL1File,
                                   const char* szL1NFolder, const char* szL1NFile, const char* szL2Folder,
                                   const char* szL2File, const char* szL2NFolder, const char* szL2NFile) {
    if (!szName || !*szName) {
        g_Log.Write(3, "CDX9KelModel::AddTextureGroup : Texture group not have name\n");
        return false;
    }
    if (!szL1Folder || !*szL1Folder || !szL1File || !*szL1File) {
        g_Log.Write(3, "CDX9KelModel::AddTextureGroup : not found layer 1\n");
        return false;
    }
    if (!m_pResManager)
        return false;
    CDX9KelTextureGroup g;
    g.m_strName = szName;
    g.m_pLayer1 = m_pResManager->CreateTextureFromFile(szL1Folder, szL1File, true, 0);
    if (!g.m_pLayer1) {
        g_Log.Write(3, "%s%s%s\n", "CDX9KelModel::AddTextureGroup : ", szName, " : not create layer 1");
        return false;
    }
    g.m_pLayer1Normal = m_pResManager->CreateTextureFromFile(szL1NFolder, szL1NFile, true, 0);
    g.m_pLayer2 = m_pResManager->CreateTextureFromFile(szL2Folder, szL2File, true, 0);
    g.m_pLayer2Normal = m_pResManager->CreateTextureFromFile(szL2NFolder, szL2NFile, true, 0);
    m_vTextureGroups.push_back(g);
    return true;
}

bool CDX9KelModel::SetTextureGroup(DWORD index) {
    if (index >= m_vTextureGroups.size())
        return false;
    m_dwCurrentTextureGroup = index;
    return true;
}

CDX9KelTextureGroup* CDX9KelModel::GetCurrentTextureGroup() {
    if (m_dwCurrentTextureGroup >= m_vTextureGroups.size())
        return nullptr;
    return &m_vTextureGroups[m_dwCurrentTextureGroup];
}

bool CDX9KelModel::ComputeBoundingBox() {
    if (!m_pFrame)
        return false;
    m_vBoxMin = D3DXVECTOR3(100000, 100000, 100000);
    m_vBoxMax = D3DXVECTOR3(-100000, -100000, -100000);
    std::function<void(const D3DXFRAME*, const D3DXMATRIX&)> walk = [&](const D3DXFRAME* f, const D3DXMATRIX& p) {
        for (; f; f = f->pFrameSibling) {
            D3DXMATRIX m = f->TransformationMatrix * p;
            for (auto* c = f->pMeshContainer; c; c = c->pNextMeshContainer) {
                ID3DXMesh* mesh = c->MeshData.pMesh;
                for (DWORD v = 0; mesh && v < mesh->GetNumVertices(); ++v) {
                    D3DXVECTOR3 pos;
                    std::memcpy(&pos, mesh->Vertex(v), sizeof(pos));
                    D3DXVec3TransformCoord(&pos, &pos, &m);
                    D3DXVec3Minimize(&m_vBoxMin, &m_vBoxMin, &pos);
                    D3DXVec3Maximize(&m_vBoxMax, &m_vBoxMax, &pos);
                }
            }
            walk(f->pFrameFirstChild, m);
        }
    };
    walk(m_pFrame->m_pFrameRoot, Identity());
    return true;
}

CDX9KelFrameRecord* CDX9KelModel::GetFrameMatrixByName(const char* szName) {
    if (!szName)
        return nullptr;
    std::function<CDX9KelFrameRecord*(CDX9KelFrameRecord*)> find = [&](CDX9KelFrameRecord* r) -> CDX9KelFrameRecord* {
        for (; r; r = r->m_pSibling) {
            if (r->m_pFrame->Name && std::strcmp(r->m_pFrame->Name, szName) == 0)
                return r;
            if (CDX9KelFrameRecord* hit = find(r->m_pChild))
                return hit;
        }
        return nullptr;
    };
    return find(m_pRecords);
}

const D3DXFRAME* CDX9KelModel::GetMeshFrameMatrix(D3DXMATRIX* pOut) {
    if (!m_pFrame || !pOut)
        return nullptr;
    const D3DXFRAME* f = m_pFrame->m_pFrameRoot;
    D3DXMATRIX acc = f->TransformationMatrix;
    while (f) {
        if (f->pMeshContainer) {
            *pOut = acc;
            return f;
        }
        f = f->pFrameFirstChild;
        if (f)
            acc = f->TransformationMatrix * acc;
    }
    return nullptr;
}

bool CDX9KelModel::IntersectRay(int x, int y, int width, int height, const D3DXMATRIX* pProj,
                                const D3DXMATRIX* pView, float* pDistance) {
    if (!pProj || !pView || !pDistance || width <= 0 || height <= 0)
        return false;
    UpdateFrameMatrices();
    std::function<bool(const D3DXFRAME*, CDX9KelFrameRecord*)> search = [&](const D3DXFRAME* f,
                                                                           CDX9KelFrameRecord* r) {
        for (; f && r; f = f->pFrameSibling, r = r->m_pSibling) {
            for (auto* c = f->pMeshContainer; c; c = c->pNextMeshContainer) {
                if (!c->MeshData.pMesh)
                    continue;
                // The pick ray in the frame's own space.
                D3DXMATRIX wv = r->m_mWorld * *pView, inv;
                if (!D3DXMatrixInverse(&inv, nullptr, &wv))
                    continue;
                D3DXVECTOR3 v((2.0f * x / width - 1) / pProj->_11, -(2.0f * y / height - 1) / pProj->_22, 1.0f);
                D3DXVECTOR3 dir, orig(inv._41, inv._42, inv._43);
                D3DXVec3TransformNormal(&dir, &v, &inv);
                BOOL hit = FALSE;
                float dist = 0;
                D3DXIntersect(c->MeshData.pMesh, &orig, &dir, &hit, nullptr, nullptr, nullptr, &dist, nullptr,
                              nullptr);
                if (hit) {
                    *pDistance = dist;
                    return true;
                }
            }
            if (search(f->pFrameFirstChild, r->m_pChild))
                return true;
        }
        return false;
    };
    return search(m_pFrame ? m_pFrame->m_pFrameRoot : nullptr, m_pRecords);
}

} // namespace Vorna3D
