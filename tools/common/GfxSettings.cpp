#include "tools/common/GfxSettings.h"
#include "tools/common/EngineIni.h"

#include <strings.h>

namespace VornaTools {

int FindPresetEntry(const std::vector<std::string>& entries, const std::string& text) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].size() >= text.size() && ::strncasecmp(entries[i].c_str(), text.c_str(), text.size()) == 0)
            return static_cast<int>(i);
    return -1;
}

namespace {
std::string ResolutionText(uint32_t w, uint32_t h) { return std::to_string(w) + " x " + std::to_string(h); }
} // namespace

void GfxVideoSettings::Read(const std::string& path) {
    fullScreen = ReadIniInt(path, kGraficSection, kKeyFullScreen, 0);
    width = ReadIniInt(path, kGraficSection, kKeyWidth, 1024);
    height = ReadIniInt(path, kGraficSection, kKeyHeight, 768);
    refreshRate = ReadIniInt(path, kGraficSection, kKeyRefreshRate, 60);
    vsync = ReadIniInt(path, kGraficSection, kKeyVSync, 0);
    multisample = ReadIniInt(path, kGraficSection, kKeyMultisample, 0);
    anisotropy = ReadIniInt(path, kGraficSection, kKeyAnisotropy, 4);
    reflRefr = ReadIniInt(path, kGraficSection, kKeyReflRefr, 512);
    shadersLevel = ReadIniInt(path, kGraficSection, kKeyShadersLevel, 1);
    waterType = ReadIniInt(path, kGraficSection, kKeyWaterType, 0);
}

bool GfxVideoSettings::BuildLists(CDX9KelRender& render, std::vector<std::string>& warnings) {
    for (ChoiceList* l : {&resolution, &refresh, &multisampleTypes, &anisotropyLevels, &reflRefrSizes, &quality, &water})
        *l = ChoiceList{};
    resolutionValues.clear();
    refreshValues.clear();
    multisampleValues.clear();
    if (FAILED(render.InitialD3D())) return false;

    render.ReadAdapterInfo();
    render.GenerateResolutionsList();
    render.GenerateRefreshRateList();
    render.GenerateMultisampleList();

    resolutionValues = render.GetResolutionsList();
    for (const auto& r : resolutionValues) resolution.texts.push_back(ResolutionText(r.first, r.second));
    resolution.Preset(std::to_string(width) + " x " + std::to_string(height));

    refreshValues = render.GetRefreshRateList();
    for (uint32_t r : refreshValues) refresh.texts.push_back(std::to_string(r));
    refresh.Preset(std::to_string(refreshRate));

    multisampleValues = render.GetMultisampleList();
    for (int m : multisampleValues) multisampleTypes.texts.push_back(std::to_string(m));
    multisampleTypes.Preset(std::to_string(multisample));

    for (DWORD a = 1; a <= render.GetMaxAnisotropy(); ++a) anisotropyLevels.texts.push_back(std::to_string(a));
    anisotropyLevels.Preset(std::to_string(anisotropy));

    reflRefrSizes.texts = {"512", "1024"};
    reflRefrSizes.Preset(std::to_string(reflRefr));

    static const char* const kQualityNames[] = {"Low", "Middle", "High"};
    if (render.GetPixelShaderVersion() < 2.0f) warnings.push_back(kShaderWarning);
    quality.texts = {"Low", "Middle"};
    if (render.GetPixelShaderVersion() >= 3.0f) quality.texts.push_back("High");
    if (shadersLevel >= 0 && shadersLevel <= 2) quality.Preset(kQualityNames[shadersLevel]);

    static const char* const kWaterNames[] = {"Simple", "Good"};
    const std::string& series = render.GetSeries();
    if (render.GetVendor() == "NVIDIA" && !series.empty() && (series[0] == '5' || series[0] == '6' || series[0] == '7'))
        warnings.push_back(kWaterWarning);
    water.texts = {"Simple", "Good"};
    if (waterType >= 0 && waterType <= 1) water.Preset(kWaterNames[waterType]);
    return true;
}

bool GfxVideoSettings::Save(const std::string& path) const {
    if (path.empty()) return false;
    auto put = [&](const char* key, int value) { return WriteIniInt(path, kGraficSection, key, value); };
    // The display lists come from the adapter: one without a selection keeps
    // the value read, as the adapter's modes may simply not list it.
    int w = width, h = height, rate = refreshRate, ms = multisample;
    if (resolution.HasSelection() && static_cast<size_t>(resolution.selection) < resolutionValues.size()) {
        w = static_cast<int>(resolutionValues[static_cast<size_t>(resolution.selection)].first);
        h = static_cast<int>(resolutionValues[static_cast<size_t>(resolution.selection)].second);
    }
    if (refresh.HasSelection() && static_cast<size_t>(refresh.selection) < refreshValues.size())
        rate = static_cast<int>(refreshValues[static_cast<size_t>(refresh.selection)]);
    if (multisampleTypes.HasSelection() && static_cast<size_t>(multisampleTypes.selection) < multisampleValues.size())
        ms = multisampleValues[static_cast<size_t>(multisampleTypes.selection)];
    // The other lists write what their position says, also without one:
    // "Anisotropy" 0, "ReflRefrTexture" 1024, "ShadersLevel" and "WaterType" -1.
    const int anisotropyPos = anisotropyLevels.HasSelection() ? anisotropyLevels.selection : -1;
    const int qualityPos = quality.HasSelection() ? quality.selection : -1;
    const int waterPos = water.HasSelection() ? water.selection : -1;
    const bool small = reflRefrSizes.HasSelection() && reflRefrSizes.selection == 0;
    return put(kKeyFullScreen, fullScreen != 0 ? 1 : 0) && put(kKeyWidth, w) && put(kKeyHeight, h) &&
           put(kKeyRefreshRate, rate) && put(kKeyVSync, vsync != 0 ? 1 : 0) && put(kKeyMultisample, ms) &&
           put(kKeyAnisotropy, anisotropyPos + 1) && put(kKeyReflRefr, small ? 512 : 1024) &&
           put(kKeyShadersLevel, qualityPos) && put(kKeyWaterType, waterPos);
}

void GfxSoundSettings::Read(const std::string& path) {
    musicVolume = ReadIniInt(path, kSoundSection, kKeyMusicVolume, 100);
    effectsVolume = ReadIniInt(path, kSoundSection, kKeyEffectsVolume, 100);
}

bool GfxSoundSettings::Save(const std::string& path) const {
    return WriteIniInt(path, kSoundSection, kKeyMusicVolume, musicVolume) &&
           WriteIniInt(path, kSoundSection, kKeyEffectsVolume, effectsVolume);
}

} // namespace VornaTools
