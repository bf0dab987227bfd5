#include "engine3/ui/gui3d/CVR3GUI3DManager.h"

#include <cstring>
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "platform/window/Window.h"

namespace Vorna3D {

bool CVR3GUI3DManager::Init(CDX9KelBaseCameraManager* pCameraManager, HWND hWnd) {
    if (!pCameraManager)
        return false;
    m_pCameraManager = pCameraManager;
    RECT rc = {};
    if (hWnd && GetClientRect(hWnd, &rc)) {
        m_iClientWidth = rc.right - rc.left;
        m_iClientHeight = rc.bottom - rc.top;
    }
    m_Viewport.X = 0;
    m_Viewport.Y = 0;
    m_Viewport.Width = static_cast<DWORD>(m_iClientWidth > 0 ? m_iClientWidth : 0);
    m_Viewport.Height = static_cast<DWORD>(m_iClientHeight > 0 ? m_iClientHeight : 0);
    m_Viewport.MinZ = 0.0f;
    m_Viewport.MaxZ = kViewportMaxZ;
    return true;
}

bool CVR3GUI3DManager::Init(CDX9KelScene* pScene) {
    if (!pScene)
        return false;
    m_pGraphicsResManager = pScene->GetGraphicsResManager();
    return Init(pScene->m_pCameraManager, pScene->GetHWND());
}

CVR3GUI3DDialog* CVR3GUI3DManager::InitDialog(const char* szName) {
    if (!szName || !*szName) {
        g_Log.Write(3, "CVR3GUI3DManager::InitDialog() : not name\n");
        return nullptr;
    }
    for (const CVR3GUI3DDialog* pDialog : m_vDialogs) {
        if (pDialog && pDialog->m_strName == szName) {
            g_Log.Write(3, "CVR3GUI3DManager::InitDialog() : not unique name\n");
            return nullptr;
        }
    }
    auto* pDialog = new CVR3GUI3DDialog();
    pDialog->m_pManager = this;
    pDialog->m_strName = szName;
    if (m_bDialogsHidden) {
        // It appears with the others when they are shown again.
        pDialog->m_bVisible = false;
        pDialog->m_bSavedVisible = true;
    }
    if (m_vFreeSlots.empty()) {
        pDialog->m_iIndex = static_cast<int>(m_vDialogs.size());
        m_vDialogs.push_back(pDialog);
    } else {
        const DWORD slot = m_vFreeSlots.back();
        m_vFreeSlots.pop_back();
        pDialog->m_iIndex = static_cast<int>(slot);
        m_vDialogs[slot] = pDialog;
    }
    return pDialog;
}

CVR3GUI3DDialog* CVR3GUI3DManager::CreateDialogFromXML(const TiXmlElement* pNode, const char* szName) {
    CVR3GUI3DDialog* pDialog = InitDialog(szName);
    if (!pDialog) {
        g_Log.Write(3, "CVR3GUI3DManager::CreateDialogFromXML() : InitDialog() failed \n");
        return nullptr;
    }
    if (!pNode)
        return pDialog;
    if (const TiXmlElement* pDistance = pNode->FirstChildElement("Distance")) {
        const D3DXVECTOR2 range = ReadXMLAttributeVector2(pDistance);
        pDialog->SetDistanceRange(range.x, range.y);
    }
    if (const TiXmlElement* pControls = pNode->FirstChildElement("Controls")) {
        for (const TiXmlElement* pChild = pControls->FirstChildElement(); pChild;
             pChild = pChild->NextSiblingElement()) {
            if (std::strcmp(pChild->Value(), "Image") == 0)
                CreateImage(pDialog, pChild);
        }
    }
    return pDialog;
}

bool CVR3GUI3DManager::CreateImage(CVR3GUI3DDialog* pDialog, const TiXmlElement* pImage) {
    if (!pDialog || !pImage)
        return false;
    const int lod = ReadXMLAttributeInt(pImage, "lod");
    std::string name;
    if (!ReadXMLString(pImage->FirstChildElement("Name"), true, name) || name.empty())
        name = pDialog->m_strName + "_image";

    float rect[4];
    if (const TiXmlElement* pBorders = pImage->FirstChildElement("Borders")) {
        const D3DXVECTOR4 b = ReadXMLAttributeVector4(pBorders);
        rect[0] = b.x;
        rect[1] = b.y;
        rect[2] = b.z;
        rect[3] = b.w;
    } else if (const TiXmlElement* pSize = pImage->FirstChildElement("Size")) {
        const D3DXVECTOR2 s = ReadXMLAttributeVector2(pSize);
        rect[0] = -s.x / 2.0f;
        rect[1] = -s.y / 2.0f;
        rect[2] = s.x / 2.0f;
        rect[3] = s.y / 2.0f;
    } else {
        g_Log.Write(3, "%s%s%s%s\n", "CVR3GUI3DManager::CreateImage() : neither Borders nor Size. Dialog : ",
                    pDialog->m_strName.c_str(), ". Control : ", name.c_str());
        return false;
    }

    std::string texture, effect;
    ReadXMLString(pImage->FirstChildElement("Texture"), true, texture);
    ReadXMLString(pImage->FirstChildElement("Effect"), true, effect);
    D3DXCOLOR color(1.0f, 1.0f, 1.0f, 1.0f);
    if (const TiXmlElement* pColor = pImage->FirstChildElement("Color"))
        color = ReadXMLAttributeColor(pColor);

    CVR3GUI3DControlImage* pControl = pDialog->AddImage(name.c_str(), lod, rect[0], rect[1], rect[2], rect[3],
                                                        texture.c_str(), effect.c_str(), color);
    if (!pControl) {
        g_Log.Write(3, "CVR3GUI3DManager::CreateImage() : AddImage() failed \n");
        return false;
    }
    if (const TiXmlElement* pCoords = pImage->FirstChildElement("TextureCoordinates")) {
        const D3DXVECTOR4 c = ReadXMLAttributeVector4(pCoords);
        pControl->SetTextureCoordinates(c.x, c.y, c.z, c.w);
    }
    return true;
}

void CVR3GUI3DManager::Update() {
    if (!m_pCameraManager || !m_pCameraManager->m_pActiveCamera)
        return;
    const CDX9KelBaseCamera* pCamera = m_pCameraManager->m_pActiveCamera;
    for (CVR3GUI3DDialog* pDialog : m_vDialogs)
        if (pDialog)
            pDialog->UpdateScreen(m_Viewport, pCamera->m_mView, pCamera->m_mProjection, pCamera->m_vEye,
                                  pCamera->m_vTarget);
}

void CVR3GUI3DManager::Clear() {
    for (CVR3GUI3DDialog*& pDialog : m_vDialogs) {
        if (!pDialog)
            continue;
        pDialog->ReleaseControls();
        delete pDialog;
        pDialog = nullptr;
    }
    m_vDialogs.clear();
    m_vFreeSlots.clear();
}

bool CVR3GUI3DManager::SetDialogsVisible(bool bVisible) {
    for (CVR3GUI3DDialog* pDialog : m_vDialogs) {
        if (!pDialog)
            continue;
        if (bVisible) {
            pDialog->m_bVisible = pDialog->m_bSavedVisible;
        } else {
            pDialog->m_bSavedVisible = pDialog->m_bVisible;
            pDialog->m_bVisible = false;
        }
    }
    m_bDialogsHidden = !bVisible;
    return true;
}

CVR3GUI3DDialog* CVR3GUI3DManager::GetDialog(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_vDialogs.size())
        return nullptr;
    return m_vDialogs[static_cast<size_t>(index)];
}

} // namespace Vorna3D
