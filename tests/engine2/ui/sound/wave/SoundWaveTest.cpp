#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "platform/os/Clock.h"
#include "../SoundTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

using namespace Vorna2;

namespace {

std::filesystem::path WaveFile() {
    return std::filesystem::path(VORNA_TEST_TMP) / ("campaign-sound-" + std::to_string(::getpid()) + ".wav");
}

// OpenAL Soft's wave backend writes everything it mixes into a 16-bit
// stereo file, so the test hears what was really played. The configuration
// is in place before the library is first used.
const bool g_configured = [] {
    const std::filesystem::path dir(VORNA_TEST_TMP);
    std::filesystem::create_directories(dir);
    const std::filesystem::path conf = dir / ("campaign-alsoft-" + std::to_string(::getpid()) + ".conf");
    if (FILE* f = std::fopen(conf.c_str(), "wb")) {
        const std::string text = "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                                 "frequency = 22050\n[wave]\nfile = " +
                                 WaveFile().string() + "\n";
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
    ::setenv("ALSOFT_CONF", conf.c_str(), 1);
    ::setenv("ALSOFT_DRIVERS", "wave", 1);
    return true;
}();

using Levels = SoundFiles::WaveLevels;

class CampaignSoundWaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_configured);
        Platform::SetClock(&m_clock);
        m_folder = VornaTest::FreshFolder();
        m_log = SoundTest::OpenLog(m_folder);
        m_ini = m_folder / "engine.ini";
        VornaTest::WriteText(m_ini, "[Sound Settings]\nMusicVolume=100\nEffectsVolume=100\n");
        std::filesystem::remove(WaveFile());
        // Looking along +x with y up: the camera's right-hand side is -z.
        m_camera.m_vEye = D3DXVECTOR3(0, 0, 0);
        m_camera.m_vLookAt = D3DXVECTOR3(1, 0, 0);
        m_camera.m_vUp = D3DXVECTOR3(0, 1, 0);
        m_cameras.m_pActiveCamera = &m_camera;
        ASSERT_TRUE(m_manager.Init(&m_cameras, m_ini.c_str())) << VornaTest::ReadText(m_log);
    }
    void TearDown() override {
        m_cameras.m_pActiveCamera = nullptr;
        Platform::SetClock(nullptr);
        g_Log.Reset();
    }

    // The scene's per-frame sound steps, in real time: the wave backend
    // mixes as the clock goes.
    void RunFrames(int count, DWORD extraFirstMs = 0) {
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(10 + (i == 0 ? extraFirstMs : 0));
            m_manager.UpdateListener();
            m_manager.ProcMusicList();
            m_manager.Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    // The scene's shutdown; closing the device completes the wave file.
    Levels Shutdown() {
        m_manager.StopMusic();
        m_manager.ReleaseResources();
        m_manager.ReleaseSources();
        m_manager.CloseDevice();
        return SoundFiles::MeasureWave(VornaTest::ReadText(WaveFile()));
    }
    std::string Demo(const char* name) const {
        return SoundTest::FromProgramFolder(std::filesystem::path(VORNA_BIN_DIR) / "Sounds" / name);
    }

    Platform::ManualClock m_clock;
    CDX9KelBaseCamera m_camera;
    CDX9KelBaseCameraManager m_cameras;
    COALSoundManager m_manager;
    std::filesystem::path m_folder, m_log, m_ini;
};

// The demo shot placed on the camera's right is heard, and heard on the right.
TEST_F(CampaignSoundWaveTest, ADemoEffectOnTheRightIsHeardOnTheRight) {
    D3DXMATRIX place;
    // Inside its reference distance, so it plays at full gain.
    D3DXMatrixTranslation(&place, 0, 0, -8);
    const int shot = m_manager.CreateSound(Demo("Shot.ogg").c_str(), SOUND_TYPE_ONCE, nullptr, &place, 10.0f, 100.0f);
    ASSERT_GE(shot, 0) << VornaTest::ReadText(m_log);
    m_manager.PlaySound(shot);
    // A one-shot sound is deleted once it has played to its end; the bound
    // only guards against a hang.
    for (int i = 0; i < 400 && m_manager.GetSoundState(shot) != -1; ++i) RunFrames(1);
    EXPECT_EQ(m_manager.GetSoundState(shot), -1);
    const Levels levels = Shutdown();
    EXPECT_GT(levels.frames, 22050u * 9 / 10);  // about the sound's length, at least
    EXPECT_GT(levels.right, 100.0);
    EXPECT_GT(levels.right, 2.0 * levels.left);
    // The wave backend's device is the software device asked for: no error.
    EXPECT_EQ(g_Log.GetErrorCount(), 0) << VornaTest::ReadText(m_log);
}

// The demo music, streamed through two buffers refilled as it plays, is
// heard on both sides after its start delay.
TEST_F(CampaignSoundWaveTest, TheStreamedDemoMusicIsHeard) {
    const int music = m_manager.CreateMusic(Demo("MainMenu.ogg").c_str());
    ASSERT_GE(music, 0) << VornaTest::ReadText(m_log);
    m_manager.PlaySound(music);
    // The start delay passes on the second frame; then 1.5 s of play, longer
    // than the two buffers hold.
    RunFrames(1);
    EXPECT_EQ(m_manager.GetSoundState(music), SOUND_REQUESTED);
    RunFrames(150, COALSoundResource::kMusicStartDelay);
    EXPECT_EQ(m_manager.GetSoundState(music), SOUND_PLAYING);
    const Levels levels = Shutdown();
    EXPECT_GT(levels.frames, 22050u);
    EXPECT_GT(levels.left, 100.0);
    EXPECT_GT(levels.right, 100.0);
    EXPECT_EQ(g_Log.GetErrorCount(), 0) << VornaTest::ReadText(m_log);
}

} // namespace
