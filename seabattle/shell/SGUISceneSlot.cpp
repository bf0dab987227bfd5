#include "seabattle/shell/SGUISceneSlot.h"

#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"

namespace SeaBattle {

using namespace Vorna3D;

bool SGUISceneSlot::Init(CDX9KelScene* pScene) {
    if (!pScene) return false;
    m_pScene = pScene;
    m_Manager.SetGraphicsResManager(pScene->GetGraphicsResManager());
    return m_Manager.Init(pScene->GetHWND());
}

void SGUISceneSlot::Render(IDirect3DDevice9* pDevice, float fFrameStep) {
    const int shaders = m_pScene && m_pScene->m_pRenderSystem ? m_pScene->m_pRenderSystem->m_iShadersLevel : 0;
    const DWORD anisotropy = m_pScene && m_pScene->m_pRender ? m_pScene->m_pRender->m_dwAnisotropy : 1;
    m_Manager.Render(pDevice, fFrameStep, shaders, anisotropy);
}

CDX9KelSGUIManager* GetSGUIManager(const CDX9KelScene* pScene) {
    if (!pScene) return nullptr;
    auto* slot = dynamic_cast<SGUISceneSlot*>(pScene->GetManager(KEL_SCENE_SGUI_MANAGER));
    return slot ? &slot->m_Manager : nullptr;
}

} // namespace SeaBattle
