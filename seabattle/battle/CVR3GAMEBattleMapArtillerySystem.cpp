#include "seabattle/battle/CVR3GAMEBattleMapArtillerySystem.h"

#include "engine3/core/CDX9KelGameTimer.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

#include <cmath>

using Vorna3D::g_Log;

namespace SeaBattle {

namespace {

// The artillery's debug channel.
constexpr int kArtilleryDebug = 1;

#define ARTILLERY_TRACE(...) g_Log.WriteDebug(kArtilleryDebug, 1, __VA_ARGS__)

AngleWindow Window(float least, float greatest) { return AngleWindow(least, greatest); }

} // namespace

bool CVR3GAMEBattleMapArtillerySystem::Proc() {
    const DWORD now = m_pTimer ? m_pTimer->GetTime() : timeGetTime();
    if (m_dwLastProcessingTime == 0) m_dwLastProcessingTime = now;
    if (m_dwLastProcessingTime + m_dwPeriod > now) return false;
    m_dwLastProcessingTime = now;
    if (!m_pShips) return true;
    for (CVR3GAMEBattleMapShip* ship : *m_pShips) {
        if (!ship) continue;
        ARTILLERY_TRACE("processing the artillery of %s\n", ship->m_strName.c_str());
        ProcShip(ship->m_pArtilleryShip, ship->m_pBattleShip, ship);
    }
    return true;
}

void CVR3GAMEBattleMapArtillerySystem::ProcShip(CVR3GAMEArtilleryShip* artillery, CVR3GAMEBattleSystemShip* damageShip,
                                                CVR3GAMEBattleMapShip* ship) {
    if (!artillery || !damageShip || !ship) return;
    ARTILLERY_TRACE("  artillery object %s\n", artillery->m_bActive ? "active" : "passive");
    if (!artillery->m_bActive) return;
    ARTILLERY_TRACE("  targets: %zu\n", artillery->m_vTargets.size());
    if (artillery->m_vTargets.empty()) {
        ResetAim(artillery);
        return;
    }
    if (!ship->m_pSceneObject) return;
    const D3DXMATRIX* own = &ship->m_pSceneObject->m_mWorld;
    bool first = true;
    for (std::size_t i = 0; i < artillery->m_vTargets.size(); ++i) {
        ArtilleryTarget& entry = artillery->m_vTargets[i];
        CVR3GAMEBattleMapShip* target = entry.m_pShip;
        if (!target || !target->m_pSceneObject) continue;
        ARTILLERY_TRACE("  target %zu\n", i);
        const D3DXMATRIX* theirs = &target->m_pSceneObject->m_mWorld;
        const float dx = theirs->_41 - own->_41, dy = theirs->_42 - own->_42, dz = theirs->_43 - own->_43;
        const float d2 = dx * dx + dy * dy + dz * dz;
        if (d2 > entry.RangeSquared) {
            ARTILLERY_TRACE("  target out of range\n");
            continue;
        }
        if (IsFireLineBlocked(m_pTree, ship->m_pSceneObject, target->m_pSceneObject)) {
            ARTILLERY_TRACE("  line of fire blocked\n");
            continue;
        }
        m_fDistance = std::sqrt(d2);
        m_pCurrentTarget = &entry;
        m_fCrewTraining = damageShip->CrewTraining;
        m_pOwnDamageShip = damageShip;
        m_pOwnArtilleryShip = artillery;
        if (target->m_uKind != 0) continue;
        ARTILLERY_TRACE("  target %s\n", target->m_strName.c_str());
        m_fTargetArea = target->m_pBattleShip ? target->m_pBattleShip->AboveWaterArea : 0.0f;
        ProcTarget(artillery, target->m_pArtilleryShip, first, own, theirs);
        first = false;
    }
}

void CVR3GAMEBattleMapArtillerySystem::ProcTarget(CVR3GAMEArtilleryShip* artillery,
                                                  CVR3GAMEArtilleryShip* targetArtillery, bool first,
                                                  const D3DXMATRIX* ownWorld, const D3DXMATRIX* targetWorld) {
    m_pOwnWorld = ownWorld;
    m_pTargetWorld = targetWorld;
    D3DXMATRIX inverse, local;
    D3DXMatrixInverse(&inverse, nullptr, ownWorld);
    D3DXMatrixMultiply(&m_pCurrentTarget->RelativeTransform, targetWorld, &inverse);
    D3DXMatrixInverse(&inverse, nullptr, targetWorld);
    D3DXMatrixMultiply(&local, ownWorld, &inverse);
    if (targetArtillery)
        for (CArtilleryPart* q : targetArtillery->m_vParts)
            if (q) D3DXVec3TransformCoord(&q->WorldCenter, &q->Center, &m_pCurrentTarget->RelativeTransform);
    ARTILLERY_TRACE("  parts of the firing ship\n");
    m_iPartCounter = 0;
    for (CArtilleryPart* p : artillery->m_vParts) {
        if (!p) continue;
        ++m_iPartCounter;
        ARTILLERY_TRACE("  part %d\n", m_iPartCounter);
        if (p->BombardSectors.empty() || !p->m_pDamageElement) {
            ARTILLERY_TRACE("  not a combat part\n");
            continue;
        }
        if (!p->m_pDamageElement->Active || p->m_pDamageElement->Reloading) {
            ARTILLERY_TRACE("  not active or reloading\n");
            continue;
        }
        if (first) p->m_pChosenTarget = nullptr;
        if (p->m_pChosenTarget) {
            ARTILLERY_TRACE("  the part already chose a target\n");
            continue;
        }
        D3DXVec3TransformCoord(&p->WorldCenter, &p->Center, &local);
        m_fPartArea = 0.0f;
        if (!FindTargetPartsInSectors(targetArtillery, p)) {
            ARTILLERY_TRACE("  target outside the part's firing sectors\n");
            continue;
        }
        p->m_pChosenTarget = m_pCurrentTarget;
        ProcPart(p);
    }
}

bool CVR3GAMEBattleMapArtillerySystem::FindTargetPartsInSectors(CVR3GAMEArtilleryShip* targetArtillery,
                                                                CArtilleryPart* part) {
    m_vTargetParts.clear();
    if (!targetArtillery) return false;
    for (const ShipSector& s : part->BombardSectors) {
        if (!m_vTargetParts.empty()) break;
        for (CArtilleryPart* q : targetArtillery->m_vParts) {
            if (!q) continue;
            if (IsPointInSector(s, q->WorldCenter) && IsPointInAnySector(q->DamageSectors, &part->WorldCenter)) {
                m_vTargetParts.push_back(q);
                if (const CBattleSystemShipPart* hull = q->GetHullPart()) m_fPartArea += hull->Area;
            }
        }
    }
    return !m_vTargetParts.empty();
}

float CVR3GAMEBattleMapArtillerySystem::GunHitProbability(const CBattleSystemShipGun* gun) const {
    const float r = m_fDistance * BattleProcessingState::kUnitsScale;
    return r > 0.0f ? BattleProcessingState::HitProbability(r, gun->FallAccuracy, m_fCrewTraining, m_fTargetArea)
                    : 0.0f;
}

bool CVR3GAMEBattleMapArtillerySystem::HasAmmunition(const CBattleSystemShipGun* gun) const {
    return gun->Shells > 0 || (m_pOwnDamageShip && m_pOwnDamageShip->Gunpowder > 0);
}

void CVR3GAMEBattleMapArtillerySystem::ProcPart(CArtilleryPart* part) {
    CVR3GAMEAnimatedPart* anim = part->m_pAnimatedPart;
    if (!anim) return;
    if (!anim->Rotation) {
        ARTILLERY_TRACE("  broadside artillery\n");
        for (CArtilleryPart* g : part->m_vChildren)
            if (g) ProcBroadsideGun(g);
        return;
    }
    ARTILLERY_TRACE("  turret\n");
    const AngleWindow w = GetBearingWindow(anim->GameTransform, &m_vTargetParts);
    if (!IsWindowOverlapping(w, Window(anim->m_fBearing - kTolerance, anim->m_fBearing + kTolerance))) {
        ARTILLERY_TRACE("  turning the turret\n");
        TurnTo(part, w.x + (w.y - w.x) * 0.5f);
        return;
    }
    ARTILLERY_TRACE("  entered the horizontal firing sector\n");
    if (!m_pOwnArtilleryShip || !m_pOwnArtilleryShip->m_bFireEnabled) {
        ARTILLERY_TRACE("  artillery processing switched off\n");
        return;
    }
    for (CArtilleryPart* g : part->m_vChildren) {
        if (!g || !g->m_pDamageElement || g->m_pDamageElement->Kind != CBattleSystemDamageElement::kGun) continue;
        m_pCurrentGun = g->GetGun();
        if (!m_pCurrentGun->Active) {
            ARTILLERY_TRACE("  gun not active\n");
            continue;
        }
        if (m_pCurrentGun->Reloading) {
            ARTILLERY_TRACE("  reloading\n");
            continue;
        }
        if (!HasAmmunition(m_pCurrentGun)) {
            ARTILLERY_TRACE("  no shells\n");
            continue;
        }
        m_fHitProbability = GunHitProbability(m_pCurrentGun);
        if (m_fHitProbability >= m_pCurrentTarget->MinHitProbability) AimAndFire(g, true, true);
        else ARTILLERY_TRACE("  -- hit probability not acceptable\n");
    }
}

void CVR3GAMEBattleMapArtillerySystem::ProcBroadsideGun(CArtilleryPart* g) {
    if (!g->m_pDamageElement || !g->m_pAnimatedPart) return;
    m_pCurrentGun = g->GetGun();
    if (!g->m_pDamageElement->Active) {
        ARTILLERY_TRACE("  gun not active\n");
        if (g->m_pDamageElement->Reloading) ARTILLERY_TRACE("  gun reloading\n");
        return;
    }
    if (g->m_pDamageElement->Reloading) {
        ARTILLERY_TRACE("  gun reloading\n");
        return;
    }
    if (!m_pCurrentGun) return; // a damage element that is not a gun
    if (!HasAmmunition(m_pCurrentGun)) {
        ARTILLERY_TRACE("  no shells\n");
        return;
    }
    m_fHitProbability = GunHitProbability(m_pCurrentGun);
    if (m_fHitProbability < m_pCurrentTarget->MinHitProbability) {
        ARTILLERY_TRACE("  hit probability not acceptable\n");
        return;
    }
    CVR3GAMEAnimatedPart* anim = g->m_pAnimatedPart;
    const AngleWindow w = GetBearingWindow(anim->GameTransform, &m_vTargetParts);
    if (IsWindowOverlapping(w, Window(anim->m_fBearing - kTolerance, anim->m_fBearing + kTolerance))) {
        ARTILLERY_TRACE("  entered the horizontal firing sector\n");
        if (!m_pOwnArtilleryShip || !m_pOwnArtilleryShip->m_bFireEnabled) {
            ARTILLERY_TRACE("  artillery processing switched off\n");
            return;
        }
        if (g->m_vChildren.empty()) {
            AimAndFire(g, false, true);
        } else {
            for (CArtilleryPart* c : g->m_vChildren)
                if (c) AimAndFire(c, true, true);
        }
    } else if (IsWindowOverlapping(w, Window(g->BombardAngles.x - kTolerance, g->BombardAngles.y + kTolerance))) {
        ARTILLERY_TRACE("  turning the gun\n");
        TurnTo(g, w.x + (w.y - w.x) * 0.5f);
    } else {
        ARTILLERY_TRACE("  the gun cannot be turned towards the target\n");
    }
}

void CVR3GAMEBattleMapArtillerySystem::TurnTo(CArtilleryPart* part, float angle) {
    if (angle == 0.0f || !part->m_pAnimatedPart || !part->m_pAnimatedPart->Rotation) return;
    part->m_pAnimatedPart->m_fTargetBearing = angle;
    if (part->m_vChildren.empty()) {
        AimAndFire(part, false, false);
    } else {
        for (CArtilleryPart* c : part->m_vChildren)
            if (c) AimAndFire(c, true, false);
    }
}

void CVR3GAMEBattleMapArtillerySystem::AimAndFire(CArtilleryPart* g, bool recurse, bool fireAllowed) {
    if (!g || !g->m_pAnimatedPart) return;
    CVR3GAMEAnimatedPart* anim = g->m_pAnimatedPart;
    if (!anim->Rotation) {
        if (recurse)
            for (CArtilleryPart* c : g->m_vChildren)
                if (c) AimAndFire(c, false, fireAllowed);
        return;
    }
    const AngleWindow v = GetElevationWindow(anim->GameTransform, &m_vTargetParts);
    const float e = anim->m_fElevation;
    if (IsWindowOverlapping(v, Window(e - kTolerance, e + kTolerance))) {
        ARTILLERY_TRACE("  entered the vertical firing sector, shot\n");
        if (!fireAllowed) {
            ARTILLERY_TRACE("  shot forbidden by the system, the horizontal sector not yet entered\n");
            if (anim->m_bFiring) ARTILLERY_TRACE("  animation system not ready\n");
            return;
        }
        if (anim->m_bFiring) {
            ARTILLERY_TRACE("  animation system not ready\n");
            return;
        }
        CBattleSystemShipGun* gun = m_pCurrentGun;
        if (!gun) return;
        // Each barrel draws its own round: shells first, then powder.
        if (!HasAmmunition(gun)) {
            ARTILLERY_TRACE("  no shells\n");
            return;
        }
        // A gun whose shells have no speed would never land: it does not fire.
        if (!(gun->BeginShellSpeed > 0.0f)) {
            ARTILLERY_TRACE("  the gun has no shell speed\n");
            return;
        }
        anim->m_bFiring = true;
        anim->m_fTargetElevation = 0.0f;
        gun->Reloading = true;
        const double flight = std::trunc(static_cast<double>(m_fDistance) / gun->BeginShellSpeed * 1000.0);
        m_iFlightTime = flight >= 0.0 && flight < 2147483647.0 ? static_cast<int32_t>(flight) : 2147483647;
        if (BattleProcessingState::Get().AddShot(m_pOwnWorld, m_pTargetWorld, anim, gun, &m_vTargetParts, m_fPartArea,
                                                 m_fHitProbability, m_fDistance,
                                                 static_cast<DWORD>(m_iFlightTime)))
            ++m_uShotsFired;
        if (gun->Shells > 0) --gun->Shells;
        else if (m_pOwnDamageShip) --m_pOwnDamageShip->Gunpowder;
        return;
    }
    if (!IsWindowOverlapping(v, Window(g->BombardAngles.z - kTolerance, g->BombardAngles.w + kTolerance))) {
        ARTILLERY_TRACE("  the gun cannot be laid on the target\n");
        return;
    }
    anim->m_fTargetElevation = v.x >= e ? v.x : v.y;
}

void CVR3GAMEBattleMapArtillerySystem::ResetAim(CVR3GAMEArtilleryShip* artillery) {
    for (CArtilleryPart* p : artillery->m_vParts) {
        if (!p || !p->m_pAnimatedPart) continue;
        if (p->m_pAnimatedPart->Rotation) {
            p->m_pAnimatedPart->m_fTargetBearing = 0.0f;
        } else {
            for (CArtilleryPart* c : p->m_vChildren)
                if (c && c->m_pAnimatedPart && c->m_pAnimatedPart->Rotation) c->m_pAnimatedPart->m_fTargetBearing = 0.0f;
        }
    }
}

} // namespace SeaBattle
