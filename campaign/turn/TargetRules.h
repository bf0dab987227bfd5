#pragma once
// Which gun group of the player's active ship may engage an enemy: the
// candidates by the bearing of the target, each confirmed by a check that a
// ready gun of the group has the target inside its firing zone.
#include "campaign/data/CampaignRecords.h"

#include <functional>
#include <vector>

namespace VornaCampaign {

// The candidate groups for a target at heading angle `angle` (radians) from
// the ship, in the order they are checked: the hull groups of the sector,
// then the towers. A bow or stern chaser counts only when it is the one gun
// at that end of the ship.
std::vector<int> CandidateTargetGroups(const BattleDataBlock& ship, float angle);

// The group that engages the target: the last candidate that passes
// `check`; -1 when none does.
int ChooseTargetGroup(const BattleDataBlock& ship, float angle, const std::function<bool(int)>& check);

} // namespace VornaCampaign
