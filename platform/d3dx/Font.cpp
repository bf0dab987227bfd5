// The sprite (screen-space quads, alpha-blended) and a built-in bitmap font
// drawn through it. The font is stb_easy_font's small face, scaled to the
// height asked for; faces, weights and character sets are not told apart.
#include <stb/stb_easy_font.h>

#include <cstring>

#include "platform/d3dx/d3dx9.h"

// ---------------------------------------------------------------------------
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
    if (!device || !sprite)
        return D3DERR_INVALIDCALL;
    auto* s = new ID3DXSprite();
    s->m_pDevice = device;
    device->AddRef();
    *sprite = s;
    return D3D_OK;
}

ID3DXSprite::~ID3DXSprite() { SafeReleaseCom(m_pDevice); }

HRESULT ID3DXSprite::Begin(DWORD) {
    if (m_begun)
        return D3DERR_INVALIDCALL;
    m_begun = true;
    m_vertices.clear();
    return D3D_OK;
}

HRESULT ID3DXSprite::AddRect(float x0, float y0, float x1, float y1, D3DCOLOR color) {
    Vertex a{x0, y0, 0, 1, color}, b{x1, y0, 0, 1, color}, c{x1, y1, 0, 1, color}, d{x0, y1, 0, 1, color};
    for (const Vertex& v : {a, b, c, a, c, d})
        m_vertices.push_back(v);
    return D3D_OK;
}

HRESULT ID3DXSprite::Flush() {
    if (!m_begun)
        return D3DERR_INVALIDCALL;
    if (m_vertices.empty())
        return D3D_OK;
    IDirect3DDevice9* d = m_pDevice;
    // The states the sprite needs, put back afterwards.
    const D3DRENDERSTATETYPE states[] = {D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ZENABLE,
                                         D3DRS_CULLMODE,         D3DRS_LIGHTING, D3DRS_ALPHATESTENABLE};
    const DWORD values[] = {TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DZB_FALSE, D3DCULL_NONE, FALSE, FALSE};
    DWORD saved[7];
    for (int i = 0; i < 7; ++i) {
        d->GetRenderState(states[i], &saved[i]);
        d->SetRenderState(states[i], values[i]);
    }
    IDirect3DBaseTexture9* tex = nullptr;
    d->GetTexture(0, &tex);
    d->SetTexture(0, nullptr);
    IDirect3DVertexDeclaration9* decl = nullptr;
    d->GetVertexDeclaration(&decl);
    DWORD fvf = 0;
    d->GetFVF(&fvf);
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    HRESULT hr = d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(m_vertices.size() / 3), m_vertices.data(),
                                    sizeof(Vertex));
    if (decl)
        d->SetVertexDeclaration(decl);
    else
        d->SetFVF(fvf);
    SafeReleaseCom(decl);
    d->SetTexture(0, tex);
    SafeReleaseCom(tex);
    for (int i = 6; i >= 0; --i)
        d->SetRenderState(states[i], saved[i]);
    m_vertices.clear();
    return hr;
}

HRESULT ID3DXSprite::End() {
    HRESULT hr = Flush();
    m_begun = false;
    return hr;
}

HRESULT ID3DXSprite::OnLostDevice() { return D3D_OK; }
HRESULT ID3DXSprite::OnResetDevice() { return D3D_OK; }

HRESULT ID3DXSprite::GetDevice(IDirect3DDevice9** device) {
    if (!device)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    *device = m_pDevice;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT, UINT weight, UINT, BOOL, DWORD, DWORD, DWORD,
                        DWORD, LPCSTR, ID3DXFont** font) {
    if (!device || !font)
        return D3DERR_INVALIDCALL;
    *font = nullptr;
    auto* f = new ID3DXFont();
    f->m_pDevice = device;
    device->AddRef();
    f->m_height = height > 0 ? height : (height < 0 ? -height : 15);
    f->m_bold = weight >= FW_BOLD;
    if (FAILED(D3DXCreateSprite(device, &f->m_pOwnSprite))) {
        f->Release();
        return E_FAIL;
    }
    *font = f;
    return D3D_OK;
}

ID3DXFont::~ID3DXFont() {
    SafeReleaseCom(m_pOwnSprite);
    SafeReleaseCom(m_pDevice);
}

INT ID3DXFont::DrawTextA(ID3DXSprite* sprite, LPCSTR string, INT count, RECT* rect, DWORD, D3DCOLOR color) {
    if (!string || !rect)
        return 0;
    size_t len = count < 0 ? std::strlen(string) : static_cast<size_t>(count);
    len = std::min<size_t>(len, 1024);
    std::string text(string, len);
    // stb_easy_font's glyphs are about 7 pixels high on a 12-pixel line.
    float scale = static_cast<float>(m_height) / 12.0f;
    static thread_local std::vector<char> buffer(1024 * 270);
    int quads = stb_easy_font_print(0, 0, text.data(), nullptr, buffer.data(), static_cast<int>(buffer.size()));
    ID3DXSprite* s = sprite ? sprite : m_pOwnSprite;
    bool own = !s->InBegin();
    if (own)
        s->Begin(0);
    float ox = static_cast<float>(rect->left), oy = static_cast<float>(rect->top);
    for (int q = 0; q < quads; ++q) {
        const float* v = reinterpret_cast<const float*>(buffer.data() + size_t(q) * 64);
        // Vertex 0 and 2 of the quad are opposite corners (16 bytes each).
        float x0 = v[0], y0 = v[1], x1 = v[8], y1 = v[9];
        float grow = m_bold ? 0.5f : 0.0f;
        s->AddRect(ox + x0 * scale - grow, oy + y0 * scale, ox + x1 * scale + grow, oy + y1 * scale, color);
    }
    if (own)
        s->End();
    return m_height;
}

HRESULT ID3DXFont::OnLostDevice() { return D3D_OK; }
HRESULT ID3DXFont::OnResetDevice() { return D3D_OK; }

HRESULT ID3DXFont::GetDevice(IDirect3DDevice9** device) {
    if (!device)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    *device = m_pDevice;
    return D3D_OK;
}
