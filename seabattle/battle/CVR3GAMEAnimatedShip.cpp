#include "seabattle/battle/CVR3GAMEAnimatedShip.h"

#include <cfenv>
#include <cmath>

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/particles/CDX9KelBasePSEffector.h"
#include "engine3/world/particles/CDX9KelBasePSEmitter.h"
#include "engine3/world/particles/CDX9KelParticlesSystem.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

namespace SeaBattle {

using namespace Vorna3D;

namespace {

// Axis numbers of RotateMatrixAroundMatrixAxis: rows 0, 1 and 2 of the reference.
constexpr int kElevationAxis = 1;
constexpr int kBearingAxis = 2;
constexpr int kPropellerAxis = 3;

void ShowUnit(CDX9KelParticlesSystem* unit, bool on) {
    unit->m_bPasses[0] = on;
    unit->m_bPasses[1] = on;
}

uint32_t CappedCount(const AnimatedModelLink& l) {
    return l.m_uParticlesToCreation < l.m_pEmitter->m_dwMaxParticles ? l.m_uParticlesToCreation
                                                                     : l.m_pEmitter->m_dwMaxParticles;
}

bool Usable(const AnimatedModelLink* l) { return l && l->m_pUnit && l->m_pEmitter; }

} // namespace

void SetFrameMatrix(CDX9KelFrameRecord* frame, const D3DXMATRIX& m) {
    if (!frame)
        return;
    frame->m_mLocal = m;
    if (frame->m_pChanged)
        *frame->m_pChanged = true;
}

// ---- links and parts ----
bool AnimatedModelLink::Bind(AnimatedModelLink* link, CDX9KelParticlesSystem* unit) {
    if (!link || !unit || unit->m_vEmitters.empty() || !unit->m_vEmitters.front())
        return false;
    link->m_pUnit = unit;
    link->m_pEmitter = unit->m_vEmitters.front();
    link->m_pPointEmitter = link->m_pEmitter->m_iKind == KEL_PS_EMITTER_POINT ? link->m_pEmitter : nullptr;
    link->m_uParticlesToCreation = link->m_pEmitter->m_dwParticlesToCreation;
    link->m_fCreationInterval = link->m_pEmitter->m_fCreationInterval;
    link->m_fStartVelocity = link->m_pPointEmitter ? link->m_pPointEmitter->m_fStartVelocity : 0.0f;
    ShowUnit(unit, false);
    return true;
}

CVR3GAMEAnimatedPart::CVR3GAMEAnimatedPart() {
    D3DXMatrixIdentity(&m_mBase);
    D3DXMatrixIdentity(&GameTransform);
    D3DXMatrixIdentity(&RotationMatrix);
    D3DXMatrixIdentity(&m_mCurrent);
}

void CVR3GAMEAnimatedPart::Delete(CVR3GAMEAnimatedPart* part) {
    if (!part)
        return;
    for (CVR3GAMEAnimatedPart* s : part->m_vSubParts)
        Delete(s);
    part->m_vSubParts.clear();
    // Its sounds follow the ship's matrices, which may go with it.
    for (Vorna3D::SoundHandle* h : {&part->m_RotationSound, &part->m_ShotSound, &part->m_HitSound, &part->m_MissSound})
        h->Delete();
    delete part;
}

// ---- the ship ----
CVR3GAMEAnimatedShip::~CVR3GAMEAnimatedShip() {
    // The ship's sounds follow its scene object, which its tree may delete
    // next: they go with the ship.
    m_FireSound.Delete();
    m_FloodingSound.Delete();
    for (Vorna3D::SoundHandle& h : m_vEngineSounds)
        h.Delete();
    for (auto* list : {&m_vPlatformParts, &m_vPropellerParts, &m_vRudderParts}) {
        for (CVR3GAMEAnimatedPart* p : *list)
            CVR3GAMEAnimatedPart::Delete(p);
        list->clear();
    }
    for (auto* list : {&m_vPipeSmokes, &m_vPropellerWakes, &m_vBowWaves}) {
        for (AnimatedModelLink* l : *list)
            delete l;
        list->clear();
    }
}

namespace {
// Fire systems wait stopped until their platform burns: a system made
// running would count as a fire already shown, and the first fire would
// never be lit.
void StopFires(CVR3GAMEAnimatedPart* part) {
    if (!part)
        return;
    for (CDX9KelParticlesSystem* s : part->m_vFireSystems)
        if (s)
            s->Stop();
    for (CVR3GAMEAnimatedPart* sub : part->m_vSubParts)
        StopFires(sub);
}
} // namespace

bool CVR3GAMEAnimatedShip::Init(CDX9KelParticlesSystemsManager* pManager, CVR3GAMEMovementShip* pMovementShip) {
    if (!pManager || !pMovementShip)
        return false;
    m_pMovementShip = pMovementShip;
    for (CVR3GAMEAnimatedPart* p : m_vPlatformParts)
        StopFires(p);
    D3DXVECTOR3 wind(m_fWindX, 0.0f, m_fWindZ);
    D3DXVec3Normalize(&wind, &wind);
    for (AnimatedModelLink* l : m_vPipeSmokes) {
        if (!Usable(l))
            continue;
        // A smoke file that brings its own "Wind" movement gets the ship's
        // wind in it; a second effector of that name would be refused.
        CDX9KelPSEffectorCommonMovement* e = nullptr;
        for (CDX9KelBasePSEffector* f : l->m_pEmitter->m_vEffectors)
            if (f && f->m_strName == "Wind" && f->m_dwType == KEL_PS_EFFECTOR_MOVEMENT)
                e = static_cast<CDX9KelPSEffectorCommonMovement*>(f);
        if (!e)
            e = pManager->CreateEffectorCommonMovementForEmitter(l->m_pEmitter, "Wind");
        if (!e)
            continue;
        e->m_vMovement = wind;
        e->m_fVelocity = m_fSmokeWindStrength;
    }
    return true;
}

float CVR3GAMEAnimatedShip::ForceRatio() const {
    const float maxForce = m_pMovementShip->m_fMaxForce;
    if (!(maxForce > 0.0f))
        return 0.0f;
    const float r = m_pMovementShip->m_fForce / maxForce;
    return std::isfinite(r) ? r : 0.0f;
}

void CVR3GAMEAnimatedShip::Animate(float dt) {
    if (!m_pMovementShip)
        return;
    if (m_iState == STATE_AFLOAT) {
        const bool forceChanged = m_pMovementShip->m_bForceChanging || m_bRefresh;
        const bool speedChanged = m_pMovementShip->m_bSpeedChanged || m_bRefresh;
        AnimatePropellers(forceChanged, dt);
        if (m_pMovementShip->m_bRudderMoving || m_bRefresh)
            AnimateRudders();
        AnimateFlags(dt);
        if (forceChanged) {
            AnimateSmoke(true);
            AnimateWakes(true);
        }
        if (speedChanged)
            AnimateBowWaves(true);
        for (CVR3GAMEAnimatedPart* p : m_vPlatformParts) {
            if (!p)
                continue;
            AnimatePart(p, nullptr, nullptr, nullptr, 0.0f, nullptr, 0.0f, nullptr, dt);
            UpdatePartFire(p);
        }
        AnimateEngineSound();
    } else if (m_iState == STATE_SINKING) {
        SinkingStep(dt);
    }
    m_bRefresh = false;
}

void CVR3GAMEAnimatedShip::AnimatePropellers(bool forceChanged, float dt) {
    if (forceChanged)
        m_fPropellerStep = ForceRatio() * m_fPropellerRate * dt;
    for (CVR3GAMEAnimatedPart* p : m_vPropellerParts) {
        if (!p || !p->m_pFrame)
            continue;
        D3DXMATRIX m = p->m_pFrame->m_mLocal;
        RotateMatrixAroundMatrixAxis(&m, &p->RotationMatrix, kPropellerAxis, -m_fPropellerStep);
        SetFrameMatrix(p->m_pFrame, m);
    }
}

void CVR3GAMEAnimatedShip::AnimateRudders() {
    const float angle = m_pMovementShip->m_fRudderAngle;
    for (CVR3GAMEAnimatedPart* p : m_vRudderParts) {
        if (!p || !p->m_pFrame)
            continue;
        D3DXMATRIX m = p->m_mBase;
        RotateMatrixAroundMatrixAxis(&m, &p->RotationMatrix, kBearingAxis, -angle);
        SetFrameMatrix(p->m_pFrame, m);
    }
}

void CVR3GAMEAnimatedShip::AnimateFlags(float dt) {
    if (m_fWindX == 0.0f && m_fWindZ == 0.0f)
        return;
    const D3DXVECTOR2 wind(m_fWindX, m_fWindZ);
    for (CDX9KelModel* f : m_vFlagModels) {
        if (!f)
            continue;
        D3DXVECTOR2 fw(f->m_mWorld._31, f->m_mWorld._33), side(f->m_mWorld._11, f->m_mWorld._13);
        D3DXVec2Normalize(&fw, &fw);
        D3DXVec2Normalize(&side, &side);
        const float a = GetSignedAngle2D(&fw, &wind, &side);
        const float step = std::fmin(m_fFlagTurnRate * dt, std::fabs(a));
        if (a > 0.0f)
            f->RotateLocalY(-step);
        else if (a < 0.0f)
            f->RotateLocalY(step);
    }
}

void CVR3GAMEAnimatedShip::AnimateSmoke(bool) {
    const float force = m_pMovementShip->m_fForce;
    const float k = 1.0f - ForceRatio();
    for (AnimatedModelLink* l : m_vPipeSmokes) {
        if (!Usable(l))
            continue;
        if (CDX9KelUtils::IsEqual(force, 0.0f, 0.1f)) {
            l->m_pEmitter->m_dwParticlesToCreation = 0;
            continue;
        }
        ShowUnit(l->m_pUnit, true);
        l->m_pUnit->Start();
        l->m_pEmitter->m_dwParticlesToCreation = CappedCount(*l);
        const float interval = l->m_fCreationInterval * (1.0f + k);
        if (interval >= 0.0f)
            l->m_pEmitter->m_fCreationInterval = interval;
    }
}

void CVR3GAMEAnimatedShip::AnimateWakes(bool) {
    const float force = m_pMovementShip->m_fForce;
    for (AnimatedModelLink* l : m_vPropellerWakes) {
        if (!Usable(l))
            continue;
        if (CDX9KelUtils::IsEqual(force, 0.0f, 0.1f)) {
            l->m_pEmitter->m_dwParticlesToCreation = 0;
            continue;
        }
        ShowUnit(l->m_pUnit, true);
        l->m_pEmitter->m_dwParticlesToCreation = CappedCount(*l);
        l->m_pUnit->Start();
    }
}

void CVR3GAMEAnimatedShip::AnimateBowWaves(bool) {
    const float speed = m_pMovementShip->m_fSpeed;
    const float maxSpeed = m_pMovementShip->m_fMaxSpeed;
    float r = maxSpeed > 0.0f ? speed / maxSpeed : 0.0f;
    if (!std::isfinite(r))
        r = 0.0f;
    if (r > 1.0f)
        r = 1.0f;
    for (AnimatedModelLink* l : m_vBowWaves) {
        if (!Usable(l) || !l->m_pPointEmitter)
            continue;
        if (speed < kBowWaveSpeed) {
            l->m_pEmitter->m_dwParticlesToCreation = 0;
            continue;
        }
        ShowUnit(l->m_pUnit, true);
        l->m_pUnit->Start();
        l->m_pEmitter->m_dwParticlesToCreation = CappedCount(*l);
        const float v = l->m_fStartVelocity * r;
        if (v >= 0.0f)
            l->m_pPointEmitter->m_fStartVelocity = v;
    }
}

void CVR3GAMEAnimatedShip::AnimateEngineSound() {
    if (m_vEngineSounds.empty() || !(m_iEngineSoundIndex == -1 || m_pMovementShip->m_bSpeedChanged))
        return;
    const int n = static_cast<int>(m_vEngineSounds.size());
    const float x = ForceRatio() * static_cast<float>(n - 1);
    // Halves go to the even neighbour.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const float rounded = std::nearbyint(x);
    std::fesetround(saved);
    if (!(rounded >= 0.0f && rounded <= static_cast<float>(n - 1)))
        return;
    const int i = static_cast<int>(rounded);
    if (i == m_iEngineSoundIndex)
        return;
    if (m_iEngineSoundIndex >= 0 && m_iEngineSoundIndex < n)
        m_vEngineSounds[static_cast<std::size_t>(m_iEngineSoundIndex)].Stop();
    m_vEngineSounds[static_cast<std::size_t>(i)].Play();
    m_iEngineSoundIndex = i;
}

void CVR3GAMEAnimatedShip::AnimatePart(CVR3GAMEAnimatedPart* part, CVR3GAMEAnimatedPart* parent,
                                       const D3DXMATRIX* parentTransform, const D3DXMATRIX* bearingRef,
                                       float bearingStep, const D3DXMATRIX* elevationRef, float elevationStep,
                                       const D3DXVECTOR3* offset, float dt) {
    if (!part)
        return;
    bool moved = false;
    CDX9KelFrameRecord* frame = part->m_pFrame;

    // 1. Motion handed down by the parent.
    if (frame) {
        if (bearingRef) {
            D3DXMATRIX m = frame->m_mLocal;
            RotateMatrixAroundMatrixAxis(&m, bearingRef, kBearingAxis, bearingStep);
            SetFrameMatrix(frame, m);
            RotateMatrixAroundMatrixAxis(&part->m_mCurrent, bearingRef, kBearingAxis, bearingStep);
        }
        if (elevationRef) {
            D3DXMATRIX m = frame->m_mLocal;
            RotateMatrixAroundMatrixAxis(&m, elevationRef, kElevationAxis, elevationStep);
            SetFrameMatrix(frame, m);
            RotateMatrixAroundMatrixAxis(&part->m_mCurrent, elevationRef, kElevationAxis, elevationStep);
        }
        if (offset) {
            D3DXMATRIX m = frame->m_mLocal;
            TranslateMatrix(&m, offset);
            SetFrameMatrix(frame, m);
            moved = true;
        }
    }

    // What this part hands to its sub-parts.
    const D3DXMATRIX* childTransform = nullptr;
    const D3DXMATRIX* childBearingRef = nullptr;
    const D3DXMATRIX* childElevationRef = nullptr;
    float childBearingStep = 0.0f, childElevationStep = 0.0f;
    D3DXMATRIX r;
    D3DXVECTOR3 ownOffset(0.0f, 0.0f, 0.0f);
    bool hasOwnOffset = false;

    if (part->m_bFiring && frame) {
        // 2. Firing.
        const D3DXVECTOR3 forward(part->m_mCurrent._31, part->m_mCurrent._32, part->m_mCurrent._33);
        switch (part->m_iFiringPhase) {
        case CVR3GAMEAnimatedPart::PHASE_IDLE: {
            if (part->Movement) {
                part->m_fTargetElevation = 0.0f;
                part->m_iFiringPhase = CVR3GAMEAnimatedPart::PHASE_RECOIL;
            } else {
                if (!parent || !parent->Movement)
                    return;
                part->m_bFiring = false;
                parent->m_bFiring = true;
                parent->m_iFiringPhase = CVR3GAMEAnimatedPart::PHASE_RECOIL;
            }
            for (CDX9KelParticlesSystem* s : part->m_vShotSystems) {
                if (!s)
                    continue;
                s->SetLocalMatrix(&part->m_mCurrent, false);
                s->Start();
            }
            if (part->m_ShotSound) {
                part->m_ShotSound.SetTransform(&part->m_mCurrent, m_pSceneObject ? &m_pSceneObject->m_mWorld : nullptr);
                part->m_ShotSound.Play();
            }
            break;
        }
        case CVR3GAMEAnimatedPart::PHASE_RECOIL: {
            float s = std::fmin(std::fabs(dt * 3.0f * 0.02f), kRecoilLength);
            if (part->m_fRecoilTravel + s < kRecoilLength) {
                part->m_fRecoilTravel += s;
            } else {
                s = kRecoilLength - part->m_fRecoilTravel;
                part->m_fRecoilTravel = 0.0f;
                part->m_iFiringPhase = CVR3GAMEAnimatedPart::PHASE_RUN_OUT;
            }
            ownOffset = -forward * s;
            hasOwnOffset = true;
            break;
        }
        default: {
            float s = std::fmin(std::fabs(dt * 0.02f), kRecoilLength);
            if (part->m_fRecoilTravel + s <= kRecoilLength) {
                part->m_fRecoilTravel += s;
            } else {
                s = kRecoilLength - part->m_fRecoilTravel;
                part->m_fRecoilTravel = 0.0f;
                part->m_iFiringPhase = CVR3GAMEAnimatedPart::PHASE_IDLE;
                part->m_bFiring = false;
            }
            ownOffset = forward * s;
            hasOwnOffset = true;
            break;
        }
        }
        if (hasOwnOffset) {
            D3DXMATRIX m = frame->m_mLocal;
            TranslateMatrix(&m, &ownOffset);
            SetFrameMatrix(frame, m);
        }
    } else if (part->Rotation && frame && !moved) {
        // 3. Turning towards the targets.
        childTransform = &part->m_mCurrent;
        if (part->m_fBearing == part->m_fTargetBearing && part->m_fElevation == part->m_fTargetElevation) {
            if (part->m_bTurned)
                part->m_RotationSound.Stop();
        } else {
            r = parentTransform ? part->RotationMatrix * *parentTransform : part->RotationMatrix;
            // One step of the turn about `axis` of r: the angle moves towards
            // its target by at most the part's speed, and the frame and the
            // part's matrix turn with it. The step taken.
            const auto turn = [&](float& angle, float target, int axis) {
                float s = dt * part->RotationSpeed;
                if (target >= angle)
                    s = std::fmin(s, target - angle);
                else
                    s = -std::fmin(s, angle - target);
                angle += s;
                D3DXMATRIX m = frame->m_mLocal;
                RotateMatrixAroundMatrixAxis(&m, &r, axis, s);
                SetFrameMatrix(frame, m);
                RotateMatrixAroundMatrixAxis(&part->m_mCurrent, &r, axis, s);
                return s;
            };
            if (part->m_fBearing != part->m_fTargetBearing) {
                childBearingStep = turn(part->m_fBearing, part->m_fTargetBearing, kBearingAxis);
                childBearingRef = &r;
            }
            if (part->m_fElevation != part->m_fTargetElevation) {
                childElevationStep = turn(part->m_fElevation, part->m_fTargetElevation, kElevationAxis);
                childElevationRef = &r;
            }
            part->m_bTurned = true;
            if (part->m_RotationSound) {
                part->m_RotationSound.SetTransform(&part->m_mCurrent,
                                                   m_pSceneObject ? &m_pSceneObject->m_mWorld : nullptr);
                part->m_RotationSound.Play();
            }
        }
    }

    // 4. The sub-parts.
    if (!part->Rotation) {
        childTransform = parentTransform;
        childBearingRef = bearingRef;
        childBearingStep = bearingStep;
        childElevationRef = elevationRef;
        childElevationStep = elevationStep;
    }
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3* childOffset = nullptr;
    if (hasOwnOffset && offset) {
        sum = ownOffset + *offset;
        childOffset = &sum;
    } else if (hasOwnOffset) {
        childOffset = &ownOffset;
    } else if (offset) {
        childOffset = offset;
    }
    for (CVR3GAMEAnimatedPart* s : part->m_vSubParts)
        if (s)
            AnimatePart(s, part, childTransform, childBearingRef, childBearingStep, childElevationRef,
                        childElevationStep, childOffset, dt);
}

void CVR3GAMEAnimatedShip::UpdatePartFire(CVR3GAMEAnimatedPart* part) {
    if (!part || part->m_vFireSystems.empty() || !part->m_vFireSystems.front())
        return;
    const bool shown = part->m_vFireSystems.front()->m_bRunning;
    if (part->m_bBurning && !shown) {
        for (CDX9KelParticlesSystem* s : part->m_vFireSystems) {
            if (!s)
                continue;
            s->Start();
            s->SetParticlesBirth(true);
        }
        if (m_FireSound)
            m_FireSound.Play();
    } else if (!part->m_bBurning && shown) {
        for (CDX9KelParticlesSystem* s : part->m_vFireSystems)
            if (s)
                s->SetParticlesBirth(false);
        const int st = m_FireSound.GetState();
        if (st == CVR3SOUNDSource::STATE_PLAYING || st == CVR3SOUNDSource::STATE_SILENT)
            m_FireSound.Stop();
    }
}

void CVR3GAMEAnimatedShip::SinkingStep(float dt) {
    if (!m_pSceneObject)
        return;
    CDX9KelPhysicalObjectShip* body = m_pMovementShip->m_pPhysicalObject;
    if (body && body->GetMainBody())
        body->GetMainBody()->m_fExtraMass += m_fSinkingMassRate * dt;
    if (m_pFloodingObject) {
        m_vFloodingPosition = D3DXVECTOR3(m_pSceneObject->m_mWorld._41, 0.0f, m_pSceneObject->m_mWorld._43);
        m_pFloodingObject->SetPosition(&m_vFloodingPosition);
    }
    if (m_pSceneObject->m_mWorld._42 < kSunkDepth) {
        m_iState = STATE_SUNK;
        m_FloodingSound.Stop();
        m_FireSound.Stop();
        if (m_pFloodingObject)
            m_pFloodingObject->SetParticlesBirth(false);
        if (body) {
            body->AddConstantForce(CVR3GAMEMovementShip::kDraughtForce, &m_pMovementShip->m_vForceDirection,
                                   &m_pMovementShip->m_vDraughtForcePosition, 0.0f);
            body->SetActive(false);
        }
    }
}

void CVR3GAMEAnimatedShip::StartSinking() {
    m_iState = STATE_SINKING;
    for (AnimatedModelLink* l : m_vPropellerWakes)
        if (Usable(l))
            ShowUnit(l->m_pUnit, false);
    for (AnimatedModelLink* l : m_vBowWaves)
        if (Usable(l) && l->m_pPointEmitter)
            ShowUnit(l->m_pUnit, false);
    if (m_pFloodingObject && m_pSceneObject) {
        m_vFloodingPosition = D3DXVECTOR3(m_pSceneObject->m_mWorld._41, 0.0f, m_pSceneObject->m_mWorld._43);
        D3DXMATRIX m = m_pFloodingObject->m_mWorld;
        m._41 = m_vFloodingPosition.x;
        m._42 = m_vFloodingPosition.y;
        m._43 = m_vFloodingPosition.z;
        m_pFloodingObject->SetWorldMatrix(&m);
        m_pFloodingObject->m_bTransformChanged = true;
        m_pFloodingObject->m_bMoved = true;
        m_pFloodingObject->SetParticlesBirth(true);
        m_pFloodingObject->StartParticles();
    }
    if (m_FloodingSound && m_pSceneObject) {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        m_FloodingSound.SetTransform(&identity, &m_pSceneObject->m_mWorld);
        m_FloodingSound.Play();
    }
}

bool CVR3GAMEAnimatedShip::UpdateDamageLevel(float percent) {
    if (!(percent >= 0.0f && percent <= 100.0f) || DamageLevels.size() < 2)
        return false;
    const int n = static_cast<int>(DamageLevels.size());
    int level = m_iDamageLevel;
    if (level < 0 || level >= n)
        level = level < 0 ? 0 : n - 1;
    const int before = m_iDamageLevel;
    if (level == 0) {
        if (percent > DamageLevels[1])
            level = 1;
    } else if (level < n - 1 && percent > DamageLevels[static_cast<std::size_t>(level) + 1]) {
        ++level;
    } else if (percent < DamageLevels[static_cast<std::size_t>(level)]) {
        --level;
    }
    m_iDamageLevel = level;
    if (level != before) {
        for (auto* list : {&m_vHullModels, &m_vFlagModels}) {
            if (list->size() != 1 && list->size() != 2)
                continue;
            for (CDX9KelModel* m : *list)
                if (m)
                    m->SetTextureGroup(static_cast<DWORD>(level));
        }
    }
    return true;
}

void CVR3GAMEAnimatedShip::ResetPart(CVR3GAMEAnimatedPart* part) {
    if (!part)
        return;
    // The frame goes back to its rest matrix with the bearing and elevation,
    // so the model and the logical aim agree in the next battle.
    if (part->m_pFrame)
        SetFrameMatrix(part->m_pFrame, part->m_mBase);
    part->m_mCurrent = part->GameTransform;
    part->m_fBearing = part->m_fElevation = 0.0f;
    part->m_fTargetBearing = part->m_fTargetElevation = 0.0f;
    part->m_fRecoilTravel = 0.0f;
    part->m_iFiringPhase = CVR3GAMEAnimatedPart::PHASE_IDLE;
    part->m_bTurned = part->m_bFiring = part->m_bBurning = false;
    part->m_RotationSound.Stop();
    part->m_ShotSound.Stop();
    part->m_HitSound.Stop();
    part->m_MissSound.Stop();
    for (CVR3GAMEAnimatedPart* s : part->m_vSubParts)
        ResetPart(s);
}

void CVR3GAMEAnimatedShip::ResetEffects() {
    for (CVR3GAMEAnimatedPart* p : m_vPropellerParts)
        if (p && p->m_pFrame && p->m_pFrame->m_pChanged)
            *p->m_pFrame->m_pChanged = true;
    for (CVR3GAMEAnimatedPart* p : m_vPlatformParts) {
        if (!p)
            continue;
        ResetPart(p);
        for (CDX9KelParticlesSystem* s : p->m_vFireSystems) {
            if (!s)
                continue;
            s->ResetParticles();
            s->Stop();
        }
    }
    for (AnimatedModelLink* l : m_vPipeSmokes)
        if (Usable(l)) {
            l->m_pEmitter->ResetParticles();
            ShowUnit(l->m_pUnit, false);
        }
    for (AnimatedModelLink* l : m_vPropellerWakes)
        if (Usable(l)) {
            l->m_pEmitter->ResetParticles();
            ShowUnit(l->m_pUnit, false);
        }
    for (AnimatedModelLink* l : m_vBowWaves)
        if (Usable(l) && l->m_pPointEmitter) {
            l->m_pEmitter->ResetParticles();
            ShowUnit(l->m_pUnit, false);
        }
    if (m_pFloodingObject)
        m_pFloodingObject->ResetParticles();
    for (SoundHandle& s : m_vEngineSounds)
        s.Stop();
    m_iEngineSoundIndex = -1;
}

bool CVR3GAMEAnimatedShip::AddEffectsToSceneTree(CDXSceneTree* tree, bool add) {
    if (!tree)
        return false;
    for (CDX9KelSceneObject* o : m_vEffectObjects) {
        if (!o)
            continue;
        if (add)
            tree->AddSceneObject(o);
        else
            tree->RemoveSceneObject(o);
    }
    return true;
}

} // namespace SeaBattle
