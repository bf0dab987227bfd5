#include "engine2/ui/sound/COALSoundResource.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/sound/COALOggSoundData.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "platform/sound/Listener.h"
#include "platform/sound/SoundDevice.h"

#include <cstring>
#include <strings.h>

namespace Vorna2 {

namespace {

// The extension after the last dot of the file part; empty without one.
const char* ExtensionOf(const char* file) {
    const char* dot = nullptr;
    for (const char* p = file; *p; ++p) {
        if (*p == '.') dot = p;
        if (*p == '/' || *p == '\\') dot = nullptr;
    }
    return dot ? dot + 1 : "";
}

const char* FileNameOf(const char* file) {
    const char* name = file;
    for (const char* p = file; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return name;
}

} // namespace

COALSoundResource::COALSoundResource(COALSoundManager* manager) : m_pManager(manager) {
    D3DXMatrixIdentity(&m_mLocal);
}

COALSoundResource::~COALSoundResource() {
    if (m_pData) ReleaseData();
}

const char* COALSoundResource::DataName() const { return m_pData ? m_pData->m_szName : ""; }

bool COALSoundResource::Load(const char* file) {
    if (!file || !m_pManager || m_pData) return false;
    const char* extension = ExtensionOf(file);
    if (strcasecmp(extension, "ogg") != 0) return false;
    char name[COALSoundData::kNameLength] = {};
    std::strncpy(name, FileNameOf(file), sizeof(name) - 1);
    if (COALOggSoundData* shared = m_pManager->FindSharedData(name)) {
        ++shared->m_iUseCount;
        m_pData = shared;
        return true;
    }
    auto* data = new COALOggSoundData();
    if (!data->Open(file)) {
        delete data;
        return false;
    }
    m_pData = data;
    if (!data->m_bStreamed) m_pManager->m_stdvSharedData.push_back(data);
    return true;
}

D3DXMATRIX COALSoundResource::WorldMatrix() const {
    D3DXMATRIX world = m_mLocal;
    if (m_pParentMatrix) D3DXMatrixMultiply(&world, &m_mLocal, m_pParentMatrix);
    return world;
}

void COALSoundResource::ALPosition(ALfloat out[3]) const {
    const D3DXMATRIX world = WorldMatrix();
    const float position[3] = {world._41, world._42, world._43};
    Platform::ToOpenAL(position, out);
}

bool COALSoundResource::IsAudible(const float listener[3]) const {
    if (!m_b3D) return true;
    ALfloat p[3];
    ALPosition(p);
    const float dx = p[0] - listener[0], dy = p[1] - listener[1], dz = p[2] - listener[2];
    return dx * dx + dy * dy + dz * dz <= m_fMaxDistance * m_fMaxDistance;
}

void COALSoundResource::SetPlacement(ALuint source) {
    const D3DXMATRIX world = WorldMatrix();
    const float position[3] = {world._41, world._42, world._43};
    const float direction[3] = {world._31, world._32, world._33};
    ALfloat alPosition[3], alDirection[3];
    Platform::ToOpenAL(position, alPosition);
    Platform::ToOpenAL(direction, alDirection);
    alSourcefv(source, AL_POSITION, alPosition);
    alSourcefv(source, AL_DIRECTION, alDirection);
}

void COALSoundResource::GiveSourceBack() {
    if (m_iSource < 0) return;
    const auto source = static_cast<ALuint>(m_iSource);
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    alGetError();
    m_pManager->GiveSource(source);
    m_iSource = -1;
}

bool COALSoundResource::QueueForStart(ALuint source) {
    m_bEndOfStream = false;
    if (m_pData->m_bStreamed) {
        m_pData->Rewind();
        for (const ALuint buffer : m_pData->m_stdvBuffers) {
            int uploaded = 0;
            const COALSoundData::EFill fill = m_pData->Fill(buffer, COALSoundData::kFillBytes, uploaded);
            if (fill == COALSoundData::FILL_ERROR) return false;
            if (uploaded > 0) {
                alSourceQueueBuffers(source, 1, &buffer);
                if (alGetError() != AL_NO_ERROR) return false;
            }
            if (fill == COALSoundData::FILL_END && m_iLoopMode == 0) {
                m_bEndOfStream = true;
                break;
            }
        }
        return true;
    }
    if (!m_pData->m_stdvBuffers.empty()) {
        alSourceQueueBuffers(source, static_cast<ALsizei>(m_pData->m_stdvBuffers.size()),
                             m_pData->m_stdvBuffers.data());
        if (alGetError() != AL_NO_ERROR) return false;
    }
    return true;
}

bool COALSoundResource::Play() {
    if (m_iState == SOUND_PLAYING) return true;
    if (!m_pData || !m_pManager) return false;
    // A paused sound still holds its source: it resumes there, whether or
    // not another source is free.
    if (m_iLastCommand == kLastPause && m_iSource >= 0) {
        alGetError();
        alSourcePlay(static_cast<ALuint>(m_iSource));
        if (alGetError() != AL_NO_ERROR) {
            g_Log.Write(LOG_FAILURE, "%s%s%s", "Error : COALSoundResource::Play() : Not Play Sound after Pause: ",
                        DataName(), "\n");
            return false;
        }
        m_iState = SOUND_PLAYING;
        m_iLastCommand = 0;
        return true;
    }
    ALuint source = 0;
    if (!m_pManager->TakeSource(source)) {
        g_Log.Write(LOG_FAILURE, "%s", "Error : COALSoundResource::Play() : not found free OAL source\n");
        return false;
    }
    m_iSource = static_cast<int>(source);
    ALint sourceState = AL_INITIAL;
    alGetError();
    alGetSourcei(source, AL_SOURCE_STATE, &sourceState);
    if (sourceState != AL_STOPPED && sourceState != AL_INITIAL) {
        alSourceStop(source);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDSource::Start() : Not Stop Sound : ", Platform::OpenALErrorText(error),
                        "\n");
            GiveSourceBack();
            return false;
        }
    }
    alSourceRewind(source);
    alSourcei(source, AL_BUFFER, 0);
    alGetError();
    if (!QueueForStart(source)) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "Error : COALSoundResource::Play() : Not Queue Sound : ", DataName(), "\n");
        GiveSourceBack();
        return false;
    }
    if (m_b3D) {
        alSourcef(source, AL_REFERENCE_DISTANCE, m_fReferenceDistance);
        alSourcef(source, AL_MAX_DISTANCE, m_fMaxDistance);
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        SetPlacement(source);
        ALPosition(m_vPreviousPosition);
    } else {
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_DIRECTION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_PITCH, 1.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    }
    alSourcef(source, AL_GAIN, m_fGain);
    alGetError();
    alSourcePlay(source);
    if (alGetError() != AL_NO_ERROR) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "Error : COALSoundResource::Play() : Not Play Sound : ", DataName(), "\n");
        GiveSourceBack();
        return false;
    }
    m_iState = SOUND_PLAYING;
    return true;
}

void COALSoundResource::Pause() {
    if (m_iState != SOUND_PLAYING || m_iSource < 0) return;
    alGetError();
    alSourcePause(static_cast<ALuint>(m_iSource));
    if (alGetError() != AL_NO_ERROR) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "Error : COALSoundResource::Pause() : Not Pause Sound : ", DataName(),
                    "\n");
        return;
    }
    m_iState = SOUND_PAUSED;
    m_iLastCommand = kLastPause;
}

bool COALSoundResource::Stop() {
    if (m_iState == SOUND_IDLE || m_iState == SOUND_STOPPED || m_iSource < 0) return true;
    const auto source = static_cast<ALuint>(m_iSource);
    alGetError();
    alSourceStop(source);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDManager::FreeSoundChannel() : Not Stop Sound : ",
                    Platform::OpenALErrorText(error), "\n");
        return false;
    }
    alSourcei(source, AL_BUFFER, 0);
    error = alGetError();
    if (error != AL_NO_ERROR) {
        g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDManager::FreeSoundChannel() : Not clear OALSource : ",
                    Platform::OpenALErrorText(error), "\n");
        return false;
    }
    if (m_pData) m_pData->Rewind();
    m_iState = SOUND_STOPPED;
    m_iLastCommand = kLastStop;
    m_bEndOfStream = false;
    m_pManager->GiveSource(source);
    m_iSource = -1;
    return true;
}

void COALSoundResource::ReleaseData() {
    Stop();
    // A source that OpenAL would not stop is still given back, since the
    // resource is going away.
    GiveSourceBack();
    if (!m_pData) return;
    if (m_pData->m_iUseCount < 2) {
        m_pData->Close();
        if (m_pManager) m_pManager->ForgetSharedData(m_pData);
        delete m_pData;
    } else {
        --m_pData->m_iUseCount;
    }
    m_pData = nullptr;
}

void COALSoundResource::UpdatePlaying() {
    if (m_iSource < 0 || !m_pData) return;
    const auto source = static_cast<ALuint>(m_iSource);
    ALint sourceState = AL_INITIAL, processed = 0;
    alGetError();
    alGetSourcei(source, AL_SOURCE_STATE, &sourceState);
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (sourceState == AL_STOPPED && processed == 0) {
        alSourcePlay(source);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR)
            g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDSource::Update() : Not play OALSource after stop: ",
                        Platform::OpenALErrorText(error), "\n");
    }
    if (m_pData->m_bStreamed) {
        UpdateStream(source);
        return;
    }
    const auto count = static_cast<ALint>(m_pData->m_stdvBuffers.size());
    if (processed < count) return;
    if (m_iLoopMode == 0) {
        Stop();
        return;
    }
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    m_pData->Rewind();
    if (count > 0) alSourceQueueBuffers(source, count, m_pData->m_stdvBuffers.data());
    alSourcePlay(source);
    const ALenum error = alGetError();
    if (error != AL_NO_ERROR)
        g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDSource::Update() : Not play OALSource after stop: ",
                    Platform::OpenALErrorText(error), "\n");
}

void COALSoundResource::UpdateStream(ALuint source) {
    ALint processed = 0, queued = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (m_bEndOfStream) {
        // The last block is playing: the sound ends once everything queued
        // has played.
        if (processed >= queued) {
            m_bEndOfStream = false;
            Stop();
        }
        return;
    }
    for (ALint i = 0; i < processed; ++i) {
        ALuint buffer = 0;
        alGetError();
        alSourceUnqueueBuffers(source, 1, &buffer);
        if (alGetError() != AL_NO_ERROR) return;
        int uploaded = 0;
        COALSoundData::EFill fill = m_pData->Fill(buffer, COALSoundData::kFillBytes, uploaded);
        // A looping stream that ended exactly at a block edge goes on from
        // its start at once, so the buffer is never queued empty.
        if (fill == COALSoundData::FILL_END && uploaded == 0 && m_iLoopMode != 0)
            fill = m_pData->Fill(buffer, COALSoundData::kFillBytes, uploaded);
        if (uploaded > 0) {
            alGetError();
            alSourceQueueBuffers(source, 1, &buffer);
            const ALenum error = alGetError();
            if (error != AL_NO_ERROR)
                g_Log.Write(LOG_FAILURE, "%s%s%s", "CVR3SOUNDSource::Update() : alSourceQueueBuffers failed : ",
                            Platform::OpenALErrorText(error), "\n");
        }
        if (fill == COALSoundData::FILL_ERROR || (fill == COALSoundData::FILL_END && m_iLoopMode == 0)) {
            m_bEndOfStream = true;
            return;
        }
    }
}

} // namespace Vorna2
