// Resource creation, bindings, draw calls, render targets and surface copies.
// This area of the device is not done yet: every call answers E_NOTIMPL and
// changes nothing, so callers take their documented failure paths.
#include "platform/gfx/DeviceState.h"

HRESULT IDirect3DDevice9::CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9** texture,
                                        HANDLE*) {
    if (texture) *texture = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9** texture,
                                            HANDLE*) {
    if (texture) *texture = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                              IDirect3DVolumeTexture9** texture, HANDLE*) {
    if (texture) *texture = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9** buffer, HANDLE*) {
    if (buffer) *buffer = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9** buffer,
                                            HANDLE*) {
    if (buffer) *buffer = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                             IDirect3DSurface9** surface, HANDLE*) {
    if (surface) *surface = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                                    IDirect3DSurface9** surface, HANDLE*) {
    if (surface) *surface = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9** surface,
                                                      HANDLE*) {
    if (surface) *surface = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::CreateVertexDeclaration(const D3DVERTEXELEMENT9*,
                                                  IDirect3DVertexDeclaration9** declaration) {
    if (declaration) *declaration = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::SetTexture(DWORD, IDirect3DBaseTexture9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::GetTexture(DWORD, IDirect3DBaseTexture9** texture) {
    if (texture) *texture = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::GetStreamSource(UINT, IDirect3DVertexBuffer9** streamData, UINT*, UINT*) {
    if (streamData) *streamData = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::GetIndices(IDirect3DIndexBuffer9** indexData) {
    if (indexData) *indexData = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::SetFVF(DWORD) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::GetFVF(DWORD*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::SetVertexDeclaration(IDirect3DVertexDeclaration9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    if (declaration) *declaration = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                                                 const void*, UINT) {
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
    if (surface) *surface = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::GetRenderTarget(DWORD, IDirect3DSurface9** surface) {
    if (surface) *surface = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::SetRenderTarget(DWORD, IDirect3DSurface9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (surface) *surface = nullptr;
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                                      D3DTEXTUREFILTERTYPE) {
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*) {
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) { return E_NOTIMPL; }
