// The engine section: frames run, the settled display mode and the window.
#include "Registry.h"
#include "SimEngine.h"

#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelRender.h"

#include <cstdio>

CAMPAIGNSIM_DUMP(engine, 0) {
    char line[200];
    std::snprintf(line, sizeof line, "frames %d\nframe_ms %u\nseed %u\n", engine.GetFramesRun(),
                  static_cast<unsigned>(engine.GetOptions().frameMs), static_cast<unsigned>(engine.GetOptions().seed));
    out += line;
    if (const Vorna2::CDX9KelRender* r = engine.m_pRender) {
        std::snprintf(line, sizeof line, "display full_screen %d width %d height %d refresh %d wireframe %d\n",
                      r->m_iFullScreen, r->m_iWidth, r->m_iHeight, r->m_iRefreshRate, r->m_bWireframe ? 1 : 0);
        out += line;
    }
    if (const Vorna2::CDX9KelApp* app = engine.m_pApp) {
        std::snprintf(line, sizeof line, "window %d %d\n", app->m_iWidth, app->m_iHeight);
        out += line;
    }
    if (const Vorna2::CDX9KelScene* scene = engine.m_pScene) {
        std::snprintf(line, sizeof line, "scene statistics %d developer_keys %d\n", scene->m_bShowStatistics ? 1 : 0,
                      scene->m_bDeveloperKeys ? 1 : 0);
        out += line;
    }
}
