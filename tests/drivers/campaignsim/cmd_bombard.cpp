// campaignsim bombard: two ships fight it out with the campaign's battle
// system, round after round, until one of them is lost.
//
//   campaignsim bombard [--seed S] [--distance M] [--rounds N] [--root FOLDER]
//                       [--a DESCRIPTION:MODEL] [--b DESCRIPTION:MODEL] [--trace]
//
// Ship A (default ship_a.xml with c2monitor.x) lies at the origin heading
// -z; ship B (default ship_b.xml with c2corvette.x) lies --distance metres
// (default 1100) off A's starboard beam on the same heading, so A has B on
// its right and B has A on its left. Every round A, then B, orders each of
// its eight gun groups to fire at the other; every bombardment runs frame by
// frame (10 ms frames) through its shots and its attack turn; then the round
// result settles both ships. Each round prints what every group did and the
// state of both ships; the run ends when a ship is lost or after --rounds
// rounds (default 100). The same seed gives the same output.
#include "InspectReport.h"
#include "Registry.h"
#include "SimEngine.h"
#include "campaign/CDX9KelBattleSystem.h"
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

constexpr float kFrameTime = 10.0f;
// Frames one bombardment may take before the run counts it as stuck.
constexpr int kMaxFrames = 100000;

struct DuelShip {
    std::string label;
    GameObjectRecord object;
    Vorna2::CDX9KelSceneObject scene;
    CDX9KelAnimatedModel animated;
    bool animatedLoaded = false;
};

bool SplitPair(const std::string& text, std::string* description, std::string* model) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
    *description = text.substr(0, colon);
    *model = text.substr(colon + 1);
    return true;
}

bool LoadShip(CampaignSim::InspectReport& models, const std::string& root, const std::vector<GunType>& artillery,
              const std::string& pair, DuelShip& ship) {
    std::string description, modelFile;
    if (!SplitPair(pair, &description, &modelFile)) {
        std::fprintf(stderr, "bombard: give ship %s as DESCRIPTION:MODEL, not \"%s\"\n", ship.label.c_str(),
                     pair.c_str());
        return false;
    }
    SetRecordText(ship.object.m_Unit.m_szName, ship.label.c_str());
    SetRecordText(ship.object.m_Unit.m_szModel1, modelFile.c_str());
    SetRecordText(ship.object.m_Unit.m_szDescriptionFile, description.c_str());
    SetRecordText(ship.object.m_Unit.m_szSide, ship.label == "A" ? "SIDE1" : "SIDE2");
    const std::string descPath = root + "Data/Parameters/" + description;
    if (!g_DataIO.LoadGameObjectXML(descPath.c_str(), &ship.object, artillery) || !ship.object.m_pBattleData) {
        std::fprintf(stderr, "bombard: the description %s gives no battle data\n", descPath.c_str());
        return false;
    }
    Vorna2::CDX9KelModel* model = models.LoadModel("Models/Units/", modelFile.c_str());
    if (!model) {
        std::fprintf(stderr, "bombard: the model Models/Units/%s does not load\n", modelFile.c_str());
        return false;
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    model->UpdateFrameMatrices(model->m_pFrameRoot, model->m_pBounds, &identity);
    model->UpdateFrameBoundingBoxes(model->m_pFrameRoot, model->m_pBounds);
    ship.scene.AddModel(model);
    const std::string amd = root + "Data/AnimatedModels/" + CDX9KelAnimatedModel::FileNameFor(modelFile.c_str());
    ship.animatedLoaded = CDX9KelAnimatedModel::CreateAnimatedModel(model, &ship.animated, amd.c_str());
    return true;
}

const char* GroupName(int group) {
    static const char* const names[8] = {"fore tower", "aft tower",  "left bow",    "left middle",
                                         "left stern", "right bow",  "right middle", "right stern"};
    return group >= 0 && group < 8 ? names[group] : "?";
}

const char* DeathName(int kind) {
    switch (kind) {
    case DEATH_DESTRUCTION: return "destroyed";
    case DEATH_FLOOD: return "sunk (flooded)";
    case DEATH_ROLL: return "capsized";
    default: return "afloat";
    }
}

// Runs the battle system's per-frame steps until it is idle again; the
// frames taken, or -1 when it never came back.
int RunUntilIdle(CDX9KelBattleSystem& battle, std::vector<int>* shotResults) {
    for (int frame = 1; frame <= kMaxFrames; ++frame) {
        battle.ProcBombardment();
        if (battle.m_iState == BATTLE_SYSTEM_ATTACK_TURN && shotResults && shotResults->empty())
            *shotResults = battle.m_stdvShotResults;
        battle.ProcAttackTurn(kFrameTime);
        battle.ProcRoundResult();
        if (battle.m_iState == BATTLE_SYSTEM_IDLE) return frame;
    }
    return -1;
}

void PrintShip(const DuelShip& ship) {
    const BattleDataBlock& d = *ship.object.m_pBattleData;
    int fires = 0, holes = 0, shells = 0;
    float water = 0.0f;
    for (const auto* list : {&d.m_stdvMGTowers, &d.m_stdvDesignParts, &d.m_stdvPipes})
        for (const PartRecord& p : *list) {
            fires += p.m_fFireStrength > 0.0f ? 1 : 0;
            holes += static_cast<int>(p.m_stdvHoles.size());
            for (const GunRecord& g : p.m_stdvGuns) shells += g.m_iShells > 0 ? g.m_iShells : 0;
        }
    for (const PartRecord& p : d.m_stdvDesignParts) water += p.m_fWaterWeight;
    const MovementStateRecord* state = ship.object.m_pMovementState.get();
    std::printf("  %s condition %d%% water %.1f flood %d%% heel %.4f speed %.3f fires %d holes %d powder %d shells %d %s\n",
                ship.label.c_str(), CDX9KelBattleSystem::GetConditionPercent(&d), water,
                CDX9KelBattleSystem::GetFloodPercent(&d), state ? state->m_fCrossHeel : 0.0f,
                ship.object.m_pMovement ? ship.object.m_pMovement->m_fSpeedLimit : 0.0f, fires, holes,
                d.m_iGunpowder, shells, DeathName(d.m_iDeathKind));
}

// One ship's turn to fire: every group in order. False when the battle
// system stuck.
bool Fire(CDX9KelBattleSystem& battle, DuelShip& attacker, DuelShip& target, int* gunsFired) {
    for (int group = 0; group < 8; ++group) {
        const int before = CDX9KelBattleSystem::GetConditionPercent(target.object.m_pBattleData.get());
        if (!battle.BeginBombardment(group, &attacker.scene, &attacker.object,
                                     attacker.animatedLoaded ? &attacker.animated : nullptr, &target.scene,
                                     &target.object))
            continue;
        std::vector<int> results;
        const int frames = RunUntilIdle(battle, &results);
        if (frames < 0) {
            std::printf("  %s %s: the battle system did not come back\n", attacker.label.c_str(), GroupName(group));
            return false;
        }
        int fired = 0, hits = 0;
        for (int r : results) {
            fired += r != SHOT_NOT_FIRED ? 1 : 0;
            hits += r == SHOT_HIT ? 1 : 0;
        }
        if (fired == 0) continue;
        *gunsFired += fired;
        const int after = CDX9KelBattleSystem::GetConditionPercent(target.object.m_pBattleData.get());
        std::printf("  %s %s: guns %d fired %d hit %d, %s condition %d%% -> %d%% (%d frames)\n",
                    attacker.label.c_str(), GroupName(group), static_cast<int>(results.size()), fired, hits,
                    target.label.c_str(), before, after, frames);
    }
    return true;
}

} // namespace

CAMPAIGNSIM_COMMAND(bombard, "[--seed S] [--distance M] [--rounds N] [--root FOLDER] [--a DESCRIPTION:MODEL] "
                             "[--b DESCRIPTION:MODEL] [--trace]") {
    bool okSeed = true, okRounds = true, okDistance = true;
    const long long seed = args.GetInt("seed", 1, &okSeed);
    const long long rounds = args.GetInt("rounds", 100, &okRounds);
    const long long distance = args.GetInt("distance", 1100, &okDistance);
    if (!okSeed || !okRounds || !okDistance || seed < 0 || seed > 0xffffffffLL || rounds < 1 || rounds > 100000 ||
        distance < 1 || distance > 100000) {
        std::fprintf(stderr, "bombard: --seed, --rounds and --distance take whole numbers (rounds 1-100000, "
                             "distance 1-100000 metres)\n");
        return 2;
    }
    const std::string root = Platform::WithTrailingSeparator(args.Get("root", Platform::ProgramFolder()));
    Vorna2::g_Log.SetCopyStream(nullptr);
    Vorna2::g_Log.Open();
    g_bBattleSystemTrace = args.Has("trace");

    CampaignSim::SeededRandom random(static_cast<std::uint32_t>(seed));
    Platform::SetRandomSource(&random);
    struct RestoreRandom {
        ~RestoreRandom() {
            Platform::SetRandomSource(nullptr);
            g_bBattleSystemTrace = false;
        }
    } restore;

    auto battle = std::make_unique<CDX9KelBattleSystem>();
    const std::string artilleryPath = root + "Data/Artillery/Artillery.xml";
    if (!g_DataIO.LoadArtillery(artilleryPath.c_str(), &battle->m_stdvArtillery)) {
        std::fprintf(stderr, "bombard: the gun table %s does not read\n", artilleryPath.c_str());
        return 1;
    }
    CampaignSim::InspectReport models(root);
    auto a = std::make_unique<DuelShip>();
    auto b = std::make_unique<DuelShip>();
    a->label = "A";
    b->label = "B";
    if (!LoadShip(models, root, battle->m_stdvArtillery, args.Get("a", "ship_a.xml:c2monitor.x"), *a) ||
        !LoadShip(models, root, battle->m_stdvArtillery, args.Get("b", "ship_b.xml:c2corvette.x"), *b))
        return 1;
    // B off A's starboard beam (the side of A's negated first row).
    D3DXMATRIX place;
    D3DXMatrixIdentity(&place);
    a->scene.SetWorldMatrix(place);
    place._41 = -static_cast<float>(distance) / CDX9KelBattleSystem::kMetresPerUnit;
    b->scene.SetWorldMatrix(place);

    BattleGameObjectList side1{&a->object}, side2{&b->object};
    BattleSceneObjectList scenes1{&a->scene}, scenes2{&b->scene};
    BattleAnimatedModelList models1{a->animatedLoaded ? &a->animated : nullptr};
    BattleAnimatedModelList models2{b->animatedLoaded ? &b->animated : nullptr};
    CDX9KelBattleSystem::MapLists lists;
    lists.m_pGameObjects[0] = &side1;
    lists.m_pGameObjects[1] = &side2;
    lists.m_pSceneObjects[0] = &scenes1;
    lists.m_pSceneObjects[1] = &scenes2;
    lists.m_pAnimatedModels[0] = &models1;
    lists.m_pAnimatedModels[1] = &models2;
    battle->SetMapLists(lists);

    std::printf("bombard seed %lld distance %lld m\n", seed, distance);
    for (const DuelShip* s : {a.get(), b.get()}) {
        const BattleDataBlock& d = *s->object.m_pBattleData;
        int guns = 0;
        for (const auto* list : {&d.m_stdvMGTowers, &d.m_stdvDesignParts}) 
            for (const PartRecord& p : *list) guns += static_cast<int>(p.m_stdvGuns.size());
        std::printf("ship %s %s model %s: towers %zu hull parts %zu pipes %zu guns %d displacement %d animated %s\n",
                    s->label.c_str(), s->object.m_Unit.m_szDescriptionFile, s->object.m_Unit.m_szModel1,
                    d.m_stdvMGTowers.size(), d.m_stdvDesignParts.size(), d.m_stdvPipes.size(), guns,
                    d.m_iDisplacement, s->animatedLoaded ? "yes" : "no");
    }
    // The first settling readies the guns for the first round.
    battle->BeginCalcRoundResult();
    RunUntilIdle(*battle, nullptr);

    int quiet = 0;
    for (long long round = 1; round <= rounds; ++round) {
        std::printf("round %lld\n", round);
        int fired = 0;
        if (!Fire(*battle, *a, *b, &fired) || !Fire(*battle, *b, *a, &fired)) return 1;
        battle->BeginCalcRoundResult();
        if (RunUntilIdle(*battle, nullptr) < 0) {
            std::printf("  the round result did not end\n");
            return 1;
        }
        PrintShip(*a);
        PrintShip(*b);
        const bool lostA = !a->object.m_pBattleData->m_bAlive, lostB = !b->object.m_pBattleData->m_bAlive;
        if (lostA || lostB) {
            for (const DuelShip* s : {a.get(), b.get()})
                if (!s->object.m_pBattleData->m_bAlive)
                    std::printf("result: %s %s in round %lld\n", s->label.c_str(),
                                DeathName(s->object.m_pBattleData->m_iDeathKind), round);
            return 0;
        }
        // Ships that can no longer fire at all end the fight undecided.
        quiet = fired == 0 ? quiet + 1 : 0;
        if (quiet == 3) {
            std::printf("result: no gun fired for three rounds; both afloat after round %lld\n", round);
            return 0;
        }
    }
    std::printf("result: both afloat after %lld rounds\n", rounds);
    return 0;
}
