// Runs "campaignsim screens" with the menu walk script on the demo screens
// in a folder of its own (the program hard-linked, the demo data linked
// beside it) at 1024 x 768, and checks the state and pixels of each step.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    unsigned At(int x, int y) const {
        const unsigned char* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
    }
};

class CampaignSimScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        std::error_code ec;
        std::filesystem::create_hard_link(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim", ec);
        if (ec) std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim");
        VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\n");
        VornaTest::LinkDemoData(dir);
        std::filesystem::create_directories(dir / "shots");
    }
    int Run(const std::string& arguments, std::string* out) {
        const std::string command = "cd '" + dir.string() + "' && ./campaignsim screens " + arguments + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out->append(buffer, n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    Picture Load(const std::string& name) {
        Picture p;
        int channels = 0;
        unsigned char* data = stbi_load((dir / "shots" / (name + ".png")).c_str(), &p.w, &p.h, &channels, 3);
        if (data) {
            p.rgb.assign(data, data + size_t(p.w) * size_t(p.h) * 3);
            stbi_image_free(data);
        }
        return p;
    }
    // The report's block of one shot.
    static std::string Block(const std::string& out, const std::string& shot) {
        const size_t at = out.find("[" + shot + "]");
        if (at == std::string::npos) return {};
        const size_t end = out.find("\n[", at + 1);
        return out.substr(at, end == std::string::npos ? std::string::npos : end - at);
    }
    std::filesystem::path dir;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CampaignSimScreensTest, MenuWalk) {
    std::string out;
    const std::string script = std::string(VORNA_SOURCE_DIR) + "/tests/drivers/campaignsim/scripts/menu_walk.txt";
    ASSERT_EQ(Run("--script '" + script + "' --out shots", &out), 0) << out;
    // The start sequence: two images of 5000 ms each on the virtual clock;
    // five screens (logo, menu, load, the scenario screen and the map
    // screen; the logo listed twice is loaded once).
    EXPECT_TRUE(Has(out, "start wait 5000\nstart wait 5000\nscreens 5\n")) << out;
    EXPECT_TRUE(Has(Block(out, "logo"), "active logo.xml"));
    EXPECT_TRUE(Has(Block(out, "menu"), "active menu.xml"));
    EXPECT_TRUE(Has(Block(out, "hint"), "button 4 state 1 hint 1"));
    EXPECT_TRUE(Has(Block(out, "toggle"), "dialog Options visible 1 rect 512 499 819 652"));
    EXPECT_TRUE(Has(Block(out, "drag"), "dialog Options visible 1 rect 612 559 919 712"));
    EXPECT_TRUE(Has(Block(out, "check"), "dialog Information visible 1"));
    EXPECT_TRUE(Has(Block(out, "list"), "list 11 selected 7 scroll 3 text \"Saved campaign 8\""));
    EXPECT_TRUE(Has(Block(out, "edit"), "edit 43 focused 1 text \"AB\""));
    EXPECT_TRUE(Has(Block(out, "zoom"), "image 1 popped 1"));
    EXPECT_TRUE(Has(Block(out, "unzoom"), "image 1 popped 0"));
    EXPECT_TRUE(Has(out, "quit 1")) << out;

    // The pictures: the logo's sky, the menu's black gap between dialogs,
    // the hint beside the cursor, the options dialog at its new place and
    // the zoomed picture over the whole window (its 64-pixel checks).
    const Picture start = Load("start_0"), menu = Load("menu"), hint = Load("hint"), drag = Load("drag"),
                  zoom = Load("zoom");
    ASSERT_EQ(start.w, 1024);
    ASSERT_EQ(zoom.h, 768);
    EXPECT_EQ(start.At(4, 4) & 0xFF, 170u);
    EXPECT_EQ(menu.At(500, 600), 0u);
    EXPECT_NE(hint.At(300, 135), menu.At(300, 135));
    EXPECT_EQ(menu.At(800, 700), 0u);
    EXPECT_NE(drag.At(800, 700), 0u);
    EXPECT_EQ(zoom.At(10, 10), 0xC8AA5Au);
    EXPECT_EQ(zoom.At(70, 10), 0x3C5A8Cu);
    EXPECT_EQ(zoom.At(1000, 760), zoom.At(10, 10));
}

TEST_F(CampaignSimScreensTest, BadScriptAndMissingScreens) {
    std::string out;
    VornaTest::WriteText(dir / "bad.txt", "0 jump\n");
    EXPECT_EQ(Run("--script bad.txt", &out), 2);
    VornaTest::WriteText(dir / "ok.txt", "2 end\n");
    EXPECT_EQ(Run("--script ok.txt --folder Nowhere/", &out), 1);
}

} // namespace
