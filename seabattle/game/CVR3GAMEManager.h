#pragma once
// The game flow of the battle program: one object for the whole run that
// owns the battle map, the harbour map, the scenario record and the game IO.
// The screen modules, the harbour directors and the battle HUD call its
// transitions; a transition that loads data shows its loading screen and
// records a pending state, which ProcState carries out on a later frame of
// the main thread.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelScene;
}

namespace SeaBattle {

class CVR3GAMEBattleMap;
class CVR3GAMEHarbourMap;
class CVR3GAMEScenario;
class CVR3GAMEDuel;
class CVR3GAMEIO;

class CVR3GAMEManager {
public:
    // The pending states; the upper-case names are those of the log lines.
    enum EState : int32_t {
        STATE_NONE = 0,
        BEGIN_SCENARIO = 1,
        LOAD_SCENARIO = 2,
        LOAD_BATTLE_MAP = 3,
        LOAD_HARBOUR_MAP = 4,
        LOAD_NEXT_HARBOUR_MAP = 5,
        BEGIN_DUEL = 6,
        DUEL_TO_BATTLE = 7,
        LOAD_DUEL = 8,
    };

    CVR3GAMEManager();
    ~CVR3GAMEManager();
    CVR3GAMEManager(const CVR3GAMEManager&) = delete;
    CVR3GAMEManager& operator=(const CVR3GAMEManager&) = delete;

    // The program's one manager.
    static CVR3GAMEManager& Get();

    // Creates the battle map, the harbour map, the scenario record and the
    // game IO for the scene; the IO reads "folders.ini" beside the program.
    // False for a null scene or when a map refuses.
    bool Init(Vorna3D::CDX9KelScene* pScene);
    // As Init, with the IO's configuration file and folders given.
    bool InitWithFolders(Vorna3D::CDX9KelScene* pScene, const std::string& iniPath, const std::string& programFolder,
                         const std::string& userFolder);
    // Clears and deletes every game object.
    void Release();
    // The game scene's per-frame hook, in this order: the pending
    // transition, the battle map's tick (after which a battle that is over
    // goes on to its results), the harbour map's step.
    void ProcFrame();
    void OnLost();
    void Restore();

    // Starts the battle on the battle map: the named screen becomes the
    // map's battle screen and the current screen, the game speed 1.0 and the
    // battle clock starts from now. False when the screen is not loaded.
    bool StartBattle(const char* battleScreenName);

    // Once a map is up: the sound sources its ships and scenery made reach
    // the sound thread (they play there and are freed there), and every
    // source plays.
    void StartMapSounds();
    // Turns the scene camera's following of the player's input on or off.
    void SetCameraControl(bool bOn);
    // When the human player's battle HUD says the battle is over for them
    // (or, in a battle the computer fights on both sides, when the map says
    // it is over): the battle stops and, in a running scenario or duel, goes
    // on to its results. Once per battle; the scene's frame calls it after
    // the battle's tick.
    void CheckLeaveBattle();

    // ---- the scenario's transitions ----
    bool BeginScenarioFromFile(const std::string& fileName);
    bool ScenarioFromHarbourToBattle();
    bool ScenarioFromBattleToMissionResults();
    bool ScenarioFromBattleToHarbour();
    bool ScenarioFromHarbourToNextHarbour();
    bool ScenarioEnd();
    // Writes the running scenario (only while one runs) under the name.
    bool ScenarioSave(const std::string& name);
    // Reads and checks the whole save; only then does the running game give
    // way, the loading screen of the saved phase shows and the rest of the
    // load follows on a later frame. A refused save leaves the game as it
    // was.
    bool ScenarioLoad(const std::string& name);

    // ---- the duel's transitions ----
    // Keeps the duel file for the next frames and shows the loading screen.
    bool BeginDuelFromFile(const std::string& fileName, const std::string& loadingScreen);
    // The duel menu's confirmation: the chosen artillery list becomes the
    // game's and the battle is built on a later frame.
    bool DuelToBattle(const std::string& loadingScreen, const std::string& artilleryList);
    bool DuelFromBattleToResults();
    bool DuelEnd();
    // Writes the running duel battle (only while a duel runs) under the name.
    bool DuelSave(const std::string& name);
    // As ScenarioLoad, for a duel save.
    bool DuelLoad(const std::string& name);
    // Carries out the pending transition, at the earliest on the first frame
    // more than 10 ms after the one that first saw it.
    void ProcState();

    // True while a scenario file is loaded.
    bool IsScenarioRunning() const;
    // True while a duel file is loaded.
    bool IsDuelRunning() const;

    CVR3GAMEBattleMap* GetBattleMap() const { return m_pBattleMap.get(); }
    CVR3GAMEHarbourMap* GetHarbourMap() const { return m_pHarbourMap.get(); }
    CVR3GAMEScenario* GetScenario() const { return m_pScenario.get(); }
    CVR3GAMEIO* GetGameIO() const { return m_pGameIO.get(); }
    CVR3GAMEDuel* GetDuel() const { return m_pDuel.get(); }
    Vorna3D::CDX9KelScene* GetScene() const { return m_pScene; }
    int32_t GetPendingState() const { return m_iState; }
    // Saves asked for by name, the last one; for the drivers' report.
    const std::string& GetLastSaveAsked() const { return m_strLastSaveAsked; }

private:
    bool ShowScreen(const std::string* name) const;
    void ProcBeginScenario();
    void ProcLoadBattleMap();
    void ProcLoadHarbourMap();
    void ProcLoadNextHarbourMap();
    void ProcLoadScenario();
    void ProcBeginDuel();
    void ProcDuelToBattle();
    void ProcLoadDuel();

    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    std::unique_ptr<CVR3GAMEBattleMap> m_pBattleMap;
    std::unique_ptr<CVR3GAMEHarbourMap> m_pHarbourMap;
    std::unique_ptr<CVR3GAMEScenario> m_pScenario;
    std::unique_ptr<CVR3GAMEDuel> m_pDuel;
    std::unique_ptr<CVR3GAMEIO> m_pGameIO;
    int32_t m_iState = STATE_NONE;
    DWORD m_dwWaitStamp = 0;
    bool m_bWaitStamped = false;
    std::string m_strLastSaveAsked;
    std::string m_strDuelFile;
};

} // namespace SeaBattle
