// The scroll bar and the stepped scroll bar: layout, positions, arrows,
// track clicks, wheel, dragging with snap, and their edge cases.
#include "ControlsTestSupport.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"

using namespace ControlsTest;

namespace {

class ScrollBarTest : public ControlsFixture {
protected:
    CDX9KelSGUIControlScrollBar* AddBar(const char* name, LONG l, LONG t, LONG r, LONG b, bool arrows,
                                        bool vertical = true) {
        return m_dialog->AddScrollBar(device(), name, m_texture, kWhite, m_texture, kWhite,
                                      arrows ? m_texture : m_none, kWhite, arrows ? m_texture : m_none, kWhite,
                                      vertical, l, t, r, b);
    }
};

TEST_F(ScrollBarTest, LayoutPositionsArrowsAndWheel) {
    auto* bar = AddBar("Bar", 100, 20, 120, 120, true);
    ASSERT_NE(bar, nullptr) << Log();
    ASSERT_TRUE(bar->m_pArrow1 && bar->m_pArrow2 && bar->m_pTrack && bar->m_pBar);
    EXPECT_EQ(bar->m_pArrow1->GetRect().bottom, 40);
    EXPECT_EQ(bar->m_pArrow2->GetRect().top, 100);
    EXPECT_EQ(bar->m_pTrack->GetRect().top, 40);
    EXPECT_EQ(bar->m_pTrack->GetRect().bottom, 100);
    EXPECT_EQ(bar->m_iMaxCount, 12); // 60 / 5

    // Mode 0 with three positions: step 3, the bar is the track less 6 pixels.
    bar->m_iCount = 3;
    ASSERT_TRUE(bar->Layout());
    EXPECT_EQ(bar->m_iStep, 3);
    EXPECT_FALSE(bar->SetPosition(-1));
    EXPECT_FALSE(bar->SetPosition(4));
    EXPECT_TRUE(bar->SetPosition(3));
    EXPECT_EQ(bar->m_pBar->GetRect().top, 49);
    EXPECT_EQ(bar->m_pBar->GetRect().bottom, 49 + 54);
    ASSERT_TRUE(bar->SetPosition(0));

    // Arrow 2 held: one step now and one whenever the 250 ms timer allows.
    FreeTimer();
    m_world.Frame(110, 110, false); // buttons are pressed from their hover look
    for (int i = 0; i < 40; ++i) m_world.Frame(110, 110, true); // 640 ms
    m_world.Frame(110, 110, false);
    EXPECT_EQ(bar->GetPosition(), 3) << "capped at the number of positions";
    ASSERT_TRUE(bar->SetPosition(1));
    FreeTimer();
    m_world.Frame(110, 30, false);
    for (int i = 0; i < 3; ++i) m_world.Frame(110, 30, true);
    m_world.Frame(110, 30, false);
    EXPECT_EQ(bar->GetPosition(), 0);

    // The wheel over the bar: towards 0 above 0.
    gui().m_fWheel = -120.0f;
    m_world.Frame(110, 70, false);
    gui().m_fWheel = 0.0f;
    EXPECT_EQ(bar->GetPosition(), 1);
}

TEST_F(ScrollBarTest, TrackClicksDragAndSnap) {
    auto* bar = AddBar("Bar", 100, 20, 120, 120, false);
    ASSERT_NE(bar, nullptr) << Log();
    EXPECT_EQ(bar->m_pArrow1, nullptr);
    EXPECT_EQ(bar->m_pTrack->GetRect().top, 20);
    EXPECT_EQ(bar->m_pTrack->GetRect().bottom, 120);
    // Mode 1, ten positions over a 100-pixel track: step 1 (a third of 5 %), bar 90 long.
    bar->m_iMode = 1;
    bar->m_iCount = 10;
    ASSERT_TRUE(bar->Layout());
    EXPECT_EQ(bar->m_iMaxCount, 95);
    EXPECT_EQ(bar->m_iStep, 1);
    EXPECT_EQ(bar->m_pBar->GetRect().bottom - bar->m_pBar->GetRect().top, 90);
    const POINT points[] = {{110, 19}, {110, 20}, {110, 27}, {110, 119}, {110, 120}};
    const int expect[] = {-1, 0, 7, 10, -1};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(bar->PointToPosition(points[i]), expect[i]) << i;

    // Dragging the bar moves it with the cursor inside the track only.
    m_world.Frame(110, 30, false);
    m_world.Frame(110, 30, true);
    m_world.Frame(110, 30, true);
    EXPECT_TRUE(bar->m_bDragging);
    EXPECT_TRUE(m_dialog->m_bCaptured);
    m_world.Frame(110, 33, true);
    m_world.Frame(110, 36, true);
    EXPECT_EQ(bar->m_pBar->GetRect().top, 23);
    m_world.Frame(110, 90, true); // would leave the track: the bar stays
    EXPECT_EQ(bar->m_pBar->GetRect().top, 23);
    // Mode 1 takes the position at the bar's centre, measured from the track's start.
    EXPECT_EQ(bar->GetPosition(), 10);
    m_world.Frame(110, 90, false);
    EXPECT_FALSE(bar->m_bDragging);
    EXPECT_FALSE(m_dialog->m_bCaptured);
    EXPECT_EQ(bar->m_pBar->GetRect().top, 30); // snapped to position 10

    // A click on the track below the bar jumps there.
    ASSERT_TRUE(bar->SetPosition(0));
    FreeTimer();
    m_world.Frame(110, 115, true);
    m_world.Frame(110, 115, false);
    EXPECT_EQ(bar->GetPosition(), 10);

    // No positions: the step is 0 and every point of the track is position 0.
    bar->m_iCount = 0;
    bar->m_iPosition = 0;
    ASSERT_TRUE(bar->Layout());
    EXPECT_EQ(bar->m_iStep, 0);
    EXPECT_EQ(bar->PointToPosition({110, 100}), 0);
}

TEST_F(ScrollBarTest, ATrackShorterThanItsArrowsIsRefused) {
    EXPECT_EQ(AddBar("Short", 100, 20, 120, 55, true), nullptr);
    EXPECT_NE(Log().find("CDX9KelSGUIDialog::AddScrollBar: not init. Dialog : Controls. Control : Short\n"),
              std::string::npos)
        << Log();
    EXPECT_EQ(m_dialog->FindControl("Short_bar"), nullptr);
    EXPECT_EQ(m_dialog->FindControl("Short_arrow1"), nullptr);
    // A track of 4 pixels has room for no position (mode 0).
    auto* tiny = AddBar("Tiny", 100, 20, 120, 64, true);
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(tiny->m_iMaxCount, 0);
}

class StepBarTest : public ControlsFixture {
protected:
    CDX9KelSGUIControlScrollBarHard* Add(int mode, LONG workRight = 230) {
        return m_dialog->AddScrollBarHard(device(), "Slider", m_texture, kWhite, m_texture, kWhite, m_texture,
                                          kWhite, false, mode, 1, 20, 100, 240, 140, 30, 110, workRight, 130, 20, 16);
    }
};

TEST_F(StepBarTest, StepsPositionsAndReachInBothModes) {
    auto* s = Add(0);
    ASSERT_NE(s, nullptr) << Log();
    EXPECT_EQ(s->m_iStep, 20);
    EXPECT_EQ(s->m_iSteps, 10);
    EXPECT_EQ(s->m_pBar->GetRect().top, 112); // centred across
    EXPECT_FALSE(s->SetRect(0, 0, 10, 10));
    EXPECT_FALSE(s->Resize(10, 10));

    ASSERT_TRUE(s->SetBarLength(2));
    EXPECT_TRUE(s->SetPosition(7));
    EXPECT_EQ(s->m_pBar->GetRect().left, 30 + 7 * 20);
    EXPECT_FALSE(s->SetPosition(8));
    EXPECT_EQ(s->m_ReachRect.right, 230 - 40);
    EXPECT_TRUE(s->m_pWork->m_bClip);
    // A length that does not fit is not kept.
    EXPECT_FALSE(s->SetBarLength(10));
    EXPECT_EQ(s->m_iBarLength, 2);
    EXPECT_TRUE(s->SetPosition(1));

    // A click beyond the reach does not move the bar; one inside does.
    FreeTimer();
    m_world.Frame(200, 120, true);
    m_world.Frame(200, 120, false);
    EXPECT_EQ(s->GetPosition(), 1);
    m_world.Frame(95, 120, true);
    m_world.Frame(95, 120, false);
    EXPECT_EQ(s->GetPosition(), 3);

    ASSERT_TRUE(s->SetMode(1));
    ASSERT_TRUE(s->SetBarLength(0));
    EXPECT_EQ(s->m_iSteps, 9);
    for (int p = -4; p <= 4; ++p) EXPECT_TRUE(s->SetPosition(p)) << p;
    EXPECT_FALSE(s->SetPosition(5));
    EXPECT_FALSE(s->SetPosition(-5));
    ASSERT_TRUE(s->SetPosition(-4));
    EXPECT_EQ(s->m_pBar->GetRect().left, 30);
    // Points around the centre (30 + 4 x 20 = 110) truncate towards it.
    const LONG xs[] = {110, 129, 130, 109, 90, 89, 30, 229, 230};
    const int expect[] = {0, 0, 1, -1, -2, -2, -5, 5, CDX9KelSGUIControlScrollBarHard::kNoPosition};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(s->PointToPosition({xs[i], 120}), expect[i]) << xs[i];
}

TEST_F(StepBarTest, InitChecksItsTexturesAndWorkArea) {
    EXPECT_EQ(Add(0, 241), nullptr);
    EXPECT_NE(Log().find("CDX9KelSGUIControlScrollBarHard::Init(): Work borders out of Main borders\n"),
              std::string::npos);
    EXPECT_EQ(m_dialog->AddScrollBarHard(device(), "NoTex", m_texture, kWhite, m_none, kWhite, m_texture, kWhite,
                                         false, 0, 0, 20, 100, 240, 140, 30, 110, 230, 130, 20, 16),
              nullptr);
    EXPECT_NE(Log().find("CDX9KelSGUIControlScrollBarHard::Init(): empty main textures\n"), std::string::npos);
    auto* s = Add(0);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->MoveBy(5, 0));
    EXPECT_EQ(s->m_WorkRect.left, 35);
    EXPECT_EQ(s->m_pWork->m_ClipRect.left, 35);
}

} // namespace
