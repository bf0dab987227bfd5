#include "campaign/CEngine.h"

#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

namespace VornaCampaign {

CEngine g_Engine;

CEngine::CEngine() {
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));
    m_bShowArrowCursor = false;
    // The campaign's scene has its physical manager and particle systems.
    Vorna2::RegisterPhysicsSceneSlot();
    Vorna2::RegisterParticleSceneSlot();
}

} // namespace VornaCampaign
