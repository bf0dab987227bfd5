#pragma once
// What the game saver and the scenario ask of the campaign map: its names
// and turn, its units and columns as a save stores them, the reset before
// another map or a save is loaded, the player's side, and the two ways of
// building a map (from its map file, from a save). The game map answers
// through an adapter, and tests through a map of their own.
#include "campaign/save/GameSaveFile.h"

#include <string>
#include <vector>

namespace VornaCampaign {

class ICampaignMapLink {
public:
    virtual ~ICampaignMapLink() = default;

    // The binary map file's name as given to LoadMap; empty without a map.
    virtual std::string GetMapName() const = 0;
    // The name field of the map file's description.
    virtual std::string GetMapTitle() const = 0;
    virtual int GetTurn() const = 0;
    // Index of the active player unit, -1 for none.
    virtual int GetActiveObject() const = 0;
    // The current world matrices of a side's units (SAVE_UNSIDE, SAVE_SIDE1,
    // SAVE_SIDE2) in list order, and the side's game-object list they are
    // parallel to. False when the side's lists cannot be read.
    virtual bool GetSideUnits(int saveSide, std::vector<D3DXMATRIX>& matrices,
                              const std::vector<GameObjectRecord*>** objects) const = 0;
    // A side's columns (1 or 2) as stored: speed, movement used and the
    // ship names, leader first.
    virtual bool GetSideColumns(int side, std::vector<MapColumnRecord>& columns) const = 0;

    // Drops the units and columns; with `full` the scenery, water and sky too.
    virtual void ClearMap(bool full) = 0;
    // Only while no map is loaded; false otherwise.
    virtual bool SetPlayerSide(int side) = 0;
    virtual bool LoadMap(const char* name) = 0;
    // Rebuilds the units and columns from a checked save; the map takes the
    // staged unit records over. `mapChanged`: the scenery is rebuilt first.
    virtual bool LoadFromSave(GameSaveData& data, bool mapChanged) = 0;
    // The running game's values beyond the documented fields of a save;
    // false when the map has none to give (nothing loaded).
    virtual bool GetRunState(GameRunState& state) const {
        (void)state;
        return false;
    }
    // Puts them back on the map LoadFromSave just rebuilt. False, with
    // nothing changed, when they do not fit the rebuilt map.
    virtual bool SetRunState(const GameRunState& state) {
        (void)state;
        return false;
    }
};

} // namespace VornaCampaign
