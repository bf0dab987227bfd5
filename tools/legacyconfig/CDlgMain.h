#pragma once
// The campaign's configuration dialog: window or full screen, resolution,
// refresh rate and the two volumes, with "Save" and "Cancel".
#include "tools/common/CDX9KelRender.h"
#include "tools/common/LegacySettings.h"

#include <wx/wx.h>

namespace VornaTools {

inline constexpr const char* kLegacyconfigTitle = "DX9 Vorna Engine 2 Configuration Manager";

class CDlgMain : public wxDialog {
public:
    enum {
        IDC_WINDOW = 1000,
        IDC_FULLSCREEN = 1001,
        IDC_RESOLUTION = 1002,
        IDC_SAVE = 1003,
        IDC_REFRESH = 1004,
        IDC_MUSIC = 1005,
        IDC_EFFECTS = 1006,
        IDC_MUSIC_LABEL = 1007,
        IDC_EFFECTS_LABEL = 1008,
    };

    CDlgMain(wxWindow* parent, const LegacySettings& settings);

    int FullScreenChoice() const;
    int ResolutionSelection() const;
    int RefreshSelection() const;
    int MusicVolume() const;
    int EffectsVolume() const;

private:
    void OnSlider(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);

    wxRadioButton* m_pWindow = nullptr;
    wxRadioButton* m_pFullScreen = nullptr;
    wxChoice* m_pResolution = nullptr;
    wxChoice* m_pRefresh = nullptr;
    wxSlider* m_pMusic = nullptr;
    wxSlider* m_pEffects = nullptr;
    wxStaticText* m_pMusicLabel = nullptr;
    wxStaticText* m_pEffectsLabel = nullptr;
};

// The whole program for the "engine.ini" at `settingsPath` ("" when the
// program's own path is unknown: reported, and nothing is written). Returns
// the exit code.
int RunLegacyconfig(const std::string& settingsPath, const DisplayBackend& backend = DisplayBackend::System());

} // namespace VornaTools
