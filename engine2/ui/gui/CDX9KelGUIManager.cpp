#include "engine2/ui/gui/CDX9KelGUIManager.h"

#include <algorithm>
#include <tinyxml.h>

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIScrollText.h"
#include "engine2/ui/gui/CDX9KelGUIStateBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/window/Window.h"

namespace Vorna2 {

namespace {
constexpr DWORD kPopUpGuardMs = 300;
constexpr D3DCOLOR kFontColourKey = 0xFF000000u;
} // namespace

CDX9KelGUIManager::~CDX9KelGUIManager() { Release(); }

bool CDX9KelGUIManager::Init(HWND window, IDirect3DDevice9* device, CDX9KelGraphicsResManager* resourceManager,
                             CDX9KelRenderSystem* renderSystem) {
    if (!window || !device || !renderSystem) return false;
    m_hWnd = window;
    m_pDevice = device;
    m_pResourceManager = resourceManager;
    m_pRenderSystem = renderSystem;
    RECT client{};
    GetClientRect(window, &client);
    m_iClientWidth = client.right - client.left;
    m_iClientHeight = client.bottom - client.top;
    return true;
}

int CDX9KelGUIManager::AddDialog(int left, int top, int right, int bottom, const char* backgroundImage, bool drag) {
    if (!(right - left > 0 && bottom - top > 0)) return -1;
    auto dialog = std::make_unique<CDX9KelGUIDialog>();
    const int id = static_cast<int>(m_Dialogs.size()) + m_iRemovedDialogs;
    if (FAILED(dialog->Setup(this, id, left, top, right, bottom, drag))) return -1;
    m_Dialogs.push_back(std::move(dialog));
    if (backgroundImage && *backgroundImage &&
        FAILED(AddImage(id, backgroundImage, "", "", 0xFFFFFFFFu, false, left, top, right, bottom))) {
        // A dialog without its background belongs to no screen: it goes at
        // once rather than stay under the cursor on every screen.
        DeleteDialog(id);
        return -1;
    }
    return id;
}

int CDX9KelGUIManager::GetDialogIndex(int id) const {
    const int count = static_cast<int>(m_Dialogs.size());
    if (id < 0) return -1;
    if (id < count && m_Dialogs[static_cast<std::size_t>(id)]->m_iID == id) return id;
    for (int i = std::max(0, count - m_iRemovedDialogs); i < std::min(count, id + m_iRemovedDialogs + 1); ++i)
        if (m_Dialogs[static_cast<std::size_t>(i)]->m_iID == id) return i;
    for (int i = 0; i < count; ++i)
        if (m_Dialogs[static_cast<std::size_t>(i)]->m_iID == id) return i;
    return -1;
}

CDX9KelGUIDialog* CDX9KelGUIManager::GetDialog(int id) const {
    const int i = GetDialogIndex(id);
    return i < 0 ? nullptr : m_Dialogs[static_cast<std::size_t>(i)].get();
}

bool CDX9KelGUIManager::DeleteDialog(int id) {
    const int i = GetDialogIndex(id);
    if (i < 0) return false;
    CDX9KelGUIDialog* dialog = m_Dialogs[static_cast<std::size_t>(i)].get();
    m_DrawList.erase(std::remove_if(m_DrawList.begin(), m_DrawList.end(),
                                    [dialog](CDX9KelGUIControl* c) { return c->m_pDialog == dialog; }),
                     m_DrawList.end());
    if (m_iInputLockDialog == id) m_iInputLockDialog = -1;
    if (m_iHoverDialog == id) m_iHoverDialog = -1;
    dialog->Release();
    m_Dialogs.erase(m_Dialogs.begin() + i);
    ++m_iRemovedDialogs;
    return true;
}

bool CDX9KelGUIManager::SetDialogVisible(int id, bool visible) {
    CDX9KelGUIDialog* d = GetDialog(id);
    if (!d) return false;
    if (d->m_bVisible != visible) d->m_iResetPending = 0;
    d->m_bVisible = visible;
    return true;
}

bool CDX9KelGUIManager::SetDialogProc(int id, bool proc) {
    CDX9KelGUIDialog* d = GetDialog(id);
    if (!d) return false;
    if (d->m_bProc != proc) d->m_iResetPending = 0;
    d->m_bProc = proc;
    return true;
}

bool CDX9KelGUIManager::SetDialogShown(int id, bool shown) {
    CDX9KelGUIDialog* d = GetDialog(id);
    if (!d) return false;
    d->m_bShown = shown;
    return true;
}

bool CDX9KelGUIManager::SetDialogAutoInvisible(int id, bool autoInvisible) {
    CDX9KelGUIDialog* d = GetDialog(id);
    if (!d) return false;
    d->m_bAutoInvisible = autoInvisible;
    return true;
}

bool CDX9KelGUIManager::SetActiveDialog(int id) {
    if (m_bPopUpActive) {
        const DWORD now = timeGetTime();
        if (m_dwPopUpGuard == 0) {
            m_dwPopUpGuard = now;
            return true;
        }
        if (now - m_dwPopUpGuard <= kPopUpGuardMs) return true;
        m_dwPopUpGuard = 0;
    }
    m_bPopUpActive = false;
    const int i = GetDialogIndex(id);
    if (i < 0) return false;
    if (i == static_cast<int>(m_Dialogs.size()) - 1) return true;
    m_Dialogs.back()->m_bIsTop = false;
    std::rotate(m_Dialogs.begin() + i, m_Dialogs.begin() + i + 1, m_Dialogs.end());
    CDX9KelGUIDialog* top = m_Dialogs.back().get();
    if (top->m_bAutoInvisible && top->m_bVisible) m_bPopUpActive = true;
    return true;
}

POINT CDX9KelGUIManager::GetCursor() const {
    if (m_bCursorOverride) return m_CursorOverride;
    POINT p{};
    GetCursorPos(&p);
    if (m_hWnd) ScreenToClient(m_hWnd, &p);
    return p;
}

void CDX9KelGUIManager::Update() {
    m_iHoverDialog = -1;
    m_DrawList.clear();
    // A dialog may raise itself while the walk runs, so the walk goes over
    // the stacking order as it was at the start of the frame.
    std::vector<CDX9KelGUIDialog*> order;
    for (auto& d : m_Dialogs) order.push_back(d.get());
    for (auto it = order.rbegin(); it != order.rend(); ++it) (*it)->Update();
    m_strTyped.clear();
}

void CDX9KelGUIManager::RenderDrawList() {
    if (!m_pDevice) return;
    D3DXMATRIX view, projection;
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&projection, static_cast<float>(m_iClientWidth), -static_cast<float>(m_iClientHeight), -100.0f,
                      100.0f);
    m_pDevice->SetTransform(D3DTS_VIEW, &view);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &projection);
    DrawControls();
}

void CDX9KelGUIManager::WalkDrawList(bool depthWalk) {
    const CDX9KelGUIControl* previous = nullptr;
    std::size_t i = 0;
    while (i < m_DrawList.size()) {
        // A run of controls sharing one effect is drawn inside one begin and
        // end of it. The depth walk draws every control on the fixed
        // pipeline, whose alpha test decides where depth is written.
        CDX9KelEffect* effect = depthWalk ? nullptr : m_DrawList[i]->m_pEffect;
        std::size_t end = i + 1;
        while (end < m_DrawList.size() && (depthWalk ? nullptr : m_DrawList[end]->m_pEffect) == effect) ++end;
        UINT passes = 0;
        ID3DXEffect* fx = effect ? effect->m_pEffect : nullptr;
        const bool begun = fx && SUCCEEDED(fx->Begin(&passes, 0));
        if (!begun) passes = 0;
        for (std::size_t k = i; k < end; ++k) {
            CDX9KelGUIControl* c = m_DrawList[k];
            if (depthWalk && IsSeeThrough(c)) continue;
            // The texture is bound again after a control drawn another way,
            // since an effect binds its textures itself.
            const bool setTexture = !previous || !previous->m_bVisible || previous->m_pTexture != c->m_pTexture ||
                                    (depthWalk ? false : previous->m_pEffect != c->m_pEffect);
            c->Render(setTexture, passes);
            previous = c;
        }
        if (begun) fx->End();
        i = end;
    }
}

bool CDX9KelGUIManager::IsSeeThrough(const CDX9KelGUIControl* c) const {
    // An effect or a second texture may make its own alpha.
    if (!c || !c->m_pTexture || c->m_pEffect || c->m_pTexture2) return false;
    for (const LoadedTexture& t : m_Textures)
        if (t.texture == c->m_pTexture) return !t.opaque;
    return false;
}

bool CDX9KelGUIManager::HasOpaqueTexels(IDirect3DTexture9* texture) {
    if (!texture) return true;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Format != D3DFMT_A8R8G8B8) return true;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)) || !locked.pBits) return true;
    bool opaque = false;
    for (UINT y = 0; y < desc.Height && !opaque; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x)
            if (row[size_t(x) * 4 + 3] >= kGUIDepthAlphaRef) {
                opaque = true;
                break;
            }
    }
    texture->UnlockRect(0);
    return opaque;
}

void CDX9KelGUIManager::DrawControls() {
    if (!m_pDevice) return;
    // Colours first, blended in stacking order, the depth buffer left alone.
    m_pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    WalkDrawList(false);
    // The GUI is drawn before the 3D scene, so it keeps the scene off its
    // pixels through the depth buffer: a second walk writes the controls'
    // depth (near the viewer) and no colour wherever a control is at least
    // half opaque. Fainter texels, such as the clear parts of a quad or the
    // soft edges of glyphs, write no depth: the scene shows through them,
    // while over a panel they stay, guarded by the panel's depth. Controls
    // whose texture has no such texel are left out of this walk.
    DWORD alphaTest = 0, alphaRef = 0, alphaFunc = 0;
    m_pDevice->GetRenderState(D3DRS_ALPHATESTENABLE, &alphaTest);
    m_pDevice->GetRenderState(D3DRS_ALPHAREF, &alphaRef);
    m_pDevice->GetRenderState(D3DRS_ALPHAFUNC, &alphaFunc);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    m_pDevice->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_ALPHAREF, kGUIDepthAlphaRef);
    m_pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    WalkDrawList(true);
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                                                          D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA);
    m_pDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, alphaTest);
    m_pDevice->SetRenderState(D3DRS_ALPHAREF, alphaRef);
    m_pDevice->SetRenderState(D3DRS_ALPHAFUNC, alphaFunc);
}

void CDX9KelGUIManager::Release() {
    m_DrawList.clear();
    for (auto& d : m_Dialogs) d->Release();
    m_Dialogs.clear();
    m_Fonts.clear();
    for (auto& t : m_Textures) {
        if (t.shared && m_pResourceManager)
            m_pResourceManager->ReleaseTexture(t.texture);
        else
            ReleaseGUIObject(t.texture);
    }
    m_Textures.clear();
    m_iHoverDialog = m_iInputLockDialog = -1;
}

// ---- resources ----

IDirect3DTexture9* CDX9KelGUIManager::LoadTexture(const std::string& name, D3DCOLOR colourKey, D3DXIMAGE_INFO* info) {
    if (name.empty() || !m_pDevice) return nullptr;
    for (const LoadedTexture& t : m_Textures)
        if (t.name == name && t.key == colourKey) {
            if (info) *info = t.info;
            return t.texture;
        }
    std::string full, folder, file;
    if (!CDX9KelUtils::SplitExeFolderPath(name.c_str(), &full, &folder, &file)) return nullptr;
    LoadedTexture loaded{name, colourKey, nullptr, {}, m_pResourceManager != nullptr};
    if (m_pResourceManager) {
        IDirect3DBaseTexture9* base = m_pResourceManager->CreateTextureFromFile(m_pDevice, file.c_str(), folder.c_str(),
                                                                               false, colourKey, &loaded.info);
        if (!base) return nullptr;
        // Controls draw flat images only; a cube or volume file is no GUI
        // texture.
        if (base->GetType() != D3DRTYPE_TEXTURE) {
            m_pResourceManager->ReleaseTexture(base);
            return nullptr;
        }
        loaded.texture = static_cast<IDirect3DTexture9*>(base);
    } else if (FAILED(D3DXCreateTextureFromFileExA(m_pDevice, full.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                                   D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                   colourKey, &loaded.info, nullptr, &loaded.texture)) ||
               !loaded.texture) {
        return nullptr;
    }
    loaded.opaque = HasOpaqueTexels(loaded.texture);
    m_Textures.push_back(loaded);
    if (info) *info = loaded.info;
    return loaded.texture;
}

CDX9KelEffect* CDX9KelGUIManager::LoadEffect(const std::string& name) {
    if (name.empty() || !m_pDevice || !m_pRenderSystem) return nullptr;
    return m_pRenderSystem->LoadEffect(m_pDevice, name.c_str());
}

bool CDX9KelGUIManager::LoadImageSettings(const char* texture, const char* texture2, const char* effect,
                                          GUIImageSettings& out) {
    D3DXIMAGE_INFO info{};
    out.texture = LoadTexture(texture ? texture : "", 0, &info);
    if (!out.texture) return false;
    out.popUpWidth = static_cast<int>(info.Width);
    out.popUpHeight = static_cast<int>(info.Height);
    out.texture2 = LoadTexture(texture2 ? texture2 : "", 0, nullptr);
    out.effect = LoadEffect(effect ? effect : "");
    return true;
}

// ---- fonts ----

const CDX9KelGUIFont* CDX9KelGUIManager::GetFont(int id) const {
    if (id < 0 || id >= static_cast<int>(m_Fonts.size())) return nullptr;
    return m_Fonts[static_cast<std::size_t>(id)].get();
}

int CDX9KelGUIManager::LoadBitmapFontFromFile(const char* fileName) {
    if (!fileName || !*fileName || !m_pDevice) return -1;
    std::string full, folder;
    if (!CDX9KelUtils::SplitExeFolderPath(fileName, &full, &folder, nullptr)) return -1;
    std::string text;
    TiXmlDocument doc;
    if (!Platform::ReadTextFile(full, text) || (doc.Parse(text.c_str()), doc.Error())) {
        g_Log.Write(-1, "CDX9KelGUIManager::LoadBitmapFontFromFile: Error : xml file not read : %s\n", fileName);
        return -1;
    }
    const TiXmlElement* root = doc.FirstChildElement("font");
    if (!root) {
        g_Log.Write(-1, "CDX9KelGUIManager::LoadBitmapFontFromFile: Error : XML file is damaged:%s\n", fileName);
        return -1;
    }
    const TiXmlElement* pages = root->FirstChildElement("pages");
    const TiXmlElement* page = pages ? pages->FirstChildElement("page") : nullptr;
    const char* pageFile = page ? page->Attribute("file") : nullptr;
    if (!pageFile) return -1;
    // The page lies beside the font file; the texture loader wants a name
    // relative to the program folder.
    const std::string programFolder = Platform::ProgramFolder();
    std::string relativeFolder = folder;
    if (relativeFolder.compare(0, programFolder.size(), programFolder) == 0)
        relativeFolder = relativeFolder.substr(programFolder.size());
    IDirect3DTexture9* texture = LoadTexture(relativeFolder + pageFile, kFontColourKey, nullptr);
    if (!texture) {
        g_Log.Write(-1, "CDX9KelGUIManager::LoadBitmapFontFromFile: Error : not read texture: %s form folder: %s\n",
                    pageFile, folder.c_str());
        return -1;
    }
    auto font = std::make_unique<CDX9KelGUIFont>();
    if (!font->LoadFontFromFile(root, texture)) {
        g_Log.Write(-1, "CDX9KelGUIManager::LoadBitmapFontFromFile: Error : pFont->LoadFontFromFile: %s\n", fileName);
        return -1;
    }
    m_Fonts.push_back(std::move(font));
    return static_cast<int>(m_Fonts.size()) - 1;
}

// ---- control factory ----

CDX9KelGUIDialog* CDX9KelGUIManager::FactoryDialog(int dialogId) const {
    return m_pDevice && m_pRenderSystem ? GetDialog(dialogId) : nullptr;
}

HRESULT CDX9KelGUIManager::AddImage(int dialogId, const char* texture, const char* texture2, const char* effect,
                                    D3DCOLOR colour, bool zoom, int left, int top, int right, int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIImageSettings image;
    if (!LoadImageSettings(texture, texture2, effect, image)) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddImage() : pTexture == NULL\n");
        return E_FAIL;
    }
    const HRESULT hr = dialog->AddImage(left, top, right, bottom, image, colour, zoom, true);
    if (FAILED(hr)) g_Log.Write(-1, "Error : CDX9KelGUIManager::AddImage() : m_stdvDialogs[iNum]->AddImage\n");
    return hr;
}

HRESULT CDX9KelGUIManager::AddText(int dialogId, int font, int format, const char* effect, D3DCOLOR colour,
                                   const std::string& text, int left, int top, int right, int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    const HRESULT hr = dialog->AddText(left, top, right, bottom, font, format, nullptr, LoadEffect(effect ? effect : ""),
                                       colour, text, true);
    if (FAILED(hr)) g_Log.Write(-1, "Error : CDX9KelGUIManager::AddText() : m_stdvDialogs[iNum]->AddText\n");
    return hr;
}

HRESULT CDX9KelGUIManager::AddButton(int dialogId, const char* effect, int* mirror, int font, const std::string& text,
                                     D3DCOLOR colour, const char* texture, const char* texture2, int left, int top,
                                     int right, int bottom, bool shift) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIImageSettings image;
    if (!LoadImageSettings(texture, texture2, effect, image)) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddButton() : pTexture == NULL\n");
        return E_FAIL;
    }
    CDX9KelGUIButton* button = nullptr;
    const HRESULT hr = dialog->AddButton(left, top, right, bottom, font, text, colour, image, mirror, &button);
    if (SUCCEEDED(hr)) button->m_bShift = shift;
    return hr;
}

HRESULT CDX9KelGUIManager::AddCheckButton(int dialogId, const char* effect, int* mirror, int font,
                                          const std::string& text, D3DCOLOR colour, const char* texture,
                                          const char* texture2, int left, int top, int right, int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIImageSettings image;
    if (!LoadImageSettings(texture, texture2, effect, image)) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddCheckButton() : pTexture == NULL\n");
        return E_FAIL;
    }
    return dialog->AddCheckButton(left, top, right, bottom, font, text, colour, image, mirror);
}

HRESULT CDX9KelGUIManager::AddButtonPopUp(int dialogId, const char* effect, int buttonId, int font,
                                          const std::string& text, D3DCOLOR colour, const char* texture,
                                          const char* texture2, int left, int top, int right, int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIImageSettings image;
    if (!LoadImageSettings(texture, texture2, effect, image)) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddButtonPopUp() : pTexture == NULL\n");
        return E_FAIL;
    }
    return dialog->SetButtonPopUp(buttonId, left, top, right, bottom, font, text, colour, image);
}

bool CDX9KelGUIManager::LoadScrollSettings(const ScrollFiles& f, GUIScrollBarSettings& out) {
    LoadImageSettings(f.bar.c_str(), f.barAdd.c_str(), f.barEffect.c_str(), out.thumb);
    LoadImageSettings(f.track.c_str(), f.trackAdd.c_str(), f.trackEffect.c_str(), out.track);
    LoadImageSettings(f.arrow1.c_str(), f.arrow1Add.c_str(), f.arrow1Effect.c_str(), out.arrow1);
    LoadImageSettings(f.arrow2.c_str(), f.arrow2Add.c_str(), f.arrow2Effect.c_str(), out.arrow2);
    return out.thumb.texture && out.track.texture;
}

HRESULT CDX9KelGUIManager::AddScrollBar(int dialogId, const ScrollFiles& files, bool vertical, int left, int top,
                                        int right, int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIScrollBarSettings bar;
    LoadScrollSettings(files, bar);
    if (!bar.thumb.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddScrollBar() : pBarTexture == NULL\n");
        return E_FAIL;
    }
    if (!bar.track.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddScrollBar() : pTrackTexture == NULL\n");
        return E_FAIL;
    }
    return dialog->AddScrollBar(left, top, right, bottom, bar, nullptr, vertical);
}

HRESULT CDX9KelGUIManager::AddScrollText(int dialogId, const ScrollFiles& files, int left, int top, int right,
                                         int bottom, CDX9KelGUIScrollText** out) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIScrollBarSettings bar;
    LoadScrollSettings(files, bar);
    if (!bar.thumb.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddScrollBar() : pBarTexture == NULL\n");
        return E_FAIL;
    }
    if (!bar.track.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddScrollBar() : pTrackTexture == NULL\n");
        return E_FAIL;
    }
    if (!bar.arrow1.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddScrollBar() : pArrow1Texture == NULL\n");
        return E_FAIL;
    }
    const HRESULT hr = dialog->AddScrollText(left, top, right, bottom, bar, out);
    if (FAILED(hr)) g_Log.Write(-1, "CDX9KelGUIManager::AddScrollText : Error : m_stdvDialogs[iNum]->AddScrollText\n");
    return hr;
}

HRESULT CDX9KelGUIManager::AddListBox(int dialogId, int font, D3DCOLOR textColour, const char* selBar,
                                      const ScrollFiles& files, int left, int top, int right, int bottom,
                                      CDX9KelGUIListBox** out) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIImageSettings selection;
    if (!LoadImageSettings(selBar, "", "", selection)) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddListBox() : pSelBarTexture == NULL\n");
        return E_FAIL;
    }
    GUIScrollBarSettings bar;
    LoadScrollSettings(files, bar);
    if (!bar.thumb.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddListBox() : pBarTexture == NULL\n");
        return E_FAIL;
    }
    if (!bar.track.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddListBox() : pTrackTexture == NULL\n");
        return E_FAIL;
    }
    if (!bar.arrow1.texture) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddListBox() : pArrow1Texture == NULL\n");
        return E_FAIL;
    }
    const HRESULT hr =
        dialog->AddListBox(left, top, right, bottom, textColour, font, selection, bar, nullptr, nullptr, out);
    if (FAILED(hr)) g_Log.Write(-1, "CDX9KelGUIManager::AddListBox : Error : m_stdvDialogs[iNum]->AddListBox\n");
    return hr;
}

HRESULT CDX9KelGUIManager::AddStateBar(int dialogId, const char* texture, const char* texture2, const char* effect,
                                       D3DCOLOR colour, bool vertical, int left, int top, int right, int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    GUIImageSettings image;
    if (!LoadImageSettings(texture, texture2, effect, image)) {
        g_Log.Write(-1, "Error : CDX9KelGUIManager::AddStateBar() : pTexture == NULL\n");
        return E_FAIL;
    }
    return dialog->AddStateBar(left, top, right, bottom, image, colour, vertical);
}

HRESULT CDX9KelGUIManager::AddEditBox(int dialogId, int font, D3DCOLOR colour, int left, int top, int right,
                                      int bottom) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    return dialog->AddEditBox(left, top, right, bottom, font, colour);
}

HRESULT CDX9KelGUIManager::AddRadioList(int dialogId, bool mustSelect, CDX9KelGUIRadioList** out) {
    CDX9KelGUIDialog* dialog = FactoryDialog(dialogId);
    if (!dialog) return E_FAIL;
    return dialog->AddRadioList(mustSelect, out);
}

} // namespace Vorna2
