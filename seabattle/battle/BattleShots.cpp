// The shot queue of the battle resolution: shots handed over by the
// artillery fly for their flight time, then the hit roll decides between a
// splash and a hit on one hull part of the target, drawn by side area. A hit
// meets the armour of the part, may pierce it, make a hole and set it on
// fire. The gun's reload counts from the moment its shot comes down.
#include "seabattle/battle/BattleProcessingState.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Crt.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"

#include <cmath>

using Vorna3D::CDX9KelUtils;
using Vorna3D::g_Log;

namespace SeaBattle {

namespace {

constexpr int kBattleDebug = 0;

unsigned RollPercent() {
    unsigned v = 0;
    rand_s(&v);
    return v % 100u;
}

// Puts an effect object at a place and lets it play once.
void ShowEffect(Vorna3D::CDX9KelSceneObject* object, const D3DXMATRIX& m) {
    if (!object) return;
    object->SetWorldMatrix(&m);
    object->m_bTransformChanged = true;
    object->m_bMoved = true;
    object->SetParticlesBirth(true);
    object->StartParticles();
}

void PlayAt(Vorna3D::SoundHandle& sound, const D3DXMATRIX& m) {
    if (!sound) return;
    sound.SetTransform(&m);
    sound.Play();
}

} // namespace

float BattleProcessingState::HitProbability(float a, float b, float c, float d) {
    const float q = 99.0f * c - a * b;
    if (!(q > 0.0f)) return 0.0f;
    float p = q + (d - 800.0f) / 25.0f;
    if (!(p >= 0.0f)) p = 0.0f;
    if (p > 99.0f) p = 99.0f;
    return p;
}

bool BattleProcessingState::AddShot(const D3DXMATRIX* firingMatrix, const D3DXMATRIX* targetMatrix,
                                    CVR3GAMEAnimatedPart* gunPart, CBattleSystemShipGun* gun,
                                    const std::vector<CArtilleryPart*>* targetParts, float partArea,
                                    float hitChance, float distance, DWORD flightTime) {
    if (!firingMatrix || !targetMatrix || !gunPart || !gun || !targetParts || targetParts->empty()) return false;
    ShotRecord* r = nullptr;
    if (!m_stdvShotPool.empty()) {
        r = m_stdvShotPool.back();
        m_stdvShotPool.pop_back();
    } else {
        r = new ShotRecord;
    }
    r->m_pFiringMatrix = firingMatrix;
    r->m_pTargetMatrix = targetMatrix;
    r->m_pGunPart = gunPart;
    r->m_pGun = gun;
    r->m_vTargetParts.assign(targetParts->begin(), targetParts->end());
    r->m_fPartArea = partArea;
    r->m_fHitChance = hitChance;
    r->m_fDistance = distance;
    r->m_dwFireTime = Now();
    r->m_dwFlightTime = flightTime;
    if (!m_stdvFreeShotSlots.empty()) {
        m_stdvActiveShots[m_stdvFreeShotSlots.back()] = r;
        m_stdvFreeShotSlots.pop_back();
    } else {
        m_stdvActiveShots.push_back(r);
    }
    return true;
}

std::size_t BattleProcessingState::GetPendingShotCount() const {
    std::size_t n = 0;
    for (const ShotRecord* r : m_stdvActiveShots)
        if (r) ++n;
    return n;
}

void BattleProcessingState::ReturnShot(std::size_t slot) {
    ShotRecord* r = m_stdvActiveShots[slot];
    m_stdvActiveShots[slot] = nullptr;
    m_stdvFreeShotSlots.push_back(static_cast<unsigned>(slot));
    r->m_vTargetParts.clear(); // keeps its capacity for the next shot
    r->m_pFiringMatrix = r->m_pTargetMatrix = nullptr;
    r->m_pGunPart = nullptr;
    r->m_pGun = nullptr;
    m_stdvShotPool.push_back(r);
}

void BattleProcessingState::ProcessShots(DWORD now) {
    for (std::size_t i = 0; i < m_stdvActiveShots.size(); ++i) {
        ShotRecord* r = m_stdvActiveShots[i];
        if (!r || r->m_dwFireTime + r->m_dwFlightTime > now) continue;
        ProcessShot(r, now);
        ReturnShot(i);
    }
}

EShotOutcome BattleProcessingState::ProcessShot(ShotRecord* shot, DWORD now) {
    CBattleSystemShipGun* gun = shot->m_pGun;
    gun->ShotLanded = true;
    gun->LandingTime = now;
    g_Log.WriteDebug(kBattleDebug, 1, "shot of %s at %u ms, distance %.2f, chance %.2f\n", gun->Tag, now,
                     shot->m_fDistance, shot->m_fHitChance);
    // The chance truncated; as unsigned, any negative chance is above 100.
    const float truncated = std::isfinite(shot->m_fHitChance) ? std::trunc(shot->m_fHitChance) : -1.0f;
    const unsigned chance =
        truncated < 0.0f || truncated > 4294967295.0f ? 0xFFFFFFFFu : static_cast<unsigned>(truncated);
    bool hit = false;
    if (chance <= 100u) hit = RollPercent() <= chance;

    if (!hit) {
        const float d = shot->m_fDistance;
        float s = CDX9KelUtils::GetRandomFloat(0.5f * d, 2.0f * d);
        if (CDX9KelUtils::IsEqual(s, d, 1.0f)) s = 0.5f * d;
        g_Log.WriteDebug(kBattleDebug, 1, "  missed, splash at %.2f\n", s);
        CVR3GAMEAnimatedPart* part = shot->m_pGunPart;
        D3DXMATRIX m, move;
        D3DXMatrixMultiply(&m, &part->GameTransform, shot->m_pFiringMatrix);
        D3DXMatrixTranslation(&move, m._31 * s, m._32 * s, m._33 * s);
        D3DXMatrixMultiply(&m, &m, &move);
        m._42 = 0.0f;
        m_mEffect = m;
        ShowEffect(part->m_pMissObject, m);
        PlayAt(part->m_MissSound, m);
        return SHOT_MISS;
    }

    g_Log.WriteDebug(kBattleDebug, 1, "  hit\n");
    CArtilleryPart* artilleryPart = nullptr;
    CBattleSystemDamageElement* element = SelectHitPart(&shot->m_vTargetParts, shot->m_fPartArea, &artilleryPart);
    if (element && element->Kind == CBattleSystemDamageElement::kHullPart)
        HitShipPart(gun, static_cast<CBattleSystemShipPart*>(element), shot->m_fDistance * kUnitsScale);
    CVR3GAMEAnimatedPart* target = artilleryPart ? artilleryPart->m_pAnimatedPart : nullptr;
    if (target && !target->HitPositions.empty()) {
        const D3DXVECTOR3& p =
            target->HitPositions[CDX9KelUtils::GetRandomInt(static_cast<unsigned>(target->HitPositions.size()))];
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, p.x, p.y, p.z);
        D3DXMatrixMultiply(&m, &m, shot->m_pTargetMatrix);
        m_mEffect = m;
        ShowEffect(shot->m_pGunPart->m_pHitObject, m);
        PlayAt(shot->m_pGunPart->m_HitSound, m);
    }
    return SHOT_HIT;
}

CBattleSystemDamageElement* BattleProcessingState::SelectHitPart(const std::vector<CArtilleryPart*>* parts,
                                                                 float area, CArtilleryPart** partOut) {
    if (partOut) *partOut = nullptr;
    if (!parts || parts->empty() || !(area >= 0.0f)) return nullptr;
    const unsigned n = area >= 4294967295.0f ? 0xFFFFFFFFu : static_cast<unsigned>(area);
    unsigned roll = 0;
    if (n != 0) {
        rand_s(&roll);
        roll %= n;
    }
    float sum = 0.0f;
    for (CArtilleryPart* p : *parts) {
        if (!p) continue;
        const CBattleSystemShipPart* hull = p->GetHullPart();
        if (!hull) continue;
        sum += hull->Area;
        if (sum >= static_cast<float>(roll)) {
            if (partOut) *partOut = p;
            return p->m_pDamageElement;
        }
    }
    return nullptr;
}

bool IsPointInArmourRect(const CBattleFloatRect* rect, const D3DXVECTOR2& point) {
    if (!rect) return false;
    return rect->left <= point.x && point.x <= rect->right && rect->bottom <= point.y && point.y <= rect->top;
}

void BattleProcessingState::HitShipPart(CBattleSystemShipGun* gun, CBattleSystemShipPart* part, float range) {
    if (!gun || !part) return;
    float y = CDX9KelUtils::GetRandomFloat(0.0f, part->Length);
    m_vHitPoint.x = y;
    y = CDX9KelUtils::GetRandomFloat(part->Waterline - 0.5f, part->Height);
    if (y < 0.0f) y = 0.0f;
    m_vHitPoint.y = y;
    g_Log.WriteDebug(kBattleDebug, 1, "  hit by %s at (%.2f, %.2f)\n", gun->Name, m_vHitPoint.x, m_vHitPoint.y);
    if (m_vHitPoint.y < part->Waterline) g_Log.WriteDebug(kBattleDebug, 1, "  struck at the waterline\n");

    float armour = 0.0f;
    if (part->ArmourRect1.top != 0.0f && IsPointInArmourRect(&part->ArmourRect1, m_vHitPoint)) {
        armour = part->Armour1;
        g_Log.WriteDebug(kBattleDebug, 1, "  met armour 1: %.2f\n", armour);
    } else if (part->ArmourRect2.top != 0.0f && IsPointInArmourRect(&part->ArmourRect2, m_vHitPoint)) {
        armour = part->Armour2;
        g_Log.WriteDebug(kBattleDebug, 1, "  met armour 2: %.2f\n", armour);
    }
    float pen = gun->BeginArmourPirce - gun->FallArmourPirce * range;
    if (!(pen >= 0.0f)) pen = 0.0f;
    float dmg = armour == 0.0f ? gun->Damage : pen / armour * gun->Damage * 0.4f;
    if (!std::isfinite(dmg)) dmg = 0.0f;
    if (dmg != 0.0f) {
        dmg += dmg * CDX9KelUtils::GetRandomFloat(-0.1f, 0.1f);
        if (dmg < 0.0f) dmg = 0.0f;
    }
    g_Log.WriteDebug(kBattleDebug, 1, "  damage %.2f\n", dmg);
    if (!(dmg > 0.0f)) return;

    if (armour < pen) {
        g_Log.WriteDebug(kBattleDebug, 1, "  armour pierced\n");
        if (static_cast<int64_t>(RollPercent()) <= gun->HoleProbability) {
            g_Log.WriteDebug(kBattleDebug, 1, "  hole made\n");
            part->Holes.push_back(ShipHole{m_vHitPoint.y, dmg, gun->DamageToWaterFactor});
            if (part->Fire == 0.0f && static_cast<int64_t>(RollPercent()) <= part->IgnitionFactor) {
                part->Fire = CDX9KelUtils::GetRandomFloat(0.1f, 0.4f) * dmg;
                g_Log.WriteDebug(kBattleDebug, 1, "  fire started: %.2f\n", part->Fire);
            }
        } else {
            g_Log.WriteDebug(kBattleDebug, 1, "  hull damaged without a hole\n");
        }
    }
    part->DamageTaken += dmg;
    if (part->DamageTaken > part->Durability) part->DamageTaken = part->Durability;
    gun->DamageDealt += dmg;
}

void BattleProcessingState::UpdateGunReloads(DWORD now, DWORD gap) {
    for (std::vector<CVR3GAMEBattleMapShip*>* list : m_stdvShipLists) {
        if (!list) continue;
        for (CVR3GAMEBattleMapShip* ship : *list) {
            CVR3GAMEBattleSystemShip* d = ship ? ship->m_pBattleShip : nullptr;
            if (!d) continue;
            for (CBattleSystemShipPart* part : d->Parts) {
                if (!part) continue;
                for (CBattleSystemShipGun& gun : part->Guns) {
                    if (!gun.ShotLanded) continue;
                    gun.LandingTime += gap;
                    if (static_cast<float>(now - gun.LandingTime) * 0.001f >= gun.CurrentRecharge) {
                        gun.Reloading = false;
                        gun.ShotLanded = false;
                        gun.LandingTime = 0;
                    }
                }
            }
        }
    }
}

} // namespace SeaBattle
