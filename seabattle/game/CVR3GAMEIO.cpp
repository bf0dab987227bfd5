#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMESaveImage.h"

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

struct FolderKey {
    const char* section;
    const char* key;
    const char* fallback;
};

// "folders.ini": section, key and default of every data folder, in folder order.
constexpr FolderKey kFolderKeys[CVR3GAMEIO::FOLDER_COUNT] = {
    {"Graphic Data", "Effects", "Effects\\"},
    {"Graphic Data", "Models", "Models\\"},
    {"Graphic Data", "Textures", "Textures\\"},
    {"Graphic Data", "Particles", "Particles\\"},
    {"Game Data", "Scene_Objects", "Scene_Objects\\"},
    {"Game Data", "Movement_Objects", "Movement_Objects\\"},
    {"Game Data", "Animated_Objects", "Animated_Objects\\"},
    {"Game Data", "Battle_Objects", "Battle_Objects\\"},
    {"Game Data", "Artillery_Objects", "Artillery_Objects\\"},
    {"Game Data", "Information_Objects", "Information_Objects\\"},
    {"Game Data", "Maps_Environments", "Maps_Environments\\"},
    {"Game Data", "Battle_Maps", "Battle_Maps\\"},
    {"Game Data", "Harbour_Maps", "Harbour_Maps\\"},
    {"Game Data", "Artillery_Lists", "Artillery_Lists\\"},
    {"Game Data", "Scenarios", "Scenarios\\"},
    {"Game Data", "Duel", "Duel\\"},
    {"Sound Data", "Effects", "Sound\\Effects\\"},
    {"Sound Data", "Music", "Sound\\Music\\"},
    {"Sound Data", "Sources", "Sound\\Sources\\"},
    {"User Data", "UserSaves", "Saves\\"},
};

constexpr const char* kKindKeys[CVR3GAMEIO::kKindKeyCount] = {
    "scobjxml",  "scobjbin",  "movobjxml", "movobjbin", "anmobjxml", "anmobjbin", "btlobjxml",
    "btlobjbin", "artobjxml", "artobjbin", "infobjxml", "infobjbin", "btlmapxml", "btlmapbin",
    "hrbmapxml", "hrbmapbin", "mapenvxml", "mapenvbin", "artlstxml", "artlstbin", "scnrxml",
    "scnrbin",   "duelxml",   "duelbin",   "v3savebin", "v3cbsavebin",
};

// The profile calls' buffer.
constexpr DWORD kFolderValueSize = 260;

} // namespace

std::vector<VR3ListEntry> VR3ListEntries(const TiXmlNode* parent) {
    std::vector<VR3ListEntry> entries;
    if (!parent)
        return entries;
    for (const TiXmlNode* n = parent->FirstChild(); n; n = n->NextSibling()) {
        if (n->ToComment())
            continue;
        entries.push_back({n, n->ToElement()});
    }
    return entries;
}

CVR3GAMEIO::CVR3GAMEIO() {
    for (int i = 0; i < kKindKeyCount; ++i)
        m_strKindKeys[i] = kKindKeys[i];
}

CVR3GAMEIO::~CVR3GAMEIO() {
    for (SVR3GAMESaveListEntry* e : m_vSaveList)
        delete e;
    m_vSaveList.clear();
    for (std::string& s : m_strFolders)
        s.clear();
    for (std::string& s : m_strKindKeys)
        s.clear();
}

int CVR3GAMEIO::Init() {
    const std::string programFolder = g_Utils.GetExeFolderPathString("");
    std::string userFolder = m_pScene ? m_pScene->m_strDataFolder : std::string();
    if (userFolder.empty())
        userFolder = programFolder;
    return InitFrom(programFolder + "folders.ini", programFolder, userFolder);
}

int CVR3GAMEIO::InitFrom(const std::string& iniPath, const std::string& programFolder,
                         const std::string& userFolder) {
    char value[kFolderValueSize];
    for (int i = 0; i < FOLDER_COUNT; ++i) {
        const FolderKey& k = kFolderKeys[i];
        GetPrivateProfileStringA(k.section, k.key, k.fallback, value, kFolderValueSize, iniPath.c_str());
        m_strFolders[i] = (i == FOLDER_USER_SAVES ? userFolder : programFolder) + value;
    }
    const std::string& saves = m_strFolders[FOLDER_USER_SAVES];
    if (Platform::DirectoryExists(saves))
        return 0;
    if (CreateDirectoryA(saves.c_str(), nullptr))
        return 1;
    // Not fatal: saving reports its own failure later.
    g_Log.Write(2, "CVR3GAMEIO::Init() : saves folder not created : %s\n", saves.c_str());
    return 0;
}

EVR3GAMEFileForm CVR3GAMEIO::GetFileForm(EVR3GAMEFileKind kind, const char* fileName) const {
    if (kind < 0 || kind >= VR3_KIND_COUNT)
        return VR3_FORM_UNKNOWN;
    std::string ext;
    CDX9KelUtils::GetFileExtension(fileName, ext);
    if (ext == GetTextKey(kind))
        return VR3_FORM_TEXT;
    if (ext == GetBinaryKey(kind))
        return VR3_FORM_BINARY;
    return VR3_FORM_UNKNOWN;
}

std::string CVR3GAMEIO::MakePath(EFolder folder, const char* fileName) const {
    return m_strFolders[folder] + (fileName ? fileName : "");
}

CVR3GAMEIO::EReadResult CVR3GAMEIO::ReadKindFile(EVR3GAMEFileKind kind, EFolder folder, const char* fileName,
                                                 const char* op, TiXmlDocument& doc) const {
    if (!fileName || !*fileName)
        return READ_FAILED;
    switch (GetFileForm(kind, fileName)) {
    case VR3_FORM_TEXT: {
        const std::string path = MakePath(folder, fileName);
        if (LoadXmlFile(path, doc))
            return READ_DOCUMENT;
        g_Log.Write(3, "%s%s%s%s", op, " : xml file not read : ", path.c_str(), "\n");
        return READ_FAILED;
    }
    case VR3_FORM_BINARY:
        return READ_BINARY;
    default:
        g_Log.Write(3, "%s%s", op, " : file expansion parser not defined\n");
        return READ_FAILED;
    }
}

} // namespace SeaBattle
