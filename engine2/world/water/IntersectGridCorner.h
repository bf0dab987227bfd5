#pragma once
// The corner helper of the projected water grid.
#include "platform/math/d3dx9math.h"

namespace Vorna2 {

// Transforms the points (u, v, -1, 1) and (u, v, 1, 1) by the matrix and
// writes the homogeneous point on the line between them whose y is 0
// (t = -y0 / (y1 - y0), applied to all four components). False, with the
// result untouched, when the line runs parallel to the sea (|y1 - y0| below
// a small epsilon): there is no corner, and the grid is not drawn.
bool IntersectGridCorner(D3DXVECTOR4* result, const D3DXMATRIX* matrix, float u, float v);

} // namespace Vorna2
