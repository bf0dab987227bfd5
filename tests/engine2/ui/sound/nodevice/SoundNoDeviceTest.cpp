#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "../SoundTestSupport.h"

#include <cstdlib>

using namespace Vorna2;

namespace {

// OpenAL Soft offered only an output backend that does not exist: no device
// can be opened, neither by name nor the default one.
const bool g_configured = [] {
    ::setenv("ALSOFT_DRIVERS", "no-such-backend", 1);
    ::setenv("ALSOFT_CONF", "/dev/null", 1);
    return true;
}();

// Without a sound device the campaign runs silent: one line in the log, no
// sound made, and the per-frame and shutdown steps are harmless.
TEST(CampaignSoundNoDeviceTest, OneLineThenSilence) {
    ASSERT_TRUE(g_configured);
    const std::filesystem::path folder = VornaTest::FreshFolder();
    const std::filesystem::path log = SoundTest::OpenLog(folder);
    CDX9KelBaseCameraManager cameras;
    COALSoundManager manager;
    EXPECT_FALSE(manager.Init(&cameras, (folder / "engine.ini").c_str()));
    const std::string shot =
        SoundTest::FromProgramFolder(std::filesystem::path(VORNA_BIN_DIR) / "Sounds" / "Shot.ogg");
    const int id = manager.CreateSound(shot.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
    EXPECT_EQ(id, -1);
    EXPECT_FALSE(manager.PlaySound(id));
    for (int i = 0; i < 3; ++i) {
        manager.UpdateListener();
        manager.ProcMusicList();
        manager.Update();
    }
    manager.StopMusic();
    manager.ReleaseResources();
    manager.ReleaseSources();
    manager.CloseDevice();
    const std::string text = VornaTest::ReadText(log);
    EXPECT_EQ(g_Log.GetErrorCount(), 1) << text;
    EXPECT_EQ(SoundTest::CountLines(text, "Error : COALSoundManager::Init : Not Open default OpenAL Device\n"), 1);
    g_Log.Reset();
}

} // namespace
