#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"

#include <algorithm>

#include "seabattle/game/GameNumbers.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"

#include <string>

using Vorna3D::g_Log;

namespace SeaBattle {

CVR3GAMEShipType::~CVR3GAMEShipType() { delete m_pInformation; }

CVR3GAMEHarbourMapPlayerDirectorHuman::CVR3GAMEHarbourMapPlayerDirectorHuman() { m_iKind = 0; }

CVR3GAMEHarbourMapPlayerDirectorHuman::~CVR3GAMEHarbourMapPlayerDirectorHuman() { Release(); }

void CVR3GAMEHarbourMapPlayerDirectorHuman::Release() {
    // The harbour scene's tree must not keep ships the players may delete.
    TakeShipsOutOfHarbourScene();
    m_stdvOwnShips.clear();
    for (CVR3GAMEShipType* t : m_stdvShipsTypes) delete t;
    m_stdvShipsTypes.clear();
    // Reserve ships are listed by nobody: they go with the director.
    for (CVR3GAMEBattleMapShip* s : m_stdvReserve) {
        if (!s || s->m_iPlayerIndex != -1 || s->m_pColumn) continue;
        DeleteHarbourShip(m_pHarbourMap ? m_pHarbourMap->m_pGameIO : nullptr, s);
    }
    m_stdvReserve.clear();
    m_stdvAvailable.clear();
    for (auto& column : m_stdvColumns) column.clear();
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::GrantStepMoney() {
    const CVR3GAMEScenario* scenario = m_pHarbourMap ? m_pHarbourMap->m_pScenario : nullptr;
    if (!scenario || !scenario->IsRunning() || m_iStep == 0) return;
    // The step money and the reward come from the scenario file: a value a
    // file gives out of range (an empty one reads -1) never takes money.
    m_iMoney = AddMoney(m_iMoney, std::max(m_iAddMoney, 0));
    if (!m_pPlayer) return;
    const auto result = static_cast<uint32_t>(m_pPlayer->m_iBattleResult);
    if (result != 0) {
        m_iLastPrice = Gratuity(result, scenario->DestroyEnemyBonusFactor);
        m_iMoney = AddMoney(m_iMoney, m_iLastPrice);
        if (m_pDialogGratuity) {
            if (m_pGratuitySum) m_pGratuitySum->SetText(std::to_string(m_iLastPrice).c_str());
            ShowDialogInFront(m_pDialogGratuity);
        }
    }
}

int32_t CVR3GAMEHarbourMapPlayerDirectorHuman::Gratuity(uint32_t battleResult, float factor) {
    if (!(factor > 0.0f)) return 0;
    return std::max(TruncateToInt32(static_cast<double>(battleResult) * static_cast<double>(factor)), 0);
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::ReserveShipsAttachToAll() {
    if (m_stdvReserve.empty()) return true;
    if (!m_pPlayer) return false;
    for (CVR3GAMEBattleMapShip* s : m_stdvReserve) {
        if (!s) continue;
        s->m_iPlayerIndex = -1;
        m_pPlayer->AddBattleMapShip(s);
    }
    m_stdvReserve.clear();
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap(int32_t step) {
    if (step < 0 || static_cast<size_t>(step) >= m_stdviShipsToBuy.size()) {
        g_Log.Write(3, "%s%i%s",
                    "CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap() : ships count to buy list small : ",
                    static_cast<int>(m_stdviShipsToBuy.size()), "\n");
        return false;
    }
    m_iStep = step;
    m_iSelectedShop = m_iSelectedOwn = m_iSelectedAvailable = m_iSelectedColumn = m_iSelectedColumnIndex = -1;
    GrantStepMoney();
    if (!ReserveShipsAttachToAll()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap() : ReserveShipsAttachToAll() failed \n ");
        return false;
    }
    if (!CreatePlayerShips()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap() : CreatePlayerShips() failed \n ");
        return false;
    }
    if (!SetPlayerShipsOnHarbourMap()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap() : SetPlayerShipsOnHarbourMap() failed \n ");
        return false;
    }
    if (!SetSGUIShipsShop()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap() : SetSGUIShipsShop() failed \n ");
        return false;
    }
    if (!CreateSGUIPlayerShips()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::InitHarbourMap() : CreateSGUIPlayerShips() failed \n ");
        return false;
    }
    SetMoneyTexts();
    if (!SelectShopShip(0)) ClearShipInfo();
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::PrepareDataForBattleMap() {
    if (!m_pPlayer) return false;
    // The ships leave the harbour's scene: the battle files them in its own.
    TakeShipsOutOfHarbourScene();
    m_stdvReserve.insert(m_stdvReserve.end(), m_stdvAvailable.begin(), m_stdvAvailable.end());
    m_stdvAvailable.clear();
    // Ships in no column fight no battle: they wait in the reserve.
    for (CVR3GAMEBattleMapShip* s : m_pPlayer->m_stdvHarbourShips) {
        if (!s || s->m_bSunk) continue;
        // A sold ship goes with the hand-over.
        if (s->m_bSold) continue;
        bool placed = false;
        for (auto& column : m_stdvColumns)
            for (CVR3GAMEBattleMapShip* c : column) placed = placed || c == s;
        bool reserved = false;
        for (CVR3GAMEBattleMapShip* r : m_stdvReserve) reserved = reserved || r == s;
        if (!placed && !reserved) m_stdvReserve.push_back(s);
    }
    // The player lists nobody from now on; the columns and the reserve hold
    // the ships.
    std::vector<CVR3GAMEBattleMapShip*> sold;
    for (CVR3GAMEBattleMapShip* s : m_pPlayer->m_stdvHarbourShips)
        if (s && s->m_bSold && !s->m_bSunk) sold.push_back(s);
    m_pPlayer->ReleaseBattleObjects(m_pHarbourMap ? m_pHarbourMap->m_pGameIO : nullptr);
    for (CVR3GAMEBattleMapShip* s : sold) DeleteHarbourShip(m_pHarbourMap ? m_pHarbourMap->m_pGameIO : nullptr, s);
    m_stdvOwnShips.clear();
    for (auto& list : m_stdvColumns) {
        if (list.empty()) continue;
        auto* column = new CVR3GAMEBattleMapShipsColumn();
        for (CVR3GAMEBattleMapShip* s : list) {
            s->m_iPlayerIndex = -1;
            s->m_pColumn = column;
            column->m_stdvBattleShips.push_back(s);
        }
        m_pPlayer->m_stdvColumns.push_back(column);
        list.clear();
    }
    return true;
}

} // namespace SeaBattle
