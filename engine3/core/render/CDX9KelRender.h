#pragma once
// The Direct3D object and its one device. The engine creates it at start-up,
// has it fill the presentation parameters from the display settings, create
// the device on the window and, every frame, open, close and present the
// scene; when the device is lost the engine drives the reset through it. It
// also writes the machine's graphics capabilities into the log.
#include "platform/gfx/d3d9.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {

class CDX9KelRender {
public:
    static constexpr int kTextSize = 40;

    CDX9KelRender();
    virtual ~CDX9KelRender();
    CDX9KelRender(const CDX9KelRender&) = delete;
    CDX9KelRender& operator=(const CDX9KelRender&) = delete;

    // Direct3D's defaults of the engine, also after every reset: clockwise
    // front faces, no lighting, depth test, alpha blending and alpha test
    // (reference m_dwAlphaRef), anisotropic sampler 0, texture x diffuse
    // alpha. E_FAIL without a device.
    virtual HRESULT SetDefaultRenderStates();
    // Fills the presentation parameters. fullScreen 0 or 1 keeps the asked
    // mode, except that a size above every mode and the desktop, or a size
    // that is not positive, becomes the desktop's, and a refresh rate above
    // the largest mode's (or negative) the desktop's; any other fullScreen
    // value is full screen at the desktop mode. A window always presents
    // immediately without multisampling. E_FAIL without Direct3D, else 0.
    virtual HRESULT SetWindowMode(int fullScreen, int width, int height, int refreshRate, int multiSampleType,
                                  bool vSync);
    // Reports the capabilities, then creates the device on the window with
    // hardware, else mixed, else software vertex processing. 0 or the last
    // creation error.
    virtual HRESULT InitialD3DDevice(HWND hWnd);
    // Clears target and depth (unless noClear) and begins the scene.
    virtual void BeginRender(D3DCOLOR clearColor, bool noClear = false);
    virtual void EndRender();
    virtual void Present();
    // The device's cooperative level: DEVICELOST sets m_bLost, DEVICENOTRESET
    // sets m_bNeedReset. 0 without a device.
    virtual HRESULT TestDevice();
    // Resets the device with the stored parameters and restores the default
    // states. The caller clears the flags.
    virtual bool Restore();
    // Asks for a new back-buffer size through the lost/reset path.
    virtual bool ChangeResolution(int width, int height);
    virtual void Release();
    virtual void SetWireframe(bool on);

    // Creates Direct3D and reads the desktop mode. 0 or E_FAIL.
    HRESULT InitialD3D();
    bool IsDepthFormatExisting(D3DFORMAT depthFormat, D3DFORMAT adapterFormat);
    bool IsRenderTargetFormatExisting(D3DFORMAT format, D3DFORMAT adapterFormat);
    bool IsTextureFormatOk(D3DFORMAT adapterFormat);
    // Logs the processor, the adapter and the device's capabilities and
    // keeps the shader versions, the texture width and the anisotropy.
    HRESULT ReportCaps();
    // Classifies the adapter description: "NVIDIA", "RADEON" or "OTHER", and
    // the last word starting with a digit 1-9 as the model number (at most
    // 39 characters).
    void DetectVendor(const char* description);

    IDirect3DDevice9* GetDevice() const { return m_pD3DDevice; }
    UINT GetBackBufferWidth() const { return m_d3dpp.BackBufferWidth; }
    UINT GetBackBufferHeight() const { return m_d3dpp.BackBufferHeight; }

    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pD3DDevice = nullptr;
    D3DDISPLAYMODE m_DesktopMode = {};
    D3DPRESENT_PARAMETERS m_d3dpp = {};
    char m_szVendorName[kTextSize] = {};
    char m_szModelNumber[kTextSize] = {};
    DWORD m_dwMaxTextureWidth = 0;
    float m_fPixelShaderVersion = 0.0f;
    float m_fVertexShaderVersion = 0.0f;
    DWORD m_dwMaxAnisotropy = 0;
    bool m_bWireframe = false;
    int m_iFullScreen = 0;
    int m_iWidth = 0;
    int m_iHeight = 0;
    int m_iRefreshRate = 0;
    DWORD m_dwAlphaRef = 2;
    DWORD m_dwAnisotropy = 4;
    bool m_bLost = false;
    bool m_bNeedReset = false;
};

} // namespace Vorna3D
