#pragma once
// How the campaign's frame is drawn: effects are loaded and their shared
// parameters bound by name; light, camera and time parameters are refreshed
// once per frame; the graphic objects and the visible scene-tree models are
// drawn in passes sorted so that objects sharing an effect (and a texture)
// are drawn inside one effect begin/end.
#include "platform/d3dx/d3dx9.h"

#include <vector>

namespace Vorna2 {

class CDXSceneTree;
class IDX9KelSceneManager;
class CDX9KelGraphicsResManager;
class CDX9KelBaseCameraManager;
class CDX9KelLightManager;
class CDX9KelModel;
class CDX9KelBaseGrapRes;
struct CDX9KelEffect;

class CDX9KelRenderSystem {
public:
    // Loads the effect (name relative to the program folder) through the
    // resource manager and binds light and camera parameters; null without a
    // name, a device or a resource manager, or when the load fails.
    CDX9KelEffect* LoadEffect(IDirect3DDevice9* device, const char* fileName);
    // The same, stored as the model's effect.
    bool LoadModelEffect(IDirect3DDevice9* device, const char* fileName, CDX9KelModel* model);
    bool BindParameters(CDX9KelEffect* effect);
    bool SetLightParameters(CDX9KelEffect* effect);
    bool SetCameraParameters(CDX9KelEffect* effect);
    // Per frame: visited marks, the time, and the parameters of a changed
    // camera or light on every effect.
    void Update();

    // The GUI pass: the screen-space transforms of the GUI's client area
    // (identity view, y growing downwards), the GUI manager's drawing, then
    // the active camera's transforms again. Nothing without a GUI manager,
    // a camera manager or anything to draw.
    void RenderGUI(IDirect3DDevice9* device);
    void RenderGraphicObjects(IDirect3DDevice9* device, float frameTime);
    void RenderSceneTree(IDirect3DDevice9* device, float frameTime);
    // The particle pass: the particle-system manager draws its systems.
    void RenderParticleSystems(IDirect3DDevice9* device);
    // Draws the model once per non-null matrix.
    void RenderModelInstances(IDirect3DDevice9* device, float frameTime, CDX9KelModel* model,
                              const std::vector<const D3DXMATRIX*>& matrices);

    // The pass orders: descending effect (then texture) position in the
    // resource manager's lists, an unlisted effect or texture counting as
    // the largest position. A null object or a missing resource manager is
    // logged and ordered after the others.
    bool SortModelEffect(const CDX9KelModel* a, const CDX9KelModel* b) const;
    bool SortResEffect(const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) const;
    bool SortResTexture(const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) const;
    // Scene-tree order: SortModelEffect, then the distance from the active
    // camera's eye, nearest first.
    bool SortModelEffectDistance(const CDX9KelModel* a, const CDX9KelModel* b) const;
    // Graphic-object order: SortResEffect, then SortResTexture.
    bool SortResEffectTexture(const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) const;

    CDXSceneTree* m_pSceneTree = nullptr;
    CDX9KelGraphicsResManager* m_pResManager = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    CDX9KelLightManager* m_pLightManager = nullptr;
    IDX9KelSceneManager* m_pGUIManager = nullptr;
    IDX9KelSceneManager* m_pParticleSysManager = nullptr;

    // The draw order of the last scene-tree pass (for tests and tools).
    std::vector<CDX9KelModel*> m_LastSceneOrder;

private:
    unsigned EffectPosition(const CDX9KelEffect* effect) const;
    unsigned TexturePosition(const IDirect3DBaseTexture9* texture) const;
    float EyeDistance(const CDX9KelModel* model) const;
    const D3DXMATRIX* ViewProjection() const;
};

} // namespace Vorna2
