#include "campaign/shell/CCIIModuleManager.h"

#include "campaign/shell/CDX9KelGameScenario.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/XMLValues.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "platform/os/Clock.h"

#include <cstring>
#include <tinyxml.h>

namespace VornaCampaign {

using Vorna2::CDX9KelCIIScreen;
using Vorna2::CDX9KelGUIControl;
using Vorna2::CDX9KelGUIDialog;
using Vorna2::g_Log;

namespace {

// DirectInput codes of the keys that move a logo on.
constexpr BYTE kKeySpace = 57;
constexpr BYTE kKeyEnter = 28;

std::string Cut(const char* text, std::size_t keep) {
    std::string s = text ? text : "";
    if (s.size() > keep) s.resize(keep);
    return s;
}

const char* ChildText(const TiXmlElement* element, const char* name) {
    const TiXmlElement* child = element ? element->FirstChildElement(name) : nullptr;
    return child ? Vorna2::GetXMLValueText(child) : nullptr;
}

bool IsType(const CDX9KelGUIControl* control, int type) { return control && control->m_iType == type; }

// The screen's dialog of that name, null when it has none.
CDX9KelGUIDialog* FindScreenDialog(const CDX9KelCIIScreen* screen, const std::string& name) {
    const int index = screen ? screen->FindDialog(name) : -1;
    return index < 0 ? nullptr : screen->GetDialog(index);
}

bool DialogShown(const CDX9KelGUIDialog* dialog) { return dialog && dialog->m_bVisible; }

} // namespace

// ---- manager ----

bool CCIIModuleManager::AddModule(const TiXmlElement* element, CDX9KelCIIScreen* screen) {
    if (!element) return true;
    std::unique_ptr<Vorna2::CDX9KelCIIModule> module;
    const char* error = nullptr;
    const std::string name = element->Value();
    if (name == "Scenario") {
        module = std::make_unique<CCIIModuleScenario>();
        error = "CScreenModuleManager::AddModule: Error : module Scenario not create \n";
    } else if (name == "LoadGame") {
        module = std::make_unique<CCIIModuleLoadGame>();
        error = "CScreenModuleManager::AddModule: Error : module LoadGame not create \n";
    } else if (name == "Logo") {
        module = std::make_unique<CCIIModuleLogo>();
        error = "CScreenModuleManager::AddModule: Error : module Logo not create \n";
    } else {
        return true;
    }
    if (!module->Init(element, screen)) {
        g_Log.Write(-1, "%s", error);
        return true;
    }
    m_Modules.push_back(std::move(module));
    return true;
}

// ---- logo ----

DWORD CCIIModuleLogo::s_dwPressStamp = 0;

bool CCIIModuleLogo::Init(const TiXmlElement* element, CDX9KelCIIScreen* screen) {
    if (!element || !screen) return false;
    const TiXmlElement* next = element->FirstChildElement("Next");
    const TiXmlElement* time = element->FirstChildElement("Time");
    if (!next || !time) return false;
    m_pScreen = screen;
    m_strNext = Cut(Vorna2::GetXMLValueText(next), 260);
    m_iTime = Vorna2::ReadXMLInt(time);
    return true;
}

void CCIIModuleLogo::Proc() {
    if (!m_pScreen || !m_pScreen->m_bActive || !m_pScreen->m_pManager) return;
    const DWORD now = timeGetTime();
    if (m_dwStart == 0) m_dwStart = now ? now : 1;
    bool next = static_cast<long long>(now - m_dwStart) > static_cast<long long>(m_iTime);
    if (s_dwPressStamp != 0 && now - s_dwPressStamp > kPressGapMs) s_dwPressStamp = 0;
    if (Vorna2::g_Input.m_bLeftHeld && s_dwPressStamp == 0) {
        s_dwPressStamp = now ? now : 1;
        next = true;
    }
    if (Vorna2::g_Input.IsMouseClicked()) next = true;
    if (Vorna2::g_Input.IsKeyPressedDelayed(kKeySpace, 200) || Vorna2::g_Input.IsKeyPressedDelayed(kKeyEnter, 200))
        next = true;
    if (next) m_pScreen->m_pManager->SetActiveScreenByName(m_strNext);
}

// ---- scenario start ----

bool CCIIModuleScenario::Init(const TiXmlElement* element, CDX9KelCIIScreen* screen) {
    if (!element || !screen) return false;
    m_strFile = Cut(ChildText(element, "File"), 260);
    if (m_strFile.empty()) {
        g_Log.Write(-1, "%s", "Error : CCIIModuleScenario::Init : not read scenario file\n");
        return false;
    }
    const TiXmlElement* dialogName = element->FirstChildElement("Dialog");
    if (!dialogName) return false;
    CDX9KelGUIDialog* dialog = FindScreenDialog(screen, Cut(Vorna2::GetXMLValueText(dialogName), 39));
    if (!dialog) {
        g_Log.Write(-1, "%s", "Error : CCIIModuleScenario::Init : not found Dialog\n");
        return false;
    }
    if (!GetDialogControl(dialog, 0)) return false;
    CDX9KelGUIControl* button = nullptr;
    if (IsType(GetDialogControl(dialog, 2), Vorna2::GUI_CONTROL_TYPE_BUTTON)) button = GetDialogControl(dialog, 2);
    else if (IsType(GetDialogControl(dialog, 1), Vorna2::GUI_CONTROL_TYPE_BUTTON)) button = GetDialogControl(dialog, 1);
    if (!button) {
        g_Log.Write(-1, "%s", "Error : CCIIModuleScenario::Init : Dialog Control is not GUI_CONTROL_TYPE_BUTTON\n");
        return false;
    }
    m_pScreen = screen;
    m_pStartButton = static_cast<Vorna2::CDX9KelGUIButton*>(button);
    return true;
}

void CCIIModuleScenario::Proc() {
    if (!m_pScreen || !m_pScreen->m_bActive || !m_pStartButton) return;
    if (m_pStartButton->m_iState == 2) g_GameScenario.LoadScenario(m_strFile.c_str());
}

// ---- load game ----

bool CCIIModuleLoadGame::Init(const TiXmlElement* element, CDX9KelCIIScreen* screen) {
    if (!element || !screen) return false;
    const std::string name = Cut(Vorna2::GetXMLValueText(element), 39);
    if (name.empty()) {
        g_Log.Write(-1, "%s", "Error : CCIIModuleLoadGame::Init : not read Dialog\n");
        return false;
    }
    CDX9KelGUIDialog* dialog = FindScreenDialog(screen, name);
    if (!dialog) {
        g_Log.Write(-1, "%s", "Error : CCIIModuleLoadGame::Init : not found m_pGUILoadDialog\n");
        return false;
    }
    if (!GetDialogControl(dialog, 14)) return false;
    const int k = IsType(GetDialogControl(dialog, 0), Vorna2::GUI_CONTROL_TYPE_IMAGE) ? 0 : -1;
    auto wrongType = [](int index, const char* type) {
        g_Log.Write(-1, "%s%i%s", "Error : CCIIModuleLoadGame::Init : Dialog Control ", index, type);
        return false;
    };
    CDX9KelGUIControl* list = GetDialogControl(dialog, 10 + k);
    if (!IsType(list, Vorna2::GUI_CONTROL_TYPE_LISTBOX)) return wrongType(10 + k, " is not GUI_CONTROL_TYPE_LISTBOX\n");
    int buttonAt = 13 + k;
    if (!IsType(GetDialogControl(dialog, buttonAt), Vorna2::GUI_CONTROL_TYPE_BUTTON)) buttonAt = 12 + k;
    if (!IsType(GetDialogControl(dialog, buttonAt), Vorna2::GUI_CONTROL_TYPE_BUTTON))
        return wrongType(buttonAt, " is not GUI_CONTROL_TYPE_BUTTON\n");
    Vorna2::CDX9KelGUIText* texts[4] = {};
    for (int i = 0; i < 4; ++i) {
        CDX9KelGUIControl* text = GetDialogControl(dialog, buttonAt + 1 + i);
        if (!IsType(text, Vorna2::GUI_CONTROL_TYPE_TEXT))
            return wrongType(buttonAt + 1 + i, " is not GUI_CONTROL_TYPE_TEXT\n");
        texts[i] = static_cast<Vorna2::CDX9KelGUIText*>(text);
    }
    m_pScreen = screen;
    m_pGUILoadDialog = dialog;
    m_pSaveList = static_cast<Vorna2::CDX9KelGUIListBox*>(list);
    m_pLoadButton = static_cast<Vorna2::CDX9KelGUIButton*>(GetDialogControl(dialog, buttonAt));
    m_pTimeText = texts[0];
    m_pStateText = texts[1];
    m_pMapText = texts[2];
    m_pTurnText = texts[3];
    return true;
}

void CCIIModuleLoadGame::ShowHeader(int index) {
    const std::vector<std::string>& names = g_GameSaver.GetSaveNames();
    const bool known = index >= 0 && static_cast<std::size_t>(index) < names.size();
    g_GameSaver.ReadSaveHeader(known ? names[static_cast<std::size_t>(index)].c_str() : nullptr, &m_Header, false);
    if (m_Header.m_iTurn == -1) {
        for (Vorna2::CDX9KelGUIText* text : {m_pTimeText, m_pStateText, m_pMapText, m_pTurnText}) text->SetText("");
        return;
    }
    char line[128];
    std::snprintf(line, sizeof line, "%s%s", "Time : ", m_Header.m_szTime);
    m_pTimeText->SetText(line);
    std::snprintf(line, sizeof line, "%s%s", "State : ", m_Header.m_szPlayerSideName);
    m_pStateText->SetText(line);
    std::snprintf(line, sizeof line, "%s%s", "Map : ", m_Header.m_szMapTitle);
    m_pMapText->SetText(line);
    std::snprintf(line, sizeof line, "%s%i", "Turn : ", m_Header.m_iTurn);
    m_pTurnText->SetText(line);
}

void CCIIModuleLoadGame::Proc() {
    if (!m_pScreen || !m_pGUILoadDialog) return;
    if (!m_pScreen->m_bActive || !DialogShown(m_pGUILoadDialog)) {
        m_bFilled = false;
        return;
    }
    if (!m_bFilled) {
        // The list is rebuilt whenever the dialog shows, so a save made since
        // the last time is offered.
        g_GameSaver.UpdateSaveList();
        m_pSaveList->ClearElements();
        for (const std::string& name : g_GameSaver.GetSaveNames()) m_pSaveList->AddElement(name.c_str());
        m_pSaveList->SelectElement(0);
        m_iSelected = m_pSaveList->m_iSelected;
        ShowHeader(m_iSelected);
        m_bFilled = true;
    } else if (m_pSaveList->m_iSelected != m_iSelected) {
        m_iSelected = m_pSaveList->m_iSelected;
        ShowHeader(m_iSelected);
    }
    if (m_pLoadButton->m_iState != 2 || !m_pScreen->m_pManager ||
        !Vorna2::CDX9KelUtils::IsTimePassedOn(m_pScreen->m_pManager->m_dwSwitchStamp,
                                              Vorna2::CDX9KelCIIScreenManager::kSwitchIntervalMs))
        return;
    const std::vector<std::string>& names = g_GameSaver.GetSaveNames();
    if (m_iSelected < 0 || static_cast<std::size_t>(m_iSelected) >= names.size()) return;
    char scenarioFile[kRecordTextSize], mapName[kRecordTextSize];
    std::memcpy(scenarioFile, m_Header.m_szScenarioFile, sizeof scenarioFile);
    std::memcpy(mapName, m_Header.m_szMapName, sizeof mapName);
    if (g_GameScenario.LoadSavedGame(scenarioFile, mapName, names[static_cast<std::size_t>(m_iSelected)].c_str(), false) &&
        m_pGUILoadDialog->m_pManager)
        m_pGUILoadDialog->m_pManager->SetDialogVisible(m_pGUILoadDialog->m_iID, false);
}

} // namespace VornaCampaign
