#include "campaign/turn/TargetRules.h"

#include "campaign/battle/GunGroups.h"

namespace VornaCampaign {

namespace {

std::size_t Guns(const BattleDataBlock& ship, int group) {
    const PartRecord* part = GetGroupPart(ship, group);
    return part != nullptr ? part->m_stdvGuns.size() : 0;
}

bool Usable(const BattleDataBlock& ship, int group) {
    return IsPartUsable(GetGroupPart(ship, group));
}

// The one gun at an end of the ship: this part has exactly one, the part
// opposite none.
bool Chaser(const BattleDataBlock& ship, int group, int opposite) {
    return Guns(ship, group) == 1 && Guns(ship, opposite) == 0 && Usable(ship, group);
}

} // namespace

std::vector<int> CandidateTargetGroups(const BattleDataBlock& ship, float angle) {
    std::vector<int> groups;
    if (angle > -0.785f && angle < 0.785f) {
        if (Chaser(ship, 2, 5))
            groups.push_back(2);
        else if (Chaser(ship, 5, 2))
            groups.push_back(5);
    } else if ((angle >= 2.35f && angle <= 3.1416f) || (angle >= -3.1416f && angle <= -2.35f)) {
        if (Chaser(ship, 4, 7))
            groups.push_back(4);
        else if (Chaser(ship, 7, 4))
            groups.push_back(7);
    } else if (angle > -2.35f && angle < -0.785f) {
        for (int g : {2, 3, 4})
            if (Guns(ship, g) > 0) groups.push_back(g);
    } else if (angle > 0.785f && angle < 2.35f) {
        for (int g : {5, 6, 7})
            if (Guns(ship, g) > 0) groups.push_back(g);
    }
    if (!ship.m_stdvMGTowers.empty() && Usable(ship, 0)) groups.push_back(0);
    if (ship.m_stdvMGTowers.size() >= 2 && Usable(ship, 1)) groups.push_back(1);
    return groups;
}

int ChooseTargetGroup(const BattleDataBlock& ship, float angle, const std::function<bool(int)>& check) {
    int chosen = -1;
    for (int g : CandidateTargetGroups(ship, angle))
        if (!check || check(g)) chosen = g;
    return chosen;
}

} // namespace VornaCampaign
