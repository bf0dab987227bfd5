#include "engine3/core/render/CDX9KelRenderSystem.h"

#include <algorithm>
#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/IDX9KelSceneManager.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/core/scene/Geometry.h"
#include "platform/os/Clock.h"
#include "platform/os/Profile.h"
#include "platform/os/ResultCodes.h"
#include "platform/window/Window.h"

namespace Vorna3D {

namespace {

constexpr const char* kSettingsSection = "Grafic Settings";
constexpr DWORD kMaxReflRefrSize = 1024;
constexpr DWORD kScreenQuadFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kScreenQuadStride = 24;
constexpr float kScreenQuadZ = -80.0f;
constexpr float kGUI3DFarPlane = 2000.0f;

struct ScreenVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == kScreenQuadStride);

// Names of the handle slots after the model's own.
const char* const kEngineHandleNames[static_cast<int>(KEL_H_COUNT) - static_cast<int>(KEL_H_MODEL_COUNT)] = {
    "g_LightDir", "g_LightAmbient", "g_LightDiffuse", "g_SunVector", "g_SunColor", "g_SunShininess",
    "g_SunStrength", "g_SunPosAlpha", "g_SunPosTheta", "g_MatrixView", "g_MatrixViewInverse", "g_MatrixViewProj",
    "g_MatrixShadowMapTransform", "g_MatrixLightViewProj", "g_VectorViewPos", "g_ColorReflection",
    "g_ColorRefraction", "g_UnderWaterFogDistance", "g_ReflectionFogDistance", "g_TextureNoise", "g_TextureNoise",
    "g_TextureNormal", "g_TextureSpecular", "g_TextureShadows", "g_TextureScene", "g_Time", "g_ElapsedTime",
    // Techniques.
    "Hight", "Middle", "Low", "HightShadow", "MiddleShadow", "LowShadow", "Reflection", "Refraction", "Shadow"};

IDirect3DTexture9* Tex(CDX9KelGraphicResourceTexture* r) {
    return r ? static_cast<IDirect3DTexture9*>(r->m_pTexture) : nullptr;
}

void SetVec4(ID3DXEffect* e, D3DXHANDLE h, const D3DXVECTOR4& v) {
    if (h) e->SetVector(h, &v);
}
void SetColor(ID3DXEffect* e, D3DXHANDLE h, const D3DXCOLOR& c) {
    if (h) e->SetValue(h, &c, 16);
}
void SetFloat(ID3DXEffect* e, D3DXHANDLE h, float f) {
    if (h) e->SetFloat(h, f);
}
void SetMatrix(ID3DXEffect* e, D3DXHANDLE h, const D3DXMATRIX& m) {
    if (h) e->SetMatrix(h, &m);
}

} // namespace

const char* GetEffectHandleName(int slot) {
    if (slot < 0 || slot >= KEL_H_COUNT) return nullptr;
    if (slot < KEL_H_MODEL_COUNT) return kModelHandleNames[slot];
    return kEngineHandleNames[slot - KEL_H_MODEL_COUNT];
}

void ResolveEffectHandles(CDX9KelGraphicResourceEffect* pEffect) {
    if (!pEffect) return;
    std::fill(std::begin(pEffect->m_hHandles), std::end(pEffect->m_hHandles), nullptr);
    ID3DXEffect* e = pEffect->m_pEffect;
    if (!e) return;
    for (int i = 0; i < KEL_H_PARAMETER_END; ++i) pEffect->m_hHandles[i] = e->GetParameterByName(nullptr, GetEffectHandleName(i));
    for (int i = KEL_H_TECH_HIGHT; i < KEL_H_COUNT; ++i) pEffect->m_hHandles[i] = e->GetTechniqueByName(GetEffectHandleName(i));
}

bool RenderSortBefore(const SKelRenderSortKey& a, const SKelRenderSortKey& b) {
    // -1 ("none") sorts after every real slot, so descending order with none
    // last is plain descending order.
    if (a.iEffect != b.iEffect) return a.iEffect > b.iEffect;
    if (a.iTexture != b.iTexture) return a.iTexture > b.iTexture;
    return a.fDistance2 > b.fDistance2;
}

// ---------------------------------------------------------------------------
// Settings and construction.

CDX9KelRenderSystem::Settings CDX9KelRenderSystem::ReadSettings(const std::string& engineIniPath,
                                                                DWORD currentReflRefrSize) {
    Settings s;
    const char* ini = engineIniPath.c_str();
    DWORD size = static_cast<DWORD>(
        GetPrivateProfileIntA(kSettingsSection, "ReflRefrTexture", static_cast<INT>(currentReflRefrSize), ini));
    // A size of 0 would make targets without pixels and fail the start.
    if (size == 0) size = currentReflRefrSize;
    if (size > kMaxReflRefrSize) size = kMaxReflRefrSize;
    s.dwReflRefrSize = size;
    int level = static_cast<int>(GetPrivateProfileIntA(kSettingsSection, "ShadersLevel", 2, ini));
    s.iShadersLevel = (level < 0 || level > 2) ? 0 : level;
    s.bWaterType = static_cast<int>(GetPrivateProfileIntA(kSettingsSection, "WaterType", 0, ini)) == 0;
    return s;
}

DWORD CDX9KelRenderSystem::PackColor(float r, float g, float b, float a) {
    auto byte = [](float v) -> DWORD {
        if (v >= 1.0f) return 255;
        if (v <= 0.0f) return 0;
        return static_cast<DWORD>(v * 255.0f + 0.5f);
    };
    return (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

CDX9KelRenderSystem::CDX9KelRenderSystem() {
    D3DXMatrixIdentity(&m_mShadowMapTransform);
    D3DXMatrixIdentity(&m_mScreenTranslation);
    D3DXMatrixIdentity(&m_mReserved1);
    D3DXMatrixIdentity(&m_mReserved2);
    D3DXMatrixIdentity(&m_mScreenOrtho);
    m_vModels.reserve(kListReserve);
    m_vGraphicObjects.reserve(kListReserve);
    m_vParticles.reserve(kListReserve);
    m_vParticlePass.reserve(kListReserve);
    m_vGUI3D.reserve(kListReserve);
}

CDX9KelRenderSystem::~CDX9KelRenderSystem() { Release(); }

void CDX9KelRenderSystem::SetReflectionMapClearColor(float r, float g, float b, float a) {
    m_vColorReflection = D3DXVECTOR4(r, g, b, a);
    m_ReflectionClearColor = PackColor(r, g, b, a);
    m_bParameterChanged = true;
}

void CDX9KelRenderSystem::SetRefractionMapClearColor(float r, float g, float b, float a) {
    m_vColorRefraction = D3DXVECTOR4(r, g, b, a);
    m_RefractionClearColor = PackColor(r, g, b, a);
    m_bParameterChanged = true;
}

// ---------------------------------------------------------------------------
// Init.

bool CDX9KelRenderSystem::Init(IDirect3DDevice9* pD3DDevice, CDX9KelRender* pRender, HWND hMainWnd,
                               const std::string& engineIniPath) {
    if (!pD3DDevice) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::Init() : pD3DDevice == NULL \n");
        return false;
    }
    if (!pRender) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::Init() : m_pRender == NULL \n");
        return false;
    }
    if (!hMainWnd) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::Init() : hMainWnd == NULL \n");
        return false;
    }
    if (!m_pGraphicsResManager) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::Init() : m_pGraphicsResManager == NULL \n");
        return false;
    }
    m_pD3DDevice = pD3DDevice;
    m_pRender = pRender;
    m_dwStartTime = g_Utils.GetStartTime() ? g_Utils.GetStartTime() : timeGetTime();

    const Settings s = ReadSettings(engineIniPath, m_dwReflRefrMapSize);
    m_dwReflRefrMapSize = s.dwReflRefrSize;
    m_iShadersLevel = s.iShadersLevel;
    m_bWaterType = s.bWaterType;

    RECT rc{};
    GetClientRect(hMainWnd, &rc);
    m_fClientWidth = static_cast<float>(rc.right - rc.left);
    m_fClientHeight = static_cast<float>(rc.bottom - rc.top);
    if (m_fClientWidth <= 0.0f || m_fClientHeight <= 0.0f) {
        m_fClientWidth = static_cast<float>(pRender->GetBackBufferWidth());
        m_fClientHeight = static_cast<float>(pRender->GetBackBufferHeight());
    }

    if (!CreateScreenQuad()) return false;
    BuildMatrices();
    ReportFormats();
    if (!CreateRenderTargets() || !CraeteDepthStencils() || !SetTexturesForDepthStencils() ||
        !CreateCameras(hMainWnd))
        return false;
    m_bLost = false;
    return true;
}

bool CDX9KelRenderSystem::CreateScreenQuad() {
    if (FAILED(m_pD3DDevice->CreateVertexBuffer(4 * kScreenQuadStride, D3DUSAGE_WRITEONLY, kScreenQuadFVF,
                                                D3DPOOL_MANAGED, &m_pVBScreen, nullptr))) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::Init() : pD3DDevice->CreateVertexBuffer failed \n");
        return false;
    }
    void* data = nullptr;
    if (FAILED(m_pVBScreen->Lock(0, 0, &data, 0)) || !data) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::Init() : m_pVBScreen->Lock failed \n");
        return false;
    }
    const float w = m_fClientWidth, h = m_fClientHeight;
    const ScreenVertex quad[4] = {{0, 0, kScreenQuadZ, 0xFFFFFFFFu, 0, 0},
                                  {w, 0, kScreenQuadZ, 0xFFFFFFFFu, 1, 0},
                                  {0, h, kScreenQuadZ, 0xFFFFFFFFu, 0, 1},
                                  {w, h, kScreenQuadZ, 0xFFFFFFFFu, 1, 1}};
    std::memcpy(data, quad, sizeof quad);
    m_pVBScreen->Unlock();
    return true;
}

void CDX9KelRenderSystem::BuildMatrices() {
    D3DXMatrixOrthoLH(&m_mScreenOrtho, m_fClientWidth, m_fClientHeight, -m_fScreenDepth, m_fScreenDepth);
    D3DXMatrixTranslation(&m_mScreenTranslation, m_fClientWidth * 0.5f - 0.5f, -m_fClientHeight * 0.5f - 0.5f, 0.0f);
    const float o = 0.5f + 0.5f / static_cast<float>(m_dwShadowMapSize);
    m_mShadowMapTransform = D3DXMATRIX(0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 1, 0, o, o, 0, 1);
    const D3DXVECTOR3 up(0, 1, 0), origin(0, 0, 0), p1(0, 0.05f, 0), p2(0, 0.15f, 0);
    D3DXPlaneFromPointNormal(&m_WaterPlane, &origin, &up);
    // The clip planes keep what lies above their heights.
    D3DXPlaneFromPointNormal(&m_ClipPlane1, &p1, &up);
    D3DXPlaneFromPointNormal(&m_ClipPlane2, &p2, &up);
}

void CDX9KelRenderSystem::ReportFormats() {
    CDX9KelRender* r = m_pRender;
    const D3DFORMAT desktop = r->m_DesktopMode.Format ? r->m_DesktopMode.Format : D3DFMT_X8R8G8B8;
    auto report = [](const char* text, bool ok) {
        g_Log.Write(LOG_INFO, "%s", text);
        g_Log.Write(LOG_TEXT, ok ? "YES\n" : "NO\n");
    };
    report("Texture format D3DFMT_A8R8G8B8 :", r->IsTextureFormatOk(desktop));
    report("Render Target format D3DFMT_A8R8G8B8 :", r->IsRenderTargetFormatExisting(D3DFMT_A8R8G8B8, desktop));
    report("Render Target format D3DFMT_R32F :", r->IsRenderTargetFormatExisting(D3DFMT_R32F, desktop));
    report("Depth stencil surface format D3DFMT_D16 :", r->IsDepthFormatExisting(D3DFMT_D16, desktop));
    g_Log.Write(LOG_INFO, "Depth stencil surface format D3DFMT_D16 Compatible Render Target format D3DFMT_A8R8G8B8 :");
    bool match = false;
    if (!r->m_pD3D)
        g_Log.Write(LOG_ERROR, "CDX9KelRender::IsDepthCompatibleRenderTarget() : m_pD3D == NULL\n");
    else
        match = SUCCEEDED(r->m_pD3D->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop,
                                                             D3DFMT_A8R8G8B8, D3DFMT_D16));
    g_Log.Write(LOG_TEXT, match ? "YES\n" : "NO\n");
}

bool CDX9KelRenderSystem::CreateRenderTargets() {
    CDX9KelGraphicsResManager* m = m_pGraphicsResManager;
    const DWORD rt = D3DUSAGE_RENDERTARGET;
    struct Target {
        CDX9KelGraphicResourceTexture** slot;
        const char* name;
        DWORD w, h;
        D3DFORMAT format;
        const char* error;
    };
    const Target targets[] = {
        {&m_pRTNearShadowMap, "ShadowMap1", m_dwShadowMapSize, m_dwShadowMapSize, D3DFMT_R32F,
         "CDX9KelRenderSystem::CreateRenderTargets() : m_pRTNearShadowMap == NULL \n"},
        {&m_pRTFarShadowMap, "ShadowMap2", m_dwShadowMapSize, m_dwShadowMapSize, D3DFMT_R32F,
         "CDX9KelRenderSystem::CreateRenderTargets() : m_pRTFarShadowMap == NULL \n"},
        {&m_pRTReflectionMap, "ReflectionMap", m_dwReflRefrMapSize, m_dwReflRefrMapSize, D3DFMT_A8R8G8B8,
         "CDX9KelRenderSystem::CreateRenderTargets() : m_pRTReflectionMap == NULL \n"},
        {&m_pRTRefractionMap, "RefractionMap", m_dwReflRefrMapSize, m_dwReflRefrMapSize, D3DFMT_A8R8G8B8,
         "CDX9KelRenderSystem::CreateRenderTargets() : m_pRTRefractionMap == NULL \n"},
        {&m_pRTScene, "Scene", static_cast<DWORD>(m_fClientWidth), static_cast<DWORD>(m_fClientHeight),
         D3DFMT_A8R8G8B8, "CDX9KelRenderSystem::CreateRenderTargets() : m_pRTScene == NULL \n"},
    };
    for (const Target& t : targets) {
        *t.slot = m->CreateDinamicTexture(t.name, t.w, t.h, 1, rt, t.format);
        if (!*t.slot) {
            g_Log.Write(LOG_ERROR, t.error);
            return false;
        }
    }
    m_pGRScreenshotSurface =
        m->CreateOffscreenSurface("ScreenSurface", m_pRender->GetBackBufferWidth(), m_pRender->GetBackBufferHeight());
    if (!m_pGRScreenshotSurface) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::CreateRenderTargets() : m_pGRScreenshotSurface == NULL \n");
        return false;
    }
    return true;
}

bool CDX9KelRenderSystem::CraeteDepthStencils() {
    CDX9KelGraphicsResManager* m = m_pGraphicsResManager;
    m_pGRNearShadowDepthStencil = m->CreateDepthStencil("Shadow1", m_dwShadowMapSize, m_dwShadowMapSize, D3DFMT_D16);
    if (!m_pGRNearShadowDepthStencil) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::CraeteDepthStencils() : m_pGRNearShadowDepthStencil == NULL \n");
        return false;
    }
    m_pGRFarShadowDepthStencil = m->CreateDepthStencil("Shadow2", m_dwShadowMapSize, m_dwShadowMapSize, D3DFMT_D16);
    if (!m_pGRFarShadowDepthStencil) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::CraeteDepthStencils() : m_pGRFarShadowDepthStencil == NULL \n");
        return false;
    }
    // A target drawn with the back buffer's depth-stencil needs one at least
    // its size; and on this device a target can never share the window's own
    // depth buffer, so the reflection and refraction maps always get theirs.
    m_pGRReflRefrDepthStencil =
        m->CreateDepthStencil("ReflectionRefraction", m_dwReflRefrMapSize, m_dwReflRefrMapSize, D3DFMT_D16);
    if (!m_pGRReflRefrDepthStencil) {
        g_Log.Write(LOG_ERROR, "CDX9KelRenderSystem::CraeteDepthStencils() : m_pGRReflRefrDepthStencil == NULL \n");
        return false;
    }
    return true;
}

bool CDX9KelRenderSystem::SetTexturesForDepthStencils() {
    struct Level {
        CDX9KelGraphicResourceTexture* rt;
        IDirect3DSurface9** surface;
        const char* name;
    };
    const Level levels[] = {{m_pRTNearShadowMap, &m_pSurfNearShadowMap, "NearShadowMap"},
                            {m_pRTFarShadowMap, &m_pSurfFarShadowMap, "FarShadowMap"},
                            {m_pRTReflectionMap, &m_pSurfReflectionMap, "ReflectionMap"},
                            {m_pRTRefractionMap, &m_pSurfRefractionMap, "RefractionMap"},
                            {m_pRTScene, &m_pSurfScene, "RTScene"}};
    for (const Level& l : levels) {
        SafeReleaseCom(*l.surface);
        IDirect3DTexture9* t = Tex(l.rt);
        if (!t || FAILED(t->GetSurfaceLevel(0, l.surface))) {
            g_Log.Write(LOG_ERROR, "%s%s%s", "CDX9KelRenderSystem::SetTexturesForDepthStencils() : ", l.name,
                        "->GetSurfaceLevel failed \n");
            return false;
        }
    }
    return true;
}

bool CDX9KelRenderSystem::CreateCameras(HWND hMainWnd) {
    if (!m_pCameraManager) return true;
    const int w = static_cast<int>(m_pRender->GetBackBufferWidth());
    const int h = static_cast<int>(m_pRender->GetBackBufferHeight());
    float mmX = 0, mmY = 0;
    CDX9KelBaseCameraManager::GetMillimetresPerPixel(hMainWnd, w, h, m_pCameraManager->m_bFullScreen, &mmX, &mmY);
    struct Cam {
        CDX9KelBaseCamera** slot;
        const char* name;
        bool far;
    };
    const Cam cams[] = {{&m_pLightCamera1, "Light1", true}, {&m_pLightCamera2, "Light2", true},
                        {&m_pReflectionCamera, "Reflection", false}};
    for (const Cam& c : cams) {
        if (CDX9KelBaseCamera* existing = m_pCameraManager->FindCamera(c.name)) {
            *c.slot = existing;
            continue;
        }
        auto* cam = new CDX9KelBaseCamera();
        if (!cam->Init(c.name, 0, w, h, mmX, mmY)) {
            delete cam;
            return false;
        }
        if (c.far) cam->SetFarPlane(m_fFarShadowDistance);
        if (!m_pCameraManager->AddCamera(cam)) {
            delete cam;
            return false;
        }
        *c.slot = cam;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Device loss.

void CDX9KelRenderSystem::ReleaseSaved() {
    SafeReleaseCom(m_pSavedColor);
    SafeReleaseCom(m_pSavedDepth);
}

void CDX9KelRenderSystem::ReleaseSurfaces() {
    SafeReleaseCom(m_pSurfNearShadowMap);
    SafeReleaseCom(m_pSurfFarShadowMap);
    SafeReleaseCom(m_pSurfReflectionMap);
    SafeReleaseCom(m_pSurfRefractionMap);
    SafeReleaseCom(m_pSurfScene);
    ReleaseSaved();
}

void CDX9KelRenderSystem::OnLost() {
    ReleaseSurfaces();
    ClearLists();
    m_bLost = true;
}

bool CDX9KelRenderSystem::Restore() {
    struct Level {
        CDX9KelGraphicResourceTexture* rt;
        IDirect3DSurface9** surface;
        const char* noTexture;
        const char* failed;
    };
    const Level levels[] = {
        {m_pRTNearShadowMap, &m_pSurfNearShadowMap, "CDX9KelRenderSystem::Restore() : NearShadowMap->GetSurfaceLevel failed \n",
         "CDX9KelRenderSystem::Restore() : NearShadowMap->GetSurfaceLevel failed \n"},
        {m_pRTFarShadowMap, &m_pSurfFarShadowMap, "CDX9KelRenderSystem::Restore() : FarShadowMap->GetSurfaceLevel failed \n",
         "CDX9KelRenderSystem::Restore() : FarShadowMap->GetSurfaceLevel failed \n"},
        {m_pRTReflectionMap, &m_pSurfReflectionMap, "CDX9KelRenderSystem::Restore() : m_pRTReflectionMap->GetTexture() == NULL \n",
         "CDX9KelRenderSystem::Restore() : ReflectionMap->GetSurfaceLevel failed \n"},
        {m_pRTRefractionMap, &m_pSurfRefractionMap, "CDX9KelRenderSystem::Restore() : m_pRTRefractionMap->GetTexture() == NULL \n",
         "CDX9KelRenderSystem::Restore() : RefractionMap->GetSurfaceLevel failed \n"},
        {m_pRTScene, &m_pSurfScene, "CDX9KelRenderSystem::Restore() : m_pRTScene->GetTexture() == NULL \n",
         "CDX9KelRenderSystem::Restore() : RTScene->GetSurfaceLevel failed \n"},
    };
    ReleaseSurfaces();
    for (const Level& l : levels) {
        IDirect3DTexture9* t = Tex(l.rt);
        if (!t) {
            g_Log.Write(LOG_ERROR, l.noTexture);
            return false;
        }
        if (FAILED(t->GetSurfaceLevel(0, l.surface))) {
            g_Log.Write(LOG_ERROR, l.failed);
            return false;
        }
    }
    if (m_pGraphicsResManager && m_pGraphicsResManager->m_pEffectManager)
        for (CDX9KelBaseResource* r : m_pGraphicsResManager->m_pEffectManager->m_vResources)
            if (r) BindTargetTextures(static_cast<CDX9KelGraphicResourceEffect*>(r));
    m_vBoundCamera.clear();
    m_bLost = false;
    return true;
}

void CDX9KelRenderSystem::Release() {
    ReleaseSurfaces();
    ClearLists();
    SafeReleaseCom(m_pVBScreen);
    CDX9KelGraphicsResManager* m = m_pGraphicsResManager;
    if (m) {
        for (CDX9KelGraphicResourceTexture** t :
             {&m_pRTNearShadowMap, &m_pRTFarShadowMap, &m_pRTReflectionMap, &m_pRTRefractionMap, &m_pRTScene})
            if (*t && m->m_pTextureManager) m->m_pTextureManager->ReleaseResource(*t);
        for (CDX9KelGraphicResourceDepthStencil** d :
             {&m_pGRNearShadowDepthStencil, &m_pGRFarShadowDepthStencil, &m_pGRReflRefrDepthStencil})
            if (*d && m->m_pDepthStencilManager) m->m_pDepthStencilManager->ReleaseResource(*d);
        if (m_pGRScreenshotSurface && m->m_pOffsreenSurfaceManager)
            m->m_pOffsreenSurfaceManager->ReleaseResource(m_pGRScreenshotSurface);
    }
    m_pRTNearShadowMap = m_pRTFarShadowMap = m_pRTReflectionMap = m_pRTRefractionMap = m_pRTScene = nullptr;
    m_pGRNearShadowDepthStencil = m_pGRFarShadowDepthStencil = m_pGRReflRefrDepthStencil = nullptr;
    m_pGRScreenshotSurface = nullptr;
    // The cameras belong to the camera manager.
    m_pLightCamera1 = m_pLightCamera2 = m_pReflectionCamera = nullptr;
    m_vBoundCamera.clear();
}

// ---------------------------------------------------------------------------
// Effect parameters.

CDX9KelBaseCamera* CDX9KelRenderSystem::ActiveCamera() const {
    return m_pCameraManager ? m_pCameraManager->m_pActiveCamera : nullptr;
}

void CDX9KelRenderSystem::BindLight(CDX9KelGraphicResourceEffect* r) {
    CDX9KelLight* l = m_pLightManager ? m_pLightManager->GetFirstLight() : nullptr;
    ID3DXEffect* e = r->m_pEffect;
    if (!l || !e) return;
    const D3DXHANDLE* h = r->m_hHandles;
    if (h[KEL_H_LIGHT_DIR]) e->SetValue(h[KEL_H_LIGHT_DIR], &l->m_vDirection, 12);
    SetColor(e, h[KEL_H_LIGHT_AMBIENT], l->m_Ambient);
    SetColor(e, h[KEL_H_LIGHT_DIFFUSE], l->m_Diffuse);
    SetVec4(e, h[KEL_H_SUN_VECTOR], l->m_vSunVector);
    SetColor(e, h[KEL_H_SUN_COLOR], l->m_SunColor);
    SetFloat(e, h[KEL_H_SUN_SHININESS], l->m_fSunShininess);
    SetFloat(e, h[KEL_H_SUN_STRENGTH], l->m_fSunStrength);
    SetFloat(e, h[KEL_H_SUN_POS_ALPHA], l->m_fSunAzimuth);
    SetFloat(e, h[KEL_H_SUN_POS_THETA], l->m_fSunElevation);
}

void CDX9KelRenderSystem::BindColors(CDX9KelGraphicResourceEffect* r) {
    ID3DXEffect* e = r->m_pEffect;
    if (!e) return;
    const D3DXHANDLE* h = r->m_hHandles;
    SetVec4(e, h[KEL_H_COLOR_REFLECTION], m_vColorReflection);
    SetVec4(e, h[KEL_H_COLOR_REFRACTION], m_vColorRefraction);
    SetFloat(e, h[KEL_H_UNDER_WATER_FOG_DISTANCE], m_fUnderWaterFogDistance);
    SetFloat(e, h[KEL_H_REFLECTION_FOG_DISTANCE], m_fReflectionFogDistance);
}

void CDX9KelRenderSystem::BindCamera(CDX9KelGraphicResourceEffect* r, const CDX9KelBaseCamera* c) {
    ID3DXEffect* e = r->m_pEffect;
    if (!e || !c) return;
    const D3DXHANDLE* h = r->m_hHandles;
    SetMatrix(e, h[KEL_H_MATRIX_VIEW], c->m_mView);
    SetMatrix(e, h[KEL_H_MATRIX_VIEW_INVERSE], c->m_mViewInverse);
    SetMatrix(e, h[KEL_H_MATRIX_VIEW_PROJ], c->m_mViewProjection);
    if (h[KEL_H_VECTOR_VIEW_POS]) e->SetValue(h[KEL_H_VECTOR_VIEW_POS], &c->m_vEye, 12);
    auto it = std::find_if(m_vBoundCamera.begin(), m_vBoundCamera.end(), [r](const auto& p) { return p.first == r; });
    if (it == m_vBoundCamera.end())
        m_vBoundCamera.emplace_back(r, c);
    else
        it->second = c;
}

void CDX9KelRenderSystem::BindTargetTextures(CDX9KelGraphicResourceEffect* r) {
    if (!r->m_pEffect) return;
    if (m_bSceneTarget && r->m_hHandles[KEL_H_TEXTURE_SCENE])
        r->m_pEffect->SetTexture(r->m_hHandles[KEL_H_TEXTURE_SCENE], Tex(m_pRTScene));
}

void CDX9KelRenderSystem::BindAll(CDX9KelGraphicResourceEffect* r) {
    ResolveEffectHandles(r);
    BindLight(r);
    BindColors(r);
    if (CDX9KelBaseCamera* c = ActiveCamera()) BindCamera(r, c);
    SetMatrix(r->m_pEffect, r->m_hHandles[KEL_H_MATRIX_SHADOW_MAP_TRANSFORM], m_mShadowMapTransform);
    BindTargetTextures(r);
}

void CDX9KelRenderSystem::TakeNewEffects() {
    CDX9KelEffectManager* em = m_pGraphicsResManager ? m_pGraphicsResManager->m_pEffectManager : nullptr;
    if (!em) return;
    // An effect made and released again since the last frame is gone: only
    // those still in a slot are bound.
    for (CDX9KelGraphicResourceEffect* r : em->m_vNewEffects)
        if (em->HoldsPointer(r)) BindAll(r);
    em->m_vNewEffects.clear();
}

void CDX9KelRenderSystem::Update(float fTimeStep) {
    if (!m_pCameraManager || !m_pLightManager || !m_pGraphicsResManager || !m_pGraphicsResManager->m_pEffectManager)
        return;
    // Effects whose handles are gone (their resource was freed) drop out.
    CDX9KelEffectManager* em = m_pGraphicsResManager->m_pEffectManager;
    std::erase_if(m_vBoundCamera, [em](const auto& p) { return !em->HoldsPointer(p.first); });
    TakeNewEffects();
    const float time = static_cast<float>(static_cast<DWORD>(timeGetTime() - m_dwStartTime)) * m_fTimeScale;
    CDX9KelBaseCamera* cam = ActiveCamera();
    CDX9KelLight* light = m_pLightManager->GetFirstLight();
    for (CDX9KelBaseResource* res : em->m_vResources) {
        auto* r = static_cast<CDX9KelGraphicResourceEffect*>(res);
        if (!r || !r->m_pEffect) continue;
        SetFloat(r->m_pEffect, r->m_hHandles[KEL_H_TIME], time);
        SetFloat(r->m_pEffect, r->m_hHandles[KEL_H_ELAPSED_TIME], fTimeStep);
        if (cam && cam->m_bChanged) BindCamera(r, cam);
        if (light && light->m_bChanged) BindLight(r);
        if (m_bParameterChanged) BindColors(r);
    }
    m_bParameterChanged = false;
}

// ---------------------------------------------------------------------------
// Lists.

CDX9KelGraphicResourceEffect* CDX9KelRenderSystem::UnitEffect(CDX9KelSceneUnit* u) {
    CDX9KelGraphicResourceEffect* e = nullptr;
    if (auto* model = dynamic_cast<CDX9KelModel*>(u))
        e = model->m_pEffect;
    else if (auto* ru = dynamic_cast<IDX9KelRenderUnit*>(u))
        e = ru->GetRenderEffect();
    return e && e->m_pEffect ? e : nullptr;
}

SKelRenderSortKey CDX9KelRenderSystem::SortKey(CDX9KelSceneUnit* u) {
    SKelRenderSortKey k;
    k.fDistance2 = u->m_fCameraDistance;
    if (auto* model = dynamic_cast<CDX9KelModel*>(u)) {
        if (model->m_pEffect && model->m_pEffect->m_pEffect) k.iEffect = model->m_pEffect->m_iSlotIndex;
        CDX9KelTextureGroup* g = model->GetCurrentTextureGroup();
        if (g && g->m_pLayer1) k.iTexture = g->m_pLayer1->m_iSlotIndex;
    } else if (auto* ru = dynamic_cast<IDX9KelRenderUnit*>(u)) {
        CDX9KelGraphicResourceEffect* e = ru->GetRenderEffect();
        if (e && e->m_pEffect) k.iEffect = e->m_iSlotIndex;
        k.iTexture = ru->GetRenderTextureSlot();
    }
    if (k.iEffect < -1) k.iEffect = -1;
    if (k.iTexture < -1) k.iTexture = -1;
    return k;
}

void CDX9KelRenderSystem::SortUnits(std::vector<CDX9KelSceneUnit*>& list) {
    std::vector<std::pair<SKelRenderSortKey, CDX9KelSceneUnit*>> keyed;
    keyed.reserve(list.size());
    for (CDX9KelSceneUnit* u : list) keyed.emplace_back(SortKey(u), u);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return RenderSortBefore(a.first, b.first); });
    for (size_t i = 0; i < keyed.size(); ++i) list[i] = keyed[i].second;
}

void CDX9KelRenderSystem::SortByDistance(std::vector<CDX9KelSceneUnit*>& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](CDX9KelSceneUnit* a, CDX9KelSceneUnit* b) { return a->m_fCameraDistance > b->m_fCameraDistance; });
}

void CDX9KelRenderSystem::ClearLists() {
    for (auto* list : {&m_vModels, &m_vGraphicObjects, &m_vParticles, &m_vGUI3D}) {
        for (CDX9KelSceneUnit* u : *list) u->m_dwInList = 0;
        list->clear();
    }
    m_vParticlePass.clear();
}

void CDX9KelRenderSystem::Collect(CDX9KelBaseCamera* pCamera, bool bMain) {
    ClearLists();
    if (!pCamera) return;
    ++m_Stats.dwCollects;
    if (pCamera->m_bChanged) pCamera->UpdateFrustum();
    if (!m_pSceneTree) return;
    CDXSceneTree* tree = m_pSceneTree;
    // Only the main camera's collection counts in the statistics overlay.
    const DWORD visited = tree->m_dwVisitedLeafs, faces = tree->m_dwVisibleFaces;
    tree->CollectVisibleObjects(pCamera->m_Planes);
    if (bMain) {
        tree->m_dwVisibleFaces = 0;
    } else {
        tree->m_dwVisitedLeafs = visited;
        tree->m_dwVisibleFaces = faces;
    }
    const D3DXVECTOR3 eye = pCamera->m_vEye;
    for (CDX9KelSceneObject* obj : tree->m_vFoundObjects) {
        if (!obj) continue;
        SKelSceneLOD* lod = obj->SelectLOD(&eye);
        if (!lod) continue;
        for (CDX9KelSceneUnit* u : lod->m_vUnits) {
            if (!u || u->m_dwInList || !u->m_bPasses[0]) continue;
            std::vector<CDX9KelSceneUnit*>* list = nullptr;
            switch (u->m_iKind) {
            case KEL_UNIT_MODEL: list = &m_vModels; break;
            case KEL_UNIT_GRAPHIC_OBJECT: list = &m_vGraphicObjects; break;
            case KEL_UNIT_PARTICLE_SYSTEM: list = &m_vParticles; break;
            case KEL_UNIT_GUI3D: list = &m_vGUI3D; break;
            default: continue;
            }
            if (bMain) tree->m_dwVisibleFaces += u->m_dwFaces;
            u->UpdateSphereCentre();
            u->m_fCameraDistance = GetSquaredDistance(&u->m_vSphereCentre, &eye);
            if (m_bWaterLevelSplit) {
                u->m_bBelowWater = u->m_vSphereCentre.y - u->m_fRadius < m_fWaterLevel2;
                u->m_bAboveWater = u->m_vSphereCentre.y + u->m_fRadius > m_fWaterLevel1;
            }
            list->push_back(u);
            u->m_dwInList = 1;
        }
    }
}

// ---------------------------------------------------------------------------
// Targets during a frame.

bool CDX9KelRenderSystem::SaveTargets(bool bDepth) {
    ReleaseSaved();
    if (FAILED(m_pD3DDevice->GetRenderTarget(0, &m_pSavedColor))) return false;
    if (bDepth && FAILED(m_pD3DDevice->GetDepthStencilSurface(&m_pSavedDepth))) return false;
    return true;
}

bool CDX9KelRenderSystem::SetTargets(IDirect3DSurface9* pColor, IDirect3DSurface9* pDepth) {
    if (!pColor || FAILED(m_pD3DDevice->SetRenderTarget(0, pColor))) return false;
    if (pDepth && FAILED(m_pD3DDevice->SetDepthStencilSurface(pDepth))) return false;
    return true;
}

bool CDX9KelRenderSystem::RestoreTargets() {
    bool ok = true;
    if (m_pSavedColor) ok = SUCCEEDED(m_pD3DDevice->SetRenderTarget(0, m_pSavedColor)) && ok;
    if (m_pSavedDepth) ok = SUCCEEDED(m_pD3DDevice->SetDepthStencilSurface(m_pSavedDepth)) && ok;
    ReleaseSaved();
    return ok;
}

// ---------------------------------------------------------------------------
// Drawing.

int CDX9KelRenderSystem::LevelTechniqueSlot() const {
    switch (m_iShadersLevel) {
    case 2: return KEL_H_TECH_HIGHT;
    case 1: return KEL_H_TECH_MIDDLE;
    default: return KEL_H_TECH_LOW;
    }
}

D3DXHANDLE CDX9KelRenderSystem::Technique(CDX9KelGraphicResourceEffect* e, int pass) const {
    const D3DXHANDLE* h = e->m_hHandles;
    const int level = LevelTechniqueSlot();
    switch (pass) {
    case KEL_PASS_SHADOW: return h[KEL_H_TECH_SHADOW];
    case KEL_PASS_REFLECTION: return h[KEL_H_TECH_REFLECTION] ? h[KEL_H_TECH_REFLECTION] : h[level];
    case KEL_PASS_REFRACTION: return h[KEL_H_TECH_REFRACTION] ? h[KEL_H_TECH_REFRACTION] : h[level];
    case KEL_PASS_MAIN: return m_bShadows ? h[level + (KEL_H_TECH_HIGHT_SHADOW - KEL_H_TECH_HIGHT)] : h[level];
    default: return h[level];
    }
}

void CDX9KelRenderSystem::DrawUnit(IDirect3DDevice9* pDevice, CDX9KelSceneUnit* u, float fTimeStep,
                                   bool bTextureChanged, const D3DXMATRIX* pViewProj, UINT passes, UINT passCode) {
    ++m_Stats.dwUnitsDrawn;
    if (auto* model = dynamic_cast<CDX9KelModel*>(u))
        model->Draw(pDevice, fTimeStep, bTextureChanged, pViewProj, passes);
    else if (auto* ru = dynamic_cast<IDX9KelRenderUnit*>(u))
        ru->RenderUnit(pDevice, fTimeStep, bTextureChanged, pViewProj, passes, passCode);
}

void CDX9KelRenderSystem::DrawRuns(IDirect3DDevice9* pDevice, float fTimeStep, std::vector<CDX9KelSceneUnit*>& list,
                                   const CDX9KelBaseCamera* pCamera, int pass,
                                   const std::function<bool(CDX9KelSceneUnit*)>& filter) {
    const D3DXMATRIX* viewProj = pCamera ? &pCamera->m_mViewProjection : nullptr;
    size_t i = 0;
    while (i < list.size()) {
        CDX9KelGraphicResourceEffect* eff = UnitEffect(list[i]);
        size_t end = i + 1;
        while (end < list.size() && UnitEffect(list[end]) == eff) ++end;
        D3DXHANDLE tech = eff ? Technique(eff, pass) : nullptr;
        bool any = false;
        for (size_t k = i; k < end && !any; ++k) any = filter(list[k]);
        if (!eff || !tech || !any) {
            // Models without any effect draw with the fixed-function path in
            // the main pass, particle systems whose emitters name no effect in
            // the particle passes; nothing else draws without its effect.
            if (!eff && any && (pass == KEL_PASS_MAIN || pass == KEL_PASS_PARTICLES)) {
                int lastTexture = -2;
                for (size_t k = i; k < end; ++k) {
                    if (!filter(list[k]) || (pass == KEL_PASS_MAIN && !dynamic_cast<CDX9KelModel*>(list[k])))
                        continue;
                    const int tex = SortKey(list[k]).iTexture;
                    DrawUnit(pDevice, list[k], fTimeStep, tex != lastTexture, viewProj, 0, pass);
                    lastTexture = tex;
                }
            }
            i = end;
            continue;
        }
        ID3DXEffect* e = eff->m_pEffect;
        auto bound = std::find_if(m_vBoundCamera.begin(), m_vBoundCamera.end(),
                                  [eff](const auto& p) { return p.first == eff; });
        if (pCamera && (bound == m_vBoundCamera.end() || bound->second != pCamera || pCamera->m_bChanged))
            BindCamera(eff, pCamera);
        if (pass == KEL_PASS_MAIN) BindTargetTextures(eff);
        e->SetTechnique(tech);
        UINT passes = 0;
        if (FAILED(e->Begin(&passes, 0))) {
            i = end;
            continue;
        }
        ++m_Stats.dwRuns;
        int lastTexture = -2;
        int lastShadowGroup = -1;
        for (size_t k = i; k < end; ++k) {
            CDX9KelSceneUnit* u = list[k];
            if (!filter(u)) continue;
            if (pass == KEL_PASS_MAIN && m_bShadows) {
                // Near units take the near shadow map, the rest the far one.
                const int group = u->m_fCameraDistance <= m_fNearShadowDistance2 ? 1 : 2;
                if (group != lastShadowGroup) {
                    CDX9KelBaseCamera* lc = group == 1 ? m_pLightCamera1 : m_pLightCamera2;
                    if (lc) SetMatrix(e, eff->m_hHandles[KEL_H_MATRIX_LIGHT_VIEW_PROJ], lc->m_mViewProjection);
                    if (eff->m_hHandles[KEL_H_TEXTURE_SHADOWS])
                        e->SetTexture(eff->m_hHandles[KEL_H_TEXTURE_SHADOWS],
                                      Tex(group == 1 ? m_pRTNearShadowMap : m_pRTFarShadowMap));
                    lastShadowGroup = group;
                }
            }
            const int tex = SortKey(u).iTexture;
            DrawUnit(pDevice, u, fTimeStep, tex != lastTexture, viewProj, passes, pass);
            lastTexture = tex;
        }
        e->End();
        i = end;
    }
}

bool CDX9KelRenderSystem::ShadowPass(IDirect3DDevice9* pDevice, float fTimeStep) {
    CDX9KelBaseCamera* main = ActiveCamera();
    CDX9KelLight* light = m_pLightManager ? m_pLightManager->GetFirstLight() : nullptr;
    if (!main || !light || !m_pLightCamera1 || !m_pLightCamera2) return true;
    if (!SaveTargets(true)) return false;
    if (main->m_bChanged) main->UpdateFrustum();
    const D3DXVECTOR3 eyeMain = main->m_vEye;
    struct Map {
        IDirect3DSurface9* surface;
        CDX9KelGraphicResourceDepthStencil* depth;
        CDX9KelBaseCamera* camera;
        float distance, from, to;
    };
    const Map maps[2] = {
        {m_pSurfNearShadowMap, m_pGRNearShadowDepthStencil, m_pLightCamera1, m_fNearLightCameraDistance, 0.0f,
         m_fNearShadowDistance2},
        {m_pSurfFarShadowMap, m_pGRFarShadowDepthStencil, m_pLightCamera2, m_fFarLightCameraDistance,
         m_fNearShadowDistance2, m_fFarShadowDistance2}};
    for (const Map& m : maps) {
        if (!SetTargets(m.surface, m.depth ? m.depth->m_pSurface : nullptr)) return false;
        pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0);
        const D3DXVECTOR3 target = main->m_vTarget;
        const D3DXVECTOR3 eye = target - light->m_vDirection * m.distance;
        m.camera->SetPosition(&eye, &target);
        m.camera->m_bChanged = true;
        Collect(m.camera, false);
        SortUnits(m_vModels);
        const float from = m.from, to = m.to;
        DrawRuns(pDevice, fTimeStep, m_vModels, m.camera, KEL_PASS_SHADOW, [&](CDX9KelSceneUnit* u) {
            const float d = GetSquaredDistance(&eyeMain, &u->m_vSphereCentre);
            return u->m_bPasses[1] && d >= from && d <= to;
        });
    }
    return RestoreTargets();
}

void CDX9KelRenderSystem::MirrorCamera(CDX9KelBaseCamera* main) {
    CDX9KelBaseCamera* r = m_pReflectionCamera;
    D3DXMATRIX reflect;
    D3DXMatrixReflect(&reflect, &m_WaterPlane);
    const D3DXMATRIX view = reflect * main->m_mView;
    r->m_mProjection = main->m_mProjection;
    r->m_fNear = main->m_fNear;
    r->m_fFar = main->m_fFar;
    r->SetView(&view);
    r->m_vEye = D3DXVECTOR3(main->m_vEye.x, -main->m_vEye.y, main->m_vEye.z);
    r->m_vTarget = D3DXVECTOR3(main->m_vTarget.x, -main->m_vTarget.y, main->m_vTarget.z);
    // The mirrored camera changed, so its frustum is rebuilt by the collection.
    r->m_bChanged = true;
}

bool CDX9KelRenderSystem::ReflectionPass(IDirect3DDevice9* pDevice, float fTimeStep) {
    CDX9KelBaseCamera* main = ActiveCamera();
    if (!main || !m_pReflectionCamera) return true;
    if (!SaveTargets(m_pGRReflRefrDepthStencil != nullptr)) return false;
    if (!SetTargets(m_pSurfReflectionMap, m_pGRReflRefrDepthStencil ? m_pGRReflRefrDepthStencil->m_pSurface : nullptr))
        return false;
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_ReflectionClearColor, 1.0f, 0);
    if (main->m_bChanged || m_pReflectionCamera->m_bChanged) MirrorCamera(main);
    Collect(m_pReflectionCamera, false);
    SortUnits(m_vModels);
    DWORD alphaRef = 0;
    pDevice->GetRenderState(D3DRS_ALPHAREF, &alphaRef);
    // The mirror turns the winding of every triangle round.
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    const float limit = m_fReflectionDistance2;
    DrawRuns(pDevice, fTimeStep, m_vModels, m_pReflectionCamera, KEL_PASS_REFLECTION,
             [limit](CDX9KelSceneUnit* u) { return u->m_bPasses[2] && u->m_fCameraDistance <= limit; });
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    pDevice->SetRenderState(D3DRS_ALPHAREF, alphaRef);
    ParticlePass(pDevice, fTimeStep, KEL_PASS_REFLECTION);
    if (!m_bRefraction) return RestoreTargets();
    return true;
}

bool CDX9KelRenderSystem::RefractionPass(IDirect3DDevice9* pDevice, float fTimeStep, bool bSaved) {
    if (!bSaved && !SaveTargets(m_pGRReflRefrDepthStencil != nullptr)) return false;
    if (!SetTargets(m_pSurfRefractionMap,
                    !bSaved && m_pGRReflRefrDepthStencil ? m_pGRReflRefrDepthStencil->m_pSurface : nullptr))
        return false;
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_RefractionClearColor, 1.0f, 0);
    SortUnits(m_vModels);
    const float limit = m_fRefractionDistance2;
    const bool split = m_bWaterLevelSplit;
    DrawRuns(pDevice, fTimeStep, m_vModels, ActiveCamera(), KEL_PASS_REFRACTION, [=](CDX9KelSceneUnit* u) {
        return (!split || u->m_bBelowWater) && u->m_bPasses[3] && u->m_fCameraDistance <= limit;
    });
    ParticlePass(pDevice, fTimeStep, KEL_PASS_REFRACTION);
    return RestoreTargets();
}

void CDX9KelRenderSystem::MainPass(IDirect3DDevice9* pDevice, float fTimeStep) {
    if (!m_bRefraction) SortUnits(m_vModels);
    pDevice->SetRenderState(D3DRS_ALPHAREF, m_dwMainAlphaRef);
    const bool split = m_bWaterLevelSplit;
    DrawRuns(pDevice, fTimeStep, m_vModels, ActiveCamera(), KEL_PASS_MAIN,
             [=](CDX9KelSceneUnit* u) { return (!split || u->m_bAboveWater) && u->m_bPasses[4]; });
}

void CDX9KelRenderSystem::GraphicObjectPass(IDirect3DDevice9* pDevice, float fTimeStep) {
    // The graphic objects of the manager that are shown and not yet listed
    // (the sky and the sea need not stand in the octree).
    CDX9KelGraphicObjectsManager* gm = m_pGraphicsResManager ? m_pGraphicsResManager->m_pGraphObjectManager : nullptr;
    CDX9KelBaseCamera* cam = ActiveCamera();
    std::vector<CDX9KelSceneUnit*> extra;
    if (gm)
        for (CDX9KelBaseResource* r : gm->m_vResources)
            if (auto* u = dynamic_cast<CDX9KelSceneUnit*>(r)) extra.push_back(u);
    if (m_fnGraphicObjects) m_fnGraphicObjects(extra);
    for (CDX9KelSceneUnit* u : extra) {
        if (!u || u->m_dwInList || !u->m_bPasses[0]) continue;
        u->UpdateSphereCentre();
        if (cam) u->m_fCameraDistance = GetSquaredDistance(&u->m_vSphereCentre, &cam->m_vEye);
        u->m_dwInList = 1;
        m_vGraphicObjects.push_back(u);
    }
    if (m_vGraphicObjects.empty()) return;
    SortUnits(m_vGraphicObjects);
    DrawRuns(pDevice, fTimeStep, m_vGraphicObjects, ActiveCamera(), KEL_PASS_GRAPHIC_OBJECTS,
             [](CDX9KelSceneUnit*) { return true; });
}

void CDX9KelRenderSystem::ParticlePass(IDirect3DDevice9* pDevice, float fTimeStep, int pass) {
    m_vParticlePass.clear();
    const bool split = m_bWaterLevelSplit;
    for (CDX9KelSceneUnit* u : m_vParticles) {
        bool ok = false;
        switch (pass) {
        case KEL_PASS_REFLECTION: ok = u->m_bPasses[2]; break;
        case KEL_PASS_REFRACTION: ok = u->m_bPasses[3] && (!split || u->m_bBelowWater); break;
        default: ok = u->m_bPasses[4] && (!split || u->m_bAboveWater); break;
        }
        if (ok) m_vParticlePass.push_back(u);
    }
    if (m_vParticlePass.empty()) return;
    SortByDistance(m_vParticlePass);
    DWORD alphaRef = 0;
    pDevice->GetRenderState(D3DRS_ALPHAREF, &alphaRef);
    pDevice->SetRenderState(D3DRS_ALPHAREF, m_dwParticleAlphaRef);
    CDX9KelBaseCamera* cam = pass == KEL_PASS_REFLECTION ? m_pReflectionCamera : ActiveCamera();
    // Each system is its own run: the systems are drawn farthest first.
    for (CDX9KelSceneUnit* u : m_vParticlePass) {
        std::vector<CDX9KelSceneUnit*> one{u};
        DrawRuns(pDevice, fTimeStep, one, cam, KEL_PASS_PARTICLES, [](CDX9KelSceneUnit*) { return true; });
    }
    pDevice->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_ALPHAREF, alphaRef);
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void CDX9KelRenderSystem::GUI3DPass(IDirect3DDevice9* pDevice, float fTimeStep) {
    if (m_vGUI3D.empty()) return;
    CDX9KelBaseCamera* cam = ActiveCamera();
    pDevice->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    D3DXMATRIX proj, saved;
    pDevice->GetTransform(D3DTS_PROJECTION, &saved);
    if (cam) {
        D3DXMatrixPerspectiveFovLH(&proj, cam->m_fFov, cam->m_fAspect, cam->m_fNear, kGUI3DFarPlane);
        pDevice->SetTransform(D3DTS_PROJECTION, &proj);
    }
    SortUnits(m_vGUI3D);
    DrawRuns(pDevice, fTimeStep, m_vGUI3D, cam, KEL_PASS_GUI3D, [](CDX9KelSceneUnit*) { return true; });
    pDevice->SetTransform(D3DTS_PROJECTION, &saved);
    // Point filtering is for the markers only.
    pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
}

bool CDX9KelRenderSystem::DrawScreenQuad(IDirect3DDevice9* pDevice) {
    if (!m_pVBScreen || !m_pRTScene) return false;
    pDevice->SetTransform(D3DTS_WORLD, &m_mScreenTranslation);
    pDevice->SetTransform(D3DTS_VIEW, &m_mScreenTranslation);
    pDevice->SetTransform(D3DTS_PROJECTION, &m_mScreenOrtho);
    pDevice->SetTexture(0, Tex(m_pRTScene));
    pDevice->SetFVF(kScreenQuadFVF);
    pDevice->SetStreamSource(0, m_pVBScreen, 0, kScreenQuadStride);
    pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    pDevice->SetTexture(0, nullptr);
    if (CDX9KelBaseCamera* cam = ActiveCamera()) cam->Apply(pDevice);
    return true;
}

bool CDX9KelRenderSystem::Render(IDirect3DDevice9* pDevice, D3DCOLOR clearColor, float fTimeStep, bool bDrawTree,
                                 bool bDrawSGUI) {
    if (!pDevice || !m_pCameraManager || m_bLost) return false;
    m_pD3DDevice = pDevice;
    m_Stats = FrameStats{};
    // Whatever fails below, the device ends up drawing into the back buffer
    // again and the lists are empty.
    auto fail = [this]() {
        RestoreTargets();
        ClearLists();
        return false;
    };
    const auto stage = [this](const char* name) {
        if (m_fnStageDone) m_fnStageDone(name);
    };
    const bool scene = m_pSceneTree != nullptr;
    if (m_bShadows && scene && !ShadowPass(pDevice, fTimeStep)) return fail();
    stage("shadows");
    const bool reflection = m_bReflection && scene;
    if (reflection && !ReflectionPass(pDevice, fTimeStep)) return fail();
    stage("reflection");
    Collect(ActiveCamera(), true);
    if (m_bRefraction && !RefractionPass(pDevice, fTimeStep, reflection)) return fail();
    stage("refraction");
    if (!m_pGRReflRefrDepthStencil)
        pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0);
    if (m_bSceneTarget) {
        if (!SaveTargets(false) || !SetTargets(m_pSurfScene, nullptr)) return fail();
        pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_SceneClearColor, 1.0f, 0);
    }
    if (bDrawTree && m_pSceneTree) m_pSceneTree->Render(pDevice);
    stage("tree");
    MainPass(pDevice, fTimeStep);
    stage("main");
    GraphicObjectPass(pDevice, fTimeStep);
    stage("graphic objects");
    ParticlePass(pDevice, fTimeStep, KEL_PASS_MAIN);
    stage("particles");
    GUI3DPass(pDevice, fTimeStep);
    stage("gui3d");
    if (m_bSceneTarget && !RestoreTargets()) return fail();
    if (bDrawSGUI && m_pSGUIManager) m_pSGUIManager->Render(pDevice, fTimeStep);
    stage("screen gui");
    if (m_bSceneTarget) {
        pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        const bool ok = DrawScreenQuad(pDevice);
        pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        if (!ok) return fail();
    }
    stage("screen quad");
    ClearLists();
    return true;
}

bool CDX9KelRenderSystem::SaveScreenshot() {
    if (m_strScreenshotFile.empty() || !m_pD3DDevice) return false;
    const std::string file = m_strScreenshotFile;
    m_strScreenshotFile.clear();
    IDirect3DSurface9* back = nullptr;
    if (FAILED(m_pD3DDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
    const HRESULT hr = D3DXSaveSurfaceToFileA(file.c_str(), m_ScreenshotFormat, back, nullptr, nullptr);
    back->Release();
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CDX9KelRenderSystem::SaveScreenshot() : D3DXSaveSurfaceToFile failed : ",
                    file.c_str(), "\n");
        return false;
    }
    return true;
}

} // namespace Vorna3D
