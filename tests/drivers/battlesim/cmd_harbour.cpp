// battlesim harbour <scenario file> --script FILE [--damage "SHIP=PERCENT,..."]
//                   [--shots FRAME:PNG[,FRAME:PNG...]] [--frames N] [--seed S] [--out DIR]
// The human's first harbour step of a scenario played through its two
// screens on the virtual clock: the scenario begins from the file, and once
// the harbour screen shows, the script's presses and clicks go into the
// game as a hand gives them (buy, sell, repair, columns, the battle). Each
// time what the harbour shows changes, a dump follows ("dump frame F ..."
// and its lines): the screen and the boxes shown, the money, every own ship
// with its damage and berth, the ship panel with its button states, the
// shop's items and the columns. When the battle screen comes up the human's
// battle columns are printed ("battle column C ship NAME") and the run
// ends. --damage damages an own ship at the start as a battle would have
// (for the repair lines); --shots draws the named frames and saves their
// pictures. Exit 0 when the battle began; the log's warnings and errors
// are printed at the end.
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"

#include "common/GameSession.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEManager.h"
#include "seabattle/game/CVR3GAMEScenario.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace BattleSim {

namespace {

using namespace SeaBattle;
using Human = CVR3GAMEHarbourMapPlayerDirectorHuman;

constexpr int kTransitionFrames = 200;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim harbour: %s\n", message.c_str());
    return 2;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string TextOf(const Vorna3D::CDX9KelSGUIText* t) { return t ? Quoted(t->GetText()) : std::string("(none)"); }

// A button's state without the pointer over it: hover counts as normal.
int StateOf(const Vorna3D::CDX9KelSGUIControlButton* b) {
    if (!b) return -1;
    return b->GetState() == Vorna3D::SGUI_BUTTON_HOVER ? Vorna3D::SGUI_BUTTON_NORMAL : static_cast<int>(b->GetState());
}

bool Shown(const Vorna3D::CDX9KelSGUIDialog* d) { return d && d->IsVisible(); }

std::string Names(const std::vector<CVR3GAMEBattleMapShip*>& ships) {
    std::string out;
    for (const CVR3GAMEBattleMapShip* s : ships) out += " " + Quoted(s ? s->m_strName : std::string("(null)"));
    return out.empty() ? std::string(" -") : out;
}

// What the two harbour screens show, as lines.
std::string HarbourDump(VornaTest::GameSession& session, const Human& h) {
    std::string out;
    char line[512];
    std::string shown;
    const std::pair<const char*, const Vorna3D::CDX9KelSGUIDialog*> boxes[] = {
        {"by_ship", h.m_pDialogBuy},       {"sell_ship", h.m_pDialogSell}, {"gratuity", h.m_pDialogGratuity},
        {"let_mission", h.m_pDialogLetMission}, {"fight", h.m_pDialogFight}};
    for (const auto& b : boxes)
        if (Shown(b.second)) shown += std::string(shown.empty() ? "" : ",") + b.first;
    std::snprintf(line, sizeof line, "screen %s step %d money %d last_price %d shown %s\n",
                  session.CurrentScreen().c_str(), h.m_iStep, h.m_iMoney, h.m_iLastPrice,
                  shown.empty() ? "-" : shown.c_str());
    out += line;
    out += "money_text " + TextOf(h.m_pPanelTexts[0]) + " add " + TextOf(h.m_pPanelTexts[1]) + "\n";
    if (h.m_pPlayer) {
        for (const CVR3GAMEBattleMapShip* s : h.m_pPlayer->m_stdvHarbourShips) {
            if (!s) continue;
            std::snprintf(line, sizeof line, "ship %s level %d damage %.1f berth %d sold %d\n",
                          Quoted(s->m_strName).c_str(), s->m_pInfoShip ? s->m_pInfoShip->ShipTypeLevel : -1,
                          s->m_pBattleShip ? static_cast<double>(s->m_pBattleShip->DamagePercent) : -1.0,
                          h.m_Berths.BerthOf(s), s->m_bSold ? 1 : 0);
            out += line;
        }
    }
    std::snprintf(line, sizeof line, "berths %zu free %zu\n", h.m_Berths.Count(), h.m_Berths.FreeCount());
    out += line;
    std::snprintf(line, sizeof line, "own%s selected %d\n", Names(h.m_stdvOwnShips).c_str(), h.m_iSelectedOwn);
    out += line;
    out += "shop selected " + std::to_string(h.m_iSelectedShop);
    if (h.m_pShopIcons)
        for (size_t i = 0; i < h.m_pShopIcons->m_vItems.size(); ++i) {
            const auto* item = h.m_pShopIcons->m_vItems[i];
            out += " item " + std::to_string(i) + " " + (item && item->m_pText ? Quoted(item->m_pText->GetText()) : "-") +
                   " state " + std::to_string(StateOf(item));
        }
    out += "\n";
    out += "panel name " + TextOf(h.m_pPanelTexts[2]);
    for (int i = 3; i < Human::kPanelTexts; ++i)
        out += std::string(" ") + Human::kPanelTextNames[i] + " " + TextOf(h.m_pPanelTexts[i]);
    out += "\n";
    std::snprintf(line, sizeof line, "buttons buy %d sell %d repair1 %d repair2 %d\n", StateOf(h.m_pBuy),
                  StateOf(h.m_pSell), StateOf(h.m_pRepair1), StateOf(h.m_pRepair2));
    out += line;
    out += "available" + Names(h.m_stdvAvailable) + " selected " + std::to_string(h.m_iSelectedAvailable) + "\n";
    for (int c = 0; c < 3; ++c) {
        std::snprintf(line, sizeof line, "column %d%s add %d erase %d\n", c + 1, Names(h.m_stdvColumns[c]).c_str(),
                      StateOf(h.m_pColumnAdd[c]), StateOf(h.m_pColumnErase[c]));
        out += line;
    }
    out += "reserve" + Names(h.m_stdvReserve) + "\n";
    return out;
}

// "SHIP=PERCENT": the ship's damage as a battle would have left it.
bool DamageOne(Human& h, const std::string& spec, std::string& error) {
    const size_t eq = spec.rfind('=');
    if (eq == std::string::npos || eq == 0) {
        error = "--damage wants SHIP=PERCENT";
        return false;
    }
    const std::string name = spec.substr(0, eq);
    char* end = nullptr;
    const double percent = std::strtod(spec.c_str() + eq + 1, &end);
    if (!end || *end || !(percent > 0.0) || percent > 100.0) {
        error = "--damage: the percent is a number above 0 and at most 100";
        return false;
    }
    for (CVR3GAMEBattleMapShip* s : h.m_pPlayer ? h.m_pPlayer->m_stdvHarbourShips : std::vector<CVR3GAMEBattleMapShip*>()) {
        if (!s || s->m_strName != name || !s->m_pBattleShip) continue;
        CVR3GAMEBattleSystemShip& d = *s->m_pBattleShip;
        d.DamagePercent = static_cast<float>(percent);
        d.TotalDamage = d.TotalDurability * static_cast<float>(percent) / 100.0f;
        if (!d.Parts.empty() && d.Parts.front()) d.Parts.front()->DamageTaken += d.TotalDamage;
        // The panel shows what the harbour step begins with.
        for (size_t i = 0; i < h.m_stdvOwnShips.size(); ++i)
            if (h.m_stdvOwnShips[i] == s && h.m_iSelectedOwn == static_cast<int32_t>(i)) h.SelectOwnShip(h.m_iSelectedOwn);
        return true;
    }
    error = "--damage: no own ship " + name;
    return false;
}

// "SHIP=PERCENT[,SHIP=PERCENT...]".
bool Damage(Human& h, const std::string& spec, std::string& error) {
    size_t at = 0;
    while (at <= spec.size()) {
        size_t comma = spec.find(',', at);
        if (comma == std::string::npos) comma = spec.size();
        if (!DamageOne(h, spec.substr(at, comma - at), error)) return false;
        at = comma + 1;
    }
    return true;
}

// "F:PNG,F:PNG": the frames drawn and their pictures.
bool Shots(const std::string& spec, std::map<long, std::string>& shots, std::string& error) {
    size_t at = 0;
    while (at < spec.size()) {
        size_t comma = spec.find(',', at);
        if (comma == std::string::npos) comma = spec.size();
        const std::string one = spec.substr(at, comma - at);
        const size_t colon = one.find(':');
        char* end = nullptr;
        const long frame = colon == std::string::npos ? 0 : std::strtol(one.c_str(), &end, 10);
        if (colon == std::string::npos || end != one.c_str() + colon || frame < 1 || colon + 1 >= one.size()) {
            error = "--shots wants FRAME:PNG[,FRAME:PNG...]";
            return false;
        }
        shots[frame] = one.substr(colon + 1);
        at = comma + 1;
    }
    return true;
}

void PrintBattleColumns(const std::string& humanName) {
    CVR3GAMEBattleMap* map = CVR3GAMEManager::Get().GetBattleMap();
    const CVR3GAMEBattleMapPlayer* p = map ? map->GetPlayer(&humanName) : nullptr;
    if (!p) return;
    int c = 0;
    for (const CVR3GAMEBattleMapShipsColumn* column : p->m_stdvColumns) {
        ++c;
        if (!column) continue;
        for (const CVR3GAMEBattleMapShip* s : column->m_stdvBattleShips)
            if (s) std::printf("battle column %d ship %s\n", c, Quoted(s->m_strName).c_str());
    }
}

int RunHarbour(const std::vector<std::string>& words) {
    if (words.empty() || words.front().rfind("--", 0) == 0) return Fail("the scenario file comes first");
    const std::string file = words.front();
    const std::vector<std::string> args(words.begin() + 1, words.end());
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--script", true},
                        {"--damage", true},
                        {"--shots", true},
                        {"--frames", true},
                        {"--seed", true},
                        {"--out", true}},
                       error))
        return Fail(error);
    long seed = 1, frames = 0;
    if (!options.GetLong("--seed", 0, 0xFFFFFFFFL, 1, seed, error) ||
        !options.GetLong("--frames", 1, 1000000, 0, frames, error))
        return Fail(error);
    Script script;
    if (!options.Has("--script")) return Fail("give --script");
    if (!ScriptReader::ReadFile(options.Get("--script"), script, error)) return Fail(error);
    std::map<long, std::string> shots;
    if (options.Has("--shots") && !Shots(options.Get("--shots"), shots, error)) return Fail(error);
    if (frames == 0) frames = (script.actions.empty() ? 0 : script.actions.back().frame) + 300;

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.stepMs = 20;
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    bool ok = session.Start(start);
    bool battle = false;
    if (!ok) error = "the game did not start";
    CVR3GAMEManager& manager = CVR3GAMEManager::Get();
    if (ok && !manager.BeginScenarioFromFile(file)) {
        ok = false;
        error = "the scenario did not begin: " + file;
    }
    for (int i = 0; ok && i < kTransitionFrames && manager.GetPendingState() != CVR3GAMEManager::STATE_NONE; ++i)
        session.Frame(false);
    const CVR3GAMEScenario* scenario = manager.GetScenario();
    Human* human = nullptr;
    if (ok) {
        human = dynamic_cast<Human*>(manager.GetHarbourMap()->GetDirector(scenario->HumanPlayerName.c_str()));
        if (!human || session.CurrentScreen() != scenario->HarbourScreen) {
            ok = false;
            error = "no harbour screen with a human director";
        }
    }
    if (ok && options.Has("--damage") && !Damage(*human, options.Get("--damage"), error)) ok = false;
    if (ok) {
        ScriptPlayer player(script);
        std::string last;
        for (long f = 1; f <= frames; ++f) {
            if (!player.BeforeFrame(session, f, error)) {
                ok = false;
                break;
            }
            const auto shot = shots.find(f);
            if (shot != shots.end()) session.TakePicture(shot->second);
            session.Frame(shot != shots.end());
            if (session.CurrentScreen() == scenario->BattleScreen &&
                manager.GetPendingState() == CVR3GAMEManager::STATE_NONE) {
                std::printf("battle frame %ld screen %s\n", f, session.CurrentScreen().c_str());
                PrintBattleColumns(scenario->HumanPlayerName);
                battle = true;
                break;
            }
            // The director lives while the harbour does.
            if (session.CurrentScreen() != scenario->HarbourScreen &&
                session.CurrentScreen() != scenario->ColumnsScreen)
                continue;
            const std::string dump = HarbourDump(session, *human);
            if (dump != last) {
                std::printf("dump frame %ld\n%s", f, dump.c_str());
                last = dump;
            }
        }
        if (ok && !battle) error = "the battle did not begin";
    }
    const LogReport report = ReadLogReport();
    session.Stop();
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!ok || !battle) return Fail(error);
    return 0;
}

const CommandRegistration kHarbour("harbour",
                                   "<scenario file> --script FILE [--damage SHIP=PERCENT] [--shots F:PNG,...] "
                                   "[--frames N] [--seed S] [--out DIR]",
                                   RunHarbour);

} // namespace

} // namespace BattleSim
