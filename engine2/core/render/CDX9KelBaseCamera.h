#pragma once
// The campaign's cameras. The base camera holds eye, look-at point and up
// vector with the view and projection built from them. The global camera
// orbits a target point on the map plane at a pitch, yaw and distance and is
// steered by the keypad, the screen edges, the right mouse button and the
// wheel.
#include "platform/math/d3dx9math.h"

class IDirect3DDevice9;

namespace Vorna2 {

class CDX9KelBaseCamera {
public:
    static constexpr int kNameSize = 100;

    CDX9KelBaseCamera();
    virtual ~CDX9KelBaseCamera() = default;
    CDX9KelBaseCamera(const CDX9KelBaseCamera&) = delete;
    CDX9KelBaseCamera& operator=(const CDX9KelBaseCamera&) = delete;

    // View from eye, look-at point and up; projection with field of view
    // pi/4, near 1, far 1000 and the aspect of SetProjection.
    virtual void Init(int width, int height, float horizontalScale, float verticalScale);
    // Per-frame steering; nothing in the base camera.
    virtual void Control() {}
    // aspect = width x horizontalScale / (height x verticalScale): the
    // screen's physical width-to-height ratio. Keeps near and far.
    virtual void SetProjection(int width, int height, float horizontalScale, float verticalScale);
    virtual void SetTransforms(IDirect3DDevice9* device);

    static float ComputeAspect(int width, int height, float horizontalScale, float verticalScale);
    void BuildView();

    int m_iKind = -1;
    char m_szName[kNameSize] = {};
    D3DXMATRIX m_mView;
    D3DXMATRIX m_mProjection;
    D3DXVECTOR3 m_vEye{0.0f, 30.0f, -20.0f};
    D3DXVECTOR3 m_vLookAt{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vUp{0.0f, 1.0f, 0.0f};
    float m_fFov = 0.7853982f;
    float m_fAspect = 1.0f;
    float m_fNear = 1.0f;
    float m_fFar = 1000.0f;
    float m_fSpeed = 1.0f;
};

class CDX9KelGlobalCamera : public CDX9KelBaseCamera {
public:
    CDX9KelGlobalCamera();

    // Target at the origin, eye on the orbit, far plane 2000.
    void Init(int width, int height, float horizontalScale, float verticalScale) override;
    // Keypad, screen edges, right-button drag and wheel, scaled by the
    // frame time (the wheel is not).
    void Control() override;

    void SetTarget(float x, float z);
    void SetAngles(float pitch, float yaw);
    void Yaw(float delta);
    // Only while the pitch lies below its maximum (delta > 0) or at or above
    // its minimum (delta < 0); one step may pass the limit.
    void Pitch(float delta);
    // distance += delta x distance x speed x 5, only while at or above the
    // minimum (delta < 0) or at or below the maximum (delta > 0).
    void Zoom(float delta);
    // Moves target and eye together along the yaw direction (MoveRight) or
    // at right angles to it (MoveForward); refused unless the new target lies
    // strictly inside the map bounds on both axes.
    void MoveRight(float amount);
    void MoveForward(float amount);
    // Eye from target, pitch, yaw and distance; then the view.
    void UpdateOrbit();

    float m_fPitch = 0.62831855f;
    float m_fYaw = 0.0f;
    float m_fDistance = 50.0f;
    float m_fMinX = 0.0f;
    float m_fMinZ = 0.0f;
    float m_fMaxX = 1000.0f;
    float m_fMaxZ = 1000.0f;
    float m_fMaxDistance = 200.0f;
    float m_fMinDistance = 15.0f;
    float m_fMaxPitch = 1.4959966f;
    float m_fMinPitch = 0.44879895f;
    bool m_bPanEnabled = true;
    bool m_bRotateZoomEnabled = true;

private:
    void Move(float dx, float dz);
};

} // namespace Vorna2
