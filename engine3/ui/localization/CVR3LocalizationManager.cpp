#include "engine3/ui/localization/CVR3LocalizationManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/localization/SafeXml.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"

#include <clocale>
#include <strings.h>

namespace Vorna3D {

namespace {
const char* const kDefaultTag = "_LN_";
}

CVR3LocalizationManager::CVR3LocalizationManager() { ReadSettings(Platform::ProgramFolder()); }

CVR3LocalizationManager::CVR3LocalizationManager(const std::string& programFolder) { ReadSettings(programFolder); }

CVR3LocalizationManager::~CVR3LocalizationManager() {
    if (GetLocalizedNames() == this) SetLocalizedNames(nullptr);
}

CVR3LocalizationManager& CVR3LocalizationManager::Get() {
    static CVR3LocalizationManager manager;
    return manager;
}

void CVR3LocalizationManager::ReadSettings(const std::string& programFolder) {
    const std::string ini = programFolder + "local.ini";
    char buffer[260] = {};
    GetPrivateProfileStringA("Local Settings", "Locale", "English", buffer, sizeof buffer, ini.c_str());
    m_strLocale = ApplyLocale(buffer);
    buffer[0] = '\0';
    GetPrivateProfileStringA("Local Settings", "LanguageFile", "", buffer, sizeof buffer, ini.c_str());
    m_strLanguageFile.clear();
    if (buffer[0]) m_strLanguageFile = programFolder + buffer;
}

std::string CVR3LocalizationManager::ApplyLocale(const std::string& name) {
    struct Mapping {
        const char* windowsName;
        const char* candidates[3];
    };
    static const Mapping kMappings[] = {
        {"English", {"C", nullptr, nullptr}},
        {"Russian", {"ru_RU.CP1251", "ru_RU.cp1251", "ru_RU.1251"}},
    };
    const char* const* candidates = nullptr;
    for (const Mapping& m : kMappings)
        if (strcasecmp(m.windowsName, name.c_str()) == 0) candidates = m.candidates;
    if (candidates) {
        for (int i = 0; i < 3 && candidates[i]; ++i)
            if (const char* set = std::setlocale(LC_CTYPE, candidates[i])) return set;
    } else if (!name.empty()) {
        if (const char* set = std::setlocale(LC_CTYPE, name.c_str())) return set;
    }
    std::setlocale(LC_CTYPE, "C");
    return "C";
}

bool CVR3LocalizationManager::CreateLocalData() {
    g_Log.Write(LOG_INFO, "CVR3LocalizationManager::CreateLocalData() : Begin\n");
    // Readers may hold texts of the old tree only until the names are loaded
    // again; take the names away while the tree is replaced.
    if (GetLocalizedNames() == this) SetLocalizedNames(nullptr);
    m_pTree = std::make_unique<CVR3LocalNamesTree>();
    m_strTag = kDefaultTag;

    const size_t dot = m_strLanguageFile.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : m_strLanguageFile.substr(dot + 1);
    if (extension != m_strXmlExtension && extension != m_strBinExtension) {
        g_Log.Write(LOG_WARNING, "%s%s%s",
                    "CVR3LocalizationManager::CreateLocalData() : language file expansion not support : ",
                    extension.c_str(), "\n");
        SetLocalizedNames(this);
        return false;
    }
    if (extension == m_strXmlExtension) {
        TiXmlDocument doc;
        if (!LoadXmlFile(m_strLanguageFile, doc)) {
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3LocalizationManager::CreateLocalData() : xml file not read : ",
                        m_strLanguageFile.c_str(), "\n");
            SetLocalizedNames(this);
            return false;
        }
        if (!LoadLanguageDocument(doc)) {
            SetLocalizedNames(this);
            return false;
        }
    }
    g_Log.Write(LOG_INFO, "CVR3LocalizationManager::CreateLocalData() : End\n");
    SetLocalizedNames(this);
    return true;
}

bool CVR3LocalizationManager::LoadLanguageDocument(const TiXmlDocument& doc) {
    const TiXmlElement* root = doc.RootElement();
    if (!root || root->ValueStr() != "Localization") return false;
    if (const TiXmlElement* names = root->FirstChildElement("Names")) {
        const char* tag = names->Attribute("tag");
        m_strTag = (tag && *tag) ? tag : kDefaultTag;
        for (const TiXmlNode* node = names->FirstChild(); node; node = node->NextSibling()) {
            if (node->Type() == TiXmlNode::TINYXML_COMMENT) continue;
            const TiXmlElement* element = node->ToElement();
            const char* text = element ? element->Attribute("name") : nullptr;
            m_pTree->AddName(node->ValueStr(), text ? std::string(text) : std::string());
        }
    }
    return true;
}

bool CVR3LocalizationManager::LoadLanguageText(const std::string& text) {
    if (GetLocalizedNames() == this) SetLocalizedNames(nullptr);
    m_pTree = std::make_unique<CVR3LocalNamesTree>();
    m_strTag = kDefaultTag;
    TiXmlDocument doc;
    const bool ok = ParseXmlText(text, doc) && LoadLanguageDocument(doc);
    SetLocalizedNames(this);
    return ok;
}

const char* CVR3LocalizationManager::GetLocalizedName(const char* key) const {
    if (!m_pTree) return nullptr;
    const std::string* text = m_pTree->GetName(key, m_strTag);
    return text ? text->c_str() : nullptr;
}

} // namespace Vorna3D
