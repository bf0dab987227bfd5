#include "platform/os/Cpu.h"
#include "platform/os/Crt.h"
#include "platform/os/Numbers.h"
#include "platform/os/ResultCodes.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(Crt, RandomValuesComeFromTheInstalledSource) {
    Platform::SequenceRandom seq({5u, 0xFFFFFFFFu, 0u});
    Platform::SetRandomSource(&seq);
    unsigned v = 1;
    for (unsigned expected : {5u, 0xFFFFFFFFu, 0u, 5u}) {
        EXPECT_EQ(rand_s(&v), 0);
        EXPECT_EQ(v, expected);
    }
    EXPECT_EQ(rand_s(nullptr), EINVAL);
    Platform::SetRandomSource(nullptr);
    // The system source: values vary.
    std::set<unsigned> seen;
    for (int i = 0; i < 8; ++i) {
        rand_s(&v);
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 1u);
}

TEST(Crt, HeapCheckReportsAHealthyHeap) { EXPECT_EQ(_heapchk(), _HEAPOK); }

TEST(Numbers, ParseInTheCLocaleWhateverTheProcessLocale) {
    // A comma-decimal locale when the machine has one; the parse must not care.
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    const bool haveComma = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "ru_RU.UTF-8");
    struct Case {
        const char* text;
        double value;
        long used;
    } cases[] = {{"0.5", 0.5, 3}, {"  -2.25e1x", -22.5, 9}, {"abc", 0.0, 0}, {"", 0.0, 0}, {"1,5", 1.0, 1}};
    for (const Case& c : cases) {
        const char* end = nullptr;
        EXPECT_DOUBLE_EQ(Platform::ParseDouble(c.text, &end), c.value) << c.text;
        EXPECT_EQ(end - c.text, c.used) << c.text;
    }
    std::setlocale(LC_ALL, saved.c_str());
    if (!haveComma) GTEST_LOG_(INFO) << "no comma-decimal locale installed; parsed in the C locale only";
    EXPECT_EQ(Platform::ParseDouble(nullptr), 0.0);
}

TEST(Numbers, IntegersReadLikeAtoiAndSaturate) {
    struct Case {
        const char* text;
        int value;
        bool read;
    } cases[] = {{"42", 42, true},           {" \t-17abc", -17, true}, {"+3", 3, true},
                 {"abc", 0, false},          {"-", 0, false},          {"99999999999", 2147483647, true},
                 {"-99999999999", -2147483647 - 1, true}, {"0x10", 0, true}};
    for (const Case& c : cases) {
        const char* end = nullptr;
        EXPECT_EQ(Platform::ParseInt(c.text, &end), c.value) << c.text;
        EXPECT_EQ(end != c.text, c.read) << c.text;
    }
    EXPECT_TRUE(std::isinf(Platform::ToFloat(1e300)));
    EXPECT_EQ(Platform::ToFloat(0.25), 0.25f);
}

TEST(ResultCodes, NamesHaveTheDocumentedValues) {
    struct Case {
        HRESULT code;
        std::uint32_t value;
        const char* name;
    } cases[] = {
        {S_OK, 0u, "S_OK"},
        {E_FAIL, 0x80004005u, "E_FAIL"},
        {E_OUTOFMEMORY, 0x8007000Eu, "E_OUTOFMEMORY"},
        {E_INVALIDARG, 0x80070057u, "E_INVALIDARG"},
        {E_NOTIMPL, 0x80004001u, "E_NOTIMPL"},
        {D3DERR_INVALIDCALL, 0x8876086Cu, "D3DERR_INVALIDCALL"},
        {D3DERR_NOTAVAILABLE, 0x8876086Au, "D3DERR_NOTAVAILABLE"},
        {D3DERR_OUTOFVIDEOMEMORY, 0x8876017Cu, "D3DERR_OUTOFVIDEOMEMORY"},
        {D3DERR_DEVICELOST, 0x88760868u, "D3DERR_DEVICELOST"},
        {D3DERR_DEVICENOTRESET, 0x88760869u, "D3DERR_DEVICENOTRESET"},
        {D3DERR_NOTFOUND, 0x88760866u, "D3DERR_NOTFOUND"},
        {D3DERR_MOREDATA, 0x88760867u, "D3DERR_MOREDATA"},
        {D3DERR_WRONGTEXTUREFORMAT, 0x88760818u, "D3DERR_WRONGTEXTUREFORMAT"},
        {D3DXERR_INVALIDDATA, 0x88760B59u, "D3DXERR_INVALIDDATA"},
        {DIERR_INPUTLOST, 0x8007001Eu, "DIERR_INPUTLOST"},
        {DIERR_NOTACQUIRED, 0x8007000Cu, "DIERR_NOTACQUIRED"},
        {DIERR_OTHERAPPHASPRIO, 0x80070005u, "DIERR_OTHERAPPHASPRIO"},
        {DIERR_NOTINITIALIZED, 0x80070015u, "DIERR_NOTINITIALIZED"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(c.code), c.value) << c.name;
        EXPECT_STREQ(DXGetErrorStringA(c.code), c.name);
    }
    EXPECT_STREQ(DXGetErrorStringA(MakeHResult(0x8876FFFFu)), "Unknown");
    EXPECT_TRUE(FAILED(D3DERR_DEVICELOST));
}

TEST(Cpu, BrandStringIsTrimmedAndBounded) {
    const std::string brand = Platform::CpuBrandString();
    EXPECT_LE(brand.size(), 48u);
    if (!brand.empty()) {
        EXPECT_NE(brand.front(), ' ');
        EXPECT_EQ(brand.find('\0'), std::string::npos);
    }
}

} // namespace
