#include "tools/common/DiagnosticReport.h"
#include "platform/display/SystemInfo.h"

namespace VornaTools {

std::string BuildDiagnosticReport(const DisplayBackend& backend,
                                  const std::function<std::vector<std::string>()>& audioDevices) {
    std::string r;
    r += "System: " + Platform::OperatingSystemText() + "\n";
    r += "Processor: " + (backend.processorBrand ? backend.processorBrand() : std::string()) + "\n";

    Platform::AdapterInfo adapter;
    std::string error;
    if (backend.queryAdapter && backend.queryAdapter(adapter, error)) {
        r += "GL vendor: " + adapter.vendor + "\n";
        r += "GL renderer: " + adapter.renderer + "\n";
        r += "GL version: " + adapter.version + "\n";
        r += "Max texture size: " + std::to_string(adapter.maxTextureSize) + "\n";
        r += "Max samples: " + std::to_string(adapter.maxSamples) + "\n";
        r += "Max anisotropy: " + std::to_string(adapter.maxAnisotropy) + "\n";
    } else {
        r += "Graphics adapter: not available (" + error + ")\n";
    }

    Platform::DisplayMode desktop;
    std::vector<Platform::DisplayMode> modes;
    error.clear();
    if (backend.queryModes && backend.queryModes(desktop, modes, error)) {
        auto text = [](const Platform::DisplayMode& m) {
            return std::to_string(m.width) + " x " + std::to_string(m.height) + " @ " + std::to_string(m.refreshRate) +
                   " Hz";
        };
        r += "Desktop mode: " + text(desktop) + "\n";
        r += "Display modes: " + std::to_string(modes.size()) + "\n";
        for (const Platform::DisplayMode& m : modes) r += "  " + text(m) + "\n";
    } else {
        r += "Display modes: not available (" + error + ")\n";
    }

    const std::vector<std::string> devices = audioDevices ? audioDevices() : std::vector<std::string>();
    r += "Sound devices: " + std::to_string(devices.size()) + "\n";
    for (const std::string& d : devices) r += "  " + d + "\n";
    return r;
}

std::string BuildSystemDiagnosticReport() {
    return BuildDiagnosticReport(DisplayBackend::System(), &Platform::AudioDeviceNames);
}

} // namespace VornaTools
