#include "engine2/world/water/IntersectGridCorner.h"

#include <cmath>

namespace Vorna2 {

namespace {
constexpr float kParallelEpsilon = 1e-7f;
}

bool IntersectGridCorner(D3DXVECTOR4* result, const D3DXMATRIX* matrix, float u, float v) {
    if (!result || !matrix) return false;
    const D3DXVECTOR4 a(u, v, -1.0f, 1.0f), b(u, v, 1.0f, 1.0f);
    D3DXVECTOR4 p0, p1;
    D3DXVec4Transform(&p0, &a, matrix);
    D3DXVec4Transform(&p1, &b, matrix);
    const float dy = p1.y - p0.y;
    if (!(std::fabs(dy) >= kParallelEpsilon)) return false;
    const float t = -p0.y / dy;
    *result = p0 + (p1 - p0) * t;
    return true;
}

} // namespace Vorna2
