#pragma once
// Every device-dependent object of the engine is a reference-counted resource
// kept in a slot of one typed resource manager.
#include <string>

#include "platform/os/WinTypes.h"

class IDirect3DDevice9;

namespace Vorna3D {

// Type ids of the resource kinds; a manager holds resources of one id only.
enum EKelResourceType : DWORD {
    KEL_RESOURCE_TEXTURE = 0,
    KEL_RESOURCE_EFFECT = 1,
    KEL_RESOURCE_GRAPHIC_OBJECT = 2,
    KEL_RESOURCE_FRAME = 3,
    KEL_RESOURCE_MODEL = 4,
    KEL_RESOURCE_DEPTH_STENCIL = 5,
    KEL_RESOURCE_OFFSCREEN_SURFACE = 6,
};

class CDX9KelBaseResource {
public:
    CDX9KelBaseResource() = default;
    explicit CDX9KelBaseResource(DWORD type) : m_dwType(type) {}
    CDX9KelBaseResource(const CDX9KelBaseResource&) = delete;
    CDX9KelBaseResource& operator=(const CDX9KelBaseResource&) = delete;

    // Draws the resource; the three values after the device are passed on
    // unchanged and mean what the overriding class says.
    virtual void Render(IDirect3DDevice9* pDevice, float fValue, int iValue1, int iValue2) {}
    // Per-frame update with the frame's time step.
    virtual void Update(float fTimeStep) {}
    // Frees the device objects held and nulls their pointers.
    virtual void Release() {}
    // Frees what lives in the default pool before a device reset.
    virtual void OnLost(int iValue) {}
    // Re-creates what OnLost freed, from the stored creation parameters.
    virtual void Restore(IDirect3DDevice9* pDevice) {}
    // Gives back, through the managers they came from, the textures,
    // effects and surfaces this resource took (graphic objects do), and
    // forgets them. The graphic-objects manager calls it when the last
    // reference goes, before Release.
    virtual void ReleaseHeldResources() {}
    // Derived destructors free their own data, not device objects: the owner
    // runs Release first.
    virtual ~CDX9KelBaseResource() = default;

    // Starts at 0; the creator raises it to 1 after registration and every
    // further user adds one.
    DWORD m_dwRefCount = 0;
    // Index in the owning manager's slots; -1 while not registered.
    int m_iSlotIndex = -1;
    DWORD m_dwType = static_cast<DWORD>(-1);
    // General name (empty for resources loaded from files).
    std::string m_strName;
    // File name and folder of resources loaded from files (empty otherwise);
    // the managers find shared files by these two.
    std::string m_strFileName;
    std::string m_strFolder;
};

} // namespace Vorna3D
