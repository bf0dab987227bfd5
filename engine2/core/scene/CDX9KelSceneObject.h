#pragma once
// One placed thing of the campaign world (a ship, a fort, a mine, a static
// map object): up to three models as levels of detail (index 0 the nearest),
// its world matrix and bounding sphere, and the leaves of the scene tree that
// hold it. The models belong to the graphics resource manager; the object
// only marks them attached.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <vector>

namespace Vorna2 {

class CDX9KelModel;
class CDX9KelGraphicsResManager;
class CDXSceneTree;
struct CDXSceneTreeNode;

// A place in a leaf: the slot index inside the leaf's object list.
struct CDXSceneTreeSlot {
    DWORD slot = 0;
    CDXSceneTreeNode* leaf = nullptr;
};

class CDX9KelSceneObject {
public:
    static constexpr int kMaxModels = 3;

    CDX9KelSceneObject();
    ~CDX9KelSceneObject();
    CDX9KelSceneObject(const CDX9KelSceneObject&) = delete;
    CDX9KelSceneObject& operator=(const CDX9KelSceneObject&) = delete;

    // -1 for null or when three models are held; the first model gives the
    // object its sphere and box. The model is marked attached and takes the
    // object's world matrix. Returns the model's index.
    int AddModel(CDX9KelModel* model);
    // False when first > second.
    bool SetLODDistances(float first, float second);
    // The level of detail for a camera at that position, with the object's
    // world matrix copied into it; null without models.
    CDX9KelModel* SelectLOD(const D3DXVECTOR3& cameraPosition);
    // False when the first row's x, y, z have length 0; else the object and
    // every model take the matrix.
    bool SetWorldMatrix(const D3DXMATRIX& matrix);
    // World centre := translation + model-space centre; stored and returned.
    const D3DXVECTOR3& UpdateCenter();
    // Releases each model's hierarchy and controller and empties the model
    // list; false without a resource manager.
    bool ReleaseModels(CDX9KelGraphicsResManager* resources);

    // Transforms that keep the tree informed: they set the moved flag and
    // re-insert the object; false for a missing argument or an unbuilt tree,
    // else the re-insertion's result.
    static bool Translate(const D3DXVECTOR3* vector, CDXSceneTree* tree, CDX9KelSceneObject* object);
    static bool SetTransform(const D3DXMATRIX* matrix, CDX9KelSceneObject* object, CDXSceneTree* tree);
    static bool RotateAroundPoint(const D3DXVECTOR3* axis, CDXSceneTree* tree, CDX9KelSceneObject* object,
                                  const D3DXVECTOR3* point, float angle);
    // Turns in place: the position does not change, so neither the moved
    // flag nor the tree is touched.
    static void RotateWorldY(CDX9KelSceneObject* object, float angle);
    static void RotatePitch(CDX9KelSceneObject* object, float angle);
    static void RotateRoll(CDX9KelSceneObject* object, float angle);

    DWORD m_dwId = 0;
    std::vector<CDX9KelModel*> m_Models;
    std::vector<CDXSceneTreeSlot> m_Leaves;
    float m_fLODDistance1 = 100.0f;
    float m_fLODDistance2 = 100.0f;
    D3DXVECTOR3 m_vCenter{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vWorldCenter{0.0f, 0.0f, 0.0f};
    float m_fRadius = 0.0f;
    D3DXVECTOR3 m_vBoxMin{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vBoxMax{0.0f, 0.0f, 0.0f};
    D3DXMATRIX m_mWorld;
    bool m_bMoved = false;
    bool m_bVisible = true;
    bool m_bSecond = true;
    // Ids of the sound resources that belong to the object.
    std::vector<DWORD> m_SoundIds;
    // Set by the render system's visibility pass.
    bool m_bVisited = false;
};

} // namespace Vorna2
