#pragma once
// Vector and matrix helpers of the campaign world in the left-handed
// row-vector convention (rows 1-3 of a world matrix are its right, up and
// forward axes, row 4 its position): distances, angles, overlap tests,
// picking rays and the in-place turns that cameras, AI and movement use.
// Angles are radians, distances world units.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

namespace Vorna2 {

// -1 when the first argument is missing.
float GetDistance(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
float GetDistanceToMatrix(const D3DXVECTOR3* point, const D3DXMATRIX* m);
float GetDistanceBetweenMatrices(const D3DXMATRIX* m1, const D3DXMATRIX* m2);

// Arc cosine of the dot product of two unit vectors; -1 for a missing first
// vector, 0 when the result is not a number.
float GetAngle(const D3DXVECTOR3* u, const D3DXVECTOR3* v);
// How far (radians) and to which side the matrix must turn on the sea plane
// to face the target: + when the target lies on the side of the negated
// first row, - on the other; -1000 without a target.
float GetHeadingAngleToMatrix(const D3DXMATRIX* m, const D3DXMATRIX* target);

bool SphereIntersectsBox(const D3DXVECTOR3* centre, const D3DXVECTOR3* boxMin, const D3DXVECTOR3* boxMax,
                         float radius);
bool SpheresIntersect(const D3DXVECTOR3* c1, const D3DXVECTOR3* c2, float r1, float r2);
// True when at least one of the eight points is strictly in front of the
// plane.
bool AnyPointInFront(const D3DXVECTOR3 points[8], const D3DXPLANE* plane);
// False as soon as one of the six planes has no box corner in front of it.
bool BoxInFrustum(const D3DXPLANE* planes, const D3DXVECTOR3* boxMin, const D3DXVECTOR3* boxMax);

// The ray under a screen point (screen coordinates of the window's desktop)
// in the space of `world`; the direction is not normalised.
bool GetPickRay(int width, int height, const D3DXMATRIX* projection, const D3DXMATRIX* view,
                const D3DXMATRIX* world, int screenX, int screenY, HWND window, D3DXVECTOR3* outOrigin,
                D3DXVECTOR3* outDirection);

// Turns the matrix in place about the axis through the point.
void RotateMatrixAroundAxis(const D3DXVECTOR3* axis, D3DXMATRIX* m, const D3DXVECTOR3* point, float angle);
// About the world up axis through the matrix's own position.
void RotateMatrixYaw(D3DXMATRIX* m, float angle);
// About its own right axis laid on the sea plane, through its position.
void RotateMatrixPitch(D3DXMATRIX* m, float angle);
// About its own forward axis laid on the sea plane, through its position.
void RotateMatrixRoll(D3DXMATRIX* m, float angle);
// About the reference's up axis through the reference's position.
void RotateMatrixAroundMatrixUp(const D3DXMATRIX* reference, D3DXMATRIX* m, float angle);

float SqrtF(float x);
float CosF(float x);

} // namespace Vorna2
