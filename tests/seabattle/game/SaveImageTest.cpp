// The save files' bytes: the documented offsets, a round trip that gives
// the same bytes again, hostile files (cut short anywhere, counts past the
// end, flipped bits, out-of-range fields) refused with a reason, and a
// writer killed half way that never costs the previous save.
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFolder.h"
#include "platform/os/Paths.h"
#include "seabattle/game/CVR3GAMESaveImage.h"

using namespace SeaBattle;

namespace {

uint32_t WordAt(const std::string& b, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void PutWord(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}
std::string TextAt(const std::string& b, size_t at) { return std::string(b.c_str() + at); }

SVR3SaveShip MakeShip(const std::string& name, int guns, int holes) {
    SVR3SaveShip s;
    const char* files[] = {"hull.scobjxml", "hull.anobjxml", "hull.mvobjxml",
                           "hull.btobjxml", "hull.arobjxml", "hull.inobjxml"};
    for (int i = 0; i < SVR3SaveShip::FILE_COUNT; ++i) s.Files[i] = files[i];
    s.Name = name;
    for (size_t i = 0; i < 16; ++i) s.World[i] = 0.5f * static_cast<float>(i);
    s.Bodies[0] = {1.0f, 0.0f, 2.0f, 10.0f};
    for (size_t i = 0; i < 16; ++i) s.Movement[i] = static_cast<float>(i) + 0.25f;
    s.Gunpowder = -1;
    for (size_t i = 0; i < 15; ++i) s.Damage[i] = static_cast<float>(i) * 1.5f;
    s.GunCounts = {1, 2, 3, 4, 5, 6, 7};
    for (int p = 0; p < 2; ++p) {
        SVR3SavePart part;
        part.Area = 12.0f;
        part.Active = 1;
        part.Reloading = static_cast<uint8_t>(p);
        for (int g = 0; g < guns; ++g) part.Guns.push_back({20 - g, 4.5f, static_cast<uint32_t>(g * 100), 3.0f, 1, 1});
        for (int h = 0; h < holes; ++h) part.Holes.push_back({0.5f, 148.5f, 1.0f});
        s.Parts.push_back(part);
    }
    return s;
}

SVR3SaveBattle MakeBattle() {
    SVR3SaveBattle b;
    b.Environment = "dusk.envxml";
    b.TimeMs = 90000;
    b.TimeLimitStage = 2;
    b.Human.Values = {1, 0, 1};
    b.Human.Ships = {MakeShip("Aurora", 2, 1), MakeShip("Borealis", 1, 0)};
    b.Human.LossesByLevel = {0, 1, 0, 0, 0, 0};
    b.Human.Withdrawn = {{1, 4200, 350.0f}};
    SVR3SaveColumn c;
    c.Ships = {"Aurora", "Borealis"};
    c.Values = {0x40400000u, 0, 0xbf800000u, 0xbf800000u, 0x41f00000u};
    b.Human.Columns = {c, SVR3SaveColumn{}};
    b.Human.Records = {{0, 0, 512.0f, 0}, {1, 0, 0.0f, 0}};
    b.Computer.Ships = {MakeShip("Raider", 1, 2)};
    SVR3SaveColumn rc;
    rc.Ships = {"Raider"};
    b.Computer.Columns = {rc};
    b.Computer.Records = {{0, 0, 300.0f, 4}};
    b.Computer.WithdrawnRecords = {{0, 5, 1.0f, 1}}; // a column number past the list
    b.Computer.BehaviourKind = 1;
    b.Computer.HasRole = {true, false, false};
    b.Computer.HasEnemy = {true, true, false};
    b.Computer.Enemies[0] = {0, 0, 512.0f, 0};
    return b;
}

SVR3ScenarioSave MakeScenario(uint32_t phase) {
    SVR3ScenarioSave s;
    s.Time = "Tue Nov 14 22:13:20 2023";
    s.ScenarioFile = "demo_scenario.scnrxml";
    s.ScenarioName = "The demo war";
    s.HumanName = "Blue";
    s.ComputerName = "Red";
    s.Step = 1;
    s.Phase = phase;
    s.FleetScheme = 0xFFFFFFFFu;
    s.HumanLosses = 3;
    s.ComputerLosses = 7;
    s.HarbourEnvironment = phase == 0 ? "noon.envxml" : "";
    s.Money = 12000;
    s.Bought = {2, 0, 1};
    s.HumanShips = {MakeShip("Reserve one", 1, 0)};
    s.ComputerShips = {};
    if (phase == 1) s.Battle = MakeBattle();
    return s;
}

std::string Bytes(uint32_t phase) { return WriteScenarioSave(MakeScenario(phase)); }

} // namespace

TEST(SaveImage, ScenarioHeaderSitsAtItsDocumentedOffsets) {
    SVR3ScenarioSave s = MakeScenario(0);
    s.ScenarioName = std::string(150, 'n'); // cut to 99
    const std::string b = WriteScenarioSave(s);
    EXPECT_EQ(TextAt(b, 0), s.Time);
    EXPECT_EQ(TextAt(b, 30), "demo_scenario.scnrxml");
    EXPECT_EQ(TextAt(b, 130), std::string(99, 'n'));
    EXPECT_EQ(b[229], '\0');
    EXPECT_EQ(TextAt(b, 230), "Blue");
    EXPECT_EQ(TextAt(b, 330), "Red");
    EXPECT_EQ(WordAt(b, 430), 1u);
    EXPECT_EQ(WordAt(b, 434), 0u);
    EXPECT_EQ(WordAt(b, 438), 0xFFFFFFFFu);
    EXPECT_EQ(WordAt(b, 442), 3u);
    EXPECT_EQ(WordAt(b, 446), 7u);
    EXPECT_EQ(TextAt(b, 450), "noon.envxml"); // harbour environment, phase 0 only
    EXPECT_EQ(WordAt(b, 550), 12000u);      // the human's money
    EXPECT_EQ(WordAt(b, 554), 3u);          // ship types
    // The trailer: magic, version, check word of everything before it.
    EXPECT_EQ(b.substr(b.size() - 12, 4), "SBSV");
    EXPECT_EQ(WordAt(b, b.size() - 4), SaveCrc32(b.data(), b.size() - 12));

    // In a battle the harbour block has no environment text.
    const std::string battle = Bytes(1);
    EXPECT_EQ(WordAt(battle, 434), 1u);
    EXPECT_EQ(WordAt(battle, 450), 12000u);

    SVR3DuelSave d;
    d.DuelFile = "strait.duelxml";
    d.DuelName = "Strait";
    d.ArtilleryList = "normal.artlistxml";
    d.Battle = MakeBattle();
    const std::string db = WriteDuelSave(d);
    EXPECT_EQ(TextAt(db, 30), "strait.duelxml");
    EXPECT_EQ(TextAt(db, 130), "Strait");
    EXPECT_EQ(TextAt(db, 430), "normal.artlistxml");
    EXPECT_EQ(TextAt(db, 530), "dusk.envxml");
}

TEST(SaveImage, ReadingAndWritingAgainGivesTheSameBytes) {
    for (uint32_t phase : {0u, 1u}) {
        const SVR3ScenarioSave original = MakeScenario(phase);
        const std::string bytes = WriteScenarioSave(original);
        SVR3ScenarioSave read;
        std::string error;
        ASSERT_TRUE(ReadScenarioSave(bytes, read, error)) << error;
        EXPECT_EQ(read, original);
        EXPECT_EQ(WriteScenarioSave(read), bytes);
    }
    SVR3DuelSave duel;
    duel.DuelFile = "strait.duelxml";
    duel.Battle = MakeBattle();
    const std::string bytes = WriteDuelSave(duel);
    SVR3DuelSave read;
    std::string error;
    ASSERT_TRUE(ReadDuelSave(bytes, read, error)) << error;
    EXPECT_EQ(read, duel);
    EXPECT_EQ(WriteDuelSave(read), bytes);
    // A file made to the documented layout alone, without the trailer, reads.
    const std::string full = Bytes(1);
    SVR3ScenarioSave bare;
    ASSERT_TRUE(ReadScenarioSave(full.substr(0, full.size() - 12), bare, error)) << error;
    EXPECT_EQ(bare, MakeScenario(1));
}

TEST(SaveImage, HostileFilesAreRefusedWithAReason) {
    const std::string good = Bytes(1);
    const std::string body = good.substr(0, good.size() - 12);
    SVR3ScenarioSave out;
    std::string error;

    // Cut short at every byte, with and without the trailer's check.
    for (size_t cut = 0; cut < body.size(); ++cut) {
        ASSERT_FALSE(ReadScenarioSave(body.substr(0, cut), out, error)) << "cut at " << cut;
        ASSERT_FALSE(error.empty());
        ASSERT_FALSE(ReadScenarioSave(good.substr(0, cut), out, error)) << "cut at " << cut;
    }

    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const size_t shipCount = 450 + 4 + 4 + 3 * 4; // money, type count, three bought counts
    const Case cases[] = {
        {"phase 2", 434, 2},
        {"ship types past the end", 454, 0x7FFFFFFF},
        {"ships past the end", shipCount, 0xFFFFFFFF},
        {"ships above the limit", shipCount, SVR3SaveLimits::kShips + 1},
        {"ships one more than present", shipCount, 2},
    };
    for (const Case& c : cases) {
        std::string bad = body;
        PutWord(bad, c.at, c.value);
        EXPECT_FALSE(ReadScenarioSave(bad, out, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    // A text field without its terminating zero.
    std::string unterminated = body;
    std::memset(unterminated.data() + 130, 'x', 100);
    EXPECT_FALSE(ReadScenarioSave(unterminated, out, error));
    // Bytes past the last field.
    EXPECT_FALSE(ReadScenarioSave(body + std::string(5, '\0'), out, error));
    EXPECT_NE(error.find("past the last field"), std::string::npos) << error;

    // Any flipped bit of a file with its trailer is found.
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        std::string flipped = good;
        const size_t bit = random() % (flipped.size() * 8);
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        EXPECT_FALSE(ReadScenarioSave(flipped, out, error)) << "bit " << bit;
    }
}

TEST(SaveImage, AWriterKilledHalfWayLeavesThePreviousSaveWhole) {
    const std::filesystem::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "slot.v3savebin").string();
    const std::string first = Bytes(0);
    ASSERT_TRUE(Platform::WriteFileAtomic(path, first));
    // A large save, so a kill lands inside its write.
    SVR3ScenarioSave big = MakeScenario(1);
    for (int i = 0; i < 200; ++i) big.HumanShips.push_back(MakeShip("Filler " + std::to_string(i), 60, 200));
    const std::string second = WriteScenarioSave(big);
    std::mt19937 random(11);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) Platform::WriteFileAtomic(path, (round % 2) ? second : first);
        }
        ::usleep(200 + random() % 3000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::string bytes;
        ASSERT_TRUE(Platform::ReadFile(path, bytes));
        SVR3ScenarioSave read;
        std::string error;
        EXPECT_TRUE(ReadScenarioSave(bytes, read, error)) << "round " << round << ": " << error;
    }
    // The temporary files a kill leaves behind never look like saves.
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().filename() != "slot.v3savebin") {
            EXPECT_NE(e.path().extension(), ".v3savebin");
        }
    }
}
