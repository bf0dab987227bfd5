// Firing positions on the circle of the firing distance around an enemy.
#include "campaign/ai/FiringPosition.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace VornaCampaign;

namespace {

float Dist(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

} // namespace

TEST(FiringPosition, FirstFreePointOfTheCircle) {
    const D3DXVECTOR3 enemy(0.0f, 0.0f, 0.0f), own(0.0f, 0.0f, -50.0f);
    CKelSeaObstacleField open;
    D3DXVECTOR3 pos, back;
    CalcFiringPosition(enemy, own, 20.0f, &open, 2.0f, nullptr, &pos, &back);
    // A quarter turn from the own ship's direction.
    EXPECT_NEAR(pos.x, -20.0f, 1e-4f);
    EXPECT_NEAR(pos.z, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(pos.y, 0.0f);
    // The fallback is 30 degrees further on the same circle.
    EXPECT_NEAR(Dist(back, enemy), 20.0f, 1e-3f);
    EXPECT_NEAR(Dist(back, pos), 2.0f * 20.0f * std::sin(0.2618f), 1e-2f);

    // An island on the first point: the next one, 30 degrees on.
    CKelSeaObstacleField island;
    island.AddCircle(-20.0f, 0.0f, 3.0f, 1);
    CalcFiringPosition(enemy, own, 20.0f, &island, 2.0f, nullptr, &pos, &back);
    EXPECT_NEAR(Dist(pos, enemy), 20.0f, 1e-3f);
    EXPECT_GT(Dist(pos, D3DXVECTOR3(-20.0f, 0.0f, 0.0f)), 4.0f);
    EXPECT_NEAR(Dist(pos, D3DXVECTOR3(-20.0f, 0.0f, 0.0f)), 2.0f * 20.0f * std::sin(0.2618f), 1e-2f);

    // Only points inside the map area count (unless running away).
    const MapArea east{0.0f, -100.0f, 100.0f, 100.0f};
    CalcFiringPosition(enemy, own, 20.0f, &open, 2.0f, &east, &pos, &back);
    EXPECT_TRUE(east.Contains(pos.x, pos.z));
    EXPECT_TRUE(east.Contains(back.x, back.z));
    EXPECT_NEAR(Dist(pos, enemy), 20.0f, 1e-3f);
}

TEST(FiringPosition, NoPosition) {
    const D3DXVECTOR3 enemy(5.0f, 0.0f, 5.0f), own(5.0f, 0.0f, -50.0f);
    D3DXVECTOR3 pos, back;
    CKelSeaObstacleField open;
    CalcFiringPosition(enemy, own, 1001.0f, &open, 2.0f, nullptr, &pos, &back);
    EXPECT_FLOAT_EQ(pos.y, -100.0f);
    CalcFiringPosition(enemy, own, 20.0f, nullptr, 2.0f, nullptr, &pos, &back);
    EXPECT_FLOAT_EQ(pos.y, -100.0f);

    // The whole circle under a shoal: height -1, fallback the own ship.
    CKelSeaObstacleField shoal;
    shoal.AddCircle(5.0f, 5.0f, 40.0f, 1);
    CalcFiringPosition(enemy, own, 20.0f, &shoal, 2.0f, nullptr, &pos, &back);
    EXPECT_FLOAT_EQ(pos.y, -1.0f);
    EXPECT_FLOAT_EQ(back.z, -50.0f);
    // Own ship on top of the enemy: a position is still found.
    CalcFiringPosition(enemy, enemy, 10.0f, &open, 2.0f, nullptr, &pos, &back);
    EXPECT_NEAR(Dist(pos, enemy), 10.0f, 1e-3f);
}
