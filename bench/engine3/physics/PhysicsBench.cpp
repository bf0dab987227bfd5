// Cost of the ship physics per ship per step: ships ride animated-noise waves
// in pairs, one of each pair pushing into the other, so contacts are found
// and answered, for a fixed span of simulated time.
#include "bench/engine3/ocean/BenchSea.h"
#include "tests/engine3/world/physics/ShipWorld.h"

#include "bench/BenchReport.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kSteps = 1000; // 60 s of battle at one step per 60 ms

void BM_ShipSteps(benchmark::State& state) {
    const int ships = static_cast<int>(state.range(0));
    auto sea = VornaBench::MakeSea(99u, 3.0f, 5.5);
    std::int64_t contactSteps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<VornaTest::ShipWorld>(2000.0f, 100.0f);
        world->m_manager.SetOcean(sea.get());
        std::vector<Vorna3D::CDX9KelPhysicalObjectShip*> fleet;
        // Pairs side by side, 10.5 apart (hulls 10 wide), pairs 150 apart.
        for (int i = 0; i < ships; i += 2) {
            const float px = static_cast<float>((i / 2) % 6) * 150.0f - 400.0f;
            const float pz = static_cast<float>((i / 2) / 6) * 150.0f - 800.0f;
            auto* a = world->AddShip(D3DXVECTOR3(px, 0, pz), 100.0f, 10.0f, 6.0f, 40.0f);
            auto* b = world->AddShip(D3DXVECTOR3(px + 10.5f, 0, pz), 100.0f, 10.0f, 6.0f, 40.0f);
            const D3DXVECTOR3 side(1, 0, 0), at(4, 0, 0), fwd(0, 0, 1), bow(0, 0, 15);
            a->AddConstantForce("Engine", &side, &at, 150.0f);
            b->AddConstantForce("Engine", &fwd, &bow, 60.0f);
            fleet.push_back(a);
            fleet.push_back(b);
        }
        world->Frame(60);
        state.ResumeTiming();
        for (int s = 0; s < kSteps; ++s) {
            world->Frame(60);
            contactSteps += world->m_manager.IsContactFound();
        }
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
    state.counters["per_ship_step"] = benchmark::Counter(
        static_cast<double>(ships) * kSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["contact_steps"] =
        benchmark::Counter(static_cast<double>(contactSteps), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ShipSteps)->Arg(2)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond);

} // namespace

VORNA_BENCHMARK_MAIN()
