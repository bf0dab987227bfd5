// The engine's includes point down only: nothing under engine3/ reaches the
// games, the other engine, the tools or the tests (only engine3/ and
// platform/), and engine3/core reaches neither engine3/world nor engine3/ui.
// A source scan, so a new include in the wrong direction fails here before
// it turns into a link-order puzzle.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/IncludeScan.h"

namespace fs = std::filesystem;

namespace {

using VornaTest::Include;
using VornaTest::Lines;
using VornaTest::ScanIncludes;
using VornaTest::Under;
using VornaTest::Where;
using VornaTest::WriteSource;

// The includes that break the direction rules.
std::vector<std::string> Violations(const fs::path& root, size_t* files) {
    std::vector<std::string> bad;
    for (const Include& inc : ScanIncludes(root, "engine3", files)) {
        // System and library headers (<vector>, <gtest/...>) land nowhere in the tree.
        if (inc.lands.empty()) continue;
        const std::string where = Where(inc);
        if (!Under(inc.lands, "engine3") && !Under(inc.lands, "platform"))
            bad.push_back(where + " above the engine (" + inc.lands + ")");
        else if (Under(inc.file, "engine3/core") && (Under(inc.lands, "engine3/world") || Under(inc.lands, "engine3/ui")))
            bad.push_back(where + " from the core into " + inc.lands);
    }
    return bad;
}

TEST(IncludeLayersTest, TheEngineIncludesOnlyItselfAndThePlatformAndItsCoreNeitherWorldNorUi) {
    size_t files = 0;
    const std::vector<std::string> bad = Violations(VORNA_SOURCE_DIR, &files);
    // The scan saw the engine's sources, not an empty folder.
    EXPECT_GT(files, 100u);
    EXPECT_TRUE(bad.empty()) << Lines(bad);
}

TEST(IncludeLayersTest, TheScanFindsIncludesThatPointUpOrSideways) {
    // A small tree with one include of each kind, good and bad.
    const fs::path root = fs::path(VORNA_TEST_TMP) / "include-layers";
    fs::remove_all(root);
    const auto write = [&](const std::string& path, const std::string& text) { WriteSource(root, path, text); };
    write("platform/os/Clock.h", "#pragma once\n");
    write("seabattle/shell/CEngine.h", "#pragma once\n");
    write("engine3/ui/sgui/Dialog.h", "#pragma once\n");
    write("engine3/world/ocean/Ocean.h", "#pragma once\n");
    write("engine3/core/Log.h", "#pragma once\n");
    write("engine3/core/render/Render.cpp",
          "#include \"engine3/core/Log.h\"\n"
          "#include \"platform/os/Clock.h\"\n"
          "#include <vector>\n"
          "  #  include \"engine3/world/ocean/Ocean.h\"\n"
          "#include \"../../ui/sgui/Dialog.h\"\n");
    write("engine3/ui/sgui/Dialog.cpp",
          "#include \"Dialog.h\"\n"
          "#include \"engine3/world/ocean/Ocean.h\"\n"
          "#include <seabattle/shell/CEngine.h>\n");
    size_t files = 0;
    const std::vector<std::string> bad = Violations(root, &files);
    EXPECT_EQ(files, 5u); // only the engine's own files
    ASSERT_EQ(bad.size(), 3u);
    const std::string all = Lines(bad);
    EXPECT_NE(all.find("engine3/core/render/Render.cpp:4 includes \"engine3/world/ocean/Ocean.h\" from the core"),
              std::string::npos) << all;
    EXPECT_NE(all.find("engine3/core/render/Render.cpp:5 includes \"../../ui/sgui/Dialog.h\" from the core into "
                       "engine3/ui/sgui/Dialog.h"),
              std::string::npos) << all;
    EXPECT_NE(all.find("engine3/ui/sgui/Dialog.cpp:3 includes \"seabattle/shell/CEngine.h\" above the engine"),
              std::string::npos) << all;
}

} // namespace
