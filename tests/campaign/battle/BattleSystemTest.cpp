// The campaign battle system: hit chance, zones, hits on armour, the checks
// of one gun, rams and collisions, the bombardment and attack-turn steps,
// and the round result (holes, water, fire, repair, gun state, heel, death).
// Random numbers come from a fixed sequence, so every value is hand-computed.
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/data/DataTestSupport.h"
#include "common/DemoData.h"
#include "common/OffscreenDevice.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"
#include <tinyxml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace VornaCampaign;
using Vorna2::CDX9KelBoundsRecord;
using Vorna2::CDX9KelSceneObject;

namespace {

constexpr float kPi = 3.14159265f;

// The source value that makes GetRandomFloat(a, b) give a + (b - a) x f.
std::uint32_t F(double f) { return static_cast<std::uint32_t>(f * 4294967296.0); }

// Installs a fixed random sequence for the scope.
class FixedRandom {
public:
    explicit FixedRandom(std::vector<std::uint32_t> values) : m_source(std::move(values)) {
        Platform::SetRandomSource(&m_source);
    }
    ~FixedRandom() { Platform::SetRandomSource(nullptr); }

private:
    Platform::SequenceRandom m_source;
};

PartRect Zone(float a0, float a1, float b0 = 0.0f, float b1 = 0.0f) {
    PartRect r;
    r.left = a0;
    r.top = a1;
    r.right = b0;
    r.bottom = b1;
    return r;
}

PartRecord MakePart(float durability, float height, float waterline, float length, PartRect zone) {
    PartRecord p;
    p.m_fDurability = durability;
    p.m_fBuoyancy = 200.0f;
    p.m_fLength = length;
    p.m_fHeight = height;
    p.m_fWaterline = p.m_fDesignWaterline = waterline;
    p.m_fReserveArea = (height - waterline) * length;
    p.m_rDamageReceptionZone = zone;
    return p;
}

GunRecord MakeGun(int range = 1850) {
    GunRecord g;
    g.m_iBombardSpeed = 2;
    g.m_iCurrentBombardSpeed = 2;
    g.m_iBombardRange = range;
    g.m_fFallAccuracy = 0.01f;
    g.m_iBeginArmourPierce = 300;
    g.m_fFallArmourPierce = 0.1f;
    g.m_iDamage = 40;
    g.m_iShells = 5;
    g.m_fHeight = 3.0f;
    g.m_bReady = 1;
    g.m_bCanShoot = 1;
    g.m_rBombardZone = Zone(1.0f, 2.1f);
    return g;
}

// A ship as the map holds it: six hull parts (left bow, middle, stern, then
// right), two towers with two guns each, one pipe; its scene object, and an
// animated model whose frames stand for the model's frames.
struct Ship {
    explicit Ship(const char* name, bool withMovement = true) {
        SetRecordText(object.m_Unit.m_szName, name);
        auto data = std::make_unique<BattleDataBlock>();
        data->m_iGunpowder = 10;
        data->m_fCrewTraining = 1.0f;
        data->m_iDisplacement = 1000;
        data->m_fPumps = 10.0f;
        data->m_fRamAttack = 30.0f;
        data->m_fRamDefence = 20.0f;
        const PartRect hullZones[6] = {Zone(-1.0f, 0.0f),  Zone(-2.1f, -1.0f), Zone(-kPi, -2.1f),
                                       Zone(0.0f, 1.0f),   Zone(1.0f, 2.1f),   Zone(2.1f, kPi)};
        for (const PartRect& z : hullZones) data->m_stdvDesignParts.push_back(MakePart(100.0f, 4.0f, 1.0f, 10.0f, z));
        for (int t = 0; t < 2; ++t) {
            PartRecord tower = MakePart(80.0f, 3.0f, 0.0f, 3.0f, Zone(-kPi, kPi));
            tower.m_stdvGuns = {MakeGun(), MakeGun()};
            data->m_stdvMGTowers.push_back(tower);
        }
        data->m_stdvPipes.push_back(MakePart(40.0f, 4.0f, 0.0f, 1.0f, Zone(-kPi, kPi)));
        // 6 x 30 + 2 x 9 + 4.
        data->m_fTotalReserveArea = 202.0f;
        object.m_pBattleData = std::move(data);
        if (withMovement) {
            object.m_pMovementState = std::make_unique<MovementStateRecord>();
            object.m_pMovement = std::make_unique<MovementBlock>();
            object.m_pMovement->m_fBaseSpeed = object.m_pMovement->m_fSpeedLimit = 2.0f;
        }
        // Frames of the towers and the hull parts with their guns.
        auto frame = [&]() {
            frames.push_back(std::make_unique<CDX9KelBoundsRecord>());
            CDX9KelBoundsRecord* f = frames.back().get();
            f->m_vBoxMin = D3DXVECTOR3(-0.1f, -0.1f, -0.25f);
            f->m_vBoxMax = D3DXVECTOR3(0.1f, 0.1f, 0.25f);
            return f;
        };
        auto entry = [&](std::size_t guns) {
            AnimatedFrame e;
            e.m_pFrame = frame();
            e.m_pFrame->m_mLocal._41 = 0.5f;
            e.m_mInitial = e.m_pFrame->m_mLocal;
            for (std::size_t i = 0; i < guns; ++i) {
                AnimatedGunFrame g;
                g.m_pFrame = frame();
                g.m_mInitial = g.m_pFrame->m_mLocal;
                e.m_stdvGuns.push_back(g);
            }
            return e;
        };
        for (const PartRecord& t : object.m_pBattleData->m_stdvMGTowers) model.m_stdvTowers.push_back(entry(t.m_stdvGuns.size()));
        for (const PartRecord& h : object.m_pBattleData->m_stdvDesignParts) model.m_stdvDesign.push_back(entry(h.m_stdvGuns.size()));
    }
    BattleDataBlock& Data() { return *object.m_pBattleData; }
    void Place(float x, float z) {
        scene.m_mWorld._41 = x;
        scene.m_mWorld._43 = z;
    }

    GameObjectRecord object;
    CDX9KelSceneObject scene;
    CDX9KelAnimatedModel model;
    std::vector<std::unique_ptr<CDX9KelBoundsRecord>> frames;
};

class BattleSystemTest : public CampaignDataTest::LoggedFolder {
protected:
    // Particle files are named relative to the program's folder, as the game
    // finds them beside itself.
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        LoggedFolder::SetUp();
        // The attacker at the origin heading -z; the target 100 units to its
        // starboard (-x), 1850 m, heading the same way, so the attacker lies
        // on the target's port beam.
        target.Place(-100.0f, 0.0f);
    }
    // A bombardment under way against the target from the attacker's first
    // tower, as the first bombardment step leaves it.
    void Engage() {
        ASSERT_TRUE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                            &target.object));
        battle.ProcBombardment();
        ASSERT_EQ(battle.m_iGunIndex, 0);
    }

    CDX9KelBattleSystem battle;
    Ship attacker{"Attacker"};
    Ship target{"Target"};
};

} // namespace

// ---- rules ----

TEST(BattleRules, HitChanceTable) {
    const struct {
        float distance, fall, training, area;
        int chance;
    } cases[] = {
        {0.0f, 0.01f, 1.0f, 800.0f, 0},      // no distance, no chance
        {-5.0f, 0.01f, 1.0f, 800.0f, 0},     //
        {1000.0f, 0.01f, 1.0f, 800.0f, 89},  // 99 - 10
        {1000.0f, 0.01f, 0.5f, 800.0f, 94},  // 99 - 5
        {1000.0f, 0.01f, 1.0f, 1100.0f, 99}, // 89 + 12 is capped
        {1000.0f, 0.01f, 1.0f, 300.0f, 69},  // 89 - 20
        {1000.0f, 0.01f, 1.0f, 0.0f, 57},    // 89 - 32
        {9000.0f, 0.01f, 1.0f, 800.0f, 9},   // 99 - 90
        {9900.0f, 0.01f, 1.0f, 2000.0f, 0},  // the distance term alone reaches 0
        {9000.0f, 0.01f, 1.0f, 400.0f, 0},   // 9 - 16 is below 0
        {1850.0f, 0.01f, 1.0f, 202.0f, 56},  // 80.5 - 23.92
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDX9KelBattleSystem::CalcHitChance(c.distance, c.fall, c.training, c.area), c.chance)
            << c.distance << " " << c.area;
}

TEST(BattleRules, DistanceForHitChanceTable) {
    const struct {
        int chance;
        float fall, training, area, distance;
    } cases[] = {
        {0, 0.01f, 1.0f, 800.0f, -1.0f},   {50, 0.0f, 1.0f, 800.0f, -1.0f}, {50, 0.01f, -1.0f, 800.0f, -1.0f},
        {50, 0.01f, 1.0f, 0.0f, -1.0f},    {50, 0.01f, 1.0f, 800.0f, 4900.0f},
        {89, 0.02f, 0.5f, 800.0f, 1000.0f}, // (99 - 89) / 0.01
        {95, 0.01f, 1.0f, 600.0f, 150.0f},  // 95 - trunc(-8) = 103 is above 99
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CDX9KelBattleSystem::GetDistanceForHitChance(c.chance, c.fall, c.training, c.area), c.distance,
                    1e-2f)
            << c.chance;
}

TEST(BattleRules, AngleInZoneTable) {
    const struct {
        PartRect zone;
        float angle;
        bool inside;
    } cases[] = {
        {Zone(-1.0f, 1.0f), 0.0f, true},
        {Zone(-1.0f, 1.0f), 1.0f, true},       // ends belong to the interval
        {Zone(1.0f, -1.0f), 0.5f, true},       // ends are put in order
        {Zone(-1.0f, 1.0f), 1.01f, false},
        {Zone(-1.0f, 1.0f, 2.0f, 3.0f), 2.5f, true},
        {Zone(-1.0f, 1.0f, 3.0f, 2.0f), 2.5f, true},
        {Zone(-1.0f, 1.0f, 2.0f, 2.0f), 2.0f, false}, // an empty second interval holds nothing
        {Zone(0.5f, 0.5f, -3.0f, 3.0f), 0.0f, false}, // an empty first interval disables the zone
        {Zone(-4.0f, 4.0f), 3.2f, false},             // beyond pi
    };
    for (auto c : cases) EXPECT_EQ(CDX9KelBattleSystem::IsAngleInZone(&c.zone, c.angle), c.inside) << c.angle;
    PartRect swapped = Zone(1.0f, -1.0f, 3.0f, 2.0f);
    CDX9KelBattleSystem::IsAngleInZone(&swapped, 0.0f);
    EXPECT_EQ(swapped.left, -1.0f);
    EXPECT_EQ(swapped.top, 1.0f);
    EXPECT_EQ(swapped.right, 2.0f);
    EXPECT_EQ(swapped.bottom, 3.0f);
    EXPECT_FALSE(CDX9KelBattleSystem::IsAngleInZone(nullptr, 0.0f));
}

TEST(BattleRules, HitRollAndPartChoice) {
    {
        // r mod 100 <= chance: 99 always hits, 0 hits only on a 0.
        FixedRandom r({199, 1, 100, 57, 56});
        EXPECT_TRUE(CDX9KelBattleSystem::RollHit(99));
        EXPECT_FALSE(CDX9KelBattleSystem::RollHit(0));
        EXPECT_TRUE(CDX9KelBattleSystem::RollHit(0));
        EXPECT_FALSE(CDX9KelBattleSystem::RollHit(56));
        EXPECT_TRUE(CDX9KelBattleSystem::RollHit(56));
    }
    Ship ship("Ship");
    CDX9KelBattleSystem battle;
    // From straight abeam to port: both towers (9 each), the left middle
    // part (30) and the pipe (4).
    battle.m_fCandidateArea = battle.CollectHitCandidates(-1.5708f, &ship.Data());
    ASSERT_EQ(battle.m_fCandidateArea, 52.0f);
    ASSERT_EQ(battle.m_stdvHitCandidates.size(), 4u);
    BattleDataBlock& d = ship.Data();
    const struct {
        std::uint32_t value;
        const PartRecord* part;
    } cases[] = {{0, &d.m_stdvMGTowers[0]},  {9, &d.m_stdvMGTowers[0]},    {10, &d.m_stdvMGTowers[1]},
                 {19, &d.m_stdvDesignParts[1]}, {48, &d.m_stdvDesignParts[1]}, {49, &d.m_stdvPipes[0]},
                 {52 + 3, &d.m_stdvMGTowers[0]}};
    for (const auto& c : cases) {
        FixedRandom r({c.value});
        EXPECT_EQ(battle.ChooseHitPart(), c.part) << c.value;
    }
    // A hull part above the water no more is no candidate.
    d.m_stdvDesignParts[1].m_fReserveArea = 0.0f;
    EXPECT_EQ(battle.CollectHitCandidates(-1.5708f, &d), 22.0f);
    // Below one unit of area the first candidate is struck.
    battle.m_fCandidateArea = 0.5f;
    EXPECT_EQ(battle.ChooseHitPart(), &d.m_stdvMGTowers[0]);
    battle.m_fCandidateArea = 0.0f;
    EXPECT_EQ(battle.ChooseHitPart(), nullptr);
    EXPECT_EQ(battle.CollectHitCandidates(0.0f, nullptr), -1.0f);
}

// One hit of a gun (pierce 300 - 0.1 per metre, damage 40) on a part of
// length 10 and height 4 with its waterline at 1: armour 100 above 2.0 and 50
// below. Draws in order: x, r, y in [waterline - r, height), the spread and
// its sign, then (when pierced) the ignition roll and the fire's share.
TEST(BattleRules, HitDamageTable) {
    const struct {
        const char* name;
        float distance;
        bool armoured;
        int armour1;
        float startDamage, ignition;
        std::vector<std::uint32_t> random;
        float dealt, damage;
        bool hole;
        float holeHeight, fire;
    } cases[] = {
        // y = 1 + 3 x 0.5 = 2.5: armour 100, p = 200, d = 200/100 x 40 x 0.4 = 32, less 5 %.
        {"upper belt", 1000.0f, true, 100, 0.0f, 0.0f, {F(0.5), 0, F(0.5), F(0.5), 0, 5}, 30.4f, 30.4f, true, 2.5f,
         0.0f},
        // The spread's odd sign adds: 32 + 5 %.
        {"upper belt, more", 1000.0f, true, 100, 0.0f, 0.0f, {F(0.5), 0, F(0.5), F(0.5), 1, 5}, 33.6f, 33.6f, true,
         2.5f, 0.0f},
        // y = 1: the lower belt, armour 50, d = 64 with no spread.
        {"lower belt", 1000.0f, true, 100, 0.0f, 0.0f, {F(0.5), 0, 0, 0, 0, 5}, 64.0f, 64.0f, true, 1.0f, 0.0f},
        // Armour 250 is not pierced by 200: d = 12.8, no hole.
        {"not pierced", 1000.0f, true, 250, 0.0f, 0.0f, {F(0.5), 0, F(0.5), 0, 0}, 12.8f, 12.8f, false, 0.0f, 0.0f},
        // No armour: the full 40, and a hole while the shell still pierces.
        {"no armour", 1000.0f, false, 0, 0.0f, 0.0f, {F(0.5), 0, F(0.5), 0, 0, 5}, 40.0f, 40.0f, true, 2.5f, 0.0f},
        // No armour and no penetration left: full damage, no hole.
        {"spent shell", 3000.0f, false, 0, 0.0f, 0.0f, {F(0.5), 0, F(0.5), 0, 0}, 40.0f, 40.0f, false, 0.0f, 0.0f},
        // Past 90 % the hole goes to the waterline; the damage stops at
        // the durability.
        {"near the end", 1000.0f, true, 100, 95.0f, 0.0f, {F(0.5), 0, F(0.5), F(0.5), 0, 5}, 30.4f, 100.0f, true,
         1.0f, 0.0f},
        // Ignition 0 catches fire only on a roll of 0: fire = 32 x 0.1.
        {"fire", 1000.0f, true, 100, 0.0f, 0.0f, {F(0.5), 0, F(0.5), 0, 0, 100, 0}, 32.0f, 32.0f, true, 2.5f, 3.2f},
        // A negative ignition factor (an empty element) compares as a huge
        // unsigned number: every pierced part burns; 32 x 0.25.
        {"empty ignition", 1000.0f, true, 100, 0.0f, -1.0f, {F(0.5), 0, F(0.5), 0, 0, 99, F(0.5)}, 32.0f, 32.0f, true,
         2.5f, 8.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDX9KelBattleSystem battle;
        battle.m_fDistance = c.distance;
        PartRecord part = MakePart(100.0f, 4.0f, 1.0f, 10.0f, Zone(-kPi, kPi));
        part.m_fDamage = c.startDamage;
        part.m_fIgnitionFactor = c.ignition;
        if (c.armoured) {
            part.m_rArmourRect1 = Zone(0.0f, 4.0f, 10.0f, 2.0f);
            part.m_iArmour1 = c.armour1;
            part.m_rArmourRect2 = Zone(0.0f, 2.0f, 10.0f, 0.0f);
            part.m_iArmour2 = 50;
        }
        GunRecord gun = MakeGun();
        FixedRandom r(c.random);
        battle.HitPart(&gun, &part);
        EXPECT_NEAR(part.m_fDamage, c.damage, 1e-3f);
        ASSERT_EQ(part.m_stdvHoles.size(), c.hole ? 1u : 0u);
        if (c.hole) {
            EXPECT_NEAR(part.m_stdvHoles[0].m_fHeight, c.holeHeight, 1e-4f);
            EXPECT_NEAR(part.m_stdvHoles[0].m_fSize, c.dealt, 1e-3f);
        }
        EXPECT_NEAR(part.m_fFireStrength, c.fire, 1e-3f);
    }
}

TEST(BattleRules, AHitBelowTheKeelStaysOnThePart) {
    // Waterline 0.5, r = 0.99: y is drawn from [-0.49, 4) and the lowest
    // value lands at 0.
    CDX9KelBattleSystem battle;
    battle.m_fDistance = 1000.0f;
    PartRecord part = MakePart(100.0f, 4.0f, 0.5f, 10.0f, Zone(-kPi, kPi));
    GunRecord gun = MakeGun();
    FixedRandom r({F(0.5), F(0.99), 0, 0, 0, 5});
    battle.HitPart(&gun, &part);
    ASSERT_EQ(part.m_stdvHoles.size(), 1u);
    EXPECT_EQ(part.m_stdvHoles[0].m_fHeight, 0.0f);
}

TEST(BattleRules, RamTable) {
    const struct {
        const char* name;
        float bow, side, speed, defence;
        bool result;
        int part;
        float damage;
    } cases[] = {
        {"bow off", 0.5f, -1.5708f, 4.0f, 20.0f, false, -1, 0.0f},
        {"too slow", 0.0f, -1.5708f, 2.572f, 0.0f, true, -1, 0.0f},
        {"glancing", 0.0f, 0.5f, 4.0f, 20.0f, true, -1, 0.0f},
        {"from astern", 0.0f, 2.4f, 4.0f, 20.0f, true, -1, 0.0f},
        // 30 x 1 + 10 - 20.
        {"port beam", 0.39f, -1.5708f, 3.086f, 20.0f, true, 1, 20.0f},
        // 30 sin 1 + 0.028 / 0.514 x 10 - 20.
        {"starboard", -0.39f, 1.0f, 2.6f, 20.0f, true, 4, 5.78886f},
        {"strong side", 0.0f, -1.5708f, 3.086f, 50.0f, true, -1, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ship a("A"), t("T");
        t.Data().m_fRamDefence = c.defence;
        CDX9KelBattleSystem battle;
        EXPECT_EQ(battle.RamObject(&a.object, &t.object, c.bow, c.side, c.speed), c.result);
        for (int i = 0; i < 6; ++i) {
            const PartRecord& p = t.Data().m_stdvDesignParts[i];
            if (i == c.part) {
                EXPECT_NEAR(p.m_fDamage, c.damage, 1e-4f);
                ASSERT_EQ(p.m_stdvHoles.size(), 1u);
                EXPECT_EQ(p.m_stdvHoles[0].m_fHeight, p.m_fWaterline);
                EXPECT_NEAR(p.m_stdvHoles[0].m_fSize, c.damage, 1e-4f);
            } else {
                EXPECT_EQ(p.m_fDamage, 0.0f) << i;
                EXPECT_TRUE(p.m_stdvHoles.empty()) << i;
            }
        }
    }
}

TEST(BattleRules, CollisionTable) {
    const struct {
        float angle;
        int part;
    } cases[] = {{-0.5f, 0}, {-0.785f, 0}, {-1.0f, 1}, {0.0f, 3}, {0.785f, 3}, {1.0f, 4}};
    for (const auto& c : cases) {
        Ship a("A"), b("B");
        CDX9KelBattleSystem battle;
        ASSERT_TRUE(battle.CollideObject(&a.object, &b.object, c.angle));
        EXPECT_EQ(a.Data().m_stdvDesignParts[c.part].m_fDamage, 30.0f) << c.angle;
        EXPECT_EQ(a.Data().m_stdvDesignParts[c.part].m_stdvHoles.size(), 1u) << c.angle;
    }
    // The other's ram attack is capped at the part's durability.
    Ship a("A"), b("B");
    b.Data().m_fRamAttack = 500.0f;
    CDX9KelBattleSystem battle;
    ASSERT_TRUE(battle.CollideObject(&a.object, &b.object, 1.0f));
    EXPECT_EQ(a.Data().m_stdvDesignParts[4].m_fDamage, 100.0f);
    // A hull of another size takes no collision damage.
    a.Data().m_stdvDesignParts.pop_back();
    EXPECT_FALSE(battle.CollideObject(&a.object, &b.object, 1.0f));
}

TEST(BattleRules, ConditionFloodAndGroupChance) {
    Ship s("S");
    BattleDataBlock& d = s.Data();
    EXPECT_EQ(CDX9KelBattleSystem::GetConditionPercent(&d), 100);
    // 800 durability in all: 6 x 100 + 2 x 80 + 40.
    d.m_stdvDesignParts[0].m_fDamage = 100.0f;
    d.m_stdvPipes[0].m_fDamage = 40.0f;
    EXPECT_EQ(CDX9KelBattleSystem::GetConditionPercent(&d), 82); // 100 - 17.5
    EXPECT_EQ(CDX9KelBattleSystem::GetFloodPercent(&d), 0);
    d.m_stdvDesignParts[2].m_fWaterWeight = 125.0f;
    d.m_stdvDesignParts[5].m_fWaterWeight = 130.0f;
    EXPECT_EQ(CDX9KelBattleSystem::GetFloodPercent(&d), 25);
    d.m_stdvDesignParts[5].m_fWaterWeight = 2000.0f;
    EXPECT_EQ(CDX9KelBattleSystem::GetFloodPercent(&d), 100);

    // Group 1 (the second tower) at 100 map units, 1850 m, on a target of
    // 202: 99 - 18.5 - 23.92.
    Ship t("T");
    EXPECT_EQ(CDX9KelBattleSystem::GetGroupHitChance(1, &d, &t.Data(), 100.0f), 56);
    EXPECT_EQ(CDX9KelBattleSystem::GetGroupHitChance(2, &d, &t.Data(), 100.0f), -1); // no guns
    EXPECT_EQ(CDX9KelBattleSystem::GetGroupHitChance(8, &d, &t.Data(), 100.0f), -1);
    EXPECT_EQ(CDX9KelBattleSystem::GetGroupHitChance(0, nullptr, &t.Data(), 100.0f), -1);

    // Hand-made descriptions with nothing to divide by stay finite.
    BattleDataBlock empty;
    EXPECT_EQ(CDX9KelBattleSystem::GetConditionPercent(&empty), 100);
    d.m_iDisplacement = 0;
    EXPECT_EQ(CDX9KelBattleSystem::GetFloodPercent(&d), 0);
    d.m_stdvDesignParts.pop_back();
    EXPECT_EQ(CDX9KelBattleSystem::GetFloodPercent(&d), -1);
}

// ---- one gun ----

TEST_F(BattleSystemTest, OneGunTable) {
    const struct {
        const char* name;
        int range;
        std::uint8_t canShoot, ready;
        int speed;
        PartRect zone;
        float fall;
        int shells, gunpowder;
        std::uint32_t roll;
        bool result;
        std::uint8_t readyAfter;
        int shot, shellsAfter, gunpowderAfter;
    } cases[] = {
        {"fires", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, 5, 10, 0, true, 0, SHOT_HIT, 3, 10},
        {"misses", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, 5, 10, 99, true, 0, SHOT_MISSED, 3, 10},
        {"a metre short", 1849, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, 5, 10, 0, false, 1, SHOT_NOT_FIRED, 5, 10},
        {"cannot shoot", 1850, 0, 1, 2, Zone(1.0f, 2.1f), 0.01f, 5, 10, 0, false, 1, SHOT_NOT_FIRED, 5, 10},
        {"already shot", 1850, 1, 0, 2, Zone(1.0f, 2.1f), 0.01f, 5, 10, 0, false, 0, SHOT_NOT_FIRED, 5, 10},
        {"speed 0", 1850, 1, 1, 0, Zone(1.0f, 2.1f), 0.01f, 5, 10, 0, false, 1, SHOT_NOT_FIRED, 5, 10},
        {"wrong side", 1850, 1, 1, 2, Zone(-2.1f, -1.0f), 0.01f, 5, 10, 0, false, 1, SHOT_NOT_FIRED, 5, 10},
        {"empty first interval", 1850, 1, 1, 2, Zone(1.0f, 1.0f, 1.0f, 2.1f), 0.01f, 5, 10, 0, false, 1,
         SHOT_NOT_FIRED, 5, 10},
        {"accuracy 0", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 1.0f, 5, 10, 0, false, 1, SHOT_NOT_FIRED, 5, 10},
        {"no shells", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, 0, 10, 0, true, 0, SHOT_NOT_FIRED, 0, 10},
        {"last shell", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, 1, 10, 0, true, 0, SHOT_HIT, 0, 10},
        {"powder", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, -1, 10, 0, true, 0, SHOT_HIT, -1, 8},
        {"last powder", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, -1, 1, 0, true, 0, SHOT_HIT, -1, 0},
        {"no powder", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, -1, 0, 0, true, 0, SHOT_NOT_FIRED, -1, 0},
        {"endless powder", 1850, 1, 1, 2, Zone(1.0f, 2.1f), 0.01f, -1, -1, 0, true, 0, SHOT_HIT, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ship a("Attacker"), t("Target");
        t.Place(-100.0f, 0.0f);
        a.Data().m_iGunpowder = c.gunpowder;
        GunRecord& gun = a.Data().m_stdvMGTowers[0].m_stdvGuns[0];
        gun.m_iBombardRange = c.range;
        gun.m_bCanShoot = c.canShoot;
        gun.m_bReady = c.ready;
        gun.m_iCurrentBombardSpeed = c.speed;
        gun.m_rBombardZone = c.zone;
        gun.m_fFallAccuracy = c.fall;
        gun.m_iShells = c.shells;
        CDX9KelBattleSystem b;
        ASSERT_TRUE(b.BeginBombardment(0, &a.scene, &a.object, &a.model, &t.scene, &t.object));
        b.ProcBombardment();
        ASSERT_EQ(b.m_fDistance, 1850.0f);
        ASSERT_NEAR(b.m_fAngle, 1.5708f, 1e-3f);
        // Every hit strikes the first candidate: the fore tower.
        FixedRandom r({c.roll});
        EXPECT_EQ(b.GunBombBattleObject(&gun, &a.model.m_stdvTowers[0].m_stdvGuns[0]), c.result);
        ASSERT_EQ(b.m_stdvShotResults.size(), 1u);
        EXPECT_EQ(b.m_stdvShotResults[0], c.shot);
        EXPECT_EQ(gun.m_bReady, c.readyAfter);
        EXPECT_EQ(gun.m_iShells, c.shellsAfter);
        EXPECT_EQ(a.Data().m_iGunpowder, c.gunpowderAfter);
        EXPECT_EQ(t.Data().m_stdvMGTowers[0].m_fDamage > 0.0f, c.shot == SHOT_HIT);
    }
}

TEST_F(BattleSystemTest, AGunOfEndlessSpeedStopsInGoodTime) {
    // A description's speed of two thousand million with powder that never
    // runs out: the gun fires a thousand shots and is done.
    GunRecord& gun = attacker.Data().m_stdvMGTowers[0].m_stdvGuns[0];
    gun.m_iCurrentBombardSpeed = 2000000000;
    gun.m_iShells = -1;
    attacker.Data().m_iGunpowder = -1;
    Engage();
    FixedRandom r({99});
    ASSERT_TRUE(battle.GunBombBattleObject(&gun, &attacker.model.m_stdvTowers[0].m_stdvGuns[0]));
    EXPECT_EQ(battle.m_stdvShotResults.back(), SHOT_MISSED);
    EXPECT_NE(Log().find("2000000000 shots cut to 1000 : Attacker"), std::string::npos);
}

TEST_F(BattleSystemTest, AGunWithoutAFrameIsNotTried) {
    Engage();
    AnimatedGunFrame none;
    EXPECT_FALSE(battle.GunBombBattleObject(&attacker.Data().m_stdvMGTowers[0].m_stdvGuns[0], &none));
    EXPECT_FALSE(battle.GunBombBattleObject(nullptr, &attacker.model.m_stdvTowers[0].m_stdvGuns[0]));
    EXPECT_TRUE(battle.m_stdvShotResults.empty());
}

// ---- bombardment and attack turn ----

TEST_F(BattleSystemTest, BeginBombardmentRefusals) {
    Ship bare("Bare");
    bare.object.m_pBattleData.reset();
    EXPECT_FALSE(battle.BeginBombardment(8, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                         &target.object));
    EXPECT_FALSE(battle.BeginBombardment(0, nullptr, &attacker.object, &attacker.model, &target.scene, &target.object));
    EXPECT_FALSE(battle.BeginBombardment(0, &attacker.scene, nullptr, &attacker.model, &target.scene, &target.object));
    EXPECT_FALSE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, nullptr, &target.object));
    EXPECT_FALSE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, &target.scene, nullptr));
    EXPECT_FALSE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, &bare.scene, &bare.object));
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    EXPECT_EQ(Log().find("BeginBombardment"), std::string::npos);

    ASSERT_TRUE(battle.BeginBombardment(3, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                        &target.object));
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_BOMBARDMENT);
    EXPECT_EQ(battle.m_iGunGroup, 3);
    // Busy: a second one waits.
    EXPECT_FALSE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                         &target.object));
    EXPECT_NE(Log().find("____________________CDX9KelBattleSystem::BeginBombardment : Attacker attack Target\n"),
              std::string::npos);
}

TEST_F(BattleSystemTest, AShipWithoutAnimationDataEndsItsBombardment) {
    // Results of an earlier bombardment: the computer reads the results to
    // tell whether anything fired at its target.
    battle.m_stdvShotResults = {SHOT_HIT};
    ASSERT_TRUE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, nullptr, &target.scene, &target.object));
    battle.ProcBombardment();
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    EXPECT_EQ(battle.m_iGunGroup, -1);
    EXPECT_TRUE(battle.m_stdvShotResults.empty()) << "it ended before any gun was tried";
    EXPECT_NE(Log().find("no animated model : Attacker"), std::string::npos);
    // Nothing was fired and the system takes the next order.
    EXPECT_EQ(attacker.Data().m_stdvMGTowers[0].m_stdvGuns[0].m_bReady, 1);
    EXPECT_TRUE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                        &target.object));
}

TEST_F(BattleSystemTest, PartsThatDoNotMatchTheModelEndTheBombardment) {
    const struct {
        const char* name;
        int group;
        std::function<void(Ship&)> spoil;
    } cases[] = {
        {"tower counts differ", 0, [](Ship& s) { s.model.m_stdvTowers.pop_back(); }},
        {"no second tower", 1, [](Ship& s) {
             s.model.m_stdvTowers.pop_back();
             s.Data().m_stdvMGTowers.pop_back();
         }},
        {"hull counts differ", 4, [](Ship& s) { s.model.m_stdvDesign.pop_back(); }},
        {"gun counts differ", 0, [](Ship& s) { s.model.m_stdvTowers[0].m_stdvGuns.pop_back(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ship a("Attacker"), t("Target");
        t.Place(-100.0f, 0.0f);
        c.spoil(a);
        CDX9KelBattleSystem b;
        ASSERT_TRUE(b.BeginBombardment(c.group, &a.scene, &a.object, &a.model, &t.scene, &t.object));
        for (int frame = 0; frame < 3; ++frame) b.ProcBombardment();
        EXPECT_EQ(b.m_iState, BATTLE_SYSTEM_IDLE);
        EXPECT_EQ(b.m_iGunGroup, -1);
        EXPECT_EQ(a.Data().m_stdvMGTowers[0].m_stdvGuns[0].m_bReady, 1);
    }
}

TEST_F(BattleSystemTest, OneGunPerFrameThenTheTowerTurnsFiresAndTurnsBack) {
    FixedRandom r({0});
    Engage();
    // Two guns: one per frame, then the change to the attack turn.
    battle.ProcBombardment();
    EXPECT_EQ(battle.m_iGunIndex, 1);
    EXPECT_EQ(attacker.Data().m_stdvMGTowers[0].m_stdvGuns[0].m_bReady, 0);
    EXPECT_EQ(attacker.Data().m_stdvMGTowers[0].m_stdvGuns[1].m_bReady, 1);
    battle.ProcBombardment();
    battle.ProcBombardment();
    ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
    EXPECT_EQ(battle.m_stdvShotResults, (std::vector<int>{SHOT_HIT, SHOT_HIT}));
    // The bombardment step does nothing in this state.
    battle.ProcBombardment();
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);

    AnimatedFrame& tower = attacker.model.m_stdvTowers[0];
    const D3DXMATRIX initial = tower.m_mInitial;
    battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(battle.m_iAttackTurnStep, 0);
    // The target lies a quarter turn to starboard.
    EXPECT_NEAR(battle.m_fAttackTurnAngle, 1.5708f, 1e-3f);
    EXPECT_EQ(battle.m_fTurnSign, 1.0f);
    bool turned = false, recoiled = false;
    int frames = 1;
    for (; battle.m_iState == BATTLE_SYSTEM_ATTACK_TURN && frames < 10000; ++frames) {
        battle.ProcAttackTurn(10.0f);
        if (battle.m_iAttackTurnStep == 0 || battle.m_iAttackTurnStep == 1)
            turned = turned || tower.m_pFrame->m_mLocal._11 != initial._11;
        if (battle.m_iAttackTurnStep == 3) recoiled = true;
    }
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    EXPECT_EQ(battle.m_iAttackTurnStep, -1);
    EXPECT_TRUE(turned);
    EXPECT_TRUE(recoiled);
    // Turning 0.1 radians a frame: 15 frames out, 15 back, and each gun's
    // recoil (0.4 at 0.05) and run-out (0.5 at 0.04); everything stands
    // where it stood.
    EXPECT_LT(frames, 120);
    EXPECT_EQ(std::memcmp(&tower.m_pFrame->m_mLocal, &initial, sizeof initial), 0);
    for (const AnimatedGunFrame& g : tower.m_stdvGuns)
        EXPECT_EQ(std::memcmp(&g.m_pFrame->m_mLocal, &g.m_mInitial, sizeof g.m_mInitial), 0);
}

TEST_F(BattleSystemTest, TheEndOfTheRoundPutsAnAttackCutShortBack) {
    FixedRandom r({0});
    BattleGameObjectList side1{&attacker.object}, side2{&target.object};
    CDX9KelBattleSystem::MapLists lists;
    lists.m_pGameObjects[0] = &side1;
    lists.m_pGameObjects[1] = &side2;
    battle.SetMapLists(lists);
    Engage();
    for (int frame = 0; frame < 3; ++frame) battle.ProcBombardment();
    for (int frame = 0; frame < 8; ++frame) battle.ProcAttackTurn(10.0f);
    AnimatedFrame& tower = attacker.model.m_stdvTowers[0];
    ASSERT_EQ(battle.m_iAttackTurnStep, 0);
    ASSERT_NE(std::memcmp(&tower.m_pFrame->m_mLocal, &tower.m_mInitial, sizeof tower.m_mInitial), 0);
    ASSERT_TRUE(battle.BeginCalcRoundResult());
    EXPECT_EQ(std::memcmp(&tower.m_pFrame->m_mLocal, &tower.m_mInitial, sizeof tower.m_mInitial), 0);
    EXPECT_EQ(battle.m_iAttackTurnStep, -1);
    EXPECT_EQ(battle.m_iGunGroup, -1);
    for (int frame = 0; frame < 100 && battle.m_iState != BATTLE_SYSTEM_IDLE; ++frame) battle.ProcRoundResult();
    ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    // The next attack begins at its own beginning.
    ASSERT_TRUE(battle.BeginBombardment(1, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                        &target.object));
    // Set-up, two guns, the change to the attack turn.
    for (int frame = 0; frame < 4; ++frame) battle.ProcBombardment();
    ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
    battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(battle.m_iAttackTurnStep, 0);
}

TEST_F(BattleSystemTest, GunFramesBelowTheTowerTurnWithIt) {
    FixedRandom r({0});
    // The first gun's frame hangs below the tower's frame in the model; the
    // second stands beside it.
    AnimatedFrame& tower = attacker.model.m_stdvTowers[0];
    CDX9KelBoundsRecord* child = new CDX9KelBoundsRecord();
    child->m_vBoxMin = D3DXVECTOR3(-0.1f, -0.1f, -0.25f);
    child->m_vBoxMax = D3DXVECTOR3(0.1f, 0.1f, 0.25f);
    tower.m_pFrame->m_pChild = child;
    tower.m_stdvGuns[0].m_pFrame = child;
    tower.m_stdvGuns[0].m_mInitial = child->m_mLocal;
    Engage();
    for (int frame = 0; frame < 3; ++frame) battle.ProcBombardment();
    for (int frame = 0; frame < 6; ++frame) battle.ProcAttackTurn(10.0f);
    ASSERT_EQ(battle.m_iAttackTurnStep, 0);
    EXPECT_EQ(std::memcmp(&child->m_mLocal, &tower.m_stdvGuns[0].m_mInitial, sizeof child->m_mLocal), 0);
    const AnimatedGunFrame& beside = tower.m_stdvGuns[1];
    EXPECT_NE(std::memcmp(&beside.m_pFrame->m_mLocal, &beside.m_mInitial, sizeof beside.m_mInitial), 0);
    // The tower's frame and the gun beside it turned alike.
    EXPECT_FLOAT_EQ(beside.m_pFrame->m_mLocal._11, tower.m_pFrame->m_mLocal._11);
    EXPECT_FLOAT_EQ(beside.m_pFrame->m_mLocal._13, tower.m_pFrame->m_mLocal._13);
    for (int frame = 0; frame < 10000 && battle.m_iState == BATTLE_SYSTEM_ATTACK_TURN; ++frame)
        battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(std::memcmp(&child->m_mLocal, &tower.m_stdvGuns[0].m_mInitial, sizeof child->m_mLocal), 0);
}

TEST_F(BattleSystemTest, ATowerWithoutAFrameFiresWithoutTurning) {
    FixedRandom r({0});
    AnimatedFrame& tower = attacker.model.m_stdvTowers[0];
    tower.m_pFrame = nullptr;
    Engage();
    for (int frame = 0; frame < 3; ++frame) battle.ProcBombardment();
    ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
    battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(battle.m_fTurnSign, 0.0f);
    EXPECT_EQ(battle.m_iAttackTurnStep, 1);
    int frames = 1;
    for (; battle.m_iState == BATTLE_SYSTEM_ATTACK_TURN && frames < 10000; ++frames) battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    EXPECT_EQ(target.Data().m_stdvMGTowers[0].m_fDamage > 0.0f, true);
    for (const AnimatedGunFrame& g : tower.m_stdvGuns)
        EXPECT_EQ(std::memcmp(&g.m_pFrame->m_mLocal, &g.m_mInitial, sizeof g.m_mInitial), 0);
}

TEST_F(BattleSystemTest, NoGunFiredSkipsTheAttackTurn) {
    for (GunRecord& g : attacker.Data().m_stdvMGTowers[0].m_stdvGuns) g.m_bCanShoot = 0;
    Engage();
    for (int frame = 0; frame < 3; ++frame) battle.ProcBombardment();
    ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
    battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    EXPECT_EQ(battle.m_iAttackTurnStep, -1);
}

TEST_F(BattleSystemTest, TheStruckPartsAreThoseFacingTheAttacker) {
    // The shells come from where the attacker lies as the target sees it:
    // only the target's parts that take hits from that bearing are
    // candidates, whichever way the attacker itself looks.
    const float aspect = Vorna2::GetHeadingAngleToMatrix(&target.scene.m_mWorld, &attacker.scene.m_mWorld);
    const float sight = Vorna2::GetHeadingAngleToMatrix(&attacker.scene.m_mWorld, &target.scene.m_mWorld);
    ASSERT_GT(std::fabs(aspect - sight), 1.0f) << "the two bearings must differ for the test to tell them apart";
    const PartRect facing = Zone(aspect - 0.3f, aspect + 0.3f);
    for (PartRecord& p : target.Data().m_stdvMGTowers) p.m_rDamageReceptionZone = facing;
    for (PartRecord& p : target.Data().m_stdvPipes) p.m_rDamageReceptionZone = facing;
    for (PartRecord& p : target.Data().m_stdvDesignParts) p.m_rDamageReceptionZone = Zone(sight - 0.3f, sight + 0.3f);
    target.Data().m_stdvDesignParts[1].m_rDamageReceptionZone = facing;
    Engage();
    // Two towers and the funnel (9 + 9 + 4) and the one hull part (30).
    EXPECT_FLOAT_EQ(battle.m_fCandidateArea, 52.0f);
}

TEST_F(BattleSystemTest, ATargetOutOfEveryZoneIsNotEngaged) {
    // Straight astern of the target, whose parts all face elsewhere: no
    // candidate, no bombardment.
    for (PartRecord& p : target.Data().m_stdvMGTowers) p.m_rDamageReceptionZone = Zone(-0.5f, 0.5f);
    for (PartRecord& p : target.Data().m_stdvPipes) p.m_rDamageReceptionZone = Zone(-0.5f, 0.5f);
    for (PartRecord& p : target.Data().m_stdvDesignParts) p.m_rDamageReceptionZone = Zone(2.0f, 2.5f);
    ASSERT_TRUE(battle.BeginBombardment(0, &attacker.scene, &attacker.object, &attacker.model, &target.scene,
                                        &target.object));
    battle.ProcBombardment();
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
}

// ---- round result ----

TEST(BattleRoundRules, HolesAtAndAboveTheWaterline) {
    PartRecord p = MakePart(100.0f, 4.0f, 1.0f, 10.0f, Zone(-kPi, kPi));
    p.m_stdvHoles = {{1.0f, 27.0f}, {1.001f, 13.5f}, {0.2f, 13.5f}};
    p.m_fWaterWeight = 5.0f;
    p.m_fActiveHoles = 1.0f;
    CDX9KelBattleSystem::CalcHoles(&p);
    // The hole at the line and the one below: 2 + 1 active holes, water
    // (27 + 13.5) x 1.25 on top of what was there.
    EXPECT_FLOAT_EQ(p.m_fActiveHoles, 4.0f);
    EXPECT_FLOAT_EQ(p.m_fWaterWeight, 55.625f);
}

TEST(BattleRoundRules, FireGrowsAndBurns) {
    const struct {
        float fire, damage, fireAfter, damageAfter;
    } cases[] = {
        {10.0f, 20.0f, 22.0f, 22.2f}, // x 2.2, then a tenth of it as damage
        {40.0f, 70.0f, 30.0f, 73.0f}, // capped at what is left of the part
        {5.0f, 100.0f, 0.0f, 100.0f}, // nothing left to burn
    };
    for (const auto& c : cases) {
        PartRecord p = MakePart(100.0f, 4.0f, 1.0f, 10.0f, Zone(-kPi, kPi));
        p.m_fFireStrength = c.fire;
        p.m_fDamage = c.damage;
        CDX9KelBattleSystem::GrowFire(&p);
        CDX9KelBattleSystem::ApplyFireDamage(&p);
        EXPECT_NEAR(p.m_fFireStrength, c.fireAfter, 1e-4f) << c.fire;
        EXPECT_NEAR(p.m_fDamage, c.damageAfter, 1e-4f) << c.fire;
    }
}

TEST(BattleRoundRules, RepairTable) {
    // Displacement 40000 and efficiency 1 repair 10 a round.
    const struct {
        const char* name;
        float damage, fire;
        std::vector<HoleEntry> holes;
        float damageAfter;
        std::vector<HoleEntry> holesAfter;
    } cases[] = {
        {"plain", 25.0f, 0.0f, {}, 15.0f, {}},
        {"burning", 25.0f, 1.0f, {{2.0f, 4.0f}}, 25.0f, {{2.0f, 4.0f}}},
        {"not below 0", 4.0f, 0.0f, {}, 0.0f, {}},
        // Holes above the water in order: 4 and 5 patched, 6 shrinks by 1.
        {"patches", 30.0f, 0.0f, {{2.0f, 4.0f}, {3.0f, 5.0f}, {2.5f, 6.0f}}, 20.0f, {{2.5f, 5.0f}}},
        // A hole under water is kept and holds the damage at its size.
        {"underwater", 30.0f, 0.0f, {{0.5f, 25.0f}, {2.0f, 4.0f}}, 25.0f, {{0.5f, 25.0f}}},
        // ... unless that is the whole part.
        {"underwater, whole", 30.0f, 0.0f, {{0.5f, 120.0f}}, 20.0f, {{0.5f, 120.0f}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PartRecord p = MakePart(100.0f, 4.0f, 1.0f, 10.0f, Zone(-kPi, kPi));
        p.m_fDamage = c.damage;
        p.m_fFireStrength = c.fire;
        p.m_fEfficiency = 1.0f;
        p.m_stdvHoles = c.holes;
        CDX9KelBattleSystem::RepairPart(&p, 40000);
        EXPECT_NEAR(p.m_fDamage, c.damageAfter, 1e-4f);
        ASSERT_EQ(p.m_stdvHoles.size(), c.holesAfter.size());
        for (std::size_t i = 0; i < c.holesAfter.size(); ++i) {
            EXPECT_EQ(p.m_stdvHoles[i].m_fHeight, c.holesAfter[i].m_fHeight);
            EXPECT_NEAR(p.m_stdvHoles[i].m_fSize, c.holesAfter[i].m_fSize, 1e-4f);
        }
    }
}

TEST(BattleRoundRules, GunStateTable) {
    const struct {
        int speed;
        float efficiency, gunHeight, waterline;
        int current;
        std::uint8_t canShoot;
    } cases[] = {
        {1, 0.5f, 3.0f, 1.0f, 1, 1},  {1, 0.49f, 3.0f, 1.0f, 0, 0}, {3, 0.7f, 3.0f, 1.0f, 2, 1},
        {3, 0.3f, 3.0f, 1.0f, 0, 0},  {3, 1.0f, 1.0f, 1.0f, 3, 0},  // at the waterline: under water
        {3, 1.0f, 0.0f, 0.0f, 3, 1},  // height 0 on a waterline of 0 still shoots
        {3, 1.0f, 0.5f, 0.0f, 3, 1},
    };
    for (const auto& c : cases) {
        PartRecord p = MakePart(100.0f, 4.0f, c.waterline, 10.0f, Zone(-kPi, kPi));
        p.m_fEfficiency = c.efficiency;
        GunRecord g = MakeGun();
        g.m_iBombardSpeed = c.speed;
        g.m_fHeight = c.gunHeight;
        g.m_bReady = 0;
        g.m_bCanShoot = 0;
        p.m_stdvGuns = {g};
        CDX9KelBattleSystem::UpdateGunState(&p);
        const GunRecord& after = p.m_stdvGuns[0];
        EXPECT_EQ(after.m_iCurrentBombardSpeed, c.current) << c.speed << " " << c.efficiency;
        EXPECT_EQ(after.m_bCanShoot, c.canShoot) << c.speed << " " << c.efficiency << " " << c.gunHeight;
        EXPECT_EQ(after.m_bReady, 1);
    }
}

TEST(BattleRoundRules, HeelAndFlooding) {
    EXPECT_EQ(CDX9KelBattleSystem::CalcHeelAngle(1000, 50.0f, 50.0f), 0.0f);
    EXPECT_NEAR(CDX9KelBattleSystem::CalcHeelAngle(1000, 60.0f, 0.0f), 0.23357f, 1e-4f); // acos(500/560) / 2
    EXPECT_NEAR(CDX9KelBattleSystem::CalcHeelAngle(1000, 0.0f, 60.0f), -0.23357f, 1e-4f);
    EXPECT_NEAR(CDX9KelBattleSystem::CalcHeelAngle(0, 0.0f, 60.0f), 12.566371f, 1e-4f);

    Ship s("S");
    std::vector<PartRecord>& hull = s.Data().m_stdvDesignParts;
    // No water: nothing moves.
    EXPECT_EQ(CDX9KelBattleSystem::CalcFlooding(&s.object, 1.85f), 0.0f);
    EXPECT_EQ(hull[0].m_fWaterline, 1.0f);
    // Water evenly on both sides: the ship settles without heel.
    for (PartRecord& p : hull) p.m_fWaterWeight = 10.0f;
    EXPECT_FLOAT_EQ(CDX9KelBattleSystem::CalcFlooding(&s.object, 1.85f), 60.0f);
    EXPECT_EQ(s.object.m_pMovementState->m_fCrossHeel, 0.0f);
    // Rise = (4 - 1) / 1000 x 60.
    for (const PartRecord& p : hull) EXPECT_NEAR(p.m_fWaterline, 1.18f, 1e-5f);
    EXPECT_NEAR(s.object.m_pMovementState->m_fFloodLevel, 0.18f * 0.054f, 1e-6f);
    // A fort (no movement state) neither floods nor heels.
    Ship fort("F", false);
    for (PartRecord& p : fort.Data().m_stdvDesignParts) p.m_fWaterWeight = 10.0f;
    EXPECT_EQ(CDX9KelBattleSystem::CalcFlooding(&fort.object, 1.85f), 0.0f);
}

TEST_F(BattleSystemTest, DeathTable) {
    const struct {
        const char* name;
        bool movement, canSink;
        float water, heel, damage;
        int kind;
        const char* line;
    } cases[] = {
        {"afloat", true, true, 919.0f, 0.2618f, 0.0f, DEATH_ALIVE, nullptr},
        {"flooded", true, true, 920.0f, 0.0f, 0.0f, DEATH_FLOOD, "BATTLE_SYSTEM_DEATH_FLOOD : U\n"},
        {"capsized", true, true, 0.0f, -0.27f, 0.0f, DEATH_ROLL, "BATTLE_SYSTEM_DEATH_ROLL : U\n"},
        {"stranded", true, false, 5000.0f, 0.5f, 0.0f, DEATH_ALIVE, nullptr},
        {"fort with water", false, true, 5000.0f, 0.0f, 0.0f, DEATH_ALIVE, nullptr},
        {"fort destroyed", false, true, 0.0f, 0.0f, 1.0f, DEATH_DESTRUCTION, "BATTLE_SYSTEM_DEATH_DESTRUCTION : U\n"},
        {"wreck", true, true, 0.0f, 0.0f, 1.0f, DEATH_DESTRUCTION, "BATTLE_SYSTEM_DEATH_DESTRUCTION : U\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ship s("U", c.movement);
        if (c.movement) {
            s.object.m_pMovementState->m_bCanSink = c.canSink ? 1 : 0;
            s.object.m_pMovementState->m_fCrossHeel = c.heel;
        }
        if (c.damage > 0.0f)
            for (auto* list : {&s.Data().m_stdvMGTowers, &s.Data().m_stdvDesignParts, &s.Data().m_stdvPipes})
                for (PartRecord& p : *list) p.m_fDamage = p.m_fDurability;
        EXPECT_TRUE(battle.DetectDeath(&s.object, c.water));
        EXPECT_EQ(s.Data().m_iDeathKind, c.kind);
        EXPECT_EQ(s.Data().m_bAlive, c.kind == DEATH_ALIVE ? 1 : 0);
    }
    EXPECT_FALSE(battle.DetectDeath(nullptr, 0.0f));
}

TEST_F(BattleSystemTest, DeathLinesNameTheUnit) {
    Ship s("Sinker");
    battle.DetectDeath(&s.object, 2000.0f);
    EXPECT_NE(Log().find("CDX9KelBattleSystem::DetectDeath : BATTLE_SYSTEM_DEATH_FLOOD : Sinker\n"), std::string::npos);
}

// A ship holed once under water at its left bow (a hole of 27 at 0.5,
// damage 27), settled for one round; every value worked out by hand.
TEST_F(BattleSystemTest, OneRoundOfAHoledShip) {
    Ship s("Holed");
    s.Data().m_stdvMGTowers.clear();
    s.Data().m_stdvPipes.clear();
    s.model.m_stdvTowers.clear();
    PartRecord& bow = s.Data().m_stdvDesignParts[0];
    bow.m_stdvHoles = {{0.5f, 27.0f}};
    bow.m_fDamage = 27.0f;
    bow.m_stdvGuns = {MakeGun()};
    bow.m_stdvGuns[0].m_fHeight = 1.1f;
    // The model: a "hull" frame 0.2 wide, so the half-beam is 0.1 x 18.5.
    auto* model = new Vorna2::CDX9KelModel();
    D3DXFRAME root{};
    char hullName[] = "hull";
    root.Name = hullName;
    model->m_pFrameRoot = &root;
    model->m_pBounds = new CDX9KelBoundsRecord();
    model->m_pBounds->m_vBoxMin = D3DXVECTOR3(-0.1f, 0.0f, -5.0f);
    model->m_pBounds->m_vBoxMax = D3DXVECTOR3(0.1f, 4.0f, 5.0f);
    s.scene.m_Models.push_back(model);

    ASSERT_TRUE(battle.CalcObjectRoundData(&s.object, &s.scene));
    std::vector<PartRecord>& hull = s.Data().m_stdvDesignParts;
    // First pass: efficiency 1 - 0.27 at the bow, 1 elsewhere (mean
    // 0.955); the hole lets in 2 active holes and 33.75 of water.
    EXPECT_NEAR(hull[0].m_fEfficiency, 0.73f, 1e-5f);
    EXPECT_NEAR(hull[0].m_fActiveHoles, 2.0f, 1e-5f);
    // Drainage 10 x 0.955 leaves 24.2, spread over 6 + 2 holes: the bow
    // gets 3 shares of 3.025, the others one each.
    EXPECT_NEAR(hull[0].m_fWaterWeight, 9.075f, 1e-4f);
    for (int i = 1; i < 6; ++i) EXPECT_NEAR(hull[i].m_fWaterWeight, 3.025f, 1e-4f) << i;
    // Repair 1000 x 0.00025 x 0.73 is held at the underwater hole's 27.
    EXPECT_NEAR(hull[0].m_fDamage, 27.0f, 1e-4f);
    // Heel: left 15.125, right 9.075, over half the displacement each.
    const MovementStateRecord& state = *s.object.m_pMovementState;
    EXPECT_NEAR(state.m_fCrossHeel, 0.0767065f, 1e-5f);
    EXPECT_NEAR(state.m_fLongitudinalHeel, 0.0769332f, 1e-5f);
    EXPECT_NEAR(state.m_fFloodLevel, 0.0039204f, 1e-6f);
    // Rise 3 / 1000 x 24.2 = 0.0726; the heel lifts the left waterlines
    // by 1.85 sin(heel) and lowers the right ones.
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(hull[i].m_fWaterline, 1.2143680f, 1e-4f) << i;
    for (int i = 3; i < 6; ++i) EXPECT_NEAR(hull[i].m_fWaterline, 0.9308320f, 1e-4f) << i;
    EXPECT_NEAR(hull[0].m_fReserveArea, 27.856320f, 1e-3f);
    EXPECT_NEAR(s.Data().m_fTotalReserveArea, 175.644f, 1e-2f);
    // The bow gun (at 1.1) is now under water.
    EXPECT_EQ(hull[0].m_stdvGuns[0].m_bCanShoot, 0);
    // Speed: 0.8 x (1 - 24.2 / 1000) + 0.2 x (1 - 0 / 1) of 2.0.
    EXPECT_NEAR(s.object.m_pMovement->m_fSpeedLimit, 2.0f * 0.98064f, 1e-5f);
    EXPECT_EQ(s.Data().m_bAlive, 1);
    EXPECT_NE(Log().find("CDX9KelBattleSystem::CalcObjectRoundData : Holed\n"), std::string::npos);

    s.scene.m_Models.clear();
    model->m_pFrameRoot = nullptr;
    delete model;
}

// A fort whose fore tower burns (fire 10, damage 20 of 80), one round.
TEST_F(BattleSystemTest, ABurningTowerIsFoughtButNotRepaired) {
    Ship fort("Fort", false);
    PartRecord& tower = fort.Data().m_stdvMGTowers[0];
    tower.m_fFireStrength = 10.0f;
    tower.m_fDamage = 20.0f;
    ASSERT_TRUE(battle.CalcObjectRoundData(&fort.object, &fort.scene));
    // Efficiency 1 - 20/80 - 10/80; the mean over 8 parts is 7.625 / 8.
    EXPECT_FLOAT_EQ(tower.m_fEfficiency, 0.625f);
    // The fire grows to 22 and burns 2.2; the pumps (10) take 22/22 x 10
    // x 0.1 x 0.953125 off it; no repair while it burns.
    EXPECT_NEAR(tower.m_fFireStrength, 21.046875f, 1e-4f);
    EXPECT_NEAR(tower.m_fDamage, 22.2f, 1e-4f);
    // Two shots at 0.625: one.
    EXPECT_EQ(tower.m_stdvGuns[0].m_iCurrentBombardSpeed, 1);
    // Pumps given as nothing fight no fire.
    fort.Data().m_fPumps = -1.0f;
    ASSERT_TRUE(battle.CalcObjectRoundData(&fort.object, &fort.scene));
    EXPECT_GT(tower.m_fFireStrength, 21.046875f);
}

TEST_F(BattleSystemTest, AShipWithoutAHullFrameKeepsItsRoundDataOnly) {
    Ship s("NoHull");
    s.Data().m_stdvDesignParts[0].m_stdvHoles = {{0.5f, 27.0f}};
    EXPECT_FALSE(battle.CalcObjectRoundData(&s.object, &s.scene));
    EXPECT_NEAR(s.Data().m_stdvDesignParts[0].m_fActiveHoles, 2.0f, 1e-5f);
    EXPECT_EQ(s.Data().m_stdvDesignParts[0].m_fWaterline, 1.0f);
    EXPECT_EQ(s.object.m_pMovement->m_fSpeedLimit, 2.0f);
    // A fort needs no hull frame; its tower guns are renewed, its hull
    // guns are not.
    Ship fort("Fort", false);
    fort.Data().m_stdvDesignParts[1].m_stdvGuns = {MakeGun()};
    fort.Data().m_stdvDesignParts[1].m_stdvGuns[0].m_bReady = 0;
    fort.Data().m_stdvMGTowers[0].m_stdvGuns[0].m_bReady = 0;
    EXPECT_TRUE(battle.CalcObjectRoundData(&fort.object, &fort.scene));
    EXPECT_EQ(fort.Data().m_stdvMGTowers[0].m_stdvGuns[0].m_bReady, 1);
    EXPECT_EQ(fort.Data().m_stdvDesignParts[1].m_stdvGuns[0].m_bReady, 0);
    EXPECT_FALSE(battle.CalcObjectRoundData(&fort.object, nullptr));
    // A unit with no parts at all stays finite.
    Ship bare("Bare", false);
    bare.Data().m_stdvDesignParts.clear();
    bare.Data().m_stdvMGTowers.clear();
    bare.Data().m_stdvPipes.clear();
    EXPECT_TRUE(battle.CalcObjectRoundData(&bare.object, &bare.scene));
    EXPECT_EQ(bare.Data().m_bAlive, 1);
}

TEST_F(BattleSystemTest, TheRoundStepsOneUnitPerFrameThroughBothSides) {
    Ship a1("A1", false), a2("A2", false), b1("B1");
    b1.Data().m_bAlive = 0;
    BattleGameObjectList side1{&a1.object, &a2.object}, side2{&b1.object};
    BattleSceneObjectList scenes1{&a1.scene, &a2.scene}, scenes2{&b1.scene};
    EXPECT_FALSE(battle.BeginCalcRoundResult());
    CDX9KelBattleSystem::MapLists lists;
    lists.m_pGameObjects[0] = &side1;
    lists.m_pGameObjects[1] = &side2;
    lists.m_pSceneObjects[0] = &scenes1;
    lists.m_pSceneObjects[1] = &scenes2;
    battle.SetMapLists(lists);
    ASSERT_TRUE(battle.BeginCalcRoundResult());
    EXPECT_NE(Log().find("_________________________CDX9KelBattleSystem::BeginCalcRoundResult()\n"), std::string::npos);
    // Side 1's two units, a frame for the change of side, side 2's unit.
    int frames = 0;
    while (battle.m_iState == BATTLE_SYSTEM_ROUND_RESULT_1 && frames < 100) {
        battle.ProcRoundResult();
        ++frames;
    }
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_ROUND_RESULT_2);
    EXPECT_EQ(battle.m_iRoundIndex1, -1);
    EXPECT_EQ(battle.m_iRoundIndex2, -1);
    frames = 0;
    while (battle.m_iState == BATTLE_SYSTEM_ROUND_RESULT_2 && frames < 100) {
        battle.ProcRoundResult();
        ++frames;
    }
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    // The lost ship goes to the sinking list; the forts do not.
    EXPECT_EQ(battle.m_stdvSinking, (std::vector<CDX9KelSceneObject*>{&b1.scene}));
    // Still on the map a round later, it is not listed twice.
    ASSERT_TRUE(battle.BeginCalcRoundResult());
    for (int frame = 0; frame < 100 && battle.m_iState != BATTLE_SYSTEM_IDLE; ++frame) battle.ProcRoundResult();
    EXPECT_EQ(battle.m_stdvSinking, (std::vector<CDX9KelSceneObject*>{&b1.scene}));
    // The next map's lists come with nothing of this map left over, even in
    // the middle of a round.
    ASSERT_TRUE(battle.BeginCalcRoundResult());
    battle.ProcRoundResult();
    battle.SetMapLists(lists);
    EXPECT_TRUE(battle.m_stdvSinking.empty());
    EXPECT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
    EXPECT_EQ(battle.m_iRoundIndex1, -1);
}

// ---- effects ----

TEST_F(BattleSystemTest, FireSystemsFollowTheBurningPartsAndShotsLeaveTheirEffects) {
    VornaTest::OffscreenDevice device;
    ASSERT_TRUE(device.Create(64, 64));
    Vorna2::CDX9KelGraphicsResManager resources;
    Vorna2::CDXParticleSystemManager particles;
    particles.m_pResManager = &resources;
    CDX9KelBattleSystem::MapLists lists;
    lists.m_pParticles = &particles;
    lists.m_pDevice = device.m_pDevice;
    battle.SetMapLists(lists);
    battle.m_szShotParticles = "Particles\\Campaign\\c2smoke.ini";
    battle.m_szSplashParticles = "Particles\\Campaign\\c2splash.ini";
    battle.m_szExplosionParticles = "Particles\\Campaign\\c2explosion.ini";
    battle.m_szFireParticles = "Particles\\Campaign\\c2explosion.ini";

    // Each burning hull part gets its fire; the fires of the last round
    // are taken away first, other systems of the unit stay.
    Ship s("Burning");
    int index = -1;
    s.scene.m_pParticleSystems = particles.CreateList(&s.scene.m_bVisible, &index);
    D3DXMATRIX at;
    D3DXMatrixIdentity(&at);
    ASSERT_EQ(particles.CreateListPSInList(device.m_pDevice, s.scene.m_pParticleSystems,
                                           "Particles\\Campaign\\c2smoke.ini", &at, &s.scene.m_mWorld),
              0);
    s.Data().m_stdvDesignParts[0].m_fFireStrength = 5.0f;
    s.Data().m_stdvDesignParts[4].m_fFireStrength = 1.0f;
    s.Data().m_stdvMGTowers[0].m_fFireStrength = 1.0f;
    ASSERT_TRUE(battle.UpdateObjectEffects(&s.object, &s.scene));
    EXPECT_EQ(s.scene.m_pParticleSystems->m_Systems.size(), 3u);
    ASSERT_TRUE(battle.UpdateObjectEffects(&s.object, &s.scene));
    EXPECT_EQ(s.scene.m_pParticleSystems->m_Systems.size(), 3u);
    s.Data().m_stdvDesignParts[4].m_fFireStrength = 0.0f;
    ASSERT_TRUE(battle.UpdateObjectEffects(&s.object, &s.scene));
    EXPECT_EQ(s.scene.m_pParticleSystems->m_Systems.size(), 2u);
    // A ship without a list of its own gets one.
    Ship fresh("Fresh");
    fresh.Data().m_stdvDesignParts[2].m_fFireStrength = 1.0f;
    ASSERT_TRUE(battle.UpdateObjectEffects(&fresh.object, &fresh.scene));
    ASSERT_NE(fresh.scene.m_pParticleSystems, nullptr);
    EXPECT_EQ(fresh.scene.m_pParticleSystems->m_Systems.size(), 1u);
    // A lost ship only goes to the sinking list.
    s.Data().m_bAlive = 0;
    ASSERT_TRUE(battle.UpdateObjectEffects(&s.object, &s.scene));
    EXPECT_EQ(s.scene.m_pParticleSystems->m_Systems.size(), 2u);
    EXPECT_EQ(battle.m_stdvSinking, (std::vector<CDX9KelSceneObject*>{&s.scene}));

    // A bombardment of two guns that both fire: smoke at each muzzle and a
    // splash or explosion for each, standalone.
    FixedRandom r({0});
    Engage();
    for (int frame = 0; frame < 3; ++frame) battle.ProcBombardment();
    ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
    for (int frame = 0; frame < 10000 && battle.m_iState == BATTLE_SYSTEM_ATTACK_TURN; ++frame)
        battle.ProcAttackTurn(10.0f);
    EXPECT_EQ(particles.m_Standalone.size(), 4u);
    particles.DeleteAllPS();
    resources.ReleaseAllTextures();
}

// Each round a unit's fire systems are found by the fire file's name and
// replaced; a fire file that is also the funnel smoke would put out the
// funnels with the fires.
TEST(BattleDemoContent, TheFireIsNotTheFunnelSmoke) {
    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(VORNA_BIN_DIR "/Data/Maps/AllMapsData.xml"));
    const TiXmlElement* systems = doc.RootElement() ? doc.RootElement()->FirstChildElement("ParticleSystems") : nullptr;
    ASSERT_NE(systems, nullptr);
    const TiXmlElement* fire = systems->FirstChildElement("Fire");
    const TiXmlElement* smoke = systems->FirstChildElement("PipeSmoke");
    ASSERT_TRUE(fire && fire->GetText() && smoke && smoke->GetText());
    EXPECT_STRNE(fire->GetText(), smoke->GetText());
}
