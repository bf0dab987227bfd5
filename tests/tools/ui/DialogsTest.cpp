#include "../common/FakeDisplay.h"
#include "TestFolder.h"
#include "WxHarness.h"
#include "tools/common/EngineIni.h"
#include "tools/common/SysinfoLogic.h"
#include "tools/gfxconfig/CGfxconfigDlg.h"
#include "tools/legacyconfig/CDlgMain.h"
#include "tools/sysinfo/CSysinfoDlg.h"
#include "tools/ui/ToolUi.h"

#include <wx/bookctrl.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace VornaTools;
namespace fs = std::filesystem;

namespace {

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        if (!VornaTest::StartWx()) GTEST_SKIP() << "no X display";
        SetMessageHook([this](const wxString& text, const wxString&) { messages.push_back(text.utf8_string()); });
        dir = VornaTest::FreshFolder();
        program = dir.string() + "/";
    }
    void TearDown() override { SetMessageHook({}); }

    VornaTest::FakeDisplay ThreeModes() {
        VornaTest::FakeDisplay d;
        d.modes = {{800, 600, 60, 1}, {1024, 768, 60, 1}, {1280, 1024, 75, 1}};
        return d;
    }

    std::vector<std::string> messages;
    fs::path dir;
    std::string program;
};

constexpr const char* kStored = "; tuned by hand\n[Grafic Settings]\nWidth=1024\nHeight=768\nGamma=3\n"
                                "[Game]\nBattleDebug=1\n";

} // namespace

TEST_F(Dialogs, GfxconfigOkWritesBothPages) {
    VornaTest::WriteText(dir / "engine.ini", kStored);
    std::string musicLabel;
    VornaTest::WhenShown<CGfxconfigDlg>([&](CGfxconfigDlg* dlg) {
        EXPECT_EQ(dlg->GetTitle(), kGfxconfigTitle);
        CPropPageVideo* video = dlg->VideoPage();
        EXPECT_EQ(dynamic_cast<wxChoice*>(video->FindWindow(CPropPageVideo::IDC_RESOLUTION))->GetSelection(), 1);
        VornaTest::Choose(video, CPropPageVideo::IDC_RESOLUTION, 2);
        VornaTest::Choose(video, CPropPageVideo::IDC_REFRESH, 1);
        VornaTest::Choose(video, CPropPageVideo::IDC_QUALITY, 2);
        dynamic_cast<wxRadioButton*>(video->FindWindow(CPropPageVideo::IDC_FULLSCREEN))->SetValue(true);
        VornaTest::SaveScreenshot(dlg, "gfxconfig-video");
        VornaTest::ClickTab(dlg->GetBookCtrl(), 1);
        EXPECT_EQ(dlg->GetBookCtrl()->GetSelection(), 1);
        // The page is drawn by the dialog's own loop; carry on from there.
        VornaTest::WhenShown<CGfxconfigDlg>([&](CGfxconfigDlg* dlg) {
            VornaTest::Slide(dlg->SoundPage(), CPropPageSound::IDC_MUSIC, 35);
            musicLabel = dlg->SoundPage()->FindWindow(CPropPageSound::IDC_MUSIC_LABEL)->GetLabel().utf8_string();
            VornaTest::SaveScreenshot(dlg, "gfxconfig-sound");
            VornaTest::ClickButton(dlg, wxID_OK);
        });
    });
    EXPECT_EQ(RunGfxconfig(program, ThreeModes().Backend()), 0);
    EXPECT_EQ(musicLabel, "35%");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(VornaTest::ReadText(dir / "engine.ini"),
              "; tuned by hand\n[Grafic Settings]\nWidth=1280\nHeight=1024\nGamma=3\nFullScreen=1\nRefreshRate=75\n"
              "VSync=0\nMultisapleType=0\nAnisotropy=4\nReflRefrTexture=512\nShadersLevel=2\nWaterType=0\n"
              "[Game]\nBattleDebug=1\n[Sound Settings]\nMusicVolume=35\nEffectsVolume=100\n");
}

TEST_F(Dialogs, GfxconfigCancelWritesNothing) {
    VornaTest::WriteText(dir / "engine.ini", kStored);
    VornaTest::WhenShown<CGfxconfigDlg>([&](CGfxconfigDlg* dlg) {
        VornaTest::Choose(dlg->VideoPage(), CPropPageVideo::IDC_RESOLUTION, 0);
        VornaTest::ClickButton(dlg, wxID_CANCEL);
    });
    EXPECT_EQ(RunGfxconfig(program, ThreeModes().Backend()), 0);
    EXPECT_EQ(VornaTest::ReadText(dir / "engine.ini"), kStored);
}

// The X server's own modes: one mode, at 0 Hz. The stored 60 Hz is not on
// offer, so it stays as it was.
TEST_F(Dialogs, GfxconfigWithTheRealDisplay) {
    const std::string old = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
    ::unsetenv("SDL_VIDEODRIVER");
    VornaTest::WriteText(dir / "engine.ini", "[Grafic Settings]\nRefreshRate=60\n");
    std::string firstMode;
    VornaTest::WhenShown<CGfxconfigDlg>([&](CGfxconfigDlg* dlg) {
        auto* res = dynamic_cast<wxChoice*>(dlg->VideoPage()->FindWindow(CPropPageVideo::IDC_RESOLUTION));
        if (res->GetCount() > 0) {
            VornaTest::Choose(dlg->VideoPage(), CPropPageVideo::IDC_RESOLUTION, 0);
            firstMode = res->GetString(0).utf8_string();
        }
        VornaTest::SaveScreenshot(dlg, "gfxconfig-real-display");
        VornaTest::ClickButton(dlg, wxID_OK);
    });
    EXPECT_EQ(RunGfxconfig(program), 0);
    if (!old.empty()) ::setenv("SDL_VIDEODRIVER", old.c_str(), 1);
    const std::string ini = (dir / "engine.ini").string();
    EXPECT_EQ(ReadIniInt(ini, kGraficSection, kKeyRefreshRate, -1), 60);
    EXPECT_EQ(ReadIniInt(ini, kSoundSection, kKeyMusicVolume, -1), 100);
    if (!firstMode.empty()) {
        EXPECT_EQ(std::to_string(ReadIniInt(ini, kGraficSection, kKeyWidth, -1)) + " x " +
                      std::to_string(ReadIniInt(ini, kGraficSection, kKeyHeight, -1)),
                  firstMode);
    }
}

TEST_F(Dialogs, GfxconfigWithoutSettingsFolderWritesNothing) {
    const fs::path docs = dir / "docs";
    fs::create_directories(docs);
    ::setenv("XDG_DATA_HOME", docs.c_str(), 1);
    VornaTest::WriteText(docs / "no", "a file where the folder should be");
    VornaTest::WriteText(dir / "folders.ini", "[User Data]\nUseLocalDirectory=1\nUserLocalDirectory=no\\such\\\n");
    VornaTest::WhenShown<CGfxconfigDlg>([&](CGfxconfigDlg* dlg) { VornaTest::ClickButton(dlg, wxID_OK); });
    EXPECT_EQ(RunGfxconfig(program, ThreeModes().Backend()), 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("cannot be created"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(docs), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists(dir / "engine.ini"));
}

TEST_F(Dialogs, LegacyconfigSavesSixKeys) {
    const std::string ini = (dir / "engine.ini").string();
    VornaTest::WriteText(ini, "[Grafic Settings]\nVSync=1\n");
    VornaTest::FakeDisplay d = ThreeModes();
    d.desktop = {1024, 768, 60, 1};
    std::string effectsLabel;
    VornaTest::WhenShown<CDlgMain>([&](CDlgMain* dlg) {
        EXPECT_EQ(dlg->FullScreenChoice(), 1); // nothing stored: full screen
        EXPECT_EQ(dlg->ResolutionSelection(), 1); // the desktop's mode
        dynamic_cast<wxRadioButton*>(dlg->FindWindow(CDlgMain::IDC_WINDOW))->SetValue(true);
        VornaTest::Choose(dlg, CDlgMain::IDC_RESOLUTION, 0);
        VornaTest::Slide(dlg, CDlgMain::IDC_EFFECTS, 70);
        effectsLabel = dlg->FindWindow(CDlgMain::IDC_EFFECTS_LABEL)->GetLabel().utf8_string();
        VornaTest::SaveScreenshot(dlg, "legacyconfig");
        VornaTest::ClickButton(dlg, CDlgMain::IDC_SAVE);
    });
    EXPECT_EQ(RunLegacyconfig(ini, d.Backend()), 0);
    EXPECT_EQ(effectsLabel, "70%");
    EXPECT_EQ(VornaTest::ReadText(ini), "[Grafic Settings]\nVSync=1\nFullScreen=0\nWidth=800\nHeight=600\n"
                                        "RefreshRate=60\n[Sound Settings]\nMusicVolume=100\nEffectsVolume=70\n");
}

TEST_F(Dialogs, LegacyconfigCancelAndMissingPath) {
    const std::string ini = (dir / "engine.ini").string();
    VornaTest::WriteText(ini, kStored);
    VornaTest::WhenShown<CDlgMain>([&](CDlgMain* dlg) { VornaTest::ClickButton(dlg, wxID_CANCEL); });
    EXPECT_EQ(RunLegacyconfig(ini, ThreeModes().Backend()), 0);
    EXPECT_EQ(VornaTest::ReadText(ini), kStored);

    // No display: told once, the dialog still opens, and nothing is lost.
    VornaTest::FakeDisplay none;
    none.modesOk = false;
    VornaTest::WhenShown<CDlgMain>([&](CDlgMain* dlg) { VornaTest::ClickButton(dlg, CDlgMain::IDC_SAVE); });
    EXPECT_EQ(RunLegacyconfig(ini, none.Backend()), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(ReadIniInt(ini, kGraficSection, kKeyWidth, -1), 1024);
    EXPECT_EQ(ReadIniInt(ini, kGraficSection, kKeyFullScreen, -1), 1);
    const std::string afterSave = VornaTest::ReadText(ini);

    // No path: told, and Save writes nowhere.
    messages.clear();
    fs::current_path(dir);
    VornaTest::WhenShown<CDlgMain>([&](CDlgMain* dlg) { VornaTest::ClickButton(dlg, CDlgMain::IDC_SAVE); });
    EXPECT_EQ(RunLegacyconfig("", ThreeModes().Backend()), 1);
    EXPECT_EQ(messages, (std::vector<std::string>{"Not find path to file"}));
    EXPECT_EQ(VornaTest::ReadText(ini), afterSave);
    // Nothing appeared in the current folder either.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

namespace {
class TestSysinfoDlg : public CSysinfoDlg {
public:
    using CSysinfoDlg::CSysinfoDlg;
    std::string target;
    bool ChooseSavePath(wxString& path) override {
        if (target.empty()) return false;
        path = wxString::FromUTF8(target);
        return true;
    }
};
} // namespace

TEST_F(Dialogs, SysinfoShowsInfoSavesLogAndStartsDiagnostics) {
    VornaTest::WriteText(dir / "info.txt", "A\nB\nC\n");
    VornaTest::WriteText(dir / "Vorna3Log.log", "Begin\n");
    // A stand-in diagnostic program that leaves a mark.
    VornaTest::WriteText(dir / "vornadiag", "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    fs::permissions(dir / "vornadiag", fs::perms::owner_all);

    TestSysinfoDlg dlg(nullptr, program);
    std::vector<std::string> lines;
    for (const wxString& s : dlg.InfoList()->GetStrings()) lines.push_back(s.utf8_string());
    EXPECT_EQ(lines, (std::vector<std::string>{"C ", "B ", "A "}));

    VornaTest::WhenShown<TestSysinfoDlg>([&](TestSysinfoDlg* d) {
        VornaTest::SaveScreenshot(d, "sysinfo");
        d->target = (dir / "saved.log").string();
        VornaTest::ClickButton(d, CSysinfoDlg::IDC_SAVELOG);
        VornaTest::ClickButton(d, CSysinfoDlg::IDC_RUNDIAG);
        d->EndModal(wxID_CANCEL); // closed from the title bar by the user
    });
    dlg.ShowModal();
    EXPECT_EQ(VornaTest::ReadText(dir / "saved.log"), "Begin\n");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("is successfully copied"), std::string::npos);
    // The program runs on its own; wait for its mark (a busy machine may
    // take long to start it).
    for (int i = 0; i < 600 && !fs::exists(dir / "started"); ++i) wxMilliSleep(100);
    EXPECT_TRUE(fs::exists(dir / "started"));
}

TEST_F(Dialogs, SysinfoReportsWhatIsMissing) {
    TestSysinfoDlg dlg(nullptr, program);
    EXPECT_EQ(dlg.InfoList()->GetCount(), 0u);
    VornaTest::WriteText(dir / "vorna3log.log", "x");
    dlg.SaveLog();
    dlg.RunDiagnostics();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], LogNotFoundMessage(program));
    EXPECT_EQ(messages[1], kDiagNotStartedMessage);
    dlg.Destroy();
}
