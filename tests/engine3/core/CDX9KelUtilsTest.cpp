#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"
#include "TestFolder.h"

#include <cmath>
#include <cstring>

using Vorna3D::CDX9KelGameTimer;
using Vorna3D::CDX9KelUtils;

namespace {

// Installs a manual clock for the test's lifetime.
class ClockTest : public ::testing::Test {
protected:
    void SetUp() override { Platform::SetClock(&clock); }
    void TearDown() override { Platform::SetClock(nullptr); }
    Platform::ManualClock clock{5000000u};
};

TEST(CDX9KelUtils, FileNameHelpers) {
    struct Case {
        const char* in;
        bool withoutExtOk;
        const char* withoutExt;
        bool beforeDotOk;
        const char* beforeDot;
        bool extOk;
        const char* ext;
    } cases[] = {
        {"a.b.c", true, "a.b", true, "a", true, "c"},
        {"abc", true, "", true, "abc", true, "abc"},
        {"ship.xml", true, "ship", true, "ship", true, "xml"},
        {".hidden", true, "", true, "", true, "hidden"},
        {"name.", true, "name", true, "name", true, ""},
        {"", false, "", false, "", false, ""},
        {nullptr, false, "", false, "", false, ""},
    };
    for (const Case& c : cases) {
        std::string out = "stale";
        EXPECT_EQ(CDX9KelUtils::GetFileNameWithoutExtension(c.in, out), c.withoutExtOk) << (c.in ? c.in : "null");
        EXPECT_EQ(out, c.withoutExt);
        out = "stale";
        EXPECT_EQ(CDX9KelUtils::GetNameBeforeDot(c.in, out), c.beforeDotOk);
        EXPECT_EQ(out, c.beforeDot);
        out = "stale";
        EXPECT_EQ(CDX9KelUtils::GetFileExtension(c.in, out), c.extOk);
        EXPECT_EQ(out, c.ext);
    }
}

TEST(CDX9KelUtils, IdenticalStringsAndCharacterReplacement) {
    EXPECT_TRUE(CDX9KelUtils::GetIdenticalString("Ship", "Ship"));
    EXPECT_FALSE(CDX9KelUtils::GetIdenticalString("Ship", "ship"));
    EXPECT_FALSE(CDX9KelUtils::GetIdenticalString("Ship", "Ships"));
    EXPECT_TRUE(CDX9KelUtils::GetIdenticalString("", ""));
    EXPECT_FALSE(CDX9KelUtils::GetIdenticalString(nullptr, ""));
    // Only the first 260 characters count.
    const std::string a(300, 'a'), b = std::string(260, 'a') + "bbb";
    EXPECT_TRUE(CDX9KelUtils::GetIdenticalString(a.c_str(), b.c_str()));

    char text[] = "Thu Dec 10 12:45:56 2026";
    CDX9KelUtils::ReplaceChar(text, ':', '_');
    EXPECT_STREQ(text, "Thu Dec 10 12_45_56 2026");
}

TEST(CDX9KelUtils, PathsAreBoundedAndSplitAtEitherSeparator) {
    char buf[CDX9KelUtils::kPathSize];
    CDX9KelUtils::CopyPath(buf, "/data/");
    EXPECT_TRUE(CDX9KelUtils::AppendPath(buf, "engine.ini"));
    EXPECT_STREQ(buf, "/data/engine.ini");
    const std::string longName(300, 'n');
    EXPECT_FALSE(CDX9KelUtils::AppendPath(buf, longName.c_str()));
    EXPECT_EQ(std::strlen(buf), 259u); // cut at 259 characters plus terminator
    EXPECT_EQ(std::string(buf).substr(0, 16), "/data/engine.ini");

    EXPECT_EQ(CDX9KelUtils::GetFolderFromPath("Data\\Ships\\ship.xml"), "Data\\Ships\\");
    EXPECT_EQ(CDX9KelUtils::GetFolderFromPath("Data/Ships\\x/ship.xml"), "Data/Ships\\x/");
    EXPECT_EQ(CDX9KelUtils::GetFolderFromPath("ship.xml"), "ship.xml/");

    const std::string exeFolder = Platform::ProgramFolder();
    EXPECT_EQ(Vorna3D::g_Utils.GetExeFolderPathString("folders.ini"), exeFolder + "folders.ini");
    std::strcpy(buf, "UI\\Default.cur");
    EXPECT_TRUE(Vorna3D::g_Utils.GetExeFolderPath(buf, buf)); // input and output the same buffer
    EXPECT_EQ(std::string(buf), exeFolder + "UI\\Default.cur");
    std::string folder, file;
    EXPECT_TRUE(Vorna3D::g_Utils.SplitExeFolderPathString("Textures\\Sea\\water.dds", folder, file));
    EXPECT_EQ(folder, exeFolder + "Textures\\Sea\\");
    EXPECT_EQ(file, "water.dds");
    char folderBuf[CDX9KelUtils::kPathSize], fileBuf[CDX9KelUtils::kPathSize];
    EXPECT_TRUE(Vorna3D::g_Utils.SplitExeFolderPath("sky.fx", folderBuf, fileBuf));
    EXPECT_EQ(std::string(folderBuf), exeFolder);
    EXPECT_STREQ(fileBuf, "sky.fx");
    EXPECT_FALSE(Vorna3D::g_Utils.SplitExeFolderPath(nullptr, folderBuf, nullptr));
}

TEST(CDX9KelUtils, RectFromPercents) {
    struct Case {
        float l, t, r, b;
        RECT expected;
    } cases[] = {
        {10, 20, 60, 70, {110, 220, 160, 270}},
        {0, 0, 100, 100, {100, 200, 200, 300}},
        {10, 0, 110, 100, {110, 200, 210, 300}}, // only the spans are checked
        {10, 0, 120, 100, {0, 0, 0, 0}},      // span above 100
        {50, 0, 40, 100, {0, 0, 0, 0}},       // negative span
        {33.3f, 0, 66.7f, 50, {133, 200, 166, 250}}, // truncation
        {-10, 0, 50, 100, {90, 200, 150, 300}},
    };
    for (const Case& c : cases) {
        const RECT r = CDX9KelUtils::GetRectFromPercents(100, 200, 200, 300, c.l, c.t, c.r, c.b);
        EXPECT_EQ(r.left, c.expected.left) << c.l << " " << c.r;
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(CDX9KelUtils, FloatHelpersAndQuadratics) {
    EXPECT_TRUE(CDX9KelUtils::IsEqual(1.05f, 1.0f, -0.1f)); // a negative tolerance counts by its size
    EXPECT_FALSE(CDX9KelUtils::IsEqual(1.2f, 1.0f, 0.1f));
    EXPECT_EQ(CDX9KelUtils::Sign(0.00005f), 0.0f);
    EXPECT_EQ(CDX9KelUtils::Sign(-0.00005f), 0.0f);
    EXPECT_EQ(CDX9KelUtils::Sign(3.0f), 1.0f);
    EXPECT_EQ(CDX9KelUtils::Sign(-0.5f), -1.0f);

    struct Case {
        float a, b, c;
        int roots;
        float x1, x2;
    } cases[] = {
        {1, -3, 2, 2, 2, 1},
        {1, -2, 1, 1, 1, 1},        // D = 0
        {0, 2, -4, 1, 2, 2},        // linear
        {0, 0, 5, 0, -7, -7},       // no equation: nothing solved, outputs untouched
        {1, 0, 1, 0, -7, -7},       // D < 0: outputs untouched
        {2, 0, -8, 2, 2, -2},
    };
    for (const Case& c : cases) {
        float x1 = -7, x2 = -7;
        EXPECT_EQ(CDX9KelUtils::SolveQuadratic(c.a, c.b, c.c, &x1, &x2), c.roots) << c.a << " " << c.b << " " << c.c;
        EXPECT_FLOAT_EQ(x1, c.x1);
        EXPECT_FLOAT_EQ(x2, c.x2);
    }
    EXPECT_EQ(CDX9KelUtils::SolveQuadratic(1, -3, 2, nullptr, nullptr), 2);
}

TEST(CDX9KelUtils, RandomNumbersComeFromRandS) {
    Platform::SequenceRandom seq({0u, 7u, 0xFFFFFFFFu, 0x80000000u});
    Platform::SetRandomSource(&seq);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(0), 0u); // draws nothing
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(5), 0u);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(5), 2u);
    EXPECT_EQ(CDX9KelUtils::GetRandomInt(100), 0xFFFFFFFFu % 100);
    EXPECT_FLOAT_EQ(CDX9KelUtils::GetRandomFloat(2.0f, 4.0f), 3.0f);
    EXPECT_FLOAT_EQ(CDX9KelUtils::GetRandomFloat(2.0f, 4.0f), 2.0f);
    EXPECT_FLOAT_EQ(CDX9KelUtils::GetRandomFloat(-1.0f, 1.0f), -1.0f + 2.0f * 7.0f / 4294967296.0f);
    // The largest value stays below b even after rounding to float.
    const float top = CDX9KelUtils::GetRandomFloat(0.0f, 1.0f);
    EXPECT_LT(top, 1.0f);
    EXPECT_GT(top, 0.99f);
    Platform::SetRandomSource(nullptr);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LT(CDX9KelUtils::GetRandomInt(7), 7u);
        const float f = CDX9KelUtils::GetRandomFloat(-3.0f, 5.0f);
        EXPECT_GE(f, -3.0f);
        EXPECT_LT(f, 5.0f);
    }
}

TEST(CDX9KelUtils, CheckMemoryLogsAHealthyHeap) {
    const auto path = (VornaTest::FreshFolder() / "Vorna3Log.log").string();
    Vorna3D::g_Log.Reset();
    Vorna3D::g_Log.SetTimeTextSource([] { return std::string("T"); });
    Vorna3D::g_Log.Open(path.c_str());
    EXPECT_TRUE(CDX9KelUtils::CheckMemory());
    Vorna3D::g_Log.Reset();
    EXPECT_EQ(VornaTest::ReadText(path), "| 1 | T |         | Begin\n"
                                         "| 2 | T |         | CDX9KelUtils::CheckMemory : heap is fine ____ \n");
}

TEST_F(ClockTest, DateTimeTextHasTheCtimeForm) {
    char buf[26];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(CDX9KelUtils::GetDateTimeString(buf), buf);
    EXPECT_EQ(std::strlen(buf), 24u);
    EXPECT_EQ(std::string(buf), Platform::LocalTimeText(clock.Now()));
}

TEST_F(ClockTest, IntervalGateOpensOncePerInterval) {
    CDX9KelUtils utils;
    // Called every 100 ms: true, then false until more than 1000 ms have
    // passed (that call re-arms), then true again.
    std::string pattern;
    for (int frame = 0; frame < 25; ++frame) {
        pattern += utils.IsTimePassed(1000) ? 'T' : '.';
        clock.Advance(100);
    }
    EXPECT_EQ(pattern, "T...........T...........T");
}

TEST_F(ClockTest, TenMsGateArmsFirstThenOpens) {
    CDX9KelUtils utils;
    std::string pattern;
    for (int frame = 0; frame < 12; ++frame) {
        pattern += utils.IsTenMsPassed() ? 'T' : '.';
        clock.Advance(4);
    }
    // Armed at 0; true at 12 (> 10); armed again at 16; true at 28; armed at 32; true at 44.
    EXPECT_EQ(pattern, "...T...T...T");
}

TEST_F(ClockTest, GatesSurviveTheClockWrapping) {
    clock.SetMilliseconds(0xFFFFFF00u);
    CDX9KelUtils utils;
    EXPECT_TRUE(utils.IsTimePassed(500));
    clock.Advance(0x200); // wraps past 0
    EXPECT_FALSE(utils.IsTimePassed(500));
    EXPECT_TRUE(utils.IsTimePassed(500));
}

TEST_F(ClockTest, GameTimerScalesStopsAndTruncates) {
    CDX9KelGameTimer timer;
    EXPECT_FALSE(timer.IsRunning());
    clock.Advance(500);
    EXPECT_EQ(timer.GetTime(), 0u); // stopped from the start

    timer.SetSpeed(1.0f);
    clock.Advance(250);
    EXPECT_EQ(timer.GetTime(), 250u);
    timer.SetSpeed(2.0f);
    clock.Advance(100);
    EXPECT_EQ(timer.GetTime(), 450u);

    timer.SetSpeed(0.0f);
    clock.Advance(10000);
    EXPECT_EQ(timer.GetTime(), 450u);

    // The fraction is dropped on every call: 3 calls of 1 ms at 0.5 add 0.
    timer.SetSpeed(-0.5f); // the speed is taken by its size
    EXPECT_FLOAT_EQ(timer.m_fSpeed, 0.5f);
    for (int i = 0; i < 3; ++i) {
        clock.Advance(1);
        EXPECT_EQ(timer.GetTime(), 450u);
    }
    clock.Advance(9);
    EXPECT_EQ(timer.GetTime(), 454u);

    // The lost interval of a stop and restart is not counted.
    timer.Stop();
    clock.Advance(5000);
    timer.Start();
    clock.Advance(20);
    EXPECT_EQ(timer.GetTime(), 464u);
}

TEST_F(ClockTest, GameTimerAdvancesAcrossTheClockWrap) {
    clock.SetMilliseconds(0xFFFFFFF0u);
    CDX9KelGameTimer timer;
    timer.SetSpeed(1.0f);
    clock.Advance(0x20); // the millisecond clock passes 0
    EXPECT_EQ(timer.GetTime(), 0x20u);
    EXPECT_TRUE(timer.IsRunning()); // never 0 while running, even with the clock at 0x10
}

} // namespace
