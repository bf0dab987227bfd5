#pragma once
// One side in a harbour: its name and its ships, which it owns between
// battles, the columns it sends to the next battle and the director that acts
// for it. A ship's player index is its position in the harbour ship list.
#include <cstdint>
#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelSceneObject;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapShip;
class CVR3GAMEBattleMapShipsColumn;
class CVR3GAMEHarbourMapPlayerDirector;
class CVR3GAMEIO;

class CVR3GAMEHarbourMapPlayer {
public:
    CVR3GAMEHarbourMapPlayer() = default;
    // The harbour map deletes the player's objects before the player.
    ~CVR3GAMEHarbourMapPlayer() = default;
    CVR3GAMEHarbourMapPlayer(const CVR3GAMEHarbourMapPlayer&) = delete;
    CVR3GAMEHarbourMapPlayer& operator=(const CVR3GAMEHarbourMapPlayer&) = delete;

    // Lists the ship: its scene object, the ship itself (owned from now on)
    // and its harbour place. Refused for a null ship, a ship without scene
    // object and a ship that a player already lists.
    bool AddBattleMapShip(CVR3GAMEBattleMapShip* pShip);
    // Deletes every owned ship and every column, and empties the lists.
    // With the IO, a ship's scene object and effects go with it.
    void DeleteMapPlayerObjects(CVR3GAMEIO* pIO = nullptr);
    // Before the ships go to a battle: deletes the sunk ships and every
    // column, empties the lists and sets the battle result to 0. The
    // surviving ships are no longer listed (their player index is -1); the
    // caller holds them.
    void ReleaseBattleObjects(CVR3GAMEIO* pIO = nullptr);
    // Deletes the columns only; the ships they held stay listed.
    void DeleteColumns();

    std::string m_strName;
    std::vector<Vorna3D::CDX9KelSceneObject*> m_stdvShipModels;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvShips; // owned
    std::vector<CVR3GAMEBattleMapShip*> m_stdvHarbourShips;
    std::vector<CVR3GAMEBattleMapShipsColumn*> m_stdvColumns; // owned
    CVR3GAMEHarbourMapPlayerDirector* m_pDirector = nullptr;  // the map owns it
    // The enemy's lost value handed back by the last battle.
    int32_t m_iBattleResult = 0;
};

// Gives a harbour ship up whole: through the IO when there is one (its scene
// object and effects too), else its parts only.
void DeleteHarbourShip(CVR3GAMEIO* pIO, CVR3GAMEBattleMapShip* pShip);

} // namespace SeaBattle
