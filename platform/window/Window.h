#pragma once
// Windows, the message queue, the cursor and the screen, as the engines know
// them from Win32. Each window is an SDL window created for OpenGL; its HWND
// is our own handle for it. Window messages come from SDL's events and are
// delivered to the window procedure of the window's class by DispatchMessageA.
// Main thread only.
#include "platform/os/WinTypes.h"

struct SDL_Window;

// Opaque handles.
struct HICON__;
using HICON = HICON__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HDC__;
using HDC = HDC__*;
struct HGDIOBJ__;
using HGDIOBJ = HGDIOBJ__*;
using ATOM = WORD;

#define CALLBACK
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Messages used by the engines (documented values).
#define WM_NULL 0x0000u
#define WM_DESTROY 0x0002u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_QUIT 0x0012u
#define WM_CHAR 0x0102u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_LBUTTONDBLCLK 0x0203u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u
#define WM_RBUTTONDBLCLK 0x0206u
#define WM_MBUTTONDOWN 0x0207u
#define WM_MBUTTONUP 0x0208u
#define WM_MBUTTONDBLCLK 0x0209u
#define WM_MOUSEWHEEL 0x020Au

// Key-state flags in the low word of mouse messages' wParam.
#define MK_LBUTTON 0x0001u
#define MK_RBUTTON 0x0002u
#define MK_MBUTTON 0x0010u
#define WHEEL_DELTA 120

#define LOWORD(l) ((WORD)(((std::uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((std::uintptr_t)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((std::uintptr_t)(w)) & 0xff))
#define GET_WHEEL_DELTA_WPARAM(wParam) ((short)HIWORD(wParam))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#define MAKEINTRESOURCEA(i) ((LPCSTR)((std::uintptr_t)((WORD)(i))))

// Class styles.
#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_DBLCLKS 0x0008u
#define CS_OWNDC 0x0020u

// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_VISIBLE 0x10000000u

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWDEFAULT 10

// GetSystemMetrics indexes.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

// GetDeviceCaps indexes.
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// PeekMessage options.
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4

// Standard cursors.
#define IDC_ARROW MAKEINTRESOURCEA(32512)

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

// GetModuleHandleA: the program's instance handle (never null); any name
// other than null gives null.
HINSTANCE GetModuleHandleA(LPCSTR moduleName);

// RegisterClassExA: registers a window class by name (compared without case).
// Returns 0 when the description is incomplete (no procedure or name) or the
// name is already registered; the class's cursor is shown over its windows.
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
// UnregisterClassA: false when no such class exists or a window still uses it.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// CreateWindowExA: a window of a registered class. width and height are the
// client size; WS_POPUP gives a window without border, WS_VISIBLE shows it at
// once (otherwise it stays hidden until ShowWindow). Every window is made for
// OpenGL. Returns null when the class is unknown, a size is not positive or
// the video system cannot start. The title is code page 1251 text.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// DestroyWindow: sends WM_DESTROY to the window procedure (unless that
// window already had it, as after a close request) and then destroys it.
BOOL DestroyWindow(HWND hWnd);
// IsWindow: true while the handle names a live window.
BOOL IsWindow(HWND hWnd);
// ShowWindow: SW_HIDE hides, any other command shows; returns whether the
// window was visible before.
BOOL ShowWindow(HWND hWnd, int cmdShow);
// UpdateWindow: nothing to repaint here; true for a live window.
BOOL UpdateWindow(HWND hWnd);
// SetActiveWindow: raises the window and asks for input focus; returns the
// previously active window.
HWND SetActiveWindow(HWND hWnd);
// GetClientRect: (0, 0, client width, client height); false for a bad handle.
BOOL GetClientRect(HWND hWnd, RECT* rect);

// GetSystemMetrics: SM_CXSCREEN / SM_CYSCREEN give the desktop size of the
// first display in pixels; 0 for other indexes or without a video system.
int GetSystemMetrics(int index);

// GetStockObject: a stock brush handle (background only; never drawn).
HGDIOBJ GetStockObject(int object);

// The screen's device context: GetDeviceCaps answers HORZSIZE / VERTSIZE in
// millimetres from the display's DPI (96 DPI when the display does not tell,
// as headless), HORZRES / VERTRES in pixels, LOGPIXELSX / LOGPIXELSY in DPI.
HDC GetWindowDC(HWND hWnd);
int GetDeviceCaps(HDC hdc, int index);
int ReleaseDC(HWND hWnd, HDC hdc);

// The cursor position: GetCursorPos gives the position of the last mouse
// event the message loop processed, in screen coordinates; ScreenToClient
// turns it into the client coordinates of a window (the event's own client
// coordinates when it is that window's event).
BOOL GetCursorPos(POINT* point);
BOOL ScreenToClient(HWND hWnd, POINT* point);
// Mouse capture: SetCapture returns the previous capturing window;
// GetCapture answers the current one (null when none).
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();

// Cursors. LoadCursorA(null, IDC_ARROW) gives the system arrow; SetCursor
// makes a cursor current (null hides it) and returns the previous one;
// ShowCursor counts shows and hides, the cursor is visible while the count
// is >= 0 (it starts at 0) and the new count is returned.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
int ShowCursor(BOOL show);
BOOL DestroyCursor(HCURSOR cursor);
// LoadIconA: no icon resources are bound into the programs; always null (the
// window keeps the desktop's default icon).
HICON LoadIconA(HINSTANCE instance, LPCSTR name);

// The message queue of the main thread.
// PeekMessageA: takes the next message for any window (hWnd null, filters 0)
// or for one window. Posted messages come first, then a pending WM_QUIT, then
// the messages made from SDL's events. Keyboard and mouse events also feed the
// DirectInput device state as they are taken here. Returns false when nothing
// is waiting. PM_NOREMOVE leaves the message in the queue.
// The main loop draws a frame whenever this returns false for it (any window,
// no filter, PM_REMOVE), and every press is seen by at least one frame: the
// devices report a key or button pressed since their last read as down for
// that read (however short the press), while a second press of a key since
// the last frame, a button message that would undo the button's change since
// the last frame (the release of a quick click) and a second wheel turn
// wait, with every event behind them, until the loop has found nothing
// waiting once more. Typed characters all come at once, in order.
BOOL PeekMessageA(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// TranslateMessage: characters already arrive as WM_CHAR; returns false.
BOOL TranslateMessage(const MSG* msg);
// DispatchMessageA: calls the procedure of the message's window; 0 for a
// message without a live window.
LRESULT DispatchMessageA(const MSG* msg);
// SendMessageA: calls the window procedure directly.
LRESULT SendMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// PostMessageA: appends a message to the queue.
BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// PostQuitMessage: the next PeekMessageA after the posted messages returns
// WM_QUIT with the exit code in wParam (once).
void PostQuitMessage(int exitCode);
// DefWindowProcA: default handling; answers 0.
LRESULT DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace Platform {

// Starts SDL's video and event systems once; false when that fails (the
// reason is SDL's error text, logged to stderr once).
bool EnsureVideo();
// The SDL window of a handle, for the graphics layer; null for a bad handle.
SDL_Window* GetSdlWindow(HWND hWnd);
// The handle of an SDL window made by CreateWindowExA; null otherwise.
HWND GetWindowFromSdl(SDL_Window* window);
// The desktop size of the first display in pixels (false without video).
bool GetDesktopSize(int* width, int* height);
// Whether the window has input focus. A window counts as focused until the
// video system says otherwise (headless drivers never send focus events).
bool HasFocus(HWND hWnd);

// A colour cursor from 32-bit ARGB pixels (rows top-down) with its hot spot;
// null when the size is not positive. The handle is valid even where the
// video driver has no cursors (headless).
HCURSOR CreateCursorFromPixels(const DWORD* argb, int width, int height, int hotX, int hotY);
// The current cursor (as set by SetCursor) and the show count, for tests.
HCURSOR GetCurrentCursor();
int GetShowCursorCount();

// Events as the user would make them, pushed into SDL's queue so they take
// the same path as real ones (for tests and tools). Keys are given by their
// DirectInput code (DIK_*); buttons are 0 left, 1 right, 2 middle.
void InjectKey(HWND hWnd, BYTE dik, bool down);
void InjectMouseMove(HWND hWnd, int x, int y);
void InjectMouseButton(HWND hWnd, int button, bool down, int x, int y);
void InjectWheel(HWND hWnd, int notches);
void InjectText(HWND hWnd, const char* utf8);
void InjectFocus(HWND hWnd, bool gained);
void InjectClose(HWND hWnd);
void InjectQuit();
// Drops every waiting message, event and pending quit (for tests).
void FlushMessages();

} // namespace Platform
