#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Clock.h"
#include "TestFolder.h"

#include <new>
#include <string>
#include <vector>

using Vorna3D::CDX9KelApp;
using Vorna3D::CDX9KelInput;
using Vorna3D::g_Input;
using Vorna3D::g_Log;

namespace {

std::string FixedTime() { return "T"; }

// Takes and dispatches every waiting message, as the main loop does.
void PumpMessages() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = (VornaTest::FreshFolder() / "Vorna3Log.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.Open(logPath.c_str());
        ResetInput();
        Platform::ClearDirectInputFailures();
        ASSERT_EQ(app.CreateWnd(320, 200, false, nullptr, true), S_OK);
        hwnd = app.m_hWnd;
        Platform::FlushMessages();
        Platform::ResetInputState();
    }
    void TearDown() override {
        Platform::ClearDirectInputFailures();
        ResetInput();
        Platform::FlushMessages();
        g_Log.Reset();
    }
    static void ResetInput() {
        g_Input.~CDX9KelInput();
        new (&g_Input) CDX9KelInput;
    }
    void InitAll() {
        ASSERT_EQ(g_Input.InputInit(), S_OK);
        ASSERT_TRUE(g_Input.KeyboardInit(hwnd));
        ASSERT_TRUE(g_Input.MouseInit(hwnd));
    }
    // One pass of the main loop: messages, then the frame's device reads.
    void Frame() {
        PumpMessages();
        g_Input.Update();
    }
    std::string Log() const { return VornaTest::ReadText(logPath); }

    std::string logPath;
    CDX9KelApp app;
    HWND hwnd = nullptr;
};

TEST_F(InputTest, SetUpLogsEachDeviceAndSucceeds) {
    InitAll();
    const std::string log = Log();
    EXPECT_NE(log.find("CDX9KelInput::InputInit(): OK\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CDX9KelInput::KeyboardInit(): OK\n"), std::string::npos) << log;
    EXPECT_NE(log.find("CDX9KelInput::MouseInit(): OK\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
}

TEST_F(InputTest, SetUpFailuresAreLoggedAndReleaseEverything) {
    using Platform::DIDeviceKind;
    using Platform::DIStep;
    struct Case {
        DIStep step;
        DIDeviceKind kind;
        const char* message;
        int failingInit; // 0 InputInit, 1 KeyboardInit, 2 MouseInit
    };
    const Case cases[] = {
        {DIStep::Create, DIDeviceKind::Any, " DirectInput8Create : E_FAIL\n", 0},
        {DIStep::CreateDevice, DIDeviceKind::Keyboard, "m_pInput->CreateDevice : E_FAIL\n", 1},
        {DIStep::SetDataFormat, DIDeviceKind::Keyboard, "m_pKeyboard->SetDataFormat : E_FAIL\n", 1},
        {DIStep::SetCooperativeLevel, DIDeviceKind::Keyboard, "m_pKeyboard->SetCooperativeLevel : E_FAIL\n", 1},
        {DIStep::CreateDevice, DIDeviceKind::Mouse, " Error : m_pInput->CreateDevice : E_FAIL\n", 2},
        {DIStep::SetDataFormat, DIDeviceKind::Mouse, " Error : m_pMouse->SetDataFormat : E_FAIL\n", 2},
        {DIStep::SetCooperativeLevel, DIDeviceKind::Mouse, " Error : m_pMouse->SetCooperativeLevel : E_FAIL\n", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        g_Log.Open(logPath.c_str());
        ResetInput();
        Platform::ClearDirectInputFailures();
        Platform::FailDirectInputStep(c.step, c.kind, E_FAIL);
        bool ok = SUCCEEDED(g_Input.InputInit());
        if (ok) ok = g_Input.KeyboardInit(hwnd);
        if (ok) ok = g_Input.MouseInit(hwnd);
        EXPECT_FALSE(ok);
        const std::string log = Log();
        EXPECT_NE(log.find(std::string("| ERROR   | ") + c.message), std::string::npos) << log;
        const char* okLines[] = {"InputInit(): OK", "KeyboardInit(): OK", "MouseInit(): OK"};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(log.find(okLines[i]) != std::string::npos, i < c.failingInit) << okLines[i] << "\n" << log;
        EXPECT_EQ(g_Input.m_pInput, nullptr);
        EXPECT_EQ(g_Input.m_pKeyboard, nullptr);
        EXPECT_EQ(g_Input.m_pMouse, nullptr);
    }
}

TEST_F(InputTest, DevicesNeedTheInterfaceAndAMouseWithoutBufferStillStarts) {
    EXPECT_FALSE(g_Input.KeyboardInit(hwnd));
    EXPECT_FALSE(g_Input.MouseInit(hwnd));
    EXPECT_EQ(Log().find("KeyboardInit"), std::string::npos) << "fails silently";

    Platform::FailDirectInputStep(Platform::DIStep::SetProperty, Platform::DIDeviceKind::Mouse, E_FAIL);
    ASSERT_EQ(g_Input.InputInit(), S_OK);
    ASSERT_TRUE(g_Input.KeyboardInit(hwnd));
    EXPECT_TRUE(g_Input.MouseInit(hwnd));
    EXPECT_EQ(Log().find("MouseInit(): OK"), std::string::npos);
    ASSERT_NE(g_Input.m_pMouse, nullptr);
    // Not acquired: the first frame acquires it, the second reads it.
    Platform::InjectMouseButton(hwnd, 0, true, 10, 10);
    Frame();
    EXPECT_EQ(g_Input.m_MouseState.rgbButtons[0], 0);
    Frame();
    EXPECT_EQ(g_Input.m_MouseState.rgbButtons[0], 0x80);
}

TEST_F(InputTest, KeyboardStateFollowsInjectedKeys) {
    InitAll();
    Platform::InjectKey(hwnd, DIK_F5, true);
    Platform::InjectKey(hwnd, DIK_ESCAPE, true);
    Frame();
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_F5], 0x80);
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_ESCAPE], 0x80);
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_F6], 0);
    Platform::InjectKey(hwnd, DIK_ESCAPE, false);
    Frame();
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_F5], 0x80);
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_ESCAPE], 0);
}

TEST_F(InputTest, WheelThenMoveInOneFrameLeavesTheWheelAtZero) {
    InitAll();
    Platform::InjectWheel(hwnd, 2);
    PumpMessages();
    EXPECT_EQ(g_Input.m_fWheel, 240.0f);
    g_Input.m_fWheel = 0.0f;
    Platform::InjectWheel(hwnd, -1);
    PumpMessages();
    EXPECT_EQ(g_Input.m_fWheel, -120.0f);
    g_Input.m_fWheel = 0.0f;
    Platform::InjectWheel(hwnd, 1);
    Platform::InjectMouseMove(hwnd, 40, 50);
    PumpMessages();
    EXPECT_EQ(g_Input.m_fWheel, 0.0f);
    EXPECT_EQ(g_Input.m_iCursorX, 40);
    EXPECT_EQ(g_Input.m_iCursorY, 50);
}

TEST_F(InputTest, LeftDragGivesTheMotionSinceThePressAndReleaseClearsIt) {
    InitAll();
    Platform::InjectMouseMove(hwnd, 50, 60);
    Frame();
    Platform::InjectMouseButton(hwnd, 0, true, 50, 60);
    Platform::InjectMouseMove(hwnd, 70, 65);
    Platform::InjectMouseMove(hwnd, 80, 55);
    Frame();
    EXPECT_TRUE(g_Input.m_bLeftDown);
    EXPECT_EQ(g_Input.m_iLeftOriginX, 50);
    EXPECT_EQ(g_Input.m_iLeftOriginY, 60);
    EXPECT_EQ(g_Input.m_fLeftDeltaX, 30.0f);
    EXPECT_EQ(g_Input.m_fLeftDeltaY, -5.0f);
    EXPECT_EQ(g_Input.m_fRightDeltaX, 0.0f) << "the right button is up";
    EXPECT_EQ(g_Input.m_MouseState.lX, 30);
    EXPECT_EQ(g_Input.m_MouseState.rgbButtons[0], 0x80);
    EXPECT_EQ(GetCapture(), hwnd);
    Platform::InjectMouseButton(hwnd, 0, false, 80, 55);
    Frame();
    EXPECT_FALSE(g_Input.m_bLeftDown);
    EXPECT_EQ(g_Input.m_iLeftOriginX, 0);
    EXPECT_EQ(g_Input.m_iLeftOriginY, 0);
    EXPECT_EQ(g_Input.m_fLeftDeltaX, 0.0f);
    EXPECT_EQ(g_Input.m_fLeftDeltaY, 0.0f);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, CaptureIsReleasedOnLeftAndRightUpButNotMiddle) {
    InitAll();
    struct Case {
        int button;
        bool releases;
    };
    for (Case c : {Case{0, true}, Case{1, true}, Case{2, false}}) {
        SCOPED_TRACE(c.button);
        ReleaseCapture();
        Platform::InjectMouseButton(hwnd, c.button, true, 5, 5);
        PumpMessages();
        EXPECT_EQ(GetCapture(), hwnd);
        EXPECT_EQ(c.button == 0 ? g_Input.m_bLeftDown : c.button == 1 ? g_Input.m_bRightDown : g_Input.m_bMiddleDown,
                  true);
        Platform::InjectMouseButton(hwnd, c.button, false, 5, 5);
        PumpMessages();
        EXPECT_EQ(GetCapture(), c.releases ? nullptr : hwnd);
        EXPECT_FALSE(g_Input.m_bLeftDown || g_Input.m_bRightDown || g_Input.m_bMiddleDown);
    }
    // A middle double-click is ignored: no press, no capture.
    ReleaseCapture();
    SendMessageA(hwnd, WM_MBUTTONDBLCLK, MK_MBUTTON, 0);
    EXPECT_FALSE(g_Input.m_bMiddleDown);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, OnlyCharacterMessagesSetTheCharacter) {
    InitAll();
    // "Ж" then "x": code page 1251 bytes, one message each.
    Platform::InjectText(hwnd, "\xD0\x96x");
    std::vector<BYTE> typed;
    MSG msg{};
    for (int frame = 0; frame < 3; ++frame)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
            typed.push_back(g_Input.m_cChar);
        }
    EXPECT_EQ(typed, (std::vector<BYTE>{0xC6, 'x'}));
    // Mouse messages carry button flags in the low byte; they are no
    // characters (0x20 would type a blank).
    SendMessageA(hwnd, WM_MOUSEMOVE, 0x20 | MK_LBUTTON, 0);
    EXPECT_EQ(g_Input.m_cChar, 0);
    SendMessageA(hwnd, WM_CHAR, 'q', 0);
    SendMessageA(hwnd, WM_MOUSEWHEEL, (static_cast<WPARAM>(120) << 16) | 0x41, 0);
    EXPECT_EQ(g_Input.m_cChar, 0);
    EXPECT_EQ(g_Input.m_fWheel, 120.0f);
    SendMessageA(hwnd, WM_CHAR, 'q', 0);
    SendMessageA(hwnd, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(g_Input.m_cChar, 0) << "any later message clears it";
    // Every character stays queued, in order, until taken once.
    EXPECT_EQ(g_Input.TakeTyped(), "\xC6xqq");
    EXPECT_EQ(g_Input.TakeTyped(), "");
    for (int i = 0; i < 100; ++i) SendMessageA(hwnd, WM_CHAR, 'z', 0);
    EXPECT_EQ(g_Input.TakeTyped(), std::string(g_Input.kTypedLimit, 'z'));
    RECT rc = g_Input.m_rcClient;
    EXPECT_EQ(rc.right, 320);
    EXPECT_EQ(rc.bottom, 200);
}

TEST_F(InputTest, WithoutAMouseDeviceMessagesAreIgnored) {
    ASSERT_EQ(g_Input.InputInit(), S_OK);
    ASSERT_TRUE(g_Input.KeyboardInit(hwnd));
    SendMessageA(hwnd, WM_CHAR, 'q', 0);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(g_Input.m_cChar, 0);
    EXPECT_FALSE(g_Input.m_bLeftDown);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, LosingFocusReleasesKeysAndButtons) {
    InitAll();
    Platform::InjectKey(hwnd, DIK_NUMPAD6, true);
    Platform::InjectMouseButton(hwnd, 1, true, 5, 5);
    Platform::InjectMouseButton(hwnd, 0, true, 5, 5);
    Frame();
    ASSERT_EQ(g_Input.m_KeyboardState[DIK_NUMPAD6], 0x80);
    ASSERT_EQ(g_Input.m_MouseState.rgbButtons[1], 0x80);
    ASSERT_TRUE(g_Input.m_bLeftDown && g_Input.m_bRightDown);
    // The buttons' releases go to the window that took the focus.
    Platform::InjectFocus(hwnd, false);
    for (int i = 0; i < 3; ++i) {
        Frame();
        EXPECT_EQ(g_Input.m_KeyboardState[DIK_NUMPAD6], 0) << "frame " << i;
        EXPECT_EQ(g_Input.m_MouseState.rgbButtons[1], 0) << "frame " << i;
        EXPECT_FALSE(g_Input.m_bLeftDown || g_Input.m_bRightDown) << "frame " << i;
    }
    EXPECT_EQ(g_Input.m_hr, DIERR_OTHERAPPHASPRIO) << "re-acquiring fails in the background";
    Platform::InjectFocus(hwnd, true);
    Platform::InjectKey(hwnd, DIK_F4, true);
    Frame(); // acquires again
    Frame();
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_F4], 0x80);
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_NUMPAD6], 0);
}

TEST_F(InputTest, TransientReadFailureKeepsTheLastValuesAndSkipsTheMouse) {
    InitAll();
    Platform::InjectKey(hwnd, DIK_F5, true);
    Platform::InjectMouseMove(hwnd, 10, 10);
    Frame();
    Platform::InjectMouseMove(hwnd, 30, 10);
    Frame();
    ASSERT_EQ(g_Input.m_MouseState.lX, 20);
    Platform::FailDirectInputStep(Platform::DIStep::GetDeviceState, Platform::DIDeviceKind::Keyboard, E_FAIL, 1);
    Platform::InjectKey(hwnd, DIK_F5, false);
    Platform::InjectMouseMove(hwnd, 35, 10);
    Frame();
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_F5], 0x80);
    EXPECT_EQ(g_Input.m_MouseState.lX, 20) << "the mouse is not read this frame";
    Frame();
    EXPECT_EQ(g_Input.m_KeyboardState[DIK_F5], 0);
    EXPECT_EQ(g_Input.m_MouseState.lX, 5);
}

TEST_F(InputTest, ALostDeviceIsAcquiredOncePerFrame) {
    InitAll();
    using Platform::DIDeviceKind;
    using Platform::DIStep;
    Platform::FailDirectInputStep(DIStep::GetDeviceState, DIDeviceKind::Keyboard, DIERR_INPUTLOST, 1);
    Platform::FailDirectInputStep(DIStep::Acquire, DIDeviceKind::Keyboard, DIERR_INPUTLOST, 2);
    g_Input.Update();
    EXPECT_EQ(g_Input.m_hr, DIERR_INPUTLOST);
    // One of the two failing attempts is still left: Update made only one.
    EXPECT_EQ(g_Input.m_pKeyboard->Acquire(), DIERR_INPUTLOST);
    EXPECT_NE(g_Input.m_pKeyboard->Acquire(), DIERR_INPUTLOST);
}

TEST_F(InputTest, RepeatGatesOpenOncePerIntervalAndAFrame) {
    Platform::ManualClock clock(5000000u);
    Platform::SetClock(&clock);
    using Gate = bool (CDX9KelInput::*)(DWORD);
    for (Gate gate : {&CDX9KelInput::CheckRepeatDelay1, &CDX9KelInput::CheckRepeatDelay2,
                      &CDX9KelInput::CheckRepeatDelay3}) {
        ResetInput();
        std::vector<DWORD> opened;
        for (DWORD t = 0; t <= 500; t += 10) {
            if ((g_Input.*gate)(100)) opened.push_back(t);
            clock.Advance(10);
        }
        // Armed at 0, disarmed at the first call more than 100 ms later
        // (110), open again on the next frame.
        EXPECT_EQ(opened, (std::vector<DWORD>{0, 120, 240, 360, 480}));
    }
    // The gates keep separate stamps.
    ResetInput();
    EXPECT_TRUE(g_Input.CheckRepeatDelay2(100));
    EXPECT_TRUE(g_Input.CheckRepeatDelay3(100));
    EXPECT_TRUE(g_Input.CheckRepeatDelay1(100));
    EXPECT_FALSE(g_Input.CheckRepeatDelay2(100));
    EXPECT_EQ(g_Input.m_dwRepeatTime2, clock.Milliseconds());
    Platform::SetClock(nullptr);
}

} // namespace
