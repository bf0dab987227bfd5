#include "campaign/turn/ContactRules.h"

#include "engine2/core/CDX9KelLog.h"

using Vorna2::g_Log;

namespace VornaCampaign {

ContactRoles ResolveContactRoles(const Vorna2::CDX9KelContact& contact, const SideLookup& findSide,
                                 const NoSideLookup& findNoSide) {
    ContactRoles roles;
    if (contact.m_iKind == Vorna2::KEL_CONTACT_RAM) return roles;
    roles.m_iAction = CONTACT_ACTION_DROP;
    roles.m_fShipAngle = contact.m_fAngleBToA;
    roles.m_fOtherAngle = contact.m_fAngleAToB;
    if (contact.m_pObjectB != nullptr && findSide) roles.m_Ship = findSide(contact.m_pObjectB);
    roles.m_Ship.m_pObject = contact.m_pObjectB;
    if (!roles.m_Ship.Found()) {
        g_Log.Write(Vorna2::LOG_ERROR, "Warning : contact without a ship of the map dropped\n");
        return roles;
    }
    roles.m_Other.m_pObject = contact.m_pObjectA;
    if (contact.m_pObjectA != nullptr && findSide) roles.m_Other = findSide(contact.m_pObjectA);
    roles.m_Other.m_pObject = contact.m_pObjectA;
    switch (contact.m_iKind) {
    case Vorna2::KEL_CONTACT_LARGE:
        roles.m_iAction = CONTACT_ACTION_GROUNDING;
        break;
    case Vorna2::KEL_CONTACT_SMALL:
        if (roles.m_Other.Found()) {
            roles.m_iAction = CONTACT_ACTION_OBSTACLE;
        } else if (contact.m_pObjectA != nullptr && findNoSide) {
            const int index = findNoSide(contact.m_pObjectA);
            if (index >= 0) {
                roles.m_Other.m_iSide = 0;
                roles.m_Other.m_iIndex = index;
                roles.m_iAction = CONTACT_ACTION_MINE;
            }
        }
        break;
    case Vorna2::KEL_CONTACT_HULLS:
        if (roles.m_Other.Found() && roles.m_Other.m_pObject != roles.m_Ship.m_pObject)
            roles.m_iAction = CONTACT_ACTION_RAM;
        break;
    default: break;
    }
    if (roles.m_iAction == CONTACT_ACTION_DROP)
        g_Log.Write(Vorna2::LOG_ERROR, "Warning : contact of kind %i without its objects on the map dropped\n",
                    contact.m_iKind);
    return roles;
}

ContactConsequence GetContactConsequence(int action) {
    ContactConsequence c;
    switch (action) {
    case CONTACT_ACTION_DROP: c.m_bFinished = true; break;
    case CONTACT_ACTION_GROUNDING:
        c.m_bStrandShip = true;
        c.m_bStopMovement = true;
        c.m_bDetachShip = true;
        c.m_bFinished = true;
        break;
    case CONTACT_ACTION_MINE:
        c.m_bStopMovement = true;
        c.m_bDetachShip = true;
        c.m_fShipColumnSpeed = kContactColumnSpeed;
        c.m_bShipTurnUsed = true;
        c.m_bRemoveOther = true;
        c.m_bFinished = true;
        break;
    case CONTACT_ACTION_OBSTACLE:
        // A fort stops the column where it stands; nothing is destroyed.
        c.m_bStopMovement = true;
        c.m_bFinished = true;
        break;
    case CONTACT_ACTION_RAM:
        c.m_bStopMovement = true;
        c.m_bDetachShip = true;
        c.m_bSplitOtherColumn = true;
        c.m_fShipColumnSpeed = kContactColumnSpeed;
        c.m_fOtherColumnSpeed = kContactColumnSpeed;
        c.m_bShipTurnUsed = true;
        c.m_bHandBack = true;
        break;
    default: break;
    }
    return c;
}

void ProcContactList(std::vector<Vorna2::CDX9KelContact>& contacts,
                     const std::function<bool(Vorna2::CDX9KelContact&)>& handle) {
    if (!handle) return;
    // Handling a contact may delete an object, and with it every contact
    // that names it: each contact of the list as it stood is looked up again
    // by its pair of objects (a pair is recorded once) before and after it
    // is handled, and is handled on a copy.
    using Pair = std::pair<const Vorna2::CDX9KelSceneObject*, const Vorna2::CDX9KelSceneObject*>;
    std::vector<Pair> pairs;
    pairs.reserve(contacts.size());
    for (const Vorna2::CDX9KelContact& c : contacts) pairs.emplace_back(c.m_pObjectA, c.m_pObjectB);
    auto find = [&contacts](const Pair& p) {
        for (std::size_t i = 0; i < contacts.size(); ++i)
            if (contacts[i].m_pObjectA == p.first && contacts[i].m_pObjectB == p.second) return i;
        return contacts.size();
    };
    for (const Pair& p : pairs) {
        std::size_t at = find(p);
        if (at == contacts.size()) continue;
        Vorna2::CDX9KelContact c = contacts[at];
        const bool finished = handle(c);
        at = find(p);
        if (at == contacts.size()) continue;
        if (finished)
            contacts.erase(contacts.begin() + static_cast<std::ptrdiff_t>(at));
        else
            contacts[at] = c;
    }
}

} // namespace VornaCampaign
