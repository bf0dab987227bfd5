#pragma once
// The human side's harbour director: its money, the ship types on sale, the
// reserve and the three columns it sends to the next battle. The harbour
// screens fill the columns; the hand-over turns them into the player's
// battle columns.
#include <cstdint>
#include <vector>

#include "platform/math/d3dx9math.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"

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
