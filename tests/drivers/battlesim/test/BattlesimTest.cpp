// The battlesim driver run as a program: a script walks the main menu to
// Options and back with a picture on each screen, the same arguments give
// the same output, and wrong command lines, scripts and data end with the
// exit codes the driver promises.
#include "TestFolder.h"
#include "common/DemoData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct DriverRun {
    int exitCode = -1;
    std::string out; // stdout
    std::string err; // stderr
};

// Runs a battlesim program with the arguments (already quoted as needed).
DriverRun Battlesim(const std::string& args, const fs::path& program = fs::path(VORNA_BIN_DIR) / "battlesim") {
    const fs::path err = fs::path(VORNA_TEST_TMP) / ("battlesim-stderr-" + std::to_string(::getpid()));
    const std::string command = "'" + program.string() + "' " + args + " 2>'" + err.string() + "'";
    DriverRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = VornaTest::ReadText(err);
    fs::remove(err);
    return run;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// The part of the output from the dump on.
std::string Dump(const std::string& out) {
    const size_t at = out.find("[clock]\n");
    return at == std::string::npos ? std::string() : out.substr(at);
}

TEST(BattlesimTest, AScriptWalksTheMainMenuToOptionsAndBackWithTheSameDumpEveryRun) {
    const fs::path dir = VornaTest::FreshFolder();
    // Options is pressed at once; Back waits out the screens' switch gate.
    VornaTest::WriteText(dir / "walk.txt", "# main menu -> options -> main menu\n"
                                           "5 press main_menu Options\n"
                                           "60 press OptionsDialog OptionsBack\n");
    const std::string common = "frames --frames 100 --seed 7 --script " + Quoted(dir / "walk.txt") + " --dump";
    const DriverRun options = Battlesim(common + " --out " + Quoted(dir / "a") + " --shot " + Quoted(dir / "options.png") +
                                  " --at 40");
    ASSERT_EQ(options.exitCode, 0) << options.err << options.out;
    const std::string dump = Dump(options.out);
    EXPECT_NE(dump.find("[clock]\nframes 100\ngame_ms 1600\n[screens]\ncurrent main_menu\n"
                        "shown main_menu/MainMenuDialog\nhash "),
              std::string::npos)
        << options.out;

    // The same run again, into another folder: the same output.
    const DriverRun again = Battlesim(common + " --out " + Quoted(dir / "a") + " --shot " + Quoted(dir / "options.png") +
                                " --at 40");
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, options.out);

    // Drawing a frame changes nothing in the game: a picture later (back on
    // the main menu) and none at all give the same dump.
    const DriverRun menu = Battlesim(common + " --out " + Quoted(dir / "b") + " --shot " + Quoted(dir / "menu.png") +
                               " --at 90");
    EXPECT_EQ(menu.exitCode, 0) << menu.err;
    EXPECT_EQ(Dump(menu.out), dump);
    const DriverRun plain = Battlesim(common + " --out " + Quoted(dir / "c"));
    EXPECT_EQ(Dump(plain.out), dump);

    // Stopped in the middle, the dump shows the options screen.
    const DriverRun half = Battlesim("frames --frames 40 --script " + Quoted(dir / "walk.txt") + " --dump --out " +
                               Quoted(dir / "d"));
    EXPECT_NE(half.out.find("[screens]\ncurrent options\nshown options/OptionsDialog\nhash "), std::string::npos)
        << half.out;

    // One picture per screen, and they differ.
    ASSERT_TRUE(fs::exists(dir / "options.png"));
    ASSERT_TRUE(fs::exists(dir / "menu.png"));
    EXPECT_GT(fs::file_size(dir / "options.png"), 1000u);
    EXPECT_NE(VornaTest::ReadText(dir / "options.png"), VornaTest::ReadText(dir / "menu.png"));
    std::printf("Pictures of the walk: %s/options.png, %s/menu.png\n", dir.c_str(), dir.c_str());
}

TEST(BattlesimTest, EachFrameMakesOneStepOfGameTimeAndTheLogGoesToOut) {
    const fs::path dir = VornaTest::FreshFolder();
    const DriverRun run = Battlesim("frames --frames 10 --step-ms 40 --dump --out " + Quoted(dir));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("frames 10\ngame_ms 400\n"), std::string::npos) << run.out;
    // The log of the run is in --out.
    EXPECT_NE(VornaTest::ReadText(dir / "Vorna3Log.log").find("CScene::Init() : End"), std::string::npos);
}

TEST(BattlesimTest, WrongCommandLinesAndScriptsEndWithExitCodeTwoAndAReason) {
    const fs::path dir = VornaTest::FreshFolder();
    VornaTest::WriteText(dir / "bad.txt", "1 fly away\n");
    VornaTest::WriteText(dir / "nobutton.txt", "3 press main_menu Sail\n");
    const std::string out = " --out " + Quoted(dir / "out");
    const struct {
        std::string args;
        const char* reason;
    } cases[] = {
        {"", "usage:"},
        {"sail", "unknown subcommand \"sail\""},
        {"frames" + out, "--frames N is needed"},
        {"frames --frames ten" + out, "--frames takes a whole number"},
        {"frames --frames 5 --step-ms 0" + out, "--step-ms takes a whole number from 1"},
        {"frames --frames 5 --at 3" + out, "--shot FILE and --at K go together"},
        {"frames --frames 5 --shot x.png --at 6" + out, "--at takes a whole number from 1 to 5"},
        {"frames --frames 5 --frames 6" + out, "--frames is given twice"},
        {"frames --frames 5 --fast" + out, "unknown option \"--fast\""},
        {"frames --frames 5 --script", "--script needs a value"},
        {"frames --frames 5 --script " + Quoted(dir / "bad.txt") + out, "line 1: unknown action \"fly\""},
        {"frames --frames 5 --script " + Quoted(dir / "nobutton.txt") + out,
         "script line 1, frame 3: no button \"Sail\" shown in \"main_menu\""},
    };
    for (const auto& c : cases) {
        const DriverRun run = Battlesim(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.args << "\n" << run.err;
    }
}

TEST(BattlesimTest, ErrorsInTheLogArePrintedAndEndTheRunWithExitCodeOne) {
    // A copy of the driver beside the demo data, one of whose listed screen
    // files is missing.
    const fs::path dir = VornaTest::FreshFolder();
    const fs::path program = dir / "program";
    fs::create_directories(program);
    fs::copy_file(fs::path(VORNA_BIN_DIR) / "battlesim", program / "battlesim");
    VornaTest::LinkDemoData(program);
    fs::remove(program / "Screens");
    fs::copy(fs::path(VORNA_BIN_DIR) / "Screens", program / "Screens", fs::copy_options::recursive);
    fs::remove(program / "Screens" / "controls.scrxml");

    const DriverRun run = Battlesim("frames --frames 3 --out " + Quoted(dir / "out"), program / "battlesim");
    EXPECT_EQ(run.exitCode, 1) << run.err << run.out;
    EXPECT_NE(run.out.find("| ERROR   | "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("controls.scrxml"), std::string::npos) << run.out;
}

} // namespace
