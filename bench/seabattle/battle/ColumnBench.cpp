// The cost of column steering and of a player's systems: one leader's
// planning step with ten ships near its path, and the movement and animation
// systems of 30 ships (six columns of five) per frame.
#include "engine3/core/resources/CDX9KelModel.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapAnimationSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/CVR3GAMEMovementShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"
#include "seabattle/battle/MotionWorld.h"

#include "bench/BenchReport.h"

#include <memory>
#include <vector>

namespace {

using namespace SeaBattle;

// A leader heading for a point with ten ships about its path, some under way.
void BM_LeaderPlanning(benchmark::State& state) {
    VornaTest::MotionWorld world;
    CVR3GAMEMovementShip* leader = world.AddShip(0.0f, 0.0f);
    CVR3GAMEMovementShipsColumn column;
    column.AddMovementShip(-1, leader, true);
    for (int i = 0; i < 10; ++i) {
        CVR3GAMEMovementShip* other = world.AddShip(-10.0f + 5.0f * (i % 5), 5.0f + 4.0f * (i / 5));
        if (i % 2) {
            other->SetRouteSpeed(6.0f);
            other->SetOrderedSpeed(6.0f);
        }
    }
    // A few seconds so the ships under way have speed and the bodies their steps.
    for (auto& s : world.ships)
        if (s.get() != leader) s->SetOrderedRudder(0.2f);
    world.Run(5.0f);
    leader->m_fSpeed = 6.0f;
    leader->m_fRouteSpeed = 6.0f;
    leader->m_fTurnLimit = 0.05f;
    leader->m_pSteering->SetTargetPoint(10.0f, 80.0f);
    std::size_t segments = 0;
    for (auto _ : state) {
        leader->m_pSteering->Proc(1, 0.0f);
        segments += leader->m_pSteering->GetPlan().size();
    }
    state.counters["segments"] = benchmark::Counter(static_cast<double>(segments), benchmark::Counter::kAvgIterations);
    // Bodies the last obstacle query found (the leader's own among them).
    state.counters["bodies_near"] = static_cast<double>(world.world.m_manager.GetQueryResults().size());
}
BENCHMARK(BM_LeaderPlanning)->Unit(benchmark::kMicrosecond);

// Six columns of five ships with propellers, rudders and two turrets each,
// sailing to points; the movement and animation systems of one frame (16 ms),
// the physics world stepping beside them as in the game.
void BM_SystemsPerFrame(benchmark::State& state) {
    const int shipCount = static_cast<int>(state.range(0));
    VornaTest::MotionWorld world;
    std::vector<std::unique_ptr<CVR3GAMEBattleMapShip>> owned;
    std::vector<CVR3GAMEBattleMapShip*> ships;
    std::vector<CVR3GAMEBattleMapShipsColumn*> columns;
    std::vector<Vorna3D::CDX9KelFrameRecord> frames(static_cast<std::size_t>(shipCount) * 8);
    bool changed = false;
    for (auto& f : frames) f.m_pChanged = &changed;
    for (int i = 0; i < shipCount; ++i) {
        // Columns 40 units apart, ships 12 apart within them.
        CVR3GAMEMovementShip* move = world.AddShip(40.0f * (i / 5), -12.0f * (i % 5));
        auto ship = std::make_unique<CVR3GAMEBattleMapShip>();
        ship->m_pMovementShip = move;
        ship->m_pSceneObject = move->m_pPhysicalObject->GetSceneObject();
        ship->m_pPhysicalObject = move->m_pPhysicalObject;
        auto* anim = new CVR3GAMEAnimatedShip();
        anim->m_pMovementShip = move;
        anim->m_pSceneObject = ship->m_pSceneObject;
        Vorna3D::CDX9KelFrameRecord* f = &frames[static_cast<std::size_t>(i) * 8];
        for (int k = 0; k < 2; ++k) {
            auto* prop = new CVR3GAMEAnimatedPart();
            prop->m_pFrame = f++;
            anim->m_vPropellerParts.push_back(prop);
            auto* rudder = new CVR3GAMEAnimatedPart();
            rudder->m_pFrame = f++;
            anim->m_vRudderParts.push_back(rudder);
            auto* turret = new CVR3GAMEAnimatedPart();
            turret->m_pFrame = f++;
            turret->Rotation = true;
            turret->RotationSpeed = 0.1f;
            turret->m_fTargetBearing = 1.0f - 2.0f * k;
            auto* gun = new CVR3GAMEAnimatedPart();
            gun->m_pFrame = f++;
            gun->Rotation = gun->Movement = true;
            gun->m_fTargetElevation = 0.1f;
            turret->m_vSubParts.push_back(gun);
            anim->m_vPlatformParts.push_back(turret);
        }
        ship->m_pAnimatedShip = anim;
        ships.push_back(ship.get());
        owned.push_back(std::move(ship));
    }
    CVR3GAMEBattleMapMovementSystem movement;
    CVR3GAMEBattleMapAnimationSystem animation;
    movement.Init(&columns, nullptr);
    animation.Init(&ships, nullptr);
    movement.CreateShipsColumnsUsingPositions(&ships);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        columns[c]->SetRouteSpeed(6.0f);
        columns[c]->SetTargetPoint(40.0f * static_cast<float>(c) + 30.0f, 300.0f);
    }
    std::int64_t frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        world.world.m_clock.Advance(16);
        world.world.m_tree.UpdateMovedObjects();
        world.world.m_manager.Update();
        state.ResumeTiming();
        movement.Proc();
        animation.Proc();
        ++frame;
    }
    state.counters["columns"] = static_cast<double>(columns.size());
    for (auto* c : columns) delete c;
    for (auto& s : owned) {
        s->m_pMovementShip = nullptr; // the motion world's
        s->m_pColumn = nullptr;
    }
}
BENCHMARK(BM_SystemsPerFrame)->Arg(30)->Unit(benchmark::kMicrosecond);

} // namespace

VORNA_BENCHMARK_MAIN()
