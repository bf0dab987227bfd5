#pragma once
// A stand-in for the OpenAL library, linked into this test program in place
// of the real one: sources and buffers are records the test can inspect, a
// source plays only as far as the test advances it, and any call can be made
// to fail.
#include <AL/al.h>
#include <AL/alc.h>

#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace FakeAL {

struct Buffer {
    ALenum format = 0;
    ALsizei rate = 0;
    std::vector<char> data;
    // Unqueued after playing and not filled since: queueing it again would
    // play its old block a second time.
    bool played = false;
};

struct Source {
    ALint state = AL_INITIAL;
    std::deque<ALuint> queue;
    ALint processed = 0;
    std::map<ALenum, float> floats;
    std::map<ALenum, ALint> ints;
    std::map<ALenum, std::array<float, 3>> vectors;
};

struct State {
    bool defaultDeviceOpens = true;  // no named device opens, as with OpenAL Soft
    bool contextCreates = true;
    size_t sourceLimit = 4;
    std::vector<std::string> deviceRequests;
    bool deviceOpen = false;
    bool contextAlive = false;
    bool contextCurrent = false;
    ALenum error = AL_NO_ERROR;
    ALuint nextName = 100;
    std::map<ALuint, Buffer> buffers;
    std::map<ALuint, Source> sources;
    // Calls made to fail: the call's name -> how many of its next calls fail.
    std::map<std::string, int> failures;
    std::map<std::string, int> calls;
    float listenerGain = 1.0f;
    std::array<float, 3> listenerPosition{};
    std::array<float, 6> listenerOrientation{};
    std::vector<size_t> uploads;  // bytes of every alBufferData call
    int playedBuffersQueued = 0;  // buffers queued again without new data
};

State& Get();
// A fresh library: no device, no names, no failures.
void Reset();
// The next `count` calls of `function` fail with an OpenAL error.
void FailNext(const std::string& function, int count = 1);
// Plays `buffers` more of the source's queued buffers to their end; a
// playing source that has played all it holds stops.
void Advance(ALuint source, int buffers);
// The source's queue played to its end.
void Finish(ALuint source);
Source* FindSource(ALuint source);

} // namespace FakeAL
