#include "platform/window/DirectInput.h"

#include "platform/window/InputState.h"

#include <SDL.h>

#include <cstring>
#include <vector>

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID DIPROP_BUFFERSIZE_ID = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

const DIDATAFORMAT c_dfDIKeyboard = {24, 16, 0x2, 256, 256, nullptr};
const DIDATAFORMAT c_dfDIMouse = {24, 16, 0x2, sizeof(DIMOUSESTATE), 7, nullptr};

namespace {

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

struct Failure {
    Platform::DIStep step;
    Platform::DIDeviceKind kind;
    HRESULT hr;
    int count;
};

std::vector<Failure>& Failures() {
    static std::vector<Failure>& failures = *new std::vector<Failure>;
    return failures;
}

// Whether a test asked this call to fail, and with what.
bool Injected(Platform::DIStep step, Platform::DIDeviceKind kind, HRESULT* hr) {
    for (auto& f : Failures()) {
        if (f.step != step || f.count == 0) continue;
        if (f.kind != Platform::DIDeviceKind::Any && f.kind != kind) continue;
        if (f.count > 0) --f.count;
        *hr = f.hr;
        return true;
    }
    return false;
}

class Device final : public IDirectInputDevice8A {
public:
    explicit Device(Platform::DIDeviceKind kind) : m_kind(kind) {}

    HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
        HRESULT hr;
        if (Injected(Platform::DIStep::SetDataFormat, m_kind, &hr)) return hr;
        if (m_acquired) return DIERR_ACQUIRED;
        const DIDATAFORMAT* expected = m_kind == Platform::DIDeviceKind::Keyboard ? &c_dfDIKeyboard : &c_dfDIMouse;
        if (format != expected) return DIERR_INVALIDPARAM;
        m_format = format;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(HWND hWnd, DWORD flags) override {
        HRESULT hr;
        if (Injected(Platform::DIStep::SetCooperativeLevel, m_kind, &hr)) return hr;
        bool exclusive = flags & DISCL_EXCLUSIVE, nonexclusive = flags & DISCL_NONEXCLUSIVE;
        bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
        if (!IsWindow(hWnd) || exclusive == nonexclusive || foreground == background) return DIERR_INVALIDPARAM;
        m_window = hWnd;
        m_foreground = foreground;
        return DI_OK;
    }

    HRESULT SetProperty(REFGUID prop, const DIPROPHEADER* header) override {
        HRESULT hr;
        if (Injected(Platform::DIStep::SetProperty, m_kind, &hr)) return hr;
        if (&prop != &DIPROP_BUFFERSIZE || !header || header->dwSize != sizeof(DIPROPDWORD) ||
            header->dwHeaderSize != sizeof(DIPROPHEADER))
            return DIERR_INVALIDPARAM;
        if (m_acquired) return DIERR_ACQUIRED;
        m_bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }

    HRESULT Acquire() override {
        HRESULT hr;
        if (Injected(Platform::DIStep::Acquire, m_kind, &hr)) return hr;
        if (!m_format || !m_window) return DIERR_INVALIDPARAM;
        if (m_acquired && !Lost()) return DI_NOEFFECT;
        if (m_foreground && !Platform::Detail::WindowFocused(m_window)) {
            m_acquired = false;
            return DIERR_OTHERAPPHASPRIO;
        }
        m_acquired = true;
        m_lossMark = Platform::Detail::WindowFocusLosses(m_window);
        // Motion and presses made while the device was not acquired are not
        // its own.
        StartAfresh();
        return DI_OK;
    }

    HRESULT Unacquire() override {
        if (!m_acquired) return DI_NOEFFECT;
        m_acquired = false;
        return DI_OK;
    }

    HRESULT GetDeviceState(DWORD size, LPVOID data) override {
        HRESULT hr;
        if (Injected(Platform::DIStep::GetDeviceState, m_kind, &hr)) return hr;
        if (!m_acquired) return DIERR_NOTACQUIRED;
        if (Lost()) {
            m_acquired = false;
            return DIERR_INPUTLOST;
        }
        if (!data || !m_format || size != m_format->dwDataSize) return DIERR_INVALIDPARAM;
        auto& in = Platform::Detail::Input();
        if (m_resets != in.resets) {
            // The state started again from nothing since this device's last
            // read: what came after the reset is news to it.
            std::memset(m_keyPresses, 0, sizeof(m_keyPresses));
            std::memset(m_buttonPresses, 0, sizeof(m_buttonPresses));
            m_readX = m_readY = m_readZ = 0;
            m_resets = in.resets;
        }
        if (m_kind == Platform::DIDeviceKind::Keyboard) {
            BYTE keys[256];
            for (int k = 0; k < 256; ++k) keys[k] = Seen(in.keys[k], in.keyPresses[k], &m_keyPresses[k]);
            std::memcpy(data, keys, sizeof(keys));
        } else {
            DIMOUSESTATE state{};
            state.lX = static_cast<LONG>(in.sumX - m_readX);
            state.lY = static_cast<LONG>(in.sumY - m_readY);
            state.lZ = static_cast<LONG>(in.sumZ - m_readZ);
            for (int b = 0; b < 4; ++b) state.rgbButtons[b] = Seen(in.buttons[b], in.buttonPresses[b], &m_buttonPresses[b]);
            m_readX = in.sumX;
            m_readY = in.sumY;
            m_readZ = in.sumZ;
            std::memcpy(data, &state, sizeof(state));
        }
        return DI_OK;
    }

    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

private:
    // The state a read reports: down while held, and down too when pressed
    // since the last read (a press released before this read); one state a
    // read, so a release shows at a later read.
    static BYTE Seen(BYTE state, DWORD presses, DWORD* seenPresses) {
        const bool pressedSince = presses != *seenPresses;
        *seenPresses = presses;
        return (state || pressedSince) ? 0x80 : 0;
    }

    void StartAfresh() {
        const auto& in = Platform::Detail::Input();
        m_readX = in.sumX;
        m_readY = in.sumY;
        m_readZ = in.sumZ;
        std::memcpy(m_keyPresses, in.keyPresses, sizeof(m_keyPresses));
        std::memcpy(m_buttonPresses, in.buttonPresses, sizeof(m_buttonPresses));
        m_resets = in.resets;
    }

    // A foreground device loses its acquisition when its window loses focus
    // (or goes away).
    bool Lost() const {
        if (!IsWindow(m_window)) return true;
        if (!m_foreground) return false;
        return !Platform::Detail::WindowFocused(m_window) ||
               Platform::Detail::WindowFocusLosses(m_window) != m_lossMark;
    }

    Platform::DIDeviceKind m_kind;
    ULONG m_refs = 1;
    const DIDATAFORMAT* m_format = nullptr;
    HWND m_window = nullptr;
    bool m_foreground = false;
    bool m_acquired = false;
    DWORD m_lossMark = 0;
    DWORD m_bufferSize = 0;
    long long m_readX = 0, m_readY = 0, m_readZ = 0;
    DWORD m_keyPresses[256] = {};
    DWORD m_buttonPresses[4] = {};
    DWORD m_resets = 0;
};

class DirectInput final : public IDirectInput8A {
public:
    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN) override {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        Platform::DIDeviceKind kind;
        if (SameGuid(guid, GUID_SysKeyboard)) kind = Platform::DIDeviceKind::Keyboard;
        else if (SameGuid(guid, GUID_SysMouse)) kind = Platform::DIDeviceKind::Mouse;
        else return DIERR_DEVICENOTREG;
        HRESULT hr;
        if (Injected(Platform::DIStep::CreateDevice, kind, &hr)) return hr;
        *device = new Device(kind);
        return DI_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

private:
    ULONG m_refs = 1;
};

} // namespace

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    HRESULT hr;
    if (Injected(Platform::DIStep::Create, Platform::DIDeviceKind::Any, &hr)) return hr;
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    if (!SameGuid(iid, IID_IDirectInput8A)) return E_NOINTERFACE;
    if (!Platform::EnsureVideo()) return DIERR_GENERIC;
    *out = static_cast<IDirectInput8A*>(new DirectInput);
    return DI_OK;
}

namespace Platform {

void FailDirectInputStep(DIStep step, DIDeviceKind kind, HRESULT hr, int count) {
    Failures().push_back(Failure{step, kind, hr, count});
}

void ClearDirectInputFailures() { Failures().clear(); }

void ResetInputState() {
    const DWORD resets = Detail::Input().resets;
    Detail::Input() = Detail::SystemInput{};
    Detail::Input().resets = resets + 1;
    Detail::ForgetRepeatGateAsks();
}

} // namespace Platform
