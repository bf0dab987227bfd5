#include "platform/sound/Listener.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float Dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A camera turned to any yaw: a sound placed on its right (left-handed: up x
// forward) must lie on OpenAL's right of the listener (at x up), and a sound
// ahead must lie ahead.
TEST(ListenerTest, ASoundOnTheCameraRightIsHeardOnTheRightAtEveryYaw) {
    for (const float yaw : {0.0f, 1.5707964f, 3.1415927f, -1.5707964f, 0.7f}) {
        SCOPED_TRACE(yaw);
        const float eye[3] = {5.0f, 2.0f, -3.0f};
        const float forward[3] = {std::sin(yaw), 0.0f, std::cos(yaw)};
        const float lookAt[3] = {eye[0] + 4.0f * forward[0], eye[1], eye[2] + 4.0f * forward[2]};
        const float up[3] = {0.0f, 1.0f, 0.0f};
        float rightLH[3];
        Cross(up, forward, rightLH);
        const float source[3] = {eye[0] + 10.0f * rightLH[0], eye[1], eye[2] + 10.0f * rightLH[2]};
        const float ahead[3] = {eye[0] + 10.0f * forward[0], eye[1], eye[2] + 10.0f * forward[2]};

        float orientation[6];
        ASSERT_TRUE(Platform::ListenerOrientation(lookAt, eye, up, orientation));
        float alEye[3], alSource[3], alAhead[3], alRight[3];
        Platform::ToOpenAL(eye, alEye);
        Platform::ToOpenAL(source, alSource);
        Platform::ToOpenAL(ahead, alAhead);
        Cross(orientation, orientation + 3, alRight);
        const float toSource[3] = {alSource[0] - alEye[0], alSource[1] - alEye[1], alSource[2] - alEye[2]};
        const float toAhead[3] = {alAhead[0] - alEye[0], alAhead[1] - alEye[1], alAhead[2] - alEye[2]};
        EXPECT_NEAR(Dot(toSource, alRight), 10.0f, 1e-4f);
        EXPECT_NEAR(Dot(toSource, orientation), 0.0f, 1e-4f);
        EXPECT_NEAR(Dot(toAhead, orientation), 10.0f, 1e-4f);
        // The at-vector is a unit vector; the up vector goes over like a position.
        EXPECT_NEAR(Dot(orientation, orientation), 1.0f, 1e-5f);
        EXPECT_FLOAT_EQ(orientation[4], 1.0f);
    }
}

TEST(ListenerTest, NoOrientationWithoutALookAtPointOrUpVectorOrDirection) {
    const float p[3] = {1.0f, 2.0f, 3.0f};
    const float up[3] = {0.0f, 1.0f, 0.0f};
    float out[6] = {7, 7, 7, 7, 7, 7};
    EXPECT_FALSE(Platform::ListenerOrientation(nullptr, p, up, out));
    EXPECT_FALSE(Platform::ListenerOrientation(p, p, nullptr, out));
    EXPECT_FALSE(Platform::ListenerOrientation(p, p, up, out));
    EXPECT_EQ(out[0], 7.0f);
}

} // namespace
