#pragma once
// The battle sky: a textured arch around the camera that follows it in the
// horizontal plane, drawn with the sky effect, or without one through the
// fixed-function pipeline.
#include <string>

#include "engine3/world/ocean/CDX9KelGraphicResourceGObject.h"
#include "platform/d3dx/d3dx9.h"

namespace Vorna3D {

class CDX9KelBaseCameraManager;
class CDX9KelGraphicsResManager;
class CDX9KelGraphicResourceTexture;
class CDX9KelGraphicResourceEffect;

class CVR3SkyArch : public CDX9KelGraphicResourceGObject {
public:
    CVR3SkyArch();
    ~CVR3SkyArch() override;

    // Draws the arch (when shown and the mesh, the device and the texture
    // exist); fog is off for the sky and restored afterwards.
    void Render(IDirect3DDevice9* pDevice, float fTimeStep, int iValue1, int iValue2) override;
    // Centres the arch under the active camera's eye (x and z only).
    void Update(float fTimeStep) override;
    void Release() override;
    // Gives texture and effect back to m_pResManager.
    void ReleaseHeldResources() override;
    // Inside the render system's run of the sky effect.
    CDX9KelGraphicResourceEffect* GetRenderEffect() override { return m_pSkyEffect; }
    int GetRenderTextureSlot() override;
    void RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged, const D3DXMATRIX* pViewProj,
                    UINT passes, UINT passCode) override;

    // Loads texture and effect (through m_pResManager) and builds the mesh.
    // False without camera manager, device or resource manager, without the
    // texture, or when the mesh cannot be built; a missing effect only
    // leaves the fixed-function path.
    bool Init(CDX9KelBaseCameraManager* pCameraManager, IDirect3DDevice9* pDevice);

    // Where the textures and effects come from; set by the owner before Init.
    CDX9KelGraphicsResManager* m_pResManager = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    std::string m_strTextureFolder = "Textures\\Environment\\";
    std::string m_strEffectFolder = "Effects\\Environment\\";
    std::string m_strTextureFile = "sky.dds";
    std::string m_strEffectFile = "sky.fx";
    CDX9KelGraphicResourceTexture* m_pSkyTexture = nullptr;
    CDX9KelGraphicResourceEffect* m_pSkyEffect = nullptr;
    float m_fRadius = 2000.0f;
    float m_fHeight = 300.0f;
    float m_fRings = 8.0f;
    float m_fSegments = 32.0f;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    UINT m_uVertexCount = 0;
    UINT m_uIndexCount = 0;

private:
    void DrawMesh(IDirect3DDevice9* pDevice);
    bool BeginDraw(IDirect3DDevice9* pDevice, DWORD* pFog);
    void EndDraw(IDirect3DDevice9* pDevice, DWORD fog);
};

} // namespace Vorna3D
