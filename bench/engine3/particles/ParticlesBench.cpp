// The per-frame CPU cost of particle systems: 10, 100 and 1,000 live systems
// with full pools (the demo smoke's emitter: 64 particles, sorted by camera
// distance, camera-facing, colour, scale and wind effectors), each frame
// updated and turned into vertex data. Reports the cost per particle per
// update.
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"

#include "bench/BenchReport.h"

#include <memory>
#include <vector>

using namespace Vorna3D;

namespace {

constexpr DWORD kPool = 64;

CDX9KelPSEmitterPoint* SmokeEmitter(CDX9KelParticlesSystemsManager& manager)
{
    auto* e = manager.CreateEmitterPoint("Smoke");
    e->m_dwMaxParticles = kPool;
    e->m_dwParticlesToCreation = kPool;
    e->m_dwParticlesToRelease = 4;
    e->m_fReleaseInterval = 0.1f;
    e->m_bCameraDistanceSort = true;
    e->m_vStartDirection = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    e->SetStartDeflectionMinXoY(-0.3f);
    e->SetStartDeflectionMaxXoY(0.3f);
    e->SetStartDeflectionMinZoY(-0.3f);
    e->SetStartDeflectionMaxZoY(0.3f);
    e->m_fStartVelocity = 2.0f;
    e->m_Params.fHalfWidth = 1.0f;
    e->m_Params.fHalfHeight = 1.0f;
    e->m_Params.fLife = 1e9f; // every particle stays: the pool stays full
    auto* color = manager.CreateEffectorCommonColorForEmitter(e, "Fade");
    color->m_EndColor = D3DXCOLOR(0.45f, 0.45f, 0.47f, 0.0f);
    auto* scale = manager.CreateEffectorCommonScaleForEmitter(e, "Grow");
    scale->m_fEndHalfWidth = scale->m_fEndHalfHeight = 3.0f;
    auto* wind = manager.CreateEffectorCommonMovementForEmitter(e, "Wind");
    wind->m_vMovement = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    wind->m_fAcceleration = 0.8f;
    // The CPU side only: the pool without device buffers.
    e->InitParticles();
    e->m_bInitialised = true;
    return e;
}

void BM_UpdateAndFill(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    CDX9KelParticlesSystemsManager manager;
    std::vector<std::unique_ptr<CDX9KelParticlesSystem>> systems;
    const D3DXVECTOR3 eye(0.0f, 20.0f, -60.0f), look(0.0f, -0.3f, 0.95f), up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<CDX9KelParticlesSystem>();
        D3DXMatrixTranslation(&s->m_mWorld, static_cast<float>(i % 32) * 10.0f, 0.0f, static_cast<float>(i / 32) * 10.0f);
        s->m_vEmitters.push_back(SmokeEmitter(manager));
        s->Update(0.016f, &eye, &look, &up, &view); // the first frame fills the pool
        systems.push_back(std::move(s));
    }
    std::size_t live = 0;
    for (const auto& s : systems) live += s->m_vEmitters[0]->m_dwLiveCount;
    for (auto _ : state) {
        for (const auto& s : systems) {
            s->Update(0.016f, &eye, &look, &up, &view);
            for (CDX9KelBasePSEmitter* e : s->m_vEmitters) e->FillVertices();
        }
        benchmark::ClobberMemory();
    }
    state.counters["particles"] = static_cast<double>(live);
    state.counters["per_particle"] = benchmark::Counter(static_cast<double>(live) * state.iterations(),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_UpdateAndFill)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
VORNA_BENCHMARK_MAIN()
