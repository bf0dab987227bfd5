// The render system: its settings and colour packing, the sort order, and a
// real frame on the offscreen device with recording effects and units that
// tell which pass drew them, with which technique and parameters.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "RenderTestSupport.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/core/scene/Geometry.h"

using namespace Vorna3D;
using VornaRenderTest::SceneFixture;

namespace {

TEST(RenderSystemSettings, ReadFromEngineIni) {
    const auto dir = VornaTest::FreshFolder();
    struct Case {
        const char* text;
        DWORD size;
        int level;
        bool waterType;
    } cases[] = {
        {"", 512, 2, true},
        {"ReflRefrTexture=2048\nShadersLevel=3\nWaterType=1\n", 1024, 0, false},
        {"ReflRefrTexture=-1\nShadersLevel=-1\nWaterType=0\n", 1024, 0, true},
        {"ReflRefrTexture=0\nShadersLevel=1\n", 512, 1, true}, // 0 would give targets without pixels
        {"ReflRefrTexture=256\nShadersLevel=0\nWaterType=2\n", 256, 0, false},
    };
    for (const Case& c : cases) {
        VornaTest::WriteText(dir / "engine.ini", std::string("[Grafic Settings]\n") + c.text);
        const auto s = CDX9KelRenderSystem::ReadSettings((dir / "engine.ini").string(), 512);
        EXPECT_EQ(s.dwReflRefrSize, c.size) << c.text;
        EXPECT_EQ(s.iShadersLevel, c.level) << c.text;
        EXPECT_EQ(s.bWaterType, c.waterType) << c.text;
    }
    const auto missing = CDX9KelRenderSystem::ReadSettings((dir / "none.ini").string(), 512);
    EXPECT_EQ(missing.dwReflRefrSize, 512u);
    EXPECT_EQ(missing.iShadersLevel, 2);
}

TEST(RenderSystemSettings, ClearColoursPackChannelsWithClamping) {
    EXPECT_EQ(CDX9KelRenderSystem::PackColor(1.2f, -0.3f, 0.5f, 1.0f), 0xFFFF0080u);
    EXPECT_EQ(CDX9KelRenderSystem::PackColor(0, 0, 0, 0), 0u);
    CDX9KelRenderSystem rs;
    rs.SetRefractionMapClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    EXPECT_EQ(rs.m_RefractionClearColor, 0xFF1A334Du);
    EXPECT_FLOAT_EQ(rs.m_vColorRefraction.y, 0.2f);
    EXPECT_TRUE(rs.m_bParameterChanged);
}

TEST(RenderSort, OneTotalOrderByEffectTextureAndDistance) {
    // a before b for each row.
    const struct {
        SKelRenderSortKey a, b;
    } rows[] = {
        {{3, -1, 0}, {2, 9, 100}},  // higher effect slot first
        {{0, -1, 0}, {-1, 5, 100}}, // no effect last
        {{2, 4, 0}, {2, 3, 100}},   // then higher texture slot
        {{2, 0, 0}, {2, -1, 100}},  // no texture last within its effect
        {{2, 3, 50}, {2, 3, 10}},   // then farthest first
    };
    for (const auto& r : rows) {
        EXPECT_TRUE(RenderSortBefore(r.a, r.b));
        EXPECT_FALSE(RenderSortBefore(r.b, r.a));
    }
    const SKelRenderSortKey same{1, 1, 5};
    EXPECT_FALSE(RenderSortBefore(same, same));
}

// An effect that knows some names and records what is done to it.
class RecordingEffect : public ID3DXEffect {
public:
    RecordingEffect(std::set<std::string> params, std::set<std::string> techniques)
        : m_params(std::move(params)), m_techniques(std::move(techniques)) {}
    D3DXHANDLE GetParameterByName(D3DXHANDLE, LPCSTR name) override {
        auto it = m_params.find(name);
        return it == m_params.end() ? nullptr : it->c_str();
    }
    D3DXHANDLE GetTechniqueByName(LPCSTR name) override {
        auto it = m_techniques.find(name);
        return it == m_techniques.end() ? nullptr : it->c_str();
    }
    HRESULT SetTechnique(D3DXHANDLE t) override {
        if (!t) return E_FAIL;
        m_current = t;
        return D3D_OK;
    }
    D3DXHANDLE GetCurrentTechnique() override { return m_current.c_str(); }
    HRESULT GetDesc(D3DXEFFECT_DESC*) override { return E_NOTIMPL; }
    HRESULT Begin(UINT* passes, DWORD) override {
        ++begins;
        beginsByTechnique[m_current]++;
        *passes = 1;
        return D3D_OK;
    }
    HRESULT BeginPass(UINT) override { return D3D_OK; }
    HRESULT CommitChanges() override { return D3D_OK; }
    HRESULT EndPass() override { return D3D_OK; }
    HRESULT End() override { return D3D_OK; }
    HRESULT SetMatrix(D3DXHANDLE p, const D3DXMATRIX*) override { return Set(p); }
    HRESULT SetVector(D3DXHANDLE p, const D3DXVECTOR4*) override { return Set(p); }
    HRESULT SetFloat(D3DXHANDLE p, FLOAT v) override {
        floats[p ? p : ""] = v;
        return Set(p);
    }
    HRESULT SetInt(D3DXHANDLE p, INT) override { return Set(p); }
    HRESULT SetBool(D3DXHANDLE p, BOOL) override { return Set(p); }
    HRESULT SetValue(D3DXHANDLE p, const void*, UINT) override { return Set(p); }
    HRESULT SetMatrixArray(D3DXHANDLE p, const D3DXMATRIX*, UINT) override { return Set(p); }
    HRESULT SetTexture(D3DXHANDLE p, IDirect3DBaseTexture9*) override { return Set(p); }
    HRESULT GetFloat(D3DXHANDLE, FLOAT*) override { return E_NOTIMPL; }
    HRESULT GetValue(D3DXHANDLE, void*, UINT) override { return E_NOTIMPL; }
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

    int begins = 0;
    std::map<std::string, int> beginsByTechnique;
    std::map<std::string, int> sets;
    std::map<std::string, float> floats;
    std::vector<std::string> nullSets; // a set through a null handle is a fault

private:
    HRESULT Set(D3DXHANDLE p) {
        if (!p) {
            nullSets.push_back("?");
            return E_FAIL;
        }
        sets[p]++;
        return D3D_OK;
    }
    std::set<std::string> m_params, m_techniques;
    std::string m_current;
};

// A drawable unit that records the passes that drew it.
class RecordingUnit : public CDX9KelSceneUnit, public IDX9KelRenderUnit {
public:
    RecordingUnit(CDX9KelGraphicResourceEffect* effect, int texture) : m_pEffect(effect), m_iTexture(texture) {
        m_iKind = KEL_UNIT_MODEL;
        m_fRadius = 1.0f;
        m_dwFaces = 12;
    }
    CDX9KelGraphicResourceEffect* GetRenderEffect() override { return m_pEffect; }
    int GetRenderTextureSlot() override { return m_iTexture; }
    void RenderUnit(IDirect3DDevice9* device, float, bool, const D3DXMATRIX*, UINT passes, UINT passCode) override {
        drawn[passCode]++;
        lastPasses = passes;
        DWORD cull = 0;
        device->GetRenderState(D3DRS_CULLMODE, &cull);
        cullByPass[passCode] = cull;
    }
    CDX9KelGraphicResourceEffect* m_pEffect;
    int m_iTexture;
    std::map<UINT, int> drawn;
    std::map<UINT, DWORD> cullByPass;
    UINT lastPasses = 0;
};

class RenderFrameTest : public SceneFixture {
protected:
    CDX9KelGraphicResourceEffect* AddEffect(RecordingEffect* fx) {
        auto* r = new CDX9KelGraphicResourceEffect();
        r->m_pEffect = fx;
        r->m_strFileName = "recording" + std::to_string(m_effects.size());
        CDX9KelEffectManager* em = m_pScene->GetGraphicsResManager()->m_pEffectManager;
        EXPECT_TRUE(em->AddResource(r));
        r->m_dwRefCount = 1;
        em->m_vNewEffects.push_back(r);
        m_effects.push_back(fx);
        return r;
    }
    RecordingUnit* AddUnit(CDX9KelGraphicResourceEffect* e, int texture, D3DXVECTOR3 pos, float radius = 1.0f) {
        m_units.push_back(std::make_unique<RecordingUnit>(e, texture));
        RecordingUnit* u = m_units.back().get();
        u->m_fRadius = radius;
        auto* obj = new CDX9KelSceneObject();
        D3DXMATRIX id, world;
        D3DXMatrixIdentity(&id);
        EXPECT_TRUE(obj->AddSceneUnit(u, &id, 0));
        D3DXMatrixTranslation(&world, pos.x, pos.y, pos.z);
        EXPECT_TRUE(obj->SetTransform(&world));
        obj->UpdateBoundingRadius();
        EXPECT_TRUE(m_pScene->AddSceneObjectInActiveTree(obj));
        return u;
    }
    void MakeTree() {
        const D3DXVECTOR3 mn(-200, -40, -200), mx(200, 40, 200);
        ASSERT_TRUE(m_pScene->CreateSceneTree("Test", &mn, &mx, false, 50.0f));
        ASSERT_TRUE(m_pScene->SetActiveSceneTree(0));
        auto* cam = dynamic_cast<CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->m_pActiveCamera);
        ASSERT_NE(cam, nullptr);
        cam->SetTarget3D(0, 0, 0);
        cam->SetDistance(20.0f);
        cam->SetAngles(0.5f, 0.0f);
    }
    void TearDown() override {
        // The octree's objects go with the scene; the units are ours.
        for (CDXSceneTree* t : m_pScene ? m_pScene->m_vSceneTrees : std::vector<CDXSceneTree*>{}) {
            if (!t) continue;
            for (CDX9KelSceneObject* o : t->m_vObjects)
                if (o) o->DetachUnits();
        }
        SceneFixture::TearDown();
        m_units.clear();
    }
    std::vector<RecordingEffect*> m_effects; // owned by their resources
    std::vector<std::unique_ptr<RecordingUnit>> m_units;
};

TEST_F(RenderFrameTest, PassesDrawTheUnitsTheirFlagsAndWaterSidesAllow) {
    ASSERT_TRUE(Start());
    MakeTree();
    // E1 has a reflection technique and the time; E2 only the level one.
    auto* fx1 = new RecordingEffect({"g_Time", "g_LightDir", "g_MatrixViewProj", "g_ColorReflection"},
                                    {"Hight", "Reflection"});
    auto* fx2 = new RecordingEffect({"g_MatrixView"}, {"Hight"});
    CDX9KelGraphicResourceEffect* e1 = AddEffect(fx1);
    CDX9KelGraphicResourceEffect* e2 = AddEffect(fx2);

    RecordingUnit* above = AddUnit(e1, 1, {3, 5, 0});      // wholly above the water
    RecordingUnit* across = AddUnit(e2, 2, {0, 0, 0});     // straddles it, and lies in several leaves
    RecordingUnit* below = AddUnit(e1, 2, {-3, -5, 0});    // wholly below
    RecordingUnit* noRefl = AddUnit(e2, 1, {4, 0, 4});
    noRefl->m_bPasses[2] = false;
    RecordingUnit* noMain = AddUnit(e1, 1, {-4, 0, 4});
    noMain->m_bPasses[4] = false;
    // In view, but its centre far beyond the 80-unit reflection and
    // refraction range; big enough to reach above the water.
    RecordingUnit* far = AddUnit(e2, 1, {0, -30, 100}, 31.0f);
    // No effect at all: not drawn by any pass (it is no model).
    RecordingUnit* bare = AddUnit(nullptr, -1, {1, 1, 1});

    Frame();

    struct Expect {
        RecordingUnit* u;
        int refl, refr, main;
        const char* what;
    } expects[] = {
        {above, 1, 0, 1, "above"}, {across, 1, 1, 1, "across"}, {below, 1, 1, 0, "below"},
        {noRefl, 0, 1, 1, "noRefl"}, {noMain, 1, 1, 0, "noMain"}, {far, 0, 0, 1, "far"},
        {bare, 0, 0, 0, "bare"},
    };
    for (const Expect& x : expects) {
        EXPECT_EQ(x.u->drawn[KEL_PASS_REFLECTION], x.refl) << x.what;
        EXPECT_EQ(x.u->drawn[KEL_PASS_REFRACTION], x.refr) << x.what;
        EXPECT_EQ(x.u->drawn[KEL_PASS_MAIN], x.main) << x.what;
    }
    // Units get the pass count the effect's Begin returned.
    EXPECT_EQ(above->lastPasses, 1u);
    // The mirror draws clockwise-culled; the main pass counter-clockwise.
    EXPECT_EQ(above->cullByPass[KEL_PASS_REFLECTION], static_cast<DWORD>(D3DCULL_CW));
    EXPECT_EQ(above->cullByPass[KEL_PASS_MAIN], static_cast<DWORD>(D3DCULL_CCW));

    // One run per effect and pass: reflection, refraction and main.
    EXPECT_EQ(fx1->begins, 3);
    EXPECT_EQ(fx2->begins, 3);
    EXPECT_EQ(fx1->beginsByTechnique["Reflection"], 1);
    EXPECT_EQ(fx1->beginsByTechnique["Hight"], 2); // refraction falls back to the level technique
    EXPECT_EQ(fx2->beginsByTechnique["Hight"], 3);

    // Parameters are bound by name, and only the names an effect has.
    EXPECT_GT(fx1->sets["g_Time"], 0);
    EXPECT_GT(fx1->sets["g_LightDir"], 0);
    EXPECT_GT(fx1->sets["g_MatrixViewProj"], 0);
    EXPECT_GT(fx1->sets["g_ColorReflection"], 0);
    EXPECT_EQ(fx1->sets.count("g_MatrixView"), 0u);
    EXPECT_GT(fx2->sets["g_MatrixView"], 0);
    EXPECT_EQ(fx2->sets.count("g_Time"), 0u);
    EXPECT_TRUE(fx1->nullSets.empty());
    EXPECT_TRUE(fx2->nullSets.empty());
    EXPECT_EQ(e1->m_hHandles[KEL_H_TECH_REFRACTION], nullptr);
    EXPECT_NE(e1->m_hHandles[KEL_H_TECH_REFLECTION], nullptr);

    // g_Time follows the clock from the engine's start.
    const float t1 = fx1->floats["g_Time"];
    m_clock.Advance(500);
    m_pScene->Process();
    EXPECT_NEAR(fx1->floats["g_Time"] - t1, 500.0f, 0.5f);

    // The lists are emptied after the frame.
    EXPECT_TRUE(RS()->m_vModels.empty());
    EXPECT_EQ(across->m_dwInList, 0u);
}

TEST_F(RenderFrameTest, SortKeepsEachEffectInOneRunWithTexturesTogether) {
    ASSERT_TRUE(Start());
    std::vector<CDX9KelGraphicResourceEffect*> effects;
    for (int i = 0; i < 4; ++i) effects.push_back(AddEffect(new RecordingEffect({}, {"Hight"})));
    std::vector<CDX9KelSceneUnit*> list;
    unsigned seed = 7;
    for (int i = 0; i < 60; ++i) {
        seed = seed * 1103515245u + 12345u;
        m_units.push_back(std::make_unique<RecordingUnit>(effects[seed % 4], static_cast<int>((seed >> 8) % 3) - 1));
        m_units.back()->m_fCameraDistance = static_cast<float>((seed >> 4) % 100);
        list.push_back(m_units.back().get());
    }
    CDX9KelRenderSystem::SortUnits(list);
    std::set<int> seenEffects;
    for (size_t i = 0; i < list.size(); ++i) {
        const SKelRenderSortKey k = CDX9KelRenderSystem::SortKey(list[i]);
        if (i == 0 || k.iEffect != CDX9KelRenderSystem::SortKey(list[i - 1]).iEffect) {
            EXPECT_TRUE(seenEffects.insert(k.iEffect).second) << "effect " << k.iEffect << " split into two runs";
        }
        if (i > 0) {
            EXPECT_FALSE(RenderSortBefore(k, CDX9KelRenderSystem::SortKey(list[i - 1])));
        }
    }
    EXPECT_EQ(seenEffects.size(), 4u);
}

TEST_F(RenderFrameTest, AFailingTargetEndsTheFrameOnTheBackBufferWithEmptyLists) {
    ASSERT_TRUE(Start());
    MakeTree();
    auto* fx = new RecordingEffect({}, {"Hight"});
    RecordingUnit* u = AddUnit(AddEffect(fx), 1, {0, 0, 0});
    Frame();
    ASSERT_EQ(u->drawn[KEL_PASS_MAIN], 1);

    // The refraction map goes missing after the reflection pass drew.
    IDirect3DSurface9* refraction = RS()->m_pSurfRefractionMap;
    RS()->m_pSurfRefractionMap = nullptr;
    Device()->BeginScene();
    EXPECT_FALSE(RS()->Render(Device(), 0xFF000000u, 1.0f, false, false));
    Device()->EndScene();
    RS()->m_pSurfRefractionMap = refraction;
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(Device()->GetRenderTarget(0, &target), D3D_OK);
    D3DSURFACE_DESC desc{};
    target->GetDesc(&desc);
    target->Release();
    EXPECT_EQ(desc.Width, m_engine.m_pRender->GetBackBufferWidth());
    EXPECT_EQ(desc.Height, m_engine.m_pRender->GetBackBufferHeight());
    EXPECT_TRUE(RS()->m_vModels.empty());
    EXPECT_EQ(u->m_dwInList, 0u);
    EXPECT_EQ(RS()->m_pSavedColor, nullptr);

    // The next frame draws normally.
    Frame();
    EXPECT_EQ(u->drawn[KEL_PASS_MAIN], 2);
}

TEST_F(RenderFrameTest, ShadowsOnSplitUnitsAtTheNearShadowDistance) {
    ASSERT_TRUE(Start());
    MakeTree();
    RS()->m_bShadows = true;
    auto* fx = new RecordingEffect({"g_TextureShadows", "g_MatrixLightViewProj"},
                                   {"Hight", "HightShadow", "Shadow"});
    CDX9KelGraphicResourceEffect* e = AddEffect(fx);
    CDX9KelBaseCamera* cam = m_pScene->m_pCameraManager->m_pActiveCamera;
    // The unit at the light cameras' target is the border case: the near
    // shadow range is made to end exactly at its squared distance.
    RecordingUnit* edge = AddUnit(e, 1, cam->m_vTarget, 0.5f);
    D3DXVECTOR3 dir = cam->m_vEye - cam->m_vTarget;
    D3DXVec3Normalize(&dir, &dir);
    RecordingUnit* near = AddUnit(e, 1, cam->m_vTarget + dir * 0.5f, 0.2f);
    Frame();
    RS()->m_fNearShadowDistance2 = GetSquaredDistance(&cam->m_vEye, &edge->m_vSphereCentre);
    ASSERT_LT(GetSquaredDistance(&cam->m_vEye, &near->m_vSphereCentre), RS()->m_fNearShadowDistance2);
    edge->drawn.clear();
    near->drawn.clear();
    fx->beginsByTechnique.clear();
    Frame();
    // Shadow pass twice (near and far maps) for the unit at the border.
    EXPECT_EQ(edge->drawn[KEL_PASS_SHADOW], 2);
    EXPECT_EQ(near->drawn[KEL_PASS_SHADOW], 1);
    EXPECT_EQ(fx->beginsByTechnique["HightShadow"], 1);
    EXPECT_GT(fx->sets["g_TextureShadows"], 0);
    EXPECT_EQ(edge->drawn[KEL_PASS_MAIN], 1);
}

} // namespace
