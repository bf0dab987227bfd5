#pragma once
// DirectInput 8 as the engines use it: the system keyboard and mouse, read as
// immediate device state. The state is built from the keyboard and mouse
// events that the message loop (PeekMessageA) has taken, so it moves only as
// the program processes its messages. Main thread only.
#include "platform/os/WinTypes.h"
#include "platform/window/DirectInputCodes.h"
#include "platform/window/Window.h"

class IUnknown;
using LPUNKNOWN = IUnknown*;

extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
extern const GUID IID_IDirectInput8A;
#define IID_IDirectInput8 IID_IDirectInput8A

#define DIRECTINPUT_VERSION 0x0800

// Data formats: only the two standard ones exist.
struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    const void* rgodf;
};
extern const DIDATAFORMAT c_dfDIKeyboard; // 256 bytes, one per DIK code, bit 7 = down
extern const DIDATAFORMAT c_dfDIMouse;    // DIMOUSESTATE, 16 bytes

// Cooperative levels.
#define DISCL_EXCLUSIVE 0x00000001u
#define DISCL_NONEXCLUSIVE 0x00000002u
#define DISCL_FOREGROUND 0x00000004u
#define DISCL_BACKGROUND 0x00000008u
#define DISCL_NOWINKEY 0x00000010u

// Properties.
struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
#define DIPH_DEVICE 0
// Property ids: SetProperty tells them apart by address.
extern const GUID DIPROP_BUFFERSIZE_ID;
#define DIPROP_BUFFERSIZE DIPROP_BUFFERSIZE_ID

// The mouse record: relative motion since the last read (z: the wheel, 120
// per notch) and buttons 0 left, 1 right, 2 middle, 3 first extra, 0x80 down.
struct DIMOUSESTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[4];
};

class IDirectInputDevice8A {
public:
    // SetDataFormat: c_dfDIKeyboard for a keyboard, c_dfDIMouse for a mouse;
    // anything else is DIERR_INVALIDPARAM. Refused while acquired.
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    // SetCooperativeLevel: needs a live window and exactly one of
    // NONEXCLUSIVE/EXCLUSIVE and of FOREGROUND/BACKGROUND.
    virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD flags) = 0;
    // SetProperty: DIPROP_BUFFERSIZE is kept (buffered data is not offered).
    virtual HRESULT SetProperty(REFGUID prop, const DIPROPHEADER* header) = 0;
    // Acquire: DI_OK, S_FALSE when already acquired, DIERR_INVALIDPARAM
    // without a data format or cooperative level, DIERR_OTHERAPPHASPRIO for a
    // foreground device whose window lacks focus.
    virtual HRESULT Acquire() = 0;
    // Unacquire: DI_OK, or DI_NOEFFECT when it was not acquired.
    virtual HRESULT Unacquire() = 0;
    // GetDeviceState: copies the state (the size must match the data
    // format). A foreground device whose window lost focus since it was
    // acquired loses the acquisition: DIERR_INPUTLOST once, then
    // DIERR_NOTACQUIRED until acquired again.
    virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IDirectInputDevice8A() = default;
};
using IDirectInputDevice8 = IDirectInputDevice8A;
using LPDIRECTINPUTDEVICE8 = IDirectInputDevice8A*;
using LPDIRECTINPUTDEVICE8A = IDirectInputDevice8A*;

class IDirectInput8A {
public:
    // CreateDevice: GUID_SysKeyboard or GUID_SysMouse; anything else is
    // DIERR_DEVICENOTREG. The new device has a reference count of 1.
    virtual HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IDirectInput8A() = default;
};
using IDirectInput8 = IDirectInput8A;
using LPDIRECTINPUT8 = IDirectInput8A*;
using LPDIRECTINPUT8A = IDirectInput8A*;

// DirectInput8Create: version 0x0800 and IID_IDirectInput8 only
// (DIERR_BETADIRECTINPUTVERSION / DIERR_OLDDIRECTINPUTVERSION, E_NOINTERFACE
// otherwise); the video system must start (DIERR_GENERIC otherwise).
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer);

namespace Platform {

// The DIK code of an SDL scancode (SDL_Scancode value); 0 when it has none.
BYTE DikFromScancode(int scancode);
// The SDL scancode of a DIK code; 0 (unknown) when it has none.
int ScancodeFromDik(BYTE dik);

// Failure injection for tests: the next `count` calls (-1: every call) of a
// step on the given device kind return `hr` instead of doing their work.
enum class DIStep { Create, CreateDevice, SetDataFormat, SetCooperativeLevel, SetProperty, Acquire, GetDeviceState };
enum class DIDeviceKind { Any, Keyboard, Mouse };
void FailDirectInputStep(DIStep step, DIDeviceKind kind, HRESULT hr, int count = -1);
void ClearDirectInputFailures();
// Releases the keys and buttons held in the device state and forgets pending
// motion and presses, and what the repeat gates last saw (for tests).
void ResetInputState();

} // namespace Platform
