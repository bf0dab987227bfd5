#pragma once
// A slot-indexed, reference-counted container of resources of one type. It
// also fans the engine's per-frame and device-loss events out to every
// resource it holds.
#include <vector>

#include "engine3/core/resources/CDX9KelBaseResource.h"

namespace Vorna3D {

class CDX9KelBaseResourceManager {
public:
    CDX9KelBaseResourceManager() = default;
    CDX9KelBaseResourceManager(const CDX9KelBaseResourceManager&) = delete;
    CDX9KelBaseResourceManager& operator=(const CDX9KelBaseResourceManager&) = delete;
    // Deletes whatever is still held (normally ReleaseAll has emptied it).
    virtual ~CDX9KelBaseResourceManager();

    // Stores the type id and reserves room for `capacity` resources.
    virtual void Init(DWORD dwType, DWORD capacity);
    virtual void Render(IDirect3DDevice9* pDevice, float fValue, int iValue1, int iValue2);
    virtual void Update(float fTimeStep);
    // Releases and deletes every resource whatever its count, then empties
    // the slots and the free stack.
    virtual void ReleaseAll();
    virtual void OnLost(int iValue);
    virtual void Restore(IDirect3DDevice9* pDevice);

    // Registers a resource of this manager's type that is not registered
    // yet. Freed slots are reused most recent first, so indices stay stable
    // for the resources that remain. The count is left to the creator.
    bool AddResource(CDX9KelBaseResource* pResource);
    // Drops one reference; at 0 the resource is released, deleted and its
    // slot freed. False for a resource that is not the one in its slot.
    bool ReleaseResource(CDX9KelBaseResource* pResource);
    // Slot index of the first resource with exactly this file name and
    // folder; -1 when there is none or an argument is missing.
    int FindByNameAndFolder(const char* szName, const char* szFolder) const;
    // Registers a freshly made resource with its first reference. When the
    // manager refuses it, the resource is released and deleted (false), so a
    // caller never holds an unregistered resource.
    bool AddNewResource(CDX9KelBaseResource* pResource);
    // The resource already loaded from this file, with one more reference;
    // null when none is loaded. Files are shared this way by every manager.
    CDX9KelBaseResource* ShareByNameAndFolder(const char* szName, const char* szFolder);
    // One ReleaseResource for every resource loaded from `szFolder`.
    bool ReleaseByFolder(const char* szFolder);

    // True when `pResource` is registered here (in range and in its slot).
    bool Holds(const CDX9KelBaseResource* pResource) const;
    // True when a slot holds this very pointer. Reads nothing through it, so
    // it is safe for a pointer whose resource may have been deleted.
    bool HoldsPointer(const CDX9KelBaseResource* pResource) const;

    std::vector<CDX9KelBaseResource*> m_vResources;
    std::vector<DWORD> m_vFreeSlots;
    DWORD m_dwType = static_cast<DWORD>(-1);

protected:
    // Frees slot `index` (deleting nothing) and stacks it for reuse.
    void FreeSlot(DWORD index);
};

} // namespace Vorna3D
