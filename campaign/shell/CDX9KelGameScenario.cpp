#include "campaign/shell/CDX9KelGameScenario.h"

#include "campaign/data/DataFiles.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "campaign/save/ICampaignMapLink.h"
#include "campaign/shell/DialogControls.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <cstring>
#include <tinyxml.h>

namespace VornaCampaign {

using Vorna2::CDX9KelGUIButton;
using Vorna2::CDX9KelGUIControl;
using Vorna2::CDX9KelGUIDialog;
using Vorna2::CDX9KelGUIText;
using Vorna2::g_Log;

CDX9KelGameScenario g_GameScenario;

namespace {

// Upper limits of a scenario's lists; entries past them are left out.
constexpr std::size_t kMaxScenarioMaps = 1000;
constexpr std::size_t kMaxScenarioUnits = 10000;

std::string Cut(const char* text, std::size_t keep) {
    std::string s = text ? text : "";
    if (s.size() > keep) s.resize(keep);
    return s;
}

bool IsType(const CDX9KelGUIControl* control, int type) { return control && control->m_iType == type; }

void ReadText(const TiXmlElement* root, const char* name, std::string& out) {
    if (const TiXmlElement* e = root->FirstChildElement(name)) out = Cut(Vorna2::GetXMLValueText(e), 39);
}

void ReadInt(const TiXmlElement* root, const char* name, int& out) {
    if (const TiXmlElement* e = root->FirstChildElement(name)) out = Vorna2::ReadXMLInt(e);
}

// Unit names: each child element's name, cut, with "_" read as a blank.
void ReadUnitNames(const TiXmlElement* list, std::vector<std::string>& out) {
    out.clear();
    for (const TiXmlElement* e = list->FirstChildElement(); e && out.size() < kMaxScenarioUnits;
         e = e->NextSiblingElement()) {
        std::string name = Cut(e->Value(), 39);
        for (char& c : name)
            if (c == '_') c = ' ';
        out.push_back(name);
    }
}

} // namespace

bool ReadScenarioDocument(const TiXmlDocument& doc, ScenarioFileValues& v) {
    const TiXmlElement* root = doc.FirstChildElement("Scenario");
    if (!root) return false;
    ReadText(root, "ScenarioName", v.m_strScenarioName);
    ReadText(root, "PlayerSideName", v.m_strPlayerSideName);
    ReadText(root, "AISideName", v.m_strAISideName);
    ReadInt(root, "PlayerSide", v.m_iPlayerSide);
    ReadInt(root, "PlayerMaxScore", v.m_iPlayerMaxScore);
    ReadInt(root, "AIMaxScore", v.m_iAIMaxScore);
    const TiXmlElement* maps = root->FirstChildElement("Maps");
    if (!maps) return true;
    v.m_stdvMaps.clear();
    for (const TiXmlNode* n = maps->FirstChild(); n && v.m_stdvMaps.size() < kMaxScenarioMaps; n = n->NextSibling()) {
        if (n->Type() == TiXmlNode::TINYXML_COMMENT) continue;
        if (n->Type() == TiXmlNode::TINYXML_ELEMENT || n->Type() == TiXmlNode::TINYXML_TEXT)
            v.m_stdvMaps.push_back(Cut(n->Value(), 259));
    }
    const TiXmlElement* images = root->FirstChildElement("Images");
    if (!images) return true;
    v.m_stdvImages.clear();
    for (const TiXmlElement* e = images->FirstChildElement(); e && v.m_stdvImages.size() < kMaxScenarioMaps;
         e = e->NextSiblingElement())
        v.m_stdvImages.push_back(Cut(Vorna2::GetXMLValueText(e), 39));
    if (const TiXmlElement* units = root->FirstChildElement("PlayerMobileUnits"))
        ReadUnitNames(units, v.m_stdvPlayerMobileUnits);
    if (const TiXmlElement* units = root->FirstChildElement("AIMobileUnits")) ReadUnitNames(units, v.m_stdvAIMobileUnits);
    return true;
}

CDX9KelGameScenario::CDX9KelGameScenario() = default;

CDX9KelGameScenario::~CDX9KelGameScenario() {
    m_stdvMaps.clear();
    m_stdvImages.clear();
    m_stdvPlayerMobileUnits.clear();
    m_stdvAIMobileUnits.clear();
    m_stdvLostPlayerUnits.clear();
    m_stdvLostAIUnits.clear();
}

std::string CDX9KelGameScenario::ScoreText(std::uint32_t total, int maxScore) {
    if (maxScore <= 0) return "0%";
    const double share = static_cast<double>(total) / static_cast<double>(maxScore) * 100.0;
    const std::uint32_t percent = share >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(share);
    char text[32];
    std::snprintf(text, sizeof text, "%u%s", percent, "%");
    return text;
}

bool CDX9KelGameScenario::SetScenarioScreen(Vorna2::CDX9KelCIIScreen* screen,
                                            Vorna2::CDX9KelCIIScreenManager* manager) {
    if (!screen || !manager) return false;
    g_Log.Write(7, "%s", "CDX9KelGameScenario::SetScenarioScreen\n");
    m_pScenarioScreen = screen;
    m_pScreenManager = manager;
    const std::size_t dialogs = screen->GetEntries().size();
    if (dialogs == 0) {
        g_Log.Write(-1, "%s", "Error : CDX9KelGameScenario::SetScenarioScreen : Scenario Screen is not loaded\n");
        return false;
    }
    auto controlError = [](int index, const char* type) {
        g_Log.Write(-1, "%s%i%s", "Error : CDX9KelGameScenario::SetScenarioScreen : Loading Dialog Control ", index,
                    type);
    };
    m_pGUIDialogLoading = screen->GetDialog(0);
    if (!m_pGUIDialogLoading) {
        g_Log.Write(-1, "%s", "Error : CDX9KelGameScenario::SetScenarioScreen : m_pGUIDialogLoading == NULL\n");
        return false;
    }
    int buttonAt = -1;
    if (IsType(GetDialogControl(m_pGUIDialogLoading, 2), Vorna2::GUI_CONTROL_TYPE_BUTTON)) buttonAt = 2;
    else if (IsType(GetDialogControl(m_pGUIDialogLoading, 1), Vorna2::GUI_CONTROL_TYPE_BUTTON)) buttonAt = 1;
    if (buttonAt < 0) {
        controlError(1, " is not GUI_CONTROL_TYPE_BUTTON\n");
        m_pGUIDialogLoading = nullptr;
        return false;
    }
    CDX9KelGUIControl* text = GetDialogControl(m_pGUIDialogLoading, buttonAt + 1);
    if (!IsType(text, Vorna2::GUI_CONTROL_TYPE_TEXT)) {
        controlError(buttonAt + 1, " is not GUI_CONTROL_TYPE_TEXT\n");
        m_pGUIDialogLoading = nullptr;
        return false;
    }
    m_pLoadingButton = static_cast<CDX9KelGUIButton*>(GetDialogControl(m_pGUIDialogLoading, buttonAt));
    m_pLoadingText = static_cast<CDX9KelGUIText*>(text);

    m_pGUIDialogEnd = screen->GetDialog(static_cast<int>(dialogs) - 1);
    if (!m_pGUIDialogEnd) {
        g_Log.Write(-1, "%s", "Error : CDX9KelGameScenario::SetScenarioScreen : m_pGUIDialogEnd == NULL\n");
        return false;
    }
    if (!GetDialogControl(m_pGUIDialogEnd, 1)) {
        m_pGUIDialogEnd = nullptr;
        return false;
    }
    const int first = IsType(GetDialogControl(m_pGUIDialogEnd, 0), Vorna2::GUI_CONTROL_TYPE_IMAGE) ? 1 : 0;
    for (int i = first; i < first + 2; ++i) {
        if (!IsType(GetDialogControl(m_pGUIDialogEnd, i), Vorna2::GUI_CONTROL_TYPE_TEXT)) {
            controlError(i, " is not GUI_CONTROL_TYPE_TEXT\n");
            m_pGUIDialogEnd = nullptr;
            return false;
        }
    }
    m_pSide1ScoreText = static_cast<CDX9KelGUIText*>(GetDialogControl(m_pGUIDialogEnd, first));
    m_pSide2ScoreText = static_cast<CDX9KelGUIText*>(GetDialogControl(m_pGUIDialogEnd, first + 1));
    return true;
}

void CDX9KelGameScenario::ShowDialog(CDX9KelGUIDialog* dialog, bool show) {
    if (dialog && dialog->m_pManager) dialog->m_pManager->SetDialogVisible(dialog->m_iID, show);
}

bool CDX9KelGameScenario::ActivateScreen(const char* name) {
    return m_pScreenManager && m_pScreenManager->SetActiveScreenByName(name);
}

void CDX9KelGameScenario::ActivateStartScreen() {
    if (m_pScreenManager) m_pScreenManager->SetActiveScreen(0);
}

bool CDX9KelGameScenario::ShowLoadingPicture(std::size_t mapIndex) {
    if (!m_pGUIDialogLoading || mapIndex >= m_stdvImages.size()) return false;
    CDX9KelGUIDialog* dialog = m_pGUIDialogLoading;
    if (m_iPictureId >= 0) dialog->DeleteControl(m_iPictureId);
    m_iPictureId = -1;
    const std::string& image = m_stdvImages[mapIndex];
    const std::string file = m_strImageFolder + image;
    const RECT r = dialog->m_Rect;
    if (!IsSafeDataFileName(image.c_str()) || image.empty() || !dialog->m_pManager ||
        FAILED(dialog->m_pManager->AddImage(dialog->m_iID, file.c_str(), "", "", 0xFFFFFFFFu, false, r.left, r.top,
                                            r.right, r.bottom))) {
        g_Log.Write(-1, "%s%s%s", "Error : CDX9KelGameScenario::LoadScenario : Not loading image : ", image.c_str(),
                    "\n");
        return false;
    }
    m_iPictureId = dialog->m_Controls.back()->m_iID;
    dialog->MoveControlToFront(m_iPictureId);
    return true;
}

bool CDX9KelGameScenario::LoadScenario(const char* fileName) {
    if (!fileName || !*fileName) return false;
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_strFolder + fileName).c_str());
    // The scenario is read apart and replaces the running one only when the
    // file is usable, so a bad file leaves the campaign as it was.
    ScenarioFileValues v;
    v.m_strScenarioName = m_szScenarioName;
    v.m_strPlayerSideName = m_szPlayerSideName;
    v.m_strAISideName = m_szAISideName;
    v.m_iPlayerSide = m_iPlayerSide;
    v.m_iPlayerMaxScore = m_iPlayerMaxScore;
    v.m_iAIMaxScore = m_iAIMaxScore;
    TiXmlDocument doc;
    if (!IsSafeDataFileName(fileName) || !LoadXmlFile(path, doc) || !ReadScenarioDocument(doc, v)) {
        g_Log.Write(-1, "%s%s%s", "Error : CDX9KelGameScenario::LoadScenario : xml file not read : ", path.c_str(),
                    "\n");
        return false;
    }
    if (v.m_stdvMaps.empty() || v.m_stdvImages.size() < v.m_stdvMaps.size()) {
        g_Log.Write(-1, "Error : CDX9KelGameScenario::LoadScenario : %zu maps and %zu images : %s\n",
                    v.m_stdvMaps.size(), v.m_stdvImages.size(), path.c_str());
        return false;
    }
    for (const std::string& map : v.m_stdvMaps) {
        if (!IsSafeDataFileName(map.c_str())) {
            g_Log.Write(-1, "Error : CDX9KelGameScenario::LoadScenario : map name \"%s\" is not a file name : %s\n",
                        map.c_str(), path.c_str());
            return false;
        }
    }
    std::snprintf(m_szScenarioFile, sizeof m_szScenarioFile, "%s", fileName);
    std::snprintf(m_szScenarioName, sizeof m_szScenarioName, "%s", v.m_strScenarioName.c_str());
    std::snprintf(m_szPlayerSideName, sizeof m_szPlayerSideName, "%s", v.m_strPlayerSideName.c_str());
    std::snprintf(m_szAISideName, sizeof m_szAISideName, "%s", v.m_strAISideName.c_str());
    m_iPlayerSide = v.m_iPlayerSide;
    m_iPlayerMaxScore = v.m_iPlayerMaxScore;
    m_iAIMaxScore = v.m_iAIMaxScore;
    m_stdvMaps = std::move(v.m_stdvMaps);
    m_stdvImages = std::move(v.m_stdvImages);
    m_stdvPlayerMobileUnits = std::move(v.m_stdvPlayerMobileUnits);
    m_stdvAIMobileUnits = std::move(v.m_stdvAIMobileUnits);
    m_stdvLostPlayerUnits.clear();
    m_stdvLostAIUnits.clear();
    // A new campaign starts with clean scores.
    m_uAILossCounter = m_uPlayerScoreTotal = m_uPlayerLossCounter = m_uAIScoreTotal = 0;

    ShowDialog(m_pGUIDialogLoading, true);
    ShowDialog(m_pGUIDialogEnd, false);
    if (!ShowLoadingPicture(0)) return false;
    if (m_pLoadingButton) m_pLoadingButton->SetVisible(true);
    if (m_pLoadingText) m_pLoadingText->m_bVisible = false;
    m_strPendingSave.clear();
    m_strMapToLoad = m_stdvMaps.front();
    m_iLoadingStep = 0;
    if (m_pScreenManager && m_pScenarioScreen) m_pScreenManager->SetActiveScreen(m_pScenarioScreen->m_iID);
    return true;
}

bool CDX9KelGameScenario::LoadSavedGame(const char* scenarioFile, const char* mapName, const char* saveName,
                                        bool system) {
    if (!scenarioFile || !mapName || !saveName || !m_pScreenManager) return false;
    // The save is read and checked whole before the running scenario is
    // replaced: a save that will not load leaves the campaign as it was.
    if (!m_pGameSaver || !m_pGameSaver->CheckSave(saveName, system)) return false;
    if (!LoadScenario(scenarioFile)) return false;
    const int map = FindMap(mapName);
    if (map < 0) return false;
    m_bSystemSave = system;
    ShowDialog(m_pGUIDialogLoading, true);
    if (!ShowLoadingPicture(static_cast<std::size_t>(map))) return false;
    if (m_pLoadingButton) m_pLoadingButton->SetVisible(false);
    if (m_pLoadingText) m_pLoadingText->m_bVisible = true;
    m_strPendingSave = Cut(saveName, kPathKeep);
    m_iLoadingStep = 0;
    if (m_pScenarioScreen) m_pScreenManager->SetActiveScreen(m_pScenarioScreen->m_iID);
    return true;
}

void CDX9KelGameScenario::ProcLoading() {
    if (m_iLoadingStep == -1) return;
    if (m_iLoadingStep < 2) {
        ++m_iLoadingStep;
        return;
    }
    if (!m_strPendingSave.empty()) {
        const bool loaded = m_pGameSaver && m_pGameSaver->LoadSave(m_strPendingSave.c_str(), m_bSystemSave);
        m_bSaveLoaded = loaded;
        if (loaded) ActivateScreen("map.xml");
        else ActivateStartScreen();
        m_strPendingSave.clear();
        m_iLoadingStep = -1;
        return;
    }
    if (m_strMapToLoad.empty()) {
        ++m_iLoadingStep;
        return;
    }
    if (m_iLoadingStep < 3) {
        if (m_pLoadingButton && m_pLoadingButton->m_iState == 2) {
            m_pLoadingButton->SetVisible(false);
            if (m_pLoadingText) m_pLoadingText->m_bVisible = true;
            m_iLoadingStep = 3;
        }
        return;
    }
    bool loaded = false;
    if (m_pGameMap) {
        m_pGameMap->ClearMap(true);
        m_pGameMap->SetPlayerSide(m_iPlayerSide);
        loaded = m_pGameMap->LoadMap(m_strMapToLoad.c_str());
    }
    if (loaded) ActivateScreen("map.xml");
    else ActivateStartScreen();
    m_iLoadingStep = -1;
}

bool CDX9KelGameScenario::ProcNextMap(const char* mapName) {
    if (!m_pScreenManager || !mapName) return false;
    const int map = FindMap(mapName);
    if (map < 0) return false;
    m_uPlayerScoreTotal += m_uAILossCounter;
    m_uAIScoreTotal += m_uPlayerLossCounter;
    const std::size_t next = static_cast<std::size_t>(map) + 1;
    if (next < m_stdvMaps.size()) {
        ShowDialog(m_pGUIDialogLoading, true);
        if (!ShowLoadingPicture(next)) return false;
        if (m_pLoadingButton) m_pLoadingButton->SetVisible(true);
        if (m_pLoadingText) m_pLoadingText->m_bVisible = false;
        m_strPendingSave.clear();
        m_strMapToLoad = m_stdvMaps[next];
        m_iLoadingStep = 0;
        if (m_pScenarioScreen) m_pScreenManager->SetActiveScreen(m_pScenarioScreen->m_iID);
        return true;
    }
    if (m_pScenarioScreen) m_pScreenManager->SetActiveScreen(m_pScenarioScreen->m_iID);
    ShowDialog(m_pGUIDialogLoading, false);
    ShowDialog(m_pGUIDialogEnd, true);
    if (m_pGUIDialogEnd && m_pGUIDialogEnd->m_pManager) m_pGUIDialogEnd->m_pManager->SetActiveDialog(m_pGUIDialogEnd->m_iID);
    const std::string player = ScoreText(m_uPlayerScoreTotal, m_iPlayerMaxScore);
    const std::string ai = ScoreText(m_uAIScoreTotal, m_iAIMaxScore);
    if (m_pSide1ScoreText) m_pSide1ScoreText->SetText(m_iPlayerSide == 1 ? player : ai);
    if (m_pSide2ScoreText) m_pSide2ScoreText->SetText(m_iPlayerSide == 1 ? ai : player);
    return true;
}

int CDX9KelGameScenario::FindMap(const char* name) const {
    if (!name) return -1;
    for (std::size_t i = 0; i < m_stdvMaps.size(); ++i)
        if (m_stdvMaps[i] == name) return static_cast<int>(i);
    return -1;
}

void CDX9KelGameScenario::AddLostPlayerUnit(const char* name) {
    if (!name) return;
    for (const std::string& unit : m_stdvPlayerMobileUnits)
        if (unit == name) {
            m_stdvLostPlayerUnits.push_back(unit);
            return;
        }
}

void CDX9KelGameScenario::AddLostAIUnit(const char* name) {
    if (!name) return;
    for (const std::string& unit : m_stdvAIMobileUnits)
        if (unit == name) {
            m_stdvLostAIUnits.push_back(unit);
            return;
        }
}

} // namespace VornaCampaign
