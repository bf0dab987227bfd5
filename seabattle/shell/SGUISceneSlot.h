#pragma once
// The screen GUI manager in the engine scene's slot: made with the scene's
// window and graphic resources, updated by the scene's frame processing while
// GUI input is on, drawn by the render system's screen-GUI pass, and told
// when the cursor belongs to a dialog (the camera then leaves the mouse alone).
#include "engine3/core/IDX9KelSceneManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"

namespace SeaBattle {

using Vorna3D::CDX9KelScene;
using Vorna3D::CDX9KelSGUIManager;


class SGUISceneSlot : public Vorna3D::IDX9KelSceneManager {
public:
    static Vorna3D::IDX9KelSceneManager* Create() { return new SGUISceneSlot(); }

    bool Init(CDX9KelScene* pScene) override;
    void Process(float fFrameStep) override { m_Manager.Update(fFrameStep); }
    void Render(IDirect3DDevice9* pDevice, float fFrameStep) override;
    void Restore() override { m_Manager.Restore(); }
    void Release() override { m_Manager.Release(); }
    bool HoldsMouse() const override { return m_Manager.m_iHoverDialog != -1; }
    void ClearHover() override { m_Manager.m_iHoverDialog = -1; }

    CDX9KelSGUIManager m_Manager;
    CDX9KelScene* m_pScene = nullptr;
};

// The scene's screen GUI manager; null when its slot holds none.
CDX9KelSGUIManager* GetSGUIManager(const CDX9KelScene* pScene);

} // namespace SeaBattle
