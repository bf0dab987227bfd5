#pragma once
// The device's own state behind IDirect3DDevice9: the GL context, the
// Direct3D state tables and the bound objects. Only the files of
// platform/gfx include this header. Every area of the device (states,
// resources, draws, effects, the fixed-function shaders) reads and writes
// this one record, so each can live in its own file.
//
// GL conventions kept here:
// - the default framebuffer's rows are bottom-up; `targetTopDown` is false
//   for it. A render target that stores rows top-down (rendered with a y
//   flip so Direct3D texture coordinates read it upright) sets it true, and
//   the cull winding is mirrored while it is bound (ApplyCullMode).
// - depth is [0, 1] through glClipControl when `clipControl` is true;
//   otherwise every vertex shader must remap z' = 2z - w.
#include "platform/gfx/d3d9.h"

#include <epoxy/gl.h>

#include <memory>
#include <string>

struct SDL_Window;

namespace Platform {

struct StreamBinding {
    IDirect3DVertexBuffer9* buffer = nullptr;  // holds a reference
    UINT offset = 0;
    UINT stride = 0;
};

// What the driver is, read once from a GL context.
struct GlInfo {
    bool valid = false;
    std::string renderer;
    std::string version;
    GLint maxTextureSize = 2048;
    GLint max3DTextureSize = 256;
    GLfloat maxAnisotropy = 1.0f;
    GLint maxSamples = 0;
    bool clipControl = false;
    bool s3tc = false;
};

constexpr DWORD kMaxStreams = 16;
constexpr DWORD kMaxRenderTargets = 4;
constexpr DWORD kMaxWorldMatrices = 256;
constexpr DWORD kMaxClipPlanes = 6;
constexpr DWORD kMaxLights = 8;

struct DeviceState {
    // --- Context and presentation ---
    SDL_Window* window = nullptr;
    void* context = nullptr;  // SDL_GLContext; null for a device without GL
    HWND hWnd = nullptr;
    D3DPRESENT_PARAMETERS params{};
    DWORD behaviorFlags = 0;
    GlInfo gl;
    bool inScene = false;

    // --- Loss simulation (test hook) ---
    // > 0: answers remaining as DEVICELOST; 0 with `needsReset`: NOTRESET.
    int lostAnswersLeft = 0;
    bool lost = false;
    bool needsReset = false;

    // Default-pool resources alive; Reset refuses while > 0.
    int liveDefaultPool = 0;

    // --- Direct3D state tables (indexed by the state's value) ---
    DWORD renderStates[kD3DRenderStateCount] = {};
    DWORD samplerStates[kD3DSamplerCount][kD3DSamplerStateCount] = {};
    DWORD stageStates[kD3DTextureStageCount][kD3DTextureStageStateCount] = {};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    D3DMATRIX world[kMaxWorldMatrices]{};
    D3DMATRIX texture[kD3DTextureStageCount]{};
    D3DVIEWPORT9 viewport{};
    D3DMATERIAL9 material{};
    D3DLIGHT9 lights[kMaxLights]{};
    bool lightSet[kMaxLights] = {};
    bool lightEnabled[kMaxLights] = {};
    float clipPlanes[kMaxClipPlanes][4] = {};
    RECT scissor{};
    // Set when transforms, material or lights changed, for the shaders that
    // upload them; the drawing code clears them after uploading.
    bool transformsDirty = true;
    bool lightingDirty = true;

    // --- Bound objects (each holds a reference) ---
    IDirect3DBaseTexture9* textures[kD3DSamplerCount] = {};
    StreamBinding streams[kMaxStreams];
    IDirect3DIndexBuffer9* indices = nullptr;
    DWORD fvf = 0;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DSurface9* renderTargets[kMaxRenderTargets] = {};
    IDirect3DSurface9* depthStencil = nullptr;

    // --- The current target as GL sees it ---
    GLuint framebuffer = 0;  // 0: the window's back buffer
    UINT targetWidth = 0;
    UINT targetHeight = 0;
    bool targetTopDown = false;

    // --- GL objects owned by the device ---
    GLuint vertexArray = 0;
    GLuint samplers[kD3DSamplerCount] = {};
    // The drawing code's own objects (shader programs, framebuffer object,
    // the effect pass in progress); it deletes no GL names at destruction,
    // since they die with the context.
    std::shared_ptr<void> drawExtras;

    // Direct3D's documented defaults for every table above (no GL calls).
    void SetDefaultStates();
    // Pushes every state that maps onto GL state (depth, blend, cull, fill,
    // stencil, colour mask, scissor, viewport, samplers). Needs the context.
    void ApplyAllToGl();
    // Single-state GL updates, used by the setters and ApplyAllToGl.
    void ApplyRenderState(DWORD state);
    void ApplySamplerState(DWORD sampler);
    void ApplyCullMode();
    void ApplyViewport();
    // Makes the device's context current on its window (no-op without GL).
    bool MakeCurrent();
};

// Reads the driver's facts once per process, from the given current context
// or, when none is current, from a short-lived hidden window.
const GlInfo& QueryGlInfo();
// Fills `info` from the context that is current now.
void ReadGlInfoFromCurrentContext(GlInfo& info);
// The capabilities a device on that driver reports.
void FillDeviceCaps(const GlInfo& info, D3DCAPS9* caps);
// Creates the GL context of `device` on the window; answers as CreateDevice.
HRESULT InitializeDevice(IDirect3DDevice9* device, HWND window, DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params);

} // namespace Platform
