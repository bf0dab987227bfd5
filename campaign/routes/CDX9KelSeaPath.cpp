#include "campaign/routes/CDX9KelSeaPath.h"

#include <algorithm>
#include <cmath>

namespace VornaCampaign {

CDX9KelSeaPathGenerator g_SeaPathGenerator;
CDX9KelSeaPathFinder g_SeaPathFinder(&g_SeaPathGenerator);

namespace {

constexpr float kTurnFactor = 0.054f; // world units of turning radius per (speed / turn rate)
constexpr float kRouteTime = 3600.0f;

void Advance(D3DXMATRIX& m, float worldLength) {
    const D3DXVECTOR3 h = SeaHeading(m);
    m._41 += h.x * worldLength;
    m._43 += h.z * worldLength;
}

D3DXVECTOR3 SideOf(const D3DXMATRIX& m) {
    D3DXVECTOR3 s(m._11, 0.0f, m._13);
    const float len = std::sqrt(s.x * s.x + s.z * s.z);
    if (len > 0.0f) {
        s.x /= len;
        s.z /= len;
    }
    return s;
}

// The centre of the turn at signed rate w with the given world radius.
void TurnCentre(const D3DXMATRIX& m, float w, float worldRadius, float* cx, float* cz) {
    const D3DXVECTOR3 side = SideOf(m);
    const float s = w >= 0.0f ? 1.0f : -1.0f;
    *cx = m._41 - s * worldRadius * side.x;
    *cz = m._43 - s * worldRadius * side.z;
}

D3DXMATRIX PlacementAt(float x, float z) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._41 = x;
    m._43 = z;
    return m;
}

float Dist2D(float ax, float az, float bx, float bz) {
    return std::sqrt((ax - bx) * (ax - bx) + (az - bz) * (az - bz));
}

} // namespace

D3DXVECTOR3 SeaHeading(const D3DXMATRIX& m) {
    D3DXVECTOR3 h(-m._31, 0.0f, -m._33);
    const float len = std::sqrt(h.x * h.x + h.z * h.z);
    if (len > 0.0f) {
        h.x /= len;
        h.z /= len;
    }
    return h;
}

float SeaAngleTo(const D3DXMATRIX& m, float x, float z) {
    const D3DXVECTOR3 h = SeaHeading(m);
    const float dx = x - m._41, dz = z - m._43;
    if (dx == 0.0f && dz == 0.0f) return 0.0f;
    // Rotating about y by a positive angle moves the heading towards (hz, -hx).
    return std::atan2(dx * h.z - dz * h.x, dx * h.x + dz * h.z);
}

D3DXMATRIX SeaRotateAbout(const D3DXMATRIX& m, float cx, float cz, float angle) {
    D3DXMATRIX toCentre, rot, back, out;
    D3DXMatrixTranslation(&toCentre, -cx, 0.0f, -cz);
    D3DXMatrixRotationY(&rot, angle);
    D3DXMatrixTranslation(&back, cx, 0.0f, cz);
    out = m * toCentre * rot * back;
    return out;
}

// ---- the path generator ----

int CDX9KelSeaPathGenerator::CreatePath(const SeaMoveParams* params, const D3DXMATRIX* start, float time,
                                        bool keepTime) {
    if (!params || !start) return -1;
    if (!keepTime) time = std::min(time, m_fMaxPathTime);
    auto path = std::make_shared<SeaPath>();
    path->m_Params = *params;
    path->m_fTime = time;
    SeaPathSegment first;
    first.m_mStart = *start;
    path->m_Segments.push_back(first);
    path->m_mEnd = *start;
    m_Paths.push_back(std::move(path));
    return static_cast<int>(m_Paths.size()) - 1;
}

bool CDX9KelSeaPathGenerator::AddSegment(int index, float time, float speed, float turnRate) {
    if (!IsValid(index) || !(time > 0.0f)) return false;
    SeaPath& path = *m_Paths[index];
    if (!path.m_bOpen || path.m_Segments.empty()) return false;
    const SeaMoveParams& p = path.m_Params;
    turnRate = std::clamp(turnRate, -std::fabs(p.m_fMaxTurnRate), std::fabs(p.m_fMaxTurnRate));
    if (speed < 0.0f || speed > p.m_fMaxSpeed) speed = p.m_fMaxSpeed;
    SeaPathSegment& last = path.m_Segments.back();
    last.m_fTime = time;
    last.m_fSpeed = speed;
    last.m_fTurnRate = turnRate;
    if (path.m_Segments.size() == 1) {
        last.m_fStartSpeed = p.m_fStartSpeed;
        last.m_fStartValue2 = p.m_fStartTurn;
    }
    SeaPathSegment next;
    next.m_mStart = last.m_mStart;
    path.m_Segments.push_back(next);
    return true;
}

void CDX9KelSeaPathGenerator::FinishPath(int index) {
    if (!IsValid(index)) return;
    SeaPath& path = *m_Paths[index];
    path.m_bOpen = false;
    float sum = 0.0f;
    for (const SeaPathSegment& s : path.m_Segments) sum += s.m_fTime;
    path.m_fTime = sum;
}

bool CDX9KelSeaPathGenerator::ReleasePath(int index) {
    if (!IsValid(index)) return false;
    SeaPath& path = *m_Paths[index];
    path.m_bOpen = false;
    const D3DXMATRIX start = path.m_Segments.empty() ? path.m_mEnd : path.m_Segments.front().m_mStart;
    const float startSpeed = path.m_Segments.empty() ? path.m_Params.m_fStartSpeed : path.m_Segments.front().m_fStartSpeed;
    const float startValue2 = path.m_Segments.empty() ? path.m_Params.m_fStartTurn : path.m_Segments.front().m_fStartValue2;

    // 1. Fit the segments to the path time.
    std::vector<SeaPathSegment> fitted;
    float sum = 0.0f;
    bool cut = false;
    for (const SeaPathSegment& s : path.m_Segments) {
        if (s.m_fTime == 0.0f) continue;
        SeaPathSegment seg = s;
        if (sum + seg.m_fTime > path.m_fTime + 0.5f) {
            seg.m_fTime = std::max(0.0f, path.m_fTime - sum);
            fitted.push_back(seg);
            sum = path.m_fTime;
            cut = true;
            break;
        }
        fitted.push_back(seg);
        sum += seg.m_fTime;
    }
    if (fitted.empty()) {
        SeaPathSegment only;
        if (!path.m_Segments.empty()) only = path.m_Segments.front();
        fitted.push_back(only);
        sum = only.m_fTime;
    }
    if (!cut && sum < path.m_fTime) fitted.back().m_fTime += path.m_fTime - sum;
    fitted.front().m_mStart = start;
    fitted.front().m_fStartSpeed = startSpeed;
    fitted.front().m_fStartValue2 = startValue2;

    // 2. Kinematics.
    const float accel = path.m_Params.m_fAcceleration;
    path.m_fLength = 0.0f;
    D3DXMATRIX end = start;
    for (size_t i = 0; i < fitted.size(); ++i) {
        SeaPathSegment seg = fitted[i];
        const float u = seg.m_fStartSpeed, V = seg.m_fSpeed, w = seg.m_fTurnRate, T = seg.m_fTime;
        float length = 0.0f, nextSpeed = u;
        end = seg.m_mStart;
        fitted[i].m_fRadius = 0.0f;
        if (std::fabs(w) < 0.0001f) {
            const float rate = V > u ? accel : m_fDeceleration;
            const float sign = V > u ? 1.0f : -1.0f;
            if (V != u && rate > 0.0f) {
                const float t = std::fabs(V - u) / rate;
                if (T > t + 0.9f) {
                    fitted[i].m_fTime = t;
                    length = u * t + sign * rate * t * t / 2.0f;
                    SeaPathSegment rest;
                    rest.m_fStartSpeed = V;
                    rest.m_fSpeed = V;
                    rest.m_fTurnRate = 0.0f;
                    rest.m_fTime = T - t;
                    fitted.insert(fitted.begin() + static_cast<long>(i) + 1, rest);
                    nextSpeed = V;
                } else {
                    length = u * T + sign * rate * T * T / 2.0f;
                    nextSpeed = u + sign * rate * T;
                }
            } else {
                length = u * T;
            }
            length = std::max(0.0f, length);
            nextSpeed = std::max(0.0f, nextSpeed);
            Advance(end, length * kWorldUnitsPerRouteUnit);
        } else {
            const float speed = (std::fabs(w) > 0.004f && u > 3.466f) ? u * std::cos(2.5f * w) : u;
            const float radius = speed / std::fabs(w);
            fitted[i].m_fRadius = radius;
            length = radius * std::fabs(w) * T;
            nextSpeed = speed;
            float cx, cz;
            TurnCentre(seg.m_mStart, w, radius * kWorldUnitsPerRouteUnit, &cx, &cz);
            end = SeaRotateAbout(seg.m_mStart, cx, cz, w * T);
        }
        // The insertion above may have moved the segments.
        fitted[i].m_fLength = length;
        path.m_fLength += length * kWorldUnitsPerRouteUnit;
        if (i + 1 < fitted.size()) {
            fitted[i + 1].m_fStartSpeed = nextSpeed;
            fitted[i + 1].m_fStartValue2 = w;
            fitted[i + 1].m_mStart = end;
        }
    }
    path.m_mEnd = end;
    path.m_Segments = std::move(fitted);

    // 3. Way points.
    path.m_WayPoints.clear();
    const float spacing = m_fShipWidth * kRouteUnitsPerWorldUnit;
    for (size_t i = 0; i < path.m_Segments.size(); ++i) {
        const SeaPathSegment& seg = path.m_Segments[i];
        if (!(seg.m_fLength > 0.0f)) continue;
        const bool turning = std::fabs(seg.m_fTurnRate) >= 0.0001f;
        float cx = 0.0f, cz = 0.0f;
        if (turning) TurnCentre(seg.m_mStart, seg.m_fTurnRate, seg.m_fRadius * kWorldUnitsPerRouteUnit, &cx, &cz);
        const D3DXMATRIX& segmentEnd = i + 1 < path.m_Segments.size() ? path.m_Segments[i + 1].m_mStart : path.m_mEnd;
        D3DXMATRIX at = seg.m_mStart;
        float walked = 0.0f;
        while (walked < seg.m_fLength) {
            const float remaining = seg.m_fLength - walked;
            const float step = remaining < 2.0f * spacing ? remaining : spacing;
            // In a turn each step turns by its length over the start speed
            // times the turn rate; the last way point stands at the turn's end.
            if (turning && step == remaining)
                at = segmentEnd;
            else if (turning && seg.m_fStartSpeed > 0.0f)
                at = SeaRotateAbout(at, cx, cz, step / seg.m_fStartSpeed * seg.m_fTurnRate);
            else if (turning)
                at = SeaRotateAbout(at, cx, cz, seg.m_fTurnRate * seg.m_fTime * step / seg.m_fLength);
            else
                Advance(at, step * kWorldUnitsPerRouteUnit);
            walked += step;
            SeaWayPoint wp;
            wp.m_mPlacement = at;
            wp.m_iSegment = static_cast<int>(i);
            path.m_WayPoints.push_back(wp);
            if (step == remaining) break;
        }
    }
    return true;
}

bool CDX9KelSeaPathGenerator::IsPathBlocked(ISeaObstacleQuery* query, int index, const void* ignore) const {
    if (!query || !IsValid(index)) return false;
    std::vector<SeaSphere> spheres;
    for (const SeaWayPoint& wp : m_Paths[index]->m_WayPoints)
        spheres.push_back({wp.m_mPlacement._41, 0.0f, wp.m_mPlacement._43, m_fShipWidth / 2.0f});
    return query->TestSpheres(spheres, ignore);
}

// ---- the route finder ----

int CDX9KelSeaPathFinder::FindPath(const SeaMover* mover, const SeaMoveParams* params, float timeUsed,
                                   float timeAvailable, float x, float y, float z) {
    (void)y;
    if (!mover || !params || !m_pQuery || !m_pGenerator || !(timeAvailable > 0.0f)) return SEA_PATH_RESULT_ERROR;
    if (timeUsed > timeAvailable - 3.0f) return SEA_PATH_RESULT_NOT_TIME;
    if (m_pQuery->TestSphere(x, 0.0f, z, mover->m_fRadius)) {
        const auto& hits = m_pQuery->Hits();
        if (hits.size() > 1 || hits.front() != mover->m_pSelf) return SEA_PATH_RESULT_TAGRET_OCCUPED;
    }
    m_pGenerator->ClearPaths();
    m_iRoutePath = m_iFittedPath = -1;
    m_Detours.clear();
    // A mover that cannot move or turn finds no route.
    if (!(params->m_fMaxSpeed > 0.0f) || !(params->m_fMaxTurnRate > 0.0f) || !(params->m_fAcceleration > 0.0f))
        return SEA_PATH_RESULT_NOT_FOUND;
    m_pMover = mover;
    m_pParams = params;
    m_mFinalTarget = PlacementAt(x, z);
    m_iRoutePath = m_pGenerator->CreatePath(params, &mover->m_mWorld, kRouteTime, true);
    m_uDetours = 0;
    const Speeds sp{params->m_fMaxSpeed, params->m_fMaxTurnRate, params->m_fAcceleration,
                    std::max(0.0f, params->m_fStartSpeed)};
    if (!PlanLeg(mover->m_mWorld, m_mFinalTarget, sp, 0)) return SEA_PATH_RESULT_NOT_FOUND;
    return FitRouteToTime(params, mover->m_mWorld, timeUsed, timeAvailable) ? SEA_PATH_RESULT_FOUND
                                                                           : SEA_PATH_RESULT_NOT_FOUND;
}

bool CDX9KelSeaPathFinder::PlanLeg(const D3DXMATRIX& start, const D3DXMATRIX& target, const Speeds& sp, int depth) {
    if (depth > 64) return false;
    CDX9KelSeaPathGenerator& gen = *m_pGenerator;
    // 1. The turn towards the leg target.
    const float alpha = SeaAngleTo(start, target._41, target._43);
    const float s = alpha >= 0.0f ? 1.0f : -1.0f;
    float alpha2 = 0.0f;
    D3DXMATRIX turned = start;
    if (std::fabs(alpha) > sp.T) {
        float cx, cz;
        TurnCentre(start, s, kTurnFactor * sp.v / sp.T, &cx, &cz);
        turned = SeaRotateAbout(start, cx, cz, alpha);
        alpha2 = SeaAngleTo(turned, target._41, target._43);
    }
    const float turnTime = (std::fabs(alpha) + std::fabs(alpha2)) / sp.T;
    // 2. The straight distance in route units.
    const float D = Dist2D(turned._41, turned._43, target._41, target._43) * kRouteUnitsPerWorldUnit;
    // 3. The speed change.
    float t = 0.0f, x = 0.0f, reached = sp.V;
    const float dec = gen.m_fDeceleration;
    if (sp.V != sp.v) {
        const bool up = sp.V > sp.v;
        const float rate = up ? sp.a : dec;
        t = std::fabs(sp.V - sp.v) / rate;
        x = up ? sp.v * t + rate * t * t / 2.0f : sp.v * t - rate * t * t / 2.0f;
        if (x > D) {
            // The time at which the distance D is covered.
            const float qa = (up ? rate : -rate) / 2.0f;
            const float disc = sp.v * sp.v + 4.0f * qa * D;
            if (disc >= 0.0f && qa != 0.0f) {
                const float r1 = (-sp.v + std::sqrt(disc)) / (2.0f * qa);
                const float r2 = (-sp.v - std::sqrt(disc)) / (2.0f * qa);
                if (r1 > 0.0f)
                    t = r1;
                else if (r2 > 0.0f)
                    t = r2;
            }
            reached = up ? sp.v + rate * t : std::max(0.0f, sp.v - rate * t);
            x = D;
        }
    }
    // 4. The straight run after it.
    const float runTime = x < D && sp.V > 0.0f ? (D - x) / sp.V : 0.0f;

    // 5. The trial path.
    SeaMoveParams trialParams = *m_pParams;
    trialParams.m_fStartSpeed = sp.v;
    const int trial = gen.CreatePath(&trialParams, &start, kRouteTime, true);
    gen.AddSegment(trial, turnTime, sp.V, s * sp.T);
    gen.AddSegment(trial, t, sp.V, 0.0f);
    gen.AddSegment(trial, runTime, sp.V, 0.0f);
    gen.FinishPath(trial);
    gen.ReleasePath(trial);
    const SeaPathHandle trialPath = gen.Get(trial);
    std::vector<SeaSphere> spheres;
    for (const SeaWayPoint& wp : trialPath->m_WayPoints)
        spheres.push_back({wp.m_mPlacement._41, 0.0f, wp.m_mPlacement._43, gen.m_fShipWidth / 2.0f});
    // The leg ends heading from the end of the turn towards its target.
    D3DXMATRIX legEnd = trialPath->m_mEnd;
    legEnd._41 = target._41;
    legEnd._43 = target._43;

    // 6. Test it, then drop the trial path.
    const bool blocked = m_pQuery->TestSpheres(spheres, m_pMover->m_pSelf);
    const void* obstacle = blocked && !m_pQuery->Hits().empty() ? m_pQuery->Hits().front() : nullptr;
    gen.RemoveLast();
    if (blocked) return PlanDetour(obstacle, start, target, sp, depth + 1);

    gen.AddSegment(m_iRoutePath, turnTime, sp.V, s * sp.T);
    gen.AddSegment(m_iRoutePath, t, sp.V, 0.0f);
    gen.AddSegment(m_iRoutePath, runTime, sp.V, 0.0f);
    const bool finalLeg = target._41 == m_mFinalTarget._41 && target._43 == m_mFinalTarget._43;
    if (!finalLeg) {
        Speeds next = sp;
        next.v = reached;
        if (!PlanLeg(legEnd, m_mFinalTarget, next, depth + 1)) return false;
    }
    return true;
}

bool CDX9KelSeaPathFinder::PlanDetour(const void* obstacle, const D3DXMATRIX& start, const D3DXMATRIX& target,
                                      const Speeds& sp, int depth) {
    (void)target;
    D3DXVECTOR3 from(start._41, 0.0f, start._43);
    D3DXVECTOR3 point = FindDetourPoint(obstacle, from, sp);
    if (point.y < 0.0f) return false;
    const float minDist = 2.0f * kTurnFactor * sp.v / sp.T;
    const float d = Dist2D(from.x, from.z, point.x, point.z);
    if (d < minDist) {
        if (d > 0.0f) {
            point.x = from.x + (point.x - from.x) / d * minDist;
            point.z = from.z + (point.z - from.z) / d * minDist;
        } else {
            const D3DXVECTOR3 h = SeaHeading(start);
            point.x = from.x + h.x * minDist;
            point.z = from.z + h.z * minDist;
        }
    }
    m_Detours.push_back(point);
    return PlanLeg(start, PlacementAt(point.x, point.z), sp, depth);
}

bool CDX9KelSeaPathFinder::IsLineFree(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const float width = m_pGenerator->m_fShipWidth;
    const float len = Dist2D(a.x, a.z, b.x, b.z);
    std::vector<SeaSphere> spheres;
    for (float d = 0.0f; d <= len; d += width) {
        const float f = len > 0.0f ? d / len : 0.0f;
        spheres.push_back({a.x + (b.x - a.x) * f, 0.0f, a.z + (b.z - a.z) * f, width / 2.0f});
    }
    return !m_pQuery->TestSpheres(spheres, m_pMover->m_pSelf);
}

D3DXVECTOR3 CDX9KelSeaPathFinder::FindDetourPoint(const void* obstacle, const D3DXVECTOR3& start, const Speeds& sp) {
    const D3DXVECTOR3 none(0.0f, -1.0f, 0.0f);
    if (++m_uDetours > m_uDetourLimit) return none;
    float minX, minZ, maxX, maxZ, size;
    if (!obstacle || !m_pQuery->GetObjectBox(obstacle, &minX, &minZ, &maxX, &maxZ, &size)) return none;
    const float width = m_pGenerator->m_fShipWidth;
    const float margin = size > 10.0f ? width / 2.0f : width / 2.5f;
    minX -= margin;
    minZ -= margin;
    maxX += margin;
    maxZ += margin;
    D3DXVECTOR3 corners[4] = {{minX, 0.0f, minZ}, {maxX, 0.0f, minZ}, {maxX, 0.0f, maxZ}, {minX, 0.0f, maxZ}};
    int order[4] = {0, 1, 2, 3};
    std::stable_sort(order, order + 4, [&](int l, int r) {
        return Dist2D(corners[l].x, corners[l].z, start.x, start.z) < Dist2D(corners[r].x, corners[r].z, start.x, start.z);
    });
    const float fx = m_mFinalTarget._41, fz = m_mFinalTarget._43;
    int a = order[0], b = order[1];
    if (Dist2D(corners[b].x, corners[b].z, fx, fz) < Dist2D(corners[a].x, corners[a].z, fx, fz)) std::swap(a, b);
    const D3DXVECTOR3 A = corners[a], B = corners[b];
    const float probe = width / 2.2f;

    const bool aBlocked = m_pQuery->TestSpheres({{A.x, 0.0f, A.z, probe}}, m_pMover->m_pSelf);
    const void* aBlocker = aBlocked ? m_pQuery->Hits().front() : nullptr;
    const bool bBlocked = m_pQuery->TestSpheres({{B.x, 0.0f, B.z, probe}}, m_pMover->m_pSelf);
    if (!aBlocked) {
        if (IsLineFree(start, A)) return A;
        const void* lineBlocker = m_pQuery->Hits().empty() ? obstacle : m_pQuery->Hits().front();
        for (int c : {order[2], order[3]})
            if (IsLineFree(A, corners[c])) return A;
        return FindDetourPoint(lineBlocker, start, sp);
    }
    // A is blocked: B when it is free and reachable in a straight line.
    if (!bBlocked && IsLineFree(start, B)) return B;
    return FindDetourPoint(aBlocker, start, sp);
}

bool CDX9KelSeaPathFinder::FitRouteToTime(const SeaMoveParams* params, const D3DXMATRIX& placement, float timeUsed,
                                          float timeAvailable) {
    const SeaPathHandle route = m_pGenerator->Get(m_iRoutePath);
    if (!route) return false;
    float sum = 0.0f;
    for (const SeaPathSegment& s : route->m_Segments) sum += s.m_fTime;
    const float left = std::min(timeAvailable - timeUsed, sum);
    m_iFittedPath = m_pGenerator->CreatePath(params, &placement, left, false);
    const SeaPathHandle fitted = m_pGenerator->Get(m_iFittedPath);
    if (!fitted) return false;
    float remaining = fitted->m_fTime;
    for (const SeaPathSegment& s : route->m_Segments) {
        if (!(remaining > 0.0f)) break;
        if (!(s.m_fTime > 0.0f)) continue;
        const float time = std::min(s.m_fTime, remaining);
        m_pGenerator->AddSegment(m_iFittedPath, time, s.m_fSpeed, s.m_fTurnRate);
        remaining -= time;
    }
    return m_pGenerator->ReleasePath(m_iFittedPath);
}

// ---- the obstacle field ----

const void* CKelSeaObstacleField::AddCircle(float x, float z, float radius, int id) {
    m_Obstacles.push_back(std::make_unique<Obstacle>(Obstacle{x - radius, z - radius, x + radius, z + radius, x, z, radius, id}));
    return m_Obstacles.back().get();
}

const void* CKelSeaObstacleField::AddBox(float minX, float minZ, float maxX, float maxZ, int id) {
    m_Obstacles.push_back(std::make_unique<Obstacle>(
        Obstacle{minX, minZ, maxX, maxZ, (minX + maxX) / 2.0f, (minZ + maxZ) / 2.0f, 0.0f, id}));
    return m_Obstacles.back().get();
}

const CKelSeaObstacleField::Obstacle* CKelSeaObstacleField::Find(const void* object) const {
    for (const auto& o : m_Obstacles)
        if (o.get() == object) return o.get();
    return nullptr;
}

bool CKelSeaObstacleField::Touches(const Obstacle& o, float x, float z, float r) {
    if (o.radius > 0.0f) return Dist2D(o.cx, o.cz, x, z) < o.radius + r;
    const float nx = std::clamp(x, o.minX, o.maxX), nz = std::clamp(z, o.minZ, o.maxZ);
    return Dist2D(nx, nz, x, z) < r;
}

bool CKelSeaObstacleField::TestSphere(float x, float y, float z, float radius) {
    (void)y;
    m_Hits.clear();
    for (const auto& o : m_Obstacles)
        if (Touches(*o, x, z, radius)) m_Hits.push_back(o.get());
    return !m_Hits.empty();
}

bool CKelSeaObstacleField::TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) {
    m_Hits.clear();
    for (const SeaSphere& s : spheres)
        for (const auto& o : m_Obstacles) {
            if (o.get() == exclude) continue;
            if (Touches(*o, s.x, s.z, s.radius)) {
                m_Hits.push_back(o.get());
                return true;
            }
        }
    return false;
}

bool CKelSeaObstacleField::GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                                        float* size) const {
    const Obstacle* o = Find(object);
    if (!o) return false;
    *minX = o->minX;
    *minZ = o->minZ;
    *maxX = o->maxX;
    *maxZ = o->maxZ;
    *size = o->radius > 0.0f ? o->radius : std::max(o->maxX - o->minX, o->maxZ - o->minZ) / 2.0f;
    return true;
}

} // namespace VornaCampaign
