#pragma once
// The human side's harbour director: its money, the ship types on sale, the
// reserve and the three columns it sends to the next battle. The harbour
// screens fill the columns; the hand-over turns them into the player's
// battle columns.
#include <cstdint>
#include <vector>

#include "platform/math/d3dx9math.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourShop.h"

namespace SeaBattle {

struct CVR3GAMEShipType;
class CVR3GAMEScenario;

class CVR3GAMEHarbourMapPlayerDirectorHuman : public CVR3GAMEHarbourMapPlayerDirector {
public:
    CVR3GAMEHarbourMapPlayerDirectorHuman();
    ~CVR3GAMEHarbourMapPlayerDirectorHuman() override;

    bool AttachHarbourMap(CVR3GAMEHarbourMap* pMap) override;
    // Starts a harbour step: the step must have an entry in the ships-for-
    // sale list; the step's money is granted and the reserve rejoins the
    // player.
    bool InitHarbourMap(int32_t step) override;
    // The three columns become the player's battle columns; ships in no
    // column stay in the reserve.
    bool PrepareDataForBattleMap() override;
    // Frees the ship types.
    void Release() override;

    // Binds the harbour screens; a null screen fails silently, a screen
    // without dialogs fails with a line.
    bool SetMapScreen(Vorna3D::CVR3CIIScreen* pScreen);
    bool SetColumnsScreen(Vorna3D::CVR3CIIScreen* pScreen);

    // At a later step of a running scenario: the added money and the bonus
    // for the enemy's losses of the last battle.
    void GrantStepMoney();
    bool ReserveShipsAttachToAll();

    // ---- the shop (own ships, berths, buying, selling, repairing) ----
    // The own-ship list: the player's ships not sold, highest level first.
    bool CreatePlayerShips();
    // Moors the own ships at the berths read with the harbour map: the free
    // list is rebuilt from those positions first. Ships beyond the berths
    // stay unmoored (a warning each); the step goes on.
    bool SetPlayerShipsOnHarbourMap();
    bool SetPlayerShipOnHarbourMap(CVR3GAMEBattleMapShip* pShip);
    bool FreeShipBerth(CVR3GAMEBattleMapShip* pShip);
    // The confirmed purchase of ship type `type`: the ship is built, named,
    // listed and moored before the money is taken; any failure keeps the
    // money and logs why. Refused when the type is not on sale at this step,
    // has no name left or costs more than the money.
    bool BuyShipType(int32_t type);
    // The confirmed sale of an own ship: the sale value is paid, the ship is
    // marked sold, hidden, its body switched off and its berth freed.
    bool SellShip(CVR3GAMEBattleMapShip* pShip);
    // Repairs `percent` (1 or 5) of the ship's damage for the repair cost;
    // refused when the money does not reach the cost.
    bool RepairShip(CVR3GAMEBattleMapShip* pShip, int32_t percent);
    // Whether type `type` can be bought at this step (on sale, a name left).
    bool IsShipTypeOnSale(int32_t type) const;

    // ---- the columns screen ----
    // Sorts the own ships into available (fit for battle, highest level
    // first) and the reserve; the columns are emptied.
    void PrepareColumns();
    bool CanColumnAdd(size_t column) const;
    // Available ship `index` to the end of `column` (at most five ships).
    bool ColumnAdd(size_t column, size_t index);
    // Ship `index` of `column` back to available, sorted again.
    bool ColumnErase(size_t column, size_t index);
    bool ColumnsEmpty() const;

    static constexpr size_t COLUMN_SHIPS_MAX = 5;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvOwnShips;
    CVR3GAMEHarbourBerths m_Berths;

    CVR3GAMEHarbourMap* m_pHarbourMap = nullptr;
    std::vector<CVR3GAMEShipType*> m_stdvShipsTypes; // owned
    std::vector<int32_t> m_stdviShipsToBuy;
    int32_t m_iStep = -1;
    int32_t m_iMoney = 0;
    int32_t m_iAddMoney = 0;
    int32_t m_iLastPrice = 0;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvAvailable;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvReserve;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvColumns[3];
    // Where the own ships lie in the harbour scene, from the harbour map.
    std::vector<D3DXMATRIX> m_stdvShipsPositions;
    Vorna3D::CVR3CIIScreen* m_pMapScreen = nullptr;
    Vorna3D::CVR3CIIScreen* m_pColumnsScreen = nullptr;
};

} // namespace SeaBattle
