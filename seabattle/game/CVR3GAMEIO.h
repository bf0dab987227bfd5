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
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMap;
class CVR3GAMEHarbourMap;
class CVR3GAMEScenario;
class CVR3GAMEDuel;

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

    // ---- links (not owned; the game manager sets them) ----
    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    CVR3GAMEBattleMap* m_pBattleMap = nullptr;
    CVR3GAMEHarbourMap* m_pHarbourMap = nullptr;
    CVR3GAMEScenario* m_pScenario = nullptr;
    CVR3GAMEDuel* m_pDuel = nullptr;
    DWORD m_dwReserved[2] = {0, 0};

    std::vector<SVR3GAMESaveListEntry*> m_vSaveList;
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
