#pragma once
// What the pages of the graphics configuration tool show and write: values
// read from "engine.ini", the texts of each drop-down list and the chosen
// position in each (-1: nothing chosen).
#include "tools/common/CDX9KelRender.h"

#include <string>
#include <vector>

namespace VornaTools {

// The position of the first entry whose text begins with `text`, ignoring
// case; -1 when none does.
int FindPresetEntry(const std::vector<std::string>& entries, const std::string& text);

// One drop-down list: its entries and the chosen position.
struct ChoiceList {
    std::vector<std::string> texts;
    int selection = -1;
    bool HasSelection() const { return selection >= 0 && selection < static_cast<int>(texts.size()); }
    void Preset(const std::string& text) { selection = FindPresetEntry(texts, text); }
};

class GfxVideoSettings {
public:
    // Values as read, with the tool's defaults.
    int fullScreen = 0;
    int vsync = 0;
    int width = 1024;
    int height = 768;
    int refreshRate = 60;
    int multisample = 0;
    int anisotropy = 4;
    int reflRefr = 512;
    int shadersLevel = 1;
    int waterType = 0;

    ChoiceList resolution, refresh, multisampleTypes, anisotropyLevels, reflRefrSizes, quality, water;
    // The values behind the entries of the lists whose texts are not the value.
    std::vector<std::pair<uint32_t, uint32_t>> resolutionValues;
    std::vector<uint32_t> refreshValues;
    std::vector<int> multisampleValues;

    // Reads "Grafic Settings" of `path` (a missing file gives the defaults).
    void Read(const std::string& path);
    // Asks the adapter and fills and presets every list. False when the
    // display cannot be asked: every list then stays empty. Warnings for the
    // user are appended to `warnings`.
    bool BuildLists(CDX9KelRender& render, std::vector<std::string>& warnings);
    // Writes the ten keys in their order. A display list (resolution, refresh
    // rate, multisample type) with nothing chosen writes the value read; the
    // other lists write their position's value: "Anisotropy" 0,
    // "ReflRefrTexture" 1024, "ShadersLevel" and "WaterType" -1. False, at
    // the first key that cannot be written, or without a path.
    bool Save(const std::string& path) const;
};

class GfxSoundSettings {
public:
    int musicVolume = 100;
    int effectsVolume = 100;
    void Read(const std::string& path);
    bool Save(const std::string& path) const;
};

inline constexpr const char* kShaderWarning =
    "WARNING! Your video card does not meet game requirements. Shaders model more low 2.0";
inline constexpr const char* kWaterWarning =
    "WARNING! Video cards with a nVdidia chipset 5000, 6000, 7000 series do not support 'Good' water. In case of "
    "game work problems set 'Simple' water quality.";

} // namespace VornaTools
