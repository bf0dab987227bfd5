#include "campaign/CDX9KelBattleSystem.h"

#include "engine2/core/CDX9KelUtils.h"

namespace VornaCampaign {

CDX9KelBattleSystem g_BattleSystem;

bool CDX9KelBattleSystem::InitArtillery() {
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szArtilleryFolder + "Artillery.xml").c_str());
    return g_DataIO.LoadArtillery(path.c_str(), &m_stdvArtillery);
}

} // namespace VornaCampaign
