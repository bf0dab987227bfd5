#pragma once
// The campaign's scenario: an ordered list of maps with one loading picture
// each, the two sides' names, the player's side, the units carried from map
// to map and the scores. It shows the scenario screen "scenario.xml" with
// its loading dialog while a map (or a save) loads and its end dialog with
// both sides' scores after the last map.
#include "campaign/save/ScenarioSaveRecord.h"

#include <cstdint>
#include <string>
#include <vector>

class TiXmlDocument;

namespace Vorna2 {
class CDX9KelCIIScreen;
class CDX9KelCIIScreenManager;
class CDX9KelGUIButton;
class CDX9KelGUIDialog;
class CDX9KelGUIText;
} // namespace Vorna2

namespace VornaCampaign {

class ICampaignMapLink;
class CDX9KelGameSaver;

// The values a scenario file gives, read apart from the scenario so that a
// file that does not read changes nothing.
struct ScenarioFileValues {
    std::string m_strScenarioName;
    std::string m_strPlayerSideName;
    std::string m_strAISideName;
    int m_iPlayerSide = 0;
    int m_iPlayerMaxScore = 0;
    int m_iAIMaxScore = 0;
    std::vector<std::string> m_stdvMaps;
    std::vector<std::string> m_stdvImages;
    std::vector<std::string> m_stdvPlayerMobileUnits;
    std::vector<std::string> m_stdvAIMobileUnits;
};

// Reads a scenario document (root "Scenario"): missing elements leave their
// values as they are in `values`. False when the root is missing.
bool ReadScenarioDocument(const TiXmlDocument& doc, ScenarioFileValues& values);

// The scenario's file and names, player's side, counters and lost units
// are the record a save keeps of it.
class CDX9KelGameScenario : public ScenarioSaveRecord {
public:
    static constexpr std::size_t kNameKeep = 39;
    static constexpr std::size_t kPathKeep = 259;

    CDX9KelGameScenario();
    ~CDX9KelGameScenario();
    CDX9KelGameScenario(const CDX9KelGameScenario&) = delete;
    CDX9KelGameScenario& operator=(const CDX9KelGameScenario&) = delete;

    // The campaign map and the saver the scenario loads maps and saves
    // through; the game scene sets them at start-up.
    void SetGameMap(ICampaignMapLink* map) { m_pGameMap = map; }
    void SetGameSaver(CDX9KelGameSaver* saver) { m_pGameSaver = saver; }

    bool SetScenarioScreen(Vorna2::CDX9KelCIIScreen* screen, Vorna2::CDX9KelCIIScreenManager* manager);
    bool LoadScenario(const char* fileName);
    bool LoadSavedGame(const char* scenarioFile, const char* mapName, const char* saveName, bool system);
    void ProcLoading();
    bool ProcNextMap(const char* mapName);
    int FindMap(const char* name) const;
    void AddLostPlayerUnit(const char* name);
    void AddLostAIUnit(const char* name);

    // The score text of one side: the share of its total in its maximum in
    // whole percent ("0%" when the maximum is not positive).
    static std::string ScoreText(std::uint32_t total, int maxScore);

    std::string m_strFolder = "Data\\Scenarios\\";
    // Where the loading pictures named in the scenario lie, under the
    // program folder (the program folder itself unless set).
    std::string m_strImageFolder;
    Vorna2::CDX9KelCIIScreen* m_pScenarioScreen = nullptr;
    Vorna2::CDX9KelCIIScreenManager* m_pScreenManager = nullptr;
    char m_szAISideName[40] = {};
    std::vector<std::string> m_stdvMaps;
    std::vector<std::string> m_stdvImages;
    int m_iPlayerMaxScore = 0;
    int m_iAIMaxScore = 0;
    std::vector<std::string> m_stdvPlayerMobileUnits;
    std::vector<std::string> m_stdvAIMobileUnits;
    Vorna2::CDX9KelGUIDialog* m_pGUIDialogLoading = nullptr;
    Vorna2::CDX9KelGUIText* m_pLoadingText = nullptr;
    Vorna2::CDX9KelGUIButton* m_pLoadingButton = nullptr;
    int m_iPictureId = -1;
    Vorna2::CDX9KelGUIDialog* m_pGUIDialogEnd = nullptr;
    Vorna2::CDX9KelGUIText* m_pSide1ScoreText = nullptr;
    Vorna2::CDX9KelGUIText* m_pSide2ScoreText = nullptr;
    std::string m_strPendingSave;
    std::string m_strMapToLoad;
    int m_iLoadingStep = -1;
    bool m_bSystemSave = false;
    // Set by ProcLoading in the frame a save was loaded: the rest of that
    // frame leaves the rebuilt game as the save left it.
    bool m_bSaveLoaded = false;

private:
    // Replaces the loading dialog's picture with the map's image; false
    // (logged) when the picture does not load.
    bool ShowLoadingPicture(std::size_t mapIndex);
    void ShowDialog(Vorna2::CDX9KelGUIDialog* dialog, bool show);
    bool ActivateScreen(const char* name);
    void ActivateStartScreen();

    ICampaignMapLink* m_pGameMap = nullptr;
    CDX9KelGameSaver* m_pGameSaver = nullptr;
};

// The campaign's one scenario.
extern CDX9KelGameScenario g_GameScenario;

} // namespace VornaCampaign
