// The effect reader on untrusted bytes, up to the point where GL would
// compile the shaders: the XML structure, states and samplers. Run without
// a device the reader stops with an error text, never a crash.
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/d3dx9.h"

namespace {
class NoDevice : public IDirect3DDevice9 {
public:
    NoDevice() = default;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NoDevice* device = new NoDevice();
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    if (SUCCEEDED(D3DXCreateEffect(device, data, static_cast<UINT>(size), nullptr, nullptr, 0, nullptr, &effect,
                                   &errors)))
        effect->Release();
    if (errors)
        errors->Release();
    return 0;
}
