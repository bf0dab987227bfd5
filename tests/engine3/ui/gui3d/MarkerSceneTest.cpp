// The markers of the demo's 3D GUI file over the ships of the demo scene, in
// the running engine scene: the 3D GUI manager takes its slot, follows the
// camera every frame, and the render system's 3D-GUI pass draws each marker
// at its ship's projected point. The picture is kept in the build tree.
#include <cstring>

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/render/DemoScene.h"
#include "engine3/core/render/RenderTestSupport.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "engine3/ui/localization/SafeXml.h"

using namespace Vorna3D;

namespace {

class MarkerSceneTest : public VornaRenderTest::SceneFixture {
protected:
    static constexpr int kWidth = 480, kHeight = 360;
    void SetUp() override {
        CDX9KelScene::RegisterManager(KEL_SCENE_GUI3D_MANAGER, &CVR3GUI3DManager::Create);
        SceneFixture::SetUp();
    }
    void TearDown() override {
        SceneFixture::TearDown();
        CDX9KelScene::RegisterManager(KEL_SCENE_GUI3D_MANAGER, nullptr);
    }
    // The colour at a pixel of a saved 24- or 32-bit BMP (top row is y = 0).
    static bool BmpPixel(const std::string& bmp, int x, int y, BYTE rgb[3]) {
        if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M')
            return false;
        auto u32 = [&](size_t at) {
            DWORD v = 0;
            std::memcpy(&v, bmp.data() + at, 4);
            return v;
        };
        const DWORD offset = u32(10), width = u32(18), height = u32(22);
        const int bits = static_cast<unsigned char>(bmp[28]);
        if ((bits != 24 && bits != 32) || x < 0 || y < 0 || DWORD(x) >= width || DWORD(y) >= height)
            return false;
        const size_t row = (width * (bits / 8) + 3) & ~size_t(3);
        const size_t at = offset + (height - 1 - DWORD(y)) * row + size_t(x) * (bits / 8);
        if (at + 3 > bmp.size())
            return false;
        rgb[0] = static_cast<BYTE>(bmp[at + 2]), rgb[1] = static_cast<BYTE>(bmp[at + 1]),
        rgb[2] = static_cast<BYTE>(bmp[at]);
        return true;
    }
};

TEST_F(MarkerSceneTest, MarkersStandOverTheShips) {
    const std::string ini = "[Grafic Settings]\nFullScreen=0\nWidth=480\nHeight=360\nRefreshRate=0\nAnisotropy=1\n"
                            "ReflRefrTexture=128\nShadersLevel=2\nWaterType=0\n";
    if (!Start(ini.c_str()))
        GTEST_SKIP() << "no device: " << Log();
    auto* manager = dynamic_cast<CVR3GUI3DManager*>(m_pScene->GetManager(KEL_SCENE_GUI3D_MANAGER));
    ASSERT_NE(manager, nullptr);
    EXPECT_NE(Log().find("CDX9KelScene::Init3DGUIManager(): OK\n"), std::string::npos) << Log();
    EXPECT_EQ(manager->m_iClientWidth, kWidth);
    const VornaDemo::DemoScene demo = VornaDemo::LoadDemoScene(*m_pScene, std::string(VORNA_BIN_DIR) + "/");
    ASSERT_EQ(demo.error, "");

    TiXmlDocument doc;
    ASSERT_TRUE(LoadXmlFile(std::string(VORNA_BIN_DIR) + "/Interface/Markers/markers.xml", doc));
    const TiXmlElement* friendNode = doc.RootElement()->FirstChildElement("FriendMarker");
    const TiXmlElement* enemyNode = doc.RootElement()->FirstChildElement("EnemyMarker");
    ASSERT_TRUE(friendNode && enemyNode);
    // The files name their images from the programs' folder; this test runs
    // from the tests' folder beside it.
    const std::string bin =
        std::filesystem::relative(VORNA_BIN_DIR, g_Utils.GetExeFolderPathString("")).string() + "/";
    for (const TiXmlElement* node : {friendNode, enemyNode})
        for (const TiXmlElement* image = node->FirstChildElement("Controls")->FirstChildElement("Image"); image;
             image = image->NextSiblingElement("Image"))
            for (const char* part : {"Texture", "Effect"})
                if (TiXmlNode* text = const_cast<TiXmlElement*>(image)->FirstChildElement(part)->FirstChild())
                    text->SetValue((bin + text->Value()).c_str());

    // A marker over every hull: friends for the first two, enemies for the rest.
    std::vector<CVR3GUI3DDialog*> markers;
    int hulls = 0;
    const std::vector<CDX9KelSceneObject*> objects = m_pScene->m_pActiveSceneTree->m_vObjects;
    for (CDX9KelSceneObject* o : objects) {
        if (!o || o->m_strName != "hull.x")
            continue;
        const bool isFriend = hulls < 2;
        const std::string name = std::string(isFriend ? "Friend" : "Enemy") + std::to_string(hulls++);
        CVR3GUI3DDialog* d = manager->CreateDialogFromXML(isFriend ? friendNode : enemyNode, name.c_str());
        ASSERT_NE(d, nullptr);
        ASSERT_EQ(d->m_vControls.size(), 2u) << Log();
        d->Attach(o, GUI3D_ATTACH_TRANSLATE, D3DXVECTOR3(0, 2.0f, 0));
        d->FollowAttached();
        d->UpdateBoundingRadius();
        ASSERT_TRUE(m_pScene->AddSceneObjectInActiveTree(d));
        markers.push_back(d);
    }
    ASSERT_EQ(hulls, 4);

    for (int i = 0; i < 3; ++i) Frame();
    RS()->m_ScreenshotFormat = D3DXIFF_BMP;
    ASSERT_TRUE(m_pScene->MakeScreenshot("markers"));
    Frame();
    const std::string bmp = VornaTest::ReadText(m_dir / "Screenshots" / "markers.jpg");
    RS()->m_ScreenshotFormat = D3DXIFF_JPG;
    ASSERT_TRUE(m_pScene->MakeScreenshot("markers_view"));
    Frame();
    std::printf("3D GUI markers picture: %s\n", (m_dir / "Screenshots" / "markers_view.jpg").c_str());

    int drawn = 0;
    for (size_t i = 0; i < markers.size(); ++i) {
        const CVR3GUI3DDialog* d = markers[i];
        SCOPED_TRACE(d->m_strName);
        if (!d->m_bVisibleByAngle)
            continue;
        const int x = static_cast<int>(d->m_mScreen._41 + 0.5f) + kWidth / 2;
        const int y = static_cast<int>(d->m_mScreen._42 + 0.5f) + kHeight / 2;
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight)
            continue;
        BYTE rgb[3];
        ASSERT_TRUE(BmpPixel(bmp, x, y, rgb));
        if (i < 2)
            EXPECT_GT(rgb[1], rgb[0] + 60) << int(rgb[0]) << "," << int(rgb[1]) << "," << int(rgb[2]);
        else
            EXPECT_GT(rgb[0], rgb[1] + 60) << int(rgb[0]) << "," << int(rgb[1]) << "," << int(rgb[2]);
        ++drawn;
    }
    EXPECT_GE(drawn, 3);

    // Hidden with the GUI key: the same spots show the scene again.
    manager->SetDialogsVisible(false);
    RS()->m_ScreenshotFormat = D3DXIFF_BMP;
    ASSERT_TRUE(m_pScene->MakeScreenshot("hidden"));
    Frame();
    const std::string hidden = VornaTest::ReadText(m_dir / "Screenshots" / "hidden.jpg");
    const CVR3GUI3DDialog* first = markers[0];
    BYTE a[3], b[3];
    const int x = static_cast<int>(first->m_mScreen._41 + 0.5f) + kWidth / 2;
    const int y = static_cast<int>(first->m_mScreen._42 + 0.5f) + kHeight / 2;
    ASSERT_TRUE(BmpPixel(bmp, x, y, a));
    ASSERT_TRUE(BmpPixel(hidden, x, y, b));
    EXPECT_NE(std::memcmp(a, b, 3), 0);

    for (CVR3GUI3DDialog* d : markers) m_pScene->m_pActiveSceneTree->RemoveSceneObject(d);
}

} // namespace
