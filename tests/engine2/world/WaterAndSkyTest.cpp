#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/world/water/CDX9KelActiveWater.h"
#include "engine2/world/water/CDX9KelSkyWall.h"
#include "engine2/world/water/IntersectGridCorner.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace Vorna2;

namespace {

namespace fs = std::filesystem;

std::string FixedTime() { return "T"; }

// The demo content's paths relative to the program folder.
std::string Demo(const char* relative) {
    return fs::relative(fs::path(VORNA_BIN_DIR) / relative, fs::path(Platform::ProgramFolder())).generic_string();
}

class Xorshift : public Platform::IRandomSource {
public:
    explicit Xorshift(std::uint32_t s) : m_s(s) {}
    std::uint32_t Next() override {
        m_s ^= m_s << 13;
        m_s ^= m_s >> 17;
        m_s ^= m_s << 5;
        return m_s;
    }
    std::uint32_t m_s;
};

class Engine2WaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
        Platform::SetClock(&clock);
        ASSERT_TRUE(dev.Create(128, 96));
        ASSERT_TRUE(cameras.Init(128, 96, dev.m_hWnd));
        render.m_pResManager = &res;
        render.m_pCameraManager = &cameras;
        Look(D3DXVECTOR3(0, 30, -40), D3DXVECTOR3(0, 0, 20));
    }
    void TearDown() override {
        Platform::SetRandomSource(nullptr);
        Platform::SetClock(nullptr);
        res.DeleteAllGrapRes();
        res.ReleaseAllEffects();
        res.ReleaseAllTextures();
        g_Log.Reset();
    }
    void Look(const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
        CDX9KelBaseCamera* c = cameras.GetActiveCamera();
        c->m_vEye = eye;
        c->m_vLookAt = at;
        D3DXMatrixLookAtLH(&c->m_mView, &c->m_vEye, &c->m_vLookAt, &c->m_vUp);
        cameras.Update();
    }
    std::unique_ptr<CDX9KelActiveWater> MakeWater(bool vertexMode, std::uint32_t seed = 7) {
        Xorshift random(seed);
        Platform::SetRandomSource(&random);
        auto w = std::make_unique<CDX9KelActiveWater>();
        const bool ok = w->Init(&res, &cameras, &render, D3DMULTISAMPLE_NONE, dev.m_pDevice,
                                Demo("Textures/c2water_sky.png").c_str(), Demo("Textures/fresnel_water.bmp").c_str(),
                                Demo("Effects/water_height.fx").c_str(), Demo("Effects/water_normal.fx").c_str(),
                                Demo("Effects/water_surface.fx").c_str(), Demo("Effects/water_normalsoft.fx").c_str(),
                                vertexMode);
        Platform::SetRandomSource(nullptr);
        EXPECT_TRUE(ok) << VornaTest::ReadText(logPath);
        return ok ? std::move(w) : nullptr;
    }
    std::string Log() { return VornaTest::ReadText(logPath); }

    fs::path folder;
    std::string logPath;
    Platform::ManualClock clock;
    VornaTest::OffscreenDevice dev;
    CDX9KelGraphicsResManager res;
    CDX9KelBaseCameraManager cameras;
    CDX9KelRenderSystem render;
};

} // namespace

TEST(Engine2GridCorner, CornerOnTheSeaAndNoneForALineAlongIt) {
    // Identity: the line from (u, v, -1) to (u, v, 1) meets y = 0 only when
    // v = 0, and then runs along the sea; a matrix that sends z into y
    // gives the corner at z = 0.
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    D3DXVECTOR4 out(9, 9, 9, 9);
    EXPECT_FALSE(IntersectGridCorner(&out, &m, 0.5f, 0.25f));
    EXPECT_EQ(out, D3DXVECTOR4(9, 9, 9, 9));
    D3DXMATRIX swap(1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0.5f, 0, 1);
    ASSERT_TRUE(IntersectGridCorner(&out, &swap, 2.0f, 3.0f));
    // Rows: x' = u, y' = z + 0.5, z' = v, w' = 1: y' = 0 at z = -0.5.
    EXPECT_NEAR(out.x, 2.0f, 1e-6);
    EXPECT_NEAR(out.y, 0.0f, 1e-6);
    EXPECT_NEAR(out.z, 3.0f, 1e-6);
    EXPECT_NEAR(out.w, 1.0f, 1e-6);
}

TEST_F(Engine2WaterTest, InitModesAmplitudeAndGrid) {
    auto vertex = MakeWater(true);
    ASSERT_NE(vertex, nullptr);
    EXPECT_EQ(vertex->m_uColumns, 120u);
    EXPECT_EQ(vertex->m_uRows, 280u);
    EXPECT_FLOAT_EQ(vertex->m_fAmplitude, 4.0f);
    EXPECT_FLOAT_EQ(vertex->m_fSamplingScale, 16384.0f);
    EXPECT_EQ(vertex->m_uIndexCount, 119u * 279u * 6u);
    EXPECT_EQ(vertex->CountTargets(), 2);
    EXPECT_STREQ(vertex->m_szName, "water");

    auto texture = MakeWater(false);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->m_uColumns, 50u);
    EXPECT_EQ(texture->m_uRows, 95u);
    EXPECT_EQ(texture->CountTargets(), CDX9KelActiveWater::TARGET_COUNT);
    for (float bad : {0.0f, 5.5f, -1.0f}) {
        EXPECT_FALSE(texture->SetAmplitude(bad));
        EXPECT_FLOAT_EQ(texture->m_fAmplitude, 2.0f);
    }
    ASSERT_TRUE(texture->SetAmplitude(5.0f));
    float g = 0;
    ID3DXEffect* fx = texture->m_pNormalEffect->m_pEffect;
    ASSERT_EQ(fx->GetFloat(fx->GetParameterByName(nullptr, "g_Amplitude"), &g), S_OK);
    EXPECT_FLOAT_EQ(g, 10.0f);
    EXPECT_FLOAT_EQ(texture->m_UpperBound.d, -5.0f);
    EXPECT_FLOAT_EQ(texture->m_LowerBound.d, 5.0f);

    // The index layout of a 3 x 3 grid: two triangles per cell.
    texture->m_uColumns = 3;
    texture->m_uRows = 3;
    ASSERT_TRUE(texture->InitBuffers());
    void* data = nullptr;
    ASSERT_EQ(texture->m_pIB->Lock(0, 0, &data, D3DLOCK_READONLY), S_OK);
    const DWORD expected[24] = {0, 1, 3, 3, 1, 4, 1, 2, 4, 4, 2, 5, 3, 4, 6, 6, 4, 7, 4, 5, 7, 7, 5, 8};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(static_cast<const DWORD*>(data)[i], expected[i]) << i;
    texture->m_pIB->Unlock();
    EXPECT_FLOAT_EQ(texture->m_Vertices[5].u, 1.0f);
    EXPECT_FLOAT_EQ(texture->m_Vertices[5].v, 0.5f);

    // Missing sources or files.
    CDX9KelActiveWater bare;
    EXPECT_FALSE(bare.Init(nullptr, &cameras, &render, D3DMULTISAMPLE_NONE, dev.m_pDevice, "a", "b", "c", "d", "e",
                           "f", true));
    EXPECT_FALSE(bare.Init(&res, &cameras, &render, D3DMULTISAMPLE_NONE, dev.m_pDevice, "Textures/none.png",
                           Demo("Textures/fresnel_water.bmp").c_str(), "c", "d", "e", "f", true));
    EXPECT_NE(Log().find("Error : CDX9KelActiveWater::Init() : LoadManagedTextures() == false\n"), std::string::npos);
}

TEST_F(Engine2WaterTest, NoiseIsDeterministicBoundedAndFrozenOnRequest) {
    auto a = MakeWater(true, 11), b = MakeWater(true, 11), c = MakeWater(true, 12);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->m_Noise, b->m_Noise);
    EXPECT_NE(a->m_Noise, c->m_Noise);
    float sum = 0.0f;
    for (int o = 0; o < CDX9KelActiveWater::kOctaves; ++o) sum += a->m_fOctaveWeights[o];
    EXPECT_NEAR(sum, 1.0f, 1e-5);
    for (int step = 0; step < 20; ++step) {
        a->AnimateNoise(40);
        b->AnimateNoise(40);
    }
    float lo = 1e9f, hi = -1e9f, previous = a->GetHeight(0.0f, 0.0f), jump = 0.0f;
    for (int i = 0; i < 400; ++i) {
        const float x = float(i) * 0.5f;
        const float h = a->GetHeight(x, 3.0f * x);
        EXPECT_FLOAT_EQ(h, b->GetHeight(x, 3.0f * x));
        lo = std::fmin(lo, h);
        hi = std::fmax(hi, h);
        jump = std::fmax(jump, std::fabs(h - previous));
        previous = h;
    }
    EXPECT_LT(hi - lo, 2.0f * a->m_fAmplitude);
    EXPECT_GT(hi - lo, 0.05f);
    // Continuous: small steps give small changes.
    EXPECT_LT(jump, 0.5f);
    // Time moves the sea; frozen, the packed noise keeps its contents.
    const float here = a->GetHeight(10.0f, 10.0f);
    a->AnimateNoise(400);
    EXPECT_NE(a->GetHeight(10.0f, 10.0f), here);
    a->m_bFrozen = true;
    const auto packed = a->m_Packed[0];
    const double time = a->m_dTime;
    a->AnimateNoise(400);
    EXPECT_EQ(a->m_Packed[0], packed);
    EXPECT_GT(a->m_dTime, time);
}

TEST_F(Engine2WaterTest, ProjectionFollowsTheCameraAndTheTargetsSurviveADeviceLoss) {
    auto w = MakeWater(false);
    ASSERT_NE(w, nullptr);
    clock.Advance(30);
    w->Process();
    EXPECT_TRUE(w->m_bGridVisible);
    // The grid corners lie on the sea, in front of the camera.
    for (const D3DXVECTOR4& c : w->m_vCorners) {
        ASSERT_GT(std::fabs(c.w), 1e-9f);
        EXPECT_NEAR(c.y / c.w, 0.0f, 1e-3);
        EXPECT_GT(c.z / c.w, -40.0f);
    }
    // Looking up at the sky: nothing of the sea is in view.
    Look(D3DXVECTOR3(0, 30, 0), D3DXVECTOR3(0, 200, 10));
    w->Process();
    EXPECT_FALSE(w->m_bGridVisible);
    Look(D3DXVECTOR3(0, 30, -40), D3DXVECTOR3(0, 0, 20));
    w->Process();
    EXPECT_TRUE(w->m_bGridVisible);

    // One frame drawn in texture mode, then a lost device and a restore.
    dev.m_pDevice->BeginScene();
    dev.m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF00FFu, 1.0f, 0);
    render.Update();
    for (size_t i = 0; i < res.m_Effects.size(); ++i) render.SetCameraParameters(res.m_Effects[i].holder);
    w->Render(dev.m_pDevice, nullptr, true, 0);
    dev.m_pDevice->EndScene();
    const std::vector<DWORD> px = dev.Pixels();
    const DWORD below = dev.At(px, 64, 80);
    EXPECT_NE(below, 0xFFFF00FFu) << std::hex << below;
    EXPECT_GT(below & 0xFF, (below >> 16) & 0xFF) << std::hex << below; // bluer than red

    w->OnLost();
    EXPECT_EQ(w->CountTargets(), 0);
    EXPECT_EQ(Platform::LiveDefaultPoolResources(dev.m_pDevice), 0);
    w->Restore();
    EXPECT_EQ(w->CountTargets(), CDX9KelActiveWater::TARGET_COUNT);
    EXPECT_NE(Log().find("CDX9KelActiveWater::OnLost()\n"), std::string::npos);
    EXPECT_NE(Log().find("CDX9KelActiveWater::Restore()\n"), std::string::npos);
}

TEST_F(Engine2WaterTest, SkyWallTablesFollowingAndFog) {
    EXPECT_EQ(CDX9KelSkyWall::kVertices[0].y, 300.0f);
    EXPECT_EQ(CDX9KelSkyWall::kVertices[3].y, -50.0f);
    EXPECT_EQ(CDX9KelSkyWall::kVertices[16].x, CDX9KelSkyWall::kVertices[0].x);
    EXPECT_EQ(CDX9KelSkyWall::kVertices[17].u, 1.0f);
    EXPECT_EQ(CDX9KelSkyWall::kIndices[47], 16);
    for (const auto& v : CDX9KelSkyWall::kVertices) EXPECT_EQ(v.color, 0xFFFFFFFFu);

    CDX9KelSkyWall missing;
    const std::string texturesFolder = Demo("Textures") + "/";
    EXPECT_FALSE(missing.Init(&res, &cameras, texturesFolder.c_str(), "nothing.png", nullptr, dev.m_pDevice));
    EXPECT_NE(Log().find("Error : CDX9KelSkyWall::Init() : pTexture == NULL\n"), std::string::npos);
    EXPECT_FALSE(missing.Init(&res, nullptr, texturesFolder.c_str(), "c2sky_wall.png", nullptr, dev.m_pDevice));

    CDX9KelSkyWall sky;
    ASSERT_TRUE(sky.Init(&res, &cameras, texturesFolder.c_str(), "c2sky_wall.png", nullptr, dev.m_pDevice));
    EXPECT_STREQ(sky.m_szName, "sky");
    EXPECT_EQ(sky.m_uIndexCount, 48u);
    Look(D3DXVECTOR3(500, 80, -200), D3DXVECTOR3(500, 0, 0));
    sky.Process();
    EXPECT_EQ(D3DXVECTOR3(sky.m_mWorld._41, sky.m_mWorld._42, sky.m_mWorld._43), D3DXVECTOR3(500, 0, -200));

    for (DWORD fog : {DWORD(TRUE), DWORD(FALSE)}) {
        dev.m_pDevice->SetRenderState(D3DRS_FOGENABLE, fog);
        dev.m_pDevice->BeginScene();
        sky.Render(dev.m_pDevice, nullptr, true, 0);
        dev.m_pDevice->EndScene();
        DWORD after = 2;
        dev.m_pDevice->GetRenderState(D3DRS_FOGENABLE, &after);
        EXPECT_EQ(after, fog);
    }
}
