#include "tools/ui/ToolUi.h"

#include <wx/dcmemory.h>

namespace VornaTools {

namespace {
MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

// Sea, a horizon and a hull: drawn, so the programs carry no image files.
wxBitmap DrawPicture(int width, int height) {
    wxBitmap bmp(width, height, 24);
    wxMemoryDC dc(bmp);
    const int horizon = height * 11 / 20;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxColour(118, 160, 204)));
    dc.DrawRectangle(0, 0, width, horizon);
    dc.SetBrush(wxBrush(wxColour(22, 58, 104)));
    dc.DrawRectangle(0, horizon, width, height - horizon);
    const int hullW = width * 3 / 5, hullH = std::max(2, height / 8);
    const int x0 = (width - hullW) / 2, y0 = horizon - hullH;
    const wxPoint hull[] = {{x0, y0}, {x0 + hullW, y0}, {x0 + hullW * 9 / 10, horizon}, {x0 + hullW / 10, horizon}};
    dc.SetBrush(wxBrush(wxColour(52, 44, 40)));
    dc.DrawPolygon(4, hull);
    dc.DrawRectangle(x0 + hullW * 2 / 5, y0 - hullH, std::max(1, hullW / 5), hullH);
    dc.SelectObject(wxNullBitmap);
    return bmp;
}
} // namespace

void ShowToolMessage(const wxString& text, const wxString& caption, long iconStyle, wxWindow* parent) {
    const wxString title = caption.empty() && wxTheApp ? wxTheApp->GetAppName() : caption;
    if (Hook()) {
        Hook()(text, title);
        return;
    }
    wxMessageBox(text, title, wxOK | iconStyle, parent);
}

void SetMessageHook(MessageHook hook) { Hook() = std::move(hook); }

wxIconBundle ToolIcons() {
    wxIconBundle icons;
    for (int size : {16, 32, 48}) {
        wxIcon icon;
        icon.CopyFromBitmap(DrawPicture(size, size));
        icons.AddIcon(icon);
    }
    return icons;
}

wxBitmap BannerBitmap(int width, int height) { return DrawPicture(width, height); }

} // namespace VornaTools
