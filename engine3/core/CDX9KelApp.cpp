#include "engine3/core/CDX9KelApp.h"

#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"

#include <cstdio>

namespace Vorna3D {

CDX9KelApp::~CDX9KelApp() {
    if (m_hWnd) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    if (m_wcex.lpszClassName) UnregisterClassA(m_wcex.lpszClassName, m_wcex.hInstance);
}

HRESULT CDX9KelApp::CreateWnd(int width, int height, bool fullScreen, HICON icon, bool showArrowCursor,
                              const char* title, int, int) {
    std::snprintf(m_szTitle, sizeof(m_szTitle), "%s", title ? title : kDefaultTitle);
    if (width < 0 || height < 0) return E_FAIL;
    m_iWidth = width;
    m_iHeight = height;

    DWORD style;
    int x, y;
    if (fullScreen) {
        style = WS_POPUP;
        x = 0;
        y = 0;
    } else {
        // One tenth of the desktop from its top-left corner, whatever the
        // window's size.
        style = WS_OVERLAPPED;
        const float screenW = static_cast<float>(GetSystemMetrics(SM_CXSCREEN));
        const float screenH = static_cast<float>(GetSystemMetrics(SM_CYSCREEN));
        x = static_cast<int>(screenW / 2.0f - screenW / 2.5f);
        y = static_cast<int>(screenH / 2.0f - screenH / 2.5f);
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    m_wcex = WNDCLASSEXA{};
    m_wcex.cbSize = sizeof(WNDCLASSEXA);
    m_wcex.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    m_wcex.lpfnWndProc = &CDX9KelApp::WndProc;
    m_wcex.hInstance = instance;
    m_wcex.hIcon = icon;
    m_wcex.hIconSm = icon;
    m_wcex.hCursor = showArrowCursor ? LoadCursorA(nullptr, IDC_ARROW) : nullptr;
    m_wcex.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    m_wcex.lpszMenuName = nullptr;
    m_wcex.lpszClassName = kClassName;
    if (!RegisterClassExA(&m_wcex)) {
        m_wcex.lpszClassName = nullptr; // not ours to unregister
        return E_FAIL;
    }

    g_Log.Write(LOG_INFO, "CDX9KelApp::CreateWnd(): ");
    m_hWnd = CreateWindowExA(0, kClassName, m_szTitle, style, x, y, m_iWidth, m_iHeight, nullptr, nullptr,
                             instance, nullptr);
    if (!m_hWnd) {
        g_Log.Write(LOG_ERROR, "CDX9KelApp::CreateWnd : m_hWnd == NULL \n");
        return E_FAIL;
    }
    SetActiveWindow(m_hWnd);
    g_Log.Write(LOG_TEXT, "OK\n");
    return S_OK;
}

LRESULT CALLBACK CDX9KelApp::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_Input.HandleWindowMessage(hWnd, message, wParam);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

} // namespace Vorna3D
