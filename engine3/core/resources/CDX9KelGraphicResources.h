#pragma once
// The graphic resources (textures, effects, frame hierarchies, depth-stencil
// and offscreen surfaces) and the managers that create and share them.
#include <vector>

#include "engine3/core/resources/CDX9KelBaseResourceManager.h"
#include "platform/d3dx/d3dx9.h"

namespace Vorna3D {

class CAllocateHierarchy;

class CDX9KelGraphicResourceTexture : public CDX9KelBaseResource {
public:
    CDX9KelGraphicResourceTexture() : CDX9KelBaseResource(KEL_RESOURCE_TEXTURE) {}
    void Release() override;
    // Dynamic textures (usage not 0) live in the default pool.
    void OnLost(int iValue) override;
    void Restore(IDirect3DDevice9* pDevice) override;

    IDirect3DBaseTexture9* m_pTexture = nullptr;
    DWORD m_dwWidth = 0;
    DWORD m_dwHeight = 0;
    DWORD m_dwDepth = 0;
    DWORD m_dwMipLevels = 0;
    DWORD m_dwFormat = 0;
    DWORD m_dwResourceType = 0;
    DWORD m_dwImageFileFormat = 0;
    DWORD m_dwUsage = 0;
};

class CDX9KelGraphicResourceEffect : public CDX9KelBaseResource {
public:
    static constexpr int kHandleWords = 51;
    CDX9KelGraphicResourceEffect() : CDX9KelBaseResource(KEL_RESOURCE_EFFECT) {}
    void Release() override;
    void OnLost(int iValue) override;
    void Restore(IDirect3DDevice9* pDevice) override;

    ID3DXEffect* m_pEffect = nullptr;
    // Parameter and technique handles, filled by the render system; null
    // for what the effect lacks.
    D3DXHANDLE m_hHandles[kHandleWords] = {};
};

class CDX9KelGraphicResourceFrame : public CDX9KelBaseResource {
public:
    CDX9KelGraphicResourceFrame() : CDX9KelBaseResource(KEL_RESOURCE_FRAME) {}
    // The hierarchy and the kept controller go with the resource itself.
    ~CDX9KelGraphicResourceFrame() override;
    virtual void Reserved() {}

    D3DXFRAME* m_pFrameRoot = nullptr;
    ID3DXAnimationController* m_pAnimController = nullptr;
    DWORD m_dwFaces = 0;
    bool m_bSkinned = false;
};

class CDX9KelGraphicResourceDepthStencil : public CDX9KelBaseResource {
public:
    CDX9KelGraphicResourceDepthStencil() : CDX9KelBaseResource(KEL_RESOURCE_DEPTH_STENCIL) {}
    void Release() override;
    void OnLost(int iValue) override;
    void Restore(IDirect3DDevice9* pDevice) override;
    virtual void Reserved() {}

    IDirect3DSurface9* m_pSurface = nullptr;
    D3DFORMAT m_Format = D3DFMT_D16;
    bool m_bFlag = false;
    DWORD m_dwWidth = 0;
    DWORD m_dwHeight = 0;
    BOOL m_bDiscard = TRUE;
};

class CDX9KelGraphicOffscreenSurface : public CDX9KelBaseResource {
public:
    CDX9KelGraphicOffscreenSurface() : CDX9KelBaseResource(KEL_RESOURCE_OFFSCREEN_SURFACE) {}
    void Release() override;
    void OnLost(int iValue) override;
    void Restore(IDirect3DDevice9* pDevice) override;
    virtual void Reserved() {}

    IDirect3DSurface9* m_pSurface = nullptr;
    D3DFORMAT m_Format = D3DFMT_A8R8G8B8;
    D3DPOOL m_Pool = D3DPOOL_SYSTEMMEM;
    DWORD m_dwWidth = 0;
    DWORD m_dwHeight = 0;
};

class CDX9KelTextureManager : public CDX9KelBaseResourceManager {
public:
    CDX9KelGraphicResourceTexture* CreateTextureFromFile(const char* szFolder, const char* szFileName,
                                                         IDirect3DDevice9* pDevice, bool bPlainLoad,
                                                         D3DCOLOR colorKey);
    CDX9KelGraphicResourceTexture* CreateDinamicTexture(const char* szName, DWORD width, DWORD height, DWORD levels,
                                                        DWORD usage, D3DFORMAT format, IDirect3DDevice9* pDevice);
};

class CDX9KelEffectManager : public CDX9KelBaseResourceManager {
public:
    CDX9KelGraphicResourceEffect* CreateEffectFromFile(const char* szFolder, const char* szFileName,
                                                       IDirect3DDevice9* pDevice);
    // Effects created (not reused) since the render system last took them.
    std::vector<CDX9KelGraphicResourceEffect*> m_vNewEffects;
};

class CDX9KelFrameManager : public CDX9KelBaseResourceManager {
public:
    // Hierarchies go away only through the models that hold them.
    void ReleaseAll() override {}
    bool CreateFrameFromFile(CDX9KelGraphicResourceFrame** ppFrame, ID3DXAnimationController** ppController,
                             const char* szFileName, const char* szFolder, IDirect3DDevice9* pDevice);
};

class CDX9KelModel;
class CDX9KelGraphicsResManager;

class CDX9KelModelManager : public CDX9KelBaseResourceManager {
public:
    CDX9KelModel* CreateModelFromFile(CDX9KelGraphicsResManager* pOwner, const char* szFolder,
                                      const char* szFileName, const char* szEffectFolder,
                                      const char* szEffectFileName, IDirect3DDevice9* pDevice);
};

class CDX9KelDepthStencilManager : public CDX9KelBaseResourceManager {};
class CDX9KelOffscreenSurfaceManager : public CDX9KelBaseResourceManager {};

// Graphic objects (ocean, sky, particle systems) registered by their owners.
class CDX9KelGraphicObjectsManager : public CDX9KelBaseResourceManager {
public:
    // As ReleaseResource, refused while either manager reference is unset;
    // when the last reference goes, the object first gives back what it
    // holds (ReleaseHeldResources).
    bool ReleaseGraphicObject(CDX9KelBaseResource* pObject);
    // Every graphic object goes whatever its count; the slots stay, all of
    // them free.
    void ReleaseAll() override;
    // One ReleaseGraphicObject for every object loaded from `szFolder`.
    bool ReleaseByFolder(const char* szFolder);
    CDX9KelTextureManager* m_pTextureManager = nullptr;
    CDX9KelEffectManager* m_pEffectManager = nullptr;
};

} // namespace Vorna3D
