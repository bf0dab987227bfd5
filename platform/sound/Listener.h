#pragma once
// The engines place sounds in left-handed coordinates (x right, y up, z into
// the screen); OpenAL's are right-handed. Positions and directions alike go
// over by negating z only, so what stands to the camera's right is heard on
// the right whichever way the camera turns.

namespace Platform {

// (x, y, z) -> (x, y, -z).
void ToOpenAL(const float in[3], float out[3]);

// The listener orientation for a camera at `position` looking at `lookAt`
// with the up vector `up`, in OpenAL's order (at x, y, z, up x, y, z). False
// (and `out` untouched) when the look-at point or the up vector is missing,
// or when the look-at point is the position itself.
bool ListenerOrientation(const float* lookAt, const float* position, const float* up, float out[6]);

// Sets the current context's AL_ORIENTATION from the camera as above; does
// nothing when ListenerOrientation is false.
void SetListenerOrientation(const float* lookAt, const float* position, const float* up);

} // namespace Platform
