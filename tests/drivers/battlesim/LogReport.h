#pragma once
// The log's warning and error lines, as the driver prints them after a run.
#include <string>
#include <vector>

namespace BattleSim {

struct LogReport {
    std::vector<std::string> lines; // the warning and error lines, in log order
    size_t errors = 0;
    size_t warnings = 0;
};

// Reads the lines the running log counted as warnings and errors from its
// file (call before the log is closed).
LogReport ReadLogReport();

} // namespace BattleSim
