#pragma once
// The campaign's game map as the saver and the scenario see it: its names,
// turn and active unit, its side lists as a save stores them, and the
// operations that clear it, load it from its map file or rebuild it from a
// checked save.
#include "campaign/save/ICampaignMapLink.h"

namespace VornaCampaign {

class CDX9KelGameMap;

class GameMapSaveLink : public ICampaignMapLink {
public:
    explicit GameMapSaveLink(CDX9KelGameMap* map = nullptr) : m_pMap(map) {}
    void SetMap(CDX9KelGameMap* map) { m_pMap = map; }
    CDX9KelGameMap* GetMap() const { return m_pMap; }

    std::string GetMapName() const override;
    std::string GetMapTitle() const override;
    int GetTurn() const override;
    int GetActiveObject() const override;
    bool GetSideUnits(int saveSide, std::vector<D3DXMATRIX>& matrices,
                      const std::vector<GameObjectRecord*>** objects) const override;
    bool GetSideColumns(int side, std::vector<MapColumnRecord>& columns) const override;
    void ClearMap(bool full) override;
    bool SetPlayerSide(int side) override;
    bool LoadMap(const char* name) override;
    bool LoadFromSave(GameSaveData& data, bool mapChanged) override;
    bool GetRunState(GameRunState& state) const override;
    bool SetRunState(const GameRunState& state) override;

private:
    CDX9KelGameMap* m_pMap = nullptr;
};

} // namespace VornaCampaign
