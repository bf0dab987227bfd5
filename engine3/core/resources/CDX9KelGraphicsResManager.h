#pragma once
// The one way the engine creates textures, effects, frame hierarchies,
// models, depth-stencil and offscreen surfaces, and registers graphic
// objects; it also relays the per-frame update and the device-loss events.
#include "engine3/core/resources/CDX9KelGraphicResources.h"

namespace Vorna3D {

class CDX9KelModel;

class CDX9KelGraphicsResManager {
public:
    CDX9KelGraphicsResManager() = default;
    ~CDX9KelGraphicsResManager() { Release(); }
    CDX9KelGraphicsResManager(const CDX9KelGraphicsResManager&) = delete;
    CDX9KelGraphicsResManager& operator=(const CDX9KelGraphicsResManager&) = delete;

    bool Init(IDirect3DDevice9* pD3DDevice);
    void Release();
    void Update(float fTimeStep);
    void OnLost();
    void Restore();

    CDX9KelGraphicResourceTexture* CreateTextureFromFile(const char* szFolder, const char* szFileName,
                                                         bool bPlainLoad, D3DCOLOR colorKey);
    CDX9KelGraphicResourceTexture* CreateDinamicTexture(const char* szName, DWORD width, DWORD height, DWORD levels,
                                                        DWORD usage, D3DFORMAT format);
    CDX9KelGraphicResourceEffect* CreateEffectFromFile(const char* szFolder, const char* szFileName);
    bool AddGraphicObject(CDX9KelBaseResource* pObject);
    bool CreateFrameFromFile(CDX9KelGraphicResourceFrame** ppFrame, ID3DXAnimationController** ppController,
                             const char* szFileName, const char* szFolder);
    CDX9KelModel* CreateModelFromFile(const char* szFolder, const char* szFileName, const char* szEffectFolder,
                                      const char* szEffectFileName);
    CDX9KelGraphicResourceDepthStencil* CreateDepthStencil(const char* szName, DWORD width, DWORD height,
                                                           D3DFORMAT format);
    CDX9KelGraphicOffscreenSurface* CreateOffscreenSurface(const char* szName, DWORD width, DWORD height);
    void ReleaseByFolder(const char* szFolder);
    // Gives one reference back to the manager of the resource's type (a
    // graphic object through ReleaseGraphicObject). False for none, or for a
    // resource that manager does not hold (also after Release).
    bool ReleaseResource(CDX9KelBaseResource* pResource);

    CDX9KelTextureManager* m_pTextureManager = nullptr;
    CDX9KelEffectManager* m_pEffectManager = nullptr;
    CDX9KelDepthStencilManager* m_pDepthStencilManager = nullptr;
    CDX9KelOffscreenSurfaceManager* m_pOffsreenSurfaceManager = nullptr;
    CDX9KelGraphicObjectsManager* m_pGraphObjectManager = nullptr;
    CDX9KelFrameManager* m_pFrameManager = nullptr;
    CDX9KelModelManager* m_pModelManager = nullptr;
    IDirect3DDevice9* m_pD3DDevice = nullptr;
};

} // namespace Vorna3D
