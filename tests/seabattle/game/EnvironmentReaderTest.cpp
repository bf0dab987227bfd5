// Map environments and the BaseMap block: the demo sea into the engine
// scene, the refusals that leave nothing behind, and the drawing of an
// environment from a map's list.
#include <gtest/gtest.h>

#include <set>
#include <tinyxml.h>

#include "GameIOTestSupport.h"
#include "common/DemoData.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/ocean/CDX9KelOceanWater.h"
#include "engine3/world/ocean/CVR3SkyArch.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"

using namespace SeaBattle;
using namespace Vorna3D;

namespace {

class EnvironmentReader : public VornaGameTest::GameIOFixture {
protected:
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        GameIOFixture::SetUp();
        ASSERT_TRUE(Start());
        // The demo's folders, but environments of the test's own.
        m_pIO->InitFrom(Platform::ProgramFolder() + "folders.ini", Platform::ProgramFolder(), m_dir.string() + "/");
        m_pIO->m_strFolders[CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS] = m_dir.string() + "/Env/";
        m_demo = VornaTest::ReadText(std::filesystem::path(VORNA_BIN_DIR) / "Data/Maps_Environments/demo_sea.mapenvxml");
        ASSERT_FALSE(m_demo.empty());
        Put(CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS, "demo_sea.mapenvxml", m_demo);
    }
    size_t GraphicObjects() {
        size_t n = 0;
        for (auto* r : m_pScene->GetGraphicsResManager()->m_pGraphObjectManager->m_vResources) n += r != nullptr;
        return n;
    }
    // The demo file with one piece of text replaced.
    std::string Demo(const std::string& from, const std::string& to) {
        std::string s = m_demo;
        const size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) s.replace(at, from.size(), to);
        return s;
    }
    // The demo file with one element of the root renamed, so it is missing.
    std::string Renamed(const std::string& element) {
        std::string s = m_demo;
        for (const std::string& tag : {"<" + element + ">", "</" + element + ">"}) {
            const size_t at = s.find(tag);
            EXPECT_NE(at, std::string::npos) << tag;
            s.insert(at + tag.size() - 1, "Gone");
        }
        return s;
    }
    std::string m_demo;
};

TEST_F(EnvironmentReader, DemoSeaComesUpRegisteredAndSwitchedOff) {
    const size_t before = GraphicObjects();
    CVR3GAMEMapBaseEnvironment* env = m_pIO->CreateMapEnvironmentFromFile("demo_sea.mapenvxml");
    ASSERT_NE(env, nullptr) << Log();
    EXPECT_EQ(env->m_strName, "demo_sea.mapenvxml");
    ASSERT_NE(env->m_pWater, nullptr);
    ASSERT_NE(env->m_pSky, nullptr);
    EXPECT_EQ(GraphicObjects(), before + 2);
    // Left for the map to switch on.
    EXPECT_FALSE(env->m_pWater->m_bEnabled);
    EXPECT_FALSE(env->m_pSky->m_bEnabled);
    EXPECT_FLOAT_EQ(env->m_pWater->GetAmplitude(), 1.2f);
    EXPECT_FLOAT_EQ(env->m_pWater->m_vWaterColor.y, 0.28f);
    EXPECT_FLOAT_EQ(env->m_fUnderWaterFogDistance, 1.5f);
    EXPECT_FLOAT_EQ(env->m_fReflectionFogDistance, 0.1f);
    EXPECT_FLOAT_EQ(env->m_vDirection.z, 0.65f);
    EXPECT_FLOAT_EQ(env->m_Diffuse.g, 0.96f);
    EXPECT_FLOAT_EQ(env->m_SunColor.b, 0.7f);
    EXPECT_FLOAT_EQ(env->m_fSunPosTheta, 0.5f);
    EXPECT_FLOAT_EQ(env->m_fSunShininess, 200.0f);
    EXPECT_EQ(env->m_pLight, m_pScene->m_pLightManager->GetFirstLight());
    // Switched on, the light takes the file's sun.
    ActivateMapEnvironment(env, true);
    EXPECT_TRUE(env->m_pWater->m_bEnabled);
    CVR3GAMEBaseMap map;
    map.m_pEnvironment = env;
    ReleaseMapEnvironment(&map);
    EXPECT_EQ(map.m_pEnvironment, nullptr);
}

TEST_F(EnvironmentReader, OptionalValuesAndTheirLimits) {
    const struct {
        const char* what;
        std::string from, to;
        float amplitude, underFog, reflectionFog;
    } cases[] = {
        {"strength 0 refused", "<WavesStrength>1.2</WavesStrength>", "<WavesStrength>0</WavesStrength>", 2.0f, 1.5f,
         0.1f},
        {"strength 6 refused", "<WavesStrength>1.2</WavesStrength>", "<WavesStrength>6</WavesStrength>", 2.0f, 1.5f,
         0.1f},
        {"strength 5 taken", "<WavesStrength>1.2</WavesStrength>", "<WavesStrength>5</WavesStrength>", 5.0f, 1.5f,
         0.1f},
        {"no fog distances",
         "<UnderWaterFogDistance>1.5</UnderWaterFogDistance>\n    <ReflectionFogDistance>0.1</ReflectionFogDistance>", "",
         1.2f, 1.0f, 0.1f},
    };
    for (const auto& c : cases) {
        Put(CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS, "v.mapenvxml", Demo(c.from, c.to));
        CVR3GAMEMapBaseEnvironment* env = m_pIO->CreateMapEnvironmentFromFile("v.mapenvxml");
        ASSERT_NE(env, nullptr) << c.what;
        EXPECT_FLOAT_EQ(env->m_pWater->GetAmplitude(), c.amplitude) << c.what;
        EXPECT_FLOAT_EQ(env->m_fUnderWaterFogDistance, c.underFog) << c.what;
        EXPECT_FLOAT_EQ(env->m_fReflectionFogDistance, c.reflectionFog) << c.what;
        env->Release();
        delete env;
    }
}

TEST_F(EnvironmentReader, RefusedEnvironmentsLeaveNothingBehind) {
    const size_t before = GraphicObjects();
    const struct {
        const char* what;
        std::string text;
        const char* logged;
    } cases[] = {
        {"no Water", Renamed("Water"), "LoadMapEnvironmentFromXML() : CreateMapBaseEnvironmentFromXML() failed"},
        {"no Sky", Renamed("Sky"), "CreateMapBaseEnvironmentFromXML() failed"},
        {"no Light", Renamed("Light"), "CreateMapBaseEnvironmentFromXML() failed"},
        {"a sky texture that is missing", Demo("<SkyTexture>sky.dds</SkyTexture>", "<SkyTexture>no.dds</SkyTexture>"),
         "CreateMapBaseEnvironmentFromXML() failed"},
        {"another root", "<Environment/>", "CreateMapEnvironmentFromFile() : LoadMapEnvironmentFromXML() failed"},
        {"not XML", "<BaseEnvironment>", "CreateMapEnvironmentFromFile() : xml file not read : "},
    };
    for (const auto& c : cases) {
        Put(CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS, "bad.mapenvxml", c.text);
        const size_t mark = Log().size();
        EXPECT_EQ(m_pIO->CreateMapEnvironmentFromFile("bad.mapenvxml"), nullptr) << c.what;
        EXPECT_NE(Log().substr(mark).find(c.logged), std::string::npos) << c.what << "\n" << Log().substr(mark);
        EXPECT_EQ(GraphicObjects(), before) << c.what;
    }
    const size_t mark = Log().size();
    EXPECT_EQ(m_pIO->CreateMapEnvironmentFromFile("demo_sea.mapenvbin"), nullptr);
    EXPECT_EQ(Log().substr(mark).find("CVR3GAMEIO"), std::string::npos);
    EXPECT_EQ(m_pIO->CreateMapEnvironmentFromFile("demo_sea.mapenv"), nullptr);
    EXPECT_NE(Log().find("CVR3GAMEIO::CreateMapEnvironmentFromFile() : file expansion parser not defined\n"),
              std::string::npos);
}

TEST_F(EnvironmentReader, TheSeaIsHeardFromASoundWhoseNameSaysSo) {
    // The sound manager on OpenAL's null device.
    CVR3SOUNDManager& sound = CVR3SOUNDManager::Get();
    CDX9KelCameraManager listener;
    ASSERT_TRUE(sound.Init(&listener, (m_dir / "engine.ini").c_str())) << Log();
    const struct {
        const char* name;
        bool heard;
    } cases[] = {{"deep sea waves", true}, {"Sea", false}, {"seagulls", true}, {"waves", false}};
    for (const auto& c : cases) {
        Put(CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS, "s.mapenvxml",
            Demo("name=\"open sea waves\"", std::string("name=\"") + c.name + "\""));
        CVR3GAMEMapBaseEnvironment* env = m_pIO->CreateMapEnvironmentFromFile("s.mapenvxml");
        ASSERT_NE(env, nullptr) << c.name;
        EXPECT_EQ(static_cast<bool>(env->m_AmbientSound), c.heard) << c.name;
        if (c.heard) {
            EXPECT_TRUE(env->m_AmbientSound.Is3D());
        }
        env->m_AmbientSound.Delete();
        env->Release();
        delete env;
    }
    // A sound element without its distances makes no sound.
    Put(CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS, "s.mapenvxml", Demo("<MaxDistance>500</MaxDistance>", ""));
    CVR3GAMEMapBaseEnvironment* env = m_pIO->CreateMapEnvironmentFromFile("s.mapenvxml");
    ASSERT_NE(env, nullptr);
    EXPECT_FALSE(static_cast<bool>(env->m_AmbientSound));
    env->Release();
    delete env;
    sound.Release();
}

TEST_F(EnvironmentReader, TheSeaSoundGoesWithItsEnvironment) {
    // A map's release must leave no sea sound behind: one battle after the
    // other would otherwise pile up sources that follow the camera.
    CVR3SOUNDManager& sound = CVR3SOUNDManager::Get();
    CDX9KelCameraManager listener;
    ASSERT_TRUE(sound.Init(&listener, (m_dir / "engine.ini").c_str())) << Log();
    const size_t before = sound.GetSourceCount();
    for (int battle = 0; battle < 2; ++battle) {
        CVR3GAMEBaseMap map;
        TiXmlDocument doc;
        doc.Parse("<BaseMap><Environment><E>demo_sea.mapenvxml</E></Environment></BaseMap>");
        ASSERT_TRUE(m_pIO->LoadBaseMapFromXML(&map, doc.RootElement(), nullptr)) << Log();
        ASSERT_NE(map.m_pEnvironment, nullptr);
        const SoundHandle sea = map.m_pEnvironment->m_AmbientSound;
        ASSERT_TRUE(sea.IsAlive()) << battle;
        ActivateMapEnvironment(map.m_pEnvironment, true);
        ReleaseMapEnvironment(&map);
        sound.RegisterPendingSources();
        sound.ThreadPass(timeGetTime());
        EXPECT_FALSE(sea.IsAlive()) << battle;
        EXPECT_EQ(sound.GetSourceCount(), before) << battle;
    }
    sound.Release();
}

TEST_F(EnvironmentReader, BaseMapBlockFillsTheRecordAndDrawsAnEnvironment) {
    Put(CVR3GAMEIO::FOLDER_MAPS_ENVIRONMENTS, "other.mapenvxml", m_demo);
    auto load = [&](const std::string& body, const char* imposed, CVR3GAMEBaseMap& map) {
        TiXmlDocument doc;
        doc.Parse(("<BaseMap>" + body + "</BaseMap>").c_str());
        return m_pIO->LoadBaseMapFromXML(&map, doc.RootElement(), imposed);
    };
    {
        CVR3GAMEBaseMap map;
        const size_t trees = m_pScene->m_vSceneTrees.size();
        ASSERT_TRUE(load("<Name></Name><MinBorders x=\"-300\" y=\"-10\" z=\"-300\"/><MaxBorders x=\"300\" y=\"10\" "
                         "z=\"300\"/><NodeSize>150</NodeSize><ActiveCamera><Distance>35</Distance>"
                         "<StartAngles x=\"0.5\" y=\"0.7\"/><ProcRotate>0</ProcRotate></ActiveCamera>"
                         "<Environment><!-- c --><E1>demo_sea.mapenvxml</E1></Environment>",
                         nullptr, map))
            << Log();
        EXPECT_EQ(map.m_strName, "NONAME");
        EXPECT_EQ(map.m_iSceneTreeIndex, static_cast<int>(trees));
        ASSERT_EQ(m_pScene->m_vSceneTrees.size(), trees + 1);
        EXPECT_EQ(m_pScene->m_vSceneTrees.back()->m_strName, "NONAME");
        EXPECT_FLOAT_EQ(map.m_vMaxBorders.z, 300.0f);
        EXPECT_FLOAT_EQ(map.m_fDistance, 35.0f);
        EXPECT_FLOAT_EQ(map.m_vStartAngles.y, 0.7f);
        EXPECT_FALSE(map.m_bProcRotate);
        EXPECT_TRUE(map.m_bProcMove);
        EXPECT_FLOAT_EQ(map.m_vMinMaxHeight.y, 200.0f); // left as it was
        ASSERT_NE(map.m_pEnvironment, nullptr);
        EXPECT_EQ(map.m_pEnvironment->m_strName, "demo_sea.mapenvxml");
        ReleaseMapEnvironment(&map);
    }
    {
        // Empty entries are dropped; both others are drawn in time.
        std::set<std::string> drawn;
        for (int i = 0; i < 40 && drawn.size() < 2; ++i) {
            CVR3GAMEBaseMap map;
            ASSERT_TRUE(load("<Name>Strait</Name><Environment><A></A><B>demo_sea.mapenvxml</B><C/>"
                             "<D>other.mapenvxml</D></Environment>",
                             nullptr, map));
            EXPECT_EQ(map.m_strName, "Strait");
            drawn.insert(map.m_pEnvironment->m_strName);
            ReleaseMapEnvironment(&map);
        }
        EXPECT_EQ(drawn.size(), 2u);
    }
    {
        // An imposed file wins; one that fails falls back to the list quietly.
        CVR3GAMEBaseMap map;
        ASSERT_TRUE(load("<Environment><E>demo_sea.mapenvxml</E></Environment>", "other.mapenvxml", map));
        EXPECT_EQ(map.m_pEnvironment->m_strName, "other.mapenvxml");
        ReleaseMapEnvironment(&map);
        const size_t mark = Log().size();
        ASSERT_TRUE(load("<Environment><E>demo_sea.mapenvxml</E></Environment>", "gone.mapenvxml", map));
        EXPECT_EQ(map.m_pEnvironment->m_strName, "demo_sea.mapenvxml");
        EXPECT_EQ(Log().substr(mark).find("CVR3GAMEIO::LoadBaseMapFromXML"), std::string::npos);
        ReleaseMapEnvironment(&map);
    }
    const struct {
        const char* what;
        std::string body;
        const char* imposed;
        const char* logged;
    } failing[] = {
        {"no Environment", "<Name>X</Name>", "gone.mapenvxml", "not found Environment node"},
        {"an empty Environment", "<Environment></Environment>", nullptr, "not found Environment node"},
        {"only empty entries", "<Environment><A/><B></B></Environment>", nullptr, "environments files list not loaded"},
        {"a binary environment", "<Environment><A>sea.mapenvbin</A></Environment>", nullptr,
         "CVR3GAMEIO::LoadBaseMapFromXML() : CreateMapEnvironmentFromFile() failed"},
    };
    for (const auto& f : failing) {
        CVR3GAMEBaseMap map;
        const size_t mark = Log().size();
        EXPECT_FALSE(load(f.body, f.imposed, map)) << f.what;
        EXPECT_NE(Log().substr(mark).find(f.logged), std::string::npos) << f.what << "\n" << Log().substr(mark);
        EXPECT_EQ(map.m_pEnvironment, nullptr) << f.what;
    }
    CVR3GAMEBaseMap map;
    EXPECT_FALSE(m_pIO->LoadBaseMapFromXML(&map, nullptr, nullptr));
}

} // namespace
