#pragma once
// The campaign's battle system. It owns the gun table that the units'
// descriptions take their guns from.
#include "campaign/data/CDX9KelDataIO.h"
#include "platform/gfx/d3d9.h"

#include <string>
#include <vector>

namespace Vorna2 {
class CDX9KelSceneObject;
class CDXParticleSystemManager;
} // namespace Vorna2

namespace VornaCampaign {

class CDX9KelAnimatedModel;

class CDX9KelBattleSystem {
public:
    // Reads the artillery folder's "Artillery.xml" (beside the program) into
    // the gun table. The campaign starts also when this fails.
    bool InitArtillery();

    // Relative to the program's folder, with its trailing separator.
    std::string m_szArtilleryFolder = "Data\\Artillery\\";
    std::vector<GunType> m_stdvArtillery;

    // What a loaded map hands over: the game objects, scene objects and
    // animated models of side 1 and side 2 (index 0 and 1), and the particle
    // systems with the device (both null unless both exist).
    struct MapLists {
        std::vector<GameObjectRecord*>* m_pGameObjects[2] = {nullptr, nullptr};
        std::vector<Vorna2::CDX9KelSceneObject*>* m_pSceneObjects[2] = {nullptr, nullptr};
        std::vector<CDX9KelAnimatedModel*>* m_pAnimatedModels[2] = {nullptr, nullptr};
        Vorna2::CDXParticleSystemManager* m_pParticles = nullptr;
        IDirect3DDevice9* m_pDevice = nullptr;
    };
    void SetMapLists(const MapLists& lists) { m_MapLists = lists; }
    MapLists m_MapLists;

    // Particle-system and sound files of shots, splashes, explosions, rams
    // and fires (the all-maps graphic data fills them).
    std::string m_szShotParticles, m_szSplashParticles, m_szExplosionParticles, m_szRamParticles, m_szFireParticles;
    std::string m_szShotSound, m_szSplashSound, m_szExplosionSound, m_szRamSound, m_szFireSound;
};

// The campaign's one battle system.
extern CDX9KelBattleSystem g_BattleSystem;

} // namespace VornaCampaign
