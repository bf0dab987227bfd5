#pragma once
// The plain value types shared by the device and the maths helpers
// (D3DCOLOR, D3DVECTOR, D3DCOLORVALUE, D3DMATRIX) have one definition, in the
// maths module; the device adds the rectangle of Clear.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};
