#pragma once
// "engine.ini" and "folders.ini" as the tools see them.
#include <string>

namespace VornaTools {

inline constexpr const char* kEngineIni = "engine.ini";
inline constexpr const char* kFoldersIni = "folders.ini";

inline constexpr const char* kGraficSection = "Grafic Settings";
inline constexpr const char* kSoundSection = "Sound Settings";

inline constexpr const char* kKeyFullScreen = "FullScreen";
inline constexpr const char* kKeyWidth = "Width";
inline constexpr const char* kKeyHeight = "Height";
inline constexpr const char* kKeyRefreshRate = "RefreshRate";
inline constexpr const char* kKeyVSync = "VSync";
inline constexpr const char* kKeyMultisample = "MultisapleType"; // spelt as stored
inline constexpr const char* kKeyAnisotropy = "Anisotropy";
inline constexpr const char* kKeyReflRefr = "ReflRefrTexture";
inline constexpr const char* kKeyShadersLevel = "ShadersLevel";
inline constexpr const char* kKeyWaterType = "WaterType";
inline constexpr const char* kKeyMusicVolume = "MusicVolume";
inline constexpr const char* kKeyEffectsVolume = "EffectsVolume";

// The per-user data folder of the battle program: with "UseLocalDirectory" of
// [User Data] in programFolder's "folders.ini" not 0, the common documents
// folder followed by "UserLocalDirectory"; otherwise programFolder. The file
// names are appended directly, so a configured folder ends in a separator.
// With `create`, a configured folder is made with its missing parents; false
// when it cannot be made, `folder` then holding what was configured. Without
// `create` (looking for what the battle program wrote), a configured folder
// that does not exist gives programFolder, where the battle program writes
// when it cannot make the folder.
bool ResolveUserDataFolder(const std::string& programFolder, bool create, std::string& folder);

// ResolveUserDataFolder(create) followed by "engine.ini"; "" when there is no
// folder to put it in (then `failedFolder`, when given, names the folder).
std::string UserSettingsPath(const std::string& programFolder, std::string* failedFolder = nullptr);

// Reads an integer key of "engine.ini" with the profile rules.
int ReadIniInt(const std::string& path, const char* section, const char* key, int defaultValue);
// Writes one integer key as decimal text; false when the file cannot be
// written (it is then left as it was).
bool WriteIniInt(const std::string& path, const char* section, const char* key, int value);

// "35" -> "35%": the label beside a volume slider.
std::string PercentText(int value);

} // namespace VornaTools
