#pragma once
// The campaign's battle system. It owns the gun table that the units'
// descriptions take their guns from.
#include "campaign/data/CDX9KelDataIO.h"

#include <string>
#include <vector>

namespace VornaCampaign {

class CDX9KelBattleSystem {
public:
    // Reads the artillery folder's "Artillery.xml" (beside the program) into
    // the gun table. The campaign starts also when this fails.
    bool InitArtillery();

    // Relative to the program's folder, with its trailing separator.
    std::string m_szArtilleryFolder = "Data\\Artillery\\";
    std::vector<GunType> m_stdvArtillery;
};

// The campaign's one battle system.
extern CDX9KelBattleSystem g_BattleSystem;

} // namespace VornaCampaign
