// Projection of points to viewport pixels.
#include "platform/d3dx/d3dx9.h"

D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT9* pViewport,
                             const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld) {
    if (!pOut || !pV)
        return pOut;
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (pWorld)
        D3DXMatrixMultiply(&m, &m, pWorld);
    if (pView)
        D3DXMatrixMultiply(&m, &m, pView);
    if (pProjection)
        D3DXMatrixMultiply(&m, &m, pProjection);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, pV, &m);
    if (pViewport) {
        const float w = static_cast<float>(pViewport->Width);
        const float h = static_cast<float>(pViewport->Height);
        p.x = static_cast<float>(pViewport->X) + (1.0f + p.x) * w * 0.5f;
        p.y = static_cast<float>(pViewport->Y) + (1.0f - p.y) * h * 0.5f;
        p.z = pViewport->MinZ + p.z * (pViewport->MaxZ - pViewport->MinZ);
    }
    *pOut = p;
    return pOut;
}
