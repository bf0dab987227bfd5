#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "TestFolder.h"

#include <SDL.h>

#include <memory>
#include <string>

using Vorna3D::CDX9KelApp;
using Vorna3D::g_Input;
using Vorna3D::g_Log;

namespace {

std::string FixedTime() { return "T"; }

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = (VornaTest::FreshFolder() / "Vorna3Log.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.Open(logPath.c_str());
        Platform::FlushMessages();
    }
    void TearDown() override {
        g_Input.Release();
        Platform::FlushMessages();
        g_Log.Reset();
    }
    std::string Log() const { return VornaTest::ReadText(logPath); }
    std::string logPath;
};

TEST_F(AppTest, WindowedWindowSitsATenthFromTheTopLeftWithItsClientSize) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(300, 200, false, nullptr, true, "Battle"), S_OK);
    ASSERT_NE(app.m_hWnd, nullptr);
    EXPECT_EQ(app.m_iWidth, 300);
    EXPECT_EQ(app.m_iHeight, 200);
    EXPECT_STREQ(app.m_szTitle, "Battle");
    EXPECT_NE(Log().find("| CDX9KelApp::CreateWnd(): OK\n"), std::string::npos) << Log();

    SDL_Window* w = Platform::GetSdlWindow(app.m_hWnd);
    ASSERT_NE(w, nullptr);
    int x = 0, y = 0, cw = 0, ch = 0;
    SDL_GetWindowPosition(w, &x, &y);
    SDL_GetWindowSize(w, &cw, &ch);
    const float sw = static_cast<float>(GetSystemMetrics(SM_CXSCREEN));
    const float sh = static_cast<float>(GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(x, static_cast<int>(sw / 2.0f - sw / 2.5f));
    EXPECT_EQ(y, static_cast<int>(sh / 2.0f - sh / 2.5f));
    EXPECT_NEAR(x, sw / 10, 1.0);
    EXPECT_EQ(cw, 300);
    EXPECT_EQ(ch, 200);
    EXPECT_FALSE(SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_OPENGL);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "Battle");

    EXPECT_EQ(app.m_wcex.style, 0x23u);
    EXPECT_EQ(app.m_wcex.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(app.m_wcex.lpfnWndProc, &CDX9KelApp::WndProc);
}

TEST_F(AppTest, FullScreenWindowIsBorderlessAtTheOriginWithoutCursor) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(640, 480, true, nullptr, false), S_OK);
    EXPECT_STREQ(app.m_szTitle, "VORNA 3 DX9 ENGINE");
    SDL_Window* w = Platform::GetSdlWindow(app.m_hWnd);
    ASSERT_NE(w, nullptr);
    int x = -1, y = -1;
    SDL_GetWindowPosition(w, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "VORNA 3 DX9 ENGINE");
    EXPECT_EQ(app.m_wcex.hCursor, nullptr);
}

TEST_F(AppTest, NegativeSizeFailsBeforeAnythingIsMade) {
    for (auto [w, h] : {std::pair{-1, 10}, std::pair{10, -1}}) {
        CDX9KelApp app;
        EXPECT_EQ(app.CreateWnd(w, h, false, nullptr, true), E_FAIL);
        EXPECT_EQ(app.m_hWnd, nullptr);
    }
    EXPECT_EQ(Log().find("CreateWnd"), std::string::npos);
    // Nothing was registered, so a window can still be made.
    CDX9KelApp app;
    EXPECT_EQ(app.CreateWnd(10, 10, false, nullptr, true), S_OK);
}

TEST_F(AppTest, LongTitleIsCutToFitAndTheClassIsTakenOnce) {
    const std::string longTitle(400, 'a');
    auto first = std::make_unique<CDX9KelApp>();
    ASSERT_EQ(first->CreateWnd(10, 10, false, nullptr, true, longTitle.c_str()), S_OK);
    EXPECT_EQ(std::string(first->m_szTitle), longTitle.substr(0, MAX_PATH - 1));
    // The class name is the program's; a second window object cannot register it.
    CDX9KelApp second;
    EXPECT_EQ(second.CreateWnd(10, 10, false, nullptr, true), E_FAIL);
    first.reset();
    CDX9KelApp third;
    EXPECT_EQ(third.CreateWnd(10, 10, false, nullptr, true), S_OK);
}

TEST_F(AppTest, NoWindowIsLoggedAsAnError) {
    CDX9KelApp app;
    EXPECT_EQ(app.CreateWnd(0, 10, false, nullptr, true), E_FAIL);
    EXPECT_EQ(app.m_hWnd, nullptr);
    EXPECT_NE(Log().find("| ERROR   | CDX9KelApp::CreateWnd : m_hWnd == NULL \n"),
              std::string::npos)
        << Log();
}

TEST_F(AppTest, ProcedureFeedsTheInputFirstAndClosingQuits) {
    CDX9KelApp app;
    ASSERT_EQ(app.CreateWnd(100, 100, false, nullptr, true), S_OK);
    ASSERT_EQ(g_Input.InputInit(), S_OK);
    ASSERT_TRUE(g_Input.KeyboardInit(app.m_hWnd));
    ASSERT_TRUE(g_Input.MouseInit(app.m_hWnd));
    Platform::FlushMessages();
    Platform::InjectMouseMove(app.m_hWnd, 12, 34);
    Platform::InjectClose(app.m_hWnd);
    Platform::InjectMouseMove(app.m_hWnd, 1, 1);
    MSG msg{};
    bool quit = false;
    int dispatched = 0;
    while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            break;
        }
        DispatchMessageA(&msg);
        ++dispatched;
    }
    ASSERT_TRUE(quit);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(dispatched, 2) << "the quit comes right after WM_DESTROY";
    EXPECT_EQ(g_Input.m_iCursorX, 12);
    EXPECT_EQ(g_Input.m_iCursorY, 34);
    EXPECT_EQ(CDX9KelApp::WndProc(app.m_hWnd, WM_NULL, 0, 0), 0);
}

} // namespace
