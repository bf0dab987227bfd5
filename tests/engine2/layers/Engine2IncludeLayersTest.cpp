// The campaign engine's includes point down only: nothing under engine2/
// reaches the campaign, the other engine, the tools or the tests (only
// engine2/ and platform/); engine2/core reaches neither engine2/world nor
// engine2/ui (they join the scene through its manager slots), and world and
// ui stay out of each other.
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
    for (const Include& inc : ScanIncludes(root, "engine2", files)) {
        // System and library headers (<vector>, <gtest/...>) land nowhere in the tree.
        if (inc.lands.empty()) continue;
        const std::string where = Where(inc);
        if (!Under(inc.lands, "engine2") && !Under(inc.lands, "platform"))
            bad.push_back(where + " above the engine (" + inc.lands + ")");
        else if (Under(inc.file, "engine2/core") && (Under(inc.lands, "engine2/world") || Under(inc.lands, "engine2/ui")))
            bad.push_back(where + " from the core into " + inc.lands);
        else if ((Under(inc.file, "engine2/world") && Under(inc.lands, "engine2/ui")) ||
                 (Under(inc.file, "engine2/ui") && Under(inc.lands, "engine2/world")))
            bad.push_back(where + " sideways into " + inc.lands);
    }
    return bad;
}

TEST(Engine2IncludeLayersTest, TheEngineIncludesOnlyItselfAndThePlatformAndItsCoreNeitherWorldNorUi) {
    size_t files = 0;
    const std::vector<std::string> bad = Violations(VORNA_SOURCE_DIR, &files);
    // The scan saw the engine's sources, not an empty folder.
    EXPECT_GT(files, 80u);
    EXPECT_TRUE(bad.empty()) << Lines(bad);
}

TEST(Engine2IncludeLayersTest, TheScanFindsIncludesThatPointUpOrSideways) {
    // A small tree with one include of each kind, good and bad.
    const fs::path root = fs::path(VORNA_TEST_TMP) / "engine2-include-layers";
    fs::remove_all(root);
    const auto write = [&](const std::string& path, const std::string& text) { WriteSource(root, path, text); };
    write("platform/os/Clock.h", "#pragma once\n");
    write("campaign/shell/CEngine.h", "#pragma once\n");
    write("engine2/ui/gui/CDX9KelGUIManager.h", "#pragma once\n");
    write("engine2/world/physics/Physics.h", "#pragma once\n");
    write("engine2/core/CDX9KelLog.h", "#pragma once\n");
    write("engine2/core/CDX9KelScene.cpp",
          "#include \"engine2/core/CDX9KelLog.h\"\n"
          "#include \"platform/os/Clock.h\"\n"
          "#include <vector>\n"
          "  #  include \"engine2/ui/gui/CDX9KelGUIManager.h\"\n"
          "#include \"../world/physics/Physics.h\"\n");
    write("engine2/ui/gui/CDX9KelGUIManager.cpp",
          "#include \"CDX9KelGUIManager.h\"\n"
          "#include \"engine2/world/physics/Physics.h\"\n"
          "#include <campaign/shell/CEngine.h>\n");
    size_t files = 0;
    const std::vector<std::string> bad = Violations(root, &files);
    EXPECT_EQ(files, 5u); // only the engine's own files
    const std::string all = Lines(bad);
    ASSERT_EQ(bad.size(), 4u) << all;
    EXPECT_NE(all.find("engine2/core/CDX9KelScene.cpp:4 includes \"engine2/ui/gui/CDX9KelGUIManager.h\" from the core"),
              std::string::npos) << all;
    EXPECT_NE(all.find("engine2/core/CDX9KelScene.cpp:5 includes \"../world/physics/Physics.h\" from the core into "
                       "engine2/world/physics/Physics.h"),
              std::string::npos) << all;
    EXPECT_NE(all.find("engine2/ui/gui/CDX9KelGUIManager.cpp:2 includes \"engine2/world/physics/Physics.h\" sideways"),
              std::string::npos) << all;
    EXPECT_NE(all.find("engine2/ui/gui/CDX9KelGUIManager.cpp:3 includes \"campaign/shell/CEngine.h\" above the engine"),
              std::string::npos) << all;
}

} // namespace
