#include "engine2/core/scene/Geometry.h"

#include "platform/window/Window.h"

#include <cmath>

namespace Vorna2 {

namespace {

D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

// The vector laid on the sea plane and normalised.
D3DXVECTOR3 Flat(float x, float z) {
    D3DXVECTOR3 v(x, 0.0f, z);
    D3DXVec3Normalize(&v, &v);
    return v;
}

float SafeAcos(float dot) {
    const float a = std::acos(dot);
    return (std::isnan(a) || a < 0.0001f) ? 0.0f : a;
}

} // namespace

float GetDistance(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    if (!a || !b) return -1.0f;
    const D3DXVECTOR3 d = *a - *b;
    return D3DXVec3Length(&d);
}

float GetDistanceToMatrix(const D3DXVECTOR3* point, const D3DXMATRIX* m) {
    if (!point || !m) return -1.0f;
    const D3DXVECTOR3 p = Position(*m);
    return GetDistance(point, &p);
}

float GetDistanceBetweenMatrices(const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
    if (!m1 || !m2) return -1.0f;
    const D3DXVECTOR3 a = Position(*m1), b = Position(*m2);
    return GetDistance(&a, &b);
}

float GetAngle(const D3DXVECTOR3* u, const D3DXVECTOR3* v) {
    if (!u || !v) return -1.0f;
    const float a = std::acos(D3DXVec3Dot(u, v));
    // Not a number (a dot product just beyond 1) counts as no angle.
    if (!(a > -6.0f && a < 7.0f)) return 0.0f;
    return a;
}

float GetHeadingAngleToMatrix(const D3DXMATRIX* m, const D3DXMATRIX* target) {
    if (!m || !target) return -1000.0f;
    const D3DXVECTOR3 d = Flat(target->_41 - m->_41, target->_43 - m->_43);
    const D3DXVECTOR3 f = Flat(-m->_31, -m->_33);
    const D3DXVECTOR3 r = Flat(-m->_11, -m->_13);
    const float angle = SafeAcos(D3DXVec3Dot(&d, &f));
    const float side = SafeAcos(D3DXVec3Dot(&d, &r));
    return side <= 1.57f ? angle : -angle;
}

bool SphereIntersectsBox(const D3DXVECTOR3* centre, const D3DXVECTOR3* boxMin, const D3DXVECTOR3* boxMax,
                         float radius) {
    if (!centre || !boxMin || !boxMax) return false;
    float d2 = 0.0f;
    const float c[3] = {centre->x, centre->y, centre->z};
    const float lo[3] = {boxMin->x, boxMin->y, boxMin->z};
    const float hi[3] = {boxMax->x, boxMax->y, boxMax->z};
    for (int i = 0; i < 3; ++i) {
        if (c[i] < lo[i]) d2 += (lo[i] - c[i]) * (lo[i] - c[i]);
        else if (c[i] > hi[i]) d2 += (c[i] - hi[i]) * (c[i] - hi[i]);
    }
    return d2 <= radius * radius;
}

bool SpheresIntersect(const D3DXVECTOR3* c1, const D3DXVECTOR3* c2, float r1, float r2) {
    if (!c1 || !c2 || r1 <= 0.0f || r2 <= 0.0f) return false;
    if (*c1 == *c2) return true;
    return GetDistance(c1, c2) <= r1 + r2;
}

bool AnyPointInFront(const D3DXVECTOR3 points[8], const D3DXPLANE* plane) {
    if (!points || !plane) return false;
    for (int i = 0; i < 8; ++i)
        if (plane->a * points[i].x + plane->b * points[i].y + plane->c * points[i].z + plane->d > 0.0f) return true;
    return false;
}

bool BoxInFrustum(const D3DXPLANE* planes, const D3DXVECTOR3* boxMin, const D3DXVECTOR3* boxMax) {
    if (!planes || !boxMin || !boxMax) return false;
    const D3DXVECTOR3 corners[8] = {
        {boxMin->x, boxMin->y, boxMin->z}, {boxMax->x, boxMin->y, boxMin->z}, {boxMin->x, boxMax->y, boxMin->z},
        {boxMax->x, boxMax->y, boxMin->z}, {boxMin->x, boxMin->y, boxMax->z}, {boxMax->x, boxMin->y, boxMax->z},
        {boxMin->x, boxMax->y, boxMax->z}, {boxMax->x, boxMax->y, boxMax->z}};
    for (int p = 0; p < 6; ++p)
        if (!AnyPointInFront(corners, &planes[p])) return false;
    return true;
}

bool GetPickRay(int width, int height, const D3DXMATRIX* projection, const D3DXMATRIX* view,
                const D3DXMATRIX* world, int screenX, int screenY, HWND window, D3DXVECTOR3* outOrigin,
                D3DXVECTOR3* outDirection) {
    if (!window || !projection || !view || !world || !outOrigin || !outDirection) return false;
    if (width <= 0 || height <= 0 || projection->_11 == 0.0f || projection->_22 == 0.0f) return false;
    POINT p{screenX, screenY};
    ScreenToClient(window, &p);
    const float vx = (2.0f * static_cast<float>(p.x) / static_cast<float>(width) - 1.0f) / projection->_11;
    const float vy = -(2.0f * static_cast<float>(p.y) / static_cast<float>(height) - 1.0f) / projection->_22;
    D3DXMATRIX worldView, m;
    D3DXMatrixMultiply(&worldView, world, view);
    if (!D3DXMatrixInverse(&m, nullptr, &worldView)) return false;
    outDirection->x = vx * m._11 + vy * m._21 + m._31;
    outDirection->y = vx * m._12 + vy * m._22 + m._32;
    outDirection->z = vx * m._13 + vy * m._23 + m._33;
    *outOrigin = D3DXVECTOR3(m._41, m._42, m._43);
    return true;
}

void RotateMatrixAroundAxis(const D3DXVECTOR3* axis, D3DXMATRIX* m, const D3DXVECTOR3* point, float angle) {
    if (!axis || !m || !point || angle == 0.0f) return;
    D3DXMATRIX r;
    D3DXMatrixRotationAxis(&r, axis, angle);
    m->_41 -= point->x;
    m->_42 -= point->y;
    m->_43 -= point->z;
    D3DXMatrixMultiply(m, m, &r);
    m->_41 += point->x;
    m->_42 += point->y;
    m->_43 += point->z;
}

void RotateMatrixYaw(D3DXMATRIX* m, float angle) {
    if (!m || angle == 0.0f) return;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f), p = Position(*m);
    RotateMatrixAroundAxis(&up, m, &p, angle);
}

void RotateMatrixPitch(D3DXMATRIX* m, float angle) {
    if (!m || angle == 0.0f) return;
    const D3DXVECTOR3 axis = Flat(m->_11, m->_13), p = Position(*m);
    RotateMatrixAroundAxis(&axis, m, &p, angle);
}

void RotateMatrixRoll(D3DXMATRIX* m, float angle) {
    if (!m || angle == 0.0f) return;
    const D3DXVECTOR3 axis = Flat(m->_31, m->_33), p = Position(*m);
    RotateMatrixAroundAxis(&axis, m, &p, angle);
}

void RotateMatrixAroundMatrixUp(const D3DXMATRIX* reference, D3DXMATRIX* m, float angle) {
    if (!reference || !m || angle == 0.0f) return;
    const D3DXVECTOR3 axis(reference->_21, reference->_22, reference->_23), p = Position(*reference);
    RotateMatrixAroundAxis(&axis, m, &p, angle);
}

float SqrtF(float x) { return std::sqrt(x); }
float CosF(float x) { return std::cos(x); }

} // namespace Vorna2
