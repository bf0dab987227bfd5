// The binary map file: what the reader takes from a file, and how it refuses
// a damaged or hostile one without touching the caller's records.
#include "DataTestSupport.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "data/generators/mapbuild/MapBuilder.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace VornaCampaign;

namespace {

// Bytes of a map file, written field by field.
struct Bytes {
    std::string b;
    Bytes& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& F32(float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return U32(u);
    }
    Bytes& Text(const std::string& s) {
        std::string field = s;
        field.resize(40, '\0');
        b += field;
        return *this;
    }
    Bytes& Raw(const std::string& s) {
        b += s;
        return *this;
    }
    Bytes& Matrix(float x, float y, float z) {
        const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
        for (float f : m) F32(f);
        return *this;
    }
    // The 208 bytes before the static count.
    Bytes& Header(const std::string& name = "Test Map") {
        Text(name);
        for (float f : {-100.f, -10.f, -100.f, 100.f, 50.f, 100.f, -80.f, 0.f, -80.f, 80.f, 0.f, 80.f}) F32(f);
        Text("sky.png").F32(900).F32(150).F32(0.5f).F32(0.4f).F32(0.3f).F32(0.2f);
        return Text("water.png").F32(3).F32(0.1f).F32(0.2f).F32(0.3f);
    }
    Bytes& Unit(const std::string& name, const std::string& side, const std::string& model = "m.x") {
        return Text(name).Text(model).Text("").Text("").Text("e.fx").Text("").Text("").Text("d.xml").Text(side);
    }
};

const char* const kSmallMap = R"(<Map name="Small">
  <SceneBox min="-100 -10 -100" max="100 50 100"/>
  <MapArea min="-80 0 -80" max="80 0 80"/>
  <Sky texture="sky.png"/><Water texture="water.png"/>
  <Statics><Static name="Rock" models="rock.x" effects="m.fx" position="5 0 6"/></Statics>
  <Units>
    <Unit name="Aurora" models="a.x a1.x a2.x" effects="m.fx" description="ship_a.xml" side="SIDE1" position="1 0 2" yaw="90"/>
    <Unit name="Boreas" models="a.x" effects="m.fx" description="ship_a.xml" side="SIDE1" position="1 0 9"/>
    <Unit name="Mine_1" models="mine.x" effects="m.fx" description="mine.xml" side="UNSIDE" position="-4 0 0"/>
  </Units>
  <Columns><Column speed="0"><Ship>Aurora</Ship><Ship>Boreas</Ship></Column></Columns>
</Map>)";

std::string Build(const std::string& xml) {
    std::string bytes, error;
    EXPECT_TRUE(MapBuild::BuildMapFile(xml, bytes, error)) << error;
    return bytes;
}

class MapFileTest : public CampaignDataTest::LoggedFolder {
protected:
    bool Read(const std::string& path, bool units = true, bool columns = true) {
        return g_DataIO.ReadGameMap(path.c_str(), &desc, &statics, units ? &unitList : nullptr,
                                    units ? &unitPlaces : nullptr, columns ? &columnList : nullptr);
    }
    MapDescriptionRecord desc;
    std::vector<D3DXMATRIX> statics, unitPlaces;
    std::vector<MapUnitRecord> unitList;
    std::vector<MapColumnRecord> columnList;
};

} // namespace

TEST_F(MapFileTest, ABuiltMapReadsBackWhole) {
    ASSERT_TRUE(Read(Put("small.map", Build(kSmallMap)))) << Log();
    EXPECT_STREQ(desc.m_szName, "Small");
    EXPECT_FLOAT_EQ(desc.m_vSceneMin.y, -10.0f);
    EXPECT_FLOAT_EQ(desc.m_vMapMax.z, 80.0f);
    EXPECT_STREQ(desc.m_szSkyTexture, "sky.png");
    // Values the description leaves out are written with their defaults.
    EXPECT_FLOAT_EQ(desc.m_fSunShininess, 1000.0f);
    EXPECT_FLOAT_EQ(desc.m_vSunColor.w, 0.1f);
    EXPECT_FLOAT_EQ(desc.m_vWaterColor.y, 0.31f);
    ASSERT_EQ(desc.m_stdvStaticObjects.size(), 1u);
    EXPECT_STREQ(desc.m_stdvStaticObjects[0].m_szModel1, "rock.x");
    EXPECT_STREQ(desc.m_stdvStaticObjects[0].m_szModel2, "");
    ASSERT_EQ(statics.size(), 1u);
    EXPECT_FLOAT_EQ(statics[0]._41, 5.0f);
    EXPECT_FLOAT_EQ(statics[0]._43, 6.0f);

    ASSERT_EQ(unitList.size(), 3u);
    EXPECT_STREQ(unitList[0].m_szModel3, "a2.x");
    EXPECT_STREQ(unitList[2].m_szDescriptionFile, "mine.xml");
    EXPECT_EQ(GetSide(unitList[0]), SIDE_1);
    EXPECT_EQ(GetSide(unitList[2]), SIDE_UNSIDE);
    ASSERT_EQ(unitPlaces.size(), 3u);
    // A quarter turn about the vertical axis: the object's x axis points
    // along -z, its z axis along +x.
    EXPECT_NEAR(unitPlaces[0]._13, -1.0f, 1e-6);
    EXPECT_NEAR(unitPlaces[0]._31, 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(unitPlaces[0]._43, 2.0f);

    ASSERT_EQ(columnList.size(), 1u);
    EXPECT_EQ(columnList[0].m_fSpeed, 0.0f);
    EXPECT_EQ(columnList[0].m_fMovementUsed, 0.0f);
    EXPECT_EQ(columnList[0].m_stdvShipNames, (std::vector<std::string>{"Aurora", "Boreas"}));
    EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 0) << Log();
}

TEST_F(MapFileTest, UnitsAndColumnsAreReadOnlyWhenAskedFor) {
    const std::string path = Put("small.map", Build(kSmallMap));
    columnList.resize(4);
    ASSERT_TRUE(Read(path, true, false));
    EXPECT_EQ(unitList.size(), 3u);
    EXPECT_EQ(columnList.size(), 4u);
    unitList.clear();
    ASSERT_TRUE(Read(path, false, false));
    EXPECT_TRUE(unitList.empty());
    EXPECT_EQ(desc.m_stdvStaticObjects.size(), 1u);
    // The description and the static matrices are required.
    EXPECT_FALSE(g_DataIO.ReadGameMap(path.c_str(), nullptr, &statics, nullptr, nullptr, nullptr));
    EXPECT_FALSE(g_DataIO.ReadGameMap(path.c_str(), &desc, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(MapFileTest, AnEmptyMapEndsAtTheUnitCountWhateverFollows) {
    Bytes f;
    f.Header().U32(0).U32(0).Raw("bytes after the end are never read");
    ASSERT_EQ(f.b.size(), 216u + 34u);
    columnList.resize(2);
    ASSERT_TRUE(Read(Put("empty.map", f.b))) << Log();
    EXPECT_TRUE(desc.m_stdvStaticObjects.empty());
    EXPECT_TRUE(unitList.empty());
    EXPECT_TRUE(columnList.empty());
    EXPECT_FLOAT_EQ(desc.m_fSunShininess, 900.0f);
    EXPECT_FLOAT_EQ(desc.m_vSunColor.w, 0.2f);
}

TEST_F(MapFileTest, ColumnsWithoutShipsAreLoggedAndKeptEmpty) {
    Bytes f;
    f.Header().U32(0).U32(2).Unit("Aurora", "SIDE1").Unit("Boreas", "SIDE2").Matrix(0, 0, 0).Matrix(9, 0, 9);
    f.U32(3).F32(2.5f).U32(0).F32(0).U32(1).Text("Aurora").F32(1).U32(0);
    ASSERT_TRUE(Read(Put("c.map", f.b))) << Log();
    ASSERT_EQ(columnList.size(), 3u);
    EXPECT_TRUE(columnList[0].m_stdvShipNames.empty());
    EXPECT_FLOAT_EQ(columnList[0].m_fSpeed, 2.5f);
    EXPECT_EQ(columnList[1].m_stdvShipNames, std::vector<std::string>{"Aurora"});
    EXPECT_TRUE(columnList[2].m_stdvShipNames.empty());
    const std::string log = Log();
    const std::string line = "Error : CDX9KelDataIO::ReadColumns : empty colomn is written \n";
    const size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(line, first + 1), std::string::npos) << log;
    EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 2);

    // Units but no columns: the units belong to no column.
    Bytes g;
    g.Header().U32(0).U32(1).Unit("Aurora", "SIDE1").Matrix(0, 0, 0).U32(0);
    ASSERT_TRUE(Read(Put("g.map", g.b)));
    EXPECT_EQ(unitList.size(), 1u);
    EXPECT_TRUE(columnList.empty());
}

TEST_F(MapFileTest, TextsWithoutTerminatorAreCutAt39) {
    const std::string forty(40, 'N');
    Bytes f;
    f.Header(forty).U32(0).U32(1).Unit(forty, "SIDE1").Matrix(0, 0, 0).U32(1).F32(0).U32(1).Raw(forty);
    ASSERT_TRUE(Read(Put("long.map", f.b))) << Log();
    EXPECT_EQ(std::string(desc.m_szName), std::string(39, 'N'));
    EXPECT_EQ(std::string(unitList[0].m_szName), std::string(39, 'N'));
    EXPECT_EQ(columnList[0].m_stdvShipNames[0], std::string(39, 'N'));
}

TEST(MapRecords, SidesComeFromTheExactText) {
    const std::pair<const char*, int> cases[] = {{"SIDE1", 1}, {"SIDE2", 2},     {"UNSIDE", 3}, {"", 0},
                                                 {"side1", 0}, {"SIDE3", 0},     {"SIDE1 ", 0}, {"UNSIDED", 0}};
    for (const auto& [text, side] : cases) {
        MapUnitRecord unit;
        SetRecordText(unit.m_szSide, text);
        EXPECT_EQ(GetSide(unit), side) << '"' << text << '"';
    }
    MapDescriptionRecord d;
    SetRecordText(d.m_szName, "x");
    SetRecordText(d.m_szSkyTexture, "sky.png");
    d.m_vMapMax = D3DXVECTOR3(1, 2, 3);
    d.m_stdvStaticObjects.resize(2);
    d.m_fWaterAmplitude = 7.0f;
    d.Clear();
    EXPECT_STREQ(d.m_szName, "");
    EXPECT_EQ(d.m_vMapMax.z, 0.0f);
    EXPECT_TRUE(d.m_stdvStaticObjects.empty());
    EXPECT_STREQ(d.m_szSkyTexture, "sky.png");
    EXPECT_EQ(d.m_fWaterAmplitude, 7.0f);
}

// Every damaged file is refused with one clear line, and the records the
// caller passed in keep what they held.
TEST_F(MapFileTest, HostileFilesAreRefusedAndChangeNothing) {
    const std::string good = Build(kSmallMap);
    // Offsets of the section boundaries of the small map.
    const size_t staticsEnd = 212 + 280 + 64, unitsStart = staticsEnd + 4, unitMatrices = unitsStart + 3 * 360,
                 columnsAt = unitMatrices + 3 * 64;
    ASSERT_EQ(good.size(), columnsAt + 4 + 4 + 4 + 2 * 40);
    auto patch32 = [&](size_t at, std::uint32_t v) {
        std::string s = good;
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    auto patchText = [&](size_t at, const std::string& text) {
        std::string s = good;
        std::string field = text;
        field.resize(40, '\0');
        s.replace(at, 40, field);
        return s;
    };
    auto patchFloat = [&](size_t at, float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return patch32(at, u);
    };
    struct Case {
        std::string name, bytes, line;
    };
    std::vector<Case> cases = {
        {"empty file", "", "file ends inside the header"},
        {"static count past the end", patch32(208, 20), "static object count 20 is more than the file holds"},
        {"static count huge", patch32(208, 0xFFFFFFFFu), "static object count 4294967295"},
        {"unit count past the end", patch32(staticsEnd, 4), "unit count 4 is more than the file holds"},
        {"unit count huge", patch32(staticsEnd, 0x40000000u), "unit count 1073741824"},
        {"column count huge", patch32(columnsAt, 0x7FFFFFFFu), "column count 2147483647 is more than"},
        {"ship count past the end", patch32(columnsAt + 8, 3), "ship count 3 is more than the file holds"},
        {"model leaves its folder", patchText(212 + 40, "../../etc/passwd"), "names an unsafe file \"../../etc/passwd\""},
        {"absolute effect", patchText(unitsStart + 360 + 4 * 40, "/tmp/x.fx"), "names an unsafe file \"/tmp/x.fx\""},
        {"drive prefix", patchText(unitsStart + 7 * 40, "C:\\x.xml"), "names an unsafe file"},
        {"control character", patchText(unitsStart + 40, "a\nb.x"), "names an unsafe file"},
        {"sky texture escapes", patchText(88, "..\\..\\sky.png"), "header names a texture outside its folder"},
        {"unit name twice", patchText(unitsStart + 360, "Aurora"), "unit name Aurora is used twice"},
        {"placement not a number", patchFloat(unitMatrices + 12 * 4, std::numeric_limits<float>::quiet_NaN()),
         "a unit's placement is not a number"},
        {"header not a number", patchFloat(40, std::numeric_limits<float>::infinity()),
         "header holds a value that is not a number"},
    };
    // Cut at every section boundary and inside every record.
    for (size_t cut : {size_t{1}, size_t{39}, size_t{100}, size_t{208}, size_t{211}, size_t{212}, size_t{300},
                       staticsEnd - 1, staticsEnd, staticsEnd + 3, unitsStart, unitsStart + 359, unitMatrices,
                       unitMatrices + 63, columnsAt, columnsAt + 3, columnsAt + 4, columnsAt + 8, columnsAt + 12,
                       columnsAt + 51, good.size() - 1})
        cases.push_back({"cut at " + std::to_string(cut), good.substr(0, cut), "Error : CDX9KelDataIO::Read"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        SetRecordText(desc.m_szName, "kept");
        statics.assign(1, D3DXMATRIX());
        unitList.assign(5, MapUnitRecord());
        unitPlaces.clear();
        columnList.assign(1, MapColumnRecord());
        EXPECT_FALSE(Read(Put("bad.map", c.bytes)));
        const std::string log = Log();
        EXPECT_NE(log.find(c.line), std::string::npos) << log;
        EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 1) << log;
        EXPECT_STREQ(desc.m_szName, "kept");
        EXPECT_EQ(statics.size(), 1u);
        EXPECT_EQ(unitList.size(), 5u);
        EXPECT_EQ(columnList.size(), 1u);
    }
    // A missing file says so.
    SetUp();
    EXPECT_FALSE(Read((dir / "missing.map").string()));
    EXPECT_NE(Log().find("Error : CDX9KelDataIO::ReadGameMap : file not read : "), std::string::npos);
}
