#include "engine2/world/particles/ParticleSceneSlot.h"

#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"

namespace Vorna2 {

bool ParticleSceneSlot::Init(CDX9KelScene* scene) {
    if (!scene || !scene->m_pGrahResManager) return false;
    m_Manager.m_pResManager = scene->m_pGrahResManager;
    return true;
}

void ParticleSceneSlot::ForgetSceneObject(CDX9KelSceneObject* object) {
    if (!object || !object->m_pParticleSystems) return;
    m_Manager.DeleteList(object->m_pParticleSystems);
    object->m_pParticleSystems = nullptr;
}

void RegisterParticleSceneSlot() {
    CDX9KelScene::RegisterManager(KEL_SCENE_PARTICLES_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new ParticleSceneSlot(); });
}

CDXParticleSystemManager* GetParticleSystemManager(const CDX9KelScene* scene) {
    if (!scene) return nullptr;
    auto* slot = dynamic_cast<ParticleSceneSlot*>(scene->GetManager(KEL_SCENE_PARTICLES_MANAGER));
    return slot ? &slot->m_Manager : nullptr;
}

} // namespace Vorna2
