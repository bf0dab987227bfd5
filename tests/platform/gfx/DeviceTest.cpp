// The device on a real GL context (SDL's offscreen driver in the test run):
// modes, caps, clears read back from the back buffer, states, the loss and
// reset cycle, and frames that leave nothing behind once presented.
#include "platform/gfx/d3d9.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <vector>

namespace {

LRESULT TestProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// A default-pool buffer, to hold Reset back the way a real one would.
class PoolBuffer : public IDirect3DVertexBuffer9 {
public:
    explicit PoolBuffer(IDirect3DDevice9* device) : IDirect3DVertexBuffer9(device, D3DRTYPE_VERTEXBUFFER, D3DPOOL_DEFAULT) {}
    HRESULT Lock(UINT, UINT, void**, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT Unlock() override { return D3D_OK; }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC*) override { return D3D_OK; }
};

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_pD3D, nullptr);
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TestProc;
        wc.lpszClassName = "GfxTestClass";
        RegisterClassExA(&wc);
        m_hWnd = CreateWindowExA(0, "GfxTestClass", "gfx", WS_OVERLAPPED, 0, 0, 64, 48, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_hWnd, nullptr);
    }
    void TearDown() override {
        SafeReleaseCom(m_pDevice);
        SafeReleaseCom(m_pD3D);
        if (m_hWnd) DestroyWindow(m_hWnd);
        UnregisterClassA("GfxTestClass", GetModuleHandleA(nullptr));
    }
    D3DPRESENT_PARAMETERS WindowedParams() {
        D3DPRESENT_PARAMETERS pp = {};
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        pp.hDeviceWindow = m_hWnd;
        return pp;
    }
    void CreateDevice() {
        m_pp = WindowedParams();
        ASSERT_EQ(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_hWnd,
                                       D3DCREATE_HARDWARE_VERTEXPROCESSING, &m_pp, &m_pDevice),
                  D3D_OK);
    }
    DWORD Pixel(int x, int y) {
        DWORD p = 0;
        EXPECT_TRUE(Platform::ReadBackBuffer(m_pDevice, x, y, 1, 1, &p));
        return p;
    }

    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWnd = nullptr;
    D3DPRESENT_PARAMETERS m_pp = {};
};

TEST_F(DeviceTest, ModesAreAscendingWithoutEmptyEntriesAndTheDesktopIsKnown) {
    D3DDISPLAYMODE desktop = {};
    ASSERT_EQ(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
    EXPECT_GT(desktop.Width, 0u);
    EXPECT_GT(desktop.Height, 0u);
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);

    const UINT count = m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, desktop.Format);
    ASSERT_GE(count, 1u);  // headless drivers list one mode, or one empty one
    D3DDISPLAYMODE previous = {};
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE m = {};
        ASSERT_EQ(m_pD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, desktop.Format, i, &m), D3D_OK);
        EXPECT_GT(m.Width, 0u);
        EXPECT_GT(m.Height, 0u);
        EXPECT_TRUE(m.Width > previous.Width || (m.Width == previous.Width && m.Height >= previous.Height));
        previous = m;
    }
    D3DDISPLAYMODE m = {};
    EXPECT_EQ(m_pD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, desktop.Format, count, &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_A8R8G8B8), 0u);
}

TEST_F(DeviceTest, IdentifierCapsAndFormatChecksDescribeTheGlDriver) {
    D3DADAPTER_IDENTIFIER9 id = {};
    ASSERT_EQ(m_pD3D->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id), D3D_OK);
    EXPECT_GT(std::strlen(id.Description), 0u);

    D3DCAPS9 caps = {};
    ASSERT_EQ(m_pD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.PixelShaderVersion, D3DPS_VERSION(3, 0));
    EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(3, 0));
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_GE(caps.MaxAnisotropy, 1u);
    EXPECT_EQ(m_pD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);

    struct Case {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        HRESULT expected;
    };
    const Case cases[] = {
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R32F, D3D_OK},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_L8, D3DERR_NOTAVAILABLE},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_L8, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_D16, D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type,
                                            c.format),
                  c.expected)
            << "format " << c.format << " usage " << c.usage;
    EXPECT_EQ(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                                 D3DMULTISAMPLE_NONE, nullptr),
              D3D_OK);
    EXPECT_EQ(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                                 static_cast<D3DMULTISAMPLE_TYPE>(17), nullptr),
              D3DERR_NOTAVAILABLE);
}

TEST_F(DeviceTest, CreationRefusesBadArgumentsAndFillsTheBackBufferSize) {
    D3DPRESENT_PARAMETERS pp = WindowedParams();
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_hWnd, 0, &pp, &device), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_hWnd,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                   &device),
              D3DERR_INVALIDCALL);
    pp.hDeviceWindow = nullptr;
    EXPECT_EQ(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MIXED_VERTEXPROCESSING,
                                   &pp, &device),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);

    CreateDevice();
    // A window's back buffer is its client area, and the parameters say so.
    EXPECT_EQ(m_pp.BackBufferWidth, 64u);
    EXPECT_EQ(m_pp.BackBufferHeight, 48u);
    D3DVIEWPORT9 vp = {};
    ASSERT_EQ(m_pDevice->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, 64u);
    EXPECT_EQ(vp.Height, 48u);
}

// Every render-target format the format check answers for is one the
// device makes: a caller that asked first never gets a refused texture.
TEST_F(DeviceTest, EveryRenderTargetFormatItAnswersForCanBeMade) {
    CreateDevice();
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A16B16G16R16,
                                 D3DFMT_R16F,     D3DFMT_G16R16F,  D3DFMT_A16B16G16R16F, D3DFMT_R32F,
                                 D3DFMT_G32R32F,  D3DFMT_A32B32G32R32F};
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    for (D3DFORMAT f : formats) {
        ASSERT_EQ(m_pD3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                            D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, f),
                  D3D_OK)
            << "format " << f;
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_pDevice->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, f, D3DPOOL_DEFAULT, &texture, nullptr),
                  D3D_OK)
            << "format " << f;
        IDirect3DSurface9* level = nullptr;
        if (texture && SUCCEEDED(texture->GetSurfaceLevel(0, &level))) {
            EXPECT_EQ(m_pDevice->SetRenderTarget(0, level), D3D_OK) << "format " << f;
            EXPECT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0), D3D_OK) << "format " << f;
            m_pDevice->SetRenderTarget(0, back);
        }
        SafeReleaseCom(level);
        SafeReleaseCom(texture);
    }
    SafeReleaseCom(back);
}

TEST_F(DeviceTest, ClearFillsTheViewportOnlyAndReadsBackAsArgb) {
    CreateDevice();
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3C6496u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0xFF3C6496u);
    EXPECT_EQ(Pixel(63, 47), 0xFF3C6496u);

    // The viewport's y runs down from the top, as in Direct3D.
    D3DVIEWPORT9 vp = {0, 0, 32, 16, 0.0f, 1.0f};
    ASSERT_EQ(m_pDevice->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(31, 15), 0xFFFF0000u);
    EXPECT_EQ(Pixel(32, 0), 0xFF3C6496u);
    EXPECT_EQ(Pixel(0, 16), 0xFF3C6496u);

    // Rectangles are cut to the viewport; no flags clears nothing.
    const D3DRECT r = {8, 8, 100, 100};
    ASSERT_EQ(m_pDevice->Clear(1, &r, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(8, 8), 0xFF00FF00u);
    EXPECT_EQ(Pixel(7, 7), 0xFFFF0000u);
    EXPECT_EQ(Pixel(40, 40), 0xFF3C6496u);
    EXPECT_EQ(m_pDevice->Clear(0, nullptr, 0, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(8, 8), 0xFF00FF00u);

    // A viewport outside the target is refused.
    D3DVIEWPORT9 bad = {0, 0, 65, 48, 0.0f, 1.0f};
    EXPECT_EQ(m_pDevice->SetViewport(&bad), D3DERR_INVALIDCALL);
    // The colour write mask does not hold back a clear.
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    vp = {0, 0, 64, 48, 0.0f, 1.0f};
    m_pDevice->SetViewport(&vp);
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(40, 40), 0xFF0000FFu);
}

TEST_F(DeviceTest, StatesKeepTheirValuesAndRefuseBadIndexes) {
    CreateDevice();
    DWORD v = 0;
    // Direct3D's defaults.
    ASSERT_EQ(m_pDevice->GetRenderState(D3DRS_CULLMODE, &v), D3D_OK);
    EXPECT_EQ(v, static_cast<DWORD>(D3DCULL_CCW));
    m_pDevice->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, static_cast<DWORD>(TRUE));
    m_pDevice->GetRenderState(D3DRS_ZENABLE, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DZB_TRUE));
    m_pDevice->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_POINT));
    m_pDevice->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_MODULATE));
    m_pDevice->GetTextureStageState(1, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_DISABLE));

    EXPECT_EQ(m_pDevice->SetRenderState(D3DRS_ALPHAREF, 2), D3D_OK);
    m_pDevice->GetRenderState(D3DRS_ALPHAREF, &v);
    EXPECT_EQ(v, 2u);
    EXPECT_EQ(m_pDevice->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, 16), D3D_OK);
    m_pDevice->GetSamplerState(0, D3DSAMP_MAXANISOTROPY, &v);
    EXPECT_EQ(v, 16u);
    EXPECT_EQ(m_pDevice->SetRenderState(static_cast<D3DRENDERSTATETYPE>(kD3DRenderStateCount), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->SetSamplerState(kD3DSamplerCount, D3DSAMP_MINFILTER, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->SetTextureStageState(kD3DTextureStageCount, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);

    D3DMATRIX m = {};
    m._11 = 2.0f;
    m._44 = 1.0f;
    EXPECT_EQ(m_pDevice->SetTransform(D3DTS_WORLDMATRIX(3), &m), D3D_OK);
    D3DMATRIX back = {};
    ASSERT_EQ(m_pDevice->GetTransform(D3DTS_WORLDMATRIX(3), &back), D3D_OK);
    EXPECT_EQ(back._11, 2.0f);
    EXPECT_EQ(m_pDevice->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &m), D3DERR_INVALIDCALL);

    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    EXPECT_EQ(m_pDevice->SetLight(0, &light), D3D_OK);
    EXPECT_EQ(m_pDevice->LightEnable(0, TRUE), D3D_OK);
    BOOL on = FALSE;
    EXPECT_EQ(m_pDevice->GetLightEnable(0, &on), D3D_OK);
    EXPECT_TRUE(on);
    light.Type = static_cast<D3DLIGHTTYPE>(0);
    EXPECT_EQ(m_pDevice->SetLight(1, &light), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, LossAnswersLostThenNotResetUntilAResetThatNoDefaultPoolObjectHoldsBack) {
    CreateDevice();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    Platform::SimulateDeviceLoss(m_pDevice, 2);

    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    // Too early: the device cannot be reset while it is still lost.
    EXPECT_EQ(m_pDevice->Reset(&m_pp), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    auto* buffer = new PoolBuffer(m_pDevice);
    EXPECT_EQ(Platform::LiveDefaultPoolResources(m_pDevice), 1);
    EXPECT_EQ(m_pDevice->Reset(&m_pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    buffer->Release();
    EXPECT_EQ(Platform::LiveDefaultPoolResources(m_pDevice), 0);

    ASSERT_EQ(m_pDevice->Reset(&m_pp), D3D_OK);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // A reset returns every state to its default.
    DWORD v = 0;
    m_pDevice->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, static_cast<DWORD>(TRUE));
    EXPECT_EQ(m_pp.BackBufferWidth, 64u);
}

TEST_F(DeviceTest, ScenesPairAndResourcesKeepTheirDeviceAlive) {
    CreateDevice();
    EXPECT_EQ(m_pDevice->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->BeginScene(), D3D_OK);
    EXPECT_EQ(m_pDevice->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->EndScene(), D3D_OK);

    auto* buffer = new PoolBuffer(m_pDevice);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(buffer->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, m_pDevice);
    owner->Release();
    void* asBuffer = nullptr;
    EXPECT_EQ(buffer->QueryInterface(IID_IDirect3DVertexBuffer9, &asBuffer), S_OK);
    EXPECT_EQ(asBuffer, buffer);
    buffer->Release();
    void* asTexture = nullptr;
    EXPECT_EQ(buffer->QueryInterface(IID_IDirect3DTexture9, &asTexture), E_NOINTERFACE);
    EXPECT_EQ(asTexture, nullptr);
    // The device outlives its own last reference while a resource holds it.
    m_pDevice->Release();
    m_pDevice = nullptr;
    EXPECT_EQ(buffer->Release(), 0u);
}

// Heap bytes in use, the driver's included.
size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A screen of GUI quads drawn frame after frame: whatever the driver keeps
// for a frame is given back once the frame is presented, also where the swap
// itself does nothing (an offscreen surface), so the heap does not grow with
// the frame count.
TEST_F(DeviceTest, PresentedFramesLeaveNothingQueuedBehind) {
    HWND big = CreateWindowExA(0, "GfxTestClass", "gfx", WS_OVERLAPPED, 0, 0, 640, 480, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(big, nullptr);
    DestroyWindow(m_hWnd);
    m_hWnd = big;
    CreateDevice();
    ASSERT_EQ(m_pp.BackBufferWidth, 640u);

    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
    };
    constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
    IDirect3DVertexBuffer9* quad = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(4 * sizeof(Vertex), D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED, &quad,
                                            nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(quad->Lock(0, 0, &data, 0), D3D_OK);
    const Vertex corners[4] = {{0, 480, 0.5f, 1, 0x80FF0000u},
                               {0, 0, 0.5f, 1, 0x80FF0000u},
                               {640, 480, 0.5f, 1, 0x80FF0000u},
                               {640, 0, 0.5f, 1, 0x80FF0000u}};
    std::memcpy(data, corners, sizeof corners);
    quad->Unlock();
    // Small marks all over the screen, as a GUI's text: many triangles that
    // cost the rasteriser little.
    constexpr UINT kMarks = 2000;
    IDirect3DVertexBuffer9* marks = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(3 * kMarks * sizeof(Vertex), D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED,
                                            &marks, nullptr),
              D3D_OK);
    ASSERT_EQ(marks->Lock(0, 0, &data, 0), D3D_OK);
    auto* v = static_cast<Vertex*>(data);
    for (UINT i = 0; i < kMarks; ++i) {
        const float x = static_cast<float>(i % 50) * 12.0f + 10.0f, y = static_cast<float>(i / 50) * 11.0f + 10.0f;
        v[3 * i] = {x, y, 0.5f, 1, 0xFFFFFFFFu};
        v[3 * i + 1] = {x + 3, y, 0.5f, 1, 0xFFFFFFFFu};
        v[3 * i + 2] = {x, y + 3, 0.5f, 1, 0xFFFFFFFFu};
    }
    marks->Unlock();

    auto frame = [&](bool present) {
        ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
        ASSERT_EQ(m_pDevice->BeginScene(), D3D_OK);
        m_pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        m_pDevice->SetFVF(kFvf);
        m_pDevice->SetStreamSource(0, marks, 0, sizeof(Vertex));
        ASSERT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, kMarks), D3D_OK);
        m_pDevice->SetStreamSource(0, quad, 0, sizeof(Vertex));
        for (int i = 0; i < 4; ++i) ASSERT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        ASSERT_EQ(m_pDevice->EndScene(), D3D_OK);
        if (present) {
            ASSERT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        }
    };
    // The driver's own pools fill during the first frames (how far depends on
    // its rasteriser threads); after them the heap stays within a bound
    // instead of growing with every frame.
    for (int i = 0; i < 150; ++i) frame(true);
    const size_t before = HeapInUse();
    for (int i = 0; i < 300; ++i) frame(true);
    const size_t after = HeapInUse();
    // A frame's triangles kept queued grow the heap by hundreds of KB a frame,
    // sixty megabytes and more here; on a loaded machine the rasteriser's own
    // pools still step up by about twenty-five when it takes on one more
    // frame's worth of memory.
    EXPECT_LT(after, before + (40u << 20)) << "heap grew by " << (after - before) << " bytes over 300 frames";
    // The frames are drawn: the quads blend red over the black clear.
    frame(false);
    const DWORD centre = Pixel(320, 240);
    EXPECT_GE((centre >> 16) & 0xFFu, 0xE0u);
    EXPECT_EQ(centre & 0xFFFFu, 0u);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    quad->Release();
    marks->Release();
}

} // namespace
