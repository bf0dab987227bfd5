#pragma once
// The battle sea and sky in the engine scene, headless: a window and device,
// the engine scene with an octree holding one model (a red beacon tower
// standing in the sea, written as a text ".x" file with its own effect), the
// ocean water and the sky arch registered as graphic objects, which the
// render system's graphic-object pass draws. Shared by the render tests and
// the render benchmark.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
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
        if (!AddBeacon(dataFolder))
            return false;

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

    // The beacon in or out of the reflection pass.
    void SetBeaconReflected(bool on) {
        if (m_pBeacon)
            m_pBeacon->m_bPasses[2] = on;
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

    static constexpr float kBeaconSide = 3.0f;
    static constexpr float kBeaconHeight = 4.0f;

    Vorna3D::CDX9KelOceanWater* m_pWater = nullptr;
    Vorna3D::CDX9KelModel* m_pBeacon = nullptr;
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

    // A tower of kBeaconSide x kBeaconHeight x kBeaconSide on the sea at
    // the origin: 24 vertices (four per side) and six quads.
    static std::string BeaconMesh() {
        const float h = kBeaconSide * 0.5f;
        struct Face {
            float n[3];
            float c[4][3];
        } faces[6] = {
            {{0, 0, -1}, {{-h, 0, -h}, {-h, kBeaconHeight, -h}, {h, kBeaconHeight, -h}, {h, 0, -h}}},
            {{0, 0, 1}, {{h, 0, h}, {h, kBeaconHeight, h}, {-h, kBeaconHeight, h}, {-h, 0, h}}},
            {{-1, 0, 0}, {{-h, 0, h}, {-h, kBeaconHeight, h}, {-h, kBeaconHeight, -h}, {-h, 0, -h}}},
            {{1, 0, 0}, {{h, 0, -h}, {h, kBeaconHeight, -h}, {h, kBeaconHeight, h}, {h, 0, h}}},
            {{0, 1, 0}, {{-h, kBeaconHeight, -h}, {-h, kBeaconHeight, h}, {h, kBeaconHeight, h}, {h, kBeaconHeight, -h}}},
            {{0, -1, 0}, {{-h, 0, h}, {-h, 0, -h}, {h, 0, -h}, {h, 0, h}}}};
        std::string x = "xof 0303txt 0032\n\nFrame Beacon {\n FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
                        " Mesh BeaconMesh {\n  24;\n";
        char line[128];
        for (int f = 0; f < 6; ++f)
            for (int v = 0; v < 4; ++v) {
                std::snprintf(line, sizeof line, "  %f;%f;%f;%s\n", faces[f].c[v][0], faces[f].c[v][1],
                              faces[f].c[v][2], f == 5 && v == 3 ? ";" : ",");
                x += line;
            }
        x += "  6;\n";
        for (int f = 0; f < 6; ++f) {
            std::snprintf(line, sizeof line, "  4;%d,%d,%d,%d;%s\n", 4 * f, 4 * f + 1, 4 * f + 2, 4 * f + 3,
                          f == 5 ? ";" : ",");
            x += line;
        }
        x += "  MeshNormals {\n   24;\n";
        for (int f = 0; f < 6; ++f)
            for (int v = 0; v < 4; ++v) {
                std::snprintf(line, sizeof line, "   %f;%f;%f;%s\n", faces[f].n[0], faces[f].n[1], faces[f].n[2],
                              f == 5 && v == 3 ? ";" : ",");
                x += line;
            }
        x += "   6;\n";
        for (int f = 0; f < 6; ++f) {
            std::snprintf(line, sizeof line, "   4;%d,%d,%d,%d;%s\n", 4 * f, 4 * f + 1, 4 * f + 2, 4 * f + 3,
                          f == 5 ? ";" : ",");
            x += line;
        }
        x += "  }\n  MeshTextureCoords {\n   24;\n";
        for (int i = 0; i < 24; ++i)
            x += std::string("   0.0;0.0;") + (i == 23 ? ";" : ",") + "\n";
        x += "  }\n  MeshMaterialList {\n   1;\n   6;\n   0,\n   0,\n   0,\n   0,\n   0,\n   0;\n"
             "   Material Red {\n    0.850000;0.150000;0.100000;1.000000;;\n    8.000000;\n"
             "    0.000000;0.000000;0.000000;;\n    0.000000;0.000000;0.000000;;\n   }\n  }\n }\n}\n";
        return x;
    }

    // Flat red, lit a little from above, in every technique the passes ask for.
    static std::string BeaconEffect() {
        std::string pass =
            "<Pass name=\"P0\"><RenderState name=\"CULLMODE\" value=\"1\"/>"
            "<VertexShader><![CDATA[\nuniform mat4 g_MatrixWorldViewProj;\nin vec3 vPosition;\nin vec3 vNormal;\n"
            "out float fLight;\nvoid main() { fLight = 0.7 + 0.3 * max(vNormal.y, 0.0);\n"
            "gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0)); }\n]]></VertexShader>"
            "<FragmentShader><![CDATA[\nin float fLight;\nout vec4 outColor;\n"
            "void main() { outColor = vec4(vec3(0.9, 0.12, 0.08) * fLight, 1.0); }\n]]></FragmentShader></Pass>";
        std::string fx = "<?xml version=\"1.0\"?>\n<Effect>\n";
        for (const char* t : {"Hight", "Middle", "Low", "Reflection", "Refraction"})
            fx += std::string("<Technique name=\"") + t + "\">" + pass + "</Technique>\n";
        return fx + "</Effect>\n";
    }

    bool AddBeacon(const std::string& folder) {
        using namespace Vorna3D;
        std::ofstream(folder + "beacon.x") << BeaconMesh();
        std::ofstream(folder + "beacon.fx") << BeaconEffect();
        const D3DXVECTOR3 mn(-400, -40, -400), mx(400, 60, 400);
        if (!m_scene.CreateSceneTree("Sea", &mn, &mx, false, 100.0f) ||
            !m_scene.SetActiveSceneTree(static_cast<int>(m_scene.m_vSceneTrees.size()) - 1))
            return Fail("no scene tree");
        CDX9KelModel* model = m_scene.GetGraphicsResManager()->CreateModelFromFile(folder.c_str(), "beacon.x",
                                                                                   folder.c_str(), "beacon.fx");
        if (!model || !model->m_pEffect)
            return Fail("the beacon model or its effect did not load");
        auto* obj = new CDX9KelSceneObject();
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        obj->AddSceneUnit(model, &identity, 0);
        obj->m_strName = "beacon";
        obj->SetTransform(&identity);
        obj->UpdateBoundingRadius();
        if (!m_scene.AddSceneObjectInActiveTree(obj)) {
            obj->DetachUnits();
            delete obj;
            return Fail("the beacon was not filed");
        }
        m_pBeacon = model;
        return true;
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
