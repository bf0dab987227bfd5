// The scenario section: the campaign's scenario record (file, sides, maps,
// loading step, the four score counters and the lost units).
#include "Registry.h"
#include "SimEngine.h"

#include "campaign/CDX9KelGameScenario.h"

#include <cstdio>

CAMPAIGNSIM_DUMP(scenario, 60) {
    (void)engine;
    const VornaCampaign::CDX9KelGameScenario& s = VornaCampaign::g_GameScenario;
    char line[512];
    std::snprintf(line, sizeof line,
                  "file \"%s\"\nname \"%s\"\nplayer side %d \"%s\"\nai side \"%s\"\nmax scores %d %d\n"
                  "loading step %d map \"%s\" save \"%s\"\nai loss %u\nplayer score %u\nplayer loss %u\nai score %u\n",
                  s.m_szScenarioFile, s.m_szScenarioName, s.m_iPlayerSide, s.m_szPlayerSideName, s.m_szAISideName,
                  s.m_iPlayerMaxScore, s.m_iAIMaxScore, s.m_iLoadingStep, s.m_strMapToLoad.c_str(),
                  s.m_strPendingSave.c_str(), s.m_uAILossCounter, s.m_uPlayerScoreTotal, s.m_uPlayerLossCounter,
                  s.m_uAIScoreTotal);
    out += line;
    auto list = [&out](const char* name, const std::vector<std::string>& items) {
        out += name;
        for (const std::string& item : items) out += " \"" + item + "\"";
        out += "\n";
    };
    list("maps", s.m_stdvMaps);
    list("lost player units", s.m_stdvLostPlayerUnits);
    list("lost ai units", s.m_stdvLostAIUnits);
}
