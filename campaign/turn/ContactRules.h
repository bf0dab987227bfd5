#pragma once
// What a contact of the physical manager means on the campaign map. The
// physical manager records the moved object (always a floating ship) as B
// and the object found near it as A; the rules below read them that way:
// the ship is B, the mine, the coast or the rammed ship is A. A contact
// that names no ship of the map cannot be acted on; it is dropped with a
// warning so that movement, which waits for an empty contact list, goes on.
#include "engine2/world/physics/CDX9KelPhysicalManager.h"

#include <functional>

namespace VornaCampaign {

// A unit of the map by its side (1 or 2; 0 for an object of no side) and
// its index in that side's lists; side -1 when it is not on the map.
struct MapUnitRef {
    Vorna2::CDX9KelSceneObject* m_pObject = nullptr;
    int m_iSide = -1;
    int m_iIndex = -1;
    bool Found() const { return m_iSide >= 0 && m_iIndex >= 0; }
};

enum EContactAction {
    // Kind 0: the physical manager's own response step separates the hulls.
    CONTACT_ACTION_NONE = 0,
    // Nothing on the map to act on: the contact is removed.
    CONTACT_ACTION_DROP,
    // The ship ran onto the coast and is stranded.
    CONTACT_ACTION_GROUNDING,
    // The ship touched a mine (an object of no side).
    CONTACT_ACTION_MINE,
    // The ship touched a small unit of a side (a fort): it stops there.
    CONTACT_ACTION_OBSTACLE,
    // Two ships' hulls touched: the ship rams the other one.
    CONTACT_ACTION_RAM,
};

struct ContactRoles {
    int m_iAction = CONTACT_ACTION_NONE;
    // The moved ship (the rammer in a ram).
    MapUnitRef m_Ship;
    // The mine, the fort or the rammed ship; not found for the coast.
    MapUnitRef m_Other;
    // From the ship's forward axis to the other object (the bow angle of a
    // ram, the side of the ship a mine hits), and from the other's axis to
    // the ship (the side angle of a ram).
    float m_fShipAngle = -1000.0f;
    float m_fOtherAngle = -1000.0f;
};

// The side lookup of the map: (side, index) of a unit, side -1 when none.
using SideLookup = std::function<MapUnitRef(Vorna2::CDX9KelSceneObject*)>;
// The index of an object of no side, -1 when none.
using NoSideLookup = std::function<int(Vorna2::CDX9KelSceneObject*)>;

ContactRoles ResolveContactRoles(const Vorna2::CDX9KelContact& contact, const SideLookup& findSide,
                                 const NoSideLookup& findNoSide);

// What a contact does to the columns and units, in the order the map
// carries it out.
struct ContactConsequence {
    // All movement stops (displayed routes and column movement cleared).
    bool m_bStopMovement = false;
    // The ship's float record goes inactive: it no longer rides the waves.
    bool m_bStrandShip = false;
    // The ship leaves its column for a column of its own.
    bool m_bDetachShip = false;
    // The other ship's column falls apart into single-ship columns.
    bool m_bSplitOtherColumn = false;
    // New current speeds of the columns (negative: unchanged).
    float m_fShipColumnSpeed = -1.0f;
    float m_fOtherColumnSpeed = -1.0f;
    // The ship's column used its movement for this turn.
    bool m_bShipTurnUsed = false;
    // The other object is removed with an explosion.
    bool m_bRemoveOther = false;
    // The contact goes back to the physical manager as kind 0 and stays.
    bool m_bHandBack = false;
    // The contact is finished and leaves the list.
    bool m_bFinished = false;
};

// The speed a column keeps after a mine or a ram.
constexpr float kContactColumnSpeed = 0.514f;

ContactConsequence GetContactConsequence(int action);

// Walks the physical manager's contacts: `handle` returns true for a
// finished contact, which is erased, and the same position is looked at
// again. Contacts handed back as kind 0 stay in the list.
void ProcContactList(std::vector<Vorna2::CDX9KelContact>& contacts,
                     const std::function<bool(Vorna2::CDX9KelContact&)>& handle);

} // namespace VornaCampaign
