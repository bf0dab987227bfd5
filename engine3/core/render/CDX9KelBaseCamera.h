#pragma once
// A camera: eye, look-at target and up vector, the view and projection
// matrices built from them, and what the octree and the render passes derive
// from them (view-projection, its inverse, the eight corners of the view
// volume and the six frustum planes).
#include <string>

#include "platform/math/d3dx9math.h"

class IDirect3DDevice9;

namespace Vorna3D {

class CDX9KelInput;

enum EKelFrustumPlane { KEL_PLANE_LEFT, KEL_PLANE_RIGHT, KEL_PLANE_TOP, KEL_PLANE_BOTTOM, KEL_PLANE_NEAR, KEL_PLANE_FAR };

class CDX9KelBaseCamera {
public:
    CDX9KelBaseCamera();
    virtual ~CDX9KelBaseCamera() = default;
    CDX9KelBaseCamera(const CDX9KelBaseCamera&) = delete;
    CDX9KelBaseCamera& operator=(const CDX9KelBaseCamera&) = delete;

    // Names the camera and builds view and projection (field of view pi/4,
    // near 1, far 1000). The aspect is the physical width-to-height ratio of
    // the picture: (width x mm per pixel in x) / (height x mm per pixel in y).
    // False for a null name or sizes that are not positive.
    virtual bool Init(const char* szName, int index, int width, int height, float mmPerPixelX, float mmPerPixelY);
    // Per-frame update; the free camera reads the input and the frame step
    // (hundredths of a second).
    virtual void Update(const CDX9KelInput* pInput, float fFrameStep) {}
    // Recomputes the aspect and rebuilds the projection; false (nothing
    // changes) for sizes that are not positive.
    virtual bool SetAspect(int width, int height, float mmPerPixelX, float mmPerPixelY);
    // Sets the device's view and projection transforms.
    virtual void Apply(IDirect3DDevice9* pDevice);

    // Stores eye and target and rebuilds the view. Refused (false, nothing
    // changes) for a null argument, eye = target or a view straight along
    // the up vector.
    bool SetPosition(const D3DXVECTOR3* pEye, const D3DXVECTOR3* pTarget);
    // Takes a ready view matrix (the render system's mirrored reflection
    // camera) and marks the camera changed; false for a singular matrix.
    bool SetView(const D3DXMATRIX* pView);
    bool SetFarPlane(float fFar);
    // View-projection, its inverse, corners and planes (normals inwards, not
    // normalised). Corner i is (x, y, z) with x = -1/1 by bit 0, y = -1/1 by
    // bit 1 and z = 0/1 by bit 2, taken back to world space.
    void UpdateFrustum();

    int m_iManagerIndex = -1;
    bool m_bChanged = true;   // cleared by the manager after each rendered frame
    bool m_bChanged2 = false;
    int m_iIndex = -1;
    std::string m_strName;
    D3DXMATRIX m_mView;
    D3DXMATRIX m_mProjection;
    D3DXMATRIX m_mViewProjection;
    D3DXMATRIX m_mViewInverse; // bound as g_MatrixViewInverse; follows the view
    D3DXMATRIX m_mViewProjectionInverse;
    D3DXVECTOR3 m_vEye{0.0f, 30.0f, -20.0f};
    D3DXVECTOR3 m_vTarget{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vUp{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 m_vViewDir{0.0f, 0.0f, 1.0f};
    float m_fFov = D3DX_PI / 4.0f;
    float m_fAspect = 1.0f;
    float m_fNear = 1.0f;
    float m_fFar = 1000.0f;
    float m_fSpeed = 1.0f;
    D3DXVECTOR3 m_vCorners[8];
    D3DXPLANE m_Planes[6];

protected:
    static bool ComputeAspect(int width, int height, float mmPerPixelX, float mmPerPixelY, float* pAspect);
    bool InitCommon(const char* szName, int index, int width, int height, float mmPerPixelX, float mmPerPixelY,
                    float fFar);
    void BuildProjection();
};

} // namespace Vorna3D
