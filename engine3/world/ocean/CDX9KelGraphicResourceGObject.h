#pragma once
// A graphic object: a resource of the graphic-objects manager that is also a
// drawable scene unit (the sea, the sky). The manager relays the per-frame
// update and the device-loss events; the render system draws it in its
// graphic-object pass, inside the run of the object's effect.
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/resources/CDX9KelBaseResource.h"
#include "engine3/core/scene/CDX9KelSceneUnit.h"

namespace Vorna3D {

class CDX9KelGraphicResourceGObject : public CDX9KelBaseResource,
                                      public CDX9KelSceneUnit,
                                      public IDX9KelRenderUnit {
public:
    // Type id of a graphic object and scene-unit kind 2, under `szName`.
    explicit CDX9KelGraphicResourceGObject(const char* szName);
    ~CDX9KelGraphicResourceGObject() override = default;

    // Without an effect the render system's passes leave the object alone.
    CDX9KelGraphicResourceEffect* GetRenderEffect() override { return nullptr; }
    int GetRenderTextureSlot() override { return -1; }
    void RenderUnit(IDirect3DDevice9*, float, bool, const D3DXMATRIX*, UINT, UINT) override {}

    // Drawn at all; the sky and the sea skip drawing and animation while not
    // shown or not enabled.
    bool m_bShown = true;
    bool m_bEnabled = true;
};

} // namespace Vorna3D
