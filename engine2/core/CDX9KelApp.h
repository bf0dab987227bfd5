#pragma once
// The campaign's main window. Its procedure hands every message to the input
// object first; the window's destruction ends the message loop.
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

namespace Vorna2 {

class CDX9KelApp {
public:
    static constexpr const char* kDefaultTitle = "VORNA 2 DX9 ENGINE";
    static constexpr const char* kClassName = "WNDCLASS";
    // A caption with a sizing frame.
    static constexpr DWORD kWindowedStyle = 0x00C40000u;

    CDX9KelApp() = default;
    // Destroys the window and unregisters its class.
    virtual ~CDX9KelApp();
    CDX9KelApp(const CDX9KelApp&) = delete;
    CDX9KelApp& operator=(const CDX9KelApp&) = delete;

    // Registers the class and creates the window: full screen borderless at
    // (0, 0), otherwise framed about a tenth of the screen from its top-left
    // corner. A null title gives kDefaultTitle (cut at 259 characters); the
    // arrow cursor only when asked (the game sets its own). E_FAIL, with one
    // error line, for a negative size; E_FAIL for a refused class or window.
    // The last two values are not used.
    virtual HRESULT CreateWnd(int width, int height, bool fullScreen, HICON icon, bool showArrowCursor,
                              const char* title = nullptr, int reserved1 = 0, int reserved2 = 0);

    // The top-left corner of a window on a screen of the given size:
    // x = trunc(W/2 - W/2.5) with W/2 an integer division, y likewise.
    static POINT WindowedPosition(int screenWidth, int screenHeight);

    // The window procedure of the class.
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetHandle() const { return m_hWnd; }
    int GetWidth() const { return m_iWidth; }
    int GetHeight() const { return m_iHeight; }

    HWND m_hWnd = nullptr;
    WNDCLASSEXA m_wcex = {};
    int m_iWidth = 0;
    int m_iHeight = 0;
    char m_szTitle[MAX_PATH] = {};
};

} // namespace Vorna2
