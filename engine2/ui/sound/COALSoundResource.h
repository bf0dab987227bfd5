#pragma once
// One playable sound: a sound resource plays its sound data on an OpenAL
// source that it takes from the sound manager while it plays and gives back
// when it stops. Resources are made, addressed by id and driven by the sound
// manager; the campaign code controls them through the manager's calls or
// through a command word it writes.
#include "platform/math/d3dx9math.h"

#include <AL/al.h>

namespace Vorna2 {

class COALSoundData;
class COALSoundManager;

// Resource states.
enum ESoundState {
    SOUND_IDLE = 0,
    SOUND_REQUESTED = 1,  // play requested; starts once audible and its start delay has passed
    SOUND_STOPPED = 2,    // stopped or finished; the source was given back
    SOUND_PLAYING = 3,
    SOUND_PAUSED = 4,
};

// Values an outside owner writes into a resource's command word.
enum ESoundCommand {
    SOUND_COMMAND_NONE = 0,
    SOUND_COMMAND_PLAY = 1,
    SOUND_COMMAND_STOP = 2,
    SOUND_COMMAND_PAUSE = 3,
};

class COALSoundResource {
public:
    // Start delay of music, in milliseconds.
    static constexpr int kMusicStartDelay = 3000;
    // Last-command values.
    static constexpr int kLastStop = 2;
    static constexpr int kLastPause = 4;

    explicit COALSoundResource(COALSoundManager* manager);
    ~COALSoundResource();
    COALSoundResource(const COALSoundResource&) = delete;
    COALSoundResource& operator=(const COALSoundResource&) = delete;

    // Only "ogg" files (either case). Whole data is shared with every other
    // resource that loaded a file of the same name.
    bool Load(const char* file);
    // Starts (or resumes after a pause) on a source of the manager.
    bool Play();
    void Pause();
    // Stops, detaches the buffers and gives the source back; false when
    // OpenAL refused (the resource then keeps its state).
    bool Stop();
    // Stops and lets go of the data: the last user closes and destroys it.
    void ReleaseData();

    // Local matrix times the parent matrix (when there is one).
    D3DXMATRIX WorldMatrix() const;
    // The world position in OpenAL's coordinates.
    void ALPosition(ALfloat out[3]) const;
    // Always for a sound that is not 3D; else within the maximum distance of
    // the listener position (OpenAL coordinates).
    bool IsAudible(const float listener[3]) const;

    int m_iID = -1;
    int m_iSource = -1;
    COALSoundData* m_pData = nullptr;
    bool m_b3D = false;
    int m_iStartDelay = 0;
    int m_iDelayCounter = 0;
    int m_iLastCommand = 0;
    bool m_bEndOfStream = false;
    int m_iLoopMode = 0;  // 0 play once, 1 loop
    int m_iState = SOUND_IDLE;
    int* m_pCommand = nullptr;
    float m_fGain = 1.0f;
    ALfloat m_vPreviousPosition[3] = {0.0f, 0.0f, 0.0f};
    const D3DXMATRIX* m_pParentMatrix = nullptr;
    D3DXMATRIX m_mLocal;
    float m_fMaxDistance = 0.0f;
    float m_fReferenceDistance = 0.0f;

private:
    friend class COALSoundManager;
    // After a failed start: the buffers come off the source and the source
    // goes back to the manager, so a sound that keeps failing never uses up
    // the sources.
    void GiveSourceBack();
    // Queues what the data has for a fresh start; false on an OpenAL error.
    bool QueueForStart(ALuint source);
    void SetPlacement(ALuint source);
    // Per-frame work of a playing resource; the state may change.
    void UpdatePlaying();
    void UpdateStream(ALuint source);
    const char* DataName() const;

    COALSoundManager* m_pManager;
};

} // namespace Vorna2
