#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/screens/CCIIModuleSoundLine.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "../SoundTestSupport.h"

#include <tinyxml.h>

using namespace Vorna3D;

namespace {

// A backend list naming no backend this library has: no device opens.
const bool g_configured = [] {
    ::setenv("ALSOFT_DRIVERS", "nosuchbackend", 1);
    SoundTest::ConfigureOpenAL("[general]\ndrivers = nosuchbackend\n");
    return true;
}();

// Without a sound device the game runs silent and its log says so once: the
// screens' sound lines and loads that follow add nothing.
TEST(SoundNoDevice, OneLogLineInAll) {
    const std::filesystem::path folder = VornaTest::FreshFolder();
    g_Log.Reset();
    g_Log.Open((folder / "Vorna3Log.log").c_str());
    const std::string ogg =
        std::filesystem::relative(SoundTest::WriteTone(folder / "tone.ogg", 2000), Platform::ProgramFolder());
    const std::string xml = (folder / "tone.xml").string();
    VornaTest::WriteText(xml,
                         "<SoundSource><FilePathAfterExeFolder>" + ogg + "</FilePathAfterExeFolder></SoundSource>");

    CDX9KelCameraManager cameras;
    CVR3SOUNDManager& manager = CVR3SOUNDManager::Get(); // the one the screens use
    EXPECT_FALSE(manager.Init(&cameras));

    // The menu's music line, as a screen file gives it, and direct loads.
    TiXmlDocument doc;
    doc.Parse("<SoundLine LineName=\"MenuMusic\" LineType=\"1\" Action=\"2\" BreakTime=\"1500\">"
              "<Item>menu_music_1.xml</Item><Item>menu_music_2.xml</Item><Item>menu_music_3.xml</Item>"
              "</SoundLine>");
    ASSERT_FALSE(doc.Error());
    CCIIModuleSoundLine module;
    EXPECT_TRUE(module.Init(doc.RootElement(), nullptr));
    EXPECT_FALSE(manager.LoadSoundLineSound("MenuMusic", xml));
    EXPECT_FALSE(manager.LoadSound(xml));
    EXPECT_FALSE(manager.CreateSoundB(ogg, 0));

    EXPECT_EQ(g_Log.GetErrorLines().size(), 1u) << VornaTest::ReadText(folder / "Vorna3Log.log");
    EXPECT_TRUE(g_Log.GetWarningLines().empty());
    EXPECT_NE(VornaTest::ReadText(folder / "Vorna3Log.log")
                  .find("CVR3SOUNDManager::Init : Not Open default OpenAL Device"),
              std::string::npos);
    manager.Release();
    g_Log.Reset();
}

} // namespace
