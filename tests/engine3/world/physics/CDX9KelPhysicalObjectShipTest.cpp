#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "ShipWorld.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Vorna3D;

namespace {

constexpr float kG = CDX9KelPhysicalBody::kGravity;

// Logs into a fresh file for the test and reads it back.
class LogCapture {
public:
    LogCapture() : m_path(VornaTest::FreshFolder() / "Vorna3Log.log") { g_Log.Open(m_path.c_str()); }
    ~LogCapture() { g_Log.Reset(); }
    std::string Text() const { return VornaTest::ReadText(m_path); }

private:
    std::filesystem::path m_path;
};

// Runs the world for `steps` physics steps of 60 ms.
void Steps(VornaTest::ShipWorld& w, int steps) {
    for (int i = 0; i < steps; ++i) w.Frame(60);
}

// An ocean whose tables hold one height everywhere (table value v on table 1)
// or a slope along z (rows), for wave following.
std::unique_ptr<CDX9KelOceanSurface> FlatOcean(int value) {
    auto o = std::make_unique<CDX9KelOceanSurface>();
    for (int i = 0; i < CDX9KelOceanSurface::kTableCells; ++i) o->HeightTable1()[i] = value;
    return o;
}

} // namespace

TEST(ShipInit, RefusesBadArgumentsWithItsMessages) {
    LogCapture log;
    VornaTest::ShipWorld w;
    CDX9KelSceneObject* so = w.AddHull(D3DXVECTOR3(0, 0, 0));
    {
        CDX9KelPhysicalObjectShip ship;
        EXPECT_FALSE(ship.Init(nullptr, &w.m_manager, 10.0f));
        EXPECT_FALSE(ship.Init(so, nullptr, 10.0f));
        EXPECT_FALSE(ship.Init(so, &w.m_manager, 0.0f));
        EXPECT_FALSE(ship.Init(so, &w.m_manager, -5.0f));
        EXPECT_FALSE(ship.Init(so, &w.m_manager, std::nanf("")));
        EXPECT_EQ(so->m_pPhysicalObject, nullptr);
    }
    EXPECT_NE(log.Text().find("CDX9KelPhysicalObjectShip::Init() : not mass\n"), std::string::npos);

    // A scene object that already has a physical object: nothing is built.
    CDX9KelPhysicalObjectShip first, second;
    ASSERT_TRUE(first.Init(so, &w.m_manager, 10.0f));
    EXPECT_FALSE(second.Init(so, &w.m_manager, 10.0f));
    EXPECT_EQ(second.GetMainBody(), nullptr);
    EXPECT_EQ(so->m_pPhysicalObject, &first);
    EXPECT_NE(log.Text().find("scene object already have physical object\n"), std::string::npos);

    // No collision source; a source without a mesh.
    CDX9KelSceneObject bare;
    {
        CDX9KelPhysicalObjectShip ship;
        EXPECT_FALSE(ship.Init(&bare, &w.m_manager, 10.0f));
    }
    EXPECT_EQ(bare.m_pPhysicalObject, nullptr); // the ship's end clears the link
    EXPECT_NE(log.Text().find("scene object not have collision model\n"), std::string::npos);
    CDX9KelSceneUnit noMesh;
    bare.m_pCollisionModel = &noMesh;
    {
        CDX9KelPhysicalObjectShip ship;
        EXPECT_FALSE(ship.Init(&bare, &w.m_manager, 10.0f));
    }
    EXPECT_NE(log.Text().find("CDX9KelPhysicalObjectShip::Init() : m_pCollisionModel->CreateFromModel() failed\n"),
              std::string::npos);
}

TEST(ShipInit, SetsUpFiveBodiesFromTheHull) {
    VornaTest::ShipWorld w;
    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(0, 0, 0), 200.0f, 10.0f, 6.0f, 40.0f);
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(ship->GetType(), CDX9KelBasePhysicalObject::kTypeShip);
    EXPECT_FLOAT_EQ(ship->GetCollisionLength(), 40.0f);
    EXPECT_FLOAT_EQ(ship->GetCollisionWidth(), 10.0f);
    const CDX9KelPhysicalBody* main = ship->GetMainBody();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->m_fMass, 200.0f);
    EXPECT_FLOAT_EQ(main->m_vDragNeg.y, 9 * kG * 200.0f);
    struct Expect {
        float mass;
        D3DXVECTOR3 offset;
        int handed;
        D3DXVECTOR3 direction;
    } const table[4] = {
        {20.0f, {0, 0, 15.0f}, 2, {0, 0, -1}},
        {20.0f, {0, 0, -15.0f}, 2, {0, 0, 1}},
        {40.0f, {-4.0f, 0, 0}, 0, {1, 0, 0}},
        {40.0f, {4.0f, 0, 0}, 0, {-1, 0, 0}},
    };
    for (int i = 0; i < 4; ++i) {
        const CDX9KelPhysicalBody* b = ship->GetAuxBody(i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->m_pParent, main);
        EXPECT_FLOAT_EQ(b->m_fMass, table[i].mass);
        EXPECT_EQ(b->m_vOffset, table[i].offset);
        for (int a = 0; a < 3; ++a) EXPECT_EQ(b->m_abHandToParent[a], a == table[i].handed) << i;
        EXPECT_EQ(b->m_vHandDirection, table[i].direction);
        EXPECT_FLOAT_EQ(b->m_fHalfHeight, 3.0f);
        EXPECT_TRUE(b->m_bGravity);
        EXPECT_TRUE(b->m_bBuoyancy);
    }
    ASSERT_EQ(ship->GetAuxBody(0)->m_stdvLinks.size(), 1u);
    EXPECT_EQ(ship->GetAuxBody(0)->m_stdvLinks[0].m_pChild, ship->GetAuxBody(1));
    EXPECT_EQ(ship->GetAuxBody(1)->m_stdvLinks[0].m_pChild, ship->GetAuxBody(0));
    EXPECT_FLOAT_EQ(ship->GetAuxBody(0)->m_vDragNeg.y, 0.8f * kG * 20.0f);
    EXPECT_FLOAT_EQ(ship->GetAuxBody(2)->m_vDragPos.y, -0.07f * kG * 40.0f);
    EXPECT_FLOAT_EQ(ship->GetSideMass(), 40.0f);

    // Limits: lower sets the positive-velocity coefficient to -|v|.
    ASSERT_TRUE(ship->SetBowSternLimit(true, 3.0f));
    ASSERT_TRUE(ship->SetBowSternLimit(false, -4.0f));
    EXPECT_EQ(ship->GetAuxBody(1)->m_vDragPos.x, -3.0f);
    EXPECT_EQ(ship->GetAuxBody(1)->m_vDragNeg.x, 4.0f);
    ASSERT_TRUE(ship->SetSideLimit(true, 2.0f));
    EXPECT_EQ(ship->GetAuxBody(3)->m_vDragPos.z, -2.0f);
    ASSERT_TRUE(ship->SetFirstSideExtraMass(7.0f));
    EXPECT_EQ(ship->GetAuxBody(2)->m_fExtraMass, 7.0f);
}

TEST(ShipMotion, FloatsAtRestOnACalmSeaWithoutOcean) {
    VornaTest::ShipWorld w;
    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(50, 0, -20));
    ASSERT_NE(ship, nullptr);
    Steps(w, 100);
    const D3DXMATRIX& m = ship->GetSceneObject()->m_mWorld;
    EXPECT_NEAR(m._42, 0.0f, 1e-4f);
    EXPECT_NEAR(m._41, 50.0f, 1e-4f);
    EXPECT_NEAR(m._43, -20.0f, 1e-4f);
    EXPECT_NEAR(m._22, 1.0f, 1e-5f); // still upright
    EXPECT_NEAR(m._33, 1.0f, 1e-5f);
}

TEST(ShipMotion, FollowsTheHeightOfTheWave) {
    VornaTest::ShipWorld w;
    // Table value 8192 (0.5) with amplitude 2: the sea stands at 1.0, the hull follows 0.15 of it.
    auto ocean = FlatOcean(8192);
    ASSERT_FLOAT_EQ(ocean->SampleHeight(0, 0), 1.0f);
    w.m_manager.SetOcean(ocean.get());
    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(0, 0, 0));
    ASSERT_NE(ship, nullptr);
    // The hull rises and settles about the wave's height in a slowly damped
    // heave: its mean over a minute is the wave's height.
    float highest = -1.0f;
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < 1200; ++i) {
        w.Frame(60);
        const float y = ship->GetSceneObject()->m_mWorld._42;
        highest = std::max(highest, y);
        if (i >= 200) {
            sum += y;
            ++count;
        }
    }
    EXPECT_NEAR(sum / count, 0.15, 0.02);
    EXPECT_NEAR(ship->GetSceneObject()->m_mWorld._42, 0.15f, 0.03f);
    EXPECT_LT(highest, 0.4f); // without flying off
    EXPECT_NEAR(ship->GetSceneObject()->m_mWorld._22, 1.0f, 1e-3f);
}

TEST(ShipMotion, PitchesWithTheSlopeOfTheWave) {
    VornaTest::ShipWorld w;
    // Table 1 rises along its rows (world z): the bow stands in higher water.
    auto ocean = std::make_unique<CDX9KelOceanSurface>();
    for (int r = 0; r < 128; ++r)
        for (int c = 0; c < 128; ++c) ocean->HeightTable1()[r * 128 + c] = (r - 64) * 2000;
    w.m_manager.SetOcean(ocean.get());
    // Placed mid-tile (row 64 at z = 106.7) so bow and stern lie on the same ramp.
    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(0, 0, 106.0f));
    ASSERT_NE(ship, nullptr);
    const float bowWater = 0.15f * ocean->SampleHeight(ocean->WorldToTable(121.0f), 0);
    const float sternWater = 0.15f * ocean->SampleHeight(ocean->WorldToTable(91.0f), 0);
    ASSERT_GT(bowWater, sternWater);
    Steps(w, 60);
    // The forward axis tilts up (bow raised) and the ship does not roll.
    const D3DXMATRIX& m = ship->GetSceneObject()->m_mWorld;
    EXPECT_GT(m._32, 0.0f);
    EXPECT_NEAR(m._12, 0.0f, 1e-4f);
}

TEST(ShipMotion, StepForcesLastOneStepConstantForcesUntilReplaced) {
    VornaTest::ShipWorld w;
    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(0, 0, 0));
    ASSERT_NE(ship, nullptr);
    Steps(w, 1); // start the clock
    const D3DXVECTOR3 fwd(0, 0, 1), atBow(0, 0, 15), far(0, 0, 200);
    ASSERT_TRUE(ship->AddStepForce("Kick", &fwd, &atBow, 500.0f));
    EXPECT_EQ(ship->GetNamedForces().size(), 1u);
    Steps(w, 1);
    EXPECT_EQ(ship->GetNamedForces()[0], nullptr); // removed after its step
    const float v1 = ship->GetMainBody()->m_vVelocity.z;
    EXPECT_GT(v1, 0.0f);
    Steps(w, 1);
    EXPECT_LE(ship->GetMainBody()->m_vVelocity.z, v1); // no more push: drag only

    // A force 100 units or more from every auxiliary body acts on nothing,
    // and a step force is still removed.
    ship->ResetVelocities();
    ASSERT_TRUE(ship->AddStepForce("Far", &fwd, &far, 500.0f));
    Steps(w, 1);
    EXPECT_EQ(ship->GetMainBody()->m_vVelocity.z, 0.0f);
    EXPECT_EQ(ship->GetNamedForces()[0], nullptr);

    // A constant engine force keeps the ship going; speed rises and stays bounded.
    ASSERT_TRUE(ship->AddConstantForce("Engine", &fwd, &atBow, 50.0f));
    float last = 0.0f;
    for (int i = 0; i < 200; ++i) {
        Steps(w, 1);
        const float s = ship->GetSignedSpeed();
        EXPECT_GE(s, last - 1e-4f);
        last = s;
    }
    EXPECT_GT(last, 0.5f);
    EXPECT_LT(last, 100.0f);
    // Replaced by a reverse force: the ship slows, stops and backs away.
    const D3DXVECTOR3 back(0, 0, -1);
    ASSERT_TRUE(ship->AddConstantForce("Engine", &back, &atBow, 50.0f));
    Steps(w, 400);
    EXPECT_LT(ship->GetSignedSpeed(), 0.0f);
    // Refusals of named forces.
    EXPECT_FALSE(ship->AddStepForce("", &fwd, &atBow, 1.0f));
    EXPECT_FALSE(ship->AddStepForce("X", nullptr, &atBow, 1.0f));
    EXPECT_FALSE(ship->AddConstantForce("X", &fwd, nullptr, 1.0f));
}

TEST(ShipMotion, SignedSpeedIsMinusTenWhilePaused) {
    VornaTest::ShipWorld w;
    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(0, 0, 0));
    ASSERT_NE(ship, nullptr);
    Steps(w, 1); // the first step runs with dt 0
    EXPECT_EQ(ship->GetSignedSpeed(), -10.0f);
}
