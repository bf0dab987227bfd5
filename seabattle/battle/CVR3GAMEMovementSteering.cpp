#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/CVR3GAMEMovementShipsColumn.h"

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
        D3DXVECTOR3 heading(0.0f, 0.0f, 0.0f);
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
        AppendChecked(seg);
        return true;
    }
    CVR3GAMESteeringSegment* arc = MakeArcByAngle(m, s, e, a);
    if (!arc) return false;
    arc->m_fDuration = std::min(arc->m_fDuration, kHorizon);
    if (!AppendChecked(arc)) return true;
    if (arc->m_fDuration < kHorizon)
        if (CVR3GAMESteeringSegment* rest = MakeStraight(arc->m_mEnd, e, e, kHorizon - arc->m_fDuration))
            AppendChecked(rest);
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
        if (!AppendChecked(arc)) return true;
        if (arc->m_fDuration >= kHorizon) return true;
        used = arc->m_fDuration;
        from = &arc->m_mEnd;
    }
    CVR3GAMESteeringSegment* straight = MakeStraightToPoint(*from, s, route, kHorizon - used, px, pz);
    if (!straight) return arc != nullptr;
    AppendChecked(straight);
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

// ---- obstacles ----

int CVR3GAMEMovementSteering::SectorOf(float angle) {
    if (!std::isfinite(angle)) return kSectorAhead;
    const float steps = std::round(std::fabs(angle) / kSectorWidth);
    const int k = steps > 24.0f ? 24 : static_cast<int>(steps);
    const int sector = angle >= 0.0f ? kSectorAhead + k : kSectorAhead - k;
    return std::clamp(sector, 0, kSectorCount - 1);
}

void CVR3GAMEMovementSteering::ResetSectors() {
    for (int k = 0; k < kSectorCount; ++k) {
        m_aSectors[k].m_fAngle = -kPi + static_cast<float>(k) * kSectorWidth;
        m_aSectors[k].m_fCost = 0.0f;
    }
}

namespace {
constexpr float kMaxMark = 12.0f;
float ClampAngle(float a) { return std::isfinite(a) ? std::clamp(a, -kPi, kPi) : 0.0f; }
} // namespace

void CVR3GAMEMovementSteering::MarkSectorRange(float from, float to, float cost) {
    const int a = SectorOf(ClampAngle(std::min(from, to))), b = SectorOf(ClampAngle(std::max(from, to)));
    for (int k = a; k <= b; ++k)
        m_aSectors[k].m_fCost = std::max(m_aSectors[k].m_fCost, std::min(cost, kMaxMark));
}

void CVR3GAMEMovementSteering::AddRangeCost(float from, float to, float cost) {
    const int a = SectorOf(ClampAngle(std::min(from, to))), b = SectorOf(ClampAngle(std::max(from, to)));
    for (int k = a; k <= b; ++k) m_aSectors[k].m_fCost += cost;
}

void CVR3GAMEMovementSteering::AddSectorCost(float angle, float cost) {
    m_aSectors[SectorOf(ClampAngle(angle))].m_fCost += cost;
}

float CVR3GAMEMovementSteering::TimeWindow(float meanSpeed) const {
    float behind = 1.0f;
    if (m_pShip && m_pShip->m_pColumn && m_pShip->m_iColumnIndex >= 0) {
        const std::size_t n = m_pShip->m_pColumn->m_stdvShips.size();
        const std::size_t at = static_cast<std::size_t>(m_pShip->m_iColumnIndex);
        behind = at < n ? static_cast<float>(n - at) : 1.0f;
    } else {
        behind = 1.0f;
    }
    // The time to cover 12 units per ship from this one to the rear at the
    // mean speed, and half as much again.
    if (!(meanSpeed > 0.001f)) return 0.0f;
    return (behind + 1.5f) * 222.0f / meanSpeed;
}

namespace {

// Where a ray from `o` along unit `d` meets a circle; the nearer crossing
// ahead first. Returns how many (0-2).
int RayCircle(const D3DXVECTOR2& o, const D3DXVECTOR2& d, const D3DXVECTOR2& c, float r, D3DXVECTOR2* out) {
    if (!(r > 0.0f)) return 0;
    return Vorna3D::IntersectRayCircle2D(&o, &d, &c, r, out);
}

// The angle swept along a circle from `from` to `to` turning the way `sign`
// says (+1 clockwise seen from above, as a turn to starboard), in [0, 2 pi).
float SweptAngle(const D3DXVECTOR2& centre, const D3DXVECTOR2& from, const D3DXVECTOR2& to, float sign) {
    const float a0 = std::atan2(from.x - centre.x, from.y - centre.y);
    const float a1 = std::atan2(to.x - centre.x, to.y - centre.y);
    float d = (a1 - a0) * (sign >= 0.0f ? 1.0f : -1.0f);
    while (d < 0.0f) d += 2.0f * kPi;
    while (d >= 2.0f * kPi) d -= 2.0f * kPi;
    return d;
}

} // namespace

bool CVR3GAMEMovementSteering::TestBody(CVR3GAMESteeringSegment* seg, const Vorna3D::CDX9KelPhysicalObjectShip* body) {
    const D3DXMATRIX* own = m_pShip->GetWorldMatrix();
    const Vorna3D::CDX9KelSceneObject* so = body->GetSceneObject();
    if (!own || !so) return false;
    const D3DXVECTOR2 start(seg->m_mStart._41, seg->m_mStart._43);
    D3DXVECTOR3 h3;
    if (!HorizontalAxis(seg->m_mStart, 2, &h3)) return false;
    const D3DXVECTOR2 heading(h3.x, h3.z);
    const bool arc = std::fabs(seg->m_fTurn) > 0.0001f;
    const D3DXVECTOR2 arcCentre(seg->m_vCheckCentre.x, seg->m_vCheckCentre.z);
    const float turnSign = seg->m_fTurn >= 0.0f ? 1.0f : -1.0f;
    const float w = std::fabs(seg->m_fTurn);
    const float vm = (seg->m_fStartSpeed + seg->m_fEndSpeed) * 0.5f;
    const D3DXVECTOR2 pos(so->m_mWorld._41, so->m_mWorld._43);

    // The other body's motion over its last step.
    Vorna3D::CDX9KelPhysicalManager* mgr = body->GetManager();
    const float stepTime = mgr ? mgr->GetStepTime() : 0.0f;
    const D3DXVECTOR3& ws = body->GetWorldStep();
    D3DXVECTOR2 vel(0.0f, 0.0f);
    if (stepTime > 0.0f) vel = D3DXVECTOR2(ws.x / stepTime, ws.z / stepTime);
    const float unitsPerSecond = D3DXVec2Length(&vel);
    const float speed = unitsPerSecond * kMetresPerUnit; // m/s
    const bool atRest = !(unitsPerSecond > 0.0001f) || !std::isfinite(unitsPerSecond);

    bool blocked = false;
    D3DXVECTOR2 conflict(0.0f, 0.0f);
    float conflictCourse = 0.0f; // the body's course against the ship's heading
    if (atRest) {
        const float r = so->m_fRadius;
        if (arc) {
            // The hull's circle meets the turning circle.
            const float d = Vorna3D::GetDistance2D(&pos, &arcCentre);
            blocked = d <= seg->m_fRadius + r && d >= seg->m_fRadius - r;
        } else {
            D3DXVECTOR2 p[2];
            const int n = RayCircle(start, heading, pos, r, p);
            // Only within the segment's length (and a body's radius more).
            if (n > 0) {
                const D3DXVECTOR2 d = p[0] - start;
                blocked = D3DXVec2Length(&d) <= seg->m_fPathLength + r;
            }
            if (!blocked && Vorna3D::IsPointInCircle2D(&start, &pos, r)) blocked = true;
        }
        conflict = pos;
        conflictCourse = kPi / 2; // a body at rest is crossed
    } else {
        const D3DXVECTOR2 dir = vel / unitsPerSecond;
        const float yaw = body->GetYawRate();
        const float window = TimeWindow(vm);
        D3DXVECTOR2 points[2];
        int n = 0;
        const bool turning = std::fabs(yaw) > 0.0001f && std::isfinite(yaw);
        D3DXVECTOR2 bodyCentre(0.0f, 0.0f);
        float bodyRadius = 0.0f;
        if (turning) {
            bodyRadius = std::fabs(unitsPerSecond / yaw);
            // Beside it, square to its velocity, on the side it turns to (positive yaw: starboard).
            const D3DXVECTOR2 right(dir.y, -dir.x);
            bodyCentre = pos + right * (yaw > 0.0f ? bodyRadius : -bodyRadius);
            if (arc)
                n = Vorna3D::IntersectCircles2D(&arcCentre, seg->m_fRadius, &bodyCentre, bodyRadius, points);
            else
                n = RayCircle(start, heading, bodyCentre, bodyRadius, points);
        } else {
            if (arc) {
                n = RayCircle(pos, dir, arcCentre, seg->m_fRadius, points);
            } else if (Vorna3D::IntersectRays2D(&start, &heading, &pos, &dir, &points[0])) {
                n = 1;
            }
        }
        for (int i = 0; i < n && !blocked; ++i) {
            const D3DXVECTOR2& x = points[i];
            float shipTime = -1.0f;
            if (arc) {
                shipTime = w > 0.0f ? SweptAngle(arcCentre, start, x, turnSign) / w : -1.0f;
                if (shipTime > seg->m_fDuration) continue; // beyond this segment
            } else {
                const D3DXVECTOR2 d = x - start;
                if (D3DXVec2Length(&d) > seg->m_fPathLength) continue;
                shipTime = vm > 0.0f ? D3DXVec2Length(&d) * kMetresPerUnit / vm : -1.0f;
            }
            float bodyTime = -1.0f;
            if (turning) {
                bodyTime = SweptAngle(bodyCentre, pos, x, yaw > 0.0f ? 1.0f : -1.0f) / std::fabs(yaw);
            } else {
                const D3DXVECTOR2 d = x - pos;
                bodyTime = speed > 0.0f ? D3DXVec2Length(&d) * kMetresPerUnit / speed : -1.0f;
            }
            if (shipTime < 0.0f || bodyTime < 0.0f) continue;
            if (std::fabs(shipTime - bodyTime) <= window) {
                blocked = true;
                conflict = x;
            }
        }
        const D3DXVECTOR2 side(h3.z, -h3.x);
        conflictCourse = Vorna3D::GetSignedAngle2D(&heading, &dir, &side);
    }
    if (!blocked) return false;

    // Mark the sectors the body blocks, seen from the ship.
    const D3DXVECTOR3 cp(conflict.x, 0.0f, conflict.y);
    const float bearing = Vorna3D::GetHeadingAngleToPoint(own, &cp);
    const D3DXVECTOR2 here(own->_41, own->_43);
    const float dist = Vorna3D::GetDistance2D(&here, &conflict);
    const float deg = kPi / 180.0f;
    if (std::fabs(bearing) <= 45.0f * deg) {
        const float b = std::fabs(conflictCourse);
        if (b < 15.0f * deg) {
            MarkSectorRange(bearing - 15.0f * deg, bearing + 15.0f * deg, 8.0f);
        } else if (b > 160.0f * deg) {
            MarkSectorRange(bearing - 15.0f * deg, bearing + 15.0f * deg, 8.0f);
            MarkSectorRange(160.0f * deg, kPi, 8.0f);
            MarkSectorRange(-kPi, -160.0f * deg, 8.0f);
        } else {
            MarkSectorRange(bearing - 15.0f * deg, bearing + 15.0f * deg, 4.0f);
            AddSectorCost(bearing - 15.0f * deg, 2.0f);
            AddSectorCost(bearing + 15.0f * deg, 3.0f);
        }
    }
    // Nearer crossings close a wider fan and cost more.
    float half = 15.0f * deg, cost = 4.0f;
    if (dist <= 12.0f) {
        half = 40.0f * deg;
        cost = 12.0f;
    } else if (dist <= 24.0f) {
        half = 30.0f * deg;
        cost = 8.0f;
    }
    if (atRest) cost = std::max(cost, 8.0f); // a hull in the way is never a mild cost
    MarkSectorRange(bearing - half, bearing + half, cost);
    return true;
}

bool CVR3GAMEMovementSteering::IsSegmentBlocked(CVR3GAMESteeringSegment* seg) {
    ResetSectors();
    if (!seg || !m_pShip || !m_pManager || !m_pShip->m_pColumn) return false;
    const bool arc = std::fabs(seg->m_fTurn) > 0.0001f;
    const float radius = arc ? seg->m_fPathLength + seg->m_fRadius : seg->m_fPathLength;
    seg->m_fTimeWindow = TimeWindow((seg->m_fStartSpeed + seg->m_fEndSpeed) * 0.5f);
    if (!(radius > 0.0f) || !m_pManager->FindObjectsInSphere(&seg->m_vCheckCentre, radius)) return false;
    const D3DXMATRIX* own = m_pShip->GetWorldMatrix();
    if (!own) return false;
    bool blocked = false;
    // A copy: the query list is the manager's and another check may run inside.
    const std::vector<Vorna3D::CDX9KelBasePhysicalObject*> found = m_pManager->GetQueryResults();
    for (Vorna3D::CDX9KelBasePhysicalObject* o : found) {
        if (!o || o == m_pShip->m_pPhysicalObject || !o->IsActive() ||
            o->GetType() != Vorna3D::CDX9KelBasePhysicalObject::kTypeShip || !o->GetSceneObject())
            continue;
        auto* body = static_cast<Vorna3D::CDX9KelPhysicalObjectShip*>(o);
        const D3DXMATRIX& other = o->GetSceneObject()->m_mWorld;
        bool ownColumn = false;
        for (const CVR3GAMEMovementShip* s : m_pShip->m_pColumn->m_stdvShips)
            if (s && s->m_pPhysicalObject == body) ownColumn = true;
        if (ownColumn) {
            const float angle = std::fabs(Vorna3D::GetHeadingAngleToMatrix(own, &other));
            if (angle > kPi / 2 || Vorna3D::GetSquaredDistanceBetweenMatrices(own, &other) > 576.0f) continue;
        }
        bool skip = false;
        for (const CVR3GAMEAvoidShip& a : m_stdvAvoid)
            if (a.m_pBody == body && Vorna3D::GetSquaredDistanceBetweenMatrices(own, &other) > a.m_fSquaredDistance)
                skip = true;
        if (skip) continue;
        if (TestBody(seg, body)) blocked = true;
    }
    return blocked;
}

float CVR3GAMEMovementSteering::FindEscapeAngle(float reference) const {
    if (!std::isfinite(reference) || std::fabs(reference) > kPi) return kNoEscape;
    const int r = SectorOf(reference);
    // The nearest acceptable sector; on equal distance the lower one.
    for (int d = 0; d < kSectorCount; ++d) {
        for (int k : {r - d, r + d}) {
            if (k < 0 || k >= kSectorCount) continue;
            const float c = m_aSectors[k].m_fCost;
            if (c >= 0.0f && c <= 4.0f) return m_aSectors[k].m_fAngle;
        }
    }
    // Else the cheapest below 50, the nearest of equals.
    int best = -1;
    for (int d = 0; d < kSectorCount; ++d)
        for (int k : {r - d, r + d}) {
            if (k < 0 || k >= kSectorCount) continue;
            const float c = m_aSectors[k].m_fCost;
            if (c < 50.0f && (best < 0 || c < m_aSectors[best].m_fCost)) best = k;
        }
    return best < 0 ? kNoEscape : m_aSectors[best].m_fAngle;
}

bool CVR3GAMEMovementSteering::Detour(CVR3GAMESteeringSegment* blocked) {
    const float escape = FindEscapeAngle(blocked->m_fTurnAngle);
    const D3DXMATRIX start = blocked->m_mStart;
    const float s = blocked->m_fStartSpeed, e = blocked->m_fEndSpeed, total = blocked->m_fDuration;
    FreeSegment(blocked);
    ClearPlan();
    if (escape == kNoEscape) return false;
    float used = 0.0f;
    const D3DXMATRIX* from = &start;
    CVR3GAMESteeringSegment* arc = nullptr;
    if (std::fabs(escape) > 0.01f) {
        arc = MakeArcByAngle(start, s, e, escape);
        if (arc) {
            arc->m_fDuration = std::min(arc->m_fDuration, total);
            Append(arc);
            used = arc->m_fDuration;
            from = &arc->m_mEnd;
        }
    }
    if (total - used > 0.0f)
        if (CVR3GAMESteeringSegment* rest = MakeStraight(*from, arc ? e : s, e, total - used)) Append(rest);
    return true;
}

bool CVR3GAMEMovementSteering::AppendChecked(CVR3GAMESteeringSegment* seg) {
    if (!IsSegmentBlocked(seg)) {
        Append(seg);
        return true;
    }
    Detour(seg);
    return false;
}

} // namespace SeaBattle
