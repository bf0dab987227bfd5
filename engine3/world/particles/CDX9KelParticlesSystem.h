#pragma once
// A particle system: named emitters under one world matrix, placed in the
// world as a scene unit of a scene object (kind 1), so it moves, shows and
// hides with its object. It keeps its own clock, advanced by the particle
// systems manager's updates; the render system draws its emitters.
#include <vector>

#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/resources/CDX9KelBaseResource.h"
#include "engine3/core/scene/CDX9KelSceneUnit.h"
#include "engine3/world/particles/CDX9KelBasePSEmitter.h"

namespace Vorna3D {

class CDX9KelParticlesSystemsManager;

// The effect parameter that receives an emitter's texture.
constexpr const char* KEL_PS_TEXTURE_PARAMETER = "g_TextureParticle";

class CDX9KelParticlesSystem : public CDX9KelBaseResource, public CDX9KelSceneUnit, public IDX9KelRenderUnit {
public:
    CDX9KelParticlesSystem();
    ~CDX9KelParticlesSystem() override;

    // Emitters are drawn by the render system and updated by the manager, so
    // the resource's own Render and Update stay empty.
    void Release() override;
    void OnLost(int iValue) override;
    void Restore(IDirect3DDevice9* pDevice) override;

    // Initialises the emitter on the device and takes it; false for null, a
    // name already used in this system, or a failed Init (the caller keeps
    // the emitter then).
    bool AddEmitter(CDX9KelBasePSEmitter* pEmitter, IDirect3DDevice9* pDevice);
    // Advances the clock by dt and runs every enabled emitter; nothing while
    // the unit's second pass flag, or the owner's second flag, is clear.
    void Update(float dt, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pLook, const D3DXVECTOR3* pUp,
                const D3DXMATRIX* pView);
    // Every emitter enabled; a stopped emitter begins a new life. The
    // manager that made the system updates it again from the next frame.
    void Start();
    // Every emitter disabled: its particles stay but are not drawn.
    void Stop();
    void SetParticlesBirth(bool bOn) override;
    void ResetParticles() override;
    void StartParticles() override { Start(); }
    void StopParticles() override { Stop(); }
    // Appends every enabled emitter.
    // Draws an emitter through the begun technique of its effect, pass by pass.
    static void DrawEmitterPasses(IDirect3DDevice9* pDevice, float fTimeStep, CDX9KelBasePSEmitter* e, UINT passes);
    // Draws an emitter whose effect is not the run's in a Begin/End of its
    // own effect.
    static void RenderWithOwnEffect(IDirect3DDevice9* pDevice, float fTimeStep, CDX9KelBasePSEmitter* e,
                                    CDX9KelGraphicResourceEffect* runEffect);
    void CollectActiveEmitters(std::vector<CDX9KelBasePSEmitter*>& list) const;
    // The particle pass: the effect of the first enabled emitter that has
    // one (the pass wraps the system in its technique), and its texture.
    CDX9KelGraphicResourceEffect* GetRenderEffect() override;
    int GetRenderTextureSlot() override;
    // Draws every enabled emitter: those with the pass's effect once per
    // effect pass, those without an effect through the fixed-function path.
    void RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged, const D3DXMATRIX* pViewProj,
                    UINT passes, UINT passCode) override;
    // The emitter of that name, or null.
    CDX9KelBasePSEmitter* FindEmitter(const char* szName) const;

    float m_fClock = 0.0f;
    std::vector<CDX9KelBasePSEmitter*> m_vEmitters;
    bool m_bRunning = true;
    // The manager that made the system: it skips a system that stopped
    // running until Start.
    CDX9KelParticlesSystemsManager* m_pManager = nullptr;

private:
    // Places the emitter from the unit's world matrix by its
    // SystemInfluenceToAxes.
    void PlaceEmitter(CDX9KelBasePSEmitter& e) const;
};

} // namespace Vorna3D
