// Vertex and index buffers and vertex declarations of the device on GL. The
// buffers keep their bytes in memory; GL gets them at the next draw after a
// write.
#include <cstring>

#include "platform/gfx/GLResources.h"

namespace Platform {

namespace {
HRESULT LockBytes(std::vector<BYTE>& bytes, UINT offset, UINT size, void** data) {
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (offset > bytes.size() || (size && uint64_t(offset) + size > bytes.size()))
        return D3DERR_INVALIDCALL;
    *data = bytes.data() + offset;
    return D3D_OK;
}
} // namespace

GLVertexBuffer::GLVertexBuffer(IDirect3DDevice9* dev, UINT length, DWORD use, DWORD f, D3DPOOL pool)
    : IDirect3DVertexBuffer9(dev, D3DRTYPE_VERTEXBUFFER, pool), device(dev), bytes(length, 0), usage(use), fvf(f) {}

GLVertexBuffer::~GLVertexBuffer() {
    if (name && device->State().MakeCurrent())
        glDeleteBuffers(1, &name);
}

HRESULT GLVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    HRESULT hr = LockBytes(bytes, offset, size, data);
    if (SUCCEEDED(hr) && !(flags & D3DLOCK_READONLY))
        dirty = true;
    return hr;
}

HRESULT GLVertexBuffer::Unlock() { return D3D_OK; }

HRESULT GLVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, GetPool(), static_cast<UINT>(bytes.size()), fvf};
    return D3D_OK;
}

GLuint GLVertexBuffer::Bind() {
    if (!name)
        glGenBuffers(1, &name);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    if (dirty) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes.size()), bytes.data(),
                     (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        dirty = false;
    }
    return name;
}

GLIndexBuffer::GLIndexBuffer(IDirect3DDevice9* dev, UINT length, DWORD use, D3DFORMAT fmt, D3DPOOL pool)
    : IDirect3DIndexBuffer9(dev, D3DRTYPE_INDEXBUFFER, pool), device(dev), bytes(length, 0), usage(use),
      format(fmt) {}

GLIndexBuffer::~GLIndexBuffer() {
    if (name && device->State().MakeCurrent())
        glDeleteBuffers(1, &name);
}

HRESULT GLIndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    HRESULT hr = LockBytes(bytes, offset, size, data);
    if (SUCCEEDED(hr) && !(flags & D3DLOCK_READONLY))
        dirty = true;
    return hr;
}

HRESULT GLIndexBuffer::Unlock() { return D3D_OK; }

HRESULT GLIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {format, D3DRTYPE_INDEXBUFFER, usage, GetPool(), static_cast<UINT>(bytes.size())};
    return D3D_OK;
}

GLuint GLIndexBuffer::Bind() {
    if (!name)
        glGenBuffers(1, &name);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    if (dirty) {
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes.size()), bytes.data(),
                     (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        dirty = false;
    }
    return name;
}

GLVertexDeclaration::GLVertexDeclaration(IDirect3DDevice9* dev, const D3DVERTEXELEMENT9* e, size_t count)
    : device(dev), elements(e, e + count) {
    device->AddRef();
}

GLVertexDeclaration::~GLVertexDeclaration() { device->Release(); }

HRESULT GLVertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* out, UINT* numElements) {
    if (!numElements)
        return D3DERR_INVALIDCALL;
    if (out) {
        std::copy(elements.begin(), elements.end(), out);
        out[elements.size()] = D3DDECL_END();
    }
    *numElements = static_cast<UINT>(elements.size() + 1);
    return D3D_OK;
}

HRESULT GLVertexDeclaration::GetDevice(IDirect3DDevice9** out) {
    if (!out)
        return D3DERR_INVALIDCALL;
    device->AddRef();
    *out = device;
    return D3D_OK;
}

} // namespace Platform
