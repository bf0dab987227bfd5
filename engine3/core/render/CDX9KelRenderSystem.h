#pragma once
// The render system: everything the engine needs to draw a frame beyond the
// device itself. It owns the render targets (two shadow maps, the reflection
// and refraction maps, an optional full-scene target), their depth-stencil
// surfaces, the light cameras and the reflection camera, a screen quad, the
// graphics settings of "engine.ini", and it binds the engine's named shader
// parameters and techniques into every effect.
//
// Each frame it collects the scene units the octree shows a camera, sorts
// them by effect, texture and distance and draws them through the
// reflection, refraction and main passes, then the particle, 3D GUI and
// screen-GUI passes.
//
// Units are drawn through their own render operation: models (kind 0) by
// CDX9KelModel::Draw, every other drawable unit through IDX9KelRenderUnit.
#include <functional>
#include <string>
#include <vector>

#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneUnit.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {

class CDX9KelRender;
class CDX9KelBaseCamera;
class CDX9KelBaseCameraManager;
class CDX9KelLightManager;
class CDX9KelGraphicsResManager;
class CDXSceneTree;
class IDX9KelSceneManager;

// Slots of the effect resource's handle table beyond the model's own
// (EKelModelHandle): the engine's parameters, then the nine techniques.
enum EKelEffectHandle {
    KEL_H_LIGHT_DIR = KEL_H_MODEL_COUNT,
    KEL_H_LIGHT_AMBIENT,
    KEL_H_LIGHT_DIFFUSE,
    KEL_H_SUN_VECTOR,
    KEL_H_SUN_COLOR,
    KEL_H_SUN_SHININESS,
    KEL_H_SUN_STRENGTH,
    KEL_H_SUN_POS_ALPHA,
    KEL_H_SUN_POS_THETA,
    KEL_H_MATRIX_VIEW,
    KEL_H_MATRIX_VIEW_INVERSE,
    KEL_H_MATRIX_VIEW_PROJ,
    KEL_H_MATRIX_SHADOW_MAP_TRANSFORM,
    KEL_H_MATRIX_LIGHT_VIEW_PROJ,
    KEL_H_VECTOR_VIEW_POS,
    KEL_H_COLOR_REFLECTION,
    KEL_H_COLOR_REFRACTION,
    KEL_H_UNDER_WATER_FOG_DISTANCE,
    KEL_H_REFLECTION_FOG_DISTANCE,
    KEL_H_TEXTURE_NOISE,
    KEL_H_TEXTURE_NOISE2, // the same name looked up a second time
    KEL_H_TEXTURE_NORMAL,
    KEL_H_TEXTURE_SPECULAR,
    KEL_H_TEXTURE_SHADOWS,
    KEL_H_TEXTURE_SCENE,
    KEL_H_TIME,
    KEL_H_ELAPSED_TIME,
    KEL_H_PARAMETER_END,
    // Techniques, looked up in this order.
    KEL_H_TECH_HIGHT = KEL_H_PARAMETER_END,
    KEL_H_TECH_MIDDLE,
    KEL_H_TECH_LOW,
    KEL_H_TECH_HIGHT_SHADOW,
    KEL_H_TECH_MIDDLE_SHADOW,
    KEL_H_TECH_LOW_SHADOW,
    KEL_H_TECH_REFLECTION,
    KEL_H_TECH_REFRACTION,
    KEL_H_TECH_SHADOW,
    KEL_H_COUNT
};
static_assert(KEL_H_COUNT <= CDX9KelGraphicResourceEffect::kHandleWords, "the effect resource holds every handle");

// The name looked up for each handle slot (parameters, then techniques).
const char* GetEffectHandleName(int slot);
// Resolves every parameter and technique handle of the effect by name; a
// name the effect lacks leaves a null handle.
void ResolveEffectHandles(CDX9KelGraphicResourceEffect* pEffect);

// Pass codes handed to a unit's render operation.
enum EKelRenderPass : UINT {
    KEL_PASS_MAIN = 0,
    KEL_PASS_SHADOW = 1,
    KEL_PASS_REFLECTION = 2,
    KEL_PASS_REFRACTION = 3,
    KEL_PASS_GUI3D = 4,
    KEL_PASS_GRAPHIC_OBJECTS = 5,
    KEL_PASS_PARTICLES = 6,
};

// A drawable unit that is not a model (ocean, sky, particle systems, 3D GUI
// controls): what the passes need to sort and draw it.
class IDX9KelRenderUnit {
public:
    virtual ~IDX9KelRenderUnit() = default;
    // The effect the unit is drawn with; null when it has none.
    virtual CDX9KelGraphicResourceEffect* GetRenderEffect() = 0;
    // The slot index of its main texture, -1 for none.
    virtual int GetRenderTextureSlot() = 0;
    // Draws the unit inside its run's effect Begin/End. `passes` is what the
    // effect's Begin returned; `passCode` names the pass (EKelRenderPass).
    virtual void RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged,
                            const D3DXMATRIX* pViewProj, UINT passes, UINT passCode) = 0;
};

// The total order the passes sort by: effect slot descending (no effect
// last), texture slot descending (none last), squared distance descending
// (farthest first). One sort with this key keeps every effect in one run.
struct SKelRenderSortKey {
    int iEffect = -1;
    int iTexture = -1;
    float fDistance2 = 0.0f;
};
bool RenderSortBefore(const SKelRenderSortKey& a, const SKelRenderSortKey& b);

class CDX9KelRenderSystem {
public:
    static constexpr const char* kTechniqueNames[6] = {"Shadow", "Low", "Middle", "Hight", "Reflection", "Refraction"};
    static constexpr DWORD kListReserve = 100;

    // The "Grafic Settings" the render system reads.
    struct Settings {
        DWORD dwReflRefrSize = 512;
        int iShadersLevel = 2;
        bool bWaterType = true;
    };
    // ReflRefrTexture above 1024 (unsigned, so negatives too) becomes 1024,
    // 0 the current size; ShadersLevel outside 0..2 becomes 0; the water-type
    // flag holds while WaterType is 0.
    static Settings ReadSettings(const std::string& engineIniPath, DWORD currentReflRefrSize);
    // Clamps a colour channel to a byte: 255 at 1.0 or more, 0 at 0.0 or
    // less, else value x 255 + 0.5 truncated.
    static DWORD PackColor(float r, float g, float b, float a);

    CDX9KelRenderSystem();
    ~CDX9KelRenderSystem();
    CDX9KelRenderSystem(const CDX9KelRenderSystem&) = delete;
    CDX9KelRenderSystem& operator=(const CDX9KelRenderSystem&) = delete;

    // The scene lends these before Init; each may be null.
    void SetRender(CDX9KelRender* pRender) { m_pRender = pRender; }
    void SetCameraManager(CDX9KelBaseCameraManager* p) { m_pCameraManager = p; }
    void SetLightManager(CDX9KelLightManager* p) { m_pLightManager = p; }
    void SetGraphicsResManager(CDX9KelGraphicsResManager* p) { m_pGraphicsResManager = p; }
    void SetSceneTree(CDXSceneTree* p) { m_pSceneTree = p; }
    void SetSGUIManager(IDX9KelSceneManager* p) { m_pSGUIManager = p; }

    // Settings from `engineIniPath`, the screen quad, matrices and planes,
    // the format report, the targets, depth-stencils, surfaces and cameras.
    // False on any failure, with its log line.
    bool Init(IDirect3DDevice9* pD3DDevice, CDX9KelRender* pRender, HWND hMainWnd,
              const std::string& engineIniPath);
    // Per frame during processing: binds new effects fully, then time,
    // camera, light and colour parameters as they change.
    void Update(float fTimeStep);
    // The frame, between the device wrapper's BeginRender and EndRender.
    bool Render(IDirect3DDevice9* pDevice, D3DCOLOR clearColor, float fTimeStep, bool bDrawTree, bool bDrawSGUI);
    // Rebuilds the lists for a camera.
    void Collect(CDX9KelBaseCamera* pCamera, bool bMain);
    // Clears every listed unit's in-list flag and empties the lists.
    void ClearLists();

    // Device loss: releases the targets and surfaces; Restore re-creates
    // them and rebinds the target textures into every effect. OnLost may be
    // called again before Restore; it then does nothing more.
    void OnLost();
    bool Restore();
    void Release();

    void SetReflectionMapClearColor(float r, float g, float b, float a);
    void SetRefractionMapClearColor(float r, float g, float b, float a);
    // The scene hands the full path; the next frame's end saves the back
    // buffer there and clears the request.
    void SetScreenshot(const std::string& path) { m_strScreenshotFile = path; }
    bool HasScreenshot() const { return !m_strScreenshotFile.empty(); }
    bool SaveScreenshot();

    // Further graphic objects for the graphic-object pass, beside those of
    // the graphic-objects manager (for callers that keep their own).
    std::function<void(std::vector<CDX9KelSceneUnit*>&)> m_fnGraphicObjects;
    // Called after each stage of Render with the stage's name ("shadows",
    // "reflection", "refraction", "tree", "main", "graphic objects",
    // "particles", "gui3d", "screen gui", "screen quad"; the sea's maps
    // report "sea height map", "sea normal map" and "sea mipmaps" inside
    // the graphic objects); a benchmark that times the stages sets it.
    std::function<void(const char*)> m_fnStageDone;

    // --- Lent objects ------------------------------------------------------
    CDX9KelRender* m_pRender = nullptr;
    CDXSceneTree* m_pSceneTree = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    CDX9KelLightManager* m_pLightManager = nullptr;
    IDX9KelSceneManager* m_pSGUIManager = nullptr;
    CDX9KelGraphicsResManager* m_pGraphicsResManager = nullptr;
    IDirect3DDevice9* m_pD3DDevice = nullptr;
    // --- Cameras (owned by the camera manager) -----------------------------
    CDX9KelBaseCamera* m_pLightCamera1 = nullptr;
    CDX9KelBaseCamera* m_pLightCamera2 = nullptr;
    CDX9KelBaseCamera* m_pReflectionCamera = nullptr;
    // --- Targets -----------------------------------------------------------
    // Resources of the graphics resource manager; the targets are dynamic
    // textures, so the manager releases and re-creates them around a reset.
    CDX9KelGraphicResourceTexture* m_pRTNearShadowMap = nullptr;
    CDX9KelGraphicResourceTexture* m_pRTFarShadowMap = nullptr;
    CDX9KelGraphicResourceTexture* m_pRTReflectionMap = nullptr;
    CDX9KelGraphicResourceTexture* m_pRTRefractionMap = nullptr;
    CDX9KelGraphicResourceTexture* m_pRTScene = nullptr;
    CDX9KelGraphicResourceDepthStencil* m_pGRNearShadowDepthStencil = nullptr;
    CDX9KelGraphicResourceDepthStencil* m_pGRFarShadowDepthStencil = nullptr;
    CDX9KelGraphicResourceDepthStencil* m_pGRReflRefrDepthStencil = nullptr;
    // Level 0 of each target, fetched after creation and after every reset.
    IDirect3DSurface9* m_pSurfNearShadowMap = nullptr;
    IDirect3DSurface9* m_pSurfFarShadowMap = nullptr;
    IDirect3DSurface9* m_pSurfReflectionMap = nullptr;
    IDirect3DSurface9* m_pSurfRefractionMap = nullptr;
    IDirect3DSurface9* m_pSurfScene = nullptr;
    IDirect3DSurface9* m_pSavedColor = nullptr; // held only during a pass
    IDirect3DSurface9* m_pSavedDepth = nullptr;
    CDX9KelGraphicOffscreenSurface* m_pGRScreenshotSurface = nullptr;
    IDirect3DVertexBuffer9* m_pVBScreen = nullptr;
    // --- Settings and constants --------------------------------------------
    float m_fTimeScale = 1.0f;
    DWORD m_dwShadowMapSize = 2048;
    DWORD m_dwReflRefrMapSize = 512;
    float m_fFarShadowDistance = 200.0f;
    float m_fNearShadowDistance = 14.0f;
    float m_fNearLightCameraDistance = 15.0f;
    float m_fFarLightCameraDistance = 60.0f;
    float m_fReflectionDistance = 80.0f;
    float m_fRefractionDistance = 80.0f;
    float m_fUnderWaterFogDistance = 2.0f;
    float m_fReflectionFogDistance = 0.1f;
    D3DXMATRIX m_mShadowMapTransform;
    D3DXMATRIX m_mScreenTranslation;
    D3DXMATRIX m_mReserved1;
    D3DXMATRIX m_mReserved2;
    D3DXMATRIX m_mScreenOrtho;
    float m_fScreenDepth = 100.0f;
    D3DCOLOR m_SceneClearColor = 0xFF3C6496u;
    D3DCOLOR m_ReflectionClearColor = 0;
    D3DCOLOR m_RefractionClearColor = 0;
    D3DXVECTOR4 m_vColorReflection{0, 0, 0, 0};
    D3DXVECTOR4 m_vColorRefraction{0, 0, 0, 0};
    D3DXPLANE m_WaterPlane{0, 1, 0, 0};
    D3DXPLANE m_ClipPlane1{0, 1, 0, -0.05f};
    D3DXPLANE m_ClipPlane2{0, 1, 0, -0.15f};
    float m_fWaterLevel1 = 0.0f;
    float m_fWaterLevel2 = 0.0f;
    float m_fFarShadowDistance2 = 40000.0f;
    float m_fNearShadowDistance2 = 196.0f;
    float m_fReflectionDistance2 = 6400.0f;
    float m_fRefractionDistance2 = 6400.0f;
    DWORD m_dwParticleAlphaRef = 5;
    DWORD m_dwMainAlphaRef = 159;
    bool m_bWaterLevelSplit = true;
    bool m_bShadows = false;
    bool m_bReflection = true;
    bool m_bRefraction = true;
    bool m_bSceneTarget = false;
    bool m_bWaterType = true;
    bool m_bParameterChanged = false;
    int m_iShadersLevel = 2;
    std::string m_strScreenshotFile;
    D3DXIMAGE_FILEFORMAT m_ScreenshotFormat = D3DXIFF_JPG;
    float m_fClientWidth = 0.0f;
    float m_fClientHeight = 0.0f;
    // Millisecond stamp the shader time counts from.
    DWORD m_dwStartTime = 0;
    // Set by OnLost, cleared by Restore.
    bool m_bLost = false;

    // --- Lists ---------------------------------------------------------------
    std::vector<CDX9KelSceneUnit*> m_vModels;          // 1
    std::vector<CDX9KelSceneUnit*> m_vGraphicObjects;  // 2
    std::vector<CDX9KelSceneUnit*> m_vParticles;       // 3
    std::vector<CDX9KelSceneUnit*> m_vParticlePass;    // 4
    std::vector<CDX9KelSceneUnit*> m_vGUI3D;           // 5

    // Statistics of the last frame, for tests and the benchmark.
    struct FrameStats {
        DWORD dwRuns = 0;          // effect Begin/End pairs
        DWORD dwUnitsDrawn = 0;
        DWORD dwCollects = 0;
    } m_Stats;

    // The sort key of a unit (its effect slot, texture slot and distance).
    static SKelRenderSortKey SortKey(CDX9KelSceneUnit* pUnit);
    static CDX9KelGraphicResourceEffect* UnitEffect(CDX9KelSceneUnit* pUnit);
    // One sort with the total-order key.
    static void SortUnits(std::vector<CDX9KelSceneUnit*>& list);
    // Farthest first.
    static void SortByDistance(std::vector<CDX9KelSceneUnit*>& list);

private:
    bool CreateScreenQuad();
    void BuildMatrices();
    void ReportFormats();
    bool CreateRenderTargets();
    bool CraeteDepthStencils();
    bool SetTexturesForDepthStencils();
    bool CreateCameras(HWND hMainWnd);
    void ReleaseSurfaces();
    void ReleaseSaved();

    CDX9KelBaseCamera* ActiveCamera() const;
    void TakeNewEffects();
    void BindAll(CDX9KelGraphicResourceEffect* e);
    void BindLight(CDX9KelGraphicResourceEffect* e);
    void BindColors(CDX9KelGraphicResourceEffect* e);
    void BindCamera(CDX9KelGraphicResourceEffect* e, const CDX9KelBaseCamera* pCamera);
    void BindTargetTextures(CDX9KelGraphicResourceEffect* e);
    D3DXHANDLE Technique(CDX9KelGraphicResourceEffect* e, int pass) const;
    int LevelTechniqueSlot() const;

    bool SaveTargets(bool bDepth);
    bool SetTargets(IDirect3DSurface9* pColor, IDirect3DSurface9* pDepth);
    bool RestoreTargets();

    bool ShadowPass(IDirect3DDevice9* pDevice, float fTimeStep);
    bool ReflectionPass(IDirect3DDevice9* pDevice, float fTimeStep);
    bool RefractionPass(IDirect3DDevice9* pDevice, float fTimeStep, bool bSaved);
    void MainPass(IDirect3DDevice9* pDevice, float fTimeStep);
    void GraphicObjectPass(IDirect3DDevice9* pDevice, float fTimeStep);
    void ParticlePass(IDirect3DDevice9* pDevice, float fTimeStep, int pass);
    void GUI3DPass(IDirect3DDevice9* pDevice, float fTimeStep);
    bool DrawScreenQuad(IDirect3DDevice9* pDevice);
    void MirrorCamera(CDX9KelBaseCamera* pMain);
    // Draws the sorted list in runs of one effect; `filter` chooses the units.
    void DrawRuns(IDirect3DDevice9* pDevice, float fTimeStep, std::vector<CDX9KelSceneUnit*>& list,
                  const CDX9KelBaseCamera* pCamera, int pass, const std::function<bool(CDX9KelSceneUnit*)>& filter);
    void DrawUnit(IDirect3DDevice9* pDevice, CDX9KelSceneUnit* pUnit, float fTimeStep, bool bTextureChanged,
                  const D3DXMATRIX* pViewProj, UINT passes, UINT passCode);

    // Which camera's parameters each effect holds now, so a run rebinds only
    // when its pass camera differs or changed.
    std::vector<std::pair<CDX9KelGraphicResourceEffect*, const CDX9KelBaseCamera*>> m_vBoundCamera;
};

} // namespace Vorna3D
