#include "SimEngine.h"

#include "engine2/ui/UISceneSlots.h"

#include "Registry.h"

#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/window/Window.h"

#include <cstdlib>
#include <new>

namespace CampaignSim {

namespace {

// The device wrapper of a picture run: the last frame is saved before it is
// presented.
class PictureRender : public Vorna2::CDX9KelRender {
public:
    void EndRender() override {
        if (m_capturePath.empty() || !m_pD3DDevice) {
            CDX9KelRender::EndRender();
            return;
        }
        m_pD3DDevice->EndScene();
        IDirect3DSurface9* backBuffer = nullptr;
        const HRESULT hr = m_pD3DDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
        if (SUCCEEDED(hr) && backBuffer) {
            m_saved = SUCCEEDED(D3DXSaveSurfaceToFileA(m_capturePath.c_str(), D3DXIFF_PNG, backBuffer, nullptr, nullptr));
            SafeReleaseCom(backBuffer);
        }
        m_capturePath.clear();
        m_pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
    }
    std::string m_capturePath;
    bool m_saved = false;
};

} // namespace

std::uint32_t SeededRandom::Next() {
    std::uint32_t x = m_state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    m_state = x;
    return x;
}

SimEngine::SimEngine(const SimOptions& options)
    : m_options(options), m_clock(1000000u, kStartTime), m_random(options.seed) {
    Platform::SetClock(&m_clock);
    Platform::SetRandomSource(&m_random);
    std::srand(options.seed);
    // The start sequence of the screens waits on the virtual clock.
    Vorna2::SetScreenStartWait([this](DWORD ms) { m_clock.Advance(ms); });
}

SimEngine::~SimEngine() {
    Release();
    Vorna2::SetScreenStartWait(nullptr);
    Platform::SetRandomSource(nullptr);
    Platform::SetClock(nullptr);
}

bool SimEngine::InitInterfaces() {
    if (!m_pRender) m_pRender = m_options.picture.empty() ? new (std::nothrow) Vorna2::CDX9KelRender()
                                                          : new (std::nothrow) PictureRender();
    return CEngine::InitInterfaces();
}

bool SimEngine::InitInput() {
    if (!CEngine::InitInput()) return false;
    InjectScript(0);
    return true;
}

void SimEngine::InjectScript(int frame) {
    if (!m_pApp || !m_pApp->m_hWnd) return;
    for (const ScriptEvent& e : m_options.script) {
        if (e.frame != frame) continue;
        switch (e.kind) {
        case ScriptEvent::KeyDown: Platform::InjectKey(m_pApp->m_hWnd, static_cast<BYTE>(e.value), true); break;
        case ScriptEvent::KeyUp: Platform::InjectKey(m_pApp->m_hWnd, static_cast<BYTE>(e.value), false); break;
        case ScriptEvent::Wheel: Platform::InjectWheel(m_pApp->m_hWnd, e.value); break;
        }
    }
}

void SimEngine::Release() {
    if (m_pScene && m_finalDump.empty()) m_finalDump = StateDump(*this);
    CEngine::Release();
}

void SimEngine::Process() {
    if (m_closing) return;
    m_clock.Advance(m_options.frameMs);
    CEngine::Process();
}

void SimEngine::Render() {
    if (m_closing) return;
    ++m_framesRun;
    const bool last = m_framesRun >= m_options.frames || m_endRequested;
    if (m_options.picture.empty()) {
        // Nothing is drawn; the frame time still comes from the counter.
        Vorna2::g_FPSCounter.Update();
    } else {
        auto* render = static_cast<PictureRender*>(m_pRender);
        if (last && render) render->m_capturePath = m_options.picture;
        CEngine::Render();
        if (render) m_pictureSaved = m_pictureSaved || render->m_saved;
    }
    if (!last) InjectScript(m_framesRun);
    if (last) {
        m_closing = true;
        if (m_pApp && m_pApp->m_hWnd)
            Platform::InjectClose(m_pApp->m_hWnd);
        else
            PostQuitMessage(0);
    }
}

} // namespace CampaignSim
