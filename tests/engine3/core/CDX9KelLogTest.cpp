#include "engine3/core/CDX9KelLog.h"
#include "TestFolder.h"

#include <thread>

using Vorna3D::CDX9KelLog;

namespace {

std::string FixedTime() { return "Thu Dec 10 12:00:00 2026"; }

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = (VornaTest::FreshFolder() / "Vorna3Log.log").string();
        log.SetTimeTextSource(&FixedTime);
    }
    std::string path;
    CDX9KelLog log;
};

TEST_F(LogTest, NumbersInfoWarningAndErrorLinesAndListsThemAtTheEnd) {
    log.Write(0, "dropped before Open\n");
    log.Open(path.c_str());
    log.Write(0, "CDX9KelEngine::InitInterfaces(): ");
    log.Write(1, "OK\n");
    log.Write(2, "careful %d\n", 7);
    log.Write(3, "%s", "bad 100% file\n");
    log.Write(3, "again\n");
    log.EndSummary();
    EXPECT_EQ(VornaTest::ReadText(path),
              "| 1 | Thu Dec 10 12:00:00 2026 |         | Begin\n"
              "| 2 | Thu Dec 10 12:00:00 2026 |         | CDX9KelEngine::InitInterfaces(): OK\n"
              "| 3 | Thu Dec 10 12:00:00 2026 | WARNING | careful 7\n"
              "| 4 | Thu Dec 10 12:00:00 2026 | ERROR   | bad 100% file\n"
              "| 5 | Thu Dec 10 12:00:00 2026 | ERROR   | again\n"
              "| 6 | Thu Dec 10 12:00:00 2026 |         | End\n"
              "\n"
              "ERRORS COUNT: 2\n"
              "ERRORS STRINGS: 4, 5, \n"
              "WARNINGS COUNT: 1\n"
              "WARNINGS STRINGS: 3, \n");
}

TEST_F(LogTest, DebugChannelsWriteOnlyWhenOn) {
    log.Open(path.c_str());
    log.WriteDebug(0, 0, "off\n");
    log.WriteDebug(10, 0, "no such channel\n");
    log.SetChannel(10, true);
    log.SetChannel(2, true);
    log.WriteDebug(2, 1, "on\n");
    log.Write(1, "%s", "");
    EXPECT_EQ(VornaTest::ReadText(path), "| 1 | Thu Dec 10 12:00:00 2026 |         | Begin\non\n");
    EXPECT_EQ(log.GetLineCounter(), 1u);
}

TEST_F(LogTest, RecreatesADeletedFileAndWrapsTheCounter) {
    log.Open(path.c_str());
    std::filesystem::remove(path);
    log.SetLineCounter(CDX9KelLog::kCounterWrap);
    log.Write(0, "after\n");
    EXPECT_EQ(VornaTest::ReadText(path), "| 1 | Thu Dec 10 12:00:00 2026 |         | after\n");
}

TEST_F(LogTest, TwoThreadsKeepConsistentCounts) {
    log.Open(path.c_str());
    auto writer = [this](int level) {
        for (int i = 0; i < 2000; ++i) log.Write(level, "line %d\n", i);
    };
    std::thread a(writer, 2), b(writer, 3);
    a.join();
    b.join();
    EXPECT_EQ(log.GetLineCounter(), 4001u);
    EXPECT_EQ(log.GetWarningLines().size(), 2000u);
    EXPECT_EQ(log.GetErrorLines().size(), 2000u);
}

} // namespace

namespace {

TEST(GlobalLogTest, CrashFilterSeesTheCounterWithoutTheLock) {
    const auto path = (VornaTest::FreshFolder() / "Vorna3Log.log").string();
    Vorna3D::g_Log.Reset();
    Vorna3D::g_Log.Open(path.c_str());
    Vorna3D::g_Log.Write(0, "one\n");
    Vorna3D::g_Log.Write(3, "two\n");
    EXPECT_EQ(CDX9KelLog::CrashLineCounter(), 3u);
    Vorna3D::g_Log.Reset();
}

} // namespace
