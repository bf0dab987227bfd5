#include "engine3/core/render/CDX9KelGlobalCamera.h"

#include <cmath>

#include "engine3/core/CDX9KelInput.h"
#include "platform/window/DirectInputCodes.h"

namespace Vorna3D {

namespace {
constexpr float kHalfPi = 1.5707964f;
constexpr int kEdge = 2;       // pixels from the client edge that scroll
constexpr float kDrag = 20000.0f;
constexpr float kWheelNotch = 50.0f;

bool Down(const CDX9KelInput* in, int key) { return (in->m_KeyboardState[key] & 0x80) != 0; }
} // namespace

CDX9KelGlobalCamera::CDX9KelGlobalCamera() { m_fSpeed = 0.01f; }

bool CDX9KelGlobalCamera::Orbit(const D3DXVECTOR3& target, float pitch, float yaw, float distance)
{
    if (!std::isfinite(target.x) || !std::isfinite(target.y) || !std::isfinite(target.z) || !std::isfinite(pitch) ||
        !std::isfinite(yaw) || !std::isfinite(distance) || !(distance > 0.0f))
        return false;
    const float h = std::cos(pitch) * distance;
    const D3DXVECTOR3 eye(target.x + std::sin(yaw) * h, target.y + std::sin(pitch) * distance,
                          target.z - std::cos(yaw) * h);
    if (!SetPosition(&eye, &target)) return false;
    m_fPitch = pitch;
    m_fYaw = yaw;
    m_fDistance = distance;
    return true;
}

bool CDX9KelGlobalCamera::Init(const char* szName, int index, int width, int height, float mmx, float mmy)
{
    if (!szName) return false;
    m_vTarget = D3DXVECTOR3(0, 0, 0);
    m_vUp = D3DXVECTOR3(0, 1, 0);
    if (!InitCommon(szName, index, width, height, mmx, mmy, 2000.0f)) return false;
    Orbit(m_vTarget, m_fPitch, m_fYaw, m_fDistance);
    return true;
}

bool CDX9KelGlobalCamera::SetTarget(float x, float z) {
    if (!Orbit({x, 0.0f, z}, m_fPitch, m_fYaw, m_fDistance)) return false;
    m_bArrived = true;
    return true;
}

bool CDX9KelGlobalCamera::SetTarget3D(float x, float y, float z)
{
    return Orbit({x, y, z}, m_fPitch, m_fYaw, m_fDistance);
}

bool CDX9KelGlobalCamera::SetDistance(float d) { return Orbit(m_vTarget, m_fPitch, m_fYaw, d); }

bool CDX9KelGlobalCamera::SetAngles(float pitch, float yaw) { return Orbit(m_vTarget, pitch, yaw, m_fDistance); }

bool CDX9KelGlobalCamera::AddYaw(float a) { return Orbit(m_vTarget, m_fPitch, m_fYaw + a, m_fDistance); }

bool CDX9KelGlobalCamera::AddPitch(float a)
{
    float pitch = m_fPitch + a;
    if (pitch < m_fMinPitch) pitch = m_fMinPitch;
    if (pitch > m_fMaxPitch) pitch = m_fMaxPitch;
    return Orbit(m_vTarget, pitch, m_fYaw, m_fDistance);
}

bool CDX9KelGlobalCamera::Zoom(float a)
{
    float d = m_fDistance + m_fDistance * m_fSpeed * 3.0f * a;
    if (d < m_fMinDistance) d = m_fMinDistance;
    if (d > m_fMaxDistance) d = m_fMaxDistance;
    return Orbit(m_vTarget, m_fPitch, m_fYaw, d);
}

bool CDX9KelGlobalCamera::Pan(float angle, float a)
{
    if (!std::isfinite(a)) return false;
    const float s = m_fDistance * m_fSpeed;
    const float dx = std::cos(angle) * a * s;
    const float dz = std::sin(angle) * a * s;
    D3DXVECTOR3 eye = m_vEye, target = m_vTarget;
    bool moved = false;
    if (dx != 0.0f && target.x + dx > m_fMinX && target.x + dx < m_fMaxX) {
        eye.x += dx;
        target.x += dx;
        moved = true;
    }
    if (dz != 0.0f && target.z + dz > m_fMinZ && target.z + dz < m_fMaxZ) {
        eye.z += dz;
        target.z += dz;
        moved = true;
    }
    if (!moved || !SetPosition(&eye, &target)) return false;
    m_bMoved = true;
    return true;
}

bool CDX9KelGlobalCamera::PanRight(float a) { return Pan(m_fYaw, a); }
bool CDX9KelGlobalCamera::PanForward(float a) { return Pan(m_fYaw + kHalfPi, a); }

void CDX9KelGlobalCamera::Update(const CDX9KelInput* pInput, float F)
{
    if (!pInput || !std::isfinite(F)) return;
    if (m_bPanEnabled) {
        m_bMoved = false;
        if (Down(pInput, DIK_NUMPAD6)) PanRight(0.1f * F);
        if (Down(pInput, DIK_NUMPAD4)) PanRight(-0.1f * F);
        if (Down(pInput, DIK_NUMPAD8)) PanForward(0.1f * F);
        if (Down(pInput, DIK_NUMPAD2)) PanForward(-0.1f * F);
        const RECT& rc = pInput->m_rcClient;
        // Edge scrolling needs a client area to have edges.
        if (!pInput->m_bRightDown && rc.right - rc.left > 2 * kEdge && rc.bottom - rc.top > 2 * kEdge) {
            const LONG x = pInput->m_iCursorX, y = pInput->m_iCursorY;
            if (y <= rc.top + kEdge) PanForward(F);
            if (x <= rc.left + kEdge) PanRight(-F);
            if (y >= rc.bottom - kEdge) PanForward(-F);
            if (x >= rc.right - kEdge) PanRight(F);
        }
    }
    if (m_bRotateEnabled) {
        if (Down(pInput, DIK_NUMPAD9))
            AddPitch(0.01f * F);
        else if (Down(pInput, DIK_NUMPAD3))
            AddPitch(-0.01f * F);
        if (Down(pInput, DIK_NUMPAD7))
            AddYaw(-0.01f * F);
        else if (Down(pInput, DIK_NUMPAD1))
            AddYaw(0.01f * F);
        if (pInput->m_bRightDown) {
            AddYaw(-pInput->m_fRightDeltaX / kDrag * F);
            AddPitch(pInput->m_fRightDeltaY / kDrag * F);
        }
    }
    if (m_bZoomEnabled) {
        if (Down(pInput, DIK_ADD))
            Zoom(-0.3f * F);
        else if (Down(pInput, DIK_SUBTRACT))
            Zoom(0.3f * F);
        if (pInput->m_fWheel != 0.0f) Zoom(-pInput->m_fWheel / kWheelNotch);
    }
}

} // namespace Vorna3D
