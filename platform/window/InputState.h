#pragma once
// Shared between the message loop and the DirectInput devices (not for use
// outside platform/window): the system keyboard and mouse as the processed
// events left them, and the focus history of each window.
#include "platform/os/WinTypes.h"

namespace Platform::Detail {

struct SystemInput {
    BYTE keys[256] = {};       // by DIK code, 0x80 = down
    BYTE buttons[4] = {};      // 0 left, 1 right, 2 middle, 3 first extra
    // How often each key and button has gone down: a device reports one
    // pressed since its last read as down for that read, however short the
    // press was.
    DWORD keyPresses[256] = {};
    DWORD buttonPresses[4] = {};
    DWORD allPresses = 0; // keys and buttons together
    // How often the state was reset: a device that read before a reset
    // starts afresh from it.
    DWORD resets = 0;
    long long sumX = 0;        // running totals of relative motion; devices
    long long sumY = 0;        // read the difference since their last read
    long long sumZ = 0;
};

SystemInput& Input();

// Forgets what the repeat gates saw when last asked (with a reset of the
// input state).
void ForgetRepeatGateAsks();

// Whether the window is live and focused, and how often it has lost focus
// (a device acquired before the last loss has lost its acquisition).
bool WindowFocused(HWND hWnd);
DWORD WindowFocusLosses(HWND hWnd);

} // namespace Platform::Detail
