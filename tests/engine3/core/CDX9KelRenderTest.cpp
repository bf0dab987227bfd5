// The device wrapper: vendor detection, the window-mode rules against a
// Direct3D object with known modes, the creation fallback, the capability
// report and the default states on a real device.
#include "engine3/core/render/CDX9KelRender.h"

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelLog.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorna3D;

namespace {

// A Direct3D object with a chosen desktop and mode list, whose device
// creation fails for the listed vertex-processing flags.
class FakeD3D : public IDirect3D9 {
public:
    D3DDISPLAYMODE desktop = {1280, 1024, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes = {{800, 600, 60, D3DFMT_X8R8G8B8}, {1600, 1200, 85, D3DFMT_X8R8G8B8}};
    DWORD failingFlags = 0;
    std::vector<DWORD> triedFlags;

    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
        *mode = desktop;
        return D3D_OK;
    }
    UINT GetAdapterModeCount(UINT, D3DFORMAT) override { return static_cast<UINT>(modes.size()); }
    HRESULT EnumAdapterModes(UINT, D3DFORMAT, UINT i, D3DDISPLAYMODE* m) override {
        if (i >= modes.size()) return D3DERR_INVALIDCALL;
        *m = modes[i];
        return D3D_OK;
    }
    HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD flags, D3DPRESENT_PARAMETERS*,
                         IDirect3DDevice9** device) override {
        triedFlags.push_back(flags);
        *device = nullptr;
        return (flags & failingFlags) ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDDEVICE;
    }
};

std::string LogText(const std::filesystem::path& dir) { return VornaTest::ReadText(dir / "log.log"); }

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((m_dir / "log.log").c_str());
        m_pFake = new FakeD3D();
        m_render.m_pD3D = m_pFake;
        ASSERT_EQ(m_pFake->GetAdapterDisplayMode(0, &m_render.m_DesktopMode), D3D_OK);
    }
    void TearDown() override { g_Log.Reset(); }

    std::filesystem::path m_dir;
    FakeD3D* m_pFake = nullptr;  // owned by m_render
    CDX9KelRender m_render;
};

TEST(DetectVendorTest, ClassifiesDescriptions) {
    const std::string longWord(60, '7');
    struct Case {
        std::string description;
        const char* vendor;
        std::string model;
    } cases[] = {
        {"GeForce 8800 GT", "NVIDIA", "8800"},
        {"NVIDIA GeForce 7600 GS", "NVIDIA", "7600"},
        {"ATI RADEON X1600", "RADEON", ""},
        {"ATI Radeon HD 4850", "RADEON", "4850"},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", "OTHER", "256"},
        {"Some Adapter", "OTHER", ""},
        {"", "OTHER", ""},
        // The model-number field keeps 39 characters however long the word.
        {"nVidia " + longWord + " x", "NVIDIA", std::string(39, '7')},
        // Words start after blanks only; a digit inside a word starts nothing.
        {"X1600 0815 Rad", "RADEON", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        CDX9KelRender render;
        render.DetectVendor(c.description.c_str());
        EXPECT_STREQ(render.m_szVendorName, c.vendor);
        EXPECT_EQ(std::string(render.m_szModelNumber), c.model);
    }
    CDX9KelRender render;
    render.DetectVendor(nullptr);
    EXPECT_STREQ(render.m_szVendorName, "OTHER");
}

TEST_F(RenderTest, WindowModeRules) {
    struct Case {
        const char* name;
        int fullScreen, width, height, refresh, multisample;
        bool vsync;
        int expFullScreen, expWidth, expHeight, expRefresh;
        BOOL expWindowed;
        UINT expInterval;
        DWORD expMultisample;
    } cases[] = {
        {"default -1 is the desktop in full screen", -1, -1, -1, -1, 0, false, 1, 1280, 1024, 60, FALSE,
         D3DPRESENT_INTERVAL_IMMEDIATE, 0},
        {"a listed full-screen mode stays", 1, 800, 600, 60, 2, true, 1, 800, 600, 60, FALSE, 0, 2},
        {"wider than every mode and the desktop", 1, 2000, 1500, 60, 0, true, 1, 1280, 1024, 60, FALSE, 0, 0},
        {"wider than the desktop but within the modes", 1, 1600, 1200, 60, 0, true, 1, 1600, 1200, 60, FALSE, 0, 0},
        {"refresh above the last mode", 1, 800, 600, 120, 0, true, 1, 800, 600, 60, FALSE, 0, 0},
        {"window: immediate and no multisampling", 0, 1024, 768, 0, 4, true, 0, 1024, 768, 0, TRUE,
         D3DPRESENT_INTERVAL_IMMEDIATE, 0},
        {"window without a size takes the desktop's", 0, -1, -1, -1, 0, false, 0, 1280, 1024, 60, TRUE,
         D3DPRESENT_INTERVAL_IMMEDIATE, 0},
        {"zero height takes the desktop's size", 1, 800, 0, 60, 0, true, 1, 1280, 1024, 60, FALSE, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_render.SetWindowMode(c.fullScreen, c.width, c.height, c.refresh, c.multisample, c.vsync), S_OK);
        EXPECT_EQ(m_render.m_iFullScreen, c.expFullScreen);
        EXPECT_EQ(m_render.m_iWidth, c.expWidth);
        EXPECT_EQ(m_render.m_iHeight, c.expHeight);
        EXPECT_EQ(m_render.m_iRefreshRate, c.expRefresh);
        const D3DPRESENT_PARAMETERS& pp = m_render.m_d3dpp;
        EXPECT_EQ(pp.Windowed, c.expWindowed);
        EXPECT_EQ(pp.PresentationInterval, c.expInterval);
        EXPECT_EQ(static_cast<DWORD>(pp.MultiSampleType), c.expMultisample);
        EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(pp.Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
        EXPECT_TRUE(pp.EnableAutoDepthStencil);
        EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D16);
        EXPECT_EQ(pp.BackBufferCount, 1u);
        if (c.expWindowed) {
            EXPECT_EQ(pp.BackBufferWidth, 0u);
        } else {
            EXPECT_EQ(pp.BackBufferWidth, static_cast<UINT>(c.expWidth));
            EXPECT_EQ(pp.BackBufferHeight, static_cast<UINT>(c.expHeight));
            EXPECT_EQ(pp.FullScreen_RefreshRateInHz, static_cast<UINT>(c.expRefresh));
        }
    }
    CDX9KelRender empty;
    EXPECT_EQ(empty.SetWindowMode(0, 800, 600, 60, 0, false), E_FAIL);
}

TEST_F(RenderTest, DeviceCreationFallsBackFromHardwareToMixedToSoftware) {
    m_pFake->failingFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING |
                            D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    m_render.SetWindowMode(0, 640, 480, 0, 0, false);
    EXPECT_EQ(m_render.InitialD3DDevice(nullptr), D3DERR_NOTAVAILABLE);
    const std::vector<DWORD> order = {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING};
    EXPECT_EQ(m_pFake->triedFlags, order);
    EXPECT_EQ(m_render.m_pD3DDevice, nullptr);
    const std::string log = LogText(m_dir);
    EXPECT_NE(log.find("Not support D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DERR_NOTAVAILABLE"), std::string::npos);
    EXPECT_NE(log.find("Not support D3DCREATE_MIXED_VERTEXPROCESSING : D3DERR_NOTAVAILABLE"), std::string::npos);
    EXPECT_NE(log.find("Resolution X: 640"), std::string::npos);
    EXPECT_NE(log.find("Window mode: 1"), std::string::npos);
    EXPECT_EQ(log.find("CDX9KelRender::InitialD3DDevice(): OK"), std::string::npos);
}

TEST_F(RenderTest, ChangeResolutionAsksForLossAndResetOrRefusesNegativeSizes) {
    m_render.SetWindowMode(1, 800, 600, 60, 0, true);
    EXPECT_FALSE(m_render.ChangeResolution(-1, 600));
    EXPECT_FALSE(m_render.m_bLost);
    EXPECT_FALSE(m_render.m_bNeedReset);
    EXPECT_EQ(m_render.m_d3dpp.BackBufferWidth, 800u);
    EXPECT_EQ(LogText(m_dir).find("Need lost D3DDevice"), std::string::npos);

    EXPECT_TRUE(m_render.ChangeResolution(1024, 768));
    EXPECT_TRUE(m_render.m_bLost);
    EXPECT_TRUE(m_render.m_bNeedReset);
    EXPECT_EQ(m_render.m_d3dpp.BackBufferWidth, 1024u);
    EXPECT_EQ(m_render.m_iHeight, 768);
    const std::string log = LogText(m_dir);
    EXPECT_NE(log.find("Need lost D3DDevice\n"), std::string::npos);
    EXPECT_NE(log.find("Need reset D3DDevice\n"), std::string::npos);
}

TEST_F(RenderTest, CallsWithoutObjectsLogAndFail) {
    CDX9KelRender empty;
    empty.BeginRender(0);
    empty.EndRender();
    empty.Present();
    EXPECT_FALSE(empty.IsDepthFormatExisting(D3DFMT_D16, D3DFMT_X8R8G8B8));
    EXPECT_FALSE(empty.Restore());
    EXPECT_EQ(empty.TestDevice(), S_OK);
    EXPECT_EQ(empty.ReportCaps(), E_FAIL);
    EXPECT_EQ(empty.SetDefaultRenderStates(), E_FAIL);
    const std::string log = LogText(m_dir);
    EXPECT_NE(log.find("CDX9KelRender::BeginRender() : m_pD3DDevice == NULL"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelRender::EndRender() : m_pD3DDevice == NULL"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelRender::Present() : m_pD3DDevice == NULL"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelRender::IsDepthFormatExisting() : m_pD3D == NULL"), std::string::npos);
    EXPECT_EQ(log.find("Processor: "), std::string::npos);
}

// On the real device: the capability report and the engine's default states.
TEST(RenderDeviceTest, ReportsCapabilitiesAndSetsTheDefaultStates) {
    const auto dir = VornaTest::FreshFolder();
    g_Log.Reset();
    g_Log.Open((dir / "log.log").c_str());
    {
        CDX9KelApp app;
        CDX9KelRender render;
        ASSERT_EQ(render.InitialD3D(), S_OK);
        ASSERT_EQ(render.SetWindowMode(0, 320, 240, 0, 0, false), S_OK);
        ASSERT_EQ(app.CreateWnd(render.m_iWidth, render.m_iHeight, false, nullptr, true), S_OK);
        ASSERT_EQ(render.InitialD3DDevice(app.m_hWnd), S_OK);
        EXPECT_EQ(render.GetBackBufferWidth(), 320u);
        EXPECT_EQ(render.GetBackBufferHeight(), 240u);
        EXPECT_EQ(render.m_fPixelShaderVersion, 3.0f);
        EXPECT_EQ(render.m_fVertexShaderVersion, 3.0f);
        EXPECT_GE(render.m_dwMaxTextureWidth, 2048u);
        EXPECT_GE(render.m_dwMaxAnisotropy, 1u);
        EXPECT_TRUE(render.IsDepthFormatExisting(D3DFMT_D16, D3DFMT_X8R8G8B8));
        EXPECT_TRUE(render.IsRenderTargetFormatExisting(D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8));
        EXPECT_TRUE(render.IsTextureFormatOk(D3DFMT_X8R8G8B8));
        EXPECT_FALSE(render.IsRenderTargetFormatExisting(D3DFMT_D16, D3DFMT_X8R8G8B8));

        IDirect3DDevice9* d = render.GetDevice();
        struct State {
            D3DRENDERSTATETYPE state;
            DWORD value;
        } states[] = {{D3DRS_CULLMODE, D3DCULL_CCW},         {D3DRS_AMBIENT, 0xFFFFFFFFu},
                      {D3DRS_LIGHTING, FALSE},               {D3DRS_ZENABLE, D3DZB_TRUE},
                      {D3DRS_ALPHABLENDENABLE, TRUE},        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_ALPHAREF, 2},
                      {D3DRS_ALPHATESTENABLE, TRUE},         {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
                      {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL}};
        for (const State& s : states) {
            DWORD v = 0xDEAD;
            d->GetRenderState(s.state, &v);
            EXPECT_EQ(v, s.value) << "state " << s.state;
        }
        DWORD v = 0;
        d->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
        EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
        d->GetSamplerState(0, D3DSAMP_MAXANISOTROPY, &v);
        EXPECT_EQ(v, 4u);
        d->GetTextureStageState(0, D3DTSS_ALPHAARG2, &v);
        EXPECT_EQ(v, D3DTA_DIFFUSE);

        // Wireframe switches the fill mode and back.
        render.SetWireframe(true);
        d->GetRenderState(D3DRS_FILLMODE, &v);
        EXPECT_EQ(v, static_cast<DWORD>(D3DFILL_WIREFRAME));
        render.SetWireframe(false);
        d->GetRenderState(D3DRS_FILLMODE, &v);
        EXPECT_EQ(v, static_cast<DWORD>(D3DFILL_SOLID));

        // One frame: the clear colour reaches the back buffer.
        render.BeginRender(0xFF3C6496u);
        DWORD pixel = 0;
        ASSERT_TRUE(Platform::ReadBackBuffer(d, 10, 10, 1, 1, &pixel));
        EXPECT_EQ(pixel, 0xFF3C6496u);
        render.EndRender();
        render.Present();
        render.Release();
        EXPECT_EQ(render.m_pD3D, nullptr);
        EXPECT_EQ(render.m_d3dpp.BackBufferWidth, 0u);
    }
    const std::string log = VornaTest::ReadText(dir / "log.log");
    const char* lines[] = {"CDX9Kelapp::InitialD3D(): OK\n", "CDX9KelRender::SetWindowMode(): OK\n",
                           "Processor: ", "Video: ", "Pixel Shader: 3.0\n", "Vertex Shader: 3.0\n",
                           "Max Texture Width: ", "Max Texture Height: ", "Window mode: 1\n",
                           "Resolution X: 320\n", "Resolution Y: 240\n", "Multisample Type: 0\n",
                           "CDX9KelRender::InitialD3DDevice(): OK\n"};
    size_t at = 0;
    for (const char* line : lines) {
        const size_t found = log.find(line, at);
        EXPECT_NE(found, std::string::npos) << line;
        if (found != std::string::npos) at = found;
    }
    g_Log.Reset();
}

} // namespace
