#pragma once
// Single-precision geometry of the battle engine. Matrices are row-vector
// matrices whose rows are right (X), up (Y), forward (Z) and position; the
// horizontal plane is x-z, and 2D points are (x, y) map points.
//
// Null arguments give a sentinel: -1 for distances, unsigned angles and
// counts, -1000 for signed angles, false for tests. Angles from acos or given
// to a rotation pass a guard: rounded to the nearest integer, anything outside
// -6..6 (or not finite) is taken as 0. A signed angle is positive when the
// target lies within 1.57 rad of the side axis.
#include "platform/math/d3dx9math.h"

namespace Vorna3D {

constexpr float KEL_NO_DISTANCE = -1.0f;
constexpr float KEL_NO_ANGLE = -1.0f;
constexpr float KEL_NO_SIGNED_ANGLE = -1000.0f;

// The angle guard: the angle itself, or 0 when it rounds outside -6..6.
float GuardAngle(float angle);

// Distances.
float GetDistance(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
float GetDistanceToMatrix(const D3DXVECTOR3* p, const D3DXMATRIX* m);
float GetDistanceBetweenMatrices(const D3DXMATRIX* m, const D3DXMATRIX* n);
float GetDistance2D(const D3DXVECTOR2* a, const D3DXVECTOR2* b);
float GetSquaredDistance(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
float GetSquaredDistanceToMatrix(const D3DXVECTOR3* p, const D3DXMATRIX* m);
float GetSquaredDistanceBetweenMatrices(const D3DXMATRIX* m, const D3DXMATRIX* n);
float GetSquaredDistance2D(const D3DXVECTOR2* a, const D3DXVECTOR2* b);

// Angles.
float GetAngleBetweenVectors(const D3DXVECTOR3* u, const D3DXVECTOR3* v);
float GetAngleBetweenVectors2D(const D3DXVECTOR2* u, const D3DXVECTOR2* v);
float GetSignedAngle2D(const D3DXVECTOR2* u, const D3DXVECTOR2* v, const D3DXVECTOR2* side);
float GetSignedAngle(const D3DXVECTOR3* u, const D3DXVECTOR3* v, const D3DXVECTOR3* side);

// Headings in the x-z plane: signed angle from m's forward axis to the target.
float GetHeadingAngleToMatrix(const D3DXMATRIX* m, const D3DXMATRIX* n);
float GetHeadingAngleToPoint(const D3DXMATRIX* m, const D3DXVECTOR3* p);
float GetHeadingAngleToPoint2D(const D3DXMATRIX* m, const D3DXVECTOR2* q);
float GetHeadingAngleToDirection2D(const D3DXMATRIX* m, const D3DXVECTOR2* d);

// Rotations. Vector rotations refuse an angle of exactly 0.
bool RotateVec3AroundX(D3DXVECTOR3* v, float angle);
bool RotateVec3AroundY(D3DXVECTOR3* v, float angle);
bool RotateVec3AroundZ(D3DXVECTOR3* v, float angle);
bool RotateMatrixAroundAxis(D3DXMATRIX* m, const D3DXVECTOR3* pivot, const D3DXVECTOR3* axis, float angle);
bool RotateMatrixLocalX(D3DXMATRIX* m, float angle);
bool RotateMatrixLocalY(D3DXMATRIX* m, float angle);
bool RotateMatrixLocalZ(D3DXMATRIX* m, float angle);
// Axis 1, 2 or 3 is row 0, 1 or 2 of the reference; its position is the pivot.
bool RotateMatrixAroundMatrixAxis(D3DXMATRIX* m, const D3DXMATRIX* reference, int axis, float angle);

// Matrices.
bool TranslateMatrix(D3DXMATRIX* m, const D3DXVECTOR3* v);
// out = m x inverse(reference); false also for a singular reference.
bool GetRelativeMatrix(const D3DXMATRIX* m, const D3DXMATRIX* reference, D3DXMATRIX* out);
// World-space pick ray through pixel (x, y) of a width x height view, with
// m1 x m2 the world-to-view transform (e.g. world and view matrices).
bool ComputePickRay(const D3DXMATRIX* m1, const D3DXMATRIX* m2, float width, float height,
                    const D3DXMATRIX* projection, float x, float y, D3DXVECTOR3* direction, D3DXVECTOR3* origin);
// Where a pick ray meets the sea plane y = 0. A ray that runs level or
// upwards never meets it; the point `farDistance` along the ray stands in.
bool GetPickRayGroundPoint(const D3DXVECTOR3* origin, const D3DXVECTOR3* direction, float farDistance,
                           D3DXVECTOR3* point);

// Overlaps (touching counts).
bool IsIntervalOverlapping(float a0, float a1, float b0, float b1);
bool IsRectOverlapping2D(const D3DXVECTOR2* min1, const D3DXVECTOR2* max1, const D3DXVECTOR2* min2,
                         const D3DXVECTOR2* max2);
bool IsBoxIntersectingBox(const D3DXVECTOR3* min1, const D3DXVECTOR3* max1, const D3DXVECTOR3* min2,
                          const D3DXVECTOR3* max2);
bool IsSphereIntersectingBox(const D3DXVECTOR3* centre, const D3DXVECTOR3* min, const D3DXVECTOR3* max,
                             float radius);
bool IsSphereIntersectingSphere(const D3DXVECTOR3* c1, const D3DXVECTOR3* c2, float r1, float r2);
// Sphere 1 lies inside sphere 2.
bool IsSphereInsideSphere(const D3DXVECTOR3* c1, const D3DXVECTOR3* c2, float r1, float r2);
bool IsPointInBox(const D3DXVECTOR3* p, const D3DXVECTOR3* min, const D3DXVECTOR3* max);
bool IsPointInCircle2D(const D3DXVECTOR2* p, const D3DXVECTOR2* centre, float radius);
// For every plane at least one corner lies strictly on its inner side.
bool IsBoxInFrustum(const D3DXPLANE* planes /* 6 */, const D3DXVECTOR3* corners /* 8 */);

// Intersections.
bool IsRayIntersectingSphere(const D3DXVECTOR3* origin, const D3DXVECTOR3* direction, const D3DXVECTOR3* centre,
                             float radius);
// Both windings hit; no test that the hit lies ahead of the origin.
bool IsRayIntersectingTriangle(const D3DXVECTOR3* origin, const D3DXVECTOR3* direction, const D3DXVECTOR3* p0,
                               const D3DXVECTOR3* p1, const D3DXVECTOR3* p2);
// Number of points (0..2) ahead of the origin where the ray meets the circle.
int IntersectRayCircle2D(const D3DXVECTOR2* origin, const D3DXVECTOR2* direction, const D3DXVECTOR2* centre,
                         float radius, D3DXVECTOR2* points /* 2, may be null */);
bool IntersectRays2D(const D3DXVECTOR2* o1, const D3DXVECTOR2* d1, const D3DXVECTOR2* o2, const D3DXVECTOR2* d2,
                     D3DXVECTOR2* point /* may be null */);
// 0, 1 or 2 meeting points; one circle wholly inside the other gives 0.
int IntersectCircles2D(const D3DXVECTOR2* c1, float r1, const D3DXVECTOR2* c2, float r2,
                       D3DXVECTOR2* points /* 2, may be null */);

} // namespace Vorna3D
