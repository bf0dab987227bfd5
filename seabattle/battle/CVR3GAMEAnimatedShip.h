#pragma once
// The animated aspect of a battle ship: makes its model move with what the
// ship does. Propellers turn with the engine force, rudders follow the rudder
// angle, flags turn to the wind, funnel smoke, wakes and bow waves follow
// force and speed, engine sounds follow the force, turrets and guns turn and
// elevate towards the bearings the artillery sets, a gun that fires recoils
// and runs out again, a burning platform shows fire, the hull's textures
// follow the damage level, and a dead ship floods and sinks.
//
// Angles are radians, times seconds. Matrices are row-vector matrices: row 0
// X, row 1 Y (up), row 2 Z (forward), row 3 the position.
#include <cstdint>
#include <string>
#include <vector>

#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/math/d3dx9math.h"

namespace Vorna3D {
class CDX9KelSceneObject;
class CDXSceneTree;
class CDX9KelModel;
struct CDX9KelFrameRecord;
class CDX9KelParticlesSystem;
class CDX9KelParticlesSystemsManager;
class CDX9KelBasePSEmitter;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEMovementShip;

// Copies the matrix into the model frame and marks the model changed, so its
// next update shows it.
void SetFrameMatrix(Vorna3D::CDX9KelFrameRecord* frame, const D3DXMATRIX& m);

class CVR3GAMEBaseAnimatedObject {
public:
    virtual void Animate(float dt) = 0;
    virtual ~CVR3GAMEBaseAnimatedObject() = default;

    std::string m_strName;
    Vorna3D::CDX9KelSceneObject* m_pSceneObject = nullptr;         // not owned
    std::vector<Vorna3D::CDX9KelSceneObject*> m_vEffectObjects;     // not owned; entries may be null
};

// A particle unit of the ship with the emitter values of its file: the full
// power look that force and speed scale down.
struct AnimatedModelLink {
    // Fills the link from the unit and hides the unit; false for a null unit
    // or one without emitters.
    static bool Bind(AnimatedModelLink* link, Vorna3D::CDX9KelParticlesSystem* unit);

    Vorna3D::CDX9KelParticlesSystem* m_pUnit = nullptr;
    Vorna3D::CDX9KelBasePSEmitter* m_pEmitter = nullptr;      // the first emitter
    Vorna3D::CDX9KelBasePSEmitter* m_pPointEmitter = nullptr; // the first emitter when it is a point emitter
    uint32_t m_uParticlesToCreation = 0;
    float m_fCreationInterval = 0.0f;
    float m_fStartVelocity = 0.0f;
};

struct CVR3GAMEAnimatedPart {
    CVR3GAMEAnimatedPart();
    // Deletes the part after its sub-parts, recursively.
    static void Delete(CVR3GAMEAnimatedPart* part);

    enum EFiringPhase { PHASE_IDLE = 0, PHASE_RECOIL = 1, PHASE_RUN_OUT = 2 };

    std::string m_strName; // the model frame's name
    bool Rotation = false; // turns and elevates towards its targets
    bool Movement = false; // recoils when it fires
    Vorna3D::CDX9KelFrameRecord* m_pFrame = nullptr; // not owned; null when the model has no such frame
    std::vector<CVR3GAMEAnimatedPart*> m_vSubParts;  // owned
    D3DXMATRIX m_mBase;          // the frame's matrix as found at load
    D3DXMATRIX GameTransform;    // rest transform relative to the ship
    // Row 0 the elevation axis, row 1 the bearing (and rudder) axis, row 2
    // the propeller axis, row 3 the pivot.
    D3DXMATRIX RotationMatrix;
    float RotationSpeed = 0.1f;
    std::vector<D3DXVECTOR3> HitPositions;
    std::vector<Vorna3D::CDX9KelParticlesSystem*> m_vShotSystems; // muzzle flashes
    std::vector<Vorna3D::CDX9KelParticlesSystem*> m_vFireSystems;
    Vorna3D::CDX9KelSceneObject* m_pHitObject = nullptr;
    Vorna3D::CDX9KelSceneObject* m_pMissObject = nullptr;
    Vorna3D::SoundHandle m_RotationSound, m_ShotSound, m_HitSound, m_MissSound;
    D3DXMATRIX m_mCurrent; // GameTransform as turned and elevated so far
    float m_fBearing = 0.0f;
    float m_fElevation = 0.0f;
    float m_fTargetBearing = 0.0f;
    float m_fTargetElevation = 0.0f;
    int32_t m_iFiringPhase = PHASE_IDLE;
    bool m_bTurned = false;
    bool m_bFiring = false;  // set by the artillery when the gun fires
    bool m_bBurning = false; // set by the damage pass while the platform burns
    float m_fRecoilTravel = 0.0f;
};

class CVR3GAMEAnimatedShip : public CVR3GAMEBaseAnimatedObject {
public:
    enum EState { STATE_AFLOAT = 0, STATE_SINKING = 1, STATE_SUNK = 2 };
    static constexpr float kPropellerRate = 9.42f;
    static constexpr float kRecoilLength = 0.05f;
    static constexpr float kSunkDepth = -5.0f;
    static constexpr float kBowWaveSpeed = 0.54f;

    CVR3GAMEAnimatedShip() = default;
    ~CVR3GAMEAnimatedShip() override;
    CVR3GAMEAnimatedShip(const CVR3GAMEAnimatedShip&) = delete;
    CVR3GAMEAnimatedShip& operator=(const CVR3GAMEAnimatedShip&) = delete;

    // False when either is null; gives the funnel smoke its wind.
    bool Init(Vorna3D::CDX9KelParticlesSystemsManager* pManager, CVR3GAMEMovementShip* pMovementShip);
    void Animate(float dt) override;
    // Moves the damage level by at most one step; false for a percent
    // outside 0..100 or fewer than two levels.
    bool UpdateDamageLevel(float percent);
    void StartSinking();
    // The ship after a battle: effects off, turrets and guns at rest.
    void ResetEffects();
    bool AddEffectsToSceneTree(Vorna3D::CDXSceneTree* tree, bool add);

    CVR3GAMEMovementShip* m_pMovementShip = nullptr;
    std::vector<Vorna3D::CDX9KelModel*> m_vHullModels; // not owned
    std::vector<Vorna3D::CDX9KelModel*> m_vFlagModels; // not owned
    std::vector<CVR3GAMEAnimatedPart*> m_vPlatformParts;  // owned; index i matches damage and artillery part i
    std::vector<CVR3GAMEAnimatedPart*> m_vPropellerParts; // owned
    std::vector<CVR3GAMEAnimatedPart*> m_vRudderParts;    // owned
    std::vector<float> DamageLevels;
    int32_t m_iDamageLevel = 0;
    std::vector<AnimatedModelLink*> m_vPipeSmokes;     // owned
    std::vector<AnimatedModelLink*> m_vPropellerWakes; // owned
    std::vector<AnimatedModelLink*> m_vBowWaves;       // owned
    Vorna3D::CDX9KelSceneObject* m_pFloodingObject = nullptr; // not owned
    Vorna3D::SoundHandle m_FireSound;
    Vorna3D::SoundHandle m_FloodingSound;
    std::vector<Vorna3D::SoundHandle> m_vEngineSounds; // the first at zero force, the last at full force
    int32_t m_iEngineSoundIndex = -1;
    float m_fPropellerRate = kPropellerRate;
    float m_fPropellerStep = 0.0f;
    float m_fWindX = 0.0f;
    float m_fWindZ = -1.0f;
    float m_fSmokeWindStrength = 0.1f;
    float m_fFlagTurnRate = 0.2f;
    float m_fSinkingMassRate = 50.0f;
    bool m_bRefresh = false;
    int32_t m_iState = STATE_AFLOAT;
    D3DXVECTOR3 m_vFloodingPosition{0.0f, 0.0f, 0.0f};

private:
    // The offset is null when nothing is handed down.
    void AnimatePart(CVR3GAMEAnimatedPart* part, CVR3GAMEAnimatedPart* parent, const D3DXMATRIX* parentTransform,
                     const D3DXMATRIX* bearingRef, float bearingStep, const D3DXMATRIX* elevationRef,
                     float elevationStep, const D3DXVECTOR3* offset, float dt);
    void UpdatePartFire(CVR3GAMEAnimatedPart* part);
    void ResetPart(CVR3GAMEAnimatedPart* part);
    void SinkingStep(float dt);
    void AnimatePropellers(bool forceChanged, float dt);
    void AnimateRudders();
    void AnimateFlags(float dt);
    void AnimateSmoke(bool forceChanged);
    void AnimateWakes(bool forceChanged);
    void AnimateBowWaves(bool speedChanged);
    void AnimateEngineSound();
    // The force over the maximum force; 0 while the maximum is not above 0.
    float ForceRatio() const;
};

} // namespace SeaBattle
