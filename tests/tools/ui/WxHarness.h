#pragma once
// Runs real dialogs inside the test program: one wx application for the
// whole run, a way to act on a modal dialog once it is on screen, clicks
// through the UI simulator, and screenshots.
#include <wx/bookctrl.h>
#include <wx/wx.h>

#include <functional>
#include <string>

namespace VornaTest {

// Starts wx once; false when there is no display to talk to.
bool StartWx();

// Calls `act` with the first shown top-level window of type T once it is
// painted. Use before ShowModal (or a function that runs one).
template <class T> void WhenShown(std::function<void(T*)> act);
void WhenShownAny(std::function<bool(wxWindow*)> act);

// Lets wx handle what is pending, a few rounds.
void Settle();

// Clicks the window's centre with the UI simulator. When the click does not
// reach it, its command event is sent instead; returns whether the click worked.
bool ClickButton(wxWindow* dialog, int id);
// Clicks the tab of `page` with the UI simulator; false (and the page chosen
// from code) when no tab could be hit.
bool ClickTab(wxBookCtrlBase* book, size_t page);

// Picks a list entry or moves a slider as the user would, with the events
// the controls send.
void Choose(wxWindow* parent, int id, int selection);
void Slide(wxWindow* parent, int id, int value);

// Saves the screen area of the window as a PNG named `name` in the screenshot folder.
bool SaveScreenshot(wxWindow* window, const std::string& name);

template <class T> void WhenShown(std::function<void(T*)> act) {
    WhenShownAny([act](wxWindow* w) {
        T* t = dynamic_cast<T*>(w);
        if (!t) return false;
        act(t);
        return true;
    });
}

} // namespace VornaTest
