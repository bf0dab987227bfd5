#include "engine3/world/ocean/CDX9KelOceanWater.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "platform/os/ResultCodes.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstring>

namespace Vorna3D {

UINT CDX9KelOceanWater::s_uMapWidth = CDX9KelOceanSurface::kMapWidth;
UINT CDX9KelOceanWater::s_uMapHeight = CDX9KelOceanSurface::kMapHeight;

namespace {

constexpr UINT kNoiseSide = CDX9KelOceanSurface::kTableSide;
constexpr UINT kSoftwareColumns = 100, kSoftwareRows = 200;
constexpr UINT kHardwareColumns = 50, kHardwareRows = 120;

// The twelve edges of the view volume, by corner numbers.
constexpr int kFrustumEdges[12][2] = {{0, 1}, {0, 2}, {2, 3}, {1, 3}, {0, 4}, {2, 6},
                                      {3, 7}, {1, 5}, {4, 6}, {4, 5}, {5, 7}, {6, 7}};

ID3DXEffect* EffectOf(const CDX9KelGraphicResourceEffect* p) { return p ? p->m_pEffect : nullptr; }
IDirect3DBaseTexture9* TextureOf(const CDX9KelGraphicResourceTexture* p) { return p ? p->m_pTexture : nullptr; }

} // namespace

CDX9KelOceanWater::CDX9KelOceanWater() : CDX9KelGraphicResourceGObject("water") {
    D3DXMatrixIdentity(&m_mProjector);
}

CDX9KelOceanWater::~CDX9KelOceanWater() { Release(); }

bool CDX9KelOceanWater::CapabilityCheck(const char* szQuestion, bool answer) {
    g_Log.Write(LOG_INFO, "%s", szQuestion);
    g_Log.Write(LOG_TEXT, "%s", answer ? "YES\n" : "NO\n");
    return answer;
}

bool CDX9KelOceanWater::Init(IDirect3DDevice9* pDevice, CDX9KelRenderSystem* pRenderSystem, bool bSoftware) {
    if (!pDevice || !pRenderSystem || !pRenderSystem->m_pCameraManager)
        return false;
    if (!m_pResManager)
        m_pResManager = pRenderSystem->m_pGraphicsResManager;
    if (!m_pResManager)
        return false;
    g_Log.Write(LOG_INFO, "%s", "CDX9KelOceanWater::Init() : Begin\n");
    m_pDevice = pDevice;
    m_pRenderSystem = pRenderSystem;
    m_pCameraManager = pRenderSystem->m_pCameraManager;
    CDX9KelBaseCameraManager* pCameraManager = m_pCameraManager;
    CDX9KelRender* pRender = pRenderSystem->m_pRender;
    m_bSoftware = bSoftware;
    m_bGeneratedNoise = true;

    const D3DFORMAT desktop = pRender ? pRender->m_DesktopMode.Format : D3DFMT_UNKNOWN;
    const bool target = CapabilityCheck("Render Target format D3DFMT_A16B16G16R16 :",
                                        pRender && pRender->IsRenderTargetFormatExisting(D3DFMT_A16B16G16R16, desktop));
    const bool heights = CapabilityCheck("Render Target format D3DFMT_R32F :",
                                         pRender && pRender->IsRenderTargetFormatExisting(D3DFMT_R32F, desktop));
    const bool depth = CapabilityCheck("Depth stencil surface format D3DFMT_D24S8 :",
                                       pRender && pRender->IsDepthFormatExisting(D3DFMT_D24S8, desktop));
    const bool match = CapabilityCheck(
        "Depth stencil surface format D3DFMT_D24S8 Compatible Render Target format D3DFMT_A16B16G16R16 :",
        pRender && pRender->m_pD3D &&
            SUCCEEDED(pRender->m_pD3D->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop,
                                                              D3DFMT_A16B16G16R16, D3DFMT_D24S8)));
    if (!target || !heights || !depth || !match)
        m_bSoftware = true;

    RECT client = {};
    const int clientWidth = (pCameraManager->m_hWnd && GetClientRect(pCameraManager->m_hWnd, &client))
                                ? static_cast<int>(client.right - client.left)
                                : pCameraManager->m_iWidth;
    MapSizeForClientWidth(clientWidth, &s_uMapWidth, &s_uMapHeight);
    m_uGridColumns = bSoftware ? kSoftwareColumns : kHardwareColumns;
    m_uGridRows = bSoftware ? kSoftwareRows : kHardwareRows;
    pRenderSystem->SetRefractionMapClearColor(m_vWaterColor.x, m_vWaterColor.y, m_vWaterColor.z, 1.0f);
    pRenderSystem->SetReflectionMapClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : InitBuffers()\n");
    if (!InitBuffers())
        return false;
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : InitNoise()\n");
    InitNoise();
    UpdatePlanes();
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : CreateTextures()\n");
    if (!CreateTextures() || !GetSurfacesForRenderTargets())
        return false;
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : CreteDepthStencils()\n");
    if (!CreteDepthStencils())
        return false;
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : LoadEffects()\n");
    if (!LoadEffects())
        return false;
    SetEffectParameters();
    g_Log.Write(LOG_INFO, "%s", "CDX9KelOceanWater::Init() : End\n");
    return true;
}

bool CDX9KelOceanWater::InitBuffers() { return InitVertexBuffer() && InitIndexBuffer(); }

bool CDX9KelOceanWater::InitVertexBuffer() {
    if (m_pVB) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::InitVertexBuffer : vertex buffer already used\n");
        return false;
    }
    if (!m_pDevice || m_uGridColumns < 2 || m_uGridRows < 2)
        return false;
    const UINT count = m_uGridColumns * m_uGridRows;
    if (FAILED(m_pDevice->CreateVertexBuffer(count * sizeof(OCEANVERTEX), D3DUSAGE_WRITEONLY, kFVF, D3DPOOL_MANAGED,
                                             &m_pVB, nullptr)))
        return false;
    void* data = nullptr;
    if (FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data) {
        SafeReleaseCom(m_pVB);
        return false;
    }
    auto* v = static_cast<OCEANVERTEX*>(data);
    for (UINT j = 0; j < m_uGridRows; ++j)
        for (UINT i = 0; i < m_uGridColumns; ++i) {
            OCEANVERTEX& p = v[j * m_uGridColumns + i];
            p = OCEANVERTEX{};
            p.ny = 1.0f;
            p.diffuse = m_dwDiffuse;
            p.u = static_cast<float>(i) / static_cast<float>(m_uGridColumns - 1);
            p.v = static_cast<float>(j) / static_cast<float>(m_uGridRows - 1);
        }
    m_pVB->Unlock();
    m_uVertexCount = count;
    return true;
}

bool CDX9KelOceanWater::InitIndexBuffer() {
    if (m_pIB) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::InitVertexBuffer : index buffer already used\n");
        return false;
    }
    if (!m_pDevice || m_uGridColumns < 2 || m_uGridRows < 2)
        return false;
    const UINT count = (m_uGridColumns - 1) * (m_uGridRows - 1) * 6;
    if (FAILED(m_pDevice->CreateIndexBuffer(count * sizeof(DWORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                            D3DPOOL_MANAGED, &m_pIB, nullptr)))
        return false;
    void* data = nullptr;
    if (FAILED(m_pIB->Lock(0, 0, &data, 0)) || !data) {
        SafeReleaseCom(m_pIB);
        return false;
    }
    auto* out = static_cast<DWORD*>(data);
    for (UINT j = 0; j + 1 < m_uGridRows; ++j)
        for (UINT i = 0; i + 1 < m_uGridColumns; ++i) {
            const DWORD a = j * m_uGridColumns + i, b = a + 1, c = a + m_uGridColumns, d = c + 1;
            const DWORD cell[6] = {a, c, b, b, c, d};
            std::memcpy(out, cell, sizeof(cell));
            out += 6;
        }
    m_pIB->Unlock();
    m_uIndexCount = count;
    return true;
}

bool CDX9KelOceanWater::CreateTextures() {
    m_pSkyTexture = m_pResManager->CreateTextureFromFile(m_strTextureFolder.c_str(), m_strSkyTextureFile.c_str(),
                                                         true, 0);
    if (!TextureOf(m_pSkyTexture)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreateTextures : Not create sky texture\n");
        return false;
    }
    m_pFresnelTexture = m_pResManager->CreateTextureFromFile(m_strTextureFolder.c_str(),
                                                             m_strFresnelTextureFile.c_str(), false, 0);
    if (!TextureOf(m_pFresnelTexture)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreateTextures : Not create frenel texture\n");
        return false;
    }
    if (m_bSoftware)
        return true;
    // One float channel: the heights are all the normal pass reads, and a
    // single 32-bit channel costs the software renderer less than four
    // 16-bit ones.
    m_pHeightMap = m_pResManager->CreateDinamicTexture("WaterHeightMap", s_uMapWidth, s_uMapHeight, 1,
                                                       D3DUSAGE_RENDERTARGET, D3DFMT_R32F);
    if (!TextureOf(m_pHeightMap)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreateTextures : Not create height map\n");
        return false;
    }
    m_pNormalMap = m_pResManager->CreateDinamicTexture("WaterNormalMap", s_uMapWidth, s_uMapHeight, 1,
                                                       D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP,
                                                       D3DFMT_A16B16G16R16);
    if (!TextureOf(m_pNormalMap)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreateTextures : Not create normal map\n");
        return false;
    }
    if (!m_bGeneratedNoise)
        return true;
    m_pNoise1 = m_pResManager->CreateDinamicTexture("WaterNoise1", kNoiseSide, kNoiseSide, 0, D3DUSAGE_DYNAMIC,
                                                    D3DFMT_L16);
    if (!TextureOf(m_pNoise1)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreateTextures : Not create noise1 dinamic texture\n");
        return false;
    }
    m_pNoise2 = m_pResManager->CreateDinamicTexture("WaterNoise2", kNoiseSide, kNoiseSide, 0, D3DUSAGE_DYNAMIC,
                                                    D3DFMT_L16);
    if (!TextureOf(m_pNoise2)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreateTextures : Not create noise2 dinamic texture\n");
        return false;
    }
    return true;
}

bool CDX9KelOceanWater::GetSurfacesForRenderTargets() {
    if (m_bSoftware)
        return true;
    auto level0 = [](CDX9KelGraphicResourceTexture* t, IDirect3DSurface9** out) {
        IDirect3DBaseTexture9* base = TextureOf(t);
        if (!base || base->GetType() != D3DRTYPE_TEXTURE)
            return false;
        return SUCCEEDED(static_cast<IDirect3DTexture9*>(base)->GetSurfaceLevel(0, out)) && *out;
    };
    SafeReleaseCom(m_pHeightSurface);
    SafeReleaseCom(m_pNormalSurface);
    if (!level0(m_pHeightMap, &m_pHeightSurface)) {
        g_Log.Write(LOG_ERROR, "%s",
                    "CDX9KelRenderSystem::GetSurfacesForRenderTargets() : HeightMap->GetSurfaceLevel failed \n");
        return false;
    }
    if (!level0(m_pNormalMap, &m_pNormalSurface)) {
        g_Log.Write(LOG_ERROR, "%s",
                    "CDX9KelRenderSystem::GetSurfacesForRenderTargets() : NormalMap->GetSurfaceLevel failed \n");
        return false;
    }
    return true;
}

bool CDX9KelOceanWater::CreteDepthStencils() {
    m_pNormalMapDepthStencil = m_pResManager->CreateDepthStencil("WaterNormalMap", s_uMapWidth, s_uMapHeight,
                                                                 D3DFMT_D24S8);
    if (!m_pNormalMapDepthStencil || !m_pNormalMapDepthStencil->m_pSurface) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelActiveWater::CreteDepthStencils : Not create normal map depth stencil\n");
        return false;
    }
    return true;
}

bool CDX9KelOceanWater::LoadEffects() {
    const char* folder = m_strEffectFolder.c_str();
    m_pWaterEffect = m_pResManager->CreateEffectFromFile(
        folder, m_bSoftware ? m_strSWWaterEffectFile.c_str() : m_strHWWaterEffectFile.c_str());
    if (!EffectOf(m_pWaterEffect)) {
        g_Log.Write(LOG_ERROR, "%s",
                    m_bSoftware ? "CDX9KelRenderSystem::LoadEffects() : Not create SW water effect\n"
                                : "CDX9KelRenderSystem::LoadEffects() : Not create HW water effect\n");
        return false;
    }
    m_pHeightEffect = m_pResManager->CreateEffectFromFile(folder, m_strHeightEffectFile.c_str());
    if (!EffectOf(m_pHeightEffect)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRenderSystem::LoadEffects() : Not create height map water effect\n");
        return false;
    }
    m_pNormalEffect = m_pResManager->CreateEffectFromFile(folder, m_strNormalEffectFile.c_str());
    if (!EffectOf(m_pNormalEffect)) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRenderSystem::LoadEffects() : Not create normal map water effect\n");
        return false;
    }
    return true;
}

void CDX9KelOceanWater::SetEffectParameters() {
    if (ID3DXEffect* e = EffectOf(m_pHeightEffect))
        e->SetFloat("g_Scale", m_fEffectScale);
    if (ID3DXEffect* e = EffectOf(m_pNormalEffect)) {
        e->SetFloat("g_InvMapSizeX", 2.0f / static_cast<float>(s_uMapWidth));
        e->SetFloat("g_InvMapSizeY", 2.0f / static_cast<float>(s_uMapHeight));
        e->SetFloat("g_Amplitude", 2.0f * m_fAmplitude);
    }
    if (ID3DXEffect* e = EffectOf(m_pWaterEffect)) {
        ApplyWaterColor();
        e->SetFloat("g_ReflRefrOffset", m_fReflRefrOffset);
        e->SetTexture("SkyMap", TextureOf(m_pSkyTexture));
        e->SetTexture("FresnelMap", TextureOf(m_pFresnelTexture));
    }
}

bool CDX9KelOceanWater::SetAmplitude(float amplitude) {
    if (!CDX9KelOceanSurface::SetAmplitude(amplitude))
        return false;
    if (ID3DXEffect* e = EffectOf(m_pNormalEffect))
        e->SetFloat("g_Amplitude", 2.0f * m_fAmplitude);
    return true;
}

void CDX9KelOceanWater::ApplyWaterColor() {
    if (ID3DXEffect* e = EffectOf(m_pWaterEffect)) {
        const D3DXVECTOR4 colour(m_vWaterColor.x, m_vWaterColor.y, m_vWaterColor.z, 1.0f);
        e->SetVector("g_WaterColor", &colour);
    }
}

bool CDX9KelOceanWater::UpdateProjectedGrid() {
    const CDX9KelBaseCamera* camera = m_pCameraManager ? m_pCameraManager->m_pActiveCamera : nullptr;
    if (!camera)
        return m_bVisible;
    const D3DXVECTOR3* corners = camera->m_vCorners;
    D3DXVECTOR3 points[12 * 2 + 8];
    int count = 0;
    for (const auto& edge : kFrustumEdges) {
        const D3DXVECTOR3& a = corners[edge[0]];
        const D3DXVECTOR3& b = corners[edge[1]];
        for (const D3DXPLANE* plane : {&m_UpperPlane, &m_LowerPlane}) {
            const float da = D3DXPlaneDotCoord(plane, &a);
            const float db = D3DXPlaneDotCoord(plane, &b);
            if (da * db < 0.0f) {
                const float t = da / (da - db);
                points[count++] = a + (b - a) * t;
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        const float up = D3DXPlaneDotCoord(&m_UpperPlane, &corners[i]);
        const float low = D3DXPlaneDotCoord(&m_LowerPlane, &corners[i]);
        if (up * low < 0.0f)
            points[count++] = corners[i];
    }
    if (count == 0)
        return false;

    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (int i = 0; i < count; ++i) {
        D3DXVECTOR3 p = points[i] - m_vNormal * D3DXVec3Dot(&m_vNormal, &points[i]);
        D3DXVECTOR3 inView, projected;
        D3DXVec3TransformCoord(&inView, &p, &camera->m_mView);
        D3DXVec3TransformCoord(&projected, &inView, &camera->m_mProjection);
        if (i == 0 || projected.x < xmin) xmin = projected.x;
        if (i == 0 || projected.x > xmax) xmax = projected.x;
        if (i == 0 || projected.y < ymin) ymin = projected.y;
        if (i == 0 || projected.y > ymax) ymax = projected.y;
    }
    D3DXMATRIX range(xmax - xmin, 0, 0, 0, 0, ymax - ymin, 0, 0, 0, 0, 1, 0, xmin, ymin, 0, 1);
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &camera->m_mViewProjection))
        return false;
    m_mProjector = range * inverse;
    const D3DXVECTOR4 gridCorners[4] = {GridCorner(0.0f, 0.0f, m_mProjector), GridCorner(1.0f, 0.0f, m_mProjector),
                                        GridCorner(0.0f, 1.0f, m_mProjector), GridCorner(1.0f, 1.0f, m_mProjector)};
    SetGridCorners(gridCorners);
    return true;
}

bool CDX9KelOceanWater::GenerateNoiseTexture() {
    // Signed values of the level being built and of the one below it.
    static thread_local std::int32_t below[kNoiseSide * kNoiseSide];
    static thread_local std::int32_t built[kNoiseSide * kNoiseSide];
    CDX9KelGraphicResourceTexture* textures[2] = {m_pNoise1, m_pNoise2};
    for (int t = 0; t < 2; ++t) {
        IDirect3DBaseTexture9* base = TextureOf(textures[t]);
        if (!base || base->GetType() != D3DRTYPE_TEXTURE)
            return false;
        auto* texture = static_cast<IDirect3DTexture9*>(base);
        const WORD* copy = GetTextureCopy() + t * kTableCells;
        D3DLOCKED_RECT locked = {};
        HRESULT hr = texture->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) {
            g_Log.Write(LOG_ERROR, "%s%s\n", "CDX9KelOceanWater::GenerateNoiseTexture() :  LockRect( 0 ) : ",
                        DXGetErrorStringA(hr));
            return false;
        }
        if (!locked.pBits) {
            g_Log.Write(LOG_ERROR, "%s", "CDX9KelOceanWater::GenerateNoiseTexture() :  LockRect( 0 ) : data == NULL\n");
            texture->UnlockRect(0);
            return false;
        }
        if (locked.Pitch < static_cast<INT>(kNoiseSide * sizeof(WORD))) {
            g_Log.Write(LOG_ERROR, "%s", "CDX9KelOceanWater::GenerateNoiseTexture : memcpy_s \n");
            texture->UnlockRect(0);
            return false;
        }
        for (UINT y = 0; y < kNoiseSide; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + size_t(y) * locked.Pitch, copy + y * kNoiseSide,
                        kNoiseSide * sizeof(WORD));
        texture->UnlockRect(0);
        for (UINT i = 0; i < kNoiseSide * kNoiseSide; ++i)
            below[i] = static_cast<std::int32_t>(copy[i]) - 32768;

        UINT side = kNoiseSide;
        const DWORD levels = texture->GetLevelCount();
        for (DWORD level = 1; level < levels && side > 1; ++level) {
            const UINT half = side / 2;
            for (UINT y = 0; y < half; ++y)
                for (UINT x = 0; x < half; ++x) {
                    const std::int32_t* row0 = below + size_t(2 * y) * side;
                    const std::int32_t* row1 = row0 + side;
                    built[y * half + x] = (row0[2 * x] + row0[2 * x + 1] + row1[2 * x] + row1[2 * x + 1]) >> 2;
                }
            hr = texture->LockRect(level, &locked, nullptr, 0);
            if (FAILED(hr) || !locked.pBits) {
                char prefix[96];
                std::snprintf(prefix, sizeof(prefix), "CDX9KelOceanWater::GenerateNoiseTexture() :  LockRect( %s ) : ",
                              level == 1 ? "1" : "j");
                if (FAILED(hr)) {
                    g_Log.Write(LOG_ERROR, "%s%s\n", prefix, DXGetErrorStringA(hr));
                } else {
                    g_Log.Write(LOG_ERROR, "%s%s", prefix, "data == NULL\n");
                    texture->UnlockRect(level);
                }
                return false;
            }
            if (locked.Pitch < static_cast<INT>(half * sizeof(WORD))) {
                g_Log.Write(LOG_ERROR, "%s", "CDX9KelOceanWater::GenerateNoiseTexture : memcpy_s \n");
                texture->UnlockRect(level);
                return false;
            }
            for (UINT y = 0; y < half; ++y) {
                auto* row = reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) + size_t(y) * locked.Pitch);
                for (UINT x = 0; x < half; ++x)
                    row[x] = static_cast<WORD>(32768 + built[y * half + x]);
            }
            texture->UnlockRect(level);
            std::memcpy(below, built, size_t(half) * half * sizeof(std::int32_t));
            side = half;
        }
    }
    return true;
}

void CDX9KelOceanWater::Update(float) {
    if (!m_pCameraManager || !m_bShown || !m_bEnabled)
        return;
    m_bVisible = UpdateProjectedGrid();
    // Out of view the grid keeps its vertices: one still waiting for its
    // draw is filled now, from the tables it was made for.
    if (!m_bVisible)
        FillPendingGrid();
    AdvanceTime();
    AnimateNoise();
    // The noise textures and the grid vertices only feed the drawing: they
    // are made when the sea is drawn, from this step's tables and corners,
    // so steps that are never drawn cost neither.
    if (!m_bSoftware && m_bGeneratedNoise)
        m_bNoisePending = true;
    if (m_bVisible && m_pVB)
        m_bGridPending = true;
}

void CDX9KelOceanWater::FillPendingGrid() {
    if (!m_bGridPending)
        return;
    m_bGridPending = false;
    void* data = nullptr;
    if (!m_pVB || FAILED(m_pVB->Lock(0, 0, &data, 0)) || !data)
        return;
    auto* vertices = static_cast<OCEANVERTEX*>(data);
    FillGridVertices(vertices, m_uVertexCount, m_uGridColumns, m_uGridRows, m_bSmoothing);
    if (m_bSoftware)
        ComputeGridNormals(vertices, m_uVertexCount, m_uGridColumns, m_uGridRows);
    m_pVB->Unlock();
}

void CDX9KelOceanWater::DrawGridPasses(IDirect3DDevice9* pDevice, ID3DXEffect* pEffect, UINT passes) {
    for (UINT p = 0; p < passes; ++p) {
        if (FAILED(pEffect->BeginPass(p)))
            continue;
        pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_uVertexCount, 0, m_uIndexCount / 3);
        pEffect->EndPass();
    }
}

void CDX9KelOceanWater::DrawGrid(IDirect3DDevice9* pDevice, ID3DXEffect* pEffect) {
    UINT passes = 0;
    if (!pEffect || FAILED(pEffect->Begin(&passes, 0)))
        return;
    DrawGridPasses(pDevice, pEffect, passes);
    pEffect->End();
}

void CDX9KelOceanWater::DrawMapQuad(IDirect3DDevice9* pDevice, ID3DXEffect* pEffect) {
    // The height and normal passes work from the map coordinate and the grid's
    // corners alone: two triangles over the whole map give every texel the
    // coordinate the grid's cells would, without rasterising thousands of
    // small cells.
    static const OCEANVERTEX kQuad[4] = {{0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
                                         {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0xFFFFFFFFu, 1.0f, 0.0f},
                                         {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
                                         {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0xFFFFFFFFu, 1.0f, 1.0f}};
    UINT passes = 0;
    if (!pEffect || FAILED(pEffect->Begin(&passes, 0)))
        return;
    for (UINT p = 0; p < passes; ++p) {
        if (FAILED(pEffect->BeginPass(p)))
            continue;
        pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(OCEANVERTEX));
        pEffect->EndPass();
    }
    pEffect->End();
    // A drawing from memory leaves no vertex stream behind: the grid's comes back.
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(OCEANVERTEX));
}

bool CDX9KelOceanWater::BeginDraw(IDirect3DDevice9* pDevice) {
    if (!m_bShown || !m_pVB || !m_pIB || !pDevice || !m_pCameraManager)
        return false;
    FillPendingGrid();
    pDevice->SetTransform(D3DTS_WORLD, &m_mWorld);
    pDevice->SetFVF(kFVF);
    pDevice->SetStreamSource(0, m_pVB, 0, sizeof(OCEANVERTEX));
    pDevice->SetIndices(m_pIB);
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    return true;
}

void CDX9KelOceanWater::RenderMaps(IDirect3DDevice9* pDevice) {
    ID3DXEffect* heightEffect = EffectOf(m_pHeightEffect);
    ID3DXEffect* normalEffect = EffectOf(m_pNormalEffect);
    if (m_bSoftware || !m_pHeightSurface || !m_pNormalSurface || !heightEffect || !normalEffect ||
        !m_pNormalMapDepthStencil || !m_pNormalMapDepthStencil->m_pSurface)
        return;
    if (m_bNoisePending) {
        m_bNoisePending = false;
        GenerateNoiseTexture();
    }
    IDirect3DSurface9* keptTarget = nullptr;
    IDirect3DSurface9* keptDepth = nullptr;
    pDevice->GetRenderTarget(0, &keptTarget);
    pDevice->GetDepthStencilSurface(&keptDepth);

    pDevice->SetRenderTarget(0, m_pHeightSurface);
    pDevice->SetDepthStencilSurface(m_pNormalMapDepthStencil->m_pSurface);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    heightEffect->SetTexture("g_Noise0", TextureOf(m_pNoise1));
    heightEffect->SetTexture("g_Noise1", TextureOf(m_pNoise2));
    const D3DXVECTOR4* corners = m_pCameraManager->m_pActiveCamera ? GetGridCorners() : nullptr;
    if (corners) {
        heightEffect->SetVector("g_Corner00", &corners[0]);
        heightEffect->SetVector("g_Corner01", &corners[1]);
        heightEffect->SetVector("g_Corner10", &corners[2]);
        heightEffect->SetVector("g_Corner11", &corners[3]);
    }
    DrawMapQuad(pDevice, heightEffect);
    Stage("sea height map");

    pDevice->SetRenderTarget(0, m_pNormalSurface);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    normalEffect->SetTexture("g_HeightMap", TextureOf(m_pHeightMap));
    if (corners) {
        normalEffect->SetVector("g_Corner00", &corners[0]);
        normalEffect->SetVector("g_Corner01", &corners[1]);
        normalEffect->SetVector("g_Corner10", &corners[2]);
        normalEffect->SetVector("g_Corner11", &corners[3]);
    }
    DrawMapQuad(pDevice, normalEffect);
    Stage("sea normal map");

    pDevice->SetRenderTarget(0, keptTarget);
    pDevice->SetDepthStencilSurface(keptDepth);
    SafeReleaseCom(keptTarget);
    SafeReleaseCom(keptDepth);
    if (IDirect3DBaseTexture9* normals = TextureOf(m_pNormalMap))
        normals->GenerateMipSubLevels();
    Stage("sea mipmaps");
}

void CDX9KelOceanWater::Stage(const char* name) {
    if (m_pRenderSystem && m_pRenderSystem->m_fnStageDone)
        m_pRenderSystem->m_fnStageDone(name);
}

ID3DXEffect* CDX9KelOceanWater::PrepareSurface() {
    ID3DXEffect* water = EffectOf(m_pWaterEffect);
    if (!water)
        return nullptr;
    if (!m_bSoftware)
        water->SetTexture("NormalMap", TextureOf(m_pNormalMap));
    water->SetTexture("RefractionMap", m_pRenderSystem ? TextureOf(m_pRenderSystem->m_pRTRefractionMap) : nullptr);
    water->SetTexture("ReflectionMap", m_pRenderSystem ? TextureOf(m_pRenderSystem->m_pRTReflectionMap) : nullptr);
    return water;
}

void CDX9KelOceanWater::Render(IDirect3DDevice9* pDevice, float, int, int) {
    if (!BeginDraw(pDevice))
        return;
    RenderMaps(pDevice);
    DrawGrid(pDevice, PrepareSurface());
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

int CDX9KelOceanWater::GetRenderTextureSlot() { return m_pSkyTexture ? m_pSkyTexture->m_iSlotIndex : -1; }

void CDX9KelOceanWater::RenderUnit(IDirect3DDevice9* pDevice, float, bool, const D3DXMATRIX*, UINT passes, UINT) {
    if (!BeginDraw(pDevice))
        return;
    RenderMaps(pDevice);
    if (ID3DXEffect* water = PrepareSurface())
        DrawGridPasses(pDevice, water, passes);
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void CDX9KelOceanWater::Release() {
    m_bGridPending = false;
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    SafeReleaseCom(m_pHeightSurface);
    SafeReleaseCom(m_pNormalSurface);
    m_uVertexCount = 0;
    m_uIndexCount = 0;
}

void CDX9KelOceanWater::ReleaseHeldResources() {
    // The map surfaces are levels of the map textures: they go first.
    SafeReleaseCom(m_pHeightSurface);
    SafeReleaseCom(m_pNormalSurface);
    auto giveBack = [this](auto*& resource) {
        if (resource && m_pResManager) m_pResManager->ReleaseResource(resource);
        resource = nullptr;
    };
    for (CDX9KelGraphicResourceTexture** t :
         {&m_pSkyTexture, &m_pFresnelTexture, &m_pHeightMap, &m_pNormalMap, &m_pNoise1, &m_pNoise2})
        giveBack(*t);
    for (CDX9KelGraphicResourceEffect** e : {&m_pWaterEffect, &m_pHeightEffect, &m_pNormalEffect})
        giveBack(*e);
    giveBack(m_pNormalMapDepthStencil);
}

void CDX9KelOceanWater::OnLost(int) {
    SafeReleaseCom(m_pHeightSurface);
    SafeReleaseCom(m_pNormalSurface);
    ClearLastTick();
}

void CDX9KelOceanWater::Restore(IDirect3DDevice9*) {
    GetSurfacesForRenderTargets();
    SetEffectParameters();
}

} // namespace Vorna3D
