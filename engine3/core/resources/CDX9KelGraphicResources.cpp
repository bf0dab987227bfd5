#include "engine3/core/resources/CDX9KelGraphicResources.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "platform/os/ResultCodes.h"

namespace Vorna3D {

namespace {
// Folder and file name joined without a separator, cut to 259 characters.
std::string JoinPath(const char* folder, const char* file) {
    std::string path = std::string(folder) + file;
    if (path.size() > MAX_PATH - 1)
        path.resize(MAX_PATH - 1);
    return path;
}
} // namespace

// ---------------------------------------------------------------------------
void CDX9KelGraphicResourceTexture::Release() { SafeReleaseCom(m_pTexture); }

void CDX9KelGraphicResourceTexture::OnLost(int) {
    if (m_dwUsage != 0)
        SafeReleaseCom(m_pTexture);
}

void CDX9KelGraphicResourceTexture::Restore(IDirect3DDevice9* pDevice) {
    if (m_dwUsage == 0 || m_pTexture || !pDevice)
        return;
    IDirect3DTexture9* t = nullptr;
    if (FAILED(pDevice->CreateTexture(m_dwWidth, m_dwHeight, m_dwMipLevels, m_dwUsage,
                                      static_cast<D3DFORMAT>(m_dwFormat), D3DPOOL_DEFAULT, &t, nullptr))) {
        g_Log.Write(3, "CDX9KelGraphicResourceTexture::Restore() : f_pD3DDevice->CreateTexture failed \n");
        return;
    }
    m_pTexture = t;
}

void CDX9KelGraphicResourceEffect::Release() { SafeReleaseCom(m_pEffect); }
void CDX9KelGraphicResourceEffect::OnLost(int) {
    if (m_pEffect)
        m_pEffect->OnLostDevice();
}
void CDX9KelGraphicResourceEffect::Restore(IDirect3DDevice9*) {
    if (m_pEffect)
        m_pEffect->OnResetDevice();
}

CDX9KelGraphicResourceFrame::~CDX9KelGraphicResourceFrame() {
    if (m_pFrameRoot) {
        CAllocateHierarchy alloc;
        D3DXFrameDestroy(m_pFrameRoot, &alloc);
        m_pFrameRoot = nullptr;
    }
    SafeReleaseCom(m_pAnimController);
}

void CDX9KelGraphicResourceDepthStencil::Release() { SafeReleaseCom(m_pSurface); }
void CDX9KelGraphicResourceDepthStencil::OnLost(int) { SafeReleaseCom(m_pSurface); }
void CDX9KelGraphicResourceDepthStencil::Restore(IDirect3DDevice9* pDevice) {
    if (m_pSurface || !pDevice)
        return;
    pDevice->CreateDepthStencilSurface(m_dwWidth, m_dwHeight, m_Format, D3DMULTISAMPLE_NONE, 0, m_bDiscard,
                                       &m_pSurface, nullptr);
}

void CDX9KelGraphicOffscreenSurface::Release() { SafeReleaseCom(m_pSurface); }
void CDX9KelGraphicOffscreenSurface::OnLost(int) { SafeReleaseCom(m_pSurface); }
void CDX9KelGraphicOffscreenSurface::Restore(IDirect3DDevice9* pDevice) {
    if (m_pSurface || !pDevice || m_Pool == D3DPOOL_MANAGED || m_Pool == D3DPOOL_SCRATCH)
        return;
    pDevice->CreateOffscreenPlainSurface(m_dwWidth, m_dwHeight, m_Format, m_Pool, &m_pSurface, nullptr);
}

// ---------------------------------------------------------------------------
CDX9KelGraphicResourceTexture* CDX9KelTextureManager::CreateTextureFromFile(const char* szFolder,
                                                                           const char* szFileName,
                                                                           IDirect3DDevice9* pDevice,
                                                                           bool bPlainLoad, D3DCOLOR colorKey) {
    if (!szFolder || !szFileName || !*szFolder || !*szFileName)
        return nullptr;
    if (CDX9KelBaseResource* shared = ShareByNameAndFolder(szFileName, szFolder))
        return static_cast<CDX9KelGraphicResourceTexture*>(shared);
    if (!pDevice) {
        g_Log.Write(3, "CDX9KelTextureManager::CreateTextureFromFile : pD3DDevice == NULL \n");
        return nullptr;
    }
    std::string path = JoinPath(szFolder, szFileName);
    D3DXIMAGE_INFO info{};
    HRESULT hr = D3DXGetImageInfoFromFileA(path.c_str(), &info);
    if (FAILED(hr)) {
        g_Log.Write(3, "%s%s%s%s\n", "Texture not found: ", path.c_str(), ", DirectX Error String: ",
                    DXGetErrorStringA(hr));
        return nullptr;
    }
    IDirect3DBaseTexture9* base = nullptr;
    IUnknown* created = nullptr;
    const char* what = nullptr;
    switch (info.ResourceType) {
    case D3DRTYPE_TEXTURE: {
        IDirect3DTexture9* t = nullptr;
        if (bPlainLoad) {
            hr = D3DXCreateTextureFromFileA(pDevice, path.c_str(), &t);
            what = "D3DXCreateTextureFromFile failed: ";
        } else {
            hr = D3DXCreateTextureFromFileExA(pDevice, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                              D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, colorKey,
                                              nullptr, nullptr, &t);
            what = "D3DXCreateTextureFromFileEx failed: ";
        }
        created = t;
        break;
    }
    case D3DRTYPE_VOLUMETEXTURE: {
        IDirect3DVolumeTexture9* t = nullptr;
        hr = D3DXCreateVolumeTextureFromFileA(pDevice, path.c_str(), &t);
        what = "D3DXCreateVolumeTextureFromFile failed: ";
        created = t;
        break;
    }
    case D3DRTYPE_CUBETEXTURE: {
        IDirect3DCubeTexture9* t = nullptr;
        hr = D3DXCreateCubeTextureFromFileA(pDevice, path.c_str(), &t);
        what = "D3DXCreateCubeTextureFromFile failed: ";
        created = t;
        break;
    }
    default:
        // Only 2D, volume and cube images make texture resources.
        g_Log.Write(3, "%s%s%s%s\n", "Texture not found: ", path.c_str(), ", DirectX Error String: ",
                    DXGetErrorStringA(D3DXERR_INVALIDDATA));
        return nullptr;
    }
    if (FAILED(hr) || !created) {
        g_Log.Write(3, "%s%s%s%s\n", what, path.c_str(), ", DirectX Error String: ", DXGetErrorStringA(hr));
        return nullptr;
    }
    created->QueryInterface(IID_IDirect3DBaseTexture9, reinterpret_cast<void**>(&base));
    created->Release();
    auto* res = new CDX9KelGraphicResourceTexture();
    res->m_pTexture = base;
    res->m_dwWidth = info.Width;
    res->m_dwHeight = info.Height;
    res->m_dwDepth = info.Depth;
    res->m_dwMipLevels = info.MipLevels;
    res->m_dwFormat = info.Format;
    res->m_dwResourceType = info.ResourceType;
    res->m_dwImageFileFormat = info.ImageFileFormat;
    res->m_dwUsage = 0;
    res->m_strFileName = szFileName;
    res->m_strFolder = szFolder;
    if (!AddNewResource(res))
        return nullptr;
    return res;
}

CDX9KelGraphicResourceTexture* CDX9KelTextureManager::CreateDinamicTexture(const char* szName, DWORD width,
                                                                          DWORD height, DWORD levels, DWORD usage,
                                                                          D3DFORMAT format,
                                                                          IDirect3DDevice9* pDevice) {
    if (!pDevice)
        return nullptr;
    IDirect3DTexture9* t = nullptr;
    if (FAILED(pDevice->CreateTexture(width, height, levels, usage, format, D3DPOOL_DEFAULT, &t, nullptr))) {
        g_Log.Write(3, "CDX9KelTextureManager::CreateDinamicTexture : CreateTexture failed\n");
        return nullptr;
    }
    auto* res = new CDX9KelGraphicResourceTexture();
    res->m_pTexture = t;
    res->m_strName = szName ? szName : "";
    res->m_dwWidth = width;
    res->m_dwHeight = height;
    res->m_dwMipLevels = levels;
    res->m_dwUsage = usage;
    res->m_dwFormat = format;
    res->m_dwResourceType = D3DRTYPE_TEXTURE;
    if (!AddNewResource(res))
        return nullptr;
    return res;
}

CDX9KelGraphicResourceEffect* CDX9KelEffectManager::CreateEffectFromFile(const char* szFolder,
                                                                        const char* szFileName,
                                                                        IDirect3DDevice9* pDevice) {
    if (!szFolder || !szFileName || !*szFolder || !*szFileName)
        return nullptr;
    if (CDX9KelBaseResource* shared = ShareByNameAndFolder(szFileName, szFolder))
        return static_cast<CDX9KelGraphicResourceEffect*>(shared);
    if (!pDevice) {
        g_Log.Write(3, "Error : CDX9KelEffectManager::CreateEffectFromFile : pD3DDevice == NULL \n");
        return nullptr;
    }
    std::string path = JoinPath(szFolder, szFileName);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    HRESULT hr = D3DXCreateEffectFromFileA(pDevice, path.c_str(), nullptr, nullptr,
                                           D3DXSHADER_OPTIMIZATION_LEVEL3 | D3DXSHADER_SKIPVALIDATION, nullptr,
                                           &effect, &errors);
    if (FAILED(hr)) {
        g_Log.Write(3, "%s%s\n", "Error : CDX9KelEffectManager::CreateEffectFromFile : D3DXCreateEffectFromFile :",
                    DXGetErrorStringA(hr));
        if (errors)
            g_Log.Write(3, "%s%s\n",
                        "Error : CDX9KelEffectManager::CreateEffectFromFile : D3DXCreateEffectFromFile :",
                        static_cast<const char*>(errors->GetBufferPointer()));
        SafeReleaseCom(errors);
        return nullptr;
    }
    SafeReleaseCom(errors);
    auto* res = new CDX9KelGraphicResourceEffect();
    res->m_pEffect = effect;
    res->m_strFileName = szFileName;
    res->m_strFolder = szFolder;
    if (!AddNewResource(res))
        return nullptr;
    m_vNewEffects.push_back(res);
    return res;
}

bool CDX9KelFrameManager::CreateFrameFromFile(CDX9KelGraphicResourceFrame** ppFrame,
                                              ID3DXAnimationController** ppController, const char* szFileName,
                                              const char* szFolder, IDirect3DDevice9* pDevice) {
    if (!ppFrame || !ppController || !szFileName || !szFolder)
        return false;
    *ppFrame = nullptr;
    *ppController = nullptr;
    if (CDX9KelBaseResource* shared = ShareByNameAndFolder(szFileName, szFolder)) {
        auto* f = static_cast<CDX9KelGraphicResourceFrame*>(shared);
        if (f->m_pAnimController) {
            ID3DXAnimationController* c = f->m_pAnimController;
            c->CloneAnimationController(c->GetMaxNumAnimationOutputs(), c->GetMaxNumAnimationSets(),
                                        c->GetMaxNumTracks(), c->GetMaxNumEvents(), ppController);
        }
        *ppFrame = f;
        return true;
    }
    // The folder is given to the loader with the name instead of changing
    // the process's current directory (other threads run meanwhile).
    std::string path = JoinPath(szFolder, szFileName);
    CAllocateHierarchy alloc(pDevice);
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    HRESULT hr = D3DXLoadMeshHierarchyFromXA(path.c_str(), D3DXMESH_MANAGED, pDevice, &alloc, nullptr, &root,
                                             &controller);
    if (FAILED(hr) || !root) {
        if (*D3DXGetLastMeshError())
            g_Log.Write(2, "%s%s\n", "CDX9KelFrameManager::CreateFrameFromFile : ", D3DXGetLastMeshError());
        SafeReleaseCom(controller);
        return false;
    }
    auto* res = new CDX9KelGraphicResourceFrame();
    res->m_pFrameRoot = root;
    res->m_dwFaces = alloc.m_dwFaces;
    res->m_bSkinned = alloc.m_bSkinned;
    res->m_strFileName = szFileName;
    res->m_strFolder = szFolder;
    if (controller &&
        FAILED(controller->CloneAnimationController(controller->GetMaxNumAnimationOutputs(),
                                                    controller->GetMaxNumAnimationSets(),
                                                    controller->GetMaxNumTracks(), controller->GetMaxNumEvents(),
                                                    &res->m_pAnimController))) {
        controller->Release();
        delete res;
        return false;
    }
    if (!AddResource(res)) {
        SafeReleaseCom(controller);
        delete res;
        return false;
    }
    res->m_dwRefCount = 1;
    *ppFrame = res;
    *ppController = controller;
    return true;
}

CDX9KelModel* CDX9KelModelManager::CreateModelFromFile(CDX9KelGraphicsResManager* pOwner, const char* szFolder,
                                                      const char* szFileName, const char* szEffectFolder,
                                                      const char* szEffectFileName, IDirect3DDevice9*) {
    if (!pOwner || !szFolder || !szFileName || !*szFolder || !*szFileName)
        return nullptr;
    CDX9KelGraphicResourceFrame* frame = nullptr;
    ID3DXAnimationController* controller = nullptr;
    if (!pOwner->CreateFrameFromFile(&frame, &controller, szFileName, szFolder))
        return nullptr;
    CDX9KelGraphicResourceEffect* effect = nullptr;
    if (szEffectFolder && szEffectFileName && *szEffectFolder && *szEffectFileName)
        effect = pOwner->CreateEffectFromFile(szEffectFolder, szEffectFileName);
    auto* model = new CDX9KelModel();
    model->m_pResManager = pOwner;
    model->m_pFrame = frame;
    model->m_pAnimController = controller;
    model->m_pEffect = effect;
    if (!model->Init()) {
        model->Release();
        delete model;
        return nullptr;
    }
    if (!AddNewResource(model))
        return nullptr;
    return model;
}

bool CDX9KelGraphicObjectsManager::ReleaseGraphicObject(CDX9KelBaseResource* pObject) {
    if (!m_pTextureManager || !m_pEffectManager || !Holds(pObject))
        return false;
    // The last reference: the object's textures, effects and surfaces go
    // back to their managers first, so a released map leaves nothing behind.
    if (pObject->m_dwRefCount <= 1)
        pObject->ReleaseHeldResources();
    return ReleaseResource(pObject);
}

void CDX9KelGraphicObjectsManager::ReleaseAll() {
    for (std::size_t i = 0; i < m_vResources.size(); ++i) {
        CDX9KelBaseResource* p = m_vResources[i];
        if (!p)
            continue;
        p->m_dwRefCount = 0;
        if (!ReleaseGraphicObject(p)) {
            // Without the manager references the object still goes.
            p->Release();
            delete p;
            FreeSlot(static_cast<DWORD>(i));
        }
    }
}

bool CDX9KelGraphicObjectsManager::ReleaseByFolder(const char* szFolder) {
    if (!szFolder || !*szFolder)
        return false;
    for (CDX9KelBaseResource* p : m_vResources)
        if (p && p->m_strFolder == szFolder)
            ReleaseGraphicObject(p);
    return true;
}

} // namespace Vorna3D
