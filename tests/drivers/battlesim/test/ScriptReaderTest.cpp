// The driver's script reader: every action form, and lines it must refuse
// with their line number.
#include "drivers/battlesim/KeyNames.h"
#include "drivers/battlesim/ScriptReader.h"

#include "TestFolder.h"
#include "platform/window/DirectInputCodes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace BattleSim;
using Kind = ScriptAction::Kind;

namespace {

TEST(ScriptReaderTest, ReadsEveryActionInFrameOrderKeepingTheOrderWrittenWithinAFrame) {
    const std::string text = "# a comment\r\n"
                             "\n"
                             "30 press main_menu Options\r\n"
                             "  12\tclick 100 200\n"
                             "12 click 5 6 right\n"
                             "40 key down F4\n"
                             "41 key up dik_return\n"
                             "42 key down 0x3F\n"
                             "43 key down DIK_1\n"
                             "50 type Hello,  world\n";
    Script s;
    std::string error;
    ASSERT_TRUE(ScriptReader::Parse(text, s, error)) << error;
    ASSERT_EQ(s.actions.size(), 8u);
    const ScriptAction* a = s.actions.data();
    EXPECT_EQ(a[0].kind, Kind::Click);
    EXPECT_EQ(a[0].frame, 12);
    EXPECT_EQ(a[0].x, 100);
    EXPECT_EQ(a[0].y, 200);
    EXPECT_EQ(a[0].button, 0);
    EXPECT_EQ(a[0].line, 4);
    EXPECT_EQ(a[1].button, 1);
    EXPECT_EQ(a[1].line, 5);
    EXPECT_EQ(a[2].kind, Kind::Press);
    EXPECT_EQ(a[2].owner, "main_menu");
    EXPECT_EQ(a[2].control, "Options");
    EXPECT_EQ(a[3].kind, Kind::KeyDown);
    EXPECT_EQ(a[3].key, DIK_F4);
    EXPECT_EQ(a[4].kind, Kind::KeyUp);
    EXPECT_EQ(a[4].key, DIK_RETURN);
    EXPECT_EQ(a[5].key, DIK_F5);
    EXPECT_EQ(a[6].key, DIK_1);
    EXPECT_EQ(a[7].kind, Kind::Type);
    EXPECT_EQ(a[7].text, "Hello,  world");
}

TEST(ScriptReaderTest, RefusesWhatIsNotAnActionNamingTheLineAndKeepsTheScriptAsItWas) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 click 1 1", "line 1: the frame \"0\""},
        {"-5 click 1 1", "line 1: the frame"},
        {"100000001 click 1 1", "line 1: the frame"},
        {"99999999999999999999999 click 1 1", "line 1: the frame"},
        {"x click 1 1", "line 1: the frame \"x\""},
        {"1", "line 1: unknown action \"\""},
        {"1 jump", "line 1: unknown action \"jump\""},
        {"\n1 click 1", "line 2: click takes"},
        {"1 click 1 2 3 4", "line 1: click takes"},
        {"1 click -1 2", "line 1: click takes"},
        {"1 click 1 70000", "line 1: click takes"},
        {"1 click 1 2 thumb", "line 1: unknown mouse button \"thumb\""},
        {"1 key down", "line 1: key takes"},
        {"1 key press F4", "line 1: key takes"},
        {"1 key down NOSUCHKEY", "line 1: unknown key \"NOSUCHKEY\""},
        {"1 key down 0", "line 1: unknown key \"0\""},
        {"1 key down 256", "line 1: unknown key \"256\""},
        {"1 press main_menu", "line 1: press takes"},
        {"1 press a b c", "line 1: press takes"},
        {"1 type", "line 1: type takes"},
        {"1 type ", "line 1: type takes"},
    };
    for (const auto& c : cases) {
        Script s;
        s.actions.resize(1);
        std::string error;
        EXPECT_FALSE(ScriptReader::Parse(c.text, s, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " -> " << error;
        EXPECT_EQ(s.actions.size(), 1u) << c.text;
    }
    // Limits: a long line, a long text, a zero byte.
    Script s;
    std::string error;
    EXPECT_FALSE(ScriptReader::Parse("1 type " + std::string(ScriptReader::kMaxLineBytes, 'a'), s, error));
    EXPECT_NE(error.find("longer than"), std::string::npos) << error;
    EXPECT_FALSE(ScriptReader::Parse("1 type " + std::string(ScriptReader::kMaxTextBytes + 1, 'a'), s, error));
    EXPECT_FALSE(ScriptReader::Parse(std::string("1 type a\0b", 10), s, error));
    EXPECT_NE(error.find("zero byte"), std::string::npos) << error;
}

TEST(ScriptReaderTest, ReadsFilesUpToTheSizeLimitAndSaysWhyOneCannotBeRead) {
    const std::filesystem::path dir = VornaTest::FreshFolder();
    Script s;
    std::string error;
    EXPECT_FALSE(ScriptReader::ReadFile((dir / "missing.txt").string(), s, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    EXPECT_FALSE(ScriptReader::ReadFile(dir.string(), s, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;

    VornaTest::WriteText(dir / "big.txt", std::string(ScriptReader::kMaxFileBytes + 1, '\n'));
    EXPECT_FALSE(ScriptReader::ReadFile((dir / "big.txt").string(), s, error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;

    VornaTest::WriteText(dir / "bad.txt", "1 click 1 1\n2 fly\n");
    EXPECT_FALSE(ScriptReader::ReadFile((dir / "bad.txt").string(), s, error));
    EXPECT_EQ(error, (dir / "bad.txt").string() + ": line 2: unknown action \"fly\"");

    VornaTest::WriteText(dir / "good.txt", "3 key down ESCAPE\n");
    ASSERT_TRUE(ScriptReader::ReadFile((dir / "good.txt").string(), s, error)) << error;
    ASSERT_EQ(s.actions.size(), 1u);
    EXPECT_EQ(s.actions[0].key, DIK_ESCAPE);
}

TEST(ScriptReaderTest, KeyNamesAndCodes) {
    const struct {
        const char* text;
        int code;
    } cases[] = {
        {"ESCAPE", DIK_ESCAPE}, {"escape", DIK_ESCAPE}, {"DIK_ESCAPE", DIK_ESCAPE}, {"F12", DIK_F12},
        {"PGDN", DIK_NEXT},     {"DIK_0", DIK_0},       {"1", 1},                   {"0xff", 255},
        {"255", 255},           {"0", -1},              {"256", -1},                {"0x", -1},
        {"DIK_", -1},           {"", -1},               {"F4x", -1},                {"12abc", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(KeyCodeFromText(c.text), c.code) << c.text;
}

} // namespace
