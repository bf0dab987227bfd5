#include "FakeDisplay.h"
#include "TestFolder.h"
#include "platform/os/Profile.h"
#include "tools/common/EngineIni.h"
#include "tools/common/GfxSettings.h"
#include "tools/common/LegacySettings.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace VornaTools;
namespace fs = std::filesystem;

namespace {

VornaTest::FakeDisplay ThreeModes() {
    VornaTest::FakeDisplay d;
    d.modes = {{800, 600, 60, 1}, {1024, 768, 60, 1}, {1280, 1024, 75, 1}};
    return d;
}

// The (key, value) lines of a file, in order.
std::vector<std::string> KeyLines(const fs::path& p) {
    std::vector<std::string> keys;
    const std::string text = VornaTest::ReadText(p);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        keys.push_back(line);
        pos = end + 1;
    }
    return keys;
}

} // namespace

TEST(PresetSearch, FindsFirstEntryBeginningWithTheTextIgnoringCase) {
    std::vector<std::string> aniso;
    for (int i = 1; i <= 16; ++i) aniso.push_back(std::to_string(i));
    EXPECT_EQ(FindPresetEntry(aniso, "1"), 0); // "1", not "10"
    EXPECT_EQ(FindPresetEntry(aniso, "4"), 3);
    EXPECT_EQ(FindPresetEntry(aniso, "17"), -1);
    EXPECT_EQ(FindPresetEntry({"Low", "Middle"}, "middle"), 1);
    EXPECT_EQ(FindPresetEntry({"Low", "Middle"}, "High"), -1);
    EXPECT_EQ(FindPresetEntry({"1024 x 768", "1280 x 1024"}, "1280 x 1024"), 1);
    EXPECT_EQ(FindPresetEntry({}, "1"), -1);
}

TEST(EngineIniWriting, KeepsOtherLinesAndReportsFailure) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::WriteText(path, "; display\r\n[Grafic Settings]\r\nWidth=800\r\nGamma=3\r\n\r\n[Game]\r\nBattleDebug=1\r\n");
    ASSERT_TRUE(WriteIniInt(path, kGraficSection, kKeyWidth, 1280));
    ASSERT_TRUE(WriteIniInt(path, kGraficSection, kKeyHeight, -1));
    EXPECT_EQ(VornaTest::ReadText(path), "; display\r\n[Grafic Settings]\r\nWidth=1280\r\nGamma=3\r\nHeight=-1\r\n\r\n"
                                         "[Game]\r\nBattleDebug=1\r\n");
    EXPECT_EQ(ReadIniInt(path, kGraficSection, kKeyHeight, 5), -1);
    EXPECT_EQ(ReadIniInt(path, kGraficSection, "Missing", 7), 7);

    // A folder that does not exist cannot take the file; nothing appears.
    const std::string lost = (dir / "nowhere" / "engine.ini").string();
    EXPECT_FALSE(WriteIniInt(lost, kGraficSection, kKeyWidth, 1));
    EXPECT_FALSE(WriteIniInt("", kGraficSection, kKeyWidth, 1));
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST(FolderRule, ProgramFolderOrConfiguredFolderUnderDocuments) {
    const fs::path dir = VornaTest::FreshFolder();
    const fs::path docs = dir / "docs";
    fs::create_directories(docs);
    ::setenv("XDG_DATA_HOME", docs.c_str(), 1);
    const std::string program = (dir / "bin").string() + "/";
    fs::create_directories(program);

    // No folders.ini: beside the program.
    EXPECT_EQ(UserSettingsPath(program), program + "engine.ini");

    VornaTest::WriteText(program + "folders.ini", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=Vorna\\\n");
    const std::string path = UserSettingsPath(program);
    EXPECT_EQ(path, docs.string() + "/Vorna\\engine.ini");
    EXPECT_TRUE(fs::is_directory(docs / "Vorna")); // made on the way
    EXPECT_EQ(UserSettingsPath(program), path);    // an existing folder is no failure

    // Without creating (the information tool only looks), an existing
    // configured folder is named.
    std::string folder;
    EXPECT_TRUE(ResolveUserDataFolder(program, false, folder));
    EXPECT_EQ(folder, docs.string() + "/Vorna\\");

    // A folder whose parents are missing is made with them.
    VornaTest::WriteText(program + "folders.ini", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=a\\b\\\n");
    EXPECT_EQ(UserSettingsPath(program), docs.string() + "/a\\b\\engine.ini");
    EXPECT_TRUE(fs::is_directory(docs / "a" / "b"));

    // A file in the way: no path, and the folder is named.
    VornaTest::WriteText(docs / "file", "x");
    VornaTest::WriteText(program + "folders.ini", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=file\\b\\\n");
    std::string failed;
    EXPECT_EQ(UserSettingsPath(program, &failed), "");
    EXPECT_EQ(failed, docs.string() + "/file\\b\\");
    // The battle program then writes beside itself, and that is where the
    // information tool looks.
    EXPECT_TRUE(ResolveUserDataFolder(program, false, folder));
    EXPECT_EQ(folder, program);
}

TEST(GfxSettings, PresetsFromStoredValues) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::WriteText(path, "[Grafic Settings]\nWidth=1280\nHeight=1024\nRefreshRate=75\nAnisotropy=1\n"
                               "MultisapleType=4\nReflRefrTexture=256\nShadersLevel=2\nWaterType=1\nFullScreen=1\n");
    VornaTest::FakeDisplay d = ThreeModes();
    d.adapter.glMajor = 2; // shader model 2: no "High"
    d.adapter.glMinor = 0;
    CDX9KelRender r(d.Backend());
    GfxVideoSettings s;
    s.Read(path);
    std::vector<std::string> warnings;
    ASSERT_TRUE(s.BuildLists(r, warnings));
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(s.resolution.texts, (std::vector<std::string>{"800 x 600", "1024 x 768", "1280 x 1024"}));
    EXPECT_EQ(s.resolution.selection, 2);
    EXPECT_EQ(s.refresh.selection, 1);
    EXPECT_EQ(s.multisampleTypes.texts, (std::vector<std::string>{"0", "2", "4", "8"}));
    EXPECT_EQ(s.multisampleTypes.selection, 2);
    EXPECT_EQ(s.anisotropyLevels.texts.size(), 16u);
    EXPECT_EQ(s.anisotropyLevels.selection, 0);
    EXPECT_EQ(s.reflRefrSizes.selection, -1); // 256 is not offered
    EXPECT_EQ(s.quality.texts, (std::vector<std::string>{"Low", "Middle"}));
    EXPECT_EQ(s.quality.selection, -1);
    EXPECT_EQ(s.water.selection, 1);
    EXPECT_EQ(s.fullScreen, 1);
}

TEST(GfxSettings, WarningsForWeakShadersAndOldSeries) {
    VornaTest::FakeDisplay d = ThreeModes();
    d.adapter.renderer = "GeForce 7600 GT";
    d.adapter.glMajor = 1;
    CDX9KelRender r(d.Backend());
    GfxVideoSettings s;
    std::vector<std::string> warnings;
    ASSERT_TRUE(s.BuildLists(r, warnings));
    EXPECT_EQ(warnings, (std::vector<std::string>{kShaderWarning, kWaterWarning}));

    d.adapter.renderer = "GeForce 8800 GT";
    d.adapter.glMajor = 3;
    CDX9KelRender r2(d.Backend());
    warnings.clear();
    ASSERT_TRUE(s.BuildLists(r2, warnings));
    EXPECT_TRUE(warnings.empty());
}

TEST(GfxSettings, SaveWritesTheTwelveKeysInOrderAndKeepsTheRest) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::WriteText(path, "; written by hand\n[Game]\nBattleDebug=1\n");
    VornaTest::FakeDisplay d = ThreeModes();
    CDX9KelRender r(d.Backend());
    GfxVideoSettings v;
    v.Read(path); // nothing stored: the tool's defaults
    std::vector<std::string> warnings;
    ASSERT_TRUE(v.BuildLists(r, warnings));
    EXPECT_EQ(v.resolution.selection, 1); // 1024 x 768
    EXPECT_EQ(v.refresh.selection, 0);    // 60
    v.fullScreen = 1;
    v.vsync = 1;
    v.resolution.selection = 2;
    v.refresh.selection = 1;
    v.reflRefrSizes.selection = 1;
    v.quality.selection = 2;
    GfxSoundSettings snd;
    snd.Read(path);
    EXPECT_EQ(snd.musicVolume, 100);
    snd.musicVolume = 35;
    ASSERT_TRUE(v.Save(path));
    ASSERT_TRUE(snd.Save(path));
    EXPECT_EQ(KeyLines(path),
              (std::vector<std::string>{"; written by hand", "[Game]", "BattleDebug=1", "[Grafic Settings]",
                                        "FullScreen=1", "Width=1280", "Height=1024", "RefreshRate=75", "VSync=1",
                                        "MultisapleType=0", "Anisotropy=4", "ReflRefrTexture=1024", "ShadersLevel=2",
                                        "WaterType=0", "[Sound Settings]", "MusicVolume=35", "EffectsVolume=100"}));
}

// A display list without a selection keeps the value read; every other list
// writes what its position gives, so all ten keys are written.
TEST(GfxSettings, ListWithoutSelectionWritesItsRule) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::WriteText(path, "[Grafic Settings]\nWidth=1600\nHeight=900\nRefreshRate=144\nReflRefrTexture=256\n"
                               "ShadersLevel=2\nAnisotropy=32\nMultisapleType=7\nWaterType=5\n");
    VornaTest::FakeDisplay d = ThreeModes();
    d.adapter.glMajor = 2; // pixel shaders 2.0: no "High" entry
    d.adapter.glMinor = 0;
    CDX9KelRender r(d.Backend());
    GfxVideoSettings v;
    v.Read(path);
    std::vector<std::string> warnings;
    ASSERT_TRUE(v.BuildLists(r, warnings));
    ASSERT_TRUE(v.Save(path));
    EXPECT_EQ(KeyLines(path),
              (std::vector<std::string>{"[Grafic Settings]", "Width=1600", "Height=900", "RefreshRate=144",
                                        "ReflRefrTexture=1024", "ShadersLevel=-1", "Anisotropy=0",
                                        "MultisapleType=7", "WaterType=-1", "FullScreen=0", "VSync=0"}));

    // No display at all: every list is empty; the display keys keep what was
    // read (or the tool's defaults), the radio and check box what was read.
    VornaTest::FakeDisplay none;
    none.modesOk = false;
    CDX9KelRender r2(none.Backend());
    VornaTest::WriteText(path, "[Grafic Settings]\nFullScreen=1\nVSync=1\nWidth=1600\n");
    v = GfxVideoSettings{};
    v.Read(path);
    EXPECT_FALSE(v.BuildLists(r2, warnings));
    EXPECT_TRUE(v.resolution.texts.empty() && v.anisotropyLevels.texts.empty() && v.quality.texts.empty());
    ASSERT_TRUE(v.Save(path));
    EXPECT_EQ(KeyLines(path),
              (std::vector<std::string>{"[Grafic Settings]", "FullScreen=1", "VSync=1", "Width=1600", "Height=768",
                                        "RefreshRate=60", "MultisapleType=0", "Anisotropy=0", "ReflRefrTexture=1024",
                                        "ShadersLevel=-1", "WaterType=-1"}));
}

TEST(GfxSettings, NoPathWritesNothing) {
    const fs::path dir = VornaTest::FreshFolder();
    fs::current_path(dir);
    GfxVideoSettings v;
    GfxSoundSettings s;
    EXPECT_FALSE(v.Save(""));
    EXPECT_FALSE(s.Save(""));
    EXPECT_TRUE(fs::is_empty(dir));
}

// The battle program reads the window size with these very functions and names.
TEST(GfxSettings, BattleProgramReadsTheWrittenWindowSize) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::FakeDisplay d = ThreeModes();
    CDX9KelRender r(d.Backend());
    GfxVideoSettings v;
    std::vector<std::string> warnings;
    ASSERT_TRUE(v.BuildLists(r, warnings));
    v.resolution.selection = 0;
    ASSERT_TRUE(v.Save(path));
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Grafic Settings", "Width", -1, path.c_str())), 800);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Grafic Settings", "Height", -1, path.c_str())), 600);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Grafic Settings", "FullScreen", -1, path.c_str())), 0);
}

TEST(LegacySettings, NoFileChoosesFullScreenAndTheDesktopMode) {
    const fs::path dir = VornaTest::FreshFolder();
    LegacySettings s;
    s.Read((dir / "engine.ini").string());
    VornaTest::FakeDisplay d;
    d.desktop = {1280, 1024, 75, 1};
    d.modes = {{640, 480, 60, 1}, {1280, 768, 60, 1}, {1280, 1024, 60, 1}, {1360, 768, 60, 1},
               {1280, 1024, 75, 1}, {1600, 900, 60, 2}};
    s.BuildModeLists(d.desktop, d.modes);
    // 1360 x 768 has the height of an earlier entry; 1600 x 900 is in another format.
    EXPECT_EQ(s.resolutionTexts, (std::vector<std::string>{"1280 x 768", "1280 x 1024"}));
    EXPECT_EQ(s.refreshTexts, (std::vector<std::string>{"60", "75"}));
    EXPECT_EQ(s.InitialFullScreenChoice(), 1);
    EXPECT_EQ(s.InitialResolutionSelection(), 1);
    EXPECT_EQ(s.InitialRefreshSelection(), 1);
    EXPECT_EQ(s.musicVolume, 100);
    EXPECT_EQ(s.effectsVolume, 100);
}

TEST(LegacySettings, StoredModeNotOfferedHasNoPreselection) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::WriteText(path, "[Grafic Settings]\nFullScreen=0\nWidth=1920\nHeight=1080\nRefreshRate=60\n");
    LegacySettings s;
    s.Read(path);
    VornaTest::FakeDisplay d;
    d.modes = {{1280, 1024, 60, 1}, {1024, 768, 75, 1}};
    s.BuildModeLists(d.desktop, d.modes);
    EXPECT_EQ(s.InitialFullScreenChoice(), 0);
    EXPECT_EQ(s.InitialResolutionSelection(), -1);
    EXPECT_EQ(s.InitialRefreshSelection(), 0);
}

TEST(LegacySettings, SaveWritesSixKeysAndLeavesTheRest) {
    const fs::path dir = VornaTest::FreshFolder();
    const std::string path = (dir / "engine.ini").string();
    VornaTest::WriteText(path, "[Grafic Settings]\nVSync=1\nWidth=1\nHeight=2\nRefreshRate=3\nShadersLevel=2\n");
    LegacySettings s;
    s.Read(path);
    VornaTest::FakeDisplay d;
    d.modes = {{1024, 768, 60, 1}, {1280, 1024, 75, 1}};
    s.BuildModeLists(d.desktop, d.modes);
    ASSERT_TRUE(s.Save(path, 0, 1, 0, 40, 60));
    EXPECT_EQ(KeyLines(path),
              (std::vector<std::string>{"[Grafic Settings]", "VSync=1", "Width=1280", "Height=1024", "RefreshRate=60",
                                        "ShadersLevel=2", "FullScreen=0", "[Sound Settings]", "MusicVolume=40",
                                        "EffectsVolume=60"}));
    // Nothing chosen in the lists: their keys stay.
    ASSERT_TRUE(s.Save(path, 1, -1, -1, 40, 60));
    EXPECT_EQ(ReadIniInt(path, kGraficSection, kKeyWidth, 0), 1280);
    EXPECT_EQ(ReadIniInt(path, kGraficSection, kKeyRefreshRate, 0), 60);
    EXPECT_EQ(ReadIniInt(path, kGraficSection, kKeyFullScreen, 0), 1);
    EXPECT_FALSE(s.Save("", 1, 0, 0, 1, 1));
}
