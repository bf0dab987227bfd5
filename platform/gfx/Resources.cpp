// Reference counting shared by the device, the Direct3D object and every
// resource, and the interface identifiers of QueryInterface.
#include "platform/gfx/DeviceState.h"

#include <cstring>

const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID IID_IDirect3DResource9 = {0x05eec05d, 0x8f7d, 0x4362, {0xb9, 0x99, 0xd1, 0xba, 0xf3, 0x57, 0xc7, 0x04}};
const GUID IID_IDirect3DBaseTexture9 = {0x580ca87e, 0x1d3c, 0x4d54, {0x99, 0x1d, 0xb7, 0xd3, 0xe3, 0xc2, 0x98, 0xce}};
const GUID IID_IDirect3DTexture9 = {0x85c31227, 0x3de5, 0x4f00, {0x9b, 0x3a, 0xf1, 0x1a, 0xc3, 0x8c, 0x18, 0xb5}};
const GUID IID_IDirect3DCubeTexture9 = {0xfff32f81, 0xd953, 0x473a, {0x92, 0x23, 0x93, 0xd6, 0x52, 0xab, 0xa9, 0x3f}};
const GUID IID_IDirect3DVolumeTexture9 = {0x2518526c, 0xe789, 0x4111, {0xa7, 0xb9, 0x47, 0xef, 0x32, 0x8d, 0x13, 0xe6}};
const GUID IID_IDirect3DSurface9 = {0x0cfbaf3a, 0x9ff6, 0x429a, {0x99, 0xb3, 0xa2, 0x79, 0x6a, 0xf8, 0xb8, 0x9b}};
const GUID IID_IDirect3DVertexBuffer9 = {0xb64bb1b5, 0xfd70, 0x4df6, {0xbf, 0x91, 0x19, 0xd0, 0xa1, 0x24, 0x55, 0xe3}};
const GUID IID_IDirect3DIndexBuffer9 = {0x7c9dd65e, 0xd3f7, 0x4529, {0xac, 0xee, 0x78, 0x58, 0x30, 0xac, 0xde, 0x35}};

bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

ULONG IUnknown::AddRef() { return ++m_refCount; }

ULONG IUnknown::Release() {
    const ULONG left = --m_refCount;
    if (left == 0) delete this;
    return left;
}

HRESULT IUnknown::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown) {
        AddRef();
        *object = this;
        return S_OK;
    }
    return E_NOINTERFACE;
}

IDirect3DResource9::IDirect3DResource9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool)
    : m_pDevice(device), m_type(type), m_pool(pool) {
    if (m_pDevice) {
        m_pDevice->AddRef();
        if (m_pool == D3DPOOL_DEFAULT) ++m_pDevice->State().liveDefaultPool;
    }
}

IDirect3DResource9::~IDirect3DResource9() {
    if (m_pDevice) {
        if (m_pool == D3DPOOL_DEFAULT) --m_pDevice->State().liveDefaultPool;
        m_pDevice->Release();
    }
}

HRESULT IDirect3DResource9::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = m_pDevice;
    if (!m_pDevice) return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    return D3D_OK;
}

DWORD IDirect3DResource9::SetPriority(DWORD priority) {
    const DWORD old = m_priority;
    m_priority = priority;
    return old;
}

DWORD IDirect3DResource9::GetPriority() { return m_priority; }

HRESULT IDirect3DResource9::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    bool match = riid == IID_IUnknown || riid == IID_IDirect3DResource9;
    switch (m_type) {
    case D3DRTYPE_SURFACE: match = match || riid == IID_IDirect3DSurface9; break;
    case D3DRTYPE_TEXTURE:
        match = match || riid == IID_IDirect3DBaseTexture9 || riid == IID_IDirect3DTexture9;
        break;
    case D3DRTYPE_CUBETEXTURE:
        match = match || riid == IID_IDirect3DBaseTexture9 || riid == IID_IDirect3DCubeTexture9;
        break;
    case D3DRTYPE_VOLUMETEXTURE:
        match = match || riid == IID_IDirect3DBaseTexture9 || riid == IID_IDirect3DVolumeTexture9;
        break;
    case D3DRTYPE_VERTEXBUFFER: match = match || riid == IID_IDirect3DVertexBuffer9; break;
    case D3DRTYPE_INDEXBUFFER: match = match || riid == IID_IDirect3DIndexBuffer9; break;
    default: break;
    }
    if (!match) return E_NOINTERFACE;
    AddRef();
    // The interfaces form one single-inheritance chain, so `this` is the
    // address of every interface it has.
    *object = this;
    return S_OK;
}
