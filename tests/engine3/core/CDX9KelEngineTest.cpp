// The engine object: display settings into the device, the lost/reset
// sequence through the real Render on a real device, the whole Run of the
// game's engine headless, and the seabattle program as a child process.
#include "engine3/core/CDX9KelEngine.h"

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CEngine.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "platform/gfx/d3d9.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
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

// The game's engine, closed by a window-close request after a few frames.
class ClosingEngine : public CEngine {
public:
    int frames = 0;
    void Render() override {
        CEngine::Render();
        if (++frames == 5) Platform::InjectClose(m_pApp->m_hWnd);
    }
};

TEST(EngineRunTest, RunsFromStartUpThroughFramesToACleanRelease) {
    const std::string logPath = Platform::ProgramFolder() + "Vorna3Log.log";
    // Earlier tests in this process may have left a quit request behind.
    Platform::FlushMessages();
    {
        ClosingEngine engine;
        EXPECT_TRUE(engine.Run());
        EXPECT_EQ(engine.frames, 5);
        EXPECT_EQ(engine.m_pScene, nullptr);
        EXPECT_EQ(engine.m_pRender, nullptr);
        EXPECT_EQ(engine.m_pApp, nullptr);
        EXPECT_EQ(engine.GetDataFolder(), Platform::ProgramFolder());
    }
    g_Log.EndSummary();
    const std::string log = VornaTest::ReadText(logPath);
    const char* lines[] = {"Begin\n",
                           "CDX9KelEngine::Run()\n",
                           "CDX9KelEngine::InitInterfaces(): OK\n",
                           "CDX9Kelapp::InitialD3D(): OK\n",
                           "CDX9KelRender::SetWindowMode(): OK\n",
                           "CDX9KelApp::CreateWnd(): OK\n",
                           "Processor: ",
                           "Video: ",
                           "Pixel Shader: 3.0\n",
                           "Vertex Shader: 3.0\n",
                           "Max Texture Width: ",
                           "Max Texture Height: ",
                           "CDX9KelRender::InitialD3DDevice(): OK\n",
                           "CDX9KelEngine::Run() : Start Main Loop\n",
                           "CDX9KelEngine::Run() : Release\n",
                           "CEngine::Release() : Close sound thread\n",
                           "End\n",
                           "ERRORS COUNT: 0"};
    size_t at = 0;
    for (const char* line : lines) {
        const size_t found = log.find(line, at);
        EXPECT_NE(found, std::string::npos) << "missing in order: " << line << "\n" << log;
        if (found != std::string::npos) at = found;
    }
    g_Log.Reset();
}

// The built program in a folder of its own, started from another folder.
struct ProgramRun {
    int exitCode = -1;
    std::string log;
};

ProgramRun RunSeabattle(const fs::path& root, const char* videoDriver, bool closeWhenRunning) {
    const fs::path program = root / "program";
    fs::create_directories(program);
    fs::copy_file(fs::path(VORNA_BIN_DIR) / "seabattle", program / "seabattle");
    for (const char* f : {"folders.ini", "engine.ini"})
        fs::copy_file(fs::path(VORNA_SOURCE_DIR) / "data" / "demo" / f, program / f);
    const std::string exe = (program / "seabattle").string();
    const std::string log = (program / "Vorna3Log.log").string();
    const std::string rc = (root / "rc.txt").string();
    std::string script = "cd '" + root.string() + "' && SDL_VIDEODRIVER=" + videoDriver +
                         " ALSOFT_DRIVERS=null '" + exe + "' >/dev/null 2>&1 & pid=$!; ";
    if (closeWhenRunning)
        // SIGTERM reaches the program as a quit request once its window system runs.
        script += "i=0; while [ $i -lt 600 ] && ! grep -q 'Start Main Loop' '" + log +
                  "' 2>/dev/null; do sleep 0.05; i=$((i+1)); done; kill -TERM $pid; ";
    script += "wait $pid; echo $? > '" + rc + "'";
    const int shell = std::system(script.c_str());
    EXPECT_EQ(shell, 0);
    ProgramRun run;
    const std::string code = VornaTest::ReadText(rc);
    if (!code.empty()) run.exitCode = std::atoi(code.c_str());
    run.log = VornaTest::ReadText(log);
    return run;
}

TEST(SeabattleProgramTest, QuitsCleanlyWithExitCodeZeroOnACloseRequest) {
    ASSERT_TRUE(fs::exists(fs::path(VORNA_BIN_DIR) / "seabattle")) << "build the seabattle program first";
    const ProgramRun run = RunSeabattle(VornaTest::FreshFolder(), "offscreen", true);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.log.find("Window mode: 1\n"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("CDX9KelEngine::Run() : Start Main Loop\n"), std::string::npos);
    EXPECT_NE(run.log.find("CDX9KelEngine::Run() : Release\n"), std::string::npos);
    EXPECT_NE(run.log.find("ERRORS COUNT: 0"), std::string::npos);
}

TEST(SeabattleProgramTest, WithoutAnyDisplayStartUpFailsWithANonZeroExitCode) {
    ASSERT_TRUE(fs::exists(fs::path(VORNA_BIN_DIR) / "seabattle")) << "build the seabattle program first";
    const ProgramRun run = RunSeabattle(VornaTest::FreshFolder(), "nonexistent", false);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.log.find("m_pD3D == NULL\n"), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("Start Main Loop"), std::string::npos);
    EXPECT_NE(run.log.find("ERRORS COUNT: 1"), std::string::npos);
}

} // namespace
