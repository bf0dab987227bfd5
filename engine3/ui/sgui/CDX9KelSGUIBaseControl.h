#pragma once
// The base of every flat screen control: one or more textured, coloured quads
// in window client pixels (y down), owned by a screen dialog, reacting to the
// cursor once per frame and drawn by the screen-GUI pass. Controls come into
// being only through the dialog's Add<Control> operations.
#include <string>

#include "platform/d3dx/d3dx9.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {

class CDX9KelSGUIDialog;
class CDX9KelSGUIManager;
class CDX9KelGraphicResourceTexture;
class CDX9KelGraphicResourceEffect;

// Control type codes.
enum ESGUIControlType : int {
    SGUI_CONTROL_NONE = -1,
    SGUI_CONTROL_TEXT = 0,
    SGUI_CONTROL_IMAGE = 1,
    SGUI_CONTROL_BUTTON = 2,
    SGUI_CONTROL_BUTTON_CHECK = 3,
    SGUI_CONTROL_BUTTON_STATE = 4,
    SGUI_CONTROL_RADIO_LIST = 5,
    SGUI_CONTROL_SCROLL_BAR = 6,
    SGUI_CONTROL_SCROLL_BAR_HARD = 7,
    SGUI_CONTROL_EDIT_BOX = 9,
    SGUI_CONTROL_LIST_BOX = 10,
    SGUI_CONTROL_SCROLL_CHECK_LIST = 12,
};

// Vertex of every screen control: position, ARGB colour, texture coordinates.
struct SGUIVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(SGUIVertex) == 24, "screen vertices are 24 bytes");
constexpr DWORD SGUI_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// Depth of every screen quad; the screen projection spans -100 to 100.
constexpr float SGUI_VERTEX_Z = -90.0f;

// Windows' point-in-rectangle rule: left and top inclusive, right and bottom
// exclusive.
inline bool SGUIPointInRect(const RECT& r, LONG x, LONG y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

class CDX9KelSGUIBaseControl {
public:
    CDX9KelSGUIBaseControl();
    CDX9KelSGUIBaseControl(const CDX9KelSGUIBaseControl&) = delete;
    CDX9KelSGUIBaseControl& operator=(const CDX9KelSGUIBaseControl&) = delete;

    // False unless the rectangle has a positive size and the control is one
    // quad; with a buffer and a dialog the quad is rewritten and the world
    // matrix returns to the screen translation (a rotation is lost).
    virtual bool SetRect(LONG left, LONG top, LONG right, LONG bottom);
    // Puts the top-left corner at (x, y), rewriting as SetRect.
    virtual bool MoveTo(LONG x, LONG y);
    // Keeps the top-left corner; false for a zero width or height.
    virtual bool Resize(LONG width, LONG height);
    // Moves through the world matrix; the buffer is not touched, so a
    // rotation is kept.
    virtual bool MoveBy(LONG dx, LONG dy);
    // Places the control at its percentages of the dialog's rectangle.
    virtual bool UpdateRelativeRect();
    // Back to the resting look; the dialog calls it when it stops taking input.
    virtual void Reset() {}
    // Draws the control (only when visible with texture and buffer).
    virtual void Render(IDirect3DDevice9* pDevice, float fElapsed, bool bBindTexture, int iValue);
    // The per-frame reaction to cursor and keys.
    virtual void UpdateMouse(float fElapsed);
    virtual void ReleaseBuffers();
    virtual ~CDX9KelSGUIBaseControl();
    // Stores the colour and writes it into the quad's vertices (a text writes
    // it into all of its quads).
    virtual bool SetColor(float r, float g, float b, float a);

    bool CreateVertexBuffer(IDirect3DDevice9* pDevice);
    bool CreateIndexBuffer(IDirect3DDevice9* pDevice, bool bFill);
    // False for any value outside 0..1 (nothing is stored then), or when the
    // control is not one quad.
    bool SetTextureRect(float leftU, float topV, float rightU, float bottomV);
    // Turns the control about its centre (radians); linear filtering from then on.
    bool SetRotation(float angle);

    // The manager of the owner dialog, or null.
    CDX9KelSGUIManager* GetManager() const;
    // The screen translation: vertices stay in client pixels and the matrix
    // centres them on the screen with the half-pixel shift of the pixel grid.
    void GetScreenTranslation(D3DXMATRIX* out) const;
    // A colour component as a byte: 255 at 1 or more, 0 at 0 or less.
    static BYTE ColorByte(float c);
    static D3DCOLOR PackColor(float r, float g, float b, float a);
    // The four vertices of a quad in their order: (left, bottom), (left, top),
    // (right, bottom), (right, top).
    static void WriteQuad(SGUIVertex* v, float left, float top, float right, float bottom, D3DCOLOR color,
                          float leftU, float topV, float rightU, float bottomV);

    const std::string& GetName() const { return m_strName; }
    int GetType() const { return m_iType; }
    const RECT& GetRect() const { return m_Rect; }
    bool IsVisible() const { return m_bVisible; }
    bool IsHovered() const { return m_bHovered; }

    CDX9KelSGUIDialog* m_pDialog = nullptr;
    std::string m_strName;
    int m_iType = SGUI_CONTROL_NONE;
    RECT m_Rect = {};
    RECT m_ClipRect = {};
    float m_RelativeRect[4] = {};
    float m_Color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    D3DXMATRIX m_mWorld;
    float m_TextureRect[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    bool m_bVisible = true;
    bool m_bEnabled = true;
    bool m_bHovered = false;
    bool m_bFiltered = false;
    bool m_bClip = false;
    bool m_bRelative = false;
    int m_iHotKey = -1;
    CDX9KelGraphicResourceTexture* m_pTexture = nullptr;
    CDX9KelGraphicResourceEffect* m_pEffect = nullptr;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    DWORD m_dwVertexCount = 0;
    DWORD m_dwIndexCount = 0;
    bool m_bPart = false;

protected:
    // Rewrites the quad's positions from the rectangle and resets the world
    // matrix (with a buffer and a dialog only).
    bool ApplyRect();
    // The base hover test against a given rectangle.
    void HoverTest(const RECT& rect);
};

} // namespace Vorna3D
