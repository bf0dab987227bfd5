#include "InspectReport.h"

#include "platform/os/Paths.h"

#include <cstdio>

namespace CampaignSim {

void InspectReport::Line(const std::string& text) { std::printf("%s\n", text.c_str()); }

void InspectReport::Problem(const std::string& text) {
    ++m_problems;
    std::printf("problem %s\n", text.c_str());
}

void InspectReport::CheckFile(const std::string& folder, const char* name, const std::string& what) {
    if (!name || !*name || !m_checked.insert(folder + name).second) return;
    if (!Platform::FileExists(m_root + folder + name)) Problem(what + " " + folder + name + " is missing");
}

std::string InspectReport::CheckAnimatedModel(const VornaCampaign::MapUnitRecord& unit,
                                              const VornaCampaign::GameObjectRecord& object) {
    return "";
}

int InspectReport::Finish() {
    std::printf("problems %d\n", m_problems);
    std::fflush(stdout);
    return m_problems == 0 ? 0 : 1;
}

} // namespace CampaignSim
