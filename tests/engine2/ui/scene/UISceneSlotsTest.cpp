// The GUI manager, the screen manager and the sound manager in the campaign
// scene's manager slots: made in the start-up order, the GUI drawn in the
// render system's pass before the statistics with the camera's transforms
// back afterwards, and the sound shut down with the scene.
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/CDXFont.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/ui/UISceneSlots.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "platform/os/Paths.h"

#include "../gui/GuiTestSupport.h"
#include "TestFolder.h"
#include "common/Engine2SceneFixture.h"
#include "common/OffscreenDevice.h"

#include <gtest/gtest.h>
#include <array>
#include <cstring>
#include <filesystem>
#include <string>

using namespace Vorna2;

namespace {

class Engine2UISceneSlotsTest : public VornaTest::Engine2SceneFixture {
protected:
    Engine2UISceneSlotsTest() : Engine2SceneFixture(160, 120) {}
    void RegisterSlots() override {
        RegisterGUISceneSlot();
        RegisterScreenSceneSlot("");
        RegisterSoundSceneSlot();
    }
    void ForgetSlots() override {
        CDX9KelScene::RegisterManager(KEL_SCENE_GUI_MANAGER, nullptr);
        CDX9KelScene::RegisterManager(KEL_SCENE_SCREEN_MANAGER, nullptr);
        CDX9KelScene::RegisterManager(KEL_SCENE_SOUND_MANAGER, nullptr);
    }
};

// A render that keeps the frame's pixels just before it presents them.
class ReadingRender : public CDX9KelRender {
public:
    explicit ReadingRender(VornaTest::OffscreenDevice& dev) : m_dev(dev) {}
    ~ReadingRender() override { m_pD3DDevice = nullptr; }
    void EndRender() override {
        pixels = m_dev.Pixels();
        CDX9KelRender::EndRender();
    }
    std::vector<DWORD> pixels;

private:
    VornaTest::OffscreenDevice& m_dev;
};

// An uncompressed 32-bit TGA, top row first, of columns w wide with the
// given ARGB colours.
void WriteColumnsTga(const std::filesystem::path& path, int columnWidth, int height, const std::vector<DWORD>& columns) {
    const int width = columnWidth * static_cast<int>(columns.size());
    std::string f(18, '\0');
    f[2] = 2;
    f[12] = static_cast<char>(width & 0xFF), f[13] = static_cast<char>(width >> 8);
    f[14] = static_cast<char>(height & 0xFF), f[15] = static_cast<char>(height >> 8);
    f[16] = 32;
    f[17] = 0x28; // 8 alpha bits, top row first
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const DWORD c = columns[static_cast<size_t>(x / columnWidth)];
            f += static_cast<char>(c & 0xFF), f += static_cast<char>((c >> 8) & 0xFF);
            f += static_cast<char>((c >> 16) & 0xFF), f += static_cast<char>(c >> 24);
        }
    VornaTest::WriteText(path, f);
}

} // namespace

TEST_F(Engine2UISceneSlotsTest, ManagersAreMadeInOrderAndTheScreensOnlyOnce) {
    ASSERT_TRUE(scene.Init());
    const std::string log = Log();
    const char* order[] = {"CDX9KelScene::InitRenderSystem(): OK", "CDX9KelScene::InitGUIManager(): OK",
                           "CDX9KelScene::InitPhysicalManager(): not installed",
                           "CDX9KelScene::InitParticleSysManager(): not installed",
                           "CDX9KelScene::InitScreenManager(): OK", "CDX9KelScene::InitSoundManager(): "};
    size_t last = 0;
    for (const char* line : order) {
        const size_t at = log.find(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << log;
        EXPECT_GE(at, last) << line;
        last = at;
    }
    CDX9KelGUIManager* gui = GetGUIManager(&scene);
    ASSERT_NE(gui, nullptr);
    ASSERT_NE(GetScreenManager(&scene), nullptr);
    EXPECT_EQ(GetScreenManager(&scene)->m_pGUIManager, gui);
    EXPECT_EQ(scene.m_pRenderSystem->m_pGUIManager, scene.GetManager(KEL_SCENE_GUI_MANAGER));
    EXPECT_EQ(gui->m_pResourceManager, scene.m_pGrahResManager);
    // A second GUI step makes nothing new; a second screen step fails.
    EXPECT_TRUE(scene.InitGUIManager());
    EXPECT_EQ(GetGUIManager(&scene), gui);
    EXPECT_FALSE(scene.InitScreenManager());
    // The sound slot is kept whether or not a device opened.
    EXPECT_NE(scene.GetManager(KEL_SCENE_SOUND_MANAGER), nullptr);
}

TEST_F(Engine2UISceneSlotsTest, ScreensNeedTheGUIAndTheSoundNeedsACamera) {
    CDX9KelScene::RegisterManager(KEL_SCENE_GUI_MANAGER, nullptr);
    EXPECT_FALSE(scene.Init());
    EXPECT_NE(Log().find("CDX9KelScene::InitGUIManager(): not installed"), std::string::npos);
    // The screen manager was made and kept, so the step now fails at once.
    EXPECT_NE(scene.GetManager(KEL_SCENE_SCREEN_MANAGER), nullptr);
    EXPECT_FALSE(scene.InitScreenManager());
    EXPECT_EQ(Log().find("CDX9KelScene::InitScreenManager(): OK"), std::string::npos);
    CDX9KelScene bare;
    EXPECT_FALSE(bare.InitSoundManager());
}

TEST_F(Engine2UISceneSlotsTest, TheGUIPassDrawsUnderTheStatisticsAndGivesTheCameraBack) {
    ASSERT_TRUE(scene.Init());
    CDX9KelGUIManager* gui = GetGUIManager(&scene);
    ASSERT_NE(gui, nullptr);
    GuiTest::WriteBmp(folder / "red.bmp", 8, 8, 255, 0, 0);
    ASSERT_GE(gui->AddDialog(0, 0, 160, 120, GuiTest::FromExe(folder / "red.bmp").c_str(), false), 0);
    gui->SetCursorOverride({-100, -100});
    scene.Process();
    ASSERT_FALSE(gui->m_DrawList.empty());
    EXPECT_FALSE(scene.GetManager(KEL_SCENE_GUI_MANAGER)->HoldsCursor());
    ASSERT_TRUE(scene.RenderFrame());

    // The frame's first passes again without presenting, to read them.
    IDirect3DDevice9* device = scene.GetD3DDevice();
    scene.m_pRender->BeginRender(scene.m_ClearColor);
    scene.m_pRenderSystem->RenderGUI(device);
    scene.m_pFont->m_pSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
    scene.DrawStatistics();
    scene.m_pFont->m_pSprite->End();
    const std::vector<DWORD> px = dev.Pixels();
    EXPECT_EQ(dev.At(px, 150, 110) & 0x00FFFFFFu, 0x00FF0000u);
    int yellow = 0;
    for (UINT y = 5; y < 40; ++y)
        for (UINT x = 5; x < 150; ++x) {
            const DWORD p = dev.At(px, x, y);
            if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 60) ++yellow;
        }
    EXPECT_GT(yellow, 30);
    D3DXMATRIX view;
    device->GetTransform(D3DTS_VIEW, &view);
    EXPECT_EQ(0, std::memcmp(&view, &scene.m_pCameraManager->GetActiveCamera()->m_mView, sizeof view));
    device->EndScene();

    // Hovering a dialog keeps the camera's mouse control out of the frame.
    gui->SetCursorOverride({80, 60});
    scene.Process();
    EXPECT_TRUE(scene.GetManager(KEL_SCENE_GUI_MANAGER)->HoldsCursor());
}

TEST_F(Engine2UISceneSlotsTest, ReleaseShutsTheSoundDownAndEmptiesEverySlot) {
    ASSERT_TRUE(scene.Init());
    scene.Release();
    for (int s = 0; s < KEL_SCENE_MANAGER_SLOTS; ++s)
        EXPECT_EQ(scene.GetManager(static_cast<EKelSceneManagerSlot>(s)), nullptr) << s;
    EXPECT_EQ(scene.m_pRenderSystem, nullptr);
    EXPECT_FALSE(g_SoundManager.IsOpen());
    EXPECT_NE(Log().find("COALSoundManager : shutdown"), std::string::npos);
}

TEST_F(Engine2UISceneSlotsTest, DeletingAnObjectWithItsModelsDeletesItsSounds) {
    ASSERT_TRUE(scene.Init());
    if (!g_SoundManager.IsOpen()) GTEST_SKIP() << "no sound device";
    const auto fromExe = [](const char* file) {
        return std::filesystem::relative(std::filesystem::path(VORNA_BIN_DIR) / file,
                                         std::filesystem::path(Platform::ProgramFolder()))
            .generic_string();
    };
    ASSERT_TRUE(scene.CreateSceneTree(D3DXVECTOR3(-100, -10, -100), D3DXVECTOR3(100, 10, 100), 50.0f, false));
    CDX9KelModel* model = scene.LoadModel(fromExe("Models/Units/c2ship_lod2.x").c_str(), nullptr);
    ASSERT_NE(model, nullptr);
    const std::string sea = fromExe("Sound/Effects/sea.ogg");
    for (bool releaseModels : {false, true}) {
        CDX9KelSceneObject* ship = scene.CreateSceneObject(model, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
        ASSERT_NE(ship, nullptr);
        const int id = g_SoundManager.CreateSound(sea.c_str(), SOUND_TYPE_LOOP, nullptr, nullptr, 1.0f, 10.0f);
        ASSERT_GE(id, 0);
        ship->m_SoundIds.push_back(static_cast<DWORD>(id));
        ASSERT_TRUE(scene.DeleteSceneObject(ship, releaseModels));
        // Without its models the object's sounds stay for their owner.
        EXPECT_EQ(g_SoundManager.GetSoundResource(id) == nullptr, releaseModels) << releaseModels;
        if (!releaseModels) g_SoundManager.DeleteSoundResource(g_SoundManager.GetSoundResource(id), true);
    }
}

TEST_F(Engine2UISceneSlotsTest, TheGUIDrawnFirstStaysOverTheSceneAndItsClearPartsShowIt) {
    ReadingRender reading(dev);
    dev.m_pDevice->AddRef();
    reading.m_pD3DDevice = dev.m_pDevice;
    reading.m_iWidth = 160;
    reading.m_iHeight = 120;
    scene.m_pRender = &reading;
    ASSERT_TRUE(scene.Init());
    ASSERT_EQ(reading.SetDefaultStates(), D3D_OK);
    scene.m_bShowStatistics = false;

    // The scene: a green sea plane filling the view from above.
    CDX9KelBaseCamera* camera = scene.m_pCameraManager->GetActiveCamera();
    ASSERT_NE(camera, nullptr);
    camera->m_vEye = D3DXVECTOR3(0, 60, -1);
    camera->m_vLookAt = D3DXVECTOR3(0, 0, 0);
    D3DXMatrixLookAtLH(&camera->m_mView, &camera->m_vEye, &camera->m_vLookAt, &camera->m_vUp);
    auto* sea = new CDX9KelPLANE();
    ASSERT_TRUE(sea->Init(dev.m_pDevice, nullptr, 900.0f, 0xFF00FF00u));
    sea->SetName("Sea");
    ASSERT_TRUE(scene.m_pGrahResManager->AddGrapRes(sea));

    // The GUI: one dialog over the whole client whose background has four
    // columns: opaque blue, mostly opaque blue, faint blue and clear.
    CDX9KelGUIManager* gui = GetGUIManager(&scene);
    ASSERT_NE(gui, nullptr);
    WriteColumnsTga(folder / "columns.tga", 2, 8, {0xFF0000FFu, 0xC80000FFu, 0x280000FFu, 0x000000FFu});
    ASSERT_GE(gui->AddDialog(0, 0, 160, 120, GuiTest::FromExe(folder / "columns.tga").c_str(), false), 0);
    gui->SetCursorOverride({-100, -100});
    scene.Process();
    ASSERT_FALSE(gui->m_DrawList.empty());
    ASSERT_TRUE(scene.RenderFrame());
    ASSERT_EQ(reading.pixels.size(), size_t(160) * 120);

    const auto channels = [&](UINT x, UINT y) {
        const DWORD p = dev.At(reading.pixels, x, y);
        return std::array<int, 3>{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
    };
    for (UINT y : {20u, 60u, 100u}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(dev.At(reading.pixels, 20, y) & 0x00FFFFFFu, 0x000000FFu); // opaque GUI on top
        // Mostly opaque: still the GUI, blended over the clear colour.
        const auto mostly = channels(60, y);
        EXPECT_GT(mostly[2], 150);
        EXPECT_LT(mostly[1], 60);
        const auto faint = channels(100, y); // faint: the sea shows through
        EXPECT_GT(faint[1], 200);
        EXPECT_LT(faint[2], 40);
        EXPECT_EQ(dev.At(reading.pixels, 140, y) & 0x00FFFFFFu, 0x0000FF00u); // clear: the sea
    }
    // The GUI pass leaves the 3D scene's states as they were before it.
    DWORD alphaTest = 0, alphaRef = 0, colourWrite = 0;
    dev.m_pDevice->GetRenderState(D3DRS_ALPHATESTENABLE, &alphaTest);
    dev.m_pDevice->GetRenderState(D3DRS_ALPHAREF, &alphaRef);
    dev.m_pDevice->GetRenderState(D3DRS_COLORWRITEENABLE, &colourWrite);
    EXPECT_EQ(alphaTest, DWORD(TRUE));
    EXPECT_EQ(alphaRef, reading.m_dwAlphaRef);
    EXPECT_EQ(colourWrite, 0xFu);
    scene.Release();
    scene.m_pRender = &render;
}

// The GUI's buttons are those the window's messages hold (a quick click holds
// its button for one frame; losing the focus lets go), not the mouse device's
// state, which is neither read nor cleared while the window is in the
// background.
TEST_F(Engine2UISceneSlotsTest, TheGUIButtonsAreTheButtonsTheWindowHolds) {
    ASSERT_TRUE(scene.Init());
    CDX9KelGUIManager* gui = GetGUIManager(&scene);
    IDX9KelSceneManager* slot = scene.GetManager(KEL_SCENE_GUI_MANAGER);
    ASSERT_TRUE(gui && slot);
    struct Case {
        BYTE held[3];    // left, right, middle as the messages left them
        BYTE device[3];  // the mouse device's last state
    };
    for (const Case& c : {Case{{1, 0, 1}, {0, 0, 0}}, Case{{0, 1, 0}, {0x80, 0, 0x80}}, Case{{0, 0, 0}, {0x80, 0x80, 0x80}}}) {
        g_Input.m_bLeftHeld = c.held[0];
        g_Input.m_bRightHeld = c.held[1];
        g_Input.m_bMiddleHeld = c.held[2];
        for (int b = 0; b < 3; ++b) g_Input.m_MouseState.rgbButtons[b] = c.device[b];
        slot->Process(0.0f);
        EXPECT_EQ(gui->m_bLeftButton, c.held[0] != 0);
        EXPECT_EQ(gui->m_bRightButton, c.held[1] != 0);
        EXPECT_EQ(gui->m_bMiddleButton, c.held[2] != 0);
    }
    g_Input.m_bLeftHeld = g_Input.m_bRightHeld = g_Input.m_bMiddleHeld = 0;
    g_Input.m_MouseState = DIMOUSESTATE{};
}
