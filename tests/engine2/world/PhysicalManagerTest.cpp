#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "engine2/world/water/CDX9KelActiveWater.h"

#include "common/OffscreenDevice.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace Vorna2;

namespace {

const std::string kDemo = std::string(VORNA_BIN_DIR) + "/";

// A sea of one height everywhere.
class FlatWater : public CDX9KelActiveWater {
public:
    explicit FlatWater(float h) : m_fLevel(h) {}
    float GetHeight(float, float) const override { return m_fLevel; }
    float m_fLevel;
};

class Engine2PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Log.Reset();
        ASSERT_TRUE(dev.Create(64, 64));
        const D3DXVECTOR3 lo(-400, -50, -400), hi(400, 50, 400);
        ASSERT_TRUE(tree.CreateEmptySceneTree(50.0f, &lo, &hi, false, nullptr));
        ASSERT_TRUE(cameras.Init(64, 64, dev.m_hWnd));
        ASSERT_TRUE(physics.Init(&cameras, &tree));
        g_FPSCounter.m_fFrameTime = 1.0f;
    }
    void TearDown() override {
        physics.Release();
        tree.ClearObjects();
        res.DeleteAllModels();
        res.ReleaseAllTextures();
        res.ReleaseAllXFiles();
    }
    // An object of the demo model at (x, y, z), bow along +z.
    CDX9KelSceneObject* Add(const char* folder, const char* file, float x, float y, float z) {
        CDX9KelModel* model = res.CreateModel(dev.m_pDevice, (kDemo + folder).c_str(), file);
        if (!model) return nullptr;
        auto* o = new CDX9KelSceneObject();
        D3DXMatrixTranslation(&o->m_mWorld, x, y, z);
        o->AddModel(model);
        if (!tree.AddSceneObject(o)) {
            delete o;
            return nullptr;
        }
        return o;
    }
    CDX9KelSceneObject* Ship(float x, float z, CDX9KelFloatRecord* record) {
        CDX9KelSceneObject* o = Add("Models/Units/", "c2ship_lod0.x", x, 0.0f, z);
        if (o && record) physics.AddObject(o, record);
        return o;
    }

    VornaTest::OffscreenDevice dev;
    CDX9KelGraphicsResManager res;
    CDXSceneTree tree;
    CDX9KelBaseCameraManager cameras;
    CDX9KelPhysicalManager physics;
    CDX9KelFloatRecord records[4];
};

} // namespace

TEST_F(Engine2PhysicsTest, HullsTouchByTheirFiveSpheresAndAreRecordedOnce) {
    physics.m_bWavePass = 0;
    CDX9KelSceneObject* a = Ship(0.0f, 0.0f, &records[0]);
    CDX9KelSceneObject* b = Ship(4.0f, 0.0f, &records[1]);
    ASSERT_TRUE(a && b);
    // Beam 3: the half-size hulls (radius 1.5) of ships 4 apart do not touch,
    // although their bounding spheres overlap.
    ASSERT_LT(4.0f, a->m_fRadius + b->m_fRadius);
    b->m_bMoved = true;
    physics.Process();
    EXPECT_FALSE(physics.HasContacts());
    EXPECT_FALSE(b->m_bMoved);

    const D3DXVECTOR3 closer(-1.1f, 0.0f, 0.0f);
    ASSERT_TRUE(CDX9KelSceneObject::Translate(&closer, &tree, b));
    physics.Process();
    ASSERT_EQ(physics.m_Contacts.size(), 1u);
    const CDX9KelContact& c = physics.m_Contacts[0];
    EXPECT_EQ(c.m_iKind, KEL_CONTACT_HULLS);
    EXPECT_EQ(c.m_pObjectA, a);
    EXPECT_EQ(c.m_pObjectB, b);
    // A lies on B's left (negated first row): a positive turn of about pi/2.
    EXPECT_NEAR(c.m_fAngleBToA, 1.5707964f, 1e-3);
    // Touching again, either one moved, adds nothing.
    a->m_bMoved = b->m_bMoved = true;
    physics.Process();
    EXPECT_EQ(physics.m_Contacts.size(), 1u);
}

TEST_F(Engine2PhysicsTest, SmallObjectsMeetTheFullSizeHullAndLargeOnesTheirTriangles) {
    physics.m_bWavePass = 0;
    CDX9KelSceneObject* ship = Ship(0.0f, 0.0f, &records[0]);
    ASSERT_NE(ship, nullptr);
    CDX9KelSceneObject* buoy = Add("Models/Statics/", "c2buoy.x", 0.0f, 0.0f, 0.0f);
    ASSERT_NE(buoy, nullptr);
    ASSERT_LE(buoy->m_fRadius, CDX9KelPhysicalManager::kLargeRadius);
    // The buoy's centre level with the ship's, beside the ship's middle:
    // outside the half-size hull (1.5 + r) but inside the full-size one (3 + r).
    const float r = buoy->m_fRadius;
    const float level = ship->UpdateCenter().y - buoy->m_vCenter.y;
    for (const float side : {3.3f + r, 2.25f + r}) {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, side, level, 0.0f);
        ASSERT_TRUE(CDX9KelSceneObject::SetTransform(&m, buoy, &tree));
        ship->m_bMoved = true;
        physics.Process();
        EXPECT_EQ(physics.m_Contacts.size(), side < 3.0f + r ? 1u : 0u) << side;
    }
    ASSERT_EQ(physics.m_Contacts.size(), 1u);
    EXPECT_EQ(physics.m_Contacts[0].m_iKind, KEL_CONTACT_SMALL);
    EXPECT_EQ(physics.m_Contacts[0].m_pObjectA, buoy);

    // A large island: its triangles, not its sphere, decide.
    CDX9KelSceneObject* island = Add("Models/Statics/", "c2island.x", 0.0f, 0.0f, 150.0f);
    ASSERT_NE(island, nullptr);
    ASSERT_GT(island->m_fRadius, CDX9KelPhysicalManager::kLargeRadius);
    CDX9KelSceneObject* near = Ship(0.0f, 135.0f, &records[1]);
    ASSERT_NE(near, nullptr);
    near->m_bMoved = true;
    physics.Process();
    ASSERT_EQ(physics.m_Contacts.size(), 2u);
    EXPECT_EQ(physics.m_Contacts[1].m_iKind, KEL_CONTACT_LARGE);
    EXPECT_EQ(physics.m_Contacts[1].m_pObjectA, island);
    EXPECT_FALSE(CDX9KelPhysicalManager::SphereTouchesTriangles(island, D3DXVECTOR3(0, 0, 150), 0.0f));
    EXPECT_FALSE(CDX9KelPhysicalManager::SphereTouchesTriangles(island, D3DXVECTOR3(0, 40, 150), 1.0f));
}

TEST_F(Engine2PhysicsTest, RammedShipsAreSeparatedUntilApartOrHandled) {
    physics.m_bWavePass = 0;
    CDX9KelSceneObject* a = Ship(0.0f, 0.0f, &records[0]);
    CDX9KelSceneObject* b = Ship(0.0f, 5.0f, &records[1]);
    CDX9KelSceneObject* far = Ship(100.0f, 0.0f, &records[2]);
    CDX9KelContact ram;
    ram.m_pObjectA = a;
    ram.m_pObjectB = b;
    ram.m_iKind = KEL_CONTACT_RAM;
    physics.m_Contacts.push_back(ram);
    physics.Process();
    ASSERT_EQ(physics.m_Contacts.size(), 1u);
    // Pushed away from B, which stands ahead of it.
    EXPECT_NEAR(a->m_mWorld._43, -0.008f, 1e-6);
    EXPECT_TRUE(a->m_mWorld._31 != 0.0f); // turned a little about the world up axis
    // Apart by more than 6: over.
    ram.m_pObjectB = far;
    physics.m_Contacts[0] = ram;
    physics.Process();
    EXPECT_TRUE(physics.m_Contacts.empty());
    // Two contacts of one object: both handled, the ram is over.
    physics.m_Contacts = {ram, ram};
    physics.m_Contacts[0].m_pObjectB = b;
    physics.m_Contacts[1].m_iKind = KEL_CONTACT_SMALL;
    physics.Process();
    ASSERT_EQ(physics.m_Contacts.size(), 1u);
    EXPECT_EQ(physics.m_Contacts[0].m_iKind, KEL_CONTACT_SMALL);
    EXPECT_EQ(physics.m_Contacts[0].m_bHandled, 1);
}

// Long hulls still touch with their centres more than 6 apart: the pair is
// pushed apart until they no longer do, or the contact would be found again
// at the next move, and again, and hold the movement for good.
TEST_F(Engine2PhysicsTest, RammedLongHullsAreSeparatedUntilTheyNoLongerTouch) {
    physics.m_bWavePass = 0;
    CDX9KelSceneObject* a = Add("Models/Units/", "c2monitor.x", 0.0f, 0.0f, 0.0f);
    CDX9KelSceneObject* b = Add("Models/Units/", "c2monitor.x", 0.0f, 0.0f, 10.0f);
    ASSERT_TRUE(a && b);
    physics.AddObject(a, &records[0]);
    physics.AddObject(b, &records[1]);
    ASSERT_TRUE(CDX9KelPhysicalManager::HullsTouch(a, b));
    CDX9KelContact ram;
    ram.m_pObjectA = a;
    ram.m_pObjectB = b;
    ram.m_iKind = KEL_CONTACT_RAM;
    physics.m_Contacts.push_back(ram);
    physics.Process();
    ASSERT_EQ(physics.m_Contacts.size(), 1u) << "the hulls still touch";
    int frames = 1;
    for (; physics.HasContacts() && frames < 5000; ++frames) physics.Process();
    EXPECT_LT(frames, 5000);
    EXPECT_FALSE(CDX9KelPhysicalManager::HullsTouch(a, b));
    // Apart, they are found no more when they move.
    a->m_bMoved = b->m_bMoved = true;
    physics.Process();
    EXPECT_FALSE(physics.HasContacts());
}

// A contact never outlives either of its objects: removing an object (a
// registered ship or the scenery it touched) takes its contacts and hits.
TEST_F(Engine2PhysicsTest, ContactsGoWithTheirObjects) {
    physics.m_bWavePass = 0;
    CDX9KelSceneObject* a = Ship(0.0f, 0.0f, &records[0]);
    CDX9KelSceneObject* b = Ship(0.0f, 5.0f, &records[1]);
    CDX9KelSceneObject* c = Ship(50.0f, 0.0f, &records[2]);
    CDX9KelSceneObject* rock = Add("Models/Units/", "c2ship_lod0.x", 80.0f, 0.0f, 0.0f);
    ASSERT_TRUE(a && b && c && rock);
    CDX9KelContact ab, rockC;
    ab.m_pObjectA = a;
    ab.m_pObjectB = b;
    ab.m_iKind = KEL_CONTACT_HULLS;
    rockC.m_pObjectA = rock;
    rockC.m_pObjectB = c;
    rockC.m_iKind = KEL_CONTACT_LARGE;
    physics.m_Contacts = {ab, rockC};
    physics.m_Hits = {b, c};
    EXPECT_TRUE(physics.RemoveObject(b));
    ASSERT_EQ(physics.m_Contacts.size(), 1u);
    EXPECT_EQ(physics.m_Contacts[0].m_pObjectA, rock);
    EXPECT_EQ(physics.m_Hits, std::vector<CDX9KelSceneObject*>{c});
    // The rock was never registered; its contact goes all the same.
    EXPECT_FALSE(physics.RemoveObject(rock));
    EXPECT_TRUE(physics.m_Contacts.empty());
}

TEST_F(Engine2PhysicsTest, WavePassFollowsTheWaterNearTheCameraOnly) {
    physics.m_bCollisionPass = 0;
    FlatWater water(1.0f);
    physics.SetWater(&water);
    CDX9KelSceneObject* atLimit = Ship(0.0f, 200.0f, &records[0]);
    CDX9KelSceneObject* beyond = Ship(0.0f, -200.5f, &records[1]);
    CDX9KelSceneObject* hidden = Ship(50.0f, 0.0f, &records[2]);
    CDX9KelSceneObject* inactive = Ship(-50.0f, 0.0f, &records[3]);
    ASSERT_TRUE(atLimit && beyond && hidden && inactive);
    hidden->m_bVisible = false;
    records[3].m_bActive = 0;
    cameras.GetActiveCamera()->m_vEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

    // A very long frame changes nothing.
    g_FPSCounter.m_fFrameTime = 10.5f;
    physics.Process();
    EXPECT_FLOAT_EQ(atLimit->m_mWorld._42, 0.0f);
    g_FPSCounter.m_fFrameTime = 1.0f;
    physics.Process();
    // Flat water one unit up: the ends equal the centre, so the height step
    // is f x hc / 80 and nothing tilts.
    EXPECT_NEAR(atLimit->m_mWorld._42, 1.0f / 80.0f, 1e-5);
    EXPECT_FLOAT_EQ(beyond->m_mWorld._42, 0.0f);
    EXPECT_FLOAT_EQ(hidden->m_mWorld._42, 0.0f);
    EXPECT_FLOAT_EQ(inactive->m_mWorld._42, 0.0f);
    // A flooded ship (height offset) sits lower: it rises less.
    records[0].m_fHeightOffset = 0.5f;
    const float before = atLimit->m_mWorld._42;
    physics.Process();
    EXPECT_NEAR(atLimit->m_mWorld._42 - before, (1.0f - before - 0.5f) / 80.0f, 1e-5);
    // The water forgets the manager and the manager the water, whichever goes.
    physics.Release();
    EXPECT_EQ(physics.GetWater(), &water);
    EXPECT_TRUE(physics.m_Objects.empty());
}

TEST_F(Engine2PhysicsTest, DeletingTheWaterClearsTheManagersLink) {
    auto* water = new FlatWater(0.0f);
    physics.SetWater(water);
    EXPECT_EQ(water->m_pPhysicalManager, &physics);
    delete water;
    EXPECT_EQ(physics.GetWater(), nullptr);
    FlatWater second(0.0f);
    {
        CDX9KelPhysicalManager other;
        other.SetWater(&second);
        // Another manager takes the water over.
        physics.SetWater(&second);
        EXPECT_EQ(other.GetWater(), nullptr);
    }
    EXPECT_EQ(second.m_pPhysicalManager, &physics);
}

TEST(Engine2PhysicsRule, StepRuleTable) {
    struct Case {
        float f, h1, hc, h2, y1, y2, bias, lever;
        bool applied;
        float height, angle;
    };
    const float tilt = std::acos(3.0f / std::sqrt(9.0f + 1.0f));
    const Case cases[] = {
        {0.05f, 1, 0.5f, 0, 0, 0, 0, 3, false, 0, 0},
        {10.5f, 1, 0.5f, 0, 0, 0, 0, 3, false, 0, 0},
        {1, 2, 0.6f, 2, 0, 0, 0, 3, true, 0.6f / 60, 0},     // both ends above
        {1, -2, 0.6f, -2, 0, 0, 0, 3, true, 0.6f / 120, 0},  // both below
        {1, 1, 0.4f, 0, 0, 0, 0, 3, true, 0.4f / 80, tilt / 100},
        {1, 0, 0.4f, 1, 0, 0, 0, 3, true, 0.4f / 80, -tilt / 100},
        {1, 0, 0, 0, 0, 0.5f, 0.1f, 1, true, 0, 0.6f / 100},
        {0.2f, 0, 0, 0, 0, 0, 0.2f, 1, true, 0, 0},          // 0.2 / 20 = 0.01
        {0.1f, 0, 0, 0, 0, 7, 0, 1, true, 0, 0},             // 0.7 > pi/5: dropped
    };
    for (const Case& c : cases) {
        float h = -1, a = -1;
        EXPECT_EQ(CDX9KelPhysicalManager::StepRule(c.f, c.h1, c.hc, c.h2, c.y1, c.y2, c.bias, c.lever, &h, &a),
                  c.applied);
        EXPECT_NEAR(h, c.height, 1e-6) << c.f << " " << c.h1;
        if (c.f == 0.2f)
            EXPECT_NEAR(a, 0.01f, 1e-6);
        else
            EXPECT_NEAR(a, c.angle, 1e-6) << c.f << " " << c.h1;
    }
}

TEST_F(Engine2PhysicsTest, SphereQueriesAndTheLineOfFire) {
    CDX9KelSceneObject* a = Ship(0.0f, 0.0f, &records[0]);
    CDX9KelSceneObject* b = Ship(0.0f, 40.0f, &records[1]);
    CDX9KelSceneObject* close = Ship(80.0f, 0.0f, &records[2]);
    CDX9KelSceneObject* closer = Ship(83.0f, 0.0f, &records[3]);
    ASSERT_TRUE(a && b && close && closer);
    EXPECT_FALSE(physics.IsLineBlocked(a, b));
    // Ships 3 apart: no test spheres between them, never blocked.
    EXPECT_FALSE(physics.IsLineBlocked(close, closer));
    CDX9KelSceneObject* buoy = Add("Models/Statics/", "c2buoy.x", 0.0f, 0.0f, 20.0f);
    ASSERT_NE(buoy, nullptr);
    EXPECT_TRUE(physics.IsLineBlocked(a, b));
    ASSERT_EQ(physics.m_Hits.size(), 1u);
    EXPECT_EQ(physics.m_Hits[0], buoy);

    EXPECT_TRUE(physics.TestSphere(0.0f, 0.5f, 20.0f, 1.0f));
    EXPECT_EQ(physics.m_Hits[0], buoy);
    EXPECT_FALSE(physics.TestSphere(0.0f, 0.5f, -100.0f, 1.0f));
    EXPECT_TRUE(physics.m_Hits.empty());
    EXPECT_FALSE(physics.TestSpheres({{0.0f, 0.5f, 20.0f, 1.0f}}, buoy, nullptr));
}
