#pragma once
// The diagnostic program's report: system, processor, graphics adapter,
// display modes and sound devices, one fact per line.
#include "tools/common/CDX9KelRender.h"

#include <string>
#include <vector>

namespace VornaTools {

std::string BuildDiagnosticReport(const DisplayBackend& backend,
                                  const std::function<std::vector<std::string>()>& audioDevices);
// The same for the running system.
std::string BuildSystemDiagnosticReport();

} // namespace VornaTools
