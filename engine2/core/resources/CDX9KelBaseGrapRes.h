#pragma once
// Free-standing graphic objects that are not models (the flat plane, the
// active water, the sky wall). The campaign map creates one, initialises it
// with its own Init and hands it to the graphics resource manager, which
// owns it from then on, drives it each frame and around device loss, and
// deletes it by name. The render system draws the manager's list.
#include "platform/gfx/d3d9.h"

namespace Vorna2 {

struct CDX9KelEffect;

class CDX9KelBaseGrapRes {
public:
    static constexpr int kNameSize = 40;

    CDX9KelBaseGrapRes() = default;
    virtual ~CDX9KelBaseGrapRes() = default;
    CDX9KelBaseGrapRes(const CDX9KelBaseGrapRes&) = delete;
    CDX9KelBaseGrapRes& operator=(const CDX9KelBaseGrapRes&) = delete;

    virtual bool IsReady() { return true; }
    // Draws the object; with an effect it is drawn once per pass.
    virtual void Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) {
        (void)device, (void)effect, (void)useTexture, (void)passCount;
    }
    virtual void Process() {}
    virtual void Release() {}
    virtual void OnLost() {}
    virtual void Restore() {}

    // Copies at most 39 characters.
    void SetName(const char* name);

    int m_iIndex = -1;
    // The effect the object is drawn with (null: fixed function) and the
    // texture it shows; the render system sorts by both.
    CDX9KelEffect* m_pEffect = nullptr;
    IDirect3DBaseTexture9* m_pTexture = nullptr;
    char m_szName[kNameSize] = {};
    bool m_bVisible = true;
};

// A flat textured square on the XZ plane, centred on the origin.
class CDX9KelPLANE : public CDX9KelBaseGrapRes {
public:
    struct Vertex {
        float x, y, z;
        float nx, ny, nz;
        D3DCOLOR color;
        float u, v;
    };
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

    CDX9KelPLANE();
    ~CDX9KelPLANE() override;

    // Keeps the texture (not referenced: the caller's reference stays with
    // the resource manager); false without a device or for size <= 0.
    bool Init(IDirect3DDevice9* device, IDirect3DBaseTexture9* texture, float size, D3DCOLOR color);
    void Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) override;
    void Release() override;
    // The matrix the plane is drawn with this frame: its own, or with a
    // follow matrix that matrix's x and z, raised by its height from 0.25 on.
    D3DXMATRIX GetDrawMatrix() const;

    IDirect3DVertexBuffer9* m_pVB = nullptr;
    D3DXMATRIX m_mWorld;
    const D3DXMATRIX* m_pFollowMatrix = nullptr;
};

} // namespace Vorna2
