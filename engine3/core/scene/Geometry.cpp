#include "engine3/core/scene/Geometry.h"

#include <cmath>
#include <utility>

namespace Vorna3D {

namespace {

constexpr float kSideLimit = 1.57f;

D3DXVECTOR3 Position(const D3DXMATRIX* m) { return D3DXVECTOR3(m->_41, m->_42, m->_43); }

// acos with the argument kept in [-1, 1] (rounding may push a dot product of
// unit vectors just past 1), then the angle guard.
float GuardedAcos(float dot)
{
    if (dot > 1.0f) dot = 1.0f;
    if (dot < -1.0f) dot = -1.0f;
    return GuardAngle(std::acos(dot));
}

float Signed(float angle, float side) { return side <= kSideLimit ? angle : -angle; }

D3DXVECTOR3 Flat(float x, float z)
{
    D3DXVECTOR3 v(x, 0.0f, z);
    return *D3DXVec3Normalize(&v, &v);
}

float HeadingTo(const D3DXMATRIX* m, float tx, float tz)
{
    const D3DXVECTOR3 forward = Flat(m->_31, m->_33);
    const D3DXVECTOR3 right = Flat(m->_11, m->_13);
    const D3DXVECTOR3 target = Flat(tx - m->_41, tz - m->_43);
    return Signed(GuardedAcos(D3DXVec3Dot(&target, &forward)), GuardedAcos(D3DXVec3Dot(&target, &right)));
}

bool RotateVec(D3DXVECTOR3* v, float angle, D3DXMATRIX* (*rotation)(D3DXMATRIX*, FLOAT))
{
    if (!v || angle == 0.0f) return false;
    D3DXMATRIX r;
    rotation(&r, GuardAngle(angle));
    D3DXVec3TransformNormal(v, v, &r);
    return true;
}

float Cross2(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return a.x * b.y - a.y * b.x; }

} // namespace

float GuardAngle(float angle)
{
    if (!std::isfinite(angle)) return 0.0f;
    const float r = std::round(angle);
    return (r < -6.0f || r > 6.0f) ? 0.0f : angle;
}

// ---- distances

float GetSquaredDistance(const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    if (!a || !b) return KEL_NO_DISTANCE;
    const D3DXVECTOR3 d = *a - *b;
    return D3DXVec3LengthSq(&d);
}

float GetDistance(const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    if (!a || !b) return KEL_NO_DISTANCE;
    return std::sqrt(GetSquaredDistance(a, b));
}

float GetSquaredDistanceToMatrix(const D3DXVECTOR3* p, const D3DXMATRIX* m)
{
    if (!p || !m) return KEL_NO_DISTANCE;
    const D3DXVECTOR3 q = Position(m);
    return GetSquaredDistance(p, &q);
}

float GetDistanceToMatrix(const D3DXVECTOR3* p, const D3DXMATRIX* m)
{
    if (!p || !m) return KEL_NO_DISTANCE;
    return std::sqrt(GetSquaredDistanceToMatrix(p, m));
}

float GetSquaredDistanceBetweenMatrices(const D3DXMATRIX* m, const D3DXMATRIX* n)
{
    if (!m || !n) return KEL_NO_DISTANCE;
    const D3DXVECTOR3 a = Position(m), b = Position(n);
    return GetSquaredDistance(&a, &b);
}

float GetDistanceBetweenMatrices(const D3DXMATRIX* m, const D3DXMATRIX* n)
{
    if (!m || !n) return KEL_NO_DISTANCE;
    return std::sqrt(GetSquaredDistanceBetweenMatrices(m, n));
}

float GetSquaredDistance2D(const D3DXVECTOR2* a, const D3DXVECTOR2* b)
{
    if (!a || !b) return KEL_NO_DISTANCE;
    const D3DXVECTOR2 d = *a - *b;
    return D3DXVec2LengthSq(&d);
}

float GetDistance2D(const D3DXVECTOR2* a, const D3DXVECTOR2* b)
{
    if (!a || !b) return KEL_NO_DISTANCE;
    return std::sqrt(GetSquaredDistance2D(a, b));
}

// ---- angles

float GetAngleBetweenVectors(const D3DXVECTOR3* u, const D3DXVECTOR3* v)
{
    if (!u || !v) return KEL_NO_ANGLE;
    return GuardedAcos(D3DXVec3Dot(u, v));
}

float GetAngleBetweenVectors2D(const D3DXVECTOR2* u, const D3DXVECTOR2* v)
{
    if (!u || !v) return KEL_NO_ANGLE;
    return GuardedAcos(D3DXVec2Dot(u, v));
}

float GetSignedAngle2D(const D3DXVECTOR2* u, const D3DXVECTOR2* v, const D3DXVECTOR2* side)
{
    if (!u || !v || !side) return KEL_NO_SIGNED_ANGLE;
    return Signed(GuardedAcos(D3DXVec2Dot(u, v)), GuardedAcos(D3DXVec2Dot(v, side)));
}

float GetSignedAngle(const D3DXVECTOR3* u, const D3DXVECTOR3* v, const D3DXVECTOR3* side)
{
    if (!u || !v || !side) return KEL_NO_SIGNED_ANGLE;
    return Signed(GuardedAcos(D3DXVec3Dot(u, v)), GuardedAcos(D3DXVec3Dot(v, side)));
}

float GetHeadingAngleToMatrix(const D3DXMATRIX* m, const D3DXMATRIX* n)
{
    if (!m || !n) return KEL_NO_SIGNED_ANGLE;
    return HeadingTo(m, n->_41, n->_43);
}

float GetHeadingAngleToPoint(const D3DXMATRIX* m, const D3DXVECTOR3* p)
{
    if (!m || !p) return KEL_NO_SIGNED_ANGLE;
    return HeadingTo(m, p->x, p->z);
}

float GetHeadingAngleToPoint2D(const D3DXMATRIX* m, const D3DXVECTOR2* q)
{
    if (!m || !q) return KEL_NO_SIGNED_ANGLE;
    return HeadingTo(m, q->x, q->y);
}

float GetHeadingAngleToDirection2D(const D3DXMATRIX* m, const D3DXVECTOR2* d)
{
    if (!m || !d) return KEL_NO_SIGNED_ANGLE;
    D3DXVECTOR2 forward(m->_31, m->_33), right(m->_11, m->_13);
    D3DXVec2Normalize(&forward, &forward);
    D3DXVec2Normalize(&right, &right);
    return Signed(GuardedAcos(D3DXVec2Dot(d, &forward)), GuardedAcos(D3DXVec2Dot(d, &right)));
}

// ---- rotations

bool RotateVec3AroundX(D3DXVECTOR3* v, float angle) { return RotateVec(v, angle, D3DXMatrixRotationX); }
// About the vertical axis the battle's rule holds: x' = x cos a - z sin a,
// z' = x sin a + z cos a, so a positive angle turns +z towards -x (a force
// pushed that way at the stern swings the bow to starboard).
bool RotateVec3AroundY(D3DXVECTOR3* v, float angle) {
    if (!v || angle == 0.0f) return false;
    const float a = GuardAngle(angle);
    const float c = std::cos(a), s = std::sin(a);
    const float x = v->x * c - v->z * s, z = v->x * s + v->z * c;
    v->x = x;
    v->z = z;
    return true;
}
bool RotateVec3AroundZ(D3DXVECTOR3* v, float angle) { return RotateVec(v, angle, D3DXMatrixRotationZ); }

bool RotateMatrixAroundAxis(D3DXMATRIX* m, const D3DXVECTOR3* pivot, const D3DXVECTOR3* axis, float angle)
{
    if (!m || !pivot || !axis || angle == 0.0f) return false;
    angle = GuardAngle(angle);
    if (angle == 0.0f) return true;
    D3DXMATRIX to, rot, back;
    D3DXMatrixTranslation(&to, -pivot->x, -pivot->y, -pivot->z);
    D3DXMatrixRotationAxis(&rot, axis, angle);
    D3DXMatrixTranslation(&back, pivot->x, pivot->y, pivot->z);
    *m = *m * to * rot * back;
    return true;
}

bool RotateMatrixLocalX(D3DXMATRIX* m, float angle)
{
    if (!m) return false;
    const D3DXVECTOR3 axis(m->_11, m->_12, m->_13), pivot = Position(m);
    return RotateMatrixAroundAxis(m, &pivot, &axis, angle);
}

bool RotateMatrixLocalY(D3DXMATRIX* m, float angle)
{
    if (!m) return false;
    const D3DXVECTOR3 axis(m->_21, m->_22, m->_23), pivot = Position(m);
    return RotateMatrixAroundAxis(m, &pivot, &axis, angle);
}

bool RotateMatrixLocalZ(D3DXMATRIX* m, float angle)
{
    if (!m) return false;
    const D3DXVECTOR3 axis(m->_31, m->_32, m->_33), pivot = Position(m);
    return RotateMatrixAroundAxis(m, &pivot, &axis, angle);
}

bool RotateMatrixAroundMatrixAxis(D3DXMATRIX* m, const D3DXMATRIX* reference, int axis, float angle)
{
    if (!m || !reference || axis < 1 || axis > 3) return false;
    const D3DXVECTOR3 a(reference->m[axis - 1][0], reference->m[axis - 1][1], reference->m[axis - 1][2]);
    const D3DXVECTOR3 pivot = Position(reference);
    return RotateMatrixAroundAxis(m, &pivot, &a, angle);
}

// ---- matrices

bool TranslateMatrix(D3DXMATRIX* m, const D3DXVECTOR3* v)
{
    if (!m || !v) return false;
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, v->x, v->y, v->z);
    *m = *m * t;
    return true;
}

bool GetRelativeMatrix(const D3DXMATRIX* m, const D3DXMATRIX* reference, D3DXMATRIX* out)
{
    if (!m || !reference || !out) return false;
    D3DXMATRIX inv;
    if (!D3DXMatrixInverse(&inv, nullptr, reference)) return false;
    *out = *m * inv;
    return true;
}

bool ComputePickRay(const D3DXMATRIX* m1, const D3DXMATRIX* m2, float width, float height,
                    const D3DXMATRIX* projection, float x, float y, D3DXVECTOR3* direction, D3DXVECTOR3* origin)
{
    if (!m1 || !m2 || !projection || !direction || !origin) return false;
    if (!(width > 0.0f) || !(height > 0.0f) || projection->_11 == 0.0f || projection->_22 == 0.0f) return false;
    const D3DXVECTOR3 v((2.0f * x / width - 1.0f) / projection->_11, -((2.0f * y / height - 1.0f) / projection->_22),
                        1.0f);
    const D3DXMATRIX mv = *m1 * *m2;
    D3DXMATRIX inv;
    if (!D3DXMatrixInverse(&inv, nullptr, &mv)) return false;
    D3DXVec3TransformNormal(direction, &v, &inv);
    *origin = Position(&inv);
    return true;
}

bool GetPickRayGroundPoint(const D3DXVECTOR3* origin, const D3DXVECTOR3* direction, float farDistance,
                           D3DXVECTOR3* point)
{
    if (!origin || !direction || !point) return false;
    if (direction->y < 0.0f) {
        const float t = -origin->y / direction->y;
        if (t >= 0.0f && std::isfinite(t)) {
            *point = *origin + *direction * t;
            return true;
        }
    }
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, direction);
    *point = *origin + unit * farDistance;
    return true;
}

// ---- overlaps

bool IsIntervalOverlapping(float a0, float a1, float b0, float b1)
{
    if (a0 > a1) std::swap(a0, a1);
    if (b0 > b1) std::swap(b0, b1);
    const float ca = (a0 + a1) * 0.5f, cb = (b0 + b1) * 0.5f;
    return std::fabs(ca - cb) <= (a1 - a0) * 0.5f + (b1 - b0) * 0.5f;
}

bool IsRectOverlapping2D(const D3DXVECTOR2* min1, const D3DXVECTOR2* max1, const D3DXVECTOR2* min2,
                         const D3DXVECTOR2* max2)
{
    if (!min1 || !max1 || !min2 || !max2) return false;
    return IsIntervalOverlapping(min1->x, max1->x, min2->x, max2->x) &&
           IsIntervalOverlapping(min1->y, max1->y, min2->y, max2->y);
}

bool IsBoxIntersectingBox(const D3DXVECTOR3* min1, const D3DXVECTOR3* max1, const D3DXVECTOR3* min2,
                          const D3DXVECTOR3* max2)
{
    if (!min1 || !max1 || !min2 || !max2) return false;
    const D3DXVECTOR2 xz[4] = {{min1->x, min1->z}, {max1->x, max1->z}, {min2->x, min2->z}, {max2->x, max2->z}};
    const D3DXVECTOR2 xy[4] = {{min1->x, min1->y}, {max1->x, max1->y}, {min2->x, min2->y}, {max2->x, max2->y}};
    return IsRectOverlapping2D(&xz[0], &xz[1], &xz[2], &xz[3]) && IsRectOverlapping2D(&xy[0], &xy[1], &xy[2], &xy[3]);
}

bool IsSphereIntersectingBox(const D3DXVECTOR3* centre, const D3DXVECTOR3* min, const D3DXVECTOR3* max, float radius)
{
    if (!centre || !min || !max) return false;
    float d2 = 0.0f;
    const float c[3] = {centre->x, centre->y, centre->z};
    const float lo[3] = {min->x, min->y, min->z};
    const float hi[3] = {max->x, max->y, max->z};
    for (int i = 0; i < 3; ++i) {
        if (c[i] < lo[i])
            d2 += (lo[i] - c[i]) * (lo[i] - c[i]);
        else if (c[i] > hi[i])
            d2 += (c[i] - hi[i]) * (c[i] - hi[i]);
    }
    return d2 <= radius * radius;
}

bool IsSphereIntersectingSphere(const D3DXVECTOR3* c1, const D3DXVECTOR3* c2, float r1, float r2)
{
    if (!c1 || !c2 || !(r1 > 0.0f) || !(r2 > 0.0f)) return false;
    return GetDistance(c1, c2) <= r1 + r2;
}

bool IsSphereInsideSphere(const D3DXVECTOR3* c1, const D3DXVECTOR3* c2, float r1, float r2)
{
    if (!c1 || !c2 || !(r1 > 0.0f) || !(r2 > 0.0f)) return false;
    return r2 >= GetDistance(c1, c2) + r1;
}

bool IsPointInBox(const D3DXVECTOR3* p, const D3DXVECTOR3* min, const D3DXVECTOR3* max)
{
    if (!p || !min || !max) return false;
    return p->x >= min->x && p->x <= max->x && p->y >= min->y && p->y <= max->y && p->z >= min->z &&
           p->z <= max->z;
}

bool IsPointInCircle2D(const D3DXVECTOR2* p, const D3DXVECTOR2* centre, float radius)
{
    if (!p || !centre || !(radius > 0.0f)) return false;
    return GetSquaredDistance2D(p, centre) < radius * radius;
}

bool IsBoxInFrustum(const D3DXPLANE* planes, const D3DXVECTOR3* corners)
{
    if (!planes || !corners) return false;
    for (int p = 0; p < 6; ++p) {
        bool inside = false;
        for (int c = 0; c < 8 && !inside; ++c) inside = D3DXPlaneDotCoord(&planes[p], &corners[c]) > 0.0f;
        if (!inside) return false;
    }
    return true;
}

// ---- intersections

bool IsRayIntersectingSphere(const D3DXVECTOR3* origin, const D3DXVECTOR3* direction, const D3DXVECTOR3* centre,
                             float radius)
{
    if (!origin || !direction || !centre || radius == 0.0f) return false;
    return D3DXSphereBoundProbe(centre, radius, origin, direction) != FALSE;
}

bool IsRayIntersectingTriangle(const D3DXVECTOR3* origin, const D3DXVECTOR3* direction, const D3DXVECTOR3* p0,
                               const D3DXVECTOR3* p1, const D3DXVECTOR3* p2)
{
    if (!origin || !direction || !p0 || !p1 || !p2) return false;
    const D3DXVECTOR3 e1 = *p1 - *p0, e2 = *p2 - *p0;
    D3DXVECTOR3 pvec, qvec, tvec;
    D3DXVec3Cross(&pvec, direction, &e2);
    float det = D3DXVec3Dot(&e1, &pvec);
    if (det > 0.0f) {
        tvec = *origin - *p0;
    } else {
        tvec = *p0 - *origin;
        det = -det;
    }
    if (det < 0.0001f) return false;
    const float u = D3DXVec3Dot(&tvec, &pvec);
    if (u < 0.0f || u > det) return false;
    D3DXVec3Cross(&qvec, &tvec, &e1);
    const float v = D3DXVec3Dot(direction, &qvec);
    return v >= 0.0f && u + v <= det;
}

int IntersectRayCircle2D(const D3DXVECTOR2* origin, const D3DXVECTOR2* direction, const D3DXVECTOR2* centre,
                         float radius, D3DXVECTOR2* points)
{
    if (!origin || !direction || !centre || !(radius > 0.0f)) return -1;
    const D3DXVECTOR2 oc = *origin - *centre;
    const float a = D3DXVec2Dot(direction, direction);
    const float b = 2.0f * D3DXVec2Dot(direction, &oc);
    const float c = D3DXVec2Dot(&oc, &oc) - radius * radius;
    if (a == 0.0f) return 0; // no direction: no line to meet the circle
    const float disc = b * b - 4.0f * a * c;
    if (disc < 0.0f) return 0;
    const float root = std::sqrt(disc);
    const float ts[2] = {(-b - root) / (2.0f * a), (-b + root) / (2.0f * a)};
    const int candidates = disc == 0.0f ? 1 : 2;
    int n = 0;
    for (int i = 0; i < candidates; ++i) {
        if (ts[i] < 0.0f) continue;
        if (points) points[n] = *origin + *direction * ts[i];
        ++n;
    }
    return n;
}

bool IntersectRays2D(const D3DXVECTOR2* o1, const D3DXVECTOR2* d1, const D3DXVECTOR2* o2, const D3DXVECTOR2* d2,
                     D3DXVECTOR2* point)
{
    if (!o1 || !d1 || !o2 || !d2) return false;
    const float denom = Cross2(*d1, *d2);
    if (denom == 0.0f) return false;
    const D3DXVECTOR2 w = *o2 - *o1;
    const float t = Cross2(w, *d2) / denom;
    const float s = Cross2(w, *d1) / denom;
    if (t < 0.0f || s < 0.0f) return false;
    if (point) *point = *o1 + *d1 * t;
    return true;
}

int IntersectCircles2D(const D3DXVECTOR2* c1, float r1, const D3DXVECTOR2* c2, float r2, D3DXVECTOR2* points)
{
    if (!c1 || !c2 || !(r1 > 0.0f) || !(r2 > 0.0f)) return -1;
    const float d = GetDistance2D(c1, c2);
    if (d == 0.0f || d > r1 + r2) return 0;
    const float a = (d * d + r1 * r1 - r2 * r2) / (2.0f * d);
    const float h2 = r1 * r1 - a * a;
    if (h2 < 0.0f) return 0; // one circle wholly inside the other
    const float h = std::sqrt(h2);
    const D3DXVECTOR2 p = *c1 + (*c2 - *c1) * (a / d);
    if (h < 0.0001f) {
        if (points) points[0] = p;
        return 1;
    }
    const D3DXVECTOR2 off = D3DXVECTOR2(c2->y - c1->y, -(c2->x - c1->x)) * (h / d);
    if (points) {
        points[0] = p + off;
        points[1] = p - off;
    }
    return 2;
}

} // namespace Vorna3D
