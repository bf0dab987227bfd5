#include "engine2/core/scene/CDX9KelSceneObject.h"

#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/core/CDX9KelUtils.h"

namespace Vorna2 {

CDX9KelSceneObject::CDX9KelSceneObject() { D3DXMatrixIdentity(&m_mWorld); }

CDX9KelSceneObject::~CDX9KelSceneObject() {
    m_Leaves.clear();
    m_Models.clear();
    m_SoundIds.clear();
}

int CDX9KelSceneObject::AddModel(CDX9KelModel* model) {
    if (!model || m_Models.size() >= kMaxModels) return -1;
    if (m_Models.empty()) {
        m_vCenter = model->m_vSphereCenter;
        m_fRadius = model->m_fSphereRadius;
        const D3DXVECTOR3 r(m_fRadius, m_fRadius, m_fRadius);
        m_vBoxMin = m_vCenter - r;
        m_vBoxMax = m_vCenter + r;
    }
    model->m_bAttached = true;
    model->m_mWorld = m_mWorld;
    m_Models.push_back(model);
    return static_cast<int>(m_Models.size()) - 1;
}

bool CDX9KelSceneObject::SetLODDistances(float first, float second) {
    if (first > second) return false;
    m_fLODDistance1 = first;
    m_fLODDistance2 = second;
    return true;
}

CDX9KelModel* CDX9KelSceneObject::SelectLOD(const D3DXVECTOR3& cameraPosition) {
    if (m_Models.empty()) return nullptr;
    CDX9KelModel* chosen = m_Models[0];
    if (m_Models.size() > 1) {
        const D3DXVECTOR3 centre = UpdateCenter();
        const float d = GetDistance(&cameraPosition, &centre);
        if (d <= m_fLODDistance1) chosen = m_Models[0];
        else if (d >= m_fLODDistance2) chosen = m_Models.back();
        else chosen = m_Models.size() == 3 ? m_Models[1] : m_Models[0];
    }
    if (chosen) chosen->m_mWorld = m_mWorld;
    return chosen;
}

bool CDX9KelSceneObject::SetWorldMatrix(const D3DXMATRIX& matrix) {
    if (matrix._11 * matrix._11 + matrix._12 * matrix._12 + matrix._13 * matrix._13 == 0.0f) return false;
    m_mWorld = matrix;
    for (CDX9KelModel* m : m_Models)
        if (m) m->m_mWorld = matrix;
    return true;
}

const D3DXVECTOR3& CDX9KelSceneObject::UpdateCenter() {
    m_vWorldCenter = D3DXVECTOR3(m_mWorld._41, m_mWorld._42, m_mWorld._43) + m_vCenter;
    return m_vWorldCenter;
}

bool CDX9KelSceneObject::ReleaseModels(CDX9KelGraphicsResManager* resources) {
    if (!resources) return false;
    // Each model is released once: its root frame and controller are nulled,
    // so a later deletion by the manager has nothing left to release.
    for (CDX9KelModel* m : m_Models)
        if (m) resources->ReleaseModelResources(m);
    m_Models.clear();
    return true;
}

bool CDX9KelSceneObject::Translate(const D3DXVECTOR3* vector, CDXSceneTree* tree, CDX9KelSceneObject* object) {
    if (!object || !vector || !tree || !tree->IsMade()) return false;
    TranslateMatrix(vector, &object->m_mWorld);
    object->m_bMoved = true;
    return tree->MoveSceneObject(object);
}

bool CDX9KelSceneObject::SetTransform(const D3DXMATRIX* matrix, CDX9KelSceneObject* object, CDXSceneTree* tree) {
    if (!object || !matrix || !tree || !tree->IsMade()) return false;
    object->m_mWorld = *matrix;
    object->m_bMoved = true;
    return tree->MoveSceneObject(object);
}

bool CDX9KelSceneObject::RotateAroundPoint(const D3DXVECTOR3* axis, CDXSceneTree* tree, CDX9KelSceneObject* object,
                                           const D3DXVECTOR3* point, float angle) {
    if (!object || !axis || !point || !tree || !tree->IsMade()) return false;
    object->m_bMoved = true;
    D3DXMATRIX m = object->m_mWorld;
    RotateMatrixAroundAxis(axis, &m, point, angle);
    object->SetWorldMatrix(m);
    return tree->MoveSceneObject(object);
}

void CDX9KelSceneObject::RotateWorldY(CDX9KelSceneObject* object, float angle) {
    if (!object) return;
    D3DXMATRIX m = object->m_mWorld;
    RotateMatrixYaw(&m, angle);
    object->SetWorldMatrix(m);
}

void CDX9KelSceneObject::RotatePitch(CDX9KelSceneObject* object, float angle) {
    if (!object) return;
    D3DXMATRIX m = object->m_mWorld;
    RotateMatrixPitch(&m, angle);
    object->SetWorldMatrix(m);
}

void CDX9KelSceneObject::RotateRoll(CDX9KelSceneObject* object, float angle) {
    if (!object) return;
    D3DXMATRIX m = object->m_mWorld;
    RotateMatrixRoll(&m, angle);
    object->SetWorldMatrix(m);
}

} // namespace Vorna2
