#include "engine2/core/resources/CDX9KelGraphicsResManager.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "platform/os/ResultCodes.h"

#include <cstring>
#include <new>
#include <string>

namespace Vorna2 {

const char* const kKelEffectHandleNames[KEL_FX_HANDLE_COUNT] = {
    "g_LightDir",        "g_LightDiffuse",       "g_LightAmbient",
    "g_SunVector",       "g_SunColor",           "g_SunShininess",
    "g_SunStrength",     "g_MatrixWorld",        "g_MatrixWorldInverseTranspose",
    "g_MatrixWorldViewProj", "g_MatrixView",     "g_MatrixViewProj",
    "g_MatrixViewInverse", "g_VectorViewPos",    "g_MaterialDiffuse",
    "g_MaterialAmbient", "g_MaterialSpecular",   "g_MaterialEmissive",
    "g_MaterialPower",   "g_TextureMain",        "g_TextureNormal",
    "g_TextureNoise",    "g_Time"};

CDX9KelEffect::CDX9KelEffect() { D3DXMatrixIdentity(&m_mViewProjection); }

namespace {

void CopyName(char (&out)[CDX9KelGraphicsResManager::kNameSize], const char* name) {
    std::memset(out, 0, sizeof out);
    std::strncpy(out, name, sizeof out - 1);
}

std::string Cut(std::string text) {
    if (text.size() > CDX9KelGraphicsResManager::kNameSize - 1) text.resize(CDX9KelGraphicsResManager::kNameSize - 1);
    return text;
}

} // namespace

CDX9KelGraphicsResManager::~CDX9KelGraphicsResManager() {
    ReleaseAllTextures();
    DeleteAllModels();
    ReleaseAllEffects();
    ReleaseAllXFiles();
    DeleteAllGrapRes();
}

// ---------------------------------------------------------------------------
// Textures.
int CDX9KelGraphicsResManager::FindTexture(const char* fileName) const {
    if (!fileName) return -1;
    for (size_t i = 0; i < m_Textures.size(); ++i)
        if (CDX9KelUtils::GetIdenticalString(m_Textures[i].name, fileName)) return static_cast<int>(i);
    return -1;
}

int CDX9KelGraphicsResManager::FindTextureIndex(const IDirect3DBaseTexture9* texture) const {
    if (!texture) return -1;
    for (size_t i = 0; i < m_Textures.size(); ++i)
        if (m_Textures[i].texture == texture) return static_cast<int>(i);
    return -1;
}

int CDX9KelGraphicsResManager::GetTextureCount(int index) const {
    return index >= 0 && size_t(index) < m_Textures.size() ? m_Textures[size_t(index)].count : 0;
}

IDirect3DBaseTexture9* CDX9KelGraphicsResManager::CreateTextureFromFile(IDirect3DDevice9* device,
                                                                        const char* fileName, const char* folder,
                                                                        bool plainLoad, D3DCOLOR colorKey,
                                                                        D3DXIMAGE_INFO* outImageInfo) {
    if (!fileName || !fileName[0]) return nullptr;
    const int found = FindTexture(fileName);
    if (found >= 0) {
        TextureRecord& r = m_Textures[size_t(found)];
        ++r.count;
        if (outImageInfo) *outImageInfo = r.info;
        return r.texture;
    }
    if (!device) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelGraphicsResManager : CreateTextureFromFile : pD3DDevice == NULL \n");
        return nullptr;
    }
    const std::string path = Cut(std::string(folder ? Cut(folder) : std::string()) + fileName);
    D3DXIMAGE_INFO info{};
    HRESULT hr = D3DXGetImageInfoFromFileA(path.c_str(), &info);
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "Texture not found: %s, DirectX Error String: %s\n", path.c_str(), DXGetErrorStringA(hr));
        return nullptr;
    }
    IDirect3DBaseTexture9* base = nullptr;
    IUnknown* made = nullptr;
    const char* failedCall = nullptr;
    switch (info.ResourceType) {
    case D3DRTYPE_TEXTURE: {
        IDirect3DTexture9* t = nullptr;
        if (plainLoad) {
            hr = D3DXCreateTextureFromFileA(device, path.c_str(), &t);
            failedCall = "D3DXCreateTextureFromFile failed: ";
        } else {
            hr = D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                              D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, colorKey, nullptr, nullptr,
                                              &t);
            failedCall = "D3DXCreateTextureFromFileEx failed: ";
        }
        made = t;
        break;
    }
    case D3DRTYPE_VOLUMETEXTURE: {
        IDirect3DVolumeTexture9* t = nullptr;
        hr = D3DXCreateVolumeTextureFromFileA(device, path.c_str(), &t);
        failedCall = "D3DXCreateVolumeTextureFromFile failed: ";
        made = t;
        break;
    }
    case D3DRTYPE_CUBETEXTURE: {
        IDirect3DCubeTexture9* t = nullptr;
        hr = D3DXCreateCubeTextureFromFileA(device, path.c_str(), &t);
        failedCall = "D3DXCreateCubeTextureFromFile failed: ";
        made = t;
        break;
    }
    default:
        g_Log.Write(LOG_ERROR, "Texture of no known kind: %s\n", path.c_str());
        return nullptr;
    }
    if (FAILED(hr) || !made) {
        g_Log.Write(LOG_ERROR, "%s%s, DirectX Error String: %s\n", failedCall, path.c_str(),
                    DXGetErrorStringA(FAILED(hr) ? hr : E_FAIL));
        SafeReleaseCom(made);
        return nullptr;
    }
    hr = made->QueryInterface(IID_IDirect3DBaseTexture9, reinterpret_cast<void**>(&base));
    made->Release();
    if (FAILED(hr) || !base) return nullptr;
    TextureRecord r;
    CopyName(r.name, fileName);
    r.texture = base;
    r.info = info;
    r.count = 1;
    m_Textures.push_back(r);
    if (outImageInfo) *outImageInfo = info;
    return base;
}

bool CDX9KelGraphicsResManager::ReleaseTexture(IDirect3DBaseTexture9* texture) {
    const int i = FindTextureIndex(texture);
    if (i < 0) return false;
    TextureRecord& r = m_Textures[size_t(i)];
    if (r.count > 1) {
        --r.count;
        return true;
    }
    SafeReleaseCom(r.texture);
    m_Textures.erase(m_Textures.begin() + i);
    return true;
}

void CDX9KelGraphicsResManager::ReleaseAllTextures() {
    for (TextureRecord& r : m_Textures) SafeReleaseCom(r.texture);
    m_Textures.clear();
}

// ---------------------------------------------------------------------------
// Frame hierarchies.
int CDX9KelGraphicsResManager::FindXFileIndex(const char* fileName) const {
    if (!fileName) return -1;
    for (size_t i = 0; i < m_XFiles.size(); ++i)
        if (CDX9KelUtils::GetIdenticalString(m_XFiles[i].name, fileName)) return static_cast<int>(i);
    return -1;
}

int CDX9KelGraphicsResManager::FindXFileByFrame(const D3DXFRAME* rootFrame) const {
    if (!rootFrame) return -1;
    for (size_t i = 0; i < m_XFiles.size(); ++i)
        if (m_XFiles[i].root == rootFrame) return static_cast<int>(i);
    return -1;
}

bool CDX9KelGraphicsResManager::AddXFile(const char* fileName, D3DXFRAME* rootFrame,
                                         ID3DXAnimationController* controller, DWORD faceCount) {
    if (!rootFrame || !fileName) return false;
    XFileRecord r;
    if (controller &&
        FAILED(controller->CloneAnimationController(controller->GetMaxNumAnimationOutputs(),
                                                    controller->GetMaxNumAnimationSets(), controller->GetMaxNumTracks(),
                                                    controller->GetMaxNumEvents(), &r.controller)))
        return false;
    CopyName(r.name, fileName);
    r.root = rootFrame;
    r.count = 1;
    r.faces = faceCount;
    m_XFiles.push_back(r);
    return true;
}

D3DXFRAME* CDX9KelGraphicsResManager::GetXFile(const char* fileName, ID3DXAnimationController** outController,
                                               DWORD* outFaceCount) {
    const int i = FindXFileIndex(fileName);
    if (i < 0) return nullptr;
    XFileRecord& r = m_XFiles[size_t(i)];
    ++r.count;
    if (r.controller) {
        if (!outController) return nullptr;
        ID3DXAnimationController* c = r.controller;
        if (FAILED(c->CloneAnimationController(c->GetMaxNumAnimationOutputs(), c->GetMaxNumAnimationSets(),
                                               c->GetMaxNumTracks(), c->GetMaxNumEvents(), outController))) {
            --r.count;
            return nullptr;
        }
    } else if (outController) {
        *outController = nullptr;
    }
    if (outFaceCount) *outFaceCount = r.faces;
    return r.root;
}

bool CDX9KelGraphicsResManager::ReleaseXFile(D3DXFRAME* rootFrame) {
    const int i = FindXFileByFrame(rootFrame);
    if (i < 0) return false;
    XFileRecord& r = m_XFiles[size_t(i)];
    if (r.count > 1) {
        --r.count;
        return true;
    }
    D3DXFRAME* root = r.root;
    ID3DXAnimationController* controller = r.controller;
    m_XFiles.erase(m_XFiles.begin() + i);
    CAllocateHierarchy alloc(this);
    D3DXFrameDestroy(root, &alloc);
    SafeReleaseCom(controller);
    return true;
}

void CDX9KelGraphicsResManager::ReleaseAllXFiles() {
    while (!m_XFiles.empty()) {
        XFileRecord r = m_XFiles.back();
        m_XFiles.pop_back();
        CAllocateHierarchy alloc(this);
        D3DXFrameDestroy(r.root, &alloc);
        SafeReleaseCom(r.controller);
    }
}

// ---------------------------------------------------------------------------
// Effects.
int CDX9KelGraphicsResManager::FindEffect(const char* fileName) const {
    if (!fileName) return -1;
    for (size_t i = 0; i < m_Effects.size(); ++i)
        if (CDX9KelUtils::GetIdenticalString(m_Effects[i].name, fileName)) return static_cast<int>(i);
    return -1;
}

int CDX9KelGraphicsResManager::FindEffectIndex(const CDX9KelEffect* holder) const {
    if (!holder) return -1;
    if (holder->m_iIndex >= 0 && size_t(holder->m_iIndex) < m_Effects.size() &&
        m_Effects[size_t(holder->m_iIndex)].holder == holder)
        return holder->m_iIndex;
    for (size_t i = 0; i < m_Effects.size(); ++i)
        if (m_Effects[i].holder == holder) return static_cast<int>(i);
    return -1;
}

CDX9KelEffect* CDX9KelGraphicsResManager::CreateEffectFromFile(IDirect3DDevice9* device, const char* fileName,
                                                               const char* path) {
    if (!fileName || !fileName[0]) return nullptr;
    const int found = FindEffect(fileName);
    if (found >= 0) {
        ++m_Effects[size_t(found)].count;
        return m_Effects[size_t(found)].holder;
    }
    if (!device) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelGraphicsResManager : CreateEffectFromFile : pD3DDevice == NULL \n");
        return nullptr;
    }
    const std::string file = Cut(path ? path : fileName);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXCreateEffectFromFileA(device, file.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
    if (FAILED(hr) || !effect) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelGraphicsResManager : CreateEffectFromFile : D3DXCreateEffectFromFile :%s\n",
                    DXGetErrorStringA(FAILED(hr) ? hr : E_FAIL));
        if (errors && errors->GetBufferPointer())
            g_Log.Write(LOG_ERROR, "Error : CDX9KelGraphicsResManager : CreateEffectFromFile : D3DXCreateEffectFromFile :%s\n",
                        static_cast<const char*>(errors->GetBufferPointer()));
        SafeReleaseCom(errors);
        SafeReleaseCom(effect);
        return nullptr;
    }
    SafeReleaseCom(errors);
    auto* holder = new (std::nothrow) CDX9KelEffect();
    if (!holder) {
        effect->Release();
        return nullptr;
    }
    holder->m_pEffect = effect;
    holder->m_iIndex = static_cast<int>(m_Effects.size());
    EffectRecord r;
    CopyName(r.name, fileName);
    r.holder = holder;
    r.count = 1;
    m_Effects.push_back(r);
    return holder;
}

void CDX9KelGraphicsResManager::ReleaseAllEffects() {
    for (EffectRecord& r : m_Effects) {
        if (r.holder) SafeReleaseCom(r.holder->m_pEffect);
        delete r.holder;
        r.holder = nullptr;
    }
    m_Effects.clear();
}

// ---------------------------------------------------------------------------
// Models.
CDX9KelModel* CDX9KelGraphicsResManager::CreateModel(IDirect3DDevice9* device, const char* folder,
                                                     const char* fileName) {
    if (!device || !folder || !folder[0] || !fileName || !fileName[0]) return nullptr;
    auto* model = new (std::nothrow) CDX9KelModel();
    if (!model) return nullptr;
    if (FAILED(model->LoadFromFile(this, device, folder, fileName))) {
        g_Log.Write(LOG_ERROR, "X-file not load: %s from folder: %s\n", fileName, folder);
        ReleaseModelResources(model);
        delete model;
        return nullptr;
    }
    m_Models.push_back(model);
    model->m_iId = static_cast<int>(m_dwModelIdBase + m_Models.size() - 1);
    return model;
}

void CDX9KelGraphicsResManager::ReleaseModelResources(CDX9KelModel* model) {
    if (!model) return;
    if (model->m_pFrameRoot) ReleaseXFile(model->m_pFrameRoot);
    model->m_pFrameRoot = nullptr;
    SafeReleaseCom(model->m_pAnimController);
}

void CDX9KelGraphicsResManager::DeleteAttachedModels() {
    for (size_t i = 0; i < m_Models.size();) {
        CDX9KelModel* m = m_Models[i];
        if (m && m->m_bAttached) {
            ReleaseModelResources(m);
            delete m;
            m_Models.erase(m_Models.begin() + long(i));
        } else {
            ++i;
        }
    }
}

void CDX9KelGraphicsResManager::DeleteAllModels() {
    for (CDX9KelModel* m : m_Models) {
        ReleaseModelResources(m);
        delete m;
    }
    m_Models.clear();
}

// ---------------------------------------------------------------------------
// Graphic objects.
bool CDX9KelGraphicsResManager::AddGrapRes(CDX9KelBaseGrapRes* object) {
    if (!object) return false;
    m_GrapRes.push_back(object);
    return true;
}

bool CDX9KelGraphicsResManager::DeleteGrapRes(const char* name) {
    if (!name || !name[0]) return false;
    for (size_t i = 0; i < m_GrapRes.size();) {
        CDX9KelBaseGrapRes* o = m_GrapRes[i];
        if (o && std::strncmp(o->m_szName, name, CDX9KelBaseGrapRes::kNameSize) == 0) {
            o->Release();
            delete o;
            m_GrapRes.erase(m_GrapRes.begin() + long(i));
        } else {
            ++i;
        }
    }
    return true;
}

void CDX9KelGraphicsResManager::DeleteAllGrapRes() {
    for (CDX9KelBaseGrapRes* o : m_GrapRes) {
        if (!o) continue;
        o->Release();
        delete o;
    }
    m_GrapRes.clear();
}

void CDX9KelGraphicsResManager::ProcessGrapRes() {
    for (CDX9KelBaseGrapRes* o : m_GrapRes)
        if (o) o->Process();
}

void CDX9KelGraphicsResManager::OnLost() {
    for (EffectRecord& r : m_Effects)
        if (r.holder && r.holder->m_pEffect) r.holder->m_pEffect->OnLostDevice();
    for (CDX9KelBaseGrapRes* o : m_GrapRes)
        if (o) o->OnLost();
}

void CDX9KelGraphicsResManager::Restore() {
    for (EffectRecord& r : m_Effects)
        if (r.holder && r.holder->m_pEffect) r.holder->m_pEffect->OnResetDevice();
    for (CDX9KelBaseGrapRes* o : m_GrapRes)
        if (o) o->Restore();
}

} // namespace Vorna2
