#pragma once
// A player director drives one battle-map player: it owns the per-player
// systems that move, animate and fire the player's ships, ticks them every
// frame, keeps the player's enemies and counts the player's losses at the
// end of a battle. The computer director adds a computer behaviour, the
// human director the battle HUD.
#include <cstdint>
#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelScene;
class CDX9KelGameTimer;
class CDX9KelBaseCameraManager;
class CVR3CIIScreen;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapPlayer;
class CVR3GAMEBattleMapMovementSystem;
class CVR3GAMEBattleMapAnimationSystem;
class CVR3GAMEComputerPlayerBaseBehaviour;
class CVR3GAMEComputerPlayerBehaviourOne;
class CVR3GAMEBattleMap;
class CVR3GAMEBattleMapArtillerySystem;

enum EDirectorKind : int32_t { DIRECTOR_HUMAN = -1, DIRECTOR_COMPUTER = 1 };

class CVR3GAMEBattleMapPlayerDirector {
public:
    static constexpr uint32_t kMaxShipLevels = 100;

    CVR3GAMEBattleMapPlayerDirector() = default;
    virtual ~CVR3GAMEBattleMapPlayerDirector();
    CVR3GAMEBattleMapPlayerDirector(const CVR3GAMEBattleMapPlayerDirector&) = delete;
    CVR3GAMEBattleMapPlayerDirector& operator=(const CVR3GAMEBattleMapPlayerDirector&) = delete;

    // Per frame: the movement, artillery and animation systems.
    virtual void Proc();
    // Frees the systems and unlinks the player.
    virtual void Release();
    // Sets up the behaviour once the whole map is ready; the base has none.
    virtual bool InitBehaviour() { return true; }
    // Counts the player's survivors and losses after a battle (n is the
    // number of ship levels, 1-100).
    virtual bool PrepareDataForHarbour(uint32_t n);

    // Creates the systems, links the player both ways and forms its columns
    // from the ships' start positions when it has none. The player's name and
    // ships are registered with the battle resolution (again, for a later
    // battle of the same player), and its ships' damage clocks start afresh.
    // False (nothing kept) for a null scene, a null player or a player that
    // already has a director.
    bool Init(Vorna3D::CDX9KelScene* pScene, CVR3GAMEBattleMapPlayer* pPlayer, int32_t sceneTreeIndex,
              Vorna3D::CDX9KelGameTimer* pTimer);
    bool SetEmeny(CVR3GAMEBattleMapPlayer* pPlayer);

    bool IsHuman() const { return m_iKind == DIRECTOR_HUMAN; }

    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    Vorna3D::CDX9KelGameTimer* m_pGameTimer = nullptr;
    int32_t m_iKind = DIRECTOR_COMPUTER;
    bool m_bFinished = false;
    CVR3GAMEBattleMapPlayer* m_pPlayer = nullptr;
    std::vector<CVR3GAMEBattleMapPlayer*> m_stdvEnemies;
    CVR3GAMEBattleMapMovementSystem* m_pMovementSystem = nullptr;
    CVR3GAMEBattleMapAnimationSystem* m_pAnimationSystem = nullptr;
    CVR3GAMEBattleMapArtillerySystem* m_pArtillerySystem = nullptr;
};

class CVR3GAMEBattleMapPlayerDirectorComputer : public CVR3GAMEBattleMapPlayerDirector {
public:
    CVR3GAMEBattleMapPlayerDirectorComputer() { m_iKind = DIRECTOR_COMPUTER; }
    ~CVR3GAMEBattleMapPlayerDirectorComputer() override;

    // The systems, then the behaviour.
    void Proc() override;
    // Also releases and deletes the behaviour.
    void Release() override;
    // False without a behaviour; the standard behaviour is set up for the
    // player and its enemy.
    bool InitBehaviour() override;
    // A new standard behaviour (kind 1) replaces any earlier one; false when
    // it cannot be made.
    bool CreateBehaviour();

    CVR3GAMEComputerPlayerBehaviourOne* m_pBehaviour = nullptr;
};

class CVR3GAMEBattleMapPlayerDirectorHuman : public CVR3GAMEBattleMapPlayerDirector {
public:
    CVR3GAMEBattleMapPlayerDirectorHuman() { m_iKind = DIRECTOR_HUMAN; }
    ~CVR3GAMEBattleMapPlayerDirectorHuman() override;

    // The systems, then the behaviour (the battle HUD adds its steps).
    void Proc() override;
    void Release() override;
    // False without a behaviour; the behaviour's records are made for the
    // player's columns, then the battle starts on the map (InitBattleMap).
    bool InitBehaviour() override;
    // A new base behaviour becomes the current one; the result tells
    // whether it exists.
    bool CreateBehaviour();
    // Keeps the battle screen the HUD is bound to. False for a null screen;
    // a screen with no dialogs is logged and refused.
    bool SetMapScreen(Vorna3D::CVR3CIIScreen* pScreen);
    // Keeps the battle map and the map GUI file. False for a null map.
    bool InitGUI(CVR3GAMEBattleMap* pMap, const std::string& guiFile);
    // Starts the battle for the human: false without a map; the game speed
    // becomes 1.0.
    bool InitBattleMap();

    CVR3GAMEComputerPlayerBaseBehaviour* m_pCurrentBehaviour = nullptr;
    // The scene's camera manager, which the HUD steers.
    Vorna3D::CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    Vorna3D::CVR3CIIScreen* m_pMapScreen = nullptr;
    CVR3GAMEBattleMap* m_pBattleMap = nullptr;
    std::string m_strMapGUIFile;
};

} // namespace SeaBattle
