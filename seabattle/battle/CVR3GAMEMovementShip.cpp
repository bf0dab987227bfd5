#include "seabattle/battle/CVR3GAMEMovementShip.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include <algorithm>
#include <cmath>

namespace SeaBattle {

using Vorna3D::g_Log;
using Vorna3D::LOG_WARNING;

namespace {
// A quotient whose divisor is 0 or whose result is not finite gives the
// fallback, so data without a value never turns into inf or NaN.
float SafeDivide(float a, float b, float fallback) {
    if (b == 0.0f) return fallback;
    const float q = a / b;
    return std::isfinite(q) ? q : fallback;
}

float CopySign(float magnitude, float sign) { return sign < 0.0f ? -std::fabs(magnitude) : std::fabs(magnitude); }

// Moves `value` towards `target` by at most `step` without passing it.
float Approach(float value, float target, float step) {
    if (!(step > 0.0f)) return value;
    if (value < target) return std::min(value + step, target);
    return std::max(value - step, target);
}
} // namespace

CVR3GAMEMovementShip::CVR3GAMEMovementShip() = default;

CVR3GAMEMovementShip::~CVR3GAMEMovementShip() { delete m_pSteering; }

bool CVR3GAMEMovementShip::Init(Vorna3D::CDX9KelPhysicalObjectShip* pBody, Vorna3D::CDX9KelPhysicalManager* pManager) {
    if (!pBody || !pManager) return false;
    m_pPhysicalObject = pBody;
    delete m_pSteering;
    m_pSteering = new CVR3GAMEMovementSteering;
    if (!m_pSteering->Init(pManager, this)) return false;
    if (m_fMaxSpeed == 0.0f || m_fMinSpeed == 0.0f || !std::isfinite(m_fMaxSpeed) || !std::isfinite(m_fMinSpeed))
        return false;
    m_fMaxSpeed = std::fabs(m_fMaxSpeed);
    if (m_fMinSpeed > 0.0f) m_fMinSpeed = -m_fMinSpeed;
    m_fMaxRudderAngle = std::fabs(m_fMaxRudderAngle);
    m_fMaxForce = std::fabs(m_fMaxForce);
    m_fMaxRotAngle = std::fabs(m_fMaxRotAngle);
    m_fMass = std::fabs(m_fMass);
    // Values the motion divides by: the ship is kept, its motion guarded,
    // and the data's author told.
    struct Check {
        float value;
        const char* name;
    } const checks[] = {{m_fMaxForce, "MaxDraughtForce"},
                        {m_fMaxRotAngle, "MaxRotAngle"},
                        {m_fMaxDraughtForceInstTime, "MaxDraughtForceInstTime"}};
    for (const Check& c : checks)
        if (!(c.value > 0.0f))
            g_Log.Write(LOG_WARNING, "CVR3GAMEMovementShip::Init() : %s is not above 0 : %s\n", c.name,
                        m_strName.c_str());

    const float F = m_fMaxForce;
    // A ramp time of 0 makes the force follow its target within one second.
    m_fForceRate = SafeDivide(F, m_fMaxDraughtForceInstTime, F);
    const float ahead = m_fMaxSpeed * kUnitsPerMetre, astern = m_fMinSpeed * kUnitsPerMetre;
    m_fAheadResistance = -SafeDivide(F, ahead * ahead, 0.0f);
    m_fAsternResistance = SafeDivide(F, astern * astern, 0.0f);
    const float lever = std::tan(m_fMaxRotAngle) * pBody->GetBowOffset();
    m_fRudderFactor = SafeDivide(F * std::sin(m_fMaxRudderAngle), lever * lever, 0.0f);

    if (Vorna3D::CDX9KelPhysicalBody* main = pBody->GetMainBody()) {
        main->m_vDragPos.z = -std::fabs(m_fAheadResistance);
        main->m_vDragNeg.z = std::fabs(m_fAsternResistance);
        main->m_vDragPos.x = -std::fabs(3.0f * m_fAsternResistance);
        main->m_vDragNeg.x = std::fabs(3.0f * m_fAsternResistance);
    }
    pBody->SetBowSternLimit(true, m_fRudderFactor);
    pBody->SetBowSternLimit(false, m_fRudderFactor);
    pBody->SetSideLimit(true, m_fRudderFactor);
    pBody->SetSideLimit(false, m_fRudderFactor);
    return true;
}

float CVR3GAMEMovementShip::ForceForSpeed(float v) const {
    const float w = v * kUnitsPerMetre;
    if (v > 0.001f) return -m_fAheadResistance * w * w;
    if (v < -0.001f) return -m_fAsternResistance * w * w;
    return 0.0f;
}

void CVR3GAMEMovementShip::EndRoute() {
    if (m_pSteering) m_pSteering->ClearOrder();
    m_iCurrentOrder = ORDER_NONE;
}

void CVR3GAMEMovementShip::SetOrderedSpeed(float v) {
    if (std::isfinite(v)) {
        v = std::clamp(v, m_fMinSpeed, std::max(m_fMinSpeed, m_fMaxSpeed));
        if (v != m_fOrderedSpeed) {
            m_fOrderedSpeed = v;
            m_fTargetForce = ForceForSpeed(v);
        }
    }
    EndRoute();
}

void CVR3GAMEMovementShip::SetOrderedRudder(float a) {
    if (m_bInContact || !std::isfinite(a)) return;
    a = CopySign(std::min(std::fabs(a), m_fMaxRudderAngle), a);
    if (std::fabs(a - m_fOrderedRudderAngle) > 0.01f) m_fOrderedRudderAngle = a;
    EndRoute();
}

void CVR3GAMEMovementShip::SetRouteSpeed(float v) {
    if (m_bInContact || !std::isfinite(v)) return;
    m_fRouteSpeed = CopySign(std::min(std::fabs(v), m_fMaxSpeed), v);
}

void CVR3GAMEMovementShip::PostCourse(float x, float z) {
    m_iPendingOrder = ORDER_COURSE;
    m_fOrderX = x;
    m_fOrderZ = z;
}

void CVR3GAMEMovementShip::PostTargetPoint(float x, float z) {
    m_iPendingOrder = ORDER_POINT;
    m_fOrderX = x;
    m_fOrderZ = z;
}

void CVR3GAMEMovementShip::PostFollow(CVR3GAMEMovementShip* pShip) {
    m_pFollowedShip = pShip;
    m_iPendingOrder = ORDER_FOLLOW;
}

void CVR3GAMEMovementShip::PostHandSteering(float rudder) {
    m_fHandRudderAngle = rudder;
    m_iPendingOrder = ORDER_HAND;
}

float CVR3GAMEMovementShip::GetRudderForTurn(float t) const {
    if (!std::isfinite(t)) return 0.0f;
    t = CopySign(std::min(std::fabs(t), m_fMaxRotAngle), t);
    if (std::fabs(t) <= 0.0001f) return 0.0f;
    float lever = 0.0f;
    if (m_pPhysicalObject) lever = std::tan(t) * m_pPhysicalObject->GetBowOffset();
    // Without engine force any turn asks for full rudder.
    const float x = std::min(SafeDivide(std::fabs(m_fRudderFactor * lever * lever), m_fMaxForce, 1.0f), 1.0f);
    float rudder = std::fabs(1.5707964f - std::acos(x));
    if (t < 0.0f) rudder = -rudder;
    return std::clamp(rudder, -m_fMaxRudderAngle, m_fMaxRudderAngle);
}

void CVR3GAMEMovementShip::UpdateSpeedCaps() {
    const float F = m_fMaxForce;
    if (m_fAheadResistance != 0.0f) m_fMaxSpeed = std::sqrt(std::fabs(F / m_fAheadResistance)) * kMetresPerUnit;
    if (m_fAsternResistance != 0.0f) m_fMinSpeed = -std::sqrt(std::fabs(F / m_fAsternResistance)) * kMetresPerUnit;
    auto cap = [F](float f) {
        if (std::fabs(f) <= F) return f;
        return std::fabs(f) <= 0.0001f ? 0.0f : CopySign(F, f);
    };
    m_fForce = cap(m_fForce);
    m_fTargetForce = cap(m_fTargetForce);
    m_bLimitsChanged = true;
}

void CVR3GAMEMovementShip::ResetMotion() {
    m_fMaxForce = std::fabs(m_fMaxDraughtForce);
    m_fTargetForce = m_fForce = 0.0f;
    m_fRudderAngle = m_fOrderedRudderAngle = 0.0f;
    m_fMaxSpeed = std::fabs(m_fMaxSpeedXML);
    m_fMinSpeed = -std::fabs(m_fMinSpeedXML);
    m_fSpeed = m_fOrderedSpeed = 0.0f;
    m_fRouteSpeed = m_fTurnLimit = m_fHandRudderAngle = 0.0f;
    m_fSinceStep = 0.0f;
}

float CVR3GAMEMovementShip::GetHullLength() const {
    return m_pPhysicalObject ? m_pPhysicalObject->GetCollisionLength() : -1.0f;
}

float CVR3GAMEMovementShip::GetHullWidth() const {
    return m_pPhysicalObject ? m_pPhysicalObject->GetCollisionWidth() : -1.0f;
}

const D3DXMATRIX* CVR3GAMEMovementShip::GetWorldMatrix() const {
    if (!m_pPhysicalObject || !m_pPhysicalObject->GetSceneObject()) return nullptr;
    return &m_pPhysicalObject->GetSceneObject()->m_mWorld;
}

void CVR3GAMEMovementShip::Proc(int mode, float dt) {
    if (!std::isfinite(dt) || dt < 0.0f) dt = 0.0f;
    // Physics steps come every few frames: a step integrates every frame
    // since the previous step, so the ramps and the plan's clock run at the
    // same pace whatever the frame length.
    m_fSinceStep += dt;
    float stepDt = dt;
    if (mode == 0) {
        stepDt = m_fSinceStep;
        m_fSinceStep = 0.0f;
        TakePendingOrder();
        PhysicsStep(stepDt);
    }
    ProcContacts();
    if (m_fBackOffTimer != -1.0f) {
        m_fBackOffTimer += dt;
        if (m_fBackOffTimer < m_fBackOffTime) return;
        m_fBackOffTimer = -1.0f;
        m_bBackingOff = false;
    }
    if (m_pSteering) m_pSteering->Proc(mode, stepDt);
}

void CVR3GAMEMovementShip::TakePendingOrder() {
    const int order = m_iPendingOrder;
    if (order == ORDER_NONE) return;
    m_iPendingOrder = ORDER_NONE;
    switch (order) {
    case ORDER_HAND:
        if (m_iCurrentOrder == ORDER_HAND && m_fHandRudderAngle == m_fOrderedRudderAngle) break;
        m_fOrderedRudderAngle = m_fHandRudderAngle;
        m_iCurrentOrder = ORDER_HAND;
        m_fOrderedSpeed = m_fRouteSpeed;
        m_fTargetForce = ForceForSpeed(m_fRouteSpeed);
        if (m_pSteering) m_pSteering->ClearPlan();
        break;
    case ORDER_COURSE:
        m_iCurrentOrder = ORDER_COURSE;
        if (m_pSteering) m_pSteering->SetCourse(m_fOrderX, m_fOrderZ);
        break;
    case ORDER_POINT:
        m_iCurrentOrder = ORDER_POINT;
        if (m_pSteering) m_pSteering->SetTargetPoint(m_fOrderX, m_fOrderZ);
        break;
    case ORDER_FOLLOW:
        m_iCurrentOrder = ORDER_FOLLOW;
        if (m_pSteering) m_pSteering->SetFollow(m_pFollowedShip);
        break;
    default:
        break;
    }
}

void CVR3GAMEMovementShip::PhysicsStep(float dt) {
    m_bRudderMoving = m_bForceChanging = m_bSpeedChanged = false;
    if (m_pPhysicalObject) {
        const float measured = m_pPhysicalObject->GetSignedSpeed() * kMetresPerUnit;
        if (std::isfinite(measured) && measured != kSpeedFailure && std::fabs(measured - m_fSpeed) > 0.001f) {
            m_fSpeed = measured;
            m_bSpeedChanged = true;
        }
    }
    if (std::fabs(m_fForce - m_fTargetForce) > 0.001f) {
        m_fForce = Approach(m_fForce, m_fTargetForce, m_fForceRate * dt);
        m_bForceChanging = true;
    }
    if (std::fabs(m_fRudderAngle - m_fOrderedRudderAngle) > 0.001f) {
        m_fRudderAngle = Approach(m_fRudderAngle, m_fOrderedRudderAngle, m_fRudderRate * dt);
        m_bRudderMoving = true;
    }
    if (m_bRudderMoving || m_bForceChanging || m_bLimitsChanged || m_bForceResend) {
        D3DXVECTOR3 dir(0.0f, 0.0f, 1.0f);
        Vorna3D::RotateVec3AroundY(&dir, m_fRudderAngle);
        if (m_fForce < 0.0f) dir = -dir;
        m_vForceDirection = dir;
        if (m_pPhysicalObject &&
            m_pPhysicalObject->AddConstantForce(kDraughtForce, &m_vForceDirection, &m_vDraughtForcePosition,
                                                std::fabs(m_fForce)))
            m_bForceResend = false;
    } else {
        m_bForceResend = false;
    }
}

bool CVR3GAMEMovementShip::IsBackOffContact(const Vorna3D::CDX9KelPhysicalContact& contact) {
    return contact.vPoint.z > kBackOffContactAhead;
}

// How the ram test reads a contact record. The record holds the other
// body, the contact point in this ship's model frame (x across the keel,
// positive to starboard; y up; z along the keel, positive towards the bow;
// world units), the same point in the other body's frame, and the impulse
// the contact answer gave the record's owner. The test's "second value" is
// read as the point's offset across the keel and its "fourth value" as its
// offset along the keel: a ram is a contact on the stem, no more than 0.05
// off the centre line and at least half the hull length less 0.1 forward of
// midships. Its strength is the blow this ship struck: the answer files the
// impulse a body receives in that body's own record, so the blow struck is
// the impulse in the other body's record of the same contact.
bool CVR3GAMEMovementShip::IsRamContact(const Vorna3D::CDX9KelPhysicalContact& contact) const {
    const float length = GetHullLength();
    if (!(length > 0.0f)) return false;
    if (!(std::fabs(contact.vPoint.x) <= kRamOffCentre)) return false;
    if (!(contact.vPoint.z >= 0.5f * length - kRamBowMargin)) return false;
    return ContactStrength(contact) >= kRamImpulse;
}

float CVR3GAMEMovementShip::ContactStrength(const Vorna3D::CDX9KelPhysicalContact& contact) const {
    if (!contact.pOther || !m_pPhysicalObject) return 0.0f;
    const Vorna3D::CDX9KelPhysicalContact* back = contact.pOther->FindContact(m_pPhysicalObject);
    return back ? D3DXVec3Length(&back->vImpulse) : 0.0f;
}

void CVR3GAMEMovementShip::ProcContacts() {
    if (!m_pPhysicalObject) {
        m_bInContact = false;
        m_stdvRammed.clear();
        return;
    }
    const auto& contacts = m_pPhysicalObject->GetContacts();
    m_bInContact = !contacts.empty();
    if (contacts.size() > 1) {
        m_fTargetForce = 0.0f;
    } else if (contacts.size() == 1 && IsBackOffContact(contacts[0])) {
        m_fOrderedSpeed = m_fMinSpeed * 0.5f;
        m_fTargetForce = ForceForSpeed(m_fOrderedSpeed);
        m_bBackingOff = true;
        m_fBackOffTimer = 0.0f;
    }
    // A body no longer touched may be rammed again.
    const auto touching = [&contacts](const Vorna3D::CDX9KelBasePhysicalObject* body) {
        for (const Vorna3D::CDX9KelPhysicalContact& c : contacts)
            if (c.pOther == body) return true;
        return false;
    };
    m_stdvRammed.erase(std::remove_if(m_stdvRammed.begin(), m_stdvRammed.end(),
                                      [&touching](const Vorna3D::CDX9KelBasePhysicalObject* b) { return !touching(b); }),
                       m_stdvRammed.end());
    for (const Vorna3D::CDX9KelPhysicalContact& c : contacts) {
        if (std::find(m_stdvRammed.begin(), m_stdvRammed.end(), c.pOther) != m_stdvRammed.end()) continue;
        if (!IsRamContact(c)) continue;
        // The report carries the point in the rammed body's frame, where the
        // hole is torn.
        if (BattleProcessingState::Get().AddRam(m_pPhysicalObject, c.pOther, &c.vOtherPoint, ContactStrength(c)))
            m_stdvRammed.push_back(c.pOther);
    }
}

} // namespace SeaBattle
