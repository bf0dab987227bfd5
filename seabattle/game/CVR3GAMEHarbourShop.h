#pragma once
// The harbour's money rules and bookkeeping, kept apart from the screens so
// that the director and the tests use the same figures: prices of ship
// types, sale values and repair costs, whether a ship can sail, the berths
// of the harbour and the click gates of the harbour buttons.
#include "platform/math/d3dx9math.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace SeaBattle {

class CVR3GAMEBattleMapShip;
class CVR3GAMEInformationShip;

// Money is a signed 32-bit amount; prices are worked out in 64 bits and a
// price that does not fit (or comes from negative figures) is refused.
inline constexpr int64_t HARBOUR_MONEY_MAX = 2147483647;

// The displacement text of an information record as a whole number of
// tons: leading digits after an optional sign; text that is not a number
// reads as 0.
int64_t HarbourDisplacement(const std::string& text);

// Displacement x cost per ton; -1 when either is negative or the price is
// above HARBOUR_MONEY_MAX.
int64_t HarbourPurchasePrice(const CVR3GAMEInformationShip& info);

// truncate((100 - damage) / 100 x (cost per ton x 0.3)) x displacement; a
// damage outside 0..100 is taken at its nearest end. -1 as for the price.
int64_t HarbourSaleValue(const CVR3GAMEInformationShip& info, float damagePercent);

// The one repair cost used for the panel text, the button lock and the
// charge: truncate(cost per ton x 0.8) x D x percent / 100 (integer
// division), D the displacement held by the ship's damage part; percent is
// 1 or 5. -1 as for the price.
int64_t HarbourRepairCost(const CVR3GAMEInformationShip& info, int32_t damageDisplacement, int32_t percent);

// A ship can sail when it is not sold, takes no water and its damage is 30
// percent or less. Ships without a damage part cannot sail.
bool HarbourShipIsSeaworthy(const CVR3GAMEBattleMapShip* ship);
bool HarbourShipIsFitForBattle(const CVR3GAMEBattleMapShip* ship);

// Sorts ships by the level of their ship type, highest first; ships of the
// same level keep their order.
void HarbourSortByTypeLevel(std::vector<CVR3GAMEBattleMapShip*>& ships);

// A button gate: the first press runs and stamps the time; later presses are
// ignored until more than `interval` ms have passed, when the stamp clears
// and the next press runs again.
class CVR3GAMEHarbourClickGate {
public:
    explicit CVR3GAMEHarbourClickGate(uint32_t interval) : m_uInterval(interval) {}
    // True when a press at `now` goes through.
    bool Pass(uint32_t now);
    uint32_t m_uInterval;
    uint32_t m_uStamp = 0;
};

// The berths of a harbour: one world matrix per berth and the indices still
// free, used from the end. The free list is rebuilt whenever the positions
// are set, and every ship remembers the berth it was moored at, so that it
// frees exactly that berth.
class CVR3GAMEHarbourBerths {
public:
    // Replaces the berths; every berth is free and no ship is moored.
    void SetPositions(const std::vector<D3DXMATRIX>& positions);
    // Makes every berth free again (the ships have left the harbour scene).
    void FreeAll();

    // The last free berth for the ship: its index, or -1 when none is left or
    // the ship is null or already moored (then its own berth is returned).
    int32_t Moor(const CVR3GAMEBattleMapShip* ship);
    // Gives the ship's berth back. A ship that was not moored here is
    // matched by its position (x and z rounded, y 0) against the berths that
    // are not free. False when no berth is found.
    bool Free(const CVR3GAMEBattleMapShip* ship, const D3DXMATRIX* world);

    // The berth's matrix, null for an index out of range.
    const D3DXMATRIX* Position(int32_t index) const;
    int32_t BerthOf(const CVR3GAMEBattleMapShip* ship) const;
    size_t Count() const { return m_stdvPositions.size(); }
    size_t FreeCount() const { return m_stdvFree.size(); }
    const std::vector<int32_t>& FreeList() const { return m_stdvFree; }

private:
    bool IsFree(int32_t index) const;
    std::vector<D3DXMATRIX> m_stdvPositions;
    std::vector<int32_t> m_stdvFree;
    std::map<const CVR3GAMEBattleMapShip*, int32_t> m_stdmMoored;
};

// The localised words the ship panel writes after its figures.
struct CVR3GAMEHarbourPanelWords {
    std::string Ton, Knot, Inch, Money, SeaYes, SeaNo;
};

// What the ship panel of the harbour screen shows, by control name, and the
// state of its four buttons (0 enabled, 3 locked).
struct CVR3GAMEHarbourPanel {
    static constexpr int32_t ENABLED = 0;
    static constexpr int32_t LOCKED = 3;
    std::map<std::string, std::string> m_Texts;
    bool m_bCrew[3] = {false, false, false};
    int32_t m_iBuy = LOCKED, m_iSell = LOCKED, m_iRepair1 = LOCKED, m_iRepair2 = LOCKED;
};

// The panel of a ship type in the shop: its card, its price and "Buy"
// enabled when the money reaches the price.
CVR3GAMEHarbourPanel HarbourShopShipPanel(const CVR3GAMEInformationShip& info, int32_t money,
                                          const CVR3GAMEHarbourPanelWords& words);
// The panel of an own ship: its card, crew marks, sale value, whether it
// can sail, its damage and the repair costs, each repair button enabled
// when the money reaches its cost. Null or partless ships give an empty
// panel with every button locked.
CVR3GAMEHarbourPanel HarbourOwnShipPanel(const CVR3GAMEBattleMapShip* ship, int32_t money,
                                         const CVR3GAMEHarbourPanelWords& words);

} // namespace SeaBattle
