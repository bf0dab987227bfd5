// vornadiag: a report of the system, processor, graphics adapter, display
// modes and sound devices. "--text" prints it and ends; otherwise it is shown
// in a window, from which it can be saved.
#include "tools/common/DiagnosticReport.h"
#include "tools/ui/ToolUi.h"

#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/wx.h>

#include <cstdio>
#include <cstring>

namespace {

class DiagDialog : public wxDialog {
public:
    explicit DiagDialog(const wxString& report)
        : wxDialog(nullptr, wxID_ANY, "Vorna3 Diagnostics", wxDefaultPosition, wxDefaultSize,
                   wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
          m_report(report) {
        SetIcons(VornaTools::ToolIcons());
        auto* top = new wxBoxSizer(wxVERTICAL);
        auto* text = new wxTextCtrl(this, wxID_ANY, report, wxDefaultPosition, wxSize(560, 380),
                                    wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL);
        text->SetFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE));
        top->Add(text, 1, wxEXPAND | wxALL, 6);
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        buttons->Add(new wxButton(this, wxID_SAVE, "Save Report"), 0, wxRIGHT, 6);
        buttons->Add(new wxButton(this, wxID_CLOSE, "Close"));
        top->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 6);
        SetSizerAndFit(top);
        Centre();
        Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Save(); }, wxID_SAVE);
        Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CLOSE); }, wxID_CLOSE);
    }

private:
    void Save() {
        wxFileDialog dlg(this, "Save Report", wxEmptyString, "vornadiag.txt", "Text files (*.txt)|*.txt",
                         wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dlg.ShowModal() != wxID_OK) return;
        wxFFile f(dlg.GetPath(), "wb");
        if (!f.IsOpened() || !f.Write(m_report, wxConvUTF8) || !f.Close())
            VornaTools::ShowToolMessage("The report could not be saved.", wxString(), wxICON_ERROR, this);
    }
    wxString m_report;
};

class DiagApp : public wxApp {
public:
    bool OnInit() override {
        SetAppName("vornadiag");
        return true;
    }
    int OnRun() override {
        DiagDialog dlg(VornaTools::Text(VornaTools::BuildSystemDiagnosticReport()));
        dlg.ShowModal();
        return 0;
    }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(DiagApp);

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        const std::string report = VornaTools::BuildSystemDiagnosticReport();
        std::fwrite(report.data(), 1, report.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return wxEntry(argc, argv);
}
