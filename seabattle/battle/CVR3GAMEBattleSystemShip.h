#pragma once
// The damage model of one battle ship: its hull split into parts, each with
// durability, buoyancy, armour zones, holes, water, fire and guns, and the
// ship's totals derived from them. The battle resolution reads and changes
// it; the game IO builds it from a battle-object file.
//
// Hull parts by index, in the ship's own frame (+z forward): 0-2 the side of
// negative x (port: bow, middle, stern), 3-5 the side of positive x
// (starboard: bow, middle, stern), 6-8 without side.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/os/WinTypes.h"

namespace SeaBattle {

class CVR3GAMEBattleMapShip;

// The header a hull part and a gun share; the artillery tells them apart by
// the kind.
struct CBattleSystemDamageElement {
    static constexpr int32_t kHullPart = 0;
    static constexpr int32_t kGun = 1;

    int32_t Kind = kHullPart;
    bool Flag = false; // read by nothing
    bool Active = true;
    bool Reloading = false;  // set when the gun fires, cleared when it has reloaded
    bool ShotLanded = false; // set when the gun's shot reached its target
};

// One entry of the loaded artillery list.
struct CBattleArtilleryType {
    static constexpr std::size_t kTagSize = 20;
    static constexpr std::size_t kNameSize = 40;

    char Tag[kTagSize] = {};   // the XML element name of the entry
    char Name[kNameSize] = {}; // localised
    float RechargeSpeed = 0.0f; // seconds
    float BombardRange = 0.0f;
    float FallAccuracy = 0.0f;
    float BeginArmourPirce = 0.0f;
    float FallArmourPirce = 0.0f;
    int32_t HoleProbability = 0; // percent
    float BeginShellSpeed = 0.0f;
    float Damage = 0.0f;
    float DamageToWaterFactor = 1.0f;
    float DamageDealt = 0.0f; // damage this gun has done: the source of crew experience
};

struct CBattleSystemShipGun : CBattleArtilleryType, CBattleSystemDamageElement {
    CBattleSystemShipGun() { Kind = kGun; }

    int32_t Shells = -1;           // -1 = not given
    float CurrentRecharge = 0.0f;  // seconds
    float Height = -1.0f;          // on the part's side face; -1 = not given
    DWORD LandingTime = 0;         // ms
    // The reload time of the type at full crew training; the reload time
    // in use is always derived from it, so it never compounds.
    float BaseRechargeSpeed = -1.0f; // -1 = not yet taken from RechargeSpeed
};

struct ShipHole {
    float Height = 0.0f;
    float Size = 0.0f;        // the damage that made it; 148.5 for a ram hole
    float WaterFactor = 1.0f; // the gun's "DamageToWaterFactor"; 1.0 for a ram hole
};

struct CBattleFloatRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

struct CBattleSystemShipPart : CBattleSystemDamageElement {
    float Durability = 0.0f;
    float Length = 0.0f;
    float Height = 0.0f;
    float Area = -1.0f;
    float Efficiency = 0.0f;
    float DamageTaken = 0.0f;
    float Fire = 0.0f;
    int32_t IgnitionFactor = 0;
    bool DurabilityChangeSpeed = false;
    float Buoyancy = 0.0f;
    CBattleFloatRect ArmourRect1;
    float Armour1 = 0.0f;
    CBattleFloatRect ArmourRect2;
    float Armour2 = 0.0f;
    float InitialWaterline = -1.0f; // -1 = the part has no waterline and never floods
    float Waterline = -1.0f;
    float ActiveHoles = 0.0f;
    float Water = 0.0f;
    // Guns keep their addresses while guns are appended: shots and
    // artillery parts point at them.
    std::deque<CBattleSystemShipGun> Guns;
    std::vector<ShipHole> Holes;

    bool HasWaterline() const { return InitialWaterline != -1.0f; }
    // Side area above the current waterline.
    float ComputeArea() const { return HasWaterline() ? Length * (Height - Waterline) : Length * Height; }
};

class CVR3GAMEBattleSystemBaseObject {
public:
    virtual ~CVR3GAMEBattleSystemBaseObject() = default;
    std::string Name;
};

class CVR3GAMEBattleSystemShip : public CVR3GAMEBattleSystemBaseObject {
public:
    // Gun-count groups.
    enum EGunCount {
        PORT_MAIN_INITIAL = 0, STARBOARD_MAIN_INITIAL, PORT_MAIN_CURRENT, STARBOARD_MAIN_CURRENT,
        PORT_OTHER_INITIAL, STARBOARD_OTHER_INITIAL, PORT_OTHER_CURRENT, STARBOARD_OTHER_CURRENT,
        PART6_INITIAL, PART6_CURRENT, PART7_INITIAL, PART7_CURRENT, PART8_INITIAL, PART8_CURRENT,
        GUN_COUNT_SIZE
    };
    // Parts needed for flooding factors, water spreading, heel and trim.
    static constexpr std::size_t kSidedPartCount = 6;

    CVR3GAMEBattleSystemShip() = default;
    ~CVR3GAMEBattleSystemShip() override;
    CVR3GAMEBattleSystemShip(const CVR3GAMEBattleSystemShip&) = delete;
    CVR3GAMEBattleSystemShip& operator=(const CVR3GAMEBattleSystemShip&) = delete;

    // The totals from the parts, once after loading. Values that later
    // divide (durability, buoyancy) are warned about here when they are not
    // above 0; the ship is still taken.
    void Init();
    // Waterline rise and water mass per unit of water; needs six parts.
    void InitFloodingFactors();

    // Number of guns over every part.
    std::size_t CountGuns() const;

    int32_t Index = -1;
    DWORD LastDamageTime = 0;
    bool IsAlive = true;
    int32_t Displacement = 0;
    float TotalDurability = 0.0f;
    float TotalBuoyancy = 0.0f;
    float Pomp = 0.0f;
    bool RamAttack = false;
    bool RamImmunity = false;
    int32_t Gunpowder = 0;
    int32_t GunpowderLoaded = 0;
    float CrewTraining = 1.0f;
    float CrewExperience = 0.0f;
    float ExpLevel1 = 0.0f, ExpLevel2 = 0.0f, ExpLevel3 = 0.0f;
    float CrewTrainingLevel1 = 0.78f, CrewTrainingLevel2 = 0.88f, CrewTrainingLevel3 = 0.98f;
    float AboveWaterArea = -1.0f;
    std::vector<CBattleSystemShipPart*> Parts; // owned
    float Efficiency = 0.0f;
    float TotalFire = 0.0f;
    float ActiveHoles = 0.0f;
    float TotalWater = 0.0f;
    float TotalDamage = 0.0f;
    float DamagePercent = 0.0f;
    float FirePercent = 0.0f;
    float WaterPercent = 0.0f;
    float WaterlineRise = 0.0f;
    float WaterMassFactor = 0.0f;
    float Heel = 0.0f;
    float Trim = 0.0f;
    float ArmourRating = 0.0f;
    float ArtilleryRating = 0.0f;
    CBattleSystemShipGun MainGun;
    uint32_t GunCounts[GUN_COUNT_SIZE] = {};
    bool DamageStateValid = false;
};

// Copies the entry of `list` whose tag equals `tag` (exact) into the gun's
// artillery type; false for a null gun or an unknown tag (the gun keeps
// what it had).
bool FindArtilleryTypeByTag(const std::vector<CBattleArtilleryType>* list, const char* tag,
                            CBattleSystemShipGun* gun);

// Reload time of a gun for a crew: the base time x (2 - training).
float ReloadTimeForTraining(const CBattleSystemShipGun& gun, float crewTraining);

// Between battles. Each takes the battle-map ship whose damage model it
// changes; false (or nothing) without one.
bool UpdateShipCrewExperience(CVR3GAMEBattleMapShip* ship, float amount);
bool RepairShipFully(CVR3GAMEBattleMapShip* ship);
bool RepairShipDamage(CVR3GAMEBattleMapShip* ship, float percent);
bool ExtinguishShipFires(CVR3GAMEBattleMapShip* ship);

} // namespace SeaBattle
