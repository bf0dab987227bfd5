#pragma once
// The running scenario: what its file said (names, screens, the per-step
// lists of harbour and battle files and loading screens, money totals) and
// the progress through it (current step, harbour or battle phase, the two
// sides' losses). One record lives with the game manager for the whole run.
#include <cstdint>
#include <string>
#include <vector>

namespace SeaBattle {

class CVR3GAMEScenario {
public:
    CVR3GAMEScenario() = default;

    // Puts every value the scenario file gives back to its default; the
    // progress (step, phase, fleet scheme, losses) stays as a save reader set
    // it.
    void Reset();
    // Puts the progress back to the start of a new scenario: step 0, in the
    // harbour, no fleet scheme drawn, no losses.
    void BeginNew();
    // No scenario runs any more: Reset, and no step, no fleet scheme, no
    // losses.
    void Clear();
    // Moves to the next step: true while every step list still has an entry
    // for it; otherwise the step index becomes -1. At -1 (ended, or never
    // begun) it stays there and answers false.
    bool NextStep();

    // The current step's entry of each list, or null when the step index is
    // -1 or out of the list's range.
    const std::string* GetHarbourLoadingScreen() const { return StepEntry(m_vHarbourLoadScreens); }
    const std::string* GetBattleLoadingScreen() const { return StepEntry(m_vBattleLoadScreens); }
    const std::string* GetHarbourMapFile() const { return StepEntry(m_vHarbourMapFiles); }
    const std::string* GetBattleMapFile() const { return StepEntry(m_vBattleMapFiles); }

    // Adds a battle loss to the named side; false for an empty name or a name
    // that is neither side's.
    bool AddLoss(const char* playerName, uint32_t amount);
    // (own + enemy) / 2, own = 100 - 100 x human losses / human total (at
    // most 100), enemy = 100 x computer losses / computer total (at most
    // 100); 0 while either total is 0.
    int32_t GetScore() const;

    // True while a scenario file is loaded.
    bool IsRunning() const { return !m_strFileName.empty(); }

    std::string m_strFileName;
    std::string ScenarioName;
    std::string HumanPlayerName;
    std::string ComputerPlayerName;
    std::string ArtilleryList;
    int32_t m_iStep = -1;
    int32_t m_iInBattle = 0;
    int32_t m_iFleetScheme = -1;
    std::vector<std::string> m_vHarbourMapFiles;
    std::vector<std::string> m_vHarbourLoadScreens;
    std::string HarbourScreen;
    std::string ColumnsScreen;
    int32_t m_iShipLevelCount = 6;
    float DestroyEnemyBonusFactor = 0.2f;
    std::string Money;
    std::vector<std::string> m_vBattleMapFiles;
    std::vector<std::string> m_vBattleLoadScreens;
    std::string BattleScreen;
    std::string BattleResultsScreen;
    uint32_t m_uHumanLosses = 0;
    uint32_t m_uComputerLosses = 0;
    uint32_t HumanSumMoney = 0;
    uint32_t ComputerSumMoney = 0;
    std::string ScenarioEndScreen;

private:
    const std::string* StepEntry(const std::vector<std::string>& list) const {
        if (m_iStep < 0 || static_cast<size_t>(m_iStep) >= list.size()) return nullptr;
        return &list[static_cast<size_t>(m_iStep)];
    }
};

} // namespace SeaBattle
