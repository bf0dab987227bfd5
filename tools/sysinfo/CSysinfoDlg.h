#pragma once
// The information dialog: "info.txt" in a list, "Save Log" and "Run DXDiag".
#include <wx/wx.h>

#include <string>

namespace VornaTools {

inline constexpr const char* kSysinfoTitle = "Vorna3 Engine Info";

class CSysinfoDlg : public wxDialog {
public:
    enum { IDC_INFO = 1007, IDC_SAVELOG = 1008, IDC_RUNDIAG = 1009 };

    // Files are looked for beside programFolder (with a trailing separator).
    CSysinfoDlg(wxWindow* parent, const std::string& programFolder);

    void SaveLog();
    void RunDiagnostics();
    wxListBox* InfoList() const { return m_pList; }

protected:
    // Asks where the copy goes; false when the user cancels.
    virtual bool ChooseSavePath(wxString& path);

private:
    std::string m_szProgramFolder;
    wxListBox* m_pList = nullptr;
};

} // namespace VornaTools
