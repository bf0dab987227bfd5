#pragma once
// The battle ocean as drawn: a projected grid whose corners are placed every
// frame where the camera's view meets the wave slab, so the near sea gets
// dense vertices and the grid never ends inside the view.
//
// Two paths: on the hardware path the heights of the grid are rendered into
// a height map from the two noise tables, turned into a normal map, and the
// surface reads its normals from that map; on the software path the CPU
// computes heights and normals of the grid vertices. Both paths take the
// vertex heights from the same field the ship physics samples.
#include <string>

#include "engine3/world/ocean/CDX9KelGraphicResourceGObject.h"
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "platform/d3dx/d3dx9.h"

namespace Vorna3D {

class CDX9KelBaseCameraManager;
class CDX9KelGraphicsResManager;
class CDX9KelGraphicResourceTexture;
class CDX9KelGraphicResourceEffect;
class CDX9KelGraphicResourceDepthStencil;
class CDX9KelRender;
class CDX9KelRenderSystem;

class CDX9KelOceanWater : public CDX9KelGraphicResourceGObject, public CDX9KelOceanSurface {
public:
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

    CDX9KelOceanWater();
    ~CDX9KelOceanWater() override;

    // Draws the sea: on the hardware path the height and normal passes into
    // their maps first, then the surface into the current target.
    void Render(IDirect3DDevice9* pDevice, float fTimeStep, int iValue1, int iValue2) override;
    // Projects the grid, advances the clock and the noise; the noise
    // textures (hardware path) and, when the sea is in view, the grid
    // vertices follow at the next draw. The clock of the surface is used,
    // not the step given.
    void Update(float fTimeStep) override;
    // Frees the grid buffers and the two map surfaces.
    void Release() override;
    // Gives the six textures (the two map render targets among them), the
    // three effects and the depth-stencil back to m_pResManager.
    void ReleaseHeldResources() override;
    // Frees the map surfaces and restarts the clock on the next frame.
    void OnLost(int iValue) override;
    // Takes the map surfaces again and sets the effect parameters again.
    void Restore(IDirect3DDevice9* pDevice) override;

    // Inside the render system's run of the surface effect: the map passes
    // with their own effects, then the surface with the run's passes.
    CDX9KelGraphicResourceEffect* GetRenderEffect() override { return m_pWaterEffect; }
    int GetRenderTextureSlot() override;
    void RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged, const D3DXMATRIX* pViewProj,
                    UINT passes, UINT passCode) override;

    // Sets everything up on the device. The render system's device wrapper
    // answers the capability questions (a "NO" takes the software path);
    // `bSoftware` asks for the software path and its denser grid. Textures,
    // effects and depth-stencils come from m_pResManager, or else from the
    // render system's resource manager. False when the device, the render
    // system or its camera manager is missing or any creation fails (each
    // logged).
    bool Init(IDirect3DDevice9* pDevice, CDX9KelRenderSystem* pRenderSystem, bool bSoftware);

    // As the surface's, and also "g_Amplitude" of the normal-map effect.
    bool SetAmplitude(float amplitude);
    // "g_WaterColor" of the surface effect from the water colour.
    void ApplyWaterColor();

    // The projected-grid step: new visibility, projector and grid corners
    // from the active camera. Without an active camera the previous
    // visibility stays; when the view misses the wave slab the sea is not
    // visible and the corners stay as they were.
    bool UpdateProjectedGrid();
    // Copies the texture copy of both height tables into the two noise
    // textures, with every further level the mean of the four texels below.
    bool GenerateNoiseTexture();

    bool InitBuffers();
    bool InitVertexBuffer();
    bool InitIndexBuffer();
    bool CreateTextures();
    bool GetSurfacesForRenderTargets();
    bool CreteDepthStencils();
    bool LoadEffects();
    void SetEffectParameters();

    bool IsSoftware() const { return m_bSoftware; }
    bool IsVisible() const { return m_bVisible; }
    UINT GetGridColumns() const { return m_uGridColumns; }
    UINT GetGridRows() const { return m_uGridRows; }
    const D3DXMATRIX& GetProjector() const { return m_mProjector; }
    // Size of the height and normal maps of the last Init.
    static UINT GetMapWidth() { return s_uMapWidth; }
    static UINT GetMapHeight() { return s_uMapHeight; }

    // Where textures, effects and depth-stencils come from; set by the owner
    // before Init.
    CDX9KelGraphicsResManager* m_pResManager = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    CDX9KelRenderSystem* m_pRenderSystem = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    std::string m_strTextureFolder = "Textures\\Environment\\";
    std::string m_strEffectFolder = "Effects\\Environment\\";
    std::string m_strSkyTextureFile = "sky_reflection.dds";
    std::string m_strFresnelTextureFile = "fresnel_water.bmp";
    std::string m_strNoiseFile1 = "Noize1_1.dds";
    std::string m_strNoiseFile2 = "Noize2_1.dds";
    std::string m_strHeightEffectFile = "water_ocean_height.fx";
    std::string m_strNormalEffectFile = "water_ocean_normal.fx";
    std::string m_strHWWaterEffectFile = "water_ocean_hw_normals.fx";
    std::string m_strSWWaterEffectFile = "water_ocean_sw_normals.fx";
    CDX9KelGraphicResourceTexture* m_pSkyTexture = nullptr;
    CDX9KelGraphicResourceTexture* m_pFresnelTexture = nullptr;
    CDX9KelGraphicResourceTexture* m_pHeightMap = nullptr;
    CDX9KelGraphicResourceTexture* m_pNormalMap = nullptr;
    CDX9KelGraphicResourceTexture* m_pNoise1 = nullptr;
    CDX9KelGraphicResourceTexture* m_pNoise2 = nullptr;
    IDirect3DSurface9* m_pHeightSurface = nullptr;
    IDirect3DSurface9* m_pNormalSurface = nullptr;
    CDX9KelGraphicResourceDepthStencil* m_pNormalMapDepthStencil = nullptr;
    CDX9KelGraphicResourceEffect* m_pHeightEffect = nullptr;
    CDX9KelGraphicResourceEffect* m_pNormalEffect = nullptr;
    CDX9KelGraphicResourceEffect* m_pWaterEffect = nullptr;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    UINT m_uVertexCount = 0;
    UINT m_uIndexCount = 0;
    D3DCOLOR m_dwDiffuse = 0xFFC8C8C8u;
    D3DXVECTOR3 m_vWaterColor{0.15f, 0.31f, 0.4f};
    // Table texels per world unit, for the height effect ("g_Scale").
    float m_fEffectScale = 0.6f;
    float m_fReflRefrOffset = 0.03f;
    bool m_bGeneratedNoise = false;

private:
    bool CapabilityCheck(const char* szQuestion, bool answer);
    void DrawGrid(IDirect3DDevice9* pDevice, ID3DXEffect* pEffect);
    // Draws every pass of an effect once over the whole map (map coordinates 0..1).
    void DrawMapQuad(IDirect3DDevice9* pDevice, ID3DXEffect* pEffect);
    void DrawGridPasses(IDirect3DDevice9* pDevice, ID3DXEffect* pEffect, UINT passes);
    // Grid buffers and states shared by every pass; false when something
    // needed is missing.
    bool BeginDraw(IDirect3DDevice9* pDevice);
    // Height and normal maps (hardware path), the normal map's mipmaps made;
    // each draw of the surface makes them first.
    void RenderMaps(IDirect3DDevice9* pDevice);
    // The surface effect's textures for this frame.
    ID3DXEffect* PrepareSurface();
    // Tells the render system's stage watcher (a benchmark) that a pass of
    // the maps is done.
    void Stage(const char* name);

    // Fills the grid vertices when an update left them to be filled.
    void FillPendingGrid();

    D3DXMATRIX m_mProjector;
    bool m_bVisible = true;
    // Set by Update, cleared when the drawing makes them: the grid vertices
    // and (hardware path) the noise textures of the last update.
    bool m_bGridPending = false;
    bool m_bNoisePending = false;

    // One size for every water object; Init sets it from the window, never
    // from its own previous value.
    static UINT s_uMapWidth;
    static UINT s_uMapHeight;
};

} // namespace Vorna3D
