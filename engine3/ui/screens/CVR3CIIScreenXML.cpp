// The screen-file readers. Forms of the elements that take more than one
// value: rectangles and placements are attributes ("l", "t", "r", "b";
// "x", "y"), colours attributes "r", "g", "b", "a", texture rectangles
// attributes "x", "y", "z", "w" (left u, top v, right u, bottom v); flags,
// counts, key codes and times are element text.
#include <cstring>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/SafeXml.h"
#include "engine3/ui/screens/CVR3CIIModuleManager.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonState.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "engine3/ui/sgui/SGUIPopup.h"

namespace Vorna3D {

namespace {

// A state table longer than this is not a state table.
constexpr size_t kMaxStates = 16;
// No action names more dialogs than this.
constexpr size_t kMaxActionObjects = 64;

bool Is(const TiXmlElement* e, const char* name) { return e && e->Value() && std::strcmp(e->Value(), name) == 0; }

void LogWarning(const char* a, const char* b = "", const char* c = "", const char* d = "") {
    g_Log.Write(LOG_WARNING, "%s%s%s%s", a, b, c, d);
}

// The control's name: "Name" (localised), else the element's own name.
std::string ControlName(const TiXmlElement* e) {
    std::string name;
    if (!ReadXMLString(e->FirstChildElement("Name"), true, name) || name.empty()) name = e->Value();
    return name;
}

// The control's rectangle in client pixels: "BordersLocal" relative to the
// parent's top-left corner, else "BordersPercent" of the parent. False when
// neither is there.
bool ReadRect(const TiXmlElement* e, const RECT& parent, RECT& out, const char* base = "Borders") {
    out = {-1, -1, -1, -1};
    const std::string local = std::string(base) + "Local";
    const std::string percent = std::string(base) + "Percent";
    if (const TiXmlElement* r = e->FirstChildElement(local.c_str())) {
        out.left = parent.left + ReadXMLAttributeInt(r, "l");
        out.top = parent.top + ReadXMLAttributeInt(r, "t");
        out.right = parent.left + ReadXMLAttributeInt(r, "r");
        out.bottom = parent.top + ReadXMLAttributeInt(r, "b");
        return true;
    }
    if (const TiXmlElement* r = e->FirstChildElement(percent.c_str())) {
        const FloatRect p = ReadXMLAttributeRect(r);
        out = CDX9KelUtils::GetRectFromPercents(parent.left, parent.top, parent.right, parent.bottom, p.left, p.top,
                                                p.right, p.bottom);
        return true;
    }
    return false;
}

void ReadColor(const TiXmlElement* e, float out[4]) {
    if (!e) return;
    const D3DXCOLOR c = ReadXMLAttributeColor(e);
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

void ReadTexRect(const TiXmlElement* e, float out[4]) {
    if (!e) return;
    const D3DXVECTOR4 v = ReadXMLAttributeVector4(e);
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
    out[3] = v.w;
}

void ReadRelative(const TiXmlElement* e, float out[4]) {
    if (!e) return;
    const FloatRect r = ReadXMLAttributeRect(e);
    out[0] = r.left;
    out[1] = r.top;
    out[2] = r.right;
    out[3] = r.bottom;
}

// A texture file named by element `name` (localised), under the
// user-interface folder. False when the element or its text is missing.
bool ReadTexture(const TiXmlElement* e, const char* name, const CVR3CIIScreen* screen, std::string& out) {
    std::string file;
    if (!ReadXMLString(e->FirstChildElement(name), true, file) || file.empty()) return false;
    out = (screen->m_pManager ? screen->m_pManager->GetUserInterfaceFolder() : std::string()) + file;
    return true;
}

std::string ReadText(const TiXmlElement* e, const char* name) {
    std::string s;
    ReadXMLString(e->FirstChildElement(name), true, s);
    return s;
}

void ReadStates(const TiXmlElement* e, bool color, std::vector<SGUIStateRect>& out) {
    for (const TiXmlElement* s = e ? e->FirstChildElement() : nullptr; s && out.size() < kMaxStates;
         s = s->NextSiblingElement()) {
        SGUIStateRect r{};
        if (color) {
            const D3DXCOLOR c = ReadXMLAttributeColor(s);
            r.v[0] = c.r;
            r.v[1] = c.g;
            r.v[2] = c.b;
            r.v[3] = c.a;
        } else {
            ReadTexRect(s, r.v);
        }
        out.push_back(r);
    }
}

// "Visible" and "Proc" of a plain control.
void ApplyVisibleProc(const TiXmlElement* e, CDX9KelSGUIBaseControl* c) {
    if (const TiXmlElement* v = e->FirstChildElement("Visible")) c->m_bVisible = ReadXMLBool(v);
    if (const TiXmlElement* p = e->FirstChildElement("Proc")) c->m_bEnabled = ReadXMLBool(p);
}

// The effect a control or one of its parts is drawn with: the file named by
// element `name` (localised, relative to the program folder). A file that
// cannot be made is logged by the dialog; the part then draws without it.
void ReadEffect(CDX9KelSGUIDialog* dialog, const TiXmlElement* e, const char* name, CDX9KelSGUIBaseControl* part) {
    const std::string effect = ReadText(e, name);
    if (!effect.empty() && part) dialog->SetControlEffect(part, effect.c_str());
}

// What a pop-up element gives beyond its parts' making: the image's colour
// and the effects of both parts.
void ApplyPopupLooks(CDX9KelSGUIDialog* dialog, const TiXmlElement* e, SGUIPopup& popup) {
    if (CDX9KelSGUIControlImage* image = popup.m_pImage) {
        if (const TiXmlElement* c = e->FirstChildElement("ImageColor")) {
            float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            ReadColor(c, color);
            for (int i = 0; i < 4; ++i) image->m_BaseColor[i] = color[i];
            image->SetColor(color[0], color[1], color[2], color[3]);
        }
        ReadEffect(dialog, e, "ImageEffectPathAfterExeFolder", image);
    }
    ReadEffect(dialog, e, "TextEffectPathAfterExeFolder", popup.m_pText);
}

struct ButtonKind {
    const char* reader;      // "CVR3CIIScreen::CreateButtonXML() : "
    const char* add;         // "dialog AddButton() failed\n"
    const char* textPlace;   // "TextRelativePosition" or "TextPosition"
    bool hotKeyAndAction;
};

const ButtonKind kPushButton = {"CVR3CIIScreen::CreateButtonXML() : ", "dialog AddButton() failed\n",
                                "TextRelativePosition", true};
const ButtonKind kCheckButton = {"CVR3CIIScreen::CreateCheckButtonXML() : ", "dialog AddCheckButton() failed\n",
                                 "TextPosition", true};
const ButtonKind kStateButton = {"CVR3CIIScreen::CreateStateButtonXML() : ", "dialog AddStateButton() failed\n",
                                 "TextPosition", false};

CDX9KelSGUIControlButton* CreateAnyButton(const ButtonKind& kind, CDX9KelSGUIDialog* dialog, const TiXmlElement* e,
                                          CVR3CIIScreen* screen) {
    if (!dialog || !e || !screen || !screen->m_pManager) return nullptr;
    CVR3CIIScreenManager* manager = screen->m_pManager;
    const std::string name = ControlName(e);
    RECT rc;
    if (!ReadRect(e, dialog->GetRect(), rc)) {
        LogWarning(kind.reader, "not load Borders node from XML\n");
        return nullptr;
    }
    SGUITextureDesc texture;
    if (!ReadTexture(e, "ImageTexture", screen, texture.strFile)) {
        LogWarning(kind.reader, "not load ImageTexture node from XML\n");
        return nullptr;
    }
    float imageColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float textColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float textRect[4] = {0.0f, 0.0f, 100.0f, 100.0f};
    ReadColor(e->FirstChildElement("ImageColor"), imageColor);
    ReadRelative(e->FirstChildElement(kind.textPlace), textRect);
    int font = -1;
    int format = -1;
    const std::string fontName = ReadText(e, "Font");
    if (!fontName.empty()) {
        const CVR3CIIScreenFont* record = manager->GetFont(fontName.c_str());
        if (!record) {
            g_Log.Write(LOG_WARNING, "%s%s%s%s", kind.reader, "not found default font : ", fontName.c_str(), "\n");
            return nullptr;
        }
        font = record->iFont;
        format = record->iFormat;
        for (int i = 0; i < 4; ++i) textColor[i] = record->color[i];
    }
    const std::string text = ReadText(e, "Text");

    IDirect3DDevice9* device = manager->GetDevice();
    CDX9KelSGUIControlButton* button = nullptr;
    if (&kind == &kPushButton)
        button = dialog->AddButton(device, name.c_str(), true, font, format, text.c_str(), texture, rc.left, rc.top,
                                   rc.right, rc.bottom, imageColor, textRect, textColor);
    else if (&kind == &kCheckButton)
        button = dialog->AddCheckButton(device, name.c_str(), true, font, format, text.c_str(), texture, rc.left,
                                        rc.top, rc.right, rc.bottom, imageColor, textRect, textColor);
    else
        button = dialog->AddStateButton(device, name.c_str(), font, format, text.c_str(), texture, rc.left, rc.top,
                                        rc.right, rc.bottom, imageColor, textRect, textColor);
    if (!button) {
        LogWarning(kind.reader, kind.add);
        return nullptr;
    }
    ReadEffect(dialog, e, "ImageEffectPathAfterExeFolder", button->m_pImage);
    ReadEffect(dialog, e, "TextEffectPathAfterExeFolder", button->m_pText);

    std::vector<SGUIStateRect> rects, colors;
    const TiXmlElement* rectsNode = e->FirstChildElement("StatesTextureCoordinates");
    const TiXmlElement* colorsNode = e->FirstChildElement("StatesTextColors");
    ReadStates(rectsNode, false, rects);
    ReadStates(colorsNode, true, colors);
    // The tables give the button its resting look at once.
    if ((rectsNode || colorsNode) &&
        button->SetStates(rectsNode ? &rects : nullptr, colorsNode ? &colors : nullptr)) {
        if (auto* state = dynamic_cast<CDX9KelSGUIControlButtonState*>(button)) {
            state->RequestOwnState(SGUI_STATE_NORMAL);
            state->ApplyOwnState();
        } else {
            button->ResetState();
        }
    }
    if (const TiXmlElement* v = e->FirstChildElement("Visible")) button->SetVisible(ReadXMLBool(v));
    if (const TiXmlElement* p = e->FirstChildElement("Proc")) button->m_bEnabled = ReadXMLBool(p);
    if (const TiXmlElement* s = e->FirstChildElement("Shift")) button->SetShift(ReadXMLBool(s));
    if (kind.hotKeyAndAction)
        if (const TiXmlElement* h = e->FirstChildElement("HotKey")) button->m_iHotKey = ReadXMLInt(h);
    if (const TiXmlElement* popup = e->FirstChildElement("PopUp"))
        if (!CVR3CIIScreen::CreateButtonPopUp(dialog, popup, screen, button))
            g_Log.Write(LOG_WARNING, "%s%s%s%s", kind.reader, "CreateButtonPopUp() failed for control :",
                        button->GetName().c_str(), "\n");
    if (kind.hotKeyAndAction)
        if (const TiXmlElement* action = e->FirstChildElement("Action"))
            if (!CVR3CIIScreen::CreateAction(dialog, action, screen, button))
                g_Log.Write(LOG_WARNING, "%s%s%s%s", kind.reader, "CreateAction() failed for control :",
                            button->GetName().c_str(), "\n");
    return button;
}

// What a pop-up element gives: the texture, the caption with its font and
// place, the rectangle and the delay.
struct PopupValues {
    SGUITextureDesc texture;
    int font = -1;
    int format = -1;
    std::string text;
    RECT rect = {-1, -1, -1, -1};
    float textRect[4] = {0.0f, 0.0f, 100.0f, 100.0f};
    float textColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int delay = -1;
};

bool ReadPopup(CDX9KelSGUIDialog* dialog, const TiXmlElement* e, CVR3CIIScreen* screen, PopupValues& v) {
    if (!dialog || !e || !screen || !screen->m_pManager) return false;
    if (!ReadRect(e, dialog->GetRect(), v.rect)) return false;
    ReadTexture(e, "ImageTexture", screen, v.texture.strFile);
    ReadTexRect(e->FirstChildElement("ImageTextCoord"), v.texture.rect);
    ReadRelative(e->FirstChildElement("TextRelativePosition"), v.textRect);
    const std::string fontName = ReadText(e, "Font");
    if (!fontName.empty()) {
        const CVR3CIIScreenFont* record = screen->m_pManager->GetFont(fontName.c_str());
        if (!record) return false;
        v.font = record->iFont;
        v.format = record->iFormat;
        for (int i = 0; i < 4; ++i) v.textColor[i] = record->color[i];
    }
    v.text = ReadText(e, "Text");
    if (const TiXmlElement* t = e->FirstChildElement("VisibleTime")) v.delay = ReadXMLInt(t);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// The screen and its dialogs.

bool CVR3CIIScreen::LoadFromXML(CVR3CIIScreenManager* pManager, const char* szPath, CVR3CIIScreen* pScreen,
                                const char* szName) {
    if (!pManager || !szPath || !*szPath || !pScreen || !szName || !*szName) return false;
    pScreen->m_pManager = pManager;
    TiXmlDocument doc;
    if (!LoadXmlFile(szPath, doc)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3CIIScreen::LoadFromXML() : not read xml file : ", szPath, "\n");
        return false;
    }
    return LoadFromElement(pManager, doc.FirstChildElement("Screen"), pScreen, szName);
}

bool CVR3CIIScreen::LoadFromElement(CVR3CIIScreenManager* pManager, const TiXmlElement* pRoot,
                                    CVR3CIIScreen* pScreen, const char* szName) {
    if (!pManager || !pScreen || !szName || !*szName) return false;
    pScreen->m_pManager = pManager;
    if (!pRoot || !Is(pRoot, "Screen")) return false;
    if (const TiXmlElement* dialogs = pRoot->FirstChildElement("Dialogs"))
        for (const TiXmlElement* d = dialogs->FirstChildElement(); d; d = d->NextSiblingElement())
            if (!CreateDialogFromXML(pScreen, d))
                LogWarning("CVR3CIIScreen::CreateDialogFromXML() : not create dialog : ", d->Value(), "\n");
    // After all dialogs, so a module finds every dialog of its screen.
    if (const TiXmlElement* modules = pRoot->FirstChildElement("Modules")) {
        CVR3CIIModuleManager* mm = pManager->GetModuleManager();
        for (const TiXmlElement* m = modules->FirstChildElement(); m; m = m->NextSiblingElement())
            if (!mm || !mm->AddModule(m, pScreen))
                LogWarning("CVR3CIIScreen::CreateDialogFromXML() : not create module : ", m->Value(), "\n");
    }
    pScreen->m_strName = szName;
    pScreen->Deactivate();
    return true;
}

bool CVR3CIIScreen::CreateDialogFromXML(CVR3CIIScreen* pScreen, const TiXmlElement* pElement) {
    if (!pScreen || !pElement || !pScreen->m_pManager) return false;
    CVR3CIIScreenManager* manager = pScreen->m_pManager;
    CDX9KelSGUIManager* gui = manager->GetSGUIManager();
    if (!gui) return false;

    int kindX = -1, kindY = -1;
    if (const TiXmlElement* p = pElement->FirstChildElement("PositionType")) {
        kindX = ReadXMLAttributeInt(p, "x");
        kindY = ReadXMLAttributeInt(p, "y");
    }
    LONG shiftX = 0, shiftY = 0;
    if (const TiXmlElement* p = pElement->FirstChildElement("PositionShift")) {
        shiftX = ReadXMLAttributeInt(p, "x");
        shiftY = ReadXMLAttributeInt(p, "y");
    }
    const bool unique = ReadXMLBool(pElement->FirstChildElement("UniqueName"));
    const TiXmlElement* borders = pElement->FirstChildElement("Borders");
    if (!borders) {
        LogWarning("CVR3CIIScreen::CreateDialogFromXML() : not found Borders node\n");
        return false;
    }
    if (kindX > 3 || kindY > 3) {
        LogWarning("CVR3CIIScreen::CreateDialogFromXML() : not correct position type\n");
        return false;
    }
    const FloatRect b = ReadXMLAttributeRect(borders);
    RECT rc = {0, 0, 0, 0};
    if (kindX == 3 && kindY == 3) {
        const RECT client = manager->GetClientRect();
        rc = CDX9KelUtils::GetRectFromPercents(client.left, client.top, client.right, client.bottom, b.left, b.top,
                                               b.right, b.bottom);
    } else if (kindX != -1 && kindY != -1) {
        // Whole pixels; a value beyond the range of a pixel count is no size.
        auto pixels = [](float f) -> LONG { return f > -1.0e6f && f < 1.0e6f ? static_cast<LONG>(f) : 0; };
        const POINT anchor = manager->GetClientAnchor(kindX, kindY);
        rc.left = anchor.x + shiftX;
        rc.top = anchor.y + shiftY;
        rc.right = rc.left + (pixels(b.right) - pixels(b.left));
        rc.bottom = rc.top + (pixels(b.bottom) - pixels(b.top));
    }

    CDX9KelSGUIDialog* dialog = nullptr;
    if (rc.right > rc.left && rc.bottom > rc.top)
        dialog = gui->InitDialog(pElement->Value(), unique, rc.left, rc.top, rc.right, rc.bottom);
    if (!dialog) return false;
    auto* entry = new CVR3CIIScreenDialogEntry();
    entry->pDialog = dialog;

    if (const TiXmlElement* v = pElement->FirstChildElement("Visible")) {
        const bool visible = ReadXMLBool(v);
        if (dialog->m_bVisible != visible) dialog->m_bControlsNeedReset = true;
        dialog->m_bVisible = dialog->m_bPrevVisible = dialog->m_bInitVisible = visible;
    }
    if (const TiXmlElement* v = pElement->FirstChildElement("AutoInvisible")) dialog->m_bAutoInvisible = ReadXMLBool(v);
    if (const TiXmlElement* v = pElement->FirstChildElement("VisibleLock")) dialog->m_bVisibleLock = ReadXMLBool(v);
    if (const TiXmlElement* v = pElement->FirstChildElement("Proc")) {
        const bool proc = ReadXMLBool(v);
        if (dialog->m_bProc != proc) dialog->m_bControlsNeedReset = true;
        dialog->m_bProc = proc;
    }
    if (const TiXmlElement* v = pElement->FirstChildElement("UsingLastVisibleForScreen"))
        dialog->m_bUseLastVisible = ReadXMLBool(v);

    // The entry goes in first, so the actions of its buttons find it.
    pScreen->m_stdvDialogs.push_back(entry);
    if (const TiXmlElement* controls = pElement->FirstChildElement("Controls")) {
        for (const TiXmlElement* c = controls->FirstChildElement(); c; c = c->NextSiblingElement()) {
            if (Is(c, "Text"))
                CreateTextXML(dialog, c, pScreen);
            else if (Is(c, "Image"))
                CreateImageXML(dialog, c, pScreen);
            else if (Is(c, "Button"))
                CreateButtonXML(dialog, c, pScreen);
            else if (Is(c, "CheckButton"))
                CreateCheckButtonXML(dialog, c, pScreen);
            else if (Is(c, "StateButton"))
                CreateStateButtonXML(dialog, c, pScreen);
            else if (Is(c, "RadioList"))
                CreateRadioListXML(dialog, c, pScreen);
            else if (Is(c, "ScrollCheckList"))
                CreateScrollCheckListXML(dialog, c, pScreen);
            else if (Is(c, "ScrollBar"))
                CreateScrollBarXML(dialog, c, pScreen);
            else if (Is(c, "ScrollBarHard"))
                CreateScrollBarHardXML(dialog, c, pScreen);
            else if (Is(c, "ListBox"))
                CreateListBoxXML(dialog, c, pScreen);
            else if (Is(c, "EditBox"))
                CreateEditBoxXML(dialog, c, pScreen);
            // "ScrollText" and unknown names are skipped.
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Controls.

CDX9KelSGUIText* CVR3CIIScreen::CreateTextXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                              CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadRect(pElement, pDialog->GetRect(), rc)) {
        LogWarning("CVR3CIIScreen::CreateTextXML() : not load Borders node from XML\n");
        return nullptr;
    }
    std::string fontName;
    if (!ReadXMLString(pElement->FirstChildElement("Font"), true, fontName)) {
        LogWarning("CVR3CIIScreen::CreateTextXML() : not load Font node from XML\n");
        return nullptr;
    }
    const CVR3CIIScreenFont* font = pScreen->m_pManager->GetFont(fontName.c_str());
    if (!font) {
        LogWarning("CVR3CIIScreen::CreateTextXML() : not found default font : ", fontName.c_str(), "\n");
        return nullptr;
    }
    std::string text;
    if (!ReadXMLString(pElement->FirstChildElement("Text"), true, text)) {
        LogWarning("CVR3CIIScreen::CreateTextXML() : not load Text node from XML\n");
        return nullptr;
    }
    const std::string effect = ReadText(pElement, "EffectPathAfterExeFolder");
    CDX9KelSGUIText* control =
        pDialog->AddText(pScreen->m_pManager->GetDevice(), name.c_str(), true, font->iFont, font->iFormat,
                         effect.empty() ? nullptr : effect.c_str(), text.c_str(), rc.left, rc.top, rc.right,
                         rc.bottom, font->color[0], font->color[1], font->color[2], font->color[3]);
    if (!control) {
        LogWarning("CVR3CIIScreen::CreateTextXML() : dialog AddText() failed\n");
        return nullptr;
    }
    ApplyVisibleProc(pElement, control);
    return control;
}

CDX9KelSGUIControlImage* CVR3CIIScreen::CreateImageXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                       CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadRect(pElement, pDialog->GetRect(), rc)) {
        LogWarning("CVR3CIIScreen::CreateImageXML() : not load Borders node from XML\n");
        return nullptr;
    }
    std::string texture;
    if (!ReadTexture(pElement, "Texture", pScreen, texture)) {
        LogWarning("CVR3CIIScreen::CreateImageXML() : not load Texture node from XML\n");
        return nullptr;
    }
    const std::string effect = ReadText(pElement, "EffectPathAfterExeFolder");
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    ReadColor(pElement->FirstChildElement("Color"), color);
    const TiXmlElement* zoom = pElement->FirstChildElement("ResizeMouse");
    CDX9KelSGUIControlImage* image = pDialog->AddImage(
        pScreen->m_pManager->GetDevice(), name.c_str(), true, texture.c_str(), effect.empty() ? nullptr : effect.c_str(),
        zoom ? ReadXMLBool(zoom) : false, rc.left, rc.top, rc.right, rc.bottom, color[0], color[1], color[2],
        color[3]);
    if (!image) {
        LogWarning("CVR3CIIScreen::CreateImageXML() : dialog AddImage() failed\n");
        return nullptr;
    }
    if (const TiXmlElement* tc = pElement->FirstChildElement("TextureCoordinates")) {
        float r[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        ReadTexRect(tc, r);
        image->SetTextureRect(r[0], r[1], r[2], r[3]);
    }
    ApplyVisibleProc(pElement, image);
    if (const TiXmlElement* popup = pElement->FirstChildElement("PopUp"))
        if (!CreateImagePopUp(pDialog, popup, pScreen, image))
            LogWarning("CVR3CIIScreen::CreateImageXML() : CreateImagePopUp() failed for control :", name.c_str(),
                       "\n");
    return image;
}

CDX9KelSGUIControlButton* CVR3CIIScreen::CreateButtonXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                         CVR3CIIScreen* pScreen) {
    return CreateAnyButton(kPushButton, pDialog, pElement, pScreen);
}

CDX9KelSGUIControlButton* CVR3CIIScreen::CreateCheckButtonXML(CDX9KelSGUIDialog* pDialog,
                                                              const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    return CreateAnyButton(kCheckButton, pDialog, pElement, pScreen);
}

CDX9KelSGUIControlButton* CVR3CIIScreen::CreateStateButtonXML(CDX9KelSGUIDialog* pDialog,
                                                              const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    return CreateAnyButton(kStateButton, pDialog, pElement, pScreen);
}

bool CVR3CIIScreen::CreateButtonPopUp(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                      CVR3CIIScreen* pScreen, CDX9KelSGUIControlButton* pButton) {
    PopupValues v;
    if (!pButton || !ReadPopup(pDialog, pElement, pScreen, v)) return false;
    if (!pButton->InitPopup(pScreen->m_pManager->GetDevice(), pDialog, v.texture, v.font, v.format, v.text.c_str(),
                            v.rect.left, v.rect.top, v.rect.right, v.rect.bottom, v.textRect, v.textColor))
        return false;
    if (v.delay >= 0) pButton->m_Popup.m_dwDelay = static_cast<DWORD>(v.delay);
    ApplyPopupLooks(pDialog, pElement, pButton->m_Popup);
    return true;
}

bool CVR3CIIScreen::CreateImagePopUp(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                     CVR3CIIScreen* pScreen, CDX9KelSGUIControlImage* pImage) {
    PopupValues v;
    if (!pImage || !ReadPopup(pDialog, pElement, pScreen, v)) return false;
    if (!pImage->InitPopup(pScreen->m_pManager->GetDevice(), pDialog, v.texture, v.font, v.format, v.text.c_str(),
                           v.rect.left, v.rect.top, v.rect.right, v.rect.bottom, v.textRect, v.textColor))
        return false;
    if (v.delay >= 0) pImage->m_Popup.m_dwDelay = static_cast<DWORD>(v.delay);
    ApplyPopupLooks(pDialog, pElement, pImage->m_Popup);
    return true;
}

bool CVR3CIIScreen::CreateAction(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement, CVR3CIIScreen* pScreen,
                                 CDX9KelSGUIControlButton* pButton) {
    if (!pElement || !pScreen || !pButton || pScreen->m_stdvDialogs.empty()) return false;
    const TiXmlElement* typeNode = pElement->FirstChildElement("Type");
    if (!typeNode) return false;
    const int type = ReadXMLInt(typeNode);
    const int control = pButton->GetType();
    if ((type == SCREEN_ACTION_GO_TO_SCREEN || type == SCREEN_ACTION_TOGGLE_DIALOGS || type == SCREEN_ACTION_QUIT) &&
        control != SGUI_CONTROL_BUTTON)
        return false;
    if (type == SCREEN_ACTION_SHOW_WHILE_CHECKED && control != SGUI_CONTROL_BUTTON_CHECK) return false;

    auto* action = new CVR3CIIScreenAction();
    action->iType = type;
    action->pControl = pButton;
    if (type == SCREEN_ACTION_GO_TO_SCREEN || type == SCREEN_ACTION_TOGGLE_DIALOGS ||
        type == SCREEN_ACTION_SHOW_WHILE_CHECKED) {
        const TiXmlElement* objects = pElement->FirstChildElement("Objects");
        bool ok = objects != nullptr;
        if (ok && type == SCREEN_ACTION_GO_TO_SCREEN) {
            std::string screen;
            ok = ReadXMLString(objects, true, screen) && !screen.empty();
            if (ok) action->stdvObjects.push_back(screen);
        } else if (ok) {
            for (const TiXmlElement* o = objects->FirstChildElement(); o && action->stdvObjects.size() < kMaxActionObjects;
                 o = o->NextSiblingElement())
                action->stdvObjects.emplace_back(o->Value());
        }
        if (!ok) {
            delete action;
            return false;
        }
    }
    pScreen->m_stdvDialogs.back()->stdvActions.push_back(action);
    return true;
}

// ---------------------------------------------------------------------------
// Composite controls.

namespace {

// A flag element; a missing one gives the control's own default.
bool ReadFlag(const TiXmlElement* e, const char* name, bool missing) {
    const TiXmlElement* f = e->FirstChildElement(name);
    return f ? ReadXMLBool(f) : missing;
}

// Defaults of the flags where the controls have one; a flag without one
// takes the element reader's (true).
constexpr bool kScrollBarVertical = true;
constexpr bool kCheckListHorizontal = true;
constexpr bool kCheckListMustSelect = false;
constexpr bool kNoDefault = true;

// A texture element under the user-interface folder with its optional
// rectangle element; false when the texture is missing.
bool ReadTextureDesc(const TiXmlElement* e, const char* texture, const char* rect, const CVR3CIIScreen* screen,
                     SGUITextureDesc& out) {
    if (!ReadTexture(e, texture, screen, out.strFile)) return false;
    if (rect) ReadTexRect(e->FirstChildElement(rect), out.rect);
    return true;
}

// The control's "Borders" within its dialog; the reader's message when missing.
bool ReadBorders(const char* reader, const TiXmlElement* e, CDX9KelSGUIDialog* dialog, RECT& rc) {
    if (ReadRect(e, dialog->GetRect(), rc)) return true;
    LogWarning(reader, "not load 'Borders' node from XML\n");
    return false;
}

// The screen font named by the element's "Font"; the reader's message when
// no such font was loaded.
const CVR3CIIScreenFont* ReadFont(const char* reader, const TiXmlElement* e, CVR3CIIScreen* screen) {
    const std::string fontName = ReadText(e, "Font");
    const CVR3CIIScreenFont* font = screen->m_pManager->GetFont(fontName.c_str());
    if (!font) LogWarning(reader, "not found default font : ", fontName.c_str(), "\n");
    return font;
}

// The check buttons of a list element, each made as a "CheckButton" control.
template <class List>
void AddCheckItems(CDX9KelSGUIDialog* dialog, const TiXmlElement* e, CVR3CIIScreen* screen, List* list) {
    for (const TiXmlElement* c = e->FirstChildElement("CheckButton"); c; c = c->NextSiblingElement("CheckButton"))
        if (auto* check = dynamic_cast<CDX9KelSGUIControlButtonCheck*>(
                CVR3CIIScreen::CreateCheckButtonXML(dialog, c, screen)))
            list->AddItem(check);
}

} // namespace

CDX9KelSGUIControlRadioList* CVR3CIIScreen::CreateRadioListXML(CDX9KelSGUIDialog* pDialog,
                                                               const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen) return nullptr;
    const std::string name = ControlName(pElement);
    CDX9KelSGUIControlRadioList* list = pDialog->AddRadioList(name.c_str(), ReadFlag(pElement, "OneButtonAlwaysDown", kNoDefault));
    if (!list) {
        LogWarning("CVR3CIIScreen::CreateRadioListXML() : dialog AddRadioList() failed\n");
        return nullptr;
    }
    AddCheckItems(pDialog, pElement, pScreen, list);
    return list;
}

CDX9KelSGUIControlScrollCheckList* CVR3CIIScreen::CreateScrollCheckListXML(CDX9KelSGUIDialog* pDialog,
                                                                           const TiXmlElement* pElement,
                                                                           CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const char* reader = "CVR3CIIScreen::CreateScrollCheckListXML() : ";
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadBorders(reader, pElement, pDialog, rc)) return nullptr;
    const TiXmlElement* b1 = pElement->FirstChildElement("ScrollButton1");
    const TiXmlElement* b2 = pElement->FirstChildElement("ScrollButton2");
    if (!b1 || !b2) {
        LogWarning(reader, b1 ? "not load 'ScrollButton2' node from XML\n" : "not load 'ScrollButton1' node from XML\n");
        return nullptr;
    }
    CDX9KelSGUIControlScrollCheckList* list = pDialog->AddScrollCheckList(
        pScreen->m_pManager->GetDevice(), name.c_str(), rc.left, rc.top, rc.right, rc.bottom,
        ReadFlag(pElement, "Horizontal", kCheckListHorizontal),
        ReadFlag(pElement, "OneButtonAlwaysDown", kCheckListMustSelect));
    if (!list) {
        LogWarning(reader, "dialog AddScrollCheckList() failed\n");
        return nullptr;
    }
    if (const TiXmlElement* gap = pElement->FirstChildElement("ButtonsDistance")) list->m_iGap = ReadXMLInt(gap);
    CDX9KelSGUIControlButton* back = CreateButtonXML(pDialog, b1, pScreen);
    CDX9KelSGUIControlButton* forward = CreateButtonXML(pDialog, b2, pScreen);
    if (back && forward) list->SetScrollButtons(back, forward);
    AddCheckItems(pDialog, pElement, pScreen, list);
    return list;
}

CDX9KelSGUIControlScrollBar* CVR3CIIScreen::CreateScrollBarXML(CDX9KelSGUIDialog* pDialog,
                                                               const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const char* reader = "CVR3CIIScreen::CreateScrollBarXML() : ";
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadBorders(reader, pElement, pDialog, rc)) return nullptr;
    SGUITextureDesc bar, track, arrow1, arrow2;
    if (!ReadTextureDesc(pElement, "BarTexture", "BarTextureCoordinates", pScreen, bar) ||
        !ReadTextureDesc(pElement, "TrackTexture", "TrackTextureCoordinates", pScreen, track) ||
        !ReadTextureDesc(pElement, "Arrow1Texture", "Arrow1TextureCoordinates", pScreen, arrow1) ||
        !ReadTextureDesc(pElement, "Arrow2Texture", "Arrow2TextureCoordinates", pScreen, arrow2)) {
        LogWarning(reader, "not load texture node from XML\n");
        return nullptr;
    }
    float barColor[4] = {1, 1, 1, 1}, trackColor[4] = {1, 1, 1, 1}, arrowColor[4] = {1, 1, 1, 1};
    ReadColor(pElement->FirstChildElement("BarColor"), barColor);
    ReadColor(pElement->FirstChildElement("TrackColor"), trackColor);
    ReadColor(pElement->FirstChildElement("Arrow1Color"), arrowColor);
    CDX9KelSGUIControlScrollBar* scroll = pDialog->AddScrollBar(
        pScreen->m_pManager->GetDevice(), name.c_str(), bar, barColor, track, trackColor, arrow1, arrowColor, arrow2,
        arrowColor, ReadFlag(pElement, "Vertical", kScrollBarVertical), rc.left, rc.top, rc.right, rc.bottom);
    if (!scroll) {
        LogWarning(reader, "dialog AddScrollBar() failed\n");
        return nullptr;
    }
    // "ProcType" is the bar's mode (0 or 1); "ArrowVerticalTypeSize" the
    // arrows' length along the bar in pixels (0: square arrows).
    const TiXmlElement* mode = pElement->FirstChildElement("ProcType");
    const TiXmlElement* arrows = pElement->FirstChildElement("ArrowVerticalTypeSize");
    if (mode || arrows) {
        const int m = mode ? ReadXMLInt(mode) : 0;
        const int length = arrows ? ReadXMLInt(arrows) : 0;
        if (m == 0 || m == 1) scroll->m_iMode = m;
        else LogWarning(reader, "not correct 'ProcType' value : ", name.c_str(), "\n");
        scroll->m_iArrowLength = length > 0 ? length : 0;
        if (!scroll->Layout()) LogWarning(reader, "'ArrowVerticalTypeSize' leaves no track : ", name.c_str(), "\n");
    }
    ReadEffect(pDialog, pElement, "BarEffect", scroll->m_pBar ? scroll->m_pBar->m_pImage : nullptr);
    ReadEffect(pDialog, pElement, "TrackEffect", scroll->m_pTrack);
    ReadEffect(pDialog, pElement, "Arrow1Effect", scroll->m_pArrow1 ? scroll->m_pArrow1->m_pImage : nullptr);
    ReadEffect(pDialog, pElement, "Arrow2Effect", scroll->m_pArrow2 ? scroll->m_pArrow2->m_pImage : nullptr);
    ApplyVisibleProc(pElement, scroll);
    return scroll;
}

CDX9KelSGUIControlScrollBarHard* CVR3CIIScreen::CreateScrollBarHardXML(CDX9KelSGUIDialog* pDialog,
                                                                       const TiXmlElement* pElement,
                                                                       CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const char* reader = "CVR3CIIScreen::CreateScrollBarHardXML() : ";
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadBorders(reader, pElement, pDialog, rc)) return nullptr;
    const TiXmlElement* sliderSize = pElement->FirstChildElement("SliderSize");
    SGUITextureDesc bar, work, track;
    if (!sliderSize || !ReadTextureDesc(pElement, "BarTexture", nullptr, pScreen, bar) ||
        !ReadTextureDesc(pElement, "WorkTexture", "WorkTextureCoord", pScreen, work)) {
        LogWarning(reader, "not load 'SliderSize', 'BarTexture' or 'WorkTexture' node from XML\n");
        return nullptr;
    }
    ReadTextureDesc(pElement, "TrackTexture", "TrackTextureCoord", pScreen, track);
    float barColor[4] = {1, 1, 1, 1}, trackColor[4] = {1, 1, 1, 1}, workColor[4] = {1, 1, 1, 1};
    ReadColor(pElement->FirstChildElement("SliderColor"), barColor);
    ReadColor(pElement->FirstChildElement("TrackColor"), trackColor);
    ReadColor(pElement->FirstChildElement("WorkColor"), workColor);
    // The work area lies in the control's own rectangle; without one it is
    // the whole control.
    RECT workRect;
    if (!ReadRect(pElement, rc, workRect, "Work")) workRect = rc;
    const TiXmlElement* mode = pElement->FirstChildElement("ProcType");
    const TiXmlElement* align = pElement->FirstChildElement("SliderAlign");
    CDX9KelSGUIControlScrollBarHard* scroll = pDialog->AddScrollBarHard(
        pScreen->m_pManager->GetDevice(), name.c_str(), track, trackColor, work, workColor, bar, barColor,
        ReadFlag(pElement, "Vertical", kNoDefault), mode ? ReadXMLInt(mode) : 0, align ? ReadXMLInt(align) : 0, rc.left, rc.top,
        rc.right, rc.bottom, workRect.left, workRect.top, workRect.right, workRect.bottom,
        ReadXMLAttributeInt(sliderSize, "x"), ReadXMLAttributeInt(sliderSize, "y"));
    if (!scroll) {
        LogWarning(reader, "dialog AddScrollBarHard() failed\n");
        return nullptr;
    }
    ReadEffect(pDialog, pElement, "BarEffect", scroll->m_pBar ? scroll->m_pBar->m_pImage : nullptr);
    ReadEffect(pDialog, pElement, "TrackEffect", scroll->m_pTrack);
    ReadEffect(pDialog, pElement, "WorkEffect", scroll->m_pWork);
    ApplyVisibleProc(pElement, scroll);
    if (const TiXmlElement* popup = pElement->FirstChildElement("PopUp"))
        if (!CreateScrollBarHardPopUp(pDialog, popup, pScreen, scroll))
            LogWarning(reader, "CreateScrollBarHardPopUp() failed for control :", name.c_str(), "\n");
    return scroll;
}

bool CVR3CIIScreen::CreateScrollBarHardPopUp(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                             CVR3CIIScreen* pScreen, CDX9KelSGUIControlScrollBarHard* pScrollBar) {
    PopupValues v;
    if (!pScrollBar || !ReadPopup(pDialog, pElement, pScreen, v)) return false;
    if (!pScrollBar->InitPopup(pScreen->m_pManager->GetDevice(), v.texture, v.font, v.format, v.text.c_str(),
                               v.rect.left, v.rect.top, v.rect.right, v.rect.bottom, v.textRect, v.textColor))
        return false;
    if (v.delay >= 0) pScrollBar->m_Popup.m_dwDelay = static_cast<DWORD>(v.delay);
    ApplyPopupLooks(pDialog, pElement, pScrollBar->m_Popup);
    return true;
}

CDX9KelSGUIControlListBox* CVR3CIIScreen::CreateListBoxXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                           CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const char* reader = "CVR3CIIScreen::CreateListBoxXML() : ";
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadBorders(reader, pElement, pDialog, rc)) return nullptr;
    const CVR3CIIScreenFont* font = ReadFont(reader, pElement, pScreen);
    if (!font) return nullptr;
    float normal[4] = {font->color[0], font->color[1], font->color[2], font->color[3]};
    float active[4] = {1, 1, 1, 1};
    ReadColor(pElement->FirstChildElement("NormalTextColor"), normal);
    ReadColor(pElement->FirstChildElement("ActiveTextColor"), active);
    const std::string effect = ReadText(pElement, "TextEffectPathAfterExeFolder");
    CDX9KelSGUIControlListBox* list = pDialog->AddListBox(name.c_str(), font->iFont,
                                                          effect.empty() ? nullptr : effect.c_str(), rc.left, rc.top,
                                                          rc.right, rc.bottom, normal, active);
    if (!list) {
        LogWarning(reader, "dialog AddListBox() failed\n");
        return nullptr;
    }
    if (const TiXmlElement* bar = pElement->FirstChildElement("ScrollBar"))
        if (CDX9KelSGUIControlScrollBar* scroll = CreateScrollBarXML(pDialog, bar, pScreen)) list->SetScrollBar(scroll);
    return list;
}

CDX9KelSGUIControlEditBox* CVR3CIIScreen::CreateEditBoxXML(CDX9KelSGUIDialog* pDialog, const TiXmlElement* pElement,
                                                           CVR3CIIScreen* pScreen) {
    if (!pDialog || !pElement || !pScreen || !pScreen->m_pManager) return nullptr;
    const char* reader = "CVR3CIIScreen::CreateEditBoxXML() : ";
    const std::string name = ControlName(pElement);
    RECT rc;
    if (!ReadBorders(reader, pElement, pDialog, rc)) return nullptr;
    const CVR3CIIScreenFont* font = ReadFont(reader, pElement, pScreen);
    if (!font) return nullptr;
    CDX9KelSGUIControlEditBox* edit =
        pDialog->AddEditBox(pScreen->m_pManager->GetDevice(), name.c_str(), font->iFont, rc.left, rc.top, rc.right,
                            rc.bottom, font->color[0], font->color[1], font->color[2], font->color[3]);
    if (!edit) {
        LogWarning(reader, "dialog AddEditBox() failed\n");
        return nullptr;
    }
    ReadEffect(pDialog, pElement, "TextEffectPathAfterExeFolder", edit->m_pText);
    const std::string text = ReadText(pElement, "Text");
    if (!text.empty()) edit->SetText(text.c_str());
    return edit;
}

} // namespace Vorna3D
