// The 3D GUI manager: dialog names and slots, the hide/show key, dialogs read
// from 3D GUI XML, and dialogs following the objects they are attached to.
#include <cmath>

#include "Gui3DTestSupport.h"
#include "engine3/ui/localization/SafeXml.h"

using namespace Vorna3D;

namespace {

class Gui3DManagerTest : public VornaTest::Gui3DFixture {};

TEST_F(Gui3DManagerTest, DialogNamesMustBeGivenAndUnique) {
    EXPECT_EQ(manager.InitDialog(""), nullptr);
    EXPECT_EQ(manager.InitDialog(nullptr), nullptr);
    EXPECT_NE(Log().find("CVR3GUI3DManager::InitDialog() : not name\n"), std::string::npos);
    CVR3GUI3DDialog* a = manager.InitDialog("a");
    CVR3GUI3DDialog* b = manager.InitDialog("b");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->m_iIndex, 0);
    EXPECT_EQ(b->m_iIndex, 1);
    EXPECT_EQ(a->m_pManager, &manager);
    EXPECT_EQ(manager.GetDialog(1), b);
    EXPECT_EQ(manager.GetDialog(2), nullptr);
    EXPECT_EQ(manager.GetDialog(-1), nullptr);
    EXPECT_EQ(manager.InitDialog("a"), nullptr);
    EXPECT_NE(Log().find("CVR3GUI3DManager::InitDialog() : not unique name\n"), std::string::npos);

    TiXmlElement node("Marker");
    EXPECT_EQ(manager.CreateDialogFromXML(&node, "b"), nullptr);
    EXPECT_NE(Log().find("CVR3GUI3DManager::CreateDialogFromXML() : InitDialog() failed \n"), std::string::npos);

    manager.Clear();
    EXPECT_TRUE(manager.m_vDialogs.empty());
    CVR3GUI3DDialog* again = manager.InitDialog("a");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->m_iIndex, 0);
}

TEST_F(Gui3DManagerTest, HidingAndShowingKeepsEachDialogsOwnVisibility) {
    CVR3GUI3DDialog* shown = manager.InitDialog("shown");
    CVR3GUI3DDialog* hidden = manager.InitDialog("hidden");
    hidden->m_bVisible = false;

    EXPECT_TRUE(manager.SetDialogsVisible(false));
    EXPECT_FALSE(shown->m_bVisible);
    EXPECT_FALSE(hidden->m_bVisible);
    // A marker made while the GUI is hidden appears with the others.
    CVR3GUI3DDialog* late = manager.InitDialog("late");
    EXPECT_FALSE(late->m_bVisible);
    EXPECT_TRUE(manager.SetDialogsVisible(true));
    EXPECT_TRUE(shown->m_bVisible);
    EXPECT_FALSE(hidden->m_bVisible);
    EXPECT_TRUE(late->m_bVisible);

    // Hiding twice remembers the already hidden state: showing then leaves
    // everything hidden.
    manager.SetDialogsVisible(false);
    manager.SetDialogsVisible(false);
    manager.SetDialogsVisible(true);
    EXPECT_FALSE(shown->m_bVisible);
    EXPECT_FALSE(late->m_bVisible);
}

TEST_F(Gui3DManagerTest, DialogFromXmlTakesDistanceAndItsImages) {
    const std::string xml =
        "<ShipMarker>\n"
        "  <Distance x=\"50\" y=\"400\"/>\n"
        "  <Controls>\n"
        "    <!-- a comment among the images -->\n"
        "    <Image lod=\"0\"><Name>near</Name><Size x=\"32\" y=\"16\"/><Texture>" + texture + "</Texture>\n"
        "      <Color r=\"1\" g=\"0.5\" b=\"0\" a=\"0.5\"/>\n"
        "      <TextureCoordinates x=\"0\" y=\"0\" z=\"0.5\" w=\"1\"/></Image>\n"
        "    <Image lod=\"1\"><Borders x=\"-4\" y=\"-20\" z=\"4\" w=\"-12\"/><Texture>" + texture + "</Texture>\n"
        "      <TextureCoordinates x=\"0\" y=\"0\" z=\"1.5\" w=\"1\"/></Image>\n"
        "    <Image><Name>no size</Name><Texture>" + texture + "</Texture></Image>\n"
        "    <Image><Name>no texture</Name><Size x=\"8\" y=\"8\"/></Image>\n"
        "    <Label><Size x=\"8\" y=\"8\"/><Texture>" + texture + "</Texture></Label>\n"
        "  </Controls>\n"
        "</ShipMarker>\n";
    TiXmlDocument doc;
    ASSERT_TRUE(ParseXmlText(xml, doc));
    CVR3GUI3DDialog* d = manager.CreateDialogFromXML(doc.RootElement(), "enemy");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_fDistMin, 50.0f);
    EXPECT_EQ(d->m_fDistMax, 400.0f);
    ASSERT_EQ(d->m_vControls.size(), 2u) << Log();

    const CVR3GUI3DBaseControl* nearImage = d->m_vControls[0];
    EXPECT_EQ(nearImage->m_strName, "near");
    EXPECT_EQ(std::vector<float>(nearImage->m_Rect, nearImage->m_Rect + 4),
              (std::vector<float>{-16, -8, 16, 8}));
    EXPECT_EQ(std::vector<float>(nearImage->m_Color, nearImage->m_Color + 4),
              (std::vector<float>{1, 0.5f, 0, 0.5f}));
    EXPECT_EQ(nearImage->m_TexCoords[2], 0.5f);
    EXPECT_EQ(nearImage->m_iLODSlot, 0);

    const CVR3GUI3DBaseControl* farImage = d->m_vControls[1];
    EXPECT_EQ(farImage->m_strName, "enemy_image");
    EXPECT_EQ(std::vector<float>(farImage->m_Rect, farImage->m_Rect + 4), (std::vector<float>{-4, -20, 4, -12}));
    EXPECT_EQ(std::vector<float>(farImage->m_Color, farImage->m_Color + 4), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(farImage->m_TexCoords[2], 1.0f); // 1.5 was refused
    ASSERT_EQ(d->m_vLODs.size(), 2u);
    EXPECT_EQ(d->m_vLODs[1].m_vUnits[0], farImage);

    const std::string log = Log();
    EXPECT_NE(log.find("neither Borders nor Size. Dialog : enemy. Control : no size"), std::string::npos) << log;
    EXPECT_NE(log.find("CVR3GUI3DManager::CreateImage() : AddImage() failed \n"), std::string::npos) << log;
}

TEST_F(Gui3DManagerTest, AttachModesPlaceTheDialogByTheObject) {
    CDX9KelSceneObject ship;
    const D3DXVECTOR3 at(10, 2, 5);
    ASSERT_TRUE(ship.SetPosition(&at));
    ASSERT_TRUE(ship.RotateY(D3DX_PI / 2)); // the ship's right now points to -z
    struct Case {
        int mode;
        D3DXVECTOR3 expect;
    };
    const Case cases[] = {{GUI3D_ATTACH_LOCAL, {10, 5, 4}},
                          {GUI3D_ATTACH_TRANSLATE, {11, 5, 5}},
                          {GUI3D_ATTACH_FIXED_HEIGHT, {11, 3, 5}}};
    CVR3GUI3DDialog* d = manager.InitDialog("ship");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        d->Attach(&ship, c.mode, D3DXVECTOR3(1, 3, 0));
        d->m_bTransformChanged = false;
        d->FollowAttached();
        EXPECT_NEAR(d->m_mWorld._41, c.expect.x, 1e-4f);
        EXPECT_NEAR(d->m_mWorld._42, c.expect.y, 1e-4f);
        EXPECT_NEAR(d->m_mWorld._43, c.expect.z, 1e-4f);
        EXPECT_TRUE(d->m_bTransformChanged);
    }
}

} // namespace
