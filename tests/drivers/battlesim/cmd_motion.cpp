// battlesim motion [--seed S] [--seconds T] [--step-ms 16] [--tracks FILE.csv]
//                  [--out DIR] [--dump]
// The battle program's game with a battle on the animated sea: one player
// with a lone ship and a column of three demo cruisers, read by the game's
// readers, formed by the player's director from where they stand,
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
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <tinyxml.h>

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
constexpr const char* kGunList = "demo_guns.artlstxml";
// The battle map as a file would give it: its base (octree, camera start,
// the demo sea) and four demo cruisers where they stand.
constexpr const char* kMapText = R"(<BattleMap>
  <BaseMap>
    <Name>Motion</Name>
    <MinBorders x="-400" y="-60" z="-400"/>
    <MaxBorders x="400" y="60" z="400"/>
    <NodeSize>50</NodeSize>
    <ActiveCamera><StartLookAt x="0" y="0" z="10"/><Distance>60</Distance></ActiveCamera>
    <Environment><File>demo_sea.mapenvxml</File></Environment>
  </BaseMap>
  <Ship name="Lone"><SceneObjectWorld><Position x="-40" y="0" z="0"/></SceneObjectWorld>
    <SceneObjectFile>cruiser.scobjxml</SceneObjectFile><MovementObjectFile>cruiser.movobjxml</MovementObjectFile>
    <AnimatedObjectFile>cruiser.anmobjxml</AnimatedObjectFile><BattleObjectFile>cruiser.btlobjxml</BattleObjectFile>
    <ArtilleryObjectFile>cruiser.artobjxml</ArtilleryObjectFile><InfoObjectFile>cruiser.infobjxml</InfoObjectFile></Ship>
  <Ship name="Van"><SceneObjectWorld><Position x="40" y="0" z="0"/></SceneObjectWorld>
    <SceneObjectFile>cruiser.scobjxml</SceneObjectFile><MovementObjectFile>cruiser.movobjxml</MovementObjectFile>
    <AnimatedObjectFile>cruiser.anmobjxml</AnimatedObjectFile><BattleObjectFile>cruiser.btlobjxml</BattleObjectFile>
    <ArtilleryObjectFile>cruiser.artobjxml</ArtilleryObjectFile><InfoObjectFile>cruiser.infobjxml</InfoObjectFile></Ship>
  <Ship name="Centre"><SceneObjectWorld><Position x="40" y="0" z="-12"/></SceneObjectWorld>
    <SceneObjectFile>cruiser.scobjxml</SceneObjectFile><MovementObjectFile>cruiser.movobjxml</MovementObjectFile>
    <AnimatedObjectFile>cruiser.anmobjxml</AnimatedObjectFile><BattleObjectFile>cruiser.btlobjxml</BattleObjectFile>
    <ArtilleryObjectFile>cruiser.artobjxml</ArtilleryObjectFile><InfoObjectFile>cruiser.infobjxml</InfoObjectFile></Ship>
  <Ship name="Rear"><SceneObjectWorld><Position x="40" y="0" z="-24"/></SceneObjectWorld>
    <SceneObjectFile>cruiser.scobjxml</SceneObjectFile><MovementObjectFile>cruiser.movobjxml</MovementObjectFile>
    <AnimatedObjectFile>cruiser.anmobjxml</AnimatedObjectFile><BattleObjectFile>cruiser.btlobjxml</BattleObjectFile>
    <ArtilleryObjectFile>cruiser.artobjxml</ArtilleryObjectFile><InfoObjectFile>cruiser.infobjxml</InfoObjectFile></Ship>
</BattleMap>)";
constexpr const char* kPlayer = "Red";
constexpr float kFullSpeed = 9.0f;      // m/s, the demo cruiser's top speed
constexpr float kTurnRudder = 0.35f;    // rad, to starboard
constexpr float kColumnSpeed = 6.0f;    // m/s
constexpr float kTargetX = 55.0f, kTargetZ = 30.0f;
constexpr DWORD kTurnAt = 60000, kCourseAt = 75000;
constexpr float kPi = 3.14159265f;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim motion: %s\n", message.c_str());
    return 2;
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
        // The map and its ships come through the game's readers from the
        // demo's own files, as a battle map file would name them.
        m_io.m_pScene = scene;
        m_io.m_pBattleMap = m_pMap;
        m_io.InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), m_session.DataFolder());
        if (!m_io.LoadBattleArtilleryList(kGunList)) return Err(error, "the gun list did not load");
        TiXmlDocument doc;
        doc.Parse(kMapText);
        const TiXmlElement* root = doc.RootElement();
        if (!root || !m_io.LoadBaseMapFromXML(&m_pMap->m_BaseMap, root->FirstChildElement("BaseMap"), nullptr))
            return Err(error, "the map's base did not load");
        m_pMap->ActivateMapScene();
        // One player: a lone ship to port, a column of three in line ahead
        // to starboard, all heading north.
        m_pPlayer = m_pMap->CreatePlayer(&m_strPlayer);
        if (!m_pPlayer) return Err(error, "no player");
        for (const TiXmlElement* e = root->FirstChildElement("Ship"); e; e = e->NextSiblingElement("Ship"))
            if (!m_io.CreateBattleShipForPlayerFromXML(e, m_pPlayer)) return Err(error, "a ship did not load");
        m_order = m_pPlayer->m_stdvBattleShips;
        if (!m_pMap->CreateComputer(&m_strPlayer)) return Err(error, "no director");
        for (CVR3GAMEBattleMapShipsColumn* c : m_pPlayer->m_stdvColumns) {
            if (!c || c->m_stdvBattleShips.empty()) continue;
            if (c->m_stdvBattleShips.size() == 1) m_pLone = c;
            else m_pLine = c;
        }
        if (m_order.size() != 4 || !m_pLone || !m_pLine || m_pLine->m_stdvBattleShips.size() != 3)
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
    std::vector<CVR3GAMEBattleMapShip*> m_order; // the player's ships as read
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
    long seed = 1, seconds = 240, step = 16;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--seconds", 100, 3600, 240, seconds, error) ||
        !options.GetLong("--step-ms", 1, 60, 16, step, error))
        return Fail(error);

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
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
                                  "[--seed S] [--seconds T] [--step-ms 16] [--tracks FILE.csv] [--out DIR] [--dump]",
                                  &RunMotion);

} // namespace

} // namespace BattleSim
