// The engine object: display settings into the device and the lost/reset
// sequence through the real Render on a real device. The whole run of the
// game's engine is tested with the game scene (tests/seabattle/shell).
#include "engine3/core/CDX9KelEngine.h"

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "platform/gfx/d3d9.h"
#include "platform/os/Paths.h"
#include "platform/window/DirectInputCodes.h"
#include "platform/window/Window.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace Vorna3D;

namespace {

// Records the order in which the engine drives the scene.
class RecordingScene : public CDX9KelScene {
public:
    std::vector<std::string> calls;
    int frames = 0;
    void OnLost() override {
        calls.push_back("OnLost");
        CDX9KelScene::OnLost();
    }
    void Restore() override {
        calls.push_back("Restore");
        CDX9KelScene::Restore();
    }
    void RenderFrame() override {
        ++frames;
        CDX9KelScene::RenderFrame();
    }
    void Process() override { calls.push_back("Process"); }
};

// A default-pool object that keeps the device from resetting while alive.
class PoolBuffer : public IDirect3DVertexBuffer9 {
public:
    explicit PoolBuffer(IDirect3DDevice9* device) : IDirect3DVertexBuffer9(device, D3DRTYPE_VERTEXBUFFER, D3DPOOL_DEFAULT) {}
    HRESULT Lock(UINT, UINT, void**, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT Unlock() override { return D3D_OK; }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC*) override { return D3D_OK; }
};

size_t Count(const std::vector<std::string>& v, const char* what) {
    size_t n = 0;
    for (const auto& s : v) n += s == what;
    return n;
}

// An engine with a recording scene, brought up to a device on a small window.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((m_dir / "Vorna3Log.log").c_str());
    }
    void StartDevice(const char* engineIni) {
        if (engineIni) VornaTest::WriteText(m_dir / "engine.ini", engineIni);
        m_pScene = new RecordingScene();
        m_engine.m_pScene = m_pScene;
        m_engine.SetDataFolder(m_dir.string() + "/");
        ASSERT_TRUE(m_engine.InitInterfaces());
        ASSERT_TRUE(m_engine.InitDevice());
        ASSERT_NE(m_engine.m_pRender->GetDevice(), nullptr);
    }
    void TearDown() override {
        m_engine.Release();
        g_Log.Reset();
    }
    std::string Log() { return VornaTest::ReadText(m_dir / "Vorna3Log.log"); }
    IDirect3DDevice9* Device() { return m_engine.m_pRender->GetDevice(); }

    fs::path m_dir;
    CDX9KelEngine m_engine;
    RecordingScene* m_pScene = nullptr;  // owned by the engine
};

constexpr const char* kSmallWindow =
    "[Grafic Settings]\nFullScreen=0\nWidth=160\nHeight=120\nRefreshRate=0\nAnisotropy=-1\n";

TEST_F(EngineTest, InitDeviceTakesTheSettingsAndClampsAnisotropyToTheDevice) {
    StartDevice(kSmallWindow);
    CDX9KelRender* render = m_engine.m_pRender;
    EXPECT_EQ(render->m_iFullScreen, 0);
    EXPECT_EQ(m_engine.m_pApp->m_iWidth, 160);
    EXPECT_EQ(m_engine.m_pApp->m_iHeight, 120);
    EXPECT_EQ(render->GetBackBufferWidth(), 160u);
    // -1 read unsigned is above any device's maximum.
    EXPECT_EQ(render->m_dwAnisotropy, render->m_dwMaxAnisotropy);
    DWORD v = 0;
    Device()->GetSamplerState(0, D3DSAMP_MAXANISOTROPY, &v);
    EXPECT_EQ(v, render->m_dwMaxAnisotropy);
}

TEST_F(EngineTest, InitDeviceWithoutEngineIniUsesTheDefaults) {
    StartDevice(nullptr);
    const CDX9KelEngine::GraficSettings& s = m_engine.GetGraficSettings();
    EXPECT_EQ(s.iFullScreen, -1);
    EXPECT_EQ(s.iWidth, -1);
    EXPECT_EQ(s.iAnisotropy, 2);
    // Full screen at the desktop's mode.
    D3DDISPLAYMODE desktop = m_engine.m_pRender->m_DesktopMode;
    EXPECT_EQ(m_engine.m_pRender->m_iFullScreen, 1);
    EXPECT_EQ(m_engine.m_pRender->m_iWidth, static_cast<int>(desktop.Width));
    EXPECT_EQ(m_engine.m_pRender->m_dwAnisotropy, std::min<DWORD>(2, m_engine.m_pRender->m_dwMaxAnisotropy));
}

TEST_F(EngineTest, LostDeviceReleasesTheSceneOnceAndRestoresItAfterTheReset) {
    StartDevice(kSmallWindow);
    m_engine.Render();
    ASSERT_EQ(m_pScene->frames, 1);

    Platform::SimulateDeviceLoss(Device(), 2);
    m_engine.Render();  // lost
    m_engine.Render();  // lost
    EXPECT_EQ(m_pScene->frames, 1);
    EXPECT_TRUE(m_pScene->calls.empty());
    m_engine.Render();  // ready for a reset: the scene lets go
    EXPECT_EQ(m_pScene->calls, std::vector<std::string>{"OnLost"});
    EXPECT_TRUE(m_pScene->IsSuspended());
    EXPECT_EQ(m_pScene->frames, 1);
    m_engine.Render();  // reset, restore, draw
    EXPECT_EQ(m_pScene->calls, (std::vector<std::string>{"OnLost", "Restore"}));
    EXPECT_FALSE(m_pScene->IsSuspended());
    EXPECT_EQ(m_pScene->frames, 2);
    EXPECT_FALSE(m_engine.m_pRender->m_bLost);
    EXPECT_FALSE(m_engine.m_pRender->m_bNeedReset);
    EXPECT_EQ(Device()->TestCooperativeLevel(), D3D_OK);
    m_engine.Render();
    EXPECT_EQ(m_pScene->frames, 3);

    const std::string log = Log();
    const size_t need = log.find("Need reset D3DDevice\n");
    const size_t lost = log.find("CDX9KelScene::OnLost() : Begin\n");
    const size_t restore = log.find("CDX9KelRender::Restore() : OK\n");
    const size_t sceneRestore = log.find("CDX9KelScene::Restore() : End\n");
    ASSERT_NE(need, std::string::npos);
    ASSERT_NE(lost, std::string::npos);
    ASSERT_NE(restore, std::string::npos);
    ASSERT_NE(sceneRestore, std::string::npos);
    EXPECT_LT(need, lost);
    EXPECT_LT(lost, restore);
    EXPECT_LT(restore, sceneRestore);
    // After the reset the engine's states are back.
    DWORD v = 0;
    Device()->GetRenderState(D3DRS_ALPHATESTENABLE, &v);
    EXPECT_EQ(v, static_cast<DWORD>(TRUE));
}

TEST_F(EngineTest, AFailedResetIsRetriedWithoutReleasingTheSceneAgain) {
    StartDevice(kSmallWindow);
    Platform::SimulateDeviceLoss(Device(), 1);
    auto* held = new PoolBuffer(Device());
    for (int i = 0; i < 5; ++i) m_engine.Render();
    // The reset keeps failing while the object lives; the scene was released once.
    EXPECT_EQ(m_pScene->calls, std::vector<std::string>{"OnLost"});
    EXPECT_EQ(m_pScene->frames, 0);
    EXPECT_NE(Log().find("Not Reset(): D3DERR_INVALIDCALL\n"), std::string::npos);
    held->Release();
    m_engine.Render();
    EXPECT_EQ(m_pScene->calls, (std::vector<std::string>{"OnLost", "Restore"}));
    EXPECT_EQ(m_pScene->frames, 1);
}

TEST_F(EngineTest, AResetAskedWithoutALossStillReleasesTheSceneFirst) {
    StartDevice(kSmallWindow);
    // As a device that answers "not reset" without having answered "lost".
    m_engine.m_pRender->m_bNeedReset = true;
    m_engine.Render();
    EXPECT_EQ(m_pScene->calls, (std::vector<std::string>{"OnLost", "Restore"}));
    EXPECT_EQ(m_pScene->frames, 1);

    // A resolution change goes the same way, once each.
    ASSERT_TRUE(m_engine.m_pRender->ChangeResolution(0, 0));
    m_engine.Render();
    m_engine.Render();
    EXPECT_EQ(Count(m_pScene->calls, "OnLost"), 2u);
    EXPECT_EQ(Count(m_pScene->calls, "Restore"), 2u);
    EXPECT_EQ(m_pScene->frames, 2);
}

// Escape quits only while the scene lets the debug keys work; the game's
// scene turns them off, so there Escape does nothing.
TEST_F(EngineTest, EscapeQuitsOnlyWhileTheDebugKeysAreOn) {
    StartDevice(kSmallWindow);
    const HWND hWnd = m_engine.m_pApp->m_hWnd;
    ASSERT_TRUE(SUCCEEDED(g_Input.InputInit()));
    ASSERT_TRUE(g_Input.KeyboardInit(hWnd));
    Platform::FlushMessages();
    auto quitPosted = [] {
        MSG msg = {};
        bool quit = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = true;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return quit;
    };

    Platform::InjectKey(hWnd, DIK_ESCAPE, true);
    EXPECT_FALSE(quitPosted()); // the key reaches the input state
    m_pScene->m_bDebugKeys = false;
    m_engine.Process();
    EXPECT_FALSE(quitPosted());
    m_pScene->m_bDebugKeys = true;
    m_engine.Process();
    EXPECT_TRUE(quitPosted());
    EXPECT_EQ(Count(m_pScene->calls, "Process"), 2u);
}

// An engine whose start-up steps only record themselves; the named one fails.
class FailingStartEngine : public CDX9KelEngine {
public:
    explicit FailingStartEngine(std::string failing) : m_failing(std::move(failing)) {}
    bool InitInterfaces() override { return Step("InitInterfaces"); }
    bool InitDevice() override { return Step("InitDevice"); }
    bool InitInput() override { return Step("InitInput"); }
    void Process() override { calls.push_back("Process"); }
    void Render() override { calls.push_back("Render"); }
    void Release() override { calls.push_back("Release"); }
    std::vector<std::string> calls;

private:
    bool Step(const char* name) {
        calls.push_back(name);
        return m_failing != name;
    }
    std::string m_failing;
};

// A failed start-up step ends Run at once: no later step, no frame, no
// release and no further log line.
TEST(EngineStartUpTest, AFailedStepEndsRunAtOnce) {
    using Calls = std::vector<std::string>;
    const struct {
        const char* failing;
        Calls calls;
    } cases[] = {
        {"InitInterfaces", Calls{"InitInterfaces"}},
        {"InitDevice", Calls{"InitInterfaces", "InitDevice"}},
        {"InitInput", Calls{"InitInterfaces", "InitDevice", "InitInput"}},
    };
    // Without a "folders.ini" beside the test program the log goes there.
    const std::string logPath = Platform::ProgramFolder() + CDX9KelEngine::kLogFileName;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        g_Log.Reset();
        FailingStartEngine engine(c.failing);
        EXPECT_FALSE(engine.Run());
        EXPECT_EQ(engine.calls, c.calls);
        EXPECT_EQ(engine.GetDataFolder(), Platform::ProgramFolder());
        const std::string log = VornaTest::ReadText(logPath);
        EXPECT_NE(log.find("Begin\n"), std::string::npos) << log;
        EXPECT_TRUE(log.ends_with("|         | CDX9KelEngine::Run()\n")) << log;
    }
    g_Log.Reset();
}

} // namespace

