// 3D GUI image controls: the quad in its buffers, rectangle and texture
// coordinate rules, and every way adding an image can fail.
#include <cmath>
#include <cstring>

#include "Gui3DTestSupport.h"

using namespace Vorna3D;

namespace {

class Gui3DControlTest : public VornaTest::Gui3DFixture {
protected:
    std::vector<GUI3DVertex> Vertices(CVR3GUI3DBaseControl* c) {
        std::vector<GUI3DVertex> v(4);
        void* data = nullptr;
        EXPECT_EQ(c->m_pVB->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
        std::memcpy(v.data(), data, sizeof(GUI3DVertex) * 4);
        c->m_pVB->Unlock();
        return v;
    }
};

TEST_F(Gui3DControlTest, QuadVerticesIndicesAndColourBytes) {
    CVR3GUI3DDialog* d = manager.InitDialog("ship");
    ASSERT_NE(d, nullptr);
    auto* c = d->AddImage("flag", 0, -16, -8, 16, 8, texture.c_str(), "", D3DXCOLOR(1.5f, 0.5f, -1.0f, 1.0f));
    ASSERT_NE(c, nullptr) << Log();
    EXPECT_EQ(c->m_iKind, KEL_UNIT_GUI3D);
    EXPECT_TRUE(c->HasGeometry(0.0f));
    EXPECT_EQ(c->m_pOwner, d);
    ASSERT_EQ(d->m_vControls.size(), 1u);

    const auto v = Vertices(c);
    const float expect[4][5] = {{-16, 8, 0, 1}, {-16, -8, 0, 0}, {16, 8, 1, 1}, {16, -8, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v[i].x, expect[i][0]);
        EXPECT_EQ(v[i].y, expect[i][1]);
        EXPECT_EQ(v[i].z, -89.0f);
        EXPECT_EQ(v[i].u, expect[i][2]);
        EXPECT_EQ(v[i].v, expect[i][3]);
        // r 1.5 -> 255, g 0.5 -> 128, b -1 -> 0, a 1 -> 255.
        EXPECT_EQ(v[i].color, 0xFFFF8000u);
    }
    void* data = nullptr;
    ASSERT_EQ(c->m_pIB->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const DWORD* idx = static_cast<const DWORD*>(data);
    EXPECT_EQ(std::vector<DWORD>(idx, idx + 6), (std::vector<DWORD>{0, 1, 2, 2, 1, 3}));
    c->m_pIB->Unlock();

    // A changed rectangle rewrites the quad a little nearer and resizes the sphere.
    EXPECT_FALSE(c->SetRect(-4, -4, -4, 4));
    EXPECT_FALSE(c->SetRect(-4, 4, 4, 4));
    EXPECT_EQ(c->m_Rect[0], -16.0f);
    ASSERT_TRUE(c->SetRect(-3, -4, 3, 4));
    EXPECT_FLOAT_EQ(c->m_fRadius, 5.0f);
    EXPECT_TRUE(c->m_bChanged);
    const auto w = Vertices(c);
    EXPECT_EQ(w[1].x, -3.0f);
    EXPECT_EQ(w[1].y, -4.0f);
    EXPECT_EQ(w[2].x, 3.0f);
    EXPECT_EQ(w[2].y, 4.0f);
    EXPECT_EQ(w[0].z, -80.0f);
}

TEST_F(Gui3DControlTest, TextureCoordinatesOutsideTheUnitRangeAreRefused) {
    CVR3GUI3DDialog* d = manager.InitDialog("ship");
    auto* c = d->AddImage("flag", 0, -8, -8, 8, 8, texture.c_str(), nullptr, D3DXCOLOR(1, 1, 1, 1));
    ASSERT_NE(c, nullptr) << Log();
    const float bad[][4] = {{-0.01f, 0, 1, 1}, {0, 1.01f, 1, 1}, {0, 0, 2, 1}, {0, 0, 1, -1}, {NAN, 0, 1, 1}};
    for (const auto& b : bad) {
        EXPECT_FALSE(c->SetTextureCoordinates(b[0], b[1], b[2], b[3]));
        EXPECT_EQ(c->m_TexCoords[2], 1.0f);
        EXPECT_EQ(Vertices(c)[3].u, 1.0f);
    }
    ASSERT_TRUE(c->SetTextureCoordinates(0.25f, 0.0f, 0.5f, 1.0f));
    const auto v = Vertices(c);
    EXPECT_EQ(v[0].u, 0.25f);
    EXPECT_EQ(v[0].v, 1.0f);
    EXPECT_EQ(v[3].u, 0.5f);
    EXPECT_EQ(v[3].v, 0.0f);
}

TEST_F(Gui3DControlTest, EveryAddImageFailureIsLoggedAndLeavesTheDialogAlone) {
    VornaTest::WriteText(folder / "bad.fx", "<Effect><Technique name=\"Low\"></Effect>");
    const std::string badEffect = RelativeToProgram(folder / "bad.fx");
    struct Case {
        const char* what;
        const char* name;
        int lod;
        float rect[4];
        std::string texture;
        std::string effect;
        const char* message; // null: refused without a line
    };
    const Case cases[] = {
        {"no name", "", 0, {-1, -1, 1, 1}, texture, "", nullptr},
        {"no texture file", "a", 0, {-1, -1, 1, 1}, "", "", nullptr},
        {"missing texture", "b", 0, {-1, -1, 1, 1}, "nowhere/none.tga", "",
         "CVR3GUI3DDialog::AddImage: not create texture. Dialog : ship. Control : b\n"},
        {"broken effect", "c", 0, {-1, -1, 1, 1}, texture, badEffect,
         "CVR3GUI3DDialog::AddImage: not create effect. Dialog : ship. Control : c\n"},
        {"empty rectangle", "d", 0, {1, -1, 1, 1}, texture, "",
         "CVR3GUI3DDialog::AddImage: not init. Dialog : ship. Control : d\n"},
        {"negative lod", "e", -1, {-1, -1, 1, 1}, texture, "",
         "CVR3GUI3DDialog::AddImage: AddSceneUnit() failed. Dialog : ship. Control : e\n"},
        {"too many lods", "f", 1000, {-1, -1, 1, 1}, texture, "",
         "CVR3GUI3DDialog::AddImage: AddSceneUnit() failed. Dialog : ship. Control : f\n"},
    };
    CVR3GUI3DDialog* d = manager.InitDialog("ship");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = Log().size();
        EXPECT_EQ(d->AddImage(c.name, c.lod, c.rect[0], c.rect[1], c.rect[2], c.rect[3], c.texture.c_str(),
                              c.effect.c_str(), D3DXCOLOR(1, 1, 1, 1)),
                  nullptr);
        const std::string added = Log().substr(before);
        if (c.message)
            EXPECT_NE(added.find(c.message), std::string::npos) << added;
        else
            EXPECT_EQ(added.find("AddImage"), std::string::npos) << added;
        EXPECT_TRUE(d->m_vControls.empty());
    }
    EXPECT_TRUE(d->m_vLODs.empty() || d->m_vLODs[0].m_vUnits.empty());
}

} // namespace
