#include "engine3/world/physics/CDX9KelPhysicalManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "ShipWorld.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace Vorna3D;

namespace {

float Z(const CDX9KelBasePhysicalObject* o) { return o->GetSceneObject()->m_mWorld._43; }
float X(const CDX9KelBasePhysicalObject* o) { return o->GetSceneObject()->m_mWorld._41; }

} // namespace

TEST(PhysicalManager, StepsAtMostOncePer60MsAndRestartsAfterLongGaps) {
    VornaTest::ShipWorld w;
    CDX9KelPhysicalManager& m = w.m_manager;
    const DWORD start = w.m_clock.Milliseconds() + 10;
    w.Frame(10); // first update: starts the clock, steps with dt 0
    EXPECT_EQ(m.GetLastStepTime(), start);
    EXPECT_EQ(m.GetStepTime(), 0.0f);
    w.Frame(59); // 59 ms: not due
    EXPECT_EQ(m.GetLastStepTime(), start);
    w.Frame(1); // 60 ms: one step of 0.06 s
    EXPECT_EQ(m.GetLastStepTime(), start + 60);
    EXPECT_FLOAT_EQ(m.GetStepTime(), 0.06f);
    w.Frame(250); // late frame: one step covering the whole span, no catching up
    EXPECT_FLOAT_EQ(m.GetStepTime(), 0.25f);
    ASSERT_TRUE(m.SetTimeScale(2.0f));
    w.Frame(600); // exactly 10 intervals: still a normal step
    EXPECT_FLOAT_EQ(m.GetStepTime(), 1.2f);
    w.Frame(601); // longer gap: restart with dt 0
    EXPECT_EQ(m.GetStepTime(), 0.0f);
    EXPECT_EQ(m.GetLastStepTime(), w.m_clock.Milliseconds());
    // A cleared clock (device restore) starts a fresh interval.
    m.ClearStepClock();
    w.Frame(60);
    EXPECT_EQ(m.GetStepTime(), 0.0f);
}

TEST(PhysicalManager, TimeScaleZeroPausesShipsAndTheOcean) {
    VornaTest::ShipWorld w;
    CDX9KelOceanSurface ocean;
    w.m_manager.SetOcean(&ocean);
    struct Case {
        float s;
        bool ok;
    } cases[] = {{2.0f, true}, {2.5f, false}, {-1.0f, false}, {std::nanf(""), false}, {0.5f, true}};
    for (const Case& c : cases) EXPECT_EQ(w.m_manager.SetTimeScale(c.s), c.ok) << c.s;
    EXPECT_EQ(w.m_manager.GetTimeScale(), 0.5f);

    CDX9KelPhysicalObjectShip* ship = w.AddShip(D3DXVECTOR3(0, 0, 0));
    ASSERT_NE(ship, nullptr);
    const D3DXVECTOR3 fwd(0, 0, 1), bow(0, 0, 15);
    ASSERT_TRUE(ship->AddConstantForce("Engine", &fwd, &bow, 100.0f));
    w.Frame(60);
    w.Frame(60);
    ASSERT_TRUE(w.m_manager.SetTimeScale(0.0f));
    EXPECT_TRUE(ocean.IsPaused());
    EXPECT_FALSE(w.m_manager.IsEnabled());
    const float z = Z(ship);
    const DWORD last = w.m_manager.GetLastStepTime();
    for (int i = 0; i < 20; ++i) w.Frame(60);
    EXPECT_EQ(Z(ship), z);
    EXPECT_EQ(w.m_manager.GetLastStepTime(), last);

    ASSERT_TRUE(w.m_manager.SetTimeScale(1.0f));
    EXPECT_FALSE(ocean.IsPaused());
    w.Frame(60); // the pause was longer than 600 ms: a fresh start
    w.Frame(60);
    EXPECT_GT(Z(ship), z);
}

TEST(PhysicalManager, AddPhysicalObjectShipRefusalsLeaveNoLinks) {
    VornaTest::ShipWorld w;
    const auto logPath = VornaTest::FreshFolder() / "Vorna3Log.log";
    g_Log.Open(logPath.c_str());
    CDX9KelPhysicalManager& m = w.m_manager;
    EXPECT_EQ(m.AddPhysicalObjectShip(nullptr, 10.0f), nullptr);

    CDX9KelSceneObject* so = w.AddHull(D3DXVECTOR3(0, 0, 0));
    // Initialisation fails: the scene object keeps neither flag nor link.
    EXPECT_EQ(m.AddPhysicalObjectShip(so, 0.0f), nullptr);
    EXPECT_FALSE(so->m_bHasPhysicalObject);
    EXPECT_EQ(so->m_pPhysicalObject, nullptr);
    EXPECT_TRUE(m.GetObjects().empty());
    // ... so it can get a body later, once.
    CDX9KelPhysicalObjectShip* ship = m.AddPhysicalObjectShip(so, 10.0f);
    ASSERT_NE(ship, nullptr);
    EXPECT_TRUE(so->m_bHasPhysicalObject);
    EXPECT_EQ(so->m_pPhysicalObject, ship);
    EXPECT_EQ(ship->GetIndex(), 0);
    EXPECT_EQ(m.AddPhysicalObjectShip(so, 10.0f), nullptr);
    EXPECT_FALSE(m.AddPhysicalObject(ship)); // registered already
    EXPECT_FALSE(m.AddPhysicalObject(nullptr));

    const std::string log = VornaTest::ReadText(logPath);
    g_Log.Reset();
    EXPECT_NE(log.find("CDX9KelPhysicalManager::AddPhysicalObjectShip() : scene object empty\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelPhysicalManager::AddPhysicalObjectShip() : physical object initialization failed\n"),
              std::string::npos);
    EXPECT_NE(log.find("CDX9KelPhysicalManager::AddPhysicalObjectShip() : scene object already has physical object\n"),
              std::string::npos);
}

TEST(PhysicalManager, PoolGrowsAndObjectSlotsAreReused) {
    CDX9KelPhysicalManager m;
    ASSERT_TRUE(m.Init());
    EXPECT_EQ(m.GetPoolSize(), 500u);
    std::vector<CDX9KelPhysicalForce*> taken;
    for (int i = 0; i < 501; ++i) taken.push_back(m.TakeForce());
    EXPECT_EQ(m.GetPoolSize(), 501u);
    EXPECT_EQ(taken.back()->m_iPoolIndex, 500);
    for (CDX9KelPhysicalForce* f : taken) m.ReturnForce(f);
    EXPECT_EQ(m.GetFreeForceCount(), 501u);
    m.ReturnForce(nullptr); // ignored

    // Clear keeps the pool; freed object slots are reused last freed first.
    VornaTest::ShipWorld w;
    auto* a = w.AddShip(D3DXVECTOR3(0, 0, 0));
    auto* b = w.AddShip(D3DXVECTOR3(300, 0, 0));
    ASSERT_TRUE(a && b);
    Vorna3D::CDX9KelSceneObject* bScene = b->GetSceneObject();
    ASSERT_NE(bScene, nullptr);
    b->DetachSceneObject(); // its scene object is gone
    // Neither side keeps a link: the ship is deleted at the next step while
    // its scene object lives on.
    EXPECT_EQ(bScene->m_pPhysicalObject, nullptr);
    EXPECT_FALSE(bScene->m_bHasPhysicalObject);
    w.Frame(60);
    ASSERT_EQ(w.m_manager.GetObjects().size(), 2u);
    EXPECT_EQ(w.m_manager.GetObjects()[1], nullptr);
    auto* c = w.AddShip(D3DXVECTOR3(-300, 0, 0));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetIndex(), 1);
    const std::size_t pool = w.m_manager.GetPoolSize();
    w.m_manager.Clear();
    EXPECT_TRUE(w.m_manager.GetObjects().empty());
    EXPECT_EQ(w.m_manager.GetPoolSize(), pool);
    EXPECT_EQ(w.m_manager.GetFreeForceCount(), pool);
}

TEST(PhysicalManager, AShipWhoseSceneObjectIsDeletedIsDroppedAtTheNextStep) {
    VornaTest::ShipWorld w;
    auto* a = w.AddShip(D3DXVECTOR3(0, 0, 0));
    auto* b = w.AddShip(D3DXVECTOR3(0, 0, 41));
    ASSERT_TRUE(a && b);
    w.Frame(60);
    // The tree owns b's scene object and deletes it when it is released, as
    // a battle's tree does; a's stays with the test.
    CDX9KelSceneObject* gone = b->GetSceneObject();
    for (auto it = w.m_objects.begin(); it != w.m_objects.end(); ++it)
        if (it->get() == gone) {
            (void)it->release();
            w.m_objects.erase(it);
            break;
        }
    gone->m_bNotOwned = false;
    w.m_tree.Release();
    EXPECT_EQ(b->GetSceneObject(), nullptr);
    EXPECT_EQ(a->GetSceneObject()->m_pPhysicalObject, a);
    w.Frame(60);
    ASSERT_EQ(w.m_manager.GetObjects().size(), 2u);
    EXPECT_EQ(w.m_manager.GetObjects()[0], a);
    EXPECT_EQ(w.m_manager.GetObjects()[1], nullptr);
}

TEST(PhysicalManager, ShipsDrivenTogetherTouchArePushedApartAndNeverInterpenetrate) {
    // Bow into stern along z, and side into side along x.
    struct Case {
        D3DXVECTOR3 other;
        D3DXVECTOR3 direction;
        D3DXVECTOR3 point;
        float touching; // centre distance at which the hulls touch
    } cases[] = {
        {{0, 0, 44}, {0, 0, 1}, {0, 0, 15}, 40.0f},
        {{12, 0, 0}, {1, 0, 0}, {4, 0, 0}, 10.0f},
    };
    for (const Case& c : cases) {
        VornaTest::ShipWorld w;
        auto* a = w.AddShip(D3DXVECTOR3(0, 0, 0));
        auto* b = w.AddShip(c.other);
        ASSERT_TRUE(a && b);
        w.Frame(60);
        ASSERT_TRUE(a->AddConstantForce("Engine", &c.direction, &c.point, 200.0f));
        const bool alongZ = c.direction.z != 0.0f;
        float closest = 1e9f;
        int contactSteps = 0;
        bool bothRecorded = false;
        float impulse = 0.0f;
        for (int i = 0; i < 600; ++i) {
            w.Frame(60);
            const float gap = alongZ ? Z(b) - Z(a) : X(b) - X(a);
            closest = std::min(closest, gap);
            if (w.m_manager.IsContactFound()) {
                ++contactSteps;
                EXPECT_TRUE(w.m_manager.IsOverlapFound());
                bothRecorded = a->HasContact(b) && b->HasContact(a);
                const CDX9KelPhysicalContact& rec = b->GetContacts()[0];
                impulse = std::max(impulse, alongZ ? rec.vImpulse.z : rec.vImpulse.x);
                EXPECT_LE(std::fabs(rec.vImpulse.z), 2000.0f); // two answers of at most 1000 each
            }
        }
        EXPECT_GT(contactSteps, 0);
        EXPECT_TRUE(bothRecorded);
        EXPECT_GT(impulse, 0.0f) << "the pushed ship received the pusher's momentum";
        EXPECT_GT(alongZ ? Z(b) : X(b), (alongZ ? c.other.z : c.other.x) + 5.0f) << "b was pushed away";
        EXPECT_GT(closest, c.touching - 0.5f) << "no deep interpenetration";
    }
}

TEST(PhysicalManager, ABrokenTransformStaysWithItsShip) {
    VornaTest::ShipWorld w;
    auto* a = w.AddShip(D3DXVECTOR3(0, 0, 0));
    auto* b = w.AddShip(D3DXVECTOR3(0, 0, 41));
    ASSERT_TRUE(a && b);
    w.Frame(60);
    const D3DXVECTOR3 fwd(0, 0, 1), bow(0, 0, 15);
    ASSERT_TRUE(b->AddConstantForce("Engine", &fwd, &bow, 100.0f));
    // The scene object refuses a NaN transform; force one in as a fault would.
    a->GetSceneObject()->m_mWorld._42 = std::nanf("");
    for (int i = 0; i < 50; ++i) w.Frame(60);
    const D3DXMATRIX& mb = b->GetSceneObject()->m_mWorld;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) ASSERT_TRUE(std::isfinite(mb.m[r][c]));
    EXPECT_TRUE(std::isfinite(b->GetMainBody()->m_vVelocity.z));
    EXPECT_GT(Z(b), 41.0f);
    EXPECT_FALSE(a->HasContact(b));
}

TEST(PhysicalManager, FindObjectsInSphereReportsShipsNearAPoint) {
    VornaTest::ShipWorld w;
    auto* a = w.AddShip(D3DXVECTOR3(0, 0, 0));
    auto* b = w.AddShip(D3DXVECTOR3(500, 0, 0));
    ASSERT_TRUE(a && b);
    const D3DXVECTOR3 centre(30, 0, 0);
    EXPECT_TRUE(w.m_manager.FindObjectsInSphere(&centre, 20.0f));
    ASSERT_EQ(w.m_manager.GetQueryResults().size(), 1u);
    EXPECT_EQ(w.m_manager.GetQueryResults()[0], a);
    EXPECT_FALSE(w.m_manager.FindObjectsInSphere(&centre, 0.0f));
    EXPECT_TRUE(w.m_manager.GetQueryResults().empty());
    EXPECT_FALSE(w.m_manager.FindObjectsInSphere(nullptr, 5.0f));
    w.m_manager.SetSceneTree(nullptr);
    EXPECT_FALSE(w.m_manager.FindObjectsInSphere(&centre, 1000.0f));
}

TEST(PhysicalManager, NeighboursFromTheLeafEntriesMatchAWalkOverEveryObjectOfTheLeaves) {
    // Ships and plain hulls scattered over leaves of 100 units, moved across
    // leaf borders between looks; one ship switched off. The look-up must
    // find what a walk over every entry of the object's leaves finds, in the
    // same order.
    struct Case {
        const char* what;
        std::vector<D3DXVECTOR3> ships;
        std::vector<D3DXVECTOR3> hulls;
        D3DXVECTOR3 move; // added to every other ship between looks
    };
    const Case cases[] = {
        {"one leaf", {{10, 0, 10}, {30, 0, 20}, {60, 0, 70}}, {{20, 0, 40}}, {0, 0, 0}},
        {"across a border", {{95, 0, 10}, {105, 0, 10}, {90, 0, 90}, {110, 0, 110}}, {{100, 0, 100}}, {12, 0, -7}},
        {"far apart", {{-900, 0, -900}, {0, 0, 0}, {900, 0, 900}}, {{0, 0, 50}}, {150, 0, 150}},
        {"crowd", {{0, 0, 0}, {20, 0, 0}, {40, 0, 0}, {60, 0, 0}, {80, 0, 0}, {100, 0, 0}, {120, 0, 0}},
         {{10, 0, 10}, {50, 0, 10}, {90, 0, 10}}, {-35, 0, 45}},
    };
    // The walk the look-up replaces.
    auto walk = [](CDX9KelPhysicalManager& m, CDX9KelBasePhysicalObject* o) {
        std::vector<CDX9KelBasePhysicalObject*> found;
        CDX9KelSceneObject* so = o->GetSceneObject();
        for (const SKelLeafEntry& entry : so->m_vLeafEntries) {
            if (!entry.pLeaf) continue;
            for (CDX9KelSceneObject* other : entry.pLeaf->m_vObjects) {
                if (!other || other == so || !other->m_pPhysicalObject) continue;
                CDX9KelBasePhysicalObject* n = other->m_pPhysicalObject;
                if (n == o || n->GetManager() != &m || !n->IsActive()) continue;
                if (std::find(found.begin(), found.end(), n) == found.end()) found.push_back(n);
            }
        }
        return found;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VornaTest::ShipWorld w;
        std::vector<CDX9KelPhysicalObjectShip*> ships;
        for (const D3DXVECTOR3& p : c.ships) {
            ships.push_back(w.AddShip(p));
            ASSERT_NE(ships.back(), nullptr);
        }
        for (const D3DXVECTOR3& p : c.hulls) w.AddHull(p);
        if (ships.size() > 2) ships[2]->SetActive(false);
        std::size_t pairs = 0;
        for (int look = 0; look < 4; ++look) {
            w.m_manager.FileLeafEntries();
            for (CDX9KelPhysicalObjectShip* s : ships) {
                const auto expected = walk(w.m_manager, s);
                EXPECT_EQ(w.m_manager.FindNeighbours(s), expected) << "look " << look;
                pairs += expected.size();
            }
            // Every other ship moves; removing one from its leaves and filing
            // it again reuses the freed entries.
            for (std::size_t i = 0; i < ships.size(); i += 2) {
                CDX9KelSceneObject* so = ships[i]->GetSceneObject();
                const D3DXVECTOR3 to = *so->GetPosition() + c.move;
                so->SetPosition(&to);
            }
            w.m_tree.UpdateMovedObjects();
        }
        if (std::string(c.what) != "far apart") EXPECT_GT(pairs, 0u);
    }
}
