// The demo smoke and fire in a running engine scene: the manager in the
// scene's slot, the systems filed with a ship model in the octree, drawn by
// the render system's particle pass, headless.
#include "engine3/core/render/RenderTestSupport.h"

#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/os/Paths.h"

namespace {

using namespace Vorna3D;

class ParticlesRender : public VornaRenderTest::SceneFixture {
protected:
    // The particle files name their textures and effect relative to the
    // program's folder: the demo's folders are made visible beside this one.
    static void LinkDemoFolders() {
        for (const char* name : {"Textures", "Effects", "Particles"}) {
            const std::filesystem::path link = std::filesystem::path(Platform::ProgramFolder()) / name;
            if (!std::filesystem::exists(link)) {
                std::error_code error;
                std::filesystem::create_directory_symlink(std::filesystem::path(VORNA_BIN_DIR) / name, link, error);
            }
        }
    }
    CDX9KelSceneObject* Place(CDX9KelSceneUnit* unit, const D3DXVECTOR3& at) {
        auto* obj = new CDX9KelSceneObject();
        D3DXMATRIX local, world;
        D3DXMatrixIdentity(&local);
        obj->AddSceneUnit(unit, &local, 0);
        D3DXMatrixTranslation(&world, at.x, at.y, at.z);
        obj->SetTransform(&world);
        obj->UpdateBoundingRadius();
        EXPECT_TRUE(m_pScene->AddSceneObjectInActiveTree(obj));
        return obj;
    }
    std::vector<DWORD> BackBuffer() {
        IDirect3DSurface9* back = nullptr;
        std::vector<DWORD> px;
        if (SUCCEEDED(Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
            px = ReadTarget(back);
            back->Release();
        }
        return px;
    }
    void Save(const char* name) {
        IDirect3DSurface9* back = nullptr;
        if (SUCCEEDED(Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
            D3DXSaveSurfaceToFileA((m_dir / name).c_str(), D3DXIFF_PNG, back, nullptr, nullptr);
            back->Release();
        }
    }
};

TEST_F(ParticlesRender, SmokeAndFireAreDrawnCameraFacingOverAShipInTheParticlePass) {
    LinkDemoFolders();
    RegisterParticlesSceneSlot();
    ASSERT_TRUE(Start()) << Log();
    CDX9KelParticlesSystemsManager* manager = GetParticlesSystemsManager(m_pScene);
    ASSERT_NE(manager, nullptr);
    EXPECT_NE(Log().find("CDX9KelScene::InitParticleSysManager(): OK"), std::string::npos) << Log();

    const D3DXVECTOR3 mn(-100, -50, -100), mx(100, 50, 100);
    ASSERT_TRUE(m_pScene->CreateSceneTree("Particles", &mn, &mx, false, 50.0f));
    m_pScene->SetActiveSceneTree(static_cast<int>(m_pScene->m_vSceneTrees.size()) - 1);

    // A ship model, seen from the side and a little above.
    const std::string bin = std::string(VORNA_BIN_DIR) + "/";
    CDX9KelModel* hull = m_pScene->GetGraphicsResManager()->CreateModelFromFile(
        (bin + "Data/Models/").c_str(), "hull.x", (bin + "Data/Effects/").c_str(), "model.fx");
    ASSERT_NE(hull, nullptr) << Log();
    hull->AddTextureGroup("Default", (bin + "Data/Textures/").c_str(), "hull_diffuse.bmp", "", "", "", "", "", "");
    Place(hull, D3DXVECTOR3(0, 0, 0));
    CDX9KelBaseCamera* camera = m_pScene->m_pCameraManager->m_pActiveCamera;
    ASSERT_NE(camera, nullptr);
    const D3DXVECTOR3 eye(0.0f, 4.0f, -22.0f), target(0.0f, 3.0f, 0.0f);
    ASSERT_TRUE(camera->SetPosition(&eye, &target));

    // The picture without particles.
    for (int i = 0; i < 3; ++i) Frame();
    const std::vector<DWORD> plain = BackBuffer();
    ASSERT_FALSE(plain.empty());
    Save("ship.png");

    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    CDX9KelParticlesSystem* smoke =
        manager->LoadParticlesSystem((bin + "Particles/smoke.xml").c_str(), "smoke", "smoke1", 6.0f, &m);
    CDX9KelParticlesSystem* fire =
        manager->LoadParticlesSystem((bin + "Particles/fire.xml").c_str(), "fire", "fire1", 3.0f, &m);
    ASSERT_NE(smoke, nullptr) << Log();
    ASSERT_NE(fire, nullptr) << Log();
    ASSERT_NE(smoke->GetRenderEffect(), nullptr);
    Place(smoke, D3DXVECTOR3(-3.0f, 3.0f, 0.0f));
    Place(fire, D3DXVECTOR3(3.0f, 2.0f, 0.0f));

    // Two seconds of frames on the manual clock.
    for (int i = 0; i < 125; ++i) Frame();
    EXPECT_GT(smoke->m_vEmitters[0]->m_dwLiveCount, 20u);
    EXPECT_GT(fire->m_vEmitters[0]->m_dwLiveCount, 10u);
    const std::vector<DWORD> lit = BackBuffer();
    Save("smoke_and_fire.png");
    ASSERT_EQ(lit.size(), plain.size());

    // The particles change the picture on both sides of the ship; the fire
    // (additive) brightens what lies behind it.
    const int w = 160, h = 120;
    size_t left = 0, right = 0, brighter = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            if ((lit[i] & 0xFFFFFFu) == (plain[i] & 0xFFFFFFu)) continue;
            (x < w / 2 ? left : right)++;
            const int r0 = (plain[i] >> 16) & 0xFF, r1 = (lit[i] >> 16) & 0xFF;
            if (x >= w / 2 && r1 > r0 + 20) ++brighter;
        }
    EXPECT_GT(left, 100u);
    EXPECT_GT(right, 100u);
    EXPECT_GT(brighter, 50u);

    // Seen from straight above, the camera-facing quads still cover the
    // picture: they turn with the camera instead of showing their edges.
    const D3DXVECTOR3 above(0.0f, 40.0f, -0.5f), down(0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(camera->SetPosition(&above, &down));
    smoke->Stop();
    fire->Stop();
    for (int i = 0; i < 2; ++i) Frame();
    const std::vector<DWORD> top = BackBuffer();
    smoke->Start();
    fire->Start();
    for (int i = 0; i < 2; ++i) Frame();
    const std::vector<DWORD> topLit = BackBuffer();
    Save("smoke_and_fire_above.png");
    size_t changed = 0;
    for (size_t i = 0; i < top.size() && i < topLit.size(); ++i)
        changed += (top[i] & 0xFFFFFFu) != (topLit[i] & 0xFFFFFFu);
    EXPECT_GT(changed, 200u);
}

} // namespace
