// Frame hierarchies from ".x" files, built through the caller's allocator.
#include <cstring>
#include <functional>

#include "platform/d3dx/AnimationData.h"
#include "platform/d3dx/XFileReader.h"
#include "platform/os/Paths.h"

namespace {

thread_local std::string t_meshError;

HRESULT Fail(const std::string& why, HRESULT hr = D3DXERR_INVALIDDATA) {
    t_meshError = why;
    return hr;
}

// Builds the loaded mesh: FVF XYZ (+ NORMAL) (+ TEX1), faces in file order.
HRESULT BuildMesh(const XFile::Mesh& src, DWORD options, IDirect3DDevice9* device, ID3DXMesh** out) {
    DWORD fvf = D3DFVF_XYZ | (src.normals.empty() ? 0u : D3DFVF_NORMAL) | (src.texCoords.empty() ? 0u : D3DFVF_TEX1);
    DWORD nv = static_cast<DWORD>(src.positions.size());
    DWORD nf = static_cast<DWORD>(src.triangles.size());
    DWORD opts = (options & ~D3DXMESH_32BIT) | (nv > 0xFFFF ? D3DXMESH_32BIT : 0u);
    HRESULT hr = D3DXCreateMeshFVF(nf, nv, opts, fvf, device, out);
    if (FAILED(hr))
        return hr;
    ID3DXMesh* m = *out;
    int no = m->ElementOffset(D3DDECLUSAGE_NORMAL, 0), to = m->ElementOffset(D3DDECLUSAGE_TEXCOORD, 0);
    for (DWORD v = 0; v < nv; ++v) {
        std::memcpy(m->Vertex(v), &src.positions[v], 12);
        if (no >= 0)
            std::memcpy(m->Vertex(v) + no, &src.normals[v], 12);
        if (to >= 0)
            std::memcpy(m->Vertex(v) + to, &src.texCoords[v], 8);
    }
    for (DWORD f = 0; f < nf; ++f)
        for (int k = 0; k < 3; ++k)
            m->SetIndex(size_t(f) * 3 + k, src.triangles[f][k]);
    DWORD* attr = nullptr;
    m->LockAttributeBuffer(0, &attr);
    for (DWORD f = 0; f < nf; ++f)
        attr[f] = src.attributes[f];
    m->UnlockAttributeBuffer();
    return D3D_OK;
}

class HierarchyBuilder {
public:
    HierarchyBuilder(DWORD options, IDirect3DDevice9* device, ID3DXAllocateHierarchy* alloc)
        : m_options(options), m_device(device), m_alloc(alloc) {}

    HRESULT Frame(const XFile::Frame& src, D3DXFRAME** out) {
        *out = nullptr;
        D3DXFRAME* f = nullptr;
        HRESULT hr = m_alloc->CreateFrame(src.name.empty() ? nullptr : src.name.c_str(), &f);
        if (FAILED(hr) || !f)
            return Fail("the allocator refused frame '" + src.name + "'", FAILED(hr) ? hr : E_FAIL);
        *out = f;
        f->TransformationMatrix = src.transform;
        m_frames.push_back({src.name, &f->TransformationMatrix});
        D3DXMESHCONTAINER** tail = &f->pMeshContainer;
        for (const auto& mesh : src.meshes) {
            D3DXMESHCONTAINER* c = nullptr;
            hr = Container(mesh, &c);
            if (FAILED(hr))
                return hr;
            if (c) {
                *tail = c;
                tail = &c->pNextMeshContainer;
            }
        }
        D3DXFRAME** child = &f->pFrameFirstChild;
        for (const auto& ch : src.children) {
            hr = Frame(ch, child);
            if (FAILED(hr))
                return hr;
            child = &(*child)->pFrameSibling;
        }
        return D3D_OK;
    }

    std::vector<std::pair<std::string, D3DXMATRIX*>> m_frames;

private:
    HRESULT Container(const XFile::Mesh& src, D3DXMESHCONTAINER** out) {
        ID3DXMesh* mesh = nullptr;
        HRESULT hr = BuildMesh(src, m_options, m_device, &mesh);
        if (FAILED(hr))
            return Fail("cannot build mesh '" + src.name + "'", hr);
        std::vector<DWORD> adjacency(size_t(mesh->GetNumFaces()) * 3);
        mesh->GenerateAdjacency(0, adjacency.data());

        std::vector<D3DXMATERIAL> materials(src.materials.size());
        for (size_t i = 0; i < materials.size(); ++i) {
            const auto& m = src.materials[i];
            D3DMATERIAL9& d = materials[i].MatD3D;
            d.Diffuse = m.diffuse;
            d.Ambient = {0, 0, 0, 1};
            d.Specular = m.specular;
            d.Emissive = m.emissive;
            d.Power = m.power;
            materials[i].pTextureFilename =
                m.textureFile.empty() ? nullptr : const_cast<LPSTR>(m.textureFile.c_str());
        }

        ID3DXSkinInfo* skin = nullptr;
        if (!src.skin.empty()) {
            hr = D3DXCreateSkinInfo(mesh->GetNumVertices(), nullptr, static_cast<DWORD>(src.skin.size()), &skin);
            if (FAILED(hr)) {
                mesh->Release();
                return Fail("cannot create skin information", hr);
            }
            for (DWORD b = 0; b < src.skin.size(); ++b) {
                const auto& sw = src.skin[b];
                skin->SetBoneName(b, sw.bone.c_str());
                skin->SetBoneOffsetMatrix(b, &sw.offset);
                skin->SetBoneInfluence(b, static_cast<DWORD>(sw.vertices.size()), sw.vertices.data(),
                                       sw.weights.data());
            }
        }

        D3DXMESHDATA data{};
        data.Type = D3DXMESHTYPE_MESH;
        data.pMesh = mesh;
        hr = m_alloc->CreateMeshContainer(src.name.empty() ? nullptr : src.name.c_str(), &data,
                                          materials.empty() ? nullptr : materials.data(), nullptr,
                                          static_cast<DWORD>(materials.size()), adjacency.data(), skin, out);
        mesh->Release();
        SafeReleaseCom(skin);
        if (FAILED(hr))
            return Fail("the allocator refused mesh '" + src.name + "'", hr);
        return D3D_OK;
    }

    DWORD m_options;
    IDirect3DDevice9* m_device;
    ID3DXAllocateHierarchy* m_alloc;
};

HRESULT LoadScene(XFile::Scene& scene, DWORD meshOptions, IDirect3DDevice9* device, ID3DXAllocateHierarchy* alloc,
                  D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController) {
    HierarchyBuilder b(meshOptions, device, alloc);
    D3DXFRAME* root = nullptr;
    D3DXFRAME** next = &root;
    HRESULT hr = D3D_OK;
    for (const auto& f : scene.frames) {
        hr = b.Frame(f, next);
        if (FAILED(hr))
            break;
        next = &(*next)->pFrameSibling;
    }
    if (FAILED(hr)) {
        D3DXFrameDestroy(root, alloc);
        return hr;
    }
    if (animController && !scene.animationSets.empty()) {
        auto data = std::make_shared<ID3DXAnimationController::Data>();
        std::vector<D3DXMATRIX*> outputs;
        for (const auto& [name, matrix] : b.m_frames)
            outputs.push_back(matrix);
        for (const auto& set : scene.animationSets) {
            std::vector<int> map;
            for (const auto& an : set.animations) {
                int o = -1;
                for (size_t i = 0; i < b.m_frames.size(); ++i)
                    if (!an.frame.empty() && b.m_frames[i].first == an.frame) {
                        o = static_cast<int>(i);
                        break;
                    }
                map.push_back(o);
            }
            data->outputOf.push_back(std::move(map));
        }
        data->scene.ticksPerSecond = scene.ticksPerSecond;
        data->scene.animationSets = std::move(scene.animationSets);
        UINT sets = static_cast<UINT>(data->scene.animationSets.size());
        hr = ID3DXAnimationController::Create(data, outputs, static_cast<UINT>(outputs.size()), sets, 2, 30,
                                              animController);
        if (FAILED(hr)) {
            D3DXFrameDestroy(root, alloc);
            return Fail("cannot create the animation controller", hr);
        }
    }
    *frameHierarchy = root;
    return D3D_OK;
}

} // namespace

const char* D3DXGetLastMeshError() { return t_meshError.c_str(); }

HRESULT D3DXLoadMeshHierarchyFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD meshOptions,
                                           IDirect3DDevice9* device, ID3DXAllocateHierarchy* alloc,
                                           ID3DXLoadUserData*, D3DXFRAME** frameHierarchy,
                                           ID3DXAnimationController** animController) {
    if (frameHierarchy)
        *frameHierarchy = nullptr;
    if (animController)
        *animController = nullptr;
    if (!memory || !alloc || !frameHierarchy)
        return Fail("invalid call", D3DERR_INVALIDCALL);
    XFile::Scene scene;
    std::string error;
    if (!XFile::Parse(static_cast<const char*>(memory), sizeOfMemory, scene, error))
        return Fail(error);
    t_meshError.clear();
    return LoadScene(scene, meshOptions, device, alloc, frameHierarchy, animController);
}

HRESULT D3DXLoadMeshHierarchyFromXA(LPCSTR filename, DWORD meshOptions, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* alloc, ID3DXLoadUserData*, D3DXFRAME** frameHierarchy,
                                    ID3DXAnimationController** animController) {
    if (frameHierarchy)
        *frameHierarchy = nullptr;
    if (animController)
        *animController = nullptr;
    if (!filename || !alloc || !frameHierarchy)
        return Fail("invalid call", D3DERR_INVALIDCALL);
    XFile::Scene scene;
    std::string error;
    if (!XFile::ParseFile(filename, scene, error))
        return Fail(std::string(filename) + ": " + error, Platform::FileExists(filename) ? D3DXERR_INVALIDDATA
                                                                                        : D3DERR_NOTFOUND);
    t_meshError.clear();
    return LoadScene(scene, meshOptions, device, alloc, frameHierarchy, animController);
}

HRESULT D3DXFrameDestroy(D3DXFRAME* frameRoot, ID3DXAllocateHierarchy* alloc) {
    if (!alloc)
        return D3DERR_INVALIDCALL;
    // Siblings iteratively, children recursively (depth is capped by the reader).
    while (frameRoot) {
        D3DXFRAME* sibling = frameRoot->pFrameSibling;
        D3DXMESHCONTAINER* c = frameRoot->pMeshContainer;
        while (c) {
            D3DXMESHCONTAINER* nextC = c->pNextMeshContainer;
            alloc->DestroyMeshContainer(c);
            c = nextC;
        }
        if (frameRoot->pFrameFirstChild)
            D3DXFrameDestroy(frameRoot->pFrameFirstChild, alloc);
        alloc->DestroyFrame(frameRoot);
        frameRoot = sibling;
    }
    return D3D_OK;
}

D3DXFRAME* D3DXFrameFind(const D3DXFRAME* frameRoot, LPCSTR name) {
    for (const D3DXFRAME* f = frameRoot; f; f = f->pFrameSibling) {
        if (name && f->Name && std::strcmp(f->Name, name) == 0)
            return const_cast<D3DXFRAME*>(f);
        if (D3DXFRAME* hit = D3DXFrameFind(f->pFrameFirstChild, name))
            return hit;
    }
    return nullptr;
}

HRESULT D3DXFrameCalculateBoundingSphere(const D3DXFRAME* frameRoot, D3DXVECTOR3* objectCenter,
                                         FLOAT* objectRadius) {
    if (!frameRoot || !objectCenter || !objectRadius)
        return D3DERR_INVALIDCALL;
    std::vector<D3DXVECTOR3> points;
    std::function<void(const D3DXFRAME*, const D3DXMATRIX&)> walk = [&](const D3DXFRAME* f, const D3DXMATRIX& parent) {
        for (; f; f = f->pFrameSibling) {
            D3DXMATRIX m = f->TransformationMatrix * parent;
            for (const D3DXMESHCONTAINER* c = f->pMeshContainer; c; c = c->pNextMeshContainer) {
                ID3DXMesh* mesh = c->MeshData.pMesh;
                if (!mesh)
                    continue;
                for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
                    D3DXVECTOR3 p;
                    std::memcpy(&p, mesh->Vertex(v), sizeof(p));
                    D3DXVec3TransformCoord(&p, &p, &m);
                    points.push_back(p);
                }
            }
            walk(f->pFrameFirstChild, m);
        }
    };
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    walk(frameRoot, id);
    if (points.empty()) {
        *objectCenter = D3DXVECTOR3(0, 0, 0);
        *objectRadius = 0;
        return D3D_OK;
    }
    return D3DXComputeBoundingSphere(points.data(), static_cast<DWORD>(points.size()), sizeof(D3DXVECTOR3),
                                     objectCenter, objectRadius);
}
