#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "../SoundTestSupport.h"

#include <chrono>
#include <cstring>
#include <thread>

using namespace Vorna3D;

namespace {

std::filesystem::path WaveFile() {
    return std::filesystem::path(VORNA_TEST_TMP) / ("sound-wave-" + std::to_string(::getpid()) + ".wav");
}

// OpenAL Soft's wave backend writes everything mixed into a stereo 16-bit
// file, so the test can look at what was really played.
const bool g_configured = [] {
    ::setenv("ALSOFT_DRIVERS", "wave", 1);
    SoundTest::ConfigureOpenAL("[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                               "frequency = 22050\n[wave]\nfile = " +
                               WaveFile().string() + "\n");
    return true;
}();

using Levels = SoundFiles::WaveLevels;

// A demo sound played through the real sound thread, placed to the right of
// a camera that looks along +x, is heard, and heard on the right.
TEST(SoundWaveTest, ADemoSoundPlayedOnTheSoundThreadReachesTheOutputOnTheRight) {
    const std::filesystem::path folder = VornaTest::FreshFolder();
    g_Log.Reset();
    g_Log.Open((folder / "Vorna3Log.log").c_str());
    std::filesystem::remove(WaveFile());
    // The sound-source files name their Ogg files relative to the program's
    // folder; the demo's sound folder is made visible beside this program.
    const std::filesystem::path link = std::filesystem::path(Platform::ProgramFolder()) / "Sound";
    if (!std::filesystem::exists(link)) {
        std::error_code error;
        std::filesystem::create_directory_symlink(std::filesystem::path(VORNA_BIN_DIR) / "Sound", link, error);
    }
    CDX9KelCameraManager cameras;
    CVR3SOUNDManager manager;
    ASSERT_TRUE(manager.Init(&cameras,
                             (folder / "engine.ini").c_str()));
    // Looking along +x with y up, the right-hand side is -z.
    manager.SetListener(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
    SoundHandle gun = manager.LoadSound(std::string(VORNA_BIN_DIR) + "/Sound/Sources/gun_3d.xml");
    ASSERT_TRUE(gun) << VornaTest::ReadText(folder / "Vorna3Log.log");
    D3DXMATRIX place;
    // Inside its reference distance (10), so it plays at full gain.
    D3DXMatrixTranslation(&place, 0, 0, -8);
    gun.SetTransform(&place);
    manager.RegisterPendingSources();

    DWORD id = 0;
    HANDLE thread = manager.CreateSoundThread(&id);
    ASSERT_NE(thread, nullptr);
    ResumeThread(thread);
    gun.Play();
    // A one-shot sound: its handle dies once it has played to its end. The
    // bound only guards against a hang.
    for (int i = 0; i < 1000 && gun.IsAlive(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(gun.IsAlive());
    manager.StopSoundThread(thread);
    manager.Release();  // closing the device completes the file

    const Levels levels = SoundFiles::MeasureWave(VornaTest::ReadText(WaveFile()));
    EXPECT_GT(levels.frames, 22050u);  // at least the sound's length
    EXPECT_GT(levels.right, 100.0);
    EXPECT_GT(levels.right, 2.0 * levels.left);
    EXPECT_TRUE(g_Log.GetErrorLines().empty()) << VornaTest::ReadText(folder / "Vorna3Log.log");
    g_Log.Reset();
}

} // namespace
