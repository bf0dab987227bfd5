// The save files' bytes: one writer and one checking reader per block, the
// reader never trusting a count before it has measured the bytes left.
#include "seabattle/game/CVR3GAMESaveImage.h"

#include <algorithm>
#include <cstring>

namespace SeaBattle {

namespace {

constexpr char kTrailerMagic[4] = {'S', 'B', 'S', 'V'};
constexpr uint32_t kTrailerVersion = 1;
constexpr size_t kTrailerSize = 12;

// Smallest sizes of the records a count announces, so a count is measured
// against the bytes left before anything is made for it.
constexpr size_t kMinShip = 7 * kSaveTextField + 64 + 80 + 64 + 4 + 15 * 4 + 7 * 4 + 4;
constexpr size_t kMinPart = 4 * 4 + 2 + 4 + 4 + 4 + 4;
constexpr size_t kGunSize = 4 * 4 + 2;
constexpr size_t kHoleSize = 12;
constexpr size_t kMinColumn = 4;
constexpr size_t kMinRecord = 1;
constexpr size_t kWithdrawnSize = 12;

class Writer {
public:
    void U32(uint32_t v) {
        char b[4] = {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff),
                     static_cast<char>((v >> 16) & 0xff), static_cast<char>((v >> 24) & 0xff)};
        m_out.append(b, 4);
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) {
        uint32_t u = 0;
        std::memcpy(&u, &v, 4);
        U32(u);
    }
    void Byte(uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    // At most size - 1 characters (cut there), zeros behind.
    void Text(const std::string& text, size_t size) {
        const size_t n = std::min(std::strlen(text.c_str()), size - 1);
        m_out.append(text.data(), n);
        m_out.append(size - n, '\0');
    }
    std::string& Out() { return m_out; }

private:
    std::string m_out;
};

class Reader {
public:
    Reader(const char* data, size_t size, std::string& error) : m_p(data), m_size(size), m_error(error) {}

    bool Fail(const char* what) {
        if (m_error.empty()) m_error = std::string(what) + " at byte " + std::to_string(m_at);
        return false;
    }
    size_t Left() const { return m_size - m_at; }
    size_t At() const { return m_at; }
    bool U32(uint32_t& v, const char* what) {
        v = 0;
        if (Left() < 4) return Fail(what);
        const auto* b = reinterpret_cast<const unsigned char*>(m_p + m_at);
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        m_at += 4;
        return true;
    }
    bool I32(int32_t& v, const char* what) {
        uint32_t u = 0;
        if (!U32(u, what)) return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool F32(float& v, const char* what) {
        uint32_t u = 0;
        if (!U32(u, what)) return false;
        std::memcpy(&v, &u, 4);
        return true;
    }
    bool Byte(uint8_t& v, const char* what) {
        if (Left() < 1) return Fail(what);
        v = static_cast<uint8_t>(m_p[m_at++]);
        return true;
    }
    bool Flag(uint8_t& v, const char* what) {
        if (!Byte(v, what)) return false;
        return v <= 1 ? true : Fail(what);
    }
    // The field's text up to its first zero; a field without one is refused.
    bool Text(std::string& text, size_t size, const char* what) {
        if (Left() < size) return Fail(what);
        const void* zero = std::memchr(m_p + m_at, 0, size);
        if (!zero) return Fail(what);
        text.assign(m_p + m_at, static_cast<const char*>(zero));
        m_at += size;
        return true;
    }
    // A count that the bytes left can hold at `minSize` each and that keeps
    // under `limit`.
    bool Count(uint32_t& n, uint32_t limit, size_t minSize, const char* what) {
        if (!U32(n, what)) return false;
        if (n > limit || static_cast<size_t>(n) * minSize > Left()) {
            m_at -= 4;
            return Fail(what);
        }
        return true;
    }

private:
    const char* m_p;
    size_t m_size;
    size_t m_at = 0;
    std::string& m_error;
};

// ---- blocks: writers ----

void WriteShip(Writer& w, const SVR3SaveShip& s) {
    for (const std::string& f : s.Files) w.Text(f, kSaveTextField);
    w.Text(s.Name, kSaveTextField);
    for (float v : s.World) w.F32(v);
    for (const auto& body : s.Bodies)
        for (float v : body) w.F32(v);
    for (float v : s.Movement) w.F32(v);
    w.I32(s.Gunpowder);
    for (float v : s.Damage) w.F32(v);
    for (uint32_t v : s.GunCounts) w.U32(v);
    w.U32(static_cast<uint32_t>(s.Parts.size()));
    for (const SVR3SavePart& p : s.Parts) {
        w.F32(p.Area);
        w.F32(p.Efficiency);
        w.F32(p.DamageTaken);
        w.F32(p.Fire);
        w.Byte(p.Active);
        w.Byte(p.Reloading);
        w.F32(p.Waterline);
        w.F32(p.Water);
        w.U32(static_cast<uint32_t>(p.Guns.size()));
        for (const SVR3SaveGun& g : p.Guns) {
            w.I32(g.Shells);
            w.F32(g.CurrentRecharge);
            w.U32(g.SinceLanding);
            w.F32(g.DamageDealt);
            w.Byte(g.Active);
            w.Byte(g.Reloading);
        }
        w.U32(static_cast<uint32_t>(p.Holes.size()));
        for (const auto& h : p.Holes)
            for (float v : h) w.F32(v);
    }
}

void WriteShips(Writer& w, const std::vector<SVR3SaveShip>& ships) {
    w.U32(static_cast<uint32_t>(ships.size()));
    for (const SVR3SaveShip& s : ships) WriteShip(w, s);
}

void WriteRecord(Writer& w, const SVR3SaveBehaviourRecord& r) {
    w.Byte(r.Empty);
    if (r.Empty) return;
    w.U32(r.Column);
    w.F32(r.Strength);
    w.U32(r.Kind);
}

void WriteSide(Writer& w, const SVR3SaveBattleSide& side, bool computer) {
    for (uint32_t v : side.Values) w.U32(v);
    WriteShips(w, side.Ships);
    w.U32(static_cast<uint32_t>(side.LossesByLevel.size()));
    for (uint32_t v : side.LossesByLevel) w.U32(v);
    w.U32(side.LostValue);
    w.U32(side.LostShips);
    w.F32(side.LostDurability);
    w.U32(static_cast<uint32_t>(side.Withdrawn.size()));
    for (const SVR3SaveWithdrawn& x : side.Withdrawn) {
        w.U32(x.Level);
        w.U32(x.Price);
        w.F32(x.Durability);
    }
    w.U32(static_cast<uint32_t>(side.Columns.size()));
    for (const SVR3SaveColumn& c : side.Columns) {
        w.U32(static_cast<uint32_t>(c.Ships.size()));
        if (c.Ships.empty()) continue;
        for (const std::string& name : c.Ships) w.Text(name, kSaveShipNameField);
        for (uint32_t v : c.Values) w.U32(v);
    }
    w.U32(static_cast<uint32_t>(side.Records.size()));
    for (const auto& r : side.Records) WriteRecord(w, r);
    w.U32(static_cast<uint32_t>(side.WithdrawnRecords.size()));
    for (const auto& r : side.WithdrawnRecords) WriteRecord(w, r);
    if (!computer) return;
    w.U32(side.BehaviourKind);
    if (side.BehaviourKind != 1) return;
    for (size_t i = 0; i < 3; ++i) {
        w.Byte(side.HasRole[i] ? 1 : 0);
        if (side.HasRole[i]) w.U32(side.Roles[i]);
    }
    for (size_t i = 0; i < 3; ++i) {
        w.Byte(side.HasEnemy[i] ? 1 : 0);
        if (side.HasEnemy[i]) WriteRecord(w, side.Enemies[i]);
    }
}

void WriteBattle(Writer& w, const SVR3SaveBattle& b) {
    w.Text(b.Environment, kSaveTextField);
    w.U32(b.TimeMs);
    w.U32(b.TimeLimitStage);
    WriteSide(w, b.Human, false);
    WriteSide(w, b.Computer, true);
}

std::string Finish(Writer& w) {
    std::string& out = w.Out();
    const uint32_t crc = SaveCrc32(out.data(), out.size());
    out.append(kTrailerMagic, 4);
    w.U32(kTrailerVersion);
    w.U32(crc);
    return std::move(out);
}

// ---- blocks: readers ----

bool ReadShip(Reader& r, SVR3SaveShip& s) {
    for (std::string& f : s.Files)
        if (!r.Text(f, kSaveTextField, "ship file name")) return false;
    if (!r.Text(s.Name, kSaveTextField, "ship name")) return false;
    for (float& v : s.World)
        if (!r.F32(v, "ship world matrix")) return false;
    for (auto& body : s.Bodies)
        for (float& v : body)
            if (!r.F32(v, "ship body block")) return false;
    for (float& v : s.Movement)
        if (!r.F32(v, "ship movement block")) return false;
    if (!r.I32(s.Gunpowder, "ship gunpowder")) return false;
    for (float& v : s.Damage)
        if (!r.F32(v, "ship damage block")) return false;
    for (uint32_t& v : s.GunCounts)
        if (!r.U32(v, "ship gun counts")) return false;
    uint32_t parts = 0;
    if (!r.Count(parts, SVR3SaveLimits::kParts, kMinPart, "part count")) return false;
    s.Parts.resize(parts);
    for (SVR3SavePart& p : s.Parts) {
        if (!r.F32(p.Area, "part") || !r.F32(p.Efficiency, "part") || !r.F32(p.DamageTaken, "part") ||
            !r.F32(p.Fire, "part") || !r.Flag(p.Active, "part active flag") ||
            !r.Flag(p.Reloading, "part reloading flag") || !r.F32(p.Waterline, "part") || !r.F32(p.Water, "part"))
            return false;
        uint32_t guns = 0;
        if (!r.Count(guns, SVR3SaveLimits::kGuns, kGunSize, "gun count")) return false;
        p.Guns.resize(guns);
        for (SVR3SaveGun& g : p.Guns)
            if (!r.I32(g.Shells, "gun") || !r.F32(g.CurrentRecharge, "gun") || !r.U32(g.SinceLanding, "gun") ||
                !r.F32(g.DamageDealt, "gun") || !r.Flag(g.Active, "gun active flag") ||
                !r.Flag(g.Reloading, "gun reloading flag"))
                return false;
        uint32_t holes = 0;
        if (!r.Count(holes, SVR3SaveLimits::kHoles, kHoleSize, "hole count")) return false;
        p.Holes.resize(holes);
        for (auto& h : p.Holes)
            for (float& v : h)
                if (!r.F32(v, "hole")) return false;
    }
    return true;
}

bool ReadShips(Reader& r, std::vector<SVR3SaveShip>& ships) {
    uint32_t n = 0;
    if (!r.Count(n, SVR3SaveLimits::kShips, kMinShip, "ship count")) return false;
    ships.resize(n);
    for (SVR3SaveShip& s : ships)
        if (!ReadShip(r, s)) return false;
    return true;
}

bool ReadRecord(Reader& r, SVR3SaveBehaviourRecord& rec) {
    if (!r.Flag(rec.Empty, "behaviour record flag")) return false;
    if (rec.Empty) return true;
    return r.U32(rec.Column, "behaviour record") && r.F32(rec.Strength, "behaviour record") &&
           r.U32(rec.Kind, "behaviour record");
}

bool ReadRecords(Reader& r, std::vector<SVR3SaveBehaviourRecord>& list) {
    uint32_t n = 0;
    if (!r.Count(n, SVR3SaveLimits::kRecords, kMinRecord, "behaviour record count")) return false;
    list.resize(n);
    for (auto& rec : list)
        if (!ReadRecord(r, rec)) return false;
    return true;
}

bool ReadSide(Reader& r, SVR3SaveBattleSide& side, bool computer) {
    for (uint32_t& v : side.Values)
        if (!r.U32(v, "director values")) return false;
    if (!ReadShips(r, side.Ships)) return false;
    uint32_t n = 0;
    if (!r.Count(n, SVR3SaveLimits::kLevels, 4, "losses count")) return false;
    side.LossesByLevel.resize(n);
    for (uint32_t& v : side.LossesByLevel)
        if (!r.U32(v, "losses")) return false;
    if (!r.U32(side.LostValue, "lost value") || !r.U32(side.LostShips, "lost ships") ||
        !r.F32(side.LostDurability, "lost durability"))
        return false;
    if (!r.Count(n, SVR3SaveLimits::kShips, kWithdrawnSize, "withdrawn count")) return false;
    side.Withdrawn.resize(n);
    for (SVR3SaveWithdrawn& x : side.Withdrawn)
        if (!r.U32(x.Level, "withdrawn ship") || !r.U32(x.Price, "withdrawn ship") ||
            !r.F32(x.Durability, "withdrawn ship"))
            return false;
    if (!r.Count(n, SVR3SaveLimits::kColumns, kMinColumn, "column count")) return false;
    side.Columns.resize(n);
    for (SVR3SaveColumn& c : side.Columns) {
        uint32_t ships = 0;
        if (!r.Count(ships, SVR3SaveLimits::kColumnShips, kSaveShipNameField, "column ship count")) return false;
        if (ships == 0) continue;
        c.Ships.resize(ships);
        for (std::string& name : c.Ships)
            if (!r.Text(name, kSaveShipNameField, "column ship name")) return false;
        for (uint32_t& v : c.Values)
            if (!r.U32(v, "column values")) return false;
    }
    if (!ReadRecords(r, side.Records) || !ReadRecords(r, side.WithdrawnRecords)) return false;
    if (!computer) return true;
    if (!r.U32(side.BehaviourKind, "behaviour kind")) return false;
    if (side.BehaviourKind != 1) return true;
    for (size_t i = 0; i < 3; ++i) {
        uint8_t has = 0;
        if (!r.Flag(has, "role flag")) return false;
        side.HasRole[i] = has != 0;
        if (has && !r.U32(side.Roles[i], "role position")) return false;
        if (has && side.Roles[i] >= side.Records.size()) return r.Fail("role position past the records");
    }
    for (size_t i = 0; i < 3; ++i) {
        uint8_t has = 0;
        if (!r.Flag(has, "enemy record flag")) return false;
        side.HasEnemy[i] = has != 0;
        if (has && !ReadRecord(r, side.Enemies[i])) return false;
    }
    return true;
}

bool ReadBattle(Reader& r, SVR3SaveBattle& b) {
    if (!r.Text(b.Environment, kSaveTextField, "battle environment") || !r.U32(b.TimeMs, "battle time") ||
        !r.U32(b.TimeLimitStage, "time-limit stage"))
        return false;
    if (b.TimeLimitStage > 3) return r.Fail("time-limit stage");
    return ReadSide(r, b.Human, false) && ReadSide(r, b.Computer, true);
}

// The part of the file the fields fill: the whole file, less a trailer
// whose check word matches. A trailer that does not match refuses the file.
bool Body(const std::string& bytes, size_t& bodySize, std::string& error) {
    if (bytes.size() > kMaxSaveFileBytes) {
        error = "file too large";
        return false;
    }
    bodySize = bytes.size();
    if (bytes.size() < kTrailerSize) return true;
    const char* t = bytes.data() + bytes.size() - kTrailerSize;
    if (std::memcmp(t, kTrailerMagic, 4) != 0) return true;
    const auto word = [&](size_t at) {
        const auto* b = reinterpret_cast<const unsigned char*>(t + at);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    };
    bodySize = bytes.size() - kTrailerSize;
    if (word(4) != kTrailerVersion) {
        error = "unknown save version";
        return false;
    }
    if (word(8) != SaveCrc32(bytes.data(), bodySize)) {
        error = "check word does not match: the file is damaged";
        return false;
    }
    return true;
}

bool End(Reader& r) { return r.Left() == 0 ? true : r.Fail("bytes past the last field"); }

} // namespace

uint32_t SaveCrc32(const char* data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xff] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string WriteScenarioSave(const SVR3ScenarioSave& s) {
    Writer w;
    w.Text(s.Time, kSaveTimeField);
    w.Text(s.ScenarioFile, kSaveTextField);
    w.Text(s.ScenarioName, kSaveTextField);
    w.Text(s.HumanName, kSaveTextField);
    w.Text(s.ComputerName, kSaveTextField);
    w.U32(s.Step);
    w.U32(s.Phase);
    w.U32(s.FleetScheme);
    w.U32(s.HumanLosses);
    w.U32(s.ComputerLosses);
    if (s.Phase == 0) w.Text(s.HarbourEnvironment, kSaveTextField);
    w.U32(s.Money);
    w.U32(static_cast<uint32_t>(s.Bought.size()));
    for (uint32_t v : s.Bought) w.U32(v);
    WriteShips(w, s.HumanShips);
    WriteShips(w, s.ComputerShips);
    if (s.Phase == 1) WriteBattle(w, s.Battle);
    return Finish(w);
}

std::string WriteDuelSave(const SVR3DuelSave& s) {
    Writer w;
    w.Text(s.Time, kSaveTimeField);
    for (const std::string* t : {&s.DuelFile, &s.DuelName, &s.HumanName, &s.ComputerName, &s.ArtilleryList})
        w.Text(*t, kSaveTextField);
    WriteBattle(w, s.Battle);
    return Finish(w);
}

bool ReadScenarioSave(const std::string& bytes, SVR3ScenarioSave& s, std::string& error) {
    error.clear();
    s = SVR3ScenarioSave{};
    size_t size;
    if (!Body(bytes, size, error)) return false;
    Reader r(bytes.data(), size, error);
    if (!r.Text(s.Time, kSaveTimeField, "save time") || !r.Text(s.ScenarioFile, kSaveTextField, "scenario file") ||
        !r.Text(s.ScenarioName, kSaveTextField, "scenario name") ||
        !r.Text(s.HumanName, kSaveTextField, "human player name") ||
        !r.Text(s.ComputerName, kSaveTextField, "computer player name") || !r.U32(s.Step, "step index") ||
        !r.U32(s.Phase, "phase") || !r.U32(s.FleetScheme, "fleet scheme") || !r.U32(s.HumanLosses, "losses") ||
        !r.U32(s.ComputerLosses, "losses"))
        return false;
    if (s.Phase > 1) return r.Fail("phase");
    if (s.Phase == 0 && !r.Text(s.HarbourEnvironment, kSaveTextField, "harbour environment")) return false;
    uint32_t n = 0;
    if (!r.U32(s.Money, "money") || !r.Count(n, SVR3SaveLimits::kShipTypes, 4, "ship type count")) return false;
    s.Bought.resize(n);
    for (uint32_t& v : s.Bought)
        if (!r.U32(v, "bought count")) return false;
    if (!ReadShips(r, s.HumanShips) || !ReadShips(r, s.ComputerShips)) return false;
    if (s.Phase == 1 && !ReadBattle(r, s.Battle)) return false;
    return End(r);
}

bool ReadDuelSave(const std::string& bytes, SVR3DuelSave& s, std::string& error) {
    error.clear();
    s = SVR3DuelSave{};
    size_t size;
    if (!Body(bytes, size, error)) return false;
    Reader r(bytes.data(), size, error);
    if (!r.Text(s.Time, kSaveTimeField, "save time")) return false;
    for (std::string* t : {&s.DuelFile, &s.DuelName, &s.HumanName, &s.ComputerName, &s.ArtilleryList})
        if (!r.Text(*t, kSaveTextField, "duel text")) return false;
    return ReadBattle(r, s.Battle) && End(r);
}

} // namespace SeaBattle
