#pragma once
// Message boxes. Texts are code page 1251 bytes. A box blocks the calling
// thread until it is closed, so without a screen to show it on (headless runs
// and tests) the text goes to the standard error stream instead and the call
// returns at once.
#include "platform/os/WinTypes.h"

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ICONERROR 0x00000010u
#define MB_ICONHAND MB_ICONERROR
#define MB_ICONWARNING 0x00000030u
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2

// MessageBoxA: shows `text` under `caption` (null caption: "Error") with one
// OK button and returns IDOK; IDCANCEL when the box could not be shown and
// nothing was written. The icon bits of `type` pick the box's kind; the
// owner window is not used.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

namespace Platform {

// True when no box can be shown: VORNA_HEADLESS is set (to anything but
// "0"), SDL_VIDEODRIVER is "offscreen" or "dummy", or there is neither a
// DISPLAY nor a WAYLAND_DISPLAY.
bool IsHeadless();

} // namespace Platform
