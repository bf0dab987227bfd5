// The lights section: the light manager's first light.
#include "Registry.h"
#include "SimEngine.h"

#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelLightManager.h"

#include <cstdio>

CAMPAIGNSIM_DUMP(lights, 20) {
    const Vorna2::CDX9KelScene* scene = engine.m_pScene;
    Vorna2::CDX9KelLightManager* lights = scene ? scene->m_pLightManager : nullptr;
    const Vorna2::CDX9KelLight* light = lights ? lights->GetFirstLight() : nullptr;
    if (!light) {
        out += "none\n";
        return;
    }
    char line[256];
    std::snprintf(line, sizeof line, "count %zu\ndirection %.4f %.4f %.4f\nsun %.4f %.4f %.4f %.4f\nchanged %d\n",
                  lights->GetCount(), light->m_vDirection.x, light->m_vDirection.y, light->m_vDirection.z,
                  light->m_vSun.x, light->m_vSun.y, light->m_vSun.z, light->m_vSun.w, light->m_bChanged ? 1 : 0);
    out += line;
}
