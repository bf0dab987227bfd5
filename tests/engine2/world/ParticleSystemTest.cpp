#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "platform/os/Paths.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <array>
#include <string>

using namespace Vorna2;

namespace {

namespace fs = std::filesystem;

std::string FixedTime() { return "T"; }

// A path relative to the program folder, as the manager takes INI names.
std::string FromProgram(const fs::path& p) {
    return fs::relative(p, fs::path(Platform::ProgramFolder())).generic_string();
}

const std::string kSmokeTexture = FromProgram(fs::path(VORNA_BIN_DIR) / "Textures" / "c2smoke.png");

std::string Ini(const std::string& system, const std::string& color = "", const std::string& physics = "") {
    return "[ParticleSystem]\n" + system + "\n[COLOR]\n" + color + "\n[PHYSICS]\n" + physics + "\n";
}

class Engine2ParticleTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
    }
    void TearDown() override { g_Log.Reset(); }
    fs::path Write(const std::string& name, const std::string& text) {
        const fs::path p = folder / name;
        std::ofstream(p) << text;
        return p;
    }
    std::string Log() { return VornaTest::ReadText(logPath); }

    fs::path folder;
    std::string logPath;
};

} // namespace

TEST_F(Engine2ParticleTest, TheIniFileFillsTheRecordAsTyped) {
    const fs::path p = Write("full.ini", Ini("MaxParticles=40\nTexture=Textures\\a.png\nSrcBlend=5\nDestBlend=2\n"
                                             "NumToRelease=3\nReleaseInterval=0.25\nLifeCycle=2.5\nSize=1.75\n"
                                             "SystemLife=9\nAnimSpeed=0.123456789012\n",
                                             "StartColR=0.1\nStartColG=0.2\nStartColB=0.3\nStartColA=0.4\n"
                                             "ChangeColor=1\nEndColR=0.5\nEndColG=0.6\nEndColB=0.7\nEndColA=0.8\n"
                                             "RatioChCol=0.5\n",
                                             "VelocityX=1\nVelocityY=2\nVelocityZ=3\nVelocityVar=0.5\nGravityY=-9.8\n"
                                             "WindX=1\nWindZ=-2\nWindVar=2.5\n"));
    CDXParticleSystemParams r;
    ASSERT_TRUE(ReadParticleSystemParams(p.string().c_str(), r));
    EXPECT_EQ(r.iMaxParticles, 40);
    EXPECT_STREQ(r.szTexture, "Textures\\a.png");
    EXPECT_EQ(r.iSrcBlend, 5);
    EXPECT_EQ(r.iDestBlend, 2);
    EXPECT_EQ(r.iNumToRelease, 3);
    EXPECT_FLOAT_EQ(r.fReleaseInterval, 0.25f);
    EXPECT_FLOAT_EQ(r.fLifeCycle, 2.5f);
    EXPECT_FLOAT_EQ(r.fSize, 1.75f);
    EXPECT_FLOAT_EQ(r.fSystemLife, 9.0f);
    // Only the first 9 characters of a float are read.
    EXPECT_FLOAT_EQ(r.fAnimSpeed, 0.1234567f);
    EXPECT_FLOAT_EQ(r.fStartColor[3], 0.4f);
    EXPECT_TRUE(r.bChangeColor);
    EXPECT_FLOAT_EQ(r.fEndColor[2], 0.7f);
    EXPECT_FLOAT_EQ(r.fRatioChCol, 0.5f);
    EXPECT_FLOAT_EQ(r.vVelocity.z, 3.0f);
    EXPECT_FLOAT_EQ(r.fVelocityVar, 0.5f);
    EXPECT_FLOAT_EQ(r.vGravity.y, -9.8f);
    // The wind is stored multiplied by its strength.
    EXPECT_FLOAT_EQ(r.vWind.x, 2.5f);
    EXPECT_FLOAT_EQ(r.vWind.z, -5.0f);
    EXPECT_FLOAT_EQ(r.fWindVar, 2.5f);
    EXPECT_EQ(r.iWindPullMode, 1);
}

TEST_F(Engine2ParticleTest, DefaultsRefusalsAndTheEndColourOnlyWithColourChange) {
    struct Case {
        const char* text;
        bool ok;
    };
    const Case cases[] = {
        {"MaxParticles=0\nTexture=t.png\n", false},
        {"MaxParticles=-4\nTexture=t.png\n", false},
        {"Texture=t.png\n", false},
        {"MaxParticles=5\n", false},
        {"MaxParticles=5\nTexture=\n", false},
        {"MaxParticles=5\nTexture=t.png\n", true},
    };
    for (const Case& c : cases) {
        CDXParticleSystemParams r;
        const fs::path p = Write("case.ini", Ini(c.text, "EndColR=0.9\nRatioChCol=0.3\n"));
        EXPECT_EQ(ReadParticleSystemParams(p.string().c_str(), r), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_FLOAT_EQ(r.fAnimSpeed, 1.0f);
        EXPECT_FLOAT_EQ(r.fWindVar, 1.0f);
        EXPECT_FALSE(r.bChangeColor);
        EXPECT_FLOAT_EQ(r.fEndColor[0], 0.0f);
        EXPECT_FLOAT_EQ(r.fRatioChCol, 1.0f);
    }
    CDXParticleSystemParams r;
    EXPECT_FALSE(ReadParticleSystemParams((folder / "missing.ini").string().c_str(), r));
}

TEST_F(Engine2ParticleTest, AFileIsReadOnceAndARefusedFileIsRefusedEveryTime) {
    VornaTest::OffscreenDevice dev;
    ASSERT_TRUE(dev.Create(64, 64));
    CDX9KelGraphicsResManager res;
    CDXParticleSystemManager m;
    m.m_pResManager = &res;
    const std::string good = FromProgram(Write("good.ini", Ini("MaxParticles=8\nTexture=" + kSmokeTexture + "\n")));
    const std::string noTexture = FromProgram(Write("notex.ini", Ini("MaxParticles=8\nTexture=Textures\\none.png\n")));
    const std::string empty = FromProgram(Write("empty.ini", Ini("MaxParticles=0\nTexture=x.png\n")));

    CDXParticleSystemParams* a = m.LoadPSParamsFromFile(good.c_str(), dev.m_pDevice);
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a->pTexture, nullptr);
    EXPECT_EQ(m.LoadPSParamsFromFile(good.c_str(), dev.m_pDevice), a);
    EXPECT_EQ(m.m_dwFilesRead, 1u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(m.LoadPSParamsFromFile(noTexture.c_str(), dev.m_pDevice), nullptr);
        EXPECT_EQ(m.LoadPSParamsFromFile(empty.c_str(), dev.m_pDevice), nullptr);
    }
    EXPECT_EQ(m.m_Params.size(), 1u);
    EXPECT_EQ(m.m_dwFilesRead, 5u);

    // Creation needs its arguments and a good file; a list index must exist.
    D3DXMATRIX local;
    D3DXMatrixIdentity(&local);
    int index = -1;
    CDXParticleSystemList* list = m.CreateList(nullptr, &index);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(m.CreateListPS(dev.m_pDevice, 0, good.c_str(), &local, nullptr), -1);
    EXPECT_EQ(m.CreateListPS(dev.m_pDevice, 1, good.c_str(), &local, &local), -1);
    EXPECT_EQ(m.CreateListPS(dev.m_pDevice, 0, empty.c_str(), &local, &local), -1);
    EXPECT_EQ(m.CreateListPS(dev.m_pDevice, 0, good.c_str(), &local, &local), 0);
    EXPECT_EQ(m.CreateStandalonePS(dev.m_pDevice, good.c_str(), &local, nullptr), 0);
    EXPECT_EQ(m.GetListIndex(list), 0);
    EXPECT_EQ(m.GetListIndex(nullptr), -1);
    EXPECT_NE(Log().find("Error : CDXParticleSystemManager : CreateListPS() : LoadPSParamsFromFile : " + empty),
              std::string::npos);

    // A lost device takes the buffers; a restore brings them back.
    m.OnLost();
    EXPECT_EQ(list->m_Systems[0]->m_pVB, nullptr);
    m.Restore(dev.m_pDevice);
    EXPECT_NE(list->m_Systems[0]->m_pVB, nullptr);
    m.DeleteAllPS();
    EXPECT_TRUE(m.m_Lists.empty());
    EXPECT_TRUE(m.m_Params.empty());
    res.ReleaseAllTextures();
}

namespace {

CDXParticleSystemParams Params(int max, int release, float interval, float life) {
    CDXParticleSystemParams p;
    p.iMaxParticles = max;
    p.iNumToRelease = release;
    p.fReleaseInterval = interval;
    p.fLifeCycle = life;
    p.fStartColor[0] = 0.5f;
    p.fStartColor[3] = 1.0f;
    p.fWindVar = 0.0f;
    p.iWindPullMode = 0;
    return p;
}

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

} // namespace

TEST(Engine2ParticleSystem, EmissionLimitsLifeAndColour) {
    // Interval 0: every step that moves time emits; 5 a time with room for 3.
    CDXParticleSystemParams p = Params(3, 5, 0.0f, 10.0f);
    CDXParticleSystem s;
    s.Setup(&p, Identity(), nullptr);
    s.Update(0.0f);
    EXPECT_EQ(s.m_dwActiveCount, 0u);
    s.Update(0.1f);
    EXPECT_EQ(s.m_dwActiveCount, 3u);
    s.Update(0.1f);
    EXPECT_EQ(s.m_dwActiveCount, 3u);
    // Without colour change a particle keeps its start colour.
    EXPECT_FLOAT_EQ(s.m_pActive->fColor[0], 0.5f);

    // With colour change the colour reaches the end colour at the ratio.
    CDXParticleSystemParams c = Params(1, 1, 100.0f, 1.0f);
    c.bChangeColor = true;
    c.fEndColor[0] = 1.0f;
    c.fRatioChCol = 0.5f;
    CDXParticleSystem f;
    f.Setup(&c, Identity(), nullptr);
    f.Update(200.0f); // emits at T = 200
    f.Update(0.25f);
    EXPECT_NEAR(f.m_pActive->fColor[0], 0.75f, 1e-5);
    f.Update(0.3f);
    EXPECT_FLOAT_EQ(f.m_pActive->fColor[0], 1.0f);
    // At its life's end the particle goes to the free list.
    f.Update(0.5f);
    EXPECT_EQ(f.m_dwActiveCount, 0u);
    EXPECT_NE(f.m_pFree, nullptr);
}

TEST(Engine2ParticleSystem, ASystemDiesOnlyAtAStepThatFindsALiveParticle) {
    CDXParticleSystemParams p = Params(10, 1, 5.0f, 1.0f);
    p.fSystemLife = 2.0f;
    CDXParticleSystem s;
    s.Setup(&p, Identity(), nullptr);
    s.Update(6.0f); // emits one particle at T = 6, age 6 > life
    EXPECT_TRUE(s.m_bAlive);
    EXPECT_EQ(s.m_dwActiveCount, 1u);
    s.Update(0.1f);
    EXPECT_FALSE(s.m_bAlive);
    EXPECT_FLOAT_EQ(s.m_fAge, 0.0f);

    // A burst that keeps emitting dies once its life is over.
    CDXParticleSystemParams burst = Params(50, 4, 0.05f, 0.2f);
    burst.fSystemLife = 1.0f;
    CDXParticleSystem b;
    b.Setup(&burst, Identity(), nullptr);
    int steps = 0;
    while (b.m_bAlive && steps < 1000) {
        b.Update(0.01f);
        ++steps;
    }
    EXPECT_FALSE(b.m_bAlive);
    EXPECT_GE(steps, 100);
    EXPECT_LE(steps, 102);
}

TEST(Engine2ParticleSystem, ParticlesTravelWithTheOwnerAndFollowGravity) {
    CDXParticleSystemParams p = Params(10, 1, 100.0f, 50.0f);
    p.vVelocity = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    p.vGravity = D3DXVECTOR3(0.0f, -2.0f, 0.0f);
    D3DXMATRIX owner, local;
    D3DXMatrixTranslation(&owner, 10.0f, 0.0f, 0.0f);
    D3DXMatrixTranslation(&local, 0.0f, 5.0f, 0.0f);
    CDXParticleSystem s;
    s.Setup(&p, local, &owner);
    EXPECT_EQ(s.m_vLastPos, D3DXVECTOR3(10.0f, 5.0f, 0.0f));
    s.Update(101.0f);
    ASSERT_EQ(s.m_dwActiveCount, 1u);
    EXPECT_EQ(s.m_pActive->vPos, D3DXVECTOR3(10.0f, 5.0f, 0.0f));
    s.Update(0.5f);
    // velocity (1, -1, 0) after the gravity step, then half of it.
    EXPECT_NEAR(s.m_pActive->vPos.x, 10.5f, 1e-5);
    EXPECT_NEAR(s.m_pActive->vPos.y, 4.5f, 1e-5);
    owner._43 = 7.0f;
    s.Update(0.0f);
    EXPECT_NEAR(s.m_pActive->vPos.z, 7.0f, 1e-5);
    EXPECT_NEAR(s.m_vLastPos.z, 7.0f, 1e-5);

    EXPECT_EQ(CDXParticleSystem::PackColor(std::array<float, 4>{1.5f, 0.0f, 0.5f, 1.0f}.data()), 0xFFFF0080u);
}

TEST(Engine2ParticleSystem, OwnerFlagsPauseAndDeadSystems) {
    CDXParticleSystemManager m;
    CDXParticleSystemParams p = Params(10, 1, 0.0f, 100.0f);
    bool visible = true;
    CDXParticleSystemList* shown = m.CreateList(&visible, nullptr);
    auto* a = new CDXParticleSystem();
    a->Setup(&p, Identity(), nullptr);
    shown->m_Systems.push_back(a);
    auto* dead = new CDXParticleSystem();
    dead->Setup(&p, Identity(), nullptr);
    dead->m_bAlive = false;
    m.m_Standalone.push_back(dead);

    m.Process(10.0f);
    EXPECT_EQ(m.m_DrawList.size(), 1u);
    EXPECT_TRUE(m.m_Standalone.empty());
    EXPECT_NEAR(a->m_fCurrentTime, 0.02f, 1e-6);
    // Paused: drawn, not advanced.
    m.m_bPaused = true;
    m.Process(10.0f);
    EXPECT_EQ(m.m_DrawList.size(), 1u);
    EXPECT_NEAR(a->m_fCurrentTime, 0.02f, 1e-6);
    // Owner hidden: neither stepped nor drawn.
    m.m_bPaused = false;
    visible = false;
    m.Process(10.0f);
    EXPECT_TRUE(m.m_DrawList.empty());
    EXPECT_NEAR(a->m_fCurrentTime, 0.02f, 1e-6);
    EXPECT_TRUE(m.DeleteList(shown));
    EXPECT_FALSE(m.DeleteList(0));
}
