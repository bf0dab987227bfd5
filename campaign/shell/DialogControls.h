#pragma once
// Finding a dialog's controls by their place, for the screen modules and
// the scenario's dialogs.
namespace Vorna2 {
class CDX9KelGUIControl;
class CDX9KelGUIDialog;
} // namespace Vorna2

namespace VornaCampaign {

// The control at a position of a dialog's control list, the parts that make
// up a button, list box or scroll bar counted where they stand (a button's
// image and caption just before it, a list box's nine parts just before
// it); null past the end.
Vorna2::CDX9KelGUIControl* GetDialogControl(const Vorna2::CDX9KelGUIDialog* dialog, int position);

} // namespace VornaCampaign
