#include "LogReport.h"

#include "engine3/core/CDX9KelLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace BattleSim {

LogReport ReadLogReport() {
    using Vorna3D::g_Log;
    LogReport report;
    std::vector<DWORD> errors = g_Log.GetErrorLines();
    std::vector<DWORD> warnings = g_Log.GetWarningLines();
    report.errors = errors.size();
    report.warnings = warnings.size();
    std::vector<DWORD> wanted = errors;
    wanted.insert(wanted.end(), warnings.begin(), warnings.end());
    std::sort(wanted.begin(), wanted.end());
    std::ifstream in(g_Log.GetPath());
    std::string line;
    // Numbered lines begin "| <number> |" (after a blank when the line
    // before ended its text with one).
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == ' ') line.erase(0, 1);
        if (line.size() < 4 || line[0] != '|') continue;
        char* end = nullptr;
        const unsigned long n = std::strtoul(line.c_str() + 1, &end, 10);
        if (!end || end == line.c_str() + 1) continue;
        if (std::binary_search(wanted.begin(), wanted.end(), static_cast<DWORD>(n))) report.lines.push_back(line);
    }
    return report;
}

} // namespace BattleSim
