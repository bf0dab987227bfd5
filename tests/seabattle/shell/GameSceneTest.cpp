// The game's engine with the game scene on the demo data set, driven headless
// with injected mouse and keys on a manual clock: the demo screens load, the
// menus switch and toggle their dialogs, the quit button posts the quit
// message, the menu music starts on the sound thread, F4 and F5 work, and one
// picture per screen is kept in "<test folder>/Screenshots/screen_<name>.jpg".
#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "seabattle/shell/CEngine.h"
#include "seabattle/shell/CScene.h"
#include "engine3/core/render/CDX9KelBaseCamera.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace Vorna3D;
using namespace SeaBattle;

namespace {

constexpr DWORD kFrameMs = 16;
// More than the screen manager's switch gate.
constexpr DWORD kPastSwitchGate = 600;

class GameSceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }

    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "engine.ini", m_dir / "engine.ini");
        VornaTest::GameSession::Options options;
        options.dataFolder = m_dir.string() + "/";
        options.stepMs = kFrameMs;
        ASSERT_TRUE(m_session.Start(options)) << Log();
        m_pScene = m_session.Scene();
        m_pScreens = m_session.Screens();
        m_hWnd = m_session.Window();
        Frame();
    }
    void TearDown() override { m_session.Stop(); }

    std::string Log() { return VornaTest::ReadText(m_dir / "Vorna3Log.log"); }

    // One pass of the main loop; true when the frame's processing asked for a
    // screenshot.
    bool Frame() {
        const bool shot = m_session.Frame();
        m_bQuit = m_session.QuitRequested();
        m_iQuitCode = m_session.QuitCode();
        return shot;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }

    std::string Current() { return m_session.CurrentScreen(); }
    CDX9KelSGUIDialog* Dialog(const char* screen, const char* dialog) { return m_session.Dialog(screen, dialog); }
    // A left click in the middle of a control of the current screen.
    void Click(const char* dialog, const char* control) {
        CDX9KelSGUIDialog* d = Dialog(Current().c_str(), dialog);
        ASSERT_NE(d, nullptr) << dialog;
        CDX9KelSGUIBaseControl* c = d->FindControl(control);
        ASSERT_NE(c, nullptr) << control;
        const RECT r = c->GetRect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        Platform::InjectMouseMove(m_hWnd, x, y);
        Frames(2);
        Platform::InjectMouseButton(m_hWnd, 0, true, x, y);
        Frames(2);
        Platform::InjectMouseButton(m_hWnd, 0, false, x, y);
        Frames(2);
        // Away from every control, so nothing stays hovered.
        Platform::InjectMouseMove(m_hWnd, 2, 2);
        Frame();
        m_clock.Advance(kPastSwitchGate);
    }
    void PressKey(BYTE dik) {
        Platform::InjectKey(m_hWnd, dik, true);
        Frames(2);
        Platform::InjectKey(m_hWnd, dik, false);
        Frames(2);
    }
    std::vector<std::string> Screenshots(const char* prefix) {
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(m_dir / "Screenshots", ec))
            if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path().filename().string());
        return found;
    }

    VornaTest::GameSession m_session;
    Platform::ManualClock& m_clock = m_session.Clock();
    fs::path m_dir;
    CScene* m_pScene = nullptr;
    CVR3CIIScreenManager* m_pScreens = nullptr;
    HWND m_hWnd = nullptr;
    bool m_bQuit = false;
    int m_iQuitCode = -1;
};

TEST_F(GameSceneTest, StartsOnTheMainMenuWithEveryDemoScreenLoadedAndTheMenuMusicPlaying) {
    const std::string log = Log();
    EXPECT_NE(log.find("CScene::Init() : End\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CVR3CIIScreenManager::LoadScreens() : End\n"), std::string::npos);
    EXPECT_TRUE(g_Log.GetErrorLines().empty()) << log;
    EXPECT_FALSE(m_pScene->m_bDebugKeys);
    EXPECT_FALSE(m_pScene->m_bShowStatistics);

    const char* screens[] = {"main_menu",      "options",      "controls",     "loading",
                             "save_game",      "load_game",    "battle_game",  "battle_menu",
                             "battle_results", "scenario_end", "duel_results", "duel_end",
                             "harbour_game",   "harbour_columns", "duel_menu",  "duel_player_blue",
                             "duel_player_red", "harbour_menu", "save_game_harbour"};
    ASSERT_EQ(m_pScreens->GetScreenCount(), std::size(screens));
    for (size_t i = 0; i < std::size(screens); ++i) EXPECT_EQ(m_pScreens->FindScreenIndex(screens[i]), int(i));
    EXPECT_EQ(Current(), "main_menu");
    ASSERT_NE(Dialog("main_menu", "MainMenuDialog"), nullptr);
    EXPECT_TRUE(Dialog("main_menu", "MainMenuDialog")->IsVisible());
    EXPECT_FALSE(Dialog("main_menu", "HelpDialog")->IsVisible());
    EXPECT_FALSE(Dialog("options", "OptionsDialog")->IsVisible());

    // The sound line of the main menu: its two pieces become the line's list
    // and the first plays, all on the sound thread.
    CVR3SOUNDLine* line = CVR3SOUNDManager::Get().FindSoundLine("MenuMusic");
    ASSERT_NE(line, nullptr);
    bool playing = false;
    for (int i = 0; i < 500 && !playing; ++i) {
        Frame();
        CVR3SOUNDSource* item = line->GetCurrentItem();
        playing = line->GetCurrentCount() == 2 && line->GetCurrentIndex() == 0 && item &&
                  item->m_iState == CVR3SOUNDSource::STATE_PLAYING;
        if (!playing) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(playing) << "count " << line->GetCurrentCount() << " index " << line->GetCurrentIndex();
}

TEST_F(GameSceneTest, ButtonsSwitchScreensToggleDialogsAndQuit) {
    Click("MainMenuDialog", "OptionsButton");
    EXPECT_EQ(Current(), "options");
    EXPECT_TRUE(Dialog("options", "OptionsDialog")->IsVisible());
    EXPECT_FALSE(Dialog("main_menu", "MainMenuDialog")->IsVisible());

    Click("OptionsDialog", "OptionsBackButton");
    EXPECT_EQ(Current(), "main_menu");
    EXPECT_FALSE(Dialog("options", "OptionsDialog")->IsVisible());

    Click("MainMenuDialog", "HelpButton");
    EXPECT_TRUE(Dialog("main_menu", "HelpDialog")->IsVisible());
    Click("MainMenuDialog", "HelpButton");
    EXPECT_FALSE(Dialog("main_menu", "HelpDialog")->IsVisible());

    // The info note shows while its check button is checked.
    Click("MainMenuDialog", "InfoCheck");
    Frames(3);
    EXPECT_TRUE(Dialog("main_menu", "InfoDialog")->IsVisible());
    Click("MainMenuDialog", "InfoCheck");
    Frames(3);
    EXPECT_FALSE(Dialog("main_menu", "InfoDialog")->IsVisible());

    Click("MainMenuDialog", "ControlsButton");
    EXPECT_EQ(Current(), "controls");
    Click("ControlsDialog", "ControlsBackButton");
    EXPECT_EQ(Current(), "main_menu");

    EXPECT_FALSE(m_bQuit);
    Click("MainMenuDialog", "QuitButton");
    EXPECT_TRUE(m_bQuit);
    EXPECT_EQ(m_iQuitCode, 0);
    EXPECT_EQ(Current(), "main_menu");
}

TEST_F(GameSceneTest, AClickOrKeyTapWhollyBetweenTwoFramesStillActs) {
    // A quick click (touchpad tap, a script's click): press and release both
    // arrive before the next frame.
    CDX9KelSGUIBaseControl* options = Dialog("main_menu", "MainMenuDialog")->FindControl("OptionsButton");
    ASSERT_NE(options, nullptr);
    const RECT r = options->GetRect();
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    Platform::InjectMouseMove(m_hWnd, x, y);
    Frames(2);
    Platform::InjectMouseButton(m_hWnd, 0, true, x, y);
    Platform::InjectMouseButton(m_hWnd, 0, false, x, y);
    Frame();
    EXPECT_EQ(Current(), "options");
    Frame();
    EXPECT_FALSE(g_Input.m_bLeftDown);

    // Back, after the screens' switch gate: once its time is up the gate
    // lets a press act the second time it sees one, so the quick click comes
    // twice.
    m_clock.Advance(kPastSwitchGate);
    CDX9KelSGUIBaseControl* back = Dialog("options", "OptionsDialog")->FindControl("OptionsBackButton");
    ASSERT_NE(back, nullptr);
    const RECT b = back->GetRect();
    const int bx = (b.left + b.right) / 2, by = (b.top + b.bottom) / 2;
    Platform::InjectMouseMove(m_hWnd, bx, by);
    Frame();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Current(), "options") << i;
        Platform::InjectMouseButton(m_hWnd, 0, true, bx, by);
        Platform::InjectMouseButton(m_hWnd, 0, false, bx, by);
        Frames(2);
    }
    EXPECT_EQ(Current(), "main_menu");

    // A key tap: F4 down and up before one frame hides the interface.
    m_clock.Advance(1100);
    Platform::InjectKey(m_hWnd, DIK_F4, true);
    Platform::InjectKey(m_hWnd, DIK_F4, false);
    Frame();
    EXPECT_FALSE(m_pScene->m_bGUIVisible);
}

TEST_F(GameSceneTest, F4HidesTheInterfaceAndF5TakesAScreenshot) {
    PressKey(DIK_F4);
    EXPECT_FALSE(m_pScene->m_bGUIVisible);
    EXPECT_FALSE(m_pScene->m_bGUIInput);
    m_clock.Advance(400);
    Frame();
    PressKey(DIK_F4);
    EXPECT_TRUE(m_pScene->m_bGUIVisible);
    // The keys share one stamp, which a held key frees once its own interval
    // (F5: 1000 ms) has passed since the last key acted.
    m_clock.Advance(1100);

    EXPECT_TRUE(Screenshots("Vorna3Engine ").empty());
    PressKey(DIK_F5);
    Frame();
    const std::vector<std::string> shots = Screenshots("Vorna3Engine ");
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].find(':'), std::string::npos) << shots[0];
    EXPECT_GT(fs::file_size(m_dir / "Screenshots" / shots[0]), 1000u);
}

TEST_F(GameSceneTest, FunctionKeysShareOneStampAndTheReportModeShootsAtOnceThenEveryMinute) {
    // F1-F3 are debug keys, off in the game.
    PressKey(DIK_F3);
    EXPECT_FALSE(m_pScene->m_bShowStatistics);

    // F4 and F5 held in the same frames: F4 acts, and its stamp holds F5 back.
    m_clock.Advance(1100);
    Platform::InjectKey(m_hWnd, DIK_F4, true);
    Platform::InjectKey(m_hWnd, DIK_F5, true);
    bool shot = false;
    for (int i = 0; i < 3; ++i) shot = Frame() || shot;
    Platform::InjectKey(m_hWnd, DIK_F4, false);
    Platform::InjectKey(m_hWnd, DIK_F5, false);
    shot = Frame() || shot;
    EXPECT_FALSE(m_pScene->m_bGUIVisible);
    EXPECT_FALSE(shot);

    // F6: the first report is taken in the frame the mode goes on (the held
    // key first frees the stamp F4 left armed), the next once 60 s passed.
    m_clock.Advance(1100);
    Platform::InjectKey(m_hWnd, DIK_F6, true);
    shot = false;
    for (int i = 0; i < 4 && !m_pScene->IsReportMode(); ++i) shot = Frame();
    Platform::InjectKey(m_hWnd, DIK_F6, false);
    ASSERT_TRUE(m_pScene->IsReportMode());
    EXPECT_TRUE(shot);
    EXPECT_FALSE(Frame());
    m_clock.Advance(30000);
    EXPECT_FALSE(Frame());
    m_clock.Advance(30000);
    EXPECT_TRUE(Frame());
    EXPECT_FALSE(Frame());
    Frame();
    EXPECT_FALSE(Screenshots("Vorna3Engine_SHR_").empty());
}

TEST_F(GameSceneTest, TheSoundListenerFollowsTheCameraEveryFrame) {
    EXPECT_NE(Log().find("CDX9KelScene::InitCameraManager(): "), std::string::npos);
    ASSERT_NE(m_pScene->m_pCameraManager, nullptr);
    CDX9KelBaseCamera* camera = m_pScene->m_pCameraManager->m_pActiveCamera;
    ASSERT_NE(camera, nullptr);
    CVR3SOUNDManager& sound = CVR3SOUNDManager::Get();
    const D3DXVECTOR3 places[][2] = {{{10.0f, 20.0f, -30.0f}, {0.0f, 0.0f, 0.0f}},
                                     {{-50.0f, 5.0f, 40.0f}, {100.0f, 0.0f, 40.0f}}};
    D3DXVECTOR3 previous(0.0f, 0.0f, 0.0f);
    for (const auto& place : places) {
        ASSERT_TRUE(camera->SetPosition(&place[0], &place[1]));
        Frame();
        D3DXVECTOR3 eye, target, up;
        ASSERT_TRUE(sound.GetPostedListener(eye, target, up));
        EXPECT_NE(eye, previous);
        previous = eye;
        EXPECT_EQ(eye, camera->m_vEye);
        EXPECT_EQ(target, camera->m_vTarget);
        EXPECT_EQ(up, camera->m_vUp);
    }
}

TEST_F(GameSceneTest, EveryScreenIsDrawnIntoAPictureToLookAt) {
    for (size_t i = 0; i < m_pScreens->GetScreenCount(); ++i) {
        const std::string name = m_pScreens->GetScreen(i)->GetName();
        m_clock.Advance(kPastSwitchGate);
        ASSERT_TRUE(m_pScreens->SetScreen(name.c_str()));
        Frames(3);
        ASSERT_TRUE(m_pScene->MakeScreenshot(("screen_" + name).c_str()));
        Frame();
        const fs::path shot = m_dir / "Screenshots" / ("screen_" + name + ".jpg");
        ASSERT_TRUE(fs::exists(shot)) << shot;
        EXPECT_GT(fs::file_size(shot), 1000u);
        // Only this screen's dialogs are shown.
        for (size_t k = 0; k < m_pScreens->GetScreenCount(); ++k) {
            if (k == i) continue;
            for (CVR3CIIScreenDialogEntry* e : m_pScreens->GetScreen(k)->GetDialogEntries())
                EXPECT_FALSE(e->pDialog->IsVisible()) << e->pDialog->GetName() << " on " << name;
        }
    }
    std::printf("Pictures of the screens: %s/screen_*.jpg\n", (m_dir / "Screenshots").c_str());
}

} // namespace
