#include "WxHarness.h"

#include <wx/uiaction.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

// Last: Xlib defines short macro names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace VornaTest {

bool StartWx() {
    static int started = -1;
    if (started >= 0) return started == 1;
    started = 0;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    static int argc = 1;
    static char name[] = "test_tools_ui";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return false;
    wxTheApp->SetAppName("tools-test");
    wxInitAllImageHandlers();
    started = 1;
    return true;
}

void Settle() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxMilliSleep(10);
    }
}

namespace {
// Polls for the dialog: the modal loop runs the timer.
class Waiter : public wxTimer {
public:
    explicit Waiter(std::function<bool(wxWindow*)> act) : m_act(std::move(act)) {}
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            if (!w->IsShown()) continue;
            auto* dlg = dynamic_cast<wxDialog*>(w);
            if (dlg && !dlg->IsModal()) continue;
            Stop();
            Settle();
            if (m_act(w)) {
                delete this;
                return;
            }
            Start(100);
            return;
        }
    }

private:
    std::function<bool(wxWindow*)> m_act;
};
} // namespace

void WhenShownAny(std::function<bool(wxWindow*)> act) { (new Waiter(std::move(act)))->Start(100); }

bool ClickButton(wxWindow* dialog, int id) {
    wxWindow* button = dialog->FindWindow(id);
    if (!button) return false;
    bool clicked = false;
    auto onClick = [&](wxCommandEvent& e) {
        clicked = true;
        e.Skip();
    };
    button->Bind(wxEVT_BUTTON, onClick);
    dialog->Raise();
    Settle();
    wxUIActionSimulator sim;
    const wxRect r = button->GetScreenRect();
    sim.MouseMove(r.GetLeft() + r.GetWidth() / 2, r.GetTop() + r.GetHeight() / 2);
    Settle();
    sim.MouseClick();
    Settle();
    button->Unbind(wxEVT_BUTTON, onClick);
    if (!clicked) {
        std::fprintf(stderr, "click on button %d missed; its command event is sent instead\n", id);
        wxCommandEvent e(wxEVT_BUTTON, id);
        e.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(e);
    }
    return clicked;
}

void Choose(wxWindow* parent, int id, int selection) {
    auto* choice = dynamic_cast<wxChoice*>(parent->FindWindow(id));
    ASSERT_NE(choice, nullptr) << id;
    choice->SetSelection(selection);
    wxCommandEvent e(wxEVT_CHOICE, id);
    e.SetEventObject(choice);
    e.SetInt(selection);
    choice->GetEventHandler()->ProcessEvent(e);
}

void Slide(wxWindow* parent, int id, int value) {
    auto* slider = dynamic_cast<wxSlider*>(parent->FindWindow(id));
    ASSERT_NE(slider, nullptr) << id;
    slider->SetValue(value);
    wxCommandEvent e(wxEVT_SLIDER, id);
    e.SetEventObject(slider);
    e.SetInt(value);
    slider->GetEventHandler()->ProcessEvent(e);
}

bool ClickTab(wxBookCtrlBase* book, size_t page) {
    // Find a point on the page's tab along the tab strip, then click it as a
    // person would; pages switched from code are not always repainted.
    for (int y = 4; y < 40; y += 4) {
        for (int x = 4; x < book->GetClientSize().GetWidth(); x += 4) {
            long flags = 0;
            if (book->HitTest(wxPoint(x, y), &flags) != static_cast<int>(page)) continue;
            wxGetTopLevelParent(book)->Raise();
            Settle();
            wxUIActionSimulator sim;
            const wxPoint p = book->ClientToScreen(wxPoint(x + 8, y));
            sim.MouseMove(p.x, p.y);
            Settle();
            sim.MouseClick();
            Settle();
            if (book->GetSelection() == static_cast<int>(page)) return true;
        }
    }
    std::fprintf(stderr, "tab %zu not hit; the page is selected from code instead\n", page);
    book->SetSelection(page);
    Settle();
    return false;
}

bool SaveScreenshot(wxWindow* window, const std::string& name) {
    Settle();
    std::filesystem::create_directories(VORNA_SCREENSHOT_DIR);
    const std::string path = std::string(VORNA_SCREENSHOT_DIR) + "/" + name + ".png";
    // wx's screen DC keeps the first picture it took of the screen for the
    // rest of the process, so later shots showed stale pages. A connection of
    // our own reads what the X server shows now.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const wxRect screen(0, 0, DisplayWidth(display, DefaultScreen(display)),
                        DisplayHeight(display, DefaultScreen(display)));
    const wxRect r = window->GetScreenRect().Intersect(screen); // a part off screen cannot be read
    XImage* shot = r.IsEmpty() ? nullptr
                               : XGetImage(display, DefaultRootWindow(display), r.GetLeft(), r.GetTop(),
                                           static_cast<unsigned>(r.GetWidth()), static_cast<unsigned>(r.GetHeight()),
                                           AllPlanes, ZPixmap);
    bool saved = false;
    if (shot) {
        auto channel = [](unsigned long pixel, unsigned long mask) {
            if (mask == 0) return static_cast<unsigned char>(0);
            int shift = 0;
            while (!(mask & 1)) {
                mask >>= 1;
                ++shift;
            }
            return static_cast<unsigned char>(((pixel >> shift) & mask) * 255 / mask);
        };
        wxImage image(r.GetWidth(), r.GetHeight());
        for (int y = 0; y < r.GetHeight(); ++y)
            for (int x = 0; x < r.GetWidth(); ++x) {
                const unsigned long p = XGetPixel(shot, x, y);
                image.SetRGB(x, y, channel(p, shot->red_mask), channel(p, shot->green_mask),
                             channel(p, shot->blue_mask));
            }
        XDestroyImage(shot);
        saved = image.SaveFile(path, wxBITMAP_TYPE_PNG);
    }
    XCloseDisplay(display);
    return saved;
}

} // namespace VornaTest
