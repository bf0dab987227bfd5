// Battle-map ships from a ship element naming their six files, and their
// hand-over to a battle or harbour player.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

// The ship's name: the element's "name" attribute (localised), or the
// element's own name when that is empty.
std::string ShipName(const TiXmlElement* element) {
    const char* name = ReadXMLAttributeString(element, "name", true);
    if (name && *name)
        return name;
    return element->Value();
}

// A ship as the creation made it, and whether its Init succeeded.
struct BuiltShip {
    CVR3GAMEBattleMapShip* ship = nullptr;
    bool initialised = false;
};

// Takes an object out of the active tree; false when another tree holds it
// (it then goes with that tree).
bool LeaveActiveTree(CDX9KelScene* scene, CDX9KelSceneObject* object) {
    if (object->m_strTreeName.empty())
        return true;
    CDXSceneTree* tree = scene ? scene->m_pActiveSceneTree : nullptr;
    return tree && tree->Holds(object) && tree->RemoveSceneObject(object);
}

} // namespace

void CVR3GAMEIO::DeleteBattleShip(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip)
        return;
    // The ship's Init and its animated aspect may have filed the hull and
    // the effect objects in the active tree: they leave it again, so no tree
    // keeps objects that no ship owns.
    if (CVR3GAMEAnimatedShip* animated = pShip->m_pAnimatedShip) {
        for (CDX9KelSceneObject*& o : animated->m_vEffectObjects)
            if (o && !LeaveActiveTree(m_pScene, o))
                o = nullptr;
        DeleteAnimatedShip(animated);
        pShip->m_pAnimatedShip = nullptr;
    }
    CDX9KelSceneObject* object = pShip->m_pSceneObject;
    pShip->Release();
    pShip->m_pSceneObject = nullptr;
    delete pShip;
    if (object && LeaveActiveTree(m_pScene, object))
        DeleteSceneObject(object);
}

namespace {

// Shared by the three creation operations: the ship is returned also when
// an aspect failed or its Init was refused; `initialised` tells which.
BuiltShip BuildShip(CVR3GAMEIO& io, const TiXmlElement* pElement, bool bAddToScene,
                    const D3DXMATRIX* pWorld = nullptr) {
    BuiltShip built;
    if (!pElement)
        return built;
    auto* ship = new CVR3GAMEBattleMapShip();
    const D3DXMATRIX world = pWorld ? *pWorld : ReadXMLMatrix(pElement->FirstChildElement("SceneObjectWorld"));
    const char* names[] = {"SceneObjectFile",     "MovementObjectFile",  "AnimatedObjectFile",
                           "BattleObjectFile",    "ArtilleryObjectFile", "InfoObjectFile"};
    std::string files[6];
    const TiXmlElement* sceneElement = pElement->FirstChildElement(names[0]);
    if (!sceneElement) {
        delete ship;
        return built;
    }
    ReadXMLString(sceneElement, true, files[0]);
    CDX9KelSceneObject* object = io.CreateSceneObjectFromFile(files[0].c_str());
    if (!object) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : CreateSceneObjectFromFile() failed\n");
        ship->Release();
        delete ship;
        return built;
    }
    object->SetWorldMatrix(&world);
    object->m_bVisible = true;
    object->m_bFlag2 = true;
    ship->m_pSceneObject = object;

    for (int i = 1; i < 6; ++i) {
        const TiXmlElement* e = pElement->FirstChildElement(names[i]);
        if (!e) {
            io.DeleteBattleShip(ship);
            return built;
        }
        ReadXMLString(e, true, files[i]);
    }
    if (!(ship->m_pMovementShip = io.CreateMovementShipFromFile(files[1].c_str())))
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : CreateMovementShipFromFile() failed\n");
    if (!(ship->m_pAnimatedShip = io.CreateAnimatedShipFromFile(files[2].c_str(), object, bAddToScene)))
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : CreateAnimatedShipFromFile() failed\n");
    if (!(ship->m_pBattleShip = io.CreateBattleSystemShip(files[3].c_str())))
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : CreateBattleSystemShip() failed\n");
    if (!(ship->m_pArtilleryShip =
              io.CreateArtilleryShip(files[4].c_str(), ship->m_pBattleShip, ship->m_pAnimatedShip)))
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : CreateArtilleryShip() failed\n");
    if (!(ship->m_pInfoShip = io.CreateInformationShip(files[5].c_str())))
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : CreateInformationShip() failed\n");

    built.ship = ship;
    built.initialised = ship->Init(io.m_pScene, bAddToScene);
    if (!built.initialised)
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipFromXML() : pBattleMapShip->Init() failed\n");
    return built;
}

template <class Player>
bool CreateForPlayer(CVR3GAMEIO& io, const TiXmlElement* pElement, Player* pPlayer, bool bAddToScene) {
    if (!pElement || !pPlayer)
        return false;
    const BuiltShip built = BuildShip(io, pElement, bAddToScene);
    if (!built.ship) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipForPlayerFromXML() : CreateBattleShipFromXML() failed\n");
        return false;
    }
    // A ship that could not be initialised lacks a part or its body: no
    // player lists it.
    if (!built.initialised) {
        io.DeleteBattleShip(built.ship);
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipForPlayerFromXML() : ship not initialised, not added\n");
        return false;
    }
    built.ship->m_strName = ShipName(pElement);
    if (!pPlayer->AddBattleMapShip(built.ship)) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleShipForPlayerFromXML() : pBMPlayer->AddBattleMapShip() failed\n");
        io.DeleteBattleShip(built.ship);
        return false;
    }
    return true;
}

} // namespace

CVR3GAMEBattleMapShip* CVR3GAMEIO::CreateBattleShipFromXML(const TiXmlElement* pElement, bool bAddToScene,
                                                       bool* pInitialised) {
    const BuiltShip built = BuildShip(*this, pElement, bAddToScene);
    if (pInitialised) *pInitialised = built.initialised;
    return built.ship;
}

CVR3GAMEBattleMapShip* CVR3GAMEIO::CreateBattleShipFromFiles(const std::string (&files)[6], const D3DXMATRIX& world,
                                                         bool bAddToScene) {
    TiXmlElement element("Ship");
    const char* names[] = {"SceneObjectFile",  "MovementObjectFile",  "AnimatedObjectFile",
                           "BattleObjectFile", "ArtilleryObjectFile", "InfoObjectFile"};
    for (int i = 0; i < 6; ++i) {
        TiXmlElement child(names[i]);
        child.InsertEndChild(TiXmlText(files[i].c_str()));
        element.InsertEndChild(child);
    }
    const BuiltShip built = BuildShip(*this, &element, bAddToScene, &world);
    if (built.ship && !built.initialised) {
        DeleteBattleShip(built.ship);
        return nullptr;
    }
    return built.ship;
}

bool CVR3GAMEIO::CreateBattleShipForPlayerFromXML(const TiXmlElement* pElement, CVR3GAMEBattleMapPlayer* pPlayer) {
    return CreateForPlayer(*this, pElement, pPlayer, true);
}

bool CVR3GAMEIO::CreateBattleShipForPlayerFromXML(const TiXmlElement* pElement, CVR3GAMEHarbourMapPlayer* pPlayer) {
    return CreateForPlayer(*this, pElement, pPlayer, false);
}

} // namespace SeaBattle
