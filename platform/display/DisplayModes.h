#pragma once
// What the display and the graphics adapter offer, asked once through a
// short-lived hidden window with a GL context. Nothing here keeps a window or
// a context open after it returns.
#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0; // hertz; 0 when the display does not say
    uint32_t format = 0;      // pixel format code; equal codes mean the same format
};

// The desktop mode and every mode of display 0, in the order the system lists
// them. A display may report one mode, a rate of 0 or an empty 0x0 mode.
// False (with a reason in `error`) when the video system or the display
// cannot be reached.
bool QueryDisplayModes(DisplayMode& desktop, std::vector<DisplayMode>& modes, std::string& error);

struct AdapterInfo {
    std::string vendor;   // GL_VENDOR
    std::string renderer; // GL_RENDERER: the adapter's description
    std::string version;  // GL_VERSION
    int glMajor = 0;
    int glMinor = 0;
    int maxTextureSize = 0;
    int maxSamples = 0;              // 0 when multisampling is not offered
    std::vector<int> sampleCounts;   // the exact counts when the driver lists them; else empty
    int maxAnisotropy = 1;           // 1 when anisotropic filtering is not offered
};

// Creates a hidden window and a GL context, reads the adapter's identity and
// limits, and destroys both again. False (with a reason) when no context can
// be made.
bool QueryAdapterInfo(AdapterInfo& info, std::string& error);

} // namespace Platform
