// The per-user data folder chosen from "folders.ini".
#include "engine3/core/CDX9KelEngine.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using Vorna3D::CDX9KelEngine;

namespace {

struct Case {
    const char* name;
    const char* foldersIni;   // null: no file
    const char* expected;     // relative to the documents folder; "@program" = the program folder; "" = empty
    bool createdDirectory;    // the folder exists afterwards
};

TEST(DataFolderTest, FollowsTheUserDataKeys) {
    const Case cases[] = {
        {"no file", nullptr, "@program", false},
        {"key 0", "[User Data]\nUseLocalDirectory=0\nUserLocalDirectory=Vorna\\\n", "@program", false},
        {"existing folder", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=Existing\\\n", "Existing\\",
         true},
        {"new folder", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=Vorna\\\n", "Vorna\\", true},
        // A fresh account: the parents are made too.
        {"missing parent", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=Missing/Vorna/\n", "Missing/Vorna/",
         true},
        // A file stands where a folder should: the program folder serves.
        {"cannot be made", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=File/Vorna/\n", "@program", false},
        // A value without a trailing separator still names a folder.
        {"no separator", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=SeaBattle\n", "SeaBattle/", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path root = VornaTest::FreshFolder();
        const fs::path program = root / "program";
        const fs::path documents = root / "documents";
        fs::create_directories(program);
        fs::create_directories(documents / "Existing");
        VornaTest::WriteText(documents / "File", "not a folder");
        if (c.foldersIni) VornaTest::WriteText(program / "folders.ini", c.foldersIni);

        std::string error = "stale";
        const std::string folder =
            CDX9KelEngine::DetermineDataFolder(program.string() + "/", documents.string(), &error);
        const std::string expected = std::string(c.expected) == "@program" ? program.string() + "/"
                                     : *c.expected == '\0'                  ? std::string()
                                                                            : documents.string() + "/" + c.expected;
        EXPECT_EQ(folder, expected);
        if (std::string(c.name) == "cannot be made") {
            // One log line names both folders.
            EXPECT_NE(error.find(documents.string() + "/File/Vorna/"), std::string::npos) << error;
            EXPECT_NE(error.find(program.string() + "/"), std::string::npos) << error;
            EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
        } else {
            EXPECT_EQ(error, "");
        }
        if (c.createdDirectory) {
            std::string native = folder;
            for (char& ch : native)
                if (ch == '\\') ch = '/';
            EXPECT_TRUE(fs::is_directory(native));
        }
    }
}

// Neither $XDG_DATA_HOME nor $HOME: the program folder, and the log says why.
TEST(DataFolderTest, NoDocumentsFolderGivesTheProgramFolder) {
    const fs::path program = VornaTest::FreshFolder();
    VornaTest::WriteText(program / "folders.ini", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=Vorna\\\n");
    std::string error;
    EXPECT_EQ(CDX9KelEngine::DetermineDataFolder(program.string() + "/", "", &error), program.string() + "/");
    EXPECT_NE(error.find(program.string() + "/"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(fs::path("Vorna")));
}

TEST(GraficSettingsTest, DefaultsWithoutEngineIniAndValuesWithIt) {
    const fs::path dir = VornaTest::FreshFolder();
    const CDX9KelEngine::GraficSettings none = CDX9KelEngine::ReadGraficSettings((dir / "engine.ini").string());
    EXPECT_EQ(none.iFullScreen, -1);
    EXPECT_EQ(none.iWidth, -1);
    EXPECT_EQ(none.iHeight, -1);
    EXPECT_EQ(none.iRefreshRate, -1);
    EXPECT_EQ(none.iMultisampleType, 0);
    EXPECT_FALSE(none.bVSync);
    EXPECT_EQ(none.iAnisotropy, 2);

    VornaTest::WriteText(dir / "engine.ini",
                         "[Grafic Settings]\nFullScreen=0\nWidth=800\nHeight=600\nRefreshRate=75\n"
                         "MultisapleType=4\nVSync=7\nAnisotropy=-1\n");
    const CDX9KelEngine::GraficSettings s = CDX9KelEngine::ReadGraficSettings((dir / "engine.ini").string());
    EXPECT_EQ(s.iFullScreen, 0);
    EXPECT_EQ(s.iWidth, 800);
    EXPECT_EQ(s.iHeight, 600);
    EXPECT_EQ(s.iRefreshRate, 75);
    EXPECT_EQ(s.iMultisampleType, 4);
    EXPECT_TRUE(s.bVSync);
    EXPECT_EQ(s.iAnisotropy, -1);
}

} // namespace
