#include "platform/os/Clock.h"
#include "platform/window/DirectInput.h"
#include "platform/window/RepeatGate.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<MSG> g_seen;

LRESULT RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = hWnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    g_seen.push_back(m);
    if (message == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// Runs the message loop until nothing waits; returns whether WM_QUIT came.
bool Pump(int* quitCode = nullptr) {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            if (quitCode) *quitCode = static_cast<int>(msg.wParam);
            return true;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

std::vector<UINT> Messages(UINT only = 0) {
    std::vector<UINT> r;
    for (const auto& m : g_seen)
        if (!only || m.message == only) r.push_back(m.message);
    return r;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Platform::EnsureVideo());
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &RecordingProc;
        wc.lpszClassName = "TestClass";
        wc.hInstance = GetModuleHandleA(nullptr);
        ASSERT_NE(RegisterClassExA(&wc), 0);
        hwnd = CreateWindowExA(0, "TestClass", "test", WS_OVERLAPPED, 10, 20, 320, 200, nullptr, nullptr,
                               wc.hInstance, nullptr);
        ASSERT_NE(hwnd, nullptr);
        Platform::FlushMessages();
        Platform::ResetInputState();
        Platform::ClearDirectInputFailures();
        g_seen.clear();
    }
    void TearDown() override {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
        EXPECT_TRUE(UnregisterClassA("TestClass", nullptr));
        Platform::FlushMessages();
        Platform::ClearDirectInputFailures();
        g_seen.clear();
    }
    HWND hwnd = nullptr;
};

TEST(KeyMapTest, ScancodesGiveTheirDirectInputCodes) {
    struct Case {
        SDL_Scancode scancode;
        BYTE dik;
    };
    const Case cases[] = {
        {SDL_SCANCODE_ESCAPE, 0x01},    {SDL_SCANCODE_1, 0x02},         {SDL_SCANCODE_0, 0x0B},
        {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},       {SDL_SCANCODE_Q, 0x10},
        {SDL_SCANCODE_RETURN, 0x1C},    {SDL_SCANCODE_LCTRL, 0x1D},     {SDL_SCANCODE_A, 0x1E},
        {SDL_SCANCODE_Z, 0x2C},         {SDL_SCANCODE_SPACE, 0x39},     {SDL_SCANCODE_F1, 0x3B},
        {SDL_SCANCODE_F2, 0x3C},        {SDL_SCANCODE_F3, 0x3D},        {SDL_SCANCODE_F4, 0x3E},
        {SDL_SCANCODE_F5, 0x3F},        {SDL_SCANCODE_F6, 0x40},        {SDL_SCANCODE_F10, 0x44},
        {SDL_SCANCODE_KP_7, 0x47},      {SDL_SCANCODE_KP_8, 0x48},      {SDL_SCANCODE_KP_9, 0x49},
        {SDL_SCANCODE_KP_MINUS, 0x4A},  {SDL_SCANCODE_KP_4, 0x4B},      {SDL_SCANCODE_KP_5, 0x4C},
        {SDL_SCANCODE_KP_6, 0x4D},      {SDL_SCANCODE_KP_PLUS, 0x4E},   {SDL_SCANCODE_KP_1, 0x4F},
        {SDL_SCANCODE_KP_2, 0x50},      {SDL_SCANCODE_KP_3, 0x51},      {SDL_SCANCODE_KP_0, 0x52},
        {SDL_SCANCODE_KP_PERIOD, 0x53}, {SDL_SCANCODE_F11, 0x57},       {SDL_SCANCODE_F12, 0x58},
        {SDL_SCANCODE_KP_ENTER, 0x9C},  {SDL_SCANCODE_RCTRL, 0x9D},     {SDL_SCANCODE_KP_DIVIDE, 0xB5},
        {SDL_SCANCODE_RALT, 0xB8},      {SDL_SCANCODE_HOME, 0xC7},      {SDL_SCANCODE_UP, 0xC8},
        {SDL_SCANCODE_PAGEUP, 0xC9},    {SDL_SCANCODE_LEFT, 0xCB},      {SDL_SCANCODE_RIGHT, 0xCD},
        {SDL_SCANCODE_END, 0xCF},       {SDL_SCANCODE_DOWN, 0xD0},      {SDL_SCANCODE_PAGEDOWN, 0xD1},
        {SDL_SCANCODE_INSERT, 0xD2},    {SDL_SCANCODE_DELETE, 0xD3},    {SDL_SCANCODE_LGUI, 0xDB},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Platform::DikFromScancode(c.scancode), c.dik) << SDL_GetScancodeName(c.scancode);
        EXPECT_EQ(Platform::ScancodeFromDik(c.dik), c.scancode) << SDL_GetScancodeName(c.scancode);
    }
    EXPECT_EQ(Platform::DikFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(Platform::DikFromScancode(-5), 0);
    EXPECT_EQ(Platform::DikFromScancode(SDL_NUM_SCANCODES), 0);
    // Every code the table makes comes back from its scancode.
    for (int dik = 1; dik < 256; ++dik) {
        int sc = Platform::ScancodeFromDik(static_cast<BYTE>(dik));
        if (sc) {
            EXPECT_EQ(Platform::DikFromScancode(sc), dik) << dik;
        }
    }
}

TEST_F(WindowTest, WindowIsForOpenGlWithClientSizeAndHiddenUntilShown) {
    SDL_Window* sdl = Platform::GetSdlWindow(hwnd);
    ASSERT_NE(sdl, nullptr);
    EXPECT_EQ(Platform::GetWindowFromSdl(sdl), hwnd);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
    RECT rc{};
    ASSERT_TRUE(GetClientRect(hwnd, &rc));
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, 320);
    EXPECT_EQ(rc.bottom, 200);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWDEFAULT));
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(UpdateWindow(hwnd));
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));

    HWND popup = CreateWindowExA(0, "testclass", "p", WS_POPUP, 0, 0, 64, 32, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(Platform::GetSdlWindow(popup)) & SDL_WINDOW_BORDERLESS);
    EXPECT_FALSE(UnregisterClassA("TestClass", nullptr)) << "a window still uses the class";
    EXPECT_TRUE(DestroyWindow(popup));
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(Platform::GetSdlWindow(popup), nullptr);
    EXPECT_FALSE(DestroyWindow(popup));
}

TEST_F(WindowTest, ClassAndWindowCreationRefuseBadRequests) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &RecordingProc;
    wc.lpszClassName = "TESTCLASS";
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "names compare without case";
    wc.lpfnWndProc = nullptr;
    wc.lpszClassName = "Other";
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "no procedure";
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "TestClass", "x", 0, 0, 0, -1, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(UnregisterClassA("Other", nullptr));
}

TEST_F(WindowTest, DesktopAndPhysicalScreenSize) {
    int w = 0, h = 0;
    ASSERT_TRUE(Platform::GetDesktopSize(&w, &h));
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), w);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), h);
    EXPECT_EQ(GetSystemMetrics(42), 0);

    HDC dc = GetWindowDC(hwnd);
    ASSERT_NE(dc, nullptr);
    int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ASSERT_GT(dpiX, 0);
    ASSERT_GT(dpiY, 0);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), w);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), h);
    // Headless drivers know no DPI: 96 is assumed, so 1024 pixels are 271 mm.
    float realDpi = 0;
    if (SDL_GetDisplayDPI(0, nullptr, &realDpi, nullptr) != 0) {
        EXPECT_EQ(dpiX, 96);
        EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), static_cast<int>(std::lround(w * 25.4 / 96.0)));
    }
    EXPECT_NEAR(GetDeviceCaps(dc, HORZSIZE), w * 25.4 / dpiX, 1.0);
    EXPECT_NEAR(GetDeviceCaps(dc, VERTSIZE), h * 25.4 / dpiY, 1.0);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
}

TEST_F(WindowTest, MouseEventsBecomeMessagesWithClientCoordinates) {
    Platform::InjectMouseMove(hwnd, 30, 40);
    Platform::InjectMouseButton(hwnd, 0, true, 31, 41);
    Platform::InjectMouseButton(hwnd, 0, false, 31, 41);
    Platform::InjectMouseButton(hwnd, 1, true, 5, 6);
    Platform::InjectMouseButton(hwnd, 1, false, 5, 6);
    Platform::InjectMouseButton(hwnd, 2, true, 5, 6);
    Platform::InjectMouseButton(hwnd, 2, false, 5, 6);
    Platform::InjectWheel(hwnd, -2);
    // Each quick click is taken over two frames (down, then up).
    for (int frame = 0; frame < 8; ++frame) EXPECT_FALSE(Pump());
    const std::vector<UINT> expected = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
                                        WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEWHEEL};
    ASSERT_EQ(Messages(), expected);
    EXPECT_EQ(GET_X_LPARAM(g_seen[0].lParam), 30);
    EXPECT_EQ(GET_Y_LPARAM(g_seen[0].lParam), 40);
    EXPECT_EQ(g_seen[1].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(g_seen[2].wParam & MK_LBUTTON, 0u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(g_seen[7].wParam), -240);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(g_seen[0].wParam), 0) << "a move carries no wheel delta";

    // The cursor is where the last processed event put it.
    POINT pt{};
    ASSERT_TRUE(GetCursorPos(&pt));
    ASSERT_TRUE(ScreenToClient(hwnd, &pt));
    EXPECT_EQ(pt.x, 5);
    EXPECT_EQ(pt.y, 6);
}

TEST_F(WindowTest, SecondClickIsAPlainPress) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SDL_GetWindowID(Platform::GetSdlWindow(hwnd));
    e.button.button = SDL_BUTTON_MIDDLE;
    e.button.state = SDL_PRESSED;
    e.button.clicks = 2;
    SDL_PushEvent(&e);
    Pump();
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_MBUTTONDOWN});
}

TEST_F(WindowTest, TypedTextBecomesCodePage1251Characters) {
    // "A", Cyrillic "я", the euro sign, a character cp1251 lacks, "ё".
    Platform::InjectText(hwnd, "A\xD1\x8F\xE2\x82\xAC\xF0\x9F\x98\x80\xD1\x91");
    Pump();
    std::vector<BYTE> chars;
    for (const auto& m : g_seen)
        if (m.message == WM_CHAR) chars.push_back(static_cast<BYTE>(m.wParam));
    EXPECT_EQ(chars, (std::vector<BYTE>{'A', 0xFF, 0x88, 0xB8}));
}

TEST_F(WindowTest, CloseRequestSendsDestroyOnceAndQuitEndsTheLoop) {
    PostMessageA(hwnd, WM_NULL, 1, 2);
    Platform::InjectClose(hwnd);
    Platform::InjectQuit();
    int code = -1;
    EXPECT_TRUE(Pump(&code));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NULL, WM_DESTROY}));
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT is taken once";
    g_seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(Messages(WM_DESTROY).empty()) << "the window already had its WM_DESTROY";
}

TEST_F(WindowTest, DestroyWindowSendsDestroyAndQuitComesAfterPostedMessages) {
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_DESTROY});
    PostMessageA(nullptr, WM_NULL, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_NULL);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_NULL);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(WindowTest, FocusEventsBecomeMessages) {
    EXPECT_TRUE(Platform::HasFocus(hwnd)) << "counts as focused until told otherwise";
    Platform::InjectFocus(hwnd, false);
    Pump();
    EXPECT_FALSE(Platform::HasFocus(hwnd));
    Platform::InjectFocus(hwnd, true);
    Pump();
    EXPECT_TRUE(Platform::HasFocus(hwnd));
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_KILLFOCUS, WM_SETFOCUS}));
}

TEST_F(WindowTest, CaptureAndCursor) {
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(SetCapture(hwnd), nullptr);
    EXPECT_EQ(GetCapture(), hwnd);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    const DWORD pixels[4] = {0xFFFFFFFFu, 0xFF000000u, 0x00000000u, 0xFFFF0000u};
    HCURSOR own = Platform::CreateCursorFromPixels(pixels, 2, 2, 1, 1);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(Platform::CreateCursorFromPixels(pixels, 0, 2, 0, 0), nullptr);
    HCURSOR before = SetCursor(own);
    EXPECT_EQ(SetCursor(arrow), own);
    EXPECT_EQ(Platform::GetCurrentCursor(), arrow);
    SetCursor(before);
    EXPECT_TRUE(DestroyCursor(own));

    int start = Platform::GetShowCursorCount();
    EXPECT_EQ(ShowCursor(FALSE), start - 1);
    EXPECT_EQ(ShowCursor(TRUE), start);
}

// --- DirectInput -----------------------------------------------------------

struct Devices {
    LPDIRECTINPUT8 di = nullptr;
    LPDIRECTINPUTDEVICE8 keyboard = nullptr;
    LPDIRECTINPUTDEVICE8 mouse = nullptr;
    ~Devices() {
        if (keyboard) keyboard->Release();
        if (mouse) mouse->Release();
        if (di) di->Release();
    }
};

class DirectInputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8,
                                     reinterpret_cast<LPVOID*>(&d.di), nullptr),
                  DI_OK);
        ASSERT_EQ(d.di->CreateDevice(GUID_SysKeyboard, &d.keyboard, nullptr), DI_OK);
        ASSERT_EQ(d.keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        ASSERT_EQ(d.keyboard->SetCooperativeLevel(hwnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        ASSERT_EQ(d.keyboard->Acquire(), DI_OK);
        ASSERT_EQ(d.di->CreateDevice(GUID_SysMouse, &d.mouse, nullptr), DI_OK);
        ASSERT_EQ(d.mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
        ASSERT_EQ(d.mouse->SetCooperativeLevel(hwnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        DIPROPDWORD prop{};
        prop.diph.dwSize = sizeof(prop);
        prop.diph.dwHeaderSize = sizeof(prop.diph);
        prop.diph.dwHow = DIPH_DEVICE;
        prop.dwData = 16;
        ASSERT_EQ(d.mouse->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DI_OK);
        ASSERT_EQ(d.mouse->Acquire(), DI_OK);
    }
    void TearDown() override {
        d.~Devices();
        new (&d) Devices;
        WindowTest::TearDown();
    }
    Devices d;
    BYTE keys[256] = {};
};

TEST_F(DirectInputTest, KeysFollowTheEventsTheLoopHasTaken) {
    Platform::InjectKey(hwnd, DIK_F5, true);
    Platform::InjectKey(hwnd, DIK_NUMPAD6, true);
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F5], 0) << "not yet taken by the loop";
    Pump();
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F5], 0x80);
    EXPECT_EQ(keys[DIK_NUMPAD6], 0x80);
    Platform::InjectKey(hwnd, DIK_F5, false);
    Pump();
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F5], 0);
    EXPECT_EQ(keys[DIK_NUMPAD6], 0x80);
    EXPECT_EQ(d.keyboard->GetDeviceState(16, keys), DIERR_INVALIDPARAM) << "size must match the format";
}

TEST_F(DirectInputTest, MouseReportsMotionSinceTheLastReadAndButtons) {
    Platform::InjectMouseMove(hwnd, 10, 10);
    Pump();
    DIMOUSESTATE st{};
    ASSERT_EQ(d.mouse->GetDeviceState(sizeof(st), &st), DI_OK);
    Platform::InjectMouseMove(hwnd, 15, 7);
    Platform::InjectMouseMove(hwnd, 20, 12);
    Platform::InjectWheel(hwnd, 1);
    Platform::InjectMouseButton(hwnd, 1, true, 20, 12);
    Pump();
    ASSERT_EQ(d.mouse->GetDeviceState(sizeof(st), &st), DI_OK);
    EXPECT_EQ(st.lX, 10);
    EXPECT_EQ(st.lY, 2);
    EXPECT_EQ(st.lZ, 120);
    EXPECT_EQ(st.rgbButtons[0], 0);
    EXPECT_EQ(st.rgbButtons[1], 0x80);
    ASSERT_EQ(d.mouse->GetDeviceState(sizeof(st), &st), DI_OK);
    EXPECT_EQ(st.lX, 0);
    EXPECT_EQ(st.lY, 0);
    EXPECT_EQ(st.lZ, 0);
    EXPECT_EQ(st.rgbButtons[1], 0x80) << "buttons are states, not events";
}

// What the program sees in one frame: the messages the loop took, then the
// keys F4 and F5 and the mouse buttons as the devices read them.
std::string FrameSeen(const std::vector<MSG>& messages, const BYTE keys[256], const DIMOUSESTATE& mouse) {
    std::string seen;
    for (const MSG& m : messages) {
        switch (m.message) {
        case WM_MOUSEMOVE: seen += "move "; break;
        case WM_LBUTTONDOWN: seen += "ldown "; break;
        case WM_LBUTTONUP: seen += "lup "; break;
        case WM_RBUTTONDOWN: seen += "rdown "; break;
        case WM_RBUTTONUP: seen += "rup "; break;
        case WM_MOUSEWHEEL: seen += "wheel" + std::to_string(GET_WHEEL_DELTA_WPARAM(m.wParam)) + " "; break;
        case WM_CHAR: seen += std::string("char:") + static_cast<char>(m.wParam) + " "; break;
        default: seen += "other "; break;
        }
    }
    seen += "|";
    if (keys[DIK_F4]) seen += " F4";
    if (keys[DIK_F5]) seen += " F5";
    if (mouse.rgbButtons[0]) seen += " L";
    if (mouse.rgbButtons[1]) seen += " R";
    return seen;
}

TEST_F(DirectInputTest, EveryQuickChangeIsSeenByAFrameOfItsOwn) {
    using Inject = void (*)(HWND);
    const struct {
        const char* name;
        std::vector<Inject> events; // all injected between two frames
        std::vector<std::string> frames;
    } cases[] = {
        {"a key tap",
         {[](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectKey(h, DIK_F4, false); }},
         {"| F4", "|"}},
        {"a key tapped twice: each tap has its frame",
         {[](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectKey(h, DIK_F4, false); },
          [](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectKey(h, DIK_F4, false); }},
         {"| F4", "| F4"}},
        {"the keyboard's own repeat is one press",
         {[](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectKey(h, DIK_F4, true); },
          [](HWND h) { Platform::InjectKey(h, DIK_F4, false); }},
         {"| F4"}},
        {"a tap after a click waits for nothing",
         {[](HWND h) { Platform::InjectMouseButton(h, 1, true, 5, 5); },
          [](HWND h) { Platform::InjectKey(h, DIK_F5, true); }, [](HWND h) { Platform::InjectKey(h, DIK_F5, false); },
          [](HWND h) { Platform::InjectMouseButton(h, 1, false, 5, 5); }},
         {"rdown | F5 R", "rup |"}},
        {"a click",
         {[](HWND h) { Platform::InjectMouseButton(h, 0, true, 5, 5); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, false, 5, 5); }},
         {"ldown | L", "lup |"}},
        {"a double click",
         {[](HWND h) { Platform::InjectMouseButton(h, 0, true, 5, 5); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, false, 5, 5); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, true, 5, 5); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, false, 5, 5); }},
         {"ldown | L", "lup |", "ldown | L", "lup |"}},
        {"a move and a click",
         {[](HWND h) { Platform::InjectMouseMove(h, 7, 8); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, true, 7, 8); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, false, 7, 8); }},
         {"move ldown | L", "lup |"}},
        {"two wheel turns", {[](HWND h) { Platform::InjectWheel(h, 1); }, [](HWND h) { Platform::InjectWheel(h, -1); }},
         {"wheel120 |", "wheel-120 |"}},
        {"typed text then a move",
         {[](HWND h) { Platform::InjectText(h, "ab"); }, [](HWND h) { Platform::InjectMouseMove(h, 9, 9); }},
         {"char:a char:b move |"}},
        {"a word typed within a frame, as the keyboard sends it",
         {[](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectText(h, "s"); },
          [](HWND h) { Platform::InjectKey(h, DIK_F4, false); }, [](HWND h) { Platform::InjectKey(h, DIK_F5, true); },
          [](HWND h) { Platform::InjectText(h, "e"); }, [](HWND h) { Platform::InjectKey(h, DIK_F5, false); },
          [](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectText(h, "a"); },
          [](HWND h) { Platform::InjectKey(h, DIK_F4, false); }},
         {"char:s char:e | F4 F5", "char:a | F4"}},
        {"changes that undo nothing share a frame",
         {[](HWND h) { Platform::InjectKey(h, DIK_F4, true); }, [](HWND h) { Platform::InjectKey(h, DIK_F5, true); },
          [](HWND h) { Platform::InjectMouseButton(h, 1, true, 5, 5); },
          [](HWND h) { Platform::InjectMouseButton(h, 0, true, 5, 5); }, [](HWND h) { Platform::InjectWheel(h, 1); },
          [](HWND h) { Platform::InjectMouseMove(h, 6, 6); }, [](HWND h) { Platform::InjectText(h, "x"); },
          [](HWND h) { Platform::InjectKey(h, DIK_F4, false); }},
         {"rdown ldown wheel120 move char:x | F4 F5 L R", "| F5 L R"}},
    };
    for (const auto& c : cases) {
        Platform::FlushMessages();
        Platform::ResetInputState();
        for (Inject inject : c.events) inject(hwnd);
        std::vector<std::string> frames;
        for (size_t frame = 0; frame < c.frames.size() + 1; ++frame) {
            g_seen.clear();
            Pump();
            DIMOUSESTATE mouse{};
            ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
            ASSERT_EQ(d.mouse->GetDeviceState(sizeof(mouse), &mouse), DI_OK);
            frames.push_back(FrameSeen(g_seen, keys, mouse));
        }
        // After the expected frames the next one sees nothing new.
        EXPECT_EQ(frames.back().find('|'), 0u) << c.name << ": " << frames.back();
        frames.pop_back();
        EXPECT_EQ(frames, c.frames) << c.name;
    }
}

// A device reads the presses made since its own last read: two devices of
// one key each see a tap once, a device acquired after the tap never sees it,
// and a reset forgets a tap no device has read yet.
TEST_F(DirectInputTest, EachDeviceSeesATapOnceAtItsNextRead) {
    LPDIRECTINPUTDEVICE8 second = nullptr;
    ASSERT_EQ(d.di->CreateDevice(GUID_SysKeyboard, &second, nullptr), DI_OK);
    ASSERT_EQ(second->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(second->SetCooperativeLevel(hwnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(second->Acquire(), DI_OK);
    BYTE other[256] = {};
    Platform::InjectKey(hwnd, DIK_F4, true);
    Platform::InjectKey(hwnd, DIK_F4, false);
    Pump();
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F4], 0x80);
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F4], 0) << "released at the next read";
    ASSERT_EQ(second->GetDeviceState(256, other), DI_OK);
    EXPECT_EQ(other[DIK_F4], 0x80) << "the other device has not read it yet";

    Platform::InjectKey(hwnd, DIK_F4, true);
    Platform::InjectKey(hwnd, DIK_F4, false);
    Pump();
    ASSERT_EQ(second->Unacquire(), DI_OK);
    ASSERT_EQ(second->Acquire(), DI_OK);
    ASSERT_EQ(second->GetDeviceState(256, other), DI_OK);
    EXPECT_EQ(other[DIK_F4], 0) << "made before the acquisition";
    Platform::ResetInputState();
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F4], 0) << "forgotten by the reset";

    Platform::InjectMouseButton(hwnd, 1, true, 5, 5);
    Pump();
    Platform::InjectMouseButton(hwnd, 1, false, 5, 5);
    Pump();
    DIMOUSESTATE mouse{};
    ASSERT_EQ(d.mouse->GetDeviceState(sizeof(mouse), &mouse), DI_OK);
    EXPECT_EQ(mouse.rgbButtons[1], 0x80) << "a click held over two frames is seen by a later read";
    ASSERT_EQ(d.mouse->GetDeviceState(sizeof(mouse), &mouse), DI_OK);
    EXPECT_EQ(mouse.rgbButtons[1], 0);
    second->Release();
}

// The repeat gates: a held key goes through once a little more than every
// interval, as the frames reach it; a press seen by one frame only goes
// through however long the gate has stood armed; a press seen by two slow
// frames goes through once; a second tap within the interval waits.
class RepeatGateTest : public DirectInputTest {
protected:
    void SetUp() override {
        DirectInputTest::SetUp();
        Platform::SetClock(&clock);
    }
    void TearDown() override {
        Platform::SetClock(nullptr);
        DirectInputTest::TearDown();
    }
    // One frame of `ms`: the loop takes what waits, the key is read and,
    // while it is down, the gate is asked.
    bool Frame(DWORD ms) {
        Pump();
        clock.Advance(ms);
        EXPECT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
        return (keys[DIK_UP] & 0x80) && Platform::PassRepeatGate(stamp, 100);
    }
    Platform::ManualClock clock;
    DWORD stamp = 0;
};

TEST_F(RepeatGateTest, HeldKeysRepeatAndEveryShortPressGoesThrough) {
    // Held for a second at 16 ms a frame: through at 0, then the frame past
    // 100 ms disarms and the next goes through: every 8th frame.
    Platform::InjectKey(hwnd, DIK_UP, true);
    std::vector<int> through;
    for (int frame = 0; frame < 60; ++frame)
        if (Frame(16)) through.push_back(frame);
    EXPECT_EQ(through, (std::vector<int>{0, 8, 16, 24, 32, 40, 48, 56}));
    Platform::InjectKey(hwnd, DIK_UP, false);
    Frame(16);

    // Taps of a single frame at 5 frames a second, a second apart: each one
    // goes through although the gate stood armed since the one before.
    int taps = 0;
    for (int second = 0; second < 4; ++second) {
        Platform::InjectKey(hwnd, DIK_UP, true);
        Platform::InjectKey(hwnd, DIK_UP, false);
        for (int frame = 0; frame < 5; ++frame) taps += Frame(200);
    }
    EXPECT_EQ(taps, 4);

    // A press that two slow frames see goes through once.
    Platform::InjectKey(hwnd, DIK_UP, true);
    int straddling = Frame(200);
    straddling += Frame(200);
    Platform::InjectKey(hwnd, DIK_UP, false);
    for (int frame = 0; frame < 3; ++frame) straddling += Frame(200);
    EXPECT_EQ(straddling, 1);

    // Two taps 48 ms apart at 16 ms a frame: the second is within the
    // interval and waits; a third after it goes through.
    clock.Advance(1000);
    std::vector<int> quick;
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 0 || frame == 3 || frame == 10) {
            Platform::InjectKey(hwnd, DIK_UP, true);
            Platform::InjectKey(hwnd, DIK_UP, false);
        }
        if (Frame(16)) quick.push_back(frame);
    }
    EXPECT_EQ(quick, (std::vector<int>{0, 10}));
}

TEST_F(DirectInputTest, FocusLossTakesTheAcquisitionAndReleasesKeys) {
    Platform::InjectKey(hwnd, DIK_F5, true);
    Platform::InjectFocus(hwnd, false);
    Pump();
    EXPECT_EQ(d.keyboard->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_EQ(d.keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(d.keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    Platform::InjectFocus(hwnd, true);
    Pump();
    EXPECT_EQ(d.keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(d.keyboard->Acquire(), DI_OK);
    EXPECT_EQ(d.keyboard->Acquire(), DI_NOEFFECT);
    ASSERT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_F5], 0) << "the key-up never came, the key is up all the same";

    // A loss and regain between two reads still counts.
    Platform::InjectFocus(hwnd, false);
    Platform::InjectFocus(hwnd, true);
    Pump();
    EXPECT_EQ(d.mouse->GetDeviceState(sizeof(DIMOUSESTATE), keys), DIERR_INPUTLOST);
    EXPECT_EQ(d.mouse->Acquire(), DI_OK);
}

TEST_F(DirectInputTest, SetUpRulesAndInjectedFailures) {
    LPDIRECTINPUTDEVICE8 dev = nullptr;
    EXPECT_EQ(d.di->CreateDevice(IID_IDirectInput8, &dev, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(dev, nullptr);
    ASSERT_EQ(d.di->CreateDevice(GUID_SysMouse, &dev, nullptr), DI_OK);
    EXPECT_EQ(dev->SetDataFormat(&c_dfDIKeyboard), DIERR_INVALIDPARAM);
    EXPECT_EQ(dev->Acquire(), DIERR_INVALIDPARAM) << "no format yet";
    EXPECT_EQ(dev->SetDataFormat(&c_dfDIMouse), DI_OK);
    EXPECT_EQ(dev->SetCooperativeLevel(hwnd, DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(dev->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(dev->Unacquire(), DI_NOEFFECT);
    dev->Release();

    LPDIRECTINPUT8 other = nullptr;
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8, reinterpret_cast<LPVOID*>(&other), nullptr),
              DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(other, nullptr);

    Platform::FailDirectInputStep(Platform::DIStep::GetDeviceState, Platform::DIDeviceKind::Keyboard, E_FAIL, 1);
    EXPECT_EQ(d.keyboard->GetDeviceState(256, keys), E_FAIL);
    EXPECT_EQ(d.keyboard->GetDeviceState(256, keys), DI_OK) << "counted failures run out";
    Platform::FailDirectInputStep(Platform::DIStep::Create, Platform::DIDeviceKind::Any, E_OUTOFMEMORY);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8,
                                 reinterpret_cast<LPVOID*>(&other), nullptr),
              E_OUTOFMEMORY);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8,
                                 reinterpret_cast<LPVOID*>(&other), nullptr),
              E_OUTOFMEMORY)
        << "uncounted failures stay";
    Platform::ClearDirectInputFailures();
}

} // namespace
