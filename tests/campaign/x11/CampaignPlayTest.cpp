// The campaign program in a real X window, played through the X server's
// test extension as a user plays it: the logo, the menu, the scenario's
// loading picture and the first map; and a save made by the driver loaded
// from the menu's load dialog. A picture of the window is kept at every step
// in the test's folder, and each step is checked by the colour of its
// dialogs at their places.
#include "campaign/x11/CampaignWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using VornaTest::FramesMs;
using VornaTest::Rgb;

namespace {

// Places of the demo screens in a 1024 x 768 window (percent of the screen
// files): the menu's Campaign dialog with its Start button, the loading
// dialog's Start button, the sky of the first map's loading picture, and
// the map screen's turn panel.
constexpr int kMenuStartX = 927, kMenuStartY = 557;
constexpr int kLoadingStartX = 512, kLoadingStartY = 689;
constexpr int kLoadingSkyX = 100, kLoadingSkyY = 40;
constexpr int kMenuLoadX = 927, kMenuLoadY = 620;
constexpr int kFirstSaveX = 300, kFirstSaveY = 196;
constexpr int kLoadButtonX = 709, kLoadButtonY = 595;
// The map screen's turn panel at the top right, over the sea.
constexpr int kTurnPanelX = 740, kTurnPanelY = 42;

class CampaignPlayTest : public VornaTest::CampaignWindowTest {};

TEST_F(CampaignPlayTest, FromTheLogoToTheFirstMap) {
    ASSERT_TRUE(StartCampaign()) << Log();

    // The logo fills the window with its sky; a click goes on to the menu.
    ASSERT_TRUE(FromTheLogoToTheMenu("1_logo", "2_menu")) << Log();

    // Start: the scenario screen with the strait's loading picture, whose
    // sky is orange at the top.
    ASSERT_TRUE(ClickUntil(kMenuStartX, kMenuStartY, [&] {
        const Rgb sky = Pixel(kLoadingSkyX, kLoadingSkyY);
        return sky.r > 120 && sky.r > sky.b + 30;
    })) << Log();
    Picture("3_loading");

    // Its Start button loads the first map: the map screen's turn panel
    // stands at the top right and the loading picture is gone.
    ASSERT_TRUE(ClickUntil(kLoadingStartX, kLoadingStartY,
                           [&] { return LogHas("CDX9KelGameMap::LoadMap() : demo_strait.map"); }))
        << Log();
    ASSERT_TRUE(WaitForLog("CDX9KelGameMap::LoadMap() : OK", FramesMs(240))) << Log();
    ASSERT_TRUE(WaitFor([&] {
        const Rgb sky = Pixel(kLoadingSkyX, kLoadingSkyY);
        return !(sky.r > 120 && sky.r > sky.b + 30);
    })) << Log();
    const bool screen = WaitFor([&] { return PanelAt(kTurnPanelX, kTurnPanelY); });
    WaitFrames(1);
    Picture("4_map1");
    EXPECT_TRUE(screen) << "the map screen's turn panel is not at its place";
    EXPECT_TRUE(LogHas("CDX9KelGameMap::LoadMap() : demo_strait.map"));
    // The map's system save was written for a restart of the mission.
    EXPECT_TRUE(fs::exists(SaveFolder() / "System" / "last_map.wxsave"));
    EXPECT_EQ(Terminate(), 0);
}

TEST_F(CampaignPlayTest, ASavedCampaignLoadsFromTheLoadDialog) {
    // A save made on the first map by the driver, in the same documents
    // folder the program uses.
    const std::string make = "cd '" + m_program.string() + "' && XDG_DATA_HOME='" + m_documents.string() +
                             "' SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null '" +
                             (fs::path(VORNA_BIN_DIR) / "campaignsim").string() +
                             "' campaign demo_campaign.xml --max-frames 40 --save-at 1:Evening >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()) >> 8, 1);
    ASSERT_TRUE(fs::exists(SaveFolder() / "Evening.wxsave"));
    ASSERT_TRUE(StartCampaign()) << Log();
    ASSERT_TRUE(FromTheLogoToTheMenu()) << Log();

    // "Load game": the dialog lists the save and shows its header.
    const bool shown = ClickUntil(kMenuLoadX, kMenuLoadY, [&] {
        return PanelAt(400, 500) && Pixel(100, 600).Near(Clear(), 4);
    });
    if (!shown) Picture("5_load_dialog_not_shown");
    ASSERT_TRUE(shown) << Log();
    WaitFrames(1);
    Picture("5_load_dialog");
    Click(kFirstSaveX, kFirstSaveY);
    // The load button shares the screens' half-second switch gate: it is
    // held until the loading begins.
    ASSERT_TRUE(ClickUntil(kLoadButtonX, kLoadButtonY, [&] {
        const Rgb sky = Pixel(kLoadingSkyX, kLoadingSkyY);
        return (sky.r > 120 && sky.r > sky.b + 30) || LogHas("CDX9KelGameMap::LoadFromSave()");
    })) << Log();
    ASSERT_TRUE(WaitForLog("CDX9KelGameMap::LoadFromSave() : OK", FramesMs(240))) << Log();
    // The map screen over the loaded map: its turn panel at the top right.
    const bool map = WaitFor([&] { return PanelAt(kTurnPanelX, kTurnPanelY); });
    WaitFrames(1);
    Picture("6_loaded_map");
    ASSERT_TRUE(map) << Log();
    EXPECT_TRUE(LogHas("CDX9KelGameMap::LoadFromSave() : demo_strait.map"));
    EXPECT_EQ(Terminate(), 0);
}

} // namespace
