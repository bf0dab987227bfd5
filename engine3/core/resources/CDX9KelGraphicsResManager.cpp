#include "engine3/core/resources/CDX9KelGraphicsResManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelModel.h"

namespace Vorna3D {

bool CDX9KelGraphicsResManager::Init(IDirect3DDevice9* pD3DDevice) {
    if (!pD3DDevice) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::Init() : pD3DDevice == NULL \n");
        return false;
    }
    m_pD3DDevice = pD3DDevice;
    m_pTextureManager = new CDX9KelTextureManager();
    m_pEffectManager = new CDX9KelEffectManager();
    m_pGraphObjectManager = new CDX9KelGraphicObjectsManager();
    m_pFrameManager = new CDX9KelFrameManager();
    m_pModelManager = new CDX9KelModelManager();
    m_pDepthStencilManager = new CDX9KelDepthStencilManager();
    m_pOffsreenSurfaceManager = new CDX9KelOffscreenSurfaceManager();
    m_pTextureManager->Init(KEL_RESOURCE_TEXTURE, 100);
    m_pEffectManager->Init(KEL_RESOURCE_EFFECT, 10);
    m_pGraphObjectManager->Init(KEL_RESOURCE_GRAPHIC_OBJECT, 10);
    m_pFrameManager->Init(KEL_RESOURCE_FRAME, 20);
    m_pModelManager->Init(KEL_RESOURCE_MODEL, 50);
    m_pDepthStencilManager->Init(KEL_RESOURCE_DEPTH_STENCIL, 5);
    m_pOffsreenSurfaceManager->Init(KEL_RESOURCE_OFFSCREEN_SURFACE, 5);
    m_pGraphObjectManager->m_pTextureManager = m_pTextureManager;
    m_pGraphObjectManager->m_pEffectManager = m_pEffectManager;
    return true;
}

void CDX9KelGraphicsResManager::Release() {
    // Models first: they give their hierarchies, textures and effects back.
    auto drop = [](auto*& manager) {
        if (manager) {
            manager->ReleaseAll();
            delete manager;
            manager = nullptr;
        }
    };
    drop(m_pModelManager);
    if (m_pFrameManager) {
        // The frame manager's ReleaseAll keeps hierarchies a model still
        // holds; what remains now belongs to nobody.
        m_pFrameManager->CDX9KelBaseResourceManager::ReleaseAll();
        delete m_pFrameManager;
        m_pFrameManager = nullptr;
    }
    drop(m_pGraphObjectManager);
    drop(m_pTextureManager);
    drop(m_pEffectManager);
    drop(m_pDepthStencilManager);
    drop(m_pOffsreenSurfaceManager);
}

void CDX9KelGraphicsResManager::Update(float fTimeStep) {
    for (CDX9KelBaseResourceManager* m :
         std::initializer_list<CDX9KelBaseResourceManager*>{m_pTextureManager, m_pEffectManager,
                                                            m_pDepthStencilManager, m_pOffsreenSurfaceManager,
                                                            m_pGraphObjectManager, m_pFrameManager,
                                                            m_pModelManager})
        if (m)
            m->Update(fTimeStep);
}

void CDX9KelGraphicsResManager::OnLost() {
    for (CDX9KelBaseResourceManager* m :
         std::initializer_list<CDX9KelBaseResourceManager*>{m_pTextureManager, m_pEffectManager,
                                                            m_pDepthStencilManager, m_pOffsreenSurfaceManager,
                                                            m_pFrameManager, m_pModelManager,
                                                            m_pGraphObjectManager})
        if (m)
            m->OnLost(0);
}

void CDX9KelGraphicsResManager::Restore() {
    for (CDX9KelBaseResourceManager* m :
         std::initializer_list<CDX9KelBaseResourceManager*>{m_pTextureManager, m_pEffectManager,
                                                            m_pDepthStencilManager, m_pOffsreenSurfaceManager,
                                                            m_pFrameManager, m_pModelManager,
                                                            m_pGraphObjectManager})
        if (m)
            m->Restore(m_pD3DDevice);
}

CDX9KelGraphicResourceTexture* CDX9KelGraphicsResManager::CreateTextureFromFile(const char* szFolder,
                                                                               const char* szFileName,
                                                                               bool bPlainLoad,
                                                                               D3DCOLOR colorKey) {
    if (!szFileName || !*szFileName || !szFolder)
        return nullptr;
    if (!m_pTextureManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateTextureFromFile() : m_pTextureManager == NULL \n");
        return nullptr;
    }
    auto* t = m_pTextureManager->CreateTextureFromFile(szFolder, szFileName, m_pD3DDevice, bPlainLoad, colorKey);
    if (!t)
        g_Log.Write(2, "%s%s%s\n", "CDX9KelGraphicsResManager::CreateTextureFromFile() : not create texture from file : ",
                    szFolder, szFileName);
    return t;
}

CDX9KelGraphicResourceTexture* CDX9KelGraphicsResManager::CreateDinamicTexture(const char* szName, DWORD width,
                                                                              DWORD height, DWORD levels,
                                                                              DWORD usage, D3DFORMAT format) {
    if (!m_pTextureManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateDinamicTexture() : m_pTextureManager == NULL \n");
        return nullptr;
    }
    auto* t = m_pTextureManager->CreateDinamicTexture(szName, width, height, levels, usage, format, m_pD3DDevice);
    if (!t)
        g_Log.Write(3, "%s%s\n", "CDX9KelGraphicsResManager::CreateDinamicTexture() : not create dinamic texture : ",
                    szName ? szName : "");
    return t;
}

CDX9KelGraphicResourceEffect* CDX9KelGraphicsResManager::CreateEffectFromFile(const char* szFolder,
                                                                             const char* szFileName) {
    if (!m_pEffectManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateEffectFromFile() : m_pEffectManager == NULL \n");
        return nullptr;
    }
    auto* e = m_pEffectManager->CreateEffectFromFile(szFolder, szFileName, m_pD3DDevice);
    if (!e)
        g_Log.Write(3, "%s%s%s\n", "CDX9KelGraphicsResManager::CreateEffectFromFile() : not create effect from file : ",
                    szFolder ? szFolder : "", szFileName ? szFileName : "");
    return e;
}

bool CDX9KelGraphicsResManager::AddGraphicObject(CDX9KelBaseResource* pObject) {
    if (!m_pGraphObjectManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::AddGraphicObject() : m_pGraphObjectManager == NULL\n");
        return false;
    }
    if (!pObject || pObject->m_iSlotIndex != -1 || pObject->m_dwType != KEL_RESOURCE_GRAPHIC_OBJECT ||
        !m_pGraphObjectManager->AddResource(pObject)) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::AddGraphicObject() : failed m_pGraphObjectManager->AddGraphicObject\n");
        return false;
    }
    return true;
}

bool CDX9KelGraphicsResManager::CreateFrameFromFile(CDX9KelGraphicResourceFrame** ppFrame,
                                                    ID3DXAnimationController** ppController,
                                                    const char* szFileName, const char* szFolder) {
    if (!m_pFrameManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateFrameFromFile() : m_pFrameManager == NULL \n");
        return false;
    }
    if (!m_pFrameManager->CreateFrameFromFile(ppFrame, ppController, szFileName, szFolder, m_pD3DDevice)) {
        g_Log.Write(3, "%s%s%s\n", "CDX9KelGraphicsResManager::CreateFrameFromFile() : not create frame from file : ",
                    szFolder ? szFolder : "", szFileName ? szFileName : "");
        return false;
    }
    return true;
}

CDX9KelModel* CDX9KelGraphicsResManager::CreateModelFromFile(const char* szFolder, const char* szFileName,
                                                            const char* szEffectFolder,
                                                            const char* szEffectFileName) {
    if (!m_pModelManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateFrameFromFile() : m_pModelManager == NULL \n");
        return nullptr;
    }
    auto* m = m_pModelManager->CreateModelFromFile(this, szFolder, szFileName, szEffectFolder, szEffectFileName,
                                                   m_pD3DDevice);
    if (!m)
        g_Log.Write(3, "%s%s%s\n", "CDX9KelGraphicsResManager::CreateModelFromFile() : not create model from file : ",
                    szFolder ? szFolder : "", szFileName ? szFileName : "");
    return m;
}

CDX9KelGraphicResourceDepthStencil* CDX9KelGraphicsResManager::CreateDepthStencil(const char* szName, DWORD width,
                                                                                 DWORD height, D3DFORMAT format) {
    if (!m_pDepthStencilManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateDepthStencil() : m_pDepthStencilManager == NULL \n");
        return nullptr;
    }
    if (!m_pD3DDevice) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateFrameFromFile() : m_pD3DDevice == NULL \n");
        return nullptr;
    }
    IDirect3DSurface9* s = nullptr;
    if (FAILED(m_pD3DDevice->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, 0, TRUE, &s,
                                                       nullptr))) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateFrameFromFile() : pGRDepthStencil == NULL \n");
        return nullptr;
    }
    auto* r = new CDX9KelGraphicResourceDepthStencil();
    r->m_pSurface = s;
    r->m_strName = szName ? szName : "";
    r->m_Format = format;
    r->m_bFlag = true;
    r->m_dwWidth = width;
    r->m_dwHeight = height;
    r->m_bDiscard = TRUE;
    // Registered like every other resource, so ReleaseResource finds it.
    if (!m_pDepthStencilManager->AddNewResource(r))
        return nullptr;
    return r;
}

CDX9KelGraphicOffscreenSurface* CDX9KelGraphicsResManager::CreateOffscreenSurface(const char* szName, DWORD width,
                                                                                 DWORD height) {
    if (!m_pOffsreenSurfaceManager) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateOffscreenSurface() : m_pOffsreenSurfaceManager == NULL \n");
        return nullptr;
    }
    if (!m_pD3DDevice) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateOffscreenSurface() : m_pD3DDevice == NULL \n");
        return nullptr;
    }
    IDirect3DSurface9* s = nullptr;
    if (FAILED(m_pD3DDevice->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &s,
                                                         nullptr))) {
        g_Log.Write(3, "CDX9KelGraphicsResManager::CreateOffscreenSurface() : pGRSurface == NULL \n");
        return nullptr;
    }
    auto* r = new CDX9KelGraphicOffscreenSurface();
    r->m_pSurface = s;
    r->m_strName = szName ? szName : "";
    r->m_dwWidth = width;
    r->m_dwHeight = height;
    if (!m_pOffsreenSurfaceManager->AddNewResource(r))
        return nullptr;
    return r;
}

bool CDX9KelGraphicsResManager::ReleaseResource(CDX9KelBaseResource* pResource) {
    if (!pResource) return false;
    CDX9KelBaseResourceManager* owner = nullptr;
    switch (pResource->m_dwType) {
    case KEL_RESOURCE_TEXTURE: owner = m_pTextureManager; break;
    case KEL_RESOURCE_EFFECT: owner = m_pEffectManager; break;
    case KEL_RESOURCE_GRAPHIC_OBJECT:
        return m_pGraphObjectManager && m_pGraphObjectManager->ReleaseGraphicObject(pResource);
    case KEL_RESOURCE_FRAME: owner = m_pFrameManager; break;
    case KEL_RESOURCE_MODEL: owner = m_pModelManager; break;
    case KEL_RESOURCE_DEPTH_STENCIL: owner = m_pDepthStencilManager; break;
    case KEL_RESOURCE_OFFSCREEN_SURFACE: owner = m_pOffsreenSurfaceManager; break;
    default: break;
    }
    return owner && owner->ReleaseResource(pResource);
}

void CDX9KelGraphicsResManager::ReleaseByFolder(const char* szFolder) {
    for (CDX9KelBaseResourceManager* m :
         std::initializer_list<CDX9KelBaseResourceManager*>{m_pModelManager, m_pFrameManager, m_pTextureManager,
                                                            m_pEffectManager})
        if (m)
            m->ReleaseByFolder(szFolder);
    if (m_pGraphObjectManager)
        m_pGraphObjectManager->ReleaseByFolder(szFolder);
}

} // namespace Vorna3D
