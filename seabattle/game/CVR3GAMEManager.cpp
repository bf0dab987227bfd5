#include "seabattle/game/CVR3GAMEManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

CVR3GAMEManager::CVR3GAMEManager() = default;

CVR3GAMEManager::~CVR3GAMEManager() { Release(); }

CVR3GAMEManager& CVR3GAMEManager::Get() {
    static CVR3GAMEManager manager;
    return manager;
}

bool CVR3GAMEManager::Init(Vorna3D::CDX9KelScene* pScene) {
    if (!pScene) return false;
    Release();
    m_pScene = pScene;
    m_pBattleMap = std::make_unique<CVR3GAMEBattleMap>();
    if (!m_pBattleMap->Init(pScene)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::Init() : m_pBattleMap->Init() failed\n");
        m_pBattleMap.reset();
        return false;
    }
    return true;
}

void CVR3GAMEManager::Release() {
    if (m_pBattleMap) {
        m_pBattleMap->Clear();
        m_pBattleMap.reset();
    }
    m_pScene = nullptr;
}

void CVR3GAMEManager::ProcFrame() {
    if (m_pBattleMap) m_pBattleMap->UpdateBattle();
}

void CVR3GAMEManager::OnLost() {
    if (m_pBattleMap) m_pBattleMap->OnLost();
}

void CVR3GAMEManager::Restore() {
    if (m_pBattleMap) m_pBattleMap->Restore();
}

bool CVR3GAMEManager::StartBattle(const char* battleScreenName) {
    if (!m_pBattleMap || !m_pScene || !battleScreenName) return false;
    auto* screens =
        dynamic_cast<Vorna3D::CVR3CIIScreenManager*>(m_pScene->GetManager(Vorna3D::KEL_SCENE_SCREEN_MANAGER));
    Vorna3D::CVR3CIIScreen* screen = screens ? screens->FindScreen(battleScreenName) : nullptr;
    if (!screen || !screens->SetScreen(battleScreenName)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::StartBattle() : not set battle screen : %s\n", battleScreenName);
        return false;
    }
    m_pBattleMap->m_pBattleScreen = screen;
    m_pBattleMap->SetTimeSpeed(1.0f);
    m_pBattleMap->StartGameTimer();
    return true;
}

} // namespace SeaBattle
