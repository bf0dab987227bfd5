#include "engine3/core/render/CDX9KelBaseCamera.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "platform/os/Clock.h"
#include "SoundTestSupport.h"

#include <AL/al.h>

using namespace Vorna3D;

namespace {

class SoundThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        ASSERT_TRUE(manager.Init(&cameras,
                                 (folder / "engine.ini").c_str()));
    }
    void TearDown() override {
        manager.Release();
        g_Log.Reset();
    }
    std::string Relative(const std::string& p) const {
        return std::filesystem::relative(p, Platform::ProgramFolder()).string();
    }

    std::filesystem::path folder;
    CDX9KelCameraManager cameras;
    CVR3SOUNDManager manager;
};

// Listener and sources go from left-handed world coordinates to OpenAL's
// right-handed ones alike: whatever way the camera looks, a source placed to
// its right is on the listener's right, and one ahead is ahead.
TEST_F(SoundThreadTest, SoundListenerAndSourcesAgreeOnLeftAndRight) {
    const std::string ogg = Relative(SoundTest::WriteTone(folder / "tone.ogg", 44100));
    struct Case {
        const char* name;
        D3DXVECTOR3 eye, forward, up;
    };
    const Case cases[] = {
        {"looking +z", {0, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {"looking +x", {10, 2, -5}, {1, 0, 0}, {0, 1, 0}},
        {"looking -z", {0, 5, 0}, {0, 0, -1}, {0, 1, 0}},
        {"looking -x, pitched down", {3, 20, 3}, {-0.8f, -0.6f, 0}, {-0.6f, 0.8f, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Left-handed: right = up x forward.
        D3DXVECTOR3 right;
        D3DXVec3Cross(&right, &c.up, &c.forward);
        SoundHandle toRight = manager.CreateSoundB(ogg, 0);
        SoundHandle ahead = manager.CreateSoundB(ogg, 0);
        D3DXMATRIX m;
        const D3DXVECTOR3 r = c.eye + right * 10.0f;
        const D3DXVECTOR3 a = c.eye + c.forward * 10.0f;
        D3DXMatrixTranslation(&m, r.x, r.y, r.z);
        toRight.SetDistance(1.0f, 100.0f);
        toRight.SetTransform(&m);
        D3DXMatrixTranslation(&m, a.x, a.y, a.z);
        ahead.SetDistance(1.0f, 100.0f);
        ahead.SetTransform(&m);
        manager.RegisterPendingSources();
        toRight.Play();
        ahead.Play();
        // The listener follows the active camera.
        CDX9KelBaseCamera camera;
        const D3DXVECTOR3 target = c.eye + c.forward;
        ASSERT_TRUE(camera.SetPosition(&c.eye, &target));
        camera.m_vUp = c.up;
        cameras.m_pActiveCamera = &camera;
        manager.UpdateFrame();
        cameras.m_pActiveCamera = nullptr;
        manager.ThreadPass(timeGetTime());
        ASSERT_GE(toRight.GetChannelIndex(), 0);
        ASSERT_GE(ahead.GetChannelIndex(), 0);

        ALfloat listener[3], orientation[6], right3[3], ahead3[3];
        alGetListenerfv(AL_POSITION, listener);
        alGetListenerfv(AL_ORIENTATION, orientation);
        alGetSourcefv(manager.GetChannelSource(toRight.GetChannelIndex()), AL_POSITION, right3);
        alGetSourcefv(manager.GetChannelSource(ahead.GetChannelIndex()), AL_POSITION, ahead3);
        // OpenAL's right is at x up.
        const float* at = orientation;
        const float* up = orientation + 3;
        const float alRight[3] = {at[1] * up[2] - at[2] * up[1], at[2] * up[0] - at[0] * up[2],
                                  at[0] * up[1] - at[1] * up[0]};
        auto dot = [&](const float* p, const float* axis) {
            return (p[0] - listener[0]) * axis[0] + (p[1] - listener[1]) * axis[1] + (p[2] - listener[2]) * axis[2];
        };
        EXPECT_NEAR(dot(right3, alRight), 10.0f, 1e-3f);
        EXPECT_NEAR(dot(right3, at), 0.0f, 1e-3f);
        EXPECT_NEAR(dot(ahead3, at), 10.0f, 1e-3f);
        EXPECT_NEAR(dot(ahead3, alRight), 0.0f, 1e-3f);
        toRight.Delete();
        ahead.Delete();
        manager.ThreadPass(timeGetTime());
    }
}

// The real thread runs while the main thread creates, commands and deletes
// sources and posts line requests.
TEST_F(SoundThreadTest, SoundThreadServesTheMainThreadsRequests) {
    const std::string ogg = Relative(SoundTest::WriteTone(folder / "tone.ogg", 4410));
    const std::string xml = (folder / "item.xml").string();
    VornaTest::WriteText(xml, "<SoundSource><FilePathAfterExeFolder>" + ogg + "</FilePathAfterExeFolder></SoundSource>");
    CVR3SOUNDLine* line = manager.CreateSoundLine("Music", CVR3SOUNDLine::MODE_SEQUENTIAL);
    ASSERT_TRUE(manager.LoadSoundLineSound("Music", xml));
    manager.RegisterPendingSources();

    DWORD id = 0;
    HANDLE thread = manager.CreateSoundThread(&id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    ResumeThread(thread);

    const D3DXMATRIX owner = [] {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, 1, 2, 3);
        return m;
    }();
    std::vector<SoundHandle> handles;
    for (int i = 0; i < 200; ++i) {
        SoundHandle h = manager.CreateSoundB(ogg, i % 3);
        ASSERT_TRUE(h);
        if (i % 2) {
            h.SetDistance(1.0f, 50.0f);
            h.SetTransform(&owner, &owner);
        }
        h.SetVolume(0.5f);
        manager.RegisterPendingSources();
        h.Play();
        handles.push_back(h);
        if (i % 5 == 0) handles[static_cast<size_t>(i / 2)].Pause();
        if (i % 7 == 0) handles[static_cast<size_t>(i / 3)].Stop();
        if (i % 11 == 0) handles[static_cast<size_t>(i / 4)].Delete();
        if (i % 13 == 0) manager.PauseAllSources();
        if (i % 17 == 0) manager.ResumeAllSources();
        manager.SetListener(D3DXVECTOR3(0, 0, static_cast<float>(i)), D3DXVECTOR3(0, 0, i + 1.0f),
                            D3DXVECTOR3(0, 1, 0));
        manager.UpdateOwnerTransforms();
        line->AddToPending(xml);
        line->PostRequest(CVR3SOUNDLine::REQUEST_REPLACE);
        line->PostRequest(i % 4 == 3 ? CVR3SOUNDLine::REQUEST_PAUSE : CVR3SOUNDLine::REQUEST_PLAY);
        if (i % 50 == 0) manager.SetSoundLinesActive(i % 100 != 0);
        (void)handles.back().GetState();
    }
    manager.SetSoundLinesActive(true);
    // The thread carries out what was posted (the bound only guards a hang).
    for (int i = 0; i < 5000 && line->GetRequestCount() > 0; ++i) Sleep(1);
    EXPECT_EQ(line->GetRequestCount(), 0u);
    manager.DeleteAllSources();
    manager.StopSoundThread(thread);
    EXPECT_TRUE(manager.IsStopRequested());
    // The thread has ended: the passes can run here now, and nothing is left
    // that the main thread still needs to post.
    manager.ThreadPass(timeGetTime());
    EXPECT_EQ(line->GetRequestCount(), 0u);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundThreadTest, ASoundThreadNeverResumedStillStops) {
    DWORD id = 0;
    HANDLE thread = manager.CreateSoundThread(&id);
    ASSERT_NE(thread, nullptr);
    manager.StopSoundThread(thread);
    EXPECT_TRUE(manager.IsStopRequested());
    manager.StopSoundThread(nullptr);
}

} // namespace
