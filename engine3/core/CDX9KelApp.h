#pragma once
// The program's main window. Its procedure hands every message to the input
// first; closing the window ends the message loop.
#include "platform/os/WinTypes.h"
#include "platform/window/Window.h"

namespace Vorna3D {

class CDX9KelApp {
public:
    static constexpr const char* kDefaultTitle = "VORNA 3 DX9 ENGINE";
    static constexpr const char* kClassName = "WNDCLASS";

    CDX9KelApp() = default;
    // Destroys the window and unregisters its class.
    virtual ~CDX9KelApp();
    CDX9KelApp(const CDX9KelApp&) = delete;
    CDX9KelApp& operator=(const CDX9KelApp&) = delete;

    // Creates the window with the given client size: full screen as a
    // borderless window at (0, 0), otherwise a framed window one tenth of the
    // desktop's width and height from its top-left corner. A null title gives
    // kDefaultTitle; the class shows the arrow cursor only when asked (the game
    // sets its own). Returns 0, or E_FAIL for a negative size, a failed class
    // registration or no window. The last two values are unused (0).
    virtual HRESULT CreateWnd(int width, int height, bool fullScreen, HICON icon, bool showArrowCursor,
                              const char* title = nullptr, int reserved1 = 0, int reserved2 = 0);

    // The window procedure of the class.
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDCLASSEXA m_wcex = {};
    int m_iWidth = 0;
    int m_iHeight = 0;
    char m_szTitle[MAX_PATH] = {};
};

} // namespace Vorna3D
