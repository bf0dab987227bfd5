#pragma once
// The campaign program in its own folder, started in a real X window and
// played through the X server's test extension: the folder holds a copy of
// the program, the demo data as links, a 1024 x 768 window and the screens
// without the start sequence (ten seconds of pictures); the saves go to the
// test's own documents folder. Places come from the screen files, steps are
// seen in the program's log "VornaLog.log" and in the window's pixels.
#include "TestFolder.h"
#include "common/DemoData.h"
#include "common/ScreenPlaces.h"
#include "common/X11Program.h"

#include <filesystem>
#include <string>

namespace VornaTest {

class CampaignWindowTest : public X11ProgramTest {
protected:
    static constexpr int kWidth = 1024, kHeight = 768;

    void SetUp() override {
        X11ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        namespace fs = std::filesystem;
        m_program = m_dir / "program";
        m_documents = m_dir / "documents";
        fs::create_directories(m_program);
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "campaign", m_program / "campaign");
        WriteText(m_program / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\n"
                                            "[Campaign Settings]\nScreenFolder=PlayScreens\\\n");
        LinkDemoData(m_program);
        fs::create_directories(ScreenFolder());
        for (const auto& e : fs::directory_iterator(fs::path(VORNA_BIN_DIR) / "Campaign" / "Screens"))
            if (e.path().filename() != "start.xml") fs::create_symlink(e.path(), ScreenFolder() / e.path().filename());
        m_log = m_program / "VornaLog.log";
    }

    std::filesystem::path ScreenFolder() const { return m_program / "PlayScreens"; }
    ScreenPlaces Screen(const std::string& file) const { return ScreenPlaces(ScreenFolder() / file, kWidth, kHeight); }
    std::filesystem::path SaveFolder() const { return m_documents / "Wexmoor Tarnfield" / "Saves"; }

    // Starts the program and waits for its window; false when it does not
    // come.
    bool StartCampaign() {
        Launch(m_program, "campaign", {{"XDG_DATA_HOME", m_documents.string()}});
        return WaitForWindow([&] { return LogHas("Start Main Loop"); }, kWidth, kHeight);
    }

    std::string Log() const { return ReadText(m_log); }
    std::size_t LogSize() const { return Log().size(); }
    // Whether the log holds the text at or after the byte `from`.
    bool LogHas(const std::string& text, std::size_t from = 0) const {
        return Log().find(text, from) != std::string::npos;
    }
    bool WaitForLog(const std::string& text, int ms, std::size_t from = 0) const {
        return WaitFor([&] { return LogHas(text, from); }, ms);
    }
    // How often the text stands in the log.
    int LogCount(const std::string& text) const {
        const std::string log = Log();
        int n = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) ++n;
        return n;
    }

    // The demo's dialog panel and the scene's clear colour between dialogs.
    static Rgb Panel() { return {30, 45, 70}; }
    static Rgb Clear() { return {0x3C, 0x64, 0x96}; }
    bool PanelAt(int x, int y) const { return Pixel(x, y).Near(Panel(), 30); }
    // Whether a dialog stands in the box: the panel's lit bevel runs down
    // its left edge (a few pixels wide however the panel is stretched).
    bool Bevelled(const ScreenBox& box) const {
        if (!box.Valid()) return false;
        const int height = box.Height() / 2;
        const int n = CountPixels(box.left + 5, box.top + box.Height() / 4, 3, height,
                                  [](const Rgb& c) { return c.Near({78, 96, 123}, 14); });
        return n >= 3 * height * 8 / 10;
    }
    // The share of the box's pixels that show the dialog panel's flat
    // colours: its face or its lit bevel (the sea's shading hardly ever
    // matches them).
    double PanelShare(const ScreenBox& box) const {
        if (!box.Valid()) return 0.0;
        const int n = CountPixels(box.left, box.top, box.Width(), box.Height(), [](const Rgb& c) {
            return c.Near({33, 51, 78}, 6) || c.Near({78, 96, 123}, 6);
        });
        return n < 0 ? 0.0 : static_cast<double>(n) / (static_cast<double>(box.Width()) * box.Height());
    }

    // The logo fills the window with its sky; a click on it goes on to the
    // menu, where the Campaign dialog's panel stands beside the gap between
    // the dialogs. The pictures are kept when `first` names them.
    bool FromTheLogoToTheMenu(const std::string& logoPicture = {}, const std::string& menuPicture = {}) {
        if (!WaitFor([&] { return Pixel(4, 4).b > 120; })) return false;
        if (!logoPicture.empty()) Picture(logoPicture);
        const ScreenBox campaign = Screen("menu.xml").Dialog("Campaign");
        const bool menu = ClickUntil(300, 300, [&] {
            return Pixel(500, 600).Near(Clear(), 4) && !Pixel(campaign.X(), campaign.top + 4).Near(Clear(), 4);
        });
        if (!menuPicture.empty() || !menu) Picture(menu ? menuPicture : "menu_not_shown");
        return menu;
    }

    std::filesystem::path m_program, m_documents, m_log;
};

} // namespace VornaTest
