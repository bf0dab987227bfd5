#pragma once
// The campaign's sound: one global manager over the OpenAL device. It makes
// as many sources as the device gives, keeps the sound resources by id (an
// id is the resource's slot; freed ids are reused) and shares whole sound
// data by file name. There is no sound thread: the scene calls, once per
// frame, UpdateListener, ProcMusicList and Update, and at shutdown StopMusic,
// ReleaseResources, ReleaseSources and CloseDevice.
//
// Without a device (Init failed or never ran) the manager stays silent: no
// sound is created, and the per-frame calls do nothing.
#include "engine2/ui/sound/COALSoundResource.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <string>
#include <vector>

namespace Vorna2 {

class CDX9KelBaseCameraManager;
class COALOggSoundData;

// Kinds of CreateSound: played once, or looped. Any other kind plays once.
enum ESoundType {
    SOUND_TYPE_ONCE = 4,
    SOUND_TYPE_LOOP = 5,
};

class COALSoundManager {
public:
    COALSoundManager() = default;
    ~COALSoundManager();
    COALSoundManager(const COALSoundManager&) = delete;
    COALSoundManager& operator=(const COALSoundManager&) = delete;

    // Opens the device ("Generic Software", else the default one), makes a
    // context and the sources, and reads the volumes from "engine.ini" in the
    // program folder (or `engineIni` when given).
    bool Init(CDX9KelBaseCameraManager* cameraManager, const char* engineIni = nullptr);
    void CreateSources();
    void ReleaseSources();
    // No context current, the context destroyed, the device closed.
    void CloseDevice();

    // Paths relative to the program folder. -1 when nothing was made.
    int CreateMusic(const char* file);
    int CreateSound(const char* file, int type, const D3DXMATRIX* parentMatrix, const D3DXMATRIX* localMatrix,
                    float referenceDistance, float maxDistance);
    // False when the resource was not taken (its id slot is still in use).
    bool AddSoundResource(COALSoundResource* resource);
    bool DeleteSoundResource(COALSoundResource* resource, bool dropFromMusicList);
    int FindSoundResource(int id) const;
    COALSoundResource* GetSoundResource(int id) const;

    bool PlaySound(int id);
    bool PauseSound(int id);
    bool StopSound(int id);
    int GetSoundState(int id) const;
    bool SetSoundGain(int id, float gain);
    float GetSoundGain(int id) const;
    void SetListenerGain(float gain);
    float GetListenerGain() const { return m_fListenerGain; }

    void UpdateListener();
    void ProcMusicList();
    void StopMusic();
    void Update();
    void ReleaseResources();

    bool IsOpen() const { return m_pContext != nullptr; }
    float GetMusicVolume() const { return m_fMusicVolume; }
    float GetEffectsVolume() const { return m_fEffectsVolume; }
    const float* GetListenerPosition() const { return m_vListenerPosition; }
    size_t GetSourceCount() const { return m_stdvSources.size(); }
    size_t GetFreeSourceCount() const { return m_stdvFreeSources.size(); }
    const std::vector<COALSoundResource*>& GetResources() const { return m_stdvResources; }
    std::vector<COALSoundResource*>& MusicList() { return m_stdvMusic; }
    int GetCurrentMusic() const { return m_iCurrentMusic; }
    void SetCurrentMusic(int index) { m_iCurrentMusic = index; }
    const std::vector<COALOggSoundData*>& GetSharedData() const { return m_stdvSharedData; }

private:
    friend class COALSoundResource;

    // Sources: the resource takes the last free one and gives it back.
    bool TakeSource(ALuint& source);
    void GiveSource(ALuint source);
    COALOggSoundData* FindSharedData(const char* name) const;
    void ForgetSharedData(COALSoundData* data);
    // Makes, loads and registers a resource; null when any step failed.
    COALSoundResource* MakeResource(const char* file);

    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    std::vector<COALOggSoundData*> m_stdvSharedData;
    std::vector<ALuint> m_stdvSources;
    std::vector<ALuint> m_stdvFreeSources;
    std::vector<COALSoundResource*> m_stdvResources;
    std::vector<int> m_stdvFreeIds;
    std::vector<COALSoundResource*> m_stdvMusic;
    int m_iCurrentMusic = -1;
    ALCdevice* m_pDevice = nullptr;
    ALCcontext* m_pContext = nullptr;
    float m_vListenerPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_fListenerGain = 1.0f;
    float m_fMusicVolume = 1.0f;
    float m_fEffectsVolume = 1.0f;
    // The millisecond clock at the last Update (0: none yet).
    unsigned m_uLastUpdate = 0;
};

// The campaign's one sound manager.
extern COALSoundManager g_SoundManager;

} // namespace Vorna2
