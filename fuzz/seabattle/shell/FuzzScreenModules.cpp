// A screen file on arbitrary bytes read with the battle program's module
// factory: its modules bind to what the screen holds, then run a few frames
// with every push button of the screen pressed and no game loaded (no
// scene, no maps, no scenario). Every module kept must belong to the screen.
#include "engine3/core/SafeXml.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "seabattle/shell/CCIIModuleManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(text, doc)) return 0;

    static Vorna3D::CDX9KelSGUIManager gui;
    gui.m_iClientWidth = 1024;
    gui.m_iClientHeight = 768;
    Vorna3D::CVR3CIIScreenManager manager;
    manager.InitWith(&gui, nullptr, nullptr, "Interface\\", "Screens\\");
    SeaBattle::CCIIModuleManager modules;
    manager.SetModuleManager(&modules);

    auto* screen = new Vorna3D::CVR3CIIScreen();
    if (Vorna3D::CVR3CIIScreen::LoadFromElement(&manager, doc.FirstChildElement(), screen, "fuzz")) {
        for (size_t i = 0; i < modules.GetModuleCount(); ++i)
            if (!modules.GetModule(i) || modules.GetModule(i)->GetScreen() != screen) std::abort();
        screen->Activate();
        for (const Vorna3D::CVR3CIIScreenDialogEntry* e : screen->GetDialogEntries())
            if (e && e->pDialog)
                for (Vorna3D::CDX9KelSGUIBaseControl* c : e->pDialog->m_vControls)
                    if (auto* b = dynamic_cast<Vorna3D::CDX9KelSGUIControlButton*>(c))
                        b->m_dwState = Vorna3D::SGUI_BUTTON_PRESSED;
        for (int i = 0; i < 3; ++i) modules.ProcModules();
        screen->Deactivate();
        modules.ProcModules();
    }
    modules.ReleaseModules();
    delete screen;
    manager.Release();
    gui.Release();
    return 0;
}
