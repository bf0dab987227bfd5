// The game's engine run whole: start-up through the game scene, frames and a
// clean release, in-process and as the seabattle program.
#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "seabattle/shell/CEngine.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

#include "common/DemoData.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace Vorna3D;
using namespace SeaBattle;

namespace {

// The game's engine, closed by a window-close request after a few frames.
// After the second frame a burst of three wheel messages arrives.
class ClosingEngine : public CEngine {
public:
    int frames = 0;
    std::vector<float> wheelAtProcess; // the wheel each frame found
    void Process() override {
        wheelAtProcess.push_back(g_Input.m_fWheel);
        CEngine::Process();
    }
    void Render() override {
        CEngine::Render();
        ++frames;
        if (frames == 2)
            for (int notches : {1, 2, 3}) Platform::InjectWheel(m_pApp->m_hWnd, notches);
        if (frames == 6) Platform::InjectClose(m_pApp->m_hWnd);
    }
};

TEST(EngineRunTest, RunsFromStartUpThroughFramesToACleanRelease) {
    VornaTest::LinkDemoData(Platform::ProgramFolder());
    const std::string logPath = Platform::ProgramFolder() + "Vorna3Log.log";
    // Earlier tests in this process may have left a quit request behind.
    Platform::FlushMessages();
    {
        ClosingEngine engine;
        EXPECT_TRUE(engine.Run());
        EXPECT_EQ(engine.frames, 6);
        // Each message of the burst is seen by a frame of its own (the wheel
        // holds the last message's turn), and the wheel is back at 0 after.
        EXPECT_EQ(engine.wheelAtProcess, (std::vector<float>{0.0f, 0.0f, 120.0f, 240.0f, 360.0f, 0.0f}));
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
    VornaTest::LinkDemoData(program);
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
