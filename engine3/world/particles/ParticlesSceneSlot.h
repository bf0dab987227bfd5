#pragma once
// The particle systems manager in the engine scene's manager slot: created by
// the scene's start-up with its device and camera manager, run by the
// scene's frame processing, told of device loss and released with the scene.
#include "engine3/core/IDX9KelSceneManager.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"

namespace Vorna3D {

class ParticlesSceneSlot : public IDX9KelSceneManager {
public:
    bool Init(CDX9KelScene* pScene) override;
    void Process(float fFrameStep) override { m_Manager.Process(); }
    void OnLost() override { m_Manager.OnLost(0); }
    void Restore() override { m_Manager.Restore(m_Manager.m_pD3DDevice); }
    void Release() override { m_Manager.ReleaseAll(); }

    CDX9KelParticlesSystemsManager m_Manager;
};

// Puts the particle systems manager into the slot of every scene made
// afterwards; the program calls it once before the engine starts.
void RegisterParticlesSceneSlot();
// The scene's particle systems manager; null when the slot holds none.
CDX9KelParticlesSystemsManager* GetParticlesSystemsManager(const CDX9KelScene* pScene);

} // namespace Vorna3D
