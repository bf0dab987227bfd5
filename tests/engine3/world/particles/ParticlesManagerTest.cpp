// The manager: prototypes read once and copied, the clock with its time
// scale and gap rule, placement of emitters, start and stop, factories.
#include "ParticlesTestSupport.h"

#include "engine3/core/scene/CDX9KelSceneObject.h"

#include <cmath>

namespace ParticlesTest {
namespace {

using Manager = ParticlesFixture;

std::string Moving()
{
    return SystemXml(EmitterXml("EmitterPoint", "A",
                                "<MaxParticles>1</MaxParticles><StartDirection><x>0</x><y>1</y><z>0</z>"
                                "</StartDirection><StartVelocity>1</StartVelocity>"
                                "<ParticleCameraInfluence>0</ParticleCameraInfluence>",
                                "<CommonScale Name=\"S\"><ParticleEndWidth>8</ParticleEndWidth></CommonScale>"
                                "<CommonFrames Name=\"F\"><EndTime>2</EndTime></CommonFrames>"));
}

TEST_F(Manager, AFileIsReadOncePerPrototypeAndEveryInstanceIsItsOwnCopy)
{
    const std::filesystem::path path = m_folder / "moving.xml";
    VornaTest::WriteText(path, Moving());
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    CDX9KelParticlesSystem* a = m_manager.LoadParticlesSystem(path.c_str(), "moving", "ship1", 5.0f, &m);
    std::filesystem::remove(path);  // a second read would now fail
    CDX9KelParticlesSystem* b = m_manager.LoadParticlesSystem(path.c_str(), "moving", "ship2", 5.0f, &m);
    ASSERT_NE(a, nullptr) << Log();
    ASSERT_NE(b, nullptr) << Log();
    ASSERT_EQ(m_manager.m_vPrototypes.size(), 1u);
    CDX9KelParticlesSystem* proto = m_manager.m_vPrototypes[0];
    EXPECT_FALSE(proto->m_bPasses[1]);
    EXPECT_EQ(a->m_strName2, "ship1");
    EXPECT_FLOAT_EQ(a->m_fRadius, 5.0f);
    EXPECT_EQ(a->m_iKind, KEL_UNIT_PARTICLE_SYSTEM);
    EXPECT_FALSE(a->m_bPasses[2]);

    // The copy carries every value and effector of the prototype, and
    // shares its texture.
    const CDX9KelBasePSEmitter* src = proto->m_vEmitters[0];
    const CDX9KelBasePSEmitter* dst = a->m_vEmitters[0];
    EXPECT_NE(src, dst);
    EXPECT_EQ(dst->m_strName, "A");
    EXPECT_EQ(dst->m_iKind, src->m_iKind);
    EXPECT_EQ(dst->m_dwMaxParticles, src->m_dwMaxParticles);
    EXPECT_FLOAT_EQ(dst->m_fStartVelocity, 1.0f);
    EXPECT_EQ(dst->m_vStartDirection.y, 1.0f);
    EXPECT_EQ(dst->m_Params.pTexture, src->m_Params.pTexture);
    EXPECT_FALSE(dst->m_Params.bCameraInfluence);
    ASSERT_EQ(dst->m_vEffectors.size(), 2u);
    EXPECT_EQ(dst->m_vEffectors[0]->m_dwType, static_cast<DWORD>(KEL_PS_EFFECTOR_SCALE));
    EXPECT_FLOAT_EQ(static_cast<CDX9KelPSEffectorCommonScale*>(dst->m_vEffectors[0])->m_fEndHalfWidth, 4.0f);
    EXPECT_FLOAT_EQ(dst->m_vEffectors[1]->m_fEndTime, 2.0f);

    // Independent particles: only the first copy runs.
    a->m_bPasses[1] = true;
    b->m_bPasses[1] = false;
    Frame(0);
    Frame(500);
    EXPECT_EQ(a->m_vEmitters[0]->m_dwLiveCount, 1u);
    EXPECT_EQ(b->m_vEmitters[0]->m_dwLiveCount, 0u);
    EXPECT_EQ(proto->m_vEmitters[0]->m_dwLiveCount, 0u);
}

TEST_F(Manager, LoadingFailuresAreReported)
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    EXPECT_EQ(m_manager.LoadParticlesSystem("", "p", "i", 1.0f, &m), nullptr);
    EXPECT_EQ(m_manager.LoadParticlesSystem((m_folder / "none.xml").c_str(), "p", "i", 1.0f, &m), nullptr);
    EXPECT_NE(Log().find("CDX9KelParticlesSystemsManager::LoadParticlesSystem() : failed : "), std::string::npos);
    EXPECT_EQ(m_manager.CreateParticleSystem("x", 0.0f, &m), nullptr);
    EXPECT_NE(Log().find("CreateParticleSystem() : fRadius <= 0.0f"), std::string::npos);
    EXPECT_EQ(m_manager.CreateParticleSystem("", 1.0f, &m), nullptr);
    EXPECT_NE(Log().find("CreateParticleSystem() : not name"), std::string::npos);
    EXPECT_EQ(m_manager.CreateEffectorCommonSpinForEmitter(nullptr, "s"), nullptr);
    EXPECT_NE(Log().find("CDX9KelParticlesSystemsManager::CreateEffectorCommonSpinForEmitter() : pEmitter == NULL"),
              std::string::npos);
    CDX9KelPSEmitterPoint e;
    EXPECT_EQ(m_manager.CreateEffectorCommonSpinForEmitter(&e, ""), nullptr);
    EXPECT_NE(Log().find("CreateEffectorCommonSpinForEmitter() : not name"), std::string::npos);
}

struct ClockCase {
    const char* what;
    float scale;
    DWORD gap;
    float expectedY;  // after one second of frames then the gap
};

TEST_F(Manager, TheClockFollowsTheTimeScaleAndRestartsAfterALongGap)
{
    // Particle rising at 1 unit/s; ten frames of 100 ms, then one more frame
    // after `gap` ms.
    const ClockCase cases[] = {
        {"normal", 1.0f, 100, 1.1f},   {"double", 2.0f, 100, 2.2f}, {"paused", 0.0f, 100, 0.0f},
        {"negative ignored", -1.0f, 100, 1.1f}, {"gap of 12 s", 1.0f, 12000, 1.0f},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.what);
        m_manager.SetTimeScale(1.0f);
        m_manager.SetTimeScale(c.scale);
        CDX9KelParticlesSystem* s = Read(Moving(), c.what);
        ASSERT_NE(s, nullptr) << Log();
        m_manager.m_dwLastTick = 0;
        Frame(0);
        for (int i = 0; i < 10; ++i) Frame(100);
        Frame(c.gap);
        EXPECT_NEAR(s->m_vEmitters[0]->m_vParticles[0].mWorld._42, c.expectedY, 1e-4f);
        EXPECT_EQ(m_manager.m_bPaused, c.scale == 0.0f);
        m_manager.ReleaseResource(s);
    }
}

TEST_F(Manager, AnOwnerWithItsSecondFlagClearedFreezesTheSystem)
{
    CDX9KelParticlesSystem* s = Read(Moving());
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelSceneObject owner;
    D3DXMATRIX local;
    D3DXMatrixIdentity(&local);
    ASSERT_TRUE(owner.AddSceneUnit(s, &local, 0));
    Frame(0);
    Frame(500);
    owner.m_bFlag2 = false;
    Frame(500);
    EXPECT_FLOAT_EQ(s->m_fClock, 0.5f);
    owner.m_bFlag2 = true;
    Frame(500);
    EXPECT_FLOAT_EQ(s->m_fClock, 1.0f);
    EXPECT_NEAR(s->m_vEmitters[0]->m_vParticles[0].mWorld._42, 1.0f, 1e-5f);
    owner.RemoveSceneUnit(s);
}

TEST_F(Manager, StopHidesTheParticlesAndStartBeginsANewEmitterLife)
{
    CDX9KelParticlesSystem* s = Read(Moving());
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    Frame(0);
    Frame(1000);
    EXPECT_FLOAT_EQ(e->m_fEmitterStartTime, 0.0f);
    s->StopParticles();
    EXPECT_FALSE(e->m_bEnabled);
    EXPECT_FLOAT_EQ(e->m_fEmitterStartTime, -1.0f);
    EXPECT_EQ(e->m_dwLiveCount, 1u);  // kept, not drawn
    std::vector<CDX9KelBasePSEmitter*> drawn;
    s->CollectActiveEmitters(drawn);
    EXPECT_TRUE(drawn.empty());
    Frame(1000);
    EXPECT_FLOAT_EQ(s->m_fClock, 1.0f);  // a stopped system does not run
    s->StartParticles();
    Frame(1000);
    EXPECT_FLOAT_EQ(e->m_fEmitterStartTime, 2.0f);
    s->SetParticlesBirth(false);
    EXPECT_FALSE(e->m_bBirth);
}

TEST_F(Manager, ASystemInTheSlotOfAStoppedOneRunsAndAStartedOneRunsAgain)
{
    CDX9KelParticlesSystem* stopped = Read(Moving(), "stopped");
    ASSERT_NE(stopped, nullptr) << Log();
    Frame(0);
    stopped->Stop();
    Frame(500);
    Frame(500);  // passed over from here on
    EXPECT_FLOAT_EQ(stopped->m_fClock, 0.0f);
    stopped->Start();
    Frame(500);
    EXPECT_FLOAT_EQ(stopped->m_fClock, 0.5f);

    stopped->Stop();
    Frame(500);
    const int slot = stopped->m_iSlotIndex;
    ASSERT_TRUE(m_manager.ReleaseResource(stopped));
    CDX9KelParticlesSystem* next = Read(Moving(), "next");
    ASSERT_NE(next, nullptr) << Log();
    ASSERT_EQ(next->m_iSlotIndex, slot);
    Frame(500);
    Frame(500);
    EXPECT_FLOAT_EQ(next->m_fClock, 1.0f);
    EXPECT_NEAR(next->m_vEmitters[0]->m_vParticles[0].mWorld._42, 1.0f, 1e-5f);
}

TEST_F(Manager, TheSystemMatrixPlacesEmittersByTheirInfluence)
{
    // The system turned about z (a roll) and moved; the emitter follows the
    // position only, the heading only, or the whole matrix.
    D3DXMATRIX roll, yaw, move, w;
    D3DXMatrixRotationZ(&roll, 0.5f);
    D3DXMatrixRotationY(&yaw, 1.0f);
    D3DXMatrixTranslation(&move, 3.0f, 4.0f, 5.0f);
    w = roll * yaw * move;
    for (int influence : {0, 1, 2}) {
        SCOPED_TRACE(influence);
        CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
            "EmitterPoint", "A", "<SystemInfluenceToAxes>" + std::to_string(influence) + "</SystemInfluenceToAxes>")),
            ("i" + std::to_string(influence)).c_str());
        ASSERT_NE(s, nullptr) << Log();
        s->m_mWorld = w;
        s->m_bChanged = true;
        Frame(16);
        EXPECT_FALSE(s->m_bChanged);
        const D3DXMATRIX& e = s->m_vEmitters[0]->m_mWorld;
        EXPECT_FLOAT_EQ(e._41, 3.0f);
        EXPECT_FLOAT_EQ(e._43, 5.0f);
        if (influence == 0) {
            EXPECT_FLOAT_EQ(e._11, 1.0f);
            EXPECT_FLOAT_EQ(e._22, 1.0f);
        } else if (influence == 2) {
            EXPECT_FLOAT_EQ(e._22, 1.0f);
            EXPECT_FLOAT_EQ(e._12, 0.0f);
            EXPECT_NEAR(e._31, std::sin(1.0f), 1e-5f);
            EXPECT_NEAR(e._33, std::cos(1.0f), 1e-5f);
        } else {
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(e.m[r][c], w.m[r][c]);
        }
    }
}

} // namespace
} // namespace ParticlesTest
