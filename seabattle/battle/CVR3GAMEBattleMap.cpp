#include "seabattle/battle/CVR3GAMEBattleMap.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/LocalizedText.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"
#include "platform/os/Profile.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEManager.h"

#include <cmath>
#include <new>

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;
using Vorna3D::LOG_WARNING;

namespace SeaBattle {

namespace {
constexpr const char* kEngineIni = "engine.ini";
constexpr const char* kGameSection = "Game";
constexpr const char* kDebugKeys[3] = {"BattleDebug", "ArtilleryDebug", "MovementDebug"};
constexpr const char* kTimeLimitKeys[4] = {"_LN_GUI_Battle_Log_TimeLimit1", "_LN_GUI_Battle_Log_TimeLimit2",
                                           "_LN_GUI_Battle_Log_TimeLimit3", "_LN_GUI_Battle_Log_TimeLimit4"};
constexpr const char* kAutoSaveKey = "_LN_GUI_Battle_Log_Autosave";
constexpr const char* kAutoSavePrefix = "autosave_battle_";
constexpr const char* kCategoryBattle = "Battle";
constexpr const char* kCategoryGame = "Game";

void LookUp(const char* key, std::string& field) {
    const Vorna3D::ILocalizedNames* names = Vorna3D::GetLocalizedNames();
    if (!names) return;
    if (const char* text = names->GetLocalizedName(key)) field = text;
}
} // namespace

CVR3GAMEBattleMap::CVR3GAMEBattleMap() { m_GameTimer.m_fSpeed = 1.0f; }

CVR3GAMEBattleMap::~CVR3GAMEBattleMap() {
    if (BattleProcessingState::Get().GetGameTimer() == &m_GameTimer) BattleProcessingState::Get().SetGameTimer(nullptr);
    ReleaseMapEnvironment(&m_BaseMap);
    for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors) {
        if (d) d->m_pPlayer = nullptr;
        delete d;
    }
    for (CVR3GAMEBattleMapPlayer* p : m_stdvPlayers) {
        DeleteMapPlayerObjects(p);
        delete p;
    }
}

bool CVR3GAMEBattleMap::Init(Vorna3D::CDX9KelScene* pScene) {
    if (!pScene) return false;
    m_pScene = pScene;
    char ini[Vorna3D::CDX9KelUtils::kPathSize] = {};
    Vorna3D::CDX9KelUtils::CopyPath(ini, (pScene->m_strDataFolder + kEngineIni).c_str());
    for (int channel = 0; channel < 3; ++channel)
        if (channel < Vorna3D::CDX9KelLog::kChannelCount)
            g_Log.SetChannel(channel, GetPrivateProfileIntA(kGameSection, kDebugKeys[channel], 0, ini) != 0);
    m_stdvPlayers.reserve(kMaxPlayers);
    m_stdvDirectors.reserve(kMaxPlayers);
    m_uMaxPlayers = kMaxPlayers;
    BattleProcessingState::Get().SetGameTimer(&m_GameTimer);
    for (int i = 0; i < 4; ++i) LookUp(kTimeLimitKeys[i], m_strTimeLimitTexts[i]);
    LookUp(kAutoSaveKey, m_strAutoSaveText);
    return true;
}

bool CVR3GAMEBattleMap::HasHumanDirector() const {
    for (const CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors)
        if (d && d->IsHuman()) return true;
    return false;
}

void CVR3GAMEBattleMap::UpdateBattle() {
    if (!m_pBattleScreen || !m_pBattleScreen->IsActive() || m_bBattleOver) return;
    for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors)
        if (d) d->Proc();
    BattleProcessingState::Get().ProcessBattle();
    CheckTimeLimit();
    AutoSave();
    // The human's HUD takes the player out of a battle whose time is up or
    // whose side has lost all its ships; without one the battle ends here.
    if (!HasHumanDirector() && (SideLostLogged() || IsTimeUp())) m_bBattleOver = true;
}

bool CVR3GAMEBattleMap::SideLostLogged() {
    const std::vector<CVR3GAMEBattleLogEntry>& entries = CVR3GAMEBattleLog::Get().GetEntries();
    if (m_uLogChecked > entries.size()) m_uLogChecked = 0;
    for (; m_uLogChecked < entries.size(); ++m_uLogChecked) {
        const CVR3GAMEBattleLogEntry& e = entries[m_uLogChecked];
        if (e.m_iKind != BATTLE_LOG_SIDE_LOST) continue;
        m_strLostSide = e.m_strCategory;
        ++m_uLogChecked;
        return true;
    }
    return false;
}

void CVR3GAMEBattleMap::CheckTimeLimit() {
    if (m_iTimeLimit < 0) return;
    const DWORD now = m_GameTimer.GetTime();
    if (now < m_dwLastTimeLimitCheck + kTimeLimitCheck) return;
    m_dwLastTimeLimitCheck = now;
    const DWORD minutes = now / kTimeLimitCheck;
    const int64_t remaining = static_cast<int64_t>(m_iTimeLimit) - static_cast<int64_t>(minutes);
    int text = -1;
    if (m_iTimeLimitStage < 1 && remaining <= 30) text = 0;
    else if (m_iTimeLimitStage < 2 && remaining <= 20) text = 1;
    else if (m_iTimeLimitStage < 3 && remaining <= 10) text = 2;
    if (text >= 0) {
        AddBattleLogEntry(kCategoryBattle, BATTLE_LOG_TEXT, nullptr, m_strTimeLimitTexts[text].c_str());
        m_iTimeLimitStage = text + 1;
    }
    if (static_cast<int64_t>(minutes) > m_iTimeLimit && m_iTimeLimitStage != 4) {
        for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors)
            if (d) d->m_bFinished = true;
        AddBattleLogEntry(kCategoryBattle, BATTLE_LOG_TEXT, nullptr, m_strTimeLimitTexts[3].c_str());
        m_iTimeLimitStage = 4;
    }
}

void CVR3GAMEBattleMap::AutoSave() {
    const DWORD now = timeGetTime();
    if (m_dwLastAutoSave == 0) m_dwLastAutoSave = now;
    if (static_cast<DWORD>(now - m_dwLastAutoSave) <= m_dwAutoSaveInterval) return;
    m_dwLastAutoSave = now;
    AddBattleLogEntry(kCategoryGame, BATTLE_LOG_TEXT, nullptr, m_strAutoSaveText.c_str());
    const std::string name = kAutoSavePrefix + std::to_string(m_uAutoSaveNumber + 1);
    EAutoSaveResult result = AUTOSAVE_NOTHING_RUNNING;
    if (m_pGameManager && m_pGameManager->IsScenarioRunning())
        result = m_pGameManager->ScenarioSave(name) ? AUTOSAVE_DONE : AUTOSAVE_FAILED;
    else if (m_pGameManager && m_pGameManager->IsDuelRunning())
        result = m_pGameManager->DuelSave(name) ? AUTOSAVE_DONE : AUTOSAVE_FAILED;
    // The player is never told of a save that did not happen.
    if (result == AUTOSAVE_FAILED) {
        RemoveLastBattleLogEntry();
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::AutoSave() : save failed : %s\n", name.c_str());
    }
    if (++m_uAutoSaveNumber > kAutoSaveSlots - 1) m_uAutoSaveNumber = 0;
}

void CVR3GAMEBattleMap::StampEndTime() {
    const DWORD now = timeGetTime();
    m_dwEndTime = now ? now : 1;
}

bool CVR3GAMEBattleMap::SetTimeSpeed(float speed) {
    if (!(speed >= 0.0f && speed <= kMaxTimeSpeed) || !m_pScene) return false;
    Vorna3D::CDX9KelPhysicalManager* physics = Vorna3D::GetPhysicalManager(m_pScene);
    if (physics && speed == physics->GetTimeScale()) return true;
    if (physics) physics->SetTimeScale(speed);
    if (Vorna3D::CDX9KelParticlesSystemsManager* particles = Vorna3D::GetParticlesSystemsManager(m_pScene))
        particles->SetTimeScale(speed);
    if (m_pScene->m_pRenderSystem) m_pScene->m_pRenderSystem->m_fTimeScale = speed;
    if (speed == 0.0f) {
        m_GameTimer.m_dwRunning = 0;
        Vorna3D::CVR3SOUNDManager::Get().PauseAllSources();
    } else {
        m_GameTimer.Start();
        Vorna3D::CVR3SOUNDManager::Get().ResumeAllSources();
    }
    m_GameTimer.m_fSpeed = std::fabs(speed);
    return true;
}

bool CVR3GAMEBattleMap::InitDirectorsBehaviours() {
    for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors)
        if (d && !d->InitBehaviour()) return false;
    return true;
}

bool CVR3GAMEBattleMap::PrepareDataForHarbour(uint32_t n) {
    for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors)
        if (d && !d->PrepareDataForHarbour(n)) return false;
    // The battle clock starts again from 0 next battle: the ships' damage
    // clocks start afresh with it.
    for (CVR3GAMEBattleMapPlayer* p : m_stdvPlayers)
        if (p)
            for (CVR3GAMEBattleMapShip* ship : p->m_stdvBattleShips)
                if (ship && ship->m_pBattleShip) ship->m_pBattleShip->LastDamageTime = 0;
    SetTimeSpeed(0.0f);
    m_GameTimer.m_fSpeed = 1.0f;
    m_GameTimer.m_dwLastTick = m_GameTimer.m_dwGameTime = m_GameTimer.m_dwRunning = 0;
    Vorna3D::CVR3SOUNDManager::Get().StopAllSources();
    return true;
}

CVR3GAMEBattleMapPlayer* CVR3GAMEBattleMap::CreatePlayer(const std::string* name) {
    if (m_stdvPlayers.size() >= m_uMaxPlayers) {
        g_Log.Write(LOG_ERROR, "%s%i%s", "CVR3GAMEBattleMap::CreatePlayer() : max players number is reached :",
                    static_cast<int>(m_uMaxPlayers), " \n");
        return nullptr;
    }
    if (!name || name->empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::CreatePlayer() : player name empty\n");
        return nullptr;
    }
    if (GetPlayer(name)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::CreatePlayer() : player with name '%s' already exist\n",
                    name->c_str());
        return nullptr;
    }
    auto* player = new (std::nothrow) CVR3GAMEBattleMapPlayer;
    if (!player) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::CreatePlayer() : pPlayer = new CVR3GAMEBattleMapPlayer failed\n");
        return nullptr;
    }
    player->m_strPlayerName = *name;
    m_stdvPlayers.push_back(player);
    BattleProcessingState::Get().RegisterPlayer(player->m_strPlayerName, &player->m_stdvBattleShips);
    return player;
}

bool CVR3GAMEBattleMap::AddPlayer(CVR3GAMEBattleMapPlayer* pPlayer) {
    if (m_stdvPlayers.size() >= m_uMaxPlayers) {
        g_Log.Write(LOG_ERROR, "%s%i%s", "CVR3GAMEBattleMap::AddPlayer() : max players number is reached :",
                    static_cast<int>(m_uMaxPlayers), " \n");
        return false;
    }
    if (!pPlayer) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::AddPlayer() : pPlayer == NULL\n");
        return false;
    }
    if (GetPlayer(&pPlayer->m_strPlayerName)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::AddPlayer() : player with name '%s' already exist\n",
                    pPlayer->m_strPlayerName.c_str());
        return false;
    }
    m_stdvPlayers.push_back(pPlayer);
    BattleProcessingState::Get().RegisterPlayer(pPlayer->m_strPlayerName, &pPlayer->m_stdvBattleShips);
    return true;
}

CVR3GAMEBattleMapPlayer* CVR3GAMEBattleMap::GetPlayer(const std::string* name) const {
    if (!name) return nullptr;
    for (CVR3GAMEBattleMapPlayer* p : m_stdvPlayers)
        if (p && p->m_strPlayerName == *name) return p;
    return nullptr;
}

CVR3GAMEBattleMapPlayerDirector* CVR3GAMEBattleMap::AddDirector(CVR3GAMEBattleMapPlayerDirector* pDirector,
                                                                const std::string* playerName, const char* who) {
    const bool human = pDirector->IsHuman();
    const char* op = human ? "CreateHuman" : "CreateComputer";
    if (!playerName || playerName->empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::%s() : player name empty\n", op);
        delete pDirector;
        return nullptr;
    }
    CVR3GAMEBattleMapPlayer* player = GetPlayer(playerName);
    if (!player) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::%s() : not found player with name: %s\n", op,
                    playerName->c_str());
        delete pDirector;
        return nullptr;
    }
    bool ok = pDirector->Init(m_pScene, player, m_BaseMap.m_iSceneTreeIndex, &m_GameTimer);
    if (ok && human) {
        auto* h = static_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(pDirector);
        h->m_pCameraManager = m_pScene ? m_pScene->m_pCameraManager : nullptr;
        ok = h->m_pCameraManager != nullptr;
    }
    if (!ok) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::%s() : %s->Init() failed\n", op, who);
        delete pDirector;
        return nullptr;
    }
    m_stdvDirectors.push_back(pDirector);
    // A player created for an earlier battle is walked by the resolution
    // again (registration is idempotent).
    BattleProcessingState::Get().RegisterPlayer(player->m_strPlayerName, &player->m_stdvBattleShips);
    return pDirector;
}

CVR3GAMEBattleMapPlayerDirector* CVR3GAMEBattleMap::CreateHuman(const std::string* playerName) {
    auto* d = new (std::nothrow) CVR3GAMEBattleMapPlayerDirectorHuman;
    if (!d) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::CreateHuman() : pPlayerHuman = new CVR3GAMEBattleMapPlayerDirectorHuman failed\n");
        return nullptr;
    }
    return AddDirector(d, playerName, "pPlayerHuman");
}

CVR3GAMEBattleMapPlayerDirector* CVR3GAMEBattleMap::CreateComputer(const std::string* playerName) {
    auto* d = new (std::nothrow) CVR3GAMEBattleMapPlayerDirectorComputer;
    if (!d) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::CreateComputer() : pPlayerComputer = new CVR3GAMEBattleMapPlayerDirectorComputer failed\n");
        return nullptr;
    }
    return AddDirector(d, playerName, "pPlayerComputer");
}

CVR3GAMEBattleMapPlayerDirector* CVR3GAMEBattleMap::GetPlayerDirector(const std::string* playerName) const {
    if (!playerName) return nullptr;
    for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors)
        if (d && d->m_pPlayer && d->m_pPlayer->m_strPlayerName == *playerName) return d;
    return nullptr;
}

bool CVR3GAMEBattleMap::SetPlayerDirectorEnemy(CVR3GAMEBattleMapPlayerDirector* pDirector,
                                               const std::string* enemyName) {
    if (!pDirector || !enemyName || enemyName->empty()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::SetPlayerDirectorEnemy() : pPlayerDirector == NULL || strEnemyPlayerName == NULL || strEnemyPlayerName->empty()\n");
        return false;
    }
    CVR3GAMEBattleMapPlayer* enemy = GetPlayer(enemyName);
    if (!enemy) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::SetPlayerDirectorEnemy() : not found player with name: %s\n",
                    enemyName->c_str());
        return false;
    }
    if (!pDirector->SetEmeny(enemy)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMap::SetPlayerDirectorEnemy() : pPlayerDirector->SetEmeny() failed \n");
        return false;
    }
    return true;
}

void CVR3GAMEBattleMap::ReleaseDirectors() {
    for (CVR3GAMEBattleMapPlayerDirector* d : m_stdvDirectors) {
        if (!d) continue;
        d->Release();
        delete d;
    }
    m_stdvDirectors.clear();
}

void CVR3GAMEBattleMap::DestroySceneTree() {
    // A map without a tree has nothing to destroy.
    if (m_BaseMap.m_iSceneTreeIndex != -1 && m_pScene && !m_pScene->DeleteSceneTree(m_BaseMap.m_iSceneTreeIndex))
        g_Log.Write(LOG_WARNING, "%s%i%s", "CVR3GAMEBattleMap::Clear() : DestroySceneTree() failed :",
                    m_BaseMap.m_iSceneTreeIndex, " \n");
    m_BaseMap.m_iSceneTreeIndex = -1;
}

void CVR3GAMEBattleMap::ResetClockAndLimits() {
    SetTimeSpeed(1.0f);
    m_GameTimer.m_fSpeed = 1.0f;
    m_GameTimer.m_dwLastTick = m_GameTimer.m_dwGameTime = m_GameTimer.m_dwRunning = 0;
    m_dwLastTimeLimitCheck = 0;
    m_iTimeLimitStage = 0;
    m_uAutoSaveNumber = 0;
    m_dwLastAutoSave = 0;
    m_iTimeLimit = -1;
    m_uHumanDirectors = 0;
    m_bBattleOver = false;
    m_bLeft = false;
    // What an earlier battle wrote to the log does not end this one.
    m_uLogChecked = CVR3GAMEBattleLog::Get().GetCount();
    m_strLostSide.clear();
}

void CVR3GAMEBattleMap::Clear() {
    ReleaseMapEnvironment(&m_BaseMap);
    Vorna3D::CDX9KelUtils::CheckMemory();
    for (CVR3GAMEBattleMapPlayer* p : m_stdvPlayers) {
        if (!p) continue;
        if (p->m_pDirector) p->m_pDirector->m_pPlayer = nullptr;
        DeleteMapPlayerObjects(p);
        delete p;
    }
    m_stdvPlayers.clear();
    // The battle resolution no longer walks the ship lists of players gone.
    BattleProcessingState::Get().ClearBattleProcessing(false);
    Vorna3D::CDX9KelUtils::CheckMemory();
    ReleaseDirectors();
    Vorna3D::CDX9KelUtils::CheckMemory();
    DestroySceneTree();
    Vorna3D::CDX9KelUtils::CheckMemory();
    ResetClockAndLimits();
    m_dwEndTime = 0;
}

void CVR3GAMEBattleMap::ClearMap() {
    ReleaseMapEnvironment(&m_BaseMap);
    for (CVR3GAMEBattleMapPlayer* p : m_stdvPlayers)
        if (p) p->m_pDirector = nullptr;
    ReleaseDirectors();
    DestroySceneTree();
    ResetClockAndLimits();
}

void CVR3GAMEBattleMap::ActivateMapScene() {
    if (!m_pScene) return;
    m_pScene->SetActiveSceneTree(m_BaseMap.m_iSceneTreeIndex);
    CVR3GAMEMapBaseEnvironment* env = m_BaseMap.m_pEnvironment;
    Vorna3D::CDX9KelPhysicalManager* physics = Vorna3D::GetPhysicalManager(m_pScene);
    if (physics && env && env->m_pWater) physics->SetOcean(env->m_pWater);
    if (Vorna3D::CDX9KelBaseCameraManager* cameras = m_pScene->m_pCameraManager) {
        auto* camera = dynamic_cast<Vorna3D::CDX9KelGlobalCamera*>(cameras->m_pActiveCamera);
        if (!camera) return;
        ApplyBaseMapCamera(&m_BaseMap, camera);
        cameras->m_bChanged = true;
    }
    if (env) ActivateMapEnvironment(env, true);
}

void CVR3GAMEBattleMap::DeactivateEnvironment() {
    // Switched off: sky and water inactive, the sea sound stopped.
    ActivateMapEnvironment(m_BaseMap.m_pEnvironment, false);
}

bool CVR3GAMEBattleMap::AddBattleLogEntry(const char* category, int32_t kind, const char* subject,
                                          const char* message) {
    return CVR3GAMEBattleLog::Get().AddEntry(category, kind, subject, message);
}

bool CVR3GAMEBattleMap::RemoveLastBattleLogEntry() { return CVR3GAMEBattleLog::Get().RemoveLastEntry(); }

void CVR3GAMEBattleMap::ClearBattleLog() { CVR3GAMEBattleLog::Get().Clear(); }

} // namespace SeaBattle
