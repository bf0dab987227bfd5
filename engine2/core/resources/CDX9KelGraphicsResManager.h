#pragma once
// The campaign engine's one store of shared graphics resources: textures,
// frame hierarchies loaded from ".x" files and compiled effects, each shared
// by its bare file name (exact, case-sensitive) with a reference count; the
// models built on the hierarchies; and the scene's free-standing graphic
// objects. The manager owns models and graphic objects.
#include "platform/d3dx/d3dx9.h"

#include <string>
#include <vector>

namespace Vorna2 {

class CDX9KelBaseGrapRes;
class CDX9KelModel;

// The effect parameters every effect may share, found by name.
enum EKelEffectHandle {
    KEL_FX_LIGHT_DIR,
    KEL_FX_LIGHT_DIFFUSE,
    KEL_FX_LIGHT_AMBIENT,
    KEL_FX_SUN_VECTOR,
    KEL_FX_SUN_COLOR,
    KEL_FX_SUN_SHININESS,
    KEL_FX_SUN_STRENGTH,
    KEL_FX_MATRIX_WORLD,
    KEL_FX_MATRIX_WORLD_INVERSE_TRANSPOSE,
    KEL_FX_MATRIX_WORLD_VIEW_PROJ,
    KEL_FX_MATRIX_VIEW,
    KEL_FX_MATRIX_VIEW_PROJ,
    KEL_FX_MATRIX_VIEW_INVERSE,
    KEL_FX_VECTOR_VIEW_POS,
    KEL_FX_MATERIAL_DIFFUSE,
    KEL_FX_MATERIAL_AMBIENT,
    KEL_FX_MATERIAL_SPECULAR,
    KEL_FX_MATERIAL_EMISSIVE,
    KEL_FX_MATERIAL_POWER,
    KEL_FX_TEXTURE_MAIN,
    KEL_FX_TEXTURE_NORMAL,
    KEL_FX_TEXTURE_NOISE,
    KEL_FX_TIME,
    KEL_FX_HANDLE_COUNT
};
extern const char* const kKelEffectHandleNames[KEL_FX_HANDLE_COUNT];

// An effect and what the render system binds to it: its index in the
// manager's effect list (-1 until listed), the shared parameter handles and
// the camera's view-projection matrix.
struct CDX9KelEffect {
    CDX9KelEffect();
    D3DXHANDLE Handle(EKelEffectHandle h) const { return m_Handles[h]; }

    ID3DXEffect* m_pEffect = nullptr;
    int m_iIndex = -1;
    D3DXHANDLE m_Handles[KEL_FX_HANDLE_COUNT] = {};
    D3DXMATRIX m_mViewProjection;
};

class CDX9KelGraphicsResManager {
public:
    static constexpr size_t kNameSize = 260;

    struct TextureRecord {
        char name[kNameSize] = {};
        IDirect3DBaseTexture9* texture = nullptr;
        D3DXIMAGE_INFO info{};
        int count = 0;
    };
    struct XFileRecord {
        char name[kNameSize] = {};
        D3DXFRAME* root = nullptr;
        ID3DXAnimationController* controller = nullptr;
        int count = 0;
        DWORD faces = 0;
    };
    struct EffectRecord {
        char name[kNameSize] = {};
        CDX9KelEffect* holder = nullptr;
        int count = 0;
    };

    CDX9KelGraphicsResManager() = default;
    ~CDX9KelGraphicsResManager();
    CDX9KelGraphicsResManager(const CDX9KelGraphicsResManager&) = delete;
    CDX9KelGraphicsResManager& operator=(const CDX9KelGraphicsResManager&) = delete;

    // ---- textures ----
    // The texture of that name (another reference), or loaded from folder +
    // name: a 2D image with the plain loader (full mip chain) or the
    // extended one (one level, colour key), a volume or a cube image.
    IDirect3DBaseTexture9* CreateTextureFromFile(IDirect3DDevice9* device, const char* fileName, const char* folder,
                                                 bool plainLoad, D3DCOLOR colorKey, D3DXIMAGE_INFO* outImageInfo);
    // Drops one reference; the record goes with the last. False when the
    // texture is not held.
    bool ReleaseTexture(IDirect3DBaseTexture9* texture);
    int FindTexture(const char* fileName) const;
    int FindTextureIndex(const IDirect3DBaseTexture9* texture) const;
    void ReleaseAllTextures();
    int GetTextureCount(int index) const;

    // ---- frame hierarchies ----
    // Stores the hierarchy with count 1 and its own clone of the controller
    // (the caller keeps its own). False for a null root or a failed clone.
    bool AddXFile(const char* fileName, D3DXFRAME* rootFrame, ID3DXAnimationController* controller, DWORD faceCount);
    // The shared root (one more reference), a controller clone of its own
    // for the caller and the face count; null when the name is unknown, or
    // when the hierarchy is animated and no controller out-parameter is given.
    D3DXFRAME* GetXFile(const char* fileName, ID3DXAnimationController** outController, DWORD* outFaceCount);
    // Drops one reference; the last destroys the hierarchy. False when unknown.
    bool ReleaseXFile(D3DXFRAME* rootFrame);
    int FindXFileIndex(const char* fileName) const;
    int FindXFileByFrame(const D3DXFRAME* rootFrame) const;
    void ReleaseAllXFiles();

    // ---- effects ----
    // The effect of that name (another reference), or loaded from path (or
    // the name when path is null).
    CDX9KelEffect* CreateEffectFromFile(IDirect3DDevice9* device, const char* fileName, const char* path);
    int FindEffect(const char* fileName) const;
    // The holder's stored index first, then a search; -1 when absent.
    int FindEffectIndex(const CDX9KelEffect* holder) const;
    void ReleaseAllEffects();

    // ---- models ----
    CDX9KelModel* CreateModel(IDirect3DDevice9* device, const char* folder, const char* fileName);
    // Releases the model's hierarchy and controller once and nulls both.
    void ReleaseModelResources(CDX9KelModel* model);
    // Deletes every model a scene object has taken.
    void DeleteAttachedModels();
    void DeleteAllModels();

    // ---- graphic objects ----
    bool AddGrapRes(CDX9KelBaseGrapRes* object);
    // Releases and deletes every object of that name; false for a null or
    // empty name.
    bool DeleteGrapRes(const char* name);
    void DeleteAllGrapRes();
    void ProcessGrapRes();

    // ---- device events ----
    void OnLost();
    void Restore();

    std::vector<TextureRecord> m_Textures;
    std::vector<XFileRecord> m_XFiles;
    std::vector<EffectRecord> m_Effects;
    std::vector<CDX9KelBaseGrapRes*> m_GrapRes;
    std::vector<CDX9KelModel*> m_Models;
    DWORD m_dwModelIdBase = 0;
};

} // namespace Vorna2
