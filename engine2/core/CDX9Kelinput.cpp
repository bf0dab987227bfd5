#include "engine2/core/CDX9Kelinput.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"

#include <climits>
#include <cstring>

namespace Vorna2 {

CDX9Kelinput g_Input;

namespace {

void ReleaseDevice(LPDIRECTINPUTDEVICE8& device) {
    if (!device) return;
    device->Unacquire();
    device->Release();
    device = nullptr;
}

} // namespace

CDX9Kelinput::CDX9Kelinput() { m_ActiveRect = RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}; }

CDX9Kelinput::~CDX9Kelinput() { ReleaseDevices(); }

bool CDX9Kelinput::InputInit() {
    g_Log.Write(LOG_INFO, "CDX9Kelinput::InputInit(): ");
    void* out = nullptr;
    m_hr = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr);
    if (FAILED(m_hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", " Error : DirectInput8Create : ", DXGetErrorStringA(m_hr), "\n");
        return false;
    }
    m_pInput = static_cast<LPDIRECTINPUT8>(out);
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9Kelinput::FailDevice(const char* message) {
    g_Log.Write(LOG_ERROR, "%s%s%s", message, DXGetErrorStringA(m_hr), "\n");
    ReleaseDevices();
    return false;
}

bool CDX9Kelinput::KeyboardInit(HWND hWnd) {
    if (!m_pInput) return false;
    g_Log.Write(LOG_INFO, "CDX9Kelinput::KeyboardInit(): ");
    m_hr = m_pInput->CreateDevice(GUID_SysKeyboard, &m_pKeyboard, nullptr);
    if (FAILED(m_hr)) {
        m_pKeyboard = nullptr;
        return FailDevice("Error : m_pInput->CreateDevice : ");
    }
    m_hr = m_pKeyboard->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(m_hr)) return FailDevice("Error : m_pKeyboard->SetDataFormat : ");
    m_hr = m_pKeyboard->SetCooperativeLevel(hWnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(m_hr)) return FailDevice("Error : m_pKeyboard->SetCooperativeLevel : ");
    m_hWnd = hWnd;
    m_hr = m_pKeyboard->Acquire();
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9Kelinput::MouseInit(HWND hWnd) {
    if (!m_pInput) return false;
    g_Log.Write(LOG_INFO, "CDX9Kelinput::MouseInit(): ");
    m_hr = m_pInput->CreateDevice(GUID_SysMouse, &m_pMouse, nullptr);
    if (FAILED(m_hr)) {
        m_pMouse = nullptr;
        return FailDevice(" Error : m_pInput->CreateDevice : ");
    }
    m_hr = m_pMouse->SetDataFormat(&c_dfDIMouse);
    if (FAILED(m_hr)) return FailDevice(" Error : m_pMouse->SetDataFormat : ");
    m_hr = m_pMouse->SetCooperativeLevel(hWnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(m_hr)) return FailDevice(" Error : m_pMouse->SetCooperativeLevel : ");
    DIPROPDWORD prop{};
    prop.diph.dwSize = sizeof(DIPROPDWORD);
    prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    prop.diph.dwObj = 0;
    prop.diph.dwHow = DIPH_DEVICE;
    prop.dwData = kMouseBufferSize;
    m_hr = m_pMouse->SetProperty(DIPROP_BUFFERSIZE, &prop.diph);
    if (FAILED(m_hr)) {
        ReleaseDevices();
        return false;
    }
    m_hr = m_pMouse->Acquire();
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

void CDX9Kelinput::Poll() {
    if (!m_pKeyboard) return;
    m_hr = m_pKeyboard->GetDeviceState(sizeof m_KeyboardState, m_KeyboardState);
    if (FAILED(m_hr)) {
        // Keys held when the window lost focus would otherwise stay down
        // until it comes back.
        if (m_hWnd && !Platform::HasFocus(m_hWnd)) std::memset(m_KeyboardState, 0, sizeof m_KeyboardState);
        do {
            m_hr = m_pKeyboard->Acquire();
        } while (m_hr == DIERR_INPUTLOST);
        return;
    }
    if (!m_pMouse) return;
    m_hr = m_pMouse->GetDeviceState(sizeof m_MouseState, &m_MouseState);
    if (FAILED(m_hr)) {
        do {
            m_hr = m_pMouse->Acquire();
        } while (m_hr == DIERR_INPUTLOST);
    }
}

void CDX9Kelinput::ReadCursor(HWND hWnd) {
    POINT p{0, 0};
    GetCursorPos(&p);
    ScreenToClient(hWnd, &p);
    m_iCursorX = p.x;
    m_iCursorY = p.y;
}

bool CDX9Kelinput::InActiveRect() const {
    return m_iCursorX >= m_ActiveRect.left && m_iCursorX <= m_ActiveRect.right && m_iCursorY >= m_ActiveRect.top &&
           m_iCursorY <= m_ActiveRect.bottom;
}

std::string CDX9Kelinput::TakeTyped() {
    std::string typed;
    typed.swap(m_strTyped);
    return typed;
}

LRESULT CDX9Kelinput::OnWindowMessage(UINT message, HWND hWnd, WPARAM wParam) {
    // Losing focus releases every key and button, whatever the devices say
    // later: their releases go to the window that has the focus now.
    if (message == WM_KILLFOCUS) {
        std::memset(m_KeyboardState, 0, sizeof m_KeyboardState);
        m_MouseState = DIMOUSESTATE{};
        m_bLeftHeld = m_bRightHeld = m_bMiddleHeld = 0;
        m_fLeftDragX = m_fLeftDragY = m_fRightDragX = m_fRightDragY = 0.0f;
        m_iLeftDragOriginX = m_iLeftDragOriginY = m_iRightDragOriginX = m_iRightDragOriginY = 0;
    }
    if (!m_pMouse) return 0;
    GetClientRect(hWnd, &m_ClientRect);
    m_Char = 0;
    switch (message) {
    case WM_CHAR:
        m_Char = LOBYTE(wParam);
        if (m_strTyped.size() < kTypedLimit) m_strTyped.push_back(static_cast<char>(m_Char));
        return 0;
    case WM_MOUSEMOVE:
        ReadCursor(hWnd);
        if (m_bRightHeld) {
            m_fRightDragX = static_cast<float>(m_iCursorX - m_iRightDragOriginX);
            m_fRightDragY = static_cast<float>(m_iCursorY - m_iRightDragOriginY);
        }
        if (m_bLeftHeld) {
            m_fLeftDragX = static_cast<float>(m_iCursorX - m_iLeftDragOriginX);
            m_fLeftDragY = static_cast<float>(m_iCursorY - m_iLeftDragOriginY);
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
        ReadCursor(hWnd);
        if (InActiveRect()) {
            if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
                m_bLeftHeld = 1;
                m_iLeftDragOriginX = m_iCursorX;
                m_iLeftDragOriginY = m_iCursorY;
            } else if (message == WM_MBUTTONDOWN) {
                m_bMiddleHeld = 1;
            } else if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) {
                m_bRightHeld = 1;
                m_iRightDragOriginX = m_iCursorX;
                m_iRightDragOriginY = m_iCursorY;
            }
        }
        SetCapture(hWnd);
        break;
    case WM_LBUTTONUP:
        m_fLeftDragX = m_fLeftDragY = 0.0f;
        m_bLeftHeld = 0;
        m_iLeftDragOriginX = m_iLeftDragOriginY = 0;
        ReleaseCapture();
        break;
    case WM_RBUTTONUP:
        m_fRightDragX = m_fRightDragY = 0.0f;
        m_bRightHeld = 0;
        m_iRightDragOriginX = m_iRightDragOriginY = 0;
        ReleaseCapture();
        break;
    case WM_MBUTTONUP: m_bMiddleHeld = 0; break;
    case WM_MOUSEWHEEL: break;
    default: return 0;
    }
    // Every mouse message ends here: the wheel is the message's high word
    // (0 for all but the wheel). Mouse messages never type a character.
    m_fWheel = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam));
    return 0;
}

bool CDX9Kelinput::IsKeyPressedDelayed(BYTE keyCode, DWORD delayMs) {
    if (!IsKeyDown(keyCode)) return false;
    return CDX9KelUtils::IsTimePassedOn(m_dwKeyStamp, delayMs);
}

bool CDX9Kelinput::IsMouseClicked() {
    if (!m_bRightHeld) return false;
    return CDX9KelUtils::IsTimePassedOn(m_dwClickStamp, kClickDelayMs);
}

void CDX9Kelinput::ReleaseDevices() {
    ReleaseDevice(m_pKeyboard);
    ReleaseDevice(m_pMouse);
    if (m_pInput) {
        m_pInput->Release();
        m_pInput = nullptr;
    }
}

void CDX9Kelinput::Reset() {
    ReleaseDevices();
    m_hr = S_OK;
    std::memset(m_KeyboardState, 0, sizeof m_KeyboardState);
    m_dwKeyStamp = m_dwClickStamp = 0;
    m_Char = 0;
    m_strTyped.clear();
    m_MouseState = DIMOUSESTATE{};
    m_iCursorX = m_iCursorY = 0;
    m_fWheel = 0.0f;
    m_iRightDragOriginX = m_iRightDragOriginY = m_iLeftDragOriginX = m_iLeftDragOriginY = 0;
    m_fRightDragX = m_fRightDragY = m_fLeftDragX = m_fLeftDragY = 0.0f;
    m_ActiveRect = RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    m_ClientRect = RECT{};
    m_bLeftHeld = m_bMiddleHeld = m_bRightHeld = 0;
    m_hWnd = nullptr;
}

} // namespace Vorna2
