#include "platform/os/Paths.h"
#include "TestFolder.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A per-user folder on a fresh account: none of its parents exist yet.
TEST(Paths, CreateFolderTreeMakesTheMissingParentsOwnerOnly) {
    const fs::path root = VornaTest::FreshFolder();
    const std::string deep = (root / "home" / ".local" / "share").string() + "/Vorna\\Battle\\";
    ASSERT_TRUE(Platform::CreateFolderTree(deep));
    for (const fs::path& made : {root / "home", root / "home" / ".local", root / "home/.local/share/Vorna/Battle"}) {
        struct stat st{};
        ASSERT_EQ(::stat(made.c_str(), &st), 0) << made;
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << made;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
    // An existing folder is no failure; a file in the way is.
    EXPECT_TRUE(Platform::CreateFolderTree(deep));
    VornaTest::WriteText(root / "file", "x");
    EXPECT_FALSE(Platform::CreateFolderTree((root / "file").string()));
    EXPECT_FALSE(Platform::CreateFolderTree((root / "file" / "below").string()));
    EXPECT_FALSE(Platform::CreateFolderTree(""));
}

} // namespace
