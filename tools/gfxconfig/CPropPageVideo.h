#pragma once
// The "Video Settings" page: display mode, multisampling, textures, shaders
// and water.
#include "tools/common/GfxSettings.h"

#include <wx/wx.h>

namespace VornaTools {

class CPropPageVideo : public wxPanel {
public:
    enum {
        IDC_WINDOW = 1002,
        IDC_FULLSCREEN = 1003,
        IDC_RESOLUTION = 1004,
        IDC_REFRESH = 1005,
        IDC_MULTISAMPLE = 1006,
        IDC_ANISOTROPY = 1007,
        IDC_REFLREFR = 1008,
        IDC_QUALITY = 1009,
        IDC_VSYNC = 1010,
        IDC_WATER = 1011,
    };

    // Reads the settings at `settingsPath` and asks the adapter through `render`.
    CPropPageVideo(wxWindow* parent, const std::string& settingsPath, CDX9KelRender& render);

    // Takes the controls' state into the settings and writes them.
    bool SaveSettings();
    const GfxVideoSettings& Settings() const { return m_settings; }

private:
    wxChoice* AddChoice(wxWindow* box, wxFlexGridSizer* grid, const char* label, int id, const ChoiceList& list);
    void StoreControls();

    std::string m_szPath;
    GfxVideoSettings m_settings;
    wxRadioButton* m_pWindow = nullptr;
    wxRadioButton* m_pFullScreen = nullptr;
    wxCheckBox* m_pVSync = nullptr;
    wxChoice* m_pResolution = nullptr;
    wxChoice* m_pRefresh = nullptr;
    wxChoice* m_pMultisample = nullptr;
    wxChoice* m_pAnisotropy = nullptr;
    wxChoice* m_pReflRefr = nullptr;
    wxChoice* m_pQuality = nullptr;
    wxChoice* m_pWater = nullptr;
};

} // namespace VornaTools
