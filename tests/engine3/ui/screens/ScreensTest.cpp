// Screen files, the screens list and defaults, dialog placement, refusals of
// bad elements, button actions with their gates, and the sound-line module,
// on a real screen GUI (offscreen device) with the demo's fonts and textures.
#include "engine3/ui/screens/CCIIModuleSoundLine.h"
#include "engine3/ui/screens/CVR3CIIModuleManager.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/ui/sgui/GuiTestSupport.h"

#include <tinyxml.h>

using namespace Vorna3D;
using SguiTest::GuiWorld;
using SguiTest::LogCapture;
namespace fs = std::filesystem;

namespace {

// The engine knows no program's modules; this manager makes sound-line
// modules only, which is what the module tests below need.
class SoundLineModules : public CVR3CIIModuleManager {
public:
    bool AddModule(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) override {
        if (!pElement || !pElement->Value() || std::string(pElement->Value()) != CCIIModuleSoundLine::kElementName)
            return true;
        auto* module = new CCIIModuleSoundLine();
        if (module->Init(pElement, pScreen))
            m_stdvModules.push_back(module);
        else
            delete module;
        return true;
    }
};

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
    SoundLineModules m_modules;
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

// An effect for screen controls whose three techniques paint in one colour
// each: "Hight" red, "Middle" green, "Low" blue.
std::string TintEffect() {
    std::string fx = "<Effect>";
    for (auto [name, colour] : {std::pair{"Hight", "1.0, 0.0, 0.0"}, {"Middle", "0.0, 1.0, 0.0"},
                                {"Low", "0.0, 0.0, 1.0"}}) {
        fx += std::string("<Technique name=\"") + name + "\"><Pass name=\"P0\">"
              "<RenderState name=\"ZENABLE\" value=\"0\"/><RenderState name=\"ALPHABLENDENABLE\" value=\"0\"/>"
              "<RenderState name=\"ALPHATESTENABLE\" value=\"0\"/><RenderState name=\"CULLMODE\" value=\"1\"/>"
              "<VertexShader><![CDATA[\nuniform mat4 g_MatrixWorldViewProj;\nin vec3 vPosition;\nin vec2 vTexCoord0;\n"
              "out vec2 fUV;\nvoid main() { fUV = vTexCoord0; "
              "gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0)); }\n]]></VertexShader>"
              "<FragmentShader><![CDATA[\nuniform sampler2D g_TextureLayer1;\nin vec2 fUV;\nout vec4 outColor;\n"
              "void main() { outColor = vec4(" + colour + ", 1.0) + 0.0 * texture(g_TextureLayer1, fUV); }\n"
              "]]></FragmentShader></Pass></Technique>";
    }
    return fx + "</Effect>";
}

const char* const kScrollBarTextures =
    R"(<BarTexture>Textures\button.png</BarTexture><TrackTexture>Textures\check.png</TrackTexture>)"
    R"(<Arrow1Texture>Textures\button.png</Arrow1Texture><Arrow2Texture>Textures\button.png</Arrow2Texture>)";

// Every child a control's Part names is read: the scroll bar's mode and
// arrow length, the flags' own defaults when missing, the pop-up's image
// colour, and the effects of buttons, edit boxes, pop-ups and scroll bars.
TEST_F(ScreensTest, ScreenFilesReadWhatTheirControlsCanDo) {
    VornaTest::WriteText(m_dir / "tint.fx", TintEffect());
    const std::string fx = GuiWorld::FromExe(m_dir / "tint.fx");
    const std::string check = R"(<CheckButton><Name>C1</Name><BordersLocal l="0" t="150" r="40" b="170"/>)"
                              R"(<ImageTexture>Textures\check.png</ImageTexture></CheckButton>)";
    const std::string controls =
        R"(<Button><Name>Tinted</Name><BordersLocal l="10" t="10" r="110" b="40"/>)"
        R"(<ImageTexture>Textures\button.png</ImageTexture><Font>Normal</Font><Text>Go</Text>)"
        "<ImageEffectPathAfterExeFolder>" + fx + "</ImageEffectPathAfterExeFolder>"
        "<TextEffectPathAfterExeFolder>" + fx + "</TextEffectPathAfterExeFolder>"
        R"(<PopUp><BordersLocal l="0" t="0" r="60" b="20"/><ImageTexture>Textures\popup.png</ImageTexture>)"
        R"(<ImageColor r="0.5" g="0.25" b="1" a="0.75"/><Font>Normal</Font><Text>Tip</Text>)"
        "<ImageEffectPathAfterExeFolder>" + fx + "</ImageEffectPathAfterExeFolder>"
        "<TextEffectPathAfterExeFolder>" + fx + "</TextEffectPathAfterExeFolder></PopUp></Button>"
        R"(<Button><Name>Plain</Name><BordersLocal l="120" t="10" r="220" b="40"/>)"
        R"(<ImageTexture>Textures\button.png</ImageTexture>)"
        "<ImageEffectPathAfterExeFolder>missing.fx</ImageEffectPathAfterExeFolder></Button>"
        R"(<EditBox><Name>Edit</Name><BordersLocal l="10" t="50" r="110" b="70"/><Font>Normal</Font>)"
        "<TextEffectPathAfterExeFolder>" + fx + "</TextEffectPathAfterExeFolder></EditBox>"
        R"(<ScrollBar><Name>Scroll</Name><BordersLocal l="270" t="10" r="290" b="190"/>)" + std::string(kScrollBarTextures) +
        "<ProcType>1</ProcType><ArrowVerticalTypeSize>12</ArrowVerticalTypeSize>"
        "<TrackEffect>" + fx + "</TrackEffect><BarEffect>" + fx + "</BarEffect>"
        "<Arrow1Effect>" + fx + "</Arrow1Effect><Arrow2Effect>" + fx + "</Arrow2Effect></ScrollBar>"
        R"(<ScrollBar><Name>Wide</Name><BordersLocal l="10" t="80" r="210" b="100"/><Vertical>0</Vertical>)" +
        std::string(kScrollBarTextures) + "</ScrollBar>"
        R"(<ScrollBarHard><Name>Slider</Name><BordersLocal l="230" t="10" r="254" b="190"/><SliderSize x="24" y="16"/>)"
        R"(<BarTexture>Textures\button.png</BarTexture><WorkTexture>Textures\popup.png</WorkTexture>)"
        R"(<TrackTexture>Textures\check.png</TrackTexture><WorkEffect>)" + fx + "</WorkEffect></ScrollBarHard>"
        "<RadioList><Name>Radio</Name>" + check + "</RadioList>"
        R"(<ScrollCheckList><Name>Checks</Name><BordersLocal l="10" t="110" r="210" b="140"/>)"
        R"(<ScrollButton1><BordersLocal l="10" t="110" r="30" b="140"/><ImageTexture>Textures\button.png</ImageTexture></ScrollButton1>)"
        R"(<ScrollButton2><BordersLocal l="190" t="110" r="210" b="140"/><ImageTexture>Textures\button.png</ImageTexture></ScrollButton2>)"
        "</ScrollCheckList>";
    WriteScreen("main.scrxml", Dialog("MainDialog", kCentre, controls));
    WriteList("main.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    CDX9KelSGUIDialog* d = Find("MainDialog");
    ASSERT_NE(d, nullptr);
    const std::string log = Log();

    auto* tinted = dynamic_cast<CDX9KelSGUIControlButton*>(d->FindControl("Tinted"));
    ASSERT_NE(tinted, nullptr);
    const CDX9KelGraphicResourceEffect* effect = tinted->m_pImage->m_pEffect;
    ASSERT_NE(effect, nullptr) << log;
    EXPECT_EQ(tinted->m_pText->m_pEffect, effect);
    ASSERT_NE(tinted->m_Popup.m_pImage, nullptr);
    EXPECT_EQ(tinted->m_Popup.m_pImage->m_pEffect, effect);
    EXPECT_EQ(tinted->m_Popup.m_pText->m_pEffect, effect);
    const float* c = tinted->m_Popup.m_pImage->m_Color;
    EXPECT_TRUE(c[0] == 0.5f && c[1] == 0.25f && c[2] == 1.0f && c[3] == 0.75f);
    // An effect that cannot be made is logged; the button stays and draws plainly.
    auto* plain = dynamic_cast<CDX9KelSGUIControlButton*>(d->FindControl("Plain"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->m_pImage->m_pEffect, nullptr);
    EXPECT_NE(log.find("not create effect. Dialog : "), std::string::npos) << log;

    auto* edit = dynamic_cast<CDX9KelSGUIControlEditBox*>(d->FindControl("Edit"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->m_pText->m_pEffect, effect);

    // Mode 1 and 12-pixel arrows; "Vertical" missing reads as the scroll bar's own default.
    auto* scroll = dynamic_cast<CDX9KelSGUIControlScrollBar*>(d->FindControl("Scroll"));
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->m_bVertical);
    EXPECT_EQ(scroll->m_iMode, 1);
    const RECT& arrow = scroll->m_pArrow1->GetRect();
    EXPECT_EQ(arrow.bottom - arrow.top, 12);
    EXPECT_EQ(arrow.right - arrow.left, 20);
    EXPECT_EQ(scroll->m_pTrack->GetRect().top, arrow.bottom);
    for (const CDX9KelSGUIBaseControl* part : {static_cast<const CDX9KelSGUIBaseControl*>(scroll->m_pTrack),
                                                static_cast<const CDX9KelSGUIBaseControl*>(scroll->m_pBar->m_pImage),
                                                static_cast<const CDX9KelSGUIBaseControl*>(scroll->m_pArrow1->m_pImage),
                                                static_cast<const CDX9KelSGUIBaseControl*>(scroll->m_pArrow2->m_pImage)})
        EXPECT_EQ(part->m_pEffect, effect);
    auto* wide = dynamic_cast<CDX9KelSGUIControlScrollBar*>(d->FindControl("Wide"));
    ASSERT_NE(wide, nullptr);
    EXPECT_FALSE(wide->m_bVertical);
    EXPECT_EQ(wide->m_iMode, 0);

    // Flags without a default of their control's take the element reader's (true).
    auto* slider = dynamic_cast<CDX9KelSGUIControlScrollBarHard*>(d->FindControl("Slider"));
    ASSERT_NE(slider, nullptr) << log;
    EXPECT_TRUE(slider->m_bVertical);
    EXPECT_EQ(slider->m_pWork->m_pEffect, effect);
    auto* radio = dynamic_cast<CDX9KelSGUIControlRadioList*>(d->FindControl("Radio"));
    ASSERT_NE(radio, nullptr);
    EXPECT_TRUE(radio->m_bMustSelect);
    auto* checks = dynamic_cast<CDX9KelSGUIControlScrollCheckList*>(d->FindControl("Checks"));
    ASSERT_NE(checks, nullptr);
    EXPECT_TRUE(checks->m_bHorizontal);
    EXPECT_FALSE(checks->m_bMustSelect);
}

// A control with an effect is drawn through it, with the technique the
// graphics settings' "ShadersLevel" selects for the whole render system.
TEST_F(ScreensTest, ControlsWithAnEffectDrawThroughTheShaderLevelsTechnique) {
    VornaTest::WriteText(m_dir / "tint.fx", TintEffect());
    const std::string fx = GuiWorld::FromExe(m_dir / "tint.fx");
    WriteScreen("main.scrxml",
                Dialog("MainDialog", kCentre,
                       R"(<Button><Name>Tinted</Name><BordersLocal l="10" t="10" r="110" b="40"/>)"
                       R"(<ImageTexture>Textures\button.png</ImageTexture>)"
                       "<ImageEffectPathAfterExeFolder>" + fx + "</ImageEffectPathAfterExeFolder></Button>"
                       R"(<Image><Name>Pic</Name><BordersLocal l="120" t="10" r="220" b="40"/>)"
                       R"(<Texture>Textures\panel.png</Texture><EffectPathAfterExeFolder>)" + fx +
                       "</EffectPathAfterExeFolder></Image>"));
    WriteList("main.scrxml\n");
    ASSERT_TRUE(m_screens.LoadScreens());
    CDX9KelSGUIDialog* d = Find("MainDialog");
    ASSERT_NE(d, nullptr);
    const RECT button = d->FindControl("Tinted")->GetRect(), image = d->FindControl("Pic")->GetRect();
    m_world.Frame(0, 0, false); // the frame's update lists what is drawn
    IDirect3DDevice9* dev = m_world.m_pDevice;
    const int w = m_world.m_iWidth, h = m_world.m_iHeight;
    struct Case {
        int level;
        DWORD colour;
    } cases[] = {{2, 0xFFFF0000u}, {1, 0xFF00FF00u}, {0, 0xFF0000FFu}, {5, 0xFF0000FFu}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        ASSERT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
        ASSERT_EQ(dev->BeginScene(), D3D_OK);
        m_world.m_Gui.Render(dev, 0.016f, c.level, 1);
        dev->EndScene();
        std::vector<DWORD> px(size_t(w) * h);
        ASSERT_TRUE(Platform::ReadBackBuffer(dev, 0, 0, w, h, px.data()));
        for (const RECT& r : {button, image}) {
            EXPECT_EQ(px[size_t(r.top + 5) * w + r.left + 5] | 0xFF000000u, c.colour);
            EXPECT_EQ(px[size_t(r.bottom - 5) * w + r.right - 5] | 0xFF000000u, c.colour);
            EXPECT_EQ(px[size_t(r.bottom + 3) * w + r.left + 5] | 0xFF000000u, 0xFF000000u); // outside stays clear
        }
    }
}

} // namespace
