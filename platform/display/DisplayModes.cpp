#include "platform/display/DisplayModes.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>

namespace Platform {

namespace {

// Holds SDL's video system for the length of one query. SDL may already be
// running in this process (the battle program); then it is left as it was.
class VideoSession {
public:
    VideoSession() {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        m_wasRunning = SDL_WasInit(SDL_INIT_VIDEO) != 0;
        m_ok = m_wasRunning || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!m_ok) m_error = SDL_GetError();
    }
    ~VideoSession() {
        if (m_ok && !m_wasRunning) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    VideoSession(const VideoSession&) = delete;
    VideoSession& operator=(const VideoSession&) = delete;
    bool Ok() const { return m_ok; }
    const std::string& Error() const { return m_error; }

private:
    bool m_wasRunning = false;
    bool m_ok = false;
    std::string m_error;
};

DisplayMode FromSdl(const SDL_DisplayMode& m) {
    DisplayMode d;
    d.width = m.w > 0 ? static_cast<uint32_t>(m.w) : 0;
    d.height = m.h > 0 ? static_cast<uint32_t>(m.h) : 0;
    d.refreshRate = m.refresh_rate > 0 ? static_cast<uint32_t>(m.refresh_rate) : 0;
    d.format = m.format;
    return d;
}

std::string GlString(GLenum name) {
    const GLubyte* s = glGetString(name);
    return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}

} // namespace

bool QueryDisplayModes(DisplayMode& desktop, std::vector<DisplayMode>& modes, std::string& error) {
    modes.clear();
    desktop = DisplayMode{};
    VideoSession video;
    if (!video.Ok()) {
        error = "video system unavailable: " + video.Error();
        return false;
    }
    SDL_DisplayMode m{};
    if (SDL_GetNumVideoDisplays() < 1 || SDL_GetDesktopDisplayMode(0, &m) != 0) {
        error = std::string("no desktop display mode: ") + SDL_GetError();
        return false;
    }
    desktop = FromSdl(m);
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) == 0) modes.push_back(FromSdl(mode));
    }
    return true;
}

bool QueryAdapterInfo(AdapterInfo& info, std::string& error) {
    info = AdapterInfo{};
    VideoSession video;
    if (!video.Ok()) {
        error = "video system unavailable: " + video.Error();
        return false;
    }
    // A core 3.3 context first; some drivers only give a compatibility one.
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    for (int attempt = 0; attempt < 2 && !context; ++attempt) {
        SDL_GL_ResetAttributes();
        if (attempt == 0) {
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        }
        window = SDL_CreateWindow("adapter query", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) continue;
        context = SDL_GL_CreateContext(window);
        if (!context) {
            SDL_DestroyWindow(window);
            window = nullptr;
        }
    }
    if (!context) {
        error = std::string("no GL context: ") + SDL_GetError();
        SDL_GL_ResetAttributes();
        return false;
    }

    info.vendor = GlString(GL_VENDOR);
    info.renderer = GlString(GL_RENDERER);
    info.version = GlString(GL_VERSION);
    const int version = epoxy_gl_version(); // e.g. 33 for 3.3
    info.glMajor = version / 10;
    info.glMinor = version % 10;
    GLint value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    info.maxTextureSize = value;
    value = 0;
    if (version >= 30) glGetIntegerv(GL_MAX_SAMPLES, &value);
    info.maxSamples = value > 0 ? value : 0;
    if (info.maxSamples > 0 && (version >= 42 || epoxy_has_gl_extension("GL_ARB_internalformat_query"))) {
        GLint n = 0;
        glGetInternalformativ(GL_RENDERBUFFER, GL_RGBA8, GL_NUM_SAMPLE_COUNTS, 1, &n);
        if (n > 0 && n <= 64) {
            std::vector<GLint> counts(static_cast<size_t>(n));
            glGetInternalformativ(GL_RENDERBUFFER, GL_RGBA8, GL_SAMPLES, n, counts.data());
            info.sampleCounts.assign(counts.begin(), counts.end());
        }
    }
    if (version >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
        epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic")) {
        GLfloat aniso = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &aniso);
        info.maxAnisotropy = aniso >= 1.0f && aniso <= 1024.0f ? static_cast<int>(aniso) : 1;
    }
    while (glGetError() != GL_NO_ERROR) {
    }

    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_GL_ResetAttributes();
    return true;
}

} // namespace Platform
