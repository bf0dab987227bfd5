#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Clock.h"
#include "SoundTestSupport.h"

#include <AL/al.h>

using namespace Vorna3D;

namespace {

// Eight channels (five for 2D sources, three for 3D ones) on the null backend,
// set before the library is first used in this process.
const bool g_configured = [] {
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    SoundTest::ConfigureOpenAL("[general]\ndrivers = null\nsources = 8\n");
    return true;
}();

// The sound-thread passes run on the test thread with a manual clock, so
// every step is exact. A program folder under the test folder holds the
// sound files.
class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        Platform::SetClock(&clock);
        VornaTest::WriteText(folder / "engine.ini", "[Sound Settings]\nMusicVolume=50\nEffectsVolume=80\n");
        ASSERT_TRUE(manager.Init(Camera(), (folder / "engine.ini").c_str())) << Log();
        manager.SetListener(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    }
    void TearDown() override {
        manager.Release();
        Platform::SetClock(nullptr);
        g_Log.Reset();
    }

    CDX9KelCameraManager* Camera() { return &cameras; }
    std::string Log() const { return VornaTest::ReadText(folder / "Vorna3Log.log"); }
    // A path relative to the program folder that reaches the test folder.
    std::string Relative(const std::filesystem::path& p) const {
        return std::filesystem::relative(p, Platform::ProgramFolder()).string();
    }
    std::string Tone(const char* name, size_t frames) {
        return Relative(SoundTest::WriteTone(folder / name, frames));
    }
    void Pass() { manager.ThreadPass(clock.Milliseconds()); }
    void Advance(DWORD ms) { clock.Advance(ms); }

    static ALint ChannelState(CVR3SOUNDManager& m, const SoundHandle& h) {
        ALint state = 0;
        alGetSourcei(m.GetChannelSource(h.GetChannelIndex()), AL_SOURCE_STATE, &state);
        return state;
    }
    float Offset(const SoundHandle& h) {
        ALfloat offset = -1.0f;
        alGetSourcef(manager.GetChannelSource(h.GetChannelIndex()), AL_SEC_OFFSET, &offset);
        return offset;
    }
    static D3DXMATRIX At(float x, float y, float z) {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, x, y, z);
        return m;
    }

    std::filesystem::path folder;
    Platform::ManualClock clock;
    CDX9KelCameraManager cameras;
    CVR3SOUNDManager manager;
};

TEST_F(SoundManagerTest, InitMakesEveryDeviceSourceAChannelAndReadsTheVolumes) {
    EXPECT_EQ(manager.GetChannelCount(), 8u);
    EXPECT_EQ(manager.GetFreeChannelCount(), 8u);
    EXPECT_FLOAT_EQ(manager.GetMusicVolume(), 0.5f);
    EXPECT_FLOAT_EQ(manager.GetEffectsVolume(), 0.8f);
    const std::string log = Log();
    // The software device is the library's own default device: it opens
    // under its name and no fallback line is written.
    EXPECT_EQ(log.find("Not Open software OpenAL Device"), std::string::npos);
    EXPECT_NE(log.find("CVR3SOUNDManager : OpenAL Device : Generic Software\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3SOUNDManager : OpenAL : sound sources : 8"), std::string::npos);
    EXPECT_FALSE(manager.Init(nullptr));
}

TEST_F(SoundManagerTest, WholeDataIsSharedAndStreamedDataIsNot) {
    const std::string shortFile = Tone("short.ogg", 20000);
    const std::string longFile = Tone("long.ogg", 300001);
    SoundHandle a = manager.CreateSoundB(shortFile, 0);
    SoundHandle b = manager.CreateSoundB(shortFile, 0);
    SoundHandle c = manager.CreateSoundB(longFile, 0);
    SoundHandle d = manager.CreateSoundB(longFile, 0);
    ASSERT_TRUE(a && b && c && d);
    EXPECT_EQ(a.GetData(), b.GetData());
    EXPECT_EQ(a.GetData()->m_uReferenceCount, 2u);
    EXPECT_NE(c.GetData(), d.GetData());
    EXPECT_TRUE(manager.RegisterPendingSources());
    EXPECT_FALSE(manager.RegisterPendingSources());

    const CVR3SOUNDData* shared = b.GetData();
    a.Delete();
    c.Delete();
    Pass();
    EXPECT_FALSE(a.IsAlive());
    EXPECT_FALSE(c.IsAlive());
    ASSERT_TRUE(b.IsAlive());
    EXPECT_EQ(b.GetData(), shared);
    EXPECT_EQ(shared->m_uReferenceCount, 1u);
    // The remaining sources still play.
    b.Play();
    d.Play();
    Pass();
    EXPECT_EQ(b.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(d.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(ChannelState(manager, d), AL_PLAYING);
}

TEST_F(SoundManagerTest, LoadSoundReadsTheDescription) {
    const std::string ogg = Tone("s.ogg", 10000);
    struct Case {
        const char* name;
        std::string xml;
        bool loads;
        bool is3D;
        float gain;
        int priority;
        int playMode;
    };
    const std::string file = "<FilePathAfterExeFolder>" + ogg + "</FilePathAfterExeFolder>";
    const Case cases[] = {
        {"2D with volume", "<SoundSource>" + file + "<Volume>0.5</Volume><Priority>7</Priority><SoundType>2</SoundType></SoundSource>",
         true, false, 0.25f, 7, 2},
        // Without a volume the music or effects volume still applies.
        {"2D without volume", "<SoundSource>" + file + "</SoundSource>", true, false, 0.5f, 0, 0},
        {"3D without volume", "<SoundSource type3d=\"1\">" + file + "<MinDistance>10</MinDistance>"
                              "<MaxDistance>400</MaxDistance><SoundType>1</SoundType></SoundSource>",
         true, true, 0.8f, 0, 1},
        {"volume above 1", "<SoundSource>" + file + "<Volume>7</Volume></SoundSource>", true, false, 0.5f, 0, 0},
        {"not a sound source", "<Sound>" + file + "</Sound>", false, false, 0, 0, 0},
        {"no file", "<SoundSource><Volume>1</Volume></SoundSource>", false, false, 0, 0, 0},
        {"missing ogg", "<SoundSource><FilePathAfterExeFolder>none.ogg</FilePathAfterExeFolder></SoundSource>",
         false, false, 0, 0, 0},
        {"other format", "<SoundSource><FilePathAfterExeFolder>none.wav</FilePathAfterExeFolder></SoundSource>",
         false, false, 0, 0, 0},
        {"not xml", "<SoundSource>", false, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path xml = folder / "source.xml";
        VornaTest::WriteText(xml, c.xml);
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        SoundHandle h = manager.LoadSound(xml.string());
        EXPECT_EQ(static_cast<bool>(h), c.loads);
        if (!c.loads) {
            EXPECT_FALSE(g_Log.GetErrorLines().empty());
            continue;
        }
        EXPECT_EQ(h.Is3D(), c.is3D);
        EXPECT_FLOAT_EQ(h.GetGain(), c.gain);
        EXPECT_EQ(h.GetPriority(), c.priority);
        EXPECT_EQ(h.GetPlayMode(), c.playMode);
    }
    EXPECT_FALSE(manager.LoadSound(""));
    EXPECT_FALSE(manager.LoadSound((folder / "absent.xml").string()));
}

TEST_F(SoundManagerTest, TheHighestPrioritiesGetTheChannelsAndTheRestRunSilently) {
    const std::string file = Tone("music.ogg", 66150);  // 3 s
    std::vector<SoundHandle> sources;
    for (int priority = 1; priority <= 7; ++priority) {
        sources.push_back(manager.CreateSoundB(file, 0));
        sources.back().SetPriority(priority);
    }
    manager.RegisterPendingSources();
    for (SoundHandle& h : sources) h.Play();
    Pass();
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i + 1);
        if (i >= 2) {
            EXPECT_EQ(sources[i].GetState(), CVR3SOUNDSource::STATE_PLAYING);
            EXPECT_EQ(ChannelState(manager, sources[i]), AL_PLAYING);
        } else {
            EXPECT_EQ(sources[i].GetState(), CVR3SOUNDSource::STATE_SILENT);
            EXPECT_EQ(sources[i].GetChannelIndex(), -1);
        }
    }
    EXPECT_EQ(manager.GetFreeChannelCount(), 3u);

    // When the loudest stops, the best silent one starts where its clock is.
    Advance(1200);
    sources[6].Stop();
    Pass();
    EXPECT_EQ(sources[6].GetState(), CVR3SOUNDSource::STATE_FINISHED);
    EXPECT_EQ(sources[6].GetChannelIndex(), -1);
    EXPECT_EQ(sources[1].GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_GE(Offset(sources[1]), 1.2f - 0.01f);
    EXPECT_LT(Offset(sources[1]), 2.5f);
    EXPECT_EQ(sources[0].GetState(), CVR3SOUNDSource::STATE_SILENT);
    EXPECT_EQ(manager.GetFreeChannelCount(), 3u);

    // A finished source that is kept does not hand its channel back twice.
    for (int i = 0; i < 5; ++i) Pass();
    EXPECT_EQ(manager.GetFreeChannelCount(), 3u);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundManagerTest, ASilent2DSourceEndsAtItsLengthOrLoops) {
    const std::string file = Tone("short.ogg", 22050);  // 1 s
    std::vector<SoundHandle> busy;
    for (int i = 0; i < 5; ++i) {
        busy.push_back(manager.CreateSoundB(Tone("busy.ogg", 66150), 2));
        busy.back().SetPriority(10);
    }
    SoundHandle once = manager.CreateSoundB(file, 0);
    SoundHandle loop = manager.CreateSoundB(file, 2);
    manager.RegisterPendingSources();
    for (SoundHandle& h : busy) h.Play();
    once.Play();
    loop.Play();
    Pass();
    EXPECT_EQ(once.GetState(), CVR3SOUNDSource::STATE_SILENT);
    Advance(1500);
    Pass();
    EXPECT_EQ(once.GetState(), CVR3SOUNDSource::STATE_FINISHED);
    EXPECT_EQ(loop.GetState(), CVR3SOUNDSource::STATE_SILENT);
    // Its clock restarted, so once a channel frees it starts near the beginning.
    Advance(300);
    busy[0].Stop();
    Pass();
    EXPECT_EQ(loop.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_LT(Offset(loop), 0.9f);
}

TEST_F(SoundManagerTest, PauseAndResumeContinueWherePaused) {
    const std::string file = Tone("music.ogg", 66150);
    SoundHandle h = manager.CreateSoundB(file, 2);
    manager.RegisterPendingSources();
    h.Play();
    Pass();
    const int channel = h.GetChannelIndex();
    ASSERT_GE(channel, 0);
    for (int cycle = 0; cycle < 20; ++cycle) {
        SCOPED_TRACE(cycle);
        Advance(100);
        ASSERT_TRUE(h.Pause());
        Pass();
        EXPECT_EQ(h.GetState(), CVR3SOUNDSource::STATE_PAUSED);
        EXPECT_EQ(ChannelState(manager, h), AL_PAUSED);
        const float pausedAt = Offset(h);
        Advance(5000);
        Pass();
        EXPECT_FLOAT_EQ(Offset(h), pausedAt);
        h.Play();
        Pass();
        EXPECT_EQ(h.GetState(), CVR3SOUNDSource::STATE_PLAYING);
        EXPECT_EQ(ChannelState(manager, h), AL_PLAYING);
        // Same channel, nothing leaked, and not back at the beginning.
        EXPECT_EQ(h.GetChannelIndex(), channel);
        EXPECT_EQ(manager.GetFreeChannelCount(), 7u);
        EXPECT_GE(Offset(h), pausedAt);
    }
    // Play on a playing source changes nothing.
    const float before = Offset(h);
    h.Play();
    Pass();
    EXPECT_GE(Offset(h), before);
    EXPECT_EQ(h.GetChannelIndex(), channel);
}

TEST_F(SoundManagerTest, APausedSilentSourceCountsNoTimeUntilPlay) {
    std::vector<SoundHandle> busy;
    for (int i = 0; i < 5; ++i) {
        busy.push_back(manager.CreateSoundB(Tone("busy.ogg", 66150), 2));
        busy.back().SetPriority(10);
    }
    SoundHandle quiet = manager.CreateSoundB(Tone("quiet.ogg", 44100), 0);  // 2 s
    manager.RegisterPendingSources();
    for (SoundHandle& h : busy) h.Play();
    quiet.Play();
    Pass();
    ASSERT_EQ(quiet.GetState(), CVR3SOUNDSource::STATE_SILENT);
    Advance(500);
    quiet.Pause();
    EXPECT_EQ(quiet.GetState(), CVR3SOUNDSource::STATE_PAUSED_SILENT);
    Advance(10000);  // far beyond its length
    Pass();
    quiet.Play();
    EXPECT_EQ(quiet.GetState(), CVR3SOUNDSource::STATE_SILENT);
    Advance(200);
    busy[0].Stop();
    Pass();
    ASSERT_EQ(quiet.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_GE(Offset(quiet), 0.7f - 0.01f);
    EXPECT_LT(Offset(quiet), 1.9f);
}

TEST_F(SoundManagerTest, A3DSourceOutOfRangeGoesSilentAndComesBackAtItsPosition) {
    SoundHandle h = manager.CreateSoundB(Tone("engine.ogg", 66150), 0);
    h.SetDistance(10.0f, 100.0f);
    const D3DXMATRIX near = At(0, 0, 50);
    const D3DXMATRIX far = At(0, 0, 500);
    h.SetTransform(&near);
    manager.RegisterPendingSources();
    h.Play();
    Pass();
    ASSERT_EQ(h.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(manager.GetFreeChannelCount(), 7u);
    // Sent to OpenAL as (x, y, -z).
    ALfloat position[3] = {};
    alGetSourcefv(manager.GetChannelSource(h.GetChannelIndex()), AL_POSITION, position);
    EXPECT_FLOAT_EQ(position[2], -50.0f);

    Advance(300);
    h.SetTransform(&far);
    Pass();
    EXPECT_EQ(h.GetState(), CVR3SOUNDSource::STATE_SILENT);
    EXPECT_EQ(h.GetChannelIndex(), -1);
    EXPECT_EQ(manager.GetFreeChannelCount(), 8u);
    Advance(700);
    Pass();
    EXPECT_EQ(manager.GetFreeChannelCount(), 8u);
    h.SetTransform(&near);
    Pass();
    ASSERT_EQ(h.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_GE(Offset(h), 1.0f - 0.01f);
    EXPECT_LT(Offset(h), 2.5f);
}

TEST_F(SoundManagerTest, MoreWanting3DSourcesThanChannelsPlayByPriority) {
    const std::string file = Tone("gun.ogg", 44100);
    const D3DXMATRIX place = At(5, 0, 5);
    std::vector<SoundHandle> sources;
    for (int priority = 0; priority < 5; ++priority) {
        sources.push_back(manager.CreateSoundB(file, 0));
        sources.back().SetDistance(1.0f, 100.0f);
        sources.back().SetTransform(&place);
        sources.back().SetPriority(priority);
    }
    manager.RegisterPendingSources();
    for (SoundHandle& h : sources) h.Play();
    Pass();
    // Three channels are left for 3D sources.
    EXPECT_EQ(sources[0].GetState(), CVR3SOUNDSource::STATE_SILENT);
    EXPECT_EQ(sources[1].GetState(), CVR3SOUNDSource::STATE_SILENT);
    for (int i = 2; i < 5; ++i) EXPECT_EQ(sources[i].GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(manager.GetFreeChannelCount(), 5u);
}

TEST_F(SoundManagerTest, ASourceAtTheListenerGivesNoOpenALError) {
    SoundHandle h = manager.CreateSoundB(Tone("gun.ogg", 22050), 0);
    const D3DXMATRIX here = At(0, 0, 0);
    h.SetDistance(1.0f, 50.0f);
    h.SetTransform(&here);
    manager.RegisterPendingSources();
    h.Play();
    Pass();
    Pass();
    EXPECT_EQ(h.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
    EXPECT_TRUE(g_Log.GetErrorLines().empty()) << Log();
}

TEST_F(SoundManagerTest, AFinishedOneShotSourceIsFreedAndItsHandleDoesNothing) {
    SoundHandle once = manager.CreateSoundB(Tone("click.ogg", 2000), CVR3SOUNDSource::MODE_DELETE_WHEN_FINISHED);
    manager.RegisterPendingSources();
    once.Play();
    Pass();
    once.Stop();
    Pass();
    EXPECT_FALSE(once.IsAlive());
    EXPECT_EQ(once.GetState(), -1);
    EXPECT_FALSE(once.Play());
    EXPECT_FALSE(once.Stop());
    const D3DXMATRIX m = At(1, 2, 3);
    EXPECT_FALSE(once.SetTransform(&m));
    EXPECT_EQ(manager.GetSourceCount(), 0u);
    EXPECT_EQ(manager.GetFreeChannelCount(), 8u);
}

TEST_F(SoundManagerTest, AllSourcesOperationsActOn3DSourcesOnly) {
    const std::string file = Tone("s.ogg", 66150);
    VornaTest::WriteText(folder / "line_item.xml",
                         "<SoundSource type3d=\"1\"><FilePathAfterExeFolder>" + file +
                             "</FilePathAfterExeFolder><MaxDistance>100</MaxDistance></SoundSource>");
    SoundHandle music = manager.CreateSoundB(file, 2);
    SoundHandle effect = manager.CreateSoundB(file, 2);
    effect.SetDistance(1.0f, 100.0f);
    manager.CreateSoundLine("Line", 1);
    ASSERT_TRUE(manager.LoadSoundLineSound("Line", (folder / "line_item.xml").string()));
    manager.RegisterPendingSources();
    CVR3SOUNDLine* line = manager.FindSoundLine("Line");
    ASSERT_TRUE(line->AddToPending((folder / "line_item.xml").string()));
    line->PostRequest(CVR3SOUNDLine::REQUEST_REPLACE);
    line->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
    music.Play();
    effect.Play();
    Pass();
    Pass();
    SoundHandle item(&manager, line->GetCurrentItem()->m_uId);
    ASSERT_EQ(item.GetState(), CVR3SOUNDSource::STATE_PLAYING);

    manager.PauseAllSources();
    EXPECT_EQ(effect.GetState(), CVR3SOUNDSource::STATE_PAUSED);
    EXPECT_EQ(music.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_EQ(item.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    manager.ResumeAllSources();
    Pass();
    EXPECT_EQ(effect.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    manager.StopAllSources();
    EXPECT_EQ(effect.GetState(), CVR3SOUNDSource::STATE_FINISHED);
    EXPECT_EQ(item.GetState(), CVR3SOUNDSource::STATE_PLAYING);
    EXPECT_TRUE(manager.DeleteAllSources());
    Pass();
    EXPECT_FALSE(effect.IsAlive());
    EXPECT_TRUE(music.IsAlive());
    EXPECT_TRUE(item.IsAlive());
    Pass();
    EXPECT_EQ(line->GetCurrentItem(), item.IsAlive() ? line->GetCurrentItem() : nullptr);
}

} // namespace
