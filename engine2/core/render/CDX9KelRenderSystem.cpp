#include "engine2/core/render/CDX9KelRenderSystem.h"

#include "engine2/core/IDX9KelSceneManager.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelLightManager.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "platform/os/Clock.h"

#include <algorithm>
#include <string>

namespace Vorna2 {

CDX9KelEffect* CDX9KelRenderSystem::LoadEffect(IDirect3DDevice9* device, const char* fileName) {
    if (!fileName || !fileName[0] || !device || !m_pResManager) return nullptr;
    std::string path, folder, name;
    if (!CDX9KelUtils::SplitExeFolderPath(fileName, &path, &folder, &name)) return nullptr;
    CDX9KelEffect* effect = m_pResManager->CreateEffectFromFile(device, name.c_str(), path.c_str());
    if (!effect) return nullptr;
    BindParameters(effect);
    SetLightParameters(effect);
    SetCameraParameters(effect);
    return effect;
}

bool CDX9KelRenderSystem::LoadModelEffect(IDirect3DDevice9* device, const char* fileName, CDX9KelModel* model) {
    if (!model) return false;
    CDX9KelEffect* effect = LoadEffect(device, fileName);
    if (!effect) return false;
    model->m_pEffect = effect;
    return true;
}

bool CDX9KelRenderSystem::BindParameters(CDX9KelEffect* effect) {
    if (!effect || !effect->m_pEffect) return false;
    for (int i = 0; i < KEL_FX_HANDLE_COUNT; ++i)
        effect->m_Handles[i] = effect->m_pEffect->GetParameterByName(nullptr, kKelEffectHandleNames[i]);
    return true;
}

bool CDX9KelRenderSystem::SetLightParameters(CDX9KelEffect* effect) {
    if (!effect || !m_pLightManager || !effect->m_pEffect) return false;
    CDX9KelLight* light = m_pLightManager->GetFirstLight();
    if (!light) return false;
    ID3DXEffect* fx = effect->m_pEffect;
    if (D3DXHANDLE h = effect->Handle(KEL_FX_LIGHT_DIR)) fx->SetValue(h, &light->m_vDirection, 3 * sizeof(float));
    if (D3DXHANDLE h = effect->Handle(KEL_FX_LIGHT_DIFFUSE)) fx->SetValue(h, &light->m_Diffuse, 4 * sizeof(float));
    if (D3DXHANDLE h = effect->Handle(KEL_FX_LIGHT_AMBIENT)) fx->SetValue(h, &light->m_Ambient, 4 * sizeof(float));
    if (D3DXHANDLE h = effect->Handle(KEL_FX_SUN_COLOR)) {
        const D3DXVECTOR4 c(light->m_SunColor.r, light->m_SunColor.g, light->m_SunColor.b, light->m_SunColor.a);
        fx->SetVector(h, &c);
    }
    if (D3DXHANDLE h = effect->Handle(KEL_FX_SUN_VECTOR)) fx->SetValue(h, &light->m_vSun, 4 * sizeof(float));
    if (D3DXHANDLE h = effect->Handle(KEL_FX_SUN_SHININESS)) fx->SetFloat(h, light->m_fSunShininess);
    if (D3DXHANDLE h = effect->Handle(KEL_FX_SUN_STRENGTH)) fx->SetFloat(h, light->m_fSunStrength);
    return true;
}

bool CDX9KelRenderSystem::SetCameraParameters(CDX9KelEffect* effect) {
    if (!effect || !m_pCameraManager || !effect->m_pEffect) return false;
    CDX9KelBaseCamera* camera = m_pCameraManager->GetActiveCamera();
    if (!camera) return false;
    ID3DXEffect* fx = effect->m_pEffect;
    effect->m_mViewProjection = m_pCameraManager->m_mViewProjection;
    if (D3DXHANDLE h = effect->Handle(KEL_FX_MATRIX_VIEW)) fx->SetMatrix(h, &camera->m_mView);
    if (D3DXHANDLE h = effect->Handle(KEL_FX_MATRIX_VIEW_INVERSE)) fx->SetMatrix(h, &m_pCameraManager->m_mViewInverse);
    if (D3DXHANDLE h = effect->Handle(KEL_FX_MATRIX_VIEW_PROJ))
        fx->SetMatrix(h, &m_pCameraManager->m_mViewProjection);
    if (D3DXHANDLE h = effect->Handle(KEL_FX_VECTOR_VIEW_POS)) fx->SetValue(h, &camera->m_vEye, 3 * sizeof(float));
    return true;
}

void CDX9KelRenderSystem::Update() {
    if (!m_pCameraManager || !m_pLightManager || !m_pSceneTree) return;
    for (CDX9KelSceneObject* o : m_pSceneTree->m_VisibleObjects)
        if (o) o->m_bVisited = false;
    if (!m_pResManager) return;
    const float ms = static_cast<float>(timeGetTime() - g_Utils.GetStartTime());
    const CDX9KelLight* light = m_pLightManager->GetFirstLight();
    const bool cameraChanged = m_pCameraManager->m_bChanged;
    const bool lightChanged = light && light->m_bChanged;
    for (auto& r : m_pResManager->m_Effects) {
        CDX9KelEffect* e = r.holder;
        if (!e || !e->m_pEffect) continue;
        if (D3DXHANDLE h = e->Handle(KEL_FX_TIME)) e->m_pEffect->SetFloat(h, ms);
        if (lightChanged) SetLightParameters(e);
        if (cameraChanged) SetCameraParameters(e);
    }
}

// ---------------------------------------------------------------------------
// Orders.
unsigned CDX9KelRenderSystem::EffectPosition(const CDX9KelEffect* effect) const {
    return static_cast<unsigned>(m_pResManager->FindEffectIndex(effect));
}

unsigned CDX9KelRenderSystem::TexturePosition(const IDirect3DBaseTexture9* texture) const {
    return static_cast<unsigned>(m_pResManager->FindTextureIndex(texture));
}

const D3DXMATRIX* CDX9KelRenderSystem::ViewProjection() const {
    return m_pCameraManager ? &m_pCameraManager->m_mViewProjection : nullptr;
}

float CDX9KelRenderSystem::EyeDistance(const CDX9KelModel* model) const {
    if (!model || !m_pCameraManager || !m_pCameraManager->GetActiveCamera()) return -1.0f;
    const D3DXVECTOR3 d = D3DXVECTOR3(model->m_mWorld._41, model->m_mWorld._42, model->m_mWorld._43) -
                          m_pCameraManager->GetActiveCamera()->m_vEye;
    return D3DXVec3Length(&d);
}

// A null object sorts after every other object and equal to another null,
// which keeps each order a strict weak ordering.
#define KEL_NULL_ORDER(a, b, message)                                                                               \
    if (!(a) || !(b) || !m_pResManager) {                                                                           \
        g_Log.Write(LOG_ERROR, "%s", message);                                                                      \
        return (a) && !(b);                                                                                         \
    }

bool CDX9KelRenderSystem::SortModelEffect(const CDX9KelModel* a, const CDX9KelModel* b) const {
    KEL_NULL_ORDER(a, b, "CDX9KelRenderSystem :: SortModelEffect : Critical situation\n")
    return EffectPosition(a->m_pEffect) > EffectPosition(b->m_pEffect);
}

bool CDX9KelRenderSystem::SortModelEffectDistance(const CDX9KelModel* a, const CDX9KelModel* b) const {
    KEL_NULL_ORDER(a, b, "CDX9KelRenderSystem :: SortModelEffect : Critical situation\n")
    const unsigned ea = EffectPosition(a->m_pEffect), eb = EffectPosition(b->m_pEffect);
    if (ea != eb) return ea > eb;
    return EyeDistance(a) < EyeDistance(b);
}

bool CDX9KelRenderSystem::SortResEffect(const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) const {
    KEL_NULL_ORDER(a, b, "CDX9KelRenderSystem::SortResEffect : Critical situation\n")
    return EffectPosition(a->m_pEffect) > EffectPosition(b->m_pEffect);
}

bool CDX9KelRenderSystem::SortResTexture(const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) const {
    KEL_NULL_ORDER(a, b, "CDX9KelRenderSystem::SortResEffect : Critical situation\n")
    return TexturePosition(a->m_pTexture) > TexturePosition(b->m_pTexture);
}

bool CDX9KelRenderSystem::SortResEffectTexture(const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) const {
    KEL_NULL_ORDER(a, b, "CDX9KelRenderSystem::SortResEffect : Critical situation\n")
    const unsigned ea = EffectPosition(a->m_pEffect), eb = EffectPosition(b->m_pEffect);
    if (ea != eb) return ea > eb;
    return TexturePosition(a->m_pTexture) > TexturePosition(b->m_pTexture);
}

#undef KEL_NULL_ORDER

// ---------------------------------------------------------------------------
// Passes.
void CDX9KelRenderSystem::RenderGraphicObjects(IDirect3DDevice9* device, float frameTime) {
    (void)frameTime;
    if (!device || !m_pResManager || m_pResManager->m_GrapRes.empty()) return;
    std::vector<CDX9KelBaseGrapRes*> list = m_pResManager->m_GrapRes;
    std::stable_sort(list.begin(), list.end(), [this](const CDX9KelBaseGrapRes* a, const CDX9KelBaseGrapRes* b) {
        return SortResEffectTexture(a, b);
    });
    size_t i = 0;
    const IDirect3DBaseTexture9* lastTexture = nullptr;
    bool first = true;
    while (i < list.size()) {
        CDX9KelEffect* effect = list[i] ? list[i]->m_pEffect : nullptr;
        size_t end = i + 1;
        while (end < list.size() && list[end] && list[end]->m_pEffect == effect) ++end;
        UINT passes = 0;
        const bool withEffect = effect && effect->m_pEffect && SUCCEEDED(effect->m_pEffect->Begin(&passes, 0));
        for (size_t k = i; k < end; ++k) {
            CDX9KelBaseGrapRes* o = list[k];
            // A hidden object draws nothing and so binds no texture: the
            // next one compares with the last texture really bound.
            if (!o || !o->m_bVisible) continue;
            const bool changed = first || o->m_pTexture != lastTexture;
            o->Render(device, withEffect ? effect : nullptr, changed, passes);
            lastTexture = o->m_pTexture;
            first = false;
        }
        if (withEffect) effect->m_pEffect->End();
        i = end;
    }
}

void CDX9KelRenderSystem::RenderGUI(IDirect3DDevice9* device) {
    if (!device || !m_pGUIManager || !m_pCameraManager || !m_pGUIManager->HasDrawing()) return;
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    D3DXMATRIX view, projection;
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&projection, static_cast<float>(m_pGUIManager->GetDrawWidth()),
                      -static_cast<float>(m_pGUIManager->GetDrawHeight()), -100.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    m_pGUIManager->Render(device);
    m_pCameraManager->m_bCameraSwitched = false;
    if (CDX9KelBaseCamera* camera = m_pCameraManager->GetActiveCamera()) camera->SetTransforms(device);
}

void CDX9KelRenderSystem::RenderParticleSystems(IDirect3DDevice9* device) {
    if (device && m_pParticleSysManager) m_pParticleSysManager->Render(device);
}

void CDX9KelRenderSystem::RenderSceneTree(IDirect3DDevice9* device, float frameTime) {
    m_LastSceneOrder.clear();
    if (!device || !m_pSceneTree || !m_pCameraManager || m_pSceneTree->m_RenderList.empty()) return;
    std::vector<CDX9KelModel*>& list = m_pSceneTree->m_RenderList;
    // Each model is drawn once per frame, however many objects list it.
    for (CDX9KelModel* m : list)
        if (m) m->m_bDrawn = false;
    std::stable_sort(list.begin(), list.end(),
                     [this](const CDX9KelModel* a, const CDX9KelModel* b) { return SortModelEffectDistance(a, b); });
    const D3DXMATRIX* viewProjection = ViewProjection();
    size_t i = 0;
    while (i < list.size()) {
        CDX9KelEffect* effect = list[i] ? list[i]->m_pEffect : nullptr;
        size_t end = i + 1;
        while (end < list.size() && list[end] && list[end]->m_pEffect == effect) ++end;
        UINT passes = 0;
        const bool withEffect = effect && effect->m_pEffect && SUCCEEDED(effect->m_pEffect->Begin(&passes, 0));
        for (size_t k = i; k < end; ++k) {
            if (!list[k]) continue;
            if (!list[k]->m_bDrawn) m_LastSceneOrder.push_back(list[k]);
            list[k]->Render(device, frameTime, viewProjection, passes);
        }
        if (withEffect) effect->m_pEffect->End();
        i = end;
    }
}

void CDX9KelRenderSystem::RenderModelInstances(IDirect3DDevice9* device, float frameTime, CDX9KelModel* model,
                                               const std::vector<const D3DXMATRIX*>& matrices) {
    if (!device || !model || matrices.empty()) return;
    UINT passes = 0;
    ID3DXEffect* fx = model->m_pEffect ? model->m_pEffect->m_pEffect : nullptr;
    const bool withEffect = fx && SUCCEEDED(fx->Begin(&passes, 0));
    model->m_bDrawn = true;
    for (const D3DXMATRIX* m : matrices) {
        if (!m) continue;
        model->m_mWorld = *m;
        model->RenderAgain(device, frameTime, ViewProjection(), passes);
    }
    if (withEffect) fx->End();
}

} // namespace Vorna2
