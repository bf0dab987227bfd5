#include "engine2/core/render/CDX9KelBaseCamera.h"

#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9Kelinput.h"
#include "platform/gfx/d3d9.h"
#include "platform/window/DirectInputCodes.h"

#include <cmath>

namespace Vorna2 {

CDX9KelBaseCamera::CDX9KelBaseCamera() {
    D3DXMatrixIdentity(&m_mView);
    D3DXMatrixIdentity(&m_mProjection);
}

float CDX9KelBaseCamera::ComputeAspect(int width, int height, float horizontalScale, float verticalScale) {
    const float numerator = static_cast<float>(width) * horizontalScale;
    const float denominator = static_cast<float>(height) * verticalScale;
    // A degenerate size would make every projection and pick ray NaN.
    if (!(denominator > 0.0f) || !(numerator > 0.0f)) return 1.0f;
    return numerator / denominator;
}

void CDX9KelBaseCamera::BuildView() { D3DXMatrixLookAtLH(&m_mView, &m_vEye, &m_vLookAt, &m_vUp); }

void CDX9KelBaseCamera::Init(int width, int height, float horizontalScale, float verticalScale) {
    BuildView();
    m_fFov = 0.7853982f;
    m_fNear = 1.0f;
    m_fFar = 1000.0f;
    SetProjection(width, height, horizontalScale, verticalScale);
}

void CDX9KelBaseCamera::SetProjection(int width, int height, float horizontalScale, float verticalScale) {
    m_fAspect = ComputeAspect(width, height, horizontalScale, verticalScale);
    D3DXMatrixPerspectiveFovLH(&m_mProjection, m_fFov, m_fAspect, m_fNear, m_fFar);
}

void CDX9KelBaseCamera::SetTransforms(IDirect3DDevice9* device) {
    if (!device) return;
    device->SetTransform(D3DTS_VIEW, &m_mView);
    device->SetTransform(D3DTS_PROJECTION, &m_mProjection);
}

CDX9KelGlobalCamera::CDX9KelGlobalCamera() { m_fSpeed = 0.01f; }

void CDX9KelGlobalCamera::Init(int width, int height, float horizontalScale, float verticalScale) {
    m_vLookAt = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_vUp = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    UpdateOrbit();
    m_fFov = 0.7853982f;
    m_fNear = 1.0f;
    m_fFar = 2000.0f;
    SetProjection(width, height, horizontalScale, verticalScale);
}

void CDX9KelGlobalCamera::UpdateOrbit() {
    const float cp = std::cos(m_fPitch);
    m_vEye = D3DXVECTOR3(m_vLookAt.x + std::sin(m_fYaw) * cp * m_fDistance,
                         m_vLookAt.y + std::sin(m_fPitch) * m_fDistance,
                         m_vLookAt.z - std::cos(m_fYaw) * cp * m_fDistance);
    BuildView();
}

void CDX9KelGlobalCamera::SetTarget(float x, float z) {
    m_vLookAt = D3DXVECTOR3(x, 0.0f, z);
    UpdateOrbit();
}

void CDX9KelGlobalCamera::SetAngles(float pitch, float yaw) {
    m_fPitch = pitch;
    m_fYaw = yaw;
    UpdateOrbit();
}

void CDX9KelGlobalCamera::Yaw(float delta) {
    m_fYaw += delta;
    UpdateOrbit();
}

void CDX9KelGlobalCamera::Pitch(float delta) {
    if ((delta > 0.0f && m_fPitch < m_fMaxPitch) || (delta < 0.0f && m_fPitch >= m_fMinPitch)) m_fPitch += delta;
    UpdateOrbit();
}

void CDX9KelGlobalCamera::Zoom(float delta) {
    if ((delta < 0.0f && m_fDistance >= m_fMinDistance) || (delta > 0.0f && m_fDistance <= m_fMaxDistance))
        m_fDistance += delta * m_fDistance * m_fSpeed * 5.0f;
    UpdateOrbit();
}

void CDX9KelGlobalCamera::Move(float dx, float dz) {
    const float x = m_vLookAt.x + dx, z = m_vLookAt.z + dz;
    if (x > m_fMinX && x < m_fMaxX && z > m_fMinZ && z < m_fMaxZ) {
        m_vLookAt.x = x;
        m_vLookAt.z = z;
        m_vEye.x += dx;
        m_vEye.z += dz;
    }
    BuildView();
}

void CDX9KelGlobalCamera::MoveRight(float amount) {
    const float step = amount * m_fDistance * m_fSpeed;
    Move(std::cos(m_fYaw) * step, std::sin(m_fYaw) * step);
}

void CDX9KelGlobalCamera::MoveForward(float amount) {
    const float step = amount * m_fDistance * m_fSpeed;
    const float angle = m_fYaw + 1.5707964f;
    Move(std::cos(angle) * step, std::sin(angle) * step);
}

void CDX9KelGlobalCamera::Control() {
    const CDX9Kelinput& in = g_Input;
    const float t = g_FPSCounter.GetFrameTime();
    if (m_bPanEnabled) {
        if (in.IsKeyDown(DIK_NUMPAD6)) MoveRight(0.3f * t);
        if (in.IsKeyDown(DIK_NUMPAD4)) MoveRight(-0.3f * t);
        if (in.IsKeyDown(DIK_NUMPAD8)) MoveForward(0.3f * t);
        if (in.IsKeyDown(DIK_NUMPAD2)) MoveForward(-0.3f * t);
        if (!in.m_bRightHeld) {
            const RECT& r = in.m_ClientRect;
            if (in.m_iCursorY <= r.top + 2) MoveForward(t);
            if (in.m_iCursorX <= r.left + 2) MoveRight(-t);
            if (in.m_iCursorY >= r.bottom - 2) MoveForward(-t);
            if (in.m_iCursorX >= r.right - 2) MoveRight(t);
        }
    }
    if (m_bRotateZoomEnabled) {
        if (in.IsKeyDown(DIK_NUMPAD9))
            Pitch(0.03f * t);
        else if (in.IsKeyDown(DIK_NUMPAD3))
            Pitch(-0.03f * t);
        if (in.IsKeyDown(DIK_ADD))
            Zoom(-0.3f * t);
        else if (in.IsKeyDown(DIK_SUBTRACT))
            Zoom(0.3f * t);
        if (in.IsKeyDown(DIK_NUMPAD7))
            Yaw(-0.05f * t);
        else if (in.IsKeyDown(DIK_NUMPAD1))
            Yaw(0.05f * t);
        if (in.m_bRightHeld) {
            Yaw(in.m_fRightDragX / -20000.0f * t);
            Pitch(in.m_fRightDragY / 20000.0f * t);
        }
    }
    if (in.m_fWheel != 0.0f) Zoom(in.m_fWheel / -50.0f);
}

} // namespace Vorna2
