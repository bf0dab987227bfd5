// Emitters and effectors on the manager's clock: births, releases, motion,
// camera facing, quads, colours, frames and the frame table.
#include "ParticlesTestSupport.h"

#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/scene/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ParticlesTest {
namespace {

using Emitters = ParticlesFixture;

DWORD Live(const CDX9KelBasePSEmitter* e)
{
    return static_cast<DWORD>(std::count_if(e->m_vParticles.begin(), e->m_vParticles.end(),
                                            [](const PSParticle& p) { return p.bAlive; }));
}

TEST_F(Emitters, BirthsTickEveryUpdateAndStopAtAnEmptyPool)
{
    // CreationInterval 0: a tick at every update; 3 births per tick into a
    // pool of 7; particles live long.
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterPoint", "A", "<MaxParticles>7</MaxParticles><ParticlesToCreation>3</ParticlesToCreation>")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    const DWORD expected[] = {3, 6, 7, 7};
    for (DWORD want : expected) {
        Frame(100);
        EXPECT_EQ(e->m_dwLiveCount, want);
        EXPECT_EQ(Live(e), want);
        EXPECT_EQ(e->m_vFreeList.size(), 7u - want);
    }
    // Slot 0 was taken first.
    EXPECT_TRUE(e->m_vParticles[0].bAlive);
    EXPECT_FLOAT_EQ(e->m_vParticles[0].fBirthTime, 0.0f);
    EXPECT_FLOAT_EQ(e->m_vParticles[6].fBirthTime, 0.2f);
}

TEST_F(Emitters, ParticlesDieOnlyAtReleaseTicksOlderThanLifeWithinTheBudget)
{
    // One birth per second, Life 1 s, a release tick every 2 s that frees at
    // most one particle.
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterPoint", "A",
        "<CreationInterval>1</CreationInterval><ReleaseInterval>2</ReleaseInterval>"
        "<ParticlesToRelease>1</ParticlesToRelease><Life>1</Life>")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    // Clock seconds 0 .. 6, one frame each.
    std::vector<DWORD> live;
    Frame(0);  // the first frame only starts the clock: t = 0
    live.push_back(e->m_dwLiveCount);
    for (int i = 0; i < 6; ++i) {
        Frame(1000);
        live.push_back(e->m_dwLiveCount);
    }
    // t=0 born #1 (release clock starts); t=1 #2; t=2 #3, tick due: #1 (age 2) dies;
    // t=3 #4; t=4 #5, tick: one of #2..#4 dies; t=5 #6; t=6 #7, tick: one dies.
    EXPECT_EQ(live, (std::vector<DWORD>{1, 2, 2, 3, 3, 4, 4}));
    EXPECT_FLOAT_EQ(e->m_fLastReleaseTime, 6.0f);
}

TEST_F(Emitters, EmitterLifeSwitchesTheEmitterOffAndHidesItsParticles)
{
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml("EmitterPoint", "A", "<EmitterLife>5</EmitterLife>")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    Frame(0);
    for (int i = 0; i < 5; ++i) Frame(1000);
    EXPECT_TRUE(e->m_bEnabled);
    Frame(1000);
    EXPECT_FALSE(e->m_bEnabled);
    EXPECT_GT(e->m_dwLiveCount, 0u);
    std::vector<CDX9KelBasePSEmitter*> drawn;
    s->CollectActiveEmitters(drawn);
    EXPECT_TRUE(drawn.empty());
    // The system notices at its next update that nothing runs any more.
    Frame(1000);
    EXPECT_FALSE(s->m_bRunning);
}

TEST_F(Emitters, ParticlesMoveWithTheirStartSpeedAndTheMovementEffector)
{
    // Straight up at 2 units/s, pushed along +x by an acceleration of 1.
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterPoint", "A",
        "<MaxParticles>1</MaxParticles><StartDirection><x>0</x><y>3</y><z>0</z></StartDirection>"
        "<StartVelocity>2</StartVelocity><ParticleCameraInfluence>0</ParticleCameraInfluence>",
        "<CommonMovement Name=\"M\"><Movement><x>1</x><y>0</y><z>0</z></Movement><Velocity>0</Velocity>"
        "<Acceleration>1</Acceleration></CommonMovement>")));
    ASSERT_NE(s, nullptr) << Log();
    D3DXMATRIX placed;
    D3DXMatrixTranslation(&placed, 10.0f, 0.0f, 5.0f);
    s->m_mWorld = placed;
    Frame(0);
    const PSParticle& p = s->m_vEmitters[0]->m_vParticles[0];
    ASSERT_TRUE(p.bAlive);
    EXPECT_FLOAT_EQ(p.mWorld._41, 10.0f);
    for (int i = 0; i < 10; ++i) Frame(100);
    // Nothing draws it: the steps are applied when asked.
    s->m_vEmitters[0]->Settle();
    // One second in steps of 0.1 s: y = 2; x gains 0.1 x (0.1 + ... + 1.0).
    EXPECT_NEAR(p.mWorld._42, 2.0f, 1e-4f);
    EXPECT_NEAR(p.mWorld._41, 10.0f + 0.55f, 1e-4f);
    EXPECT_NEAR(p.mWorld._43, 5.0f, 1e-6f);
    EXPECT_NEAR(p.vVelocity.x, 1.0f, 1e-5f);
}

TEST_F(Emitters, BoxBirthsLieInTheBoxPlacedByTheEmitter)
{
    m_random = Platform::SequenceRandom({0x00000000u, 0x40000000u, 0xC0000000u});
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterBox", "A",
        "<MaxParticles>1</MaxParticles><BordersMin x=\"-2\" y=\"0\" z=\"-4\"/><BordersMax x=\"2\" y=\"8\" z=\"4\"/>"
        "<ParticleCameraInfluence>0</ParticleCameraInfluence>")));
    ASSERT_NE(s, nullptr) << Log();
    D3DXMatrixTranslation(&s->m_mWorld, 100.0f, 0.0f, 0.0f);
    Frame(0);
    const PSParticle& p = s->m_vEmitters[0]->m_vParticles[0];
    EXPECT_FLOAT_EQ(p.mWorld._41, 98.0f);  // x at the start of its range
    EXPECT_FLOAT_EQ(p.mWorld._42, 2.0f);   // y a quarter in
    EXPECT_FLOAT_EQ(p.mWorld._43, 2.0f);   // z three quarters in
}

TEST_F(Emitters, DeflectionTurnsAnUpwardDirectionAboutZThenXThenY)
{
    // Random draws in order: about Y (XoZ), about Z (XoY), about X (ZoY);
    // the middle of each range.
    CDX9KelPSEmitterPoint e;
    e.m_vStartDirection = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    e.SetStartDeflectionMinXoY(0.2f);
    e.SetStartDeflectionMaxXoY(0.2f + 1e-6f);
    e.SetStartDeflectionMinZoY(0.3f);
    e.SetStartDeflectionMaxZoY(0.3f + 1e-6f);
    e.SetStartDeflectionMinXoZ(0.5f);
    e.SetStartDeflectionMaxXoZ(0.5f + 1e-6f);
    e.m_dwMaxParticles = 1;
    e.m_dwParticlesToCreation = 1;
    e.InitParticles();
    e.EmitParticles(0.0f);
    D3DXVECTOR3 want(0.0f, 1.0f, 0.0f);
    RotateVec3AroundZ(&want, 0.2f);
    RotateVec3AroundX(&want, 0.3f);
    RotateVec3AroundY(&want, 0.5f);
    const D3DXVECTOR3& d = e.m_vParticles[0].vDirection;
    EXPECT_NEAR(d.x, want.x, 1e-5f);
    EXPECT_NEAR(d.y, want.y, 1e-5f);
    EXPECT_NEAR(d.z, want.z, 1e-5f);
}

// The quad's corners C +- hw R +- hh L of the one live particle.
std::vector<D3DXVECTOR3> Quad(const CDX9KelBasePSEmitter* e)
{
    std::vector<D3DXVECTOR3> v;
    for (int i = 0; i < 4; ++i) v.emplace_back(e->m_vVertices[i].x, e->m_vVertices[i].y, e->m_vVertices[i].z);
    return v;
}

TEST_F(Emitters, CameraFacingTurnsTheQuadTowardsTheCameraInEachMode)
{
    struct Case {
        int type;
        D3DXVECTOR3 eye;
    };
    for (const Case c : {Case{0, D3DXVECTOR3(0, 0, -20)}, Case{0, D3DXVECTOR3(20, 10, 5)},
                         Case{1, D3DXVECTOR3(0, 0, -20)}, Case{2, D3DXVECTOR3(0, 0, -20)}}) {
        SCOPED_TRACE(c.type);
        const D3DXVECTOR3 target(0, 0, 0);
        ASSERT_TRUE(m_pCamera->SetPosition(&c.eye, &target));
        CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
            "EmitterPoint", "A",
            "<MaxParticles>1</MaxParticles><CameraInfluenceType>" + std::to_string(c.type) +
                "</CameraInfluenceType>")), ("t" + std::to_string(c.type) + std::to_string(int(c.eye.x))).c_str());
        ASSERT_NE(s, nullptr) << Log();
        Frame(16);
        CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
        e->FillVertices();
        const std::vector<D3DXVECTOR3> q = Quad(e);
        D3DXVECTOR3 r = q[0] - q[2], l = q[0] - q[1], n;
        D3DXVec3Cross(&n, &r, &l);
        D3DXVec3Normalize(&n, &n);
        // Half sizes 1 and 2: the edges keep their lengths.
        EXPECT_NEAR(D3DXVec3Length(&r), 2.0f, 1e-4f);
        EXPECT_NEAR(D3DXVec3Length(&l), 4.0f, 1e-4f);
        const D3DXVECTOR3 look = m_pCamera->m_vViewDir;
        if (c.type == 0 || c.type == 1) {
            // The quad lies across the line of sight.
            EXPECT_NEAR(std::fabs(D3DXVec3Dot(&n, &look)), 1.0f, 1e-3f);
        } else {
            // Upright: the height edge stays vertical, the width edge level.
            EXPECT_NEAR(std::fabs(l.y), 4.0f, 1e-3f);
            EXPECT_NEAR(r.y, 0.0f, 1e-4f);
        }
        // Texture corners: (u max, v min), (u max, v max), (u min, v min), (u min, v max).
        EXPECT_FLOAT_EQ(e->m_vVertices[0].u, 1.0f);
        EXPECT_FLOAT_EQ(e->m_vVertices[1].v, 1.0f);
        EXPECT_FLOAT_EQ(e->m_vVertices[2].u, 0.0f);
        EXPECT_EQ(e->m_vVertices[3].color, 0xFFFFFFFFu);
    }
}

TEST_F(Emitters, UpdatesMoveTheParticlesAndTheDrawingTurnsThemOncePerUpdate)
{
    // Facing type 0 with the camera off the particle's up axis.
    const D3DXVECTOR3 eye(20, 10, 5), target(0, 0, 0);
    ASSERT_TRUE(m_pCamera->SetPosition(&eye, &target));
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterPoint", "A",
        "<MaxParticles>1</MaxParticles><StartDirection><x>0</x><y>1</y><z>0</z></StartDirection>"
        "<StartVelocity>1</StartVelocity>")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    const PSParticle& p = e->m_vParticles[0];
    Frame(0);
    Frame(100);
    // Not drawn: moved (once the noted steps are applied), not turned.
    e->Settle();
    EXPECT_NEAR(p.mWorld._42, 0.1f, 1e-5f);
    EXPECT_FLOAT_EQ(p.mWorld._22, 1.0f);
    e->FillVertices();
    const D3DXMATRIX turned = p.mWorld;
    EXPECT_NEAR(D3DXVec3Dot(reinterpret_cast<const D3DXVECTOR3*>(&turned._21), &m_pCamera->m_vViewDir), -1.0f, 1e-3f);
    // A second fill of the same update (another pass) turns nothing more.
    D3DXMATRIX tilted = turned;
    RotateMatrixLocalZ(&tilted, 0.3f);
    e->m_vParticles[0].mWorld = tilted;
    e->FillVertices();
    EXPECT_EQ(std::memcmp(&p.mWorld, &tilted, sizeof tilted), 0);
    // The next update's fill turns it again.
    Frame(16);
    e->FillVertices();
    EXPECT_NEAR(D3DXVec3Dot(reinterpret_cast<const D3DXVECTOR3*>(&p.mWorld._21), &m_pCamera->m_vViewDir), -1.0f, 1e-3f);
}

TEST_F(Emitters, NotedStepsDrawTheSameParticlesAsStepsTakenAtOnce)
{
    // Each case's emitter twice: as it is, and with a frames effector whose
    // window closes, which makes every step run at once. Births, releases,
    // places, speeds, colours and sizes must match bit for bit, whether the
    // noted emitter is drawn now and then or only at the end.
    struct Case {
        const char* what;
        std::string extra;
        std::string effectors;
        bool spin;
    };
    const std::string common =
        "<MaxParticles>12</MaxParticles><CreationInterval>0.05</CreationInterval><ParticlesToCreation>2</ParticlesToCreation>"
        "<ReleaseInterval>0.05</ReleaseInterval><ParticlesToRelease>3</ParticlesToRelease><Life>0.4</Life>"
        "<StartDirection><x>0.3</x><y>1</y><z>0.2</z></StartDirection><StartVelocity>3</StartVelocity>"
        "<ParticleCameraInfluence>0</ParticleCameraInfluence>";
    const Case cases[] = {
        {"drag, gravity and fading", common,
         "<UniqueMovementAcellFromStartSpeed Name=\"D\"><Acceleration>-0.5</Acceleration><UseParticleDir>1</UseParticleDir>"
         "</UniqueMovementAcellFromStartSpeed>"
         "<CommonMovement Name=\"G\"><Movement><x>0</x><y>-1</y><z>0</z></Movement><Acceleration>9.8</Acceleration>"
         "</CommonMovement>"
         "<CommonColor Name=\"C\"><EndColor><a>0</a><r>0.2</r><g>0.4</g><b>1</b></EndColor></CommonColor>",
         false},
        {"windows that open late and close, growth", common,
         "<CommonMovement Name=\"W\"><Movement><x>1</x><y>0</y><z>0</z></Movement><Acceleration>2</Acceleration>"
         "<StartTime>0.1</StartTime><EndTime>0.25</EndTime></CommonMovement>"
         "<UniqueMovementAcellFromStartSpeed Name=\"D\"><Acceleration>0.3</Acceleration><StartTime>0.05</StartTime>"
         "<EndTime>0.2</EndTime><EndSpeed>0.5</EndSpeed></UniqueMovementAcellFromStartSpeed>"
         "<CommonScale Name=\"S\"><ParticleEndWidth>6</ParticleEndWidth><StartTime>0.1</StartTime></CommonScale>",
         false},
        {"under a moving parent, spinning", common + "<ParticleParentInfluence>1</ParticleParentInfluence>",
         "<CommonMovement Name=\"G\"><Movement><x>0</x><y>-1</y><z>0</z></Movement><Acceleration>4</Acceleration>"
         "</CommonMovement>",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string forced = "<CommonFrames Name=\"F\"><StartTime>0</StartTime><EndTime>5</EndTime></CommonFrames>";
        CDX9KelParticlesSystem* noted = Read(SystemXml(EmitterXml("EmitterPoint", "A", c.extra, c.effectors)), "noted");
        CDX9KelParticlesSystem* atOnce =
            Read(SystemXml(EmitterXml("EmitterPoint", "A", c.extra, c.effectors + forced)), "at_once");
        ASSERT_TRUE(noted && atOnce) << Log();
        CDX9KelBasePSEmitter* a = noted->m_vEmitters[0];
        CDX9KelBasePSEmitter* b = atOnce->m_vEmitters[0];
        if (c.spin) {
            for (CDX9KelBasePSEmitter* e : {a, b}) {
                auto* spin = new CDX9KelPSEffectorCommonSpin();
                spin->m_strName = "R";
                spin->m_fSpinSpeed = 1.5f;
                ASSERT_TRUE(e->AddEffector(spin));
            }
        }
        Frame(0);
        for (int i = 1; i <= 60; ++i) {
            // The parent moves and turns under the particles.
            D3DXMATRIX place;
            D3DXMatrixRotationY(&place, 0.05f * static_cast<float>(i));
            place._41 = 0.3f * static_cast<float>(i);
            for (CDX9KelParticlesSystem* sys : {noted, atOnce}) {
                sys->m_mWorld = place;
                sys->m_bChanged = true;
            }
            Frame(17);
            if (i % 25 == 0) a->FillVertices();  // drawn now and then
        }
        a->FillVertices();
        b->FillVertices();
        EXPECT_EQ(a->m_dwLiveCount, b->m_dwLiveCount);
        EXPECT_EQ(a->m_vFreeList, b->m_vFreeList);
        ASSERT_GT(a->m_dwLiveCount, 0u);
        for (std::size_t i = 0; i < a->m_vParticles.size(); ++i) {
            const PSParticle& p = a->m_vParticles[i];
            const PSParticle& q = b->m_vParticles[i];
            ASSERT_EQ(p.bAlive, q.bAlive) << "slot " << i;
            if (!p.bAlive) continue;
            EXPECT_EQ(std::memcmp(&p.mWorld, &q.mWorld, sizeof p.mWorld), 0) << "slot " << i;
            EXPECT_EQ(std::memcmp(&p.vVelocity, &q.vVelocity, sizeof p.vVelocity), 0) << "slot " << i;
            EXPECT_EQ(std::memcmp(&p.Color, &q.Color, sizeof p.Color), 0) << "slot " << i;
            EXPECT_EQ(p.fHalfWidth, q.fHalfWidth) << "slot " << i;
            EXPECT_EQ(p.fHalfHeight, q.fHalfHeight) << "slot " << i;
        }
        // The corners and colours drawn (the texture rectangles differ by the
        // frames effector).
        for (std::size_t v = 0; v < 4u * a->m_dwLiveCount; ++v) {
            const PSVertex& x = a->m_vVertices[v];
            const PSVertex& y = b->m_vVertices[v];
            ASSERT_TRUE(x.x == y.x && x.y == y.y && x.z == y.z && x.color == y.color) << "vertex " << v;
        }
        m_manager.ReleaseResource(noted);
        m_manager.ReleaseResource(atOnce);
    }
}

TEST_F(Emitters, DistanceSortDrawsFarParticlesFirstAndKeepsTheFreeList)
{
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterPoint", "A",
        "<MaxParticles>4</MaxParticles><CameraDistanceSort>1</CameraDistanceSort>"
        "<StartDirection><x>0</x><y>0</y><z>-1</z></StartDirection><StartVelocity>10</StartVelocity>"
        "<CreationInterval>0.1</CreationInterval>")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    Frame(0);
    Frame(100);
    Frame(100);  // three particles, the oldest nearest the camera at z = -20
    ASSERT_EQ(e->m_dwLiveCount, 3u);
    e->FillVertices();
    float previous = 1e30f;
    for (DWORD i = 0; i < 3; ++i) {
        const float z = (e->m_vVertices[4 * i].z + e->m_vVertices[4 * i + 3].z) / 2.0f;
        const float d = (z + 20.0f) * (z + 20.0f);
        EXPECT_LE(d, previous);
        previous = d;
    }
    EXPECT_TRUE(e->m_vParticles[0].bAlive && !e->m_vParticles[3].bAlive);
    EXPECT_EQ(e->m_vFreeList, (std::vector<DWORD>{3}));
}

TEST_F(Emitters, ColourRunsToTheEndColourAndFramesStepThroughTheTable)
{
    // Life 2 s; colour from white to (0, 0.5, 1, 0); eight frames over the
    // first second of the particle's life.
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml(
        "EmitterPoint", "A",
        "<MaxParticles>1</MaxParticles><Life>2</Life><ReleaseInterval>100</ReleaseInterval>"
        "<FramesCount>8</FramesCount><FrameWidth>64</FrameWidth><FrameHeight>64</FrameHeight>",
        "<CommonColor Name=\"C\"><EndColor><a>0</a><r>0</r><g>0.5</g><b>1</b></EndColor></CommonColor>"
        "<CommonFrames Name=\"F\"><StartTime>0</StartTime><EndTime>1</EndTime></CommonFrames>")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    ASSERT_EQ(e->m_Params.vFrames.size(), 8u);
    Frame(0);
    const PSParticle& p = e->m_vParticles[0];
    Frame(500);
    EXPECT_EQ(p.dwFrame, 3u);  // 7 x 0.5 = 3.5
    EXPECT_FLOAT_EQ(p.Rect.u0, 0.75f);
    EXPECT_FLOAT_EQ(p.Rect.v0, 0.0f);
    Frame(500);
    EXPECT_NEAR(p.Color.r, 0.5f, 1e-5f);
    EXPECT_NEAR(p.Color.g, 0.75f, 1e-5f);
    EXPECT_NEAR(p.Color.a, 0.5f, 1e-5f);
    EXPECT_EQ(PSPackColor(p.Color), 0x8080BFFFu);  // a 128, r 128, g 191, b 255
    // The frames window has closed: the last frame shown inside it stays.
    EXPECT_EQ(p.dwFrame, 3u);
    Frame(2000);  // age 3 s, not released yet
    EXPECT_FLOAT_EQ(p.Color.g, 0.5f);
    EXPECT_EQ(PSPackColor(p.Color), 0x000080FFu);
}

TEST_F(Emitters, EffectorsStayInRangeWhenTheirWindowHasNoLength)
{
    // Life 0 with a window from 0 (k = 0/0), and a window starting after the
    // life (t1 < t0): the blend is complete, never beyond the table.
    PSEmitterParams params;
    params.fLife = 0.0f;
    params.dwFramesCount = 4;
    params.vFrames.resize(4);
    for (int i = 0; i < 4; ++i) params.vFrames[i].u0 = static_cast<float>(i);
    PSParticle p;
    p.StartColor = D3DXCOLOR(1, 1, 1, 1);
    CDX9KelPSEffectorCommonFrames frames;
    CDX9KelPSEffectorCommonColor color;
    color.m_EndColor = D3DXCOLOR(0, 0, 0, -2);
    frames.Apply(&p, &params, 0.0f, 0.1f);
    color.Apply(&p, &params, 0.0f, 0.1f);
    EXPECT_EQ(p.dwFrame, 3u);
    EXPECT_FLOAT_EQ(p.Color.a, 0.0f);  // a negative alpha is drawn as 0
    EXPECT_EQ(PSPackColor(p.Color), 0x00000000u);

    CDX9KelPSEffectorCommonFrames late;
    late.m_fStartTime = 5.0f;
    params.fLife = 1.0f;
    late.Apply(&p, &params, 6.0f, 0.1f);
    EXPECT_EQ(p.dwFrame, 3u);
}

TEST_F(Emitters, MovementPushesOnlyTheParticleThatOpensTheWindow)
{
    PSEmitterParams params;
    CDX9KelPSEffectorCommonMovement push;
    push.m_fVelocity = 2.0f;
    push.m_vMovement = D3DXVECTOR3(0, 1, 0);
    PSParticle a, b;
    push.Apply(&a, &params, 1.0f, 0.1f);
    push.Apply(&b, &params, 1.0f, 0.1f);
    EXPECT_FLOAT_EQ(a.vVelocity.y, 2.0f);
    EXPECT_FLOAT_EQ(b.vVelocity.y, 0.0f);

    CDX9KelPSEffectorMovementAccelFromStartSpeed afss;
    afss.m_fEndTime = 1.0f;
    afss.m_vMovement = D3DXVECTOR3(1, 0, 0);
    PSParticle c;
    c.fStartSpeed = 3.0f;
    afss.Apply(&c, &params, 0.5f, 0.1f);
    afss.Apply(&c, &params, 1.5f, 0.1f);  // window ends, no end speed: unchanged
    EXPECT_FLOAT_EQ(c.vVelocity.x, 0.0f);
    afss.m_fEndSpeed = 0.5f;
    afss.Apply(&c, &params, 0.5f, 0.1f);
    afss.Apply(&c, &params, 1.5f, 0.1f);
    EXPECT_FLOAT_EQ(c.vVelocity.x, 1.5f);
}

TEST_F(Emitters, TheFrameTableFollowsTheTextureImage)
{
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml("EmitterPoint", "A", "")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    ASSERT_EQ(e->m_Params.pTexture->m_dwWidth, 256u);
    ASSERT_EQ(e->m_Params.pTexture->m_dwHeight, 128u);
    struct Case {
        int n, w, h;
        bool ok;
    };
    for (const Case c : {Case{8, 64, 64, true}, Case{9, 64, 64, false}, Case{1, 512, 64, false},
                         Case{0, 64, 64, false}, Case{1, 0, 64, false}, Case{1, 64, 0, false},
                         Case{-1, 64, 64, false}}) {
        SCOPED_TRACE(testing::Message() << c.n << " " << c.w << " " << c.h);
        EXPECT_EQ(e->SetFrames(c.n, c.w, c.h), c.ok);
        // A refused table leaves the last good one.
        EXPECT_EQ(e->m_Params.dwFrameColumns, 4u);
        EXPECT_EQ(e->m_Params.dwFrameRows, 2u);
        EXPECT_EQ(e->m_Params.vFrames.size(), 8u);
        EXPECT_FLOAT_EQ(e->m_Params.FirstFrame.u1, 0.25f);
        EXPECT_FLOAT_EQ(e->m_Params.FirstFrame.v1, 0.5f);
    }
}

TEST_F(Emitters, InitRefusesASecondCallAndResetEmptiesThePool)
{
    CDX9KelParticlesSystem* s = Read(SystemXml(EmitterXml("EmitterPoint", "A", "")));
    ASSERT_NE(s, nullptr) << Log();
    CDX9KelBasePSEmitter* e = s->m_vEmitters[0];
    EXPECT_FALSE(e->Init(m_pDevice));
    Frame(0);
    Frame(100);
    EXPECT_GT(e->m_dwLiveCount, 0u);
    e->ResetParticles();
    EXPECT_EQ(e->m_dwLiveCount, 0u);
    EXPECT_EQ(Live(e), 0u);
    EXPECT_EQ(e->m_vFreeList.size(), 20u);
    EXPECT_EQ(e->m_vFreeList.back(), 0u);
    EXPECT_FLOAT_EQ(e->m_fLastCreationTime, -1.0f);
    // Device loss: the vertex buffer goes and comes back.
    e->OnLost();
    EXPECT_EQ(e->m_pVB, nullptr);
    e->Restore(m_pDevice);
    EXPECT_NE(e->m_pVB, nullptr);
}

} // namespace
} // namespace ParticlesTest
