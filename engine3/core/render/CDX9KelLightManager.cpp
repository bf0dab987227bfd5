#include "engine3/core/render/CDX9KelLightManager.h"

#include <cmath>
#include <new>

namespace Vorna3D {

CDX9KelLight::CDX9KelLight()
{
    UpdateSunVector();
}

void CDX9KelLight::UpdateSunVector()
{
    const float ce = std::cos(m_fSunElevation);
    m_vSunVector = D3DXVECTOR4(std::sin(m_fSunAzimuth) * ce, std::sin(m_fSunElevation), std::cos(m_fSunAzimuth) * ce,
                               0.0f);
    m_bChanged = true;
}

CDX9KelLightManager::~CDX9KelLightManager() { Release(); }

bool CDX9KelLightManager::Init()
{
    auto* light = new (std::nothrow) CDX9KelLight();
    if (!light) return false;
    light->m_iType = KEL_LIGHT_DIRECTIONAL;
    m_vLights.push_back(light);
    return true;
}

CDX9KelLight* CDX9KelLightManager::GetFirstLight() const { return m_vLights.empty() ? nullptr : m_vLights.front(); }

void CDX9KelLightManager::ResetChanged()
{
    for (CDX9KelLight* l : m_vLights)
        if (l) l->m_bChanged = false;
}

void CDX9KelLightManager::Release()
{
    for (CDX9KelLight* l : m_vLights) delete l;
    m_vLights.clear();
}

} // namespace Vorna3D
