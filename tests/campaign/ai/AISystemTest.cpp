// The computer opponent's decisions: its tasks, its danger ratings, its
// choice of behaviour and gun groups, and the steps of its phase.
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/data/DataFiles.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

using namespace VornaCampaign;

namespace {

bool LoadBlock(CDX9KelAISystem& ai, const std::string& xml) {
    TiXmlDocument doc;
    if (!ParseXmlText(xml, doc)) return false;
    return ai.LoadTasks(doc.RootElement());
}

const char* const kTwoTasks = R"(<Tasks>
  <!-- the first task -->
  <Attack>
    <BehaviourType>Defence</BehaviourType>
    <RunawayPosition><x>10.5</x><z>-4</z></RunawayPosition>
    <Purposes>
      <Red_Star><Blue_One/><Blue_Two/></Red_Star>
      <Grey_Fox/>
    </Purposes>
  </Attack>
  <Second>
    <RunawayPosition><x>1</x><y>2</y><z>3</z></RunawayPosition>
  </Second>
  <Third><BehaviourType>Raid</BehaviourType></Third>
</Tasks>)";

} // namespace

TEST(AITasks, ReadsTasksPurposesAndInheritedBehaviour) {
    CDX9KelAISystem ai;
    ASSERT_TRUE(LoadBlock(ai, kTwoTasks));
    const auto& tasks = ai.GetTasks();
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].m_iBehaviourType, 0);
    EXPECT_FLOAT_EQ(tasks[0].m_vRunawayPosition.x, 10.5f);
    EXPECT_FLOAT_EQ(tasks[0].m_vRunawayPosition.y, 0.0f);
    EXPECT_FLOAT_EQ(tasks[0].m_vRunawayPosition.z, -4.0f);
    ASSERT_EQ(tasks[0].m_stdvPurposes.size(), 2u);
    EXPECT_EQ(RecordText(tasks[0].m_stdvPurposes[0].m_szName), "Red Star");
    EXPECT_EQ(tasks[0].m_stdvPurposes[0].m_stdvTargets, (std::vector<std::string>{"Blue One", "Blue Two"}));
    EXPECT_TRUE(tasks[0].m_stdvPurposes[1].m_stdvTargets.empty());
    // No behaviour of its own: the previous task's text still says "Defence".
    EXPECT_EQ(tasks[1].m_iBehaviourType, 0);
    EXPECT_EQ(tasks[2].m_iBehaviourType, 1);

    EXPECT_EQ(&ai.SelectTask(SIDE_1, D3DXVECTOR3(0, 0, 0)), &tasks.front());
    EXPECT_EQ(&ai.SelectTask(SIDE_2, D3DXVECTOR3(0, 0, 0)), &tasks.back());
}

TEST(AITasks, LongNamesAreCutAndClearingStartsAfresh) {
    CDX9KelAISystem ai;
    const std::string longName(60, 'a');
    ASSERT_TRUE(LoadBlock(ai, "<Tasks><T><Purposes><" + longName + "/></Purposes></T></Tasks>"));
    EXPECT_EQ(RecordText(ai.GetTasks()[0].m_stdvPurposes[0].m_szName), std::string(39, 'a'));
    // Reading the next map's block after a clear gives only that block.
    ai.ClearTasks();
    ASSERT_TRUE(LoadBlock(ai, "<Tasks><T/></Tasks>"));
    ASSERT_EQ(ai.GetTasks().size(), 1u);
    // The cleared "Defence" text is not inherited across maps.
    EXPECT_EQ(ai.GetTasks()[0].m_iBehaviourType, 1);
    EXPECT_FALSE(ai.LoadTasks(nullptr));
}

TEST(AITasks, MapWithoutTasksPlaysTheDefaultTask) {
    CDX9KelAISystem ai;
    const AITask& task = ai.SelectTask(SIDE_2, D3DXVECTOR3(5.0f, 0.0f, 7.0f));
    EXPECT_EQ(task.m_iBehaviourType, 1);
    EXPECT_TRUE(task.m_stdvPurposes.empty());
    EXPECT_FLOAT_EQ(task.m_vRunawayPosition.x, 5.0f);
    EXPECT_FLOAT_EQ(task.m_vRunawayPosition.z, 7.0f);
    AIEnemyFigures e;
    e.m_sName = "Blue One";
    e.m_fDistance = 10.0f;
    EXPECT_FLOAT_EQ(ai.RateEnemy(e, "Red Star", 3, 100.0f).m_fTaskWeight, 0.0f);
}

TEST(AIRatings, TotalsFromHandComputedFigures) {
    CDX9KelAISystem ai;
    ASSERT_TRUE(LoadBlock(ai, kTwoTasks));
    ai.SelectTask(SIDE_1, D3DXVECTOR3(0, 0, 0));

    AIEnemyFigures ship;
    ship.m_sName = "Blue Two";
    ship.m_fDistance = 20.0f;
    ship.m_iGunCount = 4;
    ship.m_fGunDamage = 3.0f;
    ship.m_fGunFallAccuracy = 0.5f;
    ship.m_fAverageArmour = 40.0f;
    ship.m_iArmouredPercent = 25;
    ship.m_bHasMovement = true;
    // closeness (100 - 20 x 100 / 200) x 2.5 = 225; threat 4 x 3 x 0.5 = 6;
    // share 40 x 25 x 0.01 = 10; task weight (3 - 1) x 100 = 200.
    const AIDangerRating r = ai.RateEnemy(ship, "Red Star", 3, 200.0f);
    EXPECT_FLOAT_EQ(r.m_fCloseness, 225.0f);
    EXPECT_FLOAT_EQ(r.m_fGunThreat, 6.0f);
    EXPECT_FLOAT_EQ(r.m_fArmouredShare, 10.0f);
    EXPECT_FLOAT_EQ(r.m_fKindWeight, 2.0f);
    EXPECT_FLOAT_EQ(r.m_fTaskWeight, 200.0f);
    EXPECT_FLOAT_EQ(r.m_fTotal, 2.0f * 6.0f + 225.0f + 10.0f + 200.0f);

    AIEnemyFigures fort = ship;
    fort.m_sName = "Shore";
    fort.m_bHasMovement = false;
    const AIDangerRating f = ai.RateEnemy(fort, "Red Star", 3, 200.0f);
    EXPECT_FLOAT_EQ(f.m_fKindWeight, 1.0f);
    EXPECT_FLOAT_EQ(f.m_fTaskWeight, 0.0f);
    // Another own ship has no purpose naming the enemy.
    EXPECT_FLOAT_EQ(ai.RateEnemy(ship, "Grey Fox", 3, 200.0f).m_fTaskWeight, 0.0f);
    // A map without extent rates no closeness instead of dividing by zero.
    EXPECT_FLOAT_EQ(ai.RateEnemy(ship, "Red Star", 3, 0.0f).m_fCloseness, 0.0f);

    std::vector<AIDangerRating> list{f, r, f};
    list[2].m_fTotal = f.m_fTotal;
    list[0].m_fDistance = 1.0f;
    CDX9KelAISystem::SortRatings(list);
    EXPECT_FLOAT_EQ(list[0].m_fTotal, r.m_fTotal);
    // Equal totals keep their order.
    EXPECT_FLOAT_EQ(list[1].m_fDistance, 1.0f);
}

TEST(AIBehaviour, ChoiceTable) {
    AIBehaviourFigures fight;
    fight.m_iConditionPercent = 80;
    fight.m_fEnemyDistance = 50.0f;
    struct Case {
        const char* what;
        AIBehaviourFigures ship;
        int mode;
        int next;
    };
    std::vector<Case> cases;
    cases.push_back({"plain fight", fight, GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, GAME_AI_SHIPS_STATE_MOV_POS});
    auto with = [&](auto change) {
        AIBehaviourFigures s = fight;
        change(s);
        return s;
    };
    cases.push_back({"condition 30", with([](auto& s) { s.m_iConditionPercent = 30; }), GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY,
                     GAME_AI_SHIPS_STATE_PATH_FIND});
    cases.push_back({"condition 31", with([](auto& s) { s.m_iConditionPercent = 31; }),
                     GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, GAME_AI_SHIPS_STATE_MOV_POS});
    cases.push_back({"flood 49", with([](auto& s) { s.m_iFloodPercent = 49; }), GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE,
                     GAME_AI_SHIPS_STATE_MOV_POS});
    cases.push_back({"flood 50", with([](auto& s) { s.m_iFloodPercent = 50; }), GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY,
                     GAME_AI_SHIPS_STATE_PATH_FIND});
    cases.push_back({"no gun", with([](auto& s) { s.m_bAnyGunCanShoot = false; }), GAME_AI_SHIPS_BEHAVIOUR_RUNAWAY,
                     GAME_AI_SHIPS_STATE_PATH_FIND});
    cases.push_back({"cannot sink", with([](auto& s) { s.m_bCanSink = false; s.m_iConditionPercent = 1; }),
                     GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, GAME_AI_SHIPS_STATE_BOMBARDMENT});
    cases.push_back({"distant fight first", with([](auto& s) { s.m_bDistantFight = true; s.m_iConditionPercent = 1; }),
                     GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT, GAME_AI_SHIPS_STATE_MOV_POS});
    const AIBehaviourFigures ram = with([](auto& s) {
        s.m_fEnemyDistance = 29.9f;
        s.m_fBearingToEnemy = 1.5f;
        s.m_fRamAttack = 5.0f;
        s.m_fEnemyRamDefence = 4.0f;
        s.m_fColumnSpeed = 2.6f;
    });
    cases.push_back({"ram", ram, GAME_AI_SHIPS_BEHAVIOUR_RAM, GAME_AI_SHIPS_STATE_PATH_FIND});
    auto noRam = [&](const char* what, auto change) {
        AIBehaviourFigures s = ram;
        change(s);
        cases.push_back({what, s, GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, GAME_AI_SHIPS_STATE_MOV_POS});
    };
    noRam("ram in a column", [](auto& s) { s.m_uColumnShips = 2; });
    noRam("ram too far", [](auto& s) { s.m_fEnemyDistance = 30.0f; });
    noRam("ram behind", [](auto& s) { s.m_fBearingToEnemy = 1.6f; });
    noRam("ram too slow", [](auto& s) { s.m_fColumnSpeed = 2.57f; });
    noRam("ram defence equal", [](auto& s) { s.m_fEnemyRamDefence = 5.0f; });
    noRam("ram on unsinkable", [](auto& s) { s.m_bEnemyCanSink = false; });
    for (const Case& c : cases) {
        const AIBehaviourChoice got = CDX9KelAISystem::ChooseBehaviour(c.ship);
        EXPECT_EQ(got.m_iMode, c.mode) << c.what;
        EXPECT_EQ(got.m_iNextState, c.next) << c.what;
    }
    EXPECT_EQ(CDX9KelAISystem::WantedHitChance(GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, true), 75);
    EXPECT_EQ(CDX9KelAISystem::WantedHitChance(GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, false), 50);
    EXPECT_EQ(CDX9KelAISystem::WantedHitChance(GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT, true), 15);
    EXPECT_EQ(CDX9KelAISystem::BombardmentThreshold(GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, true), 71);
    EXPECT_EQ(CDX9KelAISystem::BombardmentThreshold(GAME_AI_SHIPS_BEHAVIOUR_FIRING_DISTANCE, false), 48);
    EXPECT_EQ(CDX9KelAISystem::BombardmentThreshold(GAME_AI_SHIPS_BEHAVIOUR_DISTANT_FIGHT, false), 13);
}

namespace {

PartRecord PartWithGuns(int guns, bool ready = true) {
    PartRecord p;
    for (int i = 0; i < guns; ++i) {
        GunRecord g;
        g.m_bReady = ready ? 1 : 0;
        g.m_bCanShoot = 1;
        p.m_stdvGuns.push_back(g);
    }
    return p;
}

// Two towers and six hull parts with the given gun counts.
BattleDataBlock Ship(std::vector<int> towers, std::vector<int> hull) {
    BattleDataBlock b;
    for (int n : towers) b.m_stdvMGTowers.push_back(PartWithGuns(n));
    for (int n : hull) b.m_stdvDesignParts.push_back(PartWithGuns(n));
    return b;
}

} // namespace

TEST(AIGunGroups, FirstGroupBySector) {
    const BattleDataBlock towers = Ship({1, 1}, {1, 2, 1, 0, 2, 1});
    const BattleDataBlock noTowers = Ship({}, {1, 2, 1, 0, 2, 1});
    const BattleDataBlock starboardBow = Ship({}, {0, 2, 1, 1, 0, 1});
    struct Case {
        const BattleDataBlock* ship;
        float bearing;
        int group;
    };
    const Case cases[] = {
        {&towers, 0.0f, 0},      {&noTowers, 0.0f, 2},     {&starboardBow, 0.785f, 5}, {&towers, 3.0f, 1},
        {&noTowers, -3.0f, 4},   {&noTowers, 1.5f, 6},     {&starboardBow, 1.5f, 5},  {&noTowers, -1.5f, 3},
        {&towers, 2.0f, 7},      {&noTowers, -1.0f, 2},    {&noTowers, 1.0f, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDX9KelAISystem::ChooseFirstGunGroup(*c.ship, c.bearing), c.group) << c.bearing;

    // A bow part with two guns is not a bow chaser.
    EXPECT_EQ(CDX9KelAISystem::ChooseFirstGunGroup(Ship({}, {2, 0, 0, 2, 0, 0}), 0.0f), -1);
    // A gun that already fired is not ready.
    BattleDataBlock fired = towers;
    fired.m_stdvMGTowers[0].m_stdvGuns[0].m_bReady = 0;
    EXPECT_EQ(CDX9KelAISystem::ChooseFirstGunGroup(fired, 0.0f), 2);
    // Only a hull of six parts is considered.
    EXPECT_EQ(CDX9KelAISystem::ChooseFirstGunGroup(Ship({1}, {1, 1}), 0.0f), -1);
}

TEST(AIGunGroups, FiringOrder) {
    auto sequence = [](int first) {
        std::vector<int> fired;
        for (int g = CDX9KelAISystem::NextGunGroup(first, -1); g != -1 && fired.size() < 10;
             g = CDX9KelAISystem::NextGunGroup(first, g))
            fired.push_back(g);
        return fired;
    };
    EXPECT_EQ(sequence(0), (std::vector<int>{0, 1}));
    EXPECT_EQ(sequence(1), (std::vector<int>{1, 0}));
    EXPECT_EQ(sequence(3), (std::vector<int>{3, 2, 4}));
    EXPECT_EQ(sequence(6), (std::vector<int>{6, 5, 7}));
    for (int alone : {2, 4, 5, 7}) EXPECT_EQ(sequence(alone), (std::vector<int>{alone}));
    EXPECT_TRUE(sequence(-1).empty());
    EXPECT_TRUE(sequence(8).empty());
}

TEST(AIPhase, StepsAndSpeedFactor) {
    CDX9KelAISystem ai;
    CDX9KelColumnMovement movement;
    movement.SetSpeedFactor(0.05f);
    ai.SetColumnMovement(&movement);
    ai.SetSides(SIDE_1);
    ai.ProcPhase();
    EXPECT_EQ(ai.GetStep(), GAME_AI_STEP_FORTS_FIRST);
    EXPECT_EQ(ai.GetOwnSide(), SIDE_1);
    EXPECT_EQ(ai.GetFortState(), GAME_AI_COASTAL_ART_STATE_SEL_OBJECT);
    ai.ProcPhase();  // the forts are still busy
    EXPECT_EQ(ai.GetStep(), GAME_AI_STEP_FORTS_FIRST);
    ai.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
    ai.ProcPhase();
    EXPECT_EQ(ai.GetStep(), GAME_AI_STEP_FORTS_SECOND);
    EXPECT_EQ(ai.GetOwnSide(), SIDE_2);
    ai.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
    ai.ProcPhase();
    EXPECT_EQ(ai.GetStep(), GAME_AI_STEP_SHIPS);
    EXPECT_FLOAT_EQ(movement.m_fSpeedFactor, 0.06f);
    EXPECT_EQ(ai.GetShipState(), GAME_AI_SHIPS_STATE_SEL_OBJECT);
    ASSERT_NE(ai.GetActiveTask(), nullptr);  // the default task of a map without tasks
    ai.SetShipState(GAME_AI_SHIPS_STATE_NONE);
    ai.ProcPhase();
    EXPECT_EQ(ai.GetStep(), GAME_AI_STEP_DONE);
    EXPECT_FLOAT_EQ(movement.m_fSpeedFactor, 0.05f);
}

TEST(AIPhase, DisabledEndsAtOnceAndAbortRestoresSpeed) {
    CDX9KelAISystem ai;
    ai.SetEnabled(false);
    ai.ProcPhase();
    EXPECT_EQ(ai.GetStep(), GAME_AI_STEP_DONE);
    EXPECT_EQ(ai.GetFortState(), GAME_AI_COASTAL_ART_STATE_NONE);

    // The map ends during the ship step: the raised factor does not stay.
    CDX9KelAISystem b;
    CDX9KelColumnMovement movement;
    // Near the upper limit the raised factor is cut; the one found comes back.
    movement.SetSpeedFactor(0.14f);
    b.SetColumnMovement(&movement);
    for (int i = 0; i < 3; ++i) {
        b.ProcPhase();
        b.SetFortState(GAME_AI_COASTAL_ART_STATE_NONE);
    }
    ASSERT_EQ(b.GetStep(), GAME_AI_STEP_SHIPS);
    EXPECT_FLOAT_EQ(movement.m_fSpeedFactor, 0.15f);
    b.AbortPhase();
    EXPECT_FLOAT_EQ(movement.m_fSpeedFactor, 0.14f);
    EXPECT_EQ(b.GetShipState(), GAME_AI_SHIPS_STATE_NONE);
    // The next phase starts clean.
    b.SetStep(GAME_AI_STEP_START);
    b.ProcPhase();
    EXPECT_EQ(b.GetStep(), GAME_AI_STEP_FORTS_FIRST);
    EXPECT_FLOAT_EQ(movement.m_fSpeedFactor, 0.14f);
}

TEST(AIForts, CandidatesAndTowerChoice) {
    GameObjectRecord fort;
    SetRecordText(fort.m_Unit.m_szSide, "SIDE2");
    fort.m_pBattleData = std::make_unique<BattleDataBlock>();
    EXPECT_TRUE(CDX9KelAISystem::IsFortCandidate(fort));
    fort.m_pBattleData->m_bAlive = 0;
    EXPECT_FALSE(CDX9KelAISystem::IsFortCandidate(fort));
    fort.m_pBattleData->m_bAlive = 1;
    SetRecordText(fort.m_Unit.m_szSide, "UNSIDE");
    EXPECT_FALSE(CDX9KelAISystem::IsFortCandidate(fort));
    SetRecordText(fort.m_Unit.m_szSide, "SIDE1");
    fort.m_pMovementState = std::make_unique<MovementStateRecord>();
    EXPECT_FALSE(CDX9KelAISystem::IsFortCandidate(fort));  // a ship

    const BattleDataBlock two = Ship({1, 1}, {});
    const bool both[2] = {true, true};
    const bool second[2] = {false, true};
    const bool neither[2] = {false, false};
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(two, 15, false, both), 0);
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(two, 14, false, both), -1);
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(two, 90, true, both), -1);
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(two, 90, false, second), 1);
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(two, 90, false, neither), -1);
    BattleDataBlock fired = two;
    fired.m_stdvMGTowers[0].m_stdvGuns[0].m_bReady = 0;
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(fired, 90, false, both), 1);
    EXPECT_EQ(CDX9KelAISystem::ChooseFortGroup(Ship({}, {}), 90, false, both), -1);
}

TEST(AIColumns, PassesOverColumnsAlwaysEnd) {
    CDX9KelAISystem ai;
    // Two columns; the second moves a little in every pass but never runs
    // out of time: the passes stop at the cap.
    std::vector<float> used{0.0f, 0.0f};
    ai.BeginColumnPasses(used);
    int passes = 1;
    for (int i = 0; i < 100; ++i) {
        used[1] += 10.0f;
        if (!ai.DetectColumnsMoveOpportunity(used, 300.0f)) break;
        ++passes;
    }
    EXPECT_EQ(passes, CDX9KelAISystem::kMaxColumnPasses);

    // Nothing moved in the last pass: no new pass.
    ai.BeginColumnPasses(used);
    EXPECT_FALSE(ai.DetectColumnsMoveOpportunity(used, 300.0f));
    // The only column with time left is the waiting one.
    std::vector<float> wait{295.0f, 100.0f};
    ai.BeginColumnPasses({0.0f, 100.0f});
    ai.SetWaitingColumn(1);
    EXPECT_FALSE(ai.DetectColumnsMoveOpportunity(wait, 300.0f));
    ai.SetWaitingColumn(-1);
    EXPECT_TRUE(ai.DetectColumnsMoveOpportunity(wait, 300.0f));
}

TEST(AIPathFinding, ResultTable) {
    struct Case {
        int result;
        int target;
        bool enemiesLeft;
        int action;
        int next;
    };
    const Case cases[] = {
        {4 /*found*/, AI_PATH_TARGET_ENEMY, true, AI_PATH_ACTION_MOVE, GAME_AI_SHIPS_STATE_MOVEMENT},
        {1 /*no time*/, AI_PATH_TARGET_ENEMY, true, AI_PATH_ACTION_NEXT_COLUMN, GAME_AI_SHIPS_STATE_SEL_OBJECT},
        {2 /*occupied*/, AI_PATH_TARGET_FALLBACK, false, AI_PATH_ACTION_NEXT_ENEMY, GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR},
        {3 /*not found*/, AI_PATH_TARGET_ENEMY, false, AI_PATH_ACTION_TRY_FALLBACK, GAME_AI_SHIPS_STATE_PATH_FIND},
        {3, AI_PATH_TARGET_FALLBACK, true, AI_PATH_ACTION_NEXT_ENEMY, GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR},
        {3, AI_PATH_TARGET_RUNAWAY, true, AI_PATH_ACTION_NEXT_ENEMY, GAME_AI_SHIPS_STATE_SEL_BEHAVIOUR},
        {3, AI_PATH_TARGET_RUNAWAY, false, AI_PATH_ACTION_BEE_LINE, GAME_AI_SHIPS_STATE_MOVEMENT},
        {0 /*error*/, AI_PATH_TARGET_ENEMY, true, AI_PATH_ACTION_ERROR, GAME_AI_SHIPS_STATE_MOVEMENT},
        {77, AI_PATH_TARGET_ENEMY, true, AI_PATH_ACTION_ERROR, GAME_AI_SHIPS_STATE_MOVEMENT},
    };
    for (const Case& c : cases) {
        const AIPathDecision d = CDX9KelAISystem::DecidePathResult(c.result, c.target, c.enemiesLeft);
        EXPECT_EQ(d.m_iAction, c.action) << c.result << " " << c.target;
        EXPECT_EQ(d.m_iNextState, c.next) << c.result << " " << c.target;
    }
}
