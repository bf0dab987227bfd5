#pragma once
// The sound manager: opens OpenAL, turns every OpenAL source the device gives
// into a channel, loads sound sources, and on the sound thread keeps the
// listener on the camera, advances the sound lines and hands the limited
// channels to the sources that matter most.
//
// Threads. The main thread creates sources and commands them through handles;
// each command only changes the source's fields under the source lock. The
// sound thread makes every OpenAL call while it runs (Init and Release, which
// run while it does not, make the others). Locks, always taken in this order:
// the sound-line lock, a line's own lock, the source lock. The main thread
// takes any one of them alone.
#include "engine3/ui/sound/CVR3SOUNDData.h"
#include "engine3/ui/sound/CVR3SOUNDLine.h"
#include "engine3/ui/sound/CVR3SOUNDSource.h"
#include "platform/math/d3dx9math.h"
#include "platform/os/Threads.h"

#include <tinyxml.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <AL/alc.h>

namespace Vorna3D {

class CDX9KelCameraManager;
class CVR3SOUNDManager;

// What a sound-source XML file describes.
struct SoundSourceDescription {
    std::string filePath;  // relative to the program folder
    int soundType = 0;
    bool is3D = false;
    float minDistance = 0.0f;
    float maxDistance = 0.0f;
    float volume = 1.0f;  // 1.0 when the file gives none
    bool hasPriority = false;
    int priority = 0;
};

// Reads a sound-source document: "SoundSource" must be its first element and
// name a file. False otherwise.
bool ParseSoundSource(const TiXmlDocument& doc, SoundSourceDescription& out);

// A caller's reference to a sound source. The manager checks it on every use,
// so a handle whose source has been freed (a one-shot sound that finished, or
// a source deleted by the manager) does nothing and reports false.
class SoundHandle {
public:
    SoundHandle() = default;
    SoundHandle(CVR3SOUNDManager* manager, uint64_t id) : m_pManager(manager), m_uId(id) {}

    explicit operator bool() const { return m_pManager && m_uId; }
    bool IsAlive() const;
    uint64_t GetId() const { return m_uId; }

    // Playing: nothing. Paused silent: silent again, its clock moved on by the
    // paused time. Otherwise: to be started (a paused source continues where
    // it was paused).
    bool Play();
    // Playing: paused (the sound thread pauses its channel). Silent: paused
    // silent, so no time counts until Play.
    bool Pause();
    // Never played or finished: nothing. Otherwise finished; the sound thread
    // stops its channel and frees it.
    bool Stop();
    // Volume in [0, 1], times the effects volume (3D) or the music volume (2D).
    bool SetVolume(float volume);
    bool SetDistance(float minDistance, float maxDistance);
    // With an owner the matrix is relative to the owner's world matrix, which
    // must stay valid while attached; without, it is the world matrix. A null
    // matrix changes nothing.
    bool SetTransform(const D3DXMATRIX* matrix, const D3DXMATRIX* owner = nullptr);
    bool SetPriority(int priority);
    // Asks the sound thread to free the source.
    bool Delete();

    // The source's state (CVR3SOUNDSource::EState), -1 when it is gone.
    int GetState() const;
    bool Is3D() const;
    float GetGain() const;
    int GetPriority() const;
    int GetPlayMode() const;
    // The channel index, -1 without a channel or source.
    int GetChannelIndex() const;
    const CVR3SOUNDData* GetData() const;

private:
    CVR3SOUNDManager* m_pManager = nullptr;
    uint64_t m_uId = 0;
};

class CVR3SOUNDManager {
public:
    static constexpr uint32_t k2DChannelLimit = 5;

    CVR3SOUNDManager();
    ~CVR3SOUNDManager();
    CVR3SOUNDManager(const CVR3SOUNDManager&) = delete;
    CVR3SOUNDManager& operator=(const CVR3SOUNDManager&) = delete;

    // The program's one sound manager, made on first use.
    static CVR3SOUNDManager& Get();

    // Opens the device and makes the channels; reads the volumes from the
    // "engine.ini" at `engineIniPath` (null: the one beside the program).
    // False without a camera manager or sound device: the game then runs silent.
    bool Init(CDX9KelCameraManager* pCameraManager, const char* engineIniPath = nullptr);
    void OnLost();
    void Restore();
    // Frees the lines, sources, data and channels and closes the device. Runs
    // after the sound thread has ended.
    void Release();

    // Main thread: loading sounds. Each returns an empty handle on failure.
    // While the manager is not running (no device) the loads of sounds and
    // of sound-line items are skipped without a log line.
    // CreateSoundData gives the caller one reference on the data.
    CVR3SOUNDData* CreateSoundData(const std::string& path);
    SoundHandle CreateSoundB(const std::string& relativePath, int playMode);
    SoundHandle LoadSound(const std::string& xmlPath);
    bool RegisterPendingSources();

    // Main thread: every 3D source that no sound line holds.
    void StopAllSources();
    void PauseAllSources();
    void ResumeAllSources();
    bool DeleteAllSources();

    // Main thread, once a frame: the listener (camera eye, look-at target, up
    // vector, in world coordinates) and the owner matrices that sources follow
    // are copied for the sound thread.
    void SetListener(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up);
    void UpdateOwnerTransforms();
    // Both of the above, the listener taken from the camera manager's active
    // camera (none: the listener stays where it was).
    void UpdateFrame();
    // The listener as last posted for the sound thread; false when none was.
    bool GetPostedListener(D3DXVECTOR3& eye, D3DXVECTOR3& target, D3DXVECTOR3& up);

    // Sound lines (main thread).
    CVR3SOUNDLine* CreateSoundLine(const std::string& name, int mode);
    CVR3SOUNDLine* FindSoundLine(const std::string& name);
    bool LoadSoundLineSound(const std::string& lineName, const std::string& xmlPath);

    // The sound thread's work for one pass: listener, lines, sources.
    void ThreadPass(DWORD now);
    void UpdateListener();
    void UpdateSoundLines();
    void UpdateSources();

    // The thread. SoundThreadProc takes the manager (null: the global one).
    static DWORD SoundThreadProc(LPVOID manager);
    // Creates the sound thread suspended; null on failure.
    HANDLE CreateSoundThread(DWORD* threadId);
    // Sets the stop flag, lets a still suspended thread run to its end, waits
    // for it without limit and closes the handle. A null handle only sets the flag.
    void StopSoundThread(HANDLE thread);

    // The engine's hooks for the thread of the program's one manager.
    static HANDLE CreateGlobalSoundThread(DWORD* threadId);
    static void StopGlobalSoundThread(HANDLE thread);

    bool IsRunning() const { return m_bRunning.load(); }
    bool IsStopRequested() const { return m_bStop.load(); }
    void SetStop(bool stop) { m_bStop.store(stop); }
    void Set3DSourcesActive(bool on) { m_b3DSourcesActive.store(on); }
    void SetSoundLinesActive(bool on) { m_bSoundLinesActive.store(on); }
    bool GetSoundLinesActive() const { return m_bSoundLinesActive.load(); }
    float GetMusicVolume() const { return m_fMusicVolume; }
    float GetEffectsVolume() const { return m_fEffectsVolume; }
    size_t GetChannelCount() const { return m_stdvChannels.size(); }
    const std::string& GetDeviceName() const { return m_strDeviceName; }
    // Number of channels on the free stack (source lock taken).
    size_t GetFreeChannelCount();
    // Number of sources in the table and waiting to be registered.
    size_t GetSourceCount();
    // The OpenAL source of a channel; 0 for a bad index.
    uint32_t GetChannelSource(int index) const;
    // Seeds the random choice of random-mode sound lines.
    void SeedRandom(uint32_t seed);

private:
    friend class SoundHandle;

    CVR3SOUNDSource* FindSourceLocked(uint64_t id) const;
    void ReleaseSoundDataLocked(CVR3SOUNDData* data);
    void DeleteSourceLocked(CVR3SOUNDSource* source);
    void SetVolumeLocked(CVR3SOUNDSource* source, float volume);
    void PlayLocked(CVR3SOUNDSource* source, DWORD now);
    bool PauseLocked(CVR3SOUNDSource* source, DWORD now);
    bool StopLocked(CVR3SOUNDSource* source);
    void ServiceLine(CVR3SOUNDLine& line);
    void CarryOutRequest(CVR3SOUNDLine& line, int code);
    void UpdateSourceStates();
    void AssignChannels(std::vector<CVR3SOUNDSource*>& list, uint32_t limit);
    void MakeSilent(CVR3SOUNDSource* source);
    bool FreeSoundChannel(CVR3SOUNDSource* source);
    void PushFreeChannel(CVR3SOUNDChannel* channel);
    void ApplyParameters(CVR3SOUNDSource* source);
    void ApplyPause(CVR3SOUNDSource* source);
    bool Resume(CVR3SOUNDSource* source);
    void Update(CVR3SOUNDSource* source);
    void UpdateSource3D(CVR3SOUNDSource* source);
    void UpdateSilentLength(CVR3SOUNDSource* source);
    bool Start(CVR3SOUNDSource* source, CVR3SOUNDChannel* channel);
    bool StartSilent(CVR3SOUNDSource* source, CVR3SOUNDChannel* channel);
    bool PlaySilent(CVR3SOUNDSource* source);
    bool SetChannelParameters(CVR3SOUNDSource* source, uint32_t alSource, const char* where);
    bool QueueStream(CVR3SOUNDSource* source, uint32_t alSource, const char* where);
    void FinishOnSoundThread(CVR3SOUNDSource* source);

    CRITICAL_SECTION m_sourceLock;
    CRITICAL_SECTION m_lineLock;
    bool m_bLocksReady = false;
    // Held by the sound thread for a whole pass, and by Release.
    std::mutex m_passLock;

    std::vector<CVR3SOUNDSource*> m_stdvPendingSources;
    ALCdevice* m_pDevice = nullptr;
    ALCcontext* m_pContext = nullptr;
    CDX9KelCameraManager* m_pCameraManager = nullptr;
    std::string m_strDeviceName;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_b3DSourcesActive{true};
    std::atomic<bool> m_bSoundLinesActive{true};
    // 0 nothing, 1 suspend the context, 2 process it again: OnLost and Restore
    // leave the OpenAL call to the sound thread.
    std::atomic<int> m_iContextRequest{0};

    std::vector<std::unique_ptr<CVR3SOUNDChannel>> m_stdvChannels;
    std::vector<int32_t> m_stdvFreeChannels;
    std::vector<CVR3SOUNDData*> m_stdvSoundData;
    std::vector<int32_t> m_stdvFreeSoundData;
    std::vector<CVR3SOUNDSource*> m_stdvSources;
    std::vector<int32_t> m_stdvFreeSources;
    std::unordered_map<uint64_t, CVR3SOUNDSource*> m_stdmHandles;
    uint64_t m_uNextId = 1;
    std::vector<CVR3SOUNDSource*> m_stdvWork2D;
    std::vector<CVR3SOUNDSource*> m_stdvWork3D;
    uint32_t m_u2DChannelLimit = k2DChannelLimit;
    std::vector<std::unique_ptr<CVR3SOUNDLine>> m_stdvSoundLines;
    std::vector<int32_t> m_stdvFreeSoundLines;

    float m_fListenerGain = 0.8f;
    float m_fMusicVolume = 1.0f;
    float m_fEffectsVolume = 1.0f;

    // The listener as the main thread posted it (source lock), and as the
    // sound thread last applied it.
    bool m_bListenerPosted = false;
    D3DXVECTOR3 m_vPostedEye{0, 0, 0};
    D3DXVECTOR3 m_vPostedTarget{0, 0, 1};
    D3DXVECTOR3 m_vPostedUp{0, 1, 0};
    D3DXVECTOR3 m_vListenerEye{0, 0, 0};
    D3DXVECTOR3 m_vPreviousListenerPosition{0, 0, 0};

    // Sound thread only.
    DWORD m_uClock = 0;
    std::minstd_rand m_random{12345u};
};

} // namespace Vorna3D
