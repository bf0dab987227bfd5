#include "engine2/core/render/CDX9KelRender.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Cpu.h"
#include "platform/os/ResultCodes.h"
#include "platform/window/Window.h"

#include <cstring>
#include <string>

namespace Vorna2 {

namespace {

bool StartsWith(const char* word, const char* prefix) { return std::strncmp(word, prefix, std::strlen(prefix)) == 0; }

void CopyText(char* out, const char* text) {
    std::strncpy(out, text, CDX9KelRender::kTextSize - 1);
    out[CDX9KelRender::kTextSize - 1] = '\0';
}

} // namespace

CDX9KelRender::~CDX9KelRender() { Release(); }

HRESULT CDX9KelRender::InitialD3D() {
    g_Log.Write(LOG_INFO, "CDX9Kelapp::InitialD3D(): ");
    if (!m_pD3D) m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D) {
        g_Log.Write(LOG_ERROR, "%s", "Error\n");
        return E_FAIL;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return S_OK;
}

HRESULT CDX9KelRender::CheckWindowMode(int fullScreen, int width, int height, int refreshRate) {
    if (!m_pD3D) return E_FAIL;
    m_iFullScreen = fullScreen;
    m_iWidth = width;
    m_iHeight = height;
    m_iRefreshRate = refreshRate;
    g_Log.Write(LOG_INFO, "CDX9KelRender::CheckWindowMode(): ");

    const HRESULT hr = m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &m_DesktopMode);
    if (FAILED(hr)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "Error: GetAdapterDisplayMode() : ", DXGetErrorStringA(hr), "\n");
        return E_FAIL;
    }
    const int desktopWidth = static_cast<int>(m_DesktopMode.Width);
    const int desktopHeight = static_cast<int>(m_DesktopMode.Height);
    const int desktopRefresh = static_cast<int>(m_DesktopMode.RefreshRate);
    if (fullScreen != 0 && fullScreen != 1) {
        m_iFullScreen = 1;
        m_iWidth = desktopWidth;
        m_iHeight = desktopHeight;
        m_iRefreshRate = desktopRefresh;
    } else {
        const UINT count = m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, m_DesktopMode.Format);
        if (count == 0) return S_OK;
        D3DDISPLAYMODE last{};
        m_pD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, m_DesktopMode.Format, count - 1, &last);
        if (m_iWidth > static_cast<int>(last.Width) && m_iWidth > desktopWidth) {
            m_iWidth = desktopWidth;
            m_iHeight = desktopHeight;
        }
        if (m_iRefreshRate > static_cast<int>(last.RefreshRate)) m_iRefreshRate = desktopRefresh;
    }

    std::memset(&m_d3dpp, 0, sizeof m_d3dpp);
    m_d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_d3dpp.EnableAutoDepthStencil = TRUE;
    m_d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
    m_d3dpp.BackBufferCount = 3;
    m_d3dpp.BackBufferFormat = m_DesktopMode.Format;
    if (m_iFullScreen) {
        m_d3dpp.Windowed = FALSE;
        m_d3dpp.BackBufferWidth = static_cast<UINT>(m_iWidth);
        m_d3dpp.BackBufferHeight = static_cast<UINT>(m_iHeight);
        m_d3dpp.FullScreen_RefreshRateInHz = static_cast<UINT>(m_iRefreshRate);
        m_d3dpp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    } else {
        m_d3dpp.Windowed = TRUE;
        m_d3dpp.BackBufferWidth = 0;
        m_d3dpp.BackBufferHeight = 0;
        m_d3dpp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return S_OK;
}

HRESULT CDX9KelRender::InitialD3DDevice(HWND hWnd) {
    if (!m_pD3D) return E_FAIL;
    m_d3dpp.hDeviceWindow = hWnd;
    if (SUCCEEDED(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_d3dpp.BackBufferFormat,
                                                     FALSE, D3DMULTISAMPLE_2_SAMPLES, nullptr)) &&
        SUCCEEDED(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                     m_d3dpp.AutoDepthStencilFormat, FALSE,
                                                     D3DMULTISAMPLE_2_SAMPLES, nullptr))) {
        m_d3dpp.MultiSampleType = D3DMULTISAMPLE_2_SAMPLES;
        m_d3dpp.MultiSampleQuality = 0;
    }
    LogCapabilities();
    g_Log.Write(LOG_INFO, "%s%i%s", "Window mode: ", static_cast<int>(m_d3dpp.Windowed), "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Resolution X: ", m_iWidth, "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Resolution Y: ", m_iHeight, "\n");
    g_Log.Write(LOG_INFO, "%s%i%s", "Multisample Type: ", static_cast<int>(m_d3dpp.MultiSampleType), "\n");
    g_Log.Write(LOG_INFO, "CDX9KelRender::InitialD3DDevice(): ");

    struct Mode {
        DWORD flag;
        const char* refusal;
    };
    static const Mode kModes[] = {
        {D3DCREATE_HARDWARE_VERTEXPROCESSING, "Not support D3DCREATE_HARDWARE_VERTEXPROCESSING : "},
        {D3DCREATE_MIXED_VERTEXPROCESSING, "Not support D3DCREATE_MIXED_VERTEXPROCESSING : "},
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING, "Not support D3DCREATE_SOFTWARE_VERTEXPROCESSING : "}};
    HRESULT hr = E_FAIL;
    for (const Mode& mode : kModes) {
        hr = m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, mode.flag, &m_d3dpp, &m_pD3DDevice);
        if (SUCCEEDED(hr)) break;
        m_pD3DDevice = nullptr;
        g_Log.Write(LOG_ERROR, "%s%s%s", mode.refusal, DXGetErrorStringA(hr), "\n");
    }
    if (FAILED(hr)) return hr;
    SetDefaultStates();
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return S_OK;
}

HRESULT CDX9KelRender::LogCapabilities() {
    if (!m_pD3D) return E_FAIL;
    const std::string brand = Platform::CpuBrandString();
    g_Log.Write(LOG_INFO, "%s%s%s", "Processor: ", brand.c_str(), "\n");

    D3DADAPTER_IDENTIFIER9 id{};
    m_pD3D->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id);
    id.Description[sizeof id.Description - 1] = '\0';
    g_Log.Write(LOG_INFO, "%s%s%s", "Video: ", id.Description, "\n");
    ParseVendor(id.Description);

    D3DCAPS9 caps{};
    if (SUCCEEDED(m_pD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps))) {
        struct Version {
            DWORD code;
            float number;
            const char* text;
        };
        static const Version kPixel[] = {
            {D3DPS_VERSION(1, 0), 1.0f, "Pixel Shader: 1.0\n"}, {D3DPS_VERSION(1, 1), 1.1f, "Pixel Shader: 1.1\n"},
            {D3DPS_VERSION(1, 2), 1.2f, "Pixel Shader: 1.2\n"}, {D3DPS_VERSION(1, 3), 1.3f, "Pixel Shader: 1.3\n"},
            {D3DPS_VERSION(1, 4), 1.4f, "Pixel Shader: 1.4\n"}, {D3DPS_VERSION(2, 0), 2.0f, "Pixel Shader: 2.0\n"},
            {D3DPS_VERSION(3, 0), 3.0f, "Pixel Shader: 3.0\n"}};
        static const Version kVertex[] = {{D3DVS_VERSION(1, 1), 1.1f, "Vertex Shader: 1.1\n"},
                                          {D3DVS_VERSION(2, 0), 2.0f, "Vertex Shader: 2.0\n"},
                                          {D3DVS_VERSION(3, 0), 3.0f, "Vertex Shader: 3.0\n"}};
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
        g_Log.Write(LOG_INFO, "%s%i%s", "Max Texture Width: ", static_cast<int>(caps.MaxTextureWidth), "\n");
        g_Log.Write(LOG_INFO, "%s%i%s", "Max Texture Height: ", static_cast<int>(caps.MaxTextureHeight), "\n");
    }

    const D3DFORMAT desktop = m_DesktopMode.Format;
    auto check = [](const char* title, HRESULT result) {
        g_Log.Write(LOG_INFO, "%s", title);
        g_Log.Write(LOG_CONTINUE, "%s", SUCCEEDED(result) ? "YES\n" : "NO\n");
    };
    check("Texture format D3DFMT_A8R8G8B8 :",
          m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop, 0, D3DRTYPE_TEXTURE,
                                    D3DFMT_A8R8G8B8));
    check("Texture format D3DFMT_A16B16G16R16 :",
          m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop, 0, D3DRTYPE_TEXTURE,
                                    D3DFMT_A16B16G16R16));
    check("Texture format D3DFMT_L16 :",
          m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop, 0, D3DRTYPE_TEXTURE, D3DFMT_L16));
    check("Render Target format D3DFMT_A16B16G16R16 :",
          m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop, D3DUSAGE_RENDERTARGET,
                                    D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16));
    check("Depth stencil surface format D3DFMT_D24S8 :",
          m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop, D3DUSAGE_DEPTHSTENCIL,
                                    D3DRTYPE_SURFACE, D3DFMT_D24S8));
    check("Depth stencil surface format D3DFMT_D24S8 Compatible Render Target format D3DFMT_A16B16G16R16 :",
          m_pD3D->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, desktop, D3DFMT_A16B16G16R16,
                                         D3DFMT_D24S8));
    return S_OK;
}

void CDX9KelRender::ParseVendor(const char* description) {
    m_szVendor[0] = '\0';
    m_szModelNumber[0] = '\0';
    bool vendorFound = false, modelFound = false;
    if (description) {
        const std::string text(description, strnlen(description, MAX_PATH));
        for (std::size_t i = 0; i < text.size(); ++i) {
            if ((i > 0 && text[i - 1] != ' ') || text[i] == ' ') continue;
            const char* word = text.c_str() + i;
            if (StartsWith(word, "NVI") || StartsWith(word, "nVi") || StartsWith(word, "nvi") ||
                StartsWith(word, "GeF")) {
                CopyText(m_szVendor, "NVIDIA");
                vendorFound = true;
            } else if (StartsWith(word, "Rad") || StartsWith(word, "RAD")) {
                CopyText(m_szVendor, "RADEON");
                vendorFound = true;
            } else if (!modelFound && word[0] >= '1' && word[0] <= '9') {
                std::size_t n = 0;
                while (word[n] && word[n] != ' ' && n < kTextSize - 1) {
                    m_szModelNumber[n] = word[n];
                    ++n;
                }
                m_szModelNumber[n] = '\0';
                modelFound = true;
            }
        }
    }
    if (!vendorFound) CopyText(m_szVendor, "OTHER");
}

HRESULT CDX9KelRender::SetDefaultStates() {
    IDirect3DDevice9* d = m_pD3DDevice;
    if (!d) return E_FAIL;
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ANTIALIASEDLINEENABLE, TRUE);
    if (SUCCEEDED(d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC)))
        d->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, m_dwMaxAnisotropy);
    else
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    if (FAILED(d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC)))
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHAREF, m_dwAlphaRef);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    return S_OK;
}

bool CDX9KelRender::SetWireframe(bool on) {
    if (m_pD3DDevice) m_pD3DDevice->SetRenderState(D3DRS_FILLMODE, on ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    m_bWireframe = on;
    return true;
}

void CDX9KelRender::BeginRender(D3DCOLOR clearColor, bool keepBuffers) {
    if (!m_pD3DDevice) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::BeginRender() : m_pD3DDevice == NULL\n");
        return;
    }
    if (!keepBuffers) m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0);
    m_pD3DDevice->BeginScene();
}

void CDX9KelRender::EndRender() {
    if (!m_pD3DDevice) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRender::EndRender() : m_pD3DDevice == NULL\n");
        return;
    }
    m_pD3DDevice->EndScene();
    m_pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void CDX9KelRender::TestDevice() {
    if (!m_pD3DDevice) return;
    const HRESULT hr = m_pD3DDevice->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST) {
        m_bDeviceLost = true;
    } else if (hr == D3DERR_DEVICENOTRESET) {
        g_Log.Write(LOG_INFO, "%s", "Need reset D3DDevice\n");
        m_bNeedReset = true;
    }
}

bool CDX9KelRender::Restore() {
    g_Log.Write(LOG_INFO, "%s", "CDX9KelRender::Restore() : ");
    if (!m_pD3DDevice) {
        g_Log.Write(LOG_CONTINUE, "%s", "Error: Reset(): m_pD3DDevice == NULL\n");
        return false;
    }
    const HRESULT hr = m_pD3DDevice->Reset(&m_d3dpp);
    if (FAILED(hr)) {
        g_Log.Write(LOG_CONTINUE, "%s%s%s", "Error: Reset(): ", DXGetErrorStringA(hr), "\n");
        return false;
    }
    SetDefaultStates();
    SetActiveWindow(m_d3dpp.hDeviceWindow);
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelRender::Resize(int width, int height) {
    if (width < 0 || height < 0) return false;
    m_iWidth = width;
    m_iHeight = height;
    m_d3dpp.BackBufferWidth = static_cast<UINT>(width);
    m_d3dpp.BackBufferHeight = static_cast<UINT>(height);
    m_bDeviceLost = true;
    m_bNeedReset = true;
    g_Log.Write(LOG_INFO, "%s", "Need lost D3DDevice\n");
    g_Log.Write(LOG_INFO, "%s", "Need reset D3DDevice\n");
    return true;
}

void CDX9KelRender::Release() {
    SafeReleaseCom(m_pD3DDevice);
    SafeReleaseCom(m_pD3D);
    std::memset(&m_d3dpp, 0, sizeof m_d3dpp);
}

} // namespace Vorna2
