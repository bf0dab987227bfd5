#pragma once
// What the sound manager reads of the cameras: the active camera's eye,
// look-at point and up vector.
#include "platform/math/d3dx9math.h"

namespace Vorna2 {

class CDX9KelBaseCameraManager;

// False when there is no active camera.
bool ActiveCameraView(const CDX9KelBaseCameraManager* cameraManager, D3DXVECTOR3& eye, D3DXVECTOR3& lookAt,
                      D3DXVECTOR3& up);

} // namespace Vorna2
