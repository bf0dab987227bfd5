// The map screen read from a screen file written here: every dialog and
// control found by name, position and kind; faults refused with their line;
// dialogs the file lacks left unbound; the panels filled from unit values.
#include <tinyxml.h>

#include "campaign/map/CDX9KelMapScreen.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/gui/GuiTestSupport.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <map>

using namespace VornaCampaign;
using namespace GuiTest;

namespace {

std::string Borders(double t, double l, double b, double r) {
    auto s = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", v);
        return std::string(buf);
    };
    return "<Borders><t>" + s(t) + "</t><l>" + s(l) + "</l><b>" + s(b) + "</b><r>" + s(r) + "</r></Borders>";
}

// The picture file of the images (a white texture of the test world).
std::string g_ImageFile;
std::string Img(int i = 0) { return "<Image>" + Borders(0, i, 5, i + 1) + "<Texture>" + g_ImageFile + "</Texture></Image>"; }
std::string Txt(int i = 0) { return "<Text>" + Borders(10, i, 15, i + 1) + "<Font>Normal</Font><Text>t</Text></Text>"; }
std::string Btn(int i = 0) {
    return "<Button>" + Borders(20, i % 90, 25, i % 90 + 1) + "<Font>Normal</Font><Texture>Default</Texture></Button>";
}
std::string Bar(double length) {
    return "<ScrollBar>" + Borders(30, 0, 35, length) +
           "<TextureBar>Default</TextureBar><TextureTrack>Default</TextureTrack><Vertical>0</Vertical></ScrollBar>";
}
std::string State() { return "<StateBar>" + Borders(40, 0, 45, 20) + "<Texture>Default</Texture></StateBar>"; }
std::string Radio(int buttons) {
    std::string s = "<RadioList>" + Borders(50, 0, 55, 50) + "<OneButtonAlwaysDown>0</OneButtonAlwaysDown>";
    for (int i = 0; i < buttons; ++i)
        s += "<CheckButton>" + Borders(50, i * 5, 55, i * 5 + 4) + "<Texture>Default</Texture></CheckButton>";
    return s + "</RadioList>";
}
std::string List() {
    return "<ListBox>" + Borders(60, 0, 80, 50) +
           "<TextureSelBar>Default</TextureSelBar><TextureBar>Default</TextureBar><TextureTrack>Default</TextureTrack>"
           "<Font>Normal</Font></ListBox>";
}
std::string Edit() { return "<EditBox>" + Borders(85, 0, 90, 50) + "<Font>Normal</Font></EditBox>"; }

std::vector<std::string> Repeat(const std::string& what, int n) { return std::vector<std::string>(n, what); }
std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The nineteen dialogs of the map screen in their order, each with the
// controls the game map binds.
std::vector<std::pair<std::string, std::vector<std::string>>> FullScreen() {
    return {
        {"Movement", {Img(), Bar(10.5), State(), Bar(30), Btn(1), Btn(2), Btn(3), Btn(4)}},
        {"MapControl", {Img(), Txt(), Btn(1), Btn(2), Btn(3)}},
        {"Icons", {Img(), Radio(0)}},
        {"IconsFlags", Repeat(Img(), 10)},
        {"UnitDescription", {Img(), Txt(1), Txt(2)}},
        {"ShipParamRadio", {}},
        {"ShipGuns", Join({{Img(), Img(), Radio(8)}, Repeat(Txt(), 9)})},
        {"ShipParts", Join({{Img()}, Repeat(Img(), 6), Repeat(Txt(), 6)})},
        {"ShipWater", Join({{Img()}, Repeat(Img(), 6), Repeat(Txt(), 6)})},
        {"ShipFire", Join({{Img()}, Repeat(Img(), 6), Repeat(Txt(), 6)})},
        {"MapEnd", {}},
        {"AIActionTime", {}},
        {"FinishMov", {}},
        {"GlobalMap", {}},
        {"GlobalMapControls", Repeat(Btn(), 51)},
        {"MapMenu", {}},
        {"SaveMenu", Join({{Img(), List(), Edit(), Btn()}, Repeat(Txt(), 4)})},
        {"MissionEnd", {Img(), Btn()}},
        {"MissionFailed", {Img(), Btn(), Btn(1)}},
    };
}

std::string ScreenXml(const std::vector<std::pair<std::string, std::vector<std::string>>>& dialogs) {
    std::string xml = "<Screen><Dialogs>";
    for (const auto& [name, controls] : dialogs) {
        xml += "<" + name + ">" + Borders(0, 0, 100, 100) + "<Controls>";
        for (const auto& c : controls) xml += c;
        xml += "</Controls></" + name + ">";
    }
    return xml + "</Dialogs></Screen>";
}

class MapScreenTest : public ::testing::Test {
protected:
    MapScreenTest() : m_World(1000, 600) {}
    void SetUp() override {
        m_Folder = VornaTest::FreshFolder();
        if (!m_World.Create(m_Folder)) GTEST_SKIP() << "no GL context";
        m_Screens.Init(&m_World.m_Gui, nullptr, nullptr);
        m_Screens.m_strScreenFolder = FromExe(m_Folder / "Screens") + "/";
        const std::string w = m_World.m_White;
        g_ImageFile = w;
        VornaTest::WriteText(m_Folder / "Screens" / "defaults.xml",
                             "<Main><Fonts><Normal><File>" + FromExe(m_Folder / "font.xml") +
                                 "</File><Format>0</Format><Color><a>255</a><r>255</r><g>255</g><b>255</b></Color></Normal></Fonts><Textures><DialogBackground>" + w +
                                 "</DialogBackground><Button>" + w + "</Button><ScrollBar>" + w +
                                 "</ScrollBar><ScrollTrack>" + w + "</ScrollTrack><ScrollButLeft>" + w +
                                 "</ScrollButLeft><ScrollButRight>" + w + "</ScrollButRight><ScrollButUp>" + w +
                                 "</ScrollButUp><ScrollButDown>" + w + "</ScrollButDown><ListBoxSel>" + w +
                                 "</ListBoxSel><StateBar>" + w + "</StateBar><Image>" + w +
                                 "</Image></Textures><Effects><Gui>Effects\\gui.fx</Gui></Effects></Main>");
        ASSERT_TRUE(m_Screens.LoadDefaults());
    }
    // Loads the screen and binds it; the log of the binding in `log`.
    bool Load(const std::vector<std::pair<std::string, std::vector<std::string>>>& dialogs, std::string* log = nullptr) {
        TiXmlDocument doc;
        doc.Parse(ScreenXml(dialogs).c_str());
        EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
        m_pScreen = std::make_unique<CDX9KelCIIScreen>(&m_Screens, "map.xml", 0);
        EXPECT_TRUE(m_pScreen->LoadFromElement(doc.RootElement()));
        LogCapture capture(m_Folder);
        const bool ok = m_MapScreen.Bind(m_pScreen.get(), &m_World.m_Gui);
        if (log) *log = capture.Text();
        return ok;
    }

    std::filesystem::path m_Folder;
    GuiWorld m_World;
    CDX9KelCIIScreenManager m_Screens;
    std::unique_ptr<CDX9KelCIIScreen> m_pScreen;
    CDX9KelMapScreen m_MapScreen;
};

TEST_F(MapScreenTest, EveryDialogAndControlIsFoundByNamePositionAndKind) {
    ASSERT_TRUE(Load(FullScreen()));
    const CDX9KelMapScreen& s = m_MapScreen;
    for (const MapScreenDialog* d :
         {&s.m_Movement, &s.m_MapControl, &s.m_Icons, &s.m_IconsFlags, &s.m_UnitDescription, &s.m_ShipParamRadio,
          &s.m_ShipGuns, &s.m_ShipParts, &s.m_ShipWater, &s.m_ShipFire, &s.m_MapEnd, &s.m_AIActionTime,
          &s.m_FinishMov, &s.m_GlobalMap, &s.m_GlobalMapControls, &s.m_MapMenu, &s.m_SaveMenu, &s.m_MissionEnd,
          &s.m_MissionFailed})
        EXPECT_NE(d->m_pDialog, nullptr);
    // Controls in file order: the go button is the fourth control after the
    // background, the stop button the fifth.
    const CDX9KelGUIDialog* movement = s.m_Movement.m_pDialog;
    EXPECT_EQ(s.m_pGo, movement->m_Controls[static_cast<std::size_t>(movement->GetNextControl(
                           movement->GetNextControl(movement->GetNextControl(movement->GetNextControl(0)))))]
                           .get());
    EXPECT_NE(s.m_pStop, s.m_pGo);
    EXPECT_FALSE(s.m_pStop->m_bVisible) << "the stop button starts hidden";
    EXPECT_TRUE(s.m_pGo->m_bVisible);
    // A rudder bar 105 pixels long asks for the maximum 96 (its length less
    // 10, made even); the bar keeps it within its track and starts in the
    // middle.
    EXPECT_EQ(CDX9KelMapScreen::RudderMaximum(105), 96);
    EXPECT_EQ(CDX9KelMapScreen::RudderMaximum(104), 94);
    EXPECT_EQ(s.m_pRudder->m_Rect.right - s.m_pRudder->m_Rect.left, 105);
    EXPECT_EQ(s.m_pRudder->m_iMaximum, s.m_pRudder->m_iLimit);
    EXPECT_EQ(s.m_pRudder->m_iPosition, s.m_pRudder->m_iMaximum / 2);
    EXPECT_GT(s.m_pSpeed->m_iMaximum, 0);
    EXPECT_EQ(s.m_pGunGroups->m_Buttons.size(), 8u);
    for (auto* t : s.m_pHullGunText) EXPECT_NE(t, nullptr);
    for (auto* f : s.m_pIconFlags) EXPECT_NE(f, nullptr);
    for (auto* b : s.m_pAIMarkers) EXPECT_NE(b, nullptr);
    EXPECT_NE(s.m_pPlayerMarkers[0], s.m_pAIMarkers[0]);
    EXPECT_NE(s.m_pSaveName, nullptr);
    EXPECT_NE(s.m_pClose, nullptr);
}

TEST_F(MapScreenTest, ADialogTheScreenLacksIsAnAbsentFeature) {
    auto dialogs = FullScreen();
    dialogs.erase(dialogs.begin());          // no Movement
    dialogs.erase(dialogs.begin() + 5);      // no ShipGuns
    ASSERT_TRUE(Load(dialogs));
    EXPECT_EQ(m_MapScreen.m_Movement.m_pDialog, nullptr);
    EXPECT_EQ(m_MapScreen.m_pGo, nullptr);
    EXPECT_EQ(m_MapScreen.m_pGunGroups, nullptr);
    EXPECT_NE(m_MapScreen.m_MissionFailed.m_pDialog, nullptr);
    // Operations on missing dialogs do nothing.
    BattleDataBlock ship;
    m_MapScreen.FillShipGuns(&ship);
    EXPECT_EQ(m_MapScreen.GetSelectedGunGroup(), -1);
    m_MapScreen.Show(m_MapScreen.m_Movement);
    EXPECT_FALSE(m_MapScreen.IsVisible(m_MapScreen.m_Movement));
}

TEST_F(MapScreenTest, AWrongOrShortDialogEndsTheBindingWithItsLine) {
    struct Case {
        std::string dialog;
        int control;        // the control replaced (-1: the last one dropped)
        std::string with;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"Movement", 1, Txt(), "Movement Dialog Control 0 is not GUI_CONTROL_TYPE_SCROLLBAR"},
        {"Movement", 2, Txt(), "Movement Dialog Control 1 is not GUI_CONTROL_TYPE_STATEBAR"},
        {"Movement", -1, "", "Movement Dialog ended on Control :6"},
        {"MapControl", 1, Btn(), "Map Control Dialog Control 0 is not GUI_CONTROL_TYPE_TEXT"},
        {"Icons", 1, Txt(), "Icons Dialog Control 0 is not GUI_CONTROL_TYPE_RADIOLIST"},
        {"IconsFlags", 3, Txt(), "Flags Icons Dialog Control 3 is not GUI_CONTROL_TYPE_IMAGE"},
        {"UnitDescription", 1, Btn(), "Unit Description Dialog Control 1 0 is not GUI_CONTROL_TYPE_TEXT"},
        {"ShipGuns", 2, Txt(), "Guns Dialog Control 0 is not GUI_CONTROL_TYPE_RADIOLIST"},
        {"ShipParts", 7, Img(), "ShipParts Dialog Control 6 is not GUI_CONTROL_TYPE_TEXT"},
        {"ShipWater", -1, "", "ShipWater Dialog ended on Control :11"},
        {"ShipFire", 1, Txt(), "ShipFire Dialog Control 0 is not GUI_CONTROL_TYPE_IMAGE"},
        {"GlobalMapControls", 50, Txt(), "Global Map Controls Dialog Control 50 is not GUI_CONTROL_TYPE_BUTTON"},
        {"SaveMenu", 1, Txt(), "Map Screen SaveMenu Dialog Control 0 is not GUI_CONTROL_TYPE_LISTBOX"},
        {"SaveMenu", 2, Txt(), "SaveMenu Dialog Control 1 is not GUI_CONTROL_TYPE_EDITBOX"},
        {"MissionEnd", -1, "", "End Dialog Dialog ended on Control :0"},
        {"MissionFailed", 2, Txt(), "Map Screen Mission Failed Dialog Control 1 is not GUI_CONTROL_TYPE_BUTTON"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog + " " + c.line);
        auto dialogs = FullScreen();
        for (auto& [name, controls] : dialogs) {
            if (name != c.dialog) continue;
            if (c.control < 0)
                controls.pop_back();
            else
                controls[static_cast<std::size_t>(c.control)] = c.with;
        }
        std::string log;
        EXPECT_FALSE(Load(dialogs, &log));
        EXPECT_NE(log.find("Error : CDX9KelGameMap::SetMapScreen : " + c.line + "\n"), std::string::npos) << log;
    }
}

TEST_F(MapScreenTest, NineFlagImagesAreRefusedWithoutALine) {
    auto dialogs = FullScreen();
    dialogs[3].second.pop_back();
    std::string log;
    EXPECT_FALSE(Load(dialogs, &log));
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    EXPECT_EQ(m_MapScreen.m_IconsFlags.m_pDialog, nullptr);
    // Dialogs after the fault stay unbound.
    EXPECT_EQ(m_MapScreen.m_ShipGuns.m_pDialog, nullptr);
    EXPECT_NE(m_MapScreen.m_Icons.m_pDialog, nullptr);
}

GunRecord Gun(const char* name, bool ready, bool canShoot) {
    GunRecord g;
    SetRecordText(g.m_szName, name);
    g.m_bReady = ready ? 1 : 0;
    g.m_bCanShoot = canShoot ? 1 : 0;
    return g;
}

TEST_F(MapScreenTest, GunGroupsShowReadyFiredAndMissingGuns) {
    ASSERT_TRUE(Load(FullScreen()));
    BattleDataBlock ship;
    ship.m_iGunpowder = 240;
    ship.m_stdvMGTowers.resize(1);
    ship.m_stdvMGTowers[0].m_stdvGuns = {Gun("Turret", true, true), Gun("Turret", true, true)};
    ship.m_stdvDesignParts.resize(6);
    ship.m_stdvDesignParts[0].m_stdvGuns = {Gun("Bow gun", true, true)};
    ship.m_stdvDesignParts[1].m_stdvGuns = {Gun("Broadside", false, true)};
    ship.m_stdvDesignParts[2].m_stdvGuns = {Gun("Stern gun", true, false)};
    m_MapScreen.FillShipGuns(&ship);
    auto button = [&](int g) { return m_MapScreen.m_pGunGroups->m_Buttons[static_cast<std::size_t>(g)]; };
    EXPECT_EQ(m_MapScreen.m_pTowerText[0]->m_strText, "Turret 2/2");
    EXPECT_EQ(CDX9KelMapScreen::GetButtonColour(button(0)), MapColour::kGreen);
    EXPECT_EQ(button(0)->m_iRequested, Vorna2::ButtonNormal);
    EXPECT_EQ(m_MapScreen.m_pHullGunText[0]->m_strText, "Bow gun 1/1");
    EXPECT_EQ(m_MapScreen.m_pHullGunText[1]->m_strText, "Broadside 0/1");
    EXPECT_EQ(CDX9KelMapScreen::GetButtonColour(button(3)), MapColour::kPink);
    EXPECT_EQ(button(3)->m_iState, Vorna2::ButtonDisabled);
    // A gun that cannot shoot and a missing tower: grey, text hidden.
    EXPECT_EQ(CDX9KelMapScreen::GetButtonColour(button(4)), MapColour::kGrey);
    EXPECT_FALSE(m_MapScreen.m_pHullGunText[2]->m_bVisible);
    EXPECT_EQ(CDX9KelMapScreen::GetButtonColour(button(1)), MapColour::kGrey);
    EXPECT_EQ(m_MapScreen.m_pGunpowderText->m_strText, "240");
}

TEST_F(MapScreenTest, HullPanelsAndHintsUseTheirScales) {
    ASSERT_TRUE(Load(FullScreen()));
    BattleDataBlock ship;
    ship.m_stdvDesignParts.resize(6);
    for (auto& p : ship.m_stdvDesignParts) p.m_fDurability = p.m_fBuoyancy = 100.0f;
    ship.m_stdvDesignParts[0].m_fDamage = 41.0f;  // condition 59
    ship.m_stdvDesignParts[1].m_fDamage = 250.0f; // shown at most 100 %
    ship.m_stdvDesignParts[2].m_fDurability = 0.0f;
    ship.m_stdvDesignParts[3].m_fWaterWeight = 25.0f;
    ship.m_stdvDesignParts[4].m_fFireStrength = 90.0f;
    EXPECT_TRUE(m_MapScreen.FillShipParts(&ship));
    EXPECT_TRUE(m_MapScreen.FillShipWater(&ship));
    EXPECT_TRUE(m_MapScreen.FillShipFire(&ship));
    EXPECT_EQ(m_MapScreen.m_pPartTexts[0]->m_strText, "41%");
    EXPECT_EQ(m_MapScreen.m_pPartImages[0]->m_dwSavedColour, MapColour::kOrange);
    EXPECT_EQ(m_MapScreen.m_pPartTexts[1]->m_strText, "100%");
    EXPECT_EQ(m_MapScreen.m_pPartImages[1]->m_dwSavedColour, MapColour::kRed);
    EXPECT_EQ(m_MapScreen.m_pPartTexts[2]->m_strText, "0%") << "no durability divides nothing";
    EXPECT_EQ(m_MapScreen.m_pWaterTexts[3]->m_strText, "25%");
    EXPECT_EQ(m_MapScreen.m_pWaterImages[3]->m_dwSavedColour, 0xff82a0ffu);
    EXPECT_EQ(m_MapScreen.m_pWaterImages[0]->m_dwSavedColour, MapColour::kGrey);
    EXPECT_EQ(m_MapScreen.m_pFireImages[4]->m_dwSavedColour, 0xffff3c00u);
    ship.m_stdvDesignParts.pop_back();
    EXPECT_FALSE(m_MapScreen.FillShipParts(&ship));

    const std::map<int, std::pair<int, DWORD>> grades = {
        {100, {0, MapColour::kGreen}}, {99, {1, MapColour::kGreen}}, {90, {1, MapColour::kGreen}},
        {89, {2, MapColour::kYellow}}, {60, {2, MapColour::kYellow}}, {59, {3, MapColour::kOrange2}},
        {30, {3, MapColour::kOrange2}}, {29, {4, MapColour::kRed}}, {-5, {4, MapColour::kRed}}};
    for (const auto& [c, expect] : grades) {
        EXPECT_TRUE(m_MapScreen.ShowUnitHint({100, 50}, "Vega", MapColour::kGreen, c));
        EXPECT_EQ(m_MapScreen.m_pUnitCondition->m_strText, m_MapScreen.m_sDamage[expect.first]) << c;
        EXPECT_EQ(CDX9KelMapScreen::DamageGradeColour(CDX9KelMapScreen::DamageGrade(c)), expect.second) << c;
    }
    EXPECT_EQ(m_MapScreen.m_UnitDescription.m_pDialog->m_Rect.top, 82);
    EXPECT_TRUE(m_MapScreen.IsVisible(m_MapScreen.m_UnitDescription));
    EXPECT_TRUE(m_MapScreen.ShowTargetInfo({0, 0}, "Orion", 37));
    EXPECT_EQ(m_MapScreen.m_pUnitCondition->m_strText, "Accuracy: 37%");
}

TEST_F(MapScreenTest, TurnTextAndIconFlags) {
    ASSERT_TRUE(Load(FullScreen()));
    m_MapScreen.SetTurnText(3, 8);
    EXPECT_EQ(m_MapScreen.m_pTurnText->m_strText, "3/8");
    m_MapScreen.SetIconFlags({ICON_FLAG_CAN_MOVE, ICON_FLAG_MOVED, ICON_FLAG_STRANDED, ICON_FLAG_HIDDEN});
    EXPECT_TRUE(m_MapScreen.m_pIconFlags[0]->m_bVisible);
    EXPECT_EQ(m_MapScreen.m_pIconFlags[0]->m_dwSavedColour, MapColour::kGreen);
    EXPECT_EQ(m_MapScreen.m_pIconFlags[1]->m_dwSavedColour, MapColour::kPink);
    EXPECT_EQ(m_MapScreen.m_pIconFlags[2]->m_dwSavedColour, MapColour::kGrey);
    EXPECT_FALSE(m_MapScreen.m_pIconFlags[3]->m_bVisible);
    EXPECT_FALSE(m_MapScreen.m_pIconFlags[9]->m_bVisible);
}

} // namespace
