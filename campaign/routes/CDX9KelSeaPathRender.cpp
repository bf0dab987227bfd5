// Drawing of the shown sea routes: the route marker at every way point that
// the leading ship has not yet reached.
#include "campaign/routes/CDX9KelSeaPath.h"

#include "engine2/core/render/CDX9KelRenderSystem.h"

namespace VornaCampaign {

void CDX9KelSeaPathGenerator::CollectMarkers(std::vector<const D3DXMATRIX*>* out) const {
    out->clear();
    for (const SeaPathHandle& path : m_Paths) {
        if (!path || !path->m_bDrawn) continue;
        for (const SeaWayPoint& w : path->m_WayPoints)
            if (w.m_bVisible) out->push_back(&w.m_mPlacement);
    }
}

void CDX9KelSeaPathGenerator::Render(Vorna2::CDX9KelRenderSystem* renderSystem, IDirect3DDevice9* device,
                                     float frameTime) const {
    if (!renderSystem || !device || !m_pModel) return;
    std::vector<const D3DXMATRIX*> markers;
    CollectMarkers(&markers);
    renderSystem->RenderModelInstances(device, frameTime, m_pModel, markers);
}

} // namespace VornaCampaign
