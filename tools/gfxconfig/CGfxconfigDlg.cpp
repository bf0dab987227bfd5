#include "tools/gfxconfig/CGfxconfigDlg.h"
#include "tools/common/EngineIni.h"
#include "tools/ui/ToolUi.h"

#include <wx/bookctrl.h>

namespace VornaTools {

CGfxconfigDlg::CGfxconfigDlg(wxWindow* parent, const std::string& programFolder, DisplayBackend backend)
    : m_render(std::move(backend)) {
    // Both pages share one path: they resolve it by the same rule.
    m_szPath = UserSettingsPath(programFolder, &m_szFailedFolder);
    Create(parent, wxID_ANY, kGfxconfigTitle);
    SetIcons(ToolIcons());
    CreateButtons(wxOK | wxCANCEL);
    m_pVideo = new CPropPageVideo(GetBookCtrl(), m_szPath, m_render);
    m_pSound = new CPropPageSound(GetBookCtrl(), m_szPath);
    GetBookCtrl()->AddPage(m_pVideo, "Video Settings", true);
    GetBookCtrl()->AddPage(m_pSound, "Sound Settings");
    LayoutDialog();
}

bool CGfxconfigDlg::SaveAll() {
    if (m_szPath.empty()) return false;
    return m_pVideo->SaveSettings() && m_pSound->SaveSettings();
}

int RunGfxconfig(const std::string& programFolder, DisplayBackend backend) {
    auto* dlg = new CGfxconfigDlg(nullptr, programFolder, std::move(backend));
    if (dlg->SettingsPath().empty())
        ShowToolMessage(Text("The settings folder \"" + dlg->FailedFolder() +
                             "\" cannot be created. The settings cannot be saved."),
                        "Error", wxICON_ERROR);
    int code = 0;
    if (dlg->ShowModal() == wxID_OK && !dlg->SaveAll()) {
        ShowToolMessage(Text(dlg->SettingsPath().empty()
                                 ? std::string("The settings are not saved: there is no settings folder.")
                                 : "The settings could not be written to \"" + dlg->SettingsPath() + "\"."),
                        "Error", wxICON_ERROR);
        code = 1;
    }
    dlg->Destroy();
    return code;
}

} // namespace VornaTools
