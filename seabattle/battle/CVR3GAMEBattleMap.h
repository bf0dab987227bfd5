#pragma once
// The battlefield of the battle program, made once at start-up and filled,
// emptied and filled again by the scenario and duel files. It owns the two
// players of the battle and the directors that drive them, keeps a battle
// clock that runs at the chosen game speed (0 pauses it), enforces the
// battle's time limit with three warnings and time-up, makes rotating
// autosaves on real time, and is ticked once per frame by the game scene
// while its battle screen is set and active.
#include "engine3/core/CDX9KelGameTimer.h"
#include "platform/math/d3dx9math.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelScene;
class CVR3CIIScreen;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapPlayer;
class CVR3GAMEBattleMapPlayerDirector;
class CVR3GAMEManager;

// What an autosave attempt came to.
enum EAutoSaveResult { AUTOSAVE_NOTHING_RUNNING = -1, AUTOSAVE_FAILED = 0, AUTOSAVE_DONE = 1 };

class CVR3GAMEBattleMap {
public:
    static constexpr uint32_t kMaxPlayers = 2;
    static constexpr DWORD kAutoSaveInterval = 480000;
    static constexpr DWORD kTimeLimitCheck = 60000;
    static constexpr uint32_t kAutoSaveSlots = 5;
    static constexpr float kMaxTimeSpeed = 2.0f;

    CVR3GAMEBattleMap();
    ~CVR3GAMEBattleMap();
    CVR3GAMEBattleMap(const CVR3GAMEBattleMap&) = delete;
    CVR3GAMEBattleMap& operator=(const CVR3GAMEBattleMap&) = delete;

    // Keeps the scene, switches the log's debug channels 0-2 from "engine.ini"
    // [Game], registers the battle clock with the battle resolution and
    // looks up the localised texts. False only for a null scene.
    bool Init(Vorna3D::CDX9KelScene* pScene);
    // The per-frame tick: nothing unless the battle screen is set and
    // active, or once the battle is over.
    void UpdateBattle();
    // 0 to 2.0; 0 stops the battle clock, pauses physics, particles and 3D
    // sounds. False (nothing changes) outside that range or without a scene.
    bool SetTimeSpeed(float speed);
    bool InitDirectorsBehaviours();
    bool PrepareDataForHarbour(uint32_t n);

    CVR3GAMEBattleMapPlayer* CreatePlayer(const std::string* name);
    bool AddPlayer(CVR3GAMEBattleMapPlayer* pPlayer);
    CVR3GAMEBattleMapPlayer* GetPlayer(const std::string* name) const;
    CVR3GAMEBattleMapPlayerDirector* CreateHuman(const std::string* playerName);
    CVR3GAMEBattleMapPlayerDirector* CreateComputer(const std::string* playerName);
    CVR3GAMEBattleMapPlayerDirector* GetPlayerDirector(const std::string* playerName) const;
    bool SetPlayerDirectorEnemy(CVR3GAMEBattleMapPlayerDirector* pDirector, const std::string* enemyName);

    void Clear();
    void ClearMap();
    void ActivateMapScene();
    void DeactivateEnvironment();
    void CheckTimeLimit();
    void AutoSave();

    // Battle log.
    bool AddBattleLogEntry(const char* category, int32_t kind, const char* subject, const char* message);
    bool RemoveLastBattleLogEntry();
    void ClearBattleLog();

    // Starts the battle clock at the current time (the game manager does it
    // when the map and its directors are ready).
    void StartGameTimer() { m_GameTimer.Start(); }
    // Device loss stops the battle clock; the restore runs it on from now,
    // so the lost time is skipped.
    void OnLost() { m_GameTimer.m_dwRunning = 0; }
    void Restore() { m_GameTimer.Start(); }

    // True once time is up (stage 4). A battle without a human director ends
    // there: the map stops ticking it and reports it over.
    bool IsTimeUp() const { return m_iTimeLimitStage >= 4; }
    bool IsBattleOver() const { return m_bBattleOver; }
    // The game goes on from the battle (to its results): the battle is over
    // as it stands, the map stops ticking it, and it is left once, until the
    // next map is set up.
    void LeaveBattle() {
        m_bBattleOver = true;
        m_bLeft = true;
    }
    bool IsLeft() const { return m_bLeft; }
    // The end of the scenario: the real time it ended, kept for what shows
    // it; 0 while it has not ended.
    void StampEndTime();
    DWORD GetEndTime() const { return m_dwEndTime; }
    // The player whose loss of all ships ended a battle without a human
    // director; empty when none did.
    const std::string& GetLostSide() const { return m_strLostSide; }
    bool HasHumanDirector() const;

    // The game manager whose running scenario or duel the autosaves save;
    // without one an autosave saves nothing.
    void SetGameManager(CVR3GAMEManager* pManager) { m_pGameManager = pManager; }
    Vorna3D::CDX9KelScene* GetScene() const { return m_pScene; }
    Vorna3D::CDX9KelGameTimer* GetGameTimer() { return &m_GameTimer; }
    const std::vector<CVR3GAMEBattleMapPlayer*>& GetPlayers() const { return m_stdvPlayers; }
    const std::vector<CVR3GAMEBattleMapPlayerDirector*>& GetDirectors() const { return m_stdvDirectors; }

    CVR3GAMEBaseMap m_BaseMap;
    Vorna3D::CDX9KelGameTimer m_GameTimer;
    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    Vorna3D::CVR3CIIScreen* m_pBattleScreen = nullptr;
    D3DXVECTOR3 m_vMinActiveBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMaxActiveBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMinBattleBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMaxBattleBorders{0.0f, 0.0f, 0.0f};
    // Minutes; any negative value is no limit.
    int32_t m_iTimeLimit = -1;
    DWORD m_dwLastTimeLimitCheck = 0;
    int32_t m_iTimeLimitStage = 0;
    std::string m_strTimeLimitTexts[4];
    uint32_t m_uAutoSaveNumber = 0;
    DWORD m_dwLastAutoSave = 0;
    DWORD m_dwAutoSaveInterval = kAutoSaveInterval;
    std::string m_strAutoSaveText;
    uint32_t m_uMaxPlayers = kMaxPlayers;
    // Counted by nothing yet: whether to limit the human directors is open.
    uint32_t m_uHumanDirectors = 0;
    uint32_t m_uMaxHumanDirectors = 1;

private:
    CVR3GAMEBattleMapPlayerDirector* AddDirector(CVR3GAMEBattleMapPlayerDirector* pDirector,
                                                 const std::string* playerName, const char* who);
    void ReleaseDirectors();
    void DestroySceneTree();
    void ResetClockAndLimits();

    std::vector<CVR3GAMEBattleMapPlayer*> m_stdvPlayers;
    std::vector<CVR3GAMEBattleMapPlayerDirector*> m_stdvDirectors;
    CVR3GAMEManager* m_pGameManager = nullptr;
    DWORD m_dwEndTime = 0;
    bool m_bBattleOver = false;
    bool m_bLeft = false;
    // Log entries already looked at for a side's loss, and the side.
    std::size_t m_uLogChecked = 0;
    std::string m_strLostSide;

    // Looks at the log entries added since the last look for a side that
    // has lost all its ships.
    bool SideLostLogged();
};

} // namespace SeaBattle
