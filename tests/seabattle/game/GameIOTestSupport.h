#pragma once
// A headless engine scene (offscreen device, particle and physics managers)
// with a game IO whose data folders lie in a fresh test folder, so readers
// run on fixture files written by the test, or on the demo data set.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "seabattle/game/CVR3GAMEIO.h"

namespace VornaGameTest {

inline const bool g_Headless = [] {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    return true;
}();

// "folders.ini" naming every game data folder under "Data/" of the program
// folder, as the demo data set lays them out.
constexpr const char* kFoldersIni =
    "[Graphic Data]\nEffects=Data\\Effects\\\nModels=Data\\Models\\\nTextures=Data\\Textures\\\n"
    "Particles=Particles\\\n"
    "[Game Data]\nScene_Objects=Data\\Scene_Objects\\\nMovement_Objects=Data\\Movement_Objects\\\n"
    "Animated_Objects=Data\\Animated_Objects\\\nBattle_Objects=Data\\Battle_Objects\\\n"
    "Artillery_Objects=Data\\Artillery_Objects\\\nInformation_Objects=Data\\Information_Objects\\\n"
    "Maps_Environments=Data\\Maps_Environments\\\nBattle_Maps=Data\\Battle_Maps\\\n"
    "Harbour_Maps=Data\\Harbour_Maps\\\nArtillery_Lists=Data\\Artillery_Lists\\\nScenarios=Data\\Scenarios\\\n"
    "Duel=Data\\Duel\\\n"
    "[Sound Data]\nSources=Sound\\Sources\\\n"
    "[User Data]\nUserSaves=Saves\\\n";

class GameIOFixture : public ::testing::Test {
protected:
    static constexpr const char* kEngineIni =
        "[Grafic Settings]\nFullScreen=0\nWidth=160\nHeight=120\nRefreshRate=0\nAnisotropy=1\n"
        "ReflRefrTexture=128\nShadersLevel=2\nWaterType=0\n";

    void SetUp() override {
        Platform::SetClock(&m_clock);
        m_dir = VornaTest::FreshFolder();
        Vorna3D::g_Log.Reset();
        Vorna3D::g_Log.Open((m_dir / "Vorna3Log.log").c_str());
        Vorna3D::RegisterParticlesSceneSlot();
        Vorna3D::RegisterPhysicsSceneSlot();
    }
    void TearDown() override {
        delete m_pIO;
        m_pIO = nullptr;
        m_engine.Release();
        Vorna3D::g_Log.Reset();
        Platform::SetClock(nullptr);
    }
    // The engine up to a started scene and the IO on the test folder; false
    // when no device can be had.
    bool Start() {
        VornaTest::WriteText(m_dir / "engine.ini", kEngineIni);
        m_pScene = new Vorna3D::CDX9KelScene();
        m_engine.m_pScene = m_pScene;
        m_engine.SetDataFolder(m_dir.string() + "/");
        if (!m_engine.InitInterfaces() || !m_engine.InitDevice()) return false;
        m_pScene->m_strScreenshotFolder = (m_dir / "Screenshots").string() + "/";
        if (!m_pScene->Init()) return false;
        m_pIO = new SeaBattle::CVR3GAMEIO();
        m_pIO->m_pScene = m_pScene;
        VornaTest::WriteText(m_dir / "folders.ini", kFoldersIni);
        m_pIO->InitFrom((m_dir / "folders.ini").string(), m_dir.string() + "/", m_dir.string() + "/");
        return true;
    }
    // Writes a file into one of the IO's data folders.
    void Put(SeaBattle::CVR3GAMEIO::EFolder folder, const std::string& name, const std::string& text) {
        VornaTest::WriteText(Platform::NativePath(m_pIO->MakePath(folder, name.c_str())), text);
    }
    // Links the demo data set's folders (beside the programs) into the test folder.
    void LinkDemoData() {
        namespace fs = std::filesystem;
        const fs::path bin(VORNA_BIN_DIR);
        for (const char* sub : {"Data", "Particles", "Sound", "Effects", "Language"}) {
            std::error_code ec;
            if (fs::exists(bin / sub) && !fs::exists(fs::symlink_status(m_dir / sub)))
                fs::create_symlink(bin / sub, m_dir / sub, ec);
        }
    }
    std::string Log() { return VornaTest::ReadText(m_dir / "Vorna3Log.log"); }

    Platform::ManualClock m_clock;
    std::filesystem::path m_dir;
    Vorna3D::CDX9KelEngine m_engine;
    Vorna3D::CDX9KelScene* m_pScene = nullptr; // owned by the engine
    SeaBattle::CVR3GAMEIO* m_pIO = nullptr;
};

} // namespace VornaGameTest
