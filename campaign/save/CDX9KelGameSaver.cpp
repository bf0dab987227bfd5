#include "campaign/save/CDX9KelGameSaver.h"

#include "campaign/save/ICampaignMapLink.h"
#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Clock.h"
#include "platform/os/FileSearch.h"
#include "platform/os/Paths.h"

#include <cstring>

namespace VornaCampaign {

using Vorna2::g_Log;

CDX9KelGameSaver g_GameSaver;

namespace {

const char* const kSideNames[SAVE_SIDE_COUNT] = {"UNSIDE", "SIDE1", "SIDE2"};

} // namespace

CDX9KelGameSaver::CDX9KelGameSaver() : m_pSaveData(std::make_unique<GameSaveData>()) {}

CDX9KelGameSaver::~CDX9KelGameSaver() {
    m_stdvSaveNames.clear();
    if (m_pSaveData) m_pSaveData->Clear();
    m_pSaveData.reset();
}

void CDX9KelGameSaver::SetDocumentsFolder(const std::string& folder) {
    m_strDocuments = Platform::WithTrailingSeparator(folder);
    m_bFoldersMade = false;
}

void CDX9KelGameSaver::PrepareFolders() {
    if (m_bFoldersMade) return;
    m_bFoldersMade = true;
    if (m_strDocuments.empty()) m_strDocuments = Platform::CommonDocumentsFolder();
    // The documents folder itself may not exist yet on a fresh system.
    Platform::CreateFolderTree(m_strDocuments);
    for (const char* folder : {kBaseFolder, kSavesFolder, kSystemFolder}) {
        const std::string path = m_strDocuments + folder;
        if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() == ERROR_PATH_NOT_FOUND) m_bReady = false;
    }
}

std::string CDX9KelGameSaver::SavePath(const char* name, bool system) {
    PrepareFolders();
    return m_strDocuments + (system ? kSystemFolder : kSavesFolder) + (name ? name : "") + "." + m_szExtension;
}

const CDX9KelColumnMovement& CDX9KelGameSaver::Neighbours() const {
    return m_pColumnMovement ? *m_pColumnMovement : m_DefaultNeighbours;
}

bool CDX9KelGameSaver::SetSaveObjects(ICampaignMapLink* map) {
    g_Log.Write(7, "%s", "CDX9KelGameSaver::SetSaveObjects\n");
    // A null map also lets go of the one held.
    m_pGameMap = m_pSaveData ? map : nullptr;
    return m_pGameMap != nullptr;
}

bool CDX9KelGameSaver::PrepareSaveData() {
    if (!m_pSaveData || !m_pGameMap) return false;
    GameSaveData& d = *m_pSaveData;
    d.Clear();
    const ScenarioSaveRecord& scenario = m_pScenario ? *m_pScenario : m_DefaultScenario;
    d.m_iPlayerSide = scenario.m_iPlayerSide;
    d.m_uAILoss = scenario.m_uAILossCounter;
    d.m_uPlayerScore = scenario.m_uPlayerScoreTotal;
    d.m_uPlayerLoss = scenario.m_uPlayerLossCounter;
    d.m_uAIScore = scenario.m_uAIScoreTotal;
    d.m_stdvLostPlayerUnits = scenario.m_stdvLostPlayerUnits;
    d.m_stdvLostAIUnits = scenario.m_stdvLostAIUnits;
    SetRecordText(d.m_szMapName, m_pGameMap->GetMapName().c_str());
    d.m_iTurn = m_pGameMap->GetTurn();
    d.m_iActiveObject = m_pGameMap->GetActiveObject();
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
        const std::vector<GameObjectRecord*>* objects = nullptr;
        // A unit's placement and its record must stay paired in the file.
        if (!m_pGameMap->GetSideUnits(side, d.m_stdvMatrices[side], &objects) || !objects ||
            objects->size() != d.m_stdvMatrices[side].size()) {
            g_Log.Write(10, "CDX9KelGameSaver::PrepareSaveData() : CreateMatrixList( %s )\n", kSideNames[side]);
            return false;
        }
        d.m_pMapObjects[side] = objects;
    }
    d.m_bHasRunState = m_pGameMap->GetRunState(d.m_RunState);
    for (int side = 1; side <= 2; ++side) {
        if (!m_pGameMap->GetSideColumns(side, d.m_stdvColumns[side - 1])) {
            g_Log.Write(10, "CDX9KelGameSaver::PrepareSaveData() : CreateColumnsRecordsList( %s )\n",
                        kSideNames[side]);
            return false;
        }
    }
    return true;
}

bool CDX9KelGameSaver::WriteSave(const char* name, bool system) {
    if (!name || !*name || !m_pGameMap) return false;
    if (!IsSaveNameAllowed(name)) {
        g_Log.Write(-1, "Error : CDX9KelGameSaver::WriteSave : save name not allowed : %s\n", name);
        return false;
    }
    if (!PrepareSaveData()) return false;
    const ScenarioSaveRecord& scenario = m_pScenario ? *m_pScenario : m_DefaultScenario;
    GameSaveHeader header;
    SetRecordText(header.m_szTime, sizeof header.m_szTime, Platform::LocalTimeText().c_str());
    SetRecordText(header.m_szScenarioName, scenario.m_szScenarioName);
    SetRecordText(header.m_szScenarioFile, scenario.m_szScenarioFile);
    SetRecordText(header.m_szPlayerSideName, scenario.m_szPlayerSideName);
    SetRecordText(header.m_szMapTitle, m_pGameMap->GetMapTitle().c_str());
    SetRecordText(header.m_szMapName, m_pSaveData->m_szMapName);
    header.m_iTurn = m_pSaveData->m_iTurn;
    const std::string bytes = WriteSaveBytes(header, *m_pSaveData);
    const std::string path = SavePath(name, system);
    if (!WriteSaveFileAtomic(path, bytes)) {
        g_Log.Write(-1, "Error : CDX9KelGameSaver::WriteSave : save not written : %s\n", path.c_str());
        // The restart point of a failed mission must never be an older map's
        // save: without a fresh one there is none.
        if (system) DeleteFileA(path.c_str());
        return false;
    }
    return true;
}

bool CDX9KelGameSaver::ReadSaveFile(const char* name, bool system, GameSaveHeader& header, GameSaveData& data) {
    if (!name || !*name) return false;
    if (!IsSaveNameAllowed(name)) {
        g_Log.Write(-1, "Error : CDX9KelGameSaver::LoadSave : save name not allowed : %s\n", name);
        return false;
    }
    const std::string path = SavePath(name, system);
    std::string bytes;
    if (!Platform::ReadFile(path, bytes, kMaxSaveFileBytes)) {
        g_Log.Write(-1, "Error : CDX9KelGameSaver::LoadSave : file not read : %s\n", path.c_str());
        return false;
    }
    return ReadSaveBytes(bytes, path.c_str(), Neighbours(), header, data);
}

bool CDX9KelGameSaver::CheckSave(const char* name, bool system) {
    GameSaveHeader header;
    GameSaveData data;
    return ReadSaveFile(name, system, header, data);
}

bool CDX9KelGameSaver::LoadSave(const char* name, bool system) {
    if (!name || !m_pGameMap || !m_pSaveData) return false;
    GameSaveHeader header;
    GameSaveData staged;
    if (!ReadSaveFile(name, system, header, staged)) return false;
    ScenarioSaveRecord& scenario = m_pScenario ? *m_pScenario : m_DefaultScenario;
    if ((scenario.m_iPlayerSide == 1 || scenario.m_iPlayerSide == 2) && scenario.m_iPlayerSide != staged.m_iPlayerSide) {
        g_Log.Write(-1, "Error : CDX9KelGameSaver::LoadSave : the save's player side %d is not the scenario's %d : %s\n",
                    staged.m_iPlayerSide, scenario.m_iPlayerSide, name);
        return false;
    }
    // From here on the save is known good and replaces the running game.
    const bool mapChanged = m_pGameMap->GetMapName() != header.m_szMapName;
    scenario.m_uAILossCounter = staged.m_uAILoss;
    scenario.m_uPlayerScoreTotal = staged.m_uPlayerScore;
    scenario.m_uPlayerLossCounter = staged.m_uPlayerLoss;
    scenario.m_uAIScoreTotal = staged.m_uAIScore;
    scenario.m_stdvLostPlayerUnits = staged.m_stdvLostPlayerUnits;
    scenario.m_stdvLostAIUnits = staged.m_stdvLostAIUnits;
    m_pGameMap->ClearMap(mapChanged);
    m_pSaveData->Clear();
    *m_pSaveData = std::move(staged);
    m_pGameMap->SetPlayerSide(m_pSaveData->m_iPlayerSide);
    if (!m_pGameMap->LoadFromSave(*m_pSaveData, mapChanged)) return false;
    // A save with the running game's values goes on where it was made; one
    // without starts its turn afresh, as saves always did.
    if (m_pSaveData->m_bHasRunState && !m_pGameMap->SetRunState(m_pSaveData->m_RunState))
        g_Log.Write(-1, "Error : CDX9KelGameSaver::LoadSave : the run state does not fit the map : %s\n", name);
    return true;
}

void CDX9KelGameSaver::ReadSaveHeader(const char* name, GameSaveHeader* header, bool system) {
    if (!header) return;
    header->Clear();
    if (!name || !*name || !m_pGameMap || !IsSaveNameAllowed(name)) return;
    FILE* f = Platform::OpenFile(SavePath(name, system), "rb");
    if (!f) return;
    std::string bytes(kSaveHeaderBytes, '\0');
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(n);
    ReadSaveHeaderBytes(bytes, *header);
}

bool CDX9KelGameSaver::UpdateSaveList() {
    m_stdvSaveNames.clear();
    PrepareFolders();
    const std::string pattern = m_strDocuments + kSavesFolder + "*." + m_szExtension;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    const std::size_t extension = std::strlen(m_szExtension) + 1;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string stem = found.cFileName;
        if (stem.size() <= extension) continue;
        stem.resize(stem.size() - extension);
        // Only names a save could have been written under are offered.
        if (IsSaveNameAllowed(stem.c_str())) m_stdvSaveNames.push_back(stem);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

} // namespace VornaCampaign
