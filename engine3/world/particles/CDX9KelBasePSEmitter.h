#pragma once
// Particle emitters: a fixed pool of particles born in batches, aged and
// released in batches, moved, turned towards the camera and drawn as textured
// quads from one dynamic vertex buffer and one static index buffer. The point
// emitter starts its particles at its origin, the box emitter at a random
// point of a box in emitter space.
#include <string>
#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {

class CDX9KelBasePSEffector;
class CDX9KelGraphicResourceTexture;
class CDX9KelGraphicResourceEffect;
class CDX9KelGraphicsResManager;

// Largest particle pool one emitter may have; a file asking for more is
// refused, so no file can size the pool, the vertex array or the device
// buffers beyond it.
constexpr DWORD KEL_PS_MAX_PARTICLES = 65536;
// The largest turn accepted for a start deflection bound.
constexpr float KEL_PS_MAX_DEFLECTION = 3.1415927f;

enum EKelPSEmitterKind : int { KEL_PS_EMITTER_BASE = -1, KEL_PS_EMITTER_POINT = 0, KEL_PS_EMITTER_BOX = 1 };

// A texture rectangle in texture coordinates.
struct PSFrameRect {
    float u0 = 0.0f;
    float v0 = 0.0f;
    float u1 = 1.0f;
    float v1 = 1.0f;
};

// What an emitter hands to every effector with each particle.
struct PSEmitterParams {
    CDX9KelGraphicResourceTexture* pTexture = nullptr; // shared, counted
    CDX9KelGraphicResourceEffect* pEffect = nullptr;   // optional, shared, counted
    DWORD dwFramesCount = 1;
    DWORD dwFrameWidth = 0;
    DWORD dwFrameHeight = 0;
    DWORD dwFrameColumns = 1;
    DWORD dwFrameRows = 1;
    PSFrameRect FirstFrame;            // the whole texture until SetFrames succeeds
    std::vector<PSFrameRect> vFrames;  // every cell, row by row
    float fHalfWidth = 0.0f;
    float fHalfHeight = 0.0f;
    float fHalfWidthVariation = 0.0f;
    // Negative: one random value varies both axes.
    float fHalfHeightVariation = 0.0f;
    D3DXCOLOR Color{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXCOLOR ColorVariation{0.0f, 0.0f, 0.0f, 0.0f};
    bool bParentInfluence = false;
    bool bParentInfluenceToStartDir = false;
    bool bCameraInfluence = true;
    int iCameraInfluenceType = 0;
    float fAnimationSpeed = 1.0f;
    float fLife = 0.0f;
};

// One pool slot. A default record is dead, white, shows the whole texture
// and stands at the origin. The fields a step reads and writes (the placing
// matrix with its position row, life, direction, speeds) come first, in the
// first two cache lines of a record that starts on a line: the effectors and
// the motion walk every live record each step.
struct alignas(64) PSParticle {
    PSParticle();

    D3DXMATRIX mWorld; // rows: right, up, third axis, position
    bool bAlive = false;
    // The look (colour, size, frame) from the effectors that change only the
    // look is still to be worked out for the step at fLookTime: it is done
    // when the particle is drawn (CDX9KelBasePSEmitter::ApplyLook).
    bool bLookDue = false;
    float fBirthTime = 0.0f; // system clock
    D3DXVECTOR3 vDirection{0.0f, 0.0f, 0.0f};
    float fStartSpeed = 0.0f;
    D3DXVECTOR3 vVelocity{0.0f, 0.0f, 0.0f}; // units per second
    float fLookTime = 0.0f;
    // The first of the emitter's steps (CDX9KelBasePSEmitter::m_dwStepCount)
    // not yet applied to the particle's motion.
    DWORD dwPendingStep = 0;
    float fHalfWidth = 0.0f;
    float fHalfHeight = 0.0f;
    float fStartHalfWidth = 0.0f;
    float fStartHalfHeight = 0.0f;
    D3DXCOLOR StartColor{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXCOLOR Color{1.0f, 1.0f, 1.0f, 1.0f}; // drawn packed by PSPackColor
    DWORD dwFrame = 0;
    PSFrameRect Rect;
    D3DXMATRIX mLocal; // used with parent influence
    float fCameraDistance = 0.0f; // squared
};

// One corner of a particle quad: position, ARGB colour, texture coordinates.
struct PSVertex {
    float x, y, z;
    DWORD color;
    float u, v;
};
static_assert(sizeof(PSVertex) == 24, "the particle vertex is 24 bytes");
constexpr DWORD KEL_PS_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A colour channel as a byte: clamped to [0, 1], x 255 + 0.5, truncated; a
// value that is not a number gives 0.
BYTE PSColorByte(float x);
// The ARGB colour of r, g, b, a by PSColorByte.
DWORD PSPackColor(const D3DXCOLOR& c);

class CDX9KelBasePSEmitter {
public:
    CDX9KelBasePSEmitter();
    CDX9KelBasePSEmitter(const CDX9KelBasePSEmitter&) = delete;
    CDX9KelBasePSEmitter& operator=(const CDX9KelBasePSEmitter&) = delete;
    // Frees the records; device objects and effectors go with Release first.
    virtual ~CDX9KelBasePSEmitter();

    // Creates the buffers and the pool; false for a null device, a pool size
    // outside 1..KEL_PS_MAX_PARTICLES, or when a buffer already exists.
    virtual bool Init(IDirect3DDevice9* pDevice);
    // Fills the vertex buffer once per frame and draws the live particles.
    // With an effect only the states and streams are set: the particle pass
    // draws such emitters inside the effect's technique.
    virtual void Render(IDirect3DDevice9* pDevice, float fValue, bool bSetTexture, int iValue);
    // One frame at system-clock time t with the step dt: births, releases,
    // effectors and motion. Effectors that only change the look of a
    // particle from its age, once their window is open (colour, size and
    // frame with a start time and no end time), are worked out when the
    // particle is drawn, from the time of its last step. When besides every
    // effector steps each particle alone (CDX9KelBasePSEffector::
    // SteppedAlone), the step is only noted: the particles go through their
    // noted steps, one by one as they would have, when they are drawn or on
    // Settle. Births and releases, which depend on no motion, happen at once.
    // A step that is never drawn costs no motion, and what is drawn is the same. The camera values may be null (no camera: no
    // facing, no sorting); they are kept for the drawing, which turns the
    // quads and measures the distances (a step that is not drawn does
    // neither).
    virtual void Update(float t, float dt, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pLook,
                        const D3DXVECTOR3* pUp, const D3DXMATRIX* pView);
    // Frees the buffers and deletes the effectors; not initialised afterwards.
    // The texture and effect references go back to m_pResManager (when set).
    virtual void Release();
    // The vertex buffer lives in the default pool.
    virtual void OnLost();
    virtual void Restore(IDirect3DDevice9* pDevice);

    // False for null or for a name already attached; the emitter owns it then.
    bool AddEffector(CDX9KelBasePSEffector* pEffector);
    // Frame table from the texture's image size: n frames of w x h pixels.
    // False (nothing changes) without texture, for n, w or h below 1, a frame
    // larger than the image, or more frames than cells.
    bool SetFrames(int n, int w, int h);
    // Every slot dead, every clock reset.
    void ResetParticles();

    bool CreateVertexBuffer(IDirect3DDevice9* pDevice);
    bool CreateIndexBuffer(IDirect3DDevice9* pDevice);
    // Pool, free list (slot 0 taken first) and vertex array of MaxParticles.
    void InitParticles();
    // Switches the emitter off once EmitterLife has run out.
    void UpdateEmitterLife(float t);
    // Births of one creation tick (when one is due).
    void EmitParticles(float t);
    // Writes the quads of the live particles: first the camera facing and
    // the distances of the last update (once per update), then the sort
    // when asked, then the corners and packed colours.
    void FillVertices();
    // Steps every live particle through the steps noted since its last
    // one: effectors and motion, exactly as each step would have done them.
    // FillVertices does it before drawing; a reader of the particles' places
    // or speeds calls it first.
    void Settle();
    // Works out the look of the live particles whose look is due, as the
    // effectors would have left it at their last step; FillVertices does it
    // before drawing.
    void ApplyLook();
    // Turns the live particles towards the camera of the last update and
    // measures their distances to it; nothing when already done since.
    void FaceCamera();
    // Copies the vertex array into the vertex buffer; false on failure.
    bool VertexesInBuffer();

    DWORD m_dwMaxParticles = 0;
    DWORD m_dwParticlesToCreation = 0;
    DWORD m_dwParticlesToRelease = 0;
    DWORD m_dwLiveCount = 0;
    DWORD m_dwReleased = 0;
    float m_fEmitterLife = 0.0f;
    float m_fCreationInterval = 0.0f;
    float m_fReleaseInterval = 0.0f;
    float m_fEmitterStartTime = -1.0f;
    float m_fLastCreationTime = -1.0f;
    float m_fLastReleaseTime = -1.0f;
    DWORD m_dwSrcBlend = D3DBLEND_SRCALPHA;
    DWORD m_dwDestBlend = D3DBLEND_INVSRCALPHA;
    DWORD m_dwAlphaRef = 0;
    bool m_bBlendAlphaComponent = false;
    std::string m_strName;
    int m_iKind = KEL_PS_EMITTER_BASE;
    bool m_bEnabled = true;
    bool m_bBirth = true;
    bool m_bInitialised = false;
    int m_iSystemInfluenceToAxes = 1;
    bool m_bCameraDistanceSort = false;
    D3DXMATRIX m_mWorld;
    PSEmitterParams m_Params;
    std::vector<CDX9KelBasePSEffector*> m_vEffectors;
    // Where the emitter's texture and effect references came from; the
    // particle systems manager sets it on the emitters it makes.
    CDX9KelGraphicsResManager* m_pResManager = nullptr;
    std::vector<PSParticle> m_vParticles;
    std::vector<DWORD> m_vFreeList;
    // The slots stepped by the current update, lowest first.
    std::vector<DWORD> m_vStepSlots;
    // One noted step: the system clock and the step scaled by the animation
    // speed.
    struct PSStep {
        float t;
        float s;
    };
    // The noted steps not yet applied to every live particle: entry k is
    // step m_dwFirstStep + k; m_dwStepCount steps were taken in all.
    std::vector<PSStep> m_vNotedSteps;
    DWORD m_dwFirstStep = 0;
    DWORD m_dwStepCount = 0;
    // The emitter's place at the last noted step (parent influence).
    D3DXMATRIX m_mNotedWorld;
    // Every slot's birth time, infinity for a dead slot: what the releases
    // read, kept beside the records by births, releases, resets and sorts.
    std::vector<float> m_vSlotBirths;
    // Rebuilds the birth times from the records.
    void SyncSlotBirths();
    std::vector<PSVertex> m_vVertices;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    DWORD m_dwVertexCount = 0;
    DWORD m_dwIndexCount = 0;
    bool m_bFilled = false;
    // The camera of the last update, for the facing at the next fill.
    D3DXVECTOR3 m_vCameraEye{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vCameraLook{0.0f, 0.0f, 1.0f};
    D3DXVECTOR3 m_vCameraUp{0.0f, 1.0f, 0.0f};
    bool m_bCameraEye = false;
    bool m_bCameraAxes = false;
    bool m_bFacingDue = false;

protected:
    // Places a newborn particle (slot already taken); the kinds differ here.
    virtual void PlaceParticle(PSParticle& p) = 0;
    // Direction, speed, size, colour and frame of a newborn particle.
    void BirthParticle(PSParticle& p, float t);

public:
    // ---- start of particles (point and box emitters) ----
    bool SetStartVelocityVariation(float v);
    bool SetStartDeflectionMinXoY(float a);
    bool SetStartDeflectionMaxXoY(float a);
    bool SetStartDeflectionMinXoZ(float a);
    bool SetStartDeflectionMaxXoZ(float a);
    bool SetStartDeflectionMinZoY(float a);
    bool SetStartDeflectionMaxZoY(float a);

    D3DXVECTOR3 m_vStartDirection{0.0f, 0.0f, 0.0f};
    float m_fMinXoY = 0.0f;
    float m_fMaxXoY = 0.0f;
    float m_fMinXoZ = 0.0f;
    float m_fMaxXoZ = 0.0f;
    float m_fMinZoY = 0.0f;
    float m_fMaxZoY = 0.0f;
    float m_fStartVelocity = 0.0f;
    float m_fStartVelocityVariation = 0.0f;
    bool m_bDeflection = false;
    bool m_bVariation = false;
};

} // namespace Vorna3D
