#pragma once
// The driver's subcommands and the sections of its state dump. Each
// subcommand lives in a cmd_<name>.cpp and each dump section in a
// dump_<name>.cpp of its own, registered there by a static registration
// object, so a new one is a new file and nothing else changes. (The driver is
// built from its source files directly, not from a library, so no
// registration is dropped by the linker.)
#include <string>
#include <vector>

namespace VornaTest {
class GameSession;
} // namespace VornaTest

namespace BattleSim {

// A subcommand: gets the words after its name; returns the exit code.
using CommandFn = int (*)(const std::vector<std::string>& args);
// A dump section: appends its lines ("key value", one fact a line, in an order
// that depends only on the game's state) for the running game.
using DumpFn = void (*)(const VornaTest::GameSession& session, std::string& out);

struct Command {
    std::string name;
    std::string usage; // the options, as the usage text shows them
    CommandFn run = nullptr;
};

struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFn run);
};
struct DumpRegistration {
    DumpRegistration(const char* name, DumpFn write);
};

// The registered subcommands, by name; null when there is none of that name.
const Command* FindCommand(const std::string& name);
std::vector<Command> Commands();

// The state dump: every registered section in the order of the sections'
// names, each as a "[name]" line followed by its lines.
std::string StateDump(const VornaTest::GameSession& session);
// A 64-bit FNV-1a hash of a text, as 16 lower-case hex digits.
std::string TextHash(const std::string& text);

} // namespace BattleSim
