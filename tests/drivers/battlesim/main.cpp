// battlesim: runs the battle program's game headless for tests and
// benchmarks. usage: battlesim <subcommand> [options]; the subcommands are
// the cmd_*.cpp files beside this one. Exit codes: 0 a clean run, 1 the game
// logged errors, 2 a wrong command line, script or start-up.
#include "Registry.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "";
    const BattleSim::Command* command = BattleSim::FindCommand(name);
    if (!command) {
        if (!name.empty() && name != "help" && name != "--help")
            std::fprintf(stderr, "battlesim: unknown subcommand \"%s\"\n", name.c_str());
        std::fprintf(stderr, "usage:\n");
        for (const BattleSim::Command& c : BattleSim::Commands())
            std::fprintf(stderr, "  battlesim %s %s\n", c.name.c_str(), c.usage.c_str());
        return 2;
    }
    return command->run(std::vector<std::string>(argv + 2, argv + argc));
}
