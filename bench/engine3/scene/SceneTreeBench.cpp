// Octree frustum query and re-filing over a 10 km square, and the cost of
// carrying a world matrix to a scene object's units.
#include "bench/BenchReport.h"

#include <memory>
#include <random>
#include <vector>

#include "engine3/core/render/CDX9KelBaseCamera.h"
#include "engine3/core/scene/CDXSceneTree.h"

using namespace Vorna3D;

namespace {

constexpr float kArea = 10000.0f;

struct World {
    explicit World(int count)
    {
        const D3DXVECTOR3 lo(0, -50, 0), hi(kArea, 50, kArea);
        tree.CreateEmptySceneTree("Bench", 50.0f, &lo, &hi, false, nullptr);
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> pos(20.0f, kArea - 20.0f);
        for (int i = 0; i < count; ++i) {
            auto o = std::make_unique<CDX9KelSceneObject>();
            o->m_bNotOwned = true;
            o->m_fRadius = 15.0f;
            const D3DXVECTOR3 p(pos(rng), 0, pos(rng));
            o->SetPosition(&p);
            tree.AddSceneObject(o.get());
            objects.push_back(std::move(o));
        }
        camera.Init("Main", 0, 1024, 768, 1, 1);
        camera.SetFarPlane(2000.0f);
        const D3DXVECTOR3 eye(5000, 300, 4000), target(5000, 0, 5000);
        camera.SetPosition(&eye, &target);
        camera.UpdateFrustum();
    }
    ~World() { tree.Release(); }
    CDXSceneTree tree;
    std::vector<std::unique_ptr<CDX9KelSceneObject>> objects;
    CDX9KelBaseCamera camera;
};

void BM_FrustumQuery(benchmark::State& state)
{
    World w(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        w.tree.CollectVisibleObjects(w.camera.m_Planes);
        benchmark::DoNotOptimize(w.tree.m_vFoundObjects.data());
    }
    state.counters["found"] = static_cast<double>(w.tree.m_vFoundObjects.size());
}
BENCHMARK(BM_FrustumQuery)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Every object moves a few metres and the tree re-files all of them.
void BM_RefileAll(benchmark::State& state)
{
    World w(static_cast<int>(state.range(0)));
    float step = 1.0f;
    for (auto _ : state) {
        for (auto& o : w.objects) {
            const D3DXVECTOR3 d(step, 0, -step);
            o->Translate(&d);
        }
        w.tree.UpdateMovedObjects();
        step = -step;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RefileAll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// SetWorldMatrix for an object with `range` units in one LOD.
void BM_UpdateTransform(benchmark::State& state)
{
    CDX9KelSceneObject o;
    std::vector<CDX9KelSceneUnit> units(static_cast<std::size_t>(state.range(0)));
    D3DXMATRIX local;
    D3DXMatrixTranslation(&local, 1, 2, 3);
    for (auto& u : units) o.AddSceneUnit(&u, &local, 0);
    D3DXMATRIX world;
    D3DXMatrixRotationY(&world, 0.3f);
    float x = 0;
    for (auto _ : state) {
        world._41 = x;
        x += 0.5f;
        o.SetTransform(&world);
        benchmark::DoNotOptimize(units[0].m_mWorld);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UpdateTransform)->Arg(1)->Arg(4);

} // namespace

VORNA_BENCHMARK_MAIN()
