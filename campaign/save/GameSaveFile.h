#pragma once
// The campaign save file ("<name>.wxsave"): a 236-byte header and the
// mutable state of a campaign map (scores, lost units, the units of the
// three sides with their placements and blocks, the columns). The map's
// scenery is not saved; the map file named in the save rebuilds it.
//
// Reading is done whole into a staging record and checked before anything
// of the running game changes: counts against the bytes left and caps,
// texts cut at their fields, names that would leave their folders, numbers
// that are not finite, and the links between the lists (one placement per
// unit, units in the list of their own side, the active unit within the
// player's list). A refused file logs one line and leaves the outputs as
// they were.
#include "campaign/data/CampaignRecords.h"
#include "campaign/save/GameRunState.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VornaCampaign {

class CDX9KelColumnMovement;

// Bytes of the header at the start of every save file.
constexpr std::size_t kSaveHeaderBytes = 236;
// Room of the save time text in the header.
constexpr std::size_t kSaveTimeSize = 30;
// The extension of every save file.
constexpr const char* kSaveExtension = "wxsave";

// The header of a save: who saved what and when. A cleared header has empty
// texts and turn -1, which means that there is no such save.
struct GameSaveHeader {
    GameSaveHeader();
    void Clear();

    // The local time of the save in the C library's ctime form.
    char m_szTime[kSaveTimeSize];
    char m_szScenarioName[kRecordTextSize];
    // The scenario file the save belongs to (reloaded with the save).
    char m_szScenarioFile[kRecordTextSize];
    char m_szPlayerSideName[kRecordTextSize];
    // The map's own title and the binary map file's name.
    char m_szMapTitle[kRecordTextSize];
    char m_szMapName[kRecordTextSize];
    std::int32_t m_iTurn = -1;
};

// The three unit lists of a save, in file order.
enum ESaveSide { SAVE_UNSIDE = 0, SAVE_SIDE1 = 1, SAVE_SIDE2 = 2, SAVE_SIDE_COUNT = 3 };
// The side text that units of a save list must carry.
const char* SaveSideText(int saveSide);

// The staging record between a map and its save file.
//
// Writing takes the units from `m_pMapObjects` when the map's lists are
// set, else from `m_stdvObjects`; reading fills `m_stdvObjects`, which the
// map takes over when it rebuilds itself from the save.
struct GameSaveData {
    // Empties every list and resets the values; the map's list pointers stay.
    void Clear();

    std::int32_t m_iPlayerSide = 0;
    // The scenario's counters, in file order.
    std::uint32_t m_uAILoss = 0;
    std::uint32_t m_uPlayerScore = 0;
    std::uint32_t m_uPlayerLoss = 0;
    std::uint32_t m_uAIScore = 0;
    char m_szMapName[kRecordTextSize] = {};
    std::int32_t m_iTurn = 1;
    // Index of the active unit in the player's list, -1 for none.
    std::int32_t m_iActiveObject = -1;
    std::vector<std::string> m_stdvLostPlayerUnits;
    std::vector<std::string> m_stdvLostAIUnits;
    // Placement of unit i of a side; parallel to that side's units.
    std::vector<D3DXMATRIX> m_stdvMatrices[SAVE_SIDE_COUNT];
    std::vector<std::unique_ptr<GameObjectRecord>> m_stdvObjects[SAVE_SIDE_COUNT];
    const std::vector<GameObjectRecord*>* m_pMapObjects[SAVE_SIDE_COUNT] = {nullptr, nullptr, nullptr};
    // Columns of SIDE1 and SIDE2 (index 0 and 1).
    std::vector<MapColumnRecord> m_stdvColumns[2];
    // The running game's values beyond the documented fields, written as the
    // file's trailer; a file without one reads with the flag cleared.
    bool m_bHasRunState = false;
    GameRunState m_RunState;
};

// Upper limits of the counts of a save; a larger count is refused.
constexpr std::uint32_t kMaxSaveUnits = 10000;
constexpr std::uint32_t kMaxSaveNames = 10000;
constexpr std::uint32_t kMaxSaveColumns = 10000;
constexpr std::uint32_t kMaxSaveColumnShips = 10000;
constexpr std::uint32_t kMaxSaveParts = 1000;
constexpr std::uint32_t kMaxSaveGuns = 10000;
constexpr std::uint32_t kMaxSaveHoles = 10000;
// Largest save file read at all.
constexpr std::size_t kMaxSaveFileBytes = 64u << 20;

// The whole file: header, then the body of `data`, then the run-state
// trailer when `data` has one.
std::string WriteSaveBytes(const GameSaveHeader& header, const GameSaveData& data);

// The header alone from the first bytes of a file; false (header cleared)
// when the bytes are too few.
bool ReadSaveHeaderBytes(const std::string& bytes, GameSaveHeader& header);

// Reads and checks a whole save. A side that has units but no columns gets
// its units grouped into columns by their places, with `neighbours`' rule
// of which ship stands behind or ahead of which. `name` names the file in
// log lines. On success header and data are replaced; on failure neither
// changes.
bool ReadSaveBytes(const std::string& bytes, const char* name, const CDX9KelColumnMovement& neighbours,
                   GameSaveHeader& header, GameSaveData& data);

// Groups the units of one side (SAVE_SIDE1 or SAVE_SIDE2) into columns by
// their places, for saves written without column records. Units of no side
// and units standing 0.2 or higher stay without a column. False when the
// side's unit and placement counts differ.
bool GroupUnitsIntoColumns(const std::vector<std::unique_ptr<GameObjectRecord>>& objects,
                           const std::vector<D3DXMATRIX>& matrices, const CDX9KelColumnMovement& neighbours,
                           std::vector<MapColumnRecord>& columns);

// A save name typed by the player: 1 to 49 characters, no folder
// separator, no "..", no control character, no leading dot and no drive
// prefix, so the file stays in the saves folder.
bool IsSaveNameAllowed(const char* name);
constexpr std::size_t kMaxSaveNameLength = 49;

// Writes a save file through a temporary file in the same folder whose name
// never ends in the save extension, flushed and renamed over the target: a
// failed write leaves the previous file as it was. False on any failure.
bool WriteSaveFileAtomic(const std::string& path, const std::string& bytes);

} // namespace VornaCampaign
