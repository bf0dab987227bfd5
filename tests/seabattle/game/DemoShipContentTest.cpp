// The demo ship types hold together: their scene objects load with the
// units the animated objects name, every part names a frame of the hull
// model, damage parts, platforms and artillery parts agree one for one and
// gun for gun, every gun tag is in the gun list, and every file a ship
// names exists.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tinyxml.h>

#include "GameIOTestSupport.h"
#include "TestFolder.h"
#include "common/DemoData.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Paths.h"

using SeaBattle::CVR3GAMEIO;
using namespace Vorna3D;

namespace {

class DemoShipContent : public VornaGameTest::GameIOFixture {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        // The demo's own folders.ini, beside the program.
        m_pIO->InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), m_dir.string() + "/");
    }
    const TiXmlElement* Root(CVR3GAMEIO::EFolder folder, const std::string& name, TiXmlDocument& doc) {
        const std::string path = Platform::NativePath(m_pIO->MakePath(folder, name.c_str()));
        EXPECT_TRUE(doc.LoadFile(path.c_str())) << path;
        return doc.RootElement();
    }
    bool Exists(CVR3GAMEIO::EFolder folder, const char* name) {
        return Platform::FileExists(m_pIO->MakePath(folder, name));
    }
    static std::vector<const TiXmlElement*> Children(const TiXmlElement* e) {
        std::vector<const TiXmlElement*> out;
        for (const TiXmlElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            out.push_back(c);
        return out;
    }
    static std::string Text(const TiXmlElement* parent, const char* name) {
        const TiXmlElement* e = parent ? parent->FirstChildElement(name) : nullptr;
        return e && e->GetText() ? e->GetText() : "";
    }
    // Every part and sub-part names a frame of the model; returns the count
    // of sub-parts of the platform (its guns).
    void CheckFrames(const TiXmlElement* part, CDX9KelModel* model, const std::string& ship) {
        EXPECT_NE(model->GetFrameMatrixByName(part->Value()), nullptr) << ship << ": no frame " << part->Value();
        for (const TiXmlElement* sub : Children(part->FirstChildElement("AnimatedParts"))) CheckFrames(sub, model, ship);
        for (const char* f : {"ParticlesHitSceneObject", "ParticlesMissSceneObject"}) {
            if (part->FirstChildElement(f)) {
                EXPECT_TRUE(Exists(CVR3GAMEIO::FOLDER_SCENE_OBJECTS, Text(part, f).c_str())) << ship << " " << f;
            }
        }
        for (const char* f : {"SoundFileRotation", "SoundFileShot", "SoundFileHit", "SoundFileMiss"}) {
            if (part->FirstChildElement(f)) {
                EXPECT_TRUE(Exists(CVR3GAMEIO::FOLDER_SOURCES, Text(part, f).c_str())) << ship << " " << f;
            }
        }
        for (const char* list : {"ParticlesShot", "ParticlesFire"})
            for (const TiXmlElement* ps : Children(part->FirstChildElement(list)))
                EXPECT_TRUE(Exists(CVR3GAMEIO::FOLDER_PARTICLES, ps->GetText())) << ship << " " << ps->GetText();
    }
};

TEST_F(DemoShipContent, EveryShipTypeHoldsTogether) {
    TiXmlDocument gunsDoc;
    std::set<std::string> tags;
    for (const TiXmlElement* t : Children(Root(CVR3GAMEIO::FOLDER_ARTILLERY_LISTS, "demo_guns.artlstxml", gunsDoc))) {
        EXPECT_LT(std::string(t->Value()).size(), 20u);
        tags.insert(t->Value());
    }
    EXPECT_GE(tags.size(), 2u);

    for (const std::string ship : {"ram", "cruiser"}) {
        SCOPED_TRACE(ship);
        TiXmlDocument shipDoc, anmDoc, btlDoc, artDoc;
        ASSERT_TRUE(shipDoc.LoadFile((Platform::ProgramFolder() + "Data/Ships/" + ship + "_ship.xml").c_str()));
        const TiXmlElement* element = shipDoc.RootElement();
        const struct {
            const char* element;
            CVR3GAMEIO::EFolder folder;
        } files[] = {{"SceneObjectFile", CVR3GAMEIO::FOLDER_SCENE_OBJECTS},
                     {"MovementObjectFile", CVR3GAMEIO::FOLDER_MOVEMENT_OBJECTS},
                     {"AnimatedObjectFile", CVR3GAMEIO::FOLDER_ANIMATED_OBJECTS},
                     {"BattleObjectFile", CVR3GAMEIO::FOLDER_BATTLE_OBJECTS},
                     {"ArtilleryObjectFile", CVR3GAMEIO::FOLDER_ARTILLERY_OBJECTS},
                     {"InfoObjectFile", CVR3GAMEIO::FOLDER_INFORMATION_OBJECTS}};
        for (const auto& f : files) EXPECT_TRUE(Exists(f.folder, Text(element, f.element).c_str())) << f.element;

        CDX9KelSceneObject* object = m_pIO->CreateSceneObjectFromFile((ship + ".scobjxml").c_str());
        ASSERT_NE(object, nullptr) << Log();
        ASSERT_FALSE(object->m_vLODs.empty());
        EXPECT_NE(object->m_pCollisionModel, nullptr);
        const TiXmlElement* anm = Root(CVR3GAMEIO::FOLDER_ANIMATED_OBJECTS, ship + ".anmobjxml", anmDoc);
        ASSERT_NE(anm, nullptr);
        // The units the animated object binds by name, each of the right kind.
        CDX9KelModel* hull = nullptr;
        const struct {
            const char* name;
            int kind;
        } named[] = {{"ShipModelName", KEL_UNIT_MODEL},
                     {"FlagModelName", KEL_UNIT_MODEL},
                     {"PipeSmokeName", KEL_UNIT_PARTICLE_SYSTEM},
                     {"PropellerFoamyTrace", KEL_UNIT_PARTICLE_SYSTEM},
                     {"SideFoamyTrace", KEL_UNIT_PARTICLE_SYSTEM}};
        for (const auto& n : named) {
            CDX9KelSceneUnit* found = nullptr;
            for (CDX9KelSceneUnit* u : object->m_vLODs[0].m_vUnits)
                if (u && u->m_strName == Text(anm, n.name)) found = u;
            ASSERT_NE(found, nullptr) << n.name;
            EXPECT_EQ(found->m_iKind, n.kind) << n.name;
            if (n.kind == KEL_UNIT_MODEL && !hull) hull = static_cast<CDX9KelModel*>(found);
        }
        // Two paints: clean and battle-worn, one per damage level.
        EXPECT_EQ(hull->m_vTextureGroups.size(), 2u);
        EXPECT_EQ(Children(anm->FirstChildElement("DamageLevels")).size(), 2u);

        const auto platons = Children(anm->FirstChildElement("Platons"));
        for (const char* list : {"Platons", "Propellers", "Rudders"}) {
            EXPECT_FALSE(Children(anm->FirstChildElement(list)).empty()) << list;
            for (const TiXmlElement* p : Children(anm->FirstChildElement(list))) CheckFrames(p, hull, ship);
        }
        for (const char* f : {"SoundFileFire", "SoundFileFlooding"})
            EXPECT_TRUE(Exists(CVR3GAMEIO::FOLDER_SOURCES, Text(anm, f).c_str())) << f;
        for (const TiXmlElement* s : Children(anm->FirstChildElement("SoundFilesEngine")))
            EXPECT_TRUE(Exists(CVR3GAMEIO::FOLDER_SOURCES, s->GetText()));
        EXPECT_TRUE(Exists(CVR3GAMEIO::FOLDER_SCENE_OBJECTS, Text(anm, "SceneObjectPSFlooding").c_str()));

        // One for one: damage parts, platforms, artillery parts; gun for gun.
        const auto damageParts = Children(Root(CVR3GAMEIO::FOLDER_BATTLE_OBJECTS, ship + ".btlobjxml", btlDoc)
                                              ->FirstChildElement("Parts"));
        const auto artilleryParts = Children(Root(CVR3GAMEIO::FOLDER_ARTILLERY_OBJECTS, ship + ".artobjxml", artDoc)
                                                 ->FirstChildElement("Parts"));
        ASSERT_EQ(damageParts.size(), 9u);
        ASSERT_EQ(platons.size(), damageParts.size());
        ASSERT_EQ(artilleryParts.size(), damageParts.size());
        size_t guns = 0;
        for (size_t i = 0; i < damageParts.size(); ++i) {
            const auto partGuns = Children(damageParts[i]->FirstChildElement("Guns"));
            EXPECT_EQ(Children(platons[i]->FirstChildElement("AnimatedParts")).size(), partGuns.size()) << i;
            EXPECT_EQ(Children(artilleryParts[i]->FirstChildElement("Guns")).size(), partGuns.size()) << i;
            for (const TiXmlElement* g : partGuns) EXPECT_TRUE(tags.count(g->Value())) << g->Value();
            for (const TiXmlElement* g : Children(artilleryParts[i]->FirstChildElement("Guns")))
                EXPECT_NE(g->FirstChildElement("BobmardAngles"), nullptr);
            EXPECT_NE(artilleryParts[i]->FirstChildElement("Center"), nullptr);
            guns += partGuns.size();
        }
        // Guns to fight with, on a ship that can sink.
        EXPECT_GE(guns, 4u);
        m_pIO->DeleteSceneObject(object);
    }
    // The effect objects the ships name load as well.
    for (const char* f : {"shell_hit.scobjxml", "shell_splash.scobjxml", "flooding.scobjxml"}) {
        CDX9KelSceneObject* o = m_pIO->CreateSceneObjectFromFile(f);
        EXPECT_NE(o, nullptr) << f << Log();
        m_pIO->DeleteSceneObject(o);
    }
}

} // namespace
