#pragma once
// The campaign's screens on the offscreen device: a logo, a menu with the
// scenario start, a load-game dialog, the scenario screen and a map screen,
// with the campaign's module manager, a scenario file of three maps and a
// map that records what it is asked. Frames run in the game scene's order:
// the scenario's loading step, the modules, then the GUI and the screens.
#include "../save/FakeMapLink.h"
#include "../save/SaveTestSupport.h"
#include "engine2/ui/gui/GuiTestSupport.h"

#include "campaign/shell/CCIIModuleManager.h"
#include "campaign/shell/CDX9KelGameScenario.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

namespace CampaignScreensTest {

using namespace GuiTest;
using CampaignSaveTest::FakeMapLink;
using VornaCampaign::CDX9KelGameScenario;

inline std::string Borders(int t, int l, int b, int r) {
    return "<Borders><t>" + std::to_string(t) + "</t><l>" + std::to_string(l) + "</l><b>" + std::to_string(b) +
           "</b><r>" + std::to_string(r) + "</r></Borders>";
}
inline std::string TextAt(int t, int l, int b, int r, const std::string& text) {
    return "<Text>" + Borders(t, l, b, r) + "<Font>Normal</Font><Text>" + text + "</Text></Text>";
}
inline std::string ButtonAt(int t, int l, int b, int r, const std::string& text, const std::string& action = "") {
    return "<Button>" + Borders(t, l, b, r) + "<Font>Line</Font><Texture>Default</Texture><Text>" + text + "</Text>" +
           action + "</Button>";
}

class CampaignScreens : public ::testing::Test {
protected:
    void SetUp() override {
        m_Folder = VornaTest::FreshFolder();
        if (!m_World.Create(m_Folder)) GTEST_SKIP() << "no GL context";
        g_Log.Reset();
        g_Log.SetCopyStream(nullptr);
        g_Log.Open((m_Folder / "VornaLog.log").string());
        Vorna2::g_Input.Reset();
        VornaCampaign::CCIIModuleLogo::s_dwPressStamp = 0;
        m_Screens.Init(&Gui(), nullptr, &m_Modules);
        m_Screens.m_strScreenFolder = FromExe(m_Folder / "Screens") + "/";
        m_Screens.m_StartWait = [](DWORD) {};
        WriteScreens();
        WriteScenario("demo.xml", 3, 3);
        BindScenario(VornaCampaign::g_GameScenario);
        VornaCampaign::g_GameSaver.SetDocumentsFolder((m_Folder / "docs").string());
        VornaCampaign::g_GameSaver.SetScenario(&VornaCampaign::g_GameScenario);
        VornaCampaign::g_GameSaver.SetSaveObjects(&m_Map);
    }
    void TearDown() override {
        m_Modules.Release();
        g_Log.Reset();
    }

    CDX9KelGUIManager& Gui() { return m_World.m_Gui; }
    void Write(const std::string& name, const std::string& text) {
        VornaTest::WriteText(m_Folder / "Screens" / name, text);
    }
    // A scenario of `maps` maps ("first_map.map", "map_2.map", ...) with
    // `images` loading pictures.
    void WriteScenario(const std::string& file, int maps, int images, int playerSide = 1) {
        std::string m, i;
        for (int k = 0; k < maps; ++k) m += k == 0 ? "<first_map.map/>" : "<map_" + std::to_string(k + 1) + ".map/>";
        for (int k = 0; k < images; ++k) i += "<Image>" + std::string(k % 2 ? "red.bmp" : "blue.bmp") + "</Image>";
        VornaTest::WriteText(m_Folder / file,
                             "<?xml version=\"1.0\" ?>\n<Scenario><ScenarioName>Demo campaign</ScenarioName>"
                             "<PlayerSideName>North</PlayerSideName><AISideName>South</AISideName>"
                             "<PlayerSide>" + std::to_string(playerSide) + "</PlayerSide>"
                             "<PlayerMaxScore>200</PlayerMaxScore><AIMaxScore>400</AIMaxScore>"
                             "<Maps><!-- play order -->" + m + "</Maps><Images>" + i + "</Images>"
                             "<PlayerMobileUnits><Dauntless/><Iron_Duke/></PlayerMobileUnits>"
                             "<AIMobileUnits><Raider/></AIMobileUnits></Scenario>");
    }
    void BindScenario(CDX9KelGameScenario& scenario) {
        scenario.m_strFolder = FromExe(m_Folder) + "/";
        scenario.m_strImageFolder = FromExe(m_Folder) + "/";
        scenario.SetGameMap(&m_Map);
        scenario.SetGameSaver(&VornaCampaign::g_GameSaver);
    }
    void WriteScreens() {
        const std::string w = m_World.m_White, r = m_World.m_Red, b = m_World.m_Blue;
        const std::string font = FromExe(m_Folder / "font.xml");
        const std::string kWhite = "<Color><a>255</a><r>255</r><g>255</g><b>255</b></Color>";
        Write("defaults.xml",
              "<Main><Fonts><Normal><File>" + font + "</File><Format>1</Format>" + kWhite + "</Normal><Line><File>" +
                  font + "</File><Format>0</Format>" + kWhite + "</Line></Fonts><Textures><DialogBackground>" + w +
                  "</DialogBackground><Button>" + w + "</Button><ScrollBar>" + r + "</ScrollBar><ScrollTrack>" + w +
                  "</ScrollTrack><ScrollButUp>" + b + "</ScrollButUp><ScrollButDown>" + b +
                  "</ScrollButDown><ListBoxSel>" + b + "</ListBoxSel></Textures><Effects><Gui>Effects\\gui.fx</Gui></Effects></Main>");
        Write("logo.xml", "<Screen><Dialogs><Logo>" + Borders(0, 0, 100, 100) + "<Background>Default</Background>"
                          "</Logo></Dialogs><Modules><Logo><Next>menu.xml</Next><Time>3000</Time></Logo>"
                          "<Unknown/></Modules></Screen>");
        // The menu has no background: the start button's image, caption
        // and the button are its controls 0 to 2.
        Write("menu.xml", "<Screen><Dialogs><Main>" + Borders(0, 0, 100, 100) + "<Controls>" +
                          ButtonAt(20, 30, 30, 70, "Start") + TextAt(0, 0, 10, 100, "Campaign") +
                          ButtonAt(40, 30, 50, 70, "Load", "<Action><Type>0</Type><Objects>load.xml</Objects></Action>") +
                          "</Controls></Main></Dialogs><Modules><Scenario><File>demo.xml</File><Dialog>Main</Dialog>"
                          "</Scenario></Modules></Screen>");
        // The load dialog: the background (0), the list's nine parts and
        // the list (10), the load button's image, caption and the button
        // (13), the four header texts, then a title and labels.
        std::string load = "<ListBox>" + Borders(10, 15, 60, 95) +
                           "<TextureSelBar>Default</TextureSelBar><TextureBar>Default</TextureBar>"
                           "<TextureTrack>Default</TextureTrack><Font>Line</Font></ListBox>";
        load += ButtonAt(72, 30, 80, 70, "Load game");
        for (int i = 0; i < 4; ++i) load += TextAt(82 + 4 * i, 0, 86 + 4 * i, 100, "");
        load += TextAt(0, 0, 8, 100, "Load");
        for (int i = 0; i < 8; ++i) load += TextAt(10 + 2 * i, 0, 12 + 2 * i, 10, "-");
        Write("load.xml", "<Screen><Dialogs><Load>" + Borders(0, 0, 100, 100) + "<Background>Default</Background>"
                          "<Controls>" + load + "</Controls></Load></Dialogs><Modules><LoadGame>Load</LoadGame>"
                          "</Modules></Screen>");
        Write("scenario.xml",
              "<Screen><Dialogs><Loading>" + Borders(0, 0, 100, 100) + "<Background>Default</Background><Controls>" +
                  "<Button>" + Borders(80, 35, 90, 65) + "<Texture>Default</Texture></Button>" +
                  TextAt(80, 35, 90, 65, "Loading") +
                  "</Controls></Loading><End>" + Borders(0, 0, 100, 100) +
                  "<Background>Default</Background><Visible>0</Visible><Controls>" + TextAt(40, 0, 50, 50, "") +
                  TextAt(40, 50, 50, 100, "") + TextAt(20, 0, 30, 100, "Result") + "</Controls></End></Dialogs></Screen>");
        Write("map.xml", "<Screen><Dialogs><Map>" + Borders(0, 0, 100, 100) + "</Map></Dialogs></Screen>");
        Write("screens.slt", "logo.xml\nmenu.xml\nload.xml\nscenario.xml\nmap.xml\n");
    }
    bool LoadScreens(CDX9KelGameScenario& scenario) {
        if (!m_Screens.LoadScreens()) return false;
        return scenario.SetScenarioScreen(m_Screens.GetScreen("scenario.xml"), &m_Screens);
    }
    // One frame as the game scene runs it.
    void Frame(LONG x, LONG y, bool down, DWORD ms = 20, CDX9KelGameScenario* scenario = nullptr) {
        (scenario ? *scenario : VornaCampaign::g_GameScenario).ProcLoading();
        Vorna2::g_Input.m_bLeftHeld = down ? 1 : 0;
        m_Modules.Proc();
        Gui().SetCursorOverride({x, y});
        Gui().m_bLeftButton = down;
        Gui().Update();
        m_Screens.Update();
        Gui().RenderDrawList();
        m_World.m_Clock.Advance(ms);
    }
    void Idle(int frames, CDX9KelGameScenario* scenario = nullptr) {
        for (int i = 0; i < frames; ++i) Frame(-100, -100, false, 20, scenario);
    }
    // Centre of a control in client pixels.
    static POINT Centre(const Vorna2::CDX9KelGUIControl* c) {
        return {(c->m_Rect.left + c->m_Rect.right) / 2, (c->m_Rect.top + c->m_Rect.bottom) / 2};
    }
    // Hover, press for two frames, release.
    void Click(const Vorna2::CDX9KelGUIControl* c, CDX9KelGameScenario* scenario = nullptr) {
        const POINT p = Centre(c);
        Frame(p.x, p.y, false, 20, scenario);
        Frame(p.x, p.y, true, 20, scenario);
        Frame(p.x, p.y, true, 20, scenario);
        Frame(p.x, p.y, false, 400, scenario);
    }
    std::string ActiveScreen() const {
        const auto* s = m_Screens.GetScreenById(m_Screens.m_iActiveScreen);
        return s ? s->m_strName : "";
    }
    std::string Log() const { return VornaTest::ReadText(m_Folder / "VornaLog.log"); }
    static std::string Text(const Vorna2::CDX9KelGUIText* t) {
        std::string s;
        if (t) t->GetText(&s);
        return s;
    }

    std::filesystem::path m_Folder;
    GuiWorld m_World;
    CDX9KelCIIScreenManager m_Screens;
    VornaCampaign::CCIIModuleManager m_Modules;
    FakeMapLink m_Map;
};

} // namespace CampaignScreensTest
