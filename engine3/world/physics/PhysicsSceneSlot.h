#pragma once
// The physical manager in the engine scene's manager slot: stepped by the
// scene's frame processing, given the scene's active octree, and started on a
// fresh step interval after a device reset. Registering the slot also lets
// collision models read the meshes of model resources.
#include "engine3/core/IDX9KelSceneManager.h"
#include "engine3/world/physics/CDX9KelCollisionModel.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"

namespace Vorna3D {

class PhysicsSceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* pScene) override { return m_Manager.Init(); }
    void Process(float fFrameStep) override { m_Manager.Update(); }
    void Restore() override { m_Manager.ClearStepClock(); }
    void Release() override { m_Manager.Release(); }
    void SetSceneTree(CDXSceneTree* pTree) override { m_Manager.SetSceneTree(pTree); }

    CDX9KelPhysicalManager m_Manager;
};

// Reads the first mesh of a model resource as plain triangles, in the mesh's
// own coordinates; false when the unit is no model or holds no mesh.
bool ReadModelCollisionMesh(const CDX9KelSceneUnit* pSource, CDX9KelCollisionMesh* pOut);

// Puts the physical manager into the slot of every scene made afterwards and
// installs the model mesh reader; the program calls it once before the
// engine starts.
void RegisterPhysicsSceneSlot();
// The scene's physical manager; null when the slot holds none.
CDX9KelPhysicalManager* GetPhysicalManager(const CDX9KelScene* pScene);

} // namespace Vorna3D
