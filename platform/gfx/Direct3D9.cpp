// The Direct3D object: display modes from SDL, the adapter's identity and
// capabilities from the GL driver, format checks for what a GL 3.3 device
// offers, and device creation.
#include "platform/gfx/DeviceState.h"
#include "platform/window/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Platform {

void ReadGlInfoFromCurrentContext(GlInfo& info) {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    info.renderer = renderer ? renderer : "";
    info.version = version ? version : "";
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &info.maxTextureSize);
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &info.max3DTextureSize);
    glGetIntegerv(GL_MAX_SAMPLES, &info.maxSamples);
    info.maxAnisotropy = 1.0f;
    if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
        epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic") || epoxy_gl_version() >= 46)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &info.maxAnisotropy);
    info.clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    info.s3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    info.valid = true;
}

const GlInfo& QueryGlInfo() {
    static GlInfo cached;
    if (cached.valid) return cached;
    if (SDL_GL_GetCurrentContext()) {
        ReadGlInfoFromCurrentContext(cached);
        return cached;
    }
    // No context yet: a hidden window with a short-lived one.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) return cached;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context) {
        if (SDL_GL_MakeCurrent(window, context) == 0 && epoxy_gl_version() >= 33) ReadGlInfoFromCurrentContext(cached);
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
    return cached;
}

void FillDeviceCaps(const GlInfo& info, D3DCAPS9* caps) {
    std::memset(caps, 0, sizeof *caps);
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = D3DADAPTER_DEFAULT;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps->MaxTextureWidth = static_cast<DWORD>(std::max(info.maxTextureSize, 0));
    caps->MaxTextureHeight = caps->MaxTextureWidth;
    caps->MaxVolumeExtent = static_cast<DWORD>(std::max(info.max3DTextureSize, 0));
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = caps->MaxTextureWidth;
    caps->MaxAnisotropy = static_cast<DWORD>(std::max(1.0f, info.maxAnisotropy));
    caps->MaxVertexW = 1e10f;
    caps->MaxTextureBlendStages = kD3DTextureStageCount;
    caps->MaxSimultaneousTextures = kD3DTextureStageCount;
    caps->MaxActiveLights = kMaxLights;
    caps->MaxUserClipPlanes = kMaxClipPlanes;
    caps->MaxVertexBlendMatrices = 4;
    caps->MaxVertexBlendMatrixIndex = kMaxWorldMatrices - 1;
    caps->MaxPointSize = 64.0f;
    caps->MaxPrimitiveCount = 0xFFFFFF;
    caps->MaxVertexIndex = 0xFFFFFF;
    caps->MaxStreams = kMaxStreams;
    caps->MaxStreamStride = 508;
    caps->VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps->MaxVertexShaderConst = 256;
    caps->PixelShaderVersion = D3DPS_VERSION(3, 0);
    caps->PixelShader1xMaxValue = 65504.0f;
    caps->NumSimultaneousRTs = kMaxRenderTargets;
    caps->MasterAdapterOrdinal = 0;
    caps->NumberOfAdaptersInGroup = 1;
    caps->MaxVShaderInstructionsExecuted = 65535;
    caps->MaxPShaderInstructionsExecuted = 65535;
    caps->MaxVertexShader30InstructionSlots = 32768;
    caps->MaxPixelShader30InstructionSlots = 32768;
}

} // namespace Platform

namespace {

bool IsDepthFormat(D3DFORMAT f) {
    return f == D3DFMT_D16 || f == D3DFMT_D16_LOCKABLE || f == D3DFMT_D24S8 || f == D3DFMT_D24X8 ||
           f == D3DFMT_D32 || f == D3DFMT_D32F_LOCKABLE;
}

bool IsRenderTargetFormat(D3DFORMAT f) {
    switch (f) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_A16B16G16R16:
    case D3DFMT_R16F:
    case D3DFMT_G16R16F:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_R32F:
    case D3DFMT_G32R32F:
    case D3DFMT_A32B32G32R32F: return true;
    default: return false;
    }
}

bool IsTextureFormat(D3DFORMAT f, bool s3tc) {
    if (IsRenderTargetFormat(f)) return true;
    switch (f) {
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_A8L8:
    case D3DFMT_L16: return true;
    case D3DFMT_DXT1:
    case D3DFMT_DXT3:
    case D3DFMT_DXT5: return s3tc;
    default: return false;
    }
}

bool IsDisplayFormat(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5; }

D3DFORMAT FormatOfSdl(Uint32 format) {
    if (format == SDL_PIXELFORMAT_UNKNOWN) return D3DFMT_X8R8G8B8;
    return SDL_BITSPERPIXEL(format) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
}

// The display's modes of a format, ascending, without 0x0 entries and
// duplicates; the desktop mode when the display lists nothing usable.
std::vector<D3DDISPLAYMODE> ListModes(UINT adapter, D3DFORMAT format) {
    std::vector<D3DDISPLAYMODE> modes;
    if (!IsDisplayFormat(format) || static_cast<int>(adapter) >= SDL_GetNumVideoDisplays()) return modes;
    const int display = static_cast<int>(adapter);
    const int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(display, i, &m) != 0 || m.w <= 0 || m.h <= 0) continue;
        if (m.format != SDL_PIXELFORMAT_UNKNOWN && FormatOfSdl(m.format) != format) continue;
        modes.push_back({static_cast<UINT>(m.w), static_cast<UINT>(m.h), static_cast<UINT>(std::max(m.refresh_rate, 0)),
                         format});
    }
    if (modes.empty()) {
        SDL_DisplayMode d{};
        if (SDL_GetDesktopDisplayMode(display, &d) == 0 && d.w > 0 && d.h > 0 && FormatOfSdl(d.format) == format)
            modes.push_back({static_cast<UINT>(d.w), static_cast<UINT>(d.h),
                             static_cast<UINT>(std::max(d.refresh_rate, 0)), format});
    }
    std::sort(modes.begin(), modes.end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
        if (a.Width != b.Width) return a.Width < b.Width;
        if (a.Height != b.Height) return a.Height < b.Height;
        return a.RefreshRate < b.RefreshRate;
    });
    modes.erase(std::unique(modes.begin(), modes.end(),
                            [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
                                return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate;
                            }),
                modes.end());
    return modes;
}

bool ValidAdapter(UINT adapter) { return static_cast<int>(adapter) < SDL_GetNumVideoDisplays(); }

void CopyText(char* out, size_t size, const std::string& text) {
    const size_t n = std::min(size - 1, text.size());
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    if (!Platform::EnsureVideo()) return nullptr;
    return new IDirect3D9();
}

UINT IDirect3D9::GetAdapterCount() { return static_cast<UINT>(std::max(SDL_GetNumVideoDisplays(), 0)); }

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (!mode || !ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    SDL_DisplayMode d{};
    if (SDL_GetDesktopDisplayMode(static_cast<int>(adapter), &d) != 0) return D3DERR_NOTAVAILABLE;
    mode->Width = static_cast<UINT>(std::max(d.w, 0));
    mode->Height = static_cast<UINT>(std::max(d.h, 0));
    mode->RefreshRate = static_cast<UINT>(std::max(d.refresh_rate, 0));
    mode->Format = FormatOfSdl(d.format);
    return D3D_OK;
}

UINT IDirect3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    return static_cast<UINT>(ListModes(adapter, format).size());
}

HRESULT IDirect3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode) {
    if (!displayMode || !ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    const std::vector<D3DDISPLAYMODE> modes = ListModes(adapter, format);
    if (mode >= modes.size()) return D3DERR_INVALIDCALL;
    *displayMode = modes[mode];
    return D3D_OK;
}

HRESULT IDirect3D9::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) {
    if (!identifier || !ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    std::memset(identifier, 0, sizeof *identifier);
    const Platform::GlInfo& info = Platform::QueryGlInfo();
    if (!info.valid) return D3DERR_NOTAVAILABLE;
    CopyText(identifier->Description, sizeof identifier->Description, info.renderer);
    CopyText(identifier->Driver, sizeof identifier->Driver, "OpenGL " + info.version);
    const char* name = SDL_GetDisplayName(static_cast<int>(adapter));
    CopyText(identifier->DeviceName, sizeof identifier->DeviceName, name ? name : "");
    return D3D_OK;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    if (!caps || !ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const Platform::GlInfo& info = Platform::QueryGlInfo();
    if (!info.valid) return D3DERR_NOTAVAILABLE;
    Platform::FillDeviceCaps(info, caps);
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    bool ok;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        ok = IsDepthFormat(checkFormat) && (resourceType == D3DRTYPE_SURFACE || resourceType == D3DRTYPE_TEXTURE);
    else if (usage & D3DUSAGE_RENDERTARGET)
        ok = IsRenderTargetFormat(checkFormat) &&
             (resourceType == D3DRTYPE_SURFACE || resourceType == D3DRTYPE_TEXTURE ||
              resourceType == D3DRTYPE_CUBETEXTURE);
    else
        ok = IsTextureFormat(checkFormat, Platform::QueryGlInfo().s3tc) &&
             (resourceType == D3DRTYPE_SURFACE || resourceType == D3DRTYPE_TEXTURE ||
              resourceType == D3DRTYPE_CUBETEXTURE || resourceType == D3DRTYPE_VOLUMETEXTURE);
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) {
    if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(displayFormat)) return D3DERR_NOTAVAILABLE;
    if (backBufferFormat != D3DFMT_X8R8G8B8 && backBufferFormat != D3DFMT_A8R8G8B8 &&
        backBufferFormat != D3DFMT_R5G6B5 && backBufferFormat != D3DFMT_UNKNOWN)
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                               BOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType,
                                               DWORD* qualityLevels) {
    if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    if (qualityLevels) *qualityLevels = 0;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (!IsRenderTargetFormat(surfaceFormat) && !IsDepthFormat(surfaceFormat)) return D3DERR_NOTAVAILABLE;
    const DWORD samples = multiSampleType;
    bool ok = samples <= 1;
    if (!ok && samples <= 16) ok = static_cast<int>(samples) <= Platform::QueryGlInfo().maxSamples;
    if (!ok) return D3DERR_NOTAVAILABLE;
    if (qualityLevels) *qualityLevels = 1;
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
    if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    return IsRenderTargetFormat(renderTargetFormat) && IsDepthFormat(depthStencilFormat) ? D3D_OK
                                                                                       : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!params || !ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const DWORD vp = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                      D3DCREATE_MIXED_VERTEXPROCESSING);
    if (vp != D3DCREATE_SOFTWARE_VERTEXPROCESSING && vp != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        vp != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    if (params->BackBufferCount > 3 || params->SwapEffect < D3DSWAPEFFECT_DISCARD ||
        params->SwapEffect > D3DSWAPEFFECT_COPY)
        return D3DERR_INVALIDCALL;
    HWND window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
    auto* created = new IDirect3DDevice9();
    const HRESULT hr = Platform::InitializeDevice(created, window, behaviorFlags, params);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *device = created;
    return D3D_OK;
}
