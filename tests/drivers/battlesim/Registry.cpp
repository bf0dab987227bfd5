#include "Registry.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace BattleSim {

namespace {

// Function-local, so registrations made during static start-up find them
// whatever the order the files' objects are made in.
std::map<std::string, Command>& CommandTable() {
    static std::map<std::string, Command> table;
    return table;
}
std::map<std::string, DumpFn>& DumpTable() {
    static std::map<std::string, DumpFn> table;
    return table;
}

} // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn run) {
    if (!CommandTable().emplace(name, Command{name, usage, run}).second) {
        std::fprintf(stderr, "battlesim: the subcommand %s is registered twice\n", name);
        std::abort();
    }
}

DumpRegistration::DumpRegistration(const char* name, DumpFn write) {
    if (!DumpTable().emplace(name, write).second) {
        std::fprintf(stderr, "battlesim: the dump section %s is registered twice\n", name);
        std::abort();
    }
}

const Command* FindCommand(const std::string& name) {
    auto it = CommandTable().find(name);
    return it == CommandTable().end() ? nullptr : &it->second;
}

std::vector<Command> Commands() {
    std::vector<Command> all;
    for (const auto& [name, command] : CommandTable()) all.push_back(command);
    return all;
}

std::string StateDump(const VornaTest::GameSession& session) {
    std::string out;
    for (const auto& [name, write] : DumpTable()) {
        out += "[" + name + "]\n";
        write(session, out);
    }
    return out;
}

std::string TextHash(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

} // namespace BattleSim
