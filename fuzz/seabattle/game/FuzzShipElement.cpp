// A ship element on arbitrary bytes, built into a battle-map ship for a
// battle player: listed only when whole, and given up without leaving a
// hull in the scene tree or a model in its manager.
#include "FuzzGameIO.h"

#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "engine3/core/SafeXml.h"

using namespace SeaBattle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    const size_t models = VornaFuzz::Held(w.scene->GetGraphicsResManager()->m_pModelManager);
    Vorna3D::CDXSceneTree* tree = w.scene->m_pActiveSceneTree;
    const size_t filed = tree->m_vObjects.size() - tree->m_vFreeSlots.size();
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(std::string(reinterpret_cast<const char*>(data), size), doc)) return 0;
    CVR3GAMEBattleMapPlayer player;
    if (w.io.CreateBattleShipForPlayerFromXML(doc.RootElement(), &player)) {
        if (player.m_stdvBattleShips.size() != 1) std::abort();
        CVR3GAMEBattleMapShip* ship = player.m_stdvBattleShips[0];
        if (!ship->m_pMovementShip || !ship->m_pAnimatedShip || !ship->m_pBattleShip || !ship->m_pArtilleryShip ||
            !ship->m_pInfoShip || !ship->m_pPhysicalObject)
            std::abort();
        w.io.DeleteBattleShip(ship);
    } else if (!player.m_stdvBattleShips.empty()) {
        std::abort();
    }
    if (tree->m_vObjects.size() - tree->m_vFreeSlots.size() != filed) std::abort();
    if (VornaFuzz::Held(w.scene->GetGraphicsResManager()->m_pModelManager) != models) std::abort();
    return 0;
}
