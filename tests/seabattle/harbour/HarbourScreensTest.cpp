// The human harbour director on the harbour screens, in the game: every
// dialog and control of the demo screens bound by name and kind, missing
// ones left absent without harm, and the screens' rules at their edges (the
// shop's locks, "Buy" at exactly the price, a type's names running out, the
// column caps and an empty set of columns going nowhere).
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

namespace fs = std::filesystem;
using namespace SeaBattle;
using Human = CVR3GAMEHarbourMapPlayerDirectorHuman;
using Vorna3D::SGUI_BUTTON_LOCKED;
using Vorna3D::SGUI_BUTTON_NORMAL;
using Vorna3D::SGUI_BUTTON_PRESSED;

namespace {

class HarbourScreens : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "engine.ini", m_dir / "engine.ini");
        VornaTest::GameSession::Options options;
        options.dataFolder = m_dir.string() + "/";
        options.stepMs = 20;
        ASSERT_TRUE(m_session.Start(options));
    }
    void TearDown() override {
        CVR3GAMEManager::Get().GetHarbourMap()->Clear();
        m_session.Stop();
    }
    // The demo scenario begun and its first harbour shown.
    Human* BeginHarbour() {
        CVR3GAMEManager& manager = CVR3GAMEManager::Get();
        if (!manager.BeginScenarioFromFile("demo_scenario.scnrxml")) return nullptr;
        for (int i = 0; i < 50 && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
            m_session.Frame(false);
        if (m_session.CurrentScreen() != "harbour_game") return nullptr;
        return dynamic_cast<Human*>(manager.GetHarbourMap()->GetDirector("Blue Squadron"));
    }
    // A press of the button seen by the next frame's director work, as the
    // screen gives it: the state is "pressed" for two frames.
    void Press(Human* h, Vorna3D::CDX9KelSGUIControlButton* b) {
        ASSERT_NE(b, nullptr);
        for (int i = 0; i < 2; ++i) {
            // A button the director locked takes no more presses.
            if (b->m_dwState == SGUI_BUTTON_LOCKED) break;
            m_session.Clock().Advance(20);
            b->m_dwState = SGUI_BUTTON_PRESSED;
            h->ProcGUI();
        }
        if (b->m_dwState == SGUI_BUTTON_PRESSED) b->m_dwState = SGUI_BUTTON_NORMAL;
        // Past every gate.
        m_session.Clock().Advance(1100);
    }
    fs::path m_dir;
    VornaTest::GameSession m_session;
};

TEST_F(HarbourScreens, EveryDialogAndControlOfTheDemoScreensIsBound) {
    Human h;
    h.m_pScene = m_session.Scene();
    ASSERT_TRUE(h.SetMapScreen(m_session.Screens()->FindScreen("harbour_game")));
    ASSERT_TRUE(h.SetColumnsScreen(m_session.Screens()->FindScreen("harbour_columns")));
    EXPECT_EQ(Vorna3D::g_Log.GetErrorLines().size(), 0u);
    const void* bound[] = {h.m_pDialogMapMenu, h.m_pMenu, h.m_pHelp, h.m_pNext, h.m_pDialogPlayerShips,
                           h.m_pPlayerShipsIcons, h.m_pDialogProperties, h.m_pBuy, h.m_pSell, h.m_pRepair1,
                           h.m_pRepair2, h.m_pCrew[0], h.m_pCrew[1], h.m_pCrew[2], h.m_pDialogShop, h.m_pShopIcons,
                           h.m_pDialogBuy, h.m_pBuyOk, h.m_pBuyCancel, h.m_pDialogSell, h.m_pSellOk, h.m_pSellCancel,
                           h.m_pDialogGratuity, h.m_pGratuitySum, h.m_pGratuityOk, h.m_pDialogLetMission,
                           h.m_pLetMissionOk, h.m_pLetMissionCancel, h.m_pDialogColumnsMenu, h.m_pColumnsHelp,
                           h.m_pColumnsPrev, h.m_pColumnsNext, h.m_pDialogColumnsShips, h.m_pAvailableIcons,
                           h.m_pDialogColumnsWork, h.m_pColumnIcons[0], h.m_pColumnIcons[1], h.m_pColumnIcons[2],
                           h.m_pColumnAdd[0], h.m_pColumnAdd[1], h.m_pColumnAdd[2], h.m_pColumnErase[0],
                           h.m_pColumnErase[1], h.m_pColumnErase[2], h.m_pDialogFight, h.m_pFightOk,
                           h.m_pFightCancel};
    for (size_t i = 0; i < std::size(bound); ++i) EXPECT_NE(bound[i], nullptr) << "slot " << i;
    for (int i = 0; i < Human::kPanelTexts; ++i) EXPECT_NE(h.m_pPanelTexts[i], nullptr) << Human::kPanelTextNames[i];
    // The boxes that ask wait hidden until they are needed.
    for (const Vorna3D::CDX9KelSGUIDialog* d :
         {h.m_pDialogBuy, h.m_pDialogSell, h.m_pDialogGratuity, h.m_pDialogLetMission, h.m_pDialogFight})
        EXPECT_FALSE(d->m_bInitVisible) << d->GetName();
}

TEST_F(HarbourScreens, MissingDialogsAndControlsAreAbsentFeatures) {
    // A harbour screen with two dialogs: the menu has "Next" but its "Menu"
    // is a text, the panel has only "Buy" and "Money".
    const char* xml = R"(<Screen><Dialogs>
        <harbour_game_menu><UniqueName>0</UniqueName><PositionType x="0" y="0" /><Borders l="0" t="0" r="200" b="40" /><Visible>1</Visible><Proc>1</Proc><Controls>
          <Button><Name>Next</Name><BordersLocal l="0" t="0" r="90" b="30" /><ImageTexture>Textures\button.png</ImageTexture><Font>Centered</Font><Text>Next</Text></Button>
          <Text><Name>Menu</Name><BordersLocal l="100" t="0" r="190" b="30" /><Font>Line</Font><Text>Menu</Text></Text>
        </Controls></harbour_game_menu>
        <harbour_game_ship_properties><UniqueName>0</UniqueName><PositionType x="0" y="0" /><Borders l="0" t="50" r="200" b="150" /><Visible>1</Visible><Proc>1</Proc><Controls>
          <Button><Name>Buy</Name><BordersLocal l="0" t="0" r="90" b="30" /><ImageTexture>Textures\button.png</ImageTexture><Font>Centered</Font><Text>Buy</Text></Button>
          <Text><Name>Money</Name><BordersLocal l="0" t="40" r="190" b="60" /><Font>Line</Font><Text>0</Text></Text>
        </Controls></harbour_game_ship_properties>
      </Dialogs></Screen>)";
    TiXmlDocument doc;
    doc.Parse(xml);
    ASSERT_FALSE(doc.Error());
    Vorna3D::CVR3CIIScreen screen;
    ASSERT_TRUE(Vorna3D::CVR3CIIScreen::LoadFromElement(m_session.Screens(), doc.RootElement(), &screen, "partial"));
    Vorna3D::CVR3CIIScreen empty;
    Human h;
    h.m_pScene = m_session.Scene();
    EXPECT_FALSE(h.SetMapScreen(nullptr));
    EXPECT_FALSE(h.SetColumnsScreen(&empty));
    EXPECT_TRUE(h.SetMapScreen(&screen));
    EXPECT_NE(h.m_pNext, nullptr);
    EXPECT_EQ(h.m_pMenu, nullptr); // a text is not a button
    EXPECT_NE(h.m_pBuy, nullptr);
    EXPECT_NE(h.m_pPanelTexts[0], nullptr);
    EXPECT_EQ(h.m_pSell, nullptr);
    EXPECT_EQ(h.m_pDialogShop, nullptr);
    EXPECT_EQ(h.m_pShopIcons, nullptr);
    const std::string errors = VornaTest::ReadText(m_session.LogPath());
    for (const char* line : {"SetColumnsScreen() : screen empty", "SetMapScreen() : LoadDialogShipsTypes() failed",
                             "SetMapScreen() : LoadDialogBuy() failed", "SetMapScreen() : LoadDialogLetMission() failed"})
        EXPECT_NE(errors.find(line), std::string::npos) << line << "\n" << errors;
    // Without a shop list the shop simply has no icons; the frames and a
    // step run, and presses of what is there do nothing harmful.
    EXPECT_TRUE(h.AttachHarbourMap(CVR3GAMEManager::Get().GetHarbourMap()));
    EXPECT_TRUE(h.SetSGUIShipsShop());
    EXPECT_TRUE(h.CreateSGUIPlayerShips());
    Press(&h, h.m_pNext);
    Press(&h, h.m_pBuy);
    EXPECT_EQ(m_session.CurrentScreen(), "main_menu");
}

TEST_F(HarbourScreens, TheShopLocksAndBuyAtExactlyThePrice) {
    Human* h = BeginHarbour();
    ASSERT_NE(h, nullptr);
    ASSERT_NE(h->m_pShopIcons, nullptr);
    ASSERT_EQ(h->m_pShopIcons->m_vItems.size(), 2u);
    // With money equal to the price (5600 t at 9) "Buy" is open; one less locks it.
    h->m_iMoney = 50400;
    ASSERT_TRUE(h->SelectShopShip(0));
    EXPECT_EQ(h->m_pBuy->GetState(), static_cast<DWORD>(SGUI_BUTTON_NORMAL));
    h->m_iMoney = 50399;
    ASSERT_TRUE(h->SelectShopShip(0));
    EXPECT_EQ(h->m_pBuy->GetState(), static_cast<DWORD>(SGUI_BUTTON_LOCKED));
    // A step that sells nothing locks every item, and nothing can be chosen.
    h->m_stdviShipsToBuy[0] = 0;
    EXPECT_TRUE(h->SetSGUIShipsShop());
    for (const auto* item : h->m_pShopIcons->m_vItems)
        EXPECT_EQ(item->GetState(), static_cast<DWORD>(SGUI_BUTTON_LOCKED));
    EXPECT_FALSE(h->SelectShopShip(0));
    // The cruiser's three names: three ships, then its item stays locked.
    h->m_stdviShipsToBuy[0] = 1;
    h->m_iMoney = 1000000;
    const std::string names[] = {"Swift", "Tern", "Gannet"};
    for (const std::string& name : names) {
        ASSERT_TRUE(h->BuyShipType(0)) << name;
        EXPECT_EQ(h->m_pPlayer->m_stdvHarbourShips.back()->m_strName, name);
    }
    EXPECT_FALSE(h->BuyShipType(0));
    EXPECT_EQ(h->m_iMoney, 1000000 - 3 * 50400);
    EXPECT_TRUE(h->SetSGUIShipsShop());
    EXPECT_EQ(h->m_pShopIcons->m_vItems[0]->GetState(), static_cast<DWORD>(SGUI_BUTTON_LOCKED));
    EXPECT_FALSE(h->SelectShopShip(0));
    // Six ships now fill the six berths.
    EXPECT_EQ(h->m_Berths.FreeCount(), 0u);
}

TEST_F(HarbourScreens, ColumnsTakeFiveShipsEachAndEmptyColumnsGoNowhere) {
    Human* h = BeginHarbour();
    ASSERT_NE(h, nullptr);
    h->m_iMoney = 1000000;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(h->BuyShipType(0));
    // Six own ships: the three of the start and three bought.
    ASSERT_EQ(h->m_pPlayer->m_stdvHarbourShips.size(), 6u);
    Press(h, h->m_pNext);
    ASSERT_EQ(m_session.CurrentScreen(), "harbour_columns");
    ASSERT_EQ(h->m_stdvAvailable.size(), 6u);
    // "Next" with three empty columns does nothing.
    Press(h, h->m_pColumnsNext);
    EXPECT_FALSE(h->m_pDialogFight->IsVisible());
    // Five into column 1; its add button then locks and refuses.
    for (int i = 0; i < 5; ++i) Press(h, h->m_pColumnAdd[0]);
    EXPECT_EQ(h->m_stdvColumns[0].size(), 5u);
    EXPECT_EQ(h->m_pColumnAdd[0]->GetState(), static_cast<DWORD>(SGUI_BUTTON_LOCKED));
    EXPECT_EQ(h->m_pColumnAdd[1]->GetState(), static_cast<DWORD>(SGUI_BUTTON_NORMAL));
    h->m_pColumnAdd[0]->m_dwState = SGUI_BUTTON_NORMAL;
    Press(h, h->m_pColumnAdd[0]);
    EXPECT_EQ(h->m_stdvColumns[0].size(), 5u);
    // Column 2 still has room.
    Press(h, h->m_pColumnAdd[1]);
    EXPECT_EQ(h->m_stdvColumns[1].size(), 1u);
    EXPECT_TRUE(h->m_stdvAvailable.empty());
    // A column's ship chosen and erased goes back to the available ships.
    ASSERT_TRUE(h->m_pColumnIcons[0]->SetSelected(2));
    m_session.Clock().Advance(20);
    h->ProcGUI();
    EXPECT_EQ(h->m_iSelectedColumn, 0);
    EXPECT_EQ(h->m_pColumnErase[0]->GetState(), static_cast<DWORD>(SGUI_BUTTON_NORMAL));
    EXPECT_EQ(h->m_pColumnErase[1]->GetState(), static_cast<DWORD>(SGUI_BUTTON_LOCKED));
    Press(h, h->m_pColumnErase[0]);
    EXPECT_EQ(h->m_stdvColumns[0].size(), 4u);
    EXPECT_EQ(h->m_stdvAvailable.size(), 1u);
    // "Prev" goes back to the harbour screen.
    Press(h, h->m_pColumnsPrev);
    EXPECT_EQ(m_session.CurrentScreen(), "harbour_game");
}

TEST_F(HarbourScreens, ALaterStepPaysTheAddedMoneyAndTheRewardInItsBox) {
    Human* h = BeginHarbour();
    ASSERT_NE(h, nullptr);
    ASSERT_FALSE(h->m_pDialogGratuity->IsVisible());
    // The enemy lost ships worth 10000 in the last battle: the reward is a
    // fifth of it (the scenario's bonus factor 0.2).
    h->m_pPlayer->m_iBattleResult = 10000;
    ASSERT_TRUE(h->InitHarbourMap(1));
    EXPECT_EQ(h->m_iMoney, 60000 + 20000 + 2000);
    EXPECT_EQ(h->m_iLastPrice, 2000);
    ASSERT_TRUE(h->m_pDialogGratuity->IsVisible());
    EXPECT_EQ(h->m_pGratuitySum->GetText(), "2000");
    EXPECT_EQ(h->m_pPanelTexts[0]->GetText(), "82000");
    // The same three ships, moored once each; the second step sells the ram too.
    EXPECT_EQ(h->m_Berths.FreeCount(), 3u);
    EXPECT_EQ(h->m_pShopIcons->m_vItems[1]->GetState(), static_cast<DWORD>(SGUI_BUTTON_NORMAL));
    Press(h, h->m_pGratuityOk);
    EXPECT_FALSE(h->m_pDialogGratuity->IsVisible());
    EXPECT_EQ(h->m_pDialogGratuity->GetManager()->m_iExclusiveDialog, -1);
    // Left open when the screen goes, the box gives the input back.
    h->GrantStepMoney();
    ASSERT_TRUE(h->m_pDialogGratuity->IsVisible());
    EXPECT_EQ(h->m_pDialogGratuity->GetManager()->m_iExclusiveDialog, h->m_pDialogGratuity->GetIndex());
    ASSERT_TRUE(m_session.Screens()->SetScreen("loading"));
    EXPECT_EQ(h->m_pDialogGratuity->GetManager()->m_iExclusiveDialog, -1);
    ASSERT_TRUE(m_session.Screens()->SetScreen("harbour_game"));
    // A step past the ships-for-sale list is refused.
    EXPECT_FALSE(h->InitHarbourMap(2));
    EXPECT_NE(VornaTest::ReadText(m_session.LogPath())
                  .find("InitHarbourMap() : ships count to buy list small : 2"),
              std::string::npos);
}

// Money from the scenario file and the battle may be anything a file or a
// save holds: an empty value reads -1, a factor may be huge or not a number.
// None of them takes money, and money never leaves its integer.
TEST_F(HarbourScreens, HostileMoneyValuesNeverTakeMoneyNorLeaveItsRange) {
    Human* h = BeginHarbour();
    ASSERT_NE(h, nullptr);
    CVR3GAMEScenario* s = CVR3GAMEManager::Get().GetScenario();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int32_t money, add, result;
        float factor;
        int32_t gratuity, after;
    } cases[] = {
        {1000, 500, 10000, 0.2f, 2000, 3500},
        {1000, 500, 10000, -1.0f, 0, 1500},        // an empty factor
        {1000, -1, 10000, 0.2f, 2000, 3000},       // an empty added money
        {1000, std::numeric_limits<int32_t>::min(), 10000, 0.2f, 2000, 3000},
        {1000, 0, 10000, std::nanf(""), 0, 1000},
        {1000, 0, 10000, -inf, 0, 1000},
        {1000, 0, 10000, inf, kMax, kMax},
        {1000, 0, -1, 1e30f, kMax, kMax},          // the largest battle result
        {kMax - 10, 500, 10000, 0.2f, 2000, kMax}, // no wrap past the top
        {1000, kMax, 3, 0.5f, 1, kMax},
    };
    for (const auto& c : cases) {
        h->m_iStep = 1;
        h->m_iMoney = c.money;
        h->m_iAddMoney = c.add;
        h->m_pPlayer->m_iBattleResult = c.result;
        s->DestroyEnemyBonusFactor = c.factor;
        h->m_iLastPrice = -12345;
        h->GrantStepMoney();
        EXPECT_EQ(h->m_iLastPrice, c.gratuity) << c.money << " " << c.add << " " << c.result << " " << c.factor;
        EXPECT_EQ(h->m_iMoney, c.after) << c.money << " " << c.add << " " << c.result << " " << c.factor;
    }
}

} // namespace
