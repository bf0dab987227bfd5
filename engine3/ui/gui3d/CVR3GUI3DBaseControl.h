#pragma once
// A control of a 3D dialog: a textured, coloured quad in screen pixels around
// the projected position of its dialog. It is also a scene unit (kind 3) of
// the dialog's scene object, so the octree and the render system find it with
// the dialog and the 3D-GUI pass draws it.
#include <string>

#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/scene/CDX9KelSceneUnit.h"
#include "platform/d3dx/d3dx9.h"

namespace Vorna3D {

class CVR3GUI3DDialog;
class CDX9KelGraphicResourceTexture;
class CDX9KelGraphicResourceEffect;

// Vertex of the 3D GUI quads: position, ARGB colour, texture coordinates.
struct GUI3DVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(GUI3DVertex) == 24, "3D GUI vertices are 24 bytes");
constexpr DWORD GUI3D_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// Depth of a freshly built quad, and of a quad rewritten by SetRect; the
// dialog's projected depth is added through the screen transform.
constexpr float GUI3D_INIT_Z = -89.0f;
constexpr float GUI3D_RECT_Z = -80.0f;

// Parameters a marker effect reads: the quad's whole transform from its
// pixels to the clip space, and the marker's texture.
constexpr const char* GUI3D_EFFECT_MATRIX = "g_MatrixWorldViewProj";
constexpr const char* GUI3D_EFFECT_TEXTURE = "g_TextureLayer1";
// Depth range of the screen projection the quads are drawn with; the
// projected depths of the dialogs (0 to 1000) lie inside it.
constexpr float GUI3D_SCREEN_NEAR = -100.0f;
constexpr float GUI3D_SCREEN_FAR = 2000.0f;

class CVR3GUI3DBaseControl : public CDX9KelSceneUnit, public IDX9KelRenderUnit {
public:
    CVR3GUI3DBaseControl();
    CVR3GUI3DBaseControl(const CVR3GUI3DBaseControl&) = delete;
    CVR3GUI3DBaseControl& operator=(const CVR3GUI3DBaseControl&) = delete;

    // True when the vertex buffer exists (the value is not used).
    virtual bool HasGeometry(float fValue) const { return m_pVB != nullptr; }
    virtual void Reset() {}
    // False unless the rectangle has a positive width and height. A changed
    // rectangle updates the unit's sphere (half the diagonal) and, with a
    // built quad, its vertices.
    virtual bool SetRect(float left, float top, float right, float bottom);
    // Draws the quad around the dialog's projected position; only while the
    // control and its dialog are visible (also by angle) and texture and
    // buffer exist. The texture flag tells that the previous control drawn
    // had another texture.
    virtual void Render(IDirect3DDevice9* pDevice, float fElapsed, bool bTextureChanged);
    virtual void Update(float fElapsed) {}
    virtual void ReleaseBuffers();
    ~CVR3GUI3DBaseControl() override;

    // The render system's 3D-GUI pass, inside the run of the control's
    // effect: every pass of the effect draws the quad in client pixels with
    // the screen's orthographic projection (the camera's matrix is not used).
    CDX9KelGraphicResourceEffect* GetRenderEffect() override { return m_pEffect; }
    int GetRenderTextureSlot() override;
    void RenderUnit(IDirect3DDevice9* pDevice, float fTimeStep, bool bTextureChanged, const D3DXMATRIX* pViewProj,
                    UINT passes, UINT passCode) override;
    // Whether Render would draw now.
    bool IsDrawn() const;

    // False unless every value lies in [0, 1]; nothing is stored then.
    bool SetTextureCoordinates(float leftU, float topV, float rightU, float bottomV);
    // Rectangle, colour, dialog, texture and effect; builds the quad's buffers
    // in the managed pool. False when the rectangle is empty or a buffer
    // cannot be made (logged).
    bool Init(IDirect3DDevice9* pDevice, CVR3GUI3DDialog* pDialog, CDX9KelGraphicResourceTexture* pTexture,
              CDX9KelGraphicResourceEffect* pEffect, float left, float top, float right, float bottom,
              const D3DXCOLOR& color);
    bool CreateVertexBuffer(IDirect3DDevice9* pDevice);
    bool CreateIndexBuffer(IDirect3DDevice9* pDevice);

    // A colour component as a byte: 255 above 1, 0 at 0 or below.
    static BYTE ColorByte(float c);
    D3DCOLOR PackedColor() const;

    CVR3GUI3DDialog* m_pDialog = nullptr; // not owned
    int m_iIndex = -1;
    float m_Rect[4] = {0.0f, 0.0f, 0.0f, 0.0f};              // left, top, right, bottom
    float m_TexCoords[4] = {0.0f, 0.0f, 1.0f, 1.0f};         // uL, vT, uR, vB
    float m_Color[4] = {1.0f, 1.0f, 1.0f, 1.0f};             // r, g, b, a
    CDX9KelGraphicResourceTexture* m_pTexture = nullptr;     // not owned
    CDX9KelGraphicResourceEffect* m_pEffect = nullptr;       // not owned
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    DWORD m_dwVertexCount = 0;
    DWORD m_dwIndexCount = 0;
    bool m_bVisible = true;
    bool m_bFlag1 = true;
    bool m_bFlag2 = true;

protected:
    // Writes the quad's four vertices at depth z; false without a 4-vertex buffer.
    bool WriteVertices(float z);
};

// The image marker: a base control with nothing of its own.
class CVR3GUI3DControlImage : public CVR3GUI3DBaseControl {
public:
    CVR3GUI3DControlImage() = default;
};

} // namespace Vorna3D
