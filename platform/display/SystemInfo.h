#pragma once
// Facts about the machine for support reports.
#include <string>
#include <vector>

namespace Platform {

// The processor's brand string ("" when it cannot be told).
std::string ProcessorBrand();
// Kernel name, release and machine, e.g. "Linux 6.1.0 x86_64".
std::string OperatingSystemText();
// The names of the sound output devices the audio library offers; empty when
// there are none or the library cannot list them.
std::vector<std::string> AudioDeviceNames();

} // namespace Platform
