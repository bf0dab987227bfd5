#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelLightManager.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "platform/os/Clock.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

// An effect whose programs use the time, the light direction and the view.
const char* kTimedEffect = R"(<Effect><Technique name="Main"><Pass name="P0">
<VertexShader><![CDATA[
uniform mat4 g_MatrixWorldViewProj;
uniform mat4 g_MatrixView;
uniform float g_Time;
in vec3 vPosition;
void main() { gl_Position = vorna_Clip(g_MatrixWorldViewProj * g_MatrixView * vec4(vPosition + vec3(g_Time), 1.0)); }
]]></VertexShader>
<FragmentShader><![CDATA[
uniform vec3 g_LightDir;
out vec4 outColor;
void main() { outColor = vec4(g_LightDir, 1.0); }
]]></FragmentShader></Pass></Technique></Effect>)";

// Records how it was asked to draw.
class RecordingGrapRes : public CDX9KelBaseGrapRes {
public:
    RecordingGrapRes(std::vector<std::pair<RecordingGrapRes*, bool>>* log) : m_log(log) {}
    void Render(IDirect3DDevice9*, CDX9KelEffect*, bool useTexture, UINT) override {
        m_log->push_back({this, useTexture});
    }

private:
    std::vector<std::pair<RecordingGrapRes*, bool>>* m_log;
};

class Engine2RenderSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
        ASSERT_TRUE(dev.Create(64, 64));
        ASSERT_TRUE(cameras.Init(64, 64, dev.m_hWnd));
        ASSERT_TRUE(lights.AddDefaultLight());
        rs.m_pResManager = &res;
        rs.m_pCameraManager = &cameras;
        rs.m_pLightManager = &lights;
        rs.m_pSceneTree = &tree;
        const std::string bin = std::string(VORNA_BIN_DIR) + "/Effects/";
        fx0 = res.CreateEffectFromFile(dev.m_pDevice, "c2model.fx", (bin + "c2model.fx").c_str());
        fx1 = res.CreateEffectFromFile(dev.m_pDevice, "c2plane.fx", (bin + "c2plane.fx").c_str());
        ASSERT_TRUE(fx0 && fx1);
        t0 = res.CreateTextureFromFile(dev.m_pDevice, "c2sea_plane.png",
                                       (std::string(VORNA_BIN_DIR) + "/Textures/").c_str(), true, 0, nullptr);
        t1 = res.CreateTextureFromFile(dev.m_pDevice, "c2ship_paint.png",
                                       (std::string(VORNA_BIN_DIR) + "/Models/Units/").c_str(), true, 0, nullptr);
        ASSERT_TRUE(t0 && t1);
    }
    void TearDown() override {
        res.ReleaseAllTextures();
        res.ReleaseAllEffects();
        res.DeleteAllGrapRes();
        g_Log.Reset();
    }
    std::string Log() { return VornaTest::ReadText(logPath); }
    CDX9KelModel* Model(CDX9KelEffect* effect, float distanceFromEye) {
        models.push_back(std::make_unique<CDX9KelModel>());
        CDX9KelModel* m = models.back().get();
        m->m_pEffect = effect;
        const D3DXVECTOR3& eye = cameras.GetActiveCamera()->m_vEye;
        D3DXMatrixTranslation(&m->m_mWorld, eye.x + distanceFromEye, eye.y, eye.z);
        return m;
    }

    VornaTest::OffscreenDevice dev;
    CDX9KelGraphicsResManager res;
    CDX9KelBaseCameraManager cameras;
    CDX9KelLightManager lights;
    CDXSceneTree tree;
    CDX9KelRenderSystem rs;
    CDX9KelEffect* fx0 = nullptr;
    CDX9KelEffect* fx1 = nullptr;
    IDirect3DBaseTexture9* t0 = nullptr;
    IDirect3DBaseTexture9* t1 = nullptr;
    std::vector<std::unique_ptr<CDX9KelModel>> models;
    std::filesystem::path folder;
    std::string logPath;
};

} // namespace

TEST_F(Engine2RenderSystemTest, SceneTreePassDrawsUnlistedEffectsFirstThenDescendingThenNearestFirst) {
    CDX9KelEffect unlisted;
    CDX9KelModel* a = Model(fx0, 10);
    CDX9KelModel* b = Model(fx1, 20);
    CDX9KelModel* c = Model(fx1, 10);
    CDX9KelModel* d = Model(&unlisted, 50);
    CDX9KelModel* e = Model(nullptr, 5);
    tree.m_RenderList = {a, b, c, d, e, c};
    rs.RenderSceneTree(dev.m_pDevice, 1.0f);
    const std::vector<CDX9KelModel*>& order = rs.m_LastSceneOrder;
    // A model listed twice is drawn once.
    ASSERT_EQ(order.size(), 5u);
    // The two unlisted ones (position -1: the largest) come first, nearest
    // first; then effect 1 nearest first; then effect 0.
    EXPECT_EQ(order[0], e);
    EXPECT_EQ(order[1], d);
    EXPECT_EQ(order[2], c);
    EXPECT_EQ(order[3], b);
    EXPECT_EQ(order[4], a);
    EXPECT_TRUE(a->m_bDrawn);
}

TEST_F(Engine2RenderSystemTest, OrdersAreStrictWeakOrderingsWithNullsAndEqualKeys) {
    std::mt19937 random(7);
    CDX9KelEffect unlisted;
    CDX9KelEffect* effects[] = {fx0, fx1, &unlisted, nullptr};
    std::vector<CDX9KelModel*> list;
    for (int i = 0; i < 300; ++i)
        list.push_back(i % 37 == 0 ? nullptr : Model(effects[random() % 4], static_cast<float>(random() % 5)));
    auto cmp = [this](const CDX9KelModel* x, const CDX9KelModel* y) { return rs.SortModelEffectDistance(x, y); };
    for (CDX9KelModel* m : list) EXPECT_FALSE(cmp(m, m));
    std::sort(list.begin(), list.end(), cmp);
    for (size_t i = 1; i < list.size(); ++i) EXPECT_FALSE(cmp(list[i], list[i - 1])) << i;
    // Nulls stand at the end and were reported.
    EXPECT_EQ(list.back(), nullptr);
    EXPECT_NE(Log().find("CDX9KelRenderSystem :: SortModelEffect : Critical situation\n"), std::string::npos);

    std::vector<CDX9KelBaseGrapRes*> objects;
    std::vector<std::unique_ptr<CDX9KelBaseGrapRes>> owned;
    IDirect3DBaseTexture9* textures[] = {t0, t1, nullptr};
    for (int i = 0; i < 200; ++i) {
        owned.push_back(std::make_unique<CDX9KelBaseGrapRes>());
        owned.back()->m_pEffect = effects[random() % 4];
        owned.back()->m_pTexture = textures[random() % 3];
        objects.push_back(i % 41 == 0 ? nullptr : owned.back().get());
    }
    auto cmpRes = [this](const CDX9KelBaseGrapRes* x, const CDX9KelBaseGrapRes* y) {
        return rs.SortResEffectTexture(x, y);
    };
    std::sort(objects.begin(), objects.end(), cmpRes);
    for (size_t i = 1; i < objects.size(); ++i) EXPECT_FALSE(cmpRes(objects[i], objects[i - 1])) << i;
}

TEST_F(Engine2RenderSystemTest, GraphicObjectsAreToldWhenTheTextureChanges) {
    std::vector<std::pair<RecordingGrapRes*, bool>> drawn;
    auto* first = new RecordingGrapRes(&drawn);
    auto* second = new RecordingGrapRes(&drawn);
    auto* third = new RecordingGrapRes(&drawn);
    auto* plain = new RecordingGrapRes(&drawn);
    first->m_pEffect = second->m_pEffect = third->m_pEffect = fx0;
    first->m_pTexture = t0;
    second->m_pTexture = t1;
    third->m_pTexture = t1;
    plain->m_pTexture = t1;
    res.AddGrapRes(first);
    res.AddGrapRes(plain);
    res.AddGrapRes(third);
    res.AddGrapRes(second);
    rs.RenderGraphicObjects(dev.m_pDevice, 1.0f);
    ASSERT_EQ(drawn.size(), 4u);
    // The object without an effect first; then effect 0 by descending
    // texture position: the two of texture 1, then texture 0.
    EXPECT_EQ(drawn[0].first, plain);
    EXPECT_TRUE(drawn[0].second);
    EXPECT_TRUE(drawn[1].first == third || drawn[1].first == second);
    EXPECT_FALSE(drawn[1].second); // same texture as the plain one before it
    EXPECT_FALSE(drawn[2].second);
    EXPECT_EQ(drawn[3].first, first);
    EXPECT_TRUE(drawn[3].second);
}

// A hidden object binds no texture: the visible one after it that shares
// its texture must still bind it (a selection ring drawn with the water's
// texture otherwise).
TEST_F(Engine2RenderSystemTest, AHiddenObjectLeavesTheTextureToTheNextOne) {
    std::vector<std::pair<RecordingGrapRes*, bool>> drawn;
    auto* water = new RecordingGrapRes(&drawn);
    auto* hidden = new RecordingGrapRes(&drawn);
    auto* ring = new RecordingGrapRes(&drawn);
    water->m_pTexture = t1;
    hidden->m_pTexture = ring->m_pTexture = t0;
    hidden->m_bVisible = false;
    res.AddGrapRes(water);
    res.AddGrapRes(hidden);
    res.AddGrapRes(ring);
    rs.RenderGraphicObjects(dev.m_pDevice, 1.0f);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].first, water);
    EXPECT_EQ(drawn[1].first, ring);
    EXPECT_TRUE(drawn[1].second);
}

TEST_F(Engine2RenderSystemTest, UpdateSetsTheTimeAndRebindsOnlyWhatChanged) {
    const std::string path = (folder / "timed.fx").string();
    std::ofstream(path) << kTimedEffect;
    CDX9KelEffect* timed = res.CreateEffectFromFile(dev.m_pDevice, "timed.fx", path.c_str());
    ASSERT_NE(timed, nullptr) << Log();
    ASSERT_TRUE(rs.BindParameters(timed));
    ASSERT_NE(timed->Handle(KEL_FX_TIME), nullptr);
    ASSERT_NE(timed->Handle(KEL_FX_LIGHT_DIR), nullptr);
    EXPECT_EQ(fx0->Handle(KEL_FX_TIME), nullptr);
    rs.BindParameters(fx0);

    cameras.Update();
    cameras.Update(); // the camera has not moved since: no change
    ASSERT_FALSE(cameras.m_bChanged);
    CDX9KelLight* light = lights.GetFirstLight();
    light->m_vDirection = D3DXVECTOR3(0.0f, -1.0f, 0.0f);
    light->m_bChanged = true;
    // A view that differs from the stored one shows whether the camera was
    // rebound.
    cameras.GetActiveCamera()->m_mView._41 = 123.0f;
    const DWORD before = timeGetTime() - g_Utils.GetStartTime();
    rs.Update();
    float t = -1.0f;
    ASSERT_TRUE(SUCCEEDED(timed->m_pEffect->GetFloat(timed->Handle(KEL_FX_TIME), &t)));
    EXPECT_GE(t, static_cast<float>(before));
    float dir[3] = {};
    ASSERT_TRUE(SUCCEEDED(timed->m_pEffect->GetValue(timed->Handle(KEL_FX_LIGHT_DIR), dir, sizeof dir)));
    EXPECT_FLOAT_EQ(dir[1], -1.0f);
    float view[16] = {};
    ASSERT_TRUE(SUCCEEDED(timed->m_pEffect->GetValue(timed->Handle(KEL_FX_MATRIX_VIEW), view, sizeof view)));
    EXPECT_NE(view[12], 123.0f);

    // Camera only: the view follows, the light does not.
    light->m_bChanged = false;
    light->m_vDirection = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    cameras.Update();
    ASSERT_TRUE(cameras.m_bChanged);
    rs.Update();
    ASSERT_TRUE(SUCCEEDED(timed->m_pEffect->GetValue(timed->Handle(KEL_FX_MATRIX_VIEW), view, sizeof view)));
    EXPECT_FLOAT_EQ(view[12], 123.0f);
    ASSERT_TRUE(SUCCEEDED(timed->m_pEffect->GetValue(timed->Handle(KEL_FX_LIGHT_DIR), dir, sizeof dir)));
    EXPECT_FLOAT_EQ(dir[1], -1.0f);
    EXPECT_EQ(Log().find("Error"), std::string::npos) << Log();
}

TEST_F(Engine2RenderSystemTest, LoadEffectNeedsANameADeviceAndTheManager) {
    EXPECT_EQ(rs.LoadEffect(dev.m_pDevice, nullptr), nullptr);
    EXPECT_EQ(rs.LoadEffect(nullptr, "Effects\\c2model.fx"), nullptr);
    CDX9KelModel model;
    EXPECT_FALSE(rs.LoadModelEffect(dev.m_pDevice, "Effects\\missing_effect.fx", &model));
    EXPECT_EQ(model.m_pEffect, nullptr);
    CDX9KelRenderSystem alone;
    EXPECT_EQ(alone.LoadEffect(dev.m_pDevice, "Effects\\c2model.fx"), nullptr);
}
