#pragma once
// The D3DX 9 helper library as the engines use it, written for our device
// on OpenGL: buffers, textures and image files, effects (our own ".fx"
// format, see Effect.cpp), meshes and ".x" hierarchies with skinning and
// animation, a font and a sprite for statistics text.
//
// Objects are reference-counted like the device's: every call that hands out
// an object hands out a reference the caller releases.
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/math/d3dx9math.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)
#define D3DFMT_FROM_FILE ((D3DFORMAT)-3)

#define D3DX_FILTER_NONE (1u << 0)
#define D3DX_FILTER_POINT (2u << 0)
#define D3DX_FILTER_LINEAR (3u << 0)
#define D3DX_FILTER_TRIANGLE (4u << 0)
#define D3DX_FILTER_BOX (5u << 0)

// ---------------------------------------------------------------------------
// Buffers.
class ID3DXBuffer : public IUnknown {
public:
    void* GetBufferPointer() { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    DWORD GetBufferSize() { return static_cast<DWORD>(m_bytes.size()); }

private:
    friend HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer);
    ID3DXBuffer() = default;
    std::vector<BYTE> m_bytes;
};
using LPD3DXBUFFER = ID3DXBuffer*;

// A zero-filled buffer of numBytes (at most 256 MB).
HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer);

// ---------------------------------------------------------------------------
// Images and textures.
enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType; // TEXTURE, CUBETEXTURE or VOLUMETEXTURE
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
    BYTE peRed, peGreen, peBlue, peFlags;
};

// BMP, PNG, JPG and TGA files are read as 2D images; DDS files as 2D, cube
// or volume images in A8R8G8B8, X8R8G8B8, L8 or DXT1/3/5. A file that is
// missing, truncated or inconsistent gives D3DXERR_INVALIDDATA (missing:
// D3DERR_NOTAVAILABLE); D3DXGetLastImageError tells why.
HRESULT D3DXGetImageInfoFromFileA(LPCSTR srcFile, D3DXIMAGE_INFO* info);
// A full mip chain (a DDS file's own levels when it has more than one).
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, IDirect3DTexture9** texture);
// Width and height: D3DX_DEFAULT or 0 keep the file's size (any size, no
// rounding to powers of two). Levels: D3DX_DEFAULT or 0 a full chain.
// Format D3DFMT_UNKNOWN keeps the file's. A non-zero colour key turns every
// pixel equal to it (as 0xAARRGGBB) into transparent black; it applies to
// uncompressed images only. Filters are accepted and ignored (box filter).
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile,
                                         IDirect3DVolumeTexture9** texture);
// Writes the surface (a lockable surface, or the back buffer / a render
// target) as JPG (quality 90) or BMP/PNG/TGA by the format asked.
HRESULT D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* srcSurface,
                               const PALETTEENTRY* palette, const RECT* srcRect);
// Why the last image call of this thread failed ("" after a success).
const char* D3DXGetLastImageError();

// ---------------------------------------------------------------------------
// Effects: our own ".fx" format (see Effect.cpp). Parameters are the
// uniforms of the passes' programs, found by name.
using D3DXHANDLE = const char*;

struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
};
class ID3DXInclude;
class ID3DXEffectPool;

#define D3DXSHADER_SKIPVALIDATION (1u << 1)
#define D3DXSHADER_OPTIMIZATION_LEVEL3 (1u << 15)
#define D3DXFX_DONOTSAVESTATE (1u << 0)

struct D3DXEFFECT_DESC {
    LPCSTR Creator;
    UINT Parameters;
    UINT Techniques;
    UINT Functions;
};

class ID3DXEffect : public IUnknown {
public:
    // A parameter by name (parent must be null); null when the programs have
    // no such uniform.
    virtual D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) = 0;
    virtual D3DXHANDLE GetTechniqueByName(LPCSTR name) = 0;
    virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
    virtual D3DXHANDLE GetCurrentTechnique() = 0;
    virtual HRESULT GetDesc(D3DXEFFECT_DESC* desc) = 0;
    // Begin saves the render states the technique's passes change (unless
    // D3DXFX_DONOTSAVESTATE) and End restores them.
    virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
    virtual HRESULT BeginPass(UINT pass) = 0;
    // Sends parameters changed inside a pass to the program.
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) = 0;
    virtual HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) = 0;
    virtual HRESULT SetFloat(D3DXHANDLE parameter, FLOAT value) = 0;
    virtual HRESULT SetInt(D3DXHANDLE parameter, INT value) = 0;
    virtual HRESULT SetBool(D3DXHANDLE parameter, BOOL value) = 0;
    // Raw floats; at most the parameter's size is taken.
    virtual HRESULT SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) = 0;
    virtual HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) = 0;
    virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT GetFloat(D3DXHANDLE parameter, FLOAT* value) = 0;
    virtual HRESULT GetValue(D3DXHANDLE parameter, void* data, UINT bytes) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;

protected:
    ID3DXEffect() = default;
};
using LPD3DXEFFECT = ID3DXEffect*;

// Reads the effect file; on failure `errors` (optional) receives the reader's
// or the GLSL compiler's and linker's text as a zero-terminated buffer.
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, const D3DXMACRO* defines,
                                  ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                                  ID3DXBuffer** errors);
// The same from text in memory (tests and tools).
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* srcData, UINT srcDataLen, const D3DXMACRO* defines,
                         ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                         ID3DXBuffer** errors);

// ---------------------------------------------------------------------------
// Meshes.
#define D3DXMESH_32BIT 0x001u
#define D3DXMESH_DONOTCLIP 0x002u
#define D3DXMESH_POINTS 0x004u
#define D3DXMESH_RTPATCHES 0x008u
#define D3DXMESH_NPATCHES 0x4000u
#define D3DXMESH_VB_SYSTEMMEM 0x010u
#define D3DXMESH_VB_MANAGED 0x020u
#define D3DXMESH_VB_WRITEONLY 0x040u
#define D3DXMESH_VB_DYNAMIC 0x080u
#define D3DXMESH_IB_SYSTEMMEM 0x100u
#define D3DXMESH_IB_MANAGED 0x200u
#define D3DXMESH_IB_WRITEONLY 0x400u
#define D3DXMESH_IB_DYNAMIC 0x800u
#define D3DXMESH_SYSTEMMEM 0x110u
#define D3DXMESH_MANAGED 0x220u
#define D3DXMESH_WRITEONLY 0x440u
#define D3DXMESH_DYNAMIC 0x880u

#define D3DXMESHOPT_COMPACT 0x01000000u
#define D3DXMESHOPT_ATTRSORT 0x02000000u
#define D3DXMESHOPT_VERTEXCACHE 0x04000000u
#define D3DXMESHOPT_STRIPREORDER 0x08000000u
#define D3DXMESHOPT_IGNOREVERTS 0x10000000u

#define D3DX_MAX_BONE_INFLUENCES 4u

struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename;
};

struct D3DXBONECOMBINATION {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
    DWORD* BoneId; // palette entries; UINT_MAX for unused ones
};

struct D3DXINTERSECTINFO {
    DWORD FaceIndex;
    FLOAT U;
    FLOAT V;
    FLOAT Dist;
};

class ID3DXMesh : public IUnknown {
public:
    DWORD GetNumFaces() const { return static_cast<DWORD>(m_attributes.size()); }
    DWORD GetNumVertices() const { return m_vertexCount; }
    // 0 for a mesh made from a declaration that no FVF describes.
    DWORD GetFVF() const { return m_fvf; }
    HRESULT GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]);
    DWORD GetNumBytesPerVertex() const { return m_stride; }
    DWORD GetOptions() const { return m_options; }
    HRESULT GetDevice(IDirect3DDevice9** device);

    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** cloneMesh);
    // Elements found in both layouts (same usage and usage index) are copied
    // and converted between float types; new ones start at zero.
    HRESULT CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, IDirect3DDevice9* device,
                      ID3DXMesh** cloneMesh);
    // The device buffers, filled from the mesh (for reading).
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** vb);
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** ib);
    HRESULT LockVertexBuffer(DWORD flags, void** data);
    HRESULT UnlockVertexBuffer();
    // 16-bit indices unless the mesh has D3DXMESH_32BIT.
    HRESULT LockIndexBuffer(DWORD flags, void** data);
    HRESULT UnlockIndexBuffer();
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data);
    HRESULT UnlockAttributeBuffer();
    // With table null, size receives the entry count.
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size);
    HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size);
    // Three entries per face: the neighbour across each edge, or 0xFFFFFFFF.
    // Faces are neighbours when they share an edge's two vertex positions.
    HRESULT GenerateAdjacency(FLOAT epsilon, DWORD* adjacency);
    // COMPACT drops unused vertices; ATTRSORT sorts faces by attribute
    // (stable) and builds the attribute table; VERTEXCACHE orders vertices by
    // first use. faceRemap receives the old index of each new face.
    HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                     ID3DXBuffer** vertexRemap, ID3DXMesh** optMesh);
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            ID3DXBuffer** vertexRemap);
    // Draws the faces of one attribute with the device's current states.
    HRESULT DrawSubset(DWORD attribId);

    // --- Layer services --------------------------------------------------
    // An empty mesh of the given layout; device may be null for meshes that
    // are only computed with, never drawn.
    static HRESULT Create(DWORD faces, DWORD vertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                          IDirect3DDevice9* device, ID3DXMesh** mesh);
    // Byte offset of the element of that usage, or -1.
    int ElementOffset(BYTE usage, BYTE usageIndex, BYTE* type = nullptr) const;
    BYTE* Vertex(DWORD i) { return m_vertices.data() + static_cast<size_t>(i) * m_stride; }
    DWORD Index(size_t i) const;
    void SetIndex(size_t i, DWORD v);

protected:
    ~ID3DXMesh() override;

private:
    ID3DXMesh() = default;
    HRESULT Upload();
    void Invalidate() { m_dirty = true; }

    IDirect3DDevice9* m_pDevice = nullptr;
    DWORD m_options = 0;
    DWORD m_fvf = 0;
    std::vector<D3DVERTEXELEMENT9> m_declaration; // D3DDECL_END included
    DWORD m_stride = 0;
    DWORD m_vertexCount = 0;
    std::vector<BYTE> m_vertices;
    std::vector<BYTE> m_indices;
    std::vector<DWORD> m_attributes;
    std::vector<D3DXATTRIBUTERANGE> m_attributeTable;
    bool m_dirty = true;
    IDirect3DVertexBuffer9* m_pVB = nullptr;
    IDirect3DIndexBuffer9* m_pIB = nullptr;
    IDirect3DVertexDeclaration9* m_pDecl = nullptr;
};
using LPD3DXMESH = ID3DXMesh*;

HRESULT D3DXCreateMesh(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       IDirect3DDevice9* device, ID3DXMesh** mesh);
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                          ID3DXMesh** mesh);
UINT D3DXGetFVFVertexSize(DWORD fvf);
UINT D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* declaration, DWORD stream);
HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]);
// Area-weighted face normals summed per vertex and normalised.
HRESULT D3DXComputeNormals(ID3DXMesh* mesh, const DWORD* adjacency);

#define D3DXTANGENT_CALCULATE_NORMALS 0x400u
// Tangent (u partial), binormal (v partial) and normal per vertex from the
// texture coordinates, orthonormalised against the normal. Normals are kept
// unless D3DXTANGENT_CALCULATE_NORMALS (or the mesh has none). Vertices are
// never split, whatever the thresholds. Degenerate texture coordinates give a
// frame built from the normal alone. Works in place when meshOut is null.
HRESULT D3DXComputeTangentFrameEx(ID3DXMesh* mesh, DWORD textureInSemantic, DWORD textureInIndex,
                                  DWORD uPartialOutSemantic, DWORD uPartialOutIndex, DWORD vPartialOutSemantic,
                                  DWORD vPartialOutIndex, DWORD normalOutSemantic, DWORD normalOutIndex,
                                  DWORD options, const DWORD* adjacency, FLOAT partialEdgeThreshold,
                                  FLOAT singularPointThreshold, FLOAT normalEdgeThreshold, ID3DXMesh** meshOut,
                                  ID3DXBuffer** vertexMapping);
// The nearest face the ray meets at distance >= 0.
HRESULT D3DXIntersect(ID3DXMesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                      DWORD* faceIndex, FLOAT* u, FLOAT* v, FLOAT* dist, ID3DXBuffer** allHits,
                      DWORD* countOfHits);
HRESULT D3DXComputeBoundingBoxMesh(ID3DXMesh* mesh, D3DXVECTOR3* min, D3DXVECTOR3* max);

// ---------------------------------------------------------------------------
// Skin information.
class ID3DXSkinInfo : public IUnknown {
public:
    DWORD GetNumBones() const { return static_cast<DWORD>(m_bones.size()); }
    LPCSTR GetBoneName(DWORD bone) const;
    D3DXMATRIX* GetBoneOffsetMatrix(DWORD bone);
    HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset);
    DWORD GetNumBoneInfluences(DWORD bone) const;
    HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) const;
    HRESULT SetBoneInfluence(DWORD bone, DWORD influences, const DWORD* vertices, const FLOAT* weights);
    HRESULT SetBoneName(DWORD bone, LPCSTR name);
    HRESULT GetMaxVertexInfluences(DWORD* maxVertexInfluences) const;
    // The most bones that influence the three vertices of one face.
    HRESULT GetMaxFaceInfluences(IDirect3DIndexBuffer9* ib, DWORD numFaces, DWORD* maxFaceInfluences);
    // Splits the faces into bone combinations of at most paletteSize bones
    // and writes, per vertex, up to 4 weights (the strongest, renormalised):
    // FVF XYZB<n> | LASTBETA_UBYTE4, n = the most influences of a vertex,
    // with the palette indices packed in the last DWORD. Faces are ordered by
    // combination and the new attribute ids are the combination indices;
    // vertices used by several combinations are duplicated. The mesh must
    // have an FVF.
    HRESULT ConvertToIndexedBlendedMesh(ID3DXMesh* meshIn, DWORD options, DWORD paletteSize,
                                        const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                        ID3DXBuffer** vertexRemap, DWORD* maxVertexInfluences,
                                        DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                                        ID3DXMesh** meshOut);
    DWORD GetNumVertices() const { return m_vertexCount; }

private:
    friend HRESULT D3DXCreateSkinInfo(DWORD numVertices, const D3DVERTEXELEMENT9* declaration, DWORD numBones,
                                      ID3DXSkinInfo** skinInfo);
    ID3DXSkinInfo() = default;
    struct Bone {
        std::string name;
        D3DXMATRIX offset;
        std::vector<DWORD> vertices;
        std::vector<float> weights;
    };
    DWORD m_vertexCount = 0;
    std::vector<Bone> m_bones;
};
using LPD3DXSKININFO = ID3DXSkinInfo*;

HRESULT D3DXCreateSkinInfo(DWORD numVertices, const D3DVERTEXELEMENT9* declaration, DWORD numBones,
                           ID3DXSkinInfo** skinInfo);

// ---------------------------------------------------------------------------
// Frame hierarchies.
enum D3DXMESHDATATYPE : DWORD { D3DXMESHTYPE_MESH = 1, D3DXMESHTYPE_PMESH = 2, D3DXMESHTYPE_PATCHMESH = 3 };

struct D3DXMESHDATA {
    D3DXMESHDATATYPE Type;
    union {
        ID3DXMesh* pMesh;
        void* pPMesh;
        void* pPatchMesh;
    };
};

struct D3DXEFFECTINSTANCE;

struct D3DXMESHCONTAINER {
    LPSTR Name;
    D3DXMESHDATA MeshData;
    D3DXMATERIAL* pMaterials;
    D3DXEFFECTINSTANCE* pEffects;
    DWORD NumMaterials;
    DWORD* pAdjacency;
    ID3DXSkinInfo* pSkinInfo;
    D3DXMESHCONTAINER* pNextMeshContainer;
};
using LPD3DXMESHCONTAINER = D3DXMESHCONTAINER*;

struct D3DXFRAME {
    LPSTR Name;
    D3DXMATRIX TransformationMatrix;
    D3DXMESHCONTAINER* pMeshContainer;
    D3DXFRAME* pFrameSibling;
    D3DXFRAME* pFrameFirstChild;
};
using LPD3DXFRAME = D3DXFRAME*;

// The loader's callbacks: the caller allocates frames and containers (which
// may be larger structures starting with these) and frees them again.
class ID3DXAllocateHierarchy {
public:
    virtual HRESULT CreateFrame(LPCSTR name, D3DXFRAME** newFrame) = 0;
    virtual HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                        const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials,
                                        const DWORD* adjacency, ID3DXSkinInfo* skinInfo,
                                        D3DXMESHCONTAINER** newMeshContainer) = 0;
    virtual HRESULT DestroyFrame(D3DXFRAME* frameToFree) = 0;
    virtual HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainerToFree) = 0;

protected:
    ~ID3DXAllocateHierarchy() = default;
};
using LPD3DXALLOCATEHIERARCHY = ID3DXAllocateHierarchy*;
class ID3DXLoadUserData;

HRESULT D3DXFrameDestroy(D3DXFRAME* frameRoot, ID3DXAllocateHierarchy* alloc);
D3DXFRAME* D3DXFrameFind(const D3DXFRAME* frameRoot, LPCSTR name);
// Centre = the mean of every mesh vertex placed by the frame transforms;
// radius = the largest distance from it. D3DERR_INVALIDCALL without meshes.
HRESULT D3DXFrameCalculateBoundingSphere(const D3DXFRAME* frameRoot, D3DXVECTOR3* objectCenter,
                                         FLOAT* objectRadius);

// ---------------------------------------------------------------------------
// Animation.
class ID3DXAnimationController : public IUnknown {
public:
    UINT GetMaxNumAnimationOutputs() const { return m_maxOutputs; }
    UINT GetMaxNumAnimationSets() const { return m_maxSets; }
    UINT GetMaxNumTracks() const { return m_maxTracks; }
    UINT GetMaxNumEvents() const { return m_maxEvents; }
    UINT GetNumAnimationSets() const;
    // Moves the global time on and writes every animated frame's matrix from
    // track 0's animation set (looping over the set's period).
    HRESULT AdvanceTime(double timeDelta, void* callbackHandler);
    HRESULT ResetTime();
    double GetTime() const { return m_time; }
    HRESULT SetTrackAnimationSetIndex(UINT track, UINT set);
    HRESULT SetTrackPosition(UINT track, double position);
    HRESULT SetTrackSpeed(UINT track, FLOAT speed);
    HRESULT SetTrackEnable(UINT track, BOOL enable);
    // A controller driving the same frames with the same sets, at time 0.
    HRESULT CloneAnimationController(UINT maxNumAnimationOutputs, UINT maxNumAnimationSets, UINT maxNumTracks,
                                     UINT maxNumEvents, ID3DXAnimationController** cloneController);

    // --- Layer services --------------------------------------------------
    struct Data;
    static HRESULT Create(const std::shared_ptr<const Data>& data, const std::vector<D3DXMATRIX*>& outputs,
                          UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                          ID3DXAnimationController** controller);
    // The period of a set in seconds.
    double GetSetPeriod(UINT set) const;

private:
    ID3DXAnimationController() = default;
    struct Track {
        UINT set = 0;
        double position = 0;
        float speed = 1;
        bool enabled = true;
    };
    std::shared_ptr<const Data> m_data;
    std::vector<D3DXMATRIX*> m_outputs; // per animation of each set: see Animation.cpp
    UINT m_maxOutputs = 0, m_maxSets = 0, m_maxTracks = 0, m_maxEvents = 0;
    double m_time = 0;
    std::vector<Track> m_tracks;
};
using LPD3DXANIMATIONCONTROLLER = ID3DXAnimationController*;

// Reads a text ".x" file, calling the allocator for every frame (parents
// before children) and every mesh container, in file order. Several top-level
// frames become siblings under the first. The controller (optional) is null
// when the file has no animation sets. On failure everything built so far is
// destroyed through the allocator and D3DXGetLastMeshError tells why.
HRESULT D3DXLoadMeshHierarchyFromXA(LPCSTR filename, DWORD meshOptions, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* alloc, ID3DXLoadUserData* userDataLoader,
                                    D3DXFRAME** frameHierarchy, ID3DXAnimationController** animController);
// The same from bytes in memory.
HRESULT D3DXLoadMeshHierarchyFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD meshOptions,
                                           IDirect3DDevice9* device, ID3DXAllocateHierarchy* alloc,
                                           ID3DXLoadUserData* userDataLoader, D3DXFRAME** frameHierarchy,
                                           ID3DXAnimationController** animController);
const char* D3DXGetLastMeshError();

// ---------------------------------------------------------------------------
// Font and sprite.
#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_NOCLIP 0x00000100u
#define DT_CALCRECT 0x00000400u

#define DEFAULT_CHARSET 1u
#define OUT_DEFAULT_PRECIS 0u
#define DEFAULT_QUALITY 0u
#define DEFAULT_PITCH 0u
#define FF_DONTCARE 0u
#define FW_NORMAL 400u
#define FW_BOLD 700u

#define D3DXSPRITE_DONOTSAVESTATE (1u << 0)
#define D3DXSPRITE_DONOTMODIFY_RENDERSTATE (1u << 1)
#define D3DXSPRITE_OBJECTSPACE (1u << 2)
#define D3DXSPRITE_BILLBOARD (1u << 3)
#define D3DXSPRITE_ALPHABLEND (1u << 4)
#define D3DXSPRITE_SORT_TEXTURE (1u << 5)

// Collects screen-space quads between Begin and End and draws them at End
// (or Flush) with alpha blending.
class ID3DXSprite : public IUnknown {
public:
    HRESULT Begin(DWORD flags);
    HRESULT End();
    HRESULT Flush();
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();
    HRESULT GetDevice(IDirect3DDevice9** device);

    // --- Layer services: a solid-coloured rectangle in pixels.
    HRESULT AddRect(float x0, float y0, float x1, float y1, D3DCOLOR color);
    bool InBegin() const { return m_begun; }

protected:
    ~ID3DXSprite() override;

private:
    friend HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
    ID3DXSprite() = default;
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR color;
    };
    IDirect3DDevice9* m_pDevice = nullptr;
    bool m_begun = false;
    std::vector<Vertex> m_vertices;
};
using LPD3DXSPRITE = ID3DXSprite*;

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);

// A built-in bitmap font (the same face whatever is asked), scaled to the
// requested height. Draws through a sprite, or through its own when null.
class ID3DXFont : public IUnknown {
public:
    // Returns the height of the text drawn, 0 on failure.
    INT DrawTextA(ID3DXSprite* sprite, LPCSTR string, INT count, RECT* rect, DWORD format, D3DCOLOR color);
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();
    HRESULT GetDevice(IDirect3DDevice9** device);

protected:
    ~ID3DXFont() override;

private:
    friend HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mipLevels,
                                   BOOL italic, DWORD charSet, DWORD outputPrecision, DWORD quality,
                                   DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font);
    ID3DXFont() = default;
    IDirect3DDevice9* m_pDevice = nullptr;
    ID3DXSprite* m_pOwnSprite = nullptr;
    INT m_height = 15;
    bool m_bold = false;
};
using LPD3DXFONT = ID3DXFont*;

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mipLevels, BOOL italic,
                        DWORD charSet, DWORD outputPrecision, DWORD quality, DWORD pitchAndFamily,
                        LPCSTR faceName, ID3DXFont** font);

// ---------------------------------------------------------------------------
// Projection of a point to viewport pixels: the point goes through world,
// view and projection (a null matrix counts as the identity) and is divided
// by w; then x = X + (1 + x) W / 2, y = Y + (1 - y) H / 2 and
// z = MinZ + z (MaxZ - MinZ).
D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT9* pViewport,
                             const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld);
