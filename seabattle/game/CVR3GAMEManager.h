#pragma once
// The game flow of the battle program: one object for the whole run that
// owns the battle map, is initialised at the end of the game scene's start-up
// and released with it, and starts battles. The game scene ticks the battle
// map through it every frame and tells it of device loss.
#include <memory>

namespace Vorna3D {
class CDX9KelScene;
}

namespace SeaBattle {

class CVR3GAMEBattleMap;

class CVR3GAMEManager {
public:
    CVR3GAMEManager();
    ~CVR3GAMEManager();
    CVR3GAMEManager(const CVR3GAMEManager&) = delete;
    CVR3GAMEManager& operator=(const CVR3GAMEManager&) = delete;

    // The program's one manager.
    static CVR3GAMEManager& Get();

    // Creates and initialises the battle map for the scene. False for a null
    // scene or when the map refuses.
    bool Init(Vorna3D::CDX9KelScene* pScene);
    // Empties and deletes the battle map.
    void Release();
    // The game scene's per-frame hook: the battle map's tick.
    void ProcFrame();
    void OnLost();
    void Restore();

    // Starts the battle on the battle map: the named screen becomes the
    // map's battle screen and the current screen, the game speed 1.0 and the
    // battle clock starts from now. False when the screen is not loaded.
    bool StartBattle(const char* battleScreenName);

    CVR3GAMEBattleMap* GetBattleMap() const { return m_pBattleMap.get(); }
    Vorna3D::CDX9KelScene* GetScene() const { return m_pScene; }

private:
    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    std::unique_ptr<CVR3GAMEBattleMap> m_pBattleMap;
};

} // namespace SeaBattle
