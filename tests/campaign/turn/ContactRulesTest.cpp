// Contacts of the physical manager read as mines, groundings, rams and
// obstacles, with the ship always the moved object.
#include "campaign/turn/ContactRules.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace VornaCampaign;
using Vorna2::CDX9KelContact;
using Vorna2::CDX9KelSceneObject;

namespace {

// A small map: two ships of side 1, one ship of side 2, a fort of side 2,
// one mine of no side, and the coast (on no list).
struct SmallMap {
    CDX9KelSceneObject shipA, shipB, enemy, fort, mine, coast, stranger;
    SideLookup side = [this](CDX9KelSceneObject* o) {
        MapUnitRef r;
        r.m_pObject = o;
        if (o == &shipA) r.m_iSide = 1, r.m_iIndex = 0;
        if (o == &shipB) r.m_iSide = 1, r.m_iIndex = 1;
        if (o == &enemy) r.m_iSide = 2, r.m_iIndex = 0;
        if (o == &fort) r.m_iSide = 2, r.m_iIndex = 1;
        return r;
    };
    NoSideLookup noSide = [this](CDX9KelSceneObject* o) { return o == &mine ? 0 : -1; };
};

CDX9KelContact Contact(CDX9KelSceneObject* a, CDX9KelSceneObject* b, int kind) {
    CDX9KelContact c;
    c.m_pObjectA = a;
    c.m_pObjectB = b;
    c.m_iKind = kind;
    c.m_fAngleBToA = 0.25f;
    c.m_fAngleAToB = -2.0f;
    return c;
}

} // namespace

TEST(ContactRules, RolesAsThePhysicalManagerWritesThem) {
    SmallMap m;
    struct Case {
        const char* what;
        CDX9KelContact contact;
        int action;
        CDX9KelSceneObject* ship;
        int otherSide;
    };
    const Case cases[] = {
        {"mine", Contact(&m.mine, &m.shipA, Vorna2::KEL_CONTACT_SMALL), CONTACT_ACTION_MINE, &m.shipA, 0},
        {"coast", Contact(&m.coast, &m.shipB, Vorna2::KEL_CONTACT_LARGE), CONTACT_ACTION_GROUNDING, &m.shipB, -1},
        {"ram", Contact(&m.enemy, &m.shipA, Vorna2::KEL_CONTACT_HULLS), CONTACT_ACTION_RAM, &m.shipA, 2},
        // A fort touched by a moving ship is in its way, not a mine.
        {"fort", Contact(&m.fort, &m.shipA, Vorna2::KEL_CONTACT_SMALL), CONTACT_ACTION_OBSTACLE, &m.shipA, 2},
        // Neither object is a ship of the map: dropped.
        {"no ship", Contact(&m.shipA, &m.stranger, Vorna2::KEL_CONTACT_SMALL), CONTACT_ACTION_DROP, &m.stranger, -1},
        {"unknown small", Contact(&m.stranger, &m.shipA, Vorna2::KEL_CONTACT_SMALL), CONTACT_ACTION_DROP, &m.shipA, -1},
        {"hull of nothing", Contact(&m.stranger, &m.shipA, Vorna2::KEL_CONTACT_HULLS), CONTACT_ACTION_DROP, &m.shipA,
         -1},
        {"null", Contact(nullptr, nullptr, Vorna2::KEL_CONTACT_LARGE), CONTACT_ACTION_DROP, nullptr, -1},
        {"handed back", Contact(&m.enemy, &m.shipA, Vorna2::KEL_CONTACT_RAM), CONTACT_ACTION_NONE, nullptr, -1},
    };
    for (const Case& c : cases) {
        const ContactRoles r = ResolveContactRoles(c.contact, m.side, m.noSide);
        EXPECT_EQ(r.m_iAction, c.action) << c.what;
        EXPECT_EQ(r.m_Ship.m_pObject, c.ship) << c.what;
        EXPECT_EQ(r.m_Other.m_iSide, c.otherSide) << c.what;
    }
    const ContactRoles ram = ResolveContactRoles(cases[2].contact, m.side, m.noSide);
    EXPECT_FLOAT_EQ(ram.m_fShipAngle, 0.25f);   // the rammer's bow angle
    EXPECT_FLOAT_EQ(ram.m_fOtherAngle, -2.0f);  // where the rammed ship is hit
    EXPECT_EQ(ram.m_Other.m_pObject, &m.enemy);
}

TEST(ContactRules, Consequences) {
    const ContactConsequence mine = GetContactConsequence(CONTACT_ACTION_MINE);
    EXPECT_TRUE(mine.m_bRemoveOther && mine.m_bDetachShip && mine.m_bShipTurnUsed && mine.m_bFinished);
    EXPECT_FLOAT_EQ(mine.m_fShipColumnSpeed, 0.514f);
    EXPECT_FALSE(mine.m_bStrandShip);

    const ContactConsequence ground = GetContactConsequence(CONTACT_ACTION_GROUNDING);
    EXPECT_TRUE(ground.m_bStrandShip && ground.m_bDetachShip && ground.m_bStopMovement && ground.m_bFinished);
    EXPECT_FALSE(ground.m_bRemoveOther);

    const ContactConsequence ram = GetContactConsequence(CONTACT_ACTION_RAM);
    EXPECT_TRUE(ram.m_bSplitOtherColumn && ram.m_bShipTurnUsed && ram.m_bHandBack);
    EXPECT_FLOAT_EQ(ram.m_fShipColumnSpeed, 0.514f);
    EXPECT_FLOAT_EQ(ram.m_fOtherColumnSpeed, 0.514f);
    EXPECT_FALSE(ram.m_bFinished);

    const ContactConsequence fort = GetContactConsequence(CONTACT_ACTION_OBSTACLE);
    EXPECT_TRUE(fort.m_bStopMovement && fort.m_bFinished);
    EXPECT_FALSE(fort.m_bRemoveOther || fort.m_bDetachShip);

    EXPECT_TRUE(GetContactConsequence(CONTACT_ACTION_DROP).m_bFinished);
    EXPECT_FALSE(GetContactConsequence(CONTACT_ACTION_NONE).m_bFinished);
}

TEST(ContactRules, ListEmptiesExceptHandedBackRams) {
    SmallMap m;
    std::vector<CDX9KelContact> list{
        Contact(&m.mine, &m.shipA, Vorna2::KEL_CONTACT_SMALL),
        Contact(&m.enemy, &m.shipB, Vorna2::KEL_CONTACT_HULLS),
        Contact(&m.coast, &m.shipB, Vorna2::KEL_CONTACT_LARGE),
        Contact(&m.stranger, &m.stranger, Vorna2::KEL_CONTACT_SMALL),
    };
    int handled = 0;
    auto handle = [&](CDX9KelContact& c) {
        ++handled;
        const ContactRoles r = ResolveContactRoles(c, m.side, m.noSide);
        const ContactConsequence q = GetContactConsequence(r.m_iAction);
        if (q.m_bHandBack) c.m_iKind = Vorna2::KEL_CONTACT_RAM;
        return q.m_bFinished;
    };
    ProcContactList(list, handle);
    EXPECT_EQ(handled, 4);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_iKind, Vorna2::KEL_CONTACT_RAM);
    // Once the physical manager separated the hulls, the list empties.
    list.clear();
    ProcContactList(list, handle);
    EXPECT_EQ(handled, 4);
}

// Handling a mine deletes it, and the physical manager lets go of every
// contact that names it: the walk goes on with the contacts that are left,
// each handled once, none skipped and nothing read after its removal.
TEST(ContactRules, AHandlerThatDeletesAnObjectTakesItsContactsAlong) {
    SmallMap m;
    std::vector<CDX9KelContact> list{
        Contact(&m.enemy, &m.shipB, Vorna2::KEL_CONTACT_HULLS),
        Contact(&m.mine, &m.shipA, Vorna2::KEL_CONTACT_SMALL),
        Contact(&m.mine, &m.shipB, Vorna2::KEL_CONTACT_SMALL),
        Contact(&m.coast, &m.shipB, Vorna2::KEL_CONTACT_LARGE),
    };
    std::vector<const CDX9KelSceneObject*> seen;
    auto handle = [&](CDX9KelContact& c) {
        seen.push_back(c.m_pObjectA);
        if (c.m_pObjectA == &m.mine) {
            // As the scene's deletion of the mine does.
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [&](const CDX9KelContact& k) { return k.m_pObjectA == &m.mine; }),
                       list.end());
            return true;
        }
        if (c.m_iKind == Vorna2::KEL_CONTACT_HULLS) {
            c.m_iKind = Vorna2::KEL_CONTACT_RAM;
            return false;
        }
        return true;
    };
    ProcContactList(list, handle);
    EXPECT_EQ(seen, (std::vector<const CDX9KelSceneObject*>{&m.enemy, &m.mine, &m.coast}));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_pObjectA, &m.enemy);
    EXPECT_EQ(list[0].m_iKind, Vorna2::KEL_CONTACT_RAM);
}
