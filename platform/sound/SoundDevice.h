#pragma once
// The OpenAL device and its sources as both engines open them.
#include <AL/al.h>
#include <AL/alc.h>

#include <string>
#include <vector>

namespace Platform {

// Opens the device called `preferred`, else the system's default device.
// "Generic Software" names the library's own software device, which is its
// default device. `opened` receives the name of the device that opened
// (`preferred` when that one opened; empty when the default device has no
// name). Null when no device opens.
ALCdevice* OpenSoundDevice(const char* preferred, std::string* opened = nullptr);

// Generates sources one at a time until OpenAL refuses and appends their
// names: every source the current context's device gives. The refusal is
// cleared from the error flag.
void GenerateAllSources(std::vector<ALuint>& sources);

// The text of an OpenAL error code, for log lines; never null.
const char* OpenALErrorText(ALenum error);

} // namespace Platform
