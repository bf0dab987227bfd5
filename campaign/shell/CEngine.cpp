#include "campaign/shell/CEngine.h"

#include "campaign/shell/CScene.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

#include <new>

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
    // The game scene loads the screens once it has given the screen manager
    // its modules.
    Vorna2::RegisterScreenSceneSlot(kScreenFolder, false);
    Vorna2::RegisterSoundSceneSlot();
}

bool CEngine::InitInterfaces() {
    if (!m_pScene) {
        m_pScene = new (std::nothrow) CScene();
        if (!m_pScene) {
            Vorna2::g_Log.Write(Vorna2::LOG_ERROR, "%s", "Error : m_pScene = new CScene\n");
            return false;
        }
    }
    return Vorna2::CDX9KelEngine::InitInterfaces();
}

} // namespace VornaCampaign
