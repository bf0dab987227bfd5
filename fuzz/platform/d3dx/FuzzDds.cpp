// The image readers (DDS of our own, the rest through stb_image) on
// untrusted bytes.
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Platform::Image image;
    std::string error;
    if (Platform::ReadImage(data, size, image, error)) {
        Platform::ApplyColorKey(image, 0xFFFF00FFu);
        Platform::BuildMips(image, 0);
    }
    return 0;
}
