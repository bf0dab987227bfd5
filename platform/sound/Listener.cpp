#include "platform/sound/Listener.h"

#include <AL/al.h>

#include <cmath>

namespace Platform {

void ToOpenAL(const float in[3], float out[3]) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = -in[2];
}

bool ListenerOrientation(const float* lookAt, const float* position, const float* up, float out[6]) {
    if (!lookAt || !up) return false;
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    const float* eye = position ? position : origin;
    const float d[3] = {lookAt[0] - eye[0], lookAt[1] - eye[1], lookAt[2] - eye[2]};
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    const float at[3] = {d[0] / length, d[1] / length, d[2] / length};
    ToOpenAL(at, out);
    ToOpenAL(up, out + 3);
    return true;
}

void SetListenerOrientation(const float* lookAt, const float* position, const float* up) {
    float orientation[6];
    if (ListenerOrientation(lookAt, position, up, orientation)) alListenerfv(AL_ORIENTATION, orientation);
}

} // namespace Platform
