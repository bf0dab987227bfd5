// battlesim motion [--seed S] [--seconds T] [--step-ms 60] [--tracks FILE.csv]
//                  [--out DIR] [--dump]
// The battle program's game with a battle on the animated sea: one player
// with a lone ship and a column of three (the demo cruiser's hull and
// motion values), formed by the player's director from where they stand,
// the battle started on the demo's battle screen as the game manager starts
// it (game speed 1.0, the battle clock from now), and the real physics on
// the virtual clock. Orders on the battle clock: the lone ship goes full
// ahead, at 60 s puts its rudder over to starboard, at 75 s steers a course
// due west; the column is given a route speed and a target point at once.
// Prints the facts of the run (speeds reached, the turn, the course held,
// the column's closest approach to its point and its gaps, whether every
// value stayed a number) and the hash of the tracks; --tracks writes them as
// CSV, one line a second: t, then x, z, heading and speed of each ship.
// Exit 0 when the battle ran and everything stayed a number.
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr const char* kBattleScreen = "battle_game";
constexpr const char* kPlayer = "Red";
constexpr float kFullSpeed = 9.0f;      // m/s, the cruiser's top speed
constexpr float kTurnRudder = 0.35f;    // rad, to starboard
constexpr float kColumnSpeed = 6.0f;    // m/s
constexpr float kTargetX = 55.0f, kTargetZ = 30.0f;
constexpr DWORD kTurnAt = 60000, kCourseAt = 75000;
constexpr float kPi = 3.14159265f;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim motion: %s\n", message.c_str());
    return 2;
}

// The demo cruiser's movement object, as its file gives it.
void CruiserMotion(CVR3GAMEMovementShip& m) {
    m.m_fMass = 1400.0f;
    m.m_fMaxSpeedXML = m.m_fMaxSpeed = 9.0f;
    m.m_fMinSpeedXML = m.m_fMinSpeed = 3.0f;
    m.m_fMaxRotAngle = 0.15f;
    m.m_fMaxDraughtForce = m.m_fMaxForce = 700.0f;
    m.m_fMaxDraughtForceInstTime = 10.0f;
    m.m_vDraughtForcePosition = D3DXVECTOR3(0.0f, -0.35f, -4.4f);
}

float Heading(const CVR3GAMEMovementShip* m) {
    const D3DXMATRIX* w = m->GetWorldMatrix();
    return w ? std::atan2(w->_31, w->_33) : 0.0f;
}

float AngleDiff(float a, float b) {
    float d = std::fmod(a - b, 2.0f * kPi);
    if (d > kPi) d -= 2.0f * kPi;
    if (d < -kPi) d += 2.0f * kPi;
    return d;
}

// The battle set up in the running game.
class MotionBattle {
public:
    explicit MotionBattle(VornaTest::GameSession& session) : m_session(session) {}

    bool Build(std::string& error) {
        CScene* scene = m_session.Scene();
        CVR3GAMEManager& manager = CVR3GAMEManager::Get();
        m_pMap = manager.GetBattleMap();
        if (!scene || !m_pMap || manager.GetScene() != scene) return Err(error, "the game manager has no battle map");
        // The map's octree, sea and sky, the way a battle map file sets them.
        const D3DXVECTOR3 lo(-400.0f, -60.0f, -400.0f), hi(400.0f, 60.0f, 400.0f);
        if (!scene->CreateSceneTree("Battle", &lo, &hi, false, 50.0f)) return Err(error, "no scene tree");
        CVR3GAMEBaseMap& base = m_pMap->m_BaseMap;
        base.m_strName = "Motion";
        base.m_iSceneTreeIndex = static_cast<int32_t>(scene->m_vSceneTrees.size()) - 1;
        base.m_vMinBorders = lo;
        base.m_vMaxBorders = hi;
        base.m_vStartLookAt = D3DXVECTOR3(0.0f, 0.0f, 10.0f);
        base.m_fDistance = 60.0f;
        if (!MakeEnvironment(scene, error)) return false;
        m_pMap->ActivateMapScene();

        // One player: a lone ship to port, a column of three in line ahead
        // to starboard, all heading north.
        m_pPlayer = m_pMap->CreatePlayer(&m_strPlayer);
        if (!m_pPlayer) return Err(error, "no player");
        m_io.m_pScene = scene;
        m_io.m_pBattleMap = m_pMap;
        m_io.InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), m_session.DataFolder());
        const struct {
            const char* name;
            float x, z;
        } ships[] = {{"Lone", -40.0f, 0.0f}, {"Van", 40.0f, 0.0f}, {"Centre", 40.0f, -12.0f}, {"Rear", 40.0f, -24.0f}};
        for (const auto& s : ships)
            if (!AddShip(scene, s.name, s.x, s.z, error)) return false;
        if (!m_pMap->CreateComputer(&m_strPlayer)) return Err(error, "no director");
        for (CVR3GAMEBattleMapShipsColumn* c : m_pPlayer->m_stdvColumns) {
            if (!c || c->m_stdvBattleShips.empty()) continue;
            if (c->m_stdvBattleShips.size() == 1) m_pLone = c;
            else m_pLine = c;
        }
        if (!m_pLone || !m_pLine || m_pLine->m_stdvBattleShips.size() != 3)
            return Err(error, "the ships did not form a lone ship and a column of three");
        if (!manager.StartBattle(kBattleScreen)) return Err(error, "the battle did not start on its screen");
        m_pLone->SetSpeed(kFullSpeed, false);
        m_pLine->SetRouteSpeed(kColumnSpeed);
        m_pLine->SetTargetPoint(kTargetX, kTargetZ);
        return true;
    }

    // One frame of the game, with the orders due on the battle clock.
    void Frame() {
        const DWORD now = m_pMap->m_GameTimer.m_dwGameTime;
        CVR3GAMEMovementShip* lone = m_pLone->GetLeader();
        if (!m_bTurned && now >= kTurnAt) {
            m_bTurned = true;
            m_fMaxLoneSpeed = m_fMaxLoneSpeedSoFar;
            m_pLone->SetRudder(kTurnRudder);
        }
        if (!m_bCourse && now >= kCourseAt) {
            m_bCourse = true;
            m_pLone->SetRudder(0.0f);
            m_pLone->SetRouteSpeed(kFullSpeed);
            m_pLone->SetCourse(-1.0f, 0.0f);
        }
        const float before = Heading(lone);
        m_session.Frame(false);
        if (!m_bTurned) m_fMaxLoneSpeedSoFar = std::fmax(m_fMaxLoneSpeedSoFar, lone->m_fSpeed);
        // The turn, summed frame by frame so a turn past half a circle reads
        // as what it is (positive to starboard).
        if (m_bTurned && !m_bCourse) m_fTurned += AngleDiff(Heading(lone), before);
        const DWORD after = m_pMap->m_GameTimer.m_dwGameTime;
        if (after / 1000 != m_dwLastTrackSecond || m_tracks.empty()) {
            m_dwLastTrackSecond = after / 1000;
            Track(after);
        }
        const D3DXMATRIX* van = m_pLine->GetLeader()->GetWorldMatrix();
        if (van) m_fClosest = std::fmin(m_fClosest, std::hypot(van->_41 - kTargetX, van->_43 - kTargetZ));
        if (after >= 120000) {
            const auto& line = m_pLine->m_stdvBattleShips;
            for (std::size_t i = 1; i < line.size(); ++i) {
                const D3DXMATRIX& a = line[i - 1]->m_pSceneObject->m_mWorld;
                const D3DXMATRIX& b = line[i]->m_pSceneObject->m_mWorld;
                const float gap = std::hypot(a._41 - b._41, a._43 - b._43);
                m_fMinGap = std::fmin(m_fMinGap, gap);
                m_fMaxGap = std::fmax(m_fMaxGap, gap);
            }
        }
    }

    void PrintFacts() const {
        const CVR3GAMEMovementShip* lone = m_pLone->GetLeader();
        std::printf("battle_clock_ms %u\n", static_cast<unsigned>(m_pMap->m_GameTimer.m_dwGameTime));
        std::printf("lone_ordered_speed %.3f\n", kFullSpeed);
        std::printf("lone_top_speed %.3f\n", m_fMaxLoneSpeed);
        std::printf("lone_turned %.3f\n", m_fTurned);
        std::printf("lone_course_error %.3f\n", std::fabs(AngleDiff(Heading(lone), -kPi / 2.0f)));
        std::printf("lone_speed %.3f\n", lone->m_fSpeed);
        std::printf("column_closest_approach %.3f\n", m_fClosest);
        std::printf("column_gap %.3f %.3f\n", m_fMinGap, m_fMaxGap);
        std::printf("finite %d\n", m_bFinite ? 1 : 0);
    }

    bool Finite() const { return m_bFinite; }
    std::string TracksCsv() const { return m_tracks; }

private:
    static bool Err(std::string& error, const char* what) {
        error = what;
        return false;
    }

    bool MakeEnvironment(CScene* scene, std::string& error) {
        Vorna3D::CDX9KelGraphicsResManager* grm = scene->GetGraphicsResManager();
        if (!grm || !grm->m_pGraphObjectManager) return Err(error, "no graphic-objects manager");
        auto water = std::make_unique<Vorna3D::CDX9KelOceanWater>();
        auto sky = std::make_unique<Vorna3D::CVR3SkyArch>();
        const std::string bin = Platform::ProgramFolder();
        water->m_pResManager = sky->m_pResManager = grm;
        water->m_strTextureFolder = sky->m_strTextureFolder = bin + "Textures/Environment/";
        water->m_strEffectFolder = sky->m_strEffectFolder = bin + "Effects/Environment/";
        if (!water->Init(scene->GetDevice(), scene->m_pRenderSystem, false)) return Err(error, "no ocean water");
        if (!sky->Init(scene->m_pCameraManager, scene->GetDevice())) return Err(error, "no sky arch");
        auto* env = new CVR3GAMEMapBaseEnvironment;
        env->m_strName = "motion";
        env->m_pWater = water.get();
        env->m_pSky = sky.get();
        env->m_pGraphicObjects = grm->m_pGraphObjectManager;
        env->m_pLight = scene->m_pLightManager ? scene->m_pLightManager->GetFirstLight() : nullptr;
        env->m_vDirection = D3DXVECTOR3(0.5f, -0.6f, 0.4f);
        env->m_Diffuse = D3DXCOLOR(1.0f, 0.95f, 0.9f, 1.0f);
        env->m_Ambient = D3DXCOLOR(0.55f, 0.55f, 0.6f, 1.0f);
        env->m_SunColor = D3DXCOLOR(0.3f, 0.2f, 0.1f, 0.1f);
        env->m_fSunPosAlpha = 3.8f;
        env->m_fSunPosTheta = 0.25f;
        env->m_fSunShininess = -1.0f;
        env->m_fSunStrength = -1.0f;
        env->m_fUnderWaterFogDistance = 2.0f;
        env->m_fReflectionFogDistance = 0.1f;
        m_pMap->m_BaseMap.m_pEnvironment = env;
        if (!grm->AddGraphicObject(water.release()) || !grm->AddGraphicObject(sky.release()))
            return Err(error, "the sea and sky were refused");
        return true;
    }

    bool AddShip(CScene* scene, const char* name, float x, float z, std::string& error) {
        Vorna3D::CDX9KelSceneObject* object = m_io.CreateSceneObjectFromFile("cruiser.scobjxml");
        if (!object) return Err(error, "the cruiser's scene object did not load");
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, x, 0.0f, z);
        object->SetTransform(&world);
        auto* ship = new CVR3GAMEBattleMapShip;
        ship->m_strName = name;
        ship->m_pSceneObject = object;
        ship->m_pMovementShip = new CVR3GAMEMovementShip;
        ship->m_pMovementShip->m_strName = "cruiser.movobjxml";
        CruiserMotion(*ship->m_pMovementShip);
        ship->m_pAnimatedShip = new CVR3GAMEAnimatedShip;
        ship->m_pBattleShip = new CVR3GAMEBattleSystemShip; // no damage model: motion only
        ship->m_pBattleShip->Name = name;
        ship->m_pArtilleryShip = new CVR3GAMEArtilleryShip;
        ship->m_pInfoShip = new CVR3GAMEInformationShip;
        if (!ship->Init(scene, true)) {
            ship->Release();
            delete ship;
            if (object->m_iTreeIndex == -1) m_io.DeleteSceneObject(object);
            return Err(error, "a ship did not initialise");
        }
        if (!m_pPlayer->AddBattleMapShip(ship)) {
            ship->Release();
            delete ship;
            return Err(error, "the player refused a ship");
        }
        m_order.push_back(ship);
        return true;
    }

    void Track(DWORD ms) {
        std::ostringstream line;
        line.precision(3);
        line << std::fixed << ms / 1000.0;
        for (const CVR3GAMEBattleMapShip* s : m_order) {
            const D3DXMATRIX& w = s->m_pSceneObject->m_mWorld;
            const CVR3GAMEMovementShip* m = s->m_pMovementShip;
            const float values[4] = {w._41, w._43, Heading(m), m->m_fSpeed};
            for (float v : values) {
                m_bFinite = m_bFinite && std::isfinite(v);
                line << ',' << v;
            }
        }
        m_tracks += line.str() + "\n";
    }

    VornaTest::GameSession& m_session;
    CVR3GAMEIO m_io;
    CVR3GAMEBattleMap* m_pMap = nullptr;
    CVR3GAMEBattleMapPlayer* m_pPlayer = nullptr;
    const std::string m_strPlayer = kPlayer;
    std::vector<CVR3GAMEBattleMapShip*> m_order;
    CVR3GAMEBattleMapShipsColumn* m_pLone = nullptr;
    CVR3GAMEBattleMapShipsColumn* m_pLine = nullptr;
    bool m_bTurned = false, m_bCourse = false, m_bFinite = true;
    float m_fMaxLoneSpeedSoFar = 0.0f, m_fMaxLoneSpeed = 0.0f, m_fTurned = 0.0f;
    float m_fClosest = 1e30f, m_fMinGap = 1e30f, m_fMaxGap = 0.0f;
    DWORD m_dwLastTrackSecond = 0;
    std::string m_tracks;
};

int RunMotion(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--seed", true},
                        {"--seconds", true},
                        {"--step-ms", true},
                        {"--tracks", true},
                        {"--out", true},
                        {"--dump", false}},
                       error))
        return Fail(error);
    long seed = 1, seconds = 240, step = 60;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--seconds", 100, 3600, 240, seconds, error) ||
        !options.GetLong("--step-ms", 1, 60, 60, step, error))
        return Fail(error);

    VornaTest::GameSession::Options start;
    start.dataFolder = options.Has("--out") ? options.Get("--out")
                                            : Vorna3D::CDX9KelEngine::DetermineDataFolder(
                                                  Platform::ProgramFolder(), Platform::CommonDocumentsFolder());
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    std::string csv, dump;
    {
        MotionBattle battle(session);
        if (ok && !battle.Build(error)) ok = false;
        if (ok) {
            const long frames = seconds * 1000 / step;
            for (long f = 0; f < frames; ++f) battle.Frame();
            battle.PrintFacts();
            csv = battle.TracksCsv();
            ok = battle.Finite();
            if (options.Has("--dump")) dump = StateDump(session);
        }
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    if (!csv.empty()) std::printf("tracks_hash %s\n", TextHash(csv).c_str());
    if (!dump.empty()) std::printf("%shash %s\n", dump.c_str(), TextHash(dump).c_str());
    std::fflush(stdout);
    if (options.Has("--tracks") && !csv.empty()) {
        std::ofstream out(options.Get("--tracks"), std::ios::binary);
        out << "t";
        for (const char* n : {"lone", "van", "centre", "rear"})
            for (const char* f : {"x", "z", "heading", "speed"}) out << ',' << n << '_' << f;
        out << "\n" << csv;
        if (!out) return Fail("cannot write " + options.Get("--tracks"));
    }
    if (!error.empty()) return Fail(error);
    if (!ok) return Fail("the battle did not run cleanly");
    return report.errors ? 1 : 0;
}

const CommandRegistration kMotion("motion",
                                  "[--seed S] [--seconds T] [--step-ms 60] [--tracks FILE.csv] [--out DIR] [--dump]",
                                  &RunMotion);

} // namespace

} // namespace BattleSim
