#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"

#include "engine3/core/CDX9KelLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"

#include <algorithm>

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

CVR3GAMEBattleMapPlayer::CVR3GAMEBattleMapPlayer() { m_stdvLeadersPositions.reserve(kStartPositions); }

bool CVR3GAMEBattleMapPlayer::AddBattleMapShip(CVR3GAMEBattleMapShip* pShip) {
    if (!pShip) return false;
    if (!pShip->m_pSceneObject) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayer::AddBattleMapShip() : pBattleMapShip->m_pSceneObject == NULL\n");
        return false;
    }
    if (pShip->m_iPlayerIndex != -1) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayer::AddBattleMapShip() : Ship already in Player list\n");
        return false;
    }
    MakeShipNameUnique(pShip);
    m_stdvShipModels.push_back(pShip->m_pSceneObject);
    m_stdvShips.push_back(pShip);
    m_stdvBattleShips.push_back(pShip);
    pShip->m_iPlayerIndex = static_cast<int32_t>(m_stdvBattleShips.size() - 1);
    return true;
}

void CVR3GAMEBattleMapPlayer::MakeShipNameUnique(CVR3GAMEBattleMapShip* pShip) const {
    auto taken = [&](const std::string& name) {
        for (const CVR3GAMEBattleMapShip* s : m_stdvShips)
            if (s && s != pShip && s->m_strName == name) return true;
        return false;
    };
    std::string base = pShip->m_strName.empty() ? std::string("Ship") : pShip->m_strName;
    if (base.size() > kShipNameLength) base.resize(kShipNameLength);
    std::string name = base;
    for (int n = 2; taken(name); ++n) {
        const std::string suffix = " " + std::to_string(n);
        name = base.substr(0, std::min(base.size(), kShipNameLength - suffix.size())) + suffix;
    }
    pShip->m_strName = name;
}

CVR3GAMEBattleMapShip* CVR3GAMEBattleMapPlayer::FindShipByKey(const std::string& key, bool* pAmbiguous) const {
    CVR3GAMEBattleMapShip* found = nullptr;
    if (pAmbiguous) *pAmbiguous = false;
    for (CVR3GAMEBattleMapShip* s : m_stdvShips) {
        if (!s || s->m_strName.compare(0, kShipNameLength, key) != 0 ||
            std::min(s->m_strName.size(), kShipNameLength) != key.size())
            continue;
        if (found) {
            if (pAmbiguous) *pAmbiguous = true;
            return nullptr;
        }
        found = s;
    }
    return found;
}

bool CVR3GAMEBattleMapPlayer::AddBattleMapShipsColumn(CVR3GAMEBattleMapShipsColumn* pColumn) {
    if (!pColumn || pColumn->m_iPlayerIndex != -1) return false;
    m_stdvColumns.push_back(pColumn);
    pColumn->m_iPlayerIndex = static_cast<int32_t>(m_stdvColumns.size() - 1);
    return true;
}

bool CVR3GAMEBattleMapPlayer::SetColumnsOnStartPositions() {
    if (m_stdvColumns.size() > m_stdvLeadersPositions.size()) return false;
    if (m_stdvColumns.size() < kStartPositions) m_stdvColumns.resize(kStartPositions, nullptr);
    for (std::size_t i = 0; i < kStartPositions; ++i)
        if (m_stdvColumns[i]) PlaceColumnOnStartPosition(&m_stdvLeadersPositions[i], m_stdvColumns[i]);
    return true;
}

CVR3GAMEBattleMapShip* CVR3GAMEBattleMapPlayer::GetBattleMapShip(const std::string* name) const {
    if (!name || name->empty()) return nullptr;
    for (CVR3GAMEBattleMapShip* s : m_stdvBattleShips)
        if (s && s->m_strName == *name) return s;
    return nullptr;
}

CVR3GAMEBattleMapShip*
CVR3GAMEBattleMapPlayer::GetBattleMapShipBySceneObject(const Vorna3D::CDX9KelSceneObject* pObject) const {
    if (!pObject) return nullptr;
    auto it = std::find(m_stdvShipModels.begin(), m_stdvShipModels.end(), pObject);
    if (it == m_stdvShipModels.end()) return nullptr;
    const std::size_t i = static_cast<std::size_t>(it - m_stdvShipModels.begin());
    if (i >= m_stdvShips.size() || !m_stdvShips[i]) return nullptr;
    return m_stdvShips[i]->m_uKind == 0 ? m_stdvShips[i] : nullptr;
}

void CVR3GAMEBattleMapPlayer::ReleaseBattleObjects() {
    // Columns go first: a column tells its ships it is gone.
    for (CVR3GAMEBattleMapShipsColumn* c : m_stdvColumns) delete c;
    for (CVR3GAMEBattleMapShip*& s : m_stdvShips) {
        if (!s) continue;
        if (s->m_bSunk) {
            s->Release();
            delete s;
        } else {
            // A survivor leaves the battle's lists and its column.
            s->m_iPlayerIndex = -1;
            s->m_pColumn = nullptr;
        }
        s = nullptr;
    }
    m_stdvShipModels.clear();
    m_stdvShips.clear();
    m_stdvBattleShips.clear();
    m_stdvColumns.resize(0);
    m_stdvLeadersPositions.clear();
    m_stdvLossesByLevel.resize(0);
    m_stdvEarlierLosses.clear();
    m_uLostValue = m_uLostShips = m_uSurvivingShips = 0;
    m_fLostDurability = 0.0f;
}

void DeleteMapPlayerObjects(CVR3GAMEBattleMapPlayer* pPlayer) {
    if (!pPlayer) return;
    for (CVR3GAMEBattleMapShipsColumn*& c : pPlayer->m_stdvColumns) {
        delete c;
        c = nullptr;
    }
    for (CVR3GAMEBattleMapShip*& s : pPlayer->m_stdvShips) {
        if (!s) continue;
        s->Release();
        delete s;
        s = nullptr;
    }
}

} // namespace SeaBattle
