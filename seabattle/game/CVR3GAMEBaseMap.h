#pragma once
// The head record of both maps of the battle program (the battle map and
// the harbour map): name, scene tree, world box, camera start and the map's
// environment (ocean water, sky arch, sun light, fog distances and an
// ambient sea sound), with the operations that put the environment and the
// camera into the engine scene and take them out again.
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/math/d3dx9math.h"

#include <cstdint>
#include <string>

namespace Vorna3D {
class CDX9KelGlobalCamera;
class CDX9KelOceanWater;
class CVR3SkyArch;
struct CDX9KelLight;
class CDX9KelGraphicObjectsManager;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEMapBaseEnvironment {
public:
    CVR3GAMEMapBaseEnvironment() = default;
    virtual ~CVR3GAMEMapBaseEnvironment() = default;
    CVR3GAMEMapBaseEnvironment(const CVR3GAMEMapBaseEnvironment&) = delete;
    CVR3GAMEMapBaseEnvironment& operator=(const CVR3GAMEMapBaseEnvironment&) = delete;

    // Gives the sky arch and the ocean water back to the graphic-objects
    // manager that holds them, nulls the links and empties the name.
    virtual void Release();

    std::string m_strName;
    Vorna3D::CVR3SkyArch* m_pSky = nullptr;
    Vorna3D::CDX9KelOceanWater* m_pWater = nullptr;
    float m_fUnderWaterFogDistance = 1.0f;
    float m_fReflectionFogDistance = 0.1f;
    Vorna3D::CDX9KelLight* m_pLight = nullptr;
    D3DXVECTOR3 m_vDirection{0.0f, 0.0f, 0.0f};
    D3DXCOLOR m_Diffuse{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXCOLOR m_Ambient{0.0f, 0.0f, 0.0f, 0.0f};
    float m_fSunPosAlpha = 0.0f;
    float m_fSunPosTheta = 0.0f;
    float m_fSunShininess = 0.0f;
    float m_fSunStrength = 0.0f;
    D3DXCOLOR m_SunColor{0.0f, 0.0f, 0.0f, 0.0f};
    Vorna3D::SoundHandle m_AmbientSound;
    // The manager that holds the sky arch and the water; set by the reader.
    Vorna3D::CDX9KelGraphicObjectsManager* m_pGraphicObjects = nullptr;
};

struct CVR3GAMEBaseMap {
    std::string m_strName;
    int32_t m_iSceneTreeIndex = -1;
    D3DXVECTOR3 m_vMinBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMaxBorders{0.0f, 0.0f, 0.0f};
    CVR3GAMEMapBaseEnvironment* m_pEnvironment = nullptr; // owned
    D3DXVECTOR2 m_vMinMaxHeight{5.0f, 200.0f};
    D3DXVECTOR2 m_vMinMaxHeightAngle{0.31415927f, 1.4959966f};
    D3DXVECTOR2 m_vStartAngles{0.0f, 0.62831855f};
    float m_fDistance = 20.0f;
    D3DXVECTOR3 m_vStartLookAt{0.0f, 0.0f, 0.0f};
    bool m_bProcMove = true;
    bool m_bProcRotate = true;
    bool m_bProcScale = true;
};

// Gives the camera the map's movement box, height (distance) and pitch
// limits, start look-at, distance and angles (pitch = StartAngles[1], yaw =
// StartAngles[0]) and move, rotate and scale permissions. False for a null
// camera or map.
bool ApplyBaseMapCamera(const CVR3GAMEBaseMap* pMap, Vorna3D::CDX9KelGlobalCamera* pCamera);
// Switches the environment's sky and water on or off; on, it also sets the
// water's fog distances, the light and the sun, and starts the sea sound;
// off, it stops the sea sound.
void ActivateMapEnvironment(CVR3GAMEMapBaseEnvironment* pEnvironment, bool on);
// Switches the environment off and deletes it; the sky and the water stay
// with the graphic-objects manager, which frees them with the scene's
// resources.
void ReleaseMapEnvironment(CVR3GAMEBaseMap* pMap);
void SetSunPosAlpha(Vorna3D::CDX9KelLight* pLight, float alpha);
void SetSunPosTheta(Vorna3D::CDX9KelLight* pLight, float theta);

} // namespace SeaBattle
