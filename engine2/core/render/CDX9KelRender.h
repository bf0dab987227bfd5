#pragma once
// The Direct3D object and device of the campaign. It settles the display mode
// from the four display values of "engine.ini", fills the presentation
// parameters, creates the device with the best vertex processing that works,
// logs the adapter's capabilities, sets the default states, begins, ends and
// presents frames, and detects and repairs a lost device.
#include "platform/gfx/d3d9.h"
#include "platform/os/WinTypes.h"

namespace Vorna2 {

class CDX9KelRender {
public:
    static constexpr int kTextSize = 40;

    CDX9KelRender() = default;
    virtual ~CDX9KelRender();
    CDX9KelRender(const CDX9KelRender&) = delete;
    CDX9KelRender& operator=(const CDX9KelRender&) = delete;

    // Counter-clockwise culling, full ambient, no lighting, depth test,
    // antialiased lines, anisotropic sampler 0 (linear where refused), linear
    // mips, alpha blending and alpha test (>= reference). E_FAIL without a
    // device.
    virtual HRESULT SetDefaultStates();
    virtual bool SetWireframe(bool on);
    // Settles the mode: a full-screen value other than 0 or 1 is full screen
    // at the desktop mode; otherwise a width above both the largest mode and
    // the desktop becomes the desktop's size, and a refresh rate above the
    // largest mode's the desktop's. Then fills the presentation parameters.
    virtual HRESULT CheckWindowMode(int fullScreen, int width, int height, int refreshRate);
    // Logs the capabilities and creates the device on the window: hardware,
    // else mixed, else software vertex processing; two-sample multisampling
    // where the adapter has it.
    virtual HRESULT InitialD3DDevice(HWND hWnd);
    // Clears (unless keepBuffers) and begins the scene.
    virtual void BeginRender(D3DCOLOR clearColor, bool keepBuffers = false);
    // Ends the scene and presents it.
    virtual void EndRender();
    // Sets the lost flag on a lost device, the needs-reset flag on one that
    // can be reset.
    virtual void TestDevice();
    // Resets the device with the stored parameters; false (logged) when the
    // reset fails.
    virtual bool Restore();
    // A new back-buffer size through the lost and reset path; false for a
    // negative size.
    virtual bool Resize(int width, int height);
    virtual void Release();

    // Creates the Direct3D object. S_OK or E_FAIL.
    HRESULT InitialD3D();
    // Writes the processor, the adapter, the shader versions, the texture
    // limits and six format checks into the log. E_FAIL without Direct3D.
    HRESULT LogCapabilities();
    // "NVIDIA", "RADEON" or "OTHER" from the adapter description, and the
    // first word starting with a digit 1-9 as the model number (at most 39
    // characters).
    void ParseVendor(const char* description);

    IDirect3DDevice9* GetDevice() const { return m_pD3DDevice; }
    int GetWidth() const { return m_iWidth; }
    int GetHeight() const { return m_iHeight; }

    D3DDISPLAYMODE m_DesktopMode = {};
    D3DPRESENT_PARAMETERS m_d3dpp = {};
    char m_szVendor[kTextSize] = {};
    char m_szModelNumber[kTextSize] = {};
    int m_iFullScreen = 0;
    int m_iWidth = 0;
    int m_iHeight = 0;
    int m_iRefreshRate = 0;
    bool m_bDeviceLost = false;
    bool m_bNeedReset = false;
    DWORD m_dwMaxTextureWidth = 0;
    float m_fPixelShaderVersion = 0.0f;
    float m_fVertexShaderVersion = 0.0f;
    DWORD m_dwAlphaRef = 2;
    DWORD m_dwMaxAnisotropy = 4;
    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pD3DDevice = nullptr;
    bool m_bWireframe = false;
};

} // namespace Vorna2
