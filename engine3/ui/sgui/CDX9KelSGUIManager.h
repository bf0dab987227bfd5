#pragma once
// The engine scene's manager of the flat screen interface: dialogs under
// unique names in a drawing order (bottom first), their per-frame update from
// the top down, the render list of the visible dialogs' controls, the frame's
// mouse and keyboard input for every control, the dialog under the cursor and
// the dialog holding exclusive input, one shared input timer that paces
// clicks, hotkeys and typing, and the bitmap fonts. Main thread only.
#include <string>
#include <vector>

#include "engine3/ui/sgui/CDX9KelSGUIBitmapFont.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "platform/os/WinTypes.h"

class IDirect3DDevice9;

namespace Vorna3D {

class CDX9KelInput;
class CDX9KelGraphicsResManager;

class CDX9KelSGUIManager {
public:
    static constexpr size_t kReservedDialogs = 50;
    static constexpr size_t kReservedRenderList = 100;

    CDX9KelSGUIManager() = default;
    ~CDX9KelSGUIManager() { Release(); }
    CDX9KelSGUIManager(const CDX9KelSGUIManager&) = delete;
    CDX9KelSGUIManager& operator=(const CDX9KelSGUIManager&) = delete;

    // False without a window; takes the client size from it.
    bool Init(HWND hWnd);
    // Takes the client size of the window again (after a reset).
    void Restore();
    // Dialogs from the top of the drawing order down.
    void Update(float fElapsed);
    // Deletes every dialog and every font.
    void Release();
    // A new dialog on top of all others; null for an empty name, a repeated
    // name when bCheckUnique is set, or an empty rectangle.
    CDX9KelSGUIDialog* InitDialog(const char* szName, bool bCheckUnique, LONG left, LONG top, LONG right,
                                  LONG bottom);
    bool BringToFront(CDX9KelSGUIDialog* pDialog);
    bool BringToFront(int index);
    CDX9KelSGUIBitmapFont* GetFont(int index) const;
    // The shared input timer: true when not armed (and arms it); while armed
    // false, and once more than `period` ms passed it disarms, so the call
    // after that is true again.
    bool AllowInput(DWORD period);
    // A font from its XML file and the folder of its texture; its index or -1.
    int LoadBitmapFontFromFile(const char* szXmlPath, const char* szFontFolder);
    // The frame's input from the input state (the game scene calls it before
    // Update): cursor in client pixels, buttons, wheel, typed byte, keys.
    void SetInput(CDX9KelInput& input);
    // The screen-GUI pass: every control of the render list in order over
    // whatever is drawn, in client pixels. Nothing when the list is empty.
    // shaderLevel chooses the technique of controls with an effect, as the
    // render system does: 2 "Hight", 1 "Middle", any other "Low". Such a
    // control is drawn through its effect's passes with the parameters
    // kEffectMatrix (its whole transform to clip space) and kEffectTexture.
    void Render(IDirect3DDevice9* pDevice, float fElapsed, int shaderLevel, DWORD maxAnisotropy);
    static constexpr const char* kEffectMatrix = "g_MatrixWorldViewProj";
    static constexpr const char* kEffectTexture = "g_TextureLayer1";

    // True while the key's byte in the keyboard state has its high bit set.
    bool IsKeyDown(int dik) const;
    CDX9KelSGUIDialog* GetDialog(int index) const;
    CDX9KelSGUIDialog* FindDialog(const char* szName) const;
    void SetGraphicsResManager(CDX9KelGraphicsResManager* p) { m_pGraphicsResManager = p; }
    CDX9KelGraphicsResManager* GetGraphicsResManager() const { return m_pGraphicsResManager; }

    HWND m_hWnd = nullptr;
    LONG m_iClientWidth = 0;
    LONG m_iClientHeight = 0;
    std::vector<CDX9KelSGUIDialog*> m_vDialogs;
    std::vector<DWORD> m_vFreeSlots;
    std::vector<DWORD> m_vDrawOrder;
    std::vector<CDX9KelSGUIBaseControl*> m_vRenderList;
    std::vector<CDX9KelSGUIBitmapFont*> m_vFonts;
    // Above 0 scrolls towards position 0.
    float m_fWheel = 0.0f;
    bool m_bMouseButtons[3] = {};
    // The byte of the last typed character (code page 1251), 0 when none.
    signed char m_cChar = 0;
    // The characters typed since the last update, in order; taken from the
    // input by SetInput and read by the focused edit box once: Update
    // forgets them.
    std::string m_strTyped;
    // The 256 DirectInput key bytes; null reads as no key down.
    const BYTE* m_pKeyboardState = nullptr;
    POINT m_Cursor = {};
    DWORD m_dwInputTime = 0;
    int m_iHoverDialog = -1;
    int m_iExclusiveDialog = -1;

private:
    // Where textures and effects of controls and fonts come from.
    CDX9KelGraphicsResManager* m_pGraphicsResManager = nullptr;
};

} // namespace Vorna3D
