// The runtime section: what the running map holds besides the save's
// documented fields and what later frames depend on: the random source's
// position, the armed gates and stamps (as ages), the frame time and the
// pointer, the camera's exact orbit, the sea's noise seed and wave time, the
// turn's phase values, the column movement with its routes, the battle
// system's state, the computer player's state machines, each column's limits,
// speeds and rudder, and each unit's exact placement and physics record.
// Floats are written exactly (hexadecimal).
#include "Registry.h"
#include "SimEngine.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/shell/CScene.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"
#include "engine2/world/water/CDX9KelActiveWater.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"

#include <cstdio>
#include <string>

namespace {

std::string Age(DWORD stamp) {
    if (stamp == 0) return "free";
    return std::to_string(static_cast<DWORD>(timeGetTime() - stamp));
}

} // namespace

CAMPAIGNSIM_DUMP(runtime, 80) {
    const auto* scene = dynamic_cast<const VornaCampaign::CScene*>(engine.m_pScene);
    const VornaCampaign::CDX9KelGameMap* map = scene ? scene->m_pGameMap : nullptr;
    char line[512];
    std::uint64_t random = 0;
    out += Platform::GetRandomState(random) ? "random " + std::to_string(random) + "\n" : "random none\n";
    out += "gates " + Age(Vorna2::g_Utils.GetGateStamp(0)) + " " + Age(Vorna2::g_Utils.GetGateStamp(1)) + "\n";
    if (!map || !map->IsMapLoaded()) return;
    std::snprintf(line, sizeof line, "frame time %a cursor %d %d\n", static_cast<double>(Vorna2::g_FPSCounter.GetFrameTime()),
                  Vorna2::g_Input.m_iCursorX, Vorna2::g_Input.m_iCursorY);
    out += line;
    if (const auto* c = dynamic_cast<const Vorna2::CDX9KelGlobalCamera*>(
            engine.m_pScene->m_pCameraManager ? engine.m_pScene->m_pCameraManager->GetActiveCamera() : nullptr)) {
        std::snprintf(line, sizeof line, "camera look %a %a %a eye %a %a %a pitch %a yaw %a distance %a\n",
                      static_cast<double>(c->m_vLookAt.x), static_cast<double>(c->m_vLookAt.y),
                      static_cast<double>(c->m_vLookAt.z), static_cast<double>(c->m_vEye.x),
                      static_cast<double>(c->m_vEye.y), static_cast<double>(c->m_vEye.z),
                      static_cast<double>(c->m_fPitch), static_cast<double>(c->m_fYaw),
                      static_cast<double>(c->m_fDistance));
        out += line;
    }
    out += "map stamps " + Age(map->m_dwFinishMovStamp) + " " + Age(map->m_dwStopStamp) + " " +
           Age(map->m_dwBlockedStamp) + "\n";
    const VornaCampaign::CDX9KelGameMapTurn& t = map->m_Turn;
    std::snprintf(line, sizeof line, "turn state %d route %d wait %d reselect %d limit %a rounds %u\n",
                  t.m_iGlobalState, t.m_iPlannedRoute, t.m_iBattleWait, t.m_bContactReselect ? 1 : 0,
                  static_cast<double>(t.m_fTurnMoveLimit), t.m_uRoundsCount);
    out += line;
    if (const Vorna2::CDX9KelActiveWater* w = map->m_pWater) {
        std::snprintf(line, sizeof line, "water seed %u time %a step %a last %s\n", w->GetNoiseSeed(), w->m_dTime,
                      w->m_dEasedStep, Age(w->m_dwLastTime).c_str());
        out += line;
    }
    const VornaCampaign::CDX9KelColumnMovement& m = VornaCampaign::g_ColumnMovement;
    std::snprintf(line, sizeof line, "movement moving %d paused %d entries %zu factor %a\n", m.m_bMoving ? 1 : 0,
                  m.m_bPaused ? 1 : 0, m.m_Entries.size(), static_cast<double>(m.m_fSpeedFactor));
    out += line;
    for (const VornaCampaign::ColumnMoveEntry& e : m.m_Entries) {
        std::snprintf(line, sizeof line, "  entry travelled %a progress %a previous %a\n",
                      static_cast<double>(e.m_fTravelled), static_cast<double>(e.m_fProgress),
                      static_cast<double>(e.m_fPreviousProgress));
        out += line;
        if (e.m_Route) {
            std::snprintf(line, sizeof line, "  route time %a length %a segments %zu\n",
                          static_cast<double>(e.m_Route->m_fTime), static_cast<double>(e.m_Route->m_fLength),
                          e.m_Route->m_Segments.size());
            out += line;
        }
    }
    std::snprintf(line, sizeof line, "battle state %d sinking %zu\n", VornaCampaign::g_BattleSystem.m_iState,
                  VornaCampaign::g_BattleSystem.m_stdvSinking.size());
    out += line;
    out += "ai " + VornaCampaign::g_AISystem.DescribeState() + "\n";
    for (int side = 1; side <= 2; ++side) {
        for (const VornaCampaign::GameColumnRecord* c : map->Side(side).m_Columns) {
            if (!c) continue;
            std::snprintf(line, sizeof line,
                          "column side %d ships %zu speed %a used %a rudder %a ordered %a stored %a reduced %a\n", side,
                          c->m_Ships.size(), static_cast<double>(c->m_fCurrentSpeed), static_cast<double>(c->m_fTimeUsed),
                          static_cast<double>(c->m_fRudder), static_cast<double>(c->m_fOrderedSpeed),
                          static_cast<double>(c->m_fStoredSpeed), static_cast<double>(c->m_fReducedSpeed));
            out += line;
        }
        const VornaCampaign::GameMapSide& s = map->Side(side);
        for (std::size_t i = 0; i < s.m_SceneObjects.size(); ++i) {
            Vorna2::CDX9KelSceneObject* o = s.m_SceneObjects[i];
            if (!o) continue;
            const float* f = &o->m_mWorld._11;
            std::string m16;
            for (int k = 0; k < 16; ++k) {
                std::snprintf(line, sizeof line, " %a", static_cast<double>(f[k]));
                m16 += line;
            }
            out += "unit side " + std::to_string(side) + " " + std::to_string(i) + m16 + "\n";
            if (const Vorna2::CDX9KelFloatRecord* r = map->PhysicsRecordOf(o)) {
                std::snprintf(line, sizeof line, "  float pitch %a roll %a height %a flags %d %d %d\n",
                              static_cast<double>(r->m_fPitchBias), static_cast<double>(r->m_fRollBias),
                              static_cast<double>(r->m_fHeightOffset), r->m_bRollEnabled, r->m_bPitchEnabled,
                              r->m_bActive);
                out += line;
            }
        }
    }
}
