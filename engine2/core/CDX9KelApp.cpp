#include "engine2/core/CDX9KelApp.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9Kelinput.h"

#include <cstdio>

namespace Vorna2 {

CDX9KelApp::~CDX9KelApp() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    if (m_wcex.lpszClassName) UnregisterClassA(m_wcex.lpszClassName, m_wcex.hInstance);
}

POINT CDX9KelApp::WindowedPosition(int screenWidth, int screenHeight) {
    POINT p;
    p.x = static_cast<LONG>(static_cast<double>(screenWidth / 2) - screenWidth / 2.5);
    p.y = static_cast<LONG>(static_cast<double>(screenHeight / 2) - screenHeight / 2.5);
    return p;
}

HRESULT CDX9KelApp::CreateWnd(int width, int height, bool fullScreen, HICON icon, bool showArrowCursor,
                              const char* title, int, int) {
    std::snprintf(m_szTitle, sizeof m_szTitle, "%s", title ? title : kDefaultTitle);
    if (width < 0 || height < 0) {
        g_Log.Write(LOG_ERROR, "%s%i%s%i%s", "Error : CDX9KelApp::CreateWnd() : window size ", width, " x ", height,
                    " refused\n");
        return E_FAIL;
    }
    m_iWidth = width;
    m_iHeight = height;

    DWORD style;
    POINT position{0, 0};
    if (fullScreen) {
        style = WS_POPUP;
    } else {
        style = kWindowedStyle;
        position = WindowedPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    m_wcex = WNDCLASSEXA{};
    m_wcex.cbSize = 48;
    m_wcex.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    m_wcex.lpfnWndProc = &CDX9KelApp::WndProc;
    m_wcex.hInstance = instance;
    m_wcex.hIcon = icon;
    m_wcex.hIconSm = icon;
    m_wcex.hCursor = showArrowCursor ? LoadCursorA(nullptr, IDC_ARROW) : nullptr;
    m_wcex.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    m_wcex.lpszClassName = kClassName;
    if (!RegisterClassExA(&m_wcex)) {
        m_wcex.lpszClassName = nullptr; // not ours to unregister
        return E_FAIL;
    }

    g_Log.Write(LOG_INFO, "CDX9KelApp::CreateWnd(): ");
    m_hWnd = CreateWindowExA(0, kClassName, m_szTitle, style, position.x, position.y, m_iWidth, m_iHeight, nullptr,
                             nullptr, instance, nullptr);
    if (!m_hWnd) {
        g_Log.Write(LOG_ERROR, "%s", "Error\n");
        return E_FAIL;
    }
    SetActiveWindow(m_hWnd);
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return S_OK;
}

LRESULT CALLBACK CDX9KelApp::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_Input.OnWindowMessage(message, hWnd, wParam);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

} // namespace Vorna2
