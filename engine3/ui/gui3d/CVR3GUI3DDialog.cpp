#include "engine3/ui/gui3d/CVR3GUI3DDialog.h"

#include <cmath>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"

namespace Vorna3D {

CVR3GUI3DDialog::CVR3GUI3DDialog() {
    D3DXMatrixIdentity(&m_mScreen);
    // The manager owns its dialogs; an octree that files one must not free it.
    m_bNotOwned = true;
}

CVR3GUI3DDialog::~CVR3GUI3DDialog() { ReleaseControls(); }

void CVR3GUI3DDialog::LogImageFailure(const char* message, const std::string& control) const {
    g_Log.Write(3, "%s%s%s%s\n", message, m_strName.c_str(), ". Control : ", control.c_str());
}

CVR3GUI3DControlImage* CVR3GUI3DDialog::AddImage(const char* szName, int lod, float left, float top, float right,
                                                 float bottom, const char* szTextureFile, const char* szEffectFile,
                                                 const D3DXCOLOR& color) {
    if (!szName || !*szName || !szTextureFile || !*szTextureFile)
        return nullptr;
    const std::string name = szName;
    CDX9KelGraphicsResManager* pRes = m_pManager ? m_pManager->GetGraphicsResManager() : nullptr;
    IDirect3DDevice9* pDevice = pRes ? pRes->m_pD3DDevice : nullptr;

    auto* pImage = new CVR3GUI3DControlImage();
    CDX9KelGraphicResourceTexture* pTexture = nullptr;
    std::string folder, file;
    if (pRes && g_Utils.SplitExeFolderPathString(szTextureFile, folder, file))
        pTexture = pRes->CreateTextureFromFile(folder.c_str(), file.c_str(), true, 0);
    if (!pTexture) {
        LogImageFailure("CVR3GUI3DDialog::AddImage: not create texture. Dialog : ", name);
        delete pImage;
        return nullptr;
    }
    CDX9KelGraphicResourceEffect* pEffect = nullptr;
    if (szEffectFile && *szEffectFile) {
        if (g_Utils.SplitExeFolderPathString(szEffectFile, folder, file))
            pEffect = pRes->CreateEffectFromFile(folder.c_str(), file.c_str());
        if (!pEffect) {
            LogImageFailure("CVR3GUI3DDialog::AddImage: not create effect. Dialog : ", name);
            delete pImage;
            return nullptr;
        }
    }
    pImage->m_strName = name;
    if (!pImage->Init(pDevice, this, pTexture, pEffect, left, top, right, bottom, color)) {
        LogImageFailure("CVR3GUI3DDialog::AddImage: not init. Dialog : ", name);
        delete pImage;
        return nullptr;
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    if (!AddSceneUnit(pImage, &identity, lod)) {
        LogImageFailure("CVR3GUI3DDialog::AddImage: AddSceneUnit() failed. Dialog : ", name);
        delete pImage;
        return nullptr;
    }
    pImage->m_iIndex = static_cast<int>(m_vControls.size());
    m_vControls.push_back(pImage);
    return pImage;
}

void CVR3GUI3DDialog::Attach(CDX9KelSceneObject* pObject, int mode, const D3DXVECTOR3& offset) {
    m_pAttached = pObject;
    m_iAttachMode = mode;
    m_vAttachOffset = offset;
}

void CVR3GUI3DDialog::FollowAttached() {
    if (!m_pAttached)
        return;
    const D3DXMATRIX& w = m_pAttached->m_mWorld;
    D3DXVECTOR3 p;
    switch (m_iAttachMode) {
    case GUI3D_ATTACH_LOCAL:
        D3DXVec3TransformCoord(&p, &m_vAttachOffset, &w);
        break;
    case GUI3D_ATTACH_TRANSLATE:
        p = D3DXVECTOR3(w._41 + m_vAttachOffset.x, w._42 + m_vAttachOffset.y, w._43 + m_vAttachOffset.z);
        break;
    case GUI3D_ATTACH_FIXED_HEIGHT:
        p = D3DXVECTOR3(w._41 + m_vAttachOffset.x, m_vAttachOffset.y, w._43 + m_vAttachOffset.z);
        break;
    default:
        return;
    }
    SetPosition(&p);
}

void CVR3GUI3DDialog::UpdateScreen(const D3DVIEWPORT9& viewport, const D3DXMATRIX& view,
                                   const D3DXMATRIX& projection, const D3DXVECTOR3& cameraPos,
                                   const D3DXVECTOR3& lookAt) {
    if (!m_bFlag2 || m_iTreeIndex == -1)
        return;
    FollowAttached();
    const D3DXVECTOR3 position(m_mWorld._41, m_mWorld._42, m_mWorld._43);
    D3DXVECTOR3 look = lookAt - cameraPos, toDialog = position - cameraPos;
    D3DXVec3Normalize(&look, &look);
    D3DXVec3Normalize(&toDialog, &toDialog);
    float cosine = D3DXVec3Dot(&look, &toDialog);
    cosine = cosine > 1.0f ? 1.0f : (cosine < -1.0f ? -1.0f : cosine);
    const float angle = std::acos(cosine);
    // A NaN angle (the dialog at the eye) counts as behind the camera.
    if (!(angle < kHiddenAngle)) {
        m_bVisibleByAngle = false;
        return;
    }
    m_bVisibleByAngle = true;
    D3DXVECTOR3 screen;
    D3DXVec3Project(&screen, &position, &viewport, &projection, &view, nullptr);
    // Whole pixels; far outside the screen the value is clamped so that the
    // conversion stays defined.
    auto whole = [](float v) {
        if (!(v > -1.0e9f)) return -1.0e9f;
        if (v > 1.0e9f) return 1.0e9f;
        return static_cast<float>(static_cast<long long>(v));
    };
    D3DXMatrixIdentity(&m_mScreen);
    m_mScreen._41 = whole(screen.x);
    m_mScreen._42 = whole(screen.y);
    m_mScreen._43 = screen.z;
    const LONG width = m_pManager ? m_pManager->m_iClientWidth : 0;
    const LONG height = m_pManager ? m_pManager->m_iClientHeight : 0;
    D3DXMATRIX shift;
    D3DXMatrixTranslation(&shift, -static_cast<float>(width / 2) - 0.5f, -static_cast<float>(height / 2) - 0.5f,
                          0.0f);
    D3DXMatrixMultiply(&m_mScreen, &m_mScreen, &shift);
}

void CVR3GUI3DDialog::ReleaseControls() {
    for (CVR3GUI3DBaseControl* pControl : m_vControls) {
        if (!pControl)
            continue;
        pControl->ReleaseBuffers();
        RemoveSceneUnit(pControl);
        delete pControl;
    }
    m_vControls.clear();
}

} // namespace Vorna3D
