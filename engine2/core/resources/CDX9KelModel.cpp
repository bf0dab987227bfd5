#include "engine2/core/resources/CDX9KelModel.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "platform/os/Paths.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Vorna2 {

namespace {

constexpr DWORD kMaxFaceInfluences = 12;

HRESULT AllocateName(LPCSTR name, LPSTR* out) {
    *out = nullptr;
    if (!name) return S_OK;
    const size_t len = strnlen(name, MAX_PATH - 1);
    char* copy = new (std::nothrow) char[len + 1];
    if (!copy) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CAllocateHierarchy::AllocateName : memcpy_s \n");
        return E_OUTOFMEMORY;
    }
    std::memcpy(copy, name, len);
    copy[len] = '\0';
    *out = copy;
    return S_OK;
}

} // namespace

// ---------------------------------------------------------------------------
HRESULT CAllocateHierarchy::CreateFrame(LPCSTR name, D3DXFRAME** newFrame) {
    if (!newFrame) return E_FAIL;
    *newFrame = nullptr;
    auto* f = new (std::nothrow) D3DXFRAME_DERIVED{};
    if (!f) return E_OUTOFMEMORY;
    const HRESULT hr = AllocateName(name, &f->Name);
    if (FAILED(hr)) {
        delete f;
        return hr;
    }
    D3DXMatrixIdentity(&f->TransformationMatrix);
    D3DXMatrixIdentity(&f->CombinedTransformationMatrix);
    *newFrame = f;
    return S_OK;
}

HRESULT CAllocateHierarchy::CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData,
                                                const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
                                                DWORD numMaterials, const DWORD* adjacency, ID3DXSkinInfo* skinInfo,
                                                D3DXMESHCONTAINER** newMeshContainer) {
    if (!newMeshContainer) return E_FAIL;
    *newMeshContainer = nullptr;
    if (!m_pResources || !meshData || meshData->Type != D3DXMESHTYPE_MESH || !meshData->pMesh ||
        meshData->pMesh->GetFVF() == 0)
        return E_FAIL;
    ID3DXMesh* loaded = meshData->pMesh;
    IDirect3DDevice9* device = m_pDevice;
    if (!device) loaded->GetDevice(&device);
    else device->AddRef();
    auto* c = new (std::nothrow) D3DXMESHCONTAINER_DERIVED{};
    if (!c) {
        SafeReleaseCom(device);
        return E_OUTOFMEMORY;
    }
    auto fail = [&](HRESULT hr) {
        DestroyMeshContainer(c);
        SafeReleaseCom(device);
        return hr;
    };
    HRESULT hr = AllocateName(name, &c->Name);
    if (FAILED(hr)) return fail(hr);
    const DWORD faces = loaded->GetNumFaces();
    m_dwFaces += faces;

    // A mesh without normals gets them computed.
    if (!(loaded->GetFVF() & D3DFVF_NORMAL)) {
        ID3DXMesh* withNormals = nullptr;
        hr = loaded->CloneMeshFVF(loaded->GetOptions(), loaded->GetFVF() | D3DFVF_NORMAL, device, &withNormals);
        if (FAILED(hr)) return fail(hr);
        D3DXComputeNormals(withNormals, nullptr);
        c->MeshData.pMesh = withNormals;
    } else {
        c->MeshData.pMesh = loaded;
        loaded->AddRef();
    }
    c->MeshData.Type = D3DXMESHTYPE_MESH;
    ID3DXMesh* mesh = c->MeshData.pMesh;

    c->NumMaterials = std::max<DWORD>(1, numMaterials);
    c->pMaterials = new (std::nothrow) D3DXMATERIAL[c->NumMaterials]();
    c->ppTextures = new (std::nothrow) IDirect3DBaseTexture9*[c->NumMaterials]();
    if (!c->pMaterials || !c->ppTextures) return fail(E_OUTOFMEMORY);
    if (numMaterials > 0 && materials) {
        for (DWORD i = 0; i < numMaterials; ++i) {
            c->pMaterials[i].MatD3D = materials[i].MatD3D;
            c->pMaterials[i].pTextureFilename = nullptr;
            if (materials[i].pTextureFilename && materials[i].pTextureFilename[0])
                c->ppTextures[i] = m_pResources->CreateTextureFromFile(
                    device, materials[i].pTextureFilename, m_Folder.empty() ? nullptr : m_Folder.c_str(), true, 0,
                    nullptr);
        }
    } else {
        c->pMaterials[0].MatD3D.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        c->pMaterials[0].MatD3D.Ambient = c->pMaterials[0].MatD3D.Diffuse;
    }
    c->pAdjacency = new (std::nothrow) DWORD[size_t(faces) * 3 + 1];
    if (!c->pAdjacency) return fail(E_OUTOFMEMORY);
    if (adjacency) std::memcpy(c->pAdjacency, adjacency, size_t(faces) * 3 * sizeof(DWORD));
    else mesh->GenerateAdjacency(0.0f, c->pAdjacency);

    if (skinInfo) {
        c->pSkinInfo = skinInfo;
        skinInfo->AddRef();
        c->pOrigMesh = mesh;
        mesh->AddRef();
        const DWORD bones = skinInfo->GetNumBones();
        c->pBoneOffsetMatrices = new (std::nothrow) D3DXMATRIX[std::max<DWORD>(1, bones)];
        if (!c->pBoneOffsetMatrices) return fail(E_OUTOFMEMORY);
        for (DWORD b = 0; b < bones; ++b) c->pBoneOffsetMatrices[b] = *skinInfo->GetBoneOffsetMatrix(b);
        hr = GenerateSkinnedMesh(device, c);
        if (FAILED(hr)) return fail(hr);
    } else {
        // A skinned mesh stays in bone-combination order: its table's face
        // ranges depend on it.
        hr = c->MeshData.pMesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                                c->pAdjacency, nullptr, nullptr, nullptr);
        if (FAILED(hr)) return fail(hr);
    }
    SafeReleaseCom(device);
    *newMeshContainer = c;
    return S_OK;
}

HRESULT CAllocateHierarchy::GenerateSkinnedMesh(IDirect3DDevice9* device, D3DXMESHCONTAINER_DERIVED* c) {
    if (!c->pSkinInfo || !device) return E_FAIL;
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    SafeReleaseCom(c->MeshData.pMesh);
    SafeReleaseCom(c->pBoneCombinationBuf);
    IDirect3DIndexBuffer9* ib = nullptr;
    if (FAILED(c->pOrigMesh->GetIndexBuffer(&ib)) || !ib) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CAllocateHierarchy : GenerateSkinnedMesh : SkinnedMesh has no Index Buffer\n");
        return E_FAIL;
    }
    DWORD maxFaceInfl = 0;
    const HRESULT hr = c->pSkinInfo->GetMaxFaceInfluences(ib, c->pOrigMesh->GetNumFaces(), &maxFaceInfl);
    ib->Release();
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CAllocateHierarchy : GenerateSkinnedMesh : SkinnedMesh has no Face Influences\n");
        return E_FAIL;
    }
    maxFaceInfl = std::min(maxFaceInfl, kMaxFaceInfluences);
    if (caps.MaxVertexBlendMatrixIndex + 1 < maxFaceInfl) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CAllocateHierarchy : GenerateSkinnedMesh : HW not support NumMaxFaceInfl\n");
        return E_FAIL;
    }
    c->NumPaletteEntries = std::min<DWORD>((caps.MaxVertexBlendMatrixIndex + 1) / 2, c->pSkinInfo->GetNumBones());
    if (FAILED(c->pSkinInfo->ConvertToIndexedBlendedMesh(c->pOrigMesh, D3DXMESH_MANAGED | D3DXMESHOPT_VERTEXCACHE,
                                                         c->NumPaletteEntries, c->pAdjacency, nullptr, nullptr,
                                                         nullptr, &c->NumInfl, &c->NumAttributeGroups,
                                                         &c->pBoneCombinationBuf, &c->MeshData.pMesh)))
        return E_FAIL;
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyFrame(D3DXFRAME* frameToFree) {
    if (frameToFree) {
        delete[] frameToFree->Name;
        delete static_cast<D3DXFRAME_DERIVED*>(frameToFree);
    }
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyMeshContainer(D3DXMESHCONTAINER* base) {
    auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(base);
    if (!c) return S_OK;
    delete[] c->Name;
    delete[] c->pAdjacency;
    if (c->ppTextures) {
        for (DWORD i = 0; i < c->NumMaterials; ++i)
            if (c->ppTextures[i] && m_pResources) m_pResources->ReleaseTexture(c->ppTextures[i]);
        delete[] c->ppTextures;
    }
    if (c->pMaterials)
        for (DWORD i = 0; i < c->NumMaterials; ++i) delete[] c->pMaterials[i].pTextureFilename;
    delete[] c->pMaterials;
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
CDX9KelBoundsRecord::CDX9KelBoundsRecord() { D3DXMatrixIdentity(&m_mLocal); }

CDX9KelBoundsRecord::~CDX9KelBoundsRecord() {
    delete m_pChild;
    // Siblings one after another, so long chains do not deepen the stack.
    CDX9KelBoundsRecord* s = m_pSibling;
    while (s) {
        CDX9KelBoundsRecord* next = s->m_pSibling;
        s->m_pSibling = nullptr;
        delete s;
        s = next;
    }
}

bool SetupBoneMatrixPointers(D3DXFRAME* frame, D3DXFRAME* root) {
    for (; frame; frame = frame->pFrameSibling) {
        auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(frame->pMeshContainer);
        for (; c; c = static_cast<D3DXMESHCONTAINER_DERIVED*>(c->pNextMeshContainer)) {
            if (!c->pSkinInfo) continue;
            const DWORD bones = c->pSkinInfo->GetNumBones();
            delete[] c->ppBoneMatrixPtrs;
            c->ppBoneMatrixPtrs = new D3DXMATRIX*[std::max<DWORD>(1, bones)]();
            for (DWORD b = 0; b < bones; ++b) {
                auto* bone = static_cast<D3DXFRAME_DERIVED*>(D3DXFrameFind(root, c->pSkinInfo->GetBoneName(b)));
                if (!bone) return false;
                c->ppBoneMatrixPtrs[b] = &bone->CombinedTransformationMatrix;
            }
        }
        if (frame->pFrameFirstChild && !SetupBoneMatrixPointers(frame->pFrameFirstChild, root)) return false;
    }
    return true;
}

CDX9KelModel::CDX9KelModel() { D3DXMatrixIdentity(&m_mWorld); }

CDX9KelModel::~CDX9KelModel() {
    delete m_pBounds;
    m_pBounds = nullptr;
}

CDX9KelBoundsRecord* CDX9KelModel::BuildBounds(const D3DXFRAME* frame) {
    CDX9KelBoundsRecord* first = nullptr;
    CDX9KelBoundsRecord** link = &first;
    for (; frame; frame = frame->pFrameSibling) {
        auto* r = new CDX9KelBoundsRecord();
        r->m_mLocal = frame->TransformationMatrix;
        r->m_pChild = BuildBounds(frame->pFrameFirstChild);
        *link = r;
        link = &r->m_pSibling;
    }
    return first;
}

HRESULT CDX9KelModel::LoadFromFile(CDX9KelGraphicsResManager* resources, IDirect3DDevice9* device, const char* folder,
                                   const char* fileName) {
    if (!resources) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelModel : LoadFromFile : m_pGrahResManager == NULL \n");
        return E_FAIL;
    }
    if (!fileName) return E_FAIL;
    m_FileName = fileName;
    m_pFrameRoot = resources->GetXFile(fileName, &m_pAnimController, &m_dwFaces);
    if (!m_pFrameRoot) {
        // Texture names are relative to the model's folder: the file and its
        // textures are read from there, and the process's current directory
        // is left alone.
        CAllocateHierarchy alloc(resources, device);
        std::string path;
        if (folder && folder[0]) {
            alloc.m_Folder = Platform::WithTrailingSeparator(folder);
            path = alloc.m_Folder;
        }
        path += fileName;
        if (path.size() > MAX_PATH - 1) path.resize(MAX_PATH - 1);
        D3DXFRAME* root = nullptr;
        ID3DXAnimationController* controller = nullptr;
        const HRESULT hr =
            D3DXLoadMeshHierarchyFromXA(path.c_str(), D3DXMESH_MANAGED, device, &alloc, nullptr, &root, &controller);
        if (FAILED(hr) || !root) return E_FAIL;
        if (!SetupBoneMatrixPointers(root, root)) {
            g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelModel : LoadFromFile : SetupBoneMatrixPointers \n");
            D3DXFrameDestroy(root, &alloc);
            SafeReleaseCom(controller);
            return E_FAIL;
        }
        m_dwFaces = alloc.m_dwFaces;
        if (!resources->AddXFile(fileName, root, controller, m_dwFaces)) {
            D3DXFrameDestroy(root, &alloc);
            SafeReleaseCom(controller);
            return E_FAIL;
        }
        m_pFrameRoot = root;
        m_pAnimController = controller;
    }
    if (FAILED(D3DXFrameCalculateBoundingSphere(m_pFrameRoot, &m_vSphereCenter, &m_fSphereRadius))) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelModel : LoadFromFile : D3DXFrameCalculateBoundingSphere\n");
        return E_FAIL;
    }
    if (m_pAnimController) m_dwAnimationSets = m_pAnimController->GetMaxNumAnimationSets();
    delete m_pBounds;
    m_pBounds = BuildBounds(m_pFrameRoot);
    UpdateFrameMatrices(m_pFrameRoot, m_pBounds, &m_mWorld);
    UpdateFrameBoundingBoxes(m_pFrameRoot, m_pBounds);
    return S_OK;
}

void CDX9KelModel::UpdateFrameMatrices(D3DXFRAME* frame, CDX9KelBoundsRecord* record, const D3DXMATRIX* parentMatrix) {
    for (; frame && record; frame = frame->pFrameSibling, record = record->m_pSibling) {
        auto* f = static_cast<D3DXFRAME_DERIVED*>(frame);
        if (parentMatrix) D3DXMatrixMultiply(&f->CombinedTransformationMatrix, &record->m_mLocal, parentMatrix);
        else f->CombinedTransformationMatrix = record->m_mLocal;
        if (frame->pFrameFirstChild)
            UpdateFrameMatrices(frame->pFrameFirstChild, record->m_pChild, &f->CombinedTransformationMatrix);
    }
}

void CDX9KelModel::UpdateFrameBoundingBoxes(D3DXFRAME* frame, CDX9KelBoundsRecord* record) {
    for (; frame && record; frame = frame->pFrameSibling, record = record->m_pSibling) {
        auto* f = static_cast<D3DXFRAME_DERIVED*>(frame);
        if (frame->pMeshContainer && frame->pMeshContainer->MeshData.pMesh) {
            D3DXVECTOR3 lo, hi;
            if (SUCCEEDED(D3DXComputeBoundingBoxMesh(frame->pMeshContainer->MeshData.pMesh, &lo, &hi))) {
                // Every corner of the mesh's box, so that a turned frame
                // still gives a box whose minimum lies below its maximum.
                for (int corner = 0; corner < 8; ++corner) {
                    const D3DXVECTOR3 c(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z);
                    D3DXVECTOR3 p;
                    D3DXVec3TransformCoord(&p, &c, &f->CombinedTransformationMatrix);
                    if (corner == 0) record->m_vBoxMin = record->m_vBoxMax = p;
                    D3DXVec3Minimize(&record->m_vBoxMin, &record->m_vBoxMin, &p);
                    D3DXVec3Maximize(&record->m_vBoxMax, &record->m_vBoxMax, &p);
                }
                record->m_vCenter = (record->m_vBoxMin + record->m_vBoxMax) * 0.5f;
                const D3DXVECTOR3 diag = record->m_vBoxMax - record->m_vBoxMin;
                record->m_fRadius = D3DXVec3Length(&diag) * 0.5f;
            }
        }
        if (frame->pFrameFirstChild) UpdateFrameBoundingBoxes(frame->pFrameFirstChild, record->m_pChild);
    }
}

void CDX9KelModel::Render(IDirect3DDevice9* device, float timeStep, const D3DXMATRIX* viewProjection, UINT passCount) {
    if (!m_bVisible || m_bDrawn) return;
    Draw(device, timeStep, viewProjection, passCount);
    m_bDrawn = true;
}

void CDX9KelModel::RenderAgain(IDirect3DDevice9* device, float timeStep, const D3DXMATRIX* viewProjection,
                               UINT passCount) {
    Draw(device, timeStep, viewProjection, passCount);
}

void CDX9KelModel::Draw(IDirect3DDevice9* device, float timeStep, const D3DXMATRIX* viewProjection, UINT passCount) {
    if (!device || !m_pFrameRoot) return;
    if (m_pAnimController) {
        const float step = timeStep / m_fAnimationDivisor;
        m_pAnimController->AdvanceTime(step, nullptr);
        m_fAnimationTime += step;
    }
    UpdateFrameMatrices(m_pFrameRoot, m_pBounds, &m_mWorld);
    m_bForceTexture = true;
    DrawFrame(device, m_pFrameRoot, viewProjection, passCount);
}

void CDX9KelModel::DrawFrame(IDirect3DDevice9* device, D3DXFRAME* frame, const D3DXMATRIX* viewProjection,
                             UINT passCount) {
    for (; frame; frame = frame->pFrameSibling) {
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer)
            DrawContainer(device, static_cast<D3DXMESHCONTAINER_DERIVED*>(c), static_cast<D3DXFRAME_DERIVED*>(frame),
                          viewProjection, passCount);
        if (frame->pFrameFirstChild) DrawFrame(device, frame->pFrameFirstChild, viewProjection, passCount);
    }
}

void CDX9KelModel::SetTexture(IDirect3DDevice9* device, IDirect3DBaseTexture9* texture) {
    const DWORD key = static_cast<DWORD>(reinterpret_cast<uintptr_t>(texture));
    if (!m_bForceTexture && key == m_dwLastTexture) return;
    device->SetTexture(0, texture);
    m_dwLastTexture = key;
    m_bForceTexture = false;
}

void CDX9KelModel::DrawContainer(IDirect3DDevice9* device, D3DXMESHCONTAINER_DERIVED* c, D3DXFRAME_DERIVED* frame,
                                 const D3DXMATRIX* viewProjection, UINT passCount) {
    ID3DXMesh* mesh = c->MeshData.pMesh;
    if (!mesh) return;
    if (c->pSkinInfo) {
        // Indexed vertex blending: a palette of bone matrices per combination.
        if (!c->pBoneCombinationBuf || !c->ppBoneMatrixPtrs) return;
        device->SetRenderState(D3DRS_VERTEXBLEND, c->NumInfl == 1 ? D3DVBF_0WEIGHTS : c->NumInfl - 1);
        if (c->NumInfl) device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
        const auto* combos = static_cast<const D3DXBONECOMBINATION*>(c->pBoneCombinationBuf->GetBufferPointer());
        for (DWORD g = 0; g < c->NumAttributeGroups; ++g) {
            for (DWORD e = 0; e < c->NumPaletteEntries; ++e) {
                const DWORD bone = combos[g].BoneId[e];
                if (bone == UINT_MAX || !c->ppBoneMatrixPtrs[bone]) continue;
                D3DXMATRIX m;
                D3DXMatrixMultiply(&m, &c->pBoneOffsetMatrices[bone], c->ppBoneMatrixPtrs[bone]);
                device->SetTransform(D3DTS_WORLDMATRIX(e), &m);
            }
            const DWORD attrib = combos[g].AttribId;
            SetTexture(device, attrib < c->NumMaterials ? c->ppTextures[attrib] : nullptr);
            if (attrib < c->NumMaterials) device->SetMaterial(&c->pMaterials[attrib].MatD3D);
            mesh->DrawSubset(g);
        }
        device->SetRenderState(D3DRS_VERTEXBLEND, 0);
        device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, 0);
        return;
    }
    if (!m_pEffect || !m_pEffect->m_pEffect) {
        device->SetTransform(D3DTS_WORLD, &frame->CombinedTransformationMatrix);
        for (DWORD i = 0; i < c->NumMaterials; ++i) {
            SetTexture(device, c->ppTextures[i]);
            device->SetMaterial(&c->pMaterials[i].MatD3D);
            mesh->DrawSubset(i);
        }
        return;
    }
    ID3DXEffect* fx = m_pEffect->m_pEffect;
    const D3DXMATRIX& world = frame->CombinedTransformationMatrix;
    D3DXMATRIX inverse, inverseTranspose, wvp;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world)) D3DXMatrixIdentity(&inverse);
    D3DXMatrixTranspose(&inverseTranspose, &inverse);
    if (viewProjection) D3DXMatrixMultiply(&wvp, &world, viewProjection);
    else wvp = world;
    auto set = [&](EKelEffectHandle h, const D3DXMATRIX& m) {
        if (m_pEffect->Handle(h)) fx->SetMatrix(m_pEffect->Handle(h), &m);
    };
    set(KEL_FX_MATRIX_WORLD, world);
    set(KEL_FX_MATRIX_WORLD_INVERSE_TRANSPOSE, inverseTranspose);
    set(KEL_FX_MATRIX_WORLD_VIEW_PROJ, wvp);
    for (UINT p = 0; p < passCount; ++p) {
        fx->BeginPass(p);
        for (DWORD i = 0; i < c->NumMaterials; ++i) {
            const D3DMATERIAL9& mat = c->pMaterials[i].MatD3D;
            if (m_pEffect->Handle(KEL_FX_TEXTURE_MAIN))
                fx->SetTexture(m_pEffect->Handle(KEL_FX_TEXTURE_MAIN), c->ppTextures[i]);
            if (m_pEffect->Handle(KEL_FX_MATERIAL_DIFFUSE))
                fx->SetValue(m_pEffect->Handle(KEL_FX_MATERIAL_DIFFUSE), &mat.Diffuse, sizeof mat.Diffuse);
            if (m_pEffect->Handle(KEL_FX_MATERIAL_AMBIENT))
                fx->SetValue(m_pEffect->Handle(KEL_FX_MATERIAL_AMBIENT), &mat.Ambient, sizeof mat.Ambient);
            if (m_pEffect->Handle(KEL_FX_MATERIAL_SPECULAR))
                fx->SetValue(m_pEffect->Handle(KEL_FX_MATERIAL_SPECULAR), &mat.Specular, sizeof mat.Specular);
            if (m_pEffect->Handle(KEL_FX_MATERIAL_EMISSIVE))
                fx->SetValue(m_pEffect->Handle(KEL_FX_MATERIAL_EMISSIVE), &mat.Emissive, sizeof mat.Emissive);
            if (m_pEffect->Handle(KEL_FX_MATERIAL_POWER))
                fx->SetFloat(m_pEffect->Handle(KEL_FX_MATERIAL_POWER), mat.Power);
            fx->CommitChanges();
            mesh->DrawSubset(i);
        }
        fx->EndPass();
    }
}

bool CDX9KelModel::PickFrame(D3DXFRAME* frame, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction,
                             float* outDistance) {
    for (; frame; frame = frame->pFrameSibling) {
        auto* f = static_cast<D3DXFRAME_DERIVED*>(frame);
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer) {
            if (!c->MeshData.pMesh) continue;
            D3DXMATRIX inverse;
            if (!D3DXMatrixInverse(&inverse, nullptr, &f->CombinedTransformationMatrix)) continue;
            D3DXVECTOR3 o, d;
            D3DXVec3TransformCoord(&o, &origin, &inverse);
            D3DXVec3TransformNormal(&d, &direction, &inverse);
            BOOL hit = FALSE;
            float dist = 0.0f;
            // A skinned container is tested on its mesh as loaded.
            ID3DXMesh* mesh = static_cast<D3DXMESHCONTAINER_DERIVED*>(c)->pOrigMesh
                                  ? static_cast<D3DXMESHCONTAINER_DERIVED*>(c)->pOrigMesh
                                  : c->MeshData.pMesh;
            if (SUCCEEDED(D3DXIntersect(mesh, &o, &d, &hit, nullptr, nullptr, nullptr, &dist, nullptr, nullptr)) &&
                hit) {
                if (outDistance) *outDistance = dist;
                return true;
            }
        }
        if (frame->pFrameFirstChild && PickFrame(frame->pFrameFirstChild, origin, direction, outDistance))
            return true;
    }
    return false;
}

bool CDX9KelModel::Pick(const D3DXVECTOR3& rayOrigin, const D3DXVECTOR3& rayDirection, float* outDistance) {
    if (!m_pFrameRoot) return false;
    UpdateFrameMatrices(m_pFrameRoot, m_pBounds, &m_mWorld);
    return PickFrame(m_pFrameRoot, rayOrigin, rayDirection, outDistance);
}

bool CDX9KelModel::GetModelBoundingBox(D3DXVECTOR3* outMin, D3DXVECTOR3* outMax, CDX9KelModel* model) {
    if (!model || !model->m_pFrameRoot || !outMin || !outMax || !model->m_pBounds) return false;
    const D3DXVECTOR3 t(model->m_mWorld._41, model->m_mWorld._42, model->m_mWorld._43);
    const D3DXFRAME* root = model->m_pFrameRoot;
    const CDX9KelBoundsRecord* r = model->m_pBounds;
    if (!root->pFrameFirstChild && !root->pFrameSibling) {
        *outMin = t + r->m_vBoxMin;
        *outMax = t + r->m_vBoxMax;
    } else if (root->pFrameFirstChild && !root->pFrameFirstChild->pFrameFirstChild && r->m_pChild) {
        *outMin = t + r->m_pChild->m_vBoxMin;
        *outMax = t + r->m_pChild->m_vBoxMax;
    } else {
        const D3DXVECTOR3 s(model->m_fSphereRadius, model->m_fSphereRadius, model->m_fSphereRadius);
        *outMin = t + model->m_vSphereCenter - s;
        *outMax = t + model->m_vSphereCenter + s;
    }
    return true;
}

bool CDX9KelModel::FindFrameByName(const char* name, D3DXFRAME* rootFrame, CDX9KelBoundsRecord* rootRecord,
                                   D3DXFRAME** outFrame, CDX9KelBoundsRecord** outRecord) {
    if (!name || !rootFrame) return false;
    if (CDX9KelUtils::GetIdenticalString(rootFrame->Name, name)) {
        if (outFrame) *outFrame = rootFrame;
        if (outRecord) *outRecord = rootRecord;
        return true;
    }
    if (rootFrame->pFrameSibling &&
        FindFrameByName(name, rootFrame->pFrameSibling, rootRecord ? rootRecord->m_pSibling : nullptr, outFrame,
                        outRecord))
        return true;
    return rootFrame->pFrameFirstChild &&
           FindFrameByName(name, rootFrame->pFrameFirstChild, rootRecord ? rootRecord->m_pChild : nullptr, outFrame,
                           outRecord);
}

} // namespace Vorna2
