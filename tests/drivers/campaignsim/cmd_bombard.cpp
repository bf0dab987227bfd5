// campaignsim bombard: two ships fight it out with the campaign's battle
// system, round after round, until one of them is lost.
//
//   campaignsim bombard [--seed S] [--distance M] [--rounds N] [--root FOLDER]
//                       [--a DESCRIPTION:MODEL] [--b DESCRIPTION:MODEL] [--trace]
//                       [--shot FILE [--shot-group G]]
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
//
// --shot FILE keeps the frames of both ships as they stand in the first
// attack turn of the gun group --shot-group (default 0, the fore tower; 2-7
// the hull parts) whose guns fired, at the moment the group has turned to
// its target, prints "shot:" with the group, its turn and how far its first
// gun's barrel points beside the target, and after the fight
// draws that moment (models from the program's folder) on a sea plane from
// above and behind A. Exit code 3 when the picture could not be saved.
#include "InspectReport.h"
#include "Registry.h"
#include "SimEngine.h"
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/ui/UISceneSlots.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"

#include <cmath>
#include <cstdio>
#include <functional>
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
    std::string modelFile;
    GameObjectRecord object;
    Vorna2::CDX9KelSceneObject scene;
    CDX9KelAnimatedModel animated;
    bool animatedLoaded = false;
};

const char* GroupName(int group) {
    static const char* const names[8] = {"fore tower", "aft tower",  "left bow",    "left middle",
                                         "left stern", "right bow",  "right middle", "right stern"};
    return group >= 0 && group < 8 ? names[group] : "?";
}

// The frames' local matrices of a model in the order of its frame tree.
void KeepFrames(const Vorna2::CDX9KelBoundsRecord* record, std::vector<D3DXMATRIX>* out) {
    for (; record; record = record->m_pSibling) {
        out->push_back(record->m_mLocal);
        KeepFrames(record->m_pChild, out);
    }
}

void PutFrames(Vorna2::CDX9KelBoundsRecord* record, const std::vector<D3DXMATRIX>& frames, std::size_t* at) {
    for (; record && *at < frames.size(); record = record->m_pSibling) {
        record->m_mLocal = frames[(*at)++];
        PutFrames(record->m_pChild, frames, at);
    }
}

// The moment the picture shows: both ships' frames and places.
struct Moment {
    bool taken = false;
    std::vector<D3DXMATRIX> frames[2];
    D3DXMATRIX world[2];
};

// The world matrix of `frame` as the model draws it: its local matrix and
// every parent's, then the unit's world. False when the frame is not in
// the tree.
bool WorldOfFrame(const Vorna2::CDX9KelBoundsRecord* record, const Vorna2::CDX9KelBoundsRecord* frame,
                  const D3DXMATRIX& parent, D3DXMATRIX* out) {
    for (; record; record = record->m_pSibling) {
        D3DXMATRIX combined;
        D3DXMatrixMultiply(&combined, &record->m_mLocal, &parent);
        if (record == frame) {
            *out = combined;
            return true;
        }
        if (WorldOfFrame(record->m_pChild, frame, combined, out)) return true;
    }
    return false;
}

D3DXVECTOR3 FlatUnit(float x, float z) {
    const float l = std::sqrt(x * x + z * z);
    return l > 0.0f ? D3DXVECTOR3(x / l, 0.0f, z / l) : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

Vorna2::CDX9KelModel* FirstModel(const DuelShip& ship) {
    return ship.scene.m_Models.empty() ? nullptr : ship.scene.m_Models[0];
}

// Takes the moment when a tower has turned to its target and prints the
// turn and how far the first gun's barrel (its frame's -z, in the world)
// points beside the target.
void TakeMoment(const CDX9KelBattleSystem& battle, int group, const DuelShip& attacker, const DuelShip& target,
                const DuelShip& a, const DuelShip& b, Moment* moment) {
    if (moment->taken || battle.m_iState != BATTLE_SYSTEM_ATTACK_TURN || battle.m_iGunGroup != group ||
        battle.m_iAttackTurnStep < 1 || battle.m_iAttackTurnStep > 4 || !battle.m_pCurrentEntry ||
        !battle.m_pCurrentEntry->m_pFrame || battle.m_pCurrentEntry->m_stdvGuns.empty())
        return;
    const Vorna2::CDX9KelModel* model = FirstModel(attacker);
    const AnimatedGunFrame& gun = battle.m_pCurrentEntry->m_stdvGuns[0];
    if (!model || !gun.m_pFrame) return;
    // The gun's world matrix through the model's frame tree as it is drawn.
    D3DXMATRIX gunWorld;
    if (!WorldOfFrame(model->m_pBounds, gun.m_pFrame, attacker.scene.m_mWorld, &gunWorld)) return;
    const D3DXVECTOR3 barrel = FlatUnit(-gunWorld._31, -gunWorld._33);
    const D3DXVECTOR3 toTarget =
        FlatUnit(target.scene.m_mWorld._41 - gunWorld._41, target.scene.m_mWorld._43 - gunWorld._43);
    const float off = std::acos(std::fmax(-1.0f, std::fmin(1.0f, D3DXVec3Dot(&barrel, &toTarget))));
    std::printf("  shot: %s %s to turn %.3f turned %.3f, first barrel %.3f off the bearing of %s\n",
                attacker.label.c_str(), GroupName(battle.m_iGunGroup), double(battle.m_fAttackTurnAngle),
                double(battle.m_fTurned), double(off), target.label.c_str());
    int i = 0;
    for (const DuelShip* s : {&a, &b}) {
        if (const Vorna2::CDX9KelModel* m = FirstModel(*s)) KeepFrames(m->m_pBounds, &moment->frames[i]);
        moment->world[i] = s->scene.m_mWorld;
        ++i;
    }
    moment->taken = true;
}

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
    ship.modelFile = modelFile;
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
int RunUntilIdle(CDX9KelBattleSystem& battle, std::vector<int>* shotResults,
                 const std::function<void()>& afterTurnStep = nullptr) {
    for (int frame = 1; frame <= kMaxFrames; ++frame) {
        battle.ProcBombardment();
        if (battle.m_iState == BATTLE_SYSTEM_ATTACK_TURN && shotResults && shotResults->empty())
            *shotResults = battle.m_stdvShotResults;
        battle.ProcAttackTurn(kFrameTime);
        if (afterTurnStep) afterTurnStep();
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
bool Fire(CDX9KelBattleSystem& battle, DuelShip& attacker, DuelShip& target, int* gunsFired,
          const std::function<void()>& afterTurnStep) {
    for (int group = 0; group < 8; ++group) {
        const int before = CDX9KelBattleSystem::GetConditionPercent(target.object.m_pBattleData.get());
        if (!battle.BeginBombardment(group, &attacker.scene, &attacker.object,
                                     attacker.animatedLoaded ? &attacker.animated : nullptr, &target.scene,
                                     &target.object))
            continue;
        std::vector<int> results;
        const int frames = RunUntilIdle(battle, &results, afterTurnStep);
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

// Round after round until a ship is lost, the guns fall silent or the
// rounds run out; 1 when the battle system stuck.
int Fight(CDX9KelBattleSystem& battle, DuelShip& shipA, DuelShip& shipB, long long rounds,
          const std::function<void()>& keepA, const std::function<void()>& keepB) {
    DuelShip* a = &shipA;
    DuelShip* b = &shipB;
    int quiet = 0;
    for (long long round = 1; round <= rounds; ++round) {
        std::printf("round %lld\n", round);
        int fired = 0;
        if (!Fire(battle, *a, *b, &fired, keepA) || !Fire(battle, *b, *a, &fired, keepB)) return 1;
        battle.BeginCalcRoundResult();
        if (RunUntilIdle(battle, nullptr) < 0) {
            std::printf("  the round result did not end\n");
            return 1;
        }
        PrintShip(*a);
        PrintShip(*b);
        const bool lostA = !a->object.m_pBattleData->m_bAlive, lostB = !b->object.m_pBattleData->m_bAlive;
        if (lostA || lostB) {
            for (const DuelShip* s : {a, b})
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

// The kept moment drawn: both ships with their frames as they stood, on a
// sea plane, seen from above and behind A.
class ShotScene : public Vorna2::CDX9KelScene {
public:
    ShotScene(const Moment& moment, const std::string& modelA, const std::string& modelB)
        : m_moment(moment), m_models{modelA, modelB} {}

    bool Init() override {
        if (!CDX9KelScene::Init()) return false;
        IDirect3DDevice9* device = GetD3DDevice();
        Vorna2::CDX9KelBaseCamera* camera = m_pCameraManager ? m_pCameraManager->GetActiveCamera() : nullptr;
        if (!device || !camera ||
            !CreateSceneTree(D3DXVECTOR3(-500.0f, -50.0f, -500.0f), D3DXVECTOR3(500.0f, 50.0f, 500.0f), 50.0f, true))
            return false;
        auto* plane = new Vorna2::CDX9KelPLANE();
        const std::string textures = Platform::ProgramFolder() + "Textures/";
        IDirect3DBaseTexture9* sea =
            m_pGrahResManager->CreateTextureFromFile(device, "c2sea_plane.png", textures.c_str(), true, 0, nullptr);
        if (!sea || !plane->Init(device, sea, 240.0f, 0xFFFFFFFFu)) {
            delete plane;
            return false;
        }
        plane->SetName("sea");
        plane->m_pEffect = m_pRenderSystem->LoadEffect(device, "Effects\\c2plane.fx");
        m_pGrahResManager->AddGrapRes(plane);
        for (int i = 0; i < 2; ++i) {
            Vorna2::CDX9KelModel* model =
                LoadModel(("Models\\Units\\" + m_models[i]).c_str(), "Effects\\c2model.fx");
            if (!model) return false;
            std::size_t at = 0;
            PutFrames(model->m_pBounds, m_moment.frames[i], &at);
            const D3DXMATRIX& w = m_moment.world[i];
            if (!CreateSceneObject(model, w._11, w._12, w._13, w._14, w._21, w._22, w._23, w._24, w._31, w._32, w._33,
                                   w._34, w._41, w._42, w._43, w._44))
                return false;
        }
        // Between the ships, seen from above and behind A (its stern lies
        // along its third row).
        const D3DXMATRIX& a = m_moment.world[0];
        const D3DXMATRIX& b = m_moment.world[1];
        const D3DXVECTOR3 look((a._41 + b._41) * 0.5f, 0.0f, (a._43 + b._43) * 0.5f);
        const float span = std::fmax(20.0f, std::hypot(b._41 - a._41, b._43 - a._43));
        camera->m_vLookAt = look;
        camera->m_vEye = look + D3DXVECTOR3(a._31 * 0.9f * span, 0.8f * span, a._33 * 0.9f * span);
        D3DXMatrixLookAtLH(&camera->m_mView, &camera->m_vEye, &camera->m_vLookAt, &camera->m_vUp);
        return true;
    }

private:
    const Moment& m_moment;
    std::string m_models[2];
};

class ShotEngine : public CampaignSim::SimEngine {
public:
    ShotEngine(const CampaignSim::SimOptions& options, ShotScene* scene) : SimEngine(options) {
        // The ships alone: no screens over them.
        Vorna2::RegisterScreenSceneSlot("");
        m_pScene = scene;
    }
};

} // namespace

CAMPAIGNSIM_COMMAND(bombard, "[--seed S] [--distance M] [--rounds N] [--root FOLDER] [--a DESCRIPTION:MODEL] "
                             "[--b DESCRIPTION:MODEL] [--trace] [--shot FILE [--shot-group G]]") {
    bool okSeed = true, okRounds = true, okDistance = true, okGroup = true;
    const long long seed = args.GetInt("seed", 1, &okSeed);
    const long long rounds = args.GetInt("rounds", 100, &okRounds);
    const long long distance = args.GetInt("distance", 1100, &okDistance);
    const long long shotGroup = args.GetInt("shot-group", 0, &okGroup);
    if (!okGroup || shotGroup < 0 || shotGroup > 7) {
        std::fprintf(stderr, "bombard: --shot-group takes a gun group 0-7\n");
        return 2;
    }
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

    const std::string shot = args.Get("shot");
    Moment moment;
    const auto keepA = [&] {
        if (!shot.empty()) TakeMoment(*battle, static_cast<int>(shotGroup), *a, *b, *a, *b, &moment);
    };
    const auto keepB = [&] {
        if (!shot.empty()) TakeMoment(*battle, static_cast<int>(shotGroup), *b, *a, *a, *b, &moment);
    };
    const int result = Fight(*battle, *a, *b, rounds, keepA, keepB);
    if (result != 0 || shot.empty()) return result;
    if (!moment.taken) {
        std::printf("shot: no tower turned to fire\n");
        return 3;
    }
    CampaignSim::SimOptions options;
    options.frames = 2;
    options.picture = shot;
    bool saved = false;
    {
        ShotEngine engine(options, new ShotScene(moment, a->modelFile, b->modelFile));
        saved = engine.Run() && engine.PictureSaved();
        Vorna2::g_Log.Close();
    }
    std::fflush(stdout);
    return saved ? 0 : 3;
}

