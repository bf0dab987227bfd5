#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <tinyxml.h>

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "platform/os/Paths.h"
#include "platform/os/Threads.h"
#include "platform/os/XmlText.h"

namespace Vorna2 {

namespace {
constexpr int kMaxXmlDepth = 64;
constexpr std::size_t kFontFileKeep = 100;
} // namespace

bool ReadScreenXml(const std::string& relativePath, TiXmlDocument& doc) {
    std::string full, text;
    if (!CDX9KelUtils::GetExeFolderPath(full, relativePath.c_str())) return false;
    if (!Platform::ReadTextFile(full, text) || !Platform::XmlDepthWithin(text, kMaxXmlDepth)) return false;
    doc.Parse(text.c_str());
    return !doc.Error();
}

CDX9KelCIIScreenManager::CDX9KelCIIScreenManager() : m_StartWait([](DWORD ms) { Sleep(ms); }) {}

CDX9KelCIIScreenManager::~CDX9KelCIIScreenManager() { Release(); }

void CDX9KelCIIScreenManager::Init(CDX9KelGUIManager* gui, CDX9KelRender* render, CDX9KelCIIModuleFactory* modules) {
    m_pGUIManager = gui;
    m_pRender = render;
    m_pModules = modules;
}

bool CDX9KelCIIScreenManager::LoadScreens() {
    g_Log.Write(7, "CDX9KelCIIScreenManager::LoadScreens()\n");
    if (!LoadDefaults()) {
        g_Log.Write(-1, "Error : CDX9KelCIIScreenManager::LoadScreens() : LoadDefaults() == false\n");
        return false;
    }
    ProcStartDialog();
    if (!LoadScreensList()) return false;
    std::vector<int> ids;
    for (const auto& s : m_Screens) ids.push_back(s->m_iID);
    for (int id : ids) {
        CDX9KelCIIScreen* screen = GetScreenById(id);
        if (screen->LoadFromXML(this))
            screen->SetActive(false);
        else
            DeleteScreen(id);
    }
    SetActiveScreen(0);
    return true;
}

bool CDX9KelCIIScreenManager::LoadDefaults() {
    if (!m_pGUIManager) return false;
    TiXmlDocument doc;
    if (!ReadScreenXml(ScreenPath("defaults.xml"), doc)) return false;
    const TiXmlElement* root = doc.FirstChildElement("Main");
    if (!root) return false;
    const TiXmlElement* fonts = root->FirstChildElement("Fonts");
    const TiXmlElement* textures = root->FirstChildElement("Textures");
    const TiXmlElement* effects = root->FirstChildElement("Effects");
    // Each list needs an entry: a list holding nothing but comments is as
    // empty as one holding nothing.
    if (!fonts || !fonts->FirstChild() || !textures || !textures->FirstChildElement() || !effects ||
        !effects->FirstChildElement())
        return false;
    m_Fonts.clear();
    m_Textures.clear();
    m_Effects.clear();
    // Every node of the font list is a font entry, so a comment fails it.
    for (const TiXmlNode* n = fonts->FirstChild(); n; n = n->NextSibling()) {
        const TiXmlElement* e = n->ToElement();
        if (!e) return false;
        const TiXmlElement* file = e->FirstChildElement("File");
        const TiXmlElement* format = e->FirstChildElement("Format");
        const TiXmlElement* colour = e->FirstChildElement("Color");
        const char* fileText = file ? GetXMLValueText(file) : nullptr;
        if (!fileText || !format || !colour) return false;
        ScreenDefault d;
        d.name = e->Value();
        d.format = ReadXMLInt(format);
        if (d.format < 0) return false;
        d.colour = ReadXMLColor(colour);
        d.fontId = m_pGUIManager->LoadBitmapFontFromFile(std::string(fileText).substr(0, kFontFileKeep).c_str());
        if (d.fontId < 0) return false;
        m_Fonts.push_back(d);
    }
    auto readList = [](const TiXmlElement* list, std::vector<ScreenDefault>& out) {
        for (const TiXmlElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement()) {
            const char* text = GetXMLValueText(e);
            if (!text || !*text) continue;
            ScreenDefault d;
            d.name = e->Value();
            d.fontId = 0;
            d.file = std::string(text).substr(0, CDX9KelCIIScreen::kFileKeep);
            out.push_back(d);
        }
    };
    readList(textures, m_Textures);
    readList(effects, m_Effects);
    return true;
}

void CDX9KelCIIScreenManager::DrawStartControl(CDX9KelGUIControl* control, CDX9KelGUIControl* also, int index) {
    IDirect3DDevice9* device = m_pGUIManager->m_pDevice;
    m_pRender->BeginRender(0xFF000000u);
    D3DXMATRIX view, projection;
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&projection, static_cast<float>(m_pGUIManager->m_iClientWidth),
                      -static_cast<float>(m_pGUIManager->m_iClientHeight), -100.0f, 100.0f);
    device->SetFVF(kGUIVertexFVF);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    if (also) also->Render(true, 0);
    control->Render(true, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    if (m_StartFrameShown) m_StartFrameShown(index);
    m_pRender->EndRender();
}

bool CDX9KelCIIScreenManager::ProcStartDialog() {
    if (!m_pGUIManager || !m_pGUIManager->m_pDevice || !m_pRender) return false;
    CDX9KelCIIScreen start(this, "start.xml", -1);
    TiXmlDocument doc;
    bool loaded = ReadScreenXml(ScreenPath("start.xml"), doc);
    TiXmlElement* root = loaded ? doc.FirstChildElement("Screen") : nullptr;
    if (root && root->FirstChildElement("Modules")) {
        // The start screen goes as soon as the sequence ends, so no module
        // may run against it.
        g_Log.Write(5, "CDXGUIScreenManager::ProcStartDialog() : modules of start.xml are left out\n");
        root->RemoveChild(root->FirstChildElement("Modules"));
    }
    if (!root || !start.LoadFromElement(root)) {
        g_Log.Write(-1, "Error : CDXGUIScreenManager::ProcStartDialog() : LoadFromXML \n");
        start.Release(true);
        return false;
    }
    CDX9KelGUIDialog* dialog = start.GetDialog(0);
    if (!dialog) {
        g_Log.Write(-1, "Error : CDXGUIScreenManager::ProcStartDialog() : StartDialog == NULL \n");
        start.Release(true);
        return false;
    }
    const auto& controls = dialog->m_Controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        CDX9KelGUIControl* c = controls[i].get();
        if (c->m_iType == GUI_CONTROL_TYPE_IMAGE) {
            DrawStartControl(c, nullptr, static_cast<int>(i));
            m_StartWait(kStartImageMs);
        } else if (c->m_iType == GUI_CONTROL_TYPE_TEXT) {
            CDX9KelGUIControl* image = nullptr;
            if (i + 2 == controls.size() && controls[i + 1]->m_iType == GUI_CONTROL_TYPE_IMAGE) {
                image = controls[i + 1].get();
                image->m_bVisible = true;
            }
            DrawStartControl(c, image, static_cast<int>(i));
        }
    }
    start.Release(true);
    return true;
}

bool CDX9KelCIIScreenManager::LoadScreensList() {
    std::string full, text;
    if (!CDX9KelUtils::GetExeFolderPath(full, ScreenPath("screens.slt").c_str()) || !Platform::ReadTextFile(full, text)) {
        g_Log.Write(-1, "Error : CDXGUIScreenManager::LoadScreensList() : ScreensList == NULL \n");
        return false;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        // A line of at most 49 characters; a longer one reads as several.
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::size_t take = std::min(end - at, kListLine);
        std::string line = text.substr(at, take);
        at += take;
        if (at == end) ++at;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (line.empty() || line[0] == '%') continue;
        AddScreen(line.substr(0, CDX9KelCIIScreen::kNameKeep));
    }
    return true;
}

int CDX9KelCIIScreenManager::AddScreen(const std::string& name) {
    if (FindScreenId(name) >= 0) return -1;
    const int id = static_cast<int>(m_Screens.size()) + m_iDeletedScreens;
    m_Screens.push_back(std::make_unique<CDX9KelCIIScreen>(this, name, id));
    return id;
}

int CDX9KelCIIScreenManager::GetScreenIndex(int id) const {
    if (id >= 0 && id < static_cast<int>(m_Screens.size()) && m_Screens[static_cast<std::size_t>(id)]->m_iID == id)
        return id;
    for (std::size_t i = 0; i < m_Screens.size(); ++i)
        if (m_Screens[i]->m_iID == id) return static_cast<int>(i);
    return -1;
}

CDX9KelCIIScreen* CDX9KelCIIScreenManager::GetScreenById(int id) const {
    const int i = GetScreenIndex(id);
    return i < 0 ? nullptr : m_Screens[static_cast<std::size_t>(i)].get();
}

bool CDX9KelCIIScreenManager::DeleteScreen(int id) {
    const int i = GetScreenIndex(id);
    if (i < 0) return false;
    if (m_iActiveScreen == id) m_iActiveScreen = -1;
    m_Screens[static_cast<std::size_t>(i)]->Release(true);
    m_Screens.erase(m_Screens.begin() + i);
    ++m_iDeletedScreens;
    return true;
}

bool CDX9KelCIIScreenManager::SetActiveScreen(int id) {
    CDX9KelCIIScreen* next = GetScreenById(id);
    if (!next) return false;
    if (CDX9KelCIIScreen* active = GetScreenById(m_iActiveScreen)) active->SetActive(false);
    next->SetActive(true);
    m_iActiveScreen = id;
    return true;
}

bool CDX9KelCIIScreenManager::SetActiveScreenByName(const std::string& name) {
    return SetActiveScreen(FindScreenId(name));
}

CDX9KelCIIScreen* CDX9KelCIIScreenManager::GetScreen(const std::string& name) const {
    for (const auto& s : m_Screens)
        if (s->m_strName == name.substr(0, CDX9KelCIIScreen::kFileKeep + 1)) return s.get();
    return nullptr;
}

int CDX9KelCIIScreenManager::FindScreenId(const std::string& name) const {
    const CDX9KelCIIScreen* s = GetScreen(name);
    return s ? s->m_iID : -1;
}

ScreenDefault CDX9KelCIIScreenManager::GetFont(const std::string& name) const {
    for (const ScreenDefault& d : m_Fonts)
        if (d.name == name) return d;
    return ScreenDefault{};
}

bool CDX9KelCIIScreenManager::GetDefaultTexture(const std::string& key, std::string& file) const {
    for (const ScreenDefault& d : m_Textures)
        if (d.name == key) {
            file = d.file;
            return true;
        }
    return false;
}

std::string CDX9KelCIIScreenManager::GetDefaultEffect(const std::string& key) const {
    for (const ScreenDefault& d : m_Effects)
        if (d.name == key) return d.file;
    return {};
}

void CDX9KelCIIScreenManager::Update() {
    std::vector<CDX9KelCIIScreen*> screens;
    for (const auto& s : m_Screens) screens.push_back(s.get());
    for (CDX9KelCIIScreen* s : screens) s->Proc();
}

void CDX9KelCIIScreenManager::Release() {
    m_Fonts.clear();
    m_Textures.clear();
    m_Effects.clear();
    for (auto& s : m_Screens) s->Release(false);
    m_Screens.clear();
    m_iActiveScreen = -1;
}

} // namespace Vorna2
