// Scenario files (the common part read for every start and load, and the
// begin part that hands out the starting ships), harbour map files, and the
// hand-over of the sides' ships from the harbour to the battle and back.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEIO.h"

using namespace Vorna3D;

namespace SeaBattle {

CVR3GAMEBattleMapShip* CVR3GAMEIO::CreateFleetShip(const SVR3GAMEFleetShip& entry) {
    // The entry is the ship element it was read from, so the one ship
    // builder serves it.
    TiXmlElement element("Ship");
    const std::pair<const char*, const std::string*> files[] = {
        {"SceneObjectFile", &entry.SceneObjectFile},         {"MovementObjectFile", &entry.MovementObjectFile},
        {"AnimatedObjectFile", &entry.AnimatedObjectFile},   {"BattleObjectFile", &entry.BattleObjectFile},
        {"ArtilleryObjectFile", &entry.ArtilleryObjectFile}, {"InfoObjectFile", &entry.InfoObjectFile}};
    for (const auto& f : files) {
        TiXmlElement child(f.first);
        child.InsertEndChild(TiXmlText(f.second->c_str()));
        element.InsertEndChild(child);
    }
    bool initialised = false;
    CVR3GAMEBattleMapShip* ship = CreateBattleShipFromXML(&element, false, &initialised);
    if (ship && !initialised) {
        DeleteBattleShip(ship);
        return nullptr;
    }
    return ship;
}

} // namespace SeaBattle
