#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/ui/sound/COALOggSoundData.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "FakeOpenAL.h"
#include "platform/os/Clock.h"
#include "SoundTestSupport.h"

#include <memory>

using namespace Vorna2;

namespace {

class CampaignSoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeAL::Reset();
        Platform::SetClock(&m_clock);
        m_folder = VornaTest::FreshFolder();
        m_log = SoundTest::OpenLog(m_folder);
        m_ini = m_folder / "engine.ini";
        VornaTest::WriteText(m_ini, "[Sound Settings]\nMusicVolume=80\nEffectsVolume=100\n");
        m_short = SoundTest::FromProgramFolder(SoundTest::WriteTone(m_folder / "shot.ogg", 4000));
        m_long = SoundTest::FromProgramFolder(SoundTest::WriteTone(m_folder / "theme.ogg", 310000));
    }
    void TearDown() override {
        m_manager.reset();
        Platform::SetClock(nullptr);
        g_Log.Reset();
    }

    COALSoundManager& Init(size_t sources = 4) {
        FakeAL::Get().sourceLimit = sources;
        m_manager = std::make_unique<COALSoundManager>();
        EXPECT_TRUE(m_manager->Init(&m_cameras, m_ini.c_str()));
        return *m_manager;
    }
    std::string Log() const { return VornaTest::ReadText(m_log); }
    // One frame of the scene's sound steps, `ms` after the last.
    void Frame(DWORD ms = 16) {
        m_clock.Advance(ms);
        m_manager->UpdateListener();
        m_manager->ProcMusicList();
        m_manager->Update();
    }
    ALuint SourceOf(int id) const {
        const COALSoundResource* r = m_manager->GetSoundResource(id);
        return r && r->m_iSource >= 0 ? static_cast<ALuint>(r->m_iSource) : 0;
    }

    Platform::ManualClock m_clock;
    CDX9KelBaseCameraManager m_cameras;
    std::unique_ptr<COALSoundManager> m_manager;
    std::filesystem::path m_folder, m_log, m_ini;
    std::string m_short, m_long;
};

// OpenAL Soft has no "Generic Software" device: the default one serves, with
// one line to say so. Then every source the device gives is taken, the
// listener gain is 0.8 and the volumes come from engine.ini.
TEST_F(CampaignSoundManagerTest, InitFallsBackToTheDefaultDeviceWithOneLine) {
    COALSoundManager& manager = Init(5);
    EXPECT_EQ(FakeAL::Get().deviceRequests, (std::vector<std::string>{"Generic Software", "(default)"}));
    EXPECT_EQ(manager.GetSourceCount(), 5u);
    EXPECT_EQ(manager.GetFreeSourceCount(), 5u);
    EXPECT_FLOAT_EQ(FakeAL::Get().listenerGain, 0.8f);
    EXPECT_FLOAT_EQ(manager.GetMusicVolume(), 0.8f);
    EXPECT_FLOAT_EQ(manager.GetEffectsVolume(), 1.0f);
    EXPECT_TRUE(FakeAL::Get().contextCurrent);
    EXPECT_EQ(g_Log.GetErrorCount(), 1);
    EXPECT_EQ(SoundTest::CountLines(Log(), "Error : COALSoundManager::Init : Not Open software OpenAL Device\n"), 1);

    manager.StopMusic();
    manager.ReleaseResources();
    manager.ReleaseSources();
    manager.CloseDevice();
    EXPECT_TRUE(FakeAL::Get().sources.empty());
    EXPECT_FALSE(FakeAL::Get().contextAlive);
    EXPECT_FALSE(FakeAL::Get().deviceOpen);
    EXPECT_FALSE(FakeAL::Get().contextCurrent);
}

// Without any device the campaign runs silent: one line, no sound made, and
// the per-frame calls do nothing.
TEST_F(CampaignSoundManagerTest, WithoutADeviceOneLineAndSilence) {
    FakeAL::Get().defaultDeviceOpens = false;
    m_manager = std::make_unique<COALSoundManager>();
    EXPECT_FALSE(m_manager->Init(&m_cameras, m_ini.c_str()));
    EXPECT_EQ(m_manager->CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f), -1);
    EXPECT_EQ(m_manager->CreateMusic(m_long.c_str()), -1);
    Frame();
    EXPECT_EQ(g_Log.GetErrorCount(), 1);
    EXPECT_EQ(SoundTest::CountLines(Log(), "Error : COALSoundManager::Init : Not Open default OpenAL Device\n"), 1);
    EXPECT_TRUE(FakeAL::Get().buffers.empty());
}

TEST_F(CampaignSoundManagerTest, InitFailuresEachLogTheirLine) {
    COALSoundManager manager;
    EXPECT_FALSE(manager.Init(nullptr, m_ini.c_str()));
    FakeAL::Get().contextCreates = false;
    EXPECT_FALSE(manager.Init(&m_cameras, m_ini.c_str()));
    EXPECT_FALSE(FakeAL::Get().deviceOpen);
    const std::string log = Log();
    EXPECT_EQ(SoundTest::CountLines(log, "Error : COALSoundManager::Init : pCameraManager == NULL\n"), 1);
    EXPECT_EQ(SoundTest::CountLines(log, "Error : COALSoundManager::Init : Not Create OpenAL Context\n"), 1);
}

// The life of a sound, step by step: the state after each call of the
// scene or the campaign code, and whether it holds a source.
TEST_F(CampaignSoundManagerTest, StateMachineTable) {
    COALSoundManager& manager = Init(4);
    const int once = manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f);
    const int loop = manager.CreateSound(m_short.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    ASSERT_GE(once, 0);
    ASSERT_GE(loop, 0);
    enum Action { PLAY, PAUSE, STOP, FRAME, FINISH };
    struct Step {
        int id;
        Action action;
        int state;       // afterwards; -1: the resource is gone
        bool hasSource;
    };
    const Step steps[] = {
        {once, FRAME, SOUND_IDLE, false},       // made idle
        {once, PLAY, SOUND_REQUESTED, false},   // requested
        {once, FRAME, SOUND_PLAYING, true},     // started on a source
        {once, PLAY, SOUND_PLAYING, true},      // already playing: no change
        {once, PAUSE, SOUND_PAUSED, true},      // keeps its source
        {once, PLAY, SOUND_REQUESTED, true},
        {once, FRAME, SOUND_PLAYING, true},     // resumed on the same source
        {once, STOP, SOUND_IDLE, false},        // stopped by the caller: idle, not deleted
        {once, FRAME, SOUND_IDLE, false},
        {once, PLAY, SOUND_REQUESTED, false},
        {once, FRAME, SOUND_PLAYING, true},
        {once, FINISH, SOUND_PLAYING, true},    // OpenAL played all buffers
        {once, FRAME, SOUND_STOPPED, false},    // finished: stopped, source back
        {once, FRAME, -1, false},               // a finished one-shot sound is deleted
        {loop, PLAY, SOUND_REQUESTED, false},
        {loop, FRAME, SOUND_PLAYING, true},
        {loop, FINISH, SOUND_PLAYING, true},
        {loop, FRAME, SOUND_PLAYING, true},     // requeued and played again
        {loop, STOP, SOUND_IDLE, false},
        {loop, FRAME, SOUND_IDLE, false},       // a caller's stop is not a loop's end
    };
    int row = 0;
    ALuint pausedOn = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("row " + std::to_string(row++));
        switch (s.action) {
        case PLAY: manager.PlaySound(s.id); break;
        case PAUSE:
            manager.PauseSound(s.id);
            pausedOn = SourceOf(s.id);
            break;
        case STOP: manager.StopSound(s.id); break;
        case FRAME: Frame(); break;
        case FINISH: FakeAL::Finish(SourceOf(s.id)); break;
        }
        EXPECT_EQ(manager.GetSoundState(s.id), s.state);
        EXPECT_EQ(SourceOf(s.id) != 0, s.hasSource);
        if (s.action == FRAME && s.state == SOUND_PLAYING && pausedOn) {
            EXPECT_EQ(SourceOf(s.id), pausedOn);
            pausedOn = 0;
        }
        if (s.action == FRAME && s.state == SOUND_PLAYING) {
            EXPECT_EQ(FakeAL::FindSource(SourceOf(s.id))->state, AL_PLAYING);
        }
    }
    // Every source is free again, and none holds a buffer.
    EXPECT_EQ(manager.GetFreeSourceCount(), 4u);
    for (const auto& [name, source] : FakeAL::Get().sources) EXPECT_TRUE(source.queue.empty());
    EXPECT_EQ(g_Log.GetErrorCount(), 1);  // the device fallback only
}

// A start that OpenAL refuses gives its source back, whatever step failed,
// so a sound that keeps failing never uses up the sources.
TEST_F(CampaignSoundManagerTest, AFailedStartGivesItsSourceBack) {
    COALSoundManager& manager = Init(2);
    const int id = manager.CreateSound(m_short.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    manager.PlaySound(id);
    for (const char* failing : {"alSourcePlay", "alSourceQueueBuffers", "alSourcePlay"}) {
        SCOPED_TRACE(failing);
        FakeAL::FailNext(failing, 1);
        Frame();
        EXPECT_EQ(manager.GetSoundState(id), SOUND_REQUESTED);
        EXPECT_EQ(manager.GetFreeSourceCount(), 2u);
        for (const auto& [name, source] : FakeAL::Get().sources) EXPECT_TRUE(source.queue.empty());
    }
    // The next frame the sound starts after all.
    Frame();
    EXPECT_EQ(manager.GetSoundState(id), SOUND_PLAYING);
    EXPECT_EQ(manager.GetFreeSourceCount(), 1u);
    EXPECT_EQ(SoundTest::CountLines(Log(), "Error : COALSoundResource::Play() : Not Play Sound : shot.ogg\n"), 2);
}

// With every source busy a requested sound waits, tried again each frame,
// and starts once a source is free.
TEST_F(CampaignSoundManagerTest, WithoutAFreeSourceASoundWaitsAndRetries) {
    COALSoundManager& manager = Init(1);
    const int first = manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f);
    const int second = manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f);
    manager.PlaySound(first);
    manager.PlaySound(second);
    Frame();
    Frame();
    EXPECT_EQ(manager.GetSoundState(first), SOUND_PLAYING);
    EXPECT_EQ(manager.GetSoundState(second), SOUND_REQUESTED);
    EXPECT_EQ(SoundTest::CountLines(Log(), "Error : COALSoundResource::Play() : not found free OAL source\n"), 2);
    FakeAL::Finish(SourceOf(first));
    Frame();  // the first stops; the second finds its source
    EXPECT_EQ(manager.GetSoundState(first), SOUND_STOPPED);
    EXPECT_EQ(manager.GetSoundState(second), SOUND_PLAYING);
}

// A paused sound keeps its source, so it resumes there even when no other
// source is free.
TEST_F(CampaignSoundManagerTest, APausedSoundResumesOnItsOwnSourceWhenNoneIsFree) {
    COALSoundManager& manager = Init(1);
    const int id = manager.CreateSound(m_short.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    manager.PlaySound(id);
    Frame();
    ASSERT_EQ(manager.GetSoundState(id), SOUND_PLAYING);
    const ALuint source = SourceOf(id);
    manager.PauseSound(id);
    ASSERT_EQ(manager.GetFreeSourceCount(), 0u);
    manager.PlaySound(id);
    Frame();
    EXPECT_EQ(manager.GetSoundState(id), SOUND_PLAYING);
    EXPECT_EQ(SourceOf(id), source);
    EXPECT_EQ(FakeAL::FindSource(source)->state, AL_PLAYING);
    EXPECT_EQ(SoundTest::CountLines(Log(), "Error : COALSoundResource::Play() : not found free OAL source\n"), 0);
}

TEST_F(CampaignSoundManagerTest, MusicStartsAfterItsDelayAtTheMusicVolume) {
    COALSoundManager& manager = Init();
    const int music = manager.CreateMusic(m_long.c_str());
    ASSERT_GE(music, 0);
    EXPECT_FLOAT_EQ(manager.GetSoundGain(music), 0.8f);
    manager.PlaySound(music);
    Frame(0);
    Frame(2999);
    EXPECT_EQ(manager.GetSoundState(music), SOUND_REQUESTED);
    Frame(1);
    EXPECT_EQ(manager.GetSoundState(music), SOUND_PLAYING);
    EXPECT_FLOAT_EQ(FakeAL::FindSource(SourceOf(music))->floats[AL_GAIN], 0.8f);
    EXPECT_EQ(FakeAL::FindSource(SourceOf(music))->ints[AL_SOURCE_RELATIVE], AL_TRUE);
}

// A streamed sound plays through its two buffers, each refilled with the
// next 65536 bytes once played; a sound played once ends with its data, a
// looping one starts over without an empty buffer in between, also when its
// data ends exactly on a block edge.
TEST_F(CampaignSoundManagerTest, StreamsRefillTheirBuffersUntilTheEnd) {
    // 310000 samples are 620000 bytes: 9 blocks and a rest; 327680 samples
    // are exactly 10 blocks, so the end of the data falls on a block edge.
    const std::string edge =
        SoundTest::FromProgramFolder(SoundTest::WriteTone(m_folder / "edge.ogg", 327680));
    for (const auto& [file, bytes] : {std::pair<std::string, size_t>{m_long, 620000}, {edge, 655360}}) {
        for (const int type : {SOUND_TYPE_ONCE, SOUND_TYPE_LOOP}) {
            SCOPED_TRACE(file + " type " + std::to_string(type));
            FakeAL::Reset();
            COALSoundManager& manager = Init();
            const int id = manager.CreateSound(file.c_str(), type, nullptr, nullptr, 1.0f, 10.0f);
            ASSERT_GE(id, 0);
            manager.PlaySound(id);
            Frame();
            const ALuint source = SourceOf(id);
            ASSERT_NE(source, 0u);
            EXPECT_EQ(FakeAL::FindSource(source)->queue.size(), 2u);
            size_t streamed = 0;
            int frames = 0;
            while (manager.GetSoundState(id) == SOUND_PLAYING && frames < 40) {
                for (size_t upload : FakeAL::Get().uploads) {
                    EXPECT_GT(upload, 0u);
                    streamed += upload;
                }
                FakeAL::Get().uploads.clear();
                // Nothing empty is ever queued.
                for (const ALuint queued : FakeAL::FindSource(source)->queue)
                    EXPECT_FALSE(FakeAL::Get().buffers.at(queued).data.empty());
                if (type == SOUND_TYPE_LOOP && streamed >= bytes * 2) break;
                FakeAL::Advance(source, 1);
                Frame();
                ++frames;
            }
            EXPECT_EQ(FakeAL::Get().playedBuffersQueued, 0);
            if (type == SOUND_TYPE_ONCE) {
                EXPECT_EQ(streamed, bytes);
                EXPECT_EQ(manager.GetSoundState(id), SOUND_STOPPED);
            } else {
                EXPECT_GE(streamed, bytes * 2);
                EXPECT_EQ(manager.GetSoundState(id), SOUND_PLAYING);
                EXPECT_EQ(FakeAL::FindSource(source)->queue.size(), 2u);
            }
            m_manager.reset();
        }
    }
}

TEST_F(CampaignSoundManagerTest, FreedIdsAreReusedAndWholeDataIsSharedByName) {
    COALSoundManager& manager = Init();
    const int a = manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f);
    const int b = manager.CreateSound(m_short.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    const int c = manager.CreateMusic(m_long.c_str());
    EXPECT_EQ((std::vector<int>{a, b, c}), (std::vector<int>{0, 1, 2}));
    // One decoded copy of shot.ogg for both; the stream is never shared.
    ASSERT_EQ(manager.GetSharedData().size(), 1u);
    EXPECT_EQ(manager.GetSharedData()[0]->m_iUseCount, 2);
    EXPECT_EQ(manager.GetSoundResource(a)->m_pData, manager.GetSoundResource(b)->m_pData);

    const size_t buffers = FakeAL::Get().buffers.size();
    EXPECT_TRUE(manager.DeleteSoundResource(manager.GetSoundResource(a), true));
    EXPECT_EQ(FakeAL::Get().buffers.size(), buffers);  // b still uses them
    EXPECT_EQ(manager.GetSoundState(a), -1);
    const int d = manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f);
    EXPECT_EQ(d, a);
    EXPECT_TRUE(manager.DeleteSoundResource(manager.GetSoundResource(b), true));
    EXPECT_TRUE(manager.DeleteSoundResource(manager.GetSoundResource(d), true));
    EXPECT_TRUE(manager.GetSharedData().empty());
    EXPECT_FALSE(manager.DeleteSoundResource(nullptr, true));
    manager.ReleaseResources();
    EXPECT_TRUE(FakeAL::Get().buffers.empty());
    EXPECT_TRUE(manager.GetResources().empty());
}

TEST_F(CampaignSoundManagerTest, CreationRulesForNamesTypesAndTheEffectsVolume) {
    VornaTest::WriteText(m_ini, "[Sound Settings]\nEffectsVolume=0\n");
    VornaTest::WriteText(m_folder / "shot.wav", "RIFF");
    const std::string upper = SoundTest::FromProgramFolder(SoundTest::WriteTone(m_folder / "LOUD.OGG", 1000));
    COALSoundManager& manager = Init();
    EXPECT_FLOAT_EQ(manager.GetMusicVolume(), 1.0f);
    EXPECT_EQ(manager.CreateSound("", SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f), -1);
    EXPECT_EQ(manager.CreateSound(SoundTest::FromProgramFolder(m_folder / "shot.wav").c_str(), SOUND_TYPE_LOOP,
                                  nullptr, nullptr, 1.0f, 10.0f),
              -1);
    EXPECT_EQ(manager.CreateSound(SoundTest::FromProgramFolder(m_folder / "none.ogg").c_str(), SOUND_TYPE_LOOP,
                                  nullptr, nullptr, 1.0f, 10.0f),
              -1);
    // With the effects silenced, one-shot effects are not made at all;
    // looping ones are, at gain 0.
    EXPECT_EQ(manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, nullptr, nullptr, 1.0f, 10.0f), -1);
    const int loop = manager.CreateSound(upper.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    ASSERT_GE(loop, 0);
    EXPECT_FLOAT_EQ(manager.GetSoundGain(loop), 0.0f);
    EXPECT_EQ(manager.GetSoundResource(loop)->m_iLoopMode, 1);
    const int other = manager.CreateSound(upper.c_str(), 9, nullptr, nullptr, 1.0f, 10.0f);
    EXPECT_EQ(manager.GetSoundResource(other)->m_iLoopMode, 0);
    // Gains are clamped; unknown ids answer -1.
    EXPECT_TRUE(manager.SetSoundGain(loop, 1.5f));
    EXPECT_FLOAT_EQ(manager.GetSoundGain(loop), 1.0f);
    EXPECT_TRUE(manager.SetSoundGain(loop, -2.0f));
    EXPECT_FLOAT_EQ(manager.GetSoundGain(loop), 0.0f);
    EXPECT_FLOAT_EQ(manager.GetSoundGain(77), -1.0f);
    EXPECT_EQ(manager.GetSoundState(77), -1);
    EXPECT_FALSE(manager.PlaySound(77));
    manager.SetListenerGain(3.0f);
    EXPECT_FLOAT_EQ(manager.GetListenerGain(), 3.0f);
    EXPECT_FLOAT_EQ(FakeAL::Get().listenerGain, 1.0f);
}

// An owner's command word plays, pauses and stops its sound, and is cleared
// once acted on.
TEST_F(CampaignSoundManagerTest, TheCommandWordIsActedOnAndCleared) {
    COALSoundManager& manager = Init();
    const int id = manager.CreateSound(m_short.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    int command = SOUND_COMMAND_NONE;
    manager.GetSoundResource(id)->m_pCommand = &command;
    const struct {
        int command;
        int state;
    } table[] = {
        {SOUND_COMMAND_PLAY, SOUND_PLAYING},   // requested and started in the same frame
        {SOUND_COMMAND_PAUSE, SOUND_PAUSED},
        {SOUND_COMMAND_PLAY, SOUND_PLAYING},   // resumed
        {SOUND_COMMAND_STOP, SOUND_REQUESTED}, // stopped; a looping sound asks to play again
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.command);
        command = row.command;
        Frame();
        EXPECT_EQ(command, SOUND_COMMAND_NONE);
        EXPECT_EQ(manager.GetSoundState(id), row.state);
    }
}

// A 3D looping sound follows its parent: out of its maximum distance it
// stops and waits, back in range it starts by itself; its position and
// velocity reach OpenAL with z turned over. A one-shot sound out of range is
// dropped.
TEST_F(CampaignSoundManagerTest, ThreeDSoundsFollowTheirParentInAndOutOfRange) {
    COALSoundManager& manager = Init();
    CDX9KelBaseCamera camera;
    camera.m_vEye = D3DXVECTOR3(0, 0, 0);
    camera.m_vLookAt = D3DXVECTOR3(0, 0, 1);
    m_cameras.m_pActiveCamera = &camera;
    D3DXMATRIX parent, local;
    D3DXMatrixTranslation(&parent, 0, 0, 10);
    D3DXMatrixTranslation(&local, 0, 0, 5);  // world z = 15
    const int loop = manager.CreateSound(m_short.c_str(), SOUND_TYPE_LOOP, &parent, &local, 5.0f, 20.0f);
    const int once = manager.CreateSound(m_short.c_str(), SOUND_TYPE_ONCE, &parent, &local, 5.0f, 12.0f);
    manager.PlaySound(loop);
    manager.PlaySound(once);
    Frame();
    EXPECT_EQ(manager.GetSoundState(once), -1);
    ASSERT_EQ(manager.GetSoundState(loop), SOUND_PLAYING);
    FakeAL::Source* s = FakeAL::FindSource(SourceOf(loop));
    EXPECT_EQ(s->vectors[AL_POSITION], (std::array<float, 3>{0.0f, 0.0f, -15.0f}));
    EXPECT_FLOAT_EQ(s->floats[AL_REFERENCE_DISTANCE], 5.0f);
    EXPECT_FLOAT_EQ(s->floats[AL_MAX_DISTANCE], 20.0f);
    EXPECT_EQ(s->ints[AL_SOURCE_RELATIVE], AL_FALSE);

    D3DXMatrixTranslation(&parent, 2, 0, 12);
    Frame();
    EXPECT_EQ(s->vectors[AL_POSITION], (std::array<float, 3>{2.0f, 0.0f, -17.0f}));
    EXPECT_EQ(s->vectors[AL_VELOCITY], (std::array<float, 3>{2.0f, 0.0f, -2.0f}));

    D3DXMatrixTranslation(&parent, 0, 0, 30);  // 35 away
    Frame();
    EXPECT_EQ(manager.GetSoundState(loop), SOUND_STOPPED);
    EXPECT_EQ(manager.GetFreeSourceCount(), 4u);
    Frame();
    Frame();
    EXPECT_EQ(manager.GetSoundState(loop), SOUND_REQUESTED);
    D3DXMatrixTranslation(&parent, 0, 0, 0);
    Frame();
    EXPECT_EQ(manager.GetSoundState(loop), SOUND_PLAYING);
    m_cameras.m_pActiveCamera = nullptr;
}

// The listener stands where the active camera stands, z turned over, and
// faces where it looks.
TEST_F(CampaignSoundManagerTest, TheListenerFollowsTheActiveCamera) {
    COALSoundManager& manager = Init();
    CDX9KelBaseCamera camera;
    camera.m_vEye = D3DXVECTOR3(1, 2, 3);
    camera.m_vLookAt = D3DXVECTOR3(4, 2, 3);
    camera.m_vUp = D3DXVECTOR3(0, 1, 0);
    Frame();  // no active camera: nothing set
    EXPECT_EQ(FakeAL::Get().listenerPosition, (std::array<float, 3>{0, 0, 0}));
    m_cameras.m_pActiveCamera = &camera;
    Frame();
    EXPECT_EQ(FakeAL::Get().listenerPosition, (std::array<float, 3>{1, 2, -3}));
    EXPECT_EQ(FakeAL::Get().listenerOrientation, (std::array<float, 6>{1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(manager.GetListenerPosition()[2], -3.0f);
    m_cameras.m_pActiveCamera = nullptr;
}

TEST_F(CampaignSoundManagerTest, TheMusicListMovesOnWhenATrackHasStopped) {
    COALSoundManager& manager = Init();
    const int first = manager.CreateMusic(m_long.c_str());
    const int second = manager.CreateMusic(m_long.c_str());
    ASSERT_EQ(manager.MusicList().size(), 2u);
    manager.SetCurrentMusic(1);
    manager.GetSoundResource(second)->m_iState = SOUND_STOPPED;
    manager.ProcMusicList();
    EXPECT_EQ(manager.GetCurrentMusic(), 0);
    EXPECT_EQ(manager.GetSoundState(first), SOUND_REQUESTED);
    manager.StopMusic();
    EXPECT_EQ(manager.GetCurrentMusic(), -1);
}

} // namespace
