// The campaign world's costs, headless:
//   physics/ships_N_near_coast   the physical manager's Process per object
//                                 per frame (µs), N ships steaming round an
//                                 island on the active water, each moved
//                                 every frame (collision tests against the
//                                 island's triangles and each other) and
//                                 riding the waves
//   water/vertex_mode/1024x768   the active water's frame (update and draw)
//   water/texture_mode/1024x768  in ms, the median of measured frames
//
// Run: build with -DVORNA_BENCH=ON, then
//   SDL_VIDEODRIVER=offscreen bench/bench_engine2_world [frames]
#include "bench/BenchReport.h"
#include "common/OffscreenDevice.h"

#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/water/CDX9KelActiveWater.h"
#include "platform/os/Paths.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace Vorna2;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
const std::string kDemo = std::string(VORNA_BIN_DIR) + "/";

std::string Demo(const char* relative) {
    return std::filesystem::relative(std::filesystem::path(VORNA_BIN_DIR) / relative,
                                     std::filesystem::path(Platform::ProgramFolder()))
        .generic_string();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
}

struct World {
    VornaTest::OffscreenDevice dev;
    CDX9KelGraphicsResManager res;
    CDX9KelBaseCameraManager cameras;
    CDX9KelRenderSystem render;
    CDXSceneTree tree;
    std::unique_ptr<CDX9KelActiveWater> water;

    bool Create(bool vertexMode) {
        if (!dev.Create(kWidth, kHeight) || !cameras.Init(kWidth, kHeight, dev.m_hWnd)) return false;
        render.m_pResManager = &res;
        render.m_pCameraManager = &cameras;
        CDX9KelBaseCamera* c = cameras.GetActiveCamera();
        c->m_vEye = D3DXVECTOR3(0, 38, -62);
        c->m_vLookAt = D3DXVECTOR3(0, 0, 40);
        c->m_fFar = 2000.0f;
        cameras.SetProjection(kWidth, kHeight);
        D3DXMatrixLookAtLH(&c->m_mView, &c->m_vEye, &c->m_vLookAt, &c->m_vUp);
        cameras.Update();
        const D3DXVECTOR3 lo(-500, -50, -500), hi(500, 50, 500);
        if (!tree.CreateEmptySceneTree(50.0f, &lo, &hi, false, nullptr)) return false;
        water = std::make_unique<CDX9KelActiveWater>();
        water->SetAmplitude(2.0f);
        return water->Init(&res, &cameras, &render, D3DMULTISAMPLE_NONE, dev.m_pDevice,
                           Demo("Textures/c2water_sky.png").c_str(), Demo("Textures/fresnel_water.bmp").c_str(),
                           Demo("Effects/water_height.fx").c_str(), Demo("Effects/water_normal.fx").c_str(),
                           Demo("Effects/water_surface.fx").c_str(), Demo("Effects/water_normalsoft.fx").c_str(),
                           vertexMode);
    }
    ~World() {
        if (water) water->Release();
        water.reset();
        tree.ClearObjects();
        res.DeleteAllModels();
        res.ReleaseAllEffects();
        res.ReleaseAllTextures();
        res.ReleaseAllXFiles();
    }
    CDX9KelSceneObject* Place(const char* folder, const char* file, float x, float z, float heading) {
        CDX9KelModel* model = res.CreateModel(dev.m_pDevice, (kDemo + folder).c_str(), file);
        if (!model) return nullptr;
        auto* o = new CDX9KelSceneObject();
        const float c = std::cos(heading), s = std::sin(heading);
        o->m_mWorld = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, x, 0, z, 1);
        o->AddModel(model);
        if (!tree.AddSceneObject(o)) {
            delete o;
            return nullptr;
        }
        return o;
    }
};

// µs per object per frame.
double PhysicsPerObject(int ships, int frames) {
    World w;
    if (!w.Create(true)) return -1.0;
    CDX9KelPhysicalManager physics;
    physics.Init(&w.cameras, &w.tree);
    physics.SetWater(w.water.get());
    if (!w.Place("Models/Statics/", "c2island.x", 0.0f, 60.0f, 0.0f)) return -1.0;
    std::vector<CDX9KelFloatRecord> records(static_cast<size_t>(ships));
    std::vector<CDX9KelSceneObject*> objects;
    for (int i = 0; i < ships; ++i) {
        // A ring just off the coast, bows along the ring.
        const float a = 6.2831853f * float(i) / float(ships);
        CDX9KelSceneObject* o =
            w.Place("Models/Units/", "c2ship_lod0.x", 38.0f * std::sin(a), 60.0f + 38.0f * std::cos(a), a + 1.5707964f);
        if (!o) return -1.0;
        physics.AddObject(o, &records[size_t(i)]);
        objects.push_back(o);
    }
    g_FPSCounter.m_fFrameTime = 1.0f;
    std::vector<double> us;
    for (int f = 0; f < frames + 5; ++f) {
        w.water->AnimateNoise(10);
        for (CDX9KelSceneObject* o : objects) {
            D3DXVECTOR3 ahead(o->m_mWorld._31 * 0.05f, 0.0f, o->m_mWorld._33 * 0.05f);
            CDX9KelSceneObject::Translate(&ahead, &w.tree, o);
        }
        physics.m_Contacts.clear();
        const auto start = std::chrono::steady_clock::now();
        physics.Process();
        const double t = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        if (f >= 5) us.push_back(t / double(ships));
    }
    physics.Release();
    return Median(us);
}

double WaterFrameMs(bool vertexMode, int frames) {
    World w;
    if (!w.Create(vertexMode)) return -1.0;
    std::vector<double> ms;
    for (int f = 0; f < frames + 3; ++f) {
        const auto start = std::chrono::steady_clock::now();
        w.water->Process();
        w.dev.m_pDevice->BeginScene();
        w.dev.m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3C6496u, 1.0f, 0);
        w.render.Update();
        w.water->Render(w.dev.m_pDevice, nullptr, true, 0);
        w.dev.m_pDevice->EndScene();
        w.dev.m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
        // Wait for the picture, as the next frame would.
        w.dev.Pixels();
        if (f >= 3)
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(ms);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    int failures = 0;
    for (int ships : {8, 32, 96}) {
        const double us = PhysicsPerObject(ships, frames);
        if (us < 0) {
            ++failures;
            continue;
        }
        VornaBench::Figure("physics/ships_" + std::to_string(ships) + "_near_coast", us, "us/object/frame");
    }
    for (bool vertexMode : {true, false}) {
        const double ms = WaterFrameMs(vertexMode, frames);
        if (ms < 0) {
            ++failures;
            continue;
        }
        VornaBench::Figure(std::string("water/") + (vertexMode ? "vertex" : "texture") + "_mode/1024x768", ms, "ms");
    }
    g_Log.Reset();
    return failures ? 1 : 0;
}
