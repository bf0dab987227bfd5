#include "engine3/world/physics/CDX9KelPhysicalBody.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Vorna3D;

namespace {

constexpr float kG = CDX9KelPhysicalBody::kGravity;
constexpr float kDt = 0.06f;

class BodyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_manager.Init();
        D3DXMatrixIdentity(&m_world);
    }
    std::unique_ptr<CDX9KelPhysicalBody> Root(float mass, float halfHeight = 2.0f) {
        auto b = std::make_unique<CDX9KelPhysicalBody>(&m_manager);
        b->m_fMass = mass;
        b->m_fHalfHeight = halfHeight;
        return b;
    }
    CDX9KelPhysicalManager m_manager;
    D3DXMATRIX m_world;
};

} // namespace

TEST_F(BodyTest, GravityAndBuoyancyBalanceAtTheSurfaceAndFollowDepth) {
    // Vertical velocity after one step of a root body at rest, by depth.
    struct Case {
        float depth;
        float dv; // expected change of v.y
    } cases[] = {
        {0.0f, 0.0f},                        // floats: the two cancel
        {-2.5f, -kG * kDt},                  // more than the half height above: no buoyancy
        {-1.0f, -0.5f * kG * kDt},           // half way out: buoyancy scaled by 1 + d / h
        {1.0f, 3.0f * 1.0f * kG * kDt},      // under water: (3 d + 1) against 1
        {5.0f, 3.0f * 2.0f * kG * kDt},      // at or past the half height it grows no more
    };
    for (const Case& c : cases) {
        auto b = Root(10.0f);
        ASSERT_TRUE(b->SetGravity(true));
        ASSERT_TRUE(b->SetBuoyancy(true));
        ASSERT_TRUE(b->Step(&m_world, c.depth, kDt));
        EXPECT_NEAR(b->m_vVelocity.y, c.dv, 1e-5f) << "depth " << c.depth;
        // Gravity and buoyancy only act on the vertical: axis X and Z lie flat.
        EXPECT_EQ(b->m_vVelocity.x, 0.0f);
        EXPECT_EQ(b->m_vVelocity.z, 0.0f);
    }
}

TEST_F(BodyTest, ChildBodyFloatsAtItsPointAndSinksUnderALoad) {
    auto parent = Root(100.0f);
    CDX9KelPhysicalBody child(&m_manager);
    child.m_pParent = parent.get();
    child.m_fMass = 10.0f;
    ASSERT_TRUE(child.SetGravity(true));
    ASSERT_TRUE(child.SetBuoyancy(true));
    // A child only gets Y entries; X and Z belong to the root.
    EXPECT_EQ(child.m_aForces[0].Count(), 0u);
    EXPECT_EQ(child.m_aForces[1].Count(), 2u);
    ASSERT_TRUE(child.Step(&m_world, 0.01f, kDt));
    EXPECT_NEAR(child.m_vVelocity.y, 180.0f * 0.01f * kG * kDt, 1e-5f);
    // With an extra mass the balance lies extra / (180 mass) deeper.
    child.m_vVelocity.y = 0.0f;
    child.m_fExtraMass = 9.0f;
    const float balance = 9.0f / (180.0f * 10.0f);
    ASSERT_TRUE(child.Step(&m_world, balance, kDt));
    EXPECT_NEAR(child.m_vVelocity.y, 0.0f, 1e-5f);
}

TEST_F(BodyTest, StepConstantAndRampForcesIntegrateAsGiven) {
    auto b = Root(20.0f);
    const D3DXVECTOR3 push(10.0f, 0.0f, -4.0f);
    ASSERT_TRUE(b->AddForceComponents("Push", FORCE_STEP, &push, 2.0f, nullptr));
    ASSERT_TRUE(b->AddForceComponents("Engine", FORCE_CONSTANT, &push, 1.0f, nullptr));
    // A component of exactly 0 makes no entry.
    EXPECT_EQ(b->m_aForces[1].Count(), 0u);
    ASSERT_TRUE(b->Step(&m_world, 0.0f, kDt));
    EXPECT_NEAR(b->m_vVelocity.x, (20.0f + 10.0f) / 20.0f * kDt, 1e-6f);
    EXPECT_NEAR(b->m_vVelocity.z, (-8.0f - 4.0f) / 20.0f * kDt, 1e-6f);
    // The step force is gone, the constant one stays.
    ASSERT_TRUE(b->Step(&m_world, 0.0f, kDt));
    EXPECT_NEAR(b->m_vVelocity.x, (30.0f + 10.0f) / 20.0f * kDt, 1e-6f);
    EXPECT_EQ(b->m_aForces[0].Count(), 1u);

    // Replacing a constant force by name leaves one entry with the new value.
    const D3DXVECTOR3 back(-1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(b->ReplaceConstantForce("Engine", &back, 5.0f));
    EXPECT_EQ(b->m_aForces[0].Count(), 1u);
    EXPECT_EQ(b->m_aForces[2].Count(), 0u);

    // A ramp: its current value acts, then it grows by elapsed / duration.
    auto r = Root(1.0f);
    CDX9KelPhysicalForce* ramp = m_manager.TakeForce();
    ramp->m_iKind = FORCE_RAMP;
    ramp->m_fValue = 0.0f;
    ramp->m_fDuration = 0.12f;
    ramp->m_fTarget = 4.0f;
    r->m_aForces[0].Add(ramp);
    ASSERT_TRUE(r->Step(&m_world, 0.0f, kDt)); // value 0 acts, grows to 2
    EXPECT_EQ(r->m_vVelocity.x, 0.0f);
    ASSERT_TRUE(r->Step(&m_world, 0.0f, kDt)); // 2 acts, grows to 4
    EXPECT_NEAR(r->m_vVelocity.x, 2.0f * kDt, 1e-6f);
    ASSERT_TRUE(r->Step(&m_world, 0.0f, kDt)); // elapsed = duration: removed unapplied
    EXPECT_NEAR(r->m_vVelocity.x, 2.0f * kDt, 1e-6f);
    EXPECT_EQ(r->m_aForces[0].Count(), 0u);

    // A ramp of duration 0 is removed at once without effect.
    CDX9KelPhysicalForce* zero = m_manager.TakeForce();
    zero->m_iKind = FORCE_RAMP;
    zero->m_fValue = 100.0f;
    r->m_aForces[0].Add(zero);
    ASSERT_TRUE(r->Step(&m_world, 0.0f, kDt));
    EXPECT_NEAR(r->m_vVelocity.x, 2.0f * kDt, 1e-6f);
    EXPECT_EQ(r->m_aForces[0].Count(), 0u);
}

TEST_F(BodyTest, DragSlowsButNeverReversesAndRestingBodiesGetNone) {
    auto b = Root(1.0f);
    const D3DXVECTOR3 cPos(-1000.0f, 0.0f, -0.5f), cNeg(1000.0f, 0.0f, 0.5f);
    ASSERT_TRUE(b->SetResistance(true, &cPos, &cNeg));
    // Drag-dominated: would reverse, stops at exactly 0.
    b->m_vVelocity = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(b->Step(&m_world, 0.0f, kDt));
    EXPECT_EQ(b->m_vVelocity.x, 0.0f);
    // Mild drag: v' = v + cNeg v^2 dt / m for negative v.
    b->m_vVelocity = D3DXVECTOR3(0.0f, 0.0f, -2.0f);
    ASSERT_TRUE(b->Step(&m_world, 0.0f, kDt));
    EXPECT_NEAR(b->m_vVelocity.z, -2.0f + 0.5f * 4.0f * kDt, 1e-6f);
    // SetResistance on with markers present keeps the old coefficients.
    const D3DXVECTOR3 other(-1.0f, -1.0f, -1.0f);
    EXPECT_TRUE(b->SetResistance(true, &other, &other));
    EXPECT_EQ(b->m_vDragPos.x, -1000.0f);

    // At rest: no drag, and brake entries are dropped without effect.
    auto r = Root(1.0f);
    const D3DXVECTOR3 mildPos(-0.1f, 0.0f, -0.1f), mildNeg(0.1f, 0.0f, 0.1f);
    ASSERT_TRUE(r->SetResistance(true, &mildPos, &mildNeg));
    const D3DXVECTOR3 dir(1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(r->ApplyBrakeForce("CollResist", &dir, 50.0f, nullptr, false));
    EXPECT_EQ(r->m_aForces[0].Count(), 2u);
    ASSERT_TRUE(r->Step(&m_world, 0.0f, kDt));
    EXPECT_EQ(r->m_vVelocity.x, 0.0f);
    EXPECT_EQ(r->m_aForces[0].Count(), 1u);
    // A brake against the motion acts once, v^2 x value; one along it does nothing.
    r->m_vVelocity.x = -1.0f;
    ASSERT_TRUE(r->ApplyBrakeForce("CollResist", &dir, 0.5f, nullptr, false));
    ASSERT_TRUE(r->Step(&m_world, 0.0f, kDt));
    EXPECT_NEAR(r->m_vVelocity.x, -1.0f + (0.1f + 0.5f) * kDt, 1e-6f);
    EXPECT_EQ(r->m_aForces[0].Count(), 1u);
}

TEST_F(BodyTest, ImpulsesAndBlockingMassesObeyHandOver) {
    auto parent = Root(100.0f);
    CDX9KelPhysicalBody child(&m_manager);
    child.m_pParent = parent.get();
    child.m_fMass = 10.0f;
    child.m_abHandToParent[2] = true;
    child.m_vHandDirection = D3DXVECTOR3(0.0f, 0.0f, -1.0f);

    // On the handed axis only an impulse of the hand-over sign reaches the parent.
    const D3DXVECTOR3 j(5.0f, 0.0f, -20.0f);
    ASSERT_TRUE(child.AddImpulse(&j, 1.0f));
    EXPECT_EQ(parent->m_vImpulse.z, -20.0f);
    EXPECT_EQ(child.m_vImpulse.z, 0.0f);
    EXPECT_EQ(child.m_vImpulse.x, 5.0f);
    ASSERT_TRUE(child.AddImpulse(&j, -1.0f));
    EXPECT_EQ(parent->m_vImpulse.z, -20.0f);

    // Blocking mass: a negative direction adds to the mass against positive forces.
    const D3DXVECTOR3 block(-1.0f, 0.0f, 0.5f);
    ASSERT_TRUE(child.AddBlockingMass(&block, 30.0f));
    EXPECT_EQ(child.m_vAddedMassPos.x, 30.0f);
    EXPECT_EQ(parent->m_vAddedMassNeg.z, 15.0f);

    // The parent's impulse acts through its mass plus the added mass.
    ASSERT_TRUE(parent->Step(&m_world, 0.0f, kDt));
    EXPECT_NEAR(parent->m_vVelocity.z, -20.0f / 115.0f, 1e-6f);
    EXPECT_EQ(parent->m_vAddedMassNeg.z, 0.0f);
    EXPECT_EQ(parent->m_vImpulse.z, 0.0f);

    // A velocity change of 0.0001 or less is dropped.
    const D3DXVECTOR3 tiny(0.001f, 0.0f, 0.0f);
    ASSERT_TRUE(parent->AddImpulse(&tiny, 1.0f));
    ASSERT_TRUE(parent->Step(&m_world, 0.0f, kDt));
    EXPECT_EQ(parent->m_vVelocity.x, 0.0f);

    // Forces on a handed axis go to the parent instead of piling up unresolved.
    const D3DXVECTOR3 f(0.0f, 0.0f, 3.0f);
    ASSERT_TRUE(child.AddForceComponents("Push", FORCE_STEP, &f, 1.0f, nullptr));
    EXPECT_EQ(child.m_aForces[2].Count(), 0u);
    EXPECT_EQ(parent->m_aForces[2].Count(), 1u);
}

TEST_F(BodyTest, BadInputIsRefusedWithoutTouchingTheBody) {
    auto b = Root(10.0f);
    ASSERT_TRUE(b->SetGravity(true));
    D3DXMATRIX bad = m_world;
    bad._22 = std::nanf("");
    EXPECT_FALSE(b->Step(&bad, 0.0f, kDt));
    EXPECT_FALSE(b->Step(nullptr, 0.0f, kDt));
    EXPECT_FALSE(b->Step(&m_world, std::nanf(""), kDt));
    EXPECT_EQ(b->m_vVelocity, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(b->AddForceComponents(nullptr, FORCE_STEP, &b->m_vVelocity, 1.0f, nullptr));
    EXPECT_FALSE(b->AddImpulse(nullptr, 1.0f));
    CDX9KelPhysicalBody orphan(nullptr);
    EXPECT_FALSE(orphan.SetGravity(true));
    EXPECT_FALSE(orphan.Step(&m_world, 0.0f, kDt));
}

TEST_F(BodyTest, EntriesReturnToThePoolAndSlotsAreReusedLastFreedFirst) {
    const std::size_t free0 = m_manager.GetFreeForceCount();
    {
        auto b = Root(10.0f);
        ASSERT_TRUE(b->SetGravity(true));
        ASSERT_TRUE(b->SetBuoyancy(true));
        const D3DXVECTOR3 cPos(-1, -1, -1), cNeg(1, 1, 1);
        ASSERT_TRUE(b->SetResistance(true, &cPos, &cNeg));
        ASSERT_TRUE(b->Step(&m_world, 0.5f, kDt));
        EXPECT_LT(m_manager.GetFreeForceCount(), free0);
        // Remove gravity (slot 0 of each axis) and buoyancy (slot 1): slot 1 is reused first.
        ASSERT_TRUE(b->SetGravity(false));
        ASSERT_TRUE(b->SetBuoyancy(false));
        const D3DXVECTOR3 push(1, 0, 0);
        ASSERT_TRUE(b->AddForceComponents("A", FORCE_CONSTANT, &push, 1.0f, nullptr));
        EXPECT_EQ(b->m_aForces[0].FindName("A"), 1);
        ASSERT_TRUE(b->AddForceComponents("B", FORCE_CONSTANT, &push, 1.0f, nullptr));
        EXPECT_EQ(b->m_aForces[0].FindName("B"), 0);
    }
    EXPECT_EQ(m_manager.GetFreeForceCount(), free0);
}
