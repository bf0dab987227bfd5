#include "campaign/shell/CScene.h"

#include "campaign/shell/CCIIModuleManager.h"
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/shell/CDX9KelGameScenario.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"

#include <new>

namespace VornaCampaign {

using Vorna2::g_Log;

namespace {

// DirectInput codes of the developer keys.
constexpr BYTE kKeyF1 = 0x3B;
constexpr BYTE kKeyF2 = 0x3C;
constexpr BYTE kKeyF3 = 0x3D;

} // namespace

CScene::CScene() {
    m_bShowStatistics = false;
    m_bDrawSceneTreeDebug = false;
    m_bDrawSceneTree = true;
    m_bDrawGUI = true;
    m_bDeveloperKeys = false;
    m_bGUIInput = true;
}

CScene::~CScene() {
    delete m_pGameMap;
    delete m_pCIIModuleManager;
}

bool CScene::InitBaseCameraManager() {
    g_Log.Write(Vorna2::LOG_INFO, "CDX9KelScene::InitCameraManager(): ");
    if (m_pCameraManager) return false;
    auto* cameras = new (std::nothrow) Vorna2::CDX9KelCameraManager();
    if (!cameras) return false;
    m_pCameraManager = cameras;
    cameras->Init(GetRenderWidth(), GetRenderHeight(), GetWindowHandle());
    g_Log.Write(Vorna2::LOG_CONTINUE, "OK\n");
    return true;
}

bool CScene::Init() {
    if (!Vorna2::CDX9KelScene::Init()) return false;
    g_Log.Write(7, "%s", "CScene::Init() : Begin\n");
    SetCurrentCursor(AddCursorFromFile(kCursorFile));

    m_pCIIModuleManager = new (std::nothrow) CCIIModuleManager();
    if (!m_pCIIModuleManager) {
        g_Log.Write(10, "%s", "CScene::Init() : m_pCIIModuleManager == NULL\n");
        return false;
    }
    Vorna2::CDX9KelCIIScreenManager* screens = Vorna2::GetScreenManager(this);
    if (screens) {
        screens->m_pModules = m_pCIIModuleManager;
        screens->LoadScreens();
    }

    g_Log.Write(7, "%s", "CScene::Init() : Set game data\n");
    g_BattleSystem.InitArtillery();
    m_pGameMap = new (std::nothrow) CDX9KelGameMap();
    if (!m_pGameMap) {
        g_Log.Write(10, "%s", "CScene::Init() : m_pGameMap == NULL\n");
        return false;
    }
    m_MapLink.SetMap(m_pGameMap);
    g_Log.Write(7, "%s", "CDX9KelGameMap::SetScene\n");
    m_pGameMap->SetScene(this);
    g_Log.Write(7, "%s", "CDX9KelAISystem::SetGameMap\n");
    g_AISystem.SetGameMap(m_pGameMap);
    g_AISystem.SetColumnMovement(&g_ColumnMovement);
    m_pGameMap->SetComputerPlayer(&g_AISystem);
    g_GameSaver.SetSaveObjects(&m_MapLink);
    g_GameSaver.SetScenario(&g_GameScenario);
    g_GameScenario.SetGameMap(&m_MapLink);
    g_GameScenario.SetGameSaver(&g_GameSaver);
    ConnectGameMap();
    if (screens) g_GameScenario.SetScenarioScreen(screens->GetScreen("scenario.xml"), screens);
    if (Vorna2::GetPhysicalManager(this)) {
        // Routes are planned around what the physical manager holds.
        g_Log.Write(7, "%s", "CDX9KelSeaPathFinder::SetPhysicalManager\n");
        g_AISystem.SetObstacles(m_pGameMap->GetObstacleQuery(), &g_SeaPathGenerator);
    }
    m_pGameMap->LoadAllMapsGraphicData();
    if (screens && m_pGameMap->SetMapScreen(screens->GetScreen("map.xml")))
        g_Log.Write(7, "%s", "CScene::Init() : End\n");
    else
        g_Log.Write(-1, "%s", "Error : m_pGameMap->SetMapScreen == false\n");
    return true;
}

void CScene::ConnectGameMap() {
    // Units lost on earlier maps of the scenario are not built again.
    m_pGameMap->SetLostUnitLists(&g_GameScenario.m_stdvLostPlayerUnits, &g_GameScenario.m_stdvLostAIUnits);
    // Every map that loads leaves its system save, the restart point of a
    // failed mission.
    m_pGameMap->SetSystemSaveWriter([](CDX9KelGameMap&) { return g_GameSaver.WriteSave("last_map", true); });
    // Autosaves and the player's saves.
    m_pGameMap->m_SaveWriter = [](const std::string& name, bool system) {
        return g_GameSaver.WriteSave(name.c_str(), system);
    };
    m_pGameMap->m_SaveLister = [] {
        g_GameSaver.UpdateSaveList();
        return g_GameSaver.GetSaveNames();
    };
    m_pGameMap->m_SaveHeaderReader = [](const std::string& name, GameSaveHeader* header) {
        g_GameSaver.ReadSaveHeader(name.c_str(), header, false);
    };
    // A won map leads to the scenario's next map or its score screen.
    m_pGameMap->m_NextMap = [](const char* mapName) { return g_GameScenario.ProcNextMap(mapName); };
    // A failed mission starts again from the map's system save.
    m_pGameMap->m_ReloadSystemSave = [] {
        GameSaveHeader header;
        g_GameSaver.ReadSaveHeader("last_map", &header, true);
        return header.m_iTurn != -1 &&
               g_GameScenario.LoadSavedGame(header.m_szScenarioFile, header.m_szMapName, "last_map", true);
    };
    // Losses count for the scores; lost ships stay lost on later maps.
    m_pGameMap->m_OnUnitLost = [](bool player, int damage, const std::string& name) {
        const std::uint32_t value = damage > 0 ? static_cast<std::uint32_t>(damage) : 0u;
        if (player) {
            g_GameScenario.m_uPlayerLossCounter += value;
            g_GameScenario.AddLostPlayerUnit(name.c_str());
        } else {
            g_GameScenario.m_uAILossCounter += value;
            g_GameScenario.AddLostAIUnit(name.c_str());
        }
    };
    m_pGameMap->m_OnMapLosses = [](int playerLoss, int aiLoss) {
        g_GameScenario.m_uPlayerLossCounter += playerLoss > 0 ? static_cast<std::uint32_t>(playerLoss) : 0u;
        g_GameScenario.m_uAILossCounter += aiLoss > 0 ? static_cast<std::uint32_t>(aiLoss) : 0u;
    };
}

bool CScene::Restore() { return Vorna2::CDX9KelScene::Restore(); }

void CScene::Process() {
    g_GameScenario.ProcLoading();
    // The frame that loaded a save moves nothing on. A save holds the world
    // as a frame left it, the state that frame was drawn from; the loaded
    // game shows that state first and goes on with the next frame's steps,
    // as the game that was saved did. Running the steps below on the frame
    // that loaded would move the world one frame on before it is ever shown
    // and put every later frame one step ahead of the saved game's.
    if (g_GameScenario.m_bSaveLoaded) {
        g_GameScenario.m_bSaveLoaded = false;
        return;
    }
    // Column movement waits while the physical manager holds contacts for
    // the game to resolve.
    Vorna2::CDX9KelPhysicalManager* physics = Vorna2::GetPhysicalManager(this);
    const float frameTime = Vorna2::g_FPSCounter.GetFrameTime();
    if (!physics || !physics->HasContacts()) g_ColumnMovement.Update(frameTime);
    g_BattleSystem.ProcBombardment();
    g_BattleSystem.ProcAttackTurn(frameTime);
    g_BattleSystem.ProcRoundResult();
    if (m_pGameMap) m_pGameMap->Proc();
    if (m_pCIIModuleManager) m_pCIIModuleManager->Proc();
    // The GUI's slot copies the frame's input into the GUI manager before
    // its update, in the base step.
    Vorna2::CDX9KelScene::Process();
    if (m_bDeveloperKeys) ProcDeveloperKeys();
}

void CScene::ProcDeveloperKeys() {
    const Vorna2::CDX9Kelinput& input = Vorna2::g_Input;
    const DWORD now = timeGetTime();
    if (m_dwKeyStamp != 0) {
        if (now - m_dwKeyStamp > m_dwKeyGap) m_dwKeyStamp = 0;
        return;
    }
    auto press = [&](DWORD gap) {
        m_dwKeyStamp = now ? now : 1;
        m_dwKeyGap = gap;
    };
    if (input.IsKeyDown(kKeyF1)) {
        if (m_pRender) m_pRender->SetWireframe(true);
        press(kFillModeGapMs);
    } else if (input.IsKeyDown(kKeyF2)) {
        if (m_pRender) m_pRender->SetWireframe(false);
        press(kFillModeGapMs);
    } else if (input.IsKeyDown(kKeyF3)) {
        m_bShowStatistics = !m_bShowStatistics;
        press(kStatisticsGapMs);
    }
}

// Between the scene tree and the particles: the markers of the shown sea
// routes.
void CScene::RenderOverlay() {
    g_SeaPathGenerator.Render(m_pRenderSystem, GetD3DDevice(), Vorna2::g_FPSCounter.GetFrameTime());
}

void CScene::Release() {
    if (m_pGameMap) {
        m_pGameMap->Release();
        g_AISystem.SetGameMap(nullptr);
        g_GameSaver.SetSaveObjects(nullptr);
        g_GameScenario.SetGameMap(nullptr);
        m_MapLink.SetMap(nullptr);
        delete m_pGameMap;
        m_pGameMap = nullptr;
    }
    if (m_pCIIModuleManager) {
        m_pCIIModuleManager->Release();
        if (Vorna2::CDX9KelCIIScreenManager* screens = Vorna2::GetScreenManager(this)) screens->m_pModules = nullptr;
        delete m_pCIIModuleManager;
        m_pCIIModuleManager = nullptr;
    }
    Vorna2::CDX9KelScene::Release();
}

} // namespace VornaCampaign
