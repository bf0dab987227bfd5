#include "GameSession.h"

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"
#include "seabattle/shell/CScene.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace VornaTest {

using namespace Vorna3D;

namespace {

bool EndsWith(const std::string& s, const char* end) {
    const std::string e(end);
    if (s.size() < e.size()) return false;
    for (size_t i = 0; i < e.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - e.size() + i])) != e[i]) return false;
    return true;
}

} // namespace

GameSession::GameSession() {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
}

GameSession::~GameSession() { Stop(); }

bool GameSession::Start(const Options& options) {
    namespace fs = std::filesystem;
    Stop();
    m_options = options;
    if (m_options.dataFolder.empty()) m_options.dataFolder = Platform::ProgramFolder();
    m_options.dataFolder = Platform::WithTrailingSeparator(m_options.dataFolder);
    m_frames = 0;
    m_gameMs = 0;
    m_bQuit = false;
    m_iQuitCode = -1;
    m_random.Seed(options.seed);
    Platform::SetClock(&m_clock);
    Platform::SetRandomSource(&m_random);
    Platform::FlushMessages();
    m_bStarted = true;

    std::error_code ec;
    fs::create_directories(m_options.dataFolder, ec);
    const fs::path ini = fs::path(m_options.dataFolder) / CDX9KelEngine::kEngineIni;
    if (!fs::exists(ini)) fs::copy_file(fs::path(Platform::ProgramFolder()) / CDX9KelEngine::kEngineIni, ini, ec);
    g_Log.Reset();
    g_Log.Open(LogPath().c_str());
    m_engine.SetDataFolder(m_options.dataFolder);
    if (!m_engine.InitInterfaces() || !m_engine.InitDevice() || !m_engine.InitInput()) return false;
    m_pScene = dynamic_cast<SeaBattle::CScene*>(m_engine.m_pScene);
    m_pScreens = m_pScene ? m_pScene->GetScreenManager() : nullptr;
    return m_pScreens != nullptr;
}

void GameSession::Stop() {
    if (!m_bStarted) return;
    m_engine.Release();
    m_pScene = nullptr;
    m_pScreens = nullptr;
    Platform::FlushMessages();
    Platform::SetClock(nullptr);
    Platform::SetRandomSource(nullptr);
    g_Log.Reset();
    m_bStarted = false;
}

HWND GameSession::Window() const { return m_engine.m_pApp ? m_engine.m_pApp->m_hWnd : nullptr; }

bool GameSession::Frame(bool draw) {
    MSG msg = {};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            m_bQuit = true;
            m_iQuitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    m_engine.Process();
    CDX9KelRenderSystem* rs = m_pScene ? m_pScene->m_pRenderSystem : nullptr;
    const bool shot = rs && rs->HasScreenshot();
    if (draw) {
        m_engine.Render();
        if (m_bPictureAsked && rs) {
            rs->m_ScreenshotFormat = D3DXIFF_JPG;
            m_bPictureAsked = false;
        }
    }
    g_Input.m_fWheel = 0.0f;
    m_clock.Advance(m_options.stepMs);
    ++m_frames;
    m_gameMs += m_options.stepMs;
    return shot;
}

void GameSession::Frames(int count, bool draw) {
    for (int i = 0; i < count; ++i) Frame(draw);
}

bool GameSession::TakePicture(const std::string& path) {
    CDX9KelRenderSystem* rs = m_pScene ? m_pScene->m_pRenderSystem : nullptr;
    if (!rs || path.empty()) return false;
    rs->m_ScreenshotFormat = EndsWith(path, ".png")   ? D3DXIFF_PNG
                             : EndsWith(path, ".bmp") ? D3DXIFF_BMP
                             : EndsWith(path, ".tga") ? D3DXIFF_TGA
                                                      : D3DXIFF_JPG;
    rs->SetScreenshot(path);
    m_bPictureAsked = true;
    return true;
}

std::string GameSession::CurrentScreen() const {
    CVR3CIIScreen* s = m_pScreens ? m_pScreens->GetCurrentScreen() : nullptr;
    return s ? s->GetName() : std::string("(none)");
}

CDX9KelSGUIDialog* GameSession::Dialog(const std::string& screen, const std::string& dialog) const {
    if (!m_pScreens) return nullptr;
    CVR3CIIScreenDialogEntry* e = CVR3CIIScreen::FindDialogEntry(m_pScreens->FindScreen(screen.c_str()), dialog.c_str());
    return e ? e->pDialog : nullptr;
}

CDX9KelSGUIBaseControl* GameSession::FindShownButton(const std::string& owner, const std::string& button) const {
    CVR3CIIScreen* screen = m_pScreens ? m_pScreens->GetCurrentScreen() : nullptr;
    if (!screen) return nullptr;
    const bool wholeScreen = screen->GetName() == owner;
    for (CVR3CIIScreenDialogEntry* e : screen->GetDialogEntries()) {
        CDX9KelSGUIDialog* d = e ? e->pDialog : nullptr;
        if (!d || !d->IsVisible() || (!wholeScreen && d->GetName() != owner)) continue;
        for (CDX9KelSGUIBaseControl* c : d->m_vControls) {
            if (!c || !c->IsVisible()) continue;
            const int type = c->GetType();
            if (type != SGUI_CONTROL_BUTTON && type != SGUI_CONTROL_BUTTON_CHECK && type != SGUI_CONTROL_BUTTON_STATE)
                continue;
            if (c->GetName() == button || c->GetName() == button + "Button") return c;
        }
    }
    return nullptr;
}

} // namespace VornaTest
