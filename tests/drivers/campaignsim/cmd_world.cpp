// campaignsim world: the campaign engine's world with demo content: the
// active water under the sky wall, four ships floating on it (funnel smoke
// from each ship's "pipe" frames), a buoy and an island. Two ships steam
// towards each other, one towards the buoy and one towards the island; each
// new contact of the physical manager is printed once, and the ships of a
// contact stop.
//   --frames N          frames to run (default 400)
//   --frame-ms M        virtual time per frame in ms (default 10)
//   --seed S            the random source's seed (default 1)
//   --shot FILE         save the last frame as a PNG
//   --texture-mode      the water in texture mode (default: the mode the
//                       adapter gets, vertex mode on unknown adapters)
//   --lose-device-at F  the device is lost after frame F and restored
//   --no-motion         the ships do not steam (they still float)
// Output: "frame F contact kind K: A B" per contact, then per ship
// "ship I x X y Y z Z pitch P roll R water W" after the last frame.
// Exit code: 0 after a normal end, 1 when the start or the content failed,
// 2 for bad options, 3 when the picture could not be saved.
#include "Registry.h"
#include "SimEngine.h"
#include "engine2/ui/UISceneSlots.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "engine2/world/water/CDX9KelActiveWater.h"
#include "engine2/world/water/CDX9KelSkyWall.h"
#include "platform/os/Paths.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace Vorna2;

struct Placement {
    float x, z, heading, speed;
};
// Ships 0 and 1 meet head on, ship 2 steams at the buoy, ship 3 at the
// island. Headings: 0 = bow to +z.
const Placement kShips[] = {{-32.0f, 10.0f, 1.5707964f, 0.12f},
                            {32.0f, 10.0f, -1.5707964f, 0.12f},
                            {-30.0f, 45.0f, 0.0f, 0.08f},
                            {40.0f, 48.0f, 0.0f, 0.08f}};
const float kBuoy[2] = {-30.0f, 66.0f};
const float kIsland[2] = {40.0f, 100.0f};
const char* const kSmokeFile = "Particles\\Campaign\\c2smoke.ini";

// The frame's matrix relative to the model's root, when a frame of that
// name exists below `frame` (depth first).
bool FindFrameMatrix(const D3DXFRAME* frame, const char* name, const D3DXMATRIX& parent, D3DXMATRIX* out) {
    for (; frame; frame = frame->pFrameSibling) {
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &frame->TransformationMatrix, &parent);
        if (frame->Name && std::strcmp(frame->Name, name) == 0) {
            *out = m;
            return true;
        }
        if (FindFrameMatrix(frame->pFrameFirstChild, name, m, out)) return true;
    }
    return false;
}

class WorldScene : public CDX9KelScene {
public:
    bool Init() override {
        if (!CDX9KelScene::Init()) return false;
        m_contentOk = BuildContent();
        return m_contentOk;
    }

    void Process() override {
        if (m_motion) Steam();
        CDX9KelScene::Process();
        ++m_frame;
        ReportContacts();
    }

    void PrintShips() const {

        for (size_t i = 0; i < m_ships.size(); ++i) {
            const D3DXMATRIX& w = m_ships[i]->m_mWorld;
            // Pitch: the bow's rise; roll: the starboard side's rise.
            const float pitch = std::asin(std::fmax(-1.0f, std::fmin(1.0f, w._32)));
            const float roll = std::asin(std::fmax(-1.0f, std::fmin(1.0f, w._12)));
            const float water = m_water ? m_water->GetHeight(w._41, w._43) : 0.0f;
            std::printf("ship %zu x %.3f y %.4f z %.3f pitch %.5f roll %.5f water %.4f\n", i, double(w._41),
                        double(w._42), double(w._43), double(pitch), double(roll), double(water));
        }
    }

    bool m_textureMode = false;
    bool m_motion = true;
    bool m_contentOk = false;

private:
    CDX9KelSceneObject* Place(CDX9KelModel* model, float x, float z, float heading) {
        if (!model) return nullptr;
        const float c = std::cos(heading), s = std::sin(heading);
        return CreateSceneObject(model, c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, x, 0, z, 1);
    }

    std::string Name(const CDX9KelSceneObject* o) const {
        for (size_t i = 0; i < m_ships.size(); ++i)
            if (m_ships[i] == o) return "ship" + std::to_string(i);
        if (o == m_buoy) return "buoy";
        if (o == m_island) return "island";
        return "object";
    }

    bool BuildContent() {
        IDirect3DDevice9* device = GetD3DDevice();
        CDX9KelBaseCamera* camera = m_pCameraManager ? m_pCameraManager->GetActiveCamera() : nullptr;
        CDX9KelPhysicalManager* physics = GetPhysicalManager(this);
        CDXParticleSystemManager* particles = GetParticleSystemManager(this);
        if (!device || !camera || !physics || !particles) return false;
        camera->m_vEye = D3DXVECTOR3(0.0f, 38.0f, -62.0f);
        camera->m_vLookAt = D3DXVECTOR3(0.0f, 0.0f, 40.0f);
        D3DXMatrixLookAtLH(&camera->m_mView, &camera->m_vEye, &camera->m_vLookAt, &camera->m_vUp);
        // The map's camera sees 2000 units far, so the sky wall stays in view.
        camera->m_fFar = 2000.0f;
        m_pCameraManager->SetProjection(GetRenderWidth(), GetRenderHeight());
        if (!CreateSceneTree(D3DXVECTOR3(-500.0f, -50.0f, -500.0f), D3DXVECTOR3(500.0f, 50.0f, 500.0f), 50.0f, false))
            return false;

        // The water: texture mode only where the adapter gets it.
        m_water = new CDX9KelActiveWater();
        m_water->SetAmplitude(2.0f);
        m_water->SetWaterColor(0.12f, 0.28f, 0.36f);
        if (!m_water->Init(m_pGrahResManager, m_pCameraManager, m_pRenderSystem, D3DMULTISAMPLE_NONE, device,
                           "Textures\\c2water_sky.png", "Textures\\fresnel_water.bmp", "Effects\\water_height.fx",
                           "Effects\\water_normal.fx", "Effects\\water_surface.fx", "Effects\\water_normalsoft.fx",
                           !m_textureMode)) {
            m_water->Release();
            delete m_water;
            m_water = nullptr;
            return false;
        }
        m_pGrahResManager->AddGrapRes(m_water);
        physics->SetWater(m_water);

        auto* sky = new CDX9KelSkyWall();
        if (!sky->Init(m_pGrahResManager, m_pCameraManager, "Textures\\", "c2sky_wall.png", nullptr, device)) {
            sky->Release();
            delete sky;
            return false;
        }
        m_pGrahResManager->AddGrapRes(sky);

        m_records.resize(std::size(kShips));
        for (size_t i = 0; i < std::size(kShips); ++i) {
            const Placement& p = kShips[i];
            CDX9KelModel* lod0 = LoadModel("Models\\Units\\c2ship_lod0.x", "Effects\\c2model.fx");
            CDX9KelModel* lod1 = LoadModel("Models\\Units\\c2ship_lod1.x", "Effects\\c2model.fx");
            CDX9KelModel* lod2 = LoadModel("Models\\Units\\c2ship_lod2.x", "Effects\\c2model.fx");
            CDX9KelSceneObject* ship = Place(lod0, p.x, p.z, p.heading);
            if (!ship || ship->AddModel(lod1) < 0 || ship->AddModel(lod2) < 0) return false;
            ship->SetLODDistances(80.0f, 160.0f);
            physics->AddObject(ship, &m_records[i]);
            m_ships.push_back(ship);
            if (!AddFunnelSmoke(particles, ship)) return false;
        }
        m_buoy = Place(LoadModel("Models\\Statics\\c2buoy.x", nullptr), kBuoy[0], kBuoy[1], 0.0f);
        m_island = Place(LoadModel("Models\\Statics\\c2island.x", "Effects\\c2model.fx"), kIsland[0], kIsland[1], 0.0f);
        return m_buoy && m_island;
    }

    // Smoke from each frame "pipe1", "pipe2", ... of the ship's first model.
    bool AddFunnelSmoke(CDXParticleSystemManager* particles, CDX9KelSceneObject* ship) {
        if (!ship->m_pParticleSystems) ship->m_pParticleSystems = particles->CreateList(&ship->m_bVisible, nullptr);
        if (!ship->m_pParticleSystems) return false;
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        for (int n = 1;; ++n) {
            const std::string name = "pipe" + std::to_string(n);
            D3DXMATRIX local;
            if (!FindFrameMatrix(ship->m_Models[0]->m_pFrameRoot, name.c_str(), identity, &local)) return n > 1;
            if (particles->CreateListPSInList(GetD3DDevice(), ship->m_pParticleSystems, kSmokeFile, &local,
                                              &ship->m_mWorld) < 0)
                return false;
        }
    }

    void Steam() {
        for (size_t i = 0; i < m_ships.size(); ++i) {
            if (m_stopped.count(m_ships[i])) continue;
            const D3DXMATRIX& w = m_ships[i]->m_mWorld;
            D3DXVECTOR3 ahead(w._31, 0.0f, w._33);
            D3DXVec3Normalize(&ahead, &ahead);
            ahead *= kShips[i].speed;
            CDX9KelSceneObject::Translate(&ahead, m_pSceneTree, m_ships[i]);
        }
    }

    void ReportContacts() {
        CDX9KelPhysicalManager* physics = GetPhysicalManager(this);
        if (!physics) return;
        for (const CDX9KelContact& c : physics->m_Contacts) {
            const auto key = std::make_pair(c.m_pObjectA, c.m_pObjectB);
            if (!m_reported.insert(key).second) continue;
            std::printf("frame %d contact kind %d: %s %s\n", m_frame, c.m_iKind, Name(c.m_pObjectA).c_str(),
                        Name(c.m_pObjectB).c_str());
            m_stopped.insert(c.m_pObjectA);
            m_stopped.insert(c.m_pObjectB);
        }
    }

    CDX9KelActiveWater* m_water = nullptr;
    std::vector<CDX9KelSceneObject*> m_ships;
    std::vector<CDX9KelFloatRecord> m_records;
    CDX9KelSceneObject* m_buoy = nullptr;
    CDX9KelSceneObject* m_island = nullptr;
    std::set<std::pair<CDX9KelSceneObject*, CDX9KelSceneObject*>> m_reported;
    std::set<CDX9KelSceneObject*> m_stopped;
    int m_frame = 0;
};

class WorldEngine : public CampaignSim::SimEngine {
public:
    WorldEngine(const CampaignSim::SimOptions& options, WorldScene* scene) : SimEngine(options), m_pWorld(scene) {
        // The 3D scene alone: no screens over it.
        Vorna2::RegisterScreenSceneSlot("");
        m_pScene = scene;
    }
    void Render() override {
        SimEngine::Render();
        const int frame = GetFramesRun();
        if (frame == m_loseAt && m_pRender && m_pRender->GetDevice())
            Platform::SimulateDeviceLoss(m_pRender->GetDevice(), 1);
        if (frame == GetOptions().frames) m_pWorld->PrintShips();
    }
    int m_loseAt = -1;

private:
    WorldScene* m_pWorld;
};

} // namespace

CAMPAIGNSIM_COMMAND(world, "[--frames N] [--frame-ms M] [--seed S] [--shot FILE] [--texture-mode] "
                           "[--lose-device-at F] [--no-motion]") {
    bool okFrames, okMs, okSeed, okLose;
    CampaignSim::SimOptions options;
    const long long frames = args.GetInt("frames", 400, &okFrames);
    const long long frameMs = args.GetInt("frame-ms", 10, &okMs);
    const long long seed = args.GetInt("seed", 1, &okSeed);
    const long long loseAt = args.GetInt("lose-device-at", -1, &okLose);
    if (!okFrames || !okMs || !okSeed || !okLose || frames < 1 || frames > 100000000 || frameMs < 0 ||
        frameMs > 60000 || seed < 0 || seed > 0xFFFFFFFFll) {
        std::fprintf(stderr, "campaignsim world: bad option value\n");
        return 2;
    }
    options.frames = static_cast<int>(frames);
    options.frameMs = static_cast<DWORD>(frameMs);
    options.seed = static_cast<std::uint32_t>(seed);
    options.picture = args.Get("shot");
    if (options.picture.empty() && loseAt >= 0) options.picture = Platform::ProgramFolder() + "world_last_frame.png";

    RegisterPhysicsSceneSlot();
    RegisterParticleSceneSlot();
    int result = 0;
    {
        auto* scene = new WorldScene();
        scene->m_textureMode = args.Has("texture-mode");
        scene->m_motion = !args.Has("no-motion");
        WorldEngine engine(options, scene);
        engine.m_loseAt = static_cast<int>(loseAt);
        g_Log.SetCopyStream(nullptr);
        if (!engine.Run()) result = 1;
        if (result == 0 && !args.Get("shot").empty() && !engine.PictureSaved()) result = 3;
        g_Log.Close();
    }
    std::fflush(stdout);
    return result;
}
