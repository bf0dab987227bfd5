// The demo models through the graphics resource manager, drawn headless: the
// hull through the model effect, the skinned flag through the fixed-function
// path at two animation times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/OffscreenDevice.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"

using namespace Vorna3D;

namespace {

const std::string kModels = std::string(VORNA_BIN_DIR) + "/Data/Models/";
const std::string kEffects = std::string(VORNA_BIN_DIR) + "/Data/Effects/";
const std::string kTextures = std::string(VORNA_BIN_DIR) + "/Data/Textures/";

bool IsBlack(DWORD c) { return (c & 0x00FFFFFFu) == 0; }
int Red(DWORD c) { return (c >> 16) & 0xFF; }

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(VORNA_TEST_TMP);
        if (!m_gfx.Create())
            GTEST_SKIP() << "no GL context";
        ASSERT_TRUE(m_res.Init(m_gfx.m_pDevice));
    }
    void TearDown() override { m_res.Release(); }

    D3DXMATRIX ViewProj(const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
        D3DXMATRIX view, proj;
        D3DXVECTOR3 up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 1.0f, 0.1f, 100.0f);
        m_gfx.m_pDevice->SetTransform(D3DTS_VIEW, &view);
        m_gfx.m_pDevice->SetTransform(D3DTS_PROJECTION, &proj);
        return view * proj;
    }
    void Clear() {
        m_gfx.m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    }

    VornaTest::OffscreenDevice m_gfx;
    CDX9KelGraphicsResManager m_res;
};

TEST_F(ModelTest, HullIsSharedByNameAndDrawsThroughTheEffect) {
    CDX9KelModel* hull = m_res.CreateModelFromFile(kModels.c_str(), "hull.x", kEffects.c_str(), "model.fx");
    ASSERT_NE(hull, nullptr);
    CDX9KelModel* again = m_res.CreateModelFromFile(kModels.c_str(), "hull.x", kEffects.c_str(), "model.fx");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(hull, again);
    // One hierarchy and one effect, each counted twice; the effect is new once.
    EXPECT_EQ(hull->m_pFrame, again->m_pFrame);
    EXPECT_EQ(hull->m_pFrame->m_dwRefCount, 2u);
    EXPECT_EQ(hull->m_pEffect, again->m_pEffect);
    EXPECT_EQ(hull->m_pEffect->m_dwRefCount, 2u);
    EXPECT_EQ(m_res.m_pEffectManager->m_vNewEffects.size(), 1u);
    EXPECT_FALSE(hull->m_pFrame->m_bSkinned);
    EXPECT_GT(hull->m_dwFaces, 0u);
    EXPECT_FALSE(hull->m_bPause); // no controller: never paused

    ASSERT_TRUE(hull->AddTextureGroup("hull", kTextures.c_str(), "hull_diffuse.bmp", kTextures.c_str(),
                                      "hull_normal.bmp", "", "", "", ""));
    EXPECT_FALSE(hull->SetTextureGroup(1));
    EXPECT_TRUE(hull->SetTextureGroup(0));

    ID3DXEffect* e = hull->m_pEffect->m_pEffect;
    for (int i = 0; i < KEL_H_MODEL_COUNT; ++i)
        hull->m_pEffect->m_hHandles[i] = e->GetParameterByName(nullptr, kModelHandleNames[i]);
    ASSERT_NE(hull->m_pEffect->m_hHandles[KEL_H_MATRIX_WORLD_VIEW_PROJ], nullptr);
    ASSERT_NE(hull->m_pEffect->m_hHandles[KEL_H_TEXTURE_LAYER1], nullptr);
    D3DXHANDLE light = e->GetParameterByName(nullptr, "g_LightDir");
    ASSERT_NE(light, nullptr);
    D3DXVECTOR4 dir(0.3f, -1.0f, 0.4f, 0);
    e->SetVector(light, &dir);

    D3DXMATRIX vp = ViewProj(D3DXVECTOR3(-9, 2, 0.5f), D3DXVECTOR3(0, 0, 0.5f));
    Clear();
    ASSERT_EQ(e->SetTechnique(e->GetTechniqueByName("Low")), D3D_OK);
    UINT passes = 0;
    ASSERT_EQ(e->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    hull->Draw(m_gfx.m_pDevice, 1.0f, true, &vp, passes);
    e->End();
    auto px = m_gfx.Pixels();
    // The hull covers the middle of the picture and not the corners.
    EXPECT_FALSE(IsBlack(m_gfx.At(px, 64, 64))) << std::hex << m_gfx.At(px, 64, 64);
    EXPECT_TRUE(IsBlack(m_gfx.At(px, 2, 2)));
    EXPECT_TRUE(IsBlack(m_gfx.At(px, 125, 125)));

    EXPECT_TRUE(m_res.m_pModelManager->ReleaseResource(again));
    EXPECT_EQ(hull->m_pFrame->m_dwRefCount, 1u);
    EXPECT_TRUE(m_res.m_pModelManager->ReleaseResource(hull));
}

TEST_F(ModelTest, SkinnedFlagAnimatesThroughTheFixedFunctionPath) {
    CDX9KelModel* flag = m_res.CreateModelFromFile(kModels.c_str(), "flag.x", "", "");
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->m_pEffect, nullptr);
    EXPECT_TRUE(flag->m_pFrame->m_bSkinned);
    EXPECT_EQ(flag->m_dwAnimationSets, 1u);
    ASSERT_NE(flag->m_pAnimController, nullptr);
    // The model's controller is its own, not the one the frame resource keeps.
    EXPECT_NE(flag->m_pAnimController, flag->m_pFrame->m_pAnimController);
    flag->m_bPause = false;

    IDirect3DDevice9* dev = m_gfx.m_pDevice;
    ViewProj(D3DXVECTOR3(0.5f, 1, -5), D3DXVECTOR3(0.5f, 1, 0));
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Clear();
    flag->Draw(dev, 0.0f, false, nullptr, 0);
    auto before = m_gfx.Pixels();
    // A quarter of the period later Bone1 has swung the upper half aside.
    Clear();
    flag->Draw(dev, 40.0f, false, nullptr, 0);
    auto after = m_gfx.Pixels();
    EXPECT_FLOAT_EQ(flag->m_fAnimationTime, 0.5f);

    int redBefore = 0, redAfter = 0, differ = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        redBefore += Red(before[i]) > 128;
        redAfter += Red(after[i]) > 128;
        differ += before[i] != after[i];
    }
    EXPECT_GT(redBefore, 200);
    EXPECT_GT(redAfter, 200);
    EXPECT_GT(differ, 100);
    // The lower half follows Bone0, which does not move: the flag's foot
    // stays where it was.
    EXPECT_GT(Red(m_gfx.At(before, 64, 85)), 128);
    EXPECT_GT(Red(m_gfx.At(after, 64, 85)), 128);
    EXPECT_TRUE(m_res.m_pModelManager->ReleaseResource(flag));
}

// Models of one file share the frame hierarchy; a frame that one model
// turns (a turret, a rudder) must show on that model alone and survive its
// next update.
TEST_F(ModelTest, AFrameTurnedOnOneModelShowsOnThatModelOnly) {
    CDX9KelModel* turned = m_res.CreateModelFromFile(kModels.c_str(), "hull.x", "", "");
    CDX9KelModel* still = m_res.CreateModelFromFile(kModels.c_str(), "hull.x", "", "");
    ASSERT_NE(turned, nullptr);
    ASSERT_NE(still, nullptr);
    ASSERT_EQ(turned->m_pFrame, still->m_pFrame);
    CDX9KelFrameRecord* frame = turned->GetFrameMatrixByName("Hull");
    ASSERT_NE(frame, nullptr);
    D3DXMATRIX quarter;
    D3DXMatrixRotationY(&quarter, D3DX_PI / 2);
    frame->m_mLocal = quarter;
    *frame->m_pChanged = true;

    turned->UpdateFrameMatrices();
    still->UpdateFrameMatrices();
    EXPECT_NEAR(frame->m_mWorld._11, quarter._11, 1e-6f);
    EXPECT_NEAR(frame->m_mWorld._13, quarter._13, 1e-6f);
    EXPECT_NEAR(still->GetFrameMatrixByName("Hull")->m_mWorld._11, 1.0f, 1e-6f);

    // Seen from above: the hull lies along the picture's height, the turned
    // one across it.
    IDirect3DDevice9* dev = m_gfx.m_pDevice;
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(0, 12, 0.5f), at(0, 0, 0.5f), up(0, 0, 1);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 1.0f, 0.1f, 100.0f);
    dev->SetTransform(D3DTS_VIEW, &view);
    dev->SetTransform(D3DTS_PROJECTION, &proj);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    auto extent = [&](CDX9KelModel* m, int* w, int* h) {
        Clear();
        m->Draw(dev, 0.0f, false, nullptr, 0);
        auto px = m_gfx.Pixels();
        int x0 = 1000, x1 = -1, y0 = 1000, y1 = -1;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                if (!IsBlack(m_gfx.At(px, x, y))) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        *w = x1 - x0;
        *h = y1 - y0;
    };
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    extent(still, &w1, &h1);
    extent(turned, &w2, &h2);
    // A second draw of the turned model keeps its own pose.
    int w3 = 0, h3 = 0;
    extent(turned, &w3, &h3);
    EXPECT_GT(h1, 2 * w1);
    EXPECT_GT(w2, 2 * h2);
    EXPECT_EQ(w3, w2);
    EXPECT_EQ(h3, h2);
    EXPECT_TRUE(m_res.m_pModelManager->ReleaseResource(turned));
    EXPECT_TRUE(m_res.m_pModelManager->ReleaseResource(still));
}

TEST_F(ModelTest, ScreenshotIsWrittenAsJpg) {
    Clear();
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(m_gfx.m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    std::string path = std::string(VORNA_TEST_TMP) + "/shot.jpg";
    std::remove(path.c_str());
    EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_JPG, back, nullptr, nullptr), D3D_OK);
    back->Release();
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char head[2] = {};
    EXPECT_EQ(std::fread(head, 1, 2, f), 2u);
    std::fclose(f);
    EXPECT_EQ(head[0], 0xFF);
    EXPECT_EQ(head[1], 0xD8);
}

TEST_F(ModelTest, MissingAndBrokenFilesLogAndGiveNull) {
    std::string log = std::string(VORNA_TEST_TMP) + "/gfxres.log";
    g_Log.Open(log.c_str());
    EXPECT_EQ(m_res.CreateTextureFromFile(kTextures.c_str(), "missing.bmp", false, 0), nullptr);
    EXPECT_EQ(m_res.CreateModelFromFile(kTextures.c_str(), "hull_diffuse.bmp", "", ""), nullptr);
    g_Log.Reset();
    std::string text;
    FILE* f = std::fopen(log.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    EXPECT_NE(text.find("Texture not found: " + kTextures + "missing.bmp, DirectX Error String: "),
              std::string::npos);
    EXPECT_NE(text.find("not create frame from file : " + kTextures + "hull_diffuse.bmp"), std::string::npos);
}

TEST_F(ModelTest, TexturesAreSharedAndDynamicOnesComeBackAfterLoss) {
    auto* a = m_res.CreateTextureFromFile(kTextures.c_str(), "keyed.bmp", false, 0xFFFF00FFu);
    auto* b = m_res.CreateTextureFromFile(kTextures.c_str(), "keyed.bmp", false, 0xFFFF00FFu);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->m_dwRefCount, 2u);
    // Not plain: one level; the magenta border became transparent black.
    auto* t = static_cast<IDirect3DTexture9*>(a->m_pTexture);
    EXPECT_EQ(t->GetLevelCount(), 1u);
    D3DLOCKED_RECT r;
    ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
    DWORD corner, centre;
    std::memcpy(&corner, r.pBits, 4);
    std::memcpy(&centre, static_cast<BYTE*>(r.pBits) + 8 * r.Pitch + 8 * 4, 4);
    t->UnlockRect(0);
    EXPECT_EQ(corner, 0u);
    EXPECT_EQ(centre, 0xFF00FF00u);

    auto* dyn = m_res.CreateDinamicTexture("rt", 32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
    ASSERT_NE(dyn, nullptr);
    auto* ds = m_res.CreateDepthStencil("ds", 32, 16, D3DFMT_D24S8);
    ASSERT_NE(ds, nullptr);
    EXPECT_GE(ds->m_iSlotIndex, 0);
    EXPECT_GT(Platform::LiveDefaultPoolResources(m_gfx.m_pDevice), 0);
    m_res.OnLost();
    EXPECT_EQ(dyn->m_pTexture, nullptr);
    EXPECT_EQ(ds->m_pSurface, nullptr);
    EXPECT_NE(a->m_pTexture, nullptr); // file textures stay
    EXPECT_EQ(Platform::LiveDefaultPoolResources(m_gfx.m_pDevice), 0);
    m_res.Restore();
    ASSERT_NE(dyn->m_pTexture, nullptr);
    D3DSURFACE_DESC desc;
    static_cast<IDirect3DTexture9*>(dyn->m_pTexture)->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);
    EXPECT_NE(ds->m_pSurface, nullptr);
    EXPECT_TRUE(m_res.m_pDepthStencilManager->ReleaseResource(ds));
}

} // namespace
