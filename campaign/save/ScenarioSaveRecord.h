#pragma once
// What a save keeps of the campaign's scenario: its file and names, the
// player's side, both sides' score and loss counters and the units lost so
// far. The scenario is one of these; the saver writes and restores it
// through this record and knows nothing else of the scenario.
#include <cstdint>
#include <string>
#include <vector>

namespace VornaCampaign {

struct ScenarioSaveRecord {
    char m_szScenarioFile[40] = {};
    char m_szScenarioName[40] = {};
    char m_szPlayerSideName[40] = {};
    int m_iPlayerSide = 0;
    std::uint32_t m_uAILossCounter = 0;
    std::uint32_t m_uPlayerScoreTotal = 0;
    std::uint32_t m_uPlayerLossCounter = 0;
    std::uint32_t m_uAIScoreTotal = 0;
    std::vector<std::string> m_stdvLostPlayerUnits;
    std::vector<std::string> m_stdvLostAIUnits;
};

} // namespace VornaCampaign
