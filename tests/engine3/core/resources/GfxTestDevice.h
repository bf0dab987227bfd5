#pragma once
// A small window and device on the offscreen GL driver, for tests that draw
// and read pixels back.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/window/Window.h"

namespace VornaTest {

class GfxDevice {
public:
    static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

    // Creates the device; `ok` is false when no GL context can be had.
    bool Create(int width = 128, int height = 128) {
        m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
        if (!m_pD3D)
            return false;
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "GfxResTestClass";
        RegisterClassExA(&wc);
        m_hWnd = CreateWindowExA(0, "GfxResTestClass", "gfxres", WS_OVERLAPPED, 0, 0, width, height, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!m_hWnd)
            return false;
        D3DPRESENT_PARAMETERS pp = {};
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        pp.hDeviceWindow = m_hWnd;
        pp.BackBufferWidth = static_cast<UINT>(width);
        pp.BackBufferHeight = static_cast<UINT>(height);
        m_pp = pp;
        return m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_hWnd, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &m_pp, &m_pDevice) == D3D_OK;
    }
    ~GfxDevice() {
        SafeReleaseCom(m_pDevice);
        SafeReleaseCom(m_pD3D);
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        UnregisterClassA("GfxResTestClass", GetModuleHandleA(nullptr));
    }
    std::vector<DWORD> Pixels() {
        std::vector<DWORD> px(size_t(m_pp.BackBufferWidth) * m_pp.BackBufferHeight);
        EXPECT_TRUE(Platform::ReadBackBuffer(m_pDevice, 0, 0, static_cast<int>(m_pp.BackBufferWidth),
                                             static_cast<int>(m_pp.BackBufferHeight), px.data()));
        return px;
    }
    DWORD At(const std::vector<DWORD>& px, UINT x, UINT y) const { return px[size_t(y) * m_pp.BackBufferWidth + x]; }

    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWnd = nullptr;
    D3DPRESENT_PARAMETERS m_pp{};
};

} // namespace VornaTest
