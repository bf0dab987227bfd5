#pragma once
// The horizon backdrop of the campaign map: a fixed textured band of eight
// wall panels that rings the camera from below the sea surface up to 300
// units and moves sideways with the camera, so the horizon never comes
// nearer. The map creates it after the water and hands it to the graphics
// resource manager under the name "sky".
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"

namespace Vorna2 {

class CDX9KelGraphicsResManager;
class CDX9KelBaseCameraManager;

class CDX9KelSkyWall : public CDX9KelBaseGrapRes {
public:
    struct Vertex {
        float x, y, z;
        D3DCOLOR color;
        float u, v;
    };
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static constexpr UINT kVertexCount = 18;
    static constexpr UINT kIndexCount = 48;
    // A top and a bottom vertex per column, round the ring and back to the
    // first column (u from 0 to 1).
    static const Vertex kVertices[kVertexCount];
    static const WORD kIndices[kIndexCount];

    CDX9KelSkyWall();
    ~CDX9KelSkyWall() override;

    // Loads the sky texture `textureFile` from the program folder's
    // `folder` through the resource manager and builds the buffers. False
    // when the device, the resource manager, the camera manager, the folder
    // or the file name is missing, when the texture does not load ("Error :
    // CDX9KelSkyWall::Init() : pTexture == NULL") or the buffers cannot be
    // filled. `reserved` is not read.
    bool Init(CDX9KelGraphicsResManager* resources, CDX9KelBaseCameraManager* cameras, const char* folder,
              const char* textureFile, const void* reserved, IDirect3DDevice9* device);
    // The wall's world matrix, fog off for the draw (and back on when it
    // was on), the sixteen triangles in one indexed list.
    void Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) override;
    // Follows the active camera's x and z (y stays 0).
    void Process() override;
    void Release() override;

    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    UINT m_uVertexCount = 0;
    UINT m_uIndexCount = 0;
    CDX9KelBaseCameraManager* m_pCamera = nullptr;
    D3DXMATRIX m_mWorld;
};

} // namespace Vorna2
