// The seabattle program in a real X window, clicked through the X server's
// test extension (not the program's own injection): a quick click on the
// main menu's "Options" switches the screen. The options screen's panel is
// wider than the main menu's, so a point left of the menu's panel turns from
// the background's colour to the panel's. A click on "Start" shows the
// loading screen and then the harbour of the demo scenario; a picture of
// each is kept in the test's folder ("start_loading.png", "start_harbour.png").
#include "TestFolder.h"
#include "common/DemoData.h"
#include "common/X11Program.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// Places on the main menu as its screen file lays them out, from the middle
// of the window: the Options button, and a point left of the menu's panel
// (320 wide) that the options panel (512 wide) covers.
constexpr int kOptionsDx = 0, kOptionsDy = -50;
constexpr int kProbeDx = -220, kProbeDy = 50;
// The Start button; a point of the menu's panel above the loading screen's
// panel (300 x 80 in the middle); a point of the loading panel's dark top
// strip; a point of the same strip of the harbour's menu panel (at the
// window's top left, 8 from each side).
constexpr int kStartDx = 0, kStartDy = -94;
constexpr int kAboveLoadingDx = 0, kAboveLoadingDy = -150;
constexpr int kLoadingStripDy = -37;
constexpr int kHarbourStripX = 200, kHarbourStripY = 11;

using VornaTest::FramesMs;
using VornaTest::Rgb;

class RealClickTest : public VornaTest::X11ProgramTest {
protected:
    void SetUp() override {
        X11ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const fs::path program = m_dir / "program";
        fs::create_directories(program);
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "seabattle", program / "seabattle");
        VornaTest::LinkDemoData(program);
        m_log = program / "Vorna3Log.log";
        Launch(program, "seabattle", {});
    }

    // Waits until the program runs, finds its window and waits until the
    // main menu is drawn and stands still.
    void WaitForTheMenu() {
        ASSERT_TRUE(WaitForWindow([&] { return Log().find("Start Main Loop") != std::string::npos; }, kWidth,
                                  kHeight))
            << Log();
        Rgb background;
        const bool still = WaitFor([&] {
            const Rgb before = background;
            background = At(kProbeDx, kProbeDy);
            WaitFrames(1);
            return background.Valid() && background.Sum() > 0 && background.Near(before, 0);
        });
        ASSERT_TRUE(still) << "nothing drawn, or the menu does not stand still";
    }
    std::string Log() const { return VornaTest::ReadText(m_log); }
    // The colour at a place given from the middle of the window.
    Rgb At(int dx, int dy) const { return Pixel(kWidth / 2 + dx, kHeight / 2 + dy); }
    // The pointer comes to rest at a place given from the middle of the
    // window; the button goes down and up at once.
    void QuickClick(int dx, int dy) { Click(kWidth / 2 + dx, kHeight / 2 + dy); }
    std::string Hex(const Rgb& c) const {
        char text[16];
        std::snprintf(text, sizeof text, "%02x%02x%02x", c.r & 0xFF, c.g & 0xFF, c.b & 0xFF);
        return text;
    }

    static constexpr int kWidth = 1024, kHeight = 768;
    fs::path m_log;
};

TEST_F(RealClickTest, AQuickClickOnOptionsSwitchesTheScreen) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    const Rgb background = At(kProbeDx, kProbeDy);
    QuickClick(kOptionsDx, kOptionsDy);
    Rgb now = background;
    EXPECT_TRUE(WaitFor([&] { return !(now = At(kProbeDx, kProbeDy)).Near(background); }))
        << "the probe stayed " << Hex(now);
    EXPECT_EQ(Terminate(), 0);
}

TEST_F(RealClickTest, StartShowsTheLoadingScreenThenTheHarbour) {
    ASSERT_NO_FATAL_FAILURE(WaitForTheMenu());
    // The menu's panel above the middle, the background at the top.
    const Rgb panel = At(kAboveLoadingDx, kAboveLoadingDy);
    const Rgb top = At(0, 30 - kHeight / 2);
    ASSERT_FALSE(panel.Near(top)) << Hex(panel);
    QuickClick(kStartDx, kStartDy);
    // The loading screen: the menu's panel is gone above the loading panel,
    // which shows the background there, and the loading panel's strip is up
    // (a frame between the two screens may show neither panel).
    Rgb strip = top;
    const bool loading = WaitFor(
        [&] {
            strip = At(0, kLoadingStripDy);
            return At(kAboveLoadingDx, kAboveLoadingDy).Near(top) && !strip.Near(top);
        },
        FramesMs(40), 10);
    ASSERT_TRUE(loading) << Hex(strip) << "\n" << Log();
    EXPECT_FALSE(Picture("start_loading").empty());
    // The harbour: its panels over the sea of the harbour map, the menu
    // panel's dark strip at the top left.
    const bool harbour = WaitFor([&] { return Pixel(kHarbourStripX, kHarbourStripY).Near(strip); }, FramesMs(240));
    if (!harbour) Picture("start_no_harbour");
    ASSERT_TRUE(harbour) << Log();
    WaitFrames(1);
    EXPECT_FALSE(Picture("start_harbour").empty());
    const std::string log = Log();
    EXPECT_NE(log.find("CVR3GAMEManager::BeginScenarioFromFile() : demo_scenario.scnrxml"), std::string::npos) << log;
    EXPECT_NE(log.find("CVR3GAMEManager::BeginScenarioFromFile() : OK"), std::string::npos) << log;
    // The harbour's set-up went through without a failure of its own.
    EXPECT_EQ(log.find("CVR3GAMEManager::ProcState( BEGIN_SCENARIO )"), std::string::npos) << log;
    EXPECT_EQ(Terminate(), 0);
}

} // namespace
