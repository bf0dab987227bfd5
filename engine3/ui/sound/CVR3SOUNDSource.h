#pragma once
// Sound channels and sound sources. A channel is one OpenAL source; a sound
// source is a sound the game wants to hear, which plays on a channel while it
// has one and otherwise runs silently on the clock ("virtual voice") so that
// it can start at the right position once a channel is free.
//
// Sources belong to the sound manager. Every member is guarded by the
// manager's source lock; only the sound thread calls OpenAL.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <cstdint>

namespace Vorna3D {

class CVR3SOUNDData;

class CVR3SOUNDChannel {
public:
    virtual ~CVR3SOUNDChannel() = default;
    uint32_t m_uSource = 0;
    int32_t m_iIndex = -1;
    // On the manager's free stack; a channel is never there twice.
    bool m_bFree = false;
};

class CVR3SOUNDSource {
public:
    enum EState {
        STATE_NEW = 0,
        STATE_TO_START = 1,
        STATE_PLAYING = 2,
        STATE_SILENT = 3,
        STATE_FINISHED = 4,
        STATE_PAUSED = 5,
        STATE_PAUSED_SILENT = 6,
    };
    enum EPlayMode { MODE_DELETE_WHEN_FINISHED = 1, MODE_LOOP = 2, MODE_KEEP = 3 };

    CVR3SOUNDSource();

    bool IsLooping() const { return m_iPlayMode == MODE_LOOP; }
    // Seconds since playback began, by the clock.
    double Elapsed(DWORD now) const { return static_cast<DWORD>(now - m_uStartTime) * 0.001; }
    // The world position the source is heard at (row 3 of its world matrix).
    D3DXVECTOR3 WorldPosition() const { return {m_mWorld._41, m_mWorld._42, m_mWorld._43}; }

    CVR3SOUNDChannel* m_pChannel = nullptr;
    CVR3SOUNDData* m_pData = nullptr;
    bool m_b3D = false;
    int32_t m_iPlayMode = 0;
    int32_t m_iState = STATE_NEW;
    int32_t m_iPriority = 0;
    bool m_bEndReached = false;
    bool m_bOutOfRange = false;
    bool m_bDeleteRequested = false;
    DWORD m_uStartTime = 0;
    DWORD m_uPauseTime = 0;
    float m_fGain = 1.0f;
    D3DXVECTOR3 m_vPreviousPosition{0.0f, 0.0f, 0.0f};
    // The owner's world matrix as the main thread last copied it; the source
    // follows it while m_pOwnerMatrix is set.
    const D3DXMATRIX* m_pOwnerMatrix = nullptr;
    D3DXMATRIX m_mOwnerCopy;
    D3DXMATRIX m_mLocal;
    D3DXMATRIX m_mWorld;
    float m_fMinDistance = 0.0f;
    float m_fMaxDistance = 0.0f;
    float m_fMaxDistanceSquared = 0.0f;
    float m_fDistanceSquared = 0.0f;

    // Bookkeeping of the manager.
    uint64_t m_uId = 0;
    int32_t m_iSlot = -1;
    // Loaded into a sound line: the line keeps it, and the all-sources
    // operations leave it alone.
    bool m_bLineOwned = false;
    // Gain or distances changed; the sound thread hands them to the channel.
    bool m_bParametersChanged = false;
    // Paused on its channel and asked to play again: it resumes there.
    bool m_bResumeOnChannel = false;
};

} // namespace Vorna3D
