#pragma once
// A side of the battle: its name, ships and columns, where its columns start
// and where its ships flee to, and after a battle what it lost. The battle
// map owns the players; a director drives each one.
#include "platform/math/d3dx9math.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelSceneObject;
}

namespace SeaBattle {

class CVR3GAMEBattleMapShip;
class CVR3GAMEBattleMapShipsColumn;
class CVR3GAMEBattleMapPlayerDirector;

class CVR3GAMEBattleMapPlayer {
public:
    static constexpr std::size_t kStartPositions = 3;

    CVR3GAMEBattleMapPlayer();
    ~CVR3GAMEBattleMapPlayer() = default;
    CVR3GAMEBattleMapPlayer(const CVR3GAMEBattleMapPlayer&) = delete;
    CVR3GAMEBattleMapPlayer& operator=(const CVR3GAMEBattleMapPlayer&) = delete;

    bool AddBattleMapShip(CVR3GAMEBattleMapShip* pShip);
    bool AddBattleMapShipsColumn(CVR3GAMEBattleMapShipsColumn* pColumn);
    // Places columns 0-2 on the start positions of the same number (the
    // list is padded with nulls to three); false, nothing placed, when there
    // are more columns than start positions.
    bool SetColumnsOnStartPositions();
    CVR3GAMEBattleMapShip* GetBattleMapShip(const std::string* name) const;
    // A ship's name is its key in saved columns: AddBattleMapShip makes it
    // non-empty, at most kShipNameLength characters and unique among the
    // player's ships (" 2", " 3", ... appended).
    static constexpr std::size_t kShipNameLength = 29;
    void MakeShipNameUnique(CVR3GAMEBattleMapShip* pShip) const;
    // The one ship whose name, cut to kShipNameLength, is `key`; null when
    // none is, or when more than one is (`pAmbiguous` then says so).
    CVR3GAMEBattleMapShip* FindShipByKey(const std::string& key, bool* pAmbiguous) const;
    CVR3GAMEBattleMapShip* GetBattleMapShipBySceneObject(const Vorna3D::CDX9KelSceneObject* pObject) const;
    // After a battle: sunk ships are released and deleted, the others stay
    // alive for the harbour; every list is emptied and the counters zeroed.
    void ReleaseBattleObjects();

    std::string m_strPlayerName;
    std::vector<Vorna3D::CDX9KelSceneObject*> m_stdvShipModels;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvShips;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvBattleShips;
    std::vector<CVR3GAMEBattleMapShipsColumn*> m_stdvColumns;
    CVR3GAMEBattleMapPlayerDirector* m_pDirector = nullptr;
    D3DXVECTOR3 m_vRunawayPosition{0.0f, 0.0f, 0.0f};
    std::vector<D3DXMATRIX> m_stdvLeadersPositions;
    D3DXVECTOR3 m_vMinActiveBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMaxActiveBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMinBattleBorders{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vMaxBattleBorders{0.0f, 0.0f, 0.0f};
    std::vector<uint32_t> m_stdvLossesByLevel;
    uint32_t m_uLostValue = 0;
    uint32_t m_uLostShips = 0;
    float m_fLostDurability = 0.0f;
    uint32_t m_uSurvivingShips = 0;
    // Ships lost before the battle was saved and loaded again: they are no
    // longer among the ships, yet they count at the battle's end.
    struct EarlierLoss {
        uint32_t m_uLevel = 0;
        uint32_t m_uPrice = 0;
        float m_fDurability = 0.0f;
    };
    std::vector<EarlierLoss> m_stdvEarlierLosses;
};

// Deletes the ships (Release, then delete) and the columns of a player; the
// lists are left as they are, for the owner deletes the player next.
void DeleteMapPlayerObjects(CVR3GAMEBattleMapPlayer* pPlayer);

} // namespace SeaBattle
