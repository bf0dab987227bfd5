// Scene-object files: levels of detail, units, collision model, distance
// range, and the refusals that must give every loaded unit back.
#include <gtest/gtest.h>

#include <filesystem>

#include "GameIOTestSupport.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"

using SeaBattle::CVR3GAMEIO;
using namespace Vorna3D;

namespace {

class SceneObjectReader : public VornaGameTest::GameIOFixture {
protected:
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        namespace fs = std::filesystem;
        const fs::path bin(VORNA_BIN_DIR);
        fs::create_directories(m_dir / "Data/Models");
        fs::create_directories(m_dir / "Data/Effects");
        fs::create_directories(m_dir / "Data/Textures");
        fs::copy_file(bin / "Data/Models/hull.x", m_dir / "Data/Models/hull.x");
        fs::copy_file(bin / "Data/Effects/model.fx", m_dir / "Data/Effects/model.fx");
        fs::copy_file(bin / "Data/Textures/hull_diffuse.bmp", m_dir / "Data/Textures/hull_diffuse.bmp");
        // Particle files name their texture and effect from the program's
        // folder; the test programs lie beside the demo's one.
        std::string puff = VornaTest::ReadText(bin / "Particles/smoke.xml");
        for (const char* from : {"Textures\\", "Effects\\"})
            for (size_t at = puff.find(from); at != std::string::npos; at = puff.find(from, at + 8))
                puff.insert(at, "..\\bin\\");
        Put(CVR3GAMEIO::FOLDER_PARTICLES, "puff.xml", puff);
    }
    size_t Models() { return Held(m_pScene->GetGraphicsResManager()->m_pModelManager); }
    size_t Systems() { return Held(GetParticlesSystemsManager(m_pScene)); }
    static size_t Held(const CDX9KelBaseResourceManager* m) {
        size_t n = 0;
        for (const auto* r : m->m_vResources) n += r != nullptr;
        return n;
    }
    CDX9KelSceneObject* Load(const std::string& body) {
        Put(CVR3GAMEIO::FOLDER_SCENE_OBJECTS, "t.scobjxml", "<SceneObject>" + body + "</SceneObject>");
        return m_pIO->CreateSceneObjectFromFile("t.scobjxml");
    }
    static std::string Hull(const char* name = "Hull", const char* extra = "") {
        return std::string("<") + name + "><Model>hull.x</Model><Effect>model.fx</Effect>" + extra + "</" + name + ">";
    }
    static std::string Puff(const char* name = "Smoke") {
        return std::string("<") + name + "><PSFile>puff.xml</PSFile><Radius>2.5</Radius></" + name + ">";
    }
};

TEST_F(SceneObjectReader, LevelsUnitsCollisionAndRange) {
    const size_t models = Models();
    CDX9KelSceneObject* o = Load(
        "<LODs count=\"3\"><Near><Models>" + Hull("Hull", "<RenderInReflectionMap>0</RenderInReflectionMap>"
                                                          "<RenderFinal/><TexturesGroups><Clean><Layer1Main>"
                                                          "hull_diffuse.bmp</Layer1Main></Clean></TexturesGroups>"
                                                          "<Local><Position x=\"0\" y=\"1\" z=\"2\"/></Local>") +
        "</Models><ParticlesSystems>" + Puff() + "</ParticlesSystems></Near><!-- between -->"
        "<Far><Models>" + Hull("HullFar") + "</Models></Far></LODs>"
        "<CollisionModel><Model>hull.x</Model></CollisionModel><DistanceRange x=\"10\" y=\"300\"/>");
    ASSERT_NE(o, nullptr) << Log();
    EXPECT_EQ(o->m_strName, "t.scobjxml");
    ASSERT_EQ(o->m_vLODs.size(), 3u); // the count, the last level empty
    ASSERT_EQ(o->m_vLODs[0].m_vUnits.size(), 2u);
    ASSERT_EQ(o->m_vLODs[1].m_vUnits.size(), 1u); // the comment did not take a level
    EXPECT_TRUE(o->m_vLODs[2].m_vUnits.empty());
    CDX9KelSceneUnit* hull = o->m_vLODs[0].m_vUnits[0];
    EXPECT_EQ(hull->m_strName, "Hull");
    EXPECT_EQ(hull->m_iKind, KEL_UNIT_MODEL);
    EXPECT_FALSE(hull->m_bPasses[2]); // reflection off
    EXPECT_TRUE(hull->m_bPasses[3]);  // refraction untouched
    EXPECT_TRUE(hull->m_bPasses[4]);  // an empty flag element sets it
    EXPECT_FLOAT_EQ(hull->m_mLocal._42, 1.0f);
    EXPECT_EQ(static_cast<CDX9KelModel*>(hull)->m_vTextureGroups.size(), 1u);
    CDX9KelSceneUnit* smoke = o->m_vLODs[0].m_vUnits[1];
    EXPECT_EQ(smoke->m_strName, "Smoke");
    EXPECT_EQ(smoke->m_iKind, KEL_UNIT_PARTICLE_SYSTEM);
    EXPECT_EQ(o->m_vLODs[1].m_vUnits[0]->m_strName, "HullFar");
    ASSERT_NE(o->m_pCollisionModel, nullptr);
    EXPECT_FLOAT_EQ(o->m_fDistMin, 10.0f);
    EXPECT_FLOAT_EQ(o->m_fDistMax, 300.0f);
    EXPECT_GT(o->m_fRadius, 0.0f);
    EXPECT_EQ(Models(), models + 3);
    m_pIO->DeleteSceneObject(o);
    EXPECT_EQ(Models(), models);
}

TEST_F(SceneObjectReader, OptionalPartsAndTheirDefaults) {
    // No count: the units make the levels; no range: 50 / 100; a level with
    // neither list loads empty.
    CDX9KelSceneObject* o = Load("<LODs><A><Models>" + Hull() + "</Models></A><B/></LODs>");
    ASSERT_NE(o, nullptr) << Log();
    EXPECT_EQ(o->m_vLODs.size(), 1u);
    EXPECT_FLOAT_EQ(o->m_fDistMin, 50.0f);
    EXPECT_FLOAT_EQ(o->m_fDistMax, 100.0f);
    EXPECT_EQ(o->m_pCollisionModel, nullptr);
    m_pIO->DeleteSceneObject(o);

    // Only "x": farthest 0, refused as a range (nearest > farthest), so the
    // object keeps its constructor range.
    o = Load("<LODs/><DistanceRange x=\"30\"/>");
    ASSERT_NE(o, nullptr);
    EXPECT_FLOAT_EQ(o->m_fDistMax, CDX9KelSceneObject().m_fDistMax);
    m_pIO->DeleteSceneObject(o);
}

TEST_F(SceneObjectReader, TolerableFaultsAreLoggedAndTheObjectLoads) {
    const struct {
        const char* what;
        std::string body;
        const char* logged;
    } cases[] = {
        {"a count out of range", "<LODs count=\"-5\"><A><Models>" + Hull() + "</Models></A></LODs>",
         "LODs count out of range ignored : -5"},
        {"a huge count", "<LODs count=\"2000000000\"/>", "LODs count out of range ignored : 2000000000"},
        {"a texture group without layer", "<LODs><A><Models>" +
                                               Hull("Hull", "<TexturesGroups><Rusty/></TexturesGroups>") +
                                               "</Models></A></LODs>",
         "not create model texture group : Rusty"},
        {"a collision model that is missing",
         "<LODs/><CollisionModel><Model>none.x</Model></CollisionModel>",
         "CreateSceneObjectCollisionModelFromXML() failed"},
    };
    for (const auto& c : cases) {
        CDX9KelSceneObject* o = Load(c.body);
        ASSERT_NE(o, nullptr) << c.what;
        EXPECT_NE(Log().find(c.logged), std::string::npos) << c.what;
        EXPECT_LE(o->m_vLODs.size(), 1u) << c.what;
        m_pIO->DeleteSceneObject(o);
    }
}

TEST_F(SceneObjectReader, RefusedFilesGiveEveryUnitBack) {
    // The particle manager keeps the prototype of a file once read.
    m_pIO->DeleteSceneObject(Load("<LODs><A><ParticlesSystems>" + Puff() + "</ParticlesSystems></A></LODs>"));
    const size_t models = Models(), systems = Systems();
    const struct {
        const char* what;
        std::string text;
        const char* logged; // null: no line of its own
    } cases[] = {
        {"no root", "<Scene><LODs/></Scene>", nullptr},
        {"no LODs", "<SceneObject/>", "LODs not found in xml scene object"},
        {"a model without Effect",
         "<SceneObject><LODs><A><Models>" + Hull() + "<H2><Model>hull.x</Model></H2></Models></A></LODs></SceneObject>",
         "not create LOD number : 0"},
        {"a missing model file",
         "<SceneObject><LODs><A><Models>" + Hull() + "</Models></A><B><Models><X><Model>no.x</Model><Effect>model.fx"
         "</Effect></X></Models></B></LODs></SceneObject>",
         "not create LOD number : 1"},
        {"a particle unit without file",
         "<SceneObject><LODs><A><Models>" + Hull() + "</Models><ParticlesSystems>" + Puff() +
             "<P/></ParticlesSystems></A></LODs></SceneObject>",
         "not create LOD partiles system"},
        {"a text node where a level should be", "<SceneObject><LODs><A><Models>" + Hull() +
                                                    "</Models></A>stray</LODs></SceneObject>",
         "not create LOD number : 1"},
        {"a text node where a unit should be",
         "<SceneObject><LODs><A><Models>" + Hull() + "oops</Models></A></LODs></SceneObject>", "not create LOD model"},
        {"not XML", "<SceneObject><LODs>", "xml file not read : "},
    };
    for (const auto& c : cases) {
        Put(CVR3GAMEIO::FOLDER_SCENE_OBJECTS, "bad.scobjxml", c.text);
        const std::string before = Log();
        EXPECT_EQ(m_pIO->CreateSceneObjectFromFile("bad.scobjxml"), nullptr) << c.what;
        const std::string added = Log().substr(before.size());
        if (c.logged)
            EXPECT_NE(added.find(c.logged), std::string::npos) << c.what << "\n" << added;
        else
            EXPECT_EQ(added.find("CVR3GAMEIO"), std::string::npos) << c.what << "\n" << added;
        EXPECT_EQ(Models(), models) << c.what;
        EXPECT_EQ(Systems(), systems) << c.what;
    }
}

TEST_F(SceneObjectReader, NamesAndKindsOfFiles) {
    EXPECT_EQ(m_pIO->CreateSceneObjectFromFile(""), nullptr);
    EXPECT_EQ(Log().find("CreateSceneObjectFromFile"), std::string::npos);
    EXPECT_EQ(m_pIO->CreateSceneObjectFromFile("ship.scobj"), nullptr);
    EXPECT_NE(Log().find("CVR3GAMEIO::CreateSceneObjectFromFile() : file expansion parser not defined\n"),
              std::string::npos);
    // The binary key reads nothing: an empty object named after the file.
    CDX9KelSceneObject* o = m_pIO->CreateSceneObjectFromFile("nowhere.scobjbin");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->m_strName, "nowhere.scobjbin");
    EXPECT_TRUE(o->m_vLODs.empty());
    m_pIO->DeleteSceneObject(o);
    EXPECT_EQ(m_pIO->CreateSceneObjectFromFile("missing.scobjxml"), nullptr);
    EXPECT_NE(Log().find("xml file not read : " + m_pIO->MakePath(CVR3GAMEIO::FOLDER_SCENE_OBJECTS,
                                                                   "missing.scobjxml")),
              std::string::npos);
}

} // namespace
