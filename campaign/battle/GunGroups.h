#pragma once
// A unit's gun groups as the battle system fires them: groups 0 and 1 the
// towers, 2 to 7 the six hull parts. The computer player, the player's
// target search and the turn rules judge a unit's guns through these.
#include "campaign/data/CampaignRecords.h"

namespace Vorna2 {
class CDX9KelSceneObject;
} // namespace Vorna2

namespace VornaCampaign {

class CDX9KelAnimatedModel;

// The part a gun group names; null when the ship does not have it.
const PartRecord* GetGroupPart(const BattleDataBlock& ship, int group);
// A part that exists, has guns, and whose first gun is ready and can shoot.
bool IsPartUsable(const PartRecord* part);
// The gun type a unit is judged by: its first gun (towers first); null for
// a unit without guns.
const GunRecord* GetUnitGunType(const BattleDataBlock& data);
// True when a ready gun of the group that can shoot (only the first one
// with `firstGunOnly`) has the target inside its bombard zone, the gun
// placed as the battle system fires it. False without animation data.
bool CanGroupReach(Vorna2::CDX9KelSceneObject* own, GameObjectRecord* record, CDX9KelAnimatedModel* model, int group,
                   Vorna2::CDX9KelSceneObject* target, bool firstGunOnly);

} // namespace VornaCampaign
