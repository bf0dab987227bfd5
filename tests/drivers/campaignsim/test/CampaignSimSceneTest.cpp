// Runs "campaignsim scene" on the demo content in a folder of its own (the
// program hard-linked, the demo data linked beside it) at 640 x 480.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <cstdio>
#include <cstdlib>
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
    const unsigned char* At(int x, int y) const { return &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3]; }
};

class CampaignSimSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        std::error_code ec;
        std::filesystem::create_hard_link(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim", ec);
        if (ec) std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim");
        VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nFullScreen=0\nWidth=640\nHeight=480\n");
        VornaTest::LinkDemoData(dir);
    }
    int Run(const std::string& arguments, std::string* out = nullptr) {
        const std::string command = "cd '" + dir.string() + "' && ./campaignsim scene " + arguments + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[4096];
        size_t n;
        std::string text;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
        const int status = pclose(pipe);
        if (out) *out = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    Picture Load(const std::string& name) {
        Picture p;
        int channels = 0;
        unsigned char* data = stbi_load((dir / name).c_str(), &p.w, &p.h, &channels, 3);
        if (data) {
            p.rgb.assign(data, data + size_t(p.w) * size_t(p.h) * 3);
            stbi_image_free(data);
        }
        return p;
    }
    std::string Log() { return VornaTest::ReadText(dir / "VornaLog.log"); }

    std::filesystem::path dir;
};

// Ship paint: light grey planks or the red boot-top.
bool IsPaint(const unsigned char* p) {
    const bool grey = p[0] > 110 && p[1] > 110 && p[2] > 110 && std::abs(p[0] - p[2]) < 40;
    const bool red = p[0] > 110 && p[1] < 90 && p[2] < 90;
    return grey || red;
}

int CountPaint(const Picture& p, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += IsPaint(p.At(x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST_F(CampaignSimSceneTest, ShipsStandWhereTheyArePlacedOnTheTexturedSeaUnderTheStatistics) {
    ASSERT_EQ(Run("--frames 60 --shot shot.png"), 0) << Log();
    const Picture p = Load("shot.png");
    ASSERT_EQ(p.w, 640);
    ASSERT_EQ(p.h, 480);
    // The clear colour above the sea's far edge.
    const unsigned char* sky = p.At(600, 40);
    EXPECT_EQ(sky[0], 0x3C);
    EXPECT_EQ(sky[1], 0x64);
    EXPECT_EQ(sky[2], 0x96);
    // The sea plane's texture: green-blue, and not one flat colour.
    const unsigned char* sea = p.At(100, 420);
    EXPECT_GT(sea[1], sea[0] + 30);
    int lighter = 0;
    for (int x = 0; x < 640; ++x) lighter += p.At(x, 400)[1] > 100 ? 1 : 0;
    EXPECT_GT(lighter, 0);
    EXPECT_LT(lighter, 640);
    // The three near ships where the scene puts them (left, middle turned
    // to the side, right), the far one small on the horizon, and nothing of
    // them on the open water between.
    EXPECT_GT(CountPaint(p, 125, 265, 175, 325), 300);
    EXPECT_GT(CountPaint(p, 265, 305, 375, 345), 800);
    EXPECT_GT(CountPaint(p, 465, 265, 505, 328), 300);
    EXPECT_GT(CountPaint(p, 310, 76, 330, 94), 5);
    EXPECT_EQ(CountPaint(p, 200, 200, 260, 250), 0);
    // The statistics text in yellow at the top left.
    int yellow = 0;
    for (int y = 4; y < 50; ++y)
        for (int x = 4; x < 200; ++x) {
            const unsigned char* c = p.At(x, y);
            yellow += (c[0] > 220 && c[1] > 220 && c[2] < 40) ? 1 : 0;
        }
    EXPECT_GT(yellow, 100);
}

TEST_F(CampaignSimSceneTest, LevelsOfDetailFollowTheDistanceAndPickingNamesTheObject) {
    std::string out;
    ASSERT_EQ(Run("--frames 3 --lods --pick 320,330", &out), 0) << Log();
    // Ships 0 and 2 stand 91 away (between 80 and 160), ship 1 79 away,
    // ship 3 249 away.
    EXPECT_NE(out.find("lod 0 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("lod 1 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("lod 2 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("lod 3 2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("pick 320,330: 1 c2ship_lod0.x\n"), std::string::npos) << out;
    ASSERT_EQ(Run("--frames 3 --pick 230,220", &out), 0);
    EXPECT_NE(out.find("pick 230,220: none\n"), std::string::npos) << out;
    EXPECT_EQ(Run("--pick 12"), 2);
}

TEST_F(CampaignSimSceneTest, ALostDeviceIsRestoredAndTheNextFrameIsTheSamePicture) {
    ASSERT_EQ(Run("--frames 40 --shot plain.png"), 0);
    ASSERT_EQ(Run("--frames 40 --lose-device-at 30 --shot lost.png"), 0);
    const std::string log = Log();
    EXPECT_NE(log.find("CDX9KelScene::OnLost() : OK\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CDX9KelScene::Restore() : OK\n"), std::string::npos) << log;
    const Picture a = Load("plain.png"), b = Load("lost.png");
    ASSERT_EQ(a.rgb.size(), b.rgb.size());
    ASSERT_FALSE(a.rgb.empty());
    // Everything but the statistics (whose frame counts differ) is the same.
    int different = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x) {
            if (x < 240 && y < 100) continue;
            const unsigned char *p = a.At(x, y), *q = b.At(x, y);
            different += (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) ? 1 : 0;
        }
    EXPECT_EQ(different, 0);
}
