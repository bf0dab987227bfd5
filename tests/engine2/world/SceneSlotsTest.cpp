// The physical manager and the particle systems in the campaign scene's
// manager slots: made in the start-up order, a second start-up step refused,
// deleted objects forgotten, a new tree handed on.
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/world/particles/ParticleSceneSlot.h"
#include "engine2/world/physics/PhysicsSceneSlot.h"

#include "platform/os/Paths.h"

#include "TestFolder.h"
#include "common/Engine2SceneFixture.h"
#include "common/OffscreenDevice.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace Vorna2;

namespace {

class Engine2SceneSlotsTest : public VornaTest::Engine2SceneFixture {
protected:
    Engine2SceneSlotsTest() : Engine2SceneFixture(160, 120) {}
    void RegisterSlots() override {
        RegisterPhysicsSceneSlot();
        RegisterParticleSceneSlot();
    }
    void ForgetSlots() override {
        CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER, nullptr);
        CDX9KelScene::RegisterManager(KEL_SCENE_PARTICLES_MANAGER, nullptr);
    }
};

} // namespace

TEST_F(Engine2SceneSlotsTest, ManagersAreMadeOnceAndForgetDeletedObjects) {
    ASSERT_TRUE(scene.Init());
    const std::string log = Log();
    const size_t render = log.find("CDX9KelScene::InitRenderSystem(): OK");
    const size_t physics = log.find("CDX9KelScene::InitPhysicalManager(): OK");
    const size_t particles = log.find("CDX9KelScene::InitParticleSysManager(): OK");
    ASSERT_NE(physics, std::string::npos) << log;
    ASSERT_NE(particles, std::string::npos) << log;
    EXPECT_LT(render, physics);
    EXPECT_LT(physics, particles);
    EXPECT_FALSE(scene.InitPhysicalManager());
    EXPECT_FALSE(scene.InitParticleSysManager());

    CDX9KelPhysicalManager* pm = GetPhysicalManager(&scene);
    CDXParticleSystemManager* ps = GetParticleSystemManager(&scene);
    ASSERT_TRUE(pm && ps);
    EXPECT_EQ(pm->m_pSceneTree, scene.m_pSceneTree);
    EXPECT_EQ(ps->m_pResManager, scene.m_pGrahResManager);

    ASSERT_TRUE(scene.CreateSceneTree(D3DXVECTOR3(-100, -10, -100), D3DXVECTOR3(100, 10, 100), 50.0f, false));
    const std::string ship2 = std::filesystem::relative(std::filesystem::path(VORNA_BIN_DIR) / "Models/Units/c2ship_lod2.x",
                                                        std::filesystem::path(Platform::ProgramFolder()))
                                  .generic_string();
    CDX9KelModel* model = scene.LoadModel(ship2.c_str(), nullptr);
    ASSERT_NE(model, nullptr);
    CDX9KelSceneObject* ship = scene.CreateSceneObject(model, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    ASSERT_NE(ship, nullptr);
    CDX9KelFloatRecord record;
    ASSERT_TRUE(pm->AddObject(ship, &record));
    ship->m_pParticleSystems = ps->CreateList(&ship->m_bVisible, nullptr);
    ASSERT_EQ(ps->m_Lists.size(), 1u);
    scene.Process();
    ASSERT_TRUE(scene.DeleteSceneObject(ship, true));
    EXPECT_EQ(pm->FindObject(ship), -1);
    EXPECT_TRUE(ps->m_Lists.empty());

    scene.DestroySceneTree();
    EXPECT_EQ(pm->m_pSceneTree, scene.m_pSceneTree);
}

TEST_F(Engine2SceneSlotsTest, AnEmptySlotIsNotInstalled) {
    CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER, nullptr);
    ASSERT_TRUE(scene.Init());
    EXPECT_NE(Log().find("CDX9KelScene::InitPhysicalManager(): not installed\n"), std::string::npos) << Log();
    EXPECT_EQ(GetPhysicalManager(&scene), nullptr);
    EXPECT_NE(GetParticleSystemManager(&scene), nullptr);
}
