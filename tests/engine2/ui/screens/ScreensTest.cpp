// Screen files, "defaults.xml", "screens.slt" and "start.xml" written into a
// fresh folder and read by the screen manager.
#include <tinyxml.h>

#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/GuiTestSupport.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

namespace GuiTest {
namespace {

std::string Borders(int t, int l, int b, int r) {
    return "<Borders><t>" + std::to_string(t) + "</t><l>" + std::to_string(l) + "</l><b>" + std::to_string(b) +
           "</b><r>" + std::to_string(r) + "</r></Borders>";
}
std::string White() { return "<Color><a>255</a><r>255</r><g>255</g><b>255</b></Color>"; }

class Screens : public ::testing::Test {
protected:
    void SetUp() override {
        m_Folder = VornaTest::FreshFolder();
        if (!m_World.Create(m_Folder)) GTEST_SKIP() << "no GL context";
        m_Screens.Init(&Gui(), nullptr, nullptr);
        m_Screens.m_strScreenFolder = FromExe(m_Folder / "Screens") + "/";
        m_Screens.m_StartWait = [this](DWORD ms) { m_Waits.push_back(ms); };
        WriteDefaults("");
    }
    CDX9KelGUIManager& Gui() { return m_World.m_Gui; }
    void Write(const std::string& name, const std::string& text) {
        VornaTest::WriteText(m_Folder / "Screens" / name, text);
    }
    void WriteDefaults(const std::string& fontsExtra) {
        const std::string w = m_World.m_White, r = m_World.m_Red, b = m_World.m_Blue;
        Write("defaults.xml",
              "<Main><Fonts>" + fontsExtra + "<Normal><File>" + FromExe(m_Folder / "font.xml") +
                  "</File><Format>1</Format>" + White() + "</Normal><Line><File>" + FromExe(m_Folder / "font.xml") +
                  "</File><Format>0</Format>" + White() +
                  "</Line></Fonts><Textures><!-- shared looks --><DialogBackground>" + w +
                  "</DialogBackground><Button>" + w + "</Button><PopUp>" + b + "</PopUp><ScrollBar>" + r +
                  "</ScrollBar><ScrollTrack>" + w + "</ScrollTrack><ScrollButUp>" + b + "</ScrollButUp><ScrollButDown>" +
                  b + "</ScrollButDown><ScrollButLeft>" + r + "</ScrollButLeft><ScrollButRight>" + r +
                  "</ScrollButRight><ListBoxSel>" + b + "</ListBoxSel><StateBar>" + r +
                  "</StateBar><Empty/></Textures><Effects><Gui>Effects\\gui.fx</Gui></Effects></Main>");
    }
    // The menu: one dialog with every control kind and every action, a
    // hidden dialog for the toggle and one for the check button.
    void WriteMenu() {
        const std::string controls =
            "<Text>" + Borders(0, 0, 10, 50) + "<Font>Normal</Font><Text>Menu</Text></Text>"
            "<Image>" + Borders(0, 50, 10, 60) + "<Texture>" + m_World.m_Red + "</Texture><Zoom>1</Zoom></Image>"
            "<Button>" + Borders(10, 0, 20, 20) + "<Font>Line</Font><Texture>Default</Texture><Text>Toggle</Text>"
            "<Action><Type>1</Type><Objects>1</Objects></Action>"
            "<PopUp>" + Borders(0, 0, 10, 30) + "<Text>Shows a dialog</Text></PopUp></Button>"
            "<CheckButton>" + Borders(10, 20, 20, 40) + "<Texture>Default</Texture>"
            "<Action><Type>2</Type><Objects>2</Objects></Action></CheckButton>"
            "<Button>" + Borders(10, 40, 20, 60) + "<Texture>Default</Texture><Action><Type>3</Type></Action></Button>"
            "<Button>" + Borders(10, 60, 20, 80) + "<Texture>Default</Texture>"
            "<Action><Type>0</Type><Objects>other.xml</Objects></Action></Button>"
            "<Button>" + Borders(10, 80, 20, 100) + "<Texture>Default</Texture>"
            "<Action><Type>2</Type><Objects>1</Objects></Action></Button>"
            "<ScrollBar>" + Borders(25, 90, 75, 100) + "<TextureBar>Default</TextureBar>"
            "<TextureTrack>Default</TextureTrack></ScrollBar>"
            "<ScrollBar>" + Borders(90, 0, 100, 40) + "<TextureBar>Default</TextureBar>"
            "<TextureTrack>Default</TextureTrack><Vertical>0</Vertical></ScrollBar>"
            "<ScrollBar>" + Borders(90, 50, 100, 90) + "<TextureBar>Default</TextureBar>"
            "<TextureTrack>Default</TextureTrack><TextureArrow1></TextureArrow1></ScrollBar>"
            "<RadioList>" + Borders(25, 0, 35, 20) + "<OneButtonAlwaysDown/>"
            "<CheckButton>" + Borders(25, 0, 35, 10) + "<Texture>Default</Texture></CheckButton>"
            "<CheckButton>" + Borders(25, 10, 35, 20) + "<Texture>Default</Texture></CheckButton></RadioList>"
            "<EditBox>" + Borders(40, 0, 50, 40) + "<Font>Line</Font></EditBox>"
            "<ScrollText>" + Borders(55, 0, 85, 40) + "<TextureBar>Default</TextureBar><TextureTrack>Default</TextureTrack>"
            "<Text><Normal>First paragraph of the text.</Normal><Unknown>Second.</Unknown></Text></ScrollText>"
            "<ListBox>" + Borders(25, 45, 85, 85) + "<TextureSelBar>Default</TextureSelBar>"
            "<TextureBar>Default</TextureBar><TextureTrack>Default</TextureTrack><Font>Line</Font></ListBox>"
            "<StateBar>" + Borders(40, 45, 45, 85) + "<Texture>Default</Texture></StateBar>"
            "<Kind>" + Borders(0, 0, 10, 10) + "</Kind>";
        Write("menu.xml", "<Screen><Dialogs><Main>" + Borders(0, 0, 100, 100) +
                              "<Background>Default</Background><Controls>" + controls +
                              "</Controls></Main><Toggled>" + Borders(20, 20, 40, 40) +
                              "<Visible>0</Visible></Toggled><Checked>" + Borders(50, 50, 70, 70) +
                              "<Visible>0</Visible><Proc>0</Proc></Checked></Dialogs></Screen>");
        Write("other.xml", "<Screen><Dialogs><Only>" + Borders(10, 10, 90, 90) + "<Drag>1</Drag></Only></Dialogs></Screen>");
    }
    // One frame as the game scene runs it: input, the GUI step, the screens'
    // actions, then the drawing that applies the looks.
    void Frame(LONG x, LONG y, bool down, DWORD ms = 20) {
        Gui().SetCursorOverride({x, y});
        Gui().m_bLeftButton = down;
        Gui().Update();
        m_Screens.Update();
        Gui().RenderDrawList();
        m_World.m_Clock.Advance(ms);
    }
    // A press of a button whose centre is at (x, y): hover, press, release.
    void Click(LONG x, LONG y) {
        Frame(x, y, false);
        Frame(x, y, true);
        Frame(x, y, true);
        Frame(x, y, false, 400);
    }
    std::filesystem::path m_Folder;
    GuiWorld m_World;
    CDX9KelCIIScreenManager m_Screens;
    std::vector<DWORD> m_Waits;
};

TEST_F(Screens, ScreenListSkipsCommentsEmptyLinesAndRepeatsAndSplitsLongLines) {
    Write("screens.slt", "% the list\r\n\r\nmenu.xml\r\nother.xml\nmenu.xml\n" + std::string(60, 'x'));
    ASSERT_TRUE(m_Screens.LoadScreensList());
    ASSERT_EQ(m_Screens.m_Screens.size(), 4u);
    EXPECT_EQ(m_Screens.m_Screens[0]->m_strName, "menu.xml");
    EXPECT_EQ(m_Screens.m_Screens[1]->m_strName, "other.xml");
    EXPECT_EQ(m_Screens.m_Screens[2]->m_strName, std::string(39, 'x'));
    EXPECT_EQ(m_Screens.m_Screens[3]->m_strName, std::string(11, 'x'));
    EXPECT_EQ(m_Screens.AddScreen("other.xml"), -1);
    EXPECT_TRUE(m_Screens.DeleteScreen(1));
    // Three screens left and one deleted: the next id is 4, never a used one.
    EXPECT_EQ(m_Screens.AddScreen("new.xml"), 3 + 1);
}

TEST_F(Screens, MenuBuildsEveryControlKindAndStartsOnScreenZero) {
    WriteMenu();
    Write("broken.xml", "<Screen><Dialogs><NoBorders/></Dialogs></Screen>");
    Write("screens.slt", "menu.xml\nbroken.xml\nother.xml\n");
    LogCapture log(m_Folder);
    ASSERT_TRUE(m_Screens.LoadScreens());
    // The broken screen is dropped; the others load.
    ASSERT_EQ(m_Screens.m_Screens.size(), 2u);
    EXPECT_NE(log.Text().find("dialog not create from file : broken.xml"), std::string::npos);
    EXPECT_EQ(m_Screens.m_iActiveScreen, 0);
    CDX9KelCIIScreen* menu = m_Screens.GetScreen("menu.xml");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetEntries().size(), 3u);
    CDX9KelGUIDialog* main = menu->GetDialog(0);
    bool kinds[10] = {};
    for (const auto& c : main->m_Controls) kinds[c->m_iType] = true;
    for (int k = 0; k < 10; ++k) EXPECT_TRUE(kinds[k]) << "control kind " << k;
    // Background first, from the DialogBackground entry.
    EXPECT_EQ(main->m_Controls[0]->m_iType, GUI_CONTROL_TYPE_IMAGE);
    // Two scroll bars (the one with an empty first arrow fails).
    int bars = 0;
    for (const auto& c : main->m_Controls)
        if (c->m_iType == GUI_CONTROL_TYPE_SCROLLBAR && !c->m_bIsPart) ++bars;
    EXPECT_EQ(bars, 2);
    // Toggle, check-button dialogs, quit, switch: the button with type 2 has
    // no action.
    ASSERT_EQ(menu->GetEntries()[0]->actions.size(), 4u);
    EXPECT_FALSE(menu->GetDialog(1)->m_bVisible);
    EXPECT_FALSE(menu->GetDialog(1)->m_bShown);
    EXPECT_TRUE(main->m_bVisible);
    EXPECT_FALSE(m_Screens.GetScreen("other.xml")->GetDialog(0)->m_bVisible);
    EXPECT_EQ(m_Screens.GetFont("Line").format, 0);
    EXPECT_EQ(m_Screens.GetFont("Nothing").fontId, -1);
}

TEST_F(Screens, ToggleCheckButtonAndSwitchActions) {
    WriteMenu();
    Write("screens.slt", "menu.xml\nother.xml\n");
    ASSERT_TRUE(m_Screens.LoadScreens());
    CDX9KelCIIScreen* menu = m_Screens.GetScreen("menu.xml");
    // Toggle button at 10-20 % height, 0-20 % width of 320 x 240.
    Click(30, 36);
    EXPECT_TRUE(menu->GetDialog(1)->m_bVisible);
    Click(30, 36);
    EXPECT_FALSE(menu->GetDialog(1)->m_bVisible);
    // The check button shows its dialog on the second frame after it is
    // checked, and hides it when unchecked.
    Frame(94, 36, false);
    Frame(94, 36, true);
    EXPECT_FALSE(menu->GetDialog(2)->m_bVisible);
    Frame(94, 36, false);
    EXPECT_FALSE(menu->GetDialog(2)->m_bVisible);
    Frame(94, 36, false);
    EXPECT_TRUE(menu->GetDialog(2)->m_bVisible);
    Frame(94, 36, false, 400);
    Frame(94, 36, true);
    Frame(94, 36, true);
    Frame(94, 36, false);
    EXPECT_FALSE(menu->GetDialog(2)->m_bVisible);
    // Switch to the other screen.
    Click(222, 36);
    EXPECT_EQ(m_Screens.m_iActiveScreen, m_Screens.FindScreenId("other.xml"));
    EXPECT_FALSE(menu->GetDialog(0)->m_bVisible);
    EXPECT_TRUE(m_Screens.GetScreen("other.xml")->GetDialog(0)->m_bVisible);
}

TEST_F(Screens, SwitchingWaitsHalfASecondBetweenSwitches) {
    WriteMenu();
    // A button on the other screen, under the cursor, switches back.
    Write("other.xml", "<Screen><Dialogs><Only>" + Borders(10, 10, 90, 90) + "<Controls><Button>" +
                           Borders(5, 70, 15, 95) +
                           "<Action><Type>0</Type><Objects>menu.xml</Objects></Action></Button></Controls>"
                           "</Only></Dialogs></Screen>");
    Write("screens.slt", "menu.xml\nother.xml\n");
    ASSERT_TRUE(m_Screens.LoadScreens());
    const int menu = m_Screens.FindScreenId("menu.xml"), other = m_Screens.FindScreenId("other.xml");
    Frame(222, 36, false);
    Frame(222, 36, true);
    Frame(222, 36, true);
    ASSERT_EQ(m_Screens.m_iActiveScreen, other);
    Frame(222, 36, false, 400);
    Frame(222, 36, false);
    Frame(222, 36, true);
    Frame(222, 36, true);
    EXPECT_EQ(m_Screens.m_iActiveScreen, other);
    for (int i = 0; i < 3; ++i) Frame(222, 36, true, 100);
    EXPECT_EQ(m_Screens.m_iActiveScreen, menu);
}

TEST_F(Screens, QuitActionPostsTheQuitMessage) {
    WriteMenu();
    Write("screens.slt", "menu.xml\nother.xml\n");
    ASSERT_TRUE(m_Screens.LoadScreens());
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    Click(158, 36);
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) quit = true;
    EXPECT_TRUE(quit);
}

TEST_F(Screens, DefaultsRefusals) {
    LogCapture log(m_Folder);
    Write("screens.slt", "menu.xml\n");
    WriteDefaults("<!-- a comment counts as a font -->");
    EXPECT_FALSE(m_Screens.LoadScreens());
    EXPECT_NE(log.Text().find("Error : CDX9KelCIIScreenManager::LoadScreens() : LoadDefaults() == false"),
              std::string::npos);
    Write("defaults.xml", "<Main><Fonts/><Textures/><Effects/></Main>");
    EXPECT_FALSE(m_Screens.LoadDefaults());
    // A list of comments alone has no entry.
    for (const char* list : {"Textures", "Effects"}) {
        WriteDefaults("");
        std::string text = VornaTest::ReadText(m_Folder / "Screens" / "defaults.xml");
        const std::string open = std::string("<") + list + ">", close = std::string("</") + list + ">";
        const std::size_t from = text.find(open) + open.size();
        text.replace(from, text.find(close) - from, "<!-- none yet -->");
        Write("defaults.xml", text);
        EXPECT_FALSE(m_Screens.LoadDefaults()) << list;
    }
    WriteDefaults("");
    EXPECT_TRUE(m_Screens.LoadDefaults());
    std::string file;
    EXPECT_TRUE(m_Screens.GetDefaultTexture("ScrollButLeft", file));
    EXPECT_EQ(file, m_World.m_Red);
    EXPECT_FALSE(m_Screens.GetDefaultTexture("Empty", file));
    std::filesystem::remove(m_Folder / "Screens" / "screens.slt");
    EXPECT_FALSE(m_Screens.LoadScreens());
    EXPECT_NE(log.Text().find("ScreensList == NULL"), std::string::npos);
}

TEST_F(Screens, StartSequenceShowsItsFirstDialogAndLeavesNothingBehind) {
    CDX9KelRender render;
    render.m_pD3DDevice = m_World.m_Device.m_pDevice;
    m_Screens.m_pRender = &render;
    std::vector<DWORD> centre;
    m_Screens.m_StartFrameShown = [&](int) {
        const auto px = m_World.m_Device.Pixels();
        centre.push_back(m_World.m_Device.At(px, 160, 120) & 0xFFFFFFu);
    };
    Write("start.xml", "<Screen><Dialogs><Start>" + Borders(0, 0, 100, 100) + "<Controls><Image>" +
                           Borders(0, 0, 100, 100) + "<Texture>" + m_World.m_Red +
                           "</Texture></Image><Text>" + Borders(40, 0, 60, 100) +
                           "<Font>Normal</Font><Text>Loading</Text></Text><Image>" + Borders(0, 0, 100, 100) +
                           "<Texture>" + m_World.m_Blue + "</Texture></Image></Controls></Start><Second>" +
                           Borders(0, 0, 10, 10) + "</Second></Dialogs><Modules><Logo/></Modules></Screen>");
    LogCapture log(m_Folder);
    ASSERT_TRUE(m_Screens.LoadDefaults());
    const std::size_t dialogs = Gui().m_Dialogs.size();
    EXPECT_TRUE(m_Screens.ProcStartDialog());
    EXPECT_EQ(m_Waits, (std::vector<DWORD>{5000, 5000}));
    ASSERT_EQ(centre.size(), 3u);
    EXPECT_EQ(centre[0], 0xFF0000u);
    EXPECT_EQ(centre[2], 0x0000FFu);
    EXPECT_EQ(Gui().m_Dialogs.size(), dialogs);
    EXPECT_NE(log.Text().find("modules of start.xml are left out"), std::string::npos);
    Write("start.xml", "<Screen/>");
    EXPECT_FALSE(m_Screens.ProcStartDialog());
    EXPECT_NE(log.Text().find("StartDialog == NULL"), std::string::npos);
    render.m_pD3DDevice = nullptr;
}

} // namespace
} // namespace GuiTest
