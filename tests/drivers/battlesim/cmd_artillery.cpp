// battlesim artillery [--seed S] [--minutes M] [--step-ms MS] [--shot FILE] [--shot-at SECONDS] [--out DIR]
//                     [--dump]
// A gun battle in the game itself on the demo sea with the real physics:
// player "North" with a column of three demo cruisers, player "South" with
// a column of three demo ram ships, both sailing north on converging
// courses. Each side's computer director steps its movement, artillery and
// animation systems; the targets are set by hand: every ship takes every
// enemy ship in order, at a minimum hit chance of 25 % and within the main
// gun's range. The ships close, turrets turn, guns elevate, fire and
// reload, hits land, fires start and ships sink; the battle log's entries
// are printed as they come, and every 30 s a line per ship. The run stops
// when one side has no ship afloat or at the battle's time limit (M
// minutes, 20 by default). It ends with the facts (shots per side, ships
// lost per side, why it stopped) and the hash of the state dump (the whole
// dump with --dump). --shot saves the picture at SECONDS (60) of battle
// time, the camera between the two middle ships. Exit 0 when the battle ran to its
// end and the game logged no error.
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
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
  <Name>GunSea</Name>
  <MinBorders x="-400" y="-60" z="-400"/>
  <MaxBorders x="400" y="60" z="600"/>
  <NodeSize>50</NodeSize>
  <ActiveCamera><StartLookAt x="0" y="0" z="0"/><Distance>55</Distance><StartAngles x="2.6" y="0.55"/></ActiveCamera>
  <Environment><File>demo_sea.mapenvxml</File></Environment>
</BaseMap>)";

constexpr float kMinHitChance = 25.0f;
constexpr float kRange = 600.0f / BattleProcessingState::kUnitsScale; // the main gun's range in world units
constexpr float kColumnSpeed = 5.0f;

struct Side {
    const char* player;
    const char* type;
    float x;
    float targetX;
};
constexpr Side kSides[2] = {{"North", "cruiser", -12.0f, -2.5f}, {"South", "ram", 12.0f, 2.5f}};

std::string ShipElement(const std::string& name, const std::string& type, float x, float z) {
    char place[128];
    std::snprintf(place, sizeof place, "<Position x=\"%g\" y=\"0\" z=\"%g\"/>", x, z);
    return "<Ship name=\"" + name + "\"><SceneObjectWorld>" + place + "</SceneObjectWorld><SceneObjectFile>" + type +
           ".scobjxml</SceneObjectFile><MovementObjectFile>" + type + ".movobjxml</MovementObjectFile>" +
           "<AnimatedObjectFile>" + type + ".anmobjxml</AnimatedObjectFile><BattleObjectFile>" + type +
           ".btlobjxml</BattleObjectFile><ArtilleryObjectFile>" + type +
           ".artobjxml</ArtilleryObjectFile><InfoObjectFile>" + type + ".infobjxml</InfoObjectFile></Ship>";
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim artillery: %s\n", message.c_str());
    return 2;
}

std::size_t Afloat(const CVR3GAMEBattleMapPlayer* p) {
    std::size_t n = 0;
    for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
        if (s && s->m_pBattleShip && s->m_pBattleShip->IsAlive) ++n;
    return n;
}

std::string ShipLine(DWORD now, const CVR3GAMEBattleMapShip* s) {
    const CVR3GAMEBattleSystemShip* d = s->m_pBattleShip;
    const D3DXMATRIX& w = s->m_pSceneObject->m_mWorld;
    char line[320];
    std::snprintf(line, sizeof line,
                  "ship t %u %s x %.2f z %.2f damage %.2f fire %.2f water %.2f heel %.4f powder %d alive %d\n",
                  static_cast<unsigned>(now / 1000), s->m_strName.c_str(), w._41, w._43, d->DamagePercent,
                  d->FirePercent, d->WaterPercent, d->Heel, d->Gunpowder, d->IsAlive ? 1 : 0);
    return line;
}

int RunArtillery(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--seed", true},
                        {"--minutes", true},
                        {"--shot", true},
                        {"--shot-at", true},
                        {"--step-ms", true},
                        {"--out", true},
                        {"--dump", false}},
                       error))
        return Fail(error);
    long seed = 3, minutes = 20, shotAt = 60, step = 16;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 3, seed, error) ||
        !options.GetLong("--minutes", 1, 120, 20, minutes, error) ||
        !options.GetLong("--shot-at", 1, 7200, 60, shotAt, error) ||
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
    CVR3GAMEIO io;
    CVR3GAMEBattleMapPlayer* players[2] = {nullptr, nullptr};
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
        map->m_iTimeLimit = static_cast<int32_t>(minutes);
        for (int side = 0; ok && side < 2; ++side) {
            const std::string name = kSides[side].player;
            players[side] = map->CreatePlayer(&name);
            for (int i = 0; ok && players[side] && i < 3; ++i) {
                TiXmlDocument ship;
                ship.Parse(ShipElement(name + std::to_string(i + 1), kSides[side].type, kSides[side].x,
                                       -12.0f * static_cast<float>(i))
                               .c_str());
                ok = io.CreateBattleShipForPlayerFromXML(ship.RootElement(), players[side]);
            }
            ok = ok && players[side] && map->CreateComputer(&name) && !players[side]->m_stdvColumns.empty() &&
                 players[side]->m_stdvColumns[0] && players[side]->m_stdvBattleShips.size() == 3;
        }
        if (!ok) failure = "the two columns were not set up";
    }
    if (ok) {
        // The targets by hand: every enemy ship, in the order of its column.
        for (int side = 0; side < 2; ++side)
            for (CVR3GAMEBattleMapShip* s : players[side]->m_stdvBattleShips)
                for (CVR3GAMEBattleMapShip* e : players[1 - side]->m_stdvBattleShips)
                    s->m_pArtilleryShip->AddTarget(e, kMinHitChance, kRange * kRange);
        if (!manager.StartBattle("battle_game")) ok = false, failure = "the battle did not start";
    }
    if (ok)
        for (int side = 0; side < 2; ++side) {
            CVR3GAMEBattleMapShipsColumn* column = players[side]->m_stdvColumns[0];
            column->SetRouteSpeed(kColumnSpeed);
            column->SetTargetPoint(kSides[side].targetX, 300.0f);
        }

    const std::size_t logStart = CVR3GAMEBattleLog::Get().GetCount();
    std::size_t logShown = logStart;
    std::string stopped = "frames";
    DWORD nextReport = 0;
    bool pictured = false;
    const long frames = (minutes * 60 + 90) * 1000 / static_cast<long>(start.stepMs);
    for (long f = 0; ok && f < frames; ++f) {
        const DWORD now = map->m_GameTimer.m_dwGameTime;
        bool draw = false;
        if (!pictured && options.Has("--shot") && now >= static_cast<DWORD>(shotAt) * 1000) {
            auto* cameras = session.Scene()->m_pCameraManager;
            auto* camera = cameras ? dynamic_cast<Vorna3D::CDX9KelGlobalCamera*>(cameras->m_pActiveCamera) : nullptr;
            // Over the water between the two middle ships, close enough to see the turrets.
            const D3DXMATRIX& a = players[0]->m_stdvBattleShips[1]->m_pSceneObject->m_mWorld;
            const D3DXMATRIX& b = players[1]->m_stdvBattleShips[1]->m_pSceneObject->m_mWorld;
            if (camera) {
                camera->SetDistance(30.0f);
                camera->SetTarget(0.5f * (a._41 + b._41), 0.5f * (a._43 + b._43));
            }
            session.TakePicture(options.Get("--shot"));
            pictured = draw = true;
        }
        session.Frame(draw);
        const DWORD after = map->m_GameTimer.m_dwGameTime;
        const auto& entries = CVR3GAMEBattleLog::Get().GetEntries();
        for (; logShown < entries.size(); ++logShown)
            std::printf("log t %u kind %d category %s subject %s message %s\n", static_cast<unsigned>(after / 1000),
                        entries[logShown].m_iKind, entries[logShown].m_strCategory.c_str(),
                        entries[logShown].m_strSubject.c_str(), entries[logShown].m_strMessage.c_str());
        if (after >= nextReport) {
            nextReport += 30000;
            for (const CVR3GAMEBattleMapPlayer* p : players)
                for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips) std::fputs(ShipLine(after, s).c_str(), stdout);
        }
        if (Afloat(players[0]) == 0 || Afloat(players[1]) == 0) {
            stopped = Afloat(players[0]) == 0 ? "side_lost North" : "side_lost South";
            break;
        }
        if (map->IsTimeUp() || map->IsBattleOver()) {
            stopped = "time_up";
            break;
        }
    }
    std::string dump;
    if (ok) {
        std::printf("battle_clock_ms %u\n", static_cast<unsigned>(map->m_GameTimer.m_dwGameTime));
        for (const CVR3GAMEBattleMapPlayer* p : players) {
            const CVR3GAMEBattleMapArtillerySystem* a =
                p->m_pDirector ? p->m_pDirector->m_pArtillerySystem : nullptr;
            float dealt = 0.0f;
            for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
                for (const CBattleSystemShipPart* part : s->m_pBattleShip->Parts)
                    for (const CBattleSystemShipGun& g : part->Guns) dealt += g.DamageDealt;
            std::printf("side %s shots %u damage_dealt %.2f afloat %zu lost %zu\n", p->m_strPlayerName.c_str(),
                        a ? a->m_uShotsFired : 0u, dealt, Afloat(p), p->m_stdvBattleShips.size() - Afloat(p));
        }
        std::printf("lost_ships %u\n", static_cast<unsigned>(BattleProcessingState::Get().m_dwLostShips));
        std::printf("stopped %s\n", stopped.c_str());
        dump = StateDump(session);
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    if (!dump.empty()) {
        if (options.Has("--dump")) std::fputs(dump.c_str(), stdout);
        std::printf("dump_hash %s\n", TextHash(dump).c_str());
    }
    std::fflush(stdout);
    if (!ok) return Fail(failure);
    if (stopped == "frames") return Fail("the battle neither ended nor reached its time limit");
    return report.errors ? 1 : 0;
}

const CommandRegistration kArtillery("artillery",
                                     "[--seed S] [--minutes M] [--step-ms MS] [--shot FILE.png] [--shot-at SECONDS] [--out DIR] "
                                     "[--dump]",
                                     &RunArtillery);

} // namespace

} // namespace BattleSim
