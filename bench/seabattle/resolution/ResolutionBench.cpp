// The battle's logic per frame: the battle map's UpdateBattle (directors with
// their movement, artillery and animation systems, the battle resolution)
// for 2, 10 and 30 demo ships fighting for 10 minutes of battle time in
// 16 ms frames, nothing drawn. The battle runs in the game itself, so the
// figures come from battlesim's battlebench, which lives beside the game's
// data; this program runs it per ship count and prints its figures.
// Options: --minutes M (10).
#include "bench/BenchReport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool RunOne(int ships, int minutes) {
    const std::string command = std::string("SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} '") +
                                VORNA_BIN_DIR + "/battlesim' battlebench --ships " + std::to_string(ships) +
                                " --minutes " + std::to_string(minutes) + " 2>/dev/null";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return false;
    char line[512];
    double p50 = -1, p99 = -1, max = -1, mean = -1;
    unsigned shots = 0;
    std::size_t afloat = 0, frames = 0;
    long n = 0;
    while (std::fgets(line, sizeof line, p)) {
        std::sscanf(line, "update_ms p50 %lf p99 %lf max %lf mean %lf", &p50, &p99, &max, &mean);
        std::sscanf(line, "shots %u afloat %zu", &shots, &afloat);
        std::sscanf(line, "ships %ld frames %zu", &n, &frames);
    }
    const int status = ::pclose(p);
    if (status != 0 || p50 < 0) {
        std::printf("update_battle_%d_ships error: battlesim battlebench failed\n", ships);
        return false;
    }
    const std::string base = "update_battle_" + std::to_string(ships) + "_ships";
    const std::string extra = "frames=" + std::to_string(frames) + " shots=" + std::to_string(shots) +
                              " afloat=" + std::to_string(afloat);
    VornaBench::Figure(base + "_p50", p50, "ms");
    VornaBench::Figure(base + "_p99", p99, "ms");
    VornaBench::Figure(base + "_max", max, "ms");
    VornaBench::Figure(base + "_mean", mean, "ms", extra);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int minutes = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--minutes") == 0) minutes = std::atoi(argv[i + 1]);
    if (minutes < 1 || minutes > 60) minutes = 10;
    bool ok = true;
    for (int ships : {2, 10, 30}) ok = RunOne(ships, minutes) && ok;
    return ok ? 0 : 1;
}
