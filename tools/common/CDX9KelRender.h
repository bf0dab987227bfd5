#pragma once
// The configuration tool's view of the graphics adapter: the desktop mode,
// the resolutions, refresh rates and multisample types on offer, and the
// adapter's vendor, series and limits. It never creates a rendering device.
#include "platform/display/DisplayModes.h"
#include "platform/os/WinTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace VornaTools {

// Where the facts come from; tests hand in their own.
struct DisplayBackend {
    std::function<bool(Platform::DisplayMode&, std::vector<Platform::DisplayMode>&, std::string&)> queryModes;
    std::function<bool(Platform::AdapterInfo&, std::string&)> queryAdapter;
    std::function<std::string()> processorBrand;
    // The running system's display and adapter.
    static DisplayBackend System();
};

using LogSink = std::function<void(const std::string&)>;

class CDX9KelRender {
public:
    // Lists shorter than this width are never offered.
    static constexpr uint32_t kMinWidth = 800;

    explicit CDX9KelRender(DisplayBackend backend = DisplayBackend::System(), LogSink log = {});
    virtual ~CDX9KelRender() = default;

    // Reads the desktop mode and the mode list of display 0.
    HRESULT InitialD3D();
    // Reads the adapter's description, vendor, series, shader versions and
    // limits. Fails without InitialD3D or when the adapter cannot be asked.
    HRESULT ReadAdapterInfo();
    // (width, height) of each mode in the desktop's format, at least kMinWidth
    // wide, once each, in the system's order.
    bool GenerateResolutionsList();
    // Every refresh rate of the modes, once each, in the system's order.
    bool GenerateRefreshRateList();
    // 0, then each type from 2 to 15 the adapter supports.
    bool GenerateMultisampleList();
    bool IsCompatibleMultisampleType(int type) const;

    const std::vector<std::pair<uint32_t, uint32_t>>& GetResolutionsList() const { return m_stdvResolutions; }
    const std::vector<uint32_t>& GetRefreshRateList() const { return m_stdvRefreshRates; }
    const std::vector<int>& GetMultisampleList() const { return m_stdvMultisample; }
    const std::string& GetVendor() const { return m_szVendor; }
    const std::string& GetSeries() const { return m_szSeries; }
    const std::string& GetDescription() const { return m_adapter.renderer; }
    DWORD GetMaxAnisotropy() const { return m_dwMaxAnisotropy; }
    DWORD GetMaxTextureWidth() const { return m_dwMaxTextureWidth; }
    float GetPixelShaderVersion() const { return m_fPixelShaderVersion; }
    float GetVertexShaderVersion() const { return m_fVertexShaderVersion; }
    const Platform::DisplayMode& GetDesktopMode() const { return m_desktop; }
    const std::vector<Platform::DisplayMode>& GetDisplayModes() const { return m_stdvModes; }

    // Vendor ("NVIDIA", "RADEON" or "OTHER") and series (the last word that
    // begins with a digit 1-9, up to the next blank) of an adapter description.
    static void ParseAdapterDescription(const std::string& description, std::string& vendor, std::string& series);
    // The shader model a GL version stands for: 4.0 from GL 3, 3.0 from GL 2.1,
    // 2.0 from GL 2.0, 0 below.
    static float ShaderVersionFromGl(int major, int minor);

private:
    void Log(const std::string& line) const;

    DisplayBackend m_backend;
    LogSink m_log;
    bool m_bDisplay = false; // stands for the graphics object: set by InitialD3D
    Platform::DisplayMode m_desktop;
    std::vector<Platform::DisplayMode> m_stdvModes;
    Platform::AdapterInfo m_adapter;
    std::vector<std::pair<uint32_t, uint32_t>> m_stdvResolutions;
    std::vector<uint32_t> m_stdvRefreshRates;
    std::vector<int> m_stdvMultisample;
    std::string m_szVendor;
    std::string m_szSeries;
    DWORD m_dwMaxTextureWidth = 0;
    float m_fPixelShaderVersion = 0.0f;
    float m_fVertexShaderVersion = 0.0f;
    DWORD m_dwMaxAnisotropy = 1;
};

} // namespace VornaTools
