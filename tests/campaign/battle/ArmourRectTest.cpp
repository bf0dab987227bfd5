// The armour rectangle: every bound inclusive, top above bottom.
#include "campaign/battle/CDX9KelArmourRect.h"

#include <gtest/gtest.h>

#include <utility>

using namespace VornaCampaign;

TEST(ArmourRect, BoundsAreInclusive) {
    PartRect r;
    r.left = -2.0f;
    r.top = 5.0f;
    r.right = 3.0f;
    r.bottom = 1.0f;
    const struct {
        float x, y;
        bool inside;
    } cases[] = {
        {0.0f, 3.0f, true},   {-2.0f, 1.0f, true},  {3.0f, 5.0f, true},  {-2.01f, 3.0f, false},
        {3.01f, 3.0f, false}, {0.0f, 0.99f, false}, {0.0f, 5.01f, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsPointInArmourRect(&r, c.x, c.y), c.inside) << c.x << "," << c.y;
    EXPECT_FALSE(IsPointInArmourRect(nullptr, 0.0f, 3.0f));
    // A rectangle with top below bottom holds no point.
    std::swap(r.top, r.bottom);
    EXPECT_FALSE(IsPointInArmourRect(&r, 0.0f, 3.0f));
}
