#include "engine3/ui/screens/CCIIModuleSoundLine.h"

#include <cstring>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Profile.h"

namespace Vorna3D {

namespace {

constexpr const char* kFoldersIni = "folders.ini";
constexpr const char* kDefaultSources = "Sound\\Sources\\";
// A line holds a playlist, not a library: more items than this are ignored.
constexpr size_t kMaxSounds = 256;

std::string SourcesFolder() {
    const std::string ini = g_Utils.GetExeFolderPathString(kFoldersIni);
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("Sound Data", "Sources", kDefaultSources, value, sizeof value, ini.c_str());
    return g_Utils.GetExeFolderPathString(value);
}

} // namespace

bool CCIIModuleSoundLine::Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!pElement || !pElement->Value() || std::strcmp(pElement->Value(), kElementName) != 0) return false;
    m_pScreen = pScreen;
    const char* lineName = ReadXMLAttributeString(pElement, "LineName", false);
    if (!lineName) {
        g_Log.Write(LOG_ERROR, "CCIIModuleSoundLine::Init() : not found 'LineName' attribute in module node\n");
        return false;
    }
    m_strLineName = lineName;
    m_iLineType = ReadXMLAttributeInt(pElement, "LineType");
    m_iAction = ReadXMLAttributeInt(pElement, "Action");
    m_iBreakTime = ReadXMLAttributeInt(pElement, "BreakTime");

    CVR3SOUNDManager& sound = CVR3SOUNDManager::Get();
    m_pLine = sound.CreateSoundLine(m_strLineName, m_iLineType);
    if (!m_pLine) {
        g_Log.Write(LOG_ERROR, "CCIIModuleSoundLine::Init() : CVR3SOUNDManager::Get().CreateSoundLine() failed \n");
        return false;
    }
    const std::string folder = SourcesFolder();
    for (const TiXmlElement* item = pElement->FirstChildElement(); item && m_stdvSounds.size() < kMaxSounds;
         item = item->NextSiblingElement()) {
        std::string file;
        if (!ReadXMLString(item, false, file) || file.empty()) continue;
        const std::string path = folder + file;
        m_stdvSounds.push_back(path);
        sound.LoadSoundLineSound(m_strLineName, path);
    }
    sound.RegisterPendingSources();
    return true;
}

void CCIIModuleSoundLine::Proc() {
    if (!m_pScreen || !m_pLine) return;
    if (!m_pScreen->IsActive()) {
        m_bDone = false;
        return;
    }
    if (m_bDone) return;
    m_bDone = true;
    switch (m_iAction) {
    case ACTION_STOP:
        m_pLine->Stop();
        break;
    case ACTION_PLAY:
        // The same playlist keeps playing where it is; another one replaces it.
        if (!m_pLine->Compare(m_stdvSounds)) {
            m_pLine->Stop();
            m_pLine->PostRequest(CVR3SOUNDLine::REQUEST_CLEAR);
            for (const std::string& path : m_stdvSounds) m_pLine->AddToPending(path);
            m_pLine->SetGap(static_cast<DWORD>(m_iBreakTime < 0 ? 0 : m_iBreakTime));
            m_pLine->PostRequest(CVR3SOUNDLine::REQUEST_REPLACE);
        }
        m_pLine->PostRequest(CVR3SOUNDLine::REQUEST_PLAY);
        break;
    case ACTION_PAUSE:
        m_pLine->PostRequest(CVR3SOUNDLine::REQUEST_PAUSE);
        break;
    default:
        break;
    }
}

} // namespace Vorna3D
