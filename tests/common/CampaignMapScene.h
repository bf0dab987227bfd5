#pragma once
// A campaign scene that holds a game map the way the campaign's game scene
// does: the game camera manager (a global camera), the screen "map.xml"
// loaded from the campaign's screen folder and bound to the map, the
// all-maps graphic data and the artillery read, and then one map loaded.
// The test programs and the campaignsim driver share it; the managers'
// slots (GUI, screens, physics, particles, sound) are the caller's to
// register before Init.
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/shell/CEngine.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <string>

namespace VornaTest {

class CampaignMapScene : public Vorna2::CDX9KelScene {
public:
    // The game's camera manager: its first camera is a global camera.
    bool InitBaseCameraManager() override {
        if (!m_pCameraManager) {
            auto* cameras = new Vorna2::CDX9KelCameraManager();
            cameras->Init(GetRenderWidth(), GetRenderHeight(), GetWindowHandle());
            m_pCameraManager = cameras;
        }
        return true;
    }

    // The managers, then the map screen, the shared graphic data and the
    // map (when a name is set). False when any of them fails.
    bool Init() override {
        if (!Vorna2::CDX9KelScene::Init()) return false;
        m_map.SetScene(this);
        // The computer player the game scene hands to its map.
        m_map.SetComputerPlayer(&VornaCampaign::g_AISystem);
        m_screenBound = BindMapScreen();
        m_graphicData = m_map.LoadAllMapsGraphicData();
        VornaCampaign::g_BattleSystem.InitArtillery();
        if (!m_map.SetPlayerSide(m_playerSide)) return false;
        if (m_mapName.empty()) return true;
        m_loaded = m_map.LoadMap(m_mapName.c_str());
        return m_loaded || !m_mustLoad;
    }

    // The shown sea routes are drawn over the scene, as the game scene
    // draws them.
    void RenderOverlay() override {
        VornaCampaign::g_SeaPathGenerator.Render(m_pRenderSystem, GetD3DDevice(), 1.0f);
    }

    void Release() override {
        m_map.Release();
        m_map.ForgetGraphicData();
        Vorna2::CDX9KelScene::Release();
    }

    // Loads "map.xml" as a screen of its own, makes it the active screen and
    // binds the map to it.
    bool BindMapScreen() {
        Vorna2::CDX9KelCIIScreenManager* screens = Vorna2::GetScreenManager(this);
        if (!screens) return false;
        screens->m_strScreenFolder = m_screenFolder;
        if (screens->m_Fonts.empty() && !screens->LoadDefaults()) return false;
        int id = screens->FindScreenId("map.xml");
        if (id < 0) {
            id = screens->AddScreen("map.xml");
            Vorna2::CDX9KelCIIScreen* screen = screens->GetScreenById(id);
            if (!screen || !screen->LoadFromXML(screens)) return false;
        }
        screens->SetActiveScreen(id);
        return m_map.SetMapScreen(screens->GetScreenById(id));
    }

    VornaCampaign::CDX9KelGameMap m_map;
    std::string m_mapName;
    std::string m_screenFolder = VornaCampaign::CEngine::kScreenFolder;
    int m_playerSide = 1;
    // False: Init succeeds also when the map does not load (tests of the
    // failures).
    bool m_mustLoad = true;
    bool m_screenBound = false;
    bool m_graphicData = false;
    bool m_loaded = false;
};

} // namespace VornaTest
