#pragma once
// The engine's mesh object: a shared frame hierarchy from a ".x" file, its
// own animation controller, an optional effect, texture groups and a tree of
// per-frame records with the matrices, bounds and materials used to draw.
// CAllocateHierarchy prepares every mesh the loader reads for the engine's
// shaders and turns skinned meshes into matrix-palette meshes.
#include <string>
#include <vector>

#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/scene/CDX9KelSceneUnit.h"

namespace Vorna3D {

// A mesh container with what the engine adds to the loader's fields.
struct D3DXMESHCONTAINER_DERIVED : public D3DXMESHCONTAINER {
    ID3DXMesh* pOrigMesh;
    D3DXATTRIBUTERANGE* pAttributeTable;
    DWORD NumAttributeGroups;
    DWORD NumInfl;
    ID3DXBuffer* pBoneCombinationBuf;
    D3DXMATRIX** ppBoneMatrixPtrs;
    D3DXMATRIX* pBoneOffsetMatrices;
    DWORD NumPaletteEntries;
};

class CAllocateHierarchy : public ID3DXAllocateHierarchy {
public:
    explicit CAllocateHierarchy(IDirect3DDevice9* pDevice = nullptr) : m_pDevice(pDevice) {}
    HRESULT CreateFrame(LPCSTR name, D3DXFRAME** ppNewFrame) override;
    HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* pMeshData, const D3DXMATERIAL* pMaterials,
                                const D3DXEFFECTINSTANCE* pEffectInstances, DWORD numMaterials,
                                const DWORD* pAdjacency, ID3DXSkinInfo* pSkinInfo,
                                D3DXMESHCONTAINER** ppNewMeshContainer) override;
    HRESULT DestroyFrame(D3DXFRAME* pFrameToFree) override;
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* pMeshContainerToFree) override;

    HRESULT GenerateSkinnedMesh(IDirect3DDevice9* pDevice, D3DXMESHCONTAINER_DERIVED* pMeshContainer);

    DWORD m_dwFaces = 0;
    bool m_bSkinned = false;
    IDirect3DDevice9* m_pDevice;
};

// Name copy used for frames and containers: at most 259 characters and a
// terminator, so a long name from a file never loses its end.
HRESULT AllocateName(LPCSTR name, LPSTR* ppNewName);

struct CDX9KelTextureGroup {
    std::string m_strName;
    CDX9KelGraphicResourceTexture* m_pLayer1 = nullptr;
    CDX9KelGraphicResourceTexture* m_pLayer1Normal = nullptr;
    CDX9KelGraphicResourceTexture* m_pLayer2 = nullptr;
    CDX9KelGraphicResourceTexture* m_pLayer2Normal = nullptr;
};

struct CDX9KelFrameRecord {
    D3DXMATRIX m_mLocal;
    D3DXMATRIX m_mCombined;
    D3DXMATRIX m_mWorld;
    D3DXMATRIX m_mWorldInverseTranspose;
    bool* m_pChanged = nullptr;
    D3DMATERIAL9 m_Material{};
    D3DXVECTOR3 m_vSphereCentre{0, 0, 0};
    float m_fSphereRadius = 0;
    D3DXVECTOR3 m_vBoxMin{0, 0, 0};
    D3DXVECTOR3 m_vBoxMax{0, 0, 0};
    bool m_bVisible = true;
    CDX9KelFrameRecord* m_pSibling = nullptr;
    CDX9KelFrameRecord* m_pChild = nullptr;
    const D3DXFRAME* m_pFrame = nullptr;
    CDX9KelFrameRecord();
    ~CDX9KelFrameRecord();
};

// Names of the effect parameters a model sets, and the slots of the effect
// resource's handle table they live in.
enum EKelModelHandle {
    KEL_H_TEXTURE_LAYER1 = 0,
    KEL_H_TEXTURE_LAYER1_NORMAL,
    KEL_H_TEXTURE_LAYER2,
    KEL_H_TEXTURE_LAYER2_NORMAL,
    KEL_H_MATRIX_WORLD,
    KEL_H_MATRIX_WORLD_INVERSE_TRANSPOSE,
    KEL_H_MATRIX_WORLD_VIEW_PROJ,
    KEL_H_MATERIAL_DIFFUSE,
    KEL_H_MATERIAL_AMBIENT,
    KEL_H_MATERIAL_SPECULAR,
    KEL_H_MATERIAL_EMISSIVE,
    KEL_H_MATERIAL_POWER,
    KEL_H_MODEL_COUNT
};
extern const char* const kModelHandleNames[KEL_H_MODEL_COUNT];

class CDX9KelGraphicsResManager;

class CDX9KelModel : public CDX9KelBaseResource, public CDX9KelSceneUnit {
public:
    CDX9KelModel();
    ~CDX9KelModel() override;
    void Release() override;
    virtual bool Init();
    // A: the view-projection matrix (may be null); B: the passes of the
    // technique the caller has begun.
    virtual void Draw(IDirect3DDevice9* pDevice, float fTimeStep, bool bSetTextures, const D3DXMATRIX* pA,
                      UINT uB);

    bool AddTextureGroup(const char* szName, const char* szL1Folder, const char* szL1File, const char* szL1NFolder,
                         const char* szL1NFile, const char* szL2Folder, const char* szL2File,
                         const char* szL2NFolder, const char* szL2NFile);
    bool SetTextureGroup(DWORD index);
    bool ComputeBoundingBox();
    CDX9KelFrameRecord* GetFrameMatrixByName(const char* szName);
    const D3DXFRAME* GetMeshFrameMatrix(D3DXMATRIX* pOut);
    CDX9KelTextureGroup* GetCurrentTextureGroup();
    bool IntersectRay(int x, int y, int width, int height, const D3DXMATRIX* pProj, const D3DXMATRIX* pView,
                      float* pDistance);
    // Frame matrices from the hierarchy (as the controller left them) and the
    // unit's world matrix; binds every skinned container's bone matrices.
    void UpdateFrameMatrices();

    DWORD m_dwReserved = 0;
    CDX9KelGraphicResourceFrame* m_pFrame = nullptr;
    CDX9KelFrameRecord* m_pRecords = nullptr;
    std::vector<CDX9KelTextureGroup> m_vTextureGroups;
    DWORD m_dwCurrentTextureGroup = 0;
    CDX9KelGraphicResourceEffect* m_pEffect = nullptr;
    D3DXVECTOR3 m_vBoxMin{0, 0, 0};
    D3DXVECTOR3 m_vBoxMax{0, 0, 0};
    ID3DXAnimationController* m_pAnimController = nullptr;
    float m_fReserved = 0.25f;
    DWORD m_dwReserved2[2] = {0, 0};
    DWORD m_dwAnimationSets = 0;
    float m_fAnimationTime = 0.0f;
    float m_fTimeDivisor = 80.0f;
    bool m_bPause = true;
    // The resource manager that made the model; textures and the frame go
    // back through it.
    CDX9KelGraphicsResManager* m_pResManager = nullptr;

private:
    bool BuildRecords(const D3DXFRAME* pFrame, CDX9KelFrameRecord** ppRecord);
    void DrawFrame(IDirect3DDevice9* pDevice, const D3DXFRAME* pFrame, CDX9KelFrameRecord* pRecord,
                   const D3DXMATRIX* pA, UINT uB);
    void BindBones(const D3DXFRAME* pFrame);
};

} // namespace Vorna3D
