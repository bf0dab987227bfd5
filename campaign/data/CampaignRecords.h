#pragma once
// The records of a campaign map as the binary map file stores them, and the
// game-object record that every unit becomes on the map. Text fields are
// fixed 40-byte arrays holding a zero-terminated string of at most 39
// characters; the unit record and the gun record keep the exact byte size
// they have in the map and save files, because saves write them whole.
#include "platform/math/d3dx9math.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VornaCampaign {

// Room of a text field of the map and save files, terminator included.
constexpr std::size_t kRecordTextSize = 40;
// Room of the icon and description texts of a unit.
constexpr std::size_t kObjectTextSize = 100;

// Copies text into a fixed field: at most size - 1 characters, the rest of
// the field zero. A null text gives an empty field.
void SetRecordText(char* field, std::size_t size, const char* text);
template <std::size_t N>
void SetRecordText(char (&field)[N], const char* text) {
    SetRecordText(field, N, text);
}
// The text of a fixed field up to its first zero byte, never past the field.
std::string RecordText(const char* field, std::size_t size);
template <std::size_t N>
std::string RecordText(const char (&field)[N]) {
    return RecordText(field, N);
}

// The map's scenery: a named object with three levels of detail and their
// effects. 280 bytes, as in the file.
struct MapStaticObjectRecord {
    MapStaticObjectRecord();

    char m_szName[kRecordTextSize];
    char m_szModel1[kRecordTextSize];
    char m_szModel2[kRecordTextSize];
    char m_szModel3[kRecordTextSize];
    char m_szEffect1[kRecordTextSize];
    char m_szEffect2[kRecordTextSize];
    char m_szEffect3[kRecordTextSize];
};
static_assert(sizeof(MapStaticObjectRecord) == 280);

// A unit (ship, fort or mine) as placed on the map: the static-object fields,
// the description file in "Data\Parameters\" and the side text. 360 bytes, as
// in the map and save files. The name is the unit's identity everywhere.
struct MapUnitRecord {
    MapUnitRecord();

    char m_szName[kRecordTextSize];
    char m_szModel1[kRecordTextSize];
    char m_szModel2[kRecordTextSize];
    char m_szModel3[kRecordTextSize];
    char m_szEffect1[kRecordTextSize];
    char m_szEffect2[kRecordTextSize];
    char m_szEffect3[kRecordTextSize];
    char m_szDescriptionFile[kRecordTextSize];
    char m_szSide[kRecordTextSize];
};
static_assert(sizeof(MapUnitRecord) == 360);

// The map's own description: bounds, playing area, sky, sun, water and the
// static objects.
struct MapDescriptionRecord {
    MapDescriptionRecord();
    // Empties the name, zeroes the four vectors and erases the static
    // objects; the texts and the sun and water values stay.
    void Clear();

    char m_szName[kRecordTextSize];
    D3DXVECTOR3 m_vSceneMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vSceneMax{0.0f, 0.0f, 0.0f};
    // Opposite corners of the playing area.
    D3DXVECTOR3 m_vMapMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMapMax{0.0f, 0.0f, 0.0f};
    std::vector<MapStaticObjectRecord> m_stdvStaticObjects;
    char m_szSkyTexture[kRecordTextSize];
    float m_fSunShininess = 1000.0f;
    float m_fSunStrength = 200.0f;
    D3DXVECTOR4 m_vSunColor{0.3f, 0.2f, 0.1f, 0.1f};
    char m_szWaterTexture[kRecordTextSize];
    float m_fWaterAmplitude = 2.0f;
    D3DXVECTOR3 m_vWaterColor{0.15f, 0.31f, 0.4f};
};

// A ship column as stored: its ordered ships, leader first.
struct MapColumnRecord {
    // 0.0 means "not set"; the map then uses its default speed.
    float m_fSpeed = 0.0f;
    // Distance moved in the current turn; the map file does not carry it.
    float m_fMovementUsed = 0.0f;
    std::vector<std::string> m_stdvShipNames;
};

// Sides of a unit.
enum ESide { SIDE_NONE = 0, SIDE_1 = 1, SIDE_2 = 2, SIDE_UNSIDE = 3 };
// "SIDE1" 1, "SIDE2" 2, "UNSIDE" 3; any other text (compared exactly) 0.
int GetSide(const MapUnitRecord& unit);
int GetSideFromText(const char* side);

// ---- the game-object record and its blocks ----

// Icon texture and the description picture of a ship or fort.
struct GameObjectTexts {
    GameObjectTexts();
    char m_szIcon[kObjectTextSize];
    char m_szDescription[kObjectTextSize];
};
static_assert(sizeof(GameObjectTexts) == 200);

// Heel and flooding of a unit; the physical manager's record of the object
// and the battle system's state. 16 bytes.
struct MovementStateRecord {
    float m_fLongitudinalHeel = 0.0f;
    float m_fCrossHeel = 0.0f;
    float m_fFloodLevel = 0.0f;
    std::uint8_t m_bActive = 1;
    std::uint8_t m_bMoving = 1;
    std::uint8_t m_bCanSink = 1;
    std::uint8_t m_bPadding = 0;
};
static_assert(sizeof(MovementStateRecord) == 16);

// Movement limits of a ship.
struct MovementBlock {
    float m_fBaseSpeed = 0.0f;
    // The battle system lowers it when the ship takes water.
    float m_fSpeedLimit = 0.0f;
    float m_fRotationAngle = 0.0f;
    float m_fAcceleration = 0.0f;
    // Values of the column movement.
    float m_fMove[3] = {0.0f, 0.0f, 0.0f};
};

// A rectangle of four floats in the order the battle rules read it.
struct PartRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// One gun as the description places it, with the values of its gun type.
// 96 bytes; saves store it whole.
struct GunRecord {
    GunRecord();

    char m_szName[kRecordTextSize];
    std::int32_t m_iBombardSpeed = 0;
    std::int32_t m_iBombardRange = 0;
    float m_fFallAccuracy = 0.0f;
    std::int32_t m_iBeginArmourPierce = 0;
    float m_fFallArmourPierce = 0.0f;
    std::int32_t m_iDamage = 0;
    // -1: the gun draws on the unit's gunpowder stock.
    std::int32_t m_iShells = 0;
    std::int32_t m_iCurrentBombardSpeed = 0;
    float m_fHeight = 0.0f;
    std::uint8_t m_bReady = 0;
    std::uint8_t m_bCanShoot = 0;
    std::uint8_t m_bPadding[2] = {0, 0};
    PartRect m_rBombardZone;
};
static_assert(sizeof(GunRecord) == 96);

// A hole in a part: its height on the part and its size. 8 bytes.
struct HoleEntry {
    float m_fHeight = 0.0f;
    float m_fSize = 0.0f;
};
static_assert(sizeof(HoleEntry) == 8);

// One part of a unit: a hull part, a machine-gun tower or a pipe.
struct PartRecord {
    float m_fDurability = 0.0f;
    float m_fBuoyancy = 0.0f;
    float m_fLength = 0.0f;
    float m_fHeight = 0.0f;
    PartRect m_rArmourRect1;
    std::int32_t m_iArmour1 = 0;
    PartRect m_rArmourRect2;
    std::int32_t m_iArmour2 = 0;
    PartRect m_rDamageReceptionZone;
    // The current height of the water on the part; the description's
    // waterline until the battle system floods the part.
    float m_fWaterline = 0.0f;
    float m_fDesignWaterline = 0.0f;
    // Water in the part, and its holes under water counted in units of the
    // standard hole size; both carried from round to round.
    float m_fWaterWeight = 0.0f;
    float m_fActiveHoles = 0.0f;
    float m_fIgnitionFactor = 0.0f;
    std::vector<GunRecord> m_stdvGuns;
    std::vector<HoleEntry> m_stdvHoles;
    float m_fDamage = 0.0f;
    // 0.0: not burning.
    float m_fFireStrength = 0.0f;
    // (height - waterline) x length, never below 0.0; -1.0 until computed.
    float m_fReserveArea = -1.0f;
    float m_fEfficiency = 0.0f;
};

// Death kinds of a lost unit.
enum EDeathKind { DEATH_ALIVE = 0, DEATH_DESTRUCTION = 1, DEATH_FLOOD = 2, DEATH_ROLL = 3 };

// The battle data of a ship, fort or mine.
struct BattleDataBlock {
    std::int32_t m_iGunpowder = 0;
    float m_fCrewTraining = 0.0f;
    std::int32_t m_iDisplacement = 0;
    float m_fPumps = 0.0f;
    float m_fRamAttack = 0.0f;
    float m_fRamDefence = 0.0f;
    std::uint8_t m_bAlive = 1;
    std::int32_t m_iDeathKind = DEATH_ALIVE;
    // Starts at -1.0; reading the description adds every part's reserve area.
    float m_fTotalReserveArea = -1.0f;
    std::vector<PartRecord> m_stdvMGTowers;
    std::vector<PartRecord> m_stdvDesignParts;
    std::vector<PartRecord> m_stdvPipes;
    // Not saved.
    PartRecord m_Spare;
};

struct GameColumnRecord;

// A unit on the map. Which blocks exist depends on the kind of unit: ships
// have all four, forts texts and battle data, mines battle data only.
struct GameObjectRecord {
    std::uint32_t m_dwReserved = 0;
    // The column the unit sails in on the map (not owned); null for none.
    GameColumnRecord* m_pColumn = nullptr;
    MapUnitRecord m_Unit;
    std::unique_ptr<GameObjectTexts> m_pTexts;
    std::unique_ptr<MovementStateRecord> m_pMovementState;
    std::unique_ptr<MovementBlock> m_pMovement;
    std::unique_ptr<BattleDataBlock> m_pBattleData;
};

} // namespace VornaCampaign
