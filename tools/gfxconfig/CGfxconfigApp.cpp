// gfxconfig: sets the battle program's display, quality and sound settings.
#include "platform/os/Paths.h"
#include "tools/gfxconfig/CGfxconfigDlg.h"

#include <wx/wx.h>

class CGfxconfigApp : public wxApp {
public:
    bool OnInit() override {
        SetAppName("gfxconfig");
        return true;
    }
    // One modal sheet, then the program ends.
    int OnRun() override { return VornaTools::RunGfxconfig(Platform::ProgramFolder()); }
};

wxIMPLEMENT_APP(CGfxconfigApp);
