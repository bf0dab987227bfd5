#pragma once
// The engine scene's manager of the 3D GUI: named 3D dialogs in slots, read
// from 3D GUI XML, projected every frame through the active camera, and
// hidden or shown together (the GUI key). Main thread only.
#include <string>
#include <vector>

#include "engine3/core/IDX9KelSceneManager.h"
#include "engine3/ui/gui3d/CVR3GUI3DDialog.h"
#include "platform/os/WinTypes.h"

class TiXmlElement;

namespace Vorna3D {

class CDX9KelBaseCameraManager;
class CDX9KelGraphicsResManager;

class CVR3GUI3DManager : public IDX9KelSceneManager {
public:
    // Depth range of the viewport the dialogs are projected into.
    static constexpr float kViewportMaxZ = 1000.0f;

    CVR3GUI3DManager() = default;
    ~CVR3GUI3DManager() override { Clear(); }
    // For the engine scene's 3D GUI slot (CDX9KelScene::RegisterManager).
    static IDX9KelSceneManager* Create() { return new CVR3GUI3DManager(); }
    CVR3GUI3DManager(const CVR3GUI3DManager&) = delete;
    CVR3GUI3DManager& operator=(const CVR3GUI3DManager&) = delete;

    // The cameras and the window's client size; false without a camera manager.
    bool Init(CDX9KelBaseCameraManager* pCameraManager, HWND hWnd);
    // The scene's slot: its camera manager, window and graphic resources;
    // the frame's step is Update; Release is Clear.
    bool Init(CDX9KelScene* pScene) override;
    void Process(float fFrameStep) override { Update(); }
    void Release() override { Clear(); }
    // A new, empty dialog in the most recently freed slot or appended; null
    // (logged) for an empty name or one that another dialog has. While the
    // dialogs are hidden a new one starts hidden and appears with the others.
    CVR3GUI3DDialog* InitDialog(const char* szName);
    // A dialog named `szName` from its XML node ("Distance", "Controls" with
    // "Image" children); a failed image is left out. Null when the dialog
    // cannot be made.
    CVR3GUI3DDialog* CreateDialogFromXML(const TiXmlElement* pNode, const char* szName);
    // One "Image" element into the dialog; false (logged) when it makes nothing.
    bool CreateImage(CVR3GUI3DDialog* pDialog, const TiXmlElement* pImage);
    // Projects every dialog through the active camera; nothing without one.
    void Update();
    // Releases and deletes every dialog. Dialogs filed in an octree must be
    // taken out of it first.
    void Clear();
    // False hides every dialog (remembering whether it was shown), true shows
    // again those that were shown. Always true.
    bool SetDialogsVisible(bool bVisible);

    CVR3GUI3DDialog* GetDialog(int index) const;
    void SetGraphicsResManager(CDX9KelGraphicsResManager* p) { m_pGraphicsResManager = p; }
    CDX9KelGraphicsResManager* GetGraphicsResManager() const { return m_pGraphicsResManager; }

    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    LONG m_iClientWidth = 0;
    LONG m_iClientHeight = 0;
    D3DVIEWPORT9 m_Viewport = {0, 0, 0, 0, 0.0f, kViewportMaxZ};
    std::vector<CVR3GUI3DDialog*> m_vDialogs; // owned; freed slots are null
    std::vector<DWORD> m_vFreeSlots;
    // Set while SetDialogsVisible(false) holds.
    bool m_bDialogsHidden = false;

private:
    // Where textures and effects of the images come from; not owned.
    CDX9KelGraphicsResManager* m_pGraphicsResManager = nullptr;
};

} // namespace Vorna3D
