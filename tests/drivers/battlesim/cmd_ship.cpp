// battlesim ship FILE... [--guns LIST] [--env ENV] [--shot PICTURE] [--frames N] [--out DIR]
// Starts the game headless, reads the gun list LIST (the demo's by default)
// and a sea map whose environment is ENV (the demo sea by default), then
// builds one battle-map ship from each ship element file (a path, or a name
// in the demo's Data/Ships folder) through the game IO and hands it to a
// player. Prints, per ship, its aspects: the files, whether it was
// initialised, the scene object's levels and units, the movement values, the
// animated parts with the model frames they found, the damage parts with
// their guns, the artillery parts with their sectors and gun nodes, and the
// card. With --shot the ships lie side by side on the sea and frame N
// (30 by default) of the scene, without the screens, is saved as PICTURE.
// Exit 0 when every ship was built whole, 1 otherwise, 2 for a bad command.
#include "DataFolder.h"
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/shell/CScene.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace BattleSim {

namespace {

using namespace SeaBattle;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim ship: %s\n", message.c_str());
    return 2;
}

struct FrameCount {
    int found = 0;
    int missing = 0;
};

void CountFrames(const std::vector<CVR3GAMEAnimatedPart*>& parts, FrameCount& c) {
    for (const CVR3GAMEAnimatedPart* p : parts) {
        (p->m_pFrame ? c.found : c.missing)++;
        CountFrames(p->m_vSubParts, c);
    }
}

int CountGunNodes(const CArtilleryPart* p) {
    int n = 0;
    for (const CArtilleryPart* c : p->m_vChildren) n += 1 + CountGunNodes(c);
    return n;
}

std::string SubPartNames(const CVR3GAMEAnimatedPart* p) {
    std::string s;
    for (const CVR3GAMEAnimatedPart* c : p->m_vSubParts) {
        s += " " + c->m_strName + (c->m_pFrame ? "" : "(no frame)");
        if (!c->m_vSubParts.empty()) s += "{" + SubPartNames(c).substr(1) + "}";
    }
    return s;
}

// Prints the ship's aspects; true when it has all of them.
bool PrintShip(const CVR3GAMEBattleMapShip& ship) {
    std::printf("ship \"%s\"\n", ship.m_strName.c_str());
    const Vorna3D::CDX9KelSceneObject* o = ship.m_pSceneObject;
    size_t units = 0;
    for (const auto& lod : o->m_vLODs)
        for (const auto* u : lod.m_vUnits) units += u != nullptr;
    std::printf(" scene_object %s lods %zu units %zu collision %d radius %.2f\n", o->m_strName.c_str(),
                o->m_vLODs.size(), units, o->m_pCollisionModel ? 1 : 0, o->m_fRadius);
    std::printf(" body %d\n", ship.m_pPhysicalObject ? 1 : 0);
    if (const CVR3GAMEMovementShip* m = ship.m_pMovementShip)
        std::printf(" movement %s mass %.1f max_speed %.2f min_speed %.2f max_force %.1f\n", m->m_strName.c_str(),
                    m->m_fMass, m->m_fMaxSpeedXML, m->m_fMinSpeedXML, m->m_fMaxDraughtForce);
    else
        std::printf(" movement missing\n");
    const CVR3GAMEAnimatedShip* a = ship.m_pAnimatedShip;
    if (a) {
        FrameCount frames;
        CountFrames(a->m_vPlatformParts, frames);
        CountFrames(a->m_vPropellerParts, frames);
        CountFrames(a->m_vRudderParts, frames);
        std::printf(" animated %s platforms %zu propellers %zu rudders %zu hulls %zu flags %zu smokes %zu wakes %zu "
                    "bow_waves %zu effects %zu damage_levels %zu\n",
                    a->m_strName.c_str(), a->m_vPlatformParts.size(), a->m_vPropellerParts.size(),
                    a->m_vRudderParts.size(), a->m_vHullModels.size(), a->m_vFlagModels.size(), a->m_vPipeSmokes.size(),
                    a->m_vPropellerWakes.size(), a->m_vBowWaves.size(), a->m_vEffectObjects.size(),
                    a->DamageLevels.size());
        std::printf(" frames found %d missing %d\n", frames.found, frames.missing);
    } else {
        std::printf(" animated missing\n");
    }
    const CVR3GAMEBattleSystemShip* d = ship.m_pBattleShip;
    if (d) {
        size_t guns = 0;
        for (const CBattleSystemShipPart* p : d->Parts) guns += p->Guns.size();
        std::printf(" damage %s parts %zu guns %zu above_water_area %.1f durability %.1f gunpowder %d ram %d\n",
                    d->Name.c_str(), d->Parts.size(), guns, d->AboveWaterArea, d->TotalDurability, d->Gunpowder,
                    d->RamAttack ? 1 : 0);
    } else {
        std::printf(" damage missing\n");
    }
    const CVR3GAMEArtilleryShip* art = ship.m_pArtilleryShip;
    if (art) {
        int nodes = 0;
        size_t bombard = 0, damage = 0;
        for (const CArtilleryPart* p : art->m_vParts) {
            nodes += CountGunNodes(p);
            bombard += p->BombardSectors.size();
            damage += p->DamageSectors.size();
        }
        std::printf(" artillery %s parts %zu gun_nodes %d bombard_sectors %zu damage_sectors %zu\n",
                    art->m_strName.c_str(), art->m_vParts.size(), nodes, bombard, damage);
    } else {
        std::printf(" artillery missing\n");
    }
    // One line per part, matched across the three aspects.
    if (a && d && art) {
        for (size_t i = 0; i < d->Parts.size() && i < a->m_vPlatformParts.size() && i < art->m_vParts.size(); ++i) {
            const CVR3GAMEAnimatedPart* p = a->m_vPlatformParts[i];
            std::string tags;
            for (const CBattleSystemShipGun& g : d->Parts[i]->Guns) tags += std::string(" ") + g.Tag;
            std::printf("  part %zu %s frame %d guns %zu [%s ] sub_parts [%s ] bombard %zu damage %zu\n", i,
                        p->m_strName.c_str(), p->m_pFrame ? 1 : 0, d->Parts[i]->Guns.size(), tags.c_str(),
                        SubPartNames(p).c_str(), art->m_vParts[i]->BombardSectors.size(),
                        art->m_vParts[i]->DamageSectors.size());
        }
    }
    if (const CVR3GAMEInformationShip* info = ship.m_pInfoShip)
        std::printf(" info %s \"%s\" level %d column %d displacement %s cost %d\n", info->m_strName.c_str(),
                    info->ShipTypeName.c_str(), info->ShipTypeLevel, info->ColumnNum, info->Displacement.c_str(),
                    info->DisplUnitCost);
    else
        std::printf(" info missing\n");
    return ship.m_pMovementShip && a && d && art && ship.m_pInfoShip && ship.m_pPhysicalObject;
}

int RunShip(const std::vector<std::string>& args) {
    std::vector<std::string> files, rest;
    // Every option takes a value; the other words are the ship files.
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            rest.push_back(args[i]);
            if (i + 1 < args.size()) rest.push_back(args[++i]);
        } else {
            files.push_back(args[i]);
        }
    }
    Options options;
    std::string error;
    if (!options.Parse(rest, {{"--guns", true}, {"--env", true}, {"--shot", true}, {"--frames", true}, {"--out", true}},
                       error))
        return Fail(error);
    if (files.empty()) return Fail("a ship element file is needed");
    long frames = 0;
    if (!options.GetLong("--frames", 1, 100000, 30, frames, error)) return Fail(error);
    const std::string guns = options.Has("--guns") ? options.Get("--guns") : "demo_guns.artlstxml";
    const std::string env = options.Has("--env") ? options.Get("--env") : "demo_sea.mapenvxml";

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    if (!start.dataFolder.empty() && start.dataFolder.back() != '/') start.dataFolder += '/';
    VornaTest::GameSession session;
    if (!session.Start(start)) return Fail("the game did not start; see " + session.LogPath());
    CScene* scene = session.Scene();

    CVR3GAMEIO io;
    io.m_pScene = scene;
    io.Init();
    BattleProcessingState::Get().ClearBattleProcessing(true);
    if (!io.LoadBattleArtilleryList(guns.c_str())) {
        session.Stop();
        return Fail("gun list not read: " + guns);
    }
    // A sea map around the ships, its environment drawn from the one file.
    CVR3GAMEBaseMap map;
    TiXmlDocument mapDoc;
    mapDoc.Parse(("<BaseMap><Name>Ship yard</Name><MinBorders x=\"-300\" y=\"-30\" z=\"-300\"/>"
                  "<MaxBorders x=\"300\" y=\"30\" z=\"300\"/><NodeSize>100</NodeSize><Environment><E>" +
                  env + "</E></Environment></BaseMap>")
                     .c_str());
    if (!io.LoadBaseMapFromXML(&map, mapDoc.RootElement(), nullptr)) {
        session.Stop();
        return Fail("sea map not made with " + env + "; see " + session.LogPath());
    }
    scene->SetActiveSceneTree(map.m_iSceneTreeIndex);
    ActivateMapEnvironment(map.m_pEnvironment, true);

    CVR3GAMEBattleMapPlayer player;
    bool whole = true;
    for (size_t i = 0; i < files.size(); ++i) {
        std::string path = files[i];
        if (!Platform::FileExists(path)) path = Platform::ProgramFolder() + "Data/Ships/" + files[i];
        TiXmlDocument doc;
        if (!doc.LoadFile(Platform::NativePath(path).c_str()) || !doc.RootElement()) {
            std::printf("ship_file %s not read\n", files[i].c_str());
            whole = false;
            continue;
        }
        // Side by side, 14 units apart across the view.
        TiXmlElement* element = doc.RootElement();
        TiXmlElement placed("SceneObjectWorld");
        TiXmlElement position("Position");
        position.SetDoubleAttribute("x", 14.0 * (static_cast<double>(i) - 0.5 * static_cast<double>(files.size() - 1)));
        placed.InsertEndChild(position);
        if (TiXmlElement* old = element->FirstChildElement("SceneObjectWorld")) element->RemoveChild(old);
        element->InsertEndChild(placed);
        const size_t before = player.m_stdvBattleShips.size();
        if (!io.CreateBattleShipForPlayerFromXML(element, &player) || player.m_stdvBattleShips.size() == before) {
            std::printf("ship_file %s not built\n", files[i].c_str());
            whole = false;
            continue;
        }
        std::printf("ship_file %s\n", files[i].c_str());
        whole = PrintShip(*player.m_stdvBattleShips.back()) && whole;
    }

    bool pictured = true;
    if (options.Has("--shot")) {
        scene->m_bGUIVisible = false;
        if (auto* camera = scene->m_pCameraManager
                               ? dynamic_cast<Vorna3D::CDX9KelGlobalCamera*>(scene->m_pCameraManager->m_pActiveCamera)
                               : nullptr) {
            ApplyBaseMapCamera(&map, camera);
            camera->m_fMinPitch = 0.0f;
            camera->SetTarget3D(0.0f, 0.5f, 0.0f);
            camera->SetDistance(10.0f + 9.0f * static_cast<float>(files.size()));
            camera->SetAngles(0.35f, 0.9f);
        }
        // The ships at rest, animated as the battle's animation system does.
        const float step = static_cast<float>(VornaTest::GameSession::kDefaultStepMs) / 1000.0f;
        auto animate = [&] {
            for (CVR3GAMEBattleMapShip* s : player.m_stdvBattleShips)
                if (s->m_pAnimatedShip) s->m_pAnimatedShip->Animate(step);
        };
        for (long f = 1; f < frames; ++f) {
            animate();
            session.Frame(false);
        }
        animate();
        pictured = session.TakePicture(options.Get("--shot"));
        session.Frame(true);
        std::printf("picture %s\n", options.Get("--shot").c_str());
    }

    for (CVR3GAMEBattleMapShip* s : player.m_stdvBattleShips) io.DeleteBattleShip(s);
    player.m_stdvBattleShips.clear();
    ReleaseMapEnvironment(&map);
    BattleProcessingState::Get().ClearBattleProcessing(true);
    session.Stop();
    return whole && pictured ? 0 : 1;
}

const CommandRegistration kShip("ship", "FILE... [--guns LIST] [--env ENV] [--shot PICTURE] [--frames N] [--out DIR]",
                                &RunShip);

} // namespace

} // namespace BattleSim
