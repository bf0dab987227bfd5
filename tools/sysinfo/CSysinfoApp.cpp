// sysinfo: support information, the battle log and the diagnostic program.
#include "platform/os/Paths.h"
#include "tools/sysinfo/CSysinfoDlg.h"

#include <wx/wx.h>

class CSysinfoApp : public wxApp {
public:
    bool OnInit() override {
        SetAppName("sysinfo");
        return true;
    }
    int OnRun() override {
        VornaTools::CSysinfoDlg dlg(nullptr, Platform::ProgramFolder());
        dlg.ShowModal();
        return 0;
    }
};

wxIMPLEMENT_APP(CSysinfoApp);
