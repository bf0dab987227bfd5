#include "campaign/shell/DialogControls.h"

#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace VornaCampaign {

Vorna2::CDX9KelGUIControl* GetDialogControl(const Vorna2::CDX9KelGUIDialog* dialog, int position) {
    if (!dialog || position < 0) return nullptr;
    int index = dialog->GetNextControl(-1);
    for (int i = 0; i < position && index >= 0; ++i) index = dialog->GetNextControl(index);
    return index < 0 ? nullptr : dialog->m_Controls[static_cast<std::size_t>(index)].get();
}

} // namespace VornaCampaign
