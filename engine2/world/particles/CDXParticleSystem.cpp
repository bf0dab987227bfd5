#include "engine2/world/particles/CDXParticleSystem.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "platform/os/Profile.h"
#include "platform/os/ResultCodes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Vorna2 {

static_assert(sizeof(CDXParticleSystem::Vertex) == 16);

namespace {

// A float key: the text of at most 9 characters, as the C library reads it.
float ReadFloat(const char* path, const char* section, const char* key, const char* fallback) {
    char text[10] = {};
    GetPrivateProfileStringA(section, key, fallback, text, sizeof text, path);
    return static_cast<float>(std::atof(text));
}

int ReadInt(const char* path, const char* section, const char* key) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, 0, path));
}

} // namespace

bool ReadParticleSystemParams(const char* path, CDXParticleSystemParams& p, std::string* error) {
    auto fail = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    if (!path) return fail("no file name");
    const char* ps = "ParticleSystem";
    p.iMaxParticles = ReadInt(path, ps, "MaxParticles");
    if (p.iMaxParticles <= 0) return fail("MaxParticles <= 0");
    if (p.iMaxParticles > kMaxParticlesLimit) return fail("MaxParticles too large");
    GetPrivateProfileStringA(ps, "Texture", "", p.szTexture, sizeof p.szTexture, path);
    if (!p.szTexture[0]) return fail("Texture is empty");
    p.iSrcBlend = ReadInt(path, ps, "SrcBlend");
    p.iDestBlend = ReadInt(path, ps, "DestBlend");
    p.iNumToRelease = ReadInt(path, ps, "NumToRelease");
    p.fReleaseInterval = ReadFloat(path, ps, "ReleaseInterval", "0.0");
    p.fLifeCycle = ReadFloat(path, ps, "LifeCycle", "0.0");
    p.fSize = ReadFloat(path, ps, "Size", "0.0");
    p.fSystemLife = ReadFloat(path, ps, "SystemLife", "0");
    p.fAnimSpeed = ReadFloat(path, ps, "AnimSpeed", "1");

    const char* color = "COLOR";
    static const char* const kStart[4] = {"StartColR", "StartColG", "StartColB", "StartColA"};
    static const char* const kEnd[4] = {"EndColR", "EndColG", "EndColB", "EndColA"};
    for (int i = 0; i < 4; ++i) p.fStartColor[i] = ReadFloat(path, color, kStart[i], "0.0");
    p.bChangeColor = ReadInt(path, color, "ChangeColor") != 0;
    if (p.bChangeColor) {
        for (int i = 0; i < 4; ++i) p.fEndColor[i] = ReadFloat(path, color, kEnd[i], "0.0");
        p.fRatioChCol = ReadFloat(path, color, "RatioChCol", "1");
    }

    const char* physics = "PHYSICS";
    p.vVelocity = D3DXVECTOR3(ReadFloat(path, physics, "VelocityX", "0.0"), ReadFloat(path, physics, "VelocityY", "0.0"),
                              ReadFloat(path, physics, "VelocityZ", "0.0"));
    p.fVelocityVar = ReadFloat(path, physics, "VelocityVar", "0.0");
    p.vGravity = D3DXVECTOR3(ReadFloat(path, physics, "GravityX", "0.0"), ReadFloat(path, physics, "GravityY", "0.0"),
                             ReadFloat(path, physics, "GravityZ", "0.0"));
    p.vWind = D3DXVECTOR3(ReadFloat(path, physics, "WindX", "0.0"), ReadFloat(path, physics, "WindY", "0.0"),
                          ReadFloat(path, physics, "WindZ", "0.0"));
    p.fWindVar = ReadFloat(path, physics, "WindVar", "1.0");
    p.vWind *= p.fWindVar;
    p.iWindPullMode = 1;
    return true;
}

CDXParticleSystem::CDXParticleSystem() { D3DXMatrixIdentity(&m_mLocal); }

CDXParticleSystem::~CDXParticleSystem() {
    ReleaseVB();
    ReleaseParticles();
}

HRESULT CDXParticleSystem::CreateVB(IDirect3DDevice9* device) {
    ReleaseVB();
    if (!device) return E_FAIL;
    const HRESULT hr =
        device->CreateVertexBuffer(m_dwDiscard * sizeof(Vertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS,
                                   kFVF, D3DPOOL_DEFAULT, &m_pVB, nullptr);
    if (FAILED(hr)) {
        g_Log.Write(LOG_CONTINUE, "CDXParticleSystem::CreateVB(): Error: %s\n", DXGetErrorStringA(hr));
        m_pVB = nullptr;
    }
    return hr;
}

void CDXParticleSystem::ReleaseVB() { SafeReleaseCom(m_pVB); }

void CDXParticleSystem::ReleaseParticles() {
    for (CDXParticle** list : {&m_pActive, &m_pFree}) {
        while (*list) {
            CDXParticle* next = (*list)->pNext;
            delete *list;
            *list = next;
        }
    }
    m_dwActiveCount = 0;
}

void CDXParticleSystem::Setup(CDXParticleSystemParams* params, const D3DXMATRIX& local, const D3DXMATRIX* owner) {
    m_pParams = params;
    m_mLocal = local;
    m_pOwnerMatrix = owner;
    D3DXMATRIX world = m_mLocal;
    if (m_pOwnerMatrix) D3DXMatrixMultiply(&world, &m_mLocal, m_pOwnerMatrix);
    m_vLastPos = D3DXVECTOR3(world._41, world._42, world._43);
}

void CDXParticleSystem::MoveEmitter() {
    D3DXMATRIX world = m_mLocal;
    if (m_pOwnerMatrix) D3DXMatrixMultiply(&world, &m_mLocal, m_pOwnerMatrix);
    const D3DXVECTOR3 position(world._41, world._42, world._43);
    if (position == m_vLastPos) return;
    const D3DXVECTOR3 offset = position - m_vLastPos;
    for (CDXParticle* p = m_pActive; p; p = p->pNext) p->vPos += offset;
    m_vLastPos = position;
}

void CDXParticleSystem::Update(float t) {
    if (!m_pParams) return;
    const CDXParticleSystemParams& prm = *m_pParams;
    const float a = prm.fAnimSpeed * t;
    m_fAge += a;
    m_fCurrentTime += a;
    MoveEmitter();

    CDXParticle** link = &m_pActive;
    while (CDXParticle* p = *link) {
        if (prm.bChangeColor) {
            const float r = prm.fLifeCycle != 0.0f ? (m_fCurrentTime - p->fBirthTime) / prm.fLifeCycle : 1.0f;
            for (int i = 0; i < 4; ++i)
                p->fColor[i] = r < prm.fRatioChCol && prm.fRatioChCol != 0.0f
                                   ? prm.fStartColor[i] + r / prm.fRatioChCol * (prm.fEndColor[i] - prm.fStartColor[i])
                                   : prm.fEndColor[i];
        }
        if (prm.fSystemLife != 0.0f && m_fAge >= prm.fSystemLife) {
            m_bAlive = false;
            m_fAge = 0.0f;
            return;
        }
        if (m_fCurrentTime - p->fBirthTime >= prm.fLifeCycle) {
            *link = p->pNext;
            p->pNext = m_pFree;
            m_pFree = p;
            --m_dwActiveCount;
            continue;
        }
        p->vVel += a * prm.vGravity;
        if (prm.iWindPullMode == 1) p->vVel += a * (prm.vWind - p->vVel);
        p->vPos += a * p->vVel;
        link = &p->pNext;
    }

    if (m_fCurrentTime - m_fLastUpdate > prm.fReleaseInterval) {
        m_fLastUpdate = m_fCurrentTime;
        for (int i = 0; i < prm.iNumToRelease; ++i) {
            if (m_dwActiveCount >= static_cast<DWORD>(prm.iMaxParticles)) break;
            CDXParticle* p = m_pFree;
            if (p)
                m_pFree = p->pNext;
            else
                p = new CDXParticle();
            p->pNext = m_pActive;
            m_pActive = p;
            ++m_dwActiveCount;
            p->vVel = prm.vVelocity;
            if (prm.fVelocityVar != 0.0f) p->vVel += prm.fVelocityVar * CDX9KelUtils::GetEffectRandomUnitVector();
            p->fBirthTime = m_fCurrentTime;
            p->vPos = m_vLastPos;
            std::memcpy(p->fColor, prm.fStartColor, sizeof p->fColor);
        }
    }
}

D3DCOLOR CDXParticleSystem::PackColor(const float color[4]) {
    auto channel = [](float c) -> DWORD {
        if (c >= 1.0f) return 255;
        if (c <= 0.0f) return 0;
        const long v = std::lround(c * 255.0f + 0.5f);
        return v > 255 ? 255u : static_cast<DWORD>(v);
    };
    return (channel(color[3]) << 24) | (channel(color[0]) << 16) | (channel(color[1]) << 8) | channel(color[2]);
}

HRESULT CDXParticleSystem::Render(IDirect3DDevice9* device) {
    if (!m_bDraw || !m_pVB || !device) return S_OK;
    device->SetStreamSource(0, m_pVB, 0, sizeof(Vertex));
    m_dwBase += m_dwFlush;
    if (m_dwBase >= m_dwDiscard) m_dwBase = 0;
    Vertex* v = nullptr;
    HRESULT hr = m_pVB->Lock(m_dwBase * sizeof(Vertex), m_dwFlush * sizeof(Vertex), reinterpret_cast<void**>(&v),
                             m_dwBase ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD);
    if (FAILED(hr) || !v) return FAILED(hr) ? hr : E_FAIL;
    DWORD inBatch = 0;
    for (CDXParticle* p = m_pActive; p; p = p->pNext) {
        v->pos = p->vPos;
        v->color = PackColor(p->fColor);
        ++v;
        if (++inBatch == m_dwFlush) {
            m_pVB->Unlock();
            device->DrawPrimitive(D3DPT_POINTLIST, m_dwBase, inBatch);
            m_dwBase += m_dwFlush;
            if (m_dwBase >= m_dwDiscard) m_dwBase = 0;
            hr = m_pVB->Lock(m_dwBase * sizeof(Vertex), m_dwFlush * sizeof(Vertex), reinterpret_cast<void**>(&v),
                             m_dwBase ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD);
            if (FAILED(hr) || !v) return FAILED(hr) ? hr : E_FAIL;
            inBatch = 0;
        }
    }
    m_pVB->Unlock();
    if (inBatch) device->DrawPrimitive(D3DPT_POINTLIST, m_dwBase, inBatch);
    return S_OK;
}

} // namespace Vorna2
