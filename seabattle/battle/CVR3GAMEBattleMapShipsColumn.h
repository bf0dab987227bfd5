#pragma once
// A column of battle-map ships: the movement column of their movement parts
// with the ships themselves in the same order, and the index of the column
// in its player's list.
#include "platform/math/d3dx9math.h"
#include "seabattle/battle/CVR3GAMEMovementShipsColumn.h"

#include <cstdint>
#include <vector>

namespace SeaBattle {

class CVR3GAMEBattleMapShip;

class CVR3GAMEBattleMapShipsColumn : public CVR3GAMEMovementShipsColumn {
public:
    CVR3GAMEBattleMapShipsColumn() = default;
    ~CVR3GAMEBattleMapShipsColumn() override;

    // Adds the ship's movement part to the movement column (at `index`,
    // relinking when asked) and the ship at the same place of this list.
    bool AddShip(CVR3GAMEBattleMapShip* pShip, int index, bool relink);
    bool RemoveShip(CVR3GAMEBattleMapShip* pShip);

    std::vector<CVR3GAMEBattleMapShip*> m_stdvBattleShips;
    int32_t m_iPlayerIndex = -1;
};

// Stands the ships of a column one behind the other on a start position:
// the first on it, each next 12 units further along its negative forward
// axis. False for a null column.
bool PlaceColumnOnStartPosition(const D3DXMATRIX* pStart, CVR3GAMEBattleMapShipsColumn* pColumn);

} // namespace SeaBattle
