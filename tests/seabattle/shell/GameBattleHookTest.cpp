// The game scene and the battle: the game manager starts with the scene and
// holds the battle map; a battle started on the demo's battle screen is
// ticked by the scene's frames on the battle clock; device loss stops that
// clock and the restore runs it on without the lost time.
#include "common/DemoData.h"
#include "common/GameSession.h"
#include "TestFolder.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace SeaBattle;

namespace {

class GameBattleHook : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        fs::copy_file(fs::path(VORNA_BIN_DIR) / "engine.ini", m_dir / "engine.ini");
        VornaTest::GameSession::Options options;
        options.dataFolder = m_dir.string() + "/";
        options.stepMs = 20;
        ASSERT_TRUE(m_session.Start(options));
        m_pMap = CVR3GAMEManager::Get().GetBattleMap();
    }
    void TearDown() override { m_session.Stop(); }

    VornaTest::GameSession m_session;
    fs::path m_dir;
    CVR3GAMEBattleMap* m_pMap = nullptr;
};

TEST_F(GameBattleHook, TheSceneTicksTheBattleOnItsClockAndDeviceLossSkipsTheLostTime) {
    ASSERT_NE(m_pMap, nullptr);
    EXPECT_EQ(CVR3GAMEManager::Get().GetScene(), m_session.Scene());
    EXPECT_EQ(m_pMap->GetScene(), m_session.Scene());
    // No battle yet: the clock stands and no battle screen is set.
    m_session.Frames(10, false);
    EXPECT_EQ(m_pMap->m_pBattleScreen, nullptr);
    EXPECT_EQ(m_pMap->m_GameTimer.m_dwGameTime, 0u);

    EXPECT_FALSE(CVR3GAMEManager::Get().StartBattle("no_such_screen"));
    ASSERT_TRUE(CVR3GAMEManager::Get().StartBattle("battle_game"));
    EXPECT_EQ(m_session.CurrentScreen(), "battle_game");
    ASSERT_NE(m_pMap->m_pBattleScreen, nullptr);
    m_pMap->m_iTimeLimit = 1;
    m_session.Frames(50, false);
    // The frames ticked the battle: its clock read 980 ms at the last one.
    EXPECT_EQ(m_pMap->m_GameTimer.m_dwGameTime, 980u);
    EXPECT_NE(m_pMap->m_dwLastAutoSave, 0u);

    // Device loss: the clock stops; ten lost seconds never reach it.
    m_session.Scene()->OnLost();
    EXPECT_EQ(m_pMap->m_GameTimer.m_dwRunning, 0u);
    m_session.Clock().Advance(10000);
    m_session.Scene()->Restore();
    EXPECT_NE(m_pMap->m_GameTimer.m_dwRunning, 0u);
    m_session.Frames(50, false);
    // Runs on from the restore: the lost seconds (and the step before the
    // loss, which no frame read) are skipped.
    EXPECT_EQ(m_pMap->m_GameTimer.m_dwGameTime, 980u + 49u * 20u);

    // Half speed: the battle clock runs at half the frames' time.
    ASSERT_TRUE(m_pMap->SetTimeSpeed(0.5f));
    m_session.Frames(100, false);
    EXPECT_EQ(m_pMap->m_GameTimer.m_dwGameTime, 1960u + 99u * 10u);
}

} // namespace
