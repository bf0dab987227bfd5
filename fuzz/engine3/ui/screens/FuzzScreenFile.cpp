// A screen file on arbitrary bytes: its dialogs are placed and registered in
// a screen GUI manager of a 1024 x 768 client area (no device, so controls
// that need textures or fonts are refused on their way), the screen is shown,
// its actions run for a few frames and everything is released again. Every
// dialog a screen keeps must be registered and lie within sane bounds.
#include "engine3/core/SafeXml.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

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

    auto* screen = new Vorna3D::CVR3CIIScreen();
    if (Vorna3D::CVR3CIIScreen::LoadFromElement(&manager, doc.FirstChildElement(), screen, "fuzz")) {
        for (const Vorna3D::CVR3CIIScreenDialogEntry* e : screen->GetDialogEntries()) {
            if (!e || !e->pDialog || gui.GetDialog(e->pDialog->GetIndex()) != e->pDialog) std::abort();
            const RECT& r = e->pDialog->GetRect();
            if (r.right <= r.left || r.bottom <= r.top) std::abort();
        }
        screen->Activate();
        for (int i = 0; i < 3; ++i) screen->Update();
        screen->Deactivate();
    }
    delete screen;
    manager.Release();
    gui.Release();
    return 0;
}
