#pragma once
// Message boxes and pictures shared by the dialog programs.
#include <wx/wx.h>
#include <wx/iconbndl.h>

#include <functional>

namespace VornaTools {

// A message box with an OK button only and, unless a caption is given, the
// program's name as caption.
void ShowToolMessage(const wxString& text, const wxString& caption = wxString(), long iconStyle = 0,
                     wxWindow* parent = nullptr);

// While set, messages go to the hook instead of a box (for automated runs,
// where nobody is there to press OK).
using MessageHook = std::function<void(const wxString& text, const wxString& caption)>;
void SetMessageHook(MessageHook hook);

// The programs' icon in the usual sizes, drawn at run time.
wxIconBundle ToolIcons();
// The banner picture at the top of the campaign's configuration dialog.
wxBitmap BannerBitmap(int width, int height);

// UTF-8 text as a wx string.
inline wxString Text(const std::string& s) { return wxString::FromUTF8(s.c_str()); }

} // namespace VornaTools
