// The scenario file's harbour readers on the demo ship files: the human
// director's fixed element order, ship types, and the computer's fleet
// scheme drawn, kept and clamped.
#include <tinyxml.h>

#include "GameIOTestSupport.h"
#include "engine3/core/SafeXml.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"

using namespace SeaBattle;

namespace {

constexpr const char* kShipFiles =
    "<SceneObjectFile>cruiser.scobjxml</SceneObjectFile><MovementObjectFile>cruiser.movobjxml</MovementObjectFile>"
    "<AnimatedObjectFile>cruiser.anmobjxml</AnimatedObjectFile><BattleObjectFile>cruiser.btlobjxml</BattleObjectFile>"
    "<ArtilleryObjectFile>cruiser.artobjxml</ArtilleryObjectFile><InfoObjectFile>cruiser.infobjxml</InfoObjectFile>";

class ScenarioReader : public VornaGameTest::GameIOFixture {
protected:
    void SetUp() override {
        GameIOFixture::SetUp();
        if (!Start()) GTEST_SKIP() << "no device";
        LinkDemoData();
        m_pIO->InitFrom((m_dir / "folders.ini").string(), m_dir.string() + "/", m_dir.string() + "/");
        m_harbour.m_pScene = m_pScene;
        m_harbour.m_pGameIO = m_pIO;
        m_harbour.m_pScenario = &m_scenario;
        m_pIO->m_pHarbourMap = &m_harbour;
        m_pIO->m_pScenario = &m_scenario;
        ASSERT_NE(m_harbour.CreatePlayer("Blue"), nullptr);
        ASSERT_NE(m_harbour.CreatePlayer("Red"), nullptr);
    }
    void TearDown() override {
        m_harbour.Clear();
        GameIOFixture::TearDown();
    }
    const TiXmlElement* Parse(const std::string& text) {
        m_doc = TiXmlDocument();
        if (!Vorna3D::ParseXmlText(text, m_doc)) return nullptr;
        return m_doc.RootElement();
    }
    // A computer director element with `schemes` schemes of one step each
    // (scheme k has k + 1 ships) and the given count attribute.
    static std::string Computer(int count, int schemes) {
        std::string s = "<Computer><PlayerName>Red</PlayerName><FleetSchemes count=\"" + std::to_string(count) + "\">";
        for (int k = 0; k < schemes; ++k) {
            s += "<Scheme><Step>";
            for (int i = 0; i <= k; ++i) s += std::string("<Ship name=\"R") + std::to_string(i) + "\">" + kShipFiles + "</Ship>";
            s += "</Step></Scheme>";
        }
        return s + "</FleetSchemes></Computer>";
    }

    CVR3GAMEHarbourMap m_harbour;
    CVR3GAMEScenario m_scenario;
    TiXmlDocument m_doc;
};

} // namespace

TEST_F(ScenarioReader, HumanDirectorNeedsStartMoneyThenAddMoney) {
    const TiXmlElement* swapped = Parse(
        "<Human><PlayerName>Blue</PlayerName><AddMoney>5</AddMoney><StartMoney>10</StartMoney></Human>");
    ASSERT_NE(swapped, nullptr);
    EXPECT_FALSE(m_pIO->CreateHarbourPlayerDirectorHumanFromScenarioXML(swapped));
    EXPECT_NE(Log().find("not found 'AddMoney' node"), std::string::npos);
    m_harbour.Clear();
    m_harbour.CreatePlayer("Blue");

    const std::string good = std::string("<Human><PlayerName>Blue</PlayerName><StartMoney>10</StartMoney>"
                                         "<AddMoney>5</AddMoney><ShipsTypes>") +
                             "<T><InfoObjectFile>cruiser.infobjxml</InfoObjectFile>"
                             "<SceneObjectFile>a</SceneObjectFile><MovementObjectFile>b</MovementObjectFile>"
                             "<AnimatedObjectFile>c</AnimatedObjectFile><BattleObjectFile>d</BattleObjectFile>"
                             "<ArtilleryObjectFile>e</ArtilleryObjectFile><N>Swift</N><N>Tern</N></T>"
                             // Movement before scene: refused without a line of its own.
                             "<T><InfoObjectFile>cruiser.infobjxml</InfoObjectFile>"
                             "<MovementObjectFile>b</MovementObjectFile><SceneObjectFile>a</SceneObjectFile>"
                             "<AnimatedObjectFile>c</AnimatedObjectFile><BattleObjectFile>d</BattleObjectFile>"
                             "<ArtilleryObjectFile>e</ArtilleryObjectFile></T>"
                             "<T><InfoObjectFile></InfoObjectFile></T>"
                             "</ShipsTypes><ShipsTypesToBuy><C>1</C><C>2</C></ShipsTypesToBuy></Human>";
    const TiXmlElement* e = Parse(good);
    ASSERT_TRUE(m_pIO->CreateHarbourPlayerDirectorHumanFromScenarioXML(e));
    auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(m_harbour.GetDirector("Blue"));
    ASSERT_NE(human, nullptr);
    EXPECT_EQ(human->m_iMoney, 10);
    EXPECT_EQ(human->m_iAddMoney, 5);
    ASSERT_EQ(human->m_stdvShipsTypes.size(), 1u);
    EXPECT_EQ(human->m_stdvShipsTypes[0]->ArtilleryObjectFile, "e");
    EXPECT_EQ(human->m_stdvShipsTypes[0]->m_stdvNames, (std::vector<std::string>{"Swift", "Tern"}));
    ASSERT_NE(human->m_stdvShipsTypes[0]->m_pInformation, nullptr);
    EXPECT_EQ(human->m_stdviShipsToBuy, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(m_scenario.m_iShipLevelCount, 1);
    EXPECT_NE(Log().find("not found 'InfoFile' attribut"), std::string::npos);
}

TEST_F(ScenarioReader, FleetSchemeIsDrawnKeptAndClamped) {
    struct Case {
        int count, schemes, stored;
        bool ok;
        size_t ships; // in the chosen scheme's step; 0 when the read fails
    };
    const Case cases[] = {
        {3, 3, 1, true, 2},   // a stored scheme is kept
        {3, 3, 5, false, 0},  // lowered to the count, which names no scheme
        {3, 3, -2, false, 0}, // no negative index but -1
        {2, 3, 2, true, 3},   // the count may be smaller than the list
    };
    for (const Case& c : cases) {
        m_harbour.Clear();
        m_harbour.CreatePlayer("Red");
        m_scenario.m_iFleetScheme = c.stored;
        const TiXmlElement* e = Parse(Computer(c.count, c.schemes));
        EXPECT_EQ(m_pIO->CreateHarbourPlayerDirectorComputerFromScenarioXML(e), c.ok) << c.stored;
        if (!c.ok) continue;
        auto* d = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorComputer*>(m_harbour.GetDirector("Red"));
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->m_pFleetProgress, nullptr);
        ASSERT_EQ(d->m_pFleetProgress->size(), 1u);
        EXPECT_EQ((*d->m_pFleetProgress)[0].size(), c.ships);
        EXPECT_EQ((*d->m_pFleetProgress)[0][0].InfoObjectFile, "cruiser.infobjxml");
    }
    // A new scenario draws among the schemes that exist, even when the
    // count claims more, and keeps what it drew.
    for (int run = 0; run < 8; ++run) {
        m_harbour.Clear();
        m_harbour.CreatePlayer("Red");
        m_scenario.m_iFleetScheme = -1;
        ASSERT_TRUE(m_pIO->CreateHarbourPlayerDirectorComputerFromScenarioXML(Parse(Computer(9, 2))));
        EXPECT_GE(m_scenario.m_iFleetScheme, 0);
        EXPECT_LT(m_scenario.m_iFleetScheme, 2);
    }
}

TEST_F(ScenarioReader, FleetShipsAreBuiltWholeAndFormColumns) {
    m_scenario.m_iFleetScheme = 0;
    ASSERT_TRUE(m_pIO->CreateHarbourPlayerDirectorComputerFromScenarioXML(Parse(Computer(1, 1))));
    auto* d = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorComputer*>(m_harbour.GetDirector("Red"));
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(d->AttachHarbourMap(&m_harbour));
    ASSERT_TRUE(d->InitHarbourMap(0));
    ASSERT_TRUE(d->PrepareDataForBattleMap()) << Log();
    CVR3GAMEHarbourMapPlayer* red = m_harbour.GetPlayer("Red");
    ASSERT_EQ(red->m_stdvColumns.size(), 1u);
    ASSERT_EQ(red->m_stdvColumns[0]->m_stdvBattleShips.size(), 1u);
    EXPECT_EQ(red->m_stdvColumns[0]->m_stdvBattleShips[0]->m_strName, "R0");
    // The scheme has no second step: the next preparation fails.
    ASSERT_TRUE(d->InitHarbourMap(1));
    EXPECT_FALSE(d->PrepareDataForBattleMap());
    EXPECT_NE(Log().find("FleetProgressShipsAttachToAll() failed"), std::string::npos);
}
