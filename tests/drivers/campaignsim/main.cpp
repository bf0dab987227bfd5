// campaignsim: runs the campaign's engine headless for tests.
//   campaignsim <subcommand> [--option value]...
// Without a subcommand it lists the subcommands with their usage.
#include "Registry.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const auto& commands = CampaignSim::Commands();
    if (argc < 2 || commands.find(argv[1]) == commands.end()) {
        if (argc >= 2) std::fprintf(stderr, "campaignsim: unknown subcommand \"%s\"\n", argv[1]);
        std::fprintf(stderr, "usage: campaignsim <subcommand> [options]\n");
        for (const auto& [name, info] : commands) std::fprintf(stderr, "  %s %s\n", name.c_str(), info.usage.c_str());
        return 2;
    }
    const CampaignSim::Args args(argc, argv, 2);
    return commands.at(argv[1]).run(args);
}
