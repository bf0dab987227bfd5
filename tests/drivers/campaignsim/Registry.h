#pragma once
// The driver's registries. A subcommand is a file cmd_<name>.cpp holding one
// CAMPAIGNSIM_COMMAND; a state-dump section is a file dump_<name>.cpp holding
// one CAMPAIGNSIM_DUMP. Both register themselves at start-up, so a new one
// needs no change anywhere else.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CampaignSim {

class SimEngine;

// "--name value" options and "--flag" switches after the subcommand.
class Args {
public:
    Args(int argc, char** argv, int first);
    bool Has(const std::string& name) const;
    std::string Get(const std::string& name, const std::string& fallback = "") const;
    // The option as a number; `fallback` when absent. False in `ok` (and the
    // fallback returned) when the text is not a whole number.
    long long GetInt(const std::string& name, long long fallback, bool* ok = nullptr) const;
    // Every value given for the option, in order (options may repeat).
    std::vector<std::string> GetAll(const std::string& name) const;

private:
    std::vector<std::pair<std::string, std::string>> m_items;
};

using CommandFn = int (*)(const Args&);
// A dump section writes "key value" lines about the engine after the run.
using DumpFn = void (*)(const SimEngine&, std::string& out);

struct CommandInfo {
    std::string usage;
    CommandFn run = nullptr;
};

std::map<std::string, CommandInfo>& Commands();
// Sections ordered by (order, name).
std::map<std::pair<int, std::string>, DumpFn>& DumpSections();

struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFn fn);
};
struct DumpRegistration {
    DumpRegistration(const char* name, int order, DumpFn fn);
};

// The state dump: "[section]" followed by its lines, section by section.
std::string StateDump(const SimEngine& engine);
// FNV-1a, 64 bits.
std::uint64_t Hash64(const std::string& text);

} // namespace CampaignSim

#define CAMPAIGNSIM_COMMAND(name, usage)                                                            \
    static int CampaignSimCommand_##name(const ::CampaignSim::Args& args);                           \
    static ::CampaignSim::CommandRegistration s_campaignSimCommand_##name(#name, usage,              \
                                                                          &CampaignSimCommand_##name); \
    static int CampaignSimCommand_##name(const ::CampaignSim::Args& args)

#define CAMPAIGNSIM_DUMP(name, order)                                                                \
    static void CampaignSimDump_##name(const ::CampaignSim::SimEngine& engine, std::string& out);     \
    static ::CampaignSim::DumpRegistration s_campaignSimDump_##name(#name, order, &CampaignSimDump_##name); \
    static void CampaignSimDump_##name(const ::CampaignSim::SimEngine& engine, std::string& out)
