#pragma once
// A player director drives one battle-map player: it owns the per-player
// systems that move, animate and fire the player's ships, ticks them every
// frame, keeps the player's enemies and counts the player's losses at the
// end of a battle. The computer director adds a computer behaviour, the
// human director the battle HUD.
#include <cstdint>
#include <map>
#include "platform/os/WinTypes.h"
#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelScene;
class CDX9KelGameTimer;
class CDX9KelBaseCameraManager;
class CVR3CIIScreen;
class CDX9KelSGUIDialog;
class CDX9KelSGUIText;
class CDX9KelSGUIControlImage;
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlButtonCheck;
class CDX9KelSGUIControlRadioList;
class CDX9KelSGUIControlScrollBarHard;
class CDX9KelSGUIControlScrollCheckList;
class CDX9KelSceneObject;
class CVR3GUI3DDialog;
class CVR3GUI3DManager;
} // namespace Vorna3D
class TiXmlElement;

namespace SeaBattle {

class CVR3GAMEBattleMapPlayer;
class CVR3GAMEBattleMapMovementSystem;
class CVR3GAMEBattleMapAnimationSystem;
class CVR3GAMEComputerPlayerBaseBehaviour;
class CVR3GAMEComputerPlayerBehaviourOne;
class CVR3GAMEBattleMap;
class CVR3GAMEBattleMapArtillerySystem;
class CVR3GAMEBattleMapShip;
class CVR3GAMEBattleMapShipsColumn;

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
    // Pages of ship icons: one per column, for the player's first columns.
    static constexpr int kPages = 3;
    // Markers of a column: its leader and four followers.
    static constexpr int kMarkersPerColumn = 5;
    static constexpr int kLogFormats = 10;
    static constexpr DWORD kMousePickInterval = 300;
    static constexpr DWORD kMovementPanelInterval = 100;
    static constexpr DWORD kTimerInterval = 1000;
    static constexpr DWORD kLogShowTime = 10000;
    static constexpr DWORD kClickHold = 200;
    static constexpr DWORD kIconPressGate = 200;
    static constexpr DWORD kCloseGate = 300;
    static constexpr DWORD kHotKeyRepeat = 300;
    static constexpr DWORD kKeyRepeat = 100;
    // Time-speed items: normal, double, pause.
    static constexpr int kTimeNormal = 0, kTimeDouble = 1, kTimePause = 2;

    CVR3GAMEBattleMapPlayerDirectorHuman() { m_iKind = DIRECTOR_HUMAN; }
    ~CVR3GAMEBattleMapPlayerDirectorHuman() override;

    // The systems, the behaviour, then the HUD: mouse pick (every 300 ms),
    // click, RefreshHUD, selection upkeep and the camera follow.
    void Proc() override;
    void Release() override;
    // False without a behaviour; the behaviour's records are made for the
    // player's columns, then the battle starts on the map (InitBattleMap).
    bool InitBehaviour() override;
    // A new base behaviour becomes the current one; the result tells
    // whether it exists.
    bool CreateBehaviour();

    // ---- screen binding ----
    // Binds the battle screen's dialogs by their unique names and their
    // controls by name and kind. False for a null screen or one without
    // dialogs ("screen empty").
    bool SetMapScreen(Vorna3D::CVR3CIIScreen* pScreen);
    // Keeps the battle map, reads the map GUI file (markers, cursors, hot
    // keys) and looks up the unit texts and the battle-log formats.
    bool InitGUI(CVR3GAMEBattleMap* pMap, const std::string& guiFile);
    // Starts the battle for the human: controls reset, game speed 1.0, ship
    // icons, markers in the scene, the first ship selected.
    bool InitBattleMap();
    bool CreateShipsIcons();
    bool LoadDialogCompase(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogTimer(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogShipName(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogParamPage1(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogParamPage2(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogParamPage3(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogTime(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogArtillery(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogIconsPages(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogIconsPage1(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogIconsPage2(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogIconsPage3(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogShipsStates(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogMovement(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogPlayerShipPopUp(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogEnemyShipPopUp(Vorna3D::CDX9KelSGUIDialog* pDialog);
    bool LoadDialogMapLog(Vorna3D::CDX9KelSGUIDialog* pDialog);

    // ---- the frame's HUD steps ----
    // Mouse pick (every 300 ms of real time), click, RefreshHUD, selection
    // upkeep and the camera follow.
    void ProcHUD();
    void RefreshHUD();
    void UpdateCompass();
    void UpdateTimer();
    void UpdateTimeSpeed();
    void RefreshDamagedShip();
    void ProcMovementPanel();
    void ProcArtilleryFire();
    void ProcMapLog();
    void SetMovementPanel();
    void SetArtilleryFire();
    bool SetShipParams();
    bool ClearShipParams();
    void FillPlayerPopup(CVR3GAMEBattleMapShip* pShip);
    void FillEnemyPopup(CVR3GAMEBattleMapShip* pShip);

    // ---- map GUI: markers, selection, mouse and hot keys ----
    bool CreateMapGUI(const std::string& path);
    bool Create3DGUIPlayer(const TiXmlElement* pRoot);
    bool Create3DGUIEnemy(const TiXmlElement* pRoot);
    bool Set3DGUIInMapSceneTree();
    // Lets the markers go of the ships they follow and takes them out of the
    // map's scene tree (the ships go with the map); forgets the icons.
    // Shows the lock panel instead of the movement panel, saying why.
    void ShowMovementLock(bool returning);
    // Appends a ship's icon to a page list (resized to the list's items when
    // it is of another size); false, logged, when the list refuses it.
    bool AddIcon(Vorna3D::CDX9KelSGUIControlScrollCheckList* list, Vorna3D::CDX9KelSGUIControlButtonCheck* icon,
                 const std::string& ship);
    // Page, place, icons and markers of the selected ship read again from it.
    void KeepSelectionPlace(const CVR3GAMEBattleMapShip* ship);
    void ReleaseMapGUI();
    bool SelectShip(int32_t index, bool force);
    bool SelectByPage(int32_t page, int32_t position, bool force);
    bool SelectFirstShip();
    void ClearSelection();
    bool SetColumnSelection(CVR3GAMEBattleMapShip* pShip, CVR3GAMEBattleMapShipsColumn* pColumn, int32_t position);
    bool SetIconsPage(int32_t page, int32_t position);
    bool FillIconsList(Vorna3D::CDX9KelSGUIControlScrollCheckList* pList, CVR3GAMEBattleMapShipsColumn* pColumn);
    void CentreCamera(Vorna3D::CDX9KelSceneObject* pObject);
    void SetColumnMarkers(CVR3GAMEBattleMapShipsColumn* pColumn, int32_t position);
    void UpdateEnemyMarkers();
    void UpdateShipsStates(CVR3GAMEBattleMapShipsColumn* pColumn);
    void ClearShipsStates();
    void UpdatePageStates();
    void ProcIconsPages();
    void ProcHotKeys();
    void ProcMousePick();
    void ProcClick();
    void UpdateSelection();

    // ---- helpers with no state ----
    // The report of a log entry: the first "%s" of the format becomes the
    // subject, every other character is copied as it stands.
    static std::string ApplyReportFormat(const std::string& format, const std::string& subject);
    // "hh : mm" of the remaining minutes (never negative).
    static std::string FormatRemainingTime(int64_t remainingMinutes);
    // The ordered speed of speed item `item` of `count` items; 0 when the
    // list has fewer than two items or a speed it divides by is not above 0.
    static float SpeedForItem(int item, int count, float columnMaxSpeed, float shipMaxSpeed);
    // Where a popup of `w` x `h` opens at cursor (x, y) on a screen of
    // `screenW` x `screenH`.
    static POINT PlacePopup(LONG x, LONG y, LONG w, LONG h, LONG screenW, LONG screenH);

    // The selected ship when it is present and in a column, else null.
    CVR3GAMEBattleMapShip* GetSelectedShip() const;
    // The player's column shown on icons page `page`, or null.
    CVR3GAMEBattleMapShipsColumn* GetPageColumn(int32_t page) const;

    CVR3GAMEComputerPlayerBaseBehaviour* m_pCurrentBehaviour = nullptr;
    // The scene's camera manager, which the HUD steers.
    Vorna3D::CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    Vorna3D::CVR3CIIScreen* m_pMapScreen = nullptr;
    CVR3GAMEBattleMap* m_pBattleMap = nullptr;
    std::string m_strMapGUIFile;

    // Localised units and battle-log formats.
    std::string m_strTon, m_strKnot, m_strDegree, m_strInch;
    std::string m_strLogFormats[kLogFormats];

    // Bound dialogs and controls (not owned; null until bound).
    Vorna3D::CDX9KelSGUIDialog* m_pDialogMovementLock = nullptr;
    // The lock panel's text and why the panel shows: a follower takes its
    // orders from its leader (the text the screen gives), a returning column
    // steers itself back into the battle area.
    Vorna3D::CDX9KelSGUIText* m_pLockText = nullptr;
    std::string m_strLockFollower;
    std::string m_strLockReturning = "Returning to the battle area: the column steers itself.";
    Vorna3D::CDX9KelSGUIDialog* m_pDialogCompase = nullptr;
    Vorna3D::CDX9KelSGUIControlImage* m_pCompase = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogTimer = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pTimer = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogShipName = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pShipName = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogParamPage1 = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pCurrentSpeed = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pShipMaxSpeed = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pColumnMaxSpeed = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pDamage = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pFire = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pFlooding = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pHeel = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogParamPage2 = nullptr;
    // Right 1, right 2, left 1, left 2, bow, centre, stern.
    Vorna3D::CDX9KelSGUIText* m_pGunsCount[7] = {};
    Vorna3D::CDX9KelSGUIText* m_pGunsName[7] = {};
    Vorna3D::CDX9KelSGUIText* m_pShells = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogParamPage3 = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pDisplacement = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pArmour[3] = {};
    Vorna3D::CDX9KelSGUIControlImage* m_pCrew[3] = {};
    Vorna3D::CDX9KelSGUIDialog* m_pDialogTime = nullptr;
    Vorna3D::CDX9KelSGUIControlRadioList* m_pTimeSpeedCheck = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogArtillery = nullptr;
    Vorna3D::CDX9KelSGUIControlRadioList* m_pArtilleryFireCheck = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogIconsPages = nullptr;
    Vorna3D::CDX9KelSGUIControlRadioList* m_pIconsCheck = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogIconsPage[kPages] = {};
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pIcons[kPages] = {};
    Vorna3D::CDX9KelSGUIDialog* m_pDialogShipsStates = nullptr;
    std::vector<Vorna3D::CDX9KelSGUIControlImage*> m_stdvFloodLamps;
    std::vector<Vorna3D::CDX9KelSGUIControlImage*> m_stdvFireLamps;
    std::vector<Vorna3D::CDX9KelSGUIControlImage*> m_stdvLeavingLamps;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogMovement = nullptr;
    Vorna3D::CDX9KelSGUIControlRadioList* m_pMovSpeedCheck = nullptr;
    Vorna3D::CDX9KelSGUIControlScrollBarHard* m_pRuleBar = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogPlayerPopUp = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pPlayerPopUpName = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pPlayerPopUpDamage = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pPlayerPopUpSpeed = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogEnemyPopUp = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pEnemyPopUpName = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pEnemyPopUpDamage = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pEnemyPopUpSpeed = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pEnemyPopUpAccuracy = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogMapLog = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pLogPlayer = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pLogReport = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pLogClose = nullptr;

    // The icon button of each ship (made by CreateShipsIcons; the page
    // dialog owns it).
    std::map<const CVR3GAMEBattleMapShip*, Vorna3D::CDX9KelSGUIControlButtonCheck*> m_stdmIcons;

    // Selection: -1 = none.
    int32_t m_iSelectedShip = -1;
    int32_t m_iSelectedPage = -1;
    int32_t m_iSelectedPosition = -1;

    int32_t m_iLastTimeSpeedItem = kTimeNormal;
    int32_t m_iLastIconsPage = -1;
    int32_t m_iHoverPlayerShip = -1;
    int32_t m_iHoverEnemyShip = -1;
    CVR3GAMEBattleMapShip* m_pPopUpShip = nullptr;
    float m_fCompassAngle = 0.0f;

    DWORD m_dwMousePickInterval = kMousePickInterval;
    DWORD m_dwLastMousePick = 0;
    DWORD m_dwMovementPanelInterval = kMovementPanelInterval;
    DWORD m_dwLastMovementPanel = 0;
    DWORD m_dwTimerInterval = kTimerInterval;
    DWORD m_dwLastTimer = 0;
    bool m_bTimerStamped = false;
    DWORD m_dwLogShowTime = kLogShowTime;
    DWORD m_dwLogShownAt = 0;
    DWORD m_dwClickStamp = 0;

    bool m_bHUDActive = true;
    bool m_bCentreCamera = true;
    Vorna3D::CDX9KelSceneObject* m_pCentreObject = nullptr;
    bool m_bPlayerLost = false;
    // Set when the HUD has shown the battle's end: the game flow takes the
    // player from the battle to its results.
    bool m_bLeaveBattle = false;

    int m_iCursorMain = -1, m_iCursorPlayer = -1, m_iCursorEnemy = -1;
    int m_iHotKeyGroup[kPages] = {-1, -1, -1};

    // 3D markers (owned by the 3D GUI manager), in column-position order.
    std::vector<Vorna3D::CVR3GUI3DDialog*> m_stdvPlayerActiveMarkers;
    std::vector<Vorna3D::CVR3GUI3DDialog*> m_stdvPlayerPassiveMarkers;
    std::vector<Vorna3D::CVR3GUI3DDialog*> m_stdvEnemyMarkers[kPages];

    std::string m_strWork;

private:
    // The interval gate of the whole HUD (shared like the engine's).
    bool HUDGate(DWORD interval);
    void SelectAndShow(int32_t index, CVR3GAMEBattleMapShip* pShip);
    void ReselectAfterLoss(bool& none);
    void RefillPageLists();
    void LeaveBattle();
    Vorna3D::CVR3GUI3DManager* Get3DGUIManager() const;
};

} // namespace SeaBattle
