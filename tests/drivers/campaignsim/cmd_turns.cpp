// campaignsim turns: plays a campaign map turn after turn the way the game
// scene does, on the virtual clock and headless. Each frame runs, in the
// game's order, the column movement (while the physical manager holds no
// contacts), the battle system's bombardment, attack-turn and round-result
// steps and the game map's frame; the map screen "map.xml" is bound and
// active, and the player's side is played through its buttons and lists:
//
//   campaignsim turns <map> [--seed S] (--script FILE | --ai-vs-ai) [--side 1|2]
//                   [--rounds N] [--max-frames F] [--frame-ms M] [--log]
//
//   --script FILE  the player's orders, one a line, "TURN COMMAND [ARG...]"
//                  (the commands are listed in TurnScript.h: select, rudder,
//                  speed, go, gun, fire, attack, sail, end); "end" presses
//                  the end-turn button as a player does, so a turn that
//                  cannot end runs out of frames
//   --ai-vs-ai     a second computer player plays the player's side in its
//                  phase and ends the turn
//   --rounds N     the map's round count (default: the map parameters')
//   --log          copy the log into the output as it is written
//
// When the map ends, the button of its end dialog is pressed: "mission
// complete" (the scenario's next map is asked for) or "mission failed" (a
// unit the player had to sink is afloat). Prints a line per turn, the units
// at the end (position, distance sailed, damage, column, state) and
// "state hash H" over all of it; same seed, same hash.
// Exit code: 0 the map ended, 1 the start failed or the frames ran out,
// 2 bad options or script.
#include "Registry.h"
#include "TurnsEngine.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace VornaCampaign;

CAMPAIGNSIM_COMMAND(turns, "<map> [--seed S] (--script FILE | --ai-vs-ai) [--side 1|2] [--rounds N] "
                           "[--max-frames F] [--frame-ms M] [--log]") {
    bool okSeed, okSide, okRounds, okFrames, okMs;
    const std::string name = args.Get("");
    const long long seed = args.GetInt("seed", 1, &okSeed);
    const long long side = args.GetInt("side", 1, &okSide);
    const long long rounds = args.GetInt("rounds", 0, &okRounds);
    const long long maxFrames = args.GetInt("max-frames", 400000, &okFrames);
    const long long frameMs = args.GetInt("frame-ms", 20, &okMs);
    const bool aiVsAi = args.Has("ai-vs-ai");
    const std::string scriptFile = args.Get("script");
    if (name.empty() || !okSeed || !okSide || !okRounds || !okFrames || !okMs || (side != 1 && side != 2) ||
        rounds < 0 || rounds > 1000 || maxFrames < 1 || maxFrames > 100000000 || frameMs < 1 || frameMs > 200 ||
        seed < 0 || seed > 0xFFFFFFFFll || aiVsAi == !scriptFile.empty()) {
        std::fprintf(stderr, "campaignsim turns: bad options (give a map and either --script FILE or --ai-vs-ai)\n");
        return 2;
    }
    std::vector<CampaignSim::TurnOrder> orders;
    if (!aiVsAi) {
        std::string text;
        int bad = 0;
        if (!Platform::ReadTextFile(scriptFile, text)) {
            std::fprintf(stderr, "campaignsim turns: cannot read %s\n", scriptFile.c_str());
            return 2;
        }
        if (!CampaignSim::ParseTurnScript(text, orders, bad)) {
            std::fprintf(stderr, "campaignsim turns: bad script line %d\n", bad);
            return 2;
        }
    }
    CampaignSim::SimOptions options;
    options.frames = static_cast<int>(maxFrames) + 1000;
    options.frameMs = static_cast<DWORD>(frameMs);
    options.seed = static_cast<std::uint32_t>(seed);
    int result = 0;
    {
        auto* scene = new VornaTest::CampaignMapScene();
        scene->m_mapName = name;
        scene->m_playerSide = static_cast<int>(side);
        CampaignSim::TurnsEngine engine(options, scene, std::move(orders), aiVsAi, static_cast<int>(rounds));
        engine.m_iMaxFrames = static_cast<int>(maxFrames);
        // The log file beside the program is shared by every run; the log
        // is copied into this run's own output instead.
        Vorna2::g_Log.SetCopyStream(args.Has("log") ? stdout : nullptr);
        if (!engine.Run() || !engine.Ended()) result = 1;
        Vorna2::g_Log.Close();
        Vorna2::g_Log.SetCopyStream(nullptr);
    }
    std::fflush(stdout);
    return result;
}
