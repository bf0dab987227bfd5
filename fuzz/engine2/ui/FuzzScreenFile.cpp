// A campaign screen file on arbitrary bytes: its dialogs go into a GUI
// manager of a 1024 x 768 client area without a device (so every control
// that needs a texture or font is refused on its way), the screen is shown,
// its actions run for a few frames, and everything is released again. Every
// dialog the screen keeps must exist and have a sane rectangle.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tinyxml.h>

#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"
#include "platform/os/XmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!Platform::XmlDepthWithin(text, 64)) return 0;
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    if (doc.Error()) return 0;

    Vorna2::CDX9KelGUIManager gui;
    gui.m_iClientWidth = 1024;
    gui.m_iClientHeight = 768;
    gui.SetCursorOverride({512, 384});
    Vorna2::CDX9KelCIIScreenManager manager;
    manager.Init(&gui, nullptr, nullptr);
    manager.AddScreen("fuzz.xml");
    Vorna2::CDX9KelCIIScreen* screen = manager.GetScreen("fuzz.xml");
    if (screen->LoadFromElement(doc.FirstChildElement("Screen"))) {
        for (const auto& e : screen->GetEntries()) {
            const Vorna2::CDX9KelGUIDialog* d = gui.GetDialog(e->dialogId);
            if (!d || d->m_Rect.right <= d->m_Rect.left || d->m_Rect.bottom <= d->m_Rect.top) std::abort();
        }
        screen->SetActive(true);
        for (int i = 0; i < 3; ++i) {
            gui.m_bLeftButton = i == 1;
            gui.Update();
            manager.Update();
        }
    }
    manager.Release();
    gui.Release();
    return 0;
}
