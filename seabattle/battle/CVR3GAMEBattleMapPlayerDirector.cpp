#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapAnimationSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <algorithm>
#include <new>

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

CVR3GAMEBattleMapPlayerDirector::~CVR3GAMEBattleMapPlayerDirector() { Release(); }

bool CVR3GAMEBattleMapPlayerDirector::Init(Vorna3D::CDX9KelScene* pScene, CVR3GAMEBattleMapPlayer* pPlayer,
                                           int32_t sceneTreeIndex, Vorna3D::CDX9KelGameTimer* pTimer) {
    if (!pScene) return false;
    m_pScene = pScene;
    m_pGameTimer = pTimer;
    delete m_pMovementSystem;
    m_pMovementSystem = new (std::nothrow) CVR3GAMEBattleMapMovementSystem;
    if (!m_pMovementSystem) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pMovementSystem = new CVR3GAMEBattleMapMovementSystem failed\n");
        return false;
    }
    delete m_pAnimationSystem;
    m_pAnimationSystem = new (std::nothrow) CVR3GAMEBattleMapAnimationSystem;
    if (!m_pAnimationSystem) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pAnimationSystem = new CVR3GAMEBattleMapMovementSystem failed\n");
        return false;
    }
    delete m_pArtillerySystem;
    m_pArtillerySystem = new (std::nothrow) CVR3GAMEBattleMapArtillerySystem;
    if (!m_pArtillerySystem) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pArtillerySystem = new CVR3GAMEBattleMapArtillerySystem failed\n");
        return false;
    }
    if (!pPlayer || pPlayer->m_pDirector) return false;
    m_pPlayer = pPlayer;
    pPlayer->m_pDirector = this;
    if (!m_pMovementSystem->Init(&pPlayer->m_stdvColumns, pTimer)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pMovementSystem->Init() failed\n");
        return false;
    }
    if (!m_pAnimationSystem->Init(&pPlayer->m_stdvBattleShips, pTimer)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pAnimationSystem->Init() failed\n");
        return false;
    }
    // The guns look for ships in the line of fire in the map's own tree,
    // whichever tree the scene has active.
    Vorna3D::CDXSceneTree* tree = pScene->GetSceneTree(sceneTreeIndex);
    if (!tree) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pArtillerySystem->Init() failed\n");
        return false;
    }
    m_pArtillerySystem->Init(&pPlayer->m_stdvBattleShips, pTimer, tree);
    BattleProcessingState::Get().RegisterPlayer(pPlayer->m_strPlayerName, &pPlayer->m_stdvBattleShips);
    for (CVR3GAMEBattleMapShip* ship : pPlayer->m_stdvBattleShips)
        if (ship && ship->m_pBattleShip) ship->m_pBattleShip->LastDamageTime = 0;
    if (pPlayer->m_stdvColumns.empty() &&
        !m_pMovementSystem->CreateShipsColumnsUsingPositions(&pPlayer->m_stdvBattleShips)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::Init() : m_pMovementSystem->CreateShipsColumnsUsingPositions() failed\n");
        return false;
    }
    return true;
}

void CVR3GAMEBattleMapPlayerDirector::Proc() {
    if (m_pMovementSystem) m_pMovementSystem->Proc();
    if (m_pArtillerySystem) m_pArtillerySystem->Proc();
    if (m_pAnimationSystem) m_pAnimationSystem->Proc();
}

void CVR3GAMEBattleMapPlayerDirector::Release() {
    delete m_pMovementSystem;
    m_pMovementSystem = nullptr;
    delete m_pAnimationSystem;
    m_pAnimationSystem = nullptr;
    delete m_pArtillerySystem;
    m_pArtillerySystem = nullptr;
    if (m_pPlayer && m_pPlayer->m_pDirector == this) m_pPlayer->m_pDirector = nullptr;
    m_pPlayer = nullptr;
}

bool CVR3GAMEBattleMapPlayerDirector::SetEmeny(CVR3GAMEBattleMapPlayer* pPlayer) {
    if (!m_pPlayer) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::SetEmeny() : main player not established yet\n");
        return false;
    }
    if (!pPlayer) return false;
    if (pPlayer == m_pPlayer) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::SetEmeny() : for itself not enemy\n");
        return false;
    }
    if (std::find(m_stdvEnemies.begin(), m_stdvEnemies.end(), pPlayer) != m_stdvEnemies.end()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirector::SetEmeny() : Player already enemy : %s\n",
                    pPlayer->m_strPlayerName.c_str());
        return false;
    }
    m_stdvEnemies.push_back(pPlayer);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirector::PrepareDataForHarbour(uint32_t n) {
    if (!m_pPlayer || n == 0 || n > kMaxShipLevels) return false;
    CVR3GAMEBattleMapPlayer& p = *m_pPlayer;
    p.m_stdvLossesByLevel.resize(n, 0);
    for (const CVR3GAMEBattleMapShip* s : p.m_stdvBattleShips) {
        if (!s) continue;
        if (!s->m_bSunk) {
            ++p.m_uSurvivingShips;
            continue;
        }
        // The top level (n - 1) is not listed; a level a file left without
        // text (-1) is not either, so no entry outside the list is touched.
        if (s->m_pInfoShip) {
            const int32_t level = s->m_pInfoShip->ShipTypeLevel;
            if (level >= 0 && static_cast<int64_t>(level) < static_cast<int64_t>(n) - 1)
                ++p.m_stdvLossesByLevel[static_cast<std::size_t>(level)];
        }
        ++p.m_uLostShips;
        if (s->m_pInfoShip && s->m_pBattleShip)
            p.m_uLostValue += static_cast<uint32_t>(static_cast<int64_t>(s->m_pInfoShip->DisplUnitCost) *
                                                    static_cast<int64_t>(s->m_pBattleShip->Displacement));
        if (s->m_pBattleShip) p.m_fLostDurability += s->m_pBattleShip->TotalDurability;
    }
    for (const CVR3GAMEBattleMapPlayer::EarlierLoss& e : p.m_stdvEarlierLosses) {
        if (static_cast<int64_t>(e.m_uLevel) < static_cast<int64_t>(n) - 1) ++p.m_stdvLossesByLevel[e.m_uLevel];
        ++p.m_uLostShips;
        p.m_uLostValue += e.m_uPrice;
        p.m_fLostDurability += e.m_fDurability;
    }
    return true;
}

// ---- the computer director ----

CVR3GAMEBattleMapPlayerDirectorComputer::~CVR3GAMEBattleMapPlayerDirectorComputer() {
    CVR3GAMEBattleMapPlayerDirectorComputer::Release();
}

void CVR3GAMEBattleMapPlayerDirectorComputer::Proc() {
    CVR3GAMEBattleMapPlayerDirector::Proc();
    if (m_pBehaviour) m_pBehaviour->Proc();
}

void CVR3GAMEBattleMapPlayerDirectorComputer::Release() {
    if (m_pBehaviour) {
        m_pBehaviour->Release();
        delete m_pBehaviour;
        m_pBehaviour = nullptr;
    }
    CVR3GAMEBattleMapPlayerDirector::Release();
}

bool CVR3GAMEBattleMapPlayerDirectorComputer::InitBehaviour() {
    if (!m_pBehaviour) return false;
    if (m_pBehaviour->m_iKind == CVR3GAMEComputerPlayerBehaviourOne::kKindOne) return m_pBehaviour->Init(this);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorComputer::CreateBehaviour() {
    auto* behaviour = new (std::nothrow) CVR3GAMEComputerPlayerBehaviourOne;
    if (!behaviour) return false;
    behaviour->m_iKind = CVR3GAMEComputerPlayerBehaviourOne::kKindOne;
    if (m_pBehaviour) {
        m_pBehaviour->Release();
        delete m_pBehaviour;
    }
    m_pBehaviour = behaviour;
    return true;
}

// ---- the human director ----

CVR3GAMEBattleMapPlayerDirectorHuman::~CVR3GAMEBattleMapPlayerDirectorHuman() {
    CVR3GAMEBattleMapPlayerDirectorHuman::Release();
}

void CVR3GAMEBattleMapPlayerDirectorHuman::Proc() {
    CVR3GAMEBattleMapPlayerDirector::Proc();
    if (m_pCurrentBehaviour) m_pCurrentBehaviour->Proc();
    ProcHUD();
}

void CVR3GAMEBattleMapPlayerDirectorHuman::Release() {
    ReleaseMapGUI();
    if (m_pCurrentBehaviour) {
        m_pCurrentBehaviour->Release();
        delete m_pCurrentBehaviour;
        m_pCurrentBehaviour = nullptr;
    }
    CVR3GAMEBattleMapPlayerDirector::Release();
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::InitBehaviour() {
    if (!m_pCurrentBehaviour) return false;
    m_pCurrentBehaviour->m_pOwner = this;
    // A second set-up (a save read back) starts from fresh records.
    m_pCurrentBehaviour->Release();
    m_pCurrentBehaviour->CreateIntellColumnsPool();
    m_pCurrentBehaviour->Init(m_pPlayer);
    return InitBattleMap();
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::CreateBehaviour() {
    auto* behaviour = new (std::nothrow) CVR3GAMEComputerPlayerBaseBehaviour;
    if (behaviour && m_pCurrentBehaviour) {
        m_pCurrentBehaviour->Release();
        delete m_pCurrentBehaviour;
    }
    if (behaviour) m_pCurrentBehaviour = behaviour;
    return behaviour != nullptr;
}

} // namespace SeaBattle
