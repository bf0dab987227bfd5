#pragma once
// The one input state of the program. Two sources meet here: the DirectInput
// keyboard (256 key bytes, bit 7 = down) and mouse (relative motion and
// buttons), read once per frame by Update, and the main window's messages
// (cursor position, button presses with their drag origins, the wheel and the
// typed character), fed in by the window procedure. Every consumer reads the
// same fields; nothing is queued. Main thread only.
#include "platform/os/WinTypes.h"
#include "platform/window/DirectInput.h"
#include "platform/window/Window.h"

#include <string>

namespace Vorna3D {

class CDX9KelInput {
public:
    CDX9KelInput();
    ~CDX9KelInput();
    CDX9KelInput(const CDX9KelInput&) = delete;
    CDX9KelInput& operator=(const CDX9KelInput&) = delete;

    // Creates the DirectInput interface; E_FAIL (logged) when that fails.
    HRESULT InputInit();
    // The system keyboard / mouse for the window, non-exclusive and only
    // while the window has the focus. A failed step is logged, everything
    // made so far is released (as Release) and the result is false. A mouse
    // whose buffer size cannot be set is kept unacquired and counts as set up.
    bool KeyboardInit(HWND hWnd);
    bool MouseInit(HWND hWnd);
    // Per frame: reads the keyboard, then (when that worked) the mouse. A
    // device that failed is acquired again once, for the next frame. When the
    // window lost the focus the keys and the mouse record read as released;
    // after any other failure they keep their last values.
    void Update();
    // Called by the window procedure for every message; always 0.
    LRESULT HandleWindowMessage(HWND hWnd, UINT message, WPARAM wParam);
    // Key-repeat gates on timeGetTime, each with its own stamp: an unarmed
    // gate arms and answers true; an armed one answers false and disarms once
    // more than `interval` ms have passed since it was armed; a new press
    // after the interval goes through at once. Gate 2 paces the up and down
    // arrows, gate 3 left and right; the game scene uses gate 1.
    bool CheckRepeatDelay1(DWORD interval);
    bool CheckRepeatDelay2(DWORD interval);
    bool CheckRepeatDelay3(DWORD interval);
    // Whether the key is down at this frame's read and was up at the read
    // before (a new press, however short).
    bool WentDown(BYTE dik) const { return (m_KeyboardState[dik] & 0x80) && !(m_PreviousKeyboardState[dik] & 0x80); }
    // Unacquires and releases the keyboard, the mouse and the interface, and
    // forgets characters not yet taken.
    void Release();

    LPDIRECTINPUT8 m_pInput = nullptr;
    LPDIRECTINPUTDEVICE8 m_pKeyboard = nullptr;
    LPDIRECTINPUTDEVICE8 m_pMouse = nullptr;
    HRESULT m_hr = S_OK;
    BYTE m_KeyboardState[256] = {};
    BYTE m_PreviousKeyboardState[256] = {}; // as the read before left it
    DWORD m_dwRepeatTime1 = 0;
    DWORD m_dwRepeatTime2 = 0;
    DWORD m_dwRepeatTime3 = 0;
    // The character of the last WM_CHAR (code page 1251); any other message
    // sets it back to 0.
    BYTE m_cChar = 0;
    // Every character typed since the GUI last took them, in order, each
    // kept once however many frames pass (at most kTypedLimit; later ones
    // are dropped until they are taken).
    std::string m_strTyped;
    static constexpr size_t kTypedLimit = 64;
    // Hands over the typed characters and forgets them.
    std::string TakeTyped();
    DIMOUSESTATE m_MouseState = {};
    LONG m_iCursorX = 0;
    LONG m_iCursorY = 0;
    // The wheel delta of the last mouse message (120 per notch); the engine
    // clears it after every frame.
    float m_fWheel = 0.0f;
    LONG m_iRightOriginX = 0;
    LONG m_iRightOriginY = 0;
    LONG m_iLeftOriginX = 0;
    LONG m_iLeftOriginY = 0;
    float m_fRightDeltaX = 0.0f;
    float m_fRightDeltaY = 0.0f;
    float m_fLeftDeltaX = 0.0f;
    float m_fLeftDeltaY = 0.0f;
    RECT m_rcClick;
    RECT m_rcClient = {};
    bool m_bLeftDown = false;
    bool m_bMiddleDown = false;
    bool m_bRightDown = false;

private:
    static bool CheckRepeatDelay(DWORD& stamp, DWORD interval);
    void LogFailure(const char* what);
};

// The program's input.
extern CDX9KelInput g_Input;

} // namespace Vorna3D
