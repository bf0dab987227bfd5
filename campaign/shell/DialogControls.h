#pragma once
// Finding a dialog's controls by their place, for the screen modules and
// the scenario's dialogs.
namespace Vorna2 {
class CDX9KelGUIControl;
class CDX9KelGUIDialog;
} // namespace Vorna2

namespace VornaCampaign {

// The control at a position among a dialog's own controls (the parts that
// make up a button, list box or scroll bar do not count); null past the end.
Vorna2::CDX9KelGUIControl* GetDialogControl(const Vorna2::CDX9KelGUIDialog* dialog, int position);

} // namespace VornaCampaign
