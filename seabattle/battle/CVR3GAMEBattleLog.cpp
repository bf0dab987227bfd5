#include "seabattle/battle/CVR3GAMEBattleLog.h"

namespace SeaBattle {

bool CVR3GAMEBattleLog::AddEntry(const char* category, int32_t kind, const char* subject, const char* message) {
    CVR3GAMEBattleLogEntry e;
    if (category) e.m_strCategory = category;
    if (subject) e.m_strSubject = subject;
    if (message) e.m_strMessage = message;
    e.m_iKind = kind;
    m_stdvEntries.push_back(std::move(e));
    return true;
}

bool CVR3GAMEBattleLog::RemoveLastEntry() {
    if (m_stdvEntries.empty()) return false;
    m_stdvEntries.pop_back();
    return true;
}

const CVR3GAMEBattleLogEntry* CVR3GAMEBattleLog::GetEntryFromEnd(std::size_t age) const {
    if (age >= m_stdvEntries.size()) return nullptr;
    return &m_stdvEntries[m_stdvEntries.size() - 1 - age];
}

CVR3GAMEBattleLog& CVR3GAMEBattleLog::Get() {
    static CVR3GAMEBattleLog log;
    return log;
}

} // namespace SeaBattle
