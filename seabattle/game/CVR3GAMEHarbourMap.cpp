#include "seabattle/game/CVR3GAMEHarbourMap.h"

#include <algorithm>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using Vorna3D::g_Log;

namespace SeaBattle {

// ---- the map ----

CVR3GAMEHarbourMap::~CVR3GAMEHarbourMap() { Clear(); }

CVR3GAMEHarbourMapPlayer* CVR3GAMEHarbourMap::CreatePlayer(const char* name) {
    if (m_stdvPlayers.size() >= kMaxPlayers) {
        g_Log.Write(3, "%s%i%s", "CVR3GAMEHarbourMap::CreatePlayer() : max players number is reached :",
                    static_cast<int>(kMaxPlayers), " \n");
        return nullptr;
    }
    if (!name || !*name) {
        g_Log.Write(3, "CVR3GAMEHarbourMap::CreatePlayer() : player name empty\n");
        return nullptr;
    }
    if (GetPlayer(name)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEHarbourMap::CreatePlayer() : player with name '", name, "' already exist\n");
        return nullptr;
    }
    auto* player = new CVR3GAMEHarbourMapPlayer();
    player->m_strName = name;
    m_stdvPlayers.push_back(player);
    return player;
}

CVR3GAMEHarbourMapPlayer* CVR3GAMEHarbourMap::GetPlayer(const char* name) const {
    if (!name) return nullptr;
    for (CVR3GAMEHarbourMapPlayer* p : m_stdvPlayers)
        if (p && p->m_strName == name) return p;
    return nullptr;
}

CVR3GAMEHarbourMapPlayerDirector* CVR3GAMEHarbourMap::GetDirector(const char* playerName) const {
    if (!playerName) return nullptr;
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors)
        if (d && d->m_pPlayer && d->m_pPlayer->m_strName == playerName) return d;
    return nullptr;
}

namespace {
// The checks a new director of either kind passes: a scene and a player
// without a director. On success the director joins the map.
template <class D>
D* AcceptDirector(CVR3GAMEHarbourMap& map, D* director, CVR3GAMEHarbourMapPlayer* player, const char* initFailed) {
    if (!map.m_pScene || player->m_pDirector) {
        g_Log.Write(3, "%s", initFailed);
        delete director;
        return nullptr;
    }
    director->m_pScene = map.m_pScene;
    director->m_pPlayer = player;
    player->m_pDirector = director;
    map.m_stdvDirectors.push_back(director);
    return director;
}
} // namespace

CVR3GAMEHarbourMapPlayerDirectorHuman* CVR3GAMEHarbourMap::CreateHuman(const char* playerName) {
    if (!playerName || !*playerName) {
        g_Log.Write(3, "CVR3GAMEHarbourMap::CreateHuman() : player name empty\n");
        return nullptr;
    }
    CVR3GAMEHarbourMapPlayer* player = GetPlayer(playerName);
    if (!player) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEHarbourMap::CreateHuman() : not found player with name: ", playerName, "\n");
        return nullptr;
    }
    return AcceptDirector(*this, new CVR3GAMEHarbourMapPlayerDirectorHuman(), player,
                          "CVR3GAMEHarbourMap::CreateHuman() : pPlayerHuman->Init() failed\n");
}

CVR3GAMEHarbourMapPlayerDirectorComputer* CVR3GAMEHarbourMap::CreateComputer(const char* playerName) {
    if (!playerName || !*playerName) {
        g_Log.Write(3, "CVR3GAMEHarbourMap::CreateComputer() : player name empty\n");
        return nullptr;
    }
    CVR3GAMEHarbourMapPlayer* player = GetPlayer(playerName);
    if (!player) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEHarbourMap::CreateComputer() : not found player with name: ", playerName,
                    "\n");
        return nullptr;
    }
    return AcceptDirector(*this, new CVR3GAMEHarbourMapPlayerDirectorComputer(), player,
                          "CVR3GAMEHarbourMap::CreateComputer() : pPlayerComputer->Init() failed\n");
}

bool CVR3GAMEHarbourMap::InitDirectorsCommon(CVR3GAMEHarbourMap* pMap) {
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors)
        if (d && !d->AttachHarbourMap(pMap)) return false;
    return true;
}

bool CVR3GAMEHarbourMap::InitDirectorsHarbour(int32_t step) {
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors)
        if (d && !d->InitHarbourMap(step)) return false;
    return true;
}

bool CVR3GAMEHarbourMap::PrepareDataForBattleMap() {
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors)
        if (d && !d->PrepareDataForBattleMap()) return false;
    Vorna3D::CVR3SOUNDManager::Get().StopAllSources();
    return true;
}

void CVR3GAMEHarbourMap::Proc() {
    if (!m_pHarbourScreen || !m_pColumnsScreen) return;
    if (!m_pHarbourScreen->IsActive() && !m_pColumnsScreen->IsActive()) return;
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors)
        if (d) d->ProcGUI();
}

void CVR3GAMEHarbourMap::ActivateMapScene() {
    if (!m_pScene) return;
    m_pScene->SetActiveSceneTree(m_BaseMap.m_iSceneTreeIndex);
    CVR3GAMEMapBaseEnvironment* env = m_BaseMap.m_pEnvironment;
    Vorna3D::CDX9KelPhysicalManager* physics = Vorna3D::GetPhysicalManager(m_pScene);
    if (physics && env && env->m_pWater) physics->SetOcean(env->m_pWater);
    if (Vorna3D::CDX9KelBaseCameraManager* cameras = m_pScene->m_pCameraManager) {
        auto* camera = dynamic_cast<Vorna3D::CDX9KelGlobalCamera*>(cameras->m_pActiveCamera);
        if (camera) {
            ApplyBaseMapCamera(&m_BaseMap, camera);
            cameras->m_bChanged = true;
        }
    }
    if (env) ActivateMapEnvironment(env, true);
}

void CVR3GAMEHarbourMap::DestroySceneTree() {
    if (m_BaseMap.m_iSceneTreeIndex != -1 && m_pScene && !m_pScene->DeleteSceneTree(m_BaseMap.m_iSceneTreeIndex))
        g_Log.Write(3, "%s%i%s", "CVR3GAMEHarbourMap::Clear() : DestroySceneTree() failed :",
                    m_BaseMap.m_iSceneTreeIndex, " \n");
    m_BaseMap.m_iSceneTreeIndex = -1;
}

void CVR3GAMEHarbourMap::ClearMap() {
    ReleaseMapEnvironment(&m_BaseMap);
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors)
        if (d) d->ReleaseMapGUI();
    DestroySceneTree();
}

void CVR3GAMEHarbourMap::Clear() {
    ReleaseMapEnvironment(&m_BaseMap);
    // Directors first: they hold ships (reserve, column lists) that the
    // players' lists may no longer name.
    for (CVR3GAMEHarbourMapPlayerDirector* d : m_stdvDirectors) {
        if (!d) continue;
        d->Release();
        delete d;
    }
    m_stdvDirectors.clear();
    for (CVR3GAMEHarbourMapPlayer* p : m_stdvPlayers) {
        if (!p) continue;
        p->m_pDirector = nullptr;
        p->DeleteMapPlayerObjects(m_pGameIO);
        delete p;
    }
    m_stdvPlayers.clear();
    DestroySceneTree();
}

// ---- the computer director ----

CVR3GAMEHarbourMapPlayerDirectorComputer::CVR3GAMEHarbourMapPlayerDirectorComputer() {
    m_iKind = 1;
    m_stdvReserve.reserve(15);
    m_stdvColumn1.reserve(5);
    m_stdvColumn2.reserve(5);
    m_stdvColumn3.reserve(5);
}

CVR3GAMEHarbourMapPlayerDirectorComputer::~CVR3GAMEHarbourMapPlayerDirectorComputer() { Release(); }

namespace {
// Ships that no player lists any more (the reserve, or the column lists
// before the hand-over) belong to the director until they are listed again.
void DeleteUnlisted(CVR3GAMEHarbourMap* map, std::vector<CVR3GAMEBattleMapShip*>& ships) {
    for (CVR3GAMEBattleMapShip* s : ships) {
        if (!s || s->m_iPlayerIndex != -1 || s->m_pColumn) continue;
        DeleteHarbourShip(map ? map->m_pGameIO : nullptr, s);
    }
    ships.clear();
}
} // namespace

void CVR3GAMEHarbourMapPlayerDirectorComputer::Release() {
    delete m_pFleetProgress;
    m_pFleetProgress = nullptr;
    // The reserve is listed by nobody: it goes with the director.
    DeleteUnlisted(m_pHarbourMap, m_stdvReserve);
    m_stdvColumn1.clear();
    m_stdvColumn2.clear();
    m_stdvColumn3.clear();
}

bool CVR3GAMEHarbourMapPlayerDirectorComputer::AttachHarbourMap(CVR3GAMEHarbourMap* pMap) {
    if (!pMap) return false;
    m_pHarbourMap = pMap;
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorComputer::InitHarbourMap(int32_t step) {
    m_iStep = step;
    return ColumnsShipsToAll();
}

bool CVR3GAMEHarbourMapPlayerDirectorComputer::ColumnsShipsToAll() {
    if (!m_pPlayer) return false;
    for (CVR3GAMEBattleMapShipsColumn* column : m_pPlayer->m_stdvColumns) {
        if (!column) continue;
        for (CVR3GAMEBattleMapShip* ship : column->m_stdvBattleShips) {
            if (!ship) continue;
            // A ship the player lists already stays where it is.
            if (ship->m_iPlayerIndex != -1) continue;
            if (!m_pPlayer->AddBattleMapShip(ship)) {
                g_Log.Write(3,
                            "CVR3GAMEHarbourMapPlayerDirectorComputer::ColumnsShipsToAll() : m_pPlayer->AddBattleMapShip() failed\n");
                return false;
            }
        }
    }
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorComputer::RepairShips() {
    if (!m_pPlayer) return false;
    for (CVR3GAMEBattleMapShip* s : m_pPlayer->m_stdvHarbourShips)
        if (s && !s->m_bSunk) RepairShipFully(s);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorComputer::ReserveShipsAttachToAll() {
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

bool CVR3GAMEHarbourMapPlayerDirectorComputer::FleetProgressShipsAttachToAll() {
    if (!m_pPlayer || !m_pFleetProgress) return false;
    if (m_iStep < 0 || static_cast<size_t>(m_iStep) >= m_pFleetProgress->size()) return false;
    CVR3GAMEIO* io = m_pHarbourMap ? m_pHarbourMap->m_pGameIO : nullptr;
    for (const SVR3GAMEFleetShip& entry : (*m_pFleetProgress)[static_cast<size_t>(m_iStep)]) {
        CVR3GAMEBattleMapShip* ship = io ? io->CreateFleetShip(entry) : nullptr;
        if (!ship) {
            g_Log.Write(3,
                        "CVR3GAMEHarbourMapPlayerDirectorComputer::FleetProgressShipsAttachToAll() : pBattleMapShip->Init() failed\n");
            return false;
        }
        if (!entry.name.empty()) ship->m_strName = entry.name;
        if (!m_pPlayer->AddBattleMapShip(ship)) {
            g_Log.Write(3,
                        "CVR3GAMEHarbourMapPlayerDirectorComputer::FleetProgressShipsAttachToAll() : m_pPlayer->AddBattleMapShip() failed\n");
            io->DeleteBattleShip(ship);
            return false;
        }
    }
    return true;
}

namespace {
// Moves the ships from the sixth on to the end of `target`.
void MoveOverflow(std::vector<CVR3GAMEBattleMapShip*>& from, std::vector<CVR3GAMEBattleMapShip*>& target) {
    if (from.size() <= 5) return;
    target.insert(target.end(), from.begin() + 5, from.end());
    from.resize(5);
}
} // namespace

bool CVR3GAMEHarbourMapPlayerDirectorComputer::GenColumns() {
    if (!m_pPlayer) return false;
    m_stdvColumn1.clear();
    m_stdvColumn2.clear();
    m_stdvColumn3.clear();
    m_stdvReserve.clear();
    for (CVR3GAMEBattleMapShip* s : m_pPlayer->m_stdvHarbourShips) {
        if (!s || s->m_bSunk) continue;
        const int32_t column = s->m_pInfoShip ? s->m_pInfoShip->ColumnNum : 0;
        (column == 0 ? m_stdvColumn1 : column == 1 ? m_stdvColumn2 : m_stdvColumn3).push_back(s);
    }
    // Highest level first; a ship without a card never goes first. A stable
    // sort keeps ties in the order of the harbour list.
    auto higher = [](const CVR3GAMEBattleMapShip* a, const CVR3GAMEBattleMapShip* b) {
        if (!a || !a->m_pInfoShip) return false;
        if (!b || !b->m_pInfoShip) return true;
        return a->m_pInfoShip->ShipTypeLevel > b->m_pInfoShip->ShipTypeLevel;
    };
    std::stable_sort(m_stdvColumn1.begin(), m_stdvColumn1.end(), higher);
    std::stable_sort(m_stdvColumn2.begin(), m_stdvColumn2.end(), higher);
    std::stable_sort(m_stdvColumn3.begin(), m_stdvColumn3.end(), higher);
    if (m_stdvColumn1.empty()) {
        if (!m_stdvColumn2.empty())
            m_stdvColumn1.swap(m_stdvColumn2);
        else if (!m_stdvColumn3.empty())
            m_stdvColumn1.swap(m_stdvColumn3);
        else
            return false;
    }
    if (m_stdvColumn2.empty() && !m_stdvColumn3.empty()) m_stdvColumn2.swap(m_stdvColumn3);
    MoveOverflow(m_stdvColumn1, m_stdvColumn2.empty() ? m_stdvColumn2 : m_stdvReserve);
    MoveOverflow(m_stdvColumn2, m_stdvColumn3.empty() ? m_stdvColumn3 : m_stdvReserve);
    MoveOverflow(m_stdvColumn3, m_stdvReserve);
    return true;
}

bool CVR3GAMEHarbourMapPlayerDirectorComputer::PrepareDataForBattleMap() {
    if (!RepairShips()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorComputer::PrepareDataForBattleMap() : RepairShips() failed\n");
        return false;
    }
    if (!ReserveShipsAttachToAll()) {
        g_Log.Write(3,
                    "CVR3GAMEHarbourMapPlayerDirectorComputer::PrepareDataForBattleMap() : ReserveShipsAttachToAll() failed\n");
        return false;
    }
    if (!FleetProgressShipsAttachToAll()) {
        g_Log.Write(
            3, "CVR3GAMEHarbourMapPlayerDirectorComputer::PrepareDataForBattleMap() : FleetProgressShipsAttachToAll() failed\n");
        return false;
    }
    if (!GenColumns()) {
        g_Log.Write(3, "CVR3GAMEHarbourMapPlayerDirectorComputer::PrepareDataForBattleMap() : GenColumns() failed\n");
        return false;
    }
    m_pPlayer->ReleaseBattleObjects(m_pHarbourMap ? m_pHarbourMap->m_pGameIO : nullptr);
    for (std::vector<CVR3GAMEBattleMapShip*>* list : {&m_stdvColumn1, &m_stdvColumn2, &m_stdvColumn3}) {
        if (list->empty()) continue;
        auto* column = new CVR3GAMEBattleMapShipsColumn();
        for (CVR3GAMEBattleMapShip* s : *list) {
            s->m_iPlayerIndex = -1;
            s->m_pColumn = column;
            column->m_stdvBattleShips.push_back(s);
        }
        m_pPlayer->m_stdvColumns.push_back(column);
    }
    return true;
}

} // namespace SeaBattle
