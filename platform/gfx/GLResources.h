#pragma once
// The device's resource objects on GL: textures, surfaces, vertex and index
// buffers and vertex declarations, and the services the draw calls and the
// effect framework share. Only platform/gfx and platform/d3dx include this.
//
// Textures keep a copy of every level in memory (managed and system-memory
// pools, and whatever was locked), so LockRect works on every level and a
// texture survives anything but its own release. Rows are stored top row
// first, which makes Direct3D texture coordinates (v down) read them upright.
// Render-target textures are drawn with a y flip for the same reason.
#include "platform/gfx/DeviceState.h"

#include <vector>

namespace Platform {

// Vertex attribute locations by declaration usage. Effect shaders name their
// inputs with these names and get these locations.
enum AttributeLocation : GLuint {
    kAttrPosition = 0,     // vPosition
    kAttrBlendWeight = 1,  // vBlendWeight
    kAttrBlendIndices = 2, // vBlendIndices (0..255 as floats)
    kAttrNormal = 3,       // vNormal
    kAttrColor = 4,        // vColor (BGRA bytes read as RGBA)
    kAttrSpecular = 5,     // vSpecular
    kAttrTangent = 6,      // vTangent
    kAttrBinormal = 7,     // vBinormal
    kAttrTexCoord0 = 8,    // vTexCoord0 .. vTexCoord7
    kAttrCount = 16
};
extern const char* const kAttributeNames[kAttrCount];

// Format facts: GL upload formats and bytes per pixel (0 for compressed).
struct GlFormat {
    GLenum internal = 0, format = 0, type = 0;
    bool compressed = false;
    UINT bytesPerPixel = 0;
};
bool GetGlFormat(D3DFORMAT format, GlFormat& out);
UINT SurfacePitch(D3DFORMAT format, UINT width);
size_t SurfaceBytes(D3DFORMAT format, UINT width, UINT height);

class GLTexture2D;

// A plain surface: a level of a texture, a render target, a depth-stencil
// surface, an offscreen plain surface or the back buffer.
class GLSurface : public IDirect3DSurface9 {
public:
    enum Kind { TextureLevel, RenderTarget, DepthStencil, Offscreen, BackBuffer };
    GLSurface(IDirect3DDevice9* device, Kind kind, D3DFORMAT format, D3DPOOL pool, UINT width, UINT height,
              DWORD usage);
    ~GLSurface() override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    HRESULT GetContainer(REFIID riid, void** container) override;

    Kind kind;
    D3DFORMAT format;
    UINT width, height;
    DWORD usage;
    GLTexture2D* parent = nullptr; // TextureLevel: the texture (holds a reference)
    UINT level = 0;
    GLuint renderbuffer = 0;       // RenderTarget / DepthStencil
    std::vector<BYTE> memory;      // Offscreen, and locked copies
    bool locked = false;
    IDirect3DDevice9* device;
};

class GLTexture2D : public IDirect3DTexture9 {
public:
    GLTexture2D(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                D3DPOOL pool);
    ~GLTexture2D() override;
    bool Valid() const { return name != 0 || !device->State().context; }
    DWORD SetLOD(DWORD) override { return 0; }
    DWORD GetLOD() override { return 0; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels.size()); }
    HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override { return D3D_OK; }
    D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return D3DTEXF_LINEAR; }
    void GenerateMipSubLevels() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT AddDirtyRect(const RECT*) override { return D3D_OK; }

    // Sends level l of the memory copy to GL.
    void Upload(UINT l);
    // Reads level 0 of a render target back into memory.
    void ReadBack();

    struct Level {
        UINT width, height;
        std::vector<BYTE> bytes;
    };
    IDirect3DDevice9* device;
    D3DFORMAT format;
    DWORD usage;
    std::vector<Level> levels;
    GLuint name = 0;
    int lockedLevel = -1;
};

class GLCubeTexture : public IDirect3DCubeTexture9 {
public:
    GLCubeTexture(IDirect3DDevice9* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~GLCubeTexture() override;
    DWORD SetLOD(DWORD) override { return 0; }
    DWORD GetLOD() override { return 0; }
    DWORD GetLevelCount() override { return levelCount; }
    HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override { return D3D_OK; }
    D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return D3DTEXF_LINEAR; }
    void GenerateMipSubLevels() override {}
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES, UINT, IDirect3DSurface9** surface) override {
        if (surface) *surface = nullptr;
        return D3DERR_INVALIDCALL;
    }
    HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                     DWORD flags) override;
    HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;

    IDirect3DDevice9* device;
    D3DFORMAT format;
    UINT edge, levelCount;
    std::vector<std::vector<BYTE>> faces; // [face * levels + level]
    GLuint name = 0;
};

class GLVolumeTexture : public IDirect3DVolumeTexture9 {
public:
    GLVolumeTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                    D3DFORMAT format, D3DPOOL pool);
    ~GLVolumeTexture() override;
    DWORD SetLOD(DWORD) override { return 0; }
    DWORD GetLOD() override { return 0; }
    DWORD GetLevelCount() override { return levelCount; }
    HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override { return D3D_OK; }
    D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return D3DTEXF_LINEAR; }
    void GenerateMipSubLevels() override {}
    HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
    HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
    HRESULT UnlockBox(UINT level) override;

    IDirect3DDevice9* device;
    D3DFORMAT format;
    UINT width, height, depth, levelCount;
    std::vector<std::vector<BYTE>> levels;
    GLuint name = 0;
};

class GLVertexBuffer : public IDirect3DVertexBuffer9 {
public:
    GLVertexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~GLVertexBuffer() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    // The GL buffer, filled from memory when it changed.
    GLuint Bind();

    IDirect3DDevice9* device;
    std::vector<BYTE> bytes;
    DWORD usage, fvf;
    GLuint name = 0;
    bool dirty = true;
};

class GLIndexBuffer : public IDirect3DIndexBuffer9 {
public:
    GLIndexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~GLIndexBuffer() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    GLuint Bind();

    IDirect3DDevice9* device;
    std::vector<BYTE> bytes;
    DWORD usage;
    D3DFORMAT format;
    GLuint name = 0;
    bool dirty = true;
};

class GLVertexDeclaration : public IDirect3DVertexDeclaration9 {
public:
    GLVertexDeclaration(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements, size_t count);
    ~GLVertexDeclaration() override;
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* numElements) override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;

    IDirect3DDevice9* device;
    std::vector<D3DVERTEXELEMENT9> elements; // without the end marker
};

// The GL texture name and target of a device texture; 0 for null.
GLuint TextureName(IDirect3DBaseTexture9* texture, GLenum* target = nullptr);

// The effect framework's hooks into the draw calls: while a pass is active,
// draws use its program instead of the fixed-function one. The program must
// declare `uniform vec2 vorna_ClipAdjust;` (the effect reader adds it).
void SetEffectProgram(IDirect3DDevice9* device, GLuint program);
// Whether a device has a GL context to draw with.
bool HasContext(IDirect3DDevice9* device);

// Reads `count` rows of the current render target (or a surface that is a
// render target) as 0xAARRGGBB, top row first. Used by surface locks and
// screenshots.
bool ReadSurfacePixels(IDirect3DSurface9* surface, std::vector<DWORD>& out, UINT& width, UINT& height);

} // namespace Platform
