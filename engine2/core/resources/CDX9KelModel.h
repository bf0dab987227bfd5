#pragma once
// One drawable instance of a mesh hierarchy from a ".x" file: frames, plain
// or skinned meshes, materials and textures, an own animation controller, a
// world matrix, a bounding sphere and a tree of per-frame bounds records
// that game code uses to find and move named parts ("hull" for ships).
// Hierarchies are shared between models through the graphics resource
// manager; each model keeps its own controller clone and bounds records.
#include "platform/d3dx/d3dx9.h"

#include <string>

namespace Vorna2 {

class CDX9KelGraphicsResManager;
struct CDX9KelEffect;

// A frame with its combined (world) matrix.
struct D3DXFRAME_DERIVED : public D3DXFRAME {
    D3DXMATRIX CombinedTransformationMatrix;
};

struct D3DXMESHCONTAINER_DERIVED : public D3DXMESHCONTAINER {
    IDirect3DBaseTexture9** ppTextures = nullptr;
    ID3DXMesh* pOrigMesh = nullptr;
    DWORD NumInfl = 0;
    DWORD NumAttributeGroups = 0;
    ID3DXBuffer* pBoneCombinationBuf = nullptr;
    D3DXMATRIX** ppBoneMatrixPtrs = nullptr;
    D3DXMATRIX* pBoneOffsetMatrices = nullptr;
    DWORD NumPaletteEntries = 0;
};

// The bounds of one frame in model space, and the local matrix the frame is
// drawn with. Same shape as the frame tree.
struct CDX9KelBoundsRecord {
    CDX9KelBoundsRecord();
    ~CDX9KelBoundsRecord();
    CDX9KelBoundsRecord(const CDX9KelBoundsRecord&) = delete;
    CDX9KelBoundsRecord& operator=(const CDX9KelBoundsRecord&) = delete;

    D3DXMATRIX m_mLocal;
    D3DXVECTOR3 m_vCenter{0.0f, 0.0f, 0.0f};
    float m_fRadius = 0.0f;
    D3DXVECTOR3 m_vBoxMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vBoxMax{0.0f, 0.0f, 0.0f};
    CDX9KelBoundsRecord* m_pChild = nullptr;
    CDX9KelBoundsRecord* m_pSibling = nullptr;
};

// The loader's allocator: frames and mesh containers of the engine's own
// kind, material textures through the resource manager.
class CAllocateHierarchy : public ID3DXAllocateHierarchy {
public:
    explicit CAllocateHierarchy(CDX9KelGraphicsResManager* resources, IDirect3DDevice9* device = nullptr)
        : m_pResources(resources), m_pDevice(device) {}
    virtual ~CAllocateHierarchy() = default;

    HRESULT CreateFrame(LPCSTR name, D3DXFRAME** newFrame) override;
    HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials, const DWORD* adjacency,
                                ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** newMeshContainer) override;
    HRESULT DestroyFrame(D3DXFRAME* frameToFree) override;
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainerToFree) override;

    DWORD m_dwFaces = 0;
    char m_szName[260] = {};
    // The model's folder (with its separator): material textures are read
    // from there.
    std::string m_Folder;

private:
    HRESULT GenerateSkinnedMesh(IDirect3DDevice9* device, D3DXMESHCONTAINER_DERIVED* container);

    CDX9KelGraphicsResManager* m_pResources = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
};

class CDX9KelModel {
public:
    CDX9KelModel();
    ~CDX9KelModel();
    CDX9KelModel(const CDX9KelModel&) = delete;
    CDX9KelModel& operator=(const CDX9KelModel&) = delete;

    // Shares the hierarchy through the manager or loads it from folder +
    // fileName (texture names relative to folder). 0 or E_FAIL.
    HRESULT LoadFromFile(CDX9KelGraphicsResManager* resources, IDirect3DDevice9* device, const char* folder,
                         const char* fileName);
    // The once-per-frame draw: nothing when invisible or already drawn.
    void Render(IDirect3DDevice9* device, float timeStep, const D3DXMATRIX* viewProjection, UINT passCount);
    // Draws whatever the drawn flag says.
    void RenderAgain(IDirect3DDevice9* device, float timeStep, const D3DXMATRIX* viewProjection, UINT passCount);
    void UpdateFrameMatrices(D3DXFRAME* frame, CDX9KelBoundsRecord* record, const D3DXMATRIX* parentMatrix);
    void UpdateFrameBoundingBoxes(D3DXFRAME* frame, CDX9KelBoundsRecord* record);
    // True when the ray (world space) hits a mesh; the first hit ends the
    // search. outDistance (optional) receives its distance.
    bool Pick(const D3DXVECTOR3& rayOrigin, const D3DXVECTOR3& rayDirection, float* outDistance = nullptr);
    // The placed model's box: its world translation plus the bounds of the
    // root, of the root's single child or the bounding sphere's cube.
    static bool GetModelBoundingBox(D3DXVECTOR3* outMin, D3DXVECTOR3* outMax, CDX9KelModel* model);
    // Depth first: the frame, its next sibling, its first child.
    static bool FindFrameByName(const char* name, D3DXFRAME* rootFrame, CDX9KelBoundsRecord* rootRecord,
                                D3DXFRAME** outFrame, CDX9KelBoundsRecord** outRecord);

    DWORD m_dwLastTexture = 0;
    bool m_bForceTexture = true;
    CDX9KelEffect* m_pEffect = nullptr;
    bool m_bAttached = false;
    int m_iId = -1;
    D3DXFRAME* m_pFrameRoot = nullptr;
    D3DXMATRIX m_mWorld;
    D3DXVECTOR3 m_vSphereCenter{0.0f, 0.0f, 0.0f};
    float m_fSphereRadius = 0.0f;
    DWORD m_dwFaces = 0;
    ID3DXAnimationController* m_pAnimController = nullptr;
    CDX9KelBoundsRecord* m_pBounds = nullptr;
    float m_fReserved = 0.25f;
    DWORD m_dwReserved1 = 0;
    DWORD m_dwReserved2 = 0;
    DWORD m_dwAnimationSets = 0;
    float m_fAnimationTime = 0.0f;
    float m_fAnimationDivisor = 80.0f;
    bool m_bVisible = true;
    bool m_bDrawn = false;
    // The file the hierarchy came from (for the log and the statistics).
    std::string m_FileName;

private:
    void Draw(IDirect3DDevice9* device, float timeStep, const D3DXMATRIX* viewProjection, UINT passCount);
    void DrawFrame(IDirect3DDevice9* device, D3DXFRAME* frame, const D3DXMATRIX* viewProjection, UINT passCount);
    void DrawContainer(IDirect3DDevice9* device, D3DXMESHCONTAINER_DERIVED* container, D3DXFRAME_DERIVED* frame,
                       const D3DXMATRIX* viewProjection, UINT passCount);
    void SetTexture(IDirect3DDevice9* device, IDirect3DBaseTexture9* texture);
    bool PickFrame(D3DXFRAME* frame, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float* outDistance);
    static CDX9KelBoundsRecord* BuildBounds(const D3DXFRAME* frame);
};

// The bone pointers of every skinned container: each bone's combined
// matrix, found by the bone's frame name. False when a bone has no frame.
bool SetupBoneMatrixPointers(D3DXFRAME* frame, D3DXFRAME* root);

} // namespace Vorna2
