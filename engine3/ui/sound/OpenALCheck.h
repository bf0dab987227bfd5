#pragma once
// OpenAL's error flag belongs to the context, so a stale error would be blamed
// on the next call that is checked. Every checked call clears the flag first.
#include "platform/sound/SoundDevice.h"

#include <AL/al.h>

namespace Vorna3D {

// Clears the context's error flag.
inline void ClearALError() { alGetError(); }

// The text of an OpenAL error code, for log lines.
inline const char* ALErrorText(ALenum error) { return Platform::OpenALErrorText(error); }

} // namespace Vorna3D
