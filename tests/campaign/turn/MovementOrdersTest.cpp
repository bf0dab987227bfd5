// The player's rudder and speed orders and the end-of-turn test.
#include "campaign/turn/MovementOrders.h"

#include <gtest/gtest.h>

using namespace VornaCampaign;

TEST(MovementOrders, Sliders) {
    ColumnOrder o;
    o.m_fMaxSpeed = 10.0f;
    o.m_fTurnLimit = 0.5f;
    o.m_fAcceleration = 1.0f;
    // The middle of the rudder slider is a straight course, the ends the limits.
    struct Case {
        int position;
        float rudder;
    };
    for (const Case& c : {Case{50, 0.0f}, Case{0, -0.5f}, Case{100, 0.5f}}) {
        o.m_fRudder = 0.3f;
        EXPECT_TRUE(ApplyRudderSlider(c.position, 100, o));
        EXPECT_FLOAT_EQ(o.m_fRudder, c.rudder);
        EXPECT_EQ(RudderSliderPosition(100, o), c.position);
    }
    // A change below 1/10000 is no new order.
    o.m_fRudder = 0.00004f;
    EXPECT_FALSE(ApplyRudderSlider(50, 100, o));
    EXPECT_FALSE(ApplyRudderSlider(50, 0, o));

    EXPECT_TRUE(ApplySpeedSlider(30, 100, o));
    EXPECT_FLOAT_EQ(o.m_fOrderedSpeed, 3.0f);
    EXPECT_FALSE(ApplySpeedSlider(30, 100, o));
    EXPECT_EQ(SpeedSliderPosition(100, o), 30);
    EXPECT_TRUE(ApplySpeedSlider(0, 100, o));
    EXPECT_FLOAT_EQ(o.m_fOrderedSpeed, 0.0f);  // a stop is a valid order
    o.m_fSpeed = 2.5f;
    EXPECT_EQ(SpeedPercent(o), 25);

    // A description without limits gives no division.
    ColumnOrder broken;
    EXPECT_EQ(SpeedPercent(broken), 0);
    EXPECT_EQ(SpeedSliderPosition(100, broken), 0);
    EXPECT_EQ(RudderSliderPosition(100, broken), 50);
}

TEST(MovementOrders, SpeedFollowsTheOrderWhileTurning) {
    ColumnOrder o;
    o.m_fMaxSpeed = 10.0f;
    o.m_fTurnLimit = 0.5f;
    o.m_fAcceleration = 2.0f;
    o.m_fOrderedSpeed = 5.0f;
    // Straight course: unchanged.
    FollowOrderedSpeed(o, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(o.m_fSpeed, 0.0f);
    // Half rudder: 2 x 0.4 x (0.5 - 0.25) / 0.5 = 0.4 per unit of progress.
    o.m_fRudder = -0.25f;
    FollowOrderedSpeed(o, 2.0f, 1.0f);
    EXPECT_FLOAT_EQ(o.m_fSpeed, 0.8f);
    // Full rudder: 2 x 0.05.
    o.m_fRudder = 0.5f;
    FollowOrderedSpeed(o, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(o.m_fSpeed, 0.9f);
    FollowOrderedSpeed(o, 1000.0f, 1.0f);
    EXPECT_FLOAT_EQ(o.m_fSpeed, 5.0f);  // never past the order
    // Slowing: half the route finder's deceleration, not below the order.
    o.m_fOrderedSpeed = 4.0f;
    FollowOrderedSpeed(o, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(o.m_fSpeed, 4.5f);
    FollowOrderedSpeed(o, 10.0f, 1.0f);
    EXPECT_FLOAT_EQ(o.m_fSpeed, 4.0f);
}

TEST(MovementOrders, SideCanStillMove) {
    const float limit = 300.0f;
    struct Case {
        const char* what;
        ColumnMoveState column;
        bool canMove;
    };
    const Case cases[] = {
        {"time left", {2, false, 1.0f, 100.0f}, true},
        {"exactly 8 left", {2, false, 1.0f, 292.0f}, false},
        {"slower than 0.2", {2, false, 0.19f, 0.0f}, false},
        {"lone stranded ship", {1, true, 1.0f, 0.0f}, false},
        {"stranded leader of two", {2, true, 1.0f, 0.0f}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(CanSideStillMove({c.column}, limit), c.canMove) << c.what;
    EXPECT_FALSE(CanSideStillMove({}, limit));
    EXPECT_TRUE(CanSideStillMove({cases[1].column, cases[0].column}, limit));
}
