#pragma once
// The particle-system manager in the campaign scene's manager slot: given
// the scene's resource manager at start-up, stepped with the frame time,
// drawn in the render system's particle pass, told of device loss, and
// emptied with the scene.
#include "engine2/core/IDX9KelSceneManager.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"

namespace Vorna2 {

class ParticleSceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* scene) override;
    void Process(float frameTime) override { m_Manager.Process(frameTime); }
    void Render(IDirect3DDevice9* device) override { m_Manager.Render(device); }
    void OnLost() override { m_Manager.OnLost(); }
    void Restore(IDirect3DDevice9* device) override { m_Manager.Restore(device); }
    void Release() override { m_Manager.DeleteAllPS(); }
    // Deletes the object's own particle-system list.
    void ForgetSceneObject(CDX9KelSceneObject* object) override;

    CDXParticleSystemManager m_Manager;
};

// Puts the particle-system manager into the slot of every scene made
// afterwards.
void RegisterParticleSceneSlot();
// The scene's particle-system manager; null when its slot holds none.
CDXParticleSystemManager* GetParticleSystemManager(const CDX9KelScene* scene);

} // namespace Vorna2
