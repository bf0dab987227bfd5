#include "seabattle/game/CVR3GAMEManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEScenario.h"

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

namespace {
constexpr DWORD kLoadWait = 10;

void LogTransition(const char* prefix, const std::string& name) {
    g_Log.Write(0, "%s%s%s", prefix, name.c_str(), "\n ");
}
} // namespace

CVR3GAMEManager::CVR3GAMEManager() = default;

CVR3GAMEManager::~CVR3GAMEManager() { Release(); }

CVR3GAMEManager& CVR3GAMEManager::Get() {
    static CVR3GAMEManager manager;
    return manager;
}

bool CVR3GAMEManager::Init(Vorna3D::CDX9KelScene* pScene) { return InitWithFolders(pScene, "", "", ""); }

bool CVR3GAMEManager::InitWithFolders(Vorna3D::CDX9KelScene* pScene, const std::string& iniPath,
                                      const std::string& programFolder, const std::string& userFolder) {
    g_Log.Write(0, "CVR3GAMEManager::Init()\n ");
    if (!pScene) return false;
    Release();
    m_pScene = pScene;
    m_pBattleMap = std::make_unique<CVR3GAMEBattleMap>();
    m_pBattleMap->SetGameManager(this);
    if (!m_pBattleMap->Init(pScene)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::Init() : m_pBattleMap->Init() failed\n ");
        m_pBattleMap.reset();
        return false;
    }
    m_pHarbourMap = std::make_unique<CVR3GAMEHarbourMap>();
    m_pHarbourMap->m_pScene = pScene;
    m_pScenario = std::make_unique<CVR3GAMEScenario>();
    m_pDuel = std::make_unique<CVR3GAMEDuel>();
    m_pDuel->m_pScene = pScene;
    m_pGameIO = std::make_unique<CVR3GAMEIO>();
    m_pGameIO->m_pDuel = m_pDuel.get();
    m_pGameIO->m_pScene = pScene;
    m_pGameIO->m_pBattleMap = m_pBattleMap.get();
    m_pGameIO->m_pHarbourMap = m_pHarbourMap.get();
    m_pGameIO->m_pScenario = m_pScenario.get();
    m_pHarbourMap->m_pGameIO = m_pGameIO.get();
    m_pHarbourMap->m_pScenario = m_pScenario.get();
    if (iniPath.empty())
        m_pGameIO->Init();
    else
        m_pGameIO->InitFrom(iniPath, programFolder, userFolder);
    m_iState = STATE_NONE;
    m_bWaitStamped = false;
    g_Log.Write(0, "CVR3GAMEManager::Init():OK\n ");
    return true;
}

void CVR3GAMEManager::Release() {
    // The harbour first, as a new scenario clears the world: during a battle
    // the harbour players' columns still name the ships the battle holds,
    // and they let them go while the ships live.
    if (m_pHarbourMap) {
        m_pHarbourMap->Clear();
        m_pHarbourMap.reset();
    }
    if (m_pBattleMap) {
        m_pBattleMap->Clear();
        m_pBattleMap.reset();
    }
    m_pScenario.reset();
    if (m_pDuel) {
        m_pDuel->Clear();
        m_pDuel.reset();
    }
    m_pGameIO.reset();
    m_pScene = nullptr;
    m_iState = STATE_NONE;
    m_bWaitStamped = false;
}

void CVR3GAMEManager::ProcFrame() {
    ProcState();
    if (m_pBattleMap) {
        m_pBattleMap->UpdateBattle();
        CheckLeaveBattle();
    }
    if (m_pHarbourMap) m_pHarbourMap->Proc();
    if (m_pDuel) m_pDuel->Proc();
}

void CVR3GAMEManager::StartMapSounds() {
    Vorna3D::CVR3SOUNDManager::Get().RegisterPendingSources();
    Vorna3D::CVR3SOUNDManager::Get().ResumeAllSources();
}

void CVR3GAMEManager::SetCameraControl(bool bOn) {
    if (m_pScene && m_pScene->m_pCameraManager) m_pScene->m_pCameraManager->m_bControl = bOn;
}

void CVR3GAMEManager::CheckLeaveBattle() {
    if (!m_pBattleMap || m_pBattleMap->IsLeft() || m_pBattleMap->GetDirectors().empty()) return;
    // With a human player the HUD says when the battle is over for them (its
    // log box has shown the last report); without one the map says so.
    bool leave = false;
    if (m_pBattleMap->HasHumanDirector()) {
        for (CVR3GAMEBattleMapPlayerDirector* d : m_pBattleMap->GetDirectors())
            if (auto* human = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(d); human && human->m_bLeaveBattle)
                leave = true;
    } else {
        leave = m_pBattleMap->IsBattleOver();
    }
    if (!leave) return;
    // Nothing moves or fires while the results are read, and this runs once.
    m_pBattleMap->LeaveBattle();
    if (IsScenarioRunning())
        ScenarioFromBattleToMissionResults();
    else if (IsDuelRunning())
        DuelFromBattleToResults();
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

bool CVR3GAMEManager::IsScenarioRunning() const { return m_pScenario && m_pScenario->IsRunning(); }

bool CVR3GAMEManager::IsDuelRunning() const { return m_pDuel && !m_pDuel->m_strFileName.empty(); }



bool CVR3GAMEManager::ShowScreen(const std::string* name) const {
    if (!name || name->empty() || !m_pScene) return false;
    auto* screens =
        dynamic_cast<Vorna3D::CVR3CIIScreenManager*>(m_pScene->GetManager(Vorna3D::KEL_SCENE_SCREEN_MANAGER));
    return screens && screens->SetScreen(name->c_str());
}

// ---- transitions ----

bool CVR3GAMEManager::BeginScenarioFromFile(const std::string& fileName) {
    if (!m_pScene || !m_pGameIO || !m_pScenario || !m_pHarbourMap || !m_pBattleMap) return false;
    LogTransition("CVR3GAMEManager::BeginScenarioFromFile() : ", fileName);
    if (fileName.empty()) return false;
    // A new scenario starts from nothing: no step done, no losses.
    m_pScenario->BeginNew();
    if (!m_pGameIO->LoadCommonScenarioFromFile(fileName.c_str())) return false;
    if (!ShowScreen(m_pScenario->GetHarbourLoadingScreen()))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::BeginScenarioFromFile() not set current harbour loading screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::BeginScenarioFromFile() : OK\n ");
    m_iState = BEGIN_SCENARIO;
    return true;
}

bool CVR3GAMEManager::ScenarioFromHarbourToBattle() {
    if (!m_pScenario || !m_pGameIO) return false;
    LogTransition("CVR3GAMEManager::ScenarioFromHarbourToBattle() : ", m_pScenario->m_strFileName);
    if (!IsScenarioRunning()) return false;
    if (!ShowScreen(m_pScenario->GetBattleLoadingScreen()))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioFromHarbourToBattle() not set current battle loading screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::ScenarioFromHarbourToBattle() : OK\n ");
    m_iState = LOAD_BATTLE_MAP;
    return true;
}

bool CVR3GAMEManager::ScenarioFromBattleToMissionResults() {
    if (!m_pScenario || !m_pBattleMap) return false;
    LogTransition("CVR3GAMEManager::ScenarioFromBattleToMissionResults() : ", m_pScenario->m_strFileName);
    if (!IsScenarioRunning()) return false;
    if (!m_pBattleMap->PrepareDataForHarbour(static_cast<uint32_t>(m_pScenario->m_iShipLevelCount))) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ScenarioFromBattleToMissionResults() m_pBattleMap->PrepareDataForHarbour() failed\n ");
        return false;
    }
    if (!ShowScreen(&m_pScenario->BattleResultsScreen))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioFromBattleToMissionResults() not set battle results screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::ScenarioFromBattleToMissionResults() : OK\n ");
    return true;
}

bool CVR3GAMEManager::ScenarioFromBattleToHarbour() {
    if (!m_pScenario || !m_pGameIO) return false;
    LogTransition("CVR3GAMEManager::ScenarioFromBattleToHarbour() : ", m_pScenario->m_strFileName);
    if (!IsScenarioRunning()) return false;
    BattleProcessingState::Get().ClearBattleProcessing(false);
    if (!m_pScenario->NextStep()) {
        g_Log.Write(0, "CVR3GAMEManager::ScenarioFromBattleToHarbour() Scenario end\n ");
        return false;
    }
    // Without its loading screen the harbour is not loaded: the results
    // module then ends the scenario.
    if (!ShowScreen(m_pScenario->GetHarbourLoadingScreen())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioFromBattleToHarbour() not set current harbour loading screen\n ");
        return false;
    }
    g_Log.Write(0, "CVR3GAMEManager::ScenarioFromBattleToHarbour() : OK\n ");
    m_iState = LOAD_HARBOUR_MAP;
    return true;
}

bool CVR3GAMEManager::ScenarioFromHarbourToNextHarbour() {
    if (!m_pScenario || !m_pGameIO) return false;
    LogTransition("CVR3GAMEManager::ScenarioFromHarbourToNextHarbour() : ", m_pScenario->m_strFileName);
    if (!IsScenarioRunning()) return false;
    if (!m_pScenario->NextStep()) {
        g_Log.Write(0, "CVR3GAMEManager::ScenarioFromHarbourToNextHarbour() Scenario end\n ");
        return false;
    }
    if (!ShowScreen(m_pScenario->GetHarbourLoadingScreen()))
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ScenarioFromHarbourToNextHarbour() not set current harbour loading screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::ScenarioFromHarbourToNextHarbour() : OK\n ");
    m_iState = LOAD_NEXT_HARBOUR_MAP;
    return true;
}

bool CVR3GAMEManager::ScenarioEnd() {
    if (!m_pScenario) return false;
    LogTransition("CVR3GAMEManager::ScenarioEnd() : ", m_pScenario->m_strFileName);
    if (m_pBattleMap) m_pBattleMap->StampEndTime();
    if (!ShowScreen(&m_pScenario->ScenarioEndScreen))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioEnd() not set scenario end screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::ScenarioEnd() : OK\n ");
    return true;
}

bool CVR3GAMEManager::ScenarioSave(const std::string& name) {
    if (!m_pScenario || !m_pGameIO) return false;
    g_Log.Write(0, "%s%s%s", "CVR3GAMEManager::ScenarioSave() : ", name.c_str(), "\n ");
    m_strLastSaveAsked = name;
    if (!m_pGameIO->SaveScenario(name.c_str())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioSave() m_pGameIO->SaveScenario() failed \n ");
        return false;
    }
    g_Log.Write(0, "CVR3GAMEManager::ScenarioSave() : OK\n ");
    return true;
}

bool CVR3GAMEManager::ScenarioLoad(const std::string& name) {
    if (!m_pScenario || !m_pGameIO || !m_pScene) return false;
    g_Log.Write(0, "%s%s%s", "CVR3GAMEManager::ScenarioLoad( 0 ) : ", name.c_str(), "\n ");
    if (!m_pGameIO->LoadScenario(name.c_str())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioLoad() m_pGameIO->LoadScenario( 0 ) failed \n ");
        return false;
    }
    if (m_pScenario->m_iInBattle == 0) {
        if (!ShowScreen(m_pScenario->GetHarbourLoadingScreen()))
            g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioLoad() not set current harbour loading screen\n ");
    } else if (!ShowScreen(m_pScenario->GetBattleLoadingScreen())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioLoad() not set current battle loading screen\n ");
    }
    SetCameraControl(true);
    g_Log.Write(0, "CVR3GAMEManager::ScenarioLoad( 0 ) : OK\n ");
    m_iState = LOAD_SCENARIO;
    return true;
}

// ---- the duel ----

bool CVR3GAMEManager::BeginDuelFromFile(const std::string& fileName, const std::string& loadingScreen) {
    if (!m_pGameIO || !m_pDuel || loadingScreen.empty()) return false;
    LogTransition("CVR3GAMEManager::BeginDuelFromFile() : ", fileName);
    if (fileName.empty()) return false;
    if (!ShowScreen(&loadingScreen)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::BeginDuelFromFile() not set duel loading screen\n ");
        return false;
    }
    m_strDuelFile = fileName;
    g_Log.Write(0, "CVR3GAMEManager::BeginDuelFromFile() : OK\n ");
    m_iState = BEGIN_DUEL;
    return true;
}

bool CVR3GAMEManager::DuelToBattle(const std::string& loadingScreen, const std::string& artilleryList) {
    if (!m_pGameIO || !m_pDuel || loadingScreen.empty() || artilleryList.empty()) return false;
    LogTransition("CVR3GAMEManager::DuelToBattle() : ", m_pDuel->m_strFileName);
    if (!ShowScreen(&loadingScreen))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelToBattle() not set duel loading screen\n ");
    if (!m_pGameIO->LoadBattleArtilleryList(artilleryList.c_str())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelToBattle(): m_pGameIO->LoadBattleArtilleryList() failed\n ");
        return false;
    }
    m_pDuel->m_strArtilleryList = artilleryList;
    g_Log.Write(0, "CVR3GAMEManager::DuelToBattle() : OK\n ");
    m_iState = DUEL_TO_BATTLE;
    return true;
}

bool CVR3GAMEManager::DuelFromBattleToResults() {
    if (!m_pDuel || !m_pBattleMap) return false;
    LogTransition("CVR3GAMEManager::DuelFromBattleToResults() : ", m_pDuel->m_strFileName);
    if (!IsDuelRunning()) return false;
    if (!m_pBattleMap->PrepareDataForHarbour(static_cast<uint32_t>(m_pDuel->m_iShipsTypesCount))) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelFromBattleToResults() m_pBattleMap->PrepareDataForHarbour() failed\n ");
        return false;
    }
    m_pDuel->RecordBattleLosses(*m_pBattleMap);
    if (!ShowScreen(&m_pDuel->m_strScreenBattleEnd))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelFromBattleToResults() not set current battle results screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::DuelFromBattleToResults() : OK\n ");
    return true;
}

bool CVR3GAMEManager::DuelEnd() {
    if (!m_pDuel) return false;
    LogTransition("CVR3GAMEManager::DuelEnd() : ", m_pDuel->m_strFileName);
    if (!ShowScreen(&m_pDuel->m_strScreenDuelEnd))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelEnd() not set duel end screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::DuelEnd() : OK\n ");
    return true;
}

bool CVR3GAMEManager::DuelSave(const std::string& name) {
    if (!m_pDuel || !m_pGameIO) return false;
    g_Log.Write(0, "%s%s%s", "CVR3GAMEManager::DuelSave() : ", name.c_str(), "\n ");
    m_strLastSaveAsked = name;
    if (!m_pGameIO->SaveDuel(name.c_str())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelSave() m_pGameIO->SaveDuel() failed \n ");
        return false;
    }
    g_Log.Write(0, "CVR3GAMEManager::DuelSave() : OK\n ");
    return true;
}

bool CVR3GAMEManager::DuelLoad(const std::string& name) {
    if (!m_pDuel || !m_pGameIO || !m_pScene) return false;
    g_Log.Write(0, "%s%s%s", "CVR3GAMEManager::DuelLoad( 0 ) : ", name.c_str(), "\n ");
    if (!m_pGameIO->LoadDuel(name.c_str())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelLoad() m_pGameIO->LoadDuel( 0 ) failed \n ");
        return false;
    }
    if (!ShowScreen(&m_pDuel->m_strScreenLoad))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelLoad() not set duel loading screen\n ");
    SetCameraControl(true);
    g_Log.Write(0, "CVR3GAMEManager::DuelLoad( 0 ) : OK\n ");
    m_iState = LOAD_DUEL;
    return true;
}

// ---- the pending state ----

void CVR3GAMEManager::ProcState() {
    if (m_iState == STATE_NONE) return;
    const DWORD now = ::timeGetTime();
    if (!m_bWaitStamped) {
        // At least one frame shows the loading screen before the load.
        m_bWaitStamped = true;
        m_dwWaitStamp = now;
        return;
    }
    if (static_cast<DWORD>(now - m_dwWaitStamp) <= kLoadWait) return;
    m_bWaitStamped = false;
    const int32_t state = m_iState;
    m_iState = STATE_NONE;
    switch (state) {
    case BEGIN_SCENARIO:
        ProcBeginScenario();
        break;
    case LOAD_BATTLE_MAP:
        ProcLoadBattleMap();
        break;
    case LOAD_HARBOUR_MAP:
        ProcLoadHarbourMap();
        break;
    case LOAD_NEXT_HARBOUR_MAP:
        ProcLoadNextHarbourMap();
        break;
    case LOAD_SCENARIO:
        ProcLoadScenario();
        break;
    case BEGIN_DUEL:
        ProcBeginDuel();
        break;
    case DUEL_TO_BATTLE:
        ProcDuelToBattle();
        break;
    case LOAD_DUEL:
        ProcLoadDuel();
        break;
    default:
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState() : state %i not carried out\n ", state);
        break;
    }
}

void CVR3GAMEManager::ProcBeginScenario() {
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!ShowScreen(&m_pScenario->HarbourScreen)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( BEGIN_SCENARIO ) not set current harbour game screen\n ");
        return;
    }
    const std::string* file = m_pScenario->GetHarbourMapFile();
    if (!file || !m_pGameIO->LoadHarbourMapFromFile(file->c_str(), nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( BEGIN_SCENARIO ) LoadHarbourMapFromFile() failed\n ");
        return;
    }
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!m_pGameIO->BeginScenarioFromScenarioFile()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( BEGIN_SCENARIO ) BeginScenarioFromFile() failed\n ");
        return;
    }
    // A scenario begun from the main menu that a paused battle was left
    // for: the camera follows the player again in the new harbour.
    SetCameraControl(true);
    Vorna3D::CDX9KelUtils::CheckMemory();
    StartMapSounds();
}

void CVR3GAMEManager::ProcLoadBattleMap() {
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!ShowScreen(&m_pScenario->BattleScreen)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_BATTLE_MAP ) not set current battle map game screen\n ");
        return;
    }
    const std::string* file = m_pScenario->GetBattleMapFile();
    if (!file || !m_pGameIO->LoadBattleMapFromFile(file->c_str(), true, nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_BATTLE_MAP ) LoadBattleMapFromFile() failed\n ");
        return;
    }
    if (!m_pGameIO->SetHarbourDataToBattleMap()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_BATTLE_MAP ) SetHarbourDataToBattleMap() failed\n ");
        return;
    }
    if (!m_pBattleMap->InitDirectorsBehaviours()) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ProcState( LOAD_BATTLE_MAP ) m_pBattleMap->InitDirectorsBehaviours() failed\n ");
        return;
    }
    SetCameraControl(true);
    Vorna3D::CDX9KelUtils::CheckMemory();
    m_pBattleMap->StartGameTimer();
    m_pScenario->m_iInBattle = 1;
    if (!ScenarioSave("autosave_battle_begin"))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_BATTLE_MAP ) ScenarioSave() failed\n ");
    StartMapSounds();
}

void CVR3GAMEManager::ProcLoadHarbourMap() {
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!ShowScreen(&m_pScenario->HarbourScreen))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) not set current harbour screen\n ");
    const std::string* file = m_pScenario->GetHarbourMapFile();
    if (!file || !m_pGameIO->LoadHarbourMapFromFile(file->c_str(), nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) LoadHarbourMapFromFile() failed\n ");
        return;
    }
    if (!m_pGameIO->SetBattleMapDataToHarbour()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) SetBattleMapDataToHarbour() failed\n ");
        return;
    }
    if (!m_pHarbourMap->InitDirectorsHarbour(m_pScenario->m_iStep)) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) m_pHarbourMap->InitDirectorsHarbour() failed\n ");
        return;
    }
    m_pBattleMap->SetTimeSpeed(1.0f);
    SetCameraControl(true);
    Vorna3D::CDX9KelUtils::CheckMemory();
    m_pScenario->m_iInBattle = 0;
    if (!ScenarioSave("autosave_harbor"))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) ScenarioSave() failed\n ");
    Vorna3D::CVR3SOUNDManager::Get().RegisterPendingSources();
}

void CVR3GAMEManager::ProcLoadNextHarbourMap() {
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!ShowScreen(&m_pScenario->HarbourScreen))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) not set current harbour screen\n ");
    if (!m_pHarbourMap->PrepareDataForBattleMap()) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) m_pHarbourMap->PrepareDataForBattleMap() failed\n ");
        return;
    }
    const std::string* file = m_pScenario->GetHarbourMapFile();
    if (!file || !m_pGameIO->LoadHarbourMapFromFile(file->c_str(), nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) LoadHarbourMapFromFile() failed\n ");
        return;
    }
    if (!m_pHarbourMap->InitDirectorsHarbour(m_pScenario->m_iStep)) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) m_pHarbourMap->InitDirectorsHarbour() failed\n ");
        return;
    }
    Vorna3D::CVR3SOUNDManager::Get().RegisterPendingSources();
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!ScenarioSave("autosave_harbor"))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_HARBOUR_MAP ) ScenarioSave() failed\n ");
}

void CVR3GAMEManager::ProcLoadScenario() {
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (m_pScenario->m_iInBattle == 0) {
        if (!ShowScreen(&m_pScenario->HarbourScreen))
            g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_SCENARIO ) not set current harbour screen\n ");
    } else if (!ShowScreen(&m_pScenario->BattleScreen)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_SCENARIO ) not set current battle screen\n ");
    }
    g_Log.Write(0, "CVR3GAMEManager::ScenarioLoad( 1 ) : Begin\n ");
    if (!m_pGameIO->LoadScenario(nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ScenarioLoad() m_pGameIO->LoadScenario( 1 ) failed \n ");
        return;
    }
    g_Log.Write(0, "CVR3GAMEManager::ScenarioLoad( 1 ) : OK\n ");
    // The battle clock goes on from the saved time.
    m_pBattleMap->StartGameTimer();
    StartMapSounds();
    Vorna3D::CDX9KelUtils::CheckMemory();
}

void CVR3GAMEManager::ProcBeginDuel() {
    if (!m_pGameIO->LoadDuelFromFile(m_strDuelFile.c_str())) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::BeginDuelFromFile() m_pGameIO->LoadDuelFromFile() failed \n ");
        return;
    }
    if (!ShowScreen(&m_pDuel->m_strScreenDuel))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( BEGIN_DUEL ) not set duel screen\n ");
    // The menu and the shops bind to their screens once the duel is read.
    if (!m_pDuel->LoadUIFromScreen())
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( BEGIN_DUEL ) m_pDuel->LoadUIFromScreen() failed\n ");
    Vorna3D::CDX9KelUtils::CheckMemory();
}

void CVR3GAMEManager::ProcDuelToBattle() {
    if (!ShowScreen(&m_pDuel->m_strScreenBattle))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( DUEL_TO_BATTLE ) not set current battle map game screen\n ");
    if (!m_pGameIO->LoadBattleMapFromFile(m_pDuel->m_strBattleMap.c_str(), false, nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( DUEL_TO_BATTLE ) LoadBattleMapFromFile() failed\n ");
        return;
    }
    if (!m_pGameIO->SetDuelDataToBattleMap()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( DUEL_TO_BATTLE ) SetDuelDataToBattleMap() failed\n ");
        return;
    }
    if (!m_pBattleMap->InitDirectorsBehaviours()) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEManager::ProcState( DUEL_TO_BATTLE ) m_pBattleMap->InitDirectorsBehaviours() failed\n ");
        return;
    }
    SetCameraControl(true);
    Vorna3D::CDX9KelUtils::CheckMemory();
    m_pBattleMap->StartGameTimer();
    StartMapSounds();
    if (!DuelSave("autosave_battle_begin"))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( DUEL_TO_BATTLE ) DuelSave() failed\n ");
}

void CVR3GAMEManager::ProcLoadDuel() {
    Vorna3D::CDX9KelUtils::CheckMemory();
    if (!ShowScreen(&m_pDuel->m_strScreenBattle))
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::ProcState( LOAD_DUEL ) not set current battle screen\n ");
    g_Log.Write(0, "CVR3GAMEManager::DuelLoad( 1 ) : Begin\n ");
    if (!m_pGameIO->LoadDuel(nullptr)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEManager::DuelLoad() m_pGameIO->LoadDuel( 1 ) failed \n ");
        return;
    }
    g_Log.Write(0, "CVR3GAMEManager::DuelLoad( 1 ) : OK\n ");
    m_pBattleMap->StartGameTimer();
    StartMapSounds();
    Vorna3D::CDX9KelUtils::CheckMemory();
}

} // namespace SeaBattle
