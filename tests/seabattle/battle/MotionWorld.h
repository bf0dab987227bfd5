#pragma once
// Ships that move for the battle's motion tests: movement ships on box
// hulls of the physics test world, stepped on its manual clock the way the
// battle steps them (a physics step every 60 ms, a planning step every 10 s).
#include "tests/engine3/world/physics/ShipWorld.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/CVR3GAMEMovementShipsColumn.h"

#include <cmath>
#include <memory>
#include <vector>

namespace VornaTest {

// What the movement-object file gives a ship.
struct ShipSpec {
    float mass = 100.0f;
    float maxSpeed = 8.0f;  // m/s
    float minSpeed = 3.0f;  // m/s, given positive as files may
    float maxRotAngle = 0.05f;
    float maxForce = 50.0f;
    float instTime = 10.0f;
    D3DXVECTOR3 forcePosition{0.0f, 0.0f, -2.0f};
};

inline void ApplySpec(SeaBattle::CVR3GAMEMovementShip& s, const ShipSpec& spec) {
    s.m_fMass = spec.mass;
    s.m_fMaxSpeedXML = s.m_fMaxSpeed = spec.maxSpeed;
    s.m_fMinSpeedXML = s.m_fMinSpeed = spec.minSpeed;
    s.m_fMaxRotAngle = spec.maxRotAngle;
    s.m_fMaxDraughtForce = s.m_fMaxForce = spec.maxForce;
    s.m_fMaxDraughtForceInstTime = spec.instTime;
    s.m_vDraughtForcePosition = spec.forcePosition;
}

class MotionWorld {
public:
    // Hull of the demo ship's size: 1.2 wide, 0.9 high, 5 long (about 90 m).
    static constexpr float kWidth = 1.2f, kHeight = 0.9f, kLength = 5.0f;

    // A ship at (x, 0, z) heading along +z.
    SeaBattle::CVR3GAMEMovementShip* AddShip(float x, float z, const ShipSpec& spec = ShipSpec()) {
        Vorna3D::CDX9KelSceneObject* hull = world.AddHull(D3DXVECTOR3(x, 0.0f, z), kWidth, kHeight, kLength, 0.5f);
        Vorna3D::CDX9KelPhysicalObjectShip* body = world.m_manager.AddPhysicalObjectShip(hull, spec.mass);
        if (!body) return nullptr;
        auto ship = std::make_unique<SeaBattle::CVR3GAMEMovementShip>();
        ApplySpec(*ship, spec);
        if (!ship->Init(body, &world.m_manager)) return nullptr;
        ships.push_back(std::move(ship));
        return ships.back().get();
    }
    // One 60 ms physics step of the world, then the ships' step, the way
    // the movement system would call it; every 10 s a planning step.
    void Step(SeaBattle::CVR3GAMEMovementShipsColumn* column = nullptr) {
        world.Frame(60);
        elapsedMs += 60;
        const int mode = (elapsedMs % 10000) < 60 ? 1 : 0;
        if (column) {
            column->Proc(mode, 0.06f);
        } else {
            for (auto& s : ships) s->Proc(mode, 0.06f);
        }
    }
    // One frame of `frameMs` as the battle runs it at that frame rate: the
    // world's physics steps when its 60 ms have passed, and the ships get the
    // movement system's modes (a physics step every 60 ms, a planning step
    // every 10 s) with the frame's own length.
    void Frame(unsigned frameMs, SeaBattle::CVR3GAMEMovementShipsColumn* column = nullptr) {
        world.Frame(frameMs);
        elapsedMs += frameMs;
        int mode = -1;
        if (elapsedMs - lastPlanningMs >= 10000) {
            lastPlanningMs = elapsedMs;
            mode = 1;
        } else if (elapsedMs - lastPhysicsMs >= 60) {
            lastPhysicsMs = elapsedMs;
            mode = 0;
        }
        const float dt = static_cast<float>(frameMs) * 0.001f;
        if (column) {
            column->Proc(mode, dt);
        } else {
            for (auto& s : ships) s->Proc(mode, dt);
        }
    }
    void Run(float seconds, SeaBattle::CVR3GAMEMovementShipsColumn* column = nullptr) {
        const int steps = static_cast<int>(std::lround(seconds / 0.06f));
        for (int i = 0; i < steps; ++i) Step(column);
    }
    static D3DXVECTOR3 Position(const SeaBattle::CVR3GAMEMovementShip* s) {
        const D3DXMATRIX* m = s->GetWorldMatrix();
        return D3DXVECTOR3(m->_41, m->_42, m->_43);
    }
    // Heading in radians from +z towards +x (a starboard turn is positive).
    static float Heading(const SeaBattle::CVR3GAMEMovementShip* s) {
        const D3DXMATRIX* m = s->GetWorldMatrix();
        return std::atan2(m->_31, m->_33);
    }

    ShipWorld world;
    std::vector<std::unique_ptr<SeaBattle::CVR3GAMEMovementShip>> ships;
    unsigned elapsedMs = 0;
    unsigned lastPhysicsMs = 0, lastPlanningMs = 0;
};

} // namespace VornaTest
