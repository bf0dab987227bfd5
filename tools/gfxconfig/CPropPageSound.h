#pragma once
// The "Sound Settings" page: music and effects volume.
#include "tools/common/GfxSettings.h"

#include <wx/wx.h>

namespace VornaTools {

class CPropPageSound : public wxPanel {
public:
    enum { IDC_MUSIC = 1011, IDC_EFFECTS = 1012, IDC_MUSIC_LABEL = 1013, IDC_EFFECTS_LABEL = 1014 };

    CPropPageSound(wxWindow* parent, const std::string& settingsPath);
    bool SaveSettings();
    const GfxSoundSettings& Settings() const { return m_settings; }

private:
    void OnSlider(wxCommandEvent& event);

    std::string m_szPath;
    GfxSoundSettings m_settings;
    wxSlider* m_pMusic = nullptr;
    wxSlider* m_pEffects = nullptr;
    wxStaticText* m_pMusicLabel = nullptr;
    wxStaticText* m_pEffectsLabel = nullptr;
};

} // namespace VornaTools
