// campaignsim inspect on the demo maps, and on a copy of the demo data with
// faults put in.
#include "TestFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

class InspectCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        std::error_code ec;
        fs::create_hard_link(fs::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim", ec);
        if (ec) fs::copy_file(fs::path(VORNA_BIN_DIR) / "campaignsim", dir / "campaignsim");
    }
    Result Inspect(const std::string& map, const std::string& root) {
        Result r;
        const std::string command =
            "cd '" + dir.string() + "' && ./campaignsim inspect '" + map + "' --root '" + root + "' 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return r;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }
    // A copy of the demo data the maps need, to put faults into.
    fs::path CopyDemo() {
        const fs::path root = dir / "data";
        for (const char* sub : {"Maps", "Data/Artillery", "Data/Parameters", "Data/AnimatedModels", "Models/Units",
                                "Models/Statics", "Effects", "Textures"}) {
            fs::create_directories(root / sub);
            fs::copy(fs::path(VORNA_BIN_DIR) / sub, root / sub, fs::copy_options::recursive);
        }
        return root;
    }
    // Replaces every occurrence.
    static void Replace(const fs::path& file, const std::string& from, const std::string& to) {
        std::string text = VornaTest::ReadText(file);
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        for (; at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
        VornaTest::WriteText(file, text);
    }

    fs::path dir;
};

} // namespace

TEST_F(InspectCommand, BothDemoMapsAreWholeAndConsistent) {
    const struct {
        const char* map;
        const char* title;
    } maps[] = {{"demo_strait.map", "map \"The Strait\" statics 4 units 17 columns 4\n"},
                {"demo_cape.map", "map \"The Cape\" statics 3 units 17 columns 4\n"}};
    for (const auto& m : maps) {
        SCOPED_TRACE(m.map);
        const Result r = Inspect(m.map, VORNA_BIN_DIR);
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_NE(r.out.find("\nproblems 0\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(m.title), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("artillery 4: TurretGun BroadsideGun FortGun QuickFirer\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("unit Aurora side 1 Ship parts 6 towers 2 pipes 1 guns 12 amd towers 2 design 6\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("unit Merlin side 2 Ship parts 6 towers 2 pipes 2 guns 10 amd towers 2 design 6\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find(" side 2 Fort parts 1 towers 1 pipes 0 guns 3 amd towers 1 design 1\n"), std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("column 2 speed 2.000000 ships Dauntless Eider Falcon Gannet\n"), std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("log "), std::string::npos) << r.out;
        // The scenery models load with real triangles.
        EXPECT_NE(r.out.find(" c2rock.x faces 24\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(" c2coast.x faces 12\n"), std::string::npos) << r.out;
    }
}

TEST_F(InspectCommand, FaultsInTheDataAreReported) {
    const fs::path root = CopyDemo();
    // The turret ship's model file loses its aft tower entry; a corvette gun
    // names a frame the model lacks, which drops its tower.
    const fs::path monitor = root / "Data/AnimatedModels/c2monitor.amd";
    std::string text = VornaTest::ReadText(monitor);
    const size_t from = text.find("    <AftTower>"), to = text.find("    </AftTower>\n");
    ASSERT_NE(from, std::string::npos);
    text.erase(from, to + std::string("    </AftTower>\n").size() - from);
    VornaTest::WriteText(monitor, text);
    Replace(root / "Data/AnimatedModels/c2corvette.amd", "<ForeTower_Gun1>", "<ForeTower_Gun9>");
    Replace(root / "Data/AnimatedModels/c2corvette.amd", "</ForeTower_Gun1>", "</ForeTower_Gun9>");
    // The fort's description loses its guns' type.
    Replace(root / "Data/Parameters/fort.xml", "<FortGun>", "<Mortar>");
    Replace(root / "Data/Parameters/fort.xml", "</FortGun>", "</Mortar>");
    fs::remove(root / "Textures/c2water.png");

    const Result r = Inspect("demo_strait.map", root.string());
    EXPECT_EQ(r.exitCode, 1) << r.out;
    for (const char* line : {
             "problem water texture Textures/c2water.png is missing\n",
             "problem c2monitor.amd has 1 towers, ship_a.xml 2\n",
             "problem c2corvette.amd has 1 towers, ship_b.xml 2\n",
             "log Error : CDX9KelAnimatedModel::CreateAnimatedModel : xml node not read : ForeTower in file : ",
             "problem c2fort.amd: towers entry 0 has 3 gun frames for 0 guns\n",
         })
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_EQ(r.out.find("problems 0\n"), std::string::npos) << r.out;
}

TEST_F(InspectCommand, AMapFileThatDoesNotReadIsReported) {
    const fs::path root = CopyDemo();
    std::string map = VornaTest::ReadText(root / "Maps/demo_cape.map");
    map.resize(map.size() / 2);
    VornaTest::WriteText(root / "Maps/cut.map", map);
    const Result r = Inspect("cut.map", root.string());
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("problem the map file "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("log Error : CDX9KelDataIO::ReadGameMap : "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("problems 1\n"), std::string::npos) << r.out;
    EXPECT_EQ(Inspect("", root.string()).exitCode, 2);
}

// A ship placed against the coast runs aground on its first move; a target
// or a purpose of the map's parameters that names no unit never matches.
TEST_F(InspectCommand, AShipAgainstTheCoastAndNamesOfNoUnitAreReported) {
    const fs::path root = CopyDemo();
    fs::create_directories(root / "Data/Maps");
    fs::copy(fs::path(VORNA_BIN_DIR) / "Data/Maps", root / "Data/Maps", fs::copy_options::recursive);
    // The strait with its computer's last monitor back against the coast.
    const fs::path description = dir / "against.xml";
    fs::copy_file(VORNA_SOURCE_DIR "/data/generators/mapbuild/maps/demo_strait.xml", description);
    Replace(description, "position=\"220 0.0 194\"", "position=\"220 0.0 214\"");
    const std::string build = "'" VORNA_BIN_DIR "/../generators/mapbuild' '" + description.string() + "' '" +
                              (root / "Maps/demo_strait.map").string() + "'";
    ASSERT_EQ(std::system(build.c_str()), 0);
    Replace(root / "Data/Maps/demo_strait.WXMPARAM", "<Point_Battery/>\n", "<Point_Batery/>\n");
    Replace(root / "Data/Maps/demo_strait.WXMPARAM", "<Kestrel>", "<Kestral>");
    Replace(root / "Data/Maps/demo_strait.WXMPARAM", "</Kestrel>", "</Kestral>");

    const Result r = Inspect("demo_strait.map", root.string());
    EXPECT_EQ(r.exitCode, 1) << r.out;
    for (const char* line : {
             "problem ship Jackdaw stands on or against the ground of North_Coast\n",
             "problem side 2 target \"Point Batery\" names no unit of the map\n",
             "problem purpose \"Kestral\" names no unit of the map\n",
         })
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_NE(r.out.find("problems 3\n"), std::string::npos) << r.out;
    // The demo's own names all name units: "_" in a description is a blank
    // on the map, as the lists read it.
    const Result demo = Inspect("demo_strait.map", VORNA_BIN_DIR);
    EXPECT_NE(demo.out.find("parameters targets 0 2 purposes 3\n"), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find("\nproblems 0\n"), std::string::npos) << demo.out;
}
