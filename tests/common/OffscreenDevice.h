#pragma once
// A small hidden window and a device on the offscreen GL driver, for tests
// that draw and read pixels back. Many may live at once; the window class is
// registered once for the whole program.
#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/window/Window.h"

namespace VornaTest {

// Headless video and silent sound, whatever the runner passes on; set before
// any test or driver opens a window or a sound device.
void UseHeadlessDrivers();

class OffscreenDevice {
public:
    OffscreenDevice() = default;
    OffscreenDevice(const OffscreenDevice&) = delete;
    OffscreenDevice& operator=(const OffscreenDevice&) = delete;
    ~OffscreenDevice();

    // Window and device with a back buffer of width x height and a depth
    // buffer of `depth`; false when no GL context can be had.
    bool Create(int width = 128, int height = 128, D3DFORMAT depth = D3DFMT_D24S8);

    // The back buffer's pixels (0xAARRGGBB, top row first). A failed read
    // fails the running test and gives a buffer of zeros of the right size.
    std::vector<DWORD> Pixels();
    DWORD At(const std::vector<DWORD>& px, UINT x, UINT y) const { return px[size_t(y) * m_pp.BackBufferWidth + x]; }

    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWnd = nullptr;
    D3DPRESENT_PARAMETERS m_pp{};
};

} // namespace VornaTest
