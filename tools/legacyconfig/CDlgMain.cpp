#include "tools/legacyconfig/CDlgMain.h"
#include "tools/common/EngineIni.h"
#include "tools/ui/ToolUi.h"

#include <wx/statbmp.h>

namespace VornaTools {

CDlgMain::CDlgMain(wxWindow* parent, const LegacySettings& settings)
    : wxDialog(parent, wxID_ANY, kLegacyconfigTitle) {
    SetIcons(ToolIcons());
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticBitmap(this, wxID_ANY, BannerBitmap(380, 90)), 0, wxALIGN_CENTER | wxALL, 6);

    auto* gfx = new wxStaticBoxSizer(wxVERTICAL, this, "Graphics parameters");
    wxWindow* gb = gfx->GetStaticBox();
    auto* radios = new wxBoxSizer(wxHORIZONTAL);
    m_pWindow = new wxRadioButton(gb, IDC_WINDOW, "Window", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pFullScreen = new wxRadioButton(gb, IDC_FULLSCREEN, "Full Screen");
    radios->Add(m_pWindow, 0, wxRIGHT, 16);
    radios->Add(m_pFullScreen);
    gfx->Add(radios, 0, wxALL, 6);
    auto* grid = new wxFlexGridSizer(2, wxSize(12, 6));
    grid->AddGrowableCol(1);
    auto addChoice = [&](const char* label, int id, const std::vector<std::string>& texts, int selection) {
        grid->Add(new wxStaticText(gb, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* c = new wxChoice(gb, id, wxDefaultPosition, wxSize(160, -1));
        for (const std::string& t : texts) c->Append(Text(t));
        c->SetSelection(selection >= 0 && selection < static_cast<int>(texts.size()) ? selection : wxNOT_FOUND);
        grid->Add(c, 1, wxEXPAND);
        return c;
    };
    m_pResolution = addChoice("Resolution", IDC_RESOLUTION, settings.resolutionTexts,
                              settings.InitialResolutionSelection());
    m_pRefresh = addChoice("Refresh Rate", IDC_REFRESH, settings.refreshTexts, settings.InitialRefreshSelection());
    gfx->Add(grid, 0, wxEXPAND | wxALL, 6);
    top->Add(gfx, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);

    auto* sound = new wxStaticBoxSizer(wxVERTICAL, this, "Sound");
    wxWindow* sb = sound->GetStaticBox();
    auto* sgrid = new wxFlexGridSizer(3, wxSize(12, 6));
    sgrid->AddGrowableCol(1);
    auto addSlider = [&](const char* label, int id, int labelId, int value, wxStaticText*& text) {
        sgrid->Add(new wxStaticText(sb, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* s = new wxSlider(sb, id, value, 0, 100, wxDefaultPosition, wxSize(200, -1));
        sgrid->Add(s, 1, wxEXPAND);
        text = new wxStaticText(sb, labelId, Text(PercentText(s->GetValue())), wxDefaultPosition, wxSize(48, -1));
        sgrid->Add(text, 0, wxALIGN_CENTER_VERTICAL);
        return s;
    };
    m_pMusic = addSlider("Music Volume", IDC_MUSIC, IDC_MUSIC_LABEL, settings.musicVolume, m_pMusicLabel);
    m_pEffects = addSlider("Effects Volume", IDC_EFFECTS, IDC_EFFECTS_LABEL, settings.effectsVolume, m_pEffectsLabel);
    sound->Add(sgrid, 0, wxEXPAND | wxALL, 6);
    top->Add(sound, 0, wxEXPAND | wxALL, 6);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* save = new wxButton(this, IDC_SAVE, "Save");
    save->SetDefault();
    buttons->Add(save, 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    top->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 6);

    (settings.InitialFullScreenChoice() != 0 ? m_pFullScreen : m_pWindow)->SetValue(true);
    SetSizerAndFit(top);
    Centre();
    Bind(wxEVT_SLIDER, &CDlgMain::OnSlider, this);
    Bind(wxEVT_BUTTON, &CDlgMain::OnSave, this, IDC_SAVE);
}

// "Save" takes the controls' values and closes the dialog with OK.
void CDlgMain::OnSave(wxCommandEvent&) {
    if (Validate() && TransferDataFromWindow()) EndModal(wxID_OK);
}

void CDlgMain::OnSlider(wxCommandEvent& event) {
    if (event.GetId() == IDC_MUSIC)
        m_pMusicLabel->SetLabel(Text(PercentText(m_pMusic->GetValue())));
    else if (event.GetId() == IDC_EFFECTS)
        m_pEffectsLabel->SetLabel(Text(PercentText(m_pEffects->GetValue())));
    event.Skip();
}

int CDlgMain::FullScreenChoice() const { return m_pFullScreen->GetValue() ? 1 : 0; }
int CDlgMain::ResolutionSelection() const { return m_pResolution->GetSelection(); }
int CDlgMain::RefreshSelection() const { return m_pRefresh->GetSelection(); }
int CDlgMain::MusicVolume() const { return m_pMusic->GetValue(); }
int CDlgMain::EffectsVolume() const { return m_pEffects->GetValue(); }

int RunLegacyconfig(const std::string& settingsPath, const DisplayBackend& backend) {
    if (settingsPath.empty()) ShowToolMessage("Not find path to file", "Error", wxICON_ERROR);
    LegacySettings settings;
    if (!settingsPath.empty()) settings.Read(settingsPath);
    Platform::DisplayMode desktop;
    std::vector<Platform::DisplayMode> modes;
    std::string error;
    if (!backend.queryModes || !backend.queryModes(desktop, modes, error))
        ShowToolMessage(wxString::FromUTF8("Ошибка получения списка видеорежимов"), wxString::FromUTF8("Ошибка."));
    else
        settings.BuildModeLists(desktop, modes);

    CDlgMain dlg(nullptr, settings);
    if (dlg.ShowModal() != wxID_OK) return 0;
    if (settingsPath.empty()) return 1; // told at start: there is nowhere to write
    if (!settings.Save(settingsPath, dlg.FullScreenChoice(), dlg.ResolutionSelection(), dlg.RefreshSelection(),
                       dlg.MusicVolume(), dlg.EffectsVolume())) {
        ShowToolMessage(Text("The settings could not be written to \"" + settingsPath + "\"."), "Error", wxICON_ERROR);
        return 1;
    }
    return 0;
}

} // namespace VornaTools
