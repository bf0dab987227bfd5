#pragma once
// The animated sea surface of the campaign map: a projected grid whose
// vertices are spread over the visible part of the sea plane every frame,
// displaced by an eight-octave animated noise, and drawn with a water effect
// that blends sky, reflection and refraction textures. Texture mode (50 x 95
// grid) renders height and normal maps on the graphics card from two packed
// noise textures; vertex mode (120 x 280 grid) computes the normals on the
// processor. The physical manager asks it for the water height at a point.
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"

#include <cstdint>
#include <vector>

namespace Vorna2 {

class CDX9KelGraphicsResManager;
class CDX9KelBaseCameraManager;
class CDX9KelRenderSystem;
class CDX9KelPhysicalManager;

class CDX9KelActiveWater : public CDX9KelBaseGrapRes {
public:
    struct Vertex {
        float x, y, z;
        float nx, ny, nz;
        D3DCOLOR color;
        float u, v;
    };
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static constexpr int kOctaves = 8;
    static constexpr int kTileSize = 16;
    static constexpr int kTiles = 256;
    static constexpr int kNoiseValues = kTiles * kTileSize * kTileSize;
    static constexpr int kPackedSize = 128;
    static constexpr float kTimeOctaveFactor = 1.27f;

    // The nine default-pool objects.
    enum ETarget {
        TARGET_NOISE0,
        TARGET_NOISE1,
        TARGET_NORMAL,
        TARGET_HEIGHT,
        TARGET_REFLECTION,
        TARGET_REFRACTION,
        TARGET_HEIGHT_SURFACE,
        TARGET_NORMAL_SURFACE,
        TARGET_DEPTH_STENCIL,
        TARGET_COUNT
    };

    CDX9KelActiveWater();
    ~CDX9KelActiveWater() override;

    // The two sources load textures (the resource manager) and effects (the
    // render system, which binds the shared parameters); file names are
    // relative to the program folder. vertexMode picks the mode. False
    // unless the device, both sources and the camera manager are given, or
    // when building the buffers, loading the textures or the effects fails.
    virtual bool Init(CDX9KelGraphicsResManager* textureSource, CDX9KelBaseCameraManager* cameras,
                      CDX9KelRenderSystem* effectSource, D3DMULTISAMPLE_TYPE multisample, IDirect3DDevice9* device,
                      const char* waterTexture, const char* fresnelTexture, const char* heightEffect,
                      const char* normalEffect, const char* textureModeEffect, const char* vertexModeEffect,
                      bool vertexMode);
    // 0 < value <= 5: stored, bound planes rebuilt, g_Amplitude = 2 x value.
    bool SetAmplitude(float value);
    void SetWaterColor(float r, float g, float b);
    // The noise height at a world point (halved amplitude in vertex mode).
    virtual float GetHeight(float x, float z) const;

    void Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) override;
    void Process() override;
    void Release() override;
    void OnLost() override;
    void Restore() override;

    // ---- the steps, open for tests ----
    bool InitBuffers();
    bool LoadManagedTextures(const char* waterTexture, const char* fresnelTexture);
    bool CreateDynamicData();
    void ReleaseDynamicData();
    // The noise from a seed drawn from the random source, or from a given
    // seed (the same seed, the same sea).
    void InitNoise();
    void InitNoise(std::uint32_t seed);
    std::uint32_t GetNoiseSeed() const { return m_uNoiseSeed; }
    void SetBoundPlanes();
    void SetEffectConstants();
    // Step 1 of the frame: the grid corners from the camera; false (and the
    // water invisible) when no part of the sea slab is in view.
    bool ProjectGrid();
    // Step 2: the eased time and, unless frozen, the octave maps and the
    // packed arrays.
    void AnimateNoise(DWORD elapsedMs);
    // The octave maps and packed arrays of the current time (what
    // AnimateNoise does after it moved the time on).
    void BuildNoiseMaps();
    // Puts the waves at a time and eased step, the last frame `sinceLastMs`
    // before now, and builds the maps of that time: a restored game's sea
    // goes on as the saved one would have.
    void SetWaveTime(double time, double easedStep, DWORD sinceLastMs);
    // Step 3: the vertex positions, heights and (vertex mode) normals.
    void FillVertices();
    // Texture mode: the packed arrays into the noise textures.
    bool UploadNoiseTextures();
    // The noise height from the packed arrays at a point of the arrays (in
    // 16.16 sample units after the sampling scale), not yet scaled by the
    // amplitude.
    float SampleNoise(float x, float z) const;
    // Counts the default-pool objects that exist (tests).
    int CountTargets() const;

    IDirect3DBaseTexture9* m_pWaterTexture = nullptr;
    IDirect3DBaseTexture9* m_pFresnelTexture = nullptr;
    CDX9KelBaseCameraManager* m_pCamera = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    D3DMULTISAMPLE_TYPE m_MultiSample = D3DMULTISAMPLE_NONE;
    bool m_bVertexMode = false;
    bool m_bGridVisible = true;
    bool m_bEnabled = true;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    UINT m_uVertexCount = 0;
    UINT m_uIndexCount = 0;
    IDirect3DTexture9* m_pNoiseTexture[2] = {};
    IDirect3DTexture9* m_pNormalTexture = nullptr;
    IDirect3DTexture9* m_pHeightTexture = nullptr;
    IDirect3DTexture9* m_pReflectionTexture = nullptr;
    IDirect3DTexture9* m_pRefractionTexture = nullptr;
    IDirect3DSurface9* m_pHeightSurface = nullptr;
    IDirect3DSurface9* m_pNormalSurface = nullptr;
    IDirect3DSurface9* m_pDepthStencil = nullptr;
    CDX9KelEffect* m_pHeightEffect = nullptr;
    CDX9KelEffect* m_pNormalEffect = nullptr;
    CDX9KelEffect* m_pWaterEffect = nullptr;
    UINT m_uColumns = 30;
    UINT m_uRows = 50;
    D3DCOLOR m_VertexColor = 0xFFC8C8C8u;
    float m_fWaterColor[3] = {0.15f, 0.31f, 0.40f};
    float m_fReserved = 3.0f;
    float m_fAmplitude = 2.0f;
    bool m_bSmoothing = true;
    float m_fFalloff = 0.6f;
    float m_fTimeSpeed = 0.000006f;
    float m_fOctaveTimeFactor = kTimeOctaveFactor;
    float m_fScale = 0.6f;
    float m_fReflRefrOffset = 0.1f;
    D3DXPLANE m_UpperBound{0, 1, 0, 0};
    D3DXPLANE m_LowerBound{0, 1, 0, 0};
    D3DXVECTOR3 m_vSeaNormal{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 m_vSeaPoint{0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 m_vCorners[4];
    DWORD m_dwLastTime = 0;
    double m_dTime = 0.0;
    double m_dEasedStep = 0.0;
    std::uint32_t m_uNoiseSeed = 0;
    float m_fSamplingScale = 1228.8f;
    std::vector<std::int32_t> m_Noise;
    float m_fOctaveWeights[kOctaves] = {};
    std::vector<std::uint16_t> m_Packed[2];
    std::vector<std::int32_t> m_OctaveMaps[kOctaves];
    D3DXMATRIX m_mWorld;
    bool m_bFrozen = false;
    DWORD m_dwReserved = 65;
    // The physical manager that samples this water (it forgets the water
    // when the water is deleted).
    CDX9KelPhysicalManager* m_pPhysicalManager = nullptr;
    CDX9KelGraphicsResManager* m_pResources = nullptr;
    std::vector<Vertex> m_Vertices;
    std::vector<float> m_Heights;

private:
    bool LoadEffects(CDX9KelRenderSystem* effectSource, const char* heightEffect, const char* normalEffect,
                     const char* textureModeEffect, const char* vertexModeEffect);
    void RenderMap(IDirect3DDevice9* device, CDX9KelEffect* effect, IDirect3DSurface9* target, bool heightMap);
    void DrawGrid(IDirect3DDevice9* device);
    static void SetFloat(CDX9KelEffect* effect, const char* name, float value);
    static void SetVector(CDX9KelEffect* effect, const char* name, const D3DXVECTOR4& value);
    static void SetTexture(CDX9KelEffect* effect, const char* name, IDirect3DBaseTexture9* texture);
};

} // namespace Vorna2
