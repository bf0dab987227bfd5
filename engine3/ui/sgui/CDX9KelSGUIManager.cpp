#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

#include <algorithm>
#include <tinyxml.h>

#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/SafeXml.h"
#include "platform/os/Clock.h"
#include "platform/window/Window.h"

namespace Vorna3D {

bool CDX9KelSGUIManager::Init(HWND hWnd) {
    if (!hWnd) return false;
    m_hWnd = hWnd;
    Restore();
    m_vDialogs.reserve(kReservedDialogs);
    m_vDrawOrder.reserve(kReservedDialogs);
    m_vRenderList.reserve(kReservedRenderList);
    return true;
}

void CDX9KelSGUIManager::Restore() {
    RECT client = {};
    if (m_hWnd && GetClientRect(m_hWnd, &client)) {
        m_iClientWidth = client.right - client.left;
        m_iClientHeight = client.bottom - client.top;
    }
}

void CDX9KelSGUIManager::Update(float fElapsed) {
    m_iHoverDialog = -1;
    m_vRenderList.clear();
    // Dialogs brought to the top during the walk change the next frame's order.
    const std::vector<DWORD> order = m_vDrawOrder;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (CDX9KelSGUIDialog* d = GetDialog(static_cast<int>(*it))) d->Update(fElapsed);
    m_strTyped.clear();
}

void CDX9KelSGUIManager::Release() {
    m_vRenderList.clear();
    for (CDX9KelSGUIDialog*& d : m_vDialogs) {
        if (!d) continue;
        d->Release();
        delete d;
        d = nullptr;
    }
    for (CDX9KelSGUIBitmapFont*& f : m_vFonts) {
        delete f;
        f = nullptr;
    }
    m_vFonts.clear();
    m_iHoverDialog = -1;
    m_iExclusiveDialog = -1;
}

CDX9KelSGUIDialog* CDX9KelSGUIManager::GetDialog(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_vDialogs.size()) return nullptr;
    return m_vDialogs[index];
}

CDX9KelSGUIDialog* CDX9KelSGUIManager::FindDialog(const char* szName) const {
    if (!szName) return nullptr;
    for (CDX9KelSGUIDialog* d : m_vDialogs)
        if (d && d->GetName() == szName) return d;
    return nullptr;
}

CDX9KelSGUIDialog* CDX9KelSGUIManager::InitDialog(const char* szName, bool bCheckUnique, LONG left, LONG top,
                                                  LONG right, LONG bottom) {
    if (!szName || !*szName) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIManager::InitDialog() : not name\n");
        return nullptr;
    }
    if (bCheckUnique && FindDialog(szName)) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIManager::InitDialog() : not unique name\n");
        return nullptr;
    }
    if (right - left < 1 || bottom - top < 1) return nullptr;
    auto* dialog = new CDX9KelSGUIDialog();
    if (!dialog->Init(this, szName, left, top, right, bottom)) {
        delete dialog;
        return nullptr;
    }
    DWORD index;
    if (m_vFreeSlots.empty()) {
        index = static_cast<DWORD>(m_vDialogs.size());
        m_vDialogs.push_back(dialog);
    } else {
        index = m_vFreeSlots.back();
        m_vFreeSlots.pop_back();
        m_vDialogs[index] = dialog;
    }
    dialog->m_iIndex = static_cast<int>(index);
    m_vDrawOrder.push_back(index);
    return dialog;
}

bool CDX9KelSGUIManager::BringToFront(CDX9KelSGUIDialog* pDialog) {
    if (!pDialog || pDialog->GetIndex() == -1 || GetDialog(pDialog->GetIndex()) != pDialog) return false;
    auto it = std::find(m_vDrawOrder.begin(), m_vDrawOrder.end(), static_cast<DWORD>(pDialog->GetIndex()));
    if (it == m_vDrawOrder.end()) return false;
    m_vDrawOrder.erase(it);
    m_vDrawOrder.push_back(static_cast<DWORD>(pDialog->GetIndex()));
    return true;
}

bool CDX9KelSGUIManager::BringToFront(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_vDialogs.size()) return false;
    return BringToFront(m_vDialogs[index]);
}

CDX9KelSGUIBitmapFont* CDX9KelSGUIManager::GetFont(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_vFonts.size()) return nullptr;
    return m_vFonts[index];
}

bool CDX9KelSGUIManager::AllowInput(DWORD period) {
    const DWORD now = timeGetTime();
    if (m_dwInputTime == 0) {
        m_dwInputTime = now;
        return true;
    }
    if (now - m_dwInputTime > period) m_dwInputTime = 0;
    return false;
}

bool CDX9KelSGUIManager::IsKeyDown(int dik) const {
    return m_pKeyboardState && dik >= 0 && dik < 256 && (m_pKeyboardState[dik] & 0x80) != 0;
}

void CDX9KelSGUIManager::SetInput(CDX9KelInput& input) {
    m_Cursor = {input.m_iCursorX, input.m_iCursorY};
    m_bMouseButtons[0] = input.m_bLeftDown;
    m_bMouseButtons[1] = input.m_bRightDown;
    m_bMouseButtons[2] = input.m_bMiddleDown;
    m_fWheel = input.m_fWheel;
    m_cChar = static_cast<signed char>(input.m_cChar);
    m_strTyped = input.TakeTyped();
    m_pKeyboardState = input.m_KeyboardState;
}

int CDX9KelSGUIManager::LoadBitmapFontFromFile(const char* szXmlPath, const char* szFontFolder) {
    if (!szXmlPath || !*szXmlPath || !szFontFolder || !*szFontFolder) return -1;
    TiXmlDocument doc;
    if (!LoadXmlFile(szXmlPath, doc)) {
        g_Log.Write(LOG_ERROR, "CDX9KelSGUIManager::LoadBitmapFontFromFile: XML file not read : %s\n", szXmlPath);
        return -1;
    }
    const TiXmlElement* root = doc.FirstChildElement("font");
    if (!root) {
        g_Log.Write(LOG_ERROR, "CDX9KelGUIManager::LoadBitmapFontFromFile: XML file is damaged:%s\n", szXmlPath);
        return -1;
    }
    auto* font = new CDX9KelSGUIBitmapFont();
    if (!font->LoadFontFromFile(root, szFontFolder, m_pGraphicsResManager, szXmlPath)) {
        g_Log.Write(LOG_ERROR, "CDX9KelGUIManager::LoadBitmapFontFromFile: pFont->LoadFontFromFile: %s\n",
                    szFontFolder);
        delete font;
        return -1;
    }
    m_vFonts.push_back(font);
    return static_cast<int>(m_vFonts.size()) - 1;
}

void CDX9KelSGUIManager::Render(IDirect3DDevice9* pDevice, float fElapsed, int shaderLevel, DWORD maxAnisotropy) {
    if (!pDevice || m_vRenderList.empty()) return;
    pDevice->SetFVF(SGUI_VERTEX_FVF);
    pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    // The screen is blended: a glyph's soft edge and the thin stroke of a "$"
    // have little alpha, and the 3D passes' alpha-test reference would cut
    // them away. Every pixel with any coverage is drawn; the reference is
    // given back afterwards.
    DWORD alphaRef = 0;
    pDevice->GetRenderState(D3DRS_ALPHAREF, &alphaRef);
    pDevice->SetRenderState(D3DRS_ALPHAREF, 1);
    D3DXMATRIX view, projection;
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&projection, static_cast<float>(m_iClientWidth), -static_cast<float>(m_iClientHeight), -100.0f,
                      100.0f);
    pDevice->SetTransform(D3DTS_VIEW, &view);
    pDevice->SetTransform(D3DTS_PROJECTION, &projection);

    const IDirect3DBaseTexture9* lastTexture = nullptr;
    const size_t count = m_vRenderList.size();
    for (size_t i = 0; i < count;) {
        CDX9KelSGUIBaseControl* control = m_vRenderList[i];
        if (!control) {
            ++i;
            continue;
        }
        CDX9KelGraphicResourceEffect* effect = control->m_pEffect;
        if (!effect) {
            const IDirect3DBaseTexture9* texture = control->m_pTexture ? control->m_pTexture->m_pTexture : nullptr;
            const bool bind = texture != lastTexture;
            if (control->m_bFiltered) {
                pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
                pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            }
            control->Render(pDevice, fElapsed, bind, 0);
            if (control->m_bFiltered) {
                pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
                pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
            }
            // Only a drawn control leaves its texture bound.
            if (bind && control->m_bVisible && control->m_pVB && texture) lastTexture = texture;
            ++i;
            continue;
        }
        // Controls that share an effect are drawn inside one Begin/End, with
        // the technique of the render system's shader level. Each control
        // gives the effect its transform and texture and is drawn once per
        // pass.
        ID3DXEffect* fx = effect->m_pEffect;
        const char* technique = shaderLevel == 2 ? "Hight" : shaderLevel == 1 ? "Middle" : "Low";
        UINT passes = 0;
        const bool begun = fx && SUCCEEDED(fx->SetTechnique(fx->GetTechniqueByName(technique))) &&
                           SUCCEEDED(fx->Begin(&passes, 0));
        for (; i < count && m_vRenderList[i] && m_vRenderList[i]->m_pEffect == effect; ++i) {
            CDX9KelSGUIBaseControl* c = m_vRenderList[i];
            if (!begun || !c->m_bVisible || !c->m_pTexture || !c->m_pTexture->m_pTexture || !c->m_pVB) continue;
            D3DXMATRIX transform;
            D3DXMatrixMultiply(&transform, &c->m_mWorld, &projection);
            fx->SetMatrix(kEffectMatrix, &transform);
            fx->SetTexture(kEffectTexture, c->m_pTexture->m_pTexture);
            for (UINT pass = 0; pass < passes; ++pass) {
                if (FAILED(fx->BeginPass(pass))) continue;
                fx->CommitChanges();
                c->Render(pDevice, fElapsed, false, 0);
                fx->EndPass();
            }
        }
        if (begun) fx->End();
        lastTexture = nullptr;
    }

    pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
    pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    pDevice->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, maxAnisotropy);
    pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    pDevice->SetRenderState(D3DRS_ALPHAREF, alphaRef);
}

} // namespace Vorna3D
