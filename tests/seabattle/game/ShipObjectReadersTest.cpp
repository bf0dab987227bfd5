// The ship-aspect readers on small fixture files: what each element fills,
// the defaults of missing ones, and the refusals and tolerated oddities.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include "GameIOTestSupport.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace SeaBattle;
using namespace Vorna3D;

namespace {

// A hull with frames for two platforms, a gun with its barrel, and a propeller.
const char* kModel =
    "xof 0303txt 0032\n"
    "Frame Root { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    " Frame Hull { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    "  Mesh HullMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"
    "  Frame Turret { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,1,2,1;; }\n"
    "   Frame Gun { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0.5,0.25,1;; }\n"
    "    Frame Barrel { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0.5,1;; } }\n"
    "   }\n"
    "  }\n"
    "  Frame Bridge { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,1,-1,1;; } }\n"
    "  Frame Propeller { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,-3,1;; } }\n"
    " }\n"
    "}\n";

class ShipObjectReaders : public VornaGameTest::GameIOFixture {
protected:
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        VornaTest::WriteText(m_dir / "Data/Models/tiny.x", kModel);
        Put(SeaBattle::CVR3GAMEIO::FOLDER_SCENE_OBJECTS, "tiny.scobjxml",
            "<SceneObject><LODs count=\"1\"><L0><Models><Hull><Model>tiny.x</Model><Effect>none.fx</Effect></Hull>"
            "</Models></L0></LODs></SceneObject>");
        Put(SeaBattle::CVR3GAMEIO::FOLDER_SCENE_OBJECTS, "empty.scobjxml", "<SceneObject><LODs/></SceneObject>");
        BattleProcessingState::Get().ClearBattleProcessing(true);
        m_pObject = m_pIO->CreateSceneObjectFromFile("tiny.scobjxml");
        ASSERT_NE(m_pObject, nullptr) << Log();
    }
    void TearDown() override {
        if (m_pObject) m_pIO->DeleteSceneObject(m_pObject);
        BattleProcessingState::Get().ClearBattleProcessing(true);
        GameIOFixture::TearDown();
    }
    static void Parse(TiXmlDocument& doc, const std::string& text) { ASSERT_TRUE(doc.Parse(text.c_str()) || !doc.Error()); }
    std::string Since(size_t mark) { return Log().substr(mark); }
    CVR3GAMEAnimatedShip* Animated(const std::string& body) {
        Put(SeaBattle::CVR3GAMEIO::FOLDER_ANIMATED_OBJECTS, "t.anmobjxml",
            "<AnimatedShip><ShipModelName>Hull</ShipModelName>" + body + "</AnimatedShip>");
        return m_pIO->CreateAnimatedShipFromFile("t.anmobjxml", m_pObject, false);
    }
    void GunList() {
        TiXmlDocument doc;
        Parse(doc, "<Artillery><Heavy><RechargeSpeed>20</RechargeSpeed><Damage>9</Damage></Heavy>"
                   "<Light><RechargeSpeed>8</RechargeSpeed></Light></Artillery>");
        ASSERT_TRUE(m_pIO->LoadBattleArtilleryFromXML(doc));
    }
    CDX9KelSceneObject* m_pObject = nullptr;
};

TEST_F(ShipObjectReaders, MovementReadsItsSevenElementsInOrderAndStopsAtAGap) {
    const char* all[] = {"<Mass>900</Mass>", "<MaxSpeed>8</MaxSpeed>", "<MinSpeed>3</MinSpeed>",
                         "<MaxRotAngle>0.2</MaxRotAngle>", "<MaxDraughtForce>450</MaxDraughtForce>",
                         "<MaxDraughtForceInstTime>8</MaxDraughtForceInstTime>",
                         "<DraughtForcePosition x=\"0\" y=\"-0.3\" z=\"-3\"/>"};
    for (int missing = -1; missing < 7; ++missing) {
        std::string text = "<MovementShip>";
        for (int i = 0; i < 7; ++i)
            if (i != missing) text += all[i];
        TiXmlDocument doc;
        Parse(doc, text + "</MovementShip>");
        CVR3GAMEMovementShip ship;
        EXPECT_EQ(m_pIO->LoadMovementShipFromXML(doc, &ship), missing == -1) << missing;
        // What comes before the gap is set, what comes after is not.
        EXPECT_FLOAT_EQ(ship.m_fMass, missing == 0 ? 0.0f : 900.0f) << missing;
        EXPECT_FLOAT_EQ(ship.m_fMaxSpeed, (missing >= 0 && missing <= 1) ? 0.0f : 8.0f) << missing;
        if (missing == -1) {
            EXPECT_FLOAT_EQ(ship.m_fMaxSpeedXML, 8.0f);
            EXPECT_FLOAT_EQ(ship.m_fMinSpeed, 3.0f);
            EXPECT_FLOAT_EQ(ship.m_fMinSpeedXML, 3.0f);
            EXPECT_FLOAT_EQ(ship.m_fMaxForce, 450.0f);
            EXPECT_FLOAT_EQ(ship.m_fMaxDraughtForce, 450.0f);
            EXPECT_FLOAT_EQ(ship.m_vDraughtForcePosition.z, -3.0f);
        }
    }
    // Through the file: a gap gives the creation's own line and no object.
    Put(SeaBattle::CVR3GAMEIO::FOLDER_MOVEMENT_OBJECTS, "m.movobjxml", "<MovementShip><Mass>1</Mass></MovementShip>");
    EXPECT_EQ(m_pIO->CreateMovementShipFromFile("m.movobjxml"), nullptr);
    EXPECT_NE(Log().find("CVR3GAMEIO::CreateMovementShipFromFile() : LoadMovementShipFromXML() failed\n"),
              std::string::npos);
}

TEST_F(ShipObjectReaders, ArtilleryListReplacesTheGamesList) {
    std::vector<CBattleArtilleryType>& list = BattleProcessingState::Get().ArtilleryTypes;
    Put(SeaBattle::CVR3GAMEIO::FOLDER_ARTILLERY_LISTS, "a.artlstxml",
        "<Artillery><Heavy><Name>Heavy gun with a name far longer than thirty-nine letters</Name>"
        "<RechargeSpeed>20</RechargeSpeed><BombardRange>600</BombardRange><FallAccuracy>0.09</FallAccuracy>"
        "<BeginArmourPirce>10</BeginArmourPirce><FallArmourPirce>0.01</FallArmourPirce>"
        "<HoleProbability>45</HoleProbability><BeginShellSpeed>450</BeginShellSpeed><Damage>14</Damage>"
        "<DamageToWaterFactor/></Heavy><!-- c --><ATagOfTwentyFiveLetters/></Artillery>");
    ASSERT_TRUE(m_pIO->LoadBattleArtilleryList("a.artlstxml"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[0].Tag, "Heavy");
    EXPECT_EQ(std::string(list[0].Name).size(), 39u);
    EXPECT_FLOAT_EQ(list[0].RechargeSpeed, 20.0f);
    EXPECT_FLOAT_EQ(list[0].FallAccuracy, 0.09f);
    EXPECT_EQ(list[0].HoleProbability, 45);
    EXPECT_FLOAT_EQ(list[0].DamageToWaterFactor, -1.0f); // present without text
    EXPECT_STREQ(list[1].Tag, "ATagOfTwentyFiveLet"); // cut to 19 characters
    EXPECT_EQ(std::string(list[1].Tag).size(), 19u);
    EXPECT_FLOAT_EQ(list[1].DamageToWaterFactor, 1.0f); // missing: constructor value

    // The full tag finds nothing.
    CBattleSystemShipPart part;
    TiXmlDocument gun;
    Parse(gun, "<ATagOfTwentyFiveLetters><Shells>5</Shells></ATagOfTwentyFiveLetters>");
    EXPECT_FALSE(m_pIO->CreateBattleSystemGunFromXML(gun.FirstChildElement(), &part));
    EXPECT_EQ(part.Guns.size(), 1u);

    // A binary list reads nothing and leaves the list; a missing root fails
    // and leaves it; an empty root empties it.
    EXPECT_TRUE(m_pIO->LoadBattleArtilleryList("any.artlstbin"));
    EXPECT_EQ(list.size(), 2u);
    Put(SeaBattle::CVR3GAMEIO::FOLDER_ARTILLERY_LISTS, "b.artlstxml", "<Guns><X/></Guns>");
    EXPECT_FALSE(m_pIO->LoadBattleArtilleryList("b.artlstxml"));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleArtilleryList() : LoadBattleArtilleryFromXML() failed\n"),
              std::string::npos);
    EXPECT_EQ(list.size(), 2u);
    Put(SeaBattle::CVR3GAMEIO::FOLDER_ARTILLERY_LISTS, "c.artlstxml", "<Artillery/>");
    EXPECT_TRUE(m_pIO->LoadBattleArtilleryList("c.artlstxml"));
    EXPECT_TRUE(list.empty());
}

TEST_F(ShipObjectReaders, BattleObjectFillsShipPartsAndGuns) {
    GunList();
    TiXmlDocument doc;
    Parse(doc, "<BattleShip><Gunpowder>50</Gunpowder><CrewTraining>0.8</CrewTraining><RamAttack/>"
               "<Displacement>4000</Displacement><ExpLevel2>12</ExpLevel2><Parts>"
               "<A><Durability>60</Durability><Waterline>4</Waterline><Height>9</Height>"
               "<ArmourRect1><t>6</t><l>0</l><b>2</b><r>30</r></ArmourRect1>"
               "<ArmourRect2><t>6</t><l>0</l><b>2</b></ArmourRect2><DurabilityChangeSpeed>1</DurabilityChangeSpeed>"
               "<Guns><Heavy><Shells>40</Shells><Height>2</Height></Heavy><Nothing><Shells>3</Shells></Nothing>"
               "<Light/></Guns></A>"
               "stray<B/></Parts></BattleShip>");
    CVR3GAMEBattleSystemShip ship;
    const size_t mark = Log().size();
    ASSERT_TRUE(m_pIO->LoadBattleSystemShipFromXML(doc, &ship));
    EXPECT_EQ(ship.Gunpowder, 50);
    EXPECT_EQ(ship.GunpowderLoaded, 50);
    EXPECT_FLOAT_EQ(ship.CrewTraining, 0.8f);
    EXPECT_TRUE(ship.RamAttack);
    EXPECT_FALSE(ship.RamImmunity);
    EXPECT_FLOAT_EQ(ship.ExpLevel2, 12.0f);
    EXPECT_FLOAT_EQ(ship.CrewTrainingLevel1, 0.78f);
    // Every entry takes a part, the text node too.
    ASSERT_EQ(ship.Parts.size(), 3u);
    const CBattleSystemShipPart& a = *ship.Parts[0];
    EXPECT_FLOAT_EQ(a.InitialWaterline, 4.0f);
    EXPECT_FLOAT_EQ(a.Waterline, 4.0f);
    EXPECT_FLOAT_EQ(a.ArmourRect1.top, 6.0f);
    EXPECT_FLOAT_EQ(a.ArmourRect1.right, 30.0f);
    EXPECT_FLOAT_EQ(a.ArmourRect2.top, 0.0f); // three of four: all zero
    EXPECT_TRUE(a.DurabilityChangeSpeed);
    ASSERT_EQ(a.Guns.size(), 3u);
    EXPECT_EQ(a.Guns[0].Shells, 40);
    EXPECT_FLOAT_EQ(a.Guns[0].Height, 2.0f);
    EXPECT_FLOAT_EQ(a.Guns[0].Damage, 9.0f);
    EXPECT_FLOAT_EQ(a.Guns[0].CurrentRecharge, 20.0f);
    // An unknown tag: a warning, and a gun with its constructor values.
    EXPECT_EQ(a.Guns[1].Shells, -1);
    EXPECT_FLOAT_EQ(a.Guns[1].RechargeSpeed, 0.0f);
    EXPECT_NE(Since(mark).find("WARNING | CVR3GAMEIO::CreateBattleSystemGunFromXML() : not found gun with teg: Nothing"),
              std::string::npos)
        << Since(mark);
    EXPECT_FLOAT_EQ(a.Guns[2].CurrentRecharge, 8.0f);
    EXPECT_FLOAT_EQ(ship.Parts[1]->Waterline, -1.0f); // the text node's part: start values
    EXPECT_FLOAT_EQ(ship.Parts[2]->InitialWaterline, -1.0f);

    TiXmlDocument none;
    Parse(none, "<BattleShip><Gunpowder>5</Gunpowder></BattleShip>");
    CVR3GAMEBattleSystemShip noParts;
    EXPECT_FALSE(m_pIO->LoadBattleSystemShipFromXML(none, &noParts));
    EXPECT_NE(Log().find("CVR3GAMEIO::LoadBattleSystemShipFromXML() : not found parts node\n"), std::string::npos);
    TiXmlDocument noPowder;
    Parse(noPowder, "<BattleShip><Parts/></BattleShip>");
    CVR3GAMEBattleSystemShip empty;
    empty.GunpowderLoaded = 7;
    ASSERT_TRUE(m_pIO->LoadBattleSystemShipFromXML(noPowder, &empty));
    EXPECT_EQ(empty.GunpowderLoaded, 0); // set from Gunpowder also when it is missing
}

TEST_F(ShipObjectReaders, AnimatedPartsBindToFramesAndEffectsToLevels) {
    Put(SeaBattle::CVR3GAMEIO::FOLDER_PARTICLES, "bad.xml", "<NotParticles/>");
    // The demo's flash, its texture and effect named from the test program's folder.
    std::string flash = VornaTest::ReadText(std::filesystem::path(VORNA_BIN_DIR) / "Particles/muzzle_flash.xml");
    for (const char* from : {"Textures\\", "Effects\\"})
        for (size_t at = flash.find(from); at != std::string::npos; at = flash.find(from, at + 8))
            flash.insert(at, "..\\bin\\");
    Put(SeaBattle::CVR3GAMEIO::FOLDER_PARTICLES, "flash.xml", flash);
    const size_t mark = Log().size();
    CVR3GAMEAnimatedShip* ship = Animated(
        "<DamageLevels><A>0</A><!-- x --><B>40</B></DamageLevels><Platons>"
        "<Turret><Rotation>1</Rotation><GameTransform/><RotationSpeed>0.4</RotationSpeed>"
        "<HitPositions><P x=\"1\" y=\"2\" z=\"3\"/></HitPositions>"
        "<ParticlesShot><F0>bad.xml</F0><F1>flash.xml</F1></ParticlesShot>"
        "<ParticlesHitSceneObject>missing.scobjxml</ParticlesHitSceneObject>"
        "<ParticlesMissSceneObject>empty.scobjxml</ParticlesMissSceneObject>"
        "<AnimatedParts><Gun><Movement/><AnimatedParts><Barrel/></AnimatedParts></Gun></AnimatedParts></Turret>"
        "<NoFrame><GameTransform/></NoFrame><Frameless/><Bridge/></Platons>"
        "<Propellers><Propeller><Rotation>1</Rotation></Propeller></Propellers>");
    ASSERT_NE(ship, nullptr) << Log();
    EXPECT_EQ(ship->m_strName, "t.anmobjxml");
    EXPECT_EQ(ship->DamageLevels.size(), 2u);
    ASSERT_EQ(ship->m_vHullModels.size(), 1u);
    // The part with a GameTransform and no frame is dropped; the frameless
    // part without one is kept.
    ASSERT_EQ(ship->m_vPlatformParts.size(), 3u);
    EXPECT_NE(Since(mark).find("CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not found frame in model : NoFrame"),
              std::string::npos);
    const CVR3GAMEAnimatedPart* turret = ship->m_vPlatformParts[0];
    EXPECT_TRUE(turret->Rotation);
    EXPECT_FALSE(turret->Movement);
    ASSERT_NE(turret->m_pFrame, nullptr);
    // The frame's position goes into the rest and current transforms.
    EXPECT_FLOAT_EQ(turret->GameTransform._42, 1.0f);
    EXPECT_FLOAT_EQ(turret->GameTransform._43, 2.0f);
    EXPECT_FLOAT_EQ(turret->m_mCurrent._43, 2.0f);
    EXPECT_FLOAT_EQ(turret->m_mBase._43, 2.0f);
    EXPECT_FLOAT_EQ(turret->RotationSpeed, 0.4f);
    ASSERT_EQ(turret->HitPositions.size(), 1u);
    EXPECT_FLOAT_EQ(turret->HitPositions[0].z, 3.0f);
    // The first flash failed; the second still went to level 1.
    ASSERT_EQ(turret->m_vShotSystems.size(), 1u);
    EXPECT_EQ(turret->m_vShotSystems[0]->m_pOwner, m_pObject);
    ASSERT_EQ(m_pObject->m_vLODs.size(), 2u);
    EXPECT_EQ(m_pObject->m_vLODs[1].m_vUnits.size(), 1u);
    EXPECT_EQ(m_pObject->m_vLODs[1].m_vUnits[0]->m_strName, "GunShot");
    // A hit object that failed is listed as null beside the splash.
    ASSERT_EQ(ship->m_vEffectObjects.size(), 2u);
    EXPECT_EQ(ship->m_vEffectObjects[0], nullptr);
    EXPECT_NE(ship->m_vEffectObjects[1], nullptr);
    EXPECT_NE(Since(mark).find("not create hit scene object"), std::string::npos);
    // Sub-parts to any depth; the rotation speed defaults to 0.1.
    ASSERT_EQ(turret->m_vSubParts.size(), 1u);
    EXPECT_TRUE(turret->m_vSubParts[0]->Movement);
    EXPECT_FLOAT_EQ(turret->m_vSubParts[0]->RotationSpeed, 0.1f);
    ASSERT_EQ(turret->m_vSubParts[0]->m_vSubParts.size(), 1u);
    EXPECT_NE(turret->m_vSubParts[0]->m_vSubParts[0]->m_pFrame, nullptr);
    EXPECT_EQ(ship->m_vPlatformParts[1]->m_pFrame, nullptr);
    EXPECT_NE(ship->m_vPlatformParts[2]->m_pFrame, nullptr);
    ASSERT_EQ(ship->m_vPropellerParts.size(), 1u);
    // Giving the aspect up takes its flash off the scene object again.
    m_pIO->DeleteAnimatedShip(ship);
    EXPECT_TRUE(m_pObject->m_vLODs[1].m_vUnits.empty() || !m_pObject->m_vLODs[1].m_vUnits[0]);
}

TEST_F(ShipObjectReaders, ArtilleryObjectMatchesPartsAndGunsByPosition) {
    GunList();
    TiXmlDocument btl;
    Parse(btl, "<BattleShip><Parts><Hull/><T><Guns><Heavy/><Light/></Guns></T></Parts></BattleShip>");
    CVR3GAMEBattleSystemShip battle;
    ASSERT_TRUE(m_pIO->LoadBattleSystemShipFromXML(btl, &battle));
    CVR3GAMEAnimatedShip* animated =
        Animated("<Platons><Bridge/><Turret><AnimatedParts><Gun><AnimatedParts><Barrel/></AnimatedParts></Gun>"
                 "<Bridge/></AnimatedParts></Turret></Platons>");
    ASSERT_NE(animated, nullptr);
    const std::string sector =
        "<S><Direction x=\"0\" y=\"1\"/><Right x=\"1\" y=\"0\"/><LeftAngles x=\"-1\" y=\"1\"/>"
        "<RightAngles x=\"-1\" y=\"1\"/><TopAngle>0.5</TopAngle></S>";
    const std::string parts = "<P0><Center x=\"0\" y=\"1\" z=\"0\"/><DamageSectors>" + sector +
                              "</DamageSectors></P0><P1><Center x=\"0\" y=\"1\" z=\"2\"/><BombardSectors>" + sector +
                              sector + "</BombardSectors><Guns><G0><BobmardAngles x=\"-1\" y=\"1\" z=\"0\" w=\"0.3\"/>"
                              "</G0><Skipped/><G1><BobmardAngles x=\"-2\" y=\"2\" z=\"0\" w=\"0.3\"/></G1></Guns></P1>";
    {
        TiXmlDocument doc;
        Parse(doc, "<ArtilleryShip><Parts>" + parts + "</Parts></ArtilleryShip>");
        CVR3GAMEArtilleryShip art;
        const size_t mark = Log().size();
        ASSERT_TRUE(m_pIO->LoadArtilleryShipFromXML(doc, &battle, animated, &art)) << Log();
        ASSERT_EQ(art.m_vParts.size(), 2u);
        EXPECT_FLOAT_EQ(art.m_vParts[1]->Center.z, 2.0f);
        EXPECT_EQ(art.m_vParts[0]->DamageSectors.size(), 1u);
        EXPECT_FLOAT_EQ(art.m_vParts[0]->DamageSectors[0].TopAngle, 0.5f);
        EXPECT_EQ(art.m_vParts[1]->BombardSectors.size(), 2u);
        EXPECT_EQ(art.m_vParts[1]->GetHullPart(), battle.Parts[1]);
        // The gun without angles was skipped without taking an index.
        const auto& guns = art.m_vParts[1]->m_vChildren;
        ASSERT_EQ(guns.size(), 2u);
        EXPECT_NE(Since(mark).find("artillery ship gun node not contain bombardment angles"), std::string::npos);
        EXPECT_EQ(guns[0]->GetGun(), &battle.Parts[1]->Guns[0]);
        EXPECT_EQ(guns[1]->GetGun(), &battle.Parts[1]->Guns[1]);
        EXPECT_FLOAT_EQ(guns[1]->BombardAngles.x, -2.0f);
        // Sub-sub-parts get gun nodes with the same gun record and angles.
        ASSERT_EQ(guns[0]->m_vChildren.size(), 1u);
        EXPECT_EQ(guns[0]->m_vChildren[0]->GetGun(), &battle.Parts[1]->Guns[0]);
        EXPECT_EQ(guns[0]->m_vChildren[0]->m_pAnimatedPart, animated->m_vPlatformParts[1]->m_vSubParts[0]->m_vSubParts[0]);
        EXPECT_FLOAT_EQ(guns[0]->m_vChildren[0]->BombardAngles.w, 0.3f);
    }
    {
        // A part too many is logged and ignored.
        TiXmlDocument doc;
        Parse(doc, "<ArtilleryShip><Parts>" + parts + "<P2><Center/></P2></Parts></ArtilleryShip>");
        CVR3GAMEArtilleryShip art;
        EXPECT_TRUE(m_pIO->LoadArtilleryShipFromXML(doc, &battle, animated, &art));
        EXPECT_NE(Log().find("artillery object contains superfluous parts"), std::string::npos);
        EXPECT_EQ(art.m_vParts.size(), 2u);
    }
    {
        // One part too few does not coincide.
        TiXmlDocument doc;
        Parse(doc, "<ArtilleryShip><Parts><P0><Center/></P0></Parts></ArtilleryShip>");
        CVR3GAMEArtilleryShip art;
        EXPECT_FALSE(m_pIO->LoadArtilleryShipFromXML(doc, &battle, animated, &art));
        EXPECT_NE(Log().find("battle object and artillery object not coincide"), std::string::npos);
    }
    {
        // Damage parts and platforms must agree in number.
        battle.Parts.push_back(new CBattleSystemShipPart());
        TiXmlDocument doc;
        Parse(doc, "<ArtilleryShip><Parts>" + parts + "</Parts></ArtilleryShip>");
        CVR3GAMEArtilleryShip art;
        EXPECT_FALSE(m_pIO->LoadArtilleryShipFromXML(doc, &battle, animated, &art));
        EXPECT_NE(Log().find("battle object and animated object not coincide"), std::string::npos);
    }
    m_pIO->DeleteAnimatedShip(animated);
}

TEST_F(ShipObjectReaders, InformationChainKeepsItsOrder) {
    auto info = [&](const std::string& chain, const std::string& icon) {
        TiXmlDocument doc;
        doc.Parse(("<InformationShip><ShipTypeName>Ram</ShipTypeName><ShipTypeLevel>1</ShipTypeLevel>"
                   "<ColumnNum/>" + chain + "<Icon>" + icon + "</Icon></InformationShip>").c_str());
        return std::unique_ptr<CVR3GAMEInformationShip>(m_pIO->CreateInformationShipFromXML(doc));
    };
    const std::string fullIcon =
        "<TextCoordinates><A x=\"1\" y=\"2\" z=\"3\" w=\"4\"/><B/></TextCoordinates>"
        "<Borders l=\"0\" t=\"0\" r=\"128\" b=\"64\"/><Texture>i.bmp</Texture><Font>Normal</Font>"
        "<TextRelativePosition l=\"0.1\" t=\"0.5\" r=\"0.9\" b=\"1\"/>"
        "<TextColors><A r=\"1\" g=\"0.5\" b=\"0\" a=\"1\"/></TextColors>";
    const std::string chain =
        "<Displacement>4000</Displacement><MaxSpeed>15</MaxSpeed><GunsSidesCount1>2</GunsSidesCount1>"
        "<GunsSidesName1>6in</GunsSidesName1><GunsTurnCount3>1</GunsTurnCount3><GunsTurnName3>10in</GunsTurnName3>"
        "<ArmourDeck>2in</ArmourDeck><ArmourBelt>8in</ArmourBelt><ArmourTower>6in</ArmourTower>"
        "<DisplUnitCost>10</DisplUnitCost>";
    auto full = info(chain, fullIcon);
    ASSERT_NE(full, nullptr) << Log();
    EXPECT_EQ(full->ShipTypeName, "Ram");
    EXPECT_EQ(full->ShipTypeLevel, 1);
    EXPECT_EQ(full->ColumnNum, -1); // present without text
    EXPECT_EQ(full->Displacement, "4000");
    EXPECT_EQ(full->GunsSidesCount1, 2);
    EXPECT_EQ(full->GunsSidesCount2, 0); // missing: kept, the chain goes on
    EXPECT_EQ(full->GunsTurnName3, "10in");
    // "ArmourDeck" before "ArmourBelt": for the reader the deck is missing.
    EXPECT_EQ(full->ArmourBelt, "8in");
    EXPECT_EQ(full->ArmourDeck, "");
    EXPECT_EQ(full->ArmourTower, "6in");
    EXPECT_EQ(full->DisplUnitCost, 10);
    EXPECT_EQ(full->IconBorders.right, 128);
    EXPECT_EQ(full->IconFont, "Normal");
    EXPECT_FLOAT_EQ(full->TextRelativePosition.y, 0.5f);
    ASSERT_EQ(full->TextCoordinates.size(), 2u);
    EXPECT_FLOAT_EQ(full->TextCoordinates[0].w, 4.0f);
    ASSERT_EQ(full->TextColors.size(), 1u);
    EXPECT_FLOAT_EQ(full->TextColors[0].y, 0.5f);

    // The icon and each of its required children; "Texture", "Font" and
    // "TextRelativePosition" follow "Borders" in this order.
    const struct {
        const char* what;
        std::string icon;
    } broken[] = {
        {"no Borders", "<Texture>i</Texture><Font>N</Font><TextRelativePosition/><TextCoordinates/><TextColors/>"},
        {"Font before Texture", "<Borders/><Font>N</Font><Texture>i</Texture><TextRelativePosition/>"
                                "<TextCoordinates/><TextColors/>"},
        {"no TextRelativePosition", "<Borders/><Texture>i</Texture><Font>N</Font><TextCoordinates/><TextColors/>"},
        {"no TextColors", "<Borders/><Texture>i</Texture><Font>N</Font><TextRelativePosition/><TextCoordinates/>"},
        {"no TextCoordinates", "<Borders/><Texture>i</Texture><Font>N</Font><TextRelativePosition/><TextColors/>"},
    };
    for (const auto& b : broken) EXPECT_EQ(info(chain, b.icon), nullptr) << b.what;
    // Without "Icon", or with "Icon" before the chain's last element, nothing.
    TiXmlDocument noIcon;
    noIcon.Parse("<InformationShip><ShipTypeName>R</ShipTypeName></InformationShip>");
    EXPECT_EQ(m_pIO->CreateInformationShipFromXML(noIcon), nullptr);
    TiXmlDocument early;
    early.Parse(("<InformationShip><Icon>" + fullIcon + "</Icon><Displacement>1</Displacement></InformationShip>").c_str());
    EXPECT_EQ(m_pIO->CreateInformationShipFromXML(early), nullptr);

    // Prices are money: a type whose price a 32-bit sum cannot hold is refused.
    EXPECT_EQ(info("<Displacement>300000</Displacement><DisplUnitCost>10000</DisplUnitCost>", fullIcon), nullptr);
    EXPECT_NE(Log().find("ship price out of range : 3000000000"), std::string::npos);
    EXPECT_EQ(info("<Displacement>4000</Displacement><DisplUnitCost>-1</DisplUnitCost>", fullIcon), nullptr);
    EXPECT_NE(info("<Displacement>214748</Displacement><DisplUnitCost>10000</DisplUnitCost>", fullIcon), nullptr);

    // Through the file: the name, the binary kind quietly null.
    Put(SeaBattle::CVR3GAMEIO::FOLDER_INFORMATION_OBJECTS, "r.infobjxml",
        "<InformationShip>" + chain + "<Icon>" + fullIcon + "</Icon></InformationShip>");
    std::unique_ptr<CVR3GAMEInformationShip> named(m_pIO->CreateInformationShip("r.infobjxml"));
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->m_strName, "r.infobjxml");
    const size_t mark = Log().size();
    EXPECT_EQ(m_pIO->CreateInformationShip("r.infobjbin"), nullptr);
    EXPECT_EQ(Since(mark).find("CVR3GAMEIO"), std::string::npos);
}

TEST_F(ShipObjectReaders, BrokenFilesAreRefusedAndOdditiesTolerated) {
    GunList();
    using IO = SeaBattle::CVR3GAMEIO;
    const struct {
        const char* what;
        IO::EFolder folder;
        const char* file;
        std::string text;
        const char* logged;
    } cases[] = {
        {"animated without ShipModelName", IO::FOLDER_ANIMATED_OBJECTS, "a.anmobjxml",
         "<AnimatedShip><Platons/></AnimatedShip>", "ShipModelName not found in xml"},
        {"animated with a wrong root", IO::FOLDER_ANIMATED_OBJECTS, "a.anmobjxml",
         "<AnimatedObject><ShipModelName>Hull</ShipModelName></AnimatedObject>", "LoadAnimatedShipFromXML() failed"},
        {"battle object without Parts", IO::FOLDER_BATTLE_OBJECTS, "b.btlobjxml", "<BattleShip/>",
         "not found parts node"},
        {"movement out of order is still found", IO::FOLDER_MOVEMENT_OBJECTS, "m.movobjxml",
         "<MovementShip><MinSpeed>1</MinSpeed><Mass>1</Mass><MaxSpeed>1</MaxSpeed><MaxRotAngle>1</MaxRotAngle>"
         "<MaxDraughtForceInstTime>1</MaxDraughtForceInstTime><MaxDraughtForce>1</MaxDraughtForce>"
         "<DraughtForcePosition/></MovementShip>",
         nullptr},
        {"movement with a text node instead of Mass", IO::FOLDER_MOVEMENT_OBJECTS, "m.movobjxml",
         "<MovementShip>900<MaxSpeed>1</MaxSpeed></MovementShip>", "LoadMovementShipFromXML() failed"},
        {"artillery object without Parts", IO::FOLDER_ARTILLERY_OBJECTS, "r.artobjxml", "<ArtilleryShip/>",
         "not found parts node"},
        {"information with a text node as Icon", IO::FOLDER_INFORMATION_OBJECTS, "i.infobjxml",
         "<InformationShip><DisplUnitCost>1</DisplUnitCost>icon</InformationShip>",
         "CreateInformationShipFromXML() failed"},
    };
    for (const auto& c : cases) {
        Put(c.folder, c.file, c.text);
        const size_t mark = Log().size();
        bool made = false;
        switch (c.folder) {
        case IO::FOLDER_ANIMATED_OBJECTS: {
            CVR3GAMEAnimatedShip* s = m_pIO->CreateAnimatedShipFromFile(c.file, m_pObject, false);
            made = s;
            m_pIO->DeleteAnimatedShip(s);
            break;
        }
        case IO::FOLDER_BATTLE_OBJECTS:
            made = std::unique_ptr<CVR3GAMEBattleSystemShip>(m_pIO->CreateBattleSystemShip(c.file)) != nullptr;
            break;
        case IO::FOLDER_MOVEMENT_OBJECTS:
            made = std::unique_ptr<CVR3GAMEMovementShip>(m_pIO->CreateMovementShipFromFile(c.file)) != nullptr;
            break;
        case IO::FOLDER_ARTILLERY_OBJECTS: {
            CVR3GAMEBattleSystemShip battle;
            CVR3GAMEAnimatedShip animated;
            made = std::unique_ptr<CVR3GAMEArtilleryShip>(m_pIO->CreateArtilleryShip(c.file, &battle, &animated)) !=
                   nullptr;
            break;
        }
        default:
            made = std::unique_ptr<CVR3GAMEInformationShip>(m_pIO->CreateInformationShip(c.file)) != nullptr;
        }
        EXPECT_EQ(made, c.logged == nullptr) << c.what;
        if (c.logged) {
            EXPECT_NE(Since(mark).find(c.logged), std::string::npos) << c.what << "\n" << Since(mark);
        }
    }
    // Each creator logs an unknown kind, and makes nothing for an empty name.
    const size_t mark = Log().size();
    EXPECT_EQ(m_pIO->CreateMovementShipFromFile("x.movobj"), nullptr);
    EXPECT_EQ(m_pIO->CreateBattleSystemShip("x.btlobj"), nullptr);
    EXPECT_EQ(m_pIO->CreateArtilleryShip("x.artobj", nullptr, nullptr), nullptr);
    EXPECT_EQ(m_pIO->CreateAnimatedShipFromFile("x.anmobj", m_pObject, false), nullptr);
    EXPECT_EQ(m_pIO->CreateInformationShip("x.infobj"), nullptr);
    EXPECT_FALSE(m_pIO->LoadBattleArtilleryList("x.artlst"));
    size_t lines = 0;
    for (size_t at = Since(mark).find("file expansion parser not defined"); at != std::string::npos;
         at = Since(mark).find("file expansion parser not defined", at + 1))
        ++lines;
    EXPECT_EQ(lines, 6u);
    EXPECT_EQ(m_pIO->CreateMovementShipFromFile(""), nullptr);
    EXPECT_EQ(m_pIO->CreateAnimatedShipFromFile("t.anmobjxml", nullptr, false), nullptr);
    // Binary kinds read nothing: an empty aspect named after the file.
    std::unique_ptr<CVR3GAMEMovementShip> bin(m_pIO->CreateMovementShipFromFile("nowhere.movobjbin"));
    ASSERT_NE(bin, nullptr);
    EXPECT_EQ(bin->m_strName, "nowhere.movobjbin");
}

} // namespace
