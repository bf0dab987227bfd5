#pragma once
// One real device on a hidden window (SDL's offscreen driver) for the whole
// test program, the graphics resources on it, a camera, and a fresh particle
// systems manager per test on a manual clock. Fixture files are written
// under the build tree and named relative to the program's folder, as the
// game's files are.
#include "TestFolder.h"
#include "common/OffscreenDevice.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

namespace ParticlesTest {

using namespace Vorna3D;

// The device and what lives on it, made once and kept until the program
// ends (never released, so no exit-time order matters).
struct Gfx {
    VornaTest::OffscreenDevice* offscreen = nullptr;
    IDirect3DDevice9* device = nullptr;
    HWND hWnd = nullptr;
    CDX9KelGraphicsResManager* resources = nullptr;
    int width = 160;
    int height = 120;

    static Gfx& Get()
    {
        static Gfx gfx;
        if (!gfx.device) gfx.Create();
        return gfx;
    }
    void Create()
    {
        if (!offscreen) offscreen = new VornaTest::OffscreenDevice();
        if (!offscreen->Create(width, height, D3DFMT_D16)) return;
        device = offscreen->m_pDevice;
        hWnd = offscreen->m_hWnd;
        resources = new CDX9KelGraphicsResManager();
        resources->Init(device);
    }
};

// Writes an uncompressed 32-bit TGA of one colour.
inline void WriteTga(const std::filesystem::path& path, int w, int h, std::uint32_t argb)
{
    std::string data(18, '\0');
    data[2] = 2;
    data[12] = static_cast<char>(w & 0xFF);
    data[13] = static_cast<char>(w >> 8);
    data[14] = static_cast<char>(h & 0xFF);
    data[15] = static_cast<char>(h >> 8);
    data[16] = 32;
    data[17] = 0x28;
    for (int i = 0; i < w * h; ++i) {
        data.push_back(static_cast<char>(argb & 0xFF));
        data.push_back(static_cast<char>((argb >> 8) & 0xFF));
        data.push_back(static_cast<char>((argb >> 16) & 0xFF));
        data.push_back(static_cast<char>(argb >> 24));
    }
    VornaTest::WriteText(path, data);
}

// The fixture textures, and the name by which files reach them.
inline std::string FixtureTexture()
{
    static const std::filesystem::path folder = std::filesystem::path(VORNA_TEST_TMP) / "particle-fixtures";
    static bool written = false;
    if (!written) {
        // Test programs run in parallel and share this file: each writes its
        // own copy and renames it into place, so no reader sees a half file.
        const std::filesystem::path tmp = folder / ("tex256x128.tga." + std::to_string(::getpid()));
        WriteTga(tmp, 256, 128, 0xFFFFFFFFu);
        std::filesystem::rename(tmp, folder / "tex256x128.tga");
        written = true;
    }
    const std::filesystem::path rel =
        std::filesystem::relative(folder / "tex256x128.tga", std::filesystem::path(Platform::ProgramFolder()));
    return rel.string();
}

// The demo's data folders made visible beside this program, as the game
// finds them beside its own.
inline void LinkDemoFolders()
{
    for (const char* name : {"Textures", "Effects", "Particles"}) {
        const std::filesystem::path link = std::filesystem::path(Platform::ProgramFolder()) / name;
        if (!std::filesystem::exists(link)) {
            std::error_code error;
            std::filesystem::create_directory_symlink(std::filesystem::path(VORNA_BIN_DIR) / name, link, error);
        }
    }
}

// One emitter's XML: the required elements with workable values, then
// `extra` (placed before them, so an element given there is found first).
inline std::string EmitterXml(const std::string& kind, const std::string& name, const std::string& extra,
                              const std::string& effectors = "", const std::string& drop = "")
{
    const std::vector<std::pair<std::string, std::string>> required = {
        {"CreationInterval", "<CreationInterval>0</CreationInterval>"},
        {"ReleaseInterval", "<ReleaseInterval>0</ReleaseInterval>"},
        {"MaxParticles", "<MaxParticles>20</MaxParticles>"},
        {"ParticlesToCreation", "<ParticlesToCreation>1</ParticlesToCreation>"},
        {"ParticlesToRelease", "<ParticlesToRelease>20</ParticlesToRelease>"},
        {"Texture", "<Texture>" + FixtureTexture() + "</Texture>"},
        {"ParticleWidth", "<ParticleWidth>2</ParticleWidth>"},
        {"ParticleHeight", "<ParticleHeight>4</ParticleHeight>"},
        {"ParticleColor", "<ParticleColor><a>1</a><r>1</r><g>1</g><b>1</b></ParticleColor>"},
        {"Life", "<Life>10</Life>"},
        {"AnimationSpeed", "<AnimationSpeed>1</AnimationSpeed>"},
    };
    std::string s = "<" + kind + " Name=\"" + name + "\">" + extra;
    for (const auto& [element, text] : required)
        if (element != drop) s += text;
    if (!effectors.empty()) s += "<Effectors>" + effectors + "</Effectors>";
    return s + "</" + kind + ">";
}

inline std::string SystemXml(const std::string& emitters)
{
    return "<?xml version=\"1.0\"?><ParticlesSystem><Emitters>" + emitters + "</Emitters></ParticlesSystem>";
}

class ParticlesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Gfx& gfx = Gfx::Get();
        ASSERT_NE(gfx.device, nullptr) << "no GL device";
        m_pDevice = gfx.device;
        m_folder = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((m_folder / "Vorna3Log.log").c_str());
        Platform::SetClock(&m_clock);
        Platform::SetRandomSource(&m_random);
        auto* camera = new CDX9KelBaseCamera();
        ASSERT_TRUE(camera->Init("Main", 0, gfx.width, gfx.height, 1.0f, 1.0f));
        const D3DXVECTOR3 eye(0.0f, 0.0f, -20.0f), target(0.0f, 0.0f, 0.0f);
        ASSERT_TRUE(camera->SetPosition(&eye, &target));
        ASSERT_TRUE(m_cameras.AddCamera(camera));
        m_cameras.m_pActiveCamera = camera;
        m_pCamera = camera;
        ASSERT_TRUE(m_manager.Init(m_pDevice, &m_cameras));
        m_manager.SetGraphicsResManager(gfx.resources);
    }
    void TearDown() override
    {
        m_manager.ReleaseAll();
        Platform::SetClock(nullptr);
        Platform::SetRandomSource(nullptr);
    }

    // Writes the text as a file of this test and reads it as a system.
    CDX9KelParticlesSystem* Read(const std::string& xml, const char* name = "ps")
    {
        const std::filesystem::path path = m_folder / (std::string(name) + ".xml");
        VornaTest::WriteText(path, xml);
        return m_manager.CreatePSFromFile(path.c_str(), name);
    }
    std::string Log() const { return VornaTest::ReadText(m_folder / "Vorna3Log.log"); }
    // One frame `ms` after the last.
    void Frame(DWORD ms)
    {
        m_clock.Advance(ms);
        m_manager.Process();
    }

    IDirect3DDevice9* m_pDevice = nullptr;
    std::filesystem::path m_folder;
    Platform::ManualClock m_clock;
    // Random draws sit at the middle of every range: [a, b) gives (a + b) / 2.
    Platform::SequenceRandom m_random{{0x80000000u}};
    CDX9KelBaseCameraManager m_cameras;
    CDX9KelBaseCamera* m_pCamera = nullptr;
    CDX9KelParticlesSystemsManager m_manager;
};

} // namespace ParticlesTest
