#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDXFont.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <string>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

} // namespace

TEST(Engine2TextHelper, ColourChannelsRoundAndClamp) {
    CDX9KelTextHelper text;
    struct Case {
        float value;
        DWORD byte;
    } cases[] = {{0.5f, 128}, {1.0f, 255}, {1.7f, 255}, {0.0f, 0}, {-0.3f, 0}, {250.0f / 255.0f, 250}, {0.001f, 0}};
    for (const Case& c : cases) {
        text.SetForegroundColor(c.value, 0.0f, 0.0f, 1.0f);
        EXPECT_EQ(text.Color(), 0xFF000000u | (c.byte << 16)) << c.value;
    }
    text.SetForegroundColor(250.0f / 255.0f, 250.0f / 255.0f, 0.0f, 1.0f);
    EXPECT_EQ(text.Color(), 0xFFFAFA00u);
    text.Init(nullptr, nullptr);
    EXPECT_EQ(text.Color(), 0xFFFFFFFFu);
    EXPECT_EQ(text.m_iLineHeight, 15);
}

TEST(Engine2TextHelper, WithoutAFontNothingIsDrawnAndTheLineIsLogged) {
    const std::string path = (VornaTest::FreshFolder() / "VornaLog.log").string();
    g_Log.Reset();
    g_Log.SetTimeTextSource(&FixedTime);
    g_Log.SetCopyStream(nullptr);
    g_Log.Open(path);
    CDX9KelTextHelper text;
    text.SetInsertionPos(5, 5);
    EXPECT_EQ(text.Print("FPS: %.0f\n", 60.0), E_FAIL);
    EXPECT_EQ(text.m_iY, 5);
    // The message is kept in the program's single-byte code page.
    EXPECT_NE(VornaTest::ReadText(path).find(" \xD2\xE5\xEA\xF1\xF2 \xED\xE5 \xF1\xEE\xE7\xE4\xE0\xED"), std::string::npos);
    CDXFont font;
    EXPECT_EQ(font.CreateText(nullptr), E_FAIL);
    EXPECT_EQ(font.m_pFont, nullptr);
    g_Log.Reset();
}
