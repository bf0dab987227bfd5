// The damage state of the battle resolution: every 2 s one ship in turn has
// its fires grow, spread and be fought, water run in through its holes under
// the waterline, be pumped out and level between the hull parts, its heel and
// trim handed to its physical body, its damage repaired and holes patched,
// guns switched off, totals, ratings and engine force recomputed, and its
// death decided. Also the rams: a ram report becomes one large hole in the
// hull part the attacker struck.
#include "seabattle/battle/BattleProcessingState.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/world/physics/CDX9KelPhysicalBody.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

#include <algorithm>
#include <cmath>

using Vorna3D::CDX9KelPhysicalObjectShip;
using Vorna3D::g_Log;

namespace SeaBattle {

namespace {

constexpr int kBattleDebug = 0;

// a / b, or `fallback` when b is 0 or the quotient is not finite: values
// from files may leave a divisor at 0.
float Ratio(float a, float b, float fallback = 0.0f) {
    if (b == 0.0f) return fallback;
    const float q = a / b;
    return std::isfinite(q) ? q : fallback;
}

} // namespace

float ListAngle(float displacement, float a, float b) {
    const float a2 = a + displacement * 0.5f;
    const float b2 = b + displacement * 0.5f;
    const float hi = std::max(a2, b2), lo = std::min(a2, b2);
    float c = Ratio(lo, hi, 1.0f);
    c = std::clamp(c, -1.0f, 1.0f);
    const float angle = 0.5f * std::acos(c);
    return b2 < a2 ? -angle : angle;
}

void BattleProcessingState::ProcessDamage(DWORD now, DWORD gap) {
    if (m_stdvShipLists.empty()) return;
    for (;;) {
        if (m_uDamageList >= m_stdvShipLists.size()) m_uDamageList = m_uDamageShip = 0;
        std::vector<CVR3GAMEBattleMapShip*>* list = m_stdvShipLists[m_uDamageList];
        if (!list || list->empty()) {
            ++m_uDamageList;
            m_uDamageShip = 0;
            return;
        }
        if (m_uDamageShip >= list->size()) {
            ++m_uDamageList;
            m_uDamageShip = 0;
            continue;
        }
        ProcessShipDamage((*list)[m_uDamageShip], now, gap);
        ++m_uDamageShip;
        return;
    }
}

void BattleProcessingState::FloodPart(CBattleSystemShipPart* part, float t) {
    part->ActiveHoles = 0.0f;
    for (const ShipHole& h : part->Holes) {
        if (h.Height > part->Waterline) continue;
        part->ActiveHoles += h.Size * h.WaterFactor / kStandardHole;
        part->Water += h.Size * h.WaterFactor * 0.0045f * t;
    }
}

void BattleProcessingState::PumpPartWater(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, float t) {
    const float amount = Ratio(part->Water, d->TotalWater) * d->Pomp * d->Efficiency * t;
    if (part->Water < amount) {
        d->TotalWater -= part->Water;
        part->Water = 0.0f;
    } else {
        part->Water -= amount;
        d->TotalWater -= amount;
    }
    if (d->TotalWater < 0.0f) d->TotalWater = 0.0f; // rounding of the subtractions
}

void BattleProcessingState::FightPartFire(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, float t) {
    if (part->Water >= part->Buoyancy) {
        d->TotalFire -= part->Fire;
        part->Fire = 0.0f;
        return;
    }
    const float amount = Ratio(part->Fire, d->TotalFire) * d->Pomp * 0.1f * d->Efficiency * t;
    if (Vorna3D::CDX9KelUtils::IsEqual(amount, 0.0f, 0.001f)) return;
    if (part->Fire >= amount) {
        d->TotalFire -= amount;
        part->Fire -= amount;
    } else {
        d->TotalFire -= part->Fire;
        part->Fire = 0.0f;
    }
}

void BattleProcessingState::RepairPart(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part, float t) {
    if (part->Fire > 0.0f) return;
    float amount = Ratio(part->DamageTaken, d->TotalDamage) * (static_cast<float>(d->Displacement) * 0.00002f) *
                   d->Efficiency * t;
    part->DamageTaken -= amount;
    if (part->DamageTaken < 0.0f) part->DamageTaken = 0.0f;
    while (amount > 0.0f && !part->Holes.empty()) {
        ShipHole& h = part->Holes.front();
        if (h.Size > amount) {
            h.Size -= amount;
            break;
        }
        amount -= h.Size;
        part->Holes.erase(part->Holes.begin());
    }
}

void BattleProcessingState::SpreadExcessWater(CVR3GAMEBattleSystemShip* d, float excess) {
    if (d->Parts.size() < CVR3GAMEBattleSystemShip::kSidedPartCount || !(excess > 0.0f)) return;
    static constexpr int kPairs[3][2] = {{1, 4}, {2, 5}, {0, 3}};
    for (const auto& pair : kPairs) {
        if (!(excess > 0.0f)) break;
        CBattleSystemShipPart* a = d->Parts[pair[0]];
        CBattleSystemShipPart* b = d->Parts[pair[1]];
        if (!a || !b) continue;
        const float freeA = a->Buoyancy - a->Water, freeB = b->Buoyancy - b->Water;
        const float total = freeA + freeB;
        if (!(total > 0.0f)) continue;
        const float amount = std::min(excess, total);
        excess -= amount;
        a->Water = std::min(a->Water + amount * freeA / total, a->Buoyancy);
        b->Water = std::min(b->Water + amount * freeB / total, b->Buoyancy);
    }
}

void BattleProcessingState::ApplyFloodingToBody(CVR3GAMEBattleMapShip* ship) {
    CVR3GAMEBattleSystemShip* d = ship->m_pBattleShip;
    if (d->Parts.size() < CVR3GAMEBattleSystemShip::kSidedPartCount) return;
    for (std::size_t i = 0; i < CVR3GAMEBattleSystemShip::kSidedPartCount; ++i)
        if (!d->Parts[i]) return;
    auto w = [d](int i) { return d->Parts[i]->Water; };
    const float port = w(0) + w(1) + w(2), starboard = w(3) + w(4) + w(5);
    const float bow = w(0) + w(3), stern = w(2) + w(5);
    d->TotalWater = port + starboard;
    if (!(d->TotalWater > 0.0f)) return;
    const float displacement = static_cast<float>(d->Displacement);
    d->Heel = ListAngle(displacement, port, starboard);
    d->Trim = ListAngle(displacement, stern, bow);

    CDX9KelPhysicalObjectShip* body = ship->m_pPhysicalObject;
    if (body) {
        body->SetHullExtraMass(d->TotalWater * d->WaterMassFactor);
        const float sideMass = body->GetSideMass();
        if (d->Heel > 0.0f) {
            body->SetSecondSideExtraMass(d->Heel * 38.314f * sideMass);
            body->SetFirstSideExtraMass(0.0f);
        } else {
            body->SetSecondSideExtraMass(0.0f);
            body->SetFirstSideExtraMass(d->Heel * -38.314f * sideMass);
        }
        const Vorna3D::CDX9KelPhysicalBody* bowBody = body->GetAuxBody(CDX9KelPhysicalObjectShip::BODY_BOW);
        const float bowMass = bowBody ? bowBody->m_fMass : -1.0f;
        if (d->Trim > 0.0f) {
            body->SetBowExtraMass(d->Trim * 115.0f * bowMass);
            body->SetSternExtraMass(0.0f);
        } else {
            body->SetBowExtraMass(0.0f);
            body->SetSternExtraMass(d->Trim * -115.0f * bowMass);
        }
    }
    const float width = body ? body->GetCollisionWidth() : -1.0f;
    const float shift = std::sin(d->Heel) * width * 0.5f * kUnitsScale;
    for (std::size_t i = 0; i < CVR3GAMEBattleSystemShip::kSidedPartCount; ++i) {
        CBattleSystemShipPart* p = d->Parts[i];
        p->Waterline = p->InitialWaterline + d->WaterlineRise * d->TotalWater;
        p->Waterline = std::clamp(p->Waterline, 0.0f, std::max(p->Height, 0.0f));
        p->Waterline += i < 3 ? -shift : shift;
        p->Waterline = std::clamp(p->Waterline, 0.0f, std::max(p->Height, 0.0f));
    }
}

void BattleProcessingState::UpdatePartGuns(CVR3GAMEBattleSystemShip* d, CBattleSystemShipPart* part,
                                           std::size_t index) {
    if (part->Guns.empty()) return;
    uint32_t active = 0;
    for (CBattleSystemShipGun& gun : part->Guns) {
        if (part->InitialWaterline > 0.0f && part->Efficiency < 0.2f) {
            gun.Active = false;
            g_Log.WriteDebug(kBattleDebug, 1, "  gun %s switched off by the part's efficiency\n", gun.Tag);
        } else if (part->InitialWaterline < 0.0f && d->Efficiency < 0.15f) {
            gun.Active = false;
            g_Log.WriteDebug(kBattleDebug, 1, "  gun %s switched off by the ship's efficiency\n", gun.Tag);
        } else if (part->HasWaterline() && gun.Height != -1.0f && gun.Height <= part->Waterline) {
            gun.Active = false;
            g_Log.WriteDebug(kBattleDebug, 1, "  gun %s switched off by flooding\n", gun.Tag);
        } else {
            gun.Active = true;
            gun.CurrentRecharge = gun.RechargeSpeed * (2.0f - part->Efficiency);
            d->ArtilleryRating += gun.Damage * gun.BeginArmourPirce;
            g_Log.WriteDebug(kBattleDebug, 1, "  gun %s active\n", gun.Tag);
            ++active;
        }
    }
    // The current counts hold the guns still in action, grouped as the
    // initial counts are: per side the calibre of that side's first armed
    // part is the main one.
    using S = CVR3GAMEBattleSystemShip;
    const std::string& name = part->Guns.front().Name;
    if (index <= 5) {
        const bool port = index <= 2;
        std::string& mainName = port ? m_strPortMainCalibre : m_strStarboardMainCalibre;
        if (mainName.empty()) mainName = name.empty() ? std::string(" ") : name;
        const bool main = mainName == name || (name.empty() && mainName == " ");
        d->GunCounts[main ? (port ? S::PORT_MAIN_CURRENT : S::STARBOARD_MAIN_CURRENT)
                          : (port ? S::PORT_OTHER_CURRENT : S::STARBOARD_OTHER_CURRENT)] += active;
    } else if (index == 6) {
        d->GunCounts[S::PART6_CURRENT] += active;
    } else if (index == 7) {
        d->GunCounts[S::PART7_CURRENT] += active;
    } else if (index == 8) {
        d->GunCounts[S::PART8_CURRENT] += active;
    }
}

void BattleProcessingState::ProcessShipDamage(CVR3GAMEBattleMapShip* ship, DWORD now, DWORD gap) {
    CVR3GAMEBattleSystemShip* d = ship ? ship->m_pBattleShip : nullptr;
    if (!d || !d->IsAlive) return;
    g_Log.WriteDebug(kBattleDebug, 0, "damage pass of %s\n", ship->m_strName.c_str());

    // 1. Reset.
    d->Efficiency = 0.0f;
    d->TotalFire = 0.0f;
    d->ActiveHoles = 6.0f;
    d->TotalWater = 0.0f;
    d->TotalDamage = 0.0f;

    // 2. Time step. A clock behind the ship's last pass has restarted (a new
    // battle): the pass counts no time.
    if (d->LastDamageTime == 0 || now < d->LastDamageTime) d->LastDamageTime = now;
    else d->LastDamageTime += gap;
    if (now < d->LastDamageTime) d->LastDamageTime = now;
    m_fStepSeconds = static_cast<float>(now - d->LastDamageTime) * 0.001f;
    d->LastDamageTime = now;
    const float t = m_fStepSeconds;

    // 3. Fire and flooding.
    bool spread = false;
    std::size_t partCount = 0;
    for (CBattleSystemShipPart* p : d->Parts) {
        if (!p) continue;
        ++partCount;
        float e = d->CrewTraining - (Ratio(p->Fire, p->Durability) + Ratio(p->DamageTaken, p->Durability));
        if (e < 0.0f) e = 0.0f;
        p->Efficiency = e;
        d->Efficiency += e;
        if (spread && p->Fire <= 0.0f) p->Fire = p->Durability * 0.1f;
        if (p->Fire > 0.0f) {
            p->Fire += p->Fire * 0.001f * t;
            if (p->Fire > p->Durability) {
                p->Fire = p->Durability;
                spread = true;
            } else {
                spread = false;
            }
            p->DamageTaken += p->Fire * 0.0001f * t;
            d->TotalFire += p->Fire;
        }
        d->TotalDamage += p->DamageTaken;
        if (p->HasWaterline()) {
            FloodPart(p, t);
            d->ActiveHoles += p->ActiveHoles;
            d->TotalWater += p->Water;
        }
    }
    d->Efficiency = Ratio(d->Efficiency, static_cast<float>(partCount));

    // 4. Pumping.
    for (CBattleSystemShipPart* p : d->Parts)
        if (p && p->Water > 0.0f) PumpPartWater(d, p, t);

    // 5. Levelling, fire fighting and repair.
    float excess = 0.0f;
    for (CBattleSystemShipPart* p : d->Parts) {
        if (!p || !p->HasWaterline()) continue;
        p->Water = Ratio(d->TotalWater, d->ActiveHoles) * (p->ActiveHoles + 1.0f);
        if (p->Water > p->Buoyancy) {
            excess += p->Water - p->Buoyancy;
            p->Water = p->Buoyancy;
        }
    }
    for (CBattleSystemShipPart* p : d->Parts) {
        if (!p) continue;
        FightPartFire(d, p, t);
        if (p->DamageTaken != 0.0f) RepairPart(d, p, t);
    }

    // 6. Overflow and the body.
    SpreadExcessWater(d, excess);
    ApplyFloodingToBody(ship);

    // 7. Totals.
    g_Log.WriteDebug(kBattleDebug, 1, "  totals of %s\n", ship->m_strName.c_str());
    m_fSpeedPartDamage = m_fSpeedPartDurability = 0.0f;
    d->AboveWaterArea = 0.0f;
    d->TotalDamage = 0.0f;
    d->ArtilleryRating = 0.0f;
    using S = CVR3GAMEBattleSystemShip;
    for (int g : {S::PORT_MAIN_CURRENT, S::STARBOARD_MAIN_CURRENT, S::PORT_OTHER_CURRENT, S::STARBOARD_OTHER_CURRENT,
                  S::PART6_CURRENT, S::PART7_CURRENT, S::PART8_CURRENT})
        d->GunCounts[g] = 0;
    m_strPortMainCalibre.clear();
    m_strStarboardMainCalibre.clear();
    m_iPartNumber = -1;
    CVR3GAMEAnimatedShip* animated = ship->m_pAnimatedShip;
    for (std::size_t i = 0; i < d->Parts.size(); ++i) {
        CBattleSystemShipPart* p = d->Parts[i];
        ++m_iPartNumber;
        if (!p) continue;
        if (animated && i < animated->m_vPlatformParts.size() && animated->m_vPlatformParts[i])
            animated->m_vPlatformParts[i]->m_bBurning = p->Fire > 1.0f;
        p->Area = p->ComputeArea();
        d->AboveWaterArea += p->Area;
        UpdatePartGuns(d, p, i);
        if (p->DurabilityChangeSpeed) {
            m_fSpeedPartDamage += p->DamageTaken;
            m_fSpeedPartDurability += p->Durability;
        }
        d->TotalDamage += p->DamageTaken;
        g_Log.WriteDebug(kBattleDebug, 1,
                         "  part %d: damage %.2f fire %.2f water %.2f holes %.2f waterline %.2f efficiency %.2f\n",
                         m_iPartNumber, p->DamageTaken, p->Fire, p->Water, p->ActiveHoles, p->Waterline,
                         p->Efficiency);
    }

    // 8. Percentages.
    d->DamagePercent = Ratio(d->TotalDamage, d->TotalDurability) * 100.0f;
    d->FirePercent = Ratio(d->TotalFire, d->TotalDurability) * 100.0f;
    d->WaterPercent = Ratio(d->TotalWater, d->TotalBuoyancy) * 100.0f;
    if (animated) animated->UpdateDamageLevel(std::clamp(d->DamagePercent, 0.0f, 100.0f));

    // 9. Engine force.
    if (m_fSpeedPartDurability == 0.0f) {
        m_fSpeedPartDamage = 0.0f;
        m_fSpeedPartDurability = 1.0f;
    }
    if (CVR3GAMEMovementShip* m = ship->m_pMovementShip) {
        const float F = std::fabs(m->m_fMaxDraughtForce);
        float force = F - Ratio(d->TotalWater, d->TotalBuoyancy) * 0.5f * F -
                      Ratio(d->TotalDamage, d->TotalDurability) * F -
                      Ratio(m_fSpeedPartDamage, m_fSpeedPartDurability) * 0.2f * F;
        if (!(force >= 0.0f)) force = 0.0f;
        // A repaired ship gets its full force back, and its caps with it.
        const float before = m->m_fMaxForce;
        m->m_fMaxForce = force;
        if (force != F || before != force) m->UpdateSpeedCaps();
    }
    d->DamageStateValid = true;
    d->ActiveHoles -= 6.0f;
    if (d->ActiveHoles < 0.0f) d->ActiveHoles = 0.0f;

    // 10. Death.
    CheckShipDeath(ship);

    g_Log.WriteDebug(kBattleDebug, 0,
                     "  %s: damage %.2f%% area %.2f powder %d efficiency %.2f fire %.2f holes %.2f water %.2f "
                     "heel %.4f trim %.4f artillery %.2f armour %.2f\n",
                     ship->m_strName.c_str(), d->DamagePercent, d->AboveWaterArea, d->Gunpowder, d->Efficiency,
                     d->TotalFire, d->ActiveHoles, d->TotalWater, d->Heel, d->Trim, d->ArtilleryRating,
                     d->ArmourRating);
}

void BattleProcessingState::CheckShipDeath(CVR3GAMEBattleMapShip* ship) {
    CVR3GAMEBattleSystemShip* d = ship->m_pBattleShip;
    if (!d->IsAlive) return;
    bool dead = false;
    if (d->TotalBuoyancy > 0.0f && d->TotalWater / d->TotalBuoyancy >= kDeathRatio) {
        dead = true;
        g_Log.WriteDebug(kBattleDebug, 0, "  %s flooded\n", ship->m_strName.c_str());
    } else if (std::fabs(d->Heel) > kCapsizeHeel) {
        dead = true;
        g_Log.WriteDebug(kBattleDebug, 0, "  %s capsized\n", ship->m_strName.c_str());
        if (CDX9KelPhysicalObjectShip* body = ship->m_pPhysicalObject) {
            const float roll = body->GetSideMass() * 60.1529807160091f;
            body->SetSecondSideExtraMass(d->Heel > 0.0f ? roll : 0.0f);
            body->SetFirstSideExtraMass(d->Heel > 0.0f ? 0.0f : roll);
        }
    } else if (d->TotalDurability > 0.0f && d->TotalDamage / d->TotalDurability >= kDeathRatio) {
        dead = true;
        g_Log.WriteDebug(kBattleDebug, 0, "  %s destroyed\n", ship->m_strName.c_str());
    }
    if (!dead) return;
    d->IsAlive = false;
    const std::string player = GetPlayerNameOf(ship);
    CVR3GAMEBattleLog::Get().AddEntry(player.c_str(), BATTLE_LOG_SHIP_DEATH, ship->m_strName.c_str(), nullptr);
    if (ship->m_pArtilleryShip) ship->m_pArtilleryShip->m_bActive = false;
    ship->m_bSunk = true;
    if (CVR3GAMEMovementShip* m = ship->m_pMovementShip) {
        m->m_fForce = m->m_fTargetForce = 0.0f;
        if (ship->m_pPhysicalObject)
            ship->m_pPhysicalObject->AddConstantForce(CVR3GAMEMovementShip::kDraughtForce, &m->m_vForceDirection,
                                                      &m->m_vDraughtForcePosition, 0.0f);
    }
    if (ship->m_pAnimatedShip) ship->m_pAnimatedShip->StartSinking();
    if (ship->m_pColumn) ship->m_pColumn->RemoveShip(ship);
    ++m_dwLostShips;
}

// ---- rams ----

void BattleProcessingState::ProcessRams() {
    for (std::size_t i = 0; i < m_stdvActiveRams.size(); ++i) {
        RamRecord* r = m_stdvActiveRams[i];
        if (!r) continue;
        ProcessRam(r);
        ReturnRam(i);
    }
}

bool BattleProcessingState::ProcessRam(const RamRecord* ram) {
    g_Log.WriteDebug(kBattleDebug, 1, "ram report\n");
    CVR3GAMEBattleMapShip* attacker = FindShipByBody(ram->m_pAttacker);
    if (!attacker) return false;
    g_Log.WriteDebug(kBattleDebug, 1, "  attacker %s\n", attacker->m_strName.c_str());
    if (!attacker->m_pBattleShip || !attacker->m_pBattleShip->RamAttack) {
        g_Log.WriteDebug(kBattleDebug, 1, "  the ship has no ram\n");
        return false;
    }
    CVR3GAMEBattleMapShip* target = FindShipByBody(ram->m_pTarget);
    if (!target) return false;
    g_Log.WriteDebug(kBattleDebug, 1, "  target %s\n", target->m_strName.c_str());
    CVR3GAMEBattleSystemShip* d = target->m_pBattleShip;
    if (!d) return false;
    if (d->RamImmunity) {
        g_Log.WriteDebug(kBattleDebug, 1, "  the ship is immune to rams\n");
        return false;
    }
    if (d->Parts.size() < CVR3GAMEBattleSystemShip::kSidedPartCount) {
        g_Log.WriteDebug(kBattleDebug, 1, "  the ship has fewer than six hull parts: report dropped\n");
        return false;
    }
    // Where the stem struck, in the target's frame: the contact as it is now,
    // or, when the ships parted before the ram task came round (the rammer
    // backs off at once), the point the report gave.
    const Vorna3D::CDX9KelPhysicalContact* contact = ram->m_pTarget->FindContact(ram->m_pAttacker);
    if (!contact) g_Log.WriteDebug(kBattleDebug, 1, "  the ships have parted: the point as reported\n");
    const D3DXVECTOR3& p = contact ? contact->vPoint : ram->m_vPoint;
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    const float v = p.z * kUnitsScale;
    const bool starboard = p.x > 0.0f;
    const std::size_t middle = starboard ? 4 : 1;
    if (!d->Parts[middle]) return false;
    const float half = 0.5f * d->Parts[middle]->Length;
    std::size_t index = middle;
    if (v > half) index = starboard ? 3 : 0;
    else if (v < -half) index = starboard ? 5 : 2;
    CBattleSystemShipPart* part = d->Parts[index];
    if (!part) return false;
    part->Holes.push_back(ShipHole{p.y * kUnitsScale + part->InitialWaterline, kRamHoleSize, 1.0f});
    g_Log.WriteDebug(kBattleDebug, 1, "  hole torn in part %zu\n", index);
    return true;
}

} // namespace SeaBattle
