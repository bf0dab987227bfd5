#pragma once
// The harbour between battles of a scenario: its 3D scene (base map,
// environment, scenery), its two sides and the directors that act for them.
// The computer director grows its fleet by the scenario's script and forms
// its columns itself; the human director is driven by the harbour screens.
#include <cstdint>
#include <string>
#include <vector>

#include "seabattle/game/CVR3GAMEBaseMap.h"

namespace Vorna3D {
class CDX9KelScene;
class CVR3CIIScreen;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEBattleMapShip;
class CVR3GAMEHarbourMap;
class CVR3GAMEHarbourMapPlayer;
class CVR3GAMEHarbourMapPlayerDirectorHuman;
class CVR3GAMEHarbourMapPlayerDirectorComputer;
class CVR3GAMEIO;
class CVR3GAMEScenario;

class CVR3GAMEHarbourMapPlayerDirector {
public:
    CVR3GAMEHarbourMapPlayerDirector() = default;
    virtual ~CVR3GAMEHarbourMapPlayerDirector() = default;
    CVR3GAMEHarbourMapPlayerDirector(const CVR3GAMEHarbourMapPlayerDirector&) = delete;
    CVR3GAMEHarbourMapPlayerDirector& operator=(const CVR3GAMEHarbourMapPlayerDirector&) = delete;

    virtual bool AttachHarbourMap(CVR3GAMEHarbourMap* /*pMap*/) { return true; }
    virtual bool InitHarbourMap(int32_t /*step*/) { return true; }
    virtual bool PrepareDataForBattleMap() { return true; }
    virtual void ProcGUI() {}
    virtual void Release() {}
    virtual void ReleaseMapGUI() {}

    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    int32_t m_iKind = -1; // 0 human, 1 computer
    CVR3GAMEHarbourMapPlayer* m_pPlayer = nullptr;
};

// One ship of a fleet scheme step: its name and its six object files.
struct SVR3GAMEFleetShip {
    std::string name;
    std::string SceneObjectFile;
    std::string MovementObjectFile;
    std::string AnimatedObjectFile;
    std::string BattleObjectFile;
    std::string ArtilleryObjectFile;
    std::string InfoObjectFile;
};
// The drawn fleet scheme: per step, the ships that join the fleet.
using CVR3GAMEFleetProgress = std::vector<std::vector<SVR3GAMEFleetShip>>;

class CVR3GAMEHarbourMapPlayerDirectorComputer : public CVR3GAMEHarbourMapPlayerDirector {
public:
    CVR3GAMEHarbourMapPlayerDirectorComputer();
    ~CVR3GAMEHarbourMapPlayerDirectorComputer() override;

    bool AttachHarbourMap(CVR3GAMEHarbourMap* pMap) override;
    // Stores the step, then lists the ships of the player's columns again.
    bool InitHarbourMap(int32_t step) override;
    // Repairs, brings back the reserve, adds the step's ships, forms the
    // columns and hands them to the player's column list.
    bool PrepareDataForBattleMap() override;
    void Release() override;

    bool ColumnsShipsToAll();
    bool RepairShips();
    bool ReserveShipsAttachToAll();
    bool FleetProgressShipsAttachToAll();
    bool GenColumns();

    CVR3GAMEHarbourMap* m_pHarbourMap = nullptr;
    CVR3GAMEFleetProgress* m_pFleetProgress = nullptr; // owned
    std::vector<CVR3GAMEBattleMapShip*> m_stdvReserve;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvColumn1;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvColumn2;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvColumn3;
    int32_t m_iStep = -1;
};

class CVR3GAMEHarbourMap {
public:
    static constexpr size_t kMaxPlayers = 2;

    CVR3GAMEHarbourMap() = default;
    ~CVR3GAMEHarbourMap();
    CVR3GAMEHarbourMap(const CVR3GAMEHarbourMap&) = delete;
    CVR3GAMEHarbourMap& operator=(const CVR3GAMEHarbourMap&) = delete;

    CVR3GAMEHarbourMapPlayer* CreatePlayer(const char* name);
    // The player with exactly that name, or null.
    CVR3GAMEHarbourMapPlayer* GetPlayer(const char* name) const;
    CVR3GAMEHarbourMapPlayerDirectorHuman* CreateHuman(const char* playerName);
    CVR3GAMEHarbourMapPlayerDirectorComputer* CreateComputer(const char* playerName);
    CVR3GAMEHarbourMapPlayerDirector* GetDirector(const char* playerName) const;

    // Slot 0, 1 or 2 of every director in list order; false at the first
    // refusal. A successful preparation stops every 3D sound source.
    bool InitDirectorsCommon(CVR3GAMEHarbourMap* pMap);
    bool InitDirectorsHarbour(int32_t step);
    bool PrepareDataForBattleMap();

    // Per frame: the directors' screens, while a harbour screen is active.
    void Proc();
    // After a harbour map file is read: its tree, water, camera and
    // environment become the scene's.
    void ActivateMapScene();
    // Before a harbour map file is read: the environment, the directors'
    // screens and the scene tree go; players, ships and directors stay.
    void ClearMap();
    // A new scenario or the end of the game: everything goes.
    void Clear();

    CVR3GAMEBaseMap m_BaseMap;
    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    Vorna3D::CVR3CIIScreen* m_pHarbourScreen = nullptr;
    Vorna3D::CVR3CIIScreen* m_pColumnsScreen = nullptr;
    std::vector<CVR3GAMEHarbourMapPlayer*> m_stdvPlayers;               // owned
    std::vector<CVR3GAMEHarbourMapPlayerDirector*> m_stdvDirectors;     // owned
    // The reader that builds the computer's fleet ships; set by the manager.
    CVR3GAMEIO* m_pGameIO = nullptr;
    // The running scenario's record; set by the manager.
    CVR3GAMEScenario* m_pScenario = nullptr;

private:
    void DestroySceneTree();
};

} // namespace SeaBattle
