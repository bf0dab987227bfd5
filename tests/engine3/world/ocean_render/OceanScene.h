#pragma once
// The render demo with the battle sea and sky, headless: a window and device,
// the engine scene with the demo's hulls and flag (its flat sea model
// hidden), the ocean water and the sky arch registered as graphic objects,
// which the render system's graphic-object pass draws. Shared by the render
// tests and the render benchmark.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/render/DemoScene.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"

namespace VornaOcean {

struct Picture {
    UINT width = 0, height = 0;
    std::vector<DWORD> pixels; // A8R8G8B8, top row first

    DWORD At(UINT x, UINT y) const { return pixels[size_t(y) * width + x]; }
};

inline float Red(DWORD c) { return ((c >> 16) & 0xFF) / 255.0f; }
inline float Green(DWORD c) { return ((c >> 8) & 0xFF) / 255.0f; }
inline float Blue(DWORD c) { return (c & 0xFF) / 255.0f; }

class OceanScene {
public:
    // `dataFolder` holds the scene's settings; `bin` is the programs' folder
    // with a trailing '/'. `error` says what failed when Create is false.
    bool Create(int width, int height, bool software, const std::string& dataFolder, const std::string& bin) {
        using namespace Vorna3D;
        if (m_render.InitialD3D() != S_OK || m_render.SetWindowMode(0, width, height, 0, 0, false) != S_OK)
            return Fail("no Direct3D");
        if (m_app.CreateWnd(m_render.m_iWidth, m_render.m_iHeight, false, nullptr, true) != S_OK ||
            m_render.InitialD3DDevice(m_app.m_hWnd) != S_OK)
            return Fail("no window or device");
        m_scene.SetApp(&m_app);
        m_scene.SetRender(&m_render);
        m_scene.SetDataFolder(dataFolder);
        m_scene.m_bShowStatistics = false;
        if (!m_scene.Init())
            return Fail("scene Init failed");
        const VornaDemo::DemoScene demo = VornaDemo::LoadDemoScene(m_scene, bin);
        if (!demo.error.empty())
            return Fail(demo.error);
        // The sea is ours: the demo's flat stand-in for it goes out of view.
        ForEachUnit([](Vorna3D::CDX9KelSceneObject* obj, Vorna3D::CDX9KelSceneUnit* u) {
            if (obj->m_strName == kFlatSea)
                u->m_bPasses[0] = false;
        });

        CDX9KelGraphicsResManager* grm = m_scene.GetGraphicsResManager();
        CDX9KelRenderSystem* rs = m_scene.m_pRenderSystem;
        auto water = std::make_unique<CDX9KelOceanWater>();
        auto sky = std::make_unique<CVR3SkyArch>();
        water->m_pResManager = sky->m_pResManager = grm;
        water->m_strTextureFolder = sky->m_strTextureFolder = bin + "Textures/Environment/";
        water->m_strEffectFolder = sky->m_strEffectFolder = bin + "Effects/Environment/";
        if (!water->Init(m_scene.GetDevice(), rs, software))
            return Fail("water Init failed");
        if (!sky->Init(m_scene.m_pCameraManager, m_scene.GetDevice()))
            return Fail("sky Init failed");
        m_pWater = water.get();
        m_pSky = sky.get();
        // The graphic-objects manager owns them from here; the render
        // system's graphic-object pass draws what it holds.
        if (!grm->AddGraphicObject(water.release()) || !grm->AddGraphicObject(sky.release()))
            return Fail("graphic objects refused");
        // A low view over the hulls, so sky and sea share the picture.
        if (auto* main = dynamic_cast<CDX9KelGlobalCamera*>(m_scene.m_pCameraManager->m_pActiveCamera)) {
            main->m_fMinPitch = 0.0f;
            main->SetTarget3D(0.0f, 0.0f, 0.0f);
            main->SetDistance(30.0f);
            main->SetAngles(0.16f, 0.7f);
            main->UpdateFrustum();
        }
        return true;
    }

    // One frame: processing, drawing, and the picture read back before it
    // is presented.
    bool Frame(Picture* pPicture) {
        using namespace Vorna3D;
        m_scene.Process();
        IDirect3DDevice9* device = m_scene.GetDevice();
        m_render.BeginRender(m_scene.m_ClearColor);
        if (CDX9KelBaseCamera* cam = m_scene.m_pCameraManager->m_pActiveCamera)
            cam->Apply(device);
        const bool drawn = m_scene.m_pRenderSystem->Render(device, m_scene.m_ClearColor, 1.0f, false, false);
        m_render.EndRender();
        bool read = true;
        if (pPicture)
            read = ReadBackBuffer(device, pPicture);
        m_render.Present();
        m_scene.m_pCameraManager->EndFrame();
        return drawn && read;
    }

    // Saves the current back buffer (call between drawing and Present, or
    // use SaveFrame).
    bool SaveFrame(const std::string& path) {
        using namespace Vorna3D;
        m_scene.Process();
        IDirect3DDevice9* device = m_scene.GetDevice();
        m_render.BeginRender(m_scene.m_ClearColor);
        if (CDX9KelBaseCamera* cam = m_scene.m_pCameraManager->m_pActiveCamera)
            cam->Apply(device);
        m_scene.m_pRenderSystem->Render(device, m_scene.m_ClearColor, 1.0f, false, false);
        m_render.EndRender();
        IDirect3DSurface9* back = nullptr;
        bool ok = SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) &&
                  SUCCEEDED(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_PNG, back, nullptr, nullptr));
        SafeReleaseCom(back);
        m_render.Present();
        m_scene.m_pCameraManager->EndFrame();
        return ok;
    }

    // The demo's ships (every model but the flat sea) in or out of the
    // reflection pass.
    void SetShipsReflected(bool on) {
        ForEachUnit([on](Vorna3D::CDX9KelSceneObject* obj, Vorna3D::CDX9KelSceneUnit* u) {
            if (obj->m_strName != kFlatSea)
                u->m_bPasses[2] = on;
        });
    }

    // Where a world point lands in the picture; false behind the camera.
    bool Project(const D3DXVECTOR3& p, float* px, float* py) const {
        const Vorna3D::CDX9KelBaseCamera* cam = m_scene.m_pCameraManager->m_pActiveCamera;
        D3DXVECTOR4 clip;
        D3DXVec3Transform(&clip, &p, &cam->m_mViewProjection);
        if (clip.w <= 0.0f)
            return false;
        *px = (clip.x / clip.w * 0.5f + 0.5f) * static_cast<float>(m_render.GetBackBufferWidth());
        *py = (0.5f - clip.y / clip.w * 0.5f) * static_cast<float>(m_render.GetBackBufferHeight());
        return true;
    }

    ~OceanScene() { m_scene.Release(); }

    static constexpr const char* kFlatSea = "sea_plane.x";

    Vorna3D::CDX9KelOceanWater* m_pWater = nullptr;
    Vorna3D::CVR3SkyArch* m_pSky = nullptr;
    Vorna3D::CDX9KelApp m_app;
    Vorna3D::CDX9KelRender m_render;
    Vorna3D::CDX9KelScene m_scene;
    std::string m_strError;

private:
    bool Fail(const std::string& why) {
        m_strError = why;
        return false;
    }

    template <class F> void ForEachUnit(F f) {
        Vorna3D::CDXSceneTree* tree = m_scene.m_pActiveSceneTree;
        if (!tree)
            return;
        for (Vorna3D::CDX9KelSceneObject* obj : tree->m_vObjects) {
            if (!obj)
                continue;
            for (auto& lod : obj->m_vLODs)
                for (Vorna3D::CDX9KelSceneUnit* u : lod.m_vUnits)
                    if (u)
                        f(obj, u);
        }
    }

    static bool ReadBackBuffer(IDirect3DDevice9* device, Picture* out) {
        IDirect3DSurface9* back = nullptr;
        IDirect3DSurface9* copy = nullptr;
        D3DSURFACE_DESC desc = {};
        bool ok = SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) &&
                  SUCCEEDED(back->GetDesc(&desc)) &&
                  SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8,
                                                                D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
                  SUCCEEDED(device->GetRenderTargetData(back, copy));
        D3DLOCKED_RECT locked = {};
        if (ok && SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            out->width = desc.Width;
            out->height = desc.Height;
            out->pixels.resize(size_t(desc.Width) * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y)
                std::memcpy(out->pixels.data() + size_t(y) * desc.Width,
                            static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch, desc.Width * 4);
            copy->UnlockRect();
        } else {
            ok = false;
        }
        SafeReleaseCom(copy);
        SafeReleaseCom(back);
        return ok;
    }
};

} // namespace VornaOcean
