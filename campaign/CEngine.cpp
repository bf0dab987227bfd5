#include "campaign/CEngine.h"

#include "engine2/ui/UISceneSlots.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

namespace VornaCampaign {

CEngine g_Engine;

CEngine::CEngine() {
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));
    m_bShowArrowCursor = false;
    // The campaign's scene has its physical manager, particle systems, GUI,
    // screens and sound.
    Vorna2::RegisterPhysicsSceneSlot();
    Vorna2::RegisterParticleSceneSlot();
    Vorna2::RegisterGUISceneSlot();
    Vorna2::RegisterScreenSceneSlot(kScreenFolder);
    Vorna2::RegisterSoundSceneSlot();
}

} // namespace VornaCampaign
