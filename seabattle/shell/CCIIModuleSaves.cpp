#include "seabattle/shell/CCIIModuleSaves.h"

#include <cstdio>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/ModuleBinding.h"

namespace SeaBattle {

using namespace Vorna3D;

namespace {

// Every text control of the dialog with that name, in dialog order.
std::vector<CDX9KelSGUIText*> TextsNamed(const CDX9KelSGUIDialog* pDialog, const std::string& name) {
    std::vector<CDX9KelSGUIText*> texts;
    for (CDX9KelSGUIBaseControl* c : pDialog->m_vControls)
        if (auto* t = dynamic_cast<CDX9KelSGUIText*>(c); t && t->GetName() == name) texts.push_back(t);
    return texts;
}

void SetText(CDX9KelSGUIText* text, const std::string& value) {
    if (text) text->SetText(value.c_str());
}

// The stamp of the load and save screens' shared button gate; 0 = free.
DWORD g_dwButtonStamp = 0;

} // namespace

// ---- the duel's start ----

bool CCIIModuleDuelLoad::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    const ModuleBinding bind("CCIIModuleDuelLoad", pElement, pScreen);
    if (!bind.Attribute("dialog", m_strDialog) || !bind.Attribute("control", m_strControl)) return false;
    // A missing duel file is told under the scenario start's name.
    if (!ModuleBinding("CCIIModuleScenarioBegin", pElement, pScreen).Attribute("duel", m_strDuel)) return false;
    if (!bind.Attribute("loadscreen", m_strLoadScreen)) return false;
    CDX9KelSGUIDialog* dialog = bind.Dialog(m_strDialog);
    if (!dialog) return false;
    m_pButton = bind.Button(dialog, m_strControl);
    return m_pButton != nullptr;
}

void CCIIModuleDuelLoad::Proc() {
    if (!m_pScreen || !m_pScreen->IsActive()) return;
    if (IsPressed(m_pButton) && g_Utils.IsTimePassed(kGate))
        CVR3GAMEManager::Get().BeginDuelFromFile(m_strDuel, m_strLoadScreen);
}

// ---- the duel's battle results ----

bool CCIIModuleDuelBattleResults::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    if (!ModuleBinding("CCIIModuleDuelBattleResults", pElement, pScreen).Attribute("DialogNext", m_strDialogNext))
        return false;
    const ModuleBinding bind("CCIIModuleScenarioBattleResults", pElement, pScreen);
    if (!bind.Attribute("ControlNext", m_strControlNext) || !bind.Attribute("Player1", m_strPlayer1) ||
        !bind.Attribute("Player2", m_strPlayer2))
        return false;
    if (!pElement->Attribute("DialogPlayers")) {
        ModuleBinding::LogMissingAttribute("CCIIModuleScenarioBattleResults", "DialogPlayer1");
        return false;
    }
    if (!bind.Attribute("DialogPlayers", m_strDialogPlayers) ||
        !bind.Attribute("ControlPlayer1", m_strControlPlayer1) ||
        !bind.Attribute("ControlPlayer2", m_strControlPlayer2))
        return false;
    CDX9KelSGUIDialog* next = bind.Dialog(m_strDialogNext);
    if (!next) return false;
    m_pButtonNext = bind.Button(next, m_strControlNext);
    if (!m_pButtonNext) return false;
    CDX9KelSGUIDialog* players = bind.Dialog(m_strDialogPlayers);
    if (!players) return false;
    m_stdvPlayer1Types = TextsNamed(players, m_strControlPlayer1);
    m_stdvPlayer2Types = TextsNamed(players, m_strControlPlayer2);
    return true;
}

bool CCIIModuleDuelBattleResults::ShowPlayer(const std::string& name, const std::vector<CDX9KelSGUIText*>& texts,
                                             const char* listName) {
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEBattleMap* map = manager.GetBattleMap();
    CVR3GAMEBattleMapPlayer* player = map ? map->GetPlayer(&name) : nullptr;
    if (!player) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CCIIModuleScenarioBattleResults::Proc() : not found battle map player : ",
                    name.c_str(), "\n");
        return false;
    }
    // The lines show the ships lost; with fewer lines than levels the
    // message says so and nothing is shown.
    const std::vector<uint32_t>& counts = player->m_stdvLossesByLevel;
    if (counts.size() != texts.size()) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CCIIModuleScenarioBattleResults::Proc() : size != ", listName,
                    ".size() \n");
        return false;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "%i", static_cast<int>(counts[i]));
        texts[i]->SetText(line);
    }
    if (CVR3GAMEDuel* duel = manager.GetDuel())
        if (CVR3GAMEDuelPlayerDirector* d = duel->GetPlayer(name.c_str())) d->m_dwLostMoney = player->m_uLostValue;
    return true;
}

void CCIIModuleDuelBattleResults::Proc() {
    if (!m_pScreen) return;
    if (!m_pScreen->IsActive()) {
        m_bShown = false;
        return;
    }
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (!manager.IsDuelRunning()) return;
    if (IsPressed(m_pButtonNext) && g_Utils.IsTimePassed(kGate)) {
        manager.DuelEnd();
        return;
    }
    if (m_bShown) return;
    m_bShown = true;
    if (ShowPlayer(m_strPlayer1, m_stdvPlayer1Types, "m_stdvPlayer1Types"))
        ShowPlayer(m_strPlayer2, m_stdvPlayer2Types, "m_stdvPlayer2Types");
}

// ---- the duel's end ----

bool CCIIModuleDuelEnd::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    m_pScreen = pScreen;
    const ModuleBinding bind("CCIIModuleDuelEnd", pElement, pScreen);
    if (!bind.Attribute("Dialog", m_strDialog) || !bind.Attribute("ButtonEnd", m_strButtonEnd) ||
        !bind.Attribute("TextResult", m_strTextResult) || !bind.Attribute("NextScreen", m_strNextScreen))
        return false;
    CDX9KelSGUIDialog* dialog = bind.Dialog(m_strDialog);
    if (!dialog) return false;
    m_pButtonEnd = bind.Button(dialog, m_strButtonEnd);
    if (!m_pButtonEnd) return false;
    m_pTextResult = bind.Text(dialog, m_strTextResult);
    return m_pTextResult != nullptr;
}

void CCIIModuleDuelEnd::Proc() {
    if (!m_pScreen) return;
    if (!m_pScreen->IsActive()) {
        m_bShown = false;
        return;
    }
    if (IsPressed(m_pButtonEnd) && g_Utils.IsTimePassed(kGate)) {
        if (CVR3CIIScreenManager* screens = m_pScreen->GetManager()) screens->SetScreen(m_strNextScreen.c_str());
        return;
    }
    if (m_bShown) return;
    m_bShown = true;
    const CVR3GAMEDuel* duel = CVR3GAMEManager::Get().GetDuel();
    if (!duel) return;
    char line[16];
    std::snprintf(line, sizeof line, "%i%s", duel->GetScore(), "%");
    m_pTextResult->SetText(line);
}

// ---- the load and save screens ----

bool CCIIModuleGameLoad::BindCommon(const TiXmlElement* pElement, CVR3CIIScreen* pScreen, const char* className,
                                    const char* dialogAttribute, const char* buttonAttribute) {
    m_pScreen = pScreen;
    const ModuleBinding bind(className, pElement, pScreen);
    if (!bind.Attribute(dialogAttribute, m_strDialog) || !bind.Attribute(buttonAttribute, m_strButton) ||
        !bind.Attribute("TextTime", m_strTextTime) || !bind.Attribute("TextScenario", m_strTextScenario) ||
        !bind.Attribute("TextPlayer", m_strTextPlayer) || !bind.Attribute("ListSaves", m_strListSaves) ||
        !bind.Attribute("DialogCheck", m_strDialogCheck) || !bind.Attribute("ButtonOK", m_strButtonOK) ||
        !bind.Attribute("ButtonCancel", m_strButtonCancel))
        return false;
    CDX9KelSGUIDialog* dialog = bind.Dialog(m_strDialog);
    if (!dialog) return false;
    if (!(m_pButton = bind.Button(dialog, m_strButton)) || !(m_pTextTime = bind.Text(dialog, m_strTextTime)) ||
        !(m_pTextScenario = bind.Text(dialog, m_strTextScenario)) ||
        !(m_pTextPlayer = bind.Text(dialog, m_strTextPlayer)) || !(m_pList = bind.ListBox(dialog, m_strListSaves)))
        return false;
    if (!(m_pDialogCheck = bind.Dialog(m_strDialogCheck))) return false;
    return (m_pButtonOK = bind.Button(m_pDialogCheck, m_strButtonOK)) &&
           (m_pButtonCancel = bind.Button(m_pDialogCheck, m_strButtonCancel));
}

bool CCIIModuleGameLoad::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    return BindCommon(pElement, pScreen, "CCIIModuleScenarioBattleResults", "DialogLoad", "ButtonLoad");
}

bool CCIIModuleGameLoad::ButtonGate() {
    const DWORD now = ::timeGetTime();
    if (g_dwButtonStamp != 0 && static_cast<DWORD>(now - g_dwButtonStamp) > kButtonGate) g_dwButtonStamp = 0;
    if (g_dwButtonStamp != 0) return false;
    g_dwButtonStamp = now ? now : 1;
    return true;
}

void CCIIModuleGameLoad::ShowCheck() {
    m_pDialogCheck->SetVisible(true);
    m_pDialogCheck->LockInput();
    if (CDX9KelSGUIManager* gui = m_pDialogCheck->GetManager()) gui->BringToFront(m_pDialogCheck);
}

void CCIIModuleGameLoad::HideCheck() {
    m_pDialogCheck->SetVisible(false);
    m_pDialogCheck->UnlockInput();
}

void CCIIModuleGameLoad::OnSelection(int index) {
    std::string time, scenario, player;
    CVR3GAMEIO* io = CVR3GAMEManager::Get().GetGameIO();
    if (index < 0 || !io || !io->LoadAnySaveInfo(static_cast<size_t>(index), &time, &scenario, &player))
        time = scenario = player = " ";
    SetText(m_pTextTime, time);
    SetText(m_pTextScenario, scenario);
    SetText(m_pTextPlayer, player);
}

bool CCIIModuleGameLoad::ProcList() {
    if (!m_pScreen) return false;
    if (!m_pScreen->IsActive()) {
        m_bShown = false;
        return false;
    }
    if (!m_bShown) {
        m_bShown = true;
        CVR3GAMEIO* io = CVR3GAMEManager::Get().GetGameIO();
        if (io) io->FindSaveFiles();
        m_pList->Clear();
        IDirect3DDevice9* device = m_pScreen->GetManager() ? m_pScreen->GetManager()->GetDevice() : nullptr;
        if (io)
            for (const SVR3GAMESaveListEntry* e : io->m_vSaveList) m_pList->AddItem(device, e->m_strName.c_str());
        m_pList->Select(0);
        m_iSelected = -1;
        SetText(m_pTextTime, " ");
        SetText(m_pTextScenario, " ");
        SetText(m_pTextPlayer, " ");
    }
    if (m_pList->GetSelected() != m_iSelected) {
        m_iSelected = m_pList->GetSelected();
        OnSelection(m_iSelected);
    }
    return true;
}

void CCIIModuleGameLoad::Proc() {
    if (!ProcList()) return;
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    CVR3GAMEIO* io = manager.GetGameIO();
    if (IsPressed(m_pButton) && m_iSelected >= 0 && ButtonGate()) {
        ShowCheck();
    } else if (IsPressed(m_pButtonCancel) && ButtonGate()) {
        HideCheck();
    } else if (IsPressed(m_pButtonOK) && ButtonGate()) {
        HideCheck();
        if (!io || m_iSelected < 0 || static_cast<size_t>(m_iSelected) >= io->m_vSaveList.size()) return;
        const SVR3GAMESaveListEntry& entry = *io->m_vSaveList[static_cast<size_t>(m_iSelected)];
        bool loaded = false;
        if (entry.m_strKind == io->GetScenarioSaveKey())
            loaded = manager.ScenarioLoad(m_pList->GetSelectedText());
        else if (entry.m_strKind == io->GetDuelSaveKey())
            loaded = manager.DuelLoad(m_pList->GetSelectedText());
        // A refused save changed nothing; the screen says so.
        if (!loaded) SetText(m_pTextScenario, "This save cannot be loaded");
    }
}

bool CCIIModuleGameSave::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!IsElement(pElement, kElementName) || !pScreen) return false;
    if (!BindCommon(pElement, pScreen, "CCIIModuleGameSave", "DialogSave", "ButtonSave")) return false;
    const ModuleBinding bind("CCIIModuleGameSave", pElement, pScreen);
    if (!bind.Attribute("EditBox", m_strEditBox) || !bind.Attribute("NextScreen", m_strNextScreen)) return false;
    m_pEditBox = bind.EditBox(bind.Dialog(m_strDialog), m_strEditBox);
    return m_pEditBox != nullptr;
}

void CCIIModuleGameSave::OnSelection(int index) {
    CCIIModuleGameLoad::OnSelection(index);
    m_pEditBox->SetText(index >= 0 ? m_pList->GetSelectedText().c_str() : "");
}

void CCIIModuleGameSave::Proc() {
    if (!ProcList()) return;
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (IsPressed(m_pButton) && !m_pEditBox->GetText().empty() && ButtonGate()) {
        ShowCheck();
    } else if (IsPressed(m_pButtonCancel) && ButtonGate()) {
        HideCheck();
    } else if (IsPressed(m_pButtonOK) && ButtonGate()) {
        HideCheck();
        const std::string name = m_pEditBox->GetText();
        if (CVR3CIIScreenManager* screens = m_pScreen->GetManager()) screens->SetScreen(m_strNextScreen.c_str());
        if (manager.IsScenarioRunning())
            manager.ScenarioSave(name);
        else if (manager.IsDuelRunning())
            manager.DuelSave(name);
    }
}

} // namespace SeaBattle
