#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "platform/os/Clock.h"

namespace Vorna3D {

namespace {

bool IsEmpty(const char* s) { return !s || !*s; }

// Each effector factory logs under its own name.
void LogFactory(const char* factory, const char* ending)
{
    g_Log.Write(3, "CDX9KelParticlesSystemsManager::%s%s", factory, ending);
}

constexpr const char* kNullEmitter = "() : pEmitter == NULL \n";
constexpr const char* kNoName = "() : not name\n";
constexpr const char* kAddFailed = "() : AddEffector failed\n";

template <class T>
T* CreateEffector(CDX9KelBasePSEmitter* pEmitter, const char* szName, const char* factory)
{
    if (!pEmitter) {
        LogFactory(factory, kNullEmitter);
        return nullptr;
    }
    if (IsEmpty(szName)) {
        LogFactory(factory, kNoName);
        return nullptr;
    }
    T* e = new T();
    e->m_strName = szName;
    if (!pEmitter->AddEffector(e)) {
        LogFactory(factory, kAddFailed);
        delete e;
        return nullptr;
    }
    return e;
}

} // namespace

CDX9KelParticlesSystemsManager::~CDX9KelParticlesSystemsManager() { ReleaseAll(); }

bool CDX9KelParticlesSystemsManager::Init(IDirect3DDevice9* pDevice, CDX9KelBaseCameraManager* pCameraManager)
{
    if (!pDevice || !pCameraManager) return false;
    m_pD3DDevice = pDevice;
    m_pCameraManager = pCameraManager;
    CDX9KelBaseResourceManager::Init(0, 100);
    return true;
}

void CDX9KelParticlesSystemsManager::ReleaseAll()
{
    CDX9KelBaseResourceManager::ReleaseAll();
    m_vPrototypes.clear();
    m_vAsleep.clear();
}

void CDX9KelParticlesSystemsManager::SetTimeScale(float fScale)
{
    if (!(fScale >= 0.0f)) return;
    m_fTimeScale = fScale;
    m_bPaused = fScale == 0.0f;
}

void CDX9KelParticlesSystemsManager::Process()
{
    if (!m_bActive || !m_pCameraManager) return;
    const DWORD now = timeGetTime();
    // A long gap (a stall, the program paused) starts afresh rather than
    // making one long step.
    if (now - m_dwLastTick > KEL_PS_MAX_TICK_GAP) m_dwLastTick = 0;
    float dt = m_dwLastTick != 0 ? static_cast<float>(now - m_dwLastTick) * 0.001f * m_fTimeScale : 0.0f;
    m_dwLastTick = now;
    if (m_bPaused) dt = 0.0f;

    const CDX9KelBaseCamera* camera = m_pCameraManager->m_pActiveCamera;
    const D3DXVECTOR3* eye = camera ? &camera->m_vEye : nullptr;
    const D3DXVECTOR3* look = camera ? &camera->m_vViewDir : nullptr;
    const D3DXVECTOR3* up = camera ? &camera->m_vUp : nullptr;
    const D3DXMATRIX* view = camera ? &camera->m_mView : nullptr;
    if (m_vAsleep.size() < m_vResources.size()) m_vAsleep.resize(m_vResources.size(), 0);
    for (std::size_t i = 0; i < m_vResources.size(); ++i) {
        if (m_vAsleep[i] || !m_vResources[i]) continue;
        auto* system = static_cast<CDX9KelParticlesSystem*>(m_vResources[i]);
        system->Update(dt, eye, look, up, view);
        // Only Start runs it again (and wakes its slot).
        if (!system->m_bRunning) m_vAsleep[i] = 1;
    }
}

void CDX9KelParticlesSystemsManager::Wake(const CDX9KelParticlesSystem* pSystem)
{
    if (!pSystem || pSystem->m_iSlotIndex < 0) return;
    const auto slot = static_cast<std::size_t>(pSystem->m_iSlotIndex);
    if (slot < m_vAsleep.size()) m_vAsleep[slot] = 0;
}

CDX9KelParticlesSystem* CDX9KelParticlesSystemsManager::CreateParticleSystem(const char* szName, float fRadius,
                                                                             const D3DXMATRIX* pMatrix)
{
    if (IsEmpty(szName)) {
        g_Log.Write(3, "CDX9KelParticlesSystemsManager::CreateParticleSystem() : not name\n");
        return nullptr;
    }
    if (!(fRadius > 0.0f)) {
        g_Log.Write(3, "CDX9KelParticlesSystemsManager::CreateParticleSystem() : fRadius <= 0.0f\n");
        return nullptr;
    }
    auto* system = new CDX9KelParticlesSystem();
    if (pMatrix) system->m_mWorld = *pMatrix;
    if (!AddResource(system)) {
        g_Log.Write(3, "CDX9KelParticlesSystemsManager::CreateParticleSystem() : AddResource() failed\n");
        delete system;
        return nullptr;
    }
    // A new system in a slot left by one that had stopped runs.
    system->m_pManager = this;
    Wake(system);
    system->CDX9KelBaseResource::m_strName = szName;
    system->m_strName2 = szName;
    system->m_fRadius = fRadius;
    return system;
}

CDX9KelParticlesSystem* CDX9KelParticlesSystemsManager::LoadParticlesSystem(const char* szPath,
                                                                            const char* szPrototypeName,
                                                                            const char* szInstanceName,
                                                                            float fRadius, const D3DXMATRIX* pMatrix)
{
    if (IsEmpty(szPath) || IsEmpty(szPrototypeName) || IsEmpty(szInstanceName)) return nullptr;
    CDX9KelParticlesSystem* prototype = nullptr;
    for (CDX9KelParticlesSystem* p : m_vPrototypes) {
        if (p && p->CDX9KelBaseResource::m_strName == szPrototypeName) {
            prototype = p;
            break;
        }
    }
    if (!prototype) {
        prototype = CreatePSFromFile(szPath, szPrototypeName);
        if (prototype) {
            // A prototype is only ever copied, never run.
            prototype->m_bPasses[1] = false;
            m_vPrototypes.push_back(prototype);
        }
    }
    if (!prototype) {
        g_Log.Write(3, "%s%s%s", "CDX9KelParticlesSystemsManager::LoadParticlesSystem() : failed : ", szPath, "\n");
        return nullptr;
    }
    return CloneParticleSystem(prototype, szInstanceName, fRadius, pMatrix);
}

CDX9KelParticlesSystem* CDX9KelParticlesSystemsManager::CloneParticleSystem(const CDX9KelParticlesSystem* pPrototype,
                                                                            const char* szName, float fRadius,
                                                                            const D3DXMATRIX* pMatrix)
{
    if (!pPrototype) return nullptr;
    CDX9KelParticlesSystem* system = CreateParticleSystem(szName, fRadius, pMatrix);
    if (!system) return nullptr;
    for (const CDX9KelBasePSEmitter* source : pPrototype->m_vEmitters) {
        if (!source) continue;
        CDX9KelBasePSEmitter* copy = nullptr;
        if (source->m_iKind == KEL_PS_EMITTER_POINT)
            copy = CloneEmitterPoint(static_cast<const CDX9KelPSEmitterPoint*>(source));
        else if (source->m_iKind == KEL_PS_EMITTER_BOX)
            copy = CloneEmitterBox(static_cast<const CDX9KelPSEmitterBox*>(source));
        else
            continue;
        if (!copy) return nullptr;
        if (!system->AddEmitter(copy, m_pD3DDevice)) {
            copy->Release();
            delete copy;
            return nullptr;
        }
    }
    return system;
}

CDX9KelPSEmitterPoint* CDX9KelParticlesSystemsManager::CreateEmitterPoint(const char* szName)
{
    if (IsEmpty(szName)) {
        g_Log.Write(3, "CDX9KelParticlesSystemsManager::CreateEmitterPoint() : not name\n");
        return nullptr;
    }
    auto* e = new CDX9KelPSEmitterPoint();
    e->m_strName = szName;
    e->m_pResManager = m_pGraphicsResManager;
    return e;
}

CDX9KelPSEmitterBox* CDX9KelParticlesSystemsManager::CreateEmitterBox(const char* szName)
{
    if (IsEmpty(szName)) {
        g_Log.Write(3, "CDX9KelParticlesSystemsManager::CreateEmitterPoint() : not name\n");
        return nullptr;
    }
    auto* e = new CDX9KelPSEmitterBox();
    e->m_strName = szName;
    e->m_pResManager = m_pGraphicsResManager;
    return e;
}

namespace {

void CopyStart(CDX9KelBasePSEmitter* t, const CDX9KelBasePSEmitter* s)
{
    t->m_bDeflection = s->m_bDeflection;
    t->m_bVariation = s->m_bVariation;
    t->m_vStartDirection = s->m_vStartDirection;
    t->m_fMinXoY = s->m_fMinXoY;
    t->m_fMaxXoY = s->m_fMaxXoY;
    t->m_fMinXoZ = s->m_fMinXoZ;
    t->m_fMaxXoZ = s->m_fMaxXoZ;
    t->m_fMinZoY = s->m_fMinZoY;
    t->m_fMaxZoY = s->m_fMaxZoY;
    t->m_fStartVelocity = s->m_fStartVelocity;
    t->m_fStartVelocityVariation = s->m_fStartVelocityVariation;
}

} // namespace

CDX9KelPSEmitterPoint* CDX9KelParticlesSystemsManager::CloneEmitterPoint(const CDX9KelPSEmitterPoint* pSource)
{
    if (!pSource) return nullptr;
    CDX9KelPSEmitterPoint* e = CreateEmitterPoint(pSource->m_strName.c_str());
    if (!e) return nullptr;
    CopyStart(e, pSource);
    if (!CopyBaseEmitter(e, pSource)) {
        e->Release();
        delete e;
        return nullptr;
    }
    return e;
}

CDX9KelPSEmitterBox* CDX9KelParticlesSystemsManager::CloneEmitterBox(const CDX9KelPSEmitterBox* pSource)
{
    if (!pSource) return nullptr;
    CDX9KelPSEmitterBox* e = CreateEmitterBox(pSource->m_strName.c_str());
    if (!e) return nullptr;
    CopyStart(e, pSource);
    e->m_vBordersMin = pSource->m_vBordersMin;
    e->m_vBordersMax = pSource->m_vBordersMax;
    if (!CopyBaseEmitter(e, pSource)) {
        e->Release();
        delete e;
        return nullptr;
    }
    return e;
}

bool CDX9KelParticlesSystemsManager::CopyBaseEmitter(CDX9KelBasePSEmitter* t, const CDX9KelBasePSEmitter* s)
{
    if (!t || !s) return false;
    t->m_bEnabled = s->m_bEnabled;
    t->m_fCreationInterval = s->m_fCreationInterval;
    t->m_fReleaseInterval = s->m_fReleaseInterval;
    t->m_fEmitterLife = s->m_fEmitterLife;
    t->m_dwMaxParticles = s->m_dwMaxParticles;
    t->m_dwParticlesToCreation = s->m_dwParticlesToCreation;
    t->m_dwParticlesToRelease = s->m_dwParticlesToRelease;
    t->m_iSystemInfluenceToAxes = s->m_iSystemInfluenceToAxes;
    t->m_bCameraDistanceSort = s->m_bCameraDistanceSort;
    t->m_dwSrcBlend = s->m_dwSrcBlend;
    t->m_dwDestBlend = s->m_dwDestBlend;
    t->m_dwAlphaRef = s->m_dwAlphaRef;
    t->m_bBlendAlphaComponent = s->m_bBlendAlphaComponent;
    // Textures and effects are shared: each copy holds one reference more.
    t->m_Params = s->m_Params;
    if (t->m_Params.pTexture) ++t->m_Params.pTexture->m_dwRefCount;
    if (t->m_Params.pEffect) ++t->m_Params.pEffect->m_dwRefCount;

    for (const CDX9KelBasePSEffector* e : s->m_vEffectors) {
        if (!e) continue;
        const char* name = e->m_strName.c_str();
        CDX9KelBasePSEffector* copy = nullptr;
        switch (e->m_dwType) {
        case KEL_PS_EFFECTOR_MOVEMENT: {
            auto* src = static_cast<const CDX9KelPSEffectorCommonMovement*>(e);
            auto* c = CreateEffectorCommonMovementForEmitter(t, name);
            if (c) {
                c->m_fVelocity = src->m_fVelocity;
                c->m_fAcceleration = src->m_fAcceleration;
                c->m_vMovement = src->m_vMovement;
                c->m_bUseParticleDir = src->m_bUseParticleDir;
                c->m_bNegativeSpeed = src->m_bNegativeSpeed;
            }
            copy = c;
            break;
        }
        case KEL_PS_EFFECTOR_SCALE: {
            auto* src = static_cast<const CDX9KelPSEffectorCommonScale*>(e);
            auto* c = CreateEffectorCommonScaleForEmitter(t, name);
            if (c) {
                c->m_fEndHalfWidth = src->m_fEndHalfWidth;
                c->m_fEndHalfHeight = src->m_fEndHalfHeight;
            }
            copy = c;
            break;
        }
        case KEL_PS_EFFECTOR_SPIN: {
            auto* src = static_cast<const CDX9KelPSEffectorCommonSpin*>(e);
            auto* c = CreateEffectorCommonSpinForEmitter(t, name);
            if (c) c->m_fSpinSpeed = src->m_fSpinSpeed;
            copy = c;
            break;
        }
        case KEL_PS_EFFECTOR_COLOR: {
            auto* src = static_cast<const CDX9KelPSEffectorCommonColor*>(e);
            auto* c = CreateEffectorCommonColorForEmitter(t, name);
            if (c) c->m_EndColor = src->m_EndColor;
            copy = c;
            break;
        }
        case KEL_PS_EFFECTOR_FRAMES:
            copy = CreateEffectorCommonFramesForEmitter(t, name);
            break;
        case KEL_PS_EFFECTOR_ACCEL_FROM_START_SPEED: {
            auto* src = static_cast<const CDX9KelPSEffectorMovementAccelFromStartSpeed*>(e);
            auto* c = CreateEffectorMovementAFSS(t, name);
            if (c) {
                c->m_fAcceleration = src->m_fAcceleration;
                c->m_vMovement = src->m_vMovement;
                c->m_bUseParticleDir = src->m_bUseParticleDir;
                c->m_fEndSpeed = src->m_fEndSpeed;
            }
            copy = c;
            break;
        }
        default:
            continue;
        }
        if (!copy) return false;
        copy->m_fStartTime = e->m_fStartTime;
        copy->m_fEndTime = e->m_fEndTime;
    }
    return true;
}

CDX9KelPSEffectorCommonMovement*
CDX9KelParticlesSystemsManager::CreateEffectorCommonMovementForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                       const char* szName)
{
    return CreateEffector<CDX9KelPSEffectorCommonMovement>(pEmitter, szName,
                                                           "CreateEffectorCommonMovementForEmitter");
}

CDX9KelPSEffectorCommonScale*
CDX9KelParticlesSystemsManager::CreateEffectorCommonScaleForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                    const char* szName)
{
    return CreateEffector<CDX9KelPSEffectorCommonScale>(pEmitter, szName, "CreateEffectorCommonScaleForEmitter");
}

CDX9KelPSEffectorCommonColor*
CDX9KelParticlesSystemsManager::CreateEffectorCommonColorForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                    const char* szName)
{
    return CreateEffector<CDX9KelPSEffectorCommonColor>(pEmitter, szName, "CreateEffectorCommonColorForEmitter");
}

CDX9KelPSEffectorCommonSpin*
CDX9KelParticlesSystemsManager::CreateEffectorCommonSpinForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                   const char* szName)
{
    return CreateEffector<CDX9KelPSEffectorCommonSpin>(pEmitter, szName, "CreateEffectorCommonSpinForEmitter");
}

CDX9KelPSEffectorCommonFrames*
CDX9KelParticlesSystemsManager::CreateEffectorCommonFramesForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                     const char* szName)
{
    return CreateEffector<CDX9KelPSEffectorCommonFrames>(pEmitter, szName, "CreateEffectorCommonFramesForEmitter");
}

CDX9KelPSEffectorMovementAccelFromStartSpeed*
CDX9KelParticlesSystemsManager::CreateEffectorMovementAFSS(CDX9KelBasePSEmitter* pEmitter, const char* szName)
{
    return CreateEffector<CDX9KelPSEffectorMovementAccelFromStartSpeed>(pEmitter, szName,
                                                                        "CreateEffectorMovementAFSS");
}

} // namespace Vorna3D
