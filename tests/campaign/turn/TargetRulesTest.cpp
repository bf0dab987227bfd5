// The gun groups offered against a target by its bearing.
#include "campaign/turn/TargetRules.h"

#include <gtest/gtest.h>

using namespace VornaCampaign;

namespace {

BattleDataBlock Ship(std::vector<int> towers, std::vector<int> hull, bool ready = true) {
    BattleDataBlock b;
    auto part = [&](int guns) {
        PartRecord p;
        for (int i = 0; i < guns; ++i) {
            GunRecord g;
            g.m_bReady = ready ? 1 : 0;
            g.m_bCanShoot = 1;
            p.m_stdvGuns.push_back(g);
        }
        return p;
    };
    for (int n : towers) b.m_stdvMGTowers.push_back(part(n));
    for (int n : hull) b.m_stdvDesignParts.push_back(part(n));
    return b;
}

} // namespace

TEST(TargetRules, CandidatesBySector) {
    const BattleDataBlock leftBow = Ship({}, {1, 2, 0, 0, 2, 1});
    const BattleDataBlock bothBows = Ship({1, 1}, {1, 2, 0, 1, 2, 0});
    struct Case {
        const BattleDataBlock* ship;
        float angle;
        std::vector<int> groups;
    };
    const Case cases[] = {
        {&leftBow, 0.0f, {2}},
        // Guns on both bows: neither is a bow chaser; only the towers.
        {&bothBows, 0.0f, {0, 1}},
        // Exactly 0.785 belongs to no sector.
        {&leftBow, 0.785f, {}},
        {&bothBows, 0.785f, {0, 1}},
        {&leftBow, 3.0f, {7}},
        {&leftBow, -3.1416f, {7}},
        {&leftBow, -1.5f, {2, 3}},
        {&leftBow, 1.5f, {6, 7}},
        {&bothBows, 1.0f, {5, 6, 0, 1}},
    };
    for (const Case& c : cases) EXPECT_EQ(CandidateTargetGroups(*c.ship, c.angle), c.groups) << c.angle;

    // A bow gun that already fired is not offered ahead.
    EXPECT_TRUE(CandidateTargetGroups(Ship({}, {1, 0, 0, 0, 0, 0}, false), 0.0f).empty());
}

TEST(TargetRules, LastConfirmedCandidateWins) {
    const BattleDataBlock ship = Ship({1, 1}, {1, 2, 0, 1, 2, 0});
    EXPECT_EQ(ChooseTargetGroup(ship, 1.0f, [](int) { return true; }), 1);
    EXPECT_EQ(ChooseTargetGroup(ship, 1.0f, [](int g) { return g == 5 || g == 6; }), 6);
    EXPECT_EQ(ChooseTargetGroup(ship, 1.0f, [](int) { return false; }), -1);
}
