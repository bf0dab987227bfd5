#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelEngine.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelRender.h"

#include "TestFolder.h"
#include "engine2/core/CDX9Kelinput.h"
#include "platform/os/CrashFilter.h"
#include "platform/window/DirectInput.h"

#include <clocale>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

class LogToFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        logPath = (dir / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
    }
    void TearDown() override { g_Log.Reset(); }
    std::string Log() { return VornaTest::ReadText(logPath); }

    std::filesystem::path dir;
    std::string logPath;
};

// Counts what the engine asks of its scene.
class RecordingScene : public CDX9KelScene {
public:
    bool RenderFrame() override {
        ++frames;
        return true;
    }
    bool OnLost() override {
        ++lost;
        return CDX9KelScene::OnLost();
    }
    bool Restore() override {
        ++restored;
        return CDX9KelScene::Restore();
    }
    bool Init() override {
        ++inits;
        return true;
    }
    int frames = 0, lost = 0, restored = 0, inits = 0;
};

} // namespace

TEST(Engine2App, WindowedPosition) {
    POINT p = CDX9KelApp::WindowedPosition(1600, 1200);
    EXPECT_EQ(p.x, 160);
    EXPECT_EQ(p.y, 120);
    // W/2 is an integer division, the rest floating point: 512 - 410 and
    // 384 - 307.6.
    p = CDX9KelApp::WindowedPosition(1025, 769);
    EXPECT_EQ(p.x, 102);
    EXPECT_EQ(p.y, 76);
}

using Engine2AppLog = LogToFolder;

TEST_F(Engine2AppLog, NegativeSizeIsRefusedWithALine) {
    CDX9KelApp app;
    EXPECT_EQ(app.CreateWnd(-1, -1, false, nullptr, true), E_FAIL);
    EXPECT_EQ(app.m_hWnd, nullptr);
    EXPECT_EQ(g_Log.GetErrorCount(), 1);
    EXPECT_EQ(Log(), "T Begin\nError : CDX9KelApp::CreateWnd() : window size -1 x -1 refused\n");
}

TEST_F(Engine2AppLog, TitleAndWindow) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(200, 100, false, nullptr, false), S_OK);
    EXPECT_STREQ(app.m_szTitle, "VORNA 2 DX9 ENGINE");
    EXPECT_EQ(app.m_wcex.style, CS_VREDRAW | CS_HREDRAW | CS_OWNDC);
    EXPECT_EQ(app.m_wcex.hCursor, nullptr);
    EXPECT_EQ(Log(), "T Begin\nT CDX9KelApp::CreateWnd(): OK\n");
    CDX9KelApp second;
    const std::string longTitle(400, 't');
    // The class is still registered by the first window: refused.
    EXPECT_EQ(second.CreateWnd(200, 100, false, nullptr, false, longTitle.c_str()), E_FAIL);
    EXPECT_EQ(std::strlen(second.m_szTitle), 259u);
}

TEST_F(Engine2AppLog, WindowDestructionPostsQuit) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(64, 48, false, nullptr, true), S_OK);
    Platform::FlushMessages();
    Platform::InjectClose(app.m_hWnd);
    MSG msg{};
    bool quit = false;
    for (int i = 0; i < 20 && !quit; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            DispatchMessageA(&msg);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(Engine2AppLog, LocaleTouchesOnlyCharacterClasses) {
    const std::string numericBefore = std::setlocale(LC_NUMERIC, nullptr);
    EXPECT_EQ(CDX9KelEngine::ApplyLocalSettings((dir / "missing.ini").string()), "English");
    VornaTest::WriteText(dir / "local.ini", "[Local Settings]\nLanguage=C.UTF-8\n");
    EXPECT_EQ(CDX9KelEngine::ApplyLocalSettings((dir / "local.ini").string()), "C.UTF-8");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), numericBefore.c_str());
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 0.5);
    EXPECT_STREQ(text, "0.5");
    VornaTest::WriteText(dir / "local.ini", "[Local Settings]\nLanguage=" + std::string(60, 'L') + "\n");
    EXPECT_EQ(CDX9KelEngine::ApplyLocalSettings((dir / "local.ini").string()).size(), 39u);
    std::setlocale(LC_CTYPE, "C");
}

TEST_F(Engine2AppLog, DisplaySettings) {
    DisplaySettings s = CDX9KelEngine::ReadDisplaySettings((dir / "missing.ini").string());
    EXPECT_EQ(s.fullScreen, -1);
    EXPECT_EQ(s.width, -1);
    EXPECT_EQ(s.height, -1);
    EXPECT_EQ(s.refreshRate, -1);
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=800\nHeight=600\n");
    s = CDX9KelEngine::ReadDisplaySettings((dir / "engine.ini").string());
    EXPECT_EQ(s.fullScreen, 0);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.refreshRate, -1);
}

TEST_F(Engine2AppLog, LostDeviceIsReleasedOnceAndRestoredBeforeDrawing) {
    CDX9KelEngine engine;
    engine.m_pApp = new CDX9KelApp();
    engine.m_pRender = new CDX9KelRender();
    auto* scene = new RecordingScene();
    engine.m_pScene = scene;
    scene->m_pApp = engine.m_pApp;
    scene->m_pRender = engine.m_pRender;
    ASSERT_EQ(engine.m_pApp->CreateWnd(64, 48, false, nullptr, true), S_OK);
    ASSERT_EQ(engine.m_pRender->InitialD3D(), S_OK);
    ASSERT_EQ(engine.m_pRender->CheckWindowMode(0, 64, 48, 60), S_OK);
    ASSERT_EQ(engine.m_pRender->InitialD3DDevice(engine.m_pApp->m_hWnd), S_OK);

    engine.Render();
    EXPECT_EQ(scene->frames, 1);
    Platform::SimulateDeviceLoss(engine.m_pRender->GetDevice(), 2);
    engine.Render(); // lost
    engine.Render(); // still lost
    EXPECT_EQ(scene->frames, 1);
    EXPECT_EQ(scene->lost, 0);
    engine.Render(); // resettable: the scene lets go, nothing drawn
    EXPECT_EQ(scene->lost, 1);
    EXPECT_EQ(scene->restored, 0);
    EXPECT_EQ(scene->frames, 1);
    engine.Render(); // reset, restored, drawn
    EXPECT_EQ(scene->lost, 1);
    EXPECT_EQ(scene->restored, 1);
    EXPECT_EQ(scene->frames, 2);
    engine.Render();
    EXPECT_EQ(scene->frames, 3);
    engine.Release();
    EXPECT_EQ(engine.m_pScene, nullptr);
    EXPECT_EQ(engine.m_pApp, nullptr);
}

TEST_F(Engine2AppLog, FailedInputEndsTheStartBeforeTheScene) {
    CDX9KelEngine engine;
    engine.m_pApp = new CDX9KelApp();
    auto* scene = new RecordingScene();
    engine.m_pScene = scene;
    ASSERT_EQ(engine.m_pApp->CreateWnd(64, 48, false, nullptr, true), S_OK);
    g_Input.Reset();
    Platform::FailDirectInputStep(Platform::DIStep::CreateDevice, Platform::DIDeviceKind::Mouse, E_FAIL);
    EXPECT_FALSE(engine.InitInput());
    EXPECT_EQ(scene->inits, 0);
    Platform::ClearDirectInputFailures();
    g_Input.Reset();
    EXPECT_TRUE(engine.InitInput());
    EXPECT_EQ(scene->inits, 1);
    g_Input.Reset();
}

TEST_F(Engine2AppLog, SceneStepsAndReleaseOrder) {
    CDX9KelScene scene;
    EXPECT_FALSE(scene.Init()); // no device wrapper
    CDX9KelRender render;
    scene.m_pRender = &render;
    // Without a device the screen text cannot be made: Init stops at that
    // step and leaves its line open. (The full order on a device is the
    // scene tests'.)
    EXPECT_FALSE(scene.Init());
    EXPECT_EQ(scene.m_pCameraManager, nullptr);
    EXPECT_EQ(scene.m_pGrahResManager, nullptr);
    const std::string log = Log();
    EXPECT_EQ(log.rfind("T Begin\nT CDX9KelScene::InitFPSCounter(): OK\nT CDX9KelScene::InitScreenText(): ", 0), 0u)
        << log;
    EXPECT_EQ(log.find("InitScreenText(): OK"), std::string::npos);
    scene.Release();
    scene.m_pRender = nullptr;
}

TEST_F(Engine2AppLog, CrashFilterWritesThePlainLineForItsFourKinds) {
    struct Case {
        int signal;
        bool logged;
    } cases[] = {{SIGSEGV, true}, {SIGFPE, false}, {SIGILL, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        const std::string path = (dir / ("crash" + std::to_string(c.signal) + ".log")).string();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Platform::InstallPlainCrashFilter(path.c_str());
            raise(c.signal);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal);
        const std::string text = VornaTest::ReadText(path);
        if (c.logged) {
            EXPECT_EQ(text.rfind("EXCEPTION : 0x ", 0), 0u) << text;
            EXPECT_EQ(text.back(), '\n');
            EXPECT_EQ(text.find_first_not_of("0123456789abcdef", 15), text.size() - 1);
        } else {
            EXPECT_EQ(text, "");
        }
    }
    EXPECT_TRUE(Platform::PlainCrashLogged(SIGFPE, FPE_INTDIV));
    EXPECT_FALSE(Platform::PlainCrashLogged(SIGBUS, BUS_ADRALN));
    EXPECT_TRUE(Platform::PlainCrashLogged(SIGBUS, BUS_OBJERR));
    char line[64];
    const std::size_t n = Platform::FormatPlainCrashLine(line, sizeof line, 0x4a2f);
    EXPECT_EQ(std::string(line, n), "EXCEPTION : 0x 4a2f\n");
}
