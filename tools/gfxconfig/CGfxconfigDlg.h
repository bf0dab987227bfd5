#pragma once
// The configuration sheet of the battle program: the video page, then the
// sound page, with OK and Cancel only.
#include "tools/gfxconfig/CPropPageSound.h"
#include "tools/gfxconfig/CPropPageVideo.h"

#include <wx/propdlg.h>

namespace VornaTools {

inline constexpr const char* kGfxconfigTitle = "Vorna3 Engine Configuration Manager";

class CGfxconfigDlg : public wxPropertySheetDialog {
public:
    // The pages find "engine.ini" by the "folders.ini" beside programFolder.
    CGfxconfigDlg(wxWindow* parent, const std::string& programFolder, DisplayBackend backend = DisplayBackend::System());

    // Writes both pages' keys; false when any cannot be written, or when there
    // is no settings file to write to (nothing is written then).
    bool SaveAll();
    const std::string& SettingsPath() const { return m_szPath; }
    // The configured folder that could not be made, when SettingsPath is "".
    const std::string& FailedFolder() const { return m_szFailedFolder; }
    CPropPageVideo* VideoPage() const { return m_pVideo; }
    CPropPageSound* SoundPage() const { return m_pSound; }

private:
    std::string m_szPath;
    std::string m_szFailedFolder;
    CDX9KelRender m_render;
    CPropPageVideo* m_pVideo = nullptr;
    CPropPageSound* m_pSound = nullptr;
};

// The whole program: reports a missing settings folder, runs the sheet
// modally and saves on OK. Returns the exit code.
int RunGfxconfig(const std::string& programFolder, DisplayBackend backend = DisplayBackend::System());

} // namespace VornaTools
