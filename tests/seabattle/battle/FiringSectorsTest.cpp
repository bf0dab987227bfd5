// The artillery aspect's records and the firing-sector geometry: points in
// sectors, bearing and elevation windows, window overlap and the line of
// fire.
#include <gtest/gtest.h>

#include <cmath>

#include "engine3/world/physics/ShipWorld.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

using namespace SeaBattle;

namespace {

constexpr float kPi = 3.14159265f;

// A starboard sector: bearings -0.5..0.5 around +x seen from the origin,
// elevations up to 0.3 above y = 1.
ShipSector StarboardSector() {
    ShipSector s;
    s.Direction = {1.0f, 0.0f};
    s.Right = {0.0f, -1.0f};
    s.LeftPosition = {0.0f, 0.0f};
    s.RightPosition = {0.0f, 0.0f};
    s.LeftAngles = {-0.5f, 0.5f};
    s.RightAngles = {-0.5f, 0.5f};
    s.TopPosition = {0.0f, 1.0f, 0.0f};
    s.ButtomPosition = {0.0f, 0.0f, 0.0f};
    s.TopAngle = 0.3f;
    s.ButtomAngle = 0.0f;
    return s;
}

D3DXMATRIX Frame(float x, float y, float z, float heading) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, heading);
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

} // namespace

TEST(FiringSectors, PointInSector) {
    const ShipSector s = StarboardSector();
    const struct {
        D3DXVECTOR3 p;
        bool inside;
        const char* what;
    } cases[] = {
        {{10.0f, 0.5f, 0.0f}, true, "abeam"},
        {{10.0f * std::cos(0.6f), 0.5f, 10.0f * std::sin(0.6f)}, false, "beyond the bearing window"},
        {{-10.0f, 0.5f, 0.0f}, false, "the other side"},
        {{10.0f, 1.0f, 0.0f}, true, "exactly at the top position's height"},
        {{10.0f, 1.0f + 10.0f * std::tan(0.25f), 0.0f}, true, "below the top angle"},
        {{10.0f, 1.0f + 10.0f * std::tan(0.4f), 0.0f}, false, "above the top angle"},
        {{10.0f, -3.0f, 0.0f}, true, "below the bottom position, bottom angle 0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPointInSector(s, c.p), c.inside) << c.what;

    ShipSector limits = s;
    limits.LeftAngles = {0.0f, 0.5f}; // the point abeam lies exactly on the least bearing
    EXPECT_TRUE(IsPointInSector(limits, {10.0f, 0.5f, 0.0f}));
    limits.LeftAngles = {0.01f, 0.5f};
    EXPECT_FALSE(IsPointInSector(limits, {10.0f, 0.5f, 0.0f}));

    ShipSector steep = s;
    steep.ButtomAngle = 0.5f; // a point below fails when its depression is less than this
    EXPECT_FALSE(IsPointInSector(steep, {10.0f, -1.0f, 0.0f}));
    EXPECT_TRUE(IsPointInSector(steep, {1.0f, -10.0f, 0.0f}));

    std::vector<ShipSector> sectors;
    const D3DXVECTOR3 abeam(10.0f, 0.5f, 0.0f);
    EXPECT_FALSE(IsPointInAnySector(sectors, &abeam));
    ShipSector port = s;
    port.Direction = {-1.0f, 0.0f};
    port.Right = {0.0f, 1.0f};
    sectors = {port, s};
    EXPECT_TRUE(IsPointInAnySector(sectors, &abeam));
    EXPECT_FALSE(IsPointInAnySector(sectors, nullptr));
}

TEST(FiringSectors, BearingAndElevationFromAFrame) {
    const D3DXMATRIX m = Frame(5.0f, 2.0f, 5.0f, 0.0f); // facing +z, right +x
    const D3DXVECTOR3 ahead(5.0f, 2.0f, 20.0f), right(15.0f, 2.0f, 5.0f), left(-5.0f, 2.0f, 5.0f);
    EXPECT_NEAR(GetBearingInFrame(m, &ahead), 0.0f, 1e-3f);
    EXPECT_NEAR(GetBearingInFrame(m, &right), kPi / 2, 1e-3f);
    EXPECT_NEAR(GetBearingInFrame(m, &left), -kPi / 2, 1e-3f);
    EXPECT_FLOAT_EQ(GetBearingInFrame(m, nullptr), -1000.0f);

    const D3DXVECTOR3 above(5.0f, 12.0f, 5.0f), level(5.0f, 2.0f, 15.0f), below(5.0f, -8.0f, 15.0f),
        up(5.0f, 12.0f, 15.0f);
    EXPECT_NEAR(GetElevationToPoint(m, &above), kPi / 2, 1e-3f);
    EXPECT_NEAR(GetElevationToPoint(m, &level), 0.0f, 1e-6f);
    EXPECT_NEAR(GetElevationToPoint(m, &below), GetElevationToPoint(m, &up), 1e-6f); // never negative
    const D3DXVECTOR3 self(5.0f, 2.0f, 5.0f);
    EXPECT_FLOAT_EQ(GetElevationToPoint(m, &self), 0.0f); // the gun's own position: no angle, no NaN
}

TEST(FiringSectors, WindowsAndOverlap) {
    const D3DXMATRIX m = Frame(0.0f, 0.0f, 0.0f, 0.0f);
    CArtilleryPart a, b;
    a.WorldCenter = {10.0f, 0.0f, 10.0f};  // +45 degrees
    b.WorldCenter = {-10.0f, 5.0f, 10.0f}; // -45 degrees, raised
    std::vector<CArtilleryPart*> points = {&a, &b};
    const AngleWindow w = GetBearingWindow(m, &points);
    EXPECT_NEAR(w.x, -kPi / 4, 1e-3f);
    EXPECT_NEAR(w.y, kPi / 4, 1e-3f);
    const AngleWindow e = GetElevationWindow(m, &points);
    EXPECT_NEAR(e.x, 0.0f, 1e-5f);
    EXPECT_GT(e.y, 0.0f);
    std::vector<CArtilleryPart*> none;
    const AngleWindow empty = GetBearingWindow(m, &none);
    EXPECT_FLOAT_EQ(empty.x, 1000.0f);
    EXPECT_FLOAT_EQ(empty.y, -1000.0f);
    EXPECT_FALSE(IsWindowOverlapping(empty, w));
    EXPECT_FALSE(IsWindowOverlapping(GetBearingWindow(m, nullptr), w));

    const float c = 0.3f, t = 0.0872665f;
    const struct {
        AngleWindow a, b;
        bool overlap;
        const char* what;
    } cases[] = {
        {{c, c}, {c - t, c + t}, true, "one target on the bearing, tolerance window"},
        {{c, c}, {c, c}, false, "a degenerate window against itself"},
        {{0.0f, 1.0f}, {0.0f, 1.0f}, false, "identical windows"},
        {{0.0f, 1.0f}, {1.0f, 2.0f}, false, "windows that only touch"},
        {{0.0f, 1.0f}, {0.5f, 2.0f}, true, "partly overlapping"},
        {{0.0f, 3.0f}, {1.0f, 2.0f}, true, "one inside the other"},
        {{c + t, c + t}, {c - t, c + t}, false, "exactly on the tolerance's edge"},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(IsWindowOverlapping(k.a, k.b), k.overlap) << k.what;
        EXPECT_EQ(IsWindowOverlapping(k.b, k.a), k.overlap) << k.what << " (swapped)";
    }
}

TEST(FiringSectors, LineOfFireBlockedByAHullBetween) {
    VornaTest::ShipWorld world;
    world.AddShip({0.0f, 0.0f, 0.0f});
    world.AddShip({0.0f, 0.0f, 200.0f});
    world.AddShip({0.0f, 0.0f, 100.0f}); // between
    world.AddShip({60.0f, 0.0f, 100.0f}); // beside the line
    auto* own = world.m_objects[0].get();
    auto* target = world.m_objects[1].get();
    auto* middle = world.m_objects[2].get();
    auto* beside = world.m_objects[3].get();
    EXPECT_TRUE(IsFireLineBlocked(&world.m_tree, own, target));
    // The hull beside the line never blocks; with the middle one gone the line is free.
    world.m_tree.RemoveSceneObject(middle);
    EXPECT_FALSE(IsFireLineBlocked(&world.m_tree, own, target));
    // A ship beside the line is no obstacle to a target beside it either.
    EXPECT_FALSE(IsFireLineBlocked(&world.m_tree, target, beside));
    EXPECT_FALSE(IsFireLineBlocked(nullptr, own, target));
    // The two ships themselves never block their own line.
    EXPECT_FALSE(IsFireLineBlocked(&world.m_tree, own, own));
}

TEST(ArtilleryShip, TargetsAreClampedAndChoicesForgotten) {
    CVR3GAMEArtilleryShip art;
    CVR3GAMEBattleMapShip a, b, c;
    EXPECT_FALSE(art.AddTarget(nullptr, 50.0f, 100.0f));
    EXPECT_TRUE(art.AddTarget(&a, 0.0f, 100.0f));
    EXPECT_TRUE(art.AddTarget(&b, 95.5f, -400.0f));
    EXPECT_TRUE(art.AddTarget(&c, 50.0f, 1.0f));
    ASSERT_EQ(art.m_vTargets.size(), 3u);
    EXPECT_FLOAT_EQ(art.m_vTargets[0].MinHitProbability, 1.0f);
    EXPECT_FLOAT_EQ(art.m_vTargets[1].MinHitProbability, 95.0f);
    EXPECT_FLOAT_EQ(art.m_vTargets[1].RangeSquared, 400.0f);
    EXPECT_FLOAT_EQ(art.m_vTargets[2].MinHitProbability, 50.0f);
    EXPECT_TRUE(art.m_vTargets[2].m_bFlag);

    auto* part = new CArtilleryPart();
    auto* gun = new CArtilleryPart();
    part->m_vChildren.push_back(gun);
    art.m_vParts.push_back(part);
    ArtilleryTarget* first = &art.m_vTargets[0];
    part->m_pChosenTarget = first;
    gun->m_pChosenTarget = first;
    for (int i = 0; i < 20; ++i) // growing the list keeps the chosen entry where it was
        art.AddTarget(&c, 10.0f, 1.0f);
    EXPECT_EQ(&art.m_vTargets[0], first);
    art.ClearTargets();
    EXPECT_TRUE(art.m_vTargets.empty());
    EXPECT_EQ(part->m_pChosenTarget, nullptr);
    EXPECT_EQ(gun->m_pChosenTarget, nullptr);
}

TEST(ArtilleryShip, DamageElementsByKind) {
    CBattleSystemShipPart hull;
    CBattleSystemShipGun gun;
    CArtilleryPart p, g, none;
    p.m_pDamageElement = &hull;
    g.m_pDamageElement = &gun;
    EXPECT_EQ(p.GetHullPart(), &hull);
    EXPECT_EQ(p.GetGun(), nullptr);
    EXPECT_EQ(g.GetGun(), &gun);
    EXPECT_EQ(g.GetHullPart(), nullptr);
    EXPECT_EQ(none.GetGun(), nullptr);
    // The gun seen through its header is the same record.
    gun.Shells = 7;
    EXPECT_EQ(g.GetGun()->Shells, 7);
}

TEST(ArtilleryShip, NestedPartsAreFreedOnce) {
    // Run under the sanitizers: a double or missed free shows there.
    auto* art = new CVR3GAMEArtilleryShip();
    for (int i = 0; i < 3; ++i) {
        auto* turret = new CArtilleryPart();
        for (int k = 0; k < 2; ++k) {
            auto* gun = new CArtilleryPart();
            gun->m_vChildren.push_back(new CArtilleryPart());
            turret->m_vChildren.push_back(gun);
        }
        art->m_vParts.push_back(turret);
    }
    delete art;
    SUCCEED();
}
