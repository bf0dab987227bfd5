#include "engine3/world/particles/ParticlesSceneSlot.h"

#include "engine3/core/CDX9KelScene.h"

namespace Vorna3D {

bool ParticlesSceneSlot::Init(CDX9KelScene* pScene)
{
    if (!pScene) return false;
    m_Manager.SetGraphicsResManager(pScene->GetGraphicsResManager());
    return m_Manager.Init(pScene->GetDevice(), pScene->m_pCameraManager);
}

void RegisterParticlesSceneSlot()
{
    CDX9KelScene::RegisterManager(KEL_SCENE_PARTICLES_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new ParticlesSceneSlot(); });
}

CDX9KelParticlesSystemsManager* GetParticlesSystemsManager(const CDX9KelScene* pScene)
{
    if (!pScene) return nullptr;
    auto* slot = dynamic_cast<ParticlesSceneSlot*>(pScene->GetManager(KEL_SCENE_PARTICLES_MANAGER));
    return slot ? &slot->m_Manager : nullptr;
}

} // namespace Vorna3D
