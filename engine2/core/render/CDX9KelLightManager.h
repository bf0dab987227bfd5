#pragma once
// One directional light and a "sun" for specular effects. The render system
// copies the first light into the effects whenever its changed flag is set;
// the scene clears the flags at the end of every frame. Whoever changes a
// light sets its flag.
#include "platform/math/d3dx9math.h"

#include <memory>
#include <vector>

namespace Vorna2 {

struct CDX9KelLight {
    CDX9KelLight();

    D3DXVECTOR3 m_vDirection{0.5f, -0.5f, 0.5f};
    D3DXCOLOR m_Diffuse{1.0f, 240.0f / 255.0f, 240.0f / 255.0f, 1.0f};
    D3DXCOLOR m_Ambient{200.0f / 255.0f, 200.0f / 255.0f, 200.0f / 255.0f, 1.0f};
    float m_fSunYaw = 3.8f;
    float m_fSunElevation = 0.3f;
    float m_fSunShininess = 1000.0f;
    float m_fSunStrength = 200.0f;
    D3DXCOLOR m_SunColor{0.3f, 0.2f, 0.1f, 0.1f};
    // (sin yaw cos elevation, sin elevation, cos elevation cos yaw, 0).
    D3DXVECTOR4 m_vSun;
    bool m_bChanged = false;
};

class CDX9KelLightManager {
public:
    // Appends a light with the default values.
    bool AddDefaultLight();
    // The first light, or null when there is none.
    CDX9KelLight* GetFirstLight();
    void ClearChangedFlags();
    void Clear();
    std::size_t GetCount() const { return m_Lights.size(); }

private:
    std::vector<std::unique_ptr<CDX9KelLight>> m_Lights;
};

} // namespace Vorna2
