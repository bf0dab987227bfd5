// Input at five frames a second, through the window's events as the X server
// sends them: short arrow presses each move the speed or the rudder one
// step, quick clicks on the speed items each choose their item, and a word
// typed at 30 ms a key reaches the save name whole and in order.
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "platform/os/Paths.h"
#include "platform/window/DirectInputCodes.h"
#include "platform/window/Window.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CCIIModuleManager.h"
#include "seabattle/shell/CCIIModuleSaves.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace SeaBattle;
using namespace Vorna3D;
using Human = CVR3GAMEBattleMapPlayerDirectorHuman;

namespace {

constexpr DWORD kFrameMs = 200; // five frames a second

// Events at their times (ms from the start), delivered as the X server would
// while the program works on its slow frames: whatever came before a frame
// starts is waiting for it.
class Timeline {
public:
    void At(int ms, std::function<void()> event) { m_events.push_back({ms, std::move(event)}); }
    void KeyPress(HWND h, BYTE dik, int from, int forMs) {
        At(from, [h, dik] { Platform::InjectKey(h, dik, true); });
        At(from + forMs, [h, dik] { Platform::InjectKey(h, dik, false); });
    }
    // A key typed as the keyboard sends it: its press, its character, its
    // release 15 ms later.
    void Type(HWND h, BYTE dik, char c, int at) {
        At(at, [h, dik] { Platform::InjectKey(h, dik, true); });
        At(at, [h, c] { Platform::InjectText(h, std::string(1, c).c_str()); });
        At(at + 15, [h, dik] { Platform::InjectKey(h, dik, false); });
    }
    // A quick click as a hand makes it: the pointer comes to rest on the
    // spot, 300 ms later the button goes down for 50 ms.
    void Click(HWND h, int x, int y, int at) {
        At(at, [h, x, y] { Platform::InjectMouseMove(h, x, y); });
        At(at + 300, [h, x, y] { Platform::InjectMouseButton(h, 0, true, x, y); });
        At(at + 350, [h, x, y] { Platform::InjectMouseButton(h, 0, false, x, y); });
    }
    // Runs frames until `untilMs`, calling `after` after each frame with its
    // start time.
    void Run(VornaTest::GameSession& session, int untilMs, const std::function<void(int)>& after = nullptr) {
        std::stable_sort(m_events.begin(), m_events.end(), [](const Timed& a, const Timed& b) { return a.ms < b.ms; });
        size_t next = 0;
        for (; m_now <= untilMs; m_now += static_cast<int>(kFrameMs)) {
            while (next < m_events.size() && m_events[next].ms < m_now) m_events[next++].event();
            session.Frame(false);
            if (after) after(m_now);
        }
        m_events.clear();
    }

private:
    struct Timed {
        int ms;
        std::function<void()> event;
    };
    std::vector<Timed> m_events;
    int m_now = 0;
};

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class SlowFramesInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "engine.ini", m_dir / "engine.ini");
        VornaTest::GameSession::Options options;
        options.dataFolder = m_dir.string() + "/";
        options.stepMs = kFrameMs;
        ASSERT_TRUE(m_session.Start(options));
    }
    void TearDown() override {
        if (CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap()) map->Clear();
        CVR3GAMEBattleLog::Get().Clear();
        m_session.Stop();
    }
    // The demo battle under the player's HUD, with nothing but the test
    // changing it.
    Human* StartBattle() {
        CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap();
        if (!map) return nullptr;
        m_io.m_pScene = m_session.Scene();
        m_io.m_pBattleMap = map;
        const std::string bin = std::string(VORNA_BIN_DIR) + "/";
        m_io.InitFrom(bin + "folders.ini", Platform::ProgramFolder(), m_session.DataFolder());
        map->m_pBattleScreen = m_session.Screens()->FindScreen("battle_game");
        if (!map->m_pBattleScreen || !m_io.LoadBattleArtilleryList("demo_guns.artlstxml") ||
            !m_io.LoadBattleMapFromFile("demo_human.btlmapxml", false, nullptr))
            return nullptr;
        Human* hud = nullptr;
        for (CVR3GAMEBattleMapPlayerDirector* d : map->GetDirectors())
            if (auto* h = dynamic_cast<Human*>(d)) hud = h;
        if (!hud || !CVR3GAMEManager::Get().StartBattle("battle_game") || !map->InitDirectorsBehaviours())
            return nullptr;
        if (hud->m_pCurrentBehaviour) hud->m_pCurrentBehaviour->m_bWithdrawalEnabled = false;
        m_session.Frames(3, false);
        return hud;
    }

    VornaTest::GameSession m_session;
    fs::path m_dir;
    CVR3GAMEIO m_io;
};

TEST_F(SlowFramesInput, EveryShortArrowPressMovesItsControlOnce) {
    Human* hud = StartBattle();
    ASSERT_NE(hud, nullptr);
    ASSERT_NE(hud->m_pMovSpeedCheck, nullptr);
    ASSERT_NE(hud->m_pRuleBar, nullptr);
    const HWND w = m_session.Window();
    // One press a second, 20 to 120 ms long, some inside a frame and some
    // across a frame's start.
    struct Press {
        BYTE key;
        int offset, length;
        int speedStep, rudderStep;
    };
    const std::vector<Press> presses = {
        {DIK_UP, 10, 20, +1, 0},     {DIK_UP, 150, 120, +1, 0},   {DIK_DOWN, 90, 60, -1, 0},
        {DIK_RIGHT, 190, 40, 0, +1}, {DIK_RIGHT, 30, 100, 0, +1}, {DIK_LEFT, 100, 80, 0, -1},
        {DIK_UP, 180, 100, +1, 0},   {DIK_DOWN, 5, 120, -1, 0},   {DIK_LEFT, 120, 30, 0, -1},
    };
    Timeline t;
    for (size_t i = 0; i < presses.size(); ++i)
        t.KeyPress(w, presses[i].key, 1000 * static_cast<int>(i) + presses[i].offset, presses[i].length);
    std::vector<int> speeds, rudders, expectedSpeeds, expectedRudders;
    int speed = hud->m_pMovSpeedCheck->GetSelected(), rudder = hud->m_pRuleBar->GetPosition();
    for (const Press& p : presses) {
        expectedSpeeds.push_back(speed += p.speedStep);
        expectedRudders.push_back(rudder += p.rudderStep);
    }
    // What the controls show at the end of each second.
    t.Run(m_session, 1000 * static_cast<int>(presses.size()) - 1, [&](int ms) {
        if (ms % 1000 != 800) return;
        speeds.push_back(hud->m_pMovSpeedCheck->GetSelected());
        rudders.push_back(hud->m_pRuleBar->GetPosition());
    });
    EXPECT_EQ(speeds, expectedSpeeds);
    EXPECT_EQ(rudders, expectedRudders);
}

TEST_F(SlowFramesInput, EveryQuickClickOnASpeedItemTakes) {
    Human* hud = StartBattle();
    ASSERT_NE(hud, nullptr);
    CDX9KelSGUIControlRadioList* speeds = hud->m_pMovSpeedCheck;
    ASSERT_NE(speeds, nullptr);
    ASSERT_GE(speeds->m_vItems.size(), 8u);
    const HWND w = m_session.Window();
    // Clicks of 50 ms, 700 ms apart, each on another item, some inside a
    // frame and some across a frame's start.
    const std::vector<int> items = {2, 6, 3, 7, 1, 5};
    Timeline t;
    for (size_t i = 0; i < items.size(); ++i) {
        const POINT c = Centre(speeds->m_vItems[static_cast<size_t>(items[i])]->GetRect());
        t.Click(w, c.x, c.y, 700 * static_cast<int>(i) + 130 + 40 * static_cast<int>(i % 2));
    }
    std::vector<int> chosen;
    t.Run(m_session, 700 * static_cast<int>(items.size()) + 400, [&](int) {
        if (chosen.empty() || chosen.back() != speeds->GetSelected()) chosen.push_back(speeds->GetSelected());
    });
    ASSERT_FALSE(chosen.empty());
    chosen.erase(chosen.begin()); // the item chosen before the first click
    EXPECT_EQ(chosen, items);
}

TEST_F(SlowFramesInput, AWordTypedAtThirtyMillisecondsAKeyArrivesWholeAndInOrder) {
    CCIIModuleManager* modules = m_session.Scene()->GetModuleManager();
    CCIIModuleGameSave* save = nullptr;
    for (size_t i = 0; modules && i < modules->GetModuleCount(); ++i)
        if (auto* m = dynamic_cast<CCIIModuleGameSave*>(modules->GetModule(i)))
            if (m->GetScreen() && m->GetScreen()->GetName() == "save_game") save = m;
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(m_session.Screens()->SetScreen("save_game"));
    m_session.Frames(2, false);
    ASSERT_NE(save->m_pEditBox, nullptr);
    save->m_pEditBox->SetText("");
    const HWND w = m_session.Window();
    Timeline t;
    const POINT c = Centre(save->m_pEditBox->GetRect());
    t.Click(w, c.x, c.y, 50);
    const std::string word = "convoy";
    const BYTE keys[] = {DIK_C, DIK_O, DIK_N, DIK_V, DIK_O, DIK_Y};
    for (size_t i = 0; i < word.size(); ++i) t.Type(w, keys[i], word[i], 400 + 30 * static_cast<int>(i));
    t.Run(m_session, 1400);
    EXPECT_EQ(save->m_pEditBox->GetText(), word);
}

} // namespace
