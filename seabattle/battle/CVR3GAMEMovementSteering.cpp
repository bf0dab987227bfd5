#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include "engine3/core/scene/Geometry.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"

#include <algorithm>
#include <cmath>

namespace SeaBattle {

namespace {
constexpr float kPi = 3.14159265f;
const D3DXVECTOR3 kUp(0.0f, 1.0f, 0.0f);

D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

// The horizontal unit vector of a matrix row (0 right, 2 forward); false
// when the row has no horizontal part.
bool HorizontalAxis(const D3DXMATRIX& m, int row, D3DXVECTOR3* out) {
    D3DXVECTOR3 v(m.m[row][0], 0.0f, m.m[row][2]);
    const float len = D3DXVec3Length(&v);
    if (!(len > 0.0f) || !std::isfinite(len)) return false;
    *out = v / len;
    return true;
}
} // namespace

CVR3GAMESteeringSegment::CVR3GAMESteeringSegment() {
    D3DXMatrixIdentity(&m_mStart);
    D3DXMatrixIdentity(&m_mEnd);
}

void CVR3GAMESteeringSegment::Reset() {
    const int index = m_iIndex;
    *this = CVR3GAMESteeringSegment();
    m_iIndex = index;
}

CVR3GAMEMovementSteering::~CVR3GAMEMovementSteering() {
    for (CVR3GAMESteeringSegment* s : m_stdvPool) delete s;
}

bool CVR3GAMEMovementSteering::Init(Vorna3D::CDX9KelPhysicalManager* pManager, CVR3GAMEMovementShip* pShip) {
    if (!pManager || !pShip) return false;
    m_pManager = pManager;
    m_pShip = pShip;
    if (m_stdvPool.empty())
        for (unsigned i = 0; i < kInitialSegments; ++i) {
            auto* s = new CVR3GAMESteeringSegment;
            s->m_iIndex = static_cast<int>(i);
            m_stdvPool.push_back(s);
            m_stdvFree.push_back(i);
        }
    return true;
}

CVR3GAMESteeringSegment* CVR3GAMEMovementSteering::TakeSegment() {
    CVR3GAMESteeringSegment* s = nullptr;
    if (!m_stdvFree.empty()) {
        s = m_stdvPool[m_stdvFree.back()];
        m_stdvFree.pop_back();
    } else {
        s = new CVR3GAMESteeringSegment;
        m_stdvPool.push_back(s);
        s->m_iIndex = static_cast<int>(m_stdvPool.size() - 1);
    }
    s->Reset();
    return s;
}

void CVR3GAMEMovementSteering::FreeSegment(CVR3GAMESteeringSegment* seg) {
    if (!seg || seg->m_iIndex < 0 || static_cast<std::size_t>(seg->m_iIndex) >= m_stdvPool.size()) return;
    m_stdvFree.push_back(static_cast<unsigned>(seg->m_iIndex));
}

void CVR3GAMEMovementSteering::Append(CVR3GAMESteeringSegment* seg) {
    seg->m_fElapsed = -1.0f;
    m_stdvPlan.push_back(seg);
}

bool CVR3GAMEMovementSteering::ClearPlan() {
    if (m_stdvPlan.empty()) return false;
    for (CVR3GAMESteeringSegment* s : m_stdvPlan) FreeSegment(s);
    m_stdvPlan.clear();
    return true;
}

void CVR3GAMEMovementSteering::ClearOrder() {
    m_iMode = STEER_NONE;
    m_fFollowMarker = kFollowMarkerNone;
    m_fFollowClock = kFollowClockNone;
}

bool CVR3GAMEMovementSteering::SetCourse(float x, float z) {
    if (!m_pShip || !m_pManager) return false;
    if (m_iMode == STEER_COURSE && m_fTargetX == x && m_fTargetZ == z) return false;
    m_fTargetX = x;
    m_fTargetZ = z;
    m_iMode = STEER_COURSE;
    return true;
}

bool CVR3GAMEMovementSteering::SetTargetPoint(float x, float z) {
    if (!m_pShip || !m_pManager) return false;
    if (m_iMode == STEER_POINT && m_fTargetX == x && m_fTargetZ == z) return false;
    m_fTargetX = x;
    m_fTargetZ = z;
    m_iMode = STEER_POINT;
    return true;
}

bool CVR3GAMEMovementSteering::SetFollow(CVR3GAMEMovementShip* pShip) {
    if (!pShip || (m_iMode == STEER_FOLLOW && m_pFollowedShip == pShip)) return false;
    m_iMode = STEER_FOLLOW;
    m_pFollowedShip = pShip;
    ClearPlan();
    const D3DXMATRIX* m = m_pShip ? m_pShip->GetWorldMatrix() : nullptr;
    return m && PlanFollow(*m) != -1;
}

bool CVR3GAMEMovementSteering::AddAvoidShip(Vorna3D::CDX9KelPhysicalObjectShip* pBody, float squaredDistance) {
    if (!pBody || !(squaredDistance > 0.0f)) return false;
    for (const CVR3GAMEAvoidShip& a : m_stdvAvoid)
        if (a.m_pBody == pBody) return false;
    m_stdvAvoid.push_back({pBody, squaredDistance});
    return true;
}

float CVR3GAMEMovementSteering::TurnRate() const {
    if (!m_pShip) return 0.0f;
    // A ship that no column has limited yet turns at its own turning value.
    float w = std::fabs(m_pShip->m_fTurnLimit);
    if (!(w > 0.0f) || !std::isfinite(w)) w = std::fabs(m_pShip->m_fMaxRotAngle);
    return std::isfinite(w) ? w : 0.0f;
}

void CVR3GAMEMovementSteering::Proc(int mode, float dt) {
    if (!m_pShip) return;
    if (mode == 0) {
        if (m_iMode == STEER_NONE) return;
        PlayBack(dt);
        if (m_iMode == STEER_FOLLOW) KeepStation();
    } else if (mode == 1) {
        ClearPlan();
        const D3DXMATRIX* m = m_pShip->GetWorldMatrix();
        if (!m) return;
        if (m_iMode == STEER_COURSE) PlanCourse(*m);
        else if (m_iMode == STEER_POINT) PlanPoint(*m, m_fTargetX, m_fTargetZ);
        else if (m_iMode == STEER_FOLLOW) PlanFollow(*m);
    }
}

void CVR3GAMEMovementSteering::StartSegment(CVR3GAMESteeringSegment* seg) {
    seg->m_fElapsed = 0.0f;
    m_pShip->m_fOrderedSpeed = seg->m_fEndSpeed;
    m_pShip->m_fTargetForce = m_pShip->ForceForSpeed(seg->m_fEndSpeed);
    m_pShip->m_fOrderedRudderAngle = m_pShip->GetRudderForTurn(seg->m_fTurn);
}

void CVR3GAMEMovementSteering::PlayBack(float dt) {
    if (dt < 0.0f || m_stdvPlan.empty()) return;
    CVR3GAMESteeringSegment* seg = m_stdvPlan.front();
    if (seg->m_fElapsed == -1.0f) {
        StartSegment(seg);
        return;
    }
    seg->m_fElapsed += dt;
    if (seg->m_fElapsed < seg->m_fDuration) return;
    FreeSegment(seg);
    m_stdvPlan.erase(m_stdvPlan.begin());
    if (!m_stdvPlan.empty()) StartSegment(m_stdvPlan.front());
}

CVR3GAMESteeringSegment* CVR3GAMEMovementSteering::MakeStraight(const D3DXMATRIX& m, float s, float e,
                                                                 float duration) {
    D3DXVECTOR3 heading;
    if (!HorizontalAxis(m, 2, &heading)) return nullptr;
    CVR3GAMESteeringSegment* seg = TakeSegment();
    const float vm = (s + e) * 0.5f;
    const float length = vm * duration * kUnitsPerMetre;
    seg->m_fStartSpeed = s;
    seg->m_fEndSpeed = e;
    seg->m_mStart = m;
    seg->m_fDuration = duration;
    seg->m_mEnd = m;
    const D3DXVECTOR3 move = heading * length;
    seg->m_mEnd._41 += move.x;
    seg->m_mEnd._43 += move.z;
    const D3DXVECTOR3 p = Position(m);
    seg->m_vCheckCentre = D3DXVECTOR3(p.x, 0.0f, p.z);
    seg->m_fPathLength = std::fabs(length);
    return seg;
}

CVR3GAMESteeringSegment* CVR3GAMEMovementSteering::MakeStraightToPoint(const D3DXMATRIX& m, float s, float e,
                                                                        float duration, float px, float pz) {
    CVR3GAMESteeringSegment* seg = MakeStraight(m, s, e, duration);
    if (!seg) return nullptr;
    const float vm = (s + e) * 0.5f;
    const D3DXVECTOR2 a(m._41, m._43), b(px, pz);
    const float d = Vorna3D::GetDistance2D(&a, &b);
    if (d < seg->m_fPathLength && vm > 0.0f) {
        D3DXVECTOR3 heading;
        HorizontalAxis(m, 2, &heading);
        const float length = d * kMetresPerUnit * kUnitsPerMetre;
        seg->m_fDuration = d * kMetresPerUnit / vm;
        seg->m_mEnd = m;
        seg->m_mEnd._41 += heading.x * length;
        seg->m_mEnd._43 += heading.z * length;
        seg->m_fPathLength = length;
    }
    return seg;
}

CVR3GAMESteeringSegment* CVR3GAMEMovementSteering::MakeArcByAngle(const D3DXMATRIX& m, float s, float e,
                                                                   float angle) {
    const float w = TurnRate();
    D3DXVECTOR3 right;
    if (std::fabs(angle) <= 0.0001f || !std::isfinite(angle) || !(w > 0.0f) || !HorizontalAxis(m, 0, &right))
        return nullptr;
    const float vm = (s + e) * 0.5f;
    const float radius = std::fabs(vm * kUnitsPerMetre / w);
    const float side = angle > 0.0f ? 1.0f : -1.0f;
    const D3DXVECTOR3 p = Position(m);
    const D3DXVECTOR3 centre = D3DXVECTOR3(p.x, 0.0f, p.z) + right * (radius * side);
    CVR3GAMESteeringSegment* seg = TakeSegment();
    seg->m_fStartSpeed = s;
    seg->m_fEndSpeed = e;
    seg->m_mStart = m;
    seg->m_mEnd = m;
    D3DXVECTOR3 pivot(centre.x, p.y, centre.z);
    Vorna3D::RotateMatrixAroundAxis(&seg->m_mEnd, &pivot, &kUp, angle);
    seg->m_fDuration = std::fabs(angle) / w;
    seg->m_fTurn = side * w;
    seg->m_vCheckCentre = centre;
    seg->m_fRadius = radius;
    seg->m_fPathLength = std::fabs(angle) * radius;
    seg->m_fTurnAngle = std::clamp(angle, -kPi, kPi);
    return seg;
}

CVR3GAMEMovementSteering::EArcResult CVR3GAMEMovementSteering::MakeArcToPoint(const D3DXMATRIX& m, float s, float e,
                                                                              float px, float pz, bool alternative,
                                                                              CVR3GAMESteeringSegment** out) {
    *out = nullptr;
    const float w = TurnRate();
    D3DXVECTOR3 right;
    if (!(w > 0.0f) || !HorizontalAxis(m, 0, &right)) return ARC_FAILED;
    const float vm = (s + e) * 0.5f;
    const float radius = std::fabs(vm * kUnitsPerMetre / w);
    const D3DXVECTOR2 target(px, pz);
    const float a = Vorna3D::GetHeadingAngleToPoint2D(&m, &target);
    if (a == Vorna3D::KEL_NO_SIGNED_ANGLE || !std::isfinite(a)) return ARC_FAILED;
    if (std::fabs(a) <= 0.0001f) return ARC_NOT_NEEDED;
    const float side = (a < 0.0f || alternative) ? -1.0f : 1.0f;
    const D3DXVECTOR3 p = Position(m);
    const D3DXVECTOR3 centre = D3DXVECTOR3(p.x, 0.0f, p.z) + right * (radius * side);
    const D3DXVECTOR2 c2(centre.x, centre.z);
    if (!alternative && Vorna3D::GetDistance2D(&target, &c2) < radius) return ARC_NOT_REACHABLE;
    D3DXMATRIX end = m;
    const D3DXVECTOR3 pivot(centre.x, p.y, centre.z);
    Vorna3D::RotateMatrixAroundAxis(&end, &pivot, &kUp, a);
    float a2 = Vorna3D::GetHeadingAngleToPoint2D(&end, &target);
    if (a2 == Vorna3D::KEL_NO_SIGNED_ANGLE || !std::isfinite(a2)) a2 = 0.0f;
    Vorna3D::RotateMatrixAroundAxis(&end, &pivot, &kUp, a2);
    const float theta = a + a2;
    CVR3GAMESteeringSegment* seg = TakeSegment();
    seg->m_fStartSpeed = s;
    seg->m_fEndSpeed = e;
    seg->m_mStart = m;
    seg->m_mEnd = end;
    seg->m_fDuration = std::fabs(theta) / w;
    seg->m_fTurn = side * w;
    seg->m_vCheckCentre = centre;
    seg->m_fRadius = radius;
    seg->m_fPathLength = std::fabs(theta) * radius;
    seg->m_fTurnAngle = std::clamp(theta, -kPi, kPi);
    *out = seg;
    return ARC_MADE;
}

bool CVR3GAMEMovementSteering::PlanCourse(const D3DXMATRIX& m) {
    D3DXVECTOR2 dir(m_fTargetX, m_fTargetZ);
    const float len = D3DXVec2Length(&dir);
    if (!(len > 0.0f) || !std::isfinite(len)) return false;
    dir /= len;
    const float a = Vorna3D::GetHeadingAngleToDirection2D(&m, &dir);
    if (a == Vorna3D::KEL_NO_SIGNED_ANGLE) return false;
    const float s = m_pShip->m_fSpeed, e = m_pShip->m_fRouteSpeed;
    if (std::fabs(a) <= 0.01f) {
        CVR3GAMESteeringSegment* seg = MakeStraight(m, s, e, kHorizon);
        if (!seg) return false;
        Append(seg);
        return true;
    }
    CVR3GAMESteeringSegment* arc = MakeArcByAngle(m, s, e, a);
    if (!arc) return false;
    arc->m_fDuration = std::min(arc->m_fDuration, kHorizon);
    Append(arc);
    if (arc->m_fDuration < kHorizon)
        if (CVR3GAMESteeringSegment* rest = MakeStraight(arc->m_mEnd, e, e, kHorizon - arc->m_fDuration))
            Append(rest);
    return true;
}

bool CVR3GAMEMovementSteering::PlanPoint(const D3DXMATRIX& m, float px, float pz) {
    const D3DXVECTOR2 here(m._41, m._43), target(px, pz);
    if (Vorna3D::GetSquaredDistance2D(&here, &target) <= kArrivedSquared) return true;
    const float s = m_pShip->m_fSpeed, route = m_pShip->m_fRouteSpeed;
    CVR3GAMESteeringSegment* arc = nullptr;
    EArcResult r = MakeArcToPoint(m, s, route, px, pz, false, &arc);
    if (r == ARC_FAILED) return false;
    if (r == ARC_NOT_REACHABLE) {
        r = ARC_NOT_REACHABLE;
        if (s > 2.5f && m_pShip->m_fMaxSpeed >= 2.5f) r = MakeArcToPoint(m, s, 2.5f, px, pz, true, &arc);
        if (r == ARC_FAILED || r == ARC_NOT_REACHABLE) r = MakeArcToPoint(m, s, route, px, pz, true, &arc);
        if (r == ARC_FAILED || r == ARC_NOT_REACHABLE) return false;
    }
    float used = 0.0f;
    const D3DXMATRIX* from = &m;
    if (arc) {
        arc->m_fDuration = std::min(arc->m_fDuration, kHorizon);
        Append(arc);
        if (arc->m_fDuration >= kHorizon) return true;
        used = arc->m_fDuration;
        from = &arc->m_mEnd;
    }
    CVR3GAMESteeringSegment* straight = MakeStraightToPoint(*from, s, route, kHorizon - used, px, pz);
    if (!straight) return arc != nullptr;
    Append(straight);
    return true;
}

int CVR3GAMEMovementSteering::PlanFollow(const D3DXMATRIX& m) {
    const D3DXMATRIX* ma = m_pFollowedShip ? m_pFollowedShip->GetWorldMatrix() : nullptr;
    if (!ma) return -1;
    if (Vorna3D::GetDistanceBetweenMatrices(&m, ma) <= 24.0f) return 1;
    const CVR3GAMEMovementShip& a = *m_pFollowedShip;
    CVR3GAMESteeringSegment* predicted = nullptr;
    if (std::fabs(a.m_fRudderAngle) <= 0.0001f || !(a.m_fMaxRudderAngle > 0.0f)) {
        predicted = MakeStraight(*ma, a.m_fSpeed, a.m_fOrderedSpeed, kHorizon);
    } else {
        const float angle = kHorizon * (a.m_fMaxRotAngle * a.m_fRudderAngle / a.m_fMaxRudderAngle);
        predicted = MakeArcByAngle(*ma, a.m_fSpeed, a.m_fOrderedSpeed, angle);
        if (!predicted) predicted = MakeStraight(*ma, a.m_fSpeed, a.m_fOrderedSpeed, kHorizon);
    }
    if (!predicted) return -1;
    const float px = predicted->m_mEnd._41, pz = predicted->m_mEnd._43;
    FreeSegment(predicted);
    return PlanPoint(m, px, pz) ? 0 : -1;
}

void CVR3GAMEMovementSteering::KeepStation() {
    CVR3GAMEMovementShip* a = m_pFollowedShip;
    const D3DXMATRIX* m = m_pShip->GetWorldMatrix();
    const D3DXMATRIX* ma = a ? a->GetWorldMatrix() : nullptr;
    if (!m || !ma || !m_stdvPlan.empty()) return;
    const float d = Vorna3D::GetDistanceBetweenMatrices(m, ma);
    if (!(d <= 36.0f)) return;
    D3DXVECTOR3 heading;
    if (!HorizontalAxis(*ma, 2, &heading)) return;
    const D3DXVECTOR3 station = Position(*ma) - heading * 2.0f;
    float angle = Vorna3D::GetHeadingAngleToPoint(m, &station);
    if (angle == Vorna3D::KEL_NO_SIGNED_ANGLE || !std::isfinite(angle)) angle = 0.0f;
    if (m_fFollowMarker < -10.0f) {
        m_fFollowMarker = a->m_fSpeed;
        m_fFollowClock = 0.0f;
        return;
    }
    const float h = a->m_fSpeed, cap = m_pShip->m_fMaxSpeed;
    const bool online = !(std::fabs(angle) > 0.02f);
    float t = 0.0f;
    if (!a->m_bInContact && !a->m_bBackingOff) {
        if (d > 24.0f) {
            t = std::min(2.0f * h, cap);
            if (t == 0.0f) t = cap;
        } else if (d > 12.0f) {
            const float f = (d - 12.0f) / 12.0f;
            t = online ? h * (1.0f + f) : h + 2.0f * f;
            t = std::clamp(t, 0.0f, std::max(0.0f, cap));
        } else if (d > 6.0f) {
            const float g = (12.0f - d) / 12.0f;
            t = online ? h * (0.8f - g) : h + 0.8f * std::fabs(1.0f - g);
            t = std::clamp(t, 0.0f, std::max(0.0f, cap));
        } else {
            t = online ? h * 0.5f : h;
        }
    } else {
        if (d > 24.0f) {
            t = cap * 0.5f;
        } else if (d > 6.0f) {
            t = 0.0f;
        } else if (m_pShip->m_fSpeed <= 0.0f) {
            t = 0.0f;
        } else {
            t = m_pShip->m_fMinSpeed * 0.25f;
            if (std::fabs(angle) < 0.3141593f) {
                const float sign = a->m_fOrderedRudderAngle < -0.0001f ? -1.0f : 1.0f;
                angle = 0.1f * m_pShip->m_fMaxRotAngle * sign;
            }
        }
    }
    if (std::fabs(t - m_pShip->m_fOrderedSpeed) > 0.01f) {
        m_pShip->m_fOrderedSpeed = t;
        m_pShip->m_fTargetForce = m_pShip->ForceForSpeed(t);
    }
    m_pShip->m_fOrderedRudderAngle = std::fabs(angle) <= 0.001f ? 0.0f : m_pShip->GetRudderForTurn(angle);
    m_fFollowMarker = a->m_fSpeed;
}

} // namespace SeaBattle
