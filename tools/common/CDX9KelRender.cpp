#include "tools/common/CDX9KelRender.h"
#include "platform/display/SystemInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace VornaTools {

namespace {
constexpr size_t kMaxNameLength = 40; // vendor and series are kept to this length

bool StartsWith(const std::string& s, size_t at, const char* prefix) {
    return s.compare(at, std::strlen(prefix), prefix) == 0;
}

std::string VersionText(float v) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(v));
    return text;
}
// Modes in the desktop's format only; a mode or desktop whose format the
// system does not tell (0) is taken.
bool SameFormat(const Platform::DisplayMode& m, const Platform::DisplayMode& desktop) {
    return m.format == 0 || desktop.format == 0 || m.format == desktop.format;
}
} // namespace

DisplayBackend DisplayBackend::System() {
    DisplayBackend b;
    b.queryModes = &Platform::QueryDisplayModes;
    b.queryAdapter = &Platform::QueryAdapterInfo;
    b.processorBrand = &Platform::ProcessorBrand;
    return b;
}

CDX9KelRender::CDX9KelRender(DisplayBackend backend, LogSink log) : m_backend(std::move(backend)), m_log(std::move(log)) {}

void CDX9KelRender::Log(const std::string& line) const {
    if (m_log) m_log(line);
}

HRESULT CDX9KelRender::InitialD3D() {
    Log("CDX9Kelapp::InitialD3D(): ");
    std::string error;
    m_bDisplay = false;
    m_stdvModes.clear();
    if (!m_backend.queryModes || !m_backend.queryModes(m_desktop, m_stdvModes, error)) {
        Log("GetAdapterDisplayMode() : " + error + "\n");
        m_stdvModes.clear();
        return E_FAIL;
    }
    Log("OK\n");
    m_bDisplay = true;
    return S_OK;
}

HRESULT CDX9KelRender::ReadAdapterInfo() {
    if (!m_bDisplay) return E_FAIL;
    Log("Processor: " + (m_backend.processorBrand ? m_backend.processorBrand() : std::string()) + "\n");
    std::string error;
    if (!m_backend.queryAdapter || !m_backend.queryAdapter(m_adapter, error)) {
        Log("ReadAdapterInfo() : " + error + "\n");
        return E_FAIL;
    }
    Log("Video: " + m_adapter.renderer + "\n");
    ParseAdapterDescription(m_adapter.renderer, m_szVendor, m_szSeries);
    const float shader = ShaderVersionFromGl(m_adapter.glMajor, m_adapter.glMinor);
    m_fPixelShaderVersion = shader;
    m_fVertexShaderVersion = shader;
    Log("Pixel Shader: " + VersionText(m_fPixelShaderVersion) + "\n");
    Log("Vertex Shader: " + VersionText(m_fVertexShaderVersion) + "\n");
    m_dwMaxTextureWidth = m_adapter.maxTextureSize > 0 ? static_cast<DWORD>(m_adapter.maxTextureSize) : 0;
    m_dwMaxAnisotropy = m_adapter.maxAnisotropy > 0 ? static_cast<DWORD>(m_adapter.maxAnisotropy) : 1;
    Log("Max Texture Width: " + std::to_string(m_dwMaxTextureWidth) + "\n");
    Log("Max Texture Height: " + std::to_string(m_dwMaxTextureWidth) + "\n");
    return S_OK;
}

bool CDX9KelRender::GenerateResolutionsList() {
    if (!m_bDisplay) {
        Log("CDX9KelRender::GenerateResolutionsList() : m_pD3D == NULL\n");
        return false;
    }
    if (m_stdvModes.empty()) return false;
    m_stdvResolutions.clear();
    for (const Platform::DisplayMode& m : m_stdvModes) {
        if (!SameFormat(m, m_desktop)) continue;
        if (m.width < kMinWidth) continue;
        const std::pair<uint32_t, uint32_t> r(m.width, m.height);
        if (std::find(m_stdvResolutions.begin(), m_stdvResolutions.end(), r) == m_stdvResolutions.end())
            m_stdvResolutions.push_back(r);
    }
    return true;
}

bool CDX9KelRender::GenerateRefreshRateList() {
    if (!m_bDisplay) {
        Log("CDX9KelRender::GenerateRefreshRateList() : m_pD3D == NULL\n");
        return false;
    }
    if (m_stdvModes.empty()) return false;
    m_stdvRefreshRates.clear();
    for (const Platform::DisplayMode& m : m_stdvModes) {
        if (!SameFormat(m, m_desktop)) continue;
        if (std::find(m_stdvRefreshRates.begin(), m_stdvRefreshRates.end(), m.refreshRate) == m_stdvRefreshRates.end())
            m_stdvRefreshRates.push_back(m.refreshRate);
    }
    return true;
}

bool CDX9KelRender::GenerateMultisampleList() {
    if (!m_bDisplay) return false;
    m_stdvMultisample.clear();
    m_stdvMultisample.push_back(0);
    for (int type = 2; type <= 15; ++type)
        if (IsCompatibleMultisampleType(type)) m_stdvMultisample.push_back(type);
    return true;
}

bool CDX9KelRender::IsCompatibleMultisampleType(int type) const {
    if (!m_bDisplay) {
        Log("CDX9KelRender::IsCompatibleMultisampleType() : m_pD3D == NULL\n");
        return false;
    }
    if (type < 2 || type > m_adapter.maxSamples) return false;
    // A driver that lists its sample counts accepts exactly those.
    if (!m_adapter.sampleCounts.empty())
        return std::find(m_adapter.sampleCounts.begin(), m_adapter.sampleCounts.end(), type) !=
               m_adapter.sampleCounts.end();
    return true;
}

void CDX9KelRender::ParseAdapterDescription(const std::string& description, std::string& vendor, std::string& series) {
    vendor.clear();
    series.clear();
    for (size_t i = 0; i < description.size(); ++i) {
        if (i > 0 && description[i - 1] != ' ') continue; // not the start of a word
        if (StartsWith(description, i, "NVI") || StartsWith(description, i, "nVi") ||
            StartsWith(description, i, "nvi") || StartsWith(description, i, "GeF"))
            vendor = "NVIDIA";
        else if (StartsWith(description, i, "Rad") || StartsWith(description, i, "RAD"))
            vendor = "RADEON";
        else if (description[i] >= '1' && description[i] <= '9') {
            const size_t end = description.find(' ', i);
            series = description.substr(i, std::min(end == std::string::npos ? description.size() - i : end - i,
                                                    kMaxNameLength));
        }
    }
    if (vendor.empty()) vendor = "OTHER";
}

float CDX9KelRender::ShaderVersionFromGl(int major, int minor) {
    if (major >= 3) return 4.0f;
    if (major == 2) return minor >= 1 ? 3.0f : 2.0f;
    return 0.0f;
}

} // namespace VornaTools
