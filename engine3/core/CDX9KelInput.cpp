#include "engine3/core/CDX9KelInput.h"

#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Clock.h"
#include "platform/window/RepeatGate.h"

#include <climits>
#include <cstring>

namespace Vorna3D {

CDX9KelInput g_Input;

namespace {

// Both mean the window no longer has the focus (the acquisition was taken
// away, or could not be had again while in the background).
bool LostFocus(HRESULT hr) { return hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED; }

bool InsideRect(const RECT& r, LONG x, LONG y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

} // namespace

CDX9KelInput::CDX9KelInput() {
    m_rcClick = RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    POINT pt{0, 0};
    GetCursorPos(&pt);
    m_iCursorX = pt.x;
    m_iCursorY = pt.y;
}

CDX9KelInput::~CDX9KelInput() { Release(); }

void CDX9KelInput::LogFailure(const char* what) {
    g_Log.Write(LOG_ERROR, "%s%s%s", what, DXGetErrorStringA(m_hr), "\n");
}

HRESULT CDX9KelInput::InputInit() {
    g_Log.Write(LOG_INFO, "CDX9KelInput::InputInit(): ");
    m_hr = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8,
                              reinterpret_cast<LPVOID*>(&m_pInput), nullptr);
    if (FAILED(m_hr)) {
        LogFailure(" DirectInput8Create : ");
        return E_FAIL;
    }
    g_Log.Write(LOG_TEXT, "OK\n");
    return S_OK;
}

bool CDX9KelInput::KeyboardInit(HWND hWnd) {
    if (!m_pInput) return false;
    g_Log.Write(LOG_INFO, "CDX9KelInput::KeyboardInit(): ");
    m_hr = m_pInput->CreateDevice(GUID_SysKeyboard, &m_pKeyboard, nullptr);
    if (FAILED(m_hr)) {
        LogFailure("m_pInput->CreateDevice : ");
        Release();
        return false;
    }
    m_hr = m_pKeyboard->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(m_hr)) {
        LogFailure("m_pKeyboard->SetDataFormat : ");
        Release();
        return false;
    }
    m_hr = m_pKeyboard->SetCooperativeLevel(hWnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(m_hr)) {
        LogFailure("m_pKeyboard->SetCooperativeLevel : ");
        Release();
        return false;
    }
    // Without the focus this fails; Update acquires again.
    m_hr = m_pKeyboard->Acquire();
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelInput::MouseInit(HWND hWnd) {
    if (!m_pInput) return false;
    g_Log.Write(LOG_INFO, "CDX9KelInput::MouseInit(): ");
    m_hr = m_pInput->CreateDevice(GUID_SysMouse, &m_pMouse, nullptr);
    if (FAILED(m_hr)) {
        LogFailure(" Error : m_pInput->CreateDevice : ");
        Release();
        return false;
    }
    m_hr = m_pMouse->SetDataFormat(&c_dfDIMouse);
    if (FAILED(m_hr)) {
        LogFailure(" Error : m_pMouse->SetDataFormat : ");
        Release();
        return false;
    }
    m_hr = m_pMouse->SetCooperativeLevel(hWnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(m_hr)) {
        LogFailure(" Error : m_pMouse->SetCooperativeLevel : ");
        Release();
        return false;
    }
    DIPROPDWORD prop{};
    prop.diph.dwSize = sizeof(DIPROPDWORD);
    prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    prop.diph.dwObj = 0;
    prop.diph.dwHow = DIPH_DEVICE;
    prop.dwData = 16;
    m_hr = m_pMouse->SetProperty(DIPROP_BUFFERSIZE, &prop.diph);
    // The mouse stays; Update acquires it on the first frame.
    if (FAILED(m_hr)) return true;
    m_hr = m_pMouse->Acquire();
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

void CDX9KelInput::Update() {
    if (!m_pKeyboard) return;
    std::memcpy(m_PreviousKeyboardState, m_KeyboardState, sizeof(m_KeyboardState));
    m_hr = m_pKeyboard->GetDeviceState(sizeof(m_KeyboardState), m_KeyboardState);
    if (FAILED(m_hr)) {
        // Keys held when the focus went elsewhere would otherwise stay down
        // while the program runs in the background.
        if (LostFocus(m_hr)) {
            std::memset(m_KeyboardState, 0, sizeof(m_KeyboardState));
            m_MouseState = DIMOUSESTATE{};
        }
        // One attempt per frame; the next frame tries again.
        m_hr = m_pKeyboard->Acquire();
        return;
    }
    if (!m_pMouse) return;
    DIMOUSESTATE state{};
    m_hr = m_pMouse->GetDeviceState(sizeof(DIMOUSESTATE), &state);
    if (FAILED(m_hr)) {
        if (LostFocus(m_hr)) m_MouseState = DIMOUSESTATE{};
        m_hr = m_pMouse->Acquire();
        return;
    }
    m_MouseState = state;
}

std::string CDX9KelInput::TakeTyped() {
    std::string typed;
    typed.swap(m_strTyped);
    return typed;
}

LRESULT CDX9KelInput::HandleWindowMessage(HWND hWnd, UINT message, WPARAM wParam) {
    if (!m_pMouse) return 0;
    GetClientRect(hWnd, &m_rcClient);
    m_cChar = 0;
    POINT pt{0, 0};
    switch (message) {
    case WM_CHAR:
        m_cChar = LOBYTE(wParam);
        if (m_strTyped.size() < kTypedLimit) m_strTyped.push_back(static_cast<char>(m_cChar));
        return 0;
    case WM_MOUSEMOVE:
        GetCursorPos(&pt);
        ScreenToClient(hWnd, &pt);
        m_iCursorX = pt.x;
        m_iCursorY = pt.y;
        if (m_bRightDown) {
            m_fRightDeltaX = static_cast<float>(m_iCursorX - m_iRightOriginX);
            m_fRightDeltaY = static_cast<float>(m_iCursorY - m_iRightOriginY);
        }
        if (m_bLeftDown) {
            m_fLeftDeltaX = static_cast<float>(m_iCursorX - m_iLeftOriginX);
            m_fLeftDeltaY = static_cast<float>(m_iCursorY - m_iLeftOriginY);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        GetCursorPos(&pt);
        ScreenToClient(hWnd, &pt);
        if (InsideRect(m_rcClick, pt.x, pt.y)) {
            m_bLeftDown = true;
            m_iLeftOriginX = pt.x;
            m_iLeftOriginY = pt.y;
        }
        SetCapture(hWnd);
        break;
    case WM_MBUTTONDOWN:
        GetCursorPos(&pt);
        ScreenToClient(hWnd, &pt);
        if (InsideRect(m_rcClick, pt.x, pt.y)) m_bMiddleDown = true;
        SetCapture(hWnd);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        GetCursorPos(&pt);
        ScreenToClient(hWnd, &pt);
        m_bRightDown = true;
        m_iRightOriginX = pt.x;
        m_iRightOriginY = pt.y;
        SetCapture(hWnd);
        break;
    case WM_LBUTTONUP:
        m_fLeftDeltaX = m_fLeftDeltaY = 0.0f;
        m_bLeftDown = false;
        m_iLeftOriginX = m_iLeftOriginY = 0;
        ReleaseCapture();
        break;
    case WM_RBUTTONUP:
        m_fRightDeltaX = m_fRightDeltaY = 0.0f;
        m_bRightDown = false;
        m_iRightOriginX = m_iRightOriginY = 0;
        ReleaseCapture();
        break;
    case WM_MBUTTONUP:
        // The capture stays, as it always has for the middle button.
        m_bMiddleDown = false;
        break;
    case WM_MOUSEWHEEL:
        break;
    case WM_KILLFOCUS:
        // The releases of buttons held now go to the window that has the
        // focus: every button counts as let go.
        m_bLeftDown = m_bMiddleDown = m_bRightDown = false;
        m_fLeftDeltaX = m_fLeftDeltaY = m_fRightDeltaX = m_fRightDeltaY = 0.0f;
        m_iLeftOriginX = m_iLeftOriginY = m_iRightOriginX = m_iRightOriginY = 0;
        return 0;
    default:
        // A middle double-click lands here too and is ignored entirely.
        return 0;
    }
    // The wheel delta sits in the high word of the mouse messages (0 for all
    // but the wheel). The low word holds button flags, not a character, so the
    // character stays 0.
    m_fWheel = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam));
    return 0;
}

bool CDX9KelInput::CheckRepeatDelay(DWORD& stamp, DWORD interval) { return Platform::PassRepeatGate(stamp, interval); }

bool CDX9KelInput::CheckRepeatDelay1(DWORD interval) { return CheckRepeatDelay(m_dwRepeatTime1, interval); }
bool CDX9KelInput::CheckRepeatDelay2(DWORD interval) { return CheckRepeatDelay(m_dwRepeatTime2, interval); }
bool CDX9KelInput::CheckRepeatDelay3(DWORD interval) { return CheckRepeatDelay(m_dwRepeatTime3, interval); }

void CDX9KelInput::Release() {
    if (m_pKeyboard) {
        m_pKeyboard->Unacquire();
        m_pKeyboard->Release();
        m_pKeyboard = nullptr;
    }
    if (m_pMouse) {
        m_pMouse->Unacquire();
        m_pMouse->Release();
        m_pMouse = nullptr;
    }
    if (m_pInput) {
        m_pInput->Release();
        m_pInput = nullptr;
    }
    m_strTyped.clear();
}

} // namespace Vorna3D
