#include "campaign/shell/DialogControls.h"

#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace VornaCampaign {

Vorna2::CDX9KelGUIControl* GetDialogControl(const Vorna2::CDX9KelGUIDialog* dialog, int position) {
    if (!dialog || position < 0 || static_cast<std::size_t>(position) >= dialog->m_Controls.size()) return nullptr;
    return dialog->m_Controls[static_cast<std::size_t>(position)].get();
}

} // namespace VornaCampaign
