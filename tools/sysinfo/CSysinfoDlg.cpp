#include "tools/sysinfo/CSysinfoDlg.h"
#include "tools/common/EngineIni.h"
#include "tools/common/SysinfoLogic.h"
#include "tools/ui/ToolUi.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/utils.h>

namespace VornaTools {

CSysinfoDlg::CSysinfoDlg(wxWindow* parent, const std::string& programFolder)
    : wxDialog(parent, wxID_ANY, kSysinfoTitle), m_szProgramFolder(programFolder) {
    SetIcons(ToolIcons());
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pList = new wxListBox(this, IDC_INFO, wxDefaultPosition, wxSize(460, 220), 0, nullptr,
                            wxLB_SINGLE | wxLB_ALWAYS_SB | wxLB_HSCROLL);
    top->Add(m_pList, 1, wxEXPAND | wxALL, 6);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto* logBox = new wxStaticBoxSizer(wxVERTICAL, this, "Engine Log");
    auto* save = new wxButton(logBox->GetStaticBox(), IDC_SAVELOG, "Save Log");
    save->SetDefault();
    logBox->Add(save, 0, wxEXPAND | wxALL, 6);
    row->Add(logBox, 1, wxEXPAND | wxRIGHT, 6);
    auto* sysBox = new wxStaticBoxSizer(wxVERTICAL, this, "System Info");
    sysBox->Add(new wxButton(sysBox->GetStaticBox(), IDC_RUNDIAG, "Run DXDiag"), 0, wxEXPAND | wxALL, 6);
    row->Add(sysBox, 1, wxEXPAND);
    top->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
    SetSizerAndFit(top);
    Centre();

    for (const std::string& line : ReadInfoLines(m_szProgramFolder + kInfoFile)) m_pList->Append(Text(line));
    // The list only shows the text; nothing in it can be chosen.
    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { m_pList->SetSelection(wxNOT_FOUND); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SaveLog(); }, IDC_SAVELOG);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RunDiagnostics(); }, IDC_RUNDIAG);
}

bool CSysinfoDlg::ChooseSavePath(wxString& path) {
    wxFileDialog dlg(this, wxFileSelectorPromptStr, wxEmptyString, kLogStem, "Log files (*.log)|*.log",
                     wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dlg.ShowModal() != wxID_OK) return false;
    path = dlg.GetPath();
    // The default extension, as the save dialogs of other systems add it.
    if (wxFileName(path).GetExt().empty()) path += ".log";
    return true;
}

void CSysinfoDlg::SaveLog() {
    std::string folder;
    std::string found;
    if (!ResolveUserDataFolder(m_szProgramFolder, false, folder) || !FindEngineLog(folder, found)) {
        ShowToolMessage(Text(LogNotFoundMessage(folder)), wxString(), 0, this);
        return;
    }
    wxString target;
    if (!ChooseSavePath(target)) return;
    const std::string chosen = target.utf8_string();
    ShowToolMessage(Text(LogCopiedMessage(chosen, CopyEngineLog(folder, chosen))), wxString(), 0, this);
}

void CSysinfoDlg::RunDiagnostics() {
    const wxString program = Text(DiagnosticProgramPath(m_szProgramFolder));
    // wxExecute reports a program that cannot be run only after forking, so
    // the obvious case is checked first.
    if (!wxFileName::IsFileExecutable(program) || wxExecute(wxString("\"") + program + "\"", wxEXEC_ASYNC) <= 0)
        ShowToolMessage(kDiagNotStartedMessage, wxString(), 0, this);
}

} // namespace VornaTools
