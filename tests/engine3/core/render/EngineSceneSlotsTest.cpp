// Managers of the libraries above the engine core in the engine scene's
// slots: made and initialised in the fixed order, driven in the frame's
// order, told of device loss once, and skipped while the scene is suspended.
#include <string>
#include <vector>

#include "RenderTestSupport.h"

using namespace Vorna3D;
using VornaRenderTest::SceneFixture;

namespace {

std::vector<std::string> g_Calls;

template <int Slot>
class RecordingManager : public IDX9KelSceneManager {
public:
    static constexpr const char* kNames[] = {"sgui", "particles", "physics", "screens", "gui3d"};
    static IDX9KelSceneManager* Create() { return new RecordingManager(); }
    bool Init(CDX9KelScene* scene) override {
        Add("Init");
        return scene != nullptr;
    }
    void Process(float) override { Add("Process"); }
    void Render(IDirect3DDevice9*, float) override { Add("Render"); }
    void OnLost() override { Add("OnLost"); }
    void Restore() override { Add("Restore"); }
    void Release() override { Add("Release"); }
    void ClearHover() override { Add("ClearHover"); }
    void SetSceneTree(CDXSceneTree* tree) override { Add(tree ? "Tree" : "NoTree"); }

private:
    void Add(const char* what) { g_Calls.push_back(std::string(kNames[Slot]) + "." + what); }
};

class SceneSlotsTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        g_Calls.clear();
        CDX9KelScene::RegisterManager(KEL_SCENE_SGUI_MANAGER, &RecordingManager<0>::Create);
        CDX9KelScene::RegisterManager(KEL_SCENE_PARTICLES_MANAGER, &RecordingManager<1>::Create);
        CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER, &RecordingManager<2>::Create);
        CDX9KelScene::RegisterManager(KEL_SCENE_SCREEN_MANAGER, &RecordingManager<3>::Create);
        CDX9KelScene::RegisterManager(KEL_SCENE_GUI3D_MANAGER, &RecordingManager<4>::Create);
    }
    void TearDown() override {
        SceneFixture::TearDown();
        for (int s = 0; s < KEL_SCENE_MANAGER_SLOTS; ++s)
            CDX9KelScene::RegisterManager(static_cast<EKelSceneManagerSlot>(s), nullptr);
    }
    std::vector<std::string> Take() {
        std::vector<std::string> c;
        c.swap(g_Calls);
        return c;
    }
};

TEST_F(SceneSlotsTest, ManagersRunInTheSceneOrderAndPauseWhileTheDeviceIsLost) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Take(), (std::vector<std::string>{"sgui.Init", "particles.Init", "physics.Init", "screens.Init",
                                                "gui3d.Init"}));
    EXPECT_EQ(Log().find("not installed"), std::string::npos);
    // A second start of a slot: the screen and 3D GUI managers refuse.
    EXPECT_TRUE(m_pScene->InitSGUIManager());
    EXPECT_FALSE(m_pScene->InitScreenManager());
    EXPECT_FALSE(m_pScene->Init3DGUIManager());
    EXPECT_TRUE(Take().empty());

    m_pScene->Process();
    EXPECT_EQ(Take(), (std::vector<std::string>{"sgui.Process", "gui3d.Process", "screens.Process",
                                                "physics.Process", "particles.Process"}));
    m_pScene->m_bGUIInput = false;
    m_pScene->Process();
    EXPECT_EQ(Take().front(), "sgui.ClearHover");
    m_pScene->m_bGUIInput = true;

    // The screen GUI's pass runs inside the picture.
    m_engine.Render();
    EXPECT_EQ(Take(), std::vector<std::string>{"sgui.Render"});

    // The physical manager follows the active octree.
    const D3DXVECTOR3 mn(-100, -20, -100), mx(100, 20, 100);
    ASSERT_TRUE(m_pScene->CreateSceneTree("T", &mn, &mx, false, 50.0f));
    ASSERT_TRUE(m_pScene->SetActiveSceneTree(0));
    EXPECT_EQ(Take(), std::vector<std::string>{"physics.Tree"});

    // Loss: released once however often it is reported; nothing runs until
    // the restore.
    m_pScene->OnLost();
    m_pScene->OnLost();
    EXPECT_EQ(Take(), std::vector<std::string>{"particles.OnLost"});
    m_pScene->Process();
    m_pScene->RenderFrame();
    EXPECT_TRUE(Take().empty());
    m_pScene->Restore();
    EXPECT_EQ(Take(), (std::vector<std::string>{"sgui.Restore", "particles.Restore", "physics.Restore"}));
    m_pScene->Process();
    EXPECT_EQ(Take().size(), 5u);

    m_pScene->Release();
    const auto released = Take();
    EXPECT_EQ(std::count_if(released.begin(), released.end(),
                            [](const std::string& s) { return s.find(".Release") != std::string::npos; }),
              5);
}

TEST_F(SceneSlotsTest, EmptySlotsAreSkippedAndAFailingManagerStopsTheStart) {
    CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER, nullptr);
    ASSERT_TRUE(Start());
    EXPECT_NE(Log().find("CDX9KelScene::InitPhysicalManager(): not installed\n"), std::string::npos);
    EXPECT_EQ(m_pScene->GetManager(KEL_SCENE_PHYSICAL_MANAGER), nullptr);

    CDX9KelScene::RegisterManager(KEL_SCENE_PHYSICAL_MANAGER, []() -> IDX9KelSceneManager* { return nullptr; });
    g_Calls.clear();
    CDX9KelScene second;
    second.SetApp(m_engine.m_pApp);
    second.SetRender(m_engine.m_pRender);
    second.SetDataFolder(m_dir.string() + "/");
    EXPECT_FALSE(second.Init());
    // The managers after the failing slot were never made.
    EXPECT_EQ(Take(), (std::vector<std::string>{"sgui.Init", "particles.Init"}));
    second.Release();
}

} // namespace

TEST_F(SceneSlotsTest, ATreeTakesTheFirstFreeSlotAndTellsItsIndex) {
    ASSERT_TRUE(Start());
    const D3DXVECTOR3 mn(-100, -20, -100), mx(100, 20, 100);
    int a = -2, b = -2, c = -2, d = -2;
    ASSERT_TRUE(m_pScene->CreateSceneTree("A", &mn, &mx, false, 50.0f, &a));
    ASSERT_TRUE(m_pScene->CreateSceneTree("B", &mn, &mx, false, 50.0f, &b));
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    // A's slot is free again: the next tree takes it, not the table's end.
    ASSERT_TRUE(m_pScene->DeleteSceneTree(a));
    ASSERT_TRUE(m_pScene->CreateSceneTree("C", &mn, &mx, false, 50.0f, &c));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(m_pScene->GetSceneTree(c), m_pScene->m_vSceneTrees[0]);
    ASSERT_TRUE(m_pScene->CreateSceneTree("D", &mn, &mx, false, 50.0f, &d));
    EXPECT_EQ(d, 2);
    // A refused tree reports no slot.
    int e = 5;
    EXPECT_FALSE(m_pScene->CreateSceneTree("", &mn, &mx, false, 50.0f, &e));
    EXPECT_EQ(e, -1);
}
