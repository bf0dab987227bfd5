// The damage model: areas, ratings, reload times, gun groups, crew
// experience, repair and fire-fighting.
#include <gtest/gtest.h>

#include <cstring>

#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

using namespace SeaBattle;

namespace {

CBattleSystemShipGun MakeGun(const char* name, float recharge, float damage = 10.0f, float pierce = 2.0f) {
    CBattleSystemShipGun g;
    std::strncpy(g.Name, name, sizeof g.Name - 1);
    g.RechargeSpeed = recharge;
    g.Damage = damage;
    g.BeginArmourPirce = pierce;
    return g;
}

CBattleSystemShipPart* MakePart(float length, float height, float waterline, float durability = 100.0f,
                                float buoyancy = 50.0f) {
    auto* p = new CBattleSystemShipPart();
    p->Length = length;
    p->Height = height;
    p->InitialWaterline = p->Waterline = waterline;
    p->Durability = durability;
    p->Buoyancy = buoyancy;
    return p;
}

// Nine parts: a port and a starboard side with a main battery amidships,
// lighter guns at the ends, and a centre-line turret as part 6.
void FillNineParts(CVR3GAMEBattleSystemShip& s) {
    for (int i = 0; i < 9; ++i)
        s.Parts.push_back(MakePart(10.0f, 4.0f, i < 6 ? 1.0f : -1.0f));
    for (int side : {0, 3}) {
        s.Parts[side + 0]->Guns.push_back(MakeGun("light", 10.0f, 2.0f, 1.0f));
        s.Parts[side + 1]->Guns.push_back(MakeGun("heavy", 20.0f));
        s.Parts[side + 1]->Guns.push_back(MakeGun("heavy", 20.0f));
        s.Parts[side + 2]->Guns.push_back(MakeGun("light", 10.0f, 2.0f, 1.0f));
    }
    s.Parts[6]->Guns.push_back(MakeGun("turret", 30.0f, 50.0f, 4.0f));
    s.Parts[7]->Guns.push_back(MakeGun("turret", 30.0f, 50.0f, 4.0f));
}

} // namespace

TEST(DamageModel, AreasAndSumsWithAndWithoutWaterline) {
    CVR3GAMEBattleSystemShip s;
    s.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f, 100.0f, 30.0f));  // 10 x (4 - 1) = 30
    s.Parts.push_back(MakePart(8.0f, 5.0f, -1.0f, 50.0f, 20.0f));   // no waterline: 8 x 5 = 40
    s.Init();
    EXPECT_FLOAT_EQ(s.Parts[0]->Area, 30.0f);
    EXPECT_FLOAT_EQ(s.Parts[1]->Area, 40.0f);
    EXPECT_FLOAT_EQ(s.AboveWaterArea, 70.0f);
    EXPECT_FLOAT_EQ(s.TotalDurability, 150.0f);
    EXPECT_FLOAT_EQ(s.TotalBuoyancy, 50.0f);
    EXPECT_FALSE(s.Parts[1]->HasWaterline());
    EXPECT_FLOAT_EQ(s.ArmourRating, 0.0f); // no armour values
}

TEST(DamageModel, ArmourRatingIsArmouredShareTimesMeanArmour) {
    CVR3GAMEBattleSystemShip s;
    CBattleSystemShipPart* a = MakePart(10.0f, 4.0f, 1.0f);
    a->ArmourRect1 = {0.0f, 3.0f, 10.0f, 1.0f}; // 20
    a->Armour1 = 6.0f;
    CBattleSystemShipPart* b = MakePart(10.0f, 4.0f, 1.0f);
    b->ArmourRect2 = {0.0f, 2.0f, 5.0f, 0.0f}; // 10
    b->Armour2 = 2.0f;
    s.Parts = {a, b};
    s.Init();
    // armoured 30 of side 80, mean armour (6 + 2) / 2
    EXPECT_FLOAT_EQ(s.ArmourRating, 30.0f / 80.0f * 4.0f);
}

TEST(DamageModel, ArtilleryRatingGunGroupsAndMainGun) {
    CVR3GAMEBattleSystemShip s;
    FillNineParts(s);
    s.Init();
    // light: 2 x 1 x 1 per end part (4 parts), heavy: 10 x 2 x 2 (2 parts), turret: 50 x 4 (2 parts)
    EXPECT_FLOAT_EQ(s.ArtilleryRating, 4 * 2.0f + 2 * 40.0f + 2 * 200.0f);
    // The first port part with guns names the main calibre: "light".
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::PORT_MAIN_INITIAL], 2u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::PORT_MAIN_CURRENT], 2u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::PORT_OTHER_INITIAL], 2u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::STARBOARD_MAIN_INITIAL], 2u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::STARBOARD_OTHER_CURRENT], 2u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::PART6_INITIAL], 1u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::PART7_CURRENT], 1u);
    EXPECT_EQ(s.GunCounts[CVR3GAMEBattleSystemShip::PART8_INITIAL], 0u);
    // Port main (2) does not exceed port other (2): the other record stands for the ship.
    EXPECT_STREQ(s.MainGun.Name, "heavy");
}

TEST(DamageModel, MainGunCases) {
    struct Case {
        int portMain, portOther;
        bool part6;
        const char* expected;
    } cases[] = {
        {3, 1, true, "main"},   // main exceeds other
        {1, 1, true, "other"},  // not greater
        {0, 0, true, "centre"}, // no port guns: part 6
    };
    for (const Case& c : cases) {
        CVR3GAMEBattleSystemShip s;
        for (int i = 0; i < 7; ++i)
            s.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f));
        for (int k = 0; k < c.portMain; ++k)
            s.Parts[0]->Guns.push_back(MakeGun("main", 10.0f));
        for (int k = 0; k < c.portOther; ++k)
            s.Parts[1]->Guns.push_back(MakeGun("other", 10.0f));
        if (c.part6)
            s.Parts[6]->Guns.push_back(MakeGun("centre", 10.0f));
        s.Init();
        EXPECT_STREQ(s.MainGun.Name, c.expected) << c.portMain << "/" << c.portOther;
    }
}

TEST(DamageModel, ReloadTimesFollowCrewTraining) {
    const struct {
        float training, expected;
    } cases[] = {{1.0f, 20.0f}, {0.5f, 30.0f}, {0.78f, 24.4f}};
    for (auto c : cases) {
        CVR3GAMEBattleSystemShip s;
        s.CrewTraining = c.training;
        s.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f));
        s.Parts[0]->Guns.push_back(MakeGun("gun", 20.0f));
        s.Init();
        EXPECT_NEAR(s.Parts[0]->Guns[0].RechargeSpeed, c.expected, 1e-4f) << c.training;
        EXPECT_NEAR(s.Parts[0]->Guns[0].CurrentRecharge, c.expected, 1e-4f);
    }
}

TEST(DamageModel, CrewExperienceRaisesTrainingAndReloadsNeverCompound) {
    CVR3GAMEBattleMapShip ship;
    ship.m_pBattleShip = new CVR3GAMEBattleSystemShip();
    CVR3GAMEBattleSystemShip& s = *ship.m_pBattleShip;
    s.CrewTraining = 0.5f;
    s.ExpLevel1 = 10.0f;
    s.ExpLevel2 = 20.0f;
    s.ExpLevel3 = 40.0f;
    s.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f));
    s.Parts[0]->Guns.push_back(MakeGun("gun", 20.0f));
    s.Parts[0]->Guns.push_back(MakeGun("gun", 20.0f));
    s.Init();
    EXPECT_FLOAT_EQ(s.Parts[0]->Guns[0].RechargeSpeed, 30.0f);

    s.Parts[0]->Guns[0].DamageDealt = 15.0f;
    s.Parts[0]->Guns[1].DamageDealt = 5.0f;
    s.Parts[0]->Guns[1].Reloading = true;
    EXPECT_TRUE(UpdateShipCrewExperience(&ship, 10.0f)); // (10 + 20) / 2 guns = 15
    EXPECT_FLOAT_EQ(s.CrewExperience, 15.0f);
    EXPECT_FLOAT_EQ(s.CrewTraining, 0.78f);
    EXPECT_FLOAT_EQ(s.Parts[0]->Guns[0].DamageDealt, 0.0f);
    EXPECT_FALSE(s.Parts[0]->Guns[1].Reloading);
    EXPECT_NEAR(s.Parts[0]->Guns[0].RechargeSpeed, 20.0f * 1.22f, 1e-4f);

    // A second battle without damage: the training stays, the reload time too.
    EXPECT_TRUE(UpdateShipCrewExperience(&ship, 0.0f));
    EXPECT_NEAR(s.Parts[0]->Guns[0].RechargeSpeed, 20.0f * 1.22f, 1e-4f);
    // Enough for the third level at once: the best level wins.
    EXPECT_TRUE(UpdateShipCrewExperience(&ship, 60.0f));
    EXPECT_FLOAT_EQ(s.CrewTraining, 0.98f);
    EXPECT_NEAR(s.Parts[0]->Guns[1].CurrentRecharge, 20.0f * 1.02f, 1e-4f);

    EXPECT_FALSE(UpdateShipCrewExperience(&ship, -1.0f));
    CVR3GAMEBattleMapShip empty;
    EXPECT_FALSE(UpdateShipCrewExperience(&empty, 1.0f));
}

TEST(DamageModel, FloodingFactorsNeedSixParts) {
    CVR3GAMEBattleSystemShip few;
    for (int i = 0; i < 5; ++i)
        few.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f));
    few.Init();
    few.InitFloodingFactors();
    EXPECT_FLOAT_EQ(few.WaterlineRise, 0.0f);

    CVR3GAMEBattleSystemShip six;
    for (int i = 0; i < 6; ++i)
        six.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f, 100.0f, 10.0f));
    six.Init();
    six.InitFloodingFactors();
    EXPECT_FLOAT_EQ(six.WaterlineRise, 3.0f / 60.0f);
    EXPECT_FLOAT_EQ(six.WaterMassFactor, 3.0f / 60.0f * 0.054f * 60.0f * 3.53f);

    // No buoyancy at all: no factors rather than a division by zero.
    CVR3GAMEBattleSystemShip dry;
    for (int i = 0; i < 6; ++i)
        dry.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f, 100.0f, 0.0f));
    dry.Init();
    dry.InitFloodingFactors();
    EXPECT_FLOAT_EQ(dry.WaterlineRise, 0.0f);
    EXPECT_FLOAT_EQ(dry.WaterMassFactor, 0.0f);
}

TEST(DamageModel, FindArtilleryTypeByTag) {
    std::vector<CBattleArtilleryType> list(2);
    std::strcpy(list[0].Tag, "Gun152");
    std::strcpy(list[0].Name, "six inch");
    list[0].RechargeSpeed = 12.0f;
    list[0].Damage = 40.0f;
    std::strcpy(list[1].Tag, "Gun254");
    list[1].Damage = 90.0f;

    CBattleSystemShipGun g;
    g.Shells = 30;
    EXPECT_TRUE(FindArtilleryTypeByTag(&list, "Gun152", &g));
    EXPECT_STREQ(g.Name, "six inch");
    EXPECT_FLOAT_EQ(g.Damage, 40.0f);
    EXPECT_FLOAT_EQ(g.BaseRechargeSpeed, 12.0f);
    EXPECT_EQ(g.Shells, 30);        // the gun's own values stay
    EXPECT_EQ(g.Kind, CBattleSystemDamageElement::kGun);

    CBattleSystemShipGun unknown;
    EXPECT_FALSE(FindArtilleryTypeByTag(&list, "gun152", &unknown)); // case matters
    EXPECT_FLOAT_EQ(unknown.Damage, 0.0f);
    EXPECT_FLOAT_EQ(unknown.DamageToWaterFactor, 1.0f);
    EXPECT_EQ(unknown.Shells, -1);
    EXPECT_FALSE(FindArtilleryTypeByTag(nullptr, "Gun152", &unknown));
    EXPECT_FALSE(FindArtilleryTypeByTag(&list, "Gun152", nullptr));
}

TEST(DamageModel, RepairCarriesAcrossPartsAndNeverGoesNegative) {
    CVR3GAMEBattleMapShip ship;
    ship.m_pBattleShip = new CVR3GAMEBattleSystemShip();
    CVR3GAMEBattleSystemShip& s = *ship.m_pBattleShip;
    for (int i = 0; i < 3; ++i)
        s.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f, 100.0f));
    s.Init(); // durability 300
    s.Parts[0]->DamageTaken = 10.0f;
    s.Parts[1]->DamageTaken = 40.0f;
    s.Parts[2]->DamageTaken = 30.0f;
    for (auto* p : s.Parts)
        p->Holes.push_back({1.0f, 20.0f, 1.0f});
    s.TotalDamage = 80.0f;
    s.DamagePercent = 80.0f / 3.0f;

    EXPECT_TRUE(RepairShipDamage(&ship, 10.0f)); // 30 units
    EXPECT_FLOAT_EQ(s.TotalDamage, 50.0f);
    EXPECT_FLOAT_EQ(s.Parts[0]->DamageTaken, 0.0f);
    EXPECT_FLOAT_EQ(s.Parts[1]->DamageTaken, 20.0f);
    EXPECT_FLOAT_EQ(s.Parts[2]->DamageTaken, 30.0f);
    EXPECT_TRUE(s.Parts[0]->Holes.empty());
    EXPECT_TRUE(s.Parts[1]->Holes.empty());  // visited
    EXPECT_EQ(s.Parts[2]->Holes.size(), 1u); // not reached

    EXPECT_TRUE(RepairShipDamage(&ship, 90.0f));
    EXPECT_FLOAT_EQ(s.TotalDamage, 0.0f);
    EXPECT_FLOAT_EQ(s.DamagePercent, 0.0f);
    EXPECT_FLOAT_EQ(s.Parts[2]->DamageTaken, 0.0f);
    EXPECT_FALSE(RepairShipDamage(&ship, 0.0f));
}

TEST(DamageModel, FullRepairAndFireFighting) {
    CVR3GAMEBattleMapShip ship;
    ship.m_pBattleShip = new CVR3GAMEBattleSystemShip();
    CVR3GAMEBattleSystemShip& s = *ship.m_pBattleShip;
    for (int i = 0; i < 2; ++i)
        s.Parts.push_back(MakePart(10.0f, 4.0f, 1.0f));
    s.Init();
    s.Parts[0]->Fire = 5.0f;
    s.Parts[1]->Fire = 3.0f;
    s.TotalFire = 8.0f;
    s.FirePercent = 4.0f;
    EXPECT_TRUE(ExtinguishShipFires(&ship));
    EXPECT_FLOAT_EQ(s.FirePercent, 0.0f);
    EXPECT_FLOAT_EQ(s.Parts[1]->Fire, 0.0f);

    s.Parts[0]->Waterline = 2.5f; // flooded: the side above the water shrank
    s.Parts[0]->Area = 15.0f;
    s.Parts[0]->Water = 7.0f;
    s.Parts[0]->Holes.push_back({0.5f, 30.0f, 1.0f});
    s.Heel = 0.1f;
    s.Trim = -0.05f;
    s.DamagePercent = 40.0f;
    EXPECT_TRUE(RepairShipFully(&ship));
    EXPECT_FLOAT_EQ(s.Parts[0]->Waterline, 1.0f);
    EXPECT_FLOAT_EQ(s.Parts[0]->Area, 30.0f);
    EXPECT_FLOAT_EQ(s.AboveWaterArea, 60.0f);
    EXPECT_TRUE(s.Parts[0]->Holes.empty());
    EXPECT_FLOAT_EQ(s.Heel, 0.0f);
    EXPECT_FLOAT_EQ(s.Trim, 0.0f);
    EXPECT_FLOAT_EQ(s.DamagePercent, 0.0f);
    EXPECT_FLOAT_EQ(s.Parts[0]->Water, 0.0f);
}
