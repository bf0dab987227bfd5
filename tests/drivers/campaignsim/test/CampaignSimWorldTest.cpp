// campaignsim world: the demo ships float on the active water under the sky
// wall with funnel smoke; contacts of the three kinds are found once each.
#include "TestFolder.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <stb/stb_image.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ShipState {
    double x = 0, y = 0, z = 0, pitch = 0, roll = 0, water = 0;
};

struct WorldRun {
    int exitCode = -1;
    std::string out;
    std::vector<std::string> contacts;
    std::vector<ShipState> ships;
};

class CampaignSimWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        std::error_code ec;
        std::filesystem::create_hard_link(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim", ec);
        if (ec) std::filesystem::copy_file(std::filesystem::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim");
        // The demo content is read from beside the program.
        for (const char* sub : {"Textures", "Effects", "Models", "Particles"})
            std::filesystem::create_directory_symlink(std::filesystem::path(VORNA_BIN_DIR) / sub, dir / sub, ec);
    }
    WorldRun Run(const std::string& arguments) {
        WorldRun r;
        const std::string command = "cd '" + dir.string() + "' && ./campaignsim world " + arguments + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return r;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::istringstream lines(r.out);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.find(" contact kind ") != std::string::npos) r.contacts.push_back(line.substr(line.find("contact")));
            ShipState s;
            int index = 0;
            if (std::sscanf(line.c_str(), "ship %d x %lf y %lf z %lf pitch %lf roll %lf water %lf", &index, &s.x, &s.y,
                            &s.z, &s.pitch, &s.roll, &s.water) == 7)
                r.ships.push_back(s);
        }
        return r;
    }
    std::string Log() { return VornaTest::ReadText(dir / "VornaLog.log"); }

    std::filesystem::path dir;
};

// The log's error lines (the null sound backend's device is the software
// device the campaign asks for, so it adds none).
size_t ErrorLines(const std::string& log) {
    size_t errors = 0;
    for (size_t at = log.find("Error : "); at != std::string::npos; at = log.find("Error : ", at + 1)) ++errors;
    return errors;
}

} // namespace

TEST_F(CampaignSimWorldTest, ShipsRideTheWavesAndTouchOnceByKind) {
    const WorldRun r = Run("--frames 400");
    ASSERT_EQ(r.exitCode, 0) << r.out << Log();
    EXPECT_EQ(r.contacts, (std::vector<std::string>{"contact kind 1: buoy ship2", "contact kind 2: island ship3",
                                                    "contact kind 3: ship1 ship0"}))
        << r.out;
    ASSERT_EQ(r.ships.size(), 4u);
    const WorldRun earlier = Run("--frames 300");
    ASSERT_EQ(earlier.ships.size(), 4u);
    int pitchChanged = 0, rollChanged = 0;
    for (size_t i = 0; i < 4; ++i) {
        // On the water, not under it: the waterline follows the sea.
        EXPECT_NEAR(r.ships[i].y, r.ships[i].water, 0.6) << "ship " << i << "\n" << r.out;
        if (std::fabs(r.ships[i].pitch - earlier.ships[i].pitch) > 1e-3) ++pitchChanged;
        if (std::fabs(r.ships[i].roll - earlier.ships[i].roll) > 1e-3) ++rollChanged;
    }
    EXPECT_GE(pitchChanged, 2) << earlier.out << r.out;
    EXPECT_GE(rollChanged, 2) << earlier.out << r.out;
    const std::string log = Log();
    EXPECT_NE(log.find("CDX9KelScene::InitPhysicalManager(): OK"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelScene::InitParticleSysManager(): OK"), std::string::npos);
    EXPECT_EQ(ErrorLines(log), 0u) << log;
}

TEST_F(CampaignSimWorldTest, SameSeedSameWorld) {
    const WorldRun a = Run("--frames 120 --seed 5");
    const WorldRun b = Run("--frames 120 --seed 5");
    const WorldRun c = Run("--frames 120 --seed 6");
    ASSERT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, c.out);
}

TEST_F(CampaignSimWorldTest, PictureShowsSeaSkyAndSmokeInBothWaterModesAcrossADeviceLoss) {
    for (const std::string mode : {"", "--texture-mode"}) {
        const std::string shot = (dir / ("world" + mode + ".png")).string();
        const WorldRun r = Run("--frames 60 --lose-device-at 30 --no-motion " + mode + " --shot " + shot);
        ASSERT_EQ(r.exitCode, 0) << mode << r.out << Log();
        const std::string log = Log();
        EXPECT_NE(log.find("CDX9KelActiveWater::OnLost()"), std::string::npos) << mode;
        EXPECT_NE(log.find("CDX9KelActiveWater::Restore()"), std::string::npos) << mode;
        EXPECT_EQ(ErrorLines(log), 0u) << log;
        int w = 0, h = 0, n = 0;
        unsigned char* px = stbi_load(shot.c_str(), &w, &h, &n, 3);
        ASSERT_NE(px, nullptr) << mode;
        auto at = [&](int x, int y) {
            const unsigned char* p = px + (size_t(y) * size_t(w) + size_t(x)) * 3;
            return std::vector<int>{p[0], p[1], p[2]};
        };
        // The sky wall above the horizon: light blue, not the clear colour.
        const std::vector<int> sky = at(w / 2, 20);
        EXPECT_GT(sky[2], 180) << mode;
        EXPECT_GT(sky[2], sky[0]) << mode;
        // The sea below: blue-green, darker than the sky.
        const std::vector<int> sea = at(w / 4, h * 3 / 4);
        EXPECT_GT(sea[2], sea[0]) << mode;
        EXPECT_LT(sea[0] + sea[1] + sea[2], sky[0] + sky[1] + sky[2]) << mode;
        // Funnel smoke: dark neutral grey, which neither sea, sky, island nor
        // the ships' paint has.
        int grey = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::vector<int> c = at(x, y);
                if (std::abs(c[0] - c[1]) < 12 && std::abs(c[1] - c[2]) < 16 && c[0] < 110 && c[0] > 30) ++grey;
            }
        EXPECT_GT(grey, 200) << mode;
        stbi_image_free(px);
    }
}
