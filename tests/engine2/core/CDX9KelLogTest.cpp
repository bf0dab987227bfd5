#include "engine2/core/CDX9KelLog.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "Wed Dec 09 08:40:47 2026"; }

class Engine2LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        path = (dir / "VornaLog.log").string();
        copyPath = (dir / "copy.txt").string();
        copy = std::fopen(copyPath.c_str(), "w+b");
        ASSERT_NE(copy, nullptr);
        log.SetTimeTextSource(&FixedTime);
        log.SetCopyStream(copy);
    }
    void TearDown() override {
        log.Reset();
        std::fclose(copy);
    }
    std::string File() { return VornaTest::ReadText(path); }
    std::string Copy() {
        std::fflush(copy);
        return VornaTest::ReadText(copyPath);
    }

    std::filesystem::path dir;
    std::string path, copyPath;
    FILE* copy = nullptr;
    CDX9KelLog log;
};

} // namespace

TEST_F(Engine2LogTest, LevelsDecideStampAndCount) {
    struct Case {
        int level;
        bool stamped;
        int counted;
    } cases[] = {{-1, false, 1}, {0, true, 1}, {4, true, 1}, {5, false, 0},
                 {6, true, 1},   {7, true, 0}, {10, true, 1}, {99, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        log.Open(path);
        log.Write(c.level, "%s", "message\n");
        const std::string expected =
            std::string(FixedTime()) + " Begin\n" + (c.stamped ? FixedTime() + " " : "") + "message\n";
        EXPECT_EQ(File(), expected);
        EXPECT_EQ(log.GetErrorCount(), c.counted);
    }
}

TEST_F(Engine2LogTest, CleanRunEndsWithEndOnly) {
    log.Open(path);
    log.Write(LOG_INFO, "%s", "CDX9KelScene::InitFPSCounter(): ");
    log.Write(LOG_CONTINUE, "%s", "OK\n");
    log.Close();
    EXPECT_EQ(File(), FixedTime() + " Begin\n" + FixedTime() + " CDX9KelScene::InitFPSCounter(): OK\n" +
                          FixedTime() + " End\n");
    // Closed: later messages are dropped, and closing again writes nothing.
    log.Write(LOG_INFO, "%s", "late\n");
    log.Close();
    EXPECT_EQ(File().find("late"), std::string::npos);
}

TEST_F(Engine2LogTest, ErrorsAreSummedAtClose) {
    log.Open(path);
    for (int i = 0; i < 3; ++i) log.Write(LOG_ERROR, "%s", "Error : one\n");
    log.Write(10, "%s", "failed\n");
    log.Close();
    const std::string text = File();
    EXPECT_NE(text.find("Error : one\nError : one\nError : one\n"), std::string::npos);
    const std::string tail = "All Errors:\n 4\n" + FixedTime() + " End\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(Engine2LogTest, OpenTruncatesAndResetsCount) {
    VornaTest::WriteText(path, "old content\n");
    log.Open(path);
    log.Write(LOG_ERROR, "%s", "x\n");
    log.Open(path);
    EXPECT_EQ(File(), FixedTime() + " Begin\n");
    EXPECT_EQ(log.GetErrorCount(), 0);
}

TEST_F(Engine2LogTest, NothingBeforeOpen) {
    log.Write(LOG_INFO, "%s", "before\n");
    log.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Copy(), "");
}

TEST_F(Engine2LogTest, EveryMessageIsCopiedWithAStamp) {
    log.Open(path);
    log.Write(LOG_CONTINUE, "%s", "OK\n");
    log.Write(LOG_ERROR, "%s%d\n", "Error : code ", 5);
    EXPECT_EQ(Copy(), FixedTime() + " Begin\n" + FixedTime() + " OK\n" + FixedTime() + " Error : code 5\n");
}

TEST_F(Engine2LogTest, UnwritableFolderWritesNothingAnywhere) {
    const std::string bad = (dir / "missing" / "VornaLog.log").string();
    log.Open(bad);
    log.Write(LOG_INFO, "%s", "x\n");
    log.Close();
    EXPECT_FALSE(std::filesystem::exists(bad));
    EXPECT_EQ(Copy(), "");
}

TEST_F(Engine2LogTest, DataWithPercentSignsIsWrittenAsIs) {
    log.Open(path);
    const char* name = "Textures\\%s%n%x.dds";
    log.Write(LOG_ERROR, "%s%s\n", "Texture not found: ", name);
    EXPECT_NE(File().find("Texture not found: Textures\\%s%n%x.dds\n"), std::string::npos);
}
