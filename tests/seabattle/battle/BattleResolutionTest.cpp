// The battle resolution: the hit chance, the shot queue and its hit roll,
// a hit on a hull part, the damage pass, death, rams and reloads. Every roll
// comes from an installed sequence, so the results are exact.
#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "platform/os/Crt.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/MotionWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <memory>

using namespace SeaBattle;

namespace {

// A random value that GetRandomFloat maps to the given share of its range.
constexpr uint32_t Share(double r) { return static_cast<uint32_t>(r * 4294967296.0); }
constexpr uint32_t kMiddle = 0x80000000u; // GetRandomFloat(-a, a) gives 0

class Resolution : public ::testing::Test {
protected:
    void SetUp() override {
        state().ClearBattleProcessing(true);
        // A stopped battle clock at 1 s: every shot is fired then.
        m_timer.m_dwGameTime = 1000;
        state().SetGameTimer(&m_timer);
        CVR3GAMEBattleLog::Get().Clear();
    }
    void TearDown() override {
        Platform::SetRandomSource(nullptr);
        state().SetGameTimer(nullptr);
        state().ClearBattleProcessing(true);
        CVR3GAMEBattleLog::Get().Clear();
    }
    void Rolls(std::vector<uint32_t> values) {
        m_random = std::make_unique<Platform::SequenceRandom>(std::move(values));
        Platform::SetRandomSource(m_random.get());
    }
    static BattleProcessingState& state() { return BattleProcessingState::Get(); }

    std::unique_ptr<Platform::SequenceRandom> m_random;
    Vorna3D::CDX9KelGameTimer m_timer;
};

// Six sided hull parts of 100 durability and buoyancy, 10 long and high,
// waterline at 5; crew training 1, no pumps.
CVR3GAMEBattleSystemShip* MakeDamageModel() {
    auto* d = new CVR3GAMEBattleSystemShip;
    d->Name = "Hull";
    for (int i = 0; i < 6; ++i) {
        auto* p = new CBattleSystemShipPart;
        p->Durability = 100.0f;
        p->Buoyancy = 100.0f;
        p->Length = 10.0f;
        p->Height = 10.0f;
        p->InitialWaterline = p->Waterline = 5.0f;
        d->Parts.push_back(p);
    }
    d->Displacement = 1000;
    d->CrewTraining = 1.0f;
    d->Init();
    return d;
}

struct TestShip {
    explicit TestShip(const char* name = "Target") {
        ship.m_strName = name;
        ship.m_pBattleShip = MakeDamageModel();
    }
    CVR3GAMEBattleSystemShip& d() { return *ship.m_pBattleShip; }
    CBattleSystemShipPart& part(int i) { return *ship.m_pBattleShip->Parts[static_cast<std::size_t>(i)]; }
    CVR3GAMEBattleMapShip ship;
};

CBattleSystemShipGun MakeGun(float damage) {
    CBattleSystemShipGun g;
    std::snprintf(g.Tag, sizeof g.Tag, "%s", "Gun");
    g.Damage = damage;
    g.BeginArmourPirce = 50.0f;
    g.FallArmourPirce = 0.01f;
    g.HoleProbability = 50;
    g.DamageToWaterFactor = 1.0f;
    return g;
}

} // namespace

// ---- hit chance ----

TEST(HitProbability, FormulaAndLimits) {
    struct Case {
        float a, b, c, d, expected;
    } cases[] = {
        {100.0f, 0.1f, 1.0f, 800.0f, 89.0f},  // 99 - 10, no area term
        {100.0f, 0.1f, 1.0f, 1050.0f, 99.0f}, // 89 + 10 capped at 99
        {100.0f, 0.1f, 1.0f, 300.0f, 69.0f},  // 89 - 20
        {990.0f, 0.1f, 1.0f, 5000.0f, 0.0f},  // q = 0 exactly: nothing
        {2000.0f, 0.1f, 1.0f, 5000.0f, 0.0f}, // q below 0
        {900.0f, 0.1f, 1.0f, 0.0f, 0.0f},     // 9 - 32 raised to 0
        {0.0f, 0.1f, 0.5f, 800.0f, 49.5f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(BattleProcessingState::HitProbability(c.a, c.b, c.c, c.d), c.expected)
            << c.a << " " << c.b << " " << c.c << " " << c.d;
}

// ---- the shot queue ----

struct ShotSetup {
    ShotSetup() {
        D3DXMatrixIdentity(&firing);
        D3DXMatrixIdentity(&target);
        hull.Area = 40.0f;
        hull.Durability = 100.0f;
        part.m_pDamageElement = &hull;
        parts.push_back(&part);
        gun = MakeGun(10.0f);
    }
    ~ShotSetup() { part.m_pDamageElement = nullptr; }
    bool Add(BattleProcessingState& s, float chance, float distance, DWORD flight) {
        return s.AddShot(&firing, &target, &gunPart, &gun, &parts, 40.0f, chance, distance, flight);
    }
    D3DXMATRIX firing, target;
    CVR3GAMEAnimatedPart gunPart;
    CBattleSystemShipGun gun;
    CBattleSystemShipPart hull;
    CArtilleryPart part;
    std::vector<CArtilleryPart*> parts;
};

TEST_F(Resolution, AddShotRefusesMissingPointersAndEmptyTargets) {
    ShotSetup s;
    std::vector<CArtilleryPart*> none;
    EXPECT_FALSE(state().AddShot(nullptr, &s.target, &s.gunPart, &s.gun, &s.parts, 1, 1, 1, 1));
    EXPECT_FALSE(state().AddShot(&s.firing, nullptr, &s.gunPart, &s.gun, &s.parts, 1, 1, 1, 1));
    EXPECT_FALSE(state().AddShot(&s.firing, &s.target, nullptr, &s.gun, &s.parts, 1, 1, 1, 1));
    EXPECT_FALSE(state().AddShot(&s.firing, &s.target, &s.gunPart, nullptr, &s.parts, 1, 1, 1, 1));
    EXPECT_FALSE(state().AddShot(&s.firing, &s.target, &s.gunPart, &s.gun, &none, 1, 1, 1, 1));
    EXPECT_FALSE(state().AddShot(&s.firing, &s.target, &s.gunPart, &s.gun, nullptr, 1, 1, 1, 1));
    EXPECT_EQ(state().GetPendingShotCount(), 0u);
}

TEST_F(Resolution, ShotWaitsForItsFlightTimeThenLandsAndStartsTheReload) {
    ShotSetup s;
    Rolls({99}); // a miss at chance 50: roll 99 > 50
    ASSERT_TRUE(s.Add(state(), 50.0f, 10.0f, 700));
    const DWORD fired = 1000;
    state().ProcessShots(fired + 699);
    EXPECT_EQ(state().GetPendingShotCount(), 1u);
    EXPECT_FALSE(s.gun.ShotLanded);
    state().ProcessShots(fired + 700);
    EXPECT_EQ(state().GetPendingShotCount(), 0u);
    EXPECT_TRUE(s.gun.ShotLanded);
    EXPECT_EQ(s.gun.LandingTime, fired + 700);
    EXPECT_EQ(state().GetShotPoolSize(), BattleProcessingState::kShotPoolSize);
}

TEST_F(Resolution, ShotPoolGrowsPastItsSizeAndSlotsAreReused) {
    ShotSetup s;
    for (unsigned i = 0; i < BattleProcessingState::kShotPoolSize + 5; ++i) ASSERT_TRUE(s.Add(state(), 50, 1, 0));
    EXPECT_EQ(state().GetActiveShots().size(), BattleProcessingState::kShotPoolSize + 5);
    EXPECT_EQ(state().GetShotPoolSize(), 0u);
    state().ClearBattleProcessing(false);
    EXPECT_EQ(state().GetPendingShotCount(), 0u);
    EXPECT_EQ(state().GetShotPoolSize(), BattleProcessingState::kShotPoolSize + 5);
    ASSERT_TRUE(s.Add(state(), 50, 1, 0));
    EXPECT_EQ(state().GetActiveShots().size(), BattleProcessingState::kShotPoolSize + 5); // no growth
}

TEST_F(Resolution, HitRollAgainstTheChance) {
    struct Case {
        float chance;
        uint32_t roll;
        EShotOutcome expected;
    } cases[] = {
        {100.0f, 99, SHOT_HIT}, {0.0f, 0, SHOT_HIT},    {0.0f, 1, SHOT_MISS},   {100.5f, 99, SHOT_HIT},
        {101.0f, 0, SHOT_MISS}, {-1.0f, 0, SHOT_MISS},  {-0.5f, 0, SHOT_HIT}, // -0.5 truncates to 0
        {42.9f, 42, SHOT_HIT},  {42.9f, 43, SHOT_MISS}, {NAN, 0, SHOT_MISS},
    };
    for (const Case& c : cases) {
        ShotSetup s;
        ShotRecord shot;
        shot.m_pFiringMatrix = &s.firing;
        shot.m_pTargetMatrix = &s.target;
        shot.m_pGunPart = &s.gunPart;
        shot.m_pGun = &s.gun;
        shot.m_vTargetParts = s.parts;
        shot.m_fPartArea = 40.0f;
        shot.m_fHitChance = c.chance;
        shot.m_fDistance = 10.0f;
        Rolls({c.roll, 0, kMiddle, kMiddle, kMiddle, 99, 99});
        EXPECT_EQ(state().ProcessShot(&shot, 5000), c.expected) << c.chance << " roll " << c.roll;
        EXPECT_TRUE(s.gun.ShotLanded);
        EXPECT_EQ(s.hull.DamageTaken > 0.0f, c.expected == SHOT_HIT) << c.chance;
    }
}

TEST_F(Resolution, SplashLandsAlongTheGunAndNeverAtTheTarget) {
    struct Case {
        uint32_t draw;
        float expected;
    } cases[] = {
        {0, 50.0f},                   // s = 0.5 d
        {Share(0.5), 125.0f},         // s = 0.5 d + 0.75 d
        {Share(1.0 / 3.0), 50.0f},    // s = d exactly: half the distance instead
        {Share(1.0 / 3.0 + 0.004), 50.0f}, // within 1.0 of d
        {Share(1.0 / 3.0 + 0.01), 101.5f},
    };
    for (const Case& c : cases) {
        ShotSetup s;
        D3DXMatrixTranslation(&s.firing, 3.0f, 2.0f, 0.0f);
        ShotRecord shot;
        shot.m_pFiringMatrix = &s.firing;
        shot.m_pTargetMatrix = &s.target;
        shot.m_pGunPart = &s.gunPart;
        shot.m_pGun = &s.gun;
        shot.m_vTargetParts = s.parts;
        shot.m_fHitChance = 101.0f;
        shot.m_fDistance = 100.0f;
        Rolls({c.draw});
        ASSERT_EQ(state().ProcessShot(&shot, 1), SHOT_MISS);
        EXPECT_NEAR(state().m_mEffect._43, c.expected, 0.01f) << c.draw;
        EXPECT_FLOAT_EQ(state().m_mEffect._41, 3.0f);
        EXPECT_FLOAT_EQ(state().m_mEffect._42, 0.0f); // on the water
    }
}

TEST_F(Resolution, TwoShotsDueTogetherLandInSlotOrder) {
    ShotSetup a, b;
    Rolls({99});
    ASSERT_TRUE(a.Add(state(), 50, 1, 100));
    ASSERT_TRUE(b.Add(state(), 50, 1, 0));
    auto slotOf = [](const CBattleSystemShipGun* gun) {
        const std::vector<ShotRecord*>& shots = state().GetActiveShots();
        for (std::size_t i = 0; i < shots.size(); ++i)
            if (shots[i] && shots[i]->m_pGun == gun) return i;
        return shots.size();
    };
    const std::size_t slotA = slotOf(&a.gun), slotB = slotOf(&b.gun);
    ASSERT_NE(slotA, slotB);
    state().ProcessShots(1099);
    EXPECT_FALSE(a.gun.ShotLanded);
    EXPECT_TRUE(b.gun.ShotLanded);
    state().ProcessShots(1100);
    EXPECT_TRUE(a.gun.ShotLanded);
    // Resolved in slot order: the higher slot was freed last and is taken first.
    ASSERT_TRUE(a.Add(state(), 50, 1, 0));
    EXPECT_EQ(slotOf(&a.gun), slotA);
    state().ProcessShots(1000);
    ShotSetup c, d;
    ASSERT_TRUE(c.Add(state(), 50, 1, 0));
    ASSERT_TRUE(d.Add(state(), 50, 1, 0));
    const std::size_t higher = std::max(slotOf(&c.gun), slotOf(&d.gun));
    state().ProcessShots(1000);
    ASSERT_TRUE(c.Add(state(), 50, 1, 0));
    EXPECT_EQ(slotOf(&c.gun), higher);
}

TEST_F(Resolution, HitPartIsDrawnBySideArea) {
    CBattleSystemShipPart small, large;
    small.Area = 10.0f;
    large.Area = 30.0f;
    CBattleSystemShipGun gun; // not a hull part: skipped
    CArtilleryPart a, g, b;
    a.m_pDamageElement = &small;
    g.m_pDamageElement = &gun;
    b.m_pDamageElement = &large;
    std::vector<CArtilleryPart*> parts{&g, &a, nullptr, &b};
    struct Case {
        uint32_t roll;
        CBattleSystemDamageElement* expected;
    } cases[] = {{0, &small}, {10, &small}, {11, &large}, {39, &large}, {40, &small} /* 40 mod 40 */};
    for (const Case& c : cases) {
        Rolls({c.roll});
        CArtilleryPart* out = nullptr;
        EXPECT_EQ(state().SelectHitPart(&parts, 40.0f, &out), c.expected) << c.roll;
        EXPECT_EQ(out ? out->m_pDamageElement : nullptr, c.expected);
    }
    EXPECT_EQ(state().SelectHitPart(&parts, -1.0f, nullptr), nullptr);
    std::vector<CArtilleryPart*> empty;
    EXPECT_EQ(state().SelectHitPart(&empty, 40.0f, nullptr), nullptr);
    a.m_pDamageElement = g.m_pDamageElement = b.m_pDamageElement = nullptr;
}

// ---- a hit on a hull part ----

TEST(ArmourRect, BoundsAreInclusive) {
    CBattleFloatRect r{1.0f, 4.0f, 3.0f, 2.0f};
    EXPECT_TRUE(IsPointInArmourRect(&r, D3DXVECTOR2(1.0f, 2.0f)));
    EXPECT_TRUE(IsPointInArmourRect(&r, D3DXVECTOR2(3.0f, 4.0f)));
    EXPECT_FALSE(IsPointInArmourRect(&r, D3DXVECTOR2(3.01f, 3.0f)));
    EXPECT_FALSE(IsPointInArmourRect(&r, D3DXVECTOR2(2.0f, 1.99f)));
    EXPECT_FALSE(IsPointInArmourRect(nullptr, D3DXVECTOR2(2.0f, 3.0f)));
}

TEST_F(Resolution, HitOnAHullPart) {
    // The point on the side face comes from the first two draws: x = 0.5 of
    // the length, y = 0.5 of (waterline - 0.5 .. height) = 6.75.
    struct Case {
        const char* what;
        float armour;      // in a zone covering the whole face; 0 = no zone
        float range;       // pen = 50 - 0.01 range
        float fireBefore;
        std::vector<uint32_t> rolls; // after the two point draws
        float damage;      // expected DamageTaken
        std::size_t holes;
        float fire;
    } cases[] = {
        {"no armour: full damage", 0.0f, 0.0f, 0.0f, {kMiddle, 99, 99}, 20.0f, 0, 0.0f},
        {"scatter +10% at most", 0.0f, 0.0f, 0.0f, {0xFFFFFFFFu, 99}, 22.0f, 0, 0.0f},
        {"scatter -10%", 0.0f, 0.0f, 0.0f, {0, 99}, 18.0f, 0, 0.0f},
        {"hole, no fire", 0.0f, 0.0f, 0.0f, {kMiddle, 50, 11}, 20.0f, 1, 0.0f},
        {"hole and fire", 0.0f, 0.0f, 0.0f, {kMiddle, 0, 10, Share(0.5)}, 20.0f, 1, 5.0f}, // 0.25 x 20
        {"armour equal to pen: 0.4 damage, no pierce", 40.0f, 1000.0f, 0.0f, {kMiddle, 0, 0}, 8.0f, 0, 0.0f},
        {"armour above pen", 80.0f, 0.0f, 0.0f, {kMiddle, 0, 0}, 5.0f, 0, 0.0f}, // 50/80 x 20 x 0.4
        {"pen 0 with armour: nothing", 40.0f, 6000.0f, 0.0f, {0, 0, 0}, 0.0f, 0, 0.0f},
        {"a burning part does not catch fire again", 0.0f, 0.0f, 3.0f, {kMiddle, 0, 0, Share(0.9)}, 20.0f, 1, 3.0f},
    };
    for (const Case& c : cases) {
        CBattleSystemShipPart part;
        part.Durability = 100.0f;
        part.Length = 10.0f;
        part.Height = 10.0f;
        part.Waterline = 4.0f;
        part.IgnitionFactor = 10;
        part.Fire = c.fireBefore;
        if (c.armour > 0.0f) {
            part.ArmourRect1 = CBattleFloatRect{0.0f, 10.0f, 10.0f, 0.0f};
            part.Armour1 = c.armour;
        }
        CBattleSystemShipGun gun = MakeGun(20.0f);
        gun.HoleProbability = 50;
        std::vector<uint32_t> rolls{kMiddle, kMiddle};
        rolls.insert(rolls.end(), c.rolls.begin(), c.rolls.end());
        Rolls(rolls);
        state().HitShipPart(&gun, &part, c.range);
        EXPECT_NEAR(part.DamageTaken, c.damage, 1e-3f) << c.what;
        EXPECT_NEAR(gun.DamageDealt, c.damage, 1e-3f) << c.what;
        EXPECT_EQ(part.Holes.size(), c.holes) << c.what;
        EXPECT_NEAR(part.Fire, c.fire, 1e-3f) << c.what;
        EXPECT_FLOAT_EQ(state().m_vHitPoint.x, 5.0f);
        EXPECT_FLOAT_EQ(state().m_vHitPoint.y, 6.75f);
        if (c.holes) {
            EXPECT_FLOAT_EQ(part.Holes[0].Height, 6.75f);
            EXPECT_NEAR(part.Holes[0].Size, c.damage, 1e-3f);
        }
    }
}

TEST_F(Resolution, HoleProbabilityZeroStillHolesOnARollOfZeroAndDamageIsCapped) {
    CBattleSystemShipPart part;
    part.Durability = 15.0f;
    part.Length = part.Height = 10.0f;
    CBattleSystemShipGun gun = MakeGun(20.0f);
    gun.HoleProbability = 0;
    Rolls({kMiddle, kMiddle, kMiddle, 0, 99});
    state().HitShipPart(&gun, &part, 0.0f);
    EXPECT_EQ(part.Holes.size(), 1u);
    EXPECT_FLOAT_EQ(part.DamageTaken, 15.0f); // capped at the durability
    EXPECT_FLOAT_EQ(gun.DamageDealt, 20.0f);  // not capped
    gun.HoleProbability = 100;
    Rolls({kMiddle, kMiddle, kMiddle, 99, 99});
    state().HitShipPart(&gun, &part, 0.0f);
    EXPECT_EQ(part.Holes.size(), 2u);
}

// ---- reloads and the task order ----

TEST_F(Resolution, ReloadCountsFromTheLandingAndSkipsLongStalls) {
    TestShip t;
    t.part(1).Guns.emplace_back();
    CBattleSystemShipGun& gun = t.part(1).Guns.back();
    gun.CurrentRecharge = 10.0f;
    std::vector<CVR3GAMEBattleMapShip*> ships{&t.ship};
    state().RegisterPlayer("Red", &ships);
    struct Case {
        DWORD gap;
        DWORD now;
        bool reloaded;
    } cases[] = {{0, 10999, false}, {0, 11000, true}, {12000, 22999, false}, {12000, 23000, true}};
    for (const Case& c : cases) {
        gun.Reloading = gun.ShotLanded = true;
        gun.LandingTime = 1000;
        state().UpdateGunReloads(c.now, c.gap);
        EXPECT_EQ(!gun.Reloading && !gun.ShotLanded, c.reloaded) << c.gap << " " << c.now;
    }
}

TEST_F(Resolution, OneTaskPerCallDamageFirstAndStallsReportedOnlyFromTenSeconds) {
    Vorna3D::CDX9KelGameTimer timer;
    timer.m_dwRunning = 0; // a stopped clock reads its game time
    state().SetGameTimer(&timer);
    timer.m_dwGameTime = 5000;
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_DAMAGE);
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_RELOAD);
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_RAMS);
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_SHOTS);
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_NONE);
    timer.m_dwGameTime = 5100;
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_SHOTS);
    timer.m_dwGameTime = 14100; // a 9 s stall
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_DAMAGE);
    EXPECT_EQ(state().m_dwLastGap, 0u);
    timer.m_dwGameTime = 26100; // 12 s
    EXPECT_EQ(state().ProcessBattle(), BATTLE_TASK_DAMAGE);
    EXPECT_EQ(state().m_dwLastGap, 12000u);
    state().SetGameTimer(nullptr);
}

// ---- the damage pass ----

TEST_F(Resolution, DamageRoundRobinVisitsEachShipOnceEveryTwoSecondsTimesTheShipCount) {
    std::vector<std::unique_ptr<TestShip>> all;
    std::vector<CVR3GAMEBattleMapShip*> lists[3];
    const int sizes[3] = {5, 3, 3};
    for (int l = 0; l < 3; ++l)
        for (int i = 0; i < sizes[l]; ++i) {
            all.push_back(std::make_unique<TestShip>());
            lists[l].push_back(&all.back()->ship);
        }
    state().RegisterPlayer("A", &lists[0]);
    state().RegisterPlayer("B", &lists[1]);
    state().RegisterPlayer("C", &lists[2]);
    std::vector<std::vector<DWORD>> seen(all.size());
    for (DWORD call = 1; call <= 33; ++call) {
        state().ProcessDamage(call * 2000, 0);
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i]->d().LastDamageTime == call * 2000) seen[i].push_back(call * 2000);
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        ASSERT_EQ(seen[i].size(), 3u) << i;
        EXPECT_EQ(seen[i][1] - seen[i][0], 22000u);
        EXPECT_EQ(seen[i][2] - seen[i][1], 22000u);
    }
}

TEST_F(Resolution, FireGrowsSpreadsForwardAndWears) {
    TestShip t;
    t.part(0).Fire = 100.0f; // at its durability
    t.part(3).Fire = 50.0f;
    t.d().LastDamageTime = 1000;
    state().ProcessShipDamage(&t.ship, 3000, 0); // t = 2 s
    EXPECT_FLOAT_EQ(state().m_fStepSeconds, 2.0f);
    EXPECT_FLOAT_EQ(t.part(0).Fire, 100.0f);
    EXPECT_FLOAT_EQ(t.part(1).Fire, 10.0f * 1.002f); // spread at 10 %, then grown
    EXPECT_FLOAT_EQ(t.part(2).Fire, 0.0f);           // the spread stopped at part 1
    EXPECT_FLOAT_EQ(t.part(3).Fire, 50.0f * 1.002f);
    EXPECT_NEAR(t.part(0).DamageTaken, 100.0f * 0.0001f * 2.0f, 1e-6f);
    EXPECT_NEAR(t.part(1).DamageTaken, 10.02f * 0.0001f * 2.0f, 1e-6f);
    EXPECT_NEAR(t.d().FirePercent, (100.0f + 10.02f + 50.1f) / 600.0f * 100.0f, 1e-3f);
    // Part 0 burns at full strength: its efficiency is 1 - 100/100 = 0.
    EXPECT_FLOAT_EQ(t.part(0).Efficiency, 0.0f);
}

TEST_F(Resolution, FloodingLevellingHeelTrimAndSpeedCap) {
    TestShip t;
    auto* movement = new CVR3GAMEMovementShip;
    movement->m_fMaxDraughtForce = 1000.0f;
    movement->m_fMaxForce = 1000.0f;
    t.ship.m_pMovementShip = movement;
    t.d().InitFloodingFactors();
    t.part(1).Holes.push_back(ShipHole{5.0f, 13.5f, 1.0f}); // at the waterline: floods
    t.part(1).Holes.push_back(ShipHole{5.01f, 13.5f, 1.0f}); // above: does not
    t.part(4).DamageTaken = 6.0f;
    t.part(4).DurabilityChangeSpeed = true;
    t.d().LastDamageTime = 1000;
    state().ProcessShipDamage(&t.ship, 3000, 0);

    const float inflow = 13.5f * 0.0045f * 2.0f; // one standard hole for 2 s
    EXPECT_FLOAT_EQ(t.part(1).ActiveHoles, 1.0f);
    EXPECT_FLOAT_EQ(t.d().ActiveHoles, 1.0f);
    // Levelled over 6 + 1 holes, the holed part twice the others.
    EXPECT_NEAR(t.part(1).Water, inflow / 7.0f * 2.0f, 1e-6f);
    for (int i : {0, 2, 3, 4, 5}) EXPECT_NEAR(t.part(i).Water, inflow / 7.0f, 1e-6f) << i;
    EXPECT_NEAR(t.d().TotalWater, inflow, 1e-6f);
    const float port = inflow / 7.0f * 4.0f, starboard = inflow / 7.0f * 3.0f;
    EXPECT_NEAR(t.d().Heel, -0.5f * std::acos((starboard + 500.0f) / (port + 500.0f)), 1e-4f);
    EXPECT_NEAR(t.d().Trim, 0.0f, 1e-6f); // bow and stern alike
    EXPECT_NEAR(t.d().WaterPercent, inflow / 600.0f * 100.0f, 1e-4f);
    // The waterlines rise with the water and tilt with the heel (no body: width -1).
    const float rise = 5.0f + t.d().WaterlineRise * t.d().TotalWater;
    const float tilt = std::sin(t.d().Heel) * -1.0f * 0.5f * 18.5f;
    EXPECT_NEAR(t.part(0).Waterline, rise - tilt, 1e-4f);
    EXPECT_NEAR(t.part(3).Waterline, rise + tilt, 1e-4f);
    // The engine force loses half the water share, the damage share and a
    // fifth of the speed parts' damage share.
    const float F = 1000.0f;
    const float damage = t.part(4).DamageTaken; // after this pass's repair
    EXPECT_LT(damage, 6.0f);
    const float expected = F - inflow / 600.0f * 0.5f * F - damage / 600.0f * F - damage / 100.0f * 0.2f * F;
    EXPECT_NEAR(movement->m_fMaxForce, expected, 1e-2f);
    EXPECT_TRUE(t.d().DamageStateValid);
}

TEST_F(Resolution, PumpingRepairAndHolePatching) {
    TestShip t;
    t.d().Pomp = 1.0f;
    t.part(0).Water = 6.0f;
    t.part(2).DamageTaken = 10.0f;
    t.part(2).Holes = {ShipHole{9.0f, 0.01f, 1.0f}, ShipHole{9.0f, 5.0f, 1.0f}}; // above the water
    t.d().LastDamageTime = 1000;
    state().ProcessShipDamage(&t.ship, 3000, 0);
    // Pumped: 6/6 x 1 x efficiency x 2 s; efficiency = (5 + 0.9) / 6.
    const float efficiency = 5.9f / 6.0f;
    const float left = 6.0f - 2.0f * efficiency;
    EXPECT_NEAR(t.d().TotalWater, left, 1e-4f);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(t.part(i).Water, left / 6.0f, 1e-5f) << i;
    EXPECT_NEAR(t.d().Efficiency, efficiency, 1e-6f);
    // Repaired: 10/10 x (1000 x 0.00002) x efficiency x 2 s, the same amount patching the oldest holes.
    const float amount = 0.02f * efficiency * 2.0f;
    EXPECT_NEAR(t.part(2).DamageTaken, 10.0f - amount, 1e-5f);
    ASSERT_EQ(t.part(2).Holes.size(), 1u);
    EXPECT_NEAR(t.part(2).Holes[0].Size, 5.0f - (amount - 0.01f), 1e-5f);
}

TEST_F(Resolution, FullPartDrownsItsFireAndExcessWaterGoesToThePairs) {
    TestShip t;
    // Holes in part 1 only: its level share overflows; the excess fills
    // part 4 first, then the stern pair, then the bow pair.
    t.part(1).Holes.push_back(ShipHole{0.0f, 13.5f * 100.0f, 1.0f});
    t.part(1).Water = 0.0f;
    t.part(1).Fire = 5.0f;
    t.d().LastDamageTime = 1000;
    state().ProcessShipDamage(&t.ship, 3000, 0); // 1350 x 0.0045 x 2 = 12.15 in
    // 12.15 / 106 x 101 = 11.58 in part 1, far below its buoyancy: no excess yet.
    EXPECT_NEAR(t.part(1).Water, 12.15f / 106.0f * 101.0f, 1e-3f);
    t.part(1).Buoyancy = 5.0f;
    t.part(4).Buoyancy = 2.0f;
    t.d().LastDamageTime = 1000;
    state().ProcessShipDamage(&t.ship, 3000, 0);
    // Part 1 is full: its fire is out.
    EXPECT_FLOAT_EQ(t.part(1).Water, 5.0f);
    EXPECT_FLOAT_EQ(t.part(1).Fire, 0.0f);
    EXPECT_FLOAT_EQ(t.part(4).Water, 2.0f);
}

TEST_F(Resolution, GunsSwitchOffByEfficiencyAndFlooding) {
    struct Case {
        const char* what;
        float initialWaterline, waterline, partDamage, gunHeight;
        bool active;
    } cases[] = {
        {"healthy", 5.0f, 5.0f, 0.0f, -1.0f, true},
        {"part efficiency below 0.2", 5.0f, 5.0f, 81.0f, -1.0f, false},
        {"part efficiency just above 0.2", 5.0f, 5.0f, 79.0f, -1.0f, true},
        {"under the waterline", 5.0f, 5.0f, 0.0f, 5.0f, false},
        {"above the waterline", 5.0f, 5.0f, 0.0f, 5.5f, true},
    };
    for (const Case& c : cases) {
        TestShip t;
        t.part(2).Guns.emplace_back();
        CBattleSystemShipGun& gun = t.part(2).Guns.back();
        gun.Active = !c.active;
        gun.Height = c.gunHeight;
        gun.RechargeSpeed = 10.0f;
        gun.Damage = 3.0f;
        gun.BeginArmourPirce = 4.0f;
        t.part(2).DamageTaken = c.partDamage;
        state().ProcessShipDamage(&t.ship, 3000, 0);
        EXPECT_EQ(gun.Active, c.active) << c.what;
        EXPECT_EQ(t.d().GunCounts[CVR3GAMEBattleSystemShip::PORT_MAIN_CURRENT], c.active ? 1u : 0u) << c.what;
        if (c.active) {
            EXPECT_NEAR(gun.CurrentRecharge, 10.0f * (2.0f - t.part(2).Efficiency), 1e-4f) << c.what;
            EXPECT_FLOAT_EQ(t.d().ArtilleryRating, 12.0f) << c.what;
        }
    }
}

TEST_F(Resolution, ShipsDieByFloodingCapsizingAndDestruction) {
    struct Case {
        const char* what;
        float water;        // in every part, without holes
        float portHoles;    // hole size in each port part (13.5 = one hole)
        float damage;       // in every part
        bool dead;
    } cases[] = {
        {"afloat", 50.0f, 0.0f, 0.0f, false},
        {"flooded at exactly 0.95", 95.0f, 0.0f, 0.0f, true},
        {"capsized", 0.0f, 1350.0f, 0.0f, true},
        {"destroyed", 0.0f, 0.0f, 95.0f, true},
    };
    for (const Case& c : cases) {
        CVR3GAMEBattleLog::Get().Clear();
        state().ClearBattleProcessing(false);
        TestShip t("Victim");
        t.d().Displacement = 0;
        t.ship.m_pArtilleryShip = new CVR3GAMEArtilleryShip;
        t.ship.m_pAnimatedShip = new CVR3GAMEAnimatedShip;
        for (int i = 0; i < 6; ++i) {
            t.part(i).Water = c.water;
            t.part(i).DamageTaken = c.damage;
            if (i < 3 && c.portHoles > 0.0f) t.part(i).Holes.push_back(ShipHole{0.0f, c.portHoles, 1.0f});
        }
        std::vector<CVR3GAMEBattleMapShip*> ships{&t.ship};
        state().RegisterPlayer("Blue", &ships);
        t.d().LastDamageTime = 2999;
        state().ProcessShipDamage(&t.ship, 3000, 0);
        EXPECT_EQ(!t.d().IsAlive, c.dead) << c.what;
        EXPECT_EQ(t.ship.m_bSunk, c.dead) << c.what;
        EXPECT_EQ(state().m_dwLostShips, c.dead ? 1u : 0u) << c.what;
        EXPECT_EQ(t.ship.m_pArtilleryShip->m_bActive, !c.dead) << c.what;
        EXPECT_EQ(t.ship.m_pAnimatedShip->m_iState,
                  c.dead ? CVR3GAMEAnimatedShip::STATE_SINKING : CVR3GAMEAnimatedShip::STATE_AFLOAT);
        if (c.dead) {
            const CVR3GAMEBattleLogEntry* e = CVR3GAMEBattleLog::Get().GetLastEntry();
            ASSERT_NE(e, nullptr) << c.what;
            EXPECT_EQ(e->m_iKind, BATTLE_LOG_SHIP_DEATH);
            EXPECT_EQ(e->m_strCategory, "Blue");
            EXPECT_EQ(e->m_strSubject, "Victim");
            // A dead ship is not touched again.
            const DWORD last = t.d().LastDamageTime;
            state().ProcessShipDamage(&t.ship, 9000, 0);
            EXPECT_EQ(t.d().LastDamageTime, last);
            EXPECT_EQ(state().m_dwLostShips, 1u);
        } else {
            EXPECT_TRUE(CVR3GAMEBattleLog::Get().IsEmpty());
        }
    }
}

TEST_F(Resolution, DamageClockRestartsWithANewBattleClock) {
    TestShip t;
    t.part(1).Holes.push_back(ShipHole{0.0f, 13.5f, 1.0f});
    t.d().LastDamageTime = 500000; // from the last battle
    state().ProcessShipDamage(&t.ship, 2000, 0);
    EXPECT_FLOAT_EQ(state().m_fStepSeconds, 0.0f);
    EXPECT_FLOAT_EQ(t.d().TotalWater, 0.0f);
    EXPECT_EQ(t.d().LastDamageTime, 2000u);
}

TEST_F(Resolution, ListAngleSignsAndLevels) {
    EXPECT_FLOAT_EQ(ListAngle(1000.0f, 10.0f, 10.0f), 0.0f);
    EXPECT_GT(ListAngle(1000.0f, 0.0f, 10.0f), 0.0f);
    EXPECT_LT(ListAngle(1000.0f, 10.0f, 0.0f), 0.0f);
    EXPECT_NEAR(ListAngle(0.0f, 0.0f, 10.0f), 0.5f * 3.14159265f / 2.0f, 1e-5f);
    EXPECT_FLOAT_EQ(ListAngle(0.0f, 0.0f, 0.0f), 0.0f);
}

TEST_F(Resolution, ShipWithoutPartsOrDurabilityPassesWithoutFault) {
    CVR3GAMEBattleMapShip ship;
    ship.m_pBattleShip = new CVR3GAMEBattleSystemShip;
    state().ProcessShipDamage(&ship, 3000, 0);
    EXPECT_TRUE(ship.m_pBattleShip->IsAlive);
    EXPECT_FLOAT_EQ(ship.m_pBattleShip->DamagePercent, 0.0f);
    auto* part = new CBattleSystemShipPart; // durability 0, buoyancy 0
    part->Fire = 2.0f;
    ship.m_pBattleShip->Parts.push_back(part);
    state().ProcessShipDamage(&ship, 5000, 0);
    EXPECT_TRUE(std::isfinite(part->Efficiency));
    EXPECT_TRUE(std::isfinite(ship.m_pBattleShip->FirePercent));
}

// ---- rams ----

struct RamScene {
    RamScene() {
        attacker.ship.m_pPhysicalObject = &attackerBody;
        target.ship.m_pPhysicalObject = &targetBody;
        attacker.d().RamAttack = true;
        target.part(1).Length = target.part(4).Length = 37.0f; // half of it is 18.5 = 1 world unit
        ships = {&attacker.ship, &target.ship};
    }
    ~RamScene() { attacker.ship.m_pPhysicalObject = target.ship.m_pPhysicalObject = nullptr; }
    void Touch(float x, float y, float z) {
        Vorna3D::CDX9KelPhysicalContact c;
        c.pOther = &attackerBody;
        c.vPoint = D3DXVECTOR3(x, y, z);
        targetBody.Contacts().push_back(c);
    }
    int HoledPart() {
        // A case may have taken the last part away.
        const int parts = static_cast<int>(target.ship.m_pBattleShip->Parts.size());
        for (int i = 0; i < parts; ++i)
            if (!target.part(i).Holes.empty()) return i;
        return -1;
    }
    Vorna3D::CDX9KelPhysicalObjectShip attackerBody, targetBody;
    TestShip attacker{"Ram"}, target{"Rammed"};
    std::vector<CVR3GAMEBattleMapShip*> ships;
};

TEST_F(Resolution, RamHoleLandsOnTheStruckSideAndPart) {
    struct Case {
        float x, z;
        int part;
    } cases[] = {
        {1.0f, 0.0f, 4},  {-1.0f, 0.0f, 1}, {0.0f, 0.0f, 1}, // x exactly 0 is port
        {2.0f, 1.0f, 4},  {2.0f, 1.01f, 3}, {-2.0f, 1.01f, 0},
        {2.0f, -1.0f, 4}, {2.0f, -1.01f, 5}, {-2.0f, -1.5f, 2},
    };
    for (const Case& c : cases) {
        state().ClearBattleProcessing(false);
        RamScene s;
        state().RegisterPlayer("P", &s.ships);
        s.Touch(c.x, -0.1f, c.z);
        const D3DXVECTOR3 point(0, 0, 0);
        ASSERT_TRUE(state().AddRam(&s.attackerBody, &s.targetBody, &point, 600.0f));
        state().ProcessRams();
        EXPECT_EQ(state().GetPendingRamCount(), 0u);
        ASSERT_EQ(s.HoledPart(), c.part) << c.x << " " << c.z;
        const ShipHole& h = s.target.part(c.part).Holes[0];
        EXPECT_FLOAT_EQ(h.Size, 148.5f);
        EXPECT_FLOAT_EQ(h.WaterFactor, 1.0f);
        EXPECT_FLOAT_EQ(h.Height, -0.1f * 18.5f + 5.0f);
    }
}

TEST_F(Resolution, RamIsDroppedWithoutRamImmunityOrSixParts) {
    struct Case {
        const char* what;
        bool ram, immune, contact, sixParts;
    } cases[] = {
        {"no ram", false, false, true, true},
        {"immune", true, true, true, true},
        {"fewer than six parts", true, false, true, false},
    };
    for (const Case& c : cases) {
        state().ClearBattleProcessing(false);
        RamScene s;
        s.attacker.d().RamAttack = c.ram;
        s.target.d().RamImmunity = c.immune;
        if (!c.sixParts) {
            delete s.target.d().Parts.back();
            s.target.d().Parts.pop_back();
        }
        if (c.contact) s.Touch(1.0f, 0.0f, 0.0f);
        state().RegisterPlayer("P", &s.ships);
        RamRecord r;
        r.m_pAttacker = &s.attackerBody;
        r.m_pTarget = &s.targetBody;
        r.m_fStrength = 600.0f;
        EXPECT_FALSE(state().ProcessRam(&r)) << c.what;
        EXPECT_EQ(s.HoledPart(), -1) << c.what;
    }
}

TEST_F(Resolution, ShipsThatPartedBeforeTheRamTaskTakeTheReportedPoint) {
    RamScene s;
    state().RegisterPlayer("P", &s.ships);
    RamRecord r;
    r.m_pAttacker = &s.attackerBody;
    r.m_pTarget = &s.targetBody;
    r.m_vPoint = D3DXVECTOR3(-1.0f, -0.1f, 1.5f); // port bow, in the target's frame
    r.m_fStrength = 600.0f;
    ASSERT_TRUE(state().ProcessRam(&r));
    EXPECT_EQ(s.HoledPart(), 0);
    // A contact still standing gives the point as it is now.
    RamScene t;
    state().RegisterPlayer("Q", &t.ships);
    t.Touch(1.0f, -0.1f, 0.0f);
    r.m_pAttacker = &t.attackerBody;
    r.m_pTarget = &t.targetBody;
    ASSERT_TRUE(state().ProcessRam(&r));
    EXPECT_EQ(t.HoledPart(), 4);
}

TEST_F(Resolution, RamHoleCountsAsElevenStandardHolesUnderTheWaterline) {
    RamScene s;
    state().RegisterPlayer("P", &s.ships);
    s.Touch(1.0f, -0.1f, 0.0f);
    RamRecord r;
    r.m_pAttacker = &s.attackerBody;
    r.m_pTarget = &s.targetBody;
    ASSERT_TRUE(state().ProcessRam(&r));
    state().ProcessShipDamage(&s.target.ship, 3000, 0);
    EXPECT_FLOAT_EQ(s.target.part(4).ActiveHoles, 11.0f);
    EXPECT_FLOAT_EQ(s.target.d().ActiveHoles, 11.0f);
    EXPECT_EQ(state().FindShipByBody(&s.targetBody), &s.target.ship);
    EXPECT_EQ(state().FindShipByBody(nullptr), nullptr);
}

TEST_F(Resolution, EngineForceFollowsTheDamageBothWays) {
    TestShip t;
    auto* movement = new CVR3GAMEMovementShip;
    movement->m_fMaxDraughtForce = 400.0f;
    movement->m_fMaxForce = 400.0f;
    movement->m_fAheadResistance = -1.0f;
    t.ship.m_pMovementShip = movement;
    t.part(0).DamageTaken = 60.0f; // a tenth of the ship's durability
    t.part(0).Fire = 1.0f;         // burning: not repaired in this pass
    state().ProcessShipDamage(&t.ship, 3000, 0);
    EXPECT_NEAR(movement->m_fMaxForce, 400.0f - 0.1f * 400.0f, 0.1f);
    EXPECT_NEAR(movement->m_fMaxSpeed, std::sqrt(movement->m_fMaxForce) * 18.5f, 0.01f);
    // Repaired in the harbour: the next pass gives the full force and its speed back.
    t.part(0).DamageTaken = 0.0f;
    t.part(0).Fire = 0.0f;
    state().ProcessShipDamage(&t.ship, 5000, 0);
    EXPECT_FLOAT_EQ(movement->m_fMaxForce, 400.0f);
    EXPECT_NEAR(movement->m_fMaxSpeed, 20.0f * 18.5f, 0.01f);
}

// ---- a ram through the real physics ----

namespace {

// A ram ship's bow into the side of a cruiser lying stopped across its
// course, on the physics test world at the given frame length. Reports are
// counted as the movement ship files them, and the ram task runs once a
// second as in the battle.
struct RamRun {
    int reports = 0;
    int attackerHoles = 0;
    std::vector<int> targetHoles; // per part
    float firstStrength = 0.0f;
};

RamRun RunRamCollision(unsigned frameMs) {
    BattleProcessingState& state = BattleProcessingState::Get();
    state.ClearBattleProcessing(true);
    VornaTest::MotionWorld w;
    VornaTest::ShipSpec ramSpec;
    ramSpec.mass = 900.0f;
    ramSpec.maxSpeed = 8.0f;
    ramSpec.maxForce = 450.0f;
    ramSpec.instTime = 8.0f;
    ramSpec.maxRotAngle = 0.2f;
    VornaTest::ShipSpec cruiserSpec = ramSpec;
    cruiserSpec.mass = 1400.0f;
    CVR3GAMEMovementShip* ram = w.AddShip(0.0f, -8.0f, ramSpec);
    CVR3GAMEMovementShip* cruiser = w.AddShip(0.0f, 2.0f, cruiserSpec);
    EXPECT_TRUE(ram && cruiser);
    RamRun run;
    if (!ram || !cruiser) return run;
    cruiser->m_pPhysicalObject->GetSceneObject()->RotateY(1.5707964f);
    TestShip attacker("Ram"), target("Cruiser");
    attacker.d().RamAttack = true;
    attacker.ship.m_pPhysicalObject = ram->m_pPhysicalObject;
    target.ship.m_pPhysicalObject = cruiser->m_pPhysicalObject;
    std::vector<CVR3GAMEBattleMapShip*> ships = {&attacker.ship, &target.ship};
    state.RegisterPlayer("P", &ships);
    ram->SetOrderedSpeed(8.0f);
    unsigned nextRamTask = 1000;
    for (unsigned ms = 0; ms < 40000; ms += frameMs) {
        const std::size_t before = state.GetPendingRamCount();
        w.Frame(frameMs);
        const std::size_t after = state.GetPendingRamCount();
        if (after > before) {
            if (run.reports == 0)
                for (const RamRecord* r : state.GetActiveRams())
                    if (r) run.firstStrength = r->m_fStrength;
            run.reports += static_cast<int>(after - before);
        }
        if (w.elapsedMs >= nextRamTask) {
            nextRamTask += 1000;
            state.ProcessRams();
        }
    }
    for (int i = 0; i < 6; ++i) {
        run.attackerHoles += static_cast<int>(attacker.part(i).Holes.size());
        run.targetHoles.push_back(static_cast<int>(target.part(i).Holes.size()));
    }
    attacker.ship.m_pPhysicalObject = target.ship.m_pPhysicalObject = nullptr;
    state.ClearBattleProcessing(true);
    return run;
}

} // namespace

TEST_F(Resolution, OneCollisionIsOneRamAndOneHoleAtAnyFrameLength) {
    for (unsigned frameMs : {10u, 16u, 33u, 60u}) {
        const RamRun run = RunRamCollision(frameMs);
        EXPECT_EQ(run.reports, 1) << frameMs << " ms frames";
        EXPECT_GE(run.firstStrength, 500.0f) << frameMs << " ms frames";
        int holes = 0;
        for (int h : run.targetHoles) holes += h;
        EXPECT_EQ(holes, 1) << frameMs << " ms frames";
        // The struck side's middle part: the bow met the cruiser amidships.
        EXPECT_EQ(run.targetHoles[1] + run.targetHoles[4], 1) << frameMs << " ms frames";
        EXPECT_EQ(run.attackerHoles, 0) << frameMs << " ms frames";
    }
}
