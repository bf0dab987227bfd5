// The demo smoke and fire in a running engine scene: the manager in the
// scene's slot, the systems filed with a ship model in the octree, drawn by
// the render system's particle pass, headless.
#include "engine3/core/render/RenderTestSupport.h"

#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/os/Paths.h"

#include <cstdint>
#include <regex>

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
    // A path as particle files name it: relative to the program's folder.
    static std::string FromProgram(const std::filesystem::path& p) {
        return std::filesystem::relative(p, Platform::ProgramFolder()).string();
    }
    // An uncompressed 32-bit TGA of one colour.
    static void WriteTga(const std::filesystem::path& path, int side, std::uint32_t argb) {
        std::string data(18, '\0');
        data[2] = 2;
        data[12] = data[14] = static_cast<char>(side);
        data[16] = 32;
        data[17] = 0x28;
        for (int i = 0; i < side * side; ++i)
            for (int shift : {0, 8, 16, 24}) data.push_back(static_cast<char>((argb >> shift) & 0xFF));
        VornaTest::WriteText(path, data);
    }
    // The demo smoke's emitter, renamed, rising along `direction`, with a
    // texture and an effect of its own ("" leaves the effect out).
    static std::string Emitter(const std::string& name, const char* direction, const std::string& texture,
                               const std::string& effect) {
        const std::string smoke = VornaTest::ReadText(std::filesystem::path(VORNA_BIN_DIR) / "Particles" / "smoke.xml");
        const size_t from = smoke.find("<EmitterPoint"), to = smoke.find("</EmitterPoint>") + 15;
        std::string e = smoke.substr(from, to - from);
        e = std::regex_replace(e, std::regex("Name=\"Smoke\""), "Name=\"" + name + "\"");
        e = std::regex_replace(e, std::regex("<StartDirection>.*</StartDirection>"),
                               std::string("<StartDirection>") + direction + "</StartDirection>");
        e = std::regex_replace(e, std::regex("<Texture>.*</Texture>"), "<Texture>" + texture + "</Texture>");
        e = std::regex_replace(e, std::regex("<Effect>.*</Effect>"),
                               effect.empty() ? std::string() : "<Effect>" + effect + "</Effect>");
        // Opaque, unfading particles, so their colour shows plainly.
        e = std::regex_replace(e, std::regex("<ParticleColor>.*</ParticleColor>"),
                               "<ParticleColor><a>1</a><r>1</r><g>1</g><b>1</b></ParticleColor>");
        e = std::regex_replace(e, std::regex("<ParticleColorVariation>.*</ParticleColorVariation>"), "");
        e = std::regex_replace(e, std::regex("<CommonColor Name=\"Fade\">[\\s\\S]*?</CommonColor>"), "");
        return e;
    }
    // Pixels that are clearly of one primary colour.
    static size_t CountOf(const std::vector<DWORD>& px, int channel) {
        size_t n = 0;
        for (DWORD c : px) {
            const int v[3] = {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
            n += v[channel] > 180 && v[(channel + 1) % 3] < 90 && v[(channel + 2) % 3] < 90;
        }
        return n;
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

// The "Effect" of an emitter is optional: a system whose emitters name none
// is drawn through the fixed-function path; an emitter whose effect is not
// the first emitter's is drawn through its own.
TEST_F(ParticlesRender, SystemsWithoutAnEffectAndEmittersWithTwoEffectsAreDrawn) {
    LinkDemoFolders();
    RegisterParticlesSceneSlot();
    ASSERT_TRUE(Start()) << Log();
    CDX9KelParticlesSystemsManager* manager = GetParticlesSystemsManager(m_pScene);
    ASSERT_NE(manager, nullptr);
    const D3DXVECTOR3 mn(-100, -50, -100), mx(100, 50, 100);
    ASSERT_TRUE(m_pScene->CreateSceneTree("Particles", &mn, &mx, false, 50.0f));
    m_pScene->SetActiveSceneTree(static_cast<int>(m_pScene->m_vSceneTrees.size()) - 1);
    CDX9KelBaseCamera* camera = m_pScene->m_pCameraManager->m_pActiveCamera;
    const D3DXVECTOR3 eye(0.0f, 4.0f, -22.0f), target(0.0f, 3.0f, 0.0f);
    ASSERT_TRUE(camera->SetPosition(&eye, &target));

    WriteTga(m_dir / "red.tga", 8, 0xFFFF0000u);
    WriteTga(m_dir / "green.tga", 8, 0xFF00FF00u);
    WriteTga(m_dir / "blue.tga", 8, 0xFF0000FFu);
    const std::string fx = VornaTest::ReadText(std::filesystem::path(VORNA_BIN_DIR) / "Effects" / "Particles" /
                                               "particles.fx");
    VornaTest::WriteText(m_dir / "first.fx", fx);
    VornaTest::WriteText(m_dir / "second.fx", fx);
    const auto file = [&](const char* name, const std::string& emitters) {
        VornaTest::WriteText(m_dir / name, "<ParticlesSystem><Emitters>" + emitters + "</Emitters></ParticlesSystem>");
        return (m_dir / name).string();
    };
    const std::string plainFile =
        file("plain.xml", Emitter("Plain", "<x>0</x><y>1</y><z>0</z>", FromProgram(m_dir / "green.tga"), ""));
    const std::string twoFile =
        file("two.xml", Emitter("First", "<x>-1</x><y>1</y><z>0</z>", FromProgram(m_dir / "red.tga"),
                                FromProgram(m_dir / "first.fx")) +
                            Emitter("Second", "<x>1</x><y>1</y><z>0</z>", FromProgram(m_dir / "blue.tga"),
                                    FromProgram(m_dir / "second.fx")));

    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    CDX9KelParticlesSystem* plain = manager->LoadParticlesSystem(plainFile.c_str(), "plain", "plain1", 6.0f, &m);
    CDX9KelParticlesSystem* two = manager->LoadParticlesSystem(twoFile.c_str(), "two", "two1", 6.0f, &m);
    ASSERT_NE(plain, nullptr) << Log();
    ASSERT_NE(two, nullptr) << Log();
    EXPECT_EQ(plain->GetRenderEffect(), nullptr);
    ASSERT_EQ(two->m_vEmitters.size(), 2u);
    EXPECT_NE(two->m_vEmitters[0]->m_Params.pEffect, two->m_vEmitters[1]->m_Params.pEffect);
    Place(plain, D3DXVECTOR3(-4.0f, 0.0f, 0.0f));
    Place(two, D3DXVECTOR3(4.0f, 0.0f, 0.0f));

    for (int i = 0; i < 90; ++i) Frame();
    const std::vector<DWORD> px = BackBuffer();
    Save("plain_and_two_effects.png");
    EXPECT_GT(CountOf(px, 1), 50u) << "the system without an effect";
    EXPECT_GT(CountOf(px, 0), 50u) << "the first emitter's effect";
    EXPECT_GT(CountOf(px, 2), 50u) << "the second emitter's effect";
}

// What the managers and the device hold, to compare before and after.
struct Holdings {
    std::vector<std::pair<size_t, DWORD>> managers; // resources and references of each manager
    ULONG deviceReferences = 0;                     // every device object holds one
    bool operator==(const Holdings&) const = default;
};

Holdings Count(CDX9KelGraphicsResManager* grm, CDX9KelParticlesSystemsManager* particles, IDirect3DDevice9* device) {
    Holdings h;
    for (CDX9KelBaseResourceManager* m :
         {static_cast<CDX9KelBaseResourceManager*>(grm->m_pTextureManager),
          static_cast<CDX9KelBaseResourceManager*>(grm->m_pEffectManager),
          static_cast<CDX9KelBaseResourceManager*>(grm->m_pDepthStencilManager),
          static_cast<CDX9KelBaseResourceManager*>(grm->m_pGraphObjectManager),
          static_cast<CDX9KelBaseResourceManager*>(particles)}) {
        size_t n = 0;
        DWORD refs = 0;
        for (const CDX9KelBaseResource* r : m->m_vResources)
            if (r) ++n, refs += r->m_dwRefCount;
        h.managers.emplace_back(n, refs);
    }
    device->AddRef();
    h.deviceReferences = device->Release();
    return h;
}

// A battle map's sea, sky and a placed smoke loaded and given back ten times:
// every texture, effect, render target and depth-stencil goes back to its
// manager and off the device, so maps played one after another leak nothing.
TEST_F(ParticlesRender, SeaSkyAndSmokeLoadedAndReleasedTenTimesLeaveNothingBehind) {
    LinkDemoFolders();
    RegisterParticlesSceneSlot();
    ASSERT_TRUE(Start()) << Log();
    CDX9KelParticlesSystemsManager* particles = GetParticlesSystemsManager(m_pScene);
    CDX9KelGraphicsResManager* grm = m_pScene->GetGraphicsResManager();
    ASSERT_TRUE(particles && grm);
    const std::string bin = std::string(VORNA_BIN_DIR) + "/";
    const std::string smoke = bin + "Particles/smoke.xml";
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);

    auto cycle = [&](bool software) {
        auto* water = new CDX9KelOceanWater();
        auto* sky = new CVR3SkyArch();
        water->m_pResManager = sky->m_pResManager = grm;
        water->m_strTextureFolder = sky->m_strTextureFolder = bin + "Textures/Environment/";
        water->m_strEffectFolder = sky->m_strEffectFolder = bin + "Effects/Environment/";
        ASSERT_TRUE(water->Init(Device(), RS(), software)) << Log();
        ASSERT_TRUE(sky->Init(m_pScene->m_pCameraManager, Device())) << Log();
        ASSERT_TRUE(grm->AddGraphicObject(water) && grm->AddGraphicObject(sky));
        water->m_dwRefCount = sky->m_dwRefCount = 1;
        CDX9KelParticlesSystem* system = particles->LoadParticlesSystem(smoke.c_str(), "smoke", "smoke1", 6.0f, &m);
        ASSERT_NE(system, nullptr) << Log();
        Frame();
        Frame();
        EXPECT_TRUE(grm->ReleaseResource(water));
        EXPECT_TRUE(grm->ReleaseResource(sky));
        EXPECT_TRUE(particles->ReleaseResource(system));
        Frame();
    };
    Frame();
    // The first smoke is read from its file and kept as the prototype of
    // every later one: the count starts after it.
    cycle(false);
    const Holdings before = Count(grm, particles, Device());
    for (int i = 0; i < 10; ++i) cycle(i % 2 == 1);
    const Holdings after = Count(grm, particles, Device());
    EXPECT_EQ(after.managers, before.managers);
    EXPECT_EQ(after.deviceReferences, before.deviceReferences);
    EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
}

} // namespace
