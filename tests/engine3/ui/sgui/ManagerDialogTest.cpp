// The manager's registry, drawing order, shared input timer and render list;
// the dialog's border test, dragging, exclusive input, visible lock, resets
// and lookups, driven frame by frame.
#include "GuiTestSupport.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlButton.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"

using namespace SguiTest;

namespace {

// A control that counts resets and remembers whether it was hovered.
class Probe : public CDX9KelSGUIBaseControl {
public:
    void Reset() override { ++resets; }
    int resets = 0;
};

Probe* AddProbe(CDX9KelSGUIDialog* d, const RECT& r) {
    auto* p = new Probe();
    p->m_pDialog = d;
    p->m_Rect = r;
    p->m_strName = "probe";
    d->m_vControls.push_back(p);
    return p;
}

class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = VornaTest::FreshFolder();
        m_log = std::make_unique<LogCapture>(m_dir);
        ASSERT_TRUE(m_world.Create());
    }
    CDX9KelSGUIManager& gui() { return m_world.m_Gui; }

    std::filesystem::path m_dir;
    std::unique_ptr<LogCapture> m_log;
    GuiWorld m_world;
};

} // namespace

TEST_F(ManagerTest, DialogsAreRegisteredByNameAndDrawnNewestOnTop) {
    EXPECT_EQ(gui().m_iClientWidth, 320);
    EXPECT_EQ(gui().m_iClientHeight, 240);
    EXPECT_FALSE(gui().Init(nullptr));
    CDX9KelSGUIDialog* a = gui().InitDialog("A", true, 0, 0, 100, 100);
    CDX9KelSGUIDialog* b = gui().InitDialog("B", true, 50, 50, 150, 150);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetIndex(), 0);
    EXPECT_EQ(b->GetIndex(), 1);
    EXPECT_EQ(gui().InitDialog("A", true, 0, 0, 10, 10), nullptr);
    CDX9KelSGUIDialog* a2 = gui().InitDialog("A", false, 0, 0, 10, 10);
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(gui().InitDialog("", false, 0, 0, 10, 10), nullptr);
    EXPECT_EQ(gui().InitDialog("C", false, 0, 0, 0, 10), nullptr);
    EXPECT_EQ(gui().m_vDrawOrder, (std::vector<DWORD>{0, 1, 2}));

    EXPECT_TRUE(gui().BringToFront(a2));  // already on top: no change
    EXPECT_EQ(gui().m_vDrawOrder, (std::vector<DWORD>{0, 1, 2}));
    EXPECT_TRUE(gui().BringToFront(a));
    EXPECT_EQ(gui().m_vDrawOrder, (std::vector<DWORD>{1, 2, 0}));
    EXPECT_TRUE(gui().BringToFront(1));
    EXPECT_EQ(gui().m_vDrawOrder, (std::vector<DWORD>{2, 0, 1}));
    EXPECT_FALSE(gui().BringToFront(nullptr));
    EXPECT_FALSE(gui().BringToFront(7));
    CDX9KelSGUIDialog stray;
    EXPECT_FALSE(gui().BringToFront(&stray));

    const std::string log = m_log->Text();
    EXPECT_NE(log.find("CDX9KelSGUIManager::InitDialog() : not unique name\n"), std::string::npos);
    EXPECT_NE(log.find("CDX9KelSGUIManager::InitDialog() : not name\n"), std::string::npos);
}

TEST_F(ManagerTest, TheSharedInputTimerGivesOneTurnPerPeriod) {
    // Called every 16 ms frame: true, false for the period, one more false
    // that clears it, then true again.
    std::vector<int> trueFrames;
    for (int frame = 0; frame < 40; ++frame) {
        if (gui().AllowInput(200)) trueFrames.push_back(frame);
        m_world.m_Clock.Advance(16);
    }
    EXPECT_EQ(trueFrames, (std::vector<int>{0, 14, 28}));
    // Two askers in one frame share one turn.
    m_world.m_Clock.Advance(1000);
    EXPECT_FALSE(gui().AllowInput(200));  // clears
    EXPECT_TRUE(gui().AllowInput(200));
    EXPECT_FALSE(gui().AllowInput(200));
}

TEST_F(ManagerTest, TheRenderListHoldsVisibleDialogsBottomFirstAndTheHoverIndexFollowsTheCursor) {
    CDX9KelSGUIDialog* a = gui().InitDialog("A", true, 0, 0, 100, 100);
    CDX9KelSGUIDialog* b = gui().InitDialog("B", true, 200, 0, 300, 100);
    CDX9KelSGUIDialog* hidden = gui().InitDialog("H", true, 0, 150, 100, 200);
    Probe* pa = AddProbe(a, {0, 0, 10, 10});
    Probe* pb1 = AddProbe(b, {200, 0, 210, 10});
    Probe* pb2 = AddProbe(b, {220, 0, 230, 10});
    AddProbe(hidden, {0, 150, 10, 160});
    hidden->SetVisible(false);
    m_world.Frame(5, 5, false);
    EXPECT_EQ(gui().m_vRenderList, (std::vector<CDX9KelSGUIBaseControl*>{pa, pb1, pb2}));
    EXPECT_EQ(gui().m_iHoverDialog, 0);
    EXPECT_TRUE(pa->IsHovered());
    EXPECT_FALSE(pb1->IsHovered());
    m_world.Frame(150, 150, false);
    EXPECT_EQ(gui().m_iHoverDialog, -1);
    EXPECT_FALSE(pa->IsHovered());
}

TEST_F(ManagerTest, ControlsMustLieWithinTheDialogWhenTheBorderTestIsAsked) {
    CDX9KelSGUIDialog* d = gui().InitDialog("D", true, 10, 10, 110, 60);
    const std::string panel = GuiWorld::DemoTexture("panel.png");
    EXPECT_NE(d->AddImage(m_world.m_pDevice, "same", true, panel.c_str(), nullptr, false, 10, 10, 110, 60, 1, 1, 1, 1),
              nullptr);
    EXPECT_EQ(d->AddImage(m_world.m_pDevice, "out", true, panel.c_str(), nullptr, false, 10, 10, 111, 60, 1, 1, 1, 1),
              nullptr);
    EXPECT_NE(d->AddImage(m_world.m_pDevice, "free", false, panel.c_str(), nullptr, false, 0, 0, 200, 60, 1, 1, 1, 1),
              nullptr);
    EXPECT_EQ(d->AddImage(m_world.m_pDevice, "", false, panel.c_str(), nullptr, false, 10, 10, 20, 20, 1, 1, 1, 1),
              nullptr);
    EXPECT_EQ(d->AddImage(m_world.m_pDevice, "lost", false, "no/such.png", nullptr, false, 10, 10, 20, 20, 1, 1, 1, 1),
              nullptr);
    EXPECT_EQ(d->AddImage(m_world.m_pDevice, "tiny", false, panel.c_str(), nullptr, false, 10, 10, 10, 20, 1, 1, 1, 1),
              nullptr);
    EXPECT_EQ(d->m_vControls.size(), 2u);
    EXPECT_EQ(d->FindControl("free"), d->m_vControls[1]);
    EXPECT_EQ(d->FindControl(""), nullptr);
    EXPECT_EQ(d->FindControl("out"), nullptr);

    const std::string log = m_log->Text();
    EXPECT_NE(log.find("CDX9KelSGUIDialog::AddImage: borders out of dialog. Dialog : D Control : out\n"),
              std::string::npos);
    EXPECT_NE(log.find("CDX9KelSGUIDialog::AddImage: not create texture. Dialog : D. Control : lost\n"),
              std::string::npos);
    EXPECT_NE(log.find("CDX9KelSGUIDialog::AddImage: not init. Dialog : D. Control : tiny\n"), std::string::npos);
}

TEST_F(ManagerTest, TheTitleStripDragsADialogWithBordersAndTheWorkAreaOnlyLocks) {
    CDX9KelSGUIDialog* other = gui().InitDialog("Other", true, 200, 100, 300, 200);
    CDX9KelSGUIDialog* d = gui().InitDialog("D", true, 10, 10, 110, 110);
    d->m_bBorders = true;
    d->UpdateWorkRect();
    EXPECT_EQ(d->m_WorkRect.top, 30);
    Probe* p = AddProbe(d, {40, 50, 60, 70});
    gui().BringToFront(other);

    // Press in the strip and move: the dialog follows the cursor each frame.
    m_world.Frame(20, 15, false);
    m_world.Frame(20, 15, true);
    EXPECT_EQ(gui().m_vDrawOrder.back(), static_cast<DWORD>(d->GetIndex()));
    EXPECT_TRUE(d->m_bDragging);
    EXPECT_EQ(gui().m_iExclusiveDialog, d->GetIndex());
    m_world.Frame(25, 18, true);
    EXPECT_EQ(d->GetRect().left, 15);
    EXPECT_EQ(d->GetRect().top, 13);
    EXPECT_EQ(p->GetRect().left, 45);
    EXPECT_FALSE(p->IsHovered());  // nothing hovers while dragging
    m_world.Frame(35, 28, true);
    EXPECT_EQ(d->GetRect().left, 25);
    EXPECT_EQ(d->GetRect().top, 23);
    EXPECT_EQ(d->m_WorkRect.top, 43);
    m_world.Frame(35, 28, false);
    EXPECT_FALSE(d->m_bDragging);
    EXPECT_EQ(gui().m_iExclusiveDialog, -1);

    // A press in the work area locks the input without dragging; the lock
    // stays after the release until it is given back.
    m_world.Frame(60, 80, true);
    m_world.Frame(70, 90, true);
    EXPECT_FALSE(d->m_bDragging);
    EXPECT_EQ(d->GetRect().left, 25);
    m_world.Frame(70, 90, false);
    EXPECT_EQ(gui().m_iExclusiveDialog, d->GetIndex());
    EXPECT_FALSE(other->UnlockInput());
    EXPECT_TRUE(d->UnlockInput());
    EXPECT_EQ(gui().m_iExclusiveDialog, -1);
}

TEST_F(ManagerTest, OverlappingDialogsUnderAPressEndWithTheLowerOneOnTop) {
    CDX9KelSGUIDialog* lower = gui().InitDialog("Lower", true, 0, 0, 100, 100);
    CDX9KelSGUIDialog* upper = gui().InitDialog("Upper", true, 50, 50, 150, 150);
    m_world.Frame(75, 75, true);
    EXPECT_EQ(gui().m_vDrawOrder, (std::vector<DWORD>{static_cast<DWORD>(upper->GetIndex()),
                                                      static_cast<DWORD>(lower->GetIndex())}));
}

TEST_F(ManagerTest, AVisibleLockDialogMakesTheOthersResetOnceAndIgnoreTheCursor) {
    CDX9KelSGUIDialog* back = gui().InitDialog("Back", true, 0, 0, 200, 200);
    Probe* p = AddProbe(back, {0, 0, 50, 50});
    m_world.Frame(10, 10, false);
    EXPECT_TRUE(p->IsHovered());
    CDX9KelSGUIDialog* modal = gui().InitDialog("Modal", true, 250, 0, 300, 50);
    modal->m_bVisibleLock = true;
    m_world.Frame(10, 10, false);
    EXPECT_EQ(gui().m_iExclusiveDialog, modal->GetIndex());
    m_world.Frame(10, 10, false);
    m_world.Frame(10, 10, false);
    EXPECT_EQ(p->resets, 1);
    EXPECT_EQ(gui().m_iHoverDialog, -1);
    modal->SetVisible(false);
    m_world.Frame(10, 10, false);
    EXPECT_EQ(gui().m_iExclusiveDialog, -1);
    m_world.Frame(10, 10, false);
    EXPECT_EQ(gui().m_iHoverDialog, back->GetIndex());
}

TEST_F(ManagerTest, AHiddenDialogResetsItsControlsOnceWhenMarked) {
    CDX9KelSGUIDialog* d = gui().InitDialog("D", true, 0, 0, 100, 100);
    Probe* p = AddProbe(d, {0, 0, 50, 50});
    d->SetVisible(false);
    d->m_bControlsNeedReset = true;
    for (int i = 0; i < 3; ++i) m_world.Frame(10, 10, false);
    EXPECT_EQ(p->resets, 1);
    EXPECT_FALSE(p->IsHovered());
    EXPECT_TRUE(gui().m_vRenderList.empty());
}

TEST_F(ManagerTest, AnAutoInvisibleDialogHidesWhenItIsNotTheNewest) {
    CDX9KelSGUIDialog* a = gui().InitDialog("A", true, 0, 0, 100, 100);
    a->m_bAutoInvisible = true;
    m_world.Frame(300, 200, false);
    EXPECT_TRUE(a->IsVisible());
    gui().InitDialog("B", true, 0, 0, 100, 100);
    m_world.Frame(300, 200, false);
    EXPECT_FALSE(a->IsVisible());
}
