#pragma once
// Every benchmark program prints one line per figure and nothing else on
// standard output: the figure's name, its value and its unit, then any
// counters of the same measurement as name=value. Runs of different builds
// or machines then compare line by line (diff, sort, join).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace VornaBench {

inline void Figure(const std::string& name, double value, const char* unit, const std::string& extra = {}) {
    std::printf("%-40s %12.3f %s%s%s\n", name.c_str(), value, unit, extra.empty() ? "" : "  ", extra.c_str());
    std::fflush(stdout);
}

// The library's runs as figures: the wall time of one iteration in the
// benchmark's unit; a run that failed prints its error instead.
class LineReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::printf("%-40s error: %s\n", run.benchmark_name().c_str(), run.error_message.c_str());
                continue;
            }
            std::string extra;
            for (const auto& [key, counter] : run.counters) {
                char text[64];
                std::snprintf(text, sizeof text, "%s%s=%.4g", extra.empty() ? "" : " ", key.c_str(),
                              static_cast<double>(counter));
                extra += text;
            }
            Figure(run.benchmark_name(), run.GetAdjustedRealTime(), benchmark::GetTimeUnitString(run.time_unit),
                   extra);
        }
    }
};

inline int RunBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    LineReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace VornaBench

#define VORNA_BENCHMARK_MAIN() \
    int main(int argc, char** argv) { return VornaBench::RunBenchmarks(argc, argv); }
