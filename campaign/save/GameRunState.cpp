#include "campaign/save/GameRunState.h"

#include "campaign/save/GameSaveFile.h"

#include <array>
#include <cmath>
#include <cstring>

namespace VornaCampaign {

namespace {

// ---- writing ----

class RunWriter {
public:
    void U8(std::uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) m_out.push_back(static_cast<char>(v >> (8 * i)));
    }
    void U64(std::uint64_t v) {
        U32(static_cast<std::uint32_t>(v));
        U32(static_cast<std::uint32_t>(v >> 32));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        U32(bits);
    }
    void F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        U64(bits);
    }
    void Vec(const D3DXVECTOR3& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    std::string& Out() { return m_out; }

private:
    std::string m_out;
};

void WriteRecord(RunWriter& w, const GameRunState& s) {
    w.U8(s.m_bHasRandom ? 1 : 0);
    w.U64(s.m_uRandomState);
    w.U32(s.m_uGateAge[0]);
    w.U32(s.m_uGateAge[1]);
    w.U32(s.m_uFinishMovAge);
    w.U32(s.m_uStopAge);
    w.U32(s.m_uBlockedAge);
    w.U8(s.m_bBlockedNotice ? 1 : 0);
    w.U8(s.m_bHasWater ? 1 : 0);
    w.U32(s.m_uWaterSeed);
    w.F64(s.m_dWaveTime);
    w.F64(s.m_dWaveStep);
    w.U32(s.m_uWaterSinceLast);
    w.I32(s.m_iGlobalState);
    w.I32(s.m_iPlannedRoute);
    w.I32(s.m_iBattleWait);
    w.U8(s.m_bContactReselect ? 1 : 0);
    w.F32(s.m_fTurnMoveLimit);
    w.U32(s.m_uRoundsCount);
    w.F32(s.m_fSpeedFactor);
    w.U8(s.m_bPaused ? 1 : 0);
    for (const std::vector<RunStateColumn>& columns : s.m_Columns) {
        w.U32(static_cast<std::uint32_t>(columns.size()));
        for (const RunStateColumn& c : columns)
            for (float v : {c.m_fSpeedLimit, c.m_fTurnLimit, c.m_fAccelerationLimit, c.m_fCurrentSpeed, c.m_fRudder,
                            c.m_fOrderedSpeed, c.m_fReducedSpeed})
                w.F32(v);
    }
    const RunStateAI& a = s.m_AI;
    for (std::int32_t v : {a.m_iStep, a.m_iFortState, a.m_iShipState, a.m_iActiveColumn, a.m_iFortIndex,
                           a.m_iTargetIndex, a.m_iOwnSide, a.m_iWaitingColumn, a.m_iColumnPasses})
        w.I32(v);
    w.U8(a.m_bSpeedRaised ? 1 : 0);
    w.F32(a.m_fPhaseSpeedFactor);
    for (std::int32_t v : {a.m_iMode, a.m_iShipGroup, a.m_iLastShipGroup, a.m_iBombardEntry, a.m_iPathTarget})
        w.I32(v);
    w.Vec(a.m_vTarget);
    w.Vec(a.m_vFallback);
    for (std::int32_t v : {a.m_iFortGroup, a.m_iFortTarget, a.m_iFortAttackStep}) w.I32(v);
    w.U8(a.m_bUnitLost ? 1 : 0);
    for (const std::vector<std::int32_t>* list : {&a.m_stdvTargets, &a.m_stdvFiredGroups}) {
        w.U32(static_cast<std::uint32_t>(list->size()));
        for (std::int32_t v : *list) w.I32(v);
    }
    w.U32(static_cast<std::uint32_t>(a.m_stdvPassStartUsed.size()));
    for (float v : a.m_stdvPassStartUsed) w.F32(v);
    w.U8(s.m_bHasCamera ? 1 : 0);
    w.Vec(s.m_vLookAt);
    w.F32(s.m_fPitch);
    w.F32(s.m_fYaw);
    w.F32(s.m_fDistance);
}

// ---- reading ----

class RunReader {
public:
    RunReader(const char* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Fail(const std::string& why) {
        if (m_why.empty()) m_why = why;
        return false;
    }
    const std::string& Why() const { return m_why; }
    std::size_t Remaining() const { return m_size - m_pos; }

    bool Bytes(void* out, std::size_t n) {
        if (n > Remaining()) return Fail("the run state ends early");
        std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    bool U8(std::uint8_t& v) { return Bytes(&v, 1); }
    // A flag byte: 0 or 1, nothing else.
    bool Flag(std::uint8_t& v) { return U8(v) && (v <= 1 || Fail("a flag of the run state is " + std::to_string(v))); }
    bool U32(std::uint32_t& v) {
        unsigned char b[4];
        if (!Bytes(b, 4)) return false;
        v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
        return true;
    }
    bool U64(std::uint64_t& v) {
        std::uint32_t lo = 0, hi = 0;
        if (!U32(lo) || !U32(hi)) return false;
        v = std::uint64_t(hi) << 32 | lo;
        return true;
    }
    bool I32(std::int32_t& v) {
        std::uint32_t u = 0;
        if (!U32(u)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    // A value within [lo, hi].
    bool I32In(std::int32_t& v, std::int32_t lo, std::int32_t hi, const char* what) {
        return I32(v) && ((v >= lo && v <= hi) || Fail(std::string(what) + " " + std::to_string(v) + " is out of range"));
    }
    bool F32(float& v) {
        std::uint32_t bits = 0;
        if (!U32(bits)) return false;
        std::memcpy(&v, &bits, 4);
        return std::isfinite(v) || Fail("a value of the run state is not a number");
    }
    bool F64(double& v) {
        std::uint64_t bits = 0;
        if (!U64(bits)) return false;
        std::memcpy(&v, &bits, 8);
        return std::isfinite(v) || Fail("a value of the run state is not a number");
    }
    bool Vec(D3DXVECTOR3& v) { return F32(v.x) && F32(v.y) && F32(v.z); }
    // A count of items of `itemBytes` each that must fit in what is left.
    bool Count(std::uint32_t& n, std::size_t itemBytes, std::uint32_t cap, const char* what) {
        if (!U32(n)) return false;
        if (n > cap || static_cast<std::uint64_t>(n) * itemBytes > Remaining())
            return Fail(std::string("count ") + std::to_string(n) + " of " + what + " is more than the run state holds");
        return true;
    }
    bool Ints(std::vector<std::int32_t>& out, std::int32_t lo, std::int32_t hi, const char* what) {
        std::uint32_t n = 0;
        if (!Count(n, 4, kMaxRunStateList, what)) return false;
        out.resize(n);
        for (std::int32_t& v : out)
            if (!I32In(v, lo, hi, what)) return false;
        return true;
    }

private:
    const char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    std::string m_why;
};

constexpr std::int32_t kIndexCap = 1000000;

bool ReadRecord(RunReader& r, GameRunState& s) {
    bool ok = r.Flag(s.m_bHasRandom) && r.U64(s.m_uRandomState) && r.U32(s.m_uGateAge[0]) && r.U32(s.m_uGateAge[1]) &&
              r.U32(s.m_uFinishMovAge) && r.U32(s.m_uStopAge) && r.U32(s.m_uBlockedAge) && r.Flag(s.m_bBlockedNotice) &&
              r.Flag(s.m_bHasWater) && r.U32(s.m_uWaterSeed) && r.F64(s.m_dWaveTime) && r.F64(s.m_dWaveStep) &&
              r.U32(s.m_uWaterSinceLast) && r.I32In(s.m_iGlobalState, 0, 2, "the phase") &&
              r.I32In(s.m_iPlannedRoute, -1, kIndexCap, "the planned route") &&
              r.I32In(s.m_iBattleWait, 0, 3, "the battle wait") && r.Flag(s.m_bContactReselect) &&
              r.F32(s.m_fTurnMoveLimit) && r.U32(s.m_uRoundsCount) && r.F32(s.m_fSpeedFactor) && r.Flag(s.m_bPaused);
    if (ok && s.m_iBattleWait == 2) ok = r.Fail("the battle wait 2 is not a wait");
    for (std::vector<RunStateColumn>& columns : s.m_Columns) {
        std::uint32_t n = 0;
        if (!ok || !r.Count(n, 28, kMaxRunStateColumns, "the columns")) return false;
        columns.resize(n);
        for (RunStateColumn& c : columns)
            if (!r.F32(c.m_fSpeedLimit) || !r.F32(c.m_fTurnLimit) || !r.F32(c.m_fAccelerationLimit) ||
                !r.F32(c.m_fCurrentSpeed) || !r.F32(c.m_fRudder) || !r.F32(c.m_fOrderedSpeed) ||
                !r.F32(c.m_fReducedSpeed))
                return false;
    }
    RunStateAI& a = s.m_AI;
    ok = r.I32In(a.m_iStep, 0, 4, "the computer's step") && r.I32In(a.m_iFortState, 0, 3, "the fort state") &&
         r.I32In(a.m_iShipState, 0, 8, "the ship state") && r.I32In(a.m_iActiveColumn, -1, kIndexCap, "a column") &&
         r.I32In(a.m_iFortIndex, -1, kIndexCap, "a fort") && r.I32In(a.m_iTargetIndex, -1, kIndexCap, "a target") &&
         r.I32In(a.m_iOwnSide, 0, 2, "a side") && r.I32In(a.m_iWaitingColumn, -1, kIndexCap, "a column") &&
         r.I32In(a.m_iColumnPasses, 0, kIndexCap, "the passes") && r.Flag(a.m_bSpeedRaised) &&
         r.F32(a.m_fPhaseSpeedFactor) && r.I32In(a.m_iMode, 0, 3, "the behaviour") &&
         r.I32In(a.m_iShipGroup, -1, 7, "a gun group") && r.I32In(a.m_iLastShipGroup, -1, 7, "a gun group") &&
         r.I32In(a.m_iBombardEntry, -1, kIndexCap, "a rated enemy") && r.I32In(a.m_iPathTarget, 0, 2, "the route's aim") &&
         r.Vec(a.m_vTarget) && r.Vec(a.m_vFallback) && r.I32In(a.m_iFortGroup, -1, 7, "a gun group") &&
         r.I32In(a.m_iFortTarget, -1, kIndexCap, "a target") && r.I32In(a.m_iFortAttackStep, -1, kIndexCap, "a step") &&
         r.Flag(a.m_bUnitLost) && r.Ints(a.m_stdvTargets, -1, kIndexCap, "the fort targets") &&
         r.Ints(a.m_stdvFiredGroups, -1, 7, "the fired groups");
    std::uint32_t n = 0;
    if (!ok || !r.Count(n, 4, kMaxRunStateList, "the pass times")) return false;
    a.m_stdvPassStartUsed.resize(n);
    for (float& v : a.m_stdvPassStartUsed)
        if (!r.F32(v)) return false;
    ok = r.Flag(s.m_bHasCamera) && r.Vec(s.m_vLookAt) && r.F32(s.m_fPitch) && r.F32(s.m_fYaw) && r.F32(s.m_fDistance);
    if (ok && r.Remaining() != 0) return r.Fail(std::to_string(r.Remaining()) + " bytes follow the run state");
    return ok;
}

std::uint32_t ReadWord(const std::string& file, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(file[at + i])) << (8 * i);
    return v;
}

} // namespace

std::uint32_t RunStateCrc32(const char* data, std::size_t size, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

void AppendRunStateTrailer(std::string& file, const GameRunState& state) {
    RunWriter record;
    WriteRecord(record, state);
    RunWriter w;
    w.Out().append(kRunStateMagic, 4);
    w.U32(kRunStateVersion);
    w.U32(static_cast<std::uint32_t>(record.Out().size()));
    w.Out() += record.Out();
    file += w.Out();
    const std::size_t from = file.size() > kSaveTimeSize ? kSaveTimeSize : file.size();
    RunWriter crc;
    crc.U32(RunStateCrc32(file.data() + from, file.size() - from));
    file += crc.Out();
}

bool ReadRunStateTrailer(const std::string& file, std::size_t offset, GameRunState& state, std::string& why) {
    if (offset > file.size()) {
        why = "the save ends before its documented fields";
        return false;
    }
    if (file.size() - offset < kRunStateFrameBytes) {
        why = std::to_string(file.size() - offset) + " bytes follow the save's end and are no run state";
        return false;
    }
    if (std::memcmp(file.data() + offset, kRunStateMagic, 4) != 0) {
        why = std::to_string(file.size() - offset) + " bytes follow the save's end and are no run state";
        return false;
    }
    const std::uint32_t version = ReadWord(file, offset + 4);
    if (version != kRunStateVersion) {
        why = "run state version " + std::to_string(version) + " is not known";
        return false;
    }
    const std::uint32_t size = ReadWord(file, offset + 8);
    if (static_cast<std::uint64_t>(size) + kRunStateFrameBytes != file.size() - offset) {
        why = "the run state's size " + std::to_string(size) + " does not match the file";
        return false;
    }
    const std::size_t crcAt = file.size() - 4;
    const std::size_t from = offset < kSaveTimeSize ? offset : kSaveTimeSize;
    if (ReadWord(file, crcAt) != RunStateCrc32(file.data() + from, crcAt - from)) {
        why = "the run state's check word is wrong";
        return false;
    }
    RunReader r(file.data() + offset + 12, size);
    GameRunState read;
    if (!ReadRecord(r, read)) {
        why = r.Why();
        return false;
    }
    state = std::move(read);
    return true;
}

} // namespace VornaCampaign
