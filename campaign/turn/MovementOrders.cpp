#include "campaign/turn/MovementOrders.h"

#include <cmath>

namespace VornaCampaign {

bool ApplyRudderSlider(int position, int range, ColumnOrder& order) {
    if (range <= 0) return false;
    const float t = order.m_fTurnLimit;
    const float r = 2.0f * static_cast<float>(position) * t / static_cast<float>(range) - t;
    if (std::trunc(r * 10000.0f) == std::trunc(order.m_fRudder * 10000.0f)) return false;
    order.m_fRudder = r;
    return true;
}

bool ApplySpeedSlider(int position, int range, ColumnOrder& order) {
    if (range <= 0) return false;
    float w = order.m_fMaxSpeed * static_cast<float>(position) / static_cast<float>(range);
    if (w < 0.0f || position == 0) w = 0.0f;
    if (w == order.m_fOrderedSpeed) return false;
    order.m_fOrderedSpeed = w;
    return true;
}

int RudderSliderPosition(int range, const ColumnOrder& order) {
    const float t = order.m_fTurnLimit;
    if (t <= 0.0f) return range / 2;
    return static_cast<int>(static_cast<float>(range) * (order.m_fRudder + t) / (2.0f * t));
}

int SpeedSliderPosition(int range, const ColumnOrder& order) {
    if (order.m_fMaxSpeed <= 0.0f) return 0;
    return static_cast<int>(order.m_fOrderedSpeed * static_cast<float>(range) / order.m_fMaxSpeed);
}

int SpeedPercent(const ColumnOrder& order) {
    if (order.m_fMaxSpeed <= 0.0f) return 0;
    return static_cast<int>(std::trunc(order.m_fSpeed * 100.0f / order.m_fMaxSpeed));
}

void FollowOrderedSpeed(ColumnOrder& order, float dt, float deceleration) {
    const float r = std::fabs(order.m_fRudder);
    if (r <= 0.0001f) return;
    float& v = order.m_fSpeed;
    const float w = order.m_fOrderedSpeed;
    if (v < w) {
        const float t = std::fabs(order.m_fTurnLimit);
        float rate = 0.0f;
        if (t == r)
            rate = order.m_fAcceleration * 0.05f;
        else if (t > 0.0f)
            rate = order.m_fAcceleration * 0.4f * (t - r) / t;
        v += dt * rate;
        if (v > w) v = w;
    } else if (v > w && v > 0.0f) {
        v -= dt * deceleration * 0.5f;
        if (v < 0.0f) v = 0.0f;
        if (v < w) v = w;
    }
}

bool CanSideStillMove(const std::vector<ColumnMoveState>& columns, float turnMoveLimit) {
    for (const ColumnMoveState& c : columns) {
        if (c.m_uShips == 1 && c.m_bLeaderStranded) continue;
        if (c.m_fSpeed < 0.2f) continue;
        if (c.m_fMovementUsed < turnMoveLimit - 8.0f) return true;
    }
    return false;
}

} // namespace VornaCampaign
