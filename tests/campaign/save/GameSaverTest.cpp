// The game saver between a map and the save folders: saves written and
// loaded again, the system save, the list of saves, headers, and saves that
// must not touch the running game.
#include "FakeMapLink.h"
#include "SaveTestSupport.h"
#include "../data/DataTestSupport.h"

#include "campaign/shell/CDX9KelGameScenario.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "platform/os/Clock.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace CampaignSaveTest {
namespace {

namespace fs = std::filesystem;

class GameSaverTest : public CampaignDataTest::LoggedFolder {
protected:
    void SetUp() override {
        LoggedFolder::SetUp();
        Platform::SetClock(&clock);
        saver.SetDocumentsFolder(dir.string());
        saver.SetScenario(&scenario);
        SetRecordText(scenario.m_szScenarioName, "Demo campaign");
        SetRecordText(scenario.m_szScenarioFile, "scenario_demo.xml");
        SetRecordText(scenario.m_szPlayerSideName, "Northern squadron");
        scenario.m_iPlayerSide = 1;
        scenario.m_uAILossCounter = 120;
        scenario.m_uPlayerScoreTotal = 340;
        scenario.m_uPlayerLossCounter = 56;
        scenario.m_uAIScoreTotal = 78;
        scenario.m_stdvLostPlayerUnits = {"Resolute"};
        scenario.m_stdvLostAIUnits = {"Vigil", "Sentinel"};
        SampleSave s;
        FillSample(s);
        map.Fill(s.data, "demo_strait.map", "The Strait");
        ASSERT_TRUE(saver.SetSaveObjects(&map));
    }
    void TearDown() override {
        Platform::SetClock(nullptr);
        LoggedFolder::TearDown();
    }
    fs::path Saves() const { return dir / "Wexmoor Tarnfield" / "Saves"; }
    std::string Bytes(const std::string& name) const { return VornaTest::ReadText(Saves() / (name + ".wxsave")); }

    Platform::ManualClock clock{1000000u, 1765400000};
    CDX9KelGameScenario scenario;
    CDX9KelGameSaver saver;
    FakeMapLink map;
};

TEST_F(GameSaverTest, ASaveLoadsIntoAnEmptyMapAndSavesAgainByteForByte) {
    ASSERT_TRUE(saver.WriteSave("first", false)) << Log();
    const std::string first = Bytes("first");
    // The header and body of the sample: the saver writes what it stages
    // from the map and the scenario.
    EXPECT_EQ(first, SampleBytes().replace(0, 24, Platform::LocalTimeText(1765400000)));

    FakeMapLink fresh;
    CDX9KelGameScenario other;
    other.m_iPlayerSide = 1;
    CDX9KelGameSaver loader;
    loader.SetDocumentsFolder(dir.string());
    loader.SetScenario(&other);
    ASSERT_TRUE(loader.SetSaveObjects(&fresh));
    ASSERT_TRUE(loader.LoadSave("first", false)) << Log();
    EXPECT_EQ(fresh.m_Calls, (std::vector<std::string>{"ClearMap(full)", "SetPlayerSide(1)", "LoadFromSave(changed)"}));
    EXPECT_EQ(other.m_uPlayerScoreTotal, 340u);
    EXPECT_EQ(other.m_uAIScoreTotal, 78u);
    EXPECT_EQ(other.m_stdvLostAIUnits, scenario.m_stdvLostAIUnits);
    EXPECT_EQ(fresh.m_iTurn, 3);
    ASSERT_EQ(fresh.m_Units[SAVE_SIDE1].size(), 3u);

    // The loaded game saves to the same bytes.
    SetRecordText(other.m_szScenarioName, "Demo campaign");
    SetRecordText(other.m_szScenarioFile, "scenario_demo.xml");
    SetRecordText(other.m_szPlayerSideName, "Northern squadron");
    fresh.m_strTitle = "The Strait";
    ASSERT_TRUE(loader.WriteSave("second", false));
    EXPECT_EQ(Bytes("second"), first);
}

// The map's running values go into the save's trailer and come back to the
// rebuilt map after it loaded; values that do not fit the rebuilt map are
// left out with a log line and the save still loads.
TEST_F(GameSaverTest, TheRunStateGoesWithTheSaveAndBackToTheRebuiltMap) {
    SampleSave s;
    FillSample(s);
    FillRunState(s.data);
    map.m_RunState = s.data.m_RunState;
    map.m_bHasRunState = true;
    ASSERT_TRUE(saver.WriteSave("running", false)) << Log();
    EXPECT_EQ(Bytes("running"), SampleBytesWithRunState().replace(0, 24, Platform::LocalTimeText(1765400000)));

    for (bool fits : {true, false}) {
        SCOPED_TRACE(fits ? "fits" : "does not fit");
        FakeMapLink fresh;
        fresh.m_bRunStateFits = fits;
        CDX9KelGameScenario other;
        other.m_iPlayerSide = 1;
        CDX9KelGameSaver loader;
        loader.SetDocumentsFolder(dir.string());
        loader.SetScenario(&other);
        ASSERT_TRUE(loader.SetSaveObjects(&fresh));
        const std::size_t logBefore = Log().size();
        ASSERT_TRUE(loader.LoadSave("running", false)) << Log();
        EXPECT_EQ(fresh.m_Calls, (std::vector<std::string>{"ClearMap(full)", "SetPlayerSide(1)", "LoadFromSave(changed)",
                                                           "SetRunState"}));
        EXPECT_EQ(fresh.m_iTurn, 3);
        EXPECT_EQ(fresh.m_bHasRunState, fits);
        if (fits) {
            EXPECT_EQ(fresh.m_RunState.m_uRandomState, map.m_RunState.m_uRandomState);
            EXPECT_EQ(fresh.m_RunState.m_Columns[1], map.m_RunState.m_Columns[1]);
            EXPECT_EQ(fresh.m_RunState.m_AI.m_stdvTargets, map.m_RunState.m_AI.m_stdvTargets);
        } else {
            EXPECT_NE(Log().substr(logBefore).find("the run state does not fit the map"), std::string::npos) << Log();
        }
    }
}

TEST_F(GameSaverTest, ASaveOfTheSameMapKeepsItsScenery) {
    ASSERT_TRUE(saver.WriteSave("same", false));
    map.m_iTurn = 5;
    ASSERT_TRUE(saver.LoadSave("same", false)) << Log();
    EXPECT_EQ(map.m_Calls, (std::vector<std::string>{"ClearMap", "SetPlayerSide(1)", "LoadFromSave"}));
    EXPECT_EQ(map.m_iTurn, 3);
}

TEST_F(GameSaverTest, NamesThatAreNotSaveNamesTouchNothing) {
    for (const char* name : {"", "../escape", "sub/dir", ".hidden", "C:drive"}) {
        EXPECT_FALSE(saver.WriteSave(name, false)) << name;
        EXPECT_FALSE(saver.LoadSave(name, false)) << name;
    }
    EXPECT_FALSE(saver.WriteSave(nullptr, false));
    EXPECT_FALSE(fs::exists(dir / "escape.wxsave"));
    EXPECT_FALSE(fs::exists(dir / "Wexmoor Tarnfield" / "escape.wxsave"));
    EXPECT_TRUE(map.m_Calls.empty());
    // The empty name is refused before anything is made on disk.
    EXPECT_FALSE(fs::exists(dir / "Wexmoor Tarnfield" / "Saves" / ".wxsave"));
}

TEST_F(GameSaverTest, ABadSaveLeavesTheRunningGameAsItWas) {
    ASSERT_TRUE(saver.WriteSave("good", false));
    std::string bad = Bytes("good");
    bad.resize(bad.size() - 30);
    VornaTest::WriteText(Saves() / "cut.wxsave", bad);
    std::string otherSide = Bytes("good");
    PutU32(otherSide, 236, 2);
    VornaTest::WriteText(Saves() / "side.wxsave", otherSide);

    const auto before = map.m_Units[SAVE_SIDE1];
    for (const char* name : {"cut", "side", "missing"}) EXPECT_FALSE(saver.LoadSave(name, false)) << name;
    EXPECT_FALSE(saver.CheckSave("cut", false));
    EXPECT_FALSE(saver.CheckSave("missing", false));
    // A sound save of the other side's player is no save of this scenario.
    EXPECT_TRUE(saver.CheckSave("side", false));
    EXPECT_TRUE(map.m_Calls.empty());
    EXPECT_EQ(map.m_Units[SAVE_SIDE1], before);
    EXPECT_EQ(scenario.m_stdvLostPlayerUnits, (std::vector<std::string>{"Resolute"}));
    EXPECT_EQ(scenario.m_uAILossCounter, 120u);
    EXPECT_NE(Log().find("is not the scenario's"), std::string::npos);
}

TEST_F(GameSaverTest, TheListShowsSavesAndAutosavesButNeverTheSystemSave) {
    for (const char* name : {"autosave2", "autosave1", "Battle of the cape", "autosave3"})
        ASSERT_TRUE(saver.WriteSave(name, false));
    ASSERT_TRUE(saver.WriteSave("last_map", true));
    EXPECT_TRUE(fs::exists(Saves() / "System" / "last_map.wxsave"));
    VornaTest::WriteText(Saves() / "notes.txt", "not a save");
    VornaTest::WriteText(Saves() / "autosave1.wxsave.tmpAbC123", "left over");
    ASSERT_TRUE(saver.UpdateSaveList());
    EXPECT_EQ(saver.GetSaveNames(),
              (std::vector<std::string>{"autosave1", "autosave2", "autosave3", "Battle of the cape"}));

    GameSaveHeader header;
    saver.ReadSaveHeader("last_map", &header, true);
    EXPECT_STREQ(header.m_szScenarioFile, "scenario_demo.xml");
    EXPECT_STREQ(header.m_szMapName, "demo_strait.map");
    EXPECT_STREQ(header.m_szMapTitle, "The Strait");
    EXPECT_EQ(header.m_iTurn, 3);
    saver.ReadSaveHeader("last_map", &header, false);
    EXPECT_EQ(header.m_iTurn, -1);
    EXPECT_STREQ(header.m_szMapName, "");
}

TEST_F(GameSaverTest, AFailedSystemSaveLeavesNoRestartPointBehind) {
    ASSERT_TRUE(saver.WriteSave("last_map", true));
    ASSERT_TRUE(saver.WriteSave("slot", false));
    const std::string slot = Bytes("slot");
    // A process whose files may not grow past 100 bytes saves again: both
    // writes fail; the player's save keeps its old bytes, the system save
    // of the map before is gone rather than left to restart from.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool slotSaved = saver.WriteSave("slot", false);
        const bool systemSaved = saver.WriteSave("last_map", true);
        _exit(!slotSaved && !systemSaved ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Bytes("slot"), slot);
    EXPECT_FALSE(fs::exists(Saves() / "System" / "last_map.wxsave"));
    GameSaveHeader header;
    saver.ReadSaveHeader("last_map", &header, true);
    EXPECT_EQ(header.m_iTurn, -1);
}

TEST_F(GameSaverTest, UnitsWithoutPlacesAreNotSaved) {
    map.m_Places[SAVE_SIDE2].pop_back();
    EXPECT_FALSE(saver.WriteSave("broken", false));
    EXPECT_NE(Log().find("CDX9KelGameSaver::PrepareSaveData() : CreateMatrixList( SIDE2 )"), std::string::npos);
    EXPECT_FALSE(fs::exists(Saves() / "broken.wxsave"));
}

TEST_F(GameSaverTest, FoldersAreMadeUnderTheDocumentsFolder) {
    const fs::path deep = dir / "not" / "yet";
    CDX9KelGameSaver other;
    other.SetDocumentsFolder(deep.string());
    other.SetScenario(&scenario);
    ASSERT_TRUE(other.SetSaveObjects(&map));
    ASSERT_TRUE(other.WriteSave("autosave1", false));
    EXPECT_TRUE(fs::is_directory(deep / "Wexmoor Tarnfield" / "Saves" / "System"));
    EXPECT_TRUE(fs::exists(deep / "Wexmoor Tarnfield" / "Saves" / "autosave1.wxsave"));
    EXPECT_TRUE(other.m_bReady);
}

} // namespace
} // namespace CampaignSaveTest
