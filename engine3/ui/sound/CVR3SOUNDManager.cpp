#include "engine3/ui/sound/CVR3SOUNDManager.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/ui/localization/SafeXml.h"
#include "engine3/ui/sound/CVR3SOUNDDataOgg.h"
#include "engine3/ui/sound/OpenALCheck.h"
#include "engine3/ui/sound/SoundLock.h"
#include "platform/os/Clock.h"
#include "platform/os/Paths.h"
#include "platform/os/Profile.h"
#include "platform/sound/Listener.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>

namespace Vorna3D {

namespace {

const char* const kSoftwareDevice = "Generic Software";

// Direct3D's left-handed coordinates to OpenAL's right-handed ones.
void ToAL(const D3DXVECTOR3& v, ALfloat out[3]) { Platform::ToOpenAL(&v.x, out); }

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

// Runs one checked OpenAL call: clears the error flag, calls, and logs the
// message with the error text when the call failed.
template <typename F>
bool CheckedAL(F&& call, const char* message) {
    ClearALError();
    call();
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR) return true;
    g_Log.Write(LOG_ERROR, "%s%s%s", message, ALErrorText(error), "\n");
    return false;
}

ALint SourceState(ALuint source) {
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

} // namespace

// ---------------------------------------------------------------- SoundHandle

bool SoundHandle::IsAlive() const {
    if (!m_pManager) return false;
    SoundLock lock(m_pManager->m_sourceLock);
    return m_pManager->FindSourceLocked(m_uId) != nullptr;
}

#define VORNA_WITH_SOURCE(expr_on_source)                          \
    if (!m_pManager) return false;                                 \
    SoundLock lock(m_pManager->m_sourceLock);                      \
    CVR3SOUNDSource* s = m_pManager->FindSourceLocked(m_uId);      \
    if (!s) return false;                                          \
    expr_on_source;

bool SoundHandle::Play() {
    VORNA_WITH_SOURCE(m_pManager->PlayLocked(s, timeGetTime()));
    return true;
}

bool SoundHandle::Pause() {
    VORNA_WITH_SOURCE(return m_pManager->PauseLocked(s, timeGetTime()));
}

bool SoundHandle::Stop() {
    VORNA_WITH_SOURCE(return m_pManager->StopLocked(s));
}

bool SoundHandle::SetVolume(float volume) {
    VORNA_WITH_SOURCE(m_pManager->SetVolumeLocked(s, volume));
    return true;
}

bool SoundHandle::SetDistance(float minDistance, float maxDistance) {
    VORNA_WITH_SOURCE((void)0);
    s->m_b3D = true;
    s->m_fMinDistance = minDistance;
    s->m_fMaxDistance = maxDistance;
    s->m_fMaxDistanceSquared = maxDistance * maxDistance;
    s->m_bParametersChanged = true;
    return true;
}

bool SoundHandle::SetTransform(const D3DXMATRIX* matrix, const D3DXMATRIX* owner) {
    if (!matrix) return false;
    VORNA_WITH_SOURCE((void)0);
    s->m_b3D = true;
    if (owner) {
        s->m_pOwnerMatrix = owner;
        s->m_mOwnerCopy = *owner;
        s->m_mLocal = *matrix;
        s->m_mWorld = s->m_mLocal * s->m_mOwnerCopy;
    } else {
        s->m_pOwnerMatrix = nullptr;
        s->m_mWorld = *matrix;
    }
    return true;
}

bool SoundHandle::SetPriority(int priority) {
    VORNA_WITH_SOURCE(s->m_iPriority = priority);
    return true;
}

bool SoundHandle::Delete() {
    // The owner may go right after: the source follows it no more.
    VORNA_WITH_SOURCE(s->m_bDeleteRequested = true; s->m_pOwnerMatrix = nullptr);
    return true;
}

#undef VORNA_WITH_SOURCE

#define VORNA_READ_SOURCE(fallback, expr)                          \
    if (!m_pManager) return fallback;                              \
    SoundLock lock(m_pManager->m_sourceLock);                      \
    const CVR3SOUNDSource* s = m_pManager->FindSourceLocked(m_uId); \
    return s ? (expr) : (fallback);

int SoundHandle::GetState() const { VORNA_READ_SOURCE(-1, s->m_iState) }
bool SoundHandle::Is3D() const { VORNA_READ_SOURCE(false, s->m_b3D) }
float SoundHandle::GetGain() const { VORNA_READ_SOURCE(0.0f, s->m_fGain) }
int SoundHandle::GetPriority() const { VORNA_READ_SOURCE(0, s->m_iPriority) }
int SoundHandle::GetPlayMode() const { VORNA_READ_SOURCE(0, s->m_iPlayMode) }
int SoundHandle::GetChannelIndex() const {
    VORNA_READ_SOURCE(-1, s->m_pChannel ? s->m_pChannel->m_iIndex : -1)
}
const CVR3SOUNDData* SoundHandle::GetData() const {
    VORNA_READ_SOURCE(static_cast<const CVR3SOUNDData*>(nullptr), static_cast<const CVR3SOUNDData*>(s->m_pData))
}

#undef VORNA_READ_SOURCE

// ----------------------------------------------------------------- the manager

CVR3SOUNDSource::CVR3SOUNDSource() {
    D3DXMatrixIdentity(&m_mOwnerCopy);
    D3DXMatrixIdentity(&m_mLocal);
    D3DXMatrixIdentity(&m_mWorld);
}

CVR3SOUNDManager::CVR3SOUNDManager() {
    m_stdvPendingSources.reserve(1000);
    m_stdvWork2D.reserve(100);
    m_stdvWork3D.reserve(1000);
    InitializeCriticalSection(&m_sourceLock);
    InitializeCriticalSection(&m_lineLock);
    m_bLocksReady = true;
}

CVR3SOUNDManager::~CVR3SOUNDManager() {
    // OpenAL may already be gone at process exit: only a manager that was
    // never released talks to it here.
    if (m_pDevice) Release();
    if (m_bLocksReady) {
        DeleteCriticalSection(&m_sourceLock);
        DeleteCriticalSection(&m_lineLock);
    }
}

CVR3SOUNDManager& CVR3SOUNDManager::Get() {
    static CVR3SOUNDManager manager;
    return manager;
}

bool CVR3SOUNDManager::Init(CDX9KelCameraManager* pCameraManager, const char* engineIniPath) {
    if (!pCameraManager) {
        g_Log.Write(LOG_ERROR, "CVR3SOUNDManager::Init : pCameraManager == NULL\n");
        return false;
    }
    if (m_pDevice) Release();
    g_Log.Write(LOG_INFO, "CVR3SOUNDManager : Init() : Begin \n");
    m_pCameraManager = pCameraManager;

    m_pDevice = Platform::OpenSoundDevice(kSoftwareDevice, &m_strDeviceName);
    if (!m_pDevice) {
        // No sound device: the game runs silent, with this one line to say so.
        g_Log.Write(LOG_ERROR, "CVR3SOUNDManager::Init : Not Open default OpenAL Device\n");
        return false;
    }
    if (m_strDeviceName != kSoftwareDevice)
        g_Log.Write(LOG_WARNING, "CVR3SOUNDManager::Init : Not Open software OpenAL Device\n");
    g_Log.Write(LOG_INFO, "%s%s%s", "CVR3SOUNDManager : OpenAL Device : ", m_strDeviceName.c_str(), "\n");
    m_pContext = alcCreateContext(m_pDevice, nullptr);
    if (!m_pContext) {
        g_Log.Write(LOG_ERROR, "CVR3SOUNDManager::Init : Not Create OpenAL Context\n");
        alcCloseDevice(m_pDevice);
        m_pDevice = nullptr;
        return false;
    }
    alcMakeContextCurrent(m_pContext);

    // Every OpenAL source the device will give becomes a channel.
    std::vector<ALuint> sources;
    Platform::GenerateAllSources(sources);
    for (const ALuint source : sources) {
        auto channel = std::make_unique<CVR3SOUNDChannel>();
        channel->m_uSource = source;
        channel->m_iIndex = static_cast<int32_t>(m_stdvChannels.size());
        channel->m_bFree = true;
        m_stdvFreeChannels.push_back(channel->m_iIndex);
        m_stdvChannels.push_back(std::move(channel));
    }
    g_Log.Write(LOG_INFO, "%s%u%s", "CVR3SOUNDManager : OpenAL : sound sources : ",
                static_cast<unsigned>(m_stdvChannels.size()), "\n");

    const std::string ini = engineIniPath ? std::string(engineIniPath) : Platform::ProgramFolder() + "engine.ini";
    m_fMusicVolume = static_cast<int>(GetPrivateProfileIntA("Sound Settings", "MusicVolume", 100, ini.c_str())) / 100.0f;
    m_fEffectsVolume =
        static_cast<int>(GetPrivateProfileIntA("Sound Settings", "EffectsVolume", 100, ini.c_str())) / 100.0f;
    m_fMusicVolume = std::clamp(m_fMusicVolume, 0.0f, 1.0f);
    m_fEffectsVolume = std::clamp(m_fEffectsVolume, 0.0f, 1.0f);
    alListenerf(AL_GAIN, m_fListenerGain);

    m_bStop.store(false);
    m_bRunning.store(true);
    g_Log.Write(LOG_INFO, "CVR3SOUNDManager : Init() : End \n");
    return true;
}

void CVR3SOUNDManager::OnLost() {
    g_Log.Write(LOG_INFO, "CVR3SOUNDManager::OnLost()\n");
    m_iContextRequest.store(1);
}

void CVR3SOUNDManager::Restore() {
    g_Log.Write(LOG_INFO, "CVR3SOUNDManager::Restore()\n");
    m_iContextRequest.store(2);
}

void CVR3SOUNDManager::Release() {
    m_bRunning.store(false);
    std::lock_guard<std::mutex> pass(m_passLock);
    {
        SoundLock lines(m_lineLock);
        m_stdvSoundLines.clear();
        m_stdvFreeSoundLines.clear();
    }
    SoundLock lock(m_sourceLock);
    for (CVR3SOUNDSource* source : m_stdvPendingSources)
        if (source) m_stdvSources.push_back(source);
    m_stdvPendingSources.clear();
    for (CVR3SOUNDSource*& source : m_stdvSources) {
        if (!source) continue;
        FreeSoundChannel(source);
        ReleaseSoundDataLocked(source->m_pData);
        delete source;
        source = nullptr;
    }
    m_stdvSources.clear();
    m_stdvFreeSources.clear();
    m_stdmHandles.clear();
    // Data whose sources are gone but that is still in the table (a caller's
    // own reference from CreateSoundData).
    for (CVR3SOUNDData*& data : m_stdvSoundData) {
        if (!data) continue;
        data->Close();
        delete data;
        data = nullptr;
    }
    m_stdvSoundData.clear();
    m_stdvFreeSoundData.clear();
    for (auto& channel : m_stdvChannels) alDeleteSources(1, &channel->m_uSource);
    m_stdvChannels.clear();
    m_stdvFreeChannels.clear();
    m_stdvWork2D.clear();
    m_stdvWork3D.clear();
    if (m_pContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_pContext);
        m_pContext = nullptr;
    }
    if (m_pDevice) {
        alcCloseDevice(m_pDevice);
        m_pDevice = nullptr;
    }
    m_pCameraManager = nullptr;
    m_bListenerPosted = false;
}

// ------------------------------------------------------------ loading sounds

CVR3SOUNDData* CVR3SOUNDManager::CreateSoundData(const std::string& path) {
    const std::string name = FileNameOf(path);
    {
        SoundLock lock(m_sourceLock);
        for (CVR3SOUNDData* data : m_stdvSoundData) {
            if (data && data->m_strName == name) {
                ++data->m_uReferenceCount;
                return data;
            }
        }
    }
    const std::string extension = ExtensionOf(path);
    if (extension != "ogg") {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDManager::CreateSoundData : Sound system does not support a format: ",
                    extension.c_str(), "\n");
        return nullptr;
    }
    auto* data = new CVR3SOUNDDataOgg();
    if (!data->Open(path, name)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDManager::CreateSoundData : OGG open failed: ", path.c_str(), "\n");
        delete data;
        return nullptr;
    }
    data->m_uReferenceCount = 1;
    // Streamed data is read by one source at a time, so it is never shared:
    // each source gets its own decoder and frees it.
    if (!data->m_bStreamed) {
        SoundLock lock(m_sourceLock);
        if (!m_stdvFreeSoundData.empty()) {
            data->m_iSlot = m_stdvFreeSoundData.back();
            m_stdvFreeSoundData.pop_back();
            m_stdvSoundData[static_cast<size_t>(data->m_iSlot)] = data;
        } else {
            data->m_iSlot = static_cast<int32_t>(m_stdvSoundData.size());
            m_stdvSoundData.push_back(data);
        }
    }
    return data;
}

void CVR3SOUNDManager::ReleaseSoundDataLocked(CVR3SOUNDData* data) {
    if (!data) return;
    if (data->m_iSlot < 0) {
        data->Close();
        delete data;
        return;
    }
    if (data->m_uReferenceCount > 1) {
        --data->m_uReferenceCount;
        return;
    }
    const auto slot = static_cast<size_t>(data->m_iSlot);
    if (slot < m_stdvSoundData.size() && m_stdvSoundData[slot] == data) {
        m_stdvSoundData[slot] = nullptr;
        m_stdvFreeSoundData.push_back(data->m_iSlot);
    }
    data->Close();
    delete data;
}

SoundHandle CVR3SOUNDManager::CreateSoundB(const std::string& relativePath, int playMode) {
    if (!m_bRunning.load()) return {};
    const std::string path = Platform::ProgramFolder() + relativePath;
    CVR3SOUNDData* data = CreateSoundData(path);
    if (!data) {
        g_Log.Write(LOG_ERROR, "CVR3SOUNDManager::CreateSoundB : CreateSoundData() failed \n");
        return {};
    }
    auto* source = new CVR3SOUNDSource();
    source->m_pData = data;
    source->m_iPlayMode = playMode;
    SoundLock lock(m_sourceLock);
    source->m_uId = m_uNextId++;
    m_stdmHandles[source->m_uId] = source;
    m_stdvPendingSources.push_back(source);
    return SoundHandle(this, source->m_uId);
}

bool ParseSoundSource(const TiXmlDocument& doc, SoundSourceDescription& out) {
    out = SoundSourceDescription();
    const TiXmlElement* root = doc.FirstChildElement();
    if (!root || root->ValueStr() != "SoundSource") return false;
    const TiXmlElement* file = root->FirstChildElement("FilePathAfterExeFolder");
    const char* filePath = file ? file->GetText() : nullptr;
    if (!filePath || !*filePath) return false;
    out.filePath = filePath;
    auto childInt = [root](const char* name, int& value) {
        const TiXmlElement* e = root->FirstChildElement(name);
        return e && ParseIntC(e->GetText(), value);
    };
    auto childFloat = [root](const char* name, float& value) {
        const TiXmlElement* e = root->FirstChildElement(name);
        return e && ParseFloatC(e->GetText(), value);
    };
    childInt("SoundType", out.soundType);
    int type3d = 0;
    out.is3D = ParseIntC(root->Attribute("type3d"), type3d) && type3d != 0;
    if (out.is3D) {
        childFloat("MinDistance", out.minDistance);
        childFloat("MaxDistance", out.maxDistance);
    }
    childFloat("Volume", out.volume);
    out.hasPriority = childInt("Priority", out.priority);
    return true;
}

SoundHandle CVR3SOUNDManager::LoadSound(const std::string& xmlPath) {
    if (xmlPath.empty() || !m_bRunning.load()) return {};
    TiXmlDocument doc;
    if (!LoadXmlFile(xmlPath, doc)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDManager::LoadSound() : xml file not read : ", xmlPath.c_str(), "\n");
        return {};
    }
    const char* const kFailed = "CVR3SOUNDManager::LoadSound() : CreateSound() failed for sound source: ";
    SoundSourceDescription description;
    if (!ParseSoundSource(doc, description)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", kFailed, xmlPath.c_str(), "\n");
        return {};
    }
    SoundHandle handle = CreateSoundB(description.filePath, description.soundType);
    if (!handle) {
        g_Log.Write(LOG_ERROR, "%s%s%s", kFailed, xmlPath.c_str(), "\n");
        return {};
    }
    if (description.is3D) handle.SetDistance(description.minDistance, description.maxDistance);
    // Without a volume of its own a sound still follows the player's music or
    // effects volume.
    handle.SetVolume(description.volume);
    if (description.hasPriority) handle.SetPriority(description.priority);
    return handle;
}

bool CVR3SOUNDManager::RegisterPendingSources() {
    SoundLock lock(m_sourceLock);
    if (m_stdvPendingSources.empty()) return false;
    std::vector<CVR3SOUNDSource*> appended;
    for (CVR3SOUNDSource* source : m_stdvPendingSources) {
        if (!m_stdvFreeSources.empty()) {
            source->m_iSlot = m_stdvFreeSources.back();
            m_stdvFreeSources.pop_back();
            m_stdvSources[static_cast<size_t>(source->m_iSlot)] = source;
        } else {
            appended.push_back(source);
        }
    }
    for (CVR3SOUNDSource* source : appended) {
        source->m_iSlot = static_cast<int32_t>(m_stdvSources.size());
        m_stdvSources.push_back(source);
    }
    m_stdvPendingSources.clear();
    return true;
}

CVR3SOUNDSource* CVR3SOUNDManager::FindSourceLocked(uint64_t id) const {
    const auto it = m_stdmHandles.find(id);
    return it == m_stdmHandles.end() ? nullptr : it->second;
}

// ------------------------------------------------- commands (source lock held)

void CVR3SOUNDManager::PlayLocked(CVR3SOUNDSource* s, DWORD now) {
    switch (s->m_iState) {
    case CVR3SOUNDSource::STATE_PLAYING:
        break;
    case CVR3SOUNDSource::STATE_PAUSED_SILENT:
        s->m_iState = CVR3SOUNDSource::STATE_SILENT;
        s->m_uStartTime += now - s->m_uPauseTime;
        break;
    case CVR3SOUNDSource::STATE_PAUSED:
        // It keeps its channel and continues there.
        s->m_iState = CVR3SOUNDSource::STATE_TO_START;
        s->m_bResumeOnChannel = s->m_pChannel != nullptr;
        break;
    default:
        s->m_iState = CVR3SOUNDSource::STATE_TO_START;
        s->m_bResumeOnChannel = false;
        break;
    }
}

bool CVR3SOUNDManager::PauseLocked(CVR3SOUNDSource* s, DWORD now) {
    if (s->m_iState == CVR3SOUNDSource::STATE_PLAYING) {
        // The sound thread pauses the channel on its next pass.
        s->m_iState = CVR3SOUNDSource::STATE_PAUSED;
        s->m_uPauseTime = now;
    } else if (s->m_iState == CVR3SOUNDSource::STATE_SILENT) {
        s->m_iState = CVR3SOUNDSource::STATE_PAUSED_SILENT;
        s->m_uPauseTime = now;
    }
    return true;
}

bool CVR3SOUNDManager::StopLocked(CVR3SOUNDSource* s) {
    if (s->m_iState == CVR3SOUNDSource::STATE_NEW || s->m_iState == CVR3SOUNDSource::STATE_FINISHED) return true;
    // The sound thread stops and frees the channel of a finished source.
    s->m_uStartTime = 0;
    s->m_uPauseTime = 0;
    s->m_iState = CVR3SOUNDSource::STATE_FINISHED;
    s->m_bResumeOnChannel = false;
    return true;
}

void CVR3SOUNDManager::SetVolumeLocked(CVR3SOUNDSource* s, float volume) {
    if (!(volume >= 0.0f)) volume = 0.0f;
    volume = std::min(volume, 1.0f);
    s->m_fGain = volume * (s->m_b3D ? m_fEffectsVolume : m_fMusicVolume);
    s->m_bParametersChanged = true;
}

void CVR3SOUNDManager::StopAllSources() {
    SoundLock lock(m_sourceLock);
    for (CVR3SOUNDSource* s : m_stdvSources)
        if (s && s->m_b3D && !s->m_bLineOwned &&
            (s->m_iState == CVR3SOUNDSource::STATE_PLAYING || s->m_iState == CVR3SOUNDSource::STATE_SILENT))
            StopLocked(s);
}

void CVR3SOUNDManager::PauseAllSources() {
    SoundLock lock(m_sourceLock);
    const DWORD now = timeGetTime();
    for (CVR3SOUNDSource* s : m_stdvSources)
        if (s && s->m_b3D && !s->m_bLineOwned) PauseLocked(s, now);
}

void CVR3SOUNDManager::ResumeAllSources() {
    SoundLock lock(m_sourceLock);
    const DWORD now = timeGetTime();
    for (CVR3SOUNDSource* s : m_stdvSources)
        if (s && s->m_b3D && !s->m_bLineOwned &&
            (s->m_iState == CVR3SOUNDSource::STATE_PAUSED || s->m_iState == CVR3SOUNDSource::STATE_PAUSED_SILENT))
            PlayLocked(s, now);
}

bool CVR3SOUNDManager::DeleteAllSources() {
    SoundLock lock(m_sourceLock);
    // As with a single Delete, the owners may go right after: the sources
    // follow them no more.
    for (auto* list : {&m_stdvSources, &m_stdvPendingSources})
        for (CVR3SOUNDSource* s : *list)
            if (s && s->m_b3D && !s->m_bLineOwned) {
                s->m_bDeleteRequested = true;
                s->m_pOwnerMatrix = nullptr;
            }
    return true;
}

void CVR3SOUNDManager::SetListener(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up) {
    SoundLock lock(m_sourceLock);
    m_vPostedEye = eye;
    m_vPostedTarget = target;
    m_vPostedUp = up;
    m_bListenerPosted = true;
}

void CVR3SOUNDManager::UpdateOwnerTransforms() {
    SoundLock lock(m_sourceLock);
    auto copy = [](CVR3SOUNDSource* s) {
        if (s && s->m_pOwnerMatrix) s->m_mOwnerCopy = *s->m_pOwnerMatrix;
    };
    for (CVR3SOUNDSource* s : m_stdvSources) copy(s);
    for (CVR3SOUNDSource* s : m_stdvPendingSources) copy(s);
}

void CVR3SOUNDManager::UpdateFrame() {
    const CDX9KelBaseCamera* camera = m_pCameraManager ? m_pCameraManager->m_pActiveCamera : nullptr;
    if (!camera) {
        UpdateOwnerTransforms();
        return;
    }
    // Setting the listener walks the sources and copies their owners'
    // matrices on the way; the pending ones are left.
    SetListener(camera->m_vEye, camera->m_vTarget, camera->m_vUp);
    SoundLock lock(m_sourceLock);
    for (CVR3SOUNDSource* s : m_stdvPendingSources)
        if (s && s->m_pOwnerMatrix) s->m_mOwnerCopy = *s->m_pOwnerMatrix;
}

bool CVR3SOUNDManager::GetPostedListener(D3DXVECTOR3& eye, D3DXVECTOR3& target, D3DXVECTOR3& up) {
    SoundLock lock(m_sourceLock);
    if (!m_bListenerPosted) return false;
    eye = m_vPostedEye;
    target = m_vPostedTarget;
    up = m_vPostedUp;
    return true;
}

size_t CVR3SOUNDManager::GetFreeChannelCount() {
    SoundLock lock(m_sourceLock);
    return m_stdvFreeChannels.size();
}

size_t CVR3SOUNDManager::GetSourceCount() {
    SoundLock lock(m_sourceLock);
    return m_stdmHandles.size();
}

uint32_t CVR3SOUNDManager::GetChannelSource(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_stdvChannels.size()) return 0;
    return m_stdvChannels[static_cast<size_t>(index)]->m_uSource;
}

void CVR3SOUNDManager::SeedRandom(uint32_t seed) {
    std::lock_guard<std::mutex> pass(m_passLock);
    m_random.seed(seed);
}

// ---------------------------------------------------------------- sound lines

CVR3SOUNDLine* CVR3SOUNDManager::CreateSoundLine(const std::string& name, int mode) {
    SoundLock lock(m_lineLock);
    for (auto& line : m_stdvSoundLines)
        if (line && line->GetName() == name) return line.get();
    auto line = std::make_unique<CVR3SOUNDLine>(name, mode);
    CVR3SOUNDLine* result = line.get();
    if (!m_stdvFreeSoundLines.empty()) {
        const auto slot = static_cast<size_t>(m_stdvFreeSoundLines.back());
        m_stdvFreeSoundLines.pop_back();
        m_stdvSoundLines[slot] = std::move(line);
    } else {
        m_stdvSoundLines.push_back(std::move(line));
    }
    return result;
}

CVR3SOUNDLine* CVR3SOUNDManager::FindSoundLine(const std::string& name) {
    SoundLock lock(m_lineLock);
    for (auto& line : m_stdvSoundLines)
        if (line && line->GetName() == name) return line.get();
    return nullptr;
}

bool CVR3SOUNDManager::LoadSoundLineSound(const std::string& lineName, const std::string& xmlPath) {
    // Without a device the game runs silent: the line that said so at Init
    // is all the log gets, not one error per sound the screens ask for.
    if (!m_bRunning.load()) return false;
    CVR3SOUNDLine* line = FindSoundLine(lineName);
    if (!line) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDManager::LoadSoundLineSound : not found sound line : ",
                    lineName.c_str(), "\n");
        return false;
    }
    {
        SoundLock lock(line->m_lock);
        if (std::find(line->m_stdvFileNames.begin(), line->m_stdvFileNames.end(), xmlPath) !=
            line->m_stdvFileNames.end())
            return true;
    }
    SoundHandle handle = LoadSound(xmlPath);
    if (!handle) {
        g_Log.Write(LOG_ERROR, "CVR3SOUNDManager::LoadSoundLineSound : LoadSound() failed : \n");
        return false;
    }
    CVR3SOUNDSource* source = nullptr;
    {
        SoundLock lock(m_sourceLock);
        source = FindSourceLocked(handle.GetId());
        if (!source) return false;
        source->m_iPlayMode = CVR3SOUNDSource::MODE_KEEP;
        source->m_bLineOwned = true;
    }
    SoundLock lock(line->m_lock);
    line->m_stdvFileNames.push_back(xmlPath);
    line->m_stdvSources.push_back(source);
    return true;
}

void CVR3SOUNDManager::UpdateSoundLines() {
    if (!m_bSoundLinesActive.load()) return;
    SoundLock lock(m_lineLock);
    for (auto& line : m_stdvSoundLines)
        if (line) ServiceLine(*line);
}

void CVR3SOUNDManager::CarryOutRequest(CVR3SOUNDLine& line, int code) {
    const int count = static_cast<int>(line.m_stdvCurrent.size());
    const bool valid = line.m_iCurrentIndex >= 0 && line.m_iCurrentIndex < count;
    CVR3SOUNDSource* current = valid ? line.m_stdvCurrent[static_cast<size_t>(line.m_iCurrentIndex)] : nullptr;
    SoundLock lock(m_sourceLock);
    switch (code) {
    case CVR3SOUNDLine::REQUEST_STOP:
        if (current) StopLocked(current);
        break;
    case CVR3SOUNDLine::REQUEST_PLAY:
        if (count == 0) break;
        if (!valid) {
            line.m_iCurrentIndex = 0;
            current = line.m_stdvCurrent[0];
        }
        line.m_uWaitStart = CVR3SOUNDLine::kNotWaiting;
        PlayLocked(current, m_uClock);
        break;
    case CVR3SOUNDLine::REQUEST_PAUSE:
        if (current) PauseLocked(current, m_uClock);
        break;
    case CVR3SOUNDLine::REQUEST_CLEAR:
        if (current) StopLocked(current);
        line.m_stdvCurrent.clear();
        line.m_iCurrentIndex = -1;
        line.m_uWaitStart = CVR3SOUNDLine::kNotWaiting;
        break;
    case CVR3SOUNDLine::REQUEST_REPLACE:
        line.m_stdvCurrent = line.m_stdvPending;
        line.m_stdvPending.clear();
        if (line.m_iCurrentIndex >= static_cast<int>(line.m_stdvCurrent.size())) line.m_iCurrentIndex = -1;
        break;
    default:
        break;
    }
}

void CVR3SOUNDManager::ServiceLine(CVR3SOUNDLine& line) {
    SoundLock lineLock(line.m_lock);
    if (!line.m_stdvRequests.empty()) {
        for (const int code : line.m_stdvRequests) CarryOutRequest(line, code);
        line.m_stdvRequests.clear();
        return;
    }
    const int count = static_cast<int>(line.m_stdvCurrent.size());
    if (count == 0 || line.m_iCurrentIndex < 0 || line.m_iCurrentIndex >= count) return;
    CVR3SOUNDSource* current = line.m_stdvCurrent[static_cast<size_t>(line.m_iCurrentIndex)];
    SoundLock lock(m_sourceLock);
    if (current->m_iState != CVR3SOUNDSource::STATE_FINISHED) return;
    if (line.m_uWaitStart == CVR3SOUNDLine::kNotWaiting) {
        line.m_uWaitStart = m_uClock;
        return;
    }
    if (static_cast<DWORD>(m_uClock - line.m_uWaitStart) < line.m_uGap) return;
    line.m_uWaitStart = CVR3SOUNDLine::kNotWaiting;
    int index = line.m_iCurrentIndex;
    switch (line.m_iMode) {
    case CVR3SOUNDLine::MODE_ONCE:
        // The line stops; nothing plays until a play request.
        line.m_iCurrentIndex = -1;
        return;
    case CVR3SOUNDLine::MODE_SEQUENTIAL:
        index = index + 1 >= count ? 0 : index + 1;
        break;
    case CVR3SOUNDLine::MODE_RANDOM: {
        const int r = std::uniform_int_distribution<int>(0, count - 1)(m_random);
        index = r == index ? r + 1 : r;
        if (index >= count) index = 0;
        break;
    }
    default:
        break;
    }
    line.m_iCurrentIndex = index;
    PlayLocked(line.m_stdvCurrent[static_cast<size_t>(index)], m_uClock);
}

// -------------------------------------------------------------- the thread

void CVR3SOUNDManager::ThreadPass(DWORD now) {
    std::lock_guard<std::mutex> pass(m_passLock);
    if (!m_bRunning.load()) return;
    m_uClock = now;
    const int request = m_iContextRequest.exchange(0);
    if (request == 1) {
        ClearALError();
        alcSuspendContext(m_pContext);
        const ALCenum error = alcGetError(m_pDevice);
        if (error != ALC_NO_ERROR)
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDManager::OnLost() : alcSuspendContext() failed : ",
                        alcGetString(m_pDevice, error), "\n");
    } else if (request == 2) {
        alcProcessContext(m_pContext);
        const ALCenum error = alcGetError(m_pDevice);
        if (error != ALC_NO_ERROR)
            g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3SOUNDManager::Restore() : alcProcessContext() failed : ",
                        alcGetString(m_pDevice, error), "\n");
    }
    UpdateListener();
    UpdateSoundLines();
    UpdateSources();
}

DWORD CVR3SOUNDManager::SoundThreadProc(LPVOID manager) {
    CVR3SOUNDManager& self = manager ? *static_cast<CVR3SOUNDManager*>(manager) : Get();
    for (;;) {
        if (self.m_bStop.load()) {
            SwitchToThread();
            return 0;
        }
        if (self.m_bRunning.load()) self.ThreadPass(timeGetTime());
        // A short sleep instead of a bare yield keeps the thread from holding
        // a whole core; the stream buffers hold more than a second of sound.
        SwitchToThread();
        Sleep(1);
    }
}

HANDLE CVR3SOUNDManager::CreateSoundThread(DWORD* threadId) {
    m_bStop.store(false);
    return CreateThread(nullptr, 0, &CVR3SOUNDManager::SoundThreadProc, this, CREATE_SUSPENDED, threadId);
}

HANDLE CVR3SOUNDManager::CreateGlobalSoundThread(DWORD* threadId) { return Get().CreateSoundThread(threadId); }

void CVR3SOUNDManager::StopGlobalSoundThread(HANDLE thread) { Get().StopSoundThread(thread); }

void CVR3SOUNDManager::StopSoundThread(HANDLE thread) {
    m_bStop.store(true);
    if (!thread) return;
    // A thread that was never resumed runs only to see the stop flag.
    ResumeThread(thread);
    WaitForSingleObjectEx(thread, INFINITE, TRUE);
    CloseHandle(thread);
}

void CVR3SOUNDManager::UpdateListener() {
    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    D3DXVECTOR3 up;
    {
        SoundLock lock(m_sourceLock);
        if (!m_pCameraManager || !m_bListenerPosted) return;
        eye = m_vPostedEye;
        target = m_vPostedTarget;
        up = m_vPostedUp;
    }
    m_vListenerEye = eye;
    ALfloat position[3];
    ToAL(eye, position);
    const ALfloat velocity[3] = {position[0] - m_vPreviousListenerPosition.x,
                                 position[1] - m_vPreviousListenerPosition.y,
                                 position[2] - m_vPreviousListenerPosition.z};
    alListenerfv(AL_POSITION, position);
    Platform::SetListenerOrientation(&target.x, &eye.x, &up.x);
    alListenerfv(AL_VELOCITY, velocity);
    m_vPreviousListenerPosition = D3DXVECTOR3(position[0], position[1], position[2]);
}

// ------------------------------------------------- sources on the sound thread

void CVR3SOUNDManager::UpdateSources() {
    if (!m_pCameraManager) return;
    SoundLock lock(m_sourceLock);
    m_stdvWork2D.clear();
    m_stdvWork3D.clear();
    UpdateSourceStates();
    AssignChannels(m_stdvWork2D, m_u2DChannelLimit);
    if (m_b3DSourcesActive.load()) {
        const size_t count = m_stdvChannels.size();
        AssignChannels(m_stdvWork3D, count > m_u2DChannelLimit ? static_cast<uint32_t>(count - m_u2DChannelLimit) : 0);
    }
}

void CVR3SOUNDManager::DeleteSourceLocked(CVR3SOUNDSource* s) {
    if (s->m_iSlot >= 0 && static_cast<size_t>(s->m_iSlot) < m_stdvSources.size() &&
        m_stdvSources[static_cast<size_t>(s->m_iSlot)] == s) {
        m_stdvSources[static_cast<size_t>(s->m_iSlot)] = nullptr;
        m_stdvFreeSources.push_back(s->m_iSlot);
    }
    FreeSoundChannel(s);
    ReleaseSoundDataLocked(s->m_pData);
    m_stdmHandles.erase(s->m_uId);
    delete s;
}

void CVR3SOUNDManager::UpdateSourceStates() {
    const bool active3D = m_b3DSourcesActive.load();
    for (size_t i = 0; i < m_stdvSources.size(); ++i) {
        CVR3SOUNDSource* s = m_stdvSources[i];
        if (!s) continue;
        if (s->m_bDeleteRequested) {
            DeleteSourceLocked(s);
            continue;
        }
        // A source asked to start afresh lets go of the channel it still holds.
        if (s->m_iState == CVR3SOUNDSource::STATE_TO_START && s->m_pChannel && !s->m_bResumeOnChannel)
            FreeSoundChannel(s);
        ApplyPause(s);
        ApplyParameters(s);
        Update(s);
        if (s->m_b3D)
            UpdateSource3D(s);
        else
            UpdateSilentLength(s);
        // The owner's matrix for the next pass, taken while the source is at
        // hand: a second walk over all sources costs a cache miss each.
        if (s->m_pOwnerMatrix) s->m_mOwnerCopy = *s->m_pOwnerMatrix;
        switch (s->m_iState) {
        case CVR3SOUNDSource::STATE_TO_START:
        case CVR3SOUNDSource::STATE_PLAYING:
        case CVR3SOUNDSource::STATE_SILENT:
            if (s->m_bOutOfRange && active3D) {
                MakeSilent(s);
                FreeSoundChannel(s);
            } else if (!s->m_b3D) {
                m_stdvWork2D.push_back(s);
            } else if (active3D) {
                m_stdvWork3D.push_back(s);
            }
            break;
        case CVR3SOUNDSource::STATE_FINISHED:
            FreeSoundChannel(s);
            if (s->m_iPlayMode == CVR3SOUNDSource::MODE_DELETE_WHEN_FINISHED) DeleteSourceLocked(s);
            break;
        default:
            break;
        }
    }
}

void CVR3SOUNDManager::MakeSilent(CVR3SOUNDSource* s) {
    if (s->m_iState == CVR3SOUNDSource::STATE_TO_START) {
        if (s->m_bResumeOnChannel) {
            // Paused on its channel: its clock continues from where it paused.
            s->m_uStartTime += m_uClock - s->m_uPauseTime;
            s->m_bResumeOnChannel = false;
        } else {
            s->m_uStartTime = m_uClock;
        }
        s->m_iState = CVR3SOUNDSource::STATE_SILENT;
    } else {
        PlaySilent(s);
    }
}

void CVR3SOUNDManager::AssignChannels(std::vector<CVR3SOUNDSource*>& list, uint32_t limit) {
    if (list.empty()) return;
    if (list.size() >= limit) {
        std::stable_sort(list.begin(), list.end(), [](const CVR3SOUNDSource* a, const CVR3SOUNDSource* b) {
            return a->m_iPriority > b->m_iPriority;
        });
        for (size_t i = limit; i < list.size(); ++i) {
            MakeSilent(list[i]);
            FreeSoundChannel(list[i]);
        }
    }
    const size_t n = std::min<size_t>(limit, list.size());
    for (size_t i = 0; i < n; ++i) {
        CVR3SOUNDSource* s = list[i];
        if (s->m_iState == CVR3SOUNDSource::STATE_PLAYING) continue;
        if (s->m_iState == CVR3SOUNDSource::STATE_TO_START && s->m_bResumeOnChannel && s->m_pChannel) {
            Resume(s);
            continue;
        }
        if (m_stdvFreeChannels.empty()) break;
        CVR3SOUNDChannel* channel = m_stdvChannels[static_cast<size_t>(m_stdvFreeChannels.back())].get();
        bool started = false;
        if (s->m_iState == CVR3SOUNDSource::STATE_TO_START)
            started = Start(s, channel);
        else if (s->m_iState == CVR3SOUNDSource::STATE_SILENT)
            started = StartSilent(s, channel);
        if (started) {
            m_stdvFreeChannels.pop_back();
            channel->m_bFree = false;
        }
    }
}

void CVR3SOUNDManager::PushFreeChannel(CVR3SOUNDChannel* channel) {
    if (channel->m_bFree) return;
    channel->m_bFree = true;
    m_stdvFreeChannels.push_back(channel->m_iIndex);
}

bool CVR3SOUNDManager::FreeSoundChannel(CVR3SOUNDSource* s) {
    CVR3SOUNDChannel* channel = s ? s->m_pChannel : nullptr;
    if (!channel) return false;
    const ALuint source = channel->m_uSource;
    const ALint state = SourceState(source);
    if (state != AL_STOPPED && state != AL_INITIAL) {
        if (!CheckedAL([&] { alSourceStop(source); }, "CVR3SOUNDManager::FreeSoundChannel() : Not Stop Sound : "))
            return false;
    }
    CheckedAL([&] { alSourcei(source, AL_BUFFER, 0); }, "CVR3SOUNDManager::FreeSoundChannel() : Not clear OALSource : ");
    s->m_pChannel = nullptr;
    s->m_bResumeOnChannel = false;
    PushFreeChannel(channel);
    return true;
}

void CVR3SOUNDManager::ApplyParameters(CVR3SOUNDSource* s) {
    if (!s->m_bParametersChanged || !s->m_pChannel) return;
    const ALuint source = s->m_pChannel->m_uSource;
    alSourcef(source, AL_GAIN, s->m_fGain);
    if (s->m_b3D) {
        alSourcef(source, AL_REFERENCE_DISTANCE, s->m_fMinDistance);
        alSourcef(source, AL_MAX_DISTANCE, s->m_fMaxDistance);
    }
    s->m_bParametersChanged = false;
}

void CVR3SOUNDManager::ApplyPause(CVR3SOUNDSource* s) {
    if (s->m_iState != CVR3SOUNDSource::STATE_PAUSED || !s->m_pChannel) return;
    const ALuint source = s->m_pChannel->m_uSource;
    if (SourceState(source) != AL_PLAYING) return;
    if (!CheckedAL([&] { alSourcePause(source); }, "CVR3SOUNDSource::Pause() : Not Pause Sound : "))
        s->m_iState = CVR3SOUNDSource::STATE_PLAYING;
}

bool CVR3SOUNDManager::Resume(CVR3SOUNDSource* s) {
    const ALuint source = s->m_pChannel->m_uSource;
    if (SourceState(source) == AL_PAUSED &&
        !CheckedAL([&] { alSourcePlay(source); }, "CVR3SOUNDSource::Start() : Not play OALSource after pause: "))
        return false;
    s->m_uStartTime += m_uClock - s->m_uPauseTime;
    s->m_uPauseTime = 0;
    s->m_bResumeOnChannel = false;
    s->m_iState = CVR3SOUNDSource::STATE_PLAYING;
    return true;
}

void CVR3SOUNDManager::FinishOnSoundThread(CVR3SOUNDSource* s) {
    StopLocked(s);
    FreeSoundChannel(s);
}

void CVR3SOUNDManager::Update(CVR3SOUNDSource* s) {
    CVR3SOUNDData* data = s->m_pData;
    if (s->m_iState != CVR3SOUNDSource::STATE_PLAYING || !data || !data->m_bOpened || !s->m_pChannel) return;
    const ALuint source = s->m_pChannel->m_uSource;
    const ALint state = SourceState(source);
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (state == AL_STOPPED && processed == 0) {
        CheckedAL([&] { alSourcePlay(source); }, "CVR3SOUNDSource::Update() : Not play OALSource after stop: ");
        return;
    }
    if (!data->m_bStreamed) {
        const auto count = static_cast<ALint>(data->m_stdvBufferIds.size());
        if (processed < count) return;
        if (!s->IsLooping()) {
            FinishOnSoundThread(s);
            return;
        }
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alSourceRewind(source);
        if (CheckedAL([&] { alSourceQueueBuffers(source, count, data->m_stdvBufferIds.data()); },
                      "CVR3SOUNDSource::Update() : alSourceQueueBuffers failed : "))
            CheckedAL([&] { alSourcePlay(source); }, "CVR3SOUNDSource::Update() : Not play OALSource after stop: ");
        s->m_uStartTime = m_uClock;
        return;
    }
    if (!s->m_bEndReached) {
        for (ALint i = 0; i < processed; ++i) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source, 1, &buffer);
            int filled = 0;
            bool more = data->FillBufferCounted(buffer, CVR3SOUNDData::kBufferBytes, filled);
            if (!more && filled == 0 && s->IsLooping()) {
                // The stream ended exactly at the buffer's start: go on from
                // the rewound beginning.
                more = data->FillBufferCounted(buffer, CVR3SOUNDData::kBufferBytes, filled);
            }
            if (filled > 0 &&
                !CheckedAL([&] { alSourceQueueBuffers(source, 1, &buffer); },
                           "CVR3SOUNDSource::Update() : alSourceQueueBuffers failed : "))
                break;
            if (!more && !s->IsLooping()) {
                s->m_bEndReached = true;
                break;
            }
        }
        // A stream that ran dry before its refill continues.
        if (state == AL_STOPPED && !s->m_bEndReached)
            CheckedAL([&] { alSourcePlay(source); }, "CVR3SOUNDSource::Update() : Not play OALSource after stop: ");
        return;
    }
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (queued - processed <= 0) {
        s->m_bEndReached = false;
        FinishOnSoundThread(s);
    }
}

void CVR3SOUNDManager::UpdateSilentLength(CVR3SOUNDSource* s) {
    if (s->m_iState != CVR3SOUNDSource::STATE_SILENT || !s->m_pData) return;
    if (s->Elapsed(m_uClock) < s->m_pData->m_dTotalTime) return;
    if (s->IsLooping())
        s->m_uStartTime = m_uClock;
    else
        StopLocked(s);
}

void CVR3SOUNDManager::UpdateSource3D(CVR3SOUNDSource* s) {
    const int state = s->m_iState;
    if (state != CVR3SOUNDSource::STATE_TO_START && state != CVR3SOUNDSource::STATE_PLAYING &&
        state != CVR3SOUNDSource::STATE_SILENT)
        return;
    UpdateSilentLength(s);
    if (s->m_iState == CVR3SOUNDSource::STATE_FINISHED) return;
    s->m_bOutOfRange = false;
    if (s->m_pOwnerMatrix) s->m_mWorld = s->m_mLocal * s->m_mOwnerCopy;
    const D3DXVECTOR3 position = s->WorldPosition();
    if (s->m_pChannel) {
        const ALuint source = s->m_pChannel->m_uSource;
        ALfloat p[3];
        ToAL(position, p);
        ALfloat previous[3];
        ToAL(s->m_vPreviousPosition, previous);
        ALfloat direction[3];
        ToAL(D3DXVECTOR3(s->m_mWorld._31, s->m_mWorld._32, s->m_mWorld._33), direction);
        const ALfloat velocity[3] = {p[0] - previous[0], p[1] - previous[1], p[2] - previous[2]};
        alSourcefv(source, AL_POSITION, p);
        alSourcefv(source, AL_DIRECTION, direction);
        alSourcefv(source, AL_VELOCITY, velocity);
    }
    s->m_vPreviousPosition = position;
    const D3DXVECTOR3 d = position - m_vListenerEye;
    s->m_fDistanceSquared = d.x * d.x + d.y * d.y + d.z * d.z;
    if (s->m_pChannel) {
        // At the listener's own position the lower bound applies.
        float rolloff = 4.0f;
        if (s->m_fDistanceSquared > 0.0f) rolloff = std::max(s->m_fMaxDistanceSquared / s->m_fDistanceSquared, 4.0f);
        if (!std::isfinite(rolloff)) rolloff = 4.0f;
        alSourcef(s->m_pChannel->m_uSource, AL_ROLLOFF_FACTOR, rolloff);
    }
    s->m_bOutOfRange = s->m_fDistanceSquared > s->m_fMaxDistanceSquared;
}

bool CVR3SOUNDManager::SetChannelParameters(CVR3SOUNDSource* s, uint32_t source, const char* where) {
    ClearALError();
    if (s->m_b3D) {
        ALfloat p[3];
        ToAL(s->WorldPosition(), p);
        ALfloat direction[3];
        ToAL(D3DXVECTOR3(s->m_mWorld._31, s->m_mWorld._32, s->m_mWorld._33), direction);
        const ALfloat zero[3] = {0.0f, 0.0f, 0.0f};
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(source, AL_REFERENCE_DISTANCE, s->m_fMinDistance);
        alSourcef(source, AL_MAX_DISTANCE, s->m_fMaxDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, 4.0f);
        alSourcefv(source, AL_POSITION, p);
        alSourcefv(source, AL_VELOCITY, zero);
        alSourcefv(source, AL_DIRECTION, direction);
    } else {
        const ALfloat zero[3] = {0.0f, 0.0f, 0.0f};
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcefv(source, AL_POSITION, zero);
        alSourcefv(source, AL_VELOCITY, zero);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    }
    alSourcef(source, AL_GAIN, s->m_fGain);
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR) {
        s->m_bParametersChanged = false;
        return true;
    }
    g_Log.Write(LOG_ERROR, "%s%s%s", where, ALErrorText(error), "\n");
    return false;
}

bool CVR3SOUNDManager::QueueStream(CVR3SOUNDSource* s, uint32_t source, const char* where) {
    CVR3SOUNDData* data = s->m_pData;
    s->m_bEndReached = false;
    for (const uint32_t buffer : data->m_stdvBufferIds) {
        int filled = 0;
        const bool more = data->FillBufferCounted(buffer, CVR3SOUNDData::kBufferBytes, filled);
        if (filled > 0) {
            ALuint id = buffer;
            if (!CheckedAL([&] { alSourceQueueBuffers(source, 1, &id); }, where)) return false;
        }
        if (!more) {
            if (!s->IsLooping()) {
                s->m_bEndReached = true;
                break;
            }
        }
    }
    return true;
}

bool CVR3SOUNDManager::Start(CVR3SOUNDSource* s, CVR3SOUNDChannel* channel) {
    CVR3SOUNDData* data = s->m_pData;
    if (!data || !data->CreateBuffers()) {
        // Data that OpenAL refused never plays.
        StopLocked(s);
        return false;
    }
    const ALuint source = channel->m_uSource;
    if (!CheckedAL([&] { alSourceStop(source); }, "CVR3SOUNDSource::Start() : Not Stop Sound : ")) return false;
    if (!CheckedAL([&] { alSourcei(source, AL_BUFFER, 0); }, "CVR3SOUNDSource::Start() : Not clear OALSource : "))
        return false;
    if (!CheckedAL([&] { alSourceRewind(source); }, "CVR3SOUNDSource::Start() : Not rewind OALSource : "))
        return false;
    if (data->m_bStreamed) {
        data->SeekPcm(0);
        if (!QueueStream(s, source, "CVR3SOUNDSource::Start() : alSourceQueueBuffers failed : ")) return false;
    } else if (!CheckedAL(
                   [&] {
                       alSourceQueueBuffers(source, static_cast<ALsizei>(data->m_stdvBufferIds.size()),
                                            data->m_stdvBufferIds.data());
                   },
                   "CVR3SOUNDSource::Start() : alSourceQueueBuffers failed : ")) {
        return false;
    }
    if (!SetChannelParameters(s, source, "CVR3SOUNDSource::Start() : Not set OALSource : ")) return false;
    if (!CheckedAL([&] { alSourcePlay(source); }, "CVR3SOUNDSource::Start() : Not play OALSource : ")) return false;
    s->m_iState = CVR3SOUNDSource::STATE_PLAYING;
    s->m_uStartTime = m_uClock;
    s->m_pChannel = channel;
    s->m_bResumeOnChannel = false;
    return true;
}

bool CVR3SOUNDManager::StartSilent(CVR3SOUNDSource* s, CVR3SOUNDChannel* channel) {
    CVR3SOUNDData* data = s->m_pData;
    if (!data || !data->CreateBuffers()) {
        StopLocked(s);
        return false;
    }
    double elapsed = s->Elapsed(m_uClock);
    if (data->m_dTotalTime > 0.0) {
        if (s->IsLooping()) elapsed = std::fmod(elapsed, data->m_dTotalTime);
        elapsed = std::clamp(elapsed, 0.0, data->m_dTotalTime);
    }
    const ALuint source = channel->m_uSource;
    if (!CheckedAL([&] { alSourcei(source, AL_BUFFER, 0); }, "CVR3SOUNDSource::Start() : Not clear OALSource : "))
        return false;
    if (!CheckedAL([&] { alSourceRewind(source); }, "CVR3SOUNDSource::StartSilent() : Not rewind OALSource : "))
        return false;
    if (data->m_bStreamed) {
        data->SeekTime(elapsed);
        if (!QueueStream(s, source, "CVR3SOUNDSource::StartSilent() : alSourceQueueBuffers failed : ")) return false;
    } else {
        if (!CheckedAL(
                [&] {
                    alSourceQueueBuffers(source, static_cast<ALsizei>(data->m_stdvBufferIds.size()),
                                         data->m_stdvBufferIds.data());
                },
                "CVR3SOUNDSource::StartSilent() : alSourceQueueBuffers failed : "))
            return false;
        if (!CheckedAL([&] { alSourcef(source, AL_SEC_OFFSET, static_cast<ALfloat>(elapsed)); },
                       "CVR3SOUNDSource::StartSilent() : Not seek OALSource: "))
            return false;
    }
    if (!SetChannelParameters(s, source, "CVR3SOUNDSource::StartSilent() : Not set OALSource : ")) return false;
    if (!CheckedAL([&] { alSourcePlay(source); }, "CVR3SOUNDSource::StartSilent() : Not play OALSource: "))
        return false;
    s->m_iState = CVR3SOUNDSource::STATE_PLAYING;
    s->m_pChannel = channel;
    s->m_bResumeOnChannel = false;
    return true;
}

bool CVR3SOUNDManager::PlaySilent(CVR3SOUNDSource* s) {
    if ((s->m_iState == CVR3SOUNDSource::STATE_PLAYING || s->m_iState == CVR3SOUNDSource::STATE_PAUSED) &&
        s->m_pChannel) {
        const ALuint source = s->m_pChannel->m_uSource;
        if (!CheckedAL([&] { alSourceStop(source); }, "CVR3SOUNDSource::PlaySilent() : Not Stop Sound : "))
            return false;
    }
    if (s->m_iState == CVR3SOUNDSource::STATE_PLAYING || s->m_iState == CVR3SOUNDSource::STATE_PAUSED)
        s->m_iState = CVR3SOUNDSource::STATE_SILENT;
    return true;
}

} // namespace Vorna3D
