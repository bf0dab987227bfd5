#pragma once
// A column of battle-map ships on the physics test world, moved by a
// player's movement and animation systems on a manual clock: the ships stand
// on a start position 12 units apart, form their column from it, and sail to
// a point, optionally past a ship lying stopped in their way. The tests and
// the headless driver share it, so the tracks the driver prints are the ones
// the tests check. The world installs its own manual clock: run one scenario
// at a time.
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapAnimationSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapMovementSystem.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/MotionWorld.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VornaTest {

struct ColumnScenarioOptions {
    int ships = 3;
    float targetX = 30.0f, targetZ = 110.0f;
    float routeSpeed = 6.0f; // m/s
    float seconds = 540.0f;
    // A ship lying stopped on the way, between the start and the target.
    bool obstacle = false;
    // Small offsets of the start position from the seed, so seeds differ.
    std::uint32_t seed = 1;
    // The column is given its route speed and the target point at once.
    bool route = true;
    // Length of one frame of the virtual clock.
    DWORD frameMs = 20;
    // Orders given during the run: called before every frame with the time
    // the frame ends at.
    std::function<void(class ColumnScenario&, DWORD ms)> onFrame;
};

struct TrackPoint {
    float t;
    std::vector<D3DXVECTOR3> positions; // per ship, column order at the start
    std::vector<float> headings;        // per ship, from +z towards +x
};

class ColumnScenario {
public:
    explicit ColumnScenario(const ColumnScenarioOptions& options) : m_options(options) {
        // The seed moves the start a little (up to 1 unit) and turns it a little.
        std::uint32_t r = options.seed * 2654435761u + 12345u;
        auto next = [&r]() {
            r = r * 1664525u + 1013904223u;
            return static_cast<float>(r >> 8) / 16777216.0f;
        };
        const float dx = next() - 0.5f, dz = next() - 0.5f, turn = (next() - 0.5f) * 0.2f;
        D3DXMatrixRotationY(&m_start, turn);
        m_start._41 = dx;
        m_start._43 = dz;
        for (int i = 0; i < options.ships; ++i) AddShip();
        if (options.obstacle) {
            // Stopped across the line from the start to the target, 40 units out.
            D3DXVECTOR2 dir(options.targetX - m_start._41, options.targetZ - m_start._43);
            D3DXVec2Normalize(&dir, &dir);
            m_obstacle = m_world.AddShip(m_start._41 + dir.x * 40.0f, m_start._43 + dir.y * 40.0f);
        }
        // Stand the ships one behind the other on the start position, then form the column.
        for (int i = 0; i < options.ships; ++i) {
            D3DXMATRIX m = m_start;
            m._41 -= 12.0f * i * m_start._31;
            m._43 -= 12.0f * i * m_start._33;
            m_list[i]->m_pSceneObject->SetWorldMatrix(&m);
            m_list[i]->m_pSceneObject->m_bMoved = true;
        }
        m_world.world.m_tree.UpdateMovedObjects();
        m_movement.Init(&m_columns, nullptr);
        m_animation.Init(&m_list, nullptr);
        m_formed = m_movement.CreateShipsColumnsUsingPositions(&m_list);
        if (m_formed && m_columns.size() == 1 && options.route) {
            Column()->SetRouteSpeed(options.routeSpeed);
            Column()->SetTargetPoint(options.targetX, options.targetZ);
        }
    }
    ~ColumnScenario() {
        for (auto* c : m_columns) delete c;
        for (auto& s : m_ships) {
            s->m_pMovementShip = nullptr; // the movement parts belong to the motion world
            s->m_pColumn = nullptr;
            s->Release();
        }
    }

    bool Formed() const { return m_formed && m_columns.size() == 1; }
    SeaBattle::CVR3GAMEBattleMapShipsColumn* Column() const {
        return m_columns.empty() ? nullptr : m_columns.front();
    }
    const std::vector<SeaBattle::CVR3GAMEBattleMapShip*>& Ships() const { return m_list; }

    // Runs the scenario, recording a track point at the first frame of every
    // second (stamped with the whole second).
    void Run() {
        const DWORD step = m_options.frameMs > 0 ? m_options.frameMs : 20;
        const long frames = std::lround(m_options.seconds * 1000.0f / static_cast<float>(step));
        Record(0.0f);
        for (long f = 1; f <= frames; ++f) {
            const DWORD ms = static_cast<DWORD>(f) * step;
            if (m_options.onFrame) m_options.onFrame(*this, ms);
            m_world.world.Frame(step);
            m_movement.Proc();
            m_animation.Proc();
            if (ms / 1000 != (ms - step) / 1000) Record(static_cast<float>(ms / 1000));
        }
    }

    const std::vector<TrackPoint>& Tracks() const { return m_tracks; }

    // The tracks as CSV: t, then x and z of each ship.
    std::string TracksCsv() const {
        std::string out = "t";
        for (int i = 0; i < m_options.ships; ++i) out += ",x" + std::to_string(i) + ",z" + std::to_string(i);
        out += "\n";
        char buf[64];
        for (const TrackPoint& p : m_tracks) {
            std::snprintf(buf, sizeof buf, "%.0f", p.t);
            out += buf;
            for (const D3DXVECTOR3& v : p.positions) {
                std::snprintf(buf, sizeof buf, ",%.3f,%.3f", v.x, v.z);
                out += buf;
            }
            out += "\n";
        }
        return out;
    }

    // Least distance of the leader to the target over the run.
    float LeaderClosestApproach() const {
        float best = 1e30f;
        for (const TrackPoint& p : m_tracks) {
            const float dx = p.positions[0].x - m_options.targetX, dz = p.positions[0].z - m_options.targetZ;
            best = std::fmin(best, std::sqrt(dx * dx + dz * dz));
        }
        return best;
    }
    // The leader's least distance to the stopped ship.
    float LeaderClosestToObstacle() const {
        if (!m_obstacle) return 1e30f;
        const D3DXVECTOR3 o = MotionWorld::Position(m_obstacle);
        float best = 1e30f;
        for (const TrackPoint& p : m_tracks) {
            const D3DXVECTOR3 d = p.positions[0] - o;
            best = std::fmin(best, std::sqrt(d.x * d.x + d.z * d.z));
        }
        return best;
    }
    SeaBattle::CVR3GAMEMovementShip* Obstacle() const { return m_obstacle; }

private:
    void AddShip() {
        SeaBattle::CVR3GAMEMovementShip* move = m_world.AddShip(0.0f, -200.0f - 30.0f * m_list.size());
        auto ship = std::make_unique<SeaBattle::CVR3GAMEBattleMapShip>();
        ship->m_strName = "Ship" + std::to_string(m_list.size() + 1);
        ship->m_pMovementShip = move;
        ship->m_pPhysicalObject = move->m_pPhysicalObject;
        ship->m_pSceneObject = move->m_pPhysicalObject->GetSceneObject();
        ship->m_pAnimatedShip = new SeaBattle::CVR3GAMEAnimatedShip();
        ship->m_pAnimatedShip->m_pSceneObject = ship->m_pSceneObject;
        ship->m_pAnimatedShip->m_pMovementShip = move;
        ship->m_pBattleShip = new SeaBattle::CVR3GAMEBattleSystemShip();
        ship->m_pArtilleryShip = new SeaBattle::CVR3GAMEArtilleryShip();
        ship->m_pInfoShip = new SeaBattle::CVR3GAMEInformationShip();
        m_list.push_back(ship.get());
        m_ships.push_back(std::move(ship));
    }
    void Record(float t) {
        TrackPoint p{t, {}, {}};
        for (auto* s : m_list) {
            p.positions.push_back(MotionWorld::Position(s->m_pMovementShip));
            p.headings.push_back(MotionWorld::Heading(s->m_pMovementShip));
        }
        m_tracks.push_back(p);
    }

    ColumnScenarioOptions m_options;
    MotionWorld m_world;
    D3DXMATRIX m_start;
    std::vector<std::unique_ptr<SeaBattle::CVR3GAMEBattleMapShip>> m_ships;
    std::vector<SeaBattle::CVR3GAMEBattleMapShip*> m_list;
    std::vector<SeaBattle::CVR3GAMEBattleMapShipsColumn*> m_columns;
    SeaBattle::CVR3GAMEBattleMapMovementSystem m_movement;
    SeaBattle::CVR3GAMEBattleMapAnimationSystem m_animation;
    SeaBattle::CVR3GAMEMovementShip* m_obstacle = nullptr;
    std::vector<TrackPoint> m_tracks;
    bool m_formed = false;
};

} // namespace VornaTest
