// Resource creation, bindings, draw calls, render targets and surface copies.
//
// Draws run either the program of the effect pass in progress or the
// fixed-function program (FixedFunction.cpp): world, view and projection
// transforms, indexed or plain vertex blending with up to four weights over a
// palette of 256 world matrices, one directional light with the material,
// texture stage 0 (modulate, select) and the alpha test. Pre-transformed
// vertices (XYZRHW) are placed in pixels of the viewport.
#include <algorithm>
#include <cstring>

#include "platform/gfx/FixedFunction.h"
#include "platform/gfx/GLResources.h"

namespace Platform {

const char* const kAttributeNames[kAttrCount] = {
    "vPosition", "vBlendWeight", "vBlendIndices", "vNormal",    "vColor",     "vSpecular",  "vTangent",
    "vBinormal", "vTexCoord0",   "vTexCoord1",    "vTexCoord2", "vTexCoord3", "vTexCoord4", "vTexCoord5",
    "vTexCoord6", "vTexCoord7"};

bool HasContext(IDirect3DDevice9* device) { return device && device->State().context; }

void SetEffectProgram(IDirect3DDevice9* device, GLuint program) {
    if (device)
        Extras(device->State()).effectProgram = program;
}

namespace {

GLuint LocationOf(const D3DVERTEXELEMENT9& e) {
    switch (e.Usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT: return kAttrPosition;
    case D3DDECLUSAGE_BLENDWEIGHT: return kAttrBlendWeight;
    case D3DDECLUSAGE_BLENDINDICES: return kAttrBlendIndices;
    case D3DDECLUSAGE_NORMAL: return kAttrNormal;
    case D3DDECLUSAGE_COLOR: return e.UsageIndex ? kAttrSpecular : kAttrColor;
    case D3DDECLUSAGE_TANGENT: return kAttrTangent;
    case D3DDECLUSAGE_BINORMAL: return kAttrBinormal;
    case D3DDECLUSAGE_TEXCOORD: return e.UsageIndex < 8 ? kAttrTexCoord0 + e.UsageIndex : kAttrCount;
    default: return kAttrCount;
    }
}

void AttribPointer(GLuint loc, BYTE type, GLsizei stride, const void* offset) {
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
        glVertexAttribPointer(loc, type - D3DDECLTYPE_FLOAT1 + 1, GL_FLOAT, GL_FALSE, stride, offset);
        break;
    case D3DDECLTYPE_D3DCOLOR: glVertexAttribPointer(loc, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
    case D3DDECLTYPE_UBYTE4: glVertexAttribPointer(loc, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_UBYTE4N: glVertexAttribPointer(loc, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
    case D3DDECLTYPE_SHORT2: glVertexAttribPointer(loc, 2, GL_SHORT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_SHORT4: glVertexAttribPointer(loc, 4, GL_SHORT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_SHORT2N: glVertexAttribPointer(loc, 2, GL_SHORT, GL_TRUE, stride, offset); break;
    case D3DDECLTYPE_SHORT4N: glVertexAttribPointer(loc, 4, GL_SHORT, GL_TRUE, stride, offset); break;
    case D3DDECLTYPE_FLOAT16_2: glVertexAttribPointer(loc, 2, GL_HALF_FLOAT, GL_FALSE, stride, offset); break;
    case D3DDECLTYPE_FLOAT16_4: glVertexAttribPointer(loc, 4, GL_HALF_FLOAT, GL_FALSE, stride, offset); break;
    default: glDisableVertexAttribArray(loc); return;
    }
    glEnableVertexAttribArray(loc);
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type, UINT count, GLsizei& vertices) {
    switch (type) {
    case D3DPT_POINTLIST: vertices = static_cast<GLsizei>(count); return GL_POINTS;
    case D3DPT_LINELIST: vertices = static_cast<GLsizei>(count * 2); return GL_LINES;
    case D3DPT_LINESTRIP: vertices = static_cast<GLsizei>(count + 1); return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: vertices = static_cast<GLsizei>(count * 3); return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: vertices = static_cast<GLsizei>(count + 2); return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: vertices = static_cast<GLsizei>(count + 2); return GL_TRIANGLE_FAN;
    default: vertices = 0; return GL_TRIANGLES;
    }
}

// Binds the program, its uniforms, the textures and the vertex layout.
// `upData`: vertices given by the caller for stream 0 (the *UP draws).
bool PrepareDraw(DeviceState& s, const void* upData, UINT upStride, UINT upBytes) {
    if (!s.MakeCurrent())
        return false;
    DrawExtras& x = Extras(s);
    glBindVertexArray(s.vertexArray);
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);

    std::vector<D3DVERTEXELEMENT9> decl;
    if (s.declaration)
        decl = static_cast<GLVertexDeclaration*>(s.declaration)->elements;
    else if (!DeclarationFromFvf(s.fvf, decl))
        return false;
    bool pretransformed = false, hasColor = false;
    for (const auto& e : decl) {
        pretransformed |= e.Usage == D3DDECLUSAGE_POSITIONT;
        hasColor |= e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 0;
    }

    GLuint program = x.effectProgram;
    if (!program) {
        program = UseFixedFunction(s, pretransformed, hasColor);
        if (!program)
            return false;
    } else {
        glUseProgram(program);
    }
    const GLint clip = program == x.fixedProgram ? x.fixedUniforms[kUClipAdjust]
                                                 : glGetUniformLocation(program, "vorna_ClipAdjust");
    if (clip >= 0)
        glUniform2f(clip, s.targetTopDown ? -1.0f : 1.0f, s.gl.clipControl ? 0.0f : 1.0f);

    for (DWORD i = 0; i < kD3DSamplerCount; ++i) {
        GLenum target = GL_TEXTURE_2D;
        GLuint name = TextureName(s.textures[i], &target);
        if (!name)
            continue;
        glActiveTexture(GL_TEXTURE0 + i);
        glBindTexture(target, name);
    }
    glActiveTexture(GL_TEXTURE0);

    // Vertex layout: every attribute off, then the declaration's elements on.
    for (GLuint l = 0; l < kAttrCount; ++l)
        glDisableVertexAttribArray(l);
    glVertexAttrib4f(kAttrColor, 1, 1, 1, 1);
    glVertexAttrib4f(kAttrBlendWeight, 0, 0, 0, 0);
    glVertexAttrib4f(kAttrBlendIndices, 0, 1, 2, 3);
    glVertexAttrib4f(kAttrNormal, 0, 1, 0, 0);
    for (const auto& e : decl) {
        GLuint loc = LocationOf(e);
        if (loc >= kAttrCount || e.Stream >= kMaxStreams)
            continue;
        const BYTE* base = nullptr;
        UINT stride;
        if (upData && e.Stream == 0) {
            if (!x.upBuffer)
                glGenBuffers(1, &x.upBuffer);
            glBindBuffer(GL_ARRAY_BUFFER, x.upBuffer);
            stride = upStride;
        } else {
            const StreamBinding& b = s.streams[e.Stream];
            if (!b.buffer)
                return false;
            static_cast<GLVertexBuffer*>(b.buffer)->Bind();
            base += b.offset;
            stride = b.stride;
        }
        AttribPointer(loc, e.Type, static_cast<GLsizei>(stride), base + e.Offset);
    }
    if (upData) {
        glBindBuffer(GL_ARRAY_BUFFER, x.upBuffer);
        glBufferData(GL_ARRAY_BUFFER, upBytes, upData, GL_STREAM_DRAW);
    }
    return true;
}

// Binds the current render target and depth-stencil surface to GL.
void BindTargets(DeviceState& s) {
    if (!s.MakeCurrent())
        return;
    DrawExtras& x = Extras(s);
    auto* rt = static_cast<GLSurface*>(s.renderTargets[0]);
    if (!rt) {
        s.framebuffer = 0;
        s.targetTopDown = false;
        s.targetWidth = s.params.BackBufferWidth;
        s.targetHeight = s.params.BackBufferHeight;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return;
    }
    if (!x.fbo)
        glGenFramebuffers(1, &x.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, x.fbo);
    if (rt->kind == GLSurface::TextureLevel)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, rt->parent->name,
                               static_cast<GLint>(rt->level));
    auto* ds = static_cast<GLSurface*>(s.depthStencil);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              ds && ds->renderbuffer && ds->width >= rt->width && ds->height >= rt->height
                                  ? ds->renderbuffer
                                  : 0);
    s.framebuffer = x.fbo;
    s.targetTopDown = true;
    s.targetWidth = rt->width;
    s.targetHeight = rt->height;
}

} // namespace

bool ReadSurfacePixels(IDirect3DSurface9* surface, std::vector<DWORD>& out, UINT& width, UINT& height) {
    auto* surf = static_cast<GLSurface*>(surface);
    if (!surf)
        return false;
    DeviceState& s = surf->device->State();
    width = surf->width;
    height = surf->height;
    out.assign(size_t(width) * height, 0);
    if (surf->kind == GLSurface::TextureLevel) {
        GLTexture2D* t = surf->parent;
        if (surf->format != D3DFMT_A8R8G8B8 && surf->format != D3DFMT_X8R8G8B8)
            return false;
        if ((t->usage & D3DUSAGE_RENDERTARGET) && surf->level == 0)
            t->ReadBack();
        const auto& bytes = t->levels[surf->level].bytes;
        if (bytes.size() < out.size() * 4)
            return false;
        std::memcpy(out.data(), bytes.data(), out.size() * 4);
        return true;
    }
    if (surf->kind == GLSurface::Offscreen) {
        if (surf->memory.size() < out.size() * 4)
            return false;
        std::memcpy(out.data(), surf->memory.data(), out.size() * 4);
        return true;
    }
    if (surf->kind != GLSurface::BackBuffer || !s.MakeCurrent())
        return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<DWORD> rows(out.size());
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
    for (UINT r = 0; r < height; ++r)
        std::copy_n(rows.data() + size_t(height - 1 - r) * width, width, out.data() + size_t(r) * width);
    return true;
}

} // namespace Platform

using namespace Platform;

// ---------------------------------------------------------------------------
// Creation.
namespace {
template <class T>
HRESULT Hand(T* object, bool valid, T** out) {
    if (!valid) {
        object->Release();
        return D3DERR_NOTAVAILABLE;
    }
    *out = object;
    return D3D_OK;
}
bool SaneSize(UINT w, UINT h) { return w > 0 && h > 0 && w <= 16384 && h <= 16384; }
} // namespace

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE*) {
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    GlFormat f;
    if (!SaneSize(width, height) || !GetGlFormat(format, f))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    auto* t = new GLTexture2D(this, width, height, levels, usage, format, pool);
    return Hand<IDirect3DTexture9>(t, t->Valid(), texture);
}

HRESULT IDirect3DDevice9::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DCubeTexture9** texture, HANDLE*) {
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    GlFormat f;
    if (!SaneSize(edgeLength, edgeLength) || !GetGlFormat(format, f))
        return D3DERR_INVALIDCALL;
    auto* t = new GLCubeTexture(this, edgeLength, levels, usage, format, pool);
    return Hand<IDirect3DCubeTexture9>(t, t->name || !m_pState->context, texture);
}

HRESULT IDirect3DDevice9::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                              D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                              HANDLE*) {
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    GlFormat f;
    if (!SaneSize(width, height) || depth == 0 || depth > 2048 || !GetGlFormat(format, f) || f.compressed)
        return D3DERR_INVALIDCALL;
    auto* t = new GLVolumeTexture(this, width, height, depth, levels, usage, format, pool);
    return Hand<IDirect3DVolumeTexture9>(t, t->name || !m_pState->context, texture);
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** buffer, HANDLE*) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || length > (512u << 20))
        return D3DERR_INVALIDCALL;
    *buffer = new GLVertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DIndexBuffer9** buffer, HANDLE*) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || length > (512u << 20) || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    *buffer = new GLIndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE, DWORD,
                                             BOOL, IDirect3DSurface9** surface, HANDLE*) {
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    // A render target is the level of a texture of its own.
    IDirect3DTexture9* t = nullptr;
    HRESULT hr = CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &t, nullptr);
    if (FAILED(hr))
        return hr;
    hr = t->GetSurfaceLevel(0, surface);
    t->Release();
    return hr;
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE,
                                                    DWORD, BOOL, IDirect3DSurface9** surface, HANDLE*) {
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!SaneSize(width, height))
        return D3DERR_INVALIDCALL;
    auto* s = new GLSurface(this, GLSurface::DepthStencil, format, D3DPOOL_DEFAULT, width, height,
                            D3DUSAGE_DEPTHSTENCIL);
    return Hand<IDirect3DSurface9>(s, s->renderbuffer || !m_pState->context, surface);
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                      IDirect3DSurface9** surface, HANDLE*) {
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    GlFormat f;
    if (!SaneSize(width, height) || !GetGlFormat(format, f))
        return D3DERR_INVALIDCALL;
    auto* s = new GLSurface(this, GLSurface::Offscreen, format, pool, width, height, 0);
    s->memory.assign(SurfaceBytes(format, width, height), 0);
    *surface = s;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                  IDirect3DVertexDeclaration9** declaration) {
    if (!declaration || !elements)
        return D3DERR_INVALIDCALL;
    *declaration = nullptr;
    size_t n = 0;
    while (n < MAXD3DDECLLENGTH && elements[n].Stream != 0xFF)
        ++n;
    if (n == MAXD3DDECLLENGTH)
        return D3DERR_INVALIDCALL;
    *declaration = new GLVertexDeclaration(this, elements, n);
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Bindings.
namespace {
template <class T>
void Rebind(T*& slot, T* value) {
    if (value)
        value->AddRef();
    if (slot)
        slot->Release();
    slot = value;
}
template <class T>
HRESULT Give(T* value, T** out) {
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = value;
    if (value)
        value->AddRef();
    return D3D_OK;
}
} // namespace

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kD3DSamplerCount)
        return D3DERR_INVALIDCALL;
    Rebind(m_pState->textures[stage], texture);
    return D3D_OK;
}
HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    if (stage >= kD3DSamplerCount)
        return D3DERR_INVALIDCALL;
    return Give(m_pState->textures[stage], texture);
}
HRESULT IDirect3DDevice9::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                                          UINT stride) {
    if (streamNumber >= kMaxStreams)
        return D3DERR_INVALIDCALL;
    StreamBinding& b = m_pState->streams[streamNumber];
    Rebind(b.buffer, streamData);
    b.offset = offsetInBytes;
    b.stride = stride;
    return D3D_OK;
}
HRESULT IDirect3DDevice9::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** streamData,
                                          UINT* offsetInBytes, UINT* stride) {
    if (streamNumber >= kMaxStreams || !offsetInBytes || !stride)
        return D3DERR_INVALIDCALL;
    *offsetInBytes = m_pState->streams[streamNumber].offset;
    *stride = m_pState->streams[streamNumber].stride;
    return Give(m_pState->streams[streamNumber].buffer, streamData);
}
HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* indexData) {
    Rebind(m_pState->indices, indexData);
    return D3D_OK;
}
HRESULT IDirect3DDevice9::GetIndices(IDirect3DIndexBuffer9** indexData) { return Give(m_pState->indices, indexData); }
HRESULT IDirect3DDevice9::SetFVF(DWORD fvf) {
    std::vector<D3DVERTEXELEMENT9> check;
    if (fvf && !DeclarationFromFvf(fvf, check))
        return D3DERR_INVALIDCALL;
    m_pState->fvf = fvf;
    SafeReleaseCom(m_pState->declaration);
    return D3D_OK;
}
HRESULT IDirect3DDevice9::GetFVF(DWORD* fvf) {
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = m_pState->fvf;
    return D3D_OK;
}
HRESULT IDirect3DDevice9::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    Rebind(m_pState->declaration, declaration);
    m_pState->fvf = 0;
    return D3D_OK;
}
HRESULT IDirect3DDevice9::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    return Give(m_pState->declaration, declaration);
}

// ---------------------------------------------------------------------------
// Draws.
HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) {
    GLsizei n = 0;
    GLenum mode = PrimitiveMode(primitiveType, primitiveCount, n);
    if (n == 0)
        return D3DERR_INVALIDCALL;
    if (!m_pState->context)
        return D3D_OK;
    if (!PrepareDraw(*m_pState, nullptr, 0, 0))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(startVertex), n);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, INT baseVertexIndex, UINT,
                                               UINT, UINT startIndex, UINT primCount) {
    GLsizei n = 0;
    GLenum mode = PrimitiveMode(primitiveType, primCount, n);
    auto* ib = static_cast<GLIndexBuffer*>(m_pState->indices);
    if (n == 0 || !ib)
        return D3DERR_INVALIDCALL;
    size_t isz = ib->format == D3DFMT_INDEX32 ? 4 : 2;
    if ((size_t(startIndex) + size_t(n)) * isz > ib->bytes.size())
        return D3DERR_INVALIDCALL;
    if (!m_pState->context)
        return D3D_OK;
    if (!PrepareDraw(*m_pState, nullptr, 0, 0))
        return D3DERR_INVALIDCALL;
    ib->Bind();
    glDrawElementsBaseVertex(mode, n, isz == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(startIndex * isz), baseVertexIndex);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                          const void* vertexStreamZeroData, UINT vertexStreamZeroStride) {
    GLsizei n = 0;
    GLenum mode = PrimitiveMode(primitiveType, primitiveCount, n);
    if (n == 0 || !vertexStreamZeroData || !vertexStreamZeroStride)
        return D3DERR_INVALIDCALL;
    if (!m_pState->context)
        return D3D_OK;
    if (!PrepareDraw(*m_pState, vertexStreamZeroData, vertexStreamZeroStride,
                     static_cast<UINT>(n) * vertexStreamZeroStride))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, 0, n);
    // Direct3D unbinds stream 0 after a *UP draw.
    SetStreamSource(0, nullptr, 0, 0);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                                 UINT numVertices, UINT primitiveCount, const void* indexData,
                                                 D3DFORMAT indexDataFormat, const void* vertexStreamZeroData,
                                                 UINT vertexStreamZeroStride) {
    GLsizei n = 0;
    GLenum mode = PrimitiveMode(primitiveType, primitiveCount, n);
    if (n == 0 || !indexData || !vertexStreamZeroData || !vertexStreamZeroStride)
        return D3DERR_INVALIDCALL;
    if (!m_pState->context)
        return D3D_OK;
    if (!PrepareDraw(*m_pState, vertexStreamZeroData, vertexStreamZeroStride,
                     (minVertexIndex + numVertices) * vertexStreamZeroStride))
        return D3DERR_INVALIDCALL;
    DrawExtras& x = Extras(*m_pState);
    if (!x.upIndexBuffer)
        glGenBuffers(1, &x.upIndexBuffer);
    size_t isz = indexDataFormat == D3DFMT_INDEX32 ? 4 : 2;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, x.upIndexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(isz * n), indexData, GL_STREAM_DRAW);
    glDrawElements(mode, n, isz == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    SetStreamSource(0, nullptr, 0, 0);
    SetIndices(nullptr);
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Render targets and surfaces.
HRESULT IDirect3DDevice9::GetBackBuffer(UINT, UINT backBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
    if (!surface || backBuffer != 0)
        return D3DERR_INVALIDCALL;
    // Counted with the system pool: holding the back buffer does not block Reset.
    *surface = new GLSurface(this, GLSurface::BackBuffer, m_pState->params.BackBufferFormat == D3DFMT_UNKNOWN
                                                               ? D3DFMT_X8R8G8B8
                                                               : m_pState->params.BackBufferFormat,
                             D3DPOOL_SYSTEMMEM, m_pState->params.BackBufferWidth,
                             m_pState->params.BackBufferHeight, D3DUSAGE_RENDERTARGET);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (!surface || index >= kMaxRenderTargets)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (m_pState->renderTargets[index])
        return Give(m_pState->renderTargets[index], surface);
    if (index == 0)
        return GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface);
    return D3DERR_NOTFOUND;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    if (index >= kMaxRenderTargets || (index == 0 && !surface))
        return D3DERR_INVALIDCALL;
    auto* s = static_cast<GLSurface*>(surface);
    if (s && s->kind != GLSurface::BackBuffer &&
        !(s->kind == GLSurface::TextureLevel && (s->usage & D3DUSAGE_RENDERTARGET)))
        return D3DERR_INVALIDCALL;
    if (index != 0)
        return D3D_OK; // one target at a time here
    Rebind(m_pState->renderTargets[0], s && s->kind == GLSurface::BackBuffer ? nullptr : surface);
    BindTargets(*m_pState);
    D3DVIEWPORT9 vp{0, 0, m_pState->targetWidth, m_pState->targetHeight, 0.0f, 1.0f};
    if (!s || s->kind != GLSurface::BackBuffer)
        vp = {0, 0, s->width, s->height, 0.0f, 1.0f};
    if (s && s->kind == GLSurface::BackBuffer) {
        m_pState->targetWidth = m_pState->params.BackBufferWidth;
        m_pState->targetHeight = m_pState->params.BackBufferHeight;
        vp = {0, 0, m_pState->targetWidth, m_pState->targetHeight, 0.0f, 1.0f};
    }
    m_pState->viewport = vp;
    m_pState->ApplyViewport();
    m_pState->ApplyCullMode();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (m_pState->depthStencil)
        return Give(m_pState->depthStencil, surface);
    if (!m_pState->params.EnableAutoDepthStencil)
        return D3DERR_NOTFOUND;
    // The window's own depth buffer, stood for by a surface without storage.
    *surface = new GLSurface(this, GLSurface::DepthStencil, m_pState->params.AutoDepthStencilFormat,
                             D3DPOOL_SYSTEMMEM, m_pState->params.BackBufferWidth,
                             m_pState->params.BackBufferHeight, D3DUSAGE_DEPTHSTENCIL);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    auto* s = static_cast<GLSurface*>(surface);
    if (s && s->kind != GLSurface::DepthStencil)
        return D3DERR_INVALIDCALL;
    Rebind(m_pState->depthStencil, s && s->renderbuffer ? surface : nullptr);
    BindTargets(*m_pState);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::StretchRect(IDirect3DSurface9* source, const RECT*, IDirect3DSurface9* dest, const RECT*,
                                      D3DTEXTUREFILTERTYPE) {
    std::vector<DWORD> px;
    UINT w, h;
    auto* d = static_cast<GLSurface*>(dest);
    if (!d || !ReadSurfacePixels(source, px, w, h))
        return D3DERR_INVALIDCALL;
    if (d->kind != GLSurface::TextureLevel || d->width != w || d->height != h)
        return D3DERR_INVALIDCALL;
    auto& bytes = d->parent->levels[d->level].bytes;
    bytes.resize(px.size() * 4);
    std::memcpy(bytes.data(), px.data(), bytes.size());
    d->parent->Upload(d->level);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destSurface) {
    std::vector<DWORD> px;
    UINT w, h;
    auto* d = static_cast<GLSurface*>(destSurface);
    if (!d || d->kind != GLSurface::Offscreen || !ReadSurfacePixels(renderTarget, px, w, h) || d->width != w ||
        d->height != h || d->memory.size() != px.size() * 4)
        return D3DERR_INVALIDCALL;
    std::memcpy(d->memory.data(), px.data(), d->memory.size());
    return D3D_OK;
}

HRESULT IDirect3DDevice9::UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*) {
    return E_NOTIMPL;
}
HRESULT IDirect3DDevice9::UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) { return E_NOTIMPL; }
HRESULT IDirect3DDevice9::ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) { return E_NOTIMPL; }
