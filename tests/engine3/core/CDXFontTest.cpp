// Screen text and the FPS counter.
#include <gtest/gtest.h>

#include "engine3/core/CDXFont.h"
#include "common/OffscreenDevice.h"
#include "platform/os/Clock.h"

using namespace Vorna3D;

namespace {

TEST(TextHelperTest, ColourComponentsMapToBytes) {
    CDX9KelTextHelper h(nullptr, nullptr);
    struct Case {
        float r, g, b, a;
        D3DCOLOR expected;
    } cases[] = {{1.5f, -0.2f, 0.5f, 1.0f, 0xFFFF0080u}, {0, 0, 0, 0, 0u}, {1, 1, 1, 1, 0xFFFFFFFFu}};
    for (const auto& c : cases) {
        h.SetForegroundColor(c.r, c.g, c.b, c.a);
        EXPECT_EQ(h.Color(), c.expected);
    }
}

TEST(TextHelperTest, MissingFontFailsAndKeepsThePosition) {
    CDX9KelTextHelper h(nullptr, nullptr);
    h.SetInsertionPos(3, 7);
    EXPECT_EQ(h.DrawTextLine("x"), E_FAIL);
    EXPECT_EQ(h.m_iY, 7);
}

TEST(TextHelperTest, StatisticsTextDrawsAndMovesDown) {
    VornaTest::OffscreenDevice gfx;
    if (!gfx.Create())
        GTEST_SKIP() << "no GL context";
    CDXFont font;
    ASSERT_EQ(font.CreateText(gfx.m_pDevice), S_OK);
    gfx.m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    CDX9KelTextHelper h(font.m_pFont, font.m_pSprite);
    h.SetInsertionPos(4, 4);
    font.m_pSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
    EXPECT_EQ(h.DrawFormattedTextLine("FPS: %.1f", 60.0f), S_OK);
    EXPECT_EQ(h.DrawTextLine("Faces: 12"), S_OK);
    font.m_pSprite->End();
    EXPECT_EQ(h.m_iY, 34);
    auto px = gfx.Pixels();
    int lit = 0;
    for (UINT y = 0; y < 34; ++y)
        for (UINT x = 0; x < 100; ++x)
            lit += (gfx.At(px, x, y) & 0xFFFFFF) != 0;
    EXPECT_GT(lit, 30);
    EXPECT_EQ(gfx.At(px, 120, 120) & 0xFFFFFF, 0u);
}

class FpsTest : public ::testing::Test {
protected:
    void SetUp() override { Platform::SetClock(&m_clock); }
    void TearDown() override { Platform::SetClock(nullptr); }
    Platform::ManualClock m_clock;
};

TEST_F(FpsTest, FrameStepIsInHundredthsAndAStillCounterLeavesTheRate) {
    InitFPSCounter(100.0f);
    m_clock.Advance(20); // 20 ms = 2 hundredths since the counter was read
    UpdateFPSCounter();
    EXPECT_FLOAT_EQ(g_FPSCounter.m_fFrameStep, 2.0f);
    m_clock.Advance(625); // past the half-second window: the rate of this frame, 1 / 0.625 s
    UpdateFPSCounter();
    EXPECT_FLOAT_EQ(g_FPSCounter.m_fFPS, 1.6f);
    // The counter did not move: step 1.0, the rate stays.
    m_clock.SetMilliseconds(m_clock.Milliseconds() + 600);
    UpdateFPSCounter();
    UpdateFPSCounter();
    m_clock.SetMilliseconds(m_clock.Milliseconds() + 600);
    UpdateFPSCounter();
    EXPECT_FLOAT_EQ(g_FPSCounter.m_fFrameStep, 1.0f);
    EXPECT_FLOAT_EQ(g_FPSCounter.m_fFPS, 1.6f);
}

} // namespace
