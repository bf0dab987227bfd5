#include "platform/sound/SoundDevice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The software device the programs ask for by name is the library's own
// default device; any other name that does not open falls back to the default
// and says which device that is. Run with the null backend, as every test is.
TEST(SoundDeviceTest, TheSoftwareNameOpensTheDefaultDeviceAndOtherNamesFallBack) {
    struct Case {
        const char* preferred;
        bool namedAsAsked;
    };
    for (const Case c : {Case{"Generic Software", true}, Case{"No Such Device 42", false}, Case{nullptr, false}}) {
        SCOPED_TRACE(c.preferred ? c.preferred : "(null)");
        std::string opened = "unchanged";
        ALCdevice* device = Platform::OpenSoundDevice(c.preferred, &opened);
        ASSERT_NE(device, nullptr) << "the null backend always opens its device";
        if (c.namedAsAsked) {
            EXPECT_EQ(opened, c.preferred);
        } else {
            const ALCchar* name = alcGetString(nullptr, ALC_DEFAULT_DEVICE_SPECIFIER);
            EXPECT_EQ(opened, name ? name : "");
            EXPECT_NE(opened, "Generic Software");
        }
        EXPECT_EQ(alcCloseDevice(device), ALC_TRUE);
    }
}

} // namespace
