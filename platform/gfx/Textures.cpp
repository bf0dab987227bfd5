// Textures and surfaces of the device on GL.
#include <algorithm>
#include <cstring>

#include "platform/gfx/GLResources.h"

namespace Platform {

bool GetGlFormat(D3DFORMAT format, GlFormat& out) {
    out = GlFormat{};
    switch (format) {
    case D3DFMT_A8R8G8B8:
        out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, 4};
        return true;
    case D3DFMT_X8R8G8B8:
        out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, 4};
        return true;
    case D3DFMT_R5G6B5:
        out = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false, 2};
        return true;
    case D3DFMT_L8:
        out = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, false, 1};
        return true;
    case D3DFMT_L16:
        out = {GL_R16, GL_RED, GL_UNSIGNED_SHORT, false, 2};
        return true;
    case D3DFMT_A16B16G16R16:
        out = {GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, false, 8};
        return true;
    case D3DFMT_R32F:
        out = {GL_R32F, GL_RED, GL_FLOAT, false, 4};
        return true;
    case D3DFMT_R16F:
        out = {GL_R16F, GL_RED, GL_HALF_FLOAT, false, 2};
        return true;
    case D3DFMT_G16R16F:
        out = {GL_RG16F, GL_RG, GL_HALF_FLOAT, false, 4};
        return true;
    case D3DFMT_A16B16G16R16F:
        out = {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false, 8};
        return true;
    case D3DFMT_G32R32F:
        out = {GL_RG32F, GL_RG, GL_FLOAT, false, 8};
        return true;
    case D3DFMT_A32B32G32R32F:
        out = {GL_RGBA32F, GL_RGBA, GL_FLOAT, false, 16};
        return true;
    case D3DFMT_DXT1:
        out = {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true, 0};
        return true;
    case D3DFMT_DXT3:
        out = {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, 0};
        return true;
    case D3DFMT_DXT5:
        out = {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true, 0};
        return true;
    default:
        return false;
    }
}

UINT SurfacePitch(D3DFORMAT format, UINT width) {
    GlFormat f;
    if (!GetGlFormat(format, f))
        return 0;
    if (f.compressed)
        return ((width + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return width * f.bytesPerPixel;
}

size_t SurfaceBytes(D3DFORMAT format, UINT width, UINT height) {
    GlFormat f;
    if (!GetGlFormat(format, f))
        return 0;
    size_t rows = f.compressed ? (height + 3) / 4 : height;
    return size_t(SurfacePitch(format, width)) * rows;
}

namespace {

UINT LevelCountFor(UINT levels, UINT w, UINT h, UINT d = 1) {
    UINT full = 1, m = std::max({w, h, d});
    while (m > 1) {
        m >>= 1;
        ++full;
    }
    return (levels == 0 || levels > full) ? full : levels;
}

void UploadLevel(GLenum target, UINT level, D3DFORMAT format, UINT w, UINT h, const std::vector<BYTE>& bytes) {
    GlFormat f;
    GetGlFormat(format, f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (f.compressed)
        glCompressedTexImage2D(target, static_cast<GLint>(level), f.internal, static_cast<GLsizei>(w),
                               static_cast<GLsizei>(h), 0, static_cast<GLsizei>(bytes.size()),
                               bytes.empty() ? nullptr : bytes.data());
    else
        glTexImage2D(target, static_cast<GLint>(level), static_cast<GLint>(f.internal), static_cast<GLsizei>(w),
                     static_cast<GLsizei>(h), 0, f.format, f.type, bytes.empty() ? nullptr : bytes.data());
}

void SwizzleLuminance(GLenum target) {
    // L8 reads as grey with alpha 1.
    GLint swz[4] = {GL_RED, GL_RED, GL_RED, GL_ONE};
    glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, swz);
}

} // namespace

// ---------------------------------------------------------------------------
GLTexture2D::GLTexture2D(IDirect3DDevice9* dev, UINT width, UINT height, UINT levelCount, DWORD use, D3DFORMAT fmt,
                         D3DPOOL pool)
    : IDirect3DTexture9(dev, D3DRTYPE_TEXTURE, pool), device(dev), format(fmt), usage(use) {
    UINT n = LevelCountFor(levelCount, width, height);
    if (usage & D3DUSAGE_RENDERTARGET)
        n = 1;
    levels.resize(n);
    UINT w = width, h = height;
    for (auto& l : levels) {
        l.width = w;
        l.height = h;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    if (!device->State().MakeCurrent())
        return;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(n - 1));
    for (UINT i = 0; i < n; ++i)
        UploadLevel(GL_TEXTURE_2D, i, format, levels[i].width, levels[i].height, {});
    if (format == D3DFMT_L8 || format == D3DFMT_L16)
        SwizzleLuminance(GL_TEXTURE_2D);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        name = 0;
    }
}

GLTexture2D::~GLTexture2D() {
    if (name && device->State().MakeCurrent())
        glDeleteTextures(1, &name);
}

void GLTexture2D::Upload(UINT l) {
    if (!name || l >= levels.size() || !device->State().MakeCurrent())
        return;
    glBindTexture(GL_TEXTURE_2D, name);
    UploadLevel(GL_TEXTURE_2D, l, format, levels[l].width, levels[l].height, levels[l].bytes);
}

void GLTexture2D::ReadBack() {
    if (!name || !device->State().MakeCurrent())
        return;
    GlFormat f;
    if (!GetGlFormat(format, f) || f.compressed)
        return;
    Level& l = levels[0];
    l.bytes.resize(SurfaceBytes(format, l.width, l.height));
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, f.format, f.type, l.bytes.data());
}

void GLTexture2D::GenerateMipSubLevels() {
    if (name && levels.size() > 1 && device->State().MakeCurrent()) {
        glBindTexture(GL_TEXTURE_2D, name);
        glGenerateMipmap(GL_TEXTURE_2D);
    }
}

HRESULT GLTexture2D::GetLevelDesc(UINT l, D3DSURFACE_DESC* desc) {
    if (!desc || l >= levels.size())
        return D3DERR_INVALIDCALL;
    *desc = {format, D3DRTYPE_SURFACE, usage, GetPool(), D3DMULTISAMPLE_NONE, 0, levels[l].width, levels[l].height};
    return D3D_OK;
}

HRESULT GLTexture2D::GetSurfaceLevel(UINT l, IDirect3DSurface9** surface) {
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (l >= levels.size())
        return D3DERR_INVALIDCALL;
    // The level surface is in the system pool as far as counting goes: the
    // texture it belongs to is what Reset waits for.
    auto* s = new GLSurface(device, GLSurface::TextureLevel, format, D3DPOOL_SYSTEMMEM, levels[l].width,
                            levels[l].height, usage);
    s->parent = this;
    s->level = l;
    AddRef();
    *surface = s;
    return D3D_OK;
}

HRESULT GLTexture2D::LockRect(UINT l, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!locked || l >= levels.size() || lockedLevel >= 0)
        return D3DERR_INVALIDCALL;
    Level& lv = levels[l];
    if ((usage & D3DUSAGE_RENDERTARGET) && l == 0)
        ReadBack();
    if (lv.bytes.empty())
        lv.bytes.assign(SurfaceBytes(format, lv.width, lv.height), 0);
    UINT pitch = SurfacePitch(format, lv.width);
    size_t offset = 0;
    if (rect) {
        GlFormat f;
        GetGlFormat(format, f);
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(lv.width) ||
            rect->bottom > static_cast<LONG>(lv.height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        offset = f.compressed ? size_t(rect->top / 4) * pitch + size_t(rect->left / 4) * (format == D3DFMT_DXT1 ? 8 : 16)
                              : size_t(rect->top) * pitch + size_t(rect->left) * f.bytesPerPixel;
    }
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = lv.bytes.data() + offset;
    lockedLevel = (flags & D3DLOCK_READONLY) ? -2 - static_cast<int>(l) : static_cast<int>(l);
    return D3D_OK;
}

HRESULT GLTexture2D::UnlockRect(UINT l) {
    if (lockedLevel == -1)
        return D3DERR_INVALIDCALL;
    bool readOnly = lockedLevel <= -2;
    UINT was = readOnly ? static_cast<UINT>(-2 - lockedLevel) : static_cast<UINT>(lockedLevel);
    if (was != l)
        return D3DERR_INVALIDCALL;
    lockedLevel = -1;
    if (!readOnly)
        Upload(l);
    return D3D_OK;
}

// ---------------------------------------------------------------------------
GLCubeTexture::GLCubeTexture(IDirect3DDevice9* dev, UINT e, UINT levels, DWORD, D3DFORMAT fmt, D3DPOOL pool)
    : IDirect3DCubeTexture9(dev, D3DRTYPE_CUBETEXTURE, pool), device(dev), format(fmt), edge(e),
      levelCount(LevelCountFor(levels, e, e)) {
    faces.resize(size_t(6) * levelCount);
    if (!device->State().MakeCurrent())
        return;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount - 1));
    for (UINT f = 0; f < 6; ++f)
        for (UINT l = 0, s = edge; l < levelCount; ++l, s = std::max(1u, s / 2))
            UploadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, l, format, s, s, {});
    if (format == D3DFMT_L8 || format == D3DFMT_L16)
        SwizzleLuminance(GL_TEXTURE_CUBE_MAP);
}

GLCubeTexture::~GLCubeTexture() {
    if (name && device->State().MakeCurrent())
        glDeleteTextures(1, &name);
}

HRESULT GLCubeTexture::GetLevelDesc(UINT l, D3DSURFACE_DESC* desc) {
    if (!desc || l >= levelCount)
        return D3DERR_INVALIDCALL;
    UINT s = std::max(1u, edge >> l);
    *desc = {format, D3DRTYPE_SURFACE, 0, GetPool(), D3DMULTISAMPLE_NONE, 0, s, s};
    return D3D_OK;
}

HRESULT GLCubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT l, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (!locked || face > D3DCUBEMAP_FACE_NEGATIVE_Z || l >= levelCount || rect)
        return D3DERR_INVALIDCALL;
    UINT s = std::max(1u, edge >> l);
    auto& bytes = faces[size_t(face) * levelCount + l];
    if (bytes.empty())
        bytes.assign(SurfaceBytes(format, s, s), 0);
    locked->Pitch = static_cast<INT>(SurfacePitch(format, s));
    locked->pBits = bytes.data();
    return D3D_OK;
}

HRESULT GLCubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT l) {
    if (face > D3DCUBEMAP_FACE_NEGATIVE_Z || l >= levelCount)
        return D3DERR_INVALIDCALL;
    if (name && device->State().MakeCurrent()) {
        UINT s = std::max(1u, edge >> l);
        glBindTexture(GL_TEXTURE_CUBE_MAP, name);
        UploadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, l, format, s, s, faces[size_t(face) * levelCount + l]);
    }
    return D3D_OK;
}

// ---------------------------------------------------------------------------
GLVolumeTexture::GLVolumeTexture(IDirect3DDevice9* dev, UINT w, UINT h, UINT d, UINT levels, DWORD, D3DFORMAT fmt,
                                 D3DPOOL pool)
    : IDirect3DVolumeTexture9(dev, D3DRTYPE_VOLUMETEXTURE, pool), device(dev), format(fmt), width(w), height(h),
      depth(d), levelCount(LevelCountFor(levels, w, h, d)) {
    this->levels.resize(levelCount);
    if (!device->State().MakeCurrent())
        return;
    GlFormat f;
    GetGlFormat(format, f);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_3D, name);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount - 1));
    for (UINT l = 0; l < levelCount; ++l)
        glTexImage3D(GL_TEXTURE_3D, static_cast<GLint>(l), static_cast<GLint>(f.internal),
                     static_cast<GLsizei>(std::max(1u, w >> l)), static_cast<GLsizei>(std::max(1u, h >> l)),
                     static_cast<GLsizei>(std::max(1u, d >> l)), 0, f.format, f.type, nullptr);
    if (format == D3DFMT_L8 || format == D3DFMT_L16)
        SwizzleLuminance(GL_TEXTURE_3D);
}

GLVolumeTexture::~GLVolumeTexture() {
    if (name && device->State().MakeCurrent())
        glDeleteTextures(1, &name);
}

HRESULT GLVolumeTexture::GetLevelDesc(UINT l, D3DVOLUME_DESC* desc) {
    if (!desc || l >= levelCount)
        return D3DERR_INVALIDCALL;
    *desc = {format, D3DRTYPE_VOLUME, 0, GetPool(), std::max(1u, width >> l), std::max(1u, height >> l),
             std::max(1u, depth >> l)};
    return D3D_OK;
}

HRESULT GLVolumeTexture::LockBox(UINT l, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD) {
    if (!locked || l >= levelCount || box)
        return D3DERR_INVALIDCALL;
    UINT w = std::max(1u, width >> l), h = std::max(1u, height >> l), d = std::max(1u, depth >> l);
    if (levels[l].empty())
        levels[l].assign(SurfaceBytes(format, w, h) * d, 0);
    locked->RowPitch = static_cast<INT>(SurfacePitch(format, w));
    locked->SlicePitch = static_cast<INT>(SurfaceBytes(format, w, h));
    locked->pBits = levels[l].data();
    return D3D_OK;
}

HRESULT GLVolumeTexture::UnlockBox(UINT l) {
    if (l >= levelCount)
        return D3DERR_INVALIDCALL;
    if (name && device->State().MakeCurrent()) {
        GlFormat f;
        GetGlFormat(format, f);
        glBindTexture(GL_TEXTURE_3D, name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage3D(GL_TEXTURE_3D, static_cast<GLint>(l), static_cast<GLint>(f.internal),
                     static_cast<GLsizei>(std::max(1u, width >> l)), static_cast<GLsizei>(std::max(1u, height >> l)),
                     static_cast<GLsizei>(std::max(1u, depth >> l)), 0, f.format, f.type, levels[l].data());
    }
    return D3D_OK;
}

// ---------------------------------------------------------------------------
GLSurface::GLSurface(IDirect3DDevice9* dev, Kind k, D3DFORMAT fmt, D3DPOOL pool, UINT w, UINT h, DWORD use)
    : IDirect3DSurface9(dev, D3DRTYPE_SURFACE, pool), kind(k), format(fmt), width(w), height(h), usage(use),
      device(dev) {
    if (kind == DepthStencil && device->State().MakeCurrent()) {
        glGenRenderbuffers(1, &renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(w),
                              static_cast<GLsizei>(h));
    }
}

GLSurface::~GLSurface() {
    if (renderbuffer && device->State().MakeCurrent())
        glDeleteRenderbuffers(1, &renderbuffer);
    if (parent)
        parent->Release();
}

HRESULT GLSurface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {format, D3DRTYPE_SURFACE, usage, GetPool(), D3DMULTISAMPLE_NONE, 0, width, height};
    return D3D_OK;
}

HRESULT GLSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (!lockedRect || locked)
        return D3DERR_INVALIDCALL;
    if (kind == TextureLevel)
        return parent->LockRect(level, lockedRect, rect, flags) == D3D_OK ? (locked = true, D3D_OK)
                                                                         : D3DERR_INVALIDCALL;
    if (kind == DepthStencil)
        return D3DERR_INVALIDCALL;
    if (kind == BackBuffer || kind == RenderTarget) {
        std::vector<DWORD> px;
        UINT w, h;
        if (!ReadSurfacePixels(this, px, w, h))
            return D3DERR_INVALIDCALL;
        memory.resize(px.size() * 4);
        std::memcpy(memory.data(), px.data(), memory.size());
    }
    if (memory.empty())
        memory.assign(SurfaceBytes(format, width, height), 0);
    UINT pitch = SurfacePitch(format, width);
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(width) ||
            rect->bottom > static_cast<LONG>(height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        offset = size_t(rect->top) * pitch + size_t(rect->left) * (pitch / std::max(1u, width));
    }
    lockedRect->Pitch = static_cast<INT>(pitch);
    lockedRect->pBits = memory.data() + offset;
    locked = true;
    return D3D_OK;
}

HRESULT GLSurface::UnlockRect() {
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    if (kind == TextureLevel)
        return parent->UnlockRect(level);
    return D3D_OK;
}

HRESULT GLSurface::GetContainer(REFIID riid, void** container) {
    if (!container)
        return D3DERR_INVALIDCALL;
    *container = nullptr;
    if (!parent)
        return E_NOINTERFACE;
    return parent->QueryInterface(riid, container);
}

GLuint TextureName(IDirect3DBaseTexture9* texture, GLenum* target) {
    if (!texture)
        return 0;
    switch (texture->GetType()) {
    case D3DRTYPE_TEXTURE:
        if (target)
            *target = GL_TEXTURE_2D;
        return static_cast<GLTexture2D*>(texture)->name;
    case D3DRTYPE_CUBETEXTURE:
        if (target)
            *target = GL_TEXTURE_CUBE_MAP;
        return static_cast<GLCubeTexture*>(texture)->name;
    case D3DRTYPE_VOLUMETEXTURE:
        if (target)
            *target = GL_TEXTURE_3D;
        return static_cast<GLVolumeTexture*>(texture)->name;
    default:
        return 0;
    }
}

} // namespace Platform
