#include "platform/sound/SoundDevice.h"

namespace Platform {

ALCdevice* OpenSoundDevice(const char* preferred, std::string* opened) {
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
