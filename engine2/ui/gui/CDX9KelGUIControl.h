#pragma once
// The base of every screen control of the campaign: a rectangle in client
// pixels that belongs to one dialog, draws itself as textured quads and
// answers the per-frame mouse test. The dialog owns its controls and the GUI
// manager owns the dialogs.
#include "platform/d3dx/d3dx9.h"
#include "platform/gfx/d3d9.h"
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

namespace Vorna2 {

class CDX9KelGUIDialog;
class CDX9KelGUIManager;
struct CDX9KelEffect;

enum GUIControlType {
    GUI_CONTROL_TYPE_TEXT = 0,
    GUI_CONTROL_TYPE_IMAGE = 1,
    GUI_CONTROL_TYPE_BUTTON = 2,
    GUI_CONTROL_TYPE_CHECKBUTTON = 3,
    GUI_CONTROL_TYPE_SCROLLBAR = 4,
    GUI_CONTROL_TYPE_SCROLLTEXT = 5,
    GUI_CONTROL_TYPE_EDITBOX = 6,
    GUI_CONTROL_TYPE_LISTBOX = 7,
    GUI_CONTROL_TYPE_STATEBAR = 8,
    GUI_CONTROL_TYPE_RADIOLIST = 9,
};

// One GUI vertex: position, diffuse colour, one texture coordinate set.
struct GUIVertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(GUIVertex) == 24, "the GUI vertex is 24 bytes");
constexpr DWORD kGUIVertexFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// Every GUI vertex lies on this depth.
constexpr float kGUIVertexZ = -90.0f;

// The four colour channels of an ARGB value, each in 0..1, and back with
// rounding and clamping.
struct GUIColourF {
    float a, r, g, b;
};
GUIColourF GUIColourFromArgb(D3DCOLOR c);
D3DCOLOR GUIColourToArgb(const GUIColourF& c);
// Every channel, alpha included, times f.
D3DCOLOR GUIColourScale(D3DCOLOR c, float f);
// Red, green and blue moved towards or away from the middle grey:
// 0.5 + k x (c - 0.5); alpha unchanged.
D3DCOLOR GUIColourAdjustContrast(D3DCOLOR c, float k);

// Point in rectangle with the left and top edges inside, the right and bottom
// edges outside.
inline bool GUIPointInRect(const RECT& r, const POINT& p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Moves a rectangle by (dx, dy).
inline void OffsetGUIRect(RECT& r, int dx, int dy) {
    r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
}

// Releases a device object and forgets it.
template <class T>
inline void ReleaseGUIObject(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

class CDX9KelGUIControl {
public:
    CDX9KelGUIControl();
    CDX9KelGUIControl(const CDX9KelGUIControl&) = delete;
    CDX9KelGUIControl& operator=(const CDX9KelGUIControl&) = delete;

    // No control takes a keyboard focus of its own through the dialog.
    virtual bool CanHaveFocus() { return false; }
    virtual void Render(bool setTexture, unsigned passes);
    // 1 when the cursor is over the control, 0 when not, -1 when the control
    // takes no part in the mouse test (no dialog, hidden, disabled, or its
    // dialog hidden or not processing input).
    virtual int UpdateMouse(const POINT& cursor);
    virtual void OnFocusIn() {}
    virtual void OnFocusOut() {}
    // Frees the vertex and index buffers.
    virtual void Release();
    virtual bool SetRect(int left, int top, int right, int bottom);
    virtual bool MoveTo(int x, int y);
    virtual bool Resize(int width, int height);
    // Moves the world transform and the rectangle; the vertices stay.
    virtual bool MoveBy(int dx, int dy);
    // Back to the normal look when the mouse has gone.
    virtual void MouseLeave() {}
    virtual ~CDX9KelGUIControl();

    // The diffuse colour written into all four vertices of a quad control.
    bool SetColor(D3DCOLOR argb);
    // world := the translation that maps client pixels to the GUI projection.
    void SetScreenWorld();
    CDX9KelGUIManager* GetManager() const;
    IDirect3DDevice9* GetDevice() const;

    D3DCOLOR m_dwColor = 0xFFFFFFFFu;
    bool m_bVisible = true;
    bool m_bEnabled = true;
    int m_iID = 0;
    int m_iType = -1;
    RECT m_Rect{};
    bool m_bMouseOver = false;
    D3DXMATRIX m_matWorld;
    CDX9KelGUIDialog* m_pDialog = nullptr;
    // The engine's effect record (loaded through the render system); null:
    // the fixed pipeline draws the control.
    CDX9KelEffect* m_pEffect = nullptr;
    IDirect3DTexture9* m_pTexture = nullptr;
    IDirect3DTexture9* m_pTexture2 = nullptr;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    bool m_bIsPart = false;

protected:
    // Creates the single-quad buffer with the given colour and the standard
    // texture coordinates; false when there is no device or creation fails.
    bool CreateQuad(D3DCOLOR colour);
    // Rewrites the four positions from m_Rect and resets the world
    // transform; false when the lock fails.
    bool WriteQuadPositions();
    // The shared drawing rule; clip is the scissor rectangle (null: none).
    void DrawQuad(bool setTexture, unsigned passes, const RECT* clip);
    // Binds what a control draws with: with its effect begun by the GUI
    // pass (passes above 0), the effect's world matrices and, when asked,
    // its first and second texture; otherwise the device's world transform
    // and, when asked, the texture on stage 0. Then runs `draw` once, or
    // once inside each of the effect's passes.
    template <class Draw>
    void DrawBound(bool setTexture, unsigned passes, Draw draw) {
        ID3DXEffect* fx = BindForDrawing(setTexture, passes);
        if (!fx) {
            draw();
            return;
        }
        for (unsigned p = 0; p < passes; ++p) {
            if (FAILED(fx->BeginPass(p))) continue;
            fx->CommitChanges();
            draw();
            fx->EndPass();
        }
    }

private:
    ID3DXEffect* BindForDrawing(bool setTexture, unsigned passes);
};

} // namespace Vorna2
