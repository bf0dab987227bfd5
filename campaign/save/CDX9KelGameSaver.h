#pragma once
// The campaign's game saver: writes the state of the campaign map into a
// save file and rebuilds the map from one, keeps the list of the player's
// saves, and reads a save's header for the load and save dialogs.
//
// Ordinary saves (the player's and the autosaves "autosave1".."autosave3")
// lie in "Wexmoor Tarnfield\Saves\" under the common documents folder, the
// system save "last_map" in its "System\" folder below. A save is written
// through a temporary file, so a failed write keeps the previous save; a
// save is read and checked whole before the map is touched, so a bad save
// leaves the running game as it was.
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/save/GameSaveFile.h"
#include "campaign/save/ScenarioSaveRecord.h"

#include <memory>
#include <string>
#include <vector>

namespace VornaCampaign {

class ICampaignMapLink;

class CDX9KelGameSaver {
public:
    static constexpr const char* kBaseFolder = "Wexmoor Tarnfield\\";
    static constexpr const char* kSavesFolder = "Wexmoor Tarnfield\\Saves\\";
    static constexpr const char* kSystemFolder = "Wexmoor Tarnfield\\Saves\\System\\";

    CDX9KelGameSaver();
    ~CDX9KelGameSaver();
    CDX9KelGameSaver(const CDX9KelGameSaver&) = delete;
    CDX9KelGameSaver& operator=(const CDX9KelGameSaver&) = delete;

    // The map the saver writes and rebuilds, and the scenario whose names,
    // counters and lost units go with every save (the saver's own empty
    // record when not set).
    bool SetSaveObjects(ICampaignMapLink* map);
    void SetScenario(ScenarioSaveRecord* scenario) { m_pScenario = scenario; }
    // The neighbour rule for grouping the units of a save without columns
    // into columns; the saver's own default rule when not set.
    void SetColumnMovement(const CDX9KelColumnMovement* movement) { m_pColumnMovement = movement; }
    // The folder the three save folders lie in (with its trailing
    // separator); the common documents folder unless set.
    void SetDocumentsFolder(const std::string& folder);

    bool WriteSave(const char* name, bool system);
    bool LoadSave(const char* name, bool system);
    // Reads and checks a save without touching the map or the scenario.
    bool CheckSave(const char* name, bool system);
    void ReadSaveHeader(const char* name, GameSaveHeader* header, bool system);
    bool UpdateSaveList();
    bool PrepareSaveData();
    // The full path of a save.
    std::string SavePath(const char* name, bool system);

    const std::vector<std::string>& GetSaveNames() const { return m_stdvSaveNames; }
    GameSaveData* GetSaveData() const { return m_pSaveData.get(); }

    bool m_bReady = true;
    char m_szExtension[12] = "wxsave";

private:
    // Makes the three folders once the documents folder is known; a folder
    // whose parent is missing clears the ready flag.
    void PrepareFolders();
    // Reads and checks a save file into the staging outputs.
    bool ReadSaveFile(const char* name, bool system, GameSaveHeader& header, GameSaveData& data);
    const CDX9KelColumnMovement& Neighbours() const;

    ICampaignMapLink* m_pGameMap = nullptr;
    ScenarioSaveRecord* m_pScenario = nullptr;
    ScenarioSaveRecord m_DefaultScenario;
    const CDX9KelColumnMovement* m_pColumnMovement = nullptr;
    CDX9KelColumnMovement m_DefaultNeighbours;
    std::string m_strDocuments;
    bool m_bFoldersMade = false;
    std::vector<std::string> m_stdvSaveNames;
    std::unique_ptr<GameSaveData> m_pSaveData;
};

// The campaign's one saver.
extern CDX9KelGameSaver g_GameSaver;

} // namespace VornaCampaign
