#pragma once
// A campaign map for the saver and scenario tests: lists of units with
// their places and columns, and a record of what was asked of it.
#include "campaign/save/ICampaignMapLink.h"

#include <memory>
#include <string>
#include <vector>

namespace CampaignSaveTest {

using namespace VornaCampaign;

class FakeMapLink : public ICampaignMapLink {
public:
    std::string GetMapName() const override { return m_strName; }
    std::string GetMapTitle() const override { return m_strTitle; }
    int GetTurn() const override { return m_iTurn; }
    int GetActiveObject() const override { return m_iActive; }
    bool GetSideUnits(int saveSide, std::vector<D3DXMATRIX>& matrices,
                      const std::vector<GameObjectRecord*>** objects) const override {
        matrices = m_Places[saveSide];
        *objects = &m_Units[saveSide];
        return true;
    }
    bool GetSideColumns(int side, std::vector<MapColumnRecord>& columns) const override {
        columns = m_Columns[side - 1];
        return true;
    }
    void ClearMap(bool full) override {
        m_Calls.push_back(full ? "ClearMap(full)" : "ClearMap");
        if (m_strName.empty()) return;
        for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
            m_Owned[side].clear();
            m_Units[side].clear();
            m_Places[side].clear();
        }
        m_Columns[0].clear();
        m_Columns[1].clear();
        m_strName.clear();
        m_iTurn = 1;
        m_iActive = -1;
        m_iPlayerSide = -1;
    }
    bool SetPlayerSide(int side) override {
        m_Calls.push_back("SetPlayerSide(" + std::to_string(side) + ")");
        if ((side != 1 && side != 2) || !m_strName.empty()) return false;
        m_iPlayerSide = side;
        return true;
    }
    bool LoadMap(const char* name) override {
        m_Calls.push_back(std::string("LoadMap(") + name + ")");
        if (!m_bLoadMapWorks) return false;
        m_strName = name;
        m_strTitle = "Title of " + m_strName;
        return true;
    }
    bool LoadFromSave(GameSaveData& data, bool mapChanged) override {
        m_Calls.push_back(mapChanged ? "LoadFromSave(changed)" : "LoadFromSave");
        m_strName = data.m_szMapName;
        if (mapChanged) m_strTitle = "Title of " + m_strName;
        m_iTurn = data.m_iTurn;
        m_iActive = data.m_iActiveObject;
        for (int side = 0; side < SAVE_SIDE_COUNT; ++side) {
            m_Owned[side] = std::move(data.m_stdvObjects[side]);
            data.m_stdvObjects[side].clear();
            m_Units[side].clear();
            for (auto& o : m_Owned[side]) m_Units[side].push_back(o.get());
            m_Places[side] = data.m_stdvMatrices[side];
        }
        m_Columns[0] = data.m_stdvColumns[0];
        m_Columns[1] = data.m_stdvColumns[1];
        return true;
    }

    bool GetRunState(GameRunState& state) const override {
        if (m_bHasRunState) state = m_RunState;
        return m_bHasRunState;
    }
    bool SetRunState(const GameRunState& state) override {
        m_Calls.push_back("SetRunState");
        if (!m_bRunStateFits) return false;
        m_RunState = state;
        m_bHasRunState = true;
        return true;
    }

    // Takes over the units of a staged save as the map's own.
    void Fill(GameSaveData& data, const std::string& name, const std::string& title) {
        LoadFromSave(data, true);
        m_Calls.clear();
        m_strName = name;
        m_strTitle = title;
        m_iPlayerSide = data.m_iPlayerSide;
    }

    std::string m_strName;
    std::string m_strTitle;
    int m_iTurn = 1;
    int m_iActive = -1;
    int m_iPlayerSide = -1;
    bool m_bLoadMapWorks = true;
    std::vector<std::unique_ptr<GameObjectRecord>> m_Owned[SAVE_SIDE_COUNT];
    std::vector<GameObjectRecord*> m_Units[SAVE_SIDE_COUNT];
    std::vector<D3DXMATRIX> m_Places[SAVE_SIDE_COUNT];
    std::vector<MapColumnRecord> m_Columns[2];
    std::vector<std::string> m_Calls;
    // The running game's values beyond the save's fields (none unless set).
    bool m_bHasRunState = false;
    bool m_bRunStateFits = true;
    GameRunState m_RunState;
};

} // namespace CampaignSaveTest
