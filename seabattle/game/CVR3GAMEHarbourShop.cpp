#include "seabattle/game/CVR3GAMEHarbourShop.h"

#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <algorithm>
#include <cmath>

namespace SeaBattle {

namespace {

int64_t CheckedPrice(int64_t price) {
    return price < 0 || price > HARBOUR_MONEY_MAX ? -1 : price;
}

} // namespace

int64_t HarbourDisplacement(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > HARBOUR_MONEY_MAX) // more tons than any price can hold
            return negative ? -HARBOUR_MONEY_MAX - 1 : HARBOUR_MONEY_MAX + 1;
    }
    return negative ? -value : value;
}

int64_t HarbourPurchasePrice(const CVR3GAMEInformationShip& info) {
    const int64_t displacement = HarbourDisplacement(info.Displacement);
    if (displacement < 0 || info.DisplUnitCost < 0 || displacement > HARBOUR_MONEY_MAX)
        return -1;
    return CheckedPrice(displacement * info.DisplUnitCost);
}

int64_t HarbourSaleValue(const CVR3GAMEInformationShip& info, float damagePercent) {
    const int64_t displacement = HarbourDisplacement(info.Displacement);
    if (displacement < 0 || info.DisplUnitCost < 0 || displacement > HARBOUR_MONEY_MAX)
        return -1;
    double damage = std::isfinite(damagePercent) ? damagePercent : 100.0;
    damage = std::clamp(damage, 0.0, 100.0);
    const auto perTon = static_cast<int64_t>((100.0 - damage) / 100.0 * (info.DisplUnitCost * 0.3));
    return CheckedPrice(perTon * displacement);
}

int64_t HarbourRepairCost(const CVR3GAMEInformationShip& info, int32_t damageDisplacement, int32_t percent) {
    if (info.DisplUnitCost < 0 || damageDisplacement < 0 || percent < 0)
        return -1;
    const auto perTon = static_cast<int64_t>(info.DisplUnitCost * 0.8);
    return CheckedPrice(perTon * damageDisplacement * percent / 100);
}

bool HarbourShipIsSeaworthy(const CVR3GAMEBattleMapShip* ship) {
    if (!ship || !ship->m_pBattleShip)
        return false;
    const CVR3GAMEBattleSystemShip& damage = *ship->m_pBattleShip;
    return damage.WaterPercent <= 0.0f && damage.DamagePercent <= 30.0f;
}

bool HarbourShipIsFitForBattle(const CVR3GAMEBattleMapShip* ship) {
    return ship && !ship->m_bSold && HarbourShipIsSeaworthy(ship);
}

void HarbourSortByTypeLevel(std::vector<CVR3GAMEBattleMapShip*>& ships) {
    auto level = [](const CVR3GAMEBattleMapShip* ship) {
        return ship && ship->m_pInfoShip ? ship->m_pInfoShip->ShipTypeLevel : INT32_MIN;
    };
    std::stable_sort(ships.begin(), ships.end(),
                     [&](const CVR3GAMEBattleMapShip* a, const CVR3GAMEBattleMapShip* b) { return level(a) > level(b); });
}

bool CVR3GAMEHarbourClickGate::Pass(uint32_t now) {
    if (m_uStamp == 0) {
        m_uStamp = now == 0 ? 1 : now;
        return true;
    }
    if (now > m_uStamp + m_uInterval || now < m_uStamp) // a clock that wrapped opens the gate as well
        m_uStamp = 0;
    return false;
}

void CVR3GAMEHarbourBerths::SetPositions(const std::vector<D3DXMATRIX>& positions) {
    m_stdvPositions = positions;
    FreeAll();
}

void CVR3GAMEHarbourBerths::FreeAll() {
    m_stdmMoored.clear();
    m_stdvFree.clear();
    for (size_t i = 0; i < m_stdvPositions.size(); ++i)
        m_stdvFree.push_back(static_cast<int32_t>(i));
}

bool CVR3GAMEHarbourBerths::IsFree(int32_t index) const {
    return std::find(m_stdvFree.begin(), m_stdvFree.end(), index) != m_stdvFree.end();
}

int32_t CVR3GAMEHarbourBerths::Moor(const CVR3GAMEBattleMapShip* ship) {
    if (!ship)
        return -1;
    if (auto it = m_stdmMoored.find(ship); it != m_stdmMoored.end())
        return it->second;
    while (!m_stdvFree.empty()) {
        const int32_t index = m_stdvFree.back();
        m_stdvFree.pop_back();
        if (index >= 0 && static_cast<size_t>(index) < m_stdvPositions.size()) {
            m_stdmMoored[ship] = index;
            return index;
        }
    }
    return -1;
}

bool CVR3GAMEHarbourBerths::Free(const CVR3GAMEBattleMapShip* ship, const D3DXMATRIX* world) {
    if (!ship)
        return false;
    if (auto it = m_stdmMoored.find(ship); it != m_stdmMoored.end()) {
        const int32_t index = it->second;
        m_stdmMoored.erase(it);
        if (!IsFree(index))
            m_stdvFree.push_back(index);
        return true;
    }
    if (!world)
        return false;
    const float x = std::round(world->_41), z = std::round(world->_43);
    for (size_t i = 0; i < m_stdvPositions.size(); ++i) {
        const D3DXMATRIX& berth = m_stdvPositions[i];
        const auto index = static_cast<int32_t>(i);
        if (berth._41 == x && berth._42 == 0.0f && berth._43 == z && !IsFree(index)) {
            bool taken = false;
            for (const auto& moored : m_stdmMoored)
                taken = taken || moored.second == index;
            if (taken)
                continue;
            m_stdvFree.push_back(index);
            return true;
        }
    }
    return false;
}

const D3DXMATRIX* CVR3GAMEHarbourBerths::Position(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_stdvPositions.size())
        return nullptr;
    return &m_stdvPositions[static_cast<size_t>(index)];
}

int32_t CVR3GAMEHarbourBerths::BerthOf(const CVR3GAMEBattleMapShip* ship) const {
    auto it = m_stdmMoored.find(ship);
    return it == m_stdmMoored.end() ? -1 : it->second;
}

void CVR3GAMEHarbourColumnLists::Clear() {
    m_stdvAvailable.clear();
    m_stdvReserve.clear();
    for (auto& column : m_stdvColumns)
        column.clear();
}

void CVR3GAMEHarbourColumnLists::PrepareColumns(const std::vector<CVR3GAMEBattleMapShip*>& ships) {
    Clear();
    for (CVR3GAMEBattleMapShip* ship : ships) {
        if (!ship || ship->m_bSold)
            continue;
        (HarbourShipIsFitForBattle(ship) ? m_stdvAvailable : m_stdvReserve).push_back(ship);
    }
    HarbourSortByTypeLevel(m_stdvAvailable);
}

bool CVR3GAMEHarbourColumnLists::CanAdd(size_t column) const {
    return column < COLUMNS && !m_stdvAvailable.empty() && m_stdvColumns[column].size() < COLUMN_SHIPS_MAX;
}

bool CVR3GAMEHarbourColumnLists::Add(size_t column, size_t index) {
    if (!CanAdd(column) || index >= m_stdvAvailable.size())
        return false;
    m_stdvColumns[column].push_back(m_stdvAvailable[index]);
    m_stdvAvailable.erase(m_stdvAvailable.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool CVR3GAMEHarbourColumnLists::Erase(size_t column, size_t index) {
    if (column >= COLUMNS || index >= m_stdvColumns[column].size())
        return false;
    auto& ships = m_stdvColumns[column];
    m_stdvAvailable.push_back(ships[index]);
    ships.erase(ships.begin() + static_cast<std::ptrdiff_t>(index));
    HarbourSortByTypeLevel(m_stdvAvailable);
    return true;
}

bool CVR3GAMEHarbourColumnLists::ColumnsEmpty() const {
    for (const auto& column : m_stdvColumns)
        if (!column.empty())
            return false;
    return true;
}

void CVR3GAMEHarbourColumnLists::AvailableToReserve() {
    m_stdvReserve.insert(m_stdvReserve.end(), m_stdvAvailable.begin(), m_stdvAvailable.end());
    m_stdvAvailable.clear();
}

} // namespace SeaBattle
