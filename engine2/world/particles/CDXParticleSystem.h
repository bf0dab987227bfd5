#pragma once
// Point-sprite particle systems of the campaign engine. Each system is
// driven by a parameter record read once from a small INI file and shared by
// every system made from that file; it keeps its particles in a live and a
// free list, emits them from the translation of its local matrix (times its
// owner's world matrix, so the effect travels with its owner) and writes
// them in batches into a dynamic vertex buffer.
#include "platform/gfx/d3d9.h"

#include <string>

namespace Vorna2 {

// The values of one particle INI file.
struct CDXParticleSystemParams {
    static constexpr size_t kNameSize = 260;
    static constexpr size_t kTextureSize = 100;

    char szFileName[kNameSize] = {};
    IDirect3DBaseTexture9* pTexture = nullptr;
    // [ParticleSystem]
    int iMaxParticles = 0;
    char szTexture[kTextureSize] = {};
    int iSrcBlend = 0;
    int iDestBlend = 0;
    int iNumToRelease = 0;
    float fReleaseInterval = 0.0f;
    float fLifeCycle = 0.0f;
    float fSize = 0.0f;
    float fSystemLife = 0.0f;
    float fAnimSpeed = 1.0f;
    // [COLOR]
    float fStartColor[4] = {};
    bool bChangeColor = false;
    float fEndColor[4] = {};
    float fRatioChCol = 1.0f;
    // [PHYSICS]
    D3DXVECTOR3 vVelocity{0.0f, 0.0f, 0.0f};
    float fVelocityVar = 0.0f;
    D3DXVECTOR3 vGravity{0.0f, 0.0f, 0.0f};
    // Stored multiplied by fWindVar.
    D3DXVECTOR3 vWind{0.0f, 0.0f, 0.0f};
    float fWindVar = 1.0f;
    // 1: particles are pulled towards the wind velocity.
    int iWindPullMode = 1;
};

// The most particles a file may ask for; a larger count is refused, so a
// hostile file cannot make a system allocate without bound.
constexpr int kMaxParticlesLimit = 100000;

// Reads the keys of the INI file at `path` into `params` (the texture is
// not loaded). False, with the reason in `error`, when "MaxParticles" is not
// above 0 or above kMaxParticlesLimit, or "Texture" is empty. Every float is read as a text of at most 9
// characters, so longer values are cut.
bool ReadParticleSystemParams(const char* path, CDXParticleSystemParams& params, std::string* error = nullptr);

struct CDXParticle {
    D3DXVECTOR3 vPos{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 vVel{0.0f, 0.0f, 0.0f};
    float fColor[4] = {};
    float fBirthTime = 0.0f;
    CDXParticle* pNext = nullptr;
};

class CDXParticleSystem {
public:
    struct Vertex {
        D3DXVECTOR3 pos;
        D3DCOLOR color;
    };
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
    static constexpr DWORD kBatchSize = 256;
    static constexpr DWORD kBufferSize = 1024;

    CDXParticleSystem();
    ~CDXParticleSystem();
    CDXParticleSystem(const CDXParticleSystem&) = delete;
    CDXParticleSystem& operator=(const CDXParticleSystem&) = delete;

    // The dynamic point buffer of 1024 vertices (default pool).
    HRESULT CreateVB(IDirect3DDevice9* device);
    void ReleaseVB();
    // Binds the parameters, copies the local matrix, keeps the owner matrix
    // by pointer (may be null) and places the emitter.
    void Setup(CDXParticleSystemParams* params, const D3DXMATRIX& local, const D3DXMATRIX* owner);
    // One step of t (the manager's step time): ageing, the particles'
    // colour, life and motion, then the emission.
    void Update(float t);
    // Writes the live particles into the buffer and draws them as points.
    HRESULT Render(IDirect3DDevice9* device);
    // Frees every particle of both lists.
    void ReleaseParticles();
    // The emitter's place from the local and owner matrices; live particles
    // follow a moved emitter.
    void MoveEmitter();
    static D3DCOLOR PackColor(const float color[4]);

    DWORD m_dwBase = 0;
    DWORD m_dwFlush = kBatchSize;
    DWORD m_dwDiscard = kBufferSize;
    CDXParticle* m_pActive = nullptr;
    CDXParticle* m_pFree = nullptr;
    DWORD m_dwActiveCount = 0;
    float m_fCurrentTime = 0.0f;
    float m_fLastUpdate = 0.0f;
    float m_fAge = 0.0f;
    bool m_bAlive = true;
    CDXParticleSystemParams* m_pParams = nullptr;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    const D3DXMATRIX* m_pOwnerMatrix = nullptr;
    D3DXMATRIX m_mLocal;
    D3DXVECTOR3 m_vLastPos{0.0f, 0.0f, 0.0f};
    bool m_bDraw = true;
};

} // namespace Vorna2
