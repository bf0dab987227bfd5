#pragma once
// A game IO over a headless engine scene (offscreen device, particle and
// physics managers), brought up once per fuzz process in a folder of its
// own that holds a tiny model "m.x" with the frames ships name. Each input
// is written as one data file and read by the reader under test.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/resources/CDX9KelBaseResourceManager.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "seabattle/game/CVR3GAMEIO.h"

namespace VornaFuzz {

// A triangle in frame "Hull" with child frames for turrets, guns and the
// propeller, enough for the animated reader to bind parts to frames.
inline const char* kTinyModel =
    "xof 0303txt 0032\n"
    "Frame Root { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    " Frame Hull { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    "  Mesh HullMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"
    "  Frame Turret1 { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,1,2,1;; }\n"
    "   Frame Gun1 { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,1,1;; } }\n"
    "  }\n"
    "  Frame Propeller { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,-2,1;; } }\n"
    " }\n"
    "}\n";

// One small ship of every aspect, consistent with the tiny model, so a
// reader under test finds the other aspects it is matched with.
inline const char* kShipFiles[][2] = {
    {"ship.scobjxml", "<SceneObject><LODs count=\"1\"><L><Models><Hull><Model>m.x</Model><Effect>none.fx</Effect>"
                      "</Hull></Models></L></LODs><CollisionModel><Model>m.x</Model></CollisionModel></SceneObject>"},
    {"ship.movobjxml", "<MovementShip><Mass>900</Mass><MaxSpeed>8</MaxSpeed><MinSpeed>3</MinSpeed>"
                       "<MaxRotAngle>0.2</MaxRotAngle><MaxDraughtForce>450</MaxDraughtForce>"
                       "<MaxDraughtForceInstTime>8</MaxDraughtForceInstTime><DraughtForcePosition z=\"-2\"/>"
                       "</MovementShip>"},
    {"ship.anmobjxml", "<AnimatedShip><ShipModelName>Hull</ShipModelName><Platons><Turret1><Rotation>1</Rotation>"
                       "<GameTransform/><AnimatedParts><Gun1><Movement>1</Movement></Gun1></AnimatedParts></Turret1>"
                       "</Platons><Propellers><Propeller/></Propellers></AnimatedShip>"},
    {"ship.btlobjxml", "<BattleShip><Gunpowder>10</Gunpowder><Parts><T><Durability>50</Durability><Length>5</Length>"
                       "<Height>4</Height><Guns><Main><Shells>5</Shells></Main></Guns></T></Parts></BattleShip>"},
    {"ship.artobjxml", "<ArtilleryShip><Parts><T><Center/><Guns><G><BobmardAngles x=\"-1\" y=\"1\" z=\"0\" "
                       "w=\"0.3\"/></G></Guns></T></Parts></ArtilleryShip>"},
    {"ship.infobjxml", "<InformationShip><ShipTypeName>T</ShipTypeName><Displacement>100</Displacement>"
                       "<DisplUnitCost>2</DisplUnitCost><Icon><Borders/><Texture>t</Texture><Font>f</Font>"
                       "<TextRelativePosition/><TextCoordinates/><TextColors/></Icon></InformationShip>"},
    {"guns.artlstxml", "<Artillery><Main><RechargeSpeed>10</RechargeSpeed><Damage>5</Damage></Main></Artillery>"},
};

struct FuzzWorld {
    Platform::ManualClock clock;
    Vorna3D::CDX9KelEngine engine;
    Vorna3D::CDX9KelScene* scene = nullptr;
    SeaBattle::CVR3GAMEIO io;
    std::string folder;
};

inline FuzzWorld& World() {
    static FuzzWorld* w = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        auto* world = new FuzzWorld();
        Platform::SetClock(&world->clock);
        char tmpl[] = "/tmp/vorna-fuzz-gameio-XXXXXX";
        const char* dir = mkdtemp(tmpl);
        if (!dir) std::abort();
        world->folder = std::string(dir) + "/";
        Platform::WriteFileAtomic(world->folder + "engine.ini",
                                  "[Grafic Settings]\nFullScreen=0\nWidth=64\nHeight=64\nReflRefrTexture=64\n");
        Platform::WriteFileAtomic(world->folder + "m.x", kTinyModel);
        Vorna3D::g_Log.Open((world->folder + "fuzz.log").c_str());
        Vorna3D::RegisterParticlesSceneSlot();
        Vorna3D::RegisterPhysicsSceneSlot();
        world->scene = new Vorna3D::CDX9KelScene();
        world->engine.m_pScene = world->scene;
        world->engine.SetDataFolder(world->folder);
        if (!world->engine.InitInterfaces() || !world->engine.InitDevice() || !world->scene->Init()) {
            std::fprintf(stderr, "no engine scene\n");
            std::abort();
        }
        world->io.m_pScene = world->scene;
        // Every data folder is the one folder, so files name each other freely.
        Platform::WriteFileAtomic(world->folder + "folders.ini",
                                  "[Graphic Data]\nEffects=\nModels=\nTextures=\nParticles=\n"
                                  "[Game Data]\nScene_Objects=\nMovement_Objects=\nAnimated_Objects=\n"
                                  "Battle_Objects=\nArtillery_Objects=\nInformation_Objects=\n"
                                  "Maps_Environments=\nBattle_Maps=\nHarbour_Maps=\nArtillery_Lists=\n"
                                  "Scenarios=\nDuel=\n[Sound Data]\nSources=\n[User Data]\nUserSaves=saves/\n");
        world->io.InitFrom(world->folder + "folders.ini", world->folder, world->folder);
        for (const auto& f : kShipFiles) Platform::WriteFileAtomic(world->folder + f[0], f[1]);
        world->io.LoadBattleArtilleryList("guns.artlstxml");
        const D3DXVECTOR3 mn(-100, -10, -100), mx(100, 10, 100);
        world->scene->CreateSceneTree("Fuzz", &mn, &mx, false, 50.0f);
        world->scene->SetActiveSceneTree(0);
        return world;
    }();
    return *w;
}

// The number of resources a manager holds.
inline size_t Held(const Vorna3D::CDX9KelBaseResourceManager* m) {
    size_t n = 0;
    for (auto* r : m->m_vResources) n += r != nullptr;
    return n;
}

// Writes the input as `name` in the fuzz folder.
inline void PutInput(const std::string& name, const uint8_t* data, size_t size) {
    Platform::WriteFileAtomic(World().folder + name, std::string(reinterpret_cast<const char*>(data), size));
}

} // namespace VornaFuzz
