// Runs the campaignsim driver as a program. Each test gives it a folder of
// its own (a hard link of the program), so the log and the INI files beside
// it belong to that test.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
};

class CampaignSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        program = dir / "campaignsim";
        std::error_code ec;
        std::filesystem::create_hard_link(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", program, ec);
        if (ec) std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", program);
    }
    RunResult Run(const std::string& arguments) {
        RunResult r;
        const std::string command = "cd '" + dir.string() + "' && ./campaignsim " + arguments + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return r;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }
    std::string Log() { return VornaTest::ReadText(dir / "VornaLog.log"); }

    std::filesystem::path dir, program;
};

// The positions of the lines containing each text, in the order given; -1
// for a missing one.
std::vector<long> Positions(const std::string& text, const std::vector<std::string>& parts) {
    std::vector<long> out;
    for (const std::string& p : parts) {
        const size_t at = text.find(p);
        out.push_back(at == std::string::npos ? -1 : static_cast<long>(at));
    }
    return out;
}

} // namespace

TEST_F(CampaignSimTest, FramesRunAndTheLogTellsTheStartInOrder) {
    const RunResult r = Run("frames --frames 3 --dump");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("frames 3\n"), std::string::npos) << r.out;
    const std::string log = Log();
    const std::vector<long> at = Positions(log, {" Begin\n",
                                                 " CDX9KelEngine::Run()\n",
                                                 " CDX9KelEngine::InitInterfaces(): OK\n",
                                                 " CDX9Kelapp::InitialD3D(): OK\n",
                                                 " CDX9KelRender::CheckWindowMode(): OK\n",
                                                 " CDX9KelApp::CreateWnd(): OK\n",
                                                 " Processor: ",
                                                 " Video: ",
                                                 " Pixel Shader: ",
                                                 " Max Texture Width: ",
                                                 " Texture format D3DFMT_A8R8G8B8 :",
                                                 " Depth stencil surface format D3DFMT_D24S8 Compatible",
                                                 " Window mode: ",
                                                 " CDX9KelRender::InitialD3DDevice(): OK\n",
                                                 " CDX9Kelinput::MouseInit(): OK\n",
                                                 " CDX9KelScene::InitLightManager(): OK\n",
                                                 " CDX9KelScene::InitGUIManager(): OK\n",
                                                 " CDX9KelScene::InitScreenManager(): ",
                                                 " CDX9KelScene::InitSoundManager(): ",
                                                 " CScene::Init() : Begin\n",
                                                 " CScene::Init() : Set game data\n",
                                                 " CDX9KelGameMap::SetScene\n",
                                                 " CDX9KelAISystem::SetGameMap\n",
                                                 " CDX9KelGameSaver::SetSaveObjects\n",
                                                 " CDX9KelEngine::Run() : Start Main Loop\n",
                                                 " CDX9KelEngine::Run() : Release\n",
                                                 " COALSoundManager : shutdown\n",
                                                 " End\n"});
    for (size_t i = 0; i < at.size(); ++i) {
        EXPECT_GE(at[i], 0) << "line " << i << " missing\n" << log;
        if (i > 0) {
            EXPECT_LT(at[i - 1], at[i]) << "line " << i << " out of order\n" << log;
        }
    }
    EXPECT_EQ(log.rfind(" End\n"), log.size() - 5);
    // This folder has no screens and no game data: the game scene says so
    // and starts anyway. The null sound backend's device is the software
    // device the campaign asks for. Nothing else goes wrong.
    for (const char* line : {"Error : CDX9KelCIIScreenManager::LoadScreens() : LoadDefaults() == false\n",
                             "Error : CDX9KelDataIO::LoadArtillery : xml file not read : ",
                             "Error : CDX9KelGameMap::LoadAllMapsGraphicData : xml file not read : ",
                             "Error : m_pGameMap->SetMapScreen == false\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    size_t errors = 0;
    for (size_t at = log.find("Error : "); at != std::string::npos; at = log.find("Error : ", at + 1)) ++errors;
    EXPECT_EQ(log.find("OpenAL Device"), std::string::npos) << log;
    EXPECT_EQ(errors, 4u) << log;
}

TEST_F(CampaignSimTest, FramesShowTheStartScreensFromTheCampaignsScreenFolder) {
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=320\nHeight=240\n");
    VornaTest::LinkDemoData(dir);
    const std::string picture = (dir / "frame.png").string();
    const RunResult r = Run("frames --frames 3 --picture '" + picture + "'");
    ASSERT_EQ(r.exitCode, 0);
    const std::string log = Log();
    EXPECT_NE(log.find(" CDX9KelCIIScreenManager::LoadScreens()\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("CDX9KelCIIScreenManager::LoadScreens() : LoadDefaults() == false"), std::string::npos) << log;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(picture.c_str(), &w, &h, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(w, 320);
    // The logo screen covers the clear colour: its pale sun in the upper
    // right, its dark hills below.
    const unsigned char* sun = pixels + (75 * w + 238) * 3;
    EXPECT_GT(sun[0], 200);
    EXPECT_GT(sun[1], 180);
    EXPECT_LT(sun[2], 160);
    const unsigned char* hills = pixels + (180 * w + 100) * 3;
    EXPECT_LT(hills[0], 40);
    EXPECT_FALSE(hills[0] == 0x3C && hills[1] == 0x64 && hills[2] == 0x96);
    stbi_image_free(pixels);

    // Another folder named in engine.ini is where the screens are looked for.
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=320\nHeight=240\n"
                                             "[Campaign Settings]\nScreenFolder=Elsewhere\\\n");
    ASSERT_EQ(Run("frames --frames 1").exitCode, 0);
    EXPECT_NE(Log().find("LoadDefaults() == false"), std::string::npos);
}

TEST_F(CampaignSimTest, SameSeedSameRun) {
    const RunResult a = Run("frames --frames 4 --seed 7 --log --dump");
    const RunResult b = Run("frames --frames 4 --seed 7 --log --dump");
    ASSERT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("hash "), std::string::npos);
}

TEST_F(CampaignSimTest, WindowedStartWithoutASizeFails) {
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\n");
    const RunResult r = Run("frames --frames 2");
    EXPECT_EQ(r.exitCode, 1);
    const std::string log = Log();
    EXPECT_NE(log.find("Error : CDX9KelApp::CreateWnd() : window size -1 x -1 refused\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Start Main Loop"), std::string::npos);
    EXPECT_EQ(log.find("Release"), std::string::npos);
    EXPECT_NE(log.find("All Errors:\n 1\n"), std::string::npos) << log;
}

TEST_F(CampaignSimTest, WindowedSizeFromEngineIni) {
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=320\nHeight=240\n");
    const RunResult r = Run("frames --frames 1 --dump");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("display full_screen 0 width 320 height 240"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("window 320 240\n"), std::string::npos) << r.out;
}

TEST_F(CampaignSimTest, PictureShowsTheClearColour) {
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=160\nHeight=120\n");
    const std::string picture = (dir / "frame.png").string();
    const RunResult r = Run("frames --frames 2 --picture '" + picture + "'");
    ASSERT_EQ(r.exitCode, 0);
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(picture.c_str(), &w, &h, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
    const unsigned char* centre = pixels + (60 * w + 80) * 3;
    EXPECT_EQ(centre[0], 0x3C);
    EXPECT_EQ(centre[1], 0x64);
    EXPECT_EQ(centre[2], 0x96);
    stbi_image_free(pixels);
}

TEST_F(CampaignSimTest, EscapeDoesNotEndTheCampaign) {
    // The game scene keeps the developer keys off: Escape, F1, F2 and F3
    // change nothing and the run goes to its end.
    const RunResult r = Run("frames --frames 50 --key 1:ESCAPE --key 3:F1 --key 6:F3 --dump");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("frames 50\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" wireframe 0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("scene statistics 0 developer_keys 0\n"), std::string::npos) << r.out;
    EXPECT_NE(Log().find(" CDX9KelEngine::Run() : Release\n"), std::string::npos);
    // Released again before it is read: the run goes on to its end.
    const RunResult held = Run("frames --frames 5 --key 1:NUMPAD6 --key 2:NUMPAD6:up --wheel 3:2 --dump");
    ASSERT_EQ(held.exitCode, 0);
    EXPECT_NE(held.out.find("frames 5\n"), std::string::npos) << held.out;
}

TEST_F(CampaignSimTest, BadArguments) {
    EXPECT_EQ(Run("").exitCode, 2);
    EXPECT_EQ(Run("nosuchcommand").exitCode, 2);
    EXPECT_EQ(Run("frames --frames 0").exitCode, 2);
    EXPECT_EQ(Run("frames --frames x").exitCode, 2);
    EXPECT_EQ(Run("frames --key 1:NOSUCHKEY").exitCode, 2);
    EXPECT_EQ(Run("frames --key x:ESCAPE").exitCode, 2);
    EXPECT_EQ(Run("frames --wheel 1:many").exitCode, 2);
}
