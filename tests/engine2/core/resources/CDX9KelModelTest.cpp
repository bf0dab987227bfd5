#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace Vorna2;

namespace {

std::string FixedTime() { return "T"; }

const std::string kDemo = std::string(VORNA_BIN_DIR) + "/";

class Engine2ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
        ASSERT_TRUE(dev.Create(256, 256));
    }
    void TearDown() override {
        res.ReleaseAllTextures();
        res.DeleteAllModels();
        res.ReleaseAllEffects();
        res.ReleaseAllXFiles();
        g_Log.Reset();
    }
    std::string Log() { return VornaTest::ReadText(logPath); }
    CDX9KelModel* Load(const std::string& folderName, const char* file) {
        return res.CreateModel(dev.m_pDevice, (kDemo + folderName).c_str(), file);
    }

    VornaTest::OffscreenDevice dev;
    CDX9KelGraphicsResManager res;
    std::filesystem::path folder;
    std::string logPath;
};

const D3DXMESHCONTAINER_DERIVED* FirstContainer(const D3DXFRAME* f) {
    for (; f; f = f->pFrameSibling) {
        if (f->pMeshContainer) return static_cast<const D3DXMESHCONTAINER_DERIVED*>(f->pMeshContainer);
        if (const D3DXMESHCONTAINER_DERIVED* c = FirstContainer(f->pFrameFirstChild)) return c;
    }
    return nullptr;
}

} // namespace

TEST_F(Engine2ModelTest, ShipLoadsWithItsHullFrameTexturesAndBoundsFromAnyDirectory) {
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    CDX9KelModel* m = Load("Models/Units/", "c2ship_lod0.x");
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    ASSERT_EQ(chdir(before), 0);
    ASSERT_NE(m, nullptr) << Log();
    EXPECT_EQ(std::string(after), folder.string());
    EXPECT_EQ(m->m_iId, 0);
    EXPECT_GT(m->m_dwFaces, 0u);
    EXPECT_GT(m->m_fSphereRadius, 5.0f);
    // The paint is shared by both meshes: one texture record, two references.
    const int paint = res.FindTexture("c2ship_paint.png");
    ASSERT_GE(paint, 0);
    EXPECT_EQ(res.GetTextureCount(paint), 2);

    D3DXFRAME* hull = nullptr;
    CDX9KelBoundsRecord* record = nullptr;
    ASSERT_TRUE(CDX9KelModel::FindFrameByName("hull", m->m_pFrameRoot, m->m_pBounds, &hull, &record));
    ASSERT_NE(hull->pFrameFirstChild, nullptr);
    EXPECT_NE(hull->pFrameFirstChild->pMeshContainer, nullptr);
    EXPECT_FALSE(CDX9KelModel::FindFrameByName("Hull", m->m_pFrameRoot, m->m_pBounds, &hull, &record));
    EXPECT_FALSE(CDX9KelModel::FindFrameByName(nullptr, m->m_pFrameRoot, m->m_pBounds, &hull, &record));
    // A sibling of the root's child is found too.
    EXPECT_TRUE(CDX9KelModel::FindFrameByName("Superstructure", m->m_pFrameRoot, m->m_pBounds, &hull, &record));

    // Deleting the model releases its texture references.
    res.DeleteAllModels();
    EXPECT_EQ(res.FindTexture("c2ship_paint.png"), -1);
    EXPECT_TRUE(res.m_XFiles.empty());
}

TEST_F(Engine2ModelTest, TwoModelsOfOneFileShareTheFramesButKeepTheirOwnRecords) {
    CDX9KelModel* a = Load("Models/Units/", "c2ship_lod1.x");
    CDX9KelModel* b = Load("Models/Units/", "c2ship_lod1.x");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->m_pFrameRoot, b->m_pFrameRoot);
    EXPECT_EQ(res.m_XFiles.size(), 1u);
    EXPECT_EQ(res.m_XFiles[0].count, 2);
    EXPECT_EQ(a->m_dwFaces, b->m_dwFaces);
    EXPECT_EQ(b->m_iId, 1);

    // Lift the superstructure of model a by 5 through its record.
    D3DXFRAME* frame = nullptr;
    CDX9KelBoundsRecord* ra = nullptr;
    ASSERT_TRUE(CDX9KelModel::FindFrameByName("Superstructure", a->m_pFrameRoot, a->m_pBounds, &frame, &ra));
    ra->m_mLocal._42 += 5.0f;
    auto* derived = static_cast<D3DXFRAME_DERIVED*>(frame);
    a->UpdateFrameMatrices(a->m_pFrameRoot, a->m_pBounds, &a->m_mWorld);
    const float lifted = derived->CombinedTransformationMatrix._42;
    b->UpdateFrameMatrices(b->m_pFrameRoot, b->m_pBounds, &b->m_mWorld);
    EXPECT_FLOAT_EQ(derived->CombinedTransformationMatrix._42, lifted - 5.0f);

    // Releasing one model keeps the hierarchy for the other.
    res.ReleaseModelResources(a);
    EXPECT_EQ(a->m_pFrameRoot, nullptr);
    ASSERT_EQ(res.m_XFiles.size(), 1u);
    EXPECT_EQ(res.m_XFiles[0].count, 1);
    // Deleting every model afterwards releases the hierarchy once.
    res.DeleteAllModels();
    EXPECT_TRUE(res.m_XFiles.empty());
}

TEST_F(Engine2ModelTest, SkinnedSignalGetsAPaletteAndAnAnimationControllerOfItsOwn) {
    CDX9KelModel* a = Load("Models/Units/", "c2signal.x");
    ASSERT_NE(a, nullptr) << Log();
    const D3DXMESHCONTAINER_DERIVED* c = FirstContainer(a->m_pFrameRoot);
    ASSERT_NE(c, nullptr);
    ASSERT_NE(c->pSkinInfo, nullptr);
    EXPECT_EQ(c->pSkinInfo->GetNumBones(), 2u);
    // A palette of both bones (the device blends 64 matrices: half of them
    // is 32, capped at the bone count).
    EXPECT_EQ(c->NumPaletteEntries, 2u);
    EXPECT_EQ(c->NumInfl, 2u);
    EXPECT_GE(c->NumAttributeGroups, 1u);
    ASSERT_NE(c->ppBoneMatrixPtrs, nullptr);
    D3DXFRAME* bone1 = D3DXFrameFind(a->m_pFrameRoot, "Bone1");
    ASSERT_NE(bone1, nullptr);
    EXPECT_EQ(c->ppBoneMatrixPtrs[1], &static_cast<D3DXFRAME_DERIVED*>(bone1)->CombinedTransformationMatrix);
    // Bone 1's offset takes the cloth back to the bone's origin.
    EXPECT_FLOAT_EQ(c->pBoneOffsetMatrices[1]._42, -4.0f);

    ASSERT_NE(a->m_pAnimController, nullptr);
    EXPECT_EQ(a->m_dwAnimationSets, a->m_pAnimController->GetMaxNumAnimationSets());
    CDX9KelModel* b = Load("Models/Units/", "c2signal.x");
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->m_pAnimController, nullptr);
    EXPECT_NE(a->m_pAnimController, b->m_pAnimController);
    // Without an out-parameter an animated hierarchy is not handed out.
    EXPECT_EQ(res.GetXFile("c2signal.x", nullptr, nullptr), nullptr);

    // The animation advances by the time step / 80.
    D3DXMATRIX vp;
    D3DXMatrixIdentity(&vp);
    a->Render(dev.m_pDevice, 40.0f, &vp, 0);
    EXPECT_FLOAT_EQ(a->m_fAnimationTime, 0.5f);
    EXPECT_TRUE(a->m_bDrawn);
    a->Render(dev.m_pDevice, 40.0f, &vp, 0);
    EXPECT_FLOAT_EQ(a->m_fAnimationTime, 0.5f);
}

TEST_F(Engine2ModelTest, MeshWithoutNormalsAndMaterialsGetsComputedNormalsAndGrey) {
    CDX9KelModel* m = Load("Models/Statics/", "c2buoy.x");
    ASSERT_NE(m, nullptr) << Log();
    const D3DXMESHCONTAINER_DERIVED* c = FirstContainer(m->m_pFrameRoot);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->MeshData.pMesh->GetFVF() & D3DFVF_NORMAL);
    ASSERT_EQ(c->NumMaterials, 1u);
    EXPECT_FLOAT_EQ(c->pMaterials[0].MatD3D.Diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(c->pMaterials[0].MatD3D.Ambient.g, 0.5f);
    // The side normals point away from the axis.
    ID3DXMesh* mesh = c->MeshData.pMesh;
    const int n = mesh->ElementOffset(D3DDECLUSAGE_NORMAL, 0);
    ASSERT_GE(n, 0);
    int outward = 0;
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
        const auto* p = reinterpret_cast<const D3DXVECTOR3*>(mesh->Vertex(i));
        const auto* nv = reinterpret_cast<const D3DXVECTOR3*>(mesh->Vertex(i) + n);
        if (p->x * nv->x + p->z * nv->z > 0.0f) ++outward;
    }
    EXPECT_GT(outward, static_cast<int>(mesh->GetNumVertices()) / 2);
}

TEST_F(Engine2ModelTest, PickHitsThePlacedModelAndMissesBesideIt) {
    CDX9KelModel* m = Load("Models/Units/", "c2ship_lod2.x");
    ASSERT_NE(m, nullptr);
    D3DXMatrixTranslation(&m->m_mWorld, 100.0f, 0.0f, 50.0f);
    float distance = 0.0f;
    EXPECT_TRUE(m->Pick(D3DXVECTOR3(100.0f, 20.0f, 50.0f), D3DXVECTOR3(0.0f, -1.0f, 0.0f), &distance));
    // The deck stands 1.2 above the waterline (the height the generator
    // gives it) or higher.
    EXPECT_GT(distance, 10.0f);
    EXPECT_LT(distance, 20.0f);
    EXPECT_FALSE(m->Pick(D3DXVECTOR3(120.0f, 20.0f, 50.0f), D3DXVECTOR3(0.0f, -1.0f, 0.0f), &distance));
}

TEST_F(Engine2ModelTest, PlacedBoxFollowsTheTranslationOnly) {
    CDX9KelModel* buoy = Load("Models/Statics/", "c2buoy.x");
    CDX9KelModel* ship = Load("Models/Units/", "c2ship_lod0.x");
    ASSERT_TRUE(buoy && ship);
    D3DXVECTOR3 lo, hi;
    // A root without children: the root's own box.
    D3DXMatrixTranslation(&buoy->m_mWorld, 10.0f, 0.0f, 0.0f);
    ASSERT_TRUE(CDX9KelModel::GetModelBoundingBox(&lo, &hi, buoy));
    EXPECT_NEAR(lo.x, 10.0f - 1.2f, 0.01f);
    EXPECT_NEAR(hi.y, 2.4f, 0.01f);
    // A deeper hierarchy: the cube of the bounding sphere.
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, 1.0f);
    turn._41 = 5.0f;
    ship->m_mWorld = turn;
    ASSERT_TRUE(CDX9KelModel::GetModelBoundingBox(&lo, &hi, ship));
    EXPECT_NEAR(hi.x - lo.x, 2.0f * ship->m_fSphereRadius, 1e-3f);
    EXPECT_NEAR((hi.x + lo.x) / 2.0f, 5.0f + ship->m_vSphereCenter.x, 1e-3f);
    EXPECT_FALSE(CDX9KelModel::GetModelBoundingBox(&lo, &hi, nullptr));
}

// A frame turned about y (the campaign turret ship's aft tower, turned half
// round, and its hull parts' guns, turned a quarter) gets the box of its
// mesh's turned corners: minimum below maximum, the same size as unturned.
TEST_F(Engine2ModelTest, TurnedFramesGetBoxesOfTheirTurnedCorners) {
    CDX9KelModel* m = Load("Models/Units/", "c2monitor.x");
    ASSERT_NE(m, nullptr) << Log();
    D3DXFRAME* frame = nullptr;
    CDX9KelBoundsRecord* fore = nullptr;
    CDX9KelBoundsRecord* aft = nullptr;
    CDX9KelBoundsRecord* gun = nullptr;
    ASSERT_TRUE(CDX9KelModel::FindFrameByName("ForeTower", m->m_pFrameRoot, m->m_pBounds, &frame, &fore));
    ASSERT_TRUE(CDX9KelModel::FindFrameByName("AftTower", m->m_pFrameRoot, m->m_pBounds, &frame, &aft));
    ASSERT_TRUE(CDX9KelModel::FindFrameByName("LeftBow_Gun1", m->m_pFrameRoot, m->m_pBounds, &frame, &gun));
    ASSERT_TRUE(fore && aft && gun);
    ASSERT_LT(aft->m_mLocal._11, 0.0f);
    for (const CDX9KelBoundsRecord* r : {fore, aft, gun}) {
        EXPECT_LT(r->m_vBoxMin.x, r->m_vBoxMax.x);
        EXPECT_LT(r->m_vBoxMin.y, r->m_vBoxMax.y);
        EXPECT_LT(r->m_vBoxMin.z, r->m_vBoxMax.z);
    }
    const D3DXVECTOR3 f = fore->m_vBoxMax - fore->m_vBoxMin, a = aft->m_vBoxMax - aft->m_vBoxMin;
    EXPECT_NEAR(a.x, f.x, 1e-4f);
    EXPECT_NEAR(a.z, f.z, 1e-4f);
    // The broadside barrel runs across the ship once turned.
    EXPECT_GT(gun->m_vBoxMax.x - gun->m_vBoxMin.x, 1.0f);
    EXPECT_LT(gun->m_vBoxMax.z - gun->m_vBoxMin.z, 0.3f);
}

TEST_F(Engine2ModelTest, AFailedLoadLogsAndAddsNothing) {
    EXPECT_EQ(Load("Models/Units/", "missing_ship.x"), nullptr);
    EXPECT_NE(Log().find("X-file not load: missing_ship.x from folder: "), std::string::npos) << Log();
    EXPECT_TRUE(res.m_Models.empty());
    EXPECT_TRUE(res.m_XFiles.empty());
    EXPECT_EQ(res.CreateModel(dev.m_pDevice, "", "c2buoy.x"), nullptr);
    EXPECT_EQ(res.CreateModel(nullptr, (kDemo + "Models/Statics/").c_str(), "c2buoy.x"), nullptr);
}

TEST_F(Engine2ModelTest, SkinnedSignalIsDrawnWithTheBonePalette) {
    CDX9KelModel* m = Load("Models/Units/", "c2signal.x");
    ASSERT_NE(m, nullptr);
    IDirect3DDevice9* d = dev.m_pDevice;
    D3DXMATRIX view, proj, vp;
    const D3DXVECTOR3 eye(3.0f, 4.0f, -20.0f), at(3.0f, 4.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.785f, 1.0f, 1.0f, 100.0f);
    D3DXMatrixMultiply(&vp, &view, &proj);
    d->SetTransform(D3DTS_VIEW, &view);
    d->SetTransform(D3DTS_PROJECTION, &proj);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0);
    d->BeginScene();
    m->Render(d, 0.0f, &vp, 0);
    d->EndScene();
    const std::vector<DWORD> px = dev.Pixels();
    int cloth = 0;
    for (DWORD p : px)
        if (p != 0xFF0000FFu) ++cloth;
    EXPECT_GT(cloth, 1000);
}
