#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/LocalizedText.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/GameNumbers.h"

using Vorna3D::g_Log;

namespace SeaBattle {

namespace {

void LookUp(const char* key, std::string& field) {
    const Vorna3D::ILocalizedNames* names = Vorna3D::GetLocalizedNames();
    if (!names) return;
    if (const char* text = names->GetLocalizedName(key)) field = text;
}

} // namespace

// ---- ship types ----

CVR3GAMEDuelShipType::CVR3GAMEDuelShipType(const CVR3GAMEDuelShipType& other)
    : m_pInfo(other.m_pInfo ? other.m_pInfo->Clone() : nullptr) {
    for (int i = 0; i < FILE_COUNT; ++i) m_strFiles[i] = other.m_strFiles[i];
}

CVR3GAMEDuelShipType::~CVR3GAMEDuelShipType() { delete m_pInfo; }

uint32_t CVR3GAMEDuelShipType::GetPrice() const {
    if (!m_pInfo) return 0;
    const long long displacement = std::atoll(m_pInfo->Displacement.c_str());
    const long long price = displacement * static_cast<long long>(m_pInfo->DisplUnitCost);
    if (price <= 0) return 0;
    return static_cast<uint32_t>(std::min<long long>(price, std::numeric_limits<uint32_t>::max()));
}

// ---- directors ----

CVR3GAMEDuelPlayerDirector::~CVR3GAMEDuelPlayerDirector() {
    for (CVR3GAMEDuelShipType* t : m_stdvShipTypes) delete t;
    for (auto& column : m_stdvColumns)
        for (CVR3GAMEDuelShipType* t : column) delete t;
}


void CVR3GAMEDuelPlayerDirector::OnRelease() {}

void CVR3GAMEDuelPlayerDirector::LoadUnitTexts() {
    LookUp("_LN_UNITS_Ton", m_strTon);
    LookUp("_LN_UNITS_Knot", m_strKnot);
    LookUp("_LN_UNITS_Degree", m_strDegree);
    LookUp("_LN_UNITS_Inch", m_strInch);
}

bool CVR3GAMEDuelPlayerDirector::Prepare() {
    if (!m_pDuel || !m_pDuel->FindScreen(m_strScreen)) {
        g_Log.Write(3, "CVR3GAMEDuelPlayerDirector::Prepare() : not found duel screen with name: '%s'\n",
                    m_strScreen.c_str());
        return false;
    }
    ClearSelection();
    return true;
}

void CVR3GAMEDuelPlayerDirector::ClearSelection() {
    m_iSelectedShop = -1;
    m_iSelectedColumn = -1;
    m_iSelectedIndex = -1;
}

bool CVR3GAMEDuelPlayerDirector::AddShip(int column) {
    const bool shopSelected = m_iSelectedShop >= 0 && static_cast<size_t>(m_iSelectedShop) < m_stdvShipTypes.size();
    if (column < 0 || static_cast<size_t>(column) >= kColumns || !shopSelected) {
        ClearSelection();
        return false;
    }
    const CVR3GAMEDuelShipType* type = m_stdvShipTypes[static_cast<size_t>(m_iSelectedShop)];
    std::vector<CVR3GAMEDuelShipType*>& ships = m_stdvColumns[column];
    const uint32_t price = type->GetPrice();
    if (ships.size() >= kMaxColumnShips || price > m_dwMoney) {
        ClearSelection();
        return false;
    }
    m_dwMoney -= price;
    ships.push_back(new CVR3GAMEDuelShipType(*type));
    m_iSelectedShop = -1;
    m_iSelectedColumn = column;
    m_iSelectedIndex = static_cast<int>(ships.size()) - 1;
    return true;
}

bool CVR3GAMEDuelPlayerDirector::EraseShip() {
    if (m_iSelectedColumn < 0 || static_cast<size_t>(m_iSelectedColumn) >= kColumns) return false;
    std::vector<CVR3GAMEDuelShipType*>& ships = m_stdvColumns[m_iSelectedColumn];
    if (m_iSelectedIndex < 0 || static_cast<size_t>(m_iSelectedIndex) >= ships.size()) return false;
    CVR3GAMEDuelShipType* ship = ships[static_cast<size_t>(m_iSelectedIndex)];
    const uint64_t money = static_cast<uint64_t>(m_dwMoney) + ship->GetPrice();
    m_dwMoney = static_cast<uint32_t>(std::min<uint64_t>(money, std::numeric_limits<uint32_t>::max()));
    ships.erase(ships.begin() + m_iSelectedIndex);
    delete ship;
    ClearSelection();
    return true;
}

bool CVR3GAMEDuelPlayerDirector::HasShips() const {
    for (const auto& column : m_stdvColumns)
        if (!column.empty()) return true;
    return false;
}

uint32_t CVR3GAMEDuelPlayerDirector::GetSpent() const {
    return m_dwStartMoney > m_dwMoney ? m_dwStartMoney - m_dwMoney : 0;
}

// ---- the duel ----

CVR3GAMEDuel::~CVR3GAMEDuel() { Clear(); }

CVR3GAMEDuelPlayer* CVR3GAMEDuel::CreatePlayer(const char* name) {
    if (!name) return nullptr;
    for (const CVR3GAMEDuelPlayer* p : m_stdvPlayers) {
        if (p->m_strName == name) {
            g_Log.Write(3, "CVR3GAMEDuel::CreatePlayer() : player with name '%s' already exist\n", name);
            return nullptr;
        }
    }
    auto* player = new CVR3GAMEDuelPlayer();
    player->m_strName = name;
    m_stdvPlayers.push_back(player);
    return player;
}

CVR3GAMEDuelPlayerDirector* CVR3GAMEDuel::CreateDirector(const char* playerName, Vorna3D::CDX9KelScene* pScene) {
    CVR3GAMEDuelPlayer* player = nullptr;
    for (CVR3GAMEDuelPlayer* p : m_stdvPlayers)
        if (playerName && p->m_strName == playerName) player = p;
    if (!player) {
        g_Log.Write(3, "CVR3GAMEDuel::CreateDirector() : not found player with name: %s\n",
                    playerName ? playerName : "");
        return nullptr;
    }
    if (player->m_pDirector) return nullptr;
    auto* director = new CVR3GAMEDuelPlayerDirector();
    director->m_pDuel = this;
    director->m_pScene = pScene;
    director->m_pPlayer = player;
    player->m_pDirector = director;
    director->LoadUnitTexts();
    m_stdvDirectors.push_back(director);
    return director;
}

CVR3GAMEDuelPlayerDirector* CVR3GAMEDuel::GetPlayer(const char* name) const {
    if (!name) return nullptr;
    for (const CVR3GAMEDuelPlayer* p : m_stdvPlayers)
        if (p->m_strName == name) return p->m_pDirector;
    return nullptr;
}

Vorna3D::CVR3CIIScreen* CVR3GAMEDuel::FindScreen(const std::string& name) const {
    if (!m_pScene) return nullptr;
    auto* screens =
        dynamic_cast<Vorna3D::CVR3CIIScreenManager*>(m_pScene->GetManager(Vorna3D::KEL_SCENE_SCREEN_MANAGER));
    return screens ? screens->FindScreen(name.c_str()) : nullptr;
}

bool CVR3GAMEDuel::Prepare() {
    m_pScreen = FindScreen(m_strScreenDuel);
    if (!m_pScreen) {
        g_Log.Write(3, "CVR3GAMEDuel::Prepare() : not found duel screen with name: '%s'", m_strScreenDuel.c_str());
        return false;
    }
    for (CVR3GAMEDuelPlayerDirector* d : m_stdvDirectors) {
        if (!d->Prepare()) {
            g_Log.Write(3, "CVR3GAMEDuel::Prepare() : pDirector->Prepare() failed \n");
            return false;
        }
    }
    return true;
}

void CVR3GAMEDuel::Proc() {
    ProcMenu();
    for (CVR3GAMEDuelPlayerDirector* d : m_stdvDirectors) d->Proc();
}

void CVR3GAMEDuel::Clear() {
    for (CVR3GAMEDuelPlayerDirector* d : m_stdvDirectors) {
        d->OnRelease();
        delete d;
    }
    m_stdvDirectors.clear();
    for (CVR3GAMEDuelPlayer* p : m_stdvPlayers) delete p;
    m_stdvPlayers.clear();
    m_strFileName.clear();
    m_strDuelName.clear();
    m_pScreen = nullptr;
    m_pDialogMenu = m_pDialogWarning = m_pDialogCheck = nullptr;
    for (auto*& b : m_pLevelButtons) b = nullptr;
    m_pWarningOk = m_pCheckOk = m_pCheckCancel = nullptr;
}

int CVR3GAMEDuel::GetScore() const {
    if (m_stdvDirectors.size() < 2) return -1;
    // Each side's loss against what it spent, in per cent; a side that spent
    // nothing lost nothing of it. The human's part falls below 0 when it
    // lost more than it spent (ships it did not pay for); both parts are at
    // most 100.
    auto lossPercent = [](const CVR3GAMEDuelPlayerDirector* d) {
        const double spent = static_cast<double>(d->GetSpent());
        return spent > 0.0 ? static_cast<double>(d->m_dwLostMoney) / spent * 100.0 : 0.0;
    };
    const double human = std::min(100.0, 100.0 - lossPercent(m_stdvDirectors[0]));
    const double computer = std::min(100.0, lossPercent(m_stdvDirectors[1]));
    return TruncateToInt32((human + computer) * 0.5);
}

bool CVR3GAMEDuel::ChooseDifficulty(int level, bool* pWarn) {
    if (pWarn) *pWarn = false;
    for (const CVR3GAMEDuelPlayerDirector* d : m_stdvDirectors)
        if (d && !d->HasShips()) {
            if (pWarn) *pWarn = true;
            return false;
        }
    if (m_stdvDirectors.empty() || m_stdvArtilleryLists.size() < 3 || level < 0 || level > 2) return false;
    m_strArtilleryList = m_stdvArtilleryLists[static_cast<size_t>(level)];
    return true;
}

bool CVR3GAMEDuel::BeginBattle() {
    if (m_strArtilleryList.empty()) return false;
    return CVR3GAMEManager::Get().DuelToBattle(m_strScreenLoad, m_strArtilleryList);
}

void CVR3GAMEDuel::RecordBattleLosses(const CVR3GAMEBattleMap& map) {
    for (CVR3GAMEDuelPlayerDirector* d : m_stdvDirectors) {
        if (!d || !d->m_pPlayer) continue;
        const CVR3GAMEBattleMapPlayer* p = map.GetPlayer(&d->m_pPlayer->m_strName);
        d->m_dwLostMoney = p ? p->m_uLostValue : 0;
    }
}

} // namespace SeaBattle
