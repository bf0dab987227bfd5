#include "engine3/core/render/CDX9KelRender.h"

#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Cpu.h"
#include "platform/os/ResultCodes.h"
#include "platform/window/Window.h"

#include <cstring>
#include <string>

namespace Vorna3D {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWith(const char* word, const char* prefix) {
    return std::strncmp(word, prefix, std::strlen(prefix)) == 0;
}

void CopyText(char* out, const char* text) {
    std::strncpy(out, text, CDX9KelRender::kTextSize - 1);
    out[CDX9KelRender::kTextSize - 1] = '\0';
}

} // namespace

CDX9KelRender::CDX9KelRender() = default;

CDX9KelRender::~CDX9KelRender() { Release(); }

HRESULT CDX9KelRender::InitialD3D() {
    g_Log.Write(LOG_INFO, "CDX9Kelapp::InitialD3D(): ");
    if (!m_pD3D) m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D) {
        g_Log.Write(LOG_ERROR, "%s", "m_pD3D == NULL\n");
        return E_FAIL;
    }
    g_Log.Write(LOG_TEXT, "OK\n");
    const HRESULT hr = m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &m_DesktopMode);
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "GetAdapterDisplayMode() : ", DXGetErrorStringA(hr), "\n");
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CDX9KelRender::SetWindowMode(int fullScreen, int width, int height, int refreshRate, int multiSampleType,
                                     bool vSync) {
    if (!m_pD3D) return E_FAIL;
    std::memset(&m_d3dpp, 0, sizeof m_d3dpp);
    m_iFullScreen = fullScreen;
    m_iWidth = width;
    m_iHeight = height;
    m_iRefreshRate = refreshRate;
    m_d3dpp.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(multiSampleType < 0 ? 0 : multiSampleType);
    m_d3dpp.MultiSampleQuality = 0;
    if (!vSync) m_d3dpp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    g_Log.Write(LOG_INFO, "CDX9KelRender::SetWindowMode(): ");

    const int desktopWidth = static_cast<int>(m_DesktopMode.Width);
    const int desktopHeight = static_cast<int>(m_DesktopMode.Height);
    const int desktopRefresh = static_cast<int>(m_DesktopMode.RefreshRate);
    if (fullScreen == 0 || fullScreen == 1) {
        // The largest mode is the last one listed; without any, the desktop.
        D3DDISPLAYMODE last = m_DesktopMode;
        const UINT count = m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, m_DesktopMode.Format);
        if (count > 0) m_pD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, m_DesktopMode.Format, count - 1, &last);
        if ((m_iWidth > static_cast<int>(last.Width) && m_iWidth > desktopWidth) || m_iWidth <= 0 ||
            m_iHeight <= 0) {
            m_iWidth = desktopWidth;
            m_iHeight = desktopHeight;
        }
        if (m_iRefreshRate > static_cast<int>(last.RefreshRate) || m_iRefreshRate < 0) m_iRefreshRate = desktopRefresh;
    } else {
        m_iFullScreen = 1;
        m_iWidth = desktopWidth;
        m_iHeight = desktopHeight;
        m_iRefreshRate = desktopRefresh;
    }

    m_d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_d3dpp.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    m_d3dpp.EnableAutoDepthStencil = TRUE;
    m_d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
    m_d3dpp.BackBufferCount = 1;
    m_d3dpp.BackBufferFormat = m_DesktopMode.Format;
    if (m_iFullScreen) {
        m_d3dpp.Windowed = FALSE;
        m_d3dpp.BackBufferWidth = static_cast<UINT>(m_iWidth);
        m_d3dpp.BackBufferHeight = static_cast<UINT>(m_iHeight);
        m_d3dpp.FullScreen_RefreshRateInHz = static_cast<UINT>(m_iRefreshRate);
    } else {
        m_d3dpp.Windowed = TRUE;
        m_d3dpp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        m_d3dpp.MultiSampleType = D3DMULTISAMPLE_NONE;
    }
    g_Log.Write(LOG_TEXT, "OK\n");
    return S_OK;
}

HRESULT CDX9KelRender::InitialD3DDevice(HWND hWnd) {
    if (!m_pD3D) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::InitialD3DDevice() : m_pD3D == NULL\n");
        return E_FAIL;
    }
    m_d3dpp.hDeviceWindow = hWnd;
    ReportCaps();
    g_Log.Write(LOG_INFO, "%s%i%s", "Window mode: ", static_cast<int>(m_d3dpp.Windowed), "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Resolution X: ", m_iWidth, "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Resolution Y: ", m_iHeight, "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Multisample Type: ", static_cast<int>(m_d3dpp.MultiSampleType), "\n");
    g_Log.Write(LOG_INFO, "CDX9KelRender::InitialD3DDevice(): ");

    HRESULT hr = m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                      &m_d3dpp, &m_pD3DDevice);
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "Not support D3DCREATE_HARDWARE_VERTEXPROCESSING : ", DXGetErrorStringA(hr),
                    "\n");
        hr = m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, D3DCREATE_MIXED_VERTEXPROCESSING,
                                  &m_d3dpp, &m_pD3DDevice);
    }
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "Not support D3DCREATE_MIXED_VERTEXPROCESSING : ", DXGetErrorStringA(hr),
                    "\n");
        hr = m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                  &m_d3dpp, &m_pD3DDevice);
    }
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "Not support D3DCREATE_SOFTWARE_VERTEXPROCESSING : ",
                    DXGetErrorStringA(hr), "\n");
        m_pD3DDevice = nullptr;
        return hr;
    }
    SetDefaultRenderStates();
    g_Log.Write(LOG_TEXT, "OK\n");
    return S_OK;
}

HRESULT CDX9KelRender::SetDefaultRenderStates() {
    IDirect3DDevice9* d = m_pD3DDevice;
    if (!d) return E_FAIL;
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ANTIALIASEDLINEENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_ALPHAREF, m_dwAlphaRef);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, m_dwAnisotropy);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    return S_OK;
}

void CDX9KelRender::BeginRender(D3DCOLOR clearColor, bool noClear) {
    if (!m_pD3DDevice) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::BeginRender() : m_pD3DDevice == NULL\n");
        return;
    }
    m_pD3DDevice->Clear(0, nullptr, noClear ? 0u : (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), clearColor, 1.0f, 0);
    m_pD3DDevice->BeginScene();
}

void CDX9KelRender::EndRender() {
    if (!m_pD3DDevice) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::EndRender() : m_pD3DDevice == NULL\n");
        return;
    }
    m_pD3DDevice->EndScene();
}

void CDX9KelRender::Present() {
    if (!m_pD3DDevice) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::Present() : m_pD3DDevice == NULL\n");
        return;
    }
    m_pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

HRESULT CDX9KelRender::TestDevice() {
    if (!m_pD3DDevice) return S_OK;
    const HRESULT hr = m_pD3DDevice->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST) {
        m_bLost = true;
    } else if (hr == D3DERR_DEVICENOTRESET) {
        g_Log.Write(LOG_INFO, "Need reset D3DDevice\n");
        m_bNeedReset = true;
    }
    return hr;
}

bool CDX9KelRender::Restore() {
    if (!m_pD3DDevice) return false;
    g_Log.Write(LOG_INFO, "CDX9KelRender::Restore()\n");
    const HRESULT hr = m_pD3DDevice->Reset(&m_d3dpp);
    if (FAILED(hr)) {
        g_Log.Write(LOG_INFO, "%s%s%s", "Not Reset(): ", DXGetErrorStringA(hr), "\n");
        return false;
    }
    SetDefaultRenderStates();
    SetActiveWindow(m_d3dpp.hDeviceWindow);
    g_Log.Write(LOG_INFO, "CDX9KelRender::Restore() : OK\n");
    return true;
}

bool CDX9KelRender::ChangeResolution(int width, int height) {
    if (width < 0 || height < 0) return false;
    m_iWidth = width;
    m_iHeight = height;
    m_d3dpp.BackBufferWidth = static_cast<UINT>(width);
    m_d3dpp.BackBufferHeight = static_cast<UINT>(height);
    m_bLost = true;
    m_bNeedReset = true;
    g_Log.Write(LOG_INFO, "Need lost D3DDevice\n");
    g_Log.Write(LOG_INFO, "Need reset D3DDevice\n");
    return true;
}

void CDX9KelRender::Release() {
    SafeReleaseCom(m_pD3DDevice);
    SafeReleaseCom(m_pD3D);
    std::memset(&m_d3dpp, 0, sizeof m_d3dpp);
}

void CDX9KelRender::SetWireframe(bool on) {
    if (m_pD3DDevice) m_pD3DDevice->SetRenderState(D3DRS_FILLMODE, on ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    m_bWireframe = on;
}

bool CDX9KelRender::IsDepthFormatExisting(D3DFORMAT depthFormat, D3DFORMAT adapterFormat) {
    if (!m_pD3D) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::IsDepthFormatExisting() : m_pD3D == NULL\n");
        return false;
    }
    return SUCCEEDED(m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                               D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depthFormat));
}

bool CDX9KelRender::IsRenderTargetFormatExisting(D3DFORMAT format, D3DFORMAT adapterFormat) {
    if (!m_pD3D) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::IsRenderTargetFormatExisting() : m_pD3D == NULL\n");
        return false;
    }
    return SUCCEEDED(m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                               D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, format));
}

bool CDX9KelRender::IsTextureFormatOk(D3DFORMAT adapterFormat) {
    if (!m_pD3D) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::IsTextureFormatOk() : m_pD3D == NULL\n");
        return false;
    }
    return SUCCEEDED(m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat, 0,
                                               D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8));
}

HRESULT CDX9KelRender::ReportCaps() {
    if (!m_pD3D) return E_FAIL;
    const std::string brand = Platform::CpuBrandString();
    g_Log.Write(LOG_INFO, "%s%s%s", "Processor: ", brand.c_str(), "\n");

    D3DADAPTER_IDENTIFIER9 id{};
    if (SUCCEEDED(m_pD3D->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id))) {
        g_Log.Write(LOG_INFO, "%s%s%s", "Video: ", id.Description, "\n");
        DetectVendor(id.Description);
    }

    D3DCAPS9 caps{};
    const HRESULT hr = m_pD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    if (FAILED(hr)) return hr;

    struct Version {
        DWORD code;
        float number;
        const char* text;
    };
    static const Version kPixel[] = {
        {D3DPS_VERSION(1, 0), 1.0f, "Pixel Shader: 1.0\n"}, {D3DPS_VERSION(1, 1), 1.1f, "Pixel Shader: 1.1\n"},
        {D3DPS_VERSION(1, 2), 1.2f, "Pixel Shader: 1.2\n"}, {D3DPS_VERSION(1, 3), 1.3f, "Pixel Shader: 1.3\n"},
        {D3DPS_VERSION(1, 4), 1.4f, "Pixel Shader: 1.4\n"}, {D3DPS_VERSION(2, 0), 2.0f, "Pixel Shader: 2.0\n"},
        {D3DPS_VERSION(3, 0), 3.0f, "Pixel Shader: 3.0\n"}, {D3DPS_VERSION(4, 0), 4.0f, "Pixel Shader: 4.0\n"}};
    static const Version kVertex[] = {
        {D3DVS_VERSION(1, 1), 1.1f, "Vertex Shader: 1.1\n"}, {D3DVS_VERSION(2, 0), 2.0f, "Vertex Shader: 2.0\n"},
        {D3DVS_VERSION(3, 0), 3.0f, "Vertex Shader: 3.0\n"}, {D3DVS_VERSION(4, 0), 4.0f, "Vertex Shader: 4.0\n"}};
    for (const Version& v : kPixel)
        if (caps.PixelShaderVersion == v.code) {
            m_fPixelShaderVersion = v.number;
            g_Log.Write(LOG_INFO, "%s", v.text);
        }
    for (const Version& v : kVertex)
        if (caps.VertexShaderVersion == v.code) {
            m_fVertexShaderVersion = v.number;
            g_Log.Write(LOG_INFO, "%s", v.text);
        }
    m_dwMaxTextureWidth = caps.MaxTextureWidth;
    m_dwMaxAnisotropy = caps.MaxAnisotropy;
    g_Log.Write(LOG_INFO, "%s%i%s", "Max Texture Width: ", static_cast<int>(caps.MaxTextureWidth), "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Max Texture Height: ", static_cast<int>(caps.MaxTextureHeight), "\n");
    return S_OK;
}

void CDX9KelRender::DetectVendor(const char* description) {
    m_szVendorName[0] = '\0';
    m_szModelNumber[0] = '\0';
    bool found = false;
    if (description) {
        constexpr size_t kMaxScan = MAX_PATH;
        const size_t length = strnlen(description, kMaxScan);
        const std::string text(description, length);
        for (size_t i = 0; i < text.size(); ++i) {
            if (i > 0 && !IsBlank(text[i - 1])) continue;
            if (IsBlank(text[i])) continue;
            const char* word = text.c_str() + i;
            if (StartsWith(word, "NVI") || StartsWith(word, "nVi") || StartsWith(word, "nvi") ||
                StartsWith(word, "GeF")) {
                CopyText(m_szVendorName, "NVIDIA");
                found = true;
            } else if (StartsWith(word, "Rad") || StartsWith(word, "RAD")) {
                CopyText(m_szVendorName, "RADEON");
                found = true;
            } else if (word[0] >= '1' && word[0] <= '9') {
                // The model number field holds 39 characters and its end.
                size_t n = 0;
                while (word[n] && !IsBlank(word[n]) && n < kTextSize - 1) {
                    m_szModelNumber[n] = word[n];
                    ++n;
                }
                m_szModelNumber[n] = '\0';
            }
        }
    }
    if (!found) CopyText(m_szVendorName, "OTHER");
}

} // namespace Vorna3D
