// The render demo with the battle sea and sky on a real device, on both
// normal paths: sky above the horizon, sea below it, the ships mirrored in
// the sea, and the pictures saved for a person to look at.
#include "OceanScene.h"

#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Clock.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

using namespace Vorna3D;
using VornaOcean::Picture;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct BandColour {
    float r = 0, g = 0, b = 0;
    float Luminance() const { return 0.3f * r + 0.59f * g + 0.11f * b; }
};

// Mean colour of the rows [y0, y1).
BandColour Band(const Picture& p, UINT y0, UINT y1) {
    BandColour c;
    double n = 0;
    for (UINT y = y0; y < y1; ++y)
        for (UINT x = 0; x < p.width; ++x) {
            const DWORD px = p.At(x, y);
            c.r += VornaOcean::Red(px);
            c.g += VornaOcean::Green(px);
            c.b += VornaOcean::Blue(px);
            ++n;
        }
    c.r = static_cast<float>(c.r / n);
    c.g = static_cast<float>(c.g / n);
    c.b = static_cast<float>(c.b / n);
    return c;
}

// Share of the rows [y0, y1) that still shows the frame's clear colour.
double ClearShare(const Picture& p, UINT y0, UINT y1, DWORD clear) {
    size_t same = 0, n = 0;
    for (UINT y = y0; y < y1; ++y)
        for (UINT x = 0; x < p.width; ++x, ++n)
            same += (p.At(x, y) & 0xFFFFFFu) == (clear & 0xFFFFFFu);
    return n ? double(same) / double(n) : 1.0;
}

class OceanRenderTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((m_dir / "log.log").c_str());
        m_scene = std::make_unique<VornaOcean::OceanScene>();
        ASSERT_TRUE(m_scene->Create(kWidth, kHeight, GetParam(), m_dir.string() + "/", std::string(VORNA_BIN_DIR) + "/"))
            << m_scene->m_strError << "\n"
            << VornaTest::ReadText(m_dir / "log.log");
    }
    void TearDown() override {
        m_scene.reset();
        g_Log.Reset();
    }
    const char* PathName() const { return GetParam() ? "software" : "hardware"; }

    std::filesystem::path m_dir;
    std::unique_ptr<VornaOcean::OceanScene> m_scene;
};

TEST_P(OceanRenderTest, SkyAboveTheHorizonSeaBelowAndTheShipsMirrored) {
    CDX9KelOceanWater* water = m_scene->m_pWater;
    EXPECT_EQ(water->IsSoftware(), GetParam());
    // Two frames to settle the clock and the maps, then a still sea so the
    // two pictures below differ only by what the reflection pass drew.
    ASSERT_TRUE(m_scene->Frame(nullptr));
    ASSERT_TRUE(m_scene->Frame(nullptr));
    water->SetPaused(true);
    EXPECT_TRUE(water->IsVisible());

    Picture mirrored;
    ASSERT_TRUE(m_scene->Frame(&mirrored));
    ASSERT_EQ(mirrored.width, UINT(kWidth));
    ASSERT_EQ(mirrored.height, UINT(kHeight));

    // Where the horizon lies: a point far ahead on the sea plane.
    const CDX9KelBaseCamera* cam = m_scene->m_scene.m_pCameraManager->m_pActiveCamera;
    D3DXVECTOR3 ahead(cam->m_vViewDir.x, 0.0f, cam->m_vViewDir.z);
    D3DXVec3Normalize(&ahead, &ahead);
    float hx = 0, horizonY = 0;
    ASSERT_TRUE(m_scene->Project(cam->m_vEye + ahead * 900.0f - D3DXVECTOR3(0, cam->m_vEye.y, 0), &hx, &horizonY));
    ASSERT_GT(horizonY, 20.0f);
    ASSERT_LT(horizonY, kHeight - 40.0f);

    const UINT skyEnd = static_cast<UINT>(horizonY) - 10;
    const UINT seaStart = static_cast<UINT>(horizonY) + 10;
    const BandColour sky = Band(mirrored, 0, skyEnd);
    const BandColour sea = Band(mirrored, kHeight - 30, kHeight);
    // The arch's texture, not the clear colour, fills the sky; the sea
    // covers everything below the horizon.
    EXPECT_LT(ClearShare(mirrored, 0, skyEnd, m_scene->m_scene.m_ClearColor), 0.01);
    EXPECT_LT(ClearShare(mirrored, seaStart, kHeight, m_scene->m_scene.m_ClearColor), 0.01);
    EXPECT_GT(sky.b, sky.r + 0.08f) << "sky " << sky.r << " " << sky.g << " " << sky.b;
    EXPECT_GT(sky.Luminance(), 0.5f);
    EXPECT_GT(sea.b, sea.r) << "sea " << sea.r << " " << sea.g << " " << sea.b;
    EXPECT_LT(sea.Luminance(), sky.Luminance() - 0.1f);

    // A picture for a person to look at.
    const std::filesystem::path out = std::filesystem::path(VORNA_TEST_TMP) / "ocean_render";
    std::filesystem::create_directories(out);
    const std::string file = (out / (std::string("ocean_") + PathName() + ".png")).string();
    EXPECT_TRUE(m_scene->SaveFrame(file)) << file;
    EXPECT_TRUE(std::filesystem::exists(file));

    // The same still frame with the ships left out of the reflection pass:
    // the sea under them changes, the sky does not.
    m_scene->SetShipsReflected(false);
    Picture plain;
    ASSERT_TRUE(m_scene->Frame(&plain));
    m_scene->SetShipsReflected(true);
    size_t seaChanged = 0, skyChanged = 0;
    for (UINT y = 0; y < plain.height; ++y)
        for (UINT x = 0; x < plain.width; ++x) {
            const DWORD a = mirrored.At(x, y), b = plain.At(x, y);
            const float d = std::fabs(VornaOcean::Red(a) - VornaOcean::Red(b)) +
                            std::fabs(VornaOcean::Green(a) - VornaOcean::Green(b)) +
                            std::fabs(VornaOcean::Blue(a) - VornaOcean::Blue(b));
            if (d > 0.1f)
                ++(y < skyEnd ? skyChanged : seaChanged);
        }
    EXPECT_GT(seaChanged, 150u) << "no reflection of the ships in the sea";
    EXPECT_EQ(skyChanged, 0u);

}

TEST_P(OceanRenderTest, InitLogsItsStepsAndTheCapabilityAnswers) {
    const std::string log = VornaTest::ReadText(m_dir / "log.log");
    for (const char* line : {"CDX9KelOceanWater::Init() : Begin", "Render Target format D3DFMT_A16B16G16R16 :",
                             "CDX9KelActiveWater::Init() : InitBuffers()", "CDX9KelActiveWater::Init() : InitNoise()",
                             "CDX9KelActiveWater::Init() : CreateTextures()",
                             "CDX9KelActiveWater::Init() : CreteDepthStencils()",
                             "CDX9KelActiveWater::Init() : LoadEffects()", "CDX9KelOceanWater::Init() : End",
                             "CVR3SkyArch::Init() : Begin", "CVR3SkyArch::Init() : End"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(log.find("NO\n"), std::string::npos) << "this device has every format the hardware path needs";
    CDX9KelOceanWater* water = m_scene->m_pWater;
    // The grid follows the flag that was passed; the maps stay at their base
    // size for a window narrower than the map height.
    EXPECT_EQ(water->GetGridColumns(), GetParam() ? 100u : 50u);
    EXPECT_EQ(water->GetGridRows(), GetParam() ? 200u : 120u);
    EXPECT_EQ(CDX9KelOceanWater::GetMapWidth(), 512u);
    EXPECT_EQ(CDX9KelOceanWater::GetMapHeight(), 1024u);
    // The render system clears its maps for the sea: under-water with the
    // water colour, the mirror with nothing.
    CDX9KelRenderSystem* rs = m_scene->m_scene.m_pRenderSystem;
    EXPECT_EQ(rs->m_RefractionClearColor, CDX9KelRenderSystem::PackColor(0.15f, 0.31f, 0.4f, 1.0f));
    EXPECT_EQ(rs->m_ReflectionClearColor, 0u);
    // Only the hardware path has the maps and the noise textures.
    EXPECT_EQ(water->m_pHeightMap != nullptr, !GetParam());
    EXPECT_EQ(water->m_pNoise1 != nullptr, !GetParam());
    // The amplitude reaches the normal-map effect doubled, the water colour
    // the surface effect with alpha 1; a refused amplitude changes nothing.
    ID3DXEffect* normals = water->m_pNormalEffect->m_pEffect;
    float amplitude = 0.0f;
    ASSERT_TRUE(water->SetAmplitude(3.0f));
    ASSERT_EQ(normals->GetFloat("g_Amplitude", &amplitude), D3D_OK);
    EXPECT_FLOAT_EQ(amplitude, 6.0f);
    EXPECT_FALSE(water->SetAmplitude(5.01f));
    normals->GetFloat("g_Amplitude", &amplitude);
    EXPECT_FLOAT_EQ(amplitude, 6.0f);
    EXPECT_FLOAT_EQ(water->GetAmplitude(), 3.0f);
    water->m_vWaterColor = D3DXVECTOR3(0.2f, 0.4f, 0.6f);
    water->ApplyWaterColor();
    float colour[4] = {};
    ASSERT_EQ(water->m_pWaterEffect->m_pEffect->GetValue("g_WaterColor", colour, sizeof(colour)), D3D_OK);
    EXPECT_FLOAT_EQ(colour[0], 0.2f);
    EXPECT_FLOAT_EQ(colour[2], 0.6f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    // A second set of buffers is refused.
    EXPECT_FALSE(water->InitBuffers());
    EXPECT_NE(VornaTest::ReadText(m_dir / "log.log").find(
                  "CDX9KelActiveWater::InitVertexBuffer : vertex buffer already used"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(NormalPaths, OceanRenderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Software" : "Hardware"; });

// The sea drawn after an update shows that update, whatever updates went
// before it undrawn: the same sea time gives the same picture pixel for
// pixel, another time another picture.
TEST_P(OceanRenderTest, UndrawnUpdatesLeaveNoTraceInThePicture) {
    CDX9KelOceanWater* water = m_scene->m_pWater;
    ASSERT_TRUE(m_scene->Frame(nullptr));
    ASSERT_TRUE(m_scene->Frame(nullptr));
    Platform::ManualClock clock;
    Platform::SetClock(&clock);
    // A stopped clock: every update keeps the sea time that was set.
    auto frameAt = [&](double time, Picture* picture) {
        water->SetTime(time);
        CDX9KelOceanSurface::SetClockStep(0.0);
        return m_scene->Frame(picture);
    };
    Picture first, again, other;
    EXPECT_TRUE(frameAt(40.0, &first));
    for (double undrawn : {41.5, 47.25, 90.0}) {
        water->SetTime(undrawn);
        CDX9KelOceanSurface::SetClockStep(0.0);
        water->Update(1.0f);
    }
    EXPECT_TRUE(frameAt(40.0, &again));
    EXPECT_TRUE(frameAt(47.25, &other));
    Platform::SetClock(nullptr);
    EXPECT_DOUBLE_EQ(water->GetTime(), 47.25);
    ASSERT_EQ(first.pixels.size(), again.pixels.size());
    size_t differ = 0, moved = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i) {
        differ += (first.pixels[i] & 0xFFFFFFu) != (again.pixels[i] & 0xFFFFFFu);
        moved += (first.pixels[i] & 0xFFFFFFu) != (other.pixels[i] & 0xFFFFFFu);
    }
    EXPECT_EQ(differ, 0u);
    EXPECT_GT(moved, first.pixels.size() / 20);
}

// After a device loss and restore the hardware path has its map surfaces
// again, its clock restarts without a jump, and the sea is drawn as before.
TEST_P(OceanRenderTest, DeviceLossAndRestoreKeepTheSea) {
    CDX9KelOceanWater* water = m_scene->m_pWater;
    ASSERT_TRUE(m_scene->Frame(nullptr));
    ASSERT_NE(water->GetLastTick(), 0u);
    const double time = water->GetTime();
    m_scene->m_scene.OnLost();
    EXPECT_EQ(water->GetLastTick(), 0u);
    EXPECT_EQ(water->m_pHeightSurface, nullptr);
    m_scene->m_scene.Restore();
    EXPECT_EQ(water->m_pHeightSurface != nullptr, !GetParam());
    EXPECT_EQ(water->m_pNormalSurface != nullptr, !GetParam());
    Picture after;
    ASSERT_TRUE(m_scene->Frame(&after));
    EXPECT_LT(water->GetTime() - time, 1.0);
    const BandColour sea = Band(after, kHeight - 30, kHeight);
    EXPECT_GT(sea.b, sea.r);
    EXPECT_LT(ClearShare(after, kHeight - 30, kHeight, m_scene->m_scene.m_ClearColor), 0.01);
}

// One map size for every map: a window wider than the base map height
// doubles the base size once, however many seas were made before.
TEST_P(OceanRenderTest, MapSizeDoesNotGrowWithEveryMap) {
    CDX9KelBaseCameraManager* cameras = m_scene->m_scene.m_pCameraManager;
    const HWND window = cameras->m_hWnd;
    const int width = cameras->m_iWidth;
    cameras->m_hWnd = nullptr;
    cameras->m_iWidth = 1600;
    const std::string bin = std::string(VORNA_BIN_DIR) + "/";
    for (int map = 0; map < 3; ++map) {
        CDX9KelOceanWater water;
        water.m_pResManager = m_scene->m_scene.GetGraphicsResManager();
        water.m_strTextureFolder = bin + "Textures/Environment/";
        water.m_strEffectFolder = bin + "Effects/Environment/";
        ASSERT_TRUE(water.Init(m_scene->m_scene.GetDevice(), m_scene->m_scene.m_pRenderSystem, GetParam()));
        EXPECT_EQ(CDX9KelOceanWater::GetMapWidth(), 1024u) << "map " << map;
        EXPECT_EQ(CDX9KelOceanWater::GetMapHeight(), 2048u) << "map " << map;
    }
    cameras->m_hWnd = window;
    cameras->m_iWidth = width;
}

// The sky's texture is required; its effect is not: without it the arch is
// drawn through the fixed-function path, and the fog state survives the draw.
TEST(SkyArchDeviceTest, TextureRequiredEffectOptional) {
    const auto dir = VornaTest::FreshFolder();
    g_Log.Reset();
    g_Log.Open((dir / "log.log").c_str());
    {
        VornaOcean::OceanScene scene;
        ASSERT_TRUE(scene.Create(64, 48, true, dir.string() + "/", std::string(VORNA_BIN_DIR) + "/"))
            << scene.m_strError;
        const std::string bin = std::string(VORNA_BIN_DIR) + "/";
        IDirect3DDevice9* device = scene.m_scene.GetDevice();
        CDX9KelBaseCameraManager* cameras = scene.m_scene.m_pCameraManager;

        CVR3SkyArch noManager;
        EXPECT_FALSE(noManager.Init(cameras, device));

        CVR3SkyArch noTexture;
        noTexture.m_pResManager = scene.m_scene.GetGraphicsResManager();
        noTexture.m_strTextureFolder = bin + "Textures/Environment/";
        noTexture.m_strTextureFile = "no_such_sky.dds";
        EXPECT_FALSE(noTexture.Init(cameras, device));
        EXPECT_NE(VornaTest::ReadText(dir / "log.log").find("CVR3SkyArch::Init : Not create sky texture"),
                  std::string::npos);

        CVR3SkyArch noEffect;
        noEffect.m_pResManager = scene.m_scene.GetGraphicsResManager();
        noEffect.m_strTextureFolder = bin + "Textures/Environment/";
        noEffect.m_strEffectFolder = bin + "Effects/Environment/";
        noEffect.m_strEffectFile = "no_such_sky.fx";
        ASSERT_TRUE(noEffect.Init(cameras, device));
        EXPECT_EQ(noEffect.m_pSkyEffect, nullptr);
        EXPECT_EQ(noEffect.GetRenderEffect(), nullptr);
        EXPECT_NE(VornaTest::ReadText(dir / "log.log").find("CDX9KelRenderSystem::LoadEffects() : Not create sky effect"),
                  std::string::npos);
        EXPECT_EQ(noEffect.m_uVertexCount, 297u);
        EXPECT_EQ(noEffect.m_uIndexCount, 1536u);
        for (DWORD fog : {TRUE, FALSE}) {
            device->SetRenderState(D3DRS_FOGENABLE, fog);
            noEffect.Render(device, 1.0f, 0, 0);
            DWORD after = 2;
            device->GetRenderState(D3DRS_FOGENABLE, &after);
            EXPECT_EQ(after, fog);
        }
        noEffect.Release();
        EXPECT_EQ(noEffect.m_pVB, nullptr);
    }
    g_Log.Reset();
}

// The noise textures hold the height tables: level 0 the texture copy, each
// further level the mean of the four signed values below it.
TEST(OceanNoiseTextureTest, LevelsHoldTheTablesAndTheirMeans) {
    const auto dir = VornaTest::FreshFolder();
    g_Log.Reset();
    g_Log.Open((dir / "log.log").c_str());
    {
        VornaOcean::OceanScene scene;
        ASSERT_TRUE(scene.Create(64, 48, false, dir.string() + "/", std::string(VORNA_BIN_DIR) + "/"))
            << scene.m_strError;
        CDX9KelOceanWater* water = scene.m_pWater;
        water->SetTime(3.7);
        water->AnimateNoise();
        ASSERT_TRUE(water->GenerateNoiseTexture());
        for (int t = 0; t < 2; ++t) {
            auto* texture = static_cast<IDirect3DTexture9*>((t == 0 ? water->m_pNoise1 : water->m_pNoise2)->m_pTexture);
            ASSERT_EQ(texture->GetLevelCount(), 8u);
            const WORD* copy = water->GetTextureCopy() + t * CDX9KelOceanSurface::kTableCells;
            D3DLOCKED_RECT l0 = {}, l1 = {};
            ASSERT_EQ(texture->LockRect(0, &l0, nullptr, D3DLOCK_READONLY), D3D_OK);
            const auto* level0 = static_cast<const BYTE*>(l0.pBits);
            for (int y = 0; y < 128; ++y)
                ASSERT_EQ(std::memcmp(level0 + y * l0.Pitch, copy + y * 128, 256), 0) << "row " << y;
            texture->UnlockRect(0);
            ASSERT_EQ(texture->LockRect(1, &l1, nullptr, D3DLOCK_READONLY), D3D_OK);
            const auto* level1 = static_cast<const BYTE*>(l1.pBits);
            for (int y = 0; y < 64; y += 7)
                for (int x = 0; x < 64; x += 5) {
                    auto s = [&](int xx, int yy) { return int(copy[yy * 128 + xx]) - 32768; };
                    const int mean = (s(2 * x, 2 * y) + s(2 * x + 1, 2 * y) + s(2 * x, 2 * y + 1) +
                                      s(2 * x + 1, 2 * y + 1)) >> 2;
                    WORD got = 0;
                    std::memcpy(&got, level1 + y * l1.Pitch + x * 2, 2);
                    EXPECT_EQ(got, WORD(32768 + mean)) << x << "," << y;
                }
            texture->UnlockRect(1);
        }
    }
    g_Log.Reset();
}

} // namespace
