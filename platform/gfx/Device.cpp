// The device's life: GL context creation on the SDL window, Clear,
// Begin/EndScene, Present, the cooperative level with its loss simulation,
// Reset, the viewport, and the read-back helper for tests.
#include "platform/gfx/DeviceState.h"
#include "platform/window/Window.h"

#include <SDL.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <vector>

using Platform::DeviceState;

namespace {

// The back buffer is the window's drawable: its size is what the device
// reports in the presentation parameters.
void TakeDrawableSize(DeviceState& s, D3DPRESENT_PARAMETERS* params) {
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(s.window, &w, &h);
    if (w <= 0 || h <= 0) SDL_GetWindowSize(s.window, &w, &h);
    s.targetWidth = static_cast<UINT>(std::max(w, 1));
    s.targetHeight = static_cast<UINT>(std::max(h, 1));
    params->BackBufferWidth = s.targetWidth;
    params->BackBufferHeight = s.targetHeight;
    if (params->BackBufferFormat == D3DFMT_UNKNOWN) params->BackBufferFormat = D3DFMT_X8R8G8B8;
    if (params->BackBufferCount == 0) params->BackBufferCount = 1;
}

// Switches the window between windowed and full screen as the parameters ask.
bool ApplyDisplayMode(SDL_Window* window, const D3DPRESENT_PARAMETERS& params) {
    if (params.Windowed) {
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) return SDL_SetWindowFullscreen(window, 0) == 0;
        return true;
    }
    SDL_DisplayMode mode{};
    mode.format = SDL_PIXELFORMAT_RGB888;
    mode.w = static_cast<int>(params.BackBufferWidth);
    mode.h = static_cast<int>(params.BackBufferHeight);
    mode.refresh_rate = static_cast<int>(params.FullScreen_RefreshRateInHz);
    if (mode.w > 0 && mode.h > 0) SDL_SetWindowDisplayMode(window, &mode);
    return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

void ApplySwapInterval(const D3DPRESENT_PARAMETERS& params) {
    // Some drivers (GLX under Xvfb) refuse to change the interval; that is
    // not an error for the device.
    SDL_GL_SetSwapInterval(params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
}

bool IsLost(const DeviceState& s) { return s.lostAnswersLeft > 0 || s.lost || s.needsReset; }

// The software rasteriser takes the memory of each frame's commands afresh
// and frees it when the frame is drawn. Left to itself, glibc gives the freed
// top of the heap back to the system every frame, and the next frame faults
// every page in again: on this renderer that cost more than half the main
// thread's time. The heap keeps what it frees instead (it only ever grows to
// the largest frame's needs).
void KeepFreedHeap() {
#if defined(__GLIBC__)
    static const bool kept = mallopt(M_TRIM_THRESHOLD, 256 << 20) != 0;
    (void)kept;
#endif
}

} // namespace

namespace Platform {

HRESULT InitializeDevice(IDirect3DDevice9* device, HWND window, DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params) {
    DeviceState& s = device->State();
    SDL_Window* sdlWindow = GetSdlWindow(window);
    if (!sdlWindow) return D3DERR_INVALIDCALL;
    if (!ApplyDisplayMode(sdlWindow, *params)) return D3DERR_NOTAVAILABLE;
    KeepFreedHeap();

    int depthBits = 0;
    int stencilBits = 0;
    if (params->EnableAutoDepthStencil) {
        switch (params->AutoDepthStencilFormat) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: depthBits = 16; break;
        case D3DFMT_D24S8: depthBits = 24; stencilBits = 8; break;
        case D3DFMT_D24X8:
        case D3DFMT_D32:
        case D3DFMT_D32F_LOCKABLE: depthBits = 24; break;
        default: return D3DERR_INVALIDCALL;
        }
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
    if (!context) {
        std::fprintf(stderr, "OpenGL 3.3 core context: %s\n", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    if (SDL_GL_MakeCurrent(sdlWindow, context) != 0 || epoxy_gl_version() < 33) {
        SDL_GL_DeleteContext(context);
        return D3DERR_NOTAVAILABLE;
    }
    s.window = sdlWindow;
    s.context = context;
    s.hWnd = window;
    s.behaviorFlags = behaviorFlags;
    ReadGlInfoFromCurrentContext(s.gl);
    ApplySwapInterval(*params);
    if (s.gl.clipControl) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glGenVertexArrays(1, &s.vertexArray);
    glBindVertexArray(s.vertexArray);
    glGenSamplers(static_cast<GLsizei>(kD3DSamplerCount), s.samplers);
    TakeDrawableSize(s, params);
    s.params = *params;
    s.SetDefaultStates();
    s.ApplyAllToGl();
    return D3D_OK;
}

void SimulateDeviceLoss(IDirect3DDevice9* device, int lostFrames) {
    if (!device) return;
    DeviceState& s = device->State();
    s.lostAnswersLeft = std::max(1, lostFrames);
    s.lost = true;
    s.needsReset = false;
}

bool ReadBackBuffer(IDirect3DDevice9* device, int x, int y, int width, int height, DWORD* out) {
    if (!device || !out || width <= 0 || height <= 0 || x < 0 || y < 0) return false;
    DeviceState& s = device->State();
    if (!s.MakeCurrent()) return false;
    if (static_cast<UINT>(x + width) > s.targetWidth || static_cast<UINT>(y + height) > s.targetHeight) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
    if (s.framebuffer == 0) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<DWORD> rows(static_cast<size_t>(width) * static_cast<size_t>(height));
    const GLint glY = s.targetTopDown ? y : static_cast<GLint>(s.targetHeight) - (y + height);
    glReadPixels(x, glY, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    for (int r = 0; r < height; ++r) {
        const int src = s.targetTopDown ? r : height - 1 - r;
        std::copy_n(rows.data() + static_cast<size_t>(src) * width, width, out + static_cast<size_t>(r) * width);
    }
    return true;
}

int LiveDefaultPoolResources(IDirect3DDevice9* device) { return device ? device->State().liveDefaultPool : 0; }

} // namespace Platform

IDirect3DDevice9::IDirect3DDevice9() : m_pState(new DeviceState) { m_pState->SetDefaultStates(); }

IDirect3DDevice9::~IDirect3DDevice9() {
    DeviceState& s = *m_pState;
    for (auto*& t : s.textures) SafeReleaseCom(t);
    for (auto& st : s.streams) SafeReleaseCom(st.buffer);
    SafeReleaseCom(s.indices);
    SafeReleaseCom(s.declaration);
    for (auto*& rt : s.renderTargets) SafeReleaseCom(rt);
    SafeReleaseCom(s.depthStencil);
    if (s.context) {
        if (s.MakeCurrent()) {
            glDeleteSamplers(static_cast<GLsizei>(kD3DSamplerCount), s.samplers);
            glDeleteVertexArrays(1, &s.vertexArray);
        }
        SDL_GL_MakeCurrent(s.window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(s.context));
        if (s.window && !s.params.Windowed) SDL_SetWindowFullscreen(s.window, 0);
    }
    delete m_pState;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() {
    DeviceState& s = *m_pState;
    if (s.lostAnswersLeft > 0) {
        s.lost = true;
        if (--s.lostAnswersLeft == 0) s.needsReset = true;
        return D3DERR_DEVICELOST;
    }
    if (s.needsReset) return D3DERR_DEVICENOTRESET;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* params) {
    DeviceState& s = *m_pState;
    if (!params) return D3DERR_INVALIDCALL;
    if (s.lostAnswersLeft > 0) return D3DERR_DEVICELOST;
    if (s.liveDefaultPool > 0 || s.inScene) {
        // A refused reset leaves the device waiting for a proper one.
        s.lost = true;
        s.needsReset = true;
        return D3DERR_INVALIDCALL;
    }
    if (s.context) {
        if (!s.MakeCurrent() || !ApplyDisplayMode(s.window, *params)) {
            s.lost = true;
            s.needsReset = true;
            return D3DERR_NOTAVAILABLE;
        }
        ApplySwapInterval(*params);
        TakeDrawableSize(s, params);
    }
    s.params = *params;
    s.framebuffer = 0;
    s.targetTopDown = false;
    s.SetDefaultStates();
    if (s.context) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        s.ApplyAllToGl();
    }
    s.lost = false;
    s.needsReset = false;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                  const void* dirtyRegion) {
    DeviceState& s = *m_pState;
    if (sourceRect || destRect || destWindowOverride || dirtyRegion) return D3DERR_INVALIDCALL;
    if (s.inScene) return D3DERR_INVALIDCALL;
    if (IsLost(s)) return D3DERR_DEVICELOST;
    if (s.context && s.MakeCurrent()) {
        // The frame's commands go to the driver here. A swap of a surface
        // that is no window (an offscreen pbuffer) does nothing, not even a
        // flush, and a driver that queues draws until a flush (the software
        // rasteriser) would otherwise keep every frame's commands queued.
        glFlush();
        SDL_GL_SwapWindow(s.window);
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene() {
    if (m_pState->inScene) return D3DERR_INVALIDCALL;
    m_pState->inScene = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
    if (!m_pState->inScene) return D3DERR_INVALIDCALL;
    m_pState->inScene = false;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                DWORD stencil) {
    DeviceState& s = *m_pState;
    if ((count > 0) != (rects != nullptr)) return D3DERR_INVALIDCALL;
    if (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
    if (flags == 0) return D3D_OK;
    if (!s.MakeCurrent()) return D3D_OK;

    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        glClearColor(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f, (color & 0xff) / 255.0f,
                     ((color >> 24) & 0xff) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        glDepthMask(GL_TRUE);
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFFFFFFFFu);
    }

    // A clear covers the viewport, cut by the given rectangles and, while the
    // scissor test is on, by the scissor rectangle.
    LONG left = static_cast<LONG>(s.viewport.X);
    LONG top = static_cast<LONG>(s.viewport.Y);
    LONG right = left + static_cast<LONG>(s.viewport.Width);
    LONG bottom = top + static_cast<LONG>(s.viewport.Height);
    if (s.renderStates[D3DRS_SCISSORTESTENABLE]) {
        left = std::max(left, s.scissor.left);
        top = std::max(top, s.scissor.top);
        right = std::min(right, s.scissor.right);
        bottom = std::min(bottom, s.scissor.bottom);
    }
    glEnable(GL_SCISSOR_TEST);
    auto clearBox = [&](LONG l, LONG t, LONG r, LONG b) {
        l = std::max(l, left);
        t = std::max(t, top);
        r = std::min(r, right);
        b = std::min(b, bottom);
        if (r <= l || b <= t) return;
        const GLint y = s.targetTopDown ? t : static_cast<GLint>(s.targetHeight) - b;
        glScissor(l, y, r - l, b - t);
        glClear(mask);
    };
    if (count == 0)
        clearBox(left, top, right, bottom);
    else
        for (DWORD i = 0; i < count; ++i) clearBox(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);

    // Put back the states the clear borrowed.
    s.ApplyRenderState(D3DRS_COLORWRITEENABLE);
    s.ApplyRenderState(D3DRS_ZWRITEENABLE);
    s.ApplyRenderState(D3DRS_STENCILWRITEMASK);
    s.ApplyRenderState(D3DRS_SCISSORTESTENABLE);
    const GLint sy = s.targetTopDown ? s.scissor.top : static_cast<GLint>(s.targetHeight) - s.scissor.bottom;
    glScissor(s.scissor.left, sy, std::max(0, s.scissor.right - s.scissor.left),
              std::max(0, s.scissor.bottom - s.scissor.top));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport) {
    DeviceState& s = *m_pState;
    if (!viewport) return D3DERR_INVALIDCALL;
    if (viewport->Width == 0 || viewport->Height == 0 ||
        static_cast<unsigned long long>(viewport->X) + viewport->Width > s.targetWidth ||
        static_cast<unsigned long long>(viewport->Y) + viewport->Height > s.targetHeight)
        return D3DERR_INVALIDCALL;
    if (viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f || viewport->MinZ > viewport->MaxZ) return D3DERR_INVALIDCALL;
    s.viewport = *viewport;
    if (s.MakeCurrent()) s.ApplyViewport();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = m_pState->viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    Platform::FillDeviceCaps(m_pState->gl.valid ? m_pState->gl : Platform::QueryGlInfo(), caps);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
    if (!mode || swapChain != 0) return D3DERR_INVALIDCALL;
    SDL_DisplayMode dm{};
    const int display = m_pState->window ? std::max(0, SDL_GetWindowDisplayIndex(m_pState->window)) : 0;
    if (SDL_GetCurrentDisplayMode(display, &dm) != 0) return D3DERR_NOTAVAILABLE;
    mode->Width = static_cast<UINT>(std::max(dm.w, 0));
    mode->Height = static_cast<UINT>(std::max(dm.h, 0));
    mode->RefreshRate = static_cast<UINT>(std::max(dm.refresh_rate, 0));
    mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetCreationParameters(D3DDEVTYPE* deviceType, HWND* focusWindow, DWORD* behaviorFlags) {
    if (deviceType) *deviceType = D3DDEVTYPE_HAL;
    if (focusWindow) *focusWindow = m_pState->hWnd;
    if (behaviorFlags) *behaviorFlags = m_pState->behaviorFlags;
    return D3D_OK;
}

UINT IDirect3DDevice9::GetAvailableTextureMem() {
    // GL does not tell; a figure large enough for any check the engines make.
    return 512u << 20;
}

HRESULT IDirect3DDevice9::EvictManagedResources() { return D3D_OK; }
