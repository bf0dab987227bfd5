// The real engine scene on the offscreen device over the demo scene: the
// managers start in their order, the reflection and refraction maps and the
// main pass show the models, a screenshot is written, a device loss in the
// middle of the run leaves the next picture as it was, and picking finds
// the hull under a point.
#include <filesystem>

#include "DemoScene.h"
#include "RenderTestSupport.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDXSceneTree.h"

using namespace Vorna3D;
using VornaRenderTest::SceneFixture;

namespace {

class DemoSceneTest : public SceneFixture {
protected:
    bool LoadDemo() {
        const VornaDemo::DemoScene demo = VornaDemo::LoadDemoScene(*m_pScene, std::string(VORNA_BIN_DIR) + "/");
        EXPECT_EQ(demo.error, "");
        EXPECT_EQ(demo.objects, 6);
        // A still picture: the flag waits, so frames can be compared.
        for (CDX9KelSceneObject* o : m_pScene->m_pActiveSceneTree->m_vObjects)
            if (o)
                for (CDX9KelSceneUnit* u : o->m_vLODs[0].m_vUnits)
                    if (auto* m = dynamic_cast<CDX9KelModel*>(u)) m->m_bPause = true;
        return demo.error.empty();
    }
    // The back buffer of the next frame, saved as an uncompressed picture.
    std::string Picture(const char* name) {
        RS()->m_ScreenshotFormat = D3DXIFF_BMP;
        EXPECT_TRUE(m_pScene->MakeScreenshot(name));
        Frame();
        RS()->m_ScreenshotFormat = D3DXIFF_JPG;
        return VornaTest::ReadText(m_dir / "Screenshots" / (std::string(name) + ".jpg"));
    }
    // The hull at the origin, as objects of the octree.
    CDX9KelSceneObject* HullAtOrigin() {
        for (CDX9KelSceneObject* o : m_pScene->m_pActiveSceneTree->m_vObjects)
            if (o && o->m_strName == "hull.x" && o->m_mWorld._41 == 0.0f && o->m_mWorld._43 == 0.0f) return o;
        return nullptr;
    }
    static size_t Differences(const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return static_cast<size_t>(-1);
        size_t n = 0;
        for (size_t i = 54; i < a.size(); ++i) n += a[i] != b[i];
        return n;
    }
};

TEST_F(DemoSceneTest, FramesDrawReflectionRefractionAndMainPassesAndSurviveADeviceLoss) {
    ASSERT_TRUE(Start());

    // The managers start in their fixed order.
    const std::string log = Log();
    size_t at = 0;
    for (const char* line :
         {"CDX9KelScene::InitFPSCounter(): ", "CDX9KelScene::InitScreenText(): ", "CDX9KelScene::InitGrahicsResManager(): ",
          "CDX9KelScene::InitBaseCameraManager(): ", "CDX9KelScene::InitLightManager(): ",
          "CDX9KelScene::InitRenderSystem(): Begin\n", "CDX9KelScene::InitRenderSystem(): End\n",
          "CDX9KelScene::InitSGUIManager(): ", "CDX9KelScene::InitParticleSysManager(): ",
          "CDX9KelScene::InitPhysicalManager(): ", "CDX9KelScene::InitScreenManager(): ",
          "CDX9KelScene::Init3DGUIManager(): "}) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found + 1;
    }
    EXPECT_NE(log.find("Render Target format D3DFMT_R32F :"), std::string::npos);

    ASSERT_TRUE(LoadDemo());
    for (int i = 0; i < 3; ++i) Frame();

    // The reflection and refraction maps hold the hulls, not just their clear colour.
    const std::vector<DWORD> reflection = ReadTarget(RS()->m_pSurfReflectionMap);
    const std::vector<DWORD> refraction = ReadTarget(RS()->m_pSurfRefractionMap);
    ASSERT_EQ(reflection.size(), 128u * 128u);
    ASSERT_EQ(refraction.size(), 128u * 128u);
    EXPECT_GT(CountNot(reflection, RS()->m_ReflectionClearColor), 100u);
    EXPECT_GT(CountNot(refraction, RS()->m_RefractionClearColor), 100u);

    // The main pass shows the hulls: hiding them from it changes the picture.
    const std::string withHulls = Picture("with");
    ASSERT_GT(withHulls.size(), 54u);
    std::vector<CDX9KelSceneUnit*> hulls;
    for (CDX9KelSceneObject* o : m_pScene->m_pActiveSceneTree->m_vObjects)
        if (o && o->m_strName == "hull.x") hulls.push_back(o->m_vLODs[0].m_vUnits[0]);
    ASSERT_EQ(hulls.size(), 4u);
    for (CDX9KelSceneUnit* u : hulls) u->m_bPasses[4] = false;
    const std::string withoutHulls = Picture("without");
    for (CDX9KelSceneUnit* u : hulls) u->m_bPasses[4] = true;
    EXPECT_GT(Differences(withHulls, withoutHulls), 300u);

    // A device loss in the middle of the run: the next picture is the same.
    const std::string before = Picture("before");
    Platform::SimulateDeviceLoss(Device(), 1);
    Frame(); // lost
    EXPECT_TRUE(m_pScene->IsSuspended() || m_engine.m_pRender->m_bLost || m_engine.m_pRender->m_bNeedReset);
    Frame(); // the scene lets go
    EXPECT_TRUE(m_pScene->IsSuspended());
    const std::string after = Picture("after"); // reset, restore, draw
    EXPECT_FALSE(m_pScene->IsSuspended());
    EXPECT_EQ(Differences(before, after), 0u);
    EXPECT_EQ(CountNot(ReadTarget(RS()->m_pSurfReflectionMap), RS()->m_ReflectionClearColor),
              CountNot(reflection, RS()->m_ReflectionClearColor));
    const std::string lossLog = Log();
    EXPECT_EQ(lossLog.find("CDX9KelScene::OnLost() : Begin\n"), lossLog.rfind("CDX9KelScene::OnLost() : Begin\n"));
    EXPECT_NE(lossLog.find("CDX9KelScene::Restore() : End\n"), std::string::npos);

    // A screenshot lands in the screenshot folder as a JPG.
    EXPECT_FALSE(m_pScene->MakeScreenshot(""));
    ASSERT_TRUE(m_pScene->MakeScreenshot("demo"));
    Frame();
    const std::string jpg = VornaTest::ReadText(m_dir / "Screenshots" / "demo.jpg");
    ASSERT_GT(jpg.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(jpg[0]), 0xFFu);
    EXPECT_EQ(static_cast<unsigned char>(jpg[1]), 0xD8u);
}

TEST_F(DemoSceneTest, PickingFindsTheHullUnderAPointFarthestHitFirst) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(LoadDemo());
    Frame();
    CDX9KelSceneObject* hull = HullAtOrigin();
    ASSERT_NE(hull, nullptr);
    // Where the hull's deck projects on the screen.
    CDX9KelBaseCamera* cam = m_pScene->m_pCameraManager->m_pActiveCamera;
    const D3DXVECTOR3 deck(0.0f, 0.4f, 0.0f);
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, &deck, &cam->m_mViewProjection);
    const float w = static_cast<float>(m_engine.m_pRender->GetBackBufferWidth());
    const float h = static_cast<float>(m_engine.m_pRender->GetBackBufferHeight());
    const int x = static_cast<int>((clip.x + 1.0f) * 0.5f * w), y = static_cast<int>((1.0f - clip.y) * 0.5f * h);

    ASSERT_TRUE(m_pScene->PickSceneObjectsAt(x, y));
    const auto& picked = m_pScene->m_vPickList;
    EXPECT_NE(std::find(picked.begin(), picked.end(), hull), picked.end());
    for (size_t i = 1; i < picked.size(); ++i) EXPECT_GE(picked[i - 1]->m_fReserved, picked[i]->m_fReserved);

    // The top corner of the screen looks over the sea at nothing.
    ASSERT_TRUE(m_pScene->PickSceneObjectsAt(static_cast<int>(w) - 1, 0));
    EXPECT_EQ(std::find(m_pScene->m_vPickList.begin(), m_pScene->m_vPickList.end(), hull), m_pScene->m_vPickList.end());

    // Without an active tree there is nothing to pick in.
    ASSERT_TRUE(m_pScene->DeleteSceneTree(0));
    EXPECT_FALSE(m_pScene->PickSceneObjectsAt(x, y));
    CDX9KelSceneObject loose;
    EXPECT_FALSE(m_pScene->AddSceneObjectInActiveTree(&loose));
    EXPECT_NE(Log().find("CDX9KelScene::AddSceneObjectInActiveTree : not found active scene tree\n"), std::string::npos);
    EXPECT_FALSE(m_pScene->AddSceneObjectInTree(7, &loose));
    EXPECT_NE(Log().find("CDX9KelScene::AddSceneObjectInTree : not found Scene Tree Number: 7\n"), std::string::npos);
}

TEST_F(DemoSceneTest, CursorsFromFilesAndRefusedOnes) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_pScene->AddCursorFromFile((m_dir / "missing.cur").c_str()), -1);
    EXPECT_FALSE(m_pScene->SetCurrentCursor(-1));
    EXPECT_FALSE(m_pScene->SetCurrentCursor(0));

    // A 2x2 32-bit cursor with its hot spot at (1, 0).
    std::string cur = std::string("\0\0\2\0\1\0", 6);
    auto u16 = [&](unsigned v) { cur += static_cast<char>(v & 0xFF); cur += static_cast<char>(v >> 8); };
    auto u32 = [&](unsigned v) { u16(v & 0xFFFF); u16(v >> 16); };
    cur += std::string("\2\2\0\0", 4);
    u16(1);
    u16(0);
    const unsigned imageBytes = 40 + 2 * 2 * 4 + 2 * 4;
    u32(imageBytes);
    u32(22);
    u32(40); u32(2); u32(4); u16(1); u16(32); u32(0); u32(0); u32(0); u32(0); u32(0); u32(0);
    for (int i = 0; i < 4; ++i) u32(0xFF336699u);
    u32(0); u32(0); // AND mask rows
    VornaTest::WriteText(m_dir / "Default.cur", cur);
    EXPECT_EQ(m_pScene->AddCursorFromFile((m_dir / "Default.cur").c_str()), 0);
    EXPECT_TRUE(m_pScene->SetCurrentCursor(0));
    EXPECT_EQ(m_pScene->m_iCurrentCursor, 0);

    // Cut short, or claiming a size it does not hold: refused, list unchanged.
    VornaTest::WriteText(m_dir / "short.cur", cur.substr(0, 30));
    EXPECT_EQ(m_pScene->AddCursorFromFile((m_dir / "short.cur").c_str()), -1);
    std::string huge = cur;
    huge[22 + 4] = '\xFF';
    huge[22 + 5] = '\x7F';
    VornaTest::WriteText(m_dir / "huge.cur", huge);
    EXPECT_EQ(m_pScene->AddCursorFromFile((m_dir / "huge.cur").c_str()), -1);
    EXPECT_EQ(m_pScene->m_vCursors.size(), 1u);
    EXPECT_EQ(m_pScene->m_iCurrentCursor, 0);
}

} // namespace
