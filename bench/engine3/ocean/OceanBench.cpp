// Cost of the sea's height function per call and of one height-table update.
#include "bench/engine3/ocean/BenchSea.h"

#include "bench/BenchReport.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

void BM_SampleHeight(benchmark::State& state) {
    auto sea = VornaBench::MakeSea(2024u, 2.0f, 12.34);
    // World points spread over several tiles, as ship hull corners would be.
    std::vector<std::pair<std::int32_t, std::int32_t>> points;
    std::uint32_t x = 7u;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1664525u + 1013904223u;
        const float wx = static_cast<float>(x % 20000) * 0.1f - 1000.0f;
        x = x * 1664525u + 1013904223u;
        const float wz = static_cast<float>(x % 20000) * 0.1f - 1000.0f;
        points.emplace_back(sea->WorldToTable(wz), sea->WorldToTable(wx));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& p = points[i++ & 4095];
        benchmark::DoNotOptimize(sea->SampleHeight(p.first, p.second));
    }
    state.counters["per_call"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SampleHeight);

void BM_HeightTableUpdate(benchmark::State& state) {
    auto sea = VornaBench::MakeSea(2024u, 2.0f, 12.34);
    double t = 0.0;
    for (auto _ : state) {
        sea->SetTime(t += 0.01);
        sea->AnimateNoise();
        benchmark::DoNotOptimize(sea->GetHeightTable1()[77]);
    }
    state.counters["per_update"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HeightTableUpdate)->Unit(benchmark::kMicrosecond);

} // namespace

VORNA_BENCHMARK_MAIN()
