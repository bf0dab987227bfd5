#include "FakeDisplay.h"
#include "tools/common/CDX9KelRender.h"

#include <gtest/gtest.h>

using namespace VornaTools;
using Platform::DisplayMode;
using Res = std::pair<uint32_t, uint32_t>;

TEST(DisplayLists, ResolutionsAreWideEnoughUniqueAndInSystemOrder) {
    VornaTest::FakeDisplay d;
    d.modes = {{640, 480, 60, 1},  {1280, 1024, 60, 1}, {720, 576, 50, 1}, {800, 600, 60, 1},
               {1280, 1024, 75, 1}, {0, 0, 0, 1},       {1024, 768, 60, 2}, {800, 600, 85, 1}};
    std::vector<std::string> log;
    CDX9KelRender r(d.Backend(), [&](const std::string& l) { log.push_back(l); });
    ASSERT_EQ(r.InitialD3D(), S_OK);
    ASSERT_TRUE(r.GenerateResolutionsList());
    ASSERT_TRUE(r.GenerateRefreshRateList());
    // 640 and 720 wide and 0x0 are never offered; 1024x768 is in another format.
    EXPECT_EQ(r.GetResolutionsList(), (std::vector<Res>{{1280, 1024}, {800, 600}}));
    // Rates of every resolution, the small ones included, once each.
    EXPECT_EQ(r.GetRefreshRateList(), (std::vector<uint32_t>{60, 50, 75, 0, 85}));
    EXPECT_EQ(log.front(), "CDX9Kelapp::InitialD3D(): ");
    EXPECT_EQ(log.back(), "OK\n");
}

TEST(DisplayLists, FailedDisplayGivesNoLists) {
    VornaTest::FakeDisplay d;
    d.modesOk = false;
    std::vector<std::string> log;
    CDX9KelRender r(d.Backend(), [&](const std::string& l) { log.push_back(l); });
    EXPECT_TRUE(FAILED(r.InitialD3D()));
    EXPECT_TRUE(FAILED(r.ReadAdapterInfo()));
    EXPECT_FALSE(r.GenerateResolutionsList());
    EXPECT_FALSE(r.GenerateRefreshRateList());
    EXPECT_FALSE(r.GenerateMultisampleList());
    EXPECT_TRUE(r.GetResolutionsList().empty());
    EXPECT_EQ(log.back(), "CDX9KelRender::GenerateRefreshRateList() : m_pD3D == NULL\n");
}

TEST(DisplayLists, MultisampleListStartsWithZeroAndNeverHoldsOne) {
    struct Case {
        int maxSamples;
        std::vector<int> counts;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {8, {8, 4, 2}, {0, 2, 4, 8}}, // the driver's exact list
        {4, {}, {0, 2, 3, 4}},        // no list: every count up to the maximum
        {0, {}, {0}},                 // no multisampling
        {32, {}, {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    };
    for (const Case& c : cases) {
        VornaTest::FakeDisplay d;
        d.adapter.maxSamples = c.maxSamples;
        d.adapter.sampleCounts = c.counts;
        CDX9KelRender r(d.Backend());
        ASSERT_EQ(r.InitialD3D(), S_OK);
        ASSERT_EQ(r.ReadAdapterInfo(), S_OK);
        ASSERT_TRUE(r.GenerateMultisampleList());
        EXPECT_EQ(r.GetMultisampleList(), c.expected) << "max " << c.maxSamples;
    }
}

TEST(DisplayLists, VendorAndSeriesFromTheDescription) {
    struct Case {
        const char* description;
        const char* vendor;
        const char* series;
    };
    const Case cases[] = {
        {"RADEON X1950 Pro", "RADEON", ""}, // "X1950" begins with a letter
        {"GeForce 7600 GT", "NVIDIA", "7600"},
        {"Intel G41 Express", "OTHER", ""},
        {"NVIDIA GeForce GTX 1060/PCIe/SSE2", "NVIDIA", "1060/PCIe/SSE2"},
        {"AMD Radeon RX 580 (polaris10, LLVM 15.0.6)", "RADEON", "15.0.6)"},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", "OTHER", "256"},
        {"", "OTHER", ""},
    };
    for (const Case& c : cases) {
        std::string vendor, series;
        CDX9KelRender::ParseAdapterDescription(c.description, vendor, series);
        EXPECT_EQ(vendor, c.vendor) << c.description;
        EXPECT_EQ(series, c.series) << c.description;
    }
}

TEST(DisplayLists, AdapterLimitsAndShaderLevels) {
    VornaTest::FakeDisplay d;
    d.adapter.renderer = "GeForce 6800";
    d.adapter.maxAnisotropy = 0; // a driver without anisotropic filtering
    std::vector<std::string> log;
    CDX9KelRender r(d.Backend(), [&](const std::string& l) { log.push_back(l); });
    ASSERT_EQ(r.InitialD3D(), S_OK);
    ASSERT_EQ(r.ReadAdapterInfo(), S_OK);
    EXPECT_EQ(r.GetVendor(), "NVIDIA");
    EXPECT_EQ(r.GetSeries(), "6800");
    EXPECT_EQ(r.GetMaxAnisotropy(), 1u);
    EXPECT_EQ(r.GetMaxTextureWidth(), 8192u);
    EXPECT_FLOAT_EQ(r.GetPixelShaderVersion(), 4.0f);
    EXPECT_NE(std::find(log.begin(), log.end(), "Video: GeForce 6800\n"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Processor: Test CPU\n"), log.end());
    EXPECT_FLOAT_EQ(CDX9KelRender::ShaderVersionFromGl(2, 1), 3.0f);
    EXPECT_FLOAT_EQ(CDX9KelRender::ShaderVersionFromGl(2, 0), 2.0f);
    EXPECT_FLOAT_EQ(CDX9KelRender::ShaderVersionFromGl(1, 5), 0.0f);
}

// The real display of the test machine: a headless one reports a single
// mode, possibly 0x0 at 0 Hz; the lists must cope.
TEST(DisplayLists, RealDisplayQueryCopesWithSparseModes) {
    CDX9KelRender r;
    if (FAILED(r.InitialD3D())) GTEST_SKIP() << "no video system here";
    ASSERT_TRUE(r.GenerateResolutionsList());
    ASSERT_TRUE(r.GenerateRefreshRateList());
    for (const Res& res : r.GetResolutionsList()) EXPECT_GE(res.first, 800u);
    EXPECT_FALSE(r.GetRefreshRateList().empty());
    if (SUCCEEDED(r.ReadAdapterInfo())) {
        EXPECT_FALSE(r.GetDescription().empty());
        EXPECT_GE(r.GetMaxAnisotropy(), 1u);
        ASSERT_TRUE(r.GenerateMultisampleList());
        EXPECT_EQ(r.GetMultisampleList().front(), 0);
    }
}
