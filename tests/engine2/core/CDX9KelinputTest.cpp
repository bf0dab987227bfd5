#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9Kelinput.h"

#include "TestFolder.h"
#include "platform/os/Clock.h"

#include <gtest/gtest.h>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

void PumpMessages() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class Engine2InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = (VornaTest::FreshFolder() / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Input.Reset();
        Platform::ClearDirectInputFailures();
        ASSERT_EQ(app.CreateWnd(320, 200, false, nullptr, true), S_OK);
        g_Log.Open(logPath);
        hwnd = app.m_hWnd;
        Platform::FlushMessages();
        Platform::ResetInputState();
    }
    void TearDown() override {
        Platform::ClearDirectInputFailures();
        g_Input.Reset();
        ReleaseCapture();
        Platform::FlushMessages();
        g_Log.Reset();
    }
    void InitAll() {
        ASSERT_TRUE(g_Input.InputInit());
        ASSERT_TRUE(g_Input.KeyboardInit(hwnd));
        ASSERT_TRUE(g_Input.MouseInit(hwnd));
    }
    void Frame() {
        PumpMessages();
        g_Input.Poll();
    }
    std::string Log() { return VornaTest::ReadText(logPath); }

    std::string logPath;
    CDX9KelApp app;
    HWND hwnd = nullptr;
};

} // namespace

TEST_F(Engine2InputTest, CreationLogsEachStep) {
    InitAll();
    EXPECT_EQ(Log(), "T Begin\nT CDX9Kelinput::InputInit(): OK\nT CDX9Kelinput::KeyboardInit(): OK\n"
                     "T CDX9Kelinput::MouseInit(): OK\n");
}

TEST_F(Engine2InputTest, FailedDeviceStepsLogAndReleaseEverything) {
    struct Case {
        Platform::DIStep step;
        Platform::DIDeviceKind kind;
        const char* line; // null: no line
    } cases[] = {
        {Platform::DIStep::CreateDevice, Platform::DIDeviceKind::Keyboard, "Error : m_pInput->CreateDevice : "},
        {Platform::DIStep::SetDataFormat, Platform::DIDeviceKind::Keyboard, "Error : m_pKeyboard->SetDataFormat : "},
        {Platform::DIStep::SetCooperativeLevel, Platform::DIDeviceKind::Keyboard,
         "Error : m_pKeyboard->SetCooperativeLevel : "},
        {Platform::DIStep::CreateDevice, Platform::DIDeviceKind::Mouse, " Error : m_pInput->CreateDevice : "},
        {Platform::DIStep::SetDataFormat, Platform::DIDeviceKind::Mouse, " Error : m_pMouse->SetDataFormat : "},
        {Platform::DIStep::SetCooperativeLevel, Platform::DIDeviceKind::Mouse,
         " Error : m_pMouse->SetCooperativeLevel : "},
        {Platform::DIStep::SetProperty, Platform::DIDeviceKind::Mouse, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "buffer size");
        g_Log.Open(logPath);
        g_Input.Reset();
        Platform::ClearDirectInputFailures();
        Platform::FailDirectInputStep(c.step, c.kind, E_FAIL);
        ASSERT_TRUE(g_Input.InputInit());
        const bool ok = g_Input.KeyboardInit(hwnd) && g_Input.MouseInit(hwnd);
        EXPECT_FALSE(ok);
        EXPECT_EQ(g_Input.m_pInput, nullptr);
        EXPECT_EQ(g_Input.m_pKeyboard, nullptr);
        EXPECT_EQ(g_Input.m_pMouse, nullptr);
        const std::string log = Log();
        if (c.line) {
            EXPECT_NE(log.find(std::string(c.line) + "E_FAIL\n"), std::string::npos) << log;
            EXPECT_EQ(g_Log.GetErrorCount(), 1);
        } else {
            EXPECT_EQ(g_Log.GetErrorCount(), 0);
        }
    }
    Platform::ClearDirectInputFailures();
    Platform::FailDirectInputStep(Platform::DIStep::Create, Platform::DIDeviceKind::Any, E_FAIL);
    g_Log.Open(logPath);
    EXPECT_FALSE(g_Input.InputInit());
    EXPECT_EQ(Log(), "T Begin\nT CDX9Kelinput::InputInit():  Error : DirectInput8Create : E_FAIL\n");
}

TEST_F(Engine2InputTest, WheelIsSeenUntilTheNextMouseMessage) {
    InitAll();
    Platform::InjectWheel(hwnd, 2);
    PumpMessages();
    EXPECT_EQ(g_Input.m_fWheel, 240.0f);
    Platform::InjectWheel(hwnd, 1);
    Platform::InjectMouseMove(hwnd, 10, 10);
    PumpMessages();
    EXPECT_EQ(g_Input.m_fWheel, 0.0f);
}

TEST_F(Engine2InputTest, DragsFollowTheHeldButtons) {
    InitAll();
    Platform::InjectMouseMove(hwnd, 100, 100);
    Platform::InjectMouseButton(hwnd, 0, true, 100, 100);
    Platform::InjectMouseMove(hwnd, 130, 90);
    PumpMessages();
    EXPECT_EQ(g_Input.m_bLeftHeld, 1);
    EXPECT_EQ(g_Input.m_iCursorX, 130);
    EXPECT_EQ(g_Input.m_fLeftDragX, 30.0f);
    EXPECT_EQ(g_Input.m_fLeftDragY, -10.0f);
    EXPECT_EQ(g_Input.m_fRightDragX, 0.0f);
    EXPECT_EQ(GetCapture(), hwnd);
    Platform::InjectMouseButton(hwnd, 0, false, 130, 90);
    PumpMessages();
    EXPECT_EQ(g_Input.m_bLeftHeld, 0);
    EXPECT_EQ(g_Input.m_fLeftDragX, 0.0f);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Engine2InputTest, PressesOutsideTheActiveRectangleOnlyCapture) {
    InitAll();
    g_Input.m_ActiveRect = RECT{0, 0, 50, 50};
    Platform::InjectMouseMove(hwnd, 100, 100);
    Platform::InjectMouseButton(hwnd, 1, true, 100, 100);
    PumpMessages();
    EXPECT_EQ(g_Input.m_bRightHeld, 0);
    EXPECT_EQ(GetCapture(), hwnd);

    // The middle button's release keeps the capture.
    Platform::InjectMouseMove(hwnd, 20, 20);
    Platform::InjectMouseButton(hwnd, 2, true, 20, 20);
    Platform::InjectMouseButton(hwnd, 2, false, 20, 20);
    // A quick click is taken over two frames: the press, then the release.
    PumpMessages();
    PumpMessages();
    EXPECT_EQ(g_Input.m_bMiddleHeld, 0);
    EXPECT_EQ(GetCapture(), hwnd);
}

TEST_F(Engine2InputTest, OnlyCharacterMessagesTypeCharacters) {
    InitAll();
    g_Input.OnWindowMessage(WM_CHAR, hwnd, 'a');
    EXPECT_EQ(g_Input.m_Char, 'a');
    // Mouse messages carry key flags in the low byte; they type nothing.
    g_Input.OnWindowMessage(WM_CHAR, hwnd, 'b');
    g_Input.OnWindowMessage(WM_MOUSEMOVE, hwnd, MK_LBUTTON | 0x20);
    EXPECT_EQ(g_Input.m_Char, 0);
    g_Input.OnWindowMessage(WM_CHAR, hwnd, 'c');
    g_Input.OnWindowMessage(WM_MOUSEWHEEL, hwnd, (120u << 16) | 0x20);
    EXPECT_EQ(g_Input.m_Char, 0);
    EXPECT_EQ(g_Input.m_fWheel, 120.0f);
    g_Input.OnWindowMessage(WM_CHAR, hwnd, 'd');
    g_Input.OnWindowMessage(0x0100 /* a key message */, hwnd, 0x41);
    EXPECT_EQ(g_Input.m_Char, 0);
    // Every character stays queued, in order, until taken once.
    EXPECT_EQ(g_Input.TakeTyped(), "abcd");
    EXPECT_EQ(g_Input.TakeTyped(), "");
    for (int i = 0; i < 100; ++i) g_Input.OnWindowMessage(WM_CHAR, hwnd, 'z');
    EXPECT_EQ(g_Input.TakeTyped(), std::string(g_Input.kTypedLimit, 'z'));
}

TEST_F(Engine2InputTest, FocusLossReleasesHeldKeysAndButtons) {
    InitAll();
    Platform::InjectKey(hwnd, DIK_NUMPAD6, true);
    Platform::InjectMouseButton(hwnd, 0, true, 20, 30);
    Platform::InjectMouseButton(hwnd, 1, true, 20, 30);
    Platform::InjectMouseButton(hwnd, 2, true, 20, 30);
    Frame();
    ASSERT_TRUE(g_Input.IsKeyDown(DIK_NUMPAD6));
    ASSERT_TRUE(g_Input.m_bLeftHeld && g_Input.m_bRightHeld && g_Input.m_bMiddleHeld);
    // The buttons' releases go to the window that took the focus: the
    // window's held buttons are let go all the same, and stay so.
    Platform::InjectFocus(hwnd, false);
    Frame();
    EXPECT_FALSE(g_Input.IsKeyDown(DIK_NUMPAD6));
    EXPECT_FALSE(g_Input.m_bLeftHeld || g_Input.m_bRightHeld || g_Input.m_bMiddleHeld);
    EXPECT_EQ(g_Input.m_fLeftDragX, 0.0f);
    Frame();
    EXPECT_FALSE(g_Input.IsKeyDown(DIK_NUMPAD6));
    EXPECT_FALSE(g_Input.m_bLeftHeld || g_Input.m_bRightHeld || g_Input.m_bMiddleHeld);
    Platform::InjectFocus(hwnd, true);
    Platform::InjectKey(hwnd, DIK_NUMPAD6, false);
    Frame();
}

TEST_F(Engine2InputTest, FailedReadWithFocusKeepsTheOldState) {
    InitAll();
    Platform::InjectKey(hwnd, DIK_SPACE, true);
    Frame();
    ASSERT_TRUE(g_Input.IsKeyDown(DIK_SPACE));
    Platform::FailDirectInputStep(Platform::DIStep::GetDeviceState, Platform::DIDeviceKind::Keyboard, E_FAIL, 1);
    Platform::InjectKey(hwnd, DIK_SPACE, false);
    Frame();
    EXPECT_TRUE(g_Input.IsKeyDown(DIK_SPACE));
    Frame();
    EXPECT_FALSE(g_Input.IsKeyDown(DIK_SPACE));
}

TEST_F(Engine2InputTest, DelayedKeyAndClickGates) {
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    g_Input.m_KeyboardState[DIK_F1] = 0x80;
    std::vector<bool> seen;
    for (int frame = 0; frame < 25; ++frame) {
        seen.push_back(g_Input.IsKeyPressedDelayed(DIK_F1, 200));
        clock.Advance(10);
    }
    // True, false until stamp + 200 is below now (frame 21), that frame
    // clears, then true.
    std::vector<bool> expected(25, false);
    expected[0] = true;
    expected[22] = true;
    EXPECT_EQ(seen, expected);

    // A key that is up leaves the stamp. A new press after the delay, from
    // the keyboard, reports at once: a tap seen by one frame is not spent on
    // clearing the stamp. A tap within the delay waits.
    g_Input.m_KeyboardState[DIK_F1] = 0;
    clock.Advance(500);
    EXPECT_FALSE(g_Input.IsKeyPressedDelayed(DIK_F1, 200));
    InitAll();
    const auto tap = [&](BYTE key) {
        Platform::InjectKey(hwnd, key, true);
        Platform::InjectKey(hwnd, key, false);
        Frame();
        const bool through = g_Input.IsKeyPressedDelayed(key, 200);
        Frame();
        return through;
    };
    EXPECT_TRUE(tap(DIK_F1));
    clock.Advance(100);
    EXPECT_FALSE(tap(DIK_F1));
    clock.Advance(150);
    EXPECT_TRUE(tap(DIK_F1));

    // The click gate likewise, on the right button's messages.
    clock.Advance(1000);
    EXPECT_FALSE(g_Input.IsMouseClicked());
    for (int click = 0; click < 3; ++click) {
        Platform::InjectMouseButton(hwnd, 1, true, 10, 10);
        Platform::InjectMouseButton(hwnd, 1, false, 10, 10);
        Frame();
        EXPECT_TRUE(g_Input.IsMouseClicked()) << click;
        Frame();
        EXPECT_FALSE(g_Input.IsMouseClicked()) << "released at the next frame";
        clock.Advance(1000);
    }
    Platform::SetClock(nullptr);
}
