// Dump section "screens": the current screen and every dialog shown, by
// screen and dialog in the order the screen files list them.
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"

namespace BattleSim {

namespace {

void WriteScreens(const VornaTest::GameSession& session, std::string& out) {
    out += "current " + session.CurrentScreen() + "\n";
    Vorna3D::CVR3CIIScreenManager* screens = session.Screens();
    if (!screens) return;
    for (size_t i = 0; i < screens->GetScreenCount(); ++i) {
        Vorna3D::CVR3CIIScreen* screen = screens->GetScreen(i);
        if (!screen) continue;
        for (Vorna3D::CVR3CIIScreenDialogEntry* e : screen->GetDialogEntries())
            if (e && e->pDialog && e->pDialog->IsVisible())
                out += "shown " + screen->GetName() + "/" + e->pDialog->GetName() + "\n";
    }
}

const DumpRegistration kScreens("screens", &WriteScreens);

} // namespace

} // namespace BattleSim
