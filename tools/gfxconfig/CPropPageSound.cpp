#include "tools/gfxconfig/CPropPageSound.h"
#include "tools/common/EngineIni.h"
#include "tools/ui/ToolUi.h"

namespace VornaTools {

CPropPageSound::CPropPageSound(wxWindow* parent, const std::string& settingsPath)
    : wxPanel(parent, wxID_ANY), m_szPath(settingsPath) {
    m_settings.Read(m_szPath);

    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Volume");
    wxWindow* sb = box->GetStaticBox();
    auto* grid = new wxFlexGridSizer(3, wxSize(12, 6));
    grid->AddGrowableCol(1);
    auto addRow = [&](const char* label, int sliderId, int labelId, int value, wxSlider*& slider, wxStaticText*& text) {
        grid->Add(new wxStaticText(sb, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        slider = new wxSlider(sb, sliderId, value, 0, 100, wxDefaultPosition, wxSize(220, -1), wxSL_HORIZONTAL);
        grid->Add(slider, 1, wxEXPAND);
        text = new wxStaticText(sb, labelId, Text(PercentText(slider->GetValue())), wxDefaultPosition, wxSize(48, -1));
        grid->Add(text, 0, wxALIGN_CENTER_VERTICAL);
    };
    addRow("Music", IDC_MUSIC, IDC_MUSIC_LABEL, m_settings.musicVolume, m_pMusic, m_pMusicLabel);
    addRow("Effects", IDC_EFFECTS, IDC_EFFECTS_LABEL, m_settings.effectsVolume, m_pEffects, m_pEffectsLabel);
    box->Add(grid, 0, wxEXPAND | wxALL, 6);
    top->Add(box, 0, wxEXPAND | wxALL, 6);
    SetSizerAndFit(top);

    Bind(wxEVT_SLIDER, &CPropPageSound::OnSlider, this);
}

void CPropPageSound::OnSlider(wxCommandEvent& event) {
    if (event.GetId() == IDC_MUSIC)
        m_pMusicLabel->SetLabel(Text(PercentText(m_pMusic->GetValue())));
    else if (event.GetId() == IDC_EFFECTS)
        m_pEffectsLabel->SetLabel(Text(PercentText(m_pEffects->GetValue())));
    event.Skip();
}

bool CPropPageSound::SaveSettings() {
    m_settings.musicVolume = m_pMusic->GetValue();
    m_settings.effectsVolume = m_pEffects->GetValue();
    return m_settings.Save(m_szPath);
}

} // namespace VornaTools
