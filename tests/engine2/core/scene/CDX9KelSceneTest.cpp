#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDXFont.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"

#include "TestFolder.h"
#include "common/Engine2SceneFixture.h"
#include "common/OffscreenDevice.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace Vorna2;

namespace {

class Engine2SceneTest : public VornaTest::Engine2SceneFixture {
protected:
    Engine2SceneTest() : Engine2SceneFixture(320, 240) {}
    // Looks at the scene from (0, 30, -40) towards the origin.
    void Aim() {
        CDX9KelBaseCamera* c = scene.m_pCameraManager->GetActiveCamera();
        c->m_vEye = D3DXVECTOR3(0, 30, -40);
        c->m_vLookAt = D3DXVECTOR3(0, 0, 0);
        D3DXMatrixLookAtLH(&c->m_mView, &c->m_vEye, &c->m_vLookAt, &c->m_vUp);
    }
    // The client point where a world point is drawn.
    POINT Project(const D3DXVECTOR3& p) {
        CDX9KelBaseCamera* c = scene.m_pCameraManager->GetActiveCamera();
        D3DVIEWPORT9 vp{0, 0, 320, 240, 0.0f, 1.0f};
        D3DXVECTOR3 s;
        D3DXVec3Project(&s, &p, &vp, &c->m_mProjection, &c->m_mView, nullptr);
        return POINT{static_cast<LONG>(s.x), static_cast<LONG>(s.y)};
    }
};

} // namespace

TEST_F(Engine2SceneTest, InitMakesTheManagersInOrderAndASecondRunMakesNothingNew) {
    ASSERT_TRUE(scene.Init()) << Log();
    const std::string log = Log();
    const char* steps[] = {"InitFPSCounter", "InitScreenText", "InitGrahicsResManager", "InitBaseCameraManager",
                           "InitSceneTree", "InitLightManager", "InitRenderSystem"};
    size_t at = 0;
    for (const char* s : steps) {
        const std::string line = std::string("CDX9KelScene::") + s + "(): OK\n";
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << s << "\n" << log;
        at = found;
    }
    auto* resources = scene.m_pGrahResManager;
    auto* tree = scene.m_pSceneTree;
    auto* renderSystem = scene.m_pRenderSystem;
    EXPECT_EQ(renderSystem->m_pSceneTree, tree);
    EXPECT_EQ(renderSystem->m_pResManager, resources);
    ASSERT_TRUE(scene.Init());
    EXPECT_EQ(scene.m_pGrahResManager, resources);
    EXPECT_EQ(scene.m_pSceneTree, tree);
    EXPECT_EQ(scene.m_pRenderSystem, renderSystem);
}

TEST_F(Engine2SceneTest, AFailingStepEndsInitWithItsLineOpen) {
    render.m_pD3DDevice = nullptr; // no device: no font
    EXPECT_FALSE(scene.Init());
    render.m_pD3DDevice = dev.m_pDevice;
    const std::string log = Log();
    EXPECT_NE(log.find("CDX9KelScene::InitFPSCounter(): OK\n"), std::string::npos);
    EXPECT_EQ(log.find("CDX9KelScene::InitScreenText(): OK"), std::string::npos);
    EXPECT_EQ(log.find("InitGrahicsResManager"), std::string::npos);
    EXPECT_EQ(scene.m_pGrahResManager, nullptr);
    CDX9KelScene bare;
    EXPECT_FALSE(bare.Init());
}

TEST_F(Engine2SceneTest, StatisticsAreYellowAndTheClearColourFillsTheRest) {
    ASSERT_TRUE(scene.Init());
    ASSERT_TRUE(scene.RenderFrame());
    // EndRender presented; draw once more without presenting to read.
    scene.m_pRender->BeginRender(scene.m_ClearColor);
    scene.m_pFont->m_pSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
    scene.DrawStatistics();
    scene.m_pFont->m_pSprite->End();
    const std::vector<DWORD> px = dev.Pixels();
    int yellow = 0;
    for (UINT y = 5; y < 40; ++y)
        for (UINT x = 5; x < 200; ++x) {
            const DWORD p = dev.At(px, x, y);
            if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 60) ++yellow;
        }
    EXPECT_GT(yellow, 50);
    EXPECT_EQ(dev.At(px, 300, 220), scene.m_ClearColor);
    dev.m_pDevice->EndScene();
}

TEST_F(Engine2SceneTest, SceneObjectsArePlacedPickedAndDeletedWithoutReleasingTwice) {
    ASSERT_TRUE(scene.Init());
    ASSERT_TRUE(scene.CreateSceneTree(D3DXVECTOR3(-200, -50, -200), D3DXVECTOR3(200, 50, 200), 50.0f, false));
    EXPECT_FALSE(scene.CreateSceneTree(D3DXVECTOR3(-200, -50, -200), D3DXVECTOR3(200, 50, 200), 50.0f, false));
    EXPECT_EQ(g_pSceneTree, scene.m_pSceneTree);
    const std::string units = std::string(VORNA_BIN_DIR) + "/Models/Units/";
    // Paths are relative to the program's folder (the tests' folder).
    CDX9KelModel* a = scene.LoadModel("../bin/Models/Units/c2ship_lod2.x", "../bin/Effects/c2model.fx");
    CDX9KelModel* b = scene.LoadModel("../bin/Models/Units/c2ship_lod2.x", nullptr);
    ASSERT_TRUE(a && b) << Log();
    EXPECT_NE(a->m_pEffect, nullptr);
    EXPECT_EQ(scene.m_dwFaces, a->m_dwFaces * 2);
    EXPECT_EQ(scene.LoadModel("../bin/Models/Units/no_such_ship.x", nullptr), nullptr);

    CDX9KelSceneObject* left = scene.CreateSceneObject(a, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -15, 0, 0, 1);
    CDX9KelSceneObject* right = scene.CreateSceneObject(b, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 15, 0, 0, 1);
    ASSERT_TRUE(left && right);
    EXPECT_EQ(scene.CreateSceneObject(a, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 900, 0, 0, 1), nullptr);
    EXPECT_EQ(scene.CreateSceneObject(nullptr, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), nullptr);

    Aim();
    std::vector<CDX9KelSceneObject*> list = {nullptr, left, right};
    const POINT onRight = Project(D3DXVECTOR3(15, 1.2f, 0));
    const POINT onLeft = Project(D3DXVECTOR3(-15, 1.2f, 0));
    const POINT between = Project(D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(scene.PickSceneObjectAt(list, onRight.x, onRight.y), 2);
    EXPECT_EQ(scene.PickSceneObjectAt(list, onLeft.x, onLeft.y), 1);
    EXPECT_EQ(scene.PickSceneObjectAt(list, between.x, between.y), -1);
    right->m_bVisible = false;
    EXPECT_EQ(scene.PickSceneObjectAt(list, onRight.x, onRight.y), -1);
    EXPECT_EQ(scene.PickSceneObjectAt({}, onRight.x, onRight.y), -1);

    // Deleting the left object with its models releases the shared
    // hierarchy's reference once; the map change later deletes the attached
    // models without releasing it again, so the right model keeps it.
    CDX9KelGraphicsResManager* res = scene.m_pGrahResManager;
    ASSERT_EQ(res->m_XFiles.size(), 1u);
    EXPECT_EQ(res->m_XFiles[0].count, 2);
    EXPECT_TRUE(scene.DeleteSceneObject(left, true));
    EXPECT_EQ(a->m_pFrameRoot, nullptr);
    EXPECT_EQ(res->m_XFiles[0].count, 1);
    right->m_Models.clear(); // keep b out of the attached models
    b->m_bAttached = false;
    scene.DestroySceneTree();
    EXPECT_EQ(res->m_Models.size(), 1u);
    ASSERT_EQ(res->m_XFiles.size(), 1u);
    EXPECT_EQ(res->m_XFiles[0].count, 1);
    EXPECT_NE(b->m_pFrameRoot, nullptr);
    EXPECT_FALSE(scene.m_pSceneTree->IsMade());
    EXPECT_EQ(scene.m_pRenderSystem->m_pSceneTree, scene.m_pSceneTree);
    EXPECT_NE(Log().find("CDX9KelScene::DestroySceneTree(): OK\n"), std::string::npos);
}

TEST_F(Engine2SceneTest, CursorsAndAMissingTree) {
    EXPECT_EQ(scene.AddCursorFromFile(nullptr), -1);
    EXPECT_EQ(scene.AddCursorFromFile("no_such.cur"), -1);
    EXPECT_FALSE(scene.SetCurrentCursor(-1));
    EXPECT_EQ(scene.m_iCurrentCursor, -1);
    const int index = scene.AddCursorFromFile("../bin/Interface/Default.cur");
    ASSERT_EQ(index, 0);
    EXPECT_TRUE(scene.SetCurrentCursor(0));
    EXPECT_EQ(Platform::GetCurrentCursor(), scene.m_Cursors[0]);
    // The current one is not set again.
    SetCursor(nullptr);
    EXPECT_TRUE(scene.SetCurrentCursor(0));
    EXPECT_EQ(Platform::GetCurrentCursor(), nullptr);
    EXPECT_FALSE(scene.SetCurrentCursor(1));

    scene.DestroySceneTree();
    EXPECT_NE(Log().find("CDX9KelScene::DestroySceneTree(): m_pSceneTree == NULL\n"), std::string::npos) << Log();
}
