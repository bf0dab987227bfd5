#pragma once
// A dialog over the whole test window with the test font and a plain
// texture, for driving the composite controls frame by frame.
#include <memory>

#include "engine3/ui/sgui/GuiTestSupport.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIText.h"

namespace ControlsTest {

using namespace SguiTest;

inline const float kWhite[4] = {1, 1, 1, 1};
inline const float kFull[4] = {0, 0, 100, 100};

class ControlsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        m_log = std::make_unique<LogCapture>(m_dir);
        if (!m_world.Create())
            GTEST_SKIP() << "no GL context";
        m_font = m_world.LoadTestFont(m_dir);
        ASSERT_GE(m_font, 0) << m_log->Text();
        WriteBmp(m_dir / "plain.bmp", 16, 16, 200, 200, 200);
        m_texture.strFile = GuiWorld::FromExe(m_dir / "plain.bmp");
        m_dialog = gui().InitDialog("Controls", true, 0, 0, 320, 240);
        ASSERT_NE(m_dialog, nullptr);
    }
    CDX9KelSGUIManager& gui() { return m_world.m_Gui; }
    IDirect3DDevice9* device() { return m_world.m_pDevice; }
    std::string Log() const { return m_log->Text(); }
    // The next press finds the shared input timer free.
    void FreeTimer() { gui().m_dwInputTime = 0; }
    // Press and release at a point, one frame each.
    void Click(LONG x, LONG y) {
        FreeTimer();
        m_world.Frame(x, y, false); // buttons are pressed from their hover look
        m_world.Frame(x, y, true);
        m_world.Frame(x, y, false);
    }
    CDX9KelSGUIControlButtonCheck* AddCheck(const char* name, LONG l, LONG t, LONG r, LONG b) {
        return m_dialog->AddCheckButton(device(), name, false, -1, 0, "", m_texture, l, t, r, b, kWhite, kFull,
                                        kWhite);
    }

    std::filesystem::path m_dir;
    std::unique_ptr<LogCapture> m_log;
    GuiWorld m_world;
    int m_font = -1;
    SGUITextureDesc m_texture;
    SGUITextureDesc m_none;
    CDX9KelSGUIDialog* m_dialog = nullptr;
};

} // namespace ControlsTest
