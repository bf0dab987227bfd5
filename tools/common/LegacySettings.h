#pragma once
// The campaign's configuration tool: display mode and volumes of the
// "engine.ini" beside the campaign program.
#include "platform/display/DisplayModes.h"

#include <string>
#include <vector>

namespace VornaTools {

class LegacySettings {
public:
    // As read; -1 when absent.
    int fullScreen = -1;
    int width = -1;
    int height = -1;
    int refreshRate = -1;
    int musicVolume = 100;
    int effectsVolume = 100;

    // In parallel order: one entry per offered height.
    std::vector<std::string> resolutionTexts;
    std::vector<int> widths;
    std::vector<int> heights;
    std::vector<std::string> refreshTexts;
    // The entries matching the stored (or, for -1, the desktop's) mode; -1 when none.
    int presetResolution = -1;
    int presetRefresh = -1;

    void Read(const std::string& path);
    // Builds both lists from the modes in the desktop's format that are at
    // least 800 wide: a resolution once per height, a rate once.
    void BuildModeLists(const Platform::DisplayMode& desktop, const std::vector<Platform::DisplayMode>& modes);
    // The radio choice the dialog opens with: full screen when absent.
    int InitialFullScreenChoice() const { return fullScreen == -1 ? 1 : fullScreen; }
    // The list positions the dialog opens with (found by text, as the lists show them).
    int InitialResolutionSelection() const;
    int InitialRefreshSelection() const;

    // Writes FullScreen, Width, Height, RefreshRate, MusicVolume and
    // EffectsVolume; a list with nothing chosen leaves its keys as stored.
    // False without a path or at the first key that cannot be written.
    bool Save(const std::string& path, int fullScreenChoice, int resolutionSelection, int refreshSelection,
              int music, int effects) const;
};

} // namespace VornaTools
