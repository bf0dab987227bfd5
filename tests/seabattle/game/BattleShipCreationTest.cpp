// Battle-map ships built from their six files: the two demo types whole, and
// what becomes of a ship whose aspect or Init fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <tinyxml.h>

#include "GameIOTestSupport.h"
#include "common/DemoData.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace SeaBattle;
using namespace Vorna3D;

namespace {

class BattleShipCreation : public VornaGameTest::GameIOFixture {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        m_pIO->InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), m_dir.string() + "/");
        const D3DXVECTOR3 mn(-500, -50, -500), mx(500, 50, 500);
        ASSERT_TRUE(m_pScene->CreateSceneTree("Test", &mn, &mx, false, 100.0f));
        ASSERT_TRUE(m_pScene->SetActiveSceneTree(static_cast<int>(m_pScene->m_vSceneTrees.size()) - 1));
        BattleProcessingState::Get().ClearBattleProcessing(true);
        ASSERT_TRUE(m_pIO->LoadBattleArtilleryList("demo_guns.artlstxml")) << Log();
    }
    void TearDown() override {
        BattleProcessingState::Get().ClearBattleProcessing(true);
        GameIOFixture::TearDown();
    }
    // The demo's ship element of a type, parsed into `doc`.
    const TiXmlElement* DemoShip(const std::string& type, TiXmlDocument& doc) {
        EXPECT_TRUE(doc.LoadFile((Platform::ProgramFolder() + "Data/Ships/" + type + "_ship.xml").c_str()));
        return doc.RootElement();
    }
    static size_t CountParts(const std::vector<CVR3GAMEAnimatedPart*>& parts) {
        size_t n = 0;
        for (const CVR3GAMEAnimatedPart* p : parts) n += 1 + CountParts(p->m_vSubParts);
        return n;
    }
    static bool AllFramed(const std::vector<CVR3GAMEAnimatedPart*>& parts) {
        for (const CVR3GAMEAnimatedPart* p : parts)
            if (!p->m_pFrame || !AllFramed(p->m_vSubParts)) return false;
        return true;
    }
};

TEST_F(BattleShipCreation, DemoTypesBuildWholeAndCanFight) {
    const struct {
        const char* type;
        size_t guns;
        const char* typeName;
        bool ram;
    } cases[] = {{"ram", 4, "Ram ship", true}, {"cruiser", 8, "Broadside cruiser", false}};
    CVR3GAMEBattleMapPlayer player;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        TiXmlDocument doc;
        ASSERT_TRUE(m_pIO->CreateBattleShipForPlayerFromXML(DemoShip(c.type, doc), &player)) << Log();
        CVR3GAMEBattleMapShip* ship = player.m_stdvBattleShips.back();
        EXPECT_EQ(ship->m_strName, std::string("Demo ") + (c.ram ? "Ram" : "Cruiser"));
        EXPECT_EQ(ship->m_iPlayerIndex, static_cast<int>(player.m_stdvBattleShips.size()) - 1);
        // Init made the body and filed the hull in the active tree.
        ASSERT_NE(ship->m_pPhysicalObject, nullptr);
        EXPECT_TRUE(m_pScene->m_pActiveSceneTree->Holds(ship->m_pSceneObject));

        CVR3GAMEAnimatedShip* a = ship->m_pAnimatedShip;
        ASSERT_NE(a, nullptr);
        ASSERT_EQ(a->m_vPlatformParts.size(), 9u);
        EXPECT_EQ(a->m_vPropellerParts.size(), 2u);
        EXPECT_EQ(a->m_vRudderParts.size(), 1u);
        EXPECT_TRUE(AllFramed(a->m_vPlatformParts) && AllFramed(a->m_vPropellerParts) &&
                    AllFramed(a->m_vRudderParts));
        EXPECT_EQ(a->m_vHullModels.size(), 1u);
        EXPECT_EQ(a->m_vFlagModels.size(), 1u);
        EXPECT_EQ(a->m_vPipeSmokes.size(), 1u);
        EXPECT_EQ(a->m_vPropellerWakes.size(), 1u);
        EXPECT_EQ(a->m_vBowWaves.size(), 1u);
        ASSERT_NE(a->m_pFloodingObject, nullptr);
        // Flooding, and a hit and a splash object for every platform.
        EXPECT_EQ(a->m_vEffectObjects.size(), 1u + 2u * 9u);
        EXPECT_EQ(a->DamageLevels.size(), 2u);

        CVR3GAMEBattleSystemShip* d = ship->m_pBattleShip;
        ASSERT_NE(d, nullptr);
        ASSERT_EQ(d->Parts.size(), 9u);
        EXPECT_EQ(d->RamAttack, c.ram);
        EXPECT_GT(d->Gunpowder, 0);
        EXPECT_EQ(d->GunpowderLoaded, d->Gunpowder);
        // Hull areas in the band where guns in range hit (the battle's own units).
        EXPECT_GT(d->AboveWaterArea, 800.0f);
        EXPECT_LT(d->AboveWaterArea, 1300.0f);
        size_t guns = 0, turretParts = 0;
        for (size_t i = 0; i < d->Parts.size(); ++i) {
            EXPECT_GT(d->Parts[i]->Durability, 0.0f) << i;
            for (const CBattleSystemShipGun& g : d->Parts[i]->Guns) {
                EXPECT_GT(g.Damage, 0.0f);
                EXPECT_GT(g.BeginShellSpeed, 0.0f);
                EXPECT_FLOAT_EQ(g.CurrentRecharge, g.RechargeSpeed);
                EXPECT_GT(g.Shells, 0);
                ++guns;
            }
            EXPECT_EQ(a->m_vPlatformParts[i]->m_vSubParts.size(), d->Parts[i]->Guns.size()) << i;
            turretParts += a->m_vPlatformParts[i]->Rotation;
        }
        EXPECT_EQ(guns, c.guns);
        EXPECT_EQ(turretParts, 2u);

        CVR3GAMEArtilleryShip* art = ship->m_pArtilleryShip;
        ASSERT_NE(art, nullptr);
        ASSERT_EQ(art->m_vParts.size(), 9u);
        size_t gunNodes = 0, sectors = 0;
        for (size_t i = 0; i < art->m_vParts.size(); ++i) {
            const CArtilleryPart* p = art->m_vParts[i];
            EXPECT_EQ(p->m_pAnimatedPart, a->m_vPlatformParts[i]);
            EXPECT_EQ(p->GetHullPart(), d->Parts[i]);
            EXPECT_FALSE(p->DamageSectors.empty()) << i;
            sectors += p->BombardSectors.size();
            for (const CArtilleryPart* g : p->m_vChildren) {
                ++gunNodes;
                ASSERT_NE(g->GetGun(), nullptr);
                // The barrel under each gun gets a node with the same gun record.
                ASSERT_EQ(g->m_vChildren.size(), 1u);
                EXPECT_EQ(g->m_vChildren[0]->GetGun(), g->GetGun());
                EXPECT_LT(g->BombardAngles.x, g->BombardAngles.y);
            }
        }
        EXPECT_EQ(gunNodes, c.guns);
        EXPECT_GE(sectors, 2u);

        ASSERT_NE(ship->m_pInfoShip, nullptr);
        EXPECT_EQ(ship->m_pInfoShip->ShipTypeName, c.typeName);
        EXPECT_EQ(ship->m_pInfoShip->TextCoordinates.size(), 4u);
        ASSERT_NE(ship->m_pMovementShip, nullptr);
        EXPECT_GT(ship->m_pMovementShip->m_fMaxSpeedXML, 0.0f);
    }
    for (CVR3GAMEBattleMapShip* s : player.m_stdvBattleShips) m_pIO->DeleteBattleShip(s);
}

TEST_F(BattleShipCreation, FailedAspectKeepsTheShipButNoPlayerListsIt) {
    TiXmlDocument doc;
    TiXmlElement* element = const_cast<TiXmlElement*>(DemoShip("ram", doc));
    element->FirstChildElement("InfoObjectFile")->FirstChild()->SetValue("ram.infobj");
    // The creation returns the ship, with the three lines in order.
    CVR3GAMEBattleMapShip* ship = m_pIO->CreateBattleShipFromXML(element, true);
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(ship->m_pInfoShip, nullptr);
    const std::string log = Log();
    const size_t a = log.find("CVR3GAMEIO::CreateInformationShip() : file expansion parser not defined");
    const size_t b = log.find("CVR3GAMEIO::CreateBattleShipFromXML() : CreateInformationShip() failed");
    const size_t c = log.find("CVR3GAMEIO::CreateBattleShipFromXML() : pBattleMapShip->Init() failed");
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(c, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    m_pIO->DeleteBattleShip(ship);

    // Handed to a player, it is given up instead: nothing listed, nothing left
    // in the tree.
    const size_t filed = m_pScene->m_pActiveSceneTree->m_vObjects.size() -
                         m_pScene->m_pActiveSceneTree->m_vFreeSlots.size();
    CVR3GAMEBattleMapPlayer player;
    CVR3GAMEHarbourMapPlayer harbour;
    EXPECT_FALSE(m_pIO->CreateBattleShipForPlayerFromXML(element, &player));
    EXPECT_FALSE(m_pIO->CreateBattleShipForPlayerFromXML(element, &harbour));
    EXPECT_TRUE(player.m_stdvBattleShips.empty());
    EXPECT_TRUE(harbour.m_stdvShips.empty());
    EXPECT_EQ(m_pScene->m_pActiveSceneTree->m_vObjects.size() - m_pScene->m_pActiveSceneTree->m_vFreeSlots.size(),
              filed);
}

TEST_F(BattleShipCreation, NamesAndTheHarbourForm) {
    TiXmlDocument doc;
    TiXmlElement* element = const_cast<TiXmlElement*>(DemoShip("cruiser", doc));
    element->SetAttribute("name", "");
    CVR3GAMEHarbourMapPlayer harbour;
    ASSERT_TRUE(m_pIO->CreateBattleShipForPlayerFromXML(element, &harbour)) << Log();
    ASSERT_EQ(harbour.m_stdvHarbourShips.size(), 1u);
    CVR3GAMEBattleMapShip* ship = harbour.m_stdvHarbourShips[0];
    EXPECT_EQ(ship->m_strName, "Ship"); // the element's own name
    EXPECT_EQ(ship->m_iPlayerIndex, 0);
    // A harbour ship stays out of the scene tree.
    EXPECT_TRUE(ship->m_pSceneObject->m_strTreeName.empty());
    // The same ship twice: refused.
    EXPECT_FALSE(harbour.AddBattleMapShip(ship));
    EXPECT_NE(Log().find("CVR3GAMEHarbourMapPlayer::AddBattleMapShip() : Ship already in Player list\n"),
              std::string::npos);
    m_pIO->DeleteBattleShip(ship);

    // A ship element without one of its files, or without its scene object,
    // gives nothing and no line of its own.
    for (const char* missing : {"SceneObjectFile", "ArtilleryObjectFile"}) {
        TiXmlDocument d2;
        TiXmlElement* e = const_cast<TiXmlElement*>(DemoShip("ram", d2));
        e->RemoveChild(e->FirstChildElement(missing));
        const std::string before = Log();
        EXPECT_EQ(m_pIO->CreateBattleShipFromXML(e, true), nullptr) << missing;
        EXPECT_EQ(Log().substr(before.size()).find("CVR3GAMEIO::CreateBattleShipFromXML"), std::string::npos);
    }
    EXPECT_EQ(m_pIO->CreateBattleShipFromXML(nullptr, true), nullptr);
}

} // namespace
