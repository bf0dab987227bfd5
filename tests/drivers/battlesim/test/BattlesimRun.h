// battlesim run as a child process for the tests of its save and duel
// commands: its exit code and everything it printed, the printed lines of
// one kind, and whole files as bytes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace BattlesimTest {

struct SimRun {
    int exitCode = -1;
    std::string out;
};

inline SimRun Battlesim(const std::string& args) {
    const std::string command = "SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null '" +
                                (std::filesystem::path(VORNA_BIN_DIR) / "battlesim").string() + "' " + args + " 2>&1";
    SimRun run;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.out.append(buf, n);
    const int status = ::pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The lines that begin with `prefix`, the prefix taken off.
inline std::vector<std::string> Lines(const std::string& out, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix + " ", 0) == 0) lines.push_back(line.substr(prefix.size() + 1));
    return lines;
}

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The driver's option that puts its saves and log in `dir`.
inline std::string Out(const std::filesystem::path& dir) { return " --out '" + dir.string() + "/'"; }

} // namespace BattlesimTest
