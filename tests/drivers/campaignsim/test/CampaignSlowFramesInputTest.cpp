// The campaign's engine at five frames a second ("campaignsim screens" with
// 200 ms frames) on the demo screens, its input given to the window as the X
// server sends it: every line of one frame came within the same 200 ms.
// Quick clicks each take, a word typed at 30 ms a key arrives whole and in
// order, and short Backspace presses each take one character away.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

class CampaignSlowFramesInput : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        std::error_code ec;
        std::filesystem::create_hard_link(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim", ec);
        if (ec) std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim");
        VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=1024\nHeight=768\n");
        VornaTest::LinkDemoData(dir);
    }
    int Run(const std::string& script, std::string* out) {
        VornaTest::WriteText(dir / "script.txt", script);
        const std::string command = "cd '" + dir.string() + "' && ./campaignsim screens --frame-ms 200 --script script.txt 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out->append(buffer, n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

TEST_F(CampaignSlowFramesInput, QuickClicksTypingAndShortKeyPressesAllTake) {
    std::string s;
    // A quick click on the logo, inside one frame, goes on to the menu.
    s += "1 move 300 30\n2 down\n2 up\n6 shot menu\n";
    // Quick clicks on "Options", each inside a frame or across one: the
    // dialog shows, hides, shows.
    s += "8 move 162 115\n10 down\n10 up\n13 shot click1\n";
    s += "15 down\n16 up\n19 shot click2\n";
    s += "21 down\n21 up\n24 shot click3\n";
    // A quick click into the edit box, then "convoy" typed at 30 ms a key:
    // each key's press, its character and its release, the keys from 100 ms
    // into a frame on.
    s += "26 move 200 480\n27 down\n27 up\n";
    const char* word = "convoy";
    const int codes[] = {0x2E, 0x18, 0x31, 0x2F, 0x18, 0x15};
    for (int i = 0; i < 6; ++i) {
        const std::string frame = std::to_string(30 + (100 + 30 * i) / 200);
        s += frame + " key " + std::to_string(codes[i]) + " down\n" + frame + " char " + word[i] + "\n" + frame + " key " +
             std::to_string(codes[i]) + " up\n";
    }
    s += "33 shot typed\n";
    // Backspace held for 20 to 120 ms, a second apart: inside one frame, or
    // across the start of one.
    for (int press = 0; press < 4; ++press) {
        const int at = 35 + 5 * press;
        const bool across = press % 2 == 1;
        s += std::to_string(at) + " key BACK down\n" + std::to_string(at + (across ? 1 : 0)) + " key BACK up\n";
        s += std::to_string(at + 3) + " shot back" + std::to_string(press + 1) + "\n";
    }
    s += "60 end\n";
    std::string out;
    ASSERT_EQ(Run(s, &out), 0) << out;
    EXPECT_TRUE(Has(Block(out, "menu"), "active menu.xml")) << out;
    EXPECT_TRUE(Has(Block(out, "click1"), "dialog Options visible 1")) << Block(out, "click1");
    EXPECT_TRUE(Has(Block(out, "click2"), "dialog Options visible 0")) << Block(out, "click2");
    EXPECT_TRUE(Has(Block(out, "click3"), "dialog Options visible 1")) << Block(out, "click3");
    EXPECT_TRUE(Has(Block(out, "typed"), "focused 1 text \"convoy\"")) << Block(out, "typed");
    EXPECT_TRUE(Has(Block(out, "back1"), "text \"convo\"")) << Block(out, "back1");
    EXPECT_TRUE(Has(Block(out, "back2"), "text \"conv\"")) << Block(out, "back2");
    EXPECT_TRUE(Has(Block(out, "back3"), "text \"con\"")) << Block(out, "back3");
    EXPECT_TRUE(Has(Block(out, "back4"), "text \"co\"")) << Block(out, "back4");
}

} // namespace
