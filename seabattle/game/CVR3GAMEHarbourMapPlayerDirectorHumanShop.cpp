// The human harbour director's shop and columns screen: own ships and their
// berths, buying, selling and repairing, and the lists the columns are
// formed from.
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEShipType.h"

#include <algorithm>

using Vorna3D::g_Log;
using Vorna3D::CDX9KelSceneObject;
using Vorna3D::CDXSceneTree;

namespace SeaBattle {

bool CVR3GAMEHarbourMapPlayerDirectorHuman::CreatePlayerShips() {
    if (!m_pPlayer)
        return false;
    m_stdvOwnShips.clear();
    for (CVR3GAMEBattleMapShip* ship : m_pPlayer->m_stdvHarbourShips)
        if (ship && !ship->m_bSold)
            m_stdvOwnShips.push_back(ship);
    HarbourSortByTypeLevel(m_stdvOwnShips);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SetPlayerShipOnHarbourMap(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip || !pShip->m_pSceneObject)
        return false;
    const D3DXMATRIX* berth = m_Berths.Position(m_Berths.Moor(pShip));
    if (!berth)
        return false;
    // A berth written with a scale carries it in the fourth column, which
    // a world matrix reads as a projection: the ship takes the berth's
    // turn and place only.
    // A ship moored before (the step began again on the same harbour) is
    // filed anew at its berth.
    CDXSceneTree* active = m_pScene ? m_pScene->m_pActiveSceneTree : nullptr;
    if (active && active->Holds(pShip->m_pSceneObject))
        active->RemoveSceneObject(pShip->m_pSceneObject);
    D3DXMATRIX world = *berth;
    world._14 = world._24 = world._34 = 0.0f;
    world._44 = 1.0f;
    pShip->m_pSceneObject->SetWorldMatrix(&world);
    pShip->m_pSceneObject->m_bVisible = true;
    pShip->m_pSceneObject->m_bFlag2 = true;
    // The harbour's tree shows the ship; the ship keeps its object.
    pShip->m_pSceneObject->m_bNotOwned = true;
    if (m_pScene && !m_pScene->AddSceneObjectInActiveTree(pShip->m_pSceneObject)) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::SetPlayerShipOnHarbourMap() : "
                       "AddSceneObjectInActiveTree() failed :%s\n",
                    pShip->m_strName.c_str());
        return false;
    }
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SetPlayerShipsOnHarbourMap() {
    // The positions may have been read again with this step's harbour file.
    m_Berths.SetPositions(m_stdvShipsPositions);
    for (CVR3GAMEBattleMapShip* ship : m_stdvOwnShips) {
        if (!ship || !ship->m_pSceneObject)
            continue;
        if (m_Berths.FreeCount() == 0) {
            g_Log.Write(2, "CVR3GAMEHarbourMapPlayerDirectorHuman::SetPlayerShipsOnHarbourMap() : no free berth for :%s\n",
                        ship->m_strName.c_str());
            ship->m_pSceneObject->m_bVisible = false;
            continue;
        }
        SetPlayerShipOnHarbourMap(ship);
    }
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::FreeShipBerth(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip)
        return false;
    return m_Berths.Free(pShip, pShip->m_pSceneObject ? &pShip->m_pSceneObject->m_mWorld : nullptr);
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::IsShipTypeOnSale(int32_t type) const {
    if (type < 0 || static_cast<size_t>(type) >= m_stdvShipsTypes.size())
        return false;
    if (m_iStep < 0 || static_cast<size_t>(m_iStep) >= m_stdviShipsToBuy.size() || type >= m_stdviShipsToBuy[m_iStep])
        return false;
    const CVR3GAMEShipType* t = m_stdvShipsTypes[static_cast<size_t>(type)];
    return t && t->m_pInformation && t->m_iCount >= 0 &&
           static_cast<size_t>(t->m_iCount) < t->m_stdvNames.size();
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::BuyShipType(int32_t type) {
    if (!m_pPlayer || !IsShipTypeOnSale(type))
        return false;
    CVR3GAMEShipType* t = m_stdvShipsTypes[static_cast<size_t>(type)];
    const int64_t price = HarbourPurchasePrice(*t->m_pInformation);
    if (price < 0 || price > m_iMoney) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipBuy() : price out of reach :%s\n",
                    t->m_pInformation->ShipTypeName.c_str());
        return false;
    }
    CVR3GAMEIO* io = m_pHarbourMap ? m_pHarbourMap->m_pGameIO : nullptr;
    if (!io)
        return false;
    SVR3GAMEFleetShip entry;
    entry.SceneObjectFile = t->SceneObjectFile;
    entry.MovementObjectFile = t->MovementObjectFile;
    entry.AnimatedObjectFile = t->AnimatedObjectFile;
    entry.BattleObjectFile = t->BattleObjectFile;
    entry.ArtilleryObjectFile = t->ArtilleryObjectFile;
    entry.InfoObjectFile = t->m_pInformation->m_strName;
    CVR3GAMEBattleMapShip* ship = io->CreateFleetShip(entry);
    if (!ship) {
        // Nothing is charged for a ship that could not be built.
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipBuy() : pBattleMapShip->Init() failed\n");
        return false;
    }
    // The ship shows the type's card as the shop did.
    delete ship->m_pInfoShip;
    ship->m_pInfoShip = t->m_pInformation->Clone();
    const std::string& name = t->m_stdvNames[static_cast<size_t>(t->m_iCount)];
    if (!name.empty())
        ship->m_strName = name;
    if (!m_pPlayer->AddBattleMapShip(ship)) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorHuman::ProcSGUIShipBuy() : m_pPlayer->AddBattleMapShip() failed\n");
        io->DeleteBattleShip(ship);
        return false;
    }
    m_iMoney -= static_cast<int32_t>(price);
    m_iLastPrice = static_cast<int32_t>(price);
    ++t->m_iCount;
    CreatePlayerShips();
    // With every berth taken the ship stays unmoored until the next step.
    if (!SetPlayerShipOnHarbourMap(ship) && ship->m_pSceneObject)
        ship->m_pSceneObject->m_bVisible = false;
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::SellShip(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip || pShip->m_bSold || !pShip->m_pInfoShip ||
        std::find(m_stdvOwnShips.begin(), m_stdvOwnShips.end(), pShip) == m_stdvOwnShips.end())
        return false;
    const float damage = pShip->m_pBattleShip ? pShip->m_pBattleShip->DamagePercent : 0.0f;
    const int64_t value = HarbourSaleValue(*pShip->m_pInfoShip, damage);
    if (value < 0 || value > HARBOUR_MONEY_MAX - static_cast<int64_t>(m_iMoney))
        return false;
    m_iMoney += static_cast<int32_t>(value);
    m_iLastPrice = static_cast<int32_t>(value);
    pShip->m_bSold = true;
    if (CDX9KelSceneObject* o = pShip->m_pSceneObject) {
        o->m_bVisible = false;
        o->m_bFlag2 = false;
        // A sold ship is deleted at the hand-over: the harbour's tree lets
        // it go now.
        CDXSceneTree* tree = (m_pScene && m_pHarbourMap) ? m_pScene->GetSceneTree(m_pHarbourMap->m_BaseMap.m_iSceneTreeIndex) : nullptr;
        if (tree && tree->Holds(o)) tree->RemoveSceneObject(o);
    }
    if (pShip->m_pPhysicalObject)
        pShip->m_pPhysicalObject->SetActive(false);
    CreatePlayerShips();
    FreeShipBerth(pShip);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::RepairShip(CVR3GAMEBattleMapShip* pShip, int32_t percent) {
    if (!pShip || pShip->m_bSold || !pShip->m_pInfoShip || !pShip->m_pBattleShip ||
        (percent != 1 && percent != 5) || pShip->m_pBattleShip->DamagePercent <= 0.0f)
        return false;
    const int64_t cost = HarbourRepairCost(*pShip->m_pInfoShip, pShip->m_pBattleShip->Displacement, percent);
    if (cost < 0 || cost > m_iMoney)
        return false;
    RepairShipDamage(pShip, static_cast<float>(percent));
    m_iMoney -= static_cast<int32_t>(cost);
    m_iLastPrice = static_cast<int32_t>(cost);
    if (pShip->m_pBattleShip->DamagePercent <= 0.0f)
        RepairShipFully(pShip);
    return true;
}

void CVR3GAMEHarbourMapPlayerDirectorHuman::PrepareColumns() {
    m_stdvAvailable.clear();
    m_stdvReserve.clear();
    for (auto& column : m_stdvColumns)
        column.clear();
    if (!m_pPlayer)
        return;
    for (CVR3GAMEBattleMapShip* ship : m_pPlayer->m_stdvHarbourShips) {
        if (!ship || ship->m_bSold)
            continue;
        (HarbourShipIsFitForBattle(ship) ? m_stdvAvailable : m_stdvReserve).push_back(ship);
    }
    HarbourSortByTypeLevel(m_stdvAvailable);
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::CanColumnAdd(size_t column) const {
    return column < 3 && !m_stdvAvailable.empty() && m_stdvColumns[column].size() < COLUMN_SHIPS_MAX;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::ColumnAdd(size_t column, size_t index) {
    if (!CanColumnAdd(column) || index >= m_stdvAvailable.size())
        return false;
    m_stdvColumns[column].push_back(m_stdvAvailable[index]);
    m_stdvAvailable.erase(m_stdvAvailable.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::ColumnErase(size_t column, size_t index) {
    if (column >= 3 || index >= m_stdvColumns[column].size())
        return false;
    auto& ships = m_stdvColumns[column];
    m_stdvAvailable.push_back(ships[index]);
    ships.erase(ships.begin() + static_cast<std::ptrdiff_t>(index));
    HarbourSortByTypeLevel(m_stdvAvailable);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorHuman::ColumnsEmpty() const {
    for (const auto& column : m_stdvColumns)
        if (!column.empty())
            return false;
    return true;
}

} // namespace SeaBattle
