#include "engine2/core/render/CDX9KelLightManager.h"

#include <cmath>
#include <new>

namespace Vorna2 {

CDX9KelLight::CDX9KelLight() {
    m_vSun = D3DXVECTOR4(std::sin(m_fSunYaw) * std::cos(m_fSunElevation), std::sin(m_fSunElevation),
                         std::cos(m_fSunElevation) * std::cos(m_fSunYaw), 0.0f);
}

bool CDX9KelLightManager::AddDefaultLight() {
    std::unique_ptr<CDX9KelLight> light(new (std::nothrow) CDX9KelLight());
    if (!light) return false;
    m_Lights.push_back(std::move(light));
    return true;
}

CDX9KelLight* CDX9KelLightManager::GetFirstLight() { return m_Lights.empty() ? nullptr : m_Lights.front().get(); }

void CDX9KelLightManager::ClearChangedFlags() {
    for (auto& light : m_Lights) light->m_bChanged = false;
}

void CDX9KelLightManager::Clear() { m_Lights.clear(); }

} // namespace Vorna2
