// campaignsim map: the demo maps load as the game loads them, print the same
// report on every run, and draw ships on the sea.
#include "TestFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

Result Map(const std::string& arguments) {
    Result r;
    const std::string command = "cd '" VORNA_BIN_DIR "' && SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null ./campaignsim map " +
                                arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool Has(const Result& r, const std::string& line) { return r.out.find(line) != std::string::npos; }

} // namespace

TEST(MapCommand, BothDemoMapsLoadFromEitherSide) {
    const Result strait = Map("demo_strait.map");
    ASSERT_EQ(strait.exitCode, 0) << strait.out;
    EXPECT_TRUE(Has(strait, "map demo_strait.map title \"The Strait\" player side 1\n"));
    EXPECT_TRUE(Has(strait, "parameters rounds 12 turn 1/12 texture \"Textures/strait_map.png\" tasks yes\n"));
    EXPECT_TRUE(Has(strait, "targets side 2: \"Dauntless\" \"Point Battery\"\n"));
    EXPECT_TRUE(Has(strait, "unit side 1 #7 \"Point Battery\" fort at -250.0 -250.0 column - animated yes lods 3\n"));
    EXPECT_TRUE(Has(strait, "column 1.0 speed 1.600 reduced 1.200 limits speed 1.600 turn 0.006 acceleration 0.020 "
                            "ships: \"Aurora\" \"Boreas\" \"Cygnet\"\n"))
        << strait.out;
    EXPECT_TRUE(Has(strait, "icons 7:"));
    EXPECT_TRUE(Has(strait, "turn text \"1/12\"\n"));
    EXPECT_TRUE(Has(strait, "global map picture yes\n"));
    EXPECT_TRUE(Has(strait, "planes green yes red 30 grey 10 route marker yes"));
    EXPECT_EQ(Map("demo_strait.map").out, strait.out);

    const Result cape = Map("demo_cape.map --side 2");
    ASSERT_EQ(cape.exitCode, 0) << cape.out;
    EXPECT_TRUE(Has(cape, "player side 2\n"));
    EXPECT_TRUE(Has(cape, "water yes\n"));

    EXPECT_EQ(Map("nothere.map").exitCode, 1);
    EXPECT_EQ(Map("demo_strait.map --side 3").exitCode, 2);
}

TEST(MapCommand, UnitsLostOnAnEarlierMapAreNotBuilt) {
    const Result r = Map("demo_strait.map --lost-player Aurora --lost-ai Harrier --lost-ai \"Mine 1\"");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_FALSE(Has(r, "\"Aurora\" ship"));
    EXPECT_FALSE(Has(r, "\"Harrier\" ship"));
    EXPECT_TRUE(Has(r, "\"Mine 1\" mine"));
    EXPECT_TRUE(Has(r, "ships: \"Boreas\" \"Cygnet\"\n"));
    EXPECT_TRUE(Has(r, "icons 6:"));
}

TEST(MapCommand, PictureShowsShipsOnTheSea) {
    const std::string shot = (VornaTest::FreshFolder() / "map.png").string();
    const Result r = Map("demo_strait.map --frames 30 --shot " + shot);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(shot.c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    // The sea: lit blue-green. The ships: dark hulls, much darker than the
    // sea around them. The picture's border rows and columns are sea or
    // land, never the black of an undrawn frame.
    int sea = 0, ship = 0, blackBorder = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* c = px + (static_cast<size_t>(y) * w + x) * 3;
            const int sum = c[0] + c[1] + c[2];
            if (sum > 120 && c[2] > c[0] + 35 && c[1] > c[0]) ++sea;
            else if (sum < 100) ++ship;
            if ((x == 0 || y == 0 || x == w - 1 || y == h - 1) && sum < 12) ++blackBorder;
        }
    stbi_image_free(px);
    const int all = w * h;
    EXPECT_GT(sea, all * 6 / 10);
    EXPECT_GT(ship, 3000);
    EXPECT_LT(ship, all / 5);
    EXPECT_EQ(blackBorder, 0);
}

TEST(MapCommand, APlannedRouteShowsItsMarkersOnTheSea) {
    const std::string shot = (VornaTest::FreshFolder() / "route.png").string();
    const Result r = Map("demo_strait.map --route -160,-100 --frames 5 --shot " + shot);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(Has(r, "route to -160.0,-100.0 result 4 ")) << r.out;
    EXPECT_FALSE(Has(r, "route markers 0\n"));
    EXPECT_TRUE(Has(Map("demo_strait.map --route -150,-40"), "result 2 detours 0 taken by scenery"));
    EXPECT_EQ(Map("demo_strait.map --route north").exitCode, 2);
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(shot.c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    // The markers' yellow: red and green above blue, which the sea, the
    // ships and the land never are.
    int yellow = 0;
    for (int i = 0; i < w * h; ++i)
        if (px[i * 3] > px[i * 3 + 2] + 10 && px[i * 3 + 1] > px[i * 3 + 2] + 10) ++yellow;
    stbi_image_free(px);
    EXPECT_GT(yellow, 200);
}
