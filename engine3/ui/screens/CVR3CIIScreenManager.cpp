#include "engine3/ui/screens/CVR3CIIScreenManager.h"

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/SafeXml.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"
#include "platform/window/RepeatGate.h"
#include "platform/window/Window.h"

namespace Vorna3D {

namespace {

constexpr const char* kFoldersIni = "folders.ini";
constexpr const char* kDefaultScreens = "Screens\\";

std::string ReadFolder(const char* section, const char* key, const char* def) {
    const std::string ini = g_Utils.GetExeFolderPathString(kFoldersIni);
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(section, key, def, value, sizeof value, ini.c_str());
    return value;
}

} // namespace

CVR3CIIScreenManager::CVR3CIIScreenManager() = default;

CVR3CIIScreenManager::~CVR3CIIScreenManager() { Release(); }

bool CVR3CIIScreenManager::Init(CDX9KelScene* pScene) {
    if (!pScene) return false;
    m_pScene = pScene;
    // The screen GUI manager takes its slot before this one.
    auto* gui = dynamic_cast<CDX9KelSGUIManager*>(pScene->GetManager(KEL_SCENE_SGUI_MANAGER));
    return InitWith(gui, pScene->GetDevice(), pScene->GetHWND(), ReadFolder("Graphic Data", "UserInterface", ""),
                    ReadFolder("Screens Data", "Screens", kDefaultScreens));
}

bool CVR3CIIScreenManager::InitWith(CDX9KelSGUIManager* pSGUIManager, IDirect3DDevice9* pDevice, HWND hWnd,
                                    const std::string& userInterfaceFolder, const std::string& screensFolder) {
    m_pSGUIManager = pSGUIManager;
    m_pDevice = pDevice;
    m_hWnd = hWnd;
    m_strUserInterfaceFolder = userInterfaceFolder;
    m_strUserInterfacePath = g_Utils.GetExeFolderPathString(userInterfaceFolder.c_str());
    m_strScreensFolder = g_Utils.GetExeFolderPathString(screensFolder.c_str());
    return true;
}

void CVR3CIIScreenManager::Release() {
    for (CVR3CIIScreen* s : m_stdvScreens) delete s;
    m_stdvScreens.clear();
    m_stdvFonts.clear();
    m_iCurrentScreen = -1;
}

// ---------------------------------------------------------------------------
// Loading.

bool CVR3CIIScreenManager::LoadScreens() {
    if (!m_pScene && !m_pSGUIManager) return false;
    g_Log.Write(LOG_INFO, "CVR3CIIScreenManager::LoadScreens() : Begin\n");
    if (!LoadDefaults()) {
        g_Log.Write(LOG_ERROR, "CDX9KelCIIScreenManager::LoadScreens() : LoadDefaults() failed\n");
        return false;
    }
    if (!LoadScreensList()) {
        g_Log.Write(LOG_ERROR, "CDX9KelCIIScreenManager::LoadScreens() : LoadScreensList() failed\n");
        return false;
    }
    SetScreenByIndex(0);
    g_Log.Write(LOG_INFO, "CVR3CIIScreenManager::LoadScreens() : End\n");
    return true;
}

bool CVR3CIIScreenManager::LoadDefaults() {
    const std::string path = m_strScreensFolder + kDefaultsFile;
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3CIIScreenManager::LoadDefaults() : not read XML file : ", path.c_str(),
                    "\n");
        return false;
    }
    const TiXmlElement* main = doc.FirstChildElement("Main");
    if (!main) return false;
    const TiXmlElement* fonts = main->FirstChildElement("Fonts");
    if (!fonts) return true;
    for (const TiXmlElement* f = fonts->FirstChildElement(); f; f = f->NextSiblingElement()) {
        CVR3CIIScreenFont font;
        if (CreateFont(f, font))
            m_stdvFonts.push_back(font);
        else
            g_Log.Write(LOG_WARNING, "%s%s%s", "CVR3CIIScreenManager::LoadDefaults() : not create font : ", f->Value(),
                        "\n");
    }
    return true;
}

bool CVR3CIIScreenManager::CreateFont(const TiXmlElement* pElement, CVR3CIIScreenFont& font) {
    font.strName = pElement->Value();
    std::string file;
    const TiXmlElement* formatNode = pElement->FirstChildElement("Format");
    const TiXmlElement* colorNode = pElement->FirstChildElement("Color");
    if (!ReadXMLString(pElement->FirstChildElement("File"), true, file) || file.empty() || !formatNode || !colorNode)
        return false;
    const int format = ReadXMLInt(formatNode);
    if (format < 0) return false;
    if (!m_pSGUIManager) return false;
    const std::string path = m_strUserInterfacePath + file;
    const int index = m_pSGUIManager->LoadBitmapFontFromFile(path.c_str(), CDX9KelUtils::GetFolderFromPath(path.c_str()).c_str());
    if (index < 0) return false;
    const D3DXCOLOR c = ReadXMLAttributeColor(colorNode);
    font.iFont = index;
    font.iFormat = format;
    font.color[0] = c.r;
    font.color[1] = c.g;
    font.color[2] = c.b;
    font.color[3] = c.a;
    return true;
}

bool CVR3CIIScreenManager::LoadScreensList() {
    const std::string path = m_strScreensFolder + kScreensList;
    std::string text;
    // Read as text: a carriage return before a line break goes with it.
    if (!Platform::ReadTextFile(path, text, kMaxListBytes)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3CIIScreenManager::LoadScreensList() : not read screens list : ",
                    path.c_str(), "\n");
        return false;
    }
    // Pieces of at most 49 characters, each ending at a line break at the
    // latest: a longer line gives several entries.
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && end - at < kListPiece) {
            if (text[end++] == '\n') break;
        }
        std::string piece = text.substr(at, end - at);
        at = end;
        if (piece[0] == '\n' || piece[0] == '%') continue;
        if (piece.back() == '\n') piece.pop_back();
        CreateScreen(piece.c_str());
    }
    return true;
}

bool CVR3CIIScreenManager::CreateScreen(const char* szFileName) {
    if (!szFileName || !*szFileName) return false;
    std::string name, extension;
    CDX9KelUtils::GetNameBeforeDot(szFileName, name);
    CDX9KelUtils::GetFileExtension(szFileName, extension);
    if (FindScreenIndex(name.c_str()) != -1) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3CIIScreenManager::CreateScreen() : screen already in list. Name : ",
                    name.c_str(), "\n");
        return false;
    }
    if (extension == m_strScreenExtension) {
        auto* screen = new CVR3CIIScreen();
        const std::string path = m_strScreensFolder + szFileName;
        if (!CVR3CIIScreen::LoadFromXML(this, path.c_str(), screen, name.c_str())) {
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3CIIScreenManager::CreateScreen() : not create screen : ",
                        name.c_str(), "\n");
            delete screen;
            return false;
        }
        m_stdvScreens.push_back(screen);
        return true;
    }
    if (extension == m_strBinaryExtension) {
        m_stdvScreens.push_back(nullptr);
        return true;
    }
    g_Log.Write(LOG_ERROR, "%s%s%s",
                "CVR3CIIScreenManager::CreateScreen() : not found correct expansion for file : ", szFileName, "\n");
    return false;
}

// ---------------------------------------------------------------------------
// Switching.

void CVR3CIIScreenManager::Update() {
    // By index: an action may switch screens, never add or remove them.
    for (size_t i = 0; i < m_stdvScreens.size(); ++i)
        if (m_stdvScreens[i]) m_stdvScreens[i]->Update();
}

bool CVR3CIIScreenManager::SetScreen(const char* szName) {
    const int index = FindScreenIndex(szName);
    if (index == -1) return false;
    m_dwSwitchTime = timeGetTime();
    return SetScreenByIndex(index);
}

bool CVR3CIIScreenManager::SetScreenOf(const CVR3CIIScreen* pScreen) {
    return pScreen ? SetScreen(pScreen->GetName().c_str()) : false;
}

bool CVR3CIIScreenManager::SetScreenByIndex(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_stdvScreens.size()) return false;
    if (index == m_iCurrentScreen) return true;
    if (m_iCurrentScreen >= 0 && static_cast<size_t>(m_iCurrentScreen) < m_stdvScreens.size() &&
        m_stdvScreens[m_iCurrentScreen])
        m_stdvScreens[m_iCurrentScreen]->Deactivate();
    CVR3CIIScreen* screen = m_stdvScreens[index];
    if (!screen) return false;
    screen->Activate();
    m_iCurrentScreen = index;
    if (m_pSGUIManager) m_pSGUIManager->m_iHoverDialog = -1;
    return true;
}

int CVR3CIIScreenManager::FindScreenIndex(const char* szName) const {
    if (!szName || !*szName) return -1;
    for (size_t i = 0; i < m_stdvScreens.size(); ++i)
        if (m_stdvScreens[i] && m_stdvScreens[i]->GetName() == szName) return static_cast<int>(i);
    return -1;
}

CVR3CIIScreen* CVR3CIIScreenManager::FindScreen(const char* szName) const {
    const int index = FindScreenIndex(szName);
    return index == -1 ? nullptr : m_stdvScreens[index];
}

CVR3CIIScreen* CVR3CIIScreenManager::GetCurrentScreen() const {
    if (m_iCurrentScreen < 0 || static_cast<size_t>(m_iCurrentScreen) >= m_stdvScreens.size()) return nullptr;
    return m_stdvScreens[m_iCurrentScreen];
}

const CVR3CIIScreenFont* CVR3CIIScreenManager::GetFont(const char* szName) const {
    if (!szName) return nullptr;
    for (const CVR3CIIScreenFont& f : m_stdvFonts)
        if (f.strName == szName) return &f;
    return nullptr;
}

RECT CVR3CIIScreenManager::GetClientRect() const {
    RECT rc = {0, 0, 0, 0};
    if (m_hWnd && ::GetClientRect(m_hWnd, &rc)) return rc;
    if (m_pSGUIManager) rc = {0, 0, m_pSGUIManager->m_iClientWidth, m_pSGUIManager->m_iClientHeight};
    return rc;
}

POINT CVR3CIIScreenManager::GetClientAnchor(int xKind, int yKind) const {
    if (xKind == -1 || yKind == -1) return {-1, -1};
    const RECT rc = GetClientRect();
    auto anchor = [](int kind, LONG low, LONG high) -> LONG {
        switch (kind) {
        case 0: return low;
        case 1: return (high - low) / 2;
        case 2: return high;
        default: return -1;
        }
    };
    return {anchor(xKind, rc.left, rc.right), anchor(yKind, rc.top, rc.bottom)};
}

bool CVR3CIIScreenManager::IsSwitchAllowed(DWORD ms) { return Platform::PassRepeatGate(m_dwSwitchTime, ms); }

bool CVR3CIIScreenManager::IsWaitPassed() {
    const DWORD now = timeGetTime();
    if (m_dwWaitTime == 0) {
        m_dwWaitTime = now;
        return false;
    }
    if (now - m_dwWaitTime > kWaitGate) {
        m_dwWaitTime = 0;
        return true;
    }
    return false;
}

void CVR3CIIScreenManager::StampToggle() {
    const DWORD now = timeGetTime();
    if (m_dwSwitchTime == 0)
        m_dwSwitchTime = now;
    else if (now - m_dwSwitchTime > kToggleGate)
        m_dwSwitchTime = 0;
}

} // namespace Vorna3D
