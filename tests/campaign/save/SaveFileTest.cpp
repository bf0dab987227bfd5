// The save file: its layout, the round trip, hostile files refused with the
// staging outputs untouched, the grouping of units into columns, save
// names, and writes that fail or are killed half way.
#include "SaveTestSupport.h"
#include "../data/DataTestSupport.h"

#include "campaign/routes/CDX9KelColumnMovement.h"
#include "platform/os/FileSearch.h"

#include <cmath>
#include <csignal>
#include <functional>
#include <limits>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace CampaignSaveTest {
namespace {

using CampaignDataTest::LoggedFolder;

class SaveFileTest : public LoggedFolder {
protected:
    // Reads bytes into outputs that already hold another save; on refusal
    // the outputs must still hold it.
    bool ReadOver(const std::string& bytes, bool expectRefusal) {
        SampleSave other;
        FillSample(other, 7);
        other.data.m_stdvLostAIUnits.push_back("Marker");
        const std::string before = WriteSaveBytes(other.header, other.data);
        const bool ok = ReadSaveBytes(bytes, "test.wxsave", movement, other.header, other.data);
        if (!ok && expectRefusal) {
            EXPECT_EQ(WriteSaveBytes(other.header, other.data), before);
        }
        return ok;
    }

    CDX9KelColumnMovement movement;
};

TEST_F(SaveFileTest, RoundTripIsByteIdenticalAndKeepsEveryField) {
    const std::string bytes = SampleBytes();
    GameSaveHeader h;
    GameSaveData d;
    ASSERT_TRUE(ReadSaveBytes(bytes, "s.wxsave", movement, h, d)) << Log();
    EXPECT_EQ(WriteSaveBytes(h, d), bytes);

    EXPECT_STREQ(h.m_szScenarioFile, "scenario_demo.xml");
    EXPECT_EQ(h.m_iTurn, 3);
    EXPECT_EQ(d.m_iPlayerSide, 1);
    EXPECT_EQ(d.m_uAILoss, 120u);
    EXPECT_EQ(d.m_uPlayerScore, 340u);
    EXPECT_EQ(d.m_uPlayerLoss, 56u);
    EXPECT_EQ(d.m_uAIScore, 78u);
    EXPECT_EQ(d.m_iActiveObject, 1);
    EXPECT_EQ(d.m_stdvLostAIUnits, (std::vector<std::string>{"Vigil", "Sentinel"}));
    ASSERT_EQ(d.m_stdvObjects[SAVE_SIDE1].size(), 3u);
    const GameObjectRecord& swift = *d.m_stdvObjects[SAVE_SIDE1][1];
    EXPECT_STREQ(swift.m_Unit.m_szName, "Swift");
    ASSERT_TRUE(swift.m_pBattleData && swift.m_pMovement && swift.m_pMovementState && swift.m_pTexts);
    EXPECT_EQ(swift.m_pBattleData->m_stdvDesignParts.size(), 6u);
    EXPECT_EQ(swift.m_pBattleData->m_stdvMGTowers[1].m_stdvHoles.size(), 3u);
    EXPECT_EQ(swift.m_pBattleData->m_stdvMGTowers[0].m_stdvGuns[0].m_iShells, -1);
    EXPECT_EQ(swift.m_pMovementState->m_bMoving, 0);
    EXPECT_FLOAT_EQ(d.m_stdvMatrices[SAVE_SIDE1][1]._43, 10.0f);
    const GameObjectRecord& corsair = *d.m_stdvObjects[SAVE_SIDE2][1];
    EXPECT_FALSE(corsair.m_pTexts || corsair.m_pBattleData);
    EXPECT_TRUE(corsair.m_pMovement && corsair.m_pMovementState);
    EXPECT_FALSE(d.m_stdvObjects[SAVE_UNSIDE][0]->m_pMovement);
    ASSERT_EQ(d.m_stdvColumns[1].size(), 2u);
    EXPECT_FLOAT_EQ(d.m_stdvColumns[1][1].m_fMovementUsed, 299.5f);
}

TEST_F(SaveFileTest, HeaderFieldsStandAtTheirOffsets) {
    const std::string bytes = SampleBytes(11);
    EXPECT_EQ(bytes.substr(0, 24), "Thu Dec 10 12:45:56 2026");
    EXPECT_EQ(bytes[24], '\0');
    EXPECT_EQ(std::string(bytes.c_str() + 30), "Demo campaign");
    EXPECT_EQ(std::string(bytes.c_str() + 70), "scenario_demo.xml");
    EXPECT_EQ(std::string(bytes.c_str() + 110), "Northern squadron");
    EXPECT_EQ(std::string(bytes.c_str() + 150), "The Strait");
    EXPECT_EQ(std::string(bytes.c_str() + 190), "demo_strait.map");
    EXPECT_EQ(bytes[230], '\0');
    EXPECT_EQ(bytes[231], '\0');
    EXPECT_EQ(GetU32(bytes, 232), 11u);
    EXPECT_EQ(GetU32(bytes, 236), 1u);  // player side
    EXPECT_EQ(std::string(bytes.c_str() + 256), "demo_strait.map");
    EXPECT_EQ(GetU32(bytes, 296), 11u); // turn
    EXPECT_EQ(GetU32(bytes, 304), 1u);  // lost player units

    GameSaveHeader h;
    ASSERT_TRUE(ReadSaveHeaderBytes(bytes, h));
    EXPECT_STREQ(h.m_szMapTitle, "The Strait");
    EXPECT_EQ(h.m_iTurn, 11);
    EXPECT_FALSE(ReadSaveHeaderBytes(bytes.substr(0, 235), h));
    EXPECT_EQ(h.m_iTurn, -1);
    EXPECT_STREQ(h.m_szMapName, "");
}

TEST_F(SaveFileTest, AnyNonZeroPresenceFlagMeansPresent) {
    std::string bytes = SampleBytes();
    // The mine: unit record, then its texts, movement and state flags (0)
    // and its battle-data flag (1).
    const std::size_t mineFlags = 828 + 4 + 360;
    ASSERT_EQ(bytes[mineFlags + 3], 1);
    bytes[mineFlags + 3] = 2;
    GameSaveHeader h;
    GameSaveData d;
    ASSERT_TRUE(ReadSaveBytes(bytes, "s.wxsave", movement, h, d)) << Log();
    EXPECT_TRUE(d.m_stdvObjects[SAVE_UNSIDE][0]->m_pBattleData);
    EXPECT_EQ(WriteSaveBytes(h, d), SampleBytes());
}

TEST_F(SaveFileTest, EveryTruncationIsRefusedAndLeavesTheOutputsAlone) {
    const std::string bytes = SampleBytes();
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_FALSE(ReadOver(bytes.substr(0, n), true)) << "cut at " << n;
    EXPECT_TRUE(ReadOver(bytes, false));
    EXPECT_NE(Log().find("file ends inside"), std::string::npos);
}

// Offsets of the counts of the sample save (see FillSample).
constexpr std::size_t kLostPlayerCount = 304;
constexpr std::size_t kLostAICount = kLostPlayerCount + 4 + 40;
constexpr std::size_t kUnsideMatrixCount = kLostAICount + 4 + 80;
constexpr std::size_t kSide1MatrixCount = kUnsideMatrixCount + 4 + 64;
constexpr std::size_t kUnsideObjectCount = kSide1MatrixCount + 4 + 3 * 64 + 4 + 2 * 64;
// The mine's unit record and flags, its battle values, then its one tower.
constexpr std::size_t kMineTowerCount = kUnsideObjectCount + 4 + 360 + 4 + 29;
constexpr std::size_t kMineGunCount = kMineTowerCount + 4 + 108;
constexpr std::size_t kMineHoleCount = kMineGunCount + 4 + 3 * 96;

TEST_F(SaveFileTest, HostileSavesAreRefusedWithTheOutputsUntouched) {
    const std::string good = SampleBytes();
    ASSERT_EQ(GetU32(good, kLostAICount), 2u);
    ASSERT_EQ(GetU32(good, kUnsideMatrixCount), 1u);
    ASSERT_EQ(GetU32(good, kSide1MatrixCount), 3u);
    ASSERT_EQ(GetU32(good, kUnsideObjectCount), 1u);
    ASSERT_EQ(GetU32(good, kMineTowerCount), 1u);
    ASSERT_EQ(GetU32(good, kMineGunCount), 3u);
    ASSERT_EQ(GetU32(good, kMineHoleCount), 0u);
    const std::size_t side2Columns = good.size() - 2 * 52 - 4;
    ASSERT_EQ(GetU32(good, side2Columns), 2u);

    auto patchBytes = [&](std::function<void(std::string&)> f) {
        std::string b = good;
        f(b);
        return b;
    };
    auto patchData = [&](std::function<void(SampleSave&)> f) {
        SampleSave s;
        FillSample(s);
        f(s);
        return WriteSaveBytes(s.header, s.data);
    };
    auto count = [&](std::size_t at, std::uint32_t v) {
        return patchBytes([=](std::string& b) { PutU32(b, at, v); });
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        std::string bytes;
        const char* logged;
    } cases[] = {
        {"lost names one past the end", count(kLostPlayerCount, 2), "is more than the file holds"},
        {"lost names huge", count(kLostAICount, 0xFFFFFFFFu), "is more than the file holds"},
        {"placements past the end", count(kUnsideMatrixCount, 100000), "is more than the file holds"},
        {"units past the end", count(kUnsideObjectCount, 5000), "is more than the file holds"},
        {"towers huge", count(kMineTowerCount, 0x7FFFFFFFu), "is more than the file holds"},
        {"guns one more", count(kMineGunCount, 4), ""},
        {"holes huge", count(kMineHoleCount, 0xFFFFFFF0u), "is more than the file holds"},
        {"columns one more", count(side2Columns, 3), "file ends inside"},
        {"bytes after the end", good + std::string(5, '\0'), "bytes follow the save's end"},
        {"map name leaves the maps folder",
         patchData([](SampleSave& s) {
             SetRecordText(s.header.m_szMapName, "../../etc/demo.map");
             SetRecordText(s.data.m_szMapName, "../../etc/demo.map");
         }),
         "is not a file name"},
        {"empty map name",
         patchData([](SampleSave& s) {
             SetRecordText(s.header.m_szMapName, "");
             SetRecordText(s.data.m_szMapName, "");
         }),
         "is not a file name"},
        {"scenario file is absolute",
         patchData([](SampleSave& s) { SetRecordText(s.header.m_szScenarioFile, "/tmp/scenario.xml"); }),
         "is not a file name"},
        {"model with a control character",
         patchData([](SampleSave& s) {
             SetRecordText(s.data.m_stdvObjects[SAVE_SIDE2][0]->m_Unit.m_szModel1, "ship\x01.x");
         }),
         "names an unsafe file"},
        {"icon with a drive prefix",
         patchData([](SampleSave& s) { SetRecordText(s.data.m_stdvObjects[SAVE_SIDE1][0]->m_pTexts->m_szIcon, "C:icon.png"); }),
         "names an unsafe file"},
        {"header and body name other maps",
         patchData([](SampleSave& s) { SetRecordText(s.data.m_szMapName, "demo_cape.map"); }), "but the save holds"},
        {"header and body differ in turn", patchData([](SampleSave& s) { s.header.m_iTurn = 4; }), "differs from"},
        {"turn zero",
         patchData([](SampleSave& s) {
             s.header.m_iTurn = 0;
             s.data.m_iTurn = 0;
         }),
         "is not a turn"},
        {"player side 3", patchData([](SampleSave& s) { s.data.m_iPlayerSide = 3; }), "is neither 1 nor 2"},
        {"a unit without placement",
         patchData([](SampleSave& s) { s.data.m_stdvMatrices[SAVE_SIDE2].pop_back(); }), "placements"},
        {"a placement without unit",
         patchData([](SampleSave& s) { s.data.m_stdvMatrices[SAVE_UNSIDE].push_back(Place(1, 0, 1)); }),
         "placements"},
        {"unit in the other side's list",
         patchData([](SampleSave& s) { SetRecordText(s.data.m_stdvObjects[SAVE_SIDE2][0]->m_Unit.m_szSide, "SIDE1"); }),
         "stands in the list of"},
        {"same name on both sides",
         patchData([](SampleSave& s) { SetRecordText(s.data.m_stdvObjects[SAVE_SIDE2][0]->m_Unit.m_szName, "Swift"); }),
         "is used twice"},
        {"active unit past the player's list", patchData([](SampleSave& s) { s.data.m_iActiveObject = 3; }),
         "is not one of the player's"},
        {"active unit below -1", patchData([](SampleSave& s) { s.data.m_iActiveObject = -2; }),
         "is not one of the player's"},
        {"placement not a number",
         patchData([nan](SampleSave& s) { s.data.m_stdvMatrices[SAVE_SIDE1][0]._42 = nan; }), "is not a number"},
        {"damage not a number",
         patchData([nan](SampleSave& s) {
             s.data.m_stdvObjects[SAVE_SIDE1][0]->m_pBattleData->m_stdvDesignParts[2].m_fDamage = nan;
         }),
         "is not a number"},
        {"column speed infinite",
         patchData([](SampleSave& s) { s.data.m_stdvColumns[0][0].m_fSpeed = std::numeric_limits<float>::infinity(); }), "is not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t logBefore = Log().size();
        EXPECT_FALSE(ReadOver(c.bytes, true));
        const std::string lines = Log().substr(logBefore);
        EXPECT_NE(lines.find(c.logged), std::string::npos) << lines;
        EXPECT_NE(lines.find("Error : CDX9KelGameSaver::ReadSave : "), std::string::npos) << lines;
    }
}

// The run state rides behind the documented fields: written and read back
// byte for byte, its check word leaves the save time out, and a trailer that
// is cut, damaged, of another version or with a value out of range refuses
// the whole file.
TEST_F(SaveFileTest, TheRunStateTrailerRoundTripsAndADamagedOneRefusesTheWholeFile) {
    const std::string documented = SampleBytes();
    const std::string good = SampleBytesWithRunState();
    ASSERT_GT(good.size(), documented.size() + kRunStateFrameBytes);
    EXPECT_EQ(good.compare(0, documented.size(), documented), 0);
    EXPECT_EQ(good.compare(documented.size(), 4, "CRST"), 0);
    EXPECT_EQ(GetU32(good, documented.size() + 4), kRunStateVersion);
    EXPECT_EQ(GetU32(good, documented.size() + 8), good.size() - documented.size() - kRunStateFrameBytes);
    {
        GameSaveHeader h;
        GameSaveData d;
        ASSERT_TRUE(ReadSaveBytes(good, "r.wxsave", movement, h, d)) << Log();
        ASSERT_TRUE(d.m_bHasRunState);
        EXPECT_EQ(WriteSaveBytes(h, d), good);
        const GameRunState& r = d.m_RunState;
        EXPECT_EQ(r.m_uRandomState, 0x123456789ull);
        EXPECT_EQ(r.m_uGateAge[0], 480u);
        EXPECT_EQ(r.m_uGateAge[1], kRunStateNoStamp);
        EXPECT_EQ(r.m_dWaveTime, 123.25);
        EXPECT_EQ(r.m_iBattleWait, 1);
        ASSERT_EQ(r.m_Columns[1].size(), 2u);
        EXPECT_EQ(r.m_Columns[1][1].m_fSpeedLimit, 3.0f);
        EXPECT_EQ(r.m_AI.m_stdvTargets, (std::vector<std::int32_t>{2, 0, 1}));
        EXPECT_EQ(r.m_AI.m_stdvPassStartUsed, (std::vector<float>{10.0f, 299.0f}));
        EXPECT_EQ(r.m_vLookAt.z, -5.0f);
        // A file without the trailer reads as before, without a run state.
        ASSERT_TRUE(ReadSaveBytes(documented, "d.wxsave", movement, h, d));
        EXPECT_FALSE(d.m_bHasRunState);
        // A side that had no columns when the run state was taken keeps none.
        SampleSave s;
        FillSample(s);
        FillRunState(s.data);
        s.data.m_stdvColumns[1].clear();
        s.data.m_RunState.m_Columns[1].clear();
        ASSERT_TRUE(ReadSaveBytes(WriteSaveBytes(s.header, s.data), "n.wxsave", movement, h, d)) << Log();
        EXPECT_TRUE(d.m_stdvColumns[1].empty());
    }
    {
        // Written again at another time: only the time field changes.
        std::string later = good;
        later.replace(0, 24, "Fri Dec 11 07:00:00 2026");
        SampleSave s;
        EXPECT_TRUE(ReadSaveBytes(later, "t.wxsave", movement, s.header, s.data)) << Log();
    }
    for (std::size_t n = documented.size() + 1; n < good.size(); ++n)
        ASSERT_FALSE(ReadOver(good.substr(0, n), true)) << "cut at " << n;

    const std::size_t trailer = documented.size();
    const std::size_t record = trailer + 12;
    // The check word made right again after a patch, so the values
    // themselves are judged.
    auto recheck = [](std::string b) {
        PutU32(b, b.size() - 4, RunStateCrc32(b.data() + kSaveTimeSize, b.size() - 4 - kSaveTimeSize));
        return b;
    };
    auto patchBytes = [&](std::function<void(std::string&)> f, bool fixCheck) {
        std::string b = good;
        f(b);
        return fixCheck ? recheck(b) : b;
    };
    auto patchState = [&](std::function<void(SampleSave&)> f) {
        SampleSave s;
        FillSample(s);
        FillRunState(s.data);
        f(s);
        return WriteSaveBytes(s.header, s.data);
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::string bytes;
        const char* logged;
    } cases[] = {
        {"another magic", patchBytes([&](std::string& b) { b[trailer] = 'X'; }, false), "are no run state"},
        {"a trailer too short for its frame", documented + std::string("CRST\1\0\0\0", 8), "are no run state"},
        {"version 2", patchBytes([&](std::string& b) { PutU32(b, trailer + 4, 2); }, true), "version 2 is not known"},
        {"size one more", patchBytes([&](std::string& b) { PutU32(b, trailer + 8, GetU32(b, trailer + 8) + 1); }, true),
         "does not match the file"},
        {"size huge", patchBytes([&](std::string& b) { PutU32(b, trailer + 8, 0xFFFFFFF0u); }, true),
         "does not match the file"},
        {"bytes after the trailer", good + std::string(3, '\0'), "does not match the file"},
        {"a record byte changed", patchBytes([&](std::string& b) { b[record + 1] ^= 0x40; }, false),
         "check word is wrong"},
        {"the check word changed", patchBytes([&](std::string& b) { b[b.size() - 1] ^= 0x01; }, false),
         "check word is wrong"},
        {"a documented value changed after the trailer was written",
         patchBytes([&](std::string& b) { PutU32(b, 236 + 4, 999); }, false), "check word is wrong"},
        {"a flag of 2", patchBytes([&](std::string& b) { b[record] = 2; }, true), "a flag of the run state is 2"},
        {"a column count huge", patchBytes([&](std::string& b) { PutU32(b, record + 81, 0xFFFFFFF0u); }, true),
         "is more than the run state holds"},
        {"a phase of 3", patchState([](SampleSave& s) { s.data.m_RunState.m_iGlobalState = 3; }), "out of range"},
        {"a battle wait of 2", patchState([](SampleSave& s) { s.data.m_RunState.m_iBattleWait = 2; }),
         "is not a wait"},
        {"a wave time not a number", patchState([nan](SampleSave& s) { s.data.m_RunState.m_dWaveTime = nan; }),
         "is not a number"},
        {"a column speed infinite",
         patchState([](SampleSave& s) {
             s.data.m_RunState.m_Columns[0][0].m_fCurrentSpeed = std::numeric_limits<float>::infinity();
         }),
         "is not a number"},
        {"a computer step of 5", patchState([](SampleSave& s) { s.data.m_RunState.m_AI.m_iStep = 5; }),
         "out of range"},
        {"a gun group of 8", patchState([](SampleSave& s) { s.data.m_RunState.m_AI.m_stdvFiredGroups = {8}; }),
         "out of range"},
        {"a column more than the save has",
         patchState([](SampleSave& s) { s.data.m_RunState.m_Columns[1].push_back(RunStateColumn()); }),
         "columns of SIDE2 but the save"},
        {"a column fewer than the save has",
         patchState([](SampleSave& s) { s.data.m_RunState.m_Columns[0].clear(); }), "columns of SIDE1 but the save"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t logBefore = Log().size();
        EXPECT_FALSE(ReadOver(c.bytes, true));
        const std::string lines = Log().substr(logBefore);
        EXPECT_NE(lines.find(c.logged), std::string::npos) << lines;
        EXPECT_NE(lines.find("Error : CDX9KelGameSaver::ReadSave : "), std::string::npos) << lines;
    }
}

TEST_F(SaveFileTest, ALargeValueInAnyWordNeverCrashesTheReader) {
    for (const std::string& good : {SampleBytes(), SampleBytesWithRunState()}) {
        for (std::size_t at = 0; at + 4 <= good.size(); at += 4) {
            for (std::uint32_t v : {0xFFFFFFFFu, 0x7FFFFFF0u, 10001u}) {
                std::string b = good;
                PutU32(b, at, v);
                SampleSave s;
                if (ReadSaveBytes(b, "w.wxsave", movement, s.header, s.data)) {
                    for (int side = 0; side < SAVE_SIDE_COUNT; ++side)
                        ASSERT_EQ(s.data.m_stdvMatrices[side].size(), s.data.m_stdvObjects[side].size());
                }
            }
        }
    }
}

TEST_F(SaveFileTest, LongTextsWithoutTerminatorAreCutAtTheirField) {
    std::string bytes = SampleBytes();
    for (std::size_t i = 0; i < 30; ++i) bytes[i] = 'T';
    for (std::size_t i = 30; i < 70; ++i) bytes[i] = 'S';
    GameSaveHeader h;
    GameSaveData d;
    ASSERT_TRUE(ReadSaveBytes(bytes, "s.wxsave", movement, h, d)) << Log();
    EXPECT_EQ(std::string(h.m_szTime), std::string(29, 'T'));
    EXPECT_EQ(std::string(h.m_szScenarioName), std::string(39, 'S'));
}

// ---- grouping of units into columns ----

// The turn that heads a placement towards +z.
constexpr float kNorth = 3.14159265f;

TEST_F(SaveFileTest, ASideWithoutColumnsIsGroupedByPlace) {
    SampleSave s;
    FillSample(s);
    // Side 2: three ships heading +z in a line, one of them placed first in
    // the list though it stands at the back, a far one alone, and one
    // standing high (ashore) that never joins a column.
    auto& objects = s.data.m_stdvObjects[SAVE_SIDE2];
    auto& places = s.data.m_stdvMatrices[SAVE_SIDE2];
    objects.clear();
    for (const char* name : {"Middle", "Back", "Front", "Far", "Ashore"})
        objects.push_back(MakeUnit(name, "SIDE2", true, true, true, true));
    places = {Place(100, 0, 110, kNorth), Place(100, 0, 100, kNorth), Place(100, 0, 120, kNorth), Place(400, 0, 400),
              Place(100, 0.5f, 130, kNorth)};
    s.data.m_stdvColumns[1].clear();
    const std::string bytes = WriteSaveBytes(s.header, s.data);

    GameSaveHeader h;
    GameSaveData d;
    ASSERT_TRUE(ReadSaveBytes(bytes, "g.wxsave", movement, h, d)) << Log();
    ASSERT_EQ(d.m_stdvColumns[1].size(), 2u);
    EXPECT_EQ(d.m_stdvColumns[1][0].m_stdvShipNames, (std::vector<std::string>{"Front", "Middle", "Back"}));
    EXPECT_EQ(d.m_stdvColumns[1][1].m_stdvShipNames, (std::vector<std::string>{"Far"}));
    EXPECT_FLOAT_EQ(d.m_stdvColumns[1][0].m_fSpeed, 0.0f);
    EXPECT_FLOAT_EQ(d.m_stdvColumns[1][0].m_fMovementUsed, 0.0f);
    // Side 1 kept its own column record.
    EXPECT_EQ(d.m_stdvColumns[0].size(), 1u);
}

TEST_F(SaveFileTest, GroupingTakesAShipOutOfTheColumnItJoinedEarlier) {
    // A line heading +z: A at the front, B 15 behind it, C 15 behind B.
    std::vector<std::unique_ptr<GameObjectRecord>> objects;
    for (const char* name : {"A", "B", "C"}) objects.push_back(MakeUnit(name, "SIDE1", true, true, true, true));
    std::vector<D3DXMATRIX> places = {Place(0, 0, 30, kNorth), Place(0, 0, 15, kNorth), Place(0, 0, 0, kNorth)};
    std::vector<MapColumnRecord> columns;
    ASSERT_TRUE(GroupUnitsIntoColumns(objects, places, movement, columns));
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].m_stdvShipNames, (std::vector<std::string>{"A", "B", "C"}));

    // Listed C, A, B: C takes B (ahead of it); A, too far from C, starts its
    // own column and takes B out of C's; B then takes C, whose column is
    // left empty and goes.
    std::vector<std::unique_ptr<GameObjectRecord>> shuffled;
    for (const char* name : {"C", "A", "B"}) shuffled.push_back(MakeUnit(name, "SIDE1", true, true, true, true));
    const std::vector<D3DXMATRIX> shuffledPlaces = {Place(0, 0, 0, kNorth), Place(0, 0, 30, kNorth), Place(0, 0, 15, kNorth)};
    ASSERT_TRUE(GroupUnitsIntoColumns(shuffled, shuffledPlaces, movement, columns));
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].m_stdvShipNames, (std::vector<std::string>{"A", "B", "C"}));

    places.pop_back();
    EXPECT_FALSE(GroupUnitsIntoColumns(objects, places, movement, columns));
}

// ---- names ----

TEST(SaveNameTest, TypedNamesStayInTheSavesFolder) {
    struct {
        const char* name;
        bool allowed;
    } cases[] = {
        {"autosave1", true},
        {"My game 2", true},
        {"last_map", true},
        {"a", true},
        {"1234567890123456789012345678901234567890123456789", true}, // 49
        {"12345678901234567890123456789012345678901234567890", false}, // 50
        {"", false},
        {"../outside", false},
        {"a..b", false},
        {"dir/name", false},
        {"dir\\name", false},
        {".hidden", false},
        {"C:name", false},
        {"tab\there", false},
        {"bell\x07", false},
        {"del\x7f", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSaveNameAllowed(c.name), c.allowed) << c.name;
    EXPECT_FALSE(IsSaveNameAllowed(nullptr));
}

// ---- writing ----

TEST_F(SaveFileTest, AFailedWriteKeepsThePreviousSaveAndReportsFailure) {
    const std::string path = (dir / "slot.wxsave").string();
    const std::string old = SampleBytes(3);
    ASSERT_TRUE(WriteSaveFileAtomic(path, old));
    // A child process whose files may not grow past 300 bytes writes a
    // newer save; the write must fail and say so.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{300, 300};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(WriteSaveFileAtomic(path, SampleBytes(4)) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(VornaTest::ReadText(path), old);
    // No temporary file is left behind.
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.path().filename() != "VornaLog.log";
    EXPECT_EQ(files, 1u);
}

TEST_F(SaveFileTest, APreviousSaveStillLoadsAfterAWriterIsKilledHalfWay) {
    const std::string path = (dir / "autosave1.wxsave").string();
    // Saves large enough that the kill often lands inside a write.
    auto big = [](int turn) {
        SampleSave s;
        FillSample(s, turn);
        for (int i = 0; i < 9000; ++i) s.data.m_stdvLostAIUnits.push_back("Lost " + std::to_string(i));
        return WriteSaveBytes(s.header, s.data);
    };
    const std::string first = big(3), second = big(4);
    ASSERT_TRUE(WriteSaveFileAtomic(path, first));
    for (int round = 0; round < 6; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int turn = 0;; ++turn) WriteSaveFileAtomic(path, turn % 2 ? first : second);
        }
        usleep(static_cast<useconds_t>(3000 + 2500 * round));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = VornaTest::ReadText(path);
        GameSaveHeader h;
        GameSaveData d;
        ASSERT_TRUE(ReadSaveBytes(now, "autosave1.wxsave", movement, h, d)) << "round " << round;
        EXPECT_TRUE(now == first || now == second);
    }
    // Left-over temporary files never look like saves.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir / "*.wxsave").string().c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int saves = 1;
    while (FindNextFileA(search, &found)) ++saves;
    FindClose(search);
    EXPECT_EQ(saves, 1);
}

} // namespace
} // namespace CampaignSaveTest
