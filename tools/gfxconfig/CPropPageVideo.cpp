#include "tools/gfxconfig/CPropPageVideo.h"
#include "tools/ui/ToolUi.h"

#include <wx/statbox.h>

namespace VornaTools {

namespace {
wxFlexGridSizer* Grid() {
    auto* grid = new wxFlexGridSizer(2, wxSize(12, 6));
    grid->AddGrowableCol(1);
    return grid;
}
} // namespace

CPropPageVideo::CPropPageVideo(wxWindow* parent, const std::string& settingsPath, CDX9KelRender& render)
    : wxPanel(parent, wxID_ANY), m_szPath(settingsPath) {
    // The stored values are read even when the display cannot be asked, so
    // the radio and check box never overwrite them with made-up ones.
    m_settings.Read(m_szPath);
    std::vector<std::string> warnings;
    m_settings.BuildLists(render, warnings);
    for (const std::string& w : warnings) ShowToolMessage(Text(w));

    auto* top = new wxBoxSizer(wxVERTICAL);

    auto* mainBox = new wxStaticBoxSizer(wxVERTICAL, this, "Main");
    wxWindow* mb = mainBox->GetStaticBox();
    auto* radios = new wxBoxSizer(wxHORIZONTAL);
    m_pWindow = new wxRadioButton(mb, IDC_WINDOW, "Window", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pFullScreen = new wxRadioButton(mb, IDC_FULLSCREEN, "Full Screen");
    radios->Add(m_pWindow, 0, wxRIGHT, 16);
    radios->Add(m_pFullScreen, 0, wxRIGHT, 16);
    m_pVSync = new wxCheckBox(mb, IDC_VSYNC, "VSync");
    radios->Add(m_pVSync);
    mainBox->Add(radios, 0, wxALL, 6);
    wxFlexGridSizer* mainGrid = Grid();
    m_pResolution = AddChoice(mb, mainGrid, "Resolution", IDC_RESOLUTION, m_settings.resolution);
    m_pRefresh = AddChoice(mb, mainGrid, "Refresh Rate", IDC_REFRESH, m_settings.refresh);
    m_pMultisample = AddChoice(mb, mainGrid, "Multisample Type", IDC_MULTISAMPLE, m_settings.multisampleTypes);
    mainBox->Add(mainGrid, 0, wxEXPAND | wxALL, 6);
    top->Add(mainBox, 0, wxEXPAND | wxALL, 6);

    auto* texBox = new wxStaticBoxSizer(wxVERTICAL, this, "Textures");
    wxFlexGridSizer* texGrid = Grid();
    m_pAnisotropy = AddChoice(texBox->GetStaticBox(), texGrid, "Anisotropy", IDC_ANISOTROPY, m_settings.anisotropyLevels);
    m_pReflRefr = AddChoice(texBox->GetStaticBox(), texGrid, "Reflections and refractions", IDC_REFLREFR,
                            m_settings.reflRefrSizes);
    texBox->Add(texGrid, 0, wxEXPAND | wxALL, 6);
    top->Add(texBox, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);

    auto* lower = new wxBoxSizer(wxHORIZONTAL);
    auto* shaderBox = new wxStaticBoxSizer(wxVERTICAL, this, "Shaders");
    wxFlexGridSizer* shaderGrid = Grid();
    m_pQuality = AddChoice(shaderBox->GetStaticBox(), shaderGrid, "Quality", IDC_QUALITY, m_settings.quality);
    shaderBox->Add(shaderGrid, 1, wxEXPAND | wxALL, 6);
    lower->Add(shaderBox, 1, wxEXPAND | wxRIGHT, 6);
    auto* envBox = new wxStaticBoxSizer(wxVERTICAL, this, "Environment");
    wxFlexGridSizer* envGrid = Grid();
    m_pWater = AddChoice(envBox->GetStaticBox(), envGrid, "Water", IDC_WATER, m_settings.water);
    envBox->Add(envGrid, 1, wxEXPAND | wxALL, 6);
    lower->Add(envBox, 1, wxEXPAND);
    top->Add(lower, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);

    (m_settings.fullScreen != 0 ? m_pFullScreen : m_pWindow)->SetValue(true);
    m_pVSync->SetValue(m_settings.vsync != 0);
    SetSizerAndFit(top);
}

wxChoice* CPropPageVideo::AddChoice(wxWindow* box, wxFlexGridSizer* grid, const char* label, int id,
                                    const ChoiceList& list) {
    grid->Add(new wxStaticText(box, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* choice = new wxChoice(box, id, wxDefaultPosition, wxSize(160, -1));
    for (const std::string& t : list.texts) choice->Append(Text(t));
    choice->SetSelection(list.HasSelection() ? list.selection : wxNOT_FOUND);
    grid->Add(choice, 1, wxEXPAND);
    return choice;
}

void CPropPageVideo::StoreControls() {
    m_settings.fullScreen = m_pFullScreen->GetValue() ? 1 : 0;
    m_settings.vsync = m_pVSync->GetValue() ? 1 : 0;
    m_settings.resolution.selection = m_pResolution->GetSelection();
    m_settings.refresh.selection = m_pRefresh->GetSelection();
    m_settings.multisampleTypes.selection = m_pMultisample->GetSelection();
    m_settings.anisotropyLevels.selection = m_pAnisotropy->GetSelection();
    m_settings.reflRefrSizes.selection = m_pReflRefr->GetSelection();
    m_settings.quality.selection = m_pQuality->GetSelection();
    m_settings.water.selection = m_pWater->GetSelection();
}

bool CPropPageVideo::SaveSettings() {
    StoreControls();
    return m_settings.Save(m_szPath);
}

} // namespace VornaTools
