#include "platform/window/Window.h"

#include "platform/os/Clock.h"
#include "platform/os/CodePage.h"
#include "platform/window/DirectInput.h"
#include "platform/window/InputState.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct HWND__ {
    SDL_Window* sdl = nullptr;
    Uint32 id = 0;
    std::string className;
    WNDPROC proc = nullptr;
    bool destroyNotified = false;
    bool focused = true;
    DWORD focusLosses = 0;
};

struct HCURSOR__ {
    SDL_Cursor* sdl = nullptr;
    bool shared = false;
};

struct HDC__ {
    HWND hwnd = nullptr;
};

namespace {

struct WindowClass {
    WNDCLASSEXA wc{};
    std::string name;
};

struct State {
    std::map<std::string, WindowClass> classes; // by lower-case name
    std::vector<std::unique_ptr<HWND__>> windows;
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
    POINT cursorScreen{0, 0};
    HWND capture = nullptr;
    HWND active = nullptr;
    HCURSOR current = nullptr;
    bool cursorChosen = false;
    int showCount = 0;
    HCURSOR__ arrow{nullptr, true};
    bool videoFailed = false;
    // Where injected mouse events left the cursor, for their relative motion
    // (the loop may not have taken them yet).
    bool injected = false;
    POINT injectedScreen{0, 0};
    // What the events taken since the loop last found nothing waiting have
    // changed. The program draws a frame each time nothing waits. The
    // devices report a key pressed since their last read as down, so only a
    // second press of a key waits for the next frame; the button messages
    // and the wheel value hold one state a frame, so a button event that
    // would undo this frame's change and a second wheel turn wait too.
    struct FrameChanges {
        bool keyPressed[256] = {};
        bool buttons[4] = {};
        bool wheel = false;
    } changed;
};

// Never destroyed: window objects may be torn down during static
// destruction, after this state would otherwise be gone.
State& S() {
    static State& s = *new State;
    return s;
}

std::string Lower(const char* s) {
    std::string r = s ? s : "";
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

HWND Find(HWND h) {
    if (!h) return nullptr;
    for (auto& w : S().windows)
        if (w.get() == h) return h;
    return nullptr;
}

HWND FindById(Uint32 id) {
    for (auto& w : S().windows)
        if (w->id == id) return w.get();
    return nullptr;
}

bool VideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

LPARAM MakeLParam(int x, int y) {
    return static_cast<LPARAM>((static_cast<DWORD>(static_cast<WORD>(y)) << 16) | static_cast<WORD>(x));
}

WPARAM MouseKeys() {
    const auto& in = Platform::Detail::Input();
    WPARAM k = 0;
    if (in.buttons[0]) k |= MK_LBUTTON;
    if (in.buttons[1]) k |= MK_RBUTTON;
    if (in.buttons[2]) k |= MK_MBUTTON;
    return k;
}

void Post(HWND h, UINT message, WPARAM w, LPARAM l) {
    MSG m{};
    m.hwnd = h;
    m.message = message;
    m.wParam = w;
    m.lParam = l;
    m.time = timeGetTime();
    m.pt = S().cursorScreen;
    S().queue.push_back(m);
}

void WindowPosition(HWND h, int* x, int* y) {
    *x = 0;
    *y = 0;
    if (Find(h) && h->sdl) SDL_GetWindowPosition(h->sdl, x, y);
}

void ClientToScreenPoint(HWND h, POINT* p) {
    int wx, wy;
    WindowPosition(h, &wx, &wy);
    p->x += wx;
    p->y += wy;
}

// Remembers where the mouse is, from an event in a window's client area.
void TrackCursor(HWND h, int x, int y) {
    int wx, wy;
    WindowPosition(h, &wx, &wy);
    S().cursorScreen = POINT{wx + x, wy + y};
}

void NotifyDestroy(HWND h) {
    if (!h || h->destroyNotified) return;
    h->destroyNotified = true;
    Post(h, WM_DESTROY, 0, 0);
}

void LoseFocus(HWND h) {
    h->focused = false;
    ++h->focusLosses;
    // Keys held while the focus went elsewhere never report their release.
    auto& in = Platform::Detail::Input();
    std::memset(in.keys, 0, sizeof(in.keys));
    std::memset(in.buttons, 0, sizeof(in.buttons));
}

// Turns one SDL event into the state changes and messages it stands for.
void Translate(const SDL_Event& e) {
    auto& in = Platform::Detail::Input();
    switch (e.type) {
    case SDL_QUIT:
        for (auto& w : S().windows) NotifyDestroy(w.get());
        break;
    case SDL_WINDOWEVENT: {
        HWND h = FindById(e.window.windowID);
        if (!h) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            NotifyDestroy(h);
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            h->focused = true;
            Post(h, WM_SETFOCUS, 0, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            LoseFocus(h);
            Post(h, WM_KILLFOCUS, 0, 0);
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        BYTE dik = Platform::DikFromScancode(e.key.keysym.scancode);
        if (!dik) break;
        const bool down = e.type == SDL_KEYDOWN;
        // The keyboard's own repeat sends more downs without ups: one press.
        if (down && !in.keys[dik]) {
            ++in.keyPresses[dik];
            ++in.allPresses;
        }
        in.keys[dik] = down ? 0x80 : 0;
        break;
    }
    case SDL_TEXTINPUT: {
        // Every character as it comes: the program keeps all of them, in
        // order, until its edit box takes them.
        HWND h = FindById(e.text.windowID);
        if (!h) break;
        for (char c : Platform::Utf8ToCp1251(e.text.text)) Post(h, WM_CHAR, static_cast<BYTE>(c), 1);
        break;
    }
    case SDL_MOUSEMOTION: {
        in.sumX += e.motion.xrel;
        in.sumY += e.motion.yrel;
        HWND h = FindById(e.motion.windowID);
        if (!h) break;
        TrackCursor(h, e.motion.x, e.motion.y);
        Post(h, WM_MOUSEMOVE, MouseKeys(), MakeLParam(e.motion.x, e.motion.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        int index = -1;
        UINT message = 0;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: index = 0; message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: index = 1; message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: index = 2; message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        case SDL_BUTTON_X1: index = 3; break;
        default: break;
        }
        if (index >= 0) {
            if (down && !in.buttons[index]) {
                ++in.buttonPresses[index];
                ++in.allPresses;
            }
            in.buttons[index] = down ? 0x80 : 0;
        }
        HWND h = FindById(e.button.windowID);
        if (!h) break;
        TrackCursor(h, e.button.x, e.button.y);
        // The classes have no CS_DBLCLKS: a second click is a plain press.
        if (message) Post(h, message, MouseKeys(), MakeLParam(e.button.x, e.button.y));
        break;
    }
    case SDL_MOUSEWHEEL: {
        int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (notches == 0) break;
        int delta = notches * WHEEL_DELTA;
        in.sumZ += delta;
        HWND h = FindById(e.wheel.windowID);
        if (!h) break;
        WPARAM w = (static_cast<WPARAM>(static_cast<WORD>(static_cast<short>(delta))) << 16) | MouseKeys();
        Post(h, WM_MOUSEWHEEL, w, MakeLParam(S().cursorScreen.x, S().cursorScreen.y));
        break;
    }
    default:
        break;
    }
}

// The button index (0 left, 1 right, 2 middle, 3 first extra) of a mouse
// button event; -1 for other buttons.
int ButtonIndex(const SDL_MouseButtonEvent& b) {
    switch (b.button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    default: return -1;
    }
}

// Whether an event must wait for the next frame, so that every press the
// frame before it would otherwise never see is seen by one frame: a second
// press of a key already pressed (and let go) since the last frame, a button
// event that would undo the button's change since the last frame, and a
// second wheel turn.
bool WaitsForNextFrame(const SDL_Event& e) {
    const auto& in = Platform::Detail::Input();
    const auto& changed = S().changed;
    switch (e.type) {
    case SDL_KEYDOWN: {
        const BYTE dik = Platform::DikFromScancode(e.key.keysym.scancode);
        return dik && changed.keyPressed[dik] && !in.keys[dik];
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int index = ButtonIndex(e.button);
        if (index < 0) return false;
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        return changed.buttons[index] && (in.buttons[index] != 0) != down;
    }
    case SDL_MOUSEWHEEL: return changed.wheel;
    default: return false;
    }
}

// Notes what a taken event changed for this frame.
void NoteChange(const SDL_Event& e) {
    auto& changed = S().changed;
    switch (e.type) {
    case SDL_KEYDOWN:
        if (const BYTE dik = Platform::DikFromScancode(e.key.keysym.scancode)) changed.keyPressed[dik] = true;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (const int index = ButtonIndex(e.button); index >= 0) changed.buttons[index] = true;
        break;
    case SDL_MOUSEWHEEL: changed.wheel = true; break;
    default: break;
    }
}

bool Matches(const MSG& m, HWND hWnd, UINT lo, UINT hi) {
    if (hWnd && m.hwnd != hWnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

// Looks through the queue for the first message that passes the filter.
bool Take(MSG* msg, HWND hWnd, UINT lo, UINT hi, UINT remove) {
    auto& q = S().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!Matches(*it, hWnd, lo, hi)) continue;
        *msg = *it;
        if (remove & PM_REMOVE) q.erase(it);
        return true;
    }
    return false;
}

void ApplyCursor() {
    if (!VideoUp()) return;
    auto& s = S();
    HCURSOR c = s.cursorChosen ? s.current : &s.arrow;
    if (c && c->sdl) SDL_SetCursor(c->sdl);
    SDL_ShowCursor(c && s.showCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

void PushWindowEvent(HWND h, Uint8 what) {
    if (!Platform::EnsureVideo()) return;
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = Find(h) ? h->id : 0;
    e.window.event = what;
    e.window.timestamp = SDL_GetTicks();
    SDL_PushEvent(&e);
}

} // namespace

namespace Platform::Detail {

SystemInput& Input() {
    static SystemInput& input = *new SystemInput;
    return input;
}

bool WindowFocused(HWND hWnd) { return Find(hWnd) && hWnd->focused; }

DWORD WindowFocusLosses(HWND hWnd) { return Find(hWnd) ? hWnd->focusLosses : 0; }

} // namespace Platform::Detail

HINSTANCE GetModuleHandleA(LPCSTR moduleName) {
    static int module;
    return moduleName ? nullptr : static_cast<HINSTANCE>(&module);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || !*wc->lpszClassName) return 0;
    std::string key = Lower(wc->lpszClassName);
    auto& classes = S().classes;
    if (classes.count(key)) return 0;
    WindowClass c;
    c.wc = *wc;
    c.name = wc->lpszClassName;
    c.wc.lpszClassName = nullptr;
    c.wc.lpszMenuName = nullptr;
    classes[key] = c;
    static ATOM next = 0xC000;
    return next++;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    std::string key = Lower(className);
    auto& classes = S().classes;
    if (!classes.count(key)) return FALSE;
    for (auto& w : S().windows)
        if (w->className == key) return FALSE;
    classes.erase(key);
    return TRUE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
    std::string key = Lower(className);
    auto it = S().classes.find(key);
    if (it == S().classes.end() || width <= 0 || height <= 0) return nullptr;
    if (!Platform::EnsureVideo()) return nullptr;
    Uint32 flags = SDL_WINDOW_OPENGL;
    flags |= (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
    std::string title = Platform::Cp1251ToUtf8(windowName ? windowName : "");
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (!sdl) return nullptr;
    auto w = std::make_unique<HWND__>();
    w->sdl = sdl;
    w->id = SDL_GetWindowID(sdl);
    w->className = key;
    w->proc = it->second.wc.lpfnWndProc;
    HWND h = w.get();
    S().windows.push_back(std::move(w));
    if (it->second.wc.hCursor) SetCursor(it->second.wc.hCursor);
    return h;
}

BOOL DestroyWindow(HWND hWnd) {
    if (!Find(hWnd)) return FALSE;
    if (!hWnd->destroyNotified) {
        hWnd->destroyNotified = true;
        SendMessageA(hWnd, WM_DESTROY, 0, 0);
    }
    auto& s = S();
    if (s.capture == hWnd) ReleaseCapture();
    if (s.active == hWnd) s.active = nullptr;
    // Messages still queued for the window go with it.
    std::erase_if(s.queue, [hWnd](const MSG& m) { return m.hwnd == hWnd; });
    SDL_DestroyWindow(hWnd->sdl);
    std::erase_if(s.windows, [hWnd](const std::unique_ptr<HWND__>& w) { return w.get() == hWnd; });
    return TRUE;
}

BOOL IsWindow(HWND hWnd) { return Find(hWnd) ? TRUE : FALSE; }

BOOL ShowWindow(HWND hWnd, int cmdShow) {
    if (!Find(hWnd)) return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(hWnd->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    if (cmdShow == SW_HIDE) SDL_HideWindow(hWnd->sdl);
    else SDL_ShowWindow(hWnd->sdl);
    return wasVisible;
}

BOOL UpdateWindow(HWND hWnd) { return Find(hWnd) ? TRUE : FALSE; }

HWND SetActiveWindow(HWND hWnd) {
    if (!Find(hWnd)) return nullptr;
    HWND previous = S().active;
    S().active = hWnd;
    SDL_RaiseWindow(hWnd->sdl);
    return previous;
}

BOOL GetClientRect(HWND hWnd, RECT* rect) {
    if (!Find(hWnd) || !rect) return FALSE;
    int w = 0, h = 0;
    SDL_GetWindowSize(hWnd->sdl, &w, &h);
    *rect = RECT{0, 0, w, h};
    return TRUE;
}

int GetSystemMetrics(int index) {
    int w = 0, h = 0;
    if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
    if (!Platform::GetDesktopSize(&w, &h)) return 0;
    return index == SM_CXSCREEN ? w : h;
}

HGDIOBJ GetStockObject(int object) {
    static char stock[5];
    if (object < 0 || object > 4) return nullptr;
    return reinterpret_cast<HGDIOBJ>(&stock[object]);
}

HDC GetWindowDC(HWND hWnd) {
    if (hWnd && !Find(hWnd)) return nullptr;
    if (!Platform::EnsureVideo()) return nullptr;
    auto* dc = new HDC__;
    dc->hwnd = hWnd;
    return dc;
}

int GetDeviceCaps(HDC hdc, int index) {
    if (!hdc || !VideoUp()) return 0;
    int display = 0;
    if (hdc->hwnd && Find(hdc->hwnd)) display = std::max(0, SDL_GetWindowDisplayIndex(hdc->hwnd->sdl));
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return 0;
    float hdpi = 0, vdpi = 0;
    // Headless drivers do not know the DPI; a common desktop has 96.
    if (SDL_GetDisplayDPI(display, nullptr, &hdpi, &vdpi) != 0 || hdpi <= 0 || vdpi <= 0) hdpi = vdpi = 96.0f;
    switch (index) {
    case HORZSIZE: return static_cast<int>(std::lround(mode.w * 25.4 / hdpi));
    case VERTSIZE: return static_cast<int>(std::lround(mode.h * 25.4 / vdpi));
    case HORZRES: return mode.w;
    case VERTRES: return mode.h;
    case LOGPIXELSX: return static_cast<int>(std::lround(hdpi));
    case LOGPIXELSY: return static_cast<int>(std::lround(vdpi));
    default: return 0;
    }
}

int ReleaseDC(HWND, HDC hdc) {
    if (!hdc) return 0;
    delete hdc;
    return 1;
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = S().cursorScreen;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, POINT* point) {
    if (!Find(hWnd) || !point) return FALSE;
    int x, y;
    WindowPosition(hWnd, &x, &y);
    point->x -= x;
    point->y -= y;
    return TRUE;
}

HWND SetCapture(HWND hWnd) {
    HWND previous = S().capture;
    if (!Find(hWnd)) return previous;
    S().capture = hWnd;
    if (VideoUp()) SDL_CaptureMouse(SDL_TRUE); // unsupported by headless drivers; harmless
    return previous;
}

BOOL ReleaseCapture() {
    S().capture = nullptr;
    if (VideoUp()) SDL_CaptureMouse(SDL_FALSE);
    return TRUE;
}

HWND GetCapture() { return S().capture; }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || name != IDC_ARROW) return nullptr;
    auto& arrow = S().arrow;
    if (!arrow.sdl && Platform::EnsureVideo()) arrow.sdl = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    return &arrow;
}

HCURSOR SetCursor(HCURSOR cursor) {
    auto& s = S();
    HCURSOR previous = s.cursorChosen ? s.current : &s.arrow;
    s.current = cursor;
    s.cursorChosen = true;
    ApplyCursor();
    return previous;
}

int ShowCursor(BOOL show) {
    S().showCount += show ? 1 : -1;
    ApplyCursor();
    return S().showCount;
}

BOOL DestroyCursor(HCURSOR cursor) {
    if (!cursor) return FALSE;
    if (cursor->shared) return TRUE;
    auto& s = S();
    if (s.cursorChosen && s.current == cursor) {
        s.current = nullptr;
        ApplyCursor();
    }
    if (cursor->sdl) SDL_FreeCursor(cursor->sdl);
    delete cursor;
    return TRUE;
}

HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }

BOOL PeekMessageA(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (!msg) return FALSE;
    if (Take(msg, hWnd, filterMin, filterMax, removeMsg)) return TRUE;
    auto& s = S();
    if (s.quitPending && !hWnd) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(s.quitCode);
        msg->time = timeGetTime();
        msg->pt = s.cursorScreen;
        if (removeMsg & PM_REMOVE) s.quitPending = false;
        return TRUE;
    }
    if (!VideoUp()) return FALSE;
    // One event at a time, so the device state and the cursor position move
    // in step with the messages taken. An event that must wait for the next
    // frame stays first in SDL's queue, and so does everything behind it.
    SDL_PumpEvents();
    SDL_Event e;
    for (;;) {
        if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0 || WaitsForNextFrame(e)) break;
        SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        Translate(e);
        NoteChange(e);
        if (Take(msg, hWnd, filterMin, filterMax, removeMsg)) return TRUE;
    }
    // The main loop's "nothing waits": a frame follows.
    if (!hWnd && filterMin == 0 && filterMax == 0 && (removeMsg & PM_REMOVE)) s.changed = State::FrameChanges{};
    return FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !Find(msg->hwnd) || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!Find(hWnd) || !hWnd->proc) return 0;
    return hWnd->proc(hWnd, msg, wParam, lParam);
}

BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !Find(hWnd)) return FALSE;
    Post(hWnd, msg, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    S().quitPending = true;
    S().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

namespace Platform {

bool EnsureVideo() {
    if (VideoUp()) return true;
    auto& s = S();
    if (s.videoFailed) return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "video system unavailable: %s\n", SDL_GetError());
        s.videoFailed = true;
        return false;
    }
    return true;
}

SDL_Window* GetSdlWindow(HWND hWnd) { return Find(hWnd) ? hWnd->sdl : nullptr; }

HWND GetWindowFromSdl(SDL_Window* window) {
    for (auto& w : S().windows)
        if (w->sdl == window && window) return w.get();
    return nullptr;
}

bool GetDesktopSize(int* width, int* height) {
    if (!EnsureVideo()) return false;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    if (width) *width = mode.w;
    if (height) *height = mode.h;
    return true;
}

bool HasFocus(HWND hWnd) { return Detail::WindowFocused(hWnd); }

HCURSOR CreateCursorFromPixels(const DWORD* argb, int width, int height, int hotX, int hotY) {
    if (!argb || width <= 0 || height <= 0) return nullptr;
    auto* c = new HCURSOR__;
    if (EnsureVideo()) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        if (surface) {
            for (int row = 0; row < height; ++row)
                std::memcpy(static_cast<BYTE*>(surface->pixels) + row * surface->pitch, argb + row * width,
                            static_cast<size_t>(width) * 4);
            c->sdl = SDL_CreateColorCursor(surface, std::clamp(hotX, 0, width - 1), std::clamp(hotY, 0, height - 1));
            SDL_FreeSurface(surface);
        }
    }
    return c;
}

HCURSOR GetCurrentCursor() { return S().cursorChosen ? S().current : &S().arrow; }

int GetShowCursorCount() { return S().showCount; }

void InjectKey(HWND hWnd, BYTE dik, bool down) {
    if (!EnsureVideo()) return;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = Find(hWnd) ? hWnd->id : 0;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(ScancodeFromDik(dik));
    e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
    SDL_PushEvent(&e);
}

void InjectMouseMove(HWND hWnd, int x, int y) {
    if (!EnsureVideo()) return;
    auto& s = S();
    POINT last = s.injected ? s.injectedScreen : s.cursorScreen;
    ScreenToClient(hWnd, &last);
    s.injected = true;
    s.injectedScreen = POINT{x, y};
    ClientToScreenPoint(hWnd, &s.injectedScreen);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = Find(hWnd) ? hWnd->id : 0;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = x - last.x;
    e.motion.yrel = y - last.y;
    SDL_PushEvent(&e);
}

void InjectMouseButton(HWND hWnd, int button, bool down, int x, int y) {
    if (!EnsureVideo()) return;
    static const Uint8 sdlButton[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    if (button < 0 || button > 3) return;
    S().injected = true;
    S().injectedScreen = POINT{x, y};
    ClientToScreenPoint(hWnd, &S().injectedScreen);
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = Find(hWnd) ? hWnd->id : 0;
    e.button.button = sdlButton[button];
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

void InjectWheel(HWND hWnd, int notches) {
    if (!EnsureVideo()) return;
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = Find(hWnd) ? hWnd->id : 0;
    e.wheel.y = notches;
    e.wheel.preciseY = static_cast<float>(notches);
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&e);
}

void InjectText(HWND hWnd, const char* utf8) {
    if (!EnsureVideo() || !utf8) return;
    // SDL's text events carry at most 31 bytes; longer text goes in pieces
    // cut between characters.
    std::string text = utf8;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t n = std::min<size_t>(SDL_TEXTINPUTEVENT_TEXT_SIZE - 1, text.size() - pos);
        while (n > 0 && pos + n < text.size() && (static_cast<unsigned char>(text[pos + n]) & 0xC0) == 0x80) --n;
        if (n == 0) break;
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = Find(hWnd) ? hWnd->id : 0;
        std::memcpy(e.text.text, text.data() + pos, n);
        SDL_PushEvent(&e);
        pos += n;
    }
}

void InjectFocus(HWND hWnd, bool gained) {
    PushWindowEvent(hWnd, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void InjectClose(HWND hWnd) { PushWindowEvent(hWnd, SDL_WINDOWEVENT_CLOSE); }

void InjectQuit() {
    if (!EnsureVideo()) return;
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void FlushMessages() {
    auto& s = S();
    s.queue.clear();
    s.quitPending = false;
    s.injected = false;
    s.changed = State::FrameChanges{};
    if (VideoUp()) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

} // namespace Platform
