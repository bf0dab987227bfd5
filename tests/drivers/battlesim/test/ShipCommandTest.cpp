// battlesim ship: the two demo ship types are built whole from their six
// files, headless, with every part on a frame of its model, and drawn on the
// demo sea; a ship file that cannot be built ends with exit code 1.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct ShipRun {
    int exitCode = -1;
    std::string out;
};

// Runs the command with its log and settings in `dir`/out.
ShipRun Ship(const std::string& args, const fs::path& folder) {
    const fs::path dir = folder / "out";
    fs::create_directories(dir);
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' ship " + args +
                                " --out '" + dir.string() + "/' 2>/dev/null";
    ShipRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool Has(const std::string& out, const std::string& line) { return out.find(line) != std::string::npos; }

} // namespace

TEST(ShipCommandTest, DemoTypesAreBuiltWholeAndDrawn) {
    const fs::path dir = VornaTest::FreshFolder();
    const fs::path picture = dir / "ships.png";
    const ShipRun run = Ship("ram_ship.xml cruiser_ship.xml --frames 5 --shot '" + picture.string() + "'", dir);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    for (const char* line :
         {"ship \"Demo Ram\"", "ship \"Demo Cruiser\"", " body 1",
          "platforms 9 propellers 2 rudders 1 hulls 1 flags 1 smokes 1 wakes 1 bow_waves 1 effects 19",
          " frames found 20 missing 0", " frames found 28 missing 0", "parts 9 guns 4 ", "parts 9 guns 8 ",
          "artillery ram.artobjxml parts 9 gun_nodes 8 bombard_sectors 2 damage_sectors 9",
          "artillery cruiser.artobjxml parts 9 gun_nodes 16 bombard_sectors 4 damage_sectors 9",
          "part 6 Turret1 frame 1 guns 2 [ MainGun MainGun ] sub_parts [ Gun1L{Barrel1L} Gun1R{Barrel1R} ]",
          "part 1 PortBattery frame 1 guns 3 [ QuickGun QuickGun QuickGun ]", "\"Ram ship\" level 0",
          "\"Broadside cruiser\" level 1"})
        EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
    EXPECT_TRUE(fs::exists(picture));
    EXPECT_GT(fs::file_size(picture), 10000u);
}

TEST(ShipCommandTest, AShipThatCannotBeBuiltFails) {
    const fs::path dir = VornaTest::FreshFolder();
    VornaTest::WriteText(dir / "broken.xml",
                         "<Ship name=\"B\"><SceneObjectFile>ram.scobjxml</SceneObjectFile>"
                         "<MovementObjectFile>ram.movobjxml</MovementObjectFile>"
                         "<AnimatedObjectFile>ram.anmobjxml</AnimatedObjectFile>"
                         "<BattleObjectFile>none.btlobjxml</BattleObjectFile>"
                         "<ArtilleryObjectFile>ram.artobjxml</ArtilleryObjectFile>"
                         "<InfoObjectFile>ram.infobjxml</InfoObjectFile></Ship>");
    const ShipRun run = Ship("'" + (dir / "broken.xml").string() + "'", dir);
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_TRUE(Has(run.out, "not built")) << run.out;
    EXPECT_EQ(Ship("", dir).exitCode, 2);
}
