// The camera section: the active camera of the scene's camera manager.
#include "Registry.h"
#include "SimEngine.h"

#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"

#include <cstdio>

CAMPAIGNSIM_DUMP(camera, 10) {
    const Vorna2::CDX9KelScene* scene = engine.m_pScene;
    const Vorna2::CDX9KelBaseCameraManager* manager = scene ? scene->m_pCameraManager : nullptr;
    const Vorna2::CDX9KelBaseCamera* camera = manager ? manager->GetActiveCamera() : nullptr;
    if (!camera) {
        out += "none\n";
        return;
    }
    char line[256];
    std::snprintf(line, sizeof line, "count %d\nkind %d\neye %.4f %.4f %.4f\nlook_at %.4f %.4f %.4f\naspect %.4f\n",
                  manager->GetCameraCount(), camera->m_iKind, camera->m_vEye.x, camera->m_vEye.y, camera->m_vEye.z,
                  camera->m_vLookAt.x, camera->m_vLookAt.y, camera->m_vLookAt.z, camera->m_fAspect);
    out += line;
    if (const auto* global = dynamic_cast<const Vorna2::CDX9KelGlobalCamera*>(camera)) {
        std::snprintf(line, sizeof line, "orbit pitch %.4f yaw %.4f distance %.4f\n", global->m_fPitch,
                      global->m_fYaw, global->m_fDistance);
        out += line;
    }
}
