#pragma once
// Fires the guns of one player's ships. Twice a second of battle time, for
// every ship it walks the ship's target list in order: every artillery part
// that is free takes the first target in one of its firing sectors, turrets
// and guns turn towards it, guns elevate, and a gun whose bearing and
// elevation are within 5 degrees of the target and whose hit chance reaches
// the target's minimum fires: the shot goes to the battle resolution's shot
// queue. The order of the target list is the only preference.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <cstdint>
#include <vector>

namespace Vorna3D {
class CDX9KelGameTimer;
class CDXSceneTree;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapShip;
class CVR3GAMEArtilleryShip;
class CVR3GAMEBattleSystemShip;
struct ArtilleryTarget;
struct CArtilleryPart;
struct CBattleSystemShipGun;

class CVR3GAMEBattleMapArtillerySystem {
public:
    static constexpr DWORD kPeriod = 500;
    // The aiming tolerance: 5 degrees.
    static constexpr float kTolerance = 0.0872665f;

    CVR3GAMEBattleMapArtillerySystem() = default;

    // The ships whose guns it fires and the battle clock (null reads
    // timeGetTime); the tree, when set, is searched for ships in the line
    // of fire.
    void Init(std::vector<CVR3GAMEBattleMapShip*>* ships, Vorna3D::CDX9KelGameTimer* timer,
              Vorna3D::CDXSceneTree* tree = nullptr) {
        m_pShips = ships;
        m_pTimer = timer;
        m_pTree = tree;
    }
    // Per frame; false while the period has not passed, true after a pass.
    bool Proc();

    std::vector<CVR3GAMEBattleMapShip*>* m_pShips = nullptr;
    Vorna3D::CDX9KelGameTimer* m_pTimer = nullptr;
    Vorna3D::CDXSceneTree* m_pTree = nullptr;
    DWORD m_dwLastProcessingTime = 0;
    DWORD m_dwPeriod = kPeriod;
    // Shots queued since construction; for reports.
    uint32_t m_uShotsFired = 0;

private:
    void ProcShip(CVR3GAMEArtilleryShip* artillery, CVR3GAMEBattleSystemShip* damageShip, CVR3GAMEBattleMapShip* ship);
    void ProcTarget(CVR3GAMEArtilleryShip* artillery, CVR3GAMEArtilleryShip* targetArtillery, bool first,
                    const D3DXMATRIX* ownWorld, const D3DXMATRIX* targetWorld);
    bool FindTargetPartsInSectors(CVR3GAMEArtilleryShip* targetArtillery, CArtilleryPart* part);
    void ProcPart(CArtilleryPart* part);
    void ProcBroadsideGun(CArtilleryPart* gun);
    void TurnTo(CArtilleryPart* part, float angle);
    void AimAndFire(CArtilleryPart* gun, bool recurse, bool fireAllowed);
    void ResetAim(CVR3GAMEArtilleryShip* artillery);
    // The gun's hit chance against the current target.
    float GunHitProbability(const CBattleSystemShipGun* gun) const;
    bool HasAmmunition(const CBattleSystemShipGun* gun) const;

    std::vector<CArtilleryPart*> m_vTargetParts;
    ArtilleryTarget* m_pCurrentTarget = nullptr;
    const D3DXMATRIX* m_pOwnWorld = nullptr;
    const D3DXMATRIX* m_pTargetWorld = nullptr;
    CVR3GAMEBattleSystemShip* m_pOwnDamageShip = nullptr;
    CVR3GAMEArtilleryShip* m_pOwnArtilleryShip = nullptr;
    CBattleSystemShipGun* m_pCurrentGun = nullptr;
    float m_fDistance = 0.0f;
    float m_fCrewTraining = 0.0f;
    float m_fPartArea = 0.0f;
    float m_fTargetArea = 0.0f;
    float m_fHitProbability = 0.0f;
    int32_t m_iFlightTime = 0;
    int32_t m_iPartCounter = 0;
};

} // namespace SeaBattle
