#pragma once
// One side in a harbour: its name and its ships, which it owns between
// battles. A ship's player index is its position in the harbour ship list.
#include <cstdint>
#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelSceneObject;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapShip;

class CVR3GAMEHarbourMapPlayer {
public:
    CVR3GAMEHarbourMapPlayer() = default;
    CVR3GAMEHarbourMapPlayer(const CVR3GAMEHarbourMapPlayer&) = delete;
    CVR3GAMEHarbourMapPlayer& operator=(const CVR3GAMEHarbourMapPlayer&) = delete;

    // Lists the ship: its scene object, the ship itself (owned from now on)
    // and its harbour place. Refused for a null ship, a ship without scene
    // object and a ship that a player already lists.
    bool AddBattleMapShip(CVR3GAMEBattleMapShip* pShip);

    std::string m_strName;
    std::vector<Vorna3D::CDX9KelSceneObject*> m_stdvShipModels;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvShips; // owned
    std::vector<CVR3GAMEBattleMapShip*> m_stdvHarbourShips;
    // The enemy's lost value handed back by the last battle.
    int32_t m_iBattleResult = 0;
};

} // namespace SeaBattle
