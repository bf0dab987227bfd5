// battlesim columnshot --shot FILE [--at SECONDS] [--seed S] [--out DIR]
// The demo cruisers as a column of three in the game itself: the battle map
// gets the demo sea, a player gets three cruisers 12 units apart from their
// ship files, its computer director forms them into a column, and the
// column sails at 6 m/s towards a point ahead. After SECONDS of game time
// (40 by default) the picture of the column under way is saved, the camera
// on its middle ship. Prints the log's warning and error lines; exit 0 when
// the picture was saved and the game logged no error.
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
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace BattleSim {

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim columnshot: %s\n", message.c_str());
    return 2;
}

// The map block of the picture: a box of sea round the column, the demo
// environment, the camera over the column.
const char* const kBaseMap = R"(<BaseMap>
  <Name>ColumnSea</Name>
  <MinBorders x="-300" y="-50" z="-300"/>
  <MaxBorders x="300" y="50" z="300"/>
  <NodeSize>50</NodeSize>
  <ActiveCamera>
    <StartLookAt x="0" y="0" z="0"/>
    <Distance>40</Distance>
    <StartAngles x="2.4" y="0.45"/>
  </ActiveCamera>
  <Environment><Sea>demo_sea.mapenvxml</Sea></Environment>
</BaseMap>)";

std::string ShipElement(int i) {
    // The first ship leads from (0, 0, 0) heading +z; the others 12 units astern each.
    return "<Ship name=\"Cruiser" + std::to_string(i + 1) + "\"><SceneObjectWorld><Position x=\"0\" y=\"0\" z=\"" +
           std::to_string(-12 * i) +
           "\"/></SceneObjectWorld>"
           "<SceneObjectFile>cruiser.scobjxml</SceneObjectFile>"
           "<MovementObjectFile>cruiser.movobjxml</MovementObjectFile>"
           "<AnimatedObjectFile>cruiser.anmobjxml</AnimatedObjectFile>"
           "<BattleObjectFile>cruiser.btlobjxml</BattleObjectFile>"
           "<ArtilleryObjectFile>cruiser.artobjxml</ArtilleryObjectFile>"
           "<InfoObjectFile>cruiser.infobjxml</InfoObjectFile></Ship>";
}

int RunColumnShot(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args, {{"--shot", true}, {"--at", true}, {"--seed", true}, {"--out", true}}, error))
        return Fail(error);
    const std::string shot = options.Get("--shot");
    if (shot.empty()) return Fail("--shot FILE is needed");
    long at = 40, seed = 1;
    if (!options.GetLong("--at", 1, 600, 40, at, error) || !options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error))
        return Fail(error);

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    std::string failure = ok ? "" : "the game did not start (see the log in " + start.dataFolder + ")";

    SeaBattle::CVR3GAMEManager& manager = SeaBattle::CVR3GAMEManager::Get();
    SeaBattle::CVR3GAMEBattleMap* map = ok ? manager.GetBattleMap() : nullptr;
    SeaBattle::CVR3GAMEIO io;
    SeaBattle::CVR3GAMEBattleMapShip* middle = nullptr;
    if (ok && !map) ok = false, failure = "the game has no battle map";
    if (ok) {
        io.m_pScene = session.Scene();
        TiXmlDocument doc;
        doc.Parse(kBaseMap);
        io.Init(); // its result only tells whether the saves folder was made now
        if (!io.LoadBattleArtilleryList("demo_guns.artlstxml") ||
            !io.LoadBaseMapFromXML(&map->m_BaseMap, doc.RootElement(), nullptr))
            ok = false, failure = "the demo sea was not loaded";
    }
    SeaBattle::CVR3GAMEBattleMapPlayer* player = nullptr;
    if (ok) {
        map->ActivateMapScene();
        const std::string name = "Column";
        player = map->CreatePlayer(&name);
        for (int i = 0; ok && player && i < 3; ++i) {
            TiXmlDocument ship;
            ship.Parse(ShipElement(i).c_str());
            ok = io.CreateBattleShipForPlayerFromXML(ship.RootElement(), player);
        }
        if (!ok || !player || !map->CreateComputer(&name) || player->m_stdvColumns.empty() ||
            !player->m_stdvColumns[0])
            ok = false, failure = "the column was not formed";
    }
    if (ok) {
        SeaBattle::CVR3GAMEBattleMapShipsColumn* column = player->m_stdvColumns[0];
        middle = column->m_stdvBattleShips.size() > 1 ? column->m_stdvBattleShips[1] : column->m_stdvBattleShips[0];
        if (!manager.StartBattle("battle_game")) ok = false, failure = "the battle did not start";
        column->SetRouteSpeed(6.0f);
        column->SetTargetPoint(0.0f, 400.0f);
    }
    const long frames = at * 1000 / static_cast<long>(start.stepMs);
    for (long f = 1; ok && f <= frames; ++f) {
        const bool draw = f == frames;
        if (draw) {
            // The camera over the middle ship.
            auto* cameras = session.Scene()->m_pCameraManager;
            auto* camera = cameras ? dynamic_cast<Vorna3D::CDX9KelGlobalCamera*>(cameras->m_pActiveCamera) : nullptr;
            if (camera && middle && middle->m_pSceneObject)
                camera->SetTarget(middle->m_pSceneObject->m_mWorld._41, middle->m_pSceneObject->m_mWorld._43);
            session.TakePicture(shot);
        }
        session.Frame(draw);
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!ok) return Fail(failure);
    if (!std::filesystem::exists(shot)) return Fail("the picture " + shot + " was not saved");
    return report.errors ? 1 : 0;
}

const CommandRegistration kColumnShot("columnshot", "--shot FILE.png [--at SECONDS] [--seed S] [--out DIR]",
                                      &RunColumnShot);

} // namespace

} // namespace BattleSim
