#pragma once
// A headless engine brought up to a device and a started engine scene, for
// the render-system and engine-scene tests; with a manual clock so frame
// steps and shader time repeat exactly.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "engine3/core/CDX9KelEngine.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "platform/os/Clock.h"

namespace VornaRenderTest {

class SceneFixture : public ::testing::Test {
protected:
    // A small window and small reflection maps keep llvmpipe quick.
    static constexpr const char* kEngineIni =
        "[Grafic Settings]\nFullScreen=0\nWidth=160\nHeight=120\nRefreshRate=0\nAnisotropy=1\n"
        "ReflRefrTexture=128\nShadersLevel=2\nWaterType=0\n";

    void SetUp() override {
        Platform::SetClock(&m_clock);
        m_dir = VornaTest::FreshFolder();
        Vorna3D::g_Log.Reset();
        Vorna3D::g_Log.Open((m_dir / "Vorna3Log.log").c_str());
    }
    // Brings the engine up to a started scene.
    bool Start(const char* engineIni = kEngineIni) {
        VornaTest::WriteText(m_dir / "engine.ini", engineIni);
        m_pScene = new Vorna3D::CDX9KelScene();
        m_engine.m_pScene = m_pScene;
        m_engine.SetDataFolder(m_dir.string() + "/");
        if (!m_engine.InitInterfaces() || !m_engine.InitDevice()) return false;
        m_pScene->m_strScreenshotFolder = (m_dir / "Screenshots").string() + "/";
        std::filesystem::create_directories(m_dir / "Screenshots");
        // The cursor rests mid-window, away from the edges that pan the camera.
        Vorna3D::g_Input.m_iCursorX = 80;
        Vorna3D::g_Input.m_iCursorY = 60;
        if (!m_pScene->Init()) return false;
        // Shader time counts from the game's start stamp, taken from the
        // real clock at start-up; the tests count from the manual one.
        m_pScene->m_pRenderSystem->m_dwStartTime = timeGetTime();
        return true;
    }
    void TearDown() override {
        m_engine.Release();
        Vorna3D::g_Log.Reset();
        Platform::SetClock(nullptr);
    }
    // One frame as the engine runs it: processing, then the picture.
    void Frame() {
        m_clock.Advance(16);
        m_pScene->Process();
        m_engine.Render();
    }
    std::string Log() { return VornaTest::ReadText(m_dir / "Vorna3Log.log"); }
    IDirect3DDevice9* Device() { return m_engine.m_pRender->GetDevice(); }
    Vorna3D::CDX9KelRenderSystem* RS() { return m_pScene->m_pRenderSystem; }

    // The pixels of a render-target surface (0xAARRGGBB, top row first).
    std::vector<DWORD> ReadTarget(IDirect3DSurface9* surface) {
        std::vector<DWORD> px;
        D3DSURFACE_DESC desc{};
        if (!surface || FAILED(surface->GetDesc(&desc))) return px;
        IDirect3DSurface9* copy = nullptr;
        if (FAILED(Device()->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                         &copy, nullptr)))
            return px;
        if (SUCCEEDED(Device()->GetRenderTargetData(surface, copy))) {
            D3DLOCKED_RECT lr{};
            if (SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
                px.resize(static_cast<size_t>(desc.Width) * desc.Height);
                for (UINT y = 0; y < desc.Height; ++y)
                    std::memcpy(&px[static_cast<size_t>(y) * desc.Width],
                                static_cast<const BYTE*>(lr.pBits) + static_cast<size_t>(y) * lr.Pitch, desc.Width * 4);
                copy->UnlockRect();
            }
        }
        copy->Release();
        return px;
    }

    static size_t CountNot(const std::vector<DWORD>& px, DWORD colour) {
        size_t n = 0;
        for (DWORD p : px) n += (p & 0x00FFFFFFu) != (colour & 0x00FFFFFFu);
        return n;
    }

    Platform::ManualClock m_clock;
    std::filesystem::path m_dir;
    Vorna3D::CDX9KelEngine m_engine;
    Vorna3D::CDX9KelScene* m_pScene = nullptr; // owned by the engine
};

} // namespace VornaRenderTest
