#pragma once
// The game's data loader. Every game data file of the battle program passes
// through it: scene objects, ship aspects, artillery lists, map environments,
// maps, scenarios, duels and the binary saves. It knows the data folders
// (from "folders.ini"), the file kinds (a file's kind is its extension) and
// the shape every "create from file" reader shares: an empty name gives null
// without a message, the extension picks the reader, a binary kind reads
// nothing, an unknown kind is logged, and a failed read never hands a
// half-built object to the caller.
//
// Readers treat files as untrusted: a bad file gives a log line and a null or
// false result, never a crash.
#include <memory>
#include <string>
#include <vector>

#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

namespace Vorna3D {
class CDX9KelScene;
class CDX9KelSceneObject;
class CDX9KelModel;
class SoundHandle;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEMovementShip;
class CVR3GAMEBattleMapShip;
class CVR3GAMEBattleMapPlayer;
class CVR3GAMEHarbourMapPlayer;
class CVR3GAMEAnimatedShip;
struct CVR3GAMEAnimatedPart;
class CVR3GAMEArtilleryShip;
struct CArtilleryPart;
class CVR3GAMEBattleSystemShip;
struct CBattleSystemShipPart;
struct CBattleSystemShipGun;
class CVR3GAMEInformationShip;
class CVR3GAMEMapBaseEnvironment;
struct CVR3GAMEBaseMap;
class CVR3GAMEBattleMap;
class CVR3GAMEHarbourMap;
class CVR3GAMEScenario;
class CVR3GAMEDuel;
class CVR3GAMEHarbourMapPlayerDirectorHuman;
struct CVR3GAMEShipType;
struct SVR3GAMEFleetShip;
class CVR3GAMEBattleMapShipsColumn;
class CVR3GAMEDuelPlayerDirector;
struct SVR3SaveShip;
struct SVR3SaveBattle;
struct SVR3SaveBattleSide;
struct SVR3ScenarioSave;
struct SVR3DuelSave;

// One entry of the save list: the save's name and the kind key of its file.
struct SVR3GAMESaveListEntry {
    std::string m_strName;
    std::string m_strKind;
};

// The kinds of game files, in the order of their keys.
enum EVR3GAMEFileKind : int {
    VR3_KIND_SCENE_OBJECT = 0,
    VR3_KIND_MOVEMENT_OBJECT,
    VR3_KIND_ANIMATED_OBJECT,
    VR3_KIND_BATTLE_OBJECT,
    VR3_KIND_ARTILLERY_OBJECT,
    VR3_KIND_INFORMATION_OBJECT,
    VR3_KIND_BATTLE_MAP,
    VR3_KIND_HARBOUR_MAP,
    VR3_KIND_MAP_ENVIRONMENT,
    VR3_KIND_ARTILLERY_LIST,
    VR3_KIND_SCENARIO,
    VR3_KIND_DUEL,
    VR3_KIND_COUNT
};

// What the extension of a file name says about how to read it.
enum EVR3GAMEFileForm : int {
    VR3_FORM_UNKNOWN = 0, // no reader: "file expansion parser not defined"
    VR3_FORM_TEXT,        // the kind's XML form: the file is read
    VR3_FORM_BINARY,      // the kind's binary key: accepted, nothing is read
};

class CVR3GAMEIO {
public:
    // The data folders, in the order of the table of "folders.ini" keys.
    enum EFolder : int {
        FOLDER_EFFECTS = 0,
        FOLDER_MODELS,
        FOLDER_TEXTURES,
        FOLDER_PARTICLES,
        FOLDER_SCENE_OBJECTS,
        FOLDER_MOVEMENT_OBJECTS,
        FOLDER_ANIMATED_OBJECTS,
        FOLDER_BATTLE_OBJECTS,
        FOLDER_ARTILLERY_OBJECTS,
        FOLDER_INFORMATION_OBJECTS,
        FOLDER_MAPS_ENVIRONMENTS,
        FOLDER_BATTLE_MAPS,
        FOLDER_HARBOUR_MAPS,
        FOLDER_ARTILLERY_LISTS,
        FOLDER_SCENARIOS,
        FOLDER_DUEL,
        FOLDER_SOUND_EFFECTS,
        FOLDER_MUSIC,
        FOLDER_SOURCES,
        FOLDER_USER_SAVES,
        FOLDER_COUNT
    };
    static constexpr int kKindKeyCount = 26;

    // All links null, no folders, the kind keys set.
    CVR3GAMEIO();
    ~CVR3GAMEIO();
    CVR3GAMEIO(const CVR3GAMEIO&) = delete;
    CVR3GAMEIO& operator=(const CVR3GAMEIO&) = delete;

    // Reads the data folders from "folders.ini" beside the program (a missing
    // file or key gives its default) and creates the saves folder under the
    // per-user data folder. Non-zero when the saves folder was created now.
    int Init();
    // As Init, with the configuration file, the program folder and the
    // per-user data folder given (each folder with its trailing separator).
    int InitFrom(const std::string& iniPath, const std::string& programFolder, const std::string& userFolder);

    // ---- the frame ----
    const std::string& GetFolder(EFolder folder) const { return m_strFolders[folder]; }
    // The kind's text key ("scobjxml", ...) and binary key ("scobjbin", ...).
    const std::string& GetTextKey(EVR3GAMEFileKind kind) const { return m_strKindKeys[2 * kind]; }
    const std::string& GetBinaryKey(EVR3GAMEFileKind kind) const { return m_strKindKeys[2 * kind + 1]; }
    // The scenario save key "v3savebin" and the duel save key "v3cbsavebin".
    const std::string& GetScenarioSaveKey() const { return m_strKindKeys[24]; }
    const std::string& GetDuelSaveKey() const { return m_strKindKeys[25]; }
    // The form of `fileName` for `kind`: its whole extension (the text after
    // the last '.', the whole name without one) compared exactly with the
    // kind's keys.
    EVR3GAMEFileForm GetFileForm(EVR3GAMEFileKind kind, const char* fileName) const;
    // The kind's folder followed by the name, by plain concatenation.
    std::string MakePath(EFolder folder, const char* fileName) const;

    // How ReadKindFile went.
    enum EReadResult { READ_DOCUMENT, READ_BINARY, READ_FAILED };
    // The steps every "create from file" reader shares: the name's extension
    // picks the form; the text form is parsed from the kind's folder into
    // `doc`; a file that cannot be read or parsed ("xml file not read : "
    // and the path) and an unknown extension ("file expansion parser not
    // defined") are logged as lines of the operation `op`. An empty name
    // fails without a line.
    EReadResult ReadKindFile(EVR3GAMEFileKind kind, EFolder folder, const char* fileName, const char* op,
                             TiXmlDocument& doc) const;

    // ---- scene objects ----
    // A scene object with its levels of detail, collision model and distance
    // range, named after the file; null on failure. The caller owns it.
    Vorna3D::CDX9KelSceneObject* CreateSceneObjectFromFile(const char* fileName);
    bool LoadSceneObjectFromXML(const TiXmlDocument& doc, Vorna3D::CDX9KelSceneObject* pSceneObject);
    bool LoadSceneObjectLODFromXML(Vorna3D::CDX9KelSceneObject* pSceneObject, int lod, const TiXmlElement* pLOD);
    bool CreateSceneObjectModelFromXML(Vorna3D::CDX9KelSceneObject* pSceneObject, int lod,
                                       const TiXmlElement* pUnit);
    bool CreateSceneObjectParticlesFromXML(Vorna3D::CDX9KelSceneObject* pSceneObject, int lod,
                                           const TiXmlElement* pUnit);
    bool CreateSceneObjectCollisionModelFromXML(const TiXmlElement* pElement,
                                                Vorna3D::CDX9KelSceneObject* pSceneObject);
    // Gives back every unit of a scene object that never reached a scene
    // tree (its models and particle systems to their managers, the collision
    // model too) and deletes the object.
    void DeleteSceneObject(Vorna3D::CDX9KelSceneObject* pSceneObject);

    // ---- ship aspects ----
    // The movement aspect: all seven elements in their order.
    CVR3GAMEMovementShip* CreateMovementShipFromFile(const char* fileName);
    bool LoadMovementShipFromXML(const TiXmlDocument& doc, CVR3GAMEMovementShip* pShip);

    // The animated aspect of the ship whose scene object is given; its parts
    // are bound to the frames of the hull model, and its muzzle flashes and
    // fires become units of that scene object. With `bAddToScene` its effect
    // objects (flooding, hits, splashes) go into the active scene tree.
    CVR3GAMEAnimatedShip* CreateAnimatedShipFromFile(const char* fileName, Vorna3D::CDX9KelSceneObject* pSceneObject,
                                                     bool bAddToScene);
    bool LoadAnimatedShipFromXML(const TiXmlDocument& doc, CVR3GAMEAnimatedShip* pShip,
                                 Vorna3D::CDX9KelSceneObject* pSceneObject, bool bAddToScene);
    bool LoadAnimatedShipDataFromLOD(const TiXmlElement* pRoot, int lod, CVR3GAMEAnimatedShip* pShip,
                                     bool bAddToScene);
    bool LoadAnimatedShipDataFromModel(const TiXmlElement* pRoot, Vorna3D::CDX9KelModel* pModel,
                                       CVR3GAMEAnimatedShip* pShip, bool bAddToScene);
    bool CreateAnimatedShipPartFromModel(std::vector<CVR3GAMEAnimatedPart*>& parts, Vorna3D::CDX9KelModel* pModel,
                                         const TiXmlElement* pPart, CVR3GAMEAnimatedShip* pShip, bool bAddToScene);
    // Gives an animated aspect up: its particle units leave the ship's scene
    // object, effect objects that no tree holds are deleted, its sounds are
    // freed, and the aspect is deleted.
    void DeleteAnimatedShip(CVR3GAMEAnimatedShip* pShip);

    // The damage model; guns take their type from the game's artillery list.
    CVR3GAMEBattleSystemShip* CreateBattleSystemShip(const char* fileName);
    bool LoadBattleSystemShipFromXML(const TiXmlDocument& doc, CVR3GAMEBattleSystemShip* pShip);
    bool CreateBattleSystemShipPartFromXML(const TiXmlElement* pPart, CVR3GAMEBattleSystemShip* pShip);
    bool CreateBattleSystemGunFromXML(const TiXmlNode* pGun, CBattleSystemShipPart* pPart);

    // Replaces the game's artillery list with the file's gun types.
    bool LoadBattleArtilleryList(const char* fileName);
    bool LoadBattleArtilleryFromXML(const TiXmlDocument& doc);

    // The artillery aspect, matched part for part with the damage model and
    // the animated platforms (both may be null: the read then fails).
    CVR3GAMEArtilleryShip* CreateArtilleryShip(const char* fileName, CVR3GAMEBattleSystemShip* pBattleShip,
                                               CVR3GAMEAnimatedShip* pAnimatedShip);
    bool LoadArtilleryShipFromXML(const TiXmlDocument& doc, CVR3GAMEBattleSystemShip* pBattleShip,
                                  CVR3GAMEAnimatedShip* pAnimatedShip, CVR3GAMEArtilleryShip* pArtilleryShip);
    bool CreateArtilleryPartFromXML(const TiXmlElement* pPart, CVR3GAMEAnimatedPart* pPlatform,
                                    CBattleSystemShipPart* pDamagePart, CVR3GAMEArtilleryShip* pArtilleryShip);
    bool CreateArtilleryGunFromXML(CArtilleryPart* pParent, CVR3GAMEAnimatedPart* pSubPart, CBattleSystemShipGun* pGun,
                                   const D3DXVECTOR4& angles);

    // The ship's card; "infobjbin" gives null without a message.
    CVR3GAMEInformationShip* CreateInformationShip(const char* fileName);
    CVR3GAMEInformationShip* CreateInformationShipFromXML(const TiXmlDocument& doc);

    // ---- battle ships ----
    // A battle-map ship from a ship element naming its six files: its scene
    // object placed at "SceneObjectWorld", its five aspects (a failed one is
    // logged and left missing) and its Init with the scene. Null only when
    // the element, a file element or the scene object is missing.
    // `pInitialised`, when given, tells whether the ship's Init succeeded.
    CVR3GAMEBattleMapShip* CreateBattleShipFromXML(const TiXmlElement* pElement, bool bAddToScene,
                                                   bool* pInitialised = nullptr);
    // Creates the ship (added to the active scene tree) and hands it to the
    // battle player, named by the element's "name" attribute (or the
    // element's own name). A ship whose Init failed is given up, never listed.
    bool CreateBattleShipForPlayerFromXML(const TiXmlElement* pElement, CVR3GAMEBattleMapPlayer* pPlayer);
    // The same for a harbour player: the ship stays out of the scene tree.
    bool CreateBattleShipForPlayerFromXML(const TiXmlElement* pElement, CVR3GAMEHarbourMapPlayer* pPlayer);
    // A ship rebuilt from its six object files (scene object, animated,
    // movement, battle, artillery, information), its scene object placed at
    // `world` before its Init; null, nothing left behind, when a part is
    // missing or the Init is refused.
    CVR3GAMEBattleMapShip* CreateBattleShipFromFiles(const std::string (&files)[6], const D3DXMATRIX& world,
                                                     bool bAddToScene);
    // Gives a battle-map ship up whole: its aspects, and its scene object
    // unless a tree other than the active one holds it.
    void DeleteBattleShip(CVR3GAMEBattleMapShip* pShip);

    // ---- maps and environments ----
    // Fills the map record from a "BaseMap" element, creates the map's scene
    // tree and gives the map its environment: the imposed file when it loads,
    // else one drawn at random from the element's "Environment" list.
    bool LoadBaseMapFromXML(CVR3GAMEBaseMap* pMap, const TiXmlElement* pBaseMap, const char* imposedFile);
    // A new environment (water and sky registered but switched off), named
    // after the file; null on failure, with nothing left behind.
    CVR3GAMEMapBaseEnvironment* CreateMapEnvironmentFromFile(const char* fileName);
    CVR3GAMEMapBaseEnvironment* LoadMapEnvironmentFromXML(const TiXmlDocument& doc);
    bool CreateMapBaseEnvironmentFromXML(const TiXmlElement* pRoot, CVR3GAMEMapBaseEnvironment* pEnv);
    bool CreateOceanWaterFromXML(const TiXmlElement* pWater, CVR3GAMEMapBaseEnvironment* pEnv);
    bool CreateSkyArchFromXML(const TiXmlElement* pSky, CVR3GAMEMapBaseEnvironment* pEnv);
    // A 3D sound from an element with "SoundType", "MinDistance" and
    // "MaxDistance" (each required), following `pOwner` when given; an empty
    // handle on failure.
    Vorna3D::SoundHandle CreateSound3DFromXML(const TiXmlElement* pElement, const D3DXMATRIX* pOwner);

    // ---- battle maps ----
    // Empties the battle map, then reads the map file from the battle maps
    // folder: its base map (with the imposed environment file, when one is
    // given and loads), borders, time limit, scenery, players and
    // directors. With `playersExist` the players were made earlier (from a
    // scenario) and the file only places them. A binary map reads nothing
    // and succeeds. False when a required part of the map is missing.
    bool LoadBattleMapFromFile(const char* fileName, bool playersExist, const char* imposedEnvironment);
    bool LoadBattleMapFromXML(const TiXmlDocument& doc, bool playersExist, const char* imposedEnvironment);
    // A new player from a player element, with its ships; null without a
    // name or a runaway position.
    CVR3GAMEBattleMapPlayer* CreateBattleMapPlayerFromXML(const TiXmlElement* pElement);
    // Places the existing player the element names: runaway point, border
    // copies and start positions (replaced, not appended).
    void LoadBattleMapPlayerFromXML(const TiXmlElement* pElement);
    // The directors: each creates its director on the battle map for the
    // named player, with its behaviour and enemies.
    bool CreateBattleMapPlayerDirectorHuman(const TiXmlElement* pElement);
    bool CreateBattleMapPlayerDirectorComputer(const TiXmlElement* pElement);

    // ---- scenarios, harbour maps and the harbour-battle hand-over ----
    // A ship of a computer fleet scheme, built from the entry's six files and
    // initialised, out of the scene tree; null (nothing left behind) when a
    // part is missing or its Init is refused.
    CVR3GAMEBattleMapShip* CreateFleetShip(const SVR3GAMEFleetShip& entry);

    // The common part of a scenario file: the world of the previous game is
    // emptied, then the record, the harbour players and directors, the
    // screens, the step lists and the battle players are filled. Run for a
    // new scenario and for a loaded save.
    bool LoadCommonScenarioFromFile(const char* fileName);
    bool LoadCommonScenarioDataFromXML(const TiXmlDocument& doc);
    bool LoadCommonScenarioHarbourDataFromXML(const TiXmlElement* pHarbour);
    bool LoadCommonScenarioBattleMapDataFromXML(const TiXmlElement* pBattle);
    void CreateHarbourPlayerFromScenarioXML(const TiXmlElement* pPlayer);
    bool CreateHarbourPlayerDirectorHumanFromScenarioXML(const TiXmlElement* pDirector);
    bool CreateHarbourHumanShipTypeFromScenarioXML(const TiXmlElement* pShipType,
                                                   CVR3GAMEHarbourMapPlayerDirectorHuman* pDirector);
    bool CreateHarbourPlayerDirectorComputerFromScenarioXML(const TiXmlElement* pDirector);
    bool LoadHarbourComputerFleetProgressMapFromScenarioXML(const TiXmlElement* pStep,
                                                            std::vector<std::vector<SVR3GAMEFleetShip>>* pProgress);
    void CreateBattleMapPlayerFromScenarioXML(const TiXmlElement* pPlayer);
    // A new scenario: the file named in the record is read again for the
    // starting ships, and the harbour directors start at step 0.
    bool BeginScenarioFromScenarioFile();
    bool BeginScenarioFromXML(const TiXmlDocument& doc);
    bool BeginScenarioHarbourFromXML(const TiXmlElement* pHarbour);
    void BeginScenarioLoadHarbourPlayerDataFromXML(const TiXmlElement* pPlayer);
    bool HarbourPlayerDirectorHumanBeginScenarioXML(const TiXmlElement* pDirector);
    // A harbour step's map: the harbour's scene part is emptied first; base
    // map, scenery and the human director's ship positions.
    bool LoadHarbourMapFromFile(const char* fileName, const char* imposedEnvironment);
    bool LoadHarbourMapFromXML(const TiXmlDocument& doc, const char* imposedEnvironment);
    bool LoadHarbourPlayerDirectorHumanFromXML(const TiXmlElement* pDirector);
    // The sides' columns pass from the harbour to the battle players of the
    // same names as the same ship objects, and the survivors back.
    bool SetHarbourDataToBattleMap();
    bool SetBattleMapDataToHarbour();
    bool CopyBattlePlayerFromHarbourPlayer(CVR3GAMEHarbourMapPlayer* pHarbourPlayer,
                                           CVR3GAMEBattleMapPlayer* pBattlePlayer);
    bool CopyHarbourPlayerFromBattlePlayer(CVR3GAMEBattleMapPlayer* pBattlePlayer,
                                           CVR3GAMEHarbourMapPlayer* pHarbourPlayer);
    // Empties the world of the previous game, scenario or duel: the harbour
    // map first (its columns name ships the battle may hold), the battle
    // map, the 3D sound sources, the 3D GUI, the physical objects and the
    // battle processing.
    void ClearGameWorld();
    // ---- the save list ----
    static constexpr size_t kMaxSaveNameLength = 64;
    static constexpr size_t kSaveTimeSize = 30;
    static constexpr size_t kSaveTextSize = 100;
    // A save name that stays in the saves folder: not empty, at most 64
    // characters, no leading '.', no "..", no '\\', '/' or ':' and no
    // control characters. Letters of other code pages are allowed.
    static bool IsSaveNameAllowed(const std::string& name);
    // The saves folder + name + "." + kind key.
    std::string MakeSavePath(const std::string& name, const std::string& kind) const;
    // Empties the save list, then lists the scenario saves and then the duel
    // saves of the saves folder, each kind sorted by name. True also when
    // nothing is found; false only for an empty kind key.
    bool FindSaveFiles();
    // The save time and the two texts the list shows for entry `index` (a
    // scenario save: scenario and human player; a duel save: duel name and
    // human player); each output is filled only when given. False for an
    // index past the list, an unknown kind, or a file too short to hold them.
    bool LoadAnySaveInfo(size_t index, std::string* pTime, std::string* pFirst, std::string* pSecond);

    // ---- the scenario and duel saves ----
    // Writes the running scenario under the save name: header, scenario
    // block, harbour block and, in a battle, the battle block. The file is
    // written whole to a temporary name and then renamed over the save, so
    // the previous save of that name survives any failure.
    bool SaveScenario(const char* saveName);
    // Two calls. With a name: the whole save file is read and checked
    // (every field, the scenario file and every ship's object files exist,
    // the step index lies inside the scenario) while the running game stays
    // untouched; only then is the scenario's common data loaded and the
    // image kept for the second call. Without a name: the kept image is
    // applied (harbour, then battle). A new first call replaces a kept image;
    // a failed second call empties the world rather than leave half of it.
    bool LoadScenario(const char* saveName);
    // The same for a duel battle.
    bool SaveDuel(const char* saveName);
    bool LoadDuel(const char* saveName);
    bool IsLoadPending() const { return m_pPendingScenario || m_pPendingDuel; }

    // The blocks of the save files, from the running game and back.
    bool WriteScenario(SVR3ScenarioSave& save);
    bool WriteHarbour(SVR3ScenarioSave& save);
    bool WriteBattle(SVR3SaveBattle& battle, const std::string& humanName, const std::string& computerName,
                     uint32_t levelCount);
    bool WriteBattleMapShipsVector(const std::vector<CVR3GAMEBattleMapShip*>& ships, std::vector<SVR3SaveShip>& out,
                                   bool skipLost);
    bool WriteBattleMapShip(const CVR3GAMEBattleMapShip* pShip, SVR3SaveShip& out);
    bool WriteBattleMapColumnsVector(const CVR3GAMEBattleMapPlayer* pPlayer, SVR3SaveBattleSide& side);
    bool ReadHarbour(const SVR3ScenarioSave& save);
    bool ReadBattle(const SVR3SaveBattle& battle, const std::string& humanName, const std::string& computerName,
                    const char* battleMapFile, bool playersExist);
    bool ReadBattleMapShipsVector(const std::vector<SVR3SaveShip>& ships, bool inBattle,
                                  std::vector<CVR3GAMEBattleMapShip*>& out);
    CVR3GAMEBattleMapShip* ReadBattleMapShip(const SVR3SaveShip& ship, bool inBattle);
    bool ReadBattleShipsColumn(const SVR3SaveBattleSide& side, CVR3GAMEBattleMapPlayer* pPlayer);
    // Every object file the save's ships are rebuilt from exists in its
    // folder; the first missing one is logged.
    bool SaveShipFilesExist(const std::vector<SVR3SaveShip>& ships) const;
    // Whether the running game may give way to the save: its scenario file
    // reads, and holds the saved step, the save's players with their harbour
    // directors, as many ship types as the save counts, ships for sale at a
    // saved harbour step and the saved fleet scheme; every battle column
    // names ships the save holds, each once. `error` says what does not fit.
    bool ScenarioSaveFitsItsFile(const SVR3ScenarioSave& save, std::string& error) const;
    // Every ship a side's saved columns name is one of its saved ships, and
    // in one column only.
    static bool SavedColumnsFound(const SVR3SaveBattleSide& side, std::string& error);

    // ---- duels ----
    // Reads a duel file from the duel folder into the duel: the duel is
    // emptied first, and a duel that fails is emptied again. A binary duel
    // name reads nothing and succeeds. Needs the battle map and the duel.
    bool LoadDuelFromFile(const char* fileName);
    // Resets the world of the last game, then reads names, screens, battle
    // map, artillery lists and players, and prepares the duel.
    bool LoadDuelDataFromXML(const TiXmlDocument& doc);
    bool LoadDuelPlayerDataFromXML(const TiXmlElement* pPlayer);
    bool CreateDuelPayerDirectorShipTypeFromXML(const TiXmlElement* pType, CVR3GAMEDuelPlayerDirector* pDirector);
    // Every director's non-empty column choices become battle columns of
    // new ships on the battle player of the same name, then the columns
    // stand on their start positions. A column that cannot be filled fails
    // the whole set-up and leaves none of its ships behind.
    bool SetDuelDataToBattleMap();
    bool CreateBattlePlayerColumnFromDuel(const std::vector<struct CVR3GAMEDuelShipType*>& choice,
                                          CVR3GAMEBattleMapShipsColumn* pColumn, CVR3GAMEBattleMapPlayer* pPlayer);

    // ---- links (not owned; the game manager sets them) ----
    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    CVR3GAMEBattleMap* m_pBattleMap = nullptr;
    CVR3GAMEHarbourMap* m_pHarbourMap = nullptr;
    CVR3GAMEScenario* m_pScenario = nullptr;
    CVR3GAMEDuel* m_pDuel = nullptr;
    DWORD m_dwReserved[2] = {0, 0};

    std::vector<SVR3GAMESaveListEntry*> m_vSaveList;
    // The checked image of a save between the two load calls.
    std::unique_ptr<SVR3ScenarioSave> m_pPendingScenario;
    std::unique_ptr<SVR3DuelSave> m_pPendingDuel;
    std::string m_strFolders[FOLDER_COUNT];
    // Text and binary key of every kind in kind order, then the two save keys.
    std::string m_strKindKeys[kKindKeyCount];
};

// Children of a list element, comments skipped: every other node counts as an
// entry, in document order. A node that is not an element counts but reads as
// a missing element (null).
struct VR3ListEntry {
    const TiXmlNode* node;
    const TiXmlElement* element; // null for a node that is not an element
};
std::vector<VR3ListEntry> VR3ListEntries(const TiXmlNode* parent);

} // namespace SeaBattle
