#include "platform/os/MessageBox.h"
#include "platform/os/CodePage.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace Platform {

bool IsHeadless() {
    const char* forced = std::getenv("VORNA_HEADLESS");
    if (forced && *forced && std::strcmp(forced, "0") != 0) return true;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (::strcasecmp(driver, "offscreen") == 0 || ::strcasecmp(driver, "dummy") == 0)) return true;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(display && *display) && !(wayland && *wayland);
}

} // namespace Platform

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const std::string body = Platform::Cp1251ToUtf8(text ? text : "");
    const std::string title = Platform::Cp1251ToUtf8(caption ? caption : "Error");
    if (!Platform::IsHeadless()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        const UINT icon = type & 0xF0u;
        if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
        else if (icon == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
        if (SDL_ShowSimpleMessageBox(flags, title.c_str(), body.c_str(), nullptr) == 0) return IDOK;
    }
    // No screen, or the box failed: the text must not be lost.
    const int n = std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    std::fflush(stderr);
    return n > 0 ? IDOK : IDCANCEL;
}
