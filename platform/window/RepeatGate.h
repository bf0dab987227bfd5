#pragma once
// The "once per interval" gates the engines put on held keys and buttons.
// Main thread only.
#include "platform/os/WinTypes.h"

namespace Platform {

// A gate over `stamp` (milliseconds of timeGetTime, 0 = not armed), asked
// while a key or button is down. An unarmed gate arms and answers true; an
// armed one answers false and disarms once more than `interval` ms have
// passed since it was armed, so a held key goes through once a little more
// than every `interval`. A new press (a key or button that went down since
// the gate was last asked) goes through at once when the interval has
// passed, so a press seen by a single frame is never spent on disarming.
bool PassRepeatGate(DWORD& stamp, DWORD interval);

} // namespace Platform
