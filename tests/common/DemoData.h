#pragma once
// The built demo data set (beside the programs) laid into another program
// folder as links, so a test program or a copied seabattle starts on it.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace VornaTest {

// Headless video and silent sound, whatever the runner passes on.
inline const bool g_HeadlessEnvironment = [] {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    return true;
}();

inline void LinkDemoData(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    const fs::path bin(VORNA_BIN_DIR);
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(bin, ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".log") == 0) continue;
        // What the programs write (saves, screenshots) stays the test's own:
        // a link would put a test's saves on the load screen of the program
        // folder.
        if (name == "Saves" || name == "Screenshots" || name == "folders.ini" || name == "engine.ini") continue;
        // Programs stay where they are.
        if (e.is_regular_file() && (e.status().permissions() & fs::perms::owner_exec) != fs::perms::none) continue;
        const fs::path link = folder / name;
        if (fs::exists(fs::symlink_status(link))) continue;
        fs::create_symlink(e.path(), link, ec);
    }
    // The two settings files are copied: the programs may write them. A copy
    // older than the built file is refreshed, so a build folder made before
    // the demo's settings gained a folder or key still finds it. The new copy
    // is written aside and renamed over the old one: test programs running
    // side by side on the same folder never read half a file.
    for (const char* f : {"folders.ini", "engine.ini"}) {
        const fs::path target = folder / f;
        if (fs::exists(target, ec) && fs::last_write_time(target, ec) >= fs::last_write_time(bin / f, ec)) continue;
        const fs::path aside = folder / (std::string(f) + "." + std::to_string(::getpid()));
        if (fs::copy_file(bin / f, aside, fs::copy_options::overwrite_existing, ec)) fs::rename(aside, target, ec);
        if (ec) fs::remove(aside, ec);
    }
}

} // namespace VornaTest
