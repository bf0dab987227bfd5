// campaignsim map: loads a campaign map the way the game does (map screen,
// all-maps graphic data, artillery, then the map file with its parameters)
// and prints what was built.
//
//   campaignsim map <map> [--side 1|2] [--frames N] [--frame-ms M] [--shot FILE]
//                   [--lost-player NAME]... [--lost-ai NAME]... [--route X,Z]
//
// Prints the map's parameters, its scenery, the units of each side (kind,
// place, column, animation data), the columns with their limits, the icon
// row, the view (scene box, map area, camera, water) and the graphic data;
// then runs the frames (default 1) and, with --shot, saves the last one with
// the camera over the player's first unit. --route plans a sea route for
// the player's first unit to X,Z through the physical manager (speed 10,
// 300 time units), prints it and shows its markers in the picture.
// Exit code: 0 loaded, 1 the map (or the start) failed, 2 bad options,
// 3 the picture could not be saved.
#include "Registry.h"
#include "SimEngine.h"
#include "tests/common/CampaignMapScene.h"

#include "campaign/routes/CDX9KelSeaPath.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "engine2/world/water/CDX9KelActiveWater.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

const char* Kind(const GameObjectRecord* o) {
    if (!o) return "none";
    if (o->m_pMovement) return "ship";
    if (o->m_pTexts) return "fort";
    return "mine";
}

std::string ColumnName(const CDX9KelGameMap& map, const GameColumnRecord* column) {
    if (!column) return "-";
    for (int s = 1; s <= 2; ++s) {
        const std::vector<GameColumnRecord*>& list = map.Side(s).m_Columns;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == column) return std::to_string(s) + "." + std::to_string(i);
    }
    return "?";
}

void PrintMap(CDX9KelGameMap& map, const Vorna2::CDX9KelScene& scene) {
    std::printf("map %s title \"%s\" player side %d\n", map.m_szMapName, map.m_szMapTitle, map.m_iPlayerSide);
    std::printf("parameters rounds %d turn %u/%u texture \"%s\" tasks %s\n", map.m_Params.m_iRoundsCount,
                map.m_Turn.m_uRound, map.m_Turn.m_uRoundsCount, map.m_Params.m_szMapTexture.c_str(),
                map.m_Params.m_pTasks ? "yes" : "no");
    for (int s = 1; s <= 2; ++s) {
        const std::vector<std::string>& targets = s == 1 ? map.m_Params.m_stdvSide1Targets : map.m_Params.m_stdvSide2Targets;
        std::printf("targets side %d:", s);
        for (const std::string& t : targets) std::printf(" \"%s\"", t.c_str());
        std::printf("\n");
    }
    std::printf("view scene box %.1f %.1f %.1f .. %.1f %.1f %.1f map area %.1f %.1f .. %.1f %.1f\n",
                double(map.m_vSceneMin.x), double(map.m_vSceneMin.y), double(map.m_vSceneMin.z),
                double(map.m_vSceneMax.x), double(map.m_vSceneMax.y), double(map.m_vSceneMax.z),
                double(map.m_vMapMin.x), double(map.m_vMapMin.z), double(map.m_vMapMax.x), double(map.m_vMapMax.z));
    if (auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(scene.m_pCameraManager->GetActiveCamera()))
        std::printf("camera limits x %.1f .. %.1f z %.1f .. %.1f distance %.1f .. %.1f pitch %.3f .. %.3f\n",
                    double(camera->m_fMinX), double(camera->m_fMaxX), double(camera->m_fMinZ), double(camera->m_fMaxZ),
                    double(camera->m_fMinDistance), double(camera->m_fMaxDistance), double(camera->m_fMinPitch),
                    double(camera->m_fMaxPitch));
    std::printf("water %s\n", map.m_pWater ? "yes" : "no");

    // Scenery: the tree's objects that are no unit.
    int statics = 0;
    for (const Vorna2::CDX9KelSceneObject* o : scene.m_pSceneTree->m_Objects) {
        if (map.FindSideObject(o).side > 0 || map.FindNoSideObject(o) >= 0) continue;
        std::printf("scenery %d at %.1f %.1f lods %zu\n", statics++, double(o->m_mWorld._41), double(o->m_mWorld._43),
                    o->m_Models.size());
    }
    for (int s = 1; s <= 2; ++s) {
        const GameMapSide& side = map.Side(s);
        for (std::size_t i = 0; i < side.m_GameObjects.size(); ++i) {
            const GameObjectRecord* o = side.m_GameObjects[i];
            const Vorna2::CDX9KelSceneObject* so = side.m_SceneObjects[i];
            std::printf("unit side %d #%zu \"%s\" %s at %.1f %.1f column %s animated %s lods %zu\n", s, i,
                        o->m_Unit.m_szName, Kind(o), double(so->m_mWorld._41), double(so->m_mWorld._43),
                        ColumnName(map, o->m_pColumn).c_str(), side.m_AnimatedModels[i] ? "yes" : "no",
                        so->m_Models.size());
        }
    }
    for (std::size_t i = 0; i < map.m_NoSideGameObjects.size(); ++i) {
        const Vorna2::CDX9KelSceneObject* so = map.m_NoSideSceneObjects[i];
        std::printf("unit no side #%zu \"%s\" %s at %.1f %.1f\n", i, map.m_NoSideGameObjects[i]->m_Unit.m_szName,
                    Kind(map.m_NoSideGameObjects[i]), double(so->m_mWorld._41), double(so->m_mWorld._43));
    }
    for (int s = 1; s <= 2; ++s) {
        const std::vector<GameColumnRecord*>& columns = map.Side(s).m_Columns;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const GameColumnRecord* c = columns[i];
            std::printf("column %d.%zu speed %.3f reduced %.3f limits speed %.3f turn %.3f acceleration %.3f ships:", s,
                        i, double(c->m_fStoredSpeed), double(c->m_fReducedSpeed), double(c->m_fSpeedLimit),
                        double(c->m_fTurnLimit), double(c->m_fAccelerationLimit));
            for (const ColumnShip& ship : c->m_Ships) std::printf(" \"%s\"", ship.m_pObject->m_Unit.m_szName);
            std::printf("\n");
        }
    }
    if (map.m_MapScreen.m_pIconList) {
        std::printf("icons %zu:", map.m_MapScreen.m_pIconList->m_Buttons.size());
        for (const auto* b : map.m_MapScreen.m_pIconList->m_Buttons)
            std::printf(" [%ld %ld %ld %ld]", static_cast<long>(b->m_Rect.left), static_cast<long>(b->m_Rect.top),
                        static_cast<long>(b->m_Rect.right), static_cast<long>(b->m_Rect.bottom));
        std::printf("\n");
    }
    if (map.m_MapScreen.m_pTurnText) std::printf("turn text \"%s\"\n", map.m_MapScreen.m_pTurnText->m_strText.c_str());
    int flags = 0;
    for (const auto* f : map.m_MapScreen.m_pIconFlags)
        if (f && f->m_bVisible) ++flags;
    std::printf("flags shown %d\n", flags);
    std::printf("global map picture %s\n", map.m_iGlobalMapImage >= 0 ? "yes" : "no");
    std::printf("graphic data cursors %d %d %d %d %d planes green %s red %zu grey %zu route marker %s pipe smoke \"%s\"\n",
                map.m_iCursors[0], map.m_iCursors[1], map.m_iCursors[2], map.m_iCursors[3], map.m_iCursors[4],
                map.m_pGreenRing ? "yes" : "no", map.m_pRedRings.size(), map.m_pGreyRings.size(),
                g_SeaPathGenerator.m_pModel ? "yes" : "no", map.m_szPipeSmokeFile.c_str());
    std::printf("texts \"%s\" \"%s\" \"%s\" \"%s\" \"%s\" \"%s\" \"%s\" \"%s\"\n", map.m_szDamageText[0],
                map.m_szDamageText[1], map.m_szDamageText[2], map.m_szDamageText[3], map.m_szDamageText[4],
                map.m_szAccuracyText, map.m_szHandicapText, map.m_szGlobalMapUnitDescText);
}

// Plans the route of the player's first unit to (x, z) with the campaign's
// route finder and shows it.
void PlanRoute(CDX9KelGameMap& map, float x, float z) {
    const std::vector<Vorna2::CDX9KelSceneObject*>* units = map.m_pPlayerSceneObjects;
    if (!units || units->empty()) return;
    Vorna2::CDX9KelSceneObject* ship = (*units)[0];
    SeaMover mover;
    mover.m_mWorld = ship->m_mWorld;
    mover.m_fRadius = ship->m_fRadius;
    mover.m_pSelf = ship;
    SeaMoveParams params;
    params.m_fMaxSpeed = 10.0f;
    params.m_fMaxTurnRate = 0.05f;
    params.m_fAcceleration = 0.05f;
    params.m_fStartSpeed = 10.0f;
    g_SeaPathGenerator.ClearPaths();
    const int code = g_SeaPathFinder.FindPath(&mover, &params, 0.0f, 300.0f, x, 0.0f, z);
    std::printf("route to %.1f,%.1f result %d detours %u", double(x), double(z), code, g_SeaPathFinder.m_uDetours);
    if (code == SEA_PATH_RESULT_TAGRET_OCCUPED)
        for (const void* hit : map.GetObstacleQuery()->Hits()) {
            const GameObjectRecord* o = map.GetGameObject(static_cast<const Vorna2::CDX9KelSceneObject*>(hit));
            std::printf(" taken by %s", o ? o->m_Unit.m_szName : "scenery");
        }
    if (const SeaPathHandle fitted = code >= SEA_PATH_RESULT_FOUND ? g_SeaPathGenerator.Get(g_SeaPathFinder.m_iFittedPath)
                                                                   : nullptr) {
        fitted->m_bDrawn = true;
        std::printf(" way points %zu", fitted->m_WayPoints.size());
        if (!fitted->m_WayPoints.empty()) {
            const D3DXMATRIX& end = fitted->m_WayPoints.back().m_mPlacement;
            std::printf(" ends at %.1f,%.1f", double(end._41), double(end._43));
        }
    }
    std::printf("\n");
    std::vector<const D3DXMATRIX*> markers;
    g_SeaPathGenerator.CollectMarkers(&markers);
    std::printf("route markers %zu\n", markers.size());
}

class MapEngine : public CampaignSim::SimEngine {
public:
    MapEngine(const CampaignSim::SimOptions& options, VornaTest::CampaignMapScene* scene)
        : SimEngine(options), m_pMapScene(scene) {
        // The map screen is loaded by the scene itself; no start sequence.
        Vorna2::RegisterScreenSceneSlot("");
        m_pScene = scene;
    }
    // The scene's Init (with the map's load) runs at the end of the input's
    // start-up.
    bool InitInput() override {
        if (!SimEngine::InitInput()) return false;
        PrintMap(m_pMapScene->m_map, *m_pMapScene);
        if (m_route) PlanRoute(m_pMapScene->m_map, m_routeX, m_routeZ);
        AimCamera();
        return true;
    }

    bool m_route = false;
    float m_routeX = 0.0f, m_routeZ = 0.0f;

private:
    // Over the player's first unit, looking at it from behind and above.
    void AimCamera() {
        auto* camera = dynamic_cast<Vorna2::CDX9KelGlobalCamera*>(m_pMapScene->m_pCameraManager->GetActiveCamera());
        const std::vector<Vorna2::CDX9KelSceneObject*>* units = m_pMapScene->m_map.m_pPlayerSceneObjects;
        if (!camera || !units || units->empty()) return;
        const D3DXMATRIX& w = (*units)[0]->m_mWorld;
        camera->m_fDistance = 110.0f;
        camera->SetTarget(w._41, w._43 + 12.0f);
        camera->SetAngles(0.55f, 0.5f);
        camera->UpdateOrbit();
    }
    VornaTest::CampaignMapScene* m_pMapScene;
};

} // namespace

CAMPAIGNSIM_COMMAND(map, "<map> [--side 1|2] [--frames N] [--frame-ms M] [--shot FILE] [--lost-player NAME]... "
                         "[--lost-ai NAME]... [--route X,Z]") {
    bool okFrames, okMs, okSide;
    const std::string name = args.Get("");
    const long long frames = args.GetInt("frames", 1, &okFrames);
    const long long frameMs = args.GetInt("frame-ms", 10, &okMs);
    const long long side = args.GetInt("side", 1, &okSide);
    const bool route = args.Has("route");
    float routeX = 0.0f, routeZ = 0.0f;
    char extra = 0;
    const bool routeOk = !route || (std::sscanf(args.Get("route").c_str(), "%f,%f%c", &routeX, &routeZ, &extra) == 2 &&
                                    std::isfinite(routeX) && std::isfinite(routeZ));
    if (name.empty() || !okFrames || !okMs || !okSide || frames < 1 || frames > 100000000 || frameMs < 0 ||
        frameMs > 60000 || (side != 1 && side != 2) || !routeOk) {
        std::fprintf(stderr, "campaignsim map: bad option value\n");
        return 2;
    }
    CampaignSim::SimOptions options;
    options.frames = static_cast<int>(frames);
    options.frameMs = static_cast<DWORD>(frameMs);
    options.picture = args.Get("shot");
    const std::vector<std::string> lostPlayer = args.GetAll("lost-player");
    const std::vector<std::string> lostAI = args.GetAll("lost-ai");

    int result = 0;
    {
        auto* scene = new VornaTest::CampaignMapScene();
        scene->m_mapName = name;
        scene->m_playerSide = static_cast<int>(side);
        scene->m_map.SetLostUnitLists(&lostPlayer, &lostAI);
        MapEngine engine(options, scene);
        engine.m_route = route;
        engine.m_routeX = routeX;
        engine.m_routeZ = routeZ;
        Vorna2::g_Log.SetCopyStream(nullptr);
        if (!engine.Run()) result = 1;
        if (result == 0 && !options.picture.empty() && !engine.PictureSaved()) result = 3;
        Vorna2::g_Log.Close();
    }
    std::fflush(stdout);
    return result;
}
