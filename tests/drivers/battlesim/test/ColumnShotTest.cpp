// battlesim columnshot: the demo cruisers as a column under way in the game
// itself, drawn: the picture is saved, the game logs no error, and the
// picture shows more than the sea (the hulls and their smoke).
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <sys/wait.h>

#include <stb/stb_image.h>

namespace fs = std::filesystem;

TEST(ColumnShotTest, TheColumnUnderWayIsDrawn) {
    const fs::path dir = VornaTest::FreshFolder();
    const fs::path shot = dir / "column.png";
    const std::string command = "'" + (fs::path(VORNA_BIN_DIR) / "battlesim").string() + "' columnshot --shot '" +
                                shot.string() + "' --at 20 --out '" + (dir / "data").string() + "/' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(fs::exists(shot));
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(shot.string().c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    // The sea is blue; hulls are brown and smoke grey: count the pixels whose
    // red is at least their blue.
    long notSea = 0;
    for (long i = 0; i < static_cast<long>(w) * h; ++i)
        if (px[3 * i] >= px[3 * i + 2]) ++notSea;
    stbi_image_free(px);
    EXPECT_GT(notSea, static_cast<long>(w) * h / 100);
}
