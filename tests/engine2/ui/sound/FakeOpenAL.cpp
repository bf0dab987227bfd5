#include "FakeOpenAL.h"

#include <algorithm>
#include <cstring>

namespace FakeAL {

State& Get() {
    static State state;
    return state;
}

void Reset() { Get() = State(); }

void FailNext(const std::string& function, int count) { Get().failures[function] = count; }

Source* FindSource(ALuint source) {
    auto it = Get().sources.find(source);
    return it == Get().sources.end() ? nullptr : &it->second;
}

void Advance(ALuint source, int buffers) {
    Source* s = FindSource(source);
    if (!s || s->state != AL_PLAYING) return;
    s->processed = std::min<ALint>(s->processed + buffers, static_cast<ALint>(s->queue.size()));
    if (s->processed == static_cast<ALint>(s->queue.size())) s->state = AL_STOPPED;
}

void Finish(ALuint source) {
    Source* s = FindSource(source);
    if (s) Advance(source, static_cast<int>(s->queue.size()));
}

} // namespace FakeAL

namespace {

using FakeAL::Get;
using FakeAL::State;

void SetError(ALenum error) {
    if (Get().error == AL_NO_ERROR) Get().error = error;
}

// Counts the call; true when it is to fail (the error is then set).
bool Failing(const char* function) {
    State& s = Get();
    ++s.calls[function];
    auto it = s.failures.find(function);
    if (it == s.failures.end() || it->second <= 0) return false;
    --it->second;
    SetError(AL_INVALID_OPERATION);
    return true;
}


FakeAL::Source* SourceOrError(ALuint source) {
    FakeAL::Source* s = FakeAL::FindSource(source);
    if (!s) SetError(AL_INVALID_NAME);
    return s;
}

bool Queued(ALuint buffer) {
    for (const auto& [name, source] : Get().sources)
        if (std::find(source.queue.begin(), source.queue.end(), buffer) != source.queue.end()) return true;
    return false;
}

ALCdevice* const kDevice = reinterpret_cast<ALCdevice*>(0x1000);
ALCcontext* const kContext = reinterpret_cast<ALCcontext*>(0x2000);

} // namespace

extern "C" {

ALenum alGetError(void) {
    const ALenum error = Get().error;
    Get().error = AL_NO_ERROR;
    return error;
}

const ALchar* alGetString(ALenum param) {
    switch (param) {
    case AL_NO_ERROR: return "No Error";
    case AL_INVALID_NAME: return "Invalid Name";
    case AL_INVALID_VALUE: return "Invalid Value";
    case AL_INVALID_OPERATION: return "Invalid Operation";
    case AL_OUT_OF_MEMORY: return "Out of Memory";
    default: return nullptr;
    }
}

void alGenBuffers(ALsizei n, ALuint* buffers) {
    if (Failing("alGenBuffers")) return;
    for (ALsizei i = 0; i < n; ++i) {
        buffers[i] = Get().nextName++;
        Get().buffers[buffers[i]] = FakeAL::Buffer();
    }
}

void alDeleteBuffers(ALsizei n, const ALuint* buffers) {
    if (Failing("alDeleteBuffers")) return;
    for (ALsizei i = 0; i < n; ++i) {
        if (!Get().buffers.count(buffers[i])) return SetError(AL_INVALID_NAME);
        if (Queued(buffers[i])) return SetError(AL_INVALID_OPERATION);
    }
    for (ALsizei i = 0; i < n; ++i) Get().buffers.erase(buffers[i]);
}

void alBufferData(ALuint buffer, ALenum format, const ALvoid* data, ALsizei size, ALsizei freq) {
    if (Failing("alBufferData")) return;
    auto it = Get().buffers.find(buffer);
    if (it == Get().buffers.end()) return SetError(AL_INVALID_NAME);
    const ALsizei frame = format == AL_FORMAT_MONO16 ? 2 : 4;
    if (size < 0 || size % frame != 0 || freq < 1) return SetError(AL_INVALID_VALUE);
    if (Queued(buffer)) return SetError(AL_INVALID_OPERATION);
    it->second.format = format;
    it->second.rate = freq;
    it->second.data.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    it->second.played = false;
    Get().uploads.push_back(static_cast<size_t>(size));
}

void alGenSources(ALsizei n, ALuint* sources) {
    if (Failing("alGenSources")) return;
    if (Get().sources.size() + static_cast<size_t>(n) > Get().sourceLimit) return SetError(AL_INVALID_VALUE);
    for (ALsizei i = 0; i < n; ++i) {
        sources[i] = Get().nextName++;
        Get().sources[sources[i]] = FakeAL::Source();
    }
}

void alDeleteSources(ALsizei n, const ALuint* sources) {
    for (ALsizei i = 0; i < n; ++i) Get().sources.erase(sources[i]);
}

void alSourcePlay(ALuint source) {
    if (Failing("alSourcePlay")) return;
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    if (s->state != AL_PAUSED) s->processed = 0;
    s->state = s->queue.empty() ? AL_STOPPED : AL_PLAYING;
}

void alSourceStop(ALuint source) {
    if (Failing("alSourceStop")) return;
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    if (s->state != AL_INITIAL) s->state = AL_STOPPED;
    s->processed = static_cast<ALint>(s->queue.size());
}

void alSourcePause(ALuint source) {
    if (Failing("alSourcePause")) return;
    FakeAL::Source* s = SourceOrError(source);
    if (s && s->state == AL_PLAYING) s->state = AL_PAUSED;
}

void alSourceRewind(ALuint source) {
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    s->state = AL_INITIAL;
    s->processed = 0;
}

void alSourcei(ALuint source, ALenum param, ALint value) {
    if (Failing("alSourcei")) return;
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    if (param == AL_BUFFER) {
        if (s->state == AL_PLAYING || s->state == AL_PAUSED) return SetError(AL_INVALID_OPERATION);
        s->queue.clear();
        s->processed = 0;
        if (value != 0) s->queue.push_back(static_cast<ALuint>(value));
        return;
    }
    s->ints[param] = value;
}

void alSourcef(ALuint source, ALenum param, ALfloat value) {
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    if (param == AL_GAIN && value < 0.0f) return SetError(AL_INVALID_VALUE);
    s->floats[param] = value;
}

void alSource3f(ALuint source, ALenum param, ALfloat a, ALfloat b, ALfloat c) {
    FakeAL::Source* s = SourceOrError(source);
    if (s) s->vectors[param] = {a, b, c};
}

void alSourcefv(ALuint source, ALenum param, const ALfloat* values) {
    FakeAL::Source* s = SourceOrError(source);
    if (s) s->vectors[param] = {values[0], values[1], values[2]};
}

void alGetSourcei(ALuint source, ALenum param, ALint* value) {
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    switch (param) {
    case AL_SOURCE_STATE: *value = s->state; break;
    case AL_BUFFERS_PROCESSED: *value = s->processed; break;
    case AL_BUFFERS_QUEUED: *value = static_cast<ALint>(s->queue.size()); break;
    default: *value = s->ints.count(param) ? s->ints[param] : 0; break;
    }
}

void alSourceQueueBuffers(ALuint source, ALsizei n, const ALuint* buffers) {
    if (Failing("alSourceQueueBuffers")) return;
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    for (ALsizei i = 0; i < n; ++i)
        if (!Get().buffers.count(buffers[i])) return SetError(AL_INVALID_NAME);
    for (ALsizei i = 0; i < n; ++i) {
        if (Get().buffers[buffers[i]].played) ++Get().playedBuffersQueued;
        s->queue.push_back(buffers[i]);
    }
}

void alSourceUnqueueBuffers(ALuint source, ALsizei n, ALuint* buffers) {
    FakeAL::Source* s = SourceOrError(source);
    if (!s) return;
    if (n > s->processed) return SetError(AL_INVALID_VALUE);
    for (ALsizei i = 0; i < n; ++i) {
        buffers[i] = s->queue.front();
        s->queue.pop_front();
        Get().buffers[buffers[i]].played = true;
    }
    s->processed -= n;
}

void alListenerf(ALenum param, ALfloat value) {
    if (param == AL_GAIN) Get().listenerGain = value;
}

void alListenerfv(ALenum param, const ALfloat* values) {
    if (param == AL_POSITION) std::copy(values, values + 3, Get().listenerPosition.begin());
    if (param == AL_ORIENTATION) std::copy(values, values + 6, Get().listenerOrientation.begin());
}

ALCdevice* alcOpenDevice(const ALCchar* name) {
    Get().deviceRequests.push_back(name ? name : "(default)");
    const bool opens = !name && Get().defaultDeviceOpens;
    if (!opens) return nullptr;
    Get().deviceOpen = true;
    return kDevice;
}

const ALCchar* alcGetString(ALCdevice*, ALCenum) { return nullptr; }

ALCboolean alcCloseDevice(ALCdevice* device) {
    if (device != kDevice) return ALC_FALSE;
    Get().deviceOpen = false;
    return ALC_TRUE;
}

ALCcontext* alcCreateContext(ALCdevice* device, const ALCint*) {
    if (device != kDevice || !Get().contextCreates) return nullptr;
    Get().contextAlive = true;
    return kContext;
}

ALCboolean alcMakeContextCurrent(ALCcontext* context) {
    Get().contextCurrent = context == kContext;
    return ALC_TRUE;
}

void alcDestroyContext(ALCcontext* context) {
    if (context == kContext) Get().contextAlive = false;
}

} // extern "C"
