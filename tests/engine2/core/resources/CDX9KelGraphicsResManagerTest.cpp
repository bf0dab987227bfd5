#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

// A 2x2 BMP (24 bits) of one colour.
void WriteBmp(const std::filesystem::path& p, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> f(54 + 16, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&f[at], &v, 2); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    put16(26, 1);
    put16(28, 24);
    put32(34, 16);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 2; ++x) {
            const size_t at = 54 + size_t(row) * 8 + size_t(x) * 3;
            f[at] = b;
            f[at + 1] = g;
            f[at + 2] = r;
        }
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), long(f.size()));
}

// A DDS of 2x2 A8R8G8B8 pixels: a volume of depth 2 or a cube of six faces.
void WriteDds(const std::filesystem::path& p, bool cube) {
    std::vector<uint8_t> f(128, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
    std::memcpy(&f[0], "DDS ", 4);
    put32(4, 124);
    put32(8, 0x1 | 0x2 | 0x4 | 0x1000 | (cube ? 0u : 0x800000u));
    put32(12, 2);
    put32(16, 2);
    put32(20, 8);
    put32(24, cube ? 0 : 2);
    put32(76, 32);
    put32(80, 0x41);
    put32(88, 32);
    put32(92, 0x00FF0000u);
    put32(96, 0x0000FF00u);
    put32(100, 0x000000FFu);
    put32(104, 0xFF000000u);
    put32(108, 0x1000 | 0x8);
    put32(112, cube ? 0x200u | 0xFC00u : 0x200000u);
    const size_t pixels = cube ? 6 * 4 : 2 * 4;
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t v = 0xFF336699u;
        const auto* b = reinterpret_cast<const uint8_t*>(&v);
        f.insert(f.end(), b, b + 4);
    }
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), long(f.size()));
}

class CountingGrapRes : public CDX9KelBaseGrapRes {
public:
    explicit CountingGrapRes(int* released) : m_released(released) {}
    void Release() override { ++*m_released; }
    void Process() override { ++processed; }
    int processed = 0;

private:
    int* m_released;
};

class Engine2ResManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
        ASSERT_TRUE(dev.Create(64, 64));
        std::filesystem::create_directories(folder / "a");
        std::filesystem::create_directories(folder / "b");
        WriteBmp(folder / "a" / "shared.bmp", 255, 0, 0);
        WriteBmp(folder / "b" / "shared.bmp", 0, 255, 0);
        WriteBmp(folder / "a" / "Shared.bmp", 0, 0, 255);
        a = (folder / "a").string() + "/";
        b = (folder / "b").string() + "/";
    }
    void TearDown() override {
        res.ReleaseAllTextures();
        res.ReleaseAllEffects();
        res.DeleteAllGrapRes();
        g_Log.Reset();
    }
    std::string Log() { return VornaTest::ReadText(logPath); }

    VornaTest::OffscreenDevice dev;
    CDX9KelGraphicsResManager res;
    std::filesystem::path folder;
    std::string logPath, a, b;
};

DWORD TopLeft(IDirect3DBaseTexture9* t) {
    D3DLOCKED_RECT lr{};
    auto* tex = static_cast<IDirect3DTexture9*>(t);
    if (FAILED(tex->LockRect(0, &lr, nullptr, D3DLOCK_READONLY))) return 0;
    const DWORD v = *static_cast<const DWORD*>(lr.pBits);
    tex->UnlockRect(0);
    return v;
}

} // namespace

TEST_F(Engine2ResManagerTest, TexturesAreSharedByBareNameAndCounted) {
    D3DXIMAGE_INFO info{};
    IDirect3DBaseTexture9* first = res.CreateTextureFromFile(dev.m_pDevice, "shared.bmp", a.c_str(), true, 0, &info);
    ASSERT_NE(first, nullptr) << Log();
    EXPECT_EQ(info.Width, 2u);
    // The same name from another folder is the first texture: the name is
    // the key, the folder is not looked at.
    D3DXIMAGE_INFO again{};
    EXPECT_EQ(res.CreateTextureFromFile(dev.m_pDevice, "shared.bmp", b.c_str(), false, 0, &again), first);
    EXPECT_EQ(again.Width, 2u);
    EXPECT_EQ(TopLeft(first) & 0x00FFFFFFu, 0x00FF0000u);
    const int index = res.FindTexture("shared.bmp");
    EXPECT_EQ(res.GetTextureCount(index), 2);
    EXPECT_EQ(res.FindTextureIndex(first), index);
    // A name differing in case is another texture.
    IDirect3DBaseTexture9* other = res.CreateTextureFromFile(dev.m_pDevice, "Shared.bmp", a.c_str(), true, 0, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
    EXPECT_EQ(res.m_Textures.size(), 2u);

    EXPECT_TRUE(res.ReleaseTexture(first));
    EXPECT_EQ(res.GetTextureCount(res.FindTexture("shared.bmp")), 1);
    EXPECT_TRUE(res.ReleaseTexture(first));
    EXPECT_EQ(res.FindTexture("shared.bmp"), -1);
    EXPECT_FALSE(res.ReleaseTexture(first));
    EXPECT_FALSE(res.ReleaseTexture(nullptr));
    EXPECT_EQ(res.FindTexture(nullptr), -1);
    EXPECT_EQ(res.CreateTextureFromFile(dev.m_pDevice, "", a.c_str(), true, 0, nullptr), nullptr);
}

TEST_F(Engine2ResManagerTest, TextureLoadsFollowTheFileKindAndLogFailures) {
    // The extended loader applies the colour key and makes one level.
    IDirect3DBaseTexture9* keyed =
        res.CreateTextureFromFile(dev.m_pDevice, "shared.bmp", b.c_str(), false, 0xFF00FF00u, nullptr);
    ASSERT_NE(keyed, nullptr);
    EXPECT_EQ(keyed->GetLevelCount(), 1u);
    EXPECT_EQ(TopLeft(keyed), 0u);

    WriteDds(folder / "a" / "fog.dds", false);
    WriteDds(folder / "a" / "sky.dds", true);
    IDirect3DBaseTexture9* volume = res.CreateTextureFromFile(dev.m_pDevice, "fog.dds", a.c_str(), true, 0, nullptr);
    ASSERT_NE(volume, nullptr) << Log();
    EXPECT_EQ(volume->GetType(), D3DRTYPE_VOLUMETEXTURE);
    IDirect3DBaseTexture9* cube = res.CreateTextureFromFile(dev.m_pDevice, "sky.dds", a.c_str(), true, 0, nullptr);
    ASSERT_NE(cube, nullptr) << Log();
    EXPECT_EQ(cube->GetType(), D3DRTYPE_CUBETEXTURE);

    EXPECT_EQ(res.CreateTextureFromFile(dev.m_pDevice, "none.bmp", a.c_str(), true, 0, nullptr), nullptr);
    EXPECT_NE(Log().find("Texture not found: " + a + "none.bmp, DirectX Error String: "), std::string::npos) << Log();
    std::ofstream(folder / "a" / "broken.bmp") << "BM not really";
    EXPECT_EQ(res.CreateTextureFromFile(dev.m_pDevice, "broken.bmp", a.c_str(), true, 0, nullptr), nullptr);
    EXPECT_EQ(res.CreateTextureFromFile(nullptr, "other.bmp", a.c_str(), true, 0, nullptr), nullptr);
    EXPECT_NE(Log().find("Error : CDX9KelGraphicsResManager : CreateTextureFromFile : pD3DDevice == NULL \n"),
              std::string::npos);
    // A folder longer than a path is cut and fails cleanly.
    const std::string longFolder(300, 'x');
    EXPECT_EQ(res.CreateTextureFromFile(dev.m_pDevice, "p.bmp", longFolder.c_str(), true, 0, nullptr), nullptr);
    EXPECT_EQ(res.m_Textures.size(), 3u);
}

TEST_F(Engine2ResManagerTest, EffectsAreSharedAndCompileErrorsLogTwoLines) {
    const std::string demoEffect = std::string(VORNA_BIN_DIR) + "/Effects/c2model.fx";
    CDX9KelEffect* e = res.CreateEffectFromFile(dev.m_pDevice, "c2model.fx", demoEffect.c_str());
    ASSERT_NE(e, nullptr) << Log();
    EXPECT_EQ(e->m_iIndex, 0);
    EXPECT_EQ(res.CreateEffectFromFile(dev.m_pDevice, "c2model.fx", "/nowhere.fx"), e);
    EXPECT_EQ(res.m_Effects[0].count, 2);
    EXPECT_EQ(res.FindEffectIndex(e), 0);
    // A stale stored index falls back to the search.
    e->m_iIndex = 7;
    EXPECT_EQ(res.FindEffectIndex(e), 0);
    EXPECT_EQ(res.FindEffectIndex(nullptr), -1);

    const std::string bad = (folder / "bad.fx").string();
    std::ofstream(bad) << "<Effect><Technique name=\"T\"><Pass><VertexShader><![CDATA[void main() { nonsense }]]>"
                          "</VertexShader><FragmentShader><![CDATA[out vec4 outColor; void main() { outColor = "
                          "vec4(1.0); }]]></FragmentShader></Pass></Technique></Effect>";
    EXPECT_EQ(res.CreateEffectFromFile(dev.m_pDevice, "bad.fx", bad.c_str()), nullptr);
    const std::string log = Log();
    const std::string prefix = "Error : CDX9KelGraphicsResManager : CreateEffectFromFile : D3DXCreateEffectFromFile :";
    const size_t first = log.find(prefix);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(prefix, first + prefix.size()), std::string::npos) << log;
    EXPECT_EQ(res.m_Effects.size(), 1u);
}

TEST_F(Engine2ResManagerTest, GraphicObjectsAreDrivenAndDeletedByEveryMatchingName) {
    int released = 0;
    auto* one = new CountingGrapRes(&released);
    auto* two = new CountingGrapRes(&released);
    auto* keep = new CountingGrapRes(&released);
    one->SetName("buoy light");
    two->SetName("buoy light");
    keep->SetName("sea");
    EXPECT_FALSE(res.AddGrapRes(nullptr));
    ASSERT_TRUE(res.AddGrapRes(one) && res.AddGrapRes(keep) && res.AddGrapRes(two));
    res.ProcessGrapRes();
    EXPECT_EQ(keep->processed, 1);
    EXPECT_FALSE(res.DeleteGrapRes(""));
    EXPECT_FALSE(res.DeleteGrapRes(nullptr));
    EXPECT_TRUE(res.DeleteGrapRes("buoy light"));
    EXPECT_EQ(released, 2);
    ASSERT_EQ(res.m_GrapRes.size(), 1u);
    EXPECT_EQ(res.m_GrapRes[0], keep);
    res.DeleteAllGrapRes();
    EXPECT_EQ(released, 3);
    EXPECT_TRUE(res.m_GrapRes.empty());
}

TEST_F(Engine2ResManagerTest, PlaneIsRefusedWithoutSizeAndFollowsFromAQuarterUp) {
    CDX9KelPLANE plane;
    EXPECT_FALSE(plane.Init(dev.m_pDevice, nullptr, 0.0f, 0xFFFFFFFFu));
    EXPECT_FALSE(plane.Init(dev.m_pDevice, nullptr, -3.0f, 0xFFFFFFFFu));
    EXPECT_FALSE(plane.Init(nullptr, nullptr, 10.0f, 0xFFFFFFFFu));
    ASSERT_TRUE(plane.Init(dev.m_pDevice, nullptr, 10.0f, 0xFF112233u));
    void* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(plane.m_pVB->Lock(0, 0, &data, D3DLOCK_READONLY)));
    const auto* v = static_cast<const CDX9KelPLANE::Vertex*>(data);
    EXPECT_FLOAT_EQ(v[0].x, -5.0f);
    EXPECT_FLOAT_EQ(v[0].z, -5.0f);
    EXPECT_FLOAT_EQ(v[0].v, 1.0f);
    EXPECT_FLOAT_EQ(v[3].x, 5.0f);
    EXPECT_FLOAT_EQ(v[3].u, 1.0f);
    EXPECT_EQ(v[2].color, 0xFF112233u);
    plane.m_pVB->Unlock();

    plane.m_mWorld._42 = 1.0f;
    D3DXMATRIX follow;
    D3DXMatrixTranslation(&follow, 30.0f, 0.2f, -40.0f);
    plane.m_pFollowMatrix = &follow;
    D3DXMATRIX m = plane.GetDrawMatrix();
    EXPECT_FLOAT_EQ(m._41, 30.0f);
    EXPECT_FLOAT_EQ(m._42, 1.0f);
    EXPECT_FLOAT_EQ(m._43, -40.0f);
    follow._42 = 0.3f;
    m = plane.GetDrawMatrix();
    EXPECT_FLOAT_EQ(m._42, 1.3f);
}

