#pragma once
// What the battle program's screen modules share: reading a required
// attribute of the module element, finding a dialog of the module's screen
// and a control of a given kind in it, each logging what is missing in the
// texts the modules use (with the class name the caller gives), and the test
// "pressed" of a push button.
#include <string>

#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"

class TiXmlElement;

namespace Vorna3D {
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlEditBox;
class CDX9KelSGUIControlListBox;
class CDX9KelSGUIText;
} // namespace Vorna3D

namespace SeaBattle {

class ModuleBinding {
public:
    // `className` heads every message, as in "CCIIModuleScenarioBegin".
    ModuleBinding(const char* className, const TiXmlElement* pElement, Vorna3D::CVR3CIIScreen* pScreen)
        : m_szClass(className), m_pElement(pElement), m_pScreen(pScreen) {}

    // The attribute's text into `out`; false (logged) when missing.
    bool Attribute(const char* name, std::string& out) const;
    // The screen's dialog of that name; null (logged) when it has none.
    Vorna3D::CDX9KelSGUIDialog* Dialog(const std::string& name) const;
    // The dialog's control of that name when it is a push button or a text;
    // null (logged) when the dialog has no such control of that kind.
    Vorna3D::CDX9KelSGUIControlButton* Button(Vorna3D::CDX9KelSGUIDialog* pDialog, const std::string& name) const;
    Vorna3D::CDX9KelSGUIText* Text(Vorna3D::CDX9KelSGUIDialog* pDialog, const std::string& name) const;
    Vorna3D::CDX9KelSGUIControlListBox* ListBox(Vorna3D::CDX9KelSGUIDialog* pDialog, const std::string& name) const;
    Vorna3D::CDX9KelSGUIControlEditBox* EditBox(Vorna3D::CDX9KelSGUIDialog* pDialog, const std::string& name) const;

    // Logs a missing attribute with another class name in front (some
    // modules log one attribute under a second name).
    static void LogMissingAttribute(const char* className, const char* name);

private:
    const char* m_szClass;
    const TiXmlElement* m_pElement;
    Vorna3D::CVR3CIIScreen* m_pScreen;
};

// A push button whose state is "pressed".
bool IsPressed(const Vorna3D::CDX9KelSGUIControlButton* pButton);
// True when the element is present and named `name` (exact).
bool IsElement(const TiXmlElement* pElement, const char* name);

} // namespace SeaBattle
