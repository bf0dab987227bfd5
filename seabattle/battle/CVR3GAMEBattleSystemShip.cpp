#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"

namespace SeaBattle {

using Vorna3D::g_Log;

CVR3GAMEBattleSystemShip::~CVR3GAMEBattleSystemShip() {
    for (CBattleSystemShipPart* p : Parts)
        delete p;
    Parts.clear();
}

std::size_t CVR3GAMEBattleSystemShip::CountGuns() const {
    std::size_t n = 0;
    for (const CBattleSystemShipPart* p : Parts)
        if (p)
            n += p->Guns.size();
    return n;
}

float ReloadTimeForTraining(const CBattleSystemShipGun& gun, float crewTraining) {
    const float base = gun.BaseRechargeSpeed >= 0.0f ? gun.BaseRechargeSpeed : gun.RechargeSpeed;
    return base * (2.0f - crewTraining);
}

void CVR3GAMEBattleSystemShip::Init() {
    if (Parts.empty())
        g_Log.Write(2, "%s%s%s", "CVR3GAMEBattleSystemShip::Init() : ship without parts : ", Name.c_str(), "\n");

    // Areas and sums.
    AboveWaterArea = 0.0f;
    TotalBuoyancy = 0.0f;
    TotalDurability = 0.0f;
    for (std::size_t i = 0; i < Parts.size(); ++i) {
        CBattleSystemShipPart* p = Parts[i];
        if (!p)
            continue;
        if (p->Durability <= 0.0f)
            g_Log.Write(2, "%s%s%s%i%s", "CVR3GAMEBattleSystemShip::Init() : part durability not above 0 : ",
                        Name.c_str(), " : ", static_cast<int>(i), "\n");
        p->Area = p->ComputeArea();
        AboveWaterArea += p->Area;
        TotalDurability += p->Durability;
        TotalBuoyancy += p->Buoyancy;
    }
    if (!Parts.empty() && TotalBuoyancy <= 0.0f)
        g_Log.Write(2, "%s%s%s", "CVR3GAMEBattleSystemShip::Init() : total buoyancy not above 0 : ", Name.c_str(),
                    "\n");

    // Armour.
    float armouredArea = 0.0f, sideArea = 0.0f, armourSum = 0.0f;
    int armourCount = 0;
    for (const CBattleSystemShipPart* p : Parts) {
        if (!p)
            continue;
        armouredArea += (p->ArmourRect1.top - p->ArmourRect1.bottom) * (p->ArmourRect1.right - p->ArmourRect1.left);
        armouredArea += (p->ArmourRect2.top - p->ArmourRect2.bottom) * (p->ArmourRect2.right - p->ArmourRect2.left);
        sideArea += p->Length * p->Height;
        if (p->Armour1 > 0.0f) {
            ++armourCount;
            armourSum += p->Armour1;
        }
        if (p->Armour2 != 0.0f) {
            ++armourCount;
            armourSum += p->Armour2;
        }
    }
    if (armourCount != 0 && sideArea != 0.0f)
        ArmourRating = armouredArea / sideArea * armourSum / static_cast<float>(armourCount);

    // Artillery rating and reload times.
    for (CBattleSystemShipPart* p : Parts) {
        if (!p || p->Guns.empty())
            continue;
        const CBattleSystemShipGun& first = p->Guns.front();
        ArtilleryRating += first.Damage * first.BeginArmourPirce * static_cast<float>(p->Guns.size());
        for (CBattleSystemShipGun& g : p->Guns) {
            if (g.BaseRechargeSpeed < 0.0f)
                g.BaseRechargeSpeed = g.RechargeSpeed;
            g.RechargeSpeed = ReloadTimeForTraining(g, CrewTraining);
            g.CurrentRecharge = g.RechargeSpeed;
        }
    }

    // Gun groups. Only parts 0-8 have a group; guns of further parts count nowhere.
    const CBattleSystemShipGun* portMain = nullptr;
    const CBattleSystemShipGun* portOther = nullptr;
    const CBattleSystemShipGun* part6 = nullptr;
    std::string portMainName, starboardMainName;
    bool portNamed = false, starboardNamed = false;
    for (std::size_t i = 0; i < Parts.size() && i < 9; ++i) {
        const CBattleSystemShipPart* p = Parts[i];
        if (!p || p->Guns.empty())
            continue;
        const uint32_t n = static_cast<uint32_t>(p->Guns.size());
        const CBattleSystemShipGun& first = p->Guns.front();
        if (i <= 2 || (i >= 3 && i <= 5)) {
            const bool port = i <= 2;
            bool& named = port ? portNamed : starboardNamed;
            std::string& mainName = port ? portMainName : starboardMainName;
            if (!named) {
                named = true;
                mainName = first.Name;
            }
            if (mainName == first.Name) {
                GunCounts[port ? PORT_MAIN_INITIAL : STARBOARD_MAIN_INITIAL] += n;
                GunCounts[port ? PORT_MAIN_CURRENT : STARBOARD_MAIN_CURRENT] += n;
                if (port && !portMain)
                    portMain = &first;
            } else {
                GunCounts[port ? PORT_OTHER_INITIAL : STARBOARD_OTHER_INITIAL] += n;
                GunCounts[port ? PORT_OTHER_CURRENT : STARBOARD_OTHER_CURRENT] += n;
                if (port && !portOther)
                    portOther = &first;
            }
        } else if (i == 6) {
            GunCounts[PART6_INITIAL] += n;
            GunCounts[PART6_CURRENT] += n;
            if (!part6)
                part6 = &first;
        } else if (i == 7) {
            GunCounts[PART7_INITIAL] += n;
            GunCounts[PART7_CURRENT] += n;
        } else {
            GunCounts[PART8_INITIAL] += n;
            GunCounts[PART8_CURRENT] += n;
        }
    }
    const uint32_t mainCount = GunCounts[PORT_MAIN_INITIAL];
    if (mainCount != 0 && mainCount > GunCounts[PORT_OTHER_INITIAL]) {
        if (portMain)
            MainGun = *portMain;
    } else if (mainCount != 0) {
        if (portOther)
            MainGun = *portOther;
    } else if (part6) {
        MainGun = *part6;
    }
}

void CVR3GAMEBattleSystemShip::InitFloodingFactors() {
    if (Parts.size() < kSidedPartCount || !Parts[1])
        return;
    // Without buoyancy the water has nothing to raise: no factors.
    if (TotalBuoyancy <= 0.0f) {
        WaterlineRise = 0.0f;
        WaterMassFactor = 0.0f;
        return;
    }
    WaterlineRise = (Parts[1]->Height - Parts[1]->InitialWaterline) / TotalBuoyancy;
    WaterMassFactor = WaterlineRise * 0.054f * (TotalBuoyancy * 3.53f);
}

bool FindArtilleryTypeByTag(const std::vector<CBattleArtilleryType>* list, const char* tag,
                            CBattleSystemShipGun* gun) {
    if (!list || !tag || !gun)
        return false;
    for (const CBattleArtilleryType& t : *list) {
        if (std::strncmp(t.Tag, tag, CBattleArtilleryType::kTagSize) != 0 ||
            std::strlen(tag) >= CBattleArtilleryType::kTagSize)
            continue;
        static_cast<CBattleArtilleryType&>(*gun) = t;
        gun->Tag[CBattleArtilleryType::kTagSize - 1] = '\0';
        gun->Name[CBattleArtilleryType::kNameSize - 1] = '\0';
        gun->BaseRechargeSpeed = t.RechargeSpeed;
        return true;
    }
    return false;
}

bool UpdateShipCrewExperience(CVR3GAMEBattleMapShip* ship, float amount) {
    if (amount < 0.0f || !ship || !ship->m_pBattleShip)
        return false;
    CVR3GAMEBattleSystemShip& d = *ship->m_pBattleShip;
    float sum = amount;
    for (CBattleSystemShipPart* p : d.Parts) {
        if (!p)
            continue;
        for (CBattleSystemShipGun& g : p->Guns) {
            sum += g.DamageDealt;
            g.DamageDealt = 0.0f;
            g.LandingTime = 0;
            g.Reloading = false;
            g.ShotLanded = false;
        }
    }
    const std::size_t guns = d.CountGuns();
    d.CrewExperience += sum / static_cast<float>(guns ? guns : 1);
    const float levels[3] = {d.ExpLevel1, d.ExpLevel2, d.ExpLevel3};
    const float trainings[3] = {d.CrewTrainingLevel1, d.CrewTrainingLevel2, d.CrewTrainingLevel3};
    for (int k = 0; k < 3; ++k)
        if (d.CrewExperience >= levels[k] && d.CrewTraining < trainings[k])
            d.CrewTraining = trainings[k];
    // From the base time, so a better crew reloads faster, never slower.
    for (CBattleSystemShipPart* p : d.Parts) {
        if (!p)
            continue;
        for (CBattleSystemShipGun& g : p->Guns) {
            if (g.BaseRechargeSpeed < 0.0f)
                g.BaseRechargeSpeed = g.RechargeSpeed;
            g.RechargeSpeed = ReloadTimeForTraining(g, d.CrewTraining);
            g.CurrentRecharge = g.RechargeSpeed;
        }
    }
    return true;
}

bool RepairShipFully(CVR3GAMEBattleMapShip* ship) {
    if (!ship || !ship->m_pBattleShip)
        return false;
    CVR3GAMEBattleSystemShip& d = *ship->m_pBattleShip;
    d.TotalDamage = d.Efficiency = d.TotalFire = d.ActiveHoles = d.TotalWater = 0.0f;
    d.DamagePercent = d.FirePercent = d.WaterPercent = d.Heel = d.Trim = 0.0f;
    d.AboveWaterArea = 0.0f;
    for (CBattleSystemShipPart* p : d.Parts) {
        if (!p)
            continue;
        p->DamageTaken = p->Fire = p->Water = p->Efficiency = 0.0f;
        p->Holes.clear();
        p->Waterline = p->InitialWaterline;
        p->Area = p->ComputeArea();
        d.AboveWaterArea += p->Area;
    }
    if (ship->m_pAnimatedShip)
        ship->m_pAnimatedShip->UpdateDamageLevel(d.DamagePercent);
    if (Vorna3D::CDX9KelPhysicalObjectShip* body = ship->m_pPhysicalObject) {
        if (Vorna3D::CDX9KelPhysicalBody* b = body->GetMainBody())
            b->m_fExtraMass = 0.0f;
        for (std::size_t i = 0; i < body->GetAuxBodyCount(); ++i)
            if (Vorna3D::CDX9KelPhysicalBody* b = body->GetAuxBody(i))
                b->m_fExtraMass = 0.0f;
    }
    return true;
}

bool RepairShipDamage(CVR3GAMEBattleMapShip* ship, float percent) {
    if (!ship || !ship->m_pBattleShip || !(percent > 0.0f))
        return false;
    CVR3GAMEBattleSystemShip& d = *ship->m_pBattleShip;
    float amount = d.TotalDurability * percent / 100.0f;
    // Repair never takes the damage below none.
    d.TotalDamage = d.TotalDamage > amount ? d.TotalDamage - amount : 0.0f;
    d.DamagePercent = d.DamagePercent > percent ? d.DamagePercent - percent : 0.0f;
    for (CBattleSystemShipPart* p : d.Parts) {
        if (!(amount > 0.0f))
            break;
        if (!p)
            continue;
        if (p->DamageTaken <= amount) {
            amount -= p->DamageTaken;
            p->DamageTaken = 0.0f;
        } else {
            p->DamageTaken -= amount;
            amount = 0.0f;
        }
        p->Holes.clear();
    }
    return true;
}

bool ExtinguishShipFires(CVR3GAMEBattleMapShip* ship) {
    if (!ship || !ship->m_pBattleShip)
        return false;
    CVR3GAMEBattleSystemShip& d = *ship->m_pBattleShip;
    if (d.FirePercent > 0.0f) {
        d.FirePercent = 0.0f;
        d.TotalFire = 0.0f;
        for (CBattleSystemShipPart* p : d.Parts)
            if (p)
                p->Fire = 0.0f;
    }
    return true;
}

} // namespace SeaBattle
