// The campaign program itself: it starts from its own folder, and a start
// that fails ends it with a non-zero exit code and the reason in its log.
#include "campaign/shell/CEngine.h"

#include "TestFolder.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

TEST(CampaignProgram, EngineHasNoArrowCursor) {
    EXPECT_FALSE(VornaCampaign::g_Engine.m_bShowArrowCursor);
    EXPECT_EQ(VornaCampaign::g_Engine.m_pScene, nullptr);
}

TEST(CampaignProgram, FailedStartExitsNonZero) {
    const std::filesystem::path dir = VornaTest::FreshFolder();
    const std::filesystem::path program = dir / "campaign";
    std::error_code ec;
    std::filesystem::create_hard_link(std::filesystem::path(VORNA_BIN_DIR) / "campaign", program, ec);
    if (ec) std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "campaign", program);
    // A window without a size is refused.
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\n");
    VornaTest::WriteText(dir / "local.ini", "[Local Settings]\nLanguage=English\n");
    const std::string command = "cd '" + dir.string() + "' && ./campaign >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string log = VornaTest::ReadText(dir / "VornaLog.log");
    EXPECT_NE(log.find(" Begin\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Error : CDX9KelApp::CreateWnd() : window size -1 x -1 refused\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Start Main Loop"), std::string::npos);
    EXPECT_NE(log.find("All Errors:\n 1\n"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 5), " End\n");
}
