// battlesim battle <map file> --script FILE [--frames N] [--report-every N]
//                  [--shot PNG] [--seed S] [--minutes M] [--out DIR]
// (also without --script when --shot is given)
// The battle map is loaded with the real battle screen and the human
// player's HUD, then the script's keys and clicks are played into the game
// frame after frame, as a hand would give them. The frames run to the
// script's last frame plus one second, or to N. Every `--report-every`
// frames, and after the last one, the HUD is reported ("hud ..." lines: the
// commanded ship and its orders, the time speed, the panels, the log box,
// the popups, the markers, the icons and every HUD dialog's place). --shot
// saves the last frame's picture. Exit 0 when the run ended and the log
// holds no errors.
#include "HudBattle.h"

#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/ui/gui3d/CVR3GUI3DDialog.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/shell/CScene.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;

constexpr const char* kBattleScreen = "battle_game";
constexpr const char* kGunList = "demo_guns.artlstxml";

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim battle: %s\n", message.c_str());
    return 2;
}

std::string Text(const Vorna3D::CDX9KelSGUIText* t) { return t ? t->GetText() : std::string("(none)"); }

// Heading of a world matrix's forward axis in degrees: 0 along +z, 90 along +x.
double Heading(const D3DXMATRIX& m) { return std::atan2(m._31, m._33) * 57.29578; }

// The pixel a world point is drawn at, through the active camera.
bool Project(Vorna3D::CDX9KelScene* scene, const D3DXMATRIX& world, int& x, int& y) {
    const Vorna3D::CDX9KelBaseCamera* camera =
        scene && scene->m_pCameraManager ? scene->m_pCameraManager->m_pActiveCamera : nullptr;
    if (!camera) return false;
    const D3DXMATRIX& vp = camera->m_mViewProjection;
    const float px = world._41, py = world._42 + 1.0f, pz = world._43;
    const float cx = px * vp._11 + py * vp._21 + pz * vp._31 + vp._41;
    const float cy = px * vp._12 + py * vp._22 + pz * vp._32 + vp._42;
    const float cw = px * vp._14 + py * vp._24 + pz * vp._34 + vp._44;
    if (!(cw > 0.0f)) return false;
    x = static_cast<int>((cx / cw * 0.5f + 0.5f) * scene->GetWidth());
    y = static_cast<int>((0.5f - cy / cw * 0.5f) * scene->GetHeight());
    return true;
}

void Report(VornaTest::GameSession& session, CVR3GAMEBattleMapPlayerDirectorHuman* hud, long frame) {
    CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap();
    std::printf("hud frame %ld clock_ms %u time_speed %.1f\n", frame, static_cast<unsigned>(map->m_GameTimer.m_dwGameTime),
                map->m_GameTimer.m_fSpeed);
    std::printf("hud selected %d page %d position %d\n", hud->m_iSelectedShip, hud->m_iSelectedPage,
                hud->m_iSelectedPosition);
    if (const CVR3GAMEBattleMapShip* s = hud->GetSelectedShip()) {
        const CVR3GAMEMovementShip* m = s->m_pMovementShip;
        std::printf("hud ship \"%s\" speed %.2f ordered %.2f column_ordered %.2f column_max %.2f rudder %.3f "
                    "ordered_rudder %.3f heading %.1f fire %d\n",
                    s->m_strName.c_str(), m ? m->m_fSpeed : 0.0f, m ? m->m_fOrderedSpeed : 0.0f,
                    s->m_pColumn ? s->m_pColumn->m_fOrderedSpeed : 0.0f, s->m_pColumn ? s->m_pColumn->m_fMaxSpeed : 0.0f,
                    m ? m->m_fRudderAngle : 0.0f, m ? m->m_fOrderedRudderAngle : 0.0f,
                    s->m_pSceneObject ? Heading(s->m_pSceneObject->m_mWorld) : 0.0,
                    s->m_pArtilleryShip ? (s->m_pArtilleryShip->m_bFireEnabled ? 1 : 0) : -1);
    }
    std::printf("hud controls time_item %d speed_item %d rudder_bar %d fire_item %d icons_page %d\n",
                hud->m_pTimeSpeedCheck ? hud->m_pTimeSpeedCheck->GetSelected() : -9,
                hud->m_pMovSpeedCheck ? hud->m_pMovSpeedCheck->GetSelected() : -9,
                hud->m_pRuleBar ? hud->m_pRuleBar->GetPosition() : -99,
                hud->m_pArtilleryFireCheck ? hud->m_pArtilleryFireCheck->GetSelected() : -9,
                hud->m_pIconsCheck ? hud->m_pIconsCheck->GetSelected() : -9);
    std::printf("hud texts timer \"%s\" name \"%s\" speed \"%s\" damage \"%s\" guns \"%s\" \"%s\" displacement \"%s\"\n",
                Text(hud->m_pTimer).c_str(), Text(hud->m_pShipName).c_str(), Text(hud->m_pCurrentSpeed).c_str(),
                Text(hud->m_pDamage).c_str(), Text(hud->m_pGunsCount[0]).c_str(), Text(hud->m_pGunsName[0]).c_str(),
                Text(hud->m_pDisplacement).c_str());
    std::printf("hud log shown %d player \"%s\" report \"%s\" entries %zu lost %d leave %d finished %d\n",
                hud->m_pDialogMapLog && hud->m_pDialogMapLog->IsVisible() ? 1 : 0, Text(hud->m_pLogPlayer).c_str(),
                Text(hud->m_pLogReport).c_str(), CVR3GAMEBattleLog::Get().GetCount(), hud->m_bPlayerLost ? 1 : 0,
                hud->m_bLeaveBattle ? 1 : 0, hud->m_bFinished ? 1 : 0);
    std::printf("hud popup player %d enemy %d hover %d %d cursor %d text \"%s\" \"%s\" accuracy \"%s\"\n",
                hud->m_pDialogPlayerPopUp && hud->m_pDialogPlayerPopUp->IsVisible() ? 1 : 0,
                hud->m_pDialogEnemyPopUp && hud->m_pDialogEnemyPopUp->IsVisible() ? 1 : 0, hud->m_iHoverPlayerShip,
                hud->m_iHoverEnemyShip, session.Scene()->m_iCurrentCursor, Text(hud->m_pPlayerPopUpName).c_str(),
                Text(hud->m_pEnemyPopUpName).c_str(), Text(hud->m_pEnemyPopUpAccuracy).c_str());
    auto markers = [](const char* kind, const std::vector<Vorna3D::CVR3GUI3DDialog*>& v) {
        for (size_t i = 0; i < v.size(); ++i) {
            const Vorna3D::CVR3GUI3DDialog* d = v[i];
            if (!d || !d->m_bVisible) continue;
            std::printf("hud marker %s %zu \"%s\" over %.1f %.1f\n", kind, i, d->m_strName.c_str(),
                        d->m_pAttached ? d->m_pAttached->m_mWorld._41 : 0.0f,
                        d->m_pAttached ? d->m_pAttached->m_mWorld._43 : 0.0f);
        }
    };
    markers("active", hud->m_stdvPlayerActiveMarkers);
    markers("passive", hud->m_stdvPlayerPassiveMarkers);
    for (const auto& v : hud->m_stdvEnemyMarkers) markers("enemy", v);
    for (int p = 0; p < CVR3GAMEBattleMapPlayerDirectorHuman::kPages; ++p) {
        const Vorna3D::CDX9KelSGUIControlScrollCheckList* list = hud->m_pIcons[p];
        if (!list) continue;
        std::printf("hud icons %d items %zu selected %d visible %d\n", p + 1, list->m_vItems.size(),
                    list->GetSelected(), hud->m_pDialogIconsPage[p] && hud->m_pDialogIconsPage[p]->IsVisible() ? 1 : 0);
    }
    size_t flood = 0, fire = 0;
    for (auto* l : hud->m_stdvFloodLamps) flood += l && l->IsVisible();
    for (auto* l : hud->m_stdvFireLamps) fire += l && l->IsVisible();
    std::printf("hud lamps flood %zu fire %zu\n", flood, fire);
    for (const CVR3GAMEBattleMapPlayer* p : map->GetPlayers()) {
        if (!p) continue;
        for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips) {
            int x = -1, y = -1;
            if (!s || !s->m_pSceneObject || !Project(session.Scene(), s->m_pSceneObject->m_mWorld, x, y)) continue;
            std::printf("hud at \"%s\" %d %d\n", s->m_strName.c_str(), x, y);
        }
    }
    if (frame < 0 && hud->m_pMapScreen) {
        for (const Vorna3D::CVR3CIIScreenDialogEntry* e : hud->m_pMapScreen->GetDialogEntries()) {
            if (!e || !e->pDialog) continue;
            const RECT& r = e->pDialog->GetRect();
            std::printf("dialog %s %ld %ld %ld %ld visible %d\n", e->pDialog->GetName().c_str(), static_cast<long>(r.left),
                        static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                        static_cast<long>(r.bottom - r.top), e->pDialog->IsVisible() ? 1 : 0);
        }
    }
}

CVR3GAMEBattleMapPlayerDirectorHuman* FindHuman(CVR3GAMEBattleMap* map) {
    for (CVR3GAMEBattleMapPlayerDirector* d : map->GetDirectors())
        if (auto* h = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(d)) return h;
    return nullptr;
}

} // namespace

bool WantsHudBattle(const std::vector<std::string>& words) {
    for (const std::string& w : words)
        if (w == "--script" || w == "--shot" || w == "--report-every") return true;
    return false;
}

int RunHudBattle(const std::vector<std::string>& words) {
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("the map file comes first");
    const std::string mapFile = words.front();
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--script", true},
                        {"--frames", true},
                        {"--report-every", true},
                        {"--shot", true},
                        {"--seed", true},
                        {"--minutes", true},
                        {"--out", true}},
                       error))
        return Fail(error);
    long seed = 1, frames = 0, every = 0, minutes = 0;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--frames", 1, 1000000, 0, frames, error) ||
        !options.GetLong("--report-every", 1, 1000000, 0, every, error) ||
        !options.GetLong("--minutes", 1, 600, 0, minutes, error))
        return Fail(error);
    Script script;
    if (options.Has("--script") && !ScriptReader::ReadFile(options.Get("--script"), script, error)) return Fail(error);
    if (frames == 0) frames = (script.actions.empty() ? 0 : script.actions.back().frame) + 50;

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.stepMs = 20;
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    if (!ok) error = "the game did not start";
    CVR3GAMEBattleMapPlayerDirectorHuman* hud = nullptr;
    if (ok) {
        CVR3GAMEManager& manager = CVR3GAMEManager::Get();
        CVR3GAMEBattleMap* map = manager.GetBattleMap();
        CVR3GAMEIO io;
        io.m_pScene = session.Scene();
        io.m_pBattleMap = map;
        io.InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), session.DataFolder());
        CVR3GAMEBattleLog::Get().Clear();
        // The human's HUD binds to the battle screen while the map is read.
        map->m_pBattleScreen = session.Screens() ? session.Screens()->FindScreen(kBattleScreen) : nullptr;
        if (!map->m_pBattleScreen || !io.LoadBattleArtilleryList(kGunList)) {
            ok = false;
            error = "no battle screen or no gun list";
        } else if (!io.LoadBattleMapFromFile(mapFile.c_str(), false, nullptr)) {
            ok = false;
            error = "the map did not load: " + mapFile;
        } else {
            if (minutes > 0) map->m_iTimeLimit = static_cast<int32_t>(minutes);
            hud = FindHuman(map);
            if (!hud) {
                ok = false;
                error = "the map has no human player";
            } else if (!manager.StartBattle(kBattleScreen) || !map->InitDirectorsBehaviours()) {
                ok = false;
                error = "the battle did not start";
            } else {
                // As the game does once a battle map is up.
                manager.StartMapSounds();
            }
        }
        ScriptPlayer player(script);
        for (long f = 1; ok && f <= frames; ++f) {
            if (!player.BeforeFrame(session, f, error)) {
                ok = false;
                break;
            }
            const bool last = f == frames;
            if (last && options.Has("--shot")) session.TakePicture(options.Get("--shot"));
            session.Frame(last && options.Has("--shot"));
            if (every > 0 && f % every == 0 && !last) Report(session, hud, f);
        }
        if (ok) Report(session, hud, -1);
        if (map) map->Clear();
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!ok) return Fail(error);
    return report.errors ? 1 : 0;
}

} // namespace BattleSim
