// Screen files, the screens list and defaults, dialog placement, refusals of
// bad elements, button actions with their gates, and the sound-line module,
// on a real screen GUI (offscreen device) with the demo's fonts and textures.
#include "engine3/ui/screens/CCIIModuleManager.h"
#include "engine3/ui/screens/CCIIModuleSoundLine.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/ui/sgui/GuiTestSupport.h"

#include <tinyxml.h>

using namespace Vorna3D;
using SguiTest::GuiWorld;
using SguiTest::LogCapture;
namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaults = R"(<Main><Fonts>
  <Normal><File>Fonts\normal.xml</File><Format>1</Format><Color r="1" g="1" b="1" a="1"/></Normal>
  <NoColor><File>Fonts\normal.xml</File><Format>1</Format></NoColor>
</Fonts></Main>)";

// A dialog element with the given placement and controls.
std::string Dialog(const std::string& name, const std::string& placement, const std::string& controls = "",
                   const std::string& extra = "") {
    return "<" + name + ">" + placement + extra + "<Controls>" + controls + "</Controls></" + name + ">";
}
const std::string kCentre = R"(<PositionType x="1" y="1"/><Borders l="0" t="0" r="300" b="200"/>)";

std::string Button(const std::string& name, const std::string& action, const char* element = "Button") {
    return std::string("<") + element + "><Name>" + name +
           R"(</Name><BordersLocal l="10" t="10" r="110" b="40"/><ImageTexture>Textures\button.png</ImageTexture>)" +
           "<Font>Normal</Font><Text>" + name + "</Text>" + action + "</" + element + ">";
}
std::string Action(int type, const std::string& objects) {
    return "<Action><Type>" + std::to_string(type) + "</Type>" + objects + "</Action>";
}

class ScreensTest : public ::testing::Test {
protected:
    ScreensTest() : m_world(1024, 768) {}
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        m_log = std::make_unique<LogCapture>(m_dir);
        if (!m_world.Create()) GTEST_SKIP() << "no GL context";
        VornaTest::WriteText(m_dir / "defaults.xml", kDefaults);
        const std::string ui = GuiWorld::FromExe(fs::path(VORNA_BIN_DIR) / "Interface") + "/";
        ASSERT_TRUE(m_screens.InitWith(&m_world.m_Gui, m_world.m_pDevice, m_world.m_hWnd, ui,
                                       GuiWorld::FromExe(m_dir) + "/"));
        m_screens.SetModuleManager(&m_modules);
    }
    void TearDown() override {
        m_modules.ReleaseModules();
        m_screens.Release();
    }
    void WriteScreen(const std::string& file, const std::string& dialogs, const std::string& modules = "") {
        VornaTest::WriteText(m_dir / file,
                             "<Screen><Dialogs>" + dialogs + "</Dialogs><Modules>" + modules + "</Modules></Screen>");
    }
    void WriteList(const std::string& text) { VornaTest::WriteText(m_dir / "screens.slt", text); }
    CDX9KelSGUIDialog* Find(const char* name) { return m_world.m_Gui.FindDialog(name); }
    std::string Log() { return m_log->Text(); }
    std::string Current() {
        CVR3CIIScreen* s = m_screens.GetCurrentScreen();
        return s ? s->GetName() : "(none)";
    }
    CDX9KelSGUIControlButton* ButtonOf(const char* dialog, const char* name) {
        CDX9KelSGUIDialog* d = Find(dialog);
        return d ? dynamic_cast<CDX9KelSGUIControlButton*>(d->FindControl(name)) : nullptr;
    }
    // Presses a button for one update of the screens, then lets it go.
    void Press(CDX9KelSGUIControlButton* b, DWORD thenMs = 16) {
        b->m_dwState = SGUI_BUTTON_PRESSED;
        m_screens.Update();
        b->m_dwState = SGUI_BUTTON_NORMAL;
        m_screens.Update();
        m_world.m_Clock.Advance(thenMs);
    }

    GuiWorld m_world;
    fs::path m_dir;
    std::unique_ptr<LogCapture> m_log;
    CCIIModuleManager m_modules;
    CVR3CIIScreenManager m_screens;
};

TEST_F(ScreensTest, TheListLoadsEachScreenOnceAndRefusesWrongExtensions) {
    WriteScreen("main.scrxml", Dialog("MainDialog", kCentre));
    WriteScreen("second.scrxml", Dialog("SecondDialog", kCentre));
    const std::string longName(56, 'x');
    WriteList("% a comment line\n\nmain.scrxml\nmain.scrxml\nhud.txt\r\nsecond.scrxml\r\nold.scrbin\n" +
              longName + ".scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    const std::string log = Log();
    // main, second (read across a carriage return), the reserved binary slot.
    ASSERT_EQ(m_screens.GetScreenCount(), 3u);
    EXPECT_EQ(m_screens.FindScreenIndex("main"), 0);
    EXPECT_EQ(m_screens.FindScreenIndex("second"), 1);
    EXPECT_EQ(m_screens.GetScreen(2), nullptr);
    EXPECT_EQ(Current(), "main");
    EXPECT_NE(log.find("CVR3CIIScreenManager::CreateScreen() : screen already in list. Name : main\n"),
              std::string::npos) << log;
    EXPECT_NE(log.find("CVR3CIIScreenManager::CreateScreen() : not found correct expansion for file : hud.txt\n"),
              std::string::npos);
    // The 63-character line is read as 49 + 14 characters: two refused entries.
    EXPECT_NE(log.find("not found correct expansion for file : " + std::string(49, 'x') + "\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreenManager::CreateScreen() : not create screen : " + std::string(7, 'x') + "\n"),
              std::string::npos);
    EXPECT_TRUE(Find("MainDialog")->IsVisible());
    EXPECT_FALSE(Find("SecondDialog")->IsVisible());
}

TEST_F(ScreensTest, DefaultsAndListFailuresAndEmptyList) {
    WriteList("");
    ASSERT_TRUE(m_screens.LoadScreens());
    EXPECT_EQ(m_screens.GetScreenCount(), 0u);
    EXPECT_EQ(Current(), "(none)");
    ASSERT_NE(m_screens.GetFont("Normal"), nullptr);
    EXPECT_EQ(m_screens.GetFont("Normal")->iFormat, 1);
    EXPECT_EQ(m_screens.GetFont("NoColor"), nullptr);
    EXPECT_NE(Log().find("CVR3CIIScreenManager::LoadDefaults() : not create font : NoColor\n"), std::string::npos);

    fs::remove(m_dir / "screens.slt");
    EXPECT_FALSE(m_screens.LoadScreens());
    EXPECT_NE(Log().find("CDX9KelCIIScreenManager::LoadScreens() : LoadScreensList() failed\n"), std::string::npos);
    VornaTest::WriteText(m_dir / "defaults.xml", "<Main><Fonts><Normal>");
    EXPECT_FALSE(m_screens.LoadScreens());
    EXPECT_NE(Log().find("CDX9KelCIIScreenManager::LoadScreens() : LoadDefaults() failed\n"), std::string::npos);
}

TEST_F(ScreensTest, DialogsArePlacedByAnchorShiftOrPercentAndBadPlacementsAreRefused) {
    struct Case {
        const char* name;
        const char* placement;
        RECT expected;  // all -1: not created
    };
    const Case cases[] = {
        {"RightTop", R"(<PositionType x="2" y="0"/><PositionShift x="-210" y="5"/><Borders l="0" t="0" r="200" b="100"/>)",
         {814, 5, 1014, 105}},
        {"CentreX", R"(<PositionType x="1" y="0"/><Borders l="0" t="0" r="200" b="100"/>)", {512, 0, 712, 100}},
        {"Percent", R"(<PositionType x="3" y="3"/><PositionShift x="50" y="50"/><Borders l="25" t="25" r="75" b="75"/>)",
         {256, 192, 768, 576}},
        {"Bottom", R"(<PositionType x="0" y="2"/><PositionShift x="10" y="-50"/><Borders l="5" t="5" r="105.9" b="45"/>)",
         {10, 718, 110, 758}},
        {"NoType", R"(<Borders l="0" t="0" r="200" b="100"/>)", {-1, -1, -1, -1}},
        {"BadType", R"(<PositionType x="4" y="0"/><Borders l="0" t="0" r="200" b="100"/>)", {-1, -1, -1, -1}},
        {"NoBorders", R"(<PositionType x="0" y="0"/>)", {-1, -1, -1, -1}},
    };
    std::string dialogs;
    for (const Case& c : cases) dialogs += Dialog(c.name, c.placement);
    WriteScreen("main.scrxml", dialogs);
    WriteList("main.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    for (const Case& c : cases) {
        CDX9KelSGUIDialog* d = Find(c.name);
        if (c.expected.left == -1) {
            EXPECT_EQ(d, nullptr) << c.name;
            EXPECT_NE(Log().find(std::string("CVR3CIIScreen::CreateDialogFromXML() : not create dialog : ") + c.name +
                                 "\n"),
                      std::string::npos)
                << c.name;
            continue;
        }
        ASSERT_NE(d, nullptr) << c.name;
        const RECT r = d->GetRect();
        EXPECT_EQ(r.left, c.expected.left) << c.name;
        EXPECT_EQ(r.top, c.expected.top) << c.name;
        EXPECT_EQ(r.right, c.expected.right) << c.name;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
    }
    const std::string log = Log();
    EXPECT_NE(log.find("CVR3CIIScreen::CreateDialogFromXML() : not correct position type\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateDialogFromXML() : not found Borders node\n"), std::string::npos);
    EXPECT_EQ(m_screens.FindScreen("main")->GetDialogEntries().size(), 4u);
}

TEST_F(ScreensTest, BadControlsAndActionsAreDroppedAndTheRestLoads) {
    const std::string controls =
        R"(<Text><BordersLocal l="0" t="0" r="50" b="20"/><Font>Missing</Font><Text>a</Text></Text>)"
        R"(<Text><Font>Normal</Font><Text>a</Text></Text>)"
        R"(<Widget><Name>Odd</Name></Widget><ScrollText/>)"
        R"(<ListBox><Name>NoBox</Name><Font>Normal</Font></ListBox>)"
        R"(<ScrollCheckList><Name>NoArrows</Name><BordersLocal l="0" t="0" r="90" b="20"/></ScrollCheckList>)"
        R"(<EditBox><Name>Edit</Name><BordersLocal l="0" t="50" r="90" b="70"/><Font>Normal</Font><Text>abc</Text></EditBox>)"
        R"(<Image><Name>Pic</Name><BordersPercent l="0" t="0" r="50" b="50"/><Texture>Textures\panel.png</Texture></Image>)" +
        Button("GoNowhere", Action(0, "")) + Button("WrongKind", Action(2, "<Objects><X/></Objects>")) +
        Button("NoType", "<Action><Objects>main</Objects></Action>") +
        Button("Go", Action(0, "<Objects>main</Objects>")) +
        Button("Toggle", Action(1, "<Objects><A/><B/></Objects>")) +
        Button("Check", Action(2, "<Objects><A/></Objects>"), "CheckButton");
    WriteScreen("main.scrxml",
                Dialog("MainDialog", kCentre, controls) + Dialog("MainDialog", kCentre) +
                    Dialog("MainDialog", kCentre, "", "<UniqueName>0</UniqueName>"));
    WriteList("main.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    const std::string log = Log();
    EXPECT_NE(log.find("CVR3CIIScreen::CreateTextXML() : not found default font : Missing\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateTextXML() : not load Borders node from XML\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateListBoxXML() : not load 'Borders' node from XML\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateScrollCheckListXML() : not load 'ScrollButton1' node from XML\n"),
              std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateButtonXML() : CreateAction() failed for control :GoNowhere\n"),
              std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateButtonXML() : CreateAction() failed for control :WrongKind\n"),
              std::string::npos);
    EXPECT_NE(log.find("CVR3CIIScreen::CreateButtonXML() : CreateAction() failed for control :NoType\n"),
              std::string::npos);
    // The second dialog of the same name is refused; one that waives the
    // check is made.
    EXPECT_NE(log.find("CDX9KelSGUIManager::InitDialog() : not unique name\n"), std::string::npos);
    const CVR3CIIScreen* screen = m_screens.FindScreen("main");
    ASSERT_EQ(screen->GetDialogEntries().size(), 2u);

    CDX9KelSGUIDialog* d = screen->GetDialogEntries()[0]->pDialog;
    EXPECT_NE(d->FindControl("Pic"), nullptr);
    EXPECT_NE(d->FindControl("Edit"), nullptr);
    EXPECT_EQ(d->FindControl("NoBox"), nullptr);
    EXPECT_EQ(d->FindControl("NoArrows"), nullptr);
    for (const char* name : {"GoNowhere", "WrongKind", "NoType", "Go", "Toggle", "Check"})
        EXPECT_NE(d->FindControl(name), nullptr) << name;
    const auto& actions = screen->GetDialogEntries()[0]->stdvActions;
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0]->iType, SCREEN_ACTION_GO_TO_SCREEN);
    EXPECT_EQ(actions[0]->stdvObjects, std::vector<std::string>{"main"});
    EXPECT_EQ(actions[1]->stdvObjects, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(actions[2]->iType, SCREEN_ACTION_SHOW_WHILE_CHECKED);
}

TEST_F(ScreensTest, ActionsSwitchBehindTheGateToggleOnTopAndDanglingTargetsDoNothing) {
    WriteScreen("one.scrxml",
                Dialog("OneDialog", kCentre,
                       Button("ToTwo", Action(0, "<Objects>two</Objects>")) +
                           Button("ToNowhere", Action(0, "<Objects>nowhere</Objects>"))) +
                    Dialog("OneNote", kCentre, "", "<Visible>0</Visible>"));
    WriteScreen("two.scrxml", Dialog("TwoDialog", kCentre,
                                     Button("ToOne", Action(0, "<Objects>one</Objects>")) +
                                         Button("Toggle", Action(1, "<Objects><TwoNote/><Gone/></Objects>"))) +
                                  Dialog("TwoNote", kCentre, "", "<Visible>0</Visible>") +
                                  Dialog("TwoLast", kCentre, "", "<UsingLastVisibleForScreen>1</UsingLastVisibleForScreen>"));
    WriteList("one.scrxml\ntwo.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    ASSERT_EQ(Current(), "one");

    Press(ButtonOf("OneDialog", "ToNowhere"));
    EXPECT_EQ(Current(), "one");
    // The refused switch armed the gate; the first press more than 500 ms
    // later only frees it.
    m_world.m_Clock.Advance(600);
    Press(ButtonOf("OneDialog", "ToTwo"));
    EXPECT_EQ(Current(), "one");
    Press(ButtonOf("OneDialog", "ToTwo"));
    EXPECT_EQ(Current(), "two");
    EXPECT_FALSE(Find("OneDialog")->IsVisible());
    EXPECT_TRUE(Find("TwoDialog")->IsVisible());
    EXPECT_FALSE(Find("TwoNote")->IsVisible());

    // Within 500 ms of the switch the way back stays shut; the first look
    // after that opens the gate, and the next press goes through.
    CDX9KelSGUIControlButton* back = ButtonOf("TwoDialog", "ToOne");
    Press(back, 400);
    EXPECT_EQ(Current(), "two");
    Press(back, 200);
    EXPECT_EQ(Current(), "two");
    Press(back);
    EXPECT_EQ(Current(), "two");
    Press(back);
    EXPECT_EQ(Current(), "one");

    // SetScreen to the current screen only stamps the gate.
    EXPECT_TRUE(m_screens.SetScreen("one"));
    EXPECT_FALSE(m_screens.SetScreen("nowhere"));
    m_world.m_Clock.Advance(600);
    ASSERT_TRUE(m_screens.SetScreen("two"));

    // Toggle: shown on top of the screen's dialogs, then hidden; the name
    // that matches no dialog is passed over.
    CDX9KelSGUIControlButton* toggle = ButtonOf("TwoDialog", "Toggle");
    toggle->m_dwState = SGUI_BUTTON_PRESSED;
    m_screens.Update();
    m_screens.Update();  // held: nothing more
    EXPECT_TRUE(Find("TwoNote")->IsVisible());
    EXPECT_EQ(m_world.m_Gui.m_vDrawOrder.back(), static_cast<DWORD>(Find("TwoNote")->GetIndex()));
    toggle->m_dwState = SGUI_BUTTON_NORMAL;
    m_screens.Update();
    Press(toggle);
    EXPECT_FALSE(Find("TwoNote")->IsVisible());

    // A dialog that uses its last visibility comes back as it was left.
    SetScreenDialogVisible(Find("TwoLast"), false);
    m_world.m_Clock.Advance(600);
    ASSERT_TRUE(m_screens.SetScreen("one"));
    ASSERT_TRUE(m_screens.SetScreen("two"));
    EXPECT_FALSE(Find("TwoLast")->IsVisible());
}

TEST_F(ScreensTest, ShowWhileCheckedAndQuit) {
    WriteScreen("one.scrxml",
                Dialog("OneDialog", kCentre,
                       Button("Show", Action(2, "<Objects><OneNote/></Objects>"), "CheckButton") +
                           Button("Quit", Action(3, ""))) +
                    Dialog("OneNote", kCentre));
    WriteList("one.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    // The first look at an unchecked button hides the dialogs it names.
    EXPECT_TRUE(Find("OneNote")->IsVisible());
    m_screens.Update();
    EXPECT_FALSE(Find("OneNote")->IsVisible());

    CDX9KelSGUIControlButton* show = ButtonOf("OneDialog", "Show");
    show->m_dwState = SGUI_BUTTON_PRESSED;
    for (int i = 0; i < 3 && !Find("OneNote")->IsVisible(); ++i) {
        m_screens.Update();
        m_world.m_Clock.Advance(16);
    }
    EXPECT_TRUE(Find("OneNote")->IsVisible());
    show->m_dwState = SGUI_BUTTON_NORMAL;
    m_screens.Update();
    EXPECT_FALSE(Find("OneNote")->IsVisible());

    Platform::FlushMessages();
    Press(ButtonOf("OneDialog", "Quit"));
    MSG msg = {};
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) quit = msg.wParam == 0;
    EXPECT_TRUE(quit);
}

TEST_F(ScreensTest, ModulesUnknownKindsAreIgnoredAndTheSoundLinePostsItsRequestsOncePerVisit) {
    WriteScreen("one.scrxml", Dialog("OneDialog", kCentre),
                R"(<NoSuchModule/><SoundLine LineType="1"/>)"
                R"(<SoundLine LineName="TestPlay" LineType="1" Action="2" BreakTime="300"><I>a.xml</I><I>b.xml</I></SoundLine>)"
                R"(<SoundLine LineName="TestStop" Action="1"/><SoundLine LineName="TestPause" Action="3"/>)");
    WriteScreen("two.scrxml", Dialog("TwoDialog", kCentre));
    WriteList("one.scrxml\ntwo.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    const std::string log = Log();
    EXPECT_EQ(log.find("NoSuchModule"), std::string::npos) << log;
    EXPECT_NE(log.find("CCIIModuleSoundLine::Init() : not found 'LineName' attribute in module node\n"),
              std::string::npos);
    EXPECT_NE(log.find("CCIIModuleManager::AddModule: module SoundLine not create \n"), std::string::npos);
    ASSERT_EQ(m_modules.GetModuleCount(), 3u);
    auto* play = dynamic_cast<CCIIModuleSoundLine*>(m_modules.GetModule(0));
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->GetSounds().size(), 2u);
    EXPECT_NE(play->GetSounds()[0].find("a.xml"), std::string::npos);
    CVR3SOUNDManager& sound = CVR3SOUNDManager::Get();
    CVR3SOUNDLine* line = sound.FindSoundLine("TestPlay");
    ASSERT_EQ(line, play->GetLine());
    const size_t before = line->GetRequestCount();

    // No sound thread runs here, so the posted requests stay in the lines.
    m_modules.ProcModules();
    m_modules.ProcModules();
    EXPECT_EQ(line->GetRequestCount() - before, 4u);  // stop, clear, replace, play
    EXPECT_EQ(sound.FindSoundLine("TestStop")->GetRequestCount(), 1u);
    EXPECT_EQ(sound.FindSoundLine("TestPause")->GetRequestCount(), 1u);

    ASSERT_TRUE(m_screens.SetScreen("two"));
    m_modules.ProcModules();
    EXPECT_EQ(line->GetRequestCount() - before, 4u);
    m_world.m_Clock.Advance(600);
    ASSERT_TRUE(m_screens.SetScreen("one"));
    m_modules.ProcModules();
    EXPECT_EQ(line->GetRequestCount() - before, 8u);
}

} // namespace
