#pragma once
// The game's camera manager: given the window, it creates the player's free
// camera "Main" and makes it active.
#include "engine3/core/render/CDX9KelBaseCameraManager.h"

namespace Vorna3D {

class CDX9KelCameraManager : public CDX9KelBaseCameraManager {
public:
    // As the base manager; then makes "Main" active. Its result is the base
    // manager's even when "Main" could not be made (no camera is active then).
    bool SetWindow(int width, int height, HWND hWnd) override;
};

} // namespace Vorna3D
