// The campaign's includes follow its layering: its rooms stand one above the
// other (the program's shell at the top, the data files at the bottom, as
// the README's layout lists them) and a file includes only its own room,
// the rooms below it, the campaign engine and the platform. Only `main.cpp`
// lies at the campaign's root, above every room. A source scan, so an
// include back up fails here before it turns into a knot of rooms that
// need each other.
#include <gtest/gtest.h>

#include <algorithm>
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

// The rooms from the top down.
const std::vector<std::string> kRooms = {"shell", "ai", "map", "turn", "battle", "save", "routes", "data"};

// The rank of the room a campaign file lies in: 0 for the top room, -1 for
// the program's main at the root, kRooms.size() for a file in no room.
int RankOf(const std::string& path) {
    if (path == "campaign/main.cpp") return -1;
    for (std::size_t i = 0; i < kRooms.size(); ++i)
        if (Under(path, "campaign/" + kRooms[i])) return static_cast<int>(i);
    return static_cast<int>(kRooms.size());
}

std::string RoomName(int rank) {
    return rank < 0 ? std::string("main") : rank < static_cast<int>(kRooms.size()) ? kRooms[rank] : std::string("?");
}

// The includes that break the layering, and the sources in no room.
std::vector<std::string> Violations(const fs::path& root, size_t* files) {
    std::vector<std::string> bad;
    std::vector<std::string> sources;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root / "campaign")) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".h" || ext == ".cpp" || ext == ".hpp" || ext == ".inl"))
            sources.push_back(fs::relative(e.path(), root).generic_string());
    }
    std::sort(sources.begin(), sources.end());
    for (const std::string& file : sources)
        if (RankOf(file) == static_cast<int>(kRooms.size())) bad.push_back(file + " lies in no room of the layering");
    for (const Include& inc : ScanIncludes(root, "campaign", files)) {
        // System and library headers (<vector>, <tinyxml.h>) land nowhere in the tree.
        if (inc.lands.empty()) continue;
        const std::string where = Where(inc);
        if (!Under(inc.lands, "campaign")) {
            if (!Under(inc.lands, "engine2") && !Under(inc.lands, "platform"))
                bad.push_back(where + " outside the campaign, its engine and the platform (" + inc.lands + ")");
            continue;
        }
        const int from = RankOf(inc.file);
        const int to = RankOf(inc.lands);
        // A file in no room is told above; its includes have no direction.
        if (from < static_cast<int>(kRooms.size()) && to < from)
            bad.push_back(where + " up from " + RoomName(from) + " into " + RoomName(to) + " (" + inc.lands + ")");
    }
    return bad;
}

TEST(CampaignIncludeLayersTest, EveryCampaignIncludeStaysInItsRoomOrGoesDown) {
    size_t files = 0;
    const std::vector<std::string> bad = Violations(VORNA_SOURCE_DIR, &files);
    // The scan saw the campaign's sources, not an empty folder.
    EXPECT_GT(files, 60u);
    EXPECT_TRUE(bad.empty()) << Lines(bad);
}

TEST(CampaignIncludeLayersTest, TheScanFindsIncludesThatGoBackUpOrOutAndFilesInNoRoom) {
    // A small tree with one include of each kind, good and bad.
    const fs::path root = fs::path(VORNA_TEST_TMP) / "campaign-include-layers";
    fs::remove_all(root);
    const auto write = [&](const std::string& path, const std::string& text) { WriteSource(root, path, text); };
    write("platform/os/Clock.h", "#pragma once\n");
    write("engine2/core/CDX9KelLog.h", "#pragma once\n");
    write("seabattle/shell/CEngine.h", "#pragma once\n");
    write("campaign/shell/CScene.h", "#pragma once\n");
    write("campaign/ai/CDX9KelAISystem.h", "#pragma once\n");
    write("campaign/data/CampaignRecords.h", "#pragma once\n#include <vector>\n");
    write("campaign/main.cpp", "#include \"campaign/shell/CScene.h\"\n");
    write("campaign/shell/CScene.cpp",
          "#include \"CScene.h\"\n"
          "#include \"campaign/map/CDX9KelGameMap.h\"\n"
          "#include \"campaign/ai/CDX9KelAISystem.h\"\n");
    write("campaign/map/CDX9KelGameMap.h",
          "#pragma once\n"
          "#include \"campaign/data/CampaignRecords.h\"\n"
          "#include \"engine2/core/CDX9KelLog.h\"\n"
          "#include \"platform/os/Clock.h\"\n"
          "  #  include \"campaign/ai/CDX9KelAISystem.h\"\n"
          "#include \"../shell/CScene.h\"\n"
          "#include <seabattle/shell/CEngine.h>\n");
    write("campaign/Stray.cpp", "int stray = 0;\n");
    size_t files = 0;
    const std::vector<std::string> bad = Violations(root, &files);
    EXPECT_EQ(files, 7u); // only the campaign's own files
    const std::string all = Lines(bad);
    ASSERT_EQ(bad.size(), 4u) << all;
    EXPECT_NE(all.find("campaign/map/CDX9KelGameMap.h:5 includes \"campaign/ai/CDX9KelAISystem.h\" up from map into ai"),
              std::string::npos) << all;
    EXPECT_NE(all.find("campaign/map/CDX9KelGameMap.h:6 includes \"../shell/CScene.h\" up from map into shell "
                       "(campaign/shell/CScene.h)"),
              std::string::npos) << all;
    EXPECT_NE(all.find("campaign/map/CDX9KelGameMap.h:7 includes \"seabattle/shell/CEngine.h\" outside the campaign"),
              std::string::npos) << all;
    EXPECT_NE(all.find("campaign/Stray.cpp lies in no room of the layering"), std::string::npos) << all;
}

} // namespace
