#include "tools/common/EngineIni.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"

#include <cstdio>

namespace VornaTools {

namespace {
constexpr const char* kUserDataSection = "User Data";
}

bool ResolveUserDataFolder(const std::string& programFolder, bool create, std::string& folder) {
    folder.clear();
    const std::string foldersIni = programFolder + kFoldersIni;
    if (static_cast<int>(GetPrivateProfileIntA(kUserDataSection, "UseLocalDirectory", 0, foldersIni.c_str())) == 0) {
        folder = programFolder;
        return !folder.empty();
    }
    char sub[260] = {};
    GetPrivateProfileStringA(kUserDataSection, "UserLocalDirectory", "", sub, sizeof sub, foldersIni.c_str());
    const std::string documents = Platform::CommonDocumentsFolder();
    const std::string configured = documents + sub;
    if (create) {
        folder = configured;
        return !documents.empty() && Platform::CreateFolderTree(configured);
    }
    // The battle program writes into the program folder when it could not
    // make the configured one, so a reader looks there too.
    folder = !documents.empty() && Platform::DirectoryExists(configured) ? configured : programFolder;
    return !folder.empty();
}

std::string UserSettingsPath(const std::string& programFolder, std::string* failedFolder) {
    std::string folder;
    if (!ResolveUserDataFolder(programFolder, true, folder)) {
        if (failedFolder) *failedFolder = folder;
        return std::string();
    }
    return folder + kEngineIni;
}

int ReadIniInt(const std::string& path, const char* section, const char* key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path.c_str()));
}

bool WriteIniInt(const std::string& path, const char* section, const char* key, int value) {
    if (path.empty()) return false;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileStringA(section, key, text, path.c_str()) != FALSE;
}

std::string PercentText(int value) {
    char text[24];
    std::snprintf(text, sizeof text, "%d%s", value, "%");
    return text;
}

} // namespace VornaTools
