#pragma once
// What a running campaign map holds beyond the documented fields of its save
// and what the following frames depend on: the random source's position, the
// interval gates and stamps (as ages, so they mean the same on another
// clock), the sea's noise seed and wave time, the turn's phase values, each
// column's limits, speeds and rudder, the column movement's speed factor,
// the computer player's state machines and the camera's orbit. A save that
// carries it goes on after a load, in a fresh program, exactly as the game
// that wrote it would have gone on.
//
// It is written after the documented fields as a trailer:
//
//   offset  size  content
//   0       4     "CRST"
//   4       4     version (1)
//   8       4     size n of the record that follows
//   12      n     the run-state record (GameRunState, field by field)
//   12 + n  4     CRC-32 of the file's bytes from the end of the save time
//                 (offset 30) up to here, so a save rewritten at another
//                 time keeps the rest of its bytes
//
// A file without the trailer ends where its columns end. A trailer that is
// cut, of another version, of the wrong size, with a wrong check word or
// with a value out of range refuses the whole file.
#include "platform/math/d3dx9math.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace VornaCampaign {

// An age of a stamp that is not armed.
constexpr std::uint32_t kRunStateNoStamp = 0xFFFFFFFFu;

// The runtime values of one column, in the order of the side's columns.
struct RunStateColumn {
    float m_fSpeedLimit = 0.0f;
    float m_fTurnLimit = 0.0f;
    float m_fAccelerationLimit = 0.0f;
    float m_fCurrentSpeed = 0.0f;
    float m_fRudder = 0.0f;
    float m_fOrderedSpeed = 0.0f;
    float m_fReducedSpeed = 0.0f;
    bool operator==(const RunStateColumn&) const = default;
};

// The computer player's state machines and the values they keep from one
// frame (or phase) to the next.
struct RunStateAI {
    std::int32_t m_iStep = 0;
    std::int32_t m_iFortState = 0;
    std::int32_t m_iShipState = 0;
    std::int32_t m_iActiveColumn = -1;
    std::int32_t m_iFortIndex = -1;
    std::int32_t m_iTargetIndex = 0;
    std::int32_t m_iOwnSide = 0;
    std::int32_t m_iWaitingColumn = -1;
    std::int32_t m_iColumnPasses = 0;
    std::uint8_t m_bSpeedRaised = 0;
    float m_fPhaseSpeedFactor = 0.0f;
    std::int32_t m_iMode = 0;
    std::int32_t m_iShipGroup = -1;
    std::int32_t m_iLastShipGroup = -1;
    std::int32_t m_iBombardEntry = -1;
    std::int32_t m_iPathTarget = 0;
    D3DXVECTOR3 m_vTarget{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vFallback{0.0f, 0.0f, 0.0f};
    std::int32_t m_iFortGroup = -1;
    std::int32_t m_iFortTarget = -1;
    std::int32_t m_iFortAttackStep = -1;
    std::uint8_t m_bUnitLost = 0;
    std::vector<std::int32_t> m_stdvTargets;
    std::vector<std::int32_t> m_stdvFiredGroups;
    std::vector<float> m_stdvPassStartUsed;
};

struct GameRunState {
    // The random source's position; only when the source keeps one.
    std::uint8_t m_bHasRandom = 0;
    std::uint64_t m_uRandomState = 0;
    // Ages in ms of the two interval gates of the utilities and of the
    // map's end-of-move notice, stop button and blocked-line notice.
    std::uint32_t m_uGateAge[2] = {kRunStateNoStamp, kRunStateNoStamp};
    std::uint32_t m_uFinishMovAge = kRunStateNoStamp;
    std::uint32_t m_uStopAge = kRunStateNoStamp;
    std::uint32_t m_uBlockedAge = kRunStateNoStamp;
    std::uint8_t m_bBlockedNotice = 0;
    // The sea; only when the map has its water.
    std::uint8_t m_bHasWater = 0;
    std::uint32_t m_uWaterSeed = 0;
    double m_dWaveTime = 0.0;
    double m_dWaveStep = 0.0;
    std::uint32_t m_uWaterSinceLast = 0;
    // The turn.
    std::int32_t m_iGlobalState = 0;
    std::int32_t m_iPlannedRoute = -1;
    std::int32_t m_iBattleWait = 0;
    std::uint8_t m_bContactReselect = 0;
    float m_fTurnMoveLimit = 300.0f;
    std::uint32_t m_uRoundsCount = 100;
    // The column movement.
    float m_fSpeedFactor = 0.045f;
    std::uint8_t m_bPaused = 0;
    // Columns of SIDE1 and SIDE2, parallel to the save's column records.
    std::vector<RunStateColumn> m_Columns[2];
    RunStateAI m_AI;
    // The camera's orbit; only when the active camera is the global one.
    std::uint8_t m_bHasCamera = 0;
    D3DXVECTOR3 m_vLookAt{0.0f, 0.0f, 0.0f};
    float m_fPitch = 0.0f;
    float m_fYaw = 0.0f;
    float m_fDistance = 0.0f;
};

constexpr char kRunStateMagic[4] = {'C', 'R', 'S', 'T'};
constexpr std::uint32_t kRunStateVersion = 1;
// Magic, version, size and check word around the record.
constexpr std::size_t kRunStateFrameBytes = 16;
// Upper limits of the record's lists.
constexpr std::uint32_t kMaxRunStateColumns = 10000;
constexpr std::uint32_t kMaxRunStateList = 10000;

// The CRC-32 (the polynomial of zip files) of a run of bytes.
std::uint32_t RunStateCrc32(const char* data, std::size_t size, std::uint32_t crc = 0);

// Appends the trailer of `state` to `file`, the documented bytes of a save.
void AppendRunStateTrailer(std::string& file, const GameRunState& state);

// Reads the trailer that begins at `offset` of `file` and runs to its end.
// False with the reason in `why` when it is cut, not a trailer, of another
// version, has a wrong check word or a value out of range; `state` is only
// replaced on success.
bool ReadRunStateTrailer(const std::string& file, std::size_t offset, GameRunState& state, std::string& why);

} // namespace VornaCampaign
