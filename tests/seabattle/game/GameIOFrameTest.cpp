// The game IO's frame: data folders from "folders.ini", the saves folder, the
// kind keys and the extension dispatch.
#include <gtest/gtest.h>

#include <filesystem>
#include <tinyxml.h>

#include "TestFolder.h"
#include "engine3/core/CDX9KelLog.h"
#include "seabattle/game/CVR3GAMEIO.h"

using SeaBattle::CVR3GAMEIO;

namespace {

class GameIOFrame : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        m_prog = m_dir.string() + "/prog/";
        m_user = m_dir.string() + "/user/";
        std::filesystem::create_directories(m_prog);
        std::filesystem::create_directories(m_user);
    }
    std::filesystem::path m_dir;
    std::string m_prog, m_user;
};

TEST_F(GameIOFrame, WithoutFoldersIniEveryFolderIsItsDefault) {
    CVR3GAMEIO io;
    EXPECT_EQ(io.InitFrom(m_prog + "folders.ini", m_prog, m_user), 1);
    const struct {
        CVR3GAMEIO::EFolder folder;
        std::string expected;
    } cases[] = {
        {CVR3GAMEIO::FOLDER_EFFECTS, m_prog + "Effects\\"},
        {CVR3GAMEIO::FOLDER_MODELS, m_prog + "Models\\"},
        {CVR3GAMEIO::FOLDER_PARTICLES, m_prog + "Particles\\"},
        {CVR3GAMEIO::FOLDER_SCENE_OBJECTS, m_prog + "Scene_Objects\\"},
        {CVR3GAMEIO::FOLDER_INFORMATION_OBJECTS, m_prog + "Information_Objects\\"},
        {CVR3GAMEIO::FOLDER_DUEL, m_prog + "Duel\\"},
        {CVR3GAMEIO::FOLDER_SOUND_EFFECTS, m_prog + "Sound\\Effects\\"},
        {CVR3GAMEIO::FOLDER_MUSIC, m_prog + "Sound\\Music\\"},
        {CVR3GAMEIO::FOLDER_SOURCES, m_prog + "Sound\\Sources\\"},
        // The saves lie under the per-user folder, not the program's.
        {CVR3GAMEIO::FOLDER_USER_SAVES, m_user + "Saves\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(io.GetFolder(c.folder), c.expected) << c.expected;
    EXPECT_TRUE(std::filesystem::is_directory(m_user + "Saves"));
    // An existing saves folder is no error, and is not "created" again.
    CVR3GAMEIO again;
    EXPECT_EQ(again.InitFrom(m_prog + "folders.ini", m_prog, m_user), 0);
}

TEST_F(GameIOFrame, ConfiguredValuesAreUsedAsStored) {
    VornaTest::WriteText(m_prog + "folders.ini",
                         "[Game Data]\nscene_objects=Ships\\Scene\\\nMovement_Objects=Moves\n"
                         "[Sound Data]\nEffects=Fx\\\n[User Data]\nUserSaves=My Saves\\\n");
    CVR3GAMEIO io;
    io.InitFrom(m_prog + "folders.ini", m_prog, m_user);
    // Keys match without regard to case, as profile files do.
    EXPECT_EQ(io.GetFolder(CVR3GAMEIO::FOLDER_SCENE_OBJECTS), m_prog + "Ships\\Scene\\");
    // A value without its trailing separator runs into the file name.
    EXPECT_EQ(io.MakePath(CVR3GAMEIO::FOLDER_MOVEMENT_OBJECTS, "a.movobjxml"), m_prog + "Movesa.movobjxml");
    // The sound effects folder has its own key in its own section.
    EXPECT_EQ(io.GetFolder(CVR3GAMEIO::FOLDER_EFFECTS), m_prog + "Effects\\");
    EXPECT_EQ(io.GetFolder(CVR3GAMEIO::FOLDER_SOUND_EFFECTS), m_prog + "Fx\\");
    EXPECT_TRUE(std::filesystem::is_directory(m_user + "My Saves"));
}

TEST_F(GameIOFrame, ExtensionPicksTheFormExactly) {
    CVR3GAMEIO io;
    using SeaBattle::VR3_FORM_BINARY;
    using SeaBattle::VR3_FORM_TEXT;
    using SeaBattle::VR3_FORM_UNKNOWN;
    const struct {
        SeaBattle::EVR3GAMEFileKind kind;
        const char* name;
        SeaBattle::EVR3GAMEFileForm form;
    } cases[] = {
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "ram.scobjxml", VR3_FORM_TEXT},
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "ram.scobjbin", VR3_FORM_BINARY},
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "ram.SCOBJXML", VR3_FORM_UNKNOWN}, // case counts
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "scobjxml", VR3_FORM_TEXT},       // no dot: the whole name
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "ram", VR3_FORM_UNKNOWN},
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "ram.scobjxml.bak", VR3_FORM_UNKNOWN},
        {SeaBattle::VR3_KIND_SCENE_OBJECT, "ram.movobjxml", VR3_FORM_UNKNOWN}, // another kind's key
        {SeaBattle::VR3_KIND_MOVEMENT_OBJECT, "a.b.movobjxml", VR3_FORM_TEXT},
        {SeaBattle::VR3_KIND_ANIMATED_OBJECT, "x.anmobjbin", VR3_FORM_BINARY},
        {SeaBattle::VR3_KIND_ARTILLERY_LIST, "guns.artlstxml", VR3_FORM_TEXT},
        {SeaBattle::VR3_KIND_MAP_ENVIRONMENT, "sea.mapenvbin", VR3_FORM_BINARY},
        {SeaBattle::VR3_KIND_DUEL, "d.duelxml", VR3_FORM_TEXT},
        {SeaBattle::VR3_KIND_INFORMATION_OBJECT, "", VR3_FORM_UNKNOWN},
    };
    for (const auto& c : cases) EXPECT_EQ(io.GetFileForm(c.kind, c.name), c.form) << c.name;
    EXPECT_EQ(io.GetScenarioSaveKey(), "v3savebin");
    EXPECT_EQ(io.GetDuelSaveKey(), "v3cbsavebin");
    EXPECT_EQ(io.GetTextKey(SeaBattle::VR3_KIND_SCENARIO), "scnrxml");
    EXPECT_EQ(io.GetBinaryKey(SeaBattle::VR3_KIND_HARBOUR_MAP), "hrbmapbin");
}

TEST_F(GameIOFrame, ListEntriesSkipCommentsOnlyAndCountOtherNodes) {
    TiXmlDocument doc;
    doc.Parse("<L><a/><!-- c --><b/>text<c/></L>");
    const auto entries = SeaBattle::VR3ListEntries(doc.FirstChildElement("L"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_STREQ(entries[0].element->Value(), "a");
    EXPECT_STREQ(entries[1].element->Value(), "b");
    EXPECT_EQ(entries[2].element, nullptr); // the text node counts but is no element
    EXPECT_STREQ(entries[3].element->Value(), "c");
    EXPECT_TRUE(SeaBattle::VR3ListEntries(nullptr).empty());
}

} // namespace
