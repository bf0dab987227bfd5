#include "engine2/ui/sound/SoundCamera.h"

#include "engine2/core/render/CDX9KelBaseCamera.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"

namespace Vorna2 {

bool ActiveCameraView(const CDX9KelBaseCameraManager* cameraManager, D3DXVECTOR3& eye, D3DXVECTOR3& lookAt,
                      D3DXVECTOR3& up) {
    const CDX9KelBaseCamera* camera = cameraManager ? cameraManager->GetActiveCamera() : nullptr;
    if (!camera) return false;
    eye = camera->m_vEye;
    lookAt = camera->m_vLookAt;
    up = camera->m_vUp;
    return true;
}

} // namespace Vorna2
