#pragma once
// The campaign's game scene: the engine scene with the screen-module
// manager and the campaign map. At start-up it loads the screens with their
// modules and binds the map, the computer opponent, the saver, the scenario
// and the route finder to each other and to their screens; each frame it
// drives the scenario's loading, the column movement, the battle system, the
// map and the modules before the engine's own update; it draws the planned
// routes; and it lets the game objects go before the engine managers.
#include "campaign/shell/GameMapSaveLink.h"
#include "engine2/core/CDX9KelScene.h"

#include <memory>

namespace VornaCampaign {

class CDX9KelGameMap;
class CCIIModuleManager;

class CScene : public Vorna2::CDX9KelScene {
public:
    // The developer keys' repeat gaps.
    static constexpr DWORD kFillModeGapMs = 200;
    static constexpr DWORD kStatisticsGapMs = 300;
    // The campaign's mouse cursor, beside the program.
    static constexpr const char* kCursorFile = "UI\\Default.cur";

    CScene();
    ~CScene() override;

    // The game's camera manager, whose first camera is the global camera.
    bool InitBaseCameraManager() override;
    void RenderOverlay() override;
    bool Init() override;
    bool Restore() override;
    void Process() override;
    void Release() override;

    CDX9KelGameMap* m_pGameMap = nullptr;
    CCIIModuleManager* m_pCIIModuleManager = nullptr;
    // The map as the saver and the scenario reach it.
    GameMapSaveLink m_MapLink;

private:
    void ProcDeveloperKeys();
    // Connects the map's hand-overs to the saver and the scenario.
    void ConnectGameMap();

    DWORD m_dwKeyStamp = 0;
    DWORD m_dwKeyGap = 0;
};

} // namespace VornaCampaign
