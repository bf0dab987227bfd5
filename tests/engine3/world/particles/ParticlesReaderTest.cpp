// The particle-system reader: the demo files, defaults and limits of every
// element, and the files it refuses with their messages.
#include "ParticlesTestSupport.h"

#include "engine3/core/resources/CDX9KelGraphicResources.h"

namespace ParticlesTest {
namespace {

using Reader = ParticlesFixture;

CDX9KelBasePSEmitter* Only(CDX9KelParticlesSystem* s)
{
    return s && s->m_vEmitters.size() == 1 ? s->m_vEmitters[0] : nullptr;
}

template <class T>
T* Effector(CDX9KelBasePSEmitter* e, const char* name)
{
    for (CDX9KelBasePSEffector* f : e->m_vEffectors)
        if (f && f->m_strName == name) return dynamic_cast<T*>(f);
    return nullptr;
}

TEST_F(Reader, TheDemoFilesReadWithTheirTexturesFramesAndEffectors)
{
    LinkDemoFolders();
    const std::string dir = std::string(VORNA_BIN_DIR) + "/Particles/";

    CDX9KelBasePSEmitter* smoke = Only(m_manager.CreatePSFromFile((dir + "smoke.xml").c_str(), "smoke"));
    ASSERT_NE(smoke, nullptr) << Log();
    EXPECT_EQ(smoke->m_iKind, KEL_PS_EMITTER_POINT);
    EXPECT_EQ(smoke->m_dwMaxParticles, 64u);
    EXPECT_EQ(smoke->m_dwParticlesToCreation, 2u);
    EXPECT_EQ(smoke->m_dwParticlesToRelease, 4u);
    EXPECT_TRUE(smoke->m_bCameraDistanceSort);
    EXPECT_TRUE(smoke->m_bDeflection);
    EXPECT_EQ(smoke->m_iSystemInfluenceToAxes, 0);
    ASSERT_NE(smoke->m_Params.pTexture, nullptr);
    EXPECT_EQ(smoke->m_Params.pTexture->m_dwWidth, 64u);
    EXPECT_NE(smoke->m_Params.pEffect, nullptr);
    EXPECT_FLOAT_EQ(smoke->m_Params.fHalfWidth, 1.0f);
    EXPECT_FLOAT_EQ(smoke->m_Params.fHalfHeightVariation, -1.0f);
    EXPECT_FLOAT_EQ(smoke->m_Params.Color.a, 204.0f / 255.0f);
    EXPECT_EQ(smoke->m_vEffectors.size(), 3u);
    auto* grow = Effector<CDX9KelPSEffectorCommonScale>(smoke, "Grow");
    ASSERT_NE(grow, nullptr);
    EXPECT_FLOAT_EQ(grow->m_fEndHalfWidth, 3.0f);

    CDX9KelBasePSEmitter* fire = Only(m_manager.CreatePSFromFile((dir + "fire.xml").c_str(), "fire"));
    ASSERT_NE(fire, nullptr) << Log();
    ASSERT_EQ(fire->m_iKind, KEL_PS_EMITTER_BOX);
    auto* box = static_cast<CDX9KelPSEmitterBox*>(fire);
    EXPECT_FLOAT_EQ(box->m_vBordersMin.x, -0.6f);
    EXPECT_FLOAT_EQ(box->m_vBordersMax.y, 0.3f);
    EXPECT_EQ(fire->m_dwDestBlend, static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(fire->m_Params.dwFramesCount, 16u);
    EXPECT_EQ(fire->m_Params.dwFrameColumns, 4u);
    EXPECT_EQ(fire->m_Params.dwFrameRows, 4u);
    ASSERT_EQ(fire->m_Params.vFrames.size(), 16u);
    EXPECT_FLOAT_EQ(fire->m_Params.vFrames[5].u0, 0.25f);
    EXPECT_FLOAT_EQ(fire->m_Params.vFrames[5].v0, 0.25f);
    auto* flicker = Effector<CDX9KelPSEffectorCommonFrames>(fire, "Flicker");
    ASSERT_NE(flicker, nullptr);
    EXPECT_FLOAT_EQ(flicker->m_fEndTime, 1.0f);

    CDX9KelBasePSEmitter* spray = Only(m_manager.CreatePSFromFile((dir + "spray.xml").c_str(), "spray"));
    ASSERT_NE(spray, nullptr) << Log();
    EXPECT_TRUE(spray->m_bVariation);
    EXPECT_FLOAT_EQ(spray->m_fStartVelocityVariation, 2.0f);
    auto* drag = Effector<CDX9KelPSEffectorMovementAccelFromStartSpeed>(spray, "Drag");
    ASSERT_NE(drag, nullptr);
    EXPECT_FLOAT_EQ(drag->m_fAcceleration, -0.5f);
    EXPECT_TRUE(drag->m_bUseParticleDir);
    EXPECT_FLOAT_EQ(drag->m_fEndSpeed, KEL_PS_NO_END_SPEED);
}

TEST_F(Reader, MissingOptionalElementsKeepTheirDefaults)
{
    CDX9KelBasePSEmitter* e = Only(Read(SystemXml(EmitterXml("EmitterPoint", "A", ""))));
    ASSERT_NE(e, nullptr) << Log();
    EXPECT_TRUE(e->m_bEnabled);
    EXPECT_FLOAT_EQ(e->m_fEmitterLife, 0.0f);
    EXPECT_EQ(e->m_iSystemInfluenceToAxes, 1);
    EXPECT_FALSE(e->m_bCameraDistanceSort);
    EXPECT_EQ(e->m_dwSrcBlend, 5u);
    EXPECT_EQ(e->m_dwDestBlend, 6u);
    EXPECT_EQ(e->m_dwAlphaRef, 0u);
    EXPECT_EQ(e->m_Params.pEffect, nullptr);
    EXPECT_TRUE(e->m_Params.bCameraInfluence);
    EXPECT_FALSE(e->m_Params.bParentInfluence);
    EXPECT_EQ(e->m_Params.iCameraInfluenceType, 0);
    EXPECT_FLOAT_EQ(e->m_Params.ColorVariation.a, 0.0f);
    EXPECT_FALSE(e->m_bDeflection);
    EXPECT_FALSE(e->m_bVariation);
    // No frame elements: the whole texture is the one frame.
    EXPECT_TRUE(e->m_Params.vFrames.empty());
    EXPECT_FLOAT_EQ(e->m_Params.FirstFrame.u1, 1.0f);
    EXPECT_FLOAT_EQ(e->m_Params.FirstFrame.v1, 1.0f);
    EXPECT_FLOAT_EQ(e->m_Params.fHalfWidth, 1.0f);
    EXPECT_FLOAT_EQ(e->m_Params.fHalfHeight, 2.0f);
}

TEST_F(Reader, OddValuesAreCappedIgnoredOrQuantisedAsTheFormatSays)
{
    const std::string extra =
        "<ParticlesToCreation>50</ParticlesToCreation>"
        "<StartVelocity>1</StartVelocity><StartVelocityVariation>3</StartVelocityVariation>"
        "<StartDeflectionMinAngleXoY>4.0</StartDeflectionMinAngleXoY>"
        "<SRCBLEND>99</SRCBLEND><AlphaRef>300</AlphaRef>"
        "<FramesCount>8</FramesCount><FrameWidth>0</FrameWidth><FrameHeight>64</FrameHeight>"
        "<ParticleWidth>-3</ParticleWidth><ParticleHeight>-3</ParticleHeight>"
        "<ParticleHeightVariation>-0.5</ParticleHeightVariation>"
        "<ParticleColor><a>0.5</a><r>2</r><g>-1</g><b>0.2</b></ParticleColor>";
    const std::string effectors =
        "<CommonFrames Name=\"F\"><StartTime>2</StartTime><EndTime>2</EndTime></CommonFrames>"
        "<UniqueMovementAcellFromStartSpeed Name=\"U\"><Acceleration>2.5</Acceleration><EndSpeed/>"
        "</UniqueMovementAcellFromStartSpeed>"
        "<CommonColor Name=\"C\"/>"
        "<CommonScale Name=\"S\"><ParticleEndWidth>-1</ParticleEndWidth><ParticleEndHeight>3</ParticleEndHeight>"
        "</CommonScale>";
    CDX9KelBasePSEmitter* e = Only(Read(SystemXml(EmitterXml("EmitterPoint", "A", extra, effectors))));
    ASSERT_NE(e, nullptr) << Log();
    EXPECT_EQ(e->m_dwParticlesToCreation, 20u);      // capped at MaxParticles
    EXPECT_FALSE(e->m_bVariation);                   // variation above the speed
    EXPECT_FALSE(e->m_bDeflection);                  // more than pi
    EXPECT_EQ(e->m_dwSrcBlend, 5u);                  // not a blend value
    EXPECT_EQ(e->m_dwAlphaRef, 0u);                  // not a byte
    EXPECT_TRUE(e->m_Params.vFrames.empty());        // zero frame width refused
    EXPECT_FLOAT_EQ(e->m_Params.fHalfWidth, 0.0f);   // negative width refused
    EXPECT_FLOAT_EQ(e->m_Params.fHalfHeight, 1.5f);  // height taken as its size
    EXPECT_FLOAT_EQ(e->m_Params.fHalfHeightVariation, -1.0f);
    EXPECT_FLOAT_EQ(e->m_Params.Color.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(e->m_Params.Color.r, 1.0f);
    EXPECT_FLOAT_EQ(e->m_Params.Color.g, 0.0f);
    EXPECT_FLOAT_EQ(e->m_Params.Color.b, 51.0f / 255.0f);
    auto* frames = Effector<CDX9KelPSEffectorCommonFrames>(e, "F");
    ASSERT_NE(frames, nullptr);
    EXPECT_FLOAT_EQ(frames->m_fStartTime, 2.0f);
    EXPECT_FLOAT_EQ(frames->m_fEndTime, -1.0f);
    auto* afss = Effector<CDX9KelPSEffectorMovementAccelFromStartSpeed>(e, "U");
    ASSERT_NE(afss, nullptr);
    EXPECT_FLOAT_EQ(afss->m_fAcceleration, 1.0f);
    EXPECT_FLOAT_EQ(afss->m_fEndSpeed, -1.0f);
    auto* color = Effector<CDX9KelPSEffectorCommonColor>(e, "C");
    ASSERT_NE(color, nullptr);
    EXPECT_FLOAT_EQ(color->m_EndColor.r, 255.0f);
    EXPECT_FLOAT_EQ(color->m_EndColor.a, 255.0f);
    auto* scale = Effector<CDX9KelPSEffectorCommonScale>(e, "S");
    ASSERT_NE(scale, nullptr);
    EXPECT_FLOAT_EQ(scale->m_fEndHalfWidth, 0.0f);
    EXPECT_FLOAT_EQ(scale->m_fEndHalfHeight, 1.5f);
}

TEST_F(Reader, DeflectionWithoutTextSwitchesDeflectionOnWithThatBound)
{
    CDX9KelBasePSEmitter* e = Only(Read(SystemXml(EmitterXml(
        "EmitterBox", "A", "<StartDeflectionMinAngleXoY/><BordersMin x=\"1\" z=\"-2\"/>"))));
    ASSERT_NE(e, nullptr) << Log();
    EXPECT_TRUE(e->m_bDeflection);
    EXPECT_FLOAT_EQ(e->m_fMinXoY, -1.0f);
    auto* box = static_cast<CDX9KelPSEmitterBox*>(e);
    EXPECT_FLOAT_EQ(box->m_vBordersMin.x, 1.0f);
    EXPECT_FLOAT_EQ(box->m_vBordersMin.y, 0.0f);
    EXPECT_FLOAT_EQ(box->m_vBordersMin.z, -2.0f);
}

struct Refusal {
    const char* what;
    std::string xml;
    const char* message;
};

TEST_F(Reader, BadFilesAreRefusedWithTheirMessages)
{
    const char* base = "CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not load base emitter data";
    std::vector<Refusal> cases;
    for (const char* required : {"CreationInterval", "ReleaseInterval", "MaxParticles", "ParticlesToCreation",
                                 "ParticlesToRelease", "Texture", "ParticleWidth", "ParticleHeight", "ParticleColor",
                                 "Life", "AnimationSpeed"})
        cases.push_back({required, SystemXml(EmitterXml("EmitterPoint", "A", "", "", required)), base});
    for (const char* count : {"<MaxParticles/>", "<MaxParticles>0</MaxParticles>", "<MaxParticles>-5</MaxParticles>",
                              "<MaxParticles>100000000</MaxParticles>", "<MaxParticles>65537</MaxParticles>"})
        cases.push_back({count, SystemXml(EmitterXml("EmitterPoint", "A", count)), base});
    cases.push_back({"empty texture", SystemXml(EmitterXml("EmitterPoint", "A", "<Texture></Texture>")), base});
    cases.push_back({"missing texture file",
                     SystemXml(EmitterXml("EmitterPoint", "A", "<Texture>no\\such.tga</Texture>")), base});
    cases.push_back({"unknown emitter", SystemXml("<EmitterCone Name=\"A\"/>"),
                     "CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not found compatible emitter type"});
    cases.push_back({"unnamed emitter", SystemXml(EmitterXml("EmitterPoint", "", "")),
                     "CDX9KelParticlesSystemsManager::CreateEmitterPoint() : not name"});
    cases.push_back({"unknown effector", SystemXml(EmitterXml("EmitterPoint", "A", "", "<CommonWobble Name=\"W\"/>")),
                     "CDX9KelParticlesSystemsManager::CreateEffectorFromFile() : not found compatible effector type"});
    cases.push_back({"duplicate effector",
                     SystemXml(EmitterXml("EmitterPoint", "A", "", "<CommonScale Name=\"S\"/><CommonColor Name=\"S\"/>")),
                     "CDX9KelParticlesSystemsManager::CreateEffectorCommonColorForEmitter() : AddEffector failed"});
    cases.push_back({"second emitter fails",
                     SystemXml(EmitterXml("EmitterPoint", "A", "") + EmitterXml("EmitterBox", "B", "", "", "Life")),
                     base});
    cases.push_back({"duplicate emitter name",
                     SystemXml(EmitterXml("EmitterPoint", "A", "") + EmitterXml("EmitterBox", "A", "")),
                     "CDX9KelParticlesSystem::AddEmitter() : not unique name"});
    cases.push_back({"not XML", "<ParticlesSystem><Emitters>",
                     "CDX9KelParticlesSystemsManager::CreatePSFromFile() : xml file not read : "});
    cases.push_back({"too deep", std::string(100, '<') + "a>", "xml file not read"});

    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = m_manager.m_vResources.size() - m_manager.m_vFreeSlots.size();
        EXPECT_EQ(Read(c.xml), nullptr);
        EXPECT_NE(Log().find(c.message), std::string::npos) << Log();
        // Nothing of the refused file stays registered.
        EXPECT_EQ(m_manager.m_vResources.size() - m_manager.m_vFreeSlots.size(), before);
    }
    // A document without the root element yields nothing, silently.
    EXPECT_EQ(Read("<Other/>"), nullptr);
}

TEST_F(Reader, CommentsAreSkippedWhereverChildrenAreWalked)
{
    CDX9KelParticlesSystem* s = Read(SystemXml("<!-- one -->" + EmitterXml("EmitterPoint", "A", "",
                                                                            "<!-- two --><CommonScale Name=\"S\"/>")));
    ASSERT_NE(s, nullptr) << Log();
    ASSERT_EQ(s->m_vEmitters.size(), 1u);
    EXPECT_EQ(s->m_vEmitters[0]->m_vEffectors.size(), 1u);
}

} // namespace
} // namespace ParticlesTest
