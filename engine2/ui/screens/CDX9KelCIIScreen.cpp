#include <algorithm>
#include <cstdlib>
#include <tinyxml.h>

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"
#include "platform/window/Window.h"

namespace Vorna2 {

namespace {

// The element's value text, or null when the child is missing or empty.
const char* ChildText(const TiXmlElement* e, const char* name) {
    const TiXmlElement* c = e->FirstChildElement(name);
    return c ? GetXMLValueText(c) : nullptr;
}

std::string Cut(const char* text, std::size_t keep) { return text ? std::string(text).substr(0, keep) : std::string(); }

int ChildInt(const TiXmlElement* e, const char* name, int fallback) {
    const TiXmlElement* c = e->FirstChildElement(name);
    return c ? ReadXMLInt(c) : fallback;
}

D3DCOLOR ChildColour(const TiXmlElement* e, const char* name, D3DCOLOR fallback) {
    const TiXmlElement* c = e->FirstChildElement(name);
    return c ? ReadXMLColor(c) : fallback;
}

// The Borders percentages of an element within the parent's pixels; false
// without Borders or with a right or bottom percentage that is not above 0.
bool ReadBorders(const TiXmlElement* e, const RECT& parent, RECT& out) {
    const TiXmlElement* b = e->FirstChildElement("Borders");
    if (!b) return false;
    const FRECT p = ReadXMLRect(b);
    if (!(p.right > 0.0f) || !(p.bottom > 0.0f)) return false;
    const FRECT parentF{static_cast<float>(parent.left), static_cast<float>(parent.top),
                        static_cast<float>(parent.right), static_cast<float>(parent.bottom)};
    const FRECT px = CDX9KelUtils::GetRectFromPercents(parentF, p.left, p.top, p.right, p.bottom);
    out = {static_cast<int>(px.left), static_cast<int>(px.top), static_cast<int>(px.right), static_cast<int>(px.bottom)};
    return true;
}

} // namespace

CDX9KelCIIScreen::CDX9KelCIIScreen(CDX9KelCIIScreenManager* manager, const std::string& name, int id)
    : m_pManager(manager), m_strName(name.substr(0, kNameKeep)), m_iID(id) {}

CDX9KelCIIScreen::~CDX9KelCIIScreen() = default;

bool CDX9KelCIIScreen::LoadFromXML(CDX9KelCIIScreenManager* manager) {
    m_pManager = manager;
    TiXmlDocument doc;
    if (!ReadScreenXml(manager->ScreenPath(m_strName), doc)) {
        g_Log.Write(-1, "Error : CDX9KelCIIScreen::LoadFromXML : xml file not read : %s\n", m_strName.c_str());
        return false;
    }
    return LoadFromElement(doc.FirstChildElement("Screen"));
}

bool CDX9KelCIIScreen::LoadFromElement(const TiXmlElement* root) {
    if (!root || !m_pManager || !m_pManager->m_pGUIManager) return false;
    if (const TiXmlElement* dialogs = root->FirstChildElement("Dialogs")) {
        for (const TiXmlNode* n = dialogs->FirstChild(); n; n = n->NextSibling()) {
            const TiXmlElement* e = n->ToElement();
            if (!e || !LoadDialog(e)) {
                g_Log.Write(-1, "Error : CDX9KelCIIScreen::LoadFromXML : dialog not create from file : %s\n",
                            m_strName.c_str());
                return false;
            }
        }
    }
    if (const TiXmlElement* modules = root->FirstChildElement("Modules")) {
        for (const TiXmlElement* e = modules->FirstChildElement(); e; e = e->NextSiblingElement()) {
            if (!m_pManager->m_pModules) {
                g_Log.Write(5, "CDX9KelCIIScreen::LoadFromXML : no module manager, modules left out in file : %s\n",
                            m_strName.c_str());
                break;
            }
            if (!m_pManager->m_pModules->AddModule(e, this)) {
                g_Log.Write(-1, "Error : CDX9KelCIIScreen::LoadFromXML : module not create in file : %s\n",
                            m_strName.c_str());
                return false;
            }
        }
    }
    return true;
}

bool CDX9KelCIIScreen::LoadDialog(const TiXmlElement* e) {
    CDX9KelGUIManager& gui = *m_pManager->m_pGUIManager;
    RECT rect{};
    if (!ReadBorders(e, {0, 0, gui.m_iClientWidth, gui.m_iClientHeight}, rect)) return false;
    std::string background = Cut(ChildText(e, "Background"), kFileKeep);
    if (background == "Default") m_pManager->GetDefaultTexture("DialogBackground", background);
    const int drag = ChildInt(e, "Drag", 0);
    const int proc = ChildInt(e, "Proc", 1);
    const int visible = ChildInt(e, "Visible", 1);
    const int autoInvisible = ChildInt(e, "AutoInvisible", 0);
    const int id = gui.AddDialog(rect.left, rect.top, rect.right, rect.bottom, background.c_str(), drag == 1);
    if (id < 0) return false;
    gui.SetDialogProc(id, proc != 0);
    gui.SetDialogVisible(id, visible != 0);
    gui.SetDialogShown(id, visible != 0);
    gui.SetDialogAutoInvisible(id, autoInvisible == 1);
    auto entry = std::make_unique<ScreenDialogEntry>();
    entry->dialogId = id;
    entry->name = Cut(e->Value(), kNameKeep);
    ScreenDialogEntry& made = *entry;
    m_Entries.push_back(std::move(entry));
    if (const TiXmlElement* controls = e->FirstChildElement("Controls")) {
        const RECT parent = gui.GetDialog(id)->m_Rect;
        // A control that fails is left out; the dialog stands.
        for (const TiXmlElement* c = controls->FirstChildElement(); c; c = c->NextSiblingElement())
            LoadControl(c, id, parent, made);
    }
    return true;
}

ScreenAction* CDX9KelCIIScreen::LoadAction(const TiXmlElement* e, bool check) {
    const TiXmlElement* a = e->FirstChildElement("Action");
    if (!a) return nullptr;
    const int type = ChildInt(a, "Type", -1);
    if (type < ActionSwitchScreen || type > ActionQuit) return nullptr;
    if (check != (type == ActionCheckDialogs)) return nullptr;
    auto action = std::make_unique<ScreenAction>();
    action->type = type;
    const TiXmlElement* objects = a->FirstChildElement("Objects");
    if (!objects) {
        if (type != ActionQuit) return nullptr;
    } else if (type == ActionSwitchScreen) {
        const char* name = GetXMLValueText(objects);
        const int id = name ? m_pManager->FindScreenId(Cut(name, kNameKeep)) : -1;
        if (id < 0) return nullptr;
        action->objects.push_back(id);
    } else if (type != ActionQuit) {
        // Dialog indexes of this screen: a plain text is one index, any other
        // node counts as 0.
        for (const TiXmlNode* n = objects->FirstChild(); n; n = n->NextSibling())
            action->objects.push_back(n->ToText() ? std::atoi(n->Value()) : 0);
    }
    return action.release();
}

bool CDX9KelCIIScreen::LoadButton(const TiXmlElement* e, int dialogId, const RECT& rect, ScreenDialogEntry& entry,
                                  bool check, CDX9KelGUIControl** made) {
    CDX9KelGUIManager& gui = *m_pManager->m_pGUIManager;
    const std::string fontName = Cut(ChildText(e, "Font"), kFileKeep);
    const ScreenDefault font = m_pManager->GetFont(fontName);
    std::string texture = Cut(ChildText(e, "Texture"), kFileKeep);
    if (texture.empty() || texture == "Default") {
        texture = "Default";
        m_pManager->GetDefaultTexture("Button", texture);
    }
    const std::string texture2 = Cut(ChildText(e, "AddTexture"), kFileKeep);
    const std::string effect = Cut(ChildText(e, "Effect"), kFileKeep);
    const std::string text = Cut(ChildText(e, "Text"), kFileKeep);
    std::unique_ptr<ScreenAction> action(LoadAction(e, check));
    int* mirror = action ? &action->state : nullptr;
    HRESULT hr;
    if (check)
        hr = gui.AddCheckButton(dialogId, effect.c_str(), mirror, font.fontId, text, font.colour, texture.c_str(),
                                texture2.c_str(), rect.left, rect.top, rect.right, rect.bottom);
    else
        hr = gui.AddButton(dialogId, effect.c_str(), mirror, font.fontId, text, font.colour, texture.c_str(),
                           texture2.c_str(), rect.left, rect.top, rect.right, rect.bottom,
                           ChildInt(e, "Shift", 1) != 0);
    if (FAILED(hr)) return false;
    CDX9KelGUIDialog* dialog = gui.GetDialog(dialogId);
    CDX9KelGUIControl* button = dialog->m_Controls.back().get();
    if (made) *made = button;
    if (action) entry.actions.push_back(std::move(action));
    const TiXmlElement* p = e->FirstChildElement("PopUp");
    if (!p) return true;
    RECT popUpRect{};
    if (!ReadBorders(p, {0, 0, gui.m_iClientWidth, gui.m_iClientHeight}, popUpRect)) return false;
    ScreenDefault popUpFont = font;
    if (ChildText(p, "Font")) popUpFont = m_pManager->GetFont(Cut(ChildText(p, "Font"), kFileKeep));
    std::string popUpTexture = p->FirstChildElement("Texture") ? Cut(ChildText(p, "Texture"), kFileKeep) : texture;
    if (popUpTexture.empty() || popUpTexture == "Default") {
        popUpTexture = "Default";
        m_pManager->GetDefaultTexture("PopUp", popUpTexture);
    }
    const std::string popUpTexture2 = ChildText(p, "AddTexture") ? Cut(ChildText(p, "AddTexture"), kFileKeep) : texture2;
    const std::string popUpEffect = ChildText(p, "Effect") ? Cut(ChildText(p, "Effect"), kFileKeep) : effect;
    const std::string popUpText = ChildText(p, "Text") ? Cut(ChildText(p, "Text"), kFileKeep) : text;
    return SUCCEEDED(gui.AddButtonPopUp(dialogId, popUpEffect.c_str(), button->m_iID, popUpFont.fontId, popUpText,
                                        popUpFont.colour, popUpTexture.c_str(), popUpTexture2.c_str(), popUpRect.left,
                                        popUpRect.top, popUpRect.right, popUpRect.bottom));
}

bool CDX9KelCIIScreen::LoadControl(const TiXmlElement* e, int dialogId, const RECT& parent, ScreenDialogEntry& entry) {
    CDX9KelGUIManager& gui = *m_pManager->m_pGUIManager;
    RECT r{};
    if (!ReadBorders(e, parent, r)) return false;
    const std::string kind = e->Value();
    // The textures of a scroll bar; false when a required one is empty.
    auto scrollFiles = [&](bool vertical, CDX9KelGUIManager::ScrollFiles& f) {
        auto pick = [&](const char* name, const char* key, bool required, std::string& out) {
            const TiXmlElement* c = e->FirstChildElement(name);
            if (!c) {
                if (required) return false;
                out = "Default";
            } else {
                out = Cut(GetXMLValueText(c), kFileKeep);
                if (out.empty()) return false;
            }
            if (out == "Default") m_pManager->GetDefaultTexture(key, out);
            return true;
        };
        if (!pick("TextureBar", "ScrollBar", true, f.bar) || !pick("TextureTrack", "ScrollTrack", true, f.track) ||
            !pick("TextureArrow1", vertical ? "ScrollButUp" : "ScrollButLeft", false, f.arrow1) ||
            !pick("TextureArrow2", vertical ? "ScrollButDown" : "ScrollButRight", false, f.arrow2))
            return false;
        f.barAdd = Cut(ChildText(e, "AddTextureBar"), kFileKeep);
        f.barEffect = Cut(ChildText(e, "BarEffect"), kFileKeep);
        f.trackAdd = Cut(ChildText(e, "AddTextureTrack"), kFileKeep);
        f.trackEffect = Cut(ChildText(e, "TrackEffect"), kFileKeep);
        f.arrow1Add = Cut(ChildText(e, "AddTextureArrow1"), kFileKeep);
        f.arrow1Effect = Cut(ChildText(e, "Arrow1Effect"), kFileKeep);
        f.arrow2Add = Cut(ChildText(e, "AddTextureArrow2"), kFileKeep);
        f.arrow2Effect = Cut(ChildText(e, "Arrow2Effect"), kFileKeep);
        return true;
    };
    if (kind == "Text") {
        const ScreenDefault font = m_pManager->GetFont(Cut(ChildText(e, "Font"), kFileKeep));
        const TiXmlElement* text = e->FirstChildElement("Text");
        if (font.fontId < 0 || !text) return false;
        return SUCCEEDED(gui.AddText(dialogId, font.fontId, font.format, Cut(ChildText(e, "Effect"), kFileKeep).c_str(),
                                     font.colour, Cut(GetXMLValueText(text), kTextKeep), r.left, r.top, r.right,
                                     r.bottom));
    }
    if (kind == "Image") {
        if (!e->FirstChildElement("Texture")) return false;
        return SUCCEEDED(gui.AddImage(dialogId, Cut(ChildText(e, "Texture"), kFileKeep).c_str(),
                                      Cut(ChildText(e, "AddTexture"), kFileKeep).c_str(),
                                      Cut(ChildText(e, "Effect"), kFileKeep).c_str(),
                                      ChildColour(e, "Color", 0xFFFFFFFFu), ChildInt(e, "Zoom", 0) == 1, r.left, r.top,
                                      r.right, r.bottom));
    }
    if (kind == "Button" || kind == "CheckButton") return LoadButton(e, dialogId, r, entry, kind == "CheckButton", nullptr);
    if (kind == "ScrollBar") {
        const bool vertical = ChildInt(e, "Vertical", 1) != 0;
        CDX9KelGUIManager::ScrollFiles f;
        if (!scrollFiles(vertical, f)) return false;
        return SUCCEEDED(gui.AddScrollBar(dialogId, f, vertical, r.left, r.top, r.right, r.bottom));
    }
    if (kind == "RadioList") {
        CDX9KelGUIRadioList* list = nullptr;
        if (FAILED(gui.AddRadioList(dialogId, ChildInt(e, "OneButtonAlwaysDown", 1) != 0, &list))) return false;
        for (const TiXmlElement* c = e->FirstChildElement("CheckButton"); c; c = c->NextSiblingElement("CheckButton")) {
            RECT br{};
            CDX9KelGUIControl* made = nullptr;
            if (!ReadBorders(c, parent, br) || !LoadButton(c, dialogId, br, entry, true, &made) ||
                list->AddButton(static_cast<CDX9KelGUICheckButton*>(made)) < 0)
                return false;
        }
        return true;
    }
    if (kind == "EditBox") {
        const ScreenDefault font = m_pManager->GetFont(Cut(ChildText(e, "Font"), kFileKeep));
        if (font.fontId < 0) return false;
        return SUCCEEDED(gui.AddEditBox(dialogId, font.fontId, font.colour, r.left, r.top, r.right, r.bottom));
    }
    if (kind == "ScrollText") {
        CDX9KelGUIManager::ScrollFiles f;
        const TiXmlElement* text = e->FirstChildElement("Text");
        if (!scrollFiles(true, f) || !text) return false;
        CDX9KelGUIScrollText* st = nullptr;
        if (FAILED(gui.AddScrollText(dialogId, f, r.left, r.top, r.right, r.bottom, &st))) return false;
        for (const TiXmlElement* p = text->FirstChildElement(); p; p = p->NextSiblingElement()) {
            ScreenDefault font = m_pManager->GetFont(p->Value());
            if (font.fontId < 0) font.fontId = 0;
            const char* value = GetXMLValueText(p);
            if (!st->AddText(font.fontId, font.format, font.colour, Cut(value ? value : "", kTextKeep).c_str()))
                return false;
        }
        return true;
    }
    if (kind == "ListBox") {
        std::string sel;
        const TiXmlElement* s = e->FirstChildElement("TextureSelBar");
        if (!s) return false;
        sel = Cut(GetXMLValueText(s), kFileKeep);
        if (sel.empty()) return false;
        if (sel == "Default") m_pManager->GetDefaultTexture("ListBoxSel", sel);
        CDX9KelGUIManager::ScrollFiles f;
        if (!scrollFiles(true, f)) return false;
        const ScreenDefault font = m_pManager->GetFont(Cut(ChildText(e, "Font"), kFileKeep));
        if (font.fontId < 0) return false;
        return SUCCEEDED(gui.AddListBox(dialogId, font.fontId, font.colour, sel.c_str(), f, r.left, r.top, r.right,
                                        r.bottom));
    }
    if (kind == "StateBar") {
        if (!e->FirstChildElement("Texture")) return false;
        std::string texture = Cut(ChildText(e, "Texture"), kFileKeep);
        if (texture == "Default") m_pManager->GetDefaultTexture("StateBar", texture);
        return SUCCEEDED(gui.AddStateBar(dialogId, texture.c_str(), Cut(ChildText(e, "AddTexture"), kFileKeep).c_str(),
                                         Cut(ChildText(e, "Effect"), kFileKeep).c_str(),
                                         ChildColour(e, "Color", 0xFFFFFFFFu), ChildInt(e, "Vertical", 0) != 0, r.left,
                                         r.top, r.right, r.bottom));
    }
    return false;
}

CDX9KelGUIDialog* CDX9KelCIIScreen::GetDialog(int index) const {
    if (index < 0 || index >= static_cast<int>(m_Entries.size()) || !m_pManager->m_pGUIManager) return nullptr;
    return m_pManager->m_pGUIManager->GetDialog(m_Entries[static_cast<std::size_t>(index)]->dialogId);
}

int CDX9KelCIIScreen::FindDialog(const std::string& name) const {
    for (std::size_t i = 0; i < m_Entries.size(); ++i)
        if (m_Entries[i]->name == name) return static_cast<int>(i);
    return -1;
}

void CDX9KelCIIScreen::SetActive(bool active) {
    CDX9KelGUIManager* gui = m_pManager->m_pGUIManager;
    for (const auto& entry : m_Entries) {
        CDX9KelGUIDialog* d = gui->GetDialog(entry->dialogId);
        if (!d) continue;
        if (active && d->m_bShown) {
            gui->SetDialogVisible(entry->dialogId, true);
            gui->SetActiveDialog(entry->dialogId);
        } else {
            gui->SetDialogVisible(entry->dialogId, false);
        }
    }
    m_bActive = active;
}

void CDX9KelCIIScreen::ShowDialogs(const std::vector<int>& indexes, bool show) {
    CDX9KelGUIManager* gui = m_pManager->m_pGUIManager;
    for (int index : indexes) {
        if (index < 0 || index >= static_cast<int>(m_Entries.size())) continue;
        const int id = m_Entries[static_cast<std::size_t>(index)]->dialogId;
        gui->SetDialogVisible(id, show);
        if (show) gui->SetActiveDialog(id);
    }
}

void CDX9KelCIIScreen::RunActions(ScreenDialogEntry& entry) {
    CDX9KelGUIManager* gui = m_pManager->m_pGUIManager;
    for (const auto& a : entry.actions) {
        switch (a->type) {
        case ActionSwitchScreen:
            if (a->state == ButtonPressed &&
                CDX9KelUtils::IsTimePassedOn(m_pManager->m_dwSwitchStamp, CDX9KelCIIScreenManager::kSwitchIntervalMs)) {
                a->state = kButtonForceNormal;
                m_pManager->SetActiveScreen(a->objects.empty() ? -1 : a->objects[0]);
                return;
            }
            break;
        case ActionToggleDialogs:
            if (a->state == ButtonPressed && a->lastState != ButtonPressed) {
                for (int index : a->objects) {
                    if (index < 0 || index >= static_cast<int>(m_Entries.size())) continue;
                    const int id = m_Entries[static_cast<std::size_t>(index)]->dialogId;
                    CDX9KelGUIDialog* d = gui->GetDialog(id);
                    if (!d) continue;
                    gui->SetDialogVisible(id, !d->m_bVisible);
                    if (d->m_bVisible) gui->SetActiveDialog(id);
                }
            }
            a->lastState = a->state;
            break;
        case ActionCheckDialogs:
            if (!m_bProcessed) a->lastState = 0;
            if (a->state == ButtonPressed && a->lastState != ButtonPressed && m_iCheckDelay == 0) m_iCheckDelay = 1;
            if (a->state == ButtonPressed) {
                if (m_iCheckDelay == 1) {
                    m_iCheckDelay = 2;
                    break;
                }
                if (m_iCheckDelay == 2) {
                    ShowDialogs(a->objects, true);
                    m_iCheckDelay = 0;
                }
            } else if (a->lastState == ButtonPressed) {
                ShowDialogs(a->objects, false);
            }
            a->lastState = a->state;
            break;
        case ActionQuit:
            if (a->state == ButtonPressed) PostQuitMessage(0);
            break;
        default:
            break;
        }
    }
}

void CDX9KelCIIScreen::Proc() {
    if (!m_bActive) {
        m_bProcessed = false;
        return;
    }
    CDX9KelGUIManager* gui = m_pManager->m_pGUIManager;
    if (!gui || gui->m_iHoverDialog == -1) return;
    for (const auto& entry : m_Entries) {
        CDX9KelGUIDialog* d = gui->GetDialog(entry->dialogId);
        if (d && d->m_bMouseIn) {
            RunActions(*entry);
            break;
        }
    }
    m_bProcessed = true;
}

void CDX9KelCIIScreen::Release(bool deleteDialogs) {
    if (deleteDialogs && m_pManager && m_pManager->m_pGUIManager)
        for (const auto& entry : m_Entries) m_pManager->m_pGUIManager->DeleteDialog(entry->dialogId);
    m_Entries.clear();
}

} // namespace Vorna2
