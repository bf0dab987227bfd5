#pragma once
// The battle log: the one list of battle messages of the program, appended
// at the end and read from the end (newest first). The battle HUD shows it;
// the battle map, the battle resolution and the behaviours write to it.
#include <cstdint>
#include <string>
#include <vector>

namespace SeaBattle {

// Kinds of an entry: -1 empty; 0-8 a localised report format applied to the
// subject; 9 a side has lost all its ships (ends the battle); 10 the message
// text shown unchanged.
enum EBattleLogKind : int32_t {
    BATTLE_LOG_EMPTY = -1,
    BATTLE_LOG_SHIP_DEATH = 0, // a ship sank, capsized or was destroyed; the category names its player
    BATTLE_LOG_SIDE_LOST = 9,
    BATTLE_LOG_TEXT = 10,
};

struct CVR3GAMEBattleLogEntry {
    std::string m_strCategory; // "Battle", "Game" or a player name
    std::string m_strSubject;  // a ship or column name, or empty
    std::string m_strMessage;
    int32_t m_iKind = BATTLE_LOG_EMPTY;
};

class CVR3GAMEBattleLog {
public:
    // Appends an entry; a null text stands for an empty one. Always true.
    bool AddEntry(const char* category, int32_t kind, const char* subject, const char* message);
    // Drops the newest entry; false when the log is empty.
    bool RemoveLastEntry();
    void Clear() { m_stdvEntries.clear(); }
    bool IsEmpty() const { return m_stdvEntries.empty(); }
    std::size_t GetCount() const { return m_stdvEntries.size(); }
    // The newest entry, read in place; null when the log is empty.
    CVR3GAMEBattleLogEntry* GetLastEntry() { return m_stdvEntries.empty() ? nullptr : &m_stdvEntries.back(); }
    // The entry `age` places before the newest (0 = newest); null beyond.
    const CVR3GAMEBattleLogEntry* GetEntryFromEnd(std::size_t age) const;
    const std::vector<CVR3GAMEBattleLogEntry>& GetEntries() const { return m_stdvEntries; }

    // The process-wide log; tests empty it with Clear.
    static CVR3GAMEBattleLog& Get();

private:
    std::vector<CVR3GAMEBattleLogEntry> m_stdvEntries;
};

} // namespace SeaBattle
