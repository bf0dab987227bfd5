#include "engine2/ui/sound/COALSoundManager.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/sound/COALOggSoundData.h"
#include "engine2/ui/sound/SoundCamera.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"
#include "platform/sound/Listener.h"
#include "platform/sound/SoundDevice.h"

#include <algorithm>
#include <cstring>

namespace Vorna2 {

COALSoundManager g_SoundManager;

namespace {

const char* const kSoftwareDevice = "Generic Software";
const char* const kSoundSection = "Sound Settings";
constexpr float kInitialListenerGain = 0.8f;

} // namespace

COALSoundManager::~COALSoundManager() {
    // At process exit OpenAL may be gone: only a manager still holding its
    // device talks to it here.
    if (m_pDevice) {
        StopMusic();
        ReleaseResources();
        ReleaseSources();
        CloseDevice();
    }
}

bool COALSoundManager::Init(CDX9KelBaseCameraManager* cameraManager, const char* engineIni) {
    if (!cameraManager) {
        g_Log.Write(LOG_FAILURE, "%s", "Error : COALSoundManager::Init : pCameraManager == NULL\n");
        return false;
    }
    m_pCameraManager = cameraManager;
    if (m_pDevice) {
        ReleaseResources();
        ReleaseSources();
        CloseDevice();
    }
    std::string opened;
    m_pDevice = Platform::OpenSoundDevice(kSoftwareDevice, &opened);
    // One line either way: the fallback in use, or no sound at all.
    if (!m_pDevice) {
        g_Log.Write(LOG_FAILURE, "%s", "Error : COALSoundManager::Init : Not Open default OpenAL Device\n");
        return false;
    }
    if (opened != kSoftwareDevice)
        g_Log.Write(LOG_FAILURE, "%s", "Error : COALSoundManager::Init : Not Open software OpenAL Device\n");
    m_pContext = alcCreateContext(m_pDevice, nullptr);
    if (!m_pContext) {
        g_Log.Write(LOG_FAILURE, "%s", "Error : COALSoundManager::Init : Not Create OpenAL Context\n");
        alcCloseDevice(m_pDevice);
        m_pDevice = nullptr;
        return false;
    }
    alcMakeContextCurrent(m_pContext);
    CreateSources();
    SetListenerGain(kInitialListenerGain);
    const std::string ini = engineIni ? std::string(engineIni) : Platform::ProgramFolder() + "engine.ini";
    m_fMusicVolume =
        static_cast<float>(static_cast<int>(GetPrivateProfileIntA(kSoundSection, "MusicVolume", 100, ini.c_str()))) /
        100.0f;
    m_fEffectsVolume = static_cast<float>(static_cast<int>(
                           GetPrivateProfileIntA(kSoundSection, "EffectsVolume", 100, ini.c_str()))) /
                       100.0f;
    m_uLastUpdate = 0;
    return true;
}

void COALSoundManager::CreateSources() {
    const size_t first = m_stdvSources.size();
    Platform::GenerateAllSources(m_stdvSources);
    m_stdvFreeSources.insert(m_stdvFreeSources.end(), m_stdvSources.begin() + static_cast<std::ptrdiff_t>(first),
                             m_stdvSources.end());
}

void COALSoundManager::ReleaseSources() {
    if (!m_stdvSources.empty()) {
        alDeleteSources(static_cast<ALsizei>(m_stdvSources.size()), m_stdvSources.data());
        alGetError();
    }
    m_stdvSources.clear();
    m_stdvFreeSources.clear();
}

void COALSoundManager::CloseDevice() {
    alcMakeContextCurrent(nullptr);
    if (m_pContext) alcDestroyContext(m_pContext);
    if (m_pDevice) alcCloseDevice(m_pDevice);
    m_pContext = nullptr;
    m_pDevice = nullptr;
}

bool COALSoundManager::TakeSource(ALuint& source) {
    if (m_stdvFreeSources.empty()) return false;
    source = m_stdvFreeSources.back();
    m_stdvFreeSources.pop_back();
    return true;
}

void COALSoundManager::GiveSource(ALuint source) {
    if (std::find(m_stdvFreeSources.begin(), m_stdvFreeSources.end(), source) == m_stdvFreeSources.end())
        m_stdvFreeSources.push_back(source);
}

COALOggSoundData* COALSoundManager::FindSharedData(const char* name) const {
    for (COALOggSoundData* data : m_stdvSharedData)
        if (!data->m_bStreamed && std::strcmp(data->m_szName, name) == 0) return data;
    return nullptr;
}

void COALSoundManager::ForgetSharedData(COALSoundData* data) {
    m_stdvSharedData.erase(std::remove(m_stdvSharedData.begin(), m_stdvSharedData.end(), data),
                           m_stdvSharedData.end());
}

COALSoundResource* COALSoundManager::MakeResource(const char* file) {
    if (!m_pContext || !file || !*file) return nullptr;
    auto* resource = new COALSoundResource(this);
    const std::string path = Platform::ProgramFolder() + file;
    if (!resource->Load(path.c_str()) || !AddSoundResource(resource)) {
        delete resource;
        return nullptr;
    }
    return resource;
}

int COALSoundManager::CreateMusic(const char* file) {
    COALSoundResource* resource = MakeResource(file);
    if (!resource) return -1;
    resource->m_iStartDelay = COALSoundResource::kMusicStartDelay;
    resource->m_fGain = m_fMusicVolume;
    resource->m_iLoopMode = 1;
    m_stdvMusic.push_back(resource);
    return resource->m_iID;
}

int COALSoundManager::CreateSound(const char* file, int type, const D3DXMATRIX* parentMatrix,
                                  const D3DXMATRIX* localMatrix, float referenceDistance, float maxDistance) {
    if (!file || !*file) return -1;
    if (type == SOUND_TYPE_ONCE && m_fEffectsVolume == 0.0f) return -1;
    COALSoundResource* resource = MakeResource(file);
    if (!resource) return -1;
    resource->m_iStartDelay = 0;
    resource->m_fGain = m_fEffectsVolume;
    resource->m_iLoopMode = type == SOUND_TYPE_LOOP ? 1 : 0;
    if (localMatrix) {
        resource->m_b3D = true;
        resource->m_mLocal = *localMatrix;
        resource->m_pParentMatrix = parentMatrix;
        resource->m_fReferenceDistance = referenceDistance;
        resource->m_fMaxDistance = maxDistance;
    }
    return resource->m_iID;
}

bool COALSoundManager::AddSoundResource(COALSoundResource* resource) {
    if (!resource) return false;
    if (!m_stdvFreeIds.empty()) {
        const int id = m_stdvFreeIds.back();
        if (id < 0 || id >= static_cast<int>(m_stdvResources.size()) || m_stdvResources[id]) return false;
        m_stdvFreeIds.pop_back();
        m_stdvResources[id] = resource;
        resource->m_iID = id;
        return true;
    }
    resource->m_iID = static_cast<int>(m_stdvResources.size());
    m_stdvResources.push_back(resource);
    return true;
}

int COALSoundManager::FindSoundResource(int id) const {
    if (id >= 0 && id < static_cast<int>(m_stdvResources.size()) && m_stdvResources[id] &&
        m_stdvResources[id]->m_iID == id)
        return id;
    for (size_t i = 0; i < m_stdvResources.size(); ++i)
        if (m_stdvResources[i] && m_stdvResources[i]->m_iID == id) return static_cast<int>(i);
    return -1;
}

COALSoundResource* COALSoundManager::GetSoundResource(int id) const {
    const int index = FindSoundResource(id);
    return index < 0 ? nullptr : m_stdvResources[index];
}

bool COALSoundManager::DeleteSoundResource(COALSoundResource* resource, bool dropFromMusicList) {
    if (!resource) return false;
    const int index = FindSoundResource(resource->m_iID);
    if (index < 0 || m_stdvResources[index] != resource) return false;
    if (dropFromMusicList) {
        auto it = std::find(m_stdvMusic.begin(), m_stdvMusic.end(), resource);
        if (it != m_stdvMusic.end()) {
            const int position = static_cast<int>(it - m_stdvMusic.begin());
            m_stdvMusic.erase(it);
            if (m_iCurrentMusic == position) m_iCurrentMusic = -1;
            else if (m_iCurrentMusic > position) --m_iCurrentMusic;
        }
    }
    m_stdvResources[index] = nullptr;
    m_stdvFreeIds.push_back(index);
    resource->ReleaseData();
    delete resource;
    return true;
}

bool COALSoundManager::PlaySound(int id) {
    COALSoundResource* resource = GetSoundResource(id);
    if (!resource) return false;
    if (resource->m_iState != SOUND_PLAYING) resource->m_iState = SOUND_REQUESTED;
    return true;
}

bool COALSoundManager::PauseSound(int id) {
    COALSoundResource* resource = GetSoundResource(id);
    if (!resource) return false;
    if (resource->m_iState != SOUND_PAUSED) resource->Pause();
    return true;
}

bool COALSoundManager::StopSound(int id) {
    COALSoundResource* resource = GetSoundResource(id);
    if (!resource) return false;
    resource->Stop();
    if (resource->m_iState == SOUND_STOPPED) resource->m_iState = SOUND_IDLE;
    return true;
}

int COALSoundManager::GetSoundState(int id) const {
    const COALSoundResource* resource = GetSoundResource(id);
    return resource ? resource->m_iState : -1;
}

bool COALSoundManager::SetSoundGain(int id, float gain) {
    COALSoundResource* resource = GetSoundResource(id);
    if (!resource) return false;
    resource->m_fGain = std::clamp(gain, 0.0f, 1.0f);
    if (resource->m_iSource >= 0) alSourcef(static_cast<ALuint>(resource->m_iSource), AL_GAIN, resource->m_fGain);
    return true;
}

float COALSoundManager::GetSoundGain(int id) const {
    const COALSoundResource* resource = GetSoundResource(id);
    return resource ? resource->m_fGain : -1.0f;
}

void COALSoundManager::SetListenerGain(float gain) {
    m_fListenerGain = gain;
    if (m_pContext) alListenerf(AL_GAIN, std::clamp(gain, 0.0f, 1.0f));
}

void COALSoundManager::UpdateListener() {
    if (!m_pContext || !m_pCameraManager) return;
    D3DXVECTOR3 eye, lookAt, up;
    if (!ActiveCameraView(m_pCameraManager, eye, lookAt, up)) return;
    Platform::ToOpenAL(&eye.x, m_vListenerPosition);
    alListenerfv(AL_POSITION, m_vListenerPosition);
    Platform::SetListenerOrientation(&lookAt.x, &eye.x, &up.x);
}

void COALSoundManager::ProcMusicList() {
    if (m_iCurrentMusic < 0 || m_iCurrentMusic >= static_cast<int>(m_stdvMusic.size())) return;
    if (m_stdvMusic[m_iCurrentMusic]->m_iState != SOUND_STOPPED) return;
    m_iCurrentMusic = (m_iCurrentMusic + 1) % static_cast<int>(m_stdvMusic.size());
    m_stdvMusic[m_iCurrentMusic]->m_iState = SOUND_REQUESTED;
}

void COALSoundManager::StopMusic() {
    if (m_iCurrentMusic >= 0 && m_iCurrentMusic < static_cast<int>(m_stdvMusic.size()))
        m_stdvMusic[m_iCurrentMusic]->Stop();
    m_iCurrentMusic = -1;
}

void COALSoundManager::Update() {
    if (!m_pContext) return;
    const unsigned now = timeGetTime();
    const int elapsed = m_uLastUpdate ? static_cast<int>(now - m_uLastUpdate) : 0;
    m_uLastUpdate = now;
    for (size_t i = 0; i < m_stdvResources.size(); ++i) {
        COALSoundResource* resource = m_stdvResources[i];
        if (!resource) continue;
        // 1. The owner's command word, then the placement of a sound that
        // follows a moving parent.
        if (resource->m_pData && resource->m_pData->m_bOpened && resource->m_pCommand) {
            switch (*resource->m_pCommand) {
            case SOUND_COMMAND_PLAY:
                if (resource->m_iState == SOUND_PAUSED) resource->Play();
                else if (resource->m_iState != SOUND_PLAYING) resource->m_iState = SOUND_REQUESTED;
                break;
            case SOUND_COMMAND_PAUSE: resource->Pause(); break;
            case SOUND_COMMAND_STOP: resource->Stop(); break;
            default: break;
            }
            *resource->m_pCommand = SOUND_COMMAND_NONE;
        }
        if (resource->m_pParentMatrix && resource->m_iSource >= 0) {
            const auto source = static_cast<ALuint>(resource->m_iSource);
            resource->SetPlacement(source);
            ALfloat position[3];
            resource->ALPosition(position);
            const ALfloat velocity[3] = {position[0] - resource->m_vPreviousPosition[0],
                                         position[1] - resource->m_vPreviousPosition[1],
                                         position[2] - resource->m_vPreviousPosition[2]};
            alSourcefv(source, AL_VELOCITY, velocity);
            std::memcpy(resource->m_vPreviousPosition, position, sizeof(position));
        }
        const bool audible = resource->IsAudible(m_vListenerPosition);
        switch (resource->m_iState) {
        case SOUND_REQUESTED:
            if (!audible) {
                if (resource->m_iLoopMode == 0) DeleteSoundResource(resource, true);
                break;
            }
            resource->m_iDelayCounter += elapsed;
            if (resource->m_iDelayCounter >= resource->m_iStartDelay && resource->Play())
                resource->m_iDelayCounter = 0;
            break;
        case SOUND_PLAYING:
            if (!audible) resource->Stop();
            else resource->UpdatePlaying();
            break;
        case SOUND_STOPPED:
            if (resource->m_iLoopMode == 0) DeleteSoundResource(resource, true);
            else resource->m_iState = SOUND_REQUESTED;
            break;
        default: break;
        }
    }
}

void COALSoundManager::ReleaseResources() {
    for (COALSoundResource* resource : m_stdvResources) {
        if (!resource) continue;
        resource->ReleaseData();
        delete resource;
    }
    m_stdvResources.clear();
    m_stdvFreeIds.clear();
    m_stdvMusic.clear();
    m_iCurrentMusic = -1;
}

} // namespace Vorna2
