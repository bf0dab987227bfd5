// Whole battles with the computer on both sides, headless with the real
// physics on the demo sea: the demo strait (2 x 8 ships) and the demo fleets
// (2 x 15 ships) fought to their end, in game seconds per wall second, with
// the battle map's UpdateBattle per 16 ms frame (directors with their
// movement, artillery and animation systems and their behaviours, the
// battle resolution). The battles run in the game itself, so the figures
// come from battlesim battle --timing, which lives beside the game's data.
// Options: --minutes M (the maps' own time limit when absent).
#include "bench/BenchReport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool RunOne(const char* name, const char* map, int minutes) {
    std::string command = std::string("SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} '") +
                          VORNA_BIN_DIR + "/battlesim' battle " + map + " --seed 42 --step-ms 16 --timing";
    if (minutes > 0) command += " --minutes " + std::to_string(minutes);
    command += " 2>/dev/null";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return false;
    char line[512];
    double wall = -1, game = -1, speed = -1, p50 = -1, p99 = -1, max = -1, mean = -1;
    std::size_t frames = 0;
    char result[64] = "";
    while (std::fgets(line, sizeof line, p)) {
        std::sscanf(line, "timing wall_s %lf game_s %lf speed %lf frames %zu", &wall, &game, &speed, &frames);
        std::sscanf(line, "update_ms p50 %lf p99 %lf max %lf mean %lf", &p50, &p99, &max, &mean);
        std::sscanf(line, "result %63s", result);
    }
    const int status = ::pclose(p);
    if (status != 0 || speed < 0 || p50 < 0) {
        std::printf("%s error: battlesim battle failed\n", name);
        return false;
    }
    const std::string base = name;
    VornaBench::Figure(base + "_speed", speed, "x", "game_s=" + std::to_string(game) + " wall_s=" +
                                                         std::to_string(wall) + " result=" + result);
    VornaBench::Figure(base + "_update_p50", p50, "ms");
    VornaBench::Figure(base + "_update_p99", p99, "ms");
    VornaBench::Figure(base + "_update_max", max, "ms");
    VornaBench::Figure(base + "_update_mean", mean, "ms", "frames=" + std::to_string(frames));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int minutes = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--minutes") == 0) minutes = std::atoi(argv[i + 1]);
    if (minutes < 0 || minutes > 60) minutes = 0;
    bool ok = RunOne("ai_battle_16_ships", "demo_battle.btlmapxml", minutes);
    ok = RunOne("ai_battle_30_ships", "demo_fleets.btlmapxml", minutes) && ok;
    return ok ? 0 : 1;
}
