#include "engine2/world/physics/PhysicsSceneSlot.h"

#include "engine2/core/CDX9KelScene.h"

namespace Vorna2 {

bool PhysicsSceneSlot::Init(CDX9KelScene* scene) {
    return scene && m_Manager.Init(scene->m_pCameraManager, scene->m_pSceneTree);
}

void RegisterPhysicsSceneSlot() {
    CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new PhysicsSceneSlot(); });
}

CDX9KelPhysicalManager* GetPhysicalManager(const CDX9KelScene* scene) {
    if (!scene) return nullptr;
    auto* slot = dynamic_cast<PhysicsSceneSlot*>(scene->GetManager(KEL_SCENE_PHYSICAL_MANAGER));
    return slot ? &slot->m_Manager : nullptr;
}

} // namespace Vorna2
