#pragma once
// The binary save files of the battle program as plain data: a scenario save
// (".v3savebin") and a duel save (".v3cbsavebin") are written from an image
// and read back into one. Reading takes the whole file from memory and
// checks all of it (every count against the bytes left and a sane limit,
// every text field terminated, the phase, the trailing check word) before a
// caller touches anything of the running game with it.
//
// All numbers are little-endian; a text field is char[100] (at most 99
// characters, zero-terminated, zeros behind), a column's ship name char[30].
// After the documented fields the writer appends a trailer: "SBSV", a
// version word and the CRC-32 of every byte before the trailer. A file
// without the trailer must end exactly where its last field ends.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace SeaBattle {

// One gun of a damage-model part.
struct SVR3SaveGun {
    int32_t Shells = 0;
    float CurrentRecharge = 0.0f;
    uint32_t SinceLanding = 0; // ms since the shot landed; 0 when no shot has
    float DamageDealt = 0.0f;
    uint8_t Active = 0;
    uint8_t Reloading = 0;
    bool operator==(const SVR3SaveGun&) const = default;
};

// One damage-model part with its guns and holes.
struct SVR3SavePart {
    float Area = 0.0f, Efficiency = 0.0f, DamageTaken = 0.0f, Fire = 0.0f;
    uint8_t Active = 0;
    uint8_t Reloading = 0;
    float Waterline = 0.0f;
    float Water = 0.0f;
    std::vector<SVR3SaveGun> Guns;
    std::vector<std::array<float, 3>> Holes; // height, size, water factor
    bool operator==(const SVR3SavePart&) const = default;
};

// A ship: the six object files it is rebuilt from, its name, placement,
// motion and damage.
struct SVR3SaveShip {
    // Scene object, animated, movement, battle, artillery, information.
    enum { FILE_SCENE = 0, FILE_ANIMATED, FILE_MOVEMENT, FILE_BATTLE, FILE_ARTILLERY, FILE_INFO, FILE_COUNT };
    std::string Files[FILE_COUNT];
    std::string Name;
    std::array<float, 16> World{};
    // Per body (main, bow, stern, first side, second side): velocity x, y, z
    // and the extra-mass term.
    std::array<std::array<float, 4>, 5> Bodies{};
    // Max force, target force, force, force rate, max speed, min speed,
    // speed, ordered speed, max rudder, max rotation, rudder, ordered
    // rudder, rudder rate, route speed, turn limit, hand rudder.
    std::array<float, 16> Movement{};
    int32_t Gunpowder = 0;
    // Crew training, crew experience, above-water area, efficiency, total
    // fire, active holes, total water, total damage, damage %, fire %,
    // water %, heel, trim, armour rating, artillery rating.
    std::array<float, 15> Damage{};
    std::array<uint32_t, 7> GunCounts{};
    std::vector<SVR3SavePart> Parts;
    bool operator==(const SVR3SaveShip&) const = default;
};

// A record of a battle behaviour's column list.
struct SVR3SaveBehaviourRecord {
    uint8_t Empty = 1;     // 1: the record's column has no ships
    uint32_t Column = 0;   // the column's place in its player's list
    float Strength = 0.0f;
    uint32_t Kind = 0;
    bool operator==(const SVR3SaveBehaviourRecord&) const = default;
};

// A battle column: its ships by name and five column values (raw words; the
// first is the speed as a float).
struct SVR3SaveColumn {
    std::vector<std::string> Ships;
    std::array<uint32_t, 5> Values{};
    bool operator==(const SVR3SaveColumn&) const = default;
};

// A ship out of the battle: level, price and durability.
struct SVR3SaveWithdrawn {
    uint32_t Level = 0;
    uint32_t Price = 0;
    float Durability = 0.0f;
    bool operator==(const SVR3SaveWithdrawn&) const = default;
};

// One side of a battle.
struct SVR3SaveBattleSide {
    std::array<uint32_t, 3> Values{}; // the selected ship first
    std::vector<SVR3SaveShip> Ships;
    std::vector<uint32_t> LossesByLevel;
    uint32_t LostValue = 0;
    uint32_t LostShips = 0;
    float LostDurability = 0.0f;
    std::vector<SVR3SaveWithdrawn> Withdrawn;
    std::vector<SVR3SaveColumn> Columns;
    std::vector<SVR3SaveBehaviourRecord> Records;
    std::vector<SVR3SaveBehaviourRecord> WithdrawnRecords;
    // The computer side only: the behaviour kind; with kind 1 the three role
    // references (positions in Records) and the three enemy records.
    uint32_t BehaviourKind = 0;
    std::array<bool, 3> HasRole{};
    std::array<uint32_t, 3> Roles{};
    std::array<bool, 3> HasEnemy{};
    std::array<SVR3SaveBehaviourRecord, 3> Enemies{};
    bool operator==(const SVR3SaveBattleSide&) const = default;
};

struct SVR3SaveBattle {
    std::string Environment;
    uint32_t TimeMs = 0;
    uint32_t TimeLimitStage = 0;
    SVR3SaveBattleSide Human;
    SVR3SaveBattleSide Computer;
    bool operator==(const SVR3SaveBattle&) const = default;
};

struct SVR3ScenarioSave {
    std::string Time;
    std::string ScenarioFile, ScenarioName, HumanName, ComputerName;
    uint32_t Step = 0;
    uint32_t Phase = 0; // 0 harbour, 1 battle
    uint32_t FleetScheme = 0;
    uint32_t HumanLosses = 0, ComputerLosses = 0;
    std::string HarbourEnvironment; // phase 0 only
    uint32_t Money = 0;
    std::vector<uint32_t> Bought;
    std::vector<SVR3SaveShip> HumanShips;    // harbour ships, or the reserve in battle
    std::vector<SVR3SaveShip> ComputerShips; // the same for the computer
    SVR3SaveBattle Battle;                   // phase 1 only
    bool operator==(const SVR3ScenarioSave&) const = default;
};

struct SVR3DuelSave {
    std::string Time;
    std::string DuelFile, DuelName, HumanName, ComputerName, ArtilleryList;
    SVR3SaveBattle Battle;
    bool operator==(const SVR3DuelSave&) const = default;
};

// The limits a file's counts must keep; a count above them refuses the file.
struct SVR3SaveLimits {
    static constexpr uint32_t kShips = 256;
    static constexpr uint32_t kParts = 64;
    static constexpr uint32_t kGuns = 64;
    static constexpr uint32_t kHoles = 4096;
    static constexpr uint32_t kLevels = 256;
    static constexpr uint32_t kColumns = 16;
    static constexpr uint32_t kColumnShips = 64;
    static constexpr uint32_t kRecords = 64;
    static constexpr uint32_t kShipTypes = 1024;
};

constexpr size_t kSaveTimeField = 30;
constexpr size_t kSaveTextField = 100;
constexpr size_t kSaveShipNameField = 30;
// The largest save file read.
constexpr size_t kMaxSaveFileBytes = 64u << 20;

// The file's bytes, trailer included.
std::string WriteScenarioSave(const SVR3ScenarioSave& save);
std::string WriteDuelSave(const SVR3DuelSave& save);
// The whole file checked and read; false with `error` saying where it broke.
bool ReadScenarioSave(const std::string& bytes, SVR3ScenarioSave& save, std::string& error);
bool ReadDuelSave(const std::string& bytes, SVR3DuelSave& save, std::string& error);

// CRC-32 (the common reflected polynomial 0xEDB88320).
uint32_t SaveCrc32(const char* data, size_t size);

} // namespace SeaBattle
