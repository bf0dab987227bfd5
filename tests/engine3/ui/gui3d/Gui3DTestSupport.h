#pragma once
// A device, the graphic resources, a camera and a 3D GUI manager over a small
// offscreen window, with a marker texture written under the test's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "common/OffscreenDevice.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "TestFolder.h"

namespace VornaTest {

// An uncompressed 32-bit TGA of one colour (BGRA bytes), top row first.
inline void WriteTga(const std::filesystem::path& p, int w, int h, unsigned char b, unsigned char g,
                     unsigned char r, unsigned char a) {
    std::string data(18, '\0');
    data[2] = 2;
    data[12] = static_cast<char>(w & 0xFF);
    data[13] = static_cast<char>(w >> 8);
    data[14] = static_cast<char>(h & 0xFF);
    data[15] = static_cast<char>(h >> 8);
    data[16] = 32;
    data[17] = 0x28;
    for (int i = 0; i < w * h; ++i) {
        data.push_back(static_cast<char>(b));
        data.push_back(static_cast<char>(g));
        data.push_back(static_cast<char>(r));
        data.push_back(static_cast<char>(a));
    }
    WriteText(p, data);
}

class Gui3DFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    void SetUp() override {
        folder = FreshFolder();
        Vorna3D::g_Log.Reset();
        Vorna3D::g_Log.Open((folder / "Vorna3Log.log").c_str());
        if (!dev.Create(kWidth, kHeight))
            GTEST_SKIP() << "no GL context";
        ASSERT_TRUE(res.Init(dev.m_pDevice));
        camera = new Vorna3D::CDX9KelBaseCamera();
        ASSERT_TRUE(camera->Init("Main", 0, kWidth, kHeight, 1.0f, 1.0f));
        ASSERT_TRUE(cameras.AddCamera(camera));
        cameras.m_pActiveCamera = camera;
        manager.SetGraphicsResManager(&res);
        ASSERT_TRUE(manager.Init(&cameras, dev.m_hWnd));
        WriteTga(folder / "marker.tga", 8, 8, 0, 0, 255, 255);
        texture = RelativeToProgram(folder / "marker.tga");
    }
    void TearDown() override {
        manager.Clear();
        res.Release();
        Vorna3D::g_Log.Reset();
    }
    // A path as the data files give it: relative to the program's folder.
    static std::string RelativeToProgram(const std::filesystem::path& p) {
        const std::filesystem::path exe = Vorna3D::g_Utils.GetExeFolderPathString("");
        return std::filesystem::relative(p, exe).string();
    }
    std::string Log() const { return ReadText(folder / "Vorna3Log.log"); }

    std::filesystem::path folder;
    OffscreenDevice dev;
    Vorna3D::CDX9KelGraphicsResManager res;
    Vorna3D::CDX9KelBaseCameraManager cameras;
    Vorna3D::CDX9KelBaseCamera* camera = nullptr; // owned by the camera manager
    Vorna3D::CVR3GUI3DManager manager;
    std::string texture;
};

} // namespace VornaTest
