#include "seabattle/game/CVR3GAMEHarbourShop.h"

#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

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

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string Guns(int32_t count, const std::string& name) {
    return count < 1 ? std::string("-/-") : Format("%i x %s", count, name.c_str());
}

std::string Armour(const std::string& value, const std::string& inch) {
    return value.empty() ? std::string("-") : Format("%s %s", value.c_str(), inch.c_str());
}

std::string Money(const std::string& label, int64_t amount) {
    return Format("%s%lli", label.c_str(), static_cast<long long>(amount));
}

void Card(CVR3GAMEHarbourPanel& panel, const CVR3GAMEInformationShip& info, const CVR3GAMEHarbourPanelWords& words) {
    auto& t = panel.m_Texts;
    t["Name"] = info.ShipTypeName;
    t["Displacement"] = Format("%s %s", info.Displacement.c_str(), words.Ton.c_str());
    t["Speed"] = Format("%s %s", info.MaxSpeed.c_str(), words.Knot.c_str());
    t["A_1"] = Armour(info.ArmourBelt, words.Inch);
    t["A_2"] = Armour(info.ArmourDeck, words.Inch);
    t["A_3"] = Armour(info.ArmourTower, words.Inch);
    t["SG_1"] = Guns(info.GunsSidesCount1, info.GunsSidesName1);
    t["SG_2"] = Guns(info.GunsSidesCount2, info.GunsSidesName2);
    t["TG_1"] = Guns(info.GunsTurnCount1, info.GunsTurnName1);
    t["TG_2"] = Guns(info.GunsTurnCount2, info.GunsTurnName2);
    t["TG_3"] = Guns(info.GunsTurnCount3, info.GunsTurnName3);
    for (const char* blank : {"By_Price", "Sell_Price", "Seaworthy", "Damage", "Repair_Price1", "Repair_Price2"})
        t[blank] = " ";
}

} // namespace

CVR3GAMEHarbourPanel HarbourShopShipPanel(const CVR3GAMEInformationShip& info, int32_t money,
                                          const CVR3GAMEHarbourPanelWords& words) {
    CVR3GAMEHarbourPanel panel;
    Card(panel, info, words);
    const int64_t price = HarbourPurchasePrice(info);
    if (price >= 0) {
        panel.m_Texts["By_Price"] = Money(words.Money, price);
        if (price <= money)
            panel.m_iBuy = CVR3GAMEHarbourPanel::ENABLED;
    }
    return panel;
}

CVR3GAMEHarbourPanel HarbourOwnShipPanel(const CVR3GAMEBattleMapShip* ship, int32_t money,
                                         const CVR3GAMEHarbourPanelWords& words) {
    CVR3GAMEHarbourPanel panel;
    if (!ship || !ship->m_pInfoShip || !ship->m_pBattleShip)
        return panel;
    const CVR3GAMEInformationShip& info = *ship->m_pInfoShip;
    const CVR3GAMEBattleSystemShip& damage = *ship->m_pBattleShip;
    Card(panel, info, words);
    auto& t = panel.m_Texts;
    panel.m_bCrew[0] = damage.CrewTraining >= damage.CrewTrainingLevel1;
    panel.m_bCrew[1] = damage.CrewTraining >= damage.CrewTrainingLevel2;
    panel.m_bCrew[2] = damage.CrewTraining >= damage.CrewTrainingLevel3;
    const int64_t value = HarbourSaleValue(info, damage.DamagePercent);
    if (value >= 0)
        t["Sell_Price"] = Money(words.Money, value);
    t["Seaworthy"] = HarbourShipIsSeaworthy(ship) ? words.SeaYes : words.SeaNo;
    panel.m_iSell = CVR3GAMEHarbourPanel::ENABLED;
    if (damage.DamagePercent > 0.0f) {
        t["Damage"] = Format("%.1f %s", static_cast<double>(damage.DamagePercent), "%");
        const int64_t cost1 = HarbourRepairCost(info, damage.Displacement, 1);
        const int64_t cost5 = HarbourRepairCost(info, damage.Displacement, 5);
        if (cost1 >= 0) {
            t["Repair_Price1"] = Money(words.Money, cost1);
            if (cost1 <= money)
                panel.m_iRepair1 = CVR3GAMEHarbourPanel::ENABLED;
        }
        if (cost5 >= 0) {
            t["Repair_Price2"] = Money(words.Money, cost5);
            if (cost5 <= money)
                panel.m_iRepair2 = CVR3GAMEHarbourPanel::ENABLED;
        }
    } else {
        t["Damage"] = "0 %";
    }
    return panel;
}

} // namespace SeaBattle
