#include "engine3/core/resources/CDX9KelBaseResourceManager.h"

#include <algorithm>

#include <cstring>

namespace Vorna3D {

CDX9KelBaseResourceManager::~CDX9KelBaseResourceManager()
{
    for (CDX9KelBaseResource* p : m_vResources) {
        if (p) {
            p->Release();
            delete p;
        }
    }
}

void CDX9KelBaseResourceManager::Init(DWORD dwType, DWORD capacity)
{
    m_dwType = dwType;
    m_vResources.reserve(capacity);
    m_vFreeSlots.reserve(capacity);
}

void CDX9KelBaseResourceManager::Render(IDirect3DDevice9* pDevice, float fValue, int iValue1, int iValue2)
{
    for (CDX9KelBaseResource* p : m_vResources)
        if (p) p->Render(pDevice, fValue, iValue1, iValue2);
}

void CDX9KelBaseResourceManager::Update(float fTimeStep)
{
    for (CDX9KelBaseResource* p : m_vResources)
        if (p) p->Update(fTimeStep);
}

void CDX9KelBaseResourceManager::ReleaseAll()
{
    for (CDX9KelBaseResource*& p : m_vResources) {
        if (p) {
            p->Release();
            delete p;
            p = nullptr;
        }
    }
    m_vResources.clear();
    m_vFreeSlots.clear();
}

void CDX9KelBaseResourceManager::OnLost(int iValue)
{
    for (CDX9KelBaseResource* p : m_vResources)
        if (p) p->OnLost(iValue);
}

void CDX9KelBaseResourceManager::Restore(IDirect3DDevice9* pDevice)
{
    for (CDX9KelBaseResource* p : m_vResources)
        if (p) p->Restore(pDevice);
}

bool CDX9KelBaseResourceManager::AddResource(CDX9KelBaseResource* pResource)
{
    if (!pResource || pResource->m_dwType != m_dwType || pResource->m_iSlotIndex != -1) return false;
    if (m_vFreeSlots.empty()) {
        m_vResources.push_back(pResource);
        pResource->m_iSlotIndex = static_cast<int>(m_vResources.size() - 1);
    } else {
        const DWORD index = m_vFreeSlots.back();
        m_vFreeSlots.pop_back();
        m_vResources[index] = pResource;
        pResource->m_iSlotIndex = static_cast<int>(index);
    }
    return true;
}

bool CDX9KelBaseResourceManager::Holds(const CDX9KelBaseResource* pResource) const
{
    if (!pResource || pResource->m_dwType != m_dwType || pResource->m_iSlotIndex < 0) return false;
    const auto index = static_cast<std::size_t>(pResource->m_iSlotIndex);
    return index < m_vResources.size() && m_vResources[index] == pResource;
}

bool CDX9KelBaseResourceManager::HoldsPointer(const CDX9KelBaseResource* pResource) const
{
    return pResource && std::find(m_vResources.begin(), m_vResources.end(), pResource) != m_vResources.end();
}

void CDX9KelBaseResourceManager::FreeSlot(DWORD index)
{
    m_vResources[index] = nullptr;
    m_vFreeSlots.push_back(index);
}

bool CDX9KelBaseResourceManager::ReleaseResource(CDX9KelBaseResource* pResource)
{
    if (!Holds(pResource)) return false;
    if (pResource->m_dwRefCount > 0) --pResource->m_dwRefCount;
    if (pResource->m_dwRefCount > 0) return true;
    const auto index = static_cast<DWORD>(pResource->m_iSlotIndex);
    pResource->Release();
    delete pResource;
    FreeSlot(index);
    return true;
}

bool CDX9KelBaseResourceManager::AddNewResource(CDX9KelBaseResource* pResource)
{
    if (!pResource) return false;
    if (!AddResource(pResource)) {
        pResource->Release();
        delete pResource;
        return false;
    }
    pResource->m_dwRefCount = 1;
    return true;
}

CDX9KelBaseResource* CDX9KelBaseResourceManager::ShareByNameAndFolder(const char* szName, const char* szFolder)
{
    const int found = FindByNameAndFolder(szName, szFolder);
    if (found < 0) return nullptr;
    CDX9KelBaseResource* resource = m_vResources[static_cast<size_t>(found)];
    ++resource->m_dwRefCount;
    return resource;
}

int CDX9KelBaseResourceManager::FindByNameAndFolder(const char* szName, const char* szFolder) const
{
    if (!szName || !szFolder) return -1;
    for (std::size_t i = 0; i < m_vResources.size(); ++i) {
        const CDX9KelBaseResource* p = m_vResources[i];
        if (p && p->m_strFileName == szName && p->m_strFolder == szFolder) return static_cast<int>(i);
    }
    return -1;
}

bool CDX9KelBaseResourceManager::ReleaseByFolder(const char* szFolder)
{
    if (!szFolder || !*szFolder) return false;
    // Slots only ever become null here, so indices stay valid while we go.
    for (std::size_t i = 0; i < m_vResources.size(); ++i) {
        CDX9KelBaseResource* p = m_vResources[i];
        if (p && p->m_strFolder == szFolder) ReleaseResource(p);
    }
    return true;
}

} // namespace Vorna3D
