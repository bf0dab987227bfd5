#include "tools/common/LegacySettings.h"
#include "tools/common/EngineIni.h"
#include "tools/common/GfxSettings.h"

#include <algorithm>

namespace VornaTools {

void LegacySettings::Read(const std::string& path) {
    fullScreen = ReadIniInt(path, kGraficSection, kKeyFullScreen, -1);
    width = ReadIniInt(path, kGraficSection, kKeyWidth, -1);
    height = ReadIniInt(path, kGraficSection, kKeyHeight, -1);
    refreshRate = ReadIniInt(path, kGraficSection, kKeyRefreshRate, -1);
    musicVolume = ReadIniInt(path, kSoundSection, kKeyMusicVolume, 100);
    effectsVolume = ReadIniInt(path, kSoundSection, kKeyEffectsVolume, 100);
}

void LegacySettings::BuildModeLists(const Platform::DisplayMode& desktop,
                                    const std::vector<Platform::DisplayMode>& modes) {
    resolutionTexts.clear();
    widths.clear();
    heights.clear();
    refreshTexts.clear();
    presetResolution = presetRefresh = -1;
    std::vector<int> rates;
    for (const Platform::DisplayMode& m : modes) {
        if (m.format != 0 && desktop.format != 0 && m.format != desktop.format) continue;
        if (m.width < 800) continue;
        const int w = static_cast<int>(m.width), h = static_cast<int>(m.height);
        if (std::find(heights.begin(), heights.end(), h) == heights.end()) {
            widths.push_back(w);
            heights.push_back(h);
            if ((w == width && h == height) ||
                (width == -1 && m.width == desktop.width && m.height == desktop.height))
                presetResolution = static_cast<int>(heights.size()) - 1;
        }
        const int rate = static_cast<int>(m.refreshRate);
        if (std::find(rates.begin(), rates.end(), rate) == rates.end()) {
            rates.push_back(rate);
            if (rate == refreshRate || (refreshRate == -1 && m.refreshRate == desktop.refreshRate))
                presetRefresh = static_cast<int>(rates.size()) - 1;
        }
    }
    for (size_t i = 0; i < widths.size(); ++i)
        resolutionTexts.push_back(std::to_string(widths[i]) + " x " + std::to_string(heights[i]));
    for (int r : rates) refreshTexts.push_back(std::to_string(r));
}

int LegacySettings::InitialResolutionSelection() const {
    if (presetResolution < 0 || presetResolution >= static_cast<int>(resolutionTexts.size())) return -1;
    return FindPresetEntry(resolutionTexts, resolutionTexts[static_cast<size_t>(presetResolution)]);
}

int LegacySettings::InitialRefreshSelection() const {
    if (presetRefresh < 0 || presetRefresh >= static_cast<int>(refreshTexts.size())) return -1;
    return FindPresetEntry(refreshTexts, refreshTexts[static_cast<size_t>(presetRefresh)]);
}

bool LegacySettings::Save(const std::string& path, int fullScreenChoice, int resolutionSelection,
                          int refreshSelection, int music, int effects) const {
    if (path.empty()) return false;
    auto put = [&](const char* section, const char* key, int value) {
        return WriteIniInt(path, section, key, value);
    };
    if (!put(kGraficSection, kKeyFullScreen, fullScreenChoice != 0 ? 1 : 0)) return false;
    if (resolutionSelection >= 0 && resolutionSelection < static_cast<int>(widths.size())) {
        const size_t i = static_cast<size_t>(resolutionSelection);
        if (!put(kGraficSection, kKeyWidth, widths[i]) || !put(kGraficSection, kKeyHeight, heights[i])) return false;
    }
    if (refreshSelection >= 0 && refreshSelection < static_cast<int>(refreshTexts.size()) &&
        !put(kGraficSection, kKeyRefreshRate, std::stoi(refreshTexts[static_cast<size_t>(refreshSelection)])))
        return false;
    return put(kSoundSection, kKeyMusicVolume, music) && put(kSoundSection, kKeyEffectsVolume, effects);
}

} // namespace VornaTools
