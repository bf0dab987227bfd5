#pragma once
// The physical manager in the campaign scene's manager slot: bound to the
// scene's camera manager and tree at start-up, run every frame, given each
// new tree, told of deleted objects, emptied with the scene.
#include "engine2/core/IDX9KelSceneManager.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"

namespace Vorna2 {

class PhysicsSceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* scene) override;
    void Process(float frameTime) override {
        (void)frameTime;
        m_Manager.Process();
    }
    void Release() override { m_Manager.Release(); }
    void SetSceneTree(CDXSceneTree* tree) override { m_Manager.m_pSceneTree = tree; }
    void ForgetSceneObject(CDX9KelSceneObject* object) override { m_Manager.RemoveObject(object); }

    CDX9KelPhysicalManager m_Manager;
};

void RegisterPhysicsSceneSlot();
// The scene's physical manager; null when its slot holds none.
CDX9KelPhysicalManager* GetPhysicalManager(const CDX9KelScene* scene);

} // namespace Vorna2
