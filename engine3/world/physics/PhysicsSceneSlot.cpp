#include "engine3/world/physics/PhysicsSceneSlot.h"

#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/resources/CDX9KelModel.h"

#include <cstring>

namespace Vorna3D {

bool ReadModelCollisionMesh(const CDX9KelSceneUnit* pSource, CDX9KelCollisionMesh* pOut) {
    auto* model = dynamic_cast<CDX9KelModel*>(const_cast<CDX9KelSceneUnit*>(pSource));
    if (!model || !pOut) return false;
    D3DXMATRIX frameMatrix;
    const D3DXFRAME* frame = model->GetMeshFrameMatrix(&frameMatrix);
    ID3DXMesh* mesh = frame && frame->pMeshContainer ? frame->pMeshContainer->MeshData.pMesh : nullptr;
    if (!mesh) return false;

    ID3DXMesh* clone = nullptr;
    if (FAILED(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, D3DFVF_XYZ, nullptr, &clone)) || !clone)
        return false;
    const DWORD vertexCount = clone->GetNumVertices();
    const DWORD faceCount = clone->GetNumFaces();
    bool ok = vertexCount > 0 && faceCount > 0 && clone->GetNumBytesPerVertex() == sizeof(D3DXVECTOR3);
    void* vb = nullptr;
    void* ib = nullptr;
    if (ok) ok = SUCCEEDED(clone->LockVertexBuffer(D3DLOCK_READONLY, &vb)) && vb;
    if (ok) {
        pOut->stdvPositions.resize(vertexCount);
        std::memcpy(pOut->stdvPositions.data(), vb, vertexCount * sizeof(D3DXVECTOR3));
        ok = SUCCEEDED(clone->LockIndexBuffer(D3DLOCK_READONLY, &ib)) && ib;
    }
    if (ok) {
        const unsigned* indices = static_cast<const unsigned*>(ib);
        pOut->stdvIndices.assign(indices, indices + faceCount * 3u);
    }
    if (vb) clone->UnlockVertexBuffer();
    if (ib) clone->UnlockIndexBuffer();
    clone->Release();
    return ok;
}

void RegisterPhysicsSceneSlot() {
    CDX9KelCollisionModel::SetMeshReader(&ReadModelCollisionMesh);
    CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER,
                                  []() -> IDX9KelSceneManager* { return new PhysicsSceneSlot(); });
}

CDX9KelPhysicalManager* GetPhysicalManager(const CDX9KelScene* pScene) {
    if (!pScene) return nullptr;
    auto* slot = dynamic_cast<PhysicsSceneSlot*>(pScene->GetManager(KEL_SCENE_PHYSICAL_MANAGER));
    return slot ? &slot->m_Manager : nullptr;
}

} // namespace Vorna3D
