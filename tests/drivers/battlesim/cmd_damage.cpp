// battlesim damage [--seed S] [--seconds T] [--step-ms MS] [--shot-fire FILE] [--shot-sunk FILE] [--out DIR]
//                  [--dump]
// One demo cruiser under fire until it sinks, in the game itself on the
// demo sea with the real physics and the battle resolution running as in a
// battle. The cruiser ("Target") lies stopped; a demo ram ship ("Raider")
// lies on its port beam. From 5 s on a scripted stream of shots comes from
// the raider, one every 3 s with a hit chance of 60 %, from a heavy gun of
// the script's own (damage 30, holes in four of five pierced hits); at 20 s
// the raider's ram strikes the target's port side amidships under the
// waterline (the contact and the ram report are scripted, the ram task
// resolves it). Every damage pass over
// the target is printed (fire, water, damage, heel, trim, holes, engine
// force and speed cap, guns in action, damage look) until the ship has
// sunk and been taken out of the scene, or T seconds (900) have passed.
// The run ends with the death entry of the battle log, the lost-ship count,
// whether the hull's body is still active, and the hash of the passes.
// --shot-fire saves a picture of the burning ship (taken a few seconds
// after a part first burns), --shot-sunk one of the sea where it went down.
// Exit 0 when the target sank and the game logged no error.
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr const char* kMapText = R"(<BaseMap>
  <Name>DamageSea</Name>
  <MinBorders x="-300" y="-60" z="-300"/>
  <MaxBorders x="300" y="60" z="300"/>
  <NodeSize>50</NodeSize>
  <ActiveCamera><StartLookAt x="0" y="0" z="0"/><Distance>45</Distance><StartAngles x="2.2" y="0.5"/></ActiveCamera>
  <Environment><File>demo_sea.mapenvxml</File></Environment>
</BaseMap>)";

std::string ShipElement(const char* name, const char* type, float x, float z, bool eastward) {
    char place[256];
    std::snprintf(place, sizeof place,
                  eastward ? "<Right x=\"0\" y=\"0\" z=\"-1\"/><Up x=\"0\" y=\"1\" z=\"0\"/>"
                             "<Direction x=\"1\" y=\"0\" z=\"0\"/><Position x=\"%g\" y=\"0\" z=\"%g\"/>"
                           : "<Position x=\"%g\" y=\"0\" z=\"%g\"/>",
                  x, z);
    const std::string t = type;
    return std::string("<Ship name=\"") + name + "\"><SceneObjectWorld>" + place + "</SceneObjectWorld>" +
           "<SceneObjectFile>" + t + ".scobjxml</SceneObjectFile><MovementObjectFile>" + t +
           ".movobjxml</MovementObjectFile><AnimatedObjectFile>" + t +
           ".anmobjxml</AnimatedObjectFile><BattleObjectFile>" + t +
           ".btlobjxml</BattleObjectFile><ArtilleryObjectFile>" + t +
           ".artobjxml</ArtilleryObjectFile><InfoObjectFile>" + t + ".infobjxml</InfoObjectFile></Ship>";
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim damage: %s\n", message.c_str());
    return 2;
}

// The first gun part of an artillery tree, depth first.
CArtilleryPart* FirstGun(const std::vector<CArtilleryPart*>& parts) {
    for (CArtilleryPart* p : parts) {
        if (!p) continue;
        if (p->GetGun() && p->m_pAnimatedPart) return p;
        if (CArtilleryPart* g = FirstGun(p->m_vChildren)) return g;
    }
    return nullptr;
}

void AimCamera(VornaTest::GameSession& session, const CVR3GAMEBattleMapShip* ship) {
    auto* cameras = session.Scene()->m_pCameraManager;
    auto* camera = cameras ? dynamic_cast<Vorna3D::CDX9KelGlobalCamera*>(cameras->m_pActiveCamera) : nullptr;
    if (camera && ship && ship->m_pSceneObject)
        camera->SetTarget(ship->m_pSceneObject->m_mWorld._41, ship->m_pSceneObject->m_mWorld._43);
}

std::string PassLine(DWORD now, const CVR3GAMEBattleMapShip* ship) {
    const CVR3GAMEBattleSystemShip* d = ship->m_pBattleShip;
    const CVR3GAMEMovementShip* m = ship->m_pMovementShip;
    std::size_t holes = 0;
    unsigned guns = 0;
    for (const CBattleSystemShipPart* p : d->Parts) {
        if (!p) continue;
        holes += p->Holes.size();
        for (const CBattleSystemShipGun& g : p->Guns) guns += g.Active ? 1 : 0;
    }
    char line[512];
    std::snprintf(line, sizeof line,
                  "pass t %.1f damage %.2f fire %.2f water %.2f heel %.4f trim %.4f holes %zu flooding %.2f "
                  "force %.1f max_speed %.2f guns %u look %d alive %d\n",
                  now / 1000.0, d->DamagePercent, d->FirePercent, d->WaterPercent, d->Heel, d->Trim, holes,
                  d->ActiveHoles, m ? m->m_fMaxForce : 0.0f, m ? m->m_fMaxSpeed : 0.0f, guns,
                  ship->m_pAnimatedShip ? ship->m_pAnimatedShip->m_iDamageLevel : -1, d->IsAlive ? 1 : 0);
    return line;
}

int RunDamage(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--seed", true},
                        {"--seconds", true},
                        {"--shot-fire", true},
                        {"--shot-sunk", true},
                        {"--step-ms", true},
                        {"--out", true},
                        {"--dump", false}},
                       error))
        return Fail(error);
    long seed = 7, seconds = 900, step = 16;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 7, seed, error) ||
        !options.GetLong("--seconds", 10, 3600, 900, seconds, error) ||
        !options.GetLong("--step-ms", 1, 60, 16, step, error))
        return Fail(error);

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.seed = static_cast<std::uint32_t>(seed);
    start.stepMs = static_cast<DWORD>(step);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    std::string failure = ok ? "" : "the game did not start (see the log in " + start.dataFolder + ")";

    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = ok ? manager.GetBattleMap() : nullptr;
    BattleProcessingState& resolution = BattleProcessingState::Get();
    CVR3GAMEIO io;
    CVR3GAMEBattleMapShip* target = nullptr;
    CVR3GAMEBattleMapShip* raider = nullptr;
    if (ok && !map) ok = false, failure = "the game has no battle map";
    if (ok) {
        io.m_pScene = session.Scene();
        io.m_pBattleMap = map;
        io.InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), session.DataFolder());
        TiXmlDocument doc;
        doc.Parse(kMapText);
        if (!io.LoadBattleArtilleryList("demo_guns.artlstxml") ||
            !io.LoadBaseMapFromXML(&map->m_BaseMap, doc.RootElement(), nullptr))
            ok = false, failure = "the demo sea was not loaded";
    }
    if (ok) {
        map->ActivateMapScene();
        const std::string names[2] = {"Target", "Raider"};
        const std::string ships[2] = {ShipElement("Target", "cruiser", 0.0f, 0.0f, false),
                                      ShipElement("Raider", "ram", -30.0f, 0.0f, false)};
        for (int i = 0; ok && i < 2; ++i) {
            CVR3GAMEBattleMapPlayer* player = map->CreatePlayer(&names[i]);
            TiXmlDocument ship;
            ship.Parse(ships[i].c_str());
            ok = player && io.CreateBattleShipForPlayerFromXML(ship.RootElement(), player) &&
                 map->CreateComputer(&names[i]) && !player->m_stdvBattleShips.empty();
            if (ok) (i == 0 ? target : raider) = player->m_stdvBattleShips.front();
        }
        if (!ok) failure = "the two ships were not set up";
    }
    CArtilleryPart* scriptGunPart = ok ? FirstGun(raider->m_pArtilleryShip->m_vParts) : nullptr;
    if (ok && !scriptGunPart) ok = false, failure = "the raider has no gun to fire from";
    if (ok && !manager.StartBattle("battle_game")) ok = false, failure = "the battle did not start";

    // The script's gun: heavy enough to sink a cruiser in minutes.
    CBattleSystemShipGun scriptGun;
    std::snprintf(scriptGun.Tag, sizeof scriptGun.Tag, "%s", "ScriptGun");
    std::snprintf(scriptGun.Name, sizeof scriptGun.Name, "%s", "script gun");
    scriptGun.Damage = 30.0f;
    scriptGun.BeginArmourPirce = 40.0f;
    scriptGun.FallArmourPirce = 0.01f;
    scriptGun.HoleProbability = 80;
    scriptGun.DamageToWaterFactor = 3.0f;
    scriptGun.BeginShellSpeed = 450.0f;
    std::vector<CArtilleryPart*> targetParts;
    float partArea = 0.0f;
    if (ok)
        for (CArtilleryPart* p : target->m_pArtilleryShip->m_vParts)
            if (p && p->GetHullPart()) {
                targetParts.push_back(p);
                partArea += p->GetHullPart()->Area;
            }

    constexpr DWORD kRamAt = 20000;
    std::string passes;
    DWORD lastPass = 0, nextShot = 5000, fireShotAt = 0, sunkShotAt = 0, deathAt = 0;
    unsigned shots = 0, rams = 0;
    bool rammed = false;
    bool fireShot = false, sunkShot = false, sunkHandled = false;
    const std::size_t logStart = CVR3GAMEBattleLog::Get().GetCount();
    const long frames = seconds * 1000 / static_cast<long>(start.stepMs);
    for (long f = 0; ok && f < frames; ++f) {
        const DWORD now = map->m_GameTimer.m_dwGameTime;
        CVR3GAMEBattleSystemShip* d = target->m_pBattleShip;
        if (d->IsAlive && now >= nextShot && !targetParts.empty()) {
            const D3DXMATRIX& a = raider->m_pSceneObject->m_mWorld;
            const D3DXMATRIX& b = target->m_pSceneObject->m_mWorld;
            const float distance = std::hypot(a._41 - b._41, a._43 - b._43);
            if (resolution.AddShot(&a, &b, scriptGunPart->m_pAnimatedPart, &scriptGun, &targetParts, partArea, 60.0f,
                                   distance, 400))
                ++shots;
            nextShot += 3000;
        }
        if (!rammed && now >= kRamAt) {
            // The raider's stem meets the target's port side amidships, just
            // under the waterline: the contact as the physics records it on
            // the target, the report as the movement ship makes it, and the
            // ram task run on it at once.
            rammed = true;
            Vorna3D::CDX9KelPhysicalContact contact;
            contact.pOther = raider->m_pPhysicalObject;
            contact.vPoint = D3DXVECTOR3(-0.5f * target->m_pMovementShip->GetHullWidth(), -0.05f, 0.2f);
            target->m_pPhysicalObject->Contacts().push_back(contact);
            if (resolution.AddRam(raider->m_pPhysicalObject, target->m_pPhysicalObject, &contact.vPoint,
                                  CVR3GAMEMovementShip::kRamImpulse)) {
                const std::size_t before = target->m_pBattleShip->Parts[1]->Holes.size();
                resolution.ProcessRams();
                rams = static_cast<unsigned>(target->m_pBattleShip->Parts[1]->Holes.size() - before);
            }
        }
        bool draw = false;
        if (fireShotAt && now >= fireShotAt && !fireShot && options.Has("--shot-fire")) {
            AimCamera(session, target);
            session.TakePicture(options.Get("--shot-fire"));
            fireShot = draw = true;
        } else if (sunkShotAt && now >= sunkShotAt && !sunkShot && options.Has("--shot-sunk")) {
            AimCamera(session, target);
            session.TakePicture(options.Get("--shot-sunk"));
            sunkShot = draw = true;
        }
        session.Frame(draw);
        if (d->LastDamageTime != lastPass && d->DamageStateValid) {
            lastPass = d->LastDamageTime;
            const std::string line = PassLine(lastPass, target);
            passes += line;
            std::fputs(line.c_str(), stdout);
            if (!fireShotAt && d->FirePercent > 0.0f)
                for (const CVR3GAMEAnimatedPart* p : target->m_pAnimatedShip->m_vPlatformParts)
                    if (p && p->m_bBurning) fireShotAt = lastPass + 4000;
        }
        if (!d->IsAlive && !deathAt) deathAt = map->m_GameTimer.m_dwGameTime;
        if (target->m_bSunkHandled && !sunkHandled) {
            sunkHandled = true;
            sunkShotAt = map->m_GameTimer.m_dwGameTime + 2000;
        }
        const bool picturesDone = (!options.Has("--shot-fire") || fireShot || !fireShotAt) &&
                                  (!options.Has("--shot-sunk") || sunkShot);
        if (sunkHandled && picturesDone && map->m_GameTimer.m_dwGameTime >= sunkShotAt) break;
    }
    std::string dump;
    if (ok) {
        const CVR3GAMEBattleSystemShip* d = target->m_pBattleShip;
        std::printf("shots %u\n", shots);
        std::printf("ram_holes %u\n", rams);
        std::printf("death_ms %u\n", static_cast<unsigned>(deathAt));
        std::printf("alive %d sunk %d sunk_handled %d\n", d->IsAlive ? 1 : 0, target->m_bSunk ? 1 : 0,
                    target->m_bSunkHandled ? 1 : 0);
        std::printf("lost_ships %u\n", static_cast<unsigned>(resolution.m_dwLostShips));
        std::printf("body_active %d\n",
                    target->m_pPhysicalObject && target->m_pPhysicalObject->IsActive() ? 1 : 0);
        std::printf("in_column %d\n", target->m_pColumn ? 1 : 0);
        const auto& entries = CVR3GAMEBattleLog::Get().GetEntries();
        for (std::size_t i = logStart; i < entries.size(); ++i)
            std::printf("log kind %d category %s subject %s\n", entries[i].m_iKind, entries[i].m_strCategory.c_str(),
                        entries[i].m_strSubject.c_str());
        std::printf("passes_hash %s\n", TextHash(passes).c_str());
        if (options.Has("--dump")) dump = StateDump(session);
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    if (!dump.empty()) std::printf("%shash %s\n", dump.c_str(), TextHash(dump).c_str());
    std::fflush(stdout);
    if (!ok) return Fail(failure);
    if (!deathAt) return Fail("the target did not sink in time");
    return report.errors ? 1 : 0;
}

const CommandRegistration kDamage("damage",
                                  "[--seed S] [--seconds T] [--step-ms MS] [--shot-fire FILE.png] [--shot-sunk FILE.png] [--out DIR] "
                                  "[--dump]",
                                  &RunDamage);

} // namespace

} // namespace BattleSim
