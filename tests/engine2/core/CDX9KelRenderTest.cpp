#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelRender.h"

#include "TestFolder.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

// An adapter with a chosen desktop and mode list; device creation goes to
// the real Direct3D object unless the vertex-processing flag is refused.
class FakeD3D : public IDirect3D9 {
public:
    D3DDISPLAYMODE desktop{1920, 1080, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;
    HRESULT displayModeResult = D3D_OK;
    std::vector<DWORD> refusedFlags;
    IDirect3D9* real = nullptr;

    ~FakeD3D() override { SafeReleaseCom(real); }
    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
        if (FAILED(displayModeResult)) return displayModeResult;
        *mode = desktop;
        return D3D_OK;
    }
    UINT GetAdapterModeCount(UINT, D3DFORMAT) override { return static_cast<UINT>(modes.size()); }
    HRESULT EnumAdapterModes(UINT, D3DFORMAT, UINT mode, D3DDISPLAYMODE* out) override {
        if (mode >= modes.size()) return D3DERR_INVALIDCALL;
        *out = modes[mode];
        return D3D_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND hWnd, DWORD flags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** device) override {
        for (DWORD refused : refusedFlags)
            if (flags == refused) return D3DERR_NOTAVAILABLE;
        if (!real) real = Direct3DCreate9(D3D_SDK_VERSION);
        return real ? real->CreateDevice(adapter, type, hWnd, flags, params, device) : E_FAIL;
    }
};

class Engine2RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = (VornaTest::FreshFolder() / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
        fake = new FakeD3D();
        render.m_pD3D = fake;
    }
    void TearDown() override { g_Log.Reset(); }
    std::string Log() { return VornaTest::ReadText(logPath); }

    std::string logPath;
    CDX9KelRender render;
    FakeD3D* fake = nullptr;
};

} // namespace

TEST_F(Engine2RenderTest, ModeSettling) {
    struct Case {
        int fullScreen, width, height, refresh;
        int wantFull, wantWidth, wantHeight, wantRefresh;
    } cases[] = {
        // Not set: full screen at the desktop's mode, whatever the size says.
        {-1, 800, 600, -1, 1, 1920, 1080, 60},
        {7, 800, 600, 75, 1, 1920, 1080, 60},
        // Too wide for every mode and the desktop: the desktop's size.
        {0, 4000, 3000, 60, 0, 1920, 1080, 60},
        // A refresh rate above the largest mode's: the desktop's.
        {1, 1280, 1024, 144, 1, 1280, 1024, 60},
        // A size that exists is kept; the height is never checked.
        {0, 1024, 9999, 60, 0, 1024, 9999, 60},
        // Missing size in a window stays negative (the window refuses it).
        {0, -1, -1, -1, 0, -1, -1, -1},
    };
    fake->modes = {{800, 600, 60, D3DFMT_X8R8G8B8}, {1920, 1080, 75, D3DFMT_X8R8G8B8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fullScreen << " " << c.width << "x" << c.height << "@" << c.refresh);
        ASSERT_EQ(render.CheckWindowMode(c.fullScreen, c.width, c.height, c.refresh), S_OK);
        EXPECT_EQ(render.m_iFullScreen, c.wantFull);
        EXPECT_EQ(render.m_iWidth, c.wantWidth);
        EXPECT_EQ(render.m_iHeight, c.wantHeight);
        EXPECT_EQ(render.m_iRefreshRate, c.wantRefresh);
        EXPECT_EQ(render.m_d3dpp.BackBufferCount, 3u);
        EXPECT_EQ(render.m_d3dpp.AutoDepthStencilFormat, D3DFMT_D16);
        if (c.wantFull) {
            EXPECT_FALSE(render.m_d3dpp.Windowed);
            EXPECT_EQ(render.m_d3dpp.BackBufferWidth, static_cast<UINT>(c.wantWidth));
            EXPECT_EQ(render.m_d3dpp.PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
        } else {
            EXPECT_TRUE(render.m_d3dpp.Windowed);
            EXPECT_EQ(render.m_d3dpp.BackBufferWidth, 0u);
            EXPECT_EQ(render.m_d3dpp.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
        }
    }
}

TEST_F(Engine2RenderTest, NoModesKeepTheParametersAndAFailedDesktopReadFails) {
    render.m_d3dpp.BackBufferCount = 9;
    EXPECT_EQ(render.CheckWindowMode(0, 4000, 3000, 60), S_OK);
    EXPECT_EQ(render.m_iWidth, 4000);
    EXPECT_EQ(render.m_d3dpp.BackBufferCount, 9u);

    fake->displayModeResult = D3DERR_NOTAVAILABLE;
    EXPECT_EQ(render.CheckWindowMode(0, 800, 600, 60), E_FAIL);
    EXPECT_NE(Log().find("Error: GetAdapterDisplayMode() : D3DERR_NOTAVAILABLE\n"), std::string::npos);
}

TEST_F(Engine2RenderTest, VendorAndModel) {
    struct Case {
        const char* description;
        const char* vendor;
        const char* model;
    } cases[] = {{"GeForce 8800 GT", "NVIDIA", "8800"},
                 {"NVIDIA Quadro FX 3700", "NVIDIA", "3700"},
                 {"ATI RADEON X1600", "RADEON", ""},
                 {"Radeon HD 4870 512 MB", "RADEON", "4870"},
                 {"llvmpipe (LLVM 15.0.6, 256 bits)", "OTHER", "15.0.6,"},
                 {"0 notamodel", "OTHER", ""},
                 {"", "OTHER", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        render.ParseVendor(c.description);
        EXPECT_STREQ(render.m_szVendor, c.vendor);
        EXPECT_STREQ(render.m_szModelNumber, c.model);
    }
    // A model word longer than its field is cut.
    const std::string longModel = "GPU " + std::string(100, '7');
    render.ParseVendor(longModel.c_str());
    EXPECT_EQ(std::strlen(render.m_szModelNumber), 39u);
}

TEST_F(Engine2RenderTest, DeviceCreationFallsBackOneModeAtATime) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(64, 48, false, nullptr, true), S_OK);
    g_Log.Open(logPath);
    fake->modes = {{64, 48, 60, D3DFMT_X8R8G8B8}};
    ASSERT_EQ(render.CheckWindowMode(0, 64, 48, 60), S_OK);
    fake->refusedFlags = {D3DCREATE_HARDWARE_VERTEXPROCESSING};
    ASSERT_EQ(render.InitialD3DDevice(app.m_hWnd), S_OK);
    ASSERT_NE(render.GetDevice(), nullptr);
    const std::string log = Log();
    EXPECT_NE(log.find("Not support D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DERR_NOTAVAILABLE\n"),
              std::string::npos);
    EXPECT_EQ(log.find("Not support D3DCREATE_MIXED"), std::string::npos);
    EXPECT_NE(log.find("T CDX9KelRender::InitialD3DDevice(): Not support"), std::string::npos);
    EXPECT_EQ(g_Log.GetErrorCount(), 1);
    // The default states are set on the new device.
    DWORD value = 0;
    render.GetDevice()->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_CCW));
    render.GetDevice()->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 2u);
    render.GetDevice()->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));

    // Lost device: the flags follow the device's answers; a reset repairs it.
    Platform::SimulateDeviceLoss(render.GetDevice(), 1);
    render.TestDevice();
    EXPECT_TRUE(render.m_bDeviceLost);
    EXPECT_FALSE(render.m_bNeedReset);
    render.TestDevice();
    EXPECT_TRUE(render.m_bNeedReset);
    EXPECT_TRUE(render.Restore());
    render.Release();
    EXPECT_EQ(render.GetDevice(), nullptr);
}

TEST_F(Engine2RenderTest, EveryCreationModeRefused) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(64, 48, false, nullptr, true), S_OK);
    g_Log.Open(logPath);
    fake->refusedFlags = {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
                          D3DCREATE_SOFTWARE_VERTEXPROCESSING};
    ASSERT_EQ(render.CheckWindowMode(0, 64, 48, 60), S_OK);
    EXPECT_EQ(render.InitialD3DDevice(app.m_hWnd), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(render.GetDevice(), nullptr);
    EXPECT_EQ(g_Log.GetErrorCount(), 3);
}

TEST_F(Engine2RenderTest, ResizeAndCallsWithoutADevice) {
    EXPECT_FALSE(render.Resize(-1, 600));
    EXPECT_FALSE(render.m_bDeviceLost);
    EXPECT_TRUE(render.Resize(800, 600));
    EXPECT_TRUE(render.m_bDeviceLost);
    EXPECT_TRUE(render.m_bNeedReset);
    EXPECT_EQ(render.m_d3dpp.BackBufferWidth, 800u);
    render.BeginRender(0);
    render.EndRender();
    EXPECT_FALSE(render.Restore());
    EXPECT_EQ(render.SetDefaultStates(), E_FAIL);
    const std::string log = Log();
    EXPECT_NE(log.find("T Need lost D3DDevice\nT Need reset D3DDevice\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelRender::BeginRender() : m_pD3DDevice == NULL\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelRender::EndRender() : m_pD3DDevice == NULL\n"), std::string::npos);
}
