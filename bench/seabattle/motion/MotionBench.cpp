// Cost of ship motion per ship per 60 ms physics step: columns of three
// ships (one column of two for the smallest case) on animated-noise waves,
// each leader ordered to a point on the far side, followers in line behind.
// A step is the physics manager's step plus every column's movement tick;
// a planning step every 10 s is counted in.
#include "bench/engine3/ocean/BenchSea.h"
#include "tests/seabattle/battle/MotionWorld.h"

#include "bench/BenchReport.h"

#include <memory>
#include <vector>

namespace {

constexpr int kSteps = 1000; // 60 s of battle

void BM_MotionSteps(benchmark::State& state) {
    const int ships = static_cast<int>(state.range(0));
    auto sea = VornaBench::MakeSea(99u, 3.0f, 5.5);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<VornaTest::MotionWorld>();
        w->world.m_manager.SetOcean(sea.get());
        std::vector<std::unique_ptr<SeaBattle::CVR3GAMEMovementShipsColumn>> columns;
        const int perColumn = ships < 3 ? ships : 3;
        for (int i = 0; i < ships; ++i) {
            if (i % perColumn == 0) columns.push_back(std::make_unique<SeaBattle::CVR3GAMEMovementShipsColumn>());
            const int c = static_cast<int>(columns.size()) - 1;
            const float x = static_cast<float>(c % 5) * 40.0f - 80.0f;
            const float z = static_cast<float>(c / 5) * 60.0f - 12.0f * static_cast<float>(i % perColumn);
            columns.back()->AddMovementShip(-1, w->AddShip(x, z), true);
        }
        for (auto& c : columns) {
            c->SetRouteSpeed(8.0f);
            c->SetTargetPoint(c->GetLeader()->GetWorldMatrix()->_41 + 30.0f, 300.0f);
        }
        w->Step();
        state.ResumeTiming();
        for (int s = 0; s < kSteps; ++s) {
            w->world.Frame(60);
            w->elapsedMs += 60;
            const int mode = (w->elapsedMs % 10000) < 60 ? 1 : 0;
            for (auto& c : columns) c->Proc(mode, 0.06f);
        }
        state.PauseTiming();
        columns.clear();
        w.reset();
        state.ResumeTiming();
    }
    state.counters["per_ship_step"] = benchmark::Counter(
        static_cast<double>(ships) * kSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MotionSteps)->Arg(2)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

} // namespace

VORNA_BENCHMARK_MAIN()
