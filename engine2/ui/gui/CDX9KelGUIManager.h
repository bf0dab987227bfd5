#pragma once
// The GUI manager: the dialogs in stacking order (last = topmost), the
// per-frame update that routes the mouse from the top dialog down, the draw
// list of the frame, the bitmap fonts, and the factory that loads textures
// and adds controls to a dialog by its id.
#include <memory>
#include <string>
#include <vector>

#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIFont.h"

namespace Vorna2 {

class CDX9KelGraphicsResManager;
class CDX9KelRenderSystem;
struct CDX9KelEffect;

class CDX9KelGUIManager {
public:
    CDX9KelGUIManager() = default;
    CDX9KelGUIManager(const CDX9KelGUIManager&) = delete;
    CDX9KelGUIManager& operator=(const CDX9KelGUIManager&) = delete;
    ~CDX9KelGUIManager();

    // False when the window, the device or the render system is missing.
    // Textures are loaded through the resource manager, shared with the
    // rest of the engine; without one (tests, tools) the GUI loads them
    // through the device itself. Effects are loaded through the render
    // system, which binds their shared parameters.
    bool Init(HWND window, IDirect3DDevice9* device, CDX9KelGraphicsResManager* resourceManager,
              CDX9KelRenderSystem* renderSystem);

    int AddDialog(int left, int top, int right, int bottom, const char* backgroundImage, bool drag);
    bool DeleteDialog(int id);
    int GetDialogIndex(int id) const;
    CDX9KelGUIDialog* GetDialog(int id) const;
    bool SetDialogVisible(int id, bool visible);
    bool SetDialogProc(int id, bool proc);
    bool SetDialogShown(int id, bool shown);
    bool SetDialogAutoInvisible(int id, bool autoInvisible);
    bool SetActiveDialog(int id);
    void Update();
    void Release();

    // The cursor in client pixels as the dialogs read it this frame: the
    // system cursor converted to the window's client area, unless a caller
    // set one with SetCursorOverride (drivers and tests).
    POINT GetCursor() const;
    void SetCursorOverride(const POINT& p) {
        m_CursorOverride = p;
        m_bCursorOverride = true;
    }

    // Draws the draw list the way the GUI pass of the render system does:
    // identity view, the left-handed orthographic projection of the client
    // size, then each control's Render with the texture bound whenever it
    // changes, a run of controls that share an effect inside one begin and
    // end of that effect.
    void RenderDrawList();
    // The draw list alone, on transforms the caller set (the render
    // system's GUI pass): the controls' colours, then their depth where
    // they are at least half opaque (alpha kGUIDepthAlphaRef), so that a 3D
    // scene drawn afterwards stays behind the GUI and shows through its
    // transparent parts. Leaves blending off and the depth test on.
    void DrawControls();
    static constexpr DWORD kGUIDepthAlphaRef = 128;

    // ---- control factory: 0 or a negative code (E_FAIL without a device
    // or a render system, or for an unknown dialog id) ----
    HRESULT AddImage(int dialogId, const char* texture, const char* texture2, const char* effect, D3DCOLOR colour,
                     bool zoom, int left, int top, int right, int bottom);
    HRESULT AddText(int dialogId, int font, int format, const char* effect, D3DCOLOR colour, const std::string& text,
                    int left, int top, int right, int bottom);
    HRESULT AddButton(int dialogId, const char* effect, int* mirror, int font, const std::string& text,
                      D3DCOLOR colour, const char* texture, const char* texture2, int left, int top, int right,
                      int bottom, bool shift = true);
    HRESULT AddCheckButton(int dialogId, const char* effect, int* mirror, int font, const std::string& text,
                           D3DCOLOR colour, const char* texture, const char* texture2, int left, int top,
                           int right, int bottom);
    HRESULT AddButtonPopUp(int dialogId, const char* effect, int buttonId, int font, const std::string& text,
                           D3DCOLOR colour, const char* texture, const char* texture2, int left, int top,
                           int right, int bottom);
    // The scroll-bar textures by file: thumb, track, first and second arrow,
    // each with its additional texture and effect.
    struct ScrollFiles {
        std::string bar, barAdd, barEffect;
        std::string track, trackAdd, trackEffect;
        std::string arrow1, arrow1Add, arrow1Effect;
        std::string arrow2, arrow2Add, arrow2Effect;
    };
    HRESULT AddScrollBar(int dialogId, const ScrollFiles& files, bool vertical, int left, int top, int right,
                         int bottom);
    HRESULT AddScrollText(int dialogId, const ScrollFiles& files, int left, int top, int right, int bottom,
                          CDX9KelGUIScrollText** out = nullptr);
    HRESULT AddListBox(int dialogId, int font, D3DCOLOR textColour, const char* selBar, const ScrollFiles& files,
                       int left, int top, int right, int bottom, CDX9KelGUIListBox** out = nullptr);
    HRESULT AddStateBar(int dialogId, const char* texture, const char* texture2, const char* effect, D3DCOLOR colour,
                        bool vertical, int left, int top, int right, int bottom);
    HRESULT AddEditBox(int dialogId, int font, D3DCOLOR colour, int left, int top, int right, int bottom);
    HRESULT AddRadioList(int dialogId, bool mustSelect, CDX9KelGUIRadioList** out = nullptr);

    // Reads a bitmap font and its page; the font id, or -1.
    int LoadBitmapFontFromFile(const char* fileName);
    const CDX9KelGUIFont* GetFont(int id) const;

    // Loads a texture (relative to the program folder) once per name; null
    // for an empty name or a file that does not load. info receives the
    // file's size when given.
    IDirect3DTexture9* LoadTexture(const std::string& name, D3DCOLOR colourKey, D3DXIMAGE_INFO* info);
    // The effect of that name (relative to the program folder) through the
    // render system's effect loader; null for an empty name or a file that
    // does not load.
    CDX9KelEffect* LoadEffect(const std::string& name);

    // Per-frame input, copied in by the scene before Update.
    float m_fWheel = 0.0f;
    bool m_bLeftButton = false;
    bool m_bRightButton = false;
    bool m_bMiddleButton = false;
    char m_cTypedChar = 0;
    // The characters typed since the last update, in order; read by the
    // focused edit box once: Update forgets them.
    std::string m_strTyped;
    const BYTE* m_pKeyboard = nullptr;

    int m_iClientWidth = 0;
    int m_iClientHeight = 0;
    IDirect3DDevice9* m_pDevice = nullptr;
    CDX9KelGraphicsResManager* m_pResourceManager = nullptr;
    CDX9KelRenderSystem* m_pRenderSystem = nullptr;
    HWND m_hWnd = nullptr;
    std::vector<std::unique_ptr<CDX9KelGUIDialog>> m_Dialogs;
    std::vector<CDX9KelGUIControl*> m_DrawList;
    std::vector<std::unique_ptr<CDX9KelGUIFont>> m_Fonts;
    int m_iHoverDialog = -1;
    int m_iInputLockDialog = -1;
    bool m_bPopUpActive = false;
    int m_iRemovedDialogs = 0;
    // When the latest pop-up activation began (0: none); one for the program.
    DWORD m_dwPopUpGuard = 0;
    // Shared by every radio list of the program: the 50 ms guard.
    DWORD m_dwRadioGuard = 0;

private:
    // Each control's Render in draw order, its texture bound when it changes.
    // The depth walk leaves out the controls that cannot pass its alpha
    // test: those drawn with nothing but a texture of this manager's that
    // has no texel at least half opaque.
    void WalkDrawList(bool depthWalk);
    bool IsSeeThrough(const CDX9KelGUIControl* c) const;
    // Whether a texture has a texel of alpha kGUIDepthAlphaRef or more;
    // true for any texture that cannot be read (it is drawn as before).
    static bool HasOpaqueTexels(IDirect3DTexture9* texture);

    struct LoadedTexture {
        std::string name;
        D3DCOLOR key;
        IDirect3DTexture9* texture;
        D3DXIMAGE_INFO info;
        // Held by the resource manager (one reference) rather than here.
        bool shared;
        // Some texel is at least half opaque (HasOpaqueTexels).
        bool opaque = true;
    };
    std::vector<LoadedTexture> m_Textures;
    CDX9KelGUIDialog* FactoryDialog(int dialogId) const;
    bool LoadImageSettings(const char* texture, const char* texture2, const char* effect, GUIImageSettings& out);
    bool LoadScrollSettings(const ScrollFiles& files, GUIScrollBarSettings& out);
    POINT m_CursorOverride{};
    bool m_bCursorOverride = false;
};

} // namespace Vorna2
