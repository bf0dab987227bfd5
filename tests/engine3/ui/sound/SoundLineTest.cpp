#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Clock.h"
#include "SoundTestSupport.h"

#include <AL/al.h>

using namespace Vorna3D;

namespace {

// A line with three items; the passes run on the test thread with a manual
// clock. An item "finishes" when the test stops it, so nothing waits for the
// real playing time.
class SoundLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        Platform::SetClock(&clock);
        ASSERT_TRUE(manager.Init(&cameras,
                                 (folder / "engine.ini").c_str()));
        const std::string ogg =
            std::filesystem::relative(SoundTest::WriteTone(folder / "item.ogg", 66150), Platform::ProgramFolder());
        for (int i = 0; i < 3; ++i) {
            paths.push_back((folder / ("item" + std::to_string(i) + ".xml")).string());
            VornaTest::WriteText(paths.back(), "<SoundSource><FilePathAfterExeFolder>" + ogg +
                                                   "</FilePathAfterExeFolder></SoundSource>");
        }
    }
    void TearDown() override {
        manager.Release();
        Platform::SetClock(nullptr);
        g_Log.Reset();
    }

    CVR3SOUNDLine* MakeLine(int mode, size_t items, DWORD gap) {
        CVR3SOUNDLine* line = manager.CreateSoundLine("Music", mode);
        for (size_t i = 0; i < items; ++i) {
            EXPECT_TRUE(manager.LoadSoundLineSound("Music", paths[i]));
            EXPECT_TRUE(line->AddToPending(paths[i]));
        }
        manager.RegisterPendingSources();
        line->SetGap(gap);
        line->PostRequest(CVR3SOUNDLine::REQUEST_REPLACE);
        line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
        Pass();
        Pass();
        return line;
    }
    void Pass() { manager.ThreadPass(clock.Milliseconds()); }
    SoundHandle Current(CVR3SOUNDLine* line) {
        CVR3SOUNDSource* s = line->GetCurrentItem();
        return s ? SoundHandle(&manager, s->m_uId) : SoundHandle();
    }
    // Stops the current item and runs the passes until the line has moved on
    // after its gap; returns the new index.
    int FinishCurrent(CVR3SOUNDLine* line, DWORD gap) {
        Current(line).Stop();
        Pass();  // the line notices the finished item
        clock.Advance(gap > 0 ? gap - 1 : 0);
        Pass();
        if (gap > 0) {
            EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_FINISHED);
            clock.Advance(1);
            Pass();
        }
        Pass();  // the source pass starts the new item
        return line->GetCurrentIndex();
    }

    std::filesystem::path folder;
    Platform::ManualClock clock;
    CDX9KelCameraManager cameras;
    CVR3SOUNDManager manager;
    std::vector<std::string> paths;
};

TEST_F(SoundLineTest, SequentialLinePlaysItsItemsInTurnWithTheGap) {
    CVR3SOUNDLine* line = MakeLine(CVR3SOUNDLine::MODE_SEQUENTIAL, 3, 1500);
    ASSERT_EQ(line->GetCurrentIndex(), 0);
    EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(Current(line).GetPlayMode(), CVR3SOUNDSource::MODE_KEEP);
    std::vector<int> order;
    for (int i = 0; i < 4; ++i) {
        order.push_back(FinishCurrent(line, 1500));
        EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_PLAYING);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_TRUE(line->Compare(paths));
    EXPECT_FALSE(line->Compare({paths[0], paths[1]}));
    // Loading the same file again adds nothing.
    EXPECT_TRUE(manager.LoadSoundLineSound("Music", paths[0]));
    EXPECT_FALSE(manager.LoadSoundLineSound("Other", paths[0]));
}

TEST_F(SoundLineTest, RandomLineNeverRepeatsAnItemAtOnce) {
    for (size_t items : {2u, 3u}) {
        SCOPED_TRACE(items);
        manager.Release();
        ASSERT_TRUE(manager.Init(&cameras));
        manager.SeedRandom(static_cast<uint32_t>(items));
        CVR3SOUNDLine* line = MakeLine(CVR3SOUNDLine::MODE_RANDOM, items, 0);
        int previous = line->GetCurrentIndex();
        std::vector<int> seen(items, 0);
        for (int i = 0; i < 60; ++i) {
            const int next = FinishCurrent(line, 0);
            ASSERT_GE(next, 0);
            ASSERT_LT(next, static_cast<int>(items));
            EXPECT_NE(next, previous);
            ++seen[static_cast<size_t>(next)];
            previous = next;
        }
        for (int count : seen) EXPECT_GT(count, 0);
    }
}

TEST_F(SoundLineTest, OnceLineStopsAfterItsItemUntilPlay) {
    CVR3SOUNDLine* line = MakeLine(CVR3SOUNDLine::MODE_ONCE, 3, 0);
    ASSERT_EQ(line->GetCurrentIndex(), 0);
    EXPECT_EQ(FinishCurrent(line, 0), -1);
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_EQ(line->GetCurrentIndex(), -1);
    EXPECT_EQ(manager.GetFreeChannelCount(), manager.GetChannelCount());
    line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
    Pass();
    Pass();
    EXPECT_EQ(line->GetCurrentIndex(), 0);
    EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_PLAYING);
}

TEST_F(SoundLineTest, RequestsOfOneFrameRunInOrderWithoutAdvancing) {
    CVR3SOUNDLine* line = MakeLine(CVR3SOUNDLine::MODE_SEQUENTIAL, 3, 0);
    SoundHandle first = Current(line);
    // Stop, install a list of one item, play: in one pass, in posting order.
    ASSERT_TRUE(line->AddToPending(paths[2]));
    EXPECT_FALSE(line->AddToPending("not loaded.xml"));
    line->Stop();
    line->PostRequest(CVR3SOUNDLine::REQUEST_REPLACE);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
    Pass();
    EXPECT_EQ(line->GetRequestCount(), 0u);
    EXPECT_EQ(first.GetState(), CVR3SOUNDSource::STATE_FINISHED);
    EXPECT_TRUE(line->Compare({paths[2]}));
    EXPECT_EQ(line->GetCurrentIndex(), 0);
    Pass();
    EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_PLAYING);

    // A list shorter than the index, an empty list and requests on nothing
    // select nothing and play nothing.
    line->PostRequest(CVR3SOUNDLine::REQUEST_CLEAR);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PAUSE);
    line->PostRequest(CVR3SOUNDLine::REQUEST_STOP);
    line->PostRequest(CVR3SOUNDLine::REQUEST_REPLACE);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
    line->PostRequest(99);
    Pass();
    EXPECT_EQ(line->GetCurrentIndex(), -1);
    EXPECT_EQ(line->GetCurrentCount(), 0u);
}

TEST_F(SoundLineTest, PlayResumesAPausedSilentItemAtItsPosition) {
    // Five louder 2D sources take every 2D channel, so the line's item runs silently.
    std::vector<SoundHandle> busy;
    const std::string ogg =
        std::filesystem::relative(SoundTest::WriteTone(folder / "busy.ogg", 66150), Platform::ProgramFolder());
    for (int i = 0; i < 5; ++i) {
        busy.push_back(manager.CreateSoundB(ogg, 2));
        busy.back().SetPriority(100);
        busy.back().Play();
    }
    CVR3SOUNDLine* line = MakeLine(CVR3SOUNDLine::MODE_SEQUENTIAL, 1, 0);
    ASSERT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_SILENT);
    clock.Advance(400);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PAUSE);
    Pass();
    EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_PAUSED_SILENT);
    clock.Advance(20000);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
    Pass();
    EXPECT_EQ(Current(line).GetState(), CVR3SOUNDSource::STATE_SILENT);
    clock.Advance(100);
    busy[0].Stop();
    Pass();
    SoundHandle item = Current(line);
    ASSERT_EQ(item.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    ALfloat offset = -1.0f;
    alGetSourcef(manager.GetChannelSource(item.GetChannelIndex()), AL_SEC_OFFSET, &offset);
    EXPECT_GE(offset, 0.5f - 0.01f);
    EXPECT_LT(offset, 2.0f);
}

} // namespace
