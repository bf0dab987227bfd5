#pragma once
// The campaign's battle system: it resolves combat on the campaign map. A
// unit that attacks fires one group of its guns; gun by gun and shot by shot
// the system decides whether the shot can be fired, whether it hits, which
// part of the target it strikes, what the armour stops and how much damage,
// hole and fire it leaves, and then plays the visible attack (the turret or
// broadside turns, each gun that fired recoils with smoke and sound, the
// shell lands as a splash or an explosion, everything turns back). At the end
// of a round it settles every unit of both sides: efficiency, fire, flooding,
// drainage, heel, repair, gun state, speed and death. It owns the gun table.
//
// The campaign scene drives it once per frame with ProcBombardment,
// ProcAttackTurn and ProcRoundResult, in that order; each acts in its own
// state only. Work is spread over frames: one gun per frame while bombarding,
// one unit per frame in the round result.
#include "campaign/data/CDX9KelDataIO.h"
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "platform/gfx/d3d9.h"
#include "platform/math/d3dx9math.h"

#include <string>
#include <vector>

namespace Vorna2 {
class CDX9KelSceneObject;
class CDXParticleSystemManager;
} // namespace Vorna2

namespace VornaCampaign {

// States of the battle system.
enum EBattleSystemState {
    BATTLE_SYSTEM_IDLE = 0,
    BATTLE_SYSTEM_BOMBARDMENT = 1,
    BATTLE_SYSTEM_ATTACK_TURN = 2,
    BATTLE_SYSTEM_ROUND_RESULT_1 = 3,
    BATTLE_SYSTEM_ROUND_RESULT_2 = 4,
};

// What became of one gun of a bombardment.
enum EShotResult { SHOT_NOT_FIRED = 0, SHOT_MISSED = 1, SHOT_HIT = 2 };

// The map's lists of one side: entry i of each list is the same unit. The
// animated-model list may be shorter or hold nulls (ships without a model
// file).
using BattleGameObjectList = std::vector<GameObjectRecord*>;
using BattleSceneObjectList = std::vector<Vorna2::CDX9KelSceneObject*>;
using BattleAnimatedModelList = std::vector<CDX9KelAnimatedModel*>;

// Trace switch: while set, the battle system writes its step-by-step trace
// (level 7). Off from the start; the program never sets it.
extern bool g_bBattleSystemTrace;

class CDX9KelBattleSystem {
public:
    // Metres per world unit of the campaign map.
    static constexpr float kMetresPerUnit = 18.5f;
    static constexpr float kPi = 3.14159265358979f;

    CDX9KelBattleSystem();

    // ---- set-up ----
    // Reads the artillery folder's "Artillery.xml" (beside the program) into
    // the gun table. The campaign starts also when this fails.
    bool InitArtillery();
    // What a loaded map hands over: the game objects, scene objects and
    // animated models of side 1 and side 2 (index 0 and 1), and the particle
    // systems with the device (both null unless both exist: without them no
    // smoke, splash, explosion or fire is made). The lists stay the map's;
    // entry i of a side's lists is the same unit.
    struct MapLists {
        BattleGameObjectList* m_pGameObjects[2] = {nullptr, nullptr};
        BattleSceneObjectList* m_pSceneObjects[2] = {nullptr, nullptr};
        BattleAnimatedModelList* m_pAnimatedModels[2] = {nullptr, nullptr};
        Vorna2::CDXParticleSystemManager* m_pParticles = nullptr;
        IDirect3DDevice9* m_pDevice = nullptr;
    };
    // Takes the lists of a newly loaded map; whatever the system was doing
    // on the map before (a bombardment, a round result, units waiting to
    // sink) is forgotten, as its objects are gone.
    void SetMapLists(const MapLists& lists);

    // ---- bombardment ----
    // Starts a bombardment of the target by the attacker's gun group (0, 1:
    // towers; 2-7: hull parts 0-5). Refused when the group is above 7, a
    // pointer but the animated model is null, a unit has no battle data or
    // the system is busy.
    bool BeginBombardment(int group, Vorna2::CDX9KelSceneObject* attackerScene, GameObjectRecord* attacker,
                          CDX9KelAnimatedModel* attackerModel, Vorna2::CDX9KelSceneObject* targetScene,
                          GameObjectRecord* target);
    // Per-frame steps (frameTime: the frame counter's frame time).
    void ProcBombardment();
    void ProcAttackTurn(float frameTime);
    void ProcRoundResult();

    // One gun's bombardment of the current target.
    bool GunBombBattleObject(GunRecord* gun, AnimatedGunFrame* gunFrame);

    // ---- rules ----
    static bool IsAngleInZone(PartRect* zone, float angle);
    // Rebuilds the hit candidates for a shot from the angle; the sum of their
    // reserve areas, -1.0 without battle data.
    float CollectHitCandidates(float angle, BattleDataBlock* target);
    static int CalcHitChance(float distance, float fallAccuracy, float crewTraining, float targetArea);
    static bool RollHit(int chance);
    PartRecord* ChooseHitPart();
    // Damage, hole and fire of one hit of the gun on the part, at the
    // current distance.
    void HitPart(const GunRecord* gun, PartRecord* part);
    bool RamObject(GameObjectRecord* attacker, GameObjectRecord* target, float bowAngle, float sideAngle, float speed);
    // A one-shot 3D sound at the position (nothing without a sound device,
    // with the effects muted or without a file).
    static void PlaySound(const std::string& file, const D3DXVECTOR3& position, float referenceDistance,
                          float maxDistance);
    bool CollideObject(GameObjectRecord* object, GameObjectRecord* other, float angle);

    // ---- queries ----
    static int GetConditionPercent(const BattleDataBlock* data);
    static int GetFloodPercent(const BattleDataBlock* data);
    static int GetGroupHitChance(int group, const BattleDataBlock* attacker, const BattleDataBlock* target,
                                 float mapDistance);
    static float GetDistanceForHitChance(int chance, float fallAccuracy, float crewTraining, float targetArea);

    // ---- round result ----
    bool BeginCalcRoundResult();
    bool CalcObjectRoundData(GameObjectRecord* object, Vorna2::CDX9KelSceneObject* sceneObject);
    bool UpdateObjectEffects(GameObjectRecord* object, Vorna2::CDX9KelSceneObject* sceneObject);
    bool DetectDeath(GameObjectRecord* object, float waterWeight);
    // Parts of the round result, public for the tests.
    static void CalcHoles(PartRecord* part);
    static void GrowFire(PartRecord* part);
    static void ApplyFireDamage(PartRecord* part);
    static void RepairPart(PartRecord* part, int displacement);
    static void UpdateGunState(PartRecord* part);
    static float CalcFlooding(GameObjectRecord* object, float halfBeam);
    static float CalcHeelAngle(int displacement, float a, float b);

    // ---- fields ----
    std::string m_szArtilleryFolder = "Data\\Artillery\\";
    std::vector<GunType> m_stdvArtillery;
    int m_iState = BATTLE_SYSTEM_IDLE;
    MapLists m_MapLists;
    float m_fReferenceTargetArea = 800.0f;
    float m_fMaxHitChance = 99.0f;
    float m_fHoleSize = 13.5f;
    std::vector<PartRecord*> m_stdvHitCandidates;
    Vorna2::CDX9KelSceneObject* m_pAttackerScene = nullptr;
    GameObjectRecord* m_pAttacker = nullptr;
    CDX9KelAnimatedModel* m_pAttackerModel = nullptr;
    Vorna2::CDX9KelSceneObject* m_pTargetScene = nullptr;
    GameObjectRecord* m_pTarget = nullptr;
    int m_iGunGroup = -1;
    int m_iGunIndex = -1;
    PartRecord* m_pCurrentPart = nullptr;
    AnimatedFrame* m_pCurrentEntry = nullptr;
    // Metres.
    float m_fDistance = 0.0f;
    // Radians.
    float m_fAngle = 0.0f;
    float m_fCandidateArea = 0.0f;
    // One EShotResult per gun tried in the current bombardment.
    std::vector<int> m_stdvShotResults;
    int m_iRoundIndex1 = -1;
    int m_iRoundIndex2 = -1;
    int m_iAttackTurnStep = -1;
    // Radians per unit of frame time; also the base of the recoil speed.
    float m_fTurnRate = 0.01f;
    float m_fAttackTurnAngle = 0.0f;
    float m_fTurned = 0.0f;
    float m_fTurnSign = 0.0f;
    D3DXMATRIX m_mSavedPart;
    D3DXVECTOR3 m_vPartPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vRecoilAxis{0.0f, 0.0f, 0.0f};
    float m_fRecoil = 0.0f;
    // Scene objects of lost units that can sink, for the turn processing.
    std::vector<Vorna2::CDX9KelSceneObject*> m_stdvSinking;
    // Particle-system (INI) and sound files of shots, splashes, explosions,
    // rams and fires; the all-maps graphic data fills them. A unit's fire
    // systems carry the fire file's name.
    std::string m_szShotParticles, m_szSplashParticles, m_szExplosionParticles, m_szRamParticles, m_szFireParticles;
    std::string m_szShotSound, m_szSplashSound, m_szExplosionSound, m_szRamSound, m_szFireSound;

private:
    bool CalcDistanceAndAngle();
    void EndBombardment();
    // The current entry's frames back at their load-time matrices; the
    // attack-turn step back at its start.
    void RestoreEntry();
    // The fire step of the attack turn for the current gun; true when the gun
    // has finished its recoil and run-out.
    bool PlayGunShot(int shotResult, AnimatedGunFrame* gunFrame, float frameTime);
    // The world matrix of a gun frame of the current entry (both the frame
    // and the attacker's scene object given): through the entry's turned
    // frame when the gun hangs below it, else the gun's own placement.
    D3DXMATRIX GunWorld(const Vorna2::CDX9KelBoundsRecord* gun) const;
    void PlaySplash();
    void PlayExplosion();
    // Turns the current entry's frame and its guns' frames by angle about
    // the entry's up axis through its position.
    void TurnEntry(float angle);
    // One round-result step over the side lists with op; true when done.
    bool StepSides(bool (CDX9KelBattleSystem::*op)(GameObjectRecord*, Vorna2::CDX9KelSceneObject*));
    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// The campaign's one battle system.
extern CDX9KelBattleSystem g_BattleSystem;

} // namespace VornaCampaign
