#include "engine2/world/water/CDX9KelActiveWater.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelStageClock.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/water/IntersectGridCorner.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/ResultCodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

namespace Vorna2 {

static_assert(sizeof(CDX9KelActiveWater::Vertex) == 36);

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMask = CDX9KelActiveWater::kPackedSize - 1;

// Bilinear lookup in a square map of `size` (a power of two) that wraps.
template <typename Get>
float Bilinear(float x, float y, int size, Get get) {
    const float fx = std::floor(x), fy = std::floor(y);
    const float ax = x - fx, ay = y - fy;
    const int mask = size - 1;
    const int x0 = static_cast<int>(static_cast<long long>(fx) & mask), y0 = static_cast<int>(static_cast<long long>(fy) & mask);
    const int x1 = (x0 + 1) & mask, y1 = (y0 + 1) & mask;
    const float a = get(x0, y0) * (1 - ax) + get(x1, y0) * ax;
    const float b = get(x0, y1) * (1 - ax) + get(x1, y1) * ax;
    return a * (1 - ay) + b * ay;
}

} // namespace

CDX9KelActiveWater::CDX9KelActiveWater() {
    SetName("water");
    D3DXMatrixIdentity(&m_mWorld);
    for (D3DXVECTOR4& c : m_vCorners) c = D3DXVECTOR4(0, 0, 0, 1);
}

CDX9KelActiveWater::~CDX9KelActiveWater() {
    if (m_pPhysicalManager && m_pPhysicalManager->m_pWater == this) m_pPhysicalManager->m_pWater = nullptr;
    m_pPhysicalManager = nullptr;
    Release();
}

bool CDX9KelActiveWater::Init(CDX9KelGraphicsResManager* textureSource, CDX9KelBaseCameraManager* cameras,
                              CDX9KelRenderSystem* effectSource, D3DMULTISAMPLE_TYPE multisample,
                              IDirect3DDevice9* device, const char* waterTexture, const char* fresnelTexture,
                              const char* heightEffect, const char* normalEffect, const char* textureModeEffect,
                              const char* vertexModeEffect, bool vertexMode) {
    if (!device || !textureSource || !cameras || !effectSource) return false;
    m_pDevice = device;
    m_pCamera = cameras;
    m_bVertexMode = vertexMode;
    if (vertexMode) {
        m_uColumns = 120;
        m_uRows = 280;
        m_fAmplitude *= 2.0f;
        m_fScale = 8.0f;
        m_fFalloff = 0.2f;
        m_fTimeSpeed *= 1.2f;
        m_fSamplingScale = 16384.0f;
    } else {
        m_uColumns = 50;
        m_uRows = 95;
    }
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : InitBuffers()\n");
    if (!InitBuffers()) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelActiveWater::Init() : InitBuffers() == false\n");
        return false;
    }
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : LoadManagedTextures()\n");
    m_pResources = textureSource;
    if (!LoadManagedTextures(waterTexture, fresnelTexture)) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelActiveWater::Init() : LoadManagedTextures() == false\n");
        return false;
    }
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : CreateDynamicData()\n");
    m_MultiSample = multisample;
    if (!CreateDynamicData()) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelActiveWater::Init() : CreateDynamicData() == false\n");
        return false;
    }
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : InitNoise()\n");
    InitNoise();
    SetBoundPlanes();
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Init() : LoadEffects()\n");
    if (!LoadEffects(effectSource, heightEffect, normalEffect, textureModeEffect, vertexModeEffect)) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelActiveWater::Init() : LoadEffects() == false\n");
        return false;
    }
    SetEffectConstants();
    m_dwLastTime = timeGetTime();
    return true;
}

bool CDX9KelActiveWater::InitBuffers() {
    if (!m_pDevice || m_uColumns < 2 || m_uRows < 2) return false;
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    m_uVertexCount = m_uColumns * m_uRows;
    m_uIndexCount = (m_uColumns - 1) * (m_uRows - 1) * 6;
    m_Vertices.assign(m_uVertexCount, Vertex{});
    for (UINT r = 0; r < m_uRows; ++r)
        for (UINT c = 0; c < m_uColumns; ++c) {
            Vertex& v = m_Vertices[r * m_uColumns + c];
            v.ny = 1.0f;
            v.color = m_VertexColor;
            v.u = float(c) / float(m_uColumns - 1);
            v.v = float(r) / float(m_uRows - 1);
        }
    std::vector<DWORD> indices;
    indices.reserve(m_uIndexCount);
    for (UINT r = 0; r + 1 < m_uRows; ++r)
        for (UINT col = 0; col + 1 < m_uColumns; ++col) {
            const DWORD c = r * m_uColumns + col;
            indices.insert(indices.end(), {c, c + 1, c + m_uColumns, c + m_uColumns, c + 1, c + m_uColumns + 1});
        }
    const UINT vbBytes = m_uVertexCount * sizeof(Vertex), ibBytes = m_uIndexCount * sizeof(DWORD);
    if (FAILED(m_pDevice->CreateVertexBuffer(vbBytes, 0, kFVF, D3DPOOL_MANAGED, &m_pVB, nullptr)) ||
        FAILED(m_pDevice->CreateIndexBuffer(ibBytes, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &m_pIB, nullptr)))
        return false;
    void* data = nullptr;
    bool ok = SUCCEEDED(m_pVB->Lock(0, vbBytes, &data, 0)) && data;
    if (ok) {
        std::memcpy(data, m_Vertices.data(), vbBytes);
        m_pVB->Unlock();
        data = nullptr;
        ok = SUCCEEDED(m_pIB->Lock(0, ibBytes, &data, 0)) && data;
        if (ok) {
            std::memcpy(data, indices.data(), ibBytes);
            m_pIB->Unlock();
        }
    }
    if (!ok) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelActiveWater::InitBuffers : memcpy_s \n");
        return false;
    }
    return true;
}

bool CDX9KelActiveWater::LoadManagedTextures(const char* waterTexture, const char* fresnelTexture) {
    if (!m_pResources || !m_pDevice || !waterTexture || !fresnelTexture) return false;
    auto load = [this](const char* path) -> IDirect3DBaseTexture9* {
        std::string full, folder, name;
        if (!CDX9KelUtils::SplitExeFolderPath(path, &full, &folder, &name)) return nullptr;
        return m_pResources->CreateTextureFromFile(m_pDevice, name.c_str(), folder.c_str(), true, 0, nullptr);
    };
    m_pWaterTexture = load(waterTexture);
    m_pFresnelTexture = load(fresnelTexture);
    m_pTexture = m_pWaterTexture;
    return m_pWaterTexture && m_pFresnelTexture;
}

bool CDX9KelActiveWater::CreateDynamicData() {
    IDirect3DDevice9* d = m_pDevice;
    if (!d) return false;
    ReleaseDynamicData();
    if (!m_bVertexMode) {
        for (IDirect3DTexture9*& t : m_pNoiseTexture)
            if (FAILED(d->CreateTexture(kPackedSize, kPackedSize, 0, D3DUSAGE_DYNAMIC, D3DFMT_L16, D3DPOOL_DEFAULT, &t,
                                        nullptr)))
                return false;
        if (FAILED(d->CreateTexture(512, 1024, 1, D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP,
                                    D3DFMT_A16B16G16R16, D3DPOOL_DEFAULT, &m_pNormalTexture, nullptr)) ||
            FAILED(d->CreateTexture(512, 1024, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16, D3DPOOL_DEFAULT,
                                    &m_pHeightTexture, nullptr)) ||
            FAILED(m_pNormalTexture->GetSurfaceLevel(0, &m_pNormalSurface)) ||
            FAILED(m_pHeightTexture->GetSurfaceLevel(0, &m_pHeightSurface)) ||
            FAILED(d->CreateDepthStencilSurface(512, 1024, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                &m_pDepthStencil, nullptr)))
            return false;
    }
    const D3DCOLOR water = D3DCOLOR_ARGB(255, static_cast<int>(m_fWaterColor[0] * 255.0f),
                                         static_cast<int>(m_fWaterColor[1] * 255.0f),
                                         static_cast<int>(m_fWaterColor[2] * 255.0f));
    for (IDirect3DTexture9** t : {&m_pReflectionTexture, &m_pRefractionTexture}) {
        if (FAILED(d->CreateTexture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, t, nullptr)))
            return false;
        IDirect3DSurface9* surface = nullptr;
        if (SUCCEEDED((*t)->GetSurfaceLevel(0, &surface)) && surface) {
            d->ColorFill(surface, nullptr, water);
            surface->Release();
        }
    }
    return true;
}

void CDX9KelActiveWater::ReleaseDynamicData() {
    SafeReleaseCom(m_pNoiseTexture[0]);
    SafeReleaseCom(m_pNoiseTexture[1]);
    SafeReleaseCom(m_pNormalSurface);
    SafeReleaseCom(m_pHeightSurface);
    SafeReleaseCom(m_pNormalTexture);
    SafeReleaseCom(m_pHeightTexture);
    SafeReleaseCom(m_pReflectionTexture);
    SafeReleaseCom(m_pRefractionTexture);
    SafeReleaseCom(m_pDepthStencil);
}

int CDX9KelActiveWater::CountTargets() const {
    const void* all[TARGET_COUNT] = {m_pNoiseTexture[0], m_pNoiseTexture[1], m_pNormalTexture,
                                     m_pHeightTexture,   m_pReflectionTexture, m_pRefractionTexture,
                                     m_pHeightSurface,   m_pNormalSurface,     m_pDepthStencil};
    return static_cast<int>(std::count_if(std::begin(all), std::end(all), [](const void* p) { return p != nullptr; }));
}

void CDX9KelActiveWater::InitNoise() {
    unsigned int seed = 0;
    rand_s(&seed);
    InitNoise(seed);
}

void CDX9KelActiveWater::InitNoise(std::uint32_t seed) {
    m_uNoiseSeed = seed;
    // The noise values come from a generator of their own started at the
    // seed, so one number rebuilds the same sea.
    std::uint32_t state = seed ? seed : 0x9E3779B9u;
    std::vector<float> raw(kNoiseValues);
    for (float& r : raw) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        r = static_cast<float>((state / 4294967296.0 - 0.5) * 4.0);
    }
    m_Noise.assign(kNoiseValues, 0);
    for (int tile = 0; tile < kTiles; ++tile) {
        const int base = tile * kTileSize * kTileSize;
        auto at = [&](int x, int y) { return raw[size_t(base + (y & 15) * kTileSize + (x & 15))]; };
        for (int y = 0; y < kTileSize; ++y)
            for (int x = 0; x < kTileSize; ++x) {
                float sum = 0.0f;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (dx || dy) sum += at(x + dx, y + dy);
                const float smooth = 0.071f * (sum + 6.0f * at(x, y));
                m_Noise[size_t(base + y * kTileSize + x)] = static_cast<std::int32_t>(smooth * 16384.0f);
            }
    }
    float total = 0.0f;
    for (int i = 0; i < kOctaves; ++i) total += (m_fOctaveWeights[i] = std::pow(m_fFalloff, float(i)));
    for (float& w : m_fOctaveWeights) w /= total;
    for (auto& map : m_OctaveMaps) map.assign(kTileSize * kTileSize, 0);
    for (auto& packed : m_Packed) packed.assign(kPackedSize * kPackedSize, 0x8000);
}

void CDX9KelActiveWater::SetBoundPlanes() {
    const D3DXVECTOR3 up = m_vSeaPoint + m_vSeaNormal * m_fAmplitude;
    const D3DXVECTOR3 down = m_vSeaPoint - m_vSeaNormal * m_fAmplitude;
    D3DXPlaneFromPointNormal(&m_UpperBound, &up, &m_vSeaNormal);
    D3DXPlaneFromPointNormal(&m_LowerBound, &down, &m_vSeaNormal);
}

bool CDX9KelActiveWater::LoadEffects(CDX9KelRenderSystem* effectSource, const char* heightEffect,
                                     const char* normalEffect, const char* textureModeEffect,
                                     const char* vertexModeEffect) {
    if (!effectSource) return false;
    if (m_bVertexMode) {
        m_pWaterEffect = vertexModeEffect ? effectSource->LoadEffect(m_pDevice, vertexModeEffect) : nullptr;
        return m_pWaterEffect != nullptr;
    }
    m_pWaterEffect = textureModeEffect ? effectSource->LoadEffect(m_pDevice, textureModeEffect) : nullptr;
    m_pNormalEffect = normalEffect ? effectSource->LoadEffect(m_pDevice, normalEffect) : nullptr;
    m_pHeightEffect = heightEffect ? effectSource->LoadEffect(m_pDevice, heightEffect) : nullptr;
    return m_pWaterEffect && m_pNormalEffect && m_pHeightEffect;
}

void CDX9KelActiveWater::SetFloat(CDX9KelEffect* effect, const char* name, float value) {
    if (!effect || !effect->m_pEffect) return;
    if (D3DXHANDLE h = effect->m_pEffect->GetParameterByName(nullptr, name)) effect->m_pEffect->SetFloat(h, value);
}

void CDX9KelActiveWater::SetVector(CDX9KelEffect* effect, const char* name, const D3DXVECTOR4& value) {
    if (!effect || !effect->m_pEffect) return;
    if (D3DXHANDLE h = effect->m_pEffect->GetParameterByName(nullptr, name)) effect->m_pEffect->SetVector(h, &value);
}

void CDX9KelActiveWater::SetTexture(CDX9KelEffect* effect, const char* name, IDirect3DBaseTexture9* texture) {
    if (!effect || !effect->m_pEffect) return;
    if (D3DXHANDLE h = effect->m_pEffect->GetParameterByName(nullptr, name)) effect->m_pEffect->SetTexture(h, texture);
}

void CDX9KelActiveWater::SetEffectConstants() {
    SetFloat(m_pHeightEffect, "g_Scale", m_fScale);
    SetFloat(m_pNormalEffect, "g_InvMapSizeX", 1.0f / 256.0f);
    SetFloat(m_pNormalEffect, "g_InvMapSizeY", 1.0f / 512.0f);
    SetFloat(m_pNormalEffect, "g_Amplitude", 2.0f * m_fAmplitude);
    SetVector(m_pWaterEffect, "g_WaterColor", D3DXVECTOR4(m_fWaterColor[0], m_fWaterColor[1], m_fWaterColor[2], 1.0f));
    SetFloat(m_pWaterEffect, "g_ReflRefrOffset", m_fReflRefrOffset);
    SetTexture(m_pWaterEffect, "SkyMap", m_pWaterTexture);
    SetTexture(m_pWaterEffect, "FresnelMap", m_pFresnelTexture);
    SetTexture(m_pWaterEffect, "RefractionMap", m_pRefractionTexture);
    SetTexture(m_pWaterEffect, "ReflectionMap", m_pReflectionTexture);
}

bool CDX9KelActiveWater::SetAmplitude(float value) {
    if (!(value > 0.0f && value <= 5.0f)) return false;
    m_fAmplitude = value;
    SetBoundPlanes();
    SetFloat(m_pNormalEffect, "g_Amplitude", 2.0f * value);
    return true;
}

void CDX9KelActiveWater::SetWaterColor(float r, float g, float b) {
    m_fWaterColor[0] = r;
    m_fWaterColor[1] = g;
    m_fWaterColor[2] = b;
    SetVector(m_pWaterEffect, "g_WaterColor", D3DXVECTOR4(r, g, b, 1.0f));
}

// ---------------------------------------------------------------------------
// Noise.

void CDX9KelActiveWater::AnimateNoise(DWORD elapsedMs) {
    m_dEasedStep = double(m_fTimeSpeed) * double(elapsedMs) + 0.99 * m_dEasedStep;
    m_dTime += m_dEasedStep;
    if (m_bFrozen) return;
    BuildNoiseMaps();
}

void CDX9KelActiveWater::SetWaveTime(double time, double easedStep, DWORD sinceLastMs) {
    m_dTime = time;
    m_dEasedStep = easedStep;
    m_dwLastTime = timeGetTime() - sinceLastMs;
    BuildNoiseMaps();
}

void CDX9KelActiveWater::BuildNoiseMaps() {
    if (m_Noise.size() != size_t(kNoiseValues)) return;
    double t = m_dTime;
    const int cells = kTileSize * kTileSize;
    for (int o = 0; o < kOctaves; ++o) {
        const double whole = std::floor(t);
        const double f = t - whole;
        const long long n = static_cast<long long>(whole);
        const double scale = m_fOctaveWeights[o] * 32768.0 / 1.5;
        const std::int64_t w0 = std::llround(std::pow(std::sin((f + 2.0) * kPi / 3.0), 2.0) * scale);
        const std::int64_t w1 = std::llround(std::pow(std::sin((f + 1.0) * kPi / 3.0), 2.0) * scale);
        const std::int64_t w2 = std::llround(std::pow(std::sin(f * kPi / 3.0), 2.0) * scale);
        const std::int32_t* t0 = &m_Noise[size_t(((n % kTiles) + kTiles) % kTiles) * size_t(cells)];
        const std::int32_t* t1 = &m_Noise[size_t((((n + 1) % kTiles) + kTiles) % kTiles) * size_t(cells)];
        const std::int32_t* t2 = &m_Noise[size_t((((n + 2) % kTiles) + kTiles) % kTiles) * size_t(cells)];
        std::vector<std::int32_t>& map = m_OctaveMaps[o];
        map.resize(size_t(cells));
        for (int k = 0; k < cells; ++k)
            map[size_t(k)] = static_cast<std::int32_t>((t0[k] * w0 + t1[k] * w1 + t2[k] * w2) >> 15);
        t *= m_fOctaveTimeFactor;
    }
    // Octave k of a group repeats 2^k times over the packed array. The
    // sample points are the same every frame: their cells and weights come
    // from a table, and each sum is taken with the same operations in the
    // same order as a bilinear lookup per point, so the heights do not move.
    struct Tap {
        int i0, i1;
        float a, b; // the weights of i0 and i1: 1 - t and t
    };
    static const std::array<std::array<Tap, kPackedSize>, 4> kTaps = [] {
        std::array<std::array<Tap, kPackedSize>, 4> taps{};
        for (int k = 0; k < 4; ++k) {
            const float step = float(kTileSize << k) / float(kPackedSize);
            for (int x = 0; x < kPackedSize; ++x) {
                const float p = float(x) * step, f = std::floor(p), t = p - f;
                const int i0 = static_cast<int>(static_cast<long long>(f) & (kTileSize - 1));
                taps[size_t(k)][size_t(x)] = {i0, (i0 + 1) & (kTileSize - 1), 1 - t, t};
            }
        }
        return taps;
    }();
    std::array<float, kTileSize * kTileSize> maps[4];
    for (int g = 0; g < 2; ++g) {
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < cells; ++c) maps[k][size_t(c)] = float(m_OctaveMaps[g * 4 + k][size_t(c)]);
        std::vector<std::uint16_t>& packed = m_Packed[g];
        packed.resize(kPackedSize * kPackedSize);
        for (int y = 0; y < kPackedSize; ++y)
            for (int x = 0; x < kPackedSize; ++x) {
                float sum = 0.0f;
                for (int k = 0; k < 4; ++k) {
                    const Tap& tx = kTaps[size_t(k)][size_t(x)];
                    const Tap& ty = kTaps[size_t(k)][size_t(y)];
                    const float* row0 = &maps[k][size_t(ty.i0 * kTileSize)];
                    const float* row1 = &maps[k][size_t(ty.i1 * kTileSize)];
                    const float a = row0[tx.i0] * tx.a + row0[tx.i1] * tx.b;
                    const float b = row1[tx.i0] * tx.a + row1[tx.i1] * tx.b;
                    sum += a * ty.a + b * ty.b;
                }
                const long v = std::clamp(std::lround(sum), -32768L, 32767L);
                packed[size_t(y * kPackedSize + x)] = static_cast<std::uint16_t>(v - 0x8000);
            }
    }
}

float CDX9KelActiveWater::SampleNoise(float x, float z) const {
    if (m_Packed[0].size() != size_t(kPackedSize * kPackedSize) || m_Packed[1].size() != m_Packed[0].size())
        return 0.0f;
    float sum = 0.0f;
    for (const auto& packed : m_Packed)
        sum += Bilinear(x, z, kPackedSize, [&packed](int px, int pz) {
            return float(static_cast<std::int16_t>(packed[size_t(pz * kPackedSize + px)] ^ 0x8000u));
        });
    return sum / 16384.0f;
}

float CDX9KelActiveWater::GetHeight(float x, float z) const {
    const float s = m_fSamplingScale / 65536.0f;
    const float amplitude = m_bVertexMode ? m_fAmplitude * 0.5f : m_fAmplitude;
    return SampleNoise(x * s, z * s) * amplitude;
}

bool CDX9KelActiveWater::UploadNoiseTextures() {
    for (int t = 0; t < 2; ++t) {
        IDirect3DTexture9* texture = m_pNoiseTexture[t];
        if (!texture) return false;
        std::vector<std::uint16_t> level = m_Packed[t];
        UINT size = kPackedSize;
        const DWORD levels = texture->GetLevelCount();
        for (DWORD l = 0; l < levels && size > 0; ++l) {
            D3DLOCKED_RECT locked{};
            const HRESULT hr = texture->LockRect(l, &locked, nullptr, D3DLOCK_DISCARD);
            if (FAILED(hr)) {
                g_Log.Write(LOG_ERROR,
                            "Error : CDX9KelActiveWater::ProcNoiseTexture() :  m_pPackedNoiseTexture[t]->LockRect( 0 ) : "
                            "%s\n",
                            DXGetErrorStringA(hr));
                return false;
            }
            if (!locked.pBits) {
                texture->UnlockRect(l);
                g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelActiveWater::ProcNoiseTexture() : data == NULL\n");
                return false;
            }
            for (UINT y = 0; y < size; ++y)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch), &level[y * size],
                            size * sizeof(std::uint16_t));
            texture->UnlockRect(l);
            if (size == 1) break;
            const UINT half = size / 2;
            std::vector<std::uint16_t> next(size_t(half) * half);
            for (UINT y = 0; y < half; ++y)
                for (UINT x = 0; x < half; ++x) {
                    const unsigned sum = level[(2 * y) * size + 2 * x] + level[(2 * y) * size + 2 * x + 1] +
                                         level[(2 * y + 1) * size + 2 * x] + level[(2 * y + 1) * size + 2 * x + 1];
                    next[y * half + x] = static_cast<std::uint16_t>(sum / 4);
                }
            level.swap(next);
            size = half;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// The grid.

bool CDX9KelActiveWater::ProjectGrid() {
    const CDX9KelBaseCamera* camera = m_pCamera ? m_pCamera->GetActiveCamera() : nullptr;
    if (!camera || !m_pCamera->m_pCorners) return false;
    const D3DXVECTOR3* corners = m_pCamera->m_pCorners.get();
    std::vector<D3DXVECTOR3> points;
    points.reserve(32);
    for (int i = 0; i < 8; ++i)
        for (int bit = 1; bit < 8; bit <<= 1) {
            const int j = i | bit;
            if (j == i) continue;
            const D3DXVECTOR3 &a = corners[i], &b = corners[j];
            for (const D3DXPLANE* plane : {&m_UpperBound, &m_LowerBound}) {
                const float da = D3DXPlaneDotCoord(plane, &a), db = D3DXPlaneDotCoord(plane, &b);
                if ((da < 0.0f && db > 0.0f) || (da > 0.0f && db < 0.0f)) {
                    const float t = da / (da - db);
                    points.push_back(a + (b - a) * t);
                }
            }
        }
    for (int i = 0; i < 8; ++i)
        if (D3DXPlaneDotCoord(&m_UpperBound, &corners[i]) <= 0.0f &&
            D3DXPlaneDotCoord(&m_LowerBound, &corners[i]) >= 0.0f)
            points.push_back(corners[i]);
    if (points.empty()) return false;

    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &camera->m_mView, &camera->m_mProjection);
    float xMin = 1e30f, xMax = -1e30f, yMin = 1e30f, yMax = -1e30f;
    bool any = false;
    for (D3DXVECTOR3 p : points) {
        const D3DXVECTOR3 offset = p - m_vSeaPoint;
        p -= m_vSeaNormal * D3DXVec3Dot(&m_vSeaNormal, &offset);
        const D3DXVECTOR4 h(p.x, p.y, p.z, 1.0f);
        D3DXVECTOR4 s;
        D3DXVec4Transform(&s, &h, &viewProjection);
        if (!(s.w > 1e-6f)) continue;
        const float x = s.x / s.w, y = s.y / s.w;
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
        any = true;
    }
    if (!any) return false;
    D3DXMATRIX range(xMax - xMin, 0, 0, 0, 0, yMax - yMin, 0, 0, 0, 0, 1, 0, xMin, yMin, 0, 1);
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &viewProjection)) return false;
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &range, &inverse);
    static const float kUV[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    D3DXVECTOR4 found[4];
    for (int k = 0; k < 4; ++k)
        if (!IntersectGridCorner(&found[k], &m, kUV[k][0], kUV[k][1])) return false;
    std::copy(std::begin(found), std::end(found), m_vCorners);
    return true;
}

void CDX9KelActiveWater::FillVertices() {
    if (m_Vertices.size() != size_t(m_uVertexCount) || !m_uVertexCount) return;
    const float s = m_fSamplingScale / 65536.0f;
    m_Heights.resize(m_uVertexCount);
    for (UINT r = 0; r < m_uRows; ++r)
        for (UINT c = 0; c < m_uColumns; ++c) {
            const float u = float(c) / float(m_uColumns - 1), v = float(r) / float(m_uRows - 1);
            const D3DXVECTOR4 p = m_vCorners[0] * ((1 - u) * (1 - v)) + m_vCorners[1] * (u * (1 - v)) +
                                  m_vCorners[2] * ((1 - u) * v) + m_vCorners[3] * (u * v);
            Vertex& vertex = m_Vertices[r * m_uColumns + c];
            const float w = std::fabs(p.w) > 1e-12f ? p.w : 1e-12f;
            vertex.x = p.x / w;
            vertex.z = p.z / w;
            m_Heights[r * m_uColumns + c] = SampleNoise(vertex.x * s, vertex.z * s) * m_fAmplitude;
        }
    for (UINT r = 0; r < m_uRows; ++r)
        for (UINT c = 0; c < m_uColumns; ++c) {
            const UINT i = r * m_uColumns + c;
            float h = m_Heights[i];
            if (m_bSmoothing && r > 0 && c > 0 && r + 1 < m_uRows && c + 1 < m_uColumns)
                h = 0.1f * (h + m_Heights[i - 1] + m_Heights[i + 1] + m_Heights[i - m_uColumns] +
                            m_Heights[i + m_uColumns]);
            m_Vertices[i].y = h;
        }
    if (m_bVertexMode) {
        for (UINT r = 1; r + 1 < m_uRows; ++r)
            for (UINT c = 1; c + 1 < m_uColumns; ++c) {
                const UINT i = r * m_uColumns + c;
                auto pos = [this](UINT k) { return D3DXVECTOR3(m_Vertices[k].x, m_Vertices[k].y, m_Vertices[k].z); };
                const D3DXVECTOR3 across = pos(i + m_uColumns) - pos(i - m_uColumns);
                const D3DXVECTOR3 along = pos(i + 1) - pos(i - 1);
                D3DXVECTOR3 n;
                D3DXVec3Cross(&n, &across, &along);
                m_Vertices[i].nx = n.x;
                m_Vertices[i].ny = n.y;
                m_Vertices[i].nz = n.z;
            }
    }
    void* data = nullptr;
    if (m_pVB && SUCCEEDED(m_pVB->Lock(0, 0, &data, 0)) && data) {
        std::memcpy(data, m_Vertices.data(), m_Vertices.size() * sizeof(Vertex));
        m_pVB->Unlock();
    }
}

void CDX9KelActiveWater::Process() {
    if (!m_pCamera) return;
    g_StageClock.Lap(KEL_STAGE_UPDATE);
    m_bGridVisible = ProjectGrid();
    const DWORD now = timeGetTime();
    AnimateNoise(now - m_dwLastTime);
    m_dwLastTime = now;
    if (m_bGridVisible) FillVertices();
    if (!m_bVertexMode && !m_bFrozen) UploadNoiseTextures();
    g_StageClock.Lap(KEL_STAGE_WATER_ANIMATION);
}

// ---------------------------------------------------------------------------
// Drawing and the device.

void CDX9KelActiveWater::DrawGrid(IDirect3DDevice9* device) {
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_uVertexCount, 0, m_uIndexCount / 3);
}

void CDX9KelActiveWater::RenderMap(IDirect3DDevice9* device, CDX9KelEffect* effect, IDirect3DSurface9* target,
                                   bool heightMap) {
    if (!effect || !effect->m_pEffect || !target || !m_pDepthStencil) return;
    IDirect3DSurface9 *oldTarget = nullptr, *oldDepth = nullptr;
    device->GetRenderTarget(0, &oldTarget);
    device->GetDepthStencilSurface(&oldDepth);
    device->SetRenderTarget(0, target);
    device->SetDepthStencilSurface(m_pDepthStencil);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    if (heightMap) {
        SetTexture(effect, "g_Noise0", m_pNoiseTexture[0]);
        SetTexture(effect, "g_Noise1", m_pNoiseTexture[1]);
    } else {
        SetTexture(effect, "g_HeightMap", m_pHeightTexture);
        SetVector(effect, "g_Corner00", m_vCorners[0]);
        SetVector(effect, "g_Corner10", m_vCorners[1]);
        SetVector(effect, "g_Corner01", m_vCorners[2]);
        SetVector(effect, "g_Corner11", m_vCorners[3]);
    }
    UINT passes = 0;
    if (SUCCEEDED(effect->m_pEffect->Begin(&passes, 0))) {
        for (UINT p = 0; p < passes; ++p) {
            effect->m_pEffect->BeginPass(p);
            effect->m_pEffect->CommitChanges();
            DrawGrid(device);
            effect->m_pEffect->EndPass();
        }
        effect->m_pEffect->End();
    }
    device->SetRenderTarget(0, oldTarget);
    device->SetDepthStencilSurface(oldDepth);
    SafeReleaseCom(oldTarget);
    SafeReleaseCom(oldDepth);
}

void CDX9KelActiveWater::Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) {
    (void)effect, (void)useTexture, (void)passCount;
    if (!m_bGridVisible || !m_bEnabled || !m_pVB || !m_pIB || !m_pCamera || !device) return;
    device->SetTransform(D3DTS_WORLD, &m_mWorld);
    device->SetStreamSource(0, m_pVB, 0, sizeof(Vertex));
    device->SetIndices(m_pIB);
    device->SetFVF(kFVF);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    g_StageClock.Lap(KEL_STAGE_OBJECTS);
    if (m_pWaterEffect && m_pWaterEffect->m_pEffect) {
        if (!m_bVertexMode) {
            RenderMap(device, m_pHeightEffect, m_pHeightSurface, true);
            RenderMap(device, m_pNormalEffect, m_pNormalSurface, false);
            SetTexture(m_pWaterEffect, "NormalMap", m_pNormalTexture);
        }
        g_StageClock.Lap(KEL_STAGE_WATER_MAPS);
        ID3DXEffect* fx = m_pWaterEffect->m_pEffect;
        UINT passes = 0;
        if (SUCCEEDED(fx->Begin(&passes, 0))) {
            for (UINT p = 0; p < passes; ++p) {
                fx->BeginPass(p);
                fx->CommitChanges();
                DrawGrid(device);
                fx->EndPass();
            }
            fx->End();
        }
    } else {
        device->SetTexture(0, m_pWaterTexture);
        DrawGrid(device);
    }
    g_StageClock.Lap(KEL_STAGE_WATER_SURFACE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void CDX9KelActiveWater::OnLost() {
    // The effects hold the textures bound to them: unbind them first, so
    // the textures really go. (At the final release the effects are gone
    // already and are not touched.)
    for (const char* name : {"RefractionMap", "ReflectionMap", "NormalMap"}) SetTexture(m_pWaterEffect, name, nullptr);
    SetTexture(m_pHeightEffect, "g_Noise0", nullptr);
    SetTexture(m_pHeightEffect, "g_Noise1", nullptr);
    SetTexture(m_pNormalEffect, "g_HeightMap", nullptr);
    // So does the device, for the stages the effects bound them to.
    if (m_pDevice)
        for (DWORD stage = 0; stage < 8; ++stage) m_pDevice->SetTexture(stage, nullptr);
    ReleaseDynamicData();
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::OnLost()\n");
}

void CDX9KelActiveWater::Restore() {
    CreateDynamicData();
    SetEffectConstants();
    g_Log.Write(LOG_INFO, "%s", "CDX9KelActiveWater::Restore()\n");
}

void CDX9KelActiveWater::Release() {
    ReleaseDynamicData();
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
}

} // namespace Vorna2
