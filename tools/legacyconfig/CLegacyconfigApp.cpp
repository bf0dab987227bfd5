// legacyconfig: sets the campaign program's display mode and volumes in the
// "engine.ini" beside it.
#include "platform/os/Paths.h"
#include "tools/common/EngineIni.h"
#include "tools/legacyconfig/CDlgMain.h"

#include <wx/wx.h>

class CLegacyconfigApp : public wxApp {
public:
    bool OnInit() override {
        SetAppName("legacyconfig");
        return true;
    }
    int OnRun() override {
        char self[MAX_PATH] = {};
        std::string path;
        const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
        if (n > 0) {
            path = self;
            path = path.substr(0, path.rfind('/') + 1) + VornaTools::kEngineIni;
        }
        return VornaTools::RunLegacyconfig(path);
    }
};

wxIMPLEMENT_APP(CLegacyconfigApp);
