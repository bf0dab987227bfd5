#pragma once
// The lights of the engine scene. The first light is the sun: the render
// system binds it to every effect and places its light cameras by it.
#include <vector>

#include "platform/math/d3dx9math.h"

namespace Vorna3D {

enum EKelLightType : int { KEL_LIGHT_NONE = -1, KEL_LIGHT_DIRECTIONAL = 0 };

struct CDX9KelLight {
    CDX9KelLight();
    // Writes the sun vector from azimuth and elevation and marks the light
    // changed; whoever changes the two angles calls it.
    void UpdateSunVector();

    int m_iType = KEL_LIGHT_NONE;
    D3DXVECTOR3 m_vDirection{0.5f, -0.5f, 0.5f};                 // g_LightDir
    D3DXVECTOR3 m_vPosition{0.0f, 100.0f, 0.0f};
    D3DXCOLOR m_Diffuse{1.0f, 0.9411765f, 0.9411765f, 1.0f};     // g_LightDiffuse
    D3DXCOLOR m_Ambient{0.5882353f, 0.5882353f, 0.5882353f, 1.0f}; // g_LightAmbient
    float m_fSunAzimuth = 3.8f;      // g_SunPosAlpha
    float m_fSunElevation = 0.25f;   // g_SunPosTheta
    float m_fSunShininess = 1500.0f; // g_SunShininess
    float m_fSunStrength = 200.0f;   // g_SunStrength
    D3DXCOLOR m_SunColor{0.3f, 0.2f, 0.1f, 0.1f}; // g_SunColor
    D3DXVECTOR4 m_vSunVector{0, 0, 0, 0};          // g_SunVector
    bool m_bChanged = true;
};

class CDX9KelLightManager {
public:
    CDX9KelLightManager() = default;
    ~CDX9KelLightManager();
    CDX9KelLightManager(const CDX9KelLightManager&) = delete;
    CDX9KelLightManager& operator=(const CDX9KelLightManager&) = delete;

    // Appends one directional light with the default values.
    bool Init();
    CDX9KelLight* GetFirstLight() const;
    // Clears every light's changed flag once the frame's parameters are bound.
    void ResetChanged();
    void Release();

    std::vector<CDX9KelLight*> m_vLights; // owned
};

} // namespace Vorna3D
