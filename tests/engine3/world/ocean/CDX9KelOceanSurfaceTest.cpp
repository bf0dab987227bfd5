#include "engine3/world/ocean/CDX9KelOceanSurface.h"

#include "platform/os/Clock.h"
#include "platform/os/Crt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cmath>
#include <memory>
#include <vector>

using Vorna3D::CDX9KelOceanSurface;
using Vorna3D::TruncToInt32;

namespace {

// Installs a manual clock and a fixed random sequence for one test.
class OceanTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::SetClock(&m_clock);
        std::vector<std::uint32_t> seq;
        std::uint32_t x = 12345u;
        for (int i = 0; i < 4099; ++i) {
            x = x * 1664525u + 1013904223u;
            seq.push_back(x);
        }
        m_random = std::make_unique<Platform::SequenceRandom>(seq);
        Platform::SetRandomSource(m_random.get());
        CDX9KelOceanSurface::SetClockStep(0.0);
        m_ocean = std::make_unique<CDX9KelOceanSurface>();
    }
    void TearDown() override {
        Platform::SetClock(nullptr);
        Platform::SetRandomSource(nullptr);
        CDX9KelOceanSurface::SetClockStep(0.0);
    }
    // A field with a distinct value in every cell of both tables.
    void FillKnownTables() {
        for (int r = 0; r < 128; ++r)
            for (int c = 0; c < 128; ++c) {
                m_ocean->HeightTable1()[r * 128 + c] = (r * 37 + c * 11) % 2000 - 1000;
                m_ocean->HeightTable2()[r * 128 + c] = (r * 5 - c * 3) % 300;
            }
    }
    Platform::ManualClock m_clock{5000000u};
    std::unique_ptr<Platform::SequenceRandom> m_random;
    std::unique_ptr<CDX9KelOceanSurface> m_ocean;
};

} // namespace

TEST(TruncToInt32, TruncatesTowardZeroAndWrapsFarValues) {
    EXPECT_EQ(TruncToInt32(2.9), 2);
    EXPECT_EQ(TruncToInt32(-2.9), -2);
    EXPECT_EQ(TruncToInt32(2147483647.0), INT_MAX);
    EXPECT_EQ(TruncToInt32(-2147483648.0), INT_MIN);
    // 2^31 + 5 wraps to -2^31 + 5; the low bits (the place in the tiling) stay.
    EXPECT_EQ(TruncToInt32(2147483653.0), INT_MIN + 5);
    EXPECT_EQ(TruncToInt32(-2147483653.0), INT_MAX - 4);
    EXPECT_EQ(TruncToInt32(std::nan("")), 0);
    EXPECT_EQ(TruncToInt32(INFINITY), 0);
    EXPECT_EQ(TruncToInt32(-INFINITY), 0);
}

TEST_F(OceanTest, SampleHeightReadsTheTablesBilinearly) {
    FillKnownTables();
    const auto* t1 = m_ocean->GetHeightTable1();
    const auto* t2 = m_ocean->GetHeightTable2();
    // On a texel corner: table 1 cell (r, c) plus table 2 cell (16 r, 16 c) & 127.
    for (int r : {0, 3, 127})
        for (int c : {0, 5, 100}) {
            const int a = r << 12, b = c << 12;
            const int r2 = (r * 16) & 127, c2 = (c * 16) & 127;
            const double expect = 2.0 * (t1[r * 128 + c] + t2[r2 * 128 + c2]) / 16384.0;
            EXPECT_FLOAT_EQ(m_ocean->SampleHeight(a, b), static_cast<float>(expect)) << r << "," << c;
        }
    // Half way between two columns of table 1 (table 2 then sits on a corner).
    const int a = 7 << 12, b = (9 << 12) + 2048;
    const int l0 = (t1[7 * 128 + 9] * 2048 + t1[7 * 128 + 10] * 2048) >> 12;
    const int h2 = t2[((7 * 16) & 127) * 128 + ((9 * 16 + 8) & 127)];
    EXPECT_FLOAT_EQ(m_ocean->SampleHeight(a, b), static_cast<float>(2.0 * (l0 + h2) / 16384.0));
}

TEST_F(OceanTest, SampleHeightTilesAndWrapsNegativeCoordinates) {
    FillKnownTables();
    const int tile = 128 * 4096;
    for (int a : {0, 12345, -777777, 3 << 12})
        for (int b : {0, 999, -5000, 64 << 12}) {
            const float h = m_ocean->SampleHeight(a, b);
            EXPECT_EQ(h, m_ocean->SampleHeight(a + tile, b));
            EXPECT_EQ(h, m_ocean->SampleHeight(a, b + tile));
            EXPECT_EQ(h, m_ocean->SampleHeight(a - tile, b - tile));
        }
    // a = -1 is row 127 with fraction 4095: nearly all of row 0's weight.
    m_ocean->HeightTable2()[0] = 0;
    for (int c = 0; c < 128; ++c) {
        m_ocean->HeightTable1()[127 * 128 + c] = 0;
        m_ocean->HeightTable1()[c] = 16384;
    }
    const int l1 = 16384;
    const int expect = (0 * (4096 - 4095) + l1 * 4095) >> 12;
    // Table 2 at a' = -16: row 127, fraction 4080; its cells are the filled ones.
    const auto* t2 = m_ocean->GetHeightTable2();
    const int t2v = ((t2[127 * 128] * (4096 - 4080) + t2[0] * 4080) >> 12);
    EXPECT_FLOAT_EQ(m_ocean->SampleHeight(-1, 0), static_cast<float>(2.0 * (expect + t2v) / 16384.0));
}

TEST_F(OceanTest, FlatTablesOrZeroAmplitudeGiveZero) {
    EXPECT_EQ(m_ocean->SampleHeight(123456, -98765), 0.0f);
    FillKnownTables();
    // Amplitude 0 cannot be set through SetAmplitude.
    EXPECT_FALSE(m_ocean->SetAmplitude(0.0f));
    EXPECT_NE(m_ocean->SampleHeight(5 << 12, 7 << 12), 0.0f);
}

TEST_F(OceanTest, FarWorldCoordinatesStayDefined) {
    FillKnownTables();
    // Far beyond 2^31 / 2457.6 world units: the conversion wraps, never traps.
    const float far = 1.0e7f;
    const float h = m_ocean->SampleHeight(m_ocean->WorldToTable(far), m_ocean->WorldToTable(-far));
    EXPECT_TRUE(std::isfinite(h));
    EXPECT_EQ(m_ocean->WorldToTable(std::nanf("")), 0);
    EXPECT_EQ(m_ocean->WorldToTable(-3.0f), TruncToInt32(-3.0f * 2457.6f));
}

TEST_F(OceanTest, SetAmplitudeAcceptsOnlyZeroToFive) {
    struct Case {
        float a;
        bool ok;
    } cases[] = {{0.0f, false}, {-1.0f, false}, {5.01f, false}, {std::nanf(""), false}, {5.0f, true}, {0.5f, true}};
    for (const Case& c : cases) {
        auto o = std::make_unique<CDX9KelOceanSurface>();
        EXPECT_EQ(o->SetAmplitude(c.a), c.ok) << c.a;
        const float expectA = c.ok ? c.a : 2.0f;
        EXPECT_EQ(o->GetAmplitude(), expectA);
        // Planes y = +a and y = -a: a x + b y + c z + d with d = -+a.
        EXPECT_FLOAT_EQ(o->GetUpperPlane().b, 1.0f);
        EXPECT_FLOAT_EQ(o->GetUpperPlane().d, -expectA);
        EXPECT_FLOAT_EQ(o->GetLowerPlane().d, expectA);
    }
}

TEST_F(OceanTest, InitNoiseIsBoundedDeterministicAndWeighted) {
    m_ocean->InitNoise();
    float sum = 0.0f;
    for (int k = 0; k < 8; ++k) sum += m_ocean->GetOctaveWeights()[k];
    EXPECT_NEAR(sum, 1.0f, 1e-6f);
    EXPECT_NEAR(m_ocean->GetOctaveWeights()[1] / m_ocean->GetOctaveWeights()[0], 0.6f, 1e-6f);
    int nonZero = 0;
    for (int i = 0; i < CDX9KelOceanSurface::kNoiseValues; ++i) {
        const int v = m_ocean->GetBaseNoise()[i];
        ASSERT_LE(std::abs(v), 32571);
        nonZero += v != 0;
    }
    EXPECT_GT(nonZero, 60000);
    // The same random sequence gives the same noise.
    Platform::SequenceRandom seqA({1u, 99999u, 4000000000u, 123456789u});
    Platform::SequenceRandom seqB({1u, 99999u, 4000000000u, 123456789u});
    auto first = std::make_unique<CDX9KelOceanSurface>();
    auto again = std::make_unique<CDX9KelOceanSurface>();
    Platform::SetRandomSource(&seqA);
    first->InitNoise();
    Platform::SetRandomSource(&seqB);
    again->InitNoise();
    for (int i = 0; i < CDX9KelOceanSurface::kNoiseValues; ++i)
        ASSERT_EQ(first->GetBaseNoise()[i], again->GetBaseNoise()[i]);
    Platform::SetRandomSource(m_random.get());
}

TEST_F(OceanTest, InitNoiseSmoothsWithTheNeighbours) {
    // Every raw value 0.75 x 2^32 gives r = 1: s = 0.071 x 14.
    Platform::SequenceRandom constant({3221225472u});
    Platform::SetRandomSource(&constant);
    m_ocean->InitNoise();
    const int expect = static_cast<int>(0.071f * 14.0f * 16384.0f);
    EXPECT_EQ(m_ocean->GetBaseNoise()[0], expect);
    EXPECT_EQ(m_ocean->GetBaseNoise()[65535], expect);
}

TEST_F(OceanTest, OctaveBlendAtWholeTimeUsesTwoFramesEqually) {
    // Frame n all 1000, frame n+1 all 3000, frame n+2 all 50000 (weight 0).
    m_ocean->InitNoise();
    std::int32_t* noise = m_ocean->BaseNoise();
    for (int i = 0; i < 256; ++i) {
        noise[5 * 256 + i] = 1000;
        noise[6 * 256 + i] = 3000;
        noise[7 * 256 + i] = 30000;
    }
    m_ocean->SetTime(5.0);
    m_ocean->AnimateNoise();
    const float a = m_ocean->GetOctaveWeights()[0] * 16384.0f;
    const int w = static_cast<int>(0.75f / 1.5f * a);
    const int expect = ((1000 * w) >> 15) + ((3000 * w) >> 15);
    EXPECT_NEAR(m_ocean->GetOctave(0)[17], expect, 1);
    // The texture copy is table value + 32768.
    EXPECT_EQ(m_ocean->GetTextureCopy()[300], static_cast<WORD>(m_ocean->GetHeightTable1()[300] + 32768));
    EXPECT_EQ(m_ocean->GetTextureCopy()[16384 + 300], static_cast<WORD>(m_ocean->GetHeightTable2()[300] + 32768));
}

TEST_F(OceanTest, HeightTableOneIsTheSumOfItsOctaves) {
    m_ocean->InitNoise();
    m_ocean->SetTime(3.3);
    m_ocean->AnimateNoise();
    auto oct = [&](int k, int y, int x) { return m_ocean->GetOctave(k)[(y & 15) * 16 + (x & 15)]; };
    // At a multiple of 8 every bilinear read hits a grid point exactly.
    for (int y : {0, 8, 120})
        for (int x : {0, 16, 64}) {
            const int expect = oct(3, y, x) + oct(0, y >> 3, x >> 3) + oct(1, y >> 2, x >> 2) + oct(2, y >> 1, x >> 1);
            EXPECT_EQ(m_ocean->GetHeightTable1()[y * 128 + x], expect);
            const int expect2 = oct(7, y, x) + oct(4, y >> 3, x >> 3) + oct(5, y >> 2, x >> 2) + oct(6, y >> 1, x >> 1);
            EXPECT_EQ(m_ocean->GetHeightTable2()[y * 128 + x], expect2);
        }
    // The animated sea is not flat.
    EXPECT_NE(m_ocean->SampleHeight(1000, 2000), m_ocean->SampleHeight(300000, 90000));
}

namespace {
// Reads the octaves the way the tables are defined, texel by texel.
class OceanReference : public CDX9KelOceanSurface {
public:
    std::int32_t Texel(int table, int x, int y) const {
        const int o = table * 4;
        return GetOctave(o + 3)[(y & 15) * 16 + (x & 15)] + Bilerp(GetOctave(o), 3, x, y) +
               Bilerp(GetOctave(o + 1), 2, x, y) + Bilerp(GetOctave(o + 2), 1, x, y);
    }
};
} // namespace

TEST_F(OceanTest, HeightTablesMatchTheOctavesReadTexelByTexel) {
    auto ocean = std::make_unique<OceanReference>();
    ocean->InitNoise();
    for (double t : {0.0, 3.3, 77.61, 1234.5}) {
        ocean->SetTime(t);
        ocean->AnimateNoise();
        int mismatches = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                const int i = y * 128 + x;
                const std::int32_t h1 = ocean->Texel(0, x, y), h2 = ocean->Texel(1, x, y);
                mismatches += ocean->GetHeightTable1()[i] != h1;
                mismatches += ocean->GetHeightTable2()[i] != h2;
                mismatches += ocean->GetTextureCopy()[i] != static_cast<WORD>(h1 + 32768);
                mismatches += ocean->GetTextureCopy()[128 * 128 + i] != static_cast<WORD>(h2 + 32768);
            }
        EXPECT_EQ(mismatches, 0) << "time " << t;
    }
}

TEST_F(OceanTest, HeightsReadBeforeTheTablesAreBuiltAreThoseOfTheWholeTables) {
    // Two surfaces on the same noise: one samples texel by texel straight
    // after each step, the other builds its whole tables first.
    auto lazy = std::make_unique<CDX9KelOceanSurface>();
    auto whole = std::make_unique<CDX9KelOceanSurface>();
    lazy->InitNoise();
    whole->InitNoise(); // the octave weights; the noise is the other's
    std::copy(lazy->GetBaseNoise(), lazy->GetBaseNoise() + CDX9KelOceanSurface::kNoiseValues, whole->BaseNoise());
    std::uint32_t x = 99u;
    for (double t : {0.5, 0.52, 19.0, 640.25}) {
        lazy->SetTime(t);
        whole->SetTime(t);
        lazy->AnimateNoise();
        whole->AnimateNoise();
        ASSERT_FALSE(lazy->TablesBuilt());
        whole->GetHeightTable1();
        int mismatches = 0;
        // Twice over the same points: texels made for this step are kept.
        for (int pass = 0; pass < 2; ++pass) {
            std::uint32_t y = x;
            for (int i = 0; i < 3000; ++i) {
                y = y * 1664525u + 1013904223u;
                const auto a = static_cast<std::int32_t>(y);
                y = y * 1664525u + 1013904223u;
                const auto b = static_cast<std::int32_t>(y);
                mismatches += lazy->SampleHeight(a, b) != whole->SampleHeight(a, b);
            }
        }
        x = x * 7u + 1u;
        EXPECT_EQ(mismatches, 0) << "time " << t;
        EXPECT_FALSE(lazy->TablesBuilt());
        // A whole table read afterwards is the whole table.
        EXPECT_EQ(std::memcmp(lazy->GetHeightTable2(), whole->GetHeightTable2(), 128 * 128 * sizeof(std::int32_t)), 0);
        EXPECT_TRUE(lazy->TablesBuilt());
    }
}

TEST_F(OceanTest, ClockAdvancesRestartsAfterLongGapsAndPauses) {
    m_ocean->AdvanceTime(); // first tick: starts the clock
    EXPECT_EQ(m_ocean->GetTime(), 0.0);
    EXPECT_EQ(m_ocean->GetLastTick(), 5000000u);
    // Steady 20 ms frames converge to 100 x speed per ms.
    for (int i = 0; i < 2000; ++i) {
        m_clock.Advance(20);
        m_ocean->AdvanceTime();
    }
    EXPECT_NEAR(CDX9KelOceanSurface::GetClockStep(), 100.0 * 20 * 6.0e-6, 1e-6);
    const double before = m_ocean->GetTime();

    // A gap over 10 s adds no jump: only the decayed step.
    const double step = CDX9KelOceanSurface::GetClockStep();
    m_clock.Advance(10001);
    m_ocean->AdvanceTime();
    EXPECT_NEAR(m_ocean->GetTime() - before, step * 0.99, 1e-12);
    // Exactly 10 s is still a normal frame.
    const double t2 = m_ocean->GetTime();
    m_clock.Advance(10000);
    m_ocean->AdvanceTime();
    EXPECT_GT(m_ocean->GetTime() - t2, 0.05);

    // Paused: clock and tables stand still, the tick follows the timer.
    m_ocean->InitNoise();
    m_ocean->AnimateNoise();
    const int h = m_ocean->GetHeightTable1()[77];
    m_ocean->SetPaused(true);
    const double t3 = m_ocean->GetTime();
    m_clock.Advance(500);
    m_ocean->AdvanceTime();
    m_ocean->AnimateNoise();
    EXPECT_EQ(m_ocean->GetTime(), t3);
    EXPECT_EQ(m_ocean->GetLastTick(), m_clock.Milliseconds());
    EXPECT_EQ(m_ocean->GetHeightTable1()[77], h);
    // Unpaused the next frame steps from the tick taken while paused.
    m_ocean->SetPaused(false);
    m_clock.Advance(20);
    m_ocean->AdvanceTime();
    EXPECT_GT(m_ocean->GetTime(), t3);
    EXPECT_LT(m_ocean->GetTime() - t3, 0.2);
}

TEST_F(OceanTest, GridVerticesFollowTheCornersAndSmoothInPlace) {
    // A square projector: corners at x, z in {0, 90} (w = 1).
    const D3DXVECTOR4 corners[4] = {{0, 0, 0, 1}, {90, 0, 0, 1}, {0, 0, 90, 1}, {90, 0, 90, 1}};
    m_ocean->SetGridCorners(corners);
    FillKnownTables();
    std::vector<CDX9KelOceanSurface::OCEANVERTEX> v(4 * 3);
    ASSERT_TRUE(m_ocean->FillGridVertices(v.data(), 12, 4, 3, false));
    EXPECT_FLOAT_EQ(v[0].x, 0.0f);
    EXPECT_FLOAT_EQ(v[3].x, 90.0f);
    EXPECT_FLOAT_EQ(v[1].x, 30.0f);
    EXPECT_FLOAT_EQ(v[4].z, 45.0f);
    EXPECT_FLOAT_EQ(v[11].z, 90.0f);
    EXPECT_FLOAT_EQ(v[5].y, m_ocean->SampleHeight(m_ocean->WorldToTable(v[5].z), m_ocean->WorldToTable(v[5].x)));

    // Three rows: the middle row is smoothed in place, left neighbour first.
    std::vector<CDX9KelOceanSurface::OCEANVERTEX> s(12);
    ASSERT_TRUE(m_ocean->FillGridVertices(s.data(), 12, 4, 3, true));
    const float y5 = 0.1f * (v[5].y + v[4].y + v[6].y + v[1].y + v[9].y);
    const float y6 = 0.1f * (v[6].y + y5 + v[7].y + v[2].y + v[10].y);
    EXPECT_FLOAT_EQ(s[5].y, y5);
    EXPECT_FLOAT_EQ(s[6].y, y6);
    EXPECT_EQ(s[0].y, v[0].y);
    // Two rows are never smoothed; too small a buffer is refused.
    std::vector<CDX9KelOceanSurface::OCEANVERTEX> two(8), twoRef(8);
    ASSERT_TRUE(m_ocean->FillGridVertices(two.data(), 8, 4, 2, true));
    ASSERT_TRUE(m_ocean->FillGridVertices(twoRef.data(), 8, 4, 2, false));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(two[i].y, twoRef[i].y);
    EXPECT_FALSE(m_ocean->FillGridVertices(v.data(), 11, 4, 3, false));
    EXPECT_FALSE(m_ocean->FillGridVertices(nullptr, 12, 4, 3, false));
}

TEST_F(OceanTest, GridNormalsOfAFlatGridPointUpAndSkipBorders) {
    const D3DXVECTOR4 corners[4] = {{0, 0, 0, 1}, {30, 0, 0, 1}, {0, 0, 30, 1}, {30, 0, 30, 1}};
    m_ocean->SetGridCorners(corners);
    std::vector<CDX9KelOceanSurface::OCEANVERTEX> v(16);
    for (auto& p : v) p.nx = p.ny = p.nz = -7.0f;
    ASSERT_TRUE(m_ocean->FillGridVertices(v.data(), 16, 4, 4, true));
    ASSERT_TRUE(m_ocean->ComputeGridNormals(v.data(), 16, 4, 4));
    // Interior (1,1): B (across rows, +z) x A (along the row, +x) points up.
    EXPECT_FLOAT_EQ(v[5].nx, 0.0f);
    EXPECT_GT(v[5].ny, 0.0f);
    EXPECT_FLOAT_EQ(v[5].nz, 0.0f);
    EXPECT_EQ(v[0].ny, -7.0f);
    EXPECT_EQ(v[3].ny, -7.0f);
    EXPECT_EQ(v[12].ny, -7.0f);
}

TEST_F(OceanTest, GridCornerMeetsTheWaterPlane) {
    // Identity projector: the ray (x, y, -1) .. (x, y, 1) is parallel to y = 0
    // unless y changes; use a matrix that maps z onto y.
    D3DXMATRIX m(1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    const D3DXVECTOR4 p = m_ocean->GridCorner(3.0f, 4.0f, m);
    EXPECT_FLOAT_EQ(p.y, 0.0f);
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    EXPECT_FLOAT_EQ(p.z, 4.0f);
    EXPECT_FLOAT_EQ(p.w, 1.0f);
}

TEST(OceanMapSize, DoublesOnceForWideWindowsWhateverCameBefore) {
    UINT w = 0, h = 0;
    CDX9KelOceanSurface::MapSizeForClientWidth(800, &w, &h);
    EXPECT_EQ(w, 512u);
    EXPECT_EQ(h, 1024u);
    for (int i = 0; i < 3; ++i) {
        CDX9KelOceanSurface::MapSizeForClientWidth(2560, &w, &h);
        EXPECT_EQ(w, 1024u);
        EXPECT_EQ(h, 2048u);
    }
    CDX9KelOceanSurface::MapSizeForClientWidth(1024, &w, &h);
    EXPECT_EQ(h, 1024u);
}
