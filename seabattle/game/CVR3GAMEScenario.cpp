#include "seabattle/game/CVR3GAMEScenario.h"

#include "seabattle/game/GameNumbers.h"

#include <algorithm>
#include <cmath>

namespace SeaBattle {

void CVR3GAMEScenario::Reset() {
    // Every value the scenario file gives goes back to its default, so that
    // an optional value a file leaves out is not the previous scenario's.
    // The progress stays as a save reader set it before the file is read.
    m_strFileName.clear();
    ScenarioName.clear();
    HumanPlayerName.clear();
    ComputerPlayerName.clear();
    ArtilleryList.clear();
    m_vHarbourMapFiles.clear();
    m_vHarbourLoadScreens.clear();
    HarbourScreen.clear();
    ColumnsScreen.clear();
    m_iShipLevelCount = 6;
    DestroyEnemyBonusFactor = 0.2f;
    Money.clear();
    m_vBattleMapFiles.clear();
    m_vBattleLoadScreens.clear();
    BattleScreen.clear();
    BattleResultsScreen.clear();
    HumanSumMoney = 0;
    ComputerSumMoney = 0;
    ScenarioEndScreen.clear();
}

void CVR3GAMEScenario::BeginNew() {
    m_iStep = 0;
    m_iInBattle = 0;
    m_iFleetScheme = -1;
    m_uHumanLosses = 0;
    m_uComputerLosses = 0;
}

void CVR3GAMEScenario::Clear() {
    Reset();
    BeginNew();
    m_iStep = -1;
}

bool CVR3GAMEScenario::NextStep() {
    // An ended scenario (or one never begun) stays ended: its step does not
    // wrap round to the first.
    if (m_iStep < 0) return false;
    ++m_iStep;
    size_t steps = std::min({m_vHarbourMapFiles.size(), m_vHarbourLoadScreens.size(), m_vBattleMapFiles.size(),
                             m_vBattleLoadScreens.size()});
    if (m_iStep >= 0 && static_cast<size_t>(m_iStep) < steps) return true;
    m_iStep = -1;
    return false;
}

bool CVR3GAMEScenario::AddLoss(const char* playerName, uint32_t amount) {
    if (!playerName || !*playerName) return false;
    if (HumanPlayerName == playerName) {
        m_uHumanLosses += amount;
        return true;
    }
    if (ComputerPlayerName == playerName) {
        m_uComputerLosses += amount;
        return true;
    }
    return false;
}

int32_t CVR3GAMEScenario::GetScore() const {
    if (HumanSumMoney == 0 || ComputerSumMoney == 0) return 0;
    double own = 100.0 - 100.0 * static_cast<double>(m_uHumanLosses) / static_cast<double>(HumanSumMoney);
    own = std::min(own, 100.0);
    double enemy = 100.0 * static_cast<double>(m_uComputerLosses) / static_cast<double>(ComputerSumMoney);
    enemy = std::min(enemy, 100.0);
    return TruncateToInt32((own + enemy) / 2.0);
}

} // namespace SeaBattle
