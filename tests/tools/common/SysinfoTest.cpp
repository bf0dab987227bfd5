#include "TestFolder.h"
#include "tools/common/SysinfoLogic.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace VornaTools;
namespace fs = std::filesystem;

TEST(InfoText, LastLineShowsFirst) {
    const fs::path dir = VornaTest::FreshFolder();
    VornaTest::WriteText(dir / "info.txt", "A\r\nB\r\nC");
    EXPECT_EQ(ReadInfoLines((dir / "info.txt").string()), (std::vector<std::string>{"C", "B ", "A "}));
    EXPECT_TRUE(ReadInfoLines((dir / "missing.txt").string()).empty());
    VornaTest::WriteText(dir / "empty.txt", "");
    EXPECT_TRUE(ReadInfoLines((dir / "empty.txt").string()).empty());
}

TEST(InfoText, LongLinesComeInPiecesOfTheReadersLength) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string longLine(300, 'x');
    VornaTest::WriteText(dir / "info.txt", longLine + "\nend\n");
    const auto lines = ReadInfoLines((dir / "info.txt").string());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "end ");
    EXPECT_EQ(lines[1], std::string(41, 'x') + " ");
    EXPECT_EQ(lines[2], std::string(259, 'x'));
}

TEST(EngineLog, FoundOnlyByItsExactStem) {
    struct Case {
        std::vector<const char*> files;
        bool found;
    };
    const Case cases[] = {
        {{"Vorna3Log.log"}, true},
        {{"vorna3log.log"}, false},
        {{"Vorna3Log.old.log"}, true}, // the stem matches; the copy still takes "Vorna3Log.log"
        {{"Vorna3Log.txt", "Other.log", "Vorna3Logs.log"}, false},
        {{"Vorna3Log.LOG"}, true},
        {{}, false},
    };
    for (const Case& c : cases) {
        const fs::path dir = VornaTest::FreshFolder();
        for (const char* f : c.files) VornaTest::WriteText(dir / f, "x");
        std::string name;
        EXPECT_EQ(FindEngineLog(dir.string() + "/", name), c.found) << (c.files.empty() ? "" : c.files[0]);
    }
    std::string name;
    EXPECT_FALSE(FindEngineLog("/nonexistent/folder/", name));
}

TEST(EngineLog, CopyReplacesTheTargetAndReportsFailure) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string folder = dir.string() + "/";
    VornaTest::WriteText(dir / "Vorna3Log.log", "Begin\nline\n");
    VornaTest::WriteText(dir / "out" / "copy.log", "old");
    const std::string target = (dir / "out" / "copy.log").string();
    EXPECT_TRUE(CopyEngineLog(folder, target));
    EXPECT_EQ(VornaTest::ReadText(target), "Begin\nline\n");
    EXPECT_FALSE(CopyEngineLog(folder, (dir / "missing" / "copy.log").string()));

    // Only the other-stem log exists: the search finds it, the copy fails.
    const fs::path other = dir / "other";
    VornaTest::WriteText(other / "Vorna3Log.old.log", "x");
    EXPECT_FALSE(CopyEngineLog(other.string() + "/", (dir / "out" / "two.log").string()));
    EXPECT_FALSE(fs::exists(dir / "out" / "two.log"));

    // A configured folder written with other separators and case than on
    // disk: found and copied alike.
    VornaTest::WriteText(dir / "My Games" / "Vorna3Log.log", "mine\n");
    const std::string configured = dir.string() + "/MY GAMES\\";
    std::string name;
    ASSERT_TRUE(FindEngineLog(configured, name));
    EXPECT_TRUE(CopyEngineLog(configured, (dir / "out" / "three.log").string()));
    EXPECT_EQ(VornaTest::ReadText(dir / "out" / "three.log"), "mine\n");

    EXPECT_EQ(LogCopiedMessage("/t/a.log", true), "The Log file ''/t/a.log'' is successfully copied in specified directory.");
    EXPECT_EQ(LogCopiedMessage("/t/a.log", false), "The Log file ''/t/a.log'' is not copied in specified directory.");
    EXPECT_EQ(LogNotFoundMessage("/d/"), "The Log file is not found in local folder of game ''Wexmoor Brinehold'' : "
                                         "''/d/''. You need run game, after repeat operation.");
}

TEST(DiagnosticProgram, PrintsItsReport) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string out = (dir / "report.txt").string();
    const std::string cmd = std::string("\"") + VORNA_BIN_DIR + "/vornadiag\" --text > \"" + out + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string report = VornaTest::ReadText(out);
    for (const char* line : {"System: ", "Processor: ", "Display modes", "Sound devices: "})
        EXPECT_NE(report.find(line), std::string::npos) << line;
}
