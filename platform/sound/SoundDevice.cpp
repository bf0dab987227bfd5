#include "platform/sound/SoundDevice.h"

#include <cstring>

namespace Platform {

namespace {

// The name programs give the software-mixed device. The platform's OpenAL
// library mixes every device in software, and its own software device is
// the one it opens by default; no device of its list bears this name.
constexpr const char* kGenericSoftwareDevice = "Generic Software";

} // namespace

ALCdevice* OpenSoundDevice(const char* preferred, std::string* opened) {
    if (preferred && std::strcmp(preferred, kGenericSoftwareDevice) == 0) {
        ALCdevice* device = alcOpenDevice(nullptr);
        if (device && opened) *opened = preferred;
        return device;
    }
    if (preferred) {
        if (ALCdevice* device = alcOpenDevice(preferred)) {
            if (opened) *opened = preferred;
            return device;
        }
    }
    const ALCchar* name = alcGetString(nullptr, ALC_DEFAULT_DEVICE_SPECIFIER);
    ALCdevice* device = alcOpenDevice(name);
    if (device && opened) *opened = name ? name : "";
    return device;
}
void GenerateAllSources(std::vector<ALuint>& sources) {
    alGetError();
    for (;;) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) break;
        sources.push_back(source);
    }
}

const char* OpenALErrorText(ALenum error) {
    const ALchar* text = alGetString(error);
    return text ? text : "unknown OpenAL error";
}

} // namespace Platform
