// The particle-system reader on arbitrary bytes, on a real device so that
// emitters are built, initialised, run and filled. Files name the texture
// "fuzz_particle.tga", which lies beside this program.
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Vorna3D;

namespace {

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

IDirect3D9* g_d3d = nullptr;
IDirect3DDevice9* g_device = nullptr;
CDX9KelGraphicsResManager* g_resources = nullptr;
CDX9KelBaseCameraManager* g_cameras = nullptr;
Platform::ManualClock g_clock;

void WriteTexture()
{
    std::string data(18, '\0');
    data[2] = 2;
    data[12] = 64;
    data[14] = 32;
    data[16] = 32;
    data[17] = 0x28;
    data.append(64 * 32 * 4, '\x7f');
    Platform::WriteFileAtomic(Platform::ProgramFolder() + "fuzz_particle.tga", data);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WriteTexture();
    g_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3D9* d3d = g_d3d;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "FuzzParticles";
    RegisterClassExA(&wc);
    HWND hWnd = CreateWindowExA(0, "FuzzParticles", "fuzz", WS_OVERLAPPED, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = hWnd;
    if (!d3d || d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                  &g_device) != D3D_OK) {
        std::fprintf(stderr, "no device\n");
        std::abort();
    }
    g_resources = new CDX9KelGraphicsResManager();
    g_resources->Init(g_device);
    g_cameras = new CDX9KelBaseCameraManager();
    auto* camera = new CDX9KelBaseCamera();
    camera->Init("Main", 0, 64, 64, 1.0f, 1.0f);
    g_cameras->AddCamera(camera);
    g_cameras->m_pActiveCamera = camera;
    Platform::SetClock(&g_clock);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!ParseParticlesXml(text, doc)) return 0;
    CDX9KelParticlesSystemsManager manager;
    manager.Init(g_device, g_cameras);
    manager.SetGraphicsResManager(g_resources);
    CDX9KelParticlesSystem* system = manager.CreatePSFromDocument(doc, "fuzz");
    if (system) {
        // A few frames of life, then the vertex data of every emitter.
        for (int i = 0; i < 4; ++i) {
            g_clock.Advance(250);
            manager.Process();
        }
        for (CDX9KelBasePSEmitter* e : system->m_vEmitters) e->FillVertices();
    }
    manager.ReleaseAll();
    return 0;
}
