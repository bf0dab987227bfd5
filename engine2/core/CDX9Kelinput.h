#pragma once
// The campaign's one input object. Once per frame Poll reads the DirectInput
// keyboard (256 bytes by key code, 0x80 = down) and mouse; in between, the
// window procedure hands every window message to OnWindowMessage, which
// follows the cursor, the held buttons with their drag distances, the wheel
// and the last typed character. The scene, the cameras, the GUI and the game
// read the fields directly. Main thread only.
#include "platform/os/WinTypes.h"
#include "platform/window/DirectInput.h"
#include "platform/window/Window.h"

#include <string>

namespace Vorna2 {

class CDX9Kelinput {
public:
    static constexpr DWORD kClickDelayMs = 200;
    static constexpr DWORD kMouseBufferSize = 16;

    CDX9Kelinput();
    ~CDX9Kelinput();
    CDX9Kelinput(const CDX9Kelinput&) = delete;
    CDX9Kelinput& operator=(const CDX9Kelinput&) = delete;

    // Creates DirectInput; logs and fails with the error's name.
    bool InputInit();
    // Create the devices for the main window. A failed step logs its error,
    // releases every device and DirectInput itself, and fails.
    bool KeyboardInit(HWND hWnd);
    bool MouseInit(HWND hWnd);
    // Reads the keyboard, then the mouse. A failed keyboard read acquires the
    // keyboard again (repeating while the input is reported lost) and skips
    // the mouse for this frame; the old key state stays, except that a
    // window without focus has every key released.
    void Poll();
    // Follows the window messages (see the class comment). Returns 0.
    LRESULT OnWindowMessage(UINT message, HWND hWnd, WPARAM wParam);
    // True once when the key is down and the key stamp is free; then false
    // until stamp + delay is below the current time, where one more false
    // frees the stamp.
    bool IsKeyPressedDelayed(BYTE keyCode, DWORD delayMs);
    // The same gate on the right button with its own stamp and 200 ms.
    bool IsMouseClicked();
    // Unacquires and releases keyboard and mouse, then DirectInput.
    void ReleaseDevices();
    // Back to the constructed state: devices released, every field cleared.
    void Reset();

    bool IsKeyDown(BYTE keyCode) const { return (m_KeyboardState[keyCode] & 0x80) != 0; }

    LPDIRECTINPUT8 m_pInput = nullptr;
    LPDIRECTINPUTDEVICE8 m_pKeyboard = nullptr;
    LPDIRECTINPUTDEVICE8 m_pMouse = nullptr;
    HRESULT m_hr = S_OK;
    BYTE m_KeyboardState[256] = {};
    DWORD m_dwKeyStamp = 0;
    BYTE m_Char = 0;
    // Every character typed since the GUI last took them, in order, each
    // kept once however many frames pass (at most kTypedLimit; later ones
    // are dropped until they are taken).
    std::string m_strTyped;
    static constexpr size_t kTypedLimit = 64;
    // Hands over the typed characters and forgets them.
    std::string TakeTyped();
    DIMOUSESTATE m_MouseState = {};
    int m_iCursorX = 0;
    int m_iCursorY = 0;
    float m_fWheel = 0.0f;
    int m_iRightDragOriginX = 0;
    int m_iRightDragOriginY = 0;
    int m_iLeftDragOriginX = 0;
    int m_iLeftDragOriginY = 0;
    float m_fRightDragX = 0.0f;
    float m_fRightDragY = 0.0f;
    float m_fLeftDragX = 0.0f;
    float m_fLeftDragY = 0.0f;
    RECT m_ActiveRect = {};
    RECT m_ClientRect = {};
    BYTE m_bLeftHeld = 0;
    BYTE m_bMiddleHeld = 0;
    BYTE m_bRightHeld = 0;
    DWORD m_dwClickStamp = 0;
    HWND m_hWnd = nullptr;

private:
    bool FailDevice(const char* message);
    void ReadCursor(HWND hWnd);
    bool InActiveRect() const;
};

// The one input object of the campaign.
extern CDX9Kelinput g_Input;

} // namespace Vorna2
