#pragma once
// The player's movement orders for the active column: the rudder and speed
// sliders of the movement dialog, the speed that follows the order on a
// turning course, and whether a side still has a column that can move.
// A limit that is zero or negative in a description gives no order and no
// division: the sliders stay where they are and the column stands.
#include <cstddef>
#include <vector>

namespace VornaCampaign {

// The order values of a column.
struct ColumnOrder {
    // Speed limit, turning limit and acceleration limit.
    float m_fMaxSpeed = 0.0f;
    float m_fTurnLimit = 0.0f;
    float m_fAcceleration = 0.0f;
    // Current speed, rudder value and ordered speed.
    float m_fSpeed = 0.0f;
    float m_fRudder = 0.0f;
    float m_fOrderedSpeed = 0.0f;
};

// The rudder from its slider at position p of range n: -t at the left end,
// +t at the right. True when the order changed by at least 1/10000.
bool ApplyRudderSlider(int position, int range, ColumnOrder& order);
// The ordered speed from its slider at position p of range n (0 at the
// left end). True when it changed.
bool ApplySpeedSlider(int position, int range, ColumnOrder& order);
// The slider positions and the speed bar's percent that show an order.
int RudderSliderPosition(int range, const ColumnOrder& order);
int SpeedSliderPosition(int range, const ColumnOrder& order);
int SpeedPercent(const ColumnOrder& order);

// One frame of the speed following the order on a turning course, `dt`
// the progress of the column's first moving entry in this frame and
// `deceleration` the route finder's deceleration. A straight course is the
// column movement's business and is left alone.
void FollowOrderedSpeed(ColumnOrder& order, float dt, float deceleration);

// What decides whether a column can still move this turn.
struct ColumnMoveState {
    std::size_t m_uShips = 0;
    // The leader's float record exists and is inactive.
    bool m_bLeaderStranded = false;
    float m_fSpeed = 0.0f;
    float m_fMovementUsed = 0.0f;
};

// True when some column has time left: a lone stranded ship and a column
// slower than 0.2 do not count, and a column needs more than 8.0 of
// movement time left.
bool CanSideStillMove(const std::vector<ColumnMoveState>& columns, float turnMoveLimit);

} // namespace VornaCampaign
