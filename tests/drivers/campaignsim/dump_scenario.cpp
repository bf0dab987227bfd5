// The scenario section: the campaign's scenario record (file, sides, maps,
// loading step, the four score counters and the lost units).
#include "Registry.h"
#include "SimEngine.h"

#include "campaign/shell/CDX9KelGameScenario.h"

#include <string>

CAMPAIGNSIM_DUMP(scenario, 60) {
    (void)engine;
    const VornaCampaign::CDX9KelGameScenario& s = VornaCampaign::g_GameScenario;
    auto q = [](const std::string& text) { return "\"" + text + "\""; };
    out += "file " + q(s.m_szScenarioFile) + "\nname " + q(s.m_szScenarioName) + "\nplayer side " +
           std::to_string(s.m_iPlayerSide) + " " + q(s.m_szPlayerSideName) + "\nai side " + q(s.m_szAISideName) +
           "\nmax scores " + std::to_string(s.m_iPlayerMaxScore) + " " + std::to_string(s.m_iAIMaxScore) +
           "\nloading step " + std::to_string(s.m_iLoadingStep) + " map " + q(s.m_strMapToLoad) + " save " +
           q(s.m_strPendingSave) + "\nai loss " + std::to_string(s.m_uAILossCounter) + "\nplayer score " +
           std::to_string(s.m_uPlayerScoreTotal) + "\nplayer loss " + std::to_string(s.m_uPlayerLossCounter) +
           "\nai score " + std::to_string(s.m_uAIScoreTotal) + "\n";
    auto list = [&out](const char* name, const std::vector<std::string>& items) {
        out += name;
        for (const std::string& item : items) out += " \"" + item + "\"";
        out += "\n";
    };
    list("maps", s.m_stdvMaps);
    list("lost player units", s.m_stdvLostPlayerUnits);
    list("lost ai units", s.m_stdvLostAIUnits);
}
