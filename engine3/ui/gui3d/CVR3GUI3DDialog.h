#pragma once
// A 3D dialog: a scene object that follows another scene object (a ship)
// and carries image controls drawn as screen quads at its projected point.
// Its manager owns it; it is filed in a scene octree by whoever places it
// (the octree must not delete it: it is marked not owned).
#include <string>
#include <vector>

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/ui/gui3d/CVR3GUI3DBaseControl.h"

namespace Vorna3D {

class CVR3GUI3DManager;

// How a dialog follows its attached object.
enum EGUI3DAttachMode : int {
    GUI3D_ATTACH_LOCAL = 0,      // the offset turns and moves with the object
    GUI3D_ATTACH_TRANSLATE = 1,  // the object's position plus the offset
    GUI3D_ATTACH_FIXED_HEIGHT = 2, // as 1 across the sea, the offset's own height
};

class CVR3GUI3DDialog : public CDX9KelSceneObject {
public:
    // Views at this angle or more from the camera's direction are behind it.
    static constexpr float kHiddenAngle = 1.5707964f;

    CVR3GUI3DDialog();
    ~CVR3GUI3DDialog(); // releases and deletes the controls

    // A new image control in level of detail `lod`; null (logged) for an
    // empty name or texture file, or when the texture, the effect (when a
    // file is given), the quad or the filing in the LOD fails.
    CVR3GUI3DControlImage* AddImage(const char* szName, int lod, float left, float top, float right, float bottom,
                                    const char* szTextureFile, const char* szEffectFile, const D3DXCOLOR& color);
    // The attached object, how to follow it and the offset; null detaches.
    void Attach(CDX9KelSceneObject* pObject, int mode, const D3DXVECTOR3& offset);
    // Moves the dialog to its attached object (nothing without one).
    void FollowAttached();
    // Follows the attached object, decides whether the dialog lies in front
    // of the camera and, when it does, projects its position into the screen
    // transform. Only for a dialog filed in an octree whose second flag is set.
    void UpdateScreen(const D3DVIEWPORT9& viewport, const D3DXMATRIX& view, const D3DXMATRIX& projection,
                      const D3DXVECTOR3& cameraPos, const D3DXVECTOR3& lookAt);
    // Frees the controls' buffers and the controls.
    void ReleaseControls();

    CVR3GUI3DManager* m_pManager = nullptr;
    std::vector<CVR3GUI3DBaseControl*> m_vControls; // owned
    bool m_bVisibleByAngle = true;
    bool m_bSavedVisible = false;
    int m_iIndex = -1;
    int m_iAttachMode = GUI3D_ATTACH_LOCAL;
    CDX9KelSceneObject* m_pAttached = nullptr; // not owned
    D3DXVECTOR3 m_vAttachOffset{0.0f, 0.0f, 0.0f};
    // World transform of the controls: the projected point in whole pixels
    // and its depth, moved by the screen centre and the half-pixel shift.
    D3DXMATRIX m_mScreen;

private:
    void LogImageFailure(const char* message, const std::string& control) const;
};

} // namespace Vorna3D
