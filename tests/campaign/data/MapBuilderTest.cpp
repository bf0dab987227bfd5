// The map builder refuses descriptions the campaign could not use, and
// builds the demo maps that the campaign reads.
#include "DataTestSupport.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "data/generators/mapbuild/MapBuilder.h"

using namespace VornaCampaign;

namespace {

std::string Map(const std::string& units, const std::string& columns = "", const std::string& statics = "") {
    return R"(<Map name="M"><SceneBox min="-10 -10 -10" max="10 10 10"/><MapArea min="-5 0 -5" max="5 0 5"/>)"
           R"(<Sky texture="s.png"/><Water texture="w.png"/><Statics>)" +
           statics + "</Statics><Units>" + units + "</Units><Columns>" + columns + "</Columns></Map>";
}

std::string Unit(const std::string& name, const std::string& side = "SIDE1", const std::string& extra = "") {
    return "<Unit name=\"" + name + "\" models=\"a.x\" effects=\"m.fx\" description=\"d.xml\" side=\"" + side +
           "\" position=\"0 0 0\" " + extra + "/>";
}

} // namespace

TEST(MapBuilder, RefusesWhatTheCampaignCouldNotUse) {
    const std::string forty(40, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"<Map", "no XML document"},
        {"<Level name=\"x\"/>", "root element is not Map"},
        {Map(Unit(forty)), "is longer than 39"},
        {Map(Unit("Aurora") + Unit("Aurora")), "\"Aurora\" is used twice"},
        {Map(Unit("Aurora"), "", "<Static name=\"Aurora\" models=\"r.x\" effects=\"m.fx\" position=\"0 0 0\"/>"),
         "\"Aurora\" is used twice"},
        {Map(Unit("Two words")), "cannot be an XML element name"},
        {Map(Unit("9th")), "cannot be an XML element name"},
        {Map(Unit("xmlShip")), "cannot be an XML element name"},
        {Map(Unit("")), "cannot be an XML element name"},
        {Map(Unit("Aurora", "SIDE3")), "must be SIDE1, SIDE2 or UNSIDE"},
        {Map(Unit("Aurora", "side1")), "must be SIDE1, SIDE2 or UNSIDE"},
        {Map("<Unit name=\"A\" models=\"../a.x\" effects=\"m.fx\" description=\"d.xml\" side=\"SIDE1\" position=\"0 0 0\"/>"),
         "leaves its folder"},
        {Map("<Unit name=\"A\" models=\"a.x\" effects=\"m.fx\" side=\"SIDE1\" position=\"0 0 0\"/>"),
         "needs a description file"},
        {Map("<Unit name=\"A\" models=\"a.x\" effects=\"m.fx\" description=\"d.xml\" side=\"SIDE1\" position=\"0 0\"/>"),
         "position needs 3 numbers"},
        {Map(Unit("A", "SIDE1", "scale=\"0\"")), "scale must be above 0"},
        {Map(Unit("A"), "<Column><Ship>B</Ship></Column>"), "\"B\" is no unit of the map"},
        {Map(Unit("A") + Unit("M", "UNSIDE"), "<Column><Ship>M</Ship></Column>"), "belongs to no side"},
        {Map(Unit("A") + Unit("B", "SIDE2"), "<Column><Ship>A</Ship><Ship>B</Ship></Column>"), "mixes the sides"},
        {Map(Unit("A"), "<Column><Ship>A</Ship></Column><Column><Ship>A</Ship></Column>"), "stands in two columns"},
        {Map(Unit("A"), "<Column/>"), "a column has no ships"},
        {Map(""), "columns need units"},
    };
    for (const auto& [xml, reason] : cases) {
        std::string bytes, error;
        EXPECT_FALSE(MapBuild::BuildMapFile(xml, bytes, error)) << xml;
        EXPECT_NE(error.find(reason), std::string::npos) << error << "\n" << xml;
    }
}

TEST(MapBuilder, WritesAnEmptyMapAsHeaderAndTwoCounts) {
    std::string bytes, error;
    ASSERT_TRUE(MapBuild::BuildMapFile(
        R"(<Map name="Empty"><SceneBox min="0 0 0" max="1 1 1"/><MapArea min="0 0 0" max="1 1 1"/>)"
        R"(<Sky texture="s.png"/><Water texture="w.png"/></Map>)",
        bytes, error))
        << error;
    EXPECT_EQ(bytes.size(), 216u);
}

class DemoMaps : public CampaignDataTest::LoggedFolder {};

TEST_F(DemoMaps, BothMapsHoldTheScenarioSides) {
    for (const char* name : {"demo_strait.map", "demo_cape.map"}) {
        SCOPED_TRACE(name);
        MapDescriptionRecord desc;
        std::vector<D3DXMATRIX> statics, places;
        std::vector<MapUnitRecord> units;
        std::vector<MapColumnRecord> columns;
        ASSERT_TRUE(g_DataIO.ReadGameMap((std::string(VORNA_BIN_DIR) + "/Maps/" + name).c_str(), &desc, &statics,
                                         &units, &places, &columns))
            << Log();
        EXPECT_GE(desc.m_stdvStaticObjects.size(), 3u);
        int ships[4] = {}, forts[4] = {}, mines = 0;
        for (const MapUnitRecord& u : units) {
            const std::string file = u.m_szDescriptionFile;
            if (file == "fort.xml") ++forts[GetSide(u)];
            else if (file == "mine.xml") mines += GetSide(u) == SIDE_UNSIDE;
            else ++ships[GetSide(u)];
        }
        for (int side : {SIDE_1, SIDE_2}) {
            EXPECT_GE(ships[side], 6) << side;
            EXPECT_EQ(forts[side], 1) << side;
        }
        EXPECT_EQ(mines, 2);
        ASSERT_EQ(columns.size(), 4u);
        for (const MapColumnRecord& c : columns) {
            EXPECT_GE(c.m_stdvShipNames.size(), 3u);
            EXPECT_LE(c.m_stdvShipNames.size(), 4u);
        }
        // Every unit stands inside the playing area.
        for (const D3DXMATRIX& m : places) {
            EXPECT_GE(m._41, desc.m_vMapMin.x);
            EXPECT_LE(m._41, desc.m_vMapMax.x);
            EXPECT_GE(m._43, desc.m_vMapMin.z);
            EXPECT_LE(m._43, desc.m_vMapMax.z);
        }
    }
}
