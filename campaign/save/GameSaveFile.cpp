#include "campaign/save/GameSaveFile.h"

#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "campaign/data/DataFiles.h"
#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace VornaCampaign {

using Vorna2::g_Log;
using Vorna2::LOG_ERROR;

namespace {

// Smallest sizes of the records, for checking counts against what is left.
constexpr std::size_t kMatrixBytes = 64;
constexpr std::size_t kUnitBytes = sizeof(MapUnitRecord);
constexpr std::size_t kObjectMinBytes = kUnitBytes + 4;  // unit record and four flags
constexpr std::size_t kPartMinBytes = 116;               // fixed values and two counts
constexpr std::size_t kGunBytes = sizeof(GunRecord);
constexpr std::size_t kHoleBytes = sizeof(HoleEntry);
constexpr std::size_t kColumnMinBytes = 12;
constexpr std::size_t kBattleFixedBytes = 29;

// ---- writing ----

class SaveWriter {
public:
    void Bytes(const void* p, std::size_t n) { m_out.append(static_cast<const char*>(p), n); }
    void U8(std::uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void U32(std::uint32_t v) {
        const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
        m_out.append(b, 4);
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        U32(bits);
    }
    void Count(std::size_t n) { U32(static_cast<std::uint32_t>(n)); }
    // A text field of `size` bytes: the text up to its first zero byte, the
    // rest of the field zero.
    void Text(const char* field, std::size_t size) {
        const std::size_t n = field ? strnlen(field, size - 1) : 0;
        m_out.append(field ? field : "", n);
        m_out.append(size - n, '\0');
    }
    void Name(const std::string& name) { Text(name.c_str(), kRecordTextSize); }
    void Matrix(const D3DXMATRIX& m) {
        const float* f = &m._11;
        for (int i = 0; i < 16; ++i) F32(f[i]);
    }
    void Rect(const PartRect& r) {
        F32(r.left);
        F32(r.top);
        F32(r.right);
        F32(r.bottom);
    }
    std::string& Out() { return m_out; }

private:
    std::string m_out;
};

void WriteUnit(SaveWriter& w, const MapUnitRecord& u) {
    for (const char* field : {u.m_szName, u.m_szModel1, u.m_szModel2, u.m_szModel3, u.m_szEffect1, u.m_szEffect2,
                              u.m_szEffect3, u.m_szDescriptionFile, u.m_szSide})
        w.Text(field, kRecordTextSize);
}

void WriteGun(SaveWriter& w, const GunRecord& g) {
    w.Text(g.m_szName, kRecordTextSize);
    w.I32(g.m_iBombardSpeed);
    w.I32(g.m_iBombardRange);
    w.F32(g.m_fFallAccuracy);
    w.I32(g.m_iBeginArmourPierce);
    w.F32(g.m_fFallArmourPierce);
    w.I32(g.m_iDamage);
    w.I32(g.m_iShells);
    w.I32(g.m_iCurrentBombardSpeed);
    w.F32(g.m_fHeight);
    w.U8(g.m_bReady);
    w.U8(g.m_bCanShoot);
    w.U8(0);
    w.U8(0);
    w.Rect(g.m_rBombardZone);
}

void WritePart(SaveWriter& w, const PartRecord& p) {
    w.F32(p.m_fDurability);
    w.F32(p.m_fBuoyancy);
    w.F32(p.m_fLength);
    w.F32(p.m_fHeight);
    w.Rect(p.m_rArmourRect1);
    w.I32(p.m_iArmour1);
    w.Rect(p.m_rArmourRect2);
    w.I32(p.m_iArmour2);
    w.Rect(p.m_rDamageReceptionZone);
    w.F32(p.m_fWaterline);
    w.F32(p.m_fDesignWaterline);
    w.F32(p.m_fWaterWeight);
    w.F32(p.m_fActiveHoles);
    w.F32(p.m_fIgnitionFactor);
    w.F32(p.m_fDamage);
    w.F32(p.m_fFireStrength);
    w.F32(p.m_fReserveArea);
    w.F32(p.m_fEfficiency);
    w.Count(p.m_stdvGuns.size());
    for (const GunRecord& g : p.m_stdvGuns) WriteGun(w, g);
    w.Count(p.m_stdvHoles.size());
    for (const HoleEntry& h : p.m_stdvHoles) {
        w.F32(h.m_fHeight);
        w.F32(h.m_fSize);
    }
}

void WriteObject(SaveWriter& w, const GameObjectRecord& o) {
    WriteUnit(w, o.m_Unit);
    w.U8(o.m_pTexts ? 1 : 0);
    if (o.m_pTexts) {
        w.Text(o.m_pTexts->m_szIcon, kObjectTextSize);
        w.Text(o.m_pTexts->m_szDescription, kObjectTextSize);
    }
    w.U8(o.m_pMovement ? 1 : 0);
    if (const MovementBlock* m = o.m_pMovement.get()) {
        w.F32(m->m_fBaseSpeed);
        w.F32(m->m_fSpeedLimit);
        w.F32(m->m_fRotationAngle);
        w.F32(m->m_fAcceleration);
        for (float v : m->m_fMove) w.F32(v);
    }
    w.U8(o.m_pMovementState ? 1 : 0);
    if (const MovementStateRecord* s = o.m_pMovementState.get()) {
        w.F32(s->m_fLongitudinalHeel);
        w.F32(s->m_fCrossHeel);
        w.F32(s->m_fFloodLevel);
        w.U8(s->m_bActive);
        w.U8(s->m_bMoving);
        w.U8(s->m_bCanSink);
        w.U8(0);
    }
    w.U8(o.m_pBattleData ? 1 : 0);
    if (const BattleDataBlock* b = o.m_pBattleData.get()) {
        w.I32(b->m_iGunpowder);
        w.F32(b->m_fCrewTraining);
        w.I32(b->m_iDisplacement);
        w.F32(b->m_fPumps);
        w.F32(b->m_fRamAttack);
        w.F32(b->m_fRamDefence);
        w.U8(b->m_bAlive);
        w.F32(b->m_fTotalReserveArea);
        for (const std::vector<PartRecord>* list : {&b->m_stdvMGTowers, &b->m_stdvDesignParts, &b->m_stdvPipes}) {
            w.Count(list->size());
            for (const PartRecord& p : *list) WritePart(w, p);
        }
    }
}

void WriteColumn(SaveWriter& w, const MapColumnRecord& c) {
    w.F32(c.m_fSpeed);
    w.F32(c.m_fMovementUsed);
    w.Count(c.m_stdvShipNames.size());
    for (const std::string& name : c.m_stdvShipNames) w.Name(name);
}

// ---- reading ----

// Reads the body of a save into fresh records; the first problem is kept
// as the reason of the refusal.
class SaveReader {
public:
    explicit SaveReader(const std::string& bytes) : m_file(bytes) {}

    bool Fail(const std::string& why) {
        if (m_reason.empty()) m_reason = why;
        return false;
    }
    const std::string& Reason() const { return m_reason; }
    std::size_t Remaining() const { return m_file.Remaining(); }

    bool Bytes(void* out, std::size_t n, const char* what) {
        return m_file.ReadBytes(out, n) || Fail(std::string("file ends inside ") + what);
    }
    bool U32(std::uint32_t& v, const char* what) {
        return m_file.ReadU32(v) || Fail(std::string("file ends inside ") + what);
    }
    bool I32(std::int32_t& v, const char* what) {
        std::uint32_t u = 0;
        if (!U32(u, what)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool U8(std::uint8_t& v, const char* what) { return Bytes(&v, 1, what); }
    bool F32(float& v, const char* what) {
        if (!m_file.ReadFloat(v)) return Fail(std::string("file ends inside ") + what);
        return std::isfinite(v) || Fail(std::string("a value of ") + what + " is not a number");
    }
    bool Rect(PartRect& r, const char* what) {
        return F32(r.left, what) && F32(r.top, what) && F32(r.right, what) && F32(r.bottom, what);
    }
    // A text field of `size` bytes, cut at its first zero and at size - 1.
    bool Text(char* out, std::size_t size, const char* what) {
        std::vector<char> raw(size);
        if (!Bytes(raw.data(), size, what)) return false;
        SetRecordText(out, size, RecordText(raw.data(), size).c_str());
        return true;
    }
    // A count of items of at least `itemBytes` each that must fit in the
    // file and stay within `cap`.
    bool Count(std::uint32_t& n, std::size_t itemBytes, std::uint32_t cap, const char* what) {
        if (!U32(n, what)) return false;
        if (n > cap || static_cast<std::uint64_t>(n) * itemBytes > Remaining())
            return Fail(std::string("count ") + std::to_string(n) + " of " + what + " is more than the file holds");
        return true;
    }
    bool Names(std::vector<std::string>& out, const char* what) {
        std::uint32_t n = 0;
        if (!Count(n, kRecordTextSize, kMaxSaveNames, what)) return false;
        out.clear();
        out.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            char name[kRecordTextSize];
            if (!Text(name, sizeof name, what)) return false;
            out.emplace_back(name);
        }
        return true;
    }
    bool Matrices(std::vector<D3DXMATRIX>& out) {
        std::uint32_t n = 0;
        if (!Count(n, kMatrixBytes, kMaxSaveUnits, "a placement list")) return false;
        out.resize(n);
        for (D3DXMATRIX& m : out) {
            float* f = &m._11;
            for (int i = 0; i < 16; ++i)
                if (!F32(f[i], "a placement")) return false;
        }
        return true;
    }
    bool Unit(MapUnitRecord& u) {
        for (char* field : {u.m_szName, u.m_szModel1, u.m_szModel2, u.m_szModel3, u.m_szEffect1, u.m_szEffect2,
                            u.m_szEffect3, u.m_szDescriptionFile, u.m_szSide})
            if (!Text(field, kRecordTextSize, "a unit record")) return false;
        for (const char* file : {u.m_szModel1, u.m_szModel2, u.m_szModel3, u.m_szEffect1, u.m_szEffect2,
                                 u.m_szEffect3, u.m_szDescriptionFile})
            if (!IsSafeDataFileName(file))
                return Fail(std::string("unit ") + u.m_szName + " names an unsafe file \"" + file + "\"");
        return true;
    }
    bool Gun(GunRecord& g) {
        const char* what = "a gun record";
        std::uint8_t pad[2];
        return Text(g.m_szName, kRecordTextSize, what) && I32(g.m_iBombardSpeed, what) &&
               I32(g.m_iBombardRange, what) && F32(g.m_fFallAccuracy, what) && I32(g.m_iBeginArmourPierce, what) &&
               F32(g.m_fFallArmourPierce, what) && I32(g.m_iDamage, what) && I32(g.m_iShells, what) &&
               I32(g.m_iCurrentBombardSpeed, what) && F32(g.m_fHeight, what) && U8(g.m_bReady, what) &&
               U8(g.m_bCanShoot, what) && Bytes(pad, 2, what) && Rect(g.m_rBombardZone, what);
    }
    bool Part(PartRecord& p) {
        const char* what = "a part record";
        bool ok = F32(p.m_fDurability, what) && F32(p.m_fBuoyancy, what) && F32(p.m_fLength, what) &&
                  F32(p.m_fHeight, what) && Rect(p.m_rArmourRect1, what) && I32(p.m_iArmour1, what) &&
                  Rect(p.m_rArmourRect2, what) && I32(p.m_iArmour2, what) && Rect(p.m_rDamageReceptionZone, what) &&
                  F32(p.m_fWaterline, what) && F32(p.m_fDesignWaterline, what) && F32(p.m_fWaterWeight, what) &&
                  F32(p.m_fActiveHoles, what) && F32(p.m_fIgnitionFactor, what) && F32(p.m_fDamage, what) &&
                  F32(p.m_fFireStrength, what) && F32(p.m_fReserveArea, what) && F32(p.m_fEfficiency, what);
        std::uint32_t n = 0;
        if (!ok || !Count(n, kGunBytes, kMaxSaveGuns, "a gun list")) return false;
        p.m_stdvGuns.resize(n);
        for (GunRecord& g : p.m_stdvGuns)
            if (!Gun(g)) return false;
        if (!Count(n, kHoleBytes, kMaxSaveHoles, "a hole list")) return false;
        p.m_stdvHoles.resize(n);
        for (HoleEntry& h : p.m_stdvHoles)
            if (!F32(h.m_fHeight, "a hole") || !F32(h.m_fSize, "a hole")) return false;
        return true;
    }
    bool Parts(std::vector<PartRecord>& out) {
        std::uint32_t n = 0;
        if (!Count(n, kPartMinBytes, kMaxSaveParts, "a part list")) return false;
        out.resize(n);
        for (PartRecord& p : out)
            if (!Part(p)) return false;
        return true;
    }
    bool Object(GameObjectRecord& o) {
        std::uint8_t flag = 0;
        if (!Unit(o.m_Unit) || !U8(flag, "an object record")) return false;
        if (flag) {
            o.m_pTexts = std::make_unique<GameObjectTexts>();
            if (!Text(o.m_pTexts->m_szIcon, kObjectTextSize, "a texts block") ||
                !Text(o.m_pTexts->m_szDescription, kObjectTextSize, "a texts block"))
                return false;
            for (const char* file : {o.m_pTexts->m_szIcon, o.m_pTexts->m_szDescription})
                if (!IsSafeDataFileName(file))
                    return Fail(std::string("unit ") + o.m_Unit.m_szName + " names an unsafe file \"" + file + "\"");
        }
        if (!U8(flag, "an object record")) return false;
        if (flag) {
            o.m_pMovement = std::make_unique<MovementBlock>();
            MovementBlock& m = *o.m_pMovement;
            const char* what = "a movement block";
            if (!F32(m.m_fBaseSpeed, what) || !F32(m.m_fSpeedLimit, what) || !F32(m.m_fRotationAngle, what) ||
                !F32(m.m_fAcceleration, what) || !F32(m.m_fMove[0], what) || !F32(m.m_fMove[1], what) ||
                !F32(m.m_fMove[2], what))
                return false;
        }
        if (!U8(flag, "an object record")) return false;
        if (flag) {
            o.m_pMovementState = std::make_unique<MovementStateRecord>();
            MovementStateRecord& s = *o.m_pMovementState;
            const char* what = "a movement state";
            std::uint8_t pad = 0;
            if (!F32(s.m_fLongitudinalHeel, what) || !F32(s.m_fCrossHeel, what) || !F32(s.m_fFloodLevel, what) ||
                !U8(s.m_bActive, what) || !U8(s.m_bMoving, what) || !U8(s.m_bCanSink, what) || !U8(pad, what))
                return false;
        }
        if (!U8(flag, "an object record")) return false;
        if (flag) {
            if (Remaining() < kBattleFixedBytes) return Fail("file ends inside a battle-data block");
            o.m_pBattleData = std::make_unique<BattleDataBlock>();
            BattleDataBlock& b = *o.m_pBattleData;
            const char* what = "a battle-data block";
            if (!I32(b.m_iGunpowder, what) || !F32(b.m_fCrewTraining, what) || !I32(b.m_iDisplacement, what) ||
                !F32(b.m_fPumps, what) || !F32(b.m_fRamAttack, what) || !F32(b.m_fRamDefence, what) ||
                !U8(b.m_bAlive, what) || !F32(b.m_fTotalReserveArea, what))
                return false;
            if (!Parts(b.m_stdvMGTowers) || !Parts(b.m_stdvDesignParts) || !Parts(b.m_stdvPipes)) return false;
        }
        return true;
    }
    bool Objects(std::vector<std::unique_ptr<GameObjectRecord>>& out) {
        std::uint32_t n = 0;
        if (!Count(n, kObjectMinBytes, kMaxSaveUnits, "an object list")) return false;
        out.clear();
        out.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            out.push_back(std::make_unique<GameObjectRecord>());
            if (!Object(*out.back())) return false;
        }
        return true;
    }
    bool Columns(std::vector<MapColumnRecord>& out) {
        std::uint32_t n = 0;
        if (!Count(n, kColumnMinBytes, kMaxSaveColumns, "a column list")) return false;
        out.resize(n);
        for (MapColumnRecord& c : out) {
            std::uint32_t ships = 0;
            if (!F32(c.m_fSpeed, "a column") || !F32(c.m_fMovementUsed, "a column") ||
                !Count(ships, kRecordTextSize, kMaxSaveColumnShips, "a column's ships"))
                return false;
            c.m_stdvShipNames.reserve(ships);
            for (std::uint32_t i = 0; i < ships; ++i) {
                char name[kRecordTextSize];
                if (!Text(name, sizeof name, "a column's ships")) return false;
                c.m_stdvShipNames.emplace_back(name);
            }
        }
        return true;
    }

    bool Header(GameSaveHeader& h) {
        const char* what = "the header";
        std::uint8_t pad[2];
        return Text(h.m_szTime, kSaveTimeSize, what) && Text(h.m_szScenarioName, kRecordTextSize, what) &&
               Text(h.m_szScenarioFile, kRecordTextSize, what) && Text(h.m_szPlayerSideName, kRecordTextSize, what) &&
               Text(h.m_szMapTitle, kRecordTextSize, what) && Text(h.m_szMapName, kRecordTextSize, what) &&
               Bytes(pad, 2, what) && I32(h.m_iTurn, what);
    }

private:
    MapFileReader m_file;
    std::string m_reason;
};

// The links between the lists that the map relies on when it rebuilds
// itself; the first broken one is returned, empty when all hold.
std::string CheckSaveLinks(const GameSaveHeader& header, const GameSaveData& d) {
    if (std::strcmp(header.m_szMapName, d.m_szMapName) != 0)
        return std::string("header names map \"") + header.m_szMapName + "\" but the save holds \"" + d.m_szMapName + "\"";
    if (d.m_szMapName[0] == 0 || !IsSafeDataFileName(d.m_szMapName))
        return std::string("map name \"") + d.m_szMapName + "\" is not a file name";
    if (!IsSafeDataFileName(header.m_szScenarioFile))
        return std::string("scenario file \"") + header.m_szScenarioFile + "\" is not a file name";
    if (header.m_iTurn != d.m_iTurn)
        return "header turn " + std::to_string(header.m_iTurn) + " differs from the save's turn " +
               std::to_string(d.m_iTurn);
    if (d.m_iTurn < 1) return "turn " + std::to_string(d.m_iTurn) + " is not a turn";
    if (d.m_iPlayerSide != 1 && d.m_iPlayerSide != 2)
        return "player side " + std::to_string(d.m_iPlayerSide) + " is neither 1 nor 2";
    std::set<std::string> names;
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
        if (d.m_stdvMatrices[side].size() != d.m_stdvObjects[side].size())
            return std::string(SaveSideText(side)) + " has " + std::to_string(d.m_stdvObjects[side].size()) +
                   " units but " + std::to_string(d.m_stdvMatrices[side].size()) + " placements";
        for (const auto& object : d.m_stdvObjects[side]) {
            if (std::strcmp(object->m_Unit.m_szSide, SaveSideText(side)) != 0)
                return std::string("unit ") + object->m_Unit.m_szName + " of side \"" + object->m_Unit.m_szSide +
                       "\" stands in the list of " + SaveSideText(side);
            if (side != SAVE_UNSIDE && !names.insert(object->m_Unit.m_szName).second)
                return std::string("unit name ") + object->m_Unit.m_szName + " is used twice";
        }
    }
    const std::size_t playerUnits = d.m_stdvObjects[d.m_iPlayerSide].size();
    if (d.m_iActiveObject < -1 || (d.m_iActiveObject >= 0 && static_cast<std::size_t>(d.m_iActiveObject) >= playerUnits))
        return "active unit " + std::to_string(d.m_iActiveObject) + " is not one of the player's " +
               std::to_string(playerUnits) + " units";
    return {};
}

void Refuse(const char* name, const std::string& why) {
    g_Log.Write(LOG_ERROR, "Error : CDX9KelGameSaver::ReadSave : %s : %s\n", why.c_str(), name);
}

} // namespace

// ---- header and data ----

GameSaveHeader::GameSaveHeader() { Clear(); }

void GameSaveHeader::Clear() {
    std::memset(m_szTime, 0, sizeof m_szTime);
    std::memset(m_szScenarioName, 0, sizeof m_szScenarioName);
    std::memset(m_szScenarioFile, 0, sizeof m_szScenarioFile);
    std::memset(m_szPlayerSideName, 0, sizeof m_szPlayerSideName);
    std::memset(m_szMapTitle, 0, sizeof m_szMapTitle);
    std::memset(m_szMapName, 0, sizeof m_szMapName);
    m_iTurn = -1;
}

const char* SaveSideText(int saveSide) {
    switch (saveSide) {
    case SAVE_SIDE1: return "SIDE1";
    case SAVE_SIDE2: return "SIDE2";
    default: return "UNSIDE";
    }
}

void GameSaveData::Clear() {
    m_iPlayerSide = 0;
    m_uAILoss = m_uPlayerScore = m_uPlayerLoss = m_uAIScore = 0;
    std::memset(m_szMapName, 0, sizeof m_szMapName);
    m_iTurn = 1;
    m_iActiveObject = -1;
    m_stdvLostPlayerUnits.clear();
    m_stdvLostAIUnits.clear();
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
        m_stdvMatrices[side].clear();
        m_stdvObjects[side].clear();
    }
    m_stdvColumns[0].clear();
    m_stdvColumns[1].clear();
    m_bHasRunState = false;
    m_RunState = GameRunState();
}

// ---- whole file ----

std::string WriteSaveBytes(const GameSaveHeader& h, const GameSaveData& d) {
    SaveWriter w;
    w.Text(h.m_szTime, kSaveTimeSize);
    w.Text(h.m_szScenarioName, kRecordTextSize);
    w.Text(h.m_szScenarioFile, kRecordTextSize);
    w.Text(h.m_szPlayerSideName, kRecordTextSize);
    w.Text(h.m_szMapTitle, kRecordTextSize);
    w.Text(h.m_szMapName, kRecordTextSize);
    w.U8(0);
    w.U8(0);
    w.I32(h.m_iTurn);

    w.I32(d.m_iPlayerSide);
    w.U32(d.m_uAILoss);
    w.U32(d.m_uPlayerScore);
    w.U32(d.m_uPlayerLoss);
    w.U32(d.m_uAIScore);
    w.Text(d.m_szMapName, kRecordTextSize);
    w.I32(d.m_iTurn);
    w.I32(d.m_iActiveObject);
    for (const std::vector<std::string>* names : {&d.m_stdvLostPlayerUnits, &d.m_stdvLostAIUnits}) {
        w.Count(names->size());
        for (const std::string& name : *names) w.Name(name);
    }
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
        w.Count(d.m_stdvMatrices[side].size());
        for (const D3DXMATRIX& m : d.m_stdvMatrices[side]) w.Matrix(m);
    }
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
        if (const std::vector<GameObjectRecord*>* map = d.m_pMapObjects[side]) {
            const std::size_t present = static_cast<std::size_t>(std::count_if(
                map->begin(), map->end(), [](const GameObjectRecord* o) { return o != nullptr; }));
            w.Count(present);
            for (const GameObjectRecord* o : *map)
                if (o) WriteObject(w, *o);
        } else {
            w.Count(d.m_stdvObjects[side].size());
            for (const auto& o : d.m_stdvObjects[side]) WriteObject(w, *o);
        }
    }
    for (const std::vector<MapColumnRecord>& columns : d.m_stdvColumns) {
        w.Count(columns.size());
        for (const MapColumnRecord& c : columns) WriteColumn(w, c);
    }
    static_assert(kSaveHeaderBytes == kSaveTimeSize + 5 * kRecordTextSize + 2 + 4);
    if (d.m_bHasRunState) AppendRunStateTrailer(w.Out(), d.m_RunState);
    return std::move(w.Out());
}

bool ReadSaveHeaderBytes(const std::string& bytes, GameSaveHeader& header) {
    header.Clear();
    SaveReader r(bytes);
    GameSaveHeader read;
    if (!r.Header(read)) return false;
    header = read;
    return true;
}

bool ReadSaveBytes(const std::string& bytes, const char* name, const CDX9KelColumnMovement& neighbours,
                   GameSaveHeader& header, GameSaveData& data) {
    if (!name) name = "";
    SaveReader r(bytes);
    GameSaveHeader h;
    GameSaveData d;
    bool ok = r.Header(h) && r.I32(d.m_iPlayerSide, "the save values") && r.U32(d.m_uAILoss, "the save values") &&
              r.U32(d.m_uPlayerScore, "the save values") && r.U32(d.m_uPlayerLoss, "the save values") &&
              r.U32(d.m_uAIScore, "the save values") && r.Text(d.m_szMapName, kRecordTextSize, "the save values") &&
              r.I32(d.m_iTurn, "the save values") && r.I32(d.m_iActiveObject, "the save values") &&
              r.Names(d.m_stdvLostPlayerUnits, "the lost player units") &&
              r.Names(d.m_stdvLostAIUnits, "the lost AI units");
    for (int side = 0; ok && side < SAVE_SIDE_COUNT; ++side) ok = r.Matrices(d.m_stdvMatrices[side]);
    for (int side = 0; ok && side < SAVE_SIDE_COUNT; ++side) ok = r.Objects(d.m_stdvObjects[side]);
    ok = ok && r.Columns(d.m_stdvColumns[0]) && r.Columns(d.m_stdvColumns[1]);
    if (!ok) {
        Refuse(name, r.Reason());
        return false;
    }
    // What follows the documented fields can only be the run state, whole.
    if (r.Remaining() != 0) {
        std::string why;
        if (!ReadRunStateTrailer(bytes, bytes.size() - r.Remaining(), d.m_RunState, why)) {
            Refuse(name, why);
            return false;
        }
        d.m_bHasRunState = true;
        for (int side = 0; side < 2; ++side)
            if (d.m_RunState.m_Columns[side].size() != d.m_stdvColumns[side].size()) {
                Refuse(name, "the run state has " + std::to_string(d.m_RunState.m_Columns[side].size()) +
                                 " columns of " + SaveSideText(side + 1) + " but the save " +
                                 std::to_string(d.m_stdvColumns[side].size()));
                return false;
            }
    }
    const std::string broken = CheckSaveLinks(h, d);
    if (!broken.empty()) {
        Refuse(name, broken);
        return false;
    }
    // A save with a run state was written by a map with its columns as they
    // were: a side without columns had none, and is not grouped.
    for (int side = SAVE_SIDE1; side <= SAVE_SIDE2 && !d.m_bHasRunState; ++side) {
        std::vector<MapColumnRecord>& columns = d.m_stdvColumns[side - 1];
        if (!columns.empty() || d.m_stdvObjects[side].empty()) continue;
        if (!GroupUnitsIntoColumns(d.m_stdvObjects[side], d.m_stdvMatrices[side], neighbours, columns)) {
            Refuse(name, std::string("the units of ") + SaveSideText(side) + " could not be grouped into columns");
            return false;
        }
    }
    header = h;
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) d.m_pMapObjects[side] = data.m_pMapObjects[side];
    data = std::move(d);
    return true;
}

bool GroupUnitsIntoColumns(const std::vector<std::unique_ptr<GameObjectRecord>>& objects,
                           const std::vector<D3DXMATRIX>& matrices, const CDX9KelColumnMovement& neighbours,
                           std::vector<MapColumnRecord>& columns) {
    if (objects.size() != matrices.size()) return false;
    // Columns are built as owned records so that deleting one keeps the
    // others where they are; the table maps each unit to its column.
    std::vector<std::unique_ptr<MapColumnRecord>> built;
    std::vector<MapColumnRecord*> columnOf(objects.size(), nullptr);
    std::vector<bool> takesPart(objects.size(), false);
    for (std::size_t i = 0; i < objects.size(); ++i)
        takesPart[i] = std::strcmp(objects[i]->m_Unit.m_szSide, "UNSIDE") != 0 && matrices[i]._42 < 0.2f;

    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (!takesPart[i]) continue;
        if (!columnOf[i]) {
            built.push_back(std::make_unique<MapColumnRecord>());
            built.back()->m_stdvShipNames.emplace_back(objects[i]->m_Unit.m_szName);
            columnOf[i] = built.back().get();
        }
        MapColumnRecord* column = columnOf[i];
        for (std::size_t j = 0; j < objects.size(); ++j) {
            if (j == i || !takesPart[j] || columnOf[j] == column) continue;
            const int relation = neighbours.ClassifyRelativePosition(&matrices[i], &matrices[j]);
            if (relation == 0) continue;
            const std::string name = objects[j]->m_Unit.m_szName;
            if (MapColumnRecord* old = columnOf[j]) {
                if (old->m_stdvShipNames.size() == 1) {
                    built.erase(std::find_if(built.begin(), built.end(),
                                             [old](const auto& c) { return c.get() == old; }));
                } else {
                    auto at = std::find(old->m_stdvShipNames.begin(), old->m_stdvShipNames.end(), name);
                    if (at == old->m_stdvShipNames.end()) return false;
                    old->m_stdvShipNames.erase(at);
                }
            }
            columnOf[j] = column;
            if (relation == 1) column->m_stdvShipNames.push_back(name);
            else column->m_stdvShipNames.insert(column->m_stdvShipNames.begin(), name);
        }
    }
    std::vector<MapColumnRecord> result;
    result.reserve(built.size());
    for (auto& c : built) result.push_back(std::move(*c));
    columns = std::move(result);
    return true;
}

bool IsSaveNameAllowed(const char* name) {
    if (!name || !*name) return false;
    const std::size_t n = strnlen(name, kMaxSaveNameLength + 1);
    if (n > kMaxSaveNameLength) return false;
    if (name[0] == '.') return false;
    if (n >= 2 && name[1] == ':') return false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    }
    return std::strstr(name, "..") == nullptr;
}

bool WriteSaveFileAtomic(const std::string& path, const std::string& bytes) {
    // The platform's temporary name is the target's name followed by
    // ".tmp" and six characters, so it never ends in the save extension
    // and never shows in the list of saves.
    return Platform::WriteFileAtomic(path, bytes);
}

} // namespace VornaCampaign
