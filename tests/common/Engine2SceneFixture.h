#pragma once
// A campaign scene on a hidden offscreen device, its log written to a fresh
// folder with a fixed time text. A test that puts managers into the scene's
// slots registers them in RegisterSlots and empties the slots again in
// ForgetSlots (after the scene is released).
#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/render/CDX9KelRender.h"

#include "TestFolder.h"
#include "common/OffscreenDevice.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace VornaTest {

class Engine2SceneFixture : public ::testing::Test {
protected:
    Engine2SceneFixture(int width, int height) : m_width(width), m_height(height) {}

    virtual void RegisterSlots() {}
    virtual void ForgetSlots() {}

    void SetUp() override {
        using Vorna2::g_Log;
        folder = FreshFolder();
        logPath = (folder / "VornaLog.log").string();
        g_Log.Reset();
        g_Log.SetTimeTextSource(&FixedTime);
        g_Log.SetCopyStream(nullptr);
        g_Log.Open(logPath);
        ASSERT_TRUE(dev.Create(m_width, m_height));
        dev.m_pDevice->AddRef();
        render.m_pD3DDevice = dev.m_pDevice;
        render.m_iWidth = m_width;
        render.m_iHeight = m_height;
        app.m_hWnd = dev.m_hWnd;
        app.m_iWidth = m_width;
        app.m_iHeight = m_height;
        RegisterSlots();
        scene.m_pApp = &app;
        scene.m_pRender = &render;
    }
    void TearDown() override {
        scene.Release();
        ForgetSlots();
        app.m_hWnd = nullptr;
        render.m_pD3DDevice = nullptr;
        dev.m_pDevice->Release();
        Vorna2::g_Log.Reset();
    }
    std::string Log() { return ReadText(logPath); }

    std::filesystem::path folder;
    OffscreenDevice dev;
    Vorna2::CDX9KelRender render;
    Vorna2::CDX9KelApp app;
    Vorna2::CDX9KelScene scene;
    std::string logPath;

private:
    static std::string FixedTime() { return "T"; }

    int m_width;
    int m_height;
};

} // namespace VornaTest
