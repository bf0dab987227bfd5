#pragma once
// The campaign's game map: the loaded map with its scenery, its units in
// per-side lists, its columns, the water and the sky, the unit icons and the
// global-map picture. One object for the program, made by the game scene; it
// loads a map from its binary file (or rebuilds one from a save), answers
// which side and which list entry a scene object belongs to, and lets
// everything go again in Release.
//
// Per playing side the scene-object, game-object and animated-model lists
// are parallel: entry i of each is the same unit. A unit whose ".amd" file
// is missing keeps a null animated model so the lists stay parallel. A
// unit's column is kept in its game object, so reordering or shrinking the
// lists never separates a ship from its column. The objects of no side
// (mines) have a scene-object and a game-object list.
//
// The map's operations are spread over several files by theme:
// CDX9KelGameMap.cpp (construction, lookups, side views, the route finder's
// obstacle query, Release), CDX9KelGameMapLoad.cpp (loading and the view),
// CDX9KelGameMapScreen.cpp (icons, global map and the map screen's binding),
// CDX9KelGameMapData.cpp (map parameters and the all-maps graphic data).
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelMapParameters.h"
#include "campaign/map/CDX9KelMapScreen.h"
#include "campaign/map/IComputerPlayer.h"
#include "campaign/routes/CDX9KelPhysicsObstacles.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "campaign/data/CampaignRecords.h"
#include "campaign/turn/CDX9KelGameMapTurn.h"
#include "platform/gfx/d3d9.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Vorna2 {
class CDX9KelScene;
class CDX9KelSceneObject;
class CDX9KelModel;
class CDX9KelActiveWater;
class CDX9KelPLANE;
class CDX9KelGUIDialog;
class CDX9KelGUIRadioList;
class CDX9KelGUIText;
class CDX9KelGUIButton;
class CDX9KelGUIImage;
class CDX9KelGUIEditBox;
class CDX9KelCIIScreen;
struct CDX9KelContact;
struct CDX9KelFloatRecord;
} // namespace Vorna2

namespace VornaCampaign {

struct GameSaveHeader;
struct AllMapsDataFile;

// Index of a playing side in the map's per-side arrays.
enum EMapSideIndex : int { MAP_SIDE1 = 0, MAP_SIDE2 = 1, MAP_PLAYING_SIDES = 2 };

// The lists of one playing side.
struct GameMapSide {
    std::vector<Vorna2::CDX9KelSceneObject*> m_SceneObjects;
    std::vector<GameObjectRecord*> m_GameObjects;
    // A null entry: the unit has no animation data.
    std::vector<CDX9KelAnimatedModel*> m_AnimatedModels;
    std::vector<GameColumnRecord*> m_Columns;
};

// One unit of a save: its game object (blocks as saved) and its placement.
struct GameMapSavedObject {
    std::unique_ptr<GameObjectRecord> m_pObject;
    D3DXMATRIX m_mWorld;
};

// What a save hands to LoadFromSave. The map takes the game objects over.
struct GameMapSaveData {
    char m_szMapName[kRecordTextSize] = {};
    std::uint32_t m_uRound = 1;
    int m_iActiveObject = 0;
    // SIDE1, SIDE2 and the units of no side.
    std::vector<GameMapSavedObject> m_Side1;
    std::vector<GameMapSavedObject> m_Side2;
    std::vector<GameMapSavedObject> m_NoSide;
    std::vector<MapColumnRecord> m_Side1Columns;
    std::vector<MapColumnRecord> m_Side2Columns;
};

// A (side, index) answer of the lookups; (-1, -1) when absent.
struct GameMapPlace {
    int side = -1;
    int index = -1;
};

class CDX9KelGameMap {
public:
    // Icons on the player's side: ten fill the icon row; forts need no icon
    // but count against this limit.
    static constexpr int kMaxPlayerObjects = 20;
    static constexpr int kMaxIcons = 10;
    // Column speed used when the map file gives none.
    static constexpr float kDefaultColumnSpeed = 1.733f;
    static constexpr float kSceneTreeNodeSize = 100.0f;
    // Names of the map's graphic resources: the water and the sky go with
    // the map, the selection planes stay for the next map.
    static constexpr const char* kWaterName = "MapWater";
    static constexpr const char* kSkyName = "MapSky";
    static constexpr const char* kSelectPlaneName = "SelectPlane";

    CDX9KelGameMap();
    ~CDX9KelGameMap();
    CDX9KelGameMap(const CDX9KelGameMap&) = delete;
    CDX9KelGameMap& operator=(const CDX9KelGameMap&) = delete;

    void SetScene(Vorna2::CDX9KelScene* scene) { m_pScene = scene; }
    Vorna2::CDX9KelScene* GetScene() const { return m_pScene; }

    // ---- loading (CDX9KelGameMapLoad.cpp) ----
    bool LoadMap(const char* name);
    bool LoadFromSave(GameMapSaveData* save, bool mapChanged);
    bool InitView(const MapDescriptionRecord& description);
    bool CreateStaticObject(const MapStaticObjectRecord* record, const D3DXMATRIX* matrix);
    bool CreateDynamicObject(const MapUnitRecord* unit, const D3DXMATRIX* matrix);
    // Rebuild from a save: the game object exists already and is appended
    // together with its scene object; false (object not taken) on failure.
    bool CreateSceneObject(std::unique_ptr<GameObjectRecord>& object, const D3DXMATRIX* matrix);
    bool CreateColumn(const MapColumnRecord* column);
    bool CreateInitParticleSystems();
    // Funnel smoke at the frames "pipe1", "pipe2", ... of the object's model.
    bool CreatePipeSmoke(Vorna2::CDX9KelSceneObject* object);

    // ---- map screen (CDX9KelGameMapScreen.cpp) ----
    bool CreateIcons();
    bool CreateGlobalMap();
    // Binds the dialogs of the map screen "map.xml" (through the map
    // screen's binding, with the scene's GUI manager). False for a missing
    // screen or a dialog not as expected.
    bool SetMapScreen(Vorna2::CDX9KelCIIScreen* screen);
    // Empties the icons dialog and gives it a new radio list (the icon row
    // of the next map or of a rebuilt one). False when it is not bound.
    bool ResetIconsDialog();
    void SetMapControlDlgData();
    void SetIconsFlagsDlg();
    // The icon rectangle i in percent of the icons dialog.
    static void GetIconRectPercent(int i, float* left, float* top, float* right, float* bottom);

    // ---- parameters and graphic data (CDX9KelGameMapData.cpp) ----
    bool LoadMapParameters();
    bool LoadAllMapsGraphicData();
    // Forgets what LoadAllMapsGraphicData took from the scene (textures,
    // planes, the route marker, also in the path generator), for a scene
    // that releases its resources.
    void ForgetGraphicData();
    // Stops the four looping sounds of the map (when they exist).
    void StopLoopSounds();

    // ---- sides and lookups (CDX9KelGameMap.cpp) ----
    static int GetSide(const MapUnitRecord& unit) { return VornaCampaign::GetSide(unit); }
    bool SetPlayerSide(int side);
    int GetPlayerSide() const { return m_iPlayerSide; }
    GameMapPlace FindGameObjectByName(const char* name) const;
    GameMapPlace FindSideObject(const Vorna2::CDX9KelSceneObject* object) const;
    int FindNoSideObject(const Vorna2::CDX9KelSceneObject* object) const;
    GameObjectRecord* GetGameObject(const Vorna2::CDX9KelSceneObject* object) const;
    GameColumnRecord* GetColumnOfSceneObject(const Vorna2::CDX9KelSceneObject* object) const;
    GameMapSide& Side(int side) { return m_Sides[side == 2 ? MAP_SIDE2 : MAP_SIDE1]; }
    const GameMapSide& Side(int side) const { return m_Sides[side == 2 ? MAP_SIDE2 : MAP_SIDE1]; }
    // The scene's physical manager as the route finder's obstacle query.
    ISeaObstacleQuery* GetObstacleQuery();
    // Binds that query to the campaign's route finder (at start-up).
    void BindRouteFinder();
    // Empties the column movement's moving list and clears its flags.
    void ClearColumnMovement();
    // Makes the player's unit at index the active one: its column selected,
    // its route planned, its panels filled, its targets searched
    // (CDX9KelGameMapOrders.cpp).
    bool SetActivePlayerObject(int index);
    // The edit box's text, taken from its inner text control first.
    static std::string ReadEditBoxText(Vorna2::CDX9KelGUIEditBox* box);
    bool IsMapLoaded() const { return m_szMapName[0] != 0; }
    void Release();

    // ---- hand-overs from other parts of the campaign ----
    // The scenario's lost units: names of the player's and of the computer's
    // units lost on earlier maps (not created again). Null: none.
    // The computer player that plays the other side; the game scene hands
    // it over before the first map loads. Without one the map runs no
    // computer phase and keeps no computer tasks.
    void SetComputerPlayer(IComputerPlayer* player) { m_pComputer = player; }
    IComputerPlayer* GetComputerPlayer() const { return m_pComputer; }
    void SetLostUnitLists(const std::vector<std::string>* lostPlayerUnits,
                          const std::vector<std::string>* lostAIUnits) {
        m_pLostPlayerUnits = lostPlayerUnits;
        m_pLostAIUnits = lostAIUnits;
    }
    // Writes the system save "last_map" after a map has loaded; without one
    // the load logs that no system save was made.
    void SetSystemSaveWriter(std::function<bool(CDX9KelGameMap&)> writer) { m_SystemSaveWriter = std::move(writer); }

    // ---- turns on the map (CDX9KelGameMapTurnLoop.cpp) ----
    // Once per frame from the game scene.
    void Proc();
    void ProcessTurn();
    void ProcPlayerPhase();
    void ProcAIPhase();
    void SetProcPlayerGUI(bool proc);
    void ProcSounds();
    void ProcMissionEnd();
    void ProcMapFailed();
    // The reset before a new map or a save is loaded.
    void ClearMap(bool full);
    void DeleteUnits();
    // True while the map screen is bound and the active screen.
    bool IsMapScreenActive() const;
    // Displayed routes cleared and the column movement emptied.
    void StopAllMovement();
    // Hooks of the saver and the scenario (not set: the operation is refused
    // with a log line).
    std::function<bool(const std::string& name, bool system)> m_SaveWriter;
    // The player's saves, listed again from the save folder, and the header
    // of one of them (turn -1 when it cannot be read).
    std::function<std::vector<std::string>()> m_SaveLister;
    std::function<void(const std::string& name, GameSaveHeader* header)> m_SaveHeaderReader;
    std::function<bool(const char* mapName)> m_NextMap;
    std::function<bool()> m_ReloadSystemSave;
    // A unit lost on this map: its side (true: the player's), its damage
    // value and its name, for the scenario's counters and lists.
    std::function<void(bool player, int damage, const std::string& name)> m_OnUnitLost;
    // The scenario's loss counters at the end of a map.
    std::function<void(int playerLoss, int aiLoss)> m_OnMapLosses;
    // Stamps of the end-of-move notice and the stop button (0: free).
    DWORD m_dwFinishMovStamp = 0;
    DWORD m_dwStopStamp = 0;
    DWORD m_dwBlockedStamp = 0;
    bool m_bBlockedNotice = false;
    // Set while another screen is active and kept until the left button is
    // up on the map screen: the press that started or loaded the map (still
    // held when the map's first frames run) picks no unit.
    bool m_bPressFromOtherScreen = true;

    // ---- active unit and orders (CDX9KelGameMapOrders.cpp) ----
    bool SelectActiveColumn(GameColumnRecord* column, Vorna2::CDX9KelSceneObject* object);
    bool PlanColumnRoute(GameColumnRecord* column);
    void ProcMovementSliders();
    void ProcPickPlayerUnit();
    bool FillMovementDialog();
    void UpdateFireSound();
    bool CheckMapArea(Vorna2::CDX9KelSceneObject* object);
    bool CanSideStillMove(const std::vector<GameColumnRecord*>* columns) const;
    bool DetachShipFromColumn(Vorna2::CDX9KelSceneObject* object, GameObjectRecord* record,
                              std::vector<GameColumnRecord*>* columns);
    bool SplitColumn(GameColumnRecord* column, std::vector<GameColumnRecord*>* columns);
    bool RemoveColumnEntry(GameColumnRecord* column, std::vector<GameColumnRecord*>* columns);
    bool PointCameraAt(Vorna2::CDX9KelSceneObject* object);
    bool TurnCameraToObject(Vorna2::CDX9KelSceneObject* object);
    // The active unit's pieces (null when none).
    Vorna2::CDX9KelSceneObject* GetActiveSceneObject() const;
    GameObjectRecord* GetActiveRecord() const;
    GameColumnRecord* GetActiveColumn() const;
    // Takes a unit out of its side's lists, its column and the scene, and
    // deletes it; the player's icons are rebuilt.
    void RemoveUnit(int side, int index);
    void RebuildIcons();
    // The icon flags from the player's units.
    std::vector<int> GetIconFlags() const;

    // ---- targets and attacks (CDX9KelGameMapTargets.cpp) ----
    bool SearchTargetsForActivePlayerObject();
    bool CheckTargetGroup(int group, Vorna2::CDX9KelSceneObject* target);
    bool ResetGunButtons();
    void ProcGunSelection();
    void ProcPickEnemyUnit();
    // The player's attack on the computer's unit at `index` with the
    // selected gun group: false when the line is blocked or the battle
    // system refuses.
    bool AttackEnemyUnit(int index);

    // ---- contacts and losses (CDX9KelGameMapContacts.cpp) ----
    void ProcContacts();
    bool ProcContact(Vorna2::CDX9KelContact& contact);
    bool ProcDeathQueue();
    bool DestroyUnit(Vorna2::CDX9KelSceneObject* object);
    // Damage of a unit for the loss counters.
    static int GetUnitDamageValue(const BattleDataBlock* data);
    // The active unit carries a fire of the battle system (its fire sound plays).
    bool m_bActiveUnitBurning = false;
    // The physical manager's float record of a registered object (null: none).
    Vorna2::CDX9KelFloatRecord* PhysicsRecordOf(Vorna2::CDX9KelSceneObject* object) const;
    // Damage values of the units lost on this map (for the scenario).
    int m_iPlayerLoss = 0;
    int m_iAILoss = 0;
    void ProcMapControl();
    bool ShowGlobalMap();
    // The unit's picture in a dialog of its own in the middle of the window
    // (the previous one goes); it hides itself when another dialog is raised.
    bool ShowUnitInfoDialog(const GameObjectRecord* unit);
    int m_iUnitInfoDialog = -1;
    DWORD m_dwUnitInfoStamp = 0;
    void ProcSaveMenu();
    DWORD m_dwGlobalMapStamp = 0;
    DWORD m_dwMenuStamp = 0;
    bool m_bSaveMenuFilled = false;
    // The save menu's selection when its texts were last filled.
    int m_iSaveMenuSelected = -1;

    // ---- data ----
    Vorna2::CDX9KelScene* m_pScene = nullptr;
    Vorna2::CDX9KelActiveWater* m_pWater = nullptr;
    char m_szMapName[kRecordTextSize] = {};
    char m_szMapTitle[kRecordTextSize] = {};

    // Folders relative to the program folder, with their separators.
    std::string m_szMapsFolder = "Maps\\";
    std::string m_szMapParamsFolder = "Data\\Maps\\";
    std::string m_szAnimatedModelsFolder = "Data\\AnimatedModels\\";
    std::string m_szEffectsFolder = "Effects\\";
    std::string m_szStaticModelsFolder = "Models\\Statics\\";
    std::string m_szUnitModelsFolder = "Models\\Units\\";
    std::string m_szUnitParamsFolder = "Data\\Parameters\\";
    std::string m_szTexturesFolder = "Textures\\";
    std::string m_szFresnelTexture = "Textures\\fresnel_water.bmp";
    std::string m_szWaterHeightEffect = "Effects\\water_height.fx";
    std::string m_szWaterNormalEffect = "Effects\\water_normal.fx";
    std::string m_szWaterSurfaceEffect = "Effects\\water_surface.fx";
    std::string m_szWaterNormalSoftEffect = "Effects\\water_normalsoft.fx";

    D3DXVECTOR3 m_vSceneMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vSceneMax{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMapMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMapMax{0.0f, 0.0f, 0.0f};

    // The turn state: turn counter (m_uRound), round count, active player
    // object, planned route and the phase.
    CDX9KelGameMapTurn m_Turn;
    // 1 or 2; -1 while unset.
    int m_iPlayerSide = -1;

    GameMapSide m_Sides[MAP_PLAYING_SIDES];
    std::vector<Vorna2::CDX9KelSceneObject*> m_NoSideSceneObjects;
    std::vector<GameObjectRecord*> m_NoSideGameObjects;

    // The player's and the enemy's views of the side lists (SetPlayerSide).
    std::vector<Vorna2::CDX9KelSceneObject*>* m_pPlayerSceneObjects = nullptr;
    std::vector<GameObjectRecord*>* m_pPlayerGameObjects = nullptr;
    std::vector<GameColumnRecord*>* m_pPlayerColumns = nullptr;
    std::vector<CDX9KelAnimatedModel*>* m_pPlayerAnimatedModels = nullptr;
    std::vector<Vorna2::CDX9KelSceneObject*>* m_pEnemySceneObjects = nullptr;
    std::vector<GameObjectRecord*>* m_pEnemyGameObjects = nullptr;
    std::vector<GameColumnRecord*>* m_pEnemyColumns = nullptr;
    std::vector<CDX9KelAnimatedModel*>* m_pEnemyAnimatedModels = nullptr;

    // Texts of the map screen ("AllMapsData.xml" may replace them).
    char m_szDamageText[5][kRecordTextSize] = {"Not damaged", "Light damaged", "Damaged", "Hard damaged",
                                                "Almost destroyed"};
    char m_szAccuracyText[kRecordTextSize] = "Accuracy";
    char m_szHandicapText[kRecordTextSize] = "Handicap";
    char m_szGlobalMapUnitDescText[kRecordTextSize] = "Press for description";

    // The map's parameter file.
    MapParameters m_Params;

    // ---- all-maps graphic data ----
    enum ECursor { CURSOR_MAIN = 0, CURSOR_SELECT, CURSOR_ATTACK, CURSOR_TARGET, CURSOR_WAIT, CURSOR_COUNT };
    int m_iCursors[CURSOR_COUNT] = {-1, -1, -1, -1, -1};
    IDirect3DTexture9* m_pTextureSelGreen = nullptr;
    IDirect3DTexture9* m_pTextureSelGrey = nullptr;
    IDirect3DTexture9* m_pTextureSelRed = nullptr;
    Vorna2::CDX9KelPLANE* m_pGreenRing = nullptr;
    std::vector<Vorna2::CDX9KelPLANE*> m_pRedRings;
    std::vector<Vorna2::CDX9KelPLANE*> m_pGreyRings;
    // The route marker model handed to the route display.
    Vorna2::CDX9KelModel* m_pPathModel = nullptr;
    std::string m_szPipeSmokeFile;
    std::string m_szSoundFileShipStop;
    std::string m_szSoundFileShipMove;
    std::string m_szSoundFileSea;
    int m_sSoundIDShipStop = -1;
    int m_sSoundIDShipMove = -1;
    int m_sSoundIDFire = -1;
    int m_sSoundIDSea = -1;
    int m_sMusicMainMenu = -1;
    // The looping sounds' placement, and the second matrix (turned up).
    D3DXMATRIX m_mSound;
    D3DXMATRIX m_mSoundUp;

    // ---- the map screen's bound dialogs and controls (null until bound) ----
    CDX9KelMapScreen m_MapScreen;
    // The global-map picture added by CreateGlobalMap (its control id).
    int m_iGlobalMapImage = -1;

    CKelPhysicsObstacleQuery m_ObstacleQuery;

    // Lost units of the scenario (not owned).
    const std::vector<std::string>* m_pLostPlayerUnits = nullptr;
    const std::vector<std::string>* m_pLostAIUnits = nullptr;
    IComputerPlayer* m_pComputer = nullptr;
    std::function<bool(CDX9KelGameMap&)> m_SystemSaveWriter;

private:
    // A model from the folder and file with the effect; its frames updated.
    Vorna2::CDX9KelModel* LoadUpdatedModel(const std::string& modelFolder, const char* model, const char* effect);
    Vorna2::CDX9KelSceneObject* BuildUnitObject(const MapUnitRecord& unit, int side, const D3DXMATRIX& matrix,
                                                const char* operation, std::unique_ptr<CDX9KelAnimatedModel>* animated);
    void AppendUnit(int side, Vorna2::CDX9KelSceneObject* object, std::unique_ptr<GameObjectRecord> record,
                    std::unique_ptr<CDX9KelAnimatedModel> animated);
    bool IsLostUnit(int side, const char* name) const;
    // The part of the loading that LoadMap and LoadFromSave share at the end:
    // the active unit, the screen refresh and the battle system's lists.
    void FinishLoading(int activeObject);
    void HandListsToBattleSystem();
    bool CreateSelectPlanes();
    // The steps of LoadAllMapsGraphicData, in the order it runs them. A step
    // goes on to the next, ends the loading with success (a section missing
    // from the file: what it and the later ones give keeps its default) or
    // fails it.
    enum class AllMapsStep { kGoOn, kDone, kFailed };
    bool ReadAllMapsFile(const std::string& path, AllMapsDataFile* data);
    bool LoadCursors(const AllMapsDataFile& data, const std::string& path);
    bool LoadSelectionTextures(const AllMapsDataFile& data, const std::string& path);
    AllMapsStep SetCameraLimits(const AllMapsDataFile& data, const std::string& path);
    AllMapsStep LoadPathModel(const AllMapsDataFile& data, const std::string& path);
    AllMapsStep LoadParticleFiles(const AllMapsDataFile& data, const std::string& path);
    AllMapsStep LoadSounds(const AllMapsDataFile& data, const std::string& path);
    AllMapsStep SetInscriptions(const AllMapsDataFile& data, const std::string& path);
    // A section of the file is missing: logged, and the loading ends with
    // success.
    static AllMapsStep Missing(const AllMapsDataFile& data, const std::string& path);
    // The map screen's hints show the map's texts.
    void HandTextsToScreen();
    // Moves the unit at index of a side's lists to their ends.
    void MoveUnitToBack(GameMapSide& side, std::size_t index);

    int m_iNextUnitId = 1;
};

} // namespace VornaCampaign
