#include "seabattle/shell/ModuleBinding.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"

#include <cstring>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonState.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace SeaBattle {

using namespace Vorna3D;

void ModuleBinding::LogMissingAttribute(const char* className, const char* name) {
    g_Log.Write(LOG_ERROR, "%s%s%s%s", className, "::Init() : not found '", name, "' attribute in module node\n");
}

bool ModuleBinding::Attribute(const char* name, std::string& out) const {
    const char* value = ReadXMLAttributeString(m_pElement, name, false);
    if (!value) {
        LogMissingAttribute(m_szClass, name);
        return false;
    }
    out = value;
    return true;
}

CDX9KelSGUIDialog* ModuleBinding::Dialog(const std::string& name) const {
    CVR3CIIScreenDialogEntry* entry = CVR3CIIScreen::FindDialogEntry(m_pScreen, name.c_str());
    if (!entry || !entry->pDialog) {
        g_Log.Write(LOG_ERROR, "%s%s%s%s", m_szClass, "::Init() : not found screen dialog : ", name.c_str(), "\n");
        return nullptr;
    }
    return entry->pDialog;
}

namespace {

// `pSearch` is searched; `pNamed` names the dialog in the message.
template <class T>
T* FindOfKind(const char* className, CDX9KelSGUIDialog* pSearch, const std::string& name, CDX9KelSGUIDialog* pNamed) {
    T* control = pSearch ? dynamic_cast<T*>(pSearch->FindControl(name.c_str())) : nullptr;
    if (!control)
        g_Log.Write(LOG_ERROR, "%s%s%s%s%s%s", className, "::Init() : not found control : '", name.c_str(),
                    "' in dialog : '", pNamed ? pNamed->GetName().c_str() : "", "'\n");
    return control;
}

} // namespace

CDX9KelSGUIControlButton* ModuleBinding::Button(CDX9KelSGUIDialog* pDialog, const std::string& name) const {
    // A check or state button is no push button: "pressed" is its checked
    // state and would act on every frame.
    CDX9KelSGUIBaseControl* control = pDialog ? pDialog->FindControl(name.c_str()) : nullptr;
    if (dynamic_cast<CDX9KelSGUIControlButtonCheck*>(control) || dynamic_cast<CDX9KelSGUIControlButtonState*>(control))
        control = nullptr;
    return FindOfKind<CDX9KelSGUIControlButton>(m_szClass, control ? pDialog : nullptr, name, pDialog);
}

CDX9KelSGUIText* ModuleBinding::Text(CDX9KelSGUIDialog* pDialog, const std::string& name) const {
    return FindOfKind<CDX9KelSGUIText>(m_szClass, pDialog, name, pDialog);
}

CDX9KelSGUIControlListBox* ModuleBinding::ListBox(CDX9KelSGUIDialog* pDialog, const std::string& name) const {
    return FindOfKind<CDX9KelSGUIControlListBox>(m_szClass, pDialog, name, pDialog);
}

CDX9KelSGUIControlEditBox* ModuleBinding::EditBox(CDX9KelSGUIDialog* pDialog, const std::string& name) const {
    return FindOfKind<CDX9KelSGUIControlEditBox>(m_szClass, pDialog, name, pDialog);
}

bool IsPressed(const CDX9KelSGUIControlButton* pButton) {
    return pButton && pButton->GetState() == SGUI_BUTTON_PRESSED;
}

bool IsElement(const TiXmlElement* pElement, const char* name) {
    return pElement && pElement->Value() && std::strcmp(pElement->Value(), name) == 0;
}

} // namespace SeaBattle
