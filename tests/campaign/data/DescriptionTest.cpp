// Unit descriptions: which blocks each kind of unit gets, parts and guns,
// reserve areas, and the refusals.
#include "DataTestSupport.h"
#include "campaign/data/CDX9KelDataIO.h"

using namespace VornaCampaign;

namespace {

std::vector<GunType> Artillery() {
    std::vector<GunType> table(2);
    SetRecordText(table[0].m_szName, "Heavy");
    table[0].m_iBombardSpeed = 3;
    table[0].m_iBombardRange = 2000;
    table[0].m_fFallAccuracy = 0.5f;
    table[0].m_iBeginArmourPierce = 250;
    table[0].m_fFallArmourPierce = 0.1f;
    table[0].m_iDamage = 30;
    SetRecordText(table[1].m_szName, "Light");
    return table;
}

const char* const kDecl = "<?xml version=\"1.0\" ?>\n";

class DescriptionTest : public CampaignDataTest::LoggedFolder {
protected:
    bool Load(const std::string& text, const std::string& name = "unit.xml") {
        path = Put(name, text);
        return g_DataIO.LoadGameObjectXML(path.c_str(), &object, artillery);
    }
    std::vector<GunType> artillery = Artillery();
    GameObjectRecord object;
    std::string path;
};

} // namespace

TEST_F(DescriptionTest, AShipGetsEveryBlock) {
    ASSERT_TRUE(Load(std::string(kDecl) + R"(<Ship>
  <MovementData><Acceleration>0.02</Acceleration><RotationAngle>0.04</RotationAngle><MaxSpeed>1.8</MaxSpeed></MovementData>
  <GraphicData><Icon>icon.png</Icon><Description>info.png</Description></GraphicData>
  <BattleData>
    <AGGunpowder>50</AGGunpowder><CrewTraining>0.9</CrewTraining><Displacement>3000</Displacement>
    <Pomp>5</Pomp><RamAttack>20</RamAttack><RamDefence>30</RamDefence>
    <DesignParts>
      <LeftBow><Durability>100</Durability><Buoyancy>150</Buoyancy><Length>10</Length><Height>5</Height>
        <Armour1>60</Armour1><ArmourRect1><t>5</t><l>0</l><b>1</b><r>10</r></ArmourRect1>
        <DamageReseptionZone><t>0</t><l>-1.5</l><b>0</b><r>0</r></DamageReseptionZone>
        <Guns>
          <Heavy><Shells>12</Shells><BombardZone><t>-0.5</t><l>-2.5</l><b>0</b><r>0</r></BombardZone><Height>2</Height></Heavy>
          <!-- a gun of no known type is dropped -->
          <Mortar><Shells>1</Shells></Mortar>
          <Light><Shells></Shells></Light>
        </Guns>
      </LeftBow>
      <!-- a comment is no part -->
      <RightBow><Durability>100</Durability><Buoyancy>150</Buoyancy><Length>4</Length><Height>3</Height><Waterline>7</Waterline></RightBow>
    </DesignParts>
    <MGTowers><Fore><Durability>80</Durability><Length>3</Length><Height>2</Height><Waterline>0.5</Waterline></Fore></MGTowers>
    <Pipes><Pipe1><Durability>20</Durability></Pipe1></Pipes>
  </BattleData>
</Ship>)")) << Log();
    ASSERT_TRUE(object.m_pMovement && object.m_pMovementState && object.m_pTexts && object.m_pBattleData);
    EXPECT_FLOAT_EQ(object.m_pMovement->m_fBaseSpeed, 1.8f);
    EXPECT_FLOAT_EQ(object.m_pMovement->m_fSpeedLimit, 1.8f);
    EXPECT_FLOAT_EQ(object.m_pMovement->m_fRotationAngle, 0.04f);
    EXPECT_FLOAT_EQ(object.m_pMovement->m_fAcceleration, 0.02f);
    EXPECT_EQ(object.m_pMovementState->m_bCanSink, 1);
    EXPECT_STREQ(object.m_pTexts->m_szIcon, "icon.png");
    EXPECT_STREQ(object.m_pTexts->m_szDescription, "info.png");

    const BattleDataBlock& b = *object.m_pBattleData;
    EXPECT_EQ(b.m_iGunpowder, 50);
    EXPECT_FLOAT_EQ(b.m_fCrewTraining, 0.9f);
    EXPECT_EQ(b.m_iDisplacement, 3000);
    EXPECT_FLOAT_EQ(b.m_fPumps, 5.0f);
    EXPECT_EQ(b.m_bAlive, 1);
    EXPECT_EQ(b.m_iDeathKind, DEATH_ALIVE);
    ASSERT_EQ(b.m_stdvDesignParts.size(), 2u);
    ASSERT_EQ(b.m_stdvMGTowers.size(), 1u);
    ASSERT_EQ(b.m_stdvPipes.size(), 1u);

    const PartRecord& bow = b.m_stdvDesignParts[0];
    EXPECT_EQ(bow.m_iArmour1, 60);
    EXPECT_FLOAT_EQ(bow.m_rArmourRect1.top, 5.0f);
    EXPECT_FLOAT_EQ(bow.m_rArmourRect1.bottom, 1.0f);
    EXPECT_FLOAT_EQ(bow.m_rDamageReceptionZone.left, -1.5f);
    // Height 5, length 10, no waterline: a reserve area of 50.
    EXPECT_FLOAT_EQ(bow.m_fReserveArea, 50.0f);
    ASSERT_EQ(bow.m_stdvGuns.size(), 2u);
    const GunRecord& heavy = bow.m_stdvGuns[0];
    EXPECT_STREQ(heavy.m_szName, "Heavy");
    EXPECT_EQ(heavy.m_iBombardSpeed, 3);
    EXPECT_EQ(heavy.m_iCurrentBombardSpeed, 3);
    EXPECT_EQ(heavy.m_iBombardRange, 2000);
    EXPECT_EQ(heavy.m_iDamage, 30);
    EXPECT_EQ(heavy.m_iShells, 12);
    EXPECT_FLOAT_EQ(heavy.m_fHeight, 2.0f);
    EXPECT_FLOAT_EQ(heavy.m_rBombardZone.left, -2.5f);
    EXPECT_FLOAT_EQ(heavy.m_rBombardZone.top, -0.5f);
    EXPECT_STREQ(bow.m_stdvGuns[1].m_szName, "Light");
    // An element without text reads as -1.
    EXPECT_EQ(bow.m_stdvGuns[1].m_iShells, -1);

    // A design waterline above the part is lowered to its height, leaving no
    // reserve area.
    EXPECT_FLOAT_EQ(b.m_stdvDesignParts[1].m_fDesignWaterline, 3.0f);
    EXPECT_FLOAT_EQ(b.m_stdvDesignParts[1].m_fReserveArea, 0.0f);
    EXPECT_FLOAT_EQ(b.m_stdvMGTowers[0].m_fReserveArea, 4.5f);
    // Every part's reserve area is added to the starting -1.0.
    EXPECT_FLOAT_EQ(b.m_fTotalReserveArea, 50.0f + 0.0f + 4.5f + 0.0f - 1.0f);
}

TEST_F(DescriptionTest, EachKindGetsItsOwnBlocks) {
    const std::string sections = "<MovementData><MaxSpeed>2</MaxSpeed><RotationAngle>1</RotationAngle>"
                                 "<Acceleration>1</Acceleration></MovementData>"
                                 "<GraphicData><Icon>i.png</Icon></GraphicData>"
                                 "<BattleData><Displacement>10</Displacement></BattleData>";
    struct Case {
        const char* root;
        bool texts, movement, state, battle;
    };
    for (const Case& c : {Case{"Ship", true, true, true, true}, Case{"Fort", true, false, false, true},
                          Case{"Mine", false, false, false, true}, Case{"Buoy", false, false, false, false}}) {
        SCOPED_TRACE(c.root);
        object = GameObjectRecord();
        ASSERT_TRUE(Load(std::string(kDecl) + "<" + c.root + ">" + sections + "</" + c.root + ">")) << Log();
        EXPECT_EQ(object.m_pTexts != nullptr, c.texts);
        EXPECT_EQ(object.m_pMovement != nullptr, c.movement);
        EXPECT_EQ(object.m_pMovementState != nullptr, c.state);
        EXPECT_EQ(object.m_pBattleData != nullptr, c.battle);
    }
}

TEST_F(DescriptionTest, LimitsNotAboveZeroAreWarnedAndStillLoad) {
    ASSERT_TRUE(Load(std::string(kDecl) + "<Ship><MovementData><MaxSpeed>0</MaxSpeed><RotationAngle>-0.1</RotationAngle>"
                                          "<Acceleration>1</Acceleration></MovementData><BattleData>"
                                          "<DesignParts><P><Durability></Durability><Length>2</Length></P></DesignParts>"
                                          "</BattleData></Ship>"));
    const std::string log = Log();
    for (const char* what : {"MaxSpeed of MovementData", "RotationAngle of MovementData", "Durability of P",
                             "Buoyancy of P", "Displacement of BattleData"})
        EXPECT_NE(log.find(std::string("Warning : CDX9KelDataIO::LoadGameObjectXML : ") + what + " is not above 0"),
                  std::string::npos)
            << what << "\n" << log;
    EXPECT_EQ(log.find("Acceleration of"), std::string::npos) << log;
    EXPECT_EQ(log.find("Length of P"), std::string::npos) << log;
    // A warning is no error.
    EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 0);
}

TEST_F(DescriptionTest, RefusedDescriptionsLeaveTheUnitAsItWas) {
    std::string manyParts = "<Ship><BattleData><Pipes>";
    for (int i = 0; i < 1001; ++i) manyParts += "<P/>";
    manyParts += "</Pipes></BattleData></Ship>";
    const std::pair<std::string, std::string> cases[] = {
        {"", "Error : CDX9KelDataIO::LoadGameObjectXML : xml file not read : "},
        {"<Ship>", "Error : CDX9KelDataIO::LoadGameObjectXML : xml file not read : "},
        {"<Ship/>", "Error : CDX9KelDataIO::LoadGameObjectXML : xml file empty : "},
        {std::string(kDecl) + "<Ship><GraphicData><Icon>../../secret.png</Icon></GraphicData></Ship>",
         "Icon names an unsafe file \"../../secret.png\""},
        {std::string(kDecl) + "<Fort><GraphicData><Description>/etc/info.png</Description></GraphicData></Fort>",
         "Error : CDX9KelDataIO::LoadGameObjectXML : CreateGameObjectFort == false : "},
        {std::string(kDecl) + manyParts, "more than 1000 parts in Pipes"},
    };
    for (const auto& [text, line] : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        SetUp();
        object = GameObjectRecord();
        object.m_pTexts = std::make_unique<GameObjectTexts>();
        SetRecordText(object.m_pTexts->m_szIcon, "old.png");
        EXPECT_FALSE(Load(text));
        EXPECT_NE(Log().find(line), std::string::npos) << Log();
        EXPECT_STREQ(object.m_pTexts->m_szIcon, "old.png");
        EXPECT_FALSE(object.m_pBattleData);
    }
}

TEST_F(DescriptionTest, TheDemoDescriptionsLoadCompleteAndWithoutWarnings) {
    const std::string folder = std::string(VORNA_BIN_DIR) + "/Data/Parameters/";
    for (const char* name : {"ship_a.xml", "ship_b.xml", "fort.xml", "mine.xml"}) {
        SCOPED_TRACE(name);
        GameObjectRecord unit;
        std::vector<GunType> table;
        ASSERT_TRUE(g_DataIO.LoadArtillery((std::string(VORNA_BIN_DIR) + "/Data/Artillery/Artillery.xml").c_str(),
                                           &table));
        ASSERT_TRUE(g_DataIO.LoadGameObjectXML((folder + name).c_str(), &unit, table)) << Log();
        ASSERT_TRUE(unit.m_pBattleData);
        const BattleDataBlock& b = *unit.m_pBattleData;
        if (unit.m_pMovement) {
            EXPECT_EQ(b.m_stdvDesignParts.size(), 6u);
            EXPECT_EQ(b.m_stdvMGTowers.size(), 2u);
            EXPECT_GE(b.m_stdvPipes.size(), 1u);
            for (const PartRecord& p : b.m_stdvMGTowers) EXPECT_FALSE(p.m_stdvGuns.empty());
            for (const PartRecord& p : b.m_stdvDesignParts) EXPECT_FALSE(p.m_stdvGuns.empty());
        }
    }
    EXPECT_EQ(Log().find("Warning"), std::string::npos) << Log();
    EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 0) << Log();
}
