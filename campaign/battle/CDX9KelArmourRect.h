#pragma once
// The armour-rectangle test of the battle rules.
#include "campaign/data/CampaignRecords.h"

namespace VornaCampaign {

// True when the rectangle is given and left <= x <= right and
// bottom <= y <= top (every bound inclusive).
bool IsPointInArmourRect(const PartRect* rect, float x, float y);

} // namespace VornaCampaign
