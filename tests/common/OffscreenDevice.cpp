#include "OffscreenDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace VornaTest {

namespace {

constexpr const char* kWindowClass = "VornaTestOffscreen";

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

} // namespace

void UseHeadlessDrivers() {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
}

bool OffscreenDevice::Create(int width, int height, D3DFORMAT depth) {
    UseHeadlessDrivers();
    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D) return false;
    static const bool registered = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = kWindowClass;
        return RegisterClassExA(&wc) != 0;
    }();
    if (!registered) return false;
    m_hWnd = CreateWindowExA(0, kWindowClass, "offscreen", WS_OVERLAPPED, 0, 0, width, height, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (!m_hWnd) return false;
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = depth;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    pp.hDeviceWindow = m_hWnd;
    pp.BackBufferWidth = static_cast<UINT>(width);
    pp.BackBufferHeight = static_cast<UINT>(height);
    m_pp = pp;
    if (m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_hWnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &m_pp,
                             &m_pDevice) != D3D_OK) {
        m_pDevice = nullptr;
        return false;
    }
    return true;
}

OffscreenDevice::~OffscreenDevice() {
    SafeReleaseCom(m_pDevice);
    SafeReleaseCom(m_pD3D);
    if (m_hWnd) DestroyWindow(m_hWnd);
}

std::vector<DWORD> OffscreenDevice::Pixels() {
    std::vector<DWORD> px(size_t(m_pp.BackBufferWidth) * m_pp.BackBufferHeight);
    const bool read = m_pDevice && Platform::ReadBackBuffer(m_pDevice, 0, 0, static_cast<int>(m_pp.BackBufferWidth),
                                                            static_cast<int>(m_pp.BackBufferHeight), px.data());
    if (!read) ADD_FAILURE() << "the back buffer could not be read";
    return px;
}

} // namespace VornaTest
