#pragma once
// The player's camera "Main": it orbits a look-at point at a distance, with
// a pitch above the horizon and a yaw about the vertical axis. The numeric
// keypad, the screen edges, the right-button drag and the wheel pan, turn,
// tilt and zoom it within its limits.
#include "engine3/core/render/CDX9KelBaseCamera.h"

namespace Vorna3D {

class CDX9KelGlobalCamera : public CDX9KelBaseCamera {
public:
    CDX9KelGlobalCamera();

    // As the base camera, but the target is the origin, the eye follows the
    // orbit and the far plane is 2000.
    bool Init(const char* szName, int index, int width, int height, float mmPerPixelX, float mmPerPixelY) override;
    void Update(const CDX9KelInput* pInput, float fFrameStep) override;

    // Each setter places the eye by the orbit rule and rebuilds the view.
    // Values that are not finite, and a distance that is not positive, are
    // refused (false, nothing changes).
    bool SetTarget(float x, float z);
    bool SetTarget3D(float x, float y, float z);
    bool SetDistance(float d);
    bool SetAngles(float pitch, float yaw);
    bool AddYaw(float a);
    bool AddPitch(float a); // clamped to [minimum, maximum pitch]
    bool Zoom(float a);     // clamped to [minimum, maximum distance]
    // Pans by a step along the view's right or forward direction on the sea
    // plane; an axis moves only while the target stays strictly inside the
    // limits. True (and the moved flag set) when something moved.
    bool PanRight(float a);
    bool PanForward(float a);

    float m_fPitch = 0.62831855f;
    float m_fYaw = 0.0f;
    float m_fDistance = 50.0f;
    float m_fMinX = 0.0f;
    float m_fMinZ = 0.0f;
    float m_fMaxX = 1000.0f;
    float m_fMaxZ = 1000.0f;
    float m_fMaxDistance = 200.0f;
    float m_fMinDistance = 5.0f;
    float m_fMaxPitch = 1.4959966f;
    float m_fMinPitch = 0.31415927f;
    bool m_bMoved = false;
    bool m_bPanEnabled = true;
    bool m_bRotateEnabled = true;
    bool m_bZoomEnabled = true;
    // Set when the camera stands on its target: SetTarget places it at once.
    bool m_bArrived = false;
    // While not 0 the game leaves the camera's target to the player.
    int m_iFreeMode = 0;

private:
    // Places the eye around `target` and rebuilds the view; on refusal the
    // previous state is kept.
    bool Orbit(const D3DXVECTOR3& target, float pitch, float yaw, float distance);
    bool Pan(float angle, float a);
};

} // namespace Vorna3D
